// The page "Шрифты": metrics reports, the test print, loading a font with its
// messages and failure paths against a scripted driver; and the page against
// the embedded virtual register with the font file shipped with the program.

#include "pages/status/fmuFont.h"
#include "tests/support/PageTestSupport.h"

#include "ledgra/LedgraComponent.h"
#include "platform/LedgraErrors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QSpinBox>

namespace {

const char kFakeClass[] = "{TEST-FAKE-FONT}";

class FontFake : public FakeLedgra {
public:
    std::function<void(MethodId)> OnInvoke;
    int Invoke(MethodId id) override {
        if (OnInvoke)
            OnInvoke(id);
        return FakeLedgra::Invoke(id);
    }
};

using P = PropertyId;

QString L(const char* label, const QString& value) {
    return QLatin1Char(' ') + QString::fromUtf8(label).leftJustified(24) + QStringLiteral(": ") +
           value;
}

FakeLedgra::Outputs Metrics(int printWidth, int charWidth, int charHeight, int count) {
    return {{P::PrintWidth, printWidth},
            {P::CharWidth, charWidth},
            {P::CharHeight, charHeight},
            {P::FontCount, count}};
}

QString MemoText(TfmFont& page) {
    return Find<QPlainTextEdit>(page, "Memo")->toPlainText();
}

} // namespace

class TestFont : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void driverCalls_data();
    void driverCalls();
    void fontMetrics_data();
    void fontMetrics();
    void fontsMetricsEndAtFailingFont();
    void testPrint();
    void testPrintStopsAtFailure();
    void loadFont_data();
    void loadFont();
    void loadFontDialog_data();
    void loadFontDialog();
    void fontHash();
    void pageOnVirtualRegister();

private:
    TFakeDriver<FontFake> F{kFakeClass};
};

void TestFont::initTestCase() {
    F.RegisterWithVirtualRegister();
}

void TestFont::init() {
    F.Init();
}

void TestFont::cleanup() {
    QVERIFY2(F.Shown.isEmpty(), qPrintable(F.Shown.join(QLatin1Char('\n'))));
    F.Cleanup();
}

void TestFont::driverCalls_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("metrics") << "btnGetFontMetrics"
                             << QStringList{"Set FontType=300", "Call GetFontMetrics"};
    QTest::newRow("hash") << "btnReadFontHash" << QStringList{"Call ReadFontHash"};
    QTest::newRow("reset") << "btnResetFont" << QStringList{"Call ResetFont"};
    QTest::newRow("small font") << "btnLoadSmallFont"
                                << QStringList{"Set FileName=<small>", "Call LoadFont"};
}

void TestFont::driverCalls() {
    QFETCH(QString, button);
    QFETCH(QStringList, log);
    TfmFont page;
    QCOMPARE(page.windowTitle(), QStringLiteral("Шрифты"));
    Find<QSpinBox>(page, "seFontType")->setValue(300);
    auto* b = page.findChild<QPushButton*>(button);
    QVERIFY(b);
    QList<bool> enabledInCall;
    F.Fake->OnInvoke = [&](MethodId) { enabledInCall << b->isEnabled(); };
    TNotifierLog notifier;
    b->click();
    // The small font: the folder "Fonts" beside the program's folder.
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString small =
        QFileInfo(programDir.absolutePath()).dir().filePath(QStringLiteral("Fonts/font_9.spf"));
    log.replaceInStrings(QStringLiteral("<small>"), small);
    QCOMPARE(F.Fake->Log(), log);
    QCOMPARE(notifier.Changes, QList<bool>({false, true}));
    QCOMPARE(enabledInCall, QList<bool>{false});
    QVERIFY(b->isEnabled());
}

void TestFont::fontMetrics_data() {
    QTest::addColumn<int>("charWidth");
    QTest::addColumn<QStringList>("lines");
    const QStringList sizes{QString(), L("Ширина печати в точках", "512")};
    QTest::newRow("characters per line truncated")
        << 12
        << QStringList{QString(),
                       L("Ширина печати в точках", "512"),
                       L("Ширина символа в точках", "12"),
                       L("Высота символа в точках", "24"),
                       L("Количество шрифтов", "7"),
                       L("Символов в строке", "42")};
    QTest::newRow("no width, no characters per line")
        << 0
        << QStringList{QString(), L("Ширина печати в точках", "512"),
                       L("Ширина символа в точках", "0"), L("Высота символа в точках", "24"),
                       L("Количество шрифтов", "7")};
}

void TestFont::fontMetrics() {
    QFETCH(int, charWidth);
    QFETCH(QStringList, lines);
    F.Fake->Answer(MethodId::GetFontMetrics, 0, Metrics(512, charWidth, 24, 7));
    F.Fake->Answer(MethodId::GetFontMetrics, 51, Metrics(0, 0, 0, 0));
    TfmFont page;
    Find<QPlainTextEdit>(page, "Memo")->setPlainText(QStringLiteral("прежний текст"));
    Click(page, "btnGetFontMetrics");
    QCOMPARE(MemoLines(page, "Memo"), lines);
    // A failing font clears the memo and shows nothing.
    Click(page, "btnGetFontMetrics");
    QCOMPARE(MemoLines(page, "Memo"), QStringList());
}

