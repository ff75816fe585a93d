// Model parameters, device metrics and error descriptions of the virtual register.

#include "driver/ResultCodes.h"
#include "vregister/VRHandlers.h"
#include "vregister/VRModelProfile.h"

namespace {
using P = PropertyId;

int GetDeviceMetrics(VRContext& c) {
    const VRProfileInfo& p = VRProfile::Current(c.Store);
    c.Out(P::UMajorType, p.majorType);
    c.Out(P::UMinorType, p.minorType);
    c.Out(P::UMajorProtocolVersion, p.protocolMajor);
    c.Out(P::UMinorProtocolVersion, p.protocolMinor);
    c.Out(P::UModel, p.modelId);
    c.Out(P::UCodePage, 0);
    c.Out(P::UCodePageText, QStringLiteral("Русский"));
    c.Out(P::UDescription, p.description);
    c.Out(P::ModelParamCount, 0);
    return 0;
}
} // namespace

namespace VRModel {
void AddHandlers(VRHandlerTable& t) { t[MethodId::GetDeviceMetrics] = GetDeviceMetrics; }
} // namespace VRModel
