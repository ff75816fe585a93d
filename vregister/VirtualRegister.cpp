#include "vregister/VirtualRegister.h"

#include "driver/ResultCodes.h"
#include "platform/DataPaths.h"
#include "vregister/VRFiscal.h"
#include "vregister/VRHandlers.h"
#include "vregister/VRModelProfile.h"
#include "vregister/VRPrinter.h"

#include <QHash>
#include <QStringList>
#include <QThread>

using namespace LedgraProtocol;

namespace {

const VRHandlerTable& Handlers() {
    static const VRHandlerTable table = [] {
        VRHandlerTable t;
        VRStatus::AddHandlers(t);
        VRTables::AddHandlers(t);
        VRModel::AddHandlers(t);
        VRPrinter::AddHandlers(t);
        VRTotals::AddHandlers(t);
        VRFiscal::AddHandlers(t);
        return t;
    }();
    return table;
}

constexpr int kMinPassword = 1;
constexpr int kMaxPassword = 30;

// The fault to inject into a call of `method`, consumed; 0 when none.
int TakeFault(VRStore& s, const QString& method) {
    const auto rows = s.Query("SELECT id, code FROM faults WHERE (method = ?1 OR method = '*') "
                              "AND remaining > 0 ORDER BY id LIMIT 1",
                              {method});
    if (rows.empty())
        return 0;
    s.Exec("UPDATE faults SET remaining = remaining - 1 WHERE id = ?1", {rows[0][0]});
    s.Exec("DELETE FROM faults WHERE remaining <= 0");
    return int(rows[0][1].toLongLong());
}

bool TakeDrop(VRStore& s) {
    const qint64 n = s.GetInt(QStringLiteral("fault.drop"));
    if (n <= 0)
        return false;
    s.Set(QStringLiteral("fault.drop"), n - 1);
    return true;
}

int DelayOf(VRStore& s, const QString& method) {
    const auto v = s.Scalar("SELECT ms FROM delays WHERE method = ?1 OR method = '*' "
                            "ORDER BY method = '*' LIMIT 1",
                            {method});
    return v ? int(v->toLongLong()) : 0;
}

Answer ErrorAnswer(FrameKind kind, int code) {
    Answer a;
    a.kind = kind;
    a.code = code;
    return a;
}

FrameKind AnswerKind(FrameKind request) {
    switch (request) {
    case FrameKind::RawRequest:
        return FrameKind::RawAnswer;
    case FrameKind::ServiceRequest:
        return FrameKind::ServiceAnswer;
    default:
        return FrameKind::MethodAnswer;
    }
}

} // namespace

bool VRContext::Has(PropertyId id) const {
    for (const auto& [k, v] : Req.inputs)
        if (k == id)
            return true;
    return false;
}

QVariant VRContext::In(PropertyId id) const {
    for (const auto& [k, v] : Req.inputs)
        if (k == id)
            return v;
    return Ledgra::DefaultValue(Ledgra::Info(id).type);
}

void VRContext::Out(PropertyId id, const QVariant& value) {
    const auto v = Ledgra::Coerce(Ledgra::Info(id).type, value);
    Ans.outputs.emplace_back(id, v ? *v : Ledgra::DefaultValue(Ledgra::Info(id).type));
}

QDateTime VRContext::Now() const {
    return VR::Now(Store);
}

VirtualRegister::VirtualRegister(const QString& dbPath) : FStore(dbPath) {
    FSetAside = FStore.TakeSetAsideReport();
    if (!FSetAside.isEmpty())
        qWarning("vregister: corrupt database set aside as %s; a new register was created",
                 qPrintable(FSetAside));
}

VirtualRegister::~VirtualRegister() = default;

QByteArray VirtualRegister::HandleFrame(QByteArrayView frame) {
    QString error;
    const auto req = DecodeRequest(frame, &error);
    if (!req) {
        // A bad frame is never trusted: answer the protocol error only.
        return Encode(ErrorAnswer(FrameKind::MethodAnswer, int(RC::ProtocolError)));
    }
    const auto ans = Handle(*req);
    return ans ? Encode(*ans) : QByteArray();
}

