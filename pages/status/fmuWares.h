#pragma once
// The page "Товары": one entry of the register's ware base read, written and
// deleted, and the money registers of a ware.

#include "pages/status/untReport.h"
#include "shell/untPages.h"

#include <array>
#include <memory>

class QComboBox;

namespace Ui {
class TfmWares;
}

class TfmWares : public TPage {
    Q_OBJECT
public:
    explicit TfmWares(QWidget* parent = nullptr);
    ~TfmWares() override;

private:
    void btnReadWareClick();
    void btnUpdateWareClick();
    void btnDeleteWareClick();
    void btnGetWareBaseCashRegsClick();

    std::array<QComboBox*, 4> TaxBoxes() const;

    std::unique_ptr<Ui::TfmWares> ui;
    TReport FReport{nullptr};
};
