#include "shell/PageTree.h"

#include "common/fmuReasonCodes.h"
#include "pages/fn/fmuFN.h"
#include "pages/fn/fmuFNFiscalization.h"
#include "pages/fn/fmuRNM.h"
#include "pages/status/fmuCashTotalizer.h"
#include "pages/status/fmuConnection.h"
#include "pages/status/fmuConnectionTest.h"
#include "pages/status/fmuDeviceStatus.h"
#include "pages/status/fmuFindDevice.h"
#include "pages/status/fmuFont.h"
#include "pages/status/fmuFullStatus.h"
#include "pages/status/fmuTable.h"
#include "pages/status/fmuTotalizers.h"
#include "pages/status/fmuWares.h"
#include "pages/status/fmuWorkTotalizer.h"
#include "platform/Translation.h"

#include <vector>

namespace {
constexpr TGroupDef kGroups[] = {
    {TrNoop("Состояние"), true},
    {TrNoop("ФН сервис"), true},
    {TrNoop("ФН чеки (ФФД 1.05-1.2)"), true},
    {TrNoop("Чеки (ФФД 1.0)"), true},
    {TrNoop("Отчеты"), true},
    {TrNoop("Печать текста"), true},
    {TrNoop("Печать графики"), true},
    {TrNoop("Параметры устройства"), true},
    {TrNoop("Сервис"), true},
    {TrNoop("БД чеков"), true},
    {TrNoop("Прочее"), true},
    {"Quenta", false},
};

// One row a tab: its group and its page class.
constexpr TTabDef kTabs[] = {
    {1, CreatePage<TfmDeviceStatus>},
    {1, CreatePage<TfmFullStatus>},
    {2, CreatePage<TfmFN>},
    {2, CreatePage<TfmFNFiscalization>},
    {2, CreatePage<TfmRNM>},
    {8, CreatePage<TfmTable>},
    {8, CreatePage<TfmTotalizers>},
    {8, CreatePage<TfmCashTotalizer>},
    {8, CreatePage<TfmWorkTotalizer>},
    {8, CreatePage<TfmFont>},
    {8, CreatePage<TfmWares>},
    {11, CreatePage<TfmConnectionTest>},
    {11, CreatePage<TfmFindDevice>},
    {11, CreatePage<TfmConnection>},
};
} // namespace

const TPageTree& PageTree() {
    static const TPageTree tree{kGroups, kTabs};
    return tree;
}

std::span<const TStartupHook> StartupHooks() {
    // TfmReasonCodes, TfmExPayments2, TfmExPayments, in this order.
    static const std::vector<TStartupHook> hooks{CreateReasonCodesDialog};
    return hooks;
}