void TestFont::fontsMetricsEndAtFailingFont() {
    // Four fonts; the third fails and ends the list.
    F.Fake->Answer(MethodId::GetFontMetrics, 0, Metrics(576, 12, 24, 4));
    F.Fake->Answer(MethodId::GetFontMetrics, 0, Metrics(576, 12, 24, 4));
    F.Fake->Answer(MethodId::GetFontMetrics, 0, Metrics(576, 0, 20, 4));
    F.Fake->Answer(MethodId::GetFontMetrics, 51);
    TfmFont page;
    Find<QSpinBox>(page, "seFontType")->setValue(6);
    Click(page, "btnGetFontsMetrics");
    const QString separator = QLatin1Char(' ') + QString(33, QLatin1Char('-'));
    QCOMPARE(
        MemoLines(page, "Memo"),
        QStringList({QString(), L("Количество шрифтов", "4"), separator, L("Номер шрифта", "1"),
                     L("Ширина печати в точках", "576"), L("Ширина символа в точках", "12"),
                     L("Высота символа в точках", "24"), L("Символов в строке", "48"), separator,
                     L("Номер шрифта", "2"), L("Ширина печати в точках", "576"),
                     L("Ширина символа в точках", "0"), L("Высота символа в точках", "20")}));
    QStringList fonts;
    for (const QString& e : F.Fake->Log())
        if (e.startsWith(QLatin1String("Set FontType=")))
            fonts << e.mid(13);
    QCOMPARE(fonts, QStringList({"1", "1", "2", "3"}));
    QCOMPARE(Find<QPlainTextEdit>(page, "Memo")->textCursor().position(), 0);
}

void TestFont::testPrint() {
    TfmFont page;
    Find<QSpinBox>(page, "seFontType")->setValue(5);
    Click(page, "btnTestPrint");
    QStringList expected{"Set FontType=5", "Set StringForPrinting=Шрифт 5",
                         "Call PrintStringWithFont"};
    for (int i = 0; i < 16; ++i) {
        QString line =
            QStringLiteral("0x%1 ").arg(QString::number(16 * i, 16).toUpper(), 2, QLatin1Char('0'));
        for (int c = 16 * i; c < 16 * i + 16; ++c)
            line += QChar(c);
        expected << QStringLiteral("Set StringForPrinting=") + line
                 << QStringLiteral("Call PrintStringWithFont");
    }
    expected << "Set StringQuantity=15"
             << "Call FeedDocument";
    const QStringList log = F.Fake->Log();
    QCOMPARE(log, expected);
    // The edges of the character table.
    QCOMPARE(log[3], QStringLiteral("Set StringForPrinting=0x00 ") +
                         QString::fromLatin1("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b"
                                             "\x0c\x0d\x0e\x0f",
                                             16));
    QVERIFY(log[33].startsWith(QLatin1String("Set StringForPrinting=0xF0 ")));
    QCOMPARE(log[33].right(16).front(), QChar(0xF0));
    QCOMPARE(log[33].back(), QChar(0xFF));
}

void TestFont::testPrintStopsAtFailure() {
    F.Fake->Answer(MethodId::PrintStringWithFont, 0);
    F.Fake->Answer(MethodId::PrintStringWithFont, 0);
    F.Fake->Answer(MethodId::PrintStringWithFont, 107);
    TfmFont page;
    TNotifierLog notifier;
    Click(page, "btnTestPrint");
    QCOMPARE(F.Fake->Calls(), QStringList(3, QStringLiteral("PrintStringWithFont")));
    QCOMPARE(notifier.Changes, QList<bool>({false, true}));
}

void TestFont::loadFont_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("error"); // an error the driver raises, or none
    QTest::addColumn<QString>("memo");
    QTest::newRow("loaded") << 0 << ""
                            << "Шрифт загружен";
    QTest::newRow("register refuses") << 51 << ""
                                      << "Ошибка загрузки шрифта";
    QTest::newRow("driver raises") << 0 << "Нет связи"
                                   << "Ошибка загрузки шрифта";
}

void TestFont::loadFont() {
    QFETCH(int, code);
    QFETCH(QString, error);
    QFETCH(QString, memo);
    F.Fake->Answer(MethodId::LoadFont, code);
    TfmFont page;
    QString duringCall;
    F.Fake->OnInvoke = [&](MethodId) {
        duringCall = MemoText(page);
        if (!error.isEmpty())
            throw EError(error);
    };
    Click(page, "btnLoadSmallFont");
    QCOMPARE(duringCall, QStringLiteral("Загрузка шрифта..."));
    QCOMPARE(MemoText(page), memo);
    // A refusing register ends silently; any other error shows its text.
    QCOMPARE(F.Shown, error.isEmpty() ? QStringList() : QStringList{error});
    F.Shown.clear();
}

