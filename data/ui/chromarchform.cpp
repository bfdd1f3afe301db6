#include "data/ui/chromarchform.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>
#include <exception>

#include "app/rd_wr_ini.h"
#include "common/question.h"
#include "common/ui/qtext.h"
#include "data/ui/archcommands.h"
#include "data/ui/formarhivhdm_chr.h"
#include "data/ui/formarhmom_chr.h"
#include "data/ui/formchromerr.h"
#include "data/ui/savedialog.h"
#include "reports/ui/formquesprn.h"
#include "reports/ui/xlsexport.h"

namespace qvr {

namespace {

ChromArchivePrintHook& PrintHook() {
    static ChromArchivePrintHook hook;
    return hook;
}
MomentPassportPrintHook& PassportHook() {
    static MomentPassportPrintHook hook;
    return hook;
}
DataSaveChooser& SaveHook() {
    static DataSaveChooser hook;
    return hook;
}

// Headings of the left grid.
const char* const kMomentLeftHeadings[kChromLeftColumns] = {"", "Дата", "Время", "Статус", "Статус хр."};
const char* const kHourDayLeftHeadings[kChromLeftColumns] = {"", "Дата", "Начало", "Конец", "Статус"};

}  // namespace

void SetChromArchivePrintHook(ChromArchivePrintHook hook) { PrintHook() = std::move(hook); }
void SetMomentPassportPrintHook(MomentPassportPrintHook hook) { PassportHook() = std::move(hook); }
const MomentPassportPrintHook& CurrentMomentPassportPrintHook() { return PassportHook(); }
void SetChromSaveDialogHook(DataSaveChooser chooser) { SaveHook() = std::move(chooser); }

// ---------------------------------------------------------------------------------------

void ChromLeftGridModel::SetArchiveSet(const ChromArchiveSet* set) {
    beginResetModel();
    set_ = set;
    endResetModel();
}

int ChromLeftGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !set_ ? 0 : set_->RowCount();
}

int ChromLeftGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kChromLeftColumns; }

QVariant ChromLeftGridModel::data(const QModelIndex& index, int role) const {
    if (!set_ || !index.isValid()) return {};
    if (role == Qt::DisplayRole) return FromUtf8(set_->LeftCell(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant ChromLeftGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kChromLeftColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    const bool moment = !set_ || set_->Kind() == ChromViewKind::Moment;
    return QString::fromUtf8((moment ? kMomentLeftHeadings : kHourDayLeftHeadings)[section]);
}

void ChromValueGridModel::SetArchiveSet(const ChromArchiveSet* set) {
    beginResetModel();
    set_ = set;
    endResetModel();
}

int ChromValueGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !set_ ? 0 : set_->RowCount();
}

int ChromValueGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kChromValueColumns;
}

QVariant ChromValueGridModel::data(const QModelIndex& index, int role) const {
    if (!set_ || !index.isValid()) return {};
    if (role == Qt::DisplayRole) return FromUtf8(set_->ValueCell(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant ChromValueGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kChromValueColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0) return QString();
    const int c = section - 1;
    QStringList lines;
    for (int l = 0; l < 3; ++l) lines << FromUtf8(ChromHeadingLine(ReportSettings, c, l));
    lines << FromUtf8(ChromHeadingUnit(ReportSettings, c));
    return lines.join(QLatin1Char('\n'));
}

ChromExcelExport ChromExcelExportOf(const ChromArchiveSet& set, const QString& caption, const QString& methodLine) {
    ChromExcelExport in;
    in.leftColumns = set.Kind() == ChromViewKind::Moment ? 2 : 3;
    in.caption = caption.toStdString();
    in.methodLine = methodLine.toStdString();
    in.recordCount = set.RowCount();
    const ChromArchiveSet* s = &set;
    in.leftText = [s](int row, int column) { return s->LeftCell(row, column); };
    in.valueText = [s](int row, int column) { return s->ValueCell(row, column + 1); };
    in.przComposition = ReportSettings.prz_composition;
    in.thermalUnit = ReportSettings.thermal_unit;
    return in;
}

// ---------------------------------------------------------------------------------------

bool ShowChromArchiveView(QWidget* parent, DataKind kind, const ArchiveFileHeader& header,
                          const std::vector<uint8_t>& records, int) {
    if (kind == DataKind::Chrom5Min) {
        TFormArhMom_Chr form(parent);
        form.Header = &header;
        form.Records = &records;
        form.exec();
        return true;
    }
    if (kind == DataKind::ChromHour || kind == DataKind::ChromDay) {
        TFormArhivHDM_Chr form(parent);
        form.Header = &header;
        form.Records = &records;
        form.PeriodKind = kind == DataKind::ChromDay ? 1 : 0;
        form.exec();
        return true;
    }
    return false;
}

void InstallChromArchiveViews(std::function<void(QWidget*, DataKind, const ArchiveFileHeader&,
                                                 const std::vector<uint8_t>&, int)> others) {
    SetArchiveViewHook([others](QWidget* parent, DataKind kind, const ArchiveFileHeader& header,
                                const std::vector<uint8_t>& records, int headingKind) {
        if (!ShowChromArchiveView(parent, kind, header, records, headingKind) && others)
            others(parent, kind, header, records, headingKind);
    });
}

}  // namespace qvr

