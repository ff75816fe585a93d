// The virtual register's totals: cash and operation registers, wares.
//
// Result codes, as a register answers them:
// * a register number out of range, a ware code below 1, or a ware entry that
//   does not fit (department, price, text, tax group): BadParameters (51);
// * a ware code the base lacks: WareNotFound (0x9C).

#include "vregister/VRTotals.h"

#include "driver/ResultCodes.h"
#include "vregister/VRHandlers.h"
#include "vregister/VRModelProfile.h"

#include <stdexcept>

namespace {

using P = PropertyId;

// The kinds of the rows of `totals`.
enum Kind { KindCash = 0, KindOperation = 1 };

constexpr qint64 kHalf = 65536;
constexpr qint64 kWord = kHalf * kHalf;

// Ware entries: departments as the section table has them (0: none), the
// price in whole kopecks up to five bytes of them, the tax groups 0..4.
constexpr int kMaxDepartment = 16;
constexpr qint64 kMaxPriceKopecks = 0xFFFFFFFFFFLL;
constexpr qint64 kRawPerKopeck = 100;
constexpr qint64 kRawPerUnit = 10000;
constexpr int kMaxWareName = 128;
constexpr int kMaxTaxGroup = 4;

qint64 Value(VRStore& s, Kind kind, int reg) {
    const auto v =
        s.Scalar("SELECT value FROM totals WHERE kind = ?1 AND reg = ?2", {int(kind), reg});
    return v ? v->toLongLong() : 0;
}

// A register at zero has no row.
void SetValue(VRStore& s, Kind kind, int reg, qint64 value) {
    if (value == 0) {
        s.Exec("DELETE FROM totals WHERE kind = ?1 AND reg = ?2", {int(kind), reg});
        return;
    }
    s.Exec("INSERT INTO totals (kind, reg, value) VALUES (?1, ?2, ?3) "
           "ON CONFLICT(kind, reg) DO UPDATE SET value = excluded.value",
           {int(kind), reg, value});
}

qint64 Wrap(qint64 v, qint64 modulus) {
    v %= modulus;
    return v < 0 ? v + modulus : v;
}

bool CapFN(VRStore& s) {
    return VRProfile::Current(s).capFN;
}

const P kWareRegProps[VRTotals::WareRegCount] = {
    P::RegSaleRec,     P::RegBuyRec,     P::RegSaleReturnRec,     P::RegBuyReturnRec,
    P::RegSaleSession, P::RegBuySession, P::RegSaleReturnSession, P::RegBuyReturnSession,
};
const P kTaxProps[4] = {P::Tax1, P::Tax2, P::Tax3, P::Tax4};

int GetCashReg(VRContext& c) {
    const int reg = c.InInt(P::RegisterNumber);
    if (!VRTotals::IsCashReg(reg))
        return int(RC::BadParameters);
    c.Out(P::ContentsOfCashRegister, QVariant::fromValue(VRTotals::Cash(c.Store, reg)));
    c.Out(P::NameCashReg, VRTotals::CashRegName(reg));
    return 0;
}

int GetCashRegEx(VRContext& c) {
    const int reg = c.InInt(P::RegisterNumber);
    if (!VRTotals::IsCashRegEx(reg))
        return int(RC::BadParameters);
    c.Out(P::ContentsOfCashRegister, QVariant::fromValue(VRTotals::Cash(c.Store, reg)));
    c.Out(P::NameCashRegEx, VRTotals::CashRegExName(reg));
    return 0;
}

int GetOperationReg(VRContext& c) {
    const int reg = c.InInt(P::RegisterNumber);
    if (!VRTotals::IsOperationReg(reg))
        return int(RC::BadParameters);
    c.Out(P::ContentsOfOperationRegister, VRTotals::Operation(c.Store, reg));
    c.Out(P::NameOperationReg, VRTotals::OperationRegName(reg, CapFN(c.Store)));
    return 0;
}

// The ware code of a request: 0 and below name no ware.
int WareCodeIn(VRContext& c, int* code) {
    *code = c.InInt(P::WareCode);
    return *code >= 1 ? 0 : int(RC::BadParameters);
}

int ReadWare(VRContext& c) {
    int code = 0;
    if (const int rc = WareCodeIn(c, &code))
        return rc;
    const auto w = VRTotals::FindWare(c.Store, code);
    if (!w)
        return int(RC::WareNotFound);
    c.Out(P::Department, w->department);
    c.Out(P::Price, QVariant::fromValue(w->price));
    c.Out(P::StringForPrinting, w->name);
    for (int i = 0; i < 4; ++i)
        c.Out(kTaxProps[i], w->tax[i]);
    return 0;
}

int UpdateWare(VRContext& c) {
    VRTotals::Ware w;
    if (const int rc = WareCodeIn(c, &w.code))
        return rc;
    w.department = c.InInt(P::Department);
    w.price = c.In(P::Price).value<Currency>();
    w.name = c.InStr(P::StringForPrinting);
    for (int i = 0; i < 4; ++i)
        w.tax[i] = c.InInt(kTaxProps[i]);
    return VRTotals::PutWare(c.Store, w);
}

int RemoveWareCmd(VRContext& c) {
    int code = 0;
    if (const int rc = WareCodeIn(c, &code))
        return rc;
    return VRTotals::RemoveWare(c.Store, code) ? 0 : int(RC::WareNotFound);
}

int GetWareBaseCashRegs(VRContext& c) {
    int code = 0;
    if (const int rc = WareCodeIn(c, &code))
        return rc;
    if (!VRTotals::FindWare(c.Store, code))
        return int(RC::WareNotFound);
    c.Out(P::WareCode, code);
    for (int r = 0; r < VRTotals::WareRegCount; ++r)
        c.Out(kWareRegProps[r],
              QVariant::fromValue(VRTotals::WareCash(c.Store, code, VRTotals::WareReg(r))));
    return 0;
}

} // namespace

