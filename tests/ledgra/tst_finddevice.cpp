// The component's device search: the order in which ports and rates are
// tried, and FindDevice through the component on the embedded register's
// serial port.

#include "driver/ResultCodes.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "ledgra/LedgraFindDevice.h"
#include "ledgra/LedgraSettings.h"
#include "platform/PortMap.h"
#include "tests/support/TestDataDir.h"

#include <QtTest>

namespace {

// A port that opens at every rate unless `opens` is false, and answers only
// at rate `answersAt` (-1: never).
struct PortCase {
    int com;
    bool opens;
    int answersAt;
};

} // namespace

Q_DECLARE_METATYPE(PortCase)

namespace {

class ScriptedLink final : public ITransport {
public:
    ScriptedLink(bool answers, int* openLinks) : FAnswers(answers), FOpenLinks(openLinks) {
        ++*FOpenLinks;
    }
    ~ScriptedLink() override { Close(); }
    int Open() override { return 0; }
    void Close() override {
        if (FOpen)
            --*FOpenLinks;
        FOpen = false;
    }
    bool IsOpen() const override { return FOpen; }
    int Exchange(const QByteArray&, int, QByteArray&) override { return 0; }
    bool FAnswers;

private:
    int* FOpenLinks;
    bool FOpen = true;
};

} // namespace

class TestFindDevice : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ratesInOrder_data();
    void ratesInOrder();
    void searchOrder_data();
    void searchOrder();
    void findDeviceOnEmbeddedRegister_data();
    void findDeviceOnEmbeddedRegister();
};

void TestFindDevice::ratesInOrder_data() {
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("rates");
    QTest::newRow("usual rate") << 6 << QList<int>{6, 0, 1, 2, 3, 4, 5, 7, 8, 9};
    QTest::newRow("other rate") << 3 << QList<int>{3, 6, 0, 1, 2, 4, 5, 7, 8, 9};
    QTest::newRow("lowest rate") << 0 << QList<int>{0, 6, 1, 2, 3, 4, 5, 7, 8, 9};
    QTest::newRow("negative") << -1 << QList<int>{6, 0, 1, 2, 3, 4, 5, 7, 8, 9};
    QTest::newRow("beyond the list") << 10 << QList<int>{6, 0, 1, 2, 3, 4, 5, 7, 8, 9};
}

void TestFindDevice::ratesInOrder() {
    QFETCH(int, current);
    QFETCH(QList<int>, rates);
    const auto got = LedgraFindDevice::RatesInOrder(current);
    QCOMPARE(QList<int>(got.begin(), got.end()), rates);
}

void TestFindDevice::searchOrder_data() {
    QTest::addColumn<QList<PortCase>>("ports");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("tries");
    QTest::addColumn<int>("foundCom");
    QTest::addColumn<int>("foundRate");

    QTest::newRow("first port at the current rate")
        << QList<PortCase>{{200, true, 6}} << 6 << "200:6" << 200 << 6;
    QTest::newRow("unopenable ports are left after one try")
        << QList<PortCase>{{1, false, -1}, {2, false, -1}, {200, true, 6}} << 6 << "1:6 2:6 200:6"
        << 200 << 6;
    QTest::newRow("every rate of a silent port, then the next port")
        << QList<PortCase>{{3, true, -1}, {5, true, 2}} << 4
        << "3:4 3:6 3:0 3:1 3:2 3:3 3:5 3:7 3:8 3:9 5:4 5:6 5:0 5:1 5:2" << 5 << 2;
    QTest::newRow("the first port that answers wins")
        << QList<PortCase>{{4, true, 6}, {200, true, 6}} << 6 << "4:6" << 4 << 6;
    QTest::newRow("nothing answers") << QList<PortCase>{{1, false, -1}, {2, true, -1}} << 9
                                     << "1:9 2:9 2:6 2:0 2:1 2:2 2:3 2:4 2:5 2:7 2:8" << 0 << 0;
    QTest::newRow("no ports") << QList<PortCase>{} << 6 << "" << 0 << 0;
}

