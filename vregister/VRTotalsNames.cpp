// Names of the cash and operation registers, built from a table of ranges:
// each range repeats one pattern over the operation kinds, departments, tax
// rates or forms of payment.

#include "vregister/VRTotals.h"

#include <array>

namespace {

// The four kinds of operation, as the genitive the names use.
const char* const kOps[] = {"продаж", "покупок", "возврата продаж", "возврата покупок"};
const char* const kRates[] = {"НДС 20%", "НДС 10%",    "НДС 0%",
                              "без НДС", "НДС 20/120", "НДС 10/110"};
const char* const kForms[] = {"наличными", "электронными", "предоплатой", "постоплатой",
                              "встречным предоставлением"};
// The columns of a receipt-kind block of the extended registers: 12 sums.
const char* const kParts[] = {"итог",        "наличными",   "электронными",
                              "предоплатой", "постоплатой", "встречным предоставлением",
                              "НДС 20%",     "НДС 10%",     "НДС 0%",
                              "без НДС",     "НДС 20/120",  "НДС 10/110"};
constexpr int kOpCount = 4;
constexpr int kPartCount = int(std::size(kParts));

// How the index inside a range maps to the pattern's arguments.
enum class Dim {
    None,       // the pattern as it is
    Op,         // %1 the operation (index)
    OpNumber,   // %1 the operation (index % 4), %2 a number from 1 (index / 4 + 1)
    OpRate,     // %1 the operation, %2 the tax rate (index / 4)
    OpForm,     // %1 the operation, %2 the form of payment (index / 4)
    Number,     // %1 a number from 1
    OpBlock,    // 13 a kind: %1 the operation, %2 the column; the 13th is `count`
    CountAmount // pairs "Количество %1", "Сумма %1" of the subjects in `list`
};

struct Range {
    int first, last;
    Dim dim;
    const char* pattern;
    const char* count = nullptr;       // OpBlock: the name of the block's count
    const char* const* list = nullptr; // CountAmount: one subject a pair
};

const char* const kShiftPairs[] = {"внесений в смене", "выплат в смене",
                                   "аннулированных чеков в смене", "сторно в смене"};
const char* const kFNPairs[] = {"внесений с начала работы ФН", "выплат с начала работы ФН",
                                "аннулированных чеков с начала работы ФН",
                                "сторно с начала работы ФН"};
const char* const kFNPairs2[] = {"чеков коррекции с начала работы ФН",
                                 "чеков с признаком агента с начала работы ФН",
                                 "возвратов с начала работы ФН"};

const Range kCash[] = {
    {0, 63, Dim::OpNumber, "Накопление %1 в %2 отдел в чеке"},
    {64, 127, Dim::OpNumber, "Накопление %1 в %2 отдел в смене"},
    {128, 131, Dim::Op, "Накопление скидок с %1 в чеке"},
    {132, 135, Dim::Op, "Накопление скидок с %1 в смене"},
    {136, 139, Dim::Op, "Накопление надбавок с %1 в чеке"},
    {140, 143, Dim::Op, "Накопление надбавок с %1 в смене"},
    {144, 147, Dim::Op, "Накопление сторно %1 в чеке"},
    {148, 151, Dim::Op, "Накопление сторно %1 в смене"},
    {152, 215, Dim::OpNumber, "Накопление %1 типом оплаты %2 в смене"},
    {216, 239, Dim::OpRate, "Накопление налога с %1 по ставке %2 в смене"},
    {240, 240, Dim::None, "Накопление внесений в смене"},
    {241, 241, Dim::None, "Наличность в кассе"},
    {242, 242, Dim::None, "Накопление выплат в смене"},
    {243, 246, Dim::Op, "Необнуляемая сумма %1"},
    {247, 250, Dim::Op, "Сумма %1 за смену"},
    {251, 254, Dim::Op, "Накопление %1 в чеке"},
    {255, 255, Dim::None, "Накопление сдачи в смене"},
};

const Range kCashEx[] = {
    {4096, 4119, Dim::OpRate, "Оборот %1 по ставке %2 в смене"},
    {4120, 4143, Dim::OpRate, "Сумма налога с %1 по ставке %2 в смене"},
    {4144, 4163, Dim::OpForm, "Накопление %1 %2 в смене"},
    {4164, 4227, Dim::OpNumber, "Накопление %1 по признаку предмета расчета %2 в смене"},
    {4228, 4228, Dim::None, "Количество чеков в смене"},
    {4229, 4229, Dim::None, "Количество чеков коррекции в смене"},
    {4230, 4230, Dim::None, "Количество документов в смене"},
    {4231, 4282, Dim::OpBlock, "Чеки коррекции %1 в смене: %2",
     "Количество чеков коррекции %1 в смене"},
    {4283, 4290, Dim::CountAmount, nullptr, nullptr, kShiftPairs},
    {4291, 4291, Dim::None, "Количество отчетов о состоянии расчетов в смене"},
    {4292, 4292, Dim::None, "Количество открытий денежного ящика в смене"},
    {4293, 4293, Dim::None, "Количество отрезов чека в смене"},
    {4294, 4345, Dim::OpBlock, "Чеки %1 с начала работы ФН: %2",
     "Количество чеков %1 с начала работы ФН"},
    {4346, 4353, Dim::CountAmount, nullptr, nullptr, kFNPairs},
    {4354, 4354, Dim::None, "Количество смен с начала работы ФН"},
    {4355, 4360, Dim::CountAmount, nullptr, nullptr, kFNPairs2},
    {4361, 4361, Dim::None, "Количество документов с начала работы ФН"},
    {4362, 4425, Dim::OpNumber, "Накопление %1 по признаку предмета расчета %2 с начала работы ФН"},
    {4426, 4449, Dim::OpRate, "Оборот %1 по ставке %2 с начала работы ФН"},
    {4450, 4473, Dim::OpRate, "Сумма налога с %1 по ставке %2 с начала работы ФН"},
    {4474, 4489, Dim::OpForm, "Накопление %1 %2 с начала работы ФН"},
    {4490, 4490, Dim::None, "Накопление встречным предоставлением с начала работы ФН"},
};

// The operation registers without the 32-bit pairs (185..199 come below).
const Range kOperation[] = {
    {0, 63, Dim::OpNumber, "Количество %1 в %2 отдел в чеке"},
    {64, 127, Dim::OpNumber, "Количество %1 в %2 отдел в смене"},
    {128, 131, Dim::Op, "Количество скидок с %1 в смене"},
    {132, 135, Dim::Op, "Количество надбавок с %1 в смене"},
    {136, 139, Dim::Op, "Количество сторно %1 в смене"},
    {140, 143, Dim::Op, "Количество чеков %1 в смене"},
    {144, 147, Dim::Op, "Количество чеков %1 с начала работы"},
    {148, 151, Dim::Op, "Количество аннулированных чеков %1 в смене"},
    {152, 152, Dim::None, "Количество внесений в смене"},
    {153, 153, Dim::None, "Количество выплат в смене"},
    {154, 154, Dim::None, "Количество внесений с начала работы"},
    {155, 155, Dim::None, "Количество выплат с начала работы"},
    {156, 171, Dim::Number, "Количество оплат типом оплаты %1 в смене"},
    {172, 177, Dim::Number, "Количество операций с налогом %1 в смене"},
    {178, 178, Dim::None, "Количество отчетов без гашения"},
    {179, 179, Dim::None, "Количество отчетов с гашением"},
    {180, 180, Dim::None, "Количество открытий денежного ящика"},
    {181, 181, Dim::None, "Количество отрезов чека"},
    {182, 182, Dim::None, "Количество аннулированных чеков с начала работы"},
    {183, 183, Dim::None, "Количество включений питания"},
    {184, 184, Dim::None, "Количество инициализаций таблиц"},
    {187, 190, Dim::Op, "Количество чеков коррекции %1 в смене"},
    {191, 194, Dim::Op, "Количество чеков коррекции %1 с начала работы"},
    {200, 203, Dim::Op, "Количество позиций %1 в чеке"},
    {204, 207, Dim::Op, "Количество позиций %1 в смене"},
    {208, 211, Dim::Op, "Количество скидок с %1 в чеке"},
    {212, 215, Dim::Op, "Количество надбавок с %1 в чеке"},
    {216, 219, Dim::Op, "Количество сторно %1 в чеке"},
    {220, 235, Dim::Number, "Количество оплат типом оплаты %1 в чеке"},
    {236, 241, Dim::Number, "Количество операций с налогом %1 в чеке"},
    {242, 242, Dim::None, "Количество смен с начала работы"},
    {243, 243, Dim::None, "Количество отчетов по отделам"},
    {244, 244, Dim::None, "Количество отчетов по кассирам"},
    {245, 245, Dim::None, "Количество отчетов по часам"},
    {246, 246, Dim::None, "Количество отчетов по товарам"},
    {247, 247, Dim::None, "Количество программирований даты"},
    {248, 248, Dim::None, "Количество программирований времени"},
    {249, 249, Dim::None, "Количество технологических обнулений"},
    {250, 255, Dim::Number, "Резервный регистр %1"},
};

// The 32-bit counters, each a pair of registers (low half, high half), and the
// one ordinary register among them: with a fiscal storage 185/186, 196/197,
// 198/199 (195 ordinary); without one 185/186, 195/196, 197/198 (199 ordinary).
const char* const kCounters[] = {"Сквозной номер документа", "Количество чеков с начала работы",
                                 "Количество документов с начала работы"};
const char* const kOrdinaryFN = "Количество отчетов о состоянии расчетов";
const char* const kOrdinaryNoFN = "Количество фискализаций";

QString U(const char* s) {
    return QString::fromUtf8(s);
}

QString NameIn(const Range* begin, const Range* end, int reg) {
    for (const Range* r = begin; r != end; ++r) {
        if (reg < r->first || reg > r->last)
            continue;
        const int i = reg - r->first;
        const QString p = r->pattern ? U(r->pattern) : QString();
        switch (r->dim) {
        case Dim::None:
            return p;
        case Dim::Op:
            return p.arg(U(kOps[i % kOpCount]));
        case Dim::OpNumber:
            return p.arg(U(kOps[i % kOpCount])).arg(i / kOpCount + 1);
        case Dim::OpRate:
            return p.arg(U(kOps[i % kOpCount]), U(kRates[i / kOpCount]));
        case Dim::OpForm:
            return p.arg(U(kOps[i % kOpCount]), U(kForms[i / kOpCount]));
        case Dim::Number:
            return p.arg(i + 1);
        case Dim::OpBlock: {
            const QString op = U(kOps[i / (kPartCount + 1)]);
            const int part = i % (kPartCount + 1);
            return part < kPartCount ? p.arg(op, U(kParts[part])) : U(r->count).arg(op);
        }
        case Dim::CountAmount:
            return (i % 2 == 0 ? QStringLiteral("Количество ") : QStringLiteral("Сумма ")) +
                   U(r->list[i / 2]);
        }
    }
    return {};
}

} // namespace

