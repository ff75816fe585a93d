// The connection pages of the group "Прочее": "Связь", "Проверка связи" and
// "Поиск устройства", against a scripted driver and the virtual register.

#include "common/RunHandler.h"
#include "common/untBaseForm.h"
#include "driver/ResultCodes.h"
#include "driver/untDriver.h"
#include "ledgra/LedgraComponent.h"
#include "pages/status/fmuConnection.h"
#include "pages/status/fmuConnectionTest.h"
#include "pages/status/fmuFindDevice.h"
#include "platform/LedgraErrors.h"
#include "tests/support/PageTestSupport.h"
#include "vregister/VRPrinter.h"
#include "vregister/VRStore.h"
#include "vregister/VirtualRegister.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <thread>

namespace {

const char kFakeClass[] = "{TEST-FAKE-CONNECTION}";

// A scripted driver that may be slowed down or made to throw, call by call
// (the worker thread calls it).
class ConnFake : public FakeLedgra {
public:
    std::function<void(MethodId)> OnInvoke;
    int Invoke(MethodId id) override {
        if (OnInvoke)
            OnInvoke(id);
        return FakeLedgra::Invoke(id);
    }
};

QString Value(QWidget& page, const char* label) {
    return Find<QLabel>(page, label)->text();
}

// Waits, delivering queued calls, until the condition holds (false on time-out).
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The "Связь" page filled as an operator would: COM5, 19200, timeout 150,
// "TCP socket" with code 11h, waits of 700 ms.
void FillConnectionPage(TfmConnection& page) {
    page.Initialize();
    Find<QComboBox>(page, "cbCOMNumber")->setCurrentIndex(4);
    Find<QComboBox>(page, "cbBaudRate")->setCurrentIndex(3);
    Find<QSpinBox>(page, "seTimeout")->setValue(150);
    Find<QComboBox>(page, "cbPortNumber")->setCurrentIndex(4);
    Find<QSpinBox>(page, "seTCPPortCode")->setValue(0x11);
    Find<QSpinBox>(page, "seConnectionTimeout")->setValue(700);
}

} // namespace

class TestConnection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    // "Связь"
    void connectionHandlers_data();
    void connectionHandlers();
    void getExchangeParamFillsFieldsOnSuccessOnly_data();
    void getExchangeParamFillsFieldsOnSuccessOnly();
    void listsAndTcpFields();
    void showingThePage();
    void connectionPageOnRegister();

    // "Проверка связи"
    void cycleMethod_data();
    void cycleMethod();
    void stopOnError_data();
    void stopOnError();
    void timerShowsCounters();
    void workerKeepsItsDriverObject();
    void destroyingThePageStopsTheWorker();
    void workerErrorIsShown();
    void printTest_data();
    void printTest();
    void connectionTestOnRegister();

    // "Поиск устройства"
    void findDevice_data();
    void findDevice();
    void findDeviceOnRegister();

private:
    TFakeDriver<ConnFake> F{kFakeClass};
};

void TestConnection::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    F.RegisterWithVirtualRegister();
}

void TestConnection::init() {
    F.Init();
}

void TestConnection::cleanup() {
    QVERIFY2(F.Shown.isEmpty(), qPrintable(F.Shown.join(QLatin1Char('\n'))));
    F.Cleanup();
}

// "Связь"

