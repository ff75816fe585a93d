// The page "Запросы": its reports line by line against a scripted driver, and
// every button against the embedded virtual register.

#include "common/RunHandler.h"
#include "driver/PrinterTypes.h"
#include "driver/untDriver.h"
#include "ledgra/LedgraComponent.h"
#include "pages/status/fmuDeviceStatus.h"
#include "tests/support/PageTestSupport.h"
#include "tests/support/ReportLines.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <map>

namespace {

using namespace ReportLines;

const char kFakeClass[] = "{TEST-FAKE-STATUS}";

// Answers model parameters by number and error descriptions by code, as a
// register does; everything else comes from FakeLedgra's script.
class StatusFake : public FakeLedgra {
public:
    std::map<int, QVariant> Params{{28, false}, {32, 67}, {50, true}, {57, false}, {71, true}};
    int FailingParam = -1;
    int FailingErrorCode = -1;

    std::function<void()> OnInvoke;

    int Invoke(MethodId id) override {
        if (OnInvoke)
            OnInvoke();
        if (id == MethodId::ReadModelParamValue) {
            const int number = Get(PropertyId::ModelParamNumber).toInt();
            if (number == FailingParam)
                Answer(id, 51);
            else
                Answer(id, 0, {{PropertyId::ModelParamValue, Params.at(number)}});
        } else if (id == MethodId::ReadErrorDescription) {
            const int code = Get(PropertyId::ErrorCode).toInt();
            if (code == FailingErrorCode)
                Answer(id, 51);
            else
                Answer(id, 0,
                       {{PropertyId::ErrorDescription, QStringLiteral("Описание %1").arg(code)}});
        }
        return FakeLedgra::Invoke(id);
    }
};

// The status page's columns.
QString Separator() {
    return ReportSeparator();
}

QString L(const QString& label, const QString& value, int width = 26) {
    return ReportLine(label, value, width);
}

QString B(const QString& label, bool flag) {
    return ReportFlag(label, flag, 33);
}

} // namespace

class TestPagesStatus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void buttonsFollowPageProtocol_data();
    void buttonsFollowPageProtocol();
    void builderColumns_data();
    void builderColumns();
    void longReport_data();
    void longReport();
    void longReportEndsAtFailingQuery();
    void shortReport_data();
    void shortReport();
    void failingStatusLeavesMemoEmpty_data();
    void failingStatusLeavesMemoEmpty();
    void errorList_data();
    void errorList();
    void modelParams_data();
    void modelParams();
    void metricsVersionAndSerial();
    void tablesDialogGetsParentWindow();
    void everyButtonAgainstVirtualRegister();

private:
    void PresetLongStatus();
    TFakeDriver<StatusFake> F{kFakeClass};
};

void TestPagesStatus::initTestCase() {
    // Fixed formats of dates, times and decimals in the expected lines.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    F.RegisterWithVirtualRegister();
}

void TestPagesStatus::init() {
    F.Init();
}

void TestPagesStatus::cleanup() {
    QVERIFY2(F.Shown.isEmpty(), qPrintable(F.Shown.join(QLatin1Char('\n'))));
    F.Cleanup();
}

void TestPagesStatus::buttonsFollowPageProtocol_data() {
    QTest::addColumn<QString>("button");
    for (const char* b :
         {"btnEcrStatus", "btnShortEcrStatus", "btnDeviceMetrics", "btnResetPrinter",
          "btnGetModelParams", "btnDriverVersion", "btnTables", "btnErrorList", "btnSerial"})
        QTest::newRow(b) << QString::fromLatin1(b);
}

