#pragma once
// The one map of COM numbers to devices (ports.ini in the component's folder),
// read by the port list, the device search and the component alike.
//
// Without entries: /dev/ttyS0-3 are COM1-4, USB and ACM ports follow from
// COM5 in the order of their stable names under /dev/serial/by-id, and the
// embedded virtual register is COM200. Entries of ports.ini
// ("[Ports]" COM7=/dev/pts/5) add to these or replace one of the same number;
// an empty value removes it.
//
// A port that exists only while a process runs (the pty of vregisterd --pty)
// is entered with AddOwnedPortEntry: "[Ports]" COM20=/dev/pts/3 plus
// "[Owners]" COM20=<pid>. The owner removes both when it stops; an entry
// whose owner is no longer alive (a killed daemon) is ignored by every reader
// and its number given out again.

#include <QString>
#include <vector>

namespace Platform {

inline constexpr int kEmbeddedComNumber = 200;
inline constexpr char kEmbeddedDevice[] = "embedded";
// Owned entries (daemons' ptys) are numbered from here up.
inline constexpr int kFirstOwnedComNumber = 20;

struct PortEntry {
    int comNumber = 0;
    QString device;   // a tty path, or kEmbeddedDevice
    qint64 owner = 0; // the pid of the process the entry lives with; 0: a lasting entry
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

// Enters device under the lowest free number from kFirstOwnedComNumber up,
// owned by this process; the number, or -1 when ports.ini cannot be written.
// Atomic across processes: two daemons starting at once get two numbers.
int AddOwnedPortEntry(const QString& device);
// Removes the entry of comNumber if it still names device and this process.
bool RemoveOwnedPortEntry(int comNumber, const QString& device);

} // namespace Platform
