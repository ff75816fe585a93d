// The virtual register's printer through the real component: the paper tape,
// line widths, feeds and cuts, fonts and font files, the console's tape.

#include "driver/ResultCodes.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "ledgra/LedgraConsole.h"
#include "tests/support/TestDataDir.h"
#include "vregister/VRFontFile.h"
#include "vregister/VRModelProfile.h"
#include "vregister/VRPrinter.h"
#include "vregister/VRState.h"
#include "vregister/VirtualRegister.h"

#include <QFile>
#include <QtTest>

namespace {

constexpr int kNoPaper = int(RC::NoReceiptPaper);
constexpr int kBad = int(RC::BadParameters);

// A fresh register folder with a component on its embedded register.
struct Bench {
    TestDataDir dir;
    TLedgra d{std::make_shared<TLedgraComponent>()};

    // What the paper shows, one record a line.
    QStringList Tape(int lastN = -1) {
        VRStore s(VR::DefaultRegisterPath());
        QStringList lines;
        for (const auto& r : VRPrinter::Tape(s, lastN))
            lines << r.Format();
        return lines;
    }
    void SetState(const QString& key, const QVariant& value) {
        VRStore s(VR::DefaultRegisterPath());
        s.Set(key, value);
    }
    QString Hash() { return d.ReadFontHash() == 0 ? d.FontHashHex() : QString(); }
};

QString Repeat(const QString& s, int n) {
    QString r;
    for (int i = 0; i < n; ++i)
        r += s;
    return r;
}

QString Font9File() {
    return QStringLiteral(VEXA_FONT9_FILE);
}

} // namespace

class TestVRegisterPrinter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void connectionPrintTest();
    void lineWidths_data();
    void lineWidths();
    void feedCutAndTestRun();
    void noPaper();
    void fontMetrics_data();
    void fontMetrics();
    void mainFontMatchesEveryProfile();
    void shippedFontFile();
    void loadFontAndReset();
    void badFontFiles_data();
    void badFontFiles();
    void tapeSurvivesTheRegisterObject();
    void consoleTape();
};

void TestVRegisterPrinter::connectionPrintTest() {
    // The connection page's test: a hundred lines, then a partial cut.
    Bench b;
    b.d.SetStringForPrinting(QStringLiteral("Строка для печати"));
    for (int i = 0; i < 100; ++i)
        QCOMPARE(b.d.PrintString(), 0);
    b.d.SetCutType(true);
    QCOMPARE(b.d.CutCheck(), 0);

    VRStore s(VR::DefaultRegisterPath());
    const auto tape = VRPrinter::Tape(s);
    QCOMPARE(int(tape.size()), 101);
    for (int i = 0; i < 100; ++i) {
        QCOMPARE(tape[i].kind, QLatin1String(VRPrinter::kLine));
        QCOMPARE(tape[i].Format(), QStringLiteral("font 1 | Строка для печати"));
        QVERIFY(i == 0 || tape[i].id > tape[i - 1].id);
    }
    QCOMPARE(tape[100].kind, QLatin1String(VRPrinter::kCut));
    QCOMPARE(tape[100].Format(), QStringLiteral("--- неполная отрезка ---"));
}

void TestVRegisterPrinter::lineWidths_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("font");
    QTest::addColumn<bool>("carry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("tape");

    const QString digits = Repeat(QStringLiteral("0123456789"), 10);
    const int str = int(MethodId::PrintString), wide = int(MethodId::PrintWideString),
              withFont = int(MethodId::PrintStringWithFont),
              wrap = int(MethodId::PrintStringWithWrap);
    auto line = [](const QString& prefix, const QString& text, int from, int n) {
        return prefix + QStringLiteral(" | ") + text.mid(from, n);
    };
    const QString f1 = QStringLiteral("font 1");
    QTest::newRow("font 1 cut at 48")
        << withFont << 1 << false << digits << QStringList{line(f1, digits, 0, 48)};
    QTest::newRow("font 2 cut at 24") << withFont << 2 << false << digits
                                      << QStringList{line(QStringLiteral("font 2"), digits, 0, 24)};
    QTest::newRow("font 3 cut at 64") << withFont << 3 << false << digits
                                      << QStringList{line(QStringLiteral("font 3"), digits, 0, 64)};
    QTest::newRow("exactly a line")
        << str << 0 << false << digits.left(48) << QStringList{line(f1, digits, 0, 48)};
    QTest::newRow("wide halves the line")
        << wide << 0 << false << digits
        << QStringList{line(QStringLiteral("font 1x2"), digits, 0, 24)};
    QTest::newRow("wrap") << wrap << 0 << false << digits
                          << QStringList{line(f1, digits, 0, 48), line(f1, digits, 48, 48),
                                         line(f1, digits, 96, 4)};
    QTest::newRow("carry strings wraps a plain line")
        << str << 0 << true << digits.left(50)
        << QStringList{line(f1, digits, 0, 48), line(f1, digits, 48, 2)};
    const QString cyr = Repeat(QStringLiteral("Ж"), 50);
    QTest::newRow("Cyrillic counted in characters")
        << str << 0 << false << cyr << QStringList{line(f1, cyr, 0, 48)};
    QTest::newRow("line breaks, an empty line kept")
        << wrap << 0 << false << QStringLiteral("a\r\n\nb")
        << QStringList{QStringLiteral("font 1 | a"), QStringLiteral("font 1 | "),
                       QStringLiteral("font 1 | b")};
    QTest::newRow("empty text feeds one empty line")
        << str << 0 << false << QString() << QStringList{QStringLiteral("font 1 | ")};
}