void TestPagesStatus::buttonsFollowPageProtocol() {
    QFETCH(QString, button);
    TfmDeviceStatus page;
    auto* b = page.findChild<QPushButton*>(button);
    QVERIFY(b);
    QVERIFY(!b->toolTip().isEmpty());
    // Every driver call fails: the buttons still come back.
    for (const MethodId m :
         {MethodId::GetECRStatus, MethodId::GetShortECRStatus, MethodId::GetDeviceMetrics,
          MethodId::ResetECR, MethodId::ShowTablesDlg, MethodId::ReadSerialNumber})
        F.Fake->DefaultAnswer(m, 80);
    QList<bool> changes;
    PageNotifier().OnChange = [&](TPageNotifier*, bool value) { changes << value; };
    QList<bool> enabledInCall;
    F.Fake->OnInvoke = [&] { enabledInCall << b->isEnabled(); };
    b->click();
    QCOMPARE(changes, QList<bool>({false, true}));
    QVERIFY(!enabledInCall.contains(true));
    QVERIFY(b->isEnabled());
}

void TestPagesStatus::builderColumns_data() {
    QTest::addColumn<int>("builder");
    QTest::addColumn<int>("labelLength");
    QTest::addColumn<int>("colonColumn"); // counted from 1
    QTest::newRow("AddLine, short label") << 0 << 4 << 28;
    QTest::newRow("AddLine, label of 26") << 0 << 26 << 28;
    QTest::newRow("AddLine, label of 30 pushes the colon") << 0 << 30 << 32;
    QTest::newRow("AddBool") << 1 << 10 << 35;
    QTest::newRow("AddLineWidth 14") << 2 << 6 << 16;
}

void TestPagesStatus::builderColumns() {
    QFETCH(int, builder);
    QFETCH(int, labelLength);
    QFETCH(int, colonColumn);
    TfmDeviceStatus page;
    const QString label(labelLength, QChar(0x416)); // "Ж"
    switch (builder) {
    case 0:
        page.AddLine(label, QStringLiteral("x"));
        break;
    case 1:
        page.AddBool(label, true);
        break;
    case 2:
        page.AddLineWidth(label, QStringLiteral("x"), 14);
        break;
    }
    page.AddSeparator();
    const QStringList lines = MemoLines(page);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].startsWith(QLatin1Char(' ') + label));
    QCOMPARE(lines[0].indexOf(QLatin1Char(':')) + 1, colonColumn);
    QCOMPARE(lines[1], QLatin1Char(' ') + QString(40, QLatin1Char('-')));
}

void TestPagesStatus::PresetLongStatus() {
    using P = PropertyId;
    F.Fake->Answer(MethodId::GetECRStatus, 0,
                   {{P::ECRMode, 4},
                    {P::ECRModeDescription, QStringLiteral("Закрытая смена")},
                    {P::ECRSoftVersion, QStringLiteral("D.1")},
                    {P::ECRBuild, 32513},
                    {P::ECRSoftDate, QDateTime(QDate(2023, 5, 16), QTime())},
                    {P::FMSoftVersion, QStringLiteral("A.4")},
                    {P::FMBuild, 7},
                    {P::FMSoftDate, QDateTime(QDate(2016, 3, 1), QTime())},
                    {P::ECRAdvancedMode, 3},
                    {P::ECRAdvancedModeDescription, QStringLiteral("Печать")},
                    {P::ECRModeStatus, 1},
                    {P::LogicalNumber, 2},
                    {P::OpenDocumentNumber, 12},
                    {P::PortNumber, 2},
                    {P::RegistrationNumber, 1},
                    {P::FreeRegistration, 11},
                    {P::SessionNumber, 5},
                    {P::FreeRecordInFM, 2095},
                    {P::Date, QDateTime(QDate(2024, 2, 1), QTime())},
                    {P::Time, QDateTime(QDate(1899, 12, 30), QTime(13, 4, 5))},
                    {P::SerialNumber, QString()},
                    {P::INN, QStringLiteral("7700000000")},
                    {P::ECRFlags, 0x2A0},
                    {P::PresenterIn, true},
                    {P::IsDrawerOpen, true},
                    {P::EKLZIsPresent, true},
                    {P::PointPosition, true},
                    {P::ReceiptRibbonIsPresent, true},
                    {P::FMFlags, 0xC},
                    {P::IsBatteryLow, false},
                    {P::FMOverflow, true},
                    {P::IsASPDMode, true},
                    {P::IsCorruptedFMRecords, true},
                    {P::LastFMRecordType, 1}});
}

