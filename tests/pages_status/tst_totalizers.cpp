// The register pages "Регистры", "Денежные регистры" and "Операционные
// регистры" against a scripted register: one register, the lists, their
// early ends and interruption, the 32-bit pairs of the operation registers;
// and each page on the embedded virtual register.

#include "common/RunHandler.h"
#include "driver/ResultCodes.h"
#include "driver/untDriver.h"
#include "ledgra/LedgraComponent.h"
#include "pages/status/fmuCashTotalizer.h"
#include "pages/status/fmuTotalizers.h"
#include "pages/status/fmuWorkTotalizer.h"
#include "tests/support/PageTestSupport.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>
#include <map>
#include <set>

namespace {

const char kFakeClass[] = "{TEST-FAKE-TOTALIZERS}";

// Register n holds n unless Contents says otherwise (cash registers in
// ten-thousandths); Fail[(method, n)] answers a code for register n.
class RegisterFake : public FakeLedgra {
public:
    std::map<int, QVariant> Params{{71, true}};
    std::map<int, qint64> Contents;
    std::map<std::pair<MethodId, int>, int> Fail;
    std::function<void(MethodId)> OnInvoke;

    int Invoke(MethodId id) override {
        if (OnInvoke)
            OnInvoke(id);
        using P = PropertyId;
        const int n = Get(P::RegisterNumber).toInt();
        if (auto it = Fail.find({id, n}); it != Fail.end()) {
            Answer(id, it->second);
            return FakeLedgra::Invoke(id);
        }
        const qint64 content = Contents.count(n) ? Contents.at(n) : n;
        switch (id) {
        case MethodId::ReadModelParamValue:
            Answer(id, 0, {{P::ModelParamValue, Params.at(Get(P::ModelParamNumber).toInt())}});
            break;
        case MethodId::GetCashReg:
            Answer(id, 0,
                   {{P::NameCashReg, QStringLiteral("Накопление %1").arg(n)},
                    {P::ContentsOfCashRegister, QVariant::fromValue(Currency::FromRaw(content))}});
            break;
        case MethodId::GetCashRegEx:
            Answer(id, 0,
                   {{P::NameCashRegEx, QStringLiteral("Накопление (К) %1").arg(n)},
                    {P::ContentsOfCashRegister, QVariant::fromValue(Currency::FromRaw(content))}});
            break;
        case MethodId::GetOperationReg:
            Answer(id, 0,
                   {{P::NameOperationReg, QStringLiteral("Операций %1").arg(n)},
                    {P::ContentsOfOperationRegister, int(content)}});
            break;
        default:
            break;
        }
        return FakeLedgra::Invoke(id);
    }
};

QString Dot() {
    return QString(QLocale::system().decimalPoint());
}

// n ten-thousandths with PointPosition: hundredths, halves up.
QString Amount(qint64 n) {
    const qint64 cents = (n + 50) / 100;
    return QStringLiteral("%1%2%3")
        .arg(cents / 100)
        .arg(Dot())
        .arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QString Reg(int number, const QString& name, int width, const QString& value) {
    return QStringLiteral(" %1.%2 : %3").arg(number, 3).arg(name.leftJustified(width), value);
}

QPushButton* Button(QWidget& page, const QString& name) {
    return page.findChild<QPushButton*>(name);
}

QStringList Caption(const char* caption) {
    return {QString(), QString::fromUtf8(caption),
            QLatin1Char(' ') + QString(54, QLatin1Char('-'))};
}

const QString kInterrupted = QStringLiteral("<Прервано пользователем>");

QString ErrorLine(int code) {
    return QStringLiteral("<Прервано в результате ошибки: %1 %2>")
        .arg(code)
        .arg(Ledgra::ResultText(code));
}

// The list pages by name, for the tables of cases.
std::unique_ptr<QWidget> MakeListPage(const QString& page) {
    if (page == QLatin1String("cash"))
        return std::make_unique<TfmCashTotalizer>();
    return std::make_unique<TfmWorkTotalizer>();
}

} // namespace

class TestTotalizers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void oneRegister_data();
    void oneRegister();
    void oneRegisterFailureClearsFields();
    void cashLists_data();
    void cashLists();
    void listEndsWithErrorLine_data();
    void listEndsWithErrorLine();
    void interruption_data();
    void interruption();
    void syncWithFNCounters();
    void operationPairs_data();
    void operationPairs();
    void operationListEndsQuietlyOn51();
    void pagesOnVirtualRegister();

private:
    TFakeDriver<RegisterFake> F{kFakeClass};
};

