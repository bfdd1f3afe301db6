// Flow-computer rows: their bytes in a configuration record, the list rules with their
// messages, deleting a row, the moves between rows and the table image, and the reads and
// writes of a controller's flow-computer tables against the simulator.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "common/question.h"
#include "common/stringi.h"
#include "link/tabledir.h"
#include "params/configrecord.h"
#include "params/flowcomputers.h"
#include "params/ui/simlink.h"

using Bytes = std::vector<uint8_t>;

namespace {

FlowComputerEntry Row(int address, int type = 0, int pipelines = 1, int order = 0, const char* password = "") {
    FlowComputerEntry e = EmptyFlowComputer();
    e.address = uint8_t(address);
    e.type = uint8_t(type);
    e.pipelines = uint8_t(pipelines);
    e.byteOrder = uint8_t(order);
    std::memcpy(e.password, password, std::strlen(password));
    return e;
}

std::string Password(const FlowComputerEntry& e) { return std::string(e.password, 16); }

}  // namespace

// A row lands at 399 + 20 i of a record, field by field, and comes back the same.
TEST(FlowComputerRows, BytesAtRecordOffsets) {
    ConfigRecord rec;
    std::memset(rec.bytes, 0xEE, sizeof rec.bytes);
    FlowComputerEntry e = Row(17, 2, 5, 1, "secret");
    FlowComputerToBytes(e, rec.data() + cfgrec::FlowComputerEntry(3));
    const size_t at = 399 + 60;
    EXPECT_EQ(rec[at - 1], 0xEE);
    EXPECT_EQ(rec[at + 0], 17);
    EXPECT_EQ(rec[at + 1], 2);
    EXPECT_EQ(rec[at + 2], 5);
    EXPECT_EQ(rec[at + 3], 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rec.data() + cfgrec::FlowComputerPassword(3)), 16),
              "secret          ");
    EXPECT_EQ(rec[at + 20], 0xEE);
    FlowComputerEntry back = FlowComputerFromBytes(rec.data() + at);
    EXPECT_EQ(std::memcmp(&back, &e, sizeof e), 0);
    // An empty row: zeros with a blank password.
    FlowComputerEntry empty = EmptyFlowComputer();
    EXPECT_EQ(empty.address + empty.type + empty.pipelines + empty.byteOrder, 0);
    EXPECT_EQ(Password(empty), std::string(16, ' '));
}

TEST(FlowComputerRows, CountsAndPipelineMasks) {
    EXPECT_EQ(ClampFlowComputerCount(-1), 0);
    EXPECT_EQ(ClampFlowComputerCount(16), 16);
    EXPECT_EQ(ClampFlowComputerCount(200), 16);
    EXPECT_EQ(PipelineMask(1), 0x01);
    for (int t : {0, 2, 3}) EXPECT_EQ(PipelineMask(t), 0x07);
}

// Every refusal with its two lines; the first failing row wins, then duplicates.
TEST(FlowComputerRows, ListRulesAndMessages) {
    FlowComputerEntry rows[16];
    for (int i = 0; i < 16; ++i) rows[i] = Row(i + 1);
    FlowComputerMessage m;
    EXPECT_TRUE(CheckFlowComputerList(rows, 16, &m));
    // A count past 16 is taken as 16 and never reads past the rows.
    EXPECT_TRUE(CheckFlowComputerList(rows, 255, &m));

    struct Case {
        int row;
        FlowComputerEntry entry;
    } bad[] = {{0, Row(0)}, {2, Row(255)}, {4, Row(9, 4)}, {5, Row(9, 0, 1, 2)}};
    for (const Case& c : bad) {
        FlowComputerEntry copy[16];
        std::memcpy(copy, rows, sizeof copy);
        copy[c.row] = c.entry;
        copy[c.row + 1] = Row(0);  // a later bad row does not win
        ASSERT_FALSE(CheckFlowComputerList(copy, 16, &m));
        EXPECT_EQ(m.line1, "Вычислитель № " + std::to_string(c.row + 1));
        EXPECT_EQ(m.line2, "Неверно заданы параметры");
    }
    // A bad row past the count does not matter.
    FlowComputerEntry copy[16];
    std::memcpy(copy, rows, sizeof copy);
    copy[3] = Row(0);
    EXPECT_TRUE(CheckFlowComputerList(copy, 3, &m));

    copy[3] = Row(2);  // same address as row 2
    copy[7] = Row(5);  // same as row 5, later
    ASSERT_FALSE(CheckFlowComputerList(copy, 16, &m));
    EXPECT_EQ(m.line1, "Повтор адреса 2");
    EXPECT_EQ(m.line2, "");
    // Rows are checked for validity before duplicates.
    copy[10] = Row(1, 7);
    ASSERT_FALSE(CheckFlowComputerList(copy, 16, &m));
    EXPECT_EQ(m.line1, "Вычислитель № 11");
}

