#include "data/logread.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <map>
#include <string>

#include "common/bytes.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "link/conffun.h"
#include "link/hgcbox.h"
#include "data/archread.h"
#include "link/tabledir.h"

namespace qvr {

namespace {

const LogTraits kTraits[2] = {
    {kDiagLog, DataKind::DiagLog, 10, kDiagRecordSize, 11, kDiagTempFile, "Диагностические сообщения",
     "в архиве диагностических сообщений"},
    {kAuditLog, DataKind::AuditLog, 11, kAuditRecordSize, 10, kAuditTempFile, "Сообщения о вмешательствах оператора",
     "в архиве сообщений о вмешательствах"},
};

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Why a read ends short at an empty reply where the log holds records: by index, at an index
// within the log's bounds; by period, after a block that said more blocks follow.
constexpr const char* kNoHeldRecords = "Ответ без записей, которые есть в архиве";

void Notice(const std::string& line1, const std::string& line2) {
    g_QuesKind = kQuesNotice;
    ShowQues(line1, line2);
}

int ClampToInt(int64_t v) { return int(std::clamp<int64_t>(v, 0, INT_MAX)); }

// The events one read has kept, by their bytes. Log records carry no index, and two events
// alike may follow each other. Any other record equal to a kept one (save one stamped in the
// hour the clock goes back over, which comes twice), or a reply of kept records only, repeats
// what the read has: the controller does not answer the index or the period asked, or a
// stale reply came. The engine skips such a reply and waits on for the answer; one the plain
// loop takes ends the read. An event equal to the one kept just before it (alike events in a
// row, one per reply or across a block boundary) is no repeat: it is kept. But a reply of
// such events only, or an empty one, on a line that has brought this read a repeat, is in
// doubt: a copy of the reply before, or of another read's empty answer, tells itself from
// the answer by nothing, so the read ends and says so rather than end as if complete. So is,
// on such a line, a reply that steps back in time from the last event kept: events are
// logged in order, and besides a clock set back only a reply taken out of its turn (another
// request's, late) does so, which leaves the records kept out of order.
class KeptEvents {
public:
    // InARow: every record kept, alike events continuing the run that ends the kept ones.
    enum class Repeat { None, InARow, Kept };
    explicit KeptEvents(size_t recordSize) : size_(recordSize) {}

    Repeat Classify(const uint8_t* records, uint32_t n) const {
        // The records are walked as if kept one after the other.
        std::map<std::string, uint32_t> added;
        std::string last = last_;
        uint32_t run = run_;
        bool inRow = false, allKept = n > 0;
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t* rec = records + size_t(i) * size_;
            const std::string k = Key(rec);
            const auto it = count_.find(k);
            const uint32_t kept = it == count_.end() ? 0 : it->second;
            if (kept == 0) {
                allKept = false;
            } else if (k == last && kept + added[k] == run) {
                inRow = true;  // every one alike with it so far ends the kept ones
            } else if (!InClockRepeatHour(LoadCtlMinuteTime(rec))) {
                return Repeat::Kept;
            }
            ++added[k];
            run = k == last ? run + 1 : 1;
            last = k;
        }
        if (!allKept) return Repeat::None;
        return inRow ? Repeat::InARow : Repeat::Kept;
    }

    // A reply of this read repeated what it has kept: the line brings copies.
    void NoteRepeat() { repeated_ = true; }
    // true when a reply of n records so classified is not to be taken: a repeat, or in doubt
    // (see above). Not the hour the clock goes back over, which comes twice.
    bool Doubtful(Repeat r, const uint8_t* records, uint32_t n) const {
        const bool back = n > 0 && !last_.empty() && !InClockRepeatHour(LoadCtlMinuteTime(records)) &&
                          CompareCtlDateTime(LoadCtlDateTime(records),
                                             LoadCtlDateTime(reinterpret_cast<const uint8_t*>(last_.data()))) < 0;
        return r == Repeat::Kept || ((r == Repeat::InARow || n == 0 || back) && repeated_);
    }

