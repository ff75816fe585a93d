#include "driver/untTexts.h"

#include "platform/LedgraErrors.h"
#include "platform/Translation.h"

#include <QLocale>
#include <cmath>
#include <iterator>

namespace {
struct TextRow {
    TText id;
    const char* text;
};

// The shared texts; the enum order is the row order.
constexpr TextRow kTexts[] = {
    {TText::Yes, TrNoop("[да]")},
    {TText::No, TrNoop("[нет]")},
    {TText::NotSet, TrNoop("не задан")},
    {TText::NotEntered, TrNoop("не введен")},
    {TText::BadFieldValue, TrNoop("Некорректное значение в поле")},
    {TText::NotInteger, TrNoop("\"%s\" не является целым числом")},
    {TText::NotNumber, TrNoop("\"%s\" не является числом")},
    {TText::NotDate, TrNoop("\"%s\" не является датой")},
    {TText::FileOpenError, TrNoop("Не удается открыть файл \"%s\"")},
};

constexpr bool RowsInEnumOrder() {
    for (int i = 0; i < int(std::size(kTexts)); ++i)
        if (int(kTexts[i].id) != i)
            return false;
    return true;
}
static_assert(RowsInEnumOrder(), "kTexts rows must follow the TText order");

[[noreturn]] void ConversionError(TText id, const QString& text) {
    throw EError(Text(id, text));
}
} // namespace

const char* TextSource(TText id) {
    return kTexts[int(id)].text;
}

QString Text(TText id) {
    return Tr(TextSource(id));
}

QString Text(TText id, const QString& arg) {
    // Replace literally: the argument may itself hold "%s" or "%1".
    QString t = Text(id);
    const qsizetype at = t.indexOf(QLatin1String("%s"));
    if (at >= 0)
        t.replace(at, 2, arg);
    return t;
}

QString BoolToYesNo(bool value) {
    return Text(value ? TText::Yes : TText::No);
}

int StrToIntChecked(const QString& text) {
    QString s = text.trimmed();
    bool negative = false;
    if (s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+'))) {
        negative = s.front() == QLatin1Char('-');
        s.remove(0, 1);
    }
    int base = 10;
    if (s.startsWith(QLatin1Char('$'))) {
        base = 16;
        s.remove(0, 1);
    } else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        s.remove(0, 2);
    }
    // toLongLong would accept inner blanks and a second sign; allow digits only.
    if (s.isEmpty())
        ConversionError(TText::NotInteger, text);
    for (QChar c : s) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const bool hex = base == 16 && ((c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
                                        (c >= QLatin1Char('A') && c <= QLatin1Char('F')));
        if (!digit && !hex)
            ConversionError(TText::NotInteger, text);
    }
    bool ok = false;
    const qulonglong magnitude = s.toULongLong(&ok, base);
    if (!ok)
        ConversionError(TText::NotInteger, text);
    // Hexadecimal text may give the bit pattern of a negative number ($FFFFFFFF).
    if (base == 16 && !negative && magnitude <= 0xFFFFFFFFull)
        return int(quint32(magnitude));
    const qulonglong limit = negative ? 2147483648ull : 2147483647ull;
    if (magnitude > limit)
        ConversionError(TText::NotInteger, text);
    return negative ? int(-qlonglong(magnitude)) : int(magnitude);
}

double StrToFloatChecked(const QString& text) {
    const QString s = text.trimmed();
    for (QLocale locale : {QLocale::system(), QLocale::c()}) {
        locale.setNumberOptions(QLocale::RejectGroupSeparator);
        bool ok = false;
        const double v = locale.toDouble(s, &ok);
        if (ok && std::isfinite(v))
            return v;
    }
    ConversionError(TText::NotNumber, text);
}

QDate StrToDateChecked(const QString& text) {
    const QDate d = QDate::fromString(text.trimmed(), QStringLiteral("d.M.yyyy"));
    if (!d.isValid())
        ConversionError(TText::NotDate, text);
    return d;
}
