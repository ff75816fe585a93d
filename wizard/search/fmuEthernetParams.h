#pragma once
// Step "Параметры Ethernet": writes the register's Ethernet settings.

#include "wizard/frame/ParamPage.h"

#include <memory>

namespace Ui {
class TfmEthernetParams;
}

class TfmEthernetParams : public TParamPage {
    Q_OBJECT
public:
    explicit TfmEthernetParams(QWidget* parent = nullptr);
    ~TfmEthernetParams() override;

    void OnShow() override;
    void Next() override;

private:
    void UpdateDHCP();

    std::unique_ptr<Ui::TfmEthernetParams> ui;
};
