#include "pages/status/fmuFullStatus.h"

#include "common/RunHandler.h"
#include "driver/untDriver.h"
#include "driver/untTexts.h"
#include "driver/untUtil.h"
#include "platform/Translation.h"
#include "ui_fmuFullStatus.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QSaveFile>

using namespace StatusReport;

namespace {

constexpr int kLineWidth = 24;
constexpr int kBoolWidth = 33;
constexpr int kSeparatorWidth = 52;
constexpr int kRegisterNameWidth = 44;
constexpr int kRegisterCount = 256;
// The answer to a table number past the last table.
constexpr int kNoSuchTable = 93;
constexpr int kCapCashCoreParam = 28;

} // namespace

TfmFullStatus::TfmFullStatus(QWidget* parent)
    : TPage(parent), ui(std::make_unique<Ui::TfmFullStatus>()),
      FLines(FReport, kLineWidth, kBoolWidth, kSeparatorWidth) {
    ui->setupUi(this);
    FReport = TReport(ui->Memo);
    SetReportFont(ui->Memo);

    ConnectButton(ui->btnFullEcrStatus, [this] { btnFullEcrStatusClick(); });
    // Saving calls no driver: the result panel keeps the last call's result.
    connect(ui->btnSaveToFile, &QPushButton::clicked, this,
            [this] { RunHandler(this, [this] { btnSaveToFileClick(); }); });
    // Not through the page protocol: switching the buttons back on would let
    // "Получить" start again inside the running report.
    connect(ui->btnInterrupt, &QPushButton::clicked, this, [this] { FStopFlag = true; });
}

TfmFullStatus::~TfmFullStatus() = default;

void TfmFullStatus::btnFullEcrStatusClick() {
    FStopFlag = false;
    ui->btnInterrupt->setEnabled(true);
    FReport.Clear();
    FCapFN.reset();
    try {
        FLines.AddHeader(Tr(" Полное состояние"));
        AddFullStatus();
        AddShortStatus();
        AddDeviceMetrics();
        AddTables();
        AddCashTotalizers();
        AddOperationRegisters();
        FLines.AddSeparator();
    } catch (const EAbort& e) {
        FReport.AddText(AbortText(e));
    }
    ui->Memo->moveCursor(QTextCursor::Start);
}

void TfmFullStatus::Check2(int code) {
    QCoreApplication::processEvents();
    if (FStopFlag)
        RaiseInterrupted();
    Check(code);
}

bool TfmFullStatus::CapFN() {
    // The answer cannot change while one report is built.
    if (!FCapFN)
        FCapFN = Driver().CapFN();
    return *FCapFN;
}

