#pragma once
// The network-link check of the Ethernet and RNDIS steps: waits for the
// register's DHCP lease when it uses one, takes its address and TCP port,
// then connects to it over the network with a separate component object.

#include "common/untWorkThread.h"

class TCheckLANWorkTask : public TWorkThread {
public:
    TCheckLANWorkTask() = default;
    ~TCheckLANWorkTask() override;

    void DoExecute() override;
    void Cancel() override;

    // How long the DHCP wait lasts and how often it reads the state.
    static constexpr int kDhcpTimeoutMs = 60000;
    static constexpr int kDhcpPollMs = 50;
    static constexpr int kDhcpObtained = 10;
    static constexpr int kConnectTimeoutMs = 10000;

private:
    void Check();
};
