// The wizard's frame: the step graph, Back, Home, a raising Next, an unknown
// class; the driver routines against a scripted driver; the notify thread.

#include "common/untNotifyThread.h"
#include "platform/LedgraErrors.h"
#include "tests/support/WizardTestSupport.h"
#include "wizard/frame/fmuMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QThread>

namespace {

QStringList gEvents;

// A step that records what the frame asks of it and goes where it is told.
class TTestStep : public TParamPage {
    Q_OBJECT
public:
    explicit TTestStep(const QString& name) {
        setObjectName(name);
        setWindowTitle(QStringLiteral("Шаг ") + name);
    }
    void Next() override {
        gEvents << objectName() + QStringLiteral(".Next");
        if (!Raise.isEmpty())
            throw EError(Raise);
        if (!Following.isEmpty())
            Controller().SetNextPage(Following.constData());
    }
    void Prev() override { gEvents << objectName() + QStringLiteral(".Prev"); }
    void Home() override { gEvents << objectName() + QStringLiteral(".Home"); }
    void CloseEvent() override { gEvents << objectName() + QStringLiteral(".Close"); }
    void OnShow() override {
        gEvents << objectName() + QStringLiteral(".Show");
        if (DisableOnShow) {
            Controller().EnableNext(false);
            Controller().EnablePrev(false);
        }
    }
    QByteArray Following;
    QString Raise;
    bool DisableOnShow = false;
};

// The class names the graph uses; TfmSelectWorkType derives from TStepB so a
// look-up by the base class finds it.
class TfmConnectDevice : public TTestStep {
    Q_OBJECT
public:
    TfmConnectDevice() : TTestStep(QStringLiteral("connect")) {}
};
class TStepB : public TTestStep {
    Q_OBJECT
public:
    using TTestStep::TTestStep;
    TStepB() : TTestStep(QStringLiteral("b")) {}
};
class TfmSelectWorkType : public TStepB {
    Q_OBJECT
public:
    TfmSelectWorkType() : TStepB(QStringLiteral("worktype")) {}
};
class TStepC : public TTestStep {
    Q_OBJECT
public:
    TStepC() : TTestStep(QStringLiteral("c")) {}
};

template <class T> TStepDef Def() {
    return {T::staticMetaObject.className(), [] { return static_cast<TParamPage*>(new T); }};
}

} // namespace

class TestWizardFrame : public QObject {
    Q_OBJECT
    TWizardFake<> F{"{7A2B0C11-0000-4000-8000-00000000F001}"};
    std::unique_ptr<TfmMain> W;

    template <class T> T* Step() { return Controller().FindPage<T>(); }
    TParamPage* Visible() const {
        for (int i = 0; i < W->Pages().Count(); ++i)
            if (W->Pages().Items(i)->isVisible())
                return W->Pages().Items(i);
        return nullptr;
    }
    QPushButton* Button(const char* name) { return Find<QPushButton>(*W, name); }

private slots:
    void initTestCase() { F.Register(); }
    void init() {
        F.Init();
        gEvents.clear();
        // connect -> worktype -> c, in list order connect, worktype, c.
        W = std::make_unique<TfmMain>(std::vector<TStepDef>{
            Def<TfmConnectDevice>(), Def<TfmSelectWorkType>(), Def<TStepC>()});
        Step<TfmConnectDevice>()->Following = "TfmSelectWorkType";
        Step<TfmSelectWorkType>()->Following = "TStepC";
        W->show();
    }
    void cleanup() {
        W.reset();
        F.Cleanup();
    }

    void startShowsTheFirstStepWithBackOff() {
        QCOMPARE(Visible(), Step<TfmConnectDevice>());
        QCOMPARE(Controller().NextPageClass, QByteArray("TfmSelectWorkType"));
        QCOMPARE(Find<QLabel>(*W, "lblTitle")->text(), QStringLiteral("Шаг connect"));
        QVERIFY(!Button("btnPrev")->isEnabled());
        QVERIFY(Button("btnNext")->isDefault());
        QVERIFY(W->windowTitle().startsWith(QStringLiteral("Мастер фискализации 4.13.0.600 (")));
        QVERIFY(W->windowTitle().endsWith(QStringLiteral("(%1-bit)").arg(sizeof(void*) * 8)));
    }

