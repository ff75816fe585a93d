#pragma once
// The page "Регистры": one cash or operation register by its number.

#include "driver/untDriver.h"
#include "shell/untPages.h"

#include <memory>

namespace Ui {
class TfmTotalizers;
}

class TfmTotalizers : public TPage {
    Q_OBJECT
public:
    explicit TfmTotalizers(QWidget* parent = nullptr);
    ~TfmTotalizers() override;

private:
    void btnGetOperationRegClick();
    void btnGetCashRegClick();
    void btnGetCashRegExClick();
    // RegisterNumber := the spin edit; the method; its name and content, or
    // both fields cleared on a non-zero code.
    void ShowRegister(int (TLedgra::*method)(), QString (*name)(TLedgra&),
                      QString (*content)(TDriver&));

    std::unique_ptr<Ui::TfmTotalizers> ui;
};