void TestFont::loadFontDialog_data() {
    QTest::addColumn<bool>("accept");
    QTest::newRow("chosen") << true;
    QTest::newRow("cancelled") << false;
}

void TestFont::loadFontDialog() {
    QFETCH(bool, accept);
    const QString file = F.Dir->File(QStringLiteral("мой шрифт.spf"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    TfmFont page;
    Find<QPlainTextEdit>(page, "Memo")->setPlainText(QStringLiteral("прежний текст"));
    QString suffix;
    TModalAnswer reply([&](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        QVERIFY(dlg);
        suffix = dlg->defaultSuffix();
        if (!accept) {
            dlg->reject();
            return;
        }
        ChooseFile(dlg, file);
    });
    Click(page, "btnLoadFont");
    QCOMPARE(reply.Count, 1);
    QCOMPARE(suffix, QStringLiteral("spf"));
    if (accept) {
        QCOMPARE(F.Fake->Log(), QStringList({"Set FileName=" + file, "Call LoadFont"}));
        QCOMPARE(MemoText(page), QStringLiteral("Шрифт загружен"));
    } else {
        QCOMPARE(F.Fake->Log(), QStringList());
        QCOMPARE(MemoText(page), QStringLiteral("прежний текст"));
    }
}

void TestFont::fontHash() {
    F.Fake->Answer(MethodId::ReadFontHash, 0, {{P::FontHashHex, QStringLiteral("0A1B2C")}});
    F.Fake->Answer(MethodId::ReadFontHash, 51, {{P::FontHashHex, QStringLiteral("FFFF")}});
    TfmFont page;
    Click(page, "btnReadFontHash");
    QCOMPARE(MemoLines(page, "Memo"), QStringList{"0A1B2C"});
    Click(page, "btnReadFontHash");
    QCOMPARE(MemoLines(page, "Memo"), QStringList());
}

void TestFont::pageOnVirtualRegister() {
    F.UseVirtualRegister();
    TfmFont page;
    Click(page, "btnGetFontMetrics");
    QCOMPARE(Driver().ResultCode(), 0);
    const QStringList metrics = MemoLines(page, "Memo");
    QCOMPARE(metrics.size(), 6);
    QVERIFY(metrics[5].startsWith(L("Символов в строке", QString())));

    Click(page, "btnGetFontsMetrics");
    const int count = Driver().FontCount();
    QVERIFY(count > 1);
    QCOMPARE(MemoLines(page, "Memo").count(L("Номер шрифта", QString::number(count))), 1);

    Click(page, "btnReadFontHash");
    const QStringList hash = MemoLines(page, "Memo");
    QCOMPARE(hash.size(), 1);
    QVERIFY(!hash[0].isEmpty());

    Click(page, "btnTestPrint");
    QCOMPARE(Driver().ResultCode(), 0);
    auto* component = dynamic_cast<TLedgraComponent*>(&Driver().Object());
    QVERIFY(component);
    QString tape;
    QCOMPARE(component->ServiceCommand(QStringLiteral("tape"), &tape), 0);
    const QStringList records = tape.split(QLatin1Char('\n'));
    QVERIFY(records.contains(QStringLiteral("font 1 | Шрифт 1")));
    QVERIFY(records.contains(QStringLiteral("font 1 | 0x40 @ABCDEFGHIJKLMNO")));
    QCOMPARE(records.last(), QStringLiteral("(протяжка 15)"));

    // The shipped small font changes the hash; resetting brings it back.
    const QString shipped = QStringLiteral(VEXA_FONT9_FILE);
    TModalAnswer choose([&](QWidget* w) { ChooseFile(w, shipped); });
    Click(page, "btnLoadFont");
    QCOMPARE(Driver().ResultCode(), 0);
    QCOMPARE(MemoText(page), QStringLiteral("Шрифт загружен"));
    Find<QSpinBox>(page, "seFontType")->setValue(9);
    Click(page, "btnGetFontMetrics");
    QVERIFY(MemoLines(page, "Memo").contains(L("Ширина символа в точках", "6")));
    Click(page, "btnReadFontHash");
    QVERIFY(MemoLines(page, "Memo") != hash);
    Click(page, "btnResetFont");
    QCOMPARE(Driver().ResultCode(), 0);
    Click(page, "btnReadFontHash");
    QCOMPARE(MemoLines(page, "Memo"), hash);

    // Beside the test program there is no "Fonts" folder: the load fails.
    Click(page, "btnLoadSmallFont");
    QVERIFY(Driver().ResultCode() != 0);
    QCOMPARE(MemoText(page), QStringLiteral("Ошибка загрузки шрифта"));
}

QTEST_MAIN(TestFont)
#include "tst_font.moc"