void TestPagesStatus::longReport_data() {
    QTest::addColumn<bool>("capFN");
    QTest::addColumn<bool>("cashCore");
    QTest::newRow("fiscal storage") << true << false;
    QTest::newRow("fiscal memory, cash core") << false << true;
    QTest::newRow("fiscal storage, cash core") << true << true;
}

void TestPagesStatus::longReport() {
    QFETCH(bool, capFN);
    QFETCH(bool, cashCore);
    F.Fake->Params[71] = capFN;
    F.Fake->Params[28] = cashCore;
    PresetLongStatus();

    const ReportRows all = Concat(
        {{
             {QString(), Always},
             {Separator(), Always},
             {QStringLiteral(" Запрос состояния:"), Always},
             {Separator(), Always},
             {QStringLiteral(" Режим: "), Always},
             {QStringLiteral("  4, Закрытая смена"), Always},
             {Separator(), Always},
             {QStringLiteral(" Версия ПО                 : D.1"), Always},
             {L("Сборка ПО", "32513"), Always},
             {L("Дата ПО", "16.05.2023"), Always},
             {Separator(), NoFN},
             {L("Версия ПО ФП", "A.4"), NoFN},
             {L("Сборка ПО ФП", "7"), NoFN},
             {L("Дата ПО ФП", "01.03.2016"), NoFN},
             {Separator(), Always},
             {L("Подрежим", "3, Печать"), Always},
             {L("Статус режима", "1"), Always},
             {L("Номер ККМ в зале", "2"), Always},
             {L("Номер документа", "12"), Always},
             {L("Интерфейс подключения", "2, TCP сокет (RNDIS, Ethernet, WI-FI, ppp)"), Always},
             {L("Количество фискализаций", "1"), NoFN},
             {L("Осталось фискализаций", "11"), NoFN},
             {L("Последняя закрытая смена", "5"), Always},
             {L("Свободных записей в ФП", "2095"), NoFN},
             {L("Дата", "01.02.2024"), Always},
             {L("Время", "13:04:05"), Always},
             {L("Заводской номер", "не введен"), Always},
             {L("ИНН", "7700000000"), Always},
             {Separator(), Always},
             {L("Флаги кассовой техники", "02A0h, 672"), Always},
             {Separator(), Always},
         },
         DeviceFlagRows(),
         {
             {Separator(), NoFN},
             {L("Флаги ФП", "0Ch, 12"), NoFN},
             {Separator(), NoFN},
             {B("24 часа в ФП кончились", false), NoFN},
             {B("Смена в ФП открыта", false), NoFN},
             {B("Последняя запись в ФП повреждена", false), NoFN},
             {B("Батарея ФП заряжена более 80 %", true), NoFN},
             {B("Переполнение ФП", true), NoFN},
             {B("ФП2 есть", false), NoFN},
             {B("ФП1 есть", false), NoFN},
             {Separator(), CashCore},
             {B("Режим АСПД", true), CashCore},
             {B("Блокировка ККТ по неверному паролю НИ", false), CashCore},
             {B("Повреждены 3 или более записей", true), CashCoreNoFN},
             {B("Повреждена запись фискализации", false), CashCoreNoFN},
             {L("Тип последней записи ФП", "Сменный итог"), CashCoreNoFN},
             {Separator(), Always},
         }});
    const QStringList expected = PickReportLines(all, capFN, cashCore);

    TfmDeviceStatus page;
    Click(page, "btnEcrStatus");
    QCOMPARE(MemoLines(page), expected);
    auto* memo = page.findChild<QPlainTextEdit*>(QStringLiteral("Memo"));
    QCOMPARE(memo->textCursor().position(), 0);
    QVERIFY(memo->updatesEnabled());
}

