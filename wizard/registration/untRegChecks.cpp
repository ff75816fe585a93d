#include "wizard/registration/untRegChecks.h"

#include "common/untRNM.h"

namespace {
constexpr int kWeights[] = {3, 7, 2, 4, 10, 3, 5, 9, 4, 6, 8};
constexpr int kWeightCount = int(std::size(kWeights));
} // namespace

TINNCheck CheckINN(const QString& inn) {
    const int length = int(inn.size());
    if (length < 10 || length > 12)
        return TINNCheck::Invalid;
    int digits[12] = {};
    for (int i = 0; i < length; ++i) {
        const QChar ch = inn[i];
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return TINNCheck::NotNumber;
        digits[i] = ch.unicode() - '0';
    }
    // The weights end at the check digit: the shorter the number, the later
    // its first weight.
    const int first = kWeightCount + 1 - length;
    int sum = 0;
    for (int i = 0; i < length - 1; ++i)
        sum += digits[i] * kWeights[first + i];
    return sum % 11 % 10 == digits[length - 1] ? TINNCheck::Valid : TINNCheck::Invalid;
}

bool IsValidRNM(const QString& rnm, const QString& inn, const QString& serial) {
    return GenerateRNM(rnm.left(10), inn, serial, TRNMLongValues::Keep) == rnm;
}

bool IsValidEmail(const QString& email) {
    const qsizetype at = email.indexOf(QLatin1Char('@'));
    return at > 0 && at < email.size() - 1;
}
