#pragma once
// The checks the registration steps apply to what the operator typed: the
// taxpayer number's check digit, the registration number of a register and
// the sender's e-mail address.

#include <QString>

// The tax service's site: offered as the default and compared on the
// operator step.
inline constexpr char kTaxServiceSite[] = "www.nalog.gov.ru";
inline QString TaxServiceSite() {
    return QString::fromLatin1(kTaxServiceSite);
}

enum class TINNCheck {
    Valid,
    Invalid,  // wrong length or check digit
    NotNumber // a character that is not a digit
};

// A 10-digit number is tested on its 10th digit, an 11-digit one on its 11th,
// a 12-digit one on its 12th only; any other length fails.
TINNCheck CheckINN(const QString& inn);
inline bool IsValidINN(const QString& inn) {
    return CheckINN(inn) == TINNCheck::Valid;
}

// The registration number computed from its first ten characters, the ИНН
// and the register's serial equals the one given.
bool IsValidRNM(const QString& rnm, const QString& inn, const QString& serial);

// An "@" that is neither the first nor the last character.
bool IsValidEmail(const QString& email);
