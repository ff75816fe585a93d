// The page "Полное состояние": the whole report line by line against a
// scripted register, every way it ends early, the interruption while the
// window keeps running, saving; and one run on the embedded virtual register.

#include "common/RunHandler.h"
#include "driver/ResultCodes.h"
#include "driver/untDriver.h"
#include "ledgra/LedgraComponent.h"
#include "pages/status/fmuFullStatus.h"
#include "tests/support/PageTestSupport.h"
#include "tests/support/ReportLines.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <map>

namespace {

using namespace ReportLines;

const char kFakeClass[] = "{TEST-FAKE-FULLSTATUS}";

// A register with a few small tables and 256 cash and operation registers.
// Fail[(method, number)] answers a code for one table, register or field
// (number: TableNumber for table methods, RegisterNumber for registers).
class RegisterFake : public FakeLedgra {
public:
    std::map<int, QVariant> Params{{28, false}, {71, true}};
    struct Table {
        const char* name;
        int rows;
        int fields;
    };
    std::vector<Table> Tables{{"Тип и режим кассы", 2, 2}, {"Пароли кассиров", 1, 1}};
    std::map<std::pair<MethodId, int>, int> Fail;
    std::function<void(MethodId)> OnInvoke;

    int Invoke(MethodId id) override {
        if (OnInvoke)
            OnInvoke(id);
        using P = PropertyId;
        const bool tableMethod = id == MethodId::GetTableStruct || id == MethodId::GetFieldStruct ||
                                 id == MethodId::ReadTable;
        const int number = Get(tableMethod ? P::TableNumber : P::RegisterNumber).toInt();
        if (auto it = Fail.find({id, number}); it != Fail.end()) {
            Answer(id, it->second);
            return FakeLedgra::Invoke(id);
        }
        switch (id) {
        case MethodId::ReadModelParamValue:
            Answer(id, 0, {{P::ModelParamValue, Params.at(Get(P::ModelParamNumber).toInt())}});
            break;
        case MethodId::GetTableStruct:
            if (number >= 1 && number <= int(Tables.size())) {
                const Table& t = Tables[size_t(number - 1)];
                Answer(id, 0,
                       {{P::TableName, QString::fromUtf8(t.name)},
                        {P::RowNumber, t.rows},
                        {P::FieldNumber, t.fields}});
            } else {
                Answer(id, 93);
            }
            break;
        case MethodId::GetFieldStruct:
            Answer(id, 0,
                   {{P::FieldName, QStringLiteral("Поле %1").arg(Get(P::FieldNumber).toInt())}});
            break;
        case MethodId::ReadTable:
            Answer(id, 0,
                   {{P::ValueOfFieldString, QStringLiteral("%1/%2/%3")
                                                .arg(number)
                                                .arg(Get(P::RowNumber).toInt())
                                                .arg(Get(P::FieldNumber).toInt())}});
            break;
        case MethodId::GetCashReg:
            Answer(id, 0,
                   {{P::NameCashReg, QStringLiteral("Накопление %1").arg(number)},
                    {P::ContentsOfCashRegister,
                     QVariant::fromValue(Currency::FromRaw(qint64(number) * 10000 + 1500))}});
            break;
        case MethodId::GetOperationReg:
            Answer(id, 0,
                   {{P::NameOperationReg, QStringLiteral("Операций %1").arg(number)},
                    {P::ContentsOfOperationRegister, number * 2}});
            break;
        default:
            break;
        }
        return FakeLedgra::Invoke(id);
    }
};

// The full status page's columns.
QString Sep() {
    return ReportSeparator(52);
}

QString L(const QString& label, const QString& value, int width = 24) {
    return ReportLine(label, value, width);
}

QString B(const QString& label, bool flag) {
    return ReportFlag(label, flag, 33);
}

QString Reg(int number, const QString& name, const QString& value) {
    return QStringLiteral(" %1.%2 : %3").arg(number, 3).arg(name.leftJustified(44), value);
}

QPlainTextEdit* Memo(QWidget& page) {
    return page.findChild<QPlainTextEdit*>(QStringLiteral("Memo"));
}

QPushButton* Button(QWidget& page, const char* name) {
    return page.findChild<QPushButton*>(QLatin1String(name));
}

QStringList DeviceFlagLines(bool capFN) {
    return PickReportLines(
        Concat({{{Sep(), Always}, {L("Флаги", "02A0h, 672"), Always}, {Sep(), Always}},
                DeviceFlagRows()}),
        capFN, false);
}

// The flags both status requests answer.
FakeLedgra::Outputs FlagOutputs() {
    using P = PropertyId;
    return {{P::ECRFlags, 0x2A0},     {P::PresenterIn, true},
            {P::IsDrawerOpen, true},  {P::EKLZIsPresent, true},
            {P::PointPosition, true}, {P::ReceiptRibbonIsPresent, true},
            {P::ECRMode, 4},          {P::ECRModeDescription, QStringLiteral("Закрытая смена")},
            {P::ECRAdvancedMode, 3},  {P::ECRAdvancedModeDescription, QStringLiteral("Печать")},
            {P::ECRModeStatus, 1}};
}

QString AmountText(qint64 whole, int cents) {
    return QStringLiteral("%1%2%3")
        .arg(whole)
        .arg(QLocale::system().decimalPoint())
        .arg(cents, 2, 10, QLatin1Char('0'));
}

} // namespace

