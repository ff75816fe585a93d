// vregisterd: serves the virtual register of the component's folder over TCP,
// on pseudo-terminal serial ports, and announces it by UDP.
#include "platform/PortMap.h"
#include "platform/SerialPorts.h"
#include "vregister/VRServer.h"
#include "vregister/VRState.h"
#include "vregister/VRStore.h"
#include "vregister/VRTableSchema.h"
#include "vregister/VirtualRegister.h"

#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <pthread.h>

namespace {

constexpr int kUsage = 2;
constexpr int kAnnouncePort = 16327;

QString Usage() {
    return QStringLiteral(
        "vregisterd [--data DIR] [--listen АДРЕС] [--port ПОРТ] [--pty]... [--baud СКОРОСТЬ]\n"
        "           [--announce [ХОСТ[:ПОРТ]]]\n"
        "  --data DIR       папка драйвера (LEDGRA_DATA_DIR)\n"
        "  --listen АДРЕС   адрес для подключений (по умолчанию 127.0.0.1)\n"
        "  --port ПОРТ      TCP-порт; 0 - любой свободный\n"
        "  --pty            последовательный порт на псевдотерминале (можно несколько);\n"
        "                   его номер COM вносится в ports.ini, пока демон работает\n"
        "  --baud СКОРОСТЬ  скорость портов --pty, бит/с (2400 ... 921600);\n"
        "                   по умолчанию скорость ККТ (115200)\n"
        "  --announce [ХОСТ[:ПОРТ]]  рассылать объявление UDP каждые 2 с\n"
        "                   (по умолчанию на 127.0.0.1:16327); нужен --port\n"
        "Нужен --port или --pty. Останавливается по SIGINT и SIGTERM.\n");
}

// "HOST[:PORT]" of --announce; false when the port is not a number.
bool ParseTarget(const QString& text, QString* host, int* port) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    // An IPv6 address without a port has colons of its own.
    if (colon < 0 || text.count(QLatin1Char(':')) > 1) {
        *host = text;
        return !text.isEmpty();
    }
    *host = text.left(colon);
    bool ok = false;
    *port = text.mid(colon + 1).toInt(&ok);
    return ok && !host->isEmpty() && *port > 0 && *port <= 65535;
}

int CodeOfRate(int bits) {
    for (int code = 0; Platform::BaudRateOfCode(code) != 0; ++code)
        if (Platform::BaudRateOfCode(code) == bits)
            return code;
    return -1;
}

// A pty with its entry in the port map, both gone with the object.
struct PtyPort {
    std::unique_ptr<VRPtyServer> server;
    int comNumber = -1;
    ~PtyPort() {
        if (server)
            server->Stop();
        if (comNumber > 0)
            Platform::RemoveOwnedPortEntry(comNumber, server->Path());
    }
};

} // namespace

