#include "pages/status/untStatusReport.h"

#include "driver/untTexts.h"
#include "platform/Translation.h"

#include <QFont>
#include <QLocale>
#include <QWidget>

void TReportLines::AddLine(const QString& label, const QString& value) {
    FReport.AddLineWidth(label, value, FLineWidth);
}

void TReportLines::AddBool(const QString& label, bool flag) {
    FReport.AddLineWidth(label, BoolToYesNo(flag), FBoolWidth);
}

void TReportLines::AddSeparator() {
    FReport.AddMemoLine(QString(FSeparatorWidth, QLatin1Char('-')));
}

void TReportLines::AddHeader(const QString& title) {
    AddText(QString());
    AddSeparator();
    AddText(title);
    AddSeparator();
}

namespace StatusReport {

namespace {

const FlagLine kDeviceFlags[] = {
    {"Увеличенная точность количества", &TLedgra::QuantityPointPosition},
    {"Бумага на выходе из накопителя", &TLedgra::PresenterOut},
    {"Бумага на входе в накопитель", &TLedgra::PresenterIn},
    {"ЭКЛЗ почти заполнена", &TLedgra::IsEKLZOverflow, true},
    {"Денежный ящик открыт", &TLedgra::IsDrawerOpen},
    {"Крышка корпуса поднята", &TLedgra::LidPositionSensor},
    {"Рычаг термоголовки чека опущен", &TLedgra::ReceiptRibbonLever},
    {"Рычаг термоголовки журнала опущен", &TLedgra::JournalRibbonLever},
    {"Оптический датчик чека", &TLedgra::ReceiptRibbonOpticalSensor},
    {"Оптический датчик журнала", &TLedgra::JournalRibbonOpticalSensor},
    {"ЭКЛЗ есть", &TLedgra::EKLZIsPresent, true},
    {"2 знака после запятой в цене", &TLedgra::PointPosition},
    {"Нижний датчик ПД", &TLedgra::SlipDocumentIsPresent},
    {"Верхний датчик ПД", &TLedgra::SlipDocumentIsMoving},
    {"Рулон чековой ленты", &TLedgra::ReceiptRibbonIsPresent},
    {"Рулон контрольной ленты", &TLedgra::JournalRibbonIsPresent},
};

const FlagLine kFMFlags[] = {
    {"24 часа в ФП кончились", &TLedgra::IsFM24HoursOver},
    {"Смена в ФП открыта", &TLedgra::IsFMSessionOpen},
    {"Последняя запись в ФП повреждена", &TLedgra::IsLastFMRecordCorrupted},
    {"Батарея ФП заряжена более 80 %", &TLedgra::IsBatteryLow, false, true},
    {"Переполнение ФП", &TLedgra::FMOverflow},
    {"ФП2 есть", &TLedgra::FM2IsPresent},
    {"ФП1 есть", &TLedgra::FM1IsPresent},
};

const FlagLine kCashCoreFlags[] = {
    {"Режим АСПД", &TLedgra::IsASPDMode},
    {"Блокировка ККТ по неверному паролю НИ", &TLedgra::IsBlockedByWrongTaxPassword, false, false,
     true},
    {"Повреждены 3 или более записей", &TLedgra::IsCorruptedFMRecords, true},
    {"Повреждена запись фискализации", &TLedgra::IsCorruptedFiscalizationInfo, true},
};

// The day of a time without a date.
const QDate kZeroDate(1899, 12, 30);

} // namespace

QString Num(qint64 value) {
    return QString::number(value);
}

QString Hex(qint64 value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString HexDec(qint64 value, int digits) {
    return Hex(value, digits) + QStringLiteral("h, ") + Num(value);
}

QString DateText(const QDateTime& value) {
    return QLocale().toString(value.date(), QLocale::ShortFormat);
}

// The locale's long time format keeps the seconds of the register's clock;
// its time-zone field is dropped: the register's time carries no zone.
QString TimeText(const QDateTime& value) {
    const QString format = QLocale().timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            result += c;
    }
    return QLocale().toString(value.time(), result.trimmed());
}

QString DateTimeText(const QDateTime& value) {
    const QTime time = value.time();
    const bool midnight = !time.isValid() || time == QTime(0, 0);
    if (value.date() == kZeroDate && !midnight)
        return TimeText(value);
    if (midnight)
        return DateText(value);
    return DateText(value) + QLatin1Char(' ') + TimeText(value);
}

QString FloatText(double value) {
    return QLocale().toString(value, 'g', QLocale::FloatingPointShortest);
}

QString ModeLine(const char* format, TLedgra& d) {
    return QString::fromUtf8(format).arg(d.ECRMode()).arg(d.ECRModeDescription());
}

QString AdvancedMode(TLedgra& d) {
    return QStringLiteral("%1, %2").arg(d.ECRAdvancedMode()).arg(d.ECRAdvancedModeDescription());
}

QString InterfaceName(int port) {
    // Fixed texts: the names of the register's interfaces.
    switch (port) {
    case 0:
        return QStringLiteral("RS-232");
    case 1:
        return QStringLiteral("USB vCOM");
    case 2:
        return QStringLiteral("TCP сокет (RNDIS, Ethernet, WI-FI, ppp)");
    case 3:
        return QStringLiteral("I2C (Основная плата)");
    default:
        return QStringLiteral("неизвестный тип");
    }
}

std::span<const FlagLine> DeviceFlags() {
    return kDeviceFlags;
}

std::span<const FlagLine> FMFlags() {
    return kFMFlags;
}

std::span<const FlagLine> CashCoreFlags() {
    return kCashCoreFlags;
}

bool FlagValue(const FlagLine& line, const TLedgra& d) {
    return (d.*line.flag)() != line.negate;
}

void AddDeviceFlags(TReportLines& report, TLedgra& d, const QString& label,
                    const std::function<bool()>& capFN) {
    report.AddSeparator();
    report.AddLine(label, HexDec(d.ECRFlags(), 4));
    report.AddSeparator();
    for (const FlagLine& f : kDeviceFlags)
        if (!f.noFN || !capFN())
            report.AddBool(Tr(f.label), FlagValue(f, d));
}

void SetReportFont(QWidget* memo, int pixelSize) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixelSize);
    memo->setFont(font);
}

Currency WholeAmount(qint64 count) {
    return Currency::FromRaw(count * 10000);
}

void AddListCaption(TReport& report, const QString& caption) {
    report.AddText(QString());
    report.AddText(caption);
    report.AddText(QLatin1Char(' ') + QString(54, QLatin1Char('-')));
}

QString RegisterLine(int number, const QString& name, int nameWidth, const QString& value) {
    return QLatin1Char(' ') + QString::number(number).rightJustified(3) + QLatin1Char('.') +
           name.leftJustified(nameWidth) + QStringLiteral(" : ") + value;
}

void RaiseInterrupted() {
    throw EReportAbort(Tr("<Прервано пользователем>"));
}

void RaiseDeviceError(TLedgra& d) {
    const QString text = Tr("<Прервано в результате ошибки: %d %s>");
    throw EReportAbort(QString::asprintf(text.toUtf8().constData(), d.ResultCode(),
                                         d.ResultCodeDescription().toUtf8().constData()));
}

QString AbortText(const EAbort& e) {
    if (const auto* r = dynamic_cast<const EReportAbort*>(&e))
        return r->Message();
    // The message of a silent abort: a failed call whose code the result
    // panel shows.
    return Tr("Операция прервана");
}

} // namespace StatusReport
