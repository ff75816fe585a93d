// The component on the embedded virtual register, its settings, the store's
// durability, and the console.

#include "driver/ResultCodes.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "ledgra/LedgraConsole.h"
#include "ledgra/LedgraSettings.h"
#include "tests/support/TestDataDir.h"
#include "vregister/VRStore.h"
#include "vregister/VirtualRegister.h"

#include <QFile>
#include <QProcess>
#include <QtTest>
#include <sqlite3.h>
#include <thread>

namespace {
TLedgra NewDriver() {
    return TLedgra(std::make_shared<TLedgraComponent>());
}

struct ConsoleRun {
    int status;
    QString out, err;
};
ConsoleRun Console(const QStringList& args) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = LedgraConsole::Run(args, o, e);
    return {status, out, err};
}
} // namespace

class TestLedgra : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { TLedgraComponent::SetPropertiesDialog({}); }
    void freshObjectUsesEmbeddedRegister();
    void resultPropertiesAfterEveryCall();
    void passwords_data();
    void passwords();
    void connectedPropertyConnects();
    void settingsOnlyChangeThroughDialogOrSaveParams();
    void showPropertiesWithoutGui();
    void twoThreadsAndTwoObjectsShareOneRegister();
    void serialNumberSurvivesAProcess();
    void killedProcessKeepsAnsweredWrites();
    void corruptDatabaseIsSetAside();
    void newerDatabaseIsRefusedUntouched();
    void faultInjection();
    void exchangeParamsPerInterface_data();
    void exchangeParamsPerInterface();
    void console_data();
    void console();
    void consoleScript();
};

void TestLedgra::freshObjectUsesEmbeddedRegister() {
    TestDataDir dir;
    TLedgra d = NewDriver();
    QCOMPARE(d.ConnectionType(), LedgraSettings::kEmbedded);
    QCOMPARE(d.Password(), 30);
    QCOMPARE(d.GetECRStatus(), 0);
    QCOMPARE(d.ECRMode(), 4);
    QCOMPARE(d.ECRModeDescription(), QStringLiteral("Закрытая смена"));
    QCOMPARE(d.SerialNumber(), QStringLiteral("0000000000000000"));
    QVERIFY(d.ECRSoftVersion().startsWith(QLatin1Char('D')));
    QCOMPARE(d.ECRSoftDate().date().year(), 2023);
    QVERIFY(QFile::exists(dir.File(QStringLiteral("vregister.db"))));
    QVERIFY(QStringList({QStringLiteral("4"), QStringLiteral("13")}) ==
            d.DriverVersion().split(QLatin1Char('.')).mid(0, 2));
    QVERIFY(d.DriverBuild() >= 594);
}

void TestLedgra::resultPropertiesAfterEveryCall() {
    TestDataDir dir;
    TLedgra d = NewDriver();
    QCOMPARE(d.GetShortECRStatus(), 0);
    QCOMPARE(d.ResultCode(), 0);
    QCOMPARE(d.ResultCodeDescription(), QStringLiteral("Ошибок нет"));
    QVERIFY(d.ECRInput().startsWith(QLatin1String("4C 47 01 01")));  // a request frame
    QVERIFY(d.ECROutput().startsWith(QLatin1String("4C 47 01 02"))); // its answer
    QCOMPARE(d.OperatorNumber(), 30);
    // A method the register does not have yet: a code no page acts on, never 0.
    QCOMPARE(d.DBQueryDocumentsInSession(), int(RC::VirtualNotSupported));
    QCOMPARE(d.ResultCodeDescription(), QStringLiteral("Не поддерживается виртуальной ККТ"));
    // A raw command the register does not know.
    d.SetBinaryConversion(1);
    d.SetTransferBytes(QStringLiteral("FC"));
    QCOMPARE(d.ExchangeBytes(), int(RC::NotSupported));
    QCOMPARE(d.ResultCode(), 55);
}

