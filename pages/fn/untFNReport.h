#pragma once
// The report lines of the fiscal storage pages: labels padded to 24 columns,
// yes/no lines to 40, and the value lists (work modes, tax systems, reasons
// of a registration change) that several of these pages print.

#include "pages/status/untReport.h"

#include <QDateTime>
#include <QString>

class QPlainTextEdit;

class TFNLines {
public:
    explicit TFNLines(QPlainTextEdit* memo) : FReport(memo) {}

    void Clear() { FReport.Clear(); }
    void AddText(const QString& line) { FReport.AddText(line); }
    void AddMemoLine(const QString& text) { FReport.AddMemoLine(text); }
    void AddLineWidth(const QString& label, const QString& value, int width) {
        FReport.AddLineWidth(label, value, width);
    }
    void AddLine(const QString& label, const QString& value);
    void AddBool(const QString& label, bool flag);
    void AddSeparator();

    // "Режим работы" and one line for each of the first `bits` work-mode bits.
    void AddWorkMode(int workMode, int bits);
    // "Расширенные признаки работы ККТ" and one line for each of the first
    // `bits` bits of the extended work mode.
    void AddWorkModeEx(int workModeEx, int bits);
    // "Код сист. налогообложения" and its six bits.
    void AddTaxSystem(int taxType);
    // "Код причины изменения сведений о ККТ" and a line per set reason bit.
    void AddRegistrationReasonCodeEx(qint64 mask);

private:
    TReport FReport;
};

namespace FNReport {

// "%.2xh, %s": at least two upper-case hex digits, "h", ", ", the text.
QString HexText(int value, const QString& text);
// "%.2xh, %d".
QString HexDec(int value);
// A date with the time added unless it is midnight.
QString DateTimeText(const QDateTime& date, const QDateTime& time);

} // namespace FNReport