void TestConnection::connectionHandlers_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("Установить связь")
        << "btnConnect"
        << QStringList{"Set ComNumber=5", "Set BaudRate=3", "Set Timeout=150", "Set TCPPort=4145",
                       "Call Connect"};
    QTest::newRow("Разорвать связь") << "btnDisconnect" << QStringList{"Call Disconnect"};
    QTest::newRow("Получить параметры")
        << "btnGetExchangeParam" << QStringList{"Set PortNumber=128", "Call GetExchangeParam"};
    QTest::newRow("Установить параметры")
        << "btnSetExchangeParam"
        << QStringList{"Set Timeout=150", "Set BaudRate=3", "Set TCPPort=4145",
                       "Set PortNumber=128", "Call SetExchangeParam"};
    QTest::newRow("Устройство подключено") << "chkConnected" << QStringList{"Set Connected=1"};
    QTest::newRow("Ожидать подключения")
        << "btnWaitConnection" << QStringList{"Set ConnectionTimeout=700", "Call WaitConnection"};
    QTest::newRow("Ожидать завершения печати")
        << "btnWaitForPrinting" << QStringList{"Set ConnectionTimeout=700", "Call WaitForPrinting"};
    QTest::newRow("Ожидать закрытия чека")
        << "btnWaitForCheckClose"
        << QStringList{"Set ConnectionTimeout=700", "Call WaitForCheckClose"};
}

void TestConnection::connectionHandlers() {
    QFETCH(QString, control);
    QFETCH(QStringList, log);
    TfmConnection page;
    FillConnectionPage(page);
    auto* chk = Find<QCheckBox>(page, "chkConnected");
    // A failing call changes nothing of the sequence: the page checks no code.
    for (MethodId m :
         {MethodId::Connect, MethodId::Disconnect, MethodId::SetExchangeParam,
          MethodId::WaitConnection, MethodId::WaitForPrinting, MethodId::WaitForCheckClose})
        F.Fake->DefaultAnswer(m, -1);
    // Every handler ends showing the driver's link state.
    F.Fake->Preset(PropertyId::Connected, true);
    Driver();

    QList<bool> changes;
    PageNotifier().OnChange = [&](TPageNotifier*, bool value) { changes << value; };
    page.findChild<QAbstractButton*>(control)->click();
    QCOMPARE(F.Fake->Log(), log);
    QCOMPARE(changes, QList<bool>({false, true}));
    QVERIFY(chk->isChecked());
}

void TestConnection::getExchangeParamFillsFieldsOnSuccessOnly_data() {
    QTest::addColumn<int>("code");
    QTest::newRow("success") << 0;
    QTest::newRow("failure") << 0x33;
}

void TestConnection::getExchangeParamFillsFieldsOnSuccessOnly() {
    QFETCH(int, code);
    TfmConnection page;
    FillConnectionPage(page);
    F.Fake->Answer(
        MethodId::GetExchangeParam, code,
        {{PropertyId::Timeout, 90}, {PropertyId::BaudRate, 6}, {PropertyId::TCPPort, 7778}});
    Find<QPushButton>(page, "btnGetExchangeParam")->click();
    const bool ok = code == 0;
    QCOMPARE(Find<QSpinBox>(page, "seTimeout")->value(), ok ? 90 : 150);
    QCOMPARE(Find<QComboBox>(page, "cbBaudRate")->currentIndex(), ok ? 6 : 3);
    // 7778 = 1E62h: code 12h (high nibble of the high byte, low nibble of the low).
    QCOMPARE(Find<QSpinBox>(page, "seTCPPortCode")->value(), ok ? 0x12 : 0x11);
}

