#pragma once
// The page "Операционные регистры": lists every operation register, joining
// the 32-bit counters the register keeps as pairs of 16-bit registers.

#include "pages/status/untReport.h"
#include "shell/untPages.h"

#include <memory>
#include <optional>

namespace Ui {
class TfmWorkTotalizer;
}

class TfmWorkTotalizer : public TPage {
    Q_OBJECT
public:
    explicit TfmWorkTotalizer(QWidget* parent = nullptr);
    ~TfmWorkTotalizer() override;

private:
    void btnReadAllClick();
    void AddAllRegisters();
    bool CapFN();

    std::unique_ptr<Ui::TfmWorkTotalizer> ui;
    TReport FReport{nullptr};
    bool FStopFlag = false;
    std::optional<bool> FCapFN;
};