std::optional<Answer> VirtualRegister::Handle(const Request& req) {
    if (req.kind == FrameKind::ServiceRequest) {
        QMutexLocker l(&FLock);
        return Service(req.command);
    }
    const FrameKind kind = AnswerKind(req.kind);
    const QString method = req.kind == FrameKind::RawRequest
                               ? QStringLiteral("ExchangeBytes")
                               : QString::fromLatin1(Ledgra::Info(req.method).name);
    int delay = 0;
    try {
        QMutexLocker l(&FLock);
        VRStore::Transaction t(FStore);
        delay = DelayOf(FStore, method);
        const bool drop = TakeDrop(FStore);
        t.Commit();
        if (drop)
            return std::nullopt;
    } catch (const EStore& e) {
        return ErrorAnswer(kind, e.Code());
    }
    if (delay > 0)
        QThread::msleep(ulong(delay));

    QMutexLocker l(&FLock);
    Answer ans;
    ans.kind = kind;
    try {
        VRStore::Transaction t(FStore);
        if (const int fault = TakeFault(FStore, method)) {
            t.Commit();
            return ErrorAnswer(kind, fault);
        }
        if (req.password < kMinPassword || req.password > kMaxPassword) {
            ans.code = int(RC::WrongPassword);
        } else if (req.kind == FrameKind::RawRequest) {
            ans = Raw(req);
        } else {
            VRContext ctx(*this, FStore, req, ans);
            ans.code = Dispatch(ctx);
        }
        ans.operatorNumber = quint8(qBound(0, req.password, 255));
        if (ans.code != 0)
            ans.outputs.clear();
        // Even a refused command is one transaction: what it consumed stays consumed.
        t.Commit();
    } catch (const EStore& e) {
        return ErrorAnswer(kind, e.Code());
    }
    return ans;
}

void VirtualRegister::WithStore(const std::function<void(VRStore&)>& f) {
    QMutexLocker l(&FLock);
    VRStore::Transaction t(FStore);
    f(FStore);
    t.Commit();
}

int VirtualRegister::Dispatch(VRContext& ctx) {
    const auto& h = Handlers();
    const auto it = h.find(ctx.Req.method);
    if (it == h.end())
        return int(RC::VirtualNotSupported);
    return it->second(ctx);
}

Answer VirtualRegister::Raw(const Request& req) {
    // The fiscal storage's commands; the rest "command not supported".
    Answer a;
    a.kind = FrameKind::RawAnswer;
    const auto code = VRFiscal::RawCommand(FStore, VR::Now(FStore), req.raw, &a.raw);
    a.code = code ? *code : int(RC::NotSupported);
    return a;
}

QString VirtualRegister::ServiceHelp() {
    return QStringLiteral(
        "fault METHOD CODE [COUNT]  answer CODE to the next COUNT calls of METHOD (* = any)\n"
        "delay METHOD MS            delay every answer to METHOD by MS milliseconds (0 ends it)\n"
        "drop COUNT                 drop the link on the next COUNT calls\n"
        "clear-faults               forget every injected fault, delay and drop\n"
        "clock-offset SECONDS       set the register's clock ahead (or back) of the host's\n"
        "profile [NAME]             show or choose the model profile\n"
        "state                      print the register's injected faults and settings\n"
        "tape [N]                   print the last N records of the paper tape (all by default)\n"
        "clear-tape                 tear off the paper tape\n"
        "online [SECONDS]           the fiscal data operator confirms each document SECONDS after "
        "it is made (1)\n"
        "offline                    the operator's link is down: documents queue unconfirmed\n"
        "fn-replace                 install a fresh fiscal storage (new serial, empty archive)");
}

