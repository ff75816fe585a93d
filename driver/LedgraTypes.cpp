#include "driver/LedgraTypes.h"

#include "driver/Currency.h"

#include <QDateTime>
#include <QHash>
#include <limits>

namespace {

#define LEDGRA_IO(...) __VA_ARGS__

const PropertyInfo kProperties[] = {
#define LEDGRA_PROPERTY(Id, Name, Type, Bytes) {PropertyId::Name, #Name, ValueType::Type, Bytes},
#include "driver/LedgraMembers.def"
};

std::vector<MethodInfo> BuildMethods() {
    using enum PropertyId;
    return {
#define LEDGRA_METHOD(Id, Name, Kind, In, Out)                                                     \
    MethodInfo{MethodId::Name, #Name, MethodKind::Kind, {In}, {Out}},
#include "driver/LedgraMembers.def"
    };
}

const std::vector<MethodInfo>& MethodTable() {
    static const std::vector<MethodInfo> methods = BuildMethods();
    return methods;
}

template <typename T> struct Index {
    std::vector<const T*> byId;
    QHash<QString, const T*> byName;
};

const Index<PropertyInfo>& PropertyIndex() {
    static const Index<PropertyInfo> idx = [] {
        Index<PropertyInfo> r;
        for (const auto& p : kProperties) {
            const auto id = size_t(p.id);
            if (r.byId.size() <= id)
                r.byId.resize(id + 1, nullptr);
            r.byId[id] = &p;
            r.byName.insert(QString::fromLatin1(p.name), &p);
        }
        return r;
    }();
    return idx;
}

const Index<MethodInfo>& MethodIndex() {
    static const Index<MethodInfo> idx = [] {
        Index<MethodInfo> r;
        for (const auto& m : MethodTable()) {
            const auto id = size_t(m.id);
            if (r.byId.size() <= id)
                r.byId.resize(id + 1, nullptr);
            r.byId[id] = &m;
            r.byName.insert(QString::fromLatin1(m.name), &m);
        }
        return r;
    }();
    return idx;
}

QString ToHex(const QString& latin1) {
    const QByteArray b = latin1.toLatin1();
    return QString::fromLatin1(b.toHex(' ').toUpper());
}

} // namespace

namespace Ledgra {

std::span<const PropertyInfo> Properties() {
    return kProperties;
}
std::span<const MethodInfo> Methods() {
    return MethodTable();
}

const PropertyInfo* FindProperty(quint16 id) {
    const auto& v = PropertyIndex().byId;
    return id < v.size() ? v[id] : nullptr;
}
const MethodInfo* FindMethod(quint16 id) {
    const auto& v = MethodIndex().byId;
    return id < v.size() ? v[id] : nullptr;
}
const PropertyInfo& Info(PropertyId id) {
    return *FindProperty(quint16(id));
}
const MethodInfo& Info(MethodId id) {
    return *FindMethod(quint16(id));
}
const PropertyInfo* PropertyByName(const QString& name) {
    return PropertyIndex().byName.value(name, nullptr);
}
const MethodInfo* MethodByName(const QString& name) {
    return MethodIndex().byName.value(name, nullptr);
}

const char* TypeName(ValueType t) {
    switch (t) {
    case ValueType::Int:
        return "Integer";
    case ValueType::UInt:
        return "Cardinal";
    case ValueType::Str:
        return "WideString";
    case ValueType::Bool:
        return "WordBool";
    case ValueType::Cur:
        return "Currency";
    case ValueType::Date:
        return "TDateTime";
    case ValueType::Dbl:
        return "Double";
    case ValueType::Var:
        return "OleVariant";
    }
    return "?";
}

QVariant DefaultValue(ValueType t) {
    switch (t) {
    case ValueType::Int:
        return QVariant(int(0));
    case ValueType::UInt:
        return QVariant(uint(0));
    case ValueType::Str:
        return QVariant(QString());
    case ValueType::Bool:
        return QVariant(false);
    case ValueType::Cur:
        return QVariant::fromValue(Currency());
    case ValueType::Date:
        return QVariant(QDateTime());
    case ValueType::Dbl:
        return QVariant(0.0);
    case ValueType::Var:
        return QVariant();
    }
    return {};
}

std::optional<QVariant> Coerce(ValueType t, const QVariant& v) {
    bool ok = false;
    switch (t) {
    case ValueType::Int: {
        if (v.typeId() == QMetaType::Bool)
            return QVariant(v.toBool() ? -1 : 0);
        const qlonglong x = v.toLongLong(&ok);
        if (!ok || x < std::numeric_limits<int>::min() || x > std::numeric_limits<int>::max())
            return std::nullopt;
        return QVariant(int(x));
    }
    case ValueType::UInt: {
        const qlonglong x = v.toLongLong(&ok);
        if (!ok || x < 0 || x > qlonglong(std::numeric_limits<uint>::max()))
            return std::nullopt;
        return QVariant(uint(x));
    }
    case ValueType::Str:
        if (v.canConvert<QString>() || !v.isValid())
            return QVariant(v.toString());
        return std::nullopt;
    case ValueType::Bool:
        if (v.typeId() == QMetaType::Bool)
            return v;
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toLower();
            if (s == QLatin1String("true") || s == QLatin1String("1"))
                return QVariant(true);
            if (s == QLatin1String("false") || s == QLatin1String("0"))
                return QVariant(false);
            return std::nullopt;
        } else {
            const qlonglong x = v.toLongLong(&ok);
            if (!ok)
                return std::nullopt;
            return QVariant(x != 0);
        }
    case ValueType::Cur:
        if (v.canConvert<Currency>() && v.userType() == qMetaTypeId<Currency>())
            return v;
        if (v.typeId() == QMetaType::QString) {
            auto c = Currency::Parse(v.toString());
            if (!c)
                return std::nullopt;
            return QVariant::fromValue(*c);
        } else {
            const double d = v.toDouble(&ok);
            if (!ok || !(d > -9.2e14 && d < 9.2e14))
                return std::nullopt;
            return QVariant::fromValue(Currency::FromDouble(d));
        }
    case ValueType::Date:
        if (v.typeId() == QMetaType::QDateTime)
            return v;
        if (v.typeId() == QMetaType::QDate)
            return QVariant(v.toDate().startOfDay());
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            if (s.isEmpty())
                return QVariant(QDateTime());
            QDateTime d = QDateTime::fromString(s, Qt::ISODateWithMs);
            if (!d.isValid()) {
                const QDate day = QDate::fromString(s, Qt::ISODate);
                if (day.isValid())
                    d = day.startOfDay();
            }
            if (!d.isValid()) {
                const QTime time = QTime::fromString(s, Qt::ISODateWithMs);
                if (time.isValid())
                    d = QDateTime(QDate(1899, 12, 30), time);
            }
            if (!d.isValid())
                return std::nullopt;
            return QVariant(d);
        }
        return std::nullopt;
    case ValueType::Dbl: {
        const double d = v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok)
                                                          : v.toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return QVariant(d);
    }
    case ValueType::Var:
        return v;
    }
    return std::nullopt;
}

