#include "pages/fn/fmuFNFiscalization.h"

#include "common/fmuReasonCodes.h"
#include "driver/BinUtils.h"
#include "driver/untDriver.h"
#include "driver/untTexts.h"
#include "pages/status/untStatusReport.h"
#include "platform/LedgraErrors.h"
#include "platform/Translation.h"
#include "ui_fmuFNFiscalization.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QScopeGuard>

namespace {

// The register's settings table and its field of the ФФД version; the
// re-registration table of the extended work mode and the reasons.
constexpr int kSettingsTable = 17;
constexpr int kTimeZoneField = 66;
constexpr int kFFDVersionField = 17;
constexpr int kReregistrationTable = 18;
constexpr int kWorkModeExField = 21;
constexpr int kReasonCodesField = 22;
constexpr int kOFDINNField = 12;
constexpr int kAutomatTableParam = 75;
constexpr int kMinBuildTimeout = 10000;

constexpr const char* kTimeZoneHints[] = {
    TrNoop("1-я часовая зона (МСК-1, московское время минус 1 час, UTC+2):\r\nКалининградская "
           "область"),
    TrNoop(
        "2-я часовая зона (МСК, московское время, UTC+3):\r\nРеспублика Адыгея (Адыгея), "
        "Республика Дагестан, Донецкая Народная Республика, Республика "
        "Ингушетия,\r\nКабардино-Балкарская Республика, Республика Калмыкия, Карачаево-Черкесская "
        "Республика\r\nРеспублика Карелия, Республика Коми, Республика Крым, Луганская Народная "
        "Республика,\r\nРеспублика Марий Эл, Республика Мордовия, Республика Северная Осетия - "
        "Алания,\r\nРеспублика Татарстан (Татарстан), Чеченская Республика, Чувашская Республика - "
        "Чувашия,\r\nКраснодарский край, Ставропольский край, Архангельская область, Белгородская "
        "область,\r\nБрянская область, Владимирская область, Волгоградская область, Вологодская "
        "область,\r\nВоронежская область, Запорожская область, Ивановская область, Калужская "
        "область,\r\nКировская область, Костромская область, Курская область, Ленинградская "
        "область,\r\nЛипецкая область, Московская область, Мурманская область, Нижегородская "
        "область,\r\nНовгородская область, Орловская область, Пензенская область, Псковская "
        "область,\r\nРостовская область, Рязанская область, Смоленская область, Тамбовская "
        "область,\r\nТверская область, Тульская область, Херсонская область, Ярославская "
        "область,\r\nгорода федерального значения Москва, Санкт-Петербург, Севастополь и Ненецкий "
        "автономный округ"),
    TrNoop(
        "3-я часовая зона (МСК+1, московское время плюс 1 час, UTC+4):\r\nУдмуртская Республика, "
        "Астраханская область, Самарская область, Саратовская область и Ульяновская область"),
    TrNoop("4-я часовая зона (МСК+2, московское время плюс 2 часа, UTC+5):\r\nРеспублика "
           "Башкортостан, Пермский край, Курганская область,\r\nОренбургская область, Свердловская "
           "область, Тюменская область,\r\nЧелябинская область, Ханты-Мансийский автономный округ "
           "- Югра и Ямало-Ненецкий автономный округ"),
    TrNoop("5-я часовая зона (МСК+3, московское время плюс 3 часа, UTC+6): Омская область"),
    TrNoop("6-я часовая зона (МСК+4, московское время плюс 4 часа, UTC+7):\r\nРеспублика Алтай, "
           "Республика Тыва, Республика Хакасия, Алтайский край,\r\nКрасноярский край, Кемеровская "
           "область, Новосибирская область и Томская область"),
    TrNoop("7-я часовая зона (МСК+5, московское время плюс 5 часов, UTC+8): Республика Бурятия и "
           "Иркутская область"),
    TrNoop(
        "8-я часовая зона (МСК+6, московское время плюс 6 часов, UTC+9):\r\nРеспублика Саха "
        "(Якутия) (Алданский, Амгинский, Анабарский,\r\nБулунский, Верхневилюйский, Вилюйский, "
        "Горный, Жиганский национальный эвенкийский,\r\nКобяйский, Ленский, Мегино-Кангаласский, "
        "Мирнинский, Намский, Нерюнгринский,\r\nНюрбинский, Олекминский, Оленекский эвенкийский "
        "национальный, Сунтарский,\r\nТаттинский, Томпонский, Усть-Алданский, Усть-Майский, "
        "Хангаласский,\r\nЧурапчинский и Эвено-Бытантайский улусы (районы), город республиканского "
        "значения Якутск), Забайкальский край и Амурская область"),
    TrNoop("9-я часовая зона (МСК+7, московское время плюс 7 часов, UTC+10):\r\nРеспублика Саха "
           "(Якутия) (Верхоянский, Оймяконский и Усть-Янский улусы (районы),\r\nПриморский край, "
           "Хабаровский край и Еврейская автономная область"),
    TrNoop("10-я часовая зона (МСК+8, московское время плюс 8 часов, UTC+11):\r\nРеспублика Саха "
           "(Якутия) (Абыйский, Аллаиховский, Верхнеколымский,\r\nМомский, Нижнеколымский и "
           "Среднеколымский улусы (районы),\r\nМагаданская область, Сахалинская область"),
    TrNoop("11-я часовая зона (МСК+9, московское время плюс 9 часов, UTC+12): Камчатский край и "
           "Чукотский автономный округ"),
};

QString Num(qint64 value) {
    return QString::number(value);
}

// A 64-bit integer typed by the operator; raises the conversion error.
qint64 StrToInt64Checked(const QString& text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw EError(Text(TText::NotInteger, text));
    return value;
}

int Mask(const QList<QCheckBox*>& boxes) {
    int mask = 0;
    for (int bit = 0; bit < boxes.size(); ++bit)
        if (boxes[bit]->isChecked())
            mask |= 1 << bit;
    return mask;
}

void SetBoxes(const QList<QCheckBox*>& boxes, int value) {
    for (int bit = 0; bit < boxes.size(); ++bit)
        boxes[bit]->setChecked(value & (1 << bit));
}

} // namespace

