#include "data/archread.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "link/conffun.h"
#include "link/hgcbox.h"
#include "link/tabledir.h"

namespace qvr {

int g_ArchiveEndPauseMs = 500;

namespace {

const ArchiveReadTraits kTraits[6] = {
    {DataKind::Chrom5Min, 14, 1, 0, 5, 13, kChrom5MinRecordSize, 2, kBoundsFiveMinutes, 0, -1,
     "Мгновенные данные хроматографа из архива"},
    {DataKind::ChromHour, 15, 3, 0, 4, 11, kChromHourDayRecordSize, 2, kBoundsHour, 1, 0,
     "Часовые данные хроматографа из архива"},
    {DataKind::ChromDay, 16, 3, 0, 3, 9, kChromHourDayRecordSize, 2, kBoundsDay, 2, 1,
     "Суточные данные хроматографа из архива"},
    {DataKind::Wmt5Min, 14, 1, 1, 5, 13, kMoisture5MinRecordSize, 8, kBoundsFiveMinutes, 0, -1,
     "Мгновенные данные из архива"},
    {DataKind::WmtHour, 15, 3, 1, 4, 11, kMoistureHourDayRecordSize, 8, kBoundsHour, 1, 6,
     "Часовые данные влагомера из архива"},
    {DataKind::WmtDay, 16, 3, 1, 3, 9, kMoistureHourDayRecordSize, 8, kBoundsDay, 2, 7,
     "Суточные данные влагомера из архива"},
};

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void Show(int32_t kind, const std::string& a, const std::string& b) {
    g_QuesKind = kind;
    ShowQues(a, b);
}

void ShowBadDateTime(const CtlDateTime& t) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "Прочитанные параметры даты и времени (%02d.%02d.%02d %02d:%02d:%02d)", t.day,
                  t.month, t.year, t.hour, t.minute, t.second);
    Show(kQuesNotice, buf, "не соответствуют допустимым значениям");
}

// Reads table 2 and takes its date-time; false when the read failed or the time was
// refused (its message shown).
bool ReadControllerClock(IStatusBar* statusBar, CtlDateTime& now) {
    if (!ReadTableFields(TableRequest{2, 0, 8}, statusBar, 1)) return false;
    now = LoadCtlDateTime(TablePtr(2));
    if (!IsValidCtlDateTime(now)) {
        ShowBadDateTime(now);
        return false;
    }
    return true;
}

// start..end cut to the width of the kind (the bytes after it zero).
CtlDateTime CutToWidth(const CtlDateTime& t, int width) {
    uint8_t b[6] = {};
    StoreCtl(t, b);
    for (int i = width; i < 6; ++i) b[i] = 0;
    return LoadCtlDateTime(b);
}

void SetPanel2(IStatusBar* bar, const std::string& text) {
    if (!bar) return;
    bar->SetPanelText(2, text);
    bar->Repaint();
}

