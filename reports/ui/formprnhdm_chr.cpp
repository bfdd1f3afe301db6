#include "reports/ui/formprnhdm_chr.h"

#include <QAbstractItemModel>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/rd_wr_ini.h"
#include "common/uihooks.h"
#include "data/archformat.h"
#include "data/ui/chromarchform.h"
#include "reports/chromorder.h"
#include "reports/ui/printfill.h"

namespace {

const QString kSansSerif = QStringLiteral("MS Sans Serif");
constexpr int kRowStep = 13;          // pixels per printed row
constexpr int kFirstBlockRows = 75;   // rows of the first page block
constexpr int kFirstWithSummary = 58; // ... that still leave room for the summary
constexpr int kBlockRows = 85;        // rows of a later page block
constexpr int kBlockWithSummary = 70;
constexpr int kMomentShift = 30;      // header and footer items of the 5-minute print

// Rows of a page block: the block's rule (rows, or rows that leave room for the summary),
// cut to what the page really holds with the bands' heights: title (first block), table
// band, summary band (when it is to go under the table), between page header and footer.
struct BlockRows {
    int first, firstWithSummary, later, laterWithSummary;
};

BlockRows RowsThatFit(const TQuickRep& rep, int headerHeight, int footerHeight, bool moment) {
    TQuickRep scratch;  // the band objects measured on a report of their own
    const int title = TrepTitle(&scratch).Band->Height;
    const int table = moment ? TmomTable(&scratch, 0, 0, 0).Band->Height : ThdmTable(&scratch, 0, 0, 0).Band->Height;
    const int summary = moment ? TmomItog(&scratch).Band->Height : ThdmItog(&scratch).Band->Height;
    const double body =
        MmToReportPixels(rep.PageValue(pvLength) - rep.PageValue(pvTopMargin) - rep.PageValue(pvBottomMargin)) -
        headerHeight - footerHeight;
    auto rows = [&](int rule, double above) {
        return std::clamp(int(std::floor((body - above) / kRowStep)), 1, rule);
    };
    return {rows(kFirstBlockRows, title + table), rows(kFirstWithSummary, title + table + summary),
            rows(kBlockRows, table), rows(kBlockWithSummary, table + summary)};
}

template <typename T>
void DeleteOne(T*& p) {
    delete p;
    p = nullptr;
}

}  // namespace

TFormPrnHDM_Chr::TFormPrnHDM_Chr() {
    QuickRep1.ReportTitle = QStringLiteral("qvr");
    QuickRep1.SetPageValue(pvTopMargin, 10);
    QuickRep1.SetPageValue(pvBottomMargin, 10);
    QuickRep1.SetPageValue(pvLeftMargin, 7);
    QuickRep1.SetPageValue(pvRightMargin, 4);
    QuickRep1.FirstPageHeader = true;
    QuickRep1.LastPageFooter = true;
    QuickRep1.Font = TQRFont{kSansSerif, 8, false};

    QRBand1 = new TQRBand(&QuickRep1, rbPageHeader);
    QRBand1->Height = 50;
    QRLabel3 = qvr::PlaceLabel(QRBand1, 546, 19, 381, 21, taRightJustify, kSansSerif, 10);

    PageFooterBand1 = new TQRBand(&QuickRep1, rbPageFooter);
    PageFooterBand1->Height = 29;
    QRLabel30 = qvr::PlaceLabel(PageFooterBand1, 783, 4, 42, 21, taLeftJustify, kSansSerif, 10, false, QStringLiteral("Лист"));
    QRExpr1 = new TQRExpr(PageFooterBand1);
    QRExpr1->Expression = QStringLiteral("PAGENUMBER");
    QRExpr1->AutoSize = false;
    QRExpr1->Alignment = taLeftJustify;
    QRExpr1->Left = 834;
    QRExpr1->Top = 4;
    QRExpr1->Width = 34;
    QRExpr1->Height = 21;
    QRExpr1->SetFont(kSansSerif, 10);
    QRLabel31 = qvr::PlaceLabel(PageFooterBand1, 876, 4, 45, 21, taLeftJustify, kSansSerif, 10);
    FormCreate();
}

TFormPrnHDM_Chr::~TFormPrnHDM_Chr() { FormDestroy(); }

void TFormPrnHDM_Chr::FormCreate() {
    for (int h = 0; h < 2; ++h) {
        Title[h] = nullptr;
        HdmItog[h] = nullptr;
        MomItog[h] = nullptr;
        HdmSpecItog[h] = nullptr;
        MomSpecItog[h] = nullptr;
        HdmTable[h].clear();
        MomTable[h].clear();
    }
    PageCount = 0;
}

