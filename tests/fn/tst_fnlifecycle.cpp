// A fiscal storage's whole life on the pages Состояние ФН, Фискализация ФН
// and РНМ against the embedded virtual register: every status read between
// the steps shows the phase, shift and document counters a real storage
// would, and the archive holds each document under its number.

#include "driver/untDriver.h"
#include "ledgra/LedgraComponent.h"
#include "pages/fn/fmuFN.h"
#include "pages/fn/fmuFNFiscalization.h"
#include "pages/fn/fmuRNM.h"
#include "tests/fn/FnLifeCycle.h"
#include "tests/support/PageTestSupport.h"
#include "vregister/VirtualRegister.h"

#include <QCheckBox>
#include <QComboBox>
#include <QtTest>

using namespace FnLifeCycle;

namespace {

const char kFakeClass[] = "{TEST-FAKE-FN-LIFE}";

// The value of an output-area line "label   : value"; "<none>" when missing.
QString Value(const QStringList& lines, const QString& label) {
    for (const QString& line : lines) {
        if (!line.startsWith(QLatin1Char(' ') + label))
            continue;
        const qsizetype colon = line.indexOf(QStringLiteral(": "), 1 + label.size());
        if (colon > 0 && line.mid(1 + label.size(), colon - 1 - label.size()).trimmed().isEmpty())
            return line.mid(colon + 2);
    }
    return QStringLiteral("<none>");
}

void Service(const QString& command) {
    const auto answer = VR::Shared(VR::DefaultRegisterPath())->Service(command);
    if (answer.code != 0)
        qFatal("service %s: %s", qPrintable(command), qPrintable(answer.text));
}

} // namespace

class TestFNLifeCycle : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void wholeLifeOnPages();

private:
    // Reads the status and the shift's parameters on the FN page and compares
    // them with step `i`.
    void CheckStep(int i);
    QStringList Press(QWidget& page, const char* button);
    TFakeDriver<FakeLedgra> F{kFakeClass};
    std::unique_ptr<TfmFN> FFN;
    std::unique_ptr<TfmFNFiscalization> FFiscal;
    std::unique_ptr<TfmRNM> FRNM;
};

void TestFNLifeCycle::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    F.RegisterWithVirtualRegister();
}

void TestFNLifeCycle::init() {
    F.Init();
    F.UseVirtualRegister(); // a fresh embedded register in the test's folder
    FFN = std::make_unique<TfmFN>();
    FFiscal = std::make_unique<TfmFNFiscalization>();
    FRNM = std::make_unique<TfmRNM>();
    FFN->Confirm = [](const QString&, const QString&) { return true; };
    FFiscal->Confirm = [](const QString&, const QString&) { return true; };
}

void TestFNLifeCycle::cleanup() {
    FFN.reset();
    FFiscal.reset();
    FRNM.reset();
    F.Cleanup();
}

QStringList TestFNLifeCycle::Press(QWidget& page, const char* button) {
    Click(page, button);
    return MemoLines(page);
}

void TestFNLifeCycle::CheckStep(int i) {
    const Step& s = kSteps[i];
    const QStringList status = Press(*FFN, "btnFNGetStatus");
    QCOMPARE(F.Shown, QStringList());
    const QString phase = Value(status, QStringLiteral("Состояние фазы жизни"));
    QVERIFY2(phase.endsWith(QStringLiteral(", %1").arg(s.phase)),
             qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(s.name), phase)));
    QCOMPARE(Value(status, QStringLiteral("Состояние смены")).left(3),
             QStringLiteral("%1h").arg(s.shiftOpen, 2, 10, QLatin1Char('0')));
    QCOMPARE(Value(status, QStringLiteral("Номер последнего ФД")).toInt(), s.lastDocument);
    QCOMPARE(Value(status, QStringLiteral("Текущий документ")),
             QStringLiteral("00h, Нет открытого документа"));
    const QStringList shift = Press(*FFN, "btnFNGetCurrentSessionParams");
    QCOMPARE(Value(shift, QStringLiteral("Номер смены")).toInt(), s.shiftNumber);
    QCOMPARE(Value(shift, QStringLiteral("Состояние смены")).toInt(), s.shiftOpen);
}

