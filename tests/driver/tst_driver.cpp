// The member table, the typed facade, value conversions and the frame codec.

#include "driver/LedgraProtocol.h"
#include "driver/ResultCodes.h"
#include "driver/TLedgra.h"
#include "platform/Crc.h"
#include "tests/support/FakeLedgra.h"

#include <QSet>
#include <QtTest>

using namespace LedgraProtocol;

class TestDriver : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tableIsConsistent();
    void easyToMissRows();
    void facadeCarriesEveryType_data();
    void facadeCarriesEveryType();
    void parseValue_data();
    void parseValue();
    void crcVector();
    void roundTrip();
    void corruptFrames_data();
    void corruptFrames();
    void scanFrameIncremental();
};

void TestDriver::tableIsConsistent() {
    QSet<QString> names;
    QSet<int> ids;
    for (const auto& p : Ledgra::Properties()) {
        QVERIFY2(!names.contains(p.name), p.name);
        QVERIFY(!ids.contains(int(p.id)));
        names.insert(p.name);
        ids.insert(int(p.id));
        QCOMPARE(Ledgra::PropertyByName(p.name), &p);
        QVERIFY(!p.bytes || p.type == ValueType::Str);
    }
    names.clear();
    ids.clear();
    for (const auto& m : Ledgra::Methods()) {
        QVERIFY2(!names.contains(m.name), m.name);
        QVERIFY(!ids.contains(int(m.id)));
        names.insert(m.name);
        ids.insert(int(m.id));
        QCOMPARE(Ledgra::MethodByName(m.name), &m);
    }
    QVERIFY(Ledgra::PropertyByName("password") == nullptr); // names are exact
}

void TestDriver::easyToMissRows() {
    const auto has = [](const std::vector<PropertyId>& v, PropertyId id) {
        return std::find(v.begin(), v.end(), id) != v.end();
    };
    QVERIFY(has(Ledgra::Info(MethodId::GetDeviceMetrics).out, PropertyId::ModelParamCount));
    for (const auto& m : Ledgra::Methods())
        QVERIFY2(!has(m.out, PropertyId::PortNumber), m.name);
    QCOMPARE(Ledgra::Info(PropertyId::FiscalSign).type, ValueType::UInt);
    for (const char* name : {"FNAcceptMakringCode", "DampRequest"})
        QVERIFY(Ledgra::MethodByName(name));
}

void TestDriver::facadeCarriesEveryType_data() {
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("text");
    QTest::newRow("Integer") << "Password"
                             << "-17";
    QTest::newRow("Cardinal above 2^31") << "FiscalSign"
                                         << "4294967295";
    QTest::newRow("WideString") << "StringForPrinting"
                                << "Чек №1";
    QTest::newRow("WordBool") << "UseReceiptRibbon"
                              << "1";
    QTest::newRow("Currency") << "Summ1"
                              << "-12.3456";
    QTest::newRow("TDateTime") << "Date2"
                               << "2024-02-29T23:59:58";
    QTest::newRow("time only") << "Time"
                               << "12:11:53";
    QTest::newRow("Double") << "Quantity"
                            << "1.5";
    QTest::newRow("OleVariant") << "ModelParamValue"
                                << "576";
    QTest::newRow("bytes") << "TLVData"
                           << "00 01 7F 80 FF";
}

void TestDriver::facadeCarriesEveryType() {
    QFETCH(QString, property);
    QFETCH(QString, text);
    auto fake = std::make_shared<FakeLedgra>();
    const PropertyInfo* p = Ledgra::PropertyByName(property);
    QVERIFY(p);
    const auto v = Ledgra::ParseValue(*p, text);
    QVERIFY(v);
    fake->SetByName(property, *v);
    QCOMPARE(Ledgra::FormatValue(*p, fake->GetByName(property)), text);
    // The same value through a frame: what the device would receive.
    Request r;
    r.method = MethodId::WriteTable;
    r.inputs = {{p->id, fake->Get(p->id)}};
    const auto back = DecodeRequest(Encode(r));
    QVERIFY(back);
    QCOMPARE(Ledgra::FormatValue(*p, back->inputs.at(0).second), text);
}

