#include "platform/PortLock.h"

#include "platform/DataPaths.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace Platform {

FileLock::FileLock(const QString& path, bool wait) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return;
    }
    FFd = fd;
}

FileLock::~FileLock() {
    Release();
}

FileLock::FileLock(FileLock&& o) noexcept : FFd(std::exchange(o.FFd, -1)) {}

FileLock& FileLock::operator=(FileLock&& o) noexcept {
    if (this != &o) {
        Release();
        FFd = std::exchange(o.FFd, -1);
    }
    return *this;
}

void FileLock::Release() {
    if (FFd >= 0) {
        ::flock(FFd, LOCK_UN);
        ::close(FFd);
        FFd = -1;
    }
}

QString PortLockFile(int comNumber) {
    const QString dir = LedgraDataDir() + QStringLiteral("/locks");
    QDir().mkpath(dir);
    return dir + QStringLiteral("/COM%1.lock").arg(comNumber);
}

} // namespace Platform
