// Connection, status, metrics and serial number of the virtual register.

#include "driver/ResultCodes.h"
#include "vregister/VRHandlers.h"
#include "vregister/VRModelProfile.h"
#include "vregister/VRState.h"

namespace VRState {

QString ModeText(int mode) {
    static const char* const texts[] = {
        "Принтер в рабочем режиме",
        "Выдача данных",
        "Открытая смена, 24 часа не кончились",
        "Открытая смена, 24 часа кончились",
        "Закрытая смена",
        "Блокировка по неправильному паролю налогового инспектора",
        "Ожидание подтверждения ввода даты",
        "Разрешение изменения положения десятичной точки",
        "Открытый документ",
        "Режим разрешения технологического обнуления",
        "Тестовый прогон",
        "Печать полного фис. отчета",
        "Печать отчёта ЭКЛЗ",
        "Работа с фискальным подкладным документом",
        "Печать подкладного документа",
        "Фискальный подкладной документ сформирован",
    };
    if (mode >= 0 && mode < int(std::size(texts)))
        return QString::fromUtf8(texts[mode]);
    return QStringLiteral("Неизвестный режим");
}

QString SubmodeText(int submode) {
    static const char* const texts[] = {
        "Бумага есть",
        "Пассивное отсутствие бумаги",
        "Активное отсутствие бумаги",
        "После активного отсутствия бумаги",
        "Фаза печати операции полных фискальных отчетов",
        "Фаза печати операции",
    };
    if (submode >= 0 && submode < int(std::size(texts)))
        return QString::fromUtf8(texts[submode]);
    return QStringLiteral("Неизвестный подрежим");
}

int Flags(VRStore& s) {
    return int(s.GetInt(QStringLiteral("flags"), kDefaultFlags));
}

int Mode(VRStore& s) {
    if (s.GetInt(QStringLiteral("document.open")))
        return ModeDocumentOpen;
    if (!s.GetInt(QStringLiteral("session.open")))
        return ModeShiftClosed;
    const QDateTime opened =
        QDateTime::fromSecsSinceEpoch(s.GetInt(QStringLiteral("session.opened")));
    return opened.secsTo(VR::Now(s)) >= 24 * 3600 ? ModeShiftOver24h : ModeShiftOpen;
}

QString SerialNumber(VRStore& s) {
    return s.GetStr(QStringLiteral("serial"), QString::fromLatin1(kZeroSerial));
}

} // namespace VRState

