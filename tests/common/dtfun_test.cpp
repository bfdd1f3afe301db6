#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>

#include "common/dtfun.h"
#include "link/tabledir.h"

using namespace std::chrono;

namespace {

// The independent calendar: std::chrono's civil dates.
sys_days Civil(int y, int m, int d) { return sys_days{year{y} / month{unsigned(m)} / day{unsigned(d)}}; }

year_month_day Ymd(const CtlHourTime& t) {
    return year_month_day{year{t.year + 2000}, month{t.month}, day{t.day}};
}

CtlHourTime FromCivil(sys_days sd, int hour) {
    year_month_day ymd{sd};
    return CtlHourTime(uint8_t(int(ymd.year()) - 2000), uint8_t(unsigned(ymd.month())), uint8_t(unsigned(ymd.day())),
                       uint8_t(hour));
}

std::string Show(const CtlMinuteTime& t) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d", t.day, t.month, t.year + 2000, t.hour, t.minute);
    return buf;
}

int g_waited = -1;
void FakeWait(int seconds) { g_waited = seconds; }

}  // namespace

TEST(DtFun, ConversionKeepsTheSecondAndDropsMilliseconds) {
    TDateTime dt = EncodeDateTime(2024, 2, 29, 23, 59, 59, 900);
    CtlDateTime c;
    DateTimeToCtl(dt, c);
    EXPECT_EQ(c, CtlDateTime(24, 2, 29, 23, 59, 59));
    TDateTime back = CtlToDateTime(c);
    CtlDateTime again;
    DateTimeToCtl(back, again);
    EXPECT_EQ(again, c);
    EXPECT_NEAR(back, dt - 0.9 / 86400.0, 1e-9);

    // Day numbers are those of the floating date-time: 1.1.2000 is day 36526.
    EXPECT_DOUBLE_EQ(CtlToDateTime(CtlDateTime(0, 1, 1, 0, 0, 0)), 36526.0);
    EXPECT_DOUBLE_EQ(CtlToDateTime(CtlDateTime(24, 1, 1, 12, 0, 0)), 45292.5);
    // Rounding to the millisecond may carry into the next day.
    DateTimeToCtl(45292.0 - 1e-10, c);
    EXPECT_EQ(c, CtlDateTime(24, 1, 1, 0, 0, 0));
    // Nonsense input gives a defined value, not a crash.
    DateTimeToCtl(NAN, c);
    DateTimeToCtl(1e300, c);
}

TEST(DtFun, NowIsTheLocalClock) {
    // The system clock read on both sides of Now(): a second or a day that turns over in
    // between cannot fail the comparison.
    const std::time_t before = std::time(nullptr);
    const DateTimeParts p = DecodeDateTime(Now());
    const std::time_t after = std::time(nullptr);
    bool matched = false;
    for (std::time_t tt = before - 1; tt <= after + 1 && !matched; ++tt) {
        std::tm lt{};
        localtime_r(&tt, &lt);
        matched = p.year == lt.tm_year + 1900 && p.month == lt.tm_mon + 1 && p.day == lt.tm_mday &&
                  p.hour == lt.tm_hour && p.minute == lt.tm_min && p.second == lt.tm_sec;
    }
    EXPECT_TRUE(matched) << p.year << "-" << p.month << "-" << p.day << " " << p.hour << ":" << p.minute << ":"
                         << p.second;
}

TEST(DtFun, Comparisons) {
    CtlDateTime a(24, 5, 10, 12, 30, 15), b(24, 5, 10, 12, 30, 16);
    EXPECT_EQ(CompareCtlDateTime(a, b), -1);
    EXPECT_EQ(CompareCtlDateTime(b, a), 1);
    EXPECT_EQ(CompareCtlDateTime(a, a), 0);
    EXPECT_EQ(CompareCtlToMinute(a, b), 0);
    CtlHourTime h1(24, 5, 10, 1), h2(24, 5, 10, 23), h3(24, 5, 31, 0), h4(25, 1, 1, 0);
    EXPECT_EQ(CompareCtlDateTimeByUnit(h1, h2, kUnitHour), -1);
    EXPECT_EQ(CompareCtlDateTimeByUnit(h1, h2, kUnitDay), 0);
    EXPECT_EQ(CompareCtlDateTimeByUnit(h1, h3, kUnitDay), -1);
    EXPECT_EQ(CompareCtlDateTimeByUnit(h1, h3, kUnitMonth), 0);
    EXPECT_EQ(CompareCtlDateTimeByUnit(h4, h3, kUnitMonth), 1);
}

