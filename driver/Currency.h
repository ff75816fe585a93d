#pragma once
// Money as the driver carries it: a signed 64-bit count of ten-thousandths.

#include <QMetaType>
#include <QString>
#include <cstdint>
#include <optional>

struct Currency {
    qint64 raw = 0; // ten-thousandths

    constexpr Currency() = default;
    static constexpr Currency FromRaw(qint64 v) {
        Currency c;
        c.raw = v;
        return c;
    }
    static Currency FromDouble(double v);
    double ToDouble() const { return double(raw) / 10000.0; }
    // "12.3456": four decimals, full stop, no grouping.
    QString ToString() const;
    // Reads "12", "12.3", "-0.0001"; nullopt on anything else or on overflow.
    static std::optional<Currency> Parse(const QString& text);

    friend constexpr bool operator==(Currency a, Currency b) { return a.raw == b.raw; }
    friend constexpr auto operator<=>(Currency a, Currency b) { return a.raw <=> b.raw; }
    friend constexpr Currency operator+(Currency a, Currency b) { return FromRaw(a.raw + b.raw); }
    friend constexpr Currency operator-(Currency a, Currency b) { return FromRaw(a.raw - b.raw); }
};
Q_DECLARE_METATYPE(Currency)
