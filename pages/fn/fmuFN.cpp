#include "pages/fn/fmuFN.h"

#include "driver/BinUtils.h"
#include "driver/PrinterTypes.h"
#include "driver/untDriver.h"
#include "driver/untTexts.h"
#include "pages/status/untStatusReport.h"
#include "platform/LedgraErrors.h"
#include "platform/Translation.h"
#include "ui_fmuFN.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QSaveFile>

using FNReport::DateTimeText;
using FNReport::HexDec;
using FNReport::HexText;

namespace {

QString Num(qint64 value) {
    return QString::number(value);
}

QString NameOf(int value, std::initializer_list<const char*> names) {
    if (value >= 0 && value < int(names.size()))
        return Tr(names.begin()[value]);
    return Tr("Неизвестное значение");
}

QString OSUSupportText(int status) {
    switch (status) {
    case 0:
        return Tr("ФН поддерживает ОСУ, функция не активна");
    case 1:
        return Tr("ФН поддерживает ОСУ, функция активна");
    case 255:
        return Tr("ФН не поддерживает ОСУ");
    default:
        return Tr("Неизвестный код ответа");
    }
}

QString KeyUpdateAnswerText(quint8 answer) {
    switch (answer) {
    case 0:
        return Tr("Успешно. 0 ключей обновлено");
    case 1:
        return Tr("Успешно. 1 ключ обновлен");
    case 2:
        return Tr("Успешно. 2 ключа обновлено");
    case 0xFE:
        return Tr("Ошибка. См. напечатанное.\r\n Либо не поддерживается данной прошивкой,\r\n "
                  "либо ключи уже обновлены");
    case 0xFF:
        return Tr("Нет связи с сервером ОКП");
    default:
        return Tr("Неизвестный ответ");
    }
}

// The key-update command with its fixed access value.
const TBytes kUpdateKeysCommand = QByteArray::fromHex("FEE15A3C960F");

} // namespace

TfmFN::TfmFN(QWidget* parent) : TPage(parent), ui(std::make_unique<Ui::TfmFN>()), FLines(nullptr) {
    ui->setupUi(this);
    FLines = TFNLines(ui->Memo);
    StatusReport::SetReportFont(ui->Memo);
    // Digits and the full stop only; the strict conversion judges the rest.
    const QRegularExpression digits(QStringLiteral("[0-9.]*"));
    ui->edtRequestType->setValidator(new QRegularExpressionValidator(digits, this));
    ui->edtDocumentNumber->setValidator(new QRegularExpressionValidator(digits, this));

    Confirm = [this](const QString& caption, const QString& text) {
        return QMessageBox::warning(this, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                                    QMessageBox::Ok) == QMessageBox::Ok;
    };
    SaveFileName = [this] {
        QFileDialog dialog(this);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        dialog.setNameFilters({QStringLiteral("*.txt"), QStringLiteral("*.*")});
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };

    ConnectButton(ui->btnFNGetStatus, [this] { btnFNGetStatusClick(); });
    ConnectButton(ui->btnFNGetSerial, [this] { btnFNGetSerialClick(); });
    ConnectButton(ui->btnFNGetExpirationTime, [this] { btnFNGetExpirationTimeClick(); });
    ConnectButton(ui->btnFNGetVersion, [this] { btnFNGetVersionClick(); });
    ConnectButton(ui->btnFNGetImplementation, [this] { btnFNGetImplementationClick(); });
    ConnectButton(ui->btnFNGetDocumentSize, [this] { btnFNGetDocumentSizeClick(); });
    ConnectButton(ui->btnFNGetOSUSupportStatus, [this] { btnFNGetOSUSupportStatusClick(); });
    ConnectButton(ui->btnFNGetFreeMemoryResource, [this] { btnFNGetFreeMemoryResourceClick(); });
    // The counters sync keeps the memo and leaves its result unchecked.
    ConnectButton(ui->btnFNCountersSync, [] { Driver().FNCountersSync(); });
    ConnectCall(ui->btnFNBeginOpenSession, &TLedgra::FNBeginOpenSession);
    ConnectButton(ui->btnOpenSession, [this] { btnOpenSessionClick(); });
    ConnectCall(ui->btnFNBeginCloseSession, &TLedgra::FNBeginCloseSession);
    ConnectCall(ui->btnCloseSession, &TLedgra::PrintReportWithCleaning);
    ConnectCall(ui->btnFNBeginCalculationStateReport, &TLedgra::FNBeginCalculationStateReport);
    ConnectButton(ui->btnFNBuildCalculationStateReport,
                  [this] { btnFNBuildCalculationStateReportClick(); });
    ConnectButton(ui->btnFNResetState, [this] { btnFNResetStateClick(); });
    ConnectCall(ui->btnFNCancelDocument, &TLedgra::FNCancelDocument);
    ConnectButton(ui->btnFNGetCurrentSessionParams,
                  [this] { btnFNGetCurrentSessionParamsClick(); });
    ConnectCall(ui->btnFNBeginCloseFiscalMode, &TLedgra::FNBeginCloseFiscalMode);
    // The confirmation comes before the page protocol: a refusal leaves the
    // page as it was.
    connect(ui->btnFNCloseFiscalMode, &QAbstractButton::clicked, this,
            [this] { btnFNCloseFiscalModeClick(); });
    ConnectButton(ui->btnFNFindDocument, [this] { btnFNFindDocumentClick(); });
    ConnectButton(ui->btnFNReadFiscalBarcode, [this] { btnFNReadFiscalBarcodeClick(); });
    ConnectButton(ui->btnUpdateKeys, [this] { btnUpdateKeysClick(); });
    ConnectButton(ui->btnSave, [this] { btnSaveClick(); });
}

