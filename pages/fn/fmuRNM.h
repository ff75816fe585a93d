#pragma once
// The page "РНМ": the register's registration number computed from its
// ordinal number, the user's ИНН and the register's serial number, which can
// be read from the register.

#include "shell/untPages.h"

#include <memory>

namespace Ui {
class TfmRNM;
}

class TfmRNM : public TPage {
    Q_OBJECT
public:
    explicit TfmRNM(QWidget* parent = nullptr);
    ~TfmRNM() override;

private:
    void btnGenerateRNMClick();
    void btnReadSerialNumberClick();

    std::unique_ptr<Ui::TfmRNM> ui;
};
