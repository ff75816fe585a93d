// The serial link: POSIX termios on the tty, not QSerialPort. A component
// object is called from whichever thread holds its lock (the window thread,
// a search probe's thread, a worker), while a QSerialPort belongs to the
// thread that made it and waits through that thread's event loop; with a
// plain descriptor and poll() every call works the same on any thread, as the
// TCP link does with its socket.
//
// Result codes of an exchange:
// * NoLink (-1): no whole answer within the timeout (nothing there, another
//   baud rate, half an answer);
// * PortUnavailable (-2): the port went away (a USB adapter pulled, the
//   daemon of a pty stopped); the link is closed and the next call reopens;
// * ProtocolError (-5): only corrupt answers came back.
#include "driver/FdIO.h"
#include "driver/LedgraProtocol.h"
#include "driver/ResultCodes.h"
#include "ledgra/FdTransport.h"
#include "platform/SerialPorts.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString ErrnoText(int e) {
    return QString::fromLocal8Bit(strerror(e));
}

int Left(const QElapsedTimer& t, int totalMs) {
    return int(qMax<qint64>(0, totalMs - t.elapsed()));
}

class SerialTransport final : public FdTransport {
public:
    SerialTransport(QString device, const SerialOptions& o)
        : FDevice(std::move(device)), FOptions(o) {
        FOptions.sendCount = qBound(1, FOptions.sendCount, 10);
        FOptions.readCount = qBound(1, FOptions.readCount, 10);
    }

    int Open() override {
        Close();
        FError.clear();
        const speed_t speed = Platform::TermiosSpeedOfCode(FOptions.baudCode);
        if (speed == B0) {
            FError = QStringLiteral("%1: BaudRate = %2")
                         .arg(Ledgra::ResultText(int(RC::BadPropertyValue)))
                         .arg(FOptions.baudCode);
            return int(RC::BadPropertyValue);
        }
        const int fd = ::open(QFile::encodeName(FDevice).constData(),
                              O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return OpenFailed(errno == EBUSY ? int(RC::PortBusy) : int(RC::PortUnavailable), errno);
        // One user of a port at a time, as the system's serial ports are:
        // a second link on the same port would read the first one's answers.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return OpenFailed(int(RC::PortBusy), EBUSY);
        }
        termios tio{};
        if (!::isatty(fd) || ::tcgetattr(fd, &tio) != 0) {
            const int e = errno;
            ::close(fd);
            return OpenFailed(int(RC::PortUnavailable), e);
        }
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 ||
            ::tcsetattr(fd, TCSANOW, &tio) != 0) {
            const int e = errno;
            ::close(fd);
            return OpenFailed(int(RC::PortUnavailable), e);
        }
        ::tcflush(fd, TCIOFLUSH);
        FFd = fd;
        return 0;
    }

    int Exchange(const QByteArray& request, int timeoutMs, QByteArray& answer) override {
        answer.clear();
        if (const int code = EnsureOpen(); code != 0)
            return code;
        // A request is sent again only while the device stays silent: no byte
        // came back, so it did not take the frame (another rate, noise).
        bool heard = false;
        for (int send = 0; send < FOptions.sendCount && !heard; ++send) {
            const int code = SendAndRead(request, timeoutMs, answer, &heard);
            if (code != int(RC::NoLink))
                return code;
        }
        FError = QStringLiteral("%1: %2: %3 за %4 мс")
                     .arg(Ledgra::ResultText(int(RC::NoLink)), FDevice,
                          heard ? QStringLiteral("ответ не получен полностью")
                                : QStringLiteral("нет ответа"))
                     .arg(timeoutMs);
        return int(RC::NoLink);
    }

private:
    int OpenFailed(int code, int err) {
        FError =
            QStringLiteral("%1: %2: %3").arg(Ledgra::ResultText(code), FDevice, ErrnoText(err));
        return code;
    }

    int Gone(int err) {
        FError = QStringLiteral("%1: %2: %3")
                     .arg(Ledgra::ResultText(int(RC::PortUnavailable)), FDevice, ErrnoText(err));
        Close();
        return int(RC::PortUnavailable);
    }

    // Waits for `events`; 1 ready, 0 timeout, -1 with errno set when the port is gone.
    int Wait(short events, const QElapsedTimer& t, int totalMs) {
        for (;;) {
            pollfd p{FFd, events, 0};
            const int r = ::poll(&p, 1, Left(t, totalMs));
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                return -1;
            if (r == 0)
                return 0;
            if (p.revents & POLLNVAL) {
                errno = EBADF;
                return -1;
            }
            // A hang-up or error is read below, where read() tells why.
            return 1;
        }
    }

    int SendAndRead(const QByteArray& request, int timeoutMs, QByteArray& answer, bool* heard) {
        QElapsedTimer t;
        t.start();
        // Bytes of an earlier, late answer belong to no request.
        ::tcflush(FFd, TCIFLUSH);
        const auto sent = FdIO::WriteAll(FFd, request, [&] { return Wait(POLLOUT, t, timeoutMs); });
        if (sent == FdIO::Written::Failed)
            return Gone(errno);
        if (sent == FdIO::Written::Stalled)
            return int(RC::NoLink); // the line does not take the bytes

        QByteArray buf;
        int badAnswers = 0;
        char chunk[4096];
        for (;;) {
            qsizetype size = 0;
            const auto scan = LedgraProtocol::ScanFrame(buf, &size);
            if (scan == LedgraProtocol::Scan::Bad) {
                // Line noise before a frame: look for the next start.
                const qsizetype next = buf.indexOf('L', 1);
                buf.remove(0, next < 0 ? buf.size() : next);
                continue;
            }
            if (scan == LedgraProtocol::Scan::Complete) {
                const QByteArray frame = buf.first(size);
                buf.remove(0, size);
                if (LedgraProtocol::DecodeAnswer(frame)) {
                    answer = frame;
                    return 0;
                }
                if (++badAnswers >= FOptions.readCount) {
                    FError = QStringLiteral("%1: %2").arg(
                        Ledgra::ResultText(int(RC::ProtocolError)), FDevice);
                    return int(RC::ProtocolError);
                }
                continue;
            }
            const int r = Wait(POLLIN, t, timeoutMs);
            if (r < 0)
                return Gone(errno);
            if (r == 0)
                return int(RC::NoLink);
            const ssize_t n = ::read(FFd, chunk, sizeof chunk);
            if (n > 0) {
                *heard = true;
                buf.append(chunk, n);
            } else if (n == 0) {
                // A readable tty with nothing to read has hung up.
                return Gone(EIO);
            } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
                return Gone(errno);
            }
        }
    }

    QString FDevice;
    SerialOptions FOptions;
};

} // namespace

std::unique_ptr<ITransport> MakeSerialTransport(const QString& device,
                                                const SerialOptions& options) {
    return std::make_unique<SerialTransport>(device, options);
}
