#pragma once
// The driver component's dispatch interface. Every caller (the programs, the
// console, tests) reaches a register through it. Properties carry a method's
// inputs and outputs; methods take no arguments and return the result code.

#include "driver/LedgraTypes.h"

#include <QVariant>
#include <memory>
#include <stdexcept>

// A dispatch call that itself fails (not a device error): unknown member or a
// value of the wrong type. Device and protocol errors never throw.
class ELedgraDispatch : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ILedgra {
public:
    virtual ~ILedgra() = default;
    virtual QVariant Get(PropertyId id) = 0;
    // Converts the value to the property's type; throws ELedgraDispatch when
    // it does not fit.
    virtual void Set(PropertyId id, const QVariant& value) = 0;
    virtual int Invoke(MethodId id) = 0;

    // Dispatch by name, for the console and the raw-command pages; an unknown
    // name throws ELedgraDispatch.
    QVariant GetByName(const QString& name);
    void SetByName(const QString& name, const QVariant& value);
    int InvokeByName(const QString& name);
};

using ILedgraPtr = std::shared_ptr<ILedgra>;
