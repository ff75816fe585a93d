// The virtual register's printer: its paper tape and fonts.

#include "vregister/VRPrinter.h"

#include "driver/ResultCodes.h"
#include "vregister/VRFontFile.h"
#include "vregister/VRHandlers.h"
#include "vregister/VRModelProfile.h"
#include "vregister/VRState.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QStringList>

namespace {

using P = PropertyId;

// Character cells of the built-in fonts 1..7, in dots.
struct BuiltinFont {
    int charWidth, charHeight;
};
constexpr BuiltinFont kBuiltinFonts[] = {
    {12, 24}, // 1: the main font, 48 characters on 576 dots
    {24, 48}, // 2: double width and height
    {9, 17},  // 3: condensed
    {12, 48}, // 4: double height
    {8, 16},  // 5: small
    {24, 24}, // 6: double width
    {16, 32}, // 7: large
};
constexpr int kBuiltinCount = int(std::size(kBuiltinFonts));

// The roll keeps this many records; older ones go, a thousand at a time.
constexpr qint64 kTapeKeep = 100000;

constexpr int kMaxFeed = 255;
constexpr int kMaxRunningPeriod = 99;

bool HasReceiptPaper(VRStore& s) {
    return VRState::Flags(s) & (1 << VRState::FlagReceiptRibbon);
}

int CheckPaper(VRStore& s, VRPrinter::Station st) {
    return st.receipt && !HasReceiptPaper(s) ? int(RC::NoReceiptPaper) : 0;
}

void Append(VRStore& s, const QDateTime& now, const char* kind, const QString& text, int font,
            bool wide, int arg, VRPrinter::Station st) {
    s.Exec("INSERT INTO tape (kind, text, font, wide, arg, receipt, journal, time) "
           "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
           {QString::fromLatin1(kind), text, font, wide, arg, st.receipt, st.journal,
            now.toSecsSinceEpoch()});
    const qint64 id = s.Scalar("SELECT last_insert_rowid()")->toLongLong();
    if (id % 1000 == 0 && id > kTapeKeep)
        s.Exec("DELETE FROM tape WHERE id <= ?1", {id - kTapeKeep});
}

VRPrinter::Station StationOf(VRContext& c) {
    VRPrinter::Station st{c.InBool(P::UseReceiptRibbon), c.InBool(P::UseJournalRibbon)};
    if (!st.receipt && !st.journal)
        st.receipt = true;
    return st;
}

int PrintWith(VRContext& c, int font, bool wrap, bool wide) {
    return VRPrinter::PrintText(c.Store, c.Now(), c.InStr(P::StringForPrinting), font, StationOf(c),
                                wrap || c.InBool(P::CarryStrings), wide);
}

int PrintString(VRContext& c) {
    return PrintWith(c, 1, false, false);
}
int PrintWideString(VRContext& c) {
    return PrintWith(c, 1, false, true);
}
int PrintStringWithFont(VRContext& c) {
    return PrintWith(c, c.InInt(P::FontType), false, false);
}
int PrintStringWithWrap(VRContext& c) {
    return PrintWith(c, 1, true, false);
}

int FeedDocument(VRContext& c) {
    return VRPrinter::Feed(c.Store, c.Now(), c.InInt(P::StringQuantity), StationOf(c));
}

int CutCheck(VRContext& c) {
    return VRPrinter::Cut(c.Store, c.Now(), c.InBool(P::CutType));
}

// The test run prints a recognisable block: a title, the period and rows of
// every printable character, then runs for the period until interrupted.
int Test(VRContext& c) {
    const int period = c.InInt(P::RunningPeriod);
    if (period < 0 || period > kMaxRunningPeriod)
        return int(RC::BadParameters);
    const int width = VRPrinter::Metrics(c.Store, 1)->CharsPerLine();
    QStringList lines{QStringLiteral("ТЕСТОВЫЙ ПРОГОН"),
                      QStringLiteral("Период прогона, мин: %1").arg(period)};
    constexpr int kFirst = 0x21, kPrintable = 0x7F - kFirst;
    for (int row = 0; row < 3; ++row) {
        QString line;
        for (int i = 0; i < width; ++i)
            line += QChar(kFirst + (row * width + i) % kPrintable);
        lines << line;
    }
    const QDateTime now = c.Now();
    if (const int code = VRPrinter::PrintText(c.Store, now, lines.join(QLatin1Char('\n')), 1, {}))
        return code;
    c.Store.Set(QStringLiteral("print_test.until"), now.addSecs(period * 60).toSecsSinceEpoch());
    return 0;
}

int InterruptTest(VRContext& c) {
    const QDateTime now = c.Now();
    const bool running =
        c.Store.GetInt(QStringLiteral("print_test.until")) > now.toSecsSinceEpoch();
    c.Store.Set(QStringLiteral("print_test.until"), 0);
    if (running)
        return VRPrinter::PrintText(c.Store, now, QStringLiteral("ТЕСТОВЫЙ ПРОГОН ПРЕРВАН"), 1, {});
    return 0;
}

int GetFontMetrics(VRContext& c) {
    const auto m = VRPrinter::Metrics(c.Store, c.InInt(P::FontType));
    if (!m)
        return int(RC::BadParameters);
    c.Out(P::PrintWidth, m->printWidth);
    c.Out(P::CharWidth, m->charWidth);
    c.Out(P::CharHeight, m->charHeight);
    c.Out(P::FontCount, VRPrinter::FontCount(c.Store));
    return 0;
}

// The component reads the file the caller names and sends its bytes.
int LoadFont(VRContext& c) {
    const QByteArray data = c.InStr(P::DataBlock).toLatin1();
    const auto font = VRFontFile::Parse(data);
    if (!font)
        return int(RC::BadParameters);
    c.Store.Exec("INSERT INTO fonts (number, char_width, char_height, data) "
                 "VALUES (?1, ?2, ?3, ?4) ON CONFLICT(number) DO UPDATE SET "
                 "char_width = excluded.char_width, char_height = excluded.char_height, "
                 "data = excluded.data",
                 {font->number, font->charWidth, font->charHeight, data});
    return 0;
}

int ReadFontHash(VRContext& c) {
    // The hash covers every font as the register holds it now.
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (int n = 1; n <= VRFontFile::kMaxFontNumber; ++n) {
        h.addData(QByteArray::number(n) + ':');
        if (const auto data = c.Store.Scalar("SELECT data FROM fonts WHERE number = ?1", {n}))
            h.addData(data->toByteArray());
        else if (n <= kBuiltinCount)
            h.addData(QByteArray::number(kBuiltinFonts[n - 1].charWidth) + 'x' +
                      QByteArray::number(kBuiltinFonts[n - 1].charHeight));
        h.addData(QByteArrayView(";"));
    }
    c.Out(P::FontHashHex, QString::fromLatin1(h.result().toHex().toUpper()));
    return 0;
}

int ResetFont(VRContext& c) {
    c.Store.Exec("DELETE FROM fonts");
    return 0;
}

} // namespace

