// The virtual register over TCP: the server in process, the component's TCP
// link, and the vregisterd binary driven by the ledgra console.
#include "driver/LedgraProtocol.h"
#include "driver/ResultCodes.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "ledgra/LedgraSettings.h"
#include "ledgra/Transport.h"
#include "platform/PortMap.h"
#include "platform/SerialPorts.h"
#include "tests/support/DaemonProcess.h"
#include "tests/support/TestDataDir.h"
#include "vregister/VRServer.h"
#include "vregister/VRTableSchema.h"
#include "vregister/VirtualRegister.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <arpa/inet.h>
#include <csignal>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace LedgraProtocol;

namespace {

// A blocking loopback socket the test drives byte by byte.
class RawClient {
public:
    explicit RawClient(int port) {
        FFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(quint16(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(FFd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(FFd);
            FFd = -1;
        }
    }
    ~RawClient() { Close(); }
    bool IsOpen() const { return FFd >= 0; }
    void Close() {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }
    bool Send(const QByteArray& b) {
        return ::send(FFd, b.constData(), size_t(b.size()), MSG_NOSIGNAL) == b.size();
    }
    // Reads until the peer closes or timeoutMs pass; true when it closed.
    bool ReadUntilClosed(int timeoutMs, QByteArray* got) {
        QElapsedTimer t;
        t.start();
        char buf[4096];
        while (t.elapsed() < timeoutMs) {
            pollfd p{FFd, POLLIN, 0};
            if (::poll(&p, 1, int(timeoutMs - t.elapsed())) <= 0)
                continue;
            const ssize_t n = ::recv(FFd, buf, sizeof buf, 0);
            if (n <= 0)
                return true;
            got->append(buf, n);
        }
        return false;
    }
    // Reads whole answer frames until `count` arrived; decoded answer codes.
    QList<int> ReadAnswers(int count, int timeoutMs = 5000) {
        QList<int> codes;
        QByteArray buf;
        QElapsedTimer t;
        t.start();
        char chunk[4096];
        while (codes.size() < count && t.elapsed() < timeoutMs) {
            qsizetype size = 0;
            if (ScanFrame(buf, &size) == Scan::Complete) {
                const auto a = DecodeAnswer(QByteArrayView(buf).first(size));
                codes << (a ? a->code : INT_MIN);
                buf.remove(0, size);
                continue;
            }
            pollfd p{FFd, POLLIN, 0};
            if (::poll(&p, 1, int(qMax<qint64>(0, timeoutMs - t.elapsed()))) <= 0)
                break;
            const ssize_t n = ::recv(FFd, chunk, sizeof chunk, 0);
            if (n <= 0)
                break;
            buf.append(chunk, n);
        }
        return codes;
    }

private:
    int FFd = -1;
};

QByteArray StatusRequest() {
    Request r;
    r.method = MethodId::GetShortECRStatus;
    r.password = 30;
    return Encode(r);
}

// A register of a fresh folder served on a free loopback port.
struct ServedRegister {
    explicit ServedRegister(int frameTimeoutMs = 10000, int maxClients = 64) {
        reg = VR::Shared(VR::DefaultRegisterPath());
        VRServer::Options o;
        o.frameTimeoutMs = frameTimeoutMs;
        o.maxClients = maxClients;
        o.log = [this](const QString& line) {
            std::lock_guard l(logLock);
            log << line;
        };
        server = std::make_unique<VRServer>(reg, o);
        QString error;
        started = server->Start(&error);
        if (!started)
            qWarning() << error;
    }
    QString Log() {
        std::lock_guard l(logLock);
        return log.join(QLatin1Char('\n'));
    }

    TestDataDir dir;
    std::shared_ptr<VirtualRegister> reg;
    std::unique_ptr<VRServer> server;
    bool started = false;
    std::mutex logLock;
    QStringList log;
};

std::shared_ptr<TLedgraComponent> TcpComponent(const QString& host, int port) {
    auto d = std::make_shared<TLedgraComponent>();
    d->Set(PropertyId::ConnectionType, LedgraSettings::kTcp);
    d->Set(PropertyId::UseIPAddress, true);
    d->Set(PropertyId::IPAddress, host);
    d->Set(PropertyId::TCPPort, port);
    d->Set(PropertyId::TCPConnectionTimeout, 2000);
    d->Set(PropertyId::Password, 30);
    return d;
}

// A port nothing listens on: bound once, then released.
int ClosedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

// A one-connection server that answers the first request with scripted
// bytes, then hangs up or stays silent until the client leaves.
class ScriptedServer {
public:
    ScriptedServer(QByteArray answer, bool hangUp) {
        FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(FListen, 1);
        socklen_t len = sizeof a;
        ::getsockname(FListen, reinterpret_cast<sockaddr*>(&a), &len);
        FPort = ntohs(a.sin_port);
        FThread = std::thread([this, answer, hangUp] {
            const int fd = ::accept(FListen, nullptr, nullptr);
            char buf[4096];
            if (::recv(fd, buf, sizeof buf, 0) > 0) {
                ::send(fd, answer.constData(), size_t(answer.size()), MSG_NOSIGNAL);
                if (!hangUp)
                    while (::recv(fd, buf, sizeof buf, 0) > 0) {
                    }
            }
            ::close(fd);
        });
    }
    ~ScriptedServer() {
        FThread.join();
        ::close(FListen);
    }
    int Port() const { return FPort; }

private:
    int FListen = -1;
    int FPort = 0;
    std::thread FThread;
};

} // namespace

class TstDaemon : public QObject {
    Q_OBJECT
private slots:
    void componentOverTcp();
    void badInputClosesOnlyThatConnection_data();
    void badInputClosesOnlyThatConnection();
    void clientLimit();
    void restartedServerCostsNoCall();
    void transportFailures_data();
    void transportFailures();
    void closedPortIsNoLink();
    void daemonWithConsole_data();
    void daemonWithConsole();
    void ptyPortsInTheMap_data();
    void ptyPortsInTheMap();
    void networkLink_data();
    void networkLink();
};

void TstDaemon::componentOverTcp() {
    ServedRegister s;
    QVERIFY(s.started);
    QVERIFY(s.server->Port() > 0);

    TLedgra tcp(TcpComponent(QStringLiteral("127.0.0.1"), s.server->Port()));
    QCOMPARE(tcp.GetECRStatus(), 0);
    QVERIFY(!tcp.ECROutput().isEmpty());
    QCOMPARE(tcp.ReadSerialNumber(), 0);
    QCOMPARE(tcp.SerialNumber(), QStringLiteral("0000000000000000"));

    tcp.SetSerialNumber(QStringLiteral("0012345678"));
    QCOMPARE(tcp.SetSerialNumber(), 0);
    // A second connection reads what the first one wrote...
    TLedgra other(TcpComponent(QStringLiteral("127.0.0.1"), s.server->Port()));
    QCOMPARE(other.ReadSerialNumber(), 0);
    QCOMPARE(other.SerialNumber(), QStringLiteral("0012345678"));
    // ...and so does the register itself: the write reached its store.
    Request r;
    r.method = MethodId::ReadSerialNumber;
    r.password = 30;
    const auto direct = s.reg->Handle(r);
    QVERIFY(direct);
    QCOMPARE(direct->outputs.at(0).second.toString(), QStringLiteral("0012345678"));
    QCOMPARE(s.server->ClientCount(), 2);
}

void TstDaemon::badInputClosesOnlyThatConnection_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("vanish");
    QTest::addColumn<int>("answerCode"); // 0: no answer expected
    QTest::addColumn<QString>("logged");

