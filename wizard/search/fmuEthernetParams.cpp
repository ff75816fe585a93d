#include "wizard/search/fmuEthernetParams.h"

#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"
#include "wizard/search/untNetSteps.h"

#include "ui_fmuEthernetParams.h"

using namespace NetSteps;

TfmEthernetParams::TfmEthernetParams(QWidget* parent)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmEthernetParams>()) {
    ui->setupUi(this);
    SetupAddressEdits(AddressEdits(ui.get()));
    SetupPortEdit(ui->edtPort);
    connect(ui->chkDHCP, &QCheckBox::toggled, this, [this] { UpdateDHCP(); });
    UpdateDHCP();
}

TfmEthernetParams::~TfmEthernetParams() = default;

void TfmEthernetParams::UpdateDHCP() {
    EnableAddressEdits(AddressEdits(ui.get()), !ui->chkDHCP->isChecked());
}

void TfmEthernetParams::OnShow() {
    TDisconnectGuard disconnect;
    ui->chkDHCP->setChecked(TableReadInt(kNetTable, 1, kNetMode) == 0);
    LoadAddressEdits(AddressEdits(ui.get()));
    ui->edtPort->setText(QString::number(TableReadInt(kLinkTable, 1, kLinkPort)));
}

void TfmEthernetParams::Next() {
    // Everything typed is checked before the first write.
    const bool dhcp = ui->chkDHCP->isChecked();
    const int port = CheckedPort(ui->edtPort, ui->lblPort);
    TStaticAddress address;
    if (!dhcp)
        address = CheckedStaticAddress(AddressEdits(ui.get()));

    TController& c = Controller();
    {
        TDisconnectGuard disconnect;
        TableWriteInt(kLinkTable, 1, kLinkTcp, 1);
        TableWriteInt(kLinkTable, 1, kLinkWiFi, 0);
        if (dhcp) {
            TableWriteInt(kNetTable, 1, kNetMode, 0);
            c.DHCP = true;
        } else {
            TableWriteInt(kNetTable, 1, kNetMode, 1);
            WriteStaticAddress(address);
            c.DHCP = false;
            c.IP = address.text;
            c.TCPPort = port;
        }
        TableWriteInt(kLinkTable, 1, kLinkPort, port);
        TableWriteInt(kLinkTable, 1, kLinkRNDIS, 0);
    }
    c.SetNextPage("TfmCheckEthernet");
    ShowInfo(this, QStringLiteral("Настройки Ethernet успешно записаны.\r\nПерезагрузите "
                                  "устройство и нажмите \"ОК\""));
}
