#include "wizard/search/ComportUtils.h"

#include "platform/SerialPorts.h"

namespace {

QString TrimRight(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).isSpace())
        --n;
    return s.left(n);
}

// The number made of text's digits only; -1 for anything else.
int DecimalOrMinusOne(const QString& text) {
    if (text.isEmpty())
        return -1;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    bool ok = false;
    const int n = text.toInt(&ok, 10);
    return ok ? n : -1;
}

// The four hex digits after the first key in the lower-cased text; 0 when
// the key is absent or what follows is not four hex digits.
int HexAfter(const QString& lower, QLatin1String key) {
    const qsizetype at = lower.indexOf(key);
    if (at < 0)
        return 0;
    const QString digits = lower.mid(at + key.size(), 4);
    if (digits.size() != 4)
        return 0;
    int v = 0;
    for (QChar c : digits) {
        const int d = c.isDigit() && c.unicode() < 128                 ? c.unicode() - '0'
                      : c >= QLatin1Char('a') && c <= QLatin1Char('f') ? c.unicode() - 'a' + 10
                                                                       : -1;
        if (d < 0)
            return 0;
        v = v * 16 + d;
    }
    return v;
}

} // namespace

int ComNumberOfFriendlyName(const QString& friendlyName) {
    if (friendlyName.contains(QLatin1String("(LPT")))
        return -1;
    const QLatin1String key("(COM");
    const qsizetype at = friendlyName.indexOf(key);
    if (at < 0)
        return -1;
    const qsizetype from = at + key.size();
    const qsizetype end = friendlyName.indexOf(QLatin1Char(')'), from);
    if (end < 0)
        return -1;
    return DecimalOrMinusOne(friendlyName.mid(from, end - from));
}

int VendorIdOfHWStr(const QString& hwStr) {
    return HexAfter(hwStr.toLower(), QLatin1String("vid_"));
}

int ProductIdOfHWStr(const QString& hwStr) {
    const QString lower = hwStr.toLower();
    if (!lower.contains(QLatin1String("vid_")))
        return 0;
    return HexAfter(lower, QLatin1String("pid_"));
}

void TSerialPorts::EnumPorts() {
    Clear();
    for (const Platform::SerialPortInfo& p : Platform::SerialPorts()) {
        TSerialPortRec rec;
        rec.FriendlyName = TrimRight(p.friendlyName);
        rec.ComNumber = ComNumberOfFriendlyName(rec.FriendlyName);
        rec.Name = QStringLiteral("COM%1").arg(rec.ComNumber);
        rec.HWStr = TrimRight(p.hardwareId);
        if (rec.ComNumber >= 0)
            Add(rec);
    }
}

int TSerialPorts::IndexOfComNumber(int comNumber) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[size_t(i)].ComNumber == comNumber)
            return i;
    return -1;
}
