// The registration steps "Выберите тип работы" and "Настройки ОФД", the
// operator templates and the number checks of the registration data, against
// a scripted driver and the embedded virtual register.

#include "ledgra/LedgraComponent.h"
#include "tests/support/WizardTestSupport.h"
#include "wizard/frame/fmuMain.h"
#include "wizard/registration/fmuOFDParams.h"
#include "wizard/registration/fmuSelectWorkType.h"
#include "wizard/registration/untOFDTemplates.h"
#include "wizard/registration/untRegChecks.h"
#include "wizard/search/fmuConnectDevice.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>

namespace {

template <class T> TStepDef Step() {
    return {T::staticMetaObject.className(), [] { return new T; }};
}

// The user's and the system's shared data folders, each a fresh temporary
// folder, for one test.
class TDataFolders {
public:
    TDataFolders() : FOldHome(qgetenv("XDG_DATA_HOME")), FOldDirs(qgetenv("XDG_DATA_DIRS")) {
        qputenv("XDG_DATA_HOME", User.path().toUtf8());
        qputenv("XDG_DATA_DIRS", System.path().toUtf8());
    }
    ~TDataFolders() {
        qputenv("XDG_DATA_HOME", FOldHome);
        qputenv("XDG_DATA_DIRS", FOldDirs);
    }
    QString UserTemplates() const { return Templates(User); }
    QString SystemTemplates() const { return Templates(System); }

    QTemporaryDir User;
    QTemporaryDir System;

private:
    static QString Templates(const QTemporaryDir& base) {
        const QString folder = QDir(base.path()).filePath(QLatin1String(kTemplateSubfolder));
        QDir().mkpath(folder);
        return folder;
    }
    QByteArray FOldHome;
    QByteArray FOldDirs;
};

TOFDTemplate Sample(const QString& name) {
    return {"ofd.example.net",  "7777",       name,   "www.ofd.example",   "1234567894",
            "www.nalog.gov.ru", "km.example", "8080", "sender@example.org"};
}

// The operator step's fields, by the template element they hold.
struct TFieldRow {
    const char* edit;
    QString TOFDTemplate::*value;
};
const TFieldRow kFields[] = {
    {"edtOFDServer", &TOFDTemplate::OFDServer},
    {"edtOFDPort", &TOFDTemplate::OFDPort},
    {"edtOFDName", &TOFDTemplate::OFDName},
    {"edtOFDUrl", &TOFDTemplate::OFDUrl},
    {"edtOFDINN", &TOFDTemplate::INNOFD},
    {"edtTaxOfficeURL", &TOFDTemplate::TaxOfficeURL},
    {"edtServerKM", &TOFDTemplate::ServerKM},
    {"edtPortKM", &TOFDTemplate::PortKM},
    {"edtSenderEmail", &TOFDTemplate::SenderEmail},
};

TOFDTemplate Fields(QWidget& page) {
    TOFDTemplate v;
    for (const TFieldRow& f : kFields)
        v.*f.value = Find<QLineEdit>(page, f.edit)->text();
    return v;
}
void SetFields(QWidget& page, const TOFDTemplate& v) {
    for (const TFieldRow& f : kFields)
        Find<QLineEdit>(page, f.edit)->setText(v.*f.value);
}

// Registration data that fill every field of the operator step.
void FillRegParams(TRegParams& r, const TOFDTemplate& v) {
    r.OFDServer = v.OFDServer;
    r.OFDPort = v.OFDPort.toInt();
    r.OFDName = v.OFDName;
    r.OFDUrl = v.OFDUrl;
    r.OFDINN = v.INNOFD;
    r.TaxOfficeURL = v.TaxOfficeURL;
    r.ServerKM = v.ServerKM;
    r.PortKM = v.PortKM.toInt();
    r.SenderEmail = v.SenderEmail;
}

QStringList Entries(QComboBox* list) {
    QStringList r;
    for (int i = 0; i < list->count(); ++i)
        r << list->itemText(i);
    return r;
}

} // namespace

class TestWizardRegSteps : public QObject {
    Q_OBJECT
    TWizardFake<> FDriver{"{TEST-FAKE-WIZARD-REG}"};

