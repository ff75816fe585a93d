#include "ledgra/LedgraComponent.h"

#include "driver/ResultCodes.h"
#include "ledgra/LedgraFindDevice.h"
#include "ledgra/LedgraSettings.h"
#include "ledgra/LedgraTableFiles.h"
#include "platform/ComponentFactory.h"
#include "platform/PortMap.h"
#include "vregister/VirtualRegister.h"

#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QThread>

using namespace LedgraProtocol;
using P = PropertyId;

namespace {

TLedgraComponent::PropertiesDialog& DialogHook() {
    static TLedgraComponent::PropertiesDialog hook;
    return hook;
}

TLedgraComponent::TablesDialog& TablesHook() {
    static TLedgraComponent::TablesDialog hook;
    return hook;
}

// The component's dialogs need a QApplication and its thread.
bool CanShowDialog() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && app->inherits("QApplication") && QThread::currentThread() == app->thread();
}

QString Hex(const QByteArray& b) {
    return QString::fromLatin1(b.toHex(' ').toUpper());
}

size_t PropertySlots() {
    size_t n = 0;
    for (const auto& p : Ledgra::Properties())
        n = std::max(n, size_t(p.id) + 1);
    return n;
}

} // namespace

bool ShowDriverPropertiesDialog(ILedgra& object); // fmuDriverProperties.cpp
void ShowTablesDialog(ILedgra& object);           // fmuTablesDlg.cpp

TLedgraComponent::TLedgraComponent() : FValues(PropertySlots()), FSetOrder(PropertySlots()) {
    for (const auto& p : Ledgra::Properties())
        FValues[size_t(p.id)] = Ledgra::DefaultValue(p.type);
    FValues[size_t(P::DriverMajorVersion)] = VEXA_VERSION_MAJOR;
    FValues[size_t(P::DriverMinorVersion)] = VEXA_VERSION_MINOR;
    FValues[size_t(P::DriverRelease)] = VEXA_VERSION_PATCH;
    FValues[size_t(P::DriverBuild)] = VEXA_VERSION_TWEAK;
    FValues[size_t(P::DriverVersion)] = QStringLiteral("%1.%2.%3.%4")
                                            .arg(VEXA_VERSION_MAJOR)
                                            .arg(VEXA_VERSION_MINOR)
                                            .arg(VEXA_VERSION_PATCH)
                                            .arg(VEXA_VERSION_TWEAK);
    LedgraSettings::Load(*this);
}

TLedgraComponent::~TLedgraComponent() = default;

void TLedgraComponent::SetPropertiesDialog(PropertiesDialog dlg) {
    DialogHook() = std::move(dlg);
}

void TLedgraComponent::SetTablesDialog(TablesDialog dlg) {
    TablesHook() = std::move(dlg);
}

QVariant TLedgraComponent::Get(PropertyId id) {
    const PropertyInfo* p = Ledgra::FindProperty(quint16(id));
    if (!p)
        throw ELedgraDispatch("Неизвестный идентификатор свойства");
    QMutexLocker l(&FLock);
    if (id == P::Connected)
        return FTransport && FTransport->IsOpen();
    return Value(id);
}

void TLedgraComponent::Set(PropertyId id, const QVariant& value) {
    const PropertyInfo* p = Ledgra::FindProperty(quint16(id));
    if (!p)
        throw ELedgraDispatch("Неизвестный идентификатор свойства");
    const auto v = Ledgra::Coerce(p->type, value);
    if (!v)
        throw ELedgraDispatch(QStringLiteral("Несоответствие типа: %1")
                                  .arg(QString::fromLatin1(p->name))
                                  .toStdString());
    if (id == P::Connected) {
        Invoke(v->toBool() ? MethodId::Connect : MethodId::Disconnect);
        return;
    }
    QMutexLocker l(&FLock);
    Store(id, *v);
    FSetOrder[size_t(id)] = ++FSetCount;
}

void TLedgraComponent::Store(PropertyId id, const QVariant& v) {
    FValues[size_t(id)] = v;
}

