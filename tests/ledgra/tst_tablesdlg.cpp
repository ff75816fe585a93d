// The component's table editor against the embedded virtual register: the
// table list, the cells of a table, writing changed cells, the register's
// refusals, and the dialog's place in the component (no GUI, no lock held).
//
// TABLESDLG_SHOT=<file.png> saves a picture of the dialog after a refused write.

#include "driver/ResultCodes.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "ledgra/fmuTablesDlg.h"
#include "tests/support/TestDataDir.h"
#include "vregister/VRTableSchema.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <atomic>
#include <thread>

namespace {

int gNoAppCode = 0; // ShowTablesDlg before any QApplication existed

TLedgra NewDriver() {
    return TLedgra(std::make_shared<TLedgraComponent>());
}

// A cell as a new object reads it: the value as text.
QString Stored(int table, int row, int field) {
    TLedgra d = NewDriver();
    d.SetTableNumber(table);
    d.SetRowNumber(row);
    d.SetFieldNumber(field);
    if (d.ReadTable() != 0)
        return QStringLiteral("<error %1>").arg(d.ResultCode());
    return d.FieldType() ? d.ValueOfFieldString()
                         : QString::number(quint32(d.ValueOfFieldInteger()));
}

// Passes every call to the component and keeps the names of the methods called.
class TRecorder final : public ILedgra {
public:
    explicit TRecorder(ILedgraPtr object) : FObject(std::move(object)) {}
    QVariant Get(PropertyId id) override { return FObject->Get(id); }
    void Set(PropertyId id, const QVariant& v) override { FObject->Set(id, v); }
    int Invoke(MethodId id) override {
        calls << QString::fromLatin1(Ledgra::Info(id).name);
        if (onInvoke)
            onInvoke();
        return FObject->Invoke(id);
    }
    QStringList calls;
    std::function<void()> onInvoke;

private:
    ILedgraPtr FObject;
};

// A dialog over a fresh register.
struct Fixture {
    TestDataDir dir; // first: the component reads its folder when created
    std::shared_ptr<TLedgraComponent> component = std::make_shared<TLedgraComponent>();
    TRecorder object{component};
    TfmTablesDlg dlg{object};
    QListWidget* list = dlg.findChild<QListWidget*>("lbTables");
    QTableWidget* grid = dlg.findChild<QTableWidget*>("sgTable");
    QLabel* status = dlg.findChild<QLabel*>("lblStatus");
    QPushButton* refresh = dlg.findChild<QPushButton*>("btnRefresh");
    QPushButton* write = dlg.findChild<QPushButton*>("btnWrite");
    QDialogButtonBox* buttons = dlg.findChild<QDialogButtonBox*>("buttonBox");

    // Shows the dialog and waits for the table list.
    bool Open() {
        dlg.show();
        return QTest::qWaitFor([this] { return list->count() > 0 && refresh->isEnabled(); });
    }
    void Choose(int table) { list->setCurrentRow(table - 1); }
    QStringList Headers() const {
        QStringList h;
        for (int c = 0; c < grid->columnCount(); ++c)
            h << grid->horizontalHeaderItem(c)->text();
        return h;
    }
};

} // namespace

class TestTablesDlg : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { TLedgraComponent::SetTablesDialog({}); }
    void listsEveryTable();
    void showsTheRegistersCells_data();
    void showsTheRegistersCells();
    void writesChangedCells_data();
    void writesChangedCells();
    void failedLinkShowsTheCode();
    void closingWhileReadingStops();
    void componentShowsTheDialogWithoutItsLock();
    void noGui_data();
    void noGui();
};

void TestTablesDlg::listsEveryTable() {
    Fixture f;
    QVERIFY(f.Open());
    const auto& tables = VRTableSchema::Tables();
    QCOMPARE(f.list->count(), int(tables.size()));
    QCOMPARE(f.list->item(0)->text(), QStringLiteral("1. Тип и режим кассы"));
    QCOMPARE(f.list->item(16)->text(), QStringLiteral("17. Региональные настройки"));
    QCOMPARE(f.list->item(24)->text(), QStringLiteral("25. Параметры мониторинга"));
    // The walk ends at the first number the register does not know.
    QCOMPARE(f.object.calls.count(QStringLiteral("GetTableStruct")), int(tables.size()) + 2);
    QCOMPARE(f.status->text(), QString());
    // The first table is chosen and read.
    QCOMPARE(f.list->currentRow(), 0);
    QCOMPARE(f.grid->columnCount(), 30);
}

