// The gas-parameter limit tables: values against an independent transcription, the range
// check with its tolerance, number texts, value parsing, and the defaults of a new record.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "common/bytes.h"
#include "params/configfile.h"
#include "params/gaslimits.h"

namespace {

// Defaults per table 22..26 and parameter, written out independently of the table.
constexpr float kDefaults[5][20] = {
    {0.01f, 0.05f, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 0.05f, 5.0f, 0.05f,
     0.05f, 5.0f, 0.0001f, 5.0f, 0.001f, 0.1f, 18.0f, 0.01f, 4.0f, 0.0001f},
    {0.002f, 0.05f, 0.002f, 0.002f, 0.0002f, 0.0002f, 0.0002f, 0.2f, 95.0f, 0.01f,
     0.1f, 36.0f, 0.67f, 45.0f, 0.998f, 0.0f, 0.0f, 0.0002f, 32.0f, 0.5f},
    {0.6f, 6.0f, 1.2f, 1.2f, 1.2f, 1.2f, 1.2f, 12.0f, 100.0f, 8.0f,
     10.0f, 45.0f, 1.0f, 55.0f, 0.999f, 100.0f, 100.0f, 1.2f, 40.0f, 0.7f},
    {0.001f, 0.01f, 0.001f, 0.001f, 0.0001f, 0.0001f, 0.0001f, 0.0f, 90.0f, 0.0f,
     0.01f, 35.0f, 0.66f, 40.0f, 0.997f, 0.0f, 0.0f, 0.0001f, 30.0f, 0.425f},
    {0.6f, 6.0f, 1.2f, 1.2f, 1.2f, 1.2f, 1.2f, 18.0f, 100.0f, 12.0f,
     12.0f, 45.0f, 1.05f, 55.0f, 1.0f, 100.0f, 100.0f, 1.2f, 40.0f, 0.85f},
};

}  // namespace

TEST(GasLimits, DefaultsAndRanges) {
    for (int k = 0; k < 5; ++k)
        for (int p = 0; p < 20; ++p) {
            const GasParamLimitDescr& d = GasParamLimitTables[k][p];
            EXPECT_EQ(d.def, kDefaults[k][p]) << "table " << 22 + k << " parameter " << p;
            ASSERT_NE(d.unit, nullptr);
            EXPECT_LE(d.min, d.max);
            // Every default lies in its own range.
            EXPECT_TRUE(qvr::InGasParamRange(d, d.def)) << "table " << 22 + k << " parameter " << p;
        }
    // Spot checks of ranges and decimals.
    const auto& dead = GasParamLimitTables[0];
    EXPECT_FLOAT_EQ(dead[1].min, 0.0001f);
    EXPECT_FLOAT_EQ(dead[1].max, 0.5f);
    EXPECT_EQ(dead[1].decimals, 4);
    EXPECT_FLOAT_EQ(dead[16].min, -40.0f);
    EXPECT_EQ(dead[16].decimals, 2);
    EXPECT_EQ(dead[15].decimals, 1);
    EXPECT_FLOAT_EQ(dead[15].min, 0.0f);
    EXPECT_FLOAT_EQ(GasParamLimitTables[1][8].min, 40.0f);
    EXPECT_FLOAT_EQ(GasParamLimitTables[4][14].min, 0.997f);
    EXPECT_EQ(GasParamLimitTables[1][4].decimals, 4);
    EXPECT_EQ(GasParamLimitTables[2][4].decimals, 3);
    EXPECT_EQ(GasParamLimitTables[3][17].decimals, 4);
    EXPECT_EQ(GasParamLimitTables[4][17].decimals, 3);
    EXPECT_EQ(GasParamLimitTables[2][11].decimals, 0);
    EXPECT_EQ(GasParamLimitTables[3][14].decimals, 4);
    EXPECT_EQ(qvr::GasParamLimitOf(24, 12), &GasParamLimitTables[2][12]);
    EXPECT_EQ(qvr::GasParamLimitOf(21, 0), nullptr);
    EXPECT_EQ(qvr::GasParamLimitOf(27, 0), nullptr);
    EXPECT_EQ(qvr::GasParamLimitOf(22, 20), nullptr);
    EXPECT_EQ(qvr::GasParamLimitOf(22, -1), nullptr);
}

TEST(GasLimits, UnitsExactToTheBlank) {
    auto unit = [](int table, int p) { return std::string(qvr::GasParamLimitOf(table, p)->unit); };
    EXPECT_EQ(unit(22, 0), "%");
    EXPECT_EQ(unit(22, 11), "МДж/м3");
    EXPECT_EQ(unit(23, 11), "МДж/м3");
    EXPECT_EQ(unit(24, 11), "МДж/м");
    EXPECT_EQ(unit(26, 13), "МДж/м");
    EXPECT_EQ(unit(23, 18), "МДж/м3");
    EXPECT_EQ(unit(25, 18), "МДж/м");
    EXPECT_EQ(unit(22, 12), "кг/м3");
    EXPECT_EQ(unit(25, 14), " ");
    EXPECT_EQ(unit(22, 16), "\xC2\xB0\xD0\xA1");  // degree sign, Cyrillic capital ES
    EXPECT_EQ(unit(22, 17), "% ");
    EXPECT_EQ(unit(23, 17), "%");
    EXPECT_EQ(unit(25, 19), "");
    EXPECT_EQ(unit(26, 19), " ");
}