    const QByteArray good = StatusRequest();
    QByteArray badCrc = good;
    badCrc[badCrc.size() - 1] = char(badCrc.back() ^ 0x5A);
    QByteArray oversized("LG\x01\x01", 4);
    oversized.append("\xFF\xFF\xFF\x7F", 4);

    QTest::newRow("garbage") << QByteArray("GET / HTTP/1.0\r\n\r\n") << false << 0
                             << QStringLiteral("неверный кадр");
    QTest::newRow("bad CRC") << badCrc << false << int(RC::ProtocolError)
                             << QStringLiteral("контрольная сумма");
    QTest::newRow("oversized length") << oversized << false << 0 << QStringLiteral("неверный кадр");
    QTest::newRow("half frame, then silence")
        << good.first(good.size() / 2) << false << 0 << QStringLiteral("не получен полностью");
    QTest::newRow("peer vanishes mid-frame")
        << good.first(good.size() / 2) << true << 0 << QStringLiteral("посреди кадра");
}

void TstDaemon::badInputClosesOnlyThatConnection() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, vanish);
    QFETCH(int, answerCode);
    QFETCH(QString, logged);

    const int frameTimeoutMs = 300;
    ServedRegister s(frameTimeoutMs);
    QVERIFY(s.started);
    // Connected before the bad client and idle for longer than the frame
    // timeout: an idle link is not a half-sent frame.
    RawClient bystander(s.server->Port());
    QVERIFY(bystander.IsOpen());

    RawClient bad(s.server->Port());
    QVERIFY(bad.IsOpen());
    QVERIFY(bad.Send(bytes));
    QElapsedTimer t;
    t.start();
    if (vanish) {
        bad.Close();
        QTRY_VERIFY_WITH_TIMEOUT(s.Log().contains(logged), 5000);
    } else {
        QByteArray got;
        QVERIFY2(bad.ReadUntilClosed(5000, &got), "the server kept a bad connection");
        if (answerCode) {
            qsizetype size = 0;
            QCOMPARE(ScanFrame(got, &size), Scan::Complete);
            const auto a = DecodeAnswer(got);
            QVERIFY(a);
            QCOMPARE(a->code, answerCode);
        } else {
            QCOMPARE(got, QByteArray());
        }
        QTRY_VERIFY_WITH_TIMEOUT(s.Log().contains(logged), 1000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(s.server->ClientCount(), 1, 2000);
    QVERIFY(t.elapsed() < 5000);

    // The other connection still works, two frames in one write included.
    QVERIFY(bystander.Send(StatusRequest() + StatusRequest()));
    QCOMPARE(bystander.ReadAnswers(2), (QList<int>{0, 0}));
    TLedgra d(TcpComponent(QStringLiteral("127.0.0.1"), s.server->Port()));
    QCOMPARE(d.GetShortECRStatus(), 0);
}

void TstDaemon::clientLimit() {
    ServedRegister s(10000, 1);
    QVERIFY(s.started);
    RawClient first(s.server->Port());
    QVERIFY(first.IsOpen());
    QTRY_COMPARE(s.server->ClientCount(), 1);

    RawClient second(s.server->Port());
    QByteArray got;
    QVERIFY(second.ReadUntilClosed(5000, &got));
    QVERIFY(s.Log().contains(QStringLiteral("отклонено")));

    QVERIFY(first.Send(StatusRequest()));
    QCOMPARE(first.ReadAnswers(1), QList<int>{0});
    // A place freed by a client that left is given to the next one.
    first.Close();
    QTRY_COMPARE(s.server->ClientCount(), 0);
    RawClient third(s.server->Port());
    QVERIFY(third.Send(StatusRequest()));
    QCOMPARE(third.ReadAnswers(1), QList<int>{0});
}

void TstDaemon::restartedServerCostsNoCall() {
    ServedRegister s;
    QVERIFY(s.started);
    const int port = s.server->Port();
    TLedgra d(TcpComponent(QStringLiteral("127.0.0.1"), port));
    QCOMPARE(d.GetShortECRStatus(), 0);

    // The server goes away while the link is idle and comes back on the same
    // port: nothing was sent on the dead link, so the call just reconnects.
    s.server->Stop();
    VRServer::Options o;
    o.port = port;
    VRServer again(s.reg, o);
    QString error;
    QVERIFY2(again.Start(&error), qPrintable(error));
    QCOMPARE(d.GetShortECRStatus(), 0);
    QCOMPARE(again.ClientCount(), 1);
}

void TstDaemon::transportFailures_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("hangUp");
    QTest::addColumn<int>("code");

    Answer ok;
    const QByteArray good = Encode(ok);
    QTest::newRow("garbage answer")
        << QByteArray("HTTP/1.0 400\r\n") << false << int(RC::ProtocolError);
    QTest::newRow("answer plus stray bytes") << good + "xx" << false << int(RC::ProtocolError);
    QTest::newRow("half an answer, then hang-up")
        << good.first(good.size() - 3) << true << int(RC::NoLink);
    QTest::newRow("half an answer, then silence")
        << good.first(good.size() - 3) << false << int(RC::NoLink);
    QTest::newRow("hang-up without answer") << QByteArray() << true << int(RC::NoLink);
}