TfmFN::~TfmFN() = default;

void TfmFN::ConnectCall(QAbstractButton* button, int (TLedgra::*method)()) {
    ConnectButton(button, [this, method] {
        FLines.Clear();
        Check((Driver().*method)());
    });
}

QString TfmFN::UpdateKeysText(int resultCode, int status) {
    QString text;
    switch (resultCode) {
    case 0:
        text = Tr("ОБНОВЛЕНО КЛЮЧЕЙ: %d, ОШИБОК НЕТ")
                   .replace(QLatin1String("%d"), QString::number(status >> 2));
        break;
    case 254:
        text = Tr("Обновление не требуется");
        break;
    case 255:
        text = Tr("НЕТ СВЯЗИ");
        break;
    default:
        text = GetFNErrorDescription(resultCode);
        break;
    }
    if (status & 3) {
        text += QLatin1Char('\n');
        text += (status & 2) ? Tr("Обновление ключей проверки не выполнено. Обратитесь в "
                                  "службу технической поддержки")
                             : Tr("Обновление ключей проверки не выполнено.");
    }
    return text;
}

void TfmFN::btnFNGetStatusClick() {
    FLines.Clear();
    TDriver& d = Driver();
    Check(d.FNGetStatus());
    const int lifeState = d.FNLifeState();
    FLines.AddSeparator();
    FLines.AddLine(Tr("Состояние фазы жизни"), HexDec(lifeState));
    FLines.AddSeparator();
    static constexpr const char* kLifeBits[] = {
        TrNoop("Проведена настройка ФН"),
        TrNoop("Открыт фискальный режим"),
        TrNoop("Закрыт фискальный режим"),
        TrNoop("Закончена передача фискальных данных в ОФД"),
    };
    for (int bit = 0; bit < 4; ++bit)
        FLines.AddLine(QStringLiteral("  ") + Tr(kLifeBits[bit]),
                       BoolToYesNo(lifeState & (1 << bit)));
    FLines.AddSeparator();
    FLines.AddLine(
        Tr("Текущий документ"),
        HexText(d.FNCurrentDocument(), FNStatusDocumentTypeToStr(d.FNCurrentDocument())));
    FLines.AddLine(Tr("Данные документа"),
                   HexText(d.FNDocumentData(),
                           NameOf(d.FNDocumentData(), {TrNoop("Нет данных документа"),
                                                       TrNoop("Получены данные документа")})));
    FLines.AddLine(
        Tr("Состояние смены"),
        HexText(d.FNSessionState(),
                NameOf(d.FNSessionState(), {TrNoop("Смена закрыта"), TrNoop("Смена открыта")})));
    FLines.AddLine(Tr("Флаги предупреждения"), HexDec(d.FNWarningFlags()));
    FLines.AddLine(Tr("Дата и время ФН"), DateTimeText(d.Date(), d.Time()));
    FLines.AddLine(Tr("Номер ФН"), d.SerialNumber());
    FLines.AddLine(Tr("Номер последнего ФД"), Num(d.DocumentNumber()));
}

void TfmFN::btnFNGetSerialClick() {
    FLines.Clear();
    TDriver& d = Driver();
    Check(d.FNGetSerial());
    FLines.AddLine(Tr("Номер ФН"), d.SerialNumber());
}

void TfmFN::btnFNGetExpirationTimeClick() {
    FLines.Clear();
    TDriver& d = Driver();
    Check(d.FNGetExpirationTime());
    FLines.AddLine(Tr("Срок действия ФН"), DateTimeText(d.Date(), d.Date()));
    FLines.AddLine(Tr("Кол-во оставшихся отчетов о перерегистрации"), Num(d.FreeRegistration()));
    FLines.AddLine(Tr("Выполнено отчетов о перерегистрации"), Num(d.RegistrationNumber()));
}