// Deleting row 2 of 4 moves rows 3 and 4 up with their "SOU" flags and marks both for
// password writing; the freed slot is empty.
TEST(FlowComputerRows, DeleteMovesRowsAndMarksPasswords) {
    FlowComputerEntry rows[16];
    for (int i = 0; i < 16; ++i) rows[i] = Row(i + 10, 0, 1, 0, "p");
    uint8_t sou[16] = {0, 0, 1, 0};
    uint8_t set[16] = {1, 0, 0, 0};
    int count = 4;
    ASSERT_TRUE(DeleteFlowComputerRow(rows, sou, set, count, 1));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(rows[0].address, 10);
    EXPECT_EQ(rows[1].address, 12);
    EXPECT_EQ(rows[2].address, 13);
    EXPECT_EQ(rows[3].address, 0);
    EXPECT_EQ(Password(rows[3]), std::string(16, ' '));
    EXPECT_EQ(sou[1], 1);
    EXPECT_EQ(sou[2], 0);
    EXPECT_EQ(set[0], 1);
    EXPECT_EQ(set[1], 1);
    EXPECT_EQ(set[2], 1);
    // The last row: nothing moves, nothing is marked.
    std::memset(set, 0, sizeof set);
    ASSERT_TRUE(DeleteFlowComputerRow(rows, sou, set, count, 2));
    EXPECT_EQ(count, 2);
    for (uint8_t f : set) EXPECT_EQ(f, 0);
    // Refused: a row outside the list, or the only row.
    EXPECT_FALSE(DeleteFlowComputerRow(rows, sou, set, count, 2));
    EXPECT_FALSE(DeleteFlowComputerRow(rows, sou, set, count, -1));
    count = 1;
    EXPECT_FALSE(DeleteFlowComputerRow(rows, sou, set, count, 0));
    EXPECT_EQ(count, 1);
}

