#include "link/replyaccount.h"

#include <algorithm>

namespace {
constexpr size_t kRequestsKept = 64;
}

uint64_t ReplyAccount::Hash(const uint8_t* bytes, size_t n) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (size_t i = 0; i < n; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
    return h | 1;  // never 0, which stands for "no request"
}

void ReplyAccount::Clear() {
    requests_.clear();
    seen_.clear();
    uninvitedUntil_ = {};
    run_ = Run{};
}

void ReplyAccount::Expire(Clock::time_point now) {
    std::erase_if(requests_, [&](const Request& r) {
        if (run_.active && r.serial == run_.serial) return false;
        return r.sends == 0 || r.lastSend + horizon_ <= now;
    });
    while (requests_.size() > kRequestsKept) requests_.pop_front();
}

ReplyAccount::Request* ReplyAccount::Find(uint64_t serial) {
    for (Request& r : requests_)
        if (r.serial == serial) return &r;
    return nullptr;
}

void ReplyAccount::Begin(uint64_t key, uint8_t function, bool records, Check check, Clock::duration horizon,
                         Clock::time_point now) {
    horizon_ = horizon;
    run_ = Run{};
    Expire(now);
    // Asked again after it failed (the user said so): what happened before counts against
    // its replies only by the bytes seen.
    if (std::erase_if(requests_, [&](const Request& r) { return r.key == key && r.failed; }) > 0)
        uninvitedUntil_ = {};
    run_.active = true;
    run_.key = key;
    run_.serial = ++serials_;
    run_.function = function;
    run_.records = records;
    run_.check = std::move(check);
    requests_.push_back({key, run_.serial, function});
}

void ReplyAccount::Sent(Clock::time_point now) {
    if (!run_.active) return;
    Request& r = Own();
    ++r.sends;
    r.lastSend = now;
}

void ReplyAccount::Broken() {
    if (!run_.active) return;
    Request* r = &Own();
    // Before the first send: the broken reply of a request that ended unanswered.
    if (r->sends == 0 && !(r = Claiming(run_.function))) return;
    ++r->broken;
    if (!run_.aside.empty()) run_.asideBroken = true;
    if (r->replies + r->broken >= r->sends) r->claims = r->failed = false;
}

void ReplyAccount::End(bool answered) {
    if (!run_.active) return;
    Request& r = Own();
    if (!answered && r.sends > r.replies + r.broken) {
        r.failed = true;
        r.claims = true;
    }
    run_.active = false;
    run_.check = nullptr;
}

bool ReplyAccount::Evidence(Clock::time_point now) const { return uninvitedUntil_ > now; }

bool ReplyAccount::AwaitFailed(Clock::time_point now, Clock::time_point& until) {
    Expire(now);
    bool any = false;
    for (const Request& r : requests_) {
        if (!r.claims || r.replies + r.broken >= r.sends || r.function != run_.function || r.key == run_.key)
            continue;
        until = any ? std::max(until, r.lastSend + horizon_) : r.lastSend + horizon_;
        any = true;
    }
    return any;
}

void ReplyAccount::FailedAwaited() {
    for (Request& r : requests_)
        if (r.function == run_.function) r.claims = false;
}

ReplyAccount::Seen* ReplyAccount::SeenAs(uint64_t reply, uint64_t key) {
    for (Seen& s : seen_)
        if (s.reply == reply && s.key == key) return &s;
    return nullptr;
}

void ReplyAccount::Remember(uint64_t reply, uint64_t key, Clock::time_point now) {
    auto it = std::find_if(seen_.begin(), seen_.end(), [&](const Seen& s) { return s.reply == reply && s.key == key; });
    Seen s{reply, key, now};
    if (it != seen_.end()) {
        s.uninvited = it->uninvited;
        seen_.erase(it);
    }
    seen_.push_back(s);
    while (seen_.size() > kRemembered) seen_.pop_front();
}

bool ReplyAccount::CopiesOwn(uint64_t reply, Clock::time_point now, bool recent) const {
    return std::any_of(seen_.begin(), seen_.end(), [&](const Seen& s) {
        return s.reply == reply && s.key == run_.key && (!recent || s.at + horizon_ > now);
    });
}

bool ReplyAccount::CopiesOther(uint64_t reply) const {
    return std::any_of(seen_.begin(), seen_.end(), [&](const Seen& s) { return s.reply == reply && s.key != run_.key; });
}

bool ReplyAccount::SettleCopy(uint64_t reply, Clock::time_point now) {
    for (Request& r : requests_) {  // the oldest first: replies come in the order of their sends
        if (r.answer != reply || r.replies >= r.sends || r.lastSend + horizon_ <= now) continue;
        if (run_.active && r.serial == run_.serial) continue;
        ++r.replies;
        return true;
    }
    return false;
}

ReplyAccount::Request* ReplyAccount::Claiming(uint8_t function) {
    for (Request& r : requests_)
        if (r.claims && r.function == function && !(run_.active && r.serial == run_.serial)) return &r;
    return nullptr;
}

void ReplyAccount::Uninvited(uint64_t reply, Clock::time_point now) {
    if (std::any_of(seen_.begin(), seen_.end(), [&](const Seen& s) { return s.reply == reply && s.uninvited; }))
        return;  // seen again: no new evidence
    Seen* s = nullptr;
    for (Seen& x : seen_)
        if (x.reply == reply) s = &x;
    if (!s) {
        Remember(reply, kUnknownRequest, now);
        s = &seen_.back();
    }
    s->uninvited = true;
    uninvitedUntil_ = now + horizon_;
}

