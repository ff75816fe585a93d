#include "vregister/VRFontFile.h"

#include <QtEndian>
#include <cstring>

namespace VRFontFile {

quint32 Crc32(QByteArrayView data) {
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data) {
        crc ^= quint8(ch);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::optional<Font> Parse(const QByteArray& data, QString* error) {
    auto fail = [error](const QString& why) -> std::optional<Font> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (data.size() < kHeaderSize + 4 || std::memcmp(data.constData(), kMagic, 4) != 0)
        return fail(QStringLiteral("не файл шрифта"));
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    Font f;
    f.number = p[4];
    f.charWidth = p[5];
    f.charHeight = p[6];
    f.firstCode = p[7];
    f.count = qFromLittleEndian<quint16>(p + 8);
    if (f.number < 1 || f.number > kMaxFontNumber)
        return fail(QStringLiteral("неверный номер шрифта %1").arg(f.number));
    if (f.charWidth < 1 || f.charWidth > kMaxDots || f.charHeight < 1 || f.charHeight > kMaxDots)
        return fail(
            QStringLiteral("неверный размер символа %1x%2").arg(f.charWidth).arg(f.charHeight));
    if (f.count < 1 || f.firstCode + f.count > 256)
        return fail(QStringLiteral("неверное число символов"));
    const qsizetype glyphBytes = qsizetype(f.count) * f.GlyphSize();
    if (data.size() != kHeaderSize + glyphBytes + 4)
        return fail(QStringLiteral("неверная длина файла"));
    const quint32 crc = qFromLittleEndian<quint32>(p + kHeaderSize + glyphBytes);
    if (crc != Crc32(QByteArrayView(data).first(kHeaderSize + glyphBytes)))
        return fail(QStringLiteral("неверная контрольная сумма"));
    f.glyphs = data.mid(kHeaderSize, glyphBytes);
    return f;
}

QByteArray Write(const Font& f) {
    QByteArray out(kMagic, 4);
    out.append(char(f.number));
    out.append(char(f.charWidth));
    out.append(char(f.charHeight));
    out.append(char(f.firstCode));
    uchar count[2];
    qToLittleEndian<quint16>(quint16(f.count), count);
    out.append(reinterpret_cast<const char*>(count), 2);
    out.append(f.glyphs);
    uchar crc[4];
    qToLittleEndian<quint32>(Crc32(out), crc);
    out.append(reinterpret_cast<const char*>(crc), 4);
    return out;
}

} // namespace VRFontFile
