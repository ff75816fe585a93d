#pragma once
// The dialog "Коды причин изменения сведений о ККТ": the reasons for a change
// of the register's data (tag 1205) as check boxes, edited as a bit mask.
// One instance for the whole program, made at start-up.

#include "common/untBaseForm.h"

#include <QList>
#include <QString>
#include <memory>
#include <optional>
#include <span>

class QCheckBox;
class QEventLoop;

namespace Ui {
class TfmReasonCodes;
}

// A reason and its bit in the mask (bits 0 to 21 and 31).
struct TReasonCode {
    int bit;
    const char* text; // untranslated
};
std::span<const TReasonCode> RegistrationReasonCodes();

// The mask as the operator reads it: unsigned decimal (bit 31 is a reason, not
// a sign).
QString ReasonCodesToStr(qint64 value);

class TfmReasonCodes : public TBaseForm {
    Q_OBJECT
public:
    explicit TfmReasonCodes(QWidget* parent = nullptr);
    ~TfmReasonCodes() override;

    // Bit n checks the box tagged n (n = 0..31).
    void SetMask(quint64 mask);
    // Bit n set for every checked box tagged n.
    quint32 Mask() const;
    QList<QCheckBox*> Boxes() const { return FBoxes; }

    // Shows the dialog modally; true when closed by "OK".
    bool ShowModal();
    // The "..." flow: loads the boxes from a decimal text (a 64-bit integer
    // conversion, which raises the conversion error), shows the dialog and on
    // "OK" gives the decimal text of the new mask; nothing otherwise.
    std::optional<QString> Execute(const QString& maskText);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TfmReasonCodes> ui;
    QList<QCheckBox*> FBoxes;
    QEventLoop* FLoop = nullptr;
    bool FAccepted = false;
};

// Start-up hook of the program: makes the one instance, owned by the main
// window.
void CreateReasonCodesDialog(QWidget* mainWindow);
// The one instance; made without an owner when start-up has not made it.
TfmReasonCodes* ReasonCodesDialog();
