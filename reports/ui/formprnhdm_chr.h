// Printout of a chromatograph archive view (5-minute, hourly or daily): the rows of the
// view's two grids copied page block by page block into run-time table bands, each block
// printed twice, as the left half (display positions 0..9) and the right half (10..19),
// the view's means in summary bands, a title before each half and "Лист N из M" below.
#pragma once
#include <cstdint>
#include <vector>

#include "reports/printheading.h"
#include "reports/ui/qreport.h"
#include "reports/ui/repklass.h"

class QAbstractItemModel;

namespace qvr {
struct ArchiveFileHeader;
}

class TFormPrnHDM_Chr {
public:
    TFormPrnHDM_Chr();   // runs FormCreate
    ~TFormPrnHDM_Chr();  // runs FormDestroy
    TFormPrnHDM_Chr(const TFormPrnHDM_Chr&) = delete;
    TFormPrnHDM_Chr& operator=(const TFormPrnHDM_Chr&) = delete;

    // Inputs, borrowed; the caller keeps them alive until the form is deleted.
    const qvr::ArchiveFileHeader* Header = nullptr;
    const char* OrgName = nullptr;              // zero-terminated, Windows-1251, at most 40
    const float* Means = nullptr;               // 20, by GasAnalysis index
    const QAbstractItemModel* LeftGrid = nullptr;   // column 1 date, 2 time / start, 3 end
    const QAbstractItemModel* ValueGrid = nullptr;  // column 1 + p = display position p

    void FormCreate();
    void FormDestroy();

    // kind: 0 hourly, 1 daily.
    void BuildHourDayArchivePrint(uint8_t kind);
    // 5-minute records.
    void BuildMomentArchivePrint();

    // Build steps.
    void AddTitleBand(uint8_t kind, int index);
    void AddHourDaySpecSummary(int half);
    void AddMomentSpecSummary(int half);
    void FillHourDayTableLeft(int block, int firstRow, bool last, int count);
    void FillHourDayTableRight(int block, int firstRow, bool last, int count);
    void FillMomentTableLeft(int block, int firstRow, bool last, int count);
    void FillMomentTableRight(int block, int firstRow, bool last, int count);

    // Records printed: the header's count, cut to the rows the grids hold.
    int RecordCount() const;

    TQuickRep QuickRep1;
    TQRBand* QRBand1;        // page header
    TQRLabel* QRLabel3;      // controller name
    TQRBand* PageFooterBand1;
    TQRLabel* QRLabel30;     // "Лист"
    TQRExpr* QRExpr1;        // page number
    TQRLabel* QRLabel31;     // "из %d"

    // The band objects the build made (null or empty until then).
    TrepTitle* Title[2] = {};
    ThdmItog* HdmItog[2] = {};
    TmomItog* MomItog[2] = {};
    ThdmSpecItog* HdmSpecItog[2] = {};
    TmomSpecItog* MomSpecItog[2] = {};
    std::vector<ThdmTable*> HdmTable[2];  // by page block
    std::vector<TmomTable*> MomTable[2];

    // Pages by the block arithmetic of the build (the footer shows the larger of this and
    // the laid-out report's count).
    int PageCount = 0;

private:
    void Build(uint8_t kind, bool moment);
    void AddTable(bool moment, int half, int block, bool newPage);
    void Fill(bool moment, int half, int block, int firstRow, bool last, int count);
    void FillSummaryValues(TQRLabel* const* values, TQRLabel* standardLine, int half) const;
    void AddSpecSummary(bool moment, int half);
    void SetPageCountCaption();
    QString Cell(const QAbstractItemModel* grid, int row, int column) const;
};

namespace qvr {
struct ChromArchivePrintJob;
// Builds the printout of a view's job (kind 2: 5-minute, else hourly/daily) into form.
void BuildChromArchivePrint(TFormPrnHDM_Chr& form, const ChromArchivePrintJob& job);
}  // namespace qvr
