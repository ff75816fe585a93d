#include "wizard/search/fmuSearchDevice.h"

#include "common/RunHandler.h"
#include "platform/LedgraErrors.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"
#include "wizard/search/untLedgraSearchDevice.h"

#include "ui_fmuSearchDevice.h"

#include <QDate>

namespace {

// Ports of these USB ids are modems and phones, never a register.
constexpr int kSkippedVendorId = 0x0E8D;
constexpr int kSkippedProductId = 0x2012;

constexpr int kTickMs = 100;
constexpr int kSearchTimeoutMs = 300;
constexpr int kConnectTimeoutMs = 1000;
const QDate kMinFirmwareDate(2018, 10, 24);

} // namespace

TfmSearchDevice::TfmSearchDevice(QWidget* parent)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmSearchDevice>()) {
    ui->setupUi(this);
    SearchFactory = [] { return std::make_shared<TLedgraSearchDevice>(); };
    FTimer.setInterval(kTickMs);
    connect(&FTimer, &QTimer::timeout, this, [this] { RunHandler(this, [this] { TimerTick(); }); });
    connect(ui->btnStop, &QPushButton::clicked, this,
            [this] { RunHandler(this, [this] { Stop(); }); });
    connect(ui->btnRepeat, &QPushButton::clicked, this, [this] {
        RunHandler(this, [this] {
            Stop();
            Start();
        });
    });
    connect(ui->lvDevices, &QListWidget::itemSelectionChanged, this,
            [this] { RunHandler(this, [this] { SelectionChanged(); }); });
    connect(ui->lvDevices, &QListWidget::itemDoubleClicked, this,
            [this] { RunHandler(this, [] { Controller().Next(); }); });
}

TfmSearchDevice::~TfmSearchDevice() {
    FTimer.stop();
    for (const ISearchDevicePtr& s : FSearches)
        s->Stop();
    FSearches.clear(); // each waits for its thread
}

void TfmSearchDevice::OnShow() {
    Controller().EnableNext(false);
    WizardDriver().Disconnect();
    Start();
}

void TfmSearchDevice::Start() {
    FTimer.stop();
    ui->Animate->show();
    ui->btnRepeat->setEnabled(false);
    ui->btnStop->setEnabled(true);
    ui->lvDevices->clear();
    FPorts.Clear();
    // Out of the list first: dropping a search waits for its thread, and the
    // wait delivers queued calls.
    std::vector<ISearchDevicePtr> old;
    old.swap(FSearches);
    for (const ISearchDevicePtr& s : old)
        s->Stop();
    old.clear();

    FPorts.EnumPorts();
    for (int i = 0; i < FPorts.Count(); ++i) {
        const TSerialPortRec& port = FPorts.Items(i);
        if (!PortToProbe(port))
            continue;
        ISearchDevicePtr search = SearchFactory();
        TSearchParamsRec params;
        params.PortNumber = port.ComNumber;
        params.Baudrate = 0;
        params.Timeout = kSearchTimeoutMs;
        search->SetParams(params);
        FSearches.push_back(search);
        search->Search();
    }
    FTimer.start();
}

void TfmSearchDevice::Stop() {
    for (const ISearchDevicePtr& s : FSearches)
        s->Stop();
}

void TfmSearchDevice::TimerTick() {
    bool finished = true;
    for (const ISearchDevicePtr& s : FSearches)
        if (!s->GetState().Finished)
            finished = false;
    if (finished) {
        ui->Animate->hide();
        ui->lblStatus->setText(QStringLiteral("Поиск завершен"));
        ui->btnRepeat->setEnabled(true);
        ui->btnStop->setEnabled(false);
    } else {
        ui->lblStatus->setText(QStringLiteral("Поиск устройств.."));
        ui->btnRepeat->setEnabled(false);
    }
    for (const ISearchDevicePtr& s : FSearches) {
        const TSearchState state = s->GetState();
        if (state.Finished && state.Succeded && !state.Added) {
            auto* item = new QListWidgetItem(state.Text, ui->lvDevices);
            item->setData(Qt::UserRole, s->GetParams().PortNumber);
            s->Added();
        }
    }
}

void TfmSearchDevice::SelectionChanged() {
    Controller().EnableNext(!ui->lvDevices->selectedItems().isEmpty());
}

bool TfmSearchDevice::PortToProbe(const TSerialPortRec& port) {
    return VendorIdOfHWStr(port.HWStr) != kSkippedVendorId &&
           ProductIdOfHWStr(port.HWStr) != kSkippedProductId && port.ComNumber >= 0;
}

bool TfmSearchDevice::FirmwareTooOld(const QDateTime& softDate) {
    return softDate.isValid() && softDate.date() < kMinFirmwareDate;
}

void TfmSearchDevice::Next() {
    Stop();
    Controller().SetNextPage(kSelectWorkTypeClass);
    TLedgra& d = WizardDriver();
    d.Disconnect();

    const QList<QListWidgetItem*> selected = ui->lvDevices->selectedItems();
    if (selected.isEmpty())
        return;
    const int port = selected.first()->data(Qt::UserRole).toInt();
    ISearchDevicePtr found;
    for (const ISearchDevicePtr& s : FSearches)
        if (s->GetParams().PortNumber == port) {
            found = s;
            break;
        }
    if (!found)
        return;

    Controller().KKTName = found->GetName();
    Controller().KKTSN = found->GetSerial();
    d.SetConnectionType(0);
    d.SetProtocolType(0);
    d.SetComNumber(port);
    d.SetBaudRate(TLedgraBaudrate::ToCode(found->GetParams().Baudrate));
    d.SetTimeout(kConnectTimeoutMs);
    struct TDisconnect {
        TLedgra& d;
        ~TDisconnect() { d.Disconnect(); }
    } disconnect{d};
    CheckResult(d.GetECRStatus());
    const QDateTime softDate = d.ECRSoftDate();
    if (FirmwareTooOld(softDate))
        throw EError(QStringLiteral("Прошивка ККТ устарела (%1).\r\n Требуется обновить прошивку")
                         .arg(softDate.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"))));
}

void TfmSearchDevice::Prev() {
    Stop();
    Controller().EnableNext(true);
}

void TfmSearchDevice::Home() {
    Stop();
    Controller().EnableNext(true);
}

void TfmSearchDevice::CloseEvent() {
    Stop();
}
