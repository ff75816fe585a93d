// The wizard's opening steps: the driver check of "Подключите устройство",
// the connection kind and password of "Выберите тип подключения к ККТ", and
// the one-time factory number of "Введите заводской номер", against a
// scripted driver and the embedded virtual register.

#include "ledgra/LedgraComponent.h"
#include "tests/support/WizardTestSupport.h"
#include "wizard/frame/fmuMain.h"
#include "wizard/search/fmuConnectDevice.h"
#include "wizard/search/fmuEnterSerial.h"
#include "wizard/search/fmuSelectPortType.h"

#include <QLabel>
#include <QListWidget>
#include <QMessageBox>

namespace {
const QString kZeros(20, QLatin1Char('0'));

// A main window holding only the steps under test.
std::unique_ptr<TfmMain> Window(std::vector<TStepDef> steps) {
    return std::make_unique<TfmMain>(steps);
}
template <class T> TStepDef Step() {
    return {T::staticMetaObject.className(), [] { return new T; }};
}

struct TBoxSeen {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};
// Answers the first message box with OK and remembers what it said.
TModalAnswer AcceptBox(TBoxSeen& seen) {
    return TModalAnswer([&seen](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            qFatal("not a message box");
        seen = {box->windowTitle(), box->text(), box->icon()};
        box->accept();
    });
}
} // namespace

class TestWizardSearchSteps : public QObject {
    Q_OBJECT
    TWizardFake<> FDriver{"{TEST-FAKE-WIZARD-SEARCH}"};

private slots:
    void initTestCase() { FDriver.RegisterWithVirtualRegister(); }
    void init() { FDriver.Init(); }
    void cleanup() { FDriver.Cleanup(); }

    void connectDriverVersion_data() {
        QTest::addColumn<QList<int>>("version");
        QTest::addColumn<bool>("tooOld");
        QTest::newRow("one build short") << QList<int>{4, 13, 0, 593} << true;
        QTest::newRow("the minimum") << QList<int>{4, 13, 0, 594} << false;
        QTest::newRow("newer minor, lower build") << QList<int>{4, 14, 0, 0} << false;
        QTest::newRow("newer release, lower build") << QList<int>{4, 13, 1, 0} << false;
        QTest::newRow("older minor, higher build") << QList<int>{4, 12, 9, 9999} << true;
        QTest::newRow("newer major") << QList<int>{5, 0, 0, 0} << false;
    }
    void connectDriverVersion() {
        QFETCH(QList<int>, version);
        QFETCH(bool, tooOld);
        FDriver.Fake->Preset(PropertyId::DriverMajorVersion, version[0])
            .Preset(PropertyId::DriverMinorVersion, version[1])
            .Preset(PropertyId::DriverRelease, version[2])
            .Preset(PropertyId::DriverBuild, version[3]);
        auto window = Window({Step<TfmConnectDevice>()});
        window->show();
        auto* page = qobject_cast<TfmConnectDevice*>(window->Pages().Items(0));
        auto* warning = Find<QLabel>(*page, "lblWarning");
        QCOMPARE(warning->isVisible(), tooOld);
        if (tooOld)
            QCOMPARE(warning->text(),
                     QString::fromUtf8("Внимание! Установленная версия драйвера ФР меньше "
                                       "минимальной\r\nДля корректной работы необходима версия не "
                                       "ниже 4.13.0.594"));
        QCOMPARE(Find<QPushButton>(*window, "btnNext")->isEnabled(), !tooOld);
        QVERIFY(Find<QPushButton>(*window, "btnSettings")->isEnabled());
        QVERIFY(FDriver.Fake->Calls().isEmpty()); // the check asks no device
        // Shown again after the driver changed: the warning follows it.
        FDriver.Fake->Preset(PropertyId::DriverMinorVersion, 20);
        page->OnShow();
        QVERIFY(!warning->isVisible());
        QVERIFY(Find<QPushButton>(*window, "btnNext")->isEnabled());
        Find<QPushButton>(*window, "btnNext")->click();
        QCOMPARE(Controller().NextPageClass, QByteArray("TfmSelectPortType"));
        QVERIFY(FDriver.Shown.isEmpty());
    }

