#include "wizard/search/fmuRNDISParams.h"

#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"
#include "wizard/search/untNetSteps.h"

#include "ui_fmuRNDISParams.h"

using namespace NetSteps;

TfmRNDISParams::TfmRNDISParams(QWidget* parent)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmRNDISParams>()) {
    ui->setupUi(this);
    SetupAddressEdits(AddressEdits(ui.get()));
    SetupPortEdit(ui->edtPort);
}

TfmRNDISParams::~TfmRNDISParams() = default;

void TfmRNDISParams::OnShow() {
    {
        TDisconnectGuard disconnect;
        LoadAddressEdits(AddressEdits(ui.get()));
        ui->edtPort->setText(QString::number(TableReadInt(kLinkTable, 1, kLinkPort)));
    }
    ui->edtIP->setFocus();
}

void TfmRNDISParams::Next() {
    const TStaticAddress address = CheckedStaticAddress(AddressEdits(ui.get()));
    const int port = CheckedPort(ui->edtPort, ui->lblPort);

    TController& c = Controller();
    {
        TDisconnectGuard disconnect;
        TableWriteInt(kLinkTable, 1, kLinkTcp, 1);
        TableWriteInt(kLinkTable, 1, kLinkWiFi, 0);
        TableWriteInt(kNetTable, 1, kNetMode, 1);
        WriteStaticAddress(address);
        TableWriteInt(kLinkTable, 1, kLinkPort, port);
        TableWriteInt(kLinkTable, 1, kLinkRNDIS, 1);
        c.IP = address.text;
        c.TCPPort = port;
    }
    c.SetNextPage("TfmCheckRNDIS");
    ShowInfo(this, QStringLiteral("Настройки RNDIS успешно записаны.\r\nПерезагрузите "
                                  "устройство и нажмите \"ОК\""));
}
