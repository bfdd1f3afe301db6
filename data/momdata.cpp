#include "data/momdata.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "common/bytes.h"
#include "common/stringi.h"
#include "common/suplfunc.h"
#include "reports/chromorder.h"

namespace qvr {

namespace {

std::string Fmt6(const char* format, int a, int b, int c, int d, int e, int f) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a, b, c, d, e, f);
    return buf;
}

}  // namespace

std::string SituationTimeText(const uint8_t* t16) {
    const uint8_t* p = t16 + situation::kTime;
    // Stored year, month, day, hour, minute, second; shown day first.
    return Fmt6("%02d.%02d.%02d  %02d:%02d:%02d", p[2], p[1], p[0], p[3], p[4], p[5]);
}

void NormaliseSituationWords(uint8_t* t16, uint8_t byteOrder) {
    if (byteOrder != 0) return;
    for (int at : {situation::kWord1, situation::kWord2}) std::swap(t16[at], t16[at + 1]);
}

std::string MomTimeText(const uint8_t* record) {
    return Fmt6("%02d.%02d.%02d %02d:%02d:%02d", record[2], record[1], record[0], record[4], record[5],
                record[6]);
}

std::string FixedValueText(float v, int decimals) {
    if (IsFloatNaN(v) || !std::isfinite(v)) return "?";
    if (decimals < 0) decimals = 0;
    if (decimals > 10) decimals = 10;
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, "%.*f", decimals, double(v));
    if (n <= 0 || size_t(n) >= sizeof buf) return "?";  // a value too long for a label
    return buf;
}

ZoneView ZoneDisplay(uint8_t zone) {
    switch (zone) {
        case 0: return {ZoneNames[0], kZoneNormRgb};
        case 1:
        case 2: return {ZoneNames[zone], kZoneWarningRgb};
        case 3:
        case 4: return {ZoneNames[zone], kZoneAlarmRgb};
        default: return {"?", kZoneUnknownRgb};
    }
}

std::string GasParamCaption(int i, bool volume, bool kcal) {
    if (i < 0 || i >= kGasParamCount) return "";
    const char* name = volume ? GasParamNamesVolume[i] : GasParamNamesMolar[i];
    const char* unit = kcal ? ChromParamUnitsKcal[i] : ChromParamUnitsMJ[i];
    return std::string(name ? name : "") + ", " + unit;
}

std::string MoistureValueText(const uint8_t* t37, int i) {
    if (i < 0 || i >= kMoistureValueCount) return "   ?";
    const float v = GetF32(t37 + 8 + 4 * i);
    const std::string s = FormatValue6(v);
    if (s.empty()) return "   ?";
    return "  " + s;
}

void FillTableStateFromImage(TableStateBuffer* state) {
    if (!state) return;
    const uint8_t* t7 = TablePtr(7);
    for (int t = 0; t < kTableCount; ++t) {
        state->destroyed[t] = t7[t];
        state->present[t] = FieldLayoutTable[t].isConfigTable;
        state->toWrite[t] = 0;
    }
}

}  // namespace qvr
