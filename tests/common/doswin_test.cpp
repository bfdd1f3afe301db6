#include <gtest/gtest.h>
#include <iconv.h>

#include <map>
#include <string>

#include "common/doswin.h"

using namespace qvr;

namespace {
// The byte of `to` that holds the same character as byte b of `from`, -1 if none.
int Iconv1(const char* to, const char* from, int b) {
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return -2;
    char in[1] = {char(b)};
    char out[8];
    char* ip = in;
    char* op = out;
    size_t il = 1, ol = sizeof out;
    size_t r = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    if (r == size_t(-1) || r > 0 || sizeof out - ol != 1) return -1;  // none, or approximated
    return (unsigned char)out[0];
}
}  // namespace

// Expected values come from the code pages themselves (iconv) for characters that exist
// in both, and from the controller's substitution list for the rest.
TEST(DosWin, WinToDosAllBytes) {
    ASSERT_GE(Iconv1("CP866", "CP1251", 'A'), 0) << "iconv lacks CP866/CP1251";
    const std::map<int, int> subst = {{0x95, 0xF9}, {0xA6, '|'}, {0xA7, 0x15}, {0xA9, 'c'},
                                      {0xAB, 0x11}, {0xAC, '-'},  {0xAD, '-'},  {0xAE, 'r'},
                                      {0xB2, 'I'},  {0xB3, 'i'},  {0xB6, 0x14}, {0xBB, 0x10},
                                      {0xA0, '_'}};
    int viaIconv = 0;
    for (int b = 0; b < 256; ++b) {
        int want;
        if (b < 0x80) {
            want = b;
        } else if (subst.count(b)) {
            want = subst.at(b);
        } else {
            int c = Iconv1("CP866", "CP1251", b);
            want = c >= 0 ? c : '_';
            if (c >= 0) ++viaIconv;
        }
        unsigned char one = (unsigned char)b;
        WinToDos(&one, 1);
        EXPECT_EQ(int(one), want) << "byte 0x" << std::hex << b;
    }
    // 64 letters + Ё ё Є є Ї ї Ў ў ° · № ¤
    EXPECT_EQ(viaIconv, 76);
}

TEST(DosWin, DosToWinAllBytes) {
    std::map<int, int> subst = {{0x0F, 0xA4}, {0x14, 0xB6}, {0x15, 0xA7}, {0xF9, 0x95}, {0xFF, '_'}};
    for (int b : {0xB3, 0xB4, 0xB5, 0xB6, 0xB9, 0xBA, 0xC6, 0xC7, 0xCC}) subst[b] = 0xA6;
    for (int b : {0xC1, 0xC2, 0xC4, 0xCA, 0xCB, 0xCD, 0xCF, 0xD0, 0xD1, 0xD2}) subst[b] = '-';
    for (int b : {0xB7, 0xB8, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xC3, 0xC5, 0xC8, 0xC9, 0xCE})
        subst[b] = '+';
    for (int b = 0xD3; b <= 0xDA; ++b) subst[b] = '+';
    int viaIconv = 0;
    for (int b = 0; b < 256; ++b) {
        int want;
        if (subst.count(b)) {
            want = subst.at(b);
        } else if (b < 0x80) {
            want = b;
        } else {
            int c = Iconv1("CP1251", "CP866", b);
            want = c >= 0 ? c : '_';
            if (c >= 0) ++viaIconv;
        }
        unsigned char one = (unsigned char)b;
        DosToWin(&one, 1);
        EXPECT_EQ(int(one), want) << "byte 0x" << std::hex << b;
    }
    EXPECT_EQ(viaIconv, 76);
}

TEST(DosWin, ControllerNameRoundTripInPlace) {
    // A name of the controller: Cyrillic, digits, № and a blank pad survive both ways.
    unsigned char name[20];
    const unsigned char win[20] = {0xC3, 0xD0, 0xD1, ' ', 0xB9, '1', '2', ' ', 0xB8, 0xEB, 0xEA,
                                   0xE0, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};  // ГРС №12 ёлка
    std::copy(win, win + 20, name);
    WinToDos(name, 20);
    EXPECT_EQ(name[0], 0x83);
    EXPECT_EQ(name[4], 0xFC);
    EXPECT_EQ(name[8], 0xF1);
    EXPECT_EQ(name[9], 0xAB);
    DosToWin(name, 20);
    EXPECT_EQ(std::string(name, name + 20), std::string(win, win + 20));
    // Only n bytes are touched.
    unsigned char two[2] = {0xC0, 0xC0};
    WinToDos(two, 1);
    EXPECT_EQ(two[0], 0x80);
    EXPECT_EQ(two[1], 0xC0);
}
