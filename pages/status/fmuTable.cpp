#include "pages/status/fmuTable.h"

#include "driver/untDriver.h"
#include "platform/Translation.h"
#include "ui_fmuTable.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QString Line(const QString& label, const QString& value) {
    return label + QStringLiteral(": ") + value;
}

} // namespace

TfmTable::TfmTable(QWidget* parent) : TPage(parent), ui(std::make_unique<Ui::TfmTable>()) {
    ui->setupUi(this);
    FReport = TReport(ui->Memo);

    ConnectButton(ui->btnGetTableStruct, [this] { btnGetTableStructClick(); });
    ConnectButton(ui->btnGetFieldStruct, [this] { btnGetFieldStructClick(); });
    ConnectButton(ui->btnReadTable, [this] { btnReadTableClick(); });
    ConnectButton(ui->btnWriteTable, [this] { btnWriteTableClick(); });
    ConnectButton(ui->btnInitTable, [this] { btnInitTableClick(); });
    ConnectButton(ui->btnShowTablesDlg, [this] { btnShowTablesDlgClick(); });
    ConnectButton(ui->btnExportTables, [this] { btnExportTablesClick(); });
    ConnectButton(ui->btnImportTables, [this] { btnImportTablesClick(); });
    // Choosing a file talks to no driver: no page protocol around it.
    connect(ui->btnOpenFile, &QPushButton::clicked, this, [this] { btnOpenFileClick(); });
}

TfmTable::~TfmTable() = default;

void TfmTable::AddFieldStruct(const QString& indent) {
    TDriver& d = Driver();
    FReport.AddText(indent + Line(Tr("Название поля"), d.FieldName()));
    const bool text = d.FieldType();
    FReport.AddText(text ? Tr("Тип поля: строка") : Tr("Тип поля: число"));
    FReport.AddText(indent + Line(Tr("Размер поля"), QString::number(d.FieldSize())));
    if (!text) {
        // The register's limits are unsigned: a negative value is its bit pattern.
        FReport.AddText(Line(Tr("Мин. значение"), QString::number(quint32(d.MINValueOfField()))));
        FReport.AddText(Line(Tr("Макс. значение"), QString::number(quint32(d.MAXValueOfField()))));
    }
}

void TfmTable::ShowValue() {
    TDriver& d = Driver();
    ui->edtValue->setText(d.FieldType() ? d.ValueOfFieldString()
                                        : QString::number(d.ValueOfFieldInteger()));
}

void TfmTable::btnGetTableStructClick() {
    FReport.Clear();
    TDriver& d = Driver();
    d.SetTableNumber(ui->seTableNumber->value());
    if (d.GetTableStruct() != 0)
        return;
    // After the call RowNumber and FieldNumber hold the table's counts.
    FReport.AddText(Line(Tr("Название таблицы"), d.TableName()));
    FReport.AddText(Line(Tr("Количество рядов"), QString::number(d.RowNumber())));
    FReport.AddText(Line(Tr("Количество полей"), QString::number(d.FieldNumber())));
}

void TfmTable::btnGetFieldStructClick() {
    FReport.Clear();
    TDriver& d = Driver();
    d.SetTableNumber(ui->seTableNumber->value());
    d.SetFieldNumber(ui->seFieldNumber->value());
    if (d.GetFieldStruct() != 0)
        return;
    AddFieldStruct(QString());
}

void TfmTable::btnReadTableClick() {
    FReport.Clear();
    TDriver& d = Driver();
    d.SetTableNumber(ui->seTableNumber->value());
    d.SetFieldNumber(ui->seFieldNumber->value());
    d.SetRowNumber(ui->seRowNumber->value());
    if (d.ReadTable() != 0)
        return;
    AddFieldStruct(QString());
    ShowValue();
}

void TfmTable::btnWriteTableClick() {
    FReport.Clear();
    TDriver& d = Driver();
    d.SetTableNumber(ui->seTableNumber->value());
    d.SetFieldNumber(ui->seFieldNumber->value());
    d.SetRowNumber(ui->seRowNumber->value());
    // The text also for a number field: the register converts it and its
    // code says whether the text was a number.
    d.SetValueOfFieldString(ui->edtValue->text());
    if (d.WriteTable() != 0)
        return;
    FReport.AddText(Tr("Структура поля") + QLatin1Char(':'));
    AddFieldStruct(QString(4, QLatin1Char(' ')));
    ShowValue();
}

void TfmTable::btnInitTableClick() {
    QMessageBox box(QMessageBox::Warning, Tr("Инициализировать таблицы"), Tr("Вы уверены?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    // Every table goes back to its defaults: a stray Enter must not do that.
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes)
        return;
    Driver().InitTable();
}

void TfmTable::btnShowTablesDlgClick() {
    TDriver& d = Driver();
    // The table editor is modal over the window that shows this page.
    d.SetParentWnd(int(window()->winId()));
    d.ShowTablesDlg();
}

void TfmTable::btnOpenFileClick() {
    QFileDialog dlgSave(this);
    dlgSave.setObjectName(QStringLiteral("dlgSave"));
    dlgSave.setAcceptMode(QFileDialog::AcceptSave);
    dlgSave.setNameFilters({Tr("Файлы CSV (*.csv)"), Tr("Все файлы (*)")});
    dlgSave.setDefaultSuffix(QStringLiteral("csv"));
    if (!ui->edtFileName->text().isEmpty())
        dlgSave.selectFile(ui->edtFileName->text());
    if (dlgSave.exec() != QDialog::Accepted || dlgSave.selectedFiles().isEmpty())
        return;
    ui->edtFileName->setText(QDir::toNativeSeparators(dlgSave.selectedFiles().constFirst()));
}

void TfmTable::btnExportTablesClick() {
    TDriver& d = Driver();
    d.SetFileName(ui->edtFileName->text());
    d.ExportTables();
}

void TfmTable::btnImportTablesClick() {
    TDriver& d = Driver();
    d.SetFileName(ui->edtFileName->text());
    d.ImportTables();
}
