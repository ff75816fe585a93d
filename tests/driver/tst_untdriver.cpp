// TDriver's helpers against the recording fake, the shared conversion helpers,
// the shared texts and the fiscal storage texts.

#include "driver/BinUtils.h"
#include "driver/PrinterTypes.h"
#include "driver/untDriver.h"
#include "driver/untTexts.h"
#include "driver/untUtil.h"
#include "ledgra/LedgraComponent.h"
#include "platform/LedgraErrors.h"
#include "tests/support/FakeLedgra.h"
#include "tests/support/TestDataDir.h"

#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using M = MethodId;
using P = PropertyId;

namespace {
QByteArray Bytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

// The texts set to StringForPrinting, in order.
QStringList PrintedPieces(const QStringList& log) {
    QStringList r;
    const QString prefix = QStringLiteral("Set StringForPrinting=");
    for (const QString& e : log)
        if (e.startsWith(prefix))
            r << e.mid(prefix.size());
    return r;
}

template <typename F> QString ErrorText(F&& f) {
    try {
        f();
    } catch (const EError& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}
} // namespace

class TestUntDriver : public QObject {
    Q_OBJECT
private:
    std::shared_ptr<FakeLedgra> FFake;
    std::unique_ptr<TDriver> FDriver;
    FakeLedgra& Fake() { return *FFake; }
    TDriver& D() { return *FDriver; }
    void AnswerParam(const QVariant& value) {
        Fake().Answer(M::ReadModelParamValue, 0, {{P::ModelParamValue, value}});
    }

private Q_SLOTS:
    void init();

    // TDriver against the fake.
    void tableNumberCorrection_data();
    void tableNumberCorrection();
    void tableReadErrors();
    void modelParamAccessors_data();
    void modelParamAccessors();
    void modelParamConversion();
    void isModelType2_data();
    void isModelType2();
    void tagSequence();
    void sendCommand();
    void amountToStr_data();
    void amountToStr();
    void printStringWidth_data();
    void printStringWidth();
    void printStringWidthRestoresPasswordOnError();
    void printTextPieces_data();
    void printTextPieces();
    void printTextBusyRetry_data();
    void printTextBusyRetry();
    void virtualRegisterTables();

    // Bytes, hex and bits.
    void hexToStr_data();
    void hexToStr();
    void strToHex();
    void bytesRoundTrip();
    void binToInt_data();
    void binToInt();
    void intToBinAndBits();

    // Input conversions and display helpers.
    void exRound_data();
    void exRound();
    void getSumm_data();
    void getSumm();
    void checkIntStr();
    void addLeadingZeros_data();
    void addLeadingZeros();
    void str866To1251_data();
    void str866To1251();
    void tcpPort_data();
    void tcpPort();
    void displayHelpers();
    void readFileData();
    void strToIntChecked_data();
    void strToIntChecked();
    void strToFloatAndDateChecked();

