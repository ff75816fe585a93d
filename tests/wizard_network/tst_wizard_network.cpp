// The work thread and its state, the network-link check and the network
// steps of the wizard: against a scripted driver behind WizardDriver(), then
// end to end against the embedded virtual register and the daemon over TCP.

#include "common/untWorkThread.h"
#include "driver/ResultCodes.h"
#include "ledgra/LedgraComponent.h"
#include "tests/support/DaemonProcess.h"
#include "tests/support/WizardTestSupport.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"
#include "wizard/search/fmuCheckLAN.h"
#include "wizard/search/fmuEthernetParams.h"
#include "wizard/search/fmuOFDExchangeState.h"
#include "wizard/search/fmuRNDISParams.h"
#include "wizard/search/fmuSelectNetType.h"
#include "wizard/search/fmuWiFiParams.h"
#include "wizard/search/untCheckLANWorkTask.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTcpServer>
#include <QtTest>
#include <map>

namespace {

constexpr char kFakeClass[] = "{5E0A7D21-3C44-4F7B-9A1E-2B6D8C0F4A93}";

// Answers ReadTable from cells (the last value of a cell's list repeats), so
// a test states the register's tables instead of the order of the reads.
class TTableFake : public FakeLedgra {
public:
    using TCell = std::tuple<int, int, int>;
    void SetCell(int table, int row, int field, QList<QVariant> values) {
        QMutexLocker l(&FCellLock);
        FCells[{table, row, field}] = std::move(values);
    }
    int Invoke(MethodId id) override {
        if (id == MethodId::ReadTable) {
            const TCell cell{Get(PropertyId::TableNumber).toInt(),
                             Get(PropertyId::RowNumber).toInt(),
                             Get(PropertyId::FieldNumber).toInt()};
            QVariant v;
            {
                QMutexLocker l(&FCellLock);
                auto it = FCells.find(cell);
                if (it != FCells.end() && !it->second.isEmpty())
                    v = it->second.size() > 1 ? it->second.takeFirst() : it->second.first();
            }
            if (v.isValid())
                Answer(MethodId::ReadTable, 0,
                       {{PropertyId::ValueOfFieldInteger,
                         v.typeId() == QMetaType::QString ? 0 : v.toInt()},
                        {PropertyId::ValueOfFieldString, v.toString()}});
        }
        return FakeLedgra::Invoke(id);
    }
    // The cells written, "table/row/field=value" in order.
    QStringList Writes() const {
        QStringList writes;
        QString table, row, field, value;
        for (const QString& e : Log()) {
            auto take = [&](const char* name, QString& into) {
                const QString prefix = QStringLiteral("Set %1=").arg(QLatin1String(name));
                if (e.startsWith(prefix))
                    into = e.mid(prefix.size());
            };
            take("TableNumber", table);
            take("RowNumber", row);
            take("FieldNumber", field);
            take("ValueOfFieldInteger", value);
            take("ValueOfFieldString", value);
            if (e == QLatin1String("Call WriteTable"))
                writes << QStringLiteral("%1/%2/%3=%4").arg(table, row, field, value);
        }
        return writes;
    }
    // The register's network tables as a test starts from.
    void SetNetwork(int mode, QList<QVariant> dhcpStates, const QList<int>& address, int port) {
        SetCell(16, 1, 1, {mode});
        SetCell(16, 1, 2, std::move(dhcpStates));
        for (int i = 0; i < 4; ++i)
            SetCell(16, 1, 3 + i, {address.value(i)});
        SetCell(21, 1, 4, {port});
    }

private:
    QMutex FCellLock;
    std::map<TCell, QList<QVariant>> FCells;
};

// The main window's buttons as the steps switch them.
class TNavWindow : public IWizardWindow {
public:
    void DoNext() override {}
    void DoPrev() override {}
    void ShowFirstPage() override {}
    bool NextEnabled() const override { return Next; }
    bool PrevEnabled() const override { return Prev; }
    void SetNextEnabled(bool v) override { Next = v; }
    void SetPrevEnabled(bool v) override { Prev = v; }
    void SetHomeEnabled(bool v) override { Home = v; }
    void SetSettingsEnabled(bool v) override { Settings = v; }
    TParamPage* PageByClass(const char*) const override { return nullptr; }
    bool AllEnabled() const { return Next && Prev && Home && Settings; }
    bool NoneEnabled() const { return !Next && !Prev && !Home && !Settings; }
    bool Next = true, Prev = true, Home = true, Settings = true;
};

// Accepts the message box a step shows and keeps its text.
class TInfoBox {
public:
    TInfoBox()
        : FAnswer([this](QWidget* w) {
              if (auto* box = qobject_cast<QMessageBox*>(w)) {
                  Text = box->text();
                  box->accept();
              }
          }) {}
    QString Text;

private:
    TModalAnswer FAnswer;
};

// A task whose run waits for its stop flag.
class TWaitingTask : public TWorkThread {
public:
    ~TWaitingTask() override { Shutdown(); }
    void DoExecute() override {
        State().Start(1);
        try {
            for (;;) {
                State().CheckStopFlag();
                QThread::msleep(5);
            }
        } catch (const EAbort& e) {
            State().Stop(QString::fromUtf8(e.what()), false);
        }
    }
};

QString ConnectError(const QString& address, int port, int code) {
    return QStringLiteral("Ошибка подключения к : %1:%2, %3 \r\nПроверьте настройки сети")
        .arg(address)
        .arg(port)
        .arg(Ledgra::ResultText(code));
}

QString Connected(const QString& address, int port) {
    return QStringLiteral("Связь успешно установлена: %1:%2\r\nНажмите \"Далее\"")
        .arg(address)
        .arg(port);
}

void RunNext(TParamPage& page) {
    RunHandler(&page, [&page] { page.Next(); });
}

void ShowStep(TParamPage& page) {
    page.show();
    RunHandler(&page, [&page] { page.OnShow(); });
}

// A port nobody listens on.
int ClosedPort() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const int port = s.serverPort();
    s.close();
    return port;
}

