#pragma once
// Creation of the driver component by class identifier, in place of the
// system's object registry. The component registers its class; a plug-in
// shared library may bring another implementation of ILedgra. The
// environment variable LEDGRA_CLASS names another class identifier or the
// path of a plug-in, so an absent component can be shown and tested.

#include <QString>
#include <functional>
#include <memory>

class ILedgra;

namespace Platform {

inline constexpr char kLedgraClassId[] = "{4F1C2A37-9B6E-4D85-A3C1-7E20B95D6F14}";
inline constexpr char kLedgraProgId[] = "Ledgra.TLedgra";

using ComponentCreator = std::function<std::shared_ptr<ILedgra>()>;

// Registers a class under its identifier (and an optional program id).
void RegisterComponentClass(const QString& classId, const QString& progId, ComponentCreator create);
void UnregisterComponentClass(const QString& classId);

// Creates an object of the class LEDGRA_CLASS names, or else of classId.
// Throws EError with the system-style reason ("Класс не зарегистрирован",
// "Отказано в доступе", ...).
std::shared_ptr<ILedgra>
CreateComponent(const QString& classId = QString::fromLatin1(kLedgraClassId));

// What a plug-in exports: a C function that returns a new object.
using PluginCreateFn = ILedgra* (*)();
inline constexpr char kPluginEntry[] = "LedgraCreateObject";

} // namespace Platform