class TestFullStatus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void wholeReport_data();
    void wholeReport();
    void reportEndsWithOneLine_data();
    void reportEndsWithOneLine();
    void interruptionWhileTheWindowRuns_data();
    void interruptionWhileTheWindowRuns();
    void saveWritesTheLinesAsUtf8_data();
    void saveWritesTheLinesAsUtf8();
    void saveErrors();
    void reportOnVirtualRegister();

private:
    void PresetStatus();
    void RunReport(TfmFullStatus& page);
    TFakeDriver<RegisterFake> F{kFakeClass};
};

void TestFullStatus::initTestCase() {
    // Fixed formats of dates, times and decimals in the expected lines.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    F.RegisterWithVirtualRegister();
}

void TestFullStatus::init() {
    F.Init();
}

void TestFullStatus::cleanup() {
    F.Cleanup();
}

void TestFullStatus::PresetStatus() {
    using P = PropertyId;
    FakeLedgra::Outputs status = FlagOutputs();
    status.insert(status.end(), {{P::ECRSoftVersion, QStringLiteral("D.1")},
                                 {P::ECRBuild, 32513},
                                 {P::ECRSoftDate, QDateTime(QDate(2023, 5, 16), QTime(0, 0))},
                                 {P::FMSoftVersion, QStringLiteral("A.4")},
                                 {P::FMBuild, 7},
                                 {P::FMSoftDate, QDateTime(QDate(2016, 3, 1), QTime(0, 0))},
                                 {P::LogicalNumber, 2},
                                 {P::OpenDocumentNumber, 12},
                                 {P::PortNumber, 2},
                                 {P::RegistrationNumber, 1},
                                 {P::FreeRegistration, 11},
                                 {P::SessionNumber, 5},
                                 {P::FreeRecordInFM, 2095},
                                 {P::Date, QDateTime(QDate(2024, 2, 1), QTime(0, 0))},
                                 {P::Time, QDateTime(QDate(1899, 12, 30), QTime(13, 4, 5))},
                                 {P::SerialNumber, QString()},
                                 {P::INN, QStringLiteral("7700000000")},
                                 {P::FMFlags, 0xC},
                                 {P::FMFlagsEx, 0x81},
                                 {P::IsBatteryLow, false},
                                 {P::FMOverflow, true},
                                 {P::IsASPDMode, true},
                                 {P::IsBlockedByWrongTaxPassword, true},
                                 {P::IsCorruptedFMRecords, true}});
    F.Fake->DefaultAnswer(MethodId::GetECRStatus, 0, status);
    FakeLedgra::Outputs shortStatus = FlagOutputs();
    shortStatus.insert(shortStatus.end(), {{P::QuantityOfOperations, 3},
                                           {P::BatteryVoltage, 3.5},
                                           {P::PowerSourceVoltage, 24.125},
                                           {P::FMResultCode, 2},
                                           {P::EKLZResultCode, 0}});
    F.Fake->DefaultAnswer(MethodId::GetShortECRStatus, 0, shortStatus);
    F.Fake->DefaultAnswer(MethodId::GetDeviceMetrics, 0,
                          {{P::UCodePage, 0},
                           {P::UCodePageText, QStringLiteral("Русский")},
                           {P::UDescription, QStringLiteral("ВИРТУАЛЬНАЯ ККТ-Ф")},
                           {P::UMajorProtocolVersion, 1},
                           {P::UMinorProtocolVersion, 13},
                           {P::UMajorType, 0},
                           {P::UMinorType, 0},
                           {P::UModel, 67}});
}