void TfmFullStatus::AddFullStatus() {
    TDriver& d = Driver();
    Check2(d.GetDeviceMetrics());
    Check2(d.GetECRStatus());
    d.SetModelParamNumber(kCapCashCoreParam);
    Check2(d.ReadModelParamValue());
    const QVariant cashCoreValue = d.ModelParamValue();
    const bool cashCore = cashCoreValue.typeId() == QMetaType::Bool && cashCoreValue.toBool();

    FLines.AddHeader(Tr(" Запрос состояния:"));
    FLines.AddText(Tr(" Режим: "));
    FLines.AddText(ModeLine(" %1, %2", d));
    FLines.AddSeparator();

    FLines.AddLine(Tr("Версия ПО"), d.ECRSoftVersion());
    FLines.AddLine(Tr("Сборка ПО"), Num(d.ECRBuild()));
    FLines.AddLine(Tr("Дата ПО"), DateTimeText(d.ECRSoftDate()));
    if (!CapFN()) {
        FLines.AddSeparator();
        FLines.AddLine(Tr("Версия ПО ФП"), d.FMSoftVersion());
        FLines.AddLine(Tr("Сборка ПО ФП"), Num(d.FMBuild()));
        FLines.AddLine(Tr("Дата ПО ФП"), DateTimeText(d.FMSoftDate()));
    }

    FLines.AddSeparator();
    FLines.AddLine(Tr("Подрежим"), AdvancedMode(d));
    FLines.AddLine(Tr("Статус режима"), Num(d.ECRModeStatus()));
    FLines.AddLine(Tr("Номер ККМ в зале"), Num(d.LogicalNumber()));
    FLines.AddLine(Tr("Номер документа"), Num(d.OpenDocumentNumber()));
    FLines.AddLine(Tr("Интерфейс подключения"), Num(d.PortNumber()));
    if (!CapFN()) {
        FLines.AddLine(Tr("Количество фискализаций"), Num(d.RegistrationNumber()));
        FLines.AddLine(Tr("Осталось фискализаций"), Num(d.FreeRegistration()));
    }
    FLines.AddLine(Tr("Последняя закрытая смена"), Num(d.SessionNumber()));
    if (!CapFN())
        FLines.AddLine(Tr("Свободных записей в ФП"), Num(d.FreeRecordInFM()));
    FLines.AddLine(Tr("Дата"), DateTimeText(d.Date()));
    FLines.AddLine(Tr("Время"), DateTimeText(d.Time()));
    if (!CapFN())
        FLines.AddLine(Tr("Заводской номер"), GetSerialNumber(d.SerialNumber()));
    FLines.AddLine(Tr("ИНН"), GetINN(d.INN()));

    AddDeviceFlags(FLines, d, Tr("Флаги"), [this] { return CapFN(); });

    FLines.AddSeparator();
    if (!CapFN()) {
        FLines.AddLine(Tr("Флаги ФП"), HexDec(d.FMFlags(), 2));
        if (cashCore)
            FLines.AddLine(Tr("Доп. Флаги ФП"), HexDec(d.FMFlagsEx(), 2));
    }
    FLines.AddSeparator();
    if (!CapFN())
        for (const FlagLine& f : FMFlags())
            FLines.AddBool(Tr(f.label), FlagValue(f, d));
    if (cashCore)
        for (const FlagLine& f : CashCoreFlags())
            if (!f.notInFullStatus && (!f.noFN || !CapFN()))
                FLines.AddBool(Tr(f.label), FlagValue(f, d));
    FLines.AddSeparator();
}

void TfmFullStatus::AddShortStatus() {
    TDriver& d = Driver();
    Check2(d.GetDeviceMetrics());
    Check2(d.GetShortECRStatus());
    FLines.AddHeader(Tr(" Краткий запрос состояния:"));
    FLines.AddText(Tr(" Режим: "));
    FLines.AddText(ModeLine(" %1, %2", d));
    FLines.AddSeparator();
    FLines.AddLine(Tr("Подрежим"), AdvancedMode(d));
    FLines.AddLine(Tr("Статус режима"), Num(d.ECRModeStatus()));
    FLines.AddLine(Tr("Количество операций в чеке"), Num(d.QuantityOfOperations()));
    FLines.AddLine(Tr("Напряжение батареи, В"), FloatText(d.BatteryVoltage()));
    FLines.AddLine(Tr("Напряжение источника, В"), FloatText(d.PowerSourceVoltage()));
    if (!CapFN()) {
        FLines.AddLine(Tr("Ошибка ФП"), Num(d.FMResultCode()));
        FLines.AddLine(Tr("Ошибка ЭКЛЗ"), Num(d.EKLZResultCode()));
    }
    AddDeviceFlags(FLines, d, Tr("Флаги"), [this] { return CapFN(); });
    FLines.AddSeparator();
}

void TfmFullStatus::AddDeviceMetrics() {
    TDriver& d = Driver();
    Check2(d.GetDeviceMetrics());
    FLines.AddHeader(Tr(" Параметры принтера:"));
    FLines.AddText(Tr(" Кодовая страница    : ") + Num(d.UCodePage()));
    FLines.AddText(Tr(" Описание устройства : ") + d.UDescription());
    FLines.AddText(Tr(" Версия протокола    : ") + Num(d.UMajorProtocolVersion()));
    FLines.AddText(Tr(" Подверсия протокола : ") + Num(d.UMinorProtocolVersion()));
    FLines.AddText(Tr(" Тип устройства      : ") + Num(d.UMajorType()));
    FLines.AddText(Tr(" Подтип устройства   : ") + Num(d.UMinorType()));
    FLines.AddText(Tr(" Модель устройства   : ") + Num(d.UModel()));
}