TEST(DtFun, CalendarAgreesWithCivilCalendar) {
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInMonth(2024, 13), 0);
    EXPECT_EQ(DaysInMonth(2024, 0), 0);
    EXPECT_EQ(DayOfYear(2024, 13, 5), 5);  // no month table read past its end

    // Day counts, weekdays and day-of-year in both directions over fifty years.
    const sys_days base = Civil(2002, 1, 6);
    for (sys_days d = Civil(1995, 1, 1); d <= Civil(2045, 12, 31); d += days{37}) {
        year_month_day ymd{d};
        CalDate cd{int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
        ASSERT_EQ(DaysBetween(CalDate{2002, 1, 6}, cd), (d - base).count());
        ASSERT_EQ(DaysBetween(cd, CalDate{2002, 1, 6}), (base - d).count());  // reversed across years
        ASSERT_EQ(WeekDayOf(cd), int(weekday{d}.c_encoding()) + 1) << int(ymd.year());
        sys_days jan1 = Civil(cd.year, 1, 1);
        ASSERT_EQ(DayOfYear(cd.year, cd.month, cd.day), (d - jan1).count() + 1);
        ASSERT_EQ(DaysLeftInYear(cd), DaysInYear(cd.year) - DayOfYear(cd.year, cd.month, cd.day));
    }
    EXPECT_EQ(WeekDayOf(CalDate{2002, 1, 6}), 1);
    EXPECT_EQ(WeekDayOf(CalDate{2024, 1, 1}), 2);
    EXPECT_EQ(WeekDayOf(CalDate{2000, 1, 1}), 7);  // a Saturday, before the base date
}

TEST(DtFun, SwitchDaysAndSeasonFlag) {
    DstSwitchRule lastSunOct{10, 0xC9, 4}, lastSunMar{3, 0xC9, 3};
    EXPECT_EQ(DstRuleToDay(23, lastSunOct), 302);  // 29 October 2023

    // Last and first Sundays, and a fixed day, for a century, against chrono.
    DstSwitchRule firstSunApr{4, 0x89, 2}, secondLastSatNov{11, 0xC0 | (7 << 3) | 2, 2}, fixed{6, 15, 0};
    for (int y = 0; y < 100; ++y) {
        int Y = 2000 + y;
        auto doy = [&](sys_days d) { return int((d - Civil(Y, 1, 1)).count()) + 1; };
        ASSERT_EQ(DstRuleToDay(y, lastSunMar), doy(sys_days{year{Y} / March / Sunday[last]})) << Y;
        ASSERT_EQ(DstRuleToDay(y, lastSunOct), doy(sys_days{year{Y} / October / Sunday[last]})) << Y;
        ASSERT_EQ(DstRuleToDay(y, firstSunApr), doy(sys_days{year{Y} / April / Sunday[1]})) << Y;
        ASSERT_EQ(DstRuleToDay(y, secondLastSatNov), doy(sys_days{year{Y} / November / Saturday[last]}) - 7) << Y;
        ASSERT_EQ(DstRuleToDay(y, fixed), doy(Civil(Y, 6, 15)));
    }

    EXPECT_EQ(WinterTimeFlag(CtlDateTime(24, 3, 31, 2, 0, 0), lastSunMar, lastSunOct), 0x80);
    EXPECT_EQ(WinterTimeFlag(CtlDateTime(24, 3, 31, 3, 0, 0), lastSunMar, lastSunOct), 0);
    EXPECT_EQ(WinterTimeFlag(CtlDateTime(24, 10, 27, 3, 0, 0), lastSunMar, lastSunOct), 0);
    EXPECT_EQ(WinterTimeFlag(CtlDateTime(24, 10, 27, 4, 0, 0), lastSunMar, lastSunOct), 0x80);
    EXPECT_EQ(WinterTimeFlag(CtlDateTime(24, 1, 15, 12, 0, 0), lastSunMar, lastSunOct), 0x80);
    EXPECT_EQ(WinterTimeFlag(CtlDateTime(24, 7, 15, 12, 0, 0), lastSunMar, lastSunOct), 0);
    EXPECT_EQ(WinterTimeFlag(CtlDateTime(24, 12, 31, 23, 0, 0), lastSunMar, lastSunOct), 0x80);

    // A month byte above 12 counts as month 0 instead of reading past the month table.
    DstSwitchRule bad{200, 0xC9, 3};
    EXPECT_EQ(DstRuleToDay(24, bad), DstRuleToDay(24, DstSwitchRule{0, 0xC9, 3}));
    (void)WinterTimeFlag(CtlDateTime(24, 200, 40, 0, 0, 0), bad, bad);
}

