// The fiscal storage's whole life run through the ledgra console, one
// process a step as a script would: the same status counters and archive as
// on the pages, kept across processes and across a killed one.

#include "common/untRNM.h"
#include "tests/fn/FnLifeCycle.h"
#include "tests/support/TestDataDir.h"

#include <QProcess>
#include <QTemporaryFile>
#include <QtTest>

using namespace FnLifeCycle;

namespace {

// What one console run printed: "Name = value" lines by name (the last
// wins), "Method: CODE text" lines as codes by method.
struct Output {
    int status = -1;
    QString text;
    QHash<QString, QString> values;
    QHash<QString, int> codes;
    QString Value(const char* name) const { return values.value(QLatin1String(name), "<none>"); }
    int Int(const char* name) const { return Value(name).toInt(); }
};

Output Parse(int status, const QString& text) {
    Output o;
    o.status = status;
    o.text = text;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const qsizetype eq = line.indexOf(QStringLiteral(" = "));
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (eq > 0 && !line.left(eq).contains(QLatin1Char(' ')))
            o.values.insert(line.left(eq), line.mid(eq + 3));
        else if (colon > 0 && !line.left(colon).contains(QLatin1Char(' ')))
            o.codes.insert(line.left(colon), line.mid(colon + 2).section(' ', 0, 0).toInt());
    }
    return o;
}

} // namespace

class TestFNConsole : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { FDir = std::make_unique<TestDataDir>(); }
    void cleanup() { FDir.reset(); }
    void wholeLifeThroughConsole();
    void killedProcessKeepsAnsweredDocuments();

private:
    QStringList Args(const QStringList& options, const QStringList& items);
    // Runs the items as a script, with console options before them.
    Output Run(const QStringList& items, const QStringList& options = {});
    void CheckStep(int i);
    std::unique_ptr<TestDataDir> FDir;
    int FScripts = 0;
};

QStringList TestFNConsole::Args(const QStringList& options, const QStringList& items) {
    const QString script = FDir->File(QStringLiteral("step%1.txt").arg(++FScripts));
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write the script");
    f.write(items.join(QLatin1Char('\n')).toUtf8());
    f.close();
    return QStringList{"--data", FDir->Path(), "--connection", "embedded"} + options +
           QStringList{"--script", script};
}

Output TestFNConsole::Run(const QStringList& items, const QStringList& options) {
    QProcess p;
    p.start(QStringLiteral(LEDGRA_CONSOLE), Args(options, items));
    if (!p.waitForFinished(60000))
        qFatal("the console hangs");
    return Parse(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()));
}

void TestFNConsole::CheckStep(int i) {
    const Step& s = kSteps[i];
    const Output o = Run({"FNGetStatus()", "FNLifeState?", "FNSessionState?", "DocumentNumber?",
                          "FNCurrentDocument?", "FNGetCurrentSessionParams()", "SessionNumber?"});
    QVERIFY2(o.status == 0, qPrintable(o.text));
    QVERIFY2(o.Int("FNLifeState") == s.phase, s.name);
    QCOMPARE(o.Int("FNSessionState"), s.shiftOpen);
    QCOMPARE(o.Int("DocumentNumber"), s.lastDocument);
    QCOMPARE(o.Int("FNCurrentDocument"), 0);
    QCOMPARE(o.Int("SessionNumber"), s.shiftNumber);
}

