#pragma once
// No exception ever crosses the Qt event loop. Every slot that runs operator
// code goes through RunHandler: EAbort ends it silently, any other error's
// text is shown in a message box. TApplication::notify is the last net.

#include <QApplication>
#include <QString>
#include <functional>

class QWidget;

// Runs fn; true when it ran to its end.
bool RunHandler(QWidget* parent, const std::function<void()>& fn);

// The text an error shows to the operator.
QString ErrorText(const std::exception& e);

// Where error texts go: a critical message box unless a test replaces it.
using ErrorSink = std::function<void(QWidget* parent, const QString& text)>;
void SetErrorSink(ErrorSink sink);
void ShowError(QWidget* parent, const QString& text);

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
