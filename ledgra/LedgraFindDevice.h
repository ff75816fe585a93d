#pragma once
// The component's device search: every port of the port map at every baud
// rate, until a device answers a status request.

#include "ledgra/Transport.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace LedgraFindDevice {

// Baud-rate indexes (0..9) in the order they are tried: the current one
// first, then the registers' usual 115200, then the others from the lowest.
std::vector<int> RatesInOrder(int current);

// How the search reaches a port.
struct Link {
    // An open link to the port at the rate, or none and the reason's code.
    std::function<std::unique_ptr<ITransport>(int comNumber, int baudRate, int* code)> open;
    // True when a device answers on the link.
    std::function<bool(ITransport&)> probe;
};

struct Found {
    int comNumber = 0;
    int baudRate = 0;
    std::unique_ptr<ITransport> link; // still open
};

// Tries the ports in the given order, each at every rate. A port that cannot
// be opened (a transport the component lacks, a port that is gone or busy) is
// left at once: another rate would not open it either.
std::optional<Found> Search(const std::vector<int>& comNumbers, int currentRate, const Link& link);

// One status request as a probe: any well-formed answer is a device, also one
// that refuses the request (a wrong password still means a register).
bool Probe(ITransport& link, int timeoutMs, int password);

} // namespace LedgraFindDevice