// Sleeps ms in short slices, keeping the window alive.
void PauseMs(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

CtlMinuteTime RoundDown5(CtlMinuteTime t) {
    t.minute = uint8_t(t.minute - t.minute % 5);
    return t;
}

// How the records of one archive follow each other: the slot of a record (its 5-minute
// slot, hour or day, the finer bytes zero), the slots before and after, and the hour the
// controller's clock goes back over when winter time begins (table 6, bytes 3..5, from the
// table image): the controller switches at the rule's hour of summer time, so the hour
// before it comes twice and its records are written twice.
class ArchiveSlots {
public:
    explicit ArchiveSlots(DataKind kind) : fiveMin_(IsFiveMinuteKind(kind)), daily_(IsDailyKind(kind)) {}

    CtlMinuteTime Cut(const CtlMinuteTime& t) const {
        if (fiveMin_) return RoundDown5(t);
        return CtlMinuteTime(t.year, t.month, t.day, daily_ ? 0 : t.hour, 0);
    }
    CtlMinuteTime Of(const uint8_t* rec) const { return Cut(LoadCtlMinuteTime(rec)); }
    int Compare(const CtlMinuteTime& a, const CtlMinuteTime& b) const {
        if (fiveMin_) return CompareCtlToMinute(a, b);
        return CompareCtlDateTimeByUnit(a, b, daily_ ? kUnitDay : kUnitHour);
    }
    CtlMinuteTime Next(CtlMinuteTime s) const {
        if (fiveMin_)
            StepCtlDateTime5Min(s, kUnitFiveMinutes);
        else
            StepCtlDateTime(s, daily_ ? kUnitDay : kUnitHour);
        return s;
    }
    CtlMinuteTime Previous(CtlMinuteTime s) const {
        if (fiveMin_)
            StepBackCtlDateTime5Min(s, kUnitFiveMinutes);
        else
            StepBackCtlDateTime(s, daily_ ? kUnitDay : kUnitHour);
        return s;
    }

    // The slot lies in the hour the clock goes back over (never for daily records).
    bool InRepeatHour(const CtlMinuteTime& s) const { return !daily_ && InClockRepeatHour(s); }
    // The last slot before the clock goes back: a record in it may be followed by the
    // records of the same hour again.
    bool IsRepeatSlot(const CtlMinuteTime& s) const { return InRepeatHour(s) && (!fiveMin_ || s.minute == 55); }

    // Where the next record is expected after one in `slot`: the slot after it, or the
    // same slot while it may still come a second time (repeatSlots: the slots of the
    // records kept so far that lie in the hour the clock goes back over).
    CtlMinuteTime ResumeAfter(const CtlMinuteTime& slot, const std::vector<CtlMinuteTime>& repeatSlots) const {
        if (IsRepeatSlot(slot) && std::count_if(repeatSlots.begin(), repeatSlots.end(), [&](const CtlMinuteTime& s) {
                return Compare(s, slot) == 0;
            }) < 2)
            return slot;
        return Next(slot);
    }

    // The date check of a record against the expected slot: an hourly record may not lie
    // before the expected hour nor after the end hour; a daily record may carry the day
    // before the expected day or the day after the end day (contract day); a 5-minute
    // record must lie in the expected 5 minutes.
    bool Mismatch(const uint8_t* rec, const CtlMinuteTime& expected, const CtlMinuteTime& end) const {
        if (fiveMin_) return !InFiveMinuteSlot(LoadCtlMinuteTime(rec), expected);
        const CtlMinuteTime slot = Of(rec);
        if (daily_) return Compare(slot, Previous(Cut(expected))) < 0 || Compare(slot, Next(Cut(end))) > 0;
        return Compare(slot, expected) < 0 || Compare(slot, Cut(end)) > 0;
    }

private:
    bool fiveMin_;
    bool daily_;
};

// A reply that brings a record the read has not kept from before the slot ahead of the
// expected one: no controller answers a request from there (one may answer from the slot
// before the start), but the late reply of an earlier request does. The hour the clock goes
// back over comes twice and tells nothing.
bool BringsOlder(const uint8_t* frame, const ArchiveSlots& slots, const KeptArchiveRecords& kept,
                 const CtlMinuteTime& expected) {
    const unsigned n = ArchiveReplyRecords(frame, kept.RecordSize());
    if (n == kMalformedArchiveReply) return false;
    const CtlMinuteTime before = slots.Previous(slots.Cut(expected));
    for (unsigned i = 0; i < n; ++i) {
        const uint8_t* rec = frame + kArchiveReplyRecords + size_t(i) * kept.RecordSize();
        const CtlMinuteTime slot = slots.Of(rec);
        if (!kept.Has(rec) && !slots.InRepeatHour(slot) && slots.Compare(slot, before) < 0) return true;
    }
    return false;
}

}  // namespace

unsigned ArchiveReplyRecords(const uint8_t* frame, size_t recordSize) {
    const unsigned len = frame[2];
    if (len < kArchiveReplyRecords + 2) return kMalformedArchiveReply;
    const unsigned n = frame[kArchiveReplyRecords - 1];
    return kArchiveReplyRecords + size_t(n) * recordSize + 2 > len ? kMalformedArchiveReply : n;
}

KeptArchiveRecords::KeptArchiveRecords(DataKind kind)
    : daily_(IsDailyKind(kind)), size_(ReadTraits(kind).recordSize) {}

void KeptArchiveRecords::Add(const uint8_t* rec) {
    last_ = Key(rec);
    set_.insert(last_);
}

bool KeptArchiveRecords::Stale(const uint8_t* frame, bool sentAgain) const {
    const unsigned n = ArchiveReplyRecords(frame, size_);
    if (sentAgain || n == 0 || n == kMalformedArchiveReply) return false;
    const uint8_t* recs = frame + kArchiveReplyRecords;
    if (Key(recs) == last_) return false;
    for (unsigned i = 0; i < n; ++i) {
        const uint8_t* rec = recs + size_t(i) * size_;
        if (!Has(rec) || (!daily_ && InClockRepeatHour(LoadCtlMinuteTime(rec)))) return false;
    }
    return true;
}

