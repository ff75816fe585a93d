#include "driver/ResultCodes.h"
#include "ledgra/Transport.h"
#include "vregister/VirtualRegister.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QSet>

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
    explicit EmbeddedTransport(QString path) : FPath(std::move(path)) {}

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
    QString FError;
    std::shared_ptr<VirtualRegister> FRegister;
};

} // namespace

std::unique_ptr<ITransport> MakeEmbeddedTransport(const QString& dbPath) {
    return std::make_unique<EmbeddedTransport>(dbPath);
}
