#include "driver/ResultCodes.h"
#include "ledgra/Transport.h"
#include "vregister/VRState.h"
#include "vregister/VirtualRegister.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <optional>

namespace {

// A corrupt database is reported once per process, by the first object that
// opens the register after it was set aside.
bool FirstReport(const QString& aside) {
    static QMutex lock;
    static QSet<QString> reported;
    QMutexLocker l(&lock);
    if (reported.contains(aside))
        return false;
    reported.insert(aside);
    return true;
}

class EmbeddedTransport final : public ITransport {
public:
    EmbeddedTransport(QString path, std::optional<SerialOptions> serial)
        : FPath(std::move(path)), FSerial(serial) {}

    int Open() override {
        try {
            FRegister = VR::Shared(FPath);
        } catch (const EStore& e) {
            FError = QStringLiteral("%1: %2").arg(Ledgra::ResultText(e.Code()),
                                                  QString::fromUtf8(e.what()));
            return e.Code();
        }
        const QString aside = FRegister->SetAsideReport();
        if (!aside.isEmpty() && FirstReport(aside)) {
            FError =
                QStringLiteral("%1 (%2)").arg(Ledgra::ResultText(int(RC::StoreCorrupt)), aside);
            FRegister.reset();
            return int(RC::StoreCorrupt);
        }
        return 0;
    }
    void Close() override { FRegister.reset(); }
    bool IsOpen() const override { return FRegister != nullptr; }

    int Exchange(const QByteArray& request, int timeoutMs, QByteArray& answer) override {
        if (!FRegister)
            return int(RC::NoLink);
        if (FSerial) {
            // Reached as a serial port, the register hears only its own rate
            // (it may change between calls: SetExchangeParam of port 0).
            int rate = 0;
            try {
                FRegister->WithStore([&](VRStore& s) { rate = VRState::SerialRate(s); });
            } catch (const EStore& e) {
                return e.Code();
            }
            if (rate != FSerial->baudCode) {
                // Silence on the wire, for each send the caller allows.
                QThread::msleep(ulong(qMax(0, timeoutMs)) *
                                ulong(qBound(1, FSerial->sendCount, 10)));
                return int(RC::NoLink);
            }
        }
        QElapsedTimer t;
        t.start();
        answer = FRegister->HandleFrame(request);
        // An injected delay past the timeout is a lost answer, as on a wire.
        if (answer.isEmpty() || t.elapsed() > timeoutMs) {
            answer.clear();
            Close();
            return int(RC::NoLink);
        }
        return 0;
    }
    QString LastError() const override { return FError; }

private:
    QString FPath;
    std::optional<SerialOptions> FSerial;
    QString FError;
    std::shared_ptr<VirtualRegister> FRegister;
};

} // namespace

std::unique_ptr<ITransport> MakeEmbeddedTransport(const QString& dbPath) {
    return std::make_unique<EmbeddedTransport>(dbPath, std::nullopt);
}

std::unique_ptr<ITransport> MakeEmbeddedSerialTransport(const QString& dbPath,
                                                        const SerialOptions& options) {
    return std::make_unique<EmbeddedTransport>(dbPath, options);
}
