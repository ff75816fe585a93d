#include "wizard/registration/fmuSelectWorkType.h"

#include "common/RunHandler.h"
#include "platform/LedgraErrors.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"
#include "wizard/registration/fmuOFDParams.h"
#include "wizard/search/fmuConnectDevice.h"

#include "ui_fmuSelectWorkType.h"

#include <QScopeGuard>

namespace {

enum class TFlag { Keep, Off, On };

// One job: its text, what it sets and the step that follows (the X5 variant
// when it differs).
struct TJob {
    const char* text;
    TFlag firstTime;
    TFlag newFN;
    bool ofdSetting;
    const char* next;
    const char* nextX5;
};

const TJob kJobs[] = {
    {"Регистрация новой ККТ", TFlag::On, TFlag::Keep, false, "TFmCheckStatusBeforeRegistration",
     nullptr},
    {"Перерегистрация ККТ без замены ФН", TFlag::Off, TFlag::Off, false,
     "TFmCheckStatusBeforeReRegistration", "TfmKKTParamsX5"},
    {"Перерегистрация ККТ с заменой ФН", TFlag::Off, TFlag::On, false,
     "TFmCheckStatusBeforeReRegistration", "TfmKKTParamsX5"},
    {"Отчет о текущем состоянии расчетов", TFlag::Keep, TFlag::Keep, false,
     "TfmCalculationStateReport", nullptr},
    {"Закрытие архива ФН", TFlag::Keep, TFlag::Keep, false, "TFmCheckStatusBeforeCloseFN", nullptr},
    // Offered only when the register has an operator-connection table.
    {"Настройка связи с ОФД", TFlag::Keep, TFlag::Keep, true, "TfmOFDParams", nullptr},
};
constexpr int kAlwaysOffered = 5;
constexpr int kOFDTableParam = 73;

void Apply(TFlag flag, bool& target) {
    if (flag != TFlag::Keep)
        target = flag == TFlag::On;
}

} // namespace

TfmSelectWorkType::TfmSelectWorkType(QWidget* parent)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmSelectWorkType>()) {
    ui->setupUi(this);
    connect(ui->lbWorkType, &QListWidget::itemDoubleClicked, this,
            [this] { RunHandler(this, [] { Controller().Next(); }); });
}

TfmSelectWorkType::~TfmSelectWorkType() = default;

void TfmSelectWorkType::OnShow() {
    TController& c = Controller();
    // Back from the job list always leads to the start.
    PrevPage = c.FindPage<TfmConnectDevice>();
    c.ClearRegParams();
    ui->lblKKT->setText(c.KKTName + QString::fromUtf8(", зав. номер ") + c.KKTSN);

    ui->lbWorkType->clear();
    for (int i = 0; i < kAlwaysOffered; ++i)
        ui->lbWorkType->addItem(QString::fromUtf8(kJobs[i].text));
    ui->lbWorkType->setCurrentRow(0);
    ui->lbWorkType->setFocus();

    TLedgra& d = WizardDriver();
    auto endConnection = qScopeGuard([&d] { d.Disconnect(); });
    d.SetModelParamNumber(kOFDTableParam);
    CheckResult(d.ReadModelParamValue());
    c.RegParams.OFDEnabled = false;
    if (d.ModelParamValue().toInt() > 0) {
        ui->lbWorkType->addItem(QString::fromUtf8(kJobs[kAlwaysOffered].text));
        c.RegParams.OFDEnabled = true;
    }
}

void TfmSelectWorkType::Next() {
    const int row = ui->lbWorkType->currentRow();
    if (row < 0 || row >= ui->lbWorkType->count())
        throw EAbort();
    TController& c = Controller();
    const TJob& job = kJobs[row];
    c.IsOFDSettingMode = job.ofdSetting;
    Apply(job.firstTime, c.RegParams.FirstTime);
    Apply(job.newFN, c.RegParams.NewFN);
    c.SetNextPage(c.X5Mode && job.nextX5 ? job.nextX5 : job.next);
}