Answer VirtualRegister::Service(const QString& command) {
    Answer a;
    a.kind = FrameKind::ServiceAnswer;
    const QStringList w = command.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    auto fail = [&](const QString& why) {
        a.code = int(RC::BadPropertyValue);
        a.text = why;
        return a;
    };
    if (w.isEmpty())
        return fail(ServiceHelp());
    const QString verb = w[0];
    auto number = [&](int i, qint64* out) {
        bool ok = false;
        *out = i < w.size() ? w[i].toLongLong(&ok) : 0;
        return ok;
    };
    try {
        VRStore::Transaction t(FStore);
        if (verb == QLatin1String("fault")) {
            qint64 code = 0, count = 1;
            if (w.size() < 3 || !number(2, &code) || (w.size() > 3 && !number(3, &count)) ||
                count < 1)
                return fail(QStringLiteral("fault METHOD CODE [COUNT]"));
            if (w[1] != QLatin1String("*") && w[1] != QLatin1String("ExchangeBytes") &&
                !Ledgra::MethodByName(w[1]))
                return fail(QStringLiteral("Неизвестный метод: %1").arg(w[1]));
            FStore.Exec("INSERT INTO faults (method, code, remaining) VALUES (?1, ?2, ?3)",
                        {w[1], code, count});
            a.text = QStringLiteral("%1: код %2, %3 раз").arg(w[1]).arg(code).arg(count);
        } else if (verb == QLatin1String("delay")) {
            qint64 ms = 0;
            if (w.size() < 3 || !number(2, &ms) || ms < 0 || ms > 600000)
                return fail(QStringLiteral("delay METHOD MS"));
            if (ms == 0)
                FStore.Exec("DELETE FROM delays WHERE method = ?1", {w[1]});
            else
                FStore.Exec("INSERT INTO delays (method, ms) VALUES (?1, ?2) "
                            "ON CONFLICT(method) DO UPDATE SET ms = excluded.ms",
                            {w[1], ms});
            a.text = QStringLiteral("%1: задержка %2 мс").arg(w[1]).arg(ms);
        } else if (verb == QLatin1String("drop")) {
            qint64 n = 0;
            if (!number(1, &n) || n < 0)
                return fail(QStringLiteral("drop COUNT"));
            FStore.Set(QStringLiteral("fault.drop"), n);
            a.text = QStringLiteral("разрыв связи: %1 раз").arg(n);
        } else if (verb == QLatin1String("clear-faults")) {
            FStore.Exec("DELETE FROM faults");
            FStore.Exec("DELETE FROM delays");
            FStore.Set(QStringLiteral("fault.drop"), 0);
            a.text = QStringLiteral("ошибки сброшены");
        } else if (verb == QLatin1String("clock-offset")) {
            qint64 s = 0;
            if (!number(1, &s))
                return fail(QStringLiteral("clock-offset SECONDS"));
            FStore.Set(QStringLiteral("clock.offset"), s);
            a.text = QStringLiteral("часы ККТ: %1").arg(VR::Now(FStore).toString(Qt::ISODate));
        } else if (verb == QLatin1String("profile")) {
            if (w.size() > 1) {
                if (!VRProfile::Find(w[1]))
                    return fail(QStringLiteral("Неизвестный профиль: %1 (есть: %2)")
                                    .arg(w[1], VRProfile::Names().join(QStringLiteral(", "))));
                FStore.Set(QStringLiteral("profile"), w[1]);
            }
            a.text = VRProfile::Current(FStore).name;
        } else if (verb == QLatin1String("state")) {
            QStringList lines;
            lines << QStringLiteral("profile %1").arg(VRProfile::Current(FStore).name);
            lines << QStringLiteral("clock-offset %1")
                         .arg(FStore.GetInt(QStringLiteral("clock.offset")));
            lines << QStringLiteral("drop %1").arg(FStore.GetInt(QStringLiteral("fault.drop")));
            for (const auto& r :
                 FStore.Query("SELECT method, code, remaining FROM faults ORDER BY id"))
                lines << QStringLiteral("fault %1 %2 %3")
                             .arg(r[0].toString())
                             .arg(r[1].toLongLong())
                             .arg(r[2].toLongLong());
            for (const auto& r : FStore.Query("SELECT method, ms FROM delays ORDER BY method"))
                lines << QStringLiteral("delay %1 %2").arg(r[0].toString()).arg(r[1].toLongLong());
            a.text = lines.join(QLatin1Char('\n'));
        } else if (verb == QLatin1String("tape")) {
            qint64 n = -1;
            if (w.size() > 1 && (!number(1, &n) || n < 0))
                return fail(QStringLiteral("tape [N]"));
            a.text = VRPrinter::FormatTape(FStore, int(qMin<qint64>(n, INT_MAX)));
        } else if (verb == QLatin1String("clear-tape")) {
            VRPrinter::ClearTape(FStore);
            a.text = QStringLiteral("лента очищена");
        } else if (verb == QLatin1String("online")) {
            qint64 delay = 1;
            if (w.size() > 1 && (!number(1, &delay) || delay < 0))
                return fail(QStringLiteral("online [SECONDS]"));
            VRFiscal::SetOnline(FStore, true, int(qMin<qint64>(delay, INT_MAX)));
            a.text = QStringLiteral("ОФД на связи");
        } else if (verb == QLatin1String("offline")) {
            VRFiscal::SetOnline(FStore, false);
            a.text = QStringLiteral("нет связи с ОФД");
        } else if (verb == QLatin1String("fn-replace")) {
            VRFiscal::Replace(FStore, VR::Now(FStore));
            a.text = QStringLiteral("новый ФН %1").arg(VRFiscal::FnSerial(FStore));
        } else {
            return fail(ServiceHelp());
        }
        t.Commit();
    } catch (const EStore& e) {
        a.code = e.Code();
        a.text = QString::fromUtf8(e.what());
    }
    return a;
}

namespace VR {

QString DefaultRegisterPath() {
    return Platform::LedgraDataDir() + QStringLiteral("/vregister.db");
}

std::shared_ptr<VirtualRegister> Shared(const QString& dbPath) {
    static QMutex lock;
    static QHash<QString, std::weak_ptr<VirtualRegister>> registers;
    QMutexLocker l(&lock);
    if (auto r = registers.value(dbPath).lock())
        return r;
    auto r = std::make_shared<VirtualRegister>(dbPath);
    registers.insert(dbPath, r);
    return r;
}

QDateTime Now(VRStore& store) {
    return QDateTime::currentDateTime().addSecs(store.GetInt(QStringLiteral("clock.offset")));
}

} // namespace VR
