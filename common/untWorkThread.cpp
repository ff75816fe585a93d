#include "common/untWorkThread.h"

#include <chrono>

QString TThreadString::Value() const {
    QMutexLocker l(&FLock);
    return FValue;
}

void TThreadString::SetValue(const QString& value) {
    QMutexLocker l(&FLock);
    FValue = value;
}

const char* ETaskAborted::what() const noexcept {
    return "Операция отменена";
}

QString ETaskAborted::Message() {
    return QStringLiteral("Операция отменена");
}

quint32 TTaskState::CurrentTick() {
    using namespace std::chrono;
    return quint32(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TTaskState::Start(int itemCount) {
    FDataSize = 0;
    FDataSpeed = 0;
    FItemNumber = 0;
    FErrorCount = 0;
    {
        QMutexLocker l(&FTimeLock);
        FStartTime = QDateTime::currentDateTime();
    }
    FTickCount = CurrentTick();
    FCompleted = false;
    FSucceeded = false;
    FStopFlag = false;
    FUserCancelled = false;
    FItemCount = itemCount;
    FFailedInfo.SetValue({});
    FIsRunning = true;
}

void TTaskState::Stop(const QString& text, bool succeeded) {
    SetText(text);
    FStopFlag = true;
    FCompleted = true;
    FSucceeded = succeeded;
    FIsRunning = false;
    if (!succeeded)
        FFailedInfo.SetValue(text);
}

void TTaskState::Success() {
    Stop(SuccessText(), true);
}

void TTaskState::Fail(const QString& errorText) {
    Stop(QStringLiteral("Ошибка"), false);
    FFailedInfo.SetValue(errorText);
}

void TTaskState::UserCancel() {
    Stop(ETaskAborted::Message(), false);
    FUserCancelled = true;
    FFailedInfo.SetValue(QStringLiteral("Операция отменена пользователем"));
}

void TTaskState::CheckStopFlag() const {
    if (FStopFlag)
        throw ETaskAborted();
}

void TTaskState::UpdateDataSize(int dataSize) {
    FDataSize += dataSize;
    const qint64 seconds = TimeElapsed() / 1000;
    if (seconds >= 1)
        FDataSpeed = int(FDataSize / seconds);
}

int TTaskState::Percents() const {
    const int count = FItemCount;
    if (count <= 0)
        return 0;
    return int(qint64(FItemNumber) * 100 / count);
}

QDateTime TTaskState::StartTime() const {
    QMutexLocker l(&FTimeLock);
    return FStartTime;
}

qint64 TTaskState::TimeRemain() const {
    if (!FIsRunning || FItemCount <= 0 || FItemNumber <= 0)
        return 0;
    // Progress below one percent gives no estimate (and no division by zero).
    const int percents = Percents();
    if (percents <= 0)
        return 0;
    const qint64 elapsed = TimeElapsed();
    return elapsed * 100 / percents - elapsed;
}

qint64 TTaskState::TimeElapsed() const {
    // Unsigned difference: right across the tick's wrap.
    return qint64(quint32(CurrentTick() - FTickCount));
}

TWorkThread::TWorkThread() : FState(std::make_unique<TTaskState>()) {}

TWorkThread::~TWorkThread() {
    // The wait below delivers queued calls: the end notice must not reach an
    // owner that is going away. A notice still queued dies with the thread.
    OnCompleted = nullptr;
    FThread.reset();
}

void TWorkThread::Shutdown() {
    OnCompleted = nullptr;
    Stop();
    WaitForThread();
}

void TWorkThread::Execute() {
    FThread.reset();
    FThread = std::make_unique<TNotifyThread>([this](TNotifyThread*) {
        FStarted = true;
        DoExecute();
    });
    FThread->OnTerminate = [this](TNotifyThread*) {
        FStarted = false;
        if (OnCompleted)
            OnCompleted(this);
    };
    // Started from the moment it is asked for: a Stop right after Execute
    // must reach the run.
    FStarted = true;
    FThread->Start();
}

void TWorkThread::WaitForThread() {
    if (FThread)
        FThread->WaitFor();
}

void TWorkThread::Cancel() {
    State().SetText(QStringLiteral("Операция отменяется..."));
    WaitForThread();
}

void TWorkThread::Stop() {
    if (!FStarted)
        return;
    State().Stop(QStringLiteral("Операция прервана"), false);
    Cancel();
    if (FThread) {
        FThread->Terminate();
        FThread->WaitFor();
    }
}
