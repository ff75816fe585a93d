#pragma once
// The computer's serial ports as the device search sees them, and the rules
// that read a COM number from a port's display name and the USB vendor and
// product id from its hardware identifier.

#include <QString>
#include <vector>

// One serial port.
struct TSerialPortRec {
    QString Name;         // "COM" and the number
    QString FriendlyName; // the system's display name, "USB Serial Device (COM5)"
    QString HWStr;        // hardware identifier, "USB\VID_0403&PID_6001"
    int ComNumber = -1;   // -1 when the display name holds no COM number
};

// The COM number a display name carries: the decimal number between "(COM"
// and the next ")"; -1 for a printer port ("(LPT"), when "(COM" is absent or
// what follows is no number.
int ComNumberOfFriendlyName(const QString& friendlyName);
// USB ids of a hardware identifier (case does not matter): the four hex
// digits after the first "vid_" and, only when "vid_" is present, after the
// first "pid_"; 0 when absent or unreadable.
int VendorIdOfHWStr(const QString& hwStr);
int ProductIdOfHWStr(const QString& hwStr);

class TSerialPorts {
public:
    // Refills the list with the ports the system shows that carry a COM number.
    void EnumPorts();
    void Clear() { FItems.clear(); }
    void Add(const TSerialPortRec& rec) { FItems.push_back(rec); }
    int Count() const { return int(FItems.size()); }
    const TSerialPortRec& Items(int index) const { return FItems.at(size_t(index)); }
    // Index of the first port with this number, else -1.
    int IndexOfComNumber(int comNumber) const;

private:
    std::vector<TSerialPortRec> FItems;
};