int main(int argc, char** argv) {
    // Block the stop signals before any thread starts, so every thread
    // inherits the mask and only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    auto usage = [&](const QString& why) {
        err << "vregisterd: " << why << "\n" << Usage();
        err.flush();
        return kUsage;
    };

    VRServer::Options options;
    bool havePort = false;
    int ptyCount = 0;
    int baudCode = -1;
    bool announce = false;
    VRAnnouncer::Options announceOptions;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            QTextStream(stdout) << Usage();
            return 0;
        }
        if (a == QLatin1String("--pty")) {
            ++ptyCount;
            continue;
        }
        if (a == QLatin1String("--announce")) {
            announce = true;
            announceOptions.port = kAnnouncePort;
            // The target is optional: the next word, unless it is an option.
            if (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--")) &&
                !ParseTarget(args[++i], &announceOptions.host, &announceOptions.port))
                return usage(QStringLiteral("неверный адрес объявления: %1").arg(args[i]));
            continue;
        }
        if (i + 1 >= args.size())
            return usage(QStringLiteral("%1 без значения").arg(a));
        const QString v = args[++i];
        if (a == QLatin1String("--data")) {
            qputenv("LEDGRA_DATA_DIR", QFile::encodeName(v));
        } else if (a == QLatin1String("--listen")) {
            options.address = v;
        } else if (a == QLatin1String("--port")) {
            bool ok = false;
            options.port = v.toInt(&ok);
            if (!ok || options.port < 0 || options.port > 65535)
                return usage(QStringLiteral("неверный порт: %1").arg(v));
            havePort = true;
        } else if (a == QLatin1String("--baud")) {
            baudCode = CodeOfRate(v.toInt());
            if (baudCode < 0)
                return usage(QStringLiteral("неверная скорость: %1").arg(v));
        } else {
            return usage(QStringLiteral("неизвестный параметр %1").arg(a));
        }
    }
    if (!havePort && ptyCount == 0)
        return usage(QStringLiteral("не задан --port"));
    if (announce && !havePort)
        return usage(QStringLiteral("--announce без --port: объявлять нечего"));

    std::shared_ptr<VirtualRegister> reg;
    try {
        reg = VR::Shared(VR::DefaultRegisterPath());
    } catch (const EStore& e) {
        err << "vregisterd: " << VR::DefaultRegisterPath() << ": " << QString::fromUtf8(e.what())
            << "\n";
        return 1;
    }
    if (const QString aside = reg->SetAsideReport(); !aside.isEmpty())
        err << "vregisterd: база данных повреждена, отложена как " << aside << "\n";
    err.flush();

    std::unique_ptr<VRServer> server;
    QString announced; // the address clients reach the TCP server at
    if (havePort) {
        server = std::make_unique<VRServer>(reg, options);
        QString error;
        if (!server->Start(&error)) {
            err << "vregisterd: не удается слушать " << error << "\n";
            return 1;
        }
        // An IPv6 address goes in brackets, so the port stays the text after the last colon.
        const QString address = server->Address().contains(QLatin1Char(':'))
                                    ? QStringLiteral("[%1]").arg(server->Address())
                                    : server->Address();
        std::printf("vregisterd: слушает %s:%d\n", address.toLocal8Bit().constData(),
                    server->Port());
        QHostAddress host(server->Address());
        // Listening on every address: this computer's own is the one to give.
        if (host == QHostAddress::AnyIPv4)
            host = QHostAddress::LocalHost;
        announced =
            host.protocol() == QAbstractSocket::IPv4Protocol ? host.toString() : server->Address();
    }

    // The register's network link: the lease begins now, and a DHCP address
    // is the one the server listens on.
    try {
        const QHostAddress host(announced);
        const quint32 v4 = host.toIPv4Address();
        reg->WithStore([&](VRStore& s) {
            if (host.protocol() == QAbstractSocket::IPv4Protocol)
                VRTables::SetNetworkLink(
                    s,
                    {int(v4 >> 24), int((v4 >> 16) & 0xFF), int((v4 >> 8) & 0xFF), int(v4 & 0xFF)},
                    server ? server->Port() : 0);
            else
                VRTables::RestartDhcp(s);
        });
    } catch (const EStore& e) {
        err << "vregisterd: " << QString::fromUtf8(e.what()) << "\n";
    }

    std::vector<std::unique_ptr<PtyPort>> ptys;
    for (int i = 0; i < ptyCount; ++i) {
        auto p = std::make_unique<PtyPort>();
        VRPtyServer::Options o;
        o.baudCode = baudCode;
        p->server = std::make_unique<VRPtyServer>(reg, o);
        QString error;
        if (!p->server->Start(&error)) {
            err << "vregisterd: не удается открыть псевдотерминал: " << error << "\n";
            return 1;
        }
        p->comNumber = Platform::AddOwnedPortEntry(p->server->Path());
        if (p->comNumber < 0) {
            err << "vregisterd: не удается записать " << Platform::PortMapFile() << "\n";
            return 1;
        }
        int code = baudCode;
        if (code < 0)
            reg->WithStore([&](VRStore& s) { code = VRState::SerialRate(s); });
        std::printf("vregisterd: порт COM%d %s %d\n", p->comNumber,
                    QFile::encodeName(p->server->Path()).constData(),
                    Platform::BaudRateOfCode(code));
        ptys.push_back(std::move(p));
    }

    std::unique_ptr<VRAnnouncer> announcer;
    if (announce) {
        announceOptions.address = announced;
        announceOptions.tcpPort = server->Port();
        announcer = std::make_unique<VRAnnouncer>(reg, announceOptions);
        QString error;
        if (!announcer->Start(&error)) {
            err << "vregisterd: не удается объявлять на " << error << "\n";
            return 1;
        }
        std::printf("vregisterd: объявляет на %s:%d\n",
                    announceOptions.host.toLocal8Bit().constData(), announceOptions.port);
    }
    std::fflush(stdout);
    err.flush();

    int sig = 0;
    while (sigwait(&stopSignals, &sig) != 0) {
    }
    announcer.reset();
    ptys.clear();
    if (server)
        server->Stop();
    return 0;
}
