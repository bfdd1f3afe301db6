// Log reading against the simulated controller: request bodies on the wire, block sizes
// and stepping, the temporary file, the header of the record set, failed and short
// replies, Esc between blocks, block numbers of long period reads, the error flag, and
// saved log files.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/bytes.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "ctlsim/logs.h"
#include "data/archformat.h"
#include "data/logread.h"
#include "data/readui.h"
#include "link/tabledir.h"
#include "params/ui/simlink.h"
#include "support/filefail.h"
#include "support/tempdir.h"

using Bytes = std::vector<uint8_t>;
using qvr::LogData;

namespace {

class Bar : public qvr::IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override {
        texts[panel & 3] = text;
        if (panel == 2 && !text.empty()) panel2History.push_back(text);
    }
    std::string PanelText(int panel) const override { return texts[panel & 3]; }
    std::string texts[4];
    std::vector<std::string> panel2History;
};

class Progress : public qvr::IProgress {
public:
    void SetMax(int m) override { max = m; }
    void SetPosition(int p) override { positions.push_back(p); }
    int max = -1;
    std::vector<int> positions;
};

// What the reader did with its window.
struct Ui {
    Bar bar;
    Progress progress;
    int opened = 0, closed = 0, timers = 0, openMax = -1;
    bool allowedWhileOpen = false;
    qvr::LogReadUi Make() {
        qvr::LogReadUi ui;
        ui.statusBar = &bar;
        ui.openWait = [this](int max) {
            ++opened;
            openMax = max;
            progress.SetMax(max);
            return &progress;
        };
        ui.closeWait = [this] { ++closed; };
        ui.startMessageTimer = [this] { ++timers; };
        return ui;
    }
};

std::vector<std::pair<std::string, std::string>> Boxes() {
    std::vector<std::pair<std::string, std::string>> r;
    for (const auto& b : qvr::ShownQues()) r.push_back({b.text1, b.text2});
    qvr::ClearQuesRecord();
    return r;
}
using Box = std::pair<std::string, std::string>;

class LogReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(link.path.empty());
        ASSERT_TRUE(link.Attach(9));
        savedProgDir = g_ProgDir;
        g_ProgDir = tmp.dir();
        std::memcpy(savedMemory, g_TableMemory, sizeof savedMemory);
        std::memcpy(FieldPtr(5, 0), "LOG CONTROLLER      ", 20);
        *FieldPtr(14, 6) = 9;
        *FieldPtr(15, 6) = 2;
        qvr::ClearQuesRecord();
        g_Abort = 0;
        g_AbortAllowed = 0;
    }
    void TearDown() override {
        qvr::SetMessagePump(nullptr);
        g_ProgDir = savedProgDir;
        std::memcpy(g_TableMemory, savedMemory, sizeof savedMemory);
        qvr::ClearQuesRecord();
        g_Abort = 0;
        g_AbortAllowed = 0;
    }
    Bytes TempFile(const char* name) {
        Bytes b;
        qvr::ReadWholeFile(tmp.dir() + name, b);
        return b;
    }
    static Bytes Joined(const std::vector<Bytes>& recs, size_t from, size_t n) {
        Bytes out;
        for (size_t i = from; i < from + n; ++i) out.insert(out.end(), recs[i].begin(), recs[i].end());
        return out;
    }

    TempDir tmp;
    SimLink link{9, 63};
    ctlsim::LogSim logs{link.sim};
    std::string savedProgDir;
    uint8_t savedMemory[kTableMemorySize];
};

std::vector<Bytes> DiagRecords(int n, const CtlDateTime& from) {
    std::vector<Bytes> r;
    for (int i = 0; i < n; ++i) {
        CtlDateTime t = from;
        t.minute = uint8_t((from.minute + i) % 60);
        t.hour = uint8_t(from.hour + (from.minute + i) / 60);
        r.push_back(ctlsim::MakeDiagRecord(t, uint8_t(10 + i % 50), uint32_t(i)));
    }
    return r;
}

}  // namespace

// ---------------------------------------------------------------- layouts

TEST(LogLayouts, RequestBodiesAndBlockNumbers) {
    qvr::LogIndexRequest ir;
    ir.log = 1;
    ir.first = 0x01020304;
    ir.count = 10;
    const auto ib = ir.Bytes();
    EXPECT_EQ(Bytes(ib.begin(), ib.end()), (Bytes{0, 1, 4, 3, 2, 1, 10}));
    qvr::LogPeriodRequest pr;
    pr.log = 0;
    pr.block = 7;
    pr.start = CtlDateTime(26, 12, 1, 8, 9, 10);
    pr.end = CtlDateTime(26, 12, 7, 23, 59, 58);
    const auto pb = pr.Bytes();
    EXPECT_EQ(Bytes(pb.begin(), pb.end()),
              (Bytes{0, 0, 7, 26, 12, 1, 8, 9, 10, 26, 12, 7, 23, 59, 58}));
    EXPECT_EQ(qvr::NextLogBlockNumber(0), 1);
    EXPECT_EQ(qvr::NextLogBlockNumber(254), 255);
    EXPECT_EQ(qvr::NextLogBlockNumber(255), 1);

    const qvr::LogTraits* d = qvr::LogTraitsOf(0);
    const qvr::LogTraits* a = qvr::LogTraitsOf(1);
    ASSERT_TRUE(d && a);
    EXPECT_EQ(qvr::LogTraitsOf(2), nullptr);
    EXPECT_EQ(d->boundsTable, 10);
    EXPECT_EQ(a->boundsTable, 11);
    EXPECT_STREQ(d->tempFile, "datafile.ala");
    EXPECT_STREQ(a->tempFile, "datafile.aud");
}