namespace VRTotals {

bool IsCashReg(int reg) {
    return reg >= 0 && reg < kCashRegs;
}
bool IsCashRegEx(int reg) {
    return reg >= kFirstCashRegEx && reg <= kLastCashRegEx;
}
bool IsOperationReg(int reg) {
    return reg >= 0 && reg < kOperationRegs;
}

QString CashRegName(int reg) {
    return IsCashReg(reg) ? NameIn(std::begin(kCash), std::end(kCash), reg) : QString();
}

QString CashRegExName(int reg) {
    return IsCashRegEx(reg) ? NameIn(std::begin(kCashEx), std::end(kCashEx), reg) : QString();
}

bool IsCountRegEx(int reg) {
    return CashRegExName(reg).startsWith(QStringLiteral("Количество "));
}

std::vector<std::pair<int, int>> Pairs(bool capFN) {
    if (capFN)
        return {{185, 186}, {196, 197}, {198, 199}};
    return {{185, 186}, {195, 196}, {197, 198}};
}

QString OperationRegName(int reg, bool capFN) {
    if (!IsOperationReg(reg))
        return {};
    const auto pairs = Pairs(capFN);
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (reg == pairs[i].first)
            return U(kCounters[i]) + QStringLiteral(", младшие 16 бит");
        if (reg == pairs[i].second)
            return U(kCounters[i]) + QStringLiteral(", старшие 16 бит");
    }
    if (reg >= 195 && reg <= 199)
        return U(capFN ? kOrdinaryFN : kOrdinaryNoFN);
    return NameIn(std::begin(kOperation), std::end(kOperation), reg);
}

} // namespace VRTotals
