// The archive reads against the simulated controller over a pseudo-terminal: request
// bodies and block stepping, full and short replies, the date checks and their question,
// failed blocks with retry, Esc between blocks, the temporary file and the header, the
// readable span and the 5-minute period check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/stringi.h"
#include "ctlsim/archive.h"
#include "data/archread.h"
#include "link/tabledir.h"
#include "params/ui/simlink.h"
#include "support/filefail.h"
#include "support/tempdir.h"
#include "support/timing.h"

using namespace qvr;
using ctlsim::SimArchive;
using Bytes = std::vector<uint8_t>;

namespace {

class RecordingBar : public IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override {
        texts.push_back(std::to_string(panel) + ":" + text);
    }
    std::string PanelText(int) const override { return ""; }
    std::vector<std::string> texts;
};

class RecordingProgress : public IProgress {
public:
    void SetMax(int m) override { max = m; }
    void SetPosition(int p) override { positions.push_back(p); }
    int max = -1;
    std::vector<int> positions;
};

Bytes Join(const std::vector<Bytes>& recs, size_t from, size_t n) {
    Bytes out;
    for (size_t i = from; i < from + n; ++i) out.insert(out.end(), recs[i].begin(), recs[i].end());
    return out;
}

class ArchRead : public ::testing::Test {
protected:
    void SetUp() override {
        InitStringTable();
        ASSERT_FALSE(link.path.empty());
        ASSERT_TRUE(link.Attach(5));
        arch = std::make_unique<ctlsim::ArchiveSim>(link.sim);
        savedDir = g_ProgDir;
        g_ProgDir = dir.dir();
        g_ArchiveEndPauseMs = 0;
        std::memset(g_TableMemory, 0, kTableMemorySize);
        *FieldPtr(14, 6) = 9;
        ClearQuesRecord();
        SetDepthWaitHook([](int) {});
        // Contract hour 10 in table 6 of the controller.
        link.sim.SetTableBytes(6, 6, {10});
        arch->SetClock(CtlDateTime(26, 3, 10, 12, 0, 10));
        ui.statusBar = &bar;
        ui.openWait = [this](int max) -> IProgress* {
            ++opened;
            waitMax = max;
            return &progress;
        };
        ui.closeWait = [this] { ++closed; };
        ui.startMessageTimer = [this] { ++timers; };
    }
    void TearDown() override {
        link.sim.Stop();
        arch.reset();
        g_ProgDir = savedDir;
        ClearQuesRecord();
        SetMessagePump({});
        g_Abort = 0;
        g_AbortAllowed = 0;
        g_ArchiveEndPauseMs = 500;
    }
    std::vector<Bytes> Bodies() {
        std::vector<Bytes> out;
        for (const auto& r : arch->Requests()) out.push_back(r.body);
        return out;
    }
    std::vector<std::pair<std::string, std::string>> Shown() {
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& q : ShownQues()) out.emplace_back(q.text1, q.text2);
        return out;
    }

    SimLink link{5, 72};
    TempDir dir;
    std::unique_ptr<ctlsim::ArchiveSim> arch;
    std::string savedDir;
    RecordingBar bar;
    RecordingProgress progress;
    ArchiveReadUi ui;
    int opened = 0, closed = 0, timers = 0, waitMax = -1;
};

}  // namespace

TEST(ArchReadBody, RequestBodiesAndProgress) {
    const CtlDateTime s(26, 3, 10, 10, 5, 33), e(26, 3, 12, 11, 0, 44);
    EXPECT_EQ(ArchiveRequestBody(DataKind::Wmt5Min, s, e), (Bytes{1, 0, 1, 26, 3, 10, 10, 5, 26, 3, 12, 11, 0}));
    EXPECT_EQ(ArchiveRequestBody(DataKind::ChromHour, s, e), (Bytes{3, 0, 0, 26, 3, 10, 10, 26, 3, 12, 11}));
    EXPECT_EQ(ArchiveRequestBody(DataKind::WmtDay, s, e), (Bytes{3, 0, 1, 26, 3, 10, 26, 3, 12}));
    const CtlDateTime a(26, 3, 10, 10, 0, 0), b(26, 3, 10, 14, 0, 0);
    EXPECT_EQ(ArchiveProgressMax(DataKind::ChromHour, a, b), PeriodsBetween(a, b, 0));
    EXPECT_EQ(ArchiveProgressMax(DataKind::Chrom5Min, a, b), PeriodsBetween(a, b, 0) * 12);
    EXPECT_EQ(ArchiveProgressMax(DataKind::WmtDay, a, b), PeriodsBetween(a, b, 1));
}

TEST_F(ArchRead, HourlyReadStepsBlocksAndBuildsTheHeader) {
    arch->Generate(SimArchive::ChromHour, CtlDateTime(26, 3, 10, 0, 0, 0), CtlDateTime(26, 3, 10, 23, 0, 0));
    ArchiveData data;
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, 5, 0, 0), CtlDateTime(26, 3, 10, 10, 0, 0),
                                  ui, data));
    // The start moves by the records received; the end stays.
    EXPECT_EQ(Bodies(), (std::vector<Bytes>{{3, 0, 0, 26, 3, 10, 5, 26, 3, 10, 10},
                                            {3, 0, 0, 26, 3, 10, 7, 26, 3, 10, 10},
                                            {3, 0, 0, 26, 3, 10, 9, 26, 3, 10, 10}}));
    const auto recs = arch->Records(SimArchive::ChromHour);
    EXPECT_EQ(data.records, Join(recs, 5, 6));
    Bytes tmp;
    ASSERT_TRUE(ReadWholeFile(dir.dir() + "datafile.hdm", tmp));
    EXPECT_EQ(tmp, data.records);

    const auto h = data.header.Bytes();
    EXPECT_EQ(std::string(h.begin(), h.begin() + 3), "HOU");
    EXPECT_EQ(h[3], 0);
    EXPECT_EQ(h[24], 5);
    EXPECT_EQ(Bytes(h.begin() + 31, h.begin() + 43), (Bytes{26, 3, 10, 5, 0, 0, 26, 3, 10, 10, 0, 0}));
    EXPECT_EQ(data.header.recordCount, 6u);
    EXPECT_EQ(h[47], 9);

    EXPECT_TRUE(ShownQues().empty());
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(timers, 1);
    EXPECT_EQ(progress.max, waitMax);
    ASSERT_EQ(progress.positions.size(), 7u);
    EXPECT_EQ(progress.positions[5], 6);
    EXPECT_EQ(progress.positions.back(), waitMax);
    EXPECT_EQ(g_AbortAllowed, 0);
}

TEST_F(ArchRead, AFullReplyAsksForMoreAShortOneEnds) {
    // Chromatograph: 2 records are full, 1 ends the read.
    std::vector<Bytes> three;
    for (uint8_t hr : {5, 6, 7}) three.push_back(ctlsim::MakeChromHourDayRecord(CtlHourTime(26, 3, 10, hr), false, hr));
    arch->SetRecords(SimArchive::ChromHour, three);
    ArchiveData data;
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, 5, 0, 0), CtlDateTime(26, 3, 10, 10, 0, 0),
                                  ui, data));
    EXPECT_EQ(Bodies().size(), 2u);
    EXPECT_EQ(data.header.recordCount, 3u);

    // Moisture analyser: 8 are full, 7 end it.
    arch->ClearLog();
    arch->Generate(SimArchive::WmtHour, CtlDateTime(26, 3, 10, 0, 0, 0), CtlDateTime(26, 3, 10, 14, 0, 0));
    ASSERT_TRUE(ReadArchivePeriod(DataKind::WmtHour, CtlDateTime(26, 3, 10, 0, 0, 0), CtlDateTime(26, 3, 10, 23, 0, 0),
                                  ui, data));
    ASSERT_EQ(Bodies().size(), 2u);
    EXPECT_EQ(Bodies()[1], (Bytes{3, 0, 1, 26, 3, 10, 8, 26, 3, 10, 23}));
    EXPECT_EQ(data.header.recordCount, 15u);
    EXPECT_EQ(data.records.size(), 15u * 28);
    EXPECT_EQ(data.header.device, 1);

    // A period that ends on a block boundary needs no further request.
    arch->ClearLog();
    ASSERT_TRUE(ReadArchivePeriod(DataKind::WmtHour, CtlDateTime(26, 3, 10, 6, 0, 0), CtlDateTime(26, 3, 10, 13, 0, 0),
                                  ui, data));
    EXPECT_EQ(Bodies().size(), 1u);
    EXPECT_EQ(data.header.recordCount, 8u);
}

