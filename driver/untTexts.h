#pragma once
// The user texts that many pages share, in one table, and the strict text
// conversions whose errors use them. Every text goes through Tr().

#include <QDate>
#include <QString>

enum class TText {
    Yes,           // "[да]"
    No,            // "[нет]"
    NotSet,        // "не задан"
    NotEntered,    // "не введен"
    BadFieldValue, // "Некорректное значение в поле"
    NotInteger,    // "%s" is not an integer
    NotNumber,     // "%s" is not a number
    NotDate,       // "%s" is not a date
    FileOpenError, // the file "%s" cannot be opened
};

// The untranslated (Russian) source of a text.
const char* TextSource(TText id);
// The text in the interface language.
QString Text(TText id);
// A text with "%s" replaced by the argument.
QString Text(TText id, const QString& arg);

// "[да]" / "[нет]".
QString BoolToYesNo(bool value);

// Strict conversions of operator input. Blanks around the text are ignored;
// anything else that is not a value raises EError with the conversion text.
// Integers: optional sign and decimal digits, or hexadecimal after "$" or "0x".
int StrToIntChecked(const QString& text);
// Numbers: the decimal separator of the user's locale or a full stop; no
// group separators.
double StrToFloatChecked(const QString& text);
// Dates: day.month.year with a four-digit year ("01.02.2024", "1.2.2024").
QDate StrToDateChecked(const QString& text);
