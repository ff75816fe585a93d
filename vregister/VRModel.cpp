// Model parameters, device metrics and error descriptions of the virtual register.

#include "driver/ResultCodes.h"
#include "vregister/VRHandlers.h"
#include "vregister/VRModelProfile.h"
#include "vregister/VRTableSchema.h"

#include <iterator>

namespace {
using P = PropertyId;

// A capability answers a boolean, every other parameter an integer.
struct ModelParam {
    int number;
    const char* description;
    QVariant (*value)(const VRProfileInfo&);
};

// The register's model parameters, in the order ReadModelParam lists them.
const ModelParam kParams[] = {
    {5, "Ширина строки шрифтом 1, символов",
     [](const VRProfileInfo& p) { return QVariant(p.printChars); }},
    {27, "Первая строка графики", [](const VRProfileInfo& p) { return QVariant(p.firstDrawLine); }},
    {28, "Поддержка команд кассового ядра",
     [](const VRProfileInfo& p) { return QVariant(p.capCashCore); }},
    {29, "Последняя строка графики",
     [](const VRProfileInfo& p) { return QVariant(p.lastDrawLine); }},
    {32, "Идентификатор модели", [](const VRProfileInfo& p) { return QVariant(p.modelId); }},
    // Only the older fiscal memory has a tax officer's password to lock.
    {40, "Блокировка по паролю налогового инспектора",
     [](const VRProfileInfo& p) { return QVariant(!p.capFN); }},
    {50, "Результат последней печати",
     [](const VRProfileInfo& p) { return QVariant(p.capLastPrintResult); }},
    {51, "Загрузка графики блоками", [](const VRProfileInfo&) { return QVariant(true); }},
    {53, "Максимальная длина команды, байт",
     [](const VRProfileInfo& p) { return QVariant(p.maxCmdLength); }},
    {55, "Максимальная ширина строки графики, точек",
     [](const VRProfileInfo& p) { return QVariant(p.maxLineWidth); }},
    {56, "Печать QR-кода", [](const VRProfileInfo&) { return QVariant(true); }},
    {57, "Наличие СКНО", [](const VRProfileInfo& p) { return QVariant(p.capSKNO); }},
    {60, "Количество кассиров",
     [](const VRProfileInfo&) { return QVariant(VRTableSchema::Table(2)->rows); }},
    {71, "Наличие ФН", [](const VRProfileInfo& p) { return QVariant(p.capFN); }},
    {72, "Номер таблицы ФН", [](const VRProfileInfo& p) { return QVariant(p.fsTable); }},
    {73, "Номер таблицы ОФД", [](const VRProfileInfo& p) { return QVariant(p.ofdTable); }},
    {75, "Номер таблицы встраиваемой техники",
     [](const VRProfileInfo& p) { return QVariant(p.table24); }},
    {76, "Проверка кодов маркировки", [](const VRProfileInfo& p) { return QVariant(p.capFN); }},
};
constexpr int kParamCount = int(std::size(kParams));

int GetDeviceMetrics(VRContext& c) {
    const VRProfileInfo& p = VRProfile::Current(c.Store);
    c.Out(P::UMajorType, p.majorType);
    c.Out(P::UMinorType, p.minorType);
    c.Out(P::UMajorProtocolVersion, p.protocolMajor);
    c.Out(P::UMinorProtocolVersion, p.protocolMinor);
    c.Out(P::UModel, p.modelId);
    c.Out(P::UCodePage, 0);
    c.Out(P::UCodePageText, QStringLiteral("Русский"));
    c.Out(P::UDescription, p.description);
    c.Out(P::ModelParamCount, kParamCount);
    return 0;
}

int ReadModelParam(VRContext& c) {
    const int index = c.InInt(P::ModelParamIndex);
    if (index < 0 || index >= kParamCount)
        return int(RC::BadParameters);
    const ModelParam& m = kParams[index];
    c.Out(P::ModelParamNumber, m.number);
    c.Out(P::ModelParamValue, m.value(VRProfile::Current(c.Store)));
    c.Out(P::ModelParamDescription, QString::fromUtf8(m.description));
    return 0;
}

int ReadModelParamValue(VRContext& c) {
    const int number = c.InInt(P::ModelParamNumber);
    for (const ModelParam& m : kParams)
        if (m.number == number) {
            c.Out(P::ModelParamValue, m.value(VRProfile::Current(c.Store)));
            return 0;
        }
    return int(RC::BadParameters);
}

int ReadErrorDescription(VRContext& c) {
    // The register knows a text for every one-byte code; the driver's own
    // (negative) codes are not the register's to describe.
    const int code = c.InInt(P::ErrorCode);
    if (code < 0 || code > 255)
        return int(RC::BadParameters);
    c.Out(P::ErrorDescription,
          Ledgra::HasResultText(code)
              ? Ledgra::ResultText(code)
              : QStringLiteral("Неизвестная ошибка (%1h)")
                    .arg(QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'))));
    return 0;
}
} // namespace

namespace VRModel {
void AddHandlers(VRHandlerTable& t) {
    t[MethodId::GetDeviceMetrics] = GetDeviceMetrics;
    t[MethodId::ReadModelParam] = ReadModelParam;
    t[MethodId::ReadModelParamValue] = ReadModelParamValue;
    t[MethodId::ReadErrorDescription] = ReadErrorDescription;
}
} // namespace VRModel
