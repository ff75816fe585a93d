#include "wizard/search/fmuSelectNetType.h"

#include "common/RunHandler.h"
#include "wizard/frame/untController.h"

#include "ui_fmuSelectNetType.h"

namespace {
// The step that follows each entry of the list, in list order.
constexpr const char* kNextStep[] = {"TfmEthernetParams", "TfmWiFiParams", "TfmRNDISParams"};
constexpr int kRNDIS = 2;
} // namespace

TfmSelectNetType::TfmSelectNetType(QWidget* parent)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmSelectNetType>()) {
    ui->setupUi(this);
    ui->lbNetType->setCurrentRow(0);
    connect(ui->lbNetType, &QListWidget::itemDoubleClicked, this,
            [this] { RunHandler(this, [] { Controller().Next(); }); });
}

TfmSelectNetType::~TfmSelectNetType() = default;

void TfmSelectNetType::Next() {
    const int index = qMax(0, ui->lbNetType->currentRow());
    TController& c = Controller();
    c.NetType = index;
    c.IsRNDIS = index == kRNDIS;
    c.SetNextPage(kNextStep[index]);
}