void TFormPrnHDM_Chr::FormDestroy() {
    for (int h = 0; h < 2; ++h) {
        DeleteOne(Title[h]);
        DeleteOne(HdmItog[h]);
        DeleteOne(MomItog[h]);
        DeleteOne(HdmSpecItog[h]);
        DeleteOne(MomSpecItog[h]);
        for (ThdmTable*& t : HdmTable[h]) DeleteOne(t);
        for (TmomTable*& t : MomTable[h]) DeleteOne(t);
        HdmTable[h].clear();
        MomTable[h].clear();
    }
}

int TFormPrnHDM_Chr::RecordCount() const {
    if (!Header || !LeftGrid || !ValueGrid) return 0;
    const long long n = std::min<long long>({(long long)Header->recordCount, (long long)LeftGrid->rowCount(),
                                             (long long)ValueGrid->rowCount()});
    return int(std::max<long long>(0, n));
}

QString TFormPrnHDM_Chr::Cell(const QAbstractItemModel* grid, int row, int column) const {
    if (!grid || column >= grid->columnCount()) return QString();
    return grid->data(grid->index(row, column), Qt::DisplayRole).toString().trimmed();
}

void TFormPrnHDM_Chr::BuildHourDayArchivePrint(uint8_t kind) { Build(kind, false); }

void TFormPrnHDM_Chr::BuildMomentArchivePrint() {
    QuickRep1.SetPageValue(pvLeftMargin, 16);
    QuickRep1.SetPageValue(pvRightMargin, 5);
    QRLabel3->Left -= kMomentShift;
    QRLabel30->Left -= kMomentShift;
    QRExpr1->Left -= kMomentShift;
    QRLabel31->Left -= kMomentShift;
    qvr::KeepInBody(QuickRep1, {QRLabel3});
    qvr::KeepInBody(QuickRep1, {QRLabel30, QRExpr1, QRLabel31});
    Build(qvr::kPrintChrom5Min, true);
}

void TFormPrnHDM_Chr::Build(uint8_t kind, bool moment) {
    qvr::HourglassScope hourglass;
    FormDestroy();  // a second build starts afresh
    QRLabel3->Caption = Header ? qvr::PrintControllerName(Header->name) : QString();

    const int records = RecordCount();
    const BlockRows fit = RowsThatFit(QuickRep1, QRBand1->Height, PageFooterBand1->Height, moment);
    int firstRow = 0;
    int block = 0;
    PageCount = 1;
    int n = std::min(records, fit.first);

    // Both halves of one block: left on its page, right on the next.
    auto fillBoth = [&](bool last) {
        if (moment) {
            FillMomentTableLeft(block, firstRow, last, n);
            FillMomentTableRight(block, firstRow, last, n);
        } else {
            FillHourDayTableLeft(block, firstRow, last, n);
            FillHourDayTableRight(block, firstRow, last, n);
        }
    };

    if (n <= fit.firstWithSummary) {
        AddTitleBand(kind, 0);
        AddTable(moment, 0, 0, false);
        Fill(moment, 0, 0, firstRow, true, n);
        AddTitleBand(kind, 1);
        AddTable(moment, 1, 0, false);
        Fill(moment, 1, 0, firstRow, true, n);
    } else {
        AddTitleBand(kind, 0);
        AddTable(moment, 0, 0, false);
        Fill(moment, 0, 0, firstRow, false, n);
        AddTitleBand(kind, 1);
        AddTable(moment, 1, 0, false);
        Fill(moment, 1, 0, firstRow, false, n);
        int remaining = records - n;
        for (;;) {
            if (remaining == 0) {
                AddSpecSummary(moment, 0);
                AddSpecSummary(moment, 1);
                break;
            }
            qvr::ProcessMessages();
            firstRow += n;
            ++block;
            n = std::min(remaining, fit.later);
            const bool last = n <= fit.laterWithSummary;
            fillBoth(last);
            if (last) break;
            remaining -= n;
        }
    }
    SetPageCountCaption();
}

void TFormPrnHDM_Chr::SetPageCountCaption() {
    // The block rule keeps every block with its summary on one page, so the laid-out count
    // is the block count; the larger of the two guards against a layout it did not foresee.
    QRLabel31->Caption = QStringLiteral("из %1").arg(std::max(PageCount, QuickRep1.PageCount()));
}