TEST_F(ArchRead, HourlyDateCheck) {
    arch->Generate(SimArchive::ChromHour, CtlDateTime(26, 3, 10, 0, 0, 0), CtlDateTime(26, 3, 10, 23, 0, 0));
    const CtlDateTime s(26, 3, 10, 5, 0, 0), e(26, 3, 10, 10, 0, 0);
    ArchiveData data;

    // A later hour inside the period is no mismatch. (The replies are changed by the
    // records they carry, so that a request asked again gets the same.)
    arch->SetReplyHook([](int, uint8_t, Bytes& d) {
        if (d[1 + 3] == 5) d[1 + 92 + 3] = 8;
    });
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, s, e, ui, data));
    EXPECT_TRUE(ShownQues().empty());

    // An hour before the expected one (the same hour twice, outside the hour the clock
    // goes back over) is; No keeps the record that raised the question and stops.
    arch->ClearLog();
    arch->SetReplyHook([](int, uint8_t, Bytes& d) {
        if (d[1 + 3] == 5) d[1 + 92 + 3] = 5;
    });
    QueueQuesAnswers({0});
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, s, e, ui, data));
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(ShownQues()[0].kind, kQuesQuestion);
    EXPECT_EQ(Shown()[0], std::make_pair(std::string("Передаваемые контроллером данные не соответствуют"),
                                         std::string("запрошенному периоду.    Продолжить чтение?")));
    EXPECT_EQ(Bodies().size(), 1u);
    EXPECT_EQ(data.header.recordCount, 2u);
    EXPECT_EQ(data.records[92 + 3], 5);
    EXPECT_EQ(g_Abort, 1);

    // After one Yes nothing of the read is questioned again.
    ClearQuesRecord();
    arch->ClearLog();
    arch->SetReplyHook([](int, uint8_t, Bytes& d) {
        if (d[1 + 3] == 5 || d[1 + 3] == 6) d[1 + 92 + 3] = d[1 + 3];
    });
    QueueQuesAnswers({1});
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, s, e, ui, data));
    EXPECT_EQ(Shown().size(), 1u);
    EXPECT_EQ(data.header.recordCount, 8u);
    EXPECT_EQ(PendingQuesAnswers(), 0u);
}

TEST_F(ArchRead, DailyDateCheckAllowsADayEitherSide) {
    arch->Generate(SimArchive::ChromDay, CtlDateTime(26, 3, 1, 0, 0, 0), CtlDateTime(26, 3, 20, 0, 0, 0));
    const CtlDateTime s(26, 3, 10, 0, 0, 0), e(26, 3, 12, 0, 0, 0);
    ArchiveData data;
    // The record of the day before the start (contract day) passes.
    arch->SetReplyHook([](int, uint8_t, Bytes& d) {
        if (d[1 + 2] == 10) d[1 + 2] = 9;
    });
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromDay, s, e, ui, data));
    EXPECT_TRUE(ShownQues().empty());
    EXPECT_EQ(Bodies()[0], (Bytes{3, 0, 0, 26, 3, 10, 26, 3, 12}));
    EXPECT_EQ(Bodies()[1], (Bytes{3, 0, 0, 26, 3, 12, 26, 3, 12}));
    EXPECT_EQ(data.header.recordCount, 3u);
    EXPECT_EQ(data.records[2], 9);

    // A record the day after the end passes.
    arch->ClearLog();
    arch->SetReplyHook([](int, uint8_t, Bytes& d) {
        if (d[1 + 2] == 12) d[1 + 2] = 13;
    });
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromDay, s, e, ui, data));
    EXPECT_TRUE(ShownQues().empty());

    // Out of order inside the period: the day before the expected day passes, two days
    // before it is questioned.
    for (uint8_t day : {12, 11}) {
        ClearQuesRecord();
        arch->ClearLog();
        arch->Generate(SimArchive::ChromDay, CtlDateTime(26, 3, 1, 0, 0, 0), CtlDateTime(26, 3, 20, 0, 0, 0));
        arch->SetReplyHook([day](int, uint8_t, Bytes& d) {
            if (d[1 + 2] == 12) d[1 + 92 + 2] = day;  // 12th, then 12th or 11th
        });
        QueueQuesAnswers({1});
        ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromDay, CtlDateTime(26, 3, 10, 0, 0, 0),
                                      CtlDateTime(26, 3, 14, 0, 0, 0), ui, data));
        EXPECT_EQ(Shown().size(), day == 12 ? 0u : 1u) << int(day);
        EXPECT_EQ(data.header.recordCount, 6u);
    }
}

TEST_F(ArchRead, EmptyFirstReply) {
    ArchiveData data;
    EXPECT_FALSE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, 5, 0, 0),
                                   CtlDateTime(26, 3, 10, 10, 0, 0), ui, data));
    EXPECT_TRUE(ShownQues().empty());
    EXPECT_EQ(closed, 1);

    EXPECT_FALSE(ReadArchivePeriod(DataKind::Wmt5Min, CtlDateTime(26, 3, 10, 5, 0, 0),
                                   CtlDateTime(26, 3, 10, 10, 0, 0), ui, data));
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].first, "Нет данных за указанный период");
    EXPECT_EQ(ShownQues()[0].kind, kQuesNotice);
}

TEST_F(ArchRead, FiveMinuteCommandRoundsThePeriod) {
    arch->SetOldest(0, CtlDateTime(26, 3, 8, 0, 2, 30));
    arch->Generate(SimArchive::Chrom5Min, CtlDateTime(26, 3, 8, 0, 0, 0), CtlDateTime(26, 3, 10, 11, 55, 0));
    arch->Generate(SimArchive::Wmt5Min, CtlDateTime(26, 3, 8, 0, 0, 0), CtlDateTime(26, 3, 10, 11, 55, 0));
    ArchiveSpan given{};
    uint8_t givenKind = 99;
    auto choose = [&](uint8_t kind, ArchiveSpan* span, CtlDateTime& s, CtlDateTime& e) {
        givenKind = kind;
        given = *span;
        s = CtlDateTime(26, 3, 10, 10, 7, 0);
        e = CtlDateTime(26, 3, 10, 11, 3, 0);
        return true;
    };
    ArchiveData data;
    ASSERT_TRUE(RunArchiveRead(DataKind::Chrom5Min, choose, ui, data));
    EXPECT_EQ(givenKind, kBoundsFiveMinutes);
    EXPECT_EQ(given.begin, CtlMinuteTime(26, 3, 8, 0, 0));
    EXPECT_EQ(given.end, CtlMinuteTime(26, 3, 10, 11, 55));
    const auto bodies = Bodies();
    ASSERT_EQ(bodies.size(), 6u);
    EXPECT_EQ(bodies[0], (Bytes{1, 0, 0, 26, 3, 10, 10, 5, 26, 3, 10, 11, 0}));
    EXPECT_EQ(bodies[1], (Bytes{1, 0, 0, 26, 3, 10, 10, 15, 26, 3, 10, 11, 0}));
    EXPECT_EQ(data.header.recordCount, 12u);
    EXPECT_EQ(Bytes(data.header.periodStart, data.header.periodStart + 6), (Bytes{26, 3, 10, 10, 5, 0}));
    EXPECT_EQ(Bytes(data.header.periodEnd, data.header.periodEnd + 6), (Bytes{26, 3, 10, 11, 0, 0}));
    EXPECT_EQ(std::string(data.header.signature, 3), "MOM");
    EXPECT_TRUE(ShownQues().empty());

    // The moisture analyser's 12 records come as 8 and 4.
    arch->ClearLog();
    ASSERT_TRUE(RunArchiveRead(DataKind::Wmt5Min, choose, ui, data));
    EXPECT_EQ(Bodies().size(), 2u);
    EXPECT_EQ(data.records.size(), 12u * 29);

    // A record outside its 5-minute slot is questioned.
    arch->ClearLog();
    arch->SetReplyHook([](int index, uint8_t, Bytes& d) {
        if (index == 0) d[1 + 93 + 4] = 25;  // second record at 10:25 instead of 10:12
    });
    QueueQuesAnswers({0});
    ASSERT_TRUE(RunArchiveRead(DataKind::Chrom5Min, choose, ui, data));
    EXPECT_EQ(Shown().size(), 1u);
    EXPECT_EQ(data.header.recordCount, 2u);

    // A chooser that is not accepted reads nothing.
    arch->ClearLog();
    EXPECT_FALSE(RunArchiveRead(DataKind::Chrom5Min,
                                [](uint8_t, ArchiveSpan*, CtlDateTime&, CtlDateTime&) { return false; }, ui, data));
    EXPECT_TRUE(Bodies().empty());
}

