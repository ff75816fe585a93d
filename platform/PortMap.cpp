#include "platform/PortMap.h"

#include "platform/DataPaths.h"
#include "platform/PortLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <map>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace Platform {
namespace {

const QString kPortsGroup = QStringLiteral("Ports");
const QString kOwnersGroup = QStringLiteral("Owners");

std::map<int, PortEntry> Defaults() {
    std::map<int, PortEntry> m;
    for (int i = 0; i < 4; ++i)
        m[i + 1] = {i + 1, QStringLiteral("/dev/ttyS%1").arg(i), 0};
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    int com = 5;
    for (const QFileInfo& fi :
         byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        m[com] = {com, fi.absoluteFilePath(), 0};
        ++com;
    }
    m[kEmbeddedComNumber] = {kEmbeddedComNumber, QString::fromLatin1(kEmbeddedDevice), 0};
    return m;
}

int ComKey(const QString& key) {
    if (!key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return -1;
    bool ok = false;
    const int n = key.mid(3).toInt(&ok);
    return ok && n >= 1 ? n : -1;
}

bool Alive(qint64 pid) {
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

std::map<int, PortEntry> Read() {
    std::map<int, PortEntry> m = Defaults();
    QSettings ini(PortMapFile(), QSettings::IniFormat);
    std::map<int, qint64> owners;
    ini.beginGroup(kOwnersGroup);
    for (const QString& key : ini.childKeys())
        if (const int n = ComKey(key); n > 0)
            owners[n] = ini.value(key).toLongLong();
    ini.endGroup();
    ini.beginGroup(kPortsGroup);
    for (const QString& key : ini.childKeys()) {
        const int n = ComKey(key);
        if (n < 0)
            continue;
        const QString dev = ini.value(key).toString().trimmed();
        const auto o = owners.find(n);
        const qint64 owner = o == owners.end() ? 0 : o->second;
        // The entry of a process that is gone names a pty that may now be
        // someone else's terminal: as if it were not there.
        if (o != owners.end() && !Alive(owner))
            continue;
        if (dev.isEmpty())
            m.erase(n);
        else
            m[n] = {n, dev, owner};
    }
    return m;
}

// ports.ini is written by several processes (vregisterd instances); QSettings
// merges and locks the file on sync.
bool Write(int comNumber, const QString* device, qint64 owner = 0) {
    QSettings ini(PortMapFile(), QSettings::IniFormat);
    const QString key = QStringLiteral("COM%1").arg(comNumber);
    ini.beginGroup(kPortsGroup);
    if (device)
        ini.setValue(key, *device);
    else
        ini.remove(key);
    ini.endGroup();
    ini.beginGroup(kOwnersGroup);
    if (device && owner > 0)
        ini.setValue(key, owner);
    else
        ini.remove(key);
    ini.endGroup();
    ini.sync();
    return ini.status() == QSettings::NoError;
}

// Read-modify-write of the map, one process at a time.
FileLock MapLock() {
    return FileLock(LedgraDataDir() + QStringLiteral("/ports-map.lock"), /*wait=*/true);
}

} // namespace

QString PortMapFile() {
    return LedgraDataDir() + QStringLiteral("/ports.ini");
}

std::vector<PortEntry> PortMap() {
    std::vector<PortEntry> r;
    for (const auto& [n, e] : Read())
        r.push_back(e);
    return r;
}

QString PortDevice(int comNumber) {
    const auto m = Read();
    const auto it = m.find(comNumber);
    return it == m.end() ? QString() : it->second.device;
}

bool SetPortEntry(int comNumber, const QString& device) {
    const FileLock lock = MapLock();
    return Write(comNumber, &device);
}
bool RemovePortEntry(int comNumber) {
    const FileLock lock = MapLock();
    return Write(comNumber, nullptr);
}

int FreeComNumber(int from) {
    const auto m = Read();
    int n = from;
    while (m.count(n))
        ++n;
    return n;
}

int AddOwnedPortEntry(const QString& device) {
    const FileLock lock = MapLock();
    const int n = FreeComNumber(kFirstOwnedComNumber);
    return Write(n, &device, QCoreApplication::applicationPid()) ? n : -1;
}

bool RemoveOwnedPortEntry(int comNumber, const QString& device) {
    const FileLock lock = MapLock();
    const auto m = Read();
    const auto it = m.find(comNumber);
    if (it == m.end() || it->second.device != device ||
        it->second.owner != QCoreApplication::applicationPid())
        return false;
    return Write(comNumber, nullptr);
}

} // namespace Platform
