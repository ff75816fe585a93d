// enrolwiz: the wizard that finds a register and registers it.

#include "common/RunHandler.h"
#include "common/SignalClose.h"
#include "common/fmuReasonCodes.h"
#include "ledgra/LedgraComponent.h"
#include "wizard/WizardSteps.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("enrolwiz"));
    Ledgra::RegisterComponentClass();

    TfmMain window(WizardSteps());
    CloseOnSignals(&window);
    // The work-mode step's reason dialog, made once and reused.
    CreateReasonCodesDialog(&window);
    window.show();
    return app.exec();
}