void TestConnection::listsAndTcpFields() {
    TfmConnection page;
    page.Initialize();
    auto* com = Find<QComboBox>(page, "cbCOMNumber");
    QCOMPARE(com->count(), 256);
    QCOMPARE(com->itemText(0), QStringLiteral("COM1"));
    QCOMPARE(com->itemText(255), QStringLiteral("COM256"));
    QCOMPARE(Find<QComboBox>(page, "cbBaudRate")->count(), 10);
    QCOMPARE(Find<QComboBox>(page, "cbBaudRate")->itemText(9), QStringLiteral("921600"));

    auto* port = Find<QComboBox>(page, "cbPortNumber");
    QCOMPARE(port->currentIndex(), 0);
    const QStringList texts{"RS-232", "Bluetooth", "USB", "WiFi", "TCP socket"};
    const QList<int> values{0, 1, 2, 3, 128};
    QCOMPARE(port->count(), texts.size());
    for (int i = 0; i < port->count(); ++i) {
        port->setCurrentIndex(i);
        QCOMPARE(port->itemText(i), texts[i]);
        QCOMPARE(port->itemData(i).toInt(), values[i]);
        // The TCP port fields belong to the TCP socket only.
        const bool tcp = values[i] == 128;
        for (const char* name :
             {"seTCPPortCode", "edtTCPPortReal", "lblTCPPortCode", "lblTCPPortReal"})
            QCOMPARE(page.findChild<QWidget*>(QLatin1String(name))->isEnabled(), tcp);
    }
    // The link's state is never a saved setting.
    QCOMPARE(ControlTag(Find<QCheckBox>(page, "chkConnected")), 1000);
}

void TestConnection::showingThePage() {
    TfmConnection page;
    FillConnectionPage(page);
    // No driver object yet: showing the page keeps the loaded fields and
    // creates none.
    page.show();
    QVERIFY(!DriverExists());
    QCOMPARE(Find<QSpinBox>(page, "seTimeout")->value(), 150);
    QCOMPARE(Find<QComboBox>(page, "cbCOMNumber")->currentIndex(), 4);
    page.hide();

    F.Fake->Preset(PropertyId::Timeout, 250)
        .Preset(PropertyId::BaudRate, 5)
        .Preset(PropertyId::ComNumber, 200)
        .Preset(PropertyId::TCPPort, 4145)
        .Preset(PropertyId::ConnectionTimeout, 3000);
    Driver();
    page.show();
    QCOMPARE(Find<QSpinBox>(page, "seTimeout")->value(), 250);
    QCOMPARE(Find<QComboBox>(page, "cbBaudRate")->currentIndex(), 5);
    QCOMPARE(Find<QComboBox>(page, "cbCOMNumber")->currentIndex(), 199);
    QCOMPARE(Find<QLineEdit>(page, "edtTCPPortReal")->text(), QStringLiteral("4145"));
    QCOMPARE(Find<QSpinBox>(page, "seTCPPortCode")->value(), 0x11);
    QCOMPARE(Find<QSpinBox>(page, "seConnectionTimeout")->value(), 3000);
    QVERIFY(F.Fake->Log().isEmpty());
}

void TestConnection::connectionPageOnRegister() {
    qunsetenv("LEDGRA_CLASS");
    TfmConnection page;
    page.Initialize();
    auto* chk = Find<QCheckBox>(page, "chkConnected");
    auto click = [&](const char* name) {
        Find<QPushButton>(page, name)->click();
        return Driver().ResultCode();
    };
    QCOMPARE(click("btnConnect"), 0);
    QVERIFY(chk->isChecked());

    // The register's own exchange parameters of its RS-232 port.
    Find<QComboBox>(page, "cbBaudRate")->setCurrentIndex(4);
    Find<QSpinBox>(page, "seTimeout")->setValue(120);
    QCOMPARE(click("btnSetExchangeParam"), 0);
    Find<QComboBox>(page, "cbBaudRate")->setCurrentIndex(0);
    Find<QSpinBox>(page, "seTimeout")->setValue(0);
    QCOMPARE(click("btnGetExchangeParam"), 0);
    QCOMPARE(Find<QComboBox>(page, "cbBaudRate")->currentIndex(), 4);
    QCOMPARE(Find<QSpinBox>(page, "seTimeout")->value(), 120);

    for (const char* wait : {"btnWaitConnection", "btnWaitForPrinting", "btnWaitForCheckClose"})
        QCOMPARE(click(wait), 0);

    QCOMPARE(click("btnDisconnect"), 0);
    QVERIFY(!chk->isChecked());
    chk->click();
    QVERIFY(Driver().Connected());
    QVERIFY(chk->isChecked());
}