namespace {
// Inputs of which a caller sets one: only the one set last is sent, so the
// device knows which the caller meant (a table cell written as text or as a
// number).
const std::pair<PropertyId, PropertyId> kAlternativeInputs[] = {
    {P::ValueOfFieldInteger, P::ValueOfFieldString},
};

// Inputs the component reads from a file the caller names: the device, which
// may be on another host, gets the file's bytes in a byte property.
struct FileInput {
    MethodId method;
    PropertyId fileName, bytes;
};
const FileInput kFileInputs[] = {
    {MethodId::LoadFont, P::FileName, P::DataBlock},
};
} // namespace

int TLedgraComponent::Invoke(MethodId id) {
    const MethodInfo* m = Ledgra::FindMethod(quint16(id));
    if (!m)
        throw ELedgraDispatch("Неизвестный идентификатор метода");
    // The dialogs call this object like any caller: no lock held.
    if (id == MethodId::ShowProperties)
        return ShowProperties();
    if (id == MethodId::ShowTablesDlg)
        return ShowTablesDlg();
    QMutexLocker l(&FLock);
    return Call(id);
}

void TLedgraComponent::Finish(int code, const QString& description) {
    Store(P::ResultCode, code);
    Store(P::ResultCodeDescription, description.isEmpty() ? Ledgra::ResultText(code) : description);
}

int TLedgraComponent::Call(MethodId id) {
    const MethodInfo& m = Ledgra::Info(id);
    Store(P::ECRInput, QString());
    Store(P::ECROutput, QString());
    int code = 0;
    switch (id) {
    case MethodId::Connect:
        code = Connect();
        if (code != 0)
            return code; // Connect has set the description
        break;
    case MethodId::Disconnect:
        Disconnect();
        break;
    case MethodId::FindDevice:
        return FindDevice(); // sets the description itself
    case MethodId::SaveParams:
        code = LedgraSettings::Save(*this) ? 0 : int(RC::FileError);
        break;
    case MethodId::LockPort:
        code = LockPort();
        break;
    case MethodId::UnlockPort:
        FPortLock.Release();
        break;
    case MethodId::ExportTables:
    case MethodId::ImportTables: {
        // The walk calls this object's table methods; the lock is recursive.
        const QString file = Value(P::FileName).toString();
        const auto r = id == MethodId::ExportTables ? LedgraTableFiles::Export(*this, file)
                                                    : LedgraTableFiles::Import(*this, file);
        Finish(r.code, r.description);
        return r.code;
    }
    default:
        if (m.kind == MethodKind::Component)
            code = int(RC::VirtualNotSupported);
        else
            return DeviceCall(m);
    }
    Finish(code);
    return code;
}

namespace {
// A port of the port map at the component's serial settings: the embedded
// register's port or a tty.
std::unique_ptr<ITransport> MakePortTransport(int comNumber, const SerialOptions& o, int* code) {
    const QString dev = Platform::PortDevice(comNumber);
    if (dev.isEmpty()) {
        *code = int(RC::PortUnavailable);
        return nullptr;
    }
    if (dev == QLatin1String(Platform::kEmbeddedDevice))
        return MakeEmbeddedSerialTransport(VR::DefaultRegisterPath(), o);
    return MakeSerialTransport(dev, o);
}
} // namespace

SerialOptions TLedgraComponent::Serial() const {
    SerialOptions o;
    o.baudCode = Value(P::BaudRate).toInt();
    o.sendCount = Value(P::MaxCommandSendCount).toInt();
    o.readCount = Value(P::MaxAnswerReadCount).toInt();
    return o;
}

