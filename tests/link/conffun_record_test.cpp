// Copies between the table image and a configuration record: offsets, the user-block
// checks with their messages, the address checks, and the round trip.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/question.h"
#include "common/stringi.h"
#include "link/conffun.h"
#include "params/configrecord.h"

using Bytes = std::vector<uint8_t>;
using namespace cfgrec;

namespace {

void Put(ConfigRecord& r, size_t at, const std::string& s) { std::memcpy(r.data() + at, s.data(), s.size()); }

void Fill(uint8_t* p, size_t n, uint8_t seed) {
    for (size_t i = 0; i < n; ++i) p[i] = uint8_t(seed + i * 3);
}

Bytes Rec(const ConfigRecord& r, size_t at, size_t n) { return Bytes(r.data() + at, r.data() + at + n); }
Bytes Img(int table, size_t from, size_t n) { return Bytes(TablePtr(table) + from, TablePtr(table) + from + n); }

void SetUser(ConfigRecord& r, int i, const std::string& name, uint8_t level, const std::string& code) {
    const size_t e = UserEntry(size_t(i));
    Put(r, e + kUserName, name);
    r[e + kUserLevel] = level;
    Put(r, e + kUserPassword, "secret      ");
    Put(r, e + kUserCode, code);
}

// A record that passes every check: two users, three flow computers.
ConfigRecord GoodRecord() {
    ConfigRecord r;
    std::memset(r.data(), 0, kSize);
    Put(r, kName, "  \xCA\xC2\xD0-7            ");
    const uint8_t t3[] = {7, 11, 3, 0};
    std::memcpy(r.data() + kTable3, t3, 4);
    for (int i = 0; i < 16; ++i) {
        const size_t e = UserEntry(size_t(i));
        std::memset(r.data() + e, ' ', kUserEntrySize);
        r[e + kUserLevel] = 0;
        r[e + kUserReserved] = 0;
    }
    SetUser(r, 0, "ADM1", 1, "0001");
    SetUser(r, 1, "OPR2", 3, "0002");
    Fill(r.data() + kTable6, kTable6Size, 60);
    Fill(r.data() + kTable14, kTable14Size, 140);
    r[kTable14] = 1;
    Fill(r.data() + kTable15, kTable15Size, 150);
    r[kTable15] = 2;
    Fill(r.data() + kTable9, kTable9Size, 90);
    r[kFlowComputerNumber] = 3;
    for (int i = 0; i < 3; ++i) {
        const size_t e = FlowComputerEntry(size_t(i));
        r[e + kFcAddress] = uint8_t(10 + i);
        r[e + kFcType] = uint8_t(20 + i);
        r[e + kFcPipelines] = uint8_t(30 + i);
        r[e + kFcByteOrder] = uint8_t(i & 1);
        Put(r, e + kFcPassword, "fc-password-" + std::to_string(1000 + i));
    }
    Fill(r.data() + kTable21, kTable21Size, 210);
    for (int t = 22; t <= 26; ++t) Fill(r.data() + LimitTableOffset(t), kLimitTableSize, uint8_t(t));
    Fill(r.data() + kTable28, kTable28Size, 28);
    Fill(r.data() + kTable29, kTable29Size, 29);
    return r;
}

class RecordCopy : public ::testing::Test {
protected:
    void SetUp() override {
        qvr::InitStringTable();
        std::memset(g_TableMemory, 0xAA, kTableMemorySize);
        qvr::ClearQuesRecord();
    }
    void TearDown() override { qvr::ClearQuesRecord(); }
    // The one message shown, as kind / line 1 / line 2.
    std::string Message() {
        auto shown = qvr::ShownQues();
        if (shown.size() != 1) return "boxes: " + std::to_string(shown.size());
        return std::to_string(shown[0].kind) + "|" + shown[0].text1 + "|" + shown[0].text2;
    }
};

}  // namespace

