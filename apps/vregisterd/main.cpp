// vregisterd: serves the virtual register of the component's folder over TCP.
#include "vregister/VRServer.h"
#include "vregister/VRStore.h"
#include "vregister/VirtualRegister.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <pthread.h>

namespace {

constexpr int kUsage = 2;

QString Usage() {
    return QStringLiteral("vregisterd [--data DIR] [--listen АДРЕС] --port ПОРТ\n"
                          "  --data DIR       папка драйвера (LEDGRA_DATA_DIR)\n"
                          "  --listen АДРЕС   адрес для подключений (по умолчанию 127.0.0.1)\n"
                          "  --port ПОРТ      TCP-порт; 0 - любой свободный\n"
                          "Останавливается по SIGINT и SIGTERM.\n");
}

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
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            QTextStream(stdout) << Usage();
            return 0;
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
        } else {
            return usage(QStringLiteral("неизвестный параметр %1").arg(a));
        }
    }
    if (!havePort)
        return usage(QStringLiteral("не задан --port"));

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

    VRServer server(reg, options);
    QString error;
    if (!server.Start(&error)) {
        err << "vregisterd: не удается слушать " << error << "\n";
        return 1;
    }
    // An IPv6 address goes in brackets, so the port stays the text after the last colon.
    const QString address = server.Address().contains(QLatin1Char(':'))
                                ? QStringLiteral("[%1]").arg(server.Address())
                                : server.Address();
    std::printf("vregisterd: слушает %s:%d\n", address.toLocal8Bit().constData(), server.Port());
    std::fflush(stdout);

    int sig = 0;
    while (sigwait(&stopSignals, &sig) != 0) {
    }
    server.Stop();
    return 0;
}