// "Проверка связи"

void TestConnection::cycleMethod_data() {
    QTest::addColumn<bool>("checkFM");
    QTest::addColumn<bool>("useShort");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QStringList>("settings");
    QTest::newRow("device metrics")
        << false << false << "GetDeviceMetrics"
        << QStringList{"Set CheckFMConnection=0", "Set StatusCommand=2"};
    QTest::newRow("short status") << false << true << "GetShortECRStatus"
                                  << QStringList{"Set CheckFMConnection=0", "Set StatusCommand=1"};
    QTest::newRow("fiscal storage first")
        << true << true << "FNGetStatus"
        << QStringList{"Set CheckFMConnection=1", "Set StatusCommand=1"};
}

void TestConnection::cycleMethod() {
    QFETCH(bool, checkFM);
    QFETCH(bool, useShort);
    QFETCH(QString, method);
    QFETCH(QStringList, settings);
    TfmConnectionTest page;
    Find<QCheckBox>(page, "chkCheckFM")->setChecked(checkFM);
    Find<QCheckBox>(page, "chkUseShortStatus")->setChecked(useShort);
    auto* start = Find<QPushButton>(page, "btnStart");
    auto* stop = Find<QPushButton>(page, "btnStop");
    QVERIFY(start->isEnabled() && !stop->isEnabled());

    start->click();
    QVERIFY(page.Running());
    QVERIFY(!start->isEnabled() && stop->isEnabled());
    QVERIFY(!Find<QCheckBox>(page, "chkCheckFM")->isEnabled());
    QVERIFY(!Find<QCheckBox>(page, "chbStopOnError")->isEnabled());
    QVERIFY(Find<QCheckBox>(page, "chkUseShortStatus")->isEnabled());
    QVERIFY(WaitFor([&] { return F.Fake->Calls().size() >= 5; }));
    stop->click();
    QVERIFY(WaitFor([&] { return !page.Running(); }));

    QVERIFY(start->isEnabled() && !stop->isEnabled());
    QVERIFY(Find<QCheckBox>(page, "chkCheckFM")->isEnabled());
    QVERIFY(Find<QCheckBox>(page, "chbStopOnError")->isEnabled());
    const QStringList log = F.Fake->Log();
    QCOMPARE(log.mid(0, 2), settings);
    QStringList calls = F.Fake->Calls();
    QCOMPARE(calls.takeLast(), QStringLiteral("Disconnect"));
    QCOMPARE(calls.count(method), calls.size());
    // The shown counts are the last ones.
    QCOMPARE(Value(page, "lblRepCountValue"), QString::number(calls.size()));
    QCOMPARE(Value(page, "lblErrCountValue"), QStringLiteral("0"));
}

void TestConnection::stopOnError_data() {
    QTest::addColumn<bool>("stopOnError");
    QTest::addColumn<int>("failingCall"); // counted from 1
    QTest::addColumn<int>("delayMs");     // per call
    QTest::addColumn<int>("cycles");      // -1: runs until stopped
    QTest::addColumn<bool>("clockStill"); // no time passes for the worker
    // A fast register fails before the clock has moved: the test still stops.
    QTest::newRow("failure within the first tick") << true << 1 << 0 << 1 << true;
    QTest::newRow("failure within the first tick, later cycle") << true << 4 << 0 << 4 << true;
    QTest::newRow("failure later") << true << 3 << 3 << 3 << false;
    QTest::newRow("no stop without the option") << false << 1 << 0 << -1 << false;
    QTest::newRow("no stop without the option, clock still") << false << 1 << 0 << -1 << true;
}

