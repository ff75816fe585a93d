#include "pages/status/fmuDeviceStatus.h"

#include "driver/PrinterTypes.h"
#include "driver/untDriver.h"
#include "driver/untTexts.h"
#include "driver/untUtil.h"
#include "platform/Translation.h"
#include "ui_fmuDeviceStatus.h"

#include <QLocale>
#include <QTextCursor>

using namespace StatusReport;

namespace {

constexpr int kLineWidth = 26;
constexpr int kBoolWidth = 33;
constexpr int kSeparatorWidth = 40;

// The bits of the SKNO status, bit 0 first.
const char* const kSKNOBits[] = {
    "Занят",
    "СКЗИ",
    "Соединение с сервером",
    "Запрет обслуживания по окончанию сертификата СКЗИ",
    "Запрет обслуживания по не переданным суточным (сменным) отчетам (Z-отчетам)",
    "Запрет обслуживания по переполнению памяти СКНО",
    "Идентификация прошла успешно",
    "Смена открыта",
    "Не завершена процедура по переданному документу",
    "Наличие в памяти СКНО не переданных документов",
    "Превышен максимальный размер электронного кассового документа",
    "СКНО исправно",
};

QString UpdateKeysResultText(int code, int status) {
    switch (code) {
    case 0:
        return Tr("ОБНОВЛЕНО КЛЮЧЕЙ: %d, ОШИБОК НЕТ")
            .replace(QLatin1String("%d"), Num(status >> 2));
    case 254:
        return Tr("Обновление не производилось, потому что не требуется");
    case 255:
        return Tr("Нет связи с сервером АС ОКП");
    default:
        return GetFNErrorDescription(code);
    }
}

QString UpdateKeysStatusText(int status) {
    if (status & 2)
        return Tr("Требуется срочное обновление");
    if (status & 1)
        return Tr("Требуется обновление");
    return QString();
}

} // namespace

TfmDeviceStatus::TfmDeviceStatus(QWidget* parent)
    : TPage(parent), ui(std::make_unique<Ui::TfmDeviceStatus>()),
      FLines(FReport, kLineWidth, kBoolWidth, kSeparatorWidth) {
    ui->setupUi(this);
    FReport = TReport(ui->Memo);
    // Reports are aligned in columns.
    SetReportFont(ui->Memo);

    ConnectButton(ui->btnEcrStatus, [this] { btnEcrStatusClick(); });
    ConnectButton(ui->btnShortEcrStatus, [this] { btnShortEcrStatusClick(); });
    ConnectButton(ui->btnDeviceMetrics, [this] { btnDeviceMetricsClick(); });
    ConnectButton(ui->btnResetPrinter, [this] { btnResetPrinterClick(); });
    ConnectButton(ui->btnGetModelParams, [this] { btnGetModelParamsClick(); });
    ConnectButton(ui->btnDriverVersion, [this] { btnDriverVersionClick(); });
    ConnectButton(ui->btnTables, [this] { btnTablesClick(); });
    ConnectButton(ui->btnErrorList, [this] { btnErrorListClick(); });
    ConnectButton(ui->btnSerial, [this] { btnSerialClick(); });
}

TfmDeviceStatus::~TfmDeviceStatus() = default;

// Line builders

void TfmDeviceStatus::AddText(const QString& line) {
    FReport.AddText(line);
}

void TfmDeviceStatus::AddMemoLine(const QString& text) {
    FReport.AddMemoLine(text);
}

void TfmDeviceStatus::AddLineWidth(const QString& label, const QString& value, int width) {
    FReport.AddLineWidth(label, value, width);
}

void TfmDeviceStatus::AddLine(const QString& label, const QString& value) {
    FLines.AddLine(label, value);
}

void TfmDeviceStatus::AddBool(const QString& label, bool flag) {
    FLines.AddBool(label, flag);
}

void TfmDeviceStatus::AddSeparator() {
    FLines.AddSeparator();
}

void TfmDeviceStatus::ClearMemo() {
    FReport.Clear();
}

void TfmDeviceStatus::AddHeader(const QString& title) {
    FLines.AddHeader(title);
}

void TfmDeviceStatus::Report(const std::function<void()>& build) {
    struct HeldUpdates {
        QPlainTextEdit* memo;
        bool enabled;
        explicit HeldUpdates(QPlainTextEdit* m) : memo(m), enabled(m->updatesEnabled()) {
            memo->setUpdatesEnabled(false);
        }
        ~HeldUpdates() {
            memo->moveCursor(QTextCursor::Start);
            memo->setUpdatesEnabled(enabled);
        }
    } held(ui->Memo);
    FCapFN.reset();
    ClearMemo();
    build();
}