void TestFullStatus::RunReport(TfmFullStatus& page) {
    Button(page, "btnFullEcrStatus")->click();
}

void TestFullStatus::wholeReport_data() {
    QTest::addColumn<bool>("capFN");
    QTest::addColumn<bool>("cashCore");
    QTest::newRow("fiscal storage") << true << false;
    QTest::newRow("fiscal memory, cash core") << false << true;
    QTest::newRow("fiscal storage, cash core") << true << true;
}

void TestFullStatus::wholeReport() {
    QFETCH(bool, capFN);
    QFETCH(bool, cashCore);
    F.Fake->Params[71] = capFN;
    F.Fake->Params[28] = cashCore;
    PresetStatus();

    QStringList expected{QString(), Sep(), QStringLiteral(" Полное состояние"), Sep()};
    expected << PickReportLines(
        {
            {QString(), Always},
            {Sep(), Always},
            {QStringLiteral(" Запрос состояния:"), Always},
            {Sep(), Always},
            {QStringLiteral(" Режим: "), Always},
            {QStringLiteral(" 4, Закрытая смена"), Always},
            {Sep(), Always},
            {L("Версия ПО", "D.1"), Always},
            {L("Сборка ПО", "32513"), Always},
            {L("Дата ПО", "16.05.2023"), Always},
            {Sep(), NoFN},
            {L("Версия ПО ФП", "A.4"), NoFN},
            {L("Сборка ПО ФП", "7"), NoFN},
            {L("Дата ПО ФП", "01.03.2016"), NoFN},
            {Sep(), Always},
            {L("Подрежим", "3, Печать"), Always},
            {L("Статус режима", "1"), Always},
            {L("Номер ККМ в зале", "2"), Always},
            {L("Номер документа", "12"), Always},
            {L("Интерфейс подключения", "2"), Always},
            {L("Количество фискализаций", "1"), NoFN},
            {L("Осталось фискализаций", "11"), NoFN},
            {L("Последняя закрытая смена", "5"), Always},
            {L("Свободных записей в ФП", "2095"), NoFN},
            {L("Дата", "01.02.2024"), Always},
            {L("Время", "13:04:05"), Always},
            {L("Заводской номер", "не введен"), NoFN},
            {L("ИНН", "7700000000"), Always},
        },
        capFN, cashCore);
    expected << DeviceFlagLines(capFN);
    expected << PickReportLines(
        {
            {Sep(), Always},
            {L("Флаги ФП", "0Ch, 12"), NoFN},
            {L("Доп. Флаги ФП", "81h, 129"), CashCoreNoFN},
            {Sep(), Always},
            {B("24 часа в ФП кончились", false), NoFN},
            {B("Смена в ФП открыта", false), NoFN},
            {B("Последняя запись в ФП повреждена", false), NoFN},
            {B("Батарея ФП заряжена более 80 %", true), NoFN},
            {B("Переполнение ФП", true), NoFN},
            {B("ФП2 есть", false), NoFN},
            {B("ФП1 есть", false), NoFN},
            {B("Режим АСПД", true), CashCore},
            {B("Повреждены 3 или более записей", true), CashCoreNoFN},
            {B("Повреждена запись фискализации", false), CashCoreNoFN},
            {Sep(), Always},
            // The short status.
            {QString(), Always},
            {Sep(), Always},
            {QStringLiteral(" Краткий запрос состояния:"), Always},
            {Sep(), Always},
            {QStringLiteral(" Режим: "), Always},
            {QStringLiteral(" 4, Закрытая смена"), Always},
            {Sep(), Always},
            {L("Подрежим", "3, Печать"), Always},
            {L("Статус режима", "1"), Always},
            {L("Количество операций в чеке", "3"), Always},
            {L("Напряжение батареи, В", "3,5"), Always},
            {L("Напряжение источника, В", "24,125"), Always},
            {L("Ошибка ФП", "2"), NoFN},
            {L("Ошибка ЭКЛЗ", "0"), NoFN},
        },
        capFN, cashCore);
    expected << DeviceFlagLines(capFN);
    expected << Sep();
    expected << QStringList{QString(),
                            Sep(),
                            QStringLiteral(" Параметры принтера:"),
                            Sep(),
                            QStringLiteral(" Кодовая страница    : 0"),
                            QStringLiteral(" Описание устройства : ВИРТУАЛЬНАЯ ККТ-Ф"),
                            QStringLiteral(" Версия протокола    : 1"),
                            QStringLiteral(" Подверсия протокола : 13"),
                            QStringLiteral(" Тип устройства      : 0"),
                            QStringLiteral(" Подтип устройства   : 0"),
                            QStringLiteral(" Модель устройства   : 67")};
    expected << QStringList{
        QString(), Sep(), QStringLiteral(" ТАБЛИЦЫ:"), Sep(),
        // Table 1: two rows of two fields.
        QString(), Sep(), QStringLiteral(" ТАБЛИЦА 1. Тип и режим кассы. Рядов:2 Полей:2"),
        QStringLiteral(" Ряд.Поле. Наименование:Значение"), Sep(),
        QStringLiteral(" 01.01. Поле 1:1/1/1"), QStringLiteral(" 01.02. Поле 2:1/1/2"), Sep(),
        QStringLiteral(" 02.01. Поле 1:1/2/1"), QStringLiteral(" 02.02. Поле 2:1/2/2"), Sep(),
        // Table 2: one field.
        QString(), Sep(), QStringLiteral(" ТАБЛИЦА 2. Пароли кассиров. Рядов:1 Полей:1"),
        QStringLiteral(" Ряд.Поле. Наименование:Значение"), Sep(),
        QStringLiteral(" 01.01. Поле 1:2/1/1"), Sep()};
    expected << QString() << QStringLiteral(" ДЕНЕЖНЫЕ РЕГИСТРЫ:")
             << QLatin1Char(' ') + QString(54, QLatin1Char('-'));
    for (int n = 0; n < 256; ++n)
        expected << Reg(n, QStringLiteral("Накопление %1").arg(n), AmountText(n, 15));
    expected << QString() << Sep() << QStringLiteral(" ОПЕРАЦИОННЫЕ РЕГИСТРЫ:") << Sep();
    // A count shows as a whole amount: with two decimals here (PointPosition).
    for (int n = 0; n < 256; ++n)
        expected << Reg(n, QStringLiteral("Операций %1").arg(n), AmountText(n * 2, 0));
    expected << Sep();

    TfmFullStatus page;
    RunReport(page);
    const QStringList lines = MemoLines(page);
    for (int i = 0; i < qMin(lines.size(), expected.size()); ++i)
        QCOMPARE(lines[i], expected[i]);
    QCOMPARE(lines.size(), expected.size());
    QCOMPARE(Memo(page)->textCursor().position(), 0);
    QVERIFY(F.Shown.isEmpty());
    // Model parameters 28 and 71 are asked once each, whatever the lines.
    QCOMPARE(F.Fake->CallCount(MethodId::ReadModelParamValue), 2);
}

