// The virtual register's fiscal storage: life cycle, registration, the
// archive's numbering, shifts and the operator's queue.

#include "driver/ResultCodes.h"
#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "tests/support/TestDataDir.h"
#include "vregister/VRFiscal.h"
#include "vregister/VRStore.h"
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
    int Register(const QString& inn = kInn, const QString& rnm = kRnm, int tax = 1) {
        drv->SetINN(inn);
        drv->SetKKTRegistrationNumber(rnm);
        drv->SetTaxType(tax);
        drv->SetWorkMode(0);
        return drv->FNBuildRegistrationReport();
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
    d.SetTableNumber(17);
    d.SetRowNumber(1);
    d.SetFieldNumber(66);
    d.SetValueOfFieldInteger(3);
    QCOMPARE(d.WriteTable(), 0);
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

QTEST_GUILESS_MAIN(TestVRegisterFiscal)
#include "tst_vregister_fiscal.moc"
