// The virtual register's fiscal storage: life cycle, registration, the
// archive's numbering, shifts and the operator's queue.

#include "driver/ResultCodes.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "tests/support/TestDataDir.h"
#include "vregister/VRFiscal.h"
#include "vregister/VRStore.h"
#include "vregister/VRTotals.h"
#include "vregister/VirtualRegister.h"

#include <QtTest>

namespace {

constexpr int kSysAdmin = 30;
// A register with serial 12345 and ordinal 1, owned by ИНН 1234567894, has
// the registration number 0000000001056534.
const QString kSerial = QStringLiteral("12345");
const QString kInn = QStringLiteral("1234567894");
const QString kRnm = QStringLiteral("0000000001056534");

struct Bench {
    TestDataDir dir;
    std::shared_ptr<TLedgraComponent> comp;
    std::unique_ptr<TLedgra> drv;

    Bench() {
        Reopen();
        drv->SetSerialNumber(kSerial);
        if (drv->SetSerialNumber() != 0)
            qFatal("serial number");
    }
    // A new component object: the register is read back from its file.
    void Reopen() {
        drv.reset();
        comp.reset();
        comp = std::make_shared<TLedgraComponent>();
        drv = std::make_unique<TLedgra>(comp);
        drv->SetPassword(kSysAdmin);
    }
    int Service(const QString& command) {
        QString text;
        return comp->ServiceCommand(command, &text);
    }
    QString Tape() {
        QString text;
        comp->ServiceCommand(QStringLiteral("tape"), &text);
        return text;
    }
    // Sets properties given as "Name=Value" and calls a method by its name.
    int Call(const QString& method, const QStringList& sets = {}) {
        for (const QString& item : sets) {
            const auto* p = Ledgra::PropertyByName(item.section(QLatin1Char('='), 0, 0));
            if (!p)
                qFatal("no property %s", qPrintable(item));
            comp->Set(p->id, *Ledgra::ParseValue(*p, item.section(QLatin1Char('='), 1)));
        }
        const auto* m = Ledgra::MethodByName(method);
        if (!m)
            qFatal("no method %s", qPrintable(method));
        return comp->Invoke(m->id);
    }
    qint64 CashCount(int reg) {
        drv->SetRegisterNumber(reg);
        return drv->GetCashRegEx() == 0 ? drv->ContentsOfCashRegister().raw / 10000 : -1;
    }
    // The register's raw command answer, or its code as text.
    QString Raw(const QString& hex) {
        drv->SetBinaryConversion(1);
        drv->SetTransferBytes(hex);
        const int code = drv->ExchangeBytes();
        return code == 0 ? drv->TransferBytes() : QStringLiteral("code %1").arg(code);
    }
    int Register(const QString& inn = kInn, const QString& rnm = kRnm, int tax = 1) {
        drv->SetINN(inn);
        drv->SetKKTRegistrationNumber(rnm);
        drv->SetTaxType(tax);
        drv->SetWorkMode(0);
        return drv->FNBuildRegistrationReport();
    }
    // The register's time zone: table 17, row 1, field 66.
    int WriteTimeZone(int zone) {
        drv->SetTableNumber(17);
        drv->SetRowNumber(1);
        drv->SetFieldNumber(66);
        drv->SetValueOfFieldInteger(zone);
        return drv->WriteTable();
    }
    int LifeState() { return drv->FNGetStatus() == 0 ? drv->FNLifeState() : -1; }
    int LastDocument() { return drv->FNGetStatus() == 0 ? drv->DocumentNumber() : -1; }
    int Unconfirmed() { return drv->FNGetUnconfirmedDocCount() == 0 ? drv->DocumentCount() : -1; }
};

} // namespace

class TestVRegisterFiscal : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void innCheck_data();
    void innCheck();
    void registrationNumber();
    void identity();
    void lifeCycle();
    void registrationRefused_data();
    void registrationRefused();
    void reregistrations();
    void shiftOver24Hours();
    void operatorQueue();
    void survivesReopen();
    void replaceStorage();
    void replacementReregistration_data();
    void replacementReregistration();
    void refusals_data();
    void refusals();
    void calculationStateReport();
    void resetState();
    void countersAndShiftTotals();
    void documentAsText();
    void registrationTlv_data();
    void registrationTlv();
    void fiscalBarcode();
    void keyUpdate_data();
    void keyUpdate();
};

void TestVRegisterFiscal::innCheck_data() {
    QTest::addColumn<QString>("inn");
    QTest::addColumn<bool>("valid");
    QTest::newRow("10 digits") << "1234567894" << true;
    QTest::newRow("10 digits, wrong check") << "1234567890" << false;
    QTest::newRow("12 digits") << "500100732259" << true;
    QTest::newRow("12 digits, wrong 12th") << "500100732258" << false;
    QTest::newRow("12 digits, wrong 11th") << "500100732269" << false;
    QTest::newRow("the page's default") << "123456789012" << false;
    QTest::newRow("11 digits") << "50010073225" << false;
    QTest::newRow("a letter") << "12345678a4" << false;
    QTest::newRow("empty") << "" << false;
}

