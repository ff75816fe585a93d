#include "driver/PrinterTypes.h"

#include "platform/Translation.h"

namespace {
// The fiscal storage's error codes share the result code table with the
// register's codes; these ranges are the storage's own.
bool IsFNErrorCode(int code) {
    return (code >= 0x01 && code <= 0x30) || code == 0x79 || (code >= 0xA0 && code <= 0xAC);
}

const char* ResultSource(int code) {
    switch (code) {
#define LEDGRA_RESULT(Code, Name, Text)                                                            \
    case Code:                                                                                     \
        return Text;
#include "driver/LedgraResultCodes.def"
    default:
        return nullptr;
    }
}

// Both document-type look-ups read one table; -1 marks a type a look-up
// never reports.
struct DocumentType {
    int findCode;
    int statusCode;
    const char* text;
};
constexpr DocumentType kDocumentTypes[] = {
    {0, 0, TrNoop("Нет открытого документа")},
    {1, 1, TrNoop("Отчет о регистрации")},
    {2, 2, TrNoop("Отчет об открытии смены")},
    {3, 4, TrNoop("Кассовый чек")},
    {4, 17, TrNoop("Бланк строгой отчетности")},
    {5, 8, TrNoop("Отчет о закрытии смены")},
    {6, 16, TrNoop("Отчет о закрытии фискального накопителя")},
    {7, -1, TrNoop("Подтверждение оператора")},
    {11, 19, TrNoop("Отчет об изменении параметров регистрации")},
    {-1, 18, TrNoop("Отчет об изменении параметров регистрации в связи с заменой ФН")},
    {21, 23, TrNoop("Отчет о текущем состоянии расчетов")},
    {31, 20, TrNoop("Кассовый чек коррекции")},
    {41, 21, TrNoop("Бланк строгой отчетности коррекции")},
};

QString DocumentTypeText(int code, int DocumentType::*column) {
    if (code >= 0)
        for (const DocumentType& t : kDocumentTypes)
            if (t.*column == code)
                return Tr(t.text);
    return Tr("Неизвестный тип документа");
}
} // namespace

QString GetFNErrorDescription(int code) {
    const char* text = IsFNErrorCode(code) ? ResultSource(code) : nullptr;
    return Tr(text ? text : "Неизвестный код ошибки");
}

QString FNFindDocumentTypeToStr(int code) {
    return DocumentTypeText(code, &DocumentType::findCode);
}

QString FNStatusDocumentTypeToStr(int code) {
    return DocumentTypeText(code, &DocumentType::statusCode);
}
