#include "params/gaslimits.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Units as the forms show them; some carry a blank, some are cut short, as the controller's
// own documents have them.
constexpr const char* kPercent = "%";
constexpr const char* kPercentBlank = "% ";
constexpr const char* kHeatFull = "МДж/м3";
constexpr const char* kHeatShort = "МДж/м";
constexpr const char* kDensity = "кг/м3";
constexpr const char* kBlank = " ";
constexpr const char* kNone = "";
constexpr const char* kCelsius = "°С";  // degree sign, Cyrillic capital ES

// One parameter across the five tables: the dead band row (table 22) on its own, then the
// common range of tables 23..26 with its four defaults, decimals and units.
struct ParamRow {
    float min22, max22, def22;
    uint8_t dec22;
    const char* unit22;
    float min, max;
    float def[4];
    uint8_t dec[4];
    const char* unit[4];
};

constexpr ParamRow kRows[kGasLimitParamCount] = {
    // 0 C6+
    {0.0001f, 0.1f, 0.01f, 4, kPercent, 0.0f, 0.6f, {0.002f, 0.6f, 0.001f, 0.6f}, {3, 3, 3, 3}, {kPercent, kPercent, kPercent, kPercent}},
    // 1 propane
    {0.0001f, 0.5f, 0.05f, 4, kPercent, 0.0f, 6.0f, {0.05f, 6.0f, 0.01f, 6.0f}, {3, 3, 3, 3}, {kPercent, kPercent, kPercent, kPercent}},
    // 2 i-butane
    {0.0001f, 0.1f, 0.01f, 4, kPercent, 0.0f, 1.2f, {0.002f, 1.2f, 0.001f, 1.2f}, {3, 3, 3, 3}, {kPercent, kPercent, kPercent, kPercent}},
    // 3 n-butane
    {0.0001f, 0.1f, 0.01f, 4, kPercent, 0.0f, 1.2f, {0.002f, 1.2f, 0.001f, 1.2f}, {3, 3, 3, 3}, {kPercent, kPercent, kPercent, kPercent}},
    // 4 neo-pentane
    {0.0001f, 0.1f, 0.01f, 4, kPercent, 0.0f, 1.2f, {0.0002f, 1.2f, 0.0001f, 1.2f}, {4, 3, 4, 3}, {kPercent, kPercent, kPercent, kPercent}},
    // 5 i-pentane
    {0.0001f, 0.1f, 0.01f, 4, kPercent, 0.0f, 1.2f, {0.0002f, 1.2f, 0.0001f, 1.2f}, {4, 3, 4, 3}, {kPercent, kPercent, kPercent, kPercent}},
    // 6 n-pentane
    {0.0001f, 0.1f, 0.01f, 4, kPercent, 0.0f, 1.2f, {0.0002f, 1.2f, 0.0001f, 1.2f}, {4, 3, 4, 3}, {kPercent, kPercent, kPercent, kPercent}},
    // 7 nitrogen
    {0.0001f, 10.0f, 0.05f, 4, kPercent, 0.0f, 18.0f, {0.2f, 12.0f, 0.0f, 18.0f}, {3, 3, 3, 3}, {kPercent, kPercent, kPercent, kPercent}},
    // 8 methane
    {0.0001f, 50.0f, 5.0f, 4, kPercent, 40.0f, 100.0f, {95.0f, 100.0f, 90.0f, 100.0f}, {3, 3, 3, 3}, {kPercent, kPercent, kPercent, kPercent}},
    // 9 carbon dioxide
    {0.0001f, 10.0f, 0.05f, 4, kPercent, 0.0f, 12.0f, {0.01f, 8.0f, 0.0f, 12.0f}, {3, 3, 3, 3}, {kPercent, kPercent, kPercent, kPercent}},
    // 10 ethane
    {0.0001f, 0.5f, 0.05f, 4, kPercent, 0.0f, 12.0f, {0.1f, 10.0f, 0.01f, 12.0f}, {3, 3, 3, 3}, {kPercent, kPercent, kPercent, kPercent}},
    // 11 higher heat of combustion
    {0.0001f, 50.0f, 5.0f, 4, kHeatFull, 35.0f, 45.0f, {36.0f, 45.0f, 35.0f, 45.0f}, {0, 0, 0, 0}, {kHeatFull, kHeatShort, kHeatShort, kHeatShort}},
    // 12 absolute density
    {0.0001f, 0.001f, 0.0001f, 4, kDensity, 0.66f, 1.05f, {0.67f, 1.0f, 0.66f, 1.05f}, {3, 3, 3, 3}, {kDensity, kDensity, kDensity, kDensity}},
    // 13 Wobbe index
    {0.0001f, 50.0f, 5.0f, 4, kHeatFull, 40.0f, 55.0f, {45.0f, 55.0f, 40.0f, 55.0f}, {0, 0, 0, 0}, {kHeatFull, kHeatShort, kHeatShort, kHeatShort}},
    // 14 compressibility factor
    {0.0001f, 0.01f, 0.001f, 4, kBlank, 0.997f, 1.0f, {0.998f, 0.999f, 0.997f, 1.0f}, {4, 4, 4, 4}, {kBlank, kBlank, kBlank, kBlank}},
    // 15 sum of the molar fractions
    {0.0f, 100.0f, 0.1f, 1, kPercent, 0.0f, 100.0f, {0.0f, 100.0f, 0.0f, 100.0f}, {1, 1, 1, 1}, {kPercent, kPercent, kPercent, kPercent}},
    // 16 gas temperature
    {-40.0f, 100.0f, 18.0f, 2, kCelsius, -40.0f, 100.0f, {0.0f, 100.0f, 0.0f, 100.0f}, {2, 2, 2, 2}, {kCelsius, kCelsius, kCelsius, kCelsius}},
    // 17 oxygen
    {0.0001f, 0.1f, 0.01f, 4, kPercentBlank, 0.0f, 1.2f, {0.0002f, 1.2f, 0.0001f, 1.2f}, {4, 3, 4, 3}, {kPercent, kPercent, kPercent, kPercent}},
    // 18 lower heat of combustion
    {0.0001f, 40.0f, 4.0f, 4, kHeatFull, 30.0f, 40.0f, {32.0f, 40.0f, 30.0f, 40.0f}, {0, 0, 0, 0}, {kHeatFull, kHeatShort, kHeatShort, kHeatShort}},
    // 19 relative density
    {0.0001f, 0.001f, 0.0001f, 4, kNone, 0.425f, 0.85f, {0.5f, 0.7f, 0.425f, 0.85f}, {3, 3, 3, 3}, {kNone, kNone, kNone, kBlank}},
};

