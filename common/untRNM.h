#pragma once
// The register's registration number: its ordinal number followed by the
// check part the tax service prescribes, a CRC over the three widened values.

#include <QString>

// How a value longer than its width is treated. The RNM page cuts it to its
// first characters; the registration wizard keeps it whole.
enum class TRNMLongValues { Cut, Keep };

// Number widened to 10, ИНН to 12 and serial to 20 characters (leading "0"),
// CRC-16/CCITT-FALSE over the 42 characters (one byte each, the character
// code's low byte), written in decimal and widened to 6: the widened number
// followed by those six digits.
QString GenerateRNM(const QString& number, const QString& inn, const QString& serial,
                    TRNMLongValues longValues);
