#include "data/ui/formala.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <ctime>

#include "common/question.h"
#include "common/ui/qtext.h"
#include "common/ui/statusbar.h"
#include "data/ui/formaud.h"
#include "data/ui/logcommands.h"
#include "data/ui/logprint.h"
#include "data/ui/savedialog.h"

namespace qvr {

namespace {

DataSaveChooser& SaveHook() {
    static DataSaveChooser chooser;
    return chooser;
}

// Headings of columns 1..7, one line per '\n'.
const char* const kDiagHeadings[kLogCells] = {"Дата", "Время", "Событие", "Объект / Причина",
                                              "Текущее\nзначение\nпараметра", "Значение\nуставки",
                                              "Единица\nизмерения"};
const char* const kAuditHeadings[kLogCells] = {"Дата",     "Время",    "Наименование\nизмененного параметра",
                                               "Старое\nзначение", "Новое\nзначение", "Единица\nизмерения",
                                               "Оператор"};
// Widths of columns 1..6 in pixels; the last column takes the rest of the window's width.
const int kDiagWidths[kLogCells - 1] = {80, 80, 280, 270, 80, 80};
const int kAuditWidths[kLogCells - 1] = {80, 80, 280, 90, 90, 75};

// The width a cell needs for its text: the text's own width rounded up (it is laid out at
// fractional widths), the margin the grid keeps on both sides of it, and the pixel of the
// grid line.
int CellWidth(const QTableView* grid, const std::string& text) {
    const QFontMetricsF fm(grid->font());
    const int margin = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
    return int(std::ceil(fm.horizontalAdvance(FromUtf8(text)))) + margin + (grid->showGrid() ? 1 : 0);
}

}  // namespace

void SetLogSaveDialogHook(DataSaveChooser chooser) { SaveHook() = std::move(chooser); }

void ShowLogViewForm(QWidget* parent, const LogData& data) {
    if (data.log == kAuditLog) {
        TFormAud form(parent);
        form.Data = &data;
        form.exec();
    } else if (data.log == kDiagLog) {
        TFormAla form(parent);
        form.Data = &data;
        form.exec();
    }
}

void InstallLogViews() { SetLogViewHook(ShowLogViewForm); }

// ---------------------------------------------------------------------------------------

void LogGridModel::SetRows(const std::vector<LogRowTexts>* rows) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

int LogGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !rows_ ? 0 : int(rows_->size());
}

int LogGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kLogGridColumns; }

std::string LogGridModel::Cell(int row, int column) const {
    if (!rows_ || row < 0 || size_t(row) >= rows_->size() || column < 1 || column >= kLogGridColumns) return {};
    return (*rows_)[size_t(row)][size_t(column - 1)];
}

QVariant LogGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return FromUtf8(Cell(index.row(), index.column()));
}

QVariant LogGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 1 || section >= kLogGridColumns)
        return {};
    return FromUtf8((log_ == kAuditLog ? kAuditHeadings : kDiagHeadings)[section - 1]);
}

}  // namespace qvr

// ---------------------------------------------------------------------------------------

using namespace qvr;

