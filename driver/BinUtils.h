#pragma once
// Bytes, hexadecimal text and bits. An "8-bit string" here is a QByteArray,
// one char a byte. A driver string that carries bytes is a QString whose
// character n is byte n (Latin-1); BytesToString/StringToBytes convert.

#include <QByteArray>
#include <QString>

using TBytes = QByteArray;

// "0A 01 FF": upper-case hex, one blank between bytes, none at the end.
QString StrToHex(const QByteArray& data);
// "0A 01 FF " with AddSpace (a blank after every byte), "0A01FF" without.
QString StrToHex(const QByteArray& data, bool addSpace);
// Reads hex byte by byte: two digits, or one digit followed by a blank, make a
// byte; blanks between bytes are free. Stops at the first piece that is no hex
// number and returns the bytes read before it ("0G12" gives nothing).
QByteArray HexToStr(const QString& text);

QString BytesToHex(const TBytes& bytes);
TBytes HexToBytes(const QString& text);
// Bytes to the driver's byte-carrying string and back, byte for byte; a
// character above 255 keeps its low byte.
QString BytesToString(const TBytes& bytes);
TBytes StringToBytes(const QString& text);

// Count (1..8) bytes of data from position (counted from 1), little-endian;
// 0 when the position or count is out of range or the data are too short.
qint64 BinToInt(const QByteArray& data, int position, int count);
// The count (1..8) low bytes of value, little-endian; empty for other counts.
QByteArray IntToBin(qint64 value, int count);
QString Int64ToStr(qint64 value);

// Bit 0 is the lowest; a bit outside 0..63 is never set.
void SetBit(qint64& value, int bit);
void SetBit(int& value, int bit);
bool TestBit(qint64 value, int bit);

int Min(int a, int b);