void TestLedgra::passwords_data() {
    QTest::addColumn<int>("password");
    QTest::addColumn<int>("code");
    QTest::newRow("operator 1") << 1 << 0;
    QTest::newRow("administrator 30") << 30 << 0;
    QTest::newRow("zero") << 0 << int(RC::WrongPassword);
    QTest::newRow("31") << 31 << int(RC::WrongPassword);
    QTest::newRow("negative") << -5 << int(RC::WrongPassword);
}

void TestLedgra::passwords() {
    QFETCH(int, password);
    QFETCH(int, code);
    TestDataDir dir;
    TLedgra d = NewDriver();
    d.SetPassword(password);
    QCOMPARE(d.GetECRStatus(), code);
    QCOMPARE(d.ResultCodeDescription(), Ledgra::ResultText(code));
    if (code == 0)
        QCOMPARE(d.OperatorNumber(), password);
    else
        QCOMPARE(d.ECRModeDescription(), QString()); // a refused call gives no outputs
}

void TestLedgra::connectedPropertyConnects() {
    TestDataDir dir;
    TLedgra d = NewDriver();
    QVERIFY(!d.Connected());
    d.SetConnected(true);
    QVERIFY(d.Connected());
    QCOMPARE(d.ResultCode(), 0);
    d.SetConnected(false);
    QVERIFY(!d.Connected());
    d.SetConnectionType(3); // a type this component has no transport for
    d.SetConnected(true);
    QVERIFY(!d.Connected());
    QCOMPARE(d.ResultCode(), int(RC::ConnectionTypeNotSupported));
    QCOMPARE(d.GetECRStatus(), int(RC::ConnectionTypeNotSupported));
}

void TestLedgra::settingsOnlyChangeThroughDialogOrSaveParams() {
    TestDataDir dir;
    TLedgra a = NewDriver();
    a.SetComNumber(7); // a search probe's setting: not another program's
    QCOMPARE(NewDriver().ComNumber(), 1);

    bool ok = false;
    TLedgraComponent::SetPropertiesDialog([&ok](ILedgra& o) {
        o.Set(PropertyId::TCPPort, 4321);
        o.Set(PropertyId::IPAddress, QStringLiteral("10.0.0.5"));
        return ok;
    });
    QCOMPARE(a.ShowProperties(), 0); // cancelled: nothing saved
    QCOMPARE(NewDriver().TCPPort(), 7778);
    ok = true;
    QCOMPARE(a.ShowProperties(), 0);
    TLedgra b = NewDriver();
    QCOMPARE(b.TCPPort(), 4321);
    QCOMPARE(b.IPAddress(), QStringLiteral("10.0.0.5"));
    QCOMPARE(b.ComNumber(), 7); // OK saves what the object holds

    b.SetPassword(12);
    QCOMPARE(b.SaveParams(), 0);
    QCOMPARE(NewDriver().Password(), 12);

    // A damaged value in the file keeps its default.
    QFile f(LedgraSettings::File());
    QVERIFY(f.open(QIODevice::Append));
    f.write("\n[Connection]\nTimeout=abc\n");
    f.close();
    QCOMPARE(NewDriver().Timeout(), 1000);
}

void TestLedgra::showPropertiesWithoutGui() {
    TestDataDir dir;
    TLedgra d = NewDriver();
    QCOMPARE(d.ShowProperties(), int(RC::NoGui)); // no QApplication in this test
}

void TestLedgra::twoThreadsAndTwoObjectsShareOneRegister() {
    TestDataDir dir;
    auto shared = std::make_shared<TLedgraComponent>();
    std::atomic<int> failures{0};
    auto onShared = [&] {
        TLedgra d(shared);
        for (int i = 0; i < 200; ++i)
            failures += d.GetShortECRStatus() != 0;
    };
    auto ownObject = [&] {
        TLedgra d = NewDriver();
        for (int i = 0; i < 200; ++i)
            failures += d.GetECRStatus() != 0;
    };
    std::thread t1(onShared), t2(onShared), t3(ownObject);
    t1.join();
    t2.join();
    t3.join();
    QCOMPARE(failures.load(), 0);
}