namespace VRPrinter {

QString TapeRecord::Format() const {
    if (kind == QLatin1String(kLine))
        return QStringLiteral("font %1%2%3 | %4")
            .arg(font)
            .arg(wide ? QStringLiteral("x2") : QString())
            .arg(receipt ? QString() : QStringLiteral(" КЛ"))
            .arg(text);
    if (kind == QLatin1String(kFeed))
        return QStringLiteral("(протяжка %1)").arg(arg);
    if (kind == QLatin1String(kCut))
        return arg ? QStringLiteral("--- неполная отрезка ---") : QStringLiteral("--- отрезка ---");
    return QStringLiteral("[%1] %2").arg(kind, text);
}

std::vector<TapeRecord> Tape(VRStore& s, int lastN) {
    std::vector<TapeRecord> out;
    const auto rows = s.Query("SELECT id, kind, text, font, wide, arg, receipt, journal, time "
                              "FROM (SELECT * FROM tape ORDER BY id DESC LIMIT ?1) ORDER BY id",
                              {lastN < 0 ? -1 : lastN});
    out.reserve(rows.size());
    for (const auto& r : rows) {
        TapeRecord t;
        t.id = r[0].toLongLong();
        t.kind = r[1].toString();
        t.text = r[2].toString();
        t.font = r[3].toInt();
        t.wide = r[4].toBool();
        t.arg = r[5].toInt();
        t.receipt = r[6].toBool();
        t.journal = r[7].toBool();
        t.time = QDateTime::fromSecsSinceEpoch(r[8].toLongLong());
        out.push_back(std::move(t));
    }
    return out;
}

QString FormatTape(VRStore& s, int lastN) {
    QStringList lines;
    for (const TapeRecord& t : Tape(s, lastN))
        lines << t.Format();
    return lines.isEmpty() ? QStringLiteral("(лента пуста)") : lines.join(QLatin1Char('\n'));
}

void ClearTape(VRStore& s) {
    s.Exec("DELETE FROM tape");
}

int FontCount(VRStore&) {
    return kBuiltinCount;
}

std::optional<FontMetrics> Metrics(VRStore& s, int font) {
    FontMetrics m;
    m.printWidth = VRProfile::Current(s).maxLineWidth;
    const auto rows =
        s.Query("SELECT char_width, char_height FROM fonts WHERE number = ?1", {font});
    if (!rows.empty()) {
        m.charWidth = rows[0][0].toInt();
        m.charHeight = rows[0][1].toInt();
    } else if (font >= 1 && font <= kBuiltinCount) {
        m.charWidth = kBuiltinFonts[font - 1].charWidth;
        m.charHeight = kBuiltinFonts[font - 1].charHeight;
    } else {
        return std::nullopt;
    }
    return m;
}

int PrintText(VRStore& s, const QDateTime& now, const QString& text, int font, Station st,
              bool wrap, bool wide) {
    const auto m = Metrics(s, font);
    if (!m)
        return int(RC::BadParameters);
    if (const int code = CheckPaper(s, st))
        return code;
    const int width = qMax(1, wide ? m->CharsPerLine() / 2 : m->CharsPerLine());
    static const QRegularExpression kBreak(QStringLiteral("\r\n|\n|\r"));
    for (const QString& line : text.split(kBreak)) {
        if (!wrap || line.size() <= width) {
            Append(s, now, kLine, line.left(width), font, wide, 0, st);
            continue;
        }
        for (qsizetype at = 0; at < line.size(); at += width)
            Append(s, now, kLine, line.mid(at, width), font, wide, 0, st);
    }
    return 0;
}

int Feed(VRStore& s, const QDateTime& now, int lines, Station st) {
    if (lines < 1 || lines > kMaxFeed)
        return int(RC::BadParameters);
    if (const int code = CheckPaper(s, st))
        return code;
    Append(s, now, kFeed, QString(), 0, false, lines, st);
    return 0;
}

int Cut(VRStore& s, const QDateTime& now, bool partial) {
    if (const int code = CheckPaper(s, {}))
        return code;
    Append(s, now, kCut, QString(), 0, false, partial ? 1 : 0, {});
    return 0;
}

void AddHandlers(VRHandlerTable& t) {
    t[MethodId::PrintString] = PrintString;
    t[MethodId::PrintWideString] = PrintWideString;
    t[MethodId::PrintStringWithFont] = PrintStringWithFont;
    t[MethodId::PrintStringWithWrap] = PrintStringWithWrap;
    t[MethodId::FeedDocument] = FeedDocument;
    t[MethodId::CutCheck] = CutCheck;
    t[MethodId::Test] = Test;
    t[MethodId::InterruptTest] = InterruptTest;
    t[MethodId::GetFontMetrics] = GetFontMetrics;
    t[MethodId::LoadFont] = LoadFont;
    t[MethodId::ReadFontHash] = ReadFontHash;
    t[MethodId::ResetFont] = ResetFont;
}

} // namespace VRPrinter