void TestPagesStatus::longReportEndsAtFailingQuery() {
    F.Fake->FailingParam = 71;
    PresetLongStatus();
    TfmDeviceStatus page;
    Click(page, "btnEcrStatus");
    const QStringList lines = MemoLines(page);
    QCOMPARE(lines.size(), 10);
    QCOMPARE(lines.last(), L("Дата ПО", "16.05.2023"));
    auto* memo = page.findChild<QPlainTextEdit*>(QStringLiteral("Memo"));
    QVERIFY(memo->updatesEnabled());
    QCOMPARE(memo->textCursor().position(), 0);
    QCOMPARE(Driver().ResultCode(), 51);
}

void TestPagesStatus::shortReport_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("keysCode");
    QTest::addColumn<int>("keysStatus");
    QTest::addColumn<QStringList>("keyLines");
    QTest::newRow("other model: no key lines") << 67 << 0 << 6 << QStringList();
    QTest::newRow("254, urgent, one key")
        << 254 << 0 << 6
        << QStringList{L("Код ошибки при обновлении ключей", "0, ОБНОВЛЕНО КЛЮЧЕЙ: 1, ОШИБОК НЕТ"),
                       L("Статус обновления ключей", "6, Требуется срочное обновление"),
                       L("Кол-во обновленных ключей", "1")};
    QTest::newRow("254, not needed")
        << 254 << 254 << 1
        << QStringList{L("Код ошибки при обновлении ключей",
                         "254, Обновление не производилось, потому что не требуется"),
                       L("Статус обновления ключей", "1, Требуется обновление"),
                       L("Кол-во обновленных ключей", "0")};
    QTest::newRow("254, no server")
        << 254 << 255 << 8
        << QStringList{L("Код ошибки при обновлении ключей", "255, Нет связи с сервером АС ОКП"),
                       L("Статус обновления ключей", "8, "), L("Кол-во обновленных ключей", "2")};
    QTest::newRow("254, fiscal storage error")
        << 254 << 2 << 0
        << QStringList{L("Код ошибки при обновлении ключей", "2, " + GetFNErrorDescription(2)),
                       L("Статус обновления ключей", "0, "), L("Кол-во обновленных ключей", "0")};
}

void TestPagesStatus::shortReport() {
    QFETCH(int, model);
    QFETCH(int, keysCode);
    QFETCH(int, keysStatus);
    QFETCH(QStringList, keyLines);
    using P = PropertyId;
    F.Fake->Params[32] = model;
    F.Fake->Answer(MethodId::GetShortECRStatus, 0,
                   {{P::ECRMode, 2},
                    {P::ECRModeDescription, QStringLiteral("Открытая смена, 24 часа не кончились")},
                    {P::ECRAdvancedMode, 0},
                    {P::ECRAdvancedModeDescription, QStringLiteral("Бумага есть")},
                    {P::QuantityOfOperations, 3},
                    {P::BatteryVoltage, 3.5},
                    {P::PowerSourceVoltage, 24.125},
                    {P::PreviousECRMode, 4},
                    {P::PrinterHeadTemperature, 31},
                    {P::LastPrintResult, 0},
                    {P::UpdateKeysResultCode, keysCode},
                    {P::UpdateKeysStatus, keysStatus},
                    {P::ECRFlags, 0xFFFF},
                    {P::QuantityPointPosition, true}});
    QStringList expected{QString(),
                         Separator(),
                         QStringLiteral(" Краткий запрос состояния:"),
                         Separator(),
                         QStringLiteral(" Режим: "),
                         QStringLiteral(" 2, Открытая смена, 24 часа не кончились"),
                         Separator(),
                         L("Подрежим", "0, Бумага есть"),
                         L("Статус режима", "0"),
                         L("Количество операций в чеке", "3"),
                         L("Напряжение батареи, В", "3,50"),
                         L("Напряжение источника, В", "24,13"),
                         L("Предыдущий режим ККТ", "4"),
                         L("Температура ТПГ", "31")};
    expected << keyLines << L("Результат последней печати", "0") << Separator()
             << L("Флаги кассовой техники", "FFFFh, 65535") << Separator()
             << B("Увеличенная точность количества", true);
    for (const char* label :
         {"Бумага на выходе из накопителя", "Бумага на входе в накопитель", "Денежный ящик открыт",
          "Крышка корпуса поднята", "Рычаг термоголовки чека опущен",
          "Рычаг термоголовки журнала опущен", "Оптический датчик чека",
          "Оптический датчик журнала", "2 знака после запятой в цене", "Нижний датчик ПД",
          "Верхний датчик ПД", "Рулон чековой ленты", "Рулон контрольной ленты"})
        expected << B(QString::fromUtf8(label), false);
    expected << Separator();

    TfmDeviceStatus page;
    Click(page, "btnShortEcrStatus");
    QCOMPARE(MemoLines(page), expected);
}

