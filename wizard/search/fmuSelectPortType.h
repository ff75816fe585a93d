#pragma once
// The step "Выберите тип подключения к ККТ": a serial port or TCP, and the
// system administrator password the driver uses from now on.

#include "wizard/frame/ParamPage.h"

#include <memory>

namespace Ui {
class TfmSelectPortType;
}

class TfmSelectPortType : public TParamPage {
    Q_OBJECT
public:
    explicit TfmSelectPortType(QWidget* parent = nullptr);
    ~TfmSelectPortType() override;

    void OnShow() override;
    void Next() override;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<Ui::TfmSelectPortType> ui;
};
