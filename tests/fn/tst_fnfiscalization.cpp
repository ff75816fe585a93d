// The page "Фискализация ФН": the form rules, registration and
// re-registration with their confirmation, input checks, table writes and
// time-out, and the read-back into the page, against a scripted driver.

#include "common/RunHandler.h"
#include "driver/untDriver.h"
#include "ledgra/LedgraComponent.h"
#include "pages/fn/fmuFNFiscalization.h"
#include "platform/ComponentFactory.h"
#include "tests/support/PageTestSupport.h"
#include "tests/support/ReportLines.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <map>

namespace {

const char kFakeClass[] = "{TEST-FAKE-FNFISCAL}";

// Answers model parameters by number and table cells by (table, field), as a
// register does; the rest comes from FakeLedgra's script.
class FiscalFake : public FakeLedgra {
public:
    // 32: model (not of type 2); 72: the FN table; 75: the automat's table.
    std::map<int, QVariant> Params{{32, 0}, {72, 24}, {75, 20}};
    std::map<std::pair<int, int>, QVariant> Cells{{{17, 17}, 4}};
    std::map<std::pair<int, int>, int> FailingWrites;
    std::function<void(MethodId)> OnInvoke;

    int Invoke(MethodId id) override {
        if (OnInvoke)
            OnInvoke(id);
        const std::pair<int, int> cell{Get(PropertyId::TableNumber).toInt(),
                                       Get(PropertyId::FieldNumber).toInt()};
        if (id == MethodId::ReadModelParamValue) {
            Answer(id, 0,
                   {{PropertyId::ModelParamValue,
                     Params.at(Get(PropertyId::ModelParamNumber).toInt())}});
        } else if (id == MethodId::ReadTable) {
            const QVariant v = Cells.count(cell) ? Cells.at(cell) : QVariant(0);
            Answer(id, Cells.count(cell) ? 0 : 51,
                   {{PropertyId::ValueOfFieldInteger, v.toInt()},
                    {PropertyId::ValueOfFieldString, v.toString()}});
        } else if (id == MethodId::WriteTable && FailingWrites.count(cell)) {
            Answer(id, FailingWrites.at(cell));
        }
        return FakeLedgra::Invoke(id);
    }
};

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

} // namespace

class TestFNFiscalization : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void taxBoxesMakeTaxType();
    void restoredBoxesMakeCodes();
    void automaticModeRules();
    void innLengthFollowsType();
    void timeZoneHint();
    void reasonCodeToStr_data();
    void reasonCodeToStr();
    void registration();
    void registrationTimeout_data();
    void registrationTimeout();
    void reregistration();
    void innLengthChecked_data();
    void innLengthChecked();
    void osuConfirmation_data();
    void osuConfirmation();
    void badReasonMask();
    void failedTableWriteStops();
    void readBack();
    void readBackByNumberBadNumber();
    void tlvAsHex();
    void refusedDocumentShowsNothing_data();
    void refusedDocumentShowsNothing();
    void reasonCodesButton_data();
    void reasonCodesButton();

private:
    template <typename T> T* Find(const char* name) {
        auto* w = FPage->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no %s", name);
        return w;
    }
    void Click(const char* button) { Find<QPushButton>(button)->click(); }
    QStringList Lines() {
        const QString text = Find<QPlainTextEdit>("Memo")->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
    TFakeDriver<FiscalFake> F{kFakeClass};
    std::unique_ptr<TfmFNFiscalization> FPage;
    QStringList FAsked;
    bool FAnswer = true;
};

void TestFNFiscalization::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    F.RegisterWithVirtualRegister();
}

void TestFNFiscalization::init() {
    F.Init();
    FAsked.clear();
    FAnswer = true;
    FPage = std::make_unique<TfmFNFiscalization>();
    FPage->Confirm = [this](const QString& caption, const QString& text) {
        FAsked << caption << text;
        return FAnswer;
    };
}

void TestFNFiscalization::cleanup() {
    FPage.reset();
    F.Cleanup();
}

