#include "ctlsim/faultsweep.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/uihooks.h"
#include "ctlsim/logs.h"
#include "data/archread.h"
#include "data/logread.h"
#include "link/comportfunctions.h"
#include "link/hgcbox.h"
#include "link/tabledir.h"

namespace ctlsim {

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using Style = ArchiveSim::Style;

// Summer time from the last Sunday of March at 3 h, winter time from the last Sunday of
// October at 4 h: in 2026 the clock goes back over 25.10 03:00..03:59.
const uint8_t kSwitchRules[6] = {3, 0xC9, 3, 10, 0xC9, 4};

const char* const kDateQuestion = "Передаваемые контроллером данные не соответствуют";
const char* const kRetryQuestion = "Не выполнено чтение";
constexpr int kCom = 96;             // the COM port of the pseudo-terminal lines
constexpr uint32_t kLogOldest = 500; // index of the first log record
constexpr int kHorizonWaits = 3;     // the horizon of the Faults and Late modes, in waits
constexpr int kAttempts = 3;         // runs whose time does not hold are run this often at most
constexpr int kQuietMs = 20;         // runs judged by their time only when no stall was longer
constexpr double kRaceMs = 10;       // a send this close to a reply's start raced it
constexpr double kSlack = 1.05;      // the time a read may take against the plain loop's: this share ...
constexpr double kSlackPerRequest = 0.002;  // ... and this much a request, s

// The kinds of fault a faulty case draws from.
enum class FaultKind { Lost, LateBusy, LateFree, Twice, Stale, Broken };
constexpr int kFaultKinds = 6;
const char* const kFaultNames[kFaultKinds] = {"unanswered", "late-busy", "late-out-of-order", "twice", "stale",
                                              "broken"};

uint64_t Mix(uint64_t x) {  // splitmix64
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Uniform in [lo, hi) from 64 random bits.
double Between(uint64_t bits, double lo, double hi) { return lo + (hi - lo) * double(bits >> 11) / double(1ull << 53); }

bool IsArchive(SweepKind k) { return k <= SweepKind::FiveMinute || k == SweepKind::ChromFiveMinute; }
bool IsByIndex(SweepKind k) { return k == SweepKind::DiagByIndex || k == SweepKind::AuditByIndex; }
int LogOf(SweepKind k) { return k == SweepKind::DiagByIndex || k == SweepKind::DiagByPeriod ? 0 : 1; }

qvr::DataKind DataKindOf(SweepKind k) {
    switch (k) {
    case SweepKind::ChromHourly: return qvr::DataKind::ChromHour;
    case SweepKind::WmtHourly: return qvr::DataKind::WmtHour;
    case SweepKind::Daily: return qvr::DataKind::ChromDay;
    case SweepKind::ChromFiveMinute: return qvr::DataKind::Chrom5Min;
    default: return qvr::DataKind::Wmt5Min;
    }
}

size_t RecordSize(SweepKind k) {
    switch (k) {
    case SweepKind::ChromHourly:
    case SweepKind::Daily: return qvr::kChromHourDayRecordSize;
    case SweepKind::WmtHourly: return qvr::kMoistureHourDayRecordSize;
    case SweepKind::FiveMinute: return qvr::kMoisture5MinRecordSize;
    case SweepKind::ChromFiveMinute: return qvr::kChrom5MinRecordSize;
    default: return LogOf(k) == 0 ? qvr::kDiagRecordSize : qvr::kAuditRecordSize;
    }
}

const char* KindName(SweepKind k) {
    static const char* const kNames[] = {"hourly chromatograph", "hourly moisture", "daily", "5-minute",
                                         "diagnostic by index", "intervention by index", "diagnostic by period",
                                         "intervention by period", "5-minute chromatograph"};
    return kNames[int(k)];
}

CtlDateTime Shift(const CtlDateTime& t, double minutes) {
    CtlDateTime r;
    DateTimeToCtl(CtlToDateTime(t) + minutes / 1440.0 + (minutes >= 0 ? 1e-7 : -1e-7), r);
    return r;
}

std::string Text(const CtlDateTime& t) {
    char b[40];
    std::snprintf(b, sizeof b, "%02d.%02d %02d:%02d", t.day, t.month, t.hour, t.minute);
    return b;
}

// An archive's slots, span and gap in the sweep's content.
struct ArchiveShape {
    int unitMinutes;
    CtlDateTime oldest, newest;  // slots of the first and the last record (before any growth)
    CtlDateTime gap;             // the first slot of the gap ...
    int gapUnits;                // ... and its length
    int maxLength;               // the longest period a read asks, in slots
};

ArchiveShape ShapeOf(SweepKind k) {
    if (k == SweepKind::Daily)
        return {1440, CtlDateTime(26, 2, 27, 0, 0, 0), CtlDateTime(26, 3, 20, 0, 0, 0), CtlDateTime(26, 3, 6, 0, 0, 0),
                3, 12};
    if (k == SweepKind::FiveMinute || k == SweepKind::ChromFiveMinute)
        return {5, CtlDateTime(26, 10, 24, 0, 0, 0), CtlDateTime(26, 10, 26, 0, 0, 0), CtlDateTime(26, 10, 25, 6, 0, 0),
                12, 30};
    return {60, CtlDateTime(26, 10, 24, 0, 0, 0), CtlDateTime(26, 10, 26, 0, 0, 0), CtlDateTime(26, 10, 25, 6, 0, 0), 3,
            14};
}

// The time of log record i.
CtlDateTime LogTime(int i) {
    return CtlDateTime(26, 12, uint8_t(1 + i / 24), uint8_t(i % 24), uint8_t(i * 7 % 60), uint8_t(i % 60));
}

int LogSize(const SweepContent& content, int log) { return log == 0 ? content.diagRecords : content.auditRecords; }

// A read with the kind's usual period or the whole log filled in.
SweepRead Resolved(SweepRead r, const SweepContent& content, int grown) {
    if (IsByIndex(r.kind)) {
        if (r.first == 0) r.first = kLogOldest;
        if (r.count == 0) r.count = LogSize(content, LogOf(r.kind)) + grown;
        return r;
    }
    if (r.from.year != 0) return r;
    switch (r.kind) {
    case SweepKind::ChromHourly:
    case SweepKind::WmtHourly:
        r.from = CtlDateTime(26, 10, 25, 0, 0, 0), r.to = CtlDateTime(26, 10, 25, 13, 0, 0);
        break;
    case SweepKind::Daily:
        r.from = CtlDateTime(26, 3, 1, 0, 0, 0), r.to = CtlDateTime(26, 3, 16, 0, 0, 0);
        break;
    case SweepKind::FiveMinute:
    case SweepKind::ChromFiveMinute:
        r.from = CtlDateTime(26, 10, 25, 2, 0, 0), r.to = CtlDateTime(26, 10, 25, 5, 0, 0);
        break;
    default:
        r.from = CtlDateTime(26, 12, 1, 0, 0, 0), r.to = CtlDateTime(26, 12, 3, 23, 59, 59);
        break;
    }
    return r;
}

std::string Describe(const SweepRead& r) {
    std::string s = KindName(r.kind);
    if (IsByIndex(r.kind))
        s += r.count ? " " + std::to_string(r.first) + "+" + std::to_string(r.count) : " whole log";
    else if (r.from.year)
        s += " " + Text(r.from) + ".." + Text(r.to);
    if (r.grow) s += " after " + std::to_string(r.grow) + " new";
    if (r.pauseMs) s += " after a pause of " + std::to_string(r.pauseMs) + " ms";
    return s + (r.yes ? " Да" : " Нет");
}

// ------------------------------------------------------------------ what a read showed

std::string Hex(const Bytes& b) {
    std::string s;
    char x[4];
    for (uint8_t v : b) std::snprintf(x, sizeof x, "%02X", v), s += x;
    return s;
}


struct Box {
    std::string text;
    bool question = false;
    bool yes = false;       // answered "Да"
    bool date = false;      // the date question
    int keptBefore = 0;     // archive reads: records kept before it (as far as the progress tells)
};

struct Outcome {
    Bytes records;
    size_t size = 1;
    std::vector<Box> boxes;
    std::vector<std::string> status;  // texts of failed requests in status panel 2
    double seconds = 0;
    size_t requests = 0;  // frames the controller heard from the read's start to the next read's
    std::vector<CtlSim::Passage> line;  // what crossed the line meanwhile
    double startMs = 0;       // when the read began, on the line's clock
    int stallMs = 0;          // the longest the process was kept from running

    // From the read's start to its first request, ms (-1: none).
    int FirstRequestMs() const {
        for (const CtlSim::Passage& p : line)
            if (!p.reply) return int(p.ms - startMs);
        return -1;
    }

    size_t Count() const { return records.size() / size; }
    size_t Questions() const {
        return size_t(std::count_if(boxes.begin(), boxes.end(), [](const Box& b) { return b.question; }));
    }
    bool Told() const {  // a notice, or a question answered "Нет"
        return std::any_of(boxes.begin(), boxes.end(), [](const Box& b) { return !b.yes; });
    }
    bool Failed() const {
        return !status.empty() || std::any_of(boxes.begin(), boxes.end(), [](const Box& b) {
                   return b.text.rfind(kRetryQuestion, 0) == 0;
               });
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const Box& b : boxes) t.push_back(b.text);
        return t;
    }
    // What the read told the user: its notices and the questions answered "Нет".
    std::vector<std::string> Said() const {
        std::vector<std::string> t;
        for (const Box& b : boxes)
            if (!b.yes) t.push_back(b.text);
        return t;
    }
    // The records by their stamps (day.month hour:minute), the boxes and the failures.
    std::string Story() const {
        std::string s = std::to_string(Count()) + " records";
        for (size_t i = 0; i < Count(); ++i) {
            const uint8_t* r = &records[i * size];
            char b[24];
            std::snprintf(b, sizeof b, "%s%02d.%02d %02d:%02d", i ? " " : " (", r[2], r[1], r[3], r[4]);
            s += b;
        }
        s += std::string(Count() ? ")" : "") + ", " + std::to_string(requests) + " requests";
        for (const Box& b : boxes) {
            s += "; [" + b.text + (b.question ? (b.yes ? " -> Да" : " -> Нет") : "");
            if (b.date) s += " after " + std::to_string(b.keptBefore) + " kept";
            s += "]";
        }
        for (const std::string& t : status) s += "; status \"" + t + "\"";
        return s;
    }
    // The requests and replies, with their times.
    std::string Trace() const {
        std::string s;
        char b[24];
        for (const CtlSim::Passage& p : line) {
            std::snprintf(b, sizeof b, "\n      %9.1f %s ", p.ms, p.reply ? "<" : ">");
            s += b + Hex(p.bytes);
        }
        return s;
    }
};

// The user in front of the read: answers by the read's choice and notes every box, with how
// far the progress had come.
class User : public qvr::IProgress, public qvr::IStatusBar {
public:
    void Begin(bool yes, int inARow) {
        yes_ = yes;
        left_ = inARow;
        position_ = 0;
        boxes_.clear();
        status_.clear();
    }
    uint8_t Answer(const qvr::QuesBox& q) {
        Box b;
        b.text = q.text1 + " / " + q.text2;
        b.question = q.question;
        b.date = q.text1 == kDateQuestion;
        b.keptBefore = std::max(position_ - 1, 0);
        if (q.question && yes_ && left_ > 0) {
            --left_;
            b.yes = true;
        }
        boxes_.push_back(b);
        return b.yes ? 1 : 0;
    }
    void SetMax(int) override {}
    void SetPosition(int pos) override { position_ = pos; }
    void SetPanelText(int panel, const std::string& text) override {
        if (panel == 2 && !text.empty()) status_.push_back(text);
    }
    std::string PanelText(int) const override { return {}; }