void TestVRegisterFiscal::innCheck() {
    QFETCH(QString, inn);
    QFETCH(bool, valid);
    QCOMPARE(VRFiscal::ValidInn(inn), valid);
}

void TestVRegisterFiscal::registrationNumber() {
    QCOMPARE(VRFiscal::MakeRnm(QStringLiteral("1"), kInn, kSerial), kRnm);
    QVERIFY(VRFiscal::ValidRnm(kRnm, kInn, kSerial));
    QVERIFY(!VRFiscal::ValidRnm(kRnm, kInn, QStringLiteral("12346")));
    QVERIFY(!VRFiscal::ValidRnm(QStringLiteral("0000000001056535"), kInn, kSerial));
}

void TestVRegisterFiscal::identity() {
    Bench b;
    auto& d = *b.drv;
    QCOMPARE(d.FNGetSerial(), 0);
    const QString fn = d.SerialNumber();
    QCOMPARE(fn.size(), 16);
    QCOMPARE(d.FNGetStatus(), 0);
    QCOMPARE(d.SerialNumber(), fn);
    QCOMPARE(d.FNWarningFlags(), 0);
    QCOMPARE(d.FNSessionState(), 0);
    QCOMPARE(d.FNGetExpirationTime(), 0);
    const QDate expires = d.Date().date();
    QVERIFY(expires > QDate::currentDate().addMonths(35));
    QCOMPARE(d.FreeRegistration(), VRFiscal::kMaxRegistrations);
    // Ten days before the end the storage warns.
    const qint64 offset =
        QDateTime::currentDateTime().secsTo(QDateTime(expires.addDays(-10), QTime(12, 0)));
    QCOMPARE(b.Service(QStringLiteral("clock-offset %1").arg(offset)), 0);
    QCOMPARE(d.FNGetStatus(), 0);
    QCOMPARE(d.FNWarningFlags(), 2);
    QCOMPARE(d.Date().date(), expires.addDays(-10));
}

void TestVRegisterFiscal::lifeCycle() {
    Bench b;
    b.Service(QStringLiteral("offline"));
    auto& d = *b.drv;
    const int wrongState = int(RC::FnWrongState);
    QCOMPARE(b.LifeState(), int(VRFiscal::PhaseReady));
    QCOMPARE(d.OpenSession(), wrongState);
    QCOMPARE(d.FNCloseFiscalMode(), wrongState);
    QCOMPARE(d.FNBuildReregistrationReport(), wrongState);

    QCOMPARE(b.Register(), 0);
    QCOMPARE(d.DocumentNumber(), 1);
    QCOMPARE(b.LifeState(), int(VRFiscal::PhaseFiscal));
    QCOMPARE(b.Register(), wrongState); // registered once only

    // Two shifts: numbers of documents and shifts rise by one.
    for (int shift = 1; shift <= 2; ++shift) {
        QCOMPARE(d.FNBeginOpenSession(), 0);
        QCOMPARE(d.FNGetStatus(), 0);
        QCOMPARE(d.FNCurrentDocument(), 2);
        QCOMPARE(d.OpenSession(), 0);
        QCOMPARE(d.OpenSession(), wrongState);
        QCOMPARE(d.FNCloseFiscalMode(), wrongState); // not with an open shift
        QCOMPARE(d.FNGetCurrentSessionParams(), 0);
        QCOMPARE(d.SessionNumber(), shift);
        QCOMPARE(d.FNSessionState(), 1);
        QCOMPARE(d.PrintReportWithCleaning(), 0);
        QCOMPARE(d.PrintReportWithCleaning(), wrongState);
    }
    QCOMPARE(d.FNCloseFiscalMode(), 0);
    QCOMPARE(d.DocumentNumber(), 6);
    QCOMPARE(b.LifeState(), int(VRFiscal::PhaseClosed));
    QCOMPARE(d.OpenSession(), wrongState);
    QCOMPARE(d.FNBuildReregistrationReport(), wrongState);
    QCOMPARE(b.LastDocument(), 6);

    const QList<int> types = {1, 2, 5, 2, 5, 6};
    QSet<quint32> signs;
    for (int n = 1; n <= types.size(); ++n) {
        d.SetDocumentNumber(n);
        QCOMPARE(d.FNFindDocument(), 0);
        QCOMPARE(d.DocumentNumber(), n);
        QCOMPARE(d.DocumentType(), types[n - 1]);
        QVERIFY(d.FiscalSign() >= 1000000000u);
        signs.insert(d.FiscalSign());
        if (types[n - 1] == 2 || types[n - 1] == 5)
            QCOMPARE(d.SessionNumber(), (n) / 2);
    }
    QCOMPARE(signs.size(), types.size());
    d.SetDocumentNumber(7);
    QCOMPARE(d.FNFindDocument(), int(RC::FnNoData));

    // Once the operator has every document, the transfer is over.
    QCOMPARE(b.Service(QStringLiteral("online 0")), 0);
    QCOMPARE(b.LifeState(), int(VRFiscal::PhaseTransferred));
}

