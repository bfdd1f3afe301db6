// Printout of the diagnostic-message list and of the operator-intervention list: a title
// band, the controller name at the top of every page, page bands of up to 70 (74) rows
// made at run time, and the "Лист N из M" footer. The rows are the seven texts of each
// row exactly as the log view shows them.
#pragma once
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "reports/printheading.h"
#include "reports/ui/qreport.h"
#include "reports/ui/repklass.h"

class QAbstractItemModel;
class QWidget;

namespace qvr {
struct ArchiveFileHeader;
// The seven texts of one printed row (date, time and the five columns of the log kind).
using LogPrintRow = std::array<QString, 7>;
}  // namespace qvr

class TFormPrnArhiv {
public:
    TFormPrnArhiv();  // runs FormCreate
    ~TFormPrnArhiv(); // runs FormDestroy
    TFormPrnArhiv(const TFormPrnArhiv&) = delete;
    TFormPrnArhiv& operator=(const TFormPrnArhiv&) = delete;

    // Inputs, set after construction.
    qvr::PrintHeadingKind kind = 0;                 // 3 diagnostic list, 4 intervention list
    const qvr::ArchiveFileHeader* header = nullptr; // controller name, address, read time, period
    const char* heading = nullptr;                  // organisation name, up to 40 bytes (Windows-1251)
    const std::vector<qvr::LogPrintRow>* grid = nullptr;

    void FormCreate();
    void FormDestroy();
    // Fills the title labels, builds the page bands, sets the page count.
    void BuildLogPrint();

    // Rows per page and the first page's share for the kind.
    static int RowsPerPage(qvr::PrintHeadingKind kind) { return kind == qvr::kPrintAuditLog ? 74 : 70; }

    TQuickRep QuickRep1;
    TQRBand* TitleBand1;
    TQRLabel* QRLabel1;  // organisation name
    TQRLabel* QRLabel2;  // title line 1
    TQRLabel* QRLabel3;  // title line 2
    TQRLabel* QRLabel6;  // controller and address
    TQRLabel* QRLabel4;  // period
    TQRLabel* QRLabel8;  // origin line
    TQRBand* PageHeaderBand1;
    TQRLabel* QRLabel5;  // controller name
    TQRBand* PageFooterBand1;
    TQRLabel* QRLabel30;  // "Лист"
    TQRExpr* QRExpr1;     // page number
    TQRLabel* QRLabel31;  // "из %d"

    // The page bands made by BuildLogPrint (one list per kind).
    std::vector<TAlaTable*> AlaPages;
    std::vector<TAudTable*> AudPages;
    int PageIndex = 0;   // current page band
    int FreeRows = 0;    // rows still free on it
    int RowsPage = 0;    // rows per page of the kind
    int PageCount = 0;
};

namespace qvr {

// Builds the printout of a log list and sends it to the printer (printer dialog first).
// kind: 3 diagnostic, 4 intervention; heading: the organisation name (41 bytes, Windows-
// 1251, zero-terminated). False when the printer dialog was cancelled.
bool PrintLogList(QWidget* parent, PrintHeadingKind kind, const ArchiveFileHeader& header, const char* heading,
                  const std::vector<LogPrintRow>& rows);
// The print command of the log views: the print heading question, then PrintLogList.
// False when the question was cancelled or nothing was printed.
bool AskAndPrintLogList(QWidget* parent, PrintHeadingKind kind, const ArchiveFileHeader& header,
                        const std::vector<LogPrintRow>& rows);
// Columns 1..7 of a grid model, row by row, as displayed (column 0 is the row number).
std::vector<LogPrintRow> LogRowsFromModel(const QAbstractItemModel& model);

}  // namespace qvr
