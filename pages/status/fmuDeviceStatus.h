#pragma once
// The page "Запросы": the register's status reports.

#include "shell/untPages.h"

#include <memory>

namespace Ui {
class TfmDeviceStatus;
}

class TfmDeviceStatus : public TPage {
    Q_OBJECT
public:
    explicit TfmDeviceStatus(QWidget* parent = nullptr);
    ~TfmDeviceStatus() override;

private:
    std::unique_ptr<Ui::TfmDeviceStatus> ui;
};