    void nextFollowsTheGraphAndBackReturns() {
        Button("btnNext")->click();
        QCOMPARE(Visible(), Step<TfmSelectWorkType>());
        QCOMPARE(Step<TfmSelectWorkType>()->PrevPage, Step<TfmConnectDevice>());
        QVERIFY(Button("btnPrev")->isEnabled());
        Button("btnNext")->click();
        QCOMPARE(Visible(), Step<TStepC>());
        QCOMPARE(Controller().CurrentPage, Step<TStepC>());
        Button("btnPrev")->click();
        QCOMPARE(Visible(), Step<TfmSelectWorkType>());
        Button("btnPrev")->click();
        QCOMPARE(Visible(), Step<TfmConnectDevice>());
        QVERIFY(!Button("btnPrev")->isEnabled());
        QCOMPARE(gEvents, QStringList({"connect.Show", "connect.Next", "worktype.Show",
                                       "worktype.Next", "c.Show", "c.Prev", "worktype.Show",
                                       "worktype.Prev", "connect.Show"}));
    }

    void lookupFindsDerivedClassesFirstInOrder() {
        QCOMPARE(W->Pages().PageByClass("TStepB"), Step<TfmSelectWorkType>());
        QCOMPARE(W->Pages().PageByClass("TTestStep"), Step<TfmConnectDevice>());
        QCOMPARE(W->Pages().PageByClass("TfmNoSuchStep"), nullptr);
    }

    void unknownClassLeadsToTheFirstStep() {
        Button("btnNext")->click();
        Step<TfmSelectWorkType>()->Following = "TfmNotBuiltYet";
        Button("btnNext")->click();
        QCOMPARE(Visible(), Step<TfmConnectDevice>());
        QCOMPARE(Controller().CurrentPage, Step<TfmConnectDevice>());
        QCOMPARE(Step<TfmConnectDevice>()->PrevPage, Step<TfmSelectWorkType>());
    }

    void raisingNextChangesNothing() {
        Button("btnNext")->click();
        Step<TfmSelectWorkType>()->Raise = QStringLiteral("Введите ИНН");
        TParamPage* prevBefore = Step<TfmSelectWorkType>()->PrevPage;
        Button("btnNext")->click();
        QCOMPARE(F.Shown, QStringList{QStringLiteral("Введите ИНН")});
        QCOMPARE(Visible(), Step<TfmSelectWorkType>());
        QCOMPARE(Controller().CurrentPage, Step<TfmSelectWorkType>());
        QCOMPARE(Step<TfmSelectWorkType>()->PrevPage, prevBefore);
        QCOMPARE(Step<TStepC>()->PrevPage, nullptr);
    }

    // A step that leaves the class unchanged stays, and Back still leads to
    // the step before it rather than to itself.
    void stayingOnAStepKeepsItsWayBack() {
        Button("btnNext")->click();
        Step<TfmSelectWorkType>()->Following = "TfmSelectWorkType";
        Button("btnNext")->click();
        QCOMPARE(Visible(), Step<TfmSelectWorkType>());
        QCOMPARE(Step<TfmSelectWorkType>()->PrevPage, Step<TfmConnectDevice>());
        Button("btnPrev")->click();
        QCOMPARE(Visible(), Step<TfmConnectDevice>());
    }

    void homeShowsTheFirstStepAndNamesTheWorkType() {
        Button("btnNext")->click();
        Button("btnNext")->click();
        Controller().RegParams.INN = QStringLiteral("7700000000");
        Button("btnHome")->click();
        QCOMPARE(Visible(), Step<TfmConnectDevice>());
        QCOMPARE(Controller().CurrentPage, Step<TfmConnectDevice>());
        QCOMPARE(Controller().NextPageClass, QByteArray("TfmSelectWorkType"));
        QVERIFY(gEvents.contains(QStringLiteral("c.Home")));
        QVERIFY(!Button("btnPrev")->isEnabled());
        // Home clears nothing by itself.
        QCOMPARE(Controller().RegParams.INN, QStringLiteral("7700000000"));
    }

