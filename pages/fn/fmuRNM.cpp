#include "pages/fn/fmuRNM.h"

#include "common/untRNM.h"
#include "driver/untDriver.h"
#include "platform/Translation.h"
#include "ui_fmuRNM.h"

#include <QRegularExpressionValidator>

TfmRNM::TfmRNM(QWidget* parent) : TPage(parent), ui(std::make_unique<Ui::TfmRNM>()) {
    ui->setupUi(this);
    // The digit keys of the FN pages: digits and ".".
    for (QLineEdit* edit : {ui->edtKKTNumber, ui->edtINN, ui->edtSerialNumber})
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]*")), edit));
    ConnectButton(ui->btnGenerateRNM, [this] { btnGenerateRNMClick(); });
    ConnectButton(ui->btnReadSerialNumber, [this] { btnReadSerialNumberClick(); });
}

TfmRNM::~TfmRNM() = default;

void TfmRNM::btnGenerateRNMClick() {
    ui->edtRNM->setText(GenerateRNM(ui->edtKKTNumber->text(), ui->edtINN->text(),
                                    ui->edtSerialNumber->text(), TRNMLongValues::Cut));
}

void TfmRNM::btnReadSerialNumberClick() {
    TDriver& d = Driver();
    Check(d.ReadSerialNumber());
    ui->edtSerialNumber->setText(d.SerialNumber());
}