TEST_F(ArchRead, FailedBlocks) {
    arch->Generate(SimArchive::ChromHour, CtlDateTime(26, 3, 10, 0, 0, 0), CtlDateTime(26, 3, 10, 23, 0, 0));
    const CtlDateTime s(26, 3, 10, 5, 0, 0), e(26, 3, 10, 10, 0, 0);
    ArchiveData data;

    // No reply; Yes repeats the same request.
    ctlsim::Faults silent;
    silent.silent = true;
    silent.count = 1;
    link.sim.SetFaults(silent);
    QueueQuesAnswers({1});
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, s, e, ui, data));
    EXPECT_EQ(data.header.recordCount, 6u);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(ShownQues()[0].kind, kQuesRetry);
    EXPECT_EQ(Shown()[0], std::make_pair(std::string("Не выполнено чтение"), std::string("очередного блока данных")));
    const auto frames = link.sim.Requests();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_NE(std::find(bar.texts.begin(), bar.texts.end(), "2:Команда 15.  Устройство не отвечает"), bar.texts.end());
    EXPECT_EQ(bar.texts.back(), "2:");

    // No, before anything arrived: nothing to show.
    ClearQuesRecord();
    link.sim.SetFaults(silent);
    QueueQuesAnswers({0});
    EXPECT_FALSE(ReadArchivePeriod(DataKind::ChromHour, s, e, ui, data));
    ASSERT_EQ(Shown().size(), 2u);
    EXPECT_EQ(Shown()[1], std::make_pair(std::string("Часовые данные хроматографа из архива"),
                                         std::string("не прочитаны")));
    EXPECT_EQ(ShownQues()[1].kind, kQuesNotice);

    // A reply whose count does not fit its length fails like a lost block; No after a
    // good block keeps what arrived.
    for (uint8_t lie : {3, 200}) {
        ClearQuesRecord();
        arch->ClearLog();
        bar.texts.clear();
        arch->SetReplyHook([lie](int, uint8_t, Bytes& d) {
            if (d[1 + 3] == 7) d[0] = lie;  // the second block's
        });
        QueueQuesAnswers({0});
        ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, s, e, ui, data));
        EXPECT_EQ(data.header.recordCount, 2u);
        ASSERT_EQ(Shown().size(), 2u);
        EXPECT_EQ(Shown()[1].second, "прочитаны не полностью");
        EXPECT_NE(std::find(bar.texts.begin(), bar.texts.end(),
                            "2:Команда 15.  Неправильная длина ответа от контроллера"),
                  bar.texts.end());
    }

    // A broken copy of the first block's broken reply ahead of the second block's answer,
    // which comes a second late, to the second try: the broken frame settles nothing, so the
    // answer given once more (to the second send) a second into the third block's wait is
    // known for the late reply it is, and the third block is asked once; its answer comes a
    // second later still.
    ClearQuesRecord();
    arch->ClearLog();
    arch->SetReplyHook(nullptr);
    link.box()->Tries = 2;
    link.box()->ReplyMs = 3000;
    ctlsim::Faults firstBroken;
    firstBroken.brokenAt = {1};
    link.sim.SetFaults(firstBroken);
    link.sim.SetFatePlan([](int i) {
        ctlsim::ReplyFate fate;
        fate.staleOf = i == 3 ? 1 : 0;
        fate.delayMs = i == 3 ? 1000 : i >= 4 ? 2000 : 0;
        return fate;
    });
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, 0, 0, 0),
                                  CtlDateTime(26, 3, 10, 5, 0, 0), ui, data));
    link.sim.SetFatePlan(nullptr);
    link.sim.ClearFaults();
    EXPECT_EQ(data.records, Join(arch->Records(SimArchive::ChromHour), 0, 6));
    EXPECT_TRUE(ShownQues().empty());
    EXPECT_EQ(Bodies().size(), 5u) << "the first two blocks twice, the third once";

    // A read right after one whose request failed, its reply 1.2 s late for its wait: the
    // next read sends its request at once and keeps its own records. From the same start
    // (another end), that late reply is the answer to its first request as sent, and the
    // reply to that request, right behind it, brings only records kept; from another start
    // on a port opened for each request, the late reply, of older records than asked for,
    // is not taken.
    struct LateCase {
        const char* name;
        bool closing;
        uint8_t failedFrom, from, to;  // hours of the failed read and of the next one
        size_t requests;               // of the next read
    };
    const LateCase lateCases[] = {
        {"same start", false, 12, 12, 15, 2},
        {"another start, the port opened for each request", true, 16, 18, 19, 1},
    };
    link.box()->Tries = 1;
    link.box()->ReplyMs = 2500;
    for (const LateCase& c : lateCases) {
        SCOPED_TRACE(c.name);
        link.box()->DoClosePort = c.closing;
        auto asked = std::make_shared<std::vector<Clock::time_point>>();
        link.sim.SetFatePlan([asked](int i) {
            asked->push_back(Clock::now());
            ctlsim::ReplyFate fate;
            fate.delayMs = i == 1 ? 3700 : 0;
            return fate;
        });
        ClearQuesRecord();
        QueueQuesAnswers({0});
        EXPECT_FALSE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, c.failedFrom, 0, 0),
                                       CtlDateTime(26, 3, 10, uint8_t(c.failedFrom + 1), 0, 0), ui, data));
        ClearQuesRecord();
        arch->ClearLog();
        ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, c.from, 0, 0),
                                      CtlDateTime(26, 3, 10, c.to, 0, 0), ui, data));
        link.sim.SetFatePlan(nullptr);
        EXPECT_EQ(data.records, Join(arch->Records(SimArchive::ChromHour), c.from, size_t(c.to - c.from + 1)));
        EXPECT_TRUE(ShownQues().empty());
        EXPECT_EQ(Bodies().size(), c.requests);
        ASSERT_GE(asked->size(), 2u);
        EXPECT_LT((*asked)[1] - (*asked)[0], std::chrono::milliseconds(3700))
            << "the next read waited for the failed request's reply";
    }
}

