#pragma once
// Named result codes and their descriptions (LedgraResultCodes.def).

#include <QString>

enum class RC : int {
#define LEDGRA_RESULT(Code, Name, Text) Name = Code,
#include "driver/LedgraResultCodes.def"
};

namespace Ledgra {
// The description of a code; codes the table lacks get a generic text that
// names the code.
QString ResultText(int code);
// True when the table has a text of its own for the code.
bool HasResultText(int code);
} // namespace Ledgra
