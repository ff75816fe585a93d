// The serial search over 8 ports against the search over 1: the probes run
// in parallel, so 8 ports should take at most 1.2x the time of one. Also a
// search over ports where nothing answers: it must end within the probes'
// own timeouts (ten rates, one timeout each), not the sum over the ports.

#include "bench/BenchSupport.h"
#include "platform/ComponentFactory.h"
#include "platform/PortMap.h"
#include "tests/support/DaemonProcess.h"
#include "wizard/search/untLedgraSearchDevice.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <stdlib.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPorts = 8;
constexpr int kRounds = 15;
// The component waits at least this long for an answer at one rate.
constexpr int kProbeTimeoutMs = 1000;

// One search over the ports as the step runs it: a search per port, all at
// once; milliseconds until every one has ended. False in *found when one
// found nothing.
double SearchMs(const std::vector<int>& ports, bool* allFound) {
    QElapsedTimer t;
    t.start();
    std::vector<std::unique_ptr<TLedgraSearchDevice>> searches;
    for (int com : ports) {
        auto s = std::make_unique<TLedgraSearchDevice>();
        TSearchParamsRec p;
        p.PortNumber = com;
        p.Timeout = 300;
        s->SetParams(p);
        s->Search();
        searches.push_back(std::move(s));
    }
    *allFound = true;
    for (auto& s : searches) {
        s->WaitFor();
        *allFound = *allFound && s->GetState().Succeded;
    }
    return double(t.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median of kRounds searches over `ports`, the two lists alternating so
// neither profits from running second.
void Compare(const char* title, const std::vector<int>& ports, int rounds = kRounds) {
    std::vector<double> one, all;
    bool found = true;
    for (int r = 0; r < rounds; ++r) {
        bool f = false;
        one.push_back(SearchMs({ports.front()}, &f));
        found = found && f;
        all.push_back(SearchMs(ports, &f));
        found = found && f;
    }
    const double m1 = Median(one), m8 = Median(all);
    std::printf("%s\n", title);
    std::printf("  1 port:  %8.1f ms (median of %d)\n", m1, rounds);
    std::printf("  %d ports: %8.1f ms\n", int(ports.size()), m8);
    std::printf("  ratio: %.2f (goal <= 1.20)%s\n", m8 / m1,
                found ? "" : "  -- a register was NOT found");
}

// A pty nobody answers on, entered into the port map; its master stays open
// (and unread) with the object.
struct TSilentPort {
    int master = -1;
    int com = 0;
    bool Open() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return false;
        const QString path = QString::fromLocal8Bit(ptsname(master));
        com = Platform::AddOwnedPortEntry(path);
        return com > 0;
    }
    ~TSilentPort() {
        if (master >= 0)
            ::close(master);
    }
};

// Starts the daemon with `count` ptys after args: the COM numbers of its
// ports, or none (its output on stderr) when it did not start with them all.
std::vector<int> StartPtys(DaemonProcess& daemon, const QString& dataDir, int count,
                           QStringList args = {}) {
    for (int i = 0; i < count; ++i)
        args << QStringLiteral("--pty");
    if (!daemon.Start(QStringLiteral(VREGISTERD_PATH), dataDir, args) ||
        daemon.Ptys().size() != count) {
        std::fprintf(stderr, "vregisterd did not start:\n%s\n", qPrintable(daemon.Output()));
        return {};
    }
    std::vector<int> ports;
    for (const auto& p : daemon.Ptys())
        ports.push_back(p.com);
    return ports;
}

} // namespace

int main(int argc, char** argv) {
    TBenchApp app(argc, argv);
    // Only the ports made here: no ttyS, no embedded register.
    for (int com : {1, 2, 3, 4, Platform::kEmbeddedComNumber})
        Platform::SetPortEntry(com, QString());

    {
        DaemonProcess daemon;
        const std::vector<int> ports = StartPtys(daemon, app.DataPath(), kPorts);
        if (ports.empty())
            return 1;
        Compare("one vregisterd serving 8 ptys at 115200 (found at the first rate):", ports);
    }
    {
        // At 4800 every probe first waits out its timeout at 115200: the
        // search is bound by the waits, as on real ports, not by the CPU.
        DaemonProcess daemon;
        const std::vector<int> ports = StartPtys(
            daemon, app.DataPath(), kPorts, {QStringLiteral("--baud"), QStringLiteral("4800")});
        if (ports.empty())
            return 1;
        Compare("one vregisterd serving 8 ptys at 4800 (found at the second rate):", ports, 3);
    }
    {
        std::vector<std::unique_ptr<DaemonProcess>> daemons;
        std::vector<int> ports;
        for (int i = 0; i < kPorts; ++i) {
            daemons.push_back(std::make_unique<DaemonProcess>());
            const std::vector<int> one = StartPtys(*daemons.back(), app.DataPath(), 1);
            if (one.empty())
                return 1;
            ports.push_back(one.front());
        }
        Compare("8 vregisterd, one pty each, at 115200:", ports);
    }
    {
        std::vector<std::unique_ptr<TSilentPort>> silent;
        std::vector<int> ports;
        for (int i = 0; i < kPorts; ++i) {
            silent.push_back(std::make_unique<TSilentPort>());
            if (!silent.back()->Open()) {
                std::fprintf(stderr, "no pty\n");
                return 1;
            }
            ports.push_back(silent.back()->com);
        }
        bool found = false;
        const double ms = SearchMs(ports, &found);
        const int rates =
            int(TLedgraSearchDevice(Platform::CreateComponent()).GetBaudrates().size());
        const double bound = double(rates) * kProbeTimeoutMs;
        std::printf("8 ptys where nothing answers:\n");
        std::printf("  search: %8.1f ms; the probes' own timeouts: %d rates x %d ms = %.0f ms "
                    "(ratio %.2f)%s\n",
                    ms, rates, kProbeTimeoutMs, bound, ms / bound,
                    found ? "  -- something was found?" : "");
        for (const auto& s : silent)
            Platform::RemoveOwnedPortEntry(s->com, QString::fromLocal8Bit(ptsname(s->master)));
    }
    return 0;
}
