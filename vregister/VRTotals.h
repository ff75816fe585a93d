#pragma once
// The register's totals: cash registers (money), operation registers
// (counts) and the ware base. Receipts, shifts and the fiscal storage add to
// them through these functions, inside the method's transaction. Values are
// kept sparsely: a register has a row once it is not zero.

#include "driver/Currency.h"

#include <QString>
#include <optional>
#include <utility>
#include <vector>

class VRStore;

namespace VRTotals {

// Cash registers 0..255 and the extended ones 4096..4490.
constexpr int kCashRegs = 256;
constexpr int kFirstCashRegEx = 4096;
constexpr int kLastCashRegEx = 4490;
// Operation registers 0..255: 16-bit counters.
constexpr int kOperationRegs = 256;

bool IsCashReg(int reg);
bool IsCashRegEx(int reg);
bool IsOperationReg(int reg);

// Names as the register answers them; empty for a number out of range.
// The operation registers' names depend on whether the register has a fiscal
// storage: the 32-bit pairs sit at other numbers without one.
QString CashRegName(int reg);
QString CashRegExName(int reg);
QString OperationRegName(int reg, bool capFN);
// The extended registers that hold a count, not a sum.
bool IsCountRegEx(int reg);

// The pairs of operation registers (low half, high half) that hold one
// 32-bit counter.
std::vector<std::pair<int, int>> Pairs(bool capFN);

// Reading a register out of range gives zero; adding to one throws
// std::out_of_range (a programming fault of the caller).
Currency Cash(VRStore& s, int reg);
void AddCash(VRStore& s, int reg, Currency amount);
// A 16-bit register: adding wraps at 65536. Adding to either half of a pair
// adds to the pair's 32-bit counter (the low half carries into the high one).
int Operation(VRStore& s, int reg);
void AddOperation(VRStore& s, int reg, qint64 count);
// The 32-bit counter of the pair whose low half is `lowReg`.
quint32 Counter32(VRStore& s, int lowReg);

// Every cash and operation register back to zero (a technological reset).
void Clear(VRStore& s);
// The registers of the shift (named "в смене" / "за смену") back to zero: the
// shift-closing report does this; the receipt's, the lifetime and the FN
// registers keep their values.
void ClearShift(VRStore& s);
// Sets a register to a value; throws std::out_of_range as AddCash does.
void SetCash(VRStore& s, int reg, Currency amount);
// A count kept in a money register (4228..4361: whole units of Currency).
qint64 CashCount(VRStore& s, int reg);

// The ware base.
struct Ware {
    int code = 0;
    int department = 0;
    Currency price;
    QString name;
    int tax[4] = {0, 0, 0, 0};
};
// The money registers of a ware, in the order GetWareBaseCashRegs answers them.
enum WareReg {
    SaleRec,
    BuyRec,
    SaleReturnRec,
    BuyReturnRec,
    SaleSession,
    BuySession,
    SaleReturnSession,
    BuyReturnSession,
    WareRegCount
};
std::optional<Ware> FindWare(VRStore& s, int code);
// Checks the entry as UpdateWare does; gives 0 or BadParameters.
int PutWare(VRStore& s, const Ware& w);
// False when there was no such ware. Its money registers go with it.
bool RemoveWare(VRStore& s, int code);
Currency WareCash(VRStore& s, int code, WareReg reg);
// False when there is no such ware.
bool AddWareCash(VRStore& s, int code, WareReg reg, Currency amount);

} // namespace VRTotals
