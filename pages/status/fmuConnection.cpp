#include "pages/status/fmuConnection.h"

#include "common/RunHandler.h"
#include "driver/untDriver.h"
#include "driver/untUtil.h"
#include "platform/Translation.h"
#include "ui_fmuConnection.h"

#include <QShowEvent>

namespace {

constexpr int kComCount = 256;
constexpr int kTcpSocket = 128;

struct PortNumberItem {
    const char* text;
    int value;
};
const PortNumberItem kPortNumbers[] = {
    {TrNoop("RS-232"), 0}, {TrNoop("Bluetooth"), 1},           {TrNoop("USB"), 2},
    {TrNoop("WiFi"), 3},   {TrNoop("TCP socket"), kTcpSocket},
};

} // namespace

TfmConnection::TfmConnection(QWidget* parent)
    : TPage(parent), ui(std::make_unique<Ui::TfmConnection>()) {
    ui->setupUi(this);
    // The link's state is the driver's, never a saved setting.
    SetControlTag(ui->chkConnected, 1000);

    connect(ui->cbPortNumber, &QComboBox::currentIndexChanged, this,
            [this] { cbPortNumberChange(); });
    ConnectButton(ui->btnConnect, [this] { btnConnectClick(); });
    ConnectButton(ui->btnDisconnect, [this] { btnDisconnectClick(); });
    ConnectButton(ui->btnGetExchangeParam, [this] { btnGetExchangeParamClick(); });
    ConnectButton(ui->btnSetExchangeParam, [this] { btnSetExchangeParamClick(); });
    ConnectButton(ui->chkConnected, [this] { chkConnectedClick(); });
    // The three waits differ in their method only.
    const std::pair<QPushButton*, int (TLedgra::*)()> waits[] = {
        {ui->btnWaitConnection, &TLedgra::WaitConnection},
        {ui->btnWaitForPrinting, &TLedgra::WaitForPrinting},
        {ui->btnWaitForCheckClose, &TLedgra::WaitForCheckClose},
    };
    for (const auto& [button, method] : waits)
        ConnectButton(button, [this, method] { Wait(method); });
    cbPortNumberChange();
}

TfmConnection::~TfmConnection() = default;

void TfmConnection::Initialize() {
    QStringList ports;
    for (int i = 1; i <= kComCount; ++i)
        ports << QStringLiteral("COM%1").arg(i);
    ui->cbCOMNumber->clear();
    ui->cbCOMNumber->addItems(ports);

    ui->cbPortNumber->clear();
    for (const PortNumberItem& item : kPortNumbers)
        ui->cbPortNumber->addItem(Tr(item.text), item.value);
    ui->cbPortNumber->setCurrentIndex(0);
    cbPortNumberChange();
}

void TfmConnection::UpdatePage() {
    if (DriverExists())
        ui->chkConnected->setChecked(Driver().Connected());
}

void TfmConnection::showEvent(QShowEvent* event) {
    TPage::showEvent(event);
    if (!event->spontaneous())
        RunHandler(this, [this] { FormShow(); });
}

void TfmConnection::FormShow() {
    // Showing the page never creates the driver object.
    if (!DriverExists())
        return;
    TDriver& d = Driver();
    ui->seTimeout->setValue(d.Timeout());
    ui->cbBaudRate->setCurrentIndex(d.BaudRate());
    ui->cbCOMNumber->setCurrentIndex(d.ComNumber() - 1);
    ui->edtTCPPortReal->setText(QString::number(d.TCPPort()));
    ui->seTCPPortCode->setValue(EncodeTCPPort(d.TCPPort()));
    ui->seConnectionTimeout->setValue(d.ConnectionTimeout());
}

void TfmConnection::cbPortNumberChange() {
    const bool tcp = PortNumber() == kTcpSocket;
    const QList<QWidget*> fields{ui->lblTCPPortCode, ui->seTCPPortCode, ui->lblTCPPortReal,
                                 ui->edtTCPPortReal};
    for (QWidget* w : fields)
        w->setEnabled(tcp);
}

int TfmConnection::PortNumber() const {
    return ui->cbPortNumber->currentData().toInt();
}

int TfmConnection::TCPPort() const {
    return DecodeTCPPort(ui->seTCPPortCode->value());
}

void TfmConnection::btnConnectClick() {
    TDriver& d = Driver();
    d.SetComNumber(ui->cbCOMNumber->currentIndex() + 1);
    d.SetBaudRate(ui->cbBaudRate->currentIndex());
    d.SetTimeout(ui->seTimeout->value());
    d.SetTCPPort(TCPPort());
    d.Connect();
    UpdatePage();
}

void TfmConnection::btnDisconnectClick() {
    Driver().Disconnect();
    UpdatePage();
}

void TfmConnection::btnGetExchangeParamClick() {
    TDriver& d = Driver();
    d.SetPortNumber(PortNumber());
    if (d.GetExchangeParam() == 0) {
        ui->seTimeout->setValue(d.Timeout());
        ui->cbBaudRate->setCurrentIndex(d.BaudRate());
        ui->seTCPPortCode->setValue(EncodeTCPPort(d.TCPPort()));
    }
    UpdatePage();
}

void TfmConnection::btnSetExchangeParamClick() {
    TDriver& d = Driver();
    d.SetTimeout(ui->seTimeout->value());
    d.SetBaudRate(ui->cbBaudRate->currentIndex());
    d.SetTCPPort(TCPPort());
    d.SetPortNumber(PortNumber());
    d.SetExchangeParam();
    UpdatePage();
}

void TfmConnection::chkConnectedClick() {
    Driver().SetConnected(ui->chkConnected->isChecked());
    UpdatePage();
}

void TfmConnection::Wait(int (TLedgra::*method)()) {
    TDriver& d = Driver();
    d.SetConnectionTimeout(ui->seConnectionTimeout->value());
    (d.*method)();
    UpdatePage();
}
