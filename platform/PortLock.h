#pragma once
// Advisory locks across processes: one lock file per port in the component's
// folder, held with flock() while the object lives.

#include <QString>

namespace Platform {

class FileLock {
public:
    FileLock() = default;
    // Takes the lock; with wait=false gives up at once when another holds it.
    FileLock(const QString& path, bool wait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& o) noexcept;
    FileLock& operator=(FileLock&& o) noexcept;
    bool Locked() const { return FFd >= 0; }
    void Release();

private:
    int FFd = -1;
};

// The lock of one COM port.
QString PortLockFile(int comNumber);

} // namespace Platform
