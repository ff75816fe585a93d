#pragma once
// The page "Состояние ФН": queries of the fiscal storage and the steps of
// its life cycle, each answer written as text lines into a read-only memo.

#include "driver/TLedgra.h"
#include "pages/fn/untFNReport.h"
#include "shell/untPages.h"

#include <QString>
#include <functional>
#include <memory>

namespace Ui {
class TfmFN;
}

class TfmFN : public TPage {
    Q_OBJECT
public:
    explicit TfmFN(QWidget* parent = nullptr);
    ~TfmFN() override;

    // Asks a yes/no question (caption, text); a message box by default.
    std::function<bool(const QString& caption, const QString& text)> Confirm;
    // The file chosen in the save dialog; empty when cancelled.
    std::function<QString()> SaveFileName;

    // Writes the memo's lines to the file as UTF-8 text.
    void SaveToFile(const QString& fileName);

    // The key-update state after a shift opening, from UpdateKeysResultCode
    // and UpdateKeysStatus; it may span two lines.
    static QString UpdateKeysText(int resultCode, int status);

private:
    void btnFNGetStatusClick();
    void btnFNGetSerialClick();
    void btnFNGetExpirationTimeClick();
    void btnFNGetVersionClick();
    void btnFNGetImplementationClick();
    void btnFNGetDocumentSizeClick();
    void btnFNGetOSUSupportStatusClick();
    void btnFNGetFreeMemoryResourceClick();
    void btnOpenSessionClick();
    void btnFNBuildCalculationStateReportClick();
    void btnFNResetStateClick();
    void btnFNGetCurrentSessionParamsClick();
    void btnFNCloseFiscalModeClick();
    void btnFNFindDocumentClick();
    void btnFNReadFiscalBarcodeClick();
    void btnUpdateKeysClick();
    void btnSaveClick();

    // A button that clears the memo, calls one method and checks its result.
    void ConnectCall(QAbstractButton* button, int (TLedgra::*method)());
    void AddFoundDocument();

    std::unique_ptr<Ui::TfmFN> ui;
    TFNLines FLines;
};
