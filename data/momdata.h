// The controller's live tables as the current-state and momentary-data windows show them:
// the abnormal-situation summary (table 16), the links to the chromatograph and the
// moisture analyser (table 33), the chromatograph's latest analysis and zones (tables 30
// and 32), the moisture analyser's latest values (table 37), and the blocks the
// current-state window hands on (flow-computer states, table states). No Qt here: the
// windows format through these functions and the tests check them directly.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "data/archformat.h"
#include "link/conffun.h"

namespace qvr {

// Tables the windows poll.
constexpr int kTableSituation = 16;    // 18 x 1
constexpr int kTableLinks = 33;        // 2 x 1
constexpr int kTableChromMom = 30;     // 22 x 4
constexpr int kTableChromZones = 32;   // 20 x 1
constexpr int kTableMoistureMom = 37;  // 7 x 4

constexpr int kOxygenIndex = 17;       // never shown by the momentary-data window
constexpr size_t kChromMomBytes = 88;  // table 30
constexpr size_t kMoistureMomBytes = 28;  // table 37

// Byte positions in table 16.
namespace situation {
constexpr int kTime = 0;            // CtlDateTime of the last change of the flags
constexpr int kFlowComputers = 6;   // exchange with the flow computers
constexpr int kChromatograph = 7;   // polling of the chromatograph
constexpr int kSelfDiagnosis = 9;   // configuration tables
constexpr int kAbnormalValue = 10;  // a monitored value is abnormal
constexpr int kWord1 = 12;          // 16-bit words, not shown
constexpr int kWord2 = 16;
}  // namespace situation

// "%02d.%02d.%02d  %02d:%02d:%02d" (day, month, year, hour, minute, second) of the 6-byte
// CtlDateTime at p: the time of the last change of the abnormal-situation flags.
std::string SituationTimeText(const uint8_t* t16);

// The words of table 16 in low-byte-first order: when byteOrder (identification byte
// 10) is 0 the controller sends them high byte first, and both are swapped in place.
void NormaliseSituationWords(uint8_t* t16, uint8_t byteOrder);

// "%02d.%02d.%02d %02d:%02d:%02d" from the two leading 4-byte fields of a momentary
// record: field 0 = year - 2000, month, day, (unused); field 1 = hour, minute, second.
std::string MomTimeText(const uint8_t* record);

// The GasAnalysis in fields 2..21 of table 30.
constexpr size_t kChromMomGasAt = 8;

// A value in fixed-point form with `decimals` places (clamped to 0..10); "?" for a value
// that cannot be shown (NaN or infinity).
std::string FixedValueText(float v, int decimals);

// How a zone code of table 32 is shown.
struct ZoneView {
    std::string text;  // the ZoneNames entry, "?" for a code above 4
    uint32_t rgb;      // 0xRRGGBB
};
ZoneView ZoneDisplay(uint8_t zone);
constexpr uint32_t kZoneNormRgb = 0x000000;
constexpr uint32_t kZoneWarningRgb = 0x723838;
constexpr uint32_t kZoneAlarmRgb = 0xFF0000;
constexpr uint32_t kZoneUnknownRgb = 0x008000;

// "%s, %s": the long name of gas parameter i (volume or molar fractions) and its unit
// (kcal or MJ). "" for an index outside 0..19.
std::string GasParamCaption(int i, bool volume, bool kcal);

// Value i (0..3) of table 37 (field 2 + i) as "  " + FormatValue6; "   ?" when the value
// cannot be shown.
std::string MoistureValueText(const uint8_t* t37, int i);

// The table-state buffer after a read of table 7: destroyed = its 38 bytes, present = the
// configuration-table flag of each table, to-write cleared.
void FillTableStateFromImage(TableStateBuffer* state);

}  // namespace qvr
