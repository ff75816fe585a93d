#pragma once
// A step of the wizard and the list that owns the steps.

#include "common/untBaseForm.h"

#include <QList>
#include <QString>

class TParamPages;

// Every step derives from this. The frame shows one step at a time; a step's
// Next validates and stores its input, does the step's device work and names
// the class of the step that follows (TController::NextPageClass). An error
// raised from Next keeps the wizard on the step.
class TParamPage : public TBaseForm {
    Q_OBJECT
public:
    explicit TParamPage(QWidget* parent = nullptr);
    ~TParamPage() override;

    void SetOwner(TParamPages* owner);
    TParamPages* Owner() const { return FOwner; }
    int Index() const;

    virtual QString Info() const { return {}; }
    virtual void CloseEvent() {}
    virtual void Next() {}
    virtual void Prev() {}
    virtual void UpdatePage() {}
    virtual void SetDefaults() {}
    virtual void UpdateObject() {}
    virtual void Home() {}
    // The step's entry work, run by the frame each time the step is shown
    // (after it became visible). An error shows its message; the step stays
    // shown with what it filled so far.
    virtual void OnShow() {}

    // The step Back returns to; written by the frame when the step is entered
    // going forward.
    TParamPage* PrevPage = nullptr;

private:
    TParamPages* FOwner = nullptr;
};

// The owning list of steps, in the order the main window created them.
class TParamPages {
public:
    TParamPages() = default;
    TParamPages(const TParamPages&) = delete;
    TParamPages& operator=(const TParamPages&) = delete;
    ~TParamPages();

    TParamPage* Items(int index) const { return FList.value(index); }
    TParamPage* GetItem(int index) const { return Items(index); }
    int Count() const { return int(FList.size()); }
    int PageIndex() const { return FPageIndex; }
    int IndexOf(const TParamPage* page) const;

    void Insert(TParamPage* page);
    void Remove(TParamPage* page);

    // Index of the first page whose tag equals tag, else -1.
    int PageIndexByTag(int tag) const;
    // First page that is an instance of the class or of a class derived from
    // it (by its meta-object class name), else null.
    TParamPage* PageByClass(const char* className) const;
    int IndexByClass(const char* className) const;

    void UpdatePage();
    void UpdateObject();
    void CloseEvent();

private:
    QList<TParamPage*> FList;
    int FPageIndex = 0;
};