    // Next through the frame's handler; the error shown, if any.
    QString NextError(TParamPage& page) {
        FDriver.Shown.clear();
        RunHandler(&page, [&page] { page.Next(); });
        return FDriver.Shown.value(0);
    }

private slots:
    void initTestCase() { FDriver.RegisterWithVirtualRegister(); }
    void init() { FDriver.Init(); }
    void cleanup() { FDriver.Cleanup(); }

    void innCheck_data() {
        QTest::addColumn<QString>("inn");
        QTest::addColumn<int>("result");
        const int ok = int(TINNCheck::Valid), bad = int(TINNCheck::Invalid),
                  nan = int(TINNCheck::NotNumber);
        QTest::newRow("10 digits") << "1234567894" << ok;
        QTest::newRow("10 digits, wrong check digit") << "1234567895" << bad;
        QTest::newRow("12 digits, only the 12th counts") << "123456789015" << ok;
        QTest::newRow("12 digits, wrong 12th") << "123456789016" << bad;
        QTest::newRow("11 digits") << "12345678904" << ok;
        QTest::newRow("check sum 10 gives 0") << "0010000000" << ok;
        QTest::newRow("9 digits") << "123456789" << bad;
        QTest::newRow("13 digits") << "1234567890123" << bad;
        QTest::newRow("empty") << "" << bad;
        QTest::newRow("letter") << "12345678a4" << nan;
        QTest::newRow("blank inside") << "12345 7894" << nan;
        QTest::newRow("other script digit") << QString::fromUtf8("123456789٤") << nan;
    }
    void innCheck() {
        QFETCH(QString, inn);
        QFETCH(int, result);
        QCOMPARE(int(CheckINN(inn)), result);
    }

    void emailAndRnmCheck_data() {
        QTest::addColumn<QString>("email");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "a@b" << true;
        QTest::newRow("at first") << "@b.ru" << false;
        QTest::newRow("at last") << "a@" << false;
        QTest::newRow("no at") << "ab.ru" << false;
        QTest::newRow("second at last, first inside") << "a@b@" << true;
    }
    void emailAndRnmCheck() {
        QFETCH(QString, email);
        QFETCH(bool, valid);
        QCOMPARE(IsValidEmail(email), valid);
        QVERIFY(IsValidRNM("0000000001056534", "1234567894", "12345"));
        QVERIFY(!IsValidRNM("0000000001056534", "1234567894", "12346"));
    }