TfmFNFiscalization::TfmFNFiscalization(QWidget* parent)
    : TPage(parent), ui(std::make_unique<Ui::TfmFNFiscalization>()), FLines(nullptr) {
    ui->setupUi(this);
    FLines = TFNLines(ui->Memo);
    StatusReport::SetReportFont(ui->Memo);
    ui->edtINN->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]*")), this));
    ui->cbTimeZone->setCurrentIndex(-1);

    FTaxBoxes = {{ui->chbTaxOSN, 0},
                 {ui->chbTaxUSNIncome, 1},
                 {ui->chbTaxUSNIncomeExpense, 2},
                 {ui->chbTaxESHN, 4},
                 {ui->chbTaxPSN, 5}};
    FWorkModeBoxes = {ui->chbWorkMode0, ui->chbWorkMode1, ui->chbWorkMode2, ui->chbWorkMode3,
                      ui->chbWorkMode4, ui->chbWorkMode5, ui->chbWorkMode6, ui->chbWorkMode7};
    FWorkModeExBoxes = {ui->chbWorkModeEx0, ui->chbWorkModeEx1, ui->chbWorkModeEx2,
                        ui->chbWorkModeEx3, ui->chbWorkModeEx4, ui->chbWorkModeEx5,
                        ui->chbWorkModeEx6, ui->chbWorkModeEx7};
    for (const auto& [box, bit] : FTaxBoxes)
        connect(box, &QCheckBox::clicked, this, [this] { UpdateTaxType(); });
    for (QCheckBox* box : FWorkModeBoxes + FWorkModeExBoxes)
        connect(box, &QCheckBox::clicked, this, [this] {
            UpdateWorkModes();
            ApplyFormRules();
        });
    connect(ui->cbINNType, &QComboBox::currentIndexChanged, this, [this] { ApplyFormRules(); });
    connect(ui->cbTimeZone, &QComboBox::currentIndexChanged, this,
            [this](int index) { ui->cbTimeZone->setToolTip(TimeZoneHint(index + 1)); });

    Confirm = [this](const QString& caption, const QString& text) {
        QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                        this);
        box.setDefaultButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok;
    };
    EditReasonCodes = [](const QString& maskText) {
        return ReasonCodesDialog()->Execute(maskText);
    };

    ConnectButton(ui->btnFNBeginRegistrationReport,
                  [this] { btnFNBeginRegistrationReportClick(); });
    ConnectButton(ui->btnFNBuildRegistrationReport, [this] { Register(false); });
    ConnectButton(ui->btnFNBuildReregistrationReport, [this] { Register(true); });
    ConnectButton(ui->btnFNGetFiscalizationResult, [this] { ReadBack(false); });
    ConnectButton(ui->btnFNGetFiscalizationResultByNumber, [this] { ReadBack(true); });
    ConnectButton(ui->btnFNGetDocumentAsString, [this] { btnFNGetDocumentAsStringClick(); });
    ConnectButton(ui->btnFNRequestRegistrationTLV, [this] { btnFNRequestRegistrationTLVClick(); });
    ConnectButton(ui->btnReasonCodes, [this] { btnReasonCodesClick(); });
    ApplyFormRules();
}

