// The whole wizard as the operator drives it: the real main window with the
// real step list, its Next / Back / Home buttons, the embedded virtual
// register as COM200 and vregisterd serving the same register over TCP (and
// a pty), so the search, the network-link check and the TCP step reach a
// register over real links.

#include "common/RunHandler.h"
#include "common/untRNM.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "platform/PortMap.h"
#include "tests/support/DaemonProcess.h"
#include "tests/support/TestDataDir.h"
#include "tests/support/WidgetTestSupport.h"
#include "wizard/WizardSteps.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"
#include "wizard/registration/untRegChecks.h"
#include "wizard/search/fmuSearchDevice.h"
#include "wizard/search/fmuTCPParams.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTreeWidget>
#include <QUdpSocket>
#include <QtTest>
#include <algorithm>

// Runs a helper that may fail a check, and leaves the test when it did.
#define STEP(call)                                                                                 \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (0)

namespace {

const QString kConnected = QStringLiteral("Связь успешно установлена: %1:%2\r\nНажмите \"Далее\"");

// The register as a test sets it up and reads it, through an object of its
// own on the embedded register of the current data folder.
struct TRegisterFacts {
    QString name;
    QString serial;
    int unsent = 0;
};

const QString kSerial = QStringLiteral("0000001234567890");

// Gives the register a serial number, takes the operator's link down,
// registers it and opens a shift, so documents wait for the operator.
void PrepareRegister(TRegisterFacts* facts) {
    auto comp = std::make_shared<TLedgraComponent>();
    TLedgra d(comp);
    QString text;
    QCOMPARE(comp->ServiceCommand(QStringLiteral("offline"), &text), 0);
    d.SetSerialNumber(kSerial);
    QCOMPARE(d.SetSerialNumber(), 0);
    const QString inn = QStringLiteral("1234567894");
    d.SetReportTypeInt(0);
    QCOMPARE(d.FNBeginRegistrationReport(), 0);
    d.SetINN(inn);
    d.SetKKTRegistrationNumber(GenerateRNM(QStringLiteral("1"), inn, kSerial, TRNMLongValues::Cut));
    d.SetWorkMode(0);
    d.SetTaxType(1);
    QCOMPARE(d.FNBuildRegistrationReport(), 0);
    QCOMPARE(d.FNBeginOpenSession(), 0);
    QCOMPARE(d.OpenSession(), 0);

    QCOMPARE(d.GetDeviceMetrics(), 0);
    facts->name = d.UDescription().trimmed();
    QCOMPARE(d.ReadSerialNumber(), 0);
    facts->serial = d.SerialNumber().trimmed();
    QCOMPARE(d.FNGetInfoExchangeStatus(), 0);
    facts->unsent = d.MessageCount();
    d.Disconnect();
}

// Only the embedded register (COM200) stays in the port map: the host's own
// ttys are hidden, so the search probes nothing but what the test starts.
void HideHostPorts() {
    for (const Platform::PortEntry& e : Platform::PortMap())
        if (e.comNumber != Platform::kEmbeddedComNumber)
            Platform::SetPortEntry(e.comNumber, QString());
}

quint16 FreeUdpPort() {
    QUdpSocket s;
    s.bind(QHostAddress::LocalHost, 0);
    return s.localPort();
}

// The real step list with the TCP step listening for announcements on the
// test's own UDP port (the default one may be taken on a busy machine).
std::vector<TStepDef> StepsListeningOn(quint16 announcePort) {
    std::vector<TStepDef> steps = WizardSteps();
    for (TStepDef& def : steps)
        if (qstrcmp(def.className, "TfmTCPParams") == 0)
            def.create = [announcePort] { return new TfmTCPParams(nullptr, announcePort); };
    return steps;
}

} // namespace