void TestVRegisterFiscal::registrationRefused_data() {
    QTest::addColumn<QString>("inn");
    QTest::addColumn<QString>("rnm");
    QTest::addColumn<int>("tax");
    QTest::newRow("the page's default ИНН")
        << "123456789012" << VRFiscal::MakeRnm("1", "123456789012", kSerial) << 1;
    QTest::newRow("number of another ИНН") << "500100732259" << kRnm << 1;
    QTest::newRow("number of another register")
        << kInn << VRFiscal::MakeRnm("1", kInn, "12346") << 1;
    QTest::newRow("check part changed") << kInn << "0000000001056535" << 1;
    QTest::newRow("short number") << kInn << "1056534" << 1;
    QTest::newRow("no tax system") << kInn << kRnm << 0;
}

void TestVRegisterFiscal::registrationRefused() {
    QFETCH(QString, inn);
    QFETCH(QString, rnm);
    QFETCH(int, tax);
    Bench b;
    QCOMPARE(b.Register(inn, rnm, tax), int(RC::FnBadParameters));
    QCOMPARE(b.LifeState(), int(VRFiscal::PhaseReady));
    QCOMPARE(b.LastDocument(), 0);
    QCOMPARE(b.drv->FNGetFiscalizationResult(), int(RC::FnNoData));
    QCOMPARE(b.drv->GetECRStatus(), 0);
    QCOMPARE(b.drv->RegistrationNumber(), 0);
    QVERIFY(b.drv->INN().isEmpty());
}

void TestVRegisterFiscal::reregistrations() {
    Bench b;
    auto& d = *b.drv;
    QCOMPARE(b.WriteTimeZone(3), 0);
    QCOMPARE(b.Register(kInn, kRnm, 33), 0);
    const quint32 firstSign = d.FiscalSign();

    // "Иные причины" is bit 31 of the reasons.
    d.SetRegistrationReasonCode(0);
    d.SetRegistrationReasonCodeEx(int(0x80000000u | 0x80u));
    d.SetTaxType(1);
    QCOMPARE(d.FNBuildReregistrationReport(), 0);
    QCOMPARE(d.DocumentNumber(), 2);

    QCOMPARE(d.FNGetFiscalizationResult(), 0);
    QCOMPARE(d.DocumentNumber(), 2);
    QCOMPARE(d.TaxType(), 1);
    QCOMPARE(quint32(d.RegistrationReasonCodeEx()), 0x80000080u);
    QCOMPARE(d.KKTRegistrationNumber(), kRnm);
    d.SetRegistrationNumber(1);
    QCOMPARE(d.FNGetFiscalizationResultByNumber(), 0);
    QCOMPARE(d.DocumentNumber(), 1);
    QCOMPARE(d.TaxType(), 33);
    QCOMPARE(d.FiscalSign(), firstSign);
    QCOMPARE(d.INN(), kInn);
    d.SetRegistrationNumber(3);
    QCOMPARE(d.FNGetFiscalizationResultByNumber(), int(RC::FnNoData));

    // A re-registration needs a reason; the storage takes a limited number.
    d.SetRegistrationReasonCode(0);
    d.SetRegistrationReasonCodeEx(0);
    QCOMPARE(d.FNBuildReregistrationReport(), int(RC::FnBadParameters));
    d.SetRegistrationReasonCode(4);
    for (int n = 3; n <= VRFiscal::kMaxRegistrations; ++n)
        QCOMPARE(d.FNBuildReregistrationReport(), 0);
    QCOMPARE(d.FNBuildReregistrationReport(), int(RC::FnResourceExhausted));
    QCOMPARE(d.FNGetExpirationTime(), 0);
    QCOMPARE(d.RegistrationNumber(), VRFiscal::kMaxRegistrations);
    QCOMPARE(d.FreeRegistration(), 0);
    QCOMPARE(b.LastDocument(), VRFiscal::kMaxRegistrations);
}

void TestVRegisterFiscal::shiftOver24Hours() {
    Bench b;
    auto& d = *b.drv;
    QCOMPARE(b.Register(), 0);
    QCOMPARE(d.OpenSession(), 0);
    QCOMPARE(b.Service(QStringLiteral("clock-offset 90000")), 0);
    {
        VRStore s(VR::DefaultRegisterPath());
        VRStore::Transaction t(s);
        QCOMPARE(VRFiscal::CanMakeDocument(s, VR::Now(s), true), int(RC::FnShiftOver24h));
        QCOMPARE(VRFiscal::CanMakeDocument(s, VR::Now(s), false), 0);
    }
    // Closing is what ends such a shift.
    QCOMPARE(d.PrintReportWithCleaning(), 0);
    QCOMPARE(d.OpenSession(), 0);
    QCOMPARE(d.FNGetCurrentSessionParams(), 0);
    QCOMPARE(d.SessionNumber(), 2);
}

