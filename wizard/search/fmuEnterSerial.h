#pragma once
// The step "Введите заводской номер": writes the factory number of a register
// that has none (it can be written once).

#include "wizard/frame/ParamPage.h"

#include <memory>

namespace Ui {
class TfmEnterSerial;
}

// A factory number made only of zeros, or an empty one, means the register
// has none.
bool SerialNumberPresent(const QString& serial);
// The number in a scanned label "a;b;number;...": its third part when the
// text has more than two parts, else the text itself.
QString SerialFromLabel(const QString& text);

class TfmEnterSerial : public TParamPage {
    Q_OBJECT
public:
    explicit TfmEnterSerial(QWidget* parent = nullptr);
    ~TfmEnterSerial() override;

    void OnShow() override;
    void Next() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Reads the register's factory number; true when it has one.
    bool ReadSerialPresent();

    std::unique_ptr<Ui::TfmEnterSerial> ui;
    bool FHasSerial = false;
};
