#include "shell/fmuMain.h"

#include "common/RunHandler.h"
#include "driver/untDriver.h"
#include "driver/untTexts.h"
#include "platform/LedgraErrors.h"
#include "platform/Translation.h"
#include "shell/fmuAbout.h"
#include "shell/fmuTabbedPage.h"
#include "shell/untLanguage.h"
#include "shell/untSettings.h"
#include "ui_fmuMain.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QStyledItemDelegate>
#include <array>

namespace {
constexpr int kItemHeight = 22;
constexpr int kMaxListWidth = 200; // the splitter takes no wider list
constexpr int kMaxPasteLength = 1024;

// The group list draws its entries at a fixed height.
class TGroupListDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(kItemHeight);
        return s;
    }
};

TPage* PageOfItem(const QListWidgetItem* item) {
    return item ? qobject_cast<TPage*>(item->data(Qt::UserRole).value<QObject*>()) : nullptr;
}

QString FileVersion() {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(VEXA_VERSION_MAJOR)
        .arg(VEXA_VERSION_MINOR)
        .arg(VEXA_VERSION_PATCH)
        .arg(VEXA_VERSION_TWEAK);
}
} // namespace

int IntToBaudRate(int index) {
    static constexpr std::array kRates{2400,  4800,   9600,   19200,  38400,
                                       57600, 115200, 230400, 460800, 921600};
    if (index < 0 || index >= int(kRates.size()))
        return 4800;
    return kRates[size_t(index)];
}

void CheckPasswordText(const QString& text) {
    if (text.size() > kMaxPasteLength)
        throw EError(Tr("Некорректное значение в поле \"Password\""));
    StrToIntChecked(text);
}

TfmMain::TfmMain(const TPageTree& tree, QWidget* parent)
    : TBaseForm(parent), ui(std::make_unique<Ui::TfmMain>()), FTree(tree),
      FPages(std::make_unique<TPages>()) {
    // The language first: the layout's texts are translated as they are set.
    UseLanguage(GetLanguage());
    Q_INIT_RESOURCE(shell); // the resources of a static library
    ui->setupUi(this);
    setObjectName(QStringLiteral("fmMain"));

    ui->ListBox->setItemDelegate(new TGroupListDelegate(ui->ListBox));
    ui->ListBox->setUniformItemSizes(true);
    ui->Splitter->setStretchFactor(0, 0);
    ui->Splitter->setStretchFactor(1, 1);
    ui->Splitter->setSizes({ui->ListBox->maximumWidth(), width()});
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }

    connect(ui->ListBox, &QListWidget::currentRowChanged, this,
            [this] { RunHandler(this, [this] { ListBoxClick(); }); });
    connect(ui->edtPassword, &QLineEdit::textChanged, this, [this] { edtPasswordChange(); });
    connect(ui->btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->miExit, &QAction::triggered, this, &QWidget::close);
    connect(ui->btnProperties, &QPushButton::clicked, this, [this] { btnPropertiesClick(); });
    connect(ui->miShowProperties, &QAction::triggered, this, [this] { miShowPropertiesClick(); });
    connect(ui->miAbout, &QAction::triggered, this, [this] { btnAboutClick(); });
    connect(ui->miRussian, &QAction::triggered, this, [this] { SelectLanguage("RU"); });
    connect(ui->miEnglish, &QAction::triggered, this, [this] { SelectLanguage("EN"); });
    // The password field filters typed characters and checks pasted text.
    ui->edtPassword->installEventFilter(this);
    ui->edtPassword->setAcceptDrops(false);
    ui->edtPassword->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->edtPassword, &QWidget::customContextMenuRequested, this,
            &TfmMain::ShowPasswordMenu);

    // A failing step is shown; the window opens as built so far.
    RunHandler(this, [this] {
        PageNotifier().OnChange = [this](TPageNotifier* sender, bool value) {
            PagesChanged(sender, value);
        };
        CreatePages();
        InitializePages();
        LoadParams();
        QCoreApplication::setApplicationName(windowTitle() + QLatin1Char(' ') +
                                             Tr("кассовой техники"));
        UpdateCaption();
        UpdateLanguage();
        ui->edtPassword->setText(QString::number(Driver().Password()));
    });
}

