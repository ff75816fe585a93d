#include "pages/status/fmuDeviceStatus.h"

#include "platform/Translation.h"
#include "ui_fmuDeviceStatus.h"

TfmDeviceStatus::TfmDeviceStatus(QWidget* parent)
    : TPage(parent), ui(std::make_unique<Ui::TfmDeviceStatus>()) {
    ui->setupUi(this);
}

TfmDeviceStatus::~TfmDeviceStatus() = default;
