#pragma once
// Step "Выберите тип подключения к ОФД": Ethernet, WiFi or RNDIS.

#include "wizard/frame/ParamPage.h"

#include <memory>

namespace Ui {
class TfmSelectNetType;
}

class TfmSelectNetType : public TParamPage {
    Q_OBJECT
public:
    explicit TfmSelectNetType(QWidget* parent = nullptr);
    ~TfmSelectNetType() override;

    void Next() override;

private:
    std::unique_ptr<Ui::TfmSelectNetType> ui;
};
