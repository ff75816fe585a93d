#pragma once
// The page "Денежные регистры": lists every cash register or the extended
// range, and brings the registers in line with the fiscal storage's counters.

#include "pages/status/untReport.h"
#include "shell/untPages.h"

#include <functional>
#include <memory>

namespace Ui {
class TfmCashTotalizer;
}

class TfmCashTotalizer : public TPage {
    Q_OBJECT
public:
    explicit TfmCashTotalizer(QWidget* parent = nullptr);
    ~TfmCashTotalizer() override;

    // Whether an extended cash register holds a count, not a sum.
    static bool IsCountRegister(int number);

private:
    void btnReadAllClick();
    void btnReadExCashRegClick();
    void btnReadFNCountersClick();
    // Builds a list with "Прервать" enabled; an abort ends it with its
    // message as the last line.
    void ReadList(const std::function<void()>& build);

    std::unique_ptr<Ui::TfmCashTotalizer> ui;
    TReport FReport{nullptr};
    bool FStopFlag = false;
};