// Rows come from tables 18, 17, 19, 20 and go back with the passwords into table 13.
TEST(FlowComputerRows, ImageMoves) {
    std::memset(g_TableMemory, 0, kTableMemorySize);
    for (int i = 0; i < 16; ++i) {
        TablePtr(17)[i] = uint8_t(i % 4);
        TablePtr(18)[i] = uint8_t(100 + i);
        TablePtr(19)[i] = uint8_t(i);
        TablePtr(20)[i] = uint8_t(i & 1);
    }
    FlowComputerEntry rows[16];
    FlowComputerRowsFromImage(rows, 3);
    EXPECT_EQ(rows[2].address, 102);
    EXPECT_EQ(rows[2].type, 2);
    EXPECT_EQ(rows[2].pipelines, 2);
    EXPECT_EQ(rows[2].byteOrder, 0);
    EXPECT_EQ(Password(rows[2]), std::string(16, ' '));
    EXPECT_EQ(rows[3].address, 0);  // past n: empty
    // A count past 16 gives 16 rows and no more.
    FlowComputerRowsFromImage(rows, 40);
    EXPECT_EQ(rows[15].address, 115);

    rows[0] = Row(7, 3, 6, 1, "abc");
    rows[1] = Row(8, 1, 1, 0, "0123456789ABCDEF");
    std::memset(TablePtr(13), 'x', TableSize(13));
    FlowComputerRowsToImage(rows, 2);
    EXPECT_EQ(TablePtr(9)[0], 2);
    EXPECT_EQ(TablePtr(18)[0], 7);
    EXPECT_EQ(TablePtr(17)[0], 3);
    EXPECT_EQ(TablePtr(19)[0], 6);
    EXPECT_EQ(TablePtr(20)[0], 1);
    EXPECT_EQ(TablePtr(18)[1], 8);
    EXPECT_EQ(TablePtr(18)[2], 102);  // past the count: untouched
    EXPECT_EQ(std::string(reinterpret_cast<char*>(FieldPtr(13, 0)), 16), "abc             ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(FieldPtr(13, 1)), 16), "0123456789ABCDEF");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(FieldPtr(13, 2)), 16), std::string(16, 'x'));
    FlowComputerRowsToImage(rows, 99);
    EXPECT_EQ(TablePtr(9)[0], 16);
}

// ---------------------------------------------------------------- against the simulator

namespace {

// One table request as the simulator received it: function, table, first, count, and the
// data of a write.
struct Req {
    int function, table, first, count;
    Bytes data;
};

class FlowComputerTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        qvr::InitStringTable();
        ASSERT_FALSE(link.path.empty());
        ASSERT_TRUE(link.Attach(3));
        std::memset(g_TableMemory, 0, kTableMemorySize);
        qvr::ClearQuesRecord();
    }
    void TearDown() override { qvr::ClearQuesRecord(); }

    std::vector<Req> Requests() {
        std::vector<Req> out;
        for (const Bytes& f : link.sim.Requests()) {
            if (f.size() > 7 && f[3] == 1) out.push_back({1, f[5], f[6], f[7], {}});
            if (f.size() > 23 && f[3] == 2)
                out.push_back({2, f[21], f[22], f[23], Bytes(f.begin() + 24, f.end() - 2)});
        }
        return out;
    }
    // The controller holds n flow computers with distinct values in tables 17..20.
    void Controller(int n) {
        link.sim.SetTableBytes(9, 0, {uint8_t(n), 4, 2, 100, 3, 1, 0, 1});
        Bytes t17(16), t18(16), t19(16), t20(16);
        for (int i = 0; i < 16; ++i) {
            t17[i] = uint8_t(i % 4);
            t18[i] = uint8_t(20 + i);
            t19[i] = uint8_t(i % 8);
            t20[i] = uint8_t(i % 2);
        }
        link.sim.SetTableBytes(17, 0, t17);
        link.sim.SetTableBytes(18, 0, t18);
        link.sim.SetTableBytes(19, 0, t19);
        link.sim.SetTableBytes(20, 0, t20);
        link.sim.SetTableBytes(13, 0, Bytes(256, 'o'));
    }

    SimLink link{3, 64};
};

}  // namespace

// Count first, then the four tables for that many fields; the old copies hold what was
// read and zeros past it.
TEST_F(FlowComputerTablesTest, ReadsCountThenRowTables) {
    Controller(3);
    FlowComputerTables t;
    ASSERT_TRUE(ReadFlowComputerTables(&t, nullptr, true));
    EXPECT_EQ(t.reportedCount, 3);
    EXPECT_EQ(t.count, 3);
    auto reqs = Requests();
    ASSERT_EQ(reqs.size(), 5u);
    const int order[5][3] = {{9, 0, 1}, {17, 0, 3}, {18, 0, 3}, {19, 0, 3}, {20, 0, 3}};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(reqs[k].function, 1);
        EXPECT_EQ(reqs[k].table, order[k][0]);
        EXPECT_EQ(reqs[k].first, order[k][1]);
        EXPECT_EQ(reqs[k].count, order[k][2]);
    }
    EXPECT_EQ(t.old18[0], 20);
    EXPECT_EQ(t.old18[2], 22);
    EXPECT_EQ(t.old18[3], 0);
    EXPECT_EQ(t.old17[3], 0);
    EXPECT_EQ(TablePtr(18)[1], 21);
    EXPECT_EQ(TablePtr(9)[1], 0);  // only field 0 of table 9 was read
}