namespace VRTotals {

Currency Cash(VRStore& s, int reg) {
    if (!IsCashReg(reg) && !IsCashRegEx(reg))
        return {};
    return Currency::FromRaw(Value(s, KindCash, reg));
}

void AddCash(VRStore& s, int reg, Currency amount) {
    if (!IsCashReg(reg) && !IsCashRegEx(reg))
        throw std::out_of_range("cash register out of range");
    qint64 sum = 0;
    if (__builtin_add_overflow(Value(s, KindCash, reg), amount.raw, &sum))
        throw std::overflow_error("cash register overflow");
    SetValue(s, KindCash, reg, sum);
}

int Operation(VRStore& s, int reg) {
    return IsOperationReg(reg) ? int(Value(s, KindOperation, reg)) : 0;
}

quint32 Counter32(VRStore& s, int lowReg) {
    return quint32(Value(s, KindOperation, lowReg) + Value(s, KindOperation, lowReg + 1) * kHalf);
}

void AddOperation(VRStore& s, int reg, qint64 count) {
    if (!IsOperationReg(reg))
        throw std::out_of_range("operation register out of range");
    for (const auto& [low, high] : Pairs(CapFN(s))) {
        if (reg != low && reg != high)
            continue;
        const qint64 total = Wrap(qint64(Counter32(s, low)) + Wrap(count, kWord), kWord);
        SetValue(s, KindOperation, low, total % kHalf);
        SetValue(s, KindOperation, high, total / kHalf);
        return;
    }
    SetValue(s, KindOperation, reg, Wrap(Value(s, KindOperation, reg) + Wrap(count, kHalf), kHalf));
}

void Clear(VRStore& s) {
    s.Exec("DELETE FROM totals");
}

static bool IsShiftName(const QString& name) {
    return name.contains(QStringLiteral("в смене")) || name.contains(QStringLiteral("за смену"));
}

void ClearShift(VRStore& s) {
    const bool capFN = CapFN(s);
    // Registers are kept sparsely: only the rows there are need a look.
    for (const auto& r : s.Query("SELECT kind, reg FROM totals")) {
        const int kind = int(r[0].toLongLong()), reg = int(r[1].toLongLong());
        const QString name = kind == KindOperation ? OperationRegName(reg, capFN)
                             : IsCashRegEx(reg)    ? CashRegExName(reg)
                                                   : CashRegName(reg);
        if (IsShiftName(name))
            SetValue(s, Kind(kind), reg, 0);
    }
}

void SetCash(VRStore& s, int reg, Currency amount) {
    if (!IsCashReg(reg) && !IsCashRegEx(reg))
        throw std::out_of_range("cash register out of range");
    SetValue(s, KindCash, reg, amount.raw);
}

qint64 CashCount(VRStore& s, int reg) {
    return Cash(s, reg).raw / kRawPerUnit;
}

std::optional<Ware> FindWare(VRStore& s, int code) {
    const auto rows = s.Query("SELECT department, price, name, tax1, tax2, tax3, tax4 "
                              "FROM wares WHERE code = ?1",
                              {code});
    if (rows.empty())
        return std::nullopt;
    const auto& r = rows.front();
    Ware w;
    w.code = code;
    w.department = r[0].toInt();
    w.price = Currency::FromRaw(r[1].toLongLong());
    w.name = r[2].toString();
    for (int i = 0; i < 4; ++i)
        w.tax[i] = r[size_t(3 + i)].toInt();
    return w;
}

int PutWare(VRStore& s, const Ware& w) {
    if (w.code < 1 || w.department < 0 || w.department > kMaxDepartment)
        return int(RC::BadParameters);
    // The register keeps whole kopecks; a fraction of one is refused, not rounded.
    if (w.price.raw < 0 || w.price.raw % kRawPerKopeck != 0 ||
        w.price.raw / kRawPerKopeck > kMaxPriceKopecks)
        return int(RC::BadParameters);
    if (w.name.size() > kMaxWareName)
        return int(RC::BadParameters);
    for (int t : w.tax)
        if (t < 0 || t > kMaxTaxGroup)
            return int(RC::BadParameters);
    s.Exec("INSERT INTO wares (code, department, price, name, tax1, tax2, tax3, tax4) "
           "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) "
           "ON CONFLICT(code) DO UPDATE SET department = excluded.department, "
           "price = excluded.price, name = excluded.name, tax1 = excluded.tax1, "
           "tax2 = excluded.tax2, tax3 = excluded.tax3, tax4 = excluded.tax4",
           {w.code, w.department, w.price.raw, w.name, w.tax[0], w.tax[1], w.tax[2], w.tax[3]});
    return 0;
}

bool RemoveWare(VRStore& s, int code) {
    s.Exec("DELETE FROM ware_totals WHERE code = ?1", {code});
    s.Exec("DELETE FROM wares WHERE code = ?1", {code});
    return s.Changes() > 0;
}

Currency WareCash(VRStore& s, int code, WareReg reg) {
    const auto v =
        s.Scalar("SELECT value FROM ware_totals WHERE code = ?1 AND reg = ?2", {code, int(reg)});
    return Currency::FromRaw(v ? v->toLongLong() : 0);
}

bool AddWareCash(VRStore& s, int code, WareReg reg, Currency amount) {
    if (!FindWare(s, code))
        return false;
    qint64 sum = 0;
    if (__builtin_add_overflow(WareCash(s, code, reg).raw, amount.raw, &sum))
        throw std::overflow_error("ware register overflow");
    if (sum == 0)
        s.Exec("DELETE FROM ware_totals WHERE code = ?1 AND reg = ?2", {code, int(reg)});
    else
        s.Exec("INSERT INTO ware_totals (code, reg, value) VALUES (?1, ?2, ?3) "
               "ON CONFLICT(code, reg) DO UPDATE SET value = excluded.value",
               {code, int(reg), sum});
    return true;
}

void AddHandlers(VRHandlerTable& t) {
    t[MethodId::GetCashReg] = GetCashReg;
    t[MethodId::GetCashRegEx] = GetCashRegEx;
    t[MethodId::GetOperationReg] = GetOperationReg;
    t[MethodId::ReadWare] = ReadWare;
    t[MethodId::UpdateWare] = UpdateWare;
    t[MethodId::RemoveWare] = RemoveWareCmd;
    t[MethodId::GetWareBaseCashRegs] = GetWareBaseCashRegs;
}

} // namespace VRTotals
