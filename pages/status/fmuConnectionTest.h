#pragma once
// The page "Проверка связи": status requests in a loop on a worker thread,
// counted and shown by a timer; and a print test of a hundred lines.

#include "shell/untPages.h"

#include <QElapsedTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QTimer;
class TDriver;

namespace Ui {
class TfmConnectionTest;
}

class TfmConnectionTest : public TPage {
    Q_OBJECT
public:
    explicit TfmConnectionTest(QWidget* parent = nullptr);
    // Stops the worker and waits for it.
    ~TfmConnectionTest() override;

    void EnableButtons(bool value) override;
    bool Running() const { return FRunning; }
    // The timer's work: the counters into their labels.
    void UpdateInfo();
    // Milliseconds since the start as the worker reads them; tests hold the
    // clock still. Set while no test runs.
    using TClock = std::function<quint64(const QElapsedTimer& start)>;
    void SetClock(TClock clock) { FClock = std::move(clock); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void btnStartClick();
    void btnStopClick();
    void btnTestConnectClick();
    void ThreadProc(TDriver& driver);
    // On the window thread, once per run.
    void ThreadFinished(const QString& error);
    void JoinThread();
    void ShowRunState();

    std::unique_ptr<Ui::TfmConnectionTest> ui;
    QTimer* FTimer;
    // Written by the worker, read by the timer: a shown set may mix cycles.
    std::atomic<qint64> FRepCount{0};
    std::atomic<qint64> FErrCount{0};
    std::atomic<quint64> FTimeLeft{0}; // ms since the start
    std::atomic<qint64> FSpeed{0};     // commands per second
    std::atomic<double> FErrRate{0};   // per cent
    std::atomic<int> FResultCode{0};
    std::atomic<bool> FStopFlag{false};
    // The check boxes as the worker reads them on every cycle.
    std::atomic<bool> FCheckFM{false};
    std::atomic<bool> FUseShortStatus{false};
    bool FStopOnError = false;
    bool FRunning = false;
    QElapsedTimer FTickCount;
    TClock FClock;
    std::shared_ptr<TDriver> FDriver; // the running test's driver object
    std::thread FThread;
};
