#include "common/RunHandler.h"
#include "driver/untDriver.h"
#include "platform/ComponentFactory.h"
#include "platform/LedgraErrors.h"
#include "platform/Translation.h"
#include "shell/PageTree.h"
#include "shell/fmuMain.h"
#include "shell/fmuTabbedPage.h"
#include "shell/untLanguage.h"
#include "shell/untSettings.h"
#include "tests/support/FakeLedgra.h"
#include "tests/support/TestDataDir.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

namespace {
QStringList& Events() {
    static QStringList events;
    return events;
}

// A page that records its operations; two buttons, an edit and a combo box.
class TRecPage : public TPage {
    Q_OBJECT
public:
    explicit TRecPage(QWidget* owner = nullptr) : TPage(owner) {
        setWindowTitle(QStringLiteral("Rec"));
        auto* l = new QVBoxLayout(this);
        for (const char* name : {"btnA", "btnB"}) {
            auto* b = new QPushButton(QString::fromLatin1(name), this);
            b->setObjectName(QString::fromLatin1(name));
            l->addWidget(b);
        }
        edtText = new QLineEdit(this);
        edtText->setObjectName(QStringLiteral("edtText"));
        cbKind = new QComboBox(this);
        cbKind->setObjectName(QStringLiteral("cbKind"));
        cbKind->addItems({"a", "b", "c"});
        cbKind->setCurrentIndex(2);
        l->addWidget(edtText);
        l->addWidget(cbKind);
    }
    QPushButton* Button(const char* name) { return findChild<QPushButton*>(name); }
    void Initialize() override { Events() << objectName() + ".Initialize"; }
    void UpdatePage() override { Events() << objectName() + ".UpdatePage"; }
    void UpdateObject() override { Events() << objectName() + ".UpdateObject"; }
    QLineEdit* edtText;
    QComboBox* cbKind;
};
class TRecPage2 : public TRecPage {
    Q_OBJECT
public:
    using TRecPage::TRecPage;
};
class TRecPage3 : public TRecPage {
    Q_OBJECT
public:
    using TRecPage::TRecPage;
};

constexpr TGroupDef kTestGroups[] = {{"Один", true}, {"Два", true}, {"Quenta", false}};
constexpr TTabDef kTestTabs[] = {
    {1, CreatePage<TRecPage>}, {1, CreatePage<TRecPage2>}, {2, CreatePage<TRecPage3>}};
const TPageTree kTestTree{kTestGroups, kTestTabs};

const char kFake[] = "{TEST-FAKE}";
const QString kSite = QStringLiteral("fmMain.Splitter.pnlSite.");
} // namespace

class TestShell : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void pageButtonsAroundACall();
    void dialogKeepsADisabledButtonDisabled();
    void tabChangeUpdatesOldPageFirst();
    void pagesOwnership();

    void settingsWalk();
    void loadClampsAndSkips_data();
    void loadClampsAndSkips();

    void windowBuildsTheTree();
    void savedStateIsRestored();
    void storedIndexes_data();
    void storedIndexes();
    void brokenSettingsFile_data();
    void brokenSettingsFile();
    void sameGroupIsNotUpdated();
    void pageShowsWithItsGroup();

    void caption_data();
    void caption();
    void baudRates_data();
    void baudRates();
    void resultPanel();

    void checkPasswordText_data();
    void checkPasswordText();
    void passwordField();

    void languageFile();
    void driverCannotBeCreated();

private:
    std::unique_ptr<TfmMain> NewWindow(const TPageTree& tree = kTestTree) {
        return std::make_unique<TfmMain>(tree);
    }
    QString SettingsFile() const { return OpenSettings()->fileName(); }

    std::unique_ptr<TestDataDir> FData;
    std::unique_ptr<QTemporaryDir> FConfig;
    std::shared_ptr<FakeLedgra> FFake;
    QStringList FShown;
};

