// The virtual register's totals: cash and operation registers, wares.

#include "driver/ResultCodes.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "tests/support/TestDataDir.h"
#include "vregister/VRStore.h"
#include "vregister/VRTotals.h"
#include "vregister/VirtualRegister.h"

#include <QSet>
#include <QtTest>

namespace {

constexpr int kSysAdmin = 30;

Currency Money(const char* text) {
    return *Currency::Parse(QString::fromLatin1(text));
}

// The component on the folder's embedded register, and the register's
// database opened beside it, as another module of the register uses it.
struct Bench {
    TestDataDir dir;
    std::shared_ptr<TLedgraComponent> comp = std::make_shared<TLedgraComponent>();
    TLedgra drv{comp};

    Bench() { drv.SetPassword(kSysAdmin); }
    void Profile(const char* name) {
        QString text;
        QCOMPARE(comp->ServiceCommand(QStringLiteral("profile ") + QLatin1String(name), &text), 0);
    }
    // Runs f on the database in one transaction, as a method handler does.
    template <typename F> void InStore(F f) {
        VRStore s(VR::DefaultRegisterPath());
        VRStore::Transaction t(s);
        f(s);
        t.Commit();
    }
    int OperationReg(int reg) {
        drv.SetRegisterNumber(reg);
        return drv.GetOperationReg() == 0 ? drv.ContentsOfOperationRegister() : -1;
    }
};

} // namespace

class TestVRegisterTotals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void names();
    void registerNumbers_data();
    void registerNumbers();
    void cashValuesPersist();
    void pairs_data();
    void pairs();
    void wares();
    void wareRefusals_data();
    void wareRefusals();
};

void TestVRegisterTotals::names() {
    // Every register has a name of its own.
    QSet<QString> cash;
    for (int r = 0; r < VRTotals::kCashRegs; ++r)
        cash.insert(VRTotals::CashRegName(r));
    QCOMPARE(cash.size(), VRTotals::kCashRegs);
    QVERIFY(!cash.contains(QString()));
    QSet<QString> ex;
    for (int r = VRTotals::kFirstCashRegEx; r <= VRTotals::kLastCashRegEx; ++r)
        ex.insert(VRTotals::CashRegExName(r));
    QCOMPARE(ex.size(), VRTotals::kLastCashRegEx - VRTotals::kFirstCashRegEx + 1);
    QVERIFY(!ex.contains(QString()));
    for (bool capFN : {true, false}) {
        QSet<QString> op;
        for (int r = 0; r < VRTotals::kOperationRegs; ++r)
            op.insert(VRTotals::OperationRegName(r, capFN));
        QCOMPARE(op.size(), VRTotals::kOperationRegs);
        QVERIFY(!op.contains(QString()));
    }
    // The programs show exactly these extended registers as counts.
    const QList<int> counts = {4228, 4229, 4230, 4243, 4256, 4269, 4282, 4283, 4285,
                               4287, 4289, 4291, 4292, 4293, 4306, 4319, 4332, 4345,
                               4346, 4348, 4350, 4352, 4354, 4355, 4357, 4359, 4361};
    QList<int> named;
    for (int r = VRTotals::kFirstCashRegEx; r <= VRTotals::kLastCashRegEx; ++r)
        if (VRTotals::IsCountRegEx(r))
            named << r;
    QCOMPARE(named, counts);

    QCOMPARE(VRTotals::CashRegName(0), QStringLiteral("Накопление продаж в 1 отдел в чеке"));
    QCOMPARE(VRTotals::CashRegName(127),
             QStringLiteral("Накопление возврата покупок в 16 отдел в смене"));
    QCOMPARE(VRTotals::CashRegName(241), QStringLiteral("Наличность в кассе"));
    QCOMPARE(VRTotals::CashRegExName(4231), QStringLiteral("Чеки коррекции продаж в смене: итог"));
    QCOMPARE(VRTotals::OperationRegName(186, true),
             QStringLiteral("Сквозной номер документа, старшие 16 бит"));
    QVERIFY(VRTotals::CashRegName(256).isEmpty());
}

