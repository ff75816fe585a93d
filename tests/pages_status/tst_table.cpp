// The page "Таблицы": what each button sends and shows against a scripted
// driver, its failure paths, the confirmation and the file dialog; and a cell
// written on the page that a new component object reads back from the
// embedded virtual register.

#include "pages/status/fmuTable.h"
#include "tests/support/PageTestSupport.h"

#include "ledgra/LedgraComponent.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>

namespace {

const char kFakeClass[] = "{TEST-FAKE-TABLE}";

class TableFake : public FakeLedgra {
public:
    std::function<void()> OnInvoke;
    int Invoke(MethodId id) override {
        if (OnInvoke)
            OnInvoke();
        return FakeLedgra::Invoke(id);
    }
};

using P = PropertyId;

// A number field of 4 bytes, or a text field of 64.
FakeLedgra::Outputs FieldOutputs(bool text, int minValue = 0, int maxValue = 99999999) {
    return {{P::FieldName, text ? QStringLiteral("Имя") : QStringLiteral("Пароль")},
            {P::FieldType, text},
            {P::FieldSize, text ? 64 : 4},
            {P::MINValueOfField, minValue},
            {P::MAXValueOfField, maxValue},
            {P::ValueOfFieldInteger, text ? 0 : 1234},
            {P::ValueOfFieldString, text ? QStringLiteral("КАССИР 5") : QStringLiteral("1234")}};
}

void SetCell(TfmTable& page, int table, int row, int field, const QString& value) {
    Find<QSpinBox>(page, "seTableNumber")->setValue(table);
    Find<QSpinBox>(page, "seRowNumber")->setValue(row);
    Find<QSpinBox>(page, "seFieldNumber")->setValue(field);
    Find<QLineEdit>(page, "edtValue")->setText(value);
}

QString ValueText(TfmTable& page) {
    return Find<QLineEdit>(page, "edtValue")->text();
}

} // namespace

class TestTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void designDefaults();
    void driverCalls_data();
    void driverCalls();
    void reports_data();
    void reports();
    void failedCallKeepsValue_data();
    void failedCallKeepsValue();
    void initTableAsksFirst_data();
    void initTableAsksFirst();
    void fileDialog_data();
    void fileDialog();
    void cellSurvivesRestartOnVirtualRegister();

private:
    TFakeDriver<TableFake> F{kFakeClass};
};

void TestTable::initTestCase() {
    F.RegisterWithVirtualRegister();
}

void TestTable::init() {
    F.Init();
}

void TestTable::cleanup() {
    QVERIFY2(F.Shown.isEmpty(), qPrintable(F.Shown.join(QLatin1Char('\n'))));
    F.Cleanup();
}

void TestTable::designDefaults() {
    TfmTable page;
    QCOMPARE(page.windowTitle(), QStringLiteral("Таблицы"));
    for (const char* name : {"seTableNumber", "seRowNumber", "seFieldNumber"}) {
        auto* s = Find<QSpinBox>(page, name);
        QCOMPARE(s->value(), 1);
        // Without limits: any number reaches the register.
        QCOMPARE(s->minimum(), std::numeric_limits<int>::min());
        QCOMPARE(s->maximum(), std::numeric_limits<int>::max());
    }
    QCOMPARE(ValueText(page), QStringLiteral("0123456789012345678901234567890123456789"));
    QVERIFY(Find<QLineEdit>(page, "edtFileName")->text().isEmpty());
    QVERIFY(Find<QPlainTextEdit>(page, "Memo")->isReadOnly());
}