TfmFNFiscalization::~TfmFNFiscalization() = default;

void TfmFNFiscalization::WidenReportTypeList() {
    // The report types are long: the open list shows them whole.
    int width = 0;
    for (int i = 0; i < ui->cbReportType->count(); ++i)
        width = std::max(width, ui->cbReportType->fontMetrics().horizontalAdvance(
                                    ui->cbReportType->itemText(i)));
    ui->cbReportType->view()->setMinimumWidth(width + 10);
}

void TfmFNFiscalization::showEvent(QShowEvent* event) {
    TPage::showEvent(event);
    // The list can only open on a shown page; its popup view is made on the
    // first show, not at start-up.
    if (!FListWidened) {
        FListWidened = true;
        WidenReportTypeList();
    }
    // Restored settings check the boxes without a click: the codes sent to
    // the register follow the boxes the engineer sees.
    UpdateTaxType();
    UpdateWorkModes();
    ApplyFormRules();
}

QString TfmFNFiscalization::ReasonCodeToStr(int code) {
    static constexpr const char* kNames[] = {
        TrNoop("Замена ФН"),
        TrNoop("Замена ОФД"),
        TrNoop("Изменение реквизитов"),
        TrNoop("Изменение настроек ККТ"),
    };
    if (code == 0)
        return QString();
    if (code >= 1 && code <= int(std::size(kNames)))
        return Tr(kNames[code - 1]);
    return Tr("Неизвестный код");
}

QString TfmFNFiscalization::TimeZoneHint(int zone) {
    if (zone >= 1 && zone <= int(std::size(kTimeZoneHints)))
        return Tr(kTimeZoneHints[zone - 1]);
    return Tr("Выберите часовой пояс, если необходимо");
}

void TfmFNFiscalization::ApplyFormRules() {
    // A work-mode change asks for the time zone again.
    ui->cbTimeZone->setCurrentIndex(-1);
    ui->edtAutomatNumber->setEnabled(ui->chbWorkMode2->isChecked());
    ui->edtINN->setMaxLength(ui->cbINNType->currentIndex() == 0 ? 12 : 10);
}

void TfmFNFiscalization::UpdateTaxType() {
    int mask = 0;
    for (const auto& [box, bit] : FTaxBoxes)
        if (box->isChecked())
            mask |= 1 << bit;
    ui->edtTaxType->setText(Num(mask));
}

void TfmFNFiscalization::UpdateWorkModes() {
    ui->edtWorkMode->setText(Num(Mask(FWorkModeBoxes)));
    ui->edtWorkModeEx->setText(Num(Mask(FWorkModeExBoxes)));
}

void TfmFNFiscalization::SetTaxSystem(int value) {
    FLines.AddTaxSystem(value);
    ui->edtTaxType->setText(Num(value));
    for (const auto& [box, bit] : FTaxBoxes)
        box->setChecked(value & (1 << bit));
}

void TfmFNFiscalization::SetWorkMode(int value) {
    FLines.AddWorkMode(value, 8);
    ui->edtWorkMode->setText(Num(value));
    SetBoxes(FWorkModeBoxes, value);
}

