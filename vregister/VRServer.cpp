#include "vregister/VRServer.h"

#include "driver/FdIO.h"
#include "driver/LedgraProtocol.h"
#include "driver/ResultCodes.h"
#include "platform/SerialPorts.h"
#include "vregister/VRState.h"
#include "vregister/VirtualRegister.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <termios.h>
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

// Milliseconds left until a deadline measured by t; never negative.
int Left(const QElapsedTimer& t, int totalMs) {
    return int(qMax<qint64>(0, totalMs - t.elapsed()));
}

// A line for the log callback, or for stderr when there is none.
void LogTo(const std::function<void(const QString&)>& log, const QString& text) {
    if (log) {
        log(text);
        return;
    }
    const QByteArray line = text.toLocal8Bit() + '\n';
    // One write per line, so lines of concurrent clients never interleave.
    [[maybe_unused]] const ssize_t n =
        ::write(STDERR_FILENO, line.constData(), size_t(line.size()));
}

// Wakes every WaitFor on the eventfd stopFd.
void SignalStop(int stopFd) {
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopFd, &one, sizeof one);
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
    LogTo(FOptions.log, text);
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
    SignalStop(FStopFd);
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
        return FdIO::WriteAll(
                   c.fd, data,
                   [&] {
                       const int left = Left(t, FOptions.frameTimeoutMs);
                       return WaitFor(c.fd, POLLOUT, FStopFd, left) == Wait::Ready ? 1 : 0;
                   },
                   MSG_NOSIGNAL) == FdIO::Written::All;
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

        const int left = buf.isEmpty() ? -1 : Left(frameStart, FOptions.frameTimeoutMs);
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

// The pty.

VRPtyServer::VRPtyServer(std::shared_ptr<VirtualRegister> reg, Options options)
    : FRegister(std::move(reg)), FOptions(std::move(options)) {}

VRPtyServer::~VRPtyServer() {
    Stop();
}

void VRPtyServer::Log(const QString& text) const {
    LogTo(FOptions.log, text);
}

bool VRPtyServer::Start(QString* error) {
    auto fail = [&](const QString& what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(what, ErrnoText(errno));
        for (int* fd : {&FMaster, &FSlave, &FStopFd}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
        return false;
    };
    if (FMaster >= 0) {
        if (error)
            *error = QStringLiteral("порт уже открыт");
        return false;
    }
    FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0)
        return fail(QStringLiteral("posix_openpt"));
    char name[128] = {};
    if (::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0 ||
        ::ptsname_r(FMaster, name, sizeof name) != 0)
        return fail(QStringLiteral("pty"));
    FPath = QString::fromLocal8Bit(name);
    FSlave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FSlave < 0)
        return fail(FPath);
    // Raw from the start, at the port's rate, until a client sets its own.
    termios tio{};
    if (::tcgetattr(FSlave, &tio) != 0)
        return fail(FPath);
    ::cfmakeraw(&tio);
    const int code = FOptions.baudCode >= 0 ? FOptions.baudCode : 6;
    ::cfsetispeed(&tio, speed_t(Platform::TermiosSpeedOfCode(code)));
    ::cfsetospeed(&tio, speed_t(Platform::TermiosSpeedOfCode(code)));
    if (::tcsetattr(FSlave, TCSANOW, &tio) != 0)
        return fail(FPath);
    const int flags = ::fcntl(FMaster, F_GETFL);
    if (flags < 0 || ::fcntl(FMaster, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail(QStringLiteral("pty"));
    FStopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FStopFd < 0)
        return fail(QStringLiteral("eventfd"));
    FThread = std::thread([this] { Serve(); });
    return true;
}

void VRPtyServer::Stop() {
    if (FStopFd < 0)
        return;
    SignalStop(FStopFd);
    if (FThread.joinable())
        FThread.join();
    ::close(FMaster);
    ::close(FSlave);
    ::close(FStopFd);
    FMaster = FSlave = FStopFd = -1;
}

bool VRPtyServer::RateMatches() {
    termios tio{};
    if (::tcgetattr(FMaster, &tio) != 0)
        return false;
    int want = FOptions.baudCode;
    if (want < 0) {
        try {
            FRegister->WithStore([&](VRStore& s) { want = VRState::SerialRate(s); });
        } catch (const EStore& e) {
            Log(QStringLiteral("vregisterd: %1: %2").arg(FPath, QString::fromUtf8(e.what())));
            return false;
        }
    }
    return Platform::CodeOfTermiosSpeed(unsigned(::cfgetospeed(&tio))) == want;
}

