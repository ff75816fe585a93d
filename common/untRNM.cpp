#include "common/untRNM.h"

#include "platform/Crc.h"

#include <QByteArray>

namespace {

QString Widen(const QString& text, int width, TRNMLongValues longValues) {
    if (text.size() >= width)
        return longValues == TRNMLongValues::Cut ? text.left(width) : text;
    return QString(width - text.size(), QLatin1Char('0')) + text;
}

} // namespace

QString GenerateRNM(const QString& number, const QString& inn, const QString& serial,
                    TRNMLongValues longValues) {
    const QString n = Widen(number, 10, longValues);
    const QString joined = n + Widen(inn, 12, longValues) + Widen(serial, 20, longValues);
    QByteArray data(joined.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < joined.size(); ++i)
        data[i] = char(joined[i].unicode() & 0xFF);
    const quint16 crc = CRCCITT16(data, 0xFFFF);
    return n + Widen(QString::number(crc), 6, TRNMLongValues::Cut);
}