QString FormatValue(const PropertyInfo& p, const QVariant& v) {
    switch (p.type) {
    case ValueType::Int:
        return QString::number(v.toInt());
    case ValueType::UInt:
        return QString::number(v.toUInt());
    case ValueType::Str:
        return p.bytes ? ToHex(v.toString()) : v.toString();
    case ValueType::Bool:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case ValueType::Cur:
        return v.value<Currency>().ToString();
    case ValueType::Date: {
        // A time value carries the zero day 1899-12-30; a date value midnight.
        const QDateTime d = v.toDateTime();
        if (!d.isValid())
            return QString();
        if (d.date() == QDate(1899, 12, 30))
            return d.time().toString(Qt::ISODate);
        if (d.time() == QTime(0, 0))
            return d.date().toString(Qt::ISODate);
        return d.toString(Qt::ISODate);
    }
    case ValueType::Dbl:
        return QString::number(v.toDouble(), 'g', 15);
    case ValueType::Var:
        if (v.typeId() == QMetaType::Bool)
            return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        return v.toString();
    }
    return {};
}

std::optional<QVariant> ParseValue(const PropertyInfo& p, const QString& text) {
    if (p.bytes) {
        const QByteArray hex = text.toLatin1();
        for (char c : hex)
            if (!isxdigit(uchar(c)) && c != ' ')
                return std::nullopt;
        QByteArray compact = hex;
        compact.replace(' ', "");
        if (compact.size() % 2)
            return std::nullopt;
        return QVariant(QString::fromLatin1(QByteArray::fromHex(compact)));
    }
    switch (p.type) {
    case ValueType::Int:
    case ValueType::UInt: {
        bool ok = false;
        const qlonglong x = text.trimmed().toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        return Coerce(p.type, QVariant(x));
    }
    case ValueType::Var: {
        bool ok = false;
        const qlonglong x = text.trimmed().toLongLong(&ok);
        if (ok)
            return QVariant(x);
        return QVariant(text);
    }
    default:
        return Coerce(p.type, QVariant(text));
    }
}

} // namespace Ledgra
