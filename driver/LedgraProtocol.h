#pragma once
// The framed binary protocol between the component and a device.
//
// Frame:  'L' 'G' | version u8 | kind u8 | payload length u32 | payload | CRC u16
// (integers little-endian; the CRC is CRC-16/CCITT-FALSE of everything
// before it). Payloads:
//   method request  method id u16, password i32, items
//   method answer   result code i32, operator number u8, items
//   raw request     password i32, the command bytes
//   raw answer      result code i32, operator number u8, the answer bytes
//   service request UTF-8 command line (the virtual register's own commands)
//   service answer  result code i32, UTF-8 text
// Item: property id u16, type u8, value length u32, value. The method table
// says which properties travel; a decoder skips ids it does not know and
// rejects an item whose type disagrees with the table.

#include "driver/LedgraTypes.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

namespace LedgraProtocol {

constexpr quint8 kVersion = 1;
constexpr qsizetype kHeaderSize = 8;
constexpr qsizetype kTrailerSize = 2;
constexpr quint32 kMaxPayload = 4u * 1024 * 1024;

enum class FrameKind : quint8 {
    MethodRequest = 1,
    MethodAnswer = 2,
    RawRequest = 3,
    RawAnswer = 4,
    ServiceRequest = 5,
    ServiceAnswer = 6,
};

using Values = std::vector<std::pair<PropertyId, QVariant>>;

struct Request {
    FrameKind kind = FrameKind::MethodRequest;
    MethodId method{};
    qint32 password = 0;
    Values inputs;
    QByteArray raw;  // RawRequest
    QString command; // ServiceRequest
};

struct Answer {
    FrameKind kind = FrameKind::MethodAnswer;
    qint32 code = 0;
    quint8 operatorNumber = 0;
    Values outputs;
    QByteArray raw; // RawAnswer
    QString text;   // ServiceAnswer
};

QByteArray Encode(const Request& r);
QByteArray Encode(const Answer& a);

enum class Scan { Complete, NeedMore, Bad };
// Looks at the start of a buffer: Complete with the frame's total size,
// NeedMore while the header or body is still missing, Bad when the header
// cannot start a frame (wrong magic, version or an oversized length).
Scan ScanFrame(QByteArrayView buffer, qsizetype* frameSize);

// Decoders of one whole frame; nullopt with a reason on any fault.
std::optional<Request> DecodeRequest(QByteArrayView frame, QString* error = nullptr);
std::optional<Answer> DecodeAnswer(QByteArrayView frame, QString* error = nullptr);

} // namespace LedgraProtocol
