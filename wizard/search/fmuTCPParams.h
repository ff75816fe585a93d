#pragma once
// The step "Параметры подключения по TCP": the register's address and port,
// typed or taken from the registers that announce themselves on the local
// network, and a connection test that must pass before Next.

#include "wizard/frame/ParamPage.h"

#include <memory>

namespace Ui {
class TfmTCPParams;
}
class TTCPDeviceSearch;
class TTCPSearchItem;

class TfmTCPParams : public TParamPage {
    Q_OBJECT
public:
    // `announcePort` other than the default serves tests.
    explicit TfmTCPParams(QWidget* parent = nullptr, quint16 announcePort = 16327);
    ~TfmTCPParams() override;

    void OnShow() override;
    void Next() override;
    void Prev() override;
    void Home() override;
    void CloseEvent() override;

    // "Проверить связь c ККТ".
    void btnCheckClick();
    TTCPDeviceSearch& Listener() { return *FSearch; }

    // An IPv4 address in dotted form, or a host name.
    static bool ValidAddress(const QString& address);

private:
    void DeviceFound(TTCPSearchItem* item);
    void ItemClicked();
    void StopListener();

    std::unique_ptr<Ui::TfmTCPParams> ui;
    TTCPDeviceSearch* FSearch;
};
