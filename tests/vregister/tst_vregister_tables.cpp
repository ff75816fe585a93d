// The virtual register's device tables, model parameters and error texts.

#include "driver/ResultCodes.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "tests/support/TestDataDir.h"
#include "vregister/VRModelProfile.h"
#include "vregister/VRTableSchema.h"
#include "vregister/VirtualRegister.h"

#include <QSet>
#include <QtTest>

using namespace LedgraProtocol;
using P = PropertyId;

namespace {

constexpr int kSysAdmin = 30;

// A register on its own file, called directly.
class Register {
public:
    explicit Register(const QString& path) : FReg(std::make_unique<VirtualRegister>(path)) {}

    Answer Call(MethodId m, const Values& in) {
        Request r;
        r.method = m;
        r.password = kSysAdmin;
        r.inputs = in;
        const auto a = FReg->Handle(r);
        return a ? *a : Answer{};
    }
    QVariant Out(const Answer& a, PropertyId id) {
        for (const auto& [k, v] : a.outputs)
            if (k == id)
                return v;
        return {};
    }
    void Profile(const QString& name) {
        QCOMPARE(FReg->Service(QStringLiteral("profile ") + name).code, 0);
    }
    Answer Read(int table, int row, int field) {
        return Call(MethodId::ReadTable,
                    {{P::TableNumber, table}, {P::RowNumber, row}, {P::FieldNumber, field}});
    }
    int Write(int table, int row, int field, const QVariant& value) {
        const bool text = value.typeId() == QMetaType::QString;
        return Call(MethodId::WriteTable,
                    {{P::TableNumber, table},
                     {P::RowNumber, row},
                     {P::FieldNumber, field},
                     {P::ValueOfFieldInteger, text ? 0 : value.toInt()},
                     {P::ValueOfFieldString, text ? value.toString() : QString()}})
            .code;
    }
    QString ReadStr(int table, int row, int field) {
        return Out(Read(table, row, field), P::ValueOfFieldString).toString();
    }
    QVariant Param(int number) {
        const Answer a = Call(MethodId::ReadModelParamValue, {{P::ModelParamNumber, number}});
        return a.code == 0 ? Out(a, P::ModelParamValue) : QVariant();
    }

private:
    std::unique_ptr<VirtualRegister> FReg;
};

} // namespace

class TestVRegisterTables : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void schemaIsConsistent();
    void cellsTheProgramsUse_data();
    void cellsTheProgramsUse();
    void roundTripThroughComponent_data();
    void roundTripThroughComponent();
    void valueOfTheOtherType();
    void refusals_data();
    void refusals();
    void altTablesProfile_data();
    void altTablesProfile();
    void initTable();
    void cellApi();
    void modelParams_data();
    void modelParams();
    void modelParamList();
    void errorDescriptions();
};

void TestVRegisterTables::schemaIsConsistent() {
    const auto& tables = VRTableSchema::Tables();
    QVERIFY(tables.size() >= 25);
    for (size_t i = 0; i < tables.size(); ++i) {
        const VRTableDef& t = tables[i];
        QCOMPARE(t.number, int(i) + 1);
        QVERIFY2(!t.name.isEmpty() && t.rows >= 1 && !t.fields.empty(), qPrintable(t.name));
        for (size_t j = 0; j < t.fields.size(); ++j) {
            const VRFieldDef& f = t.fields[j];
            const QByteArray where =
                QStringLiteral("%1.%2 %3").arg(t.number).arg(f.number).arg(f.name).toUtf8();
            QVERIFY2(f.number == int(j) + 1, where);
            QVERIFY2(!f.name.isEmpty() && f.size >= 1, where);
            for (int row = 1; row <= t.rows; ++row) {
                const QString def = VRTableSchema::DefaultText(t.number, row, f);
                if (f.isString) {
                    QVERIFY2(def.size() <= f.size, where);
                    continue;
                }
                bool ok = false;
                const qint64 n = def.toLongLong(&ok);
                QVERIFY2(ok && n >= f.min && n <= f.max, where);
            }
            if (!f.isString)
                QVERIFY2(f.min >= 0 && f.min <= f.max && f.max < (qint64(1) << (8 * f.size)),
                         where);
        }
    }
    // Every profile shows each table under exactly one number.
    for (const QString& name : VRProfile::Names()) {
        const VRProfileInfo& p = *VRProfile::Find(name);
        QSet<int> seen;
        for (int logical = 1; logical <= int(tables.size()); ++logical) {
            const int physical = VRTableSchema::Physical(p, logical);
            QVERIFY2(physical >= 1 && physical <= int(tables.size()), qPrintable(name));
            QCOMPARE(VRTableSchema::Logical(p, physical), logical);
            seen.insert(physical);
        }
        QCOMPARE(seen.size(), int(tables.size()));
    }
}

