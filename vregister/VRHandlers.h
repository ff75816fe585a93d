#pragma once
// The modules of the virtual register; each adds the handlers of its methods.
// A device method without a handler answers VirtualNotSupported.

#include "vregister/VirtualRegister.h"

namespace VRStatus {
void AddHandlers(VRHandlerTable& t); // connection, status, metrics, serial number
}
namespace VRTables {
void AddHandlers(VRHandlerTable& t); // device tables
}
namespace VRModel {
void AddHandlers(VRHandlerTable& t); // model parameters, error descriptions
}
namespace VRPrinter {
void AddHandlers(VRHandlerTable& t); // the printer, its paper tape and fonts
}
namespace VRTotals {
void AddHandlers(VRHandlerTable& t); // cash and operation registers, wares
}
namespace VRFiscal {
void AddHandlers(VRHandlerTable& t); // the fiscal storage: life cycle, registration, documents
}