void TestShell::init() {
    FData = std::make_unique<TestDataDir>();
    FConfig = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, FConfig->path());
    FFake = std::make_shared<FakeLedgra>();
    FFake->Preset(PropertyId::Password, 30);
    Platform::RegisterComponentClass(QString::fromLatin1(kFake), QString(),
                                     [f = FFake] { return f; });
    qputenv("LEDGRA_CLASS", kFake);
    FShown.clear();
    SetErrorSink([this](QWidget*, const QString& text) { FShown << text; });
    Events().clear();
}

void TestShell::cleanup() {
    FreeDriver();
    SetErrorSink({});
    qunsetenv("LEDGRA_CLASS");
    Platform::UnregisterComponentClass(QString::fromLatin1(kFake));
    FFake.reset();
    FConfig.reset();
    FData.reset();
}

// The page protocol: notifier false/true around the call, every button back
// on (also one disabled before), the focused one focused again, and a silent
// abort shows nothing and still switches the buttons on.
void TestShell::pageButtonsAroundACall() {
    TRecPage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowActive(&page));
    QStringList notified;
    PageNotifier().OnChange = [&](TPageNotifier*, bool v) {
        notified << (v ? "on" : "off");
        QVERIFY(page.Button("btnA")->isEnabled() == !v || v);
    };
    page.Button("btnB")->setEnabled(false);
    page.Button("btnA")->setFocus();
    bool disabledInside = false;
    QVERIFY(page.RunProtected([&] {
        disabledInside = !page.Button("btnA")->isEnabled() && !page.Button("btnB")->isEnabled();
    }));
    QVERIFY(disabledInside);
    QVERIFY(page.Button("btnA")->isEnabled());
    QVERIFY(page.Button("btnB")->isEnabled());
    QVERIFY(page.Button("btnA")->hasFocus());

    // No button focused now: the one stored by the earlier call gets it back.
    page.edtText->setFocus();
    QVERIFY(!page.RunProtected([&] { page.Check(5); }));
    QVERIFY(page.Button("btnA")->isEnabled());
    QVERIFY(page.Button("btnA")->hasFocus());
    QCOMPARE(notified, QStringList({"off", "on", "off", "on"}));
    QVERIFY(FShown.isEmpty());
    PageNotifier().OnChange = nullptr;
}

void TestShell::dialogKeepsADisabledButtonDisabled() {
    TBaseForm form;
    auto* on = new QPushButton(&form);
    auto* off = new QPushButton(&form);
    off->setEnabled(false);
    form.EnableButtons(false);
    QVERIFY(!on->isEnabled());
    form.EnableButtons(true);
    QVERIFY(on->isEnabled());
    QVERIFY(!off->isEnabled());
}

void TestShell::tabChangeUpdatesOldPageFirst() {
    TfmTabbedPage group;
    auto* a = new TRecPage;
    auto* b = new TRecPage;
    a->setObjectName("a");
    b->setObjectName("b");
    group.AddPage(a);
    group.AddPage(b);
    QVERIFY(Events().isEmpty()); // adding a tab is no change of page
    QCOMPARE(group.PageControl()->tabText(1), QStringLiteral("Rec"));
    Events().clear();
    group.PageControl()->setCurrentIndex(1);
    QCOMPARE(Events(), QStringList({"a.UpdateObject", "b.UpdatePage"}));
    Events().clear();
    group.UpdatePage();
    group.UpdateObject();
    QCOMPARE(Events(), QStringList({"b.UpdatePage", "b.UpdateObject"}));
}