    // Fiscal storage texts.
    void fnErrorDescription_data();
    void fnErrorDescription();
    void documentTypes_data();
    void documentTypes();
    void unknownDocumentTypes();
};

void TestUntDriver::init() {
    FFake = std::make_shared<FakeLedgra>();
    FDriver = std::make_unique<TDriver>(FFake);
}

// ---------------------------------------------------------------- TDriver

void TestUntDriver::tableNumberCorrection_data() {
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("table");
    QTest::addColumn<QStringList>("log");
    const QStringList read72 = {"Set RowNumber=2",          "Set ModelParamNumber=72",
                                "Call ReadModelParamValue", "Set TableNumber=7",
                                "Set FieldNumber=3",        "Call ReadTable"};
    QTest::newRow("ReadTableInt 18 asks parameter 72") << "Int" << 18 << read72;
    QTest::newRow("ReadTableStr 18 asks parameter 72") << "Str" << 18 << read72;
    QTest::newRow("ReadTableInt 19 asks parameter 73")
        << "Int" << 19
        << QStringList{"Set RowNumber=2",   "Set ModelParamNumber=73", "Call ReadModelParamValue",
                       "Set TableNumber=7", "Set FieldNumber=3",       "Call ReadTable"};
    QTest::newRow("ReadTableInt 17 unchanged")
        << "Int" << 17
        << QStringList{"Set RowNumber=2", "Set TableNumber=17", "Set FieldNumber=3",
                       "Call ReadTable"};
    QTest::newRow("ReadTableDef 18 unchanged")
        << "Def" << 18
        << QStringList{"Set RowNumber=2", "Set TableNumber=18", "Set FieldNumber=3",
                       "Call ReadTable"};
    QTest::newRow("WriteTableInt 18 unchanged")
        << "Write" << 18
        << QStringList{"Set TableNumber=18", "Set RowNumber=2", "Set FieldNumber=3",
                       "Set ValueOfFieldInteger=5", "Call WriteTable"};
}

void TestUntDriver::tableNumberCorrection() {
    QFETCH(QString, op);
    QFETCH(int, table);
    QFETCH(QStringList, log);
    Fake().DefaultAnswer(M::ReadModelParamValue, 0, {{P::ModelParamValue, 7}});
    Fake().DefaultAnswer(M::ReadTable, 0,
                         {{P::ValueOfFieldInteger, 42}, {P::ValueOfFieldString, "text"}});
    if (op == "Int")
        QCOMPARE(D().ReadTableInt(table, 2, 3), 42);
    else if (op == "Str")
        QCOMPARE(D().ReadTableStr(table, 2, 3), QStringLiteral("text"));
    else if (op == "Def")
        QCOMPARE(D().ReadTableDef(table, 2, 3, -1), 42);
    else
        D().WriteTableInt(table, 2, 3, 5);
    QCOMPARE(Fake().Log(), log);
}

void TestUntDriver::tableReadErrors() {
    // The default read swallows the device error.
    Fake().Answer(M::ReadTable, 93, {{P::ValueOfFieldInteger, 42}});
    QCOMPARE(D().ReadTableDef(1, 1, 1, 17), 17);

    // The checked reads abort; a failed table correction stops before the read.
    Fake().Answer(M::ReadTable, 93);
    QVERIFY_THROWS_EXCEPTION(EAbort, D().ReadTableInt(1, 1, 1));
    Fake().ClearLog();
    Fake().Answer(M::ReadModelParamValue, 55);
    QVERIFY_THROWS_EXCEPTION(EAbort, D().ReadTableStr(18, 1, 1));
    QCOMPARE(Fake().CallCount(M::ReadTable), 0);
    Fake().Answer(M::WriteTable, 1);
    QVERIFY_THROWS_EXCEPTION(EAbort, D().WriteTableInt(1, 1, 1, 0));
}

void TestUntDriver::modelParamAccessors_data() {
    QTest::addColumn<QString>("accessor");
    QTest::addColumn<int>("param");
    QTest::addColumn<QVariant>("answer");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("GetModelID") << "GetModelID" << 32 << QVariant(16) << QVariant(16);
    QTest::newRow("CapCashCore") << "CapCashCore" << 28 << QVariant(true) << QVariant(true);
    QTest::newRow("FirstDrawLine") << "FirstDrawLine" << 27 << QVariant(1) << QVariant(1);
    QTest::newRow("CapTaxPasswordLock")
        << "CapTaxPasswordLock" << 40 << QVariant(false) << QVariant(false);
    QTest::newRow("CapLastPrintResult")
        << "CapLastPrintResult" << 50 << QVariant(true) << QVariant(true);
    QTest::newRow("CapLoadBlockGraphics")
        << "CapLoadBlockGraphics" << 51 << QVariant(true) << QVariant(true);
    QTest::newRow("MaxCmdLength") << "MaxCmdLength" << 53 << QVariant(256) << QVariant(256);
    QTest::newRow("MaxLineWidth") << "MaxLineWidth" << 55 << QVariant(576) << QVariant(576);
    QTest::newRow("CapSKNO") << "CapSKNO" << 57 << QVariant(true) << QVariant(true);
    QTest::newRow("CapFN") << "CapFN" << 71 << QVariant(true) << QVariant(true);
    QTest::newRow("FSTableNumber") << "FSTableNumber" << 72 << QVariant(18) << QVariant(18);
}

void TestUntDriver::modelParamAccessors() {
    QFETCH(QString, accessor);
    QFETCH(int, param);
    QFETCH(QVariant, answer);
    QFETCH(QVariant, expected);
    const std::map<QString, std::function<QVariant(TDriver&)>> accessors = {
        {"GetModelID", [](TDriver& d) { return QVariant(d.GetModelID()); }},
        {"CapCashCore", [](TDriver& d) { return QVariant(d.CapCashCore()); }},
        {"FirstDrawLine", [](TDriver& d) { return QVariant(d.FirstDrawLine()); }},
        {"CapTaxPasswordLock", [](TDriver& d) { return QVariant(d.CapTaxPasswordLock()); }},
        {"CapLastPrintResult", [](TDriver& d) { return QVariant(d.CapLastPrintResult()); }},
        {"CapLoadBlockGraphics", [](TDriver& d) { return QVariant(d.CapLoadBlockGraphics()); }},
        {"MaxCmdLength", [](TDriver& d) { return QVariant(d.MaxCmdLength()); }},
        {"MaxLineWidth", [](TDriver& d) { return QVariant(d.MaxLineWidth()); }},
        {"CapSKNO", [](TDriver& d) { return QVariant(d.CapSKNO()); }},
        {"CapFN", [](TDriver& d) { return QVariant(d.CapFN()); }},
        {"FSTableNumber", [](TDriver& d) { return QVariant(d.FSTableNumber()); }},
    };
    AnswerParam(answer);
    QCOMPARE(accessors.at(accessor)(D()), expected);
    QCOMPARE(Fake().Log(), (QStringList{QStringLiteral("Set ModelParamNumber=%1").arg(param),
                                        "Call ReadModelParamValue"}));
}

void TestUntDriver::modelParamConversion() {
    AnswerParam(QStringLiteral(" 12 "));
    QCOMPARE(D().ReadIntParam(1), 12);
    AnswerParam(QStringLiteral("abc"));
    QCOMPARE(ErrorText([&] { D().ReadIntParam(1); }),
             QStringLiteral("\"abc\" не является целым числом"));
    // Only the boolean True is true.
    AnswerParam(QVariant(false));
    QCOMPARE(D().ReadBoolParam(1), false);
    AnswerParam(QStringLiteral("yes"));
    QCOMPARE(D().ReadBoolParam(1), false);
    Fake().Answer(M::ReadModelParamValue, 51, {{P::ModelParamValue, true}});
    QVERIFY_THROWS_EXCEPTION(EAbort, D().ReadBoolParam(1));
}

void TestUntDriver::isModelType2_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("type2");
    for (int m : {16, 19, 21, 27, 30, 32, 36, 38, 42, 45, 46})
        QTest::addRow("%d", m) << m << true;
    for (int m : {0, 15, 17, 18, 22, 26, 31, 37, 43, 44, 47, 48, 255})
        QTest::addRow("%d", m) << m << false;
}