    std::vector<Box> boxes_;
    std::vector<std::string> status_;

private:
    bool yes_ = false;
    int left_ = 0;
    int position_ = 0;
};

// How long the process was kept from running: a thread that sleeps 2 ms at a time notes the
// most its wake-ups came late. It sees the whole process, so that whatever the engine does on
// its own thread (a wait, a sleep, a busy loop) never hides a stall nor makes one.
class Watchdog {
public:
    Watchdog() : thread_([this] { Run(); }) {}
    ~Watchdog() {
        stop_ = true;
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    // The longest stall since the last call, ms.
    int TakeLongestMs() { return int(longestUs_.exchange(0) / 1000); }

private:
    static constexpr std::chrono::milliseconds kTick{2};
    void Run() {
        auto last = Clock::now();
        while (!stop_) {
            std::this_thread::sleep_for(kTick);
            const auto now = Clock::now();
            const int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(now - last - kTick).count();
            int64_t seen = longestUs_.load();
            while (us > seen && !longestUs_.compare_exchange_weak(seen, us)) {
            }
            last = now;
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> longestUs_{0};
    std::thread thread_;
};

// The program's globals a run uses, set for it and put back after it.
class Stage {
public:
    Stage() : savedDir_(g_ProgDir) {
        std::memcpy(savedMemory_, g_TableMemory, kTableMemorySize);
        char tmpl[] = "/tmp/qvrsweep-XXXXXX";
        if (mkdtemp(tmpl)) dir_ = tmpl;
        g_ProgDir = dir_ + "/";
        std::memset(g_TableMemory, 0, kTableMemorySize);
        std::memcpy(TablePtr(6), kSwitchRules, sizeof kSwitchRules);
        TablePtr(6)[6] = 10;
        *FieldPtr(14, 6) = 9;
        qvr::g_ArchiveEndPauseMs = 0;
        qvr::ClearQuesRecord();
        qvr::SetQuesHandler([this](const qvr::QuesBox& q) { return user.Answer(q); });
    }
    ~Stage() {
        g_Hgc = nullptr;
        qvr::SetQuesHandler(nullptr);
        for (const char* f : {"datafile.hdm", "datafile.ala", "datafile.aud"}) qvr::RemoveFile(g_ProgDir + f);
        rmdir(dir_.c_str());
        g_ProgDir = savedDir_;
        std::memcpy(g_TableMemory, savedMemory_, kTableMemorySize);
        qvr::g_ArchiveEndPauseMs = 500;
        qvr::ClearQuesRecord();
        g_Abort = 0;
        g_AbortAllowed = 0;
    }
    bool Ok() const { return !dir_.empty(); }

    User user;
    Watchdog watchdog;

private:
    std::string savedDir_, dir_;
    uint8_t savedMemory_[kTableMemorySize];
};

// The engine's settings for a case's line (the port or socket not yet given).
void Configure(hgcbox& box, const SweepCase& c, bool plain) {
    box.Plain = plain;
    box.Plant = plain ? hgcbox::Planted::None : c.plant;
    box.ReplyMs = uint32_t(c.replyMs);
    box.InterByteMs = 50;
    box.Tries = uint8_t(c.tries);
    if (c.line == SweepLine::Tcp) {
        box.LinkKind = 2;
        box.DoClosePort = 0;
        box.TcpSendDelayMs = uint32_t(c.sendDelayMs);
    } else {
        box.LinkKind = 0;
        box.ComPort = kCom;
        box.Baud = uint32_t(c.baud);
        box.FreePortWait = 1;
        box.DoClosePort = c.line == SweepLine::PtyClosing ? 1 : 0;
    }
}

// One simulated controller with its content on one line, and the engine on the other end.
class Line {
public:
    Line(Stage& stage, const SweepCase& c, bool plainEngine) : stage_(stage), c_(c) {
        sim.SetTableBytes(6, 0, Bytes(kSwitchRules, kSwitchRules + sizeof kSwitchRules));
        sim.SetTableBytes(6, 6, {10});
        logs.SetMaxPerReply(c.content.maxPerReply);
        if (c.line != SweepLine::Tcp) sim.SetLineRate(uint32_t(c.baud));
        box = std::make_unique<hgcbox>(7);
        Configure(*box, c, plainEngine);
        if (c.line == SweepLine::Tcp) {
            const int port = sim.StartTcp(0);
            box->Socket = port > 0 ? ConnectLoopback(port) : -1;
            if (box->Socket < 0) error = "no TCP line to the simulator";
        } else {
            const std::string path = sim.StartPty();
            if (path.empty()) {
                error = "no pseudo-terminal";
            } else {
                setenv(("QVR_COM" + std::to_string(kCom)).c_str(), path.c_str(), 1);
                if (c.line == SweepLine::Pty && !box->ReopenPort())
                    error = "the port of the pseudo-terminal does not open";
            }
        }
        g_Hgc = box.get();
    }
    ~Line() {
        g_Hgc = nullptr;
        if (box->Socket >= 0) close(box->Socket);
        if (box->PortHandle >= 0) CloseComPort(box->PortHandle);
        sim.Stop();
        unsetenv(("QVR_COM" + std::to_string(kCom)).c_str());
    }

    // The case's controller, or (plain) the same heeding the start and the index it is asked.
    void Controller(bool plain) {
        arch.SetStyle(plain && c_.style == Style::IgnoreStart ? Style::Filter : c_.style);
        logs.SetIgnoreIndex(!plain && c_.ignoreIndex);
    }

    // The content after `grown` records came to every archive and log.
    void Content(int grown) {
        if (grown == grown_) return;
        grown_ = grown;
        const SweepContent& ct = c_.content;
        for (SweepKind k : {SweepKind::ChromHourly, SweepKind::WmtHourly, SweepKind::Daily, SweepKind::FiveMinute,
                            SweepKind::ChromFiveMinute}) {
            const ArchiveShape s = ShapeOf(k);
            const SimArchive a = k == SweepKind::ChromHourly     ? SimArchive::ChromHour
                                 : k == SweepKind::WmtHourly     ? SimArchive::WmtHour
                                 : k == SweepKind::Daily         ? SimArchive::ChromDay
                                 : k == SweepKind::FiveMinute    ? SimArchive::Wmt5Min
                                                                 : SimArchive::Chrom5Min;
            arch.Generate(a, s.oldest, Shift(s.newest, double(grown) * s.unitMinutes),
                          k == SweepKind::Daily ? nullptr : kSwitchRules);
            if (ct.gap) arch.DropRecords(a, s.gap, Shift(s.gap, double(s.gapUnits - 1) * s.unitMinutes));
        }
        for (int log = 0; log < 2; ++log) {
            std::vector<Bytes> recs;
            for (int i = 0; i < LogSize(ct, log) + grown; ++i) {
                if (ct.twinAt >= 0 && i == ct.twinAt + 1) {
                    recs.push_back(recs.back());  // the same event again, alike byte for byte
                    continue;
                }
                const CtlDateTime t = LogTime(i);
                recs.push_back(log == 0 ? MakeDiagRecord(t, uint8_t(10 + i % 50), uint32_t(i))
                                        : MakeAuditRecord(t, uint8_t(i % 38), uint8_t(i % 7), uint32_t(i)));
            }
            logs.SetRecords(log, kLogOldest, recs);
        }
    }

    Outcome Read(const SweepRead& r) {
        arch.ClearLog();
        logs.ClearLog();
        User& user = stage_.user;
        user.Begin(r.yes, c_.yesInARow);
        qvr::ReadUi ui;
        ui.statusBar = &user;
        ui.openWait = [&user](int) -> qvr::IProgress* { return &user; };
        Outcome o;
        o.size = RecordSize(r.kind);
        stallMs_ = std::max(stallMs_, stage_.watchdog.TakeLongestMs());
        o.startMs = sim.TimelineMs();
        const auto t0 = Clock::now();
        if (IsArchive(r.kind)) {
            qvr::ArchiveData data;
            if (qvr::ReadArchivePeriod(DataKindOf(r.kind), r.from, r.to, ui, data)) o.records = data.records;
        } else {
            qvr::LogData d;
            const uint8_t log = uint8_t(LogOf(r.kind));
            // A read by index knows the bounds, as the program reads them before it asks.
            const qvr::LogBounds held{kLogOldest, kLogOldest + uint32_t(LogSize(c_.content, log) + grown_) - 1};
            const bool ok = IsByIndex(r.kind) ? qvr::ReadLogByIndex(log, r.first, uint32_t(r.count), ui, d, &held)
                                              : qvr::ReadLogByPeriod(log, r.from, r.to, ui, d);
            if (ok) o.records = d.rows;
        }
        o.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        o.stallMs = stage_.watchdog.TakeLongestMs();
        stallMs_ = std::max(stallMs_, o.stallMs);
        o.boxes = user.boxes_;
        o.status = user.status_;
        return o;
    }

    // The case's reads one after the other, each with the content grown as it says; faulty
    // reads under the case's fate plan, each after its pause, tell the plan which read runs.
    // A read's frames are what the simulator heard from its start to the next read's (or,
    // for the last, until the line has been quiet a moment after it). states: what the plan
    // had made of the line as each read began.
    std::vector<Outcome> Pass(bool faulty, std::vector<CtlSim::PlanState>* states) {
        std::vector<Outcome> out;
        int grown = 0;
        Content(0);
        if (faulty) sim.SetFatePlan(c_.plan);
        for (size_t i = 0; i < c_.reads.size(); ++i) {
            const SweepRead& r = c_.reads[i];
            if (faulty && i > 0 && r.pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(r.pauseMs));
            if (faulty) sim.SetFateRead(int(i) + 1);
            grown += r.grow;
            Content(grown);
            if (states) states->push_back(sim.SavePlan());
            out.push_back(Read(Resolved(r, c_.content, grown)));
        }
        Frames(out, faulty);
        return out;
    }

    // Read i of the case on a line the plan had made so (the plain loop on the engine's line).
    Outcome Fork(size_t i, const CtlSim::PlanState& state) {
        int grown = 0;
        for (size_t j = 0; j <= i; ++j) grown += c_.reads[j].grow;
        Content(grown);
        sim.SetFatePlan(c_.plan);
        sim.SetFateRead(int(i) + 1);
        sim.RestorePlan(state);
        std::vector<Outcome> out{Read(Resolved(c_.reads[i], c_.content, grown))};
        Frames(out, true);
        return out[0];
    }

    // Each read's frames on the line, once the line has been quiet a moment after the last.
    void Frames(std::vector<Outcome>& out, bool faulty) {
        // A request takes at most 40 characters of 10 bits on the line.
        const int lineMs = c_.line == SweepLine::Tcp ? 0 : 400'000 / std::max(c_.baud, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(30 + lineMs));
        if (faulty) sim.SetFatePlan(nullptr);
        const std::vector<CtlSim::Passage> line = sim.Timeline();
        for (size_t i = 0; i < out.size(); ++i) {
            const double end = i + 1 < out.size() ? out[i + 1].startMs : 1e300;
            for (const CtlSim::Passage& p : line) {
                if (p.ms < out[i].startMs || p.ms >= end) continue;
                out[i].line.push_back(p);
                if (!p.reply) ++out[i].requests;
            }
        }
    }

    // The oldest reply plus the longest stall of the engine since the last call, ms.
    int TakeLateMs() {
        const int stall = std::max(stallMs_, stage_.watchdog.TakeLongestMs());
        stallMs_ = 0;
        return sim.TakeOldestReplyMs() + stall;
    }

    std::string error;
    CtlSim sim{7};
    ArchiveSim arch{sim};
    LogSim logs{sim};
    std::unique_ptr<hgcbox> box;

private:
    Stage& stage_;
    const SweepCase& c_;
    int grown_ = -1;
    int stallMs_ = 0;  // the longest stall of the reads since TakeLateMs
};

std::string ReadName(const SweepCase& c, size_t i) {
    return "read " + std::to_string(i + 1) + " (" + Describe(c.reads[i]) + ")";
}

// A faulty read against the clean read of the same read; what broke, or "".
std::string Judge(const Outcome& k, const Outcome& clean, bool& complete, bool& told, bool& caught) {
    const size_t size = k.size, n = k.Count(), m = clean.Count();
    size_t same = 0;
    while (same < n && same < m && std::memcmp(&k.records[same * size], &clean.records[same * size], size) == 0)
        ++same;
    const std::string at = "kept " + std::to_string(n) + " of " + std::to_string(m) + ": ";
    // The first date question answered "Да" that the clean read did not ask at that record:
    // not after as many records, or about another one.
    auto recordAt = [size](const Outcome& o, int i) {
        const auto at = o.records.begin() + long(size_t(i) * size);
        return size_t(i) < o.Count() ? std::string(at, at + long(size)) : std::string();
    };
    const Box* own = nullptr;
    for (const Box& b : k.boxes) {
        if (!b.date || !b.yes) continue;
        const bool asked = std::any_of(clean.boxes.begin(), clean.boxes.end(), [&](const Box& x) {
            return x.date && x.yes && x.keptBefore == b.keptBefore &&
                   recordAt(k, b.keptBefore) == recordAt(clean, x.keptBefore);
        });
        if (!asked) {
            own = &b;
            break;
        }
    }
    std::string wrong;
    caught = own != nullptr;
    if (own) {
        if (size_t(own->keptBefore) > same)
            wrong = at + "record " + std::to_string(same + 1) +
                    " is not the clean read's, kept before the date question";
        std::set<std::string> seen;
        for (size_t i = 0; i < n && wrong.empty(); ++i)
            if (!seen.insert(std::string(k.records.begin() + long(i * size), k.records.begin() + long((i + 1) * size)))
                     .second)
                wrong = at + "record " + std::to_string(i + 1) + " is kept twice";
    } else {
        const bool dateNo = std::any_of(k.boxes.begin(), k.boxes.end(), [](const Box& b) { return b.date && !b.yes; });
        const size_t extra = n - same;
        if (extra > 1 || (extra == 1 && !dateNo))
            wrong = at + "record " + std::to_string(same + 1) + " is not the clean read's";
    }
    const bool all = n == m && same == m;
    complete = all && k.Texts() == clean.Texts();
    // After a date question of its own answered "Да" the records need not be the clean
    // read's, but fewer of them must still be said.
    told = all || k.Told() || (own && n >= m);
    if (wrong.empty() && !told) wrong = at + "the user was not told";
    return wrong;
}

// ------------------------------------------------------------------ the modes

int HorizonOf(const SweepCase& c) { return kHorizonWaits * SweepWaitMs(c); }

// A pass over the case's reads by one engine on a line of its own, both made for it.
struct Pass {
    std::vector<Outcome> reads;
    std::vector<CtlSim::PlanState> states;  // the engine's faulty pass: the plan's line as each read began
    int lateMs = 0;
    double seconds = 0;
    std::string error;
};

// clean: every reply on time, from the controller that heeds the start and the index when
// the case's reference is such; else under the case's fate plan. fork: read forkRead alone,
// on a line as the plan had made it (see Line::Fork).
Pass RunPass(const SweepCase& c, bool plain, bool faulty, const CtlSim::PlanState* fork = nullptr,
             size_t forkRead = 0) {
    Pass p;
    Stage stage;
    if (!stage.Ok()) {
        p.error = "no temporary folder";
        return p;
    }
    Line line(stage, c, plain);
    if (!line.error.empty()) {
        p.error = line.error;
        return p;
    }
    line.Controller(!faulty && c.plainReference);
    line.TakeLateMs();
    if (fork)
        p.reads = {line.Fork(forkRead, *fork)};
    else
        p.reads = line.Pass(faulty, faulty && !plain ? &p.states : nullptr);
    p.lateMs = line.TakeLateMs();
    for (const Outcome& o : p.reads) p.seconds += o.seconds;
    return p;
}

std::string Seconds(double s) {
    char b[32];
    std::snprintf(b, sizeof b, "%.3f s", s);
    return b;
}

// The clean read's records a read keeps from the start.
size_t RightRecords(const Outcome& o, const Outcome& clean) {
    size_t same = 0;
    while (same < o.Count() && same < clean.Count() &&
           std::memcmp(&o.records[same * o.size], &clean.records[same * o.size], o.size) == 0)
        ++same;
    return same;
}

// Whether a read keeps again a record it had kept, more often than its clean read has it and
// not right after itself (alike events in a row, an archive reply led by the last record
// kept, which no reader can tell from a repeat): the repeat the reader's check is there to
// stop.
bool Repeats(const Outcome& o, const Outcome& clean) {
    auto record = [](const Outcome& x, size_t i) {
        return std::string(x.records.begin() + long(i * x.size), x.records.begin() + long((i + 1) * x.size));
    };
    std::map<std::string, int> inClean, kept;
    for (size_t i = 0; i < clean.Count(); ++i) ++inClean[record(clean, i)];
    for (size_t i = 0; i < o.Count(); ++i) {
        const std::string r = record(o, i);
        if (kept[r]++ > 0 && kept[r] > inClean[r] && r != record(o, i - 1)) return true;
    }
    return false;
}

// Whether the read refused a reply as another request's answer: the engine skips every reply
// the read's check refuses, so one handed to the read is the engine's fault.
bool TookRefused(const Outcome& o) {
    const std::string said = std::string(".  ") + qvr::kOtherRequestsAnswer;
    return std::any_of(o.status.begin(), o.status.end(), [&said](const std::string& t) { return t.ends_with(said); });
}

// Whether a request of the read went out within kRaceMs of a reply's start.
bool Raced(const Outcome& o) {
    for (const CtlSim::Passage& p : o.line)
        if (!p.reply && std::any_of(o.line.begin(), o.line.end(), [&p](const CtlSim::Passage& q) {
                return q.reply && std::abs(q.ms - p.ms) <= kRaceMs;
            }))
            return true;
    return false;
}

// The engine's read e against the plain loop's p of the same read under the same schedule
// (right: p kept its clean read's records and told nothing more); how e is worse, or "". stalled: not judged (or not by its time)
// for a stall; slow: worse by its time alone; raced: worse otherwise, and a request of either
// read went out as a reply began to come (which of the two a try takes falls to the clock).
std::string Worse(const Outcome& e, const Outcome& p, const Outcome& clean, const SweepCase& c, bool right,
                  bool& stalled, bool& slow, bool& raced) {
    const int wait = SweepWaitMs(c);
    const int stall = std::max(e.stallMs, p.stallMs);
    if (stall >= wait / 4) {
        stalled = true;
        return "";
    }
    raced = Raced(e) || Raced(p);
    // A record wrong where the plain loop kept it right is one right record fewer.
    if (!right) {
        const size_t er = RightRecords(e, clean), pr = RightRecords(p, clean);
        if (er >= pr) return "";
        return "keeps " + std::to_string(er) + " of the clean records from the start where the plain loop keeps " +
               std::to_string(pr);
    }
    if (e.records != p.records)
        return "keeps " + std::to_string(e.Count()) + " records, not the plain loop's " + std::to_string(p.Count());
    if (e.Said() != p.Said()) return "tells the user other things than the plain loop";
    if (e.Questions() > p.Questions())
        return "asks " + std::to_string(e.Questions()) + " questions where the plain loop asks " +
               std::to_string(p.Questions());
    if (e.requests > p.requests)
        return "sends " + std::to_string(e.requests) + " frames where the plain loop sends " +
               std::to_string(p.requests);
    raced = false;
    if (stall >= kQuietMs) {
        stalled = true;
        return "";
    }
    // A question the plain loop asks and the engine does not stops the user, for longer than
    // a wait: the engine may spend that wait instead (a try on after a reply it skipped).
    const double spared = p.Questions() > e.Questions() ? double(p.Questions() - e.Questions()) * wait / 1000.0 : 0;
    const double bound = kSlack * p.seconds + kSlackPerRequest * double(std::max(p.requests, e.requests)) + spared;
    if (e.seconds <= bound) return "";
    slow = true;
    return "takes " + Seconds(e.seconds) + " where the plain loop takes " + Seconds(p.seconds) + " (" +
           std::to_string(p.requests) + " requests: at most " + Seconds(bound) + ")";
}

// Whether two reads of the same read differ in what they kept, said, asked or sent, or in
// the frames that crossed the line, in order: after such reads each line carries other late
// replies at other moments.
bool Differ(const Outcome& a, const Outcome& b) {
    return a.records != b.records || a.Said() != b.Said() || a.Questions() != b.Questions() ||
           a.requests != b.requests ||
           !std::equal(a.line.begin(), a.line.end(), b.line.begin(), b.line.end(),
                       [](const CtlSim::Passage& x, const CtlSim::Passage& y) {
                           return x.reply == y.reply && x.bytes == y.bytes;
                       });
}

// The plain loop's read i on the engine's line: on a line of its own, where the plan's
// replies (due, held back or going out) and the replies sent so far stand as they stood on
// the engine's line as its read i began.
bool PlainOnEnginesLine(const SweepCase& c, const Pass& run, size_t i, Outcome& out) {
    if (i >= run.states.size()) return false;
    const Pass fork = RunPass(c, true, true, &run.states[i], i);
    if (!fork.error.empty() || fork.reads.size() != 1) return false;
    out = fork.reads[0];
    return true;
}

SweepResult RunFaulty(const SweepCase& c) {
    SweepResult res;
    const Pass clean = RunPass(c, true, false);
    const Pass plain = RunPass(c, true, true);
    const Pass run = RunPass(c, false, true);
    if (!clean.error.empty() || !plain.error.empty() || !run.error.empty()) {
        res.wrong = clean.error + plain.error + run.error;
        return res;
    }
    const int wait = SweepWaitMs(c);
    res.horizonMs = HorizonOf(c);
    res.lateMs = run.lateMs;
    res.beyond = c.mode == SweepMode::Faults && res.lateMs > res.horizonMs;
    res.disturbed = clean.lateMs >= wait || (c.mode == SweepMode::Mild && res.lateMs >= c.replyMs);
    res.seconds = run.seconds;
    res.plainSeconds = plain.seconds;
    // Every wrong read of the engine is wrong in the plain loop too, and repeats no record.
    bool alike = true, parted = false, ownWrong = false;
    for (size_t i = 0; i < run.reads.size(); ++i) {
        const Outcome &cl = clean.reads[i], &own = plain.reads[i], &e = run.reads[i];
        // The lines part at an earlier read that differs, and at a read that begins at
        // another moment of the line's time (an earlier read of one loop waited on where the
        // other's ended): each line's late replies fall elsewhere in it.
        const double shiftMs = (e.startMs - run.reads[0].startMs) - (own.startMs - plain.reads[0].startMs);
        parted = parted || (i > 0 && (Differ(run.reads[i - 1], plain.reads[i - 1]) || std::abs(shiftMs) > kRaceMs));
        res.clean.push_back(cl.Count());
        res.kept.push_back(e.Count());
        res.firstRequestMs.push_back(e.FirstRequestMs());
        if (cl.Failed()) {
            // A failure with nothing amiss on the line, unless the process was kept from running.
            if (clean.lateMs < wait && res.wrong.empty())
                res.wrong = ReadName(c, i) + ", clean: a request failed on a healthy line: " + cl.Story() +
                            (c.trace ? cl.Trace() : std::string());
            continue;
        }
        // On parted lines the engine's read is judged against the plain loop's read on the
        // engine's line as it stood when the read began.
        Outcome forked;
        const bool onEngines = parted && PlainOnEnginesLine(c, run, i, forked);
        res.forked += onEngines;
        res.unforked += parted && !onEngines;
        const Outcome& p = onEngines ? forked : own;
        bool complete = true, told = true, caught = false, plainComplete = true, plainTold = true, plainCaught = false;
        const bool refused = TookRefused(e);
        std::string w = Judge(e, cl, complete, told, caught);
        if (refused) w = "was handed a reply its check refuses" + (w.empty() ? "" : ", " + w);
        const std::string pw = Judge(p, cl, plainComplete, plainTold, plainCaught);
        if (!Judge(own, cl, plainComplete, plainTold, plainCaught).empty()) res.plainWrong = true;
        if (caught && res.caught.empty()) res.caught = ReadName(c, i);
        if (!complete && res.short_.empty())
            res.short_ = ReadName(c, i) + " kept " + std::to_string(e.Count()) + " of " + std::to_string(cl.Count()) +
                         "; clean: " + cl.Story() + "; faulty: " + e.Story();
        res.complete = res.complete && complete;
        res.told = res.told && told;
        res.plainWrongParted = res.plainWrongParted || (parted && w.empty() && !pw.empty());
        if (!w.empty() && pw.empty() && !ownWrong) {
            ownWrong = true;
            res.ownWrongParted = parted;
            res.raced = Raced(e) || Raced(p);
        }
        if (!w.empty()) {
            const bool repeats = Repeats(e, cl);
            alike = alike && !pw.empty() && !repeats && !refused;
            if (res.wrong.empty())
                res.wrong = ReadName(c, i) + " " + w + (pw.empty() ? "" : " (the plain loop's too)") +
                            (repeats ? ", a record repeated" : "") + "; clean: " +
                            cl.Story() + "; faulty: " + e.Story() +
                            (onEngines ? "; plain on the engine's line: " : "; plain: ") + p.Story() +
                            (c.trace ? e.Trace() + "\n    plain:" + p.Trace() : std::string());
        }
        if (c.mode == SweepMode::Mild && !complete && !res.disturbed && res.wrong.empty())
            res.wrong = ReadName(c, i) + " incomplete with replies less than a wait late; clean: " + cl.Story() +
                        "; faulty: " + e.Story() + (c.trace ? e.Trace() : std::string());

        if (own.records != cl.records || own.Said() != cl.Said()) {
            if (res.plainComplete)
                res.plainShort = ReadName(c, i) + ": " + own.Story() + "; clean: " + cl.Story() + own.Trace();
            res.plainComplete = false;
        }
        const bool right = p.records == cl.records && p.Said() == cl.Said();
        if (parted && !res.plainWorseParted && e.records == cl.records && e.Said() == cl.Said()) {
            bool stalled = false, slow = false, raced = false;  // the plain loop's: not kept
            res.plainWorseParted = !Worse(p, e, cl, c, true, stalled, slow, raced).empty();
        }
        if (!res.worse.empty()) continue;
        bool slow = false, raced = false;
        const std::string why = Worse(e, p, cl, c, right, res.stalled, slow, raced);
        if (why.empty()) continue;
        res.worseParted = parted;
        res.slow = slow;
        res.raced = res.raced || raced;
        res.worse = ReadName(c, i) + " " + why + (onEngines ? "; plain on the engine's line: " : "; plain: ") +
                    p.Story() + "; engine: " + e.Story();
        // Every read up to this one: what an earlier read left on the line shapes it.
        for (size_t j = 0; c.trace && j <= i; ++j)
            res.worse += "\n  read " + std::to_string(j + 1) + "\n    plain:" + (j == i ? p : plain.reads[j]).Trace() +
                         "\n    engine:" + run.reads[j].Trace();
    }
    res.wrongAlike = !res.wrong.empty() && alike;
    const std::string note = " (oldest reply and stall " + std::to_string(res.lateMs) + " ms, horizon " +
                             std::to_string(res.horizonMs) + " ms, wait " + std::to_string(wait) + " ms)";
    if (!res.wrong.empty()) res.wrong += note;
    if (!res.worse.empty()) res.worse += note;
    return res;
}

SweepResult RunHealthy(const SweepCase& c) {
    SweepResult res;
    const int wait = SweepWaitMs(c);
    double best = 1e9, bestPlain = 1e9;
    std::string slow;  // how the best times did not hold in a run with no stall
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const Pass plain = RunPass(c, true, false);
        const Pass normal = RunPass(c, false, false);
        if (!plain.error.empty() || !normal.error.empty()) {
            res.wrong = plain.error + normal.error;
            return res;
        }
        res.lateMs = std::max(plain.lateMs, normal.lateMs);
        res.disturbed = res.lateMs >= wait;
        res.complete = res.told = true;
        res.clean.clear();
        res.kept.clear();
        std::string wrong, worse;
        size_t requests = 0;
        for (size_t i = 0; i < c.reads.size(); ++i) {
            const Outcome &p = plain.reads[i], &n = normal.reads[i];
            res.clean.push_back(p.Count());
            res.kept.push_back(n.Count());
            requests += std::max(p.requests, n.requests);
            const bool same = n.records == p.records;
            if (!same || n.Texts() != p.Texts()) res.complete = false;
            if (!same && !n.Told()) res.told = false;
            if (wrong.empty() && (!same || n.Texts() != p.Texts()))
                wrong = ReadName(c, i) + (same ? " shows other boxes" : " keeps other records") +
                        "; plain: " + p.Story() + "; normal: " + n.Story() + (c.trace ? n.Trace() : std::string());
            if (worse.empty() && n.requests > p.requests)
                worse = ReadName(c, i) + " sends " + std::to_string(n.requests) + " frames where the plain loop sends " +
                        std::to_string(p.requests) + "; plain: " + p.Story() + "; normal: " + n.Story() +
                        (c.trace ? "\n    plain:" + p.Trace() + "\n    normal:" + n.Trace() : std::string());
        }
        // A pair the process was kept from running may lose a try: run it again.
        if ((!wrong.empty() || !worse.empty()) && res.disturbed && attempt + 1 < kAttempts) continue;
        if (!wrong.empty() || !worse.empty()) {
            const std::string note = " (stall " + std::to_string(res.lateMs) + " ms, wait " + std::to_string(wait) + " ms)";
            if (!wrong.empty()) res.wrong = wrong + note;
            if (!worse.empty()) res.worse = worse + note;
            return res;
        }
        // Time: the best of the tries of each, as the machine's load comes and goes.
        best = std::min(best, normal.seconds);
        bestPlain = std::min(bestPlain, plain.seconds);
        const double bound = bestPlain * kSlack + kSlackPerRequest * double(requests);
        res.seconds = best;
        res.plainSeconds = bestPlain;
        if (best <= bound) return res;
        // A run the process was kept from running (a loaded machine) says nothing of the
        // engine's time: it is run again, and counted when no run says.
        if (res.lateMs >= kQuietMs) continue;
        slow = "takes " + Seconds(best) + " where the plain loop takes " + Seconds(bestPlain) + " (" +
               std::to_string(requests) + " requests: at most " + Seconds(bound) + ")";
    }
    if (slow.empty()) {
        res.stalled = true;
    } else {
        res.slow = true;
        res.worse = slow;
    }
    return res;
}

// The seed, the mode, the line, the controller and its content, as a case's name begins.
std::string CaseName(uint64_t seed, const SweepCase& c) {
    static const char* const kModes[] = {"faults", "mild", "healthy", "late", "in order"};
    static const char* const kLines[] = {"tcp", "pty", "pty closed after every request"};
    static const char* const kStyleNames[] = {"filter", "read on", "slot before", "past the end", "ignore start"};
    const SweepContent& ct = c.content;
    return "seed " + std::to_string(seed) + " " + kModes[int(c.mode)] + ": " + kLines[int(c.line)] +
           (c.line != SweepLine::Tcp && c.baud != 115200 ? " at " + std::to_string(c.baud) : std::string()) +
           ", reply " + std::to_string(c.replyMs) + " ms" +
           (c.sendDelayMs ? ", send pause " + std::to_string(c.sendDelayMs) + " ms" : std::string()) + ", tries " +
           std::to_string(c.tries) + "; " + kStyleNames[int(c.style)] + (c.ignoreIndex ? ", ignores the index" : "") +
           (ct.gap ? ", gap" : "") + ", logs " + std::to_string(ct.diagRecords) + "/" +
           std::to_string(ct.auditRecords) +
           (ct.twinAt >= 0 ? ", twins at " + std::to_string(ct.twinAt + 1) : std::string()) +
           (ct.maxPerReply ? ", 1 per reply" : "");
}

// Records a reply of a read carries at most.
int PerReply(SweepKind k, const SweepContent& content) {
    switch (k) {
    case SweepKind::ChromHourly:
    case SweepKind::Daily:
    case SweepKind::ChromFiveMinute: return 2;
    case SweepKind::WmtHourly:
    case SweepKind::FiveMinute: return 8;
    default: return content.maxPerReply ? content.maxPerReply : 10;
    }
}

// The in-order controller's case: see SweepMode::InOrder. The reads are as long as a seed's
// time allows (about 40 s for the three passes of the two engines).
SweepCase DrawInOrderCase(uint64_t seed) {
    uint64_t s = Mix(Mix(seed) ^ 0x1A0D3E5ull);
    auto pick = [&s](int n) { return int((s = Mix(s)) % uint64_t(n)); };
    SweepCase c;
    c.mode = SweepMode::InOrder;
    const int line = pick(3);
    c.line = line == 0 ? SweepLine::Tcp : SweepLine::Pty;
    c.baud = line == 1 ? 9600 : 115200;
    static const int kReply[] = {150, 300, 600, 1000, 2000};
    c.replyMs = kReply[pick(5)];
    if (c.line == SweepLine::Tcp) c.sendDelayMs = std::array<int, 3>{0, 50, c.replyMs / 4}[size_t(pick(3))];
    c.tries = 1 + pick(5);
    c.yesInARow = kInOrderYes;

    SweepContent& ct = c.content;
    ct.gap = pick(4) == 0;
    static const int kLog[] = {21, 60, 150, 300};
    ct.diagRecords = kLog[pick(4)];
    ct.auditRecords = kLog[pick(4)];
    if (pick(3) == 0) ct.twinAt = 2 + pick(8);
    if (pick(2) == 0) ct.maxPerReply = 1;
    static const Style kStyles[] = {Style::Filter, Style::ReadOn, Style::SlotBefore, Style::PastEnd};
    c.style = kStyles[pick(4)];

    const int every = 3 + pick(13), phase = pick(every), quietMs = pick(2) ? 30 : 0;
    const double w = SweepWaitMs(c) / 1000.0;
    // A request's share of the time: on the line (the request, a reply of about 200 bytes,
    // an answer within a quarter of the reply time) in each of the three passes, and the
    // late replies of the two faulty ones (2.5 waits on average, and the tries they cost).
    const double onLine = c.line == SweepLine::Tcp ? c.sendDelayMs / 1000.0 + 0.002 : 220.0 * 10 / c.baud + 0.002;
    const double perRequest = 3 * (onLine + c.replyMs / 8000.0) + 7.5 * w / every;
    int left = std::max(4, int(40.0 / perRequest));

    static const SweepKind kKinds[] = {SweepKind::ChromFiveMinute, SweepKind::ChromFiveMinute, SweepKind::FiveMinute,
                                       SweepKind::ChromHourly,     SweepKind::WmtHourly,       SweepKind::Daily,
                                       SweepKind::DiagByIndex,     SweepKind::AuditByIndex,    SweepKind::DiagByPeriod,
                                       SweepKind::AuditByPeriod};
    const int count = 1 + pick(3);
    for (int i = 0; i < count && left > 0; ++i) {
        SweepRead r;
        r.kind = kKinds[pick(10)];
        r.yes = true;
        // Mostly long reads: up to a day of 5-minute records, the whole of a long log.
        const int wanted = pick(5) ? 20 + pick(130) : 2 + pick(10);
        const int requests = std::min(wanted, left);
        const int records = requests * PerReply(r.kind, ct);
        if (IsArchive(r.kind)) {
            const ArchiveShape sh = ShapeOf(r.kind);
            const int span = int((CtlToDateTime(sh.newest) - CtlToDateTime(sh.oldest)) * 1440.0 / sh.unitMinutes + 0.5);
            const int len = std::min(records, span);
            r.from = Shift(sh.oldest, double(sh.unitMinutes) * pick(span - len + 1));
            r.to = Shift(r.from, double(sh.unitMinutes) * (len - 1));
        } else {
            const int size = LogSize(ct, LogOf(r.kind));
            const int len = std::min(records, size);
            const int at = pick(size - len + 1);
            if (IsByIndex(r.kind))
                r.first = kLogOldest + uint32_t(at), r.count = len;
            else
                r.from = LogTime(at), r.to = LogTime(at + len - 1);
        }
        left -= requests;
        c.reads.push_back(r);
    }

    c.name = CaseName(seed, c) + "; one reply in " + std::to_string(every) + " 1-4 waits late, held back ones " +
             (quietMs ? std::to_string(quietMs) + " ms apart" : "back to back") + "; reads:";
    for (size_t i = 0; i < c.reads.size(); ++i) c.name += " " + std::to_string(i + 1) + ") " + Describe(c.reads[i]);

    // Every every-th reply over all sends late; the others within a quarter of the reply time.
    c.plan = [planSeed = Mix(s), every, phase, quietMs, w, reply = double(c.replyMs)](const FateKey& k) {
        const uint64_t r = Mix(planSeed ^ Mix(uint64_t(k.index)));
        ReplyFate f;
        f.quietMs = quietMs;
        f.delayMs = (k.index + phase) % every == 0 ? int(Between(Mix(r), 1.0, 4.0) * w * 1000.0)
                                                    : int(Between(r, 0, 0.25) * reply);
        return f;
    };
    return c;
}


}  // namespace

int SweepWaitMs(const SweepCase& c) {
    const int send = c.line == SweepLine::Tcp ? c.sendDelayMs : 256 * 10 * 1000 / std::max(c.baud, 1);
    return c.replyMs + send;
}

SweepCase DrawSweepCase(uint64_t seed, SweepMode mode) {
    if (mode == SweepMode::InOrder) return DrawInOrderCase(seed);
    uint64_t s = Mix(seed * 4 + uint64_t(mode));
    auto pick = [&s](int n) { return int((s = Mix(s)) % uint64_t(n)); };
    const bool faulty = mode == SweepMode::Faults || mode == SweepMode::Late;
    SweepCase c;
    c.mode = mode;

    const int line = pick(16);
    c.line = line < 9 ? SweepLine::Tcp : line < 14 ? SweepLine::Pty : SweepLine::PtyClosing;
    // A third of the pty lines at 9600 bit/s (a draw of its own, so that the seed draws the
    // rest as before).
    if (c.line != SweepLine::Tcp && Mix(seed ^ 0x9600) % 3 == 0) c.baud = 9600;
    c.replyMs = 150 + 50 * pick(4);
    if (c.line == SweepLine::Tcp) {
        static const int kDelay[] = {0, 0, 50, -1};
        const int d = kDelay[pick(4)];
        c.sendDelayMs = d < 0 ? c.replyMs / 2 : d;
    }
    static const int kTries[] = {1, 2, 2, 3, 3};
    c.tries = mode == SweepMode::Mild ? 2 + pick(2) : kTries[pick(5)];

    SweepContent& ct = c.content;
    ct.gap = pick(3) == 0;
    static const int kDiag[] = {12, 15, 21, 60}, kAudit[] = {12, 15, 21, 44};
    ct.diagRecords = kDiag[pick(4)];
    ct.auditRecords = kAudit[pick(4)];
    if (pick(3) == 0) ct.twinAt = 2 + pick(8);
    if (std::max(ct.diagRecords, ct.auditRecords) <= 21 && pick(2) == 0) ct.maxPerReply = 1;

    static const Style kStyles[] = {Style::Filter, Style::ReadOn, Style::SlotBefore, Style::PastEnd};
    c.style = kStyles[pick(4)];
    if (faulty && pick(6) == 0) c.style = Style::IgnoreStart, c.plainReference = true;
    // One record per reply from a controller that ignores the index looks, reply by reply,
    // exactly like alike events in a row: no reader can tell them apart.
    if (faulty && ct.maxPerReply == 0 && pick(6) == 0) c.ignoreIndex = c.plainReference = true;

    // The reads: the same again, one overlapping the one before, or another of any kind and
    // period, with starts before the oldest record, past the newest and in the gap drawn often.
    const int count = c.line == SweepLine::PtyClosing ? 2 : 2 + pick(3);
    for (int i = 0; i < count; ++i) {
        const int how = pick(8);
        SweepRead r;
        if (i > 0 && how < 2) {
            r = c.reads.back();
            r.grow = pick(3) == 0 ? 2 : 0;
        } else if (i > 0 && how < 4 && !IsByIndex(c.reads.back().kind)) {
            const SweepRead& prev = c.reads.back();
            r.kind = prev.kind;
            const CtlDateTime from = prev.from.year ? prev.from : Resolved(prev, ct, 0).from;
            const CtlDateTime to = prev.to.year ? prev.to : Resolved(prev, ct, 0).to;
            if (IsArchive(r.kind)) {
                const ArchiveShape sh = ShapeOf(r.kind);
                r.from = Shift(from, double(pick(4)) * sh.unitMinutes);
                r.to = Shift(r.from, double(1 + pick(sh.maxLength)) * sh.unitMinutes);
            } else {
                r.from = from;  // the same start, a later end
                r.to = Shift(to, 60.0 * (1 + pick(10)));
            }
        } else {
            r.kind = SweepKind(pick(8));
            if (IsArchive(r.kind)) {
                const ArchiveShape sh = ShapeOf(r.kind);
                const double u = sh.unitMinutes;
                const int span = int((CtlToDateTime(sh.newest) - CtlToDateTime(sh.oldest)) * 1440.0 / u + 0.5);
                const int where = pick(20);
                int len = 1 + pick(sh.maxLength);
                if (where < 3) {
                    r.from = Shift(sh.oldest, -u * (1 + pick(5)));  // before the oldest record
                } else if (where < 6) {
                    r.from = Shift(sh.newest, -u * pick(4));  // on past the newest
                } else if (where < 7) {
                    r.from = Shift(sh.newest, u * (1 + pick(3)));  // after the newest: nothing
                    len = pick(4);
                } else if (where < 10 && ct.gap) {
                    r.from = Shift(sh.gap, u * pick(sh.gapUnits));  // inside the gap
                } else if (where < 11 && ct.gap) {
                    r.from = sh.gap;  // all of it in the gap: nothing
                    len = sh.gapUnits - 1;
                } else {
                    r.from = Shift(sh.oldest, u * pick(span - 1));
                }
                r.to = Shift(r.from, u * len);
            } else if (IsByIndex(r.kind)) {
                const int size = LogSize(ct, LogOf(r.kind));
                const int where = pick(10);
                if (where < 5) {
                    r.first = 0, r.count = 0;  // the whole log
                } else if (where < 8) {
                    r.first = kLogOldest + uint32_t(pick(size)), r.count = 1 + pick(size);
                } else if (where < 9) {
                    r.first = kLogOldest + uint32_t(size + pick(3)), r.count = 1 + pick(5);  // past the newest
                } else {
                    r.first = kLogOldest - 1 - uint32_t(pick(3)), r.count = 2 + pick(10);  // before the oldest
                }
            } else {
                const int size = LogSize(ct, LogOf(r.kind));
                const int where = pick(10);
                if (where < 4) {
                    const int a = pick(size);
                    r.from = LogTime(a), r.to = LogTime(a + 1 + pick(size));
                } else if (where < 6) {
                    r.from = CtlDateTime{};  // the usual period
                } else if (where < 7) {
                    r.from = CtlDateTime(26, 11, 20, 0, 0, 0), r.to = CtlDateTime(26, 11, 30, 0, 0, 0);  // nothing
                } else if (where < 8) {
                    r.from = LogTime(size + 30), r.to = LogTime(size + 40);  // after the newest: nothing
                } else {
                    r.from = CtlDateTime(26, 11, 30, 12, 0, 0), r.to = LogTime(pick(size));
                }
            }
        }
        r.yes = pick(2) == 0;
        // Faulty reads: none, up to one horizon or one to five horizons after the one before.
        const int pause = pick(10);
        const double horizons = pause < 4 ? 0 : pause < 8 ? pick(1000) / 1000.0 : 1 + pick(4000) / 1000.0;
        r.pauseMs = faulty && i > 0 ? int(horizons * HorizonOf(c)) : 0;
        c.reads.push_back(r);
    }
    // A controller that ignores the index answers a read that reaches past the newest record
    // with the last one again and again, reply by reply like alike events in a row (and the
    // program's index dialog never asks past the newest): such reads stop at the newest, as
    // the log has grown by then.
    int grown = 0;
    for (SweepRead& r : c.reads) {
        grown += r.grow;
        const int size = LogSize(ct, LogOf(r.kind)) + grown;
        const int at = int(r.first) - int(kLogOldest);
        if (c.ignoreIndex && IsByIndex(r.kind) && r.count > 0 && at >= 0 && at < size)
            r.count = std::min(r.count, size - at);
    }
    // Enough "Да" that the plain loop's tries rarely run out of them; a controller that
    // ignores the start or the index gives every try the same wrong reply (and the plain loop
    // reads it wrong whatever the answers), so there the user gives up after a few.
    if (faulty) {
        const int yes = 1 + pick(5);
        c.yesInARow = c.plainReference ? yes : 10 * yes;
    }

    // Faults: the share of replies that go wrong, and the kinds of fault.
    static const int kDensity[] = {1, 5, 15, 30};
    const int density = kDensity[pick(4)];
    unsigned kinds = 0;
    while (kinds == 0)
        for (int k = 0; k < kFaultKinds; ++k)
            if (pick(2)) kinds |= 1u << k;

    c.name = CaseName(seed, c) + (faulty ? ", Да " + std::to_string(c.yesInARow) + " times" : "") + "; reads:";
    for (size_t i = 0; i < c.reads.size(); ++i) c.name += " " + std::to_string(i + 1) + ") " + Describe(c.reads[i]);
    if (mode == SweepMode::Faults) {
        c.name += "; faults " + std::to_string(density) + " %:";
        for (int k = 0; k < kFaultKinds; ++k)
            if (kinds & (1u << k)) c.name += std::string(" ") + kFaultNames[k];
    }

    // The fate of each reply follows from the seed and its request (the mild ones: from its
    // number).
    const uint64_t planSeed = Mix(s);
    const double w = SweepWaitMs(c);
    const double h = w * kHorizonWaits;
    switch (mode) {
    case SweepMode::Healthy:
    case SweepMode::InOrder:
        break;
    case SweepMode::Mild:
        // Within three quarters of the time the engine waits for a reply to begin.
        c.plan = [planSeed, reply = double(c.replyMs)](int index) {
            ReplyFate f;
            f.delayMs = int(Between(Mix(planSeed ^ Mix(uint64_t(index))), 0, 0.75) * reply);
            return f;
        };
        break;
    case SweepMode::Faults:
        // Each reply's fate from the seed, the read, the request's bytes and its send: at
        // once, as on the clean line (so that a round trip of the clean reads is what a send
        // costs), or at the density one of the case's kinds.
        c.plan = [planSeed, w, density, kinds](const FateKey& k) {
            uint64_t r = Mix(planSeed ^ (uint64_t(k.read) << 32 | uint32_t(k.send)));
            for (uint8_t b : *k.request) r = Mix(r ^ b);
            const uint64_t a = Mix(r), b = Mix(a), d = Mix(b);
            ReplyFate f;
            if (int(r % 100) >= density) return f;
            int kind = 0;
            for (int left = int(b % uint64_t(std::popcount(kinds)));; ++kind)
                if ((kinds & (1u << kind)) && left-- == 0) break;
            switch (FaultKind(kind)) {
            case FaultKind::Lost:
                f.lost = true;
                break;
            case FaultKind::LateBusy:
            case FaultKind::LateFree:
                f.delayMs = int(Between(a, 0.8, 3.0) * w);
                f.outOfOrder = FaultKind(kind) == FaultKind::LateFree;
                break;
            case FaultKind::Twice:
                f.copyAfterMs = int(d & 1 ? Between(d, 200, 600) : Between(d, 0.05, 2.0) * w);
                break;
            case FaultKind::Stale:
                // One of the last three replies, or any made on the line before.
                f.staleBack = d % 3 ? 1 + int((d >> 8) % 3) : 1 + int((d >> 8) % 100000);
                f.staleInstead = (d >> 40) & 1;
                break;
            case FaultKind::Broken:
                f.broken = true;
                break;
            }
            return f;
        };
        break;
    case SweepMode::Late:
        // Late replies and copies past the horizon, each reply's fate from its request's key
        // as in Faults, so that the plain loop and the engine meet the same schedule.
        c.plan = [planSeed, w, h](const FateKey& k) {
            uint64_t r = Mix(planSeed ^ (uint64_t(k.read) << 32 | uint32_t(k.send)));
            for (uint8_t x : *k.request) r = Mix(r ^ x);
            const uint64_t a = Mix(r), b = Mix(a);
            ReplyFate f;
            const int pick = int(r % 100);
            if (pick < 35) {
                f.delayMs = int(Between(a, 0, 0.3) * w);
            } else if (pick < 60) {
                f.delayMs = int(Between(a, h + 0.2 * w, h + 2.5 * w));
            } else if (pick < 75) {
                f.copyAfterMs = int(Between(a, h + 0.2 * w, h + 2 * w));
            } else if (pick < 92) {
                f.staleBack = 1 + int(b % 4);
                f.staleInstead = pick < 85;
            } else {
                f.broken = true;
            }
            return f;
        };
        break;
    }
    return c;
}

SweepResult RunSweepCase(const SweepCase& c) {
    if (c.mode == SweepMode::Healthy) return RunHealthy(c);
    // A run worse than the plain loop by its time alone is run again, as a healthy pair is:
    // the machine's load comes and goes, and reads of a few milliseconds feel it. So is one
    // worse otherwise, or wrong where the plain loop is not, when a request of either loop went
    // out as a reply began to come (a frame that comes whole just before a send is dropped,
    // just after it taken), and an in-order one worse in any way: its late replies are whole
    // waits late, and one that comes as a try of either loop ends is taken by one and not by
    // the other as the clock falls (so is the rest of the schedule, which counts every send).
    auto fails = [&c](const SweepResult& r) {
        return !r.worse.empty() || (!r.wrong.empty() && !r.wrongAlike && c.mode != SweepMode::Late);
    };
    SweepResult r = RunFaulty(c);
    for (int attempt = 1; attempt < kAttempts && (r.slow || r.raced || c.mode == SweepMode::InOrder) && fails(r);
         ++attempt)
        r = RunFaulty(c);
    return r;
}

}  // namespace ctlsim