// Esc ends the read wherever it is pressed: between blocks (once the first block is kept:
// no request goes out after it), in the wait for a reply of a controller now silent
// (ReplyMs 20 s), or right after a read whose request failed, before the first request or
// in its wait. Esc is looked at once per slice of a wait, so a reply already whole may be
// taken before it: a row that presses Esc in a wait has that reply come minutes late. What
// arrived is shown, with no question, within half a second of Esc; the first request does
// not wait for the failed request's reply.
TEST_F(ArchRead, EscEndsTheReadBetweenBlocksAndInEveryWait) {
    arch->Generate(SimArchive::ChromHour, CtlDateTime(26, 3, 10, 0, 0, 0), CtlDateTime(26, 3, 10, 23, 0, 0));
    const CtlDateTime e(26, 3, 10, 20, 0, 0);
    constexpr int kFirstBlockKept = -1;
    struct Case {
        const char* name;
        int escAt;        // Esc once the controller has this many requests (or the first block is kept)
        int lateFrom;     // the replies to this request (1 = the first) and after come minutes late
        bool failFirst;   // a read of another start fails (No) just before
        size_t kept;
        size_t requests;
        uint32_t replyMs;
        uint8_t fromHour;  // each row reads hours of its own
    };
    const Case cases[] = {
        {"between blocks", kFirstBlockKept, 0, false, 2, 1, 20000, 5},
        {"in the wait for a reply", 2, 2, false, 2, 2, 20000, 9},
        {"right after a failed read, before the first request", 0, 0, true, 0, 0, 20000, 13},
        {"right after a failed read, in the wait for a reply", 1, 1, true, 0, 1, 2000, 15},
    };
    for (const Case& c : cases) {
        link.box()->ReplyMs = 20000;
        SCOPED_TRACE(c.name);
        ClearQuesRecord();
        if (c.failFirst) {
            link.box()->ReplyMs = 2000;
            ctlsim::Faults silent;
            silent.silent = true;
            link.sim.SetFaults(silent);
            QueueQuesAnswers({0});
            ArchiveData none;
            EXPECT_FALSE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, 1, 0, 0), e, ui, none));
            ClearQuesRecord();
        }
        link.box()->ReplyMs = c.replyMs;
        arch->ClearLog();
        progress.positions.clear();
        link.sim.ClearFaults();
        if (c.lateFrom > 0)
            link.sim.SetFatePlan([late = c.lateFrom](int i) {
                ctlsim::ReplyFate f;
                f.delayMs = i >= late ? 600000 : 0;
                return f;
            });
        const auto start = Clock::now();
        auto esc = start;
        bool pressed = false;
        SetMessagePump([&] {
            const bool now = c.escAt == kFirstBlockKept ? !progress.positions.empty()
                                                        : arch->Requests().size() >= size_t(c.escAt);
            if (!pressed && g_AbortAllowed && now) {
                pressed = true;
                esc = Clock::now();
                g_Abort = 1;
            }
        });
        ArchiveData data;
        EXPECT_EQ(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, c.fromHour, 0, 0), e, ui, data),
                  c.kept > 0);
        const long ms = MsSince(esc);
        SetMessagePump({});
        link.sim.SetFatePlan(nullptr);
        EXPECT_TRUE(pressed);
        EXPECT_LT(ms, 500) << "the read went on after Esc";
        if (c.escAt != 0) {
            EXPECT_LT(esc - start, std::chrono::milliseconds(c.replyMs + 1500)) << "the first request came late";
        }
        EXPECT_EQ(data.records, Join(arch->Records(SimArchive::ChromHour), c.fromHour, c.kept));
        EXPECT_EQ(data.header.recordCount, c.kept);
        EXPECT_EQ(Bodies().size(), c.requests);
        EXPECT_TRUE(ShownQues().empty()) << Shown().front().first;
        EXPECT_EQ(g_AbortAllowed, 0);
        link.sim.ClearFaults();
    }
}

// The working file: one that cannot be made is said; a write that fails during a read (the
// records still buffered at its end, or not) names the file and the reason; another file
// put at its name during a read is not what the read shows, for the records are read back
// through the handle that wrote them.
TEST_F(ArchRead, WorkingFile) {
    g_ProgDir = dir.dir() + "missing/";
    ArchiveData data;
    EXPECT_FALSE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, 5, 0, 0),
                                   CtlDateTime(26, 3, 10, 10, 0, 0), ui, data));
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].first, "Ошибка открытия файла");
    EXPECT_TRUE(Bodies().empty());
    EXPECT_EQ(opened, 0);

    g_ProgDir = dir.dir();
    const std::string path = dir.dir() + "datafile.hdm";
    arch->Generate(SimArchive::ChromHour, CtlDateTime(26, 3, 1, 0, 0, 0), CtlDateTime(26, 3, 10, 23, 0, 0));
    const CtlDateTime periods[][2] = {{CtlDateTime(26, 3, 10, 0, 0, 0), CtlDateTime(26, 3, 10, 5, 0, 0)},
                                      {CtlDateTime(26, 3, 5, 0, 0, 0), CtlDateTime(26, 3, 8, 23, 0, 0)}};
    for (const auto& p : periods) {
        ClearQuesRecord();
        FileSizeLimit limit(200);
        EXPECT_FALSE(ReadArchivePeriod(DataKind::ChromHour, p[0], p[1], ui, data));
        EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{
                               {"Ошибка записи файла", FileFailureText(path, EFBIG)}}));
    }

    ClearQuesRecord();
    arch->ClearLog();
    bool swapped = false;
    SetMessagePump([&] {
        if (swapped || arch->Requests().empty()) return;
        const Bytes other(6 * ReadTraits(DataKind::ChromHour).recordSize, 0x55);
        swapped = WriteFileAtomic(path, other.data(), other.size());
    });
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 9, 0, 0, 0), CtlDateTime(26, 3, 9, 5, 0, 0),
                                  ui, data));
    SetMessagePump({});
    EXPECT_TRUE(swapped);
    EXPECT_EQ(data.records, Join(arch->Records(SimArchive::ChromHour), 8 * 24, 6));
}

TEST_F(ArchRead, ReadableSpan) {
    ArchiveSpan span;
    CtlDateTime oldest;
    // Empty archive.
    arch->SetOldest(1, CtlDateTime(1, 1, 1, 0, 0, 0));
    EXPECT_EQ(ReadArchiveBounds(span, oldest, kBoundsHour, &bar), 0);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].first, "В архиве нет данных");
    EXPECT_EQ(ShownQues()[0].kind, kQuesNotice);

    // The hourly field's read fails: the retry question names the hourly archive.
    ClearQuesRecord();
    ctlsim::Faults silent;
    silent.silent = true;
    silent.count = 1;
    link.sim.SetFaults(silent);
    QueueQuesAnswers({0});
    EXPECT_EQ(ReadArchiveBounds(span, oldest, kBoundsHour, &bar), 0);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0], std::make_pair(std::string("Не выполнено чтение из таблицы 27."),
                                         std::string("\"Дата первой записи в архив часовых данных\"")));

    // Invalid oldest time, then invalid clock.
    ClearQuesRecord();
    arch->SetOldest(1, CtlDateTime(26, 13, 5, 1, 2, 3));
    EXPECT_EQ(ReadArchiveBounds(span, oldest, kBoundsHour, &bar), 0);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0], std::make_pair(std::string("Прочитанные параметры даты и времени (05.13.26 01:02:03)"),
                                         std::string("не соответствуют допустимым значениям")));
    ClearQuesRecord();
    arch->SetOldest(1, CtlDateTime(26, 1, 5, 1, 0, 0));
    arch->SetClock(CtlDateTime(26, 2, 30, 0, 0, 0));
    EXPECT_EQ(ReadArchiveBounds(span, oldest, kBoundsHour, &bar), 0);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].first, "Прочитанные параметры даты и времени (30.02.26 00:00:00)");

    // Oldest record after the clock: no span.
    ClearQuesRecord();
    arch->SetClock(CtlDateTime(26, 3, 10, 12, 0, 10));
    arch->SetOldest(1, CtlDateTime(26, 3, 11, 1, 0, 0));
    EXPECT_EQ(ReadArchiveBounds(span, oldest, kBoundsHour, &bar), 0);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].first, "В архиве еще нет ни одной записи");

    // Daily: the flag bit comes out of the time and moves the begin back a day.
    ClearQuesRecord();
    link.sim.ClearLog();
    arch->SetOldest(2, CtlDateTime(26, 1, 5, 0, 0, 0), true);
    ASSERT_EQ(ReadArchiveBounds(span, oldest, kBoundsDay, &bar), 1);
    EXPECT_EQ(oldest, CtlDateTime(26, 1, 5, 0, 0, 0));
    EXPECT_EQ(span.begin.day, 4);
    EXPECT_EQ(span.end, CtlMinuteTime(26, 3, 9, 12, 0));
    const auto frames = link.sim.Requests();
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(Bytes(frames[0].begin() + 5, frames[0].begin() + 8), (Bytes{27, 2, 1}));
    EXPECT_EQ(Bytes(frames[1].begin() + 5, frames[1].begin() + 8), (Bytes{2, 0, 8}));
    EXPECT_EQ(Bytes(frames[2].begin() + 5, frames[2].begin() + 8), (Bytes{6, 0, 10}));

    // 5-minute span.
    arch->SetOldest(0, CtlDateTime(26, 3, 8, 0, 2, 30));
    ASSERT_EQ(ReadArchiveBounds(span, oldest, kBoundsFiveMinutes, &bar), 1);
    ArchiveSpan expect;
    FiveMinuteArchiveBounds(CtlMinuteTime(26, 3, 8, 0, 2), CtlMinuteTime(26, 3, 10, 12, 0), expect);
    EXPECT_EQ(span, expect);
    EXPECT_TRUE(ShownQues().empty());
}

