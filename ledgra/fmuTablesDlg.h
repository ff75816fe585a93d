#pragma once
// The component's table editor (ShowTablesDlg): every table of the device,
// the cells of the chosen one, and writing the cells the operator changed.
// It calls the component like any caller does, so the object's lock is free
// while it runs.

#include "driver/TLedgra.h"

#include <QDialog>
#include <memory>
#include <optional>
#include <vector>

namespace Ui {
class TfmTablesDlg;
}
class QTableWidgetItem;

class TfmTablesDlg : public QDialog {
    Q_OBJECT
public:
    TfmTablesDlg(ILedgra& object, QWidget* parent = nullptr);
    ~TfmTablesDlg() override;

    // Lists the tables again and reads the chosen table's cells.
    void Refresh();
    // Writes the changed cells of the shown table, stopping at the first
    // failure: the status line shows its code and that cell its old value.
    bool WriteChanges();
    void accept() override;
    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    class TBusy;
    struct TField {
        QString name;
        bool isString = false;
    };

    bool ListTables(TBusy& busy);
    void SelectTable(int table);
    void ReadTable(TBusy& busy, int table);
    int WriteCell(QTableWidgetItem* item);
    QString CellValue(const TField& f);
    bool Failed(int code);
    void CommitEditor();
    void CellChanged(QTableWidgetItem* item);
    void EnableControls(bool enable);
    void ClearGrid();

    TLedgra FDriver;
    std::unique_ptr<Ui::TfmTablesDlg> ui;
    int FTable = 0; // the table the grid shows, 0 for none
    std::vector<TField> FFields;
    bool FBusy = false;
    bool FStop = false;
    bool FShown = false;
    std::optional<int> FPendingClose; // closed while busy: closes when the calls end
};

// Shows the editor modally.
void ShowTablesDialog(ILedgra& object);
