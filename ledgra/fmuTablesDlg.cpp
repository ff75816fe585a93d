#include "ledgra/fmuTablesDlg.h"

#include "driver/ResultCodes.h"
#include "platform/Translation.h"
#include "ui_fmuTablesDlg.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

// A device reporting success for every table number must not hang the dialog.
constexpr int kMaxTables = 255;
constexpr int kMaxColumnWidth = 250;
// The value a cell had when read or last written.
constexpr int kStoredRole = Qt::UserRole;

} // namespace

// Marks the dialog busy for a run of driver calls: controls off, wait cursor,
// progress shown; the window keeps working between two calls.
class TfmTablesDlg::TBusy {
public:
    explicit TBusy(TfmTablesDlg& dlg) : FDlg(dlg) {
        FDlg.FBusy = true;
        FDlg.FStop = false;
        FDlg.EnableControls(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        FDlg.ui->pbProgress->setRange(0, 0); // unknown length until Total
        FDlg.ui->pbProgress->setValue(0);
        FDlg.ui->pbProgress->show();
    }
    ~TBusy() {
        FDlg.ui->pbProgress->hide();
        QApplication::restoreOverrideCursor();
        FDlg.EnableControls(true);
        FDlg.FBusy = false;
        if (FDlg.FPendingClose) {
            const int r = *FDlg.FPendingClose;
            FDlg.FPendingClose.reset();
            TfmTablesDlg* dlg = &FDlg;
            QMetaObject::invokeMethod(
                dlg, [dlg, r] { dlg->done(r); }, Qt::QueuedConnection);
        }
    }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

    void Total(int n) {
        FDlg.ui->pbProgress->setRange(0, n);
        FDlg.ui->pbProgress->setValue(0);
    }
    // Called after each driver call; false once the operator closed the dialog.
    bool Step() {
        QProgressBar* p = FDlg.ui->pbProgress;
        if (p->maximum() > 0)
            p->setValue(qMin(p->value() + 1, p->maximum()));
        QCoreApplication::processEvents();
        return !FDlg.FStop;
    }

private:
    TfmTablesDlg& FDlg;
};

TfmTablesDlg::TfmTablesDlg(ILedgra& object, QWidget* parent)
    : QDialog(parent), FDriver(std::shared_ptr<ILedgra>(&object, [](ILedgra*) {})),
      ui(std::make_unique<Ui::TfmTablesDlg>()) {
    ui->setupUi(this);
    ui->splTables->setStretchFactor(1, 1);
    connect(ui->lbTables, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            SelectTable(ui->lbTables->item(row)->data(Qt::UserRole).toInt());
    });
    connect(ui->sgTable, &QTableWidget::itemChanged, this, &TfmTablesDlg::CellChanged);
    connect(ui->btnRefresh, &QPushButton::clicked, this, &TfmTablesDlg::Refresh);
    connect(ui->btnWrite, &QPushButton::clicked, this, &TfmTablesDlg::WriteChanges);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &TfmTablesDlg::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &TfmTablesDlg::reject);
    connect(ui->buttonBox->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &TfmTablesDlg::WriteChanges);
}

TfmTablesDlg::~TfmTablesDlg() = default;

void TfmTablesDlg::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Read once the window is on screen, so the operator sees it working.
    if (!FShown) {
        FShown = true;
        QMetaObject::invokeMethod(this, &TfmTablesDlg::Refresh, Qt::QueuedConnection);
    }
}

void TfmTablesDlg::EnableControls(bool enable) {
    const std::initializer_list<QWidget*> controls = {
        ui->lbTables,
        ui->sgTable,
        ui->btnRefresh,
        ui->btnWrite,
        ui->buttonBox->button(QDialogButtonBox::Ok),
        ui->buttonBox->button(QDialogButtonBox::Apply)};
    for (QWidget* w : controls)
        w->setEnabled(enable);
}

