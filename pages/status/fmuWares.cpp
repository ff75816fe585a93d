#include "pages/status/fmuWares.h"

#include "driver/untUtil.h"

#include "driver/untDriver.h"
#include "driver/untTexts.h"
#include "platform/LedgraErrors.h"
#include "platform/Translation.h"
#include "ui_fmuWares.h"

#include <QFont>
#include <QLocale>
#include <cmath>

namespace {

// The ware's money registers, in report order.
struct RegLine {
    const char* label;
    Currency (TLedgra::*value)() const;
};

const RegLine kRegs[] = {
    {TrNoop("Регистр продаж по данному товару в чеке"), &TLedgra::RegSaleRec},
    {TrNoop("Регистр покупок по данному товару в чеке"), &TLedgra::RegBuyRec},
    {TrNoop("Регистр возврата продаж по данному товару в чеке"), &TLedgra::RegSaleReturnRec},
    {TrNoop("Регистр возврата покупок по данному товару в чеке"), &TLedgra::RegBuyReturnRec},
    {TrNoop("Регистр продаж по данному товару за смену"), &TLedgra::RegSaleSession},
    {TrNoop("Регистр покупок по данному товару за смену"), &TLedgra::RegBuySession},
    {TrNoop("Регистр возврата продаж по данному товару за смену"), &TLedgra::RegSaleReturnSession},
    {TrNoop("Регистр возврата покупок по данному товару за смену"), &TLedgra::RegBuyReturnSession},
};

// The price as the operator typed it, in the locale's format. A value the
// driver's money type cannot hold is no price either.
Currency PriceOf(const QString& text) {
    const double value = StrToFloatChecked(text);
    constexpr double kMaxCurrency = 922337203685477.0;
    if (std::fabs(value) > kMaxCurrency)
        throw EError(Text(TText::NotNumber, text));
    return Currency::FromDouble(value);
}

} // namespace

TfmWares::TfmWares(QWidget* parent) : TPage(parent), ui(std::make_unique<Ui::TfmWares>()) {
    ui->setupUi(this);
    FReport = TReport(ui->memOut);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(11);
    ui->memOut->setFont(font);

    ConnectButton(ui->btnReadWare, [this] { btnReadWareClick(); });
    ConnectButton(ui->btnUpdateWare, [this] { btnUpdateWareClick(); });
    ConnectButton(ui->btnDeleteWare, [this] { btnDeleteWareClick(); });
    ConnectButton(ui->btnGetWareBaseCashRegs, [this] { btnGetWareBaseCashRegsClick(); });
}

TfmWares::~TfmWares() = default;

std::array<QComboBox*, 4> TfmWares::TaxBoxes() const {
    return {ui->cbTax1, ui->cbTax2, ui->cbTax3, ui->cbTax4};
}

void TfmWares::btnReadWareClick() {
    TDriver& d = Driver();
    d.SetWareCode(ui->edtWareCode->value());
    if (d.ReadWare() != 0)
        return;
    ui->edtDepartment->setValue(d.Department());
    ui->edtPrice->setText(d.AmountToStr(d.Price()));
    ui->edtStringForPrinting->setText(d.StringForPrinting());
    const int taxes[] = {d.Tax1(), d.Tax2(), d.Tax3(), d.Tax4()};
    const auto boxes = TaxBoxes();
    for (size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setCurrentIndex(taxes[i]);
}

void TfmWares::btnUpdateWareClick() {
    // A price that is no number stops before anything reaches the driver.
    const Currency price = PriceOf(ui->edtPrice->text());
    TDriver& d = Driver();
    d.SetWareCode(ui->edtWareCode->value());
    d.SetDepartment(ui->edtDepartment->value());
    d.SetPrice(price);
    d.SetStringForPrinting(ui->edtStringForPrinting->text());
    d.SetTax1(ui->cbTax1->currentIndex());
    d.SetTax2(ui->cbTax2->currentIndex());
    d.SetTax3(ui->cbTax3->currentIndex());
    d.SetTax4(ui->cbTax4->currentIndex());
    d.UpdateWare();
}

void TfmWares::btnDeleteWareClick() {
    TDriver& d = Driver();
    d.SetWareCode(ui->edtWareCode->value());
    d.RemoveWare();
}

void TfmWares::btnGetWareBaseCashRegsClick() {
    FReport.Clear();
    TDriver& d = Driver();
    d.SetWareCode(ui->edtWareCode->value());
    if (d.GetWareBaseCashRegs() != 0)
        return;
    FReport.AddText(Tr("Запрос денежных регистров по коду товара") + QStringLiteral(": ") +
                    QString::number(d.WareCode()));
    FReport.AddText(QString());
    for (const RegLine& r : kRegs)
        FReport.AddText(Tr(r.label) + QStringLiteral(": ") + AmountWithCents((d.*r.value)()));
}