void TestFullStatus::reportEndsWithOneLine_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("lastLine");
    QTest::addColumn<QString>("lastSection"); // the last section begun, or none
    const QString aborted = QStringLiteral("Операция прервана");
    QTest::newRow("long status fails")
        << int(MethodId::GetECRStatus) << 0 << 80 << aborted << QString();
    QTest::newRow("cash-core query fails")
        << int(MethodId::ReadModelParamValue) << 0 << 51 << aborted << QString();
    QTest::newRow("short status fails") << int(MethodId::GetShortECRStatus) << 0 << 80 << aborted
                                        << QStringLiteral(" Запрос состояния:");
    QTest::newRow("table 2 cannot be read")
        << int(MethodId::GetTableStruct) << 2 << 80 << aborted << QStringLiteral(" ТАБЛИЦЫ:");
    QTest::newRow("a cell of table 1 cannot be read")
        << int(MethodId::ReadTable) << 1 << 80 << aborted << QStringLiteral(" ТАБЛИЦЫ:");
    QTest::newRow("cash register 100 missing")
        << int(MethodId::GetCashReg) << 100 << 51
        << QStringLiteral("<Прервано в результате ошибки: 51 %1>").arg(Ledgra::ResultText(51))
        << QStringLiteral(" ДЕНЕЖНЫЕ РЕГИСТРЫ:");
    QTest::newRow("operation register 7 fails")
        << int(MethodId::GetOperationReg) << 7 << 80 << aborted
        << QStringLiteral(" ОПЕРАЦИОННЫЕ РЕГИСТРЫ:");
}

