#include "pages/status/fmuCashTotalizer.h"

#include "driver/untDriver.h"
#include "pages/status/untStatusReport.h"
#include "platform/Translation.h"
#include "ui_fmuCashTotalizer.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>

using namespace StatusReport;

namespace {

constexpr int kNameWidth = 56;
constexpr int kCashRegisterCount = 256;
constexpr int kFirstExRegister = 4096;
constexpr int kLastExRegister = 4490;

// The extended cash registers that count instead of summing.
constexpr std::array<int, 27> kCountRegisters = {
    4228, 4229, 4230, 4243, 4256, 4269, 4282, 4283, 4285, 4287, 4289, 4291, 4292, 4293,
    4306, 4319, 4332, 4345, 4346, 4348, 4350, 4352, 4354, 4355, 4357, 4359, 4361};
static_assert(std::is_sorted(kCountRegisters.begin(), kCountRegisters.end()));

// A count kept in a money register, rounded to a whole number (halves away
// from zero).
qint64 RoundToCount(Currency value) {
    return (value.raw + (value.raw < 0 ? -5000 : 5000)) / 10000;
}

} // namespace

TfmCashTotalizer::TfmCashTotalizer(QWidget* parent)
    : TPage(parent), ui(std::make_unique<Ui::TfmCashTotalizer>()) {
    ui->setupUi(this);
    FReport = TReport(ui->Memo);
    SetReportFont(ui->Memo);

    const std::pair<QPushButton*, void (TfmCashTotalizer::*)()> buttons[] = {
        {ui->btnReadAll, &TfmCashTotalizer::btnReadAllClick},
        {ui->btnReadExCashReg, &TfmCashTotalizer::btnReadExCashRegClick},
        {ui->btnReadFNCounters, &TfmCashTotalizer::btnReadFNCountersClick},
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, [this, handler] {
            RunProtected([this, handler] { (this->*handler)(); });
            // The page protocol switched every button on; "Прервать" is only
            // for a list being read.
            ui->btnStop->setEnabled(false);
        });
    // Not through the page protocol: that would switch the list buttons on
    // while a list is being read.
    connect(ui->btnStop, &QPushButton::clicked, this, [this] { FStopFlag = true; });
}

TfmCashTotalizer::~TfmCashTotalizer() = default;

bool TfmCashTotalizer::IsCountRegister(int number) {
    return std::binary_search(kCountRegisters.begin(), kCountRegisters.end(), number);
}

void TfmCashTotalizer::ReadList(const std::function<void()>& build) {
    ui->btnStop->setEnabled(true);
    FStopFlag = false;
    try {
        build();
    } catch (const EAbort& e) {
        FReport.AddText(AbortText(e));
    }
}

void TfmCashTotalizer::btnReadAllClick() {
    ReadList([this] {
        TDriver& d = Driver();
        FReport.Clear();
        AddListCaption(FReport, Tr(" ДЕНЕЖНЫЕ РЕГИСТРЫ:"));
        for (int number = 0; number < kCashRegisterCount; ++number) {
            if (FStopFlag)
                RaiseInterrupted();
            d.SetRegisterNumber(number);
            if (d.GetCashReg() != 0)
                RaiseDeviceError(d);
            FReport.AddText(RegisterLine(number, d.NameCashReg(), kNameWidth,
                                         d.AmountToStr(d.ContentsOfCashRegister())));
            QCoreApplication::processEvents();
        }
        ui->Memo->moveCursor(QTextCursor::Start);
    });
}

void TfmCashTotalizer::btnReadExCashRegClick() {
    ReadList([this] {
        TDriver& d = Driver();
        FReport.Clear();
        AddListCaption(FReport, Tr(" ДЕНЕЖНЫЕ РЕГИСТРЫ (К):"));
        for (int number = kFirstExRegister; number <= kLastExRegister; ++number) {
            if (FStopFlag)
                RaiseInterrupted();
            d.SetRegisterNumber(number);
            if (d.GetCashRegEx() != 0)
                RaiseDeviceError(d);
            const Currency content = d.ContentsOfCashRegister();
            const QString value = IsCountRegister(number) ? QString::number(RoundToCount(content))
                                                          : d.AmountToStr(content);
            FReport.AddText(RegisterLine(number, d.NameCashRegEx(), kNameWidth, value));
            QCoreApplication::processEvents();
        }
        ui->Memo->moveCursor(QTextCursor::Start);
    });
}

void TfmCashTotalizer::btnReadFNCountersClick() {
    Check(Driver().FNCountersSync());
}
