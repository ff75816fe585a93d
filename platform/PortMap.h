#pragma once
// The one map of COM numbers to devices (ports.ini in the component's folder),
// read by the port list, the device search and the component alike.
//
// Without entries: /dev/ttyS0-3 are COM1-4, USB and ACM ports follow from
// COM5 in the order of their stable names under /dev/serial/by-id, and the
// embedded virtual register is COM200. Entries of ports.ini
// ("[Ports]" COM7=/dev/pts/5) add to these or replace one of the same number;
// an empty value removes it.

#include <QString>
#include <vector>

namespace Platform {

inline constexpr int kEmbeddedComNumber = 200;
inline constexpr char kEmbeddedDevice[] = "embedded";

struct PortEntry {
    int comNumber = 0;
    QString device; // a tty path, or kEmbeddedDevice
};

QString PortMapFile();
// Every mapped port, by COM number.
std::vector<PortEntry> PortMap();
// The device of a COM number; empty when none is mapped.
QString PortDevice(int comNumber);
// Writes an entry into ports.ini (several processes may do so).
bool SetPortEntry(int comNumber, const QString& device);
bool RemovePortEntry(int comNumber);
// The lowest COM number from `from` up that has no device.
int FreeComNumber(int from);

} // namespace Platform
