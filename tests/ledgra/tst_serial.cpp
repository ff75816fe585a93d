// The component's serial link: the ptys of vregisterd at the port's rate and
// at another, a port that vanishes during a call, and the embedded register's
// COM200 that answers only at its own rate.

#include "driver/ResultCodes.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "ledgra/LedgraSettings.h"
#include "platform/PortMap.h"
#include "tests/support/DaemonProcess.h"
#include "tests/support/TestDataDir.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <thread>

namespace {

constexpr int kTimeout = 1000;

// A component set up as the wizard's search probe sets its own.
TLedgra Probe(int com, int baudCode) {
    TLedgra d(std::make_shared<TLedgraComponent>());
    d.SetConnectionType(LedgraSettings::kSerial);
    d.SetProtocolType(0);
    d.SetComNumber(com);
    d.SetTimeout(kTimeout);
    d.SetSearchTimeout(600);
    d.SetMaxCommandSendCount(1);
    d.SetMaxAnswerReadCount(1);
    d.SetBaudRate(baudCode);
    d.SetPassword(30);
    return d;
}

// Runs a status request; the code, with the time it took.
int TimedStatus(TLedgra& d, qint64* ms) {
    QElapsedTimer t;
    t.start();
    const int code = d.GetShortECRStatus();
    *ms = t.elapsed();
    return code;
}

} // namespace

class TestSerial : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ptyAtRate_data();
    void ptyAtRate();
    void vanishingPort_data();
    void vanishingPort();
    void embeddedRegisterRate_data();
    void embeddedRegisterRate();
    void probeSettingsChecked();
};

void TestSerial::ptyAtRate_data() {
    QTest::addColumn<QStringList>("args"); // of vregisterd besides --pty
    QTest::addColumn<int>("baudCode");     // the client's
    QTest::addColumn<int>("code");

    QTest::newRow("the register's rate") << QStringList{} << 6 << 0;
    QTest::newRow("another rate") << QStringList{} << 2 << int(RC::NoLink);
    QTest::newRow("--baud 9600") << QStringList{"--baud", "9600"} << 2 << 0;
    QTest::newRow("--baud 9600, client at 115200")
        << QStringList{"--baud", "9600"} << 6 << int(RC::NoLink);
}

void TestSerial::ptyAtRate() {
    QFETCH(QStringList, args);
    QFETCH(int, baudCode);
    QFETCH(int, code);

    TestDataDir dir;
    DaemonProcess daemon;
    QVERIFY2(daemon.Start(QStringLiteral(VREGISTERD_PATH), dir.Path(),
                          QStringList{QStringLiteral("--pty")} + args),
             qPrintable(daemon.Output()));
    QCOMPARE(daemon.Ptys().size(), 1);
    const DaemonProcess::Pty pty = daemon.Ptys().first();
    QCOMPARE(Platform::PortDevice(pty.com), pty.path);

    TLedgra d = Probe(pty.com, baudCode);
    qint64 ms = 0;
    QCOMPARE(TimedStatus(d, &ms), code);
    if (code != 0) {
        // Silence on the wire: the whole timeout, not much more.
        QVERIFY2(ms >= kTimeout - 50 && ms < kTimeout + 700, qPrintable(QString::number(ms)));
        QVERIFY(!d.Connected());
        return;
    }
    QCOMPARE(d.ECRMode(), 4);
    QVERIFY(!d.ECROutput().isEmpty());
    // The client closes its side; the port serves the next one (and this
    // one again).
    QCOMPARE(d.Disconnect(), 0);
    TLedgra other = Probe(pty.com, baudCode);
    QCOMPARE(other.ReadSerialNumber(), 0);
    QCOMPARE(other.SerialNumber(), QStringLiteral("0000000000000000"));
    QCOMPARE(other.Disconnect(), 0);
    QCOMPARE(d.GetShortECRStatus(), 0);
    // Two links on one port at once would read each other's answers.
    TLedgra third = Probe(pty.com, baudCode);
    QCOMPARE(third.GetShortECRStatus(), int(RC::PortBusy));
}

void TestSerial::vanishingPort_data() {
    QTest::addColumn<bool>("duringCall");
    QTest::newRow("between calls") << false;
    QTest::newRow("during a call") << true;
}

