#include "platform/ComponentFactory.h"

#include "driver/ILedgra.h"
#include "platform/LedgraErrors.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <dlfcn.h>

namespace Platform {
namespace {

struct Registry {
    QMutex lock;
    QHash<QString, ComponentCreator> byId; // keys upper-case
    QHash<QString, QString> progIds;       // program id -> class id
};

Registry& Reg() {
    static Registry r;
    return r;
}

const QString kNotRegistered = QStringLiteral("Класс не зарегистрирован");

std::shared_ptr<ILedgra> CreateFromPlugin(const QString& path) {
    const QFileInfo fi(path);
    if (!fi.exists())
        throw EError(QStringLiteral("Не найден указанный модуль. (%1)").arg(path));
    if (!fi.isReadable())
        throw EError(QStringLiteral("Отказано в доступе. (%1)").arg(path));
    void* handle =
        dlopen(QFile::encodeName(fi.absoluteFilePath()).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw EError(QStringLiteral("Не удается загрузить модуль: %1")
                         .arg(QString::fromLocal8Bit(dlerror())));
    auto create = reinterpret_cast<PluginCreateFn>(dlsym(handle, kPluginEntry));
    if (!create)
        throw EError(kNotRegistered);
    ILedgra* object = create();
    if (!object)
        throw EError(QStringLiteral("Не удалось создать объект"));
    // The library stays loaded for the life of the process: the object's code lives there.
    return std::shared_ptr<ILedgra>(object);
}

} // namespace

void RegisterComponentClass(const QString& classId, const QString& progId,
                            ComponentCreator create) {
    Registry& r = Reg();
    QMutexLocker l(&r.lock);
    r.byId.insert(classId.toUpper(), std::move(create));
    if (!progId.isEmpty())
        r.progIds.insert(progId.toUpper(), classId.toUpper());
}

void UnregisterComponentClass(const QString& classId) {
    Registry& r = Reg();
    QMutexLocker l(&r.lock);
    r.byId.remove(classId.toUpper());
}

std::shared_ptr<ILedgra> CreateComponent(const QString& classId) {
    QString name = qEnvironmentVariable("LEDGRA_CLASS");
    if (name.isEmpty())
        name = classId;
    if (name.contains(QLatin1Char('/')) || name.endsWith(QLatin1String(".so")))
        return CreateFromPlugin(name);
    ComponentCreator create;
    {
        Registry& r = Reg();
        QMutexLocker l(&r.lock);
        QString key = name.toUpper();
        if (r.progIds.contains(key))
            key = r.progIds.value(key);
        create = r.byId.value(key);
    }
    if (!create)
        throw EError(kNotRegistered);
    auto object = create();
    if (!object)
        throw EError(QStringLiteral("Не удалось создать объект"));
    return object;
}

} // namespace Platform
