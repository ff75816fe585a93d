#pragma once
// The step "Подключите устройство": instructions, the creation of the driver
// object and the check of the driver's version.

#include "wizard/frame/ParamPage.h"

#include <array>
#include <memory>

namespace Ui {
class TfmConnectDevice;
}

// A driver version: major, minor, release, build.
using TDriverVersion = std::array<int, 4>;
// The oldest driver the wizard works with.
inline constexpr TDriverVersion kMinDriverVersion{4, 13, 0, 594};
// True when the version is older than the minimum, compared field by field.
bool DriverVersionTooOld(const TDriverVersion& version);

class TfmConnectDevice : public TParamPage {
    Q_OBJECT
public:
    explicit TfmConnectDevice(QWidget* parent = nullptr);
    ~TfmConnectDevice() override;

    void OnShow() override;
    void Next() override;

private:
    void ShowWarning(const QString& text);

    std::unique_ptr<Ui::TfmConnectDevice> ui;
};
