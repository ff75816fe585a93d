#include "platform/SerialPorts.h"

#include "platform/PortMap.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <termios.h>

namespace Platform {

namespace {

struct Rate {
    int bits;
    speed_t speed;
};
constexpr Rate kRates[] = {
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};
constexpr int kRateCount = int(std::size(kRates));

// Identifiers of the ports that are no USB device; none holds "VID_".
const QString kEmbeddedHwId = QStringLiteral("ROOT\\VEXA_VREGISTER");
const QString kPtyHwId = QStringLiteral("ROOT\\VEXA_VREGISTERD_PTY");
const QString kUartHwId = QStringLiteral("ACPI\\PNP0501");

} // namespace

std::vector<SerialPortInfo> SerialPorts() {
    // What the system knows of its ttys, by their real path.
    const QList<QSerialPortInfo> known = QSerialPortInfo::availablePorts();
    auto info = [&](const QString& path) -> const QSerialPortInfo* {
        for (const QSerialPortInfo& i : known)
            if (i.systemLocation() == path)
                return &i;
        return nullptr;
    };

    std::vector<SerialPortInfo> r;
    for (const PortEntry& e : PortMap()) {
        SerialPortInfo p;
        p.comNumber = e.comNumber;
        p.device = e.device;
        QString name;
        if (e.device == QLatin1String(kEmbeddedDevice)) {
            name = QStringLiteral("Виртуальная ККТ");
            p.hardwareId = kEmbeddedHwId;
        } else {
            const QFileInfo fi(e.device);
            if (!fi.exists())
                continue; // a port that is not there is not listed
            const QSerialPortInfo* i = info(fi.canonicalFilePath());
            if (e.owner != 0) {
                name = QStringLiteral("Виртуальная ККТ vregisterd");
                p.hardwareId = kPtyHwId;
            } else if (i && i->hasVendorIdentifier()) {
                name = i->description().trimmed();
                if (name.isEmpty())
                    name = QStringLiteral("USB Serial Device");
                p.hardwareId = UsbHardwareId(i->vendorIdentifier(), i->productIdentifier());
            } else {
                name = i && !i->description().trimmed().isEmpty()
                           ? i->description().trimmed()
                           : QStringLiteral("Последовательный порт");
                p.hardwareId = kUartHwId;
            }
        }
        p.friendlyName = QStringLiteral("%1 (COM%2)").arg(name).arg(e.comNumber);
        r.push_back(std::move(p));
    }
    return r;
}

QString UsbHardwareId(quint16 vendor, quint16 product) {
    return QStringLiteral("USB\\VID_%1&PID_%2")
        .arg(vendor, 4, 16, QLatin1Char('0'))
        .arg(product, 4, 16, QLatin1Char('0'))
        .toUpper();
}

int BaudRateOfCode(int code) {
    return code >= 0 && code < kRateCount ? kRates[code].bits : 0;
}

unsigned TermiosSpeedOfCode(int code) {
    return code >= 0 && code < kRateCount ? unsigned(kRates[code].speed) : unsigned(B0);
}

int CodeOfTermiosSpeed(unsigned speed) {
    for (int i = 0; i < kRateCount; ++i)
        if (unsigned(kRates[i].speed) == speed)
            return i;
    return -1;
}

} // namespace Platform
