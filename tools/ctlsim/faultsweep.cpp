#include "ctlsim/faultsweep.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "ctlsim/logs.h"
#include "data/archread.h"
#include "data/logread.h"
#include "link/hgcbox.h"
#include "link/tabledir.h"

namespace ctlsim {

namespace {

using Bytes = std::vector<uint8_t>;

// Summer time from the last Sunday of March at 3 h, winter time from the last Sunday of
// October at 4 h: in 2026 the clock goes back over 25.10 03:00..03:59.
const uint8_t kSwitchRules[6] = {3, 0xC9, 3, 10, 0xC9, 4};

const char* const kDateQuestion = "Передаваемые контроллером данные не соответствуют";

uint64_t Mix(uint64_t x) {  // splitmix64
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Uniform in [lo, hi) from 64 random bits.
double Between(uint64_t bits, double lo, double hi) { return lo + (hi - lo) * double(bits >> 11) / double(1ull << 53); }

struct Shown {
    std::vector<std::string> texts;  // "line 1 / line 2" of every box
    bool dateQuestion = false;
};

// What the user was shown; questions answered "Да" tell nothing when yesNotTold.
Shown TakeShown(bool yesNotTold = false) {
    Shown s;
    for (const auto& q : qvr::ShownQues()) {
        if (yesNotTold && q.question) continue;
        s.texts.push_back(q.text1 + " / " + q.text2);
        if (q.text1 == kDateQuestion) s.dateQuestion = true;
    }
    qvr::ClearQuesRecord();
    return s;
}

bool IsArchive(SweepRead r) { return r == SweepRead::Hourly || r == SweepRead::Daily || r == SweepRead::FiveMinute; }

qvr::DataKind KindOf(SweepRead r) {
    return r == SweepRead::Hourly ? qvr::DataKind::ChromHour
           : r == SweepRead::Daily ? qvr::DataKind::ChromDay
                                   : qvr::DataKind::Wmt5Min;
}

int LogOf(SweepRead r) { return r == SweepRead::DiagByIndex || r == SweepRead::DiagByPeriod ? 0 : 1; }

// The controller's content: archives a day either side of the periods read; logs of
// distinct events whose last reply holds more than one record.
void Fill(SweepRead r, ArchiveSim& arch, LogSim& logs) {
    switch (r) {
    case SweepRead::Hourly:
        arch.Generate(SimArchive::ChromHour, CtlDateTime(26, 10, 24, 0, 0, 0), CtlDateTime(26, 10, 26, 0, 0, 0),
                      kSwitchRules);
        break;
    case SweepRead::Daily:
        arch.Generate(SimArchive::ChromDay, CtlDateTime(26, 2, 27, 0, 0, 0), CtlDateTime(26, 3, 20, 0, 0, 0));
        break;
    case SweepRead::FiveMinute:
        arch.Generate(SimArchive::Wmt5Min, CtlDateTime(26, 10, 24, 0, 0, 0), CtlDateTime(26, 10, 26, 0, 0, 0),
                      kSwitchRules);
        break;
    default: {
        const int log = LogOf(r);
        std::vector<Bytes> recs;
        const int n = log == 0 ? 60 : 44;
        for (int i = 0; i < n; ++i) {
            const CtlDateTime t(26, 12, uint8_t(1 + i / 24), uint8_t(i % 24), uint8_t(i * 7 % 60), uint8_t(i % 60));
            recs.push_back(log == 0 ? MakeDiagRecord(t, uint8_t(10 + i % 50), uint32_t(i))
                                    : MakeAuditRecord(t, uint8_t(i % 38), uint8_t(i % 7), uint32_t(i)));
        }
        logs.SetRecords(log, 500, recs);
        break;
    }
    }
}

// One read of the case's kind: the records kept (empty when nothing is shown).
Bytes Read(const SweepCase& c) {
    const SweepRead r = c.read;
    qvr::ReadUi ui;
    if (IsArchive(r)) {
        CtlDateTime from = c.from, to = c.to;
        if (from.year == 0 && r == SweepRead::Hourly)
            from = CtlDateTime(26, 10, 25, 0, 0, 0), to = CtlDateTime(26, 10, 25, 13, 0, 0);
        if (from.year == 0 && r == SweepRead::Daily)
            from = CtlDateTime(26, 3, 1, 0, 0, 0), to = CtlDateTime(26, 3, 16, 0, 0, 0);
        if (from.year == 0 && r == SweepRead::FiveMinute)
            from = CtlDateTime(26, 10, 25, 2, 0, 0), to = CtlDateTime(26, 10, 25, 5, 0, 0);
        qvr::ArchiveData data;
        return qvr::ReadArchivePeriod(KindOf(r), from, to, ui, data) ? data.records : Bytes{};
    }
    qvr::LogData d;
    const uint8_t log = uint8_t(LogOf(r));
    bool ok;
    if (r == SweepRead::DiagByIndex || r == SweepRead::AuditByIndex)
        ok = qvr::ReadLogByIndex(log, 500, log == 0 ? 60 : 44, ui, d);
    else
        ok = qvr::ReadLogByPeriod(log, CtlDateTime(26, 12, 1, 0, 0, 0), CtlDateTime(26, 12, 3, 23, 59, 59), ui, d);
    return ok ? d.rows : Bytes{};
}

size_t RecordSize(SweepRead r) {
    switch (r) {
    case SweepRead::Hourly:
    case SweepRead::Daily:
        return qvr::kChromHourDayRecordSize;
    case SweepRead::FiveMinute:
        return qvr::kMoisture5MinRecordSize;
    case SweepRead::DiagByIndex:
    case SweepRead::DiagByPeriod:
        return qvr::kDiagRecordSize;
    default:
        return qvr::kAuditRecordSize;
    }
}

// The program's globals a read uses, set for a run and put back after it.
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
    }
    ~Stage() {
        g_Hgc = nullptr;
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

private:
    std::string savedDir_, dir_;
    uint8_t savedMemory_[kTableMemorySize];
};

// An engine on a new TCP connection to the simulator.
std::unique_ptr<hgcbox> Engine(int port, const SweepCase& c) {
    auto box = std::make_unique<hgcbox>(7);
    box->LinkKind = 2;
    box->DoClosePort = 0;
    box->Socket = ConnectLoopback(port);
    box->TcpSendDelayMs = uint32_t(c.sendDelayMs);
    box->ReplyMs = uint32_t(c.replyMs);
    box->InterByteMs = 50;
    box->Tries = uint8_t(c.tries);
    return box;
}

}  // namespace

SweepCase DrawSweepCase(uint64_t seed, bool mild) {
    uint64_t s = Mix(seed);
    auto next = [&s] { return s = Mix(s); };
    SweepCase c;
    c.read = SweepRead(next() % kSweepReadCount);
    static const ArchiveSim::Style kStyles[] = {ArchiveSim::Style::Filter, ArchiveSim::Style::ReadOn,
                                               ArchiveSim::Style::SlotBefore, ArchiveSim::Style::PastEnd};
    if (IsArchive(c.read)) c.style = kStyles[next() % 4];
    static const int kTries[] = {1, 2, 2, 3, 3};
    c.tries = mild ? 2 + int(next() % 2) : kTries[next() % 5];
    c.reads = next() % 5 < 2 ? 2 : 1;
    c.replyMs = 150;
    static const char* const kReads[] = {"hourly", "daily", "5-minute", "diagnostic by index", "intervention by index",
                                         "diagnostic by period", "intervention by period"};
    static const char* const kStyleNames[] = {"filter", "read on", "slot before", "past the end", "ignore start"};
    c.name = "seed " + std::to_string(seed) + ": " + kReads[int(c.read)] +
             (IsArchive(c.read) ? std::string(", ") + kStyleNames[int(c.style)] : std::string()) + ", tries " +
             std::to_string(c.tries) + ", reads " + std::to_string(c.reads) + (mild ? ", mild" : "");
    // The fate of each reply follows from the seed and its number alone.
    const uint64_t planSeed = next();
    const double wait = c.replyMs;
    c.plan = [planSeed, wait, mild](int index) {
        const uint64_t r = Mix(planSeed ^ Mix(uint64_t(index)));
        const uint64_t a = Mix(r), b = Mix(a);
        ReplyFate f;
        if (mild) {
            f.delayMs = int(Between(a, 0, 0.9) * wait);
            return f;
        }
        const int pick = int(r % 100);
        if (pick < 40) {
            f.delayMs = int(Between(a, 0, 0.3) * wait);  // in time
        } else if (pick < 60) {
            f.delayMs = int(Between(a, 0.5, 4) * wait);  // late
        } else if (pick < 75) {
            f.copyAfterMs = int(Between(a, 0.2, 1.5) * wait);  // sent twice
        } else if (pick < 83) {
            f.staleOf = index - 1 - int(b % 3);  // a copy of one of the last few instead
            f.staleInstead = true;
        } else if (pick < 90) {
            f.staleOf = index - 1 - int(b % 3);  // ... or before it
        } else {
            f.broken = true;
        }
        return f;
    };
    return c;
}

SweepResult RunSweepCase(const SweepCase& c) {
    SweepResult res;
    Stage stage;
    if (!stage.Ok()) {
        res.wrong = "no temporary folder";
        return res;
    }
    CtlSim sim(7);
    ArchiveSim arch(sim);
    LogSim logs(sim);
    sim.SetTableBytes(6, 0, Bytes(kSwitchRules, kSwitchRules + sizeof kSwitchRules));
    sim.SetTableBytes(6, 6, {10});
    Fill(c.read, arch, logs);
    arch.SetStyle(c.plainReference ? ArchiveSim::Style::Filter : c.style);
    logs.SetIgnoreIndex(c.ignoreIndex && !c.plainReference);
    const int port = sim.StartTcp(0);
    if (port <= 0) {
        res.wrong = "no simulator";
        return res;
    }
    const size_t size = RecordSize(c.read);

    // The clean read.
    auto box = Engine(port, c);
    g_Hgc = box.get();
    arch.ClearLog();
    logs.ClearLog();
    const Bytes clean = Read(c);
    const Shown cleanShown = TakeShown();
    close(box->Socket);
    res.clean = clean.size() / size;
    arch.SetStyle(c.style);
    logs.SetIgnoreIndex(c.ignoreIndex);

    // The faulty reads, one after the other on a new line.
    box = Engine(port, c);
    g_Hgc = box.get();
    sim.SetFatePlan(c.plan);
    for (int i = 0; i < c.reads && res.wrong.empty(); ++i) {
        arch.ClearLog();
        logs.ClearLog();
        for (int k = 0; k < 64 && c.answerYes; ++k) qvr::QueueQuesAnswers({1});
        const Bytes kept = Read(c);
        const Shown shown = TakeShown(c.answerYes);
        const size_t n = kept.size() / size;
        res.kept.push_back(n);
        size_t same = 0;
        while (same < n && same < res.clean &&
               std::memcmp(kept.data() + same * size, clean.data() + same * size, size) == 0)
            ++same;
        const std::string at = "read " + std::to_string(i + 1) + " kept " + std::to_string(n) + " of " +
                               std::to_string(res.clean) + ": ";
        const size_t extra = n - same;
        if (extra > 1 || (extra == 1 && !shown.dateQuestion))
            res.wrong = at + "record " + std::to_string(same + 1) + " is not the clean read's";
        const bool complete = extra == 0 && same == res.clean && shown.texts == cleanShown.texts;
        if (!complete) res.complete = false;
        if (!complete && shown.texts.empty()) {
            res.told = false;
            if (res.wrong.empty()) res.wrong = at + "the user was not told";
        }
    }
    sim.SetFatePlan(nullptr);
    close(box->Socket);
    sim.Stop();
    return res;
}

}  // namespace ctlsim
