// The page "Состояние ФН": its reports line by line against a scripted
// driver, the confirmation and the input checks, and a run on the embedded
// virtual register.

#include "common/RunHandler.h"
#include "driver/untDriver.h"
#include "ledgra/LedgraComponent.h"
#include "pages/fn/fmuFN.h"
#include "platform/ComponentFactory.h"
#include "tests/support/PageTestSupport.h"
#include "tests/support/ReportLines.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char kFakeClass[] = "{TEST-FAKE-FN}";

using Outputs = FakeLedgra::Outputs;

// The FN pages' columns: flags indented under their heading.
QString Separator() {
    return ReportLines::ReportSeparator();
}

QString L(const QString& label, const QString& value, int width = 24) {
    return ReportLines::ReportLine(label, value, width);
}

QString B(const QString& label, bool flag) {
    return ReportLines::ReportFlag(QStringLiteral("  ") + label, flag, 40);
}

const QDateTime kDate(QDate(2025, 2, 1), QTime(0, 0));
const QDateTime kTime(QDate(1899, 12, 30), QTime(10, 20, 30));

} // namespace

class TestFN : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void status_data();
    void status();
    void findDocument_data();
    void findDocument();
    void uncheckedQueriesStayEmptyOnFailure_data();
    void uncheckedQueriesStayEmptyOnFailure();
    void queries_data();
    void queries();
    void failedCheckEndsHandler();
    void updateKeysText_data();
    void updateKeysText();
    void openSessionShowsKeyState();
    void keyUpdateCommand_data();
    void keyUpdateCommand();
    void closeFiscalMode_data();
    void closeFiscalMode();
    void badNumberStopsBeforeCall_data();
    void badNumberStopsBeforeCall();
    void barcodeReplacesMemo();
    void countersSyncKeepsMemo();
    void saveWritesUtf8();
    void virtualRegister();

private:
    QStringList Lines() const;
    void Click(const char* button);
    TFakeDriver<FakeLedgra> F{kFakeClass};
    std::unique_ptr<TfmFN> FPage;
};

void TestFN::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    F.RegisterWithVirtualRegister();
}

void TestFN::init() {
    F.Init();
    FPage = std::make_unique<TfmFN>();
}

void TestFN::cleanup() {
    FPage.reset();
    F.Cleanup();
}