    void Add(const uint8_t* records, uint32_t n) {
        for (uint32_t i = 0; i < n; ++i) {
            const std::string k = Key(records + size_t(i) * size_);
            ++count_[k];
            run_ = k == last_ ? run_ + 1 : 1;
            last_ = k;
        }
    }

private:
    std::string Key(const uint8_t* rec) const { return std::string(reinterpret_cast<const char*>(rec), size_); }
    size_t size_;
    std::map<std::string, uint32_t> count_;
    std::string last_;  // the last event kept ...
    uint32_t run_ = 0;  // ... and how many alike end the kept ones
    bool repeated_ = false;
};

// Where a log reply of a read keeps its count and its records, and (reads by index) the
// count the running request asks.
struct LogReplyShape {
    size_t countAt, dataAt, recordSize;
    const uint8_t* asked = nullptr;

    // A length other than the header and the count of this log's records (the other log's
    // reply, or a broken one), or more records than asked: the read refuses it.
    bool Misfit(const uint8_t* rx) const {
        return rx[2] != dataAt + rx[countAt] * recordSize + 2 || (asked && rx[countAt] > *asked);
    }
};

// The content check the engine asks about a reply: true for a repeat of what the read has
// kept, never for alike events continuing a run of kept ones. A read by period (end given)
// also refuses a record stamped in an hour after the end's: a controller answers a period
// with what is stamped in it (by the hour at the coarsest), so that is another read's reply.
// (Not one stamped before the start: a clock set back makes a controller that reads on from
// the start's record bring such ones.) A misfit (see above) is taken: the read refuses it at
// once and asks, as it does a misfit the plain loop takes; passed over, it would cost the
// rest of the try's wait where the answer was lost.
hgcbox::StaleCheck RepeatCheck(KeptEvents& kept, const LogReplyShape& shape, const CtlDateTime* end) {
    return [&kept, shape, end](const uint8_t* rx) {
        if (shape.Misfit(rx)) return false;
        const size_t dataAt = shape.dataAt, recordSize = shape.recordSize;
        const uint32_t n = RecordsInReply(rx, shape.countAt, dataAt, recordSize);
        for (uint32_t i = 0; end && i < n; ++i) {
            const CtlDateTime t = LoadCtlDateTime(rx + dataAt + size_t(i) * recordSize);
            if (IsValidCtlDateTime(t) && CompareCtlDateTimeByUnit(t, *end, kUnitHour) > 0) return true;
        }
        const auto r = kept.Classify(rx + dataAt, n);
        if (r == KeptEvents::Repeat::Kept) kept.NoteRepeat();
        return r == KeptEvents::Repeat::Kept;
    };
}

// The state one read shares between its steps: the temporary file, the waiting window,
// what was received, and the way out of every step.
class LogReadSession {
public:
    LogReadSession(const LogTraits& t, const LogReadUi& ui) : t_(t), ui_(ui) {}
    ~LogReadSession() { Finish(); }

    // Creates the temporary file; false with the message when it cannot be created.
    bool Open(int progressMax) {
        path_ = TempDataFilePath(t_.tempFile);
        std::string failedAt;
        file_.reset(CreateWorkingFile(path_, &failedAt));
        if (!file_) {
            Notice("Ошибка открытия файла", FileFailureText(failedAt, errno));
            return false;
        }
        g_Abort = 0;
        if (ui_.openWait) progress_ = ui_.openWait(std::max(progressMax, 1));
        waiting_ = true;
        g_AbortAllowed = 1;
        return true;
    }

    // A reply was refused (a misfit, see LogReplyShape): the reason in status panel 2 and the
    // retry question. true: send the same request again; false: the read ends, how much was
    // read has been said.
    bool ReplyRefused(uint8_t function, const char* reason) {
        if (ui_.statusBar) {
            ui_.statusBar->SetPanelText(2, RefusedReplyText(function, reason));
            ui_.statusBar->Repaint();
        }
        g_QuesKind = kQuesRetry;
        ShowQues("Не выполнено чтение", "очередного блока данных");
        if (ui_.statusBar) ui_.statusBar->SetPanelText(2, "");
        if (g_QuesAnswer == 1) return true;
        Notice(t_.dataName, nothingRead_ ? "не прочитаны" : "прочитаны не полностью");
        return false;
    }

