// The controller's packed date-time and every calculation the program does on it:
// conversion to and from the floating date-time, comparisons at several precisions,
// calendar arithmetic, stepping with carry and borrow, the summer/winter flag that goes
// with the controller clock, the readable spans of the archives and date validity.
#pragma once
#include <cstdint>

// Floating date-time: days since 30.12.1899 00:00, the time of day as the fraction.
using TDateTime = double;

// The current local date and time from the system clock, to the millisecond.
TDateTime Now();

// A floating date-time taken apart (full year) and put together again. Decoding rounds to
// the millisecond; encoding does not check the ranges of its parts.
struct DateTimeParts {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, ms = 0;
};
DateTimeParts DecodeDateTime(TDateTime dt);
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0);

// The controller's date-time (6 bytes on the wire and on disk): year - 2000, month 1..12,
// day 1..31, hour 0..23, minute 0..59, second 0..59. CtlHourTime is its first four bytes
// and CtlMinuteTime its first five; a CtlDateTime can be passed wherever one of them is
// expected and only the leading bytes are used.
struct CtlHourTime {
    uint8_t year = 0;   // year - 2000
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hour = 0;
    CtlHourTime() = default;
    CtlHourTime(uint8_t y, uint8_t mo, uint8_t d, uint8_t h) : year(y), month(mo), day(d), hour(h) {}
    bool operator==(const CtlHourTime&) const = default;
};
struct CtlMinuteTime : CtlHourTime {
    uint8_t minute = 0;
    CtlMinuteTime() = default;
    CtlMinuteTime(uint8_t y, uint8_t mo, uint8_t d, uint8_t h, uint8_t mi) : CtlHourTime(y, mo, d, h), minute(mi) {}
    explicit CtlMinuteTime(const CtlHourTime& t) : CtlHourTime(t) {}
    bool operator==(const CtlMinuteTime&) const = default;
};
struct CtlDateTime : CtlMinuteTime {
    uint8_t second = 0;
    CtlDateTime() = default;
    CtlDateTime(uint8_t y, uint8_t mo, uint8_t d, uint8_t h, uint8_t mi, uint8_t s)
        : CtlMinuteTime(y, mo, d, h, mi), second(s) {}
    explicit CtlDateTime(const CtlMinuteTime& t) : CtlMinuteTime(t) {}
    bool operator==(const CtlDateTime&) const = default;
};
static_assert(sizeof(CtlHourTime) == 4 && sizeof(CtlMinuteTime) == 5 && sizeof(CtlDateTime) == 6);

// The readable period of one archive (10 bytes on disk: begin, then end).
struct ArchiveSpan {
    CtlMinuteTime begin;
    CtlMinuteTime end;
    bool operator==(const ArchiveSpan&) const = default;
};
static_assert(sizeof(ArchiveSpan) == 10);

// Byte forms: the 4, 5 or 6 bytes at p, in record order.
CtlHourTime LoadCtlHourTime(const uint8_t* p);
CtlMinuteTime LoadCtlMinuteTime(const uint8_t* p);
CtlDateTime LoadCtlDateTime(const uint8_t* p);
void StoreCtl(const CtlHourTime& t, uint8_t* p);    // 4 bytes
void StoreCtl(const CtlMinuteTime& t, uint8_t* p);  // 5 bytes
void StoreCtl(const CtlDateTime& t, uint8_t* p);    // 6 bytes

// A calendar date with the full year.
struct CalDate {
    int year = 0;
    int month = 0;
    int day = 0;
};
inline CalDate DateOf(const CtlHourTime& t) { return CalDate{t.year + 2000, t.month, t.day}; }

// Unit codes of the stepping and comparing functions.
enum : int { kUnitHour = 0, kUnitDay = 1, kUnitMonth = 2, kUnitFiveMinutes = 3 };

// One switch rule of table 6: month, day rule, hour. Day rule bit 7 clear: the day of the
// month. Bit 7 set: bits 3..5 a weekday 1..7 (1 = Sunday), bits 0..1 the week number k,
// bit 6 set when k counts from the end of the month.
struct DstSwitchRule {
    uint8_t month = 0;
    uint8_t day_rule = 0;
    uint8_t hour = 0;
    static DstSwitchRule FromBytes(const uint8_t* p) { return DstSwitchRule{p[0], p[1], p[2]}; }
};