bool TfmTablesDlg::Failed(int code) {
    if (code == 0)
        return false;
    ui->lblStatus->setText(
        QStringLiteral("(%1) %2").arg(code).arg(FDriver.ResultCodeDescription()));
    return true;
}

void TfmTablesDlg::ClearGrid() {
    const QSignalBlocker block(ui->sgTable);
    ui->sgTable->clear();
    ui->sgTable->setRowCount(0);
    ui->sgTable->setColumnCount(0);
    FFields.clear();
    FTable = 0;
}

void TfmTablesDlg::Refresh() {
    if (FBusy)
        return;
    TBusy busy(*this);
    ui->lblStatus->clear();
    const int keep = FTable;
    if (!ListTables(busy)) {
        ClearGrid();
        return;
    }
    int row = ui->lbTables->count() > 0 ? 0 : -1;
    for (int i = 0; i < ui->lbTables->count(); ++i)
        if (ui->lbTables->item(i)->data(Qt::UserRole).toInt() == keep)
            row = i;
    {
        const QSignalBlocker block(ui->lbTables);
        ui->lbTables->setCurrentRow(row);
    }
    if (row < 0)
        ClearGrid();
    else
        ReadTable(busy, ui->lbTables->item(row)->data(Qt::UserRole).toInt());
}

bool TfmTablesDlg::ListTables(TBusy& busy) {
    const QSignalBlocker block(ui->lbTables);
    ui->lbTables->clear();
    // Tables are numbered from 1 without gaps; the first number past the
    // last answers "no such table".
    for (int n = 1; n <= kMaxTables; ++n) {
        FDriver.SetTableNumber(n);
        const int code = FDriver.GetTableStruct();
        if (code == int(RC::NoSuchTable))
            break;
        if (Failed(code))
            return false;
        auto* item = new QListWidgetItem(QStringLiteral("%1. %2").arg(n).arg(FDriver.TableName()));
        item->setData(Qt::UserRole, n);
        ui->lbTables->addItem(item);
        if (!busy.Step())
            return false;
    }
    return true;
}

void TfmTablesDlg::SelectTable(int table) {
    if (FBusy)
        return;
    TBusy busy(*this);
    ui->lblStatus->clear();
    ReadTable(busy, table);
}

QString TfmTablesDlg::CellValue(const TField& f) {
    // Number fields are unsigned; a four-byte one travels as its bit pattern.
    return f.isString ? FDriver.ValueOfFieldString()
                      : QString::number(quint32(FDriver.ValueOfFieldInteger()));
}

void TfmTablesDlg::ReadTable(TBusy& busy, int table) {
    ClearGrid();
    FTable = table;
    FDriver.SetTableNumber(table);
    if (Failed(FDriver.GetTableStruct()))
        return;
    const int rows = qMax(0, FDriver.RowNumber());
    const int fields = qMax(0, FDriver.FieldNumber());
    busy.Total(fields + rows * fields);

    QStringList headers;
    for (int f = 1; f <= fields; ++f) {
        FDriver.SetTableNumber(table);
        FDriver.SetFieldNumber(f);
        if (Failed(FDriver.GetFieldStruct()))
            return;
        FFields.push_back({FDriver.FieldName(), FDriver.FieldType()});
        headers << FFields.back().name;
        if (!busy.Step())
            return;
    }

    QTableWidget* grid = ui->sgTable;
    const QSignalBlocker block(grid);
    grid->setColumnCount(fields);
    grid->setRowCount(rows);
    grid->setHorizontalHeaderLabels(headers);
    // Columns are narrower than long field names: the tooltip shows them whole.
    for (int f = 0; f < fields; ++f)
        grid->horizontalHeaderItem(f)->setToolTip(headers[f]);
    // A cell stays read-only until its value has been read.
    for (int r = 0; r < rows; ++r)
        for (int f = 0; f < fields; ++f) {
            auto* item = new QTableWidgetItem;
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            grid->setItem(r, f, item);
        }
    grid->resizeColumnsToContents();
    for (int f = 0; f < fields; ++f)
        grid->setColumnWidth(f, qMin(grid->columnWidth(f), kMaxColumnWidth));

    for (int r = 1; r <= rows; ++r)
        for (int f = 1; f <= fields; ++f) {
            FDriver.SetTableNumber(table);
            FDriver.SetRowNumber(r);
            FDriver.SetFieldNumber(f);
            if (Failed(FDriver.ReadTable()))
                return;
            QTableWidgetItem* item = grid->item(r - 1, f - 1);
            const QString value = CellValue(FFields[size_t(f - 1)]);
            item->setText(value);
            item->setData(kStoredRole, value);
            item->setFlags(item->flags() | Qt::ItemIsEditable);
            if (!busy.Step())
                return;
        }
}