// Starts vregisterd serving the register of a folder on a free loopback
// port: that port, or 0 when it does not serve on 127.0.0.1.
int StartDaemon(DaemonProcess& daemon, const QString& dataDir) {
    if (!daemon.Start(QStringLiteral(VREGISTERD_PATH), dataDir,
                      {QStringLiteral("--port"), QStringLiteral("0")}))
        return 0;
    const bool loopback =
        daemon.Output().startsWith(QStringLiteral("vregisterd: слушает 127.0.0.1:"));
    return loopback ? daemon.TcpPort() : 0;
}

} // namespace

class TstWizardNetwork : public QObject {
    Q_OBJECT
    TWizardFake<TTableFake> F{kFakeClass};
    TNavWindow FWindow;

    TTableFake& Fake() { return *F.Fake; }

private slots:
    void initTestCase() { F.RegisterWithVirtualRegister(); }
    void init() {
        FWindow = TNavWindow();
        F.Init(&FWindow);
    }
    void cleanup() { F.Cleanup(); }

    void taskStateProgress_data();
    void taskStateProgress();
    void taskStateEnds_data();
    void taskStateEnds();
    void workThreadCompletesOnWindowThread();
    void workThreadStopWhileWaiting();

    void lanCheck_data();
    void lanCheck();
    void lanCheckCancelledDuringDhcpWait();

    void selectNetType_data();
    void selectNetType();
    void settingsWrites_data();
    void settingsWrites();
    void settingsRejectWrongInput_data();
    void settingsRejectWrongInput();
    void settingsShowRegisterValues();
    void exchangeState_data();
    void exchangeState();

    void checkStepRepeatsAfterFailure();
    void checkStepStopDuringDhcpWait();
    void checkStepDestroyedWhileRunning();

    void endToEndEthernetCheck_data();
    void endToEndEthernetCheck();
    void endToEndDhcpCheck();
    void endToEndStopDuringDhcpWait();
};

// ---------------------------------------------------------------- TTaskState

void TstWizardNetwork::taskStateProgress_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("percents");
    QTest::addColumn<bool>("estimates");
    QTest::newRow("no items") << 0 << 0 << 0 << false;
    QTest::newRow("no items, progress") << 0 << 3 << 0 << false;
    QTest::newRow("1 of 2") << 2 << 1 << 50 << true;
    QTest::newRow("1 of 3 drops the fraction") << 3 << 1 << 33 << true;
    QTest::newRow("all") << 4 << 4 << 100 << true;
    // Below one percent: no estimate, and no division by zero.
    QTest::newRow("1 of 1000") << 1000 << 1 << 0 << false;
}

void TstWizardNetwork::taskStateProgress() {
    QFETCH(int, count);
    QFETCH(int, done);
    QFETCH(int, percents);
    QFETCH(bool, estimates);
    TTaskState s;
    QCOMPARE(s.TimeRemain(), qint64(0)); // idle
    s.Start(count);
    s.StepProgress(done);
    QCOMPARE(s.Percents(), percents);
    QTest::qWait(30);
    const qint64 elapsed = s.TimeElapsed();
    QVERIFY(elapsed >= 25);
    const qint64 remain = s.TimeRemain();
    if (!estimates) {
        QCOMPARE(remain, qint64(0));
    } else {
        // elapsed * 100 / percents - elapsed, within the tick of the two reads
        const qint64 expected = elapsed * 100 / percents - elapsed;
        QVERIFY2(qAbs(remain - expected) <= 5 * 100 / percents,
                 qPrintable(QStringLiteral("%1 vs %2").arg(remain).arg(expected)));
    }
    s.Stop(QStringLiteral("x"), true);
    QCOMPARE(s.TimeRemain(), qint64(0)); // no longer running
}