// A good record lands in the image at the table offsets; unused user entries are blanked
// and the reserved bytes cleared, in the record too.
TEST_F(RecordCopy, LoadGoodRecord) {
    ConfigRecord r = GoodRecord();
    const size_t junk = UserEntry(5);
    Put(r, junk + kUserName, "JUNK");
    Put(r, junk + kUserCode, "9999");
    r[UserEntry(0) + kUserReserved] = 7;
    ASSERT_TRUE(LoadConfigRecord(&r, 1));
    EXPECT_TRUE(qvr::ShownQues().empty());

    Bytes blankEntry(kUserEntrySize, ' ');
    blankEntry[kUserLevel] = 0;
    blankEntry[kUserReserved] = 0;
    EXPECT_EQ(Rec(r, junk, kUserEntrySize), blankEntry);
    EXPECT_EQ(r[UserEntry(0) + kUserReserved], 0);

    EXPECT_EQ(Img(5, 0, 20), Rec(r, kName, 20));
    EXPECT_EQ(Img(3, 0, 4), Rec(r, kTable3, 4));
    EXPECT_EQ(Img(4, 0, 352), Rec(r, kUsers, kUsersSize));
    EXPECT_EQ(Img(6, 0, 10), Rec(r, kTable6, 10));
    EXPECT_EQ(Img(14, 0, 8), Rec(r, kTable14, 8));
    EXPECT_EQ(Img(15, 0, 8), Rec(r, kTable15, 8));
    EXPECT_EQ(Img(9, 0, 8), Rec(r, kTable9, 8));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(FieldPtr(18, i)[0], 10 + i);
        EXPECT_EQ(FieldPtr(17, i)[0], 20 + i);
        EXPECT_EQ(FieldPtr(19, i)[0], 30 + i);
        EXPECT_EQ(FieldPtr(20, i)[0], i & 1);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(FieldPtr(13, i)), 16), "fc-password-" + std::to_string(1000 + i));
    }
    // Fields of absent flow computers stay as they were.
    EXPECT_EQ(FieldPtr(18, 3)[0], 0xAA);
    EXPECT_EQ(FieldPtr(13, 3)[0], 0xAA);
    EXPECT_EQ(Img(21, 0, 20), Rec(r, kTable21, 20));
    for (int t = 22; t <= 26; ++t) EXPECT_EQ(Img(t, 0, 80), Rec(r, LimitTableOffset(t), 80)) << t;
    EXPECT_EQ(Img(28, 0, 2), Rec(r, kTable28, 2));
    EXPECT_EQ(Img(29, 0, 28), Rec(r, kTable29, 28));
    // Not in the record: identification and clock stay.
    EXPECT_EQ(Img(0, 0, 18), Bytes(18, 0xAA));
    EXPECT_EQ(Img(2, 0, 8), Bytes(8, 0xAA));

    // Without the user checks table 4 is left alone.
    std::memset(TablePtr(4), 0x11, 352);
    ConfigRecord r2 = GoodRecord();
    r2[UserEntry(0) + kUserLevel] = 0;  // would fail the check
    ASSERT_TRUE(LoadConfigRecord(&r2, 0));
    EXPECT_EQ(Img(4, 0, 352), Bytes(352, 0x11));
}