void TestVRegisterTotals::registerNumbers_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("code");
    const int cash = int(MethodId::GetCashReg), ex = int(MethodId::GetCashRegEx),
              op = int(MethodId::GetOperationReg), bad = int(RC::BadParameters);
    QTest::newRow("cash 0") << cash << 0 << 0;
    QTest::newRow("cash 255") << cash << 255 << 0;
    QTest::newRow("cash -1") << cash << -1 << bad;
    QTest::newRow("cash 256") << cash << 256 << bad;
    QTest::newRow("cash 4096 is extended") << cash << 4096 << bad;
    QTest::newRow("extended 4096") << ex << 4096 << 0;
    QTest::newRow("extended 4490") << ex << 4490 << 0;
    QTest::newRow("extended 4095") << ex << 4095 << bad;
    QTest::newRow("extended 4491") << ex << 4491 << bad;
    QTest::newRow("extended 0") << ex << 0 << bad;
    QTest::newRow("operation 0") << op << 0 << 0;
    QTest::newRow("operation 255") << op << 255 << 0;
    QTest::newRow("operation -1") << op << -1 << bad;
    QTest::newRow("operation 256") << op << 256 << bad;
}

void TestVRegisterTotals::registerNumbers() {
    QFETCH(int, method);
    QFETCH(int, reg);
    QFETCH(int, code);
    Bench b;
    b.drv.SetRegisterNumber(reg);
    QCOMPARE(b.drv.Object().Invoke(MethodId(method)), code);
    QCOMPARE(b.drv.ResultCode(), code);
    if (code != 0)
        return;
    // The name comes with the value, from the register's own table.
    switch (MethodId(method)) {
    case MethodId::GetCashReg:
        QCOMPARE(b.drv.NameCashReg(), VRTotals::CashRegName(reg));
        break;
    case MethodId::GetCashRegEx:
        QCOMPARE(b.drv.NameCashRegEx(), VRTotals::CashRegExName(reg));
        break;
    default:
        QCOMPARE(b.drv.NameOperationReg(), VRTotals::OperationRegName(reg, true));
        break;
    }
}

void TestVRegisterTotals::cashValuesPersist() {
    Bench b;
    b.InStore([](VRStore& s) {
        VRTotals::AddCash(s, 241, Money("123.45"));
        VRTotals::AddCash(s, 241, Money("-23.4499"));
        VRTotals::AddCash(s, 4300, Money("7"));
        VRTotals::AddCash(s, 0, Money("5"));
        VRTotals::AddCash(s, 0, Money("-5"));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, VRTotals::AddCash(s, 256, Money("1")));
    });
    // The component opens the register only now: it reads what another
    // connection wrote and closed.
    TLedgra& drv = b.drv;
    drv.SetRegisterNumber(241);
    QCOMPARE(drv.GetCashReg(), 0);
    QCOMPARE(drv.ContentsOfCashRegister(), Money("100.0001"));
    QCOMPARE(drv.NameCashReg(), QStringLiteral("Наличность в кассе"));
    drv.SetRegisterNumber(4300);
    QCOMPARE(drv.GetCashRegEx(), 0);
    QCOMPARE(drv.ContentsOfCashRegister(), Money("7"));
    drv.SetRegisterNumber(0);
    QCOMPARE(drv.GetCashReg(), 0);
    QCOMPARE(drv.ContentsOfCashRegister(), Currency());
    // Only the registers that are not zero have a row.
    VRStore s(VR::DefaultRegisterPath());
    QCOMPARE(s.Scalar("SELECT group_concat(reg) FROM totals WHERE kind = 0")->toString(),
             QStringLiteral("241,4300"));
}

