#include "wizard/frame/ParamPage.h"

TParamPage::TParamPage(QWidget* parent) : TBaseForm(parent) {}

TParamPage::~TParamPage() {
    if (FOwner)
        FOwner->Remove(this);
}

void TParamPage::SetOwner(TParamPages* owner) {
    if (FOwner == owner)
        return;
    if (FOwner)
        FOwner->Remove(this);
    FOwner = owner;
    if (FOwner)
        FOwner->Insert(this);
}

int TParamPage::Index() const {
    return FOwner ? FOwner->IndexOf(this) : -1;
}

TParamPages::~TParamPages() {
    // Each page detaches itself from the list while it is destroyed.
    while (!FList.isEmpty())
        delete FList.last();
}

int TParamPages::IndexOf(const TParamPage* page) const {
    return int(FList.indexOf(const_cast<TParamPage*>(page)));
}

void TParamPages::Insert(TParamPage* page) {
    if (!FList.contains(page))
        FList.append(page);
}

void TParamPages::Remove(TParamPage* page) {
    FList.removeAll(page);
}

int TParamPages::PageIndexByTag(int tag) const {
    for (int i = 0; i < FList.size(); ++i)
        if (ControlTag(FList[i]) == tag)
            return i;
    return -1;
}

int TParamPages::IndexByClass(const char* className) const {
    if (!className || !*className)
        return -1;
    for (int i = 0; i < FList.size(); ++i)
        if (FList[i]->inherits(className))
            return i;
    return -1;
}

TParamPage* TParamPages::PageByClass(const char* className) const {
    return FList.value(IndexByClass(className));
}

void TParamPages::UpdatePage() {
    for (TParamPage* p : FList)
        p->UpdatePage();
}

void TParamPages::UpdateObject() {
    for (TParamPage* p : FList)
        p->UpdateObject();
}

void TParamPages::CloseEvent() {
    for (TParamPage* p : FList)
        p->CloseEvent();
}