TfmMain::~TfmMain() {
    RunHandler(this, [this] { SaveParams(); });
    PageNotifier().OnChange = nullptr;
    FPage = nullptr;
    FPages.reset();
    FreeDriver();
}

QListWidget* TfmMain::GroupList() const {
    return ui->ListBox;
}

TfmTabbedPage* TfmMain::AddTabbedPage(const QString& caption) {
    const int number = ui->ListBox->count() + 1;
    auto* group = new TfmTabbedPage(ui->pnlSite);
    group->setObjectName(QStringLiteral("fmTabbedPage%1").arg(number));
    group->setWindowTitle(caption);
    group->SetOwner(FPages.get());
    group->setWindowFlags(Qt::Widget);
    group->hide();
    ui->vlSite->addWidget(group);
    auto* item = new QListWidgetItem(
        QStringLiteral("  %1. %2").arg(number, 2, 10, QLatin1Char('0')).arg(caption));
    item->setData(Qt::UserRole, QVariant::fromValue<QObject*>(group));
    ui->ListBox->addItem(item);
    return group;
}

void TfmMain::AddTabItem(TfmTabbedPage* group, TPageFactory create) {
    if (!group)
        return;
    TPage* page = create(this);
    // A page is saved under its class name without the "T".
    page->setObjectName(QString::fromLatin1(page->metaObject()->className()).mid(1));
    page->SetOwner(FPages.get());
    group->AddPage(page);
}

void TfmMain::CreatePages() {
    // Each group page directly before its own pages: the list is in tree order.
    for (int group = 1; group <= int(FTree.groups.size()); ++group) {
        const TGroupDef& g = FTree.groups[size_t(group - 1)];
        TfmTabbedPage* page =
            AddTabbedPage(g.translated ? Tr(g.caption) : QString::fromUtf8(g.caption));
        for (const TTabDef& t : FTree.tabs)
            if (t.group == group)
                AddTabItem(page, t.create);
    }
}

void TfmMain::InitializePages() {
    // A group page is inserted before its own pages, so the list order is
    // the tree order.
    for (int i = 0; i < FPages->Count(); ++i)
        FPages->Items(i)->Initialize();
}

void TfmMain::ShowPage(TPage* page) {
    if (page == FPage)
        return;
    if (FPage)
        FPage->UpdateObject();
    if (page) {
        page->setVisible(true);
        page->UpdatePage();
    }
    if (FPage)
        FPage->setVisible(false);
    FPage = page;
    UpdateListBox();
}

void TfmMain::ListBoxClick() {
    ShowPage(PageOfItem(ui->ListBox->currentItem()));
}

void TfmMain::UpdateListBox() {
    if (!FPage)
        return;
    const int pageMin = std::max(FPage->minimumWidth(), FPage->minimumSizeHint().width());
    const int widest = std::min(kMaxListWidth, width() - pageMin - 20);
    ui->ListBox->setMaximumWidth(std::max(ui->ListBox->minimumWidth(), widest));
}

void TfmMain::resizeEvent(QResizeEvent* event) {
    TBaseForm::resizeEvent(event);
    UpdateListBox();
}

int TfmMain::GetTabIndex() const {
    const auto* group = qobject_cast<TfmTabbedPage*>(PageOfItem(ui->ListBox->currentItem()));
    return group ? std::max(0, group->PageControl()->currentIndex()) : 0;
}

void TfmMain::SetTab(int index) {
    auto* group = qobject_cast<TfmTabbedPage*>(PageOfItem(ui->ListBox->currentItem()));
    // A negative index would leave no tab active.
    if (group && index >= 0 && index < group->PageControl()->count())
        group->PageControl()->setCurrentIndex(index);
}

QString TfmMain::GetDefCaption() const {
    return Tr("Тест драйвера") + QLatin1Char(' ') + Tr("кассовой техники") + QLatin1Char(' ') +
           FileVersion() + QStringLiteral(" (%1-bit)").arg(sizeof(void*) * 8);
}