TEST_F(ArchRead, FiveMinutePeriodCheck) {
    // An archive older than two months drops its oldest records.
    const CtlDateTime oldest(26, 1, 1, 0, 2, 30);
    ArchiveSpan span;
    FiveMinuteArchiveBounds(oldest, CtlMinuteTime(26, 3, 10, 12, 0), span);
    ASSERT_EQ(span.begin, CtlMinuteTime(26, 1, 10, 12, 0));

    // Far from the begin: accepted without reading the clock.
    CtlMinuteTime s(26, 3, 9, 10, 0), e(26, 3, 9, 11, 0);
    EXPECT_EQ(CheckFiveMinutePeriod(span, oldest, e, s, &bar), 1);
    EXPECT_TRUE(link.sim.Requests().empty());

    // Entirely dropped.
    s = CtlMinuteTime(26, 1, 9, 10, 0);
    e = CtlMinuteTime(26, 1, 10, 11, 0);
    EXPECT_EQ(CheckFiveMinutePeriod(span, oldest, e, s, &bar), 0);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(ShownQues()[0].kind, kQuesArchiveNotice);
    EXPECT_EQ(Shown()[0].first, "В архиве уже нет данных за указанный период");

    // Start dropped: the question; No reads nothing, Yes moves the start.
    ClearQuesRecord();
    s = CtlMinuteTime(26, 1, 9, 10, 0);
    e = CtlMinuteTime(26, 1, 11, 11, 0);
    QueueQuesAnswers({0, 1});
    EXPECT_EQ(CheckFiveMinutePeriod(span, oldest, e, s, &bar), 0);
    EXPECT_EQ(CheckFiveMinutePeriod(span, oldest, e, s, &bar), 1);
    ASSERT_EQ(Shown().size(), 2u);
    EXPECT_EQ(ShownQues()[1].kind, kQuesArchiveQuestion);
    EXPECT_EQ(Shown()[1].first, "Корректировать заданный период чтения данных?");
    EXPECT_EQ(s, span.begin);
    EXPECT_EQ(e, CtlMinuteTime(26, 1, 11, 11, 0));

    // An archive that does not drop yet: no question even for a start before the begin.
    ClearQuesRecord();
    const CtlDateTime young(26, 3, 1, 0, 2, 30);
    FiveMinuteArchiveBounds(young, CtlMinuteTime(26, 3, 10, 12, 0), span);
    s = CtlMinuteTime(26, 2, 28, 10, 0);
    e = CtlMinuteTime(26, 3, 1, 11, 0);
    EXPECT_EQ(CheckFiveMinutePeriod(span, young, e, s, &bar), 1);
    EXPECT_TRUE(ShownQues().empty());
    EXPECT_EQ(s, CtlMinuteTime(26, 2, 28, 10, 0));
}

namespace {

// Where a record stands in its archive, worked out from its bytes: 5-minute slot, hour or day.
CtlMinuteTime SlotOfRecord(DataKind kind, const Bytes& r) {
    CtlMinuteTime t = LoadCtlMinuteTime(r.data());
    t.minute = IsFiveMinuteKind(kind) ? uint8_t(t.minute - t.minute % 5) : 0;
    if (IsDailyKind(kind)) t.hour = 0;
    return t;
}

std::vector<Bytes> Split(const Bytes& all, size_t size) {
    std::vector<Bytes> out;
    for (size_t at = 0; at + size <= all.size(); at += size) out.emplace_back(all.begin() + at, all.begin() + at + size);
    return out;
}

// Summer time from the last Sunday of March at 3 h, winter time from the last Sunday of
// October at 4 h: in 2026 the clock jumps over 29.03 02:00..02:59 and goes back over
// 25.10 03:00..03:59.
const Bytes kSwitchRules = {3, 0xC9, 3, 10, 0xC9, 4};

using Style = ctlsim::ArchiveSim::Style;

struct SeasonCase {
    const char* name;
    DataKind kind;
    CtlDateTime from, to;          // the period read
    CtlDateTime dropFrom, dropTo;  // slots the controller was off (year 0: none)
    size_t kept;                   // records kept
    size_t requests;
    size_t questions;              // date questions, answered Yes
    Style style = Style::Filter;   // how the controller picks the records of a reply
};

const CtlDateTime kNone(0, 0, 0, 0, 0, 0);

}  // namespace