    // A step that switches Next and Back off while it works keeps them off,
    // and the controller's Next does nothing then.
    void controllerNextOnlyWhileEnabled() {
        Step<TfmSelectWorkType>()->DisableOnShow = true;
        Button("btnNext")->click();
        QVERIFY(!Button("btnNext")->isEnabled());
        QVERIFY(!Button("btnPrev")->isEnabled());
        Controller().Next();
        Controller().Prev();
        QCOMPARE(Visible(), Step<TfmSelectWorkType>());
        Controller().EnableNext(true);
        Controller().Next();
        QCOMPARE(Visible(), Step<TStepC>());
    }

    void closingRunsEveryStepsCloseEventInOrder() {
        W->close();
        QCOMPARE(gEvents.filter(QStringLiteral(".Close")),
                 QStringList({"connect.Close", "worktype.Close", "c.Close"}));
    }

    void clearRegParamsEmptiesTheDataAndKeepsTheFlags() {
        TRegParams& r = Controller().RegParams;
        r.FirstTime = true;
        r.INN = QStringLiteral("1");
        r.OFDServer = QStringLiteral("x");
        r.TaxSystem = 1;
        r.FFD = 4;
        r.OFDPort = 7777;
        r.FNSerial = QStringLiteral("99");
        Controller().ClearRegParams();
        QVERIFY(r.FirstTime);
        QVERIFY(r.INN.isEmpty() && r.OFDServer.isEmpty());
        QCOMPARE(int(r.TaxSystem), 255);
        QCOMPARE(r.FFD, 255);
        QCOMPARE(r.OFDPort, 0);
        QCOMPARE(r.FNSerial, QStringLiteral("99"));
    }