// A count byte larger than the frame holds is cut to the whole records in the frame.
TEST(LogLayouts, RecordsInReplyTrustsOnlyTheFrame) {
    uint8_t rx[256] = {};
    rx[2] = uint8_t(11 + 3 * 22 + 2);
    rx[10] = 3;
    EXPECT_EQ(qvr::RecordsInReply(rx, 10, 11, 22), 3u);
    rx[10] = 200;
    EXPECT_EQ(qvr::RecordsInReply(rx, 10, 11, 22), 3u);
    rx[2] = uint8_t(11 + 3 * 22 + 2 - 1);  // the last record is one byte short
    EXPECT_EQ(qvr::RecordsInReply(rx, 10, 11, 22), 2u);
    rx[2] = 6;
    EXPECT_EQ(qvr::RecordsInReply(rx, 10, 11, 22), 0u);
    rx[2] = 255;
    rx[6] = 255;
    EXPECT_EQ(qvr::RecordsInReply(rx, 6, 8, 24), 10u);
}

// ---------------------------------------------------------------- by index

TEST_F(LogReadTest, DiagnosticByIndexInBlocksOfEleven) {
    const auto recs = DiagRecords(40, CtlDateTime(26, 12, 5, 10, 0, 0));
    logs.SetRecords(0, 990, recs);
    Ui ui;
    LogData d;
    ASSERT_TRUE(qvr::ReadLogByIndex(0, 1000, 25, ui.Make(), d));
    const auto rq = logs.Requests();
    ASSERT_EQ(rq.size(), 3u);
    EXPECT_EQ(rq[0].body, (Bytes{0, 0, 0xE8, 0x03, 0, 0, 11}));  // 1000
    EXPECT_EQ(rq[1].body, (Bytes{0, 0, 0xF3, 0x03, 0, 0, 11}));  // 1011
    EXPECT_EQ(rq[2].body, (Bytes{0, 0, 0xFE, 0x03, 0, 0, 3}));   // 1022
    EXPECT_TRUE(Boxes().empty());

    // The raw records in the temporary file and in the set, untouched.
    EXPECT_EQ(TempFile("datafile.ala"), Joined(recs, 10, 25));
    EXPECT_EQ(d.rows, Joined(recs, 10, 25));
    EXPECT_EQ(d.mode, qvr::kLogModeByIndex);
    EXPECT_EQ(d.log, 0);
    EXPECT_EQ(d.firstIndex, 1000u);
    const auto h = d.header.Bytes();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(h.data()), 3), "ALA");
    EXPECT_EQ(h[3], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(h.data() + 4), 20), "LOG CONTROLLER      ");
    EXPECT_EQ(h[24], 9);
    EXPECT_EQ(Bytes(h.begin() + 31, h.begin() + 37), Bytes(recs[10].begin(), recs[10].begin() + 6));
    EXPECT_EQ(Bytes(h.begin() + 37, h.begin() + 43), Bytes(recs[34].begin(), recs[34].begin() + 6));
    EXPECT_EQ(qvr::GetU32(h.data() + 43), 25u);
    EXPECT_EQ(h[47], 9);
    EXPECT_EQ(h[48], 2);

    // The window: opened with the count, progress by records, closed; Esc no longer armed.
    EXPECT_EQ(ui.opened, 1);
    EXPECT_EQ(ui.closed, 1);
    EXPECT_EQ(ui.openMax, 25);
    EXPECT_EQ(ui.progress.positions, (std::vector<int>{11, 22, 25}));
    EXPECT_EQ(g_AbortAllowed, 0);
}

TEST_F(LogReadTest, InterventionByIndexInBlocksOfTenAndShortReplies) {
    logs.Generate(1, 1, CtlDateTime(26, 11, 1, 0, 0, 0), 100, 7);
    Ui ui;
    LogData d;
    ASSERT_TRUE(qvr::ReadLogByIndex(1, 50, 25, ui.Make(), d));
    auto rq = logs.Requests();
    ASSERT_EQ(rq.size(), 3u);
    EXPECT_EQ(rq[0].body[6], 10);
    EXPECT_EQ(rq[1].body[6], 10);
    EXPECT_EQ(rq[2].body[6], 5);
    EXPECT_EQ(qvr::GetU32(rq[2].body.data() + 2), 70u);
    EXPECT_EQ(d.rows.size(), 25u * 24);
    EXPECT_EQ(TempFile("datafile.aud").size(), 25u * 24);
    EXPECT_EQ(std::string(d.header.signature, 3), "AUD");

    // Fewer records than asked: the next request starts right after the last one received.
    logs.ClearLog();
    logs.SetMaxPerReply(4);
    ASSERT_TRUE(qvr::ReadLogByIndex(1, 50, 9, ui.Make(), d));
    rq = logs.Requests();
    ASSERT_EQ(rq.size(), 3u);
    EXPECT_EQ(qvr::GetU32(rq[1].body.data() + 2), 54u);
    EXPECT_EQ(rq[1].body[6], 5);
    EXPECT_EQ(qvr::GetU32(rq[2].body.data() + 2), 58u);
    EXPECT_EQ(rq[2].body[6], 1);
    EXPECT_EQ(d.header.recordCount, 9u);
}

