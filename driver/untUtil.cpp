#include "driver/untUtil.h"

#include "driver/untTexts.h"
#include "platform/LedgraErrors.h"

#include <QFile>
#include <QLocale>
#include <array>
#include <cerrno>
#include <cmath>
#include <iconv.h>

namespace {
// Amounts beyond this are refused: the largest sum a register accepts.
constexpr double kMaxAmount = 10995116277.0;
constexpr int kMaxIntStrLength = 1024;

// Code page 866 to 1251, byte by byte, built once through iconv.
const std::array<char, 256>& Table866To1251() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        iconv_t cd = iconv_open("CP1251", "CP866");
        for (int i = 0; i < 256; ++i) {
            t[i] = i < 0x80 ? char(i) : '?';
            if (i < 0x80 || cd == iconv_t(-1))
                continue;
            char in = char(i);
            char out[4];
            char* pin = &in;
            char* pout = out;
            size_t inLeft = 1;
            size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr); // reset the state
            if (iconv(cd, &pin, &inLeft, &pout, &outLeft) != size_t(-1) && pout - out == 1)
                t[i] = out[0];
        }
        if (cd != iconv_t(-1))
            iconv_close(cd);
        return t;
    }();
    return table;
}

[[noreturn]] void BadAmount(const QString& fieldName) {
    throw EError(Text(TText::BadFieldValue) + QLatin1Char('\n') + QLatin1Char('"') + fieldName +
                 QLatin1Char('"'));
}
} // namespace

QString AddLeadingZeros(const QString& text, int length) {
    if (length < 0)
        length = 0;
    if (text.size() >= length)
        return text.left(length);
    return QString(length - text.size(), QLatin1Char('0')) + text;
}

QByteArray Str866To1251(const QByteArray& text) {
    const auto& t = Table866To1251();
    QByteArray r(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        r[i] = t[quint8(text[i])];
    return r;
}

int DecodeTCPPort(int code) {
    return ((code & 0xF0) << 8) | ((code & 0x0F) | 0x30);
}

int EncodeTCPPort(int port) {
    return ((port >> 8) & 0xF0) | (port & 0x0F);
}

double ExRound(double value, double step) {
    if (step == 0.0 || !std::isfinite(step))
        return value;
    const double q0 = value >= 0 ? (value + 0.00001) / step : (value - 0.00001) / step;
    double q = std::trunc(q0);
    if (std::fabs(value / step - q) > 0.49999)
        q += value >= 0 ? 1.0 : -1.0;
    return q * step;
}

Currency GetSumm(const QString& text, const QString& fieldName) {
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        if (c.isSpace())
            continue;
        s += c == QLatin1Char(',') ? QLatin1Char('.') : c;
    }
    // The C locale reads the full stop whatever the user's separator is.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = c.toDouble(s, &ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > kMaxAmount)
        BadAmount(fieldName);
    return Currency::FromDouble(ExRound(v, 0.01));
}

void CheckIntStr(const QString& text, const QString& fieldName) {
    if (text.size() > kMaxIntStrLength)
        throw EError(Text(TText::BadFieldValue) + QLatin1String(" \"") + fieldName +
                     QLatin1Char('"'));
}

QString GetINN(const QString& text) {
    return text.isEmpty() ? Text(TText::NotSet) : text;
}

QString GetRNM(const QString& text) {
    return text.isEmpty() ? Text(TText::NotSet) : text;
}

QString GetSerialNumber(const QString& text) {
    return text.isEmpty() ? Text(TText::NotEntered) : text;
}

QByteArray ReadFileData(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EError(Text(TText::FileOpenError, fileName));
    return f.readAll();
}

QString AmountWithCents(Currency amount) {
    const quint64 magnitude =
        amount.raw < 0 ? quint64(0) - quint64(amount.raw) : quint64(amount.raw);
    const quint64 cents = (magnitude + 50) / 100;
    return QStringLiteral("%1%2%3%4")
        .arg(amount.raw < 0 && cents != 0 ? QStringLiteral("-") : QString())
        .arg(cents / 100)
        .arg(QLocale::system().decimalPoint())
        .arg(cents % 100, 2, 10, QLatin1Char('0'));
}
