// Reading the controller's two message logs, the diagnostic log (log 0) and the
// intervention log (log 1): the index bounds (tables 10 and 11), the read of an index range
// with function 7 and of a period with function 8, block by block into the temporary file
// of the log (datafile.ala, datafile.aud), with progress, Esc between blocks and the
// header of the record set; and the load of a saved log file. GUI thread only; the user
// interface is reached through ShowQues, the status bar and the hooks of LogReadUi.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/dtfun.h"
#include "common/uihooks.h"
#include "data/archformat.h"
#include "data/readui.h"

namespace qvr {

enum : uint8_t { kDiagLog = 0, kAuditLog = 1 };

// What differs between the two logs.
struct LogTraits {
    uint8_t log;              // 0 diagnostic, 1 intervention (the log byte of the bodies)
    DataKind kind;            // DiagLog / AuditLog: signature, folder, filter index, text rows
    int boundsTable;          // 10 or 11: oldest and newest index
    size_t recordSize;        // 22 or 24
    uint8_t perIndexRequest;  // most records asked for in one function-7 request: 11 or 10
    const char* tempFile;     // datafile.ala / datafile.aud
    const char* dataName;     // first line of the messages about an incomplete read
    const char* errorLine;    // second line of "Обнаружена ошибка"
};
// Traits of log 0 or 1; null for any other value.
const LogTraits* LogTraitsOf(int log);

// Body of function 7 (7 bytes): 0, log, u32 first index, number of records wanted.
struct LogIndexRequest {
    static constexpr size_t kSize = 7;
    uint8_t log = 0;
    uint32_t first = 0;
    uint8_t count = 0;
    std::array<uint8_t, kSize> Bytes() const;
};

// Body of function 8 (15 bytes): 0, log, block number, start and end of the period.
struct LogPeriodRequest {
    static constexpr size_t kSize = 15;
    uint8_t log = 0;
    uint8_t block = 0;
    CtlDateTime start;
    CtlDateTime end;
    std::array<uint8_t, kSize> Bytes() const;
};

// Block numbers of a by-period read: 0 for the first request, then 1..255, after 255
// again 1.
uint8_t NextLogBlockNumber(uint8_t block);

// Reply layout of the two functions: where the record count and the records stand.
constexpr size_t kIndexReplyCountAt = 10, kIndexReplyDataAt = 11;
constexpr size_t kPeriodReplyFlagsAt = 4, kPeriodReplyCountAt = 6, kPeriodReplyMoreAt = 7, kPeriodReplyDataAt = 8;
// The number of records a reply frame (rx, its total length in byte 2) really carries:
// the count it states, cut to the whole records between dataAt and the CRC.
uint32_t RecordsInReply(const uint8_t* rx, size_t countAt, size_t dataAt, size_t recordSize);

// View modes of the log views.
enum : uint8_t { kLogModeByIndex = 0, kLogModeByPeriod = 1, kLogModeFromFile = 2 };

// A record set for the log view: raw records (modes 0 and 1) or text rows (mode 2), the
// header's record count telling how many.
struct LogData {
    uint8_t log = 0;
    uint8_t mode = 0;
    uint32_t firstIndex = 0;  // mode 0: index of the first record asked for
    ArchiveFileHeader header;
    std::vector<uint8_t> rows;
};

// How a read reaches the window around it.
using LogReadUi = ReadUi;

// Reads the index bounds of the log (table 10 or 11, interactive). false when the read
// failed (its own message shown), or when the log is empty (oldest = newest, both
// non-zero: "В архиве нет ни одной записи").
bool ReadLogBounds(uint8_t log, uint32_t& oldest, uint32_t& newest, IStatusBar* statusBar);

// The indexes of the oldest and the newest record the controller gave (table 10 or 11).
struct LogBounds {
    uint32_t oldest = 0, newest = 0;
};

// Reads `count` records from index `first` on. true: out holds the records to show in
// mode 0; false: nothing to show (every message has been given). `held`, when given, are
// the bounds read just before: the log holds every index between them, so a reply without
// records at one of them, after records were read, ends the read short and says so.
bool ReadLogByIndex(uint8_t log, uint32_t first, uint32_t count, const LogReadUi& ui, LogData& out,
                    const LogBounds* held = nullptr);

// Reads the records of the period start..end (to the second). true: out holds the records
// to show in mode 1.
bool ReadLogByPeriod(uint8_t log, const CtlDateTime& start, const CtlDateTime& end, const LogReadUi& ui,
                     LogData& out);

// Loads a saved .ala / .aud file (header check of the kind, then its text rows). false
// with the message given when it cannot be opened or is not a log file of the kind; a file
// holding fewer rows than its header says shows the rows present after a notice.
bool LoadLogFile(uint8_t log, const std::string& path, LogData& out);

}  // namespace qvr
