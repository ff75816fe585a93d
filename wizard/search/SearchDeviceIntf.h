#pragma once
// One search for a register on one serial port, run in the background.

#include <QString>
#include <memory>
#include <vector>

struct TSearchParamsRec {
    int PortNumber = 0; // COM number
    int Baudrate = 0;   // bits per second; the rate the register answered at once found
    int Timeout = 0;    // milliseconds
};

struct TSearchState {
    bool Finished = false;
    bool Succeded = false;
    QString Text;       // shown to the operator
    int DeviceID = 0;   // the register's model code
    bool Added = false; // the result is in the step's list
};

class ISearchDevice {
public:
    virtual ~ISearchDevice() = default;
    // Starts the search on a thread of its own.
    virtual void Search() = 0;
    // Asks the search to end before its next rate; does not wait.
    virtual void Stop() = 0;
    // Marks the result as shown.
    virtual void Added() = 0;
    virtual QString GetName() const = 0;
    virtual QString GetSerial() const = 0;
    // A consistent copy, taken while the search may be updating it.
    virtual TSearchState GetState() const = 0;
    virtual TSearchParamsRec GetParams() const = 0;
    virtual void SetParams(const TSearchParamsRec& params) = 0;
    virtual std::vector<int> GetBaudrates() const = 0;
};

using ISearchDevicePtr = std::shared_ptr<ISearchDevice>;
