#pragma once
// The line builders of the status pages' text reports in a read-only memo.

#include <QString>

class QPlainTextEdit;

class TReport {
public:
    explicit TReport(QPlainTextEdit* memo) : FMemo(memo) {}

    void Clear();
    // A line as given, without the leading blank.
    void AddText(const QString& line);
    // A blank followed by the text.
    void AddMemoLine(const QString& text);
    // "%-*s: %s": the label padded to width, ": ", the value.
    void AddLineWidth(const QString& label, const QString& value, int width);

private:
    QPlainTextEdit* FMemo;
    int FLineCount = 0;
};
