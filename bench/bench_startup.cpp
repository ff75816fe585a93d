// Start of tallytest and of enrolwiz to an idle window against the start of
// a bare Qt window, offscreen, each as a process of its own:
//   tallytest  TfmMain with every page built, Initialize on each, the saved
//              settings loaded, the driver object made (embedded register),
//              shown, then the event loop runs until it is idle;
//   enrolwiz   the wizard's TfmMain with every step of WizardSteps() built and
//              the reason-code dialog made, as its main() does, shown (the
//              first step makes the driver object), the event loop until idle;
//   baseline   a bare QMainWindow, shown, the event loop until idle.
// Both programs name their main window TfmMain, so the wizard's start runs in
// a second program built from this file with BENCH_ENROLWIZ
// (bench_startup_enrolwiz); it can start a bare window too, which shows that
// its baseline is the same. Printed as ratios (goal <= 2x). Then every group
// of tallytest is shown twice in one window, to check that switching pages
// builds no page anew.
#include "common/RunHandler.h"
#include "ledgra/LedgraComponent.h"
#ifdef BENCH_ENROLWIZ
#include "common/fmuReasonCodes.h"
#include "wizard/WizardSteps.h"
#else
#include "shell/PageTree.h"
#include "shell/fmuMain.h"
#endif

#include <QElapsedTimer>
#include <QListWidget>
#include <QMainWindow>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

int Start(int argc, char** argv, bool full) {
    TApplication app(argc, argv);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       qEnvironmentVariable("BENCH_CONFIG"));
    std::unique_ptr<QWidget> w;
    if (full) {
        Ledgra::RegisterComponentClass();
#ifdef BENCH_ENROLWIZ
        QCoreApplication::setApplicationName(QStringLiteral("enrolwiz"));
        w = std::make_unique<TfmMain>(WizardSteps());
        CreateReasonCodesDialog(w.get());
#else
        w = std::make_unique<TfmMain>(PageTree());
#endif
    } else {
        w = std::make_unique<QMainWindow>();
        w->resize(745, 510);
    }
    w->show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}

#ifndef BENCH_ENROLWIZ
constexpr int kRuns = 11;

// The median of kRuns starts of `program --start mode`.
double MedianMillis(const QString& program, const QString& mode) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(program, {QStringLiteral("--start"), mode});
        p.waitForFinished(-1);
        times.push_back(t.nsecsElapsed() / 1e6);
        if (p.exitCode() != 0)
            std::fprintf(stderr, "the %s start of %s failed\n", qPrintable(mode),
                         qPrintable(program));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
#endif
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::strcmp(argv[1], "--start") == 0)
        return Start(argc, argv, std::strcmp(argv[2], "full") == 0);
#ifdef BENCH_ENROLWIZ
    std::fprintf(stderr, "bench_startup_enrolwiz --start bare|full: run bench_startup instead\n");
    return 2;
#else

    QTemporaryDir data, config;
    qputenv("LEDGRA_DATA_DIR", data.path().toUtf8());
    qputenv("BENCH_CONFIG", config.path().toUtf8());
    TApplication app(argc, argv);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    Ledgra::RegisterComponentClass();
    // One start and exit first, so the settings and the register exist.
    { TfmMain w(PageTree()); }

    const QString self = QCoreApplication::applicationFilePath();
    const QString wizard =
        QCoreApplication::applicationDirPath() + QStringLiteral("/bench_startup_enrolwiz");
    // The wizard's first start makes its register too.
    QProcess::execute(wizard, {QStringLiteral("--start"), QStringLiteral("full")});

    const double bare = MedianMillis(self, QStringLiteral("bare"));
    const double full = MedianMillis(self, QStringLiteral("full"));
    const double wizardBare = MedianMillis(wizard, QStringLiteral("bare"));
    const double wizardFull = MedianMillis(wizard, QStringLiteral("full"));
    std::printf("start to idle: tallytest %.1f ms, bare window %.1f ms, ratio %.2fx (goal <= 2x)\n",
                full, bare, full / bare);
    std::printf("start to idle: enrolwiz %.1f ms, bare window %.1f ms, ratio %.2fx (goal <= 2x); "
                "the bare window from enrolwiz's bench program %.1f ms\n",
                wizardFull, bare, wizardFull / bare, wizardBare);

    TfmMain w(PageTree());
    w.show();
    QCoreApplication::processEvents();
    const auto pages = [&] {
        std::vector<TPage*> list;
        for (int i = 0; i < w.Pages().Count(); ++i)
            list.push_back(w.Pages().Items(i));
        return list;
    };
    const auto before = pages();
    QElapsedTimer t;
    t.start();
    int switches = 0;
    for (int round = 0; round < 2; ++round)
        for (int g = 0; g < w.GroupList()->count(); ++g, ++switches) {
            w.GroupList()->setCurrentRow(g);
            QCoreApplication::processEvents();
        }
    const double perSwitch = t.nsecsElapsed() / 1e6 / switches;
    const bool same = before == pages();
    std::printf("page switching: %.2f ms a group, %d pages, %s\n", perSwitch, int(before.size()),
                same ? "none built anew" : "PAGES WERE BUILT ANEW");
    return same ? 0 : 1;
#endif
}