// A controller reporting more than 16 flow computers: 16 are read, and the count written
// back is what the list accepted.
TEST_F(FlowComputerTablesTest, CountPastSixteenIsClampedAndRewritten) {
    Controller(40);
    FlowComputerTables t;
    ASSERT_TRUE(ReadFlowComputerTables(&t, nullptr, true));
    EXPECT_EQ(t.reportedCount, 40);
    EXPECT_EQ(t.count, 16);
    EXPECT_EQ(Requests().back().count, 16);
    FlowComputerEntry rows[16];
    FlowComputerRowsFromImage(rows, t.count);
    FlowComputerRowsToImage(rows, 16);
    link.sim.ClearLog();
    uint8_t set[16] = {};
    ASSERT_TRUE(WriteFlowComputerTables(t, set, nullptr, nullptr));
    auto reqs = Requests();
    ASSERT_EQ(reqs.size(), 1u);  // rows unchanged: only the count
    EXPECT_EQ(reqs[0].table, 9);
    EXPECT_EQ(reqs[0].count, 1);
    EXPECT_EQ(link.sim.TableBytes(9)[0], 16);
}

TEST_F(FlowComputerTablesTest, NoFlowComputersReadsOnlyTheCount) {
    Controller(0);
    FlowComputerTables t;
    ASSERT_TRUE(ReadFlowComputerTables(&t, nullptr, true));
    EXPECT_EQ(t.count, 0);
    EXPECT_EQ(Requests().size(), 1u);
}

// Unchanged count: no table 9 write; only changed fields of 17..20; a row added past those
// read is written whole even where it holds zeros; passwords only for flagged rows.
TEST_F(FlowComputerTablesTest, WritesChangesAddedRowsAndFlaggedPasswords) {
    Controller(2);
    FlowComputerTables t;
    ASSERT_TRUE(ReadFlowComputerTables(&t, nullptr, true));
    FlowComputerEntry rows[16];
    FlowComputerRowsFromImage(rows, 2);
    rows[1].address = 77;             // table 18 field 1 changes
    rows[2] = Row(78, 0, 0, 0, "new");  // added: zeros in 17, 19, 20 still go out
    FlowComputerRowsToImage(rows, 3);
    uint8_t set[16] = {0, 0, 1};
    set[5] = 1;  // past the count: ignored
    link.sim.ClearLog();
    ASSERT_TRUE(WriteFlowComputerTables(t, set, nullptr, nullptr));
    auto reqs = Requests();
    ASSERT_EQ(reqs.size(), 6u);
    EXPECT_EQ(reqs[0].table, 9);  // the count changed 2 -> 3
    EXPECT_EQ(reqs[0].data, Bytes{3});
    EXPECT_EQ(reqs[1].table, 17);
    EXPECT_EQ(reqs[1].first, 2);
    EXPECT_EQ(reqs[1].data, Bytes{0});
    EXPECT_EQ(reqs[2].table, 18);
    EXPECT_EQ(reqs[2].first, 1);
    EXPECT_EQ(reqs[2].data, (Bytes{77, 78}));
    EXPECT_EQ(reqs[3].table, 19);
    EXPECT_EQ(reqs[4].table, 20);
    EXPECT_EQ(reqs[5].table, 13);
    EXPECT_EQ(reqs[5].first, 2);
    EXPECT_EQ(reqs[5].count, 1);
    EXPECT_EQ(std::string(reqs[5].data.begin(), reqs[5].data.end()), "new             ");
    EXPECT_EQ(link.sim.TableBytes(19)[2], 0);  // was 2 in the controller
    EXPECT_EQ(link.sim.TableBytes(20)[2], 0);  // was 0: written all the same
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(link.sim.TableBytes(13).data()), 16), std::string(16, 'o'));

    // Nothing changed and nothing flagged: no exchange at all.
    ASSERT_TRUE(ReadFlowComputerTables(&t, nullptr, true));
    link.sim.ClearLog();
    uint8_t none[16] = {};
    ASSERT_TRUE(WriteFlowComputerTables(t, none, nullptr, nullptr));
    EXPECT_TRUE(Requests().empty());
}

