// The English start: locale.ini says "EN", the environment names no locale
// (as on CI), and the program is started where its catalogue is.

#include "common/RunHandler.h"
#include "driver/untDriver.h"
#include "platform/ComponentFactory.h"
#include "shell/PageTree.h"
#include "shell/fmuMain.h"
#include "tests/support/FakeLedgra.h"
#include "tests/support/TestDataDir.h"

#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestShellEnglish : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowStartsInEnglish();
};

void TestShellEnglish::windowStartsInEnglish() {
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    auto fake = std::make_shared<FakeLedgra>();
    Platform::RegisterComponentClass("{TEST-FAKE}", QString(), [fake] { return fake; });
    qputenv("LEDGRA_CLASS", "{TEST-FAKE}");
    QStringList shown;
    SetErrorSink([&](QWidget*, const QString& text) { shown << text; });
    {
        TfmMain w(PageTree());
        QCOMPARE(w.findChild<QPushButton*>("btnClose")->text(), QStringLiteral("Close"));
        QCOMPARE(w.GroupList()->item(0)->text(), QStringLiteral("  01. Status"));
        QCOMPARE(w.GroupList()->item(11)->text(), QStringLiteral("  12. Quenta"));
        QVERIFY2(w.windowTitle().startsWith("Driver test for cash registers "),
                 qUtf8Printable(w.windowTitle()));
    }
    QVERIFY(shown.isEmpty());
    SetErrorSink({});
}

int main(int argc, char** argv) {
    TestDataDir data;
    {
        QSettings ini(data.File("locale.ini"), QSettings::IniFormat);
        ini.setValue("Locale/Lang", "EN");
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"})
        qunsetenv(name);
    TApplication app(argc, argv);
    TestShellEnglish t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_shell_english.moc"