bool TfmDeviceStatus::CapFN() {
    // The answer cannot change while one report is built; asking once spares
    // the register a round trip per marked line.
    if (!FCapFN)
        FCapFN = Driver().CapFN();
    return *FCapFN;
}

// Report blocks

void TfmDeviceStatus::AddDeviceFlags() {
    StatusReport::AddDeviceFlags(FLines, Driver(),
                                 Tr("Флаги") + QLatin1Char(' ') + Tr("кассовой техники"),
                                 [this] { return CapFN(); });
}

void TfmDeviceStatus::AddSKNOStatus(int status) {
    AddText(Tr("Статус СКНО:") + QLatin1Char(' ') + Hex(status, 4) + QLatin1Char('h'));
    for (int bit = 0; bit < int(std::size(kSKNOBits)); ++bit)
        AddText(Tr(kSKNOBits[bit]) + QStringLiteral(": ") + BoolToYesNo(status & (1 << bit)));
}

// Buttons

void TfmDeviceStatus::btnEcrStatusClick() {
    Report([this] {
        TDriver& d = Driver();
        Check(d.GetECRStatus());
        AddHeader(Tr(" Запрос состояния:"));
        AddText(Tr(" Режим: "));
        AddText(ModeLine("  %1, %2", d));
        AddSeparator();

        AddLine(Tr("Версия ПО"), d.ECRSoftVersion());
        AddLine(Tr("Сборка ПО"), Num(d.ECRBuild()));
        AddLine(Tr("Дата ПО"), DateText(d.ECRSoftDate()));
        if (!CapFN()) {
            AddSeparator();
            AddLine(Tr("Версия ПО ФП"), d.FMSoftVersion());
            AddLine(Tr("Сборка ПО ФП"), Num(d.FMBuild()));
            AddLine(Tr("Дата ПО ФП"), DateText(d.FMSoftDate()));
        }

        AddSeparator();
        AddLine(Tr("Подрежим"), AdvancedMode(d));
        AddLine(Tr("Статус режима"), Num(d.ECRModeStatus()));
        AddLine(Tr("Номер ККМ в зале"), Num(d.LogicalNumber()));
        AddLine(Tr("Номер документа"), Num(d.OpenDocumentNumber()));
        AddLine(Tr("Интерфейс подключения"),
                Num(d.PortNumber()) + QStringLiteral(", ") + InterfaceName(d.PortNumber()));
        if (!CapFN()) {
            AddLine(Tr("Количество фискализаций"), Num(d.RegistrationNumber()));
            AddLine(Tr("Осталось фискализаций"), Num(d.FreeRegistration()));
        }
        AddLine(Tr("Последняя закрытая смена"), Num(d.SessionNumber()));
        if (!CapFN())
            AddLine(Tr("Свободных записей в ФП"), Num(d.FreeRecordInFM()));
        AddLine(Tr("Дата"), DateText(d.Date()));
        AddLine(Tr("Время"), TimeText(d.Time()));
        AddLine(Tr("Заводской номер"), GetSerialNumber(d.SerialNumber()));
        AddLine(Tr("ИНН"), GetINN(d.INN()));

        AddDeviceFlags();

        if (!CapFN()) {
            AddSeparator();
            AddLine(Tr("Флаги ФП"), HexDec(d.FMFlags(), 2));
            AddSeparator();
            for (const FlagLine& f : FMFlags())
                AddBool(Tr(f.label), FlagValue(f, d));
        }

        if (d.CapCashCore()) {
            AddSeparator();
            for (const FlagLine& f : CashCoreFlags())
                if (!f.noFN || !CapFN())
                    AddBool(Tr(f.label), FlagValue(f, d));
            if (!CapFN())
                AddLine(Tr("Тип последней записи ФП"),
                        d.LastFMRecordType() == 0 ? Tr("Фиск./активиз. ЭКЛЗ") : Tr("Сменный итог"));
        }

        AddSeparator();
        if (d.CapSKNO())
            AddSKNOStatus(d.SKNOStatus());
    });
}