void TfmFN::btnFNGetVersionClick() {
    FLines.Clear();
    TDriver& d = Driver();
    Check(d.FNGetVersion());
    FLines.AddLine(Tr("Версия ПО ФН"), d.FNSoftVersion());
    FLines.AddLine(Tr("Тип ПО ФН"),
                   HexText(d.FNSoftType(), NameOf(d.FNSoftType(), {TrNoop("Отладочная версия"),
                                                                   TrNoop("Серийная версия")})));
}

// The next four queries show their lines only on success, without the
// framework's error message.
void TfmFN::btnFNGetImplementationClick() {
    FLines.Clear();
    TDriver& d = Driver();
    d.FNGetImplementation();
    if (d.ResultCode() == 0)
        FLines.AddLine(Tr("Исполнение ФН:"), d.FNImplementation());
}

void TfmFN::btnFNGetDocumentSizeClick() {
    FLines.Clear();
    TDriver& d = Driver();
    d.FNGetDocumentSize();
    if (d.ResultCode() != 0)
        return;
    FLines.AddLine(Tr("Размер текущего документа для ОФД, байт"), Num(d.DocumentSize()));
    FLines.AddLine(
        Tr("Размер текущего уведомления о реализации маркированных товаров для ОИСМ, байт"),
        Num(d.NotificationSize()));
}

void TfmFN::btnFNGetOSUSupportStatusClick() {
    FLines.Clear();
    TDriver& d = Driver();
    d.FNGetOSUSupportStatus();
    if (d.ResultCode() != 0)
        return;
    const int status = d.FNOSUSupportStatus();
    FLines.AddLine(Tr("Статус поддержки ОСУ:"),
                   Num(status) + QStringLiteral(", ") + OSUSupportText(status));
}

void TfmFN::btnFNGetFreeMemoryResourceClick() {
    FLines.Clear();
    TDriver& d = Driver();
    d.FNGetFreeMemoryResource();
    if (d.ResultCode() != 0)
        return;
    FLines.AddLine(Tr("Ресурс данных 5 летнего хранения"),
                   Num(d.FN5YearResource()) + QLatin1Char(' ') + Tr("документов"));
    FLines.AddLine(Tr("Ресурс данных 30 дневного хранения"),
                   Num(d.FN30DayResource()) + QLatin1Char(' ') + Tr("Кб"));
    // A negative percentage: the storage does not report it.
    if (d.FNMarkingFillPercentage() >= 0)
        FLines.AddLine(Tr("Процент заполнения оласти хранения увед. о реализации маркир. товара"),
                       Num(d.FNMarkingFillPercentage()) + QStringLiteral(" %"));
}

void TfmFN::btnOpenSessionClick() {
    FLines.Clear();
    TDriver& d = Driver();
    Check(d.OpenSession());
    Check(d.GetShortECRStatus());
    FLines.AddText(Tr("Состояние обновления ключей:"));
    FLines.AddText(UpdateKeysText(d.UpdateKeysResultCode(), d.UpdateKeysStatus()));
}

void TfmFN::btnFNBuildCalculationStateReportClick() {
    FLines.Clear();
    TDriver& d = Driver();
    Check(d.FNBuildCalculationStateReport());
    FLines.AddLine(Tr("Номер ФД"), Num(d.DocumentNumber()));
    FLines.AddLine(Tr("Фискальный признак"), Num(d.FiscalSign()));
    FLines.AddLine(Tr("Кол-во неподтвержденных документов"), Num(d.DocumentCount()));
    FLines.AddLine(Tr("Дата первого неподтвержденного документа"),
                   DateTimeText(d.Date(), d.Time()));
}

void TfmFN::btnFNResetStateClick() {
    FLines.Clear();
    TDriver& d = Driver();
    d.SetRequestType(StrToIntChecked(ui->edtRequestType->text()));
    Check(d.FNResetState());
}

void TfmFN::btnFNGetCurrentSessionParamsClick() {
    FLines.Clear();
    TDriver& d = Driver();
    Check(d.FNGetCurrentSessionParams());
    FLines.AddLine(Tr("Номер смены"), Num(d.SessionNumber()));
    FLines.AddLine(Tr("Состояние смены"), Num(d.FNSessionState()));
    FLines.AddLine(Tr("Номер чека"), Num(d.ReceiptNumber()));
}

