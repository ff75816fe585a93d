#include "wizard/search/fmuWiFiParams.h"

#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"
#include "wizard/search/untNetSteps.h"

#include "ui_fmuWiFiParams.h"

using namespace NetSteps;

TfmWiFiParams::TfmWiFiParams(QWidget* parent)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmWiFiParams>()) {
    ui->setupUi(this);
    SetupAddressEdits(AddressEdits(ui.get()));
    SetupPortEdit(ui->edtPort);
    connect(ui->chkDHCP, &QCheckBox::toggled, this, [this] { UpdateDHCP(); });
    UpdateDHCP();
}

TfmWiFiParams::~TfmWiFiParams() = default;

void TfmWiFiParams::UpdateDHCP() {
    EnableAddressEdits(AddressEdits(ui.get()), !ui->chkDHCP->isChecked());
}

void TfmWiFiParams::OnShow() {
    TDisconnectGuard disconnect;
    ui->edtWiFiName->setText(TableReadStr(kLinkTable, 1, kLinkWiFiName));
    ui->edtWiFiPassword->setText(TableReadStr(kLinkTable, 1, kLinkWiFiPassword));
    ui->chkDHCP->setChecked(TableReadInt(kWiFiTable, 1, kWiFiMode) == 0);
    ui->edtIP->setText(TableReadStr(kWiFiTable, 1, kWiFiAddress));
    ui->edtMask->setText(TableReadStr(kWiFiTable, 1, kWiFiMask));
    ui->edtGateway->setText(TableReadStr(kWiFiTable, 1, kWiFiGateway));
    ui->edtDNS->setText(TableReadStr(kWiFiTable, 1, kWiFiDns));
    ui->edtPort->setText(QString::number(TableReadInt(kLinkTable, 1, kLinkPort)));
}

void TfmWiFiParams::Next() {
    // Everything typed is checked before the first write.
    const bool dhcp = ui->chkDHCP->isChecked();
    const int port = CheckedPort(ui->edtPort, ui->lblPort);
    const TAddressEdits edits = AddressEdits(ui.get());
    if (!dhcp)
        for (auto [edit, label] : {std::pair{edits.ip, edits.lblIP},
                                   {edits.mask, edits.lblMask},
                                   {edits.gateway, edits.lblGateway},
                                   {edits.dns, edits.lblDNS}})
            CheckedAddress(edit, label);

    {
        TDisconnectGuard disconnect;
        TableWriteInt(kLinkTable, 1, kLinkTcp, 1);
        TableWriteInt(kLinkTable, 1, kLinkWiFi, 1);
        TableWriteStr(kLinkTable, 1, kLinkWiFiName, ui->edtWiFiName->text());
        TableWriteStr(kLinkTable, 1, kLinkWiFiPassword, ui->edtWiFiPassword->text());
        if (dhcp) {
            TableWriteInt(kWiFiTable, 1, kWiFiMode, 0);
        } else {
            TableWriteInt(kWiFiTable, 1, kWiFiMode, 1);
            TableWriteStr(kWiFiTable, 1, kWiFiAddress, ui->edtIP->text().trimmed());
            TableWriteStr(kWiFiTable, 1, kWiFiMask, ui->edtMask->text().trimmed());
            TableWriteStr(kWiFiTable, 1, kWiFiGateway, ui->edtGateway->text().trimmed());
            TableWriteStr(kWiFiTable, 1, kWiFiDns, ui->edtDNS->text().trimmed());
        }
        TableWriteInt(kLinkTable, 1, kLinkRNDIS, 0);
        TableWriteInt(kLinkTable, 1, kLinkPort, port);
    }
    // No link check follows WiFi: the operator goes on to the documents still
    // waiting for the operator's server.
    Controller().SetNextPage("TfmOFDExchangeState");
    ShowInfo(this, QStringLiteral("Настройки WiFi успешно записаны.\r\nПерезагрузите "
                                  "устройство и нажмите \"ОК\""));
}
