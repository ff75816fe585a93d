// tallytest: the driver test bench.

#include "common/RunHandler.h"
#include "ledgra/LedgraComponent.h"
#include "shell/PageTree.h"
#include "shell/fmuMain.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int gSignalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &c, 1);
}

// SIGTERM and SIGINT close the main window as the operator's "Закрыть" does,
// so the settings are saved.
void CloseOnSignals(QWidget* window) {
    if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char buf[16];
        while (::read(gSignalPipe[0], buf, sizeof buf) > 0) {
        }
        window->close();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
}
} // namespace

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vexa: Driver test"));
    Ledgra::RegisterComponentClass();

    TfmMain window(PageTree());
    CloseOnSignals(&window);
    for (TStartupHook hook : StartupHooks())
        hook(&window);
    window.show();
    return app.exec();
}
