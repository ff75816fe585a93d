// The registration number: its computation with both treatments of long
// values, the CRC it rests on, and the page "РНМ" against a scripted driver
// and the embedded virtual register.

#include "common/untRNM.h"
#include "ledgra/LedgraComponent.h"
#include "pages/fn/fmuRNM.h"
#include "platform/Crc.h"
#include "tests/support/PageTestSupport.h"

#include <QLineEdit>

class TestRNM : public QObject {
    Q_OBJECT
    TFakeDriver<> FDriver{"{TEST-FAKE-RNM}"};

private slots:
    void initTestCase() { FDriver.RegisterWithVirtualRegister(); }
    void init() { FDriver.Init(); }
    void cleanup() { FDriver.Cleanup(); }

    void crc_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("crc");
        QTest::newRow("check string") << QByteArray("123456789") << 0x29B1;
        QTest::newRow("one byte") << QByteArray("A") << 0xB915;
        QTest::newRow("nothing keeps the initial value") << QByteArray() << 0xFFFF;
    }
    void crc() {
        QFETCH(QByteArray, data);
        QFETCH(int, crc);
        QCOMPARE(int(CRCCITT16(data, 0xFFFF)), crc);
    }

    void generate_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("inn");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<QString>("rnm");
        for (bool cut : {true, false}) {
            const char* mode = cut ? "cut" : "keep";
            QTest::addRow("register 1, %s", mode) << "1"
                                                  << "1234567894"
                                                  << "12345" << cut << "0000000001056534";
            QTest::addRow("empty number, %s", mode) << ""
                                                    << "1234567894"
                                                    << "12345" << cut << "0000000000020746";
            QTest::addRow("empty ИНН and serial, %s", mode) << "7"
                                                            << ""
                                                            << "" << cut << "0000000007064367";
        }
        // Values longer than their widths: the page cuts them, the wizard
        // keeps them whole.
        QTest::newRow("long values cut") << "12345678901"
                                         << "1234567894012"
                                         << "123456789012345678901" << true << "1234567890010485";
        QTest::newRow("long values kept")
            << "12345678901"
            << "1234567894012"
            << "123456789012345678901" << false << "12345678901049630";
    }
    void generate() {
        QFETCH(QString, number);
        QFETCH(QString, inn);
        QFETCH(QString, serial);
        QFETCH(bool, cut);
        QFETCH(QString, rnm);
        QCOMPARE(GenerateRNM(number, inn, serial, cut ? TRNMLongValues::Cut : TRNMLongValues::Keep),
                 rnm);
    }

    void pageFields() {
        TfmRNM page;
        QCOMPARE(page.windowTitle(), QStringLiteral("РНМ"));
        auto* number = Find<QLineEdit>(page, "edtKKTNumber");
        QCOMPARE(number->maxLength(), 10);
        QCOMPARE(Find<QLineEdit>(page, "edtINN")->maxLength(), 12);
        QCOMPARE(Find<QLineEdit>(page, "edtSerialNumber")->maxLength(), 20);
        QVERIFY(Find<QLineEdit>(page, "edtRNM")->isReadOnly());
        // Only digits and "." get through the keys.
        QTest::keyClicks(number, "1a2 3.-4");
        QCOMPARE(number->text(), QStringLiteral("123.4"));
    }

    void generateOnPage() {
        TfmRNM page;
        Find<QLineEdit>(page, "edtKKTNumber")->setText("1");
        Find<QLineEdit>(page, "edtINN")->setText("1234567894");
        Find<QLineEdit>(page, "edtSerialNumber")->setText("12345");
        TNotifierLog notifier;
        Click(page, "btnGenerateRNM");
        QCOMPARE(Find<QLineEdit>(page, "edtRNM")->text(), QStringLiteral("0000000001056534"));
        QVERIFY(FDriver.Fake->Calls().isEmpty());
        QCOMPARE(notifier.Changes, (QList<bool>{false, true}));
        QVERIFY(Find<QPushButton>(page, "btnGenerateRNM")->isEnabled());
    }

    void readSerialNumber_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("serial");
        QTest::newRow("answered") << 0 << "0012345678";
        QTest::newRow("failed leaves the field") << 1 << "old";
    }
    void readSerialNumber() {
        QFETCH(int, code);
        QFETCH(QString, serial);
        TfmRNM page;
        Find<QLineEdit>(page, "edtSerialNumber")->setText("old");
        FDriver.Fake->Answer(MethodId::ReadSerialNumber, code,
                             {{PropertyId::SerialNumber, QStringLiteral("0012345678")}});
        Click(page, "btnReadSerialNumber");
        QCOMPARE(FDriver.Fake->Calls(), QStringList{"ReadSerialNumber"});
        QCOMPARE(Find<QLineEdit>(page, "edtSerialNumber")->text(), serial);
        QVERIFY(FDriver.Shown.isEmpty()); // a failed call ends silently
        QVERIFY(Find<QPushButton>(page, "btnReadSerialNumber")->isEnabled());
    }

    void virtualRegister() {
        FDriver.UseVirtualRegister();
        TfmRNM page;
        Find<QLineEdit>(page, "edtKKTNumber")->setText("42");
        Find<QLineEdit>(page, "edtINN")->setText("1234567894");
        Find<QLineEdit>(page, "edtSerialNumber")->setText("old");
        Click(page, "btnReadSerialNumber");
        Click(page, "btnGenerateRNM");
        QCOMPARE(FDriver.Shown, QStringList());
        QCOMPARE(Driver().ResultCode(), 0);
        const QString serial = Find<QLineEdit>(page, "edtSerialNumber")->text();
        QVERIFY(serial != QStringLiteral("old"));
        QCOMPARE(serial, Driver().SerialNumber().left(20));
        QCOMPARE(Find<QLineEdit>(page, "edtRNM")->text(),
                 GenerateRNM("42", "1234567894", serial, TRNMLongValues::Cut));
    }
};

QTEST_MAIN(TestRNM)
#include "tst_rnm.moc"
