#include "common/untNotifyThread.h"

#include <QCoreApplication>
#include <QThread>

namespace {
bool OnWindowThread() {
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}
} // namespace

TNotifyThread::TNotifyThread(TCallback onExecute)
    : OnExecute(std::move(onExecute)), FContext(new QObject) {
    if (QCoreApplication::instance())
        FContext->moveToThread(QCoreApplication::instance()->thread());
}

TNotifyThread::~TNotifyThread() {
    WaitFor();
    *FAlive = false;
    // A pending end notice dies with its context.
    if (OnWindowThread() || !QCoreApplication::instance())
        delete FContext;
    else
        FContext->deleteLater();
}

void TNotifyThread::Start() {
    if (FStarted.exchange(true))
        return;
    FThread = std::thread([this] { Run(); });
}

void TNotifyThread::Run() {
    try {
        if (OnExecute)
            OnExecute(this);
    } catch (...) {
        // The callback's errors end the thread, never the process.
    }
    FFinished = true;
    if (QCoreApplication::instance())
        QMetaObject::invokeMethod(
            FContext,
            [this, alive = FAlive] {
                if (*alive && OnTerminate)
                    OnTerminate(this);
            },
            Qt::QueuedConnection);
}

void TNotifyThread::WaitFor() {
    if (!FThread.joinable())
        return;
    if (FThread.get_id() == std::this_thread::get_id())
        return;
    if (OnWindowThread()) {
        while (!FFinished)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
    }
    FThread.join();
}