void TstWizardNetwork::taskStateEnds_data() {
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("succeeded");
    QTest::addColumn<QString>("failedInfo");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("Success") << 0 << "готово" << true << "" << false;
    QTest::newRow("Fail") << 1 << "Ошибка" << false << "нет ответа" << false;
    QTest::newRow("UserCancel") << 2 << "Операция отменена" << false
                                << "Операция отменена пользователем" << true;
    QTest::newRow("Stop failed") << 3 << "прервано" << false << "прервано" << false;
}

void TstWizardNetwork::taskStateEnds() {
    QFETCH(int, how);
    QFETCH(QString, text);
    QFETCH(bool, succeeded);
    QFETCH(QString, failedInfo);
    QFETCH(bool, cancelled);
    TTaskState s;
    s.SetSuccessText(QStringLiteral("готово"));
    s.Start(2);
    QVERIFY(s.IsRunning());
    s.CheckStopFlag(); // nothing asked yet
    switch (how) {
    case 0:
        s.Success();
        break;
    case 1:
        s.Fail(QStringLiteral("нет ответа"));
        break;
    case 2:
        s.UserCancel();
        break;
    default:
        s.Stop(QStringLiteral("прервано"), false);
    }
    QCOMPARE(s.Text(), text);
    QCOMPARE(s.Succeeded(), succeeded);
    QCOMPARE(s.FailedInfo(), failedInfo);
    QCOMPARE(s.UserCancelled(), cancelled);
    QVERIFY(s.Completed());
    QVERIFY(!s.IsRunning());
    QVERIFY_THROWS_EXCEPTION(ETaskAborted, s.CheckStopFlag());
    // The next run starts clean.
    s.Start(1);
    QVERIFY(!s.Completed() && !s.UserCancelled() && s.FailedInfo().isEmpty());
    s.CheckStopFlag();
}

// ---------------------------------------------------------------- TWorkThread

void TstWizardNetwork::workThreadCompletesOnWindowThread() {
    struct TTask : TWorkThread {
        void DoExecute() override {
            State().Start(1);
            State().StepProgress(1);
            ran = QThread::currentThread();
            State().Success();
        }
        QThread* ran = nullptr;
    } task;
    QThread* completedOn = nullptr;
    int completions = 0;
    task.OnCompleted = [&](TWorkThread* t) {
        QCOMPARE(t, &task);
        completedOn = QThread::currentThread();
        ++completions;
        QVERIFY(!t->Started());
    };
    for (int run = 1; run <= 2; ++run) {
        task.Execute();
        QTRY_COMPARE(completions, run);
        QVERIFY(task.ran && task.ran != QThread::currentThread());
        QCOMPARE(completedOn, QThread::currentThread());
        QCOMPARE(task.State().Percents(), 100);
    }
}

void TstWizardNetwork::workThreadStopWhileWaiting() {
    TWaitingTask task;
    int completions = 0;
    task.OnCompleted = [&](TWorkThread*) { ++completions; };
    task.Execute();
    QTRY_VERIFY(task.State().IsRunning());
    task.Stop(); // returns: the wait keeps the window's queue moving
    QTRY_COMPARE(completions, 1);
    QCOMPARE(task.State().Text(), QStringLiteral("Операция отменена"));
    QVERIFY(!task.State().Succeeded());
    QVERIFY(!task.Started());
    task.Stop(); // nothing running: nothing happens
    QCOMPARE(completions, 1);

    // A task destroyed while it runs never reports to its dead owner.
    {
        TWaitingTask t2;
        t2.OnCompleted = [&](TWorkThread*) { ++completions; };
        t2.Execute();
        QTRY_VERIFY(t2.State().IsRunning());
        t2.State().Stop(QStringLiteral("конец"), false);
    }
    QTest::qWait(50);
    QCOMPARE(completions, 1);
}

// ---------------------------------------------------------------- the check

