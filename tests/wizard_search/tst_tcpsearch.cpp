// The network search: the announcement parser on the daemon's datagram and
// on malformed ones, and the listener fed by a running vregisterd.

#include "tests/support/DaemonProcess.h"
#include "tests/support/TestDataDir.h"
#include "vregister/VRServer.h"
#include "wizard/search/untTCPDeviceSearch.h"

#include <QUdpSocket>
#include <QtTest>

namespace {

// A UDP port free at the moment: bound once, then released.
quint16 FreeUdpPort() {
    QUdpSocket s;
    s.bind(QHostAddress::LocalHost, 0);
    return s.localPort();
}

} // namespace

class TestTCPSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void listenerKeepsOneItemPerSerial();
    void announcementOfTheDaemon();
};

void TestTCPSearch::parse_data() {
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<int>("port");

    // The very text vregisterd sends.
    const QByteArray daemon =
        VRAnnouncer::Datagram(QStringLiteral("0012345678"), QStringLiteral("192.168.1.10"), 7778);
    QCOMPARE(daemon, QByteArray("SN=0012345678;IP=192.168.1.10; port=7778"));
    QTest::newRow("the daemon's datagram") << daemon << true << "0012345678"
                                           << "192.168.1.10" << 7778;
    QTest::newRow("port with blanks and line end")
        << QByteArray("SN=1;IP=10.0.0.1; port= 65535 \r\n") << true << "1"
        << "10.0.0.1" << 65535;
    QTest::newRow("port 0") << QByteArray("SN=7;IP=10.0.0.1; port=0") << true << "7"
                            << "10.0.0.1" << 0;

    auto bad = [](const char* name, const QByteArray& d) {
        QTest::newRow(name) << d << false << QString() << QString() << 0;
    };
    bad("empty", QByteArray());
    bad("no SN", "IP=10.0.0.1; port=7778");
    bad("no IP", "SN=1;port=7778;");
    bad("no port", "SN=1;IP=10.0.0.1;");
    bad("serial not ended", "SN=1 IP=10.0.0.1 port=7778");
    bad("address not ended", "SN=1;IP=10.0.0.1 port=7778");
    bad("cut right after SN", "IP;port;SN");
    bad("cut past the end after the address", "SN=1;port IP=2;");
    bad("port key at the very end", "SN=1;IP=2; port");
    bad("port not a number", "SN=1;IP=10.0.0.1; port=77x8");
    bad("port in hex", "SN=1;IP=10.0.0.1; port=0x1E62");
    bad("port too large", "SN=1;IP=10.0.0.1; port=65536");
    bad("port negative", "SN=1;IP=10.0.0.1; port=-1");
    bad("port empty", "SN=1;IP=10.0.0.1; port=");
    bad("empty serial", "SN=;IP=10.0.0.1; port=7778");
    // No blank after the address's ";": the cut one character on eats the
    // "p" of the key, so the port cannot be found.
    bad("no blank before port", "SN=1;IP=10.0.0.1;port=7778");
}

void TestTCPSearch::parse() {
    QFETCH(QByteArray, datagram);
    QFETCH(bool, ok);
    QFETCH(QString, serial);
    QFETCH(QString, ip);
    QFETCH(int, port);

    QString gotSerial = QStringLiteral("unset"), gotIp = QStringLiteral("unset");
    int gotPort = -2;
    QCOMPARE(ParseAnnouncement(datagram, &gotSerial, &gotIp, &gotPort), ok);
    if (!ok) {
        // A dropped datagram leaves the outputs alone.
        QCOMPARE(gotSerial, QStringLiteral("unset"));
        QCOMPARE(gotPort, -2);
        return;
    }
    QCOMPARE(gotSerial, serial);
    QCOMPARE(gotIp, ip);
    QCOMPARE(gotPort, port);
}

void TestTCPSearch::listenerKeepsOneItemPerSerial() {
    TTCPDeviceSearch search(nullptr, FreeUdpPort());
    QList<QString> found;
    search.SetOnFound([&](TTCPSearchItem* item) {
        QCOMPARE(item->Owner(), &search.Items());
        found << item->Serial();
    });
    QVERIFY(search.Start());
    QVERIFY(search.Active());
    search.HandleDatagram("SN=1;IP=10.0.0.1; port=7778");
    search.HandleDatagram("SN=1;IP=10.0.0.2; port=7779"); // the same register again
    search.HandleDatagram("SN=2;IP=10.0.0.3; port=x");    // dropped
    search.HandleDatagram("SN=2;IP=10.0.0.3; port=7780");
    QCOMPARE(found, (QList<QString>{"1", "2"}));
    QCOMPARE(search.Items().Count(), 2);
    QCOMPARE(search.Items().FindBySerial(QStringLiteral("1"))->IP(), QStringLiteral("10.0.0.1"));
    QCOMPARE(search.Items().Items(1)->Port(), 7780);
    QVERIFY(!search.Items().FindBySerial(QStringLiteral("3")));

    search.Stop();
    QVERIFY(!search.Active());
    QCOMPARE(search.Items().Count(), 0);
    // After a new start the same register is new again.
    QVERIFY(search.Start());
    search.HandleDatagram("SN=1;IP=10.0.0.1; port=7778");
    QCOMPARE(found.size(), 3);
}

void TestTCPSearch::announcementOfTheDaemon() {
    TestDataDir dir;
    const quint16 udp = FreeUdpPort();
    TTCPDeviceSearch search(nullptr, udp);
    QList<TTCPSearchItem*> found;
    search.SetOnFound([&](TTCPSearchItem* item) { found << item; });
    QVERIFY(search.Start());

    DaemonProcess daemon;
    QVERIFY2(daemon.Start(QStringLiteral(VREGISTERD_PATH), dir.Path(),
                          {QStringLiteral("--port"), QStringLiteral("0"),
                           QStringLiteral("--announce"), QStringLiteral("127.0.0.1:%1").arg(udp)}),
             qPrintable(daemon.Output()));
    QVERIFY(daemon.TcpPort() > 0);
    // The first datagram goes out at once, the next ones every 2 s.
    QTRY_COMPARE_WITH_TIMEOUT(found.size(), 1, 5000);
    QCOMPARE(found[0]->Serial(), QStringLiteral("0000000000000000"));
    QCOMPARE(found[0]->IP(), QStringLiteral("127.0.0.1"));
    QCOMPARE(found[0]->Port(), daemon.TcpPort());
    QTest::qWait(2500); // repeated announcements add nothing
    QCOMPARE(found.size(), 1);
    QVERIFY(daemon.Stop());
}

QTEST_GUILESS_MAIN(TestTCPSearch)
#include "tst_tcpsearch.moc"