void TestVRegisterPrinter::lineWidths() {
    QFETCH(int, method);
    QFETCH(int, font);
    QFETCH(bool, carry);
    QFETCH(QString, text);
    QFETCH(QStringList, tape);
    Bench b;
    b.d.SetUseReceiptRibbon(true);
    b.d.SetUseJournalRibbon(true);
    b.d.SetCarryStrings(carry);
    b.d.SetFontType(font);
    b.d.SetStringForPrinting(text);
    QCOMPARE(b.d.Object().Invoke(MethodId(method)), 0);
    QCOMPARE(b.Tape(), tape);
}

void TestVRegisterPrinter::feedCutAndTestRun() {
    Bench b;
    b.d.SetStringQuantity(3);
    QCOMPARE(b.d.FeedDocument(), 0);
    b.d.SetCutType(false);
    QCOMPARE(b.d.CutCheck(), 0);
    QCOMPARE(b.Tape(),
             (QStringList{QStringLiteral("(протяжка 3)"), QStringLiteral("--- отрезка ---")}));

    // Refused parameters print nothing.
    for (int lines : {0, 256}) {
        b.d.SetStringQuantity(lines);
        QCOMPARE(b.d.FeedDocument(), kBad);
    }
    b.d.SetRunningPeriod(100);
    QCOMPARE(b.d.Test(), kBad);
    QCOMPARE(b.Tape().size(), 2);

    // The test run prints its block; interrupting it says so once.
    b.d.SetRunningPeriod(1);
    QCOMPARE(b.d.Test(), 0);
    const QStringList run = b.Tape().mid(2);
    QCOMPARE(run.size(), 5);
    QCOMPARE(run[0], QStringLiteral("font 1 | ТЕСТОВЫЙ ПРОГОН"));
    QCOMPARE(run[1], QStringLiteral("font 1 | Период прогона, мин: 1"));
    QCOMPARE(run[2], QStringLiteral("font 1 | ") +
                         QStringLiteral("!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOP"));
    QCOMPARE(b.d.InterruptTest(), 0);
    QCOMPARE(b.Tape(1), QStringList{QStringLiteral("font 1 | ТЕСТОВЫЙ ПРОГОН ПРЕРВАН")});
    QCOMPARE(b.d.InterruptTest(), 0);
    QCOMPARE(b.Tape().size(), 8);
}

void TestVRegisterPrinter::noPaper() {
    Bench b;
    b.SetState(QStringLiteral("flags"),
               VRState::kDefaultFlags & ~(1 << VRState::FlagReceiptRibbon));
    b.d.SetStringForPrinting(QStringLiteral("x"));
    b.d.SetUseReceiptRibbon(true);
    QCOMPARE(b.d.PrintString(), kNoPaper);
    QCOMPARE(b.d.PrintStringWithWrap(), kNoPaper);
    b.d.SetStringQuantity(1);
    QCOMPARE(b.d.FeedDocument(), kNoPaper);
    QCOMPARE(b.d.CutCheck(), kNoPaper);
    // No station chosen means the receipt ribbon.
    b.d.SetUseReceiptRibbon(false);
    QCOMPARE(b.d.PrintString(), kNoPaper);
    QVERIFY(b.Tape().isEmpty());
    // The journal is electronic: it needs no paper and is marked on the tape.
    b.d.SetUseJournalRibbon(true);
    QCOMPARE(b.d.PrintString(), 0);
    QCOMPARE(b.Tape(), QStringList{QStringLiteral("font 1 КЛ | x")});
}