void TestVRegisterTables::cellsTheProgramsUse_data() {
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("field");
    QTest::addColumn<bool>("isString");
    QTest::addColumn<qint64>("mustAccept"); // a value the programs write; -1 for text

    QTest::newRow("print form 1/29") << 1 << 1 << 29 << false << qint64(4);
    QTest::newRow("sysadmin name 2/30/2") << 2 << 30 << 2 << true << qint64(-1);
    QTest::newRow("fonts 8/24") << 8 << 1 << 24 << false << qint64(5);
    QTest::newRow("paper sensor 10/11") << 10 << 1 << 11 << false << qint64(130);
    QTest::newRow("logging 10/15") << 10 << 1 << 15 << false << qint64(3);
    QTest::newRow("format version 10/29") << 10 << 1 << 29 << false << qint64(0);
    QTest::newRow("registration 10/32") << 10 << 1 << 32 << false << qint64(1);
    QTest::newRow("reasons alt 13/22") << 13 << 1 << 22 << false << qint64(0xFFFFFFFF);
    QTest::newRow("upgrade module 14/1") << 14 << 1 << 1 << false << qint64(0);
    QTest::newRow("address mode 16/1") << 16 << 1 << 1 << false << qint64(1);
    QTest::newRow("DNS octet 16/18") << 16 << 1 << 18 << false << qint64(255);
    QTest::newRow("socks port 16/24") << 16 << 1 << 24 << false << qint64(65535);
    QTest::newRow("print mask 17/12") << 17 << 1 << 12 << false << qint64((1 << 19) - 1);
    QTest::newRow("format version 17/17") << 17 << 1 << 17 << false << qint64(4);
    QTest::newRow("minimize mask 17/28") << 17 << 1 << 28 << false << qint64(8191);
    QTest::newRow("time zone 17/66") << 17 << 1 << 66 << false << qint64(11);
    QTest::newRow("operator INN 18/12") << 18 << 1 << 12 << true << qint64(-1);
    QTest::newRow("sender mail 18/15") << 18 << 1 << 15 << true << qint64(-1);
    QTest::newRow("agent 18/16") << 18 << 1 << 16 << false << qint64(127);
    QTest::newRow("reasons 18/22") << 18 << 1 << 22 << false << qint64(0xFFFFFFFF);
    QTest::newRow("OFD server 19/1") << 19 << 1 << 1 << true << qint64(-1);
    QTest::newRow("OFD port 19/2") << 19 << 1 << 2 << false << qint64(21101);
    QTest::newRow("KM port 19/6") << 19 << 1 << 6 << false << qint64(2003);
    QTest::newRow("ticket code 20/7") << 20 << 1 << 7 << false << qint64(0);
    QTest::newRow("exchange log 20/17") << 20 << 1 << 17 << true << qint64(-1);
    QTest::newRow("TCP port 21/4") << 21 << 1 << 4 << false << qint64(7779);
    QTest::newRow("WiFi password 21/8") << 21 << 1 << 8 << true << qint64(-1);
    QTest::newRow("RNDIS 21/9") << 21 << 1 << 9 << false << qint64(1);
    QTest::newRow("WiFi DNS 22/5") << 22 << 1 << 5 << true << qint64(-1);
    QTest::newRow("automat number 24/1") << 24 << 1 << 1 << true << qint64(-1);
}

