#pragma once
// A background task: one thread running DoExecute, and a progress-and-result
// record the window polls with a timer. The task's end is announced on the
// window thread (OnCompleted).

#include "common/untNotifyThread.h"
#include "platform/LedgraErrors.h"

#include <QDateTime>
#include <QMutex>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

// A text read and written from two threads, each access under the lock.
class TThreadString {
public:
    QString Value() const;
    void SetValue(const QString& value);

private:
    mutable QMutex FLock;
    QString FValue;
};

// The silent abort a stop request turns into inside a task.
class ETaskAborted : public EAbort {
public:
    const char* what() const noexcept override;
    static QString Message();
};

// Progress and result of one run of a task. The task thread writes it, the
// window timer reads it; the texts cross threads under locks, the rest are
// single atomic words.
class TTaskState {
public:
    void Start(int itemCount);
    void Stop(const QString& text, bool succeeded);
    void Success();
    void Fail(const QString& errorText);
    void UserCancel();
    // Raises ETaskAborted once a stop was requested.
    void CheckStopFlag() const;
    void Reset() { FStopFlag = false; }

    void StepProgress(int count) { FItemNumber += count; }
    void UpdateItemNumber(int value) { FItemNumber = value; }
    void UpdateErrorCount(int value) { FErrorCount = value; }
    void UpdateTickCount(quint32 value) { FTickCount = value; }
    void IncErrorCount(int count) { FErrorCount += count; }
    void UpdateDataSize(int dataSize);

    int Percents() const;
    bool IsRunning() const { return FIsRunning; }
    QString Text() const { return FText.Value(); }
    void SetText(const QString& text) { FText.SetValue(text); }
    int DataSize() const { return FDataSize; }
    int DataSpeed() const { return FDataSpeed; }
    bool Completed() const { return FCompleted; }
    bool Succeeded() const { return FSucceeded; }
    bool StopFlag() const { return FStopFlag; }
    int ItemNumber() const { return FItemNumber; }
    int ItemCount() const { return FItemCount; }
    QDateTime StartTime() const;
    // Milliseconds still to go, estimated from the share done so far.
    qint64 TimeRemain() const;
    int ErrorCount() const { return FErrorCount; }
    quint32 TickCount() const { return FTickCount; }
    // Milliseconds since Start.
    qint64 TimeElapsed() const;
    QString FailedInfo() const { return FFailedInfo.Value(); }
    QString SuccessText() const { return FSuccessText.Value(); }
    void SetSuccessText(const QString& text) { FSuccessText.SetValue(text); }
    bool UserCancelled() const { return FUserCancelled; }

    // The millisecond tick the state measures with (wraps like a 32-bit tick).
    static quint32 CurrentTick();

private:
    TThreadString FText;
    std::atomic<int> FDataSize{0};
    std::atomic<int> FDataSpeed{0};
    std::atomic<bool> FStopFlag{false};
    std::atomic<bool> FCompleted{false};
    std::atomic<int> FItemNumber{0};
    std::atomic<int> FItemCount{0};
    mutable QMutex FTimeLock;
    QDateTime FStartTime;
    std::atomic<bool> FSucceeded{false};
    std::atomic<quint32> FTickCount{0};
    std::atomic<bool> FIsRunning{false};
    std::atomic<int> FErrorCount{0};
    TThreadString FFailedInfo;
    std::atomic<bool> FUserCancelled{false};
    TThreadString FSuccessText;
};

// The base of the wizard's background tasks. Execute runs DoExecute on a new
// thread; every window-thread wait for that thread keeps delivering queued
// calls, so a pending end notice never deadlocks it.
class TWorkThread {
public:
    TWorkThread();
    TWorkThread(const TWorkThread&) = delete;
    TWorkThread& operator=(const TWorkThread&) = delete;
    // Waits for the thread; a pending end notice is dropped. A derived task
    // whose DoExecute uses its own members calls Shutdown in its destructor.
    virtual ~TWorkThread();

    // The work, on the task's thread.
    virtual void DoExecute() {}
    // Starts a run (after waiting for the previous one).
    virtual void Execute();
    // Asks the run to end and waits for it.
    virtual void Cancel();
    // While a run is going: marks it interrupted, cancels and waits.
    void Stop();

    QString Name() const { return FName; }
    void SetName(const QString& name) { FName = name; }
    bool Started() const { return FStarted; }
    TTaskState& State() { return *FState; }
    const TTaskState& State() const { return *FState; }
    // Runs on the window thread when a run has ended.
    std::function<void(TWorkThread*)> OnCompleted;

protected:
    void WaitForThread();
    // The owner is going: no more end notice, the run stopped and waited for.
    void Shutdown();

private:
    std::atomic<bool> FStarted{false};
    std::unique_ptr<TNotifyThread> FThread;
    std::unique_ptr<TTaskState> FState;
    QString FName;
};