TEST_F(LogReadTest, ByIndexEndsAtTheLogEndAndReportsNothing) {
    logs.Generate(0, 1, CtlDateTime(26, 11, 1, 0, 0, 0), 15, 1);
    Ui ui;
    LogData d;
    const qvr::LogBounds held{1, 15};
    // Asking past the newest record: what exists is shown, the empty reply ends the read.
    ASSERT_TRUE(qvr::ReadLogByIndex(0, 10, 20, ui.Make(), d, &held));
    EXPECT_EQ(d.header.recordCount, 6u);
    EXPECT_EQ(logs.Requests().size(), 2u);
    EXPECT_TRUE(Boxes().empty());
    // Nothing at the indexes asked for.
    EXPECT_FALSE(qvr::ReadLogByIndex(0, 500, 5, ui.Make(), d));
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Нет сообщений с заданными индексами", ""}}));

    // An empty reply at an index the log holds (another request's empty answer, late): the
    // records before it are shown, and the read says it is short.
    qvr::ClearQuesRecord();
    logs.ClearLog();
    logs.SetReplyHook([](int index, uint8_t, Bytes& b) {
        if (index == 1) b.assign(7, 0);
    });
    Ui cut;
    ASSERT_TRUE(qvr::ReadLogByIndex(0, 1, 15, cut.Make(), d, &held));
    EXPECT_EQ(d.header.recordCount, 11u);
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Диагностические сообщения", "прочитаны не полностью"}}));
    EXPECT_EQ(cut.bar.panel2History,
              (std::vector<std::string>{"Команда 7.  Ответ без записей, которые есть в архиве"}));
}

TEST_F(LogReadTest, FailedRequestKeepsWhatWasRead) {
    logs.Generate(0, 1, CtlDateTime(26, 11, 1, 0, 0, 0), 50, 1);
    // From the second request on the controller refuses.
    qvr::SetMessagePump([this] {
        if (logs.Requests().size() == 1) {
            ctlsim::Faults f;
            f.negativeCode = 5;
            link.sim.SetFaults(f);
        }
    });
    Ui ui;
    LogData d;
    ASSERT_TRUE(qvr::ReadLogByIndex(0, 1, 30, ui.Make(), d));
    EXPECT_EQ(d.header.recordCount, 11u);
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Диагностические сообщения", "прочитаны не полностью"}}));
    ASSERT_EQ(ui.bar.panel2History.size(), 1u);
    EXPECT_EQ(ui.bar.panel2History[0].rfind("Команда 7.", 0), 0u) << ui.bar.panel2History[0];
    EXPECT_EQ(ui.bar.texts[2], "") << "cleared when the read ends";
    EXPECT_EQ(ui.timers, 1);

    // Failing at once: nothing to show.
    qvr::SetMessagePump(nullptr);
    ctlsim::Faults f;
    f.negativeCode = 5;
    link.sim.SetFaults(f);
    EXPECT_FALSE(qvr::ReadLogByIndex(1, 1, 30, ui.Make(), d));
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Сообщения о вмешательствах оператора", "не прочитаны"}}));
    EXPECT_EQ(ui.closed, ui.opened);
}

// Esc while the second request waits for its reply ends the read at once: the first block
// is shown.
TEST_F(LogReadTest, EscShowsWhatWasRead) {
    logs.Generate(0, 1, CtlDateTime(26, 11, 1, 0, 0, 0), 60, 1);
    g_Abort = 1;  // a stale Esc from before the read does not count
    qvr::SetMessagePump([this] {
        if (g_AbortAllowed && logs.Requests().size() == 2) g_Abort = 1;
    });
    link.sim.SetFatePlan([](int i) {  // Esc comes while the second reply is awaited
        ctlsim::ReplyFate fate;
        fate.delayMs = i == 2 ? 600000 : 0;  // minutes late: Esc surely comes first
        return fate;
    });
    Ui ui;
    LogData d;
    ASSERT_TRUE(qvr::ReadLogByIndex(0, 1, 60, ui.Make(), d));
    link.sim.SetFatePlan(nullptr);
    EXPECT_EQ(logs.Requests().size(), 2u);
    EXPECT_EQ(d.header.recordCount, 11u);
    EXPECT_EQ(g_Abort, 0);
    EXPECT_EQ(g_AbortAllowed, 0);
    EXPECT_TRUE(Boxes().empty());
}