void TestShell::pagesOwnership() {
    int destroyed = 0;
    auto pages = std::make_unique<TPages>();
    QCOMPARE(pages->PageByClass<TRecPage>(), nullptr);
    QCOMPARE(pages->Count(), 0);
    TRecPage* p[3];
    for (auto*& page : p) {
        page = new TRecPage2;
        page->SetOwner(pages.get());
        connect(page, &QObject::destroyed, this, [&] { ++destroyed; });
    }
    QCOMPARE(pages->PageByClass<TRecPage>(), p[0]); // a descendant counts
    QCOMPARE(pages->PageByClass<TRecPage3>(), nullptr);
    delete p[1];
    QCOMPARE(pages->Count(), 2);
    QCOMPARE(pages->IndexOf(p[2]), 1);
    pages.reset();
    QCOMPARE(destroyed, 3);
}

// Value names, tag 1000, read-only fields, the 4096-character cut.
void TestShell::settingsWalk() {
    QWidget form;
    auto* box = new QWidget(&form);
    box->setObjectName("pnl");
    auto* edt = new QLineEdit(QString(5000, 'x'), box);
    edt->setObjectName("edtLong");
    auto* ro = new QLineEdit("result", box);
    ro->setObjectName("edtResult");
    ro->setReadOnly(true);
    auto* memo = new QPlainTextEdit("line1\nline2", &form);
    memo->setObjectName("Memo");
    auto* skipped = new QWidget(&form);
    skipped->setObjectName("pnlSkipped");
    SetControlTag(skipped, 1000);
    (new QLineEdit("not saved", skipped))->setObjectName("edtInside");
    auto* unnamed = new QWidget(&form); // walked through without a name
    auto* chb = new QCheckBox(unnamed);
    chb->setObjectName("chbFlag");
    chb->setChecked(true);
    auto* when = new QDateTimeEdit(QDateTime(QDate(2024, 2, 29), QTime(13, 5)), &form);
    when->setObjectName("dtpWhen");

    QSettings key(FConfig->filePath("walk.ini"), QSettings::IniFormat);
    SaveControlParams("fm", &form, key);
    QCOMPARE(key.allKeys(), QStringList({"fm.Memo", "fm.chbFlag", "fm.dtpWhen", "fm.pnl.edtLong"}));
    QCOMPARE(key.value("fm.pnl.edtLong").toString(), QString(4096, 'x'));

    edt->clear();
    ro->clear();
    memo->clear();
    chb->setChecked(false);
    when->setDateTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    key.setValue("fm.pnl.edtResult", "stored");
    key.setValue("fm.pnlSkipped.edtInside", "stored");
    LoadControlParams("fm", &form, key);
    QCOMPARE(edt->text(), QString(4096, 'x'));
    QCOMPARE(memo->toPlainText(), QStringLiteral("line1\nline2"));
    QVERIFY(chb->isChecked());
    QCOMPARE(when->dateTime(), QDateTime(QDate(2024, 2, 29), QTime(13, 5)));
    QVERIFY(ro->text().isEmpty());
    QCOMPARE(skipped->findChild<QLineEdit*>()->text(), QStringLiteral("not saved"));
}

// A stored value that cannot be applied is skipped; the rest still loads.
void TestShell::loadClampsAndSkips_data() {
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("spin");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("value");
    QTest::newRow("in range") << "2"
                              << "7" << 2 << 7;
    QTest::newRow("negative index") << "-1"
                                    << "7" << 0 << 7;
    QTest::newRow("past the last item") << "3"
                                        << "7" << 0 << 7;
    QTest::newRow("not a number") << "zwei"
                                  << "x" << 1 << 5;
    QTest::newRow("empty") << ""
                           << "" << 1 << 5;
}

void TestShell::loadClampsAndSkips() {
    QFETCH(QString, combo);
    QFETCH(QString, spin);
    QFETCH(int, index);
    QFETCH(int, value);
    QWidget form;
    auto* cb = new QComboBox(&form);
    cb->setObjectName("cbKind");
    cb->addItems({"a", "b", "c"});
    cb->setCurrentIndex(1);
    auto* se = new QSpinBox(&form);
    se->setObjectName("seCount");
    se->setValue(5);
    auto* chb = new QCheckBox(&form);
    chb->setObjectName("chbLast");
    const QString file = FConfig->filePath("load.ini");
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[General]\nfm.cbKind=%1\nfm.seCount=%2\nfm.chbLast=true\n")
                    .arg(combo, spin)
                    .toUtf8());
    }
    QSettings key(file, QSettings::IniFormat);
    LoadControlParams("fm", &form, key);
    QCOMPARE(cb->currentIndex(), index);
    QCOMPARE(se->value(), value);
    QVERIFY(chb->isChecked());
}

