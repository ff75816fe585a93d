#include "wizard/frame/fmuMain.h"

#include "common/RunHandler.h"
#include "wizard/frame/untWizardDriver.h"

#include "ui_fmuMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

TfmMain::TfmMain(const std::vector<TStepDef>& steps, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfmMain>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Window);
    QPalette title = ui->pnlTitle->palette();
    title.setColor(QPalette::Window, title.color(QPalette::Base));
    ui->pnlTitle->setPalette(title);
    ui->btnHome->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    ui->btnSettings->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    // Home and settings of one width keep the Back/Next pair in the middle.
    const int side = qMax(ui->btnHome->sizeHint().width(), ui->btnSettings->sizeHint().width());
    ui->btnHome->setFixedWidth(side);
    ui->btnSettings->setFixedWidth(side);

    connect(ui->btnNext, &QPushButton::clicked, this, [this] { btnNextClick(); });
    connect(ui->btnPrev, &QPushButton::clicked, this, [this] { btnPrevClick(); });
    connect(ui->btnHome, &QPushButton::clicked, this, [this] { btnHomeClick(); });
    connect(ui->btnSettings, &QPushButton::clicked, this, [this] { btnSettingsClick(); });

    Controller().SetWindow(this);
    Controller().X5Mode = X5MarkerPresent();
    setWindowTitle(DefCaption());

    for (const TStepDef& def : steps)
        AddPage(def.create());
    // The panel takes the size of the largest step: a step never gets squeezed.
    adjustSize();
    if (FPages.Count() > 0)
        Controller().CurrentPage = FPages.Items(0);
}

TfmMain::~TfmMain() {
    if (Controller().Window() == this) {
        Controller().SetWindow(nullptr);
        Controller().CurrentPage = nullptr;
    }
    FreeDriverObject();
}

bool TfmMain::X5MarkerPresent() {
    return QFileInfo::exists(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("X5.ini")));
}

QString TfmMain::DefCaption() const {
    QString caption = QStringLiteral("Мастер фискализации %1.%2.%3.%4 (%5-bit)")
                          .arg(VEXA_VERSION_MAJOR)
                          .arg(VEXA_VERSION_MINOR)
                          .arg(VEXA_VERSION_PATCH)
                          .arg(VEXA_VERSION_TWEAK)
                          .arg(sizeof(void*) * 8);
    if (Controller().X5Mode)
        caption += QStringLiteral(" [X5]");
    return caption;
}

void TfmMain::AddPage(TParamPage* page) {
    page->SetOwner(&FPages);
    page->setWindowFlags(Qt::Widget);
    ui->pnlPage->addWidget(page);
}

void TfmMain::ShowPage(int index) {
    ui->btnNext->setEnabled(true);
    ui->btnPrev->setEnabled(true);
    ui->btnHome->setEnabled(true);
    ui->btnSettings->setEnabled(true);
    TParamPage* page = FPages.Items(index);
    if (page && index != FIndex) {
        ui->pnlPage->setCurrentWidget(page);
        ui->lblTitle->setText(page->windowTitle());
        FIndex = index;
        RunHandler(this, [page] { page->OnShow(); });
    }
    // A step that switched Back off while it works keeps it off.
    if (index == 0)
        ui->btnPrev->setEnabled(false);
}

void TfmMain::btnNextClick() {
    TController& c = Controller();
    TParamPage* old = c.CurrentPage;
    if (!old)
        return;
    if (!RunHandler(this, [old] { old->Next(); }))
        return;
    int index = FPages.IndexByClass(c.NextPageClass.constData());
    if (index < 0)
        index = 0;
    TParamPage* page = FPages.Items(index);
    c.CurrentPage = page;
    // A step that leaves the wizard where it is must not become its own way back.
    if (page != old)
        page->PrevPage = old;
    ShowPage(index);
}

void TfmMain::btnPrevClick() {
    TController& c = Controller();
    TParamPage* current = c.CurrentPage;
    if (!current)
        return;
    if (!RunHandler(this, [current] { current->Prev(); }))
        return;
    int index = FPages.IndexOf(current->PrevPage);
    if (index < 0)
        index = 0;
    c.CurrentPage = FPages.Items(index);
    ShowPage(index);
}

void TfmMain::btnHomeClick() {
    TParamPage* current = Controller().CurrentPage;
    if (current && !RunHandler(this, [current] { current->Home(); }))
        return;
    Controller().Home();
}

void TfmMain::ShowFirstPage() {
    if (FPages.Count() == 0)
        return;
    Controller().CurrentPage = FPages.Items(0);
    ShowPage(0);
}

void TfmMain::btnSettingsClick() {
    RunHandler(this, [] {
        TLedgra& d = WizardDriver();
        d.Disconnect();
        d.ShowProperties();
    });
}

bool TfmMain::NextEnabled() const {
    return ui->btnNext->isEnabled();
}

bool TfmMain::PrevEnabled() const {
    return ui->btnPrev->isEnabled();
}

void TfmMain::SetNextEnabled(bool value) {
    ui->btnNext->setEnabled(value);
}

void TfmMain::SetPrevEnabled(bool value) {
    ui->btnPrev->setEnabled(value);
}

void TfmMain::SetHomeEnabled(bool value) {
    ui->btnHome->setEnabled(value);
}

void TfmMain::SetSettingsEnabled(bool value) {
    ui->btnSettings->setEnabled(value);
}

TParamPage* TfmMain::PageByClass(const char* className) const {
    return FPages.PageByClass(className);
}

void TfmMain::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (FShown)
        return;
    FShown = true;
    Controller().NextPageClass = kSelectWorkTypeClass;
    ShowFirstPage();
}

void TfmMain::closeEvent(QCloseEvent* event) {
    FPages.CloseEvent();
    // Not QDialog's: that would reject instead of closing.
    QWidget::closeEvent(event);
}

void TfmMain::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the wizard behind the operator's back.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