void TstDaemon::transportFailures() {
    QFETCH(QByteArray, answer);
    QFETCH(bool, hangUp);
    QFETCH(int, code);

    ScriptedServer server(answer, hangUp);
    auto t = MakeTcpTransport(QStringLiteral("127.0.0.1"), server.Port(), 2000);
    QCOMPARE(t->Open(), 0);
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(t->Exchange(StatusRequest(), 500, got), code);
    QVERIFY(timer.elapsed() < 3000);
    QVERIFY(!t->IsOpen());
    QVERIFY(got.isEmpty());
}

void TstDaemon::closedPortIsNoLink() {
    TestDataDir dir;
    const int port = ClosedPort();
    auto t = MakeTcpTransport(QStringLiteral("127.0.0.1"), port, 2000);
    QCOMPARE(t->Open(), int(RC::NoLink));
    QVERIFY(!t->IsOpen());
    QVERIFY2(t->LastError().startsWith(QStringLiteral("Нет связи: 127.0.0.1:%1: ").arg(port)),
             qPrintable(t->LastError()));

    // The component passes the reason on to the caller.
    TLedgra d(TcpComponent(QStringLiteral("127.0.0.1"), port));
    QCOMPARE(d.GetECRStatus(), int(RC::NoLink));
    QCOMPARE(d.ResultCodeDescription(), t->LastError());
}