void TstWizardNetwork::lanCheck_data() {
    QTest::addColumn<bool>("rndis");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<QVariant>>("dhcpStates");
    QTest::addColumn<int>("ecrCode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("stateReads");
    QTest::addColumn<int>("tableReads");
    QTest::addColumn<int>("percents");

    const QString ok = Connected(QStringLiteral("10.0.0.5"), 7778);
    QTest::newRow("static address") << false << 1 << QList<QVariant>{0} << 0 << ok << 0 << 6 << 100;
    QTest::newRow("DHCP at 10 on the first read")
        << false << 0 << QList<QVariant>{10} << 0 << ok << 1 << 7 << 100;
    QTest::newRow("DHCP after a wait")
        << false << 0 << QList<QVariant>{0, 3, 10} << 0 << ok << 3 << 9 << 100;
    QTest::newRow("unreachable") << false << 1 << QList<QVariant>{0} << int(RC::NoLink)
                                 << ConnectError(QStringLiteral("10.0.0.5"), 7778, int(RC::NoLink))
                                 << 0 << 6 << 50;
    QTest::newRow("RNDIS takes the step's address")
        << true << 0 << QList<QVariant>{0} << 0
        << Connected(QStringLiteral("192.168.137.111"), 7779) << 0 << 0
        << 50; // the address step of the count is skipped
}

void TstWizardNetwork::lanCheck() {
    QFETCH(bool, rndis);
    QFETCH(int, mode);
    QFETCH(QList<QVariant>, dhcpStates);
    QFETCH(int, ecrCode);
    QFETCH(QString, text);
    QFETCH(int, stateReads);
    QFETCH(int, tableReads);
    QFETCH(int, percents);
    Controller().IsRNDIS = rndis;
    Controller().IP = QStringLiteral("192.168.137.111");
    Controller().TCPPort = 7779;
    Fake().SetNetwork(mode, dhcpStates, {10, 0, 0, 5}, 7778);
    Fake().DefaultAnswer(MethodId::GetECRStatus, ecrCode);

    TCheckLANWorkTask task;
    bool completed = false;
    task.OnCompleted = [&](TWorkThread*) { completed = true; };
    task.Execute();
    QTRY_VERIFY(completed);

    QCOMPARE(task.State().Text(), text);
    QCOMPARE(task.State().Succeeded(), ecrCode == 0);
    QCOMPARE(task.State().Percents(), percents);
    QCOMPARE(Fake().CallCount(MethodId::ReadTable), tableReads);
    QCOMPARE(Fake().Log().count(QStringLiteral("Set FieldNumber=2")), stateReads);
    // The wizard's link is dropped, then a TCP link of its own is tried once
    // and dropped again.
    const QStringList log = Fake().Log();
    const int probe = int(log.indexOf(QStringLiteral("Set ConnectionType=6")));
    QVERIFY(probe > 0);
    QCOMPARE(log.mid(probe - 1, 7),
             (QStringList{
                 QStringLiteral("Call Disconnect"), QStringLiteral("Set ConnectionType=6"),
                 QStringLiteral("Set UseIPAddress=0"),
                 QStringLiteral("Set ComputerName=%1")
                     .arg(rndis ? QStringLiteral("192.168.137.111") : QStringLiteral("10.0.0.5")),
                 QStringLiteral("Set TCPPort=%1").arg(rndis ? 7779 : 7778),
                 QStringLiteral("Set TCPConnectionTimeout=10000"),
                 QStringLiteral("Call GetECRStatus")}));
    QCOMPARE(log.last(), QStringLiteral("Call Disconnect"));
}

void TstWizardNetwork::lanCheckCancelledDuringDhcpWait() {
    Fake().SetNetwork(0, {0}, {10, 0, 0, 5}, 7778);
    TCheckLANWorkTask task;
    bool completed = false;
    task.OnCompleted = [&](TWorkThread*) { completed = true; };
    task.Execute();
    QTRY_COMPARE(task.State().Text(), QStringLiteral("Ожидание получения IP адреса..."));
    task.Stop();
    QTRY_VERIFY(completed);
    QCOMPARE(task.State().Text(), QStringLiteral("Операция отменена"));
    QVERIFY(task.State().UserCancelled());
    QVERIFY(!task.State().Succeeded());
    QCOMPARE(Fake().CallCount(MethodId::GetECRStatus), 0);
}

// ---------------------------------------------------------------- the steps

void TstWizardNetwork::selectNetType_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QByteArray>("next");
    QTest::addColumn<bool>("rndis");
    QTest::newRow("Ethernet") << 0 << QByteArray("TfmEthernetParams") << false;
    QTest::newRow("WiFi") << 1 << QByteArray("TfmWiFiParams") << false;
    QTest::newRow("RNDIS") << 2 << QByteArray("TfmRNDISParams") << true;
}

void TstWizardNetwork::selectNetType() {
    QFETCH(int, row);
    QFETCH(QByteArray, next);
    QFETCH(bool, rndis);
    TfmSelectNetType page;
    auto* list = Find<QListWidget>(page, "lbNetType");
    QCOMPARE(list->currentRow(), 0);
    Controller().IsRNDIS = !rndis;
    list->setCurrentRow(row);
    RunNext(page);
    QCOMPARE(Controller().NetType, row);
    QCOMPARE(Controller().IsRNDIS, rndis);
    QCOMPARE(Controller().NextPageClass, next);
}

namespace {
enum TStep { kEthernet, kRNDIS, kWiFi };

std::unique_ptr<TParamPage> MakeStep(int step) {
    switch (step) {
    case kEthernet:
        return std::make_unique<TfmEthernetParams>();
    case kRNDIS:
        return std::make_unique<TfmRNDISParams>();
    default:
        return std::make_unique<TfmWiFiParams>();
    }
}

void Fill(TParamPage& page, const QStringList& fields) {
    const char* names[] = {"edtIP", "edtMask", "edtGateway", "edtDNS", "edtPort"};
    for (int i = 0; i < fields.size(); ++i)
        Find<QLineEdit>(page, names[i])->setText(fields[i]);
}

const QStringList kStatic = {"192.168.1.20", "255.255.255.0", "192.168.1.1", "8.8.8.8", "5555"};
} // namespace

