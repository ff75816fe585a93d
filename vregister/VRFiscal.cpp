// The fiscal storage of the virtual register.

#include "vregister/VRFiscal.h"

#include "driver/ResultCodes.h"
#include "driver/untUtil.h"
#include "platform/Crc.h"
#include "vregister/VRHandlers.h"
#include "vregister/VRModelProfile.h"
#include "vregister/VRPrinter.h"
#include "vregister/VRState.h"
#include "vregister/VRTableSchema.h"
#include "vregister/VRTotals.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QRandomGenerator>

namespace {

using P = PropertyId;

const QString kSerial = QStringLiteral("fn.serial");
const QString kSecret = QStringLiteral("fn.secret");
const QString kPhase = QStringLiteral("fn.phase");
const QString kExpires = QStringLiteral("fn.expires");
const QString kPending = QStringLiteral("fn.pending"); // status code of a begun document
const QString kOnline = QStringLiteral("fn.online");
const QString kConfirmDelay = QStringLiteral("fn.confirm_delay");
const QString kDocNumber = QStringLiteral("document.number");
const QString kShiftOpen = QStringLiteral("session.open");
const QString kShiftOpened = QStringLiteral("session.opened");
const QString kShiftNumber = QStringLiteral("session.number");
const QString kRegCount = QStringLiteral("registration.count");
const QString kRegInn = QStringLiteral("registration.inn");
// The marking-code keys: when they were last updated and what the last
// update answered (GetShortECRStatus reports the last two).
const QString kKeysUpdated = QStringLiteral("keys.updated");
const QString kKeysResult = QStringLiteral("keys.result");
const QString kKeysStatus = QStringLiteral("keys.status");
const QString kReceiptOpen = QStringLiteral("document.open");
// Document properties that are no driver property: the register's serial
// and the time of the first document the operator has not confirmed.
constexpr char kPropKktSerial[] = "KKTSerial";
constexpr char kPropFirstUnsent[] = "FirstUnsent";

// The FN table (logical 18) and the register's settings table (17).
constexpr int kFnTable = 18, kSettingsTable = 17, kTimeZoneField = 66;
constexpr int kFnResource5Year = 250000, kFn30DayKb = 512, kLifeMonths = 36;
// Fields of the FN table: the register's copy of its registration.
constexpr int kFieldInn = 2, kFieldRnm = 3, kFieldWorkModeEx = 21, kFieldReasonsEx = 22;

// Status codes of the document open in the storage (FNCurrentDocument).
enum Pending {
    PendRegistration = 1,
    PendOpenShift = 2,
    PendCloseShift = 8,
    PendCloseFm = 16,
    PendReregistrationNewFn = 18,
    PendReregistration = 19,
    PendCalculationState = 23,
};

// Re-registration reasons: code 1 and bit 0 of the tag 1205 mask both mean
// "the fiscal storage was replaced".
constexpr int kReasonFnReplaced = 1;
constexpr quint32 kReasonExFnReplaced = 1;

// The marking-code keys are renewed at a shift opening once they are this old.
constexpr int kKeysRenewDays = 30;
// What the key service gives: two keys; in the status the count sits above bit 1.
constexpr int kKeysPerUpdate = 2;
// Key-update answers: 254 "no update needed", 255 "no link"; status bit 0:
// the update was not done.
constexpr int kKeysNotNeeded = 254, kKeysNoLink = 255, kKeysNotDone = 1;
// The raw key-update command and its fixed access value; its answer bytes.
const QByteArray kKeyUpdateCommand = QByteArray::fromHex("FEE1");
const QByteArray kKeyUpdateAccess = QByteArray::fromHex("5A3C960F");
constexpr char kKeyAnswerNoLink = char(0xFF);

// FN counters the register keeps among its money registers.
enum CounterReg {
    RegDocsInShift = 4230,
    RegCalcReportsInShift = 4291,
    RegShiftsOfFn = 4354,
    RegDocsOfFn = 4361,
};
// Operation registers: shift-closing reports, shifts since the start.
constexpr int kOpClosingReports = 179, kOpShifts = 242;

const char* DocTitle(int type) {
    switch (type) {
    case VRFiscal::DocRegistration:
        return "ОТЧЕТ О РЕГИСТРАЦИИ";
    case VRFiscal::DocReregistration:
        return "ОТЧЕТ ОБ ИЗМ. ПАРАМЕТРОВ РЕГИСТРАЦИИ";
    case VRFiscal::DocOpenShift:
        return "ОТЧЕТ ОБ ОТКР. СМЕНЫ";
    case VRFiscal::DocCloseShift:
        return "ОТЧЕТ О ЗАКР. СМЕНЫ";
    case VRFiscal::DocCloseFiscalMode:
        return "ОТЧЕТ О ЗАКР. ФН";
    case VRFiscal::DocCalculationState:
        return "ОТЧЕТ О ТЕК. СОСТ. РАСЧЕТОВ";
    default:
        return "ФИСКАЛЬНЫЙ ДОКУМЕНТ";
    }
}

QString NewSerial() {
    return QStringLiteral("99990789%1")
        .arg(QRandomGenerator::global()->bounded(100000000), 8, 10, QLatin1Char('0'));
}

void Install(VRStore& s, const QDateTime& now) {
    QByteArray secret(16, '\0');
    for (char& b : secret)
        b = char(QRandomGenerator::global()->bounded(256));
    s.Set(kSerial, NewSerial());
    s.Set(kSecret, QString::fromLatin1(secret.toHex()));
    s.Set(kPhase, int(VRFiscal::PhaseReady));
    s.Set(kExpires, now.addMonths(kLifeMonths).toSecsSinceEpoch());
    s.Set(kPending, 0);
    s.Set(kDocNumber, 0);
    s.Set(kRegCount, 0);
    s.Set(kShiftOpen, 0);
    s.Set(kShiftNumber, 0);
    // The marking-code keys live in the storage: a new one has none yet.
    s.Set(kKeysUpdated, 0);
    s.Set(kKeysResult, kKeysNotNeeded);
    s.Set(kKeysStatus, 0);
}

// The storage as a command finds it: installed, and the operator's
// confirmations that are due applied.
void Prepare(VRStore& s, const QDateTime& now) {
    if (s.GetStr(kSerial).isEmpty())
        Install(s, now);
    const QString fn = s.GetStr(kSerial);
    if (VRFiscal::Online(s))
        s.Exec("UPDATE fn_documents SET confirmed = 1 WHERE fn = ?1 AND confirmed = 0 "
               "AND time <= ?2",
               {fn, now.toSecsSinceEpoch() - s.GetInt(kConfirmDelay, 1)});
    if (s.GetInt(kPhase) == VRFiscal::PhaseClosed &&
        !s.Scalar("SELECT 1 FROM fn_documents WHERE fn = ?1 AND confirmed = 0", {fn}))
        s.Set(kPhase, int(VRFiscal::PhaseTransferred));
}

bool ShiftOpen(VRStore& s) {
    return s.GetInt(kShiftOpen) != 0;
}

// A count kept in a money register: whole units.
Currency Count(qint64 n) {
    constexpr qint64 kRawPerUnit = 10000;
    return Currency::FromRaw(n * kRawPerUnit);
}

qint64 CountDocs(VRStore& s, const char* where, const std::vector<QVariant>& args = {}) {
    QByteArray sql = "SELECT COUNT(*) FROM fn_documents WHERE fn = ?1 AND ";
    sql += where;
    std::vector<QVariant> all{VRFiscal::FnSerial(s)};
    all.insert(all.end(), args.begin(), args.end());
    return s.Scalar(sql.constData(), all)->toLongLong();
}

// The FN counters among the register's money registers, as the archive has
// them: documents and shifts of this storage, documents and settlement
// reports of the open shift.
void SyncCounters(VRStore& s) {
    qint64 inShift = 0, calcInShift = 0;
    if (ShiftOpen(s)) {
        const auto first =
            s.Scalar("SELECT MAX(number) FROM fn_documents WHERE fn = ?1 AND type = ?2",
                     {VRFiscal::FnSerial(s), int(VRFiscal::DocOpenShift)});
        const qint64 from = first ? first->toLongLong() : 0;
        inShift = CountDocs(s, "number >= ?2", {from});
        calcInShift =
            CountDocs(s, "number >= ?2 AND type = ?3", {from, int(VRFiscal::DocCalculationState)});
    }
    VRTotals::SetCash(s, RegDocsOfFn, Count(CountDocs(s, "1")));
    VRTotals::SetCash(s, RegShiftsOfFn,
                      Count(CountDocs(s, "type = ?2", {int(VRFiscal::DocOpenShift)})));
    VRTotals::SetCash(s, RegDocsInShift, Count(inShift));
    VRTotals::SetCash(s, RegCalcReportsInShift, Count(calcInShift));
}

bool KeysDue(VRStore& s, const QDateTime& now) {
    const qint64 updated = s.GetInt(kKeysUpdated);
    return updated == 0 || QDateTime::fromSecsSinceEpoch(updated).daysTo(now) >= kKeysRenewDays;
}

// Keys updated now: `count` of them.
void KeysUpdated(VRStore& s, const QDateTime& now, int count) {
    s.Set(kKeysUpdated, now.toSecsSinceEpoch());
    s.Set(kKeysResult, 0);
    s.Set(kKeysStatus, count << 2);
}

// A shift opening renews old keys when the operator's link is up.
void CheckKeysAtShiftOpening(VRStore& s, const QDateTime& now) {
    if (!KeysDue(s, now)) {
        s.Set(kKeysResult, kKeysNotNeeded);
        s.Set(kKeysStatus, 0);
    } else if (VRFiscal::Online(s)) {
        KeysUpdated(s, now, kKeysPerUpdate);
    } else {
        s.Set(kKeysResult, kKeysNoLink);
        s.Set(kKeysStatus, kKeysNotDone);
    }
}

void OutDateTime(VRContext& c, P date, P time, const QDateTime& t) {
    c.Out(date, QDateTime(t.date(), QTime(0, 0)));
    c.Out(time, QDateTime(QDate(1899, 12, 30), t.time()));
}

// Prints the document's slip; 0 or the printer's code.
int PrintDocument(VRContext& c, const QDateTime& now, int type, int number, quint32 sign,
                  const QStringList& lines) {
    QStringList text{QString::fromUtf8(DocTitle(type))};
    text << lines;
    text << QStringLiteral("ФН %1").arg(VRFiscal::FnSerial(c.Store));
    text << QStringLiteral("ФД %1  ФП %2").arg(number).arg(sign);
    text << now.toString(QStringLiteral("dd.MM.yy hh:mm"));
    return VRPrinter::PrintText(c.Store, now, text.join(QLatin1Char('\n')), 1,
                                VRPrinter::Station{});
}

// Makes, prints and answers a document; the slip is printed first so that
// a printer fault leaves no document behind.
int Issue(VRContext& c, int type, const QVariantMap& props, const QStringList& lines) {
    VRStore& s = c.Store;
    const QDateTime now = c.Now();
    const int number = int(s.GetInt(kDocNumber)) + 1;
    const QByteArray content = QJsonDocument::fromVariant(props).toJson(QJsonDocument::Compact);
    const quint32 sign = VRFiscal::FiscalSign(QByteArray::fromHex(s.GetStr(kSecret).toLatin1()),
                                              type, number, now.toSecsSinceEpoch(), content);
    if (const int code = PrintDocument(c, now, type, number, sign, lines))
        return code;
    const auto doc = VRFiscal::MakeDocument(s, now, type, props);
    s.Set(kPending, 0);
    c.Out(P::DocumentNumber, doc.number);
    c.Out(P::FiscalSign, doc.fiscalSign);
    return 0;
}

struct DocRow {
    int number = 0, type = 0;
    QDateTime time;
    quint32 sign = 0;
    QVariantMap props;
    bool confirmed = false;
};

std::vector<DocRow> Docs(VRStore& s, const char* where, const std::vector<QVariant>& args) {
    QByteArray sql = "SELECT number, type, time, sign, props, confirmed FROM fn_documents "
                     "WHERE fn = ?1 AND ";
    sql += where;
    sql += " ORDER BY number";
    std::vector<DocRow> out;
    std::vector<QVariant> all{VRFiscal::FnSerial(s)};
    all.insert(all.end(), args.begin(), args.end());
    for (const auto& r : s.Query(sql.constData(), all)) {
        DocRow d;
        d.number = int(r[0].toLongLong());
        d.type = int(r[1].toLongLong());
        d.time = QDateTime::fromSecsSinceEpoch(r[2].toLongLong());
        d.sign = quint32(r[3].toLongLong());
        d.props = QJsonDocument::fromJson(r[4].toString().toUtf8()).toVariant().toMap();
        d.confirmed = r[5].toLongLong() != 0;
        out.push_back(std::move(d));
    }
    return out;
}

// Every property the document keeps, answered by name.
void OutProps(VRContext& c, const QVariantMap& props) {
    for (auto it = props.begin(); it != props.end(); ++it)
        if (const auto* p = Ledgra::PropertyByName(it.key()))
            c.Out(p->id, it.value());
}

std::vector<DocRow> Registrations(VRStore& s) {
    return Docs(s, "type IN (1, 11)", {});
}

// --- status -----------------------------------------------------------------

int FNGetStatus(VRContext& c) {
    Prepare(c.Store, c.Now());
    c.Out(P::FNLifeState, VRFiscal::LifeState(c.Store));
    c.Out(P::FNCurrentDocument, int(c.Store.GetInt(kPending)));
    c.Out(P::FNDocumentData, 0);
    c.Out(P::FNSessionState, ShiftOpen(c.Store) ? 1 : 0);
    // Bit 0: the storage ends within 3 days, bit 1: within 30 days.
    const qint64 days = c.Now().daysTo(QDateTime::fromSecsSinceEpoch(c.Store.GetInt(kExpires)));
    c.Out(P::FNWarningFlags, (days < 3 ? 1 : 0) | (days < 30 ? 2 : 0));
    OutDateTime(c, P::Date, P::Time, c.Now());
    c.Out(P::SerialNumber, VRFiscal::FnSerial(c.Store));
    c.Out(P::DocumentNumber, int(c.Store.GetInt(kDocNumber)));
    return 0;
}

int FNGetSerial(VRContext& c) {
    Prepare(c.Store, c.Now());
    c.Out(P::SerialNumber, VRFiscal::FnSerial(c.Store));
    return 0;
}

int FNGetExpirationTime(VRContext& c) {
    Prepare(c.Store, c.Now());
    const QDateTime expires = QDateTime::fromSecsSinceEpoch(c.Store.GetInt(kExpires));
    c.Out(P::Date, QDateTime(expires.date(), QTime(0, 0)));
    const int regs = int(c.Store.GetInt(kRegCount));
    c.Out(P::RegistrationNumber, regs);
    c.Out(P::FreeRegistration, qMax(0, VRFiscal::kMaxRegistrations - regs));
    return 0;
}

int FNGetVersion(VRContext& c) {
    Prepare(c.Store, c.Now());
    c.Out(P::FNSoftVersion, QStringLiteral("fn_v_1_2_vr"));
    c.Out(P::FNSoftType, 1);
    return 0;
}

int FNGetImplementation(VRContext& c) {
    Prepare(c.Store, c.Now());
    c.Out(P::FNImplementation, QStringLiteral("ФН-1.2 (36 мес.)"));
    return 0;
}

int FNGetFreeMemoryResource(VRContext& c) {
    Prepare(c.Store, c.Now());
    const QString fn = VRFiscal::FnSerial(c.Store);
    const qint64 docs =
        c.Store.Scalar("SELECT COUNT(*) FROM fn_documents WHERE fn = ?1", {fn})->toLongLong();
    const qint64 queued =
        c.Store.Scalar("SELECT COUNT(*) FROM fn_documents WHERE fn = ?1 AND confirmed = 0", {fn})
            ->toLongLong();
    c.Out(P::FN5YearResource, int(qMax<qint64>(0, kFnResource5Year - docs)));
    c.Out(P::FN30DayResource, int(qMax<qint64>(0, kFn30DayKb - queued)));
    c.Out(P::FNMarkingFillPercentage, 0);
    return 0;
}

int FNGetOSUSupportStatus(VRContext& c) {
    Prepare(c.Store, c.Now());
    c.Out(P::FNOSUSupportStatus, 0);
    return 0;
}

int FNGetDocumentSize(VRContext& c) {
    Prepare(c.Store, c.Now());
    const auto queued = Docs(c.Store, "confirmed = 0", {});
    c.Out(P::DocumentSize,
          queued.empty() ? 0
                         : int(QJsonDocument::fromVariant(queued.front().props).toJson().size()));
    c.Out(P::NotificationSize, 0);
    return 0;
}

// --- registration -----------------------------------------------------------

// A fresh storage takes, besides a registration, a re-registration "in
// connection with the replacement of the FN": it carries the register's
// registration over to the new storage, so it must give the reason and the
// ИНН and registration number the register already has (kept in its FN
// table, which a replacement leaves alone). Any other re-registration, and
// one of a register never registered, finds the storage in another state.
bool RegisteredBefore(VRStore& s) {
    return !VRTables::ReadStr(s, kFnTable, 1, kFieldInn).trimmed().isEmpty() &&
           !VRTables::ReadStr(s, kFnTable, 1, kFieldRnm).trimmed().isEmpty();
}

int CheckFnReplacement(VRStore& s, const QString& inn, const QString& rnm, int reason,
                       quint32 reasonEx) {
    const QString oldInn = VRTables::ReadStr(s, kFnTable, 1, kFieldInn).trimmed();
    const QString oldRnm = VRTables::ReadStr(s, kFnTable, 1, kFieldRnm).trimmed();
    if (reason != kReasonFnReplaced && !(reasonEx & kReasonExFnReplaced))
        return int(RC::FnWrongState);
    // Another user or number is a new registration, not a carried-over one.
    if (inn != oldInn || rnm != oldRnm)
        return int(RC::FnBadParameters);
    return 0;
}

int Register(VRContext& c, bool rereg) {
    VRStore& s = c.Store;
    Prepare(s, c.Now());
    const int phase = VRFiscal::LifeState(s);
    const bool newFn = rereg && phase == VRFiscal::PhaseReady;
    if ((phase != (rereg && !newFn ? VRFiscal::PhaseFiscal : VRFiscal::PhaseReady)) ||
        ShiftOpen(s) || (newFn && !RegisteredBefore(s)))
        return int(RC::FnWrongState);
    const int regs = int(s.GetInt(kRegCount));
    if (regs >= VRFiscal::kMaxRegistrations)
        return int(RC::FnResourceExhausted);
    const QString inn = c.InStr(P::INN).trimmed();
    const QString rnm = c.InStr(P::KKTRegistrationNumber).trimmed();
    const int tax = c.InInt(P::TaxType);
    const int workMode = c.InInt(P::WorkMode);
    if (!VRFiscal::ValidInn(inn) || !VRFiscal::ValidRnm(rnm, inn, VRState::SerialNumber(s)) ||
        tax <= 0 || tax > 63 || workMode < 0 || workMode > 255)
        return int(RC::FnBadParameters);
    // The extended mode and the reasons live in the FN table, where the
    // fiscalization page writes them just before the build; the properties
    // serve a caller that leaves the table at zero. (The properties may hold
    // what an earlier read-back gave, so they must not outrank the table.)
    int workModeEx = int(VRTables::ReadInt(s, kFnTable, 1, kFieldWorkModeEx));
    if (workModeEx == 0)
        workModeEx = c.InInt(P::WorkModeEx);
    quint32 reasonEx = quint32(VRTables::ReadInt(s, kFnTable, 1, kFieldReasonsEx));
    if (reasonEx == 0)
        reasonEx = quint32(c.InInt(P::RegistrationReasonCodeEx));
    const int reason = rereg ? c.InInt(P::RegistrationReasonCode) : 0;
    if (workModeEx < 0 || workModeEx > 255 || (rereg && reason <= 0 && reasonEx == 0))
        return int(RC::FnBadParameters);
    if (newFn)
        if (const int code = CheckFnReplacement(s, inn, rnm, reason, reasonEx))
            return code;

    QVariantMap props;
    props[QStringLiteral("INN")] = inn;
    props[QStringLiteral("KKTRegistrationNumber")] = rnm;
    props[QStringLiteral("INNOFD")] = VRTables::ReadStr(s, kFnTable, 1, 12).trimmed();
    props[QStringLiteral("TaxType")] = tax;
    props[QStringLiteral("WorkMode")] = workMode;
    props[QStringLiteral("WorkModeEx")] = workModeEx;
    props[QStringLiteral("RegistrationReasonCode")] = reason;
    props[QStringLiteral("RegistrationReasonCodeEx")] = int(qint32(reasonEx));
    props[QStringLiteral("RegistrationNumber")] = regs + 1;
    props[QStringLiteral("TimeZone")] =
        int(VRTables::ReadInt(s, kSettingsTable, 1, kTimeZoneField));
    props[QString::fromLatin1(kPropKktSerial)] = VRState::SerialNumber(s);
    QStringList lines{QStringLiteral("ИНН %1").arg(inn), QStringLiteral("РН ККТ %1").arg(rnm)};
    if (newFn)
        lines << QStringLiteral("ЗАМЕНА ФН");
    const int code =
        Issue(c, rereg ? VRFiscal::DocReregistration : VRFiscal::DocRegistration, props, lines);
    if (code)
        return code;
    s.Set(kRegCount, regs + 1);
    s.Set(kRegInn, inn);
    s.Set(kPhase, int(VRFiscal::PhaseFiscal));
    // The register's own copy of the registration data.
    VRTables::WriteStr(s, kFnTable, 1, 1, VRState::SerialNumber(s));
    VRTables::WriteStr(s, kFnTable, 1, kFieldInn, inn);
    VRTables::WriteStr(s, kFnTable, 1, kFieldRnm, rnm);
    VRTables::WriteStr(s, kFnTable, 1, 4, VRFiscal::FnSerial(s));
    VRTables::WriteInt(s, kFnTable, 1, 5, tax);
    VRTables::WriteInt(s, kFnTable, 1, 6, workMode);
    return 0;
}

// The report type of FNBeginRegistrationReport: a registration, a
// re-registration on a new storage, one on the storage in use.
int FNBeginRegistrationReport(VRContext& c) {
    VRStore& s = c.Store;
    Prepare(s, c.Now());
    const int phase = VRFiscal::LifeState(s);
    if (ShiftOpen(s))
        return int(RC::FnWrongState);
    int pending = 0;
    switch (c.InInt(P::ReportTypeInt)) {
    case 0:
        pending = PendRegistration;
        break;
    case 1:
        pending = PendReregistrationNewFn;
        break;
    case 2:
        pending = PendReregistration;
        break;
    default:
        return int(RC::FnBadParameters);
    }
    if (phase != (pending == PendReregistration ? VRFiscal::PhaseFiscal : VRFiscal::PhaseReady))
        return int(RC::FnWrongState);
    s.Set(kPending, pending);
    return 0;
}

int FNBuildRegistrationReport(VRContext& c) {
    return Register(c, false);
}

int FNBuildReregistrationReport(VRContext& c) {
    return Register(c, true);
}

int OutRegistration(VRContext& c, const DocRow& d) {
    OutProps(c, d.props);
    OutDateTime(c, P::Date, P::Time, d.time);
    c.Out(P::DocumentNumber, d.number);
    c.Out(P::FiscalSign, d.sign);
    return 0;
}

int FNGetFiscalizationResult(VRContext& c) {
    Prepare(c.Store, c.Now());
    const auto regs = Registrations(c.Store);
    if (regs.empty())
        return int(RC::FnNoData);
    return OutRegistration(c, regs.back());
}

int FNGetFiscalizationResultByNumber(VRContext& c) {
    Prepare(c.Store, c.Now());
    const auto regs = Registrations(c.Store);
    const int n = c.InInt(P::RegistrationNumber);
    if (n < 1 || n > int(regs.size()))
        return int(RC::FnNoData);
    return OutRegistration(c, regs[size_t(n - 1)]);
}

// --- documents and shifts ---------------------------------------------------

int FNFindDocument(VRContext& c) {
    Prepare(c.Store, c.Now());
    const auto docs = Docs(c.Store, "number = ?2", {c.InInt(P::DocumentNumber)});
    if (docs.empty())
        return int(RC::FnNoData);
    const DocRow& d = docs.front();
    c.Out(P::DocumentType, d.type);
    c.Out(P::OFDTicketReceived, d.confirmed);
    OutDateTime(c, P::Date, P::Time, d.time);
    c.Out(P::DocumentNumber, d.number);
    c.Out(P::FiscalSign, d.sign);
    OutProps(c, d.props);
    if (d.props.contains(QLatin1String(kPropFirstUnsent)))
        OutDateTime(c, P::Date2, P::Time2,
                    QDateTime::fromSecsSinceEpoch(
                        d.props.value(QLatin1String(kPropFirstUnsent)).toLongLong()));
    return 0;
}

int FNBeginOpenSession(VRContext& c) {
    Prepare(c.Store, c.Now());
    if (VRFiscal::LifeState(c.Store) != VRFiscal::PhaseFiscal || ShiftOpen(c.Store))
        return int(RC::FnWrongState);
    c.Store.Set(kPending, int(PendOpenShift));
    return 0;
}

int OpenSession(VRContext& c) {
    VRStore& s = c.Store;
    Prepare(s, c.Now());
    if (ShiftOpen(s))
        return int(RC::FnWrongState);
    if (const int code = VRFiscal::CanMakeDocument(s, c.Now(), false))
        return code;
    const int number = int(s.GetInt(kShiftNumber)) + 1;
    const int code = Issue(c, VRFiscal::DocOpenShift, {{QStringLiteral("SessionNumber"), number}},
                           {QStringLiteral("СМЕНА %1").arg(number)});
    if (code)
        return code;
    s.Set(kShiftNumber, number);
    s.Set(kShiftOpen, 1);
    s.Set(kShiftOpened, c.Now().toSecsSinceEpoch());
    s.Set(QString::fromLatin1(VRFiscal::kReceiptNumberKey), 0);
    VRTotals::AddOperation(s, kOpShifts, 1);
    SyncCounters(s);
    CheckKeysAtShiftOpening(s, c.Now());
    return 0;
}

int FNBeginCloseSession(VRContext& c) {
    Prepare(c.Store, c.Now());
    if (VRFiscal::LifeState(c.Store) != VRFiscal::PhaseFiscal || !ShiftOpen(c.Store))
        return int(RC::FnWrongState);
    c.Store.Set(kPending, int(PendCloseShift));
    return 0;
}

int PrintReportWithCleaning(VRContext& c) {
    VRStore& s = c.Store;
    Prepare(s, c.Now());
    if (VRFiscal::LifeState(s) != VRFiscal::PhaseFiscal || !ShiftOpen(s))
        return int(RC::FnWrongState);
    if (s.GetInt(kReceiptOpen))
        return int(RC::ReceiptOpen);
    // Closing is allowed after 24 hours: it is what ends such a shift.
    const int number = int(s.GetInt(kShiftNumber));
    const int code = Issue(c, VRFiscal::DocCloseShift, {{QStringLiteral("SessionNumber"), number}},
                           {QStringLiteral("СМЕНА %1").arg(number)});
    if (code)
        return code;
    s.Set(kShiftOpen, 0);
    // The report with cleaning: the shift's registers start the next shift at zero.
    VRTotals::ClearShift(s);
    VRTotals::AddOperation(s, kOpClosingReports, 1);
    SyncCounters(s);
    return 0;
}

int FNGetCurrentSessionParams(VRContext& c) {
    Prepare(c.Store, c.Now());
    c.Out(P::SessionNumber, int(c.Store.GetInt(kShiftNumber)));
    c.Out(P::FNSessionState, ShiftOpen(c.Store) ? 1 : 0);
    c.Out(P::ReceiptNumber, int(c.Store.GetInt(QString::fromLatin1(VRFiscal::kReceiptNumberKey))));
    return 0;
}

int FNBeginCloseFiscalMode(VRContext& c) {
    Prepare(c.Store, c.Now());
    if (VRFiscal::LifeState(c.Store) != VRFiscal::PhaseFiscal || ShiftOpen(c.Store))
        return int(RC::FnWrongState);
    c.Store.Set(kPending, int(PendCloseFm));
    return 0;
}

int FNCloseFiscalMode(VRContext& c) {
    VRStore& s = c.Store;
    Prepare(s, c.Now());
    if (VRFiscal::LifeState(s) != VRFiscal::PhaseFiscal || ShiftOpen(s))
        return int(RC::FnWrongState);
    const auto regs = Registrations(s);
    QVariantMap props;
    for (const char* key : {"INN", "KKTRegistrationNumber"})
        props[QLatin1String(key)] =
            regs.empty() ? QVariant() : regs.back().props.value(QLatin1String(key));
    const int code = Issue(c, VRFiscal::DocCloseFiscalMode, props, {});
    if (code)
        return code;
    s.Set(kPhase, int(VRFiscal::PhaseClosed));
    Prepare(s, c.Now());
    return 0;
}

int FNCancelDocument(VRContext& c) {
    Prepare(c.Store, c.Now());
    c.Store.Set(kPending, 0);
    return 0;
}

// --- the operator's queue ---------------------------------------------------

int FNGetInfoExchangeStatus(VRContext& c) {
    Prepare(c.Store, c.Now());
    const auto queued = Docs(c.Store, "confirmed = 0", {});
    const bool online = VRFiscal::Online(c.Store);
    c.Out(P::InfoExchangeStatus, (online ? 1 : 0) | (queued.empty() ? 0 : 2));
    c.Out(P::MessageState, 0);
    c.Out(P::MessageCount, int(queued.size()));
    c.Out(P::DocumentNumber, queued.empty() ? 0 : queued.front().number);
    OutDateTime(c, P::Date, P::Time, queued.empty() ? QDateTime() : queued.front().time);
    return 0;
}

int FNGetUnconfirmedDocCount(VRContext& c) {
    Prepare(c.Store, c.Now());
    c.Out(P::DocumentCount, int(Docs(c.Store, "confirmed = 0", {}).size()));
    return 0;
}

// --- the settlement-state report, resets, counters -----------------------------

int FNBeginCalculationStateReport(VRContext& c) {
    VRStore& s = c.Store;
    Prepare(s, c.Now());
    if (VRFiscal::LifeState(s) != VRFiscal::PhaseFiscal)
        return int(RC::FnWrongState);
    if (s.GetInt(kReceiptOpen))
        return int(RC::ReceiptOpen);
    s.Set(kPending, int(PendCalculationState));
    return 0;
}

// The report needs no begun document: a caller may build it at once. It
// counts the documents the operator had not confirmed when it was made.
int FNBuildCalculationStateReport(VRContext& c) {
    VRStore& s = c.Store;
    const QDateTime now = c.Now();
    if (const int code = VRFiscal::CanMakeDocument(s, now, false))
        return code;
    if (s.GetInt(kReceiptOpen))
        return int(RC::ReceiptOpen);
    const auto queued = Docs(s, "confirmed = 0", {});
    QVariantMap props;
    props[QStringLiteral("DocumentCount")] = int(queued.size());
    QStringList lines{QStringLiteral("НЕПЕРЕДАННЫХ ФД: %1").arg(queued.size())};
    QDateTime first;
    if (!queued.empty()) {
        first = queued.front().time;
        props[QLatin1String(kPropFirstUnsent)] = first.toSecsSinceEpoch();
        lines << QStringLiteral("ФД НЕ ПЕРЕДАНЫ С: %1")
                     .arg(first.toString(QStringLiteral("dd.MM.yy hh:mm")));
    }
    if (const int code = Issue(c, VRFiscal::DocCalculationState, props, lines))
        return code;
    c.Out(P::DocumentCount, int(queued.size()));
    OutDateTime(c, P::Date, P::Time, first);
    return 0;
}

// Request type 0 resets the storage's exchange state: the document begun in
// it is dropped. A serial storage knows no other reset (its archive and
// phase cannot be reset).
int FNResetState(VRContext& c) {
    Prepare(c.Store, c.Now());
    if (c.InInt(P::RequestType) != 0)
        return int(RC::FnBadParameters);
    c.Store.Set(kPending, 0);
    return 0;
}

int FNCountersSync(VRContext& c) {
    Prepare(c.Store, c.Now());
    SyncCounters(c.Store);
    return 0;
}

// --- documents as text, TLV and QR code ---------------------------------------

bool IsReceipt(int type) {
    constexpr int kBso = 4, kBsoCorrection = 41;
    return type == VRFiscal::DocReceipt || type == kBso || type == VRFiscal::DocCorrectionReceipt ||
           type == kBsoCorrection;
}

Currency PropSum(const QVariantMap& props, const char* name) {
    const QVariant v = props.value(QLatin1String(name));
    if (v.metaType() == QMetaType::fromType<Currency>())
        return v.value<Currency>();
    return Currency::Parse(v.toString()).value_or(Currency{});
}

// The text of a receipt's QR code, the way registers print it.
int FNReadFiscalBarcode(VRContext& c) {
    Prepare(c.Store, c.Now());
    const auto docs = Docs(c.Store, "number = ?2", {c.InInt(P::DocumentNumber)});
    if (docs.empty() || !IsReceipt(docs.front().type))
        return int(RC::FnNoData);
    const DocRow& d = docs.front();
    const Currency sum = PropSum(d.props, "Summ1");
    c.Out(P::BarCode, QStringLiteral("t=%1&s=%2&fn=%3&i=%4&fp=%5&n=%6")
                          .arg(d.time.toString(QStringLiteral("yyyyMMddTHHmm")))
                          .arg(sum.raw / 10000.0, 0, 'f', 2)
                          .arg(VRFiscal::FnSerial(c.Store))
                          .arg(d.number)
                          .arg(d.sign)
                          .arg(d.props.value(QStringLiteral("OperationType")).toInt()));
    return 0;
}

// The tags of the archive's documents: the fiscal data format's numbers.
enum class TagKind { Str, Byte, U32, Time, Flag, Vln, Fpd };
struct TagDef {
    int tag;
    const char* name;
    const char* prop; // the document property that holds the value
    TagKind kind;
    int arg = 0; // Str: the fixed width (0: as long as the text); Flag: the bit
};

constexpr char kPropTime[] = "#time", kPropNumber[] = "#number", kPropSign[] = "#sign",
               kPropFn[] = "#fn";

const TagDef kTags[] = {
    {1012, "ДАТА, ВРЕМЯ", kPropTime, TagKind::Time},
    {1018, "ИНН ПОЛЬЗ.", "INN", TagKind::Str, 12},
    {1037, "РН ККТ", "KKTRegistrationNumber", TagKind::Str, 20},
    {1013, "ЗН ККТ", kPropKktSerial, TagKind::Str, 20},
    {1017, "ИНН ОФД", "INNOFD", TagKind::Str, 12},
    {1062, "СНО", "TaxType", TagKind::Byte},
    {1056, "ШИФРОВАНИЕ", "WorkMode", TagKind::Flag, 0},
    {1002, "АВТОНОМН. РЕЖИМ", "WorkMode", TagKind::Flag, 1},
    {1001, "АВТОМАТ. РЕЖИМ", "WorkMode", TagKind::Flag, 2},
    {1109, "УСЛУГИ", "WorkMode", TagKind::Flag, 3},
    {1110, "БСО", "WorkMode", TagKind::Flag, 4},
    {1108, "ККТ ДЛЯ ИНТЕРНЕТ", "WorkMode", TagKind::Flag, 5},
    {1207, "ПОДАКЦИЗНЫЕ ТОВАРЫ", "WorkModeEx", TagKind::Flag, 0},
    {1193, "АЗАРТНЫЕ ИГРЫ", "WorkModeEx", TagKind::Flag, 1},
    {1126, "ЛОТЕРЕИ", "WorkModeEx", TagKind::Flag, 2},
    {1221, "ПРИНТЕР В АВТОМАТЕ", "WorkModeEx", TagKind::Flag, 3},
    {1011, "ЧАС. ЗОНА", "TimeZone", TagKind::Byte},
    {1101, "КОД ПРИЧИНЫ ПЕРЕРЕГ.", "RegistrationReasonCode", TagKind::Byte},
    {1205, "КОДЫ ПРИЧИН ИЗМ. СВЕД.", "RegistrationReasonCodeEx", TagKind::U32},
    {1038, "СМЕНА", "SessionNumber", TagKind::U32},
    {1054, "ПРИЗН. РАСЧ.", "OperationType", TagKind::Byte},
    {1020, "СУММА", "Summ1", TagKind::Vln},
    {1097, "НЕПЕРЕДАННЫХ ФД", "DocumentCount", TagKind::U32},
    {1098, "ФД НЕ ПЕРЕДАНЫ С", kPropFirstUnsent, TagKind::Time},
    {1041, "ФН", kPropFn, TagKind::Str, 16},
    {1040, "ФД", kPropNumber, TagKind::U32},
    {1077, "ФП", kPropSign, TagKind::Fpd},
};

// The document's value of a tag: a null variant when the document lacks it.
// Zero numbers and unset flags are left out, as optional tags are.
QVariant TagValue(VRStore& s, const DocRow& d, const TagDef& t) {
    const QLatin1String prop(t.prop);
    QVariant v;
    if (prop == QLatin1String(kPropTime))
        v = d.time.toSecsSinceEpoch();
    else if (prop == QLatin1String(kPropNumber))
        v = d.number;
    else if (prop == QLatin1String(kPropSign))
        v = qint64(d.sign);
    else if (prop == QLatin1String(kPropFn))
        v = VRFiscal::FnSerial(s);
    else
        v = d.props.value(prop);
    if (!v.isValid())
        return {};
    switch (t.kind) {
    case TagKind::Flag:
        return (v.toLongLong() >> t.arg) & 1 ? QVariant(1) : QVariant();
    case TagKind::Byte:
    case TagKind::U32:
        // The count of unsent documents is told even when it is zero.
        return v.toLongLong() != 0 || t.tag == 1097 ? v : QVariant();
    case TagKind::Vln:
        return QVariant::fromValue(PropSum(d.props, t.prop));
    case TagKind::Str:
        return v.toString().trimmed().isEmpty() ? QVariant() : v;
    default:
        return v;
    }
}

QByteArray Le(quint64 v, int bytes) {
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out += char((v >> (8 * i)) & 0xFF);
    return out;
}

// One tag as its TLV bytes: tag and length little-endian, then the value.
QByteArray TagTlv(const TagDef& t, const QVariant& v) {
    QByteArray value;
    switch (t.kind) {
    case TagKind::Str: {
        value = v.toString().trimmed().toLatin1();
        if (t.arg > 0)
            value = value.leftJustified(t.arg, ' ', true);
        break;
    }
    case TagKind::Byte:
    case TagKind::Flag:
        value = Le(quint64(v.toLongLong()), 1);
        break;
    case TagKind::U32:
    case TagKind::Time:
        value = Le(quint64(quint32(v.toLongLong())), 4);
        break;
    case TagKind::Vln: {
        // Kopecks in as few bytes as hold them.
        quint64 kopecks = quint64(qMax<qint64>(0, v.value<Currency>().raw / 100));
        do {
            value += char(kopecks & 0xFF);
            kopecks >>= 8;
        } while (kopecks);
        break;
    }
    case TagKind::Fpd:
        // Six bytes; the printed sign is the last four, big-endian.
        value = QByteArray(2, '\0');
        for (int i = 3; i >= 0; --i)
            value += char((quint32(v.toLongLong()) >> (8 * i)) & 0xFF);
        break;
    }
    return Le(quint64(t.tag), 2) + Le(quint64(value.size()), 2) + value;
}

QString TagText(const TagDef& t, const QVariant& v) {
    switch (t.kind) {
    case TagKind::Str:
        return v.toString().trimmed();
    case TagKind::Flag:
        return QStringLiteral("ДА");
    case TagKind::Time:
        return QDateTime::fromSecsSinceEpoch(v.toLongLong())
            .toString(QStringLiteral("dd.MM.yyyy hh:mm"));
    case TagKind::Vln:
        return QString::number(v.value<Currency>().raw / 10000.0, 'f', 2);
    case TagKind::U32:
        return QString::number(quint32(v.toLongLong()));
    default:
        return QString::number(v.toLongLong());
    }
}

// The registration `number` (0: the latest) or, with type other than 1,
// the archive's document `number`.
std::optional<DocRow> RequestedDocument(VRContext& c, bool registration, int number) {
    if (registration) {
        const auto regs = Registrations(c.Store);
        if (regs.empty() || number < 0 || number > int(regs.size()))
            return std::nullopt;
        return number == 0 ? regs.back() : regs[size_t(number - 1)];
    }
    const auto docs = Docs(c.Store, "number = ?2", {number});
    if (docs.empty())
        return std::nullopt;
    return docs.front();
}

// Request type 1: a registration document by its registration number;
// any other: a document of the archive by its number.
int FNGetDocumentAsString(VRContext& c) {
    Prepare(c.Store, c.Now());
    const bool registration = c.InInt(P::RequestDocumentType) == 1;
    const auto d = RequestedDocument(
        c, registration, c.InInt(registration ? P::RegistrationNumber : P::DocumentNumber));
    if (!d)
        return int(RC::FnNoData);
    const bool showTags = c.InBool(P::ShowTagNumber);
    QStringList lines{QString::fromUtf8(DocTitle(d->type))};
    for (const TagDef& t : kTags) {
        const QVariant v = TagValue(c.Store, *d, t);
        if (!v.isValid())
            continue;
        const QString name = QString::fromUtf8(t.name);
        lines << (showTags ? QStringLiteral("%1 (%2): %3").arg(name).arg(t.tag).arg(TagText(t, v))
                           : QStringLiteral("%1: %2").arg(name, TagText(t, v)));
    }
    c.Out(P::StringForPrinting, lines.join(QLatin1Char('\n')));
    return 0;
}

// One tag of a registration document as TLV bytes.
int FNRequestRegistrationTLV(VRContext& c) {
    Prepare(c.Store, c.Now());
    const auto d = RequestedDocument(c, true, c.InInt(P::RegistrationNumber));
    if (!d)
        return int(RC::FnNoData);
    const int tag = c.InInt(P::TagNumber);
    for (const TagDef& t : kTags) {
        if (t.tag != tag)
            continue;
        const QVariant v = TagValue(c.Store, *d, t);
        if (!v.isValid())
            break;
        c.Out(P::TLVData, QString::fromLatin1(TagTlv(t, v)));
        return 0;
    }
    return int(RC::FnNoData);
}

} // namespace