void TestTotalizers::initTestCase() {
    F.RegisterWithVirtualRegister();
}

void TestTotalizers::init() {
    F.Init();
}

void TestTotalizers::cleanup() {
    QVERIFY2(F.Shown.isEmpty(), qPrintable(F.Shown.join(QLatin1Char('\n'))));
    F.Cleanup();
}

void TestTotalizers::oneRegister_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("number");
    QTest::addColumn<qint64>("content");
    QTest::addColumn<bool>("pointPosition");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("operation: a count as a whole amount")
        << "btnGetOperationReg"
        << "GetOperationReg" << 148 << qint64(5) << true << "Операций 148"
        << "5" + Dot() + "00";
    QTest::newRow("operation, no decimals")
        << "btnGetOperationReg"
        << "GetOperationReg" << 148 << qint64(5) << false << "Операций 148"
        << "5";
    QTest::newRow("cash: rounded to hundredths")
        << "btnGetCashReg"
        << "GetCashReg" << 241 << qint64(123456) << true << "Накопление 241"
        << "12" + Dot() + "35";
    QTest::newRow("cash (K): its own name")
        << "btnGetCashRegEx"
        << "GetCashRegEx" << 4228 << qint64(-1234567) << true << "Накопление (К) 4228"
        << "-123" + Dot() + "46";
}

void TestTotalizers::oneRegister() {
    QFETCH(QString, button);
    QFETCH(QString, method);
    QFETCH(int, number);
    QFETCH(qint64, content);
    QFETCH(bool, pointPosition);
    QFETCH(QString, name);
    QFETCH(QString, shown);
    F.Fake->Contents[number] = content;
    F.Fake->Preset(PropertyId::PointPosition, pointPosition);
    TfmTotalizers page;
    page.findChild<QSpinBox*>(QStringLiteral("seRegisterNumber"))->setValue(number);
    QList<bool> changes;
    PageNotifier().OnChange = [&](TPageNotifier*, bool value) { changes << value; };
    Button(page, button)->click();
    QCOMPARE(changes, QList<bool>({false, true}));
    QCOMPARE(F.Fake->Log(), QStringList({QStringLiteral("Set RegisterNumber=%1").arg(number),
                                         QStringLiteral("Call ") + method}));
    QCOMPARE(page.findChild<QLineEdit*>(QStringLiteral("edtRegName"))->text(), name);
    QCOMPARE(page.findChild<QLineEdit*>(QStringLiteral("edtRegContent"))->text(), shown);
}

void TestTotalizers::oneRegisterFailureClearsFields() {
    TfmTotalizers page;
    auto* name = page.findChild<QLineEdit*>(QStringLiteral("edtRegName"));
    auto* content = page.findChild<QLineEdit*>(QStringLiteral("edtRegContent"));
    QVERIFY(name->isReadOnly() && content->isReadOnly());
    for (const char* button : {"btnGetOperationReg", "btnGetCashReg", "btnGetCashRegEx"}) {
        F.Fake->Fail.clear();
        Button(page, QLatin1String(button))->click();
        QVERIFY(!name->text().isEmpty());
        F.Fake->Fail[{MethodId::GetOperationReg, 0}] = 51;
        F.Fake->Fail[{MethodId::GetCashReg, 0}] = 51;
        F.Fake->Fail[{MethodId::GetCashRegEx, 0}] = 51;
        Button(page, QLatin1String(button))->click();
        QCOMPARE(name->text(), QString());
        QCOMPARE(content->text(), QString());
    }
}