class TestWizardE2E : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDataDir> FDir;
    std::unique_ptr<DaemonProcess> FDaemon;
    std::unique_ptr<TfmMain> W;
    QStringList FErrors;

    QString Title() { return Find<QLabel>(*W, "lblTitle")->text(); }
    QPushButton* Button(const char* name) { return Find<QPushButton>(*W, name); }
    template <class T> T* Ctl(const char* name) {
        T* c = Controller().CurrentPage->findChild<T*>(QLatin1String(name));
        if (!c)
            qFatal("the step %s has no %s", Controller().CurrentPage->metaObject()->className(),
                   name);
        return c;
    }

    // Presses a button of the main window, which must be enabled, and expects
    // the step titled `title` without an error shown.
    void Press(const char* button, const QString& title) {
        QVERIFY2(Button(button)->isEnabled(), button);
        Button(button)->click();
        QCOMPARE(FErrors, QStringList());
        QCOMPARE(Title(), title);
        QCOMPARE(Controller().CurrentPage->windowTitle(), title);
        QCOMPARE(W->windowTitle(), W->DefCaption());
        QVERIFY(Controller().CurrentPage->isVisible());
    }
    void Choose(const char* list, const QString& text) {
        auto* l = Ctl<QListWidget>(list);
        const auto items = l->findItems(text, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        l->setCurrentItem(items.first());
    }
    void AtFirstStep() {
        QCOMPARE(Title(), QStringLiteral("Подключите устройство"));
        QVERIFY(!Button("btnPrev")->isEnabled());
        QVERIFY(Button("btnNext")->isEnabled());
    }

    // From the first step over the serial search to the job list: the
    // search lists COM200 and the daemon's pty, COM200 is chosen.
    void SerialToWorkType(const TRegisterFacts& reg) {
        STEP(AtFirstStep());
        STEP(Press("btnNext", QStringLiteral("Выберите тип подключения к ККТ")));
        STEP(Choose("lbPortType", QStringLiteral("COM-порт")));
        STEP(Press("btnNext", QStringLiteral("Поиск устройств")));
        QVERIFY(!Button("btnNext")->isEnabled());
        auto* found = Ctl<QListWidget>("lvDevices");
        auto* status = Ctl<QLabel>("lblStatus");
        QTRY_VERIFY_WITH_TIMEOUT(
            found->count() == 2 && status->text() == QStringLiteral("Поиск завершен"), 15000);
        QList<int> probed;
        for (const auto& s : Controller().FindPage<TfmSearchDevice>()->Searches())
            probed << s->GetParams().PortNumber;
        std::sort(probed.begin(), probed.end());
        QCOMPARE(probed, (QList<int>{FDaemon->Ptys().front().com, Platform::kEmbeddedComNumber}));
        QVERIFY(!Button("btnNext")->isEnabled());
        const QString com200 =
            QStringLiteral("%1, COM200, 115200, ЗН: %2").arg(reg.name, reg.serial);
        STEP(Choose("lvDevices", com200));
        const QString onPty = QStringLiteral("%1, COM%2, 115200, ЗН: %3")
                                  .arg(reg.name)
                                  .arg(FDaemon->Ptys().front().com)
                                  .arg(reg.serial);
        QCOMPARE(found->findItems(onPty, Qt::MatchExactly).size(), 1);
        QVERIFY(Button("btnNext")->isEnabled());
        STEP(Press("btnNext", QStringLiteral("Выберите тип работы")));
        QCOMPARE(Ctl<QLabel>("lblKKT")->text(),
                 QStringLiteral("%1, зав. номер %2").arg(reg.name, reg.serial));
    }

    // The operator's settings typed into "Настройки ОФД"; the tax office's
    // address differs from the usual one, so the step asks first.
    void FillOperator() {
        Ctl<QLineEdit>("edtOFDServer")->setText(QStringLiteral("ofd.example.net"));
        Ctl<QLineEdit>("edtOFDPort")->setText(QStringLiteral("7777"));
        Ctl<QLineEdit>("edtOFDName")->setText(QStringLiteral("ОФД Пример"));
        Ctl<QLineEdit>("edtOFDUrl")->setText(QStringLiteral("www.ofd.example"));
        Ctl<QLineEdit>("edtOFDINN")->setText(QStringLiteral("1234567894"));
        Ctl<QLineEdit>("edtTaxOfficeURL")->setText(QStringLiteral("nalog.example"));
        Ctl<QLineEdit>("edtSenderEmail")->setText(QStringLiteral("kkt@example.org"));
        QString asked;
        TModalAnswer yes([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box)
                return;
            asked = box->windowTitle() + QLatin1Char('|') + box->text();
            box->button(QMessageBox::Ok)->click();
        });
        STEP(Press("btnNext", QStringLiteral("Выберите тип подключения к ОФД")));
        QCOMPARE(asked, QStringLiteral("Внимание!|URL налогового органа отличается от \n\"%1\"\n"
                                       "Продолжить?")
                            .arg(TaxServiceSite()));
        QCOMPARE(Controller().RegParams.OFDServer, QStringLiteral("ofd.example.net"));
        QCOMPARE(Controller().RegParams.OFDPort, 7777);
        QCOMPARE(Controller().RegParams.TaxOfficeURL, QStringLiteral("nalog.example"));
    }

    void StartDaemon(const QStringList& args) {
        FDaemon = std::make_unique<DaemonProcess>();
        QVERIFY2(FDaemon->Start(QStringLiteral(VREGISTERD_PATH), FDir->Path(), args),
                 qPrintable(FDaemon->Output()));
        QVERIFY(FDaemon->TcpPort() > 0);
    }

