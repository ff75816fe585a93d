#include "pages/fn/untFNReport.h"

#include "common/fmuReasonCodes.h"
#include "driver/untTexts.h"
#include "pages/status/untStatusReport.h"
#include "platform/Translation.h"

namespace {

constexpr int kLineWidth = 24;
constexpr int kBoolWidth = 40;
constexpr int kSeparatorWidth = 40;

constexpr const char* kWorkModes[] = {
    TrNoop("Шифрование"),
    TrNoop("Автономный режим"),
    TrNoop("Автоматический режим"),
    TrNoop("Применение в сфере услуг"),
    TrNoop("Режим БСО"),
    TrNoop("Применение в Интернет"),
    TrNoop("ККТ в общественном питании"),
    TrNoop("Оптовая торговля с организациями и ИП"),
};

constexpr const char* kWorkModesEx[] = {
    TrNoop("Продажа подакцизного товара"),
    TrNoop("Признак проведения азартных игр"),
    TrNoop("Признак проведения лотереи"),
    TrNoop("Признак установки принтера в автомате"),
    TrNoop("Признак торговли маркиров. товарами (1.2)"),
    TrNoop("Признак ломбардной деятельности (1.2)"),
    TrNoop("Признак страховой деятельности (1.2)"),
    TrNoop("ККТ с торговым автоматом (1.2)"),
};

constexpr const char* kTaxSystems[] = {
    TrNoop("ОСН"),  TrNoop("УСН доход"), TrNoop("УСН доход минус расход"),
    TrNoop("ЕНВД"), TrNoop("ЕСХН"),      TrNoop("Патент"),
};

QString Indented(const char* text) {
    return QStringLiteral("  ") + Tr(text);
}

} // namespace

void TFNLines::AddLine(const QString& label, const QString& value) {
    AddLineWidth(label, value, kLineWidth);
}

void TFNLines::AddBool(const QString& label, bool flag) {
    AddLineWidth(label, BoolToYesNo(flag), kBoolWidth);
}

void TFNLines::AddSeparator() {
    AddMemoLine(QString(kSeparatorWidth, QLatin1Char('-')));
}

void TFNLines::AddWorkMode(int workMode, int bits) {
    AddLine(Tr("Режим работы"), QString::number(workMode));
    for (int bit = 0; bit < bits; ++bit)
        AddBool(Indented(kWorkModes[bit]), workMode & (1 << bit));
}

void TFNLines::AddWorkModeEx(int workModeEx, int bits) {
    AddLine(Tr("Расширенные признаки работы ККТ"), QString::number(workModeEx));
    for (int bit = 0; bit < bits; ++bit)
        AddBool(Indented(kWorkModesEx[bit]), workModeEx & (1 << bit));
}

void TFNLines::AddTaxSystem(int taxType) {
    AddLine(Tr("Код сист. налогообложения"), QString::number(taxType));
    for (int bit = 0; bit < int(std::size(kTaxSystems)); ++bit)
        AddBool(Indented(kTaxSystems[bit]), taxType & (1 << bit));
}

void TFNLines::AddRegistrationReasonCodeEx(qint64 mask) {
    AddLine(Tr("Код причины изменения сведений о ККТ"), QString::number(mask));
    for (const auto& reason : RegistrationReasonCodes())
        if (mask & (qint64(1) << reason.bit))
            AddBool(Indented(reason.text), true);
}

namespace FNReport {

QString HexText(int value, const QString& text) {
    return QStringLiteral("%1h, %2").arg(
        QString::number(uint(value), 16).toUpper().rightJustified(2, QLatin1Char('0')), text);
}

QString HexDec(int value) {
    return HexText(value, QString::number(value));
}

QString DateTimeText(const QDateTime& date, const QDateTime& time) {
    return StatusReport::DateTimeText(QDateTime(date.date(), time.time()));
}

} // namespace FNReport
