// Reading the controller's archives: the readable span of an archive (oldest record time
// from table 27, the controller clock from table 2), the check of a 5-minute period
// against records the archive has already dropped, and the block-by-block read with
// functions 14 (5-minute), 15 (hourly) and 16 (daily) into the temporary file
// datafile.hdm, with the date checks of every record, progress, Esc between blocks and
// the header of the record set. GUI thread only; the user interface is reached through
// ShowQues, the status bar and the small hooks of ArchiveReadUi.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "common/dtfun.h"
#include "common/uihooks.h"
#include "data/archformat.h"
#include "data/readui.h"

namespace qvr {

// Bounds kinds of ReadArchiveBounds and of the period dialog.
enum : uint8_t { kBoundsHour = 0, kBoundsDay = 1, kBoundsFiveMinutes = 3 };

// What differs between the six archive reads.
struct ArchiveReadTraits {
    DataKind kind;
    uint8_t function;     // 14 5-minute, 15 hourly, 16 daily
    uint8_t archiveKind;  // request byte 0: 1 5-minute, 3 hourly and daily
    uint8_t device;       // request byte 2: 0 chromatograph, 1 moisture analyser
    int dateWidth;        // 5, 4 or 3 bytes of start and end in the request
    size_t bodyLen;       // 13, 11 or 9
    size_t recordSize;
    int fullReply;        // records in a full reply: 2 chromatograph, 8 moisture analyser
    uint8_t boundsKind;   // 3, 0 or 1
    int table27Field;     // 0, 1 or 2
    int headingKind;      // heading kind of the hourly/daily views; -1 for the 5-minute views
    const char* dataName; // first line of the messages about an incomplete read
};
// The time lies in the hour the controller's clock goes back over when winter time begins
// (the rule of table 6 in the table image): the records and events of that hour come twice.
bool InClockRepeatHour(const CtlMinuteTime& t);

// Traits of one of the six archive kinds (DataKind::Chrom5Min .. DataKind::WmtDay).
const ArchiveReadTraits& ReadTraits(DataKind kind);

// Reply of functions 14..16: the record count in byte 4, the records from byte 5.
constexpr size_t kArchiveReplyRecords = 5;
// The number of records of a reply frame (its length in byte 2); kMalformedArchiveReply
// when the count the controller gives does not fit the frame it came in.
constexpr unsigned kMalformedArchiveReply = ~0u;
unsigned ArchiveReplyRecords(const uint8_t* frame, size_t recordSize);

// The records one read of an archive has kept, by their bytes: a record is never kept
// twice, whichever request brings it again.
class KeptArchiveRecords {
public:
    explicit KeptArchiveRecords(DataKind kind);
    size_t RecordSize() const { return size_; }
    bool Has(const uint8_t* rec) const { return set_.count(Key(rec)) != 0; }
    void Add(const uint8_t* rec);
    // The reply frame (in RxBuf layout) brings records, every one of them kept already, and
    // is no reply the running request may get: it is not led by the last record kept (a
    // controller may answer from the record before the start, and at the archive's end
    // with that record alone) and holds no record of the hour the clock goes back over
    // (its slots come twice). sentAgain: the request sends a start once more where a slot
    // may come twice, so whatever it brings is its answer. The exchange engine skips such
    // a reply as a stale one and waits on for the answer.
    bool Stale(const uint8_t* frame, bool sentAgain = false) const;

private:
    std::string Key(const uint8_t* rec) const { return std::string(reinterpret_cast<const char*>(rec), size_); }
    bool daily_;
    size_t size_;
    std::unordered_set<std::string> set_;
    std::string last_;  // the record kept last
};

// The readable span of an archive and its oldest record time (the daily flag taken out of
// its last byte). boundsKind: 3 five-minute, 0 hourly, 1 daily. Reads table 27 (one
// field), table 2 and table 6 interactively. 1: the span is usable; 0: a message was
// shown or a table read failed.
uint8_t ReadArchiveBounds(ArchiveSpan& span, CtlDateTime& oldest, uint8_t boundsKind, IStatusBar* statusBar);

// Checks a chosen 5-minute period against the records the archive may have dropped since
// the span was read; may move the start to the span begin after asking. 1: read the
// (possibly corrected) period; 0: do not read.
uint8_t CheckFiveMinutePeriod(ArchiveSpan span, const CtlDateTime& oldest, CtlMinuteTime& end,
                              CtlMinuteTime& start, IStatusBar* statusBar);

// Progress maximum of a read: hours * 12 (5-minute), hours (hourly) or days (daily).
int ArchiveProgressMax(DataKind kind, const CtlDateTime& start, const CtlDateTime& end);

// The request body: kind byte, 0, device, start and end in the kind's width.
std::vector<uint8_t> ArchiveRequestBody(DataKind kind, const CtlDateTime& start, const CtlDateTime& end);

// Header and records (count * record size bytes, in the order received) of a read or of
// an opened data file.
struct ArchiveData {
    ArchiveFileHeader header;
    std::vector<uint8_t> records;
};

// How a read reaches the window around it.
using ArchiveReadUi = ReadUi;

// Milliseconds the full progress bar stays shown after a good read (500; tests shorten it).
extern int g_ArchiveEndPauseMs;

// Reads the period start..end (5-minute reads: already rounded and checked) block by
// block: each request starts after the last record received (at that record's slot again
// when the controller's clock goes back over it, table 6 in the table image), and a reply
// with a record outside its request is refused like a corrupt one. true: out holds header
// and records to show; false: nothing to show (every message has been given).
bool ReadArchivePeriod(DataKind kind, const CtlDateTime& start, const CtlDateTime& end, const ArchiveReadUi& ui,
                       ArchiveData& out);

// The period dialog: bounds kind and span in; the chosen start and end out. false when
// not accepted.
using ArchivePeriodChooser =
    std::function<bool(uint8_t boundsKind, ArchiveSpan* span, CtlDateTime& start, CtlDateTime& end)>;

// A whole read command: span, period dialog, 5-minute rounding and check, then the read.
bool RunArchiveRead(DataKind kind, const ArchivePeriodChooser& choose, const ArchiveReadUi& ui, ArchiveData& out);

}  // namespace qvr