    void connectWithoutComponent() {
        qputenv("LEDGRA_CLASS", "{TEST-NOT-REGISTERED}");
        auto window = Window({Step<TfmConnectDevice>(), Step<TfmSelectPortType>()});
        window->show();
        auto* warning = Find<QLabel>(*window->Pages().Items(0), "lblWarning");
        QVERIFY(warning->isVisible());
        QCOMPARE(warning->text(),
                 QString::fromUtf8("Внимание! Не установлен драйвер ФР\r\nДля корректной работы "
                                   "установите драйвер версии не ниже 4.13.0.594 и перезапустите "
                                   "приложение"));
        QVERIFY(!Find<QPushButton>(*window, "btnNext")->isEnabled());
        QVERIFY(!Find<QPushButton>(*window, "btnSettings")->isEnabled());
        QVERIFY(!DriverObjectExists());
        // Enter on the window does not get past the disabled Next.
        Controller().Next();
        QCOMPARE(window->PageIndex(), 0);
        QVERIFY(FDriver.Shown.isEmpty());
    }

    void connectOnVirtualRegister() {
        FDriver.UseVirtualRegister();
        auto window = Window({Step<TfmConnectDevice>()});
        window->show();
        QVERIFY(!Find<QLabel>(*window->Pages().Items(0), "lblWarning")->isVisible());
        QVERIFY(Find<QPushButton>(*window, "btnNext")->isEnabled());
        QVERIFY(WizardDriver().OFDExchangeSuspended());
        QVERIFY(FDriver.Shown.isEmpty());
    }

