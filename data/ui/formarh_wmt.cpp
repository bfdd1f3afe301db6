#include "data/ui/formarh_wmt.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>

#include "common/question.h"
#include "common/ui/qtext.h"
#include "data/ui/formarhivhd_wmt.h"
#include "data/ui/formarhmom_wmt.h"
#include "data/ui/savedialog.h"
#include "reports/ui/formquesprn.h"

namespace qvr {

namespace {

MoistureArchivePrintHook& PrintHook() {
    static MoistureArchivePrintHook hook;
    return hook;
}

DataSaveChooser& SaveHook() {
    static DataSaveChooser chooser;
    return chooser;
}

constexpr int kViewWidth = 720;

}  // namespace

void SetMoistureArchivePrintHook(MoistureArchivePrintHook hook) { PrintHook() = std::move(hook); }
void SetMoistureSaveDialogHook(DataSaveChooser chooser) { SaveHook() = std::move(chooser); }

// ---------------------------------------------------------------------------------------

void MoistureGridModel::SetRecords(MoistureViewKind kind, uint8_t moistureType, const uint8_t* records, int rows) {
    beginResetModel();
    kind_ = kind;
    type_ = moistureType;
    records_ = records;
    rows_ = records ? rows : 0;
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, kMoistureGridColumns - 1);
}

int MoistureGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int MoistureGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kMoistureGridColumns;
}

QVariant MoistureGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rows_) return {};
    const uint8_t* r = records_ + size_t(index.row()) * MoistureRecordSize(kind_);
    return FromUtf8(MoistureCell(kind_, r, index.column()));
}

QVariant MoistureGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= kMoistureGridColumns) return {};
    QStringList lines;
    if (section < 4) {
        for (const std::string& l : MoistureLeftHeading(kind_, section)) lines << FromUtf8(l);
    } else {
        for (int l = 0; l < kMoistureHeadingLines; ++l) lines << FromUtf8(MoistureValueHeading(type_, section - 4, l));
    }
    return lines.join(QLatin1Char('\n'));
}

// ---------------------------------------------------------------------------------------

bool ShowMoistureArchiveView(QWidget* parent, DataKind kind, const ArchiveFileHeader& header,
                             const std::vector<uint8_t>& records, int headingKind) {
    if (kind == DataKind::Wmt5Min) {
        TFormArhMom_Wmt form(parent);
        form.Header = &header;
        form.Records = &records;
        form.exec();
        return true;
    }
    if (kind == DataKind::WmtHour || kind == DataKind::WmtDay) {
        TFormArhivHD_Wmt form(parent);
        form.Header = &header;
        form.Records = &records;
        if (headingKind == kPrintWmtHour || headingKind == kPrintWmtDay) form.Kind = uint8_t(headingKind);
        else form.Kind = kind == DataKind::WmtDay ? kPrintWmtDay : kPrintWmtHour;
        form.exec();
        return true;
    }
    return false;
}

}  // namespace qvr

// ---------------------------------------------------------------------------------------

using namespace qvr;

TMoistureArchiveForm::TMoistureArchiveForm(QWidget* parent, MoistureViewKind kind) : QDialog(parent), kind_(kind) {
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(6, 6, 6, 6);
    top->setSpacing(4);

    Model = new MoistureGridModel(this);
    StringGrid1 = new QTableView(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(Model);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setWordWrap(false);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(StringGrid1->fontMetrics().height() + 4);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
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

    connect(BitBtn1, &QPushButton::clicked, this, &TMoistureArchiveForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TMoistureArchiveForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TMoistureArchiveForm::BitBtn3Click);
}

void TMoistureArchiveForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TMoistureArchiveForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TMoistureArchiveForm::FormShow() {
    if (shown_) return;
    shown_ = true;
    BeforeShow();
    static const std::vector<uint8_t> kNone;
    const std::vector<uint8_t>& raw = Records ? *Records : kNone;
    const ArchiveFileHeader header = Header ? *Header : ArchiveFileHeader{};
    rows_ = MoistureRowCount(kind_, header, raw.size());
    setWindowTitle(FromUtf8(MoistureCaption(kind_, header)));
    Model->SetRecords(kind_, header.moistureType, raw.data(), rows_);

    const QFontMetrics hm(StringGrid1->horizontalHeader()->font());
    StringGrid1->horizontalHeader()->setFixedHeight(hm.height() * kMoistureHeadingLines + 10);
    const int column = (kViewWidth - 40) / kMoistureGridColumns;
    for (int c = 0; c < kMoistureGridColumns; ++c) StringGrid1->setColumnWidth(c, column);
    SizeWindow();
    if (rows_ > 0) StringGrid1->selectRow(0);
    StringGrid1->scrollToTop();
}

void TMoistureArchiveForm::SizeWindow() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int maxH = avail.height() - 60;
    const int rowH = StringGrid1->verticalHeader()->defaultSectionSize();
    const int fixedPart = StringGrid1->horizontalHeader()->height() + StringGrid1->frameWidth() * 2 +
                          StringGrid1->horizontalScrollBar()->sizeHint().height() + BitBtn1->sizeHint().height() + 24;
    // As many rows as there are, one fewer at a time until the window fits the screen.
    int rows = std::max(rows_, 1);
    while (rows > 1 && fixedPart + rows * rowH > maxH) --rows;
    resize(kViewWidth, std::min(maxH, fixedPart + rows * rowH));
}

void TMoistureArchiveForm::FormResize() {
    // The grid follows the form through the layout; the width stays at most 720.
    if (resizing_ || width() <= kViewWidth) return;
    resizing_ = true;
    resize(kViewWidth, height());
    resizing_ = false;
}

void TMoistureArchiveForm::BitBtn1Click() { close(); }

void TMoistureArchiveForm::BitBtn2Click() {
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    static const std::vector<uint8_t> kNone;
    const std::vector<uint8_t>& raw = Records ? *Records : kNone;
    ArchiveFileHeader header = Header ? *Header : ArchiveFileHeader{};
    const DataSaveRequest req = MoistureSaveRequest(kind_, header.address, today);
    const DataSaveChooser choose = ViewSaveChooser(this, SaveHook());
    // Only the records shown are written, with the header's count telling how many.
    const size_t bytes = size_t(rows_) * MoistureRecordSize(kind_);
    const std::vector<uint8_t> shown(raw.begin(), raw.begin() + std::ptrdiff_t(bytes));
    SaveViewData(MoistureDataKind(kind_), req, header, shown, choose);
}

void TMoistureArchiveForm::BitBtn3Click() {
    try {
        const ArchiveFileHeader header = Header ? *Header : ArchiveFileHeader{};
        const PrintHeadingKind kind = PrintHeadingKind(kind_);
        char org[kOrgTitleSize + 1] = {};
        if (!AskPrintHeading(this, &header, kind, org)) return;
        if (!PrintHook()) return;  // no moisture archive print in this build
        MoistureArchivePrintJob job;
        job.kind = kind;
        job.header = &header;
        job.orgName = org;
        job.grid = Model;
        PrintHook()(this, job);
    } catch (...) {
        g_QuesKind = kQuesError;
        ShowQues("Ошибка печати данных", "");
    }
}
