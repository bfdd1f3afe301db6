#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/codepage.h"
#include "common/suplfunc.h"

using namespace qvr;

namespace {
float FromBits(uint32_t u) {
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}
}  // namespace

TEST(FormatValue, InvalidZeroAndExponentForms) {
    EXPECT_EQ(FormatValue4(std::numeric_limits<float>::quiet_NaN()), "NAN");
    EXPECT_EQ(FormatValue4(std::numeric_limits<float>::infinity()), "NAN");
    EXPECT_EQ(FormatValue6(-std::numeric_limits<float>::infinity()), "NAN");
    EXPECT_EQ(FormatValue4(FromBits(0x7F800001)), "NAN");
    EXPECT_EQ(FormatValue4(FromBits(0xFFFFFFFF)), "NAN");
    EXPECT_EQ(FormatValue4(0.0f), "0");
    EXPECT_EQ(FormatValue4(-0.0f), "0");
    EXPECT_EQ(FormatValue6(0.0f), "0");
    EXPECT_EQ(FormatValue4(5e-7f), "5.0000e-07");
    EXPECT_EQ(FormatValue4(-5e-7f), "-5.0000e-07");
    EXPECT_EQ(FormatValue6(1e-7f), "1.00e-07");
    // A denormal is a valid, tiny value, not NAN.
    EXPECT_EQ(FormatValue6(FromBits(0x00000001)), "1.40e-45");
}

TEST(FormatValue, DecimalsByMagnitude4) {
    EXPECT_EQ(FormatValue4(0.00005f), "0.00005");
    EXPECT_EQ(FormatValue4(2e-6f), "0.00000");  // 5 decimals: below the last one shows zeros
    EXPECT_EQ(FormatValue4(6e-6f), "0.00001");
    EXPECT_EQ(FormatValue4(0.5f), "0.5000");
    EXPECT_EQ(FormatValue4(9.5f), "9.5000");
    EXPECT_EQ(FormatValue4(10.0f), "10.000");
    EXPECT_EQ(FormatValue4(-12.5f), "-12.500");
    EXPECT_EQ(FormatValue4(100.0f), "100.00");
    EXPECT_EQ(FormatValue4(1000.0f), "1000.0");
    EXPECT_EQ(FormatValue4(9999.0f), "9999.0");
    EXPECT_EQ(FormatValue4(10000.0f), "10000");
    EXPECT_EQ(FormatValue4(23456.7f), "23457");
    EXPECT_EQ(FormatValue4(-23456.5f), "-23457");  // halves round away from zero
    EXPECT_EQ(FormatValue4(1234567.0f), "1234567");
    // Beyond ten integer digits the exponent form takes over.
    EXPECT_EQ(FormatValue4(1099511627776.0f), "1.099511628e+12");
    EXPECT_EQ(FormatValue4(-8589934592.0f), "-8589934592");  // ten integer digits: still fixed
}

TEST(FormatValue, DecimalsByMagnitude6) {
    EXPECT_EQ(FormatValue6(5e-5f), "0.000050");
    EXPECT_EQ(FormatValue6(5e-4f), "0.00050");
    EXPECT_EQ(FormatValue6(5e-3f), "0.0050");
    EXPECT_EQ(FormatValue6(0.5f), "0.500");
    EXPECT_EQ(FormatValue6(1.0f), "1.00");
    EXPECT_EQ(FormatValue6(50.0f), "50.00");
    EXPECT_EQ(FormatValue6(-50.0f), "-50.00");
    EXPECT_EQ(FormatValue6(999.9f), "999.9");
    EXPECT_EQ(FormatValue6(1000.0f), "1000");
    EXPECT_EQ(FormatValue6(99.999f), "100.00");  // rounding carries into a new digit
}

TEST(FormatValue, IgnoresTheCLocaleAndFitsTheBuffer) {
    // A locale with a decimal comma must not change the text.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") || std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_EQ(FormatValue4(9.5f), "9.5000");
        EXPECT_EQ(FormatValue4(5e-7f), "5.0000e-07");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());

    char buf[6];
    std::memset(buf, 'x', sizeof buf);
    FormatValue4(-12.5f, buf, sizeof buf);
    EXPECT_STREQ(buf, "-12.5");  // cut to fit, still terminated
    char big[32];
    FormatValue6(0.5f, big, sizeof big);
    EXPECT_STREQ(big, "0.500");
}