void TstWizardNetwork::settingsWrites_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("next");
    QTest::addColumn<QString>("ip");

    const QString done = QStringLiteral("Перезагрузите устройство и нажмите \"ОК\"");
    const QStringList octets = {"16/1/3=192",  "16/1/4=168",  "16/1/5=1",    "16/1/6=20",
                                "16/1/7=192",  "16/1/8=168",  "16/1/9=1",    "16/1/10=1",
                                "16/1/11=255", "16/1/12=255", "16/1/13=255", "16/1/14=0"};
    QTest::newRow("Ethernet, DHCP: no octets, IP kept")
        << int(kEthernet) << true
        << QStringList{"21/1/3=1", "21/1/6=0", "16/1/1=0", "21/1/4=5555", "21/1/9=0"}
        << "Настройки Ethernet успешно записаны.\r\n" + done << QByteArray("TfmCheckEthernet")
        << "10.9.9.9";
    QTest::newRow("Ethernet, static") << int(kEthernet) << false
                                      << QStringList{"21/1/3=1", "21/1/6=0", "16/1/1=1"} + octets +
                                             QStringList{"21/1/4=5555", "21/1/9=0"}
                                      << "Настройки Ethernet успешно записаны.\r\n" + done
                                      << QByteArray("TfmCheckEthernet") << "192.168.1.20";
    QTest::newRow("RNDIS") << int(kRNDIS) << false
                           << QStringList{"21/1/3=1", "21/1/6=0", "16/1/1=1"} + octets +
                                  QStringList{"21/1/4=5555", "21/1/9=1"}
                           << "Настройки RNDIS успешно записаны.\r\n" + done
                           << QByteArray("TfmCheckRNDIS") << "192.168.1.20";
    QTest::newRow("WiFi, DHCP") << int(kWiFi) << true
                                << QStringList{"21/1/3=1",        "21/1/6=1", "21/1/7=Кафе",
                                               "21/1/8=секрет 1", "22/1/1=0", "21/1/9=0",
                                               "21/1/4=5555"}
                                << "Настройки WiFi успешно записаны.\r\n" + done
                                << QByteArray("TfmOFDExchangeState") << "10.9.9.9";
    QTest::newRow("WiFi, static") << int(kWiFi) << false
                                  << QStringList{"21/1/3=1",
                                                 "21/1/6=1",
                                                 "21/1/7=Кафе",
                                                 "21/1/8=секрет 1",
                                                 "22/1/1=1",
                                                 "22/1/2=192.168.1.20",
                                                 "22/1/3=255.255.255.0",
                                                 "22/1/4=192.168.1.1",
                                                 "22/1/5=8.8.8.8",
                                                 "21/1/9=0",
                                                 "21/1/4=5555"}
                                  << "Настройки WiFi успешно записаны.\r\n" + done
                                  << QByteArray("TfmOFDExchangeState") << "10.9.9.9";
}

void TstWizardNetwork::settingsWrites() {
    QFETCH(int, step);
    QFETCH(bool, dhcp);
    QFETCH(QStringList, writes);
    QFETCH(QString, message);
    QFETCH(QByteArray, next);
    QFETCH(QString, ip);
    Controller().IP = QStringLiteral("10.9.9.9");
    Controller().TCPPort = 1;
    auto page = MakeStep(step);
    Fill(*page, kStatic);
    if (auto* dhcpBox = page->findChild<QCheckBox*>(QStringLiteral("chkDHCP")))
        dhcpBox->setChecked(dhcp);
    if (step == kWiFi) {
        Find<QLineEdit>(*page, "edtWiFiName")->setText(QStringLiteral("Кафе"));
        Find<QLineEdit>(*page, "edtWiFiPassword")->setText(QStringLiteral("секрет 1"));
    }
    TInfoBox box;
    RunNext(*page);
    QCOMPARE(F.Shown, QStringList());
    QCOMPARE(Fake().Writes(), writes);
    QCOMPARE(Fake().Calls().last(), QStringLiteral("Disconnect"));
    QCOMPARE(box.Text, message);
    QCOMPARE(Controller().NextPageClass, next);
    QCOMPARE(Controller().IP, ip);
    if (step == kEthernet)
        QCOMPARE(Controller().DHCP, dhcp);
    if (step != kWiFi && !dhcp)
        QCOMPARE(Controller().TCPPort, 5555);
}