void TestFNFiscalization::taxBoxesMakeTaxType() {
    Find<QCheckBox>("chbTaxOSN")->click();
    Find<QCheckBox>("chbTaxPSN")->click();
    QCOMPARE(Find<QLineEdit>("edtTaxType")->text(), QStringLiteral("33"));
}

// Saved settings check the boxes without a click; once the page shows, the
// codes it sends follow the boxes.
void TestFNFiscalization::restoredBoxesMakeCodes() {
    Find<QCheckBox>("chbTaxOSN")->setChecked(true);
    Find<QCheckBox>("chbWorkMode1")->setChecked(true);
    Find<QCheckBox>("chbWorkModeEx0")->setChecked(true);
    QCOMPARE(Find<QLineEdit>("edtTaxType")->text(), QStringLiteral("0"));
    FPage->show();
    QCOMPARE(Find<QLineEdit>("edtTaxType")->text(), QStringLiteral("1"));
    QCOMPARE(Find<QLineEdit>("edtWorkMode")->text(), QStringLiteral("2"));
    QCOMPARE(Find<QLineEdit>("edtWorkModeEx")->text(), QStringLiteral("1"));
}

void TestFNFiscalization::automaticModeRules() {
    auto* zone = Find<QComboBox>("cbTimeZone");
    zone->setCurrentIndex(3);
    QVERIFY(!Find<QLineEdit>("edtAutomatNumber")->isEnabled());
    Find<QCheckBox>("chbWorkMode2")->click();
    Find<QCheckBox>("chbWorkModeEx1")->click();
    QCOMPARE(Find<QLineEdit>("edtWorkMode")->text(), QStringLiteral("4"));
    QCOMPARE(Find<QLineEdit>("edtWorkModeEx")->text(), QStringLiteral("2"));
    QVERIFY(Find<QLineEdit>("edtAutomatNumber")->isEnabled());
    QCOMPARE(zone->currentIndex(), -1);
    QCOMPARE(zone->toolTip(), QStringLiteral("Выберите часовой пояс, если необходимо"));
}

void TestFNFiscalization::innLengthFollowsType() {
    QCOMPARE(Find<QLineEdit>("edtINN")->maxLength(), 12);
    Find<QComboBox>("cbINNType")->setCurrentIndex(1);
    QCOMPARE(Find<QLineEdit>("edtINN")->maxLength(), 10);
}

void TestFNFiscalization::timeZoneHint() {
    Find<QComboBox>("cbTimeZone")->setCurrentIndex(0);
    QCOMPARE(Find<QComboBox>("cbTimeZone")->toolTip(),
             QStringLiteral("1-я часовая зона (МСК-1, московское время минус 1 час, "
                            "UTC+2):\r\nКалининградская область"));
    QCOMPARE(TfmFNFiscalization::TimeZoneHint(11),
             QStringLiteral("11-я часовая зона (МСК+9, московское время плюс 9 часов, UTC+12): "
                            "Камчатский край и Чукотский автономный округ"));
}

void TestFNFiscalization::reasonCodeToStr_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << QString();
    QTest::newRow("1") << 1 << "Замена ФН";
    QTest::newRow("4") << 4 << "Изменение настроек ККТ";
    QTest::newRow("5") << 5 << "Неизвестный код";
}

void TestFNFiscalization::reasonCodeToStr() {
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(TfmFNFiscalization::ReasonCodeToStr(code), text);
}