bool InClockRepeatHour(const CtlMinuteTime& t) {
    const uint8_t* t6 = TablePtr(6);
    if (!t6) return false;
    const DstSwitchRule winter = DstSwitchRule::FromBytes(t6 + 3);
    if (winter.month < 1 || winter.month > 12 || winter.hour < 1) return false;
    return t.hour == winter.hour - 1 && DayOfYear(t.year + 2000, t.month, t.day) == DstRuleToDay(t.year, winter);
}

const ArchiveReadTraits& ReadTraits(DataKind kind) {
    const unsigned i = unsigned(kind);
    return kTraits[i < 6 ? i : 0];
}

uint8_t ReadArchiveBounds(ArchiveSpan& span, CtlDateTime& oldest, uint8_t boundsKind, IStatusBar* statusBar) {
    const int field = boundsKind == kBoundsFiveMinutes ? 0 : boundsKind == kBoundsHour ? 1 : 2;
    // Table 27 is named after its field 0, the 5-minute archive's; a failed read of the
    // hourly or the daily field names that archive in the retry question instead.
    const std::string asked = field == 0   ? TableDisplayName(27)
                              : field == 1 ? "Дата первой записи в архив часовых данных"
                                           : "Дата первой записи в архив суточных данных";
    if (!ReadTableFields(TableRequest{27, uint8_t(field), 1}, statusBar, 1, asked)) return 0;
    uint8_t b[6];
    std::memcpy(b, FieldPtr(27, field), 6);
    bool flag = false;
    if (boundsKind == kBoundsDay) {
        flag = (b[5] & 0x80) != 0;
        b[5] &= 0x7F;
    }
    oldest = LoadCtlDateTime(b);
    if (oldest == CtlDateTime(1, 1, 1, 0, 0, 0)) {
        Show(kQuesNotice, "В архиве нет данных", "");
        return 0;
    }
    if (!IsValidCtlDateTime(oldest)) {
        ShowBadDateTime(oldest);
        return 0;
    }
    CtlDateTime now;
    if (!ReadControllerClock(statusBar, now)) return 0;
    if (!ReadTableFields(TableRequest{6, 0, 10}, statusBar, 1)) return 0;

    int ok;
    if (boundsKind == kBoundsFiveMinutes)
        ok = FiveMinuteArchiveBounds(oldest, now, span);
    else
        ok = HourDayArchiveBounds(oldest, now, span, boundsKind == kBoundsHour ? kUnitHour : kUnitDay, flag);
    if (!ok) {
        Show(kQuesNotice, "В архиве еще нет ни одной записи", "");
        return 0;
    }
    return 1;
}

uint8_t CheckFiveMinutePeriod(ArchiveSpan span, const CtlDateTime& oldest, CtlMinuteTime& end,
                              CtlMinuteTime& start, IStatusBar* statusBar) {
    // Far from the begin of the span nothing can have been dropped in the meantime.
    if (FiveMinutePeriodsBetween(span.begin, start) > 288) return 1;
    for (;;) {
        CtlDateTime now;
        if (!ReadControllerClock(statusBar, now)) return 0;
        FiveMinuteArchiveBounds(oldest, now, span);
        if (CompareCtlToMinute(start, span.begin) < 0 && CompareCtlToMinute(end, span.begin) < 0) {
            Show(kQuesArchiveNotice, "В архиве уже нет данных за указанный период", "");
            return 0;
        }
        const int depth = CheckFiveMinuteArchiveDepth(now, oldest);
        if (depth == 0) return 1;
        if (depth == 2) continue;  // waited into the next slot: read the clock again
        break;
    }
    if (CompareCtlToMinute(start, span.begin) >= 0) return 1;
    Show(kQuesArchiveQuestion, "Корректировать заданный период чтения данных?", "");
    if (g_QuesAnswer != 1) return 0;
    start = span.begin;
    if (CompareCtlToMinute(end, start) < 0) end = start;
    return 1;
}

int ArchiveProgressMax(DataKind kind, const CtlDateTime& start, const CtlDateTime& end) {
    if (IsFiveMinuteKind(kind)) return PeriodsBetween(start, end, kUnitHour) * 60 / 5;
    return PeriodsBetween(start, end, IsDailyKind(kind) ? kUnitDay : kUnitHour);
}

