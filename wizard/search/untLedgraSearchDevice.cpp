#include "wizard/search/untLedgraSearchDevice.h"

#include "platform/ComponentFactory.h"
#include "platform/LedgraErrors.h"
#include "platform/SerialPorts.h"

namespace {

constexpr int kMaxBaudCode = 9;
constexpr int kDefaultBaudCode = 6; // 115200

// The order the rates are tried in: the usual rates of registers first.
const std::vector<int> kSearchBaudrates = {115200, 4800,  230400, 460800, 921600,
                                           57600,  19200, 9600,   38400,  2400};

constexpr int kProbeTimeoutMs = 1000;
constexpr int kProbeSearchTimeoutMs = 600;
constexpr int kDefaultTimeoutMs = 600;

QString CodeText(int code, const QString& description) {
    return QStringLiteral("%1, %2").arg(code).arg(description);
}

} // namespace

int TLedgraBaudrate::ToCode(int baudrate) {
    for (int code = 0; code <= kMaxBaudCode; ++code)
        if (Platform::BaudRateOfCode(code) == baudrate)
            return code;
    return kDefaultBaudCode;
}

int TLedgraBaudrate::ToBaudrate(int code) {
    const int rate = Platform::BaudRateOfCode(code);
    return rate != 0 ? rate : Platform::BaudRateOfCode(kDefaultBaudCode);
}

TLedgraSearchDevice::TLedgraSearchDevice() : TLedgraSearchDevice(Platform::CreateComponent()) {}

TLedgraSearchDevice::TLedgraSearchDevice(ILedgraPtr device)
    : FBaudrates(kSearchBaudrates), FDevice(std::make_unique<TLedgraDevice>(std::move(device))) {
    FDevice->SetOFDExchangeSuspended(true);
    FParams.Timeout = kDefaultTimeoutMs;
}

TLedgraSearchDevice::~TLedgraSearchDevice() {
    FCancel = true;
    FThread.reset(); // waits for the thread
    FDevice->Disconnect();
}

void TLedgraSearchDevice::SetParams(const TSearchParamsRec& params) {
    {
        QMutexLocker l(&FLock);
        FParams = params;
    }
    TLedgraDevice& d = *FDevice;
    d.Disconnect();
    d.SetPortNumber(params.PortNumber);
    d.SetTimeout(params.Timeout);
    d.SetConnectionType(0);
    d.SetProtocolType(0);
}

TSearchParamsRec TLedgraSearchDevice::GetParams() const {
    QMutexLocker l(&FLock);
    return FParams;
}

TSearchState TLedgraSearchDevice::GetState() const {
    QMutexLocker l(&FLock);
    return FState;
}

QString TLedgraSearchDevice::GetName() const {
    QMutexLocker l(&FLock);
    return Name;
}

QString TLedgraSearchDevice::GetSerial() const {
    QMutexLocker l(&FLock);
    return Serial;
}

void TLedgraSearchDevice::Added() {
    QMutexLocker l(&FLock);
    FState.Added = true;
}

void TLedgraSearchDevice::Stop() {
    FCancel = true;
}

void TLedgraSearchDevice::Search() {
    FThread.reset(); // waits for the previous search
    // Cleared here, not on the thread: a Stop that comes before the thread
    // runs must not be lost, and the state must not read as finished from
    // the previous search.
    FCancel = false;
    {
        QMutexLocker l(&FLock);
        FState = TSearchState();
    }
    FThread = std::make_unique<TNotifyThread>([this](TNotifyThread*) { Execute(); });
    FThread->Start();
}

void TLedgraSearchDevice::WaitFor() {
    if (FThread)
        FThread->WaitFor();
}

void TLedgraSearchDevice::SetText(const QString& text) {
    QMutexLocker l(&FLock);
    FState.Text = text;
}

void TLedgraSearchDevice::Finish(bool succeeded, const QString& text) {
    QMutexLocker l(&FLock);
    FState.Finished = true;
    FState.Succeded = succeeded;
    FState.Text = text;
}

void TLedgraSearchDevice::Execute() {
    try {
        for (size_t i = 0; i < FBaudrates.size(); ++i) {
            try {
                TryRate(FBaudrates[i]);
                return;
            } catch (const EError&) {
                FDevice->Disconnect();
                if (i + 1 == FBaudrates.size())
                    Finish(false, FCancel ? QStringLiteral("Поиск отменен")
                                          : QStringLiteral("Не найдено"));
            }
        }
    } catch (...) {
        // Whatever else ends the thread still ends the search, so the step
        // does not wait for it for ever.
        FDevice->Disconnect();
        Finish(false, FCancel ? QStringLiteral("Поиск отменен") : QStringLiteral("Не найдено"));
    }
}

void TLedgraSearchDevice::TryRate(int baudrate) {
    if (FCancel)
        throw EError(QStringLiteral("Поиск отменен"));
    SetText(QStringLiteral("Поиск: %1").arg(baudrate));

    TLedgraDevice& d = *FDevice;
    d.Disconnect();
    d.SetConnectionType(0);
    d.SetProtocolType(0);
    d.SetComNumber(GetParams().PortNumber);
    d.SetTimeout(kProbeTimeoutMs);
    d.SetSearchTimeout(kProbeSearchTimeoutMs);
    d.SetMaxCommandSendCount(1);
    d.SetMaxAnswerReadCount(1);
    d.SetBaudRate(TLedgraBaudrate::ToCode(baudrate));

    int code = d.LockPort();
    if (code != 0)
        throw EError(CodeText(code, d.ResultCodeDescription()));
    struct TUnlock {
        TLedgraDevice& d;
        ~TUnlock() { d.UnlockPort(); }
    };
    QString text;
    QString name;
    QString serial;
    {
        TUnlock unlock{d};
        const int metrics = d.GetDeviceMetrics();
        if (metrics < 0)
            throw EError(CodeText(metrics, d.ResultCodeDescription()));
        const QString metricsDescription = d.ResultCodeDescription();
        {
            const int model = d.UModel();
            QMutexLocker l(&FLock);
            FState.DeviceID = model;
        }
        serial = d.ReadSerialNumber() == 0 ? d.SerialNumber() : d.ResultCodeDescription();
        serial = serial.trimmed();
        name = d.UDescription().trimmed();
        text = QStringLiteral("%1, COM%2, %3, ЗН: %4")
                   .arg(name)
                   .arg(d.PortNumber())
                   .arg(baudrate)
                   .arg(serial);
        if (metrics > 0)
            text += QStringLiteral(": ") + CodeText(metrics, metricsDescription);
    }
    // The port is given up before the result shows, so the step can open it
    // at once.
    d.Disconnect();
    QMutexLocker l(&FLock);
    Name = name;
    Serial = serial;
    FParams.Baudrate = baudrate;
    FState.Finished = true;
    FState.Succeded = true;
    FState.Text = text;
}
