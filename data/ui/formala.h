// The diagnostic-message log view (TFormAla) and what it shares with the intervention log
// view (TFormAud): the grid model over the rows' seven texts, the form with its grid,
// status panel, caption and window size, saving to an .ala / .aud file and the log print.
#pragma once
#include <QAbstractTableModel>
#include <QDialog>
#include <cstdint>
#include <vector>

#include "data/logview.h"
#include "reports/printheading.h"

class QPushButton;
class QTableView;
class TStatusBar;

namespace qvr {

// Column 0 a narrow spacer, columns 1..7 the seven texts of each row.
class LogGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    LogGridModel(uint8_t log, QObject* parent = nullptr) : QAbstractTableModel(parent), log_(log) {}
    void SetRows(const std::vector<LogRowTexts>* rows);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The text of a cell as shown (UTF-8); "" outside the rows.
    std::string Cell(int row, int column) const;

private:
    uint8_t log_;
    const std::vector<LogRowTexts>* rows_ = nullptr;
};

// Replaces the modal save dialog of both log views (tests): the chosen path, empty for
// Cancel.
void SetLogSaveDialogHook(DataSaveChooser chooser);

// Shows a log record set in its view, modally: TFormAla for log 0, TFormAud for log 1.
void ShowLogViewForm(QWidget* parent, const LogData& data);
// Installs ShowLogViewForm as the log commands' view hook.
void InstallLogViews();

}  // namespace qvr

class TLogViewForm : public QDialog {
    Q_OBJECT
public:
    // Input, set by the caller before the form is shown and kept alive by it: the mode,
    // header, first index and the records (modes 0, 1) or text rows (mode 2).
    const qvr::LogData* Data = nullptr;

    QTableView* StringGrid1;
    TStatusBar* StatusBar1;  // one panel: the warning about records that fail their CRC
    QPushButton* BitBtn1;    // "Выход"
    QPushButton* BitBtn2;    // "Сохранить в файле"
    QPushButton* BitBtn3;    // "Печать"
    qvr::LogGridModel* Model;

    // The rows as shown.
    const std::vector<qvr::LogRowTexts>& Rows() const { return rows_; }

    // Caption, row count, grid fill, window size, last row selected. Runs once.
    void FormShow();
    void FormResize();

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();

protected:
    TLogViewForm(QWidget* parent, uint8_t log, int width);
    // The rows of the set (records decoded, or text rows read).
    virtual void FillGrid() = 0;
    // The body of the saved file: one text row per grid row.
    virtual std::vector<uint8_t> SaveBody() const = 0;

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    virtual void FormClose() {}
    // Shows the CRC warning in the status panel.
    void ShowCrcWarning();

    uint8_t log_;
    int width_;
    std::vector<qvr::LogRowTexts> rows_;

private:
    void SizeWindow();
    bool shown_ = false;
};

class TFormAla : public TLogViewForm {
    Q_OBJECT
public:
    explicit TFormAla(QWidget* parent = nullptr);

    // The view's own text rows (count x 300 bytes) in modes 0 and 1, made when the grid is
    // filled and freed when the form closes.
    std::vector<uint8_t> TextRows;

    // Records to grid and text rows.
    void FillDiagGrid();
    // Text rows to grid.
    void FillDiagGridFromText();

protected:
    void FillGrid() override;
    std::vector<uint8_t> SaveBody() const override;
    void FormClose() override;
};