void TfmFN::btnFNCloseFiscalModeClick() {
    if (!Confirm(Tr("Закрытие фискального режима?"),
                 Tr("Вы уверены, что хотите произвести закрытие фискального режима?\r\nДанное "
                    "действие необратимо.")))
        return;
    RunProtected([this] {
        FLines.Clear();
        TDriver& d = Driver();
        Check(d.FNCloseFiscalMode());
        FLines.AddLine(Tr("Номер ФД"), Num(d.DocumentNumber()));
        FLines.AddLine(Tr("Фискальный признак"), Num(d.FiscalSign()));
    });
}

void TfmFN::btnFNFindDocumentClick() {
    FLines.Clear();
    TDriver& d = Driver();
    d.SetDocumentNumber(StrToIntChecked(ui->edtDocumentNumber->text()));
    Check(d.FNFindDocument());
    AddFoundDocument();
}

void TfmFN::AddFoundDocument() {
    TDriver& d = Driver();
    const int type = d.DocumentType();
    FLines.AddLine(Tr("Тип фиск. документа"),
                   Num(type) + QStringLiteral(", ") + FNFindDocumentTypeToStr(type));
    FLines.AddLine(Tr("Получена ли квитанция из ОФД"), BoolToYesNo(d.OFDTicketReceived()));
    const auto addCommon = [&] {
        FLines.AddLine(Tr("Дата"), DateTimeText(d.Date(), d.Time()));
        FLines.AddLine(Tr("Номер ФД"), Num(d.DocumentNumber()));
        FLines.AddLine(Tr("Фискальный признак"), Num(d.FiscalSign()));
    };
    const auto addRegistration = [&] {
        FLines.AddLine(Tr("ИНН"), d.INN());
        FLines.AddLine(Tr("ИНН ОФД"), d.INNOFD());
        FLines.AddLine(Tr("Рег. номер ККТ"), d.KKTRegistrationNumber());
        FLines.AddTaxSystem(d.TaxType());
        FLines.AddWorkMode(d.WorkMode(), 6);
        // The extended list tests the bits of WorkModeEx itself.
        FLines.AddWorkModeEx(d.WorkModeEx(), 4);
    };
    switch (type) {
    case 1:
        addCommon();
        addRegistration();
        break;
    case 2:
    case 5:
        addCommon();
        FLines.AddLine(Tr("Номер смены"), Num(d.SessionNumber()));
        break;
    case 3:
    case 4:
    case 31:
        addCommon();
        FLines.AddLine(Tr("Тип операции"), Num(d.OperationType()));
        FLines.AddLine(Tr("Сумма операции"), QString::number(d.Summ1().ToDouble(), 'f', 2));
        break;
    case 6:
        addCommon();
        FLines.AddLine(Tr("ИНН"), d.INN());
        FLines.AddLine(Tr("Рег. номер ККТ"), d.KKTRegistrationNumber());
        break;
    case 11:
        addCommon();
        addRegistration();
        FLines.AddLine(Tr("Код причины перерегистрации"), Num(d.RegistrationReasonCode()));
        FLines.AddRegistrationReasonCodeEx(quint32(d.RegistrationReasonCodeEx()));
        break;
    case 21:
        addCommon();
        FLines.AddLine(Tr("Кол-во неподтвержд. документов"), Num(d.DocumentCount()));
        FLines.AddLine(Tr("Дата 1-го неподтвержд. документа"), DateTimeText(d.Date2(), d.Time2()));
        break;
    default:
        break;
    }
}

void TfmFN::btnFNReadFiscalBarcodeClick() {
    FLines.Clear();
    TDriver& d = Driver();
    d.SetDocumentNumber(StrToIntChecked(ui->edtDocumentNumber->text()));
    Check(d.FNReadFiscalBarcode());
    ui->Memo->setPlainText(d.BarCode());
}

void TfmFN::btnUpdateKeysClick() {
    FLines.Clear();
    TBytes answer;
    Check(Driver().SendCommand(kUpdateKeysCommand, answer));
    if (answer.isEmpty())
        return;
    FLines.AddText(Tr("Результат обновления ключей ОКП: "));
    FLines.AddText(KeyUpdateAnswerText(quint8(answer.at(0))));
}

void TfmFN::btnSaveClick() {
    const QString fileName = SaveFileName();
    if (!fileName.isEmpty())
        SaveToFile(fileName);
}

void TfmFN::SaveToFile(const QString& fileName) {
    QSaveFile file(fileName);
    QByteArray data;
    for (const QString& line : ui->Memo->toPlainText().split(QLatin1Char('\n')))
        data += line.toUtf8() + '\n';
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw EError(Text(TText::FileOpenError, fileName));
}
