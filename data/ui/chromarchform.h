// What the two chromatograph archive views share: the grid models that format the rows of
// a record set on demand, the two synchronised grids with their headings, the hidden
// status columns and the detail form, saving, printing and Excel export, and the hooks
// through which the print forms, the spreadsheet export and tests reach them.
#pragma once
#include <QAbstractTableModel>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "data/chromview.h"
#include "reports/printheading.h"
#include "reports/xlsexport.h"

class QAction;
class QLabel;
class QPushButton;
class QTableView;
class TFormChromError;

namespace qvr {

// The left grid: column 0 spacer, 1 date, 2 time (5-minute) or start, 3 status byte
// (5-minute) or end, 4 status word (5-minute) or status byte.
class ChromLeftGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ChromLeftGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void SetArchiveSet(const ChromArchiveSet* set);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const ChromArchiveSet* set_ = nullptr;
};

// The value grid: column 0 spacer, column c + 1 display column c. Headings: three lines
// and the unit of each gas parameter.
class ChromValueGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ChromValueGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void SetArchiveSet(const ChromArchiveSet* set);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const ChromArchiveSet* set_ = nullptr;
};

// What the archive print receives from a view.
struct ChromArchivePrintJob {
    PrintHeadingKind kind = 0;                   // 0 hourly, 1 daily, 2 5-minute
    const ArchiveFileHeader* header = nullptr;
    const char* orgName = nullptr;               // zero-terminated, Windows-1251, at most 40
    const float* means = nullptr;                // 20, by gas parameter
    const QAbstractItemModel* leftGrid = nullptr;   // column 1 date, 2 time/start, 3 end
    const QAbstractItemModel* valueGrid = nullptr;  // column 1 + p = display position p
};
// Builds the printout of a view and runs its preview. An exception thrown here is reported
// as "Ошибка печати данных". Without a hook the print button does nothing after the
// heading question.
using ChromArchivePrintHook = std::function<void(QWidget* parent, const ChromArchivePrintJob& job)>;
void SetChromArchivePrintHook(ChromArchivePrintHook hook);

// Builds the one-analysis passport from the record and the organisation name and previews
// it (preview true) or prints it. Without a hook nothing is printed.
using MomentPassportPrintHook =
    std::function<void(QWidget* parent, const uint8_t* passport, const char* orgTitle, bool preview)>;
void SetMomentPassportPrintHook(MomentPassportPrintHook hook);
const MomentPassportPrintHook& CurrentMomentPassportPrintHook();

// What the Excel export takes from a view: its caption, method line and grid texts.
ChromExcelExport ChromExcelExportOf(const ChromArchiveSet& set, const QString& caption, const QString& methodLine);

// Replaces the modal save dialog (tests): returns the chosen path, empty for Cancel.
void SetChromSaveDialogHook(DataSaveChooser chooser);

}  // namespace qvr

// The twin viewer forms' common part.
class TChromArchiveForm : public QDialog {
    Q_OBJECT
public:
    ~TChromArchiveForm() override;
    // Inputs, set by the caller before the form is shown (the caller keeps them alive).
    const qvr::ArchiveFileHeader* Header = nullptr;
    const std::vector<uint8_t>* Records = nullptr;  // header.recordCount raw records

    float Means[qvr::kGasParamCount] = {};  // by GasAnalysis index
    uint8_t StatusColumns = 0;             // 1 while the status columns are shown

    QLabel* Label4;           // method line
    QTableView* StringGrid1;  // left grid
    QTableView* StringGrid2;  // value grid
    QPushButton* BitBtn1;     // "Выход"
    QPushButton* BitBtn2;     // "Сохранить в файле"
    QPushButton* BitBtn3;     // "Печать"
    QPushButton* BitBtn4;     // "Печать 1 анализа" (5-minute view only)
    QPushButton* BitBtn5;     // "Сохранить в формате Excel"
    QAction* N1;              // the hidden Ctrl+S command

    qvr::ChromLeftGridModel* LeftModel;
    qvr::ChromValueGridModel* ValueModel;

    const qvr::ChromArchiveSet& ArchiveSet() const { return *set_; }
    // The row selected in the value grid (-1 without rows).
    int SelectedRow() const;
    // Selects a row in both grids and brings it into view.
    void SelectRow(int row);
    // Fills the inputs and the caption of the detail form for a row.
    virtual void PrepareChromError(int row, TFormChromError& form) const = 0;

    // Captions, headings, working copy, grids, window size. Runs once, when first shown.
    void FormShow();

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn5Click();
    virtual void N1Click();
    void StringGrid1Click(const QModelIndex& index);
    void StringGrid2Click(const QModelIndex& index);
    void StringGrid2DblClick(const QModelIndex& index);

protected:
    TChromArchiveForm(QWidget* parent, bool moment);
    virtual qvr::ChromViewKind ViewKind() const = 0;
    virtual qvr::PrintHeadingKind HeadingKind() const = 0;
    virtual void AfterShow() {}
    // The left grid's status columns (hidden while StatusColumns is 0).
    virtual QList<int> StatusColumnList() const = 0;
    void ApplyStatusColumns();

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void FormClose();

private:
    void SizeWindow();
    std::unique_ptr<qvr::ChromArchiveSet> set_;
    bool shown_ = false;
    bool syncing_ = false;
};

namespace qvr {

// Shows a chromatograph archive set in its view, modally: the 5-minute view for
// Chrom5Min, the hour/day view for ChromHour and ChromDay. false for any other kind.
bool ShowChromArchiveView(QWidget* parent, DataKind kind, const ArchiveFileHeader& header,
                          const std::vector<uint8_t>& records, int headingKind);
// Installs the views as the archive commands' view hook; the other kinds (moisture
// analyser) go on to `others` when one is given.
void InstallChromArchiveViews(std::function<void(QWidget*, DataKind, const ArchiveFileHeader&,
                                                 const std::vector<uint8_t>&, int)> others = nullptr);

}  // namespace qvr