void TestTotalizers::cashLists_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("expected");
    F.Fake = std::make_shared<RegisterFake>();

    QStringList all = Caption(" ДЕНЕЖНЫЕ РЕГИСТРЫ:");
    for (int n = 0; n < 256; ++n)
        all << Reg(n, QStringLiteral("Накопление %1").arg(n), 56, Amount(n));
    QTest::newRow("cash registers 0 to 255") << "btnReadAll" << all;

    // Register n holds n ten-thousandths, except the ones below; a count
    // register shows its content rounded to a whole number.
    const std::set<int> counts{4228, 4229, 4230, 4243, 4256, 4269, 4282, 4283, 4285,
                               4287, 4289, 4291, 4292, 4293, 4306, 4319, 4332, 4345,
                               4346, 4348, 4350, 4352, 4354, 4355, 4357, 4359, 4361};
    QStringList ex = Caption(" ДЕНЕЖНЫЕ РЕГИСТРЫ (К):");
    for (int n = 4096; n <= 4490; ++n) {
        QString value = counts.count(n) ? QStringLiteral("0") : Amount(n);
        if (n == 4227)
            value = "3" + Dot() + "00"; // a sum
        if (n == 4228)
            value = "3"; // a count of 3.0
        if (n == 4229)
            value = "3"; // 2.5 rounds away from zero
        if (n == 4230)
            value = "0";
        if (n == 4361)
            value = "-2";
        ex << Reg(n, QStringLiteral("Накопление (К) %1").arg(n), 56, value);
    }
    QTest::newRow("extended registers 4096 to 4490") << "btnReadExCashReg" << ex;
}

void TestTotalizers::cashLists() {
    QFETCH(QString, button);
    QFETCH(QStringList, expected);
    F.Fake->Preset(PropertyId::PointPosition, true);
    F.Fake->Contents = {{4227, 30000}, {4228, 30000}, {4229, 25000}, {4230, 4999}, {4361, -15000}};
    TfmCashTotalizer page;
    QPushButton* stop = Button(page, "btnStop");
    QVERIFY(!stop->isEnabled());
    bool stopDuring = false;
    bool listButtonsDuring = false;
    F.Fake->OnInvoke = [&](MethodId) {
        stopDuring = stop->isEnabled();
        listButtonsDuring = Button(page, "btnReadAll")->isEnabled() ||
                            Button(page, "btnReadExCashReg")->isEnabled() ||
                            Button(page, "btnReadFNCounters")->isEnabled();
    };
    // An earlier list is replaced.
    page.findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->setPlainText(QStringLiteral("old"));
    Button(page, button)->click();
    QVERIFY(stopDuring);
    QVERIFY(!listButtonsDuring);
    const QStringList lines = MemoLines(page);
    for (int i = 0; i < qMin(lines.size(), expected.size()); ++i)
        QCOMPARE(lines[i], expected[i]);
    QCOMPARE(lines.size(), expected.size());
    QVERIFY(!stop->isEnabled());
    QVERIFY(Button(page, "btnReadAll")->isEnabled());
    QCOMPARE(page.findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->textCursor().position(), 0);
}

void TestTotalizers::listEndsWithErrorLine_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("failing");
    QTest::addColumn<int>("code");
    QTest::newRow("cash: register 0") << "cash"
                                      << "btnReadAll" << int(MethodId::GetCashReg) << 0 << 51;
    QTest::newRow("cash: register 200") << "cash"
                                        << "btnReadAll" << int(MethodId::GetCashReg) << 200 << 51;
    QTest::newRow("extended: register 4300")
        << "cash"
        << "btnReadExCashReg" << int(MethodId::GetCashRegEx) << 4300 << 80;
    QTest::newRow("operation: register 17, not 51")
        << "work"
        << "btnReadAll" << int(MethodId::GetOperationReg) << 17 << 80;
}

void TestTotalizers::listEndsWithErrorLine() {
    QFETCH(QString, page);
    QFETCH(QString, button);
    QFETCH(int, method);
    QFETCH(int, failing);
    QFETCH(int, code);
    F.Fake->Fail[{MethodId(method), failing}] = code;
    auto p = MakeListPage(page);
    Button(*p, button)->click();
    const QStringList lines = MemoLines(*p);
    const int first = button == QLatin1String("btnReadExCashReg") ? 4096 : 0;
    // The caption, every register before the failing one, the error line.
    QCOMPARE(lines.size(), 3 + failing - first + 1);
    QCOMPARE(lines.last(), ErrorLine(code));
    if (failing > first)
        QVERIFY(lines[lines.size() - 2].startsWith(QStringLiteral(" %1.").arg(failing - 1, 3)));
    QCOMPARE(F.Fake->CallCount(MethodId(method)), failing - first + 1);
    QVERIFY(!Button(*p, "btnStop")->isEnabled());
    QVERIFY(Button(*p, button)->isEnabled());
}

