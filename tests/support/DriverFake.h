#pragma once
// A scripted driver (FakeLedgra or a descendant) behind the code's driver
// object for one test, a fresh component folder, and the error texts shown.
// TSide names what the code under test keeps: Free() drops its driver
// object, Reset() whatever else it holds between tests.

#include "common/RunHandler.h"
#include "ledgra/LedgraComponent.h"
#include "platform/ComponentFactory.h"
#include "tests/support/FakeLedgra.h"
#include "tests/support/TestDataDir.h"
#include "tests/support/WidgetTestSupport.h"

#include <memory>

template <typename TFake, typename TSide> class TDriverFake {
public:
    explicit TDriverFake(const char* componentClass) : FClass(componentClass) {}

    // Once per test program.
    void Register() {
        Platform::RegisterComponentClass(QString::fromLatin1(FClass), QString(),
                                         [this] { return std::shared_ptr<ILedgra>(Fake); });
    }
    // Register() and the embedded virtual register's class, for tests that
    // call UseVirtualRegister().
    void RegisterWithVirtualRegister() {
        Register();
        Ledgra::RegisterComponentClass();
    }
    void Init() {
        Dir = std::make_unique<TestDataDir>();
        Fake = std::make_shared<TFake>();
        TSide::Free();
        TSide::Reset();
        qputenv("LEDGRA_CLASS", FClass);
        Shown.clear();
        SetErrorSink([this](QWidget*, const QString& text) { Shown << text; });
    }
    void Cleanup() {
        TSide::Reset();
        SetErrorSink({});
        TSide::Free();
        qunsetenv("LEDGRA_CLASS");
        Fake.reset();
        Dir.reset();
    }
    // The embedded virtual register behind the driver object from now on
    // (its component class must be registered: RegisterWithVirtualRegister()).
    void UseVirtualRegister() {
        TSide::Free();
        qunsetenv("LEDGRA_CLASS");
    }

    std::shared_ptr<TFake> Fake;
    std::unique_ptr<TestDataDir> Dir;
    QStringList Shown;

private:
    const char* FClass;
};
