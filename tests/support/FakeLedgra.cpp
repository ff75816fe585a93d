#include "tests/support/FakeLedgra.h"

#include "driver/ResultCodes.h"

FakeLedgra::FakeLedgra() {
    for (const auto& p : Ledgra::Properties())
        FValues[p.id] = Ledgra::DefaultValue(p.type);
}

QVariant FakeLedgra::Get(PropertyId id) {
    QMutexLocker l(&FLock);
    return FValues.at(id);
}

void FakeLedgra::Set(PropertyId id, const QVariant& value) {
    const PropertyInfo& p = Ledgra::Info(id);
    const auto v = Ledgra::Coerce(p.type, value);
    if (!v)
        throw ELedgraDispatch(std::string("type mismatch: ") + p.name);
    QMutexLocker l(&FLock);
    FValues[id] = *v;
    FLog << QStringLiteral("Set %1=%2").arg(QLatin1String(p.name), Ledgra::FormatValue(p, *v));
}

int FakeLedgra::Invoke(MethodId id) {
    const MethodInfo& m = Ledgra::Info(id);
    QMutexLocker l(&FLock);
    FLog << QStringLiteral("Call %1").arg(QLatin1String(m.name));
    Reply r;
    auto& q = FQueue[id];
    if (!q.empty()) {
        r = std::move(q.front());
        q.pop_front();
    } else if (auto it = FDefault.find(id); it != FDefault.end()) {
        r = it->second;
    }
    for (const auto& [pid, v] : r.outputs) {
        const auto c = Ledgra::Coerce(Ledgra::Info(pid).type, v);
        FValues[pid] = c ? *c : v;
    }
    FValues[PropertyId::ResultCode] = r.code;
    FValues[PropertyId::ResultCodeDescription] = Ledgra::ResultText(r.code);
    return r.code;
}

FakeLedgra& FakeLedgra::Answer(MethodId method, int code, Outputs outputs) {
    QMutexLocker l(&FLock);
    FQueue[method].push_back({code, std::move(outputs)});
    return *this;
}

FakeLedgra& FakeLedgra::DefaultAnswer(MethodId method, int code, Outputs outputs) {
    QMutexLocker l(&FLock);
    FDefault[method] = {code, std::move(outputs)};
    return *this;
}

FakeLedgra& FakeLedgra::Preset(PropertyId id, const QVariant& value) {
    const auto v = Ledgra::Coerce(Ledgra::Info(id).type, value);
    QMutexLocker l(&FLock);
    FValues[id] = v ? *v : value;
    return *this;
}

QStringList FakeLedgra::Log() const {
    QMutexLocker l(&FLock);
    return FLog;
}

QStringList FakeLedgra::Calls() const {
    QStringList r;
    for (const QString& e : Log())
        if (e.startsWith(QLatin1String("Call ")))
            r << e.mid(5);
    return r;
}

int FakeLedgra::CallCount(MethodId method) const {
    return int(Calls().count(QLatin1String(Ledgra::Info(method).name)));
}

void FakeLedgra::ClearLog() {
    QMutexLocker l(&FLock);
    FLog.clear();
}
