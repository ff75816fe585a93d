#pragma once
// The interface language of the test bench: a code kept in "locale.ini" of
// the component's folder (section "Locale", key "Lang"), chosen once at
// start-up; the running program keeps it.

#include <QString>

// "RU" or "EN"; read once per process, later calls return the same code.
QString GetLanguage();
// Writes the code for the next start; the running program keeps its language.
void SetLanguage(const QString& code);
// Binds the catalogue and selects the language for gettext.
void UseLanguage(const QString& code);
// A resource text translated through the catalogue.
QString GetRes(const char* resString);

// The folders the catalogue is looked for in, best first.
QStringList CatalogueDirs();