// A reply whose length does not fit its count of this log's records is no answer to the
// request: one that claims 250 records and carries 11, or the other log's records (24 bytes
// each). The engine takes it as the plain loop does, and the read refuses it at once with the
// retry question: "Да" sends it again, "Нет" ends the read, nothing read, said so.
TEST_F(LogReadTest, ReplyClaimingMoreRecordsThanItCarries) {
    logs.Generate(0, 1, CtlDateTime(26, 11, 1, 0, 0, 0), 30, 1);
    using Hook = void (*)(int, uint8_t, Bytes&);
    const Hook hooks[] = {
        [](int, uint8_t, Bytes& data) { data[6] = 250; },  // count byte of the reply (frame byte 10)
        [](int, uint8_t, Bytes& data) {
            data.resize(7 + 10 * 24);
            data[6] = 10;
        },
    };
    const Box retry{"Не выполнено чтение", "очередного блока данных"};
    for (const bool plain : {false, true})
        for (const Hook hook : hooks) {
            logs.ClearLog();
            logs.SetReplyHook(hook);
            g_Hgc->Plain = plain;
            Ui ui;
            LogData d;
            qvr::QueueQuesAnswers({1, 0});
            const bool read = qvr::ReadLogByIndex(0, 1, 20, ui.Make(), d);
            g_Hgc->Plain = false;
            EXPECT_FALSE(read);
            EXPECT_EQ(Boxes(), (std::vector<Box>{retry, retry, {"Диагностические сообщения", "не прочитаны"}}));
            EXPECT_EQ(ui.bar.panel2History,
                      std::vector<std::string>(2, "Команда 7.  Неправильная длина ответа от контроллера"));
            EXPECT_EQ(ui.bar.texts[2], "");
            EXPECT_EQ(logs.Requests().size(), 2u);
        }
}

