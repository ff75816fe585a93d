// tallytest: the driver test bench.

#include "common/RunHandler.h"
#include "common/SignalClose.h"
#include "ledgra/LedgraComponent.h"
#include "shell/PageTree.h"
#include "shell/fmuMain.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vexa: Driver test"));
    Ledgra::RegisterComponentClass();

    TfmMain window(PageTree());
    CloseOnSignals(&window);
    for (TStartupHook hook : StartupHooks())
        hook(&window);
    window.show();
    return app.exec();
}