    void portType_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("com");
        QTest::addColumn<QByteArray>("next");
        QTest::newRow("serial port") << 0 << "30" << true << QByteArray("TfmSearchDevice");
        QTest::newRow("TCP") << 1 << "1234" << false << QByteArray("TfmTCPParams");
    }
    void portType() {
        QFETCH(int, row);
        QFETCH(QString, password);
        QFETCH(bool, com);
        QFETCH(QByteArray, next);
        FDriver.Fake->Preset(PropertyId::SysAdminPassword, 30);
        TfmSelectPortType page;
        page.OnShow();
        auto* list = Find<QListWidget>(page, "lbPortType");
        auto* edit = Find<QLineEdit>(page, "edtSysAdminPassword");
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(edit->text(), QStringLiteral("30"));
        edit->clear();
        QTest::keyClicks(edit, password + "x-");
        QCOMPARE(edit->text(), password); // digits only
        list->setCurrentRow(row);
        Controller().IsComConnection = !com;
        page.Next();
        QCOMPARE(Controller().IsComConnection, com);
        QCOMPARE(Controller().NextPageClass, next);
        QCOMPARE(WizardDriver().SysAdminPassword(), password.toInt());
        QCOMPARE(WizardDriver().Password(), password.toInt());
        QVERIFY(FDriver.Fake->Calls().isEmpty());
    }

    void portTypeEmptyPasswordStays() {
        TfmSelectPortType page;
        page.OnShow();
        Find<QLineEdit>(page, "edtSysAdminPassword")->clear();
        Controller().SetNextPage("TfmSelectPortType");
        QVERIFY(!RunHandler(&page, [&page] { page.Next(); }));
        QCOMPARE(FDriver.Shown.size(), 1);
        QCOMPARE(Controller().NextPageClass, QByteArray("TfmSelectPortType"));
    }

    void portTypeLayout() {
        auto window = Window({Step<TfmSelectPortType>()});
        window->show();
        QWidget& page = *window->Pages().Items(0);
        auto* label = Find<QLabel>(page, "lblSysAdminPassword");
        auto* edit = Find<QLineEdit>(page, "edtSysAdminPassword");
        QCOMPARE(edit->x() - (label->x() + label->width()), 10);
        // The list stays centred when the window grows.
        window->resize(window->width() + 200, window->height());
        QTest::qWait(0);
        auto* list = Find<QListWidget>(page, "lbPortType");
        const int left = list->mapTo(&page, QPoint()).x();
        QVERIFY(qAbs(left - (page.width() - list->width() - left)) <= 1);
    }

    // Double-clicking a list entry or the step presses Next, while Next is on.
    void portTypeDoubleClick_data() {
        QTest::addColumn<bool>("onList");
        QTest::addColumn<bool>("nextEnabled");
        QTest::newRow("entry") << true << true;
        QTest::newRow("step") << false << true;
        QTest::newRow("entry, Next off") << true << false;
    }
    void portTypeDoubleClick() {
        QFETCH(bool, onList);
        QFETCH(bool, nextEnabled);
        auto window = Window({Step<TfmSelectPortType>()});
        window->show();
        QWidget& page = *window->Pages().Items(0);
        auto* list = Find<QListWidget>(page, "lbPortType");
        list->setCurrentRow(1);
        Controller().SetNextPage("none");
        Controller().EnableNext(nextEnabled);
        if (onList)
            Q_EMIT list->itemDoubleClicked(list->item(1));
        else
            QTest::mouseDClick(&page, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(Controller().NextPageClass,
                 nextEnabled ? QByteArray("TfmTCPParams") : QByteArray("none"));
    }

    void serialPresent_data() {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<bool>("present");
        QTest::newRow("all zeros") << kZeros << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("last digit 1") << QString(19, QLatin1Char('0')) + "1" << true;
        QTest::newRow("short number") << "12345" << true;
    }
    void serialPresent() {
        QFETCH(QString, serial);
        QFETCH(bool, present);
        QCOMPARE(SerialNumberPresent(serial), present);
        FDriver.Fake->Answer(MethodId::ReadSerialNumber, 0, {{PropertyId::SerialNumber, serial}});
        auto window = Window({Step<TfmEnterSerial>()});
        window->show();
        QWidget& page = *window->Pages().Items(0);
        auto* edit = Find<QLineEdit>(page, "edtSerial");
        QCOMPARE(Find<QLabel>(page, "lblSerialEntered")->isVisible(), present);
        QCOMPARE(edit->isEnabled(), !present);
        QCOMPARE(edit->text(), present ? serial : QString());
        QCOMPARE(edit->maxLength(), 20);
        QCOMPARE(FDriver.Fake->Calls(), (QStringList{"ReadSerialNumber", "Disconnect"}));
        // Nothing to write for a register that has its number.
        if (present) {
            FDriver.Fake->ClearLog();
            qobject_cast<TParamPage*>(&page)->Next();
            QVERIFY(FDriver.Fake->Calls().isEmpty());
            QCOMPARE(Controller().NextPageClass, QByteArray("TfmSelectClientType"));
        }
    }

    void serialKeys_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("afterEnter");
        QTest::newRow("scanned label") << "0001;0002;123456"
                                       << ""
                                       << "123456";
        QTest::newRow("four parts") << "1;2;3;4"
                                    << ""
                                    << "3";
        QTest::newRow("two parts stay") << "1;2"
                                        << ""
                                        << "1;2";
        QTest::newRow("typed: digits and separators only") << ""
                                                           << "12a3 4"
                                                           << "1234";
        QTest::newRow("typed by a scanner") << ""
                                            << "0001;0002;123456"
                                            << "123456";
    }
    void serialKeys() {
        QFETCH(QString, text);
        QFETCH(QString, typed);
        QFETCH(QString, afterEnter);
        auto window = Window({Step<TfmEnterSerial>()});
        window->show();
        QWidget& page = *window->Pages().Items(0);
        auto* edit = Find<QLineEdit>(page, "edtSerial");
        edit->setText(text);
        QTest::keyClicks(edit, typed);
        Controller().SetNextPage("none");
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(edit->text(), afterEnter);
        QCOMPARE(edit->cursorPosition(), int(afterEnter.size()));
        // Enter is swallowed: it does not press Next.
        QCOMPARE(Controller().NextPageClass, QByteArray("none"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), afterEnter.chopped(1));
    }

    void serialWrite_data() {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("atNext"); // the register's number when Next reads it
        QTest::addColumn<bool>("x5");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("message");
        const QString one = QString(19, QLatin1Char('0')) + "1";
        QTest::newRow("written")
            << "123456" << kZeros << false << "123456"
            << QString::fromUtf8("Заводской номер успешно введен!\r\nПерезагрузите устройство");
        QTest::newRow("label's third part") << "1;2;777" << kZeros << false << "777"
                                            << QString::fromUtf8("Заводской номер успешно "
                                                                 "введен!\r\nПерезагрузите "
                                                                 "устройство");
        QTest::newRow("X5 mode")
            << "123456" << kZeros << true << "123456"
            << QString::fromUtf8("Заводской номер успешно введен!\r\nПерезагрузите устройство");
        QTest::newRow("written meanwhile")
            << "123456" << one << false << QString()
            << QString::fromUtf8("Заводской номер уже введен!\r\n") + one;
        QTest::newRow("nothing entered") << "" << kZeros << false << QString() << QString();
    }
    void serialWrite() {
        QFETCH(QString, entered);
        QFETCH(QString, atNext);
        QFETCH(bool, x5);
        QFETCH(QString, written);
        QFETCH(QString, message);
        TfmEnterSerial page;
        FDriver.Fake->Answer(MethodId::ReadSerialNumber, 0, {{PropertyId::SerialNumber, kZeros}});
        page.OnShow();
        Find<QLineEdit>(page, "edtSerial")->setText(entered);
        FDriver.Fake->Answer(MethodId::ReadSerialNumber, 0, {{PropertyId::SerialNumber, atNext}});
        FDriver.Fake->ClearLog();
        Controller().X5Mode = x5;
        TBoxSeen seen;
        {
            auto answer = AcceptBox(seen);
            QVERIFY(RunHandler(&page, [&page] { page.Next(); }));
        }
        QCOMPARE(seen.text, message);
        if (!written.isEmpty()) {
            QVERIFY(FDriver.Fake->Log().contains("Set SerialNumber=" + written));
            QCOMPARE(FDriver.Fake->Calls(),
                     (QStringList{"ReadSerialNumber", "SetSerialNumber", "Disconnect"}));
        } else if (!entered.isEmpty()) {
            QCOMPARE(seen.caption, QString::fromUtf8("Внимание"));
            QCOMPARE(seen.icon, QMessageBox::Critical);
            QCOMPARE(FDriver.Fake->Calls(), (QStringList{"ReadSerialNumber", "Disconnect"}));
        } else {
            QVERIFY(FDriver.Fake->Calls().isEmpty());
        }
        QCOMPARE(Controller().NextPageClass,
                 x5 ? QByteArray("TfmKKTParamsX5") : QByteArray("TfmSelectClientType"));
    }

    // What reaches the register is a number; a failed call keeps the step.
    void serialWriteFails_data() {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("error");
        QTest::newRow("two-part label")
            << "12;34" << 0 << QString::fromUtf8("Заводской номер должен состоять только из цифр!");
        QTest::newRow("empty third part")
            << "1;2;" << 0 << QString::fromUtf8("Заводской номер должен состоять только из цифр!");
        QTest::newRow("device error") << "123" << 1 << QString();
    }
    void serialWriteFails() {
        QFETCH(QString, entered);
        QFETCH(int, code);
        QFETCH(QString, error);
        TfmEnterSerial page;
        FDriver.Fake->Answer(MethodId::ReadSerialNumber, 0, {{PropertyId::SerialNumber, kZeros}});
        page.OnShow();
        Find<QLineEdit>(page, "edtSerial")->setText(entered);
        FDriver.Fake->ClearLog();
        FDriver.Fake->Answer(MethodId::ReadSerialNumber, 0, {{PropertyId::SerialNumber, kZeros}});
        FDriver.Fake->Answer(MethodId::SetSerialNumber, code);
        Controller().SetNextPage("none");
        QVERIFY(!RunHandler(&page, [&page] { page.Next(); }));
        QCOMPARE(FDriver.Shown.size(), 1);
        if (!error.isEmpty()) {
            QCOMPARE(FDriver.Shown[0], error);
            QVERIFY(FDriver.Fake->Calls().isEmpty());
        } else {
            QVERIFY(FDriver.Shown[0].startsWith(QStringLiteral("Ошибка 1, ")));
            QCOMPARE(FDriver.Fake->Calls().constLast(), QStringLiteral("Disconnect"));
        }
        QCOMPARE(Controller().NextPageClass, QByteArray("none"));
    }
};

QTEST_MAIN(TestWizardSearchSteps)
#include "tst_wizard_searchsteps.moc"