TEST(DtFun, StepsAcrossEveryMonthEndAgreeWithCivilCalendar) {
    for (int Y : {2023, 2024}) {
        // Day by day through the whole year and back, every hour carry at midnight.
        CtlHourTime t = FromCivil(Civil(Y, 1, 1), 0), back = FromCivil(Civil(Y + 1, 1, 1), 0);
        for (sys_days d = Civil(Y, 1, 1); d < Civil(Y + 1, 1, 1); d += days{1}) {
            ASSERT_EQ(Ymd(t), year_month_day{d});
            CtlHourTime h = t;
            h.hour = 23;
            StepCtlDateTime(h, kUnitHour);
            ASSERT_EQ(h, FromCivil(d + days{1}, 0)) << "hour from " << Show(CtlMinuteTime(t));
            CtlHourTime hb = FromCivil(d, 0);
            StepBackCtlDateTime(hb, kUnitHour);
            ASSERT_EQ(hb, FromCivil(d - days{1}, 23));
            StepCtlDateTime(t, kUnitDay);

            StepBackCtlDateTime(back, kUnitDay);
            ASSERT_EQ(Ymd(back), year_month_day{Civil(Y + 1, 1, 1) - (d - Civil(Y, 1, 1)) - days{1}});
        }
        ASSERT_EQ(t, FromCivil(Civil(Y + 1, 1, 1), 0));

        // Five-minute steps across each month end, both ways.
        for (int m = 1; m <= 12; ++m) {
            sys_days last = sys_days{year{Y} / month{unsigned(m)} / std::chrono::last};
            CtlMinuteTime a(FromCivil(last, 23));
            a.minute = 55;
            StepCtlDateTime5Min(a, kUnitFiveMinutes);
            ASSERT_EQ(a, CtlMinuteTime(FromCivil(last + days{1}, 0))) << Y << "/" << m;
            StepBackCtlDateTime5Min(a, kUnitFiveMinutes);
            CtlMinuteTime expect(FromCivil(last, 23));
            expect.minute = 55;
            ASSERT_EQ(a, expect);
        }

        // Month steps keep the day and carry the year.
        CtlHourTime m(uint8_t(Y - 2000), 11, 30, 5);
        StepCtlDateTime(m, kUnitMonth);
        StepCtlDateTime(m, kUnitMonth);
        EXPECT_EQ(m, CtlHourTime(uint8_t(Y - 1999), 1, 30, 5));
        StepBackCtlDateTime(m, kUnitMonth);
        EXPECT_EQ(m, CtlHourTime(uint8_t(Y - 2000), 12, 30, 5));
    }
    CtlHourTime t(23, 2, 28, 23);
    StepCtlDateTime(t, kUnitDay);
    EXPECT_EQ(t, CtlHourTime(23, 3, 1, 23));
    t = CtlHourTime(24, 2, 28, 23);
    StepCtlDateTime(t, kUnitDay);
    EXPECT_EQ(t, CtlHourTime(24, 2, 29, 23));
    t = CtlHourTime(24, 1, 1, 0);
    StepBackCtlDateTime(t, kUnitDay);
    EXPECT_EQ(t, CtlHourTime(23, 12, 31, 0));
    CtlMinuteTime f(23, 12, 31, 23, 55);
    StepCtlDateTime5Min(f, kUnitFiveMinutes);
    EXPECT_EQ(f, CtlMinuteTime(24, 1, 1, 0, 0));
    StepCtlDateTime5Min(f, kUnitDay);  // other units change nothing
    EXPECT_EQ(f, CtlMinuteTime(24, 1, 1, 0, 0));
    StepCtlDateTime5Min(f, kUnitHour);
    EXPECT_EQ(f, CtlMinuteTime(24, 1, 1, 1, 0));
}