constexpr GasParamLimitDescr Descr(int kind, int param) {
    const ParamRow& r = kRows[param];
    if (kind == 0) return GasParamLimitDescr{r.min22, r.max22, r.def22, r.unit22, r.dec22};
    return GasParamLimitDescr{r.min, r.max, r.def[kind - 1], r.unit[kind - 1], r.dec[kind - 1]};
}

#define QVR_LIMIT_ROW(K)                                                                                     \
    {                                                                                                        \
        Descr(K, 0), Descr(K, 1), Descr(K, 2), Descr(K, 3), Descr(K, 4), Descr(K, 5), Descr(K, 6),            \
            Descr(K, 7), Descr(K, 8), Descr(K, 9), Descr(K, 10), Descr(K, 11), Descr(K, 12), Descr(K, 13),    \
            Descr(K, 14), Descr(K, 15), Descr(K, 16), Descr(K, 17), Descr(K, 18), Descr(K, 19)                \
    }

}  // namespace

const GasParamLimitDescr GasParamLimitTables[kLimitKindCount][kGasLimitParamCount] = {
    QVR_LIMIT_ROW(0), QVR_LIMIT_ROW(1), QVR_LIMIT_ROW(2), QVR_LIMIT_ROW(3), QVR_LIMIT_ROW(4),
};

#undef QVR_LIMIT_ROW

namespace qvr {

const GasParamLimitDescr* GasParamLimitOf(int table, int param) {
    const int kind = table - kFirstLimitTable;
    if (kind < 0 || kind >= kLimitKindCount || param < 0 || param >= kGasLimitParamCount) return nullptr;
    return &GasParamLimitTables[kind][param];
}

bool InGasParamRange(const GasParamLimitDescr& d, double value) {
    if (!std::isfinite(value)) return false;
    return double(d.min) - kGasLimitTolerance <= value && value <= double(d.max) + kGasLimitTolerance;
}

std::string FormatLimitValue(double value, int decimals) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (decimals < 0) decimals = 0;
    if (decimals > 18) decimals = 18;
    char buf[64];
    // Numbers of more than 10 integer digits cannot be shown in fixed notation with 10
    // significant digits.
    if (std::fabs(value) >= 1e10) {
        std::snprintf(buf, sizeof buf, "%.9E", value);
        return buf;
    }
    // Round to 10 significant digits first, then lay out with the decimals.
    std::snprintf(buf, sizeof buf, "%.9e", value);
    const double rounded = std::strtod(buf, nullptr);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded);
    std::string s = buf;
    // A rounded zero is shown without its sign.
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

bool ParseLimitValue(const std::string& text, double& value) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    size_t e = text.find_last_not_of(' ');
    std::string s = text.substr(b, e - b + 1);
    for (char& c : s)
        if (c == ',') c = '.';
    // Only what the float fields let through: digits, one separator, an exponent, signs.
    for (char c : s)
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-')) return false;
    if (s[0] == '+') return false;
    double v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

}  // namespace qvr