void TestFNConsole::wholeLifeThroughConsole() {
    Output o = Run({"ReadSerialNumber()", "SerialNumber?"}, {"--vr", "offline"});
    QCOMPARE(o.status, 0);
    const QString rnm = GenerateRNM(kOrdinal, kInn, o.Value("SerialNumber"), TRNMLongValues::Cut);
    CHECK_STEP(0);

    // Registration, as the fiscalization page sends it: the time zone, the
    // FN table's extended mode and reasons, then the report.
    const QStringList registration = {"INN=" + kInn, "KKTRegistrationNumber=" + rnm,
                                      "WorkMode=" + QString::number(kWorkMode)};
    auto field = [](int table, int fieldNumber, int value) {
        return QStringList{"TableNumber=" + QString::number(table), "RowNumber=1",
                           "FieldNumber=" + QString::number(fieldNumber),
                           "ValueOfFieldInteger=" + QString::number(value), "WriteTable()"};
    };
    o = Run(field(17, 66, kTimeZone) + field(18, 21, 0) + field(18, 22, 0) +
            QStringList{"ReportTypeInt=0", "FNBeginRegistrationReport()", "FNGetStatus()",
                        "FNCurrentDocument?"} +
            registration +
            QStringList{"TaxType=" + QString::number(kTaxFirst), "FNBuildRegistrationReport()",
                        "DocumentNumber?", "FiscalSign?"});
    QVERIFY2(o.status == 0, qPrintable(o.text));
    QCOMPARE(o.Int("FNCurrentDocument"), 1);
    QCOMPARE(o.Int("DocumentNumber"), 1);
    const QString sign = o.Value("FiscalSign");
    CHECK_STEP(1);

    // Read back: latest, by number, as text, one tag as TLV.
    o = Run({"FNGetFiscalizationResult()", "INN?", "KKTRegistrationNumber?", "TaxType?",
             "RegistrationNumber=1", "FNGetFiscalizationResultByNumber()", "FiscalSign?",
             "RequestDocumentType=1", "ShowTagNumber=1", "FNGetDocumentAsString()",
             "StringForPrinting?", "TagNumber=1062", "FNRequestRegistrationTLV()", "TLVData?"});
    QVERIFY2(o.status == 0, qPrintable(o.text));
    QCOMPARE(o.Value("INN"), kInn);
    QCOMPARE(o.Value("KKTRegistrationNumber"), rnm);
    QCOMPARE(o.Int("TaxType"), kTaxFirst);
    QCOMPARE(o.Value("FiscalSign"), sign);
    QVERIFY(o.text.contains(QStringLiteral("\nИНН ПОЛЬЗ. (1018): %1\n").arg(kInn)));
    QCOMPARE(o.Value("TLVData"), QStringLiteral("26 04 01 00 21"));

    o = Run(
        {"FNBeginOpenSession()", "OpenSession()", "GetShortECRStatus()", "UpdateKeysResultCode?"});
    QVERIFY2(o.status == 0, qPrintable(o.text));
    QCOMPARE(o.Int("UpdateKeysResultCode"), 255); // offline: no link to the key service
    CHECK_STEP(2);
    QCOMPARE(Run({"FNBeginCloseSession()", "PrintReportWithCleaning()"}).status, 0);
    CHECK_STEP(3);

    o = Run({"FNBeginCalculationStateReport()", "FNBuildCalculationStateReport()",
             "DocumentNumber?", "DocumentCount?"});
    QVERIFY2(o.status == 0, qPrintable(o.text));
    QCOMPARE(o.Int("DocumentNumber"), 4);
    QCOMPARE(o.Int("DocumentCount"), kUnsentAtReport);
    CHECK_STEP(4);

    o = Run(field(18, 22, kReasonsEx) +
            QStringList{"ReportTypeInt=2", "FNBeginRegistrationReport()",
                        "RegistrationReasonCode=" + QString::number(kReason)} +
            registration +
            QStringList{"TaxType=" + QString::number(kTaxSecond), "FNBuildReregistrationReport()",
                        "FNGetFiscalizationResult()", "DocumentNumber?", "TaxType?",
                        "RegistrationReasonCode?", "RegistrationReasonCodeEx?"});
    QVERIFY2(o.status == 0, qPrintable(o.text));
    QCOMPARE(o.Int("DocumentNumber"), 5);
    QCOMPARE(o.Int("TaxType"), kTaxSecond);
    QCOMPARE(o.Int("RegistrationReasonCode"), kReason);
    QCOMPARE(o.Int("RegistrationReasonCodeEx"), kReasonsEx);
    CHECK_STEP(5);

    o = Run({"FNBeginCloseFiscalMode()", "FNCloseFiscalMode()", "DocumentNumber?"});
    QVERIFY2(o.status == 0, qPrintable(o.text));
    QCOMPARE(o.Int("DocumentNumber"), 6);
    CHECK_STEP(6);

    for (int n = 1; n <= int(std::size(kDocumentTypes)); ++n) {
        o = Run({"DocumentNumber=" + QString::number(n), "FNFindDocument()", "DocumentType?",
                 "DocumentNumber?"});
        QCOMPARE(o.Int("DocumentType"), kDocumentTypes[n - 1]);
        QCOMPARE(o.Int("DocumentNumber"), n);
    }
    // A closed fiscal mode takes no new document.
    o = Run({"OpenSession()", "FNBuildCalculationStateReport()"});
    QCOMPARE(o.status, 1);
    QCOMPARE(o.codes.value("OpenSession"), 2);
    QCOMPARE(o.codes.value("FNBuildCalculationStateReport"), 2);
    CHECK_STEP(6);

    QCOMPARE(Run({}, {"--vr", "online 0"}).status, 0);
    CHECK_STEP(7);

    // A new storage takes the registration carried over.
    QCOMPARE(Run({}, {"--vr", "fn-replace"}).status, 0);
    CHECK_STEP(0);
    o = Run(
        field(18, 22, 1) +
        QStringList{"ReportTypeInt=1", "FNBeginRegistrationReport()", "RegistrationReasonCode=1"} +
        registration +
        QStringList{"TaxType=" + QString::number(kTaxSecond), "FNBuildReregistrationReport()",
                    "DocumentNumber?"});
    QVERIFY2(o.status == 0, qPrintable(o.text));
    QCOMPARE(o.Int("DocumentNumber"), 1);
    CHECK_STEP(1);
}

// A console killed while it waits for an answer keeps every document that
// was answered before.
void TestFNConsole::killedProcessKeepsAnsweredDocuments() {
    const Output o = Run({"ReadSerialNumber()", "SerialNumber?"}, {"--vr", "offline"});
    const QString rnm = GenerateRNM(kOrdinal, kInn, o.Value("SerialNumber"), TRNMLongValues::Cut);
    QProcess p;
    p.start(QStringLiteral(LEDGRA_CONSOLE),
            Args({"--vr", "delay FNGetStatus 60000"},
                 {"INN=" + kInn, "KKTRegistrationNumber=" + rnm, "TaxType=1",
                  "FNBuildRegistrationReport()", "OpenSession()", "FNGetStatus()"}));
    QByteArray out;
    while (!out.contains("OpenSession: 0") && p.waitForReadyRead(30000))
        out += p.readAllStandardOutput();
    QVERIFY2(out.contains("OpenSession: 0"), out.constData());
    p.kill();
    p.waitForFinished();

    QCOMPARE(Run({}, {"--vr", "delay FNGetStatus 0"}).status, 0);
    CHECK_STEP(2);
}

QTEST_GUILESS_MAIN(TestFNConsole)
#include "tst_fnconsole.moc"