TEST(DtFun, FiveMinuteSlotAndSpan) {
    CtlMinuteTime slot(24, 5, 10, 23, 55);
    EXPECT_TRUE(InFiveMinuteSlot(slot, slot));
    EXPECT_TRUE(InFiveMinuteSlot(CtlMinuteTime(24, 5, 11, 0, 0), slot));
    EXPECT_FALSE(InFiveMinuteSlot(CtlMinuteTime(24, 5, 11, 0, 1), slot));
    EXPECT_FALSE(InFiveMinuteSlot(CtlMinuteTime(24, 5, 10, 23, 54), slot));

    ArchiveSpan span;
    EXPECT_EQ(FiveMinuteArchiveBounds(CtlMinuteTime(20, 1, 1, 0, 0), CtlMinuteTime(24, 5, 10, 12, 7), span), 1);
    EXPECT_EQ(Show(span.end), "10.05.2024 12:00");
    EXPECT_EQ(Show(span.begin), "10.03.2024 12:05");
    // Two months before 30 April is a 30th of February: the 1st of March instead.
    FiveMinuteArchiveBounds(CtlMinuteTime(20, 1, 1, 0, 0), CtlMinuteTime(24, 4, 30, 10, 3), span);
    EXPECT_EQ(Show(span.begin), "01.03.2024 10:00");
    // Two months before January borrows a year.
    FiveMinuteArchiveBounds(CtlMinuteTime(20, 1, 1, 0, 0), CtlMinuteTime(24, 1, 15, 0, 2), span);
    EXPECT_EQ(Show(span.end), "14.01.2024 23:55");
    EXPECT_EQ(Show(span.begin), "15.11.2023 00:00");
    // A younger archive starts at its oldest record, rounded down to the slot.
    EXPECT_EQ(FiveMinuteArchiveBounds(CtlMinuteTime(24, 5, 1, 8, 13), CtlMinuteTime(24, 5, 10, 12, 7), span), 1);
    EXPECT_EQ(Show(span.begin), "01.05.2024 08:10");
    EXPECT_EQ(FiveMinuteArchiveBounds(CtlMinuteTime(24, 5, 10, 12, 6), CtlMinuteTime(24, 5, 10, 12, 7), span), 0);

    EXPECT_EQ(FiveMinutePeriodsBetween(CtlMinuteTime(24, 5, 10, 10, 3), CtlMinuteTime(24, 5, 10, 10, 17)), 3);
    EXPECT_EQ(FiveMinutePeriodsBetween(CtlMinuteTime(24, 2, 29, 23, 55), CtlMinuteTime(24, 3, 1, 0, 5)), 2);
    EXPECT_EQ(FiveMinutePeriodsBetween(CtlMinuteTime(23, 12, 31, 0, 0), CtlMinuteTime(24, 1, 1, 0, 0)), 288);
}

