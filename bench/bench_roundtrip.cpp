// One driver round trip against its baselines:
//   embedded  TLedgra::GetShortECRStatus on the in-process register vs
//             VirtualRegister::Handle with the same request (goal <= 3x);
//   TCP       the same call to an in-process VRServer over loopback vs a raw
//             request and answer of the same sizes on a socket pair (goal <= 2x).
// The register's own work (one SQLite transaction per call) is in the TCP
// path but not in the raw baseline, so a second TCP ratio is printed against
// the raw exchange plus the direct handler: that one isolates what the link
// itself costs.
#include "driver/LedgraProtocol.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "ledgra/LedgraSettings.h"
#include "vregister/VRServer.h"
#include "vregister/VirtualRegister.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace LedgraProtocol;

namespace {

constexpr int kWarmUp = 200;
constexpr int kBatches = 7;
constexpr int kCalls = 1000;

// Microseconds of one call of f: the mean of the best of a few batches, so
// that a burst of other work on a shared machine does not count.
template <typename F> double MeanMicros(F&& f) {
    for (int i = 0; i < kWarmUp; ++i)
        f();
    double best = 1e300;
    for (int b = 0; b < kBatches; ++b) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kCalls; ++i)
            f();
        const std::chrono::duration<double, std::micro> d =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, d.count() / kCalls);
    }
    return best;
}

bool ReadExactly(int fd, char* buf, size_t n) {
    while (n > 0) {
        const ssize_t r = ::read(fd, buf, n);
        if (r <= 0)
            return false;
        buf += r;
        n -= size_t(r);
    }
    return true;
}

bool WriteAll(int fd, const char* buf, size_t n) {
    while (n > 0) {
        const ssize_t r = ::write(fd, buf, n);
        if (r <= 0)
            return false;
        buf += r;
        n -= size_t(r);
    }
    return true;
}

std::shared_ptr<TLedgraComponent> Component(int connectionType, int port = 0) {
    auto d = std::make_shared<TLedgraComponent>();
    d->Set(PropertyId::ConnectionType, connectionType);
    d->Set(PropertyId::UseIPAddress, true);
    d->Set(PropertyId::IPAddress, QStringLiteral("127.0.0.1"));
    d->Set(PropertyId::TCPPort, port);
    d->Set(PropertyId::Password, 30);
    return d;
}

void Fail(const char* what) {
    std::fprintf(stderr, "bench_roundtrip: %s\n", what);
    std::exit(1);
}

// A connected loopback TCP pair, with Nagle off as the driver has it.
void TcpPair(int fds[2]) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        Fail("loopback listener");
    fds[0] = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fds[0], reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        Fail("loopback connect");
    fds[1] = ::accept(listener, nullptr, nullptr);
    ::close(listener);
    const int one = 1;
    for (int i = 0; i < 2; ++i)
        ::setsockopt(fds[i], IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("LEDGRA_DATA_DIR", dir.path().toUtf8());
    auto reg = VR::Shared(VR::DefaultRegisterPath());

    Request req;
    req.method = MethodId::GetShortECRStatus;
    req.password = 30;
    const QByteArray requestFrame = Encode(req);
    const auto probe = reg->Handle(req);
    if (!probe || probe->code != 0)
        Fail("the register does not answer GetShortECRStatus");
    const QByteArray answerFrame = Encode(*probe);

    // (a) embedded
    TLedgra embedded(Component(LedgraSettings::kEmbedded));
    const double direct = MeanMicros([&] {
        if (!reg->Handle(req))
            Fail("direct call dropped");
    });
    const double viaDriver = MeanMicros([&] {
        if (embedded.GetShortECRStatus() != 0)
            Fail("embedded call failed");
    });

    // (b) TCP loopback to an in-process server
    VRServer server(reg, {});
    QString error;
    if (!server.Start(&error))
        Fail(qPrintable(error));
    TLedgra tcp(Component(LedgraSettings::kTcp, server.Port()));
    const double viaTcp = MeanMicros([&] {
        if (tcp.GetShortECRStatus() != 0)
            Fail("TCP call failed");
    });
    server.Stop();

    // Raw baselines: the same byte counts each way, answered by a thread that
    // only copies bytes; on a socket pair, and on a TCP loopback connection.
    auto rawExchange = [&](int client, int peer) {
        std::thread echo([&] {
            QByteArray in(requestFrame.size(), '\0');
            while (ReadExactly(peer, in.data(), size_t(in.size())))
                if (!WriteAll(peer, answerFrame.constData(), size_t(answerFrame.size())))
                    break;
        });
        QByteArray back(answerFrame.size(), '\0');
        const double t = MeanMicros([&] {
            if (!WriteAll(client, requestFrame.constData(), size_t(requestFrame.size())) ||
                !ReadExactly(client, back.data(), size_t(back.size())))
                Fail("raw exchange");
        });
        ::shutdown(client, SHUT_WR);
        echo.join();
        ::close(client);
        ::close(peer);
        return t;
    };
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0)
        Fail("socketpair");
    const double raw = rawExchange(sv[0], sv[1]);
    int tcpPair[2];
    TcpPair(tcpPair);
    const double rawTcp = rawExchange(tcpPair[0], tcpPair[1]);

    std::printf("request %lld bytes, answer %lld bytes, best of %d batches of %d calls\n",
                static_cast<long long>(requestFrame.size()),
                static_cast<long long>(answerFrame.size()), kBatches, kCalls);
    std::printf("embedded: driver %.1f us, direct handler %.1f us, ratio %.2f (goal <= 3)\n",
                viaDriver, direct, viaDriver / direct);
    std::printf("tcp:      driver %.1f us, raw socket pair %.1f us, ratio %.2f (goal <= 2)\n",
                viaTcp, raw, viaTcp / raw);
    std::printf("tcp:      against raw socket pair + direct handler %.1f us, ratio %.2f\n",
                raw + direct, viaTcp / (raw + direct));
    std::printf("tcp:      against raw TCP loopback %.1f us + direct handler, ratio %.2f\n", rawTcp,
                viaTcp / (rawTcp + direct));
    return 0;
}
