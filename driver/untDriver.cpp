#include "driver/untDriver.h"

#include "driver/untUtil.h"

#include "driver/untTexts.h"
#include "platform/ComponentFactory.h"
#include "platform/LedgraErrors.h"
#include "platform/Translation.h"

#include <QLocale>
#include <QMutex>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>
#include <algorithm>
#include <iterator>

namespace {
QMutex& InstanceLock() {
    static QMutex lock;
    return lock;
}
std::shared_ptr<TDriver>& Instance() {
    static std::shared_ptr<TDriver> instance;
    return instance;
}

// Codes of a device still busy with earlier printing: wait and try again.
constexpr int kPrintingCode = 80;
constexpr int kPrintBufferFullCode = 75;
constexpr int kPrintAttempts = 5;
constexpr int kPrintRetryDelayMs = 50;
// Characters per line when the font reports none.
constexpr int kDefaultLineWidth = 40;

// Model identifiers of the second model type.
constexpr int kModelType2Ids[] = {16, 19, 20, 21, 27, 28, 29, 30, 32, 33,
                                  34, 35, 36, 38, 39, 40, 41, 42, 45, 46};

// Lines as the operator's text has them: a break at the end of the text
// opens no further line, and an empty text has none.
QStringList SplitLines(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(breaks);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
} // namespace

void TDriver::Check(int resultCode) {
    if (resultCode != 0)
        throw EAbort();
}

int TDriver::CorrectTableNumber(int number) {
    switch (number) {
    case 18:
        return ReadIntParam(72);
    case 19:
        return ReadIntParam(73);
    default:
        return number;
    }
}

int TDriver::ReadTableInt(int table, int row, int field) {
    SetRowNumber(row);
    SetTableNumber(CorrectTableNumber(table));
    SetFieldNumber(field);
    Check(ReadTable());
    return ValueOfFieldInteger();
}

QString TDriver::ReadTableStr(int table, int row, int field) {
    SetRowNumber(row);
    SetTableNumber(CorrectTableNumber(table));
    SetFieldNumber(field);
    Check(ReadTable());
    return ValueOfFieldString();
}

int TDriver::ReadTableDef(int table, int row, int field, int defaultValue) {
    SetRowNumber(row);
    SetTableNumber(table);
    SetFieldNumber(field);
    if (ReadTable() != 0)
        return defaultValue;
    return ValueOfFieldInteger();
}

void TDriver::WriteTableInt(int table, int row, int field, int value) {
    SetTableNumber(table);
    SetRowNumber(row);
    SetFieldNumber(field);
    SetValueOfFieldInteger(value);
    Check(WriteTable());
}

int TDriver::ReadIntParam(int paramId) {
    SetModelParamNumber(paramId);
    Check(ReadModelParamValue());
    return StrToIntChecked(ModelParamValue().toString());
}

bool TDriver::ReadBoolParam(int paramId) {
    SetModelParamNumber(paramId);
    Check(ReadModelParamValue());
    const QVariant v = ModelParamValue();
    return v.typeId() == QMetaType::Bool && v.toBool();
}

bool TDriver::IsModelType2(int modelId) {
    return std::find(std::begin(kModelType2Ids), std::end(kModelType2Ids), modelId) !=
           std::end(kModelType2Ids);
}

void TDriver::AddTagByte(int tag, int value) {
    SetTagNumber(tag);
    SetTagType(0);
    SetTagValueInt(value);
    Check(FNAddTag());
}

void TDriver::AddTagStr(int tag, const QString& text) {
    SetTagNumber(tag);
    SetTagType(7);
    SetTagValueStr(text);
    Check(FNAddTag());
}

void TDriver::AddTagUnixTime(int tag, const QDateTime& dateTime) {
    SetTagNumber(tag);
    SetTagType(6);
    SetTagValueDateTime(dateTime);
    Check(FNAddTag());
}

void TDriver::AddTagVLN(int tag, const QString& text) {
    SetTagNumber(tag);
    SetTagType(3);
    SetTagValueVLN(text);
    Check(FNAddTag());
}

void TDriver::SendTagStr(int tag, const QString& text) {
    SetTagNumber(tag);
    SetTagType(7);
    SetTagValueStr(text);
    Check(FNSendTag());
}

void TDriver::SendTagStrOperation(int tag, const QString& text) {
    SetTagNumber(tag);
    SetTagType(7);
    SetTagValueStr(text);
    Check(FNSendTagOperation());
}

void TDriver::SendTagUnixTime(int tag, const QDateTime& dateTime) {
    SetTagNumber(tag);
    SetTagType(6);
    SetTagValueDateTime(dateTime);
    Check(FNSendTag());
}

void TDriver::SendTagUnixTimeOperation(int tag, const QDateTime& dateTime) {
    SetTagNumber(tag);
    SetTagType(6);
    SetTagValueDateTime(dateTime);
    Check(FNSendTagOperation());
}

void TDriver::BeginSTLVTag(int tag) {
    SetTagNumber(tag);
    Check(FNBeginSTLVTag());
}

void TDriver::SendSTLVTag(int tag) {
    SetTagNumber(tag);
    Check(FNSendSTLVTag());
}

void TDriver::SendSTLVTagOperation(int tag) {
    SetTagNumber(tag);
    Check(FNSendSTLVTagOperation());
}

int TDriver::SendCommand(const TBytes& bytes) {
    SetBinaryConversion(1);
    SetTransferBytes(BytesToHex(bytes));
    return ExchangeBytes();
}

int TDriver::SendCommand(const TBytes& bytes, TBytes& answer) {
    const int code = SendCommand(bytes);
    answer = HexToBytes(TransferBytes());
    return code;
}

QString TDriver::AmountToStr(Currency amount) {
    if (!PointPosition())
        return QString::number(amount.raw / 10000); // truncates toward zero
    return AmountWithCents(amount);
}

int TDriver::GetPrintStringWidth(int font) {
    const int saved = Password();
    // The password comes back also when the metrics call aborts.
    const auto restore = qScopeGuard([this, saved] { SetPassword(saved); });
    SetPassword(SysAdminPassword());
    SetFontType(font);
    Check(GetFontMetrics());
    const int charWidth = CharWidth();
    // A character wider than the line (or a negative metric) would leave no
    // room at all, and printing would never advance.
    const int width = charWidth > 0 ? PrintWidth() / charWidth : 0;
    return width < 1 ? kDefaultLineWidth : width;
}

void TDriver::PrintText(const QString& text, int font) {
    if (font == 0) {
        SetStringForPrinting(text);
        Check(PrintStringWithWrap());
        return;
    }
    const int width = GetPrintStringWidth(font);
    const auto printPiece = [this, font](const QString& piece) {
        SetStringForPrinting(piece);
        int code = 0;
        for (int attempt = 1; attempt <= kPrintAttempts; ++attempt) {
            SetFontType(font);
            code = PrintStringWithFont();
            if (code != kPrintingCode && code != kPrintBufferFullCode)
                break;
            if (attempt < kPrintAttempts)
                QThread::msleep(kPrintRetryDelayMs);
        }
        Check(code);
    };
    for (const QString& line : SplitLines(text)) {
        if (line.isEmpty()) {
            printPiece(QString());
            continue;
        }
        for (qsizetype at = 0; at < line.size(); at += width)
            printPiece(line.mid(at, width));
    }
}

std::shared_ptr<TDriver> DriverRef() {
    QMutexLocker l(&InstanceLock());
    auto& d = Instance();
    if (!d) {
        try {
            d = std::make_shared<TDriver>(Platform::CreateComponent());
        } catch (const EError& e) {
            throw EError(Tr("Ошибка создания объекта драйвера: ") + e.Message());
        }
    }
    return d;
}

TDriver& Driver() {
    return *DriverRef();
}

bool DriverExists() {
    QMutexLocker l(&InstanceLock());
    return Instance() != nullptr;
}

void FreeDriver() {
    QMutexLocker l(&InstanceLock());
    Instance().reset();
}
