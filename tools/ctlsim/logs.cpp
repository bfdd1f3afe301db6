#include "ctlsim/logs.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "data/archformat.h"

namespace ctlsim {

namespace {

constexpr size_t kRecordSize[2] = {qvr::kDiagRecordSize, qvr::kAuditRecordSize};
constexpr int kBoundsTable[2] = {10, 11};
// Records a reply frame holds: 255 bytes less the head, the count bytes and the CRC.
constexpr int kIndexFit[2] = {(255 - 11 - 2) / 22, (255 - 11 - 2) / 24};
constexpr int kPeriodFit[2] = {(255 - 8 - 2) / 22, (255 - 8 - 2) / 24};

CtlDateTime Plus(const CtlDateTime& t, int minutes) {
    CtlDateTime r;
    DateTimeToCtl(CtlToDateTime(t) + minutes / 1440.0 + 1e-7, r);
    return r;
}

}  // namespace

std::vector<uint8_t> MakeDiagRecord(const CtlDateTime& time, uint8_t code, uint32_t seed) {
    qvr::DiagRecord d;
    d.time = time;
    d.code = code;
    d.object = uint8_t(seed % 7);
    d.subObject = uint8_t(seed % 20);
    float v = 10.0f + float(seed % 1000) / 10.0f, sp = 50.0f;
    std::memcpy(&d.valueBits, &v, 4);
    std::memcpy(&d.setPointBits, &sp, 4);
    std::vector<uint8_t> r(qvr::kDiagRecordSize);
    d.Store(r.data());
    qvr::SealRecord(r.data(), r.size());
    return r;
}

std::vector<uint8_t> MakeAuditRecord(const CtlDateTime& time, uint8_t table, uint8_t field, uint32_t seed) {
    qvr::AuditRecord a;
    a.time = time;
    a.table = table;
    a.field = field;
    a.unit = uint8_t(seed % 10);
    a.oldValue = float(seed % 100);
    a.newValue = float(seed % 100) + 1.5f;
    std::memcpy(a.operatorName, "1111", 4);
    std::vector<uint8_t> r(qvr::kAuditRecordSize);
    a.Store(r.data());
    qvr::SealRecord(r.data(), r.size());
    return r;
}

LogSim::LogSim(CtlSim& sim) : sim_(sim) {
    sim_.SetHandler(7, [this](CtlSim&, const std::vector<uint8_t>& f) { return AnswerIndex(f); }, 13);
    sim_.SetHandler(8, [this](CtlSim&, const std::vector<uint8_t>& f) { return AnswerPeriod(f); }, 21);
}

LogSim::~LogSim() {
    sim_.SetHandler(7, nullptr);
    sim_.SetHandler(8, nullptr);
}

void LogSim::SetBounds(int log) {
    std::vector<uint8_t> b(8, 0);
    uint32_t oldest = 0, newest = 0;
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (!records_[log].empty()) {
            oldest = oldest_[log];
            newest = oldest + uint32_t(records_[log].size()) - 1;
        }
    }
    qvr::PutU32(b.data(), oldest);
    qvr::PutU32(b.data() + 4, newest);
    sim_.SetTableBytes(kBoundsTable[log], 0, b);
}

void LogSim::SetRecords(int log, uint32_t oldestIndex, std::vector<std::vector<uint8_t>> records) {
    if (log < 0 || log > 1) return;
    {
        std::lock_guard<std::mutex> lock(mu_);
        records_[log] = std::move(records);
        oldest_[log] = oldestIndex;
        cursor_[log] = blockFrom_[log] = 0;
        lastBlock_[log] = -1;
    }
    SetBounds(log);
}

void LogSim::Generate(int log, uint32_t oldestIndex, const CtlDateTime& from, int count, int stepMinutes) {
    std::vector<std::vector<uint8_t>> recs;
    for (int i = 0; i < count; ++i) {
        const CtlDateTime t = Plus(from, i * stepMinutes);
        const uint32_t seed = oldestIndex + uint32_t(i);
        recs.push_back(log == 0 ? MakeDiagRecord(t, uint8_t(2 + seed % 80), seed)
                                : MakeAuditRecord(t, uint8_t(seed % 29), uint8_t(seed % 8), seed));
    }
    SetRecords(log, oldestIndex, std::move(recs));
}

void LogSim::SetMaxPerReply(int n) {
    std::lock_guard<std::mutex> lock(mu_);
    maxPerReply_ = n;
}

