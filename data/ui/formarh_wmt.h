// What the two moisture-analyser archive views share: the grid model that formats the rows
// of a record set on demand, the form with its one eight-column grid, caption and headings,
// saving and printing, and the hooks through which the archive print and tests reach them.
#pragma once
#include <QAbstractTableModel>
#include <QDialog>
#include <cstdint>
#include <functional>
#include <vector>

#include "data/moistview.h"
#include "reports/printheading.h"

class QLabel;
class QPushButton;
class QTableView;

namespace qvr {

// The eight columns of one record per row; headings: the left headings of the view and the
// four lines of each value column by the analyser type.
class MoistureGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MoistureGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    // records: the raw records, borrowed; rows: how many of them to show.
    void SetRecords(MoistureViewKind kind, uint8_t moistureType, const uint8_t* records, int rows);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    MoistureViewKind kind_ = MoistureViewKind::Moment;
    uint8_t type_ = 0;
    const uint8_t* records_ = nullptr;
    int rows_ = 0;
};

// What the moisture archive print receives from a view.
struct MoistureArchivePrintJob {
    PrintHeadingKind kind = kPrintWmt5Min;      // 6 hourly, 7 daily, 8 5-minute
    const ArchiveFileHeader* header = nullptr;
    const char* orgName = nullptr;              // zero-terminated, Windows-1251, at most 40
    const QAbstractItemModel* grid = nullptr;   // 8 columns, row r = record r
};
// Builds the printout of a view and runs its preview. An exception thrown here is reported
// as "Ошибка печати данных". Without a hook the print button does nothing after the
// heading question.
using MoistureArchivePrintHook = std::function<void(QWidget* parent, const MoistureArchivePrintJob& job)>;
void SetMoistureArchivePrintHook(MoistureArchivePrintHook hook);

// Replaces the modal save dialog (tests): returns the chosen path, empty for Cancel.
void SetMoistureSaveDialogHook(DataSaveChooser chooser);

}  // namespace qvr

class TMoistureArchiveForm : public QDialog {
    Q_OBJECT
public:
    // Inputs, set by the caller before the form is shown (the caller keeps them alive; the
    // records are never changed and not copied).
    const qvr::ArchiveFileHeader* Header = nullptr;
    const std::vector<uint8_t>* Records = nullptr;

    QTableView* StringGrid1;
    QPushButton* BitBtn1;  // "Выход"
    QPushButton* BitBtn2;  // "Сохранить в файле"
    QPushButton* BitBtn3;  // "Печать"
    qvr::MoistureGridModel* Model;

    qvr::MoistureViewKind ViewKind() const { return kind_; }
    int RowCount() const { return rows_; }

    // Headings, caption, row count, window size, grid fill. Runs once, when first shown.
    void FormShow();
    void FormResize();

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();

protected:
    TMoistureArchiveForm(QWidget* parent, qvr::MoistureViewKind kind);
    void SetViewKind(qvr::MoistureViewKind kind) { kind_ = kind; }
    // Runs first in FormShow: a view whose kind depends on its inputs sets it here.
    virtual void BeforeShow() {}
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SizeWindow();
    qvr::MoistureViewKind kind_;
    int rows_ = 0;
    bool shown_ = false;
    bool resizing_ = false;
};

namespace qvr {

// Shows a moisture-analyser archive set in its view, modally: the 5-minute view for
// Wmt5Min, the hour/day view for WmtHour and WmtDay (headingKind 6 or 7; another value
// takes the kind's own). false for any other kind.
bool ShowMoistureArchiveView(QWidget* parent, DataKind kind, const ArchiveFileHeader& header,
                             const std::vector<uint8_t>& records, int headingKind);

}  // namespace qvr