void VRPtyServer::Serve() {
    QByteArray buf;
    QElapsedTimer lastByte;
    char chunk[4096];
    for (;;) {
        // Answer every whole frame that has come, in order.
        for (;;) {
            qsizetype size = 0;
            const Scan scan = ScanFrame(buf, &size);
            if (scan == Scan::Bad) {
                // Noise (a client at another rate): look for the next frame start.
                const qsizetype next = buf.indexOf('L', 1);
                buf.remove(0, next < 0 ? buf.size() : next);
                continue;
            }
            if (scan == Scan::NeedMore)
                break;
            const QByteArray frame = buf.first(size);
            buf.remove(0, size);
            if (!RateMatches())
                continue; // at another rate the register hears no frame at all
            const auto req = DecodeRequest(frame);
            if (!req)
                continue; // a corrupt frame on a line is noise too
            const auto answer = FRegister->Handle(*req);
            if (!answer)
                continue; // an injected drop: the client hears nothing
            const QByteArray out = Encode(*answer);
            QElapsedTimer t;
            t.start();
            // Nobody reads the answer: it is lost, as on a wire.
            FdIO::WriteAll(FMaster, out, [&] {
                return WaitFor(FMaster, POLLOUT, FStopFd, Left(t, 2000)) == Wait::Ready ? 1 : 0;
            });
        }

        const int wait = buf.isEmpty() ? -1 : Left(lastByte, FOptions.gapMs);
        switch (WaitFor(FMaster, POLLIN, FStopFd, wait)) {
        case Wait::Ready:
            break;
        case Wait::Timeout:
            buf.clear(); // half a frame, then silence
            continue;
        case Wait::Stop:
            return;
        case Wait::Error:
            Log(QStringLiteral("vregisterd: %1: %2").arg(FPath, ErrnoText(errno)));
            return;
        }
        const ssize_t n = ::read(FMaster, chunk, sizeof chunk);
        if (n > 0) {
            buf.append(chunk, n);
            lastByte.start();
        } else if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            // The kept slave descriptor rules out a hang-up; anything else ends the port.
            Log(QStringLiteral("vregisterd: %1: %2").arg(FPath, ErrnoText(errno)));
            return;
        }
    }
}

// The announcement.

VRAnnouncer::VRAnnouncer(std::shared_ptr<VirtualRegister> reg, Options options)
    : FRegister(std::move(reg)), FOptions(std::move(options)) {}

VRAnnouncer::~VRAnnouncer() {
    Stop();
}

QByteArray VRAnnouncer::Datagram(const QString& serial, const QString& address, int tcpPort) {
    // The reader takes the text three characters after "SN" and "IP" up to
    // the next ";", and the port five characters after "port" to the end;
    // between the address and "port" it skips the ";" and one more
    // character: the blank.
    return QStringLiteral("SN=%1;IP=%2; port=%3").arg(serial, address).arg(tcpPort).toLatin1();
}

bool VRAnnouncer::Start(QString* error) {
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1:%2: %3").arg(FOptions.host).arg(FOptions.port).arg(why);
        if (FSocket >= 0)
            ::close(FSocket);
        FSocket = -1;
        return false;
    };
    if (FSocket >= 0)
        return fail(QStringLiteral("уже запущено"));
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    const QByteArray service = QByteArray::number(FOptions.port);
    const int gai =
        ::getaddrinfo(FOptions.host.toUtf8().constData(), service.constData(), &hints, &list);
    if (gai != 0)
        return fail(QString::fromLocal8Bit(gai_strerror(gai)));
    FSocket = ::socket(list->ai_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (FSocket < 0) {
        const int e = errno;
        ::freeaddrinfo(list);
        return fail(ErrnoText(e));
    }
    const int one = 1;
    ::setsockopt(FSocket, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    FTarget = std::make_unique<sockaddr_storage>();
    std::memcpy(FTarget.get(), list->ai_addr, list->ai_addrlen);
    FTargetLen = unsigned(list->ai_addrlen);
    ::freeaddrinfo(list);
    FStop = false;
    FThread = std::thread([this] { Run(); });
    return true;
}

void VRAnnouncer::Stop() {
    {
        std::lock_guard l(FStopLock);
        FStop = true;
    }
    FStopSignal.notify_all();
    if (FThread.joinable())
        FThread.join();
    if (FSocket >= 0)
        ::close(FSocket);
    FSocket = -1;
}

void VRAnnouncer::Run() {
    std::unique_lock l(FStopLock);
    while (!FStop) {
        l.unlock();
        QString serial;
        try {
            FRegister->WithStore([&](VRStore& s) { serial = VRState::SerialNumber(s); });
        } catch (const EStore&) {
            serial.clear(); // the register is busy: announce next time
        }
        if (!serial.isEmpty()) {
            const QByteArray d = Datagram(serial, FOptions.address, FOptions.tcpPort);
            ::sendto(FSocket, d.constData(), size_t(d.size()), 0,
                     reinterpret_cast<const sockaddr*>(FTarget.get()), socklen_t(FTargetLen));
        }
        l.lock();
        FStopSignal.wait_for(l, std::chrono::milliseconds(FOptions.intervalMs),
                             [this] { return FStop; });
    }
}