void TstDaemon::daemonWithConsole_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TstDaemon::daemonWithConsole() {
    QFETCH(int, signal);
    TestDataDir daemonDir;
    TestDataDir consoleDir;

    QProcess daemon;
    daemon.start(QStringLiteral(VREGISTERD_PATH), {QStringLiteral("--data"), daemonDir.Path(),
                                                   QStringLiteral("--port"), QStringLiteral("0")});
    QVERIFY(daemon.waitForStarted());
    QVERIFY(daemon.waitForReadyRead(10000));
    const QString line = QString::fromUtf8(daemon.readLine()).trimmed();
    const auto m =
        QRegularExpression(QStringLiteral("^vregisterd: слушает 127\\.0\\.0\\.1:(\\d+)$"))
            .match(line);
    QVERIFY2(m.hasMatch(), qPrintable(line));
    const QString port = m.captured(1);
    const QString connection = QStringLiteral("tcp://127.0.0.1:%1").arg(port);

    auto console = [&](const QStringList& items, QString* out) {
        QProcess p;
        p.start(QStringLiteral(LEDGRA_CONSOLE_PATH),
                QStringList{QStringLiteral("--data"), consoleDir.Path(),
                            QStringLiteral("--connection"), connection} +
                    items);
        if (!p.waitForFinished(20000))
            return -100;
        *out = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -101;
    };

    QString out;
    QCOMPARE(console({QStringLiteral("Password=30"), QStringLiteral("GetECRStatus()"),
                      QStringLiteral("ECRMode?")},
                     &out),
             0);
    QVERIFY2(QRegularExpression(QStringLiteral("^GetECRStatus: 0 Ошибок нет\nECRMode = \\d+\n$"))
                 .match(out)
                 .hasMatch(),
             qPrintable(out));
    // The register is the daemon's, not one of the console's own folder.
    QVERIFY(QFile::exists(daemonDir.File(QStringLiteral("vregister.db"))));
    QVERIFY(!QFile::exists(consoleDir.File(QStringLiteral("vregister.db"))));

    // A dropped link fails that call only; the next one reconnects.
    QCOMPARE(console({QStringLiteral("--drop"), QStringLiteral("1"), QStringLiteral("Password=30"),
                      QStringLiteral("GetECRStatus()"), QStringLiteral("GetECRStatus()")},
                     &out),
             1);
    QVERIFY2(out.contains(QStringLiteral("GetECRStatus: -1 Нет связи")), qPrintable(out));
    QVERIFY2(out.endsWith(QStringLiteral("GetECRStatus: 0 Ошибок нет\n")), qPrintable(out));

    // A client still connected must not keep the daemon from stopping.
    RawClient idle(port.toInt());
    QVERIFY(idle.IsOpen());
    ::kill(pid_t(daemon.processId()), signal);
    QVERIFY(daemon.waitForFinished(10000));
    QCOMPARE(daemon.exitStatus(), QProcess::NormalExit);
    QCOMPARE(daemon.exitCode(), 0);
    QByteArray rest;
    QVERIFY(idle.ReadUntilClosed(1000, &rest));
}

