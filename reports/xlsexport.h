// Export of a chromatograph archive view (5-minute, or hourly/daily) into a new workbook:
// a title row, a silver heading block with the gas-parameter headings, and one row per
// record holding the view's own grid texts, so the values appear exactly as on screen.
#pragma once
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "common/uihooks.h"
#include "data/archformat.h"
#include "reports/xlsreport.h"
#include "reports/xlsx.h"

namespace qvr {

// Gas-parameter headings in rows 2..5 from firstColumn on, one column per display position
// (ChromParamDisplayOrder): three heading lines (volume fractions when przComposition is
// 1, else mole fractions) and the unit (kcal when thermalUnit is 1, else MJ), with the
// right border of each column.
void ExcelGasParamHeading(xlsx::Worksheet& sheet, int firstColumn, uint8_t przComposition, uint8_t thermalUnit);

// What an export takes from its view.
struct ChromExcelExport {
    int leftColumns = 2;  // 2: date, time (5-minute view); 3: date, start, end (hour/day view)
    std::string caption;     // the window caption
    std::string methodLine;  // the calculation method line
    int recordCount = 0;     // the header's record count
    // Texts of the left grid (row = record, column 1..leftColumns) and of the value grid
    // (row = record, display column 0..19). UTF-8.
    std::function<std::string(int row, int column)> leftText;
    std::function<std::string(int row, int column)> valueText;
    const uint8_t* activeOrder = nullptr;  // null: ActiveChromParamOrder
    uint8_t przComposition = 0;
    uint8_t thermalUnit = 0;
};

// The whole export into path: application, new workbook, layout, rows, save, the
// "Данные сохранены в файле" notice and close; the three spreadsheet messages go to the
// message box. progress advances by recordCount + 5 in all (maximum set by the caller).
// true when the file was saved.
bool ExportChromViewToExcel(const ChromExcelExport& in, const std::string& path, IProgress* progress,
                            const XlsMessageBox& messageBox);

// The save dialog's proposals: the folder of the view's kind under the program folder
// (MOMDATA, HOURDATA, DAYDATA), and "<folder>/qvr_13-<address>-<yymmdd>.xlsx" with the
// PC's date.
std::string ExcelExportFolder(DataKind kind);
std::string ExcelExportDefaultName(const std::string& folder, uint8_t address, const std::tm& pcDate);
// ".xlsx" put on a name that has no extension; a name with one keeps it.
std::string WithXlsxExtension(const std::string& name);
// When path exists, asks whether to replace it; false when the user said No.
bool ConfirmExcelOverwrite(const std::string& path);

}  // namespace qvr