void TestVRegisterFiscal::operatorQueue() {
    Bench b;
    auto& d = *b.drv;
    QCOMPARE(b.Service(QStringLiteral("offline")), 0);
    QCOMPARE(b.Register(), 0);
    QCOMPARE(d.OpenSession(), 0);
    QCOMPARE(b.Unconfirmed(), 2);
    QCOMPARE(d.FNGetInfoExchangeStatus(), 0);
    QCOMPARE(d.MessageCount(), 2);
    QCOMPARE(d.DocumentNumber(), 1);
    QCOMPARE(d.InfoExchangeStatus(), 2);
    d.SetDocumentNumber(1);
    QCOMPARE(d.FNFindDocument(), 0);
    QVERIFY(!d.OFDTicketReceived());

    // Online, the operator confirms a document a moment after it is made.
    QCOMPARE(b.Service(QStringLiteral("online 5")), 0);
    QCOMPARE(b.Unconfirmed(), 2);
    QCOMPARE(b.Service(QStringLiteral("clock-offset 10")), 0);
    QCOMPARE(b.Unconfirmed(), 0);
    QCOMPARE(d.FNFindDocument(), 0);
    QVERIFY(d.OFDTicketReceived());
    QCOMPARE(d.FNGetInfoExchangeStatus(), 0);
    QCOMPARE(d.InfoExchangeStatus(), 1);
}

void TestVRegisterFiscal::survivesReopen() {
    Bench b;
    QCOMPARE(b.Register(), 0);
    QCOMPARE(b.drv->OpenSession(), 0);
    QCOMPARE(b.drv->PrintReportWithCleaning(), 0);
    const quint32 sign = b.drv->FiscalSign();
    QCOMPARE(b.drv->FNGetSerial(), 0);
    const QString fn = b.drv->SerialNumber();

    b.Reopen();
    auto& d = *b.drv;
    QCOMPARE(d.FNGetSerial(), 0);
    QCOMPARE(d.SerialNumber(), fn);
    QCOMPARE(b.LifeState(), int(VRFiscal::PhaseFiscal));
    d.SetDocumentNumber(3);
    QCOMPARE(d.FNFindDocument(), 0);
    QCOMPARE(d.FiscalSign(), sign);
    QCOMPARE(d.OpenSession(), 0);
    QCOMPARE(d.DocumentNumber(), 4);
    QCOMPARE(d.FNGetCurrentSessionParams(), 0);
    QCOMPARE(d.SessionNumber(), 2);
}

void TestVRegisterFiscal::replaceStorage() {
    Bench b;
    auto& d = *b.drv;
    QCOMPARE(b.Register(), 0);
    QCOMPARE(d.FNGetSerial(), 0);
    const QString old = d.SerialNumber();
    QCOMPARE(b.Service(QStringLiteral("fn-replace")), 0);
    QCOMPARE(d.FNGetSerial(), 0);
    QVERIFY(d.SerialNumber() != old);
    QCOMPARE(d.SerialNumber().size(), 16);
    QCOMPARE(b.LifeState(), int(VRFiscal::PhaseReady));
    QCOMPARE(b.LastDocument(), 0);
    d.SetDocumentNumber(1);
    QCOMPARE(d.FNFindDocument(), int(RC::FnNoData));
    QCOMPARE(d.FNGetFiscalizationResult(), int(RC::FnNoData));
    // The new storage numbers its documents from 1 again.
    QCOMPARE(b.Register(), 0);
    QCOMPARE(d.DocumentNumber(), 1);
}

// A fresh storage after a replacement takes a re-registration that carries
// the register's registration over, and nothing else under that name.
void TestVRegisterFiscal::replacementReregistration_data() {
    QTest::addColumn<bool>("registeredBefore");
    QTest::addColumn<QString>("inn");
    QTest::addColumn<int>("reason");
    QTest::addColumn<int>("reasonEx");
    QTest::addColumn<int>("code");
    const QString otherInn = QStringLiteral("500100732259");
    QTest::newRow("reason code 1") << true << kInn << 1 << 0 << 0;
    QTest::newRow("reason bit 0 of tag 1205") << true << kInn << 4 << 1 << 0;
    QTest::newRow("no replacement reason") << true << kInn << 4 << 0x80 << int(RC::FnWrongState);
    QTest::newRow("another user") << true << otherInn << 1 << 0 << int(RC::FnBadParameters);
    QTest::newRow("never registered") << false << kInn << 1 << 0 << int(RC::FnWrongState);
}