void TestTotalizers::interruption_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("at");
    QTest::newRow("cash") << "cash"
                          << "btnReadAll" << int(MethodId::GetCashReg) << 10;
    QTest::newRow("extended") << "cash"
                              << "btnReadExCashReg" << int(MethodId::GetCashRegEx) << 4100;
    QTest::newRow("operation") << "work"
                               << "btnReadAll" << int(MethodId::GetOperationReg) << 10;
}

void TestTotalizers::interruption() {
    QFETCH(QString, page);
    QFETCH(QString, button);
    QFETCH(int, method);
    QFETCH(int, at);
    auto p = MakeListPage(page);
    QPushButton* stop = Button(*p, "btnStop");
    F.Fake->OnInvoke = [&](MethodId id) {
        if (id == MethodId(method) && F.Fake->Get(PropertyId::RegisterNumber).toInt() == at) {
            // Two clicks arrive through the window's queue before the next
            // register.
            QTimer::singleShot(0, stop, &QPushButton::click);
            QTimer::singleShot(0, stop, &QPushButton::click);
        }
    };
    Button(*p, button)->click();
    const QStringList lines = MemoLines(*p);
    QCOMPARE(lines.last(), kInterrupted);
    QCOMPARE(lines.count(kInterrupted), 1);
    QVERIFY(lines[lines.size() - 2].startsWith(QStringLiteral(" %1.").arg(at, 3)));
    QCOMPARE(F.Fake->CallCount(MethodId(method)), at - (at >= 4096 ? 4096 : 0) + 1);
    QVERIFY(!stop->isEnabled());

    // The next list starts afresh.
    F.Fake->OnInvoke = nullptr;
    Button(*p, button)->click();
    QVERIFY(!MemoLines(*p).contains(kInterrupted));
}

void TestTotalizers::syncWithFNCounters() {
    TfmCashTotalizer page;
    Button(page, "btnReadFNCounters")->click();
    QCOMPARE(F.Fake->Calls(), QStringList{"FNCountersSync"});
    QVERIFY(!Button(page, "btnStop")->isEnabled());
    // A failure ends it silently: the result panel shows the code.
    F.Fake->Answer(MethodId::FNCountersSync, 80);
    Button(page, "btnReadFNCounters")->click();
    QCOMPARE(Driver().ResultCode(), 80);
    QVERIFY(!Button(page, "btnStop")->isEnabled());
    QCOMPARE(MemoLines(page), QStringList());
}

void TestTotalizers::operationPairs_data() {
    QTest::addColumn<bool>("capFN");
    QTest::addColumn<QStringList>("lines"); // of registers 184 to 200
    auto line = [](int n, const QString& value) {
        return Reg(n, QStringLiteral("Операций %1").arg(n), 50, value);
    };
    auto plain = [&](int from, int to) {
        QStringList r;
        for (int n = from; n <= to; ++n)
            r << line(n, QString::number(n));
        return r;
    };
    // 185 = 5, 186 = 1, 197 = 1FFFFh, 199 = 70000 (1 1170h).
    QStringList fn = QStringList{line(184, "184"), line(185, "5"), line(186, "1 (Total: 65541)")}
                     << plain(187, 196);
    fn << line(197, "131071 (Total: 4294901956)") << line(198, "198")
       << line(199, "70000 (Total: 292552902)") << line(200, "200");
    QTest::newRow("fiscal storage: 185/186, 196/197, 198/199") << true << fn;

    QStringList noFN = QStringList{line(184, "184"), line(185, "5"), line(186, "1 (Total: 65541)")}
                       << plain(187, 195);
    noFN << line(196, "196 (Total: 12845251)") << line(197, "131071")
         << line(198, "198 (Total: 13041663)") << line(199, "70000") << line(200, "200");
    QTest::newRow("fiscal memory: 185/186, 195/196, 197/198") << false << noFN;
}

