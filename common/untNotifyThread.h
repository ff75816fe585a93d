#pragma once
// A thread that runs one callback. Its end is announced on the window thread
// (OnTerminate), and a window-thread wait for it keeps delivering queued
// calls, so waiting for a thread whose end notice is queued never deadlocks.

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class TNotifyThread {
public:
    using TCallback = std::function<void(TNotifyThread*)>;

    // Created suspended; Start runs the callback once on the new thread.
    explicit TNotifyThread(TCallback onExecute = {});
    TNotifyThread(const TNotifyThread&) = delete;
    TNotifyThread& operator=(const TNotifyThread&) = delete;
    // Waits for the thread.
    ~TNotifyThread();

    void Start();
    // Waits for the end; on the window thread it keeps delivering queued calls.
    void WaitFor();
    // Asks the callback to end; it reads Terminated().
    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }
    bool Started() const { return FStarted; }
    bool Finished() const { return FFinished; }

    TCallback OnExecute;
    // Runs on the window thread after the callback has returned (also when it
    // raised); not run if the thread object is gone by then.
    std::function<void(TNotifyThread*)> OnTerminate;

private:
    void Run();

    std::thread FThread;
    std::atomic<bool> FStarted{false};
    std::atomic<bool> FFinished{false};
    std::atomic<bool> FTerminated{false};
    QObject* FContext; // lives on the window thread; carries the end notice
    std::shared_ptr<std::atomic<bool>> FAlive = std::make_shared<std::atomic<bool>>(true);
};
