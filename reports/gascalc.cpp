#include "reports/gascalc.h"

#include <cmath>

#include "app/rd_wr_ini.h"
#include "common/suplfunc.h"

namespace qvr {

const double GasReferenceConstants[4] = {101.325, 8.3145, 293.15, 28.9626};

// Z, Hs MJ, Hs kcal, Hi MJ, Hi kcal, d, M, k.
double ComponentPropertyTable[12][8] = {
    {0.919, 174.46, 0, 161.59, 0, 2.976, 86.177, 0.3},       // C6+
    {0.9834, 92.29, 0, 84.94, 0, 1.549, 44.097, 0.2},        // propane
    {0.971, 119.28, 0, 110.09, 0, 2.068, 58.123, 0.3},       // i-butane
    {0.9682, 119.66, 0, 110.47, 0, 2.071, 58.123, 0.3},      // n-butane
    {0.945, 146.16, 0, 135.13, 0, 2.637, 72.15, 0.3},        // neo-pentane
    {0.953, 146.76, 0, 135.72, 0, 2.637, 72.15, 0.3},        // i-pentane
    {0.945, 147.04, 0, 136.01, 0, 2.637, 72.15, 0.3},        // n-pentane
    {0.9997, 0, 0, 0, 0, 0.967, 28.0135, 0.3},               // nitrogen
    {0.9981, 37.044, 0, 33.367, 0, 0.5546, 16.043, 0.1},     // methane
    {0.9947, 0, 0, 0, 0, 1.528, 44.01, 0.3},                 // carbon dioxide
    {0.992, 64.91, 0, 59.39, 0, 1.046, 30.07, 0.1},          // ethane
    {0.9993, 0, 0, 0, 0, 1.105, 31.9988, 0.3},               // oxygen
};

double ComponentUncertainty[kGasComponentCount] = {};

namespace {

// Sums are kept in single precision, each addition rounded back, as the controller's
// own figures are; the products use the table's doubles.
inline void AddF(float& sum, double term) { sum = float(double(sum) + term); }

}  // namespace

void BuildKcalColumns() {
    for (int i = 0; i < kGasComponentCount; ++i) {
        ComponentPropertyTable[i][kPropHsKcal] = ComponentPropertyTable[i][kPropHsMJ] * kKcalPerMJ;
        ComponentPropertyTable[i][kPropHiKcal] = ComponentPropertyTable[i][kPropHiMJ] * kKcalPerMJ;
    }
}

void ConvertGasAnalysis(float* v) {
    if (!v) return;
    const ReportSettingsRecord& rs = ReportSettings;
    const auto& T = ComponentPropertyTable;

    for (int i = 0; i < kGasComponentCount; ++i)
        if (IsFloatNaN(v[i])) v[i] = 0.0f;

    float A[kGasComponentCount];
    float B[kGasComponentCount];
    float W[kGasParamCount];
    for (int i = 0; i < kGasComponentCount; ++i) A[i] = v[i];
    for (int i = 0; i < kGasParamCount; ++i) W[i] = v[i];

    if (rs.metan_corr == 1) {
        float s = 0.0f;
        for (int i = 0; i < kGasComponentCount; ++i)
            if (i != kGasMethane) AddF(s, v[i]);
        if (!(s == 0.0f && v[kGasMethane] == 0.0f)) {
            A[kGasMethane] = float(100.0 - double(s));
            W[kGasSum] = 100.0f;
        }
    }

    float sz = 0.0f;
    for (int i = 0; i < kGasComponentCount; ++i) AddF(sz, double(A[i]) * T[i][kPropZ]);
    for (int i = 0; i < kGasComponentCount; ++i)
        B[i] = sz == 0.0f ? 0.0f : float(double(A[i]) * T[i][kPropZ] / double(sz) * 100.0);

    if (rs.prz_composition == 0) {
        for (int i = 0; i < kGasComponentCount; ++i) W[i] = A[i];
    } else {
        float sum = 0.0f;
        for (int i = 0; i < kGasComponentCount; ++i) {
            W[i] = B[i];
            AddF(sum, B[i]);
        }
        W[kGasSum] = sum;
    }

    const bool kcal = rs.thermal_unit != 0;
    if (rs.calc_formula == 0) {
        if (kcal) {
            W[kGasHs] = float(double(v[kGasHs]) * kKcalPerMJ);
            W[kGasHi] = float(double(v[kGasHi]) * kKcalPerMJ);
            W[kGasWobbe] = float(double(v[kGasWobbe]) * kKcalPerMJ);
        }
    } else {
        const int hsCol = kcal ? kPropHsKcal : kPropHsMJ;
        const int hiCol = kcal ? kPropHiKcal : kPropHiMJ;
        float hs = 0.0f, hi = 0.0f, d = 0.0f;
        for (int i = 0; i < kGasComponentCount; ++i) {
            AddF(hs, double(B[i]) * T[i][hsCol] * 0.01);
            AddF(hi, double(B[i]) * T[i][hiCol] * 0.01);
            AddF(d, double(B[i]) * T[i][kPropD] * 0.01);
        }
        W[kGasHs] = hs;
        W[kGasHi] = hi;
        W[kGasRelDensity] = d;
        W[kGasDensity] = float(double(d) * kAirDensity);
        W[kGasWobbe] = d == 0.0f ? 0.0f : float(double(hs) / std::sqrt(double(d)));
    }
    // Compressibility, gas temperature and oxygen keep the values read.
    for (int i = 0; i < kGasParamCount; ++i) v[i] = W[i];
}

void ComputeComponentUncertainties(const float* v) {
    for (int i = 0; i < kGasComponentCount; ++i) {
        const double x = v ? double(v[i]) : 0.0;
        // A negative or invalid fraction has no real power: it contributes nothing.
        ComponentUncertainty[i] = (std::isfinite(x) && x > 0.0) ? std::pow(x, 0.55) * 0.015 * 2 * 0.01 : 0.0;
    }
}

namespace {

// Uncertainty of a heating value from the table column (MJ), as in the Hs / Hi rows.
double HeatUncertainty(const float* v, int col) {
    const auto& T = ComponentPropertyTable;
    double s1 = 0.0, s2 = 0.0;
    for (int i = 0; i < kGasComponentCount; ++i) {
        const double a = ComponentUncertainty[i] * (T[i][col] - T[kGasMethane][col]);
        const double x = std::isfinite(v[i]) ? double(v[i]) : 0.0;  // invalid fraction: no share
        const double b = T[i][kPropK] * T[i][col] * 0.01 * x * 0.01;
        s1 += a * a;
        s2 += b * b;
    }
    return std::sqrt(s1 + s2);
}

double MolarMassSpread(const float*) {
    const auto& T = ComponentPropertyTable;
    double s = 0.0;
    for (int i = 0; i < kGasComponentCount; ++i) {
        const double a = (T[i][kPropM] - T[kGasMethane][kPropM]) * ComponentUncertainty[i];
        s += a * a;
    }
    return std::sqrt(s);
}

}  // namespace

double ComputePropertyUncertainty(const float* v, int32_t index) {
    if (!v) return 0.0;
    const double p0 = GasReferenceConstants[0], R = GasReferenceConstants[1], T0 = GasReferenceConstants[2],
                 mAir = GasReferenceConstants[3];
    switch (index) {
    case kGasHs:
        return HeatUncertainty(v, kPropHsMJ);
    case kGasHi:
        return HeatUncertainty(v, kPropHiMJ);
    case kGasDensity:
        return MolarMassSpread(v) * p0 / (R * T0);
    case kGasRelDensity:
        return MolarMassSpread(v) / mAir;
    case kGasWobbe: {
        const double hs = v[kGasHs], d = v[kGasRelDensity], w = v[kGasWobbe];
        if (!(hs != 0.0 && std::isfinite(hs)) || !(d > 0.0 && std::isfinite(d))) return 0.0;
        const double uH = HeatUncertainty(v, kPropHsMJ);
        const double ud = MolarMassSpread(v) / mAir;
        const double rd = (ud / (2.0 * d)) * (ud / (2.0 * d));
        if (ReportSettings.thermal_unit == 0) {
            const double r = uH / hs;
            return std::sqrt(r * r + rd) * w;
        }
        const double r = uH / (hs * kMJPerKcal);
        return std::sqrt(r * r + rd) * w * kMJPerKcal;
    }
    default:
        return 0.0;
    }
}

}  // namespace qvr