void ReplyAccount::Answered(uint64_t reply, int replies, Clock::time_point now) {
    LineAnswers();
    Request& r = Own();
    r.answer = reply;
    r.replies = std::min(replies, r.sends);
    Remember(reply, run_.key, now);
}

void ReplyAccount::Stray(uint64_t reply, uint8_t function, Clock::time_point now) {
    if (SettleCopy(reply, now)) return;
    // The reply of a request that ended unanswered, while it may claim one, when it is seen
    // for the first time or is what that request's key was answered before (its other sends'
    // replies will be copies of it).
    Request* r = Claiming(function);
    const bool seen = CopiesOwn(reply, now, false) || CopiesOther(reply);
    if (seen && !(r && SeenAs(reply, r->key))) {
        Uninvited(reply, now);
        return;
    }
    if (r) {
        r->answer = reply;
        r->replies = 1;
        r->failed = r->claims = false;
        Remember(reply, r->key, now);
        return;
    }
    Uninvited(reply, now);
}

const std::vector<uint8_t>* ReplyAccount::TakeAside(Clock::time_point now) {
    if (!run_.active || run_.aside.empty() || run_.asideOther) return nullptr;
    Answered(Hash(run_.aside.data(), run_.aside.size()), 1, now);
    Own().confirmOwed = true;
    return &run_.aside;
}

ReplyAccount::Clock::time_point ReplyAccount::HeldUntil(Clock::time_point now) const {
    Clock::time_point until{};
    for (const Request& r : requests_)
        if (r.confirmOwed && r.replies < r.sends && r.lastSend + horizon_ > now && !(run_.active && r.serial == run_.serial))
            until = std::max(until, r.lastSend + horizon_);
    return until;
}

void ReplyAccount::LineAnswers() {
    for (Request& r : requests_) r.confirmOwed = false;
}

ReplyAccount::Verdict ReplyAccount::PutAside(const std::vector<uint8_t>& bytes, bool other) {
    LineAnswers();
    run_.aside = bytes;
    run_.asideSends = Own().sends;
    run_.asideOther = other;
    return Verdict::Confirm;
}

ReplyAccount::Verdict ReplyAccount::Attribute(const uint8_t* frame, Clock::time_point now) {
    Expire(now);
    const size_t n = frame[2];
    const uint64_t h = Hash(frame, n);
    const uint8_t fn = frame[3];
    const uint8_t answer = uint8_t(run_.function + 0x80);
    if (!run_.active || Own().sends == 0 || ((fn & 0x80) && fn != answer)) {
        Stray(h, uint8_t(fn & 0x7F), now);
        return Verdict::Drop;
    }
    // A negative reply, or a reply that carries no records, is the controller's word on
    // this request (table replies echo what they answer, and their callers check it).
    if (!run_.records || fn != answer) {
        Answered(h, 1, now);
        return Verdict::Take;
    }
    const std::vector<uint8_t> bytes(frame, frame + n);
    const bool doubtful = run_.check && run_.check(frame);
    const bool ownRecent = CopiesOwn(h, now, true);
    const bool own = CopiesOwn(h, now, false);
    const bool other = CopiesOther(h);

    if (!run_.aside.empty()) {
        if (bytes == run_.aside) {
            // Given again to the confirming send: the controller's answer, to both sends. But
            // a copy of another request's answer given again after a broken frame (perhaps the
            // confirming send's real reply) is asked about once more.
            if (Own().sends > run_.asideSends && run_.asideOther && run_.asideBroken) {
                run_.asideSends = Own().sends;
                run_.asideBroken = false;
                return Verdict::Confirm;
            }
            if (Own().sends > run_.asideSends) {
                run_.checkTake = run_.asideOther;
                Answered(h, 2, now);
                return Verdict::Take;
            }
            Uninvited(h, now);  // twice to one send: copies are on the line
            return Verdict::Drop;
        }
        // Another reply: the answer when it carries the request's records for certain, and
        // the one put aside was one too many.
        if (own || (!other && !doubtful)) {
            Uninvited(Hash(run_.aside.data(), run_.aside.size()), now);
            Answered(h, 1, now);
            return Verdict::Take;
        }
        if (SettleCopy(h, now)) return Verdict::Drop;
        Uninvited(h, now);
        run_.inDoubt = true;
        return Verdict::Drop;
    }
    // The request's own answer again (the same read again): the records it asks for, but
    // within the horizon records may have come since it was given, and the same bytes may
    // have answered another request too. Never thrown away: asked about again.
    if (ownRecent || (own && other)) return PutAside(bytes, false);
    if (own && !doubtful) {
        Answered(h, 1, now);
        return Verdict::Take;
    }
    if (other) {
        if (SettleCopy(h, now)) return Verdict::Drop;  // that request's late reply
        if (Evidence(now)) {
            Uninvited(h, now);
            run_.inDoubt = true;
            return Verdict::Drop;
        }
        return PutAside(bytes, true);
    }
    // Seen for the first time, but a repeat of what the read has kept: asked again even with
    // evidence about, as no copy of it has come.
    if (doubtful) return PutAside(bytes, false);
    Answered(h, 1, now);
    return Verdict::Take;
}

bool ReplyAccount::PutInDoubt(const uint8_t* frame, Clock::time_point now) {
    const uint64_t h = Hash(frame, frame[2]);
    if (SettleCopy(h, now)) return false;  // another request's late reply: nothing to do with it
    run_.inDoubt = true;
    run_.checkTake = false;
    Request& r = Own();
    if (Seen* s = SeenAs(r.answer, run_.key)) s->key = kUnknownRequest;
    r.answer = 0;
    r.replies = 0;
    if (!CopiesOwn(h, now, false) && !CopiesOther(h)) Remember(h, kUnknownRequest, now);
    Uninvited(h, now);
    return true;
}
