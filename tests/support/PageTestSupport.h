#pragma once
// What the page tests share: a scripted driver behind
// Driver() for one test, clicks, memo lines and answers to modal boxes.

#include "driver/untDriver.h"
#include "shell/untPages.h"
#include "tests/support/DriverFake.h"

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
struct TPageSide {
    static void Free() { FreeDriver(); }
    static void Reset() { PageNotifier().OnChange = nullptr; }
};
template <typename TFake = FakeLedgra> using TFakeDriver = TDriverFake<TFake, TPageSide>;

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
