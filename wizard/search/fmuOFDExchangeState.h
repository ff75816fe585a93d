#pragma once
// Step "Проверка отправки данных в ОФД": how many documents still wait to be
// sent to the operator.

#include "wizard/frame/ParamPage.h"

#include <memory>

namespace Ui {
class TfmOFDExchangeState;
}

class TfmOFDExchangeState : public TParamPage {
    Q_OBJECT
public:
    explicit TfmOFDExchangeState(QWidget* parent = nullptr);
    ~TfmOFDExchangeState() override;

    void OnShow() override;
    void Next() override;

private:
    void UpdateState();

    std::unique_ptr<Ui::TfmOFDExchangeState> ui;
};