void TestSerial::vanishingPort() {
    QFETCH(bool, duringCall);
    TestDataDir dir;
    DaemonProcess daemon;
    QVERIFY2(daemon.Start(QStringLiteral(VREGISTERD_PATH), dir.Path(), {QStringLiteral("--pty")}),
             qPrintable(daemon.Output()));
    const DaemonProcess::Pty pty = daemon.Ptys().first();
    TLedgra d = Probe(pty.com, 6);
    QCOMPARE(d.GetShortECRStatus(), 0);

    // The daemon dies without a word, and its pty with it.
    std::thread killer;
    if (duringCall) {
        // The register takes its time over the next call; it dies meanwhile.
        auto& component = dynamic_cast<TLedgraComponent&>(d.Object());
        QCOMPARE(component.ServiceCommand(QStringLiteral("delay GetShortECRStatus 5000"), nullptr),
                 0);
        killer = std::thread([pid = daemon.Pid()] {
            QThread::msleep(300);
            ::kill(pid_t(pid), SIGKILL);
        });
    } else {
        daemon.Stop(SIGKILL);
    }
    qint64 ms = 0;
    QCOMPARE(TimedStatus(d, &ms), int(RC::PortUnavailable));
    if (killer.joinable())
        killer.join();
    daemon.Stop(SIGKILL);
    QVERIFY2(ms < kTimeout, qPrintable(QString::number(ms)));
    QVERIFY(!d.Connected());
    // Its port is gone from the map (the owner is dead), so is a new link.
    QVERIFY(Platform::PortDevice(pty.com).isEmpty());
    QCOMPARE(d.GetShortECRStatus(), int(RC::PortUnavailable));
}

void TestSerial::embeddedRegisterRate_data() {
    QTest::addColumn<int>("registerRate"); // -1: as a fresh register
    QTest::addColumn<int>("baudCode");
    QTest::addColumn<int>("code");

    QTest::newRow("fresh register, 115200") << -1 << 6 << 0;
    QTest::newRow("fresh register, 4800") << -1 << 1 << int(RC::NoLink);
    QTest::newRow("register set to 4800, 4800") << 1 << 1 << 0;
    QTest::newRow("register set to 4800, 115200") << 1 << 6 << int(RC::NoLink);
}

void TestSerial::embeddedRegisterRate() {
    QFETCH(int, registerRate);
    QFETCH(int, baudCode);
    QFETCH(int, code);

    TestDataDir dir;
    if (registerRate >= 0) {
        // The register's rate is one of its exchange parameters.
        TLedgra setup(std::make_shared<TLedgraComponent>());
        setup.SetPassword(30);
        setup.SetPortNumber(0);
        setup.SetBaudRate(registerRate);
        setup.SetTimeout(100);
        QCOMPARE(setup.SetExchangeParam(), 0);
    }
    TLedgra d = Probe(Platform::kEmbeddedComNumber, baudCode);
    qint64 ms = 0;
    QCOMPARE(TimedStatus(d, &ms), code);
    if (code != 0)
        QVERIFY2(ms >= kTimeout - 50 && ms < kTimeout + 700, qPrintable(QString::number(ms)));
    else
        QCOMPARE(d.ECRMode(), 4);
}

void TestSerial::probeSettingsChecked() {
    TestDataDir dir;
    TLedgra d = Probe(Platform::kEmbeddedComNumber, 6);
    d.SetProtocolType(1);
    QCOMPARE(d.GetShortECRStatus(), int(RC::BadPropertyValue));
    d.SetProtocolType(0);
    d.SetComNumber(199); // nothing mapped
    QCOMPARE(d.GetShortECRStatus(), int(RC::PortUnavailable));
    // A tty that is no port at all.
    QVERIFY(Platform::SetPortEntry(9, dir.File(QStringLiteral("no-such-tty"))));
    d.SetComNumber(9);
    QCOMPARE(d.GetShortECRStatus(), int(RC::PortUnavailable));
    QVERIFY2(d.ResultCodeDescription().contains(QStringLiteral("no-such-tty")),
             qPrintable(d.ResultCodeDescription()));
}

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