void TestFNFiscalization::registration() {
    Find<QComboBox>("cbTimeZone")->setCurrentIndex(1);
    Find<QLineEdit>("edtRNM")->setText(QStringLiteral(" 0000000001012345 "));
    Find<QCheckBox>("chbTaxOSN")->click();
    Find<QCheckBox>("chbWorkModeEx0")->click(); // clears the zone choice
    Find<QComboBox>("cbTimeZone")->setCurrentIndex(1);
    Find<QCheckBox>("chbWorkMode2")->click();
    Find<QComboBox>("cbTimeZone")->setCurrentIndex(1);
    Find<QLineEdit>("edtAutomatNumber")->setText(QStringLiteral("A-17"));
    Find<QLineEdit>("edtReasonCodesEx")->setText(QStringLiteral("2147483649"));
    F.Fake->Preset(PropertyId::Timeout, 30000);
    F.Fake->Answer(
        MethodId::FNBuildRegistrationReport, 0,
        {{PropertyId::DocumentNumber, 1}, {PropertyId::FiscalSign, quint32(3000000000u)}});
    Click("btnFNBuildRegistrationReport");
    QCOMPARE(F.Shown, QStringList());
    QVERIFY(FAsked.isEmpty());
    const QStringList log = F.Fake->Log();
    const auto at = [&](const QString& entry) { return log.indexOf(entry); };
    // The zone is written first, to table 17, row 1, field 66.
    QCOMPARE(log.mid(0, 5),
             QStringList({"Set TableNumber=17", "Set RowNumber=1", "Set FieldNumber=66",
                          "Set ValueOfFieldInteger=2", "Call WriteTable"}));
    for (const char* entry :
         {"Set INN=123456789012", "Set KKTRegistrationNumber=0000000001012345", "Set TaxType=1",
          "Set WorkMode=4", "Set ValueOfFieldString=A-17", "Set ValueOfFieldInteger=1",
          "Set ValueOfFieldInteger=-2147483647", "Call FNBuildRegistrationReport"})
        QVERIFY2(at(QString::fromUtf8(entry)) > 0, entry);
    QVERIFY(at("Set ValueOfFieldString=A-17") < at("Set ValueOfFieldInteger=1"));
    QVERIFY(!log.contains(QStringLiteral("Set RegistrationReasonCode=1")));
    QCOMPARE(Lines(), QStringList({" Сформировать отчет о регистрации ККТ", Separator(),
                                   L("Номер ФД", "1"), L("Фискальный признак", "3000000000")}));
    // The extended byte and the reasons go to the FN table (24), row 1.
    const int ex = at("Set ValueOfFieldInteger=1");
    QCOMPARE(log.mid(ex - 3, 3),
             QStringList({"Set TableNumber=24", "Set RowNumber=1", "Set FieldNumber=21"}));
}

void TestFNFiscalization::registrationTimeout_data() {
    QTest::addColumn<int>("timeout");
    QTest::addColumn<int>("during");
    QTest::addColumn<int>("code");
    QTest::newRow("30000 kept") << 30000 << 30000 << 0;
    QTest::newRow("5000 raised") << 5000 << 10000 << 0;
    QTest::newRow("5000 raised, build fails") << 5000 << 10000 << 80;
}

void TestFNFiscalization::registrationTimeout() {
    QFETCH(int, timeout);
    QFETCH(int, during);
    QFETCH(int, code);
    F.Fake->Preset(PropertyId::Timeout, timeout);
    int seen = -1;
    F.Fake->OnInvoke = [&](MethodId id) {
        if (id == MethodId::FNBuildRegistrationReport)
            seen = F.Fake->Get(PropertyId::Timeout).toInt();
    };
    F.Fake->Answer(MethodId::FNBuildRegistrationReport, code);
    Click("btnFNBuildRegistrationReport");
    QCOMPARE(seen, during);
    QCOMPARE(F.Fake->Get(PropertyId::Timeout).toInt(), timeout);
    QCOMPARE(Lines().size(), code == 0 ? 4 : 2);
}