void TestTable::driverCalls_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("log");
    const QString t = QStringLiteral("Set TableNumber=7");
    const QString f = QStringLiteral("Set FieldNumber=2");
    const QString r = QStringLiteral("Set RowNumber=300");
    const QString file = QStringLiteral("Set FileName=/tmp/т аблицы.csv");
    QTest::newRow("table struct") << "btnGetTableStruct" << QStringList{t, "Call GetTableStruct"};
    QTest::newRow("field struct") << "btnGetFieldStruct"
                                  << QStringList{t, f, "Call GetFieldStruct"};
    QTest::newRow("read") << "btnReadTable" << QStringList{t, f, r, "Call ReadTable"};
    // The text goes as it is, also a text that is no number.
    QTest::newRow("write") << "btnWriteTable"
                           << QStringList{t, f, r, "Set ValueOfFieldString= 12x",
                                          "Call WriteTable"};
    QTest::newRow("export") << "btnExportTables" << QStringList{file, "Call ExportTables"};
    QTest::newRow("import") << "btnImportTables" << QStringList{file, "Call ImportTables"};
    // The editor is modal over the page's window.
    QTest::newRow("editor") << "btnShowTablesDlg"
                            << QStringList{"Set ParentWnd=<window>", "Call ShowTablesDlg"};
}

void TestTable::driverCalls() {
    QFETCH(QString, button);
    QFETCH(QStringList, log);
    TfmTable page;
    SetCell(page, 7, 300, 2, QStringLiteral(" 12x"));
    Find<QLineEdit>(page, "edtFileName")->setText(QStringLiteral("/tmp/т аблицы.csv"));
    auto* b = page.findChild<QPushButton*>(button);
    QVERIFY(b);
    QVERIFY(!b->toolTip().isEmpty());
    QList<bool> enabledInCall;
    F.Fake->OnInvoke = [&] { enabledInCall << b->isEnabled(); };
    TNotifierLog notifier;
    b->click();
    log.replaceInStrings(QStringLiteral("<window>"), QString::number(int(page.window()->winId())));
    QCOMPARE(F.Fake->Log(), log);
    QCOMPARE(notifier.Changes, QList<bool>({false, true}));
    QCOMPARE(enabledInCall, QList<bool>{false});
    QVERIFY(b->isEnabled());
}

void TestTable::reports_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("text");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("value"); // edtValue afterwards

    const QString kept = QStringLiteral("старое");
    const QStringList number{"Название поля: Пароль", "Тип поля: число", "Размер поля: 4",
                             "Мин. значение: 0", "Макс. значение: 99999999"};
    const QStringList text{"Название поля: Имя", "Тип поля: строка", "Размер поля: 64"};
    QTest::newRow("field struct, number")
        << "btnGetFieldStruct" << false << 99999999 << number << kept;
    QTest::newRow("field struct, text") << "btnGetFieldStruct" << true << 0 << text << kept;
    QTest::newRow("negative maximum is unsigned")
        << "btnGetFieldStruct" << false << -2
        << QStringList{"Название поля: Пароль", "Тип поля: число", "Размер поля: 4",
                       "Мин. значение: 0", "Макс. значение: 4294967294"}
        << kept;
    QTest::newRow("read number") << "btnReadTable" << false << 99999999 << number << "1234";
    QTest::newRow("read text") << "btnReadTable" << true << 0 << text << "КАССИР 5";
    QTest::newRow("write number") << "btnWriteTable" << false << 99999999
                                  << QStringList{"Структура поля:",  "    Название поля: Пароль",
                                                 "Тип поля: число",  "    Размер поля: 4",
                                                 "Мин. значение: 0", "Макс. значение: 99999999"}
                                  << "1234";
    QTest::newRow("write text") << "btnWriteTable" << true << 0
                                << QStringList{"Структура поля:", "    Название поля: Имя",
                                               "Тип поля: строка", "    Размер поля: 64"}
                                << "КАССИР 5";
}

void TestTable::reports() {
    QFETCH(QString, button);
    QFETCH(bool, text);
    QFETCH(int, maxValue);
    QFETCH(QStringList, lines);
    QFETCH(QString, value);
    const MethodId method = button == QLatin1String("btnGetFieldStruct") ? MethodId::GetFieldStruct
                            : button == QLatin1String("btnReadTable")    ? MethodId::ReadTable
                                                                         : MethodId::WriteTable;
    F.Fake->Answer(method, 0, FieldOutputs(text, 0, maxValue));
    TfmTable page;
    Find<QLineEdit>(page, "edtValue")->setText(QStringLiteral("старое"));
    Find<QPlainTextEdit>(page, "Memo")->setPlainText(QStringLiteral("прошлый отчет"));
    Click(page, qPrintable(button));
    QCOMPARE(MemoLines(page, "Memo"), lines);
    QCOMPARE(ValueText(page), value);
}

