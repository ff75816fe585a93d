#pragma once
// The console: sets properties, calls methods and prints results, for
// integrators' scripts and for scripted checks.

#include <QStringList>
#include <QTextStream>

namespace LedgraConsole {
// Runs the console on arguments (without the program name). Exit status: 0
// when every called method returned 0, 1 when one did not, 2 on a usage error.
int Run(const QStringList& args, QTextStream& out, QTextStream& err);
QString Usage();
} // namespace LedgraConsole