void TestPagesStatus::failingStatusLeavesMemoEmpty_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("method");
    QTest::newRow("long") << "btnEcrStatus" << int(MethodId::GetECRStatus);
    QTest::newRow("short") << "btnShortEcrStatus" << int(MethodId::GetShortECRStatus);
    QTest::newRow("metrics") << "btnDeviceMetrics" << int(MethodId::GetDeviceMetrics);
    QTest::newRow("model params") << "btnGetModelParams" << int(MethodId::GetDeviceMetrics);
    QTest::newRow("error list") << "btnErrorList" << int(MethodId::GetDeviceMetrics);
}

void TestPagesStatus::failingStatusLeavesMemoEmpty() {
    QFETCH(QString, button);
    QFETCH(int, method);
    TfmDeviceStatus page;
    Click(page, "btnDriverVersion"); // an earlier report is cleared
    QVERIFY(!MemoLines(page).isEmpty());
    F.Fake->Answer(MethodId(method), 80);
    F.Fake->ClearLog();
    Click(page, qPrintable(button));
    QCOMPARE(MemoLines(page), QStringList());
    QCOMPARE(F.Fake->Calls(), QStringList{QLatin1String(Ledgra::Info(MethodId(method)).name)});
    QVERIFY(page.findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->updatesEnabled());
}

void TestPagesStatus::errorList_data() {
    QTest::addColumn<int>("failingCode");
    QTest::addColumn<int>("described");
    QTest::newRow("all codes described") << -1 << 256;
    QTest::newRow("stops at code 0Bh") << 11 << 11;
    QTest::newRow("first code fails") << 0 << 0;
}

void TestPagesStatus::errorList() {
    QFETCH(int, failingCode);
    QFETCH(int, described);
    F.Fake->FailingErrorCode = failingCode;
    TfmDeviceStatus page;
    Click(page, "btnErrorList");
    const QStringList lines = MemoLines(page);
    QCOMPARE(lines.mid(0, 4), QStringList({QString(), Separator(),
                                           QStringLiteral(" Описания ошибок"), Separator()}));
    QCOMPARE(lines.size(), 4 + described);
    if (described > 10)
        QCOMPARE(lines[4 + 10], QStringLiteral(" 0A: Описание 10"));
    if (described == 256)
        QCOMPARE(lines.last(), QStringLiteral(" FF: Описание 255"));
    // Nothing is asked after the failing code.
    QCOMPARE(F.Fake->CallCount(MethodId::ReadErrorDescription), qMin(described + 1, 256));
}

void TestPagesStatus::modelParams_data() {
    QTest::addColumn<int>("failingIndex");
    QTest::addColumn<QStringList>("params");
    const QStringList all{L("  71. Наличие ФН", "[да]", 44),
                          L("  28. Поддержка кассового ядра", "[нет]", 44),
                          L(" 255. Номер таблицы", "18", 44), L("1234. Версия", "D.1", 44)};
    QTest::newRow("all read") << -1 << all;
    QTest::newRow("stops at a failing read") << 2 << all.mid(0, 2);
}

