#include "wizard/search/fmuEnterSerial.h"

#include "platform/LedgraErrors.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"
#include "wizard/search/untStepControls.h"

#include "ui_fmuEnterSerial.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScopeGuard>

namespace {
const QChar kLabelSeparator = QLatin1Char(';');

bool AllDigits(const QString& text) {
    for (QChar ch : text)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    return true;
}
} // namespace

bool SerialNumberPresent(const QString& serial) {
    for (QChar ch : serial)
        if (ch != QLatin1Char('0'))
            return true;
    return false;
}

QString SerialFromLabel(const QString& text) {
    const QStringList parts = text.split(kLabelSeparator);
    return parts.size() > 2 ? parts[2] : text;
}

TfmEnterSerial::TfmEnterSerial(QWidget* parent)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmEnterSerial>()) {
    ui->setupUi(this);
    ui->edtSerial->installEventFilter(this);
    ui->lblSerialEntered->hide();
}

TfmEnterSerial::~TfmEnterSerial() = default;

bool TfmEnterSerial::ReadSerialPresent() {
    TLedgra& d = WizardDriver();
    auto endConnection = qScopeGuard([&d] { d.Disconnect(); });
    CheckResult(d.ReadSerialNumber());
    return SerialNumberPresent(d.SerialNumber());
}

void TfmEnterSerial::OnShow() {
    const bool wasRegisterNumber = !ui->edtSerial->isEnabled();
    FHasSerial = false; // until the register says otherwise
    FHasSerial = ReadSerialPresent();
    ui->lblSerialEntered->setVisible(FHasSerial);
    if (FHasSerial) {
        ui->edtSerial->setText(WizardDriver().SerialNumber());
    } else if (wasRegisterNumber) {
        // The number of the register shown before is not this one's.
        ui->edtSerial->clear();
    }
    SetEditEnabled(ui->edtSerial, !FHasSerial);
}

bool TfmEnterSerial::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ui->edtSerial || event->type() != QEvent::KeyPress)
        return TParamPage::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        // A scanner types the whole label and Enter: keep its number.
        const QString text = ui->edtSerial->text();
        if (text.split(kLabelSeparator).size() > 2) {
            ui->edtSerial->setText(SerialFromLabel(text));
            ui->edtSerial->end(false);
        }
        return true;
    }
    if (key->key() == Qt::Key_Backspace)
        return false;
    // Typed characters: digits, and the label separator so that a scanner
    // typing a whole label reaches the Enter rule above; editing and
    // clipboard keys pass.
    const QString text = key->text();
    if (!text.isEmpty() && text[0].isPrint())
        return !AllDigits(QString(text).remove(kLabelSeparator));
    return false;
}

void TfmEnterSerial::Next() {
    const QString text = ui->edtSerial->text();
    if (!FHasSerial && !text.isEmpty()) {
        const QString value = SerialFromLabel(text);
        // The number is written once and for all: never a label's remains.
        if (value.isEmpty() || !AllDigits(value))
            throw EError(QString::fromUtf8("Заводской номер должен состоять только из цифр!"));
        TLedgra& d = WizardDriver();
        auto endConnection = qScopeGuard([&d] { d.Disconnect(); });
        CheckResult(d.ReadSerialNumber());
        if (!SerialNumberPresent(d.SerialNumber())) {
            d.SetSerialNumber(value);
            CheckResult(d.SetSerialNumber());
            QMessageBox::information(
                this, QApplication::applicationDisplayName(),
                QString::fromUtf8("Заводской номер успешно введен!\r\nПерезагрузите устройство"));
        } else {
            QMessageBox::critical(this, QString::fromUtf8("Внимание"),
                                  QString::fromUtf8("Заводской номер уже введен!\r\n") +
                                      d.SerialNumber());
        }
    }
    Controller().SetNextPage(Controller().X5Mode ? "TfmKKTParamsX5" : "TfmSelectClientType");
}
