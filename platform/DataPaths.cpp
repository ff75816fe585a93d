#include "platform/DataPaths.h"

#include <QDir>
#include <QStandardPaths>

namespace Platform {
QString LedgraDataDir() {
    QString dir = qEnvironmentVariable("LEDGRA_DATA_DIR");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
              QStringLiteral("/ORVEX/Ledgra");
    QDir().mkpath(dir);
    return QDir(dir).absolutePath();
}
} // namespace Platform