// Conversions. Milliseconds are dropped; the year byte is (year - 2000) modulo 256.
void DateTimeToCtl(TDateTime dt, CtlDateTime& out);
TDateTime CtlToDateTime(const CtlDateTime& t);

// Comparisons: -1, 0, 1.
int CompareCtlDateTime(const CtlDateTime& a, const CtlDateTime& b);      // all six bytes
int CompareCtlToMinute(const CtlMinuteTime& a, const CtlMinuteTime& b);  // five bytes
// Unit 2: year and month; unit 1: also the day; any other unit: also the hour.
int CompareCtlDateTimeByUnit(const CtlHourTime& a, const CtlHourTime& b, int unit);

// Calendar (Gregorian, full years).
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // 0 for a month outside 1..12
int DayOfYear(int year, int month, int day);  // months outside 1..12 count as 0
int DaysInYear(int year);
int DaysLeftInYear(const CalDate& d);
int DaysBetween(const CalDate& first, const CalDate& second);  // signed, second - first
int WeekDayOf(const CalDate& d);                               // 1..7, 1 = Sunday

// Day of the year (in year 2000 + y) on which a switch rule falls.
int DstRuleToDay(int y, const DstSwitchRule& rule);
// 0x80 when t lies in winter time, 0 in summer time.
uint8_t WinterTimeFlag(const CtlDateTime& t, const DstSwitchRule& summer, const DstSwitchRule& winter);

// Stepping with carry and borrow. Units 0 hour, 1 day, 2 month (the day of a month step is
// not adjusted). February has 29 days when the year byte is divisible by 4.
void StepCtlDateTime(CtlHourTime& t, int unit);
void StepBackCtlDateTime(CtlHourTime& t, int unit);
// Unit 3 five minutes, unit 0 an hour; any other unit leaves the time unchanged.
void StepCtlDateTime5Min(CtlMinuteTime& t, int unit);
void StepBackCtlDateTime5Min(CtlMinuteTime& t, int unit);

// True when slot <= t <= slot + 5 minutes.
bool InFiveMinuteSlot(const CtlMinuteTime& t, const CtlMinuteTime& slot);

// Readable span of the 5-minute archive from its oldest record and the controller time;
// 1 when begin <= end.
int FiveMinuteArchiveBounds(const CtlMinuteTime& oldest, const CtlMinuteTime& now, ArchiveSpan& span);

// The contract hour, the start of the gas day: byte 6 of table 6 in the table image, 0..23;
// a value above 23 is taken as 9 (0 before the table is read). Every report and archive
// span takes the hour from here.
constexpr uint8_t kDefaultContractHour = 9;
uint8_t ContractHour();

// Readable span of the hourly (unit 0), daily (1) or monthly (2) archive at the given
// contract hour; flag comes with the oldest daily record's time. 1 when begin <= end.
int HourDayArchiveBounds(const CtlHourTime& oldest, const CtlHourTime& now, ArchiveSpan& span, int unit,
                         bool flag, uint8_t contractHour);
// The same at ContractHour().
int HourDayArchiveBounds(const CtlHourTime& oldest, const CtlHourTime& now, ArchiveSpan& span, int unit,
                         bool flag);

// Number of 5-minute steps from a to b (both rounded down to a multiple of 5 minutes).
int FiveMinutePeriodsBetween(const CtlMinuteTime& a, const CtlMinuteTime& b);

// 0: the 5-minute archive does not drop old records yet; 1: it does; 2: the controller
// clock was in the last 5 seconds of a slot, the call waited into the next slot and the
// caller must read the clock again.
int CheckFiveMinuteArchiveDepth(const CtlDateTime& now, const CtlDateTime& oldest);
// Time source of that wait (seconds to wait), replaceable by tests.
void SetDepthWaitHook(void (*waitSeconds)(int));

// 1 when month, day, hour, minute and second are in range (a 31st is not checked
// against the month's length, February is), 0 otherwise.
int IsValidCtlDateTime(const CtlDateTime& t);

// Signed hours from first to second.
int HoursBetween(const CtlHourTime& first, const CtlHourTime& second);
// Unit 0 hours, 1 days, 2 months of 30 days; for days and months 0 becomes 1.
int PeriodsBetween(const CtlHourTime& first, const CtlHourTime& second, uint8_t unit);
