// Frames from a peer are outside input: the decoders and the register's
// frame handler must survive any bytes.
#include "driver/LedgraProtocol.h"
#include "vregister/VirtualRegister.h"

#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    qsizetype frameSize = 0;
    LedgraProtocol::ScanFrame(bytes, &frameSize);
    LedgraProtocol::DecodeAnswer(bytes);
    if (auto req = LedgraProtocol::DecodeRequest(bytes)) {
        static QTemporaryDir dir;
        static VirtualRegister reg(dir.filePath(QStringLiteral("fuzz.db")));
        if (req->kind != LedgraProtocol::FrameKind::ServiceRequest)
            reg.HandleFrame(bytes);
    }
    return 0;
}
