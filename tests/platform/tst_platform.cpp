// Component creation, the port map and port locks.

#include "driver/ILedgra.h"
#include "ledgra/LedgraComponent.h"
#include "platform/ComponentFactory.h"
#include "platform/LedgraErrors.h"
#include "platform/PortLock.h"
#include "platform/PortMap.h"
#include "platform/SerialPorts.h"
#include "tests/support/TestDataDir.h"

#include <QProcess>
#include <QtTest>

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Ledgra::RegisterComponentClass(); }
    void cleanup() { qunsetenv("LEDGRA_CLASS"); }
    void createsRegisteredClass_data();
    void createsRegisteredClass();
    void creationFailures_data();
    void creationFailures();
    void portMapDefaultsAndOverrides();
    void portLockExcludesOtherHolders();
    void serialPortList_data();
    void serialPortList();
    void usbHardwareIdReadBack_data();
    void usbHardwareIdReadBack();
};

namespace {
// The wizard's reading of a friendly name: the number after "(COM" up to
// ")", -1 when there is none.
int ComNumberOf(const QString& friendlyName) {
    const qsizetype at = friendlyName.indexOf(QLatin1String("(COM"));
    if (at < 0 || friendlyName.contains(QLatin1String("(LPT")))
        return -1;
    const qsizetype end = friendlyName.indexOf(QLatin1Char(')'), at);
    bool ok = false;
    const int n = friendlyName.mid(at + 4, end - at - 4).toInt(&ok);
    return ok ? n : -1;
}
// ...and of a hardware identifier: four hex digits after "vid_" / "pid_".
int IdAfter(const QString& hw, const char* key) {
    const QString lower = hw.toLower();
    const qsizetype at = lower.indexOf(QLatin1String(key));
    bool ok = false;
    const int v = at < 0 ? 0 : lower.mid(at + 4, 4).toInt(&ok, 16);
    return ok ? v : 0;
}
} // namespace

void TestPlatform::createsRegisteredClass_data() {
    QTest::addColumn<QString>("ledgraClass");
    QTest::addColumn<QString>("version");
    QTest::newRow("default") << QString() << QString();
    QTest::newRow("class id, other case")
        << QString::fromLatin1(Platform::kLedgraClassId).toLower() << QString();
    QTest::newRow("program id") << QString::fromLatin1(Platform::kLedgraProgId) << QString();
    QTest::newRow("plug-in") << QStringLiteral(TEST_PLUGIN) << QStringLiteral("plug-in");
}

void TestPlatform::createsRegisteredClass() {
    QFETCH(QString, ledgraClass);
    QFETCH(QString, version);
    TestDataDir dir;
    if (!ledgraClass.isEmpty())
        qputenv("LEDGRA_CLASS", ledgraClass.toUtf8());
    auto d = Platform::CreateComponent();
    QVERIFY(d);
    if (!version.isEmpty())
        QCOMPARE(d->Get(PropertyId::DriverVersion).toString(), version);
    else
        QVERIFY(d->Get(PropertyId::DriverVersion).toString().startsWith(QLatin1String("4.13.")));
}

void TestPlatform::creationFailures_data() {
    QTest::addColumn<QString>("ledgraClass");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unknown class") << "{00000000-0000-0000-0000-000000000000}"
                                   << "Класс не зарегистрирован";
    QTest::newRow("missing plug-in") << "/nonexistent/libx.so"
                                     << "Не найден указанный модуль";
    QTest::newRow("not a library") << "/etc/hostname"
                                   << "Не удается загрузить модуль";
}

void TestPlatform::creationFailures() {
    QFETCH(QString, ledgraClass);
    QFETCH(QString, reason);
    qputenv("LEDGRA_CLASS", ledgraClass.toUtf8());
    try {
        Platform::CreateComponent();
        QFAIL("created");
    } catch (const EError& e) {
        QVERIFY2(e.Message().startsWith(reason), qPrintable(e.Message()));
    }
}

