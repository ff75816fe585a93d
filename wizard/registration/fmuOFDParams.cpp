#include "wizard/registration/fmuOFDParams.h"

#include "common/RunHandler.h"
#include "driver/untTexts.h"
#include "platform/LedgraErrors.h"
#include "wizard/frame/untController.h"
#include "wizard/frame/untWizardDriver.h"
#include "wizard/registration/untRegChecks.h"
#include "wizard/search/untStepControls.h"

#include "ui_fmuOFDParams.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QScopeGuard>

namespace {
constexpr int kFFD12 = 4;

bool Blank(const QLineEdit* edit) {
    return edit->text().trimmed().isEmpty();
}

// "Введите значение "<field>"!" when a required field is empty.
void Require(bool present, const char* field) {
    if (!present)
        throw EError(QString::fromUtf8("Введите значение \"%1\"!").arg(QString::fromUtf8(field)));
}
} // namespace

TfmOFDParams::TfmOFDParams(QWidget* parent)
    : TParamPage(parent), ui(std::make_unique<Ui::TfmOFDParams>()) {
    ui->setupUi(this);
    const QRegularExpression digits(QStringLiteral("[0-9]*"));
    ui->edtPortKM->setValidator(new QRegularExpressionValidator(digits, ui->edtPortKM));
    ui->cbTemplates->addItem(QString::fromUtf8("--Выбрать шаблон--"));
    connect(ui->btnOpenTemplate, &QPushButton::clicked, this,
            [this] { RunHandler(this, [this] { btnOpenTemplateClick(); }); });
    connect(ui->btnSaveTemplate, &QPushButton::clicked, this,
            [this] { RunHandler(this, [this] { btnSaveTemplateClick(); }); });
}

TfmOFDParams::~TfmOFDParams() = default;

TOFDTemplate TfmOFDParams::ShownValues() const {
    return {ui->edtOFDServer->text(), ui->edtOFDPort->text(), ui->edtOFDName->text(),
            ui->edtOFDUrl->text(),    ui->edtOFDINN->text(),  ui->edtTaxOfficeURL->text(),
            ui->edtServerKM->text(),  ui->edtPortKM->text(),  ui->edtSenderEmail->text()};
}

void TfmOFDParams::ShowValues(const TOFDTemplate& v) {
    ui->edtOFDServer->setText(v.OFDServer);
    ui->edtOFDPort->setText(v.OFDPort);
    ui->edtOFDName->setText(v.OFDName);
    ui->edtOFDUrl->setText(v.OFDUrl);
    ui->edtOFDINN->setText(v.INNOFD);
    ui->edtTaxOfficeURL->setText(v.TaxOfficeURL);
    ui->edtServerKM->setText(v.ServerKM);
    ui->edtPortKM->setText(v.PortKM);
    ui->edtSenderEmail->setText(v.SenderEmail);
}

void TfmOFDParams::FillTemplateList() {
    disconnect(FTemplateHandler);
    FTemplateFiles = ListOFDTemplates(OFDTemplateFolders());
    while (ui->cbTemplates->count() > 1)
        ui->cbTemplates->removeItem(1);
    for (const QString& file : FTemplateFiles)
        ui->cbTemplates->addItem(OFDTemplateName(file));
    ui->cbTemplates->setCurrentIndex(0);
}

void TfmOFDParams::OnShow() {
    FillTemplateList();
    // Whatever the register answers, the fields shown become the defaults
    // and the list starts answering only now.
    auto attach = qScopeGuard([this] {
        FDefaults = ShownValues();
        FTemplateHandler =
            connect(ui->cbTemplates, &QComboBox::currentIndexChanged, this, [this](int index) {
                RunHandler(this, [this, index] { cbTemplatesChange(index); });
            });
    });
    FillFields();
}

void TfmOFDParams::FillFields() {
    const TController& c = Controller();
    const TRegParams& r = c.RegParams;
    const bool km = r.FFD == kFFD12;
    SetEditEnabled(ui->edtOFDServer, r.OFDEnabled);
    SetEditEnabled(ui->edtOFDPort, r.OFDEnabled);
    for (QLabel* label : {ui->lblServerKM, ui->lblPortKM})
        label->setEnabled(km);
    SetEditEnabled(ui->edtServerKM, km);
    SetEditEnabled(ui->edtPortKM, km);

    auto endConnection = qScopeGuard([] { WizardDriver().Disconnect(); });
    // Without the operator table there is nothing to read; an earlier job's
    // server must not be carried over into this one's data.
    if (!r.OFDServer.isEmpty())
        ui->edtOFDServer->setText(r.OFDServer);
    else
        ui->edtOFDServer->setText(r.OFDEnabled ? TableReadStr(19, 1, 1) : QString());
    if (r.OFDPort != 0)
        ui->edtOFDPort->setText(QString::number(r.OFDPort));
    else
        ui->edtOFDPort->setText(r.OFDEnabled ? QString::number(TableReadInt(19, 1, 2)) : QString());
    ui->edtOFDName->setText(!r.OFDName.isEmpty() ? r.OFDName : TableReadStr(18, 1, 10));
    ui->edtOFDUrl->setText(!r.OFDUrl.isEmpty() ? r.OFDUrl : TableReadStr(18, 1, 11));
    ui->edtOFDINN->setText(!r.OFDINN.isEmpty() ? r.OFDINN : TableReadStr(18, 1, 12));
    ui->edtTaxOfficeURL->setText(!r.TaxOfficeURL.isEmpty() ? r.TaxOfficeURL : TaxServiceSite());
    if (km) {
        ui->edtServerKM->setText(!r.ServerKM.isEmpty() ? r.ServerKM : TableReadStr(19, 1, 5));
        ui->edtPortKM->setText(QString::number(r.PortKM != 0 ? r.PortKM : TableReadInt(19, 1, 6)));
    }
    ui->edtSenderEmail->setText(!r.SenderEmail.isEmpty() ? r.SenderEmail
                                                         : TableReadStrOpt(18, 1, 15));
}

