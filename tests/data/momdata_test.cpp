// Decoding of the live tables for the current-state and momentary-data windows: time
// texts, byte order of the table-16 words, value texts, zones with their colours, row
// captions, moisture values, the table-state buffer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "common/bytes.h"
#include "common/stringi.h"
#include "common/suplfunc.h"
#include "data/momdata.h"
#include "link/tabledir.h"

using namespace qvr;

TEST(MomData, TimeTexts) {
    // Table 16: year, month, day, hour, minute, second; shown day first, two blanks.
    const uint8_t t16[18] = {26, 12, 7, 13, 5, 9};
    EXPECT_EQ(SituationTimeText(t16), "07.12.26  13:05:09");
    // Tables 30 and 37: field 0 = year, month, day, unused; field 1 = hour, minute, second.
    const uint8_t rec[8] = {3, 1, 31, 0xEE, 0, 59, 7, 0xEE};
    EXPECT_EQ(MomTimeText(rec), "31.01.03 00:59:07");
    // Whatever the controller sends, the text stays within its buffer.
    const uint8_t wild[8] = {255, 255, 255, 0, 255, 255, 255, 0};
    EXPECT_EQ(MomTimeText(wild), "255.255.255 255:255:255");
}

TEST(MomData, SituationWordsFollowTheByteOrder) {
    uint8_t t16[18];
    for (int i = 0; i < 18; ++i) t16[i] = uint8_t(i);
    uint8_t copy[18];
    std::memcpy(copy, t16, sizeof t16);
    NormaliseSituationWords(t16, 1);  // already low byte first
    EXPECT_EQ(std::memcmp(t16, copy, sizeof t16), 0);

    NormaliseSituationWords(t16, 0);  // high byte first: both words swapped, nothing else
    for (int i = 0; i < 18; ++i) {
        SCOPED_TRACE(i);
        int expect = i;
        if (i == 12 || i == 16) expect = i + 1;
        if (i == 13 || i == 17) expect = i - 1;
        EXPECT_EQ(t16[i], expect);
    }
    EXPECT_EQ(GetU16(t16 + 12), 0x0C0D);
}

TEST(MomData, FixedValueText) {
    EXPECT_EQ(FixedValueText(1.23456f, 3), "1.235");
    EXPECT_EQ(FixedValueText(90.5f, 0), "90");  // round half to even of the C library
    EXPECT_EQ(FixedValueText(-0.25f, 2), "-0.25");
    EXPECT_EQ(FixedValueText(0.0f, 4), "0.0000");
    EXPECT_EQ(FixedValueText(2.0f, -3), "2");
    EXPECT_EQ(FixedValueText(1.0f, 200), "1.0000000000");  // decimals clamped to 10
    EXPECT_EQ(FixedValueText(std::numeric_limits<float>::quiet_NaN(), 2), "?");
    EXPECT_EQ(FixedValueText(std::numeric_limits<float>::infinity(), 2), "?");
    EXPECT_EQ(FixedValueText(-std::numeric_limits<float>::infinity(), 2), "?");
    EXPECT_EQ(FixedValueText(std::numeric_limits<float>::max(), 10),
              "340282346638528859811704183484516925440.0000000000");
    EXPECT_EQ(FixedValueText(1e20f, 0), "100000002004087734272");
}

TEST(MomData, ZonesAndTheirColours) {
    InitStringTable();
    struct Case {
        uint8_t zone;
        const char* text;
        uint32_t rgb;
    } cases[] = {
        {0, " Норма", 0x000000},
        {1, " Нижняя предупредительная зона", 0x723838},
        {2, " Верхняя предупредительная зона", 0x723838},
        {3, " Нижняя аварийная зона", 0xFF0000},
        {4, " Верхняя аварийная зона", 0xFF0000},
        {5, "?", 0x008000},
        {7, "?", 0x008000},
        {255, "?", 0x008000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.zone));
        const ZoneView z = ZoneDisplay(c.zone);
        EXPECT_EQ(z.text, c.text);
        EXPECT_EQ(z.rgb, c.rgb);
    }
}

TEST(MomData, ParameterCaptions) {
    InitStringTable();
    EXPECT_EQ(GasParamCaption(8, false, false), " Молярная доля метана (CH4), %");
    EXPECT_EQ(GasParamCaption(8, true, false), " Объемная доля метана (CH4), %");
    EXPECT_EQ(GasParamCaption(11, false, false), std::string(GasParamNamesMolar[11]) + ", МДж/м3");
    EXPECT_EQ(GasParamCaption(11, true, true), std::string(GasParamNamesVolume[11]) + ", ккал/м3");
    EXPECT_EQ(GasParamCaption(13, false, true), std::string(GasParamNamesMolar[13]) + ", ккал/м3");
    EXPECT_EQ(GasParamCaption(18, false, false), std::string(GasParamNamesMolar[18]) + ", МДж/м3");
    EXPECT_EQ(GasParamCaption(12, false, true), std::string(GasParamNamesMolar[12]) + ", кг/м3");
    EXPECT_EQ(GasParamCaption(14, false, false), std::string(GasParamNamesMolar[14]) + ",  ");
    EXPECT_EQ(GasParamCaption(19, false, true), std::string(GasParamNamesMolar[19]) + ",  ");
    EXPECT_EQ(GasParamCaption(16, false, false), std::string(GasParamNamesMolar[16]) + ", °С");
    EXPECT_EQ(GasParamCaption(15, true, true), std::string(GasParamNamesVolume[15]) + ", %");
    EXPECT_EQ(GasParamCaption(-1, false, false), "");
    EXPECT_EQ(GasParamCaption(20, false, false), "");
}

TEST(MomData, MoistureValues) {
    std::vector<uint8_t> t37(28, 0);
    const float values[4] = {-12.345f, 0.0f, 3.92f, std::numeric_limits<float>::quiet_NaN()};
    for (int i = 0; i < 4; ++i) PutF32(t37.data() + 8 + 4 * i, values[i]);
    PutF32(t37.data() + 24, 77.0f);  // field 6 is never shown
    for (int i = 0; i < 4; ++i) EXPECT_EQ(MoistureValueText(t37.data(), i), "  " + FormatValue6(values[i])) << i;
    EXPECT_EQ(MoistureValueText(t37.data(), 1), "  0");
    EXPECT_EQ(MoistureValueText(t37.data(), 3), "  NAN");
    EXPECT_EQ(MoistureValueText(t37.data(), 4), "   ?");
}

TEST(MomData, TableStateFromTable7) {
    std::memset(TablePtr(7), 0, TableSize(7));
    TablePtr(7)[2] = 1;
    TablePtr(7)[22] = 5;
    TableStateBuffer s;
    std::memset(&s, 0xAB, sizeof s);
    FillTableStateFromImage(&s);
    for (int t = 0; t < kTableCount; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(s.destroyed[t], t == 2 ? 1 : t == 22 ? 5 : 0);
        EXPECT_EQ(s.present[t], IsConfigTable(t) ? 1 : 0);
        EXPECT_EQ(s.toWrite[t], 0);
    }
    FillTableStateFromImage(nullptr);  // no buffer: nothing happens
    std::memset(TablePtr(7), 0, TableSize(7));
}
