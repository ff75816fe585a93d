#pragma once
// The virtual register: an emulated fiscal register whose state lives in its
// SQLite database. It takes request frames of the device protocol and gives
// answer frames, the same for the embedded transport and for vregisterd.

#include "driver/LedgraProtocol.h"
#include "vregister/VRStore.h"

#include <QByteArray>
#include <QDateTime>
#include <QMutex>
#include <functional>
#include <memory>
#include <unordered_map>

class VirtualRegister;

// What a method handler sees: its inputs, its answer, the store (inside the
// method's transaction) and the register's clock.
class VRContext {
public:
    VRContext(VirtualRegister& reg, VRStore& store, const LedgraProtocol::Request& req,
              LedgraProtocol::Answer& ans)
        : Register(reg), Store(store), Req(req), Ans(ans) {}

    VirtualRegister& Register;
    VRStore& Store;
    const LedgraProtocol::Request& Req;
    LedgraProtocol::Answer& Ans;

    bool Has(PropertyId id) const;
    QVariant In(PropertyId id) const; // the property's default when not sent
    int InInt(PropertyId id) const { return In(id).toInt(); }
    QString InStr(PropertyId id) const { return In(id).toString(); }
    bool InBool(PropertyId id) const { return In(id).toBool(); }
    void Out(PropertyId id, const QVariant& value);
    // The register's clock: the host's time plus the offset kept in its state.
    QDateTime Now() const;
};

// Returns a result code; outputs go through ctx.Out.
using VRHandler = std::function<int(VRContext&)>;
using VRHandlerTable = std::unordered_map<MethodId, VRHandler>;

class VirtualRegister {
public:
    // Opens (creating when missing) the register kept in dbPath. Throws EStore
    // when the database cannot be opened at all.
    explicit VirtualRegister(const QString& dbPath);
    ~VirtualRegister();

    const QString& Path() const { return FStore.Path(); }

    // One request frame in, one answer frame out. An empty answer means the
    // link was dropped (fault injection): the peer hears nothing.
    QByteArray HandleFrame(QByteArrayView frame);
    // The same on decoded messages; nullopt when the link is dropped.
    std::optional<LedgraProtocol::Answer> Handle(const LedgraProtocol::Request& req);

    // Text of the register's own commands (fault injection, clock, profile):
    // see ServiceHelp().
    LedgraProtocol::Answer Service(const QString& command);
    static QString ServiceHelp();

    // After opening: non-empty when a corrupt database was set aside.
    QString SetAsideReport() const { return FSetAside; }

    // Runs f on the store in one transaction under the device lock: for the
    // register's links (its serial port's rate, the daemon's network
    // settings), which are no method calls. Throws EStore.
    void WithStore(const std::function<void(VRStore&)>& f);

private:
    int Dispatch(VRContext& ctx);
    LedgraProtocol::Answer Raw(const LedgraProtocol::Request& req);

    QMutex FLock; // one lock per device: calls of this process one at a time
    VRStore FStore;
    QString FSetAside;
};

namespace VR {
// The file of the default register in the component's folder.
QString DefaultRegisterPath();
// The process-wide register of a database: every component object of the
// process that reaches this register shares it. Throws EStore.
std::shared_ptr<VirtualRegister> Shared(const QString& dbPath);
// The register's clock offset in seconds, and the time it shows.
QDateTime Now(VRStore& store);
} // namespace VR