void TestUntDriver::isModelType2() {
    QFETCH(int, model);
    QFETCH(bool, type2);
    AnswerParam(model);
    QCOMPARE(D().IsModelType2(), type2);
    QCOMPARE(Fake().Log().first(), QStringLiteral("Set ModelParamNumber=32"));
}

void TestUntDriver::tagSequence() {
    const QDateTime when(QDate(2024, 2, 29), QTime(12, 30, 15));
    D().BeginSTLVTag(1223);
    D().AddTagByte(1222, 4);
    D().AddTagStr(1225, "ООО");
    D().AddTagVLN(1191, "12.5");
    D().AddTagUnixTime(1012, when);
    D().SendSTLVTagOperation(1223);
    D().SendTagStr(1008, "a@b");
    D().SendTagStrOperation(1191, "x");
    D().SendTagUnixTime(1012, when);
    D().SendTagUnixTimeOperation(1012, when);
    D().SendSTLVTag(1224);
    const QStringList expected = {"Set TagNumber=1223",
                                  "Call FNBeginSTLVTag",
                                  "Set TagNumber=1222",
                                  "Set TagType=0",
                                  "Set TagValueInt=4",
                                  "Call FNAddTag",
                                  "Set TagNumber=1225",
                                  "Set TagType=7",
                                  "Set TagValueStr=ООО",
                                  "Call FNAddTag",
                                  "Set TagNumber=1191",
                                  "Set TagType=3",
                                  "Set TagValueVLN=12.5",
                                  "Call FNAddTag",
                                  "Set TagNumber=1012",
                                  "Set TagType=6",
                                  "Set TagValueDateTime=2024-02-29T12:30:15",
                                  "Call FNAddTag",
                                  "Set TagNumber=1223",
                                  "Call FNSendSTLVTagOperation",
                                  "Set TagNumber=1008",
                                  "Set TagType=7",
                                  "Set TagValueStr=a@b",
                                  "Call FNSendTag",
                                  "Set TagNumber=1191",
                                  "Set TagType=7",
                                  "Set TagValueStr=x",
                                  "Call FNSendTagOperation",
                                  "Set TagNumber=1012",
                                  "Set TagType=6",
                                  "Set TagValueDateTime=2024-02-29T12:30:15",
                                  "Call FNSendTag",
                                  "Set TagNumber=1012",
                                  "Set TagType=6",
                                  "Set TagValueDateTime=2024-02-29T12:30:15",
                                  "Call FNSendTagOperation",
                                  "Set TagNumber=1224",
                                  "Call FNSendSTLVTag"};
    QCOMPARE(Fake().Log(), expected);

    Fake().Answer(M::FNAddTag, 2);
    QVERIFY_THROWS_EXCEPTION(EAbort, D().AddTagStr(1, "x"));
}

void TestUntDriver::sendCommand() {
    Fake().Answer(M::ExchangeBytes, 0, {{P::TransferBytes, "FC 00 01"}});
    TBytes answer;
    QCOMPARE(D().SendCommand(Bytes("fc0aff"), answer), 0);
    QCOMPARE(answer, Bytes("fc0001"));
    QCOMPARE(Fake().Log(), (QStringList{"Set BinaryConversion=1", "Set TransferBytes=FC 0A FF",
                                        "Call ExchangeBytes"}));
    // A device error comes back as the code, never as an abort.
    Fake().Answer(M::ExchangeBytes, 55);
    QCOMPARE(D().SendCommand(Bytes("01")), 55);
}