void TestVRegisterTables::cellsTheProgramsUse() {
    QFETCH(int, table);
    QFETCH(int, row);
    QFETCH(int, field);
    QFETCH(bool, isString);
    QFETCH(qint64, mustAccept);
    const VRTableDef* t = VRTableSchema::Table(table);
    QVERIFY(t);
    QVERIFY(row <= t->rows);
    const VRFieldDef* f = VRTableSchema::Field(table, field);
    QVERIFY(f);
    QVERIFY(!f->reserved);
    QCOMPARE(f->isString, isString);
    if (!isString)
        QVERIFY(mustAccept >= f->min && mustAccept <= f->max);
}

void TestVRegisterTables::roundTripThroughComponent_data() {
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("field");
    QTest::addColumn<QVariant>("value"); // int for a number field, text for a text field
    QTest::addColumn<int>("readInt");
    QTest::addColumn<QString>("readStr");
    QTest::addColumn<int>("maxValue");

    QTest::newRow("number") << 17 << 1 << 66 << QVariant(7) << 7 << "7" << 11;
    QTest::newRow("text, Cyrillic at full size")
        << 18 << 1 << 12 << QVariant(QStringLiteral("ИННИННИННИНН")) << 0 << "ИННИННИННИНН" << 0;
    QTest::newRow("last row") << 2 << 30 << 2 << QVariant(QStringLiteral("Главный")) << 0
                              << "Главный" << 0;
    // A four-byte field holds 32 bits; the integer property carries the bit pattern.
    QTest::newRow("all 32 bits") << 18 << 1 << 22 << QVariant(-1) << -1 << "4294967295" << -1;
}

void TestVRegisterTables::roundTripThroughComponent() {
    QFETCH(int, table);
    QFETCH(int, row);
    QFETCH(int, field);
    QFETCH(QVariant, value);
    QFETCH(int, readInt);
    QFETCH(QString, readStr);
    QFETCH(int, maxValue);
    const bool text = value.typeId() == QMetaType::QString;

    TestDataDir dir;
    {
        TLedgra drv(std::make_shared<TLedgraComponent>());
        drv.SetPassword(kSysAdmin);
        drv.SetTableNumber(table);
        drv.SetRowNumber(row);
        drv.SetFieldNumber(field);
        // The value set last is the one written; a stale one of the other kind is ignored.
        if (text) {
            drv.SetValueOfFieldInteger(12345);
            drv.SetValueOfFieldString(value.toString());
        } else {
            drv.SetValueOfFieldString(QStringLiteral("99"));
            drv.SetValueOfFieldInteger(value.toInt());
        }
        QCOMPARE(drv.WriteTable(), 0);
        QCOMPARE(drv.ValueOfFieldString(), readStr);

        drv.SetValueOfFieldInteger(0);
        drv.SetValueOfFieldString(QString());
        drv.SetFieldName(QString());
        QCOMPARE(drv.ReadTable(), 0);
        QCOMPARE(drv.ValueOfFieldInteger(), readInt);
        QCOMPARE(drv.ValueOfFieldString(), readStr);
        // The field's structure comes with the value.
        QCOMPARE(drv.FieldName(), VRTableSchema::Field(table, field)->name);
        QCOMPARE(drv.FieldType(), text);
        QCOMPARE(drv.MAXValueOfField(), maxValue);

        QCOMPARE(drv.GetFieldStruct(), 0);
        QCOMPARE(drv.FieldType(), text);
        QCOMPARE(drv.FieldSize(), VRTableSchema::Field(table, field)->size);
        QCOMPARE(drv.MAXValueOfField(), maxValue);

        QCOMPARE(drv.GetTableStruct(), 0);
        QCOMPARE(drv.TableName(), VRTableSchema::Table(table)->name);
        QCOMPARE(drv.RowNumber(), VRTableSchema::Table(table)->rows);
        QCOMPARE(drv.FieldNumber(), int(VRTableSchema::Table(table)->fields.size()));
    }
    // The value outlives the register object: a new one on the file reads it.
    Register reg(VR::DefaultRegisterPath());
    const Answer a = reg.Read(table, row, field);
    QCOMPARE(a.code, 0);
    QCOMPARE(reg.Out(a, P::ValueOfFieldInteger).toInt(), readInt);
    QCOMPARE(reg.Out(a, P::ValueOfFieldString).toString(), readStr);
    // Its neighbours keep their defaults.
    const VRFieldDef* f = VRTableSchema::Field(table, 1);
    if (field != 1)
        QCOMPARE(reg.ReadStr(table, row, 1), VRTableSchema::DefaultText(table, row, *f));
}

