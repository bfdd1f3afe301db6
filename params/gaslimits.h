// The fixed ranges, default values, units and numbers of decimals of the 20 gas parameters
// in the five float tables 22..26 (dead band, lower and upper warning set point, lower and
// upper limit of the values admitted for writing into the flow computers). The limits form
// checks every value against them, new configuration records take their defaults from them
// and the diagnostic-log view takes their units.
#pragma once
#include <cstdint>
#include <string>

// One parameter of one table. unit is UTF-8 and never null.
struct GasParamLimitDescr {
    float min;
    float max;
    float def;
    const char* unit;
    uint8_t decimals;
};

constexpr int kLimitKindCount = 5;       // LimitKind 0..4 = table 22..26
constexpr int kGasLimitParamCount = 20;  // gas parameters 0..19
constexpr int kOxygenParam = 17;         // never edited by the forms
constexpr int kFirstLimitTable = 22;

// Indexed [LimitKind][gas parameter].
extern const GasParamLimitDescr GasParamLimitTables[kLimitKindCount][kGasLimitParamCount];

// Tolerance of the range check: min - it <= value <= max + it.
constexpr double kGasLimitTolerance = 0.00001;

namespace qvr {

// The descriptor of a table 22..26 and a parameter; null for anything else.
const GasParamLimitDescr* GasParamLimitOf(int table, int param);

// True when value lies in the descriptor's range within the tolerance (NaN and infinities
// never do).
bool InGasParamRange(const GasParamLimitDescr& d, double value);

// Fixed-point text with the given decimals after rounding to at most 10 significant
// digits; "NAN" and "INF"/"-INF" for values that are not numbers. The separator is '.'.
std::string FormatLimitValue(double value, int decimals);

// Parses a value text as typed ('.' or ',' as separator, optional exponent, blanks around
// allowed). False for an empty text, a text that is not wholly a number, or a value that
// is not finite.
bool ParseLimitValue(const std::string& text, double& value);

}  // namespace qvr