QStringList TestFN::Lines() const {
    const QString text = FPage->findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void TestFN::Click(const char* button) {
    auto* b = FPage->findChild<QPushButton*>(QLatin1String(button));
    QVERIFY2(b, button);
    b->click();
    QVERIFY(b->isEnabled());
}

void TestFN::status_data() {
    QTest::addColumn<int>("lifeState");
    QTest::addColumn<int>("document");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("life 3, correction receipt")
        << 3 << 0x14
        << QStringList{Separator(),
                       L("Состояние фазы жизни", "03h, 3"),
                       Separator(),
                       L("  Проведена настройка ФН", "[да]"),
                       L("  Открыт фискальный режим", "[да]"),
                       L("  Закрыт фискальный режим", "[нет]"),
                       L("  Закончена передача фискальных данных в ОФД", "[нет]"),
                       Separator(),
                       L("Текущий документ", "14h, Кассовый чек коррекции"),
                       L("Данные документа", "01h, Получены данные документа"),
                       L("Состояние смены", "02h, Неизвестное значение"),
                       L("Флаги предупреждения", "0Ah, 10"),
                       L("Дата и время ФН", "01.02.2025 10:20:30"),
                       L("Номер ФН", "9999078900001234"),
                       L("Номер последнего ФД", "42")};
    QTest::newRow("life 15, status code 3 unknown")
        << 15 << 3
        << QStringList{Separator(),
                       L("Состояние фазы жизни", "0Fh, 15"),
                       Separator(),
                       L("  Проведена настройка ФН", "[да]"),
                       L("  Открыт фискальный режим", "[да]"),
                       L("  Закрыт фискальный режим", "[да]"),
                       L("  Закончена передача фискальных данных в ОФД", "[да]"),
                       Separator(),
                       L("Текущий документ", "03h, Неизвестный тип документа"),
                       L("Данные документа", "01h, Получены данные документа"),
                       L("Состояние смены", "02h, Неизвестное значение"),
                       L("Флаги предупреждения", "0Ah, 10"),
                       L("Дата и время ФН", "01.02.2025 10:20:30"),
                       L("Номер ФН", "9999078900001234"),
                       L("Номер последнего ФД", "42")};
}

void TestFN::status() {
    QFETCH(int, lifeState);
    QFETCH(int, document);
    QFETCH(QStringList, expected);
    F.Fake->Answer(MethodId::FNGetStatus, 0,
                   {{PropertyId::FNLifeState, lifeState},
                    {PropertyId::FNCurrentDocument, document},
                    {PropertyId::FNDocumentData, 1},
                    {PropertyId::FNSessionState, 2},
                    {PropertyId::FNWarningFlags, 10},
                    {PropertyId::Date, kDate},
                    {PropertyId::Time, kTime},
                    {PropertyId::SerialNumber, QStringLiteral("9999078900001234")},
                    {PropertyId::DocumentNumber, 42}});
    Click("btnFNGetStatus");
    QCOMPARE(Lines(), expected);
}

void TestFN::findDocument_data() {
    QTest::addColumn<Outputs>("outputs");
    QTest::addColumn<QStringList>("expected");
    const Outputs common{{PropertyId::OFDTicketReceived, true},
                         {PropertyId::Date, kDate},
                         {PropertyId::Time, kTime},
                         {PropertyId::DocumentNumber, 7},
                         {PropertyId::FiscalSign, quint32(4000000000u)}};
    const QStringList commonLines{L("Получена ли квитанция из ОФД", "[да]"),
                                  L("Дата", "01.02.2025 10:20:30"), L("Номер ФД", "7"),
                                  L("Фискальный признак", "4000000000")};
    auto with = [&](std::initializer_list<std::pair<PropertyId, QVariant>> more) {
        Outputs o = common;
        o.insert(o.end(), more);
        return o;
    };
    QTest::newRow("41: named, nothing after the ticket")
        << with({{PropertyId::DocumentType, 41}})
        << QStringList{L("Тип фиск. документа", "41, Бланк строгой отчетности коррекции"),
                       L("Получена ли квитанция из ОФД", "[да]")};
    QTest::newRow("3: receipt sum")
        << with({{PropertyId::DocumentType, 3},
                 {PropertyId::OperationType, 1},
                 {PropertyId::Summ1, QVariant::fromValue(Currency::FromRaw(1234500))}})
        << QStringList{L("Тип фиск. документа", "3, Кассовый чек")} + commonLines +
               QStringList{L("Тип операции", "1"), L("Сумма операции", "123.45")};
    QTest::newRow("5: shift number")
        << with({{PropertyId::DocumentType, 5}, {PropertyId::SessionNumber, 12}})
        << QStringList{L("Тип фиск. документа", "5, Отчет о закрытии смены")} + commonLines +
               QStringList{L("Номер смены", "12")};
    // The gambling, lottery and automat lines follow WorkModeEx, not WorkMode.
    const QStringList registration{L("ИНН", "7701234567"),
                                   L("ИНН ОФД", "7704211201"),
                                   L("Рег. номер ККТ", "0000000001012345"),
                                   L("Код сист. налогообложения", "33"),
                                   B("ОСН", true),
                                   B("УСН доход", false),
                                   B("УСН доход минус расход", false),
                                   B("ЕНВД", false),
                                   B("ЕСХН", false),
                                   B("Патент", true),
                                   L("Режим работы", "1"),
                                   B("Шифрование", true),
                                   B("Автономный режим", false),
                                   B("Автоматический режим", false),
                                   B("Применение в сфере услуг", false),
                                   B("Режим БСО", false),
                                   B("Применение в Интернет", false),
                                   L("Расширенные признаки работы ККТ", "10"),
                                   B("Продажа подакцизного товара", false),
                                   B("Признак проведения азартных игр", true),
                                   B("Признак проведения лотереи", false),
                                   B("Признак установки принтера в автомате", true)};
    const auto registrationOutputs = {
        std::pair<PropertyId, QVariant>{PropertyId::INN, QStringLiteral("7701234567")},
        {PropertyId::INNOFD, QStringLiteral("7704211201")},
        {PropertyId::KKTRegistrationNumber, QStringLiteral("0000000001012345")},
        {PropertyId::TaxType, 33},
        {PropertyId::WorkMode, 1},
        {PropertyId::WorkModeEx, 10},
        {PropertyId::RegistrationReasonCode, 4},
        {PropertyId::RegistrationReasonCodeEx, int(0x80200001u)}};
    Outputs reg = with(registrationOutputs);
    reg.push_back({PropertyId::DocumentType, 1});
    QTest::newRow("1: registration")
        << reg
        << QStringList{L("Тип фиск. документа", "1, Отчет о регистрации")} + commonLines +
               registration;
    Outputs change = with(registrationOutputs);
    change.push_back({PropertyId::DocumentType, 11});
    QTest::newRow("11: change with reasons, bit 31 too")
        << change
        << QStringList{L("Тип фиск. документа", "11, Отчет об изменении параметров регистрации")} +
               commonLines + registration +
               QStringList{L("Код причины перерегистрации", "4"),
                           L("Код причины изменения сведений о ККТ", "2149580801"),
                           B("Замена фискального накопителя", true),
                           B("Изменение версии ФФД", true), B("Иные причины", true)};
    QTest::newRow("21: settlements")
        << with({{PropertyId::DocumentType, 21},
                 {PropertyId::DocumentCount, 3},
                 {PropertyId::Date2, QDateTime(QDate(2025, 1, 5), QTime(0, 0))},
                 {PropertyId::Time2, QDateTime(QDate(1899, 12, 30), QTime(0, 0))}})
        << QStringList{L("Тип фиск. документа", "21, Отчет о текущем состоянии расчетов")} +
               commonLines +
               QStringList{L("Кол-во неподтвержд. документов", "3"),
                           L("Дата 1-го неподтвержд. документа", "05.01.2025")};
}

void TestFN::findDocument() {
    QFETCH(Outputs, outputs);
    QFETCH(QStringList, expected);
    FPage->findChild<QLineEdit*>(QStringLiteral("edtDocumentNumber"))->setText(QStringLiteral("7"));
    F.Fake->Answer(MethodId::FNFindDocument, 0, outputs);
    Click("btnFNFindDocument");
    QCOMPARE(F.Fake->Log().first(), QStringLiteral("Set DocumentNumber=7"));
    QCOMPARE(Lines(), expected);
}

void TestFN::uncheckedQueriesStayEmptyOnFailure_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("method");
    QTest::newRow("implementation")
        << "btnFNGetImplementation" << int(MethodId::FNGetImplementation);
    QTest::newRow("document size") << "btnFNGetDocumentSize" << int(MethodId::FNGetDocumentSize);
    QTest::newRow("OSU") << "btnFNGetOSUSupportStatus" << int(MethodId::FNGetOSUSupportStatus);
    QTest::newRow("free memory") << "btnFNGetFreeMemoryResource"
                                 << int(MethodId::FNGetFreeMemoryResource);
}

