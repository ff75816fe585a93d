// ledgra: the console of the driver component.
#include "ledgra/LedgraConsole.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    return LedgraConsole::Run(app.arguments().mid(1), out, err);
}