private slots:
    void initTestCase() { Ledgra::RegisterComponentClass(); }
    void init() {
        FDir = std::make_unique<TestDataDir>();
        FreeDriverObject();
        ResetController();
        FErrors.clear();
        SetErrorSink([this](QWidget*, const QString& text) { FErrors << text; });
    }
    void cleanup() {
        W.reset();
        FDaemon.reset();
        SetErrorSink({});
        FreeDriverObject();
        ResetController();
        FDir.reset();
    }

    void operatorLinkJobOverSerial();
    void tcpConnection();
};

// The job "Настройка связи с ОФД" from the first step to the end, with Back
// from the job list and Home from a deep step on the way.
void TestWizardE2E::operatorLinkJobOverSerial() {
    TRegisterFacts reg;
    STEP(PrepareRegister(&reg));
    QVERIFY(reg.unsent > 0);
    HideHostPorts();
    STEP(StartDaemon({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--pty")}));
    QCOMPARE(FDaemon->Ptys().size(), 1);

    W = std::make_unique<TfmMain>(WizardSteps());
    W->show();
    QVERIFY(QTest::qWaitForWindowExposed(W.get()));
    QCOMPARE(W->windowTitle(), W->DefCaption());

    // Back from the job list leads to the start, not to the search.
    STEP(SerialToWorkType(reg));
    STEP(Press("btnPrev", QStringLiteral("Подключите устройство")));
    STEP(AtFirstStep());

    // Home from a deep step: the first step, the data typed so far kept
    // until the job list shows again.
    STEP(SerialToWorkType(reg));
    STEP(Choose("lbWorkType", QStringLiteral("Настройка связи с ОФД")));
    STEP(Press("btnNext", QStringLiteral("Настройки ОФД")));
    STEP(FillOperator());
    STEP(Press("btnHome", QStringLiteral("Подключите устройство")));
    STEP(AtFirstStep());
    QCOMPARE(Controller().RegParams.OFDServer, QStringLiteral("ofd.example.net"));
    QCOMPARE(Controller().RegParams.OFDName, QStringLiteral("ОФД Пример"));
    STEP(SerialToWorkType(reg));
    QCOMPARE(Controller().RegParams.OFDServer, QString());
    QCOMPARE(Controller().RegParams.OFDName, QString());

    // The whole job.
    STEP(Choose("lbWorkType", QStringLiteral("Настройка связи с ОФД")));
    STEP(Press("btnNext", QStringLiteral("Настройки ОФД")));
    STEP(FillOperator());
    QVERIFY(Controller().IsOFDSettingMode);
    STEP(Choose("lbNetType", QStringLiteral("Ethernet")));
    STEP(Press("btnNext", QStringLiteral("Параметры Ethernet")));
    Ctl<QCheckBox>("chkDHCP")->setChecked(true);
    // The port shown is the one the register has, which the daemon wrote.
    QCOMPARE(Ctl<QLineEdit>("edtPort")->text(), QString::number(FDaemon->TcpPort()));
    {
        QString info;
        TModalAnswer ok([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box)
                return;
            info = box->text();
            box->accept();
        });
        STEP(Press("btnNext", QStringLiteral("Проверка связи по Ethernet")));
        QCOMPARE(info, QStringLiteral("Настройки Ethernet успешно записаны.\r\nПерезагрузите "
                                      "устройство и нажмите \"ОК\""));
    }
    // The register takes a new DHCP lease; the window's buttons stay off
    // until the check ends.
    QVERIFY(!Button("btnNext")->isEnabled());
    QVERIFY(!Button("btnPrev")->isEnabled());
    QVERIFY(!Button("btnHome")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(Button("btnNext")->isEnabled(), 30000);
    QCOMPARE(FErrors, QStringList());
    QCOMPARE(Ctl<QLabel>("lblStatus")->text(),
             kConnected.arg(QStringLiteral("127.0.0.1")).arg(FDaemon->TcpPort()));
    QVERIFY(Button("btnPrev")->isEnabled() && Button("btnHome")->isEnabled());

    STEP(Press("btnNext", QStringLiteral("Проверка отправки данных в ОФД")));
    QCOMPARE(Ctl<QLabel>("lblInfo")->text(),
             QStringLiteral("Кол-во неотправленных документов в ОФД: %1\r\nПроверьте настройки "
                            "соединения с Интернет")
                 .arg(reg.unsent));

    // The step after this one is not built yet: Next leads to the start.
    STEP(Press("btnNext", QStringLiteral("Подключите устройство")));
    STEP(AtFirstStep());
    QVERIFY(FDaemon->Stop());
}

// The TCP step: the daemon announces itself, a click takes its address and
// port, the check finds the register, Next leads to the job list, and Back
// from there to the start.
void TestWizardE2E::tcpConnection() {
    TRegisterFacts reg;
    STEP(PrepareRegister(&reg));
    const quint16 udp = FreeUdpPort();
    W = std::make_unique<TfmMain>(StepsListeningOn(udp));
    W->show();
    QVERIFY(QTest::qWaitForWindowExposed(W.get()));
    STEP(AtFirstStep());
    STEP(Press("btnNext", QStringLiteral("Выберите тип подключения к ККТ")));
    STEP(Choose("lbPortType", QStringLiteral("TCP (Ethernet, WiFi, RNDIS)")));
    STEP(Press("btnNext", QStringLiteral("Параметры подключения по TCP")));
    QVERIFY(!Button("btnNext")->isEnabled());

    STEP(StartDaemon({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--announce"),
                      QStringLiteral("127.0.0.1:%1").arg(udp)}));
    auto* found = Ctl<QTreeWidget>("lvDevices");
    QTRY_COMPARE_WITH_TIMEOUT(found->topLevelItemCount(), 1, 5000);
    QTreeWidgetItem* row = found->topLevelItem(0);
    QCOMPARE(row->text(0), reg.serial);
    QCOMPARE(row->text(1), QStringLiteral("127.0.0.1"));
    QCOMPARE(row->text(2), QString::number(FDaemon->TcpPort()));
    found->setCurrentItem(row);
    emit found->itemClicked(row, 0);
    QCOMPARE(Ctl<QLineEdit>("edtIP")->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(Ctl<QLineEdit>("edtPort")->text(), QString::number(FDaemon->TcpPort()));

    Click(*Controller().CurrentPage, "btnCheck");
    QCOMPARE(FErrors, QStringList());
    QCOMPARE(Ctl<QLabel>("lblInfo")->text(),
             QStringLiteral("Найдено устройство %1, Зав. номер: %2\r\nДля продолжения нажмите "
                            "\"Далее\"")
                 .arg(reg.name, reg.serial));
    STEP(Press("btnNext", QStringLiteral("Выберите тип работы")));
    QCOMPARE(Ctl<QLabel>("lblKKT")->text(),
             QStringLiteral("%1, зав. номер %2").arg(reg.name, reg.serial));
    STEP(Press("btnPrev", QStringLiteral("Подключите устройство")));
    STEP(AtFirstStep());
    QVERIFY(FDaemon->Stop());
}

QTEST_MAIN(TestWizardE2E)
#include "tst_wizard_e2e.moc"
