#pragma once
// The page "Шрифты": the register's print fonts and their metrics, a test
// print of a font, loading a font file, the font hash and the font reset.

#include "pages/status/untReport.h"
#include "shell/untPages.h"

#include <memory>

namespace Ui {
class TfmFont;
}

class TfmFont : public TPage {
    Q_OBJECT
public:
    explicit TfmFont(QWidget* parent = nullptr);
    ~TfmFont() override;

    // The small font shipped with the program: "Fonts" beside its folder.
    static QString SmallFontFileName();

private:
    void btnGetFontMetricsClick();
    void btnGetFontsMetricsClick();
    void btnLoadFontClick();
    void btnTestPrintClick();
    void btnReadFontHashClick();
    void btnResetFontClick();
    void btnLoadSmallFontClick();

    void AddLine(const QString& label, const QString& value);
    // The three sizes of the font GetFontMetrics answered for, and the
    // characters per line when the character width is known.
    void AddFontSizes();
    void LoadFontFile(const QString& fileName);
    void ShowMessage(const QString& text);

    std::unique_ptr<Ui::TfmFont> ui;
    TReport FReport{nullptr};
};
