#pragma once
// The wizard's main window: one step at a time in the central panel, its
// caption in the title bar, Back / Next / Home / driver settings below.

#include "wizard/frame/ParamPage.h"
#include "wizard/frame/untController.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class TfmMain;
}

// One row of the step table: the step's class name and how to create it.
struct TStepDef {
    const char* className;
    std::function<TParamPage*()> create;
};

class TfmMain : public QDialog, public IWizardWindow {
    Q_OBJECT
public:
    // Creates the steps in the order given; the first becomes the current one.
    explicit TfmMain(const std::vector<TStepDef>& steps, QWidget* parent = nullptr);
    ~TfmMain() override;

    TParamPages& Pages() { return FPages; }
    int PageIndex() const { return FIndex; }
    QString DefCaption() const;
    // Shows the step at index; an index outside the list changes nothing.
    void ShowPage(int index);

    void btnNextClick();
    void btnPrevClick();
    void btnHomeClick();
    void btnSettingsClick();

    // IWizardWindow
    void DoNext() override { btnNextClick(); }
    void DoPrev() override { btnPrevClick(); }
    void ShowFirstPage() override;
    bool NextEnabled() const override;
    bool PrevEnabled() const override;
    void SetNextEnabled(bool value) override;
    void SetPrevEnabled(bool value) override;
    void SetHomeEnabled(bool value) override;
    void SetSettingsEnabled(bool value) override;
    TParamPage* PageByClass(const char* className) const override;

    // "X5.ini" beside the program switches the wizard to X5 mode.
    static bool X5MarkerPresent();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddPage(TParamPage* page);

    std::unique_ptr<Ui::TfmMain> ui;
    TParamPages FPages;
    int FIndex = -1;
    bool FShown = false;
};
