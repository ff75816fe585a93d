// The device tables of the virtual register.

#include "vregister/VRHandlers.h"

namespace VRTables {
void AddHandlers(VRHandlerTable&) {}
} // namespace VRTables
