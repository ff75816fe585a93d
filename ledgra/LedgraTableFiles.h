#pragma once
// Table files: every cell of the register's tables in a UTF-8 CSV file, one
// line a cell, "table;row;field;value"; lines starting with '#' are comments.
// A value with ';', '"', a line break or blanks at its ends is quoted, '"'
// doubled inside. Both walks go through the object's table methods
// (GetTableStruct, GetFieldStruct, ReadTable, WriteTable), so they work over
// any link.

#include <QString>
#include <functional>

class ILedgra;

namespace LedgraTableFiles {

struct Result {
    int code = 0;
    QString description; // empty: the code's own text
};

// Writes every table of the register to the file (replaced as a whole).
Result Export(ILedgra& d, const QString& fileName);
// Reads the whole file and checks every line against the tables' structure
// before writing anything; cells that already hold the value are not
// written. When a write fails, the cells written before it get their old
// values back, so a failed import changes nothing. A refused file gives
// FileError with "Строка N: ..." naming the line.
Result Import(ILedgra& d, const QString& fileName);

// Tests: called before the n-th write of an import (from 0), not before the
// writes that put old values back.
void SetBeforeWriteHook(std::function<void(int n)> hook);

} // namespace LedgraTableFiles