void TfmFNFiscalization::SetWorkModeEx(int value) {
    FLines.AddWorkModeEx(value, 8);
    ui->edtWorkModeEx->setText(Num(value));
    SetBoxes(FWorkModeExBoxes, value);
}

bool TfmFNFiscalization::ConfirmOSU() {
    if (!ui->chbWorkMode6->isChecked() && !ui->chbWorkMode7->isChecked() &&
        !ui->chbWorkModeEx7->isChecked())
        return true;
    TDriver& d = Driver();
    const int code = d.FNGetOSUSupportStatus();
    QString text;
    if (code == 55 || code == 51)
        text =
            Tr("Текущая прошивка ККТ \r\nне поддерживает следующие параметры: \r\n ККТ в обществ. "
               "питании,\r\n Опт. торговля с организациями и ИП,\r\n ККТ с торговым "
               "автоматом.\r\nПродолжить в любом случае?");
    else if (d.FNOSUSupportStatus() == 255)
        text = Tr("ФН не поддерживает ОСУ.\r\nСледующие параметры не поддерживаются:\r\n ККТ в "
                  "обществ. питании,\r\n Опт. торговля с организациями и ИП,\r\n ККТ с торговым "
                  "автоматом.\r\nПродолжить в любом случае?");
    else
        return true;
    return Confirm(Tr("Внимание"), text);
}

void TfmFNFiscalization::CheckINN() {
    const int length = ui->edtINN->text().size();
    if (ui->cbINNType->currentIndex() == 0) {
        if (length != 12)
            throw EError(Tr("Длина ИНН должна быть 12 символов"));
    } else if (length != 10) {
        throw EError(Tr("Длина ИНН должна быть 10 символов"));
    }
}

void TfmFNFiscalization::btnFNBeginRegistrationReportClick() {
    if (!ConfirmOSU())
        return;
    FLines.Clear();
    TDriver& d = Driver();
    d.SetReportTypeInt(ui->cbReportType->currentIndex());
    Check(d.FNBeginRegistrationReport());
}

void TfmFNFiscalization::Register(bool reregistration) {
    if (!ConfirmOSU())
        return;
    CheckINN();
    TDriver& d = Driver();
    if (!reregistration && ui->cbTimeZone->currentIndex() >= 0)
        d.WriteTableInt(kSettingsTable, 1, kTimeZoneField, ui->cbTimeZone->currentIndex() + 1);

    FLines.Clear();
    FLines.AddMemoLine(reregistration ? Tr("Сформировать отчет о перерегистрации")
                                      : Tr("Сформировать отчет о регистрации ККТ"));
    FLines.AddSeparator();
    if (reregistration)
        d.SetRegistrationReasonCode(ui->cbReasonCode->currentIndex() + 1);
    d.SetINN(ui->edtINN->text());
    d.SetKKTRegistrationNumber(ui->edtRNM->text().trimmed());
    d.SetTaxType(StrToIntChecked(ui->edtTaxType->text()));
    d.SetWorkMode(StrToIntChecked(ui->edtWorkMode->text()));

    if (ui->chbWorkMode2->isChecked()) {
        d.SetModelParamNumber(kAutomatTableParam);
        Check(d.ReadModelParamValue());
        const int table = StrToIntChecked(d.ModelParamValue().toString());
        d.SetTableNumber(table);
        d.SetRowNumber(1);
        d.SetFieldNumber(1);
        d.SetValueOfFieldString(ui->edtAutomatNumber->text());
        Check(d.WriteTable());
    }

    const int table = reregistration ? kReregistrationTable : d.FSTableNumber();
    if (!d.IsModelType2()) {
        d.WriteTableInt(table, 1, kWorkModeExField, Mask(FWorkModeExBoxes));
        if (d.ReadTableInt(kSettingsTable, 1, kFFDVersionField) > 2) {
            // The 32 reason bits as the field keeps them; bit 31 is a reason.
            const qint64 mask = StrToInt64Checked(ui->edtReasonCodesEx->text());
            d.WriteTableInt(table, 1, kReasonCodesField, int(quint32(mask)));
        }
    }

    const int timeout = d.Timeout();
    const auto restore = qScopeGuard([&d, timeout] { d.SetTimeout(timeout); });
    if (timeout < kMinBuildTimeout)
        d.SetTimeout(kMinBuildTimeout);
    Check(reregistration ? d.FNBuildReregistrationReport() : d.FNBuildRegistrationReport());
    FLines.AddLine(Tr("Номер ФД"), Num(d.DocumentNumber()));
    FLines.AddLine(Tr("Фискальный признак"), Num(d.FiscalSign()));
}