TEST(IsFloatNaN, ExponentBitsAllOnes) {
    uint8_t b[4];
    PutU32(b, 0x7F800000);
    EXPECT_TRUE(IsFloatNaN(b));
    PutU32(b, 0xFF800000);
    EXPECT_TRUE(IsFloatNaN(b));
    PutU32(b, 0x7FC00000);
    EXPECT_TRUE(IsFloatNaN(b));
    PutU32(b, 0x7F7FFFFF);  // largest finite
    EXPECT_FALSE(IsFloatNaN(b));
    PutF32(b, -1.5f);
    EXPECT_FALSE(IsFloatNaN(b));
    // The bytes are read little-endian, as the controller stores them.
    const uint8_t wire[4] = {0x00, 0x00, 0x80, 0x7F};
    EXPECT_TRUE(IsFloatNaN(wire));
    const uint8_t reversed[4] = {0x7F, 0x80, 0x00, 0x00};
    EXPECT_FALSE(IsFloatNaN(reversed));
}

TEST(Baud, TableAndBoundaries) {
    EXPECT_EQ(BaudToIndex(300), 0);
    EXPECT_EQ(BaudToIndex(9600), 11);
    EXPECT_EQ(BaudToIndex(38400), 18);
    EXPECT_EQ(BaudToIndex(230400), 21);
    EXPECT_EQ(BaudToIndex(1000), -1);
    EXPECT_EQ(BaudToIndex(0), -1);
    EXPECT_EQ(IndexToBaud(0), 300u);
    EXPECT_EQ(IndexToBaud(11), 9600u);
    EXPECT_EQ(IndexToBaud(21), 230400u);
    EXPECT_EQ(IndexToBaud(22), 0u);
    EXPECT_EQ(IndexToBaud(-1), 0u);
    EXPECT_EQ(IndexToBaud(INT32_MIN), 0u);
    for (int i = 0; i < kBaudRateCount; ++i) EXPECT_EQ(BaudToIndex(IndexToBaud(i)), i);
}

TEST(StrCmpNoCase, LatinAndCyrillicOnTheCodePage) {
    auto cmp = [](const char* a, const char* b) { return StrCmpNoCase(Win(a).c_str(), Win(b).c_str()); };
    EXPECT_EQ(cmp("Abc", "aBC"), 0);
    EXPECT_EQ(cmp("иванов", "ИВАНОВ"), 0);
    EXPECT_EQ(cmp("Ёлка", "ёЛКА"), 0);
    EXPECT_EQ(cmp("ґєії", "ҐЄІЇ"), 0);
    EXPECT_EQ(cmp("ўџ", "ЎЏ"), 0);
    EXPECT_LT(cmp("абв", "АБГ"), 0);
    EXPECT_GT(cmp("Я", "а"), 0);
    EXPECT_LT(cmp("Иван", "иванов"), 0);  // a prefix sorts first
    EXPECT_GT(cmp("иванов", "Иван"), 0);
    // Unsigned byte order: Cyrillic (0xC0..) after Latin and digits.
    EXPECT_GT(cmp("а", "z"), 0);
    EXPECT_LT(cmp("8-495", "Москва"), 0);
    EXPECT_EQ(StrCmpNoCase(nullptr, ""), 0);
    // Longer than the 50 characters of a name: compared in full, no overrun.
    std::string a(120, 'x'), b(120, 'X');
    b[119] = 'y';
    EXPECT_LT(StrCmpNoCase(a.c_str(), b.c_str()), 0);

    std::vector<std::string> names = {Win("борис"), Win("Анна"), Win("вера"), Win("Ёж"), Win("анатолий")};
    std::sort(names.begin(), names.end(),
              [](const std::string& x, const std::string& y) { return StrCmpNoCase(x.c_str(), y.c_str()) < 0; });
    std::vector<std::string> want = {Win("анатолий"), Win("Анна"), Win("борис"), Win("вера"), Win("Ёж")};
    // Ё (0xA8) sorts before А (0xC0) on the code page.
    std::rotate(want.begin(), want.begin() + 4, want.end());
    EXPECT_EQ(names, want);
}

TEST(SmallHelpers, CompareByteAndSwap) {
    uint8_t a = 5, b = 200;
    EXPECT_EQ(CompareByte(&a, &b), -1);
    EXPECT_EQ(CompareByte(&b, &a), 1);
    EXPECT_EQ(CompareByte(&a, &a), 0);
    uint16_t w = 0x1234;
    SwapBytes16(&w);
    EXPECT_EQ(w, 0x3412);
}
