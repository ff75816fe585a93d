#include "ledgra/fmuDriverProperties.h"

#include "driver/TLedgra.h"
#include "ledgra/LedgraSettings.h"
#include "platform/PortMap.h"
#include "platform/Translation.h"
#include "ui_fmuDriverProperties.h"

#include <QMessageBox>
#include <QRegularExpressionValidator>

namespace {

struct ConnectionChoice {
    int type;
    const char* text;
};
const ConnectionChoice kConnections[] = {
    {LedgraSettings::kEmbedded, "Виртуальная ККТ (встроенная)"},
    {LedgraSettings::kSerial, "COM порт"},
    {LedgraSettings::kTcp, "TCP сокет"},
};

const int kBaudRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};

} // namespace

TfmDriverProperties::TfmDriverProperties(ILedgra& object, QWidget* parent)
    : QDialog(parent), FObject(object), ui(std::make_unique<Ui::TfmDriverProperties>()) {
    ui->setupUi(this);
    for (const auto& c : kConnections)
        ui->cbConnectionType->addItem(QString::fromUtf8(c.text), c.type);
    for (const auto& p : Platform::PortMap())
        ui->cbComNumber->addItem(QStringLiteral("COM%1 (%2)").arg(p.comNumber).arg(p.device),
                                 p.comNumber);
    for (int r : kBaudRates)
        ui->cbBaudRate->addItem(QString::number(r));
    ui->edtPassword->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,10}")), this));
    connect(ui->cbConnectionType, &QComboBox::currentIndexChanged, this,
            [this] { UpdateControls(); });
    connect(ui->chbUseIPAddress, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    connect(ui->btnCheckConnection, &QPushButton::clicked, this, [this] { CheckConnection(); });
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &TfmDriverProperties::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &TfmDriverProperties::reject);
    Load();
}

TfmDriverProperties::~TfmDriverProperties() = default;

void TfmDriverProperties::Load() {
    TLedgra d(std::shared_ptr<ILedgra>(&FObject, [](ILedgra*) {}));
    int idx = ui->cbConnectionType->findData(d.ConnectionType());
    ui->cbConnectionType->setCurrentIndex(idx < 0 ? 0 : idx);
    idx = ui->cbComNumber->findData(d.ComNumber());
    if (idx < 0) {
        ui->cbComNumber->addItem(QStringLiteral("COM%1").arg(d.ComNumber()), d.ComNumber());
        idx = ui->cbComNumber->count() - 1;
    }
    ui->cbComNumber->setCurrentIndex(idx);
    ui->cbBaudRate->setCurrentIndex(qBound(0, d.BaudRate(), ui->cbBaudRate->count() - 1));
    ui->seTimeout->setValue(d.Timeout());
    ui->edtIPAddress->setText(d.IPAddress());
    ui->edtComputerName->setText(d.ComputerName());
    ui->chbUseIPAddress->setChecked(d.UseIPAddress());
    ui->seTCPPort->setValue(d.TCPPort());
    ui->seTCPConnectionTimeout->setValue(d.TCPConnectionTimeout());
    ui->edtPassword->setText(QString::number(d.Password()));
    UpdateControls();
}

void TfmDriverProperties::UpdateControls() {
    const int type = ui->cbConnectionType->currentData().toInt();
    const bool serial = type == LedgraSettings::kSerial;
    const bool tcp = type == LedgraSettings::kTcp;
    ui->cbComNumber->setEnabled(serial);
    ui->cbBaudRate->setEnabled(serial);
    ui->edtIPAddress->setEnabled(tcp && ui->chbUseIPAddress->isChecked());
    ui->edtComputerName->setEnabled(tcp && !ui->chbUseIPAddress->isChecked());
    ui->chbUseIPAddress->setEnabled(tcp);
    ui->seTCPPort->setEnabled(tcp);
    ui->seTCPConnectionTimeout->setEnabled(tcp);
}

bool TfmDriverProperties::Apply() {
    bool ok = false;
    const int password = ui->edtPassword->text().toInt(&ok);
    if (!ok) {
        QMessageBox::critical(
            this, windowTitle(),
            QStringLiteral("\"%1\" не является целым числом").arg(ui->edtPassword->text()));
        return false;
    }
    TLedgra d(std::shared_ptr<ILedgra>(&FObject, [](ILedgra*) {}));
    d.SetConnectionType(ui->cbConnectionType->currentData().toInt());
    d.SetComNumber(ui->cbComNumber->currentData().toInt());
    d.SetBaudRate(ui->cbBaudRate->currentIndex());
    d.SetTimeout(ui->seTimeout->value());
    d.SetIPAddress(ui->edtIPAddress->text().trimmed());
    d.SetComputerName(ui->edtComputerName->text().trimmed());
    d.SetUseIPAddress(ui->chbUseIPAddress->isChecked());
    d.SetTCPPort(ui->seTCPPort->value());
    d.SetTCPConnectionTimeout(ui->seTCPConnectionTimeout->value());
    d.SetPassword(password);
    return true;
}

void TfmDriverProperties::accept() {
    if (Apply())
        QDialog::accept();
}

void TfmDriverProperties::CheckConnection() {
    if (!Apply())
        return;
    TLedgra d(std::shared_ptr<ILedgra>(&FObject, [](ILedgra*) {}));
    d.Disconnect();
    const int code = d.GetECRStatus();
    ui->edtResult->setText(QStringLiteral("(%1) %2").arg(code).arg(d.ResultCodeDescription()));
}

bool ShowDriverPropertiesDialog(ILedgra& object) {
    TfmDriverProperties dlg(object);
    return dlg.exec() == QDialog::Accepted;
}