void TestFullStatus::reportEndsWithOneLine() {
    QFETCH(int, method);
    QFETCH(int, number);
    QFETCH(int, code);
    QFETCH(QString, lastLine);
    QFETCH(QString, lastSection);
    PresetStatus();
    F.Fake->Fail[{MethodId(method), number}] = code;

    TfmFullStatus page;
    RunReport(page);
    const QStringList lines = MemoLines(page);
    QCOMPARE(lines.last(), lastLine);
    QCOMPARE(lines.count(lastLine), 1);
    // The lines before the failure stay; nothing after it is written.
    const QStringList sections{
        QStringLiteral(" Запрос состояния:"),   QStringLiteral(" Краткий запрос состояния:"),
        QStringLiteral(" Параметры принтера:"), QStringLiteral(" ТАБЛИЦЫ:"),
        QStringLiteral(" ДЕНЕЖНЫЕ РЕГИСТРЫ:"),  QStringLiteral(" ОПЕРАЦИОННЫЕ РЕГИСТРЫ:")};
    const int last = int(sections.indexOf(lastSection));
    for (int i = 0; i < sections.size(); ++i)
        QVERIFY2(lines.contains(sections[i]) == (i <= last), qPrintable(sections[i]));
    if (MethodId(method) == MethodId::GetCashReg) {
        QCOMPARE(lines[lines.size() - 2],
                 Reg(99, QStringLiteral("Накопление 99"), AmountText(99, 15)));
        QCOMPARE(F.Fake->CallCount(MethodId::GetOperationReg), 0);
    }
    QVERIFY(F.Shown.isEmpty());
    QCOMPARE(Memo(page)->textCursor().position(), 0);
    for (const char* b : {"btnFullEcrStatus", "btnSaveToFile", "btnInterrupt"})
        QVERIFY(Button(page, b)->isEnabled());
}