void TestVRegisterFiscal::replacementReregistration() {
    QFETCH(bool, registeredBefore);
    QFETCH(QString, inn);
    QFETCH(int, reason);
    QFETCH(int, reasonEx);
    QFETCH(int, code);
    Bench b;
    auto& d = *b.drv;
    if (registeredBefore) {
        QCOMPARE(b.Register(kInn, kRnm, 33), 0);
        QCOMPARE(d.OpenSession(), 0);
        QCOMPARE(d.PrintReportWithCleaning(), 0);
    }
    QCOMPARE(b.Service(QStringLiteral("fn-replace")), 0);
    QCOMPARE(b.Call(QStringLiteral("FNBeginRegistrationReport"), {"ReportTypeInt=1"}), 0);
    QCOMPARE(d.FNGetStatus(), 0);
    QCOMPARE(d.FNCurrentDocument(), 18);

    d.SetRegistrationReasonCode(reason);
    d.SetRegistrationReasonCodeEx(reasonEx);
    d.SetINN(inn);
    d.SetKKTRegistrationNumber(VRFiscal::MakeRnm(QStringLiteral("1"), inn, kSerial));
    d.SetTaxType(1);
    d.SetWorkMode(0);
    QCOMPARE(d.FNBuildReregistrationReport(), code);
    if (code != 0) {
        QCOMPARE(b.LifeState(), int(VRFiscal::PhaseReady));
        QCOMPARE(b.LastDocument(), 0);
        return;
    }
    // The new storage's archive starts with the re-registration.
    QCOMPARE(d.DocumentNumber(), 1);
    QCOMPARE(b.LifeState(), int(VRFiscal::PhaseFiscal));
    QCOMPARE(d.FNCurrentDocument(), 0);
    d.SetDocumentNumber(1);
    QCOMPARE(d.FNFindDocument(), 0);
    QCOMPARE(d.DocumentType(), 11);
    QCOMPARE(d.INN(), kInn);
    QCOMPARE(d.KKTRegistrationNumber(), kRnm);
    QCOMPARE(d.RegistrationReasonCode(), reason);
    QCOMPARE(d.FNGetExpirationTime(), 0);
    QCOMPARE(d.RegistrationNumber(), 1);
    QVERIFY(b.Tape().contains(QStringLiteral("ЗАМЕНА ФН")));
    // Shifts of the new storage count from 1 again.
    QCOMPARE(d.OpenSession(), 0);
    QCOMPARE(d.FNGetCurrentSessionParams(), 0);
    QCOMPARE(d.SessionNumber(), 1);
}

// Each new member's refusals in the states a service engineer meets.
void TestVRegisterFiscal::refusals_data() {
    QTest::addColumn<int>("state"); // 0 fresh, 1 registered, 2 shift open, 3 fiscal mode closed
    QTest::addColumn<QString>("method");
    QTest::addColumn<QStringList>("sets");
    QTest::addColumn<int>("code");
    const int wrong = int(RC::FnWrongState), noData = int(RC::FnNoData),
              bad = int(RC::FnBadParameters);
    QTest::newRow("settlement report, fresh")
        << 0 << "FNBuildCalculationStateReport" << QStringList() << wrong;
    QTest::newRow("settlement report begun, fresh")
        << 0 << "FNBeginCalculationStateReport" << QStringList() << wrong;
    QTest::newRow("settlement report, closed")
        << 3 << "FNBuildCalculationStateReport" << QStringList() << wrong;
    QTest::newRow("settlement report, shift open")
        << 2 << "FNBuildCalculationStateReport" << QStringList() << 0;
    QTest::newRow("shift opening, closed") << 3 << "OpenSession" << QStringList() << wrong;
    QTest::newRow("reset, unknown request")
        << 1 << "FNResetState" << QStringList{"RequestType=22"} << bad;
    QTest::newRow("reset") << 1 << "FNResetState" << QStringList{"RequestType=0"} << 0;
    QTest::newRow("report type unknown")
        << 0 << "FNBeginRegistrationReport" << QStringList{"ReportTypeInt=3"} << bad;
    QTest::newRow("re-registration begun, fresh")
        << 0 << "FNBeginRegistrationReport" << QStringList{"ReportTypeInt=2"} << wrong;
    QTest::newRow("registration begun, registered")
        << 1 << "FNBeginRegistrationReport" << QStringList{"ReportTypeInt=0"} << wrong;
    QTest::newRow("replacement begun, registered")
        << 1 << "FNBeginRegistrationReport" << QStringList{"ReportTypeInt=1"} << wrong;
    QTest::newRow("re-registration begun, shift open")
        << 2 << "FNBeginRegistrationReport" << QStringList{"ReportTypeInt=2"} << wrong;
    QTest::newRow("QR of no document")
        << 1 << "FNReadFiscalBarcode" << QStringList{"DocumentNumber=9"} << noData;
    QTest::newRow("QR of a report")
        << 1 << "FNReadFiscalBarcode" << QStringList{"DocumentNumber=1"} << noData;
    QTest::newRow("text of no registration")
        << 0 << "FNGetDocumentAsString"
        << QStringList{"RequestDocumentType=1", "RegistrationNumber=0"} << noData;
    QTest::newRow("text of registration 2")
        << 1 << "FNGetDocumentAsString"
        << QStringList{"RequestDocumentType=1", "RegistrationNumber=2"} << noData;
    QTest::newRow("text of no document")
        << 1 << "FNGetDocumentAsString" << QStringList{"RequestDocumentType=0", "DocumentNumber=2"}
        << noData;
    QTest::newRow("tag the document lacks")
        << 1 << "FNRequestRegistrationTLV" << QStringList{"RegistrationNumber=1", "TagNumber=1038"}
        << noData;
    QTest::newRow("tag of no registration")
        << 0 << "FNRequestRegistrationTLV" << QStringList{"RegistrationNumber=1", "TagNumber=1018"}
        << noData;
}

