#pragma once
// The computer's serial ports as the programs list them: every port of the
// port map with a display name that carries "(COMn)" and a hardware
// identifier written the system's way ("USB\VID_0403&PID_6001" for a USB
// adapter), so the rules that read a COM number, vendor and product id from
// those texts apply unchanged. Also the one table of the driver's baud-rate
// codes.

#include <QString>
#include <vector>

namespace Platform {

struct SerialPortInfo {
    int comNumber = 0;
    QString device;       // tty path, or kEmbeddedDevice
    QString friendlyName; // "USB Serial Device (COM5)"
    QString hardwareId;   // "USB\VID_xxxx&PID_xxxx", or an identifier without "VID_"
};

// The ports of the port map whose device is present, by COM number.
std::vector<SerialPortInfo> SerialPorts();
// The hardware identifier of a USB port: "USB\VID_0403&PID_6001".
QString UsbHardwareId(quint16 vendor, quint16 product);

// The driver's BaudRate codes 0..9: 2400, 4800, 9600, 19200, 38400, 57600,
// 115200, 230400, 460800, 921600. Bits per second of a code, 0 for another.
int BaudRateOfCode(int code);
// The termios speed constant of a code (B2400 ...), 0 (B0) for another.
unsigned TermiosSpeedOfCode(int code);
// The code of a termios speed constant, -1 for another.
int CodeOfTermiosSpeed(unsigned speed);

} // namespace Platform
