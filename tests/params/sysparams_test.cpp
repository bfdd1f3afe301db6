// Table 6 and its switch-day rules, table 28 periods: the byte edits the forms make.
#include <gtest/gtest.h>

#include <cstring>

#include "params/sysparams.h"

using namespace dstrule;

TEST(SysParams, RecordFieldOrder) {
    const uint8_t bytes[10] = {3, 201, 2, 10, 0xC9, 4, 9, 1, 0, 77};
    SystemParamsRecord r = LoadSystemParams(bytes);
    EXPECT_EQ(r.summerMonth, 3);
    EXPECT_EQ(r.summerDay, 201);
    EXPECT_EQ(r.summerHour, 2);
    EXPECT_EQ(r.winterMonth, 10);
    EXPECT_EQ(r.winterDay, 0xC9);
    EXPECT_EQ(r.winterHour, 4);
    EXPECT_EQ(r.contractHour, 9);
    EXPECT_EQ(r.chromPresent, 1);
    EXPECT_EQ(r.moisturePresent, 0);
    EXPECT_EQ(r.reserved, 77);
    uint8_t out[10];
    std::memset(out, 0, sizeof out);
    StoreSystemParams(r, out);
    EXPECT_EQ(std::memcmp(out, bytes, 10), 0);
}

// The default rule 201 = 0xC9: week mode, from the end, week 1 (the last), Sunday.
TEST(SysParams, DefaultRuleReadsLastSunday) {
    EXPECT_TRUE(IsWeekMode(201));
    EXPECT_EQ(WeekPosition(201), 4);    // "Последний"
    EXPECT_EQ(WeekDayPosition(201), 0);  // Sunday
}

TEST(SysParams, RulePositionsAndOutOfRangeRules) {
    EXPECT_FALSE(IsWeekMode(31));
    EXPECT_EQ(DayOfMonthPosition(31), 30);
    EXPECT_EQ(DayOfMonthPosition(0x80 | 5), 4);
    EXPECT_EQ(DayOfMonthPosition(0), -1);
    EXPECT_EQ(WeekPosition(0x80 | 1), 0);
    EXPECT_EQ(WeekPosition(0x80 | 3), 2);
    EXPECT_EQ(WeekPosition(0x80 | 0x40 | 2), 3);
    EXPECT_EQ(WeekPosition(0x80 | 0), -1);         // week 0 from the start: nothing
    EXPECT_EQ(WeekPosition(0x80 | 0x40 | 0), -1);  // week 0 from the end: nothing
    EXPECT_EQ(WeekPosition(0x80 | 6), -1);
    EXPECT_EQ(WeekDayPosition(0x80 | (7 << 3) | 1), 6);
    EXPECT_EQ(WeekDayPosition(0x80 | 1), -1);  // weekday 0
}

TEST(SysParams, RuleEdits) {
    // "Предпоследний" and "Понедельник" on the default rule give 0xD2.
    DstDayRule r = 201;
    r = WithWeek(r, 3);
    r = WithWeekDay(r, 1);
    EXPECT_EQ(r, 0xD2);
    // Back to "Второй": from the start, week 2, weekday kept.
    r = WithWeek(r, 1);
    EXPECT_EQ(r, 0x80 | (2 << 3) | 2);
    r = WithWeek(r, 4);
    EXPECT_EQ(r, 0x80 | 0x40 | (2 << 3) | 1);
    // Day mode: bit 7 cleared; a day replaces the low bits and keeps bit 7.
    r = WithWeekMode(r, false);
    EXPECT_EQ(r, 0x40 | (2 << 3) | 1);
    r = WithDayOfMonth(r, 14);
    EXPECT_EQ(r, 15);
    r = WithWeekMode(r, true);
    EXPECT_EQ(r, 0x80 | 15);
    EXPECT_EQ(WithDayOfMonth(0x80 | 3, 27), 0x80 | 28);
}

TEST(SysParams, DayListLengths) {
    EXPECT_EQ(SummerDayCount(2), 28);
    EXPECT_EQ(SummerDayCount(3), 31);
    EXPECT_EQ(SummerDayCount(4), 30);
    EXPECT_EQ(SummerDayCount(5), 31);
    EXPECT_EQ(SummerDayCount(0), 30);
    EXPECT_EQ(WinterDayCount(9), 30);
    EXPECT_EQ(WinterDayCount(10), 31);
    EXPECT_EQ(WinterDayCount(11), 30);
    EXPECT_EQ(WinterDayCount(12), 31);
}

TEST(SysParams, HourMeanPeriods) {
    EXPECT_EQ(hourmean::PeriodPosition(1), 0);
    EXPECT_EQ(hourmean::PeriodPosition(6), 4);
    EXPECT_EQ(hourmean::PeriodPosition(24), 6);
    EXPECT_EQ(hourmean::PeriodPosition(5), -1);
    EXPECT_EQ(hourmean::PeriodPosition(0), -1);
}
