// The TCP link: plain POSIX sockets, so the object may be used from whichever
// thread calls it (one at a time), with no event loop behind it.
#include "driver/FdIO.h"
#include "driver/LedgraProtocol.h"
#include "driver/ResultCodes.h"
#include "ledgra/FdTransport.h"

#include <QElapsedTimer>

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kDefaultConnectTimeoutMs = 5000;

QString ErrnoText(int e) {
    return QString::fromLocal8Bit(strerror(e));
}

// Milliseconds left until a deadline measured by t; never negative.
int Left(const QElapsedTimer& t, int totalMs) {
    return int(qMax<qint64>(0, totalMs - t.elapsed()));
}

// poll() restarted after signals, with the time already spent taken off.
int PollFor(int fd, short events, const QElapsedTimer& t, int totalMs) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, Left(t, totalMs));
        if (r < 0 && errno == EINTR)
            continue;
        if (r > 0 && (p.revents & (POLLERR | POLLNVAL)) && !(p.revents & events))
            return -1;
        return r;
    }
}

class TcpTransport final : public FdTransport {
public:
    TcpTransport(QString host, int port, int connectTimeoutMs)
        : FHost(std::move(host)), FPort(port),
          FConnectTimeout(connectTimeoutMs > 0 ? connectTimeoutMs : kDefaultConnectTimeoutMs) {}

    int Open() override {
        Close();
        FError.clear();
        if (FHost.isEmpty() || FPort <= 0 || FPort > 65535) {
            FError = QStringLiteral("%1: %2:%3")
                         .arg(Ledgra::ResultText(int(RC::HostNotFound)), FHost)
                         .arg(FPort);
            return int(RC::HostNotFound);
        }
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_ADDRCONFIG;
        addrinfo* list = nullptr;
        const QByteArray service = QByteArray::number(FPort);
        const int gai =
            ::getaddrinfo(FHost.toUtf8().constData(), service.constData(), &hints, &list);
        if (gai != 0) {
            FError = QStringLiteral("%1: %2: %3")
                         .arg(Ledgra::ResultText(int(RC::HostNotFound)), FHost,
                              QString::fromLocal8Bit(gai_strerror(gai)));
            return int(RC::HostNotFound);
        }
        // One connect timeout for the whole name, however many addresses it has.
        QElapsedTimer t;
        t.start();
        int lastErrno = ETIMEDOUT;
        for (addrinfo* a = list; a && FFd < 0; a = a->ai_next) {
            const int left = Left(t, FConnectTimeout);
            if (left <= 0)
                break;
            lastErrno = ConnectOne(a, t);
        }
        ::freeaddrinfo(list);
        if (FFd < 0) {
            FError = QStringLiteral("Нет связи: %1:%2: %3")
                         .arg(FHost)
                         .arg(FPort)
                         .arg(ErrnoText(lastErrno));
            return int(RC::NoLink);
        }
        return 0;
    }

    int Exchange(const QByteArray& request, int timeoutMs, QByteArray& answer) override {
        answer.clear();
        // A peer that hung up while we were idle (a restarted daemon) costs no
        // call: nothing was sent yet, so one reconnect is safe.
        if (FFd >= 0 && PeerGone())
            Close();
        if (const int code = EnsureOpen(); code != 0)
            return code;
        QElapsedTimer t;
        t.start();
        const int sent = SendAll(request, t, timeoutMs);
        if (sent != 0)
            return Fail(sent);

        QByteArray buf;
        char chunk[16384];
        for (;;) {
            qsizetype size = 0;
            const auto scan = LedgraProtocol::ScanFrame(buf, &size);
            if (scan == LedgraProtocol::Scan::Bad) {
                FError = QStringLiteral("%1: %2:%3")
                             .arg(Ledgra::ResultText(int(RC::ProtocolError)), FHost)
                             .arg(FPort);
                return Fail(int(RC::ProtocolError));
            }
            if (scan == LedgraProtocol::Scan::Complete) {
                // Bytes past the answer belong to no request: the stream is out of step.
                if (size != buf.size()) {
                    FError = Ledgra::ResultText(int(RC::ProtocolError));
                    return Fail(int(RC::ProtocolError));
                }
                answer = std::move(buf);
                return 0;
            }
            const int r = PollFor(FFd, POLLIN, t, timeoutMs);
            if (r <= 0)
                return Fail(int(RC::NoLink), r == 0 ? ETIMEDOUT : errno);
            const ssize_t n = ::recv(FFd, chunk, sizeof chunk, 0);
            if (n > 0) {
                buf.append(chunk, n);
            } else if (n == 0) {
                return Fail(int(RC::NoLink), ECONNRESET);
            } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
                return Fail(int(RC::NoLink), errno);
            }
        }
    }

private:
    // Tries one address; leaves FFd open on success. Returns the errno of a failure.
    int ConnectOne(const addrinfo* a, const QElapsedTimer& t) {
        const int fd =
            ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            return errno;
        int err = 0;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            if (errno != EINPROGRESS) {
                err = errno;
            } else {
                const int r = PollFor(fd, POLLOUT, t, FConnectTimeout);
                if (r == 0) {
                    err = ETIMEDOUT;
                } else {
                    socklen_t len = sizeof err;
                    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
                        err = errno;
                    else if (r < 0 && err == 0)
                        err = ECONNREFUSED;
                }
            }
        }
        if (err != 0) {
            ::close(fd);
            return err;
        }
        // Frames are small and answered one by one: no Nagle delay.
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        FFd = fd;
        return 0;
    }

    bool PeerGone() const {
        pollfd p{FFd, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0)
            return false;
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL))
            return true;
        char c;
        // Unasked bytes mean the stream is out of step: start afresh as well.
        return ::recv(FFd, &c, 1, MSG_PEEK | MSG_DONTWAIT) >= 0;
    }

    int SendAll(const QByteArray& data, const QElapsedTimer& t, int timeoutMs) {
        const auto sent = FdIO::WriteAll(
            FFd, data, [&] { return PollFor(FFd, POLLOUT, t, timeoutMs); }, MSG_NOSIGNAL);
        if (sent == FdIO::Written::All)
            return 0;
        FErrno = sent == FdIO::Written::Stalled ? ETIMEDOUT : errno;
        return int(RC::NoLink);
    }

    int Fail(int code, int err = 0) {
        if (code == int(RC::NoLink)) {
            if (err == 0)
                err = FErrno;
            FError =
                QStringLiteral("Нет связи: %1:%2: %3").arg(FHost).arg(FPort).arg(ErrnoText(err));
        }
        Close();
        return code;
    }

    QString FHost;
    int FPort;
    int FConnectTimeout;
    int FErrno = 0;
};

} // namespace

std::unique_ptr<ITransport> MakeTcpTransport(const QString& host, int port, int connectTimeoutMs) {
    return std::make_unique<TcpTransport>(host, port, connectTimeoutMs);
}
