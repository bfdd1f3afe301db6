#include "ctlsim/archive.h"

#include <algorithm>
#include <cstring>

#include "data/archformat.h"

namespace ctlsim {

namespace {

constexpr int kTable2 = 2;
constexpr int kTable27 = 27;

// Typical composition of a natural gas, in GasAnalysis order.
constexpr float kGasBase[qvr::kGasParamCount] = {
    0.05f, 0.9f, 0.12f, 0.15f, 0.002f, 0.04f, 0.03f, 1.2f, 95.0f, 0.6f, 2.9f,  // fractions, %
    37.9f, 0.69f, 50.1f, 0.9978f, 100.0f, 12.5f, 0.01f, 34.1f, 0.573f,        // Hs .. relative density
};

float Jitter(uint32_t seed, int i) {
    const uint32_t x = (seed * 2654435761u) ^ (uint32_t(i) * 40503u);
    return float(int(x % 2001) - 1000) / 100000.0f;  // -0.01 .. 0.01
}

qvr::GasAnalysis MakeGas(uint32_t seed) {
    qvr::GasAnalysis g;
    for (int i = 0; i < qvr::kGasParamCount; ++i) g.v[i] = kGasBase[i] * (1.0f + Jitter(seed, i));
    return g;
}

uint32_t SeedOf(const CtlMinuteTime& t) {
    return uint32_t(t.year) * 1000003u + uint32_t(t.month) * 10007u + uint32_t(t.day) * 1009u +
           uint32_t(t.hour) * 61u + t.minute;
}

qvr::HourDayStamp Stamp(const CtlHourTime& dh, bool daily) {
    qvr::HourDayStamp s;
    s.date[0] = dh.year;
    s.date[1] = dh.month;
    s.date[2] = dh.day;
    // Hourly means cover hh:00:00..hh:59:59, daily ones start and end at the contract
    // hour 10; in the daily archive bit 7 of the end hour marks a complete interval.
    s.start[0] = daily ? 10 : dh.hour;
    s.end[0] = daily ? uint8_t(s.start[0] | 0x80) : s.start[0];
    if (!daily) {
        s.end[1] = 59;
        s.end[2] = 59;
    }
    return s;
}

// Where a time stands in an archive: the 5-minute slot, the hour or the day.
CtlMinuteTime SlotOf(SimArchive a, CtlMinuteTime t) {
    switch (a) {
    case SimArchive::Chrom5Min:
    case SimArchive::Wmt5Min:
        t.minute = uint8_t(t.minute - t.minute % 5);
        return t;
    case SimArchive::ChromHour:
    case SimArchive::WmtHour:
        return CtlMinuteTime(t.year, t.month, t.day, t.hour, 0);
    default:
        return CtlMinuteTime(t.year, t.month, t.day, 0, 0);
    }
}

// Where a record stands in its archive (its time or date and start hour come first).
CtlMinuteTime KeyOf(SimArchive a, const std::vector<uint8_t>& r) {
    if (r.size() < 6) return CtlMinuteTime{};
    return SlotOf(a, LoadCtlMinuteTime(r.data()));
}

int Compare(SimArchive a, const CtlMinuteTime& x, const CtlMinuteTime& y) {
    switch (a) {
    case SimArchive::Chrom5Min:
    case SimArchive::Wmt5Min:
        return CompareCtlToMinute(x, y);
    case SimArchive::ChromHour:
    case SimArchive::WmtHour:
        return CompareCtlDateTimeByUnit(x, y, kUnitHour);
    default:
        return CompareCtlDateTimeByUnit(x, y, kUnitDay);
    }
}

}  // namespace

std::vector<uint8_t> MakeChrom5MinRecord(const CtlDateTime& time, uint32_t seed) {
    qvr::Chrom5MinRecord r;
    r.time = time;
    r.status = 0;
    r.alarm = 0;
    r.gas = MakeGas(seed);
    std::vector<uint8_t> b(r.kSize);
    r.Store(b.data());
    qvr::SealRecord(b.data(), b.size());
    return b;
}

std::vector<uint8_t> MakeChromHourDayRecord(const CtlHourTime& dateHour, bool daily, uint32_t seed) {
    qvr::ChromHourDayRecord r;
    r.stamp = Stamp(dateHour, daily);
    r.gas = MakeGas(seed);
    std::vector<uint8_t> b(r.kSize);
    r.Store(b.data());
    qvr::SealRecord(b.data(), b.size());
    return b;
}

std::vector<uint8_t> MakeMoisture5MinRecord(const CtlDateTime& time, uint32_t seed) {
    qvr::Moisture5MinRecord r;
    r.time = time;
    r.statusCode = 0x0010;
    for (int i = 0; i < qvr::kMoistureValueCount; ++i) r.values[i] = -20.0f + 5.0f * i + 10.0f * Jitter(seed, i);
    std::vector<uint8_t> b(r.kSize);
    r.Store(b.data());
    qvr::SealRecord(b.data(), b.size());
    return b;
}

std::vector<uint8_t> MakeMoistureHourDayRecord(const CtlHourTime& dateHour, bool daily, uint32_t seed) {
    qvr::MoistureHourDayRecord r;
    r.stamp = Stamp(dateHour, daily);
    for (int i = 0; i < qvr::kMoistureValueCount; ++i) r.values[i] = -20.0f + 5.0f * i + 10.0f * Jitter(seed, i);
    std::vector<uint8_t> b(r.kSize);
    r.Store(b.data());
    qvr::SealRecord(b.data(), b.size());
    return b;
}

ArchiveSim::ArchiveSim(CtlSim& sim) : sim_(sim) {
    sim_.SetHandler(14, [this](CtlSim&, const std::vector<uint8_t>& f) { return Answer(14, f); }, 19);
    sim_.SetHandler(15, [this](CtlSim&, const std::vector<uint8_t>& f) { return Answer(15, f); }, 17);
    sim_.SetHandler(16, [this](CtlSim&, const std::vector<uint8_t>& f) { return Answer(16, f); }, 15);
}

ArchiveSim::~ArchiveSim() {
    sim_.SetHandler(14, nullptr);
    sim_.SetHandler(15, nullptr);
    sim_.SetHandler(16, nullptr);
}

void ArchiveSim::SetClock(const CtlDateTime& now) {
    std::vector<uint8_t> b(8, 0);
    StoreCtl(now, b.data());
    b[6] = 1;
    sim_.SetTableBytes(kTable2, 0, b);
}

void ArchiveSim::SetOldest(int field, const CtlDateTime& t, bool flag) {
    std::vector<uint8_t> b(6);
    StoreCtl(t, b.data());
    if (flag) b[5] |= 0x80;
    sim_.SetTableBytes(kTable27, size_t(field) * 6, b);
}

void ArchiveSim::SetRecords(SimArchive a, std::vector<std::vector<uint8_t>> records) {
    std::lock_guard<std::mutex> lock(mu_);
    records_[int(a)] = std::move(records);
}

std::vector<std::vector<uint8_t>> ArchiveSim::Records(SimArchive a) {
    std::lock_guard<std::mutex> lock(mu_);
    return records_[int(a)];
}

void ArchiveSim::Generate(SimArchive a, const CtlDateTime& from, const CtlDateTime& to) {
    Generate(a, from, to, nullptr);
}

namespace {

// The hour of `t`'s day that a switch rule passes over: the hour before the rule's hour on
// the rule's day; false when t is not in it (or the rule switches nothing).
bool InSwitchHour(const CtlHourTime& t, const uint8_t* rule) {
    if (!rule || rule[0] < 1 || rule[0] > 12 || rule[2] < 1) return false;
    const DstSwitchRule r = DstSwitchRule::FromBytes(rule);
    return DayOfYear(t.year + 2000, t.month, t.day) == DstRuleToDay(t.year, r) && t.hour == r.hour - 1;
}

}  // namespace

void ArchiveSim::Generate(SimArchive a, const CtlDateTime& from, const CtlDateTime& to, const uint8_t* rules) {
    std::vector<std::vector<uint8_t>> out;
    const bool moisture = int(a) >= int(SimArchive::Wmt5Min);
    const uint8_t* summer = rules;
    const uint8_t* winter = rules ? rules + 3 : nullptr;
    switch (a) {
    case SimArchive::Chrom5Min:
    case SimArchive::Wmt5Min: {
        auto make = [&](const CtlMinuteTime& t, uint32_t pass) {
            CtlDateTime rt(t);
            rt.minute = uint8_t(rt.minute + 2);
            rt.second = 30;
            const uint32_t seed = SeedOf(t) + pass * 500009u;
            out.push_back(moisture ? MakeMoisture5MinRecord(rt, seed) : MakeChrom5MinRecord(rt, seed));
        };
        CtlMinuteTime t = from;
        t.minute = uint8_t(t.minute - t.minute % 5);
        while (CompareCtlToMinute(t, to) <= 0) {
            if (!InSwitchHour(t, summer)) make(t, 0);
            if (InSwitchHour(t, winter) && t.minute == 55) {
                // The clock goes back to the start of the hour and writes it again.
                CtlMinuteTime again = t;
                again.minute = 0;
                while (CompareCtlToMinute(again, t) <= 0 && CompareCtlToMinute(again, to) <= 0) {
                    make(again, 1);
                    StepCtlDateTime5Min(again, kUnitFiveMinutes);
                }
            }
            StepCtlDateTime5Min(t, kUnitFiveMinutes);
        }
        break;
    }
    default: {
        const bool daily = a == SimArchive::ChromDay || a == SimArchive::WmtDay;
        const int unit = daily ? kUnitDay : kUnitHour;
        CtlHourTime t = from;
        if (daily) t.hour = 0;
        while (CompareCtlDateTimeByUnit(t, to, unit) <= 0) {
            const uint32_t seed = SeedOf(CtlMinuteTime(t));
            int passes = 1;
            if (!daily && InSwitchHour(t, summer)) passes = 0;  // the clock jumped over it
            if (!daily && InSwitchHour(t, winter)) passes = 2;  // the clock went back over it
            for (int pass = 0; pass < passes; ++pass) {
                const uint32_t s = seed + uint32_t(pass) * 500009u;
                out.push_back(moisture ? MakeMoistureHourDayRecord(t, daily, s) : MakeChromHourDayRecord(t, daily, s));
            }
            StepCtlDateTime(t, unit);
        }
        break;
    }
    }
    SetRecords(a, std::move(out));
}

void ArchiveSim::DropRecords(SimArchive a, const CtlDateTime& from, const CtlDateTime& to) {
    std::lock_guard<std::mutex> lock(mu_);
    auto& recs = records_[int(a)];
    const CtlMinuteTime lo = SlotOf(a, from), hi = SlotOf(a, to);
    std::erase_if(recs, [&](const std::vector<uint8_t>& r) {
        const CtlMinuteTime k = KeyOf(a, r);
        return Compare(a, k, lo) >= 0 && Compare(a, k, hi) <= 0;
    });
}

void ArchiveSim::SetStyle(Style style) {
    std::lock_guard<std::mutex> lock(mu_);
    style_ = style;
}

void ArchiveSim::SetReplyHook(ReplyHook hook) {
    std::lock_guard<std::mutex> lock(mu_);
    hook_ = std::move(hook);
}

std::vector<ArchiveSim::Request> ArchiveSim::Requests() {
    std::lock_guard<std::mutex> lock(mu_);
    return requests_;
}

void ArchiveSim::ClearLog() {
    std::lock_guard<std::mutex> lock(mu_);
    requests_.clear();
}

void ArchiveSim::FillDemo(const CtlDateTime& now) {
    SetClock(now);
    CtlDateTime last(now);
    last.second = 0;
    StepBackCtlDateTime5Min(last, kUnitFiveMinutes);
    // 5-minute archives: two days.
    CtlDateTime from5 = last;
    for (int i = 0; i < 2; ++i) StepBackCtlDateTime(from5, kUnitDay);
    Generate(SimArchive::Chrom5Min, from5, last);
    Generate(SimArchive::Wmt5Min, from5, last);
    CtlDateTime oldest5(from5);
    oldest5.minute = uint8_t(oldest5.minute - oldest5.minute % 5 + 2);
    oldest5.second = 30;
    SetOldest(0, oldest5);
    // Hourly: 62 days up to the hour before now.
    CtlDateTime lastHour(now);
    lastHour.minute = lastHour.second = 0;
    StepBackCtlDateTime(lastHour, kUnitHour);
    CtlDateTime fromHour = lastHour;
    for (int i = 0; i < 62; ++i) StepBackCtlDateTime(fromHour, kUnitDay);
    Generate(SimArchive::ChromHour, fromHour, lastHour);
    Generate(SimArchive::WmtHour, fromHour, lastHour);
    SetOldest(1, fromHour);
    // Daily: 400 days up to yesterday.
    CtlDateTime lastDay(now);
    lastDay.hour = lastDay.minute = lastDay.second = 0;
    StepBackCtlDateTime(lastDay, kUnitDay);
    CtlDateTime fromDay = lastDay;
    for (int i = 0; i < 400; ++i) StepBackCtlDateTime(fromDay, kUnitDay);
    Generate(SimArchive::ChromDay, fromDay, lastDay);
    Generate(SimArchive::WmtDay, fromDay, lastDay);
    SetOldest(2, fromDay);
}

Reply ArchiveSim::Answer(uint8_t function, const std::vector<uint8_t>& frame) {
    const size_t width = function == 14 ? 5 : function == 15 ? 4 : 3;
    if (frame.size() < 4 + 3 + 2 * width + 2) return Negative(2);
    const uint8_t* body = frame.data() + 4;
    const uint8_t kind = body[0];
    const uint8_t device = body[2];
    if ((function == 14) != (kind == 1) || (function != 14 && kind != 3) || device > 1) return Negative(3);
    const int base = function == 14 ? 0 : function == 15 ? 1 : 2;
    const SimArchive a = SimArchive(base + 3 * device);
    uint8_t s[6] = {}, e[6] = {};
    std::memcpy(s, body + 3, width);
    std::memcpy(e, body + 3 + width, width);
    CtlMinuteTime start = LoadCtlMinuteTime(s);
    const CtlMinuteTime end = LoadCtlMinuteTime(e);
    const size_t perReply = device == 0 ? 2 : 8;

    std::lock_guard<std::mutex> lock(mu_);
    const int index = int(requests_.size());
    requests_.push_back({function, std::vector<uint8_t>(body, body + 3 + 2 * width)});
    if (style_ == Style::IgnoreStart) {
        uint8_t f[6] = {};
        std::memcpy(f, requests_[0].body.data() + 3, std::min(width, requests_[0].body.size() - 3));
        start = LoadCtlMinuteTime(f);
    }
    if (style_ == Style::SlotBefore) {
        if (function == 14)
            StepBackCtlDateTime5Min(start, kUnitFiveMinutes);
        else
            StepBackCtlDateTime(start, function == 15 ? kUnitHour : kUnitDay);
    }
    Reply r;
    r.data.push_back(0);
    uint8_t n = 0;
    bool reading = false;  // ReadOn: the first record at or after the start was found
    for (const auto& rec : records_[int(a)]) {
        if (n >= perReply) break;
        const CtlMinuteTime k = KeyOf(a, rec);
        const bool afterEnd = style_ != Style::PastEnd && Compare(a, k, end) > 0;
        if (style_ == Style::ReadOn) {
            reading = reading || Compare(a, k, start) >= 0;
            if (!reading) continue;
            if (afterEnd) break;
        } else if (Compare(a, k, start) < 0 || afterEnd) {
            continue;
        }
        r.data.insert(r.data.end(), rec.begin(), rec.end());
        ++n;
    }
    r.data[0] = n;
    if (hook_) hook_(index, function, r.data);
    return r;
}

}  // namespace ctlsim