    void templateWrittenAndRead() {
        TDataFolders folders;
        const QString path = QDir(OFDTemplateWriteFolder()).filePath("t.xml");
        QVERIFY(path.startsWith(folders.User.path()));
        const TOFDTemplate written = Sample(QString::fromUtf8("ОФД <&> \"Тест\""));
        WriteOFDTemplate(path, written);
        QCOMPARE(ReadOFDTemplate(path), std::optional<TOFDTemplate>(written));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.startsWith(R"(<?xml version="1.0" encoding="UTF-8"?>)"));
        // The elements in their order under the root, one a line.
        const QStringList order{"<OFDParams>", "<OFDServer>",  "<OFDPort>",      "<OFDName>",
                                "<OFDUrl>",    "<INNOFD>",     "<TaxOfficeURL>", "<ServerKM>",
                                "<PortKM>",    "<SenderEmail>"};
        qsizetype at = 0;
        for (const QString& tag : order) {
            const qsizetype next = text.indexOf(tag, at);
            QVERIFY2(next > at || (at == 0 && next >= 0), qPrintable(tag));
            at = next;
        }
        QVERIFY(text.contains("\n    <OFDServer>"));
    }

    void templateRead_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("server");
        QTest::newRow("missing elements are empty")
            << QByteArray("<OFDParams><OFDName>N</OFDName></OFDParams>") << true << "N"
            << "";
        QTest::newRow("the first of a name counts")
            << QByteArray("<OFDParams><OFDName>A</OFDName><OFDName>B</OFDName>"
                          "<Other>x</Other><OFDServer>s</OFDServer></OFDParams>")
            << true << "A"
            << "s";
        QTest::newRow("another root")
            << QByteArray("<Params><OFDName>N</OFDName></Params>") << false << ""
            << "";
        QTest::newRow("broken") << QByteArray("<OFDParams><OFDName>N</OFD") << false << ""
                                << "";
        QTest::newRow("empty file") << QByteArray() << false << ""
                                    << "";
    }
    void templateRead() {
        QFETCH(QByteArray, content);
        QFETCH(bool, read);
        QFETCH(QString, name);
        QFETCH(QString, server);
        QTemporaryDir dir;
        QFile file(dir.filePath("t.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        const auto values = ReadOFDTemplate(file.fileName());
        QCOMPARE(values.has_value(), read);
        if (read) {
            QCOMPARE(values->OFDName, name);
            QCOMPARE(values->OFDServer, server);
            QCOMPARE(values->SenderEmail, QString());
        }
    }

    // The list: its first entry, then the templates of every folder by name
    // (the user's hide the system's of the same name), the last template of
    // the marked operator moved to the front; on the step, loading and
    // restoring the values shown.
    void templateList() {
        TDataFolders folders;
        const QString marked = QString::fromUtf8("ЯРУС (ОФД-Я)");
        const QString user = folders.UserTemplates();
        const QString system = folders.SystemTemplates();
        WriteOFDTemplate(QDir(user).filePath("b.xml"), Sample("user b"));
        WriteOFDTemplate(QDir(user).filePath(marked + " 1.xml"), Sample("marked 1"));
        WriteOFDTemplate(QDir(system).filePath(marked + " 2.xml"), Sample("marked 2"));
        WriteOFDTemplate(QDir(system).filePath("a.xml"), Sample("system a"));
        WriteOFDTemplate(QDir(system).filePath("b.xml"), Sample("system b"));
        WriteOFDTemplate(QDir(system).filePath("note.txt"), Sample("not a template"));
        QDir(system).mkpath("sub");
        WriteOFDTemplate(QDir(system).filePath("sub/c.xml"), Sample("in a subfolder"));

        TfmOFDParams page;
        TRegParams& r = Controller().RegParams;
        r.OFDEnabled = true;
        r.FFD = 4;
        const TOFDTemplate shown = Sample("shown");
        FillRegParams(r, shown);
        page.OnShow();
        auto* list = Find<QComboBox>(page, "cbTemplates");
        QCOMPARE(Entries(list), (QStringList{QString::fromUtf8("--Выбрать шаблон--"), marked + " 2",
                                             "b", marked + " 1", "a"}));
        QCOMPARE(list->currentIndex(), 0);
        QCOMPARE(Fields(page), shown); // filling did not load a template
        QVERIFY(FDriver.Fake->CallCount(MethodId::ReadTable) == 0);

        list->setCurrentIndex(1);
        QCOMPARE(Fields(page).OFDName, QStringLiteral("marked 2"));
        list->setCurrentIndex(2);
        QCOMPARE(Fields(page).OFDName, QStringLiteral("user b"));
        list->setCurrentIndex(0);
        QCOMPARE(Fields(page), shown);

        // Shown again: the list is rebuilt once, not grown.
        page.OnShow();
        QCOMPARE(list->count(), 5);
        QVERIFY(FDriver.Shown.isEmpty());
    }

    void templateListEmpty() {
        TDataFolders folders;
        TfmOFDParams page;
        FillRegParams(Controller().RegParams, Sample("shown"));
        page.OnShow();
        auto* list = Find<QComboBox>(page, "cbTemplates");
        QCOMPARE(Entries(list), QStringList{QString::fromUtf8("--Выбрать шаблон--")});
        QCOMPARE(Fields(page).OFDName, QStringLiteral("shown"));
    }

    void templateSavedAndOpened() {
        TDataFolders folders;
        TfmOFDParams page;
        FillRegParams(Controller().RegParams, Sample("shown"));
        Controller().RegParams.FFD = 4;
        page.OnShow();
        const TOFDTemplate saved = Sample("saved");
        SetFields(page, saved);
        const QString path = QDir(OFDTemplateWriteFolder()).filePath("mine.xml");
        {
            TModalAnswer answer([&path](QWidget* w) { ChooseFile(w, path); });
            Click(page, "btnSaveTemplate");
        }
        QCOMPARE(ReadOFDTemplate(path), std::optional<TOFDTemplate>(saved));
        QVERIFY(Entries(Find<QComboBox>(page, "cbTemplates")).contains("mine"));

        SetFields(page, Sample("other"));
        {
            TModalAnswer answer([&path](QWidget* w) { ChooseFile(w, path); });
            Click(page, "btnOpenTemplate");
        }
        QCOMPARE(Fields(page), saved);
        QVERIFY(FDriver.Shown.isEmpty());
    }

    // Pre-filling: each value from the registration data, else from the
    // register (server and port only with the operator table, the marking
    // servers only for ФФД 1.2).
    void prefillFromRegister() {
        TDataFolders folders;
        TRegParams& r = Controller().RegParams;
        r.OFDEnabled = true;
        r.FFD = 4;
        r.OFDName = QStringLiteral("from params");
        using P = PropertyId;
        auto& fake = *FDriver.Fake;
        fake.Answer(MethodId::ReadTable, 0, {{P::ValueOfFieldString, "srv.example"}})
            .Answer(MethodId::ReadTable, 0, {{P::ValueOfFieldInteger, 21101}})
            .Answer(MethodId::ReadTable, 0, {{P::ValueOfFieldString, "www.ofd.example"}})
            .Answer(MethodId::ReadTable, 0, {{P::ValueOfFieldString, "1234567894"}})
            .Answer(MethodId::ReadTable, 0, {{P::ValueOfFieldString, "km.example"}})
            .Answer(MethodId::ReadTable, 0, {{P::ValueOfFieldInteger, 8080}})
            .Answer(MethodId::ReadTable, 93); // no sender e-mail field
        TfmOFDParams page;
        page.OnShow();
        QVERIFY(FDriver.Shown.isEmpty());
        QCOMPARE(Fields(page),
                 (TOFDTemplate{"srv.example", "21101", "from params", "www.ofd.example",
                               "1234567894", TaxServiceSite(), "km.example", "8080", ""}));
        QCOMPARE(fake.CallCount(MethodId::ReadTable), 7);
        QCOMPARE(fake.Calls().constLast(), QStringLiteral("Disconnect"));
        QVERIFY(Find<QLineEdit>(page, "edtOFDServer")->isEnabled());
        QVERIFY(Find<QLineEdit>(page, "edtServerKM")->isEnabled());
        QVERIFY(Find<QLabel>(page, "lblServerKM")->isEnabled());

        // Without the operator table and with ФФД 1.05: no server reads and
        // the fields that do not apply are off.
        fake.ClearLog();
        r.OFDEnabled = false;
        r.FFD = 2;
        page.OnShow();
        QCOMPARE(fake.CallCount(MethodId::ReadTable), 3); // site, ИНН, e-mail
        // The server read for the earlier job is not carried over.
        QCOMPARE(Find<QLineEdit>(page, "edtOFDServer")->text(), QString());
        QCOMPARE(Find<QLineEdit>(page, "edtOFDPort")->text(), QString());
        QVERIFY(!Find<QLineEdit>(page, "edtOFDServer")->isEnabled());
        QVERIFY(!Find<QLineEdit>(page, "edtOFDPort")->isEnabled());
        QVERIFY(!Find<QLineEdit>(page, "edtPortKM")->isEnabled());
        QVERIFY(!Find<QLabel>(page, "lblPortKM")->isEnabled());
    }

    // The checks of Next in their order, each from a form that passes.
    void ofdNext_data() {
        QTest::addColumn<bool>("ofdEnabled");
        QTest::addColumn<int>("ffd");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("error");
        auto required = [](const char* field) {
            return QString::fromUtf8("Введите значение \"%1\"!").arg(QString::fromUtf8(field));
        };
        QTest::newRow("all set") << true << 4 << ""
                                 << ""
                                 << "";
        QTest::newRow("server") << true << 2 << "edtOFDServer"
                                << " " << required("Сервер ОФД");
        QTest::newRow("port") << true << 2 << "edtOFDPort"
                              << "" << required("Порт сервера ОФД");
        QTest::newRow("no server needed without the table") << false << 2 << "edtOFDServer"
                                                            << ""
                                                            << "";
        QTest::newRow("name before site") << true << 2 << "edtOFDName"
                                          << "" << required("Имя ОФД");
        QTest::newRow("site") << true << 2 << "edtOFDUrl"
                              << "" << required("URL ОФД");
        QTest::newRow("operator ИНН") << true << 2 << "edtOFDINN"
                                      << "" << required("ИНН ОФД");
        QTest::newRow("tax site") << true << 2 << "edtTaxOfficeURL"
                                  << "" << required("URL налог. органа");
        QTest::newRow("marking server, ФФД 1.2") << false << 4 << "edtServerKM"
                                                 << "" << required("Сервер KM");
        QTest::newRow("marking port, ФФД 1.2") << true << 4 << "edtPortKM"
                                               << "" << required("Порт сервера KM");
        QTest::newRow("marking server not needed, ФФД 1.05") << true << 2 << "edtServerKM"
                                                             << ""
                                                             << "";
        QTest::newRow("e-mail") << true << 2 << "edtSenderEmail"
                                << "" << required("E-mail отправителя");
        QTest::newRow("e-mail without a name")
            << true << 2 << "edtSenderEmail"
            << "@example.org" << QString::fromUtf8("Введен некорректный E-mail отправителя");
        QTest::newRow("operator ИНН check digit")
            << true << 2 << "edtOFDINN"
            << "1234567895" << QString::fromUtf8("ИНН ОФД не валидный!");
        QTest::newRow("operator ИНН trimmed") << true << 2 << "edtOFDINN"
                                              << " 1234567894 "
                                              << "";
        QTest::newRow("operator ИНН not a number")
            << true << 2 << "edtOFDINN"
            << "12345678x4" << QString::fromUtf8("Ошибка в ИНН ОФД");
        QTest::newRow("port not a number") << true << 2 << "edtOFDPort"
                                           << "7a"
                                           << "\"7a\"";
    }
    void ofdNext() {
        QFETCH(bool, ofdEnabled);
        QFETCH(int, ffd);
        QFETCH(QString, edit);
        QFETCH(QString, value);
        QFETCH(QString, error);
        TDataFolders folders;
        TRegParams& r = Controller().RegParams;
        r.OFDEnabled = ofdEnabled;
        r.FFD = ffd;
        TfmOFDParams page;
        page.OnShow();
        TOFDTemplate form = Sample(QString::fromUtf8("ОФД"));
        SetFields(page, form);
        if (!edit.isEmpty())
            Find<QLineEdit>(page, qPrintable(edit))->setText(value);
        Controller().SetNextPage("none");
        const QString shown = NextError(page);
        if (error.startsWith('"')) {
            QVERIFY2(shown.contains(error), qPrintable(shown)); // the conversion error
            return;
        }
        QCOMPARE(shown, error);
        if (!error.isEmpty()) {
            QCOMPARE(Controller().NextPageClass, QByteArray("none"));
            QVERIFY(r.OFDName.isEmpty());
            return;
        }
        QCOMPARE(Controller().NextPageClass, QByteArray("TfmUserParams"));
        QCOMPARE(r.OFDServer, Find<QLineEdit>(page, "edtOFDServer")->text());
        QCOMPARE(r.OFDPort, 7777);
        QCOMPARE(r.OFDName, form.OFDName);
        QCOMPARE(r.OFDINN, Find<QLineEdit>(page, "edtOFDINN")->text());
        QCOMPARE(r.TaxOfficeURL, form.TaxOfficeURL);
        QCOMPARE(r.PortKM, 8080);
        QCOMPARE(r.SenderEmail, form.SenderEmail);
    }

    // Without the operator table an empty port is no port, not a
    // conversion error that would keep every such register on the step.
    void ofdNextWithoutTablePortEmpty() {
        TDataFolders folders;
        TRegParams& r = Controller().RegParams;
        r.OFDEnabled = false;
        r.FFD = 2;
        r.OFDPort = 5;
        TfmOFDParams page;
        page.OnShow();
        TOFDTemplate form = Sample("n");
        form.OFDServer.clear();
        form.OFDPort.clear();
        SetFields(page, form);
        Controller().IsOFDSettingMode = true;
        QCOMPARE(NextError(page), QString());
        QCOMPARE(r.OFDPort, 0);
        QCOMPARE(Controller().NextPageClass, QByteArray("TfmSelectNetType"));
    }

    void ofdMarkingFieldsEmpty() {
        TDataFolders folders;
        TRegParams& r = Controller().RegParams;
        r.FFD = 4;
        FillRegParams(r, Sample("n"));
        r.ServerKM.clear();
        r.PortKM = 0;
        TfmOFDParams page;
        page.OnShow(); // the register has none either
        Find<QLineEdit>(page, "edtPortKM")->clear();
        QCOMPARE(NextError(page), QString::fromUtf8("Введите значение \"Сервер KM\"!"));
    }

    void ofdTaxSiteQuestion_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("continue") << true;
        QTest::newRow("cancel") << false;
    }
    void ofdTaxSiteQuestion() {
        QFETCH(bool, ok);
        TDataFolders folders;
        FillRegParams(Controller().RegParams, Sample("n"));
        Controller().RegParams.TaxOfficeURL = QStringLiteral("www.tax.example");
        TfmOFDParams page;
        page.OnShow();
        QString text;
        QString caption;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QString shown;
        {
            TModalAnswer answer([&](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                text = box->text();
                caption = box->windowTitle();
                defaultButton = box->standardButton(box->defaultButton());
                box->button(ok ? QMessageBox::Ok : QMessageBox::Cancel)->click();
            });
            shown = NextError(page);
        }
        QCOMPARE(caption, QString::fromUtf8("Внимание!"));
        QCOMPARE(text, QString::fromUtf8("URL налогового органа отличается от \n\"") +
                           TaxServiceSite() + QString::fromUtf8("\"\nПродолжить?"));
        QCOMPARE(defaultButton, QMessageBox::Cancel);
        QCOMPARE(shown, ok ? QString() : QString::fromUtf8("Исправьте URL налогового органа"));
    }

    void workTypeJobs_data() {
        QTest::addColumn<int>("ofdTable");
        QTest::addColumn<int>("jobs");
        QTest::newRow("no operator table") << 0 << 5;
        QTest::newRow("operator table") << 19 << 6;
    }
    void workTypeJobs() {
        QFETCH(int, ofdTable);
        QFETCH(int, jobs);
        FDriver.Fake->DefaultAnswer(MethodId::ReadModelParamValue, 0,
                                    {{PropertyId::ModelParamValue, ofdTable}});
        TfmMain window({Step<TfmConnectDevice>(), Step<TfmSelectWorkType>()});
        window.show();
        auto* page = qobject_cast<TfmSelectWorkType*>(window.Pages().Items(1));
        TController& c = Controller();
        c.KKTName = QStringLiteral("Модель");
        c.KKTSN = QStringLiteral("0001");
        c.RegParams.INN = QStringLiteral("1234567894");
        c.RegParams.TaxSystem = 1;
        c.RegParams.ServerKM = QStringLiteral("kept");
        FDriver.Fake->ClearLog();
        page->OnShow();
        auto* list = Find<QListWidget>(*page, "lbWorkType");
        QCOMPARE(list->count(), jobs);
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(c.RegParams.OFDEnabled, jobs == 6);
        QCOMPARE(Find<QLabel>(*page, "lblKKT")->text(),
                 QString::fromUtf8("Модель, зав. номер 0001"));
        QCOMPARE(page->PrevPage, window.Pages().Items(0));
        QVERIFY(c.RegParams.INN.isEmpty());
        QCOMPARE(c.RegParams.TaxSystem, quint8(255));
        QCOMPARE(c.RegParams.ServerKM, QStringLiteral("kept"));
        QVERIFY(FDriver.Fake->Log().contains("Set ModelParamNumber=73"));
        QCOMPARE(FDriver.Fake->Calls(), (QStringList{"ReadModelParamValue", "Disconnect"}));
        // Shown again: the same jobs, not twice as many.
        page->OnShow();
        QCOMPARE(list->count(), jobs);
    }

    void workTypeFails() {
        FDriver.Fake->Answer(MethodId::ReadModelParamValue, 1);
        TfmSelectWorkType page;
        QVERIFY(!RunHandler(&page, [&page] { page.OnShow(); }));
        QVERIFY(FDriver.Shown.value(0).startsWith(QStringLiteral("Ошибка 1, ")));
        QCOMPARE(FDriver.Fake->Calls().constLast(), QStringLiteral("Disconnect"));
        QCOMPARE(Find<QListWidget>(page, "lbWorkType")->count(), 5);
        QVERIFY(!Controller().RegParams.OFDEnabled);
    }

    void workTypeNext_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("x5");
        QTest::addColumn<bool>("firstTime");
        QTest::addColumn<bool>("newFN");
        QTest::addColumn<bool>("ofdMode");
        QTest::addColumn<QByteArray>("next");
        // FirstTime and NewFN start true: the jobs that do not set them keep them.
        QTest::newRow("registration") << 0 << false << true << true << false
                                      << QByteArray("TFmCheckStatusBeforeRegistration");
        QTest::newRow("registration, X5")
            << 0 << true << true << true << false << QByteArray("TFmCheckStatusBeforeRegistration");
        QTest::newRow("re-registration") << 1 << false << false << false << false
                                         << QByteArray("TFmCheckStatusBeforeReRegistration");
        QTest::newRow("re-registration, X5")
            << 1 << true << false << false << false << QByteArray("TfmKKTParamsX5");
        QTest::newRow("new FN") << 2 << false << false << true << false
                                << QByteArray("TFmCheckStatusBeforeReRegistration");
        QTest::newRow("new FN, X5")
            << 2 << true << false << true << false << QByteArray("TfmKKTParamsX5");
        QTest::newRow("settlement report")
            << 3 << false << true << true << false << QByteArray("TfmCalculationStateReport");
        QTest::newRow("close archive")
            << 4 << true << true << true << false << QByteArray("TFmCheckStatusBeforeCloseFN");
        QTest::newRow("operator link")
            << 5 << false << true << true << true << QByteArray("TfmOFDParams");
    }
    void workTypeNext() {
        QFETCH(int, row);
        QFETCH(bool, x5);
        QFETCH(bool, firstTime);
        QFETCH(bool, newFN);
        QFETCH(bool, ofdMode);
        QFETCH(QByteArray, next);
        FDriver.Fake->DefaultAnswer(MethodId::ReadModelParamValue, 0,
                                    {{PropertyId::ModelParamValue, 19}});
        TfmMain window({Step<TfmConnectDevice>(), Step<TfmSelectWorkType>()});
        window.show();
        auto* page = window.Pages().Items(1);
        Controller().CurrentPage = page;
        window.ShowPage(1);
        TController& c = Controller();
        c.X5Mode = x5;
        c.RegParams.FirstTime = c.RegParams.NewFN = true;
        c.IsOFDSettingMode = !ofdMode;
        auto* list = Find<QListWidget>(*page, "lbWorkType");
        list->setCurrentRow(row);
        // A double-click on the entry is Next.
        Q_EMIT list->itemDoubleClicked(list->item(row));
        QCOMPARE(c.NextPageClass, next);
        QCOMPARE(c.RegParams.FirstTime, firstTime);
        QCOMPARE(c.RegParams.NewFN, newFN);
        QCOMPARE(c.IsOFDSettingMode, ofdMode);
        QVERIFY(FDriver.Shown.isEmpty());
    }

    // Back from the job list leads to the start, whichever step led there.
    void workTypeBack() {
        TfmMain window({Step<TfmConnectDevice>(), Step<TfmOFDParams>(), Step<TfmSelectWorkType>()});
        window.show();
        // Entered going forward from the operator step, as the frame does it.
        TParamPage* page = window.Pages().Items(2);
        page->PrevPage = window.Pages().Items(1);
        Controller().CurrentPage = page;
        window.ShowPage(2);
        window.btnPrevClick();
        QCOMPARE(window.PageIndex(), 0);
        QCOMPARE(Controller().CurrentPage, window.Pages().Items(0));
    }

    void workTypeOnVirtualRegister() {
        FDriver.UseVirtualRegister();
        TfmMain window({Step<TfmConnectDevice>(), Step<TfmSelectWorkType>()});
        window.show();
        auto* page = window.Pages().Items(1);
        Controller().CurrentPage = page;
        window.ShowPage(1);
        QVERIFY(FDriver.Shown.isEmpty());
        auto* list = Find<QListWidget>(*page, "lbWorkType");
        QCOMPARE(list->count(), 6);
        QVERIFY(Controller().RegParams.OFDEnabled);
        list->setCurrentRow(5);
        Find<QPushButton>(window, "btnNext")->click();
        QCOMPARE(Controller().NextPageClass, QByteArray("TfmOFDParams"));
        QVERIFY(Controller().IsOFDSettingMode);
    }
};

QTEST_MAIN(TestWizardRegSteps)
#include "tst_wizard_regsteps.moc"