void TestFindDevice::searchOrder() {
    QFETCH(QList<PortCase>, ports);
    QFETCH(int, current);
    QFETCH(QString, tries);
    QFETCH(int, foundCom);
    QFETCH(int, foundRate);

    QStringList log;
    int openLinks = 0;
    std::vector<int> numbers;
    for (const PortCase& p : ports)
        numbers.push_back(p.com);
    const LedgraFindDevice::Link link{
        [&](int com, int rate, int* code) -> std::unique_ptr<ITransport> {
            log << QStringLiteral("%1:%2").arg(com).arg(rate);
            for (const PortCase& p : ports)
                if (p.com == com && p.opens)
                    return std::make_unique<ScriptedLink>(p.answersAt == rate, &openLinks);
            *code = int(RC::ConnectionTypeNotSupported);
            return nullptr;
        },
        [](ITransport& t) { return static_cast<ScriptedLink&>(t).FAnswers; }};

    auto found = LedgraFindDevice::Search(numbers, current, link);
    QCOMPARE(log.join(QLatin1Char(' ')), tries);
    if (foundCom == 0) {
        QVERIFY(!found);
        QCOMPARE(openLinks, 0);
        return;
    }
    QVERIFY(found);
    QCOMPARE(found->comNumber, foundCom);
    QCOMPARE(found->baudRate, foundRate);
    // Only the link of the device found stays open.
    QVERIFY(found->link && found->link->IsOpen());
    QCOMPARE(openLinks, 1);
}

void TestFindDevice::findDeviceOnEmbeddedRegister_data() {
    QTest::addColumn<QString>("portEntry"); // "COMn=device" written to ports.ini first
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("com");
    QTest::addColumn<int>("foundRate");

    QTest::newRow("embedded register at COM200") << QString() << 6 << 0 << 200 << 6;
    // The register answers at its own rate only: the rate set is tried first, in vain.
    QTest::newRow("found at the register's rate") << QString() << 2 << 0 << 200 << 6;
    QTest::newRow("a lower mapped number first") << "COM7=embedded" << 6 << 0 << 7 << 6;
    QTest::newRow("register unmapped") << "COM200=" << 6 << int(RC::DeviceNotFound) << 0 << 0;
}

void TestFindDevice::findDeviceOnEmbeddedRegister() {
    QFETCH(QString, portEntry);
    QFETCH(int, baudRate);
    QFETCH(int, code);
    QFETCH(int, com);
    QFETCH(int, foundRate);

    TestDataDir dir;
    // The host's own serial ports are no part of the case.
    for (int n = 1; n <= 4; ++n)
        QVERIFY(Platform::SetPortEntry(n, QString()));
    if (!portEntry.isEmpty()) {
        const QStringList kv = portEntry.split(QLatin1Char('='));
        QVERIFY(Platform::SetPortEntry(kv[0].mid(3).toInt(), kv[1]));
    }
    TLedgra d(std::make_shared<TLedgraComponent>());
    d.SetComNumber(1);
    d.SetBaudRate(baudRate);
    QCOMPARE(d.GetShortECRStatus(), 0); // connected on the embedded register before

    QCOMPARE(d.FindDevice(), code);
    QCOMPARE(d.ResultCode(), code);
    if (code != 0) {
        QCOMPARE(d.ResultCodeDescription(), QStringLiteral("Устройство не найдено"));
        // A failed search keeps the connection settings and leaves no link.
        QCOMPARE(d.ConnectionType(), LedgraSettings::kEmbedded);
        QCOMPARE(d.ComNumber(), 1);
        QCOMPARE(d.BaudRate(), baudRate);
        QVERIFY(!d.Connected());
        return;
    }
    QCOMPARE(d.ResultCodeDescription(), QStringLiteral("Ошибок нет"));
    QCOMPARE(d.ConnectionType(), LedgraSettings::kSerial);
    QCOMPARE(d.ComNumber(), com);
    QCOMPARE(d.BaudRate(), foundRate);
    QVERIFY(d.Connected());
    // The link found carries the next call; a new object keeps its settings.
    QCOMPARE(d.GetShortECRStatus(), 0);
    QCOMPARE(d.ECRMode(), 4);
    QCOMPARE(TLedgra(std::make_shared<TLedgraComponent>()).ConnectionType(),
             LedgraSettings::kEmbedded);
}

QTEST_GUILESS_MAIN(TestFindDevice)
#include "tst_finddevice.moc"