void TestLedgra::serialNumberSurvivesAProcess() {
    TestDataDir dir;
    QProcess p;
    p.start(QStringLiteral(LEDGRA_CONSOLE),
            {QStringLiteral("SerialNumber=0012345678"), QStringLiteral("SetSerialNumber()")});
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitCode(), 0);
    p.start(QStringLiteral(LEDGRA_CONSOLE),
            {QStringLiteral("ReadSerialNumber()"), QStringLiteral("SerialNumber?")});
    QVERIFY(p.waitForFinished());
    QVERIFY(QString::fromUtf8(p.readAllStandardOutput())
                .contains(QLatin1String("SerialNumber = 0012345678")));
    // Written once: a second write is refused and changes nothing.
    TLedgra d = NewDriver();
    d.SetSerialNumber(QStringLiteral("99"));
    QCOMPARE(d.SetSerialNumber(), int(RC::NotInMode));
    d.ReadSerialNumber();
    QCOMPARE(d.SerialNumber(), QStringLiteral("0012345678"));
}

void TestLedgra::killedProcessKeepsAnsweredWrites() {
    TestDataDir dir;
    QFile script(dir.File(QStringLiteral("writes.txt")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    for (int i = 1; i <= 5000; ++i)
        script.write(QStringLiteral("Timeout=%1\nSetExchangeParam()\n").arg(i % 250 + 1).toUtf8());
    script.close();
    QProcess p;
    p.start(QStringLiteral(LEDGRA_CONSOLE), {QStringLiteral("--script"), script.fileName()});
    QVERIFY(p.waitForStarted());
    QByteArray out;
    while (out.count("SetExchangeParam: 0") < 300 && p.waitForReadyRead(10000))
        out += p.readAllStandardOutput();
    p.kill(); // SIGKILL in the middle of the writes
    p.waitForFinished();
    out += p.readAllStandardOutput();
    const int answered = int(out.count("SetExchangeParam: 0"));
    QVERIFY(answered >= 300);
    QVERIFY(answered < 5000);
    // The database opens and holds at least every write answered with 0.
    TLedgra d = NewDriver();
    d.SetPortNumber(0);
    QCOMPARE(d.GetExchangeParam(), 0);
    const int last = d.Timeout();
    QVERIFY2(last == answered % 250 + 1 || last == (answered + 1) % 250 + 1,
             qPrintable(QStringLiteral("answered %1, stored %2").arg(answered).arg(last)));
}

void TestLedgra::corruptDatabaseIsSetAside() {
    TestDataDir dir;
    const QString db = dir.File(QStringLiteral("vregister.db"));
    const QByteArray garbage(8192, 'x');
    QFile f(db);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(garbage);
    f.close();
    TLedgra d = NewDriver();
    QCOMPARE(d.GetECRStatus(), int(RC::StoreCorrupt));
    QVERIFY(d.ResultCodeDescription().contains(QLatin1String(".corrupt-")));
    const QStringList aside =
        QDir(dir.Path()).entryList({QStringLiteral("vregister.db.corrupt-*")});
    QCOMPARE(aside.size(), 1);
    QFile kept(dir.File(aside.first()));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), garbage); // set aside, never replaced in place
    QCOMPARE(d.GetECRStatus(), 0);     // the next call reaches a new register
}

