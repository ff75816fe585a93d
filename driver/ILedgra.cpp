#include "driver/ILedgra.h"

namespace {
[[noreturn]] void Unknown(const QString& name) {
    throw ELedgraDispatch(QStringLiteral("Неизвестное имя: %1").arg(name).toStdString());
}
} // namespace

QVariant ILedgra::GetByName(const QString& name) {
    const PropertyInfo* p = Ledgra::PropertyByName(name);
    if (!p)
        Unknown(name);
    return Get(p->id);
}

void ILedgra::SetByName(const QString& name, const QVariant& value) {
    const PropertyInfo* p = Ledgra::PropertyByName(name);
    if (!p)
        Unknown(name);
    Set(p->id, value);
}

int ILedgra::InvokeByName(const QString& name) {
    const MethodInfo* m = Ledgra::MethodByName(name);
    if (!m)
        Unknown(name);
    return Invoke(m->id);
}
