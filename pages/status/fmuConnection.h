#pragma once
// The page "Связь": the driver's port parameters, connecting and
// disconnecting, the register's own exchange parameters, and waiting for the
// register.

#include "driver/TLedgra.h"
#include "shell/untPages.h"

#include <memory>

namespace Ui {
class TfmConnection;
}

class TfmConnection : public TPage {
    Q_OBJECT
public:
    explicit TfmConnection(QWidget* parent = nullptr);
    ~TfmConnection() override;

    void Initialize() override;
    void UpdatePage() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void cbPortNumberChange();
    void btnConnectClick();
    void btnDisconnectClick();
    void btnGetExchangeParamClick();
    void btnSetExchangeParamClick();
    void chkConnectedClick();
    // "Ожидать подключения", "... завершения печати", "... закрытия чека".
    void Wait(int (TLedgra::*method)());
    // The value of the selected "Интерфейс:" item.
    int PortNumber() const;
    int TCPPort() const;

    std::unique_ptr<Ui::TfmConnection> ui;
};