void TestConnection::stopOnError() {
    QFETCH(bool, stopOnError);
    QFETCH(int, failingCall);
    QFETCH(int, delayMs);
    QFETCH(int, cycles);
    QFETCH(bool, clockStill);
    for (int i = 1; i < failingCall; ++i)
        F.Fake->Answer(MethodId::GetDeviceMetrics, 0);
    F.Fake->Answer(MethodId::GetDeviceMetrics, -1);
    F.Fake->OnInvoke = [delayMs](MethodId) {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    };
    TfmConnectionTest page;
    if (clockStill)
        page.SetClock([](const QElapsedTimer&) { return quint64(0); });
    Find<QCheckBox>(page, "chbStopOnError")->setChecked(stopOnError);
    Find<QPushButton>(page, "btnStart")->click();
    if (cycles < 0) {
        QVERIFY(WaitFor([&] { return F.Fake->CallCount(MethodId::GetDeviceMetrics) > 20; }));
        Find<QPushButton>(page, "btnStop")->click();
    }
    QVERIFY(WaitFor([&] { return !page.Running(); }));
    const int calls = F.Fake->CallCount(MethodId::GetDeviceMetrics);
    if (cycles >= 0)
        QCOMPARE(calls, cycles);
    QCOMPARE(F.Fake->CallCount(MethodId::Disconnect), 1);
    QCOMPARE(Value(page, "lblRepCountValue"), QString::number(calls));
    QCOMPARE(Value(page, "lblErrCountValue"), QStringLiteral("1"));
    if (clockStill) {
        // Without time there is no rate to show.
        QCOMPARE(Value(page, "lblSpeedValue"), QStringLiteral("0"));
        QCOMPARE(Value(page, "lblErrRateValue"), QStringLiteral("0,00"));
        QCOMPARE(Value(page, "lblCommandTimeValue"), QStringLiteral("0"));
    }
}

void TestConnection::timerShowsCounters() {
    TfmConnectionTest page;
    // Before any cycle: no division, all zero.
    page.UpdateInfo();
    for (const char* label : {"lblRepCountValue", "lblErrCountValue", "lblSpeedValue",
                              "lblTimeLeftValue", "lblCommandTimeValue"})
        QCOMPARE(Value(page, label), QStringLiteral("0"));
    QCOMPARE(Value(page, "lblErrRateValue"), QStringLiteral("0,00"));

    // Every fourth cycle fails, each takes about 10 ms.
    F.Fake->OnInvoke = [this](MethodId m) {
        if (m != MethodId::GetDeviceMetrics)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (F.Fake->CallCount(m) % 4 == 3)
            F.Fake->Answer(m, -1);
    };
    Find<QPushButton>(page, "btnStart")->click();
    // The timer shows the counts while the test runs.
    QVERIFY(WaitFor([&] { return Value(page, "lblRepCountValue").toInt() >= 8; }));
    QVERIFY(page.Running());
    QVERIFY(WaitFor([&] { return F.Fake->CallCount(MethodId::GetDeviceMetrics) >= 20; }));
    Find<QPushButton>(page, "btnStop")->click();
    QVERIFY(WaitFor([&] { return !page.Running(); }));

    const int rep = Value(page, "lblRepCountValue").toInt();
    const int err = Value(page, "lblErrCountValue").toInt();
    QCOMPARE(rep, F.Fake->CallCount(MethodId::GetDeviceMetrics));
    QCOMPARE(err, rep / 4);
    QCOMPARE(Value(page, "lblErrRateValue"), QLocale().toString(double(err) * 100 / rep, 'f', 2));
    const int perCommand = Value(page, "lblCommandTimeValue").toInt();
    const int speed = Value(page, "lblSpeedValue").toInt();
    // Both come from the same time: about 1000 ms per second.
    QVERIFY2(perCommand >= 10 && speed > 0 && speed <= 100,
             qPrintable(QStringLiteral("%1 %2").arg(perCommand).arg(speed)));
    QVERIFY(speed * perCommand <= 1000 && speed * (perCommand + 1) >= 500);
}

