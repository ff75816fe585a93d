#include "platform/PortMap.h"

#include "platform/DataPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <map>

namespace Platform {
namespace {

std::map<int, QString> Defaults() {
    std::map<int, QString> m;
    for (int i = 0; i < 4; ++i)
        m[i + 1] = QStringLiteral("/dev/ttyS%1").arg(i);
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    int com = 5;
    for (const QFileInfo& fi :
         byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        m[com++] = fi.absoluteFilePath();
    m[kEmbeddedComNumber] = QString::fromLatin1(kEmbeddedDevice);
    return m;
}

std::map<int, QString> Read() {
    std::map<int, QString> m = Defaults();
    QSettings ini(PortMapFile(), QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Ports"));
    for (const QString& key : ini.childKeys()) {
        if (!key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
            continue;
        bool ok = false;
        const int n = key.mid(3).toInt(&ok);
        if (!ok || n < 1)
            continue;
        const QString dev = ini.value(key).toString().trimmed();
        if (dev.isEmpty())
            m.erase(n);
        else
            m[n] = dev;
    }
    return m;
}

// ports.ini is written by several processes (vregisterd instances); QSettings
// merges and locks the file on sync.
bool Write(int comNumber, const QString* device) {
    QSettings ini(PortMapFile(), QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Ports"));
    const QString key = QStringLiteral("COM%1").arg(comNumber);
    if (device)
        ini.setValue(key, *device);
    else
        ini.remove(key);
    ini.endGroup();
    ini.sync();
    return ini.status() == QSettings::NoError;
}

} // namespace

QString PortMapFile() {
    return LedgraDataDir() + QStringLiteral("/ports.ini");
}

std::vector<PortEntry> PortMap() {
    std::vector<PortEntry> r;
    for (const auto& [n, dev] : Read())
        r.push_back({n, dev});
    return r;
}

QString PortDevice(int comNumber) {
    const auto m = Read();
    const auto it = m.find(comNumber);
    return it == m.end() ? QString() : it->second;
}

bool SetPortEntry(int comNumber, const QString& device) {
    return Write(comNumber, &device);
}
bool RemovePortEntry(int comNumber) {
    return Write(comNumber, nullptr);
}

int FreeComNumber(int from) {
    const auto m = Read();
    int n = from;
    while (m.count(n))
        ++n;
    return n;
}

} // namespace Platform