    void x5MarkerAddsToTheCaption() {
        const QString marker = QDir(QCoreApplication::applicationDirPath()).filePath("X5.ini");
        QFile f(marker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        W.reset();
        W = std::make_unique<TfmMain>(std::vector<TStepDef>{Def<TfmConnectDevice>()});
        QFile::remove(marker);
        QVERIFY(Controller().X5Mode);
        QVERIFY(W->windowTitle().endsWith(QStringLiteral("-bit) [X5]")));
    }

    // The driver routines.
    void mapTableNumber_data() {
        QTest::addColumn<int>("table");
        QTest::addColumn<int>("param");
        QTest::addColumn<int>("mapped");
        QTest::newRow("10 as given") << 10 << 0 << 10;
        QTest::newRow("18 by 72") << 18 << 72 << 14;
        QTest::newRow("19 by 73") << 19 << 73 << 15;
        QTest::newRow("24 by 75") << 24 << 75 << 23;
    }
    void mapTableNumber() {
        QFETCH(int, table);
        QFETCH(int, param);
        QFETCH(int, mapped);
        F.Fake->DefaultAnswer(MethodId::ReadModelParamValue, 0,
                              {{PropertyId::ModelParamValue, mapped}});
        QCOMPARE(MapTableNumber(table), mapped);
        if (param == 0) {
            QVERIFY(F.Fake->Calls().isEmpty());
        } else {
            QCOMPARE(F.Fake->Calls(), QStringList{"ReadModelParamValue"});
            QVERIFY(F.Fake->Log().contains(QStringLiteral("Set ModelParamNumber=%1").arg(param)));
        }
    }

    void tableWriteIntFollowsTheFieldType_data() {
        QTest::addColumn<bool>("isText");
        QTest::addColumn<QString>("written");
        QTest::newRow("text field gets the decimal text") << true << "Set ValueOfFieldString=7779";
        QTest::newRow("number field gets the number") << false << "Set ValueOfFieldInteger=7779";
    }
    void tableWriteIntFollowsTheFieldType() {
        QFETCH(bool, isText);
        QFETCH(QString, written);
        F.Fake->Answer(MethodId::GetFieldStruct, 0, {{PropertyId::FieldType, isText}});
        TableWriteInt(21, 1, 4, 7779);
        const QStringList log = F.Fake->Log();
        QCOMPARE(F.Fake->Calls(), QStringList({"GetFieldStruct", "WriteTable"}));
        QVERIFY2(log.contains(written), qPrintable(log.join('\n')));
        QVERIFY(log.indexOf(written) < log.indexOf(QStringLiteral("Call WriteTable")));
    }

    void optionalReadsForgiveOnly93() {
        F.Fake->DefaultAnswer(MethodId::ReadTable, 93, {{PropertyId::ValueOfFieldString, "stale"}});
        QCOMPARE(TableReadStrOpt(18, 1, 15), QString());
        QCOMPARE(TableReadIntOpt(18, 1, 16), 0);
        try {
            TableReadStr(18, 1, 15);
            QFAIL("no error");
        } catch (const EError& e) {
            QVERIFY2(e.Message().startsWith(QStringLiteral("Ошибка 93, ")),
                     qPrintable(e.Message()));
        }
        F.Fake->DefaultAnswer(MethodId::ReadTable, 51);
        QVERIFY_THROWS_EXCEPTION(EError, TableReadStrOpt(18, 1, 15));
    }

    void writeFFDVersionOnTheAlternativeLayout() {
        F.Fake->DefaultAnswer(MethodId::ReadModelParamValue, 0,
                              {{PropertyId::ModelParamValue, true}});
        WriteFFDVersion(1);
        const QStringList log = F.Fake->Log();
        QVERIFY(log.contains(QStringLiteral("Set TableNumber=10")));
        QVERIFY(log.contains(QStringLiteral("Set FieldNumber=29")));
        QVERIFY(log.contains(QStringLiteral("Set ValueOfFieldInteger=0")));
    }

    void busyRetryWaitsAndGivesUp() {
        F.Fake->Answer(MethodId::FNSendTag, 80).Answer(MethodId::FNSendTag, 75);
        TagSendStr(1021, QStringLiteral("Иванов"));
        QCOMPARE(F.Fake->CallCount(MethodId::FNSendTag), 3);
        QVERIFY(F.Fake->Log().contains(QStringLiteral("Set TagType=7")));

        F.Fake->DefaultAnswer(MethodId::FNBuildRegistrationReport, 80);
        QElapsedTimer t;
        t.start();
        try {
            CallWithBusyRetry([] { return WizardDriver().FNBuildRegistrationReport(); }, 300);
            QFAIL("no error");
        } catch (const EError& e) {
            QVERIFY(e.Message().startsWith(QStringLiteral("Ошибка 80, ")));
        }
        QVERIFY(t.elapsed() >= 300);
        // 50 ms apart, not a busy loop.
        QVERIFY(F.Fake->CallCount(MethodId::FNBuildRegistrationReport) <= 8);
    }

    void driverObjectSuspendsTheOperatorExchange() {
        CreateDriverObject();
        QVERIFY(WizardDriver().OFDExchangeSuspended());
        FreeDriverObject();
        qputenv("LEDGRA_CLASS", "{00000000-0000-0000-0000-000000000000}");
        QVERIFY_THROWS_EXCEPTION(EError, CreateDriverObject());
        QVERIFY(!DriverObjectExists());
    }

    // A window-thread wait for a thread keeps delivering its end notice.
    void notifyThreadEndsOnTheWindowThread() {
        QThread* endThread = nullptr;
        bool ran = false;
        {
            TNotifyThread t([&ran](TNotifyThread*) {
                QThread::msleep(50);
                ran = true;
            });
            t.OnTerminate = [&endThread](TNotifyThread*) { endThread = QThread::currentThread(); };
            t.Start();
            t.WaitFor();
            QCoreApplication::processEvents();
        }
        QVERIFY(ran);
        QCOMPARE(endThread, QCoreApplication::instance()->thread());
    }
};

QTEST_MAIN(TestWizardFrame)
#include "tst_wizard_frame.moc"
