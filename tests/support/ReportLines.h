#pragma once
// The lines the pages' reports print, as the tests expect them: " label: value"
// with the label padded to its column, flags as "[да]"/"[нет]", separators of
// dashes; and which status lines only some registers show.

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <utility>
#include <vector>

namespace ReportLines {

inline QString ReportLine(const QString& label, const QString& value, int width) {
    return QLatin1Char(' ') + label.leftJustified(width) + QStringLiteral(": ") + value;
}

inline QString ReportFlag(const QString& label, bool flag, int width) {
    return ReportLine(label, flag ? QStringLiteral("[да]") : QStringLiteral("[нет]"), width);
}

inline QString ReportSeparator(int dashes = 40) {
    return QLatin1Char(' ') + QString(dashes, QLatin1Char('-'));
}

// Which registers show a status line: every one, one without a fiscal storage,
// a cash-core one, a cash-core one without a fiscal storage.
enum ReportShow { Always, NoFN, CashCore, CashCoreNoFN };
using ReportRows = std::vector<std::pair<QString, ReportShow>>;

inline ReportRows Concat(std::initializer_list<ReportRows> parts) {
    ReportRows all;
    for (const ReportRows& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline QStringList PickReportLines(const ReportRows& rows, bool capFN, bool cashCore) {
    QStringList r;
    for (const auto& [line, show] : rows) {
        const bool fnOk = !capFN || (show != NoFN && show != CashCoreNoFN);
        const bool coreOk = cashCore || (show != CashCore && show != CashCoreNoFN);
        if (fnOk && coreOk)
            r << line;
    }
    return r;
}

// The register's flags as the status reports print them for the tests'
// status (flags 02A0h).
inline ReportRows DeviceFlagRows() {
    const auto B = [](const char* label, bool flag) {
        return ReportFlag(QString::fromUtf8(label), flag, 33);
    };
    return {{B("Увеличенная точность количества", false), Always},
            {B("Бумага на выходе из накопителя", false), Always},
            {B("Бумага на входе в накопитель", true), Always},
            {B("ЭКЛЗ почти заполнена", false), NoFN},
            {B("Денежный ящик открыт", true), Always},
            {B("Крышка корпуса поднята", false), Always},
            {B("Рычаг термоголовки чека опущен", false), Always},
            {B("Рычаг термоголовки журнала опущен", false), Always},
            {B("Оптический датчик чека", false), Always},
            {B("Оптический датчик журнала", false), Always},
            {B("ЭКЛЗ есть", true), NoFN},
            {B("2 знака после запятой в цене", true), Always},
            {B("Нижний датчик ПД", false), Always},
            {B("Верхний датчик ПД", false), Always},
            {B("Рулон чековой ленты", true), Always},
            {B("Рулон контрольной ленты", false), Always}};
}

} // namespace ReportLines
