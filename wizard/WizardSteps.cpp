#include "wizard/WizardSteps.h"

#include "wizard/registration/fmuOFDParams.h"
#include "wizard/registration/fmuSelectWorkType.h"
#include "wizard/search/fmuCheckLAN.h"
#include "wizard/search/fmuConnectDevice.h"
#include "wizard/search/fmuEnterSerial.h"
#include "wizard/search/fmuEthernetParams.h"
#include "wizard/search/fmuOFDExchangeState.h"
#include "wizard/search/fmuRNDISParams.h"
#include "wizard/search/fmuSearchDevice.h"
#include "wizard/search/fmuSelectNetType.h"
#include "wizard/search/fmuSelectPortType.h"
#include "wizard/search/fmuTCPParams.h"
#include "wizard/search/fmuWiFiParams.h"

// One row per step class; a class whose step is not built yet has no factory
// and is left out, so a step naming it leads back to the first step.
namespace {
template <class T> TParamPage* Make() {
    return new T;
}

struct TStepRow {
    const char* className;
    TParamPage* (*create)();
};

const TStepRow kSteps[] = {
    {"TfmConnectDevice", Make<TfmConnectDevice>},
    {"TfmSearchDevice", Make<TfmSearchDevice>},
    {"TfmSelectWorkType", Make<TfmSelectWorkType>},
    {"TfmSelectClientType", nullptr},
    {"TfmEnterSerial", Make<TfmEnterSerial>},
    {"TfmOFDParams", Make<TfmOFDParams>},
    {"TfmUserParams", nullptr},
    {"TfmWorkMode", nullptr},
    {"TfmINN", nullptr},
    {"TfmFiscalizationBefore", nullptr},
    {"TfmFiscalizationInfo", nullptr},
    {"TfmSelectNetType", Make<TfmSelectNetType>},
    {"TfmEthernetParams", Make<TfmEthernetParams>},
    {"TfmRNDISParams", Make<TfmRNDISParams>},
    {"TfmWiFiParams", Make<TfmWiFiParams>},
    {"TfmCheckRNDIS", Make<TfmCheckRNDIS>},
    {"TfmOFDExchangeState", Make<TfmOFDExchangeState>},
    {"TfmFinalMessage", nullptr},
    {"TfmSelectPortType", Make<TfmSelectPortType>},
    {"TfmTCPParams", Make<TfmTCPParams>},
    {"TfmCheckEthernet", Make<TfmCheckEthernet>},
    {"TfmBeforeCloseFN", nullptr},
    {"TfmFFD", nullptr},
    {"TfmCloseFN", nullptr},
    {"TfmKKTParamsX5", nullptr},
    {"TfmOpenRegParamsX5", nullptr},
    {"TFmCheckStatusBeforeCloseFN", nullptr},
    {"TfmRegParamsX5", nullptr},
    {"TfmCalculationStateReport", nullptr},
    {"TFmCheckStatusBeforeRegistration", nullptr},
    {"TFmCheckStatusBeforeReRegistration", nullptr},
};
} // namespace

std::vector<TStepDef> WizardSteps() {
    std::vector<TStepDef> steps;
    for (const TStepRow& row : kSteps)
        if (row.create)
            steps.push_back({row.className, row.create});
    return steps;
}
