// The users table: entry layout, the table rules with their messages, and the change of one
// entry as the change form applies it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/question.h"
#include "params/users.h"

namespace {

UserEntry Make(const char* name, int level, const char* code, const char* password = "") {
    UserEntry e;
    PadField(e.name, 4, name);
    e.accessLevel = uint8_t(level);
    e.reserved = 7;
    PadField(e.writePassword, 12, password);
    PadField(e.idCode, 4, code);
    return e;
}

// A valid table: the maker in row 1, an administrator in row 3, the rest free.
struct Table {
    UserEntry u[kUserCount];
    Table() {
        for (auto& e : u) e = Make("", 0, "");
        u[0] = Make("MAK", 1, "1111", "pw1");
        u[2] = Make("ADM", 2, "2222", "pw2");
    }
};

UsersMessage Check(Table& t) {
    UsersMessage m;
    EXPECT_FALSE(CheckUsersTable(t.u, &m));
    return m;
}

}  // namespace

TEST(UserEntryLayout, FieldsAtTheirOffsets) {
    static_assert(kUsersBlockSize == 352);
    UserEntry e = Make("AB", 3, "12", "pass");
    uint8_t b[22];
    std::memset(b, 0xEE, sizeof b);
    UserEntryToBytes(e, b);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 4), "AB  ");
    EXPECT_EQ(b[4], 3);
    EXPECT_EQ(b[5], 7);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b + 6), 12), "pass        ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b + 18), 4), "12  ");
    UserEntry back = UserEntryFromBytes(b);
    EXPECT_EQ(std::memcmp(&back, &e, sizeof e), 0);

    uint8_t block[kUsersBlockSize] = {};
    Table t;
    UsersToBytes(t.u, block);
    EXPECT_EQ(block[2 * 22 + 4], 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block + 2 * 22 + 18), 4), "2222");
    EXPECT_EQ(TrimmedField("  AB ", 5), "AB");
    EXPECT_EQ(TrimmedField("    ", 4), "");
}

TEST(UsersRules, ValidTableIsNormalised) {
    Table t;
    std::memcpy(t.u[5].name, "JUNK", 4);  // a free entry with leftovers
    std::memcpy(t.u[5].idCode, "1111", 4);
    UsersMessage m;
    ASSERT_TRUE(CheckUsersTable(t.u, &m)) << m.line1 << " / " << m.line2;
    EXPECT_TRUE(IsBlankField(t.u[5].name, 4));
    EXPECT_TRUE(IsBlankField(t.u[5].idCode, 4));
    EXPECT_TRUE(IsBlankField(t.u[5].writePassword, 12));
    for (auto& e : t.u) EXPECT_EQ(e.reserved, 0);
    EXPECT_EQ(TrimmedField(t.u[0].writePassword, 12), "pw1");
}

TEST(UsersRules, MakerCount) {
    Table t;
    t.u[0].accessLevel = 4;
    UsersMessage m = Check(t);
    EXPECT_EQ(m.line1, "В списке зарегистрированных пользователей");
    EXPECT_EQ(m.line2, "не зарегистрирован производитель-наладчик");

    Table t2;
    t2.u[7] = Make("MK2", 1, "7777");
    m = Check(t2);
    EXPECT_EQ(m.line1, "Может быть зарегистрирован");
    EXPECT_EQ(m.line2, "только один производитель-наладчик");
}

TEST(UsersRules, NameAndCodeGiven) {
    Table t;
    t.u[4] = Make("", 3, "5555");
    UsersMessage m = Check(t);
    EXPECT_EQ(m.line1, "Номер пользователя в таблице: 5.");
    EXPECT_EQ(m.line2, "Не задано имя пользователя");

    Table t2;
    t2.u[4] = Make("ENG", 3, "");
    m = Check(t2);
    EXPECT_EQ(m.line1, "Номер пользователя в таблице: 5.");
    EXPECT_EQ(m.line2, "Не задан код идентификации пользователя");

    // A code whose first byte is 0, as a configuration record may hold.
    Table t3;
    t3.u[4] = Make("ENG", 3, "5555");
    t3.u[4].idCode[0] = 0;
    m = Check(t3);
    EXPECT_EQ(m.line2, "Не задан код идентификации пользователя");
}