void TestShell::windowBuildsTheTree() {
    auto w = NewWindow();
    QStringList entries;
    for (int i = 0; i < w->GroupList()->count(); ++i)
        entries << w->GroupList()->item(i)->text();
    QCOMPARE(entries, QStringList({"  01. Один", "  02. Два", "  03. Quenta"}));
    QCOMPARE(w->Pages().Count(), 6);
    QCOMPARE(w->Pages().Items(1)->objectName(), QStringLiteral("RecPage"));
    // Initialize in list order, then the first group and its first tab.
    QCOMPARE(Events(), QStringList({"RecPage.Initialize", "RecPage2.Initialize",
                                    "RecPage3.Initialize", "RecPage.UpdatePage"}));
    QCOMPARE(w->CurrentPage(), w->Pages().Items(0));
    // No settings: every combo box shows its first item.
    QCOMPARE(w->Pages().PageByClass<TRecPage>()->cbKind->currentIndex(), 0);
    QCOMPARE(w->findChild<QLineEdit*>("edtPassword")->text(), QStringLiteral("30"));
    QVERIFY(FShown.isEmpty());

    // The real tree: twelve groups, the status page on the first.
    auto real = NewWindow(PageTree());
    QCOMPARE(real->GroupList()->count(), 12);
    QCOMPARE(real->GroupList()->item(0)->text(), QStringLiteral("  01. Состояние"));
    QCOMPARE(real->GroupList()->item(2)->text(), QStringLiteral("  03. ФН чеки (ФФД 1.05-1.2)"));
    QCOMPARE(real->GroupList()->item(11)->text(), QStringLiteral("  12. Quenta"));
    QCOMPARE(static_cast<TfmTabbedPage*>(real->CurrentPage())->PageControl()->tabText(0),
             QStringLiteral("Запросы"));
    QVERIFY(FShown.isEmpty());
}

void TestShell::savedStateIsRestored() {
    {
        auto w = NewWindow();
        auto* p2 = w->Pages().PageByClass<TRecPage2>();
        p2->edtText->setText("second");
        p2->cbKind->setCurrentIndex(2);
        w->Pages().PageByClass<TRecPage3>()->edtText->setText("third");
        w->GroupList()->setCurrentRow(0);
        w->SetTab(1);
        w->resize(800, 560);
    }
    QSettings key(SettingsFile(), QSettings::IniFormat);
    key.beginGroup("Tests/Tallyport/A4/Param");
    QCOMPARE(key.value(kSite + "fmTabbedPage1.PageControl.RecPage2.edtText").toString(),
             QStringLiteral("second"));
    QCOMPARE(key.value("TabIndex").toInt(), 1);

    auto w = NewWindow();
    QCOMPARE(w->Pages().PageByClass<TRecPage2>()->edtText->text(), QStringLiteral("second"));
    QCOMPARE(w->Pages().PageByClass<TRecPage2>()->cbKind->currentIndex(), 2);
    QCOMPARE(w->Pages().PageByClass<TRecPage3>()->edtText->text(), QStringLiteral("third"));
    QVERIFY(w->Pages().PageByClass<TRecPage>()->edtText->text().isEmpty());
    QCOMPARE(w->GetTabIndex(), 1);
    QCOMPARE(w->size(), QSize(800, 560));
}

