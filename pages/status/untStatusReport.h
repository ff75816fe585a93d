#pragma once
// The pieces that the status reports share: value texts, the register's flag
// lines and the device flags block, the register line of the register lists,
// and the aborts that end a long report with an explanatory last line.

#include "driver/TLedgra.h"
#include "pages/status/untReport.h"
#include "platform/LedgraErrors.h"

#include <QString>
#include <functional>
#include <span>

class QWidget;

// The line builders of one report with its page's columns, written through
// the memo's TReport.
class TReportLines {
public:
    TReportLines(TReport& report, int lineWidth, int boolWidth, int separatorWidth)
        : FReport(report), FLineWidth(lineWidth), FBoolWidth(boolWidth),
          FSeparatorWidth(separatorWidth) {}

    TReport& Memo() { return FReport; }
    void AddText(const QString& line) { FReport.AddText(line); }
    void AddLine(const QString& label, const QString& value);
    void AddBool(const QString& label, bool flag);
    void AddSeparator();
    // An empty line, a separator, the title as given, a separator.
    void AddHeader(const QString& title);

private:
    TReport& FReport;
    int FLineWidth;
    int FBoolWidth;
    int FSeparatorWidth;
};

namespace StatusReport {

QString Num(qint64 value);
// Upper-case hexadecimal with at least `digits` digits.
QString Hex(qint64 value, int digits);
// "%.4xh, %d": hexadecimal with its digits and "h", then decimal.
QString HexDec(qint64 value, int digits);
QString DateText(const QDateTime& value);
QString TimeText(const QDateTime& value);
// A date-time as the locale writes it: the date alone when the time is
// midnight, the time alone on the day a bare time carries (30.12.1899).
QString DateTimeText(const QDateTime& value);
// A floating-point value in the shortest form that reads back the same.
QString FloatText(double value);
// The format ("%1, %2" with its leading blanks) of ECRMode and its
// description.
QString ModeLine(const char* format, TLedgra& d);
// "%d, %s" of ECRAdvancedMode and its description.
QString AdvancedMode(TLedgra& d);
QString InterfaceName(int port);

// One yes/no line of a status report: the label, the flag, whether only a
// register without a fiscal storage has it, whether it shows the negated
// flag, and whether the full status leaves it out.
struct FlagLine {
    const char* label;
    bool (TLedgra::*flag)() const;
    bool noFN = false;
    bool negate = false;
    bool notInFullStatus = false;
};

std::span<const FlagLine> DeviceFlags();
std::span<const FlagLine> FMFlags();
std::span<const FlagLine> CashCoreFlags();

// The flag's value as the report shows it.
bool FlagValue(const FlagLine& line, const TLedgra& d);

// The device flags block: separator, the label with "%.4xh, %d" of
// ECRFlags, separator, the flag lines. capFN is asked only when a line marked
// for registers without a fiscal storage comes.
void AddDeviceFlags(TReportLines& report, TLedgra& d, const QString& label,
                    const std::function<bool()>& capFN);

// The fixed-pitch font of the reports ("Courier New", whichever the system
// has when it is missing).
void SetReportFont(QWidget* memo, int pixelSize = 13);

// A count as a whole amount, for AmountToStr.
Currency WholeAmount(qint64 count);

// The caption block of a register list: an empty line, the caption as given,
// a blank and 54 "-".
void AddListCaption(TReport& report, const QString& caption);

// " %3d.%-*s : %s": a register line of the register lists.
QString RegisterLine(int number, const QString& name, int nameWidth, const QString& value);

} // namespace StatusReport

// An abort that ends a long report with its message as the memo's last line.
// RunHandler still takes it for a silent abort.
class EReportAbort : public EAbort {
public:
    explicit EReportAbort(QString message) : FMessage(std::move(message)) {}
    const QString& Message() const { return FMessage; }

private:
    QString FMessage;
};

namespace StatusReport {
// "<Прервано пользователем>".
[[noreturn]] void RaiseInterrupted();
// "<Прервано в результате ошибки: %d %s>" of the driver's ResultCode and
// ResultCodeDescription.
[[noreturn]] void RaiseDeviceError(TLedgra& d);
// The last line an abort leaves: its own message, or the standard one of a
// silent abort.
QString AbortText(const EAbort& e);
} // namespace StatusReport
