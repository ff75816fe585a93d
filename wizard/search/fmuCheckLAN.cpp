#include "wizard/search/fmuCheckLAN.h"

#include "common/RunHandler.h"
#include "wizard/frame/untController.h"

#include "ui_fmuCheckLAN.h"

namespace {
constexpr int kViewIntervalMs = 200;
}

TfmCheckLAN::TfmCheckLAN(const QString& caption, QWidget* parent)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmCheckLAN>()),
      FTask(std::make_unique<TCheckLANWorkTask>()) {
    ui->setupUi(this);
    setWindowTitle(caption);
    FTimer.setInterval(kViewIntervalMs);
    connect(&FTimer, &QTimer::timeout, this, [this] { UpdateView(); });
    connect(ui->btnRepeat, &QPushButton::clicked, this,
            [this] { RunHandler(this, [this] { Start(); }); });
    connect(ui->btnStop, &QPushButton::clicked, this,
            [this] { RunHandler(this, [this] { StopCheck(); }); });
    FTask->OnCompleted = [this](TWorkThread*) { RunHandler(this, [this] { TaskCompleted(); }); };
}

TfmCheckLAN::~TfmCheckLAN() {
    // The step is going: its completion handler must not run from the wait.
    FTask->OnCompleted = nullptr;
    FTimer.stop();
    FTask->Stop();
    FTask.reset();
}

void TfmCheckLAN::EnableNavigation(bool enable) {
    TController& c = Controller();
    c.EnablePrev(enable);
    c.EnableNext(enable);
    c.EnableHome(enable);
    // The driver settings use the wizard's object too, which the check reads
    // from its own thread meanwhile.
    c.EnableSettings(enable);
}

void TfmCheckLAN::OnShow() {
    ui->lblStatus->setText(QStringLiteral("Проверка соединения..."));
    Start();
}

void TfmCheckLAN::Start() {
    EnableNavigation(false);
    ui->lblStatus->setText(QStringLiteral("Подключение..."));
    ui->btnRepeat->setEnabled(false);
    ui->btnStop->setEnabled(true);
    FTimer.start();
    FTask->Execute();
}

void TfmCheckLAN::StopCheck() {
    FTask->Stop();
}

void TfmCheckLAN::UpdateView() {
    const bool running = FTask->Started() || FTask->State().IsRunning();
    ui->btnRepeat->setEnabled(!running);
    ui->lblStatus->setText(FTask->State().Text());
}

void TfmCheckLAN::TaskCompleted() {
    ui->btnRepeat->setEnabled(true);
    ui->btnStop->setEnabled(false);
    FTimer.stop();
    UpdateView();
    EnableNavigation(true);
}

void TfmCheckLAN::Next() {
    Controller().SetNextPage("TfmOFDExchangeState");
}

TfmCheckEthernet::TfmCheckEthernet(QWidget* parent)
    : TfmCheckLAN(QStringLiteral("Проверка связи по Ethernet"), parent) {}

TfmCheckRNDIS::TfmCheckRNDIS(QWidget* parent)
    : TfmCheckLAN(QStringLiteral("Проверка связи по RNDIS"), parent) {}