void TestUntDriver::amountToStr_data() {
    QTest::addColumn<bool>("point");
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("expected");
    const QString sep = QLocale::system().decimalPoint();
    QTest::newRow("two decimals") << true << qint64(123456) << "12" + sep + "35";
    QTest::newRow("half up") << true << qint64(1250) << "0" + sep + "13";
    QTest::newRow("negative") << true << qint64(-123456) << "-12" + sep + "35";
    QTest::newRow("whole") << true << qint64(50000) << "5" + sep + "00";
    QTest::newRow("integer part") << false << qint64(123456) << "12";
    QTest::newRow("toward zero") << false << qint64(-129000) << "-12";
}

void TestUntDriver::amountToStr() {
    QFETCH(bool, point);
    QFETCH(qint64, raw);
    QFETCH(QString, expected);
    Fake().Preset(P::PointPosition, point);
    QCOMPARE(D().AmountToStr(Currency::FromRaw(raw)), expected);
}

void TestUntDriver::printStringWidth_data() {
    QTest::addColumn<int>("printWidth");
    QTest::addColumn<int>("charWidth");
    QTest::addColumn<int>("width");
    QTest::newRow("576/12") << 576 << 12 << 48;
    QTest::newRow("truncated") << 576 << 13 << 44;
    QTest::newRow("no char width") << 576 << 0 << 40;
    QTest::newRow("char wider than the line") << 10 << 12 << 40;
    QTest::newRow("negative metrics") << 576 << -12 << 40;
}

void TestUntDriver::printStringWidth() {
    QFETCH(int, printWidth);
    QFETCH(int, charWidth);
    QFETCH(int, width);
    Fake().Preset(P::Password, 1).Preset(P::SysAdminPassword, 30);
    Fake().Answer(M::GetFontMetrics, 0, {{P::PrintWidth, printWidth}, {P::CharWidth, charWidth}});
    QCOMPARE(D().GetPrintStringWidth(2), width);
    QCOMPARE(Fake().Log(), (QStringList{"Set Password=30", "Set FontType=2", "Call GetFontMetrics",
                                        "Set Password=1"}));
}

void TestUntDriver::printStringWidthRestoresPasswordOnError() {
    Fake().Preset(P::Password, 1).Preset(P::SysAdminPassword, 30);
    Fake().Answer(M::GetFontMetrics, 4);
    QVERIFY_THROWS_EXCEPTION(EAbort, D().GetPrintStringWidth(2));
    QCOMPARE(D().Password(), 1);
}

void TestUntDriver::printTextPieces_data() {
    QTest::addColumn<int>("font");
    QTest::addColumn<int>("charWidth");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("pieces");
    const QString a40(40, 'a'), b40(40, 'b'), c20(20, 'c');
    QTest::newRow("100 chars in 40") << 1 << 12 << a40 + b40 + c20 << QStringList{a40, b40, c20};
    QTest::newRow("exact width") << 1 << 12 << a40 << QStringList{a40};
    QTest::newRow("empty line between") << 1 << 12 << "ab\n\ncd" << QStringList{"ab", "", "cd"};
    QTest::newRow("every break") << 1 << 12 << "a\r\nb\rc\nd" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("break at the end") << 1 << 12 << "a\n" << QStringList{"a"};
    QTest::newRow("only a break") << 1 << 12 << "\n" << QStringList{""};
    QTest::newRow("empty text") << 1 << 12 << "" << QStringList{};
    // 10 dots per line, 12 per character: the fallback width, not a hang.
    QTest::newRow("char wider than the line") << 1 << 1000 << a40 + "z" << QStringList{a40, "z"};
}

void TestUntDriver::printTextPieces() {
    QFETCH(int, font);
    QFETCH(int, charWidth);
    QFETCH(QString, text);
    QFETCH(QStringList, pieces);
    Fake().Answer(M::GetFontMetrics, 0, {{P::PrintWidth, 480}, {P::CharWidth, charWidth}});
    D().PrintText(text, font);
    QCOMPARE(PrintedPieces(Fake().Log()), pieces);
    QCOMPARE(Fake().CallCount(M::PrintStringWithFont), pieces.size());
    QCOMPARE(Fake().CallCount(M::PrintStringWithWrap), 0);
}

void TestUntDriver::printTextBusyRetry_data() {
    QTest::addColumn<QList<int>>("codes"); // answers of the first piece
    QTest::addColumn<int>("attempts");
    QTest::addColumn<bool>("aborts");
    QTest::newRow("80 four times, then printed") << QList<int>{80, 80, 80, 80, 0} << 5 << false;
    QTest::newRow("75 and 80 mixed") << QList<int>{75, 80, 0} << 3 << false;
    QTest::newRow("75 five times aborts") << QList<int>{75, 75, 75, 75, 75} << 5 << true;
    QTest::newRow("other error at once") << QList<int>{107} << 1 << true;
    QTest::newRow("other error after busy") << QList<int>{80, 88} << 2 << true;
}

