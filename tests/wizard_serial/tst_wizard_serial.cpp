// The serial search: what a port's display name and hardware id say, the
// rate table, the probe of one port against a scripted register, the steps
// "Поиск устройств" and "Параметры подключения по TCP", and the real search
// over the embedded register and a pty of vregisterd.

#include "ledgra/LedgraComponent.h"
#include "platform/LedgraErrors.h"
#include "platform/PortMap.h"
#include "tests/support/DaemonProcess.h"
#include "tests/support/WizardTestSupport.h"
#include "wizard/search/ComportUtils.h"
#include "wizard/search/fmuSearchDevice.h"
#include "wizard/search/fmuTCPParams.h"
#include "wizard/search/untLedgraSearchDevice.h"
#include "wizard/search/untTCPDeviceSearch.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QThread>
#include <QTreeWidget>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

constexpr char kFakeClass[] = "{6A3E41C2-0D55-4F0B-9E1A-5B7C2D9F0A31}";

// A register on a wire: it answers only at its own rate code; at any other
// the request goes unanswered (after `silenceMs`).
class TWireRegister : public FakeLedgra {
public:
    explicit TWireRegister(int rateCode = 6, int silenceMs = 0)
        : FRateCode(rateCode), FSilenceMs(silenceMs) {
        DefaultAnswer(
            MethodId::GetDeviceMetrics, 0,
            {{PropertyId::UModel, 19}, {PropertyId::UDescription, QStringLiteral(" ККТ-Тест  ")}});
        DefaultAnswer(MethodId::ReadSerialNumber, 0,
                      {{PropertyId::SerialNumber, QStringLiteral("0012345678 ")}});
    }
    int Invoke(MethodId id) override {
        const bool device = id == MethodId::GetDeviceMetrics || id == MethodId::ReadSerialNumber;
        if (device && Get(PropertyId::BaudRate).toInt() != FRateCode) {
            if (FSilenceMs)
                QThread::msleep(FSilenceMs);
            Answer(id, -1); // "Нет связи"
        }
        return FakeLedgra::Invoke(id);
    }
    // The BaudRate codes set, in order.
    QList<int> RatesTried() const {
        QList<int> r;
        for (const QString& e : Log())
            if (e.startsWith(QLatin1String("Set BaudRate=")))
                r << e.mid(13).toInt();
        return r;
    }

private:
    int FRateCode;
    int FSilenceMs;
};

// The main window as far as the steps use it: the Next button's state.
class TWindow : public IWizardWindow {
public:
    bool Next = true;
    int NextPressed = 0;
    void DoNext() override { ++NextPressed; }
    void DoPrev() override {}
    void ShowFirstPage() override {}
    bool NextEnabled() const override { return Next; }
    bool PrevEnabled() const override { return true; }
    void SetNextEnabled(bool value) override { Next = value; }
    void SetPrevEnabled(bool) override {}
    void SetHomeEnabled(bool) override {}
    void SetSettingsEnabled(bool) override {}
    TParamPage* PageByClass(const char*) const override { return nullptr; }
};

TSearchParamsRec Port(int com) {
    TSearchParamsRec p;
    p.PortNumber = com;
    p.Timeout = 300;
    return p;
}

// Only the ports a test enters are there: no ttyS, no embedded register.
void EmptyPortMap() {
    for (int com : {1, 2, 3, 4, Platform::kEmbeddedComNumber})
        Platform::SetPortEntry(com, QString());
}

} // namespace

class TestWizardSerial : public QObject {
    Q_OBJECT
    TWizardFake<> F{kFakeClass};
    TWindow Window;

private slots:
    void initTestCase() { F.RegisterWithVirtualRegister(); }
    void init() {
        Window = TWindow();
        F.Init(&Window);
    }
    void cleanup() { F.Cleanup(); }

