#include "driver/untDriver.h"

#include "platform/ComponentFactory.h"
#include "platform/LedgraErrors.h"
#include "platform/Translation.h"

#include <QMutex>

namespace {
QMutex& InstanceLock() {
    static QMutex lock;
    return lock;
}
std::shared_ptr<TDriver>& Instance() {
    static std::shared_ptr<TDriver> instance;
    return instance;
}
} // namespace

void TDriver::Check(int resultCode) {
    if (resultCode != 0)
        throw EAbort();
}

std::shared_ptr<TDriver> DriverRef() {
    QMutexLocker l(&InstanceLock());
    auto& d = Instance();
    if (!d) {
        try {
            d = std::make_shared<TDriver>(Platform::CreateComponent());
        } catch (const EError& e) {
            throw EError(Tr("Ошибка создания объекта драйвера: ") + e.Message());
        }
    }
    return d;
}

TDriver& Driver() {
    return *DriverRef();
}

bool DriverExists() {
    QMutexLocker l(&InstanceLock());
    return Instance() != nullptr;
}

void FreeDriver() {
    QMutexLocker l(&InstanceLock());
    Instance().reset();
}
