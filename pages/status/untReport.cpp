#include "pages/status/untReport.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

void TReport::Clear() {
    FMemo->clear();
    FLineCount = 0;
}

void TReport::AddText(const QString& line) {
    // appendPlainText would drop an empty first line; text the memo got by
    // other means (a saved text, an operator's edit) starts a new line too.
    QTextCursor cursor(FMemo->document());
    cursor.movePosition(QTextCursor::End);
    if (FLineCount > 0 || !FMemo->document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(line);
    ++FLineCount;
}

void TReport::AddMemoLine(const QString& text) {
    AddText(QLatin1Char(' ') + text);
}

void TReport::AddLineWidth(const QString& label, const QString& value, int width) {
    AddMemoLine(label.leftJustified(width) + QStringLiteral(": ") + value);
}
