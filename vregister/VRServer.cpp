#include "vregister/VRServer.h"

#include "driver/LedgraProtocol.h"
#include "driver/ResultCodes.h"
#include "vregister/VirtualRegister.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace LedgraProtocol;

namespace {

QString ErrnoText(int e) {
    return QString::fromLocal8Bit(strerror(e));
}

QString PeerName(const sockaddr_storage& a) {
    char host[NI_MAXHOST] = {}, port[NI_MAXSERV] = {};
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&a), sizeof a, host, sizeof host, port,
                      sizeof port, NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return QStringLiteral("?");
    return QStringLiteral("%1:%2").arg(QString::fromLatin1(host), QString::fromLatin1(port));
}

enum class Wait { Ready, Timeout, Stop, Error };

// Waits for `events` on fd, or for the stop signal; timeoutMs < 0 waits
// without limit.
Wait WaitFor(int fd, short events, int stopFd, int timeoutMs) {
    for (;;) {
        pollfd p[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
        const int r = ::poll(p, 2, timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return Wait::Error;
        if (p[1].revents)
            return Wait::Stop;
        if (r == 0)
            return Wait::Timeout;
        // A hang-up still lets recv tell EOF from data; report it as ready.
        return (p[0].revents & (events | POLLHUP | POLLERR)) ? Wait::Ready : Wait::Error;
    }
}

} // namespace

VRServer::VRServer(std::shared_ptr<VirtualRegister> reg, Options options)
    : FRegister(std::move(reg)), FOptions(std::move(options)) {}

VRServer::~VRServer() {
    Stop();
}

void VRServer::Log(const QString& text) const {
    if (FOptions.log) {
        FOptions.log(text);
        return;
    }
    const QByteArray line = text.toLocal8Bit() + '\n';
    // One write per line, so lines of concurrent clients never interleave.
    [[maybe_unused]] const ssize_t n =
        ::write(STDERR_FILENO, line.constData(), size_t(line.size()));
}

bool VRServer::Start(QString* error) {
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1:%2: %3").arg(FOptions.address).arg(FOptions.port).arg(why);
        if (FListen >= 0)
            ::close(FListen);
        FListen = -1;
        return false;
    };
    if (FListen >= 0)
        return fail(QStringLiteral("сервер уже запущен"));
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* list = nullptr;
    const QByteArray service = QByteArray::number(FOptions.port);
    const QByteArray host = FOptions.address.toUtf8();
    const int gai = ::getaddrinfo(host.isEmpty() ? nullptr : host.constData(), service.constData(),
                                  &hints, &list);
    if (gai != 0)
        return fail(QString::fromLocal8Bit(gai_strerror(gai)));
    int lastErrno = EADDRNOTAVAIL;
    for (addrinfo* a = list; a && FListen < 0; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            lastErrno = errno;
            continue;
        }
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0) {
            lastErrno = errno;
            ::close(fd);
            continue;
        }
        FListen = fd;
    }
    ::freeaddrinfo(list);
    if (FListen < 0)
        return fail(ErrnoText(lastErrno));

    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    if (::getsockname(FListen, reinterpret_cast<sockaddr*>(&bound), &len) != 0)
        return fail(ErrnoText(errno));
    FPort = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                              : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    FStopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FStopFd < 0)
        return fail(ErrnoText(errno));
    FAcceptor = std::thread([this] { AcceptLoop(); });
    return true;
}

void VRServer::Stop() {
    if (FStopFd < 0)
        return;
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t n = ::write(FStopFd, &one, sizeof one);
    if (FAcceptor.joinable())
        FAcceptor.join();
    Reap(true);
    ::close(FListen);
    ::close(FStopFd);
    FListen = FStopFd = -1;
}

int VRServer::ClientCount() const {
    std::lock_guard l(FClientsLock);
    int n = 0;
    for (const Client& c : FClients)
        n += c.done ? 0 : 1;
    return n;
}

void VRServer::Reap(bool all) {
    std::lock_guard l(FClientsLock);
    for (auto it = FClients.begin(); it != FClients.end();) {
        if (all || it->done) {
            it->thread.join();
            it = FClients.erase(it);
        } else {
            ++it;
        }
    }
}

