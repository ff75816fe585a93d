#pragma once
// The driver component: a property store, the method table and the link to
// a device. Calls from several threads are taken one at a time.

#include "driver/ILedgra.h"
#include "driver/LedgraProtocol.h"
#include "ledgra/Transport.h"
#include "platform/PortLock.h"

#include <QRecursiveMutex>
#include <functional>
#include <memory>
#include <vector>

class TLedgraComponent final : public ILedgra {
public:
    TLedgraComponent();
    ~TLedgraComponent() override;

    QVariant Get(PropertyId id) override;
    void Set(PropertyId id, const QVariant& value) override;
    int Invoke(MethodId id) override;

    // The virtual register's own commands (fault injection, clock, profile),
    // sent over the current link. Gives the result code and the answer text.
    int ServiceCommand(const QString& command, QString* text);

    // The settings dialog, replaceable by tests; gets this object, answers
    // true on OK. Runs without the object's lock held.
    using PropertiesDialog = std::function<bool(ILedgra&)>;
    static void SetPropertiesDialog(PropertiesDialog dlg);
    // The table editor, replaceable by tests likewise; runs without the lock.
    using TablesDialog = std::function<void(ILedgra&)>;
    static void SetTablesDialog(TablesDialog dlg);

private:
    int Call(MethodId id);
    int Connect();
    void Disconnect();
    int FindDevice();
    int DeviceCall(const MethodInfo& m);
    int Exchange(const QByteArray& request, LedgraProtocol::Answer& answer);
    std::unique_ptr<ITransport> MakeTransport(int* code);
    SerialOptions Serial() const;
    int ShowProperties();
    int ShowTablesDlg();
    int LockPort();
    void Finish(int code, const QString& description = {});
    void Store(PropertyId id, const QVariant& v);
    QVariant Value(PropertyId id) const { return FValues[size_t(id)]; }

    // Recursive: saving and loading the settings read the object like a caller.
    QRecursiveMutex FLock;
    std::vector<QVariant> FValues;
    std::vector<quint64> FSetOrder; // when each property was last set
    quint64 FSetCount = 0;
    std::unique_ptr<ITransport> FTransport;
    Platform::FileLock FPortLock;
};

namespace Ledgra {
// Registers the component's class with the platform factory.
void RegisterComponentClass();
} // namespace Ledgra
