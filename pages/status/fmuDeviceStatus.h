#pragma once
// The page "Запросы": the register's status reports as aligned text lines in
// a read-only memo.

#include "pages/status/untStatusReport.h"
#include "shell/untPages.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class TfmDeviceStatus;
}

class TfmDeviceStatus : public TPage {
    Q_OBJECT
public:
    explicit TfmDeviceStatus(QWidget* parent = nullptr);
    ~TfmDeviceStatus() override;

    // Report line builders. Every builder line starts with a blank; labels are
    // padded to their column (a longer label pushes the colon further).
    void AddMemoLine(const QString& text);
    void AddLineWidth(const QString& label, const QString& value, int width);
    void AddLine(const QString& label, const QString& value);
    void AddBool(const QString& label, bool flag);
    void AddSeparator();
    // A line as given, without the leading blank.
    void AddText(const QString& line);

private:
    void btnEcrStatusClick();
    void btnShortEcrStatusClick();
    void btnDeviceMetricsClick();
    void btnResetPrinterClick();
    void btnGetModelParamsClick();
    void btnDriverVersionClick();
    void btnTablesClick();
    void btnErrorListClick();
    void btnSerialClick();

    // Clears the memo and builds a report with the memo's updates held; the
    // updates come back and the caret goes to the start also on error.
    void Report(const std::function<void()>& build);
    void ClearMemo();
    void AddHeader(const QString& title);
    void AddDeviceFlags();
    void AddSKNOStatus(int status);
    // The register's fiscal-storage capability, asked once per report.
    bool CapFN();

    std::unique_ptr<Ui::TfmDeviceStatus> ui;
    TReport FReport{nullptr};
    TReportLines FLines;
    std::optional<bool> FCapFN;
};