void TestVRegisterFiscal::refusals() {
    QFETCH(int, state);
    QFETCH(QString, method);
    QFETCH(QStringList, sets);
    QFETCH(int, code);
    Bench b;
    if (state >= 1)
        QCOMPARE(b.Register(), 0);
    if (state == 2)
        QCOMPARE(b.drv->OpenSession(), 0);
    if (state == 3)
        QCOMPARE(b.drv->FNCloseFiscalMode(), 0);
    const int before = b.LastDocument();
    QCOMPARE(b.Call(method, sets), code);
    // A refused command leaves the archive as it was.
    if (code != 0)
        QCOMPARE(b.LastDocument(), before);
}

void TestVRegisterFiscal::calculationStateReport() {
    Bench b;
    auto& d = *b.drv;
    QCOMPARE(b.Service(QStringLiteral("offline")), 0);
    QCOMPARE(b.Register(), 0);
    d.SetDocumentNumber(1);
    QCOMPARE(d.FNFindDocument(), 0);
    const QDateTime first = QDateTime(d.Date().date(), d.Time().time());
    QCOMPARE(d.OpenSession(), 0);
    QCOMPARE(d.FNBeginCalculationStateReport(), 0);
    QCOMPARE(d.FNGetStatus(), 0);
    QCOMPARE(d.FNCurrentDocument(), 23);

    QCOMPARE(b.Service(QStringLiteral("clear-tape")), 0);
    QCOMPARE(d.FNBuildCalculationStateReport(), 0);
    QCOMPARE(d.DocumentNumber(), 3);
    QCOMPARE(d.DocumentCount(), 2); // the registration and the shift opening
    QCOMPARE(QDateTime(d.Date().date(), d.Time().time()), first);
    const quint32 sign = d.FiscalSign();
    QCOMPARE(d.FNGetStatus(), 0);
    QCOMPARE(d.FNCurrentDocument(), 0);
    QCOMPARE(d.DocumentNumber(), 3);
    const QString tape = b.Tape();
    QVERIFY2(tape.contains(QStringLiteral("ОТЧЕТ О ТЕК. СОСТ. РАСЧЕТОВ")), qPrintable(tape));
    QVERIFY(tape.contains(QStringLiteral("НЕПЕРЕДАННЫХ ФД: 2")));
    QVERIFY(tape.contains(QStringLiteral("ФП %1").arg(sign)));

    d.SetDocumentNumber(3);
    QCOMPARE(d.FNFindDocument(), 0);
    QCOMPARE(d.DocumentType(), 21);
    QCOMPARE(d.DocumentCount(), 2);
    QCOMPARE(QDateTime(d.Date2().date(), d.Time2().time()), first);
    QCOMPARE(d.FiscalSign(), sign);

    // Once the operator has everything the report counts nothing.
    QCOMPARE(b.Service(QStringLiteral("online 0")), 0);
    QCOMPARE(d.FNBuildCalculationStateReport(), 0);
    QCOMPARE(d.DocumentNumber(), 4);
    QCOMPARE(d.DocumentCount(), 0);
}

void TestVRegisterFiscal::resetState() {
    Bench b;
    auto& d = *b.drv;
    QCOMPARE(b.Register(), 0);
    QCOMPARE(d.FNBeginOpenSession(), 0);
    QCOMPARE(d.FNGetStatus(), 0);
    QCOMPARE(d.FNCurrentDocument(), 2);
    d.SetRequestType(0);
    QCOMPARE(d.FNResetState(), 0);
    QCOMPARE(d.FNGetStatus(), 0);
    QCOMPARE(d.FNCurrentDocument(), 0);
    QCOMPARE(d.FNLifeState(), int(VRFiscal::PhaseFiscal));
    QCOMPARE(d.DocumentNumber(), 1);
}

