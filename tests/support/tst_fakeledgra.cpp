#include "driver/TLedgra.h"
#include "tests/support/FakeLedgra.h"

#include <QtTest>
#include <thread>

class TestFakeLedgra : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void logsSetsAndCallsInOrder();
    void answersFromQueueThenDefault();
    void rejectsValueOfWrongType();
    void callsFromTwoThreadsAreAllLogged();
};

void TestFakeLedgra::logsSetsAndCallsInOrder() {
    auto fake = std::make_shared<FakeLedgra>();
    TLedgra d(fake);
    d.SetTableNumber(18);
    d.SetRowNumber(1);
    d.ReadTable();
    d.SetSumm1(Currency::FromRaw(123400));
    d.SetPointPosition(true);
    QCOMPARE(fake->Log(), QStringList({"Set TableNumber=18", "Set RowNumber=1", "Call ReadTable",
                                       "Set Summ1=12.3400", "Set PointPosition=1"}));
    QCOMPARE(fake->Calls(), QStringList{"ReadTable"});
}

void TestFakeLedgra::answersFromQueueThenDefault() {
    auto fake = std::make_shared<FakeLedgra>();
    fake->Answer(MethodId::GetECRStatus, 80)
        .Answer(MethodId::GetECRStatus, 0,
                {{PropertyId::ECRMode, 4}, {PropertyId::FiscalSign, 4294967295u}})
        .DefaultAnswer(MethodId::GetECRStatus, 75);
    TLedgra d(fake);
    QCOMPARE(d.GetECRStatus(), 80);
    QCOMPARE(d.ResultCode(), 80);
    QCOMPARE(d.ECRMode(), 0);
    QCOMPARE(d.GetECRStatus(), 0);
    QCOMPARE(d.ECRMode(), 4);
    QCOMPARE(d.FiscalSign(), 4294967295u);
    QCOMPARE(d.ResultCodeDescription(), QString("Ошибок нет"));
    QCOMPARE(d.GetECRStatus(), 75);
    QCOMPARE(d.GetECRStatus(), 75);
    QCOMPARE(d.GetShortECRStatus(), 0); // unscripted methods succeed
    QCOMPARE(fake->CallCount(MethodId::GetECRStatus), 4);
}

void TestFakeLedgra::rejectsValueOfWrongType() {
    FakeLedgra fake;
    QVERIFY_THROWS_EXCEPTION(ELedgraDispatch,
                             fake.Set(PropertyId::Password, QStringLiteral("abc")));
    QVERIFY(fake.Log().isEmpty());
}

void TestFakeLedgra::callsFromTwoThreadsAreAllLogged() {
    auto fake = std::make_shared<FakeLedgra>();
    auto work = [fake] {
        for (int i = 0; i < 500; ++i)
            fake->Invoke(MethodId::GetShortECRStatus);
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    QCOMPARE(fake->CallCount(MethodId::GetShortECRStatus), 1000);
}

QTEST_GUILESS_MAIN(TestFakeLedgra)
#include "tst_fakeledgra.moc"