// Names that differ only by trailing blanks are the same after padding; the first failure in
// table order is reported.
TEST(UsersRules, DuplicateNamesAndCodes) {
    Table t;
    t.u[9] = Make("ADM ", 4, "9999");
    UsersMessage m = Check(t);
    EXPECT_EQ(m.line1, "Пользователи   3 и 10.");
    EXPECT_EQ(m.line2, "Совпадение имен пользователей");

    Table t2;
    t2.u[9] = Make("OPR", 4, "2222");
    m = Check(t2);
    EXPECT_EQ(m.line1, "Пользователи   3 и 10.");
    EXPECT_EQ(m.line2, "Совпадение кодов идентификации пользователя");

    // Row 2's missing name is found before row 3's duplicate.
    Table t3;
    t3.u[1] = Make("", 4, "3333");
    t3.u[9] = Make("OPR", 4, "2222");
    m = Check(t3);
    EXPECT_EQ(m.line1, "Номер пользователя в таблице: 2.");
}

TEST(UsersRules, BlankPasswordAccepted) {
    Table t;
    t.u[3] = Make("OP", 4, "44", "");
    EXPECT_TRUE(CheckUsersTable(t.u));
}

TEST(UsersRules, RefusalShownAsInputError) {
    qvr::ClearQuesRecord();
    Table t;
    t.u[0].accessLevel = 0;
    uint8_t block[kUsersBlockSize];
    UsersToBytes(t.u, block);
    EXPECT_FALSE(ValidateUsersBlock(block));
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, qvr::kQuesInputError);
    EXPECT_EQ(shown[0].text2, "не зарегистрирован производитель-наладчик");
    // The free entry was blanked in the block too.
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 4), "    ");
    qvr::ClearQuesRecord();
}

// ---------------------------------------------------------------- change of one entry

namespace {
UserChange Change(int index, int level, std::string name = "", std::string code = "", std::string pw = "") {
    UserChange c;
    c.index = index;
    c.level = level;
    c.name = name;
    c.code = c.codeConfirm = code;
    c.password = c.passwordConfirm = pw;
    return c;
}
}  // namespace

TEST(UserChangeRules, MakerAndOnlyAdministratorStay) {
    Table t;
    t.u[5] = Make("OPR", 4, "5555");
    Table before = t;
    auto r = ApplyUserChange(t.u, Change(0, 2, "MAK", "1111"));
    EXPECT_EQ(r.outcome, UserChangeOutcome::Refused);
    EXPECT_EQ(r.message.line1, "Вы не можете удалить пользователя");
    EXPECT_EQ(r.message.line2, "с уровнем доступа \"Производитель-наладчик\"");

    r = ApplyUserChange(t.u, Change(5, 1, "OPR", "5555"));
    EXPECT_EQ(r.message.line1, "Может быть зарегистрирован");
    EXPECT_EQ(r.message.line2, "только один производитель-наладчик");

    for (int level : {4, 0}) {
        r = ApplyUserChange(t.u, Change(2, level, "ADM", "2222"));
        EXPECT_EQ(r.outcome, UserChangeOutcome::Refused);
        EXPECT_EQ(r.message.line1, "Вы не можете удалить единственного пользователя");
        EXPECT_EQ(r.message.line2, "с уровнем доступа \"Администратор\"");
    }
    EXPECT_EQ(std::memcmp(t.u, before.u, sizeof t.u), 0);

    // With a second administrator the first may go.
    t.u[6] = Make("AD2", 2, "6666");
    r = ApplyUserChange(t.u, Change(2, 3, "ADM", "2222"));
    EXPECT_EQ(r.outcome, UserChangeOutcome::Done);
    EXPECT_EQ(t.u[2].accessLevel, 3);
}

TEST(UserChangeRules, NoMakerMeansNoLevelOneForAnyone) {
    Table t;
    t.u[0] = Make("", 0, "");
    for (int i : {0, 2, 7}) {
        auto r = ApplyUserChange(t.u, Change(i, 1, "NEW", "9"));
        EXPECT_EQ(r.outcome, UserChangeOutcome::Refused);
        EXPECT_EQ(r.message.line2, "только один производитель-наладчик");
    }
}