void TestFN::uncheckedQueriesStayEmptyOnFailure() {
    QFETCH(QString, button);
    QFETCH(int, method);
    FPage->findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->setPlainText(QStringLiteral("old"));
    F.Fake->Answer(MethodId(method), 2, {{PropertyId::FNImplementation, QStringLiteral("x")}});
    Click(button.toLatin1().constData());
    QCOMPARE(Lines(), QStringList());
    QCOMPARE(F.Shown, QStringList());
}

void TestFN::queries_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("method");
    QTest::addColumn<Outputs>("outputs");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("free memory, no percentage")
        << "btnFNGetFreeMemoryResource" << int(MethodId::FNGetFreeMemoryResource)
        << Outputs{{PropertyId::FN5YearResource, 250000},
                   {PropertyId::FN30DayResource, 512},
                   {PropertyId::FNMarkingFillPercentage, -1}}
        << QStringList{L("Ресурс данных 5 летнего хранения", "250000 документов"),
                       L("Ресурс данных 30 дневного хранения", "512 Кб")};
    QTest::newRow("free memory, 0 percent")
        << "btnFNGetFreeMemoryResource" << int(MethodId::FNGetFreeMemoryResource)
        << Outputs{{PropertyId::FN5YearResource, 1},
                   {PropertyId::FN30DayResource, 2},
                   {PropertyId::FNMarkingFillPercentage, 0}}
        << QStringList{
               L("Ресурс данных 5 летнего хранения", "1 документов"),
               L("Ресурс данных 30 дневного хранения", "2 Кб"),
               L("Процент заполнения оласти хранения увед. о реализации маркир. товара", "0 %")};
    QTest::newRow("OSU 255") << "btnFNGetOSUSupportStatus" << int(MethodId::FNGetOSUSupportStatus)
                             << Outputs{{PropertyId::FNOSUSupportStatus, 255}}
                             << QStringList{
                                    L("Статус поддержки ОСУ:", "255, ФН не поддерживает ОСУ")};
    QTest::newRow("OSU 7") << "btnFNGetOSUSupportStatus" << int(MethodId::FNGetOSUSupportStatus)
                           << Outputs{{PropertyId::FNOSUSupportStatus, 7}}
                           << QStringList{L("Статус поддержки ОСУ:", "7, Неизвестный код ответа")};
    QTest::newRow("version") << "btnFNGetVersion" << int(MethodId::FNGetVersion)
                             << Outputs{{PropertyId::FNSoftVersion, QStringLiteral("fn v 2.1")},
                                        {PropertyId::FNSoftType, 1}}
                             << QStringList{L("Версия ПО ФН", "fn v 2.1"),
                                            L("Тип ПО ФН", "01h, Серийная версия")};
    QTest::newRow("expiration") << "btnFNGetExpirationTime" << int(MethodId::FNGetExpirationTime)
                                << Outputs{{PropertyId::Date, kDate},
                                           {PropertyId::FreeRegistration, 11},
                                           {PropertyId::RegistrationNumber, 1}}
                                << QStringList{
                                       L("Срок действия ФН", "01.02.2025"),
                                       L("Кол-во оставшихся отчетов о перерегистрации", "11"),
                                       L("Выполнено отчетов о перерегистрации", "1")};
    QTest::newRow("settlements") << "btnFNBuildCalculationStateReport"
                                 << int(MethodId::FNBuildCalculationStateReport)
                                 << Outputs{{PropertyId::DocumentNumber, 9},
                                            {PropertyId::FiscalSign, quint32(123)},
                                            {PropertyId::DocumentCount, 0},
                                            {PropertyId::Date, kDate},
                                            {PropertyId::Time, kTime}}
                                 << QStringList{L("Номер ФД", "9"), L("Фискальный признак", "123"),
                                                L("Кол-во неподтвержденных документов", "0"),
                                                L("Дата первого неподтвержденного документа",
                                                  "01.02.2025 10:20:30")};
}