void TestFNLifeCycle::wholeLifeOnPages() {
    Service(QStringLiteral("offline")); // documents wait for the operator
    CHECK_STEP(0);

    // The registration number from the RNM page.
    Find<QLineEdit>(*FRNM, "edtKKTNumber")->setText(kOrdinal);
    Find<QLineEdit>(*FRNM, "edtINN")->setText(kInn);
    Click(*FRNM, "btnReadSerialNumber");
    Click(*FRNM, "btnGenerateRNM");
    const QString rnm = Find<QLineEdit>(*FRNM, "edtRNM")->text();
    QCOMPARE(rnm.size(), 16);

    // Registration.
    TfmFNFiscalization& fp = *FFiscal;
    Find<QComboBox>(fp, "cbINNType")->setCurrentIndex(1); // 10 digits
    Find<QLineEdit>(fp, "edtINN")->setText(kInn);
    Find<QLineEdit>(fp, "edtRNM")->setText(rnm);
    Find<QCheckBox>(fp, "chbTaxOSN")->click();
    Find<QCheckBox>(fp, "chbTaxPSN")->click();
    Find<QCheckBox>(fp, "chbWorkMode1")->click();
    QCOMPARE(Find<QLineEdit>(fp, "edtTaxType")->text().toInt(), kTaxFirst);
    QCOMPARE(Find<QLineEdit>(fp, "edtWorkMode")->text().toInt(), kWorkMode);
    Find<QComboBox>(fp, "cbTimeZone")->setCurrentIndex(kTimeZone - 1);
    Find<QComboBox>(fp, "cbReportType")->setCurrentIndex(0);
    Click(fp, "btnFNBeginRegistrationReport");
    QCOMPARE(Value(Press(*FFN, "btnFNGetStatus"), QStringLiteral("Текущий документ")),
             QStringLiteral("01h, Отчет о регистрации"));
    QCOMPARE(Value(Press(fp, "btnFNBuildRegistrationReport"), QStringLiteral("Номер ФД")),
             QStringLiteral("1"));
    CHECK_STEP(1);

    // The registration read back: latest, by number, as text, one tag as TLV.
    QStringList lines = Press(fp, "btnFNGetFiscalizationResult");
    QCOMPARE(Value(lines, QStringLiteral("ИНН")), kInn);
    QCOMPARE(Value(lines, QStringLiteral("Рег. номер ККТ")), rnm);
    QCOMPARE(Value(lines, QStringLiteral("Код сист. налогообложения")).toInt(), kTaxFirst);
    QCOMPARE(Value(lines, QStringLiteral("Номер ФД")), QStringLiteral("1"));
    const QString sign = Value(lines, QStringLiteral("Фискальный признак"));
    Find<QLineEdit>(fp, "edtRegistrationNumber")->setText(QStringLiteral("1"));
    lines = Press(fp, "btnFNGetFiscalizationResultByNumber");
    QCOMPARE(Value(lines, QStringLiteral("Фискальный признак")), sign);
    QCOMPARE(Value(lines, QStringLiteral("Рег. номер ККТ")), rnm);
    lines = Press(fp, "btnFNGetDocumentAsString");
    QVERIFY2(lines.contains(QStringLiteral("ИНН ПОЛЬЗ. (1018): %1").arg(kInn)),
             qPrintable(lines.join('\n')));
    QVERIFY(lines.contains(QStringLiteral("РН ККТ (1037): %1").arg(rnm)));
    QVERIFY(lines.contains(QStringLiteral("ФП (1077): %1").arg(sign)));
    Find<QLineEdit>(fp, "edtTagNumber")->setText(QStringLiteral("1062"));
    QCOMPARE(Press(fp, "btnFNRequestRegistrationTLV"), QStringList{"26 04 01 00 21"});
    Find<QLineEdit>(fp, "edtTagNumber")->setText(QStringLiteral("1011"));
    QCOMPARE(Press(fp, "btnFNRequestRegistrationTLV"), QStringList{"F3 03 01 00 03"});
    QCOMPARE(F.Shown, QStringList());

    // Every other button of the status page answers on a registered storage
    // and changes none of the counters.
    for (const char* button :
         {"btnFNGetSerial", "btnFNGetExpirationTime", "btnFNGetVersion", "btnFNGetImplementation",
          "btnFNGetDocumentSize", "btnFNGetOSUSupportStatus", "btnFNGetFreeMemoryResource",
          "btnFNCountersSync", "btnFNResetState", "btnFNCancelDocument"}) {
        Click(*FFN, button);
        QVERIFY2(Driver().ResultCode() == 0, button);
    }
    QCOMPARE(Press(*FFN, "btnUpdateKeys"),
             (QStringList{"Результат обновления ключей ОКП: ", "Нет связи с сервером ОКП"}));
    Find<QLineEdit>(*FFN, "edtDocumentNumber")->setText(QStringLiteral("1"));
    Click(*FFN, "btnFNReadFiscalBarcode"); // a registration report has no QR code
    QCOMPARE(Driver().ResultCode(), 8);
    CHECK_STEP(1);

    // A shift: opened (the keys cannot be renewed offline) and closed.
    Click(*FFN, "btnFNBeginOpenSession");
    lines = Press(*FFN, "btnOpenSession");
    QCOMPARE(lines.value(0), QStringLiteral("Состояние обновления ключей:"));
    QCOMPARE(lines.value(1), QStringLiteral("НЕТ СВЯЗИ"));
    CHECK_STEP(2);
    Click(*FFN, "btnFNBeginCloseSession");
    Click(*FFN, "btnCloseSession");
    CHECK_STEP(3);

    // The settlement-state report.
    Click(*FFN, "btnFNBeginCalculationStateReport");
    QCOMPARE(Value(Press(*FFN, "btnFNGetStatus"), QStringLiteral("Текущий документ")),
             QStringLiteral("17h, Отчет о текущем состоянии расчетов"));
    lines = Press(*FFN, "btnFNBuildCalculationStateReport");
    QCOMPARE(Value(lines, QStringLiteral("Номер ФД")), QStringLiteral("4"));
    QCOMPARE(Value(lines, QStringLiteral("Кол-во неподтвержденных документов")).toInt(),
             kUnsentAtReport);
    CHECK_STEP(4);

    // Re-registration from the read-back data, with reasons.
    Press(fp, "btnFNGetFiscalizationResult");
    Find<QCheckBox>(fp, "chbTaxPSN")->click();
    QCOMPARE(Find<QLineEdit>(fp, "edtTaxType")->text().toInt(), kTaxSecond);
    Find<QComboBox>(fp, "cbReasonCode")->setCurrentIndex(kReason - 1);
    Find<QLineEdit>(fp, "edtReasonCodesEx")->setText(QString::number(kReasonsEx));
    Find<QComboBox>(fp, "cbReportType")->setCurrentIndex(2);
    Click(fp, "btnFNBeginRegistrationReport");
    QCOMPARE(Value(Press(*FFN, "btnFNGetStatus"), QStringLiteral("Текущий документ")),
             QStringLiteral("13h, Отчет об изменении параметров регистрации"));
    QCOMPARE(Value(Press(fp, "btnFNBuildReregistrationReport"), QStringLiteral("Номер ФД")),
             QStringLiteral("5"));
    CHECK_STEP(5);
    lines = Press(fp, "btnFNGetFiscalizationResult");
    QCOMPARE(Value(lines, QStringLiteral("Код сист. налогообложения")).toInt(), kTaxSecond);
    QCOMPARE(Value(lines, QStringLiteral("Код причины перерегистрации")),
             QStringLiteral("4, Изменение настроек ККТ"));
    QCOMPARE(Value(lines, QStringLiteral("Код причины изменения сведений о ККТ")).toInt(),
             kReasonsEx);
    QCOMPARE(F.Shown, QStringList());

    // Closing the fiscal mode.
    Click(*FFN, "btnFNBeginCloseFiscalMode");
    QCOMPARE(Value(Press(*FFN, "btnFNCloseFiscalMode"), QStringLiteral("Номер ФД")),
             QStringLiteral("6"));
    CHECK_STEP(6);

    // Every document under its number, with its type.
    auto* number = Find<QLineEdit>(*FFN, "edtDocumentNumber");
    for (int n = 1; n <= int(std::size(kDocumentTypes)); ++n) {
        number->setText(QString::number(n));
        lines = Press(*FFN, "btnFNFindDocument");
        QCOMPARE(Value(lines, QStringLiteral("Тип фиск. документа")).section(',', 0, 0).toInt(),
                 kDocumentTypes[n - 1]);
        QCOMPARE(Value(lines, QStringLiteral("Номер ФД")).toInt(), n);
    }
    QCOMPARE(Value(lines, QStringLiteral("Рег. номер ККТ")), rnm);

    // A closed fiscal mode takes no new document.
    for (const char* button : {"btnOpenSession", "btnFNBuildCalculationStateReport"}) {
        Click(*FFN, button);
        QCOMPARE(Driver().ResultCode(), 2);
        QCOMPARE(Driver().ResultCodeDescription(), QStringLiteral("Другое состояние ФН"));
    }
    CHECK_STEP(6);

    // The operator takes everything; a new driver object sees the same.
    Service(QStringLiteral("online 0"));
    CHECK_STEP(7);
    FreeDriver();
    CHECK_STEP(7);

    // A new storage: the re-registration for the replacement carries the
    // registration over and starts the new archive.
    Service(QStringLiteral("fn-replace"));
    CHECK_STEP(0);
    Find<QComboBox>(fp, "cbReportType")->setCurrentIndex(1);
    Click(fp, "btnFNBeginRegistrationReport");
    QCOMPARE(Value(Press(*FFN, "btnFNGetStatus"), QStringLiteral("Текущий документ")),
             QStringLiteral("12h, Отчет об изменении параметров регистрации в связи с заменой ФН"));
    Find<QComboBox>(fp, "cbReasonCode")->setCurrentIndex(0);
    Find<QLineEdit>(fp, "edtReasonCodesEx")->setText(QStringLiteral("1"));
    QCOMPARE(Value(Press(fp, "btnFNBuildReregistrationReport"), QStringLiteral("Номер ФД")),
             QStringLiteral("1"));
    CHECK_STEP(1);
}

QTEST_MAIN(TestFNLifeCycle)
#include "tst_fnlifecycle.moc"
