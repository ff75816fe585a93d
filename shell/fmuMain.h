#pragma once
// The main window of the test bench: the group list on the left, the group
// page shown on the right, and the result panel at the bottom that shows
// after every driver call what the driver returned.

#include "common/untBaseForm.h"
#include "shell/PageTree.h"
#include "shell/untPages.h"

#include <QElapsedTimer>
#include <memory>

class QListWidget;
class TfmTabbedPage;
namespace Ui {
class TfmMain;
}

// Bits per second of the driver's BaudRate index (unknown indexes: 4800).
int IntToBaudRate(int index);
// A text pasted into the password field: at most 1024 characters, an integer.
// Raises EError otherwise.
void CheckPasswordText(const QString& text);

class TfmMain : public TBaseForm {
    Q_OBJECT
public:
    explicit TfmMain(const TPageTree& tree, QWidget* parent = nullptr);
    ~TfmMain() override;

    TPages& Pages() { return *FPages; }
    // The group page shown now, or none.
    TPage* CurrentPage() const { return FPage; }
    QListWidget* GroupList() const;

    void ShowPage(TPage* page);
    int GetTabIndex() const;
    void SetTab(int index);
    QString GetDefCaption() const;
    void UpdateCaption();
    void UpdateLanguage();
    void SetDefaults();
    void LoadParams();
    void SaveParams();
    // The result panel, told by the page notifier that a call starts (false)
    // or ended (true).
    void PagesChanged(TPageNotifier* sender, bool value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TfmTabbedPage* AddTabbedPage(const QString& caption);
    void AddTabItem(TfmTabbedPage* group, TPageFactory create);
    void CreatePages();
    void InitializePages();
    void UpdateListBox();
    void ListBoxClick();
    void edtPasswordChange();
    void edtPasswordExit();
    bool PasteAllowed(const QString& text);
    void ShowPasswordMenu(const QPoint& pos);
    void btnPropertiesClick();
    void miShowPropertiesClick();
    void btnAboutClick();
    void SelectLanguage(const QString& code);

    std::unique_ptr<Ui::TfmMain> ui;
    TPageTree FTree;
    std::unique_ptr<TPages> FPages;
    TPage* FPage = nullptr;
    QElapsedTimer FTickCount;
    bool FLoading = false; // a refused saved value is a warning, not a message
};