void TestShell::storedIndexes_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("tab");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("activeTab");
    QTest::newRow("as stored") << "0"
                               << "1" << 0 << 1;
    QTest::newRow("second group") << "1"
                                  << "0" << 1 << 0;
    QTest::newRow("group past the last") << "3"
                                         << "1" << 0 << 1;
    QTest::newRow("negative group") << "-1"
                                    << "0" << 0 << 0;
    QTest::newRow("tab past the last") << "0"
                                       << "2" << 0 << 0;
    QTest::newRow("negative tab") << "0"
                                  << "-1" << 0 << 0;
    QTest::newRow("unreadable") << "x"
                                << "y" << 0 << 0;
}

void TestShell::storedIndexes() {
    QFETCH(QString, page);
    QFETCH(QString, tab);
    QFETCH(int, group);
    QFETCH(int, activeTab);
    {
        auto key = OpenSettings();
        key->setValue("PageIndex", page);
        key->setValue("TabIndex", tab);
    }
    auto w = NewWindow();
    QCOMPARE(w->GroupList()->currentRow(), group);
    QCOMPARE(w->CurrentPage(), w->GroupList()->item(group)->data(Qt::UserRole).value<QObject*>());
    QCOMPARE(w->GetTabIndex(), activeTab);
    QVERIFY(FShown.isEmpty());
}

// Values of the wrong kind or a damaged file never stop the start; what can
// be read is still applied.
void TestShell::brokenSettingsFile_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("second");
    QTest::newRow("wrong types")
        << QByteArray("[Tests]\nTallyport\\A4\\Param\\MPWidth=wide\nTallyport\\A4\\Param\\"
                      "fmMain.pnlResult.edtPassword=\nTallyport\\A4\\Param\\fmMain.Splitter."
                      "pnlSite.fmTabbedPage1.PageControl.RecPage2.cbKind=@Variant(garbage)\n"
                      "Tallyport\\A4\\Param\\fmMain.Splitter.pnlSite.fmTabbedPage1.PageControl."
                      "RecPage2.edtText=kept\nTallyport\\A4\\Param\\MPHeigth=555\n")
        << "kept";
    QTest::newRow("non-numeric password")
        << QByteArray("[Tests]\nTallyport\\A4\\Param\\fmMain.pnlResult.edtPassword=abc\n"
                      "Tallyport\\A4\\Param\\fmMain.Splitter.pnlSite.fmTabbedPage1."
                      "PageControl.RecPage2.edtText=kept\n")
        << "kept";
    QTest::newRow("truncated") << QByteArray("[Tests]\nTallyport\\A4\\Param\\Page") << "";
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe[\n=\x01\x02", 9) << "";
}

void TestShell::brokenSettingsFile() {
    QFETCH(QByteArray, content);
    QFETCH(QString, second);
    const QString file = SettingsFile();
    QDir().mkpath(QFileInfo(file).path());
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    auto w = NewWindow();
    QVERIFY(FShown.isEmpty());
    QCOMPARE(w->Pages().PageByClass<TRecPage2>()->edtText->text(), second);
    // The saved password was refused; the field shows the driver's.
    QCOMPARE(w->findChild<QLineEdit*>("edtPassword")->text(), QStringLiteral("30"));
    QCOMPARE(FFake->Get(PropertyId::Password).toInt(), 30);
    if (content.contains("MPHeigth"))
        QCOMPARE(w->height(), 555);
    QCOMPARE(w->CurrentPage(), w->Pages().Items(0));
    w->SetTab(1);
    w.reset();
    // The state is saved again, also over a damaged file.
    QSettings key(file, QSettings::IniFormat);
    QCOMPARE(key.status(), QSettings::NoError);
    QCOMPARE(key.value("Tests/Tallyport/A4/Param/TabIndex").toInt(), 1);
}

void TestShell::sameGroupIsNotUpdated() {
    auto w = NewWindow();
    Events().clear();
    w->ShowPage(w->CurrentPage());
    QVERIFY(Events().isEmpty());
    w->GroupList()->setCurrentRow(1);
    QCOMPARE(Events(), QStringList({"RecPage.UpdateObject", "RecPage3.UpdatePage"}));
    QVERIFY(w->Pages().Items(0)->isHidden());
}

