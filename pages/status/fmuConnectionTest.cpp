#include "pages/status/fmuConnectionTest.h"

#include "common/RunHandler.h"
#include "driver/untDriver.h"
#include "platform/Translation.h"
#include "ui_fmuConnectionTest.h"

#include <QCloseEvent>
#include <QLocale>
#include <QTimer>

namespace {
constexpr int kUpdateIntervalMs = 300;
constexpr int kPrintLines = 100;
} // namespace

TfmConnectionTest::TfmConnectionTest(QWidget* parent)
    : TPage(parent), ui(std::make_unique<Ui::TfmConnectionTest>()), FTimer(new QTimer(this)),
      FClock([](const QElapsedTimer& start) { return quint64(start.elapsed()); }) {
    ui->setupUi(this);
    FTimer->setInterval(kUpdateIntervalMs);
    connect(FTimer, &QTimer::timeout, this, [this] { UpdateInfo(); });

    // Not in the page protocol: the test runs on while the page is used.
    connect(ui->btnStart, &QPushButton::clicked, this,
            [this] { RunHandler(this, [this] { btnStartClick(); }); });
    connect(ui->btnStop, &QPushButton::clicked, this, [this] { btnStopClick(); });
    ConnectButton(ui->btnTestConnect, [this] { btnTestConnectClick(); });

    connect(ui->chkCheckFM, &QCheckBox::toggled, this, [this](bool on) { FCheckFM = on; });
    connect(ui->chkUseShortStatus, &QCheckBox::toggled, this,
            [this](bool on) { FUseShortStatus = on; });
    FCheckFM = ui->chkCheckFM->isChecked();
    FUseShortStatus = ui->chkUseShortStatus->isChecked();
}

TfmConnectionTest::~TfmConnectionTest() {
    // The worker hands its end over by a queued call and never waits for this
    // thread, so joining here cannot deadlock; the call it may have queued
    // dies with this object.
    FStopFlag = true;
    JoinThread();
    // A run ends disconnected also when the page goes first.
    if (FRunning && FDriver) {
        try {
            FDriver->Disconnect();
        } catch (const std::exception&) {
            // Nothing to show it on any more.
        }
    }
}

void TfmConnectionTest::closeEvent(QCloseEvent* event) {
    FStopFlag = true;
    TPage::closeEvent(event);
}

void TfmConnectionTest::EnableButtons(bool value) {
    TPage::EnableButtons(value);
    // Switching on enables every button: "Начать" and "Прервать" follow the test.
    if (value)
        ShowRunState();
}

void TfmConnectionTest::ShowRunState() {
    ui->btnStart->setEnabled(!FRunning);
    ui->btnStop->setEnabled(FRunning);
    ui->chkCheckFM->setEnabled(!FRunning);
    ui->chbStopOnError->setEnabled(!FRunning);
}

void TfmConnectionTest::JoinThread() {
    if (FThread.joinable())
        FThread.join();
}

void TfmConnectionTest::btnStartClick() {
    if (FRunning)
        return;
    // The worker's own reference: freeing the driver meanwhile cannot destroy
    // the object it calls. Made first, so a failure leaves the page idle.
    const std::shared_ptr<TDriver> driver = DriverRef();
    driver->SetCheckFMConnection(ui->chkCheckFM->isChecked());
    driver->SetStatusCommand(ui->chkUseShortStatus->isChecked() ? 1 : 2);

    FRepCount = 0;
    FErrCount = 0;
    FTimeLeft = 0;
    FSpeed = 0;
    FErrRate = 0;
    FResultCode = 0;
    FStopFlag = false;
    FStopOnError = ui->chbStopOnError->isChecked();
    FRunning = true;
    FDriver = driver;
    ShowRunState();

    FTickCount.start();
    JoinThread();
    FThread = std::thread([this, driver] {
        QString error;
        try {
            ThreadProc(*driver);
        } catch (const std::exception& e) {
            error = ErrorText(e);
        }
        QMetaObject::invokeMethod(
            this, [this, error] { ThreadFinished(error); }, Qt::QueuedConnection);
    });
    FTimer->start();
}

void TfmConnectionTest::ThreadProc(TDriver& driver) {
    while (!FStopFlag) {
        const qint64 rep = ++FRepCount;
        int code;
        if (FCheckFM)
            code = driver.FNGetStatus();
        else if (FUseShortStatus)
            code = driver.GetShortECRStatus();
        else
            code = driver.GetDeviceMetrics();
        FResultCode = code;
        const qint64 errors = code != 0 ? ++FErrCount : FErrCount.load();
        const quint64 timeLeft = FClock(FTickCount);
        FTimeLeft = timeLeft;
        // Rates need time to have passed; a failure stops the test also
        // within the clock's first tick.
        if (timeLeft != 0) {
            FSpeed = qint64(quint64(rep) * 1000 / timeLeft);
            FErrRate = double(errors) * 100 / double(rep);
        }
        if (code != 0 && FStopOnError)
            break;
    }
}

void TfmConnectionTest::ThreadFinished(const QString& error) {
    JoinThread();
    FTimer->stop();
    UpdateInfo(); // the last counts, also of a run shorter than one timer interval
    const std::shared_ptr<TDriver> driver = std::move(FDriver);
    FRunning = false;
    ShowRunState();
    RunHandler(this, [&] { driver->Disconnect(); });
    if (!error.isEmpty())
        ShowError(this, error);
}

void TfmConnectionTest::btnStopClick() {
    FStopFlag = true;
}

void TfmConnectionTest::UpdateInfo() {
    const qint64 rep = FRepCount;
    const quint64 timeLeft = FTimeLeft;
    ui->lblRepCountValue->setText(QString::number(rep));
    ui->lblErrCountValue->setText(QString::number(FErrCount.load()));
    ui->lblSpeedValue->setText(QString::number(FSpeed.load()));
    ui->lblErrRateValue->setText(QLocale().toString(FErrRate.load(), 'f', 2));
    ui->lblTimeLeftValue->setText(QString::number(timeLeft / 1000));
    // No cycle counted yet: no time per command either.
    ui->lblCommandTimeValue->setText(QString::number(rep > 0 ? timeLeft / quint64(rep) : 0));
}

void TfmConnectionTest::btnTestConnectClick() {
    TDriver& d = Driver();
    d.SetStringForPrinting(Tr("Строка для печати"));
    QElapsedTimer time;
    time.start();
    for (int i = 0; i < kPrintLines; ++i)
        if (d.PrintString() != 0)
            break;
    d.SetCutType(true);
    d.CutCheck();
    ui->edtTime->setText(QString::number(time.elapsed()));
}