void LogSim::SetErrorFlag(bool on) {
    std::lock_guard<std::mutex> lock(mu_);
    errorFlag_ = on;
}

void LogSim::SetIgnoreIndex(bool on) {
    std::lock_guard<std::mutex> lock(mu_);
    ignoreIndex_ = on;
}

void LogSim::SetReplyHook(ReplyHook hook) {
    std::lock_guard<std::mutex> lock(mu_);
    hook_ = std::move(hook);
}

std::vector<LogSim::Request> LogSim::Requests() {
    std::lock_guard<std::mutex> lock(mu_);
    return requests_;
}

void LogSim::ClearLog() {
    std::lock_guard<std::mutex> lock(mu_);
    requests_.clear();
}

void LogSim::FillDemo(const CtlDateTime& now) {
    Generate(0, 1001, Plus(now, -300 * 37), 300, 37);
    Generate(1, 501, Plus(now, -120 * 61), 120, 61);
}

Reply LogSim::AnswerIndex(const std::vector<uint8_t>& frame) {
    const uint8_t* body = frame.data() + 4;
    const int log = body[1];
    if (body[0] != 0 || log > 1) return Negative(3);
    uint32_t first = qvr::GetU32(body + 2);
    const uint32_t wanted = body[6];

    std::lock_guard<std::mutex> lock(mu_);
    const int index = int(requests_.size());
    requests_.push_back({7, std::vector<uint8_t>(body, body + 7)});
    if (ignoreIndex_) {
        const auto firstAsked = std::find_if(requests_.begin(), requests_.end(), [](const Request& r) { return r.function == 7; });
        first = qvr::GetU32(firstAsked->body.data() + 2);
    }
    const auto& recs = records_[log];
    int limit = kIndexFit[log];
    if (maxPerReply_ > 0) limit = std::min(limit, maxPerReply_);
    Reply r;
    r.data.assign(7, 0);  // bytes 4..9 not interpreted, byte 10 the count
    uint8_t n = 0;
    // Index i is record i - oldest (modulo 2^32, like the running index itself).
    for (uint32_t k = 0; k < wanted && n < limit; ++k) {
        const uint32_t pos = first + k - oldest_[log];
        if (pos >= recs.size()) break;
        r.data.insert(r.data.end(), recs[pos].begin(), recs[pos].end());
        ++n;
    }
    r.data[6] = n;
    if (hook_) hook_(index, 7, r.data);
    return r;
}

Reply LogSim::AnswerPeriod(const std::vector<uint8_t>& frame) {
    const uint8_t* body = frame.data() + 4;
    const int log = body[1];
    if (body[0] != 0 || log > 1) return Negative(3);
    const uint8_t block = body[2];
    const CtlDateTime start = LoadCtlDateTime(body + 3);
    const CtlDateTime end = LoadCtlDateTime(body + 9);

    std::lock_guard<std::mutex> lock(mu_);
    const int index = int(requests_.size());
    requests_.push_back({8, std::vector<uint8_t>(body, body + 15)});
    const auto& recs = records_[log];
    auto inPeriod = [&](size_t i) {
        const CtlDateTime t = LoadCtlDateTime(recs[i].data());
        return CompareCtlDateTime(t, start) >= 0 && CompareCtlDateTime(t, end) <= 0;
    };
    // Block 0 starts a read at the first record of the period; later blocks go on, and
    // the same block number again (a request sent once more) gets the same block.
    if (block == 0) {
        cursor_[log] = 0;
        while (cursor_[log] < recs.size() && !inPeriod(cursor_[log])) ++cursor_[log];
    } else if (block == lastBlock_[log]) {
        cursor_[log] = blockFrom_[log];
    }
    blockFrom_[log] = cursor_[log];
    lastBlock_[log] = block;
    int limit = kPeriodFit[log];
    if (maxPerReply_ > 0) limit = std::min(limit, maxPerReply_);
    Reply r;
    r.data.assign(4, 0);  // byte 4 flags, 5 not interpreted, 6 count, 7 more
    if (errorFlag_) r.data[0] = 0x80;
    uint8_t n = 0;
    size_t& c = cursor_[log];
    while (n < limit && c < recs.size() && inPeriod(c)) {
        r.data.insert(r.data.end(), recs[c].begin(), recs[c].end());
        ++c;
        ++n;
    }
    r.data[2] = n;
    r.data[3] = c < recs.size() && inPeriod(c) ? 1 : 0;
    if (hook_) hook_(index, 8, r.data);
    return r;
}

}  // namespace ctlsim
