#include "wizard/search/fmuSelectPortType.h"

#include "common/RunHandler.h"
#include "driver/untTexts.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"

#include "ui_fmuSelectPortType.h"

#include <QRegularExpressionValidator>

namespace {
enum TPortType { ptCom, ptTcp };
}

TfmSelectPortType::TfmSelectPortType(QWidget* parent)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmSelectPortType>()) {
    ui->setupUi(this);
    ui->edtSysAdminPassword->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), ui->edtSysAdminPassword));
    connect(ui->lbPortType, &QListWidget::itemDoubleClicked, this,
            [this] { RunHandler(this, [] { Controller().Next(); }); });
}

TfmSelectPortType::~TfmSelectPortType() = default;

void TfmSelectPortType::OnShow() {
    ui->lbPortType->setCurrentRow(ptCom);
    ui->lbPortType->setFocus();
    ui->edtSysAdminPassword->setText(QString::number(WizardDriver().SysAdminPassword()));
}

void TfmSelectPortType::Next() {
    TLedgra& d = WizardDriver();
    d.SetSysAdminPassword(StrToIntChecked(ui->edtSysAdminPassword->text()));
    d.SetPassword(d.SysAdminPassword());
    TController& c = Controller();
    switch (ui->lbPortType->currentRow()) {
    case ptCom:
        c.IsComConnection = true;
        c.SetNextPage("TfmSearchDevice");
        break;
    case ptTcp:
        c.IsComConnection = false;
        c.SetNextPage("TfmTCPParams");
        break;
    default:
        break;
    }
}

void TfmSelectPortType::mouseDoubleClickEvent(QMouseEvent* event) {
    TParamPage::mouseDoubleClickEvent(event);
    RunHandler(this, [] { Controller().Next(); });
}
