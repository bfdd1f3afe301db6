#include "link/replyaccount.h"

#include <algorithm>

uint64_t ReplyAccount::Hash(const uint8_t* bytes, size_t n) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (size_t i = 0; i < n; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
    return h | 1;  // never 0, which stands for "no request"
}

void ReplyAccount::Clear() {
    owed_.clear();
    recent_ = {};
    next_ = 0;
    sinceUninvited_ = kDoublesMemory;
}

void ReplyAccount::Expire() {
    const auto now = Clock::now();
    std::erase_if(owed_, [&](const Owed& o) { return o.until <= now; });
}

void ReplyAccount::Sent(uint64_t request, uint8_t function, uint32_t waitMs) {
    Expire();
    owed_.push_back({request, function, false,
                     Clock::now() + std::chrono::milliseconds(uint64_t(waitMs) * kOwedWaits)});
}

bool ReplyAccount::Settle(uint64_t request) {
    Expire();
    auto it = std::find_if(owed_.begin(), owed_.end(), [&](const Owed& o) { return o.request == request; });
    if (it == owed_.end()) return false;
    owed_.erase(it);
    return true;
}

bool ReplyAccount::SettleFirstArrival(uint8_t function, uint64_t& request) {
    Expire();
    auto it = std::find_if(owed_.begin(), owed_.end(), [&](const Owed& o) { return o.unanswered && o.function == function; });
    if (it == owed_.end())
        it = std::find_if(owed_.begin(), owed_.end(), [&](const Owed& o) { return o.function == function; });
    if (it == owed_.end()) it = owed_.begin();
    if (it == owed_.end()) return false;
    request = it->request;
    owed_.erase(it);
    return true;
}

bool ReplyAccount::SoleOwner(uint64_t& request) {
    Expire();
    if (owed_.empty()) return false;
    request = owed_.front().request;
    return std::all_of(owed_.begin(), owed_.end(), [&](const Owed& o) { return o.request == request; });
}

void ReplyAccount::Unanswered(uint64_t request) {
    for (Owed& o : owed_)
        if (o.request == request) o.unanswered = true;
}

bool ReplyAccount::AwaitsUnanswered(uint64_t request, uint8_t function, Clock::time_point& until) {
    Expire();
    bool any = false;
    for (const Owed& o : owed_) {
        if (!o.unanswered || o.function != function || o.request == request) continue;
        until = any ? std::max(until, o.until) : o.until;
        any = true;
    }
    return any;
}

uint64_t ReplyAccount::CopyOf(uint64_t reply, uint64_t request) const {
    uint64_t other = 0;
    for (size_t i = 0; i < kRecent; ++i) {
        // Newest first, so that the frame it answered last is the one named.
        const Seen& s = recent_[(next_ + kRecent - 1 - i) % kRecent];
        if (!s.used || s.reply != reply) continue;
        if (s.request == request) return 0;  // the same request answered alike: no copy
        if (!other) other = s.request ? s.request : kUnknownRequest;
    }
    return other;
}

void ReplyAccount::Record(uint64_t reply, uint64_t request) {
    recent_[next_] = {reply, request, true};
    next_ = (next_ + 1) % kRecent;
}
