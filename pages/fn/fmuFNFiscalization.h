#pragma once
// The page "Фискализация ФН": registration and re-registration of the
// register through its fiscal storage, and the read-back of a registration
// into the page's controls.

#include "pages/fn/untFNReport.h"
#include "shell/untPages.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;

namespace Ui {
class TfmFNFiscalization;
}

class TfmFNFiscalization : public TPage {
    Q_OBJECT
public:
    explicit TfmFNFiscalization(QWidget* parent = nullptr);
    ~TfmFNFiscalization() override;

    // Asks an OK/Cancel question (caption, text); a message box by default.
    std::function<bool(const QString& caption, const QString& text)> Confirm;
    // Edits the tag 1205 mask given as decimal text; the new text on "OK",
    // nothing otherwise. The program's reason-code dialog by default.
    std::function<std::optional<QString>(const QString& maskText)> EditReasonCodes;

    // "%d"-less name of a re-registration reason code.
    static QString ReasonCodeToStr(int code);
    // The hint of the time-zone list for zone 1..11, or the prompt for none.
    static QString TimeZoneHint(int zone);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void btnFNBeginRegistrationReportClick();
    void Register(bool reregistration);
    void ReadBack(bool byNumber);
    void btnFNGetDocumentAsStringClick();
    void btnFNRequestRegistrationTLVClick();
    void btnReasonCodesClick();

    // False when the operator refuses to go on without ОСУ support.
    bool ConfirmOSU();
    void CheckINN();
    void ApplyFormRules();
    void UpdateTaxType();
    void UpdateWorkModes();
    void SetTaxSystem(int value);
    void SetWorkMode(int value);
    void SetWorkModeEx(int value);
    void WidenReportTypeList();

    std::unique_ptr<Ui::TfmFNFiscalization> ui;
    TFNLines FLines;
    // Tax-system boxes with their bits; work-mode and extended boxes by bit.
    QList<std::pair<QCheckBox*, int>> FTaxBoxes;
    QList<QCheckBox*> FWorkModeBoxes;
    QList<QCheckBox*> FWorkModeExBoxes;
    bool FListWidened = false;
};