void TstDaemon::ptyPortsInTheMap_data() {
    QTest::addColumn<int>("daemons");
    QTest::addColumn<int>("ptysEach");
    QTest::addColumn<int>("signal"); // how they stop
    QTest::newRow("one pty, SIGTERM") << 1 << 1 << int(SIGTERM);
    QTest::newRow("two ptys, SIGINT") << 1 << 2 << int(SIGINT);
    QTest::newRow("three daemons at once") << 3 << 2 << int(SIGTERM);
    QTest::newRow("killed: the entry is ignored") << 1 << 1 << int(SIGKILL);
}

void TstDaemon::ptyPortsInTheMap() {
    QFETCH(int, daemons);
    QFETCH(int, ptysEach);
    QFETCH(int, signal);

    TestDataDir dir;
    QStringList args;
    for (int i = 0; i < ptysEach; ++i)
        args << QStringLiteral("--pty");
    std::vector<std::unique_ptr<DaemonProcess>> started;
    for (int i = 0; i < daemons; ++i)
        started.push_back(std::make_unique<DaemonProcess>());
    // Started together: the numbers are handed out one process at a time.
    for (auto& d : started)
        QVERIFY2(d->Start(QStringLiteral(VREGISTERD_PATH), dir.Path(), args),
                 qPrintable(d->Output()));

    QSet<int> numbers;
    for (auto& d : started) {
        QCOMPARE(d->Ptys().size(), ptysEach);
        for (const DaemonProcess::Pty& p : d->Ptys()) {
            QVERIFY(p.com >= Platform::kFirstOwnedComNumber);
            QCOMPARE(p.rate, 115200);
            QCOMPARE(Platform::PortDevice(p.com), p.path);
            numbers.insert(p.com);
            // Each port answers on its own.
            TLedgra serial(std::make_shared<TLedgraComponent>());
            serial.SetConnectionType(LedgraSettings::kSerial);
            serial.SetComNumber(p.com);
            serial.SetBaudRate(6);
            serial.SetPassword(30);
            QCOMPARE(serial.GetShortECRStatus(), 0);
            // The port list shows it as the daemon's register.
            bool listed = false;
            for (const Platform::SerialPortInfo& info : Platform::SerialPorts())
                if (info.comNumber == p.com)
                    listed = info.friendlyName ==
                             QStringLiteral("Виртуальная ККТ vregisterd (COM%1)").arg(p.com);
            QVERIFY(listed);
        }
    }
    QCOMPARE(numbers.size(), daemons * ptysEach);

    for (auto& d : started) {
        if (signal == SIGKILL)
            d->Stop(SIGKILL);
        else
            QVERIFY(d->Stop(signal));
    }
    for (int com : numbers)
        QVERIFY(Platform::PortDevice(com).isEmpty());
    QFile ini(Platform::PortMapFile());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    // A clean stop leaves no line behind; a killed daemon's line stays, unheeded.
    QCOMPARE(ini.readAll().contains("/dev/pts/"), signal == SIGKILL);
    // ...and its number is handed out again.
    if (signal == SIGKILL)
        QCOMPARE(Platform::AddOwnedPortEntry(QStringLiteral("/dev/null")),
                 Platform::kFirstOwnedComNumber);
}

