// The simulated controller's archives: 5-minute records, hourly and daily means of the
// chromatograph and of the moisture analyser, answered by functions 14 (5-minute),
// 15 (hourly) and 16 (daily). A request names the archive (byte 0: 1 five-minute, 3 hourly
// or daily), the device (byte 2) and a start and end; the reply carries, from byte 4, the
// number of records and the records of the period from the start on, at most 2
// chromatograph or 8 moisture-analyser records. Table 27 holds the oldest record time of
// each archive, table 2 the clock.
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "common/dtfun.h"
#include "ctlsim/ctlsim.h"

namespace ctlsim {

// The six archives, in the order chromatograph 5-minute, hourly, daily, then the same of
// the moisture analyser.
enum class SimArchive : int { Chrom5Min = 0, ChromHour, ChromDay, Wmt5Min, WmtHour, WmtDay };
constexpr int kSimArchiveCount = 6;

// Records of each kind with plausible values and a good CRC. seed varies the values.
std::vector<uint8_t> MakeChrom5MinRecord(const CtlDateTime& time, uint32_t seed);
std::vector<uint8_t> MakeChromHourDayRecord(const CtlHourTime& dateHour, bool daily, uint32_t seed);
std::vector<uint8_t> MakeMoisture5MinRecord(const CtlDateTime& time, uint32_t seed);
std::vector<uint8_t> MakeMoistureHourDayRecord(const CtlHourTime& dateHour, bool daily, uint32_t seed);

class ArchiveSim {
public:
    // Installs functions 14, 15 and 16 on sim. The object must outlive the simulator's
    // use of them (call sim.Stop() or remove the handlers first).
    explicit ArchiveSim(CtlSim& sim);
    ~ArchiveSim();
    ArchiveSim(const ArchiveSim&) = delete;
    ArchiveSim& operator=(const ArchiveSim&) = delete;

    // Table 2: the clock (weekday 1, summer time).
    void SetClock(const CtlDateTime& now);
    // Table 27 field 0 (5-minute), 1 (hourly) or 2 (daily); flag sets bit 7 of the last
    // byte of the daily field.
    void SetOldest(int field, const CtlDateTime& t, bool flag = false);

    // The records of one archive, in time order (replaces what it held).
    void SetRecords(SimArchive a, std::vector<std::vector<uint8_t>> records);
    std::vector<std::vector<uint8_t>> Records(SimArchive a);
    // Fills an archive with one generated record per 5 minutes (time slot + 2:30), per
    // hour or per day from `from` to `to` inclusive.
    void Generate(SimArchive a, const CtlDateTime& from, const CtlDateTime& to);
    // The same, with the controller clock following the season switches of table 6
    // (rules: bytes 0..5, the summer and the winter rule): on the summer switch day the
    // clock jumps over the hour before the summer rule's hour, which gets no record; on the
    // winter switch day it goes back over the hour before the winter rule's hour, whose
    // records are written twice (the second pass after the first, with other values).
    // Daily records are not affected.
    void Generate(SimArchive a, const CtlDateTime& from, const CtlDateTime& to, const uint8_t* rules);
    // Removes the records whose slot (5 minutes, hour or day) lies in from..to: the
    // controller was off.
    void DropRecords(SimArchive a, const CtlDateTime& from, const CtlDateTime& to);

    // How the controller picks the records of a reply. Filter: the records whose slot lies
    // from the start to the end, in the archive's order. ReadOn: from the first record (in
    // the archive's order) whose slot lies at or after the start, the records that follow,
    // up to the first past the end; where the clock went back, that is the first pass and
    // then the second. SlotBefore: as Filter, from the slot before the start (the record of
    // the day, hour or 5 minutes before it). PastEnd: as Filter, with no end. IgnoreStart:
    // as Filter, every request from the start of the first one since the log was cleared.
    enum class Style { Filter, ReadOn, SlotBefore, PastEnd, IgnoreStart };
    void SetStyle(Style style);

    // Changes the data of a reply (bytes 4.. before the CRC) before it goes out:
    // index counts the archive requests answered since the last ClearLog.
    using ReplyHook = std::function<void(int index, uint8_t function, std::vector<uint8_t>& data)>;
    void SetReplyHook(ReplyHook hook);

    // Archive requests answered: function and body (bytes 4 .. length-3).
    struct Request {
        uint8_t function;
        std::vector<uint8_t> body;
    };
    std::vector<Request> Requests();
    void ClearLog();

    // A demonstration content: 5-minute archives for the last two days, hourly for 62 days,
    // daily for 400 days before now, with table 27 and table 2 set accordingly.
    void FillDemo(const CtlDateTime& now);

private:
    Reply Answer(uint8_t function, const std::vector<uint8_t>& frame);

    CtlSim& sim_;
    std::mutex mu_;
    std::vector<std::vector<uint8_t>> records_[kSimArchiveCount];
    ReplyHook hook_;
    Style style_ = Style::Filter;
    std::vector<Request> requests_;
};

}  // namespace ctlsim
