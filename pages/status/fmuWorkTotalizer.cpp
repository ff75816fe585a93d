#include "pages/status/fmuWorkTotalizer.h"

#include "driver/untDriver.h"
#include "pages/status/untStatusReport.h"
#include "platform/Translation.h"
#include "ui_fmuWorkTotalizer.h"

#include <QCoreApplication>
#include <span>

using namespace StatusReport;

namespace {

constexpr int kNameWidth = 50;
constexpr int kRegisterCount = 256;
// The answer past the last operation register: the list simply ends.
constexpr int kNoMoreRegisters = 51;

// A 32-bit counter kept in two 16-bit operation registers, low half first.
struct RegisterPair {
    int low;
    int high;
};
// With a fiscal storage, and without one.
constexpr RegisterPair kPairsFN[] = {{185, 186}, {196, 197}, {198, 199}};
constexpr RegisterPair kPairsNoFN[] = {{185, 186}, {195, 196}, {197, 198}};
constexpr size_t kPairCount = std::size(kPairsFN);
static_assert(std::size(kPairsNoFN) == kPairCount);

} // namespace

TfmWorkTotalizer::TfmWorkTotalizer(QWidget* parent)
    : TPage(parent), ui(std::make_unique<Ui::TfmWorkTotalizer>()) {
    ui->setupUi(this);
    FReport = TReport(ui->Memo);
    SetReportFont(ui->Memo);

    connect(ui->btnReadAll, &QPushButton::clicked, this, [this] {
        RunProtected([this] { btnReadAllClick(); });
        // The page protocol switched every button on; "Прервать" is only for
        // a list being read.
        ui->btnStop->setEnabled(false);
    });
    // Not through the page protocol: that would switch "Прочитать все" on
    // while the list is being read.
    connect(ui->btnStop, &QPushButton::clicked, this, [this] { FStopFlag = true; });
}

TfmWorkTotalizer::~TfmWorkTotalizer() = default;

bool TfmWorkTotalizer::CapFN() {
    // The answer cannot change while one list is read.
    if (!FCapFN)
        FCapFN = Driver().CapFN();
    return *FCapFN;
}

void TfmWorkTotalizer::btnReadAllClick() {
    ui->btnStop->setEnabled(true);
    FStopFlag = false;
    FCapFN.reset();
    try {
        FReport.Clear();
        AddListCaption(FReport, Tr(" ОПЕРАЦИОННЫЕ РЕГИСТРЫ:"));
        AddAllRegisters();
        ui->Memo->moveCursor(QTextCursor::Start);
    } catch (const EAbort& e) {
        FReport.AddText(AbortText(e));
    }
}

void TfmWorkTotalizer::AddAllRegisters() {
    TDriver& d = Driver();
    quint32 keptLow[kPairCount] = {};
    for (int number = 0; number < kRegisterCount; ++number) {
        if (FStopFlag)
            RaiseInterrupted();
        d.SetRegisterNumber(number);
        if (const int code = d.GetOperationReg()) {
            if (code == kNoMoreRegisters)
                return;
            RaiseDeviceError(d);
        }
        QCoreApplication::processEvents();
        const std::span<const RegisterPair> pairs = CapFN() ? kPairsFN : kPairsNoFN;

        const int content = d.ContentsOfOperationRegister();
        const QString name = d.NameOperationReg();
        QString line = RegisterLine(number, name, kNameWidth, QString::number(content));
        for (size_t i = 0; i < kPairCount; ++i) {
            if (number == pairs[i].low) {
                keptLow[i] = quint32(content) & 0xFFFF;
            } else if (number == pairs[i].high) {
                // Up to 32 bits: no sign from a high half of 8000h or more.
                const quint64 total = quint64(quint32(content) & 0xFFFF) * 65536 + keptLow[i];
                line += QStringLiteral(" (Total: %1)").arg(total);
            }
        }
        FReport.AddText(line);
    }
}
