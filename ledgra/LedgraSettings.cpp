#include "ledgra/LedgraSettings.h"

#include "platform/DataPaths.h"

#include <QSettings>

namespace LedgraSettings {

const std::vector<PropertyId>& Persistent() {
    using enum PropertyId;
    static const std::vector<PropertyId> p = {
        ConnectionType,       ComNumber,          BaudRate,         Timeout,
        ComputerName,         IPAddress,          TCPPort,          UseIPAddress,
        TCPConnectionTimeout, Password,           SysAdminPassword, ProtocolType,
        MaxCommandSendCount,  MaxAnswerReadCount, SearchTimeout,
    };
    return p;
}

QString File() {
    return Platform::LedgraDataDir() + QStringLiteral("/ledgra.ini");
}

namespace {
void Defaults(ILedgra& o) {
    using enum PropertyId;
    o.Set(ConnectionType, kEmbedded);
    o.Set(ComNumber, 1);
    o.Set(BaudRate, 6);
    o.Set(Timeout, 1000);
    o.Set(ComputerName, QStringLiteral("localhost"));
    o.Set(IPAddress, QStringLiteral("127.0.0.1"));
    o.Set(TCPPort, 7778);
    o.Set(UseIPAddress, true);
    o.Set(TCPConnectionTimeout, 5000);
    o.Set(Password, 30);
    o.Set(SysAdminPassword, 30);
    o.Set(ProtocolType, 0);
    o.Set(MaxCommandSendCount, 3);
    o.Set(MaxAnswerReadCount, 3);
    o.Set(SearchTimeout, 600);
    o.Set(ConnectionTimeout, 5000);
}
} // namespace

void Load(ILedgra& o) {
    Defaults(o);
    QSettings ini(File(), QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Connection"));
    for (PropertyId id : Persistent()) {
        const auto& p = Ledgra::Info(id);
        const QString key = QString::fromLatin1(p.name);
        if (!ini.contains(key))
            continue;
        // A value that does not fit its property keeps the default.
        if (auto v = Ledgra::ParseValue(p, ini.value(key).toString()))
            o.Set(id, *v);
    }
}

bool Save(ILedgra& o) {
    QSettings ini(File(), QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Connection"));
    for (PropertyId id : Persistent()) {
        const auto& p = Ledgra::Info(id);
        ini.setValue(QString::fromLatin1(p.name), Ledgra::FormatValue(p, o.Get(id)));
    }
    ini.endGroup();
    ini.sync();
    return ini.status() == QSettings::NoError;
}

} // namespace LedgraSettings