    // Sends a request of the read until it has an answer that fits (true). A misfit asks the
    // retry question; a request whose replies the engine all passed over (repeats of what the
    // read has, or another period's) ends the read, as a repeat taken does. false when the
    // read ends: Esc, or the window closing, ended one of its waits (as on Esc between
    // blocks, the flag cleared), or the request failed or was refused (said, with how much
    // was read).
    bool Requested(uint8_t function, const uint8_t* body, uint32_t length, const hgcbox::StaleCheck& repeats,
                   const LogReplyShape& shape) {
        for (;;) {
            const RequestOutcome got =
                g_Hgc ? g_Hgc->RequestRecords(function, body, length, repeats) : RequestOutcome::None;
            if (got == RequestOutcome::Aborted) {
                g_Abort = 0;
                return false;
            }
            if (got != RequestOutcome::Answer) {
                RequestFailed();
                return false;
            }
            if (!shape.Misfit(g_Hgc->RxBuf)) return true;
            if (!ReplyRefused(function, g_Hgc->ExchangeResultMessages[kResultBadLength])) return false;
        }
    }

    // A request failed, or its answer was refused for `reason`: the result text (or the
    // reason) in status panel 2, then how much was read.
    void RequestFailed(uint8_t function = 0, const char* reason = nullptr) {
        if (g_Hgc && ui_.statusBar) {
            ui_.statusBar->SetPanelText(2, reason ? RefusedReplyText(function, reason) : std::string(g_Hgc->ResultText()));
            ui_.statusBar->Repaint();
        }
        if (ui_.startMessageTimer) ui_.startMessageTimer();
        Notice(t_.dataName, nothingRead_ ? "не прочитаны" : "прочитаны не полностью");
    }

    // Appends the n records of the reply at RxBuf + dataAt; false (with a message) when
    // the file cannot take them, the records received so far being kept.
    bool Append(size_t dataAt, uint32_t n) {
        nothingRead_ = false;
        const size_t bytes = size_t(n) * t_.recordSize;
        if (std::fwrite(g_Hgc->RxBuf + dataAt, 1, bytes, file_.get()) != bytes || std::fflush(file_.get()) != 0) {
            const int err = errno;
            Notice(FileFailureText(path_, err), std::string(t_.dataName) + " прочитаны не полностью");
            return false;
        }
        return true;
    }

    void SetProgress(int64_t pos, int64_t max) {
        if (progress_) progress_->SetPosition(ClampToInt(std::min(pos, max)));
    }

    // Pending messages, then Esc: true when the read must stop (the flag is cleared).
    bool Aborted() {
        ProcessMessages();
        if (!g_Abort) return false;
        g_Abort = 0;
        return true;
    }

    // Ends the exchange part: abort off, status panel 2 cleared, waiting window gone. Runs
    // once, also on every early way out. The file stays open for the read-back.
    void Finish() {
        if (!waiting_) return;
        g_AbortAllowed = 0;
        if (ui_.statusBar) ui_.statusBar->SetPanelText(2, "");
        if (ui_.closeWait) ui_.closeWait();
        waiting_ = false;
        progress_ = nullptr;
    }

    // Reads the temporary file back through the handle that wrote it (whatever stands at
    // its name by now): whole records only. false with the message when it cannot be read
    // or holds no record.
    bool ReadBack(std::vector<uint8_t>& rows) {
        Finish();
        if (!file_ || !ReadBackWorkingFile(file_.get(), rows)) {
            Notice("Ошибка открытия файла", FileFailureText(path_, errno));
            return false;
        }
        file_.reset();
        rows.resize(rows.size() / t_.recordSize * t_.recordSize);
        return !rows.empty();
    }

    bool NothingRead() const { return nothingRead_; }

private:
    const LogTraits& t_;
    const LogReadUi& ui_;
    std::string path_;
    FilePtr file_;
    IProgress* progress_ = nullptr;
    bool waiting_ = false;
    bool nothingRead_ = true;
};

}  // namespace

const LogTraits* LogTraitsOf(int log) { return log == 0 || log == 1 ? &kTraits[log] : nullptr; }

std::array<uint8_t, LogIndexRequest::kSize> LogIndexRequest::Bytes() const {
    std::array<uint8_t, kSize> b{};
    b[0] = 0;
    b[1] = log;
    PutU32(b.data() + 2, first);
    b[6] = count;
    return b;
}

