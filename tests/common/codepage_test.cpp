#include <gtest/gtest.h>
#include <iconv.h>

#include "common/codepage.h"

using namespace qvr;

// Every byte of Windows-1251 that iconv knows converts as iconv does; 0x98 (undefined)
// still maps; and converting back gives the byte again.
TEST(Codepage, AllBytesMatchIconvAndRoundTrip) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    ASSERT_NE(cd, (iconv_t)-1);
    for (int b = 0; b < 256; ++b) {
        std::string one(1, char(b));
        std::string mine = WinToUtf8(one);
        ASSERT_FALSE(mine.empty()) << b;
        char in[1] = {char(b)};
        char out[8] = {};
        char* ip = in;
        char* op = out;
        size_t il = 1, ol = sizeof out;
        if (iconv(cd, &ip, &il, &op, &ol) != size_t(-1)) {
            EXPECT_EQ(mine, std::string(out, sizeof out - ol)) << "byte " << b;
        } else {
            EXPECT_EQ(b, 0x98);
        }
        std::string back;
        ASSERT_TRUE(Utf8ToWin(mine, back)) << b;
        EXPECT_EQ(back, one) << b;
    }
    iconv_close(cd);
}

TEST(Codepage, RefusesWhatWindows1251CannotHold) {
    std::string out = "keep";
    EXPECT_FALSE(Utf8ToWin("日本", out));
    EXPECT_EQ(out, "keep");
    EXPECT_FALSE(Utf8ToWin("\xC3", out));  // truncated sequence
    EXPECT_TRUE(Utf8ToWin("Связь", out));
    EXPECT_EQ(out, "\xD1\xE2\xFF\xE7\xFC");
    EXPECT_EQ(Win("a日b"), "a?b");
}