void TestTable::failedCallKeepsValue_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("method");
    QTest::newRow("table struct") << "btnGetTableStruct" << int(MethodId::GetTableStruct);
    QTest::newRow("field struct") << "btnGetFieldStruct" << int(MethodId::GetFieldStruct);
    QTest::newRow("read") << "btnReadTable" << int(MethodId::ReadTable);
    QTest::newRow("write") << "btnWriteTable" << int(MethodId::WriteTable);
}

void TestTable::failedCallKeepsValue() {
    QFETCH(QString, button);
    QFETCH(int, method);
    // The failed call still hands out values: the page must not show them.
    F.Fake->Answer(MethodId(method), 93, FieldOutputs(true));
    TfmTable page;
    Find<QLineEdit>(page, "edtValue")->setText(QStringLiteral("старое"));
    Find<QPlainTextEdit>(page, "Memo")->setPlainText(QStringLiteral("прошлый отчет"));
    Click(page, qPrintable(button));
    QCOMPARE(MemoLines(page, "Memo"), QStringList());
    QCOMPARE(ValueText(page), QStringLiteral("старое"));
    QCOMPARE(Driver().ResultCode(), 93);
}

void TestTable::initTableAsksFirst_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("yes") << int(QMessageBox::Yes) << QStringList{"InitTable"};
    QTest::newRow("no") << int(QMessageBox::No) << QStringList();
}

void TestTable::initTableAsksFirst() {
    QFETCH(int, answer);
    QFETCH(QStringList, calls);
    TfmTable page;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    TModalAnswer reply([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::StandardButton(answer))->click();
    });
    TNotifierLog notifier;
    Click(page, "btnInitTable");
    QCOMPARE(reply.Count, 1);
    QCOMPARE(title, QStringLiteral("Инициализировать таблицы"));
    QCOMPARE(text, QStringLiteral("Вы уверены?"));
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(F.Fake->Calls(), calls);
    // The result panel clears and refills also when nothing was called.
    QCOMPARE(notifier.Changes, QList<bool>({false, true}));
}

void TestTable::fileDialog_data() {
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("fileName"); // the expected name, relative to the folder
    QTest::newRow("accepted, extension added") << true << "export.csv";
    QTest::newRow("cancelled") << false << "";
}

void TestTable::fileDialog() {
    QFETCH(bool, accept);
    QFETCH(QString, fileName);
    TfmTable page;
    auto* edit = Find<QLineEdit>(page, "edtFileName");
    const QString before = F.Dir->File(QStringLiteral("before.csv"));
    edit->setText(before);
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QString suffix;
    QStringList filters;
    bool confirms = false;
    TModalAnswer reply([&](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        QVERIFY(dlg);
        mode = dlg->acceptMode();
        suffix = dlg->defaultSuffix();
        filters = dlg->nameFilters();
        confirms = !dlg->testOption(QFileDialog::DontConfirmOverwrite);
        if (!accept) {
            dlg->reject();
            return;
        }
        ChooseFile(dlg, F.Dir->File(QStringLiteral("export")));
    });
    TNotifierLog notifier;
    Click(page, "btnOpenFile");
    QCOMPARE(reply.Count, 1);
    QCOMPARE(mode, QFileDialog::AcceptSave);
    QCOMPARE(suffix, QStringLiteral("csv"));
    QCOMPARE(filters.size(), 2);
    QVERIFY(filters[0].endsWith(QLatin1String("(*.csv)")));
    QVERIFY(filters[1].endsWith(QLatin1String("(*)")));
    QVERIFY(confirms);
    QCOMPARE(edit->text(), accept ? F.Dir->File(fileName) : before);
    // Choosing a file is no driver call.
    QCOMPARE(notifier.Changes, QList<bool>());
    QCOMPARE(F.Fake->Log(), QStringList());
}