    void comNumberOfFriendlyName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("com");
        QTest::newRow("usb") << "USB Serial Device (COM5)" << 5;
        QTest::newRow("two digits, text after") << "Prolific (COM12) adapter" << 12;
        QTest::newRow("printer") << "ECP Printer Port (LPT1)" << -1;
        QTest::newRow("printer before com") << "Port (LPT1) (COM3)" << -1;
        QTest::newRow("no number") << "Port (COM)" << -1;
        QTest::newRow("not a number") << "Port (COMx)" << -1;
        QTest::newRow("negative") << "Port (COM-3)" << -1;
        QTest::newRow("blank inside") << "Port (COM 3)" << -1;
        QTest::newRow("no closing bracket") << "Port (COM5" << -1;
        QTest::newRow("no com") << "Bluetooth link" << -1;
        QTest::newRow("lower case") << "port (com4)" << -1;
    }
    void comNumberOfFriendlyName() {
        QFETCH(QString, name);
        QFETCH(int, com);
        QCOMPARE(ComNumberOfFriendlyName(name), com);
    }

    void usbIds_data() {
        QTest::addColumn<QString>("hw");
        QTest::addColumn<int>("vid");
        QTest::addColumn<int>("pid");
        QTest::newRow("usb") << "USB\\VID_0403&PID_6001" << 0x0403 << 0x6001;
        QTest::newRow("lower case") << "usb\\vid_0e8d&pid_2000" << 0x0E8D << 0x2000;
        QTest::newRow("modem product") << "USB\\VID_1234&PID_2012&MI_00" << 0x1234 << 0x2012;
        QTest::newRow("pid first") << "FTDIBUS\\PID_6001+VID_0403+A1" << 0x0403 << 0x6001;
        QTest::newRow("no vid: pid ignored") << "ACPI\\PID_2012" << 0 << 0;
        QTest::newRow("no ids") << "ROOT\\VEXA_VREGISTER" << 0 << 0;
        QTest::newRow("vid unreadable") << "USB\\VID_ZZ01&PID_6001" << 0 << 0x6001;
        QTest::newRow("vid cut short") << "USB\\VID_04" << 0 << 0;
        QTest::newRow("0x is no hex id") << "USB\\VID_0x12&PID_0x34" << 0 << 0;
        QTest::newRow("pid absent") << "USB\\VID_067B" << 0x067B << 0;
    }
    void usbIds() {
        QFETCH(QString, hw);
        QFETCH(int, vid);
        QFETCH(int, pid);
        QCOMPARE(VendorIdOfHWStr(hw), vid);
        QCOMPARE(ProductIdOfHWStr(hw), pid);
    }

    // Modems and phones of the skipped USB ids are never probed.
    void portToProbe_data() {
        QTest::addColumn<QString>("hw");
        QTest::addColumn<int>("com");
        QTest::addColumn<bool>("probed");
        QTest::newRow("usb adapter") << "USB\\VID_0403&PID_6001" << 5 << true;
        QTest::newRow("skipped vendor") << "USB\\VID_0E8D&PID_0003" << 5 << false;
        QTest::newRow("skipped vendor, lower case") << "usb\\vid_0e8d&pid_0003" << 5 << false;
        QTest::newRow("skipped product") << "USB\\VID_1234&PID_2012" << 5 << false;
        QTest::newRow("product without vendor") << "ACPI\\PID_2012" << 5 << true;
        QTest::newRow("no usb ids") << "ROOT\\VEXA_VREGISTER" << 200 << true;
        QTest::newRow("no com number") << "USB\\VID_0403&PID_6001" << -1 << false;
    }
    void portToProbe() {
        QFETCH(QString, hw);
        QFETCH(int, com);
        QFETCH(bool, probed);
        TSerialPortRec port;
        port.HWStr = hw;
        port.ComNumber = com;
        QCOMPARE(TfmSearchDevice::PortToProbe(port), probed);
    }

    // The port list of the port map: the embedded register and an entered
    // tty, each with its COM number; a removed one is gone.
    void enumPorts() {
        EmptyPortMap();
        Platform::SetPortEntry(Platform::kEmbeddedComNumber,
                               QLatin1String(Platform::kEmbeddedDevice));
        Platform::SetPortEntry(7, QStringLiteral("/dev/null"));
        TSerialPorts ports;
        ports.EnumPorts();
        QCOMPARE(ports.Count(), 2);
        const int embedded = ports.IndexOfComNumber(Platform::kEmbeddedComNumber);
        QVERIFY(embedded >= 0);
        QCOMPARE(ports.Items(embedded).Name, QStringLiteral("COM200"));
        QVERIFY(ports.Items(embedded).FriendlyName.endsWith(QLatin1String("(COM200)")));
        QCOMPARE(ports.Items(ports.IndexOfComNumber(7)).Name, QStringLiteral("COM7"));
        QCOMPARE(ports.IndexOfComNumber(1), -1);
    }

    void baudrates_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("code");
        const int rates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
        for (int code = 0; code < 10; ++code)
            QTest::addRow("%d", rates[code]) << rates[code] << code;
    }
    void baudrates() {
        QFETCH(int, rate);
        QFETCH(int, code);
        QCOMPARE(TLedgraBaudrate::ToCode(rate), code);
        QCOMPARE(TLedgraBaudrate::ToBaudrate(code), rate);
    }
    void unknownBaudrates() {
        QCOMPARE(TLedgraBaudrate::ToCode(14400), 6);
        QCOMPARE(TLedgraBaudrate::ToCode(0), 6);
        QCOMPARE(TLedgraBaudrate::ToBaudrate(10), 115200);
        QCOMPARE(TLedgraBaudrate::ToBaudrate(-1), 115200);
    }

    // A register at 4800 is found on the second rate tried, and the text,
    // name, serial, model and the rate kept say so.
    void probeFindsSecondRate() {
        auto reg = std::make_shared<TWireRegister>(1);
        TLedgraSearchDevice search(reg);
        QCOMPARE(search.GetBaudrates(), (std::vector<int>{115200, 4800, 230400, 460800, 921600,
                                                          57600, 19200, 9600, 38400, 2400}));
        search.SetParams(Port(7));
        search.Search();
        search.WaitFor();
        const TSearchState s = search.GetState();
        QVERIFY(s.Finished);
        QVERIFY(s.Succeded);
        QCOMPARE(s.Text, QStringLiteral("ККТ-Тест, COM7, 4800, ЗН: 0012345678"));
        QCOMPARE(s.DeviceID, 19);
        QCOMPARE(search.GetName(), QStringLiteral("ККТ-Тест"));
        QCOMPARE(search.GetSerial(), QStringLiteral("0012345678"));
        QCOMPARE(search.GetParams().Baudrate, 4800);
        QCOMPARE(reg->RatesTried(), (QList<int>{6, 1}));
        // Every probe holds the port and gives it back.
        QCOMPARE(reg->CallCount(MethodId::LockPort), 2);
        QCOMPARE(reg->CallCount(MethodId::UnlockPort), 2);
        QVERIFY(reg->Log().contains(QStringLiteral("Set ComNumber=7")));
        QVERIFY(reg->Log().contains(QStringLiteral("Set MaxCommandSendCount=1")));
        QCOMPARE(reg->Calls().last(), QStringLiteral("Disconnect"));
    }

    // What the text says when the metrics answer with a register error or
    // the serial cannot be read.
    void probeText_data() {
        QTest::addColumn<int>("metricsCode");
        QTest::addColumn<int>("serialCode");
        QTest::addColumn<QString>("text");
        QTest::newRow("clean") << 0 << 0 << "ККТ-Тест, COM3, 115200, ЗН: 0012345678";
        QTest::newRow("metrics error") << 0x37 << 0
                                       << "ККТ-Тест, COM3, 115200, ЗН: 0012345678: 55, Команда не "
                                          "поддерживается в данной реализации ККТ";
        QTest::newRow("serial unread") << 0 << 0x34 << "ККТ-Тест, COM3, 115200, ЗН: Нет данных";
    }
    void probeText() {
        QFETCH(int, metricsCode);
        QFETCH(int, serialCode);
        QFETCH(QString, text);
        auto reg = std::make_shared<TWireRegister>(6);
        reg->Answer(
            MethodId::GetDeviceMetrics, metricsCode,
            {{PropertyId::UModel, 19}, {PropertyId::UDescription, QStringLiteral("ККТ-Тест")}});
        if (serialCode)
            reg->Answer(MethodId::ReadSerialNumber, serialCode);
        TLedgraSearchDevice search(reg);
        search.SetParams(Port(3));
        search.Search();
        search.WaitFor();
        QVERIFY(search.GetState().Succeded);
        QCOMPARE(search.GetState().Text, text);
    }

    // Nothing answers at any rate: "Не найдено" after all ten, each probe
    // given back.
    void probeNotFound() {
        auto reg = std::make_shared<TWireRegister>(-1);
        TLedgraSearchDevice search(reg);
        search.SetParams(Port(4));
        search.Search();
        search.WaitFor();
        QVERIFY(search.GetState().Finished);
        QVERIFY(!search.GetState().Succeded);
        QCOMPARE(search.GetState().Text, QStringLiteral("Не найдено"));
        QCOMPARE(reg->CallCount(MethodId::GetDeviceMetrics), 10);
        QCOMPARE(reg->CallCount(MethodId::UnlockPort), 10);
    }

    // A port another program holds is never probed and is not found.
    void probeLockFails() {
        auto reg = std::make_shared<TWireRegister>(6);
        reg->DefaultAnswer(MethodId::LockPort, -3);
        TLedgraSearchDevice search(reg);
        search.SetParams(Port(5));
        search.Search();
        search.WaitFor();
        QVERIFY(search.GetState().Finished);
        QVERIFY(!search.GetState().Succeded);
        QCOMPARE(search.GetState().Text, QStringLiteral("Не найдено"));
        QCOMPARE(reg->CallCount(MethodId::GetDeviceMetrics), 0);
        QCOMPARE(reg->CallCount(MethodId::UnlockPort), 0);
    }

    // Stop ends a search between two rates with "Поиск отменен", without
    // waiting for the rates left; Stop before the thread runs is not lost.
    void probeCancel() {
        auto reg = std::make_shared<TWireRegister>(-1, 100);
        TLedgraSearchDevice search(reg);
        search.SetParams(Port(6));
        search.Search();
        QTRY_VERIFY_WITH_TIMEOUT(reg->CallCount(MethodId::GetDeviceMetrics) >= 1, 2000);
        QElapsedTimer t;
        t.start();
        search.Stop();
        QVERIFY(t.elapsed() < 50); // Stop does not wait
        search.WaitFor();
        QVERIFY(search.GetState().Finished);
        QVERIFY(!search.GetState().Succeded);
        QCOMPARE(search.GetState().Text, QStringLiteral("Поиск отменен"));
        QVERIFY(reg->CallCount(MethodId::GetDeviceMetrics) <= 2);

        auto other = std::make_shared<TWireRegister>(-1, 100);
        TLedgraSearchDevice early(other);
        early.SetParams(Port(6));
        early.Search();
        early.Stop();
        early.WaitFor();
        QCOMPARE(early.GetState().Text, QStringLiteral("Поиск отменен"));
        QVERIFY(other->CallCount(MethodId::GetDeviceMetrics) <= 1);
    }

    // A port that vanishes while it is probed (its pty closed and its entry
    // gone) ends as "Не найдено", without waiting out every rate.
    void probeVanishingPort() {
        F.UseVirtualRegister();
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        const QString path = QString::fromLocal8Bit(ptsname(master));
        QVERIFY(Platform::SetPortEntry(9, path));
        TLedgraSearchDevice search;
        search.SetParams(Port(9));
        QElapsedTimer t;
        t.start();
        search.Search();
        QTRY_VERIFY_WITH_TIMEOUT(search.GetState().Text == QStringLiteral("Поиск: 115200"), 2000);
        QTest::qWait(200); // the first probe waits for its answer
        ::close(master);
        Platform::RemovePortEntry(9);
        search.WaitFor();
        QVERIFY(search.GetState().Finished);
        QVERIFY(!search.GetState().Succeded);
        QCOMPARE(search.GetState().Text, QStringLiteral("Не найдено"));
        QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
    }

    // Without ports every search is trivially over: "Поиск завершен" at the
    // first tick, the list empty, Next off.
    void stepNoPorts() {
        EmptyPortMap();
        TfmSearchDevice page;
        page.OnShow();
        QVERIFY(page.Searches().empty());
        QVERIFY(!Window.Next);
        auto* status = Find<QLabel>(page, "lblStatus");
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Поиск завершен"), 1000);
        QVERIFY(Find<QPushButton>(page, "btnRepeat")->isEnabled());
        QVERIFY(!Find<QPushButton>(page, "btnStop")->isEnabled());
        QCOMPARE(Find<QListWidget>(page, "lvDevices")->count(), 0);
    }

    // Ports of the skipped USB ids are never probed; the others are, each
    // with a search of its own, and a register found is listed once; Next is
    // on exactly while an item is selected.
    void stepProbesAndLists() {
        EmptyPortMap();
        Platform::SetPortEntry(Platform::kEmbeddedComNumber,
                               QLatin1String(Platform::kEmbeddedDevice));
        TfmSearchDevice page;
        page.SearchFactory = [] {
            return std::make_shared<TLedgraSearchDevice>(std::make_shared<TWireRegister>(6));
        };
        page.OnShow();
        QCOMPARE(int(page.Searches().size()), 1);
        QCOMPARE(page.Searches().front()->GetParams().PortNumber, 200);
        auto* list = Find<QListWidget>(page, "lvDevices");
        QTRY_COMPARE_WITH_TIMEOUT(list->count(), 1, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(Find<QLabel>(page, "lblStatus")->text(),
                                  QStringLiteral("Поиск завершен"), 1000);
        QTest::qWait(250);
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("ККТ-Тест, COM200, 115200, ЗН: 0012345678"));
        QCOMPARE(list->item(0)->data(Qt::UserRole).toInt(), 200);
        QVERIFY(!Window.Next);
        list->setCurrentRow(0);
        QVERIFY(Window.Next);
        list->clearSelection();
        QVERIFY(!Window.Next);
    }

    // Next connects the wizard's driver to the port at the rate found and
    // refuses a firmware dated before 24 October 2018.
    void stepNextFirmwareDate_data() {
        QTest::addColumn<QDateTime>("softDate");
        QTest::addColumn<QString>("error");
        QTest::newRow("23 October 2018")
            << QDateTime(QDate(2018, 10, 23), QTime(0, 0))
            << "Прошивка ККТ устарела (23.10.2018 00:00:00).\r\n Требуется обновить прошивку";
        QTest::newRow("24 October 2018")
            << QDateTime(QDate(2018, 10, 24), QTime(0, 0)) << QString();
    }
    void stepNextFirmwareDate() {
        QFETCH(QDateTime, softDate);
        QFETCH(QString, error);
        EmptyPortMap();
        Platform::SetPortEntry(Platform::kEmbeddedComNumber,
                               QLatin1String(Platform::kEmbeddedDevice));
        F.Fake->DefaultAnswer(MethodId::GetECRStatus, 0, {{PropertyId::ECRSoftDate, softDate}});
        TfmSearchDevice page;
        page.SearchFactory = [] {
            return std::make_shared<TLedgraSearchDevice>(std::make_shared<TWireRegister>(1));
        };
        page.OnShow();
        auto* list = Find<QListWidget>(page, "lvDevices");
        QTRY_COMPARE_WITH_TIMEOUT(list->count(), 1, 5000);
        list->setCurrentRow(0);
        F.Fake->ClearLog();
        QString shown;
        try {
            page.Next();
        } catch (const EError& e) {
            shown = e.Message();
        }
        QCOMPARE(shown, error);
        QCOMPARE(Controller().NextPageClass, QByteArray("TfmSelectWorkType"));
        QCOMPARE(Controller().KKTName, QStringLiteral("ККТ-Тест"));
        QCOMPARE(Controller().KKTSN, QStringLiteral("0012345678"));
        const QStringList log = F.Fake->Log();
        for (const char* set :
             {"Set ConnectionType=0", "Set ComNumber=200", "Set BaudRate=1", "Set Timeout=1000"})
            QVERIFY2(log.contains(QLatin1String(set)), set);
        QCOMPARE(F.Fake->Calls().last(), QStringLiteral("Disconnect"));
    }

    // Back stops the searches and gives Next back.
    void stepBackStops() {
        EmptyPortMap();
        Platform::SetPortEntry(Platform::kEmbeddedComNumber,
                               QLatin1String(Platform::kEmbeddedDevice));
        TfmSearchDevice page;
        page.SearchFactory = [] {
            return std::make_shared<TLedgraSearchDevice>(std::make_shared<TWireRegister>(-1, 50));
        };
        page.OnShow();
        page.Prev();
        QVERIFY(Window.Next);
        QTRY_COMPARE_WITH_TIMEOUT(page.Searches().front()->GetState().Text,
                                  QStringLiteral("Поиск отменен"), 2000);
    }

    // A wrong address or port is refused before anything is sent.
    void tcpCheckRefusesInput_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("error");
        QTest::newRow("octet too large")
            << "192.168.1.300"
            << "7778"
            << "Неверный IP адрес или имя устройства: \"192.168.1.300\"";
        QTest::newRow("three octets") << "10.0.1"
                                      << "7778"
                                      << "Неверный IP адрес или имя устройства: \"10.0.1\"";
        QTest::newRow("blank") << ""
                               << "7778"
                               << "Неверный IP адрес или имя устройства: \"\"";
        QTest::newRow("bad name") << "kkt_1;rm"
                                  << "7778"
                                  << "Неверный IP адрес или имя устройства: \"kkt_1;rm\"";
        QTest::newRow("port too large")
            << "10.0.0.5"
            << "65536"
            << "Неверный номер порта: \"65536\". Допустимы значения от 0 до 65535";
        QTest::newRow("port empty")
            << "kkt-1.local"
            << ""
            << "Неверный номер порта: \"\". Допустимы значения от 0 до 65535";
    }
    void tcpCheckRefusesInput() {
        QFETCH(QString, address);
        QFETCH(QString, port);
        QFETCH(QString, error);
        TfmTCPParams page(nullptr, 0);
        page.OnShow();
        Find<QLineEdit>(page, "edtIP")->setText(address);
        Find<QLineEdit>(page, "edtPort")->setText(port);
        F.Fake->ClearLog();
        Click(page, "btnCheck");
        QCOMPARE(F.Shown, QStringList{error});
        QVERIFY(F.Fake->Log().isEmpty());
    }

    // The test over TCP: the found register's name and serial, Next on; no
    // answer: the message and Next off. The link is given up either way.
    void tcpCheck() {
        TfmTCPParams page(nullptr, 0);
        F.Fake->Preset(PropertyId::ComputerName, QStringLiteral("10.0.0.5"));
        F.Fake->Preset(PropertyId::TCPPort, 7778);
        page.OnShow();
        QCOMPARE(Find<QLineEdit>(page, "edtIP")->text(), QStringLiteral("10.0.0.5"));
        QCOMPARE(Find<QLineEdit>(page, "edtPort")->text(), QStringLiteral("7778"));
        QVERIFY(!Window.Next);
        F.Fake->DefaultAnswer(MethodId::ReadSerialNumber, 0,
                              {{PropertyId::SerialNumber, QStringLiteral(" 0000000042 ")}});
        F.Fake->DefaultAnswer(MethodId::GetDeviceMetrics, 0,
                              {{PropertyId::UDescription, QStringLiteral("ККТ-Тест ")}});
        F.Fake->ClearLog();
        Click(page, "btnCheck");
        QVERIFY(F.Shown.isEmpty());
        QCOMPARE(Find<QLabel>(page, "lblInfo")->text(),
                 QStringLiteral("Найдено устройство ККТ-Тест, Зав. номер: 0000000042\r\nДля "
                                "продолжения нажмите \"Далее\""));
        QCOMPARE(Controller().KKTSN, QStringLiteral("0000000042"));
        QVERIFY(Window.Next);
        const QStringList log = F.Fake->Log();
        for (const char* set :
             {"Set ConnectionType=6", "Set ComputerName=10.0.0.5", "Set UseIPAddress=0",
              "Set TCPPort=7778", "Set TCPConnectionTimeout=2000"})
            QVERIFY2(log.contains(QLatin1String(set)), set);
        QCOMPARE(F.Fake->Calls().last(), QStringLiteral("Disconnect"));

        F.Fake->Answer(MethodId::GetECRStatus, -1);
        Click(page, "btnCheck");
        QCOMPARE(Find<QLabel>(page, "lblInfo")->text(), QStringLiteral("Нет связи с устройством"));
        QVERIFY(!Window.Next);
        QCOMPARE(F.Fake->Calls().last(), QStringLiteral("Disconnect"));
    }

    // Registers announcing themselves fill the list, a repeated serial once;
    // a click copies address and port; Back stops listening.
    void tcpAnnouncements() {
        TfmTCPParams page(nullptr, 0);
        page.OnShow();
        page.Listener().HandleDatagram("SN=0000000042;IP=10.0.0.7; port=7778");
        page.Listener().HandleDatagram("SN=0000000042;IP=10.0.0.7; port=7778");
        page.Listener().HandleDatagram("SN=0000000043;IP=10.0.0.8; port=7779");
        auto* list = Find<QTreeWidget>(page, "lvDevices");
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("0000000043"));
        list->setCurrentItem(list->topLevelItem(1));
        emit list->itemClicked(list->topLevelItem(1), 0);
        QCOMPARE(Find<QLineEdit>(page, "edtIP")->text(), QStringLiteral("10.0.0.8"));
        QCOMPARE(Find<QLineEdit>(page, "edtPort")->text(), QStringLiteral("7779"));
        page.Prev();
        QVERIFY(!page.Listener().Active());
        QCOMPARE(page.Listener().Items().Count(), 0);
        QVERIFY(Window.Next);
    }

    // The real search: the embedded register as COM200 and vregisterd's pty,
    // listed by the port list, found at 115200 with their exact texts.
    void endToEndPty() {
        F.UseVirtualRegister();
        EmptyPortMap();
        Platform::SetPortEntry(Platform::kEmbeddedComNumber,
                               QLatin1String(Platform::kEmbeddedDevice));
        // What the register says of itself, asked directly.
        QString description;
        QString serial;
        {
            TLedgra d(Platform::CreateComponent());
            QCOMPARE(d.GetDeviceMetrics(), 0);
            description = d.UDescription().trimmed();
            QCOMPARE(d.ReadSerialNumber(), 0);
            serial = d.SerialNumber().trimmed();
            d.Disconnect();
        }
        QVERIFY(!description.isEmpty());

        DaemonProcess daemon;
        QVERIFY2(
            daemon.Start(QStringLiteral(VREGISTERD_PATH), F.Dir->Path(), {QStringLiteral("--pty")}),
            qPrintable(daemon.Output()));
        QCOMPARE(daemon.Ptys().size(), 1);
        const int ptyCom = daemon.Ptys().front().com;

        TSerialPorts ports;
        ports.EnumPorts();
        QVERIFY(ports.IndexOfComNumber(ptyCom) >= 0);
        QVERIFY(ports.IndexOfComNumber(Platform::kEmbeddedComNumber) >= 0);

        std::vector<std::unique_ptr<TLedgraSearchDevice>> searches;
        for (int com : {ptyCom, Platform::kEmbeddedComNumber}) {
            searches.push_back(std::make_unique<TLedgraSearchDevice>());
            searches.back()->SetParams(Port(com));
            searches.back()->Search();
        }
        for (auto& s : searches)
            s->WaitFor();
        QCOMPARE(
            searches[0]->GetState().Text,
            QStringLiteral("%1, COM%2, 115200, ЗН: %3").arg(description).arg(ptyCom).arg(serial));
        QCOMPARE(searches[1]->GetState().Text,
                 QStringLiteral("%1, COM200, 115200, ЗН: %2").arg(description, serial));
        QVERIFY(searches[0]->GetState().Succeded);
        QCOMPARE(searches[0]->GetParams().Baudrate, 115200);
        QVERIFY(daemon.Stop());
    }
};

QTEST_MAIN(TestWizardSerial)
#include "tst_wizard_serial.moc"
