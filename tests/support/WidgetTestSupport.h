#pragma once
// Driving forms in tests: finding controls, clicking, reading memos,
// answering the modal windows a handler opens.

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

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