void TestConnection::workerKeepsItsDriverObject() {
    F.Fake->OnInvoke = [](MethodId) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
    TfmConnectionTest page;
    Find<QPushButton>(page, "btnStart")->click();
    QVERIFY(WaitFor([&] { return F.Fake->Calls().size() >= 3; }));
    // The process lets its object go; the worker goes on with its own.
    FreeDriver();
    const auto calls = F.Fake->Calls().size();
    QVERIFY(WaitFor([&] { return F.Fake->Calls().size() >= calls + 3; }));
    Find<QPushButton>(page, "btnStop")->click();
    QVERIFY(WaitFor([&] { return !page.Running(); }));
    QCOMPARE(F.Fake->Calls().last(), QStringLiteral("Disconnect"));
    QVERIFY(!DriverExists());
}

void TestConnection::destroyingThePageStopsTheWorker() {
    F.Fake->OnInvoke = [](MethodId) { std::this_thread::sleep_for(std::chrono::milliseconds(20)); };
    auto* page = new TfmConnectionTest;
    Find<QPushButton>(*page, "btnStart")->click();
    QVERIFY(WaitFor([&] { return F.Fake->Calls().size() >= 2; }));
    QElapsedTimer t;
    t.start();
    delete page; // waits for the running call, then for the worker
    QVERIFY(t.elapsed() < 2000);
    const QStringList calls = F.Fake->Calls();
    QCOMPARE(calls.last(), QStringLiteral("Disconnect"));
    // The end the worker queued dies with the page.
    QTest::qWait(50);
    QCOMPARE(F.Fake->Calls(), calls);
}

void TestConnection::workerErrorIsShown() {
    F.Fake->OnInvoke = [](MethodId m) {
        if (m == MethodId::GetDeviceMetrics)
            throw ELedgraDispatch("Сбой вызова");
    };
    TfmConnectionTest page;
    Find<QPushButton>(page, "btnStart")->click();
    QVERIFY(WaitFor([&] { return !page.Running(); }));
    QCOMPARE(F.Shown, QStringList{QStringLiteral("Сбой вызова")});
    F.Shown.clear();
    QCOMPARE(F.Fake->Calls().last(), QStringLiteral("Disconnect"));
    QVERIFY(Find<QPushButton>(page, "btnStart")->isEnabled());
}

void TestConnection::printTest_data() {
    QTest::addColumn<int>("failingLine"); // 0: none fails
    QTest::addColumn<int>("lines");
    QTest::newRow("all lines") << 0 << 100;
    QTest::newRow("first line fails") << 1 << 1;
    QTest::newRow("line 37 fails") << 37 << 37;
}

void TestConnection::printTest() {
    QFETCH(int, failingLine);
    QFETCH(int, lines);
    for (int i = 1; i < failingLine; ++i)
        F.Fake->Answer(MethodId::PrintString, 0);
    if (failingLine > 0)
        F.Fake->Answer(MethodId::PrintString, 0x50);
    F.Fake->DefaultAnswer(MethodId::CutCheck, 0x50);
    TfmConnectionTest page;
    auto* edtTime = Find<QLineEdit>(page, "edtTime");
    QList<bool> changes;
    PageNotifier().OnChange = [&](TPageNotifier*, bool value) { changes << value; };
    Find<QPushButton>(page, "btnTestConnect")->click();

    QStringList expected{QStringLiteral("Set StringForPrinting=Строка для печати")};
    for (int i = 0; i < lines; ++i)
        expected << QStringLiteral("Call PrintString");
    expected << QStringLiteral("Set CutType=1") << QStringLiteral("Call CutCheck");
    QCOMPARE(F.Fake->Log(), expected);
    QCOMPARE(changes, QList<bool>({false, true}));
    bool ok = false;
    QVERIFY(edtTime->text().toInt(&ok) >= 0 && ok);
    // The connection test's own buttons keep their idle state.
    QVERIFY(Find<QPushButton>(page, "btnStart")->isEnabled());
    QVERIFY(!Find<QPushButton>(page, "btnStop")->isEnabled());
}

