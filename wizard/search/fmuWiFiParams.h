#pragma once
// Step "Настройки подключения WiFi": writes the register's WiFi settings.

#include "wizard/frame/ParamPage.h"

#include <memory>

namespace Ui {
class TfmWiFiParams;
}

class TfmWiFiParams : public TParamPage {
    Q_OBJECT
public:
    explicit TfmWiFiParams(QWidget* parent = nullptr);
    ~TfmWiFiParams() override;

    void OnShow() override;
    void Next() override;

private:
    void UpdateDHCP();

    std::unique_ptr<Ui::TfmWiFiParams> ui;
};