void TestPlatform::portMapDefaultsAndOverrides() {
    TestDataDir dir;
    QCOMPARE(Platform::PortDevice(1), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(Platform::PortDevice(Platform::kEmbeddedComNumber),
             QString::fromLatin1(Platform::kEmbeddedDevice));
    QVERIFY(Platform::PortDevice(199).isEmpty());
    QVERIFY(Platform::SetPortEntry(7, QStringLiteral("/dev/pts/9")));
    QVERIFY(Platform::SetPortEntry(2, QString())); // an empty entry hides a default port
    QCOMPARE(Platform::PortDevice(7), QStringLiteral("/dev/pts/9"));
    QVERIFY(Platform::PortDevice(2).isEmpty());
    QVERIFY(Platform::FreeComNumber(7) != 7);
    QVERIFY(Platform::RemovePortEntry(7));
    QVERIFY(Platform::PortDevice(7).isEmpty() ||
            Platform::PortDevice(7) != QStringLiteral("/dev/pts/9"));
    const auto map = Platform::PortMap();
    QVERIFY(std::is_sorted(map.begin(), map.end(),
                           [](auto& a, auto& b) { return a.comNumber < b.comNumber; }));
}

void TestPlatform::portLockExcludesOtherHolders() {
    TestDataDir dir;
    const QString file = Platform::PortLockFile(5);
    {
        Platform::FileLock a(file, false);
        QVERIFY(a.Locked());
        Platform::FileLock b(file, false); // another holder in this process
        QVERIFY(!b.Locked());
        // and in another process
        QProcess p;
        p.start(QStringLiteral("flock"), {QStringLiteral("-n"), file, QStringLiteral("true")});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 1);
    }
    Platform::FileLock c(file, false);
    QVERIFY(c.Locked());
}

void TestPlatform::serialPortList_data() {
    QTest::addColumn<QString>(
        "device"); // "%d": a file in the data folder; "" for the embedded register
    QTest::addColumn<bool>("owned"); // entered by this process, as vregisterd enters its ptys
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QString>("name");
    QTest::newRow("embedded register")
        << QString() << false << true << QStringLiteral("Виртуальная ККТ (COM%1)");
    QTest::newRow("a port that is not there") << "%d/ttyGone" << false << false << QString();
    QTest::newRow("a port without USB ids")
        << "%d/ttyPlain" << false << true << QStringLiteral("Последовательный порт (COM%1)");
    QTest::newRow("a daemon's pty")
        << "%d/ttyPty" << true << true << QStringLiteral("Виртуальная ККТ vregisterd (COM%1)");
}

void TestPlatform::serialPortList() {
    QFETCH(QString, device);
    QFETCH(bool, owned);
    QFETCH(bool, listed);
    QFETCH(QString, name);

    TestDataDir dir;
    for (int n = 1; n <= 4; ++n) // the host's own ports are no part of the case
        QVERIFY(Platform::SetPortEntry(n, QString()));
    int com = Platform::kEmbeddedComNumber;
    if (!device.isEmpty()) {
        device.replace(QLatin1String("%d"), dir.Path());
        if (!device.endsWith(QLatin1String("Gone"))) {
            QFile f(device);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        com = owned ? Platform::AddOwnedPortEntry(device) : 9;
        if (!owned)
            QVERIFY(Platform::SetPortEntry(com, device));
        QVERIFY(com > 0);
    }

    const auto ports = Platform::SerialPorts();
    const auto it =
        std::find_if(ports.begin(), ports.end(), [&](const auto& p) { return p.comNumber == com; });
    QCOMPARE(it != ports.end(), listed);
    if (!listed)
        return;
    QCOMPARE(it->friendlyName, name.arg(com));
    QCOMPARE(ComNumberOf(it->friendlyName), com);
    // Not a USB device: no vendor id, so neither id is read.
    QVERIFY(!it->hardwareId.isEmpty());
    QCOMPARE(IdAfter(it->hardwareId, "vid_"), 0);
    QVERIFY(std::is_sorted(ports.begin(), ports.end(),
                           [](auto& a, auto& b) { return a.comNumber < b.comNumber; }));
    if (owned) {
        QVERIFY(Platform::RemoveOwnedPortEntry(com, device));
        QVERIFY(Platform::PortDevice(com).isEmpty());
    }
}

void TestPlatform::usbHardwareIdReadBack_data() {
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("product");
    QTest::addColumn<QString>("id");
    QTest::newRow("FTDI-like") << 0x0403 << 0x6001 << QStringLiteral("USB\\VID_0403&PID_6001");
    QTest::newRow("small numbers") << 0x0001 << 0x00AB << QStringLiteral("USB\\VID_0001&PID_00AB");
    QTest::newRow("a skipped vendor")
        << 0x0E8D << 0x2000 << QStringLiteral("USB\\VID_0E8D&PID_2000");
}

void TestPlatform::usbHardwareIdReadBack() {
    QFETCH(int, vendor);
    QFETCH(int, product);
    QFETCH(QString, id);
    const QString hw = Platform::UsbHardwareId(quint16(vendor), quint16(product));
    QCOMPARE(hw, id);
    QCOMPARE(IdAfter(hw, "vid_"), vendor);
    QCOMPARE(IdAfter(hw, "pid_"), product);
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
