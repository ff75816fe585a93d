#pragma once
// The step "Поиск устройств": every serial port is probed at once, each on a
// thread of its own; the registers found are listed, and Next connects the
// wizard to the one chosen.

#include "wizard/frame/ParamPage.h"
#include "wizard/search/ComportUtils.h"
#include "wizard/search/SearchDeviceIntf.h"

#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class TfmSearchDevice;
}

class TfmSearchDevice : public TParamPage {
    Q_OBJECT
public:
    explicit TfmSearchDevice(QWidget* parent = nullptr);
    ~TfmSearchDevice() override;

    void OnShow() override;
    void Next() override;
    void Prev() override;
    void Home() override;
    void CloseEvent() override;

    void Start();
    void Stop();
    // The 100 ms tick: status, buttons and the registers found.
    void TimerTick();

    // Makes the search of one port; the default makes a TLedgraSearchDevice.
    std::function<ISearchDevicePtr()> SearchFactory;
    const std::vector<ISearchDevicePtr>& Searches() const { return FSearches; }

    // Whether the search probes this port: not modems and phones of the
    // skipped USB ids, not a port without a COM number.
    static bool PortToProbe(const TSerialPortRec& port);
    // The firmware of a register is too old for the wizard before this date.
    static bool FirmwareTooOld(const QDateTime& softDate);

private:
    void SelectionChanged();

    std::unique_ptr<Ui::TfmSearchDevice> ui;
    QTimer FTimer;
    TSerialPorts FPorts;
    std::vector<ISearchDevicePtr> FSearches;
};