void TestFN::queries() {
    QFETCH(QString, button);
    QFETCH(int, method);
    QFETCH(Outputs, outputs);
    QFETCH(QStringList, expected);
    F.Fake->Answer(MethodId(method), 0, outputs);
    Click(button.toLatin1().constData());
    QCOMPARE(Lines(), expected);
}

void TestFN::failedCheckEndsHandler() {
    FPage->findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->setPlainText(QStringLiteral("old"));
    F.Fake->Answer(MethodId::OpenSession, 0);
    F.Fake->Answer(MethodId::GetShortECRStatus, 80);
    Click("btnOpenSession");
    QCOMPARE(F.Fake->Calls(), QStringList({"OpenSession", "GetShortECRStatus"}));
    QCOMPARE(Lines(), QStringList());
}

void TestFN::updateKeysText_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two keys") << 0 << 8 << "ОБНОВЛЕНО КЛЮЧЕЙ: 2, ОШИБОК НЕТ";
    QTest::newRow("two keys, bit 1")
        << 0 << 10
        << "ОБНОВЛЕНО КЛЮЧЕЙ: 2, ОШИБОК НЕТ\nОбновление ключей проверки не выполнено. Обратитесь "
           "в службу технической поддержки";
    QTest::newRow("bit 0") << 254 << 1
                           << "Обновление не требуется\nОбновление ключей проверки не выполнено.";
    QTest::newRow("no link") << 255 << 0 << "НЕТ СВЯЗИ";
    QTest::newRow("FN error") << 3 << 0 << "Отказ ФН";
}

void TestFN::updateKeysText() {
    QFETCH(int, code);
    QFETCH(int, status);
    QFETCH(QString, expected);
    QCOMPARE(TfmFN::UpdateKeysText(code, status), expected);
}

void TestFN::openSessionShowsKeyState() {
    F.Fake->Answer(MethodId::GetShortECRStatus, 0,
                   {{PropertyId::UpdateKeysResultCode, 0}, {PropertyId::UpdateKeysStatus, 10}});
    Click("btnOpenSession");
    QCOMPARE(Lines(),
             QStringList({"Состояние обновления ключей:", "ОБНОВЛЕНО КЛЮЧЕЙ: 2, ОШИБОК НЕТ",
                          "Обновление ключей проверки не выполнено. Обратитесь в службу "
                          "технической поддержки"}));
}

void TestFN::keyUpdateCommand_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("two") << "02"
                         << QStringList{"Результат обновления ключей ОКП: ",
                                        "Успешно. 2 ключа обновлено"};
    QTest::newRow("no server") << "FF"
                               << QStringList{"Результат обновления ключей ОКП: ",
                                              "Нет связи с сервером ОКП"};
    QTest::newRow("unknown") << "05 00"
                             << QStringList{"Результат обновления ключей ОКП: ",
                                            "Неизвестный ответ"};
    QTest::newRow("empty") << "" << QStringList();
}