std::vector<uint8_t> ArchiveRequestBody(DataKind kind, const CtlDateTime& start, const CtlDateTime& end) {
    const ArchiveReadTraits& t = ReadTraits(kind);
    std::vector<uint8_t> body(t.bodyLen, 0);
    body[0] = t.archiveKind;
    body[1] = 0;
    body[2] = t.device;
    uint8_t s[6], e[6];
    StoreCtl(start, s);
    StoreCtl(end, e);
    std::memcpy(&body[3], s, size_t(t.dateWidth));
    std::memcpy(&body[3 + size_t(t.dateWidth)], e, size_t(t.dateWidth));
    return body;
}

bool ReadArchivePeriod(DataKind kind, const CtlDateTime& startIn, const CtlDateTime& endIn, const ArchiveReadUi& ui,
                       ArchiveData& out) {
    out = ArchiveData{};
    const ArchiveReadTraits& t = ReadTraits(kind);
    const bool fiveMin = IsFiveMinuteKind(kind);
    const bool daily = IsDailyKind(kind);
    const CtlDateTime start = CutToWidth(startIn, t.dateWidth);
    const CtlDateTime end = CutToWidth(endIn, t.dateWidth);
    std::vector<uint8_t> body = ArchiveRequestBody(kind, start, end);
    const ArchiveSlots slots(kind);

    // The slot the current request starts at, and where the next record is expected: at
    // first the requested start, then the slot after the last record kept (or that slot
    // itself when the controller's clock may go back over it). The next request starts
    // there, so a gap in the archive is neither asked for twice nor skipped. The start
    // never goes back, and a start is sent again only once: every read ends, however the
    // controller answers.
    CtlMinuteTime blockStart = slots.Cut(start);
    CtlMinuteTime expected = start;
    bool startSentAgain = false;
    KeptArchiveRecords kept(kind);
    std::vector<CtlMinuteTime> repeatSlots;  // slots kept in the hour the clock goes back over
    bool havePrevious = false;
    CtlMinuteTime previousSlot;
    uint8_t check = 1;
    bool shortRead = false;  // a reply brought nothing from its start: the read is short
    bool staleInBlock = false;  // a stale reply came since the last record kept ...
    bool staleInRead = false;   // ... or at all in this read
    uint32_t received = 0;
    int blocks = 0;

    const std::string tmpPath = TempDataFilePath(kArchiveTempFile);
    std::string failedAt;
    FilePtr file(CreateWorkingFile(tmpPath, &failedAt));
    if (!file) {
        Show(kQuesNotice, "Ошибка открытия файла", FileFailureText(failedAt, errno));
        return false;
    }
    if (!g_Hgc) return false;

    const int progressMax = ArchiveProgressMax(kind, start, end);
    bool failed = false;
    {
        HourglassScope hourglass;
        g_Abort = 0;
        SetPanel2(ui.statusBar, "");
        g_AbortAllowed = 1;
        IProgress* progress = ui.openWait ? ui.openWait(progressMax) : nullptr;
        if (progress) progress->SetMax(progressMax);
        int position = 0;

        for (;;) {
            // A reply of records kept already, or (while the dates are checked) of older
            // records than asked for, is a stale one, skipped by the engine; the request
            // ends in doubt (a failed block) when no other reply comes.
            const auto stale = [&](const uint8_t* frame) {
                const bool is =
                    kept.Stale(frame, startSentAgain) || (check && BringsOlder(frame, slots, kept, expected));
                staleInBlock = staleInBlock || is;
                staleInRead = staleInRead || is;
                return is;
            };
            const RequestOutcome got = g_Hgc->RequestRecords(t.function, body.data(), uint32_t(body.size()), stale);
            // Esc, or the window closing, ended a wait of the request: the read ends as it
            // does on Esc between blocks.
            if (got == RequestOutcome::Aborted) break;
            bool ok = got == RequestOutcome::Answer;
            std::string failText;
            unsigned n = 0;
            if (ok) {
                n = ArchiveReplyRecords(g_Hgc->RxBuf, t.recordSize);
                if (n == kMalformedArchiveReply) {
                    ok = false;
                    failText = RefusedReplyText(t.function, g_Hgc->ExchangeResultMessages[kResultBadLength]);
                }
            } else {
                failText = g_Hgc->ResultText();
            }
            if (!ok) {
                SetPanel2(ui.statusBar, failText);
                Show(kQuesRetry, "Не выполнено чтение", "очередного блока данных");
                SetPanel2(ui.statusBar, "");
                if (g_QuesAnswer == 1) continue;
                const bool nothing = fiveMin ? blocks == 0 : received == 0;
                Show(kQuesNotice, t.dataName, nothing ? "не прочитаны" : "прочитаны не полностью");
                failed = nothing;
                shortRead = false;  // said
                break;
            }
            // A stale reply taken all the same (by a loop that takes every reply) is said
            // beside what the read makes of it.
            const bool refused = stale(g_Hgc->RxBuf);
            // On a line that has brought this read a stale reply, a reply whose first new
            // record lies neither at the slot expected nor at the one before may be as late:
            // another request's answer looks the same as an answer over a gap in the archive,
            // or (the dates unchecked) one from elsewhere. It is not kept; the read goes on as
            // after a reply of records kept, as it would had it taken the stale one.
            bool doubtful = false;
            for (unsigned i = 0; i < n && staleInRead && !refused; ++i) {
                const uint8_t* rec = g_Hgc->RxBuf + kArchiveReplyRecords + i * t.recordSize;
                if (kept.Has(rec)) continue;
                const CtlMinuteTime slot = slots.Of(rec), at = slots.Cut(expected);
                doubtful = slots.Compare(slot, at) > 0 || slots.Compare(slot, slots.Previous(at)) < 0;
                break;
            }
            if (refused || doubtful)
                SetPanel2(ui.statusBar, RefusedReplyText(t.function, refused ? kOtherRequestsAnswer : kRepeatedAnswer));

            bool stop = false;
            bool keptAny = false;
            // The date check of a record; once the clock goes back, the hour it goes back
            // over comes again.
            auto mismatch = [&](const uint8_t* r) {
                return slots.Mismatch(r, expected, end) &&
                       !(havePrevious && slots.InRepeatHour(previousSlot) && slots.InRepeatHour(slots.Of(r)));
            };
            // The date question: Yes reads on unchecked, No ends the read.
            auto ask = [&] {
                Show(kQuesQuestion, "Передаваемые контроллером данные не соответствуют",
                     "запрошенному периоду.    Продолжить чтение?");
                if (g_QuesAnswer == 1) {
                    check = 0;
                } else {
                    stop = true;
                    g_Abort = 1;
                }
            };
            uint8_t rec[kChrom5MinRecordSize];
            for (unsigned i = 0; i < n && !stop && !doubtful; ++i) {
                std::memcpy(rec, g_Hgc->RxBuf + kArchiveReplyRecords + i * t.recordSize, t.recordSize);
                if (kept.Has(rec)) continue;  // kept from an earlier reply
                const CtlMinuteTime slot = slots.Of(rec);
                if (progress) progress->SetPosition(++position);
                if (check && mismatch(rec)) ask();
                if (std::fwrite(rec, 1, t.recordSize, file.get()) != t.recordSize) {
                    const int err = errno;
                    Show(kQuesNotice, "Ошибка записи файла", FileFailureText(tmpPath, err));
                    failed = true;
                    stop = true;
                    break;
                }
                ++received;
                keptAny = true;
                kept.Add(rec);
                if (slots.InRepeatHour(slot)) repeatSlots.push_back(slot);
                havePrevious = true;
                previousSlot = slot;
                expected = slots.ResumeAfter(slot, repeatSlots);
            }
            if (failed) break;
            if (keptAny) staleInBlock = false;
            // A full reply of records kept already (kept records never lie where a request
            // asks, nor are they the second pass of the hour the clock repeats): the
            // controller does not answer from the start it is given. It is asked about at
            // once, not walked through slot by slot in silence, and the read, when the user
            // reads on, is said to be short at its end; once the date checks are off, the
            // read ends here. (The same start sent again where a slot may come twice may
            // well bring nothing new.) The engine has skipped such a reply already unless it
            // is led by the last record kept; the plain loop takes whatever comes.
            if (!keptAny && !stop && (doubtful || (int(n) >= t.fullReply && !startSentAgain))) {
                if (check) {
                    ask();
                    shortRead = !stop;
                } else {
                    shortRead = true;
                    stop = true;
                }
            }
            if (refused || doubtful) SetPanel2(ui.statusBar, "");
            // A short reply that brings nothing new (empty, or of records kept) ends the read;
            // but where stale replies came since the last record kept, another read's answer
            // of that kind, as late as they, looks the same: the read ends and says so rather
            // than end as if complete.
            if (!keptAny && !stop && !doubtful && int(n) < t.fullReply && staleInBlock) {
                SetPanel2(ui.statusBar, RefusedReplyText(t.function, kRepeatedAnswer));
                shortRead = true;
            }
            if (fiveMin && !stop) blocks = blocks >= 255 ? 1 : blocks + 1;

            ProcessMessages();
            if (stop || g_Abort || (!doubtful && int(n) < t.fullReply)) break;
            // The next start: where the next record is expected, when that lies ahead. The
            // same start once more where a slot may come twice and this reply brought
            // something, or where it brought nothing new and the user read on (a late copy
            // of an earlier answer looks so, and the answer comes to the start sent again);
            // otherwise (records that went back into the hour the clock repeats, or nothing
            // new a second time) the slot after this request's start.
            const int ahead = slots.Compare(expected, blockStart);
            if (ahead > 0) {
                startSentAgain = false;
            } else if (ahead == 0 && !startSentAgain) {
                startSentAgain = true;
            } else {
                expected = slots.Next(blockStart);
                startSentAgain = false;
            }
            if (fiveMin ? CompareCtlToMinute(expected, end) > 0
                        : CompareCtlDateTimeByUnit(expected, end, daily ? kUnitDay : kUnitHour) > 0)
                break;
            blockStart = expected;
            uint8_t b[6] = {};
            StoreCtl(expected, b);
            std::memcpy(&body[3], b, size_t(t.dateWidth));
        }
        if (shortRead && !failed) {
            failed = received == 0;
            Show(kQuesNotice, t.dataName, failed ? "не прочитаны" : "прочитаны не полностью");
        }
        blocks = 0;
        g_AbortAllowed = 0;
        const bool flushed = std::fflush(file.get()) == 0;
        if (!flushed && !failed) {
            Show(kQuesNotice, "Ошибка записи файла", FileFailureText(tmpPath, errno));
            failed = true;
        }
        if (ui.startMessageTimer) ui.startMessageTimer();

        if (failed || (!fiveMin && received == 0)) {
            if (ui.closeWait) ui.closeWait();
            return false;
        }
        if (progress) progress->SetPosition(progressMax);
        PauseMs(g_ArchiveEndPauseMs);
        if (ui.closeWait) ui.closeWait();
    }

    // Read back through the handle that wrote it, whatever stands at its name by now.
    std::vector<uint8_t> written;
    if (!ReadBackWorkingFile(file.get(), written)) {
        Show(kQuesNotice, "Ошибка открытия файла", FileFailureText(tmpPath, errno));
        return false;
    }
    file.reset();
    uint64_t count = written.size() / t.recordSize;
    if (!fiveMin && received < count) count = received;
    if (fiveMin && count == 0) {
        Show(kQuesNotice, "Нет данных за указанный период", "");
        return false;
    }
    written.resize(size_t(count) * t.recordSize);
    out.records = std::move(written);
    out.header = BuildArchiveFileHeader(kind, start, end, uint32_t(count));
    return true;
}

bool RunArchiveRead(DataKind kind, const ArchivePeriodChooser& choose, const ArchiveReadUi& ui, ArchiveData& out) {
    out = ArchiveData{};
    const ArchiveReadTraits& t = ReadTraits(kind);
    ArchiveSpan span;
    CtlDateTime oldest;
    {
        HourglassScope hourglass;
        if (!ReadArchiveBounds(span, oldest, t.boundsKind, ui.statusBar)) return false;
    }
    CtlDateTime start, end;
    if (!choose || !choose(t.boundsKind, &span, start, end)) return false;
    start = CutToWidth(start, t.dateWidth);
    end = CutToWidth(end, t.dateWidth);
    if (IsFiveMinuteKind(kind)) {
        CtlMinuteTime s = RoundDown5(start), e = RoundDown5(end);
        if (!CheckFiveMinutePeriod(span, oldest, e, s, ui.statusBar)) return false;
        start = CtlDateTime(s);
        end = CtlDateTime(e);
    }
    return ReadArchivePeriod(kind, start, end, ui, out);
}

}  // namespace qvr
