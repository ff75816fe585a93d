#pragma once
// What the wizard tests share: a scripted driver behind WizardDriver() for
// one test, a fresh controller and component folder, and the error texts the
// steps showed.

#include "tests/support/DriverFake.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"

// The wizard keeps its driver object and the controller between steps.
struct TWizardSide {
    static void Free() { FreeDriverObject(); }
    static void Reset() { ResetController(); }
};

template <typename TFake = FakeLedgra> class TWizardFake : public TDriverFake<TFake, TWizardSide> {
public:
    using TDriverFake<TFake, TWizardSide>::TDriverFake;
    using TDriverFake<TFake, TWizardSide>::Init;

    // Init() with window as the controller's window (Cleanup() drops it).
    void Init(IWizardWindow* window) {
        Init();
        Controller().SetWindow(window);
    }
};