void TestFN::keyUpdateCommand() {
    QFETCH(QString, answer);
    QFETCH(QStringList, expected);
    F.Fake->Answer(MethodId::ExchangeBytes, 0, {{PropertyId::TransferBytes, answer}});
    Click("btnUpdateKeys");
    QVERIFY(F.Fake->Log().contains(QStringLiteral("Set TransferBytes=FE E1 5A 3C 96 0F")));
    QCOMPARE(Lines(), expected);
}

void TestFN::closeFiscalMode_data() {
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("cancelled") << false;
    QTest::newRow("confirmed") << true;
}

void TestFN::closeFiscalMode() {
    QFETCH(bool, confirmed);
    QStringList asked;
    FPage->Confirm = [&](const QString& caption, const QString& text) {
        asked << caption << text;
        return confirmed;
    };
    FPage->findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->setPlainText(QStringLiteral("old"));
    F.Fake->Answer(MethodId::FNCloseFiscalMode, 0,
                   {{PropertyId::DocumentNumber, 99}, {PropertyId::FiscalSign, quint32(5)}});
    Click("btnFNCloseFiscalMode");
    QCOMPARE(asked, QStringList({"Закрытие фискального режима?",
                                 "Вы уверены, что хотите произвести закрытие фискального "
                                 "режима?\r\nДанное действие необратимо."}));
    if (confirmed) {
        QCOMPARE(F.Fake->Calls(), QStringList({"FNCloseFiscalMode"}));
        QCOMPARE(Lines(), QStringList({L("Номер ФД", "99"), L("Фискальный признак", "5")}));
    } else {
        QCOMPARE(F.Fake->Calls(), QStringList());
        QCOMPARE(Lines(), QStringList({"old"}));
    }
}

void TestFN::badNumberStopsBeforeCall_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("button");
    QTest::newRow("request type") << "edtRequestType"
                                  << "btnFNResetState";
    QTest::newRow("find") << "edtDocumentNumber"
                          << "btnFNFindDocument";
    QTest::newRow("QR") << "edtDocumentNumber"
                        << "btnFNReadFiscalBarcode";
}

void TestFN::badNumberStopsBeforeCall() {
    QFETCH(QString, edit);
    QFETCH(QString, button);
    // Typed past the key filter, e.g. pasted with the dot the filter lets in.
    FPage->findChild<QLineEdit*>(edit)->setText(QStringLiteral("1.5"));
    FPage->findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->setPlainText(QStringLiteral("old"));
    Click(button.toLatin1().constData());
    QCOMPARE(F.Fake->Calls(), QStringList());
    QCOMPARE(F.Shown, QStringList({"\"1.5\" не является целым числом"}));
    QCOMPARE(Lines(), QStringList());
}

void TestFN::barcodeReplacesMemo() {
    FPage->findChild<QLineEdit*>(QStringLiteral("edtDocumentNumber"))
        ->setText(QStringLiteral("12"));
    F.Fake->Answer(MethodId::FNReadFiscalBarcode, 0,
                   {{PropertyId::BarCode, QStringLiteral("t=20250201T1020&s=1.00")}});
    Click("btnFNReadFiscalBarcode");
    QCOMPARE(F.Fake->Log(), QStringList({"Set DocumentNumber=12", "Call FNReadFiscalBarcode"}));
    QCOMPARE(Lines(), QStringList({"t=20250201T1020&s=1.00"}));
}

void TestFN::countersSyncKeepsMemo() {
    FPage->findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->setPlainText(QStringLiteral("old"));
    F.Fake->Answer(MethodId::FNCountersSync, 80);
    Click("btnFNCountersSync");
    QCOMPARE(F.Fake->Calls(), QStringList({"FNCountersSync"}));
    QCOMPARE(Lines(), QStringList({"old"}));
}

void TestFN::saveWritesUtf8() {
    F.Fake->Answer(MethodId::FNGetSerial, 0,
                   {{PropertyId::SerialNumber, QStringLiteral("9999078900001234")}});
    Click("btnFNGetSerial");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("fn.txt"));
    FPage->SaveFileName = [&] { return file; };
    Click("btnSave");
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), (L("Номер ФН", "9999078900001234") + QLatin1Char('\n')).toUtf8());
}

void TestFN::virtualRegister() {
    FreeDriver();
    qunsetenv("LEDGRA_CLASS");
    FPage = std::make_unique<TfmFN>();
    Click("btnFNGetStatus");
    QCOMPARE(F.Shown, QStringList());
    const QStringList lines = Lines();
    QCOMPARE(lines.size(), 15);
    QVERIFY(lines.at(1).startsWith(QStringLiteral(" Состояние фазы жизни    : ")));
}

QTEST_MAIN(TestFN)
#include "tst_fn.moc"
