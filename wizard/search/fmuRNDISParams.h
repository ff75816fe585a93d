#pragma once
// Step "Настройки подключения RNDIS": writes the register's RNDIS settings.

#include "wizard/frame/ParamPage.h"

#include <memory>

namespace Ui {
class TfmRNDISParams;
}

class TfmRNDISParams : public TParamPage {
    Q_OBJECT
public:
    explicit TfmRNDISParams(QWidget* parent = nullptr);
    ~TfmRNDISParams() override;

    void OnShow() override;
    void Next() override;

private:
    std::unique_ptr<Ui::TfmRNDISParams> ui;
};
