#pragma once
// What the page tests share: a scripted driver behind
// Driver() for one test, clicks, memo lines and answers to modal boxes.

#include "common/RunHandler.h"
#include "driver/untDriver.h"
#include "platform/ComponentFactory.h"
#include "shell/untPages.h"
#include "tests/support/FakeLedgra.h"
#include "tests/support/TestDataDir.h"
#include "tests/support/WidgetTestSupport.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

// A FakeLedgra (or a descendant) behind Driver() during one test, a fresh
// component folder, and the error texts the page showed.
template <typename TFake = FakeLedgra> class TFakeDriver {
public:
    explicit TFakeDriver(const char* componentClass) : FClass(componentClass) {}

    // Once per test program.
    void Register() {
        Platform::RegisterComponentClass(QString::fromLatin1(FClass), QString(),
                                         [this] { return std::shared_ptr<ILedgra>(Fake); });
    }
    void Init() {
        Dir = std::make_unique<TestDataDir>();
        Fake = std::make_shared<TFake>();
        FreeDriver();
        qputenv("LEDGRA_CLASS", FClass);
        Shown.clear();
        SetErrorSink([this](QWidget*, const QString& text) { Shown << text; });
    }
    void Cleanup() {
        PageNotifier().OnChange = nullptr;
        SetErrorSink({});
        FreeDriver();
        qunsetenv("LEDGRA_CLASS");
        Fake.reset();
        Dir.reset();
    }
    // The embedded virtual register behind Driver() from now on.
    void UseVirtualRegister() {
        FreeDriver();
        qunsetenv("LEDGRA_CLASS");
    }

    std::shared_ptr<TFake> Fake;
    std::unique_ptr<TestDataDir> Dir;
    QStringList Shown;

private:
    const char* FClass;
};

// The notifier's calls around the buttons: false when a call starts, true
// when it ends.
class TNotifierLog {
public:
    TNotifierLog() {
        PageNotifier().OnChange = [this](TPageNotifier*, bool value) { Changes << value; };
    }
    ~TNotifierLog() { PageNotifier().OnChange = nullptr; }
    QList<bool> Changes;
};
