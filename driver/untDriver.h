#pragma once
// TDriver: the driver object as the test bench's pages use it — every
// property and method of the component, plus the helpers that bundle the
// recurring sequences. And the one driver object of the process.

#include "driver/BinUtils.h"
#include "driver/TLedgra.h"

#include <memory>

class TDriver : public TLedgra {
public:
    using TLedgra::TLedgra;

    // A non-zero code ends the calling handler by a silent abort.
    static void Check(int resultCode);

    // Device tables. Tables 18 and 19 live under a model's own numbers
    // (model parameters 72 and 73); the reads correct them, the default read
    // and the write take the number as given.
    int CorrectTableNumber(int number);
    int ReadTableInt(int table, int row, int field);
    QString ReadTableStr(int table, int row, int field);
    // Never fails on a device error: the default comes back instead.
    int ReadTableDef(int table, int row, int field, int defaultValue);
    void WriteTableInt(int table, int row, int field, int value);

    // Model parameters.
    int ReadIntParam(int paramId);
    bool ReadBoolParam(int paramId);
    int GetModelID() { return ReadIntParam(32); }
    bool CapCashCore() { return ReadBoolParam(28); }
    int FirstDrawLine() { return ReadIntParam(27); }
    bool CapTaxPasswordLock() { return ReadBoolParam(40); }
    bool CapLastPrintResult() { return ReadBoolParam(50); }
    bool CapLoadBlockGraphics() { return ReadBoolParam(51); }
    int MaxCmdLength() { return ReadIntParam(53); }
    int MaxLineWidth() { return ReadIntParam(55); }
    bool CapSKNO() { return ReadBoolParam(57); }
    bool CapFN() { return ReadBoolParam(71); }
    int FSTableNumber() { return ReadIntParam(72); }
    bool IsModelType2() { return IsModelType2(GetModelID()); }
    static bool IsModelType2(int modelId);

    // Fiscal tags: AddTag... adds a member to the composite tag opened by
    // BeginSTLVTag; SendTag... sends to the document, ...Operation to the
    // current item of the receipt.
    void AddTagByte(int tag, int value);
    void AddTagStr(int tag, const QString& text);
    void AddTagUnixTime(int tag, const QDateTime& dateTime);
    void AddTagVLN(int tag, const QString& text);
    void SendTagStr(int tag, const QString& text);
    void SendTagStrOperation(int tag, const QString& text);
    void SendTagUnixTime(int tag, const QDateTime& dateTime);
    void SendTagUnixTimeOperation(int tag, const QDateTime& dateTime);
    void BeginSTLVTag(int tag);
    void SendSTLVTag(int tag);
    void SendSTLVTagOperation(int tag);

    // Raw command bytes; the result code is the caller's to judge.
    int SendCommand(const TBytes& bytes);
    int SendCommand(const TBytes& bytes, TBytes& answer);

    // With PointPosition two decimals in the user's locale, else the whole
    // part.
    QString AmountToStr(Currency amount);
    // Characters per line of the font; Password is left as it was.
    int GetPrintStringWidth(int font);
    // Font 0: the driver wraps the text. Any other font: the text is cut into
    // lines and pieces of the line width, each printed with up to five
    // attempts while the device is busy (codes 80 and 75).
    void PrintText(const QString& text, int font);
};

// The process's driver object, created on first use through the component
// factory. A creation failure raises EError "Ошибка создания объекта драйвера:
// " + the reason; the instance stays empty, so the next call tries again.
TDriver& Driver();
// A reference that keeps the object alive (a worker thread holds one while it
// runs, so FreeDriver never destroys an object still in use).
std::shared_ptr<TDriver> DriverRef();
bool DriverExists();
void FreeDriver();
