// Component creation, the port map and port locks.

#include "driver/ILedgra.h"
#include "ledgra/LedgraComponent.h"
#include "platform/ComponentFactory.h"
#include "platform/LedgraErrors.h"
#include "platform/PortLock.h"
#include "platform/PortMap.h"
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
};

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

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
