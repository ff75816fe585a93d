// The page "Товары": what each button sends, the ware read into the fields,
// a price that is no number, the register report; and the ware base of the
// embedded virtual register through the page.

#include "pages/status/fmuWares.h"
#include "tests/support/PageTestSupport.h"

#include "ledgra/LedgraComponent.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>

namespace {

const char kFakeClass[] = "{TEST-FAKE-WARES}";

using P = PropertyId;

// The decimal separator the page reads and writes.
QString Dec(const char* text) {
    return QString::fromUtf8(text).replace(QLatin1Char('.'), QLocale::system().decimalPoint());
}

struct Fields {
    int code, department;
    QString price, text;
    int taxes[4];
};

void SetFields(TfmWares& page, const Fields& f) {
    Find<QSpinBox>(page, "edtWareCode")->setValue(f.code);
    Find<QSpinBox>(page, "edtDepartment")->setValue(f.department);
    Find<QLineEdit>(page, "edtPrice")->setText(f.price);
    Find<QLineEdit>(page, "edtStringForPrinting")->setText(f.text);
    for (int i = 0; i < 4; ++i)
        Find<QComboBox>(page, qPrintable(QStringLiteral("cbTax%1").arg(i + 1)))
            ->setCurrentIndex(f.taxes[i]);
}

// The fields as one text, for comparisons.
QString FieldsText(TfmWares& page) {
    QStringList t{QString::number(Find<QSpinBox>(page, "edtWareCode")->value()),
                  QString::number(Find<QSpinBox>(page, "edtDepartment")->value()),
                  Find<QLineEdit>(page, "edtPrice")->text(),
                  Find<QLineEdit>(page, "edtStringForPrinting")->text()};
    for (int i = 1; i <= 4; ++i)
        t << QString::number(
            Find<QComboBox>(page, qPrintable(QStringLiteral("cbTax%1").arg(i)))->currentIndex());
    return t.join(QLatin1Char('|'));
}

} // namespace

class TestWares : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void designDefaults();
    void driverCalls_data();
    void driverCalls();
    void readWare_data();
    void readWare();
    void priceIsNoNumber_data();
    void priceIsNoNumber();
    void cashRegs_data();
    void cashRegs();
    void wareBaseOnVirtualRegister();

private:
    TFakeDriver<> F{kFakeClass};
};

void TestWares::initTestCase() {
    F.RegisterWithVirtualRegister();
}

void TestWares::init() {
    F.Init();
}

void TestWares::cleanup() {
    QVERIFY2(F.Shown.isEmpty(), qPrintable(F.Shown.join(QLatin1Char('\n'))));
    F.Cleanup();
}

void TestWares::designDefaults() {
    TfmWares page;
    QCOMPARE(page.windowTitle(), QStringLiteral("Товары"));
    QCOMPARE(FieldsText(page), QStringLiteral("0|0|0||0|0|0|0"));
    QCOMPARE(Find<QLineEdit>(page, "edtPrice")->maxLength(), 100);
    for (const char* spin : {"edtWareCode", "edtDepartment"}) {
        QCOMPARE(Find<QSpinBox>(page, spin)->minimum(), std::numeric_limits<int>::min());
        QCOMPARE(Find<QSpinBox>(page, spin)->maximum(), std::numeric_limits<int>::max());
    }
    auto* tax = Find<QComboBox>(page, "cbTax4");
    QStringList items;
    for (int i = 0; i < tax->count(); ++i)
        items << tax->itemText(i);
    QCOMPARE(items, QStringList({"нет", "1 группа", "2 группа", "3 группа", "4 группа"}));
}

void TestWares::driverCalls_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("log");
    const QString code = QStringLiteral("Set WareCode=123456");
    QTest::newRow("read") << "btnReadWare" << QStringList{code, "Call ReadWare"};
    QTest::newRow("update") << "btnUpdateWare"
                            << QStringList{code,
                                           "Set Department=-3",
                                           "Set Price=1234.5600",
                                           "Set StringForPrinting=Молоко 3,2%",
                                           "Set Tax1=0",
                                           "Set Tax2=2",
                                           "Set Tax3=4",
                                           "Set Tax4=1",
                                           "Call UpdateWare"};
    QTest::newRow("delete") << "btnDeleteWare" << QStringList{code, "Call RemoveWare"};
    QTest::newRow("registers") << "btnGetWareBaseCashRegs"
                               << QStringList{code, "Call GetWareBaseCashRegs"};
}

void TestWares::driverCalls() {
    QFETCH(QString, button);
    QFETCH(QStringList, log);
    TfmWares page;
    SetFields(page, {123456, -3, Dec(" 1234.56 "), QStringLiteral("Молоко 3,2%"), {0, 2, 4, 1}});
    TNotifierLog notifier;
    Click(page, qPrintable(button));
    QCOMPARE(F.Fake->Log(), log);
    QCOMPARE(notifier.Changes, QList<bool>({false, true}));
}

void TestWares::readWare_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("pointPosition");
    QTest::addColumn<QString>("fields");
    QTest::newRow("found") << 0 << true << Dec("7|12|99.90|Хлеб|1|0|3|4");
    QTest::newRow("found, whole prices") << 0 << false << "7|12|99|Хлеб|1|0|3|4";
    // A code the base lacks: every field stays, also with values handed out.
    QTest::newRow("not found") << 159 << true << Dec("7|1|5.00|старое|2|2|2|2");
}

