// Gas properties for display: turns one analysis as the controller reports it (component
// fractions in mole percent; heating values, density and Wobbe index by the ISO method)
// into the values that views, prints and reports show under ReportSettings: methane by
// difference, mole or volume fractions, MJ or kcal, and either the controller's values or
// values computed here by the GOST method from the component property table. Also the
// expanded uncertainties printed beside an ISO analysis in the one-analysis passport.
//
// GasAnalysis indexes: 0 C6+, 1 propane, 2 i-butane, 3 n-butane, 4 neo-pentane,
// 5 i-pentane, 6 n-pentane, 7 nitrogen, 8 methane, 9 carbon dioxide, 10 ethane;
// 11 Hs, 12 density, 13 Wobbe index, 14 compressibility, 15 sum of components, 16 gas
// temperature, 17 oxygen, 18 Hi, 19 relative density.
#pragma once
#include <cstdint>

#include "data/archformat.h"

namespace qvr {

constexpr int kGasComponentCount = 11;

// Indexes of the analysis values used by name.
enum : int {
    kGasMethane = 8,
    kGasHs = 11,
    kGasDensity = 12,
    kGasWobbe = 13,
    kGasCompressibility = 14,
    kGasSum = 15,
    kGasTemperature = 16,
    kGasOxygen = 17,
    kGasHi = 18,
    kGasRelDensity = 19,
};

// Reference conditions: p0 (kPa), R (J/(mol K)), T0 (K), molar mass of air (g/mol).
extern const double GasReferenceConstants[4];
constexpr double kKcalPerMJ = 239.08;
constexpr double kMJPerKcal = 0.0041827;
constexpr double kAirDensity = 1.20445;  // dry air at 20 °C and 101.325 kPa, kg/m3

// Columns of the property table.
enum : int {
    kPropZ = 0,       // compressibility factor
    kPropHsMJ = 1,    // higher heating value, MJ/m3
    kPropHsKcal = 2,  // the same in kcal/m3 (filled by BuildKcalColumns)
    kPropHiMJ = 3,    // lower heating value, MJ/m3
    kPropHiKcal = 4,  // the same in kcal/m3 (filled by BuildKcalColumns)
    kPropD = 5,       // relative density
    kPropM = 6,       // molar mass, g/mol
    kPropK = 7,       // uncertainty coefficient
};

// One row per component (rows 0..10 by analysis index, row 11 oxygen).
extern double ComponentPropertyTable[12][8];
// Expanded uncertainty of each component of the last analysis given to
// ComputeComponentUncertainties.
extern double ComponentUncertainty[kGasComponentCount];

// Fills the kcal columns (2 and 4) from the MJ columns. The main window runs it once at
// start-up, before any other function here.
void BuildKcalColumns();

// Converts an analysis (20 values) in place by ReportSettings, read at each call.
void ConvertGasAnalysis(float* v);
inline void ConvertGasAnalysis(GasAnalysis& a) { ConvertGasAnalysis(a.v); }

// Fills ComponentUncertainty from the component fractions of the analysis. A fraction
// that is negative or not a number has no uncertainty (0) and no share in the values below.
void ComputeComponentUncertainties(const float* v);
inline void ComputeComponentUncertainties(const GasAnalysis& a) { ComputeComponentUncertainties(a.v); }

// Expanded uncertainty of the value at analysis index 11, 12, 13, 18 or 19 (0 for any
// other index). ComputeComponentUncertainties must have run on the same analysis first.
// The Wobbe index of an analysis whose Hs or relative density is zero (or not a positive
// number) gets 0.
double ComputePropertyUncertainty(const float* v, int32_t index);
inline double ComputePropertyUncertainty(const GasAnalysis& a, int32_t index) {
    return ComputePropertyUncertainty(a.v, index);
}

}  // namespace qvr
