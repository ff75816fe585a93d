#include "pages/status/fmuFont.h"

#include "driver/untDriver.h"
#include "platform/Translation.h"
#include "ui_fmuFont.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFont>

namespace {

constexpr int kLabelWidth = 24;
constexpr int kSeparatorWidth = 33;
constexpr int kTestLines = 16;
constexpr int kTestFeedLines = 15;

// A line of the test print: the code of its first character as "0xHH", a
// blank and the sixteen characters from that code on.
QString TestLine(int line) {
    const int first = 16 * line;
    QString text = QStringLiteral("0x") +
                   QStringLiteral("%1").arg(first, 2, 16, QLatin1Char('0')).toUpper() +
                   QLatin1Char(' ');
    for (int code = first; code < first + 16; ++code)
        text += QChar(code);
    return text;
}

} // namespace

TfmFont::TfmFont(QWidget* parent) : TPage(parent), ui(std::make_unique<Ui::TfmFont>()) {
    ui->setupUi(this);
    FReport = TReport(ui->Memo);
    // Metrics are aligned in columns: a fixed-pitch font, whichever the
    // system has when "Courier New" is missing.
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(13);
    ui->Memo->setFont(font);

    ConnectButton(ui->btnGetFontMetrics, [this] { btnGetFontMetricsClick(); });
    ConnectButton(ui->btnGetFontsMetrics, [this] { btnGetFontsMetricsClick(); });
    ConnectButton(ui->btnLoadFont, [this] { btnLoadFontClick(); });
    ConnectButton(ui->btnTestPrint, [this] { btnTestPrintClick(); });
    ConnectButton(ui->btnReadFontHash, [this] { btnReadFontHashClick(); });
    ConnectButton(ui->btnResetFont, [this] { btnResetFontClick(); });
    ConnectButton(ui->btnLoadSmallFont, [this] { btnLoadSmallFontClick(); });
}

TfmFont::~TfmFont() = default;

QString TfmFont::SmallFontFileName() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../Fonts/font_9.spf"));
}

void TfmFont::AddLine(const QString& label, const QString& value) {
    FReport.AddLineWidth(label, value, kLabelWidth);
}

void TfmFont::AddFontSizes() {
    TDriver& d = Driver();
    AddLine(Tr("Ширина печати в точках"), QString::number(d.PrintWidth()));
    AddLine(Tr("Ширина символа в точках"), QString::number(d.CharWidth()));
    AddLine(Tr("Высота символа в точках"), QString::number(d.CharHeight()));
}

void TfmFont::btnGetFontMetricsClick() {
    FReport.Clear();
    TDriver& d = Driver();
    d.SetFontType(ui->seFontType->value());
    if (d.GetFontMetrics() != 0)
        return;
    FReport.AddText(QString());
    AddFontSizes();
    AddLine(Tr("Количество шрифтов"), QString::number(d.FontCount()));
    if (d.CharWidth() > 0)
        AddLine(Tr("Символов в строке"), QString::number(d.PrintWidth() / d.CharWidth()));
}

void TfmFont::btnGetFontsMetricsClick() {
    struct CaretToStart {
        QPlainTextEdit* memo;
        ~CaretToStart() { memo->moveCursor(QTextCursor::Start); }
    } caret{ui->Memo};
    FReport.Clear();
    TDriver& d = Driver();
    d.SetFontType(1);
    if (d.GetFontMetrics() != 0)
        return;
    FReport.AddText(QString());
    const int count = d.FontCount();
    AddLine(Tr("Количество шрифтов"), QString::number(count));
    for (int font = 1; font <= count; ++font) {
        d.SetFontType(font);
        if (d.GetFontMetrics() != 0)
            break;
        FReport.AddMemoLine(QString(kSeparatorWidth, QLatin1Char('-')));
        AddLine(Tr("Номер шрифта"), QString::number(font));
        AddFontSizes();
        if (d.CharWidth() > 0)
            AddLine(Tr("Символов в строке"), QString::number(d.PrintWidth() / d.CharWidth()));
    }
}

void TfmFont::ShowMessage(const QString& text) {
    FReport.Clear();
    FReport.AddText(text);
}

void TfmFont::LoadFontFile(const QString& fileName) {
    ShowMessage(Tr("Загрузка шрифта..."));
    // Loading takes a while: the operator sees the message before it starts.
    ui->Memo->repaint();
    try {
        TDriver& d = Driver();
        d.SetFileName(fileName);
        Check(d.LoadFont());
    } catch (...) {
        ShowMessage(Tr("Ошибка загрузки шрифта"));
        throw;
    }
    ShowMessage(Tr("Шрифт загружен"));
}

void TfmFont::btnLoadFontClick() {
    QFileDialog dlgOpen(this);
    dlgOpen.setObjectName(QStringLiteral("dlgOpen"));
    dlgOpen.setAcceptMode(QFileDialog::AcceptOpen);
    dlgOpen.setFileMode(QFileDialog::ExistingFile);
    dlgOpen.setDefaultSuffix(QStringLiteral("spf"));
    if (dlgOpen.exec() != QDialog::Accepted || dlgOpen.selectedFiles().isEmpty())
        return;
    LoadFontFile(dlgOpen.selectedFiles().constFirst());
}

void TfmFont::btnLoadSmallFontClick() {
    LoadFontFile(SmallFontFileName());
}

void TfmFont::btnTestPrintClick() {
    TDriver& d = Driver();
    const int font = ui->seFontType->value();
    d.SetFontType(font);
    d.SetStringForPrinting(Tr("Шрифт") + QLatin1Char(' ') + QString::number(font));
    Check(d.PrintStringWithFont());
    for (int line = 0; line < kTestLines; ++line) {
        d.SetStringForPrinting(TestLine(line));
        Check(d.PrintStringWithFont());
    }
    d.SetStringQuantity(kTestFeedLines);
    Check(d.FeedDocument());
}

void TfmFont::btnReadFontHashClick() {
    FReport.Clear();
    TDriver& d = Driver();
    Check(d.ReadFontHash());
    FReport.AddText(d.FontHashHex());
}

void TfmFont::btnResetFontClick() {
    Check(Driver().ResetFont());
}