std::unique_ptr<ITransport> TLedgraComponent::MakeTransport(int* code) {
    *code = 0;
    const int type = Value(P::ConnectionType).toInt();
    switch (type) {
    case LedgraSettings::kEmbedded:
        return MakeEmbeddedTransport(VR::DefaultRegisterPath());
    case LedgraSettings::kSerial:
        // Our framed protocol is the only one a serial line speaks.
        if (Value(P::ProtocolType).toInt() != 0) {
            *code = int(RC::BadPropertyValue);
            return nullptr;
        }
        return MakePortTransport(Value(P::ComNumber).toInt(), Serial(), code);
    case LedgraSettings::kTcp: {
        const QString host = Value(P::UseIPAddress).toBool() ? Value(P::IPAddress).toString()
                                                             : Value(P::ComputerName).toString();
        return MakeTcpTransport(host, Value(P::TCPPort).toInt(),
                                Value(P::TCPConnectionTimeout).toInt());
    }
    default:
        *code = int(RC::ConnectionTypeNotSupported);
        return nullptr;
    }
}

int TLedgraComponent::Connect() {
    if (FTransport && FTransport->IsOpen()) {
        Finish(0);
        return 0;
    }
    int code = 0;
    auto t = MakeTransport(&code);
    if (!t) {
        code = code ? code : int(RC::ConnectionTypeNotSupported);
        Finish(code);
        return code;
    }
    code = t->Open();
    if (code != 0) {
        Finish(code, t->LastError());
        return code;
    }
    FTransport = std::move(t);
    Finish(0);
    return 0;
}

int TLedgraComponent::FindDevice() {
    // The search opens the ports itself: the current link is given up first.
    Disconnect();
    std::vector<int> ports;
    for (const Platform::PortEntry& p : Platform::PortMap())
        ports.push_back(p.comNumber);
    const int timeout = Value(P::SearchTimeout).toInt() > 0 ? Value(P::SearchTimeout).toInt()
                                                            : Value(P::Timeout).toInt();
    const int password = Value(P::Password).toInt();
    const LedgraFindDevice::Link link{
        [this](int com, int rate, int* code) {
            SerialOptions o = Serial();
            o.baudCode = rate;
            o.sendCount = 1; // one try a rate: the next rate is the retry
            auto t = MakePortTransport(com, o, code);
            if (t && (*code = t->Open()) != 0)
                t.reset();
            return t;
        },
        [&](ITransport& t) { return LedgraFindDevice::Probe(t, timeout, password); }};
    auto found = LedgraFindDevice::Search(ports, Value(P::BaudRate).toInt(), link);
    if (!found) {
        Finish(int(RC::DeviceNotFound));
        return int(RC::DeviceNotFound);
    }
    Store(P::ConnectionType, LedgraSettings::kSerial);
    Store(P::ComNumber, found->comNumber);
    Store(P::BaudRate, found->baudRate);
    FTransport = std::move(found->link);
    Finish(0);
    return 0;
}

void TLedgraComponent::Disconnect() {
    if (FTransport)
        FTransport->Close();
    FTransport.reset();
}

int TLedgraComponent::Exchange(const QByteArray& request, Answer& answer) {
    Store(P::ECRInput, Hex(request));
    QByteArray raw;
    const int timeout = qMax(Value(P::Timeout).toInt(), 1000);
    int code = FTransport->Exchange(request, timeout, raw);
    if (code != 0) {
        Disconnect();
        return code;
    }
    Store(P::ECROutput, Hex(raw));
    QString error;
    auto a = DecodeAnswer(raw, &error);
    if (!a) {
        // A bad frame is never trusted; the link is reset.
        Disconnect();
        return int(RC::ProtocolError);
    }
    answer = std::move(*a);
    return 0;
}