void TestPagesStatus::modelParams() {
    QFETCH(int, failingIndex);
    QFETCH(QStringList, params);
    using P = PropertyId;
    F.Fake->Answer(MethodId::GetDeviceMetrics, 0, {{P::ModelParamCount, 4}});
    const std::vector<std::tuple<int, const char*, QVariant>> table = {
        {71, "Наличие ФН", true},
        {28, "Поддержка кассового ядра", false},
        {255, "Номер таблицы", 18},
        {1234, "Версия", QStringLiteral("D.1")}};
    for (int i = 0; i < int(table.size()); ++i) {
        if (i == failingIndex) {
            F.Fake->Answer(MethodId::ReadModelParam, 51);
            break;
        }
        const auto& [number, description, value] = table[i];
        F.Fake->Answer(MethodId::ReadModelParam, 0,
                       {{P::ModelParamNumber, number},
                        {P::ModelParamDescription, QString::fromUtf8(description)},
                        {P::ModelParamValue, value}});
    }
    TfmDeviceStatus page;
    Click(page, "btnGetModelParams");
    QStringList expected{QString(), Separator(), QStringLiteral(" Параметры Модели:"), Separator()};
    QCOMPARE(MemoLines(page), expected + params);
    QVERIFY(F.Fake->Log().contains(
        QStringLiteral("Set ModelParamIndex=%1").arg(failingIndex < 0 ? 3 : failingIndex)));
}

void TestPagesStatus::metricsVersionAndSerial() {
    using P = PropertyId;
    F.Fake->Answer(MethodId::GetDeviceMetrics, 0,
                   {{P::UCodePage, 0},
                    {P::UCodePageText, QStringLiteral("Русский")},
                    {P::UDescription, QStringLiteral("ВИРТУАЛЬНАЯ ККТ-Ф")},
                    {P::UMajorProtocolVersion, 1},
                    {P::UMinorProtocolVersion, 13},
                    {P::UMajorType, 0},
                    {P::UMinorType, 0},
                    {P::UModel, 67}});
    F.Fake->Preset(P::DriverMajorVersion, 4)
        .Preset(P::DriverMinorVersion, 13)
        .Preset(P::DriverRelease, 0)
        .Preset(P::DriverBuild, 600)
        .Preset(P::DriverVersion, QStringLiteral("4.13.0.600"));
    F.Fake->Answer(MethodId::ReadSerialNumber, 0,
                   {{P::SerialNumber, QStringLiteral("0012345678")}});
    F.Fake->Answer(MethodId::ReadSerialNumber, 0, {{P::SerialNumber, QString()}});

    TfmDeviceStatus page;
    Click(page, "btnDeviceMetrics");
    QCOMPARE(MemoLines(page),
             QStringList({QString(), Separator(), QStringLiteral(" Параметры принтера:"),
                          Separator(), QStringLiteral(" Кодовая страница    : 0, Русский"),
                          QStringLiteral(" Описание устройства : ВИРТУАЛЬНАЯ ККТ-Ф"),
                          QStringLiteral(" Версия протокола    : 1"),
                          QStringLiteral(" Подверсия протокола : 13"),
                          QStringLiteral(" Тип устройства      : 0"),
                          QStringLiteral(" Подтип устройства   : 0"),
                          QStringLiteral(" Модель устройства   : 67")}));

    Click(page, "btnDriverVersion");
    QCOMPARE(
        MemoLines(page),
        QStringList({QString(), Separator(), QStringLiteral(" Версия драйвера:"), Separator(),
                     QStringLiteral(" Версия        : 4"), QStringLiteral(" Подверсия     : 13"),
                     QStringLiteral(" Релиз         : 0"), QStringLiteral(" Сборка        : 600"),
                     QStringLiteral(" Полная версия : 4.13.0.600")}));

    Click(page, "btnSerial");
    QCOMPARE(MemoLines(page), QStringList{L("Заводской номер", "0012345678")});
    Click(page, "btnSerial");
    QCOMPARE(MemoLines(page), QStringList{L("Заводской номер", "не введен")});

    // Resetting writes nothing.
    F.Fake->ClearLog();
    Click(page, "btnResetPrinter");
    QCOMPARE(F.Fake->Calls(), QStringList{"ResetECR"});
    QCOMPARE(MemoLines(page), QStringList{L("Заводской номер", "не введен")});
}