void TstWizardNetwork::settingsRejectWrongInput_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("message");
    const QString addr = QStringLiteral("Неверный адрес в поле \"%1\": \"%2\"");
    const QString port = QStringLiteral("Неверный порт в поле \"Порт\": \"%1\"");
    QTest::newRow("Ethernet, three octets")
        << int(kEthernet) << false
        << QStringList{"192.168.1", "255.255.255.0", "192.168.1.1", "8.8.8.8", "7779"}
        << addr.arg("IP адрес", "192.168.1");
    QTest::newRow("Ethernet, octet above 255")
        << int(kEthernet) << false
        << QStringList{"192.168.1.2", "255.255.256.0", "192.168.1.1", "8.8.8.8", "7779"}
        << addr.arg("Маска", "255.255.256.0");
    QTest::newRow("Ethernet, DHCP, port too large")
        << int(kEthernet) << true << QStringList{"", "", "", "", "65536"} << port.arg("65536");
    QTest::newRow("RNDIS, empty gateway")
        << int(kRNDIS) << false << QStringList{"192.168.1.2", "255.255.255.0", "", "", "7779"}
        << addr.arg("Шлюз", "");
    QTest::newRow("RNDIS, empty port")
        << int(kRNDIS) << false
        << QStringList{"192.168.1.2", "255.255.255.0", "192.168.1.1", "", ""} << port.arg("");
    QTest::newRow("WiFi, static, DNS cut short")
        << int(kWiFi) << false
        << QStringList{"192.168.1.2", "255.255.255.0", "192.168.1.1", "8.8.8.", "7779"}
        << addr.arg("DNS", "8.8.8.");
}

void TstWizardNetwork::settingsRejectWrongInput() {
    QFETCH(int, step);
    QFETCH(bool, dhcp);
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    auto page = MakeStep(step);
    Fill(*page, fields);
    if (auto* dhcpBox = page->findChild<QCheckBox*>(QStringLiteral("chkDHCP")))
        dhcpBox->setChecked(dhcp);
    Controller().NextPageClass = "TfmSelectNetType";
    RunNext(*page);
    QCOMPARE(F.Shown.size(), 1);
    QVERIFY2(F.Shown[0].startsWith(message), qPrintable(F.Shown[0]));
    // Nothing reached the register.
    QCOMPARE(Fake().Calls(), QStringList());
    QCOMPARE(Controller().NextPageClass, QByteArray("TfmSelectNetType"));
}

void TstWizardNetwork::settingsShowRegisterValues() {
    Fake().SetCell(16, 1, 1, {1});
    for (int f = 3; f <= 18; ++f)
        Fake().SetCell(16, 1, f, {f});
    Fake().SetCell(21, 1, 4, {7778});
    TfmEthernetParams eth;
    ShowStep(eth);
    QCOMPARE(F.Shown, QStringList());
    QVERIFY(!Find<QCheckBox>(eth, "chkDHCP")->isChecked());
    // Gateway before mask in the table.
    QCOMPARE(Find<QLineEdit>(eth, "edtIP")->text(), QStringLiteral("3.4.5.6"));
    QCOMPARE(Find<QLineEdit>(eth, "edtGateway")->text(), QStringLiteral("7.8.9.10"));
    QCOMPARE(Find<QLineEdit>(eth, "edtMask")->text(), QStringLiteral("11.12.13.14"));
    QCOMPARE(Find<QLineEdit>(eth, "edtDNS")->text(), QStringLiteral("15.16.17.18"));
    QCOMPARE(Find<QLineEdit>(eth, "edtPort")->text(), QStringLiteral("7778"));
    QVERIFY(Find<QLineEdit>(eth, "edtIP")->isEnabled());
    QCOMPARE(Fake().Calls().last(), QStringLiteral("Disconnect"));
    // DHCP switches the address fields and their labels off.
    Find<QCheckBox>(eth, "chkDHCP")->setChecked(true);
    for (const char* name : {"edtIP", "edtMask", "edtGateway", "edtDNS"})
        QVERIFY(!Find<QLineEdit>(eth, name)->isEnabled());
    QVERIFY(!Find<QLabel>(eth, "lblIP")->isEnabled());
    QVERIFY(Find<QLineEdit>(eth, "edtPort")->isEnabled());

    Fake().ClearLog();
    Fake().SetCell(21, 1, 7, {QStringLiteral("Сеть")});
    Fake().SetCell(21, 1, 8, {QStringLiteral("пароль")});
    Fake().SetCell(22, 1, 1, {0});
    Fake().SetCell(22, 1, 2, {QStringLiteral("10.1.1.2")});
    Fake().SetCell(22, 1, 5, {QStringLiteral("10.1.1.1")});
    TfmWiFiParams wifi;
    ShowStep(wifi);
    QCOMPARE(F.Shown, QStringList());
    QCOMPARE(Find<QLineEdit>(wifi, "edtWiFiName")->text(), QStringLiteral("Сеть"));
    QCOMPARE(Find<QLineEdit>(wifi, "edtWiFiPassword")->text(), QStringLiteral("пароль"));
    QVERIFY(Find<QCheckBox>(wifi, "chkDHCP")->isChecked());
    QCOMPARE(Find<QLineEdit>(wifi, "edtIP")->text(), QStringLiteral("10.1.1.2"));
    QCOMPARE(Find<QLineEdit>(wifi, "edtDNS")->text(), QStringLiteral("10.1.1.1"));
    QVERIFY(!Find<QLineEdit>(wifi, "edtIP")->isEnabled());
    QCOMPARE(Find<QLineEdit>(wifi, "edtPort")->text(), QStringLiteral("7778"));

    // A read that fails still ends with the link dropped.
    Fake().ClearLog();
    Fake().Answer(MethodId::ReadTable, 2);
    TfmRNDISParams rndis;
    ShowStep(rndis);
    QCOMPARE(F.Shown.size(), 1);
    QVERIFY(F.Shown[0].startsWith(QStringLiteral("Ошибка 2, ")));
    QCOMPARE(Fake().Calls(), (QStringList{"ReadTable", "Disconnect"}));
}