void TestVRegisterTables::valueOfTheOtherType() {
    // A request with only one of the two values: the text goes to a number
    // field as a decimal, the number to a text field as its text.
    TestDataDir dir;
    Register reg(dir.File(QStringLiteral("vr.db")));
    auto write = [&](int table, int field, PropertyId id, const QVariant& v) {
        return reg
            .Call(MethodId::WriteTable,
                  {{P::TableNumber, table}, {P::RowNumber, 1}, {P::FieldNumber, field}, {id, v}})
            .code;
    };
    QCOMPARE(write(21, 4, P::ValueOfFieldString, QStringLiteral(" 7779 ")), 0);
    QCOMPARE(reg.Out(reg.Read(21, 1, 4), P::ValueOfFieldInteger).toInt(), 7779);
    QCOMPARE(write(21, 4, P::ValueOfFieldString, QStringLiteral("77x")), int(RC::BadParameters));
    QCOMPARE(write(24, 1, P::ValueOfFieldInteger, 42), 0);
    QCOMPARE(reg.ReadStr(24, 1, 1), QStringLiteral("42"));
}

void TestVRegisterTables::refusals_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("code");

    const int read = int(MethodId::ReadTable), write = int(MethodId::WriteTable);
    const int tableStruct = int(MethodId::GetTableStruct),
              fieldStruct = int(MethodId::GetFieldStruct);
    const int noTable = int(RC::NoSuchTable), bad = int(RC::BadParameters);
    const QVariant none;
    QTest::newRow("table 0") << tableStruct << 0 << 1 << 1 << none << noTable;
    QTest::newRow("past the last table") << tableStruct << 26 << 1 << 1 << none << noTable;
    QTest::newRow("field struct, table 0") << fieldStruct << 0 << 1 << 1 << none << noTable;
    QTest::newRow("read table 93") << read << 93 << 1 << 1 << none << noTable;
    QTest::newRow("read table 255") << read << 255 << 1 << 1 << none << noTable;
    QTest::newRow("read negative table") << read << -1 << 1 << 1 << none << noTable;
    QTest::newRow("write table 93") << write << 93 << 1 << 1 << QVariant(1) << noTable;
    QTest::newRow("row 0") << read << 17 << 0 << 1 << none << bad;
    QTest::newRow("row past one-row table") << read << 17 << 2 << 1 << none << bad;
    QTest::newRow("row 31 of 30") << read << 2 << 31 << 1 << none << bad;
    QTest::newRow("field 0") << read << 17 << 1 << 0 << none << bad;
    QTest::newRow("field past the last") << read << 17 << 1 << 67 << none << bad;
    QTest::newRow("field struct past the last") << fieldStruct << 19 << 1 << 7 << none << bad;
    QTest::newRow("write field past the last") << write << 19 << 1 << 7 << QVariant(1) << bad;
    QTest::newRow("above max") << write << 17 << 1 << 66 << QVariant(12) << bad;
    QTest::newRow("below min") << write << 19 << 1 << 3 << QVariant(0) << bad;
    QTest::newRow("negative in one byte") << write << 16 << 1 << 3 << QVariant(-1) << bad;
    QTest::newRow("256 in one byte") << write << 16 << 1 << 3 << QVariant(256) << bad;
    QTest::newRow("port 65536") << write << 19 << 1 << 2 << QVariant(65536) << bad;
    QTest::newRow("text one too long")
        << write << 18 << 1 << 2 << QVariant(QStringLiteral("1234567890123")) << bad;
}