int TLedgraComponent::DeviceCall(const MethodInfo& m) {
    Values fromFiles;
    for (const FileInput& f : kFileInputs) {
        if (f.method != m.id)
            continue;
        QFile file(Value(f.fileName).toString());
        if (!file.open(QIODevice::ReadOnly) || file.size() > qint64(kMaxPayload) / 2) {
            const QString why =
                file.isOpen() ? QStringLiteral("файл слишком велик") : file.errorString();
            Finish(int(RC::FileError),
                   QStringLiteral("%1: %2: %3")
                       .arg(Ledgra::ResultText(int(RC::FileError)), file.fileName(), why));
            return int(RC::FileError);
        }
        fromFiles.emplace_back(f.bytes, QString::fromLatin1(file.readAll()));
    }
    // A device method connects first when not connected, as drivers do.
    if (!FTransport || !FTransport->IsOpen()) {
        const int code = Connect();
        if (code != 0)
            return code;
    }
    Request req;
    req.password = Value(P::Password).toInt();
    if (m.kind == MethodKind::Raw) {
        req.kind = FrameKind::RawRequest;
        const QByteArray hex = Value(P::TransferBytes).toString().toLatin1();
        req.raw = QByteArray::fromHex(hex);
    } else {
        req.kind = FrameKind::MethodRequest;
        req.method = m.id;
        for (PropertyId in : m.in) {
            bool older = false;
            for (const auto& [a, b] : kAlternativeInputs)
                if ((in == a || in == b) &&
                    FSetOrder[size_t(in)] < FSetOrder[size_t(in == a ? b : a)])
                    older = true;
            if (!older)
                req.inputs.emplace_back(in, Value(in));
        }
        for (const auto& [id, v] : fromFiles)
            for (auto& [in, value] : req.inputs)
                if (in == id)
                    value = v;
    }
    Answer ans;
    int code = Exchange(Encode(req), ans);
    if (code == 0) {
        const FrameKind expected =
            m.kind == MethodKind::Raw ? FrameKind::RawAnswer : FrameKind::MethodAnswer;
        if (ans.kind != expected && ans.code == 0) {
            code = int(RC::BadAnswer);
        } else {
            code = ans.code;
            Store(P::OperatorNumber, int(ans.operatorNumber));
            for (auto& [id, v] : ans.outputs)
                Store(id, v);
            if (m.kind == MethodKind::Raw && code == 0)
                Store(P::TransferBytes, Hex(ans.raw));
        }
    }
    Finish(code);
    return code;
}

int TLedgraComponent::ServiceCommand(const QString& command, QString* text) {
    QMutexLocker l(&FLock);
    if (!FTransport || !FTransport->IsOpen()) {
        const int code = Connect();
        if (code != 0) {
            if (text)
                *text = Value(P::ResultCodeDescription).toString();
            return code;
        }
    }
    Request req;
    req.kind = FrameKind::ServiceRequest;
    req.command = command;
    Answer ans;
    int code = Exchange(Encode(req), ans);
    if (code == 0 && ans.kind != FrameKind::ServiceAnswer)
        code = int(RC::BadAnswer);
    if (code == 0)
        code = ans.code;
    if (text)
        *text = ans.text.isEmpty() ? Ledgra::ResultText(code) : ans.text;
    return code;
}

int TLedgraComponent::LockPort() {
    Platform::FileLock lock(Platform::PortLockFile(Value(P::ComNumber).toInt()), /*wait=*/false);
    if (!lock.Locked())
        return int(RC::PortBusy);
    FPortLock = std::move(lock);
    return 0;
}

int TLedgraComponent::ShowProperties() {
    int code = 0;
    bool ok = false;
    auto& hook = DialogHook();
    if (hook) {
        ok = hook(*this);
    } else if (!CanShowDialog()) {
        code = int(RC::NoGui);
    } else {
        ok = ShowDriverPropertiesDialog(*this);
    }
    QMutexLocker l(&FLock);
    if (ok) {
        // New settings take effect on the next connection and for every new object.
        Disconnect();
        if (!LedgraSettings::Save(*this))
            code = int(RC::FileError);
    }
    Finish(code);
    return code;
}

int TLedgraComponent::ShowTablesDlg() {
    int code = 0;
    if (auto& hook = TablesHook())
        hook(*this);
    else if (!CanShowDialog())
        code = int(RC::NoGui);
    else
        ShowTablesDialog(*this);
    QMutexLocker l(&FLock);
    Finish(code);
    return code;
}

namespace Ledgra {
void RegisterComponentClass() {
    Platform::RegisterComponentClass(QString::fromLatin1(Platform::kLedgraClassId),
                                     QString::fromLatin1(Platform::kLedgraProgId),
                                     [] { return std::make_shared<TLedgraComponent>(); });
}
} // namespace Ledgra
