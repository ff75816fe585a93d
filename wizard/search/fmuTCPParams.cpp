#include "wizard/search/fmuTCPParams.h"

#include "common/RunHandler.h"
#include "platform/LedgraErrors.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"
#include "wizard/search/untTCPDeviceSearch.h"

#include "ui_fmuTCPParams.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace {

constexpr int kTcpConnectionType = 6;
constexpr int kTcpConnectionTimeoutMs = 2000;
constexpr int kMaxTcpPort = 65535;

enum TColumn { colSerial, colIP, colPort };

bool IsIPv4(const QString& text) {
    static const QRegularExpression re(
        QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    for (int i = 1; i <= 4; ++i)
        if (m.captured(i).toInt() > 255)
            return false;
    return true;
}

bool IsHostName(const QString& text) {
    static const QRegularExpression label(
        QStringLiteral("^[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?$"));
    if (text.isEmpty() || text.size() > 253)
        return false;
    bool allNumeric = true;
    for (const QString& part : text.split(QLatin1Char('.'))) {
        if (!label.match(part).hasMatch())
            return false;
        static const QRegularExpression digits(QStringLiteral("^\\d+$"));
        if (!digits.match(part).hasMatch())
            allNumeric = false;
    }
    // "300.1.1.1" is a wrong address, not a name.
    return !allNumeric;
}

} // namespace

TfmTCPParams::TfmTCPParams(QWidget* parent, quint16 announcePort)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmTCPParams>()),
      FSearch(new TTCPDeviceSearch(this, announcePort)) {
    ui->setupUi(this);
    ui->edtPort->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), ui->edtPort));
    ui->lvDevices->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui->Animate->hide();
    FSearch->SetOnFound([this](TTCPSearchItem* item) { DeviceFound(item); });
    connect(ui->btnCheck, &QPushButton::clicked, this,
            [this] { RunHandler(this, [this] { btnCheckClick(); }); });
    connect(ui->lvDevices, &QTreeWidget::itemClicked, this,
            [this] { RunHandler(this, [this] { ItemClicked(); }); });
}

TfmTCPParams::~TfmTCPParams() = default;

void TfmTCPParams::OnShow() {
    Controller().EnableNext(false);
    TLedgra& d = WizardDriver();
    ui->edtIP->setText(d.ComputerName());
    ui->edtPort->setText(QString::number(d.TCPPort()));
    ui->lvDevices->clear();
    ui->lblInfo->clear();
    d.Disconnect();
    FSearch->Stop();
    if (FSearch->Start()) {
        ui->Animate->show();
    } else {
        ui->Animate->hide();
        ui->lblInfo->setText(
            QStringLiteral("Поиск ККТ в сети недоступен: порт %1 занят другой программой")
                .arg(TTCPDeviceSearch::kAnnouncePort));
    }
}

void TfmTCPParams::DeviceFound(TTCPSearchItem* item) {
    // The row keeps what it shows: the listener forgets its items when it stops.
    auto* row = new QTreeWidgetItem(ui->lvDevices);
    row->setText(colSerial, item->Serial());
    row->setText(colIP, item->IP());
    row->setText(colPort, QString::number(item->Port()));
}

void TfmTCPParams::ItemClicked() {
    QTreeWidgetItem* row = ui->lvDevices->currentItem();
    if (!row)
        return;
    ui->edtIP->setText(row->text(colIP));
    ui->edtPort->setText(row->text(colPort));
}

bool TfmTCPParams::ValidAddress(const QString& address) {
    return IsIPv4(address) || IsHostName(address);
}

void TfmTCPParams::btnCheckClick() {
    const QString address = ui->edtIP->text().trimmed();
    if (!ValidAddress(address))
        throw EError(QStringLiteral("Неверный IP адрес или имя устройства: \"%1\"").arg(address));
    bool ok = false;
    const int port = ui->edtPort->text().toInt(&ok, 10);
    if (!ok || port < 0 || port > kMaxTcpPort)
        throw EError(QStringLiteral("Неверный номер порта: \"%1\". Допустимы значения от 0 до %2")
                         .arg(ui->edtPort->text())
                         .arg(kMaxTcpPort));

    TLedgra& d = WizardDriver();
    struct TDisconnect {
        TLedgra& d;
        ~TDisconnect() { d.Disconnect(); }
    } disconnect{d};
    d.SetConnectionType(kTcpConnectionType);
    d.SetProtocolType(0);
    d.SetComputerName(address);
    d.SetUseIPAddress(false);
    d.SetTCPPort(port);
    d.SetTCPConnectionTimeout(kTcpConnectionTimeoutMs);
    if (d.GetECRStatus() != 0) {
        ui->lblInfo->setText(QStringLiteral("Нет связи с устройством"));
        Controller().EnableNext(false);
        return;
    }
    CheckResult(d.ReadSerialNumber());
    // The status answer carries no model name: the metrics do.
    CheckResult(d.GetDeviceMetrics());
    const QString name = d.UDescription().trimmed();
    const QString serial = d.SerialNumber().trimmed();
    ui->lblInfo->setText(
        QStringLiteral("Найдено устройство %1, Зав. номер: %2\r\nДля продолжения нажмите \"Далее\"")
            .arg(name, serial));
    Controller().KKTName = name;
    Controller().KKTSN = serial;
    Controller().EnableNext(true);
}

void TfmTCPParams::StopListener() {
    FSearch->Stop();
    ui->Animate->hide();
}

void TfmTCPParams::Next() {
    WizardDriver().Disconnect();
    Controller().SetNextPage(kSelectWorkTypeClass);
    StopListener();
}

void TfmTCPParams::Prev() {
    WizardDriver().Disconnect();
    StopListener();
    Controller().EnableNext(true);
}

void TfmTCPParams::Home() {
    StopListener();
}

void TfmTCPParams::CloseEvent() {
    StopListener();
}
