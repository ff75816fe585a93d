#pragma once
// The service engineer's walk through a fiscal storage's life, shared by the
// run on the pages and the run through the console: what every status read
// between the steps must show, and the archive it leaves.

#include <QString>
#include <QTest>

namespace FnLifeCycle {

// The register's owner; the registration number comes from the RNM page's
// rule for ordinal 1 and the register's serial number.
inline const QString kInn = QStringLiteral("1234567894");
inline const QString kOrdinal = QStringLiteral("1");

struct Step {
    const char* name;
    int phase;       // FNLifeState
    int shiftOpen;   // FNSessionState
    int shiftNumber; // SessionNumber of FNGetCurrentSessionParams
    int lastDocument;
};

// The state after each step, in order.
inline constexpr Step kSteps[] = {
    {"fresh storage", 0x01, 0, 0, 0},      {"registered", 0x03, 0, 0, 1},
    {"shift opened", 0x03, 1, 1, 2},       {"shift closed", 0x03, 0, 1, 3},
    {"settlement report", 0x03, 0, 1, 4},  {"re-registered", 0x03, 0, 1, 5},
    {"fiscal mode closed", 0x07, 0, 1, 6}, {"all transferred", 0x0F, 0, 1, 6},
};

// Document types of the archive by number (1 ... 6).
inline constexpr int kDocumentTypes[] = {1, 2, 5, 21, 11, 6};

// Offline, the settlement report counts the three documents before it.
constexpr int kUnsentAtReport = 3;
// The re-registration: reason code 4 and the tag 1205 reason "tax systems
// changed" (bit 7); the tax systems go from ОСН + ПСН to ОСН.
constexpr int kReason = 4;
constexpr int kReasonsEx = 0x80;
constexpr int kTaxFirst = 33, kTaxSecond = 1;
// Work mode "autonomous" (bit 1) and time zone 3.
constexpr int kWorkMode = 2, kTimeZone = 3;

} // namespace FnLifeCycle

// Checks the state after step i with the test's own CheckStep(i) and ends
// the test at the first step that differs: every later step builds on it.
#define CHECK_STEP(i)                                                                              \
    do {                                                                                           \
        CheckStep(i);                                                                              \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)
