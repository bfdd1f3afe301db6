// Gas-property conversion: methane by difference, volume fractions, MJ/kcal, the table
// method against values worked out by hand from the component table, and the expanded
// uncertainties.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "app/rd_wr_ini.h"
#include "reports/gascalc.h"

using namespace qvr;

namespace {

// A pipeline gas in mole percent, with controller ISO values.
void TypicalGas(float* v) {
    const float x[11] = {0.05f, 1.2f, 0.2f, 0.25f, 0.01f, 0.05f, 0.04f, 1.1f, 92.0f, 0.6f, 4.5f};
    std::memset(v, 0, sizeof(float) * 20);
    for (int i = 0; i < 11; ++i) v[i] = x[i];
    v[kGasHs] = 38.5f;
    v[kGasDensity] = 0.73f;
    v[kGasWobbe] = 49.7f;
    v[kGasCompressibility] = 0.9978f;
    v[kGasSum] = 99.97f;
    v[kGasTemperature] = 12.5f;
    v[kGasOxygen] = 0.01f;
    v[kGasHi] = 34.7f;
    v[kGasRelDensity] = 0.6f;
}

class GasCalc : public ::testing::Test {
protected:
    void SetUp() override {
        BuildKcalColumns();
        ReportSettings = ReportSettingsRecord{};
    }
    void Set(uint8_t composition, uint8_t unit, uint8_t formula, uint8_t corr) {
        ReportSettings.prz_composition = composition;
        ReportSettings.thermal_unit = unit;
        ReportSettings.calc_formula = formula;
        ReportSettings.metan_corr = corr;
    }
};

TEST_F(GasCalc, KcalColumnsAreMJTimes23908) {
    EXPECT_DOUBLE_EQ(ComponentPropertyTable[8][kPropHsKcal], 37.044 * 239.08);
    EXPECT_DOUBLE_EQ(ComponentPropertyTable[0][kPropHiKcal], 161.59 * 239.08);
    EXPECT_EQ(ComponentPropertyTable[7][kPropHsKcal], 0.0);
    // Oxygen's row takes no part and stays as stored.
    EXPECT_EQ(ComponentPropertyTable[11][kPropHsKcal], 0.0);
    BuildKcalColumns();  // a second run changes nothing
    EXPECT_DOUBLE_EQ(ComponentPropertyTable[8][kPropHsKcal], 37.044 * 239.08);
}

TEST_F(GasCalc, IsoMJLeavesEverythingButTheComponents) {
    Set(0, 0, 0, 0);
    float v[20], in[20];
    TypicalGas(v);
    std::memcpy(in, v, sizeof v);
    ConvertGasAnalysis(v);
    EXPECT_EQ(0, std::memcmp(in, v, sizeof v));
}

TEST_F(GasCalc, MethaneByDifference) {
    Set(0, 0, 0, 1);
    float v[20] = {};
    v[1] = 1.5f;
    v[7] = 1.0f;
    v[9] = 1.0f;
    v[8] = std::numeric_limits<float>::quiet_NaN();  // replaced by 0 first
    v[kGasSum] = 3.5f;
    v[3] = std::numeric_limits<float>::infinity();   // also invalid: 0
    ConvertGasAnalysis(v);
    EXPECT_FLOAT_EQ(v[8], 96.5f);
    EXPECT_EQ(v[kGasSum], 100.0f);
    EXPECT_EQ(v[3], 0.0f);
}

TEST_F(GasCalc, AllZeroComponentsKeepMethaneZeroAndTheInputSum) {
    Set(0, 0, 0, 1);
    float v[20] = {};
    v[kGasSum] = 0.5f;
    ConvertGasAnalysis(v);
    EXPECT_EQ(v[8], 0.0f);
    EXPECT_EQ(v[kGasSum], 0.5f);
    // Also shown as volume fractions: no division by the zero Z-sum.
    Set(1, 0, 1, 1);
    float w[20] = {};
    ConvertGasAnalysis(w);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(w[i], 0.0f) << i;  // Wobbe 0 with relative density 0
}

TEST_F(GasCalc, OnlyValueOneMeansCorrection) {
    Set(0, 0, 0, 2);
    float v[20];
    TypicalGas(v);
    v[8] = 50.0f;
    ConvertGasAnalysis(v);
    EXPECT_EQ(v[8], 50.0f);
    EXPECT_EQ(v[kGasSum], 99.97f);
}

TEST_F(GasCalc, VolumeFractionsSumTo100) {
    Set(1, 0, 0, 0);
    float v[20];
    TypicalGas(v);
    ConvertGasAnalysis(v);
    EXPECT_NEAR(v[kGasSum], 100.0f, 1e-4);
    float s = 0;
    for (int i = 0; i < 11; ++i) s += v[i];
    EXPECT_NEAR(s, 100.0f, 1e-4);
    // Worked out from Z: methane 92 * 0.9981 / sum(x Z) * 100.
    EXPECT_NEAR(v[8], 92.0619188, 1e-4);
    EXPECT_NEAR(v[10], 4.4755079, 1e-5);
    // ISO values stay.
    EXPECT_EQ(v[kGasHs], 38.5f);
    EXPECT_EQ(v[kGasRelDensity], 0.6f);
}

TEST_F(GasCalc, GostFromTheTable) {
    Set(0, 0, 1, 0);
    float v[20];
    TypicalGas(v);
    ConvertGasAnalysis(v);
    EXPECT_NEAR(v[kGasHs], 38.84305, 1e-4);
    EXPECT_NEAR(v[kGasHi], 35.06730, 1e-4);
    EXPECT_NEAR(v[kGasRelDensity], 0.6084521, 1e-6);
    EXPECT_NEAR(v[kGasDensity], 0.7328501, 1e-6);
    EXPECT_NEAR(v[kGasWobbe], 49.79665, 1e-4);
    // Components stay mole fractions; compressibility, temperature, oxygen and sum untouched.
    EXPECT_EQ(v[8], 92.0f);
    EXPECT_EQ(v[kGasCompressibility], 0.9978f);
    EXPECT_EQ(v[kGasTemperature], 12.5f);
    EXPECT_EQ(v[kGasOxygen], 0.01f);
    EXPECT_EQ(v[kGasSum], 99.97f);
}

TEST_F(GasCalc, GostPureMethane) {
    Set(1, 0, 1, 0);
    float v[20] = {};
    v[8] = 100.0f;
    ConvertGasAnalysis(v);
    EXPECT_FLOAT_EQ(v[8], 100.0f);
    EXPECT_FLOAT_EQ(v[kGasHs], 37.044f);
    EXPECT_FLOAT_EQ(v[kGasHi], 33.367f);
    EXPECT_FLOAT_EQ(v[kGasRelDensity], 0.5546f);
    EXPECT_FLOAT_EQ(v[kGasDensity], 0.66798797f);
    EXPECT_FLOAT_EQ(v[kGasWobbe], 49.742538f);
}

TEST_F(GasCalc, KcalUnits) {
    float mj[20], kc[20];
    TypicalGas(mj);
    TypicalGas(kc);
    Set(0, 0, 1, 0);
    ConvertGasAnalysis(mj);
    Set(0, 1, 1, 0);
    ConvertGasAnalysis(kc);
    EXPECT_NEAR(kc[kGasHs], mj[kGasHs] * 239.08, 239.08 * 4e-6 * mj[kGasHs]);
    EXPECT_NEAR(kc[kGasHi], mj[kGasHi] * 239.08, 239.08 * 4e-6 * mj[kGasHi]);
    EXPECT_EQ(kc[kGasRelDensity], mj[kGasRelDensity]);  // not a heat value

    // ISO in kcal multiplies the controller's three heat values, also an invalid one.
    Set(0, 1, 0, 0);
    float v[20];
    TypicalGas(v);
    v[kGasHi] = std::numeric_limits<float>::infinity();
    ConvertGasAnalysis(v);
    EXPECT_FLOAT_EQ(v[kGasHs], float(38.5f * 239.08));
    EXPECT_FLOAT_EQ(v[kGasWobbe], float(49.7f * 239.08));
    EXPECT_TRUE(std::isinf(v[kGasHi]));
    EXPECT_EQ(v[kGasDensity], 0.73f);
}

TEST_F(GasCalc, Uncertainties) {
    float v[20];
    TypicalGas(v);
    ComputeComponentUncertainties(v);
    EXPECT_NEAR(ComponentUncertainty[8], 0.0036074852, 1e-10);
    EXPECT_NEAR(ComputePropertyUncertainty(v, kGasHs), 0.0496382555, 1e-9);
    EXPECT_NEAR(ComputePropertyUncertainty(v, kGasHi), 0.0454357939, 1e-9);
    EXPECT_NEAR(ComputePropertyUncertainty(v, kGasDensity), 0.000757872102, 1e-10);
    EXPECT_NEAR(ComputePropertyUncertainty(v, kGasRelDensity), 0.000629459508, 1e-10);
    EXPECT_NEAR(ComputePropertyUncertainty(v, kGasWobbe), 0.0691787675, 1e-8);
    for (int i : {0, 8, 10, 14, 15, 16, 17, 20, -1}) EXPECT_EQ(ComputePropertyUncertainty(v, i), 0.0) << i;

    // The Wobbe uncertainty is given in MJ terms whatever the unit shown.
    ReportSettings.thermal_unit = 1;
    float k[20];
    std::memcpy(k, v, sizeof k);
    k[kGasHs] = float(38.5 * 239.08);
    k[kGasWobbe] = float(49.7 * 239.08);
    EXPECT_NEAR(ComputePropertyUncertainty(k, kGasWobbe), 0.0691787667 * 239.08 * 0.0041827 / 1.0, 1e-6);
}

TEST_F(GasCalc, UncertaintyGuards) {
    float v[20] = {};
    v[8] = -0.5f;
    v[10] = std::numeric_limits<float>::quiet_NaN();
    v[1] = 1.0f;
    ComputeComponentUncertainties(v);
    EXPECT_EQ(ComponentUncertainty[8], 0.0);
    EXPECT_EQ(ComponentUncertainty[10], 0.0);
    EXPECT_NEAR(ComponentUncertainty[1], 0.0003, 1e-15);
    // No Hs or no relative density: a defined 0 instead of a division by zero.
    v[kGasWobbe] = 50.0f;
    v[kGasRelDensity] = 0.6f;
    EXPECT_EQ(ComputePropertyUncertainty(v, kGasWobbe), 0.0);
    v[kGasHs] = 38.0f;
    v[kGasRelDensity] = 0.0f;
    EXPECT_EQ(ComputePropertyUncertainty(v, kGasWobbe), 0.0);
    v[kGasRelDensity] = 0.6f;
    EXPECT_GT(ComputePropertyUncertainty(v, kGasWobbe), 0.0);
}

}  // namespace