void TestFNFiscalization::reregistration() {
    Find<QComboBox>("cbTimeZone")->setCurrentIndex(4);
    Find<QComboBox>("cbReasonCode")->setCurrentIndex(2);
    Find<QCheckBox>("chbWorkModeEx3")->click();
    Find<QLineEdit>("edtReasonCodesEx")->setText(QStringLiteral("6"));
    F.Fake->Answer(MethodId::FNBuildReregistrationReport, 0, {{PropertyId::DocumentNumber, 5}});
    Click("btnFNBuildReregistrationReport");
    const QStringList log = F.Fake->Log();
    QVERIFY(!log.contains(QStringLiteral("Set FieldNumber=66")));
    QVERIFY(log.indexOf(QStringLiteral("Set RegistrationReasonCode=3")) <
            log.indexOf(QStringLiteral("Set INN=123456789012")));
    const int ex = log.indexOf(QStringLiteral("Set ValueOfFieldInteger=8"));
    QCOMPARE(log.mid(ex - 3, 3),
             QStringList({"Set TableNumber=18", "Set RowNumber=1", "Set FieldNumber=21"}));
    const int reasons = log.indexOf(QStringLiteral("Set ValueOfFieldInteger=6"));
    QCOMPARE(log.mid(reasons - 3, 3),
             QStringList({"Set TableNumber=18", "Set RowNumber=1", "Set FieldNumber=22"}));
    QCOMPARE(F.Fake->Calls().last(), QStringLiteral("FNBuildReregistrationReport"));
    QCOMPARE(Lines().first(), QStringLiteral(" Сформировать отчет о перерегистрации"));
}

void TestFNFiscalization::innLengthChecked_data() {
    QTest::addColumn<QString>("inn");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("message");
    QTest::newRow("10 digits as ИП") << "7701234567" << 0 << "Длина ИНН должна быть 12 символов";
    QTest::newRow("9 digits as ЮЛ") << "770123456" << 1 << "Длина ИНН должна быть 10 символов";
}

void TestFNFiscalization::innLengthChecked() {
    QFETCH(QString, inn);
    QFETCH(int, type);
    QFETCH(QString, message);
    Find<QComboBox>("cbINNType")->setCurrentIndex(type);
    Find<QLineEdit>("edtINN")->setText(inn);
    Find<QComboBox>("cbTimeZone")->setCurrentIndex(0);
    for (const char* button : {"btnFNBuildRegistrationReport", "btnFNBuildReregistrationReport"}) {
        F.Shown.clear();
        Click(button);
        QCOMPARE(F.Shown, QStringList{message});
    }
    QCOMPARE(F.Fake->Calls(), QStringList());
    F.Shown.clear();
}

void TestFNFiscalization::osuConfirmation_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("asked");
    const QString firmware = QStringLiteral(
        "Текущая прошивка ККТ \r\nне поддерживает следующие параметры: \r\n ККТ в обществ. "
        "питании,\r\n Опт. торговля с организациями и ИП,\r\n ККТ с торговым "
        "автоматом.\r\nПродолжить в любом случае?");
    QTest::newRow("public catering, code 55") << "chbWorkMode6" << 55 << 0 << true;
    QTest::newRow("wholesale, code 51") << "chbWorkMode7" << 51 << 0 << true;
    QTest::newRow("automat, FN without OSU") << "chbWorkModeEx7" << 0 << 255 << true;
    QTest::newRow("automat, OSU active") << "chbWorkModeEx7" << 0 << 1 << false;
}

void TestFNFiscalization::osuConfirmation() {
    QFETCH(QString, box);
    QFETCH(int, code);
    QFETCH(int, status);
    QFETCH(bool, asked);
    Find<QCheckBox>(box.toLatin1().constData())->click();
    Find<QPlainTextEdit>("Memo")->setPlainText(QStringLiteral("old"));
    F.Fake->DefaultAnswer(MethodId::FNGetOSUSupportStatus, code,
                          {{PropertyId::FNOSUSupportStatus, status}});
    FAnswer = false;
    for (const char* button : {"btnFNBeginRegistrationReport", "btnFNBuildRegistrationReport",
                               "btnFNBuildReregistrationReport"}) {
        F.Fake->ClearLog();
        FAsked.clear();
        Click(button);
        if (asked) {
            QCOMPARE(FAsked.value(0), QStringLiteral("Внимание"));
            QVERIFY(
                FAsked.value(1).startsWith(code ? QStringLiteral("Текущая прошивка ККТ \r\n")
                                                : QStringLiteral("ФН не поддерживает ОСУ.\r\n")));
            QCOMPARE(F.Fake->Calls(), QStringList({"FNGetOSUSupportStatus"}));
            QCOMPARE(Lines(), QStringList({"old"}));
        } else {
            QVERIFY(FAsked.isEmpty());
            QVERIFY(F.Fake->Calls().size() > 1);
        }
    }
}