TEST(DtFun, HourDayAndMonthSpans) {
    ArchiveSpan span;
    CtlHourTime old(20, 1, 1, 0);
    // Hourly: one year deep.
    EXPECT_EQ(HourDayArchiveBounds(old, CtlHourTime(24, 5, 10, 12), span, kUnitHour, false, 10), 1);
    EXPECT_EQ(Show(span.end), "10.05.2024 11:00");
    EXPECT_EQ(Show(span.begin), "10.05.2023 12:00");
    // A year back from 29 February is no date: the 1st of March.
    HourDayArchiveBounds(old, CtlHourTime(24, 2, 29, 10), span, kUnitHour, false, 0);
    EXPECT_EQ(Show(span.begin), "01.03.2023 10:00");
    // Daily before the contract hour: one more day back; four years deep.
    HourDayArchiveBounds(old, CtlHourTime(24, 5, 10, 8), span, kUnitDay, false, 10);
    EXPECT_EQ(Show(span.end), "08.05.2024 08:00");
    EXPECT_EQ(Show(span.begin), "09.05.2020 08:00");
    HourDayArchiveBounds(old, CtlHourTime(24, 5, 10, 12), span, kUnitDay, false, 10);
    EXPECT_EQ(Show(span.end), "09.05.2024 12:00");
    // Monthly on the 1st before the contract hour: one more month back; two years deep.
    HourDayArchiveBounds(old, CtlHourTime(24, 3, 1, 5), span, kUnitMonth, false, 10);
    EXPECT_EQ(Show(span.end), "01.01.2024 05:00");
    EXPECT_EQ(Show(span.begin), "01.02.2022 05:00");
    // A younger archive starts at its oldest record; the flag steps a daily one back.
    CtlHourTime young(24, 5, 5, 0);
    HourDayArchiveBounds(young, CtlHourTime(24, 5, 10, 12), span, kUnitDay, false, 0);
    EXPECT_EQ(Show(span.begin), "05.05.2024 00:00");
    HourDayArchiveBounds(young, CtlHourTime(24, 5, 10, 12), span, kUnitDay, true, 0);
    EXPECT_EQ(Show(span.begin), "04.05.2024 00:00");
    // Nothing readable yet.
    EXPECT_EQ(HourDayArchiveBounds(CtlHourTime(24, 5, 10, 12), CtlHourTime(24, 5, 10, 12), span, kUnitHour, false, 0), 0);

    // The contract hour comes from byte 6 of table 6 in the table image.
    uint8_t* t6 = TablePtr(6);
    ASSERT_NE(t6, nullptr);
    uint8_t keep = t6[6];
    t6[6] = 10;
    HourDayArchiveBounds(old, CtlHourTime(24, 5, 10, 8), span, kUnitDay, false);
    EXPECT_EQ(Show(span.end), "08.05.2024 08:00");
    t6[6] = 0;
    HourDayArchiveBounds(old, CtlHourTime(24, 5, 10, 8), span, kUnitDay, false);
    EXPECT_EQ(Show(span.end), "09.05.2024 08:00");
    t6[6] = 30;  // not an hour: taken as 9, so at 12:00 yesterday is already readable
    HourDayArchiveBounds(old, CtlHourTime(24, 5, 10, 12), span, kUnitDay, false);
    EXPECT_EQ(Show(span.end), "09.05.2024 12:00");
    t6[6] = keep;
}

TEST(DtFun, FiveMinuteArchiveDepth) {
    SetDepthWaitHook(&FakeWait);
    CtlDateTime oldest(24, 3, 10, 12, 7, 30);  // limit 10.05.2024 12:05:00
    g_waited = -1;
    EXPECT_EQ(CheckFiveMinuteArchiveDepth(CtlDateTime(24, 5, 10, 12, 4, 59), oldest), 0);
    EXPECT_EQ(CheckFiveMinuteArchiveDepth(CtlDateTime(24, 5, 10, 12, 5, 0), oldest), 1);
    EXPECT_EQ(CheckFiveMinuteArchiveDepth(CtlDateTime(24, 5, 10, 12, 9, 54), oldest), 1);
    EXPECT_EQ(g_waited, -1);
    EXPECT_EQ(CheckFiveMinuteArchiveDepth(CtlDateTime(24, 5, 10, 12, 9, 57), oldest), 2);
    EXPECT_EQ(g_waited, 3);
    // The day is clamped to the month two months on: 31 December -> 29 February.
    CtlDateTime endOfYear(23, 12, 31, 0, 0, 0);
    EXPECT_EQ(CheckFiveMinuteArchiveDepth(CtlDateTime(24, 2, 28, 23, 0, 0), endOfYear), 0);
    EXPECT_EQ(CheckFiveMinuteArchiveDepth(CtlDateTime(24, 2, 29, 0, 0, 0), endOfYear), 1);
    SetDepthWaitHook(nullptr);
}