void TestDriver::parseValue_data() {
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits");
    QTest::newRow("int letters") << "Password"
                                 << "3a" << false;
    QTest::newRow("int too big") << "Password"
                                 << "2147483648" << false;
    QTest::newRow("uint negative") << "FiscalSign"
                                   << "-1" << false;
    QTest::newRow("bool word") << "Connected"
                               << "true" << true;
    QTest::newRow("bool other") << "Connected"
                                << "yes" << false;
    QTest::newRow("currency comma") << "Summ1"
                                    << "1,5" << false;
    QTest::newRow("currency 5 decimals") << "Summ1"
                                         << "1.00001" << false;
    QTest::newRow("date garbage") << "Date"
                                  << "31.12.2024" << false;
    QTest::newRow("bytes odd") << "TLVData"
                               << "ABC" << false;
    QTest::newRow("bytes non-hex") << "TLVData"
                                   << "GG" << false;
}

void TestDriver::parseValue() {
    QFETCH(QString, property);
    QFETCH(QString, text);
    QFETCH(bool, fits);
    QCOMPARE(Ledgra::ParseValue(*Ledgra::PropertyByName(property), text).has_value(), fits);
}

void TestDriver::crcVector() {
    QCOMPARE(CRCCITT16("123456789"), quint16(0x29B1)); // CRC-16/CCITT-FALSE check value
}

void TestDriver::roundTrip() {
    Answer a;
    a.code = 0;
    a.operatorNumber = 30;
    a.outputs = {{PropertyId::ECRMode, 4},
                 {PropertyId::ECRModeDescription, QStringLiteral("Закрытая смена")},
                 {PropertyId::ModelParamValue, true}};
    const auto back = DecodeAnswer(Encode(a));
    QVERIFY(back);
    QCOMPARE(back->operatorNumber, quint8(30));
    QCOMPARE(back->outputs.size(), size_t(3));
    QCOMPARE(back->outputs[1].second.toString(), QStringLiteral("Закрытая смена"));
    QCOMPARE(back->outputs[2].second.typeId(), int(QMetaType::Bool));

    Request raw;
    raw.kind = FrameKind::RawRequest;
    raw.password = 30;
    raw.raw = QByteArray::fromHex("FEE15A3C960F");
    const auto r = DecodeRequest(Encode(raw));
    QVERIFY(r);
    QCOMPARE(r->raw, raw.raw);
}

void TestDriver::corruptFrames_data() {
    Request r;
    r.method = MethodId::ReadTable;
    r.password = 30;
    r.inputs = {{PropertyId::TableNumber, 1}, {PropertyId::RowNumber, 1}};
    const QByteArray good = Encode(r);
    QTest::addColumn<QByteArray>("frame");
    auto flip = [&](int at) {
        QByteArray b = good;
        b[at] = char(b[at] ^ 0x40);
        return b;
    };
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated") << good.left(good.size() - 1);
    QTest::newRow("extra byte") << good + 'x';
    QTest::newRow("bad magic") << flip(0);
    QTest::newRow("bad version") << flip(2);
    QTest::newRow("payload bit") << flip(12);
    QTest::newRow("crc bit") << flip(int(good.size()) - 1);
    QByteArray huge = good;
    huge[7] = char(0x7F); // a length far past the limit
    QTest::newRow("oversized length") << huge;
    // A valid CRC over a payload whose item claims more bytes than follow.
    QByteArray liar = good.left(good.size() - 2);
    liar[liar.size() - 5] = char(0x10);
    const quint16 crc = CRCCITT16(liar);
    liar.append(char(crc & 0xFF)).append(char(crc >> 8));
    QTest::newRow("item length lies") << liar;
    // A valid frame whose item has the wrong type for its property.
    QByteArray wrongType = good.left(good.size() - 2);
    wrongType[8 + 2 + 4 + 2 + 2] = char(quint8(ValueType::Str));
    const quint16 crc2 = CRCCITT16(wrongType);
    wrongType.append(char(crc2 & 0xFF)).append(char(crc2 >> 8));
    QTest::newRow("item type disagrees") << wrongType;
}

void TestDriver::corruptFrames() {
    QFETCH(QByteArray, frame);
    QString error;
    QVERIFY(!DecodeRequest(frame, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!DecodeAnswer(frame));
}

void TestDriver::scanFrameIncremental() {
    Answer a;
    a.outputs = {{PropertyId::SerialNumber, QStringLiteral("0000000000000000")}};
    const QByteArray f = Encode(a);
    qsizetype size = 0;
    for (qsizetype n = 0; n < f.size(); ++n)
        QCOMPARE(ScanFrame(QByteArrayView(f).first(n), &size), Scan::NeedMore);
    QCOMPARE(ScanFrame(f + f, &size), Scan::Complete);
    QCOMPARE(size, f.size());
    QCOMPARE(ScanFrame("GET / HTTP/1.1", &size), Scan::Bad);
}

QTEST_GUILESS_MAIN(TestDriver)
#include "tst_driver.moc"
