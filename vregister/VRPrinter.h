#pragma once
// The virtual register's printer. It has one paper tape, the receipt ribbon;
// the journal is kept electronically, so a line sent to the journal only is
// recorded with its station but needs no paper. What the paper shows is kept
// in the `tape` table, oldest first, so tests, the console and a viewer can
// read it and receipts and reports can print on it.
//
// Fonts: seven built-in fonts, numbered 1..7 (FontCount), whose character
// sizes are fixed and whose line is the model's print width; a font file
// (VRFontFile.h) loaded by LoadFont replaces the font of its number, 1..9
// (9 is the user font). ResetFont drops every loaded font.

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

class VRStore;

namespace VRPrinter {

// Record kinds of the tape.
inline constexpr char kLine[] = "line";
inline constexpr char kFeed[] = "feed";
inline constexpr char kCut[] = "cut";

struct TapeRecord {
    qint64 id = 0;
    QString kind;      // kLine, kFeed, kCut; graphics and barcodes later
    QString text;      // a line: the characters the paper shows
    int font = 0;      // a line: its font
    bool wide = false; // a line printed in double width
    int arg = 0;       // a feed: the lines fed; a cut: 1 partial, 0 full
    bool receipt = true, journal = false;
    QDateTime time;

    // One line of text: "font 1 | Строка", "(протяжка 3)", "--- отрезка ---".
    QString Format() const;
};

// The last lastN records (all when lastN < 0), oldest first.
std::vector<TapeRecord> Tape(VRStore& s, int lastN = -1);
// The records as Format() lines, one a line; "(лента пуста)" when none.
QString FormatTape(VRStore& s, int lastN = -1);
void ClearTape(VRStore& s);

// Where a print goes. A print for no station goes to the receipt ribbon.
struct Station {
    bool receipt = true;
    bool journal = false;
};

struct FontMetrics {
    int printWidth = 0; // dots of a line
    int charWidth = 0;
    int charHeight = 0;
    int CharsPerLine() const { return charWidth > 0 ? printWidth / charWidth : 0; }
};
int FontCount(VRStore& s);
// nullopt for a font the register does not have.
std::optional<FontMetrics> Metrics(VRStore& s, int font);

// Prints text, each of its lines (split at CR LF, LF or CR) as paper lines of
// the font: wrapped at the font's line width when wrap is set, else cut there
// as the paper does. Wide halves the characters of a line. Returns a result
// code: BadParameters for an unknown font, NoReceiptPaper without paper.
int PrintText(VRStore& s, const QDateTime& now, const QString& text, int font, Station st,
              bool wrap = false, bool wide = false);
int Feed(VRStore& s, const QDateTime& now, int lines, Station st);
int Cut(VRStore& s, const QDateTime& now, bool partial);

} // namespace VRPrinter
