#pragma once
// Writing a whole buffer to a non-blocking descriptor (a tty, a pty, a socket).

#include <QByteArrayView>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace FdIO {

enum class Written {
    All,     // every byte was taken
    Failed,  // a write or the wait failed; errno tells why
    Stalled, // the descriptor took no more bytes in the time waitWritable allowed
};

// Writes all of data to fd. When fd takes no more for now, waitWritable() is
// asked: > 0 write again, 0 give up (Stalled), < 0 failure with errno set.
// sendFlags >= 0 writes with send() and those flags (MSG_NOSIGNAL, so a peer
// that hung up is an error, not a signal); otherwise with write().
template <class WaitFn>
Written WriteAll(int fd, QByteArrayView data, WaitFn&& waitWritable, int sendFlags = -1) {
    qsizetype done = 0;
    while (done < data.size()) {
        const char* from = data.data() + done;
        const size_t size = size_t(data.size() - done);
        const ssize_t n =
            sendFlags >= 0 ? ::send(fd, from, size, sendFlags) : ::write(fd, from, size);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return Written::Failed;
        const int r = waitWritable();
        if (r < 0)
            return Written::Failed;
        if (r == 0)
            return Written::Stalled;
    }
    return Written::All;
}

} // namespace FdIO