void TestWares::readWare() {
    QFETCH(int, code);
    QFETCH(bool, pointPosition);
    QFETCH(QString, fields);
    F.Fake->Preset(P::PointPosition, pointPosition);
    F.Fake->Answer(MethodId::ReadWare, code,
                   {{P::Department, 12},
                    {P::Price, QVariant::fromValue(Currency::FromRaw(999000))},
                    {P::StringForPrinting, QStringLiteral("Хлеб")},
                    {P::Tax1, 1},
                    {P::Tax2, 0},
                    {P::Tax3, 3},
                    {P::Tax4, 4}});
    TfmWares page;
    SetFields(page, {7, 1, Dec("5.00"), QStringLiteral("старое"), {2, 2, 2, 2}});
    Click(page, "btnReadWare");
    QCOMPARE(FieldsText(page), fields);
}

void TestWares::priceIsNoNumber_data() {
    QTest::addColumn<QString>("price");
    QTest::newRow("letters") << "12р";
    QTest::newRow("empty") << "";
    QTest::newRow("two separators") << Dec("1.2.3");
    QTest::newRow("beyond the money type") << "1e20";
}

void TestWares::priceIsNoNumber() {
    QFETCH(QString, price);
    TfmWares page;
    SetFields(page, {1, 1, price, QString(), {0, 0, 0, 0}});
    TNotifierLog notifier;
    Click(page, "btnUpdateWare");
    QCOMPARE(F.Shown, QStringList{QStringLiteral("\"%1\" не является числом").arg(price)});
    F.Shown.clear();
    // Nothing reached the driver; the buttons came back.
    QCOMPARE(F.Fake->Log(), QStringList());
    QCOMPARE(notifier.Changes, QList<bool>({false, true}));
}

void TestWares::cashRegs_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("answered")
        << 0
        << QStringList{"Запрос денежных регистров по коду товара: 42",
                       "",
                       Dec("Регистр продаж по данному товару в чеке: 0.00"),
                       Dec("Регистр покупок по данному товару в чеке: 1.01"),
                       Dec("Регистр возврата продаж по данному товару в чеке: -2.50"),
                       Dec("Регистр возврата покупок по данному товару в чеке: 1000000.00"),
                       Dec("Регистр продаж по данному товару за смену: 0.13"),
                       Dec("Регистр покупок по данному товару за смену: 0.00"),
                       Dec("Регистр возврата продаж по данному товару за смену: 3.00"),
                       Dec("Регистр возврата покупок по данному товару за смену: -0.01")};
    QTest::newRow("refused") << 159 << QStringList();
}

void TestWares::cashRegs() {
    QFETCH(int, code);
    QFETCH(QStringList, lines);
    auto cur = [](qint64 raw) { return QVariant::fromValue(Currency::FromRaw(raw)); };
    F.Fake->Answer(MethodId::GetWareBaseCashRegs, code,
                   {{P::WareCode, 42},
                    {P::RegSaleRec, cur(0)},
                    {P::RegBuyRec, cur(10050)},
                    {P::RegSaleReturnRec, cur(-25000)},
                    {P::RegBuyReturnRec, cur(10000000000)},
                    {P::RegSaleSession, cur(1250)},
                    {P::RegBuySession, cur(49)},
                    {P::RegSaleReturnSession, cur(29999)},
                    {P::RegBuyReturnSession, cur(-51)}});
    TfmWares page;
    Find<QPlainTextEdit>(page, "memOut")->setPlainText(QStringLiteral("прежний отчет"));
    Click(page, "btnGetWareBaseCashRegs");
    QCOMPARE(MemoLines(page, "memOut"), lines);
}

void TestWares::wareBaseOnVirtualRegister() {
    F.UseVirtualRegister();
    {
        TfmWares page;
        SetFields(page, {17, 3, Dec("12.34"), QStringLiteral("Сыр"), {1, 2, 0, 4}});
        Click(page, "btnUpdateWare");
        QCOMPARE(Driver().ResultCode(), 0);

        Click(page, "btnGetWareBaseCashRegs");
        QCOMPARE(Driver().ResultCode(), 0);
        const QStringList lines = MemoLines(page, "memOut");
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines[0], QStringLiteral("Запрос денежных регистров по коду товара: 17"));
        QCOMPARE(lines[2], Dec("Регистр продаж по данному товару в чеке: 0.00"));
    }
    // A new component object reads the ware the register kept. The price
    // shows its decimals as the register's status says.
    FreeDriver();
    QCOMPARE(Driver().GetECRStatus(), 0);
    QVERIFY(Driver().PointPosition());
    TfmWares page;
    SetFields(page, {17, 0, QStringLiteral("0"), QString(), {0, 0, 0, 0}});
    Click(page, "btnReadWare");
    QCOMPARE(Driver().ResultCode(), 0);
    QCOMPARE(FieldsText(page), Dec("17|3|12.34|Сыр|1|2|0|4"));

    Click(page, "btnDeleteWare");
    QCOMPARE(Driver().ResultCode(), 0);
    SetFields(page, {17, 9, QStringLiteral("1"), QStringLiteral("x"), {3, 3, 3, 3}});
    Click(page, "btnReadWare");
    QVERIFY(Driver().ResultCode() != 0);
    QCOMPARE(FieldsText(page), QStringLiteral("17|9|1|x|3|3|3|3"));
    Click(page, "btnGetWareBaseCashRegs");
    QVERIFY(Driver().ResultCode() != 0);
    QCOMPARE(MemoLines(page, "memOut"), QStringList());
}

QTEST_MAIN(TestWares)
#include "tst_wares.moc"
