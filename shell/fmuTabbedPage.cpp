#include "shell/fmuTabbedPage.h"

#include "platform/Translation.h"
#include "ui_fmuTabbedPage.h"

#include <QVBoxLayout>

TfmTabbedPage::TfmTabbedPage(QWidget* parent)
    : TPage(parent), ui(std::make_unique<Ui::TfmTabbedPage>()) {
    ui->setupUi(this);
    // The page being left is told first, then the page shown.
    connect(ui->PageControl, &QTabWidget::currentChanged, this, [this](int index) {
        if (FAdding)
            return;
        if (TPage* old = PageOfTab(FCurrent))
            old->UpdateObject();
        FCurrent = index;
        if (TPage* now = PageOfTab(index))
            now->UpdatePage();
    });
}

TfmTabbedPage::~TfmTabbedPage() = default;

QTabWidget* TfmTabbedPage::PageControl() const {
    return ui->PageControl;
}

TPage* TfmTabbedPage::PageOfTab(int index) const {
    if (index < 0 || index >= ui->PageControl->count())
        return nullptr;
    QWidget* tab = ui->PageControl->widget(index);
    const auto children = tab->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return children.isEmpty() ? nullptr : qobject_cast<TPage*>(children.first());
}

TPage* TfmTabbedPage::ActivePage() const {
    return PageOfTab(ui->PageControl->currentIndex());
}

void TfmTabbedPage::AddPage(TPage* page) {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, 0);
    // Adding the first tab makes it current; that is no change of page: the
    // page is not initialised yet.
    FAdding = true;
    ui->PageControl->addTab(tab, page->windowTitle());
    FAdding = false;
    FCurrent = ui->PageControl->currentIndex();
    // The page goes into its tab after the tab is added and is not shown
    // here: it shows with its tab, like any child widget. Shown earlier, every
    // page of the hidden groups was laid out (all its texts measured) at
    // start-up for nothing.
    page->setParent(tab);
    page->setWindowFlags(Qt::Widget);
    layout->addWidget(page);
    if (tab->isVisible())
        page->show(); // a group already on screen shows it at once
}

void TfmTabbedPage::UpdatePage() {
    if (TPage* p = ActivePage())
        p->UpdatePage();
}

void TfmTabbedPage::UpdateObject() {
    if (TPage* p = ActivePage())
        p->UpdateObject();
}