void TestVRegisterPrinter::fontMetrics_data() {
    QTest::addColumn<int>("font");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("charWidth");
    QTest::addColumn<int>("charHeight");
    QTest::addColumn<int>("chars");

    QTest::newRow("1") << 1 << 0 << 12 << 24 << 48;
    QTest::newRow("2") << 2 << 0 << 24 << 48 << 24;
    QTest::newRow("3") << 3 << 0 << 9 << 17 << 64;
    QTest::newRow("4") << 4 << 0 << 12 << 48 << 48;
    QTest::newRow("5") << 5 << 0 << 8 << 16 << 72;
    QTest::newRow("6") << 6 << 0 << 24 << 24 << 24;
    QTest::newRow("7") << 7 << 0 << 16 << 32 << 36;
    QTest::newRow("0") << 0 << kBad << 0 << 0 << 0;
    QTest::newRow("8") << 8 << kBad << 0 << 0 << 0;
    QTest::newRow("9 before a load") << 9 << kBad << 0 << 0 << 0;
    QTest::newRow("negative") << -1 << kBad << 0 << 0 << 0;
}

void TestVRegisterPrinter::fontMetrics() {
    QFETCH(int, font);
    QFETCH(int, code);
    QFETCH(int, charWidth);
    QFETCH(int, charHeight);
    QFETCH(int, chars);
    Bench b;
    b.d.SetFontType(font);
    QCOMPARE(b.d.GetFontMetrics(), code);
    b.d.SetStringForPrinting(QStringLiteral("x"));
    QCOMPARE(b.d.PrintStringWithFont(), code);
    if (code != 0) {
        QVERIFY(b.Tape().isEmpty());
        return;
    }
    QCOMPARE(b.d.PrintWidth(), 576);
    QCOMPARE(b.d.CharWidth(), charWidth);
    QCOMPARE(b.d.CharHeight(), charHeight);
    QCOMPARE(b.d.FontCount(), 7);
    QCOMPARE(b.d.PrintWidth() / b.d.CharWidth(), chars);
}

void TestVRegisterPrinter::mainFontMatchesEveryProfile() {
    // Font 1 gives the characters a line the model parameter 5 announces.
    for (const QString& name : VRProfile::Names()) {
        Bench b;
        b.SetState(QStringLiteral("profile"), name);
        b.d.SetFontType(1);
        QCOMPARE(b.d.GetFontMetrics(), 0);
        QCOMPARE(b.d.PrintWidth(), VRProfile::Find(name)->maxLineWidth);
        QCOMPARE(b.d.PrintWidth() / b.d.CharWidth(), VRProfile::Find(name)->printChars);
    }
}

void TestVRegisterPrinter::shippedFontFile() {
    QFile f(Font9File());
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(Font9File()));
    const QByteArray data = f.readAll();
    QString error;
    const auto font = VRFontFile::Parse(data, &error);
    QVERIFY2(font, qPrintable(error));
    QCOMPARE(font->number, VRFontFile::kUserFont);
    QCOMPARE(font->firstCode, 0x20);
    QCOMPARE(font->count, 0xE0);
    QCOMPARE(VRFontFile::Write(*font), data);
    // The CRC is the standard one.
    QCOMPARE(VRFontFile::Crc32("123456789"), 0xCBF43926u);
}

void TestVRegisterPrinter::loadFontAndReset() {
    Bench b;
    const QString builtIn = b.Hash();
    QCOMPARE(builtIn.size(), 64);

    b.d.SetFileName(Font9File());
    QCOMPARE(b.d.LoadFont(), 0);
    const QString loaded = b.Hash();
    QVERIFY(!loaded.isEmpty());
    QVERIFY(loaded != builtIn);

    b.d.SetFontType(9);
    QCOMPARE(b.d.GetFontMetrics(), 0);
    QCOMPARE(b.d.CharWidth(), 6);
    QCOMPARE(b.d.CharHeight(), 8);
    QCOMPARE(b.d.FontCount(), 7);
    b.d.SetStringForPrinting(Repeat(QStringLiteral("x"), 100));
    QCOMPARE(b.d.PrintStringWithFont(), 0);
    QCOMPARE(b.Tape(), QStringList{QStringLiteral("font 9 | ") + Repeat(QStringLiteral("x"), 96)});

    // Loading the same file again changes nothing; a reset restores the fonts.
    QCOMPARE(b.d.LoadFont(), 0);
    QCOMPARE(b.Hash(), loaded);
    QCOMPARE(b.d.ResetFont(), 0);
    QCOMPARE(b.Hash(), builtIn);
    QCOMPARE(b.d.GetFontMetrics(), kBad);
}