void TfmDeviceStatus::btnShortEcrStatusClick() {
    Report([this] {
        TDriver& d = Driver();
        Check(d.GetShortECRStatus());
        AddHeader(Tr(" Краткий запрос состояния:"));
        AddText(Tr(" Режим: "));
        AddText(ModeLine(" %1, %2", d));
        AddSeparator();

        AddLine(Tr("Подрежим"), AdvancedMode(d));
        AddLine(Tr("Статус режима"), Num(d.ECRModeStatus()));
        AddLine(Tr("Количество операций в чеке"), Num(d.QuantityOfOperations()));
        AddLine(Tr("Напряжение батареи, В"), QLocale().toString(d.BatteryVoltage(), 'f', 2));
        AddLine(Tr("Напряжение источника, В"), QLocale().toString(d.PowerSourceVoltage(), 'f', 2));
        AddLine(Tr("Предыдущий режим ККТ"), Num(d.PreviousECRMode()));
        AddLine(Tr("Температура ТПГ"), Num(d.PrinterHeadTemperature()));
        if (d.GetModelID() == 254) {
            const int code = d.UpdateKeysResultCode();
            const int status = d.UpdateKeysStatus();
            AddLine(Tr("Код ошибки при обновлении ключей"),
                    Num(code) + QStringLiteral(", ") + UpdateKeysResultText(code, status));
            AddLine(Tr("Статус обновления ключей"),
                    Num(status) + QStringLiteral(", ") + UpdateKeysStatusText(status));
            AddLine(Tr("Кол-во обновленных ключей"), Num(status >> 2));
        }
        if (d.CapLastPrintResult())
            AddLine(Tr("Результат последней печати"), Num(d.LastPrintResult()));
        AddDeviceFlags();
        AddSeparator();
    });
}

void TfmDeviceStatus::btnDeviceMetricsClick() {
    Report([this] {
        TDriver& d = Driver();
        Check(d.GetDeviceMetrics());
        AddHeader(Tr(" Параметры принтера:"));
        AddText(Tr(" Кодовая страница    : ") + Num(d.UCodePage()) + QStringLiteral(", ") +
                d.UCodePageText());
        AddText(Tr(" Описание устройства : ") + d.UDescription());
        AddText(Tr(" Версия протокола    : ") + Num(d.UMajorProtocolVersion()));
        AddText(Tr(" Подверсия протокола : ") + Num(d.UMinorProtocolVersion()));
        AddText(Tr(" Тип устройства      : ") + Num(d.UMajorType()));
        AddText(Tr(" Подтип устройства   : ") + Num(d.UMinorType()));
        AddText(Tr(" Модель устройства   : ") + Num(d.UModel()));
    });
}

void TfmDeviceStatus::btnResetPrinterClick() {
    Driver().ResetECR();
}

void TfmDeviceStatus::btnGetModelParamsClick() {
    Report([this] {
        TDriver& d = Driver();
        Check(d.GetDeviceMetrics());
        AddHeader(Tr(" Параметры Модели:"));
        const int count = d.ModelParamCount();
        for (int index = 0; index < count; ++index) {
            d.SetModelParamIndex(index);
            if (d.ReadModelParam() != 0)
                break;
            const QVariant value = d.ModelParamValue();
            const QString label = Num(d.ModelParamNumber()).rightJustified(4) +
                                  QStringLiteral(". ") + d.ModelParamDescription();
            AddLineWidth(label,
                         value.typeId() == QMetaType::Bool ? BoolToYesNo(value.toBool())
                                                           : value.toString(),
                         44);
        }
    });
}

void TfmDeviceStatus::btnDriverVersionClick() {
    Report([this] {
        TDriver& d = Driver();
        AddHeader(Tr(" Версия драйвера:"));
        constexpr int width = 14;
        AddLineWidth(Tr("Версия"), Num(d.DriverMajorVersion()), width);
        AddLineWidth(Tr("Подверсия"), Num(d.DriverMinorVersion()), width);
        AddLineWidth(Tr("Релиз"), Num(d.DriverRelease()), width);
        AddLineWidth(Tr("Сборка"), Num(d.DriverBuild()), width);
        AddLineWidth(Tr("Полная версия"), d.DriverVersion(), width);
    });
}

void TfmDeviceStatus::btnTablesClick() {
    TDriver& d = Driver();
    // The table editor is modal over the window that shows this page.
    d.SetParentWnd(int(window()->winId()));
    d.ShowTablesDlg();
}

void TfmDeviceStatus::btnErrorListClick() {
    Report([this] {
        TDriver& d = Driver();
        Check(d.GetDeviceMetrics());
        AddHeader(QLatin1Char(' ') + Tr("Описания ошибок"));
        for (int code = 0; code <= 255; ++code) {
            d.SetErrorCode(code);
            if (d.ReadErrorDescription() != 0)
                break;
            AddText(QLatin1Char(' ') + Hex(code, 2) + QStringLiteral(": ") + d.ErrorDescription());
        }
    });
}

void TfmDeviceStatus::btnSerialClick() {
    Report([this] {
        TDriver& d = Driver();
        d.ReadSerialNumber(); // the result panel shows a failure
        AddLine(Tr("Заводской номер"), GetSerialNumber(d.SerialNumber()));
    });
}