// A reply with more records than asked for is refused with the retry question; a late
// copy of the block just kept is never taken, a block the controller really gives twice
// is. Every record is kept as often as the controller holds it.
TEST_F(LogReadTest, OverCountedAndLateRepliesAreNeverKept) {
    const Box retry{"Не выполнено чтение", "очередного блока данных"};
    auto requestsRepeated = [this](size_t a, size_t b) {
        const auto rq = logs.Requests();
        return rq.size() > b && rq[a].body == rq[b].body;
    };

    // The third request asks for 3 records and gets 11: refused at once with the retry
    // question.
    for (uint8_t answer : {1, 0}) {
        SCOPED_TRACE(int(answer));
        const auto own = DiagRecords(40, CtlDateTime(26, 12, uint8_t(6 - answer), 10, 0, 0));
        logs.SetRecords(0, 1, own);
        logs.ClearLog();
        logs.SetReplyHook([&own](int index, uint8_t, Bytes& d) {
            if (index != 2) return;
            for (size_t i = 25; i < 33; ++i) d.insert(d.end(), own[i].begin(), own[i].end());
            d[6] = 11;
        });
        Ui ui;
        LogData d;
        qvr::QueueQuesAnswers({answer});
        ASSERT_TRUE(qvr::ReadLogByIndex(0, 1, 25, ui.Make(), d));
        const auto shown = qvr::ShownQues();
        EXPECT_TRUE(!shown.empty() && shown[0].kind == qvr::kQuesRetry);
        if (answer) {
            EXPECT_EQ(Boxes(), (std::vector<Box>{retry}));
            EXPECT_TRUE(requestsRepeated(2, 3));
            EXPECT_EQ(d.rows, Joined(own, 0, 25));
        } else {
            EXPECT_EQ(Boxes(), (std::vector<Box>{retry, {"Диагностические сообщения", "прочитаны не полностью"}}));
            EXPECT_EQ(d.rows, Joined(own, 0, 22));
        }
        EXPECT_EQ(ui.bar.panel2History,
                  (std::vector<std::string>{"Команда 7.  Неправильная длина ответа от контроллера"}));
        EXPECT_EQ(ui.bar.texts[2], "");
    }

    // Two events alike, one record per reply (the replies told apart by a byte the reader
    // does not interpret, so that only the records could make one look like another): the
    // second is no repeat of what the read has kept, and is taken as the plain loop takes
    // it. Both are kept, one request a record, and a broken reply costs its try alone.
    logs.SetReplyHook([](int index, uint8_t, Bytes& d) {
        d.resize(7 + qvr::kDiagRecordSize);
        d[0] = uint8_t(index);
        d[6] = 1;
    });
    for (uint8_t tries : {1, 2}) {
        SCOPED_TRACE(int(tries));
        auto alike = DiagRecords(40, CtlDateTime(26, 12, 6, uint8_t(10 + tries), 0, 0));
        alike[3] = alike[2];
        logs.SetRecords(0, 1, alike);
        logs.ClearLog();
        ctlsim::Faults broken;
        if (tries == 2) broken.brokenAt = {5};
        link.sim.SetFaults(broken);
        link.box()->Tries = tries;
        Ui ui;
        LogData d;
        ASSERT_TRUE(qvr::ReadLogByIndex(0, 1, 6, ui.Make(), d));
        EXPECT_EQ(d.rows, Joined(alike, 0, 6));
        EXPECT_TRUE(Boxes().empty()) << Boxes().size();
        EXPECT_EQ(logs.Requests().size(), tries == 1 ? 6u : 7u);
    }
    link.sim.ClearFaults();
    const auto later = DiagRecords(40, CtlDateTime(26, 12, 8, 10, 0, 0));
    logs.SetRecords(0, 1, later);

    // The second reply is the first one once more, by index and by period: the engine skips
    // it (records all kept), and the next try takes the right one, with no question.
    auto first = std::make_shared<Bytes>();
    auto lateCopy = [first](int index, uint8_t, Bytes& d) {
        if (index == 0) *first = d;
        if (index == 1) d = *first;
    };
    link.box()->Tries = 2;
    link.box()->ReplyMs = 1000;
    for (uint8_t fn : {7, 8}) {
        SCOPED_TRACE(int(fn));
        logs.ClearLog();
        logs.SetReplyHook(lateCopy);
        Ui ui;
        LogData d;
        if (fn == 7)
            ASSERT_TRUE(qvr::ReadLogByIndex(0, 1, 25, ui.Make(), d));
        else
            ASSERT_TRUE(qvr::ReadLogByPeriod(0, CtlDateTime(26, 12, 8, 10, 0, 0), CtlDateTime(26, 12, 8, 10, 24, 59),
                                             ui.Make(), d));
        EXPECT_TRUE(Boxes().empty());
        EXPECT_TRUE(requestsRepeated(1, 2));
        EXPECT_EQ(d.rows, Joined(later, 0, 25));
        EXPECT_EQ(d.header.recordCount, 25u);
        EXPECT_TRUE(ui.bar.panel2History.empty());
    }

    // In place of the first answer of a read by period, records stamped an hour after the
    // end's (another period's reply): skipped, and the next try takes the right one.
    logs.ClearLog();
    logs.SetReplyHook([](int index, uint8_t, Bytes& d) {
        for (size_t at = qvr::kPeriodReplyDataAt - 4; index == 0 && at < d.size(); at += qvr::kDiagRecordSize)
            d[at + 3] = 11;
    });
    {
        Ui ui;
        LogData d;
        ASSERT_TRUE(qvr::ReadLogByPeriod(0, CtlDateTime(26, 12, 8, 10, 0, 0), CtlDateTime(26, 12, 8, 10, 24, 59),
                                         ui.Make(), d));
        EXPECT_TRUE(Boxes().empty());
        EXPECT_TRUE(requestsRepeated(0, 1));
        EXPECT_EQ(d.rows, Joined(later, 0, 25));
    }

    // In place of the first answer, the other log's records (24 bytes each), and no answer
    // behind them: refused at once with the retry question, as the plain loop's read does,
    // not after a wait for an answer that is not coming; "Да" takes the right one.
    logs.ClearLog();
    logs.SetReplyHook([](int index, uint8_t, Bytes& d) {
        if (index != 0) return;
        d.resize(7 + 10 * 24);
        d[6] = 10;
    });
    link.box()->ReplyMs = 20000;
    {
        Ui ui;
        LogData d;
        qvr::QueueQuesAnswers({1});
        const auto t0 = std::chrono::steady_clock::now();
        ASSERT_TRUE(qvr::ReadLogByIndex(0, 1, 25, ui.Make(), d));
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
        EXPECT_EQ(Boxes(), (std::vector<Box>{retry}));
        EXPECT_TRUE(requestsRepeated(0, 1));
        EXPECT_EQ(d.rows, Joined(later, 0, 25));
    }
    link.box()->ReplyMs = 1000;

    // The second reply starts five records back (the controller does not answer the index
    // or block asked): kept records among new ones make it a repeat, skipped. The next try
    // takes the right reply; given to that try too, the request fails with result 89 and
    // the read ends with what it had, and says so. An empty reply in that try, after the
    // repeat, is in doubt (a copy of another read's answer is the same): the read ends told,
    // not as if the log ended there. So does a reply of events older than the last kept,
    // after the repeat (another read's answer, out of its turn), not kept out of order.
    enum class Then { Right, Again, Empty, Back };
    for (const auto& [fn, then] : {std::pair{7, Then::Right}, {8, Then::Again}, {7, Then::Empty}, {8, Then::Empty},
                                   {7, Then::Back}, {8, Then::Back}}) {
        SCOPED_TRACE(fn * 10 + int(then));
        const auto own = DiagRecords(40, CtlDateTime(26, 12, uint8_t(9 + fn), 10, 0, 0));
        const auto older = DiagRecords(11, CtlDateTime(26, 12, uint8_t(9 + fn), 9, 0, 0));
        logs.SetRecords(0, 1, own);
        logs.ClearLog();
        const size_t dataAt = (fn == 7 ? qvr::kIndexReplyDataAt : qvr::kPeriodReplyDataAt) - 4;
        const size_t countAt = (fn == 7 ? qvr::kIndexReplyCountAt : qvr::kPeriodReplyCountAt) - 4;
        logs.SetReplyHook([&own, &older, then, dataAt, countAt](int index, uint8_t, Bytes& d) {
            if (index != 1 && !(then != Then::Right && index == 2)) return;
            d.resize(dataAt);
            if (index == 2 && then == Then::Empty)
                d[countAt] = 0;
            else if (index == 2 && then == Then::Back)
                for (const auto& e : older) d.insert(d.end(), e.begin(), e.end());
            else
                for (size_t i = 6; i < 17; ++i) d.insert(d.end(), own[i].begin(), own[i].end());
        });
        Ui ui;
        LogData d;
        if (fn == 7)
            ASSERT_TRUE(qvr::ReadLogByIndex(0, 1, 25, ui.Make(), d));
        else
            ASSERT_TRUE(qvr::ReadLogByPeriod(0, CtlDateTime(26, 12, 17, 10, 0, 0), CtlDateTime(26, 12, 17, 10, 24, 59),
                                             ui.Make(), d));
        EXPECT_TRUE(requestsRepeated(1, 2));
        if (then == Then::Right) {
            EXPECT_TRUE(Boxes().empty());
            EXPECT_EQ(d.rows, Joined(own, 0, 25));
        } else {
            EXPECT_EQ(Boxes(), (std::vector<Box>{{"Диагностические сообщения", "прочитаны не полностью"}}));
            EXPECT_EQ(d.rows, Joined(own, 0, 11));
            const std::string said = then == Then::Again ? "Ответ не соответствует запросу" : qvr::kRepeatedAnswer;
            EXPECT_EQ(ui.bar.panel2History, (std::vector<std::string>{"Команда " + std::to_string(fn) + ".  " + said}));
        }
    }

    // An event stamped in the hour the clock goes back over may equal one of its first pass
    // that an earlier block brought: both are kept, with no question.
    const uint8_t switchRules[] = {3, 0xC9, 3, 10, 0xC9, 4};  // winter time from 25.10.26 04:00
    std::memcpy(TablePtr(6), switchRules, sizeof switchRules);
    auto autumn = DiagRecords(15, CtlDateTime(26, 10, 25, 2, 55, 0));
    autumn[13] = autumn[6];  // the event of 03:01 once more, after the clock went back
    logs.SetRecords(0, 1, autumn);
    logs.ClearLog();
    logs.SetReplyHook(nullptr);
    Ui ui;
    LogData d;
    ASSERT_TRUE(qvr::ReadLogByIndex(0, 1, 15, ui.Make(), d));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(d.rows, Joined(autumn, 0, 15));
}