void TestVRegisterTables::refusals() {
    QFETCH(int, method);
    QFETCH(int, table);
    QFETCH(int, row);
    QFETCH(int, field);
    QFETCH(QVariant, value);
    QFETCH(int, code);
    TestDataDir dir;
    Register reg(dir.File(QStringLiteral("vr.db")));
    const MethodId m = MethodId(method);
    int got;
    if (m == MethodId::WriteTable)
        got = reg.Write(table, row, field, value);
    else
        got = reg.Call(m, {{P::TableNumber, table}, {P::RowNumber, row}, {P::FieldNumber, field}})
                  .code;
    QCOMPARE(got, code);
    // A refused write leaves the cell at its default.
    if (m == MethodId::WriteTable && code == int(RC::BadParameters) &&
        VRTableSchema::Field(table, field))
        QCOMPARE(reg.ReadStr(table, row, field),
                 VRTableSchema::DefaultText(table, row, *VRTableSchema::Field(table, field)));
}

void TestVRegisterTables::altTablesProfile_data() {
    QTest::addColumn<int>("param");
    QTest::addColumn<int>("logical");
    QTest::addColumn<int>("moved");
    QTest::addColumn<int>("field"); // a text field of the logical table

    QTest::newRow("fiscal storage") << 72 << 18 << 14 << 12;
    QTest::newRow("operator") << 73 << 19 << 15 << 1;
    QTest::newRow("automat") << 75 << 24 << 25 << 1;
}

void TestVRegisterTables::altTablesProfile() {
    QFETCH(int, param);
    QFETCH(int, logical);
    QFETCH(int, moved);
    QFETCH(int, field);
    TestDataDir dir;
    Register reg(dir.File(QStringLiteral("vr.db")));
    auto name = [&](int table) {
        const Answer a = reg.Call(MethodId::GetTableStruct, {{P::TableNumber, table}});
        return reg.Out(a, P::TableName).toString();
    };
    const QString logicalName = VRTableSchema::Table(logical)->name;
    const QString movedName = VRTableSchema::Table(moved)->name;

    reg.Profile(QStringLiteral("alt-tables"));
    QCOMPARE(reg.Param(param).toInt(), moved);
    QCOMPARE(name(moved), logicalName);
    QCOMPARE(name(logical), movedName); // the table that was there swaps places
    QCOMPARE(reg.Write(moved, 1, field, QStringLiteral("7701")), 0);

    // The cell belongs to the table, not to its number.
    reg.Profile(QStringLiteral("default"));
    QCOMPARE(reg.Param(param).toInt(), logical);
    QCOMPARE(name(logical), logicalName);
    QCOMPARE(reg.ReadStr(logical, 1, field), QStringLiteral("7701"));
}

