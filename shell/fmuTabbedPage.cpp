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
    page->setParent(tab);
    page->setWindowFlags(Qt::Widget);
    layout->addWidget(page);
    page->setVisible(true);
    // Adding the first tab makes it current; that is no change of page: the
    // page is not initialised yet.
    FAdding = true;
    ui->PageControl->addTab(tab, page->windowTitle());
    FAdding = false;
    FCurrent = ui->PageControl->currentIndex();
}

void TfmTabbedPage::UpdatePage() {
    if (TPage* p = ActivePage())
        p->UpdatePage();
}

void TfmTabbedPage::UpdateObject() {
    if (TPage* p = ActivePage())
        p->UpdateObject();
}