TEST(DtFun, ValidityAndPeriodCounts) {
    EXPECT_EQ(IsValidCtlDateTime(CtlDateTime(23, 2, 29, 0, 0, 0)), 0);
    EXPECT_EQ(IsValidCtlDateTime(CtlDateTime(24, 2, 29, 0, 0, 0)), 1);
    EXPECT_EQ(IsValidCtlDateTime(CtlDateTime(24, 4, 31, 0, 0, 0)), 1);
    EXPECT_EQ(IsValidCtlDateTime(CtlDateTime(24, 0, 1, 0, 0, 0)), 0);
    EXPECT_EQ(IsValidCtlDateTime(CtlDateTime(24, 13, 1, 0, 0, 0)), 0);
    EXPECT_EQ(IsValidCtlDateTime(CtlDateTime(24, 1, 0, 0, 0, 0)), 0);
    EXPECT_EQ(IsValidCtlDateTime(CtlDateTime(24, 1, 1, 24, 0, 0)), 0);
    EXPECT_EQ(IsValidCtlDateTime(CtlDateTime(24, 1, 1, 23, 60, 0)), 0);
    EXPECT_EQ(IsValidCtlDateTime(CtlDateTime(24, 1, 1, 23, 59, 60)), 0);

    EXPECT_EQ(HoursBetween(CtlHourTime(23, 12, 31, 22), CtlHourTime(24, 1, 1, 2)), 4);
    EXPECT_EQ(HoursBetween(CtlHourTime(24, 1, 1, 2), CtlHourTime(23, 12, 31, 22)), -4);
    EXPECT_EQ(HoursBetween(CtlHourTime(24, 2, 28, 0), CtlHourTime(24, 3, 1, 0)), 48);
    EXPECT_EQ(PeriodsBetween(CtlHourTime(24, 5, 10, 1), CtlHourTime(24, 5, 10, 20), kUnitDay), 1);
    EXPECT_EQ(PeriodsBetween(CtlHourTime(24, 5, 1, 0), CtlHourTime(24, 6, 15, 0), kUnitMonth), 1);
    EXPECT_EQ(PeriodsBetween(CtlHourTime(24, 1, 1, 0), CtlHourTime(24, 7, 1, 0), kUnitMonth), 6);
    EXPECT_EQ(PeriodsBetween(CtlHourTime(24, 5, 1, 0), CtlHourTime(24, 5, 11, 0), kUnitDay), 10);
    EXPECT_EQ(PeriodsBetween(CtlHourTime(24, 5, 1, 0), CtlHourTime(24, 5, 2, 3), kUnitHour), 27);
}

TEST(DtFun, ByteForms) {
    uint8_t raw[6] = {24, 3, 31, 2, 5, 9};
    CtlDateTime t = LoadCtlDateTime(raw);
    EXPECT_EQ(t, CtlDateTime(24, 3, 31, 2, 5, 9));
    EXPECT_EQ(LoadCtlMinuteTime(raw), CtlMinuteTime(24, 3, 31, 2, 5));
    EXPECT_EQ(LoadCtlHourTime(raw), CtlHourTime(24, 3, 31, 2));
    uint8_t out[6] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    StoreCtl(CtlMinuteTime(t), out);
    EXPECT_EQ(out[4], 5);
    EXPECT_EQ(out[5], 0xAA);  // a minute time writes five bytes only
}
