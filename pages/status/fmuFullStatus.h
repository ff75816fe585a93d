#pragma once
// The page "Полное состояние": one long report of everything the register
// tells — its status, metrics, every table and every cash and operation
// register. The window stays live while it grows, so it can be interrupted.

#include "pages/status/untStatusReport.h"
#include "shell/untPages.h"

#include <memory>
#include <optional>

namespace Ui {
class TfmFullStatus;
}

class TfmFullStatus : public TPage {
    Q_OBJECT
public:
    explicit TfmFullStatus(QWidget* parent = nullptr);
    ~TfmFullStatus() override;

    // Writes the memo's lines to a UTF-8 text file, each line ended.
    void SaveToFile(const QString& fileName);

private:
    void btnFullEcrStatusClick();
    void btnSaveToFileClick();

    // Lets the window run, then ends the report on the stop flag or on a
    // non-zero code.
    void Check2(int code);
    bool CapFN();

    void AddFullStatus();
    void AddShortStatus();
    void AddDeviceMetrics();
    void AddTables();
    int AddTable(int number);
    void AddCashTotalizers();
    void AddOperationRegisters();

    std::unique_ptr<Ui::TfmFullStatus> ui;
    TReport FReport{nullptr};
    TReportLines FLines;
    bool FStopFlag = false;
    std::optional<bool> FCapFN;
};
