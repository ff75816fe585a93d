#include "driver/BinUtils.h"

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

QString ToHex(const QByteArray& data, bool separate, bool trailing) {
    QString s;
    s.reserve(data.size() * 3);
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto b = quint8(data[i]);
        if (separate && !trailing && i > 0)
            s += QLatin1Char(' ');
        s += QLatin1Char(kHexDigits[b >> 4]);
        s += QLatin1Char(kHexDigits[b & 0x0F]);
        if (trailing)
            s += QLatin1Char(' ');
    }
    return s;
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

// One piece of one or two characters as a byte; -1 when it is no hex number.
int PieceValue(const QString& piece) {
    int v = 0;
    for (QChar c : piece) {
        const int d = HexDigit(c);
        if (d < 0)
            return -1;
        v = v * 16 + d;
    }
    return v;
}
} // namespace

QString StrToHex(const QByteArray& data) {
    return ToHex(data, true, false);
}

QString StrToHex(const QByteArray& data, bool addSpace) {
    return ToHex(data, addSpace, addSpace);
}

QByteArray HexToStr(const QString& text) {
    QByteArray result;
    QString piece;
    for (QChar c : text) {
        piece = (piece + c).trimmed();
        if (!piece.isEmpty() && (piece.size() == 2 || c == QLatin1Char(' '))) {
            const int v = PieceValue(piece);
            if (v < 0)
                return result;
            result.append(char(v));
            piece.clear();
        }
    }
    if (piece.size() == 1) {
        const int v = PieceValue(piece);
        if (v >= 0)
            result.append(char(v));
    }
    return result;
}

QString BytesToHex(const TBytes& bytes) {
    return StrToHex(bytes);
}

TBytes HexToBytes(const QString& text) {
    return HexToStr(text);
}

QString BytesToString(const TBytes& bytes) {
    return QString::fromLatin1(bytes);
}

TBytes StringToBytes(const QString& text) {
    TBytes r;
    r.reserve(text.size());
    for (QChar c : text)
        r.append(char(c.unicode() & 0xFF));
    return r;
}

qint64 BinToInt(const QByteArray& data, int position, int count) {
    if (position < 1 || count < 1 || count > 8)
        return 0;
    const qint64 first = position - 1;
    if (first >= data.size() || data.size() - first < count)
        return 0;
    quint64 v = 0;
    for (int i = count - 1; i >= 0; --i)
        v = (v << 8) | quint8(data[first + i]);
    return qint64(v);
}

QByteArray IntToBin(qint64 value, int count) {
    QByteArray r;
    if (count < 1 || count > 8)
        return r;
    auto v = quint64(value);
    for (int i = 0; i < count; ++i) {
        r.append(char(v & 0xFF));
        v >>= 8;
    }
    return r;
}

QString Int64ToStr(qint64 value) {
    return QString::number(value);
}

void SetBit(qint64& value, int bit) {
    if (bit >= 0 && bit < 64)
        value = qint64(quint64(value) | (quint64(1) << bit));
}

void SetBit(int& value, int bit) {
    if (bit >= 0 && bit < 32)
        value = int(quint32(value) | (quint32(1) << bit));
}

bool TestBit(qint64 value, int bit) {
    return bit >= 0 && bit < 64 && ((quint64(value) >> bit) & 1) != 0;
}

int Min(int a, int b) {
    return a < b ? a : b;
}