// The FN counters follow the archive; the shift-closing report clears the
// shift's registers and nothing else.
void TestVRegisterFiscal::countersAndShiftTotals() {
    Bench b;
    auto& d = *b.drv;
    QCOMPARE(b.Register(), 0);
    QCOMPARE(d.OpenSession(), 0);
    QCOMPARE(d.FNBuildCalculationStateReport(), 0);
    QCOMPARE(b.CashCount(4361), 3); // documents of the storage
    QCOMPARE(b.CashCount(4354), 1); // its shifts
    QCOMPARE(b.CashCount(4230), 2); // documents of the shift
    QCOMPARE(b.CashCount(4291), 1); // settlement reports of the shift

    // A technological reset loses them; the sync brings them back.
    {
        VRStore s(VR::DefaultRegisterPath());
        VRStore::Transaction t(s);
        VRTotals::Clear(s);
        VRTotals::AddCash(s, 64, Currency::FromRaw(1230000));  // a department in the shift
        VRTotals::AddCash(s, 241, Currency::FromRaw(5000000)); // cash in the drawer
        VRTotals::AddCash(s, 243, Currency::FromRaw(7000000)); // non-clearable sum
        VRTotals::AddOperation(s, 140, 3);                     // receipts of the shift
        t.Commit();
    }
    QCOMPARE(b.CashCount(4361), 0);
    QCOMPARE(d.FNCountersSync(), 0);
    QCOMPARE(b.CashCount(4361), 3);
    QCOMPARE(b.CashCount(4354), 1);
    QCOMPARE(b.CashCount(4230), 2);
    QCOMPARE(b.CashCount(4291), 1);

    QCOMPARE(d.PrintReportWithCleaning(), 0);
    auto cash = [&](int reg) {
        d.SetRegisterNumber(reg);
        return d.GetCashReg() == 0 ? d.ContentsOfCashRegister().raw : -1;
    };
    auto op = [&](int reg) {
        d.SetRegisterNumber(reg);
        return d.GetOperationReg() == 0 ? d.ContentsOfOperationRegister() : -1;
    };
    QCOMPARE(cash(64), 0);
    QCOMPARE(op(140), 0);
    QCOMPARE(b.CashCount(4230), 0);
    QCOMPARE(b.CashCount(4291), 0);
    QCOMPARE(cash(241), 5000000);
    QCOMPARE(cash(243), 7000000);
    QCOMPARE(b.CashCount(4361), 4);
    QCOMPARE(op(179), 1); // shift-closing reports
}

void TestVRegisterFiscal::documentAsText() {
    Bench b;
    auto& d = *b.drv;
    QCOMPARE(b.Register(kInn, kRnm, 33), 0);
    const quint32 sign = d.FiscalSign();
    d.SetRequestDocumentType(1);
    d.SetRegistrationNumber(1);
    d.SetShowTagNumber(true);
    QCOMPARE(d.FNGetDocumentAsString(), 0);
    const QStringList lines = d.StringForPrinting().split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("ОТЧЕТ О РЕГИСТРАЦИИ"));
    QVERIFY(lines.contains(QStringLiteral("ИНН ПОЛЬЗ. (1018): %1").arg(kInn)));
    QVERIFY(lines.contains(QStringLiteral("РН ККТ (1037): %1").arg(kRnm)));
    QVERIFY(lines.contains(QStringLiteral("СНО (1062): 33")));
    QVERIFY(lines.contains(QStringLiteral("ФД (1040): 1")));
    QVERIFY(lines.contains(QStringLiteral("ФП (1077): %1").arg(sign)));
    QVERIFY(!d.StringForPrinting().contains(QStringLiteral("1101"))); // no reason on a registration
    d.SetShowTagNumber(false);
    QCOMPARE(d.FNGetDocumentAsString(), 0);
    QVERIFY(d.StringForPrinting().contains(QStringLiteral("\nИНН ПОЛЬЗ.: %1\n").arg(kInn)));
    // Any document by its number, with type other than 1; 0 names the latest registration.
    QCOMPARE(d.OpenSession(), 0);
    d.SetRequestDocumentType(0);
    d.SetDocumentNumber(2);
    QCOMPARE(d.FNGetDocumentAsString(), 0);
    QVERIFY(
        d.StringForPrinting().startsWith(QStringLiteral("ОТЧЕТ ОБ ОТКР. СМЕНЫ\nДАТА, ВРЕМЯ: ")));
    QVERIFY(d.StringForPrinting().contains(QStringLiteral("\nСМЕНА: 1\n")));
}

void TestVRegisterFiscal::registrationTlv_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<QByteArray>("value"); // hex
    QTest::newRow("ИНН, 12 characters") << 1018
                                        << QByteArray("31323334353637383934"
                                                      "2020");
    QTest::newRow("registration number") << 1037
                                         << QByteArray("30303030303030303031303536353334"
                                                       "20202020");
    QTest::newRow("tax systems, a byte") << 1062 << QByteArray("21");
    QTest::newRow("document number, 4 bytes LE") << 1040 << QByteArray("01000000");
    QTest::newRow("a work-mode flag") << 1002 << QByteArray("01");
    QTest::newRow("time zone") << 1011 << QByteArray("03");
}

