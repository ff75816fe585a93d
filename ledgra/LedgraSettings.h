#pragma once
// The component's own settings (ledgra.ini in its folder): loaded by every new
// object, written only by the settings dialog (OK) and SaveParams, so values a
// program sets on its object never change another program's connection.

#include "driver/ILedgra.h"

namespace LedgraSettings {

// ConnectionType of the embedded virtual register (above the system's types).
inline constexpr int kEmbedded = 100;
inline constexpr int kSerial = 0;
inline constexpr int kTcp = 6;

// The properties kept in ledgra.ini.
const std::vector<PropertyId>& Persistent();
QString File();
// Defaults of a fresh install, then what ledgra.ini holds.
void Load(ILedgra& object);
// Writes the persistent properties; false when the file cannot be written.
bool Save(ILedgra& object);

} // namespace LedgraSettings
