#pragma once
// What the page tests share: a scripted driver behind
// Driver() for one test, clicks, memo lines and answers to modal boxes.

#include "common/RunHandler.h"
#include "driver/untDriver.h"
#include "platform/ComponentFactory.h"
#include "shell/untPages.h"
#include "tests/support/FakeLedgra.h"
#include "tests/support/TestDataDir.h"

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

inline QStringList MemoLines(QWidget& page, const char* memo = "Memo") {
    auto* m = page.findChild<QPlainTextEdit*>(QLatin1String(memo));
    if (!m)
        return {QStringLiteral("<no memo %1>").arg(QLatin1String(memo))};
    const QString text = m->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

template <typename T> T* Find(QWidget& page, const char* name) {
    T* w = page.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

inline void Click(QWidget& page, const char* button) {
    Find<QPushButton>(page, button)->click();
}

// Acts on the first modal window that shows while the scope lives (a message
// box, a file dialog), so a test can answer it.
class TModalAnswer {
public:
    explicit TModalAnswer(std::function<void(QWidget*)> answer) : FAnswer(std::move(answer)) {
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                FTimer.stop();
                ++Count;
                FAnswer(w);
            }
        });
        FTimer.start(20);
    }
    int Count = 0;

private:
    std::function<void(QWidget*)> FAnswer;
    QTimer FTimer;
};

// Accepts a file dialog with the file typed into its name field: the field
// is read as is, while selectFile() depends on the folder's model having
// been loaded.
inline void ChooseFile(QWidget* modal, const QString& path) {
    auto* dlg = qobject_cast<QFileDialog*>(modal);
    if (!dlg)
        qFatal("not a file dialog");
    auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!name)
        qFatal("the file dialog has no name field");
    name->setText(path);
    static_cast<QDialog*>(dlg)->accept(); // QFileDialog hides it
}

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
