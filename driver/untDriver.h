#pragma once
// TDriver: the driver object as the test bench's pages use it — every
// property and method of the component, plus the helpers that bundle the
// recurring sequences. And the one driver object of the process.

#include "driver/TLedgra.h"

#include <memory>

class TDriver : public TLedgra {
public:
    using TLedgra::TLedgra;

    // A non-zero code ends the calling handler by a silent abort.
    static void Check(int resultCode);
};

// The process's driver object, created on first use through the component
// factory. A creation failure raises EError "Ошибка создания объекта драйвера:
// " + the reason; the instance stays empty, so the next call tries again.
TDriver& Driver();
// A reference that keeps the object alive (a worker thread holds one while it
// runs, so FreeDriver never destroys an object still in use).
std::shared_ptr<TDriver> DriverRef();
bool DriverExists();
void FreeDriver();
