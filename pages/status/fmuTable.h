#pragma once
// The page "Таблицы": the structure of the register's tables and fields, one
// cell read and written, all tables reset to their defaults, the driver's
// table editor, and all tables saved to or loaded from a file.

#include "pages/status/untReport.h"
#include "shell/untPages.h"

#include <memory>

namespace Ui {
class TfmTable;
}

class TfmTable : public TPage {
    Q_OBJECT
public:
    explicit TfmTable(QWidget* parent = nullptr);
    ~TfmTable() override;

private:
    void btnGetTableStructClick();
    void btnGetFieldStructClick();
    void btnReadTableClick();
    void btnWriteTableClick();
    void btnInitTableClick();
    void btnShowTablesDlgClick();
    void btnOpenFileClick();
    void btnExportTablesClick();
    void btnImportTablesClick();

    // The field-structure lines; indent goes before the name and size lines.
    void AddFieldStruct(const QString& indent);
    // The cell's value as the register gave it back.
    void ShowValue();

    std::unique_ptr<Ui::TfmTable> ui;
    TReport FReport{nullptr};
};