void TestUntDriver::printTextBusyRetry() {
    QFETCH(QList<int>, codes);
    QFETCH(int, attempts);
    QFETCH(bool, aborts);
    Fake().Answer(M::GetFontMetrics, 0, {{P::PrintWidth, 480}, {P::CharWidth, 12}});
    for (int c : codes)
        Fake().Answer(M::PrintStringWithFont, c);
    const auto print = [&] { D().PrintText("first\nsecond", 3); };
    if (aborts) {
        QVERIFY_THROWS_EXCEPTION(EAbort, print());
        QCOMPARE(Fake().CallCount(M::PrintStringWithFont), attempts);
        QCOMPARE(PrintedPieces(Fake().Log()), QStringList{"first"}); // the rest is not printed
    } else {
        print();
        QCOMPARE(Fake().CallCount(M::PrintStringWithFont), attempts + 1);
        QCOMPARE(PrintedPieces(Fake().Log()), (QStringList{"first", "second"}));
    }
    // Every attempt sets the font again.
    QCOMPARE(Fake().Log().count("Set FontType=3"),
             Fake().CallCount(M::PrintStringWithFont) + 1 /* the width query */);
}

void TestUntDriver::virtualRegisterTables() {
    // A model keeping the fiscal storage table under number 14: the answers
    // of the real component, over its wire, reach the helpers with their types.
    TestDataDir dir;
    auto component = std::make_shared<TLedgraComponent>();
    QString text;
    QCOMPARE(component->ServiceCommand(QStringLiteral("profile alt-tables"), &text), 0);
    TDriver d(component);
    QCOMPARE(d.FSTableNumber(), 14);
    QVERIFY(d.CapFN());
    QVERIFY(!d.CapSKNO());
    QCOMPARE(d.IsModelType2(), false);
    d.WriteTableInt(14, 1, 5, 3);
    QCOMPARE(d.ReadTableInt(18, 1, 5), 3);
    QCOMPARE(d.TableNumber(), 14);
    QCOMPARE(d.ReadTableDef(18, 1, 5, -7), -7); // no table 18 on this model
    QVERIFY_THROWS_EXCEPTION(EAbort, d.WriteTableInt(18, 1, 5, 3));
}

// ---------------------------------------------------------------- bytes and hex

void TestUntDriver::hexToStr_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("one-digit piece") << "0A 1 FF" << Bytes("0a01ff");
    QTest::newRow("odd digit at the end") << "ABC" << Bytes("ab0c");
    QTest::newRow("bad first piece") << "0G12" << QByteArray();
    QTest::newRow("stops at a bad piece") << "12 G1 34" << Bytes("12");
    QTest::newRow("lower case, extra blanks") << "  0a   ff " << Bytes("0aff");
    QTest::newRow("no blanks") << "00FF10" << Bytes("00ff10");
    QTest::newRow("empty") << "" << QByteArray();
}

void TestUntDriver::hexToStr() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(HexToStr(text), bytes);
    QCOMPARE(HexToBytes(text), bytes);
}

void TestUntDriver::strToHex() {
    const QByteArray data = Bytes("000aff");
    QCOMPARE(StrToHex(data), QStringLiteral("00 0A FF"));
    QCOMPARE(StrToHex(data, true), QStringLiteral("00 0A FF "));
    QCOMPARE(StrToHex(data, false), QStringLiteral("000AFF"));
    QCOMPARE(StrToHex(QByteArray()), QString());
    QCOMPARE(StrToHex(QByteArray(), true), QString());
    QCOMPARE(BytesToHex(data), QStringLiteral("00 0A FF"));
}

void TestUntDriver::bytesRoundTrip() {
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    QCOMPARE(HexToBytes(BytesToHex(all)), all);
    QCOMPARE(HexToStr(StrToHex(all, true)), all);
    QCOMPARE(HexToStr(StrToHex(all, false)), all);
    const QString s = BytesToString(all);
    QCOMPARE(s.size(), 256);
    QCOMPARE(s.at(0xE9).unicode(), char16_t(0xE9)); // byte n is character n
    QCOMPARE(StringToBytes(s), all);
}

void TestUntDriver::binToInt_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("count");
    QTest::addColumn<qint64>("value");
    QTest::newRow("first byte") << 1 << 1 << qint64(0x01);
    QTest::newRow("little-endian") << 2 << 3 << qint64(0x040302);
    QTest::newRow("last two") << 8 << 2 << qint64(0x0908);
    QTest::newRow("eight bytes") << 1 << 8 << qint64(0x0807060504030201);
    QTest::newRow("position 0") << 0 << 1 << qint64(0);
    QTest::newRow("past the end") << 10 << 1 << qint64(0);
    QTest::newRow("too few bytes") << 9 << 2 << qint64(0);
    QTest::newRow("count 0") << 1 << 0 << qint64(0);
    QTest::newRow("count 9") << 1 << 9 << qint64(0);
}

