// What the diagnostic and intervention log views show, without widgets: the seven texts of
// each row (date, time and five texts decoded from the record), the captions, the saved
// text rows of .ala and .aud files (seven zero-terminated Windows-1251 cells of fixed
// width) and the save request of a view.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "data/archformat.h"
#include "data/chromview.h"  // DataSaveRequest, SaveViewData
#include "data/logread.h"    // LogData

namespace qvr {

constexpr int kLogCells = 7;
// The grid has a narrow spacer column 0; cell c of a row is grid column c + 1.
constexpr int kLogGridColumns = kLogCells + 1;

// The seven texts of one row (UTF-8).
using LogRowTexts = std::array<std::string, kLogCells>;

// Cells of a saved text row: offset and width in bytes.
struct TextRowCell {
    size_t offset;
    size_t width;
};
struct TextRowLayout {
    size_t size;
    TextRowCell cells[kLogCells];
};
// DiagTextRow: date 20, time 20, event 100, object/reason 100, value 20, set point 20, unit 20.
extern const TextRowLayout kDiagTextRowLayout;
// AuditTextRow: date 20, time 20, name 100, old 20, new 20, unit 20, operator 5.
extern const TextRowLayout kAuditTextRowLayout;
const TextRowLayout& TextRowLayoutOf(uint8_t log);

// Writes the row into layout.size bytes at out: every cell cleared, then each non-empty
// text converted to Windows-1251 and cut to its width less one.
void StoreTextRow(const LogRowTexts& row, const TextRowLayout& layout, uint8_t* out);
// Reads the seven cells, each ending at its first zero or at its width.
LogRowTexts LoadTextRow(const uint8_t* in, const TextRowLayout& layout);

// Status-panel text of a set with a record whose CRC fails.
extern const char* const kLogCrcWarning;
// The date text of a row whose record fails its CRC (every other cell empty).
extern const char* const kLogCrcMark;

// Cells 2..6 (event, object/reason, value, set point, unit) of one diagnostic record;
// moistureType is header byte 48.
void FormatDiagRecord(const uint8_t* record, uint8_t moistureType, LogRowTexts& row);
// The whole row of one diagnostic record; crcOk (may be null) tells whether it passed.
LogRowTexts DiagRow(const uint8_t* record, uint8_t moistureType, bool* crcOk = nullptr);

// Cells 2..6 (name, old value, new value, unit, operator) of one intervention record.
// textCodePage: identification byte 12 (0: the controller name is in CP866).
void FormatAuditRecord(const uint8_t* record, uint8_t textCodePage, LogRowTexts& row);
LogRowTexts AuditRow(const uint8_t* record, uint8_t textCodePage, bool* crcOk = nullptr);

// The text of a switch-day rule byte (DstDayRule): a day of the month, or the week and
// weekday of a floating rule; "?" for a rule out of range.
std::string DstDayRuleText(uint8_t b);

// The rows of a record set as its view shows them: modes 0 and 1 decode the records,
// mode 2 reads the text rows. crcFailed tells whether any record failed its CRC.
struct LogRows {
    std::vector<LogRowTexts> rows;
    bool crcFailed = false;
};
LogRows BuildLogRows(const LogData& data, uint8_t textCodePage);

// Number of records (or text rows) in the set: the header's count cut to what the block
// holds.
size_t LogRowCount(const LogData& data);

// "Диагностические сообщения ..." / "Сообщения о вмешательствах оператора ..." by mode.
std::string LogCaption(const LogData& data);

// The .ala / .aud body of the rows: one text row each.
std::vector<uint8_t> BuildTextRows(const std::vector<LogRowTexts>& rows, uint8_t log);

// The save dialog set-up of a log view.
DataSaveRequest LogSaveRequest(uint8_t log, uint8_t address, const std::tm& today);

}  // namespace qvr