// Gaps, repeated hours and the ways a controller may pick the records of a reply: every
// read ends and keeps the records the controller holds in the period once each, in the
// controller's order, at the pace of one request per full block where the controller
// answers from the start on; a request starts again at a slot already held only where
// the clock goes back.
TEST_F(ArchRead, GapsAndRepeatedHoursKeepEveryRecordOnce) {
    using D = DataKind;
    using T = CtlDateTime;
    const SeasonCase cases[] = {
        // Hourly: plain, the spring gap, the autumn repeat inside one block and split by a
        // block boundary, an outage of three hours.
        {"plain", D::ChromHour, T(26, 3, 10, 5, 0, 0), T(26, 3, 10, 18, 0, 0), kNone, kNone, 14, 7, 0},
        {"plain", D::WmtHour, T(26, 3, 10, 5, 0, 0), T(26, 3, 10, 18, 0, 0), kNone, kNone, 14, 2, 0},
        {"spring", D::ChromHour, T(26, 3, 29, 0, 0, 0), T(26, 3, 29, 8, 0, 0), kNone, kNone, 8, 4, 0},
        {"spring", D::WmtHour, T(26, 3, 29, 0, 0, 0), T(26, 3, 29, 8, 0, 0), kNone, kNone, 8, 1, 0},
        {"autumn in a block", D::ChromHour, T(26, 10, 25, 1, 0, 0), T(26, 10, 25, 8, 0, 0), kNone, kNone, 9, 5, 0},
        {"autumn in a block", D::WmtHour, T(26, 10, 25, 0, 0, 0), T(26, 10, 25, 8, 0, 0), kNone, kNone, 10, 2, 0},
        {"autumn split", D::ChromHour, T(26, 10, 25, 0, 0, 0), T(26, 10, 25, 8, 0, 0), kNone, kNone, 10, 6, 0},
        {"autumn split", D::WmtHour, T(26, 10, 24, 20, 0, 0), T(26, 10, 25, 8, 0, 0), kNone, kNone, 14, 2, 0},
        {"outage", D::ChromHour, T(26, 3, 10, 8, 0, 0), T(26, 3, 10, 18, 0, 0), T(26, 3, 10, 10, 0, 0),
         T(26, 3, 10, 12, 0, 0), 8, 4, 0},
        {"outage", D::WmtHour, T(26, 3, 10, 8, 0, 0), T(26, 3, 10, 18, 0, 0), T(26, 3, 10, 10, 0, 0),
         T(26, 3, 10, 12, 0, 0), 8, 1, 0},
        // Daily: plain, both switches (no day is missing or repeated), three days missing.
        {"plain", D::ChromDay, T(26, 3, 1, 0, 0, 0), T(26, 3, 20, 0, 0, 0), kNone, kNone, 20, 10, 0},
        {"plain", D::WmtDay, T(26, 3, 1, 0, 0, 0), T(26, 3, 20, 0, 0, 0), kNone, kNone, 20, 3, 0},
        {"switches", D::ChromDay, T(26, 3, 25, 0, 0, 0), T(26, 10, 30, 0, 0, 0), kNone, kNone, 220, 110, 0},
        {"switches", D::WmtDay, T(26, 3, 25, 0, 0, 0), T(26, 10, 30, 0, 0, 0), kNone, kNone, 220, 28, 0},
        {"outage", D::ChromDay, T(26, 3, 1, 0, 0, 0), T(26, 3, 20, 0, 0, 0), T(26, 3, 8, 0, 0, 0),
         T(26, 3, 10, 0, 0, 0), 17, 9, 0},
        {"outage", D::WmtDay, T(26, 3, 1, 0, 0, 0), T(26, 3, 20, 0, 0, 0), T(26, 3, 8, 0, 0, 0),
         T(26, 3, 10, 0, 0, 0), 17, 3, 0},
        // 5-minute: a gap is asked about once. Of the hour the clock goes back over, a
        // request by time reaches the first pass whole and the second pass only from the
        // slots a block can still hold after the first pass.
        {"plain", D::Chrom5Min, T(26, 3, 10, 10, 5, 0), T(26, 3, 10, 11, 0, 0), kNone, kNone, 12, 6, 0},
        {"plain", D::Wmt5Min, T(26, 3, 10, 10, 5, 0), T(26, 3, 10, 11, 0, 0), kNone, kNone, 12, 2, 0},
        {"spring", D::Chrom5Min, T(26, 3, 29, 1, 0, 0), T(26, 3, 29, 4, 0, 0), kNone, kNone, 25, 13, 1},
        {"spring", D::Wmt5Min, T(26, 3, 29, 1, 0, 0), T(26, 3, 29, 4, 0, 0), kNone, kNone, 25, 4, 1},
        {"autumn in a block", D::Chrom5Min, T(26, 10, 25, 2, 5, 0), T(26, 10, 25, 5, 0, 0), kNone, kNone, 37, 19, 0},
        {"autumn in a block", D::Wmt5Min, T(26, 10, 25, 2, 5, 0), T(26, 10, 25, 5, 0, 0), kNone, kNone, 43, 7, 0},
        {"autumn split", D::Chrom5Min, T(26, 10, 25, 2, 0, 0), T(26, 10, 25, 5, 0, 0), kNone, kNone, 38, 20, 0},
        {"autumn split", D::Wmt5Min, T(26, 10, 25, 2, 0, 0), T(26, 10, 25, 5, 0, 0), kNone, kNone, 38, 5, 0},
        {"outage", D::Chrom5Min, T(26, 3, 10, 8, 0, 0), T(26, 3, 10, 14, 0, 0), T(26, 3, 10, 9, 10, 0),
         T(26, 3, 10, 11, 35, 0), 43, 22, 1},
        {"outage", D::Wmt5Min, T(26, 3, 10, 8, 0, 0), T(26, 3, 10, 14, 0, 0), T(26, 3, 10, 9, 10, 0),
         T(26, 3, 10, 11, 35, 0), 43, 6, 1},
        // A controller that reads on from the first record at or after the start, into the
        // second pass of the hour the clock goes back over.
        {"read on, autumn", D::Chrom5Min, T(26, 10, 25, 2, 5, 0), T(26, 10, 25, 5, 0, 0), kNone, kNone, 37, 19, 0, Style::ReadOn},
        {"read on, autumn", D::Wmt5Min, T(26, 10, 25, 2, 5, 0), T(26, 10, 25, 5, 0, 0), kNone, kNone, 43, 11, 0, Style::ReadOn},
        {"read on, autumn", D::ChromHour, T(26, 10, 25, 0, 0, 0), T(26, 10, 25, 8, 0, 0), kNone, kNone, 10, 6, 0, Style::ReadOn},
        {"read on, autumn", D::WmtHour, T(26, 10, 24, 20, 0, 0), T(26, 10, 25, 8, 0, 0), kNone, kNone, 14, 2, 0, Style::ReadOn},
        {"read on, outage", D::ChromDay, T(26, 3, 1, 0, 0, 0), T(26, 3, 20, 0, 0, 0), T(26, 3, 8, 0, 0, 0),
         T(26, 3, 10, 0, 0, 0), 17, 9, 0, Style::ReadOn},
        {"read on, outage", D::WmtDay, T(26, 3, 1, 0, 0, 0), T(26, 3, 20, 0, 0, 0), T(26, 3, 8, 0, 0, 0),
         T(26, 3, 10, 0, 0, 0), 17, 3, 0, Style::ReadOn},
        // One that answers from the slot before the start: a daily record of the day
        // before is the contract day's, an earlier hour or 5 minutes asks the question.
        {"slot before", D::ChromDay, T(26, 3, 10, 0, 0, 0), T(26, 3, 15, 0, 0, 0), kNone, kNone, 7, 6, 0, Style::SlotBefore},
        {"slot before, archive ends", D::ChromDay, T(26, 3, 10, 0, 0, 0), T(26, 3, 20, 0, 0, 0), T(26, 3, 16, 0, 0, 0),
         T(26, 3, 21, 0, 0, 0), 7, 7, 0, Style::SlotBefore},
        {"slot before", D::WmtDay, T(26, 3, 1, 0, 0, 0), T(26, 3, 15, 0, 0, 0), kNone, kNone, 16, 3, 0, Style::SlotBefore},
        {"slot before", D::ChromHour, T(26, 3, 10, 5, 0, 0), T(26, 3, 10, 18, 0, 0), kNone, kNone, 15, 14, 1, Style::SlotBefore},
        {"slot before, autumn", D::ChromHour, T(26, 10, 25, 1, 0, 0), T(26, 10, 25, 8, 0, 0), kNone, kNone, 10, 10, 1, Style::SlotBefore},
        {"slot before", D::WmtHour, T(26, 3, 10, 5, 0, 0), T(26, 3, 10, 18, 0, 0), kNone, kNone, 15, 2, 1, Style::SlotBefore},
        {"slot before", D::Chrom5Min, T(26, 3, 10, 10, 5, 0), T(26, 3, 10, 11, 0, 0), kNone, kNone, 13, 12, 1, Style::SlotBefore},
        {"slot before", D::Wmt5Min, T(26, 3, 10, 10, 5, 0), T(26, 3, 10, 11, 0, 0), kNone, kNone, 13, 2, 1, Style::SlotBefore},
        // One that does not stop at the end of the period.
        {"past the end", D::ChromDay, T(26, 3, 1, 0, 0, 0), T(26, 3, 19, 0, 0, 0), kNone, kNone, 20, 10, 0, Style::PastEnd},
        {"past the end", D::WmtDay, T(26, 3, 1, 0, 0, 0), T(26, 3, 20, 0, 0, 0), kNone, kNone, 21, 3, 0, Style::PastEnd},
        {"past the end", D::ChromHour, T(26, 3, 10, 5, 0, 0), T(26, 3, 10, 17, 0, 0), kNone, kNone, 14, 7, 1, Style::PastEnd},
        {"past the end", D::WmtHour, T(26, 3, 10, 5, 0, 0), T(26, 3, 10, 18, 0, 0), kNone, kNone, 16, 2, 1, Style::PastEnd},
        {"past the end", D::Chrom5Min, T(26, 3, 10, 10, 5, 0), T(26, 3, 10, 10, 55, 0), kNone, kNone, 12, 6, 0, Style::PastEnd},
        {"past the end", D::Wmt5Min, T(26, 3, 10, 10, 5, 0), T(26, 3, 10, 11, 0, 0), kNone, kNone, 16, 2, 0, Style::PastEnd},
    };
    link.sim.SetTableBytes(6, 0, kSwitchRules);
    std::memcpy(TablePtr(6), kSwitchRules.data(), kSwitchRules.size());
    // No reply here waits for its time: a second try, so that a wait would show as a
    // request more.
    link.box()->Tries = 2;

    for (const SeasonCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", " + ReadTraits(c.kind).dataName);
        ClearQuesRecord();
        arch->ClearLog();
        const SimArchive a = SimArchive(int(c.kind));
        // The controller's archive: a day either side of the period, less the outage.
        CtlDateTime from = c.from, to = c.to;
        StepBackCtlDateTime(from, kUnitDay);
        StepCtlDateTime(to, kUnitDay);
        arch->Generate(a, from, to, kSwitchRules.data());
        if (c.dropFrom.year) arch->DropRecords(a, c.dropFrom, c.dropTo);
        arch->SetStyle(c.style);
        const CtlMinuteTime lo = SlotOfRecord(c.kind, Bytes{c.from.year, c.from.month, c.from.day, c.from.hour,
                                                              c.from.minute, 0});
        const CtlMinuteTime hi =
            SlotOfRecord(c.kind, Bytes{c.to.year, c.to.month, c.to.day, c.to.hour, c.to.minute, 0});
        std::vector<Bytes> held;  // what the controller holds in the period, in its order
        for (const Bytes& r : arch->Records(a)) {
            const CtlMinuteTime s = SlotOfRecord(c.kind, r);
            if (CompareCtlToMinute(s, lo) >= 0 && CompareCtlToMinute(s, hi) <= 0) held.push_back(r);
        }

        QueueQuesAnswers({1});
        ArchiveData data;
        EXPECT_TRUE(ReadArchivePeriod(c.kind, c.from, c.to, ui, data));
        const std::vector<Bytes> kept = Split(data.records, ReadTraits(c.kind).recordSize);
        EXPECT_EQ(kept.size(), c.kept);
        EXPECT_EQ(data.header.recordCount, kept.size());
        EXPECT_EQ(arch->Requests().size(), c.requests);
        EXPECT_EQ(ShownQues().size(), c.questions);
        for (const auto& q : ShownQues()) EXPECT_EQ(q.kind, kQuesQuestion);

        // None kept twice; those of the period kept in the controller's order; what is left
        // out is only the second pass of a 5-minute slot (a slot the controller holds
        // earlier once already).
        for (size_t i = 0; i < kept.size(); ++i)
            EXPECT_EQ(std::find(kept.begin() + long(i) + 1, kept.end(), kept[i]), kept.end()) << "kept twice";
        size_t at = 0;
        std::vector<Bytes> left;
        for (const Bytes& k : kept) {
            const CtlMinuteTime s = SlotOfRecord(c.kind, k);
            if (CompareCtlToMinute(s, lo) < 0 || CompareCtlToMinute(s, hi) > 0) continue;
            while (at < held.size() && held[at] != k) left.push_back(held[at++]);
            if (at == held.size()) {
                ADD_FAILURE() << "a record kept out of order";
                break;
            }
            ++at;
        }
        left.insert(left.end(), held.begin() + long(at), held.end());
        if (!IsFiveMinuteKind(c.kind)) {
            EXPECT_TRUE(left.empty()) << left.size() << " records lost";
        }
        for (const Bytes& l : left) {
            const CtlMinuteTime s = SlotOfRecord(c.kind, l);
            const auto first = std::find_if(held.begin(), held.end(), [&](const Bytes& h) {
                return CompareCtlToMinute(SlotOfRecord(c.kind, h), s) == 0;
            });
            EXPECT_NE(*first, l) << "a record lost that is not the second pass of its slot";
            EXPECT_NE(std::find(kept.begin(), kept.end(), *first), kept.end());
        }
    }
}