void TstDaemon::networkLink_data() {
    QTest::addColumn<bool>("dhcp");
    QTest::newRow("DHCP") << true;
    QTest::newRow("static address") << false;
}

// What the wizard's link check does: the DHCP state, then the address and
// port from the tables, then a TCP connection to them.
void TstDaemon::networkLink() {
    QFETCH(bool, dhcp);
    TestDataDir dir;
    if (!dhcp) {
        auto reg = VR::Shared(VR::DefaultRegisterPath());
        reg->WithStore([](VRStore& s) {
            QCOMPARE(VRTables::WriteInt(s, 16, 1, 1, 1), 0);
            QCOMPARE(VRTables::WriteInt(s, 16, 1, 2, 3), 0);
            for (int f = 3; f <= 6; ++f)
                QCOMPARE(VRTables::WriteInt(s, 16, 1, f, 10 + f), 0);
        });
    }
    QElapsedTimer t;
    t.start();
    DaemonProcess daemon;
    QVERIFY2(daemon.Start(QStringLiteral(VREGISTERD_PATH), dir.Path(),
                          {QStringLiteral("--port"), QStringLiteral("0")}),
             qPrintable(daemon.Output()));
    TLedgra d(std::make_shared<TLedgraComponent>()); // the embedded register of the same folder
    d.SetPassword(30);
    auto read = [&](int table, int field) {
        d.SetTableNumber(table);
        d.SetRowNumber(1);
        d.SetFieldNumber(field);
        return d.ReadTable() == 0 ? d.ValueOfFieldInteger() : -1;
    };
    QCOMPARE(read(21, 4), daemon.TcpPort());
    if (!dhcp) {
        // A static address keeps what was written, the state too.
        QCOMPARE(read(16, 2), 3);
        QCOMPARE(read(16, 3), 13);
        QCOMPARE(read(16, 6), 16);
        return;
    }
    // The register has just started: no address yet, then one a moment later.
    const int first = read(16, 2);
    QVERIFY(first == 0 || t.elapsed() >= VRTables::kDhcpDelayMs);
    QTRY_COMPARE_WITH_TIMEOUT(read(16, 2), VRTables::kDhcpObtained, 5000);
    QVERIFY(t.elapsed() >= VRTables::kDhcpDelayMs);
    const QString address = QStringLiteral("%1.%2.%3.%4")
                                .arg(read(16, 3))
                                .arg(read(16, 4))
                                .arg(read(16, 5))
                                .arg(read(16, 6));
    QCOMPARE(address, QStringLiteral("127.0.0.1"));
    TLedgra tcp(TcpComponent(address, read(21, 4)));
    QCOMPARE(tcp.GetECRStatus(), 0);

    // DHCP switched on again (the settings step): a new lease, a new wait.
    d.SetTableNumber(16);
    d.SetFieldNumber(1);
    d.SetValueOfFieldInteger(0);
    QCOMPARE(d.WriteTable(), 0);
    QCOMPARE(read(16, 2), 0);
    QTRY_COMPARE_WITH_TIMEOUT(read(16, 2), VRTables::kDhcpObtained, 5000);
}

QTEST_GUILESS_MAIN(TstDaemon)
#include "tst_daemon.moc"