void TfmMain::UpdateCaption() {
    TDriver& d = Driver();
    QString caption = GetDefCaption();
    switch (d.ConnectionType()) {
    case 0:
        caption += QStringLiteral(" [Serial: COM%1 Baudrate %2]")
                       .arg(d.ComNumber())
                       .arg(IntToBaudRate(d.BaudRate()));
        break;
    case 1:
    case 2:
        caption += QStringLiteral(" [DCOM:%1 COM%2 Baudrate %3]")
                       .arg(d.ComputerName())
                       .arg(d.ComNumber())
                       .arg(IntToBaudRate(d.BaudRate()));
        break;
    case 6:
        caption += QStringLiteral(" [TCP: %1: %2]").arg(d.IPAddress()).arg(d.TCPPort());
        break;
    default:
        break;
    }
    setWindowTitle(caption);
}

void TfmMain::UpdateLanguage() {
    const bool english = GetLanguage() == QLatin1String("EN");
    ui->miEnglish->setChecked(english);
    ui->miRussian->setChecked(!english);
}

void TfmMain::SelectLanguage(const QString& code) {
    SetLanguage(code);
    ui->miRussian->setChecked(code == QLatin1String("RU"));
    ui->miEnglish->setChecked(code == QLatin1String("EN"));
    QMessageBox::information(this, Tr("Внимание"),
                             Tr("Для измения языка необходимо перезапустить приложение"));
}

void TfmMain::PagesChanged(TPageNotifier*, bool value) {
    try {
        if (!value) {
            FTickCount.start();
            for (QLineEdit* e :
                 {ui->edtInput, ui->edtOutput, ui->edtResult, ui->edtTime, ui->edtOperator})
                e->clear();
            // Paint the cleared panel before the call blocks; the operator's
            // clicks wait, so no handler runs inside another.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return;
        }
        const qint64 elapsed = FTickCount.isValid() ? FTickCount.elapsed() : 0;
        TDriver& d = Driver();
        const int code = d.ResultCode();
        const QString description = d.ResultCodeDescription();
        ui->edtInput->setText(d.ECRInput());
        ui->edtOutput->setText(d.ECROutput());
        ui->edtResult->setText(QStringLiteral("(%1) %2").arg(code).arg(description));
        // Long byte lines are read from their start.
        for (QLineEdit* e : {ui->edtInput, ui->edtOutput, ui->edtResult})
            e->setCursorPosition(0);
        ui->edtTime->setText(QString::number(elapsed) + QLatin1Char(' ') + Tr("мс"));
        ui->edtOperator->setText(QString::number(d.OperatorNumber()));
        UpdateCaption();
    } catch (const std::exception& e) {
        qWarning("result panel: %s", e.what());
    } catch (...) {
    }
}

void TfmMain::SetDefaults() {
    // Plain combo boxes only, not their descendants.
    for (QComboBox* c : findChildren<QComboBox*>())
        if (c->metaObject() == &QComboBox::staticMetaObject)
            c->setCurrentIndex(0);
}

void TfmMain::LoadParams() {
    SetDefaults();
    int groupIndex = 0;
    int tabIndex = 0;
    auto key = OpenSettings();
    if (key->status() != QSettings::NoError)
        qWarning("settings: %s cannot be read", qUtf8Printable(key->fileName()));
    {
        FLoading = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{FLoading};
        LoadControlParams(objectName(), this, *key);
    }
    // One integer value, when present and readable.
    const auto read = [&](const char* name, int& value) {
        if (!key->contains(QLatin1String(name)))
            return false;
        bool ok = false;
        const int v = key->value(QLatin1String(name)).toInt(&ok);
        if (!ok) {
            qWarning("settings: %s cannot be read", name);
            return false;
        }
        value = v;
        return true;
    };
    if (read("PageIndex", groupIndex) && (groupIndex < 0 || groupIndex >= ui->ListBox->count()))
        groupIndex = 0;
    read("TabIndex", tabIndex);
    int w = width(), h = height(), top = y(), left = x();
    if (read("MPWidth", w) | read("MPHeigth", h))
        resize(w, h);
    if (read("MPTop", top) | read("MPLeft", left))
        move(left, top);

    ui->ListBox->setCurrentRow(groupIndex);
    ShowPage(PageOfItem(ui->ListBox->item(groupIndex)));
    SetTab(tabIndex);
}