void TestVRegisterFiscal::registrationTlv() {
    QFETCH(int, tag);
    QFETCH(QByteArray, value);
    Bench b;
    auto& d = *b.drv;
    QCOMPARE(b.WriteTimeZone(3), 0);
    d.SetINN(kInn);
    d.SetKKTRegistrationNumber(kRnm);
    d.SetTaxType(33);
    d.SetWorkMode(2); // autonomous
    QCOMPARE(d.FNBuildRegistrationReport(), 0);
    d.SetRegistrationNumber(1);
    d.SetTagNumber(tag);
    QCOMPARE(d.FNRequestRegistrationTLV(), 0);
    const QByteArray tlv = d.TLVData().toLatin1();
    const QByteArray v = QByteArray::fromHex(value);
    QCOMPARE(tlv.size(), 4 + v.size());
    QCOMPARE(quint8(tlv[0]) | quint8(tlv[1]) << 8, tag);
    QCOMPARE(quint8(tlv[2]) | quint8(tlv[3]) << 8, v.size());
    QCOMPARE(tlv.mid(4).toHex(), v.toHex());
}

void TestVRegisterFiscal::fiscalBarcode() {
    Bench b;
    auto& d = *b.drv;
    QCOMPARE(b.Register(), 0);
    QCOMPARE(d.OpenSession(), 0);
    // A receipt as the receipt commands leave it in the archive.
    VRFiscal::Document receipt;
    QDateTime made;
    {
        VRStore s(VR::DefaultRegisterPath());
        VRStore::Transaction t(s);
        made = VR::Now(s);
        receipt = VRFiscal::MakeDocument(s, made, VRFiscal::DocReceipt,
                                         {{QStringLiteral("OperationType"), 1},
                                          {QStringLiteral("Summ1"), QStringLiteral("123.45")}});
        t.Commit();
    }
    QCOMPARE(receipt.number, 3);
    QCOMPARE(d.FNGetSerial(), 0);
    const QString fn = d.SerialNumber();
    d.SetDocumentNumber(3);
    QCOMPARE(d.FNReadFiscalBarcode(), 0);
    QCOMPARE(d.BarCode(), QStringLiteral("t=%1&s=123.45&fn=%2&i=3&fp=%3&n=1")
                              .arg(made.toString(QStringLiteral("yyyyMMddTHHmm")), fn)
                              .arg(receipt.fiscalSign));
    QCOMPARE(b.CashCount(4361), 3);
}

// The key update: at a shift opening and by the raw command of the FN page.
void TestVRegisterFiscal::keyUpdate_data() {
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("openResult");
    QTest::addColumn<int>("openStatus");
    QTest::addColumn<QString>("rawAnswer");
    QTest::newRow("online: two keys, then none") << true << 0 << 8 << "00";
    QTest::newRow("offline: no link") << false << 255 << 1 << "FF";
}

void TestVRegisterFiscal::keyUpdate() {
    QFETCH(bool, online);
    QFETCH(int, openResult);
    QFETCH(int, openStatus);
    QFETCH(QString, rawAnswer);
    Bench b;
    auto& d = *b.drv;
    QCOMPARE(b.Service(online ? QStringLiteral("online") : QStringLiteral("offline")), 0);
    QCOMPARE(d.GetShortECRStatus(), 0);
    QCOMPARE(d.UpdateKeysResultCode(), 254);
    QCOMPARE(b.Register(), 0);
    QCOMPARE(d.OpenSession(), 0);
    QCOMPARE(d.GetShortECRStatus(), 0);
    QCOMPARE(d.UpdateKeysResultCode(), openResult);
    QCOMPARE(d.UpdateKeysStatus(), openStatus);
    QCOMPARE(b.Raw(QStringLiteral("FE E1 5A 3C 96 0F")), rawAnswer);
    QCOMPARE(b.Raw(QStringLiteral("FE E1 00 00 00 00")),
             QStringLiteral("code %1").arg(int(RC::BadParameters)));
    QCOMPARE(b.Raw(QStringLiteral("FE F0")), QStringLiteral("code %1").arg(int(RC::NotSupported)));
    // Fresh keys: the next shift needs no update.
    QCOMPARE(d.PrintReportWithCleaning(), 0);
    QCOMPARE(d.OpenSession(), 0);
    QCOMPARE(d.GetShortECRStatus(), 0);
    QCOMPARE(d.UpdateKeysResultCode(), online ? 254 : 255);
}

QTEST_GUILESS_MAIN(TestVRegisterFiscal)
#include "tst_vregister_fiscal.moc"