void TFormPrnHDM_Chr::AddTable(bool moment, int half, int block, bool newPage) {
    const uint8_t first = half == 0 ? 0 : 10;
    TQRCustomBand* band;
    if (moment) {
        auto& list = MomTable[half];
        if (int(list.size()) <= block) list.resize(size_t(block) + 1, nullptr);
        DeleteOne(list[size_t(block)]);
        list[size_t(block)] =
            new TmomTable(&QuickRep1, first, ReportSettings.prz_composition, ReportSettings.thermal_unit);
        band = list[size_t(block)]->Band;
    } else {
        auto& list = HdmTable[half];
        if (int(list.size()) <= block) list.resize(size_t(block) + 1, nullptr);
        DeleteOne(list[size_t(block)]);
        list[size_t(block)] =
            new ThdmTable(&QuickRep1, first, ReportSettings.prz_composition, ReportSettings.thermal_unit);
        band = list[size_t(block)]->Band;
    }
    if (newPage) {
        band->ForceNewPage = true;
        ++PageCount;
    }
}

void TFormPrnHDM_Chr::FillHourDayTableLeft(int block, int firstRow, bool last, int count) {
    if (block > 0) AddTable(false, 0, block, true);
    Fill(false, 0, block, firstRow, last, count);
}
void TFormPrnHDM_Chr::FillHourDayTableRight(int block, int firstRow, bool last, int count) {
    if (block > 0) AddTable(false, 1, block, true);
    Fill(false, 1, block, firstRow, last, count);
}
void TFormPrnHDM_Chr::FillMomentTableLeft(int block, int firstRow, bool last, int count) {
    if (block > 0) AddTable(true, 0, block, true);
    Fill(true, 0, block, firstRow, last, count);
}
void TFormPrnHDM_Chr::FillMomentTableRight(int block, int firstRow, bool last, int count) {
    if (block > 0) AddTable(true, 1, block, true);
    Fill(true, 1, block, firstRow, last, count);
}

void TFormPrnHDM_Chr::Fill(bool moment, int half, int block, int firstRow, bool last, int count) {
    TQRCustomBand* band = nullptr;
    TQRMemo* timeMemos[2] = {};
    TQRMemo* dateMemo = nullptr;
    TQRMemo* const* values = nullptr;
    if (moment) {
        if (block < 0 || size_t(block) >= MomTable[half].size() || !MomTable[half][size_t(block)]) return;
        TmomTable* t = MomTable[half][size_t(block)];
        band = t->Band;
        dateMemo = t->DateMemo;
        timeMemos[0] = t->TimeMemo;
        values = t->Value;
    } else {
        if (block < 0 || size_t(block) >= HdmTable[half].size() || !HdmTable[half][size_t(block)]) return;
        ThdmTable* t = HdmTable[half][size_t(block)];
        band = t->Band;
        dateMemo = t->DateMemo;
        timeMemos[0] = t->StartTimeMemo;
        timeMemos[1] = t->EndTimeMemo;
        values = t->Value;
    }
    const int valueColumn = 1 + (half == 0 ? 0 : 10);
    for (int r = firstRow; r < firstRow + count; ++r) {
        dateMemo->Lines.append(Cell(LeftGrid, r, 1));
        timeMemos[0]->Lines.append(Cell(LeftGrid, r, 2));
        if (timeMemos[1]) timeMemos[1]->Lines.append(Cell(LeftGrid, r, 3));
        for (int i = 0; i < 10; ++i) values[i]->Lines.append(Cell(ValueGrid, r, valueColumn + i));
        band->Height += kRowStep;
        dateMemo->Height += kRowStep;
        for (TQRMemo* m : timeMemos)
            if (m) m->Height += kRowStep;
        for (int i = 0; i < 10; ++i) values[i]->Height += kRowStep;
    }
    if (last) {
        if (moment) {
            DeleteOne(MomItog[half]);
            MomItog[half] = new TmomItog(&QuickRep1);
            FillSummaryValues(MomItog[half]->Value, MomItog[half]->StandardLine, half);
        } else {
            DeleteOne(HdmItog[half]);
            HdmItog[half] = new ThdmItog(&QuickRep1);
            FillSummaryValues(HdmItog[half]->Value, HdmItog[half]->StandardLine, half);
        }
    }
    QRLabel31->Caption = QStringLiteral("из %1").arg(PageCount);
}