// After the link form raised the count: the four tables are read for the image's count,
// and table 9 goes out against the copy taken before that form.
TEST_F(FlowComputerTablesTest, RaisedCountWritesTableNineAgainstItsOldCopy) {
    Controller(1);
    const uint8_t oldTable9[8] = {1, 4, 2, 100, 3, 1, 0, 1};
    std::memcpy(TablePtr(9), oldTable9, 8);
    TablePtr(9)[0] = 2;  // raised by the link form
    TablePtr(9)[3] = 50;
    FlowComputerTables t;
    ASSERT_TRUE(ReadFlowComputerTables(&t, nullptr, false));
    EXPECT_EQ(t.count, 2);
    auto reqs = Requests();
    ASSERT_EQ(reqs.size(), 4u);
    EXPECT_EQ(reqs[0].table, 17);
    EXPECT_EQ(reqs[0].count, 2);
    FlowComputerEntry rows[16];
    FlowComputerRowsFromImage(rows, 2);
    FlowComputerRowsToImage(rows, 2);
    link.sim.ClearLog();
    ASSERT_TRUE(WriteFlowComputerTables(t, nullptr, oldTable9, nullptr));
    reqs = Requests();
    ASSERT_FALSE(reqs.empty());
    EXPECT_EQ(reqs[0].table, 9);
    EXPECT_EQ(link.sim.TableBytes(9)[0], 2);
    EXPECT_EQ(link.sim.TableBytes(9)[3], 50);
}

// A refused read or write ends the sequence there.
TEST_F(FlowComputerTablesTest, FailuresStopTheSequence) {
    Controller(2);
    ctlsim::Faults f;
    f.failWriteTable = 18;
    FlowComputerTables t;
    ASSERT_TRUE(ReadFlowComputerTables(&t, nullptr, true));
    FlowComputerEntry rows[16];
    FlowComputerRowsFromImage(rows, 2);
    rows[0].address = 90;
    rows[0].type = 3;
    FlowComputerRowsToImage(rows, 2);
    uint8_t set[16] = {1, 1};
    link.sim.SetFaults(f);
    link.sim.ClearLog();
    qvr::QueueQuesAnswers({0});  // no retry
    EXPECT_FALSE(WriteFlowComputerTables(t, set, nullptr, nullptr));
    auto reqs = Requests();
    ASSERT_EQ(reqs.size(), 2u);  // 17, then 18 refused; nothing after
    EXPECT_EQ(reqs[1].table, 18);

    link.sim.ClearFaults();
    ctlsim::Faults g;
    g.negativeCode = 30;
    link.sim.SetFaults(g);
    link.sim.ClearLog();
    qvr::QueueQuesAnswers({0});
    EXPECT_FALSE(ReadFlowComputerTables(&t, nullptr, true));
    EXPECT_EQ(Requests().size(), 1u);
    FlowComputerStateBlock block;
    qvr::QueueQuesAnswers({0});
    EXPECT_FALSE(ReadFlowComputerStates(&block, nullptr));
}

// The exchange state: addresses, link and writing flags for the n flow computers, zeros
// past them.
TEST_F(FlowComputerTablesTest, ReadsExchangeStates) {
    Controller(3);
    link.sim.SetTableBytes(34, 0, Bytes{1, 0, 1, 1, 1});
    link.sim.SetTableBytes(35, 0, Bytes{0, 1, 1, 1, 1});
    FlowComputerStateBlock block;
    std::memset(&block, 0xAA, sizeof block);
    ASSERT_TRUE(ReadFlowComputerStates(&block, nullptr));
    auto reqs = Requests();
    ASSERT_EQ(reqs.size(), 4u);
    EXPECT_EQ(reqs[1].table, 18);
    EXPECT_EQ(reqs[2].table, 34);
    EXPECT_EQ(reqs[3].table, 35);
    EXPECT_EQ(reqs[3].count, 3);
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&block);
    const uint8_t expect[48] = {20, 21, 22, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                                1,  0,  1,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                                0,  1,  1,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(b, expect, 48), 0);
}
