// Placeholder until the TCP link is built.
#include "driver/ResultCodes.h"
#include "ledgra/Transport.h"

std::unique_ptr<ITransport> MakeTcpTransport(const QString&, int, int) { return nullptr; }
