#include "params/sysparams.h"

SystemParamsRecord LoadSystemParams(const uint8_t* p) {
    SystemParamsRecord r;
    r.summerMonth = p[sysparams::kSummerMonth];
    r.summerDay = p[sysparams::kSummerDay];
    r.summerHour = p[sysparams::kSummerHour];
    r.winterMonth = p[sysparams::kWinterMonth];
    r.winterDay = p[sysparams::kWinterDay];
    r.winterHour = p[sysparams::kWinterHour];
    r.contractHour = p[sysparams::kContractHour];
    r.chromPresent = p[sysparams::kChromPresent];
    r.moisturePresent = p[sysparams::kMoisturePresent];
    r.reserved = p[sysparams::kReserved];
    return r;
}

void StoreSystemParams(const SystemParamsRecord& r, uint8_t* p) {
    p[sysparams::kSummerMonth] = r.summerMonth;
    p[sysparams::kSummerDay] = r.summerDay;
    p[sysparams::kSummerHour] = r.summerHour;
    p[sysparams::kWinterMonth] = r.winterMonth;
    p[sysparams::kWinterDay] = r.winterDay;
    p[sysparams::kWinterHour] = r.winterHour;
    p[sysparams::kContractHour] = r.contractHour;
    p[sysparams::kChromPresent] = r.chromPresent;
    p[sysparams::kMoisturePresent] = r.moisturePresent;
    p[sysparams::kReserved] = r.reserved;
}

namespace dstrule {

int DayOfMonthPosition(DstDayRule r) { return (r & 0x7F) - 1; }

int WeekPosition(DstDayRule r) {
    const int week = r & 0x07;
    const int pos = (r & kFromEnd) ? 5 - week : week - 1;
    return pos >= 0 && pos <= 4 ? pos : -1;
}

int WeekDayPosition(DstDayRule r) {
    const int day = (r >> 3) & 0x07;
    return day >= 1 && day <= 7 ? day - 1 : -1;
}

DstDayRule WithWeekMode(DstDayRule r, bool weekMode) {
    return weekMode ? DstDayRule(r | kWeekMode) : DstDayRule(r & ~kWeekMode);
}

DstDayRule WithDayOfMonth(DstDayRule r, int position) {
    return DstDayRule((r & kWeekMode) | ((position + 1) & 0x7F));
}

DstDayRule WithWeek(DstDayRule r, int position) {
    r = DstDayRule(r & ~0x07);
    if (position == 3 || position == 4) return DstDayRule(r | kFromEnd | (5 - position));
    return DstDayRule((r & ~kFromEnd) | ((position + 1) & 0x07));
}

DstDayRule WithWeekDay(DstDayRule r, int position) {
    return DstDayRule((r & ~0x38) | (((position + 1) & 0x07) << 3));
}

int SummerDayCount(int month) {
    switch (month) {
        case 2: return 28;
        case 3:
        case 5: return 31;
        default: return 30;  // April, and no month
    }
}

int WinterDayCount(int month) {
    switch (month) {
        case 10:
        case 12: return 31;
        default: return 30;  // September, November, and no month
    }
}

}  // namespace dstrule

namespace hourmean {

int PeriodPosition(uint8_t period) {
    for (int i = 0; i < kPeriodCount; ++i)
        if (kPeriods[i] == period) return i;
    return -1;
}

}  // namespace hourmean