std::array<uint8_t, LogPeriodRequest::kSize> LogPeriodRequest::Bytes() const {
    std::array<uint8_t, kSize> b{};
    b[0] = 0;
    b[1] = log;
    b[2] = block;
    StoreCtl(start, b.data() + 3);
    StoreCtl(end, b.data() + 9);
    return b;
}

uint8_t NextLogBlockNumber(uint8_t block) { return block == 255 ? 1 : uint8_t(block + 1); }

uint32_t RecordsInReply(const uint8_t* rx, size_t countAt, size_t dataAt, size_t recordSize) {
    const size_t length = rx[2];  // whole frame, CRC included
    const size_t room = length >= dataAt + 2 ? length - dataAt - 2 : 0;
    const uint32_t fits = recordSize ? uint32_t(room / recordSize) : 0;
    return std::min<uint32_t>(rx[countAt], fits);
}

bool ReadLogBounds(uint8_t log, uint32_t& oldest, uint32_t& newest, IStatusBar* statusBar) {
    const LogTraits* t = LogTraitsOf(log);
    if (!t) return false;
    {
        HourglassScope hourglass;
        const TableRequest req{uint8_t(t->boundsTable), 0, 2};
        if (!ReadTableFields(req, statusBar, 1)) return false;
    }
    oldest = GetU32(FieldPtr(t->boundsTable, 0));
    newest = GetU32(FieldPtr(t->boundsTable, 1));
    if (oldest == newest && oldest != 0) {
        Notice("В архиве нет ни одной записи", "");
        return false;
    }
    return true;
}

bool ReadLogByIndex(uint8_t log, uint32_t first, uint32_t count, const LogReadUi& ui, LogData& out,
                    const LogBounds* held) {
    const LogTraits* t = LogTraitsOf(log);
    if (!t || count == 0) return false;
    HourglassScope hourglass;
    LogReadSession s(*t, ui);
    if (!s.Open(ClampToInt(count))) return false;

    uint64_t total = 0;
    uint32_t index = first, left = count;
    KeptEvents kept(t->recordSize);
    uint8_t asked = 0;
    const LogReplyShape shape{kIndexReplyCountAt, kIndexReplyDataAt, t->recordSize, &asked};
    const hgcbox::StaleCheck repeats = RepeatCheck(kept, shape, nullptr);
    for (;;) {
        LogIndexRequest rq;
        rq.log = log;
        rq.first = index;
        rq.count = asked = uint8_t(std::min<uint32_t>(left, t->perIndexRequest));
        const auto body = rq.Bytes();
        // Records beyond those asked for lie outside the chosen range: refused (a misfit).
        if (!s.Requested(7, body.data(), uint32_t(body.size()), repeats, shape)) break;
        const uint32_t r = RecordsInReply(g_Hgc->RxBuf, kIndexReplyCountAt, kIndexReplyDataAt, t->recordSize);
        const uint8_t* records = g_Hgc->RxBuf + kIndexReplyDataAt;
        if (const auto repeat = kept.Classify(records, r); kept.Doubtful(repeat, records, r)) {
            s.RequestFailed(7, repeat == KeptEvents::Repeat::Kept ? kOtherRequestsAnswer : kRepeatedAnswer);
            break;
        }
        total += r;
        s.SetProgress(int64_t(total), count);
        if (r == 0) {
            // At an index the log holds, no record means another request's empty answer, or
            // records lost meanwhile: either way the read is short, and says so.
            if (s.NothingRead())
                Notice("Нет сообщений с заданными индексами", "");
            else if (held && index - held->oldest <= held->newest - held->oldest)
                s.RequestFailed(7, kNoHeldRecords);
            break;
        }
        if (!s.Append(kIndexReplyDataAt, r)) break;
        kept.Add(records, r);
        if (s.Aborted()) break;
        if (r >= left) break;
        left -= r;
        index += r;
    }
    s.Finish();
    if (s.NothingRead()) return false;

    LogData d;
    if (!s.ReadBack(d.rows)) return false;
    const uint32_t n = uint32_t(d.rows.size() / t->recordSize);
    const CtlDateTime firstTime = LoadCtlDateTime(d.rows.data());
    const CtlDateTime lastTime = LoadCtlDateTime(d.rows.data() + size_t(n - 1) * t->recordSize);
    d.log = log;
    d.mode = kLogModeByIndex;
    d.firstIndex = first;
    d.header = BuildArchiveFileHeader(t->kind, firstTime, lastTime, n);
    out = std::move(d);
    return true;
}

