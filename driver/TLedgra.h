#pragma once
// The typed facade over ILedgra that pages use: Password(), SetPassword(int),
// GetECRStatus(), ... one getter and setter per property, one call per method.

#include "driver/Currency.h"
#include "driver/ILedgra.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace LedgraFacade {
template <ValueType T> struct Cpp;
template <> struct Cpp<ValueType::Int> { using type = int; };
template <> struct Cpp<ValueType::UInt> { using type = quint32; };
template <> struct Cpp<ValueType::Str> { using type = QString; };
template <> struct Cpp<ValueType::Bool> { using type = bool; };
template <> struct Cpp<ValueType::Cur> { using type = Currency; };
template <> struct Cpp<ValueType::Date> { using type = QDateTime; };
template <> struct Cpp<ValueType::Dbl> { using type = double; };
template <> struct Cpp<ValueType::Var> { using type = QVariant; };

template <typename T> T From(const QVariant& v) {
    if constexpr (std::is_same_v<T, QVariant>)
        return v;
    else
        return v.value<T>();
}
template <typename T> QVariant To(const T& v) {
    if constexpr (std::is_same_v<T, QVariant>)
        return v;
    else
        return QVariant::fromValue(v);
}
} // namespace LedgraFacade

class TLedgra {
public:
    explicit TLedgra(ILedgraPtr object) : FObject(std::move(object)) {}
    virtual ~TLedgra() = default;

    ILedgra& Object() const { return *FObject; }
    const ILedgraPtr& ObjectPtr() const { return FObject; }

#define LEDGRA_PROPERTY(Id, Name, Type, Bytes)                                                     \
    LedgraFacade::Cpp<ValueType::Type>::type Name() const {                                        \
        return LedgraFacade::From<LedgraFacade::Cpp<ValueType::Type>::type>(                       \
            FObject->Get(PropertyId::Name));                                                       \
    }                                                                                              \
    void Set##Name(const LedgraFacade::Cpp<ValueType::Type>::type& value) {                        \
        FObject->Set(PropertyId::Name, LedgraFacade::To(value));                                   \
    }
#define LEDGRA_METHOD(Id, Name, Kind, In, Out)                                                     \
    int Name() {                                                                                   \
        return FObject->Invoke(MethodId::Name);                                                    \
    }
#include "driver/LedgraMembers.def"

private:
    ILedgraPtr FObject;
};