void TestLedgra::newerDatabaseIsRefusedUntouched() {
    TestDataDir dir;
    const QString db = dir.File(QStringLiteral("vregister.db"));
    sqlite3* h = nullptr;
    QCOMPARE(sqlite3_open(db.toUtf8().constData(), &h), SQLITE_OK);
    QCOMPARE(sqlite3_exec(h, "CREATE TABLE future(x); PRAGMA user_version=99;", nullptr, nullptr,
                          nullptr),
             SQLITE_OK);
    sqlite3_close(h);
    TLedgra d = NewDriver();
    QCOMPARE(d.GetECRStatus(), int(RC::StoreError));
    QVERIFY(QDir(dir.Path()).entryList({QStringLiteral("*.corrupt-*")}).isEmpty());

    // An older database is migrated forward and keeps its state.
    const QString old = dir.File(QStringLiteral("old.db"));
    QCOMPARE(sqlite3_open(old.toUtf8().constData(), &h), SQLITE_OK);
    QCOMPARE(sqlite3_exec(h, "CREATE TABLE keep(x); INSERT INTO keep VALUES (7);", nullptr, nullptr,
                          nullptr),
             SQLITE_OK);
    sqlite3_close(h);
    VRStore s(old);
    QCOMPARE(s.Scalar("PRAGMA user_version")->toInt(), VRStore::kSchemaVersion);
    QCOMPARE(s.Scalar("SELECT x FROM keep")->toInt(), 7);
}

void TestLedgra::faultInjection() {
    TestDataDir dir;
    auto c = std::make_shared<TLedgraComponent>();
    TLedgra d(c);
    QString text;
    QCOMPARE(c->ServiceCommand(QStringLiteral("fault GetECRStatus 80 3"), &text), 0);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(d.GetECRStatus(), 80);
    QCOMPARE(d.GetECRStatus(), 0);

    QCOMPARE(c->ServiceCommand(QStringLiteral("drop 1"), &text), 0);
    QCOMPARE(d.GetShortECRStatus(), int(RC::NoLink));
    QVERIFY(!d.Connected());
    QCOMPARE(d.GetShortECRStatus(), 0);

    // An answer later than the timeout is lost, like on a wire.
    QCOMPARE(c->ServiceCommand(QStringLiteral("delay GetShortECRStatus 1200"), &text), 0);
    d.SetTimeout(1000);
    QCOMPARE(d.GetShortECRStatus(), int(RC::NoLink));
    QCOMPARE(c->ServiceCommand(QStringLiteral("clear-faults"), &text), 0);
    QCOMPARE(d.GetShortECRStatus(), 0);

    QCOMPARE(c->ServiceCommand(QStringLiteral("clock-offset 86400"), &text), 0);
    d.GetECRStatus();
    QCOMPARE(d.Date().date(), QDate::currentDate().addDays(1));

    QCOMPARE(c->ServiceCommand(QStringLiteral("fault NoSuchMethod 1"), &text),
             int(RC::BadPropertyValue));
    QCOMPARE(c->ServiceCommand(QStringLiteral("profile nonsense"), &text),
             int(RC::BadPropertyValue));
}

void TestLedgra::exchangeParamsPerInterface_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("code");
    QTest::newRow("RS-232") << 0 << 0;
    QTest::newRow("WiFi") << 3 << 0;
    QTest::newRow("TCP socket") << 128 << 0;
    QTest::newRow("no such interface") << 4 << int(RC::BadParameters);
    QTest::newRow("negative") << -1 << int(RC::BadParameters);
}

void TestLedgra::exchangeParamsPerInterface() {
    QFETCH(int, port);
    QFETCH(int, code);
    TestDataDir dir;
    TLedgra d = NewDriver();
    d.SetPortNumber(port);
    d.SetBaudRate(4);
    d.SetTimeout(150);
    d.SetTCPPort(4145);
    QCOMPARE(d.SetExchangeParam(), code);
    d.SetBaudRate(0);
    d.SetTimeout(0);
    d.SetTCPPort(0);
    QCOMPARE(d.GetExchangeParam(), code);
    if (code == 0) {
        QCOMPARE(d.BaudRate(), 4);
        QCOMPARE(d.Timeout(), 150);
        QCOMPARE(d.TCPPort(), 4145);
    }
}