// On the wire: the first reply comes twice, the copy 200 ms late, while a later request
// waits for its reply. The copy is thrown away and the wait goes on: no question.
TEST_F(LogReadTest, ALateCopyOnTheLineIsNeverKept) {
    const auto recs = DiagRecords(40, CtlDateTime(26, 12, 5, 10, 0, 0));
    logs.SetRecords(0, 1, recs);
    ctlsim::Faults late;
    late.duplicateReply = true;
    late.duplicateDelayMs = 200;
    late.count = 1;
    link.sim.SetFaults(late);
    Ui ui;
    LogData d;
    ASSERT_TRUE(qvr::ReadLogByIndex(0, 1, 25, ui.Make(), d));
    EXPECT_EQ(d.rows, Joined(recs, 0, 25));
    EXPECT_TRUE(Boxes().empty());
}

// The working file: one that cannot be made, or a write that fails during a read, is said
// with what failed and why; another file put at its name during a read is not what the read
// shows, for the records are read back through the handle that wrote them.
TEST_F(LogReadTest, WorkingFile) {
    logs.Generate(0, 1, CtlDateTime(26, 11, 1, 0, 0, 0), 5, 1);
    g_ProgDir = tmp.dir() + "missing/";
    Ui ui;
    LogData d;
    EXPECT_FALSE(qvr::ReadLogByIndex(0, 1, 5, ui.Make(), d));
    EXPECT_FALSE(qvr::ReadLogByPeriod(0, CtlDateTime(26, 1, 1, 0, 0, 0), CtlDateTime(26, 12, 1, 0, 0, 0), ui.Make(), d));
    // The notice names what failed, the folder, and why.
    const Box failed{"Ошибка открытия файла", qvr::FileFailureText(g_ProgDir, ENOENT)};
    EXPECT_EQ(failed.second.substr(failed.second.size() - 32), ": папка не найдена");
    EXPECT_EQ(Boxes(), (std::vector<Box>{failed, failed}));
    EXPECT_TRUE(logs.Requests().empty());
    EXPECT_EQ(ui.opened, 0);

    g_ProgDir = tmp.dir();
    const std::string path = tmp.dir() + "datafile.ala";
    logs.SetRecords(0, 1, DiagRecords(25, CtlDateTime(26, 12, 9, 10, 0, 0)));
    {
        FileSizeLimit limit(300);  // the second block of eleven does not fit
        qvr::ReadLogByIndex(0, 1, 25, ui.Make(), d);
    }
    EXPECT_EQ(Boxes(), (std::vector<Box>{{qvr::FileFailureText(path, EFBIG), "Диагностические сообщения прочитаны не полностью"}}));

    const auto recs = DiagRecords(25, CtlDateTime(26, 12, 10, 10, 0, 0));
    logs.SetRecords(0, 1, recs);
    logs.ClearLog();
    bool swapped = false;
    qvr::SetMessagePump([&] {
        if (swapped || logs.Requests().empty()) return;
        const Bytes other(recs.size() * qvr::kDiagRecordSize, 0x55);
        swapped = qvr::WriteFileAtomic(path, other.data(), other.size());
    });
    ASSERT_TRUE(qvr::ReadLogByIndex(0, 1, 25, ui.Make(), d));
    qvr::SetMessagePump(nullptr);
    EXPECT_TRUE(swapped);
    EXPECT_EQ(d.rows, Joined(recs, 0, 25));
}

