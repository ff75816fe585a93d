#pragma once
// The page "Поиск устройства": the driver searches the computer's ports for a
// register and the page reports where it was found.

#include "shell/untPages.h"

#include <memory>

namespace Ui {
class TfmFindDevice;
}

class TfmFindDevice : public TPage {
    Q_OBJECT
public:
    explicit TfmFindDevice(QWidget* parent = nullptr);
    ~TfmFindDevice() override;

private:
    void btnReadClick();

    std::unique_ptr<Ui::TfmFindDevice> ui;
};