namespace {

using P = PropertyId;
using namespace VRState;

void OutFlags(VRContext& c) {
    const int f = Flags(c.Store);
    auto bit = [f](int b) { return bool(f & (1 << b)); };
    c.Out(P::ECRFlags, f);
    c.Out(P::JournalRibbonIsPresent, bit(FlagJournalRibbon));
    c.Out(P::ReceiptRibbonIsPresent, bit(FlagReceiptRibbon));
    c.Out(P::SlipDocumentIsMoving, bit(FlagSlipTop));
    c.Out(P::SlipDocumentIsPresent, bit(FlagSlipBottom));
    c.Out(P::PointPosition, bit(FlagPointPosition));
    c.Out(P::EKLZIsPresent, bit(FlagEKLZ));
    c.Out(P::JournalRibbonOpticalSensor, bit(FlagJournalOptical));
    c.Out(P::ReceiptRibbonOpticalSensor, bit(FlagReceiptOptical));
    c.Out(P::JournalRibbonLever, bit(FlagJournalLever));
    c.Out(P::ReceiptRibbonLever, bit(FlagReceiptLever));
    c.Out(P::LidPositionSensor, bit(FlagLid));
    c.Out(P::IsDrawerOpen, bit(FlagDrawer));
    c.Out(P::PresenterIn, bit(FlagPresenterIn));
    c.Out(P::PresenterOut, bit(FlagPresenterOut));
    c.Out(P::IsEKLZOverflow, bit(FlagEKLZOverflow));
    c.Out(P::QuantityPointPosition, bit(FlagQuantityPoint));
}

void OutMode(VRContext& c) {
    const int mode = Mode(c.Store);
    const int sub = int(c.Store.GetInt(QStringLiteral("submode")));
    c.Out(P::ECRMode, mode);
    c.Out(P::ECRModeDescription, ModeText(mode));
    c.Out(P::ECRAdvancedMode, sub);
    c.Out(P::ECRAdvancedModeDescription, SubmodeText(sub));
    // In an open document the status names the document's type.
    c.Out(P::ECRModeStatus,
          mode == ModeDocumentOpen ? int(c.Store.GetInt(QStringLiteral("document.type"))) : 0);
}

int GetECRStatus(VRContext& c) {
    const VRProfileInfo& prof = VRProfile::Current(c.Store);
    OutMode(c);
    OutFlags(c);
    c.Out(P::ECRSoftVersion, prof.softVersion);
    c.Out(P::ECRBuild, prof.softBuild);
    c.Out(P::ECRSoftDate, prof.softDate.startOfDay());
    const bool fm = !prof.capFN; // the older fiscal memory answers its own block
    c.Out(P::FMSoftVersion, fm ? prof.softVersion : QString());
    c.Out(P::FMBuild, fm ? prof.softBuild : 0);
    c.Out(P::FMSoftDate, fm ? prof.softDate.startOfDay() : QDateTime());
    c.Out(P::LogicalNumber, int(c.Store.GetInt(QStringLiteral("logical_number"), 1)));
    c.Out(P::OpenDocumentNumber, int(c.Store.GetInt(QStringLiteral("document.number"))));
    const bool sessionOpen = c.Store.GetInt(QStringLiteral("session.open"));
    const bool over24 = Mode(c.Store) == ModeShiftOver24h;
    const int fmFlags = (fm ? 1 : 0) | (sessionOpen ? 1 << 6 : 0) | (over24 ? 1 << 7 : 0);
    c.Out(P::FMFlags, fmFlags);
    c.Out(P::FM1IsPresent, bool(fmFlags & 1));
    c.Out(P::FM2IsPresent, false);
    c.Out(P::FMOverflow, false);
    c.Out(P::IsBatteryLow, false);
    c.Out(P::IsLastFMRecordCorrupted, false);
    c.Out(P::IsFMSessionOpen, sessionOpen);
    c.Out(P::IsFM24HoursOver, over24);
    c.Out(P::IsASPDMode, false);
    c.Out(P::IsBlockedByWrongTaxPassword, false);
    c.Out(P::IsCorruptedFMRecords, false);
    c.Out(P::IsCorruptedFiscalizationInfo, false);
    c.Out(P::LastFMRecordType, int(c.Store.GetInt(QStringLiteral("fm.last_record_type"))));
    // A tax-control unit of its own: identified, in order, shift state mirrored.
    constexpr int kSknoIdentified = 1 << 6, kSknoShiftOpen = 1 << 7, kSknoHealthy = 1 << 11;
    c.Out(P::SKNOStatus,
          prof.capSKNO ? kSknoIdentified | kSknoHealthy | (sessionOpen ? kSknoShiftOpen : 0) : 0);
    const int sessions = int(c.Store.GetInt(QStringLiteral("session.number")));
    c.Out(P::SessionNumber, sessions);
    c.Out(P::FreeRecordInFM, fm ? qMax(0, 2100 - sessions) : 0);
    const int regs = int(c.Store.GetInt(QStringLiteral("registration.count")));
    c.Out(P::RegistrationNumber, regs);
    c.Out(P::FreeRegistration, qMax(0, 12 - regs));
    const QDateTime now = c.Now();
    c.Out(P::Date, QDateTime(now.date(), QTime(0, 0)));
    c.Out(P::Time, QDateTime(QDate(1899, 12, 30), now.time()));
    c.Out(P::SerialNumber, SerialNumber(c.Store));
    c.Out(P::INN, c.Store.GetStr(QStringLiteral("registration.inn")));
    return 0;
}

int GetShortECRStatus(VRContext& c) {
    OutMode(c);
    OutFlags(c);
    c.Out(P::QuantityOfOperations, int(c.Store.GetInt(QStringLiteral("document.operations"))));
    c.Out(P::BatteryVoltage, 3.05);
    c.Out(P::PowerSourceVoltage, 24.0);
    c.Out(P::PreviousECRMode,
          int(c.Store.GetInt(QStringLiteral("previous_mode"), ModeShiftClosed)));
    c.Out(P::PrinterHeadTemperature, 27);
    c.Out(P::LastPrintResult, 0);
    c.Out(P::FMResultCode, 0);
    c.Out(P::EKLZResultCode, 0);
    c.Out(P::UpdateKeysResultCode, int(c.Store.GetInt(QStringLiteral("keys.result"), 254)));
    c.Out(P::UpdateKeysStatus, int(c.Store.GetInt(QStringLiteral("keys.status"))));
    return 0;
}

int ResetECR(VRContext& c) {
    // Ends a print in progress and paper-out states; the document and shift stay.
    c.Store.Set(QStringLiteral("submode"), 0);
    return 0;
}

int ReadSerialNumber(VRContext& c) {
    c.Out(P::SerialNumber, SerialNumber(c.Store));
    return 0;
}

int SetSerialNumber(VRContext& c) {
    const QString serial = c.InStr(P::SerialNumber).trimmed();
    if (serial.isEmpty() || serial.size() > 16)
        return int(RC::BadParameters);
    for (QChar ch : serial)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return int(RC::BadParameters);
    // The factory number is written once, in the factory.
    if (SerialNumber(c.Store) != QLatin1String(kZeroSerial))
        return int(RC::NotInMode);
    if (serial.count(QLatin1Char('0')) == serial.size())
        return int(RC::BadParameters);
    c.Store.Set(QStringLiteral("serial"), serial);
    return 0;
}

int WaitConnection(VRContext&) {
    return 0;
}

int WaitForPrinting(VRContext& c) {
    // Printing is instant here: the phase of printing is already over.
    const int sub = int(c.Store.GetInt(QStringLiteral("submode")));
    if (sub == 4 || sub == 5)
        c.Store.Set(QStringLiteral("submode"), 0);
    return 0;
}

int WaitForCheckClose(VRContext& c) {
    // Nothing closes a receipt but a command: an open one stays open.
    return Mode(c.Store) == ModeDocumentOpen ? int(RC::ReceiptOpen) : 0;
}

// The register's interfaces: RS-232 0, Bluetooth 1, USB 2, WiFi 3, TCP socket 128.
bool ValidPort(int port) {
    return (port >= 0 && port <= 3) || port == 128;
}

QString PortKey(int port, const char* what) {
    return QStringLiteral("port.%1.%2").arg(port).arg(QLatin1String(what));
}

int GetExchangeParam(VRContext& c) {
    const int port = c.InInt(P::PortNumber);
    if (!ValidPort(port))
        return int(RC::BadParameters);
    c.Out(P::BaudRate, int(c.Store.GetInt(PortKey(port, "baud"), 6)));
    c.Out(P::Timeout, int(c.Store.GetInt(PortKey(port, "timeout"), 100)));
    c.Out(P::TCPPort, int(c.Store.GetInt(PortKey(port, "tcpport"), 7778)));
    return 0;
}

int SetExchangeParam(VRContext& c) {
    const int port = c.InInt(P::PortNumber);
    const int baud = c.InInt(P::BaudRate);
    const int timeout = c.InInt(P::Timeout);
    const int tcp = c.InInt(P::TCPPort);
    if (!ValidPort(port) || baud < 0 || baud > 9 || timeout < 0 || timeout > 255 || tcp < 0 ||
        tcp > 65535)
        return int(RC::BadParameters);
    c.Store.Set(PortKey(port, "baud"), baud);
    c.Store.Set(PortKey(port, "timeout"), timeout);
    if (c.Has(P::TCPPort))
        c.Store.Set(PortKey(port, "tcpport"), tcp);
    return 0;
}

} // namespace

int VRState::SerialRate(VRStore& s) {
    return int(s.GetInt(PortKey(0, "baud"), 6));
}

namespace VRStatus {

void AddHandlers(VRHandlerTable& t) {
    t[MethodId::GetECRStatus] = GetECRStatus;
    t[MethodId::GetShortECRStatus] = GetShortECRStatus;
    t[MethodId::ResetECR] = ResetECR;
    t[MethodId::ReadSerialNumber] = ReadSerialNumber;
    t[MethodId::SetSerialNumber] = SetSerialNumber;
    t[MethodId::WaitConnection] = WaitConnection;
    t[MethodId::WaitForPrinting] = WaitForPrinting;
    t[MethodId::WaitForCheckClose] = WaitForCheckClose;
    t[MethodId::GetExchangeParam] = GetExchangeParam;
    t[MethodId::SetExchangeParam] = SetExchangeParam;
}

} // namespace VRStatus