// ---------------------------------------------------------------- by period

TEST_F(LogReadTest, ByPeriodSameBodyButBlockNumber) {
    const auto recs = DiagRecords(30, CtlDateTime(26, 12, 5, 10, 0, 0));
    logs.SetRecords(0, 1, recs);
    const CtlDateTime start(26, 12, 5, 10, 5, 0), end(26, 12, 5, 10, 24, 59);
    Ui ui;
    LogData d;
    ASSERT_TRUE(qvr::ReadLogByPeriod(0, start, end, ui.Make(), d));
    const auto rq = logs.Requests();
    ASSERT_EQ(rq.size(), 2u);
    EXPECT_EQ(rq[0].body, (Bytes{0, 0, 0, 26, 12, 5, 10, 5, 0, 26, 12, 5, 10, 24, 59}));
    Bytes second = rq[0].body;
    second[2] = 1;
    EXPECT_EQ(rq[1].body, second);
    EXPECT_EQ(d.rows, Joined(recs, 5, 20));
    EXPECT_EQ(TempFile("datafile.ala"), Joined(recs, 5, 20));
    EXPECT_EQ(d.mode, qvr::kLogModeByPeriod);
    const auto h = d.header.Bytes();
    EXPECT_EQ(Bytes(h.begin() + 31, h.begin() + 43), (Bytes{26, 12, 5, 10, 5, 0, 26, 12, 5, 10, 24, 59}));
    EXPECT_EQ(d.header.recordCount, 20u);
    EXPECT_EQ(ui.openMax, 1);  // less than an hour
    EXPECT_TRUE(Boxes().empty());

    // A period without records.
    EXPECT_FALSE(qvr::ReadLogByPeriod(0, CtlDateTime(25, 1, 1, 0, 0, 0), CtlDateTime(25, 2, 1, 0, 0, 0), ui.Make(), d));
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Нет данных за указанный период", ""}}));
    // An empty block after one that said more follow (another request's empty answer, late):
    // the first block is shown, and the read says it is short.
    qvr::ClearQuesRecord();
    logs.SetReplyHook([](int index, uint8_t, Bytes& b) {
        if (index == 4) b.assign(4, 0);
    });
    Ui cut;
    ASSERT_TRUE(qvr::ReadLogByPeriod(0, start, end, cut.Make(), d));
    EXPECT_EQ(d.rows, Joined(recs, 5, 11));
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Диагностические сообщения", "прочитаны не полностью"}}));
    EXPECT_EQ(cut.bar.panel2History,
              (std::vector<std::string>{"Команда 8.  Ответ без записей, которые есть в архиве"}));
}

TEST_F(LogReadTest, ByPeriodBlockNumbersWrapToOneAndProgressByHours) {
    // 260 records one per hour, one record a reply: 260 blocks.
    logs.Generate(1, 1, CtlDateTime(26, 1, 1, 0, 30, 0), 260, 60);
    logs.SetMaxPerReply(1);
    Ui ui;
    LogData d;
    const CtlDateTime start(26, 1, 1, 0, 0, 0), end(26, 1, 31, 0, 0, 0);
    ASSERT_TRUE(qvr::ReadLogByPeriod(1, start, end, ui.Make(), d));
    const auto rq = logs.Requests();
    ASSERT_EQ(rq.size(), 260u);
    EXPECT_EQ(rq[0].body[2], 0);
    EXPECT_EQ(rq[1].body[2], 1);
    EXPECT_EQ(rq[255].body[2], 255);
    EXPECT_EQ(rq[256].body[2], 1) << "the 257th block";
    EXPECT_EQ(rq[259].body[2], 4);
    EXPECT_EQ(d.header.recordCount, 260u);
    EXPECT_EQ(ui.openMax, 30 * 24);
    ASSERT_EQ(ui.progress.positions.size(), 260u);
    EXPECT_EQ(ui.progress.positions[0], 0);
    EXPECT_EQ(ui.progress.positions[25], 25);
    EXPECT_EQ(ui.progress.positions[259], 259);
}

