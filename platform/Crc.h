#pragma once
#include <QByteArrayView>
#include <cstdint>

// CRC-16/CCITT-FALSE: polynomial 1021h, initial FFFFh, no reflection, no
// final XOR. Frames of the device protocol and registration numbers use it.
quint16 CRCCITT16(QByteArrayView data, quint16 crc = 0xFFFF);