bool ReadLogByPeriod(uint8_t log, const CtlDateTime& start, const CtlDateTime& end, const LogReadUi& ui,
                     LogData& out) {
    const LogTraits* t = LogTraitsOf(log);
    if (!t) return false;
    HourglassScope hourglass;
    LogReadSession s(*t, ui);
    const int progressMax = PeriodsBetween(start, end, kUnitHour);
    if (!s.Open(progressMax)) return false;

    bool errorFlag = false;
    uint8_t block = 0;
    KeptEvents kept(t->recordSize);
    const LogReplyShape shape{kPeriodReplyCountAt, kPeriodReplyDataAt, t->recordSize};
    const hgcbox::StaleCheck repeats = RepeatCheck(kept, shape, &end);
    for (;;) {
        LogPeriodRequest rq;
        rq.log = log;
        rq.block = block;
        rq.start = start;
        rq.end = end;
        const auto body = rq.Bytes();
        if (!s.Requested(8, body.data(), uint32_t(body.size()), repeats, shape)) break;
        const uint8_t* rx = g_Hgc->RxBuf;
        const uint8_t* records = rx + kPeriodReplyDataAt;
        const uint32_t r = RecordsInReply(rx, kPeriodReplyCountAt, kPeriodReplyDataAt, t->recordSize);
        if (const auto repeat = kept.Classify(records, r); kept.Doubtful(repeat, records, r)) {
            s.RequestFailed(8, repeat == KeptEvents::Repeat::Kept ? kOtherRequestsAnswer : kRepeatedAnswer);
            break;
        }
        if (r == 0) {
            // After records, only a block that said more follow leads here: no record now is
            // another request's empty answer, or records lost meanwhile. The read says so.
            if (s.NothingRead())
                Notice("Нет данных за указанный период", "");
            else
                s.RequestFailed(8, kNoHeldRecords);
            break;
        }
        if (rx[kPeriodReplyFlagsAt] & 0x80) errorFlag = true;
        const CtlHourTime last = LoadCtlHourTime(records + size_t(r - 1) * t->recordSize);
        s.SetProgress(HoursBetween(start, last), std::max(progressMax, 1));
        const bool more = rx[kPeriodReplyMoreAt] != 0;
        if (!s.Append(kPeriodReplyDataAt, r)) break;
        kept.Add(records, r);
        if (s.Aborted()) break;
        if (!more) break;
        block = NextLogBlockNumber(block);
    }
    s.Finish();
    if (s.NothingRead()) return false;

    LogData d;
    const bool ok = s.ReadBack(d.rows);
    if (ok && errorFlag) Notice("Обнаружена ошибка", t->errorLine);
    if (!ok) return false;
    const uint32_t n = uint32_t(d.rows.size() / t->recordSize);
    d.log = log;
    d.mode = kLogModeByPeriod;
    d.header = BuildArchiveFileHeader(t->kind, start, end, n);
    out = std::move(d);
    return true;
}

bool LoadLogFile(uint8_t log, const std::string& path, LogData& out) {
    const LogTraits* t = LogTraitsOf(log);
    if (!t) return false;
    DataFileContent c;
    switch (LoadDataFile(path, t->kind, c)) {
    case DataFileStatus::OpenFailed:
        g_QuesKind = kQuesError;
        ShowQues("Ошибка открытия файла", "");
        return false;
    case DataFileStatus::BadHeader:
        ShowHeaderRejection(FileNameOnly(path), t->kind);
        return false;
    case DataFileStatus::Short: {
        // A file cut short (a failed copy, a full disk) shows the rows it holds.
        char line[96];
        std::snprintf(line, sizeof line, "прочитано записей: %u из %u", c.header.recordCount, c.declaredCount);
        Notice("Файл " + FileNameOnly(path) + " содержит не все записи", line);
        if (c.header.recordCount == 0) return false;
        break;
    }
    case DataFileStatus::Ok:
        break;
    }
    out.log = log;
    out.mode = kLogModeFromFile;
    out.firstIndex = 0;
    out.header = c.header;
    out.rows = std::move(c.records);
    return true;
}

}  // namespace qvr
