#pragma once
// Conversions of operator input and display helpers the pages share.

#include "driver/Currency.h"

#include <QByteArray>
#include <QString>

// Text padded on the left with "0" to length; a longer text is cut to its
// first length characters.
QString AddLeadingZeros(const QString& text, int length);
// Every byte from code page 866 to code page 1251; bytes 1251 lacks (box
// drawing) become "?".
QByteArray Str866To1251(const QByteArray& text);

// The connection page's TCP port code: code 11h is port 1031h and back.
int DecodeTCPPort(int code);
int EncodeTCPPort(int port);

// Value rounded to a multiple of step, halves away from zero, with a small
// tolerance so that 2.675 (stored as 2.67499...) still rounds up.
double ExRound(double value, double step);
// An amount typed by the operator ("1 234,567" gives 1234.57). Raises EError
// "Некорректное значение в поле", a line break and the quoted field name on
// anything that is no amount or lies beyond 10995116277 either way.
Currency GetSumm(const QString& text, const QString& fieldName);
// An amount with two decimals and the locale's separator, halves rounded away
// from zero on the exact value (not a double).
QString AmountWithCents(Currency amount);
// Raises "Некорректное значение в поле" and the quoted field name when the
// text is longer than 1024 characters.
void CheckIntStr(const QString& text, const QString& fieldName);

// The text, or "не задан" / "не введен" when it is empty.
QString GetINN(const QString& text);
QString GetRNM(const QString& text);
QString GetSerialNumber(const QString& text);

// A file's whole content; raises EError when the file cannot be opened.
QByteArray ReadFileData(const QString& fileName);
