#include "platform/Crc.h"

quint16 CRCCITT16(QByteArrayView data, quint16 crc) {
    for (char ch : data) {
        crc ^= quint16(quint8(ch)) << 8;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}