void TestUntDriver::binToInt() {
    QFETCH(int, position);
    QFETCH(int, count);
    QFETCH(qint64, value);
    QCOMPARE(BinToInt(Bytes("010203040506070809"), position, count), value);
}

void TestUntDriver::intToBinAndBits() {
    QCOMPARE(IntToBin(0x0102, 2), Bytes("0201"));
    QCOMPARE(IntToBin(0x0102, 3), Bytes("020100"));
    QCOMPARE(IntToBin(-1, 8), Bytes("ffffffffffffffff"));
    QCOMPARE(IntToBin(5, 0), QByteArray());
    QCOMPARE(IntToBin(5, 9), QByteArray());
    QCOMPARE(BinToInt(IntToBin(-2, 8), 1, 8), qint64(-2));
    QCOMPARE(Int64ToStr(std::numeric_limits<qint64>::min()),
             QStringLiteral("-9223372036854775808"));

    qint64 v = 0;
    SetBit(v, 0);
    SetBit(v, 63);
    SetBit(v, 64); // out of range: no effect
    QCOMPARE(v, std::numeric_limits<qint64>::min() + 1);
    QVERIFY(TestBit(v, 63));
    QVERIFY(!TestBit(v, 1));
    QVERIFY(!TestBit(-1, 64));
    int i = 0;
    SetBit(i, 31);
    QCOMPARE(i, std::numeric_limits<int>::min());
    QCOMPARE(Min(-3, 2), -3);
}

// ---------------------------------------------------------------- conversions

void TestUntDriver::exRound_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("expected");
    QTest::newRow("half up") << 0.125 << 0.01 << 0.13;
    QTest::newRow("half away from zero") << -0.125 << 0.01 << -0.13;
    QTest::newRow("below half") << 0.124 << 0.01 << 0.12;
    QTest::newRow("binary 2.675") << 2.675 << 0.01 << 2.68;
    QTest::newRow("whole half") << 2.5 << 1.0 << 3.0;
    QTest::newRow("negative whole half") << -2.5 << 1.0 << -3.0;
    QTest::newRow("negative below half") << -2.4 << 1.0 << -2.0;
    QTest::newRow("zero") << 0.0 << 0.01 << 0.0;
    QTest::newRow("step 0 leaves the value") << 1.234 << 0.0 << 1.234;
}

void TestUntDriver::exRound() {
    QFETCH(double, value);
    QFETCH(double, step);
    QFETCH(double, expected);
    QVERIFY2(qAbs(ExRound(value, step) - expected) < 1e-9,
             qPrintable(QString::number(ExRound(value, step), 'g', 17)));
}

void TestUntDriver::getSumm_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("blank inside, comma") << "1 234,567" << true << qint64(12345700);
    QTest::newRow("full stop") << "12.3456" << true << qint64(123500);
    QTest::newRow("half a kopeck") << "0,005" << true << qint64(100);
    QTest::newRow("negative") << "-5,5" << true << qint64(-55000);
    QTest::newRow("the largest") << "10995116277" << true << qint64(109951162770000);
    QTest::newRow("above the largest") << "10995116277.01" << false << qint64(0);
    QTest::newRow("far below") << "-20000000000" << false << qint64(0);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("letters") << "12abc" << false << qint64(0);
    QTest::newRow("two separators") << "1,2.3" << false << qint64(0);
    QTest::newRow("infinity") << "inf" << false << qint64(0);
}

void TestUntDriver::getSumm() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(qint64, raw);
    if (ok) {
        QCOMPARE(GetSumm(text, "Summ1").raw, raw);
    } else {
        QCOMPARE(ErrorText([&] { GetSumm(text, "Summ1"); }),
                 QStringLiteral("Некорректное значение в поле\n\"Summ1\""));
    }
}

void TestUntDriver::checkIntStr() {
    CheckIntStr(QString(1024, '1'), "Количество");
    QCOMPARE(ErrorText([] { CheckIntStr(QString(1025, '1'), "Количество"); }),
             QStringLiteral("Некорректное значение в поле \"Количество\""));
}

void TestUntDriver::addLeadingZeros_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("expected");
    QTest::newRow("padded") << "12" << 5 << "00012";
    QTest::newRow("exact") << "12" << 2 << "12";
    QTest::newRow("cut to the first characters") << "123456" << 4 << "1234";
    QTest::newRow("empty") << "" << 3 << "000";
}

void TestUntDriver::addLeadingZeros() {
    QFETCH(QString, text);
    QFETCH(int, length);
    QFETCH(QString, expected);
    QCOMPARE(AddLeadingZeros(text, length), expected);
}

void TestUntDriver::str866To1251_data() {
    QTest::addColumn<QByteArray>("cp866");
    QTest::addColumn<QByteArray>("cp1251");
    QTest::newRow("ASCII unchanged") << QByteArray("Az 09~") << QByteArray("Az 09~");
    QTest::newRow("capitals") << Bytes("809f") << Bytes("c0df");              // А Я
    QTest::newRow("small letters") << Bytes("a0afe0ef") << Bytes("e0eff0ff"); // а п р я
    QTest::newRow("yo") << Bytes("f0f1") << Bytes("a8b8");                    // Ё ё
    QTest::newRow("box drawing") << Bytes("b0c4cddb") << QByteArray("????");
    QTest::newRow("numero sign") << Bytes("fc") << Bytes("b9"); // №
}

