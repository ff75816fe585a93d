// Table files: ExportTables and ImportTables of the component against the
// embedded virtual register.

#include "driver/ResultCodes.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "ledgra/LedgraTableFiles.h"
#include "tests/support/TestDataDir.h"

#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kSysAdmin = 30;

// A component on a register of its own folder.
struct Bench {
    TestDataDir dir;
    std::shared_ptr<TLedgraComponent> comp = std::make_shared<TLedgraComponent>();
    TLedgra drv{comp};

    Bench() { drv.SetPassword(kSysAdmin); }

    int Write(int table, int row, int field, const QVariant& value) {
        drv.SetTableNumber(table);
        drv.SetRowNumber(row);
        drv.SetFieldNumber(field);
        if (value.typeId() == QMetaType::QString)
            drv.SetValueOfFieldString(value.toString());
        else
            drv.SetValueOfFieldInteger(value.toInt());
        return drv.WriteTable();
    }
    // Every cell of every table, "table.row.field" -> value.
    QMap<QString, QString> Cells() {
        QMap<QString, QString> cells;
        for (int t = 1;; ++t) {
            drv.SetTableNumber(t);
            if (drv.GetTableStruct() != 0)
                break;
            const int rows = drv.RowNumber(), fields = drv.FieldNumber();
            for (int r = 1; r <= rows; ++r)
                for (int f = 1; f <= fields; ++f) {
                    drv.SetTableNumber(t);
                    drv.SetRowNumber(r);
                    drv.SetFieldNumber(f);
                    if (drv.ReadTable() != 0)
                        return {};
                    cells[QStringLiteral("%1.%2.%3").arg(t).arg(r).arg(f)] =
                        drv.ValueOfFieldString();
                }
        }
        return cells;
    }
    int Export(const QString& file) {
        drv.SetFileName(file);
        return drv.ExportTables();
    }
    int Import(const QString& file) {
        drv.SetFileName(file);
        return drv.ImportTables();
    }
};

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Lines that would change cells, ahead of the faulty line of a case.
const QByteArray kGoodLines = "1;1;1;7\n4;1;1;ИЗМЕНЕНО\n";

} // namespace

class TestTableFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { LedgraTableFiles::SetBeforeWriteHook({}); }
    void exportImportRoundTrip();
    void refusedFiles_data();
    void refusedFiles();
    void writeFailureRollsBack();
    void fileErrors_data();
    void fileErrors();
};

void TestTableFiles::exportImportRoundTrip() {
    QTemporaryDir files;
    const QString file = files.filePath(QStringLiteral("tables.csv"));
    QMap<QString, QString> written;
    {
        Bench a;
        // Texts that need quoting, the largest four-byte number, a last row.
        QCOMPARE(a.Write(4, 1, 1, QStringLiteral("a;\"b\"")), 0);
        QCOMPARE(a.Write(4, 2, 1, QStringLiteral(" с пробелами ")), 0);
        QCOMPARE(a.Write(4, 3, 1, QStringLiteral("две\nстроки")), 0);
        QCOMPARE(a.Write(17, 1, 12, -1), 0);
        QCOMPARE(a.Write(2, 30, 2, QStringLiteral("Главный")), 0);
        QCOMPARE(a.Write(1, 1, 1, 42), 0);
        written = a.Cells();
        QVERIFY(written.size() > 300);
        QCOMPARE(a.Export(file), 0);
        QCOMPARE(a.drv.ResultCode(), 0);
        QCOMPARE(a.drv.ResultCodeDescription(), Ledgra::ResultText(0));
    }
    const QString text = QString::fromUtf8(ReadFile(file));
    QVERIFY(text.startsWith(QLatin1Char('#')));
    QVERIFY(text.contains(QStringLiteral("\n4;1;1;\"a;\"\"b\"\"\"\n")));
    QVERIFY(text.contains(QStringLiteral("\n4;2;1;\" с пробелами \"\n")));
    QVERIFY(text.contains(QStringLiteral("\n17;1;12;4294967295\n")));

    Bench b;
    QVERIFY(b.Cells() != written);
    QCOMPARE(b.Import(file), 0);
    QCOMPARE(b.drv.ResultCodeDescription(), Ledgra::ResultText(0));
    QCOMPARE(b.Cells(), written);
    // Importing it again writes no cell: a write would meet the fault.
    QString reply;
    QCOMPARE(b.comp->ServiceCommand(QStringLiteral("fault WriteTable 51 1"), &reply), 0);
    QCOMPARE(b.Import(file), 0);
}