void TestShell::pageShowsWithItsGroup() {
    // Pages are not shown one by one at start-up: each shows with its group.
    auto w = NewWindow();
    w->show();
    QCoreApplication::processEvents();
    TPage* first = w->Pages().PageByClass<TRecPage>();
    TPage* third = w->Pages().PageByClass<TRecPage3>();
    QVERIFY(first->isVisible());
    QVERIFY(!third->isVisible());
    w->GroupList()->setCurrentRow(1);
    QVERIFY(third->isVisible());
    QVERIFY(!first->isVisible());
    w->GroupList()->setCurrentRow(0);
    QVERIFY(first->isVisible());
}

void TestShell::caption_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("serial") << 0 << " [Serial: COM3 Baudrate 115200]";
    QTest::newRow("DCOM 1") << 1 << " [DCOM:host1 COM3 Baudrate 115200]";
    QTest::newRow("DCOM 2") << 2 << " [DCOM:host1 COM3 Baudrate 115200]";
    QTest::newRow("other 3") << 3 << "";
    QTest::newRow("TCP") << 6 << " [TCP: 10.0.0.5: 7778]";
    QTest::newRow("embedded") << 100 << "";
}

void TestShell::caption() {
    QFETCH(int, type);
    QFETCH(QString, suffix);
    FFake->Preset(PropertyId::ConnectionType, type)
        .Preset(PropertyId::ComNumber, 3)
        .Preset(PropertyId::BaudRate, 6)
        .Preset(PropertyId::ComputerName, "host1")
        .Preset(PropertyId::IPAddress, "10.0.0.5")
        .Preset(PropertyId::TCPPort, 7778);
    auto w = NewWindow();
    const QString def = QStringLiteral("Тест драйвера кассовой техники %1.%2.%3.%4 (%5-bit)")
                            .arg(VEXA_VERSION_MAJOR)
                            .arg(VEXA_VERSION_MINOR)
                            .arg(VEXA_VERSION_PATCH)
                            .arg(VEXA_VERSION_TWEAK)
                            .arg(sizeof(void*) * 8);
    QCOMPARE(w->GetDefCaption(), def);
    QCOMPARE(w->windowTitle(), def + suffix);
}

void TestShell::baudRates_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("rate");
    const int rates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
    for (int i = 0; i < 10; ++i)
        QTest::addRow("%d", i) << i << rates[i];
    QTest::newRow("-1") << -1 << 4800;
    QTest::newRow("10") << 10 << 4800;
}

void TestShell::baudRates() {
    QFETCH(int, index);
    QFETCH(int, rate);
    QCOMPARE(IntToBaudRate(index), rate);
}

// A page call: the panel is cleared when it starts and shows the driver's
// answer when it ends.
void TestShell::resultPanel() {
    auto w = NewWindow();
    const auto field = [&](const char* name) { return w->findChild<QLineEdit*>(name)->text(); };
    auto* page = w->Pages().PageByClass<TRecPage>();
    FFake->Preset(PropertyId::ECRInput, "10 11")
        .Preset(PropertyId::ECROutput, "20 21")
        .Preset(PropertyId::OperatorNumber, 29)
        .Preset(PropertyId::ConnectionType, 6)
        .Preset(PropertyId::IPAddress, "1.2.3.4");
    FFake->Answer(MethodId::Beep, 80);
    QStringList during;
    page->RunProtected([&] {
        during << field("edtResult") << field("edtInput") << field("edtTime");
        TDriver& d = Driver();
        d.Beep();
    });
    QCOMPARE(during, QStringList({"", "", ""}));
    QCOMPARE(field("edtResult"),
             QStringLiteral("(80) ") + FFake->Get(PropertyId::ResultCodeDescription).toString());
    QCOMPARE(field("edtInput"), QStringLiteral("10 11"));
    QCOMPARE(field("edtOutput"), QStringLiteral("20 21"));
    QCOMPARE(field("edtOperator"), QStringLiteral("29"));
    QVERIFY(QRegularExpression("^\\d+ мс$").match(field("edtTime")).hasMatch());
    QVERIFY(w->windowTitle().endsWith(" [TCP: 1.2.3.4: 0]"));
}

