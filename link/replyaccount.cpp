#include "link/replyaccount.h"

#include <algorithm>

uint64_t ReplyAccount::Hash(const uint8_t* bytes, size_t n) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (size_t i = 0; i < n; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
    return h | 1;  // never 0, which stands for "no request"
}

void ReplyAccount::Clear() {
    owed_.clear();
    seen_.clear();
    uninvitedUntil_ = {};
    run_ = Running{};
}

void ReplyAccount::Expire(Clock::time_point now) {
    std::erase_if(owed_, [&](const Owed& o) { return o.until <= now; });
    std::erase_if(seen_, [&](const Seen& s) { return s.until <= now; });
}

void ReplyAccount::Begin(uint64_t key, uint8_t function, bool records, Clock::duration horizon,
                         Clock::time_point now) {
    horizon_ = horizon;
    Expire(now);
    run_ = Running{};
    run_.active = true;
    run_.key = key;
    run_.serial = ++serials_;
    run_.function = function;
    run_.records = records;
}

void ReplyAccount::Sent(Clock::time_point now) {
    if (!run_.active) return;
    ++run_.sends;
    owed_.push_back({run_.key, run_.serial, run_.function, false, false, now + horizon_});
}

void ReplyAccount::TimedOut() {
    for (Owed& o : owed_)
        if (o.serial == run_.serial) o.timedOut = true;
}

void ReplyAccount::End(bool answered) {
    if (!answered)
        for (Owed& o : owed_)
            if (o.serial == run_.serial) o.unanswered = true;
    run_.active = false;
}

bool ReplyAccount::Evidence(Clock::time_point now, bool lateSends) const {
    if (uninvitedUntil_ > now) return true;
    return std::any_of(owed_.begin(), owed_.end(), [&](const Owed& o) {
        return o.until > now && (o.key != run_.key || (lateSends && o.timedOut));
    });
}

bool ReplyAccount::OwedUnanswered(Clock::time_point now, Clock::time_point& until) {
    Expire(now);
    bool any = false;
    for (const Owed& o : owed_) {
        if (!o.unanswered || o.function != run_.function || o.key == run_.key) continue;
        until = any ? std::max(until, o.until) : o.until;
        any = true;
    }
    return any;
}

bool ReplyAccount::Copies(uint64_t reply) const {
    return std::any_of(seen_.begin(), seen_.end(), [&](const Seen& s) { return s.reply == reply; });
}

bool ReplyAccount::CopiesOwn(uint64_t reply) const {
    return std::any_of(seen_.begin(), seen_.end(), [&](const Seen& s) { return s.reply == reply && s.key == run_.key; });
}

void ReplyAccount::Remember(uint64_t reply, uint64_t key, Clock::time_point now) {
    seen_.push_back({reply, key, now + horizon_});
}

bool ReplyAccount::SettleCopied(uint64_t reply, Clock::time_point now) {
    for (auto s = seen_.rbegin(); s != seen_.rend(); ++s) {  // the newest answer with these bytes first
        if (s->reply != reply) continue;
        const uint64_t key = s->key;
        auto it = std::find_if(owed_.begin(), owed_.end(), [&](const Owed& o) {
            return o.key == key && !(run_.active && o.key == run_.key);
        });
        if (it != owed_.end()) {
            owed_.erase(it);
            Remember(reply, key, now);
            return true;
        }
    }
    Remember(reply, kUnknownRequest, now);  // copies stay known as such while they come
    return false;
}

void ReplyAccount::Answered(int replies) {
    std::erase_if(owed_, [&](const Owed& o) {
        if (o.key != run_.key) return o.serial < run_.serial;
        if (replies == 0) return false;
        --replies;  // the oldest of its request first
        return true;
    });
}

std::deque<ReplyAccount::Owed>::iterator ReplyAccount::OldestUnanswered(uint8_t function) {
    return std::find_if(owed_.begin(), owed_.end(), [&](const Owed& o) {
        return o.unanswered && o.function == function && o.serial != run_.serial && !(run_.active && o.key == run_.key);
    });
}

void ReplyAccount::Stray(uint64_t reply, uint8_t function, Clock::time_point now) {
    if (Copies(reply)) {
        if (!SettleCopied(reply, now)) NoteUninvited(now);
        return;
    }
    // Seen for the first time: replies come in the order of their sends, so it answers the
    // oldest send still owed whose request got no answer.
    auto it = OldestUnanswered(function);
    if (it == owed_.end()) {
        NoteUninvited(now);
        Remember(reply, kUnknownRequest, now);
        return;
    }
    Remember(reply, it->key, now);
    owed_.erase(it);
}

ReplyAccount::Verdict ReplyAccount::Attribute(const uint8_t* frame, bool doubtful, Clock::time_point now) {
    Expire(now);
    const size_t n = frame[2];
    const uint64_t h = Hash(frame, n);
    const uint8_t fn = frame[3];
    const uint8_t answer = uint8_t(run_.function + 0x80);
    if (!run_.active || run_.sends == 0 || ((fn & 0x80) && fn != answer)) {
        Stray(h, uint8_t(fn & 0x7F), now);
        return Verdict::Drop;
    }
    // A negative reply, or a reply that carries no records, is the controller's word on
    // this request (table replies echo what they answer, and their callers check it).
    if (!run_.records || fn != answer) {
        Answered(1);
        Remember(h, run_.key, now);
        return Verdict::Take;
    }
    const std::vector<uint8_t> bytes(frame, frame + n);
    const bool copy = Copies(h);
    // The reply in doubt given again is judged as it was, even if what made it doubtful has
    // been forgotten since.
    if (!run_.aside.empty() && bytes == run_.aside) doubtful = true;
    if (!copy && !doubtful) {
        // Seen for the first time while another request of this function still waits for
        // its reply: by their order, this is that reply.
        auto it = OldestUnanswered(run_.function);
        if (it != owed_.end()) {
            Remember(h, it->key, now);
            owed_.erase(it);
            return Verdict::Drop;
        }
        // The reply put aside was one too many: the controller sends what nobody asked for.
        if (!run_.aside.empty() && run_.aside != bytes) NoteUninvited(now);
        Answered(1);
        Remember(h, run_.key, now);
        return Verdict::Take;
    }
    // The late reply to the request whose answer it copies, which is still owed one.
    if (copy && SettleCopied(h, now)) return Verdict::Drop;
    if (Evidence(now, !CopiesOwn(h))) {
        run_.inDoubt = true;
        Remember(h, kUnknownRequest, now);
        return Verdict::Drop;
    }
    if (run_.aside.empty()) {
        run_.aside = bytes;
        run_.asideSends = run_.sends;
        return Verdict::Confirm;
    }
    // Given again to the confirming send: the controller's answer, to both sends.
    if (bytes == run_.aside && run_.sends > run_.asideSends) {
        Answered(2);
        Remember(h, run_.key, now);
        return Verdict::Take;
    }
    // Given twice to one send, or another reply in doubt: copies are on the line.
    NoteUninvited(now);
    run_.inDoubt = true;
    Remember(h, kUnknownRequest, now);
    return Verdict::Drop;
}
