// The fault sweep of the archive and log reads: the faults seen in the field as table rows,
// then seeded runs. Every faulty read keeps the clean read's records from the start, each
// once, in order, and tells the user when that is not all of them; with replies late by
// less than one wait only, every read is complete. A failing run names its seed, which
// tools/faultsweep runs again (`faultsweep --from SEED --count 1`).
#include <gtest/gtest.h>

#include <cmath>

#include "ctlsim/faultsweep.h"

using ctlsim::ReplyFate;
using ctlsim::SweepCase;
using ctlsim::SweepRead;
using Style = ctlsim::ArchiveSim::Style;

namespace {

constexpr int kWait = 300;  // ReplyMs of the rows, ms

ReplyFate Late(double waits) {
    ReplyFate f;
    f.delayMs = int(waits * kWait);
    return f;
}

ReplyFate Twice(double afterWaits, double lateWaits = 0) {
    ReplyFate f = Late(lateWaits);
    f.copyAfterMs = int(afterWaits * kWait);
    return f;
}

ReplyFate Stale(int of, bool instead) {
    ReplyFate f;
    f.staleOf = of;
    f.staleInstead = instead;
    return f;
}

SweepCase Row(const char* name, SweepRead read, int tries, ctlsim::FatePlan plan, int reads = 1) {
    SweepCase c;
    c.name = name;
    c.read = read;
    c.tries = tries;
    c.replyMs = kWait;
    c.reads = reads;
    c.plan = std::move(plan);
    return c;
}

// A spread of 0..1 that follows from n alone.
double Spread(int n) { return std::fmod(n * 0.618034, 1.0); }

}  // namespace

TEST(FaultSweep, TheFaultsSeenKeepTheCleanRecordsOrTellTheUser) {
    std::vector<SweepCase> rows;
    // Request 3's first try meets a copy of reply 2; the replies to request 3's sends come
    // two waits late and more, so the later ones reach request 4's two tries.
    for (SweepRead log : {SweepRead::AuditByIndex, SweepRead::DiagByIndex})
        rows.push_back(Row("copy, then late replies", log, 2, [](int i) {
            static const double late[] = {2.5, 2.0, 1.8};
            if (i == 2) return Twice(0.1);
            return i >= 3 && i <= 5 ? Late(late[i - 3]) : ReplyFate{};
        }));
    // Every reply twice, 0.4-0.65 waits apart, every third 1.5-2.2 waits late (the archive
    // read answering "Да", so that a false date question cannot pass for telling).
    auto twiceAndLate = [](int i) { return Twice(0.4 + 0.25 * Spread(i), i % 3 ? 0 : 1.5 + 0.7 * Spread(i + 7)); };
    rows.push_back(Row("every reply twice", SweepRead::DiagByIndex, 3, twiceAndLate));
    rows.push_back(Row("every reply twice", SweepRead::Hourly, 2, twiceAndLate));
    rows.back().answerYes = true;
    rows.back().from = CtlDateTime(26, 10, 24, 0, 0, 0);
    rows.back().to = CtlDateTime(26, 10, 25, 13, 0, 0);
    rows.back().sendDelayMs = kWait / 2;
    // The same read again at once: a copy of the first read's last reply reaches the second
    // read's first request before its answer.
    rows.push_back(Row("read again", SweepRead::Hourly, 2,
                       [](int i) { return i == 8 ? Twice(0.2) : i == 9 ? Late(0.6) : ReplyFate{}; }, 2));
    rows.push_back(Row("read again", SweepRead::Daily, 2,
                       [](int i) { return i == 8 ? Twice(0.2) : i == 9 ? Late(0.6) : ReplyFate{}; }, 2));
    // Stale replies of a log: reply 1 once more before reply 3; request 3 answered with
    // replies 1 and 2 by turns; request 3 answered every time with reply 2.
    for (SweepRead log : {SweepRead::AuditByIndex, SweepRead::DiagByPeriod}) {
        rows.push_back(Row("reply 1 again", log, 2, [](int i) { return i == 3 ? Stale(1, false) : ReplyFate{}; }));
        rows.push_back(Row("two stale by turns", log, 2,
                           [](int i) { return i >= 3 && i <= 5 ? Stale(1 + i % 2, true) : ReplyFate{}; }));
        rows.push_back(Row("the reply before", log, 2,
                           [](int i) { return i >= 3 && i <= 5 ? Stale(2, true) : ReplyFate{}; }));
    }
    // Controllers that ignore the index or the start asked, the start inside the hour the
    // clock goes back over: the clean read is a plain controller's.
    for (SweepRead log : {SweepRead::AuditByIndex, SweepRead::DiagByIndex}) {
        SweepCase c = Row("index ignored", log, 2, nullptr);
        c.ignoreIndex = c.plainReference = true;
        rows.push_back(c);
    }
    SweepCase start = Row("start ignored in the repeated hour", SweepRead::Hourly, 2, nullptr);
    start.style = Style::IgnoreStart;
    start.plainReference = true;
    start.from = CtlDateTime(26, 10, 25, 3, 0, 0);
    start.to = CtlDateTime(26, 10, 25, 9, 0, 0);
    rows.push_back(start);

    for (const SweepCase& c : rows) {
        const ctlsim::SweepResult r = ctlsim::RunSweepCase(c);
        EXPECT_EQ(r.wrong, "") << c.name << ", read " << int(c.read);
        EXPECT_GE(r.clean, 8u) << c.name;
    }
}

namespace {

// Seeds run per shard: a few minutes' worth in all, less under the sanitizers.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kSeedsPerShard = 8, kMildPerShard = 4;
#else
constexpr int kSeedsPerShard = 36, kMildPerShard = 16;
#endif
constexpr int kShards = 8;

class FaultSweepSeeds : public ::testing::TestWithParam<int> {};
class MildSweepSeeds : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(FaultSweepSeeds, NoReadKeepsARecordWrongOrFallsShortInSilence) {
    for (int k = 0; k < kSeedsPerShard; ++k) {
        const uint64_t seed = uint64_t(1 + GetParam() + k * kShards);
        const SweepCase c = ctlsim::DrawSweepCase(seed, false);
        EXPECT_EQ(ctlsim::RunSweepCase(c).wrong, "") << c.name;
    }
}

TEST_P(MildSweepSeeds, RepliesLateByLessThanOneWaitLeaveEveryReadComplete) {
    for (int k = 0; k < kMildPerShard; ++k) {
        const uint64_t seed = uint64_t(1 + GetParam() + k * 2);
        const SweepCase c = ctlsim::DrawSweepCase(seed, true);
        const ctlsim::SweepResult r = ctlsim::RunSweepCase(c);
        EXPECT_EQ(r.wrong, "") << c.name;
        EXPECT_TRUE(r.complete) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Shard, FaultSweepSeeds, ::testing::Range(0, kShards));
INSTANTIATE_TEST_SUITE_P(Shard, MildSweepSeeds, ::testing::Range(0, 2));
