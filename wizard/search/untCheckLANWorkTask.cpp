#include "wizard/search/untCheckLANWorkTask.h"

#include "common/RunHandler.h"
#include "platform/ComponentFactory.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"

#include <QThread>
#include <cstdlib>

namespace {

constexpr int kTcpConnection = 6;

// Table 16 row 1: address mode, DHCP state, the address octets; table 21
// row 1 field 4: the TCP port.
constexpr int kNetTable = 16, kNetMode = 1, kNetDhcpState = 2, kNetAddress = 3;
constexpr int kLinkTable = 21, kLinkTcpPort = 4;

struct TEndpoint {
    QString address;
    int port = 0;
};

// A component object of the task's own, freed (after a disconnect) on every way out.
class TProbe {
public:
    TProbe() : FDriver(Platform::CreateComponent()) {}
    ~TProbe() { FDriver.Disconnect(); }
    TLedgra& operator*() { return FDriver; }
    TLedgra* operator->() { return &FDriver; }

private:
    TLedgra FDriver;
};

} // namespace

TCheckLANWorkTask::~TCheckLANWorkTask() {
    Shutdown();
}

void TCheckLANWorkTask::Cancel() {
    State().UserCancel();
    TWorkThread::Cancel();
}

void TCheckLANWorkTask::DoExecute() {
    try {
        Check();
        State().Stop(State().SuccessText(), true);
    } catch (const std::exception& e) {
        State().Stop(ErrorText(e), false);
    } catch (...) {
        State().Stop(QStringLiteral("Неизвестная ошибка"), false);
    }
}

void TCheckLANWorkTask::Check() {
    TTaskState& s = State();
    s.Start(2);
    // The wizard's object is read from this thread; the step keeps the
    // window's navigation off meanwhile. The reference keeps it alive even if
    // the window frees its own.
    const std::shared_ptr<TLedgra> wizard = WizardDriverRef();

    TEndpoint ep;
    const TController& c = Controller();
    if (c.IsRNDIS) {
        ep = {c.IP, c.TCPPort};
    } else {
        if (TableReadInt(kNetTable, 1, kNetMode) == 0) {
            s.SetText(QStringLiteral("Ожидание получения IP адреса..."));
            const quint32 first = TTaskState::CurrentTick();
            int state = 0;
            for (;;) {
                state = TableReadInt(kNetTable, 1, kNetDhcpState);
                s.CheckStopFlag();
                if (state == kDhcpObtained)
                    break;
                const qint32 passed = qint32(TTaskState::CurrentTick() - first);
                if (std::abs(passed) > kDhcpTimeoutMs)
                    break;
                QThread::msleep(kDhcpPollMs);
            }
            if (state != kDhcpObtained)
                throw EError(QStringLiteral("Не удается получить IP по DHCP ") +
                             QString::number(state));
        }
        s.StepProgress(1);
        int octets[4];
        for (int i = 0; i < 4; ++i)
            octets[i] = TableReadInt(kNetTable, 1, kNetAddress + i);
        ep.address = QStringLiteral("%1.%2.%3.%4")
                         .arg(octets[0])
                         .arg(octets[1])
                         .arg(octets[2])
                         .arg(octets[3]);
        ep.port = TableReadInt(kLinkTable, 1, kLinkTcpPort);
    }

    s.SetText(QStringLiteral("Подключение по сети... ") + ep.address + QStringLiteral(": ") +
              QString::number(ep.port));
    wizard->Disconnect();

    {
        TProbe probe;
        probe->SetConnectionType(kTcpConnection);
        // The object's saved settings may prefer their own IP address over
        // the name: the register's address must be the one dialled.
        probe->SetUseIPAddress(false);
        probe->SetComputerName(ep.address);
        probe->SetTCPPort(ep.port);
        probe->SetTCPConnectionTimeout(kConnectTimeoutMs);
        if (probe->GetECRStatus() != 0)
            throw EError(QStringLiteral("Ошибка подключения к : %1:%2, %3 \r\nПроверьте "
                                        "настройки сети")
                             .arg(ep.address)
                             .arg(ep.port)
                             .arg(probe->ResultCodeDescription()));
    }

    s.StepProgress(1);
    s.SetSuccessText(QStringLiteral("Связь успешно установлена: %1:%2\r\nНажмите \"Далее\"")
                         .arg(ep.address)
                         .arg(ep.port));
}
