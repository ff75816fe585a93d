#include "wizard/search/fmuConnectDevice.h"

#include "platform/LedgraErrors.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"
#include "wizard/search/fmuSelectPortType.h"

#include "ui_fmuConnectDevice.h"

namespace {
QString VersionText(const TDriverVersion& v) {
    return QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
}
} // namespace

bool DriverVersionTooOld(const TDriverVersion& version) {
    return version < kMinDriverVersion;
}

TfmConnectDevice::TfmConnectDevice(QWidget* parent)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmConnectDevice>()) {
    ui->setupUi(this);
    ui->lblInfo->setText(
        QString::fromUtf8("1. Подключите устройство к  ПК\r\n2. Включите устройство, дождитесь "
                          "звукового сигнала\r\n3. Нажмите \"Далее\""));
    ui->lblWarning->hide();
}

TfmConnectDevice::~TfmConnectDevice() = default;

void TfmConnectDevice::ShowWarning(const QString& text) {
    ui->lblWarning->setText(text);
    ui->lblWarning->show();
}

void TfmConnectDevice::OnShow() {
    ui->lblWarning->hide();
    TController& c = Controller();
    try {
        CreateDriverObject();
    } catch (const EError&) {
        ShowWarning(QString::fromUtf8("Внимание! Не установлен драйвер ФР\r\nДля корректной работы "
                                      "установите драйвер версии не ниже ") +
                    VersionText(kMinDriverVersion) +
                    QString::fromUtf8(" и перезапустите приложение"));
        c.EnableNext(false);
        c.EnableSettings(false);
        return;
    }
    TLedgra& d = WizardDriver();
    const TDriverVersion version{d.DriverMajorVersion(), d.DriverMinorVersion(), d.DriverRelease(),
                                 d.DriverBuild()};
    if (DriverVersionTooOld(version)) {
        ShowWarning(QString::fromUtf8("Внимание! Установленная версия драйвера ФР меньше "
                                      "минимальной\r\nДля корректной работы необходима версия не "
                                      "ниже ") +
                    VersionText(kMinDriverVersion));
        c.EnableNext(false);
        return;
    }
    c.EnableNext(true);
}

void TfmConnectDevice::Next() {
    Controller().SetNextPage<TfmSelectPortType>();
}