void TstWizardNetwork::exchangeState_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("all sent") << 0 << 0
                              << "Все документы успешно отправлены в ОФД\r\nНажмите \"Далее\"";
    QTest::newRow("some waiting") << 0 << 12
                                  << "Кол-во неотправленных документов в ОФД: 12\r\nПроверьте "
                                     "настройки соединения с Интернет";
    QTest::newRow("device error") << 2 << 0 << "";
}

void TstWizardNetwork::exchangeState() {
    QFETCH(int, code);
    QFETCH(int, count);
    QFETCH(QString, text);
    Fake().DefaultAnswer(MethodId::FNGetInfoExchangeStatus, code,
                         {{PropertyId::MessageCount, count}});
    TfmOFDExchangeState page;
    ShowStep(page);
    QCOMPARE(Find<QLabel>(page, "lblInfo")->text(), text);
    QCOMPARE(F.Shown, code ? QStringList{QStringLiteral("Ошибка 2, ") + Ledgra::ResultText(2)}
                           : QStringList());
    QCOMPARE(Fake().Calls(), (QStringList{"FNGetInfoExchangeStatus", "Disconnect"}));
    // The button asks again.
    Fake().DefaultAnswer(MethodId::FNGetInfoExchangeStatus, 0, {{PropertyId::MessageCount, 1}});
    Click(page, "btnUpdate");
    QVERIFY(Find<QLabel>(page, "lblInfo")
                ->text()
                .startsWith(QStringLiteral("Кол-во неотправленных документов в ОФД: 1\r\n")));
    RunNext(page);
    QCOMPARE(Controller().NextPageClass, QByteArray("TfmFinalMessage"));
}

// ---------------------------------------------------------------- check steps

void TstWizardNetwork::checkStepRepeatsAfterFailure() {
    Fake().SetNetwork(1, {0}, {10, 0, 0, 5}, 7778);
    Fake().DefaultAnswer(MethodId::GetECRStatus, int(RC::NoLink));
    TfmCheckEthernet page;
    QCOMPARE(page.windowTitle(), QStringLiteral("Проверка связи по Ethernet"));
    ShowStep(page);
    auto* repeat = Find<QPushButton>(page, "btnRepeat");
    auto* stop = Find<QPushButton>(page, "btnStop");
    auto* status = Find<QLabel>(page, "lblStatus");
    QVERIFY(FWindow.NoneEnabled());
    QVERIFY(!repeat->isEnabled());
    QVERIFY(stop->isEnabled());
    const QString error = ConnectError(QStringLiteral("10.0.0.5"), 7778, int(RC::NoLink));
    QTRY_COMPARE(status->text(), error);
    QTRY_VERIFY(FWindow.AllEnabled()); // Next after a failure as after a success
    QVERIFY(repeat->isEnabled());
    QVERIFY(!stop->isEnabled());
    QCOMPARE(Fake().CallCount(MethodId::GetECRStatus), 1);

    // "Повторить" runs the whole check again, now with the register reachable.
    Fake().DefaultAnswer(MethodId::GetECRStatus, 0);
    repeat->click();
    QVERIFY(FWindow.NoneEnabled());
    QTRY_COMPARE(status->text(), Connected(QStringLiteral("10.0.0.5"), 7778));
    QTRY_VERIFY(FWindow.AllEnabled());
    QCOMPARE(Fake().CallCount(MethodId::GetECRStatus), 2);
    QCOMPARE(Fake().Log().count(QStringLiteral("Set FieldNumber=1")), 2);
    RunNext(page);
    QCOMPARE(Controller().NextPageClass, QByteArray("TfmOFDExchangeState"));
}

void TstWizardNetwork::checkStepStopDuringDhcpWait() {
    Fake().SetNetwork(0, {0}, {10, 0, 0, 5}, 7778);
    TfmCheckRNDIS page;
    QCOMPARE(page.windowTitle(), QStringLiteral("Проверка связи по RNDIS"));
    ShowStep(page);
    auto* status = Find<QLabel>(page, "lblStatus");
    QTRY_COMPARE(status->text(), QStringLiteral("Ожидание получения IP адреса..."));
    QVERIFY(FWindow.NoneEnabled());
    Click(page, "btnStop");
    QTRY_VERIFY(FWindow.AllEnabled());
    QCOMPARE(status->text(), QStringLiteral("Операция отменена"));
    QVERIFY(page.Task().State().UserCancelled());
    QVERIFY(Find<QPushButton>(page, "btnRepeat")->isEnabled());
    QVERIFY(!Find<QPushButton>(page, "btnStop")->isEnabled());
}