void TestTableFiles::refusedFiles_data() {
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("why");
    // The good lines are lines 1 and 2.
    QTest::newRow("unknown table") << QByteArray("99;1;1;0\n") << 3 << "нет таблицы 99";
    QTest::newRow("row past the table") << QByteArray("2;31;1;1\n") << 3 << "нет ряда 31";
    QTest::newRow("field past the table") << QByteArray("1;1;99;1\n") << 3 << "нет поля 99";
    QTest::newRow("value out of range") << QByteArray("1;1;1;100\n") << 3 << "вне пределов 1..99";
    QTest::newRow("negative value") << QByteArray("1;1;1;-1\n") << 3 << "вне пределов";
    QTest::newRow("truncated line") << QByteArray("1;1;1\n") << 3 << "полей: 3";
    QTest::newRow("too many columns") << QByteArray("1;1;1;1;1\n") << 3 << "полей: 5";
    QTest::newRow("bad number") << QByteArray("1;1;4;2x\n") << 3 << "«2x» не число";
    QTest::newRow("empty number") << QByteArray("1;1;4;\n") << 3 << "не число";
    QTest::newRow("bad table number") << QByteArray("a;1;1;1\n") << 3 << "номер таблицы";
    QTest::newRow("text too long")
        << QByteArray("4;2;1;" + QByteArray(49, 'x') + "\n") << 3 << "длиннее 48";
    QTest::newRow("cell twice") << QByteArray("1;1;1;8\n") << 3 << "уже задана в строке 1";
    QTest::newRow("quote left open") << QByteArray("4;2;1;\"abc\n") << 3 << "кавычки";
    // Comments, blank lines and a quoted line break count as lines.
    QTest::newRow("line numbers") << QByteArray("# comment\n\n4;3;1;\"a\nb\"\n1;1;2;2\n") << 7
                                  << "вне пределов";
    QTest::newRow("after the last good line, no line break")
        << QByteArray("4;2;1;ok\n1;1;1;x") << 4 << "не число";
}

void TestTableFiles::refusedFiles() {
    QFETCH(QByteArray, tail);
    QFETCH(int, line);
    QFETCH(QString, why);
    Bench b;
    const QString file = b.dir.File(QStringLiteral("bad.csv"));
    WriteFile(file, kGoodLines + tail);
    const auto before = b.Cells();
    QCOMPARE(b.Import(file), int(RC::FileError));
    QCOMPARE(b.drv.ResultCode(), int(RC::FileError));
    const QString text = b.drv.ResultCodeDescription();
    QVERIFY2(text.startsWith(QStringLiteral("Строка %1: ").arg(line)), qPrintable(text));
    QVERIFY2(text.contains(why), qPrintable(text));
    // Nothing was written, not even the good lines.
    QCOMPARE(b.Cells(), before);
}

void TestTableFiles::writeFailureRollsBack() {
    Bench b;
    const QString file = b.dir.File(QStringLiteral("five.csv"));
    // Line 3 holds the current value: it is not written, so the third write is line 4.
    WriteFile(file, "1;1;1;7\n4;1;1;ПЕРВАЯ\n1;1;3;1\n2;5;2;ИВАНОВ\n17;1;12;123456\n1;1;24;9\n");
    const auto before = b.Cells();
    int writes = 0;
    LedgraTableFiles::SetBeforeWriteHook([&](int n) {
        ++writes;
        QString reply;
        if (n == 2)
            QCOMPARE(b.comp->ServiceCommand(QStringLiteral("fault WriteTable 51 1"), &reply), 0);
    });
    QCOMPARE(b.Import(file), int(RC::BadParameters));
    QCOMPARE(writes, 3);
    const QString text = b.drv.ResultCodeDescription();
    QVERIFY2(text.startsWith(QStringLiteral("Строка 4: ")), qPrintable(text));
    QVERIFY2(text.contains(Ledgra::ResultText(int(RC::BadParameters))), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("восстановлены")), qPrintable(text));
    QCOMPARE(b.Cells(), before);

    // Without the fault the same file goes in whole.
    LedgraTableFiles::SetBeforeWriteHook({});
    QCOMPARE(b.Import(file), 0);
    b.drv.SetTableNumber(17);
    b.drv.SetRowNumber(1);
    b.drv.SetFieldNumber(12);
    QCOMPARE(b.drv.ReadTable(), 0);
    QCOMPARE(b.drv.ValueOfFieldInteger(), 123456);
}

void TestTableFiles::fileErrors_data() {
    QTest::addColumn<bool>("import");
    QTest::addColumn<QString>("name"); // in the bench's folder; "" for none
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("why");
    QTest::newRow("export without a name") << false << "" << QByteArray() << "Не задано";
    QTest::newRow("import without a name") << true << "" << QByteArray() << "Не задано";
    QTest::newRow("export into a missing folder")
        << false << "no/such/t.csv" << QByteArray() << "no/such/t.csv";
    QTest::newRow("import of a missing file")
        << true << "missing.csv" << QByteArray() << "missing.csv";
    QTest::newRow("import of a file not in UTF-8")
        << true << "cp1251.csv" << QByteArray("4;1;1;\xcf\xf0\xe8\n") << "UTF-8";
}

void TestTableFiles::fileErrors() {
    QFETCH(bool, import);
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, why);
    Bench b;
    const QString path = name.isEmpty() ? QString() : b.dir.File(name);
    if (!content.isEmpty())
        WriteFile(path, content);
    const auto before = b.Cells();
    QCOMPARE(import ? b.Import(path) : b.Export(path), int(RC::FileError));
    QVERIFY2(b.drv.ResultCodeDescription().contains(why),
             qPrintable(b.drv.ResultCodeDescription()));
    QCOMPARE(b.Cells(), before);
}

QTEST_GUILESS_MAIN(TestTableFiles)
#include "tst_tablefiles.moc"
