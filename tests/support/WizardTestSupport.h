#pragma once
// What the wizard tests share: a scripted driver behind WizardDriver() for
// one test, a fresh controller and component folder, and the error texts the
// steps showed.

#include "common/RunHandler.h"
#include "platform/ComponentFactory.h"
#include "tests/support/FakeLedgra.h"
#include "tests/support/TestDataDir.h"
#include "tests/support/WidgetTestSupport.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"

#include <memory>

template <typename TFake = FakeLedgra> class TWizardFake {
public:
    explicit TWizardFake(const char* componentClass) : FClass(componentClass) {}

    // Once per test program.
    void Register() {
        Platform::RegisterComponentClass(QString::fromLatin1(FClass), QString(),
                                         [this] { return std::shared_ptr<ILedgra>(Fake); });
    }
    void Init() {
        Dir = std::make_unique<TestDataDir>();
        Fake = std::make_shared<TFake>();
        FreeDriverObject();
        ResetController();
        qputenv("LEDGRA_CLASS", FClass);
        Shown.clear();
        SetErrorSink([this](QWidget*, const QString& text) { Shown << text; });
    }
    void Cleanup() {
        SetErrorSink({});
        FreeDriverObject();
        ResetController();
        qunsetenv("LEDGRA_CLASS");
        Fake.reset();
        Dir.reset();
    }
    // The embedded virtual register behind WizardDriver() from now on (the
    // component class must be registered: Ledgra::RegisterComponentClass()).
    void UseVirtualRegister() {
        FreeDriverObject();
        qunsetenv("LEDGRA_CLASS");
    }

    std::shared_ptr<TFake> Fake;
    std::unique_ptr<TestDataDir> Dir;
    QStringList Shown;

private:
    const char* FClass;
};
