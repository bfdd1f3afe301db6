// The daily and monthly quality reports in spreadsheet form: one metering object's
// chromatograph and moisture-analyser means, read from the controller's hourly and daily
// archives (functions 15 and 16), written into a copy of the report template in the
// program folder and saved under REPORT. The values go in as the controller reports them
// (mole fractions, heats in MJ with kcal and kWh beside them); the templates carry every
// heading and format.
#pragma once
#include "reports/gascalc.h"
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/dtfun.h"
#include "data/archformat.h"
#include "data/archread.h"
#include "reports/xlsx.h"

namespace qvr {

// The GasAnalysis index written to each column from column 2 on; 255 leaves a column
// unwritten; the heats (11 Hs, 13 Wobbe index, 18 Hi) take three columns each (kcal, MJ,
// kWh).
extern const uint8_t ExcelChromColumnTable[20];
// The moisture value written to columns 24..27 (value 2, the gas pressure, converted to
// kgf/cm2).
extern const uint8_t ExcelMoistureColumnOrder[4];

constexpr double kKWhPerMJ = 0.277778;
constexpr double kKgfPerBar = 1.019716213;

// Templates in the program folder.
constexpr const char* kDayTemplateName = "day_report_title_v13.xlsx";
constexpr const char* kMonthTemplateName = "mon_report_title_v13.xlsx";
std::string XlsTemplatePath(uint8_t kind);  // g_ProgDir + name; kind 0 day, 1 month

// Report date: year - 2000, month, day, hour (the contract hour).
struct ReportDate {
    uint8_t year = 0, month = 0, day = 0, hour = 0;
};

// One report to make (what the report form is given).
struct XlsReportJob {
    uint8_t kind = 0;                 // 0 day, 1 month
    ReportDate date;
    std::string objectName;           // as stored in the object list (Windows-1251)
    std::vector<ChromHourDayRecord> chrom;     // hourly (day) or daily (month) records
    std::vector<MoistureHourDayRecord> moist;  // as many as chrom
    ChromHourDayRecord chromSummary;  // the daily record, or the monthly average
    MoistureHourDayRecord moistSummary;  // the daily record (the month report does not use it)
};

// The output file: "<prog>REPORT/<object>_day_YYMMDD.xlsx" or "..._mon_YYMM.xlsx". The
// object name is turned into UTF-8; characters a file name cannot hold ('/', control
// characters) become '_'.
std::string XlsReportPath(const XlsReportJob& job);

// One row's cells. Chromatograph columns 2..10, 12..23 and 28; "--" in 2..10 and 12..23
// (28 untouched) when the status says controller off or no link (0x22) or methane is
// invalid or below 0.001. Moisture columns 24..27; "--" when the status says analyser off
// or no link (0x06).
void FillChromColumns(xlsx::Worksheet& sheet, const GasAnalysis& gas, uint8_t status, int row);
void FillMoistureColumns(xlsx::Worksheet& sheet, const float values[4], uint8_t status, int row);

// Fill an opened template.
void BuildDayReport(xlsx::Worksheet& sheet, const XlsReportJob& job);
void BuildMonthReport(xlsx::Worksheet& sheet, const XlsReportJob& job);

// Mean of the 20 values over the days with a valid methane value of at least 0.001, each
// value over the days where it is valid; zero where no day gives one. Date, status and
// CRC are zero.
ChromHourDayRecord MonthlyAverage(const std::vector<ChromHourDayRecord>& days);

// The messages of the spreadsheet work, shown by the simple message box.
constexpr const char* kXlsNoApplication =
    "Невозможно открыть Microsoft Excel! Возможно это приложение на компьютере не установлено.";
constexpr const char* kXlsFileError = "Ошибка работы с файлом!";
constexpr const char* kXlsCloseError = "Ошибка закрытия Excel. Закройте программу сами.";

// How the spreadsheet work reaches the user: the simple message box (text, caption,
// error icon). Without one the messages are dropped.
using XlsMessageBox = std::function<void(const std::string& text, const std::string& caption, bool errorIcon)>;

// What the report form does once shown: the output name (asking before an existing file is
// replaced, and deleting it on Yes), the application, the template filled, saved and
// closed. true when the report was saved.
bool MakeXlsReport(const XlsReportJob& job, const XlsMessageBox& messageBox);

// ---------------------------------------------------------------------------------------
// Reading the data of a report.

// What the reads need from the window around them (every member may be empty): status
// panel 2 for result texts, the waiting window with its progress bar (opened with the
// maximum, main window disabled), its removal, and the timer that clears panel 2 later.
using XlsReadUi = ArchiveReadUi;

// The day's daily records of both devices, then its hourly records (report date at the
// contract hour, not before the span's begin, to the next day's contract hour less one
// hour). false after a message, or after Esc without one.
bool ReadDayReportData(const ReportDate& date, const ArchiveSpan& span, const XlsReadUi& ui, XlsReportJob& job);
// The month's daily records of both devices (within the span) and their average.
bool ReadMonthReportData(const ReportDate& date, const ArchiveSpan& span, const XlsReadUi& ui, XlsReportJob& job);

}  // namespace qvr