void TestTable::cellSurvivesRestartOnVirtualRegister() {
    F.UseVirtualRegister();
    {
        TfmTable page;
        // Table 2 row 5: the cashier's password (a number) and name (a text).
        SetCell(page, 2, 5, 1, QStringLiteral("0"));
        Click(page, "btnGetTableStruct");
        QCOMPARE(Driver().ResultCode(), 0);
        QCOMPARE(MemoLines(page, "Memo"),
                 QStringList({"Название таблицы: Пароли кассиров и администраторов",
                              "Количество рядов: 30", "Количество полей: 2"}));

        Click(page, "btnReadTable");
        QCOMPARE(ValueText(page), QStringLiteral("5"));

        // A number field written as text: the register converts it.
        Find<QLineEdit>(page, "edtValue")->setText(QStringLiteral("4321"));
        Click(page, "btnWriteTable");
        QCOMPARE(Driver().ResultCode(), 0);
        QCOMPARE(
            MemoLines(page, "Memo"),
            QStringList({"Структура поля:", "    Название поля: Пароль", "Тип поля: число",
                         "    Размер поля: 4", "Мин. значение: 0", "Макс. значение: 99999999"}));
        QCOMPARE(ValueText(page), QStringLiteral("4321"));

        // A text that is no number: the register refuses it, the page keeps it.
        Find<QLineEdit>(page, "edtValue")->setText(QStringLiteral("12x"));
        Click(page, "btnWriteTable");
        QVERIFY(Driver().ResultCode() != 0);
        QCOMPARE(MemoLines(page, "Memo"), QStringList());
        QCOMPARE(ValueText(page), QStringLiteral("12x"));

        Find<QSpinBox>(page, "seFieldNumber")->setValue(2);
        Find<QLineEdit>(page, "edtValue")->setText(QStringLiteral("ИВАНОВ"));
        Click(page, "btnWriteTable");
        QCOMPARE(Driver().ResultCode(), 0);
    }
    // A new component object: the register kept the cells.
    FreeDriver();
    {
        TfmTable page;
        SetCell(page, 2, 5, 1, QString());
        Click(page, "btnReadTable");
        QCOMPARE(Driver().ResultCode(), 0);
        QCOMPARE(ValueText(page), QStringLiteral("4321"));
        Find<QSpinBox>(page, "seFieldNumber")->setValue(2);
        Click(page, "btnReadTable");
        QCOMPARE(ValueText(page), QStringLiteral("ИВАНОВ"));

        // The tables saved to a file, reset to their defaults, loaded back.
        const QString file = F.Dir->File(QStringLiteral("таблицы.csv"));
        Find<QLineEdit>(page, "edtFileName")->setText(file);
        Click(page, "btnExportTables");
        QCOMPARE(Driver().ResultCode(), 0);
        QVERIFY(QFileInfo(file).size() > 0);

        TModalAnswer yes(
            [](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click(); });
        Click(page, "btnInitTable");
        QCOMPARE(Driver().ResultCode(), 0);
        Click(page, "btnReadTable");
        QCOMPARE(ValueText(page), QStringLiteral("КАССИР 5"));

        Click(page, "btnImportTables");
        QCOMPARE(Driver().ResultCode(), 0);
        Click(page, "btnReadTable");
        QCOMPARE(ValueText(page), QStringLiteral("ИВАНОВ"));

        // A file that is not there: the driver's code, nothing changed.
        Find<QLineEdit>(page, "edtFileName")->setText(F.Dir->File(QStringLiteral("нет.csv")));
        Click(page, "btnImportTables");
        QVERIFY(Driver().ResultCode() != 0);
        Click(page, "btnReadTable");
        QCOMPARE(ValueText(page), QStringLiteral("ИВАНОВ"));
    }
}

QTEST_MAIN(TestTable)
#include "tst_table.moc"