void TFormPrnHDM_Chr::FillSummaryValues(TQRLabel* const* values, TQRLabel* standardLine, int half) const {
    const int first = half == 0 ? 0 : 10;
    for (int i = 0; i < 10; ++i) {
        const uint8_t p = ActiveChromParamOrder[first + i];
        if (p == 255 || p >= 20) {
            values[i]->Caption.clear();
            continue;
        }
        values[i]->Caption = qvr::PrintValueText(Means ? Means[p] : 0.0f, p);
    }
    standardLine->Caption = ReportSettings.calc_formula != 0 ? QStringLiteral("по ГОСТ 22667-82 и ГОСТ 30319.1-96")
                                                             : QStringLiteral("по ДСТУ ISO 6976:2009:");
}

void TFormPrnHDM_Chr::AddSpecSummary(bool moment, int half) {
    const uint8_t first = half == 0 ? 0 : 10;
    TQRCustomBand* band;
    if (moment) {
        DeleteOne(MomSpecItog[half]);
        MomSpecItog[half] =
            new TmomSpecItog(&QuickRep1, first, ReportSettings.prz_composition, ReportSettings.thermal_unit);
        FillSummaryValues(MomSpecItog[half]->Value, MomSpecItog[half]->StandardLine, half);
        band = MomSpecItog[half]->Band;
    } else {
        DeleteOne(HdmSpecItog[half]);
        HdmSpecItog[half] =
            new ThdmSpecItog(&QuickRep1, first, ReportSettings.prz_composition, ReportSettings.thermal_unit);
        FillSummaryValues(HdmSpecItog[half]->Value, HdmSpecItog[half]->StandardLine, half);
        band = HdmSpecItog[half]->Band;
    }
    band->ForceNewPage = true;
    ++PageCount;
    QRLabel31->Caption = QStringLiteral("из %1").arg(PageCount);
}

void TFormPrnHDM_Chr::AddHourDaySpecSummary(int half) { AddSpecSummary(false, half == 0 ? 0 : 1); }
void TFormPrnHDM_Chr::AddMomentSpecSummary(int half) { AddSpecSummary(true, half == 0 ? 0 : 1); }

void TFormPrnHDM_Chr::AddTitleBand(uint8_t kind, int index) {
    index = index == 0 ? 0 : 1;
    DeleteOne(Title[index]);
    TrepTitle* t = Title[index] = new TrepTitle(&QuickRep1);
    if (index == 1) {
        t->Band->ForceNewPage = true;
        ++PageCount;
    }
    t->Label1->Caption = qvr::PrintOrgName(OrgName);
    if (!Header) return;
    const qvr::ArchiveFileHeader& h = *Header;
    t->Label2->Caption = qvr::PrintControllerLine(h.name, h.address);
    const uint8_t* s = h.periodStart;
    const uint8_t* e = h.periodEnd;
    char buf[200];
    switch (kind) {
    case qvr::kPrintChromHour:
        t->Label3->Caption = QStringLiteral("Часовые измерительные данные хроматографа");
        std::snprintf(buf, sizeof buf, "за период  с  %02d.%02d.%02d  %02dч  по  %02d.%02d.%02d  %02dч", s[2], s[1],
                      s[0], s[3], e[2], e[1], e[0], e[3]);
        break;
    case qvr::kPrintChromDay:
        t->Label3->Caption = QStringLiteral("Суточные измерительные данные хроматографа");
        std::snprintf(buf, sizeof buf, "за период  с  %02d.%02d.%02d  по  %02d.%02d.%02d", s[2], s[1], s[0], e[2],
                      e[1], e[0]);
        break;
    default:
        t->Label3->Caption = QStringLiteral("Мгновенные данные хроматографа");
        std::snprintf(buf, sizeof buf, "за период  с  %02d.%02d.%02d %02d:%02d:00  по  %02d.%02d.%02d %02d:%02d:00",
                      s[2], s[1], s[0], s[3], s[4], e[2], e[1], e[0], e[3], e[4]);
        break;
    }
    t->Label4->Caption = QString::fromUtf8(buf);
    const CtlDateTime& r = h.readTime;
    std::snprintf(buf, sizeof buf, "Составлен программой qvr_%02d  %02d.%02d.%02d  %02d:%02d:%02d", 13, r.day, r.month,
                  r.year, r.hour, r.minute, r.second);
    t->Label5->Caption = QString::fromUtf8(buf);
}

namespace qvr {

void BuildChromArchivePrint(TFormPrnHDM_Chr& form, const ChromArchivePrintJob& job) {
    form.Header = job.header;
    form.OrgName = job.orgName;
    form.Means = job.means;
    form.LeftGrid = job.leftGrid;
    form.ValueGrid = job.valueGrid;
    if (job.kind == kPrintChrom5Min)
        form.BuildMomentArchivePrint();
    else
        form.BuildHourDayArchivePrint(job.kind);
}

}  // namespace qvr
