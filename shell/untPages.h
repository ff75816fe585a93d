#pragma once
// Pages of the test bench: every screen that exercises the driver is a page,
// shown inside a tab of a group page. Every button that talks to the driver
// follows one protocol: EnableButtons(false); the driver calls; always
// EnableButtons(true) — which tells the main window to clear and then fill
// its result panel.

#include "common/untBaseForm.h"

#include <QList>
#include <functional>
#include <memory>

class TPages;

class TPage : public TBaseForm {
    Q_OBJECT
public:
    explicit TPage(QWidget* parent = nullptr);
    ~TPage() override;

    void EnableButtons(bool value) override;
    // Once, after every page exists: fill lists.
    virtual void Initialize() {}
    // Copy state into the page's controls.
    virtual void UpdatePage() {}
    // Copy the controls back into state; called when the page is left.
    virtual void UpdateObject() {}
    virtual void LoadDefaults() {}

    // A non-zero code ends the running handler by a silent abort.
    void Check(int resultCode);

    TPages* Owner() const { return FOwner; }
    void SetOwner(TPages* list);

    // Connects a button to a handler run by the page protocol, through the
    // error wrapper: no exception leaves it.
    void ConnectButton(QAbstractButton* button, std::function<void()> handler);
    // Runs a handler by the page protocol (also for tests).
    bool RunProtected(const std::function<void()>& handler);

private:
    friend class TPages;
    QPointer<QWidget> FButton;
    TPages* FOwner = nullptr;
};

// The list that owns the pages.
class TPages {
public:
    TPages() = default;
    ~TPages();
    TPages(const TPages&) = delete;
    TPages& operator=(const TPages&) = delete;

    int Count() const { return FList ? int(FList->size()) : 0; }
    TPage* Items(int index) const { return FList->at(index); }
    int IndexOf(TPage* page) const { return FList ? int(FList->indexOf(page)) : -1; }
    bool ValidIndex(int index) const { return index >= 0 && index < Count(); }
    // The first page that is of the class or of a descendant, or none.
    TPage* PageByClass(const QMetaObject& cls) const;
    template <typename T> T* PageByClass() const {
        return static_cast<T*>(PageByClass(T::staticMetaObject));
    }

    void InsertItem(TPage* page);
    void RemoveItem(TPage* page);

private:
    std::unique_ptr<QList<TPage*>> FList; // exists while it holds a page
};

// Tells the main window that a driver call starts (false) and ends (true).
class TPageNotifier {
public:
    std::function<void(TPageNotifier* sender, bool value)> OnChange;
    void DoChange(bool value) {
        if (OnChange)
            OnChange(this, value);
    }
};
TPageNotifier& PageNotifier();
