#include "common/RunHandler.h"

#include "platform/LedgraErrors.h"

#include <QMessageBox>

namespace {
ErrorSink& Sink() {
    static ErrorSink sink;
    return sink;
}
} // namespace

QString ErrorText(const std::exception& e) {
    if (const auto* err = dynamic_cast<const EError*>(&e))
        return err->Message();
    return QString::fromUtf8(e.what());
}

void SetErrorSink(ErrorSink sink) {
    Sink() = std::move(sink);
}

void ShowError(QWidget* parent, const QString& text) {
    if (Sink()) {
        Sink()(parent, text);
        return;
    }
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

bool RunHandler(QWidget* parent, const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const EAbort&) {
        // A silent abort: the result panel already shows the code.
    } catch (const std::exception& e) {
        ShowError(parent, ErrorText(e));
    } catch (...) {
        ShowError(parent, QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunHandler(nullptr, [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