void TestFNFiscalization::badReasonMask() {
    Find<QLineEdit>("edtReasonCodesEx")->setText(QStringLiteral("1.5"));
    Click("btnFNBuildRegistrationReport");
    QCOMPARE(F.Shown, QStringList({"\"1.5\" не является целым числом"}));
    F.Shown.clear();
    QCOMPARE(F.Fake->CallCount(MethodId::FNBuildRegistrationReport), 0);
    // The dialog's own conversion says the same before it opens.
    Click("btnReasonCodes");
    QCOMPARE(F.Shown.size(), 1);
    F.Shown.clear();
}

void TestFNFiscalization::failedTableWriteStops() {
    F.Fake->FailingWrites[{24, 21}] = 51;
    F.Fake->Preset(PropertyId::Timeout, 5000);
    Click("btnFNBuildRegistrationReport");
    QCOMPARE(F.Fake->CallCount(MethodId::FNBuildRegistrationReport), 0);
    QVERIFY(!F.Fake->Log().contains(QStringLiteral("Set FieldNumber=22")));
    QVERIFY(!F.Fake->Log().contains(QStringLiteral("Set Timeout=10000")));
    QVERIFY(Find<QPushButton>("btnFNBuildRegistrationReport")->isEnabled());
}

void TestFNFiscalization::readBack() {
    F.Fake->Cells[{24, 12}] = QStringLiteral("7704211201");
    F.Fake->Cells[{24, 21}] = 130;
    F.Fake->Answer(MethodId::FNGetFiscalizationResult, 0,
                   {{PropertyId::INN, QStringLiteral("7701234567  ")},
                    {PropertyId::INNOFD, QString()},
                    {PropertyId::KKTRegistrationNumber, QStringLiteral("0000000001012345 ")},
                    {PropertyId::TaxType, 33},
                    {PropertyId::WorkMode, 0x44},
                    {PropertyId::WorkModeEx, 0},
                    {PropertyId::Date, QDateTime(QDate(2025, 2, 1), QTime(0, 0))},
                    {PropertyId::Time, QDateTime(QDate(1899, 12, 30), QTime(9, 5, 7))},
                    {PropertyId::RegistrationReasonCode, 0},
                    {PropertyId::RegistrationReasonCodeEx, 2},
                    {PropertyId::DocumentNumber, 1},
                    {PropertyId::FiscalSign, quint32(77)}});
    Click("btnFNGetFiscalizationResult");
    QCOMPARE(F.Shown, QStringList());
    const QStringList expected{" Запрос итогов фискализации ФН",
                               Separator(),
                               L("ИНН", "7701234567  "),
                               L("ИНН ОФД", "7704211201"),
                               L("Рег. номер ККТ", "0000000001012345 "),
                               L("Код сист. налогообложения", "33"),
                               B("ОСН", true),
                               B("УСН доход", false),
                               B("УСН доход минус расход", false),
                               B("ЕНВД", false),
                               B("ЕСХН", false),
                               B("Патент", true),
                               L("Режим работы", "68"),
                               B("Шифрование", false),
                               B("Автономный режим", false),
                               B("Автоматический режим", true),
                               B("Применение в сфере услуг", false),
                               B("Режим БСО", false),
                               B("Применение в Интернет", false),
                               B("ККТ в общественном питании", true),
                               B("Оптовая торговля с организациями и ИП", false),
                               L("Расширенные признаки работы ККТ", "130"),
                               B("Продажа подакцизного товара", false),
                               B("Признак проведения азартных игр", true),
                               B("Признак проведения лотереи", false),
                               B("Признак установки принтера в автомате", false),
                               B("Признак торговли маркиров. товарами (1.2)", false),
                               B("Признак ломбардной деятельности (1.2)", false),
                               B("Признак страховой деятельности (1.2)", false),
                               B("ККТ с торговым автоматом (1.2)", true),
                               L("Дата", "01.02.2025"),
                               L("Время", "09:05:07"),
                               L("Код причины перерегистрации", "0, "),
                               L("Код причины изменения сведений о ККТ", "2"),
                               B("Замена оператора фискальных данных", true),
                               L("Номер ФД", "1"),
                               L("Фискальный признак", "77")};
    QCOMPARE(Lines(), expected);
    // The page now holds what was registered.
    QCOMPARE(Find<QLineEdit>("edtINN")->text(), QStringLiteral("7701234567  "));
    QCOMPARE(Find<QLineEdit>("edtRNM")->text(), QStringLiteral("0000000001012345"));
    QCOMPARE(Find<QLineEdit>("edtTaxType")->text(), QStringLiteral("33"));
    QCOMPARE(Find<QLineEdit>("edtWorkMode")->text(), QStringLiteral("68"));
    QCOMPARE(Find<QLineEdit>("edtWorkModeEx")->text(), QStringLiteral("130"));
    QVERIFY(Find<QCheckBox>("chbTaxPSN")->isChecked());
    QVERIFY(Find<QCheckBox>("chbWorkMode6")->isChecked());
    QVERIFY(Find<QCheckBox>("chbWorkModeEx7")->isChecked());
    QVERIFY(!Find<QCheckBox>("chbWorkModeEx0")->isChecked());
}

