// The daily report: the report texts (REPORT/report.ini, one raw 801-byte record) and the
// daily report files (REPORT/repYYMMDD.srt, one raw 912-byte record each) from which the
// daily certificate and the daily passport are printed, and the steps of making one from
// the chromatograph's daily archive. Records are read and written field by field at
// their offsets; texts are zero-terminated Windows-1251.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "common/dtfun.h"
#include "common/uihooks.h"
#include "data/archformat.h"

namespace qvr {

constexpr size_t kReportFormatRecordSize = 801;
constexpr size_t kDailyReportRecordSize = 912;

// The report texts.
struct ReportFormatRecord {
    static constexpr size_t kSize = kReportFormatRecordSize;
    static constexpr size_t kCertLines = 0, kCertLineSize = 100, kCertLineCount = 4;
    static constexpr size_t kRepresentatives = 400, kRepresentativeSize = 50, kRepresentativeCount = 2;
    static constexpr size_t kContractHour = 500;
    static constexpr size_t kPassportLines = 501, kPassportLineSize = 50, kPassportLineCount = 6;

    char certLine[kCertLineCount][kCertLineSize] = {};                  // at most 99 characters each
    char representative[kRepresentativeCount][kRepresentativeSize] = {}; // at most 49
    uint8_t contractHour = 0;                                          // 0..23; above 23 taken as 9
    char passportLine[kPassportLineCount][kPassportLineSize] = {};     // at most 49

    std::array<uint8_t, kSize> Bytes() const;
    static ReportFormatRecord FromBytes(const uint8_t* p);
    bool operator==(const ReportFormatRecord&) const = default;
};
static_assert(sizeof(ReportFormatRecord) == kReportFormatRecordSize);

// One daily report file.
struct DailyReportRecord {
    static constexpr size_t kSize = kDailyReportRecordSize;
    static constexpr size_t kFormat = 0, kName = 801, kAddress = 821, kStart = 822, kEnd = 827, kGas = 832;

    ReportFormatRecord format;  // contractHour: the controller's contract hour
    uint8_t name[20] = {};      // controller name, table 5 as held in the table image
    uint8_t address = 0;        // controller address
    CtlMinuteTime start;        // start of the gas day: year - 2000, month, day, contract hour, 0
    CtlMinuteTime end;          // the following day, same hour
    GasAnalysis gas;            // the daily analysis as read, unconverted

    std::array<uint8_t, kSize> Bytes() const;
    static DailyReportRecord FromBytes(const uint8_t* p);
};
static_assert(sizeof(DailyReportRecord) == kDailyReportRecordSize);

// Stores a text into a fixed field: cut to width - 1 bytes, the rest of the field zero.
// (FieldText of common/codepage.h reads one back.)
void StoreTextField(char* field, size_t width, const std::string& win);

// REPORT under the program folder (no trailing '/'), report.ini in it, and the daily
// report file of a gas day ("repYYMMDD.srt" with the two-digit year, month and day).
std::string ReportFolder();
std::string ReportFormatPath();
std::string DailyReportFileName(const CtlHourTime& start);
std::string DailyReportPath(const CtlHourTime& start);

enum class ReportFileStatus {
    Ok,
    Missing,     // the file cannot be opened
    WrongSize,   // a daily report file that is not exactly the record's size
};

// report.ini: r starts all zero except a contract hour of missingHour (the text editor
// passes 9, the report maker 0), and the file's first 801 bytes are laid over it, so a
// shorter file gives what it holds and the rest stays blank. Missing: the file cannot be
// opened (r as it started).
ReportFileStatus ReadReportFormat(ReportFormatRecord& r, uint8_t missingHour);
// Writes report.ini whole (atomically; creates REPORT when missing).
bool WriteReportFormat(const ReportFormatRecord& r, std::string* error = nullptr);

// A daily report file: exactly 912 bytes.
ReportFileStatus LoadDailyReport(const std::string& path, DailyReportRecord& r);
bool SaveDailyReport(const std::string& path, const DailyReportRecord& r, std::string* error = nullptr);

// The fixed part of a new daily report: zeros, the texts of report.ini, the controller
// name (table 5), the engine's address (0 without an engine) and the contract hour
// (ContractHour: table 6 field 6, above 23 taken as 9).
void PrepareDailyReport(DailyReportRecord& r);

// The gas day that starts on the given date: start at the record's contract hour, end a
// day later, both written to the record. true when the day lies within the archive's
// readable span (compared to the day).
bool SetReportDay(DailyReportRecord& r, const CalDate& day, const ArchiveSpan& span);

// Reads the daily record of the chromatograph for the record's start day (function 16)
// and copies its analysis into the record. On failure the message is shown (status panel
// 2 gets the result text and startMessageTimer is called when the exchange failed or the
// reply held no record) and false is returned.
bool ReadDailyAnalysis(DailyReportRecord& r, IStatusBar* statusBar,
                       const std::function<void()>& startMessageTimer);

// Saves the record as the daily report file of its day and says so (kind 6). false when
// the file could not be written.
bool SaveDailyReportWithMessage(const DailyReportRecord& r);

}  // namespace qvr
