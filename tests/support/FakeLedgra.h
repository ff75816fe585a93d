#pragma once
// A recording test double of the driver component. It logs every property
// set and method call in order and answers each method from a script: per
// method a queue of answers (code and output values), then a default answer.

#include "driver/ILedgra.h"

#include <QMutex>
#include <QStringList>
#include <deque>
#include <map>
#include <utility>
#include <vector>

class FakeLedgra : public ILedgra {
public:
    using Outputs = std::vector<std::pair<PropertyId, QVariant>>;
    struct Reply {
        int code = 0;
        Outputs outputs;
    };

    FakeLedgra();

    QVariant Get(PropertyId id) override;
    void Set(PropertyId id, const QVariant& value) override;
    int Invoke(MethodId id) override;

    // The next call of `method` answers this (queued after earlier ones).
    FakeLedgra& Answer(MethodId method, int code, Outputs outputs = {});
    // Calls of `method` with an empty queue answer this (else code 0).
    FakeLedgra& DefaultAnswer(MethodId method, int code, Outputs outputs = {});
    // Sets a value without logging it: the state a test starts from.
    FakeLedgra& Preset(PropertyId id, const QVariant& value);

    // "Set Name=Value" and "Call Name" entries, in order.
    QStringList Log() const;
    // Only the calls, as method names.
    QStringList Calls() const;
    int CallCount(MethodId method) const;
    void ClearLog();

private:
    mutable QMutex FLock;
    std::map<PropertyId, QVariant> FValues;
    std::map<MethodId, std::deque<Reply>> FQueue;
    std::map<MethodId, Reply> FDefault;
    QStringList FLog;
};
