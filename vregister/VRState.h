#pragma once
// Named pieces of the virtual register's state that several modules read.

#include "vregister/VRStore.h"

#include <QString>

namespace VRState {

// Modes (ECRMode) and sub-modes (ECRAdvancedMode) of the register.
enum Mode {
    ModeWorking = 0,
    ModeShiftOpen = 2,
    ModeShiftOver24h = 3,
    ModeShiftClosed = 4,
    ModeDocumentOpen = 8,
};
QString ModeText(int mode);
QString SubmodeText(int submode);

// Bits of ECRFlags.
enum Flag {
    FlagJournalRibbon = 0,
    FlagReceiptRibbon = 1,
    FlagSlipTop = 2,
    FlagSlipBottom = 3,
    FlagPointPosition = 4,
    FlagEKLZ = 5,
    FlagJournalOptical = 6,
    FlagReceiptOptical = 7,
    FlagJournalLever = 8,
    FlagReceiptLever = 9,
    FlagLid = 10,
    FlagDrawer = 11,
    FlagPresenterIn = 12,
    FlagPresenterOut = 13,
    FlagEKLZOverflow = 14,
    FlagQuantityPoint = 15,
};
// A register out of the box: receipt paper in, lever down, two decimals.
constexpr int kDefaultFlags = (1 << FlagReceiptRibbon) | (1 << FlagPointPosition) |
                              (1 << FlagReceiptOptical) | (1 << FlagReceiptLever);

int Flags(VRStore& s);
// The register's current mode, derived from the shift and the open document.
int Mode(VRStore& s);

// The serial number: all zeros until written.
inline constexpr char kZeroSerial[] = "0000000000000000";
QString SerialNumber(VRStore& s);

// The rate code (0..9, 6 = 115200) of the register's RS-232 port: the only
// rate its serial port answers at. SetExchangeParam of port 0 changes it.
int SerialRate(VRStore& s);

} // namespace VRState