void TestTablesDlg::showsTheRegistersCells_data() {
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("fields");
    QTest::addColumn<QString>("header"); // of the last column
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("cashiers") << 2 << 30 << 2 << "Имя" << 29 << 2 << "АДМИНИСТРАТОР";
    QTest::newRow("taxes") << 3 << 6 << 2 << "Наименование налога" << 1 << 1 << "2000";
    QTest::newRow("regional, with reserved fields")
        << 17 << 1 << 66 << "Часовой пояс (0 - не задан)" << 1 << 12 << "7";
}

void TestTablesDlg::showsTheRegistersCells() {
    QFETCH(int, table);
    QFETCH(int, rows);
    QFETCH(int, fields);
    QFETCH(QString, header);
    QFETCH(int, row);
    QFETCH(int, field);
    QFETCH(QString, value);
    Fixture f;
    QVERIFY(f.Open());
    f.Choose(table);
    QCOMPARE(f.grid->rowCount(), rows);
    QCOMPARE(f.grid->columnCount(), fields);
    QCOMPARE(f.Headers().last(), header);
    QCOMPARE(f.grid->item(row - 1, field - 1)->text(), value);
    // Every cell in its place, with the register's default.
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= fields; ++c)
            QCOMPARE(f.grid->item(r - 1, c - 1)->text(),
                     VRTableSchema::DefaultText(table, r, *VRTableSchema::Field(table, c)));
    QCOMPARE(f.status->text(), QString());

    // "Обновить" reads the chosen table again: a value written meanwhile shows.
    TLedgra other = NewDriver();
    other.SetTableNumber(table);
    other.SetRowNumber(row);
    other.SetFieldNumber(field);
    other.SetValueOfFieldString(QStringLiteral("5"));
    QCOMPARE(other.WriteTable(), 0);
    f.refresh->click();
    QCOMPARE(f.list->currentRow(), table - 1);
    QCOMPARE(f.grid->item(row - 1, field - 1)->text(), QStringLiteral("5"));
}

void TestTablesDlg::writesChangedCells_data() {
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("inEditor"); // still open in the cell's editor when written
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("stored"); // afterwards, in the grid and in the register

    const QString w = QStringLiteral("btnWrite");
    const QString ok = QStringLiteral("ok");
    const QString apply = QStringLiteral("apply");
    const int bad = int(RC::BadParameters);
    QTest::newRow("number, Записать") << 1 << 1 << 1 << "42" << false << w << 0 << "42";
    QTest::newRow("number in the open editor") << 1 << 1 << 1 << "42" << true << w << 0 << "42";
    QTest::newRow("text, OK") << 2 << 5 << 2 << "ПЕТРОВ" << false << ok << 0 << "ПЕТРОВ";
    QTest::newRow("text, apply") << 2 << 5 << 2 << "ПЕТРОВ" << true << apply << 0 << "ПЕТРОВ";
    QTest::newRow("four bytes above 2^31")
        << 17 << 1 << 12 << "4294967295" << false << w << 0 << "4294967295";
    QTest::newRow("leading zeros") << 1 << 1 << 1 << "007" << false << w << 0 << "7";
    QTest::newRow("above the range") << 1 << 1 << 1 << "100" << false << w << bad << "1";
    QTest::newRow("above the range, OK stays open")
        << 1 << 1 << 1 << "100" << false << ok << bad << "1";
    QTest::newRow("negative, never wrapped") << 17 << 1 << 12 << "-1" << false << w << bad << "7";
    QTest::newRow("past 32 bits, never wrapped")
        << 17 << 1 << 12 << "4294967296" << false << w << bad << "7";
    QTest::newRow("not a number") << 1 << 1 << 1 << "abc" << false << w << bad << "1";
    QTest::newRow("text longer than the field")
        << 11 << 1 << 3 << "ДОБРО ПОЖАЛОВАТЬ В МАГАЗИН" << false << w << bad << "ДОБРО ПОЖАЛОВАТЬ";
}