void TestUntDriver::str866To1251() {
    QFETCH(QByteArray, cp866);
    QFETCH(QByteArray, cp1251);
    QCOMPARE(Str866To1251(cp866), cp1251);
}

void TestUntDriver::tcpPort_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("port");
    QTest::newRow("11h") << 0x11 << 0x1031;
    QTest::newRow("F5h") << 0xF5 << 0xF035;
    QTest::newRow("00h") << 0x00 << 0x0030;
    QTest::newRow("9Ch") << 0x9C << 0x903C;
}

void TestUntDriver::tcpPort() {
    QFETCH(int, code);
    QFETCH(int, port);
    QCOMPARE(DecodeTCPPort(code), port);
    QCOMPARE(EncodeTCPPort(port), code);
}

void TestUntDriver::displayHelpers() {
    QCOMPARE(GetINN(""), QStringLiteral("не задан"));
    QCOMPARE(GetRNM(""), QStringLiteral("не задан"));
    QCOMPARE(GetSerialNumber(""), QStringLiteral("не введен"));
    QCOMPARE(GetINN("7700"), QStringLiteral("7700"));
    QCOMPARE(GetSerialNumber("0001"), QStringLiteral("0001"));
    QCOMPARE(BoolToYesNo(true), QStringLiteral("[да]"));
    QCOMPARE(BoolToYesNo(false), QStringLiteral("[нет]"));
    QCOMPARE(Text(TText::BadFieldValue), QStringLiteral("Некорректное значение в поле"));
}

void TestUntDriver::readFileData() {
    QTemporaryDir dir;
    const QString path = dir.filePath("data.bin");
    const QByteArray content = Bytes("00ff0d0a1a41");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QCOMPARE(ReadFileData(path), content);
    const QString empty = dir.filePath("empty");
    QFile(empty).open(QIODevice::WriteOnly);
    QCOMPARE(ReadFileData(empty), QByteArray());
    const QString missing = dir.filePath("missing %1.bin");
    QCOMPARE(ErrorText([&] { ReadFileData(missing); }),
             QStringLiteral("Не удается открыть файл \"%1\"").arg(missing));
}

void TestUntDriver::strToIntChecked_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "12" << true << 12;
    QTest::newRow("blanks and sign") << " -7 " << true << -7;
    QTest::newRow("dollar hex") << "$FF" << true << 255;
    QTest::newRow("0x hex") << "0x10" << true << 16;
    QTest::newRow("hex bit pattern") << "$FFFFFFFF" << true << -1;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << int(-2147483648LL);
    QTest::newRow("too large") << "2147483648" << false << 0;
    QTest::newRow("inner blank") << "1 2" << false << 0;
    QTest::newRow("two signs") << "+-1" << false << 0;
    QTest::newRow("trailing letter") << "12a" << false << 0;
    QTest::newRow("fraction") << "1.5" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
}

void TestUntDriver::strToIntChecked() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    if (ok)
        QCOMPARE(StrToIntChecked(text), value);
    else
        QCOMPARE(ErrorText([&] { StrToIntChecked(text); }),
                 QStringLiteral("\"%1\" не является целым числом").arg(text));
}

void TestUntDriver::strToFloatAndDateChecked() {
    QCOMPARE(StrToFloatChecked(" 1.5 "), 1.5);
    for (const char* bad : {"abc", "", "nan", "1.5x"})
        QCOMPARE(ErrorText([&] { StrToFloatChecked(bad); }),
                 QStringLiteral("\"%1\" не является числом").arg(bad));
    QCOMPARE(StrToDateChecked("01.02.2024"), QDate(2024, 2, 1));
    QCOMPARE(StrToDateChecked("1.2.2024"), QDate(2024, 2, 1));
    // The argument is inserted as it is, even when it looks like a placeholder.
    for (const char* bad : {"31.02.2024", "2024-02-01", "%1"})
        QCOMPARE(ErrorText([&] { StrToDateChecked(bad); }),
                 QStringLiteral("\"%1\" не является датой").arg(bad));
}

// ---------------------------------------------------------------- FN texts