TEST_F(LogReadTest, ByPeriodErrorFlagStillShowsRecords) {
    logs.Generate(1, 1, CtlDateTime(26, 1, 1, 0, 0, 0), 25, 1);
    logs.SetErrorFlag(true);
    Ui ui;
    LogData d;
    ASSERT_TRUE(qvr::ReadLogByPeriod(1, CtlDateTime(26, 1, 1, 0, 0, 0), CtlDateTime(26, 1, 2, 0, 0, 0), ui.Make(), d));
    EXPECT_EQ(d.header.recordCount, 25u);
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Обнаружена ошибка", "в архиве сообщений о вмешательствах"}}));
    EXPECT_EQ(ui.closed, 1) << "the message comes after the waiting window is gone";
}

// ---------------------------------------------------------------- bounds

TEST_F(LogReadTest, BoundsOfTheLogs) {
    logs.Generate(0, 100, CtlDateTime(26, 1, 1, 0, 0, 0), 50, 1);
    Bar bar;
    uint32_t oldest = 0, newest = 0;
    ASSERT_TRUE(qvr::ReadLogBounds(0, oldest, newest, &bar));
    EXPECT_EQ(oldest, 100u);
    EXPECT_EQ(newest, 149u);
    // Equal and non-zero: no record.
    link.sim.SetTableBytes(11, 0, {7, 0, 0, 0, 7, 0, 0, 0});
    EXPECT_FALSE(qvr::ReadLogBounds(1, oldest, newest, &bar));
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"В архиве нет ни одной записи", ""}}));
    link.sim.SetTableBytes(11, 0, Bytes(8, 0));
    EXPECT_TRUE(qvr::ReadLogBounds(1, oldest, newest, &bar));
    EXPECT_FALSE(qvr::ReadLogBounds(2, oldest, newest, &bar));
}

// ---------------------------------------------------------------- saved files

namespace {

Bytes LogFile(const char* sig, uint8_t device, uint8_t chromType, uint32_t count, size_t rowSize, uint32_t rowsPresent) {
    Bytes f(qvr::kArchiveFileHeaderSize, 0);
    std::memcpy(f.data(), sig, 3);
    f[3] = device;
    qvr::PutU32(f.data() + 43, count);
    f[47] = chromType;
    for (uint32_t i = 0; i < rowsPresent; ++i) {
        Bytes row(rowSize, 0);
        std::snprintf(reinterpret_cast<char*>(row.data()), 20, "  %02u.12.26", i + 1);
        f.insert(f.end(), row.begin(), row.end());
    }
    return f;
}

}  // namespace

TEST_F(LogReadTest, SavedLogFilesCheckedAndLoaded) {
    const std::string dir = tmp.dir();
    auto write = [&](const std::string& name, const Bytes& b) {
        EXPECT_TRUE(qvr::WriteFileAtomic(dir + name, b.data(), b.size()));
        return dir + name;
    };
    LogData d;
    // Any device byte is accepted in a log file.
    ASSERT_TRUE(qvr::LoadLogFile(0, write("a.ala", LogFile("ALA", 7, 9, 3, 300, 3)), d));
    EXPECT_EQ(d.mode, qvr::kLogModeFromFile);
    EXPECT_EQ(d.header.recordCount, 3u);
    ASSERT_EQ(d.rows.size(), 900u);
    EXPECT_STREQ(reinterpret_cast<const char*>(d.rows.data() + 600), "  03.12.26");
    EXPECT_TRUE(Boxes().empty());

    // Byte 47 other than 9; an intervention file offered as a diagnostic one.
    EXPECT_FALSE(qvr::LoadLogFile(0, write("b.ala", LogFile("ALA", 0, 8, 3, 300, 3)), d));
    EXPECT_FALSE(qvr::LoadLogFile(0, write("c.aud", LogFile("AUD", 0, 9, 1, 205, 1)), d));
    EXPECT_TRUE(qvr::LoadLogFile(1, dir + "c.aud", d));
    EXPECT_EQ(d.rows.size(), 205u);
    EXPECT_EQ(Boxes(), (std::vector<Box>{
                           {"Файл b.ala не является файлом, содержащим",
                            "диагностические сообщения контроллера QVR_Torvane_370"},
                           {"Файл c.aud не является файлом, содержащим",
                            "диагностические сообщения контроллера QVR_Torvane_370"},
                       }));

    // Cut short: the rows present, after a notice; a missing file.
    ASSERT_TRUE(qvr::LoadLogFile(0, write("d.ala", LogFile("ALA", 0, 9, 1000000, 300, 2)), d));
    EXPECT_EQ(d.header.recordCount, 2u);
    EXPECT_EQ(d.rows.size(), 600u);
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Файл d.ala содержит не все записи", "прочитано записей: 2 из 1000000"}}));
    EXPECT_FALSE(qvr::LoadLogFile(0, dir + "none.ala", d));
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, qvr::kQuesError);
    EXPECT_EQ(shown[0].text1, "Ошибка открытия файла");
}