void TestVRegisterTotals::pairs_data() {
    QTest::addColumn<QString>("profile");
    QTest::addColumn<QList<int>>("lows");
    QTest::addColumn<int>("ordinary");
    QTest::newRow("with a fiscal storage") << "default" << QList<int>{185, 196, 198} << 195;
    QTest::newRow("without one") << "no-fn" << QList<int>{185, 195, 197} << 199;
}

void TestVRegisterTotals::pairs() {
    QFETCH(QString, profile);
    QFETCH(QList<int>, lows);
    QFETCH(int, ordinary);
    Bench b;
    b.Profile(profile.toLatin1().constData());
    const bool capFN = profile == QLatin1String("default");
    b.InStore([&](VRStore& s) {
        for (int low : lows) {
            VRTotals::AddOperation(s, low, 65535);
            VRTotals::AddOperation(s, low, 2); // carries into the high half
            VRTotals::AddOperation(s, low + 1, 65536 * 3 + 4);
        }
        // An ordinary register is a 16-bit counter.
        VRTotals::AddOperation(s, ordinary, 65536 + 9);
        VRTotals::AddOperation(s, 0, -1);
    });
    for (int low : lows) {
        QCOMPARE(b.OperationReg(low), 5);
        QCOMPARE(b.drv.NameOperationReg(), VRTotals::OperationRegName(low, capFN));
        QVERIFY(b.drv.NameOperationReg().endsWith(QStringLiteral("младшие 16 бит")));
        QCOMPARE(b.OperationReg(low + 1), 4);
        QVERIFY(b.drv.NameOperationReg().endsWith(QStringLiteral("старшие 16 бит")));
        b.InStore([&](VRStore& s) { QCOMPARE(VRTotals::Counter32(s, low), 4u * 65536 + 5); });
    }
    QCOMPARE(b.OperationReg(ordinary), 9);
    QVERIFY(!b.drv.NameOperationReg().contains(QStringLiteral("16 бит")));
    QCOMPARE(b.OperationReg(0), 65535);
    // A 32-bit counter wraps as a whole.
    b.InStore([&](VRStore& s) {
        VRTotals::AddOperation(s, lows[0], -qint64(4u * 65536 + 6));
        QCOMPARE(VRTotals::Counter32(s, lows[0]), 0xFFFFFFFFu);
    });
    QCOMPARE(b.OperationReg(lows[0] + 1), 65535);
}

