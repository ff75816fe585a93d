// The virtual register's totals: cash and operation registers, wares.

#include "vregister/VRHandlers.h"

namespace VRTotals {
void AddHandlers(VRHandlerTable&) {}
} // namespace VRTotals
