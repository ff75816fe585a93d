#include "driver/Currency.h"

#include <cmath>
#include <limits>

Currency Currency::FromDouble(double v) {
    return FromRaw(qint64(std::llround(v * 10000.0)));
}

QString Currency::ToString() const {
    const quint64 mag = raw < 0 ? quint64(0) - quint64(raw) : quint64(raw);
    return QStringLiteral("%1%2.%3")
        .arg(raw < 0 ? QStringLiteral("-") : QString())
        .arg(mag / 10000)
        .arg(mag % 10000, 4, 10, QLatin1Char('0'));
}

std::optional<Currency> Currency::Parse(const QString& text) {
    QString s = text.trimmed();
    bool neg = false;
    if (s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+'))) {
        neg = s[0] == QLatin1Char('-');
        s.remove(0, 1);
    }
    const qsizetype dot = s.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? s : s.left(dot);
    QString frac = dot < 0 ? QString() : s.mid(dot + 1);
    if (whole.isEmpty() && frac.isEmpty())
        return std::nullopt;
    for (QChar c : whole + frac)
        if (!c.isDigit() || c.unicode() > '9')
            return std::nullopt;
    if (frac.size() > 4)
        return std::nullopt;
    frac = frac.leftJustified(4, QLatin1Char('0'));
    bool ok = true;
    const quint64 w = whole.isEmpty() ? 0 : whole.toULongLong(&ok);
    if (!ok || w > quint64(std::numeric_limits<qint64>::max() / 10000 - 1))
        return std::nullopt;
    const qint64 v = qint64(w) * 10000 + frac.toLongLong();
    return FromRaw(neg ? -v : v);
}
