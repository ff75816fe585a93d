#include "wizard/search/fmuOFDExchangeState.h"

#include "common/RunHandler.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"
#include "wizard/search/untNetSteps.h"

#include "ui_fmuOFDExchangeState.h"

TfmOFDExchangeState::TfmOFDExchangeState(QWidget* parent)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmOFDExchangeState>()) {
    ui->setupUi(this);
    connect(ui->btnUpdate, &QPushButton::clicked, this,
            [this] { RunHandler(this, [this] { UpdateState(); }); });
}

TfmOFDExchangeState::~TfmOFDExchangeState() = default;

void TfmOFDExchangeState::OnShow() {
    UpdateState();
}

void TfmOFDExchangeState::UpdateState() {
    NetSteps::TDisconnectGuard disconnect;
    TLedgra& d = WizardDriver();
    CheckResult(d.FNGetInfoExchangeStatus());
    const int count = d.MessageCount();
    if (count != 0)
        ui->lblInfo->setText(QStringLiteral("Кол-во неотправленных документов в ОФД: ") +
                             QString::number(count) +
                             QStringLiteral("\r\nПроверьте настройки соединения с Интернет"));
    else
        ui->lblInfo->setText(
            QStringLiteral("Все документы успешно отправлены в ОФД\r\nНажмите \"Далее\""));
}

void TfmOFDExchangeState::Next() {
    Controller().SetNextPage("TfmFinalMessage");
}
