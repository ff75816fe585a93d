#include "pages/status/fmuFindDevice.h"

#include "driver/untDriver.h"
#include "platform/Translation.h"
#include "shell/fmuMain.h"
#include "ui_fmuFindDevice.h"

TfmFindDevice::TfmFindDevice(QWidget* parent)
    : TPage(parent), ui(std::make_unique<Ui::TfmFindDevice>()) {
    ui->setupUi(this);
    ConnectButton(ui->btnRead, [this] { btnReadClick(); });
}

TfmFindDevice::~TfmFindDevice() = default;

void TfmFindDevice::btnReadClick() {
    QPlainTextEdit* memo = ui->Memo;
    // The memo is painted once, when the search is over.
    struct HeldUpdates {
        QPlainTextEdit* memo;
        bool enabled;
        ~HeldUpdates() { memo->setUpdatesEnabled(enabled); }
    } held{memo, memo->updatesEnabled()};
    memo->setUpdatesEnabled(false);
    memo->clear();

    TDriver& d = Driver();
    if (d.FindDevice() != 0) {
        memo->appendPlainText(Tr("Устройство не найдено."));
        return;
    }
    memo->appendPlainText(Tr("Устройство найдено."));
    // The translated format keeps its two "%d" in order: port, then rate.
    QString line = Tr("Порт: COM%d, Скорость: %d");
    for (int value : {d.ComNumber(), IntToBaudRate(d.BaudRate())}) {
        const qsizetype at = line.indexOf(QLatin1String("%d"));
        if (at >= 0)
            line.replace(at, 2, QString::number(value));
    }
    memo->appendPlainText(line);
}