void TestLedgra::console_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::newRow("status report")
        << QStringList{"Password=30", "GetECRStatus()", "ECRMode?", "ECRModeDescription?"} << 0
        << "GetECRStatus: 0 Ошибок нет\nECRMode = 4\nECRModeDescription = Закрытая смена\n";
    QTest::newRow("failed call, later items still run")
        << QStringList{"Password=99", "GetECRStatus()", "Password=30", "GetShortECRStatus()"} << 1
        << "GetECRStatus: 79 Неверный пароль\nGetShortECRStatus: 0 Ошибок нет\n";
    QTest::newRow("unknown member runs nothing")
        << QStringList{"GetECRStatus()", "Bogus?"} << 2 << "";
    QTest::newRow("value of the wrong type") << QStringList{"Password=abc"} << 2 << "";
    QTest::newRow("not an item") << QStringList{"GetECRStatus"} << 2 << "";
    QTest::newRow("value formats")
        << QStringList{"Summ1=12.5",  "Summ1?",       "Connected?", "FiscalSign=4294967295",
                       "FiscalSign?", "TLVData=0aff", "TLVData?"}
        << 0 << "Summ1 = 12.5000\nConnected = 0\nFiscalSign = 4294967295\nTLVData = 0A FF\n";
    QTest::newRow("fault injection") << QStringList{"--fault", "GetShortECRStatus=75x1",
                                                    "GetShortECRStatus()", "GetShortECRStatus()"}
                                     << 1
                                     << "GetShortECRStatus: код 75, 1 раз\nGetShortECRStatus: 75 "
                                        "Буфер чека переполнен\nGetShortECRStatus: 0 Ошибок нет\n";
    QTest::newRow("profile") << QStringList{"--profile", "model254", "GetDeviceMetrics()",
                                            "UModel?"}
                             << 0 << "model254\nGetDeviceMetrics: 0 Ошибок нет\nUModel = 254\n";
    QTest::newRow("service command, then the items")
        << QStringList{"--vr",
                       "offline",
                       "--vr",
                       "online 7",
                       "FNGetInfoExchangeStatus()",
                       "InfoExchangeStatus?"}
        << 0
        << "нет связи с ОФД\nОФД на связи\nFNGetInfoExchangeStatus: 0 Ошибок нет\n"
           "InfoExchangeStatus = 1\n";
    QTest::newRow("service command missing") << QStringList{"--vr"} << 2 << "";
    QTest::newRow("unknown service command runs nothing")
        << QStringList{"--vr", "bogus", "GetECRStatus()"} << 2 << "";
    QTest::newRow("unreachable tcp")
        << QStringList{"--connection", "tcp://127.0.0.1:1", "GetECRStatus()"} << 1 << "";
    QTest::newRow("bad connection")
        << QStringList{"--connection", "serial", "GetECRStatus()"} << 2 << "";
    // The embedded register's serial port answers at its own rate only.
    QTest::newRow("serial port") << QStringList{"--connection", "COM200", "GetShortECRStatus()"}
                                 << 0 << "GetShortECRStatus: 0 Ошибок нет\n";
    QTest::newRow("serial port at another rate")
        << QStringList{"--connection", "com200:4800", "GetShortECRStatus()"} << 1
        << "GetShortECRStatus: -1 Нет связи\n";
    QTest::newRow("serial rate unknown")
        << QStringList{"--connection", "com200:1234", "GetShortECRStatus()"} << 2 << "";
}

void TestLedgra::console() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    TestDataDir dir;
    const ConsoleRun r = Console(args);
    QCOMPARE(r.status, status);
    if (!out.isEmpty() || status == 2)
        QCOMPARE(r.out, out);
    if (status == 2)
        QVERIFY(!r.err.isEmpty());
}

void TestLedgra::consoleScript() {
    TestDataDir dir;
    QFile f(dir.File(QStringLiteral("s.txt")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("# a comment\n\nPassword=30\n  ReadSerialNumber()  \nSerialNumber?\n");
    f.close();
    const ConsoleRun r = Console({QStringLiteral("--script"), f.fileName()});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out,
             QStringLiteral("ReadSerialNumber: 0 Ошибок нет\nSerialNumber = 0000000000000000\n"));
}

QTEST_GUILESS_MAIN(TestLedgra)
#include "tst_ledgra.moc"