void TfmTablesDlg::CellChanged(QTableWidgetItem* item) {
    // A changed cell, not yet written, shows in bold.
    const QSignalBlocker block(ui->sgTable);
    QFont font = item->font();
    font.setBold(item->text() != item->data(kStoredRole).toString());
    item->setFont(font);
}

void TfmTablesDlg::CommitEditor() {
    // A cell still open in its editor counts as edited.
    QTableWidget* grid = ui->sgTable;
    const QModelIndex index = grid->currentIndex();
    if (QWidget* editor = index.isValid() ? grid->indexWidget(index) : nullptr) {
        QAbstractItemDelegate* delegate = grid->itemDelegateForIndex(index);
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor);
    }
}

int TfmTablesDlg::WriteCell(QTableWidgetItem* item) {
    const TField& f = FFields[size_t(item->column())];
    const QString text = item->text();
    FDriver.SetTableNumber(FTable);
    FDriver.SetRowNumber(item->row() + 1);
    FDriver.SetFieldNumber(item->column() + 1);
    // The component sends the value set last. A number goes as an integer
    // when it fits 32 bits unsigned (its bit pattern); any other text goes as
    // typed, never wrapped, and the device judges it.
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!f.isString && ok && n >= 0 && n <= qint64(UINT32_MAX))
        FDriver.SetValueOfFieldInteger(int(quint32(n)));
    else
        FDriver.SetValueOfFieldString(text);
    const int code = FDriver.WriteTable();
    const QSignalBlocker block(ui->sgTable);
    // On success the cell shows what the device stored; on failure its old value.
    const QString value = code == 0 ? CellValue(f) : item->data(kStoredRole).toString();
    item->setText(value);
    item->setData(kStoredRole, value);
    QFont font = item->font();
    font.setBold(false);
    item->setFont(font);
    return code;
}

bool TfmTablesDlg::WriteChanges() {
    if (FBusy)
        return false;
    CommitEditor();
    std::vector<QTableWidgetItem*> changed;
    QTableWidget* grid = ui->sgTable;
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int f = 0; f < grid->columnCount(); ++f) {
            QTableWidgetItem* item = grid->item(r, f);
            if (item && (item->flags() & Qt::ItemIsEditable) &&
                item->text() != item->data(kStoredRole).toString())
                changed.push_back(item);
        }
    TBusy busy(*this);
    ui->lblStatus->clear();
    busy.Total(int(changed.size()));
    for (QTableWidgetItem* item : changed) {
        if (Failed(WriteCell(item)))
            return false;
        if (!busy.Step())
            return false;
    }
    return true;
}

void TfmTablesDlg::accept() {
    if (!FBusy && WriteChanges())
        QDialog::accept();
}

void TfmTablesDlg::done(int r) {
    // Closed during a run of calls: stop it, then close.
    if (FBusy) {
        FStop = true;
        FPendingClose = r;
        return;
    }
    QDialog::done(r);
}

void ShowTablesDialog(ILedgra& object) {
    TfmTablesDlg dlg(object);
    dlg.exec();
}
