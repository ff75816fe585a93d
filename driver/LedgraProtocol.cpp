#include "driver/LedgraProtocol.h"

#include "driver/Currency.h"
#include "platform/Crc.h"

#include <QDateTime>
#include <QtEndian>
#include <cstring>

namespace LedgraProtocol {
namespace {

class Writer {
public:
    void u8(quint8 v) { FBuf.append(char(v)); }
    void u16(quint16 v) { put(qToLittleEndian(v)); }
    void u32(quint32 v) { put(qToLittleEndian(v)); }
    void i32(qint32 v) { put(qToLittleEndian(v)); }
    void i64(qint64 v) { put(qToLittleEndian(v)); }
    void bytes(QByteArrayView b) { FBuf.append(b.data(), b.size()); }
    QByteArray& buffer() { return FBuf; }

private:
    template <typename T> void put(T v) {
        FBuf.append(reinterpret_cast<const char*>(&v), sizeof v);
    }
    QByteArray FBuf;
};

class Reader {
public:
    explicit Reader(QByteArrayView b) : FData(b) {}
    bool u8(quint8& v) { return get(v); }
    bool u16(quint16& v) { return get(v) && (v = qFromLittleEndian(v), true); }
    bool u32(quint32& v) { return get(v) && (v = qFromLittleEndian(v), true); }
    bool i32(qint32& v) { return get(v) && (v = qFromLittleEndian(v), true); }
    bool i64(qint64& v) { return get(v) && (v = qFromLittleEndian(v), true); }
    bool bytes(qsizetype n, QByteArrayView& out) {
        if (n < 0 || FData.size() - FPos < n)
            return false;
        out = FData.sliced(FPos, n);
        FPos += n;
        return true;
    }
    QByteArrayView rest() const { return FData.sliced(FPos); }
    bool atEnd() const { return FPos == FData.size(); }

private:
    template <typename T> bool get(T& v) {
        if (FData.size() - FPos < qsizetype(sizeof v))
            return false;
        std::memcpy(&v, FData.data() + FPos, sizeof v);
        FPos += sizeof v;
        return true;
    }
    QByteArrayView FData;
    qsizetype FPos = 0;
};

enum VarTag : quint8 { VarNull = 0, VarInt = 1, VarBool = 2, VarStr = 3, VarDbl = 4 };

QByteArray EncodeValue(const PropertyInfo& p, const QVariant& v) {
    Writer w;
    switch (p.type) {
    case ValueType::Int:
        w.i32(v.toInt());
        break;
    case ValueType::UInt:
        w.u32(v.toUInt());
        break;
    case ValueType::Bool:
        w.u8(v.toBool() ? 1 : 0);
        break;
    case ValueType::Cur:
        w.i64(v.value<Currency>().raw);
        break;
    case ValueType::Dbl: {
        const double d = v.toDouble();
        qint64 bits;
        std::memcpy(&bits, &d, sizeof bits);
        w.i64(bits);
        break;
    }
    case ValueType::Date: {
        const QDateTime d = v.toDateTime();
        // Wall-clock time of the register, carried without a zone.
        w.i64(d.isValid() ? QDateTime(d.date(), d.time(), Qt::UTC).toMSecsSinceEpoch()
                          : std::numeric_limits<qint64>::min());
        break;
    }
    case ValueType::Str:
        w.bytes(p.bytes ? v.toString().toLatin1() : v.toString().toUtf8());
        break;
    case ValueType::Var:
        switch (v.typeId()) {
        case QMetaType::UnknownType:
            w.u8(VarNull);
            break;
        case QMetaType::Bool:
            w.u8(VarBool), w.u8(v.toBool());
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            w.u8(VarInt), w.i64(v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = v.toDouble();
            qint64 bits;
            std::memcpy(&bits, &d, sizeof bits);
            w.u8(VarDbl), w.i64(bits);
            break;
        }
        default:
            w.u8(VarStr), w.bytes(v.toString().toUtf8());
            break;
        }
        break;
    }
    return w.buffer();
}

bool DecodeValue(const PropertyInfo& p, QByteArrayView b, QVariant& out) {
    Reader r(b);
    switch (p.type) {
    case ValueType::Int: {
        qint32 v;
        if (!r.i32(v))
            return false;
        out = int(v);
        break;
    }
    case ValueType::UInt: {
        quint32 v;
        if (!r.u32(v))
            return false;
        out = uint(v);
        break;
    }
    case ValueType::Bool: {
        quint8 v;
        if (!r.u8(v) || v > 1)
            return false;
        out = bool(v);
        break;
    }
    case ValueType::Cur: {
        qint64 v;
        if (!r.i64(v))
            return false;
        out = QVariant::fromValue(Currency::FromRaw(v));
        break;
    }
    case ValueType::Dbl: {
        qint64 bits;
        if (!r.i64(bits))
            return false;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        out = d;
        break;
    }
    case ValueType::Date: {
        qint64 v;
        if (!r.i64(v))
            return false;
        if (v == std::numeric_limits<qint64>::min()) {
            out = QDateTime();
        } else {
            const QDateTime u = QDateTime::fromMSecsSinceEpoch(v, Qt::UTC);
            if (!u.isValid())
                return false;
            out = QDateTime(u.date(), u.time());
        }
        break;
    }
    case ValueType::Str:
        out = p.bytes ? QString::fromLatin1(b.data(), b.size())
                      : QString::fromUtf8(b.data(), b.size());
        return true;
    case ValueType::Var: {
        quint8 tag;
        if (!r.u8(tag))
            return false;
        switch (tag) {
        case VarNull:
            out = QVariant();
            break;
        case VarBool: {
            quint8 v;
            if (!r.u8(v) || v > 1)
                return false;
            out = bool(v);
            break;
        }
        case VarInt: {
            qint64 v;
            if (!r.i64(v))
                return false;
            out = qlonglong(v);
            break;
        }
        case VarDbl: {
            qint64 bits;
            if (!r.i64(bits))
                return false;
            double d;
            std::memcpy(&d, &bits, sizeof d);
            out = d;
            break;
        }
        case VarStr: {
            const QByteArrayView s = r.rest();
            out = QString::fromUtf8(s.data(), s.size());
            return true;
        }
        default:
            return false;
        }
        break;
    }
    }
    return r.atEnd();
}

void EncodeItems(Writer& w, const Values& values) {
    w.u16(quint16(values.size()));
    for (const auto& [id, v] : values) {
        const PropertyInfo& p = Ledgra::Info(id);
        const QByteArray b = EncodeValue(p, v);
        w.u16(quint16(id));
        w.u8(quint8(p.type));
        w.u32(quint32(b.size()));
        w.bytes(b);
    }
}

bool DecodeItems(Reader& r, Values& values, QString* error) {
    quint16 count;
    if (!r.u16(count))
        return false;
    for (quint16 i = 0; i < count; ++i) {
        quint16 id;
        quint8 type;
        quint32 len;
        QByteArrayView b;
        if (!r.u16(id) || !r.u8(type) || !r.u32(len) || !r.bytes(qsizetype(len), b))
            return false;
        const PropertyInfo* p = Ledgra::FindProperty(id);
        if (!p)
            continue; // a newer peer's member: skip it
        QVariant v;
        if (quint8(p->type) != type || !DecodeValue(*p, b, v)) {
            if (error)
                *error = QStringLiteral("неверное значение свойства %1").arg(p->name);
            return false;
        }
        values.emplace_back(p->id, v);
    }
    return r.atEnd();
}

QByteArray Frame(FrameKind kind, const QByteArray& payload) {
    Writer w;
    w.u8('L');
    w.u8('G');
    w.u8(kVersion);
    w.u8(quint8(kind));
    w.u32(quint32(payload.size()));
    w.bytes(payload);
    w.u16(CRCCITT16(w.buffer()));
    return w.buffer();
}

// Checks magic, version, length and CRC; gives the kind and the payload.
bool Unframe(QByteArrayView frame, FrameKind& kind, QByteArrayView& payload, QString* error) {
    qsizetype size = 0;
    if (ScanFrame(frame, &size) != Scan::Complete || size != frame.size()) {
        if (error)
            *error = QStringLiteral("неверная длина кадра");
        return false;
    }
    const QByteArrayView body = frame.first(size - kTrailerSize);
    const quint16 crc = quint16(quint8(frame[size - 2]) | (quint8(frame[size - 1]) << 8));
    if (CRCCITT16(body) != crc) {
        if (error)
            *error = QStringLiteral("неверная контрольная сумма кадра");
        return false;
    }
    kind = FrameKind(quint8(frame[3]));
    payload = body.sliced(kHeaderSize);
    return true;
}

void Fail(QString* error, const char* what) {
    if (error && error->isEmpty())
        *error = QString::fromUtf8(what);
}

} // namespace

QByteArray Encode(const Request& r) {
    Writer w;
    switch (r.kind) {
    case FrameKind::MethodRequest:
        w.u16(quint16(r.method));
        w.i32(r.password);
        EncodeItems(w, r.inputs);
        break;
    case FrameKind::RawRequest:
        w.i32(r.password);
        w.bytes(r.raw);
        break;
    case FrameKind::ServiceRequest:
        w.bytes(r.command.toUtf8());
        break;
    default:
        break;
    }
    return Frame(r.kind, w.buffer());
}

QByteArray Encode(const Answer& a) {
    Writer w;
    w.i32(a.code);
    switch (a.kind) {
    case FrameKind::MethodAnswer:
        w.u8(a.operatorNumber);
        EncodeItems(w, a.outputs);
        break;
    case FrameKind::RawAnswer:
        w.u8(a.operatorNumber);
        w.bytes(a.raw);
        break;
    case FrameKind::ServiceAnswer:
        w.bytes(a.text.toUtf8());
        break;
    default:
        break;
    }
    return Frame(a.kind, w.buffer());
}

Scan ScanFrame(QByteArrayView b, qsizetype* frameSize) {
    if (b.size() >= 1 && b[0] != 'L')
        return Scan::Bad;
    if (b.size() >= 2 && b[1] != 'G')
        return Scan::Bad;
    if (b.size() >= 3 && quint8(b[2]) != kVersion)
        return Scan::Bad;
    if (b.size() >= 4 && (quint8(b[3]) < 1 || quint8(b[3]) > 6))
        return Scan::Bad;
    if (b.size() < kHeaderSize)
        return Scan::NeedMore;
    quint32 len;
    std::memcpy(&len, b.data() + 4, 4);
    len = qFromLittleEndian(len);
    if (len > kMaxPayload)
        return Scan::Bad;
    const qsizetype total = kHeaderSize + qsizetype(len) + kTrailerSize;
    if (frameSize)
        *frameSize = total;
    return b.size() >= total ? Scan::Complete : Scan::NeedMore;
}

std::optional<Request> DecodeRequest(QByteArrayView frame, QString* error) {
    FrameKind kind;
    QByteArrayView payload;
    if (!Unframe(frame, kind, payload, error))
        return std::nullopt;
    Reader r(payload);
    Request q;
    q.kind = kind;
    switch (kind) {
    case FrameKind::MethodRequest: {
        quint16 id;
        if (!r.u16(id) || !r.i32(q.password)) {
            Fail(error, "короткий кадр");
            return std::nullopt;
        }
        const MethodInfo* m = Ledgra::FindMethod(id);
        if (!m) {
            Fail(error, "неизвестный метод");
            return std::nullopt;
        }
        q.method = m->id;
        if (!DecodeItems(r, q.inputs, error)) {
            Fail(error, "неверный список свойств");
            return std::nullopt;
        }
        return q;
    }
    case FrameKind::RawRequest:
        if (!r.i32(q.password)) {
            Fail(error, "короткий кадр");
            return std::nullopt;
        }
        q.raw = r.rest().toByteArray();
        return q;
    case FrameKind::ServiceRequest:
        q.command = QString::fromUtf8(payload.data(), payload.size());
        return q;
    default:
        Fail(error, "кадр не является запросом");
        return std::nullopt;
    }
}

std::optional<Answer> DecodeAnswer(QByteArrayView frame, QString* error) {
    FrameKind kind;
    QByteArrayView payload;
    if (!Unframe(frame, kind, payload, error))
        return std::nullopt;
    Reader r(payload);
    Answer a;
    a.kind = kind;
    if (!r.i32(a.code)) {
        Fail(error, "короткий кадр");
        return std::nullopt;
    }
    switch (kind) {
    case FrameKind::MethodAnswer:
        if (!r.u8(a.operatorNumber) || !DecodeItems(r, a.outputs, error)) {
            Fail(error, "неверный список свойств");
            return std::nullopt;
        }
        return a;
    case FrameKind::RawAnswer:
        if (!r.u8(a.operatorNumber)) {
            Fail(error, "короткий кадр");
            return std::nullopt;
        }
        a.raw = r.rest().toByteArray();
        return a;
    case FrameKind::ServiceAnswer: {
        const QByteArrayView s = r.rest();
        a.text = QString::fromUtf8(s.data(), s.size());
        return a;
    }
    default:
        Fail(error, "кадр не является ответом");
        return std::nullopt;
    }
}

} // namespace LedgraProtocol