namespace VRFiscal {

int LifeState(VRStore& s) {
    return int(s.GetInt(kPhase, PhaseReady));
}

QString FnSerial(VRStore& s) {
    return s.GetStr(kSerial);
}

int CanMakeDocument(VRStore& s, const QDateTime& now, bool needShift) {
    Prepare(s, now);
    if (LifeState(s) != PhaseFiscal)
        return int(RC::FnWrongState);
    if (!needShift)
        return 0;
    if (!ShiftOpen(s))
        return int(RC::FnWrongState);
    const QDateTime opened = QDateTime::fromSecsSinceEpoch(s.GetInt(kShiftOpened));
    return opened.secsTo(now) >= 24 * 3600 ? int(RC::FnShiftOver24h) : 0;
}

Document MakeDocument(VRStore& s, const QDateTime& now, int type, const QVariantMap& props) {
    Prepare(s, now);
    Document d;
    d.number = int(s.GetInt(kDocNumber)) + 1;
    const QByteArray content = QJsonDocument::fromVariant(props).toJson(QJsonDocument::Compact);
    d.fiscalSign = FiscalSign(QByteArray::fromHex(s.GetStr(kSecret).toLatin1()), type, d.number,
                              now.toSecsSinceEpoch(), content);
    s.Exec("INSERT INTO fn_documents (fn, number, type, time, sign, props, confirmed) "
           "VALUES (?1, ?2, ?3, ?4, ?5, ?6, 0)",
           {FnSerial(s), d.number, type, now.toSecsSinceEpoch(), qint64(d.fiscalSign),
            QString::fromUtf8(content)});
    s.Set(kDocNumber, d.number);
    SyncCounters(s);
    return d;
}

quint32 FiscalSign(const QByteArray& secret, int type, int number, qint64 time,
                   const QByteArray& content) {
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(secret);
    h.addData(QByteArray::number(type) + ':' + QByteArray::number(number) + ':' +
              QByteArray::number(time) + ':');
    h.addData(content);
    const QByteArray r = h.result();
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | quint8(r[i]);
    // Ten digits always: 1000000000 .. 4294967295.
    return 1000000000u + v % 3294967296u;
}

bool ValidInn(const QString& inn) {
    if (inn.size() != 10 && inn.size() != 12)
        return false;
    int d[12] = {};
    for (int i = 0; i < inn.size(); ++i) {
        if (inn[i] < QLatin1Char('0') || inn[i] > QLatin1Char('9'))
            return false;
        d[i] = inn[i].unicode() - '0';
    }
    auto check = [&d](std::initializer_list<int> weights) {
        int sum = 0, i = 0;
        for (int w : weights)
            sum += w * d[i++];
        return sum % 11 % 10;
    };
    if (inn.size() == 10)
        return check({2, 4, 10, 3, 5, 9, 4, 6, 8}) == d[9];
    return check({7, 2, 4, 10, 3, 5, 9, 4, 6, 8}) == d[10] &&
           check({3, 7, 2, 4, 10, 3, 5, 9, 4, 6, 8}) == d[11];
}

QString MakeRnm(const QString& ordinal, const QString& inn, const QString& serial) {
    const QString n = AddLeadingZeros(ordinal, 10);
    const QString data = n + AddLeadingZeros(inn, 12) + AddLeadingZeros(serial, 20);
    return n + AddLeadingZeros(QString::number(CRCCITT16(data.toLatin1())), 6);
}

bool ValidRnm(const QString& rnm, const QString& inn, const QString& serial) {
    if (rnm.size() != 16)
        return false;
    for (QChar ch : rnm)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    return MakeRnm(rnm.left(10), inn, serial) == rnm;
}

void Replace(VRStore& s, const QDateTime& now) {
    Install(s, now);
}

std::optional<int> RawCommand(VRStore& s, const QDateTime& now, const QByteArray& command,
                              QByteArray* answer) {
    if (!command.startsWith(kKeyUpdateCommand))
        return std::nullopt;
    if (!VRProfile::Current(s).capFN)
        return int(RC::NotSupported);
    if (command.mid(kKeyUpdateCommand.size()) != kKeyUpdateAccess)
        return int(RC::BadParameters);
    Prepare(s, now);
    if (!Online(s)) {
        s.Set(kKeysResult, kKeysNoLink);
        s.Set(kKeysStatus, kKeysNotDone);
        *answer = QByteArray(1, kKeyAnswerNoLink);
        return 0;
    }
    // Keys still fresh: the service gives none, and that is a success.
    const int count = KeysDue(s, now) ? kKeysPerUpdate : 0;
    KeysUpdated(s, now, count);
    *answer = QByteArray(1, char(count));
    return 0;
}

void SetOnline(VRStore& s, bool online, int confirmDelay) {
    s.Set(kOnline, online ? 1 : 0);
    if (online)
        s.Set(kConfirmDelay, confirmDelay);
}

bool Online(VRStore& s) {
    return s.GetInt(kOnline, 1) != 0;
}

void AddHandlers(VRHandlerTable& t) {
    t[MethodId::FNGetStatus] = FNGetStatus;
    t[MethodId::FNGetSerial] = FNGetSerial;
    t[MethodId::FNGetExpirationTime] = FNGetExpirationTime;
    t[MethodId::FNGetVersion] = FNGetVersion;
    t[MethodId::FNGetImplementation] = FNGetImplementation;
    t[MethodId::FNGetFreeMemoryResource] = FNGetFreeMemoryResource;
    t[MethodId::FNGetOSUSupportStatus] = FNGetOSUSupportStatus;
    t[MethodId::FNGetDocumentSize] = FNGetDocumentSize;
    t[MethodId::FNBeginRegistrationReport] = FNBeginRegistrationReport;
    t[MethodId::FNBuildRegistrationReport] = FNBuildRegistrationReport;
    t[MethodId::FNBuildReregistrationReport] = FNBuildReregistrationReport;
    t[MethodId::FNGetFiscalizationResult] = FNGetFiscalizationResult;
    t[MethodId::FNGetFiscalizationResultByNumber] = FNGetFiscalizationResultByNumber;
    t[MethodId::FNFindDocument] = FNFindDocument;
    t[MethodId::FNBeginOpenSession] = FNBeginOpenSession;
    t[MethodId::OpenSession] = OpenSession;
    t[MethodId::FNBeginCloseSession] = FNBeginCloseSession;
    t[MethodId::PrintReportWithCleaning] = PrintReportWithCleaning;
    t[MethodId::FNGetCurrentSessionParams] = FNGetCurrentSessionParams;
    t[MethodId::FNBeginCloseFiscalMode] = FNBeginCloseFiscalMode;
    t[MethodId::FNCloseFiscalMode] = FNCloseFiscalMode;
    t[MethodId::FNCancelDocument] = FNCancelDocument;
    t[MethodId::FNGetInfoExchangeStatus] = FNGetInfoExchangeStatus;
    t[MethodId::FNGetUnconfirmedDocCount] = FNGetUnconfirmedDocCount;
    t[MethodId::FNBeginCalculationStateReport] = FNBeginCalculationStateReport;
    t[MethodId::FNBuildCalculationStateReport] = FNBuildCalculationStateReport;
    t[MethodId::FNResetState] = FNResetState;
    t[MethodId::FNCountersSync] = FNCountersSync;
    t[MethodId::FNReadFiscalBarcode] = FNReadFiscalBarcode;
    t[MethodId::FNGetDocumentAsString] = FNGetDocumentAsString;
    t[MethodId::FNRequestRegistrationTLV] = FNRequestRegistrationTLV;
}

} // namespace VRFiscal