void TestFNFiscalization::readBackByNumberBadNumber() {
    Find<QLineEdit>("edtRegistrationNumber")->setText(QStringLiteral("x"));
    Click("btnFNGetFiscalizationResultByNumber");
    QCOMPARE(F.Shown, QStringList({"\"x\" не является целым числом"}));
    F.Shown.clear();
    QCOMPARE(F.Fake->Calls(), QStringList());
}

void TestFNFiscalization::tlvAsHex() {
    Find<QLineEdit>("edtTagNumber")->setText(QStringLiteral("1018"));
    F.Fake->Answer(MethodId::FNRequestRegistrationTLV, 0,
                   {{PropertyId::TLVData, QString::fromLatin1("\xFA\x03\x0A\x00", 4)}});
    Click("btnFNRequestRegistrationTLV");
    QCOMPARE(F.Fake->Log(), QStringList({"Set TagNumber=1018", "Set RegistrationNumber=1",
                                         "Call FNRequestRegistrationTLV"}));
    QCOMPARE(Lines(), QStringList({"FA 03 0A 00"}));
}

// A refused request must not show what an earlier call left in the property.
void TestFNFiscalization::refusedDocumentShowsNothing_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("property");
    QTest::newRow("document as text")
        << "btnFNGetDocumentAsString" << int(MethodId::FNGetDocumentAsString)
        << int(PropertyId::StringForPrinting);
    QTest::newRow("tag as TLV") << "btnFNRequestRegistrationTLV"
                                << int(MethodId::FNRequestRegistrationTLV)
                                << int(PropertyId::TLVData);
}

void TestFNFiscalization::refusedDocumentShowsNothing() {
    QFETCH(QString, button);
    QFETCH(int, method);
    QFETCH(int, property);
    Find<QPlainTextEdit>("Memo")->setPlainText(QStringLiteral("before"));
    F.Fake->Set(PropertyId(property), QStringLiteral("stale"));
    F.Fake->Answer(MethodId(method), 8);
    Click(button.toLatin1().constData());
    QCOMPARE(Lines(), QStringList());
}

void TestFNFiscalization::reasonCodesButton_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("closed") << false;
}

void TestFNFiscalization::reasonCodesButton() {
    QFETCH(bool, ok);
    QString given;
    FPage->EditReasonCodes = [&](const QString& text) -> std::optional<QString> {
        given = text;
        if (ok)
            return QStringLiteral("2147483648");
        return std::nullopt;
    };
    Find<QLineEdit>("edtReasonCodesEx")->setText(QStringLiteral("3"));
    Click("btnReasonCodes");
    QCOMPARE(given, QStringLiteral("3"));
    QCOMPARE(Find<QLineEdit>("edtReasonCodesEx")->text(),
             ok ? QStringLiteral("2147483648") : QStringLiteral("3"));
}

QTEST_MAIN(TestFNFiscalization)
#include "tst_fnfiscalization.moc"
