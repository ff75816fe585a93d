// The virtual register's printer: its paper tape and fonts.

#include "vregister/VRHandlers.h"

namespace VRPrinter {
void AddHandlers(VRHandlerTable&) {}
} // namespace VRPrinter
