#pragma once
// Ids, types and descriptions of the driver's members, generated from
// LedgraMembers.def.

#include <QString>
#include <QVariant>
#include <optional>
#include <span>
#include <vector>

enum class PropertyId : quint16 {
#define LEDGRA_PROPERTY(Id, Name, Type, Bytes) Name = Id,
#include "driver/LedgraMembers.def"
};

enum class MethodId : quint16 {
#define LEDGRA_METHOD(Id, Name, Kind, In, Out) Name = Id,
#include "driver/LedgraMembers.def"
};

enum class ValueType : quint8 { Int = 1, UInt, Str, Bool, Cur, Date, Dbl, Var };
enum class MethodKind : quint8 { Component, Device, Raw };

struct PropertyInfo {
    PropertyId id;
    const char* name;
    ValueType type;
    bool bytes;
};

struct MethodInfo {
    MethodId id;
    const char* name;
    MethodKind kind;
    std::vector<PropertyId> in;
    std::vector<PropertyId> out;
};

namespace Ledgra {

std::span<const PropertyInfo> Properties();
std::span<const MethodInfo> Methods();
// nullptr for an id the table does not know (a peer may send one).
const PropertyInfo* FindProperty(quint16 id);
const MethodInfo* FindMethod(quint16 id);
const PropertyInfo& Info(PropertyId id);
const MethodInfo& Info(MethodId id);
// Exact, case-sensitive look-up by name.
const PropertyInfo* PropertyByName(const QString& name);
const MethodInfo* MethodByName(const QString& name);

const char* TypeName(ValueType t);
// The default value of a property of this type (0, "", false, ...).
QVariant DefaultValue(ValueType t);
// Converts to the property's type; nullopt when the value does not fit it.
std::optional<QVariant> Coerce(ValueType t, const QVariant& v);
// Text as the console prints it: integers in decimal, Currency with four
// decimals, booleans 0/1, dates ISO 8601, byte properties as hex.
QString FormatValue(const PropertyInfo& p, const QVariant& v);
// Reads a value typed by a person or a script; nullopt when it does not fit.
std::optional<QVariant> ParseValue(const PropertyInfo& p, const QString& text);

} // namespace Ledgra
