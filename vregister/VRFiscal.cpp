// The fiscal storage of the virtual register.

#include "vregister/VRFiscal.h"

#include "driver/ResultCodes.h"
#include "driver/untUtil.h"
#include "platform/Crc.h"
#include "vregister/VRHandlers.h"
#include "vregister/VRPrinter.h"
#include "vregister/VRState.h"
#include "vregister/VRTableSchema.h"

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

// The FN table (logical 18) and the register's settings table (17).
constexpr int kFnTable = 18, kSettingsTable = 17, kTimeZoneField = 66;
constexpr int kFnResource5Year = 250000, kFn30DayKb = 512, kLifeMonths = 36;

// Status codes of the document open in the storage (FNCurrentDocument).
enum Pending { PendRegistration = 1, PendOpenShift = 2, PendCloseShift = 8, PendCloseFm = 16 };

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

int Register(VRContext& c, bool rereg) {
    VRStore& s = c.Store;
    Prepare(s, c.Now());
    const int phase = VRFiscal::LifeState(s);
    if (phase != (rereg ? VRFiscal::PhaseFiscal : VRFiscal::PhaseReady) || ShiftOpen(s))
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
    // The extended mode and the reasons come as properties or, as the
    // fiscalization page sends them, in the FN table.
    int workModeEx = c.InInt(P::WorkModeEx);
    if (workModeEx == 0)
        workModeEx = int(VRTables::ReadInt(s, kFnTable, 1, 21));
    qint64 reasonEx = quint32(c.InInt(P::RegistrationReasonCodeEx));
    if (reasonEx == 0)
        reasonEx = VRTables::ReadInt(s, kFnTable, 1, 22);
    const int reason = rereg ? c.InInt(P::RegistrationReasonCode) : 0;
    if (workModeEx < 0 || workModeEx > 255 || (rereg && reason <= 0 && reasonEx == 0))
        return int(RC::FnBadParameters);

    QVariantMap props;
    props[QStringLiteral("INN")] = inn;
    props[QStringLiteral("KKTRegistrationNumber")] = rnm;
    props[QStringLiteral("INNOFD")] = VRTables::ReadStr(s, kFnTable, 1, 12).trimmed();
    props[QStringLiteral("TaxType")] = tax;
    props[QStringLiteral("WorkMode")] = workMode;
    props[QStringLiteral("WorkModeEx")] = workModeEx;
    props[QStringLiteral("RegistrationReasonCode")] = reason;
    props[QStringLiteral("RegistrationReasonCodeEx")] = int(qint32(quint32(reasonEx)));
    props[QStringLiteral("RegistrationNumber")] = regs + 1;
    props[QStringLiteral("TimeZone")] =
        int(VRTables::ReadInt(s, kSettingsTable, 1, kTimeZoneField));
    const int code =
        Issue(c, rereg ? VRFiscal::DocReregistration : VRFiscal::DocRegistration, props,
              {QStringLiteral("ИНН %1").arg(inn), QStringLiteral("РН ККТ %1").arg(rnm)});
    if (code)
        return code;
    s.Set(kRegCount, regs + 1);
    s.Set(kRegInn, inn);
    s.Set(kPhase, int(VRFiscal::PhaseFiscal));
    // The register's own copy of the registration data.
    VRTables::WriteStr(s, kFnTable, 1, 1, VRState::SerialNumber(s));
    VRTables::WriteStr(s, kFnTable, 1, 2, inn);
    VRTables::WriteStr(s, kFnTable, 1, 3, rnm);
    VRTables::WriteStr(s, kFnTable, 1, 4, VRFiscal::FnSerial(s));
    VRTables::WriteInt(s, kFnTable, 1, 5, tax);
    VRTables::WriteInt(s, kFnTable, 1, 6, workMode);
    return 0;
}

int FNBeginRegistrationReport(VRContext& c) {
    Prepare(c.Store, c.Now());
    const int phase = VRFiscal::LifeState(c.Store);
    if ((phase != VRFiscal::PhaseReady && phase != VRFiscal::PhaseFiscal) || ShiftOpen(c.Store))
        return int(RC::FnWrongState);
    c.Store.Set(kPending, int(PendRegistration));
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
    if (s.GetInt(QStringLiteral("document.open")))
        return int(RC::ReceiptOpen);
    // Closing is allowed after 24 hours: it is what ends such a shift.
    const int number = int(s.GetInt(kShiftNumber));
    const int code = Issue(c, VRFiscal::DocCloseShift, {{QStringLiteral("SessionNumber"), number}},
                           {QStringLiteral("СМЕНА %1").arg(number)});
    if (code)
        return code;
    s.Set(kShiftOpen, 0);
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
}

} // namespace VRFiscal
