#pragma once
// A group page: hosts several pages, one a tab.

#include "shell/untPages.h"

#include <memory>

class QTabWidget;
namespace Ui {
class TfmTabbedPage;
}

class TfmTabbedPage : public TPage {
    Q_OBJECT
public:
    explicit TfmTabbedPage(QWidget* parent = nullptr);
    ~TfmTabbedPage() override;

    QTabWidget* PageControl() const;
    // The page on the active tab, or none.
    TPage* ActivePage() const;
    // Adds a tab holding the page; the tab's text is the page's caption.
    void AddPage(TPage* page);

    void UpdatePage() override;
    void UpdateObject() override;

private:
    TPage* PageOfTab(int index) const;
    std::unique_ptr<Ui::TfmTabbedPage> ui;
    int FCurrent = -1;
    bool FAdding = false;
};