void TestShell::checkPasswordText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");
    QTest::newRow("digits") << "123" << true << "";
    QTest::newRow("1024 digits: too big, not too long") << QString(1024, '1') << false << "";
    QTest::newRow("1025 characters")
        << QString(1025, '1') << false << "Некорректное значение в поле \"Password\"";
    QTest::newRow("a letter") << "12a" << false << "";
}

void TestShell::checkPasswordText() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, message);
    try {
        CheckPasswordText(text);
        QVERIFY(ok);
    } catch (const EError& e) {
        QVERIFY(!ok);
        if (!message.isEmpty())
            QCOMPARE(e.Message(), message);
        else
            QVERIFY(e.Message() != QStringLiteral("Некорректное значение в поле \"Password\""));
    }
}

void TestShell::passwordField() {
    auto w = NewWindow();
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    auto* edt = w->findChild<QLineEdit*>("edtPassword");
    edt->setFocus();
    edt->selectAll();
    QTest::keyClicks(edt, "1a2 b");
    QCOMPARE(edt->text(), QStringLiteral("12"));
    QCOMPARE(FFake->Get(PropertyId::Password).toInt(), 12);
    QVERIFY(FShown.isEmpty());

    // Pasting a text with a letter: the conversion error, nothing pasted.
    QGuiApplication::clipboard()->setText("4x");
    QTest::keySequence(edt, QKeySequence::Paste);
    QCOMPARE(edt->text(), QStringLiteral("12"));
    QCOMPARE(FShown.size(), 1);
    QGuiApplication::clipboard()->setText("45");
    QTest::keySequence(edt, QKeySequence::Paste);
    QCOMPARE(edt->text(), QStringLiteral("1245"));
    QCOMPARE(FFake->Get(PropertyId::Password).toInt(), 1245);

    // Emptying the field raises the conversion error; leaving it restores the
    // driver's value.
    edt->clear();
    QCOMPARE(FShown.size(), 2);
    w->findChild<QPushButton*>("btnProperties")->setFocus();
    QCOMPARE(edt->text(), QStringLiteral("1245"));
}

void TestShell::languageFile() {
    QCOMPARE(GetLanguage(), QStringLiteral("RU"));
    SetLanguage("EN");
    QSettings ini(FData->File("locale.ini"), QSettings::IniFormat);
    QCOMPARE(ini.value("Locale/Lang").toString(), QStringLiteral("EN"));
    // The running program keeps its language.
    QCOMPARE(GetLanguage(), QStringLiteral("RU"));
    QCOMPARE(Tr("Закрыть"), QStringLiteral("Закрыть"));
}

void TestShell::driverCannotBeCreated() {
    qputenv("LEDGRA_CLASS", "{00000000-NO-SUCH-CLASS}");
    auto w = NewWindow(PageTree());
    QCOMPARE(FShown.size(), 1);
    const QString prefix = QStringLiteral("Ошибка создания объекта драйвера: ");
    QVERIFY2(FShown[0].startsWith(prefix) && FShown[0].size() > prefix.size(),
             qUtf8Printable(FShown[0]));
    QCOMPARE(w->windowTitle(), QStringLiteral("Тест драйвера"));
    QVERIFY(w->findChild<QLineEdit*>("edtPassword")->text().isEmpty());
    QCOMPARE(w->GroupList()->count(), 12);
    QVERIFY(!DriverExists());
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestShell t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_shell.moc"