void TfmOFDParams::cbTemplatesChange(int index) {
    if (index == 0) {
        ShowValues(FDefaults);
        return;
    }
    if (index - 1 >= FTemplateFiles.size())
        return;
    if (const auto values = ReadOFDTemplate(FTemplateFiles[index - 1]))
        ShowValues(*values);
}

void TfmOFDParams::btnOpenTemplateClick() {
    QFileDialog dlgOpen(this, QString(), OFDTemplateWriteFolder(), QStringLiteral("*.xml"));
    dlgOpen.setObjectName(QStringLiteral("dlgOpenTemplate"));
    dlgOpen.setAcceptMode(QFileDialog::AcceptOpen);
    dlgOpen.setFileMode(QFileDialog::ExistingFile);
    if (dlgOpen.exec() != QDialog::Accepted || dlgOpen.selectedFiles().isEmpty())
        return;
    if (const auto values = ReadOFDTemplate(dlgOpen.selectedFiles().constFirst()))
        ShowValues(*values);
}

void TfmOFDParams::btnSaveTemplateClick() {
    QFileDialog dlgSave(this, QString(), OFDTemplateWriteFolder(), QStringLiteral("*.xml"));
    dlgSave.setObjectName(QStringLiteral("dlgSaveTemplate"));
    dlgSave.setAcceptMode(QFileDialog::AcceptSave);
    dlgSave.setDefaultSuffix(QStringLiteral("xml"));
    if (dlgSave.exec() != QDialog::Accepted || dlgSave.selectedFiles().isEmpty())
        return;
    WriteOFDTemplate(dlgSave.selectedFiles().constFirst(), ShownValues());
    // The new template is offered at once; the fields stay as they are.
    const QSignalBlocker quiet(ui->cbTemplates);
    FillTemplateList();
}

void TfmOFDParams::Next() {
    TRegParams& r = Controller().RegParams;
    if (r.OFDEnabled) {
        Require(!Blank(ui->edtOFDServer), "Сервер ОФД");
        Require(!Blank(ui->edtOFDPort), "Порт сервера ОФД");
    }
    Require(!Blank(ui->edtOFDName), "Имя ОФД");
    Require(!Blank(ui->edtOFDUrl), "URL ОФД");
    Require(!Blank(ui->edtOFDINN), "ИНН ОФД");
    Require(!Blank(ui->edtTaxOfficeURL), "URL налог. органа");

    const QString site = TaxServiceSite();
    if (ui->edtTaxOfficeURL->text() != site) {
        QMessageBox box(
            QMessageBox::Warning, QString::fromUtf8("Внимание!"),
            QString::fromUtf8("URL налогового органа отличается от \n\"%1\"\nПродолжить?")
                .arg(site),
            QMessageBox::Ok | QMessageBox::Cancel, this);
        box.setDefaultButton(QMessageBox::Cancel);
        if (box.exec() != QMessageBox::Ok)
            throw EError(QString::fromUtf8("Исправьте URL налогового органа"));
    }

    if (r.FFD == kFFD12) {
        Require(!Blank(ui->edtServerKM), "Сервер KM");
        Require(!Blank(ui->edtPortKM), "Порт сервера KM");
    }
    Require(!Blank(ui->edtSenderEmail), "E-mail отправителя");
    if (!IsValidEmail(ui->edtSenderEmail->text()))
        throw EError(QString::fromUtf8("Введен некорректный E-mail отправителя"));

    switch (CheckINN(ui->edtOFDINN->text().trimmed())) {
    case TINNCheck::Valid:
        break;
    case TINNCheck::Invalid:
        throw EError(QString::fromUtf8("ИНН ОФД не валидный!"));
    case TINNCheck::NotNumber:
        throw EError(QString::fromUtf8("Ошибка в ИНН ОФД"));
    }

    // The port is required only with the operator table; without it an empty
    // field means no port.
    const int ofdPort =
        Blank(ui->edtOFDPort) && !r.OFDEnabled ? 0 : StrToIntChecked(ui->edtOFDPort->text());
    r.OFDServer = ui->edtOFDServer->text();
    r.OFDPort = ofdPort;
    r.OFDName = ui->edtOFDName->text();
    r.OFDUrl = ui->edtOFDUrl->text();
    r.OFDINN = ui->edtOFDINN->text();
    r.TaxOfficeURL = ui->edtTaxOfficeURL->text();
    r.ServerKM = ui->edtServerKM->text();
    r.PortKM = ui->edtPortKM->text().toInt();
    r.SenderEmail = ui->edtSenderEmail->text();
    Controller().SetNextPage(Controller().IsOFDSettingMode ? "TfmSelectNetType" : "TfmUserParams");
}