void TestFullStatus::interruptionWhileTheWindowRuns_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("lastSection");
    QTest::newRow("in the tables") << int(MethodId::ReadTable) << 2 << QStringLiteral(" ТАБЛИЦЫ:");
    QTest::newRow("in the cash registers")
        << int(MethodId::GetCashReg) << 10 << QStringLiteral(" ДЕНЕЖНЫЕ РЕГИСТРЫ:");
    QTest::newRow("in the operation registers")
        << int(MethodId::GetOperationReg) << 10 << QStringLiteral(" ОПЕРАЦИОННЫЕ РЕГИСТРЫ:");
}

void TestFullStatus::interruptionWhileTheWindowRuns() {
    QFETCH(int, method);
    QFETCH(int, number);
    QFETCH(QString, lastSection);
    PresetStatus();
    TfmFullStatus page;
    QPushButton* get = Button(page, "btnFullEcrStatus");
    QPushButton* stop = Button(page, "btnInterrupt");
    QPushButton* save = Button(page, "btnSaveToFile");
    bool posted = false;
    bool stopEnabled = false;
    bool othersEnabled = false;
    F.Fake->OnInvoke = [&](MethodId id) {
        if (id == MethodId(method) && !posted &&
            F.Fake->Get(id == MethodId::ReadTable ? PropertyId::TableNumber
                                                  : PropertyId::RegisterNumber)
                    .toInt() == number) {
            posted = true;
            stopEnabled = stop->isEnabled();
            othersEnabled = get->isEnabled() || save->isEnabled();
            // The operator's two clicks arrive through the window's queue while
            // the report runs.
            QTimer::singleShot(0, stop, &QPushButton::click);
            QTimer::singleShot(0, stop, &QPushButton::click);
        }
    };
    RunReport(page);
    QVERIFY(posted);
    QVERIFY(stopEnabled);
    QVERIFY(!othersEnabled);
    const QStringList lines = MemoLines(page);
    QCOMPARE(lines.last(), QStringLiteral("<Прервано пользователем>"));
    QCOMPARE(lines.count(QStringLiteral("<Прервано пользователем>")), 1);
    QVERIFY(lines.contains(lastSection));
    QVERIFY(!lines.contains(QStringLiteral(" ОПЕРАЦИОННЫЕ РЕГИСТРЫ:")) ||
            lastSection == QStringLiteral(" ОПЕРАЦИОННЫЕ РЕГИСТРЫ:"));
    // The report stops within a step of the click.
    if (MethodId(method) != MethodId::ReadTable) {
        const int calls = F.Fake->CallCount(MethodId(method));
        QVERIFY2(calls <= number + 2, qPrintable(QString::number(calls)));
    }
    QVERIFY(get->isEnabled());
    QVERIFY(save->isEnabled());

    // The next report starts afresh.
    F.Fake->OnInvoke = nullptr;
    RunReport(page);
    QCOMPARE(MemoLines(page).last(), Sep());
}

void TestFullStatus::saveWritesTheLinesAsUtf8_data() {
    QTest::addColumn<bool>("report");
    QTest::newRow("empty memo: empty file") << false;
    QTest::newRow("a report") << true;
}

void TestFullStatus::saveWritesTheLinesAsUtf8() {
    QFETCH(bool, report);
    PresetStatus();
    TfmFullStatus page;
    if (report) {
        F.Fake->Fail[{MethodId::GetTableStruct, 1}] = 80; // a shorter report
        RunReport(page);
    }
    const QString fileName = F.Dir->File(QStringLiteral("состояние.txt"));
    QList<bool> changes;
    PageNotifier().OnChange = [&](TPageNotifier*, bool value) { changes << value; };
    bool filters = false;
    // The operator types the file name into the save dialog and accepts it.
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        QCOMPARE(dlg->acceptMode(), QFileDialog::AcceptSave);
        filters = dlg->nameFilters().size() == 2 &&
                  dlg->nameFilters()[0].contains(QLatin1String("*.txt")) &&
                  dlg->nameFilters()[1].contains(QLatin1String("*.*"));
        dlg->selectFile(fileName);
        static_cast<QDialog*>(dlg)->accept();
    });
    Button(page, "btnSaveToFile")->click();
    QVERIFY(filters);
    QVERIFY(changes.isEmpty()); // no driver call: the result panel is left alone
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    if (!report) {
        QCOMPARE(bytes, QByteArray());
        return;
    }
    const QStringList lines = MemoLines(page);
    QVERIFY(lines.size() > 20);
    QCOMPARE(QString::fromUtf8(bytes), lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    QVERIFY(bytes.contains(QStringLiteral(" Полное состояние").toUtf8()));
}