void TfmMain::SaveParams() {
    auto key = OpenSettings();
    if (key->status() == QSettings::FormatError) {
        // A damaged file would never be written again: keep it aside.
        const QString file = key->fileName();
        key.reset();
        QFile::remove(file + QStringLiteral(".bad"));
        QFile::rename(file, file + QStringLiteral(".bad"));
        qWarning("settings: %s is damaged, kept as .bad and written anew", qUtf8Printable(file));
        key = OpenSettings();
    }
    SaveControlParams(objectName(), this, *key);
    key->setValue(QStringLiteral("PageIndex"), ui->ListBox->currentRow());
    key->setValue(QStringLiteral("TabIndex"), GetTabIndex());
    key->setValue(QStringLiteral("MPWidth"), width());
    key->setValue(QStringLiteral("MPHeigth"), height());
    key->setValue(QStringLiteral("MPTop"), y());
    key->setValue(QStringLiteral("MPLeft"), x());
    key->sync();
    if (key->status() != QSettings::NoError)
        qWarning("settings: %s cannot be written", qUtf8Printable(key->fileName()));
}

void TfmMain::edtPasswordChange() {
    const auto apply = [this] { Driver().SetPassword(StrToIntChecked(ui->edtPassword->text())); };
    if (!FLoading) {
        RunHandler(this, apply);
        return;
    }
    // A saved password the driver does not take is skipped like any value
    // that cannot be loaded.
    try {
        apply();
    } catch (const std::exception& e) {
        qWarning("settings: the saved password is not taken: %s", qUtf8Printable(ErrorText(e)));
    }
}

void TfmMain::edtPasswordExit() {
    RunHandler(this, [this] { ui->edtPassword->setText(QString::number(Driver().Password())); });
}

bool TfmMain::PasteAllowed(const QString& text) {
    return RunHandler(this, [&] { CheckPasswordText(text); });
}

void TfmMain::ShowPasswordMenu(const QPoint& pos) {
    std::unique_ptr<QMenu> menu(ui->edtPassword->createStandardContextMenu());
    // The menu's "Paste" goes through the same check as a typed paste.
    if (auto* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
        paste->disconnect();
        connect(paste, &QAction::triggered, this, [this] {
            if (PasteAllowed(QGuiApplication::clipboard()->text()))
                ui->edtPassword->paste();
        });
    }
    menu->exec(ui->edtPassword->mapToGlobal(pos));
}

bool TfmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ui->edtPassword)
        return TBaseForm::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste))
            return !PasteAllowed(QGuiApplication::clipboard()->text());
        // Typed characters: digits and the full stop; control keys pass.
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() &&
            !QStringLiteral("0123456789.").contains(text.at(0)))
            return true;
        break;
    }
    case QEvent::MouseButtonRelease:
        // The X11 selection paste of the middle button.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
            QGuiApplication::clipboard()->supportsSelection())
            return !PasteAllowed(QGuiApplication::clipboard()->text(QClipboard::Selection));
        break;
    case QEvent::FocusOut:
        edtPasswordExit();
        break;
    default:
        break;
    }
    return TBaseForm::eventFilter(watched, event);
}

void TfmMain::btnPropertiesClick() {
    RunHandler(this, [this] {
        Driver().ShowProperties();
        ui->edtPassword->setText(QString::number(Driver().Password()));
        // The connection may have changed.
        UpdateCaption();
        if (FPage)
            FPage->UpdatePage();
    });
}

void TfmMain::miShowPropertiesClick() {
    RunHandler(this, [] { Driver().ShowProperties(); });
}

void TfmMain::btnAboutClick() {
    TfmAbout::Execute(this);
}