void TestVRegisterTables::initTable() {
    TestDataDir dir;
    const QString path = dir.File(QStringLiteral("vr.db"));
    Register reg(path);
    QCOMPARE(reg.Write(17, 1, 66, 3), 0);
    QCOMPARE(reg.Write(19, 1, 1, QStringLiteral("ofd.example")), 0);
    QCOMPARE(reg.Write(2, 5, 2, QStringLiteral("Иванов")), 0);

    {
        VRStore store(path);
        store.Set(QStringLiteral("session.open"), 1);
        store.Set(QStringLiteral("session.opened"), QDateTime::currentSecsSinceEpoch());
    }
    QCOMPARE(reg.Call(MethodId::InitTable, {}).code, int(RC::ShiftOpen));
    QCOMPARE(reg.ReadStr(17, 1, 66), QStringLiteral("3"));
    {
        VRStore store(path);
        store.Set(QStringLiteral("session.open"), 0);
    }
    QCOMPARE(reg.Call(MethodId::InitTable, {}).code, 0);
    QCOMPARE(reg.ReadStr(17, 1, 66), QStringLiteral("0"));
    QCOMPARE(reg.ReadStr(19, 1, 1), QString());
    QCOMPARE(reg.ReadStr(2, 5, 2), QStringLiteral("КАССИР 5"));
    QCOMPARE(reg.ReadStr(2, 30, 2), QStringLiteral("СИС. АДМИНИСТРАТОР"));
}

void TestVRegisterTables::cellApi() {
    // Other modules reach cells by logical number, checked like the command.
    TestDataDir dir;
    VRStore s(dir.File(QStringLiteral("vr.db")));
    QCOMPARE(VRTables::WriteStr(s, 18, 1, 2, QStringLiteral("7707083893")), 0);
    QCOMPARE(VRTables::WriteInt(s, 17, 1, 66, 12), int(RC::BadParameters));
    QCOMPARE(VRTables::WriteInt(s, 40, 1, 1, 0), int(RC::NoSuchTable));
    QCOMPARE(VRTables::WriteStr(s, 21, 1, 4, QStringLiteral("8080")), 0);
    QCOMPARE(VRTables::ReadInt(s, 21, 1, 4), qint64(8080));
    QCOMPARE(VRTables::ReadStr(s, 18, 1, 2), QStringLiteral("7707083893"));
    QCOMPARE(VRTables::ReadInt(s, 2, 7, 1), qint64(7)); // a cashier's password is the row's number
    VRTables::Reset(s);
    QCOMPARE(VRTables::ReadInt(s, 21, 1, 4), qint64(7778));
    QCOMPARE(VRTables::ReadStr(s, 18, 1, 2), QString());
}

void TestVRegisterTables::modelParams_data() {
    QTest::addColumn<QString>("profile");
    QTest::addColumn<int>("number");
    QTest::addColumn<QVariant>("value"); // its type matters: bool for a capability

    const QString def = QStringLiteral("default"), alt = QStringLiteral("alt-tables");
    QTest::newRow("first graphics line") << def << 27 << QVariant(1);
    QTest::newRow("no cash core") << def << 28 << QVariant(false);
    QTest::newRow("cash core") << QStringLiteral("cashcore") << 28 << QVariant(true);
    QTest::newRow("last print result") << def << 50 << QVariant(true);
    QTest::newRow("block graphics") << def << 51 << QVariant(true);
    QTest::newRow("command length") << def << 53 << QVariant(256);
    QTest::newRow("graphics width") << def << 55 << QVariant(576);
    QTest::newRow("no SKNO") << def << 57 << QVariant(false);
    QTest::newRow("SKNO") << QStringLiteral("cashcore") << 57 << QVariant(true);
    QTest::newRow("fiscal storage") << def << 71 << QVariant(true);
    QTest::newRow("fiscal memory") << QStringLiteral("no-fn") << 71 << QVariant(false);
    QTest::newRow("tax password lock with FN") << def << 40 << QVariant(false);
    QTest::newRow("model 254") << QStringLiteral("model254") << 32 << QVariant(254);
    QTest::newRow("FN table") << def << 72 << QVariant(18);
    QTest::newRow("OFD table") << def << 73 << QVariant(19);
    QTest::newRow("automat table") << def << 75 << QVariant(24);
    QTest::newRow("alt FN table") << alt << 72 << QVariant(14);
    QTest::newRow("alt OFD table") << alt << 73 << QVariant(15);
    QTest::newRow("alt automat table") << alt << 75 << QVariant(25);
}