void TestFullStatus::saveErrors() {
    TfmFullStatus page;
    // Cancelled: nothing written.
    QTimer::singleShot(0, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            qobject_cast<QDialog*>(w)->reject();
    });
    Button(page, "btnSaveToFile")->click();
    QCOMPARE(QDir(F.Dir->Path()).entryList(QDir::Files), QStringList());
    QVERIFY(F.Shown.isEmpty());

    // A file that cannot be written: the operator is told which.
    const QString fileName = F.Dir->File(QStringLiteral("нет/отчет.txt"));
    RunHandler(&page, [&] { page.SaveToFile(fileName); });
    QCOMPARE(F.Shown.size(), 1);
    QVERIFY2(F.Shown[0].startsWith(QStringLiteral("Не удается открыть файл \"%1\"").arg(fileName)),
             qPrintable(F.Shown[0]));
    F.Shown.clear();
}

void TestFullStatus::reportOnVirtualRegister() {
    qunsetenv("LEDGRA_CLASS");
    TfmFullStatus page;
    page.show();
    // The window keeps running: a timer of the window thread fires all along.
    int ticks = 0;
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] {
        longestGap = qMax(longestGap, sinceTick.restart());
        ++ticks;
    });
    ticker.start(10);
    QElapsedTimer elapsed;
    elapsed.start();
    sinceTick.start();
    RunReport(page);
    const qint64 ms = elapsed.elapsed();
    ticker.stop();
    qInfo("Full status on the embedded register: %lld ms, %d timer ticks, longest pause %lld ms",
          ms, ticks, longestGap);

    const QStringList lines = MemoLines(page);
    QVERIFY(lines.contains(QStringLiteral(" Запрос состояния:")));
    QVERIFY(lines.contains(QStringLiteral(" 4, Закрытая смена")));
    QVERIFY(lines.contains(QStringLiteral(" Модель устройства   : 67")));
    QVERIFY(lines.contains(QStringLiteral(" ТАБЛИЦЫ:")));
    QVERIFY(std::any_of(lines.begin(), lines.end(), [](const QString& l) {
        return l.startsWith(QStringLiteral(" ТАБЛИЦА 1. "));
    }));
    // Every table of the register, up to its last: then the cash registers.
    const int cash = int(lines.indexOf(QStringLiteral(" ДЕНЕЖНЫЕ РЕГИСТРЫ:")));
    QVERIFY2(cash > 0, qPrintable(lines.last()));
    QVERIFY2(lines.size() > cash + 2 + 256, qPrintable(lines.last()));
    QVERIFY(lines[cash + 2].startsWith(QLatin1String("   0.")));
    QVERIFY(lines[cash + 2 + 255].startsWith(QLatin1String(" 255.")));
    const int ops = int(lines.indexOf(QStringLiteral(" ОПЕРАЦИОННЫЕ РЕГИСТРЫ:")));
    QVERIFY2(ops > cash, qPrintable(lines.last()));
    QCOMPARE(lines.size(), ops + 2 + 256 + 1);
    QVERIFY(lines[ops + 2 + 255].startsWith(QLatin1String(" 255.")));
    QCOMPARE(lines.last(), Sep());
    QCOMPARE(Driver().ResultCode(), 0);
    QVERIFY(ticks > 0);
}

QTEST_MAIN(TestFullStatus)
#include "tst_full_status.moc"
