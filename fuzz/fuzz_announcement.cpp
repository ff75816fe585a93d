// A datagram on the search port is outside input: whatever arrives, the
// announcement parser reads inside it and accepts only a whole announcement.
#include "wizard/search/untTCPDeviceSearch.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    QString serial;
    QString ip;
    int port = -1;
    if (ParseAnnouncement(datagram, &serial, &ip, &port) &&
        (serial.isEmpty() || ip.isEmpty() || port < 0 || port > 65535))
        std::abort();
    return 0;
}