void TstWizardNetwork::checkStepDestroyedWhileRunning() {
    Fake().SetNetwork(0, {0}, {10, 0, 0, 5}, 7778);
    {
        TfmCheckEthernet page;
        ShowStep(page);
        QTRY_COMPARE(page.Task().State().Text(), QStringLiteral("Ожидание получения IP адреса..."));
    } // stops and frees the task
    QTest::qWait(50);
    QVERIFY(FWindow.NoneEnabled()); // the gone step's completion never ran
    QCOMPARE(Fake().CallCount(MethodId::GetECRStatus), 0);
}

// ---------------------------------------------------------------- end to end

void TstWizardNetwork::endToEndEthernetCheck_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("daemonPort");
    QTest::addColumn<bool>("reachable");
    QTest::newRow("the daemon") << "127.0.0.1" << true << true;
    QTest::newRow("closed port") << "127.0.0.1" << false << false;
    // The daemon listens on 127.0.0.1 only: the register's address must be
    // the one dialled, not the component's saved one.
    QTest::newRow("another address") << "127.0.0.2" << true << false;
}

void TstWizardNetwork::endToEndEthernetCheck() {
    QFETCH(QString, address);
    QFETCH(bool, daemonPort);
    QFETCH(bool, reachable);
    F.UseVirtualRegister();
    // The daemon serves the same register database as the wizard's own object.
    DaemonProcess daemon;
    const int served = StartDaemon(daemon, F.Dir->Path());
    QVERIFY2(served > 0, qPrintable(daemon.Output()));
    const int port = daemonPort ? served : ClosedPort();

    TfmEthernetParams eth;
    ShowStep(eth);
    QCOMPARE(F.Shown, QStringList());
    Find<QCheckBox>(eth, "chkDHCP")->setChecked(false);
    Fill(eth, {address, "255.0.0.0", "127.0.0.254", "127.0.0.53", QString::number(port)});
    {
        TInfoBox box;
        RunNext(eth);
        QCOMPARE(F.Shown, QStringList());
        QVERIFY(box.Text.startsWith(QStringLiteral("Настройки Ethernet успешно записаны.")));
    }
    QCOMPARE(Controller().NextPageClass, QByteArray("TfmCheckEthernet"));

    TfmCheckEthernet check;
    ShowStep(check);
    auto* status = Find<QLabel>(check, "lblStatus");
    QTRY_VERIFY_WITH_TIMEOUT(FWindow.AllEnabled(), 20000);
    const QString text = status->text();
    if (reachable) {
        QCOMPARE(text, Connected(address, port));
    } else {
        // The description is the transport's own reason for the failure.
        QVERIFY2(text.startsWith(
                     QStringLiteral("Ошибка подключения к : %1:%2, ").arg(address).arg(port)),
                 qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral(" \r\nПроверьте настройки сети")), qPrintable(text));
    }
}

void TstWizardNetwork::endToEndDhcpCheck() {
    F.UseVirtualRegister();
    // A fresh register uses DHCP; the daemon's start begins its lease and
    // gives it the address and port it serves.
    DaemonProcess daemon;
    const int served = StartDaemon(daemon, F.Dir->Path());
    QVERIFY2(served > 0, qPrintable(daemon.Output()));
    TfmCheckEthernet check;
    ShowStep(check);
    QTRY_COMPARE(check.Task().State().Text(), QStringLiteral("Ожидание получения IP адреса..."));
    QTRY_VERIFY_WITH_TIMEOUT(FWindow.AllEnabled(), 20000);
    QCOMPARE(Find<QLabel>(check, "lblStatus")->text(),
             Connected(QStringLiteral("127.0.0.1"), served));
}

void TstWizardNetwork::endToEndStopDuringDhcpWait() {
    F.UseVirtualRegister();
    TfmEthernetParams eth;
    ShowStep(eth);
    Find<QCheckBox>(eth, "chkDHCP")->setChecked(true);
    {
        TInfoBox box;
        RunNext(eth);
        QCOMPARE(F.Shown, QStringList());
    }
    // The register has just been told to use DHCP: its lease is still pending.
    TfmCheckEthernet check;
    ShowStep(check);
    auto* status = Find<QLabel>(check, "lblStatus");
    QTRY_COMPARE(check.Task().State().Text(), QStringLiteral("Ожидание получения IP адреса..."));
    Click(check, "btnStop");
    QTRY_VERIFY(FWindow.AllEnabled());
    QCOMPARE(status->text(), QStringLiteral("Операция отменена"));
}

QTEST_MAIN(TstWizardNetwork)
#include "tst_wizard_network.moc"