TEST(GasLimits, RangeToleranceAndNonNumbers) {
    const GasParamLimitDescr& propane = GasParamLimitTables[0][1];
    EXPECT_TRUE(qvr::InGasParamRange(propane, 0.500005));
    EXPECT_FALSE(qvr::InGasParamRange(propane, 0.50002));
    EXPECT_TRUE(qvr::InGasParamRange(propane, 0.00009));   // min - 0.00001
    EXPECT_FALSE(qvr::InGasParamRange(propane, 0.00008));
    const GasParamLimitDescr& density = GasParamLimitTables[0][12];
    EXPECT_TRUE(qvr::InGasParamRange(density, 0.001));
    EXPECT_FALSE(qvr::InGasParamRange(density, 0.0011));
    EXPECT_FALSE(qvr::InGasParamRange(GasParamLimitTables[1][8], 39.9));
    EXPECT_TRUE(qvr::InGasParamRange(GasParamLimitTables[1][8], 40.0));
    EXPECT_TRUE(qvr::InGasParamRange(GasParamLimitTables[0][16], -40.0));
    EXPECT_FALSE(qvr::InGasParamRange(GasParamLimitTables[0][16], -40.1));
    EXPECT_FALSE(qvr::InGasParamRange(GasParamLimitTables[0][15], std::nan("")));
    EXPECT_FALSE(qvr::InGasParamRange(GasParamLimitTables[0][15], std::numeric_limits<double>::infinity()));
}

TEST(GasLimits, NumberTexts) {
    EXPECT_EQ(qvr::FormatLimitValue(0.0001f, 4), "0.0001");
    EXPECT_EQ(qvr::FormatLimitValue(0.5f, 4), "0.5000");
    EXPECT_EQ(qvr::FormatLimitValue(-40.0f, 2), "-40.00");
    EXPECT_EQ(qvr::FormatLimitValue(36.0f, 0), "36");
    EXPECT_EQ(qvr::FormatLimitValue(0.997f, 4), "0.9970");
    EXPECT_EQ(qvr::FormatLimitValue(0.425f, 3), "0.425");   // float 0.42499998 shows as typed
    EXPECT_EQ(qvr::FormatLimitValue(100.0f, 1), "100.0");
    EXPECT_EQ(qvr::FormatLimitValue(-0.00001, 2), "0.00");
    EXPECT_EQ(qvr::FormatLimitValue(std::nan(""), 3), "NAN");
    EXPECT_EQ(qvr::FormatLimitValue(-std::numeric_limits<double>::infinity(), 3), "-INF");
    EXPECT_EQ(qvr::FormatLimitValue(3e12, 2), "3.000000000E+12");
    // At most 10 significant digits: the rest is rounded away before the decimals.
    EXPECT_EQ(qvr::FormatLimitValue(1234567.123456, 4), "1234567.1230");
}

TEST(GasLimits, ParsingValueTexts) {
    double v = -1;
    EXPECT_TRUE(qvr::ParseLimitValue("0.5", v));
    EXPECT_DOUBLE_EQ(v, 0.5);
    EXPECT_TRUE(qvr::ParseLimitValue(" 12,5 ", v));
    EXPECT_DOUBLE_EQ(v, 12.5);
    EXPECT_TRUE(qvr::ParseLimitValue("-4e1", v));
    EXPECT_DOUBLE_EQ(v, -40);
    EXPECT_TRUE(qvr::ParseLimitValue("1e-3", v));
    EXPECT_DOUBLE_EQ(v, 0.001);
    EXPECT_TRUE(qvr::ParseLimitValue(".5", v));
    EXPECT_DOUBLE_EQ(v, 0.5);
    v = 7;
    for (const char* bad : {"", "   ", "-", "e", "1e", "1.2.3", "1e+", "abc", "nan", "inf", "+1", "1 2", "1e999"})
        EXPECT_FALSE(qvr::ParseLimitValue(bad, v)) << bad;
    EXPECT_EQ(v, 7);  // untouched by a refusal
}

// A new configuration record carries every table's defaults at the tables' offsets.
TEST(GasLimits, NewRecordTakesTheDefaults) {
    ConfigRecord rec;
    std::memset(rec.bytes, 0xEE, sizeof rec.bytes);
    NewConfigRecord(&rec);
    const size_t offsets[5] = {939, 1119, 1299, 1479, 1659};
    for (int k = 0; k < 5; ++k)
        for (int p = 0; p < 20; ++p) {
            float f;
            uint32_t bits;
            std::memcpy(&f, &kDefaults[k][p], 4);
            std::memcpy(&bits, &f, 4);
            EXPECT_EQ(qvr::GetU32(rec.bytes + offsets[k] + 4 * p), bits) << "table " << 22 + k << " parameter " << p;
        }
}