void TestUntDriver::fnErrorDescription_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    const std::pair<int, const char*> known[] = {
        {0x01, "Неизвестная команда, неверный формат посылки или неизвестные параметры"},
        {0x02, "Другое состояние ФН"},
        {0x03, "Отказ ФН"},
        {0x04, "Отказ КС"},
        {0x05, "Параметры команды не соответствуют сроку жизни ФН"},
        {0x06, "Архив ФН переполнен"},
        {0x07, "Неверные дата и/или время"},
        {0x08, "Нет запрошенных данных"},
        {0x09, "Некорректное значение параметров команды"},
        {0x0A, "Некорректная команда"},
        {0x0B, "Неразрешенные реквизиты"},
        {0x0C, "Дублирование данных"},
        {0x0D, "Отсутствуют данные, необходимые для корректного учета в ФН"},
        {0x0E, "Количество позиций в документе превысило допустимый предел"},
        {0x10, "Превышение размеров TLV данных"},
        {0x11, "Нет транспортного соединения"},
        {0x12, "Исчерпан ресурс ФН"},
        {0x14, "Ограничение ресурса ФН"},
        {0x15, "Исчерпан ресурс Ожидания передачи сообщения"},
        {0x16, "Продолжительность смены более 24 часов"},
        {0x17, "Некорректные данные о промежутке времени между фискальными документами"},
        {0x18, "Некорректный реквизит, переданный ККТ в ФН"},
        {0x19, "Реквизит не соответствует установкам при регистрации"},
        {0x20, "Ошибка при обработке ответа в ФН"},
        {0x21, "Нет связи с ФН. Фатальная ошибка !!!"},
        {0x23, "Ошибка сервиса обновления ключей проверки кодов маркировки"},
        {0x24, "Неизвестный ответ сервиса обновления ключей проверки"},
        {0x30, "ФН не отвечает"},
        {0x79, "Ошибка часов"},
        {0xA0, "Запрещена работа с маркированным товарами"},
        {0xA1, "Неверная последовательность команд группы Bxh"},
        {0xA2, "Работа с маркированными товарами временно заблокирована"},
        {0xA3, "Переполнена таблица хранения КМ"},
        {0xAA, "В блоке TLV отсутствуют необходимые реквизиты"},
        {0xAC, "В реквизите 2007 содержится КМ, который ранее не проверялся в ФН"},
    };
    for (const auto& [code, text] : known)
        QTest::addRow("%02Xh", code) << code << QString::fromUtf8(text);
    // Gaps, and the register's own codes that share the result table.
    for (int code : {0, -1, 0x0F, 0x13, 0x1A, 0x22, 0x31, 0x33, 0x50, 0x78, 0xA4, 0xAB, 0xAD, 256})
        QTest::addRow("unknown %d", code) << code << QStringLiteral("Неизвестный код ошибки");
}

void TestUntDriver::fnErrorDescription() {
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(GetFNErrorDescription(code), text);
}

void TestUntDriver::documentTypes_data() {
    QTest::addColumn<int>("findCode");
    QTest::addColumn<int>("statusCode");
    QTest::addColumn<QString>("text");
    QTest::newRow("none open") << 0 << 0 << "Нет открытого документа";
    QTest::newRow("registration") << 1 << 1 << "Отчет о регистрации";
    QTest::newRow("shift open") << 2 << 2 << "Отчет об открытии смены";
    QTest::newRow("receipt") << 3 << 4 << "Кассовый чек";
    QTest::newRow("form") << 4 << 17 << "Бланк строгой отчетности";
    QTest::newRow("shift close") << 5 << 8 << "Отчет о закрытии смены";
    QTest::newRow("FN close") << 6 << 16 << "Отчет о закрытии фискального накопителя";
    QTest::newRow("operator confirmation") << 7 << -1 << "Подтверждение оператора";
    QTest::newRow("re-registration") << 11 << 19 << "Отчет об изменении параметров регистрации";
    QTest::newRow("FN replacement")
        << -1 << 18 << "Отчет об изменении параметров регистрации в связи с заменой ФН";
    QTest::newRow("settlements") << 21 << 23 << "Отчет о текущем состоянии расчетов";
    QTest::newRow("correction receipt") << 31 << 20 << "Кассовый чек коррекции";
    QTest::newRow("correction form") << 41 << 21 << "Бланк строгой отчетности коррекции";
}

void TestUntDriver::documentTypes() {
    QFETCH(int, findCode);
    QFETCH(int, statusCode);
    QFETCH(QString, text);
    if (findCode >= 0)
        QCOMPARE(FNFindDocumentTypeToStr(findCode), text);
    if (statusCode >= 0)
        QCOMPARE(FNStatusDocumentTypeToStr(statusCode), text);
}

void TestUntDriver::unknownDocumentTypes() {
    const QString unknown = QStringLiteral("Неизвестный тип документа");
    QCOMPARE(FNFindDocumentTypeToStr(8), unknown);
    QCOMPARE(FNStatusDocumentTypeToStr(3), unknown);
    QCOMPARE(FNFindDocumentTypeToStr(-1), unknown);
    QCOMPARE(FNStatusDocumentTypeToStr(-1), unknown); // -1 marks a missing code in the table
    QCOMPARE(FNFindDocumentTypeToStr(18), unknown);   // a status code only
}

QTEST_GUILESS_MAIN(TestUntDriver)
#include "tst_untdriver.moc"