// A reply that repeats the block before it is not taken: the right one is, with no
// question. A record after the end of the period asks the date question; No keeps it after
// what came before, and the read ends there. So does a controller that ignores the start,
// where the plain loop takes its replies.
TEST_F(ArchRead, ARepeatedBlockOrARecordAfterTheEnd) {
    struct Case {
        DataKind kind;
        CtlDateTime from, to;
    };
    const Case cases[] = {
        {DataKind::ChromHour, CtlDateTime(26, 3, 10, 5, 0, 0), CtlDateTime(26, 3, 10, 12, 0, 0)},
        {DataKind::WmtDay, CtlDateTime(26, 3, 1, 0, 0, 0), CtlDateTime(26, 3, 20, 0, 0, 0)},
        {DataKind::Chrom5Min, CtlDateTime(26, 3, 10, 10, 5, 0), CtlDateTime(26, 3, 10, 11, 0, 0)},
    };
    // What the controller holds from `from` to `to`, as a read keeps it.
    auto held = [this](DataKind kind, const CtlDateTime& from, const CtlDateTime& to) {
        const auto slot = [kind](const CtlDateTime& t) {
            return SlotOfRecord(kind, Bytes{t.year, t.month, t.day, t.hour, t.minute, 0});
        };
        Bytes out;
        for (const Bytes& r : arch->Records(SimArchive(int(kind)))) {
            const CtlMinuteTime s = SlotOfRecord(kind, r);
            if (CompareCtlToMinute(s, slot(from)) >= 0 && CompareCtlToMinute(s, slot(to)) <= 0)
                out.insert(out.end(), r.begin(), r.end());
        }
        return out;
    };
    for (const Case& c : cases)
        arch->Generate(SimArchive(int(c.kind)), CtlDateTime(26, 3, 1, 0, 0, 0), CtlDateTime(26, 3, 20, 23, 55, 0));
    link.box()->Tries = 2;
    link.box()->ReplyMs = 1000;
    for (const bool copies : {false, true})
    for (const Case& c : cases) {
        SCOPED_TRACE(ReadTraits(c.kind).dataName);
        ArchiveData data;
        const size_t size = ReadTraits(c.kind).recordSize, full = size_t(ReadTraits(c.kind).fullReply) * size;
        const Bytes good = held(c.kind, c.from, c.to);
        if (copies) {
            // The copy is not taken: it brings only records kept, and the try's wait goes on;
            // a broken reply to the request sent again is a failed try, and the next try gets
            // the answer. (Each read starts a slot
            // later than the one before, so that its first reply is no answer the line has
            // given another request: the controller that ignored the start above gave the
            // first one's to all of its requests.)
            for (int broken : c.kind == DataKind::ChromHour ? std::vector<int>{3, 0} : std::vector<int>{0}) {
                link.box()->Tries = broken ? 3 : 2;  // a try may go by waiting behind the copy
                ClearQuesRecord();
                arch->ClearLog();
                ctlsim::Faults f;
                if (broken) f.brokenAt = {broken};
                link.sim.SetFaults(f);
                auto first = std::make_shared<Bytes>();
                arch->SetReplyHook([first](int index, uint8_t, Bytes& d) {
                    if (index == 0) *first = d;
                    if (index == 1) d = *first;
                });
                CtlDateTime from = c.from;
                for (int slot = 0; slot < (broken ? 1 : c.kind == DataKind::ChromHour ? 2 : 1); ++slot) {
                    if (c.kind == DataKind::Chrom5Min)
                        StepCtlDateTime5Min(from, kUnitFiveMinutes);
                    else
                        StepCtlDateTime(from, c.kind == DataKind::WmtDay ? kUnitDay : kUnitHour);
                }
                ASSERT_TRUE(ReadArchivePeriod(c.kind, from, c.to, ui, data));
                EXPECT_EQ(data.records, held(c.kind, from, c.to));
                EXPECT_TRUE(ShownQues().empty());
                const auto bodies = Bodies();
                ASSERT_GE(bodies.size(), 3u);
                EXPECT_EQ(bodies[1], bodies[2]);
            }
            arch->SetReplyHook(nullptr);
            link.sim.ClearFaults();
            continue;
        }

        ClearQuesRecord();
        arch->ClearLog();
        arch->SetReplyHook([](int index, uint8_t, Bytes& d) {
            if (index == 1) d[1] = 27;  // the year of the reply's first record
        });
        QueueQuesAnswers({0});
        ASSERT_TRUE(ReadArchivePeriod(c.kind, c.from, c.to, ui, data));
        Bytes expected(good.begin(), good.begin() + long(full + size));
        expected[full] = 27;
        EXPECT_EQ(data.records, expected);
        ASSERT_EQ(ShownQues().size(), 1u);
        EXPECT_EQ(ShownQues()[0].kind, kQuesQuestion);
        EXPECT_EQ(arch->Requests().size(), 2u);

        // A controller that answers every request from the first start: asked within a
        // few requests, and No shows the first reply's records. (The engine would skip
        // each reply of kept records: the plain loop takes them.)
        ClearQuesRecord();
        arch->ClearLog();
        arch->SetReplyHook(nullptr);
        arch->SetStyle(ctlsim::ArchiveSim::Style::IgnoreStart);
        link.box()->Plain = true;
        bar.texts.clear();
        QueueQuesAnswers({0});
        ASSERT_TRUE(ReadArchivePeriod(c.kind, c.from, c.to, ui, data));
        arch->SetStyle(ctlsim::ArchiveSim::Style::Filter);
        EXPECT_EQ(data.records, Bytes(good.begin(), good.begin() + long(full)));
        ASSERT_EQ(ShownQues().size(), 1u);
        EXPECT_EQ(ShownQues()[0].text1, "Передаваемые контроллером данные не соответствуют");
        const std::string refused = "2:Команда " + std::to_string(ReadTraits(c.kind).function) + ".  Ответ на другой запрос";
        EXPECT_NE(std::find(bar.texts.begin(), bar.texts.end(), refused), bar.texts.end());
        EXPECT_LE(arch->Requests().size(), 5u);

        // Every send of the second start gets the first reply again (a full reply of
        // records kept), and the plain loop takes it: "Да" reads on from the slot after that
        // start, and at its end the read, one record short, is said to be.
        ClearQuesRecord();
        arch->ClearLog();
        auto first = std::make_shared<Bytes>(), second = std::make_shared<Bytes>();
        arch->SetReplyHook([first, second, size](int, uint8_t, Bytes& d) {
            const Bytes head(d.begin() + 1, d.begin() + 1 + long(size));
            if (first->empty()) *first = d;
            if (second->empty() && d != *first) *second = head;
            if (head == *second) d = *first;
        });
        QueueQuesAnswers({1});
        ASSERT_TRUE(ReadArchivePeriod(c.kind, c.from, c.to, ui, data));
        arch->SetReplyHook(nullptr);
        link.box()->Plain = false;
        Bytes shortOfOne(good.begin(), good.begin() + long(full));
        shortOfOne.insert(shortOfOne.end(), good.begin() + long(full + size), good.end());
        EXPECT_EQ(data.records, shortOfOne);
        ASSERT_EQ(ShownQues().size(), 2u);
        EXPECT_EQ(ShownQues()[0].kind, kQuesQuestion);
        EXPECT_EQ(Shown()[1], std::make_pair(std::string(ReadTraits(c.kind).dataName), std::string("прочитаны не полностью")));
    }
}

