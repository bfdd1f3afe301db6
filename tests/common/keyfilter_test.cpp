#include <gtest/gtest.h>

#include <string>

#include "common/keyfilter.h"

using namespace qvr;

namespace {
// The key after the float filter, typed at the caret (end of text when pos < 0).
char Float(const std::string& text, char key, int pos = -1, int limit = 8) {
    FloatKeyFilter(text, pos < 0 ? int(text.size()) : pos, key, limit);
    return key;
}
char Digit(char key) {
    DigitKeyFilter(key);
    return key;
}
}  // namespace

TEST(DigitKeyFilter, PassesDigitsBackspacePercentApostrophe) {
    for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(Digit(c), c);
    EXPECT_EQ(Digit(8), 8);
    EXPECT_EQ(Digit('%'), '%');
    EXPECT_EQ(Digit('\''), '\'');
    for (char c : std::string("-+.,eE a/:")) EXPECT_EQ(Digit(c), 0) << c;
    EXPECT_EQ(Digit(char(0xC0)), 0);
}

TEST(FloatKeyFilter, ExponentSignAndDigits) {
    // On "1.5e" with the caret at the end: one sign, then two digits, no third.
    EXPECT_EQ(Float("1.5e", '-'), '-');
    EXPECT_EQ(Float("1.5e-", '-'), 0);
    EXPECT_EQ(Float("1.5e-", '+'), 0);
    EXPECT_EQ(Float("1.5e-", '3'), '3');
    EXPECT_EQ(Float("1.5e-3", '4'), '4');
    EXPECT_EQ(Float("1.5e-34", '5'), 0);
    EXPECT_EQ(Float("1.5e", '+'), '+');
    // Without a sign two exponent digits as well.
    EXPECT_EQ(Float("1.5e1", '2'), '2');
    EXPECT_EQ(Float("1.5e12", '3'), 0);
    // Digits before the 'e' still pass.
    EXPECT_EQ(Float("1.5e12", '7', 1), '7');
    // A sign only right behind the 'e'.
    EXPECT_EQ(Float("1.5e1", '-', 5), 0);
    EXPECT_EQ(Float("1.5e1", '-', 4), '-');
    // A leading minus is not an exponent sign.
    EXPECT_EQ(Float("-1e", '-'), '-');
    EXPECT_EQ(Float("-1e-2", '3'), '3');
}

TEST(FloatKeyFilter, SeparatorEAndMinus) {
    EXPECT_EQ(Float("1", ','), '.');  // comma becomes the separator
    EXPECT_EQ(Float("1", '.'), '.');
    EXPECT_EQ(Float("1.5", '.'), 0);
    EXPECT_EQ(Float("1.5", ','), 0);
    EXPECT_EQ(Float("1e5", '.'), 0);      // behind the 'e'
    EXPECT_EQ(Float("1e5", '.', 1), '.');  // before it
    EXPECT_EQ(Float("", 'e'), 0);
    EXPECT_EQ(Float("15", 'e'), 'e');
    EXPECT_EQ(Float("15", 'e', 1), 0);  // only at the end
    EXPECT_EQ(Float("1e5", 'e'), 0);
    EXPECT_EQ(Float("15", 'E'), 0);
    EXPECT_EQ(Float("", '-'), '-');
    EXPECT_EQ(Float("15", '-', 0), '-');
    EXPECT_EQ(Float("-15", '-', 0), 0);
    EXPECT_EQ(Float("15", '-'), 0);
    EXPECT_EQ(Float("15", '+', 0), 0);
    for (char c : std::string("a/ x*")) EXPECT_EQ(Float("1", c), 0) << c;
    EXPECT_EQ(Float("1", char(0xC1)), 0);
}

TEST(FloatKeyFilter, LengthLimitAndAlwaysPassingKeys) {
    EXPECT_EQ(Float("12345678", '9'), '9');  // the limit refuses only a longer text
    EXPECT_EQ(Float("123456789", '9'), 0);
    EXPECT_EQ(Float("123456789", 8), 8);
    EXPECT_EQ(Float("123456789", '%'), '%');
    EXPECT_EQ(Float("1.5e-34", '\''), '\'');
}