// ---------------------------------------------------------------------------------------

using namespace qvr;

TChromArchiveForm::TChromArchiveForm(QWidget* parent, bool moment) : QDialog(parent) {
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(6, 6, 6, 6);
    top->setSpacing(4);

    Label4 = new QLabel(this);
    top->addWidget(Label4);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    LeftModel = new ChromLeftGridModel(this);
    ValueModel = new ChromValueGridModel(this);
    StringGrid1 = new QTableView(this);
    StringGrid2 = new QTableView(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid2->setObjectName(QStringLiteral("StringGrid2"));
    StringGrid1->setModel(LeftModel);
    StringGrid2->setModel(ValueModel);
    for (QTableView* g : {StringGrid1, StringGrid2}) {
        g->setFont(fixed);
        g->setSelectionBehavior(QAbstractItemView::SelectRows);
        g->setSelectionMode(QAbstractItemView::SingleSelection);
        g->setEditTriggers(QAbstractItemView::NoEditTriggers);
        g->verticalHeader()->hide();
        g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        g->verticalHeader()->setDefaultSectionSize(QFontMetrics(fixed).height() + 4);
        g->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        g->horizontalHeader()->setMinimumSectionSize(1);  // the 2-pixel spacer column
        g->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
        g->horizontalHeader()->setHighlightSections(false);
        g->setWordWrap(false);
        // Both grids keep a horizontal bar so their rows stay level.
        g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid2->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* grids = new QHBoxLayout;
    grids->setSpacing(0);
    grids->addWidget(StringGrid1);
    grids->addWidget(StringGrid2, 1);
    top->addLayout(grids, 1);

    auto* buttons = new QHBoxLayout;
    BitBtn2 = new QPushButton(QStringLiteral("Сохранить в файле"), this);
    BitBtn5 = new QPushButton(QStringLiteral("Сохранить в формате Excel"), this);
    BitBtn3 = new QPushButton(QStringLiteral("Печать"), this);
    BitBtn4 = new QPushButton(QStringLiteral("Печать 1 анализа"), this);
    BitBtn1 = new QPushButton(QStringLiteral("Выход"), this);
    BitBtn4->setVisible(moment);
    for (QPushButton* b : {BitBtn2, BitBtn5, BitBtn3, BitBtn4, BitBtn1}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    top->addLayout(buttons);

    // The hidden command: no menu shows it, Ctrl+S runs it anywhere in the window. The action
    // belongs to the window only; it stays visible, because the shortcut of an invisible
    // action is never triggered.
    N1 = new QAction(this);
    N1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    N1->setShortcutContext(Qt::WindowShortcut);
    addAction(N1);
    connect(N1, &QAction::triggered, this, &TChromArchiveForm::N1Click);

    connect(BitBtn1, &QPushButton::clicked, this, &TChromArchiveForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TChromArchiveForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TChromArchiveForm::BitBtn3Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TChromArchiveForm::BitBtn5Click);
    connect(StringGrid1, &QTableView::clicked, this, &TChromArchiveForm::StringGrid1Click);
    connect(StringGrid2, &QTableView::clicked, this, &TChromArchiveForm::StringGrid2Click);
    connect(StringGrid2, &QTableView::doubleClicked, this, &TChromArchiveForm::StringGrid2DblClick);

    // One vertical position for both grids.
    connect(StringGrid2->verticalScrollBar(), &QScrollBar::valueChanged, StringGrid1->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(StringGrid1->verticalScrollBar(), &QScrollBar::valueChanged, StringGrid2->verticalScrollBar(),
            &QScrollBar::setValue);
    // A row chosen in either grid, by mouse or keys, is chosen in the other.
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& cur) { if (cur.isValid()) SelectRow(cur.row()); });
    connect(StringGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& cur) { if (cur.isValid()) SelectRow(cur.row()); });

    set_ = std::make_unique<ChromArchiveSet>();
}

// The grids may still ask their models while the dialog goes down: they are cut off from
// the record set before it is freed.
TChromArchiveForm::~TChromArchiveForm() {
    LeftModel->SetArchiveSet(nullptr);
    ValueModel->SetArchiveSet(nullptr);
}

int TChromArchiveForm::SelectedRow() const {
    const QModelIndex cur = StringGrid2->currentIndex();
    return cur.isValid() ? cur.row() : -1;
}

void TChromArchiveForm::SelectRow(int row) {
    if (syncing_ || row < 0 || row >= set_->RowCount()) return;
    syncing_ = true;
    for (QTableView* g : {StringGrid1, StringGrid2}) {
        const QModelIndex idx = g->model()->index(row, std::max(1, g->currentIndex().column()));
        if (g->currentIndex().row() != row)
            g->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    StringGrid2->scrollTo(StringGrid2->model()->index(row, std::max(1, StringGrid2->currentIndex().column())));
    StringGrid1->verticalScrollBar()->setValue(StringGrid2->verticalScrollBar()->value());
    syncing_ = false;
}

void TChromArchiveForm::FormShow() {
    if (shown_) return;
    shown_ = true;
    Label4->setText(FromUtf8(ChromMethodLine(ReportSettings)));

    static const std::vector<uint8_t> kNone;
    const std::vector<uint8_t>& raw = Records ? *Records : kNone;
    const ArchiveFileHeader header = Header ? *Header : ArchiveFileHeader{};
    LeftModel->SetArchiveSet(nullptr);
    ValueModel->SetArchiveSet(nullptr);
    set_ = std::make_unique<ChromArchiveSet>(ViewKind(), header, raw.data(), raw.size());
    std::copy(set_->Means(), set_->Means() + kGasParamCount, Means);
    setWindowTitle(FromUtf8(set_->Caption()));
    LeftModel->SetArchiveSet(set_.get());
    ValueModel->SetArchiveSet(set_.get());

    // Column widths: a narrow spacer, then room for the texts.
    const QFontMetrics fm(StringGrid2->font());
    const QFontMetrics hm(StringGrid2->horizontalHeader()->font());
    for (QTableView* g : {StringGrid1, StringGrid2}) g->setColumnWidth(0, 2);
    const int leftWidth = fm.horizontalAdvance(QStringLiteral("   00:00:00* ")) + 4;
    for (int c = 1; c < kChromLeftColumns; ++c) StringGrid1->setColumnWidth(c, leftWidth);
    for (int c = 1; c < kChromValueColumns; ++c) {
        int w = fm.horizontalAdvance(QStringLiteral("0000.0000\" "));
        const QStringList lines = ValueModel->headerData(c, Qt::Horizontal).toString().split(QLatin1Char('\n'));
        for (const QString& l : lines) w = std::max(w, hm.horizontalAdvance(l) + 10);
        StringGrid2->setColumnWidth(c, w);
    }
    // Both heading strips as high as the four heading lines.
    const int headHeight = hm.height() * 4 + 10;
    StringGrid1->horizontalHeader()->setFixedHeight(headHeight);
    StringGrid2->horizontalHeader()->setFixedHeight(headHeight);

    AfterShow();
    ApplyStatusColumns();
    SizeWindow();
    SelectRow(0);
    StringGrid1->scrollToTop();
    StringGrid2->scrollToTop();
    StringGrid2->horizontalScrollBar()->setValue(0);
}

void TChromArchiveForm::ApplyStatusColumns() {
    for (int c : StatusColumnList()) StringGrid1->setColumnHidden(c, StatusColumns == 0);
    int w = 8 + StringGrid1->frameWidth() * 2;
    for (int c = 0; c < kChromLeftColumns; ++c)
        if (!StringGrid1->isColumnHidden(c)) w += StringGrid1->columnWidth(c);
    StringGrid1->setFixedWidth(w);
}

void TChromArchiveForm::SizeWindow() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int maxW = avail.width() - 20;
    const int maxH = avail.height() - 60;
    const int rowH = StringGrid2->verticalHeader()->defaultSectionSize();
    const int frame = StringGrid2->frameWidth() * 2;
    const int extra = StringGrid2->verticalScrollBar()->sizeHint().width() + frame + 12;
    int valueWidth = 0;
    for (int c = 0; c < kChromValueColumns; ++c) valueWidth += StringGrid2->columnWidth(c);
    int width = StringGrid1->width() + valueWidth + extra;
    // Columns leave the width one at a time until the window fits the screen.
    for (int c = kChromValueColumns - 1; c > 0 && width > maxW; --c) width -= StringGrid2->columnWidth(c);
    width = std::max(width, std::min(maxW, 400));

    const int rows = std::clamp(set_->RowCount(), 1, 19);
    const int gridHeight = StringGrid2->horizontalHeader()->height() + rows * rowH + frame +
                           StringGrid2->horizontalScrollBar()->sizeHint().height() + 2;
    const int chrome = Label4->sizeHint().height() + BitBtn1->sizeHint().height() + 30;
    const int height = std::min(maxH, gridHeight + chrome);
    resize(width, height);
}

void TChromArchiveForm::N1Click() {
    StatusColumns = StatusColumns ? 0 : 1;
    ApplyStatusColumns();
}

void TChromArchiveForm::StringGrid1Click(const QModelIndex& index) {
    if (index.isValid()) SelectRow(index.row());
}

void TChromArchiveForm::StringGrid2Click(const QModelIndex& index) {
    if (index.isValid()) SelectRow(index.row());
}

void TChromArchiveForm::StringGrid2DblClick(const QModelIndex& index) {
    if (!StatusColumns || !index.isValid() || index.row() >= set_->RowCount()) return;
    TFormChromError form(this);
    PrepareChromError(index.row(), form);
    form.exec();
}

void TChromArchiveForm::BitBtn1Click() { close(); }

void TChromArchiveForm::BitBtn2Click() {
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    const DataSaveRequest req = ChromSaveRequest(ViewKind(), set_->Header().address, today);
    const DataSaveChooser choose = ViewSaveChooser(this, SaveHook());
    SaveViewData(set_->DataFileKind(), req, set_->Header(), set_->RawRecords(), choose);
}

void TChromArchiveForm::BitBtn3Click() {
    try {
        char org[kOrgTitleSize + 1] = {};
        if (!AskPrintHeading(this, &set_->Header(), HeadingKind(), org)) return;
        if (!PrintHook()) return;  // no archive print in this build
        ChromArchivePrintJob job;
        job.kind = HeadingKind();
        job.header = &set_->Header();
        job.orgName = org;
        job.means = Means;
        job.leftGrid = LeftModel;
        job.valueGrid = ValueModel;
        PrintHook()(this, job);
    } catch (...) {
        g_QuesKind = kQuesError;
        ShowQues("Ошибка печати данных", "");
    }
}

void TChromArchiveForm::BitBtn5Click() {
    ExportChromViewCommand(this, set_->DataFileKind(), set_->Header().address,
                           ChromExcelExportOf(*set_, windowTitle(), Label4->text()));
}

void TChromArchiveForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TChromArchiveForm::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

// The working copy lives as long as the form: the caller deletes the form after the modal
// run, which frees it.
void TChromArchiveForm::FormClose() {}