void TestPagesStatus::tablesDialogGetsParentWindow() {
    TfmDeviceStatus page;
    Click(page, "btnTables");
    const QStringList log = F.Fake->Log();
    QCOMPARE(F.Fake->Calls(), QStringList{"ShowTablesDlg"});
    QCOMPARE(log.size(), 2);
    QCOMPARE(log[0], QStringLiteral("Set ParentWnd=%1").arg(int(page.window()->winId())));
    QVERIFY(log[0] != QLatin1String("Set ParentWnd=0"));
    QCOMPARE(log[1], QStringLiteral("Call ShowTablesDlg"));
}

void TestPagesStatus::everyButtonAgainstVirtualRegister() {
    qunsetenv("LEDGRA_CLASS");
    TfmDeviceStatus page;
    auto lines = [&page] { return MemoLines(page); };

    Click(page, "btnEcrStatus");
    QStringList l = lines();
    const int mode = l.indexOf(QStringLiteral(" Режим: "));
    QVERIFY(mode > 0);
    QCOMPARE(l.value(mode + 1), QStringLiteral("  4, Закрытая смена"));
    QVERIFY(l.contains(L("Версия ПО", "D.1")));
    QVERIFY(!l.contains(L("Версия ПО ФП", "D.1"))); // a register with a fiscal storage
    QCOMPARE(l.last(), Separator());

    Click(page, "btnShortEcrStatus");
    l = lines();
    QCOMPARE(l.value(5), QStringLiteral(" 4, Закрытая смена"));
    QVERIFY(!l.contains(L("Кол-во обновленных ключей", "0")));

    Click(page, "btnDeviceMetrics");
    QVERIFY(lines().contains(QStringLiteral(" Модель устройства   : 67")));

    Click(page, "btnGetModelParams");
    QVERIFY(lines().contains(L("  71. Наличие ФН", "[да]", 44)));
    QVERIFY(lines().contains(L("  32. Идентификатор модели", "67", 44)));

    Click(page, "btnDriverVersion");
    QVERIFY(
        lines().contains(QStringLiteral(" Версия        : %1").arg(Driver().DriverMajorVersion())));

    Click(page, "btnErrorList");
    l = lines();
    QVERIFY(l.size() > 4);
    QVERIFY(l[4].startsWith(QLatin1String(" 00: ")));

    Click(page, "btnSerial");
    l = lines();
    QCOMPARE(l.size(), 1);
    QVERIFY(l[0].startsWith(L("Заводской номер", QString())));
    QVERIFY(l[0].size() > L("Заводской номер", QString()).size());

    Click(page, "btnResetPrinter");
    QCOMPARE(Driver().ResultCode(), 0);

    // The table editor is modal: close it as soon as it shows.
    QTimer closer;
    connect(&closer, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    closer.start(50);
    Click(page, "btnTables");
    QCOMPARE(Driver().ParentWnd(), int(page.window()->winId()));

    // A register with a tax-control unit adds its status block.
    QString text;
    auto* component = dynamic_cast<TLedgraComponent*>(&Driver().Object());
    QVERIFY(component);
    QCOMPARE(component->ServiceCommand(QStringLiteral("profile cashcore"), &text), 0);
    Click(page, "btnEcrStatus");
    l = lines();
    QVERIFY(l.contains(QStringLiteral("Статус СКНО: 0840h")));
    QVERIFY(l.contains(QStringLiteral("СКНО исправно: [да]")));
    QVERIFY(l.contains(QStringLiteral("Смена открыта: [нет]")));
}

QTEST_MAIN(TestPagesStatus)
#include "tst_pages_status.moc"
