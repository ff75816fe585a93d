#pragma once
#include <QString>

namespace Platform {
// The component's folder: $LEDGRA_DATA_DIR, else the user's data folder +
// "ORVEX/Ledgra". Created when missing. It holds ledgra.ini, ports.ini,
// locale.ini, the port locks and the virtual registers' databases.
QString LedgraDataDir();
} // namespace Platform