TEST(UserChangeRules, DeleteNeedsNoPassword) {
    Table t;
    t.u[5] = Make("OPR", 4, "5555", "pw");
    UserChange c = Change(5, 0);
    c.password = "x";  // differing fields are not looked at
    c.passwordConfirm = "y";
    auto r = ApplyUserChange(t.u, c);
    ASSERT_EQ(r.outcome, UserChangeOutcome::Done);
    EXPECT_EQ(t.u[5].accessLevel, 0);
    EXPECT_TRUE(IsBlankField(t.u[5].name, 4));
    EXPECT_TRUE(IsBlankField(t.u[5].writePassword, 12));
    EXPECT_TRUE(IsBlankField(t.u[5].idCode, 4));
}

TEST(UserChangeRules, FieldChecksInOrder) {
    Table t;
    Table before = t;
    UserChange c = Change(4, 3, "ENG", "44", "pw");
    c.passwordConfirm = "pW";
    c.codeConfirm = "45";
    auto r = ApplyUserChange(t.u, c);
    EXPECT_EQ(r.outcome, UserChangeOutcome::PasswordMismatch);
    EXPECT_EQ(r.message.line1, "Несовпадение введенных паролей");
    EXPECT_EQ(r.message.line2, "Повторите процесс сначала");
    c.passwordConfirm = "pw";
    r = ApplyUserChange(t.u, c);
    EXPECT_EQ(r.outcome, UserChangeOutcome::CodeMismatch);
    EXPECT_EQ(r.message.line1, "Несовпадение введенных кодов");
    c.code = c.codeConfirm = "";
    r = ApplyUserChange(t.u, c);
    EXPECT_EQ(r.message.line1, "Не задан код идентификации пользователя");
    c.code = c.codeConfirm = "44";
    c.name = "";
    r = ApplyUserChange(t.u, c);
    EXPECT_EQ(r.message.line1, "Номер пользователя в таблице - 5.");
    EXPECT_EQ(r.message.line2, "Не задано имя пользователя");
    EXPECT_EQ(std::memcmp(t.u, before.u, sizeof t.u), 0);

    c.name = "ENG";
    c.password = c.passwordConfirm = "";
    r = ApplyUserChange(t.u, c);
    ASSERT_EQ(r.outcome, UserChangeOutcome::Done);
    EXPECT_EQ(std::string(t.u[4].name, 4), "ENG ");
    EXPECT_EQ(std::string(t.u[4].writePassword, 12), std::string(12, ' '));
    EXPECT_EQ(std::string(t.u[4].idCode, 4), "44  ");
    EXPECT_EQ(t.u[4].accessLevel, 3);
}

// Names collide with any other entry; codes with other users in use, so that the result is
// a table the table rules accept.
TEST(UserChangeRules, NameAndCodeCollisions) {
    Table t;
    Table before = t;
    auto r = ApplyUserChange(t.u, Change(4, 4, "ADM", "4444"));
    EXPECT_EQ(r.outcome, UserChangeOutcome::Refused);
    EXPECT_EQ(r.message.line1, "Пользователи   5 и  3.");
    EXPECT_EQ(r.message.line2, "Совпадение имен пользователей");
    r = ApplyUserChange(t.u, Change(4, 4, "OPR", "2222"));
    EXPECT_EQ(r.outcome, UserChangeOutcome::Refused);
    EXPECT_EQ(r.message.line1, "Пользователи   5 и  3.");
    EXPECT_EQ(r.message.line2, "Совпадение кодов идентификации пользователя");
    EXPECT_EQ(std::memcmp(t.u, before.u, sizeof t.u), 0);

    // A free entry's leftover code does not collide; the user keeps his own code.
    std::memcpy(t.u[8].idCode, "4444", 4);
    ASSERT_EQ(ApplyUserChange(t.u, Change(4, 4, "OPR", "4444")).outcome, UserChangeOutcome::Done);
    ASSERT_EQ(ApplyUserChange(t.u, Change(2, 2, "ADX", "2222")).outcome, UserChangeOutcome::Done);
    EXPECT_TRUE(CheckUsersTable(t.u));
}
