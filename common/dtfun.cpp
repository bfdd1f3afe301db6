#include "common/dtfun.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

#include "common/uihooks.h"
#include "link/tabledir.h"

namespace {

using namespace std::chrono;

const int kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                               {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// Day 0 of TDateTime.
constexpr sys_days kEpoch = sys_days{year{1899} / December / 30};

// Day number of a date on the civil calendar. Valid dates go straight through
// std::chrono; anything else (day 0, a 30th of February, month 0) counts from the
// start of its year by DayOfYear, so every input gives a defined number.
long DayNumber(const CalDate& d) {
    year_month_day ymd{year{d.year}, month{unsigned(d.month)}, day{unsigned(d.day)}};
    if (d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31 && ymd.ok())
        return long(sys_days{ymd}.time_since_epoch().count());
    sys_days jan1{year{d.year} / January / 1};
    return long(jan1.time_since_epoch().count()) + DayOfYear(d.year, d.month, d.day) - 1;
}

CalDate DateOfDayNumber(long n) {
    year_month_day ymd{sys_days{days{n}}};
    return CalDate{int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
}

// Month length as the controller steps: February has 29 days when the year byte is
// divisible by 4.
int CtlMonthDays(uint8_t yearByte, uint8_t month) {
    if (month < 1 || month > 12) return 0;
    return kMonthDays[(yearByte % 4) == 0 ? 1 : 0][month - 1];
}

void NextMonth(CtlHourTime& t) {
    if (t.month >= 12) {
        t.month = 1;
        t.year++;
    } else {
        t.month++;
    }
}

void PrevMonth(CtlHourTime& t) {
    if (t.month <= 1) {
        t.month = 12;
        t.year--;
    } else {
        t.month--;
    }
}

void SleepWithPump(int seconds) {
    auto deadline = steady_clock::now() + std::chrono::seconds(seconds);
    while (steady_clock::now() < deadline) {
        qvr::ProcessMessages();
        std::this_thread::sleep_for(milliseconds(20));
    }
}
void (*g_depthWait)(int) = &SleepWithPump;

}  // namespace

uint8_t ContractHour() {
    const uint8_t* t6 = TablePtr(6);
    if (!t6 || TableSize(6) <= 6) return 0;
    // An hour the controller cannot hold is taken as the default start of the gas day.
    return t6[6] > 23 ? kDefaultContractHour : t6[6];
}

TDateTime Now() {
    auto now = system_clock::now();
    std::time_t tt = system_clock::to_time_t(now);
    std::tm lt{};
    localtime_r(&tt, &lt);
    long ms = long(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    if (ms < 0) ms += 1000;
    long dn = DayNumber(CalDate{lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday}) -
              long(kEpoch.time_since_epoch().count());
    return double(dn) + (lt.tm_hour * 3600000.0 + lt.tm_min * 60000.0 + lt.tm_sec * 1000.0 + ms) / 86400000.0;
}

CtlHourTime LoadCtlHourTime(const uint8_t* p) { return CtlHourTime(p[0], p[1], p[2], p[3]); }
CtlMinuteTime LoadCtlMinuteTime(const uint8_t* p) { return CtlMinuteTime(p[0], p[1], p[2], p[3], p[4]); }
CtlDateTime LoadCtlDateTime(const uint8_t* p) { return CtlDateTime(p[0], p[1], p[2], p[3], p[4], p[5]); }
void StoreCtl(const CtlHourTime& t, uint8_t* p) {
    p[0] = t.year;
    p[1] = t.month;
    p[2] = t.day;
    p[3] = t.hour;
}
void StoreCtl(const CtlMinuteTime& t, uint8_t* p) {
    StoreCtl(static_cast<const CtlHourTime&>(t), p);
    p[4] = t.minute;
}
void StoreCtl(const CtlDateTime& t, uint8_t* p) {
    StoreCtl(static_cast<const CtlMinuteTime&>(t), p);
    p[5] = t.second;
}

// ---- conversions ----

DateTimeParts DecodeDateTime(TDateTime dt) {
    if (!std::isfinite(dt)) dt = 0;
    // Keep to the years 1..9999, where the calendar arithmetic is defined.
    if (dt > 2958465.0) dt = 2958465.0;
    if (dt < -693593.0) dt = -693593.0;
    double whole = std::floor(dt);
    long dayNum = long(whole);
    long long ms = std::llround((dt - whole) * 86400000.0);
    if (ms >= 86400000LL) {
        ms -= 86400000LL;
        dayNum++;
    }
    CalDate d = DateOfDayNumber(dayNum + long(kEpoch.time_since_epoch().count()));
    DateTimeParts p;
    p.year = d.year;
    p.month = d.month;
    p.day = d.day;
    long secs = long(ms / 1000);
    p.hour = int(secs / 3600);
    p.minute = int(secs / 60 % 60);
    p.second = int(secs % 60);
    p.ms = int(ms % 1000);
    return p;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int ms) {
    return double(DaysBetween(CalDate{1899, 12, 30}, CalDate{year, month, day})) +
           (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + ms) / 86400000.0;
}

void DateTimeToCtl(TDateTime dt, CtlDateTime& out) {
    DateTimeParts p = DecodeDateTime(dt);
    out.year = uint8_t(unsigned(p.year - 2000) & 0xFF);
    out.month = uint8_t(p.month);
    out.day = uint8_t(p.day);
    out.hour = uint8_t(p.hour);
    out.minute = uint8_t(p.minute);
    out.second = uint8_t(p.second);
}

TDateTime CtlToDateTime(const CtlDateTime& t) {
    return double(DaysBetween(CalDate{1899, 12, 30}, DateOf(t))) +
           (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400.0;
}

// ---- comparisons ----

int CompareCtlDateTime(const CtlDateTime& a, const CtlDateTime& b) {
    uint8_t x[6], y[6];
    StoreCtl(a, x);
    StoreCtl(b, y);
    for (int i = 0; i < 6; ++i)
        if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
    return 0;
}

int CompareCtlToMinute(const CtlMinuteTime& a, const CtlMinuteTime& b) {
    uint8_t x[5], y[5];
    StoreCtl(a, x);
    StoreCtl(b, y);
    for (int i = 0; i < 5; ++i)
        if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
    return 0;
}

int CompareCtlDateTimeByUnit(const CtlHourTime& a, const CtlHourTime& b, int unit) {
    int n = unit == kUnitMonth ? 2 : unit == kUnitDay ? 3 : 4;
    uint8_t x[4], y[4];
    StoreCtl(a, x);
    StoreCtl(b, y);
    for (int i = 0; i < n; ++i)
        if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
    return 0;
}

// ---- calendar ----

bool IsLeapYear(int y) { return (y % 400 == 0) || (y % 4 == 0 && y % 100 != 0); }

int DaysInMonth(int y, int m) {
    if (m < 1 || m > 12) return 0;
    return kMonthDays[IsLeapYear(y) ? 1 : 0][m - 1];
}

int DayOfYear(int y, int m, int d) {
    int sum = 0;
    if (m >= 1 && m <= 12)
        for (int i = 1; i < m; ++i) sum += DaysInMonth(y, i);
    return sum + d;
}

int DaysInYear(int y) { return IsLeapYear(y) ? 366 : 365; }

int DaysLeftInYear(const CalDate& d) { return DaysInYear(d.year) - DayOfYear(d.year, d.month, d.day); }

int DaysBetween(const CalDate& a, const CalDate& b) { return int(DayNumber(b) - DayNumber(a)); }

int WeekDayOf(const CalDate& d) {
    int n = DaysBetween(CalDate{2002, 1, 6}, d) % 7;  // 6.1.2002 was a Sunday
    if (n < 0) n += 7;
    return n + 1;
}

// ---- summer and winter time ----

int DstRuleToDay(int y, const DstSwitchRule& rule) {
    int Y = y + 2000;
    int month = rule.month > 12 ? 0 : rule.month;  // no such month: a month with no days before it
    uint8_t r = rule.day_rule;
    if (!(r & 0x80)) return DayOfYear(Y, month, r);
    int weekday = (r >> 3) & 7;
    int k = r & 3;
    if (r & 0x40) {
        int last = (month == 2 && Y % 4 == 0) ? 29 : DaysInMonth(Y, month);
        int d = weekday - WeekDayOf(CalDate{Y, month, last});
        if (d <= 0) d += 7;
        return DayOfYear(Y, month, last) + d - 7 * k;
    }
    int e = WeekDayOf(CalDate{Y, month, 1}) - weekday;
    if (e <= 0) e += 7;
    return DayOfYear(Y, month, 1) - e + 7 * k;
}

uint8_t WinterTimeFlag(const CtlDateTime& t, const DstSwitchRule& summer, const DstSwitchRule& winter) {
    int S = DstRuleToDay(t.year, summer);
    int W = DstRuleToDay(t.year, winter);
    int D = DayOfYear(t.year + 2000, t.month, t.day);
    if (S > D || D > W) return 0x80;
    if (S < D && D < W) return 0;
    if (D == S) return summer.hour > t.hour ? 0x80 : 0;
    return winter.hour > t.hour ? 0 : 0x80;
}

// ---- stepping ----

void StepCtlDateTime(CtlHourTime& t, int unit) {
    switch (unit) {
        case kUnitHour:
            if (t.hour >= 23) {
                t.hour = 0;
                StepCtlDateTime(t, kUnitDay);
            } else {
                t.hour++;
            }
            break;
        case kUnitDay:
            if (t.day + 1 > CtlMonthDays(t.year, t.month)) {
                t.day = 1;
                NextMonth(t);
            } else {
                t.day++;
            }
            break;
        case kUnitMonth:
            NextMonth(t);
            break;
        default:
            break;
    }
}

void StepBackCtlDateTime(CtlHourTime& t, int unit) {
    switch (unit) {
        case kUnitHour:
            if (t.hour == 0) {
                t.hour = 23;
                StepBackCtlDateTime(t, kUnitDay);
            } else {
                t.hour--;
            }
            break;
        case kUnitDay:
            if (t.day <= 1) {
                PrevMonth(t);
                t.day = uint8_t(CtlMonthDays(t.year, t.month));
            } else {
                t.day--;
            }
            break;
        case kUnitMonth:
            PrevMonth(t);
            break;
        default:
            break;
    }
}

void StepCtlDateTime5Min(CtlMinuteTime& t, int unit) {
    if (unit == kUnitFiveMinutes) {
        if (t.minute + 5 >= 60) {
            t.minute = uint8_t(t.minute + 5 - 60);
            StepCtlDateTime(t, kUnitHour);
        } else {
            t.minute += 5;
        }
    } else if (unit == kUnitHour) {
        StepCtlDateTime(t, kUnitHour);
    }
}

void StepBackCtlDateTime5Min(CtlMinuteTime& t, int unit) {
    if (unit == kUnitFiveMinutes) {
        if (t.minute < 5) {
            t.minute = uint8_t(t.minute + 55);
            StepBackCtlDateTime(t, kUnitHour);
        } else {
            t.minute -= 5;
        }
    } else if (unit == kUnitHour) {
        StepBackCtlDateTime(t, kUnitHour);
    }
}

bool InFiveMinuteSlot(const CtlMinuteTime& t, const CtlMinuteTime& slot) {
    CtlMinuteTime slotEnd = slot;
    StepCtlDateTime5Min(slotEnd, kUnitFiveMinutes);
    return CompareCtlToMinute(slot, t) <= 0 && CompareCtlToMinute(t, slotEnd) <= 0;
}

// ---- archive spans ----

int FiveMinuteArchiveBounds(const CtlMinuteTime& oldest, const CtlMinuteTime& now, ArchiveSpan& span) {
    CtlMinuteTime end = now;
    end.minute = uint8_t(end.minute - end.minute % 5);
    StepBackCtlDateTime5Min(end, kUnitFiveMinutes);

    CtlMinuteTime begin = end;
    StepCtlDateTime5Min(begin, kUnitFiveMinutes);
    PrevMonth(begin);
    PrevMonth(begin);
    if (begin.day > CtlMonthDays(begin.year, begin.month)) {
        begin.day = 1;
        NextMonth(begin);
    }
    if (CompareCtlToMinute(oldest, begin) > 0) begin = oldest;
    begin.minute = uint8_t(begin.minute - begin.minute % 5);

    span.begin = begin;
    span.end = end;
    return CompareCtlToMinute(begin, end) <= 0 ? 1 : 0;
}

int HourDayArchiveBounds(const CtlHourTime& oldest, const CtlHourTime& now, ArchiveSpan& span, int unit,
                         bool flag, uint8_t contractHour) {
    CtlMinuteTime end(now);
    end.minute = 0;
    StepBackCtlDateTime(end, unit);
    if (now.hour < contractHour && (unit == kUnitDay || (unit == kUnitMonth && now.day == 1)))
        StepBackCtlDateTime(end, unit);

    CtlMinuteTime begin = end;
    int depth = unit == kUnitHour ? 1 : unit == kUnitDay ? 4 : 2;
    if (begin.year > depth) {
        StepCtlDateTime(begin, unit);
        begin.year = uint8_t(begin.year - depth);
    } else {
        begin = CtlMinuteTime(oldest);
    }
    if (begin.day > DaysInMonth(begin.year + 2000, begin.month)) {
        begin.day = 1;
        NextMonth(begin);
    }
    if (CompareCtlDateTimeByUnit(oldest, begin, unit) > 0) {
        begin = CtlMinuteTime(oldest);
        if (flag && (unit == kUnitDay || (unit == kUnitMonth && oldest.day == 1)))
            StepBackCtlDateTime(begin, unit);
    }
    span.begin = begin;
    span.end = end;
    return CompareCtlDateTimeByUnit(begin, end, unit) <= 0 ? 1 : 0;
}

int HourDayArchiveBounds(const CtlHourTime& oldest, const CtlHourTime& now, ArchiveSpan& span, int unit,
                         bool flag) {
    return HourDayArchiveBounds(oldest, now, span, unit, flag, ContractHour());
}

// ---- five-minute counts and depth ----

int FiveMinutePeriodsBetween(const CtlMinuteTime& a, const CtlMinuteTime& b) {
    long ma = a.hour * 60L + (a.minute - a.minute % 5);
    long mb = b.hour * 60L + (b.minute - b.minute % 5);
    long minutes = long(DaysBetween(DateOf(a), DateOf(b))) * 1440L + mb - ma;
    return int(minutes / 5);
}

int CheckFiveMinuteArchiveDepth(const CtlDateTime& now, const CtlDateTime& oldest) {
    CtlDateTime limit = oldest;
    limit.minute = uint8_t(limit.minute - limit.minute % 5);
    limit.second = 0;
    NextMonth(limit);
    NextMonth(limit);
    int len = CtlMonthDays(limit.year, limit.month);
    if (limit.day > len) limit.day = uint8_t(len);
    if (CompareCtlDateTime(now, limit) < 0) return 0;
    if (now.minute % 5 == 4 && now.second >= 55) {
        qvr::HourglassScope hourglass;
        g_depthWait(60 - now.second);
        return 2;
    }
    return 1;
}

void SetDepthWaitHook(void (*waitSeconds)(int)) { g_depthWait = waitSeconds ? waitSeconds : &SleepWithPump; }

int IsValidCtlDateTime(const CtlDateTime& t) {
    if (t.month < 1 || t.month > 12) return 0;
    if (t.day < 1 || t.day > 31) return 0;
    if (t.month == 2 && t.day > (IsLeapYear(t.year + 2000) ? 29 : 28)) return 0;
    if (t.hour > 23 || t.minute > 59 || t.second > 59) return 0;
    return 1;
}

// ---- period counts of the archive and log readers ----

int HoursBetween(const CtlHourTime& first, const CtlHourTime& second) {
    return 24 * DaysBetween(DateOf(first), DateOf(second)) + second.hour - first.hour;
}

int PeriodsBetween(const CtlHourTime& first, const CtlHourTime& second, uint8_t unit) {
    if (unit == kUnitHour) return HoursBetween(first, second);
    int n = DaysBetween(DateOf(first), DateOf(second));
    if (unit == kUnitMonth) n /= 30;
    return n == 0 ? 1 : n;
}