void TestTotalizers::operationPairs() {
    QFETCH(bool, capFN);
    QFETCH(QStringList, lines);
    F.Fake->Params[71] = capFN;
    F.Fake->Contents = {{185, 5}, {186, 1}, {197, 0x1FFFF}, {199, 70000}};
    TfmWorkTotalizer page;
    Button(page, "btnReadAll")->click();
    const QStringList memo = MemoLines(page);
    QCOMPARE(memo.mid(0, 3), Caption(" ОПЕРАЦИОННЫЕ РЕГИСТРЫ:"));
    QCOMPARE(memo.size(), 3 + 256);
    QCOMPARE(memo[3], Reg(0, QStringLiteral("Операций 0"), 50, "0"));
    QCOMPARE(memo.mid(3 + 184, lines.size()), lines);
    QCOMPARE(memo.last(), Reg(255, QStringLiteral("Операций 255"), 50, "255"));
    // The capability is asked once for the list, after the first register.
    QCOMPARE(F.Fake->CallCount(MethodId::ReadModelParamValue), 1);
    QCOMPARE(F.Fake->Calls().mid(0, 2), QStringList({"GetOperationReg", "ReadModelParamValue"}));
}

void TestTotalizers::operationListEndsQuietlyOn51() {
    F.Fake->Fail[{MethodId::GetOperationReg, 200}] = 51;
    TfmWorkTotalizer page;
    Button(page, "btnReadAll")->click();
    const QStringList memo = MemoLines(page);
    QCOMPARE(memo.size(), 3 + 200);
    QCOMPARE(memo.last(), Reg(199, QStringLiteral("Операций 199"), 50, "199 (Total: 13041862)"));
    QCOMPARE(F.Fake->CallCount(MethodId::GetOperationReg), 201);
}

void TestTotalizers::pagesOnVirtualRegister() {
    qunsetenv("LEDGRA_CLASS");
    TfmTotalizers one;
    Button(one, "btnGetCashReg")->click();
    QCOMPARE(Driver().ResultCode(), 0);
    QVERIFY(!one.findChild<QLineEdit*>(QStringLiteral("edtRegName"))->text().isEmpty());
    // A fresh register holds nothing; decimals as the last status told.
    QCOMPARE(one.findChild<QLineEdit*>(QStringLiteral("edtRegContent"))->text(),
             Driver().AmountToStr(Currency()));
    Button(one, "btnGetOperationReg")->click();
    QCOMPARE(Driver().ResultCode(), 0);
    QVERIFY(!one.findChild<QLineEdit*>(QStringLiteral("edtRegName"))->text().isEmpty());
    one.findChild<QSpinBox*>(QStringLiteral("seRegisterNumber"))->setValue(4228);
    Button(one, "btnGetCashRegEx")->click();
    QCOMPARE(Driver().ResultCode(), 0);
    QVERIFY(!one.findChild<QLineEdit*>(QStringLiteral("edtRegName"))->text().isEmpty());

    TfmCashTotalizer cash;
    Button(cash, "btnReadAll")->click();
    QStringList lines = MemoLines(cash);
    QCOMPARE(lines.size(), 3 + 256);
    QVERIFY(lines.last().startsWith(QLatin1String(" 255.")));
    Button(cash, "btnReadExCashReg")->click();
    lines = MemoLines(cash);
    QCOMPARE(lines.size(), 3 + 395);
    QVERIFY(lines.last().startsWith(QLatin1String(" 4490.")));
    const int count = int(lines.indexOf(QRegularExpression(QStringLiteral("^ 4228\\..*"))));
    QVERIFY(count > 0);
    QVERIFY2(lines[count].endsWith(QLatin1String(" : 0")), qPrintable(lines[count]));

    TfmWorkTotalizer work;
    Button(work, "btnReadAll")->click();
    lines = MemoLines(work);
    QVERIFY2(lines.size() > 3 + 200, qPrintable(lines.last()));
    QVERIFY(lines[3 + 186].contains(QLatin1String("(Total: ")));
    QCOMPARE(Driver().ResultCode(), lines.size() == 3 + 256 ? 0 : 51);
}

QTEST_MAIN(TestTotalizers)
#include "tst_totalizers.moc"