void TestVRegisterPrinter::badFontFiles_data() {
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<int>("code");

    QFile f(Font9File());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    QByteArray flipped = good;
    flipped[100] = char(flipped[100] ^ 0x10);
    auto font10 = *VRFontFile::Parse(good);
    font10.number = 10; // written with a right CRC

    QTest::newRow("missing file") << QByteArray() << int(RC::FileError);
    QTest::newRow("a flipped bit") << flipped << kBad;
    QTest::newRow("truncated") << good.left(good.size() - 1) << kBad;
    QTest::newRow("one byte too many") << good + 'x' << kBad;
    QTest::newRow("font number 10") << VRFontFile::Write(font10) << kBad;
    QTest::newRow("not a font") << QByteArray("hello, world") << kBad;
}

void TestVRegisterPrinter::badFontFiles() {
    QFETCH(QByteArray, content);
    QFETCH(int, code);
    Bench b;
    const QString before = b.Hash();
    const QString path = b.dir.File(QStringLiteral("font.spf"));
    if (!content.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    b.d.SetFileName(path);
    QCOMPARE(b.d.LoadFont(), code);
    if (code == int(RC::FileError))
        QVERIFY(b.d.ResultCodeDescription().contains(path));
    QCOMPARE(b.Hash(), before);
}

void TestVRegisterPrinter::tapeSurvivesTheRegisterObject() {
    TestDataDir dir;
    {
        TLedgra d(std::make_shared<TLedgraComponent>());
        d.SetStringForPrinting(QStringLiteral("первая"));
        QCOMPARE(d.PrintString(), 0);
        d.SetStringForPrinting(QStringLiteral("вторая"));
        QCOMPARE(d.PrintString(), 0);
    }
    VirtualRegister reg(VR::DefaultRegisterPath());
    const auto a = reg.Service(QStringLiteral("tape"));
    QCOMPARE(a.code, 0);
    QCOMPARE(a.text, QStringLiteral("font 1 | первая\nfont 1 | вторая"));
    QCOMPARE(reg.Service(QStringLiteral("tape 1")).text, QStringLiteral("font 1 | вторая"));
    QCOMPARE(reg.Service(QStringLiteral("tape -1")).code, int(RC::BadPropertyValue));
    QCOMPARE(reg.Service(QStringLiteral("clear-tape")).code, 0);
    QCOMPARE(reg.Service(QStringLiteral("tape")).text, QStringLiteral("(лента пуста)"));
}

void TestVRegisterPrinter::consoleTape() {
    TestDataDir dir;
    auto run = [](const QStringList& args, int* status) {
        QString out, err;
        QTextStream o(&out), e(&err);
        *status = LedgraConsole::Run(args, o, e);
        return out + err;
    };
    int status = -1;
    QString out = run({QStringLiteral("StringForPrinting=раз"), QStringLiteral("PrintString()"),
                       QStringLiteral("StringQuantity=2"), QStringLiteral("FeedDocument()"),
                       QStringLiteral("--tape")},
                      &status);
    QCOMPARE(status, 0);
    // The tape comes after the items, so it shows what they printed.
    QVERIFY2(
        out.endsWith(QStringLiteral("FeedDocument: 0 Ошибок нет\nfont 1 | раз\n(протяжка 2)\n")),
        qPrintable(out));

    out = run({QStringLiteral("--tape"), QStringLiteral("1")}, &status);
    QCOMPARE(status, 0);
    QCOMPARE(out, QStringLiteral("(протяжка 2)\n"));

    // Cleared before the items run.
    out = run({QStringLiteral("--clear-tape"), QStringLiteral("CutType=1"),
               QStringLiteral("CutCheck()"), QStringLiteral("--tape")},
              &status);
    QCOMPARE(status, 0);
    QVERIFY2(out.endsWith(QStringLiteral("CutCheck: 0 Ошибок нет\n--- неполная отрезка ---\n")),
             qPrintable(out));
}

QTEST_GUILESS_MAIN(TestVRegisterPrinter)
#include "tst_vregister_printer.moc"
