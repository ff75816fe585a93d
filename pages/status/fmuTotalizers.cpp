#include "pages/status/fmuTotalizers.h"

#include "driver/untDriver.h"
#include "pages/status/untStatusReport.h"
#include "platform/Translation.h"
#include "ui_fmuTotalizers.h"

namespace {

QString OperationName(TLedgra& d) {
    return d.NameOperationReg();
}

QString CashName(TLedgra& d) {
    return d.NameCashReg();
}

QString CashExName(TLedgra& d) {
    return d.NameCashRegEx();
}

// An operation register holds a count: shown as a whole amount.
QString OperationContent(TDriver& d) {
    return d.AmountToStr(StatusReport::WholeAmount(d.ContentsOfOperationRegister()));
}

QString CashContent(TDriver& d) {
    return d.AmountToStr(d.ContentsOfCashRegister());
}

} // namespace

TfmTotalizers::TfmTotalizers(QWidget* parent)
    : TPage(parent), ui(std::make_unique<Ui::TfmTotalizers>()) {
    ui->setupUi(this);
    ConnectButton(ui->btnGetOperationReg, [this] { btnGetOperationRegClick(); });
    ConnectButton(ui->btnGetCashReg, [this] { btnGetCashRegClick(); });
    ConnectButton(ui->btnGetCashRegEx, [this] { btnGetCashRegExClick(); });
}

TfmTotalizers::~TfmTotalizers() = default;

void TfmTotalizers::ShowRegister(int (TLedgra::*method)(), QString (*name)(TLedgra&),
                                 QString (*content)(TDriver&)) {
    TDriver& d = Driver();
    d.SetRegisterNumber(ui->seRegisterNumber->value());
    if ((d.*method)() != 0) {
        ui->edtRegName->clear();
        ui->edtRegContent->clear();
        return;
    }
    ui->edtRegName->setText(name(d));
    ui->edtRegContent->setText(content(d));
}

void TfmTotalizers::btnGetOperationRegClick() {
    ShowRegister(&TLedgra::GetOperationReg, OperationName, OperationContent);
}

void TfmTotalizers::btnGetCashRegClick() {
    ShowRegister(&TLedgra::GetCashReg, CashName, CashContent);
}

void TfmTotalizers::btnGetCashRegExClick() {
    ShowRegister(&TLedgra::GetCashRegEx, CashExName, CashContent);
}
