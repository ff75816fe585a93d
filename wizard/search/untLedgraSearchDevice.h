#pragma once
// The serial search of one port: every rate of a fixed list is tried in turn
// with a device-metrics request through a component instance of its own.

#include "common/untNotifyThread.h"
#include "driver/TLedgra.h"
#include "wizard/search/SearchDeviceIntf.h"

#include <QMutex>
#include <atomic>
#include <memory>

// Conversion between bits per second and the driver's BaudRate code; an
// unknown rate gives the code of 115200, an unknown code 115200.
struct TLedgraBaudrate {
    static int ToCode(int baudrate);
    static int ToBaudrate(int code);
};

// The search's own driver instance.
class TLedgraDevice : public TLedgra {
public:
    using TLedgra::TLedgra;
};

class TLedgraSearchDevice : public ISearchDevice {
public:
    // With a new component instance (raises EError when none can be made).
    TLedgraSearchDevice();
    // With the given object (tests).
    explicit TLedgraSearchDevice(ILedgraPtr device);
    // Waits for the thread and gives the port up.
    ~TLedgraSearchDevice() override;
    TLedgraSearchDevice(const TLedgraSearchDevice&) = delete;
    TLedgraSearchDevice& operator=(const TLedgraSearchDevice&) = delete;

    void Search() override;
    void Stop() override;
    void Added() override;
    QString GetName() const override;
    QString GetSerial() const override;
    TSearchState GetState() const override;
    TSearchParamsRec GetParams() const override;
    void SetParams(const TSearchParamsRec& params) override;
    std::vector<int> GetBaudrates() const override { return FBaudrates; }

    // Waits until the running search has ended (tests, benchmarks).
    void WaitFor();

private:
    void Execute();
    void TryRate(int baudrate);
    void Finish(bool succeeded, const QString& text);
    void SetText(const QString& text);

    const std::vector<int> FBaudrates;
    std::unique_ptr<TLedgraDevice> FDevice;
    TSearchParamsRec FParams;
    TSearchState FState;
    // Guards FState, FParams, Name and Serial: the thread writes them while
    // the window's timer copies them.
    mutable QMutex FLock;
    std::unique_ptr<TNotifyThread> FThread;
    std::atomic<bool> FCancel{false};
    QString Name;
    QString Serial;
};
