// A plug-in that offers the recording double as the driver component.
#include "platform/ComponentFactory.h"
#include "tests/support/FakeLedgra.h"

extern "C" __attribute__((visibility("default"))) ILedgra* LedgraCreateObject() {
    auto* f = new FakeLedgra;
    f->Preset(PropertyId::DriverVersion, QStringLiteral("plug-in"));
    return f;
}