void TestConnection::connectionTestOnRegister() {
    qunsetenv("LEDGRA_CLASS");
    TfmConnectionTest page;
    Find<QCheckBox>(page, "chkUseShortStatus")->setChecked(true);
    Find<QCheckBox>(page, "chbStopOnError")->setChecked(true);
    Find<QPushButton>(page, "btnStart")->click();
    QVERIFY(WaitFor([&] { return Value(page, "lblRepCountValue").toInt() >= 20; }));
    QVERIFY(Driver().Connected());
    Find<QPushButton>(page, "btnStop")->click();
    QVERIFY(WaitFor([&] { return !page.Running(); }));
    QCOMPARE(Value(page, "lblErrCountValue"), QStringLiteral("0"));
    QVERIFY(!Driver().Connected());

    Find<QPushButton>(page, "btnTestConnect")->click();
    QCOMPARE(Driver().ResultCode(), 0);
    QVERIFY(!Find<QLineEdit>(page, "edtTime")->text().isEmpty());
    // The paper shows the hundred lines and the cut.
    VRStore store(VR::DefaultRegisterPath());
    const auto tape = VRPrinter::Tape(store);
    QCOMPARE(int(tape.size()), 101);
    QCOMPARE(std::count_if(tape.begin(), tape.end(),
                           [](const VRPrinter::TapeRecord& r) {
                               return r.kind == QLatin1String(VRPrinter::kLine) &&
                                      r.text.trimmed() == QStringLiteral("Строка для печати");
                           }),
             100);
    QCOMPARE(tape.back().kind, QLatin1String(VRPrinter::kCut));
}

// "Поиск устройства"

void TestConnection::findDevice_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("com");
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("found") << 0 << 200 << 6
                           << QStringList{"Устройство найдено.", "Порт: COM200, Скорость: 115200"};
    QTest::newRow("found at 2400")
        << 0 << 3 << 0 << QStringList{"Устройство найдено.", "Порт: COM3, Скорость: 2400"};
    QTest::newRow("unknown rate index")
        << 0 << 1 << 12 << QStringList{"Устройство найдено.", "Порт: COM1, Скорость: 4800"};
    QTest::newRow("not found") << int(RC::DeviceNotFound) << 200 << 6
                               << QStringList{"Устройство не найдено."};
}

void TestConnection::findDevice() {
    QFETCH(int, code);
    QFETCH(int, com);
    QFETCH(int, baudRate);
    QFETCH(QStringList, lines);
    F.Fake->Answer(MethodId::FindDevice, code,
                   {{PropertyId::ComNumber, com}, {PropertyId::BaudRate, baudRate}});
    TfmFindDevice page;
    auto* memo = Find<QPlainTextEdit>(page, "Memo");
    // The memo keeps its text between runs: an editable, saved field.
    QVERIFY(!memo->isReadOnly());
    memo->setPlainText(QStringLiteral("earlier search"));
    QList<bool> changes;
    PageNotifier().OnChange = [&](TPageNotifier*, bool value) { changes << value; };
    Find<QPushButton>(page, "btnRead")->click();
    QCOMPARE(F.Fake->Calls(), QStringList{"FindDevice"});
    QCOMPARE(MemoLines(page), lines);
    QCOMPARE(changes, QList<bool>({false, true}));
    QVERIFY(memo->updatesEnabled());
}

void TestConnection::findDeviceOnRegister() {
    qunsetenv("LEDGRA_CLASS");
    TfmFindDevice page;
    Find<QPushButton>(page, "btnRead")->click();
    QCOMPARE(MemoLines(page),
             QStringList({"Устройство найдено.", "Порт: COM200, Скорость: 115200"}));
    QCOMPARE(Driver().ConnectionType(), 0);
    QVERIFY(Driver().Connected());
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