void TestVRegisterTotals::wares() {
    Bench b;
    auto write = [&](int code, int dept, const char* price, const QString& name, int tax1) {
        b.drv.SetWareCode(code);
        b.drv.SetDepartment(dept);
        b.drv.SetPrice(Money(price));
        b.drv.SetStringForPrinting(name);
        b.drv.SetTax1(tax1);
        b.drv.SetTax2(0);
        b.drv.SetTax3(3);
        b.drv.SetTax4(4);
        return b.drv.UpdateWare();
    };
    QCOMPARE(write(17, 3, "12.34", QStringLiteral("Хлеб; белый"), 1), 0);
    QCOMPARE(write(18, 0, "0", QStringLiteral("Вода"), 0), 0);
    QCOMPARE(write(17, 16, "99.5", QStringLiteral("Хлеб ржаной"), 2), 0); // replaces 17

    b.drv.SetWareCode(17);
    b.drv.SetDepartment(0);
    b.drv.SetStringForPrinting(QString());
    QCOMPARE(b.drv.ReadWare(), 0);
    QCOMPARE(b.drv.Department(), 16);
    QCOMPARE(b.drv.Price(), Money("99.5"));
    QCOMPARE(b.drv.StringForPrinting(), QStringLiteral("Хлеб ржаной"));
    QCOMPARE(b.drv.Tax1(), 2);
    QCOMPARE(b.drv.Tax3(), 3);
    QCOMPARE(b.drv.Tax4(), 4);

    // The ware's money registers: zero until a receipt adds to them.
    QCOMPARE(b.drv.GetWareBaseCashRegs(), 0);
    QCOMPARE(b.drv.RegSaleSession(), Currency());
    b.InStore([](VRStore& s) {
        QVERIFY(VRTotals::AddWareCash(s, 17, VRTotals::SaleRec, Money("1.5")));
        QVERIFY(VRTotals::AddWareCash(s, 17, VRTotals::BuyReturnSession, Money("2")));
        QVERIFY(!VRTotals::AddWareCash(s, 99, VRTotals::SaleRec, Money("1")));
    });
    QCOMPARE(b.drv.GetWareBaseCashRegs(), 0);
    QCOMPARE(b.drv.RegSaleRec(), Money("1.5"));
    QCOMPARE(b.drv.RegBuyRec(), Currency());
    QCOMPARE(b.drv.RegBuyReturnSession(), Money("2"));

    // Removed, the ware and its registers are gone; a new entry starts at zero.
    QCOMPARE(b.drv.RemoveWare(), 0);
    const int notFound = int(RC::WareNotFound);
    QCOMPARE(b.drv.ReadWare(), notFound);
    QCOMPARE(b.drv.ResultCodeDescription(), Ledgra::ResultText(notFound));
    QCOMPARE(b.drv.RemoveWare(), notFound);
    QCOMPARE(b.drv.GetWareBaseCashRegs(), notFound);
    QCOMPARE(write(17, 1, "1", QStringLiteral("Хлеб"), 0), 0);
    QCOMPARE(b.drv.GetWareBaseCashRegs(), 0);
    QCOMPARE(b.drv.RegSaleRec(), Currency());
    // The other ware was not touched.
    b.drv.SetWareCode(18);
    QCOMPARE(b.drv.ReadWare(), 0);
    QCOMPARE(b.drv.StringForPrinting(), QStringLiteral("Вода"));
}

void TestVRegisterTotals::wareRefusals_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("department");
    QTest::addColumn<QString>("price");
    QTest::addColumn<int>("nameLength");
    QTest::addColumn<int>("tax");
    QTest::addColumn<int>("result");
    const int bad = int(RC::BadParameters);
    QTest::newRow("all at their limits") << 1 << 16 << "10995116277.75" << 128 << 4 << 0;
    QTest::newRow("code 0") << 0 << 1 << "1" << 4 << 0 << bad;
    QTest::newRow("department 17") << 5 << 17 << "1" << 4 << 0 << bad;
    QTest::newRow("department -1") << 5 << -1 << "1" << 4 << 0 << bad;
    QTest::newRow("negative price") << 5 << 1 << "-0.01" << 4 << 0 << bad;
    QTest::newRow("fraction of a kopeck") << 5 << 1 << "1.005" << 4 << 0 << bad;
    QTest::newRow("price past five bytes") << 5 << 1 << "10995116277.76" << 4 << 0 << bad;
    QTest::newRow("name of 129") << 5 << 1 << "1" << 129 << 0 << bad;
    QTest::newRow("tax group 5") << 5 << 1 << "1" << 4 << 5 << bad;
}

void TestVRegisterTotals::wareRefusals() {
    QFETCH(int, code);
    QFETCH(int, department);
    QFETCH(QString, price);
    QFETCH(int, nameLength);
    QFETCH(int, tax);
    QFETCH(int, result);
    Bench b;
    b.drv.SetWareCode(code);
    b.drv.SetDepartment(department);
    b.drv.SetPrice(*Currency::Parse(price));
    b.drv.SetStringForPrinting(QString(nameLength, QChar(u'Я')));
    b.drv.SetTax2(tax);
    QCOMPARE(b.drv.UpdateWare(), result);
    // A refused entry is not stored, in part or whole.
    QCOMPARE(b.drv.ReadWare(), result == 0 ? 0 : code < 1 ? result : int(RC::WareNotFound));
}

QTEST_GUILESS_MAIN(TestVRegisterTotals)
#include "tst_vregister_totals.moc"
