#pragma once
// The one translation function of the programs' texts: the catalogue of the
// text domain "tallytest" through gettext. Forms' texts reach it too: uic runs
// with "-tr Tr". A text without a translation comes back as given (Russian).

#include <QString>

inline constexpr char kTextDomain[] = "tallytest";

QString Tr(const char* text, const char* disambiguation = nullptr);

// Marks a text of a table for the catalogue; Tr() translates it when shown.
constexpr const char* TrNoop(const char* text) { return text; }