void TestTablesDlg::writesChangedCells() {
    QFETCH(int, table);
    QFETCH(int, row);
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(bool, inEditor);
    QFETCH(QString, button);
    QFETCH(int, code);
    QFETCH(QString, stored);
    Fixture f;
    QVERIFY(f.Open());
    f.Choose(table);
    QTableWidgetItem* item = f.grid->item(row - 1, field - 1);
    QVERIFY(item);
    if (inEditor) {
        f.grid->setCurrentItem(item);
        f.grid->editItem(item);
        auto* editor = qobject_cast<QLineEdit*>(f.grid->indexWidget(f.grid->currentIndex()));
        QVERIFY(editor);
        editor->setText(typed);
    } else {
        item->setText(typed);
    }
    QVERIFY(item->font().bold() || inEditor); // marked as changed

    f.object.calls.clear();
    if (button == QLatin1String("ok"))
        f.buttons->button(QDialogButtonBox::Ok)->click();
    else if (button == QLatin1String("apply"))
        f.buttons->button(QDialogButtonBox::Apply)->click();
    else
        f.write->click();

    QCOMPARE(f.object.calls, QStringList{QStringLiteral("WriteTable")}); // only the changed cell
    QCOMPARE(f.status->text(),
             code == 0 ? QString()
                       : QStringLiteral("(%1) %2").arg(code).arg(Ledgra::ResultText(code)));
    QCOMPARE(item->text(), stored);
    QVERIFY(!item->font().bold());
    QCOMPARE(Stored(table, row, field), stored);
    // OK closes only when every write succeeded.
    QCOMPARE(f.dlg.isVisible(), button != QLatin1String("ok") || code != 0);

    if (code != 0 && qEnvironmentVariableIsSet("TABLESDLG_SHOT"))
        f.dlg.grab().save(qEnvironmentVariable("TABLESDLG_SHOT"));

    // Nothing changed any more: writing again calls nothing.
    if (f.dlg.isVisible()) {
        f.object.calls.clear();
        f.write->click();
        QCOMPARE(f.object.calls, QStringList());
    }
}

void TestTablesDlg::failedLinkShowsTheCode() {
    Fixture f;
    f.object.Set(PropertyId::ConnectionType, 99); // no such link
    f.dlg.show();
    QVERIFY(QTest::qWaitFor([&f] { return !f.status->text().isEmpty(); }));
    const int code = int(RC::ConnectionTypeNotSupported);
    QCOMPARE(f.status->text(), QStringLiteral("(%1) %2").arg(code).arg(Ledgra::ResultText(code)));
    QCOMPARE(f.list->count(), 0);
    QCOMPARE(f.grid->columnCount(), 0);
}

void TestTablesDlg::closingWhileReadingStops() {
    Fixture f;
    QVERIFY(f.Open());
    int reads = 0;
    f.object.onInvoke = [&] {
        if (++reads == 3)
            f.dlg.reject(); // Escape or the window's close box during the reading
    };
    f.Choose(2); // 2 fields x 30 rows
    QVERIFY(QTest::qWaitFor([&f] { return !f.dlg.isVisible(); }));
    QCOMPARE(f.dlg.result(), int(QDialog::Rejected));
    QCOMPARE(reads, 3); // the call under way, then no more
}

void TestTablesDlg::componentShowsTheDialogWithoutItsLock() {
    TestDataDir dir;
    TLedgra d = NewDriver();
    bool listed = false;
    bool otherThreadDone = false;
    QTimer::singleShot(0, [&] {
        TfmTablesDlg* dlg = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* t = qobject_cast<TfmTablesDlg*>(w); t && t->isVisible())
                dlg = t;
        if (!dlg)
            return;
        auto* list = dlg->findChild<QListWidget*>("lbTables");
        listed = QTest::qWaitFor([list] { return list->count() == 25; });
        // Another thread's call on the same object while the dialog is open;
        // detached, so that a call blocked by a held lock fails the test
        // instead of hanging it.
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::thread([object = d.ObjectPtr(), done] {
            TLedgra(object).GetECRStatus();
            *done = true;
        }).detach();
        otherThreadDone = QTest::qWaitFor([done] { return done->load(); }, 10000);
        dlg->reject();
    });
    QCOMPARE(d.ShowTablesDlg(), 0);
    QVERIFY(listed);
    QVERIFY(otherThreadDone);
    QCOMPARE(d.ResultCode(), 0);
}

void TestTablesDlg::noGui_data() {
    QTest::addColumn<bool>("worker");
    QTest::newRow("no application") << false;
    QTest::newRow("worker thread") << true;
}

void TestTablesDlg::noGui() {
    QFETCH(bool, worker);
    if (!worker) {
        QCOMPARE(gNoAppCode, int(RC::NoGui));
        return;
    }
    TestDataDir dir;
    TLedgra d = NewDriver();
    int code = 0;
    std::thread([&] { code = d.ShowTablesDlg(); }).join();
    QCOMPARE(code, int(RC::NoGui));
    QCOMPARE(d.ResultCode(), int(RC::NoGui));
}

int main(int argc, char** argv) {
    {
        TestDataDir dir;
        gNoAppCode = NewDriver().ShowTablesDlg();
    }
    QApplication app(argc, argv);
    TestTablesDlg test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tablesdlg.moc"
