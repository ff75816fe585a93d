#include "wizard/frame/untWizardDriver.h"

#include "platform/ComponentFactory.h"
#include "platform/LedgraErrors.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QThread>

namespace {

QMutex& InstanceLock() {
    static QMutex m;
    return m;
}

std::shared_ptr<TLedgra>& Instance() {
    static std::shared_ptr<TLedgra> d;
    return d;
}

constexpr int kNoSuchField = 93;
constexpr int kBusyCodes[] = {80, 75};

bool IsBusy(int code) {
    for (int c : kBusyCodes)
        if (c == code)
            return true;
    return false;
}

void SelectCell(TLedgra& d, int table, int row, int field) {
    d.SetTableNumber(MapTableNumber(table));
    d.SetRowNumber(row);
    d.SetFieldNumber(field);
}

// ReadTable of one cell; the result code.
int ReadCell(int table, int row, int field) {
    TLedgra& d = WizardDriver();
    SelectCell(d, table, row, field);
    return d.ReadTable();
}

} // namespace

void CreateDriverObject() {
    QMutexLocker l(&InstanceLock());
    auto& d = Instance();
    if (d)
        return;
    d = std::make_shared<TLedgra>(Platform::CreateComponent());
    d->SetOFDExchangeSuspended(true);
}

void FreeDriverObject() {
    QMutexLocker l(&InstanceLock());
    Instance().reset();
}

bool DriverObjectExists() {
    QMutexLocker l(&InstanceLock());
    return Instance() != nullptr;
}

std::shared_ptr<TLedgra> WizardDriverRef() {
    CreateDriverObject();
    QMutexLocker l(&InstanceLock());
    return Instance();
}

TLedgra& WizardDriver() {
    return *WizardDriverRef();
}

void CheckResult(int code) {
    if (code == 0)
        return;
    throw EError(
        QStringLiteral("Ошибка %1, %2").arg(code).arg(WizardDriver().ResultCodeDescription()));
}

int MapTableNumber(int table) {
    int param = 0;
    switch (table) {
    case 18:
        param = 72;
        break;
    case 19:
        param = 73;
        break;
    case 24:
        param = 75;
        break;
    default:
        return table;
    }
    TLedgra& d = WizardDriver();
    d.SetModelParamNumber(param);
    CheckResult(d.ReadModelParamValue());
    return d.ModelParamValue().toInt();
}

void TableWriteStr(int table, int row, int field, const QString& text) {
    TLedgra& d = WizardDriver();
    SelectCell(d, table, row, field);
    d.SetValueOfFieldString(text);
    CheckResult(d.WriteTable());
}

void TableWriteInt(int table, int row, int field, int value) {
    TLedgra& d = WizardDriver();
    SelectCell(d, table, row, field);
    CheckResult(d.GetFieldStruct());
    if (d.FieldType())
        d.SetValueOfFieldString(QString::number(value));
    else
        d.SetValueOfFieldInteger(value);
    CheckResult(d.WriteTable());
}

void TableWriteIntRaw(int table, int field, int value) {
    TLedgra& d = WizardDriver();
    SelectCell(d, table, 1, field);
    d.SetValueOfFieldInteger(value);
    CheckResult(d.WriteTable());
}

QString TableReadStr(int table, int row, int field) {
    CheckResult(ReadCell(table, row, field));
    return WizardDriver().ValueOfFieldString();
}

int TableReadInt(int table, int row, int field) {
    CheckResult(ReadCell(table, row, field));
    return WizardDriver().ValueOfFieldInteger();
}

QString TableReadStrOpt(int table, int row, int field) {
    const int code = ReadCell(table, row, field);
    if (code == kNoSuchField)
        return {};
    CheckResult(code);
    return WizardDriver().ValueOfFieldString();
}

int TableReadIntOpt(int table, int row, int field) {
    const int code = ReadCell(table, row, field);
    if (code == kNoSuchField)
        return 0;
    CheckResult(code);
    return WizardDriver().ValueOfFieldInteger();
}

bool AltTableLayout() {
    TLedgra& d = WizardDriver();
    CheckResult(d.GetDeviceMetrics());
    d.SetModelParamNumber(28);
    d.ReadModelParamValue(); // a register without the parameter has the usual layout
    return d.ModelParamValue().toBool();
}

bool IsModel19() {
    TLedgra& d = WizardDriver();
    CheckResult(d.GetDeviceMetrics());
    return d.UModel() == 19;
}

int ReadFFDVersion() {
    return AltTableLayout() ? TableReadInt(10, 1, 4) : TableReadInt(17, 1, 17);
}

void WriteFFDVersion(int version) {
    if (AltTableLayout()) {
        TableWriteInt(10, 1, 29, version == 1 ? 0 : version);
        return;
    }
    TableWriteInt(17, 1, 17, version);
    if (version > 0)
        TableWriteInt(17, 1, 3, 2);
}

void CallWithBusyRetry(const std::function<int()>& call, int limitMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    int code = call();
    const bool onWindowThread = QCoreApplication::instance() &&
                                QThread::currentThread() == QCoreApplication::instance()->thread();
    while (IsBusy(code) && elapsed.elapsed() < limitMs) {
        // The register is busy: wait without freezing the window.
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 50) {
            if (onWindowThread)
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
            QThread::msleep(5);
        }
        code = call();
    }
    CheckResult(code);
}

void TagSendStr(int tag, const QString& text) {
    TLedgra& d = WizardDriver();
    d.SetTagNumber(tag);
    d.SetTagValueStr(text);
    d.SetTagType(7);
    CallWithBusyRetry([&d] { return d.FNSendTag(); });
}

void TagSendByte(int tag, int value) {
    TLedgra& d = WizardDriver();
    d.SetTagNumber(tag);
    d.SetTagValueInt(value);
    d.SetTagType(0);
    CallWithBusyRetry([&d] { return d.FNSendTag(); });
}

void FNBeginRegistrationReportRetry() {
    CallWithBusyRetry([] { return WizardDriver().FNBeginRegistrationReport(); });
}

void FNBuildRegistrationReportRetry() {
    CallWithBusyRetry([] { return WizardDriver().FNBuildRegistrationReport(); });
}

void FNBuildReregistrationReportRetry() {
    CallWithBusyRetry([] { return WizardDriver().FNBuildReregistrationReport(); });
}