// The same on the wire: the controller sends its first reply twice, the copy 200 ms late,
// when a later request is already waiting for its reply; or a stale copy of the reply before
// goes out right ahead of a block's answer. The copy is thrown away and the wait goes on
// for the right reply: every record once, no question, no request more.
TEST_F(ArchRead, ALateCopyOnTheLineIsNeverKept) {
    arch->Generate(SimArchive::ChromHour, CtlDateTime(26, 3, 10, 0, 0, 0), CtlDateTime(26, 3, 10, 23, 0, 0));
    ctlsim::Faults late;
    late.duplicateReply = true;
    late.duplicateDelayMs = 200;
    late.count = 1;
    link.sim.SetFaults(late);
    ArchiveData data;
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, 5, 0, 0),
                                  CtlDateTime(26, 3, 10, 12, 0, 0), ui, data));
    EXPECT_EQ(data.records, Join(arch->Records(SimArchive::ChromHour), 5, 8));
    EXPECT_TRUE(ShownQues().empty());

    arch->ClearLog();
    link.sim.SetFatePlan([](int i) {
        ctlsim::ReplyFate fate;
        fate.staleBack = i == 3 ? 1 : 0;  // the second block's reply, just before the third's
        fate.delayMs = i == 3 ? 100 : 0;
        return fate;
    });
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, 13, 0, 0),
                                  CtlDateTime(26, 3, 10, 20, 0, 0), ui, data));
    link.sim.SetFatePlan(nullptr);
    EXPECT_EQ(data.records, Join(arch->Records(SimArchive::ChromHour), 13, 8));
    EXPECT_TRUE(ShownQues().empty());
    EXPECT_EQ(Bodies().size(), 4u);

    // A block answered only by copies: of the block before (kept, passed over; "Да" to the
    // retry question), then of an earlier read's empty answer, of its answer of later
    // records (a gap answer by its content; the date question, "Нет"), or of its answer of
    // the one record this read kept last. None is kept on its word after the stale one,
    // and the read does not end as if complete.
    link.box()->ReplyMs = 400;
    for (const int later : {0, 1, 2}) {
        ClearQuesRecord();
        bar.texts.clear();
        arch->ClearLog();
        const int first = later == 2 ? 1 : 2;  // the earlier read's requests
        link.sim.SetFatePlan([later, first](int i) {
            ctlsim::ReplyFate fate;
            fate.staleOf = i == first + 2 ? first + 1 : i == first + 3 ? (later == 0 ? 2 : 1) : 0;
            fate.staleInstead = i > first + 1;
            return fate;
        });
        // 22:00 and 23:00, then an empty answer; or 14:00 alone.
        ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, later == 2 ? 14 : 22, 0, 0),
                                      later == 2 ? CtlDateTime(26, 3, 10, 14, 0, 0) : CtlDateTime(26, 3, 11, 2, 0, 0),
                                      ui, data));
        QueueQuesAnswers({1, 0});
        ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, 13, 0, 0),
                                      CtlDateTime(26, 3, 10, 20, 0, 0), ui, data));
        link.sim.SetFatePlan(nullptr);
        EXPECT_EQ(data.records, Join(arch->Records(SimArchive::ChromHour), 13, 2));
        ASSERT_EQ(Shown().size(), 2u);
        EXPECT_EQ(ShownQues()[0].kind, kQuesRetry);
        EXPECT_EQ(Shown()[1], later == 1 ? std::make_pair(std::string("Передаваемые контроллером данные не соответствуют"),
                                                          std::string("запрошенному периоду.    Продолжить чтение?"))
                                         : std::make_pair(std::string("Часовые данные хроматографа из архива"),
                                                          std::string("прочитаны не полностью")));
        EXPECT_NE(std::find(bar.texts.begin(), bar.texts.end(), "2:Команда 15.  Ответ повторяет ответ на другой запрос"),
                  bar.texts.end());
    }

    // The dates unchecked ("Да": a controller that answers from the slot before the start),
    // a copy of the first reply passed over ahead of the second's, which is kept; then, in
    // place of the third, an earlier read's answer of later records. On a line that has
    // brought this read a stale reply it is not kept on its word: the read says it is short.
    ClearQuesRecord();
    arch->ClearLog();
    link.sim.SetFatePlan([](int i) {
        ctlsim::ReplyFate fate;
        fate.staleBack = i == 4 ? 1 : 0;
        fate.delayMs = i == 4 ? 100 : 0;
        fate.staleOf = i == 5 ? 1 : 0;
        fate.staleInstead = i == 5;
        return fate;
    });
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, 22, 0, 0),
                                  CtlDateTime(26, 3, 11, 2, 0, 0), ui, data));
    arch->SetStyle(Style::SlotBefore);
    QueueQuesAnswers({1});
    ASSERT_TRUE(ReadArchivePeriod(DataKind::ChromHour, CtlDateTime(26, 3, 10, 1, 0, 0),
                                  CtlDateTime(26, 3, 10, 7, 0, 0), ui, data));
    link.sim.SetFatePlan(nullptr);
    EXPECT_EQ(data.records, Join(arch->Records(SimArchive::ChromHour), 0, 3));
    EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{
                           {"Передаваемые контроллером данные не соответствуют",
                            "запрошенному периоду.    Продолжить чтение?"},
                           {"Часовые данные хроматографа из архива", "прочитаны не полностью"}}));
}
