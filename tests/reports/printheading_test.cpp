// The organisation name file (40 raw bytes) and the texts of the print heading question.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/fileutil.h"
#include "common/globals.h"
#include "reports/printheading.h"
#include "support/tempdir.h"

namespace {

class OrgTitleTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = g_ProgDir;
        g_ProgDir = tmp.dir();
    }
    void TearDown() override { g_ProgDir = saved; }
    TempDir tmp;
    std::string saved;
};

TEST_F(OrgTitleTest, FortyCharactersAreStoredWithoutTerminatorAndReadBackWhole) {
    char name[41] = {};
    std::memset(name, 'A', 40);
    name[39] = 'Z';
    ASSERT_TRUE(qvr::WriteOrgTitle(name));  // creates the INI folder when missing
    // The one settings folder that start-up creates, not a second one beside it.
    EXPECT_EQ(qvr::OrgTitlePath(), tmp.dir() + "INI/title.ini");
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(qvr::ReadWholeFile(qvr::OrgTitlePath(), bytes));
    ASSERT_EQ(bytes.size(), 40u);
    EXPECT_EQ(bytes[39], 'Z');

    char back[41];
    std::memset(back, 0x55, sizeof back);
    qvr::ReadOrgTitle(back);
    EXPECT_EQ(std::string(back), std::string(name));
    EXPECT_EQ(back[40], 0);
}

TEST_F(OrgTitleTest, ShortNameIsZeroPaddedToFortyBytes) {
    char name[41] = {};
    std::memcpy(name, "\xCE\xCE\xCE", 3);  // "ООО" in Windows-1251
    ASSERT_TRUE(qvr::WriteOrgTitle(name));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(qvr::ReadWholeFile(qvr::OrgTitlePath(), bytes));
    ASSERT_EQ(bytes.size(), 40u);
    EXPECT_EQ(bytes[0], 0xCE);
    for (size_t i = 3; i < 40; ++i) EXPECT_EQ(bytes[i], 0) << i;
}

TEST_F(OrgTitleTest, MissingShortAndLongFilesAreReadSafely) {
    char name[41];
    std::memset(name, 'x', sizeof name);
    qvr::ReadOrgTitle(name);  // no file
    for (char c : name) EXPECT_EQ(c, 0);

    ASSERT_TRUE(qvr::MakeDir(tmp.dir() + "INI"));
    ASSERT_TRUE(qvr::WriteFileAtomic(qvr::OrgTitlePath(), std::string("Gaz")));
    std::memset(name, 'x', sizeof name);
    qvr::ReadOrgTitle(name);
    EXPECT_STREQ(name, "Gaz");
    for (size_t i = 3; i < 41; ++i) EXPECT_EQ(name[i], 0);

    ASSERT_TRUE(qvr::WriteFileAtomic(qvr::OrgTitlePath(), std::string(60, 'B')));
    qvr::ReadOrgTitle(name);
    EXPECT_EQ(std::string(name), std::string(40, 'B'));
}

TEST(PrintHeadingTexts, KindAndControllerLines) {
    EXPECT_STREQ(qvr::PrintHeadingKindText(0), "Часовые измерительные данные хроматографа");
    EXPECT_STREQ(qvr::PrintHeadingKindText(4), "Перечень сообщений о вмешательствах оператора");
    EXPECT_STREQ(qvr::PrintHeadingKindText(8), "Мгновенные данные влагомера");
    EXPECT_STREQ(qvr::PrintHeadingControllerLine(4), "в работу к контроллерa КВР");
    EXPECT_STREQ(qvr::PrintHeadingControllerLine(2), "контроллерa  КВР");
    EXPECT_STREQ(qvr::PrintHeadingControllerLine(8), "контроллерa  КВР");
    EXPECT_STREQ(qvr::PrintHeadingControllerLine(3), "контроллерa КВР");
    // No caller passes a kind above 8: it shows no kind text and never reads outside.
    EXPECT_STREQ(qvr::PrintHeadingKindText(200), "");
    EXPECT_STREQ(qvr::PrintHeadingControllerLine(9), "контроллерa КВР");
}

TEST(PrintHeadingTexts, PeriodLinesByHoursDaysAndSeconds) {
    const uint8_t s[6] = {26, 11, 5, 7, 8, 9};
    const uint8_t e[6] = {26, 12, 7, 23, 59, 58};
    EXPECT_EQ(qvr::PrintHeadingPeriodLine(0, s, e), "за период  с  05.11.26  07ч  по  07.12.26  23ч");
    EXPECT_EQ(qvr::PrintHeadingPeriodLine(6, s, e), "за период  с  05.11.26  07ч  по  07.12.26  23ч");
    EXPECT_EQ(qvr::PrintHeadingPeriodLine(1, s, e), "за период  с  05.11.26  по  07.12.26");
    EXPECT_EQ(qvr::PrintHeadingPeriodLine(7, s, e), "за период  с  05.11.26  по  07.12.26");
    for (uint8_t k : {2, 3, 4, 5, 8, 9})
        EXPECT_EQ(qvr::PrintHeadingPeriodLine(k, s, e),
                  "за период  с  05.11.26  07:08:09  по  07.12.26  23:59:58")
            << int(k);
}

}  // namespace
