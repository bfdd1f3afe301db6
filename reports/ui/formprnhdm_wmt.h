// Printout of a moisture-analyser archive view (5-minute, hourly or daily): the view's
// eight-column grid copied page by page into run-time table bands, one band per page
// with all columns, a title on the first page and "Лист N из M" below.
#pragma once
#include <cstdint>
#include <vector>

#include "reports/printheading.h"
#include "reports/ui/qreport.h"
#include "reports/ui/repklass.h"

class QAbstractItemModel;

namespace qvr {
struct ArchiveFileHeader;
struct MoistureArchivePrintJob;
}

// Moisture-analyser type of the set being printed (header byte 48); the table bands read it
// to head their pressure column.
extern uint8_t g_PrintedMoistureType;

// One page's table band: eight heading memos and eight value memos.
class TArh_Wmt_Table {
public:
    static constexpr int kColumns = 8;
    // kind: PrintHeadingKind 6, 7 or 8 (any other leaves the headings empty).
    TArh_Wmt_Table(TQuickRep* report, uint8_t kind);
    ~TArh_Wmt_Table();
    TArh_Wmt_Table(const TArh_Wmt_Table&) = delete;
    TArh_Wmt_Table& operator=(const TArh_Wmt_Table&) = delete;

    TQRSubDetail* Band = nullptr;
    TQRMemo* Heading[kColumns] = {};
    TQRMemo* Value[kColumns] = {};
};

// The heading lines of column c (0..7) for a kind and a moisture-analyser type.
QStringList MoistureHeadingLines(uint8_t kind, uint8_t moistureType, int column);

class TFormPrnHDM_Wmt {
public:
    TFormPrnHDM_Wmt();   // runs FormCreate
    ~TFormPrnHDM_Wmt();  // deletes the band objects
    TFormPrnHDM_Wmt(const TFormPrnHDM_Wmt&) = delete;
    TFormPrnHDM_Wmt& operator=(const TFormPrnHDM_Wmt&) = delete;

    // Inputs, borrowed.
    const qvr::ArchiveFileHeader* Header = nullptr;
    const QAbstractItemModel* Grid = nullptr;  // 8 columns, row r = record r
    const char* OrgName = nullptr;             // zero-terminated, Windows-1251, at most 40

    void FormCreate();
    // kind: 6 hourly, 7 daily, 8 5-minute.
    void BuildMoisturePrint(uint8_t kind);
    void FillMoisturePrintTitles(uint8_t kind);

    static constexpr int kRowsPerPage = 65;
    static constexpr int kRowStep = 19;

    TQuickRep QuickRep1;
    TQRBand* QRBand1;    // page header
    TQRLabel* QRLabel3;  // controller name
    TQRBand* PageFooterBand1;
    TQRLabel* QRLabel30;  // "Лист"
    TQRExpr* QRExpr1;     // page number
    TQRLabel* QRLabel31;  // "из %d"

    TrepTitle* Title = nullptr;
    std::vector<TArh_Wmt_Table*> Tables;  // by page
    int PageIndex = 0;
    int RowsLeft = 0;
    int RowsPerPage = kRowsPerPage;
    int PageCount = 0;

private:
    void DeleteBands();
};

namespace qvr {
// Builds the printout of a view's job into form.
void BuildMoistureArchivePrint(TFormPrnHDM_Wmt& form, const MoistureArchivePrintJob& job);
}  // namespace qvr