TLogViewForm::TLogViewForm(QWidget* parent, uint8_t log, int width) : QDialog(parent), log_(log), width_(width) {
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(4, 4, 4, 0);
    top->setSpacing(4);

    Model = new LogGridModel(log, this);
    StringGrid1 = new QTableView(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(Model);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setWordWrap(false);
    StringGrid1->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(StringGrid1->fontMetrics().height() + 4);
    // The user widens or narrows a column by its heading's edge, as in any grid.
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(1);  // the 4-pixel spacer column
    // The last column takes the free width, less the scroll bar when one shows.
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    top->addWidget(StringGrid1, 1);

    auto* buttons = new QHBoxLayout;
    BitBtn2 = new QPushButton(QStringLiteral("Сохранить в файле"), this);
    BitBtn3 = new QPushButton(QStringLiteral("Печать"), this);
    BitBtn1 = new QPushButton(QStringLiteral("Выход"), this);
    for (QPushButton* b : {BitBtn2, BitBtn3, BitBtn1}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    top->addLayout(buttons);

    StatusBar1 = new TStatusBar({-1}, this);
    top->addWidget(StatusBar1);

    connect(BitBtn1, &QPushButton::clicked, this, &TLogViewForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TLogViewForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TLogViewForm::BitBtn3Click);
}

void TLogViewForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TLogViewForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TLogViewForm::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

void TLogViewForm::ShowCrcWarning() {
    StatusBar1->SetPanelText(0, kLogCrcWarning);
    StatusBar1->Repaint();
}

void TLogViewForm::FormShow() {
    if (shown_) return;
    shown_ = true;
    static const LogData kEmpty;
    const LogData& data = Data ? *Data : kEmpty;
    setWindowTitle(FromUtf8(LogCaption(data)));

    Model->SetRows(nullptr);
    FillGrid();
    Model->SetRows(&rows_);

    QHeaderView* header = StringGrid1->horizontalHeader();
    const QFontMetrics hm(header->font());
    StringGrid1->setColumnWidth(0, 4);
    const int* widths = log_ == kAuditLog ? kAuditWidths : kDiagWidths;
    // The widths are the least a column has: it widens to its widest text, so that no
    // event, object or value is cut.
    for (int c = 1; c < kLogCells; ++c) {
        int w = widths[c - 1];
        for (const LogRowTexts& row : rows_) w = std::max(w, CellWidth(StringGrid1, row[c - 1]));
        StringGrid1->setColumnWidth(c, w);
    }
    // The last column takes the free width, down to its heading or its widest text: the
    // header never stretches its last column below the width last given to it, so it is
    // given exactly that (the header's default width would push the columns past the
    // grid's right edge whenever less is free).
    const int last = kLogCells;
    const QFontMetricsF hmf(header->font());
    int lastNeed = int(std::ceil(hmf.size(0, Model->headerData(last, Qt::Horizontal).toString()).width())) +
                   2 * StringGrid1->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, StringGrid1);
    for (const LogRowTexts& row : rows_) lastNeed = std::max(lastNeed, CellWidth(StringGrid1, row[last - 1]));
    StringGrid1->setColumnWidth(last, lastNeed);
    header->setFixedHeight(hm.height() * 3 + 8);

    SizeWindow();
    if (!rows_.empty()) {
        StringGrid1->selectRow(int(rows_.size()) - 1);
        StringGrid1->scrollToBottom();
    }
}

void TLogViewForm::SizeWindow() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int maxH = avail.height() - 60;
    const int rowH = StringGrid1->verticalHeader()->defaultSectionSize();
    const int fixedPart = StringGrid1->horizontalHeader()->height() + StringGrid1->frameWidth() * 2 +
                          StringGrid1->horizontalScrollBar()->sizeHint().height() + BitBtn1->sizeHint().height() +
                          StatusBar1->sizeHint().height() + 20;
    const int rows = std::max(int(rows_.size()), 1);
    const int height = rows > (maxH - fixedPart) / std::max(rowH, 1) ? maxH : fixedPart + rows * rowH;
    // The window is as wide as designed, or wider when its columns at their least widths
    // need it (beside the vertical scroll bar), at most the screen's width.
    int columns = 0;
    for (int c = 0; c < kLogGridColumns; ++c) columns += StringGrid1->columnWidth(c);
    const int chrome = StringGrid1->frameWidth() * 2 + StringGrid1->verticalScrollBar()->sizeHint().width() +
                       layout()->contentsMargins().left() + layout()->contentsMargins().right();
    const int width = std::min(std::max(width_, columns + chrome), std::max(width_, avail.width()));
    resize(width, std::max(height, fixedPart + rowH));
}

void TLogViewForm::FormResize() {
    // The grid follows the form's height through the layout and its last column takes the
    // free width (the header stretches it, less a vertical scroll bar when one shows).
}

void TLogViewForm::BitBtn1Click() { close(); }

void TLogViewForm::BitBtn2Click() {
    static const LogData kEmpty;
    const LogData& data = Data ? *Data : kEmpty;
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    const DataSaveRequest req = LogSaveRequest(log_, data.header.address, today);
    const DataSaveChooser choose = ViewSaveChooser(this, SaveHook());
    SaveViewData(log_ == kAuditLog ? DataKind::AuditLog : DataKind::DiagLog, req, data.header, SaveBody(), choose);
}

void TLogViewForm::BitBtn3Click() {
    static const LogData kEmpty;
    const LogData& data = Data ? *Data : kEmpty;
    try {
        AskAndPrintLogList(this, log_ == kAuditLog ? kPrintAuditLog : kPrintDiagLog, data.header,
                           LogRowsFromModel(*Model));
    } catch (...) {
        g_QuesKind = kQuesError;
        ShowQues("Ошибка печати данных", "");
    }
}

// ---------------------------------------------------------------------------------------

TFormAla::TFormAla(QWidget* parent) : TLogViewForm(parent, kDiagLog, 992) {}

void TFormAla::FillGrid() {
    if (Data && Data->mode == kLogModeFromFile) FillDiagGridFromText();
    else FillDiagGrid();
}

void TFormAla::FillDiagGrid() {
    rows_.clear();
    TextRows.clear();
    if (!Data) return;
    const size_t n = LogRowCount(*Data);
    rows_.reserve(n);
    TextRows.assign(n * kDiagTextRowSize, 0);
    bool warned = false;
    for (size_t i = 0; i < n; ++i) {
        bool ok = true;
        rows_.push_back(DiagRow(Data->rows.data() + i * kDiagRecordSize, Data->header.moistureType, &ok));
        if (!ok && !warned) {
            warned = true;
            ShowCrcWarning();
        }
        StoreTextRow(rows_.back(), kDiagTextRowLayout, TextRows.data() + i * kDiagTextRowSize);
    }
}

void TFormAla::FillDiagGridFromText() {
    rows_.clear();
    if (!Data) return;
    rows_ = BuildLogRows(*Data, 1).rows;
}

std::vector<uint8_t> TFormAla::SaveBody() const {
    if (Data && Data->mode == kLogModeFromFile) {
        // The caller's text rows, as loaded.
        const size_t bytes = std::min(Data->rows.size(), rows_.size() * kDiagTextRowSize);
        return std::vector<uint8_t>(Data->rows.begin(), Data->rows.begin() + std::ptrdiff_t(bytes));
    }
    return TextRows;
}

void TFormAla::FormClose() {
    // The text rows live while the view is open.
    TextRows.clear();
    TextRows.shrink_to_fit();
}