void TfmFullStatus::AddTables() {
    FLines.AddHeader(Tr(" ТАБЛИЦЫ:"));
    for (int number = 1;; ++number) {
        const int code = AddTable(number);
        if (code == kNoSuchTable)
            return;
        Check(code);
    }
}

int TfmFullStatus::AddTable(int number) {
    TDriver& d = Driver();
    Check2(0);
    d.SetTableNumber(number);
    if (const int code = d.GetTableStruct())
        return code;
    int rows = d.RowNumber();
    int fields = d.FieldNumber();
    FLines.AddText(QString());
    FLines.AddSeparator();
    FLines.AddText(QString::asprintf(Tr(" ТАБЛИЦА %d. %s. Рядов:%d Полей:%d").toUtf8().constData(),
                                     d.TableNumber(), d.TableName().toUtf8().constData(), rows,
                                     fields));
    FLines.AddText(Tr(" Ряд.Поле. Наименование:Значение"));
    FLines.AddSeparator();

    d.SetTableNumber(number);
    if (const int code = d.GetTableStruct())
        return code;
    rows = d.RowNumber();
    fields = d.FieldNumber();
    for (int row = 1; row <= rows; ++row) {
        d.SetRowNumber(row);
        for (int field = 1; field <= fields; ++field) {
            Check2(0);
            d.SetFieldNumber(field);
            if (const int code = d.GetFieldStruct())
                return code;
            const QString name = d.FieldName();
            if (const int code = d.ReadTable())
                return code;
            FLines.AddText(QStringLiteral(" %1.%2. %3:%4")
                               .arg(row, 2, 10, QLatin1Char('0'))
                               .arg(field, 2, 10, QLatin1Char('0'))
                               .arg(name, d.ValueOfFieldString()));
        }
        FLines.AddSeparator();
    }
    return 0;
}

void TfmFullStatus::AddCashTotalizers() {
    TDriver& d = Driver();
    AddListCaption(FReport, Tr(" ДЕНЕЖНЫЕ РЕГИСТРЫ:"));
    for (int number = 0; number < kRegisterCount; ++number) {
        if (FStopFlag)
            RaiseInterrupted();
        d.SetRegisterNumber(number);
        if (d.GetCashReg() != 0)
            RaiseDeviceError(d);
        FLines.AddText(RegisterLine(number, d.NameCashReg(), kRegisterNameWidth,
                                    d.AmountToStr(d.ContentsOfCashRegister())));
        QCoreApplication::processEvents();
    }
    ui->Memo->moveCursor(QTextCursor::Start);
}

void TfmFullStatus::AddOperationRegisters() {
    TDriver& d = Driver();
    FLines.AddHeader(Tr(" ОПЕРАЦИОННЫЕ РЕГИСТРЫ:"));
    for (int number = 0; number < kRegisterCount; ++number) {
        d.SetRegisterNumber(number);
        Check2(d.GetOperationReg());
        const Currency count = WholeAmount(d.ContentsOfOperationRegister());
        FLines.AddText(
            RegisterLine(number, d.NameOperationReg(), kRegisterNameWidth, d.AmountToStr(count)));
    }
}

void TfmFullStatus::btnSaveToFileClick() {
    QFileDialog dlgSave(this);
    dlgSave.setObjectName(QStringLiteral("dlgSave"));
    dlgSave.setAcceptMode(QFileDialog::AcceptSave);
    dlgSave.setNameFilters({Tr("Текстовые файлы (*.txt)"), Tr("Все файлы (*.*)")});
    if (dlgSave.exec() != QDialog::Accepted || dlgSave.selectedFiles().isEmpty())
        return;
    SaveToFile(dlgSave.selectedFiles().constFirst());
}

void TfmFullStatus::SaveToFile(const QString& fileName) {
    QString text = ui->Memo->toPlainText();
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    // The file is replaced whole or not at all.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw EError(Text(TText::FileOpenError, fileName) + QLatin1Char('\n') + file.errorString());
}
