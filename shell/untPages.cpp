#include "shell/untPages.h"

#include "common/RunHandler.h"
#include "platform/LedgraErrors.h"
#include "shell/untLanguage.h"

#include <QAbstractButton>

TPage::TPage(QWidget* parent) : TBaseForm(parent) {
    // Before the page's layout is set up, so its texts come translated.
    UseLanguage(GetLanguage());
}

TPage::~TPage() {
    SetOwner(nullptr);
}

void TPage::EnableButtons(bool value) {
    PageNotifier().DoChange(value);
    EnableControlButtons(this, value, FButton);
}

void TPage::Check(int resultCode) {
    if (resultCode != 0)
        throw EAbort();
}

void TPage::SetOwner(TPages* list) {
    if (FOwner)
        FOwner->RemoveItem(this);
    if (list)
        list->InsertItem(this);
}

bool TPage::RunProtected(const std::function<void()>& handler) {
    return RunHandler(this, [&] {
        EnableButtons(false);
        struct Guard {
            TPage* page;
            ~Guard() { page->EnableButtons(true); }
        } guard{this};
        handler();
    });
}

void TPage::ConnectButton(QAbstractButton* button, std::function<void()> handler) {
    connect(button, &QAbstractButton::clicked, this,
            [this, h = std::move(handler)] { RunProtected(h); });
}

TPages::~TPages() {
    // Each page leaves the list while it is destroyed.
    while (Count() > 0)
        delete FList->first();
}

TPage* TPages::PageByClass(const QMetaObject& cls) const {
    for (int i = 0; i < Count(); ++i)
        if (FList->at(i)->metaObject()->inherits(&cls))
            return FList->at(i);
    return nullptr;
}

void TPages::InsertItem(TPage* page) {
    if (!FList)
        FList = std::make_unique<QList<TPage*>>();
    FList->append(page);
    page->FOwner = this;
}

void TPages::RemoveItem(TPage* page) {
    page->FOwner = nullptr;
    if (!FList)
        return;
    FList->removeOne(page);
    if (FList->isEmpty())
        FList.reset();
}

TPageNotifier& PageNotifier() {
    static TPageNotifier notifier;
    return notifier;
}