void TfmFNFiscalization::ReadBack(bool byNumber) {
    FLines.Clear();
    TDriver& d = Driver();
    QString innOFD;
    int workModeEx = 0;
    if (byNumber) {
        d.SetRegistrationNumber(StrToIntChecked(ui->edtRegistrationNumber->text()));
        Check(d.FNGetFiscalizationResultByNumber());
        innOFD = d.INNOFD();
        workModeEx = d.WorkModeEx();
    } else {
        const int table = d.FSTableNumber();
        Check(d.FNGetFiscalizationResult());
        innOFD = d.INNOFD();
        // Older firmware leaves these out of the answer; the FN table has them.
        if (innOFD.isEmpty() && !d.IsModelType2())
            innOFD = d.ReadTableStr(table, 1, kOFDINNField);
        workModeEx = d.WorkModeEx();
        if (workModeEx == 0 && !d.IsModelType2())
            workModeEx = d.ReadTableDef(table, 1, kWorkModeExField, 0);
    }
    FLines.AddMemoLine(byNumber ? Tr("Запрос итогов фискализации ФН по номеру")
                                : Tr("Запрос итогов фискализации ФН"));
    FLines.AddSeparator();
    FLines.AddLine(Tr("ИНН"), d.INN());
    FLines.AddLine(Tr("ИНН ОФД"), innOFD);
    ui->edtINN->setText(byNumber ? d.INN().trimmed() : d.INN());
    FLines.AddLine(Tr("Рег. номер ККТ"), d.KKTRegistrationNumber());
    ui->edtRNM->setText(d.KKTRegistrationNumber().trimmed());
    SetTaxSystem(d.TaxType());
    SetWorkMode(d.WorkMode());
    SetWorkModeEx(workModeEx);
    FLines.AddLine(Tr("Дата"), StatusReport::DateText(d.Date()));
    FLines.AddLine(Tr("Время"), StatusReport::TimeText(d.Time()));
    const int reason = d.RegistrationReasonCode();
    FLines.AddLine(Tr("Код причины перерегистрации"),
                   Num(reason) + QStringLiteral(", ") + ReasonCodeToStr(reason));
    FLines.AddRegistrationReasonCodeEx(quint32(d.RegistrationReasonCodeEx()));
    FLines.AddLine(Tr("Номер ФД"), Num(d.DocumentNumber()));
    FLines.AddLine(Tr("Фискальный признак"), Num(d.FiscalSign()));
}

void TfmFNFiscalization::btnFNGetDocumentAsStringClick() {
    TDriver& d = Driver();
    d.SetRequestDocumentType(1);
    d.SetShowTagNumber(true);
    d.SetRegistrationNumber(StrToIntChecked(ui->edtRegistrationNumber->text()));
    const int code = d.FNGetDocumentAsString();
    FLines.Clear();
    // A refused request leaves the property as an earlier call set it: that
    // text is no answer and is not shown.
    if (code == 0)
        ui->Memo->setPlainText(d.StringForPrinting());
}

void TfmFNFiscalization::btnFNRequestRegistrationTLVClick() {
    TDriver& d = Driver();
    d.SetTagNumber(StrToIntChecked(ui->edtTagNumber->text()));
    d.SetRegistrationNumber(StrToIntChecked(ui->edtRegistrationNumber->text()));
    const int code = d.FNRequestRegistrationTLV();
    FLines.Clear();
    if (code == 0)
        ui->Memo->setPlainText(StrToHex(StringToBytes(d.TLVData())));
}

void TfmFNFiscalization::btnReasonCodesClick() {
    if (const auto text = EditReasonCodes(ui->edtReasonCodesEx->text()))
        ui->edtReasonCodesEx->setText(*text);
}
