// The connection test's command rate against a bare loop of the same call on
// the same driver object, on the embedded virtual register. The page's own
// cost (its worker, counters and timer) should leave at least 80% of the rate.

#include "bench/BenchSupport.h"
#include "driver/untDriver.h"
#include "pages/status/fmuConnectionTest.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <cstdio>

namespace {
constexpr int kMillis = 3000;

double BareLoop() {
    TDriver& d = Driver();
    QElapsedTimer t;
    t.start();
    qint64 n = 0;
    while (t.elapsed() < kMillis) {
        d.GetShortECRStatus();
        ++n;
    }
    return double(n) * 1000.0 / double(t.elapsed());
}

double PageLoop() {
    TfmConnectionTest page;
    page.findChild<QCheckBox*>(QStringLiteral("chkUseShortStatus"))->setChecked(true);
    QElapsedTimer t;
    page.findChild<QPushButton*>(QStringLiteral("btnStart"))->click();
    t.start();
    while (t.elapsed() < kMillis) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    page.findChild<QPushButton*>(QStringLiteral("btnStop"))->click();
    const qint64 elapsed = t.elapsed();
    while (page.Running())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    page.UpdateInfo();
    const qint64 n =
        page.findChild<QLabel*>(QStringLiteral("lblRepCountValue"))->text().toLongLong();
    return double(n) * 1000.0 / double(elapsed);
}
} // namespace

int main(int argc, char** argv) {
    TBenchApp app(argc, argv);
    Driver().GetShortECRStatus(); // open the register once
    // Both twice, alternating, so neither profits from running second.
    double bare = BareLoop();
    double page = PageLoop();
    bare = std::max(bare, BareLoop());
    page = std::max(page, PageLoop());
    std::printf("bare loop:       %.0f commands/s\n", bare);
    std::printf("connection test: %.0f commands/s\n", page);
    std::printf("ratio: %.2f (goal >= 0.80)\n", page / bare);
    FreeDriver();
    return 0;
}
