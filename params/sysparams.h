// Table 6 (system parameters: summer- and winter-time switching, contract hour, which
// analysers are connected), the one-byte switch-day rule it holds twice, and table 28 (the
// period of writing hourly means into the flow computers). Plain byte work for the forms
// that edit them.
#pragma once
#include <cstdint>

// Table 6, ten one-byte fields.
struct SystemParamsRecord {
    uint8_t summerMonth;   // 0 month of the switch to summer time (0 = no switch; 2..5)
    uint8_t summerDay;     // 1 day of that switch, a DstDayRule
    uint8_t summerHour;    // 2 hour of that switch, 0..22
    uint8_t winterMonth;   // 3 month of the switch to winter time (0 = no switch; 9..12)
    uint8_t winterDay;     // 4 day of that switch, a DstDayRule
    uint8_t winterHour;    // 5 hour of that switch, 1..23
    uint8_t contractHour;  // 6 start of the gas day, 0..23
    uint8_t chromPresent;  // 7 chromatograph connected (always 1)
    uint8_t moisturePresent;  // 8 moisture analyser connected, 0 or 1
    uint8_t reserved;      // 9 kept as it is
};
static_assert(sizeof(SystemParamsRecord) == 10, "SystemParamsRecord is table 6, 10 bytes");

namespace sysparams {
constexpr int kSize = 10;
constexpr int kSummerMonth = 0;
constexpr int kSummerDay = 1;
constexpr int kSummerHour = 2;
constexpr int kWinterMonth = 3;
constexpr int kWinterDay = 4;
constexpr int kWinterHour = 5;
constexpr int kContractHour = 6;
constexpr int kChromPresent = 7;
constexpr int kMoisturePresent = 8;
constexpr int kReserved = 9;

// Default values of a new record: last Sunday of March at 3:00, last Sunday of October at
// 4:00, contract hour 9, both analysers present.
constexpr uint8_t kDefaults[kSize] = {3, 201, 3, 10, 201, 4, 9, 1, 1, 0};
}  // namespace sysparams

SystemParamsRecord LoadSystemParams(const uint8_t* p);
void StoreSystemParams(const SystemParamsRecord& r, uint8_t* p);

// DstDayRule, one byte. Bit 7 clear: bits 0..6 are the day of the month. Bit 7 set: bits
// 3..5 a weekday 1..7 (1 = Sunday), bits 0..2 a week number counted from the start of the
// month (bit 6 clear: 1 first .. 3 third) or from its end (bit 6 set: 1 last, 2 last but
// one). The forms show the week as a list of five: positions 0..2 the first three weeks,
// 3 the last but one, 4 the last.
using DstDayRule = uint8_t;

namespace dstrule {

constexpr uint8_t kWeekMode = 0x80;
constexpr uint8_t kFromEnd = 0x40;

inline bool IsWeekMode(DstDayRule r) { return (r & kWeekMode) != 0; }
// List positions shown for a rule; -1 when the rule holds nothing the list has.
int DayOfMonthPosition(DstDayRule r);  // (r AND 127) - 1
int WeekPosition(DstDayRule r);        // 0..4
int WeekDayPosition(DstDayRule r);     // weekday - 1

// Edits of one part of a rule by a list position.
DstDayRule WithWeekMode(DstDayRule r, bool weekMode);
DstDayRule WithDayOfMonth(DstDayRule r, int position);
DstDayRule WithWeek(DstDayRule r, int position);
DstDayRule WithWeekDay(DstDayRule r, int position);

// Length of the day-of-month list of a season for a switch month (0 = none).
int SummerDayCount(int month);
int WinterDayCount(int month);

}  // namespace dstrule

// Table 28: the period in hours of writing hourly means into the flow computers.
namespace hourmean {
constexpr int kPeriodCount = 7;
constexpr uint8_t kPeriods[kPeriodCount] = {1, 2, 3, 4, 6, 12, 24};
constexpr uint8_t kDefaultPeriod = 1;
// Position of a period in kPeriods, -1 when it is none of them.
int PeriodPosition(uint8_t period);
}  // namespace hourmean