void TestVRegisterTables::modelParams() {
    QFETCH(QString, profile);
    QFETCH(int, number);
    QFETCH(QVariant, value);
    TestDataDir dir;
    Register reg(dir.File(QStringLiteral("vr.db")));
    reg.Profile(profile);
    const QVariant got = reg.Param(number);
    QCOMPARE(got.typeId() == QMetaType::Bool, value.typeId() == QMetaType::Bool);
    QCOMPARE(got.toLongLong(), value.toLongLong());
}

void TestVRegisterTables::modelParamList() {
    TestDataDir dir;
    Register reg(dir.File(QStringLiteral("vr.db")));
    const Answer metrics = reg.Call(MethodId::GetDeviceMetrics, {});
    const int count = reg.Out(metrics, P::ModelParamCount).toInt();
    // The default model is none of the older type and not the 254 model.
    const int model = reg.Out(metrics, P::UModel).toInt();
    const QSet<int> older = {16, 19, 20, 21, 27, 28, 29, 30, 32, 33,
                             34, 35, 36, 38, 39, 40, 41, 42, 45, 46};
    QVERIFY(!older.contains(model) && model != 254);
    QCOMPARE(reg.Param(32).toInt(), model);

    QSet<int> numbers;
    for (int i = 0; i < count; ++i) {
        const Answer a = reg.Call(MethodId::ReadModelParam, {{P::ModelParamIndex, i}});
        QCOMPARE(a.code, 0);
        const int number = reg.Out(a, P::ModelParamNumber).toInt();
        QVERIFY(!numbers.contains(number));
        numbers.insert(number);
        QVERIFY(!reg.Out(a, P::ModelParamDescription).toString().isEmpty());
        QCOMPARE(reg.Param(number), reg.Out(a, P::ModelParamValue)); // by index = by number
    }
    for (int needed : {27, 28, 32, 40, 50, 51, 53, 55, 57, 71, 72, 73, 75})
        QVERIFY2(numbers.contains(needed), qPrintable(QString::number(needed)));
    QCOMPARE(reg.Call(MethodId::ReadModelParam, {{P::ModelParamIndex, count}}).code,
             int(RC::BadParameters));
    QCOMPARE(reg.Call(MethodId::ReadModelParam, {{P::ModelParamIndex, -1}}).code,
             int(RC::BadParameters));
    QCOMPARE(reg.Call(MethodId::ReadModelParamValue, {{P::ModelParamNumber, 999}}).code,
             int(RC::BadParameters));
}

void TestVRegisterTables::errorDescriptions() {
    TestDataDir dir;
    Register reg(dir.File(QStringLiteral("vr.db")));
    QSet<QString> unknown;
    for (int code = 0; code <= 255; ++code) {
        const Answer a = reg.Call(MethodId::ReadErrorDescription, {{P::ErrorCode, code}});
        QCOMPARE(a.code, 0);
        const QString text = reg.Out(a, P::ErrorDescription).toString();
        QVERIFY2(!text.isEmpty(), qPrintable(QString::number(code)));
        if (Ledgra::HasResultText(code))
            QCOMPARE(text, Ledgra::ResultText(code));
        else
            unknown.insert(text);
    }
    QVERIFY(unknown.size() > 1); // a code the table lacks is still named in its text
    for (int code : {-1, 256})
        QCOMPARE(reg.Call(MethodId::ReadErrorDescription, {{P::ErrorCode, code}}).code,
                 int(RC::BadParameters));
}

QTEST_GUILESS_MAIN(TestVRegisterTables)
#include "tst_vregister_tables.moc"
