#pragma once
// The font file the register loads (".spf"). All integers little-endian:
//
//   offset  size  field
//   0       4     magic "SPF1"
//   4       1     font number, 1..9 (9 is the user font)
//   5       1     character width in dots, 1..64
//   6       1     character height in dots, 1..64
//   7       1     code of the first glyph, 0..255
//   8       2     glyph count, 1..256; first code + count <= 256
//   10      n     glyphs in code order; a glyph is `height` rows of
//                 ceil(width / 8) bytes, the leftmost dot in the highest bit
//   10 + n  4     CRC-32 (IEEE 802.3) of every byte before it
//
// A file of any other size, with another magic or a wrong CRC is refused
// whole: the register never loads half a font.
// Depends on QtCore only, so the font generator of the build uses it too.

#include <QByteArray>
#include <QString>
#include <optional>

namespace VRFontFile {

inline constexpr char kMagic[] = "SPF1";
inline constexpr int kHeaderSize = 10;
inline constexpr int kMaxDots = 64;
inline constexpr int kUserFont = 9;
inline constexpr int kMaxFontNumber = 9;

struct Font {
    int number = kUserFont;
    int charWidth = 0;
    int charHeight = 0;
    int firstCode = 0;
    int count = 0;
    QByteArray glyphs; // count * GlyphSize() bytes

    int RowBytes() const { return (charWidth + 7) / 8; }
    int GlyphSize() const { return RowBytes() * charHeight; }
};

// nullopt with the reason in *error when the data is not a sound font file.
std::optional<Font> Parse(const QByteArray& data, QString* error = nullptr);
// The file of a font; the font must be valid (Parse(Write(f)) gives f).
QByteArray Write(const Font& font);

quint32 Crc32(QByteArrayView data);

} // namespace VRFontFile
