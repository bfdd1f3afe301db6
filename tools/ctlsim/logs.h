// The simulated controller's two message logs: the diagnostic log (22-byte records) and
// the intervention log (24-byte records), each record with a 32-bit running index. Tables
// 10 and 11 hold the oldest and the newest index of each log. Function 7 answers by index
// (reply byte 10 the number of records, records from byte 11), function 8 by period in
// numbered blocks (byte 4 bit 7 the log's error flag, byte 6 the number of records,
// byte 7 = 1 while more blocks follow, records from byte 8); a block number asked for
// twice in a row gets the same block again.
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "common/dtfun.h"
#include "ctlsim/ctlsim.h"

namespace ctlsim {

// Records with a good CRC. seed varies the contents.
std::vector<uint8_t> MakeDiagRecord(const CtlDateTime& time, uint8_t code, uint32_t seed);
std::vector<uint8_t> MakeAuditRecord(const CtlDateTime& time, uint8_t table, uint8_t field, uint32_t seed);

class LogSim {
public:
    // Installs functions 7 and 8 on sim; the object must outlive their use.
    explicit LogSim(CtlSim& sim);
    ~LogSim();
    LogSim(const LogSim&) = delete;
    LogSim& operator=(const LogSim&) = delete;

    // The records of log 0 (diagnostic) or 1 (intervention) in time order; the first gets
    // index oldestIndex. Tables 10/11 are set to the bounds (both 0 for an empty log).
    void SetRecords(int log, uint32_t oldestIndex, std::vector<std::vector<uint8_t>> records);
    // Fills a log with `count` records one `stepMinutes` apart, the first at `from`.
    void Generate(int log, uint32_t oldestIndex, const CtlDateTime& from, int count, int stepMinutes);

    // Most records one reply carries (default: as many as the frame holds, 11 or 10).
    void SetMaxPerReply(int n);
    // Sets bit 7 of byte 4 in the by-period replies (the controller found a log error).
    void SetErrorFlag(bool on);
    // A controller that answers every request by index from the index of the first one since
    // the last ClearLog, whatever index it asks for.
    void SetIgnoreIndex(bool on);

    // Changes the data of a reply (bytes 4.. before the CRC) before it goes out; index
    // counts the log requests since the last ClearLog.
    using ReplyHook = std::function<void(int index, uint8_t function, std::vector<uint8_t>& data)>;
    void SetReplyHook(ReplyHook hook);

    // Log requests answered: function and body.
    struct Request {
        uint8_t function;
        std::vector<uint8_t> body;
    };
    std::vector<Request> Requests();
    void ClearLog();

    // A demonstration content: 300 diagnostic and 120 intervention records over the last
    // days before now.
    void FillDemo(const CtlDateTime& now);

private:
    Reply AnswerIndex(const std::vector<uint8_t>& frame);
    Reply AnswerPeriod(const std::vector<uint8_t>& frame);
    void SetBounds(int log);

    CtlSim& sim_;
    std::mutex mu_;
    std::vector<std::vector<uint8_t>> records_[2];
    uint32_t oldest_[2] = {0, 0};
    size_t cursor_[2] = {0, 0};      // next record of a by-period read
    size_t blockFrom_[2] = {0, 0};   // first record of the block last answered
    int lastBlock_[2] = {-1, -1};    // its block number
    int maxPerReply_ = 0;
    bool errorFlag_ = false;
    bool ignoreIndex_ = false;
    ReplyHook hook_;
    std::vector<Request> requests_;
};

}  // namespace ctlsim