void VRServer::AcceptLoop() {
    for (;;) {
        const Wait w = WaitFor(FListen, POLLIN, FStopFd, -1);
        if (w == Wait::Stop)
            return;
        sockaddr_storage peer{};
        socklen_t len = sizeof peer;
        const int fd = ::accept4(FListen, reinterpret_cast<sockaddr*>(&peer), &len,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno != EINTR && errno != EAGAIN && errno != ECONNABORTED) {
                // Out of descriptors: wait a little rather than spin on poll.
                Log(QStringLiteral("vregisterd: accept: %1").arg(ErrnoText(errno)));
                WaitFor(FListen, 0, FStopFd, 100);
            }
            continue;
        }
        Reap(false);
        if (ClientCount() >= FOptions.maxClients) {
            Log(QStringLiteral("vregisterd: подключение %1 отклонено: уже %2 клиентов")
                    .arg(PeerName(peer))
                    .arg(FOptions.maxClients));
            ::close(fd);
            continue;
        }
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard l(FClientsLock);
        Client& c = FClients.emplace_back();
        c.fd = fd;
        c.thread = std::thread([this, &c] {
            Serve(c);
            ::close(c.fd);
            c.done = true;
        });
    }
}

void VRServer::Serve(Client& c) {
    sockaddr_storage peer{};
    socklen_t plen = sizeof peer;
    ::getpeername(c.fd, reinterpret_cast<sockaddr*>(&peer), &plen);
    const QString who = PeerName(peer);
    auto closed = [&](const QString& why) {
        Log(QStringLiteral("vregisterd: соединение с %1 закрыто: %2").arg(who, why));
    };

    // Writes a whole answer; a client that does not take it in time is dropped.
    auto sendAll = [&](const QByteArray& data) {
        QElapsedTimer t;
        t.start();
        qsizetype done = 0;
        while (done < data.size()) {
            const ssize_t n =
                ::send(c.fd, data.constData() + done, size_t(data.size() - done), MSG_NOSIGNAL);
            if (n > 0) {
                done += n;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                return false;
            const int left = int(qMax<qint64>(0, FOptions.frameTimeoutMs - t.elapsed()));
            if (WaitFor(c.fd, POLLOUT, FStopFd, left) != Wait::Ready)
                return false;
        }
        return true;
    };

    QByteArray buf;
    QElapsedTimer frameStart;
    char chunk[16384];
    for (;;) {
        // Answer every complete frame that has arrived, in order.
        for (;;) {
            qsizetype size = 0;
            const Scan scan = ScanFrame(buf, &size);
            if (scan == Scan::Bad) {
                closed(QStringLiteral("неверный кадр"));
                return;
            }
            if (scan == Scan::NeedMore)
                break;
            QString error;
            const auto req = DecodeRequest(QByteArrayView(buf).first(size), &error);
            if (!req) {
                // The header (length included) is not to be trusted either, so
                // the stream cannot go on: say why, then hang up.
                Answer a;
                a.code = int(RC::ProtocolError);
                sendAll(Encode(a));
                closed(QStringLiteral("неверный кадр: %1").arg(error));
                return;
            }
            const auto answer = FRegister->Handle(*req);
            if (!answer)
                return; // an injected drop: the peer hears nothing
            if (!sendAll(Encode(*answer)))
                return;
            buf.remove(0, size);
            if (!buf.isEmpty())
                frameStart.start();
        }

        const int left = buf.isEmpty()
                             ? -1
                             : int(qMax<qint64>(0, FOptions.frameTimeoutMs - frameStart.elapsed()));
        switch (WaitFor(c.fd, POLLIN, FStopFd, left)) {
        case Wait::Ready:
            break;
        case Wait::Timeout:
            closed(
                QStringLiteral("кадр не получен полностью за %1 мс").arg(FOptions.frameTimeoutMs));
            return;
        case Wait::Stop:
            return;
        case Wait::Error:
            return;
        }
        const ssize_t n = ::recv(c.fd, chunk, sizeof chunk, 0);
        if (n > 0) {
            if (buf.isEmpty())
                frameStart.start();
            buf.append(chunk, n);
        } else if (n == 0) {
            if (!buf.isEmpty())
                closed(QStringLiteral("клиент отключился посреди кадра"));
            return;
        } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            if (!buf.isEmpty())
                closed(QStringLiteral("клиент отключился посреди кадра: %1").arg(ErrnoText(errno)));
            return;
        }
    }
}