// Every bad user block is refused with its message; the tables copied before stay.
TEST_F(RecordCopy, LoadRefusesBadUserBlocks) {
    struct Case {
        const char* what;
        void (*edit)(ConfigRecord&);
        std::string message;
    };
    const Case cases[] = {
        {"no manufacturer", [](ConfigRecord& r) { r[UserEntry(0) + kUserLevel] = 2; },
         "2|В списке зарегистрированных пользователей|не зарегистрирован производитель-наладчик"},
        {"two manufacturers", [](ConfigRecord& r) { r[UserEntry(1) + kUserLevel] = 1; },
         "2|Может быть зарегистрирован|только один производитель-наладчик"},
        {"blank name", [](ConfigRecord& r) { Put(r, UserEntry(1) + kUserName, "    "); },
         "2|Номер пользователя в таблице: 2.|Не задано имя пользователя"},
        {"empty code", [](ConfigRecord& r) { r[UserEntry(1) + kUserCode] = 0; },
         "2|Номер пользователя в таблице: 2.|Не задан код идентификации пользователя"},
        {"blank code", [](ConfigRecord& r) { Put(r, UserEntry(0) + kUserCode, "    "); },
         "2|Номер пользователя в таблице: 1.|Не задан код идентификации пользователя"},
        {"same names", [](ConfigRecord& r) { SetUser(r, 6, "OPR2", 4, "0007"); },
         "2|Пользователи   2 и 7.|Совпадение имен пользователей"},
        {"same codes", [](ConfigRecord& r) { SetUser(r, 3, "OPR4", 2, "0001"); },
         "2|Пользователи   1 и 4.|Совпадение кодов идентификации пользователя"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::memset(g_TableMemory, 0xAA, kTableMemorySize);
        qvr::ClearQuesRecord();
        ConfigRecord r = GoodRecord();
        c.edit(r);
        EXPECT_FALSE(LoadConfigRecord(&r, 1));
        EXPECT_EQ(Message(), c.message);
        EXPECT_EQ(Img(5, 0, 20), Rec(r, kName, 20));  // copied before the check
        EXPECT_EQ(Img(4, 0, 352), Bytes(352, 0xAA));
        EXPECT_EQ(Img(6, 0, 10), Bytes(10, 0xAA));
    }
    // A level outside 1..4 is neither checked nor blanked.
    ConfigRecord r = GoodRecord();
    r[UserEntry(9) + kUserLevel] = 7;
    qvr::ClearQuesRecord();
    EXPECT_TRUE(LoadConfigRecord(&r, 1));
}

// Zero device addresses and too many flow computers are refused.
TEST_F(RecordCopy, LoadRefusesBadAddresses) {
    ConfigRecord r = GoodRecord();
    r[kTable14] = 0;
    EXPECT_FALSE(LoadConfigRecord(&r, 1));
    EXPECT_EQ(Message(), "2|Неверно задан адрес хроматографа|");
    EXPECT_EQ(Img(6, 0, 10), Rec(r, kTable6, 10));
    EXPECT_EQ(Img(14, 0, 8), Bytes(8, 0xAA));

    qvr::ClearQuesRecord();
    r = GoodRecord();
    r[kTable15] = 0;
    EXPECT_FALSE(LoadConfigRecord(&r, 0));
    EXPECT_EQ(Message(), "2|Неверно задан адрес влагомера|");
    EXPECT_EQ(Img(14, 0, 8), Rec(r, kTable14, 8));

    qvr::ClearQuesRecord();
    r = GoodRecord();
    r[FlowComputerEntry(2) + kFcAddress] = 0;
    r[FlowComputerEntry(3) + kFcAddress] = 0;  // beyond the count: not looked at
    EXPECT_FALSE(LoadConfigRecord(&r, 0));
    EXPECT_EQ(Message(), "2|Неверно заданы адреса вычислителей РГ|");

    qvr::ClearQuesRecord();
    r = GoodRecord();
    r[FlowComputerEntry(2) + kFcAddress] = 12;
    r[kFlowComputerNumber] = 17;
    std::memset(g_TableMemory, 0xAA, kTableMemorySize);
    EXPECT_FALSE(LoadConfigRecord(&r, 0));
    EXPECT_EQ(Message(), "2|Неверно задано число вычислителей РГ: 17.|Допускается не более 16.");
    EXPECT_EQ(Img(9, 0, 8), Bytes(8, 0xAA));

    qvr::ClearQuesRecord();
    r[kFlowComputerNumber] = 0;  // none at all is fine
    EXPECT_TRUE(LoadConfigRecord(&r, 0));
    EXPECT_TRUE(qvr::ShownQues().empty());
}

// Image -> record at the offsets, reserved bytes untouched, passwords blank; then back.
TEST_F(RecordCopy, StoreThenLoadRoundTrip) {
    Fill(g_TableMemory, kTableMemorySize, 1);
    TablePtr(9)[0] = 16;
    TablePtr(14)[0] = 1;
    TablePtr(15)[0] = 1;
    for (int i = 0; i < 16; ++i) FieldPtr(18, i)[0] = uint8_t(100 + i);
    ConfigRecord users = GoodRecord();
    std::memcpy(TablePtr(4), users.data() + kUsers, kUsersSize);
    const Bytes image(g_TableMemory, g_TableMemory + kTableMemorySize);

    ConfigRecord r;
    std::memset(r.data(), 0x5A, kSize);
    StoreConfigRecord(&r);
    EXPECT_EQ(r[kOrigin], 1);
    EXPECT_EQ(Rec(r, kIdent, 18), Img(0, 0, 18));
    EXPECT_EQ(Rec(r, kName, 20), Img(5, 0, 20));
    EXPECT_EQ(Rec(r, kTable3, 4), Img(3, 0, 4));
    EXPECT_EQ(Rec(r, kUsers, kUsersSize), Img(4, 0, 352));
    EXPECT_EQ(Rec(r, kTable6, 10), Img(6, 0, 10));
    EXPECT_EQ(Rec(r, kTable14, 8), Img(14, 0, 8));
    EXPECT_EQ(Rec(r, kTable15, 8), Img(15, 0, 8));
    EXPECT_EQ(Rec(r, kTable9, 8), Img(9, 0, 8));
    for (int i = 0; i < 16; ++i) {
        const size_t e = FlowComputerEntry(size_t(i));
        EXPECT_EQ(r[e + kFcAddress], FieldPtr(18, i)[0]);
        EXPECT_EQ(r[e + kFcType], FieldPtr(17, i)[0]);
        EXPECT_EQ(r[e + kFcPipelines], FieldPtr(19, i)[0]);
        EXPECT_EQ(r[e + kFcByteOrder], FieldPtr(20, i)[0]);
        EXPECT_EQ(Rec(r, e + kFcPassword, 16), Bytes(16, ' '));
    }
    EXPECT_EQ(Rec(r, kTable21, 20), Img(21, 0, 20));
    for (int t = 22; t <= 26; ++t) EXPECT_EQ(Rec(r, LimitTableOffset(t), 80), Img(t, 0, 80));
    EXPECT_EQ(Rec(r, kTable28, 2), Img(28, 0, 2));
    EXPECT_EQ(Rec(r, kTable29, 28), Img(29, 0, 28));
    // Reserved areas stay as the caller prepared them.
    const std::pair<size_t, size_t> reserved[] = {{19, 10},   {49, 20},   {73, 100},  {183, 100}, {291, 50},
                                                  {349, 50},  {719, 100}, {839, 100}, {1019, 100}, {1199, 100},
                                                  {1379, 100}, {1559, 100}, {1739, 100}, {1841, 100}, {2293, 52},
                                                  {2373, 20}, {2401, 200}};
    for (auto [at, n] : reserved) EXPECT_EQ(Rec(r, at, n), Bytes(n, 0x5A)) << at;

    // Back into a cleared image: every configuration table returns, table 13 as blanks.
    std::memset(g_TableMemory, 0, kTableMemorySize);
    ASSERT_TRUE(LoadConfigRecord(&r, 1)) << Message();
    for (int t = 0; t < kTableCount; ++t) {
        if (!IsConfigTable(t) || t == 2 || t == 13) continue;
        EXPECT_EQ(Img(t, 0, TableSize(t)), Bytes(image.begin() + TableOffset(t), image.begin() + TableOffset(t) + TableSize(t))) << t;
    }
    EXPECT_EQ(Img(13, 0, 256), Bytes(256, ' '));
}

// An image with more flow computers than the tables hold stores only 16 of them.
TEST_F(RecordCopy, StoreClampsFlowComputerCount) {
    std::memset(g_TableMemory, 3, kTableMemorySize);
    TablePtr(9)[0] = 200;
    ConfigRecord r;
    std::memset(r.data(), 0x5A, kSize);
    StoreConfigRecord(&r);
    EXPECT_EQ(r[kFlowComputerNumber], 16);
    EXPECT_EQ(r[FlowComputerEntry(15) + kFcAddress], 3);
    EXPECT_EQ(Rec(r, 719, 100), Bytes(100, 0x5A));
    EXPECT_EQ(Rec(r, 819 + 20, 100), Bytes(100, 0x5A));
}
