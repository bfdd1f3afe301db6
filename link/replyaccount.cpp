#include "link/replyaccount.h"

#include <algorithm>

namespace {
constexpr size_t kRequestsKept = 256;  // a day of 5-minute records, and more
constexpr size_t kStraysKept = 64;
}  // namespace

uint64_t ReplyAccount::Hash(const uint8_t* bytes, size_t n) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (size_t i = 0; i < n; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
    return h | 1;  // never 0, which stands for "none"
}

void ReplyAccount::Clear() {
    requests_.clear();
    strays_.clear();
    run_ = Run{};
}

ReplyAccount::Request& ReplyAccount::Own() { return requests_.back(); }

void ReplyAccount::Begin(uint64_t key, uint8_t function, bool records, Check check) {
    // The request keeps what it owes from before (asked again after "Да", or read again).
    auto it = std::find_if(requests_.begin(), requests_.end(), [&](const Request& r) { return r.key == key; });
    Request r;
    if (it != requests_.end()) {
        r = *it;
        requests_.erase(it);
    }
    r.key = key;
    r.function = function;
    requests_.push_back(r);
    while (requests_.size() > kRequestsKept) requests_.pop_front();
    run_ = Run{};
    run_.active = true;
    run_.key = key;
    run_.function = function;
    run_.records = records;
    run_.check = std::move(check);
    run_.serial = ++serials_;
}

void ReplyAccount::Sent() {
    if (!run_.active) return;
    // A claim made after an earlier send of this request, which got no answer since: the
    // claimed frame may well have been its own reply (see rule 5).
    if (run_.sends > 0) WriteOffClaims();
    ++Own().sends;
    ++run_.sends;
}

void ReplyAccount::End(bool answered) {
    if (!run_.active) return;
    Request& own = Own();
    own.claims = !answered && run_.records && own.Owed() > 0;
    WriteOffClaims();
    run_.active = false;
    run_.check = nullptr;
}

ReplyAccount::Request* ReplyAccount::Owing(uint64_t reply, uint64_t except) {
    for (Request& r : requests_)  // the oldest first: replies come in the order of their sends
        if (r.answer == reply && r.Owed() > 0 && r.key != except) return &r;
    return nullptr;
}

bool ReplyAccount::Known(uint64_t reply) const {
    return std::any_of(requests_.begin(), requests_.end(), [&](const Request& r) { return r.answer == reply; }) ||
           std::find(strays_.begin(), strays_.end(), reply) != strays_.end();
}

bool ReplyAccount::Claim(uint64_t reply, uint8_t function, uint64_t except) {
    for (Request& r : requests_) {
        if (!r.claims || r.function != function || r.Owed() <= 0 || r.key == except) continue;
        r.answer = reply;
        ++r.replies;
        r.claims = false;
        r.claimedIn = run_.active ? run_.serial : 0;
        return true;
    }
    return false;
}

void ReplyAccount::Stray(uint64_t reply, uint8_t function) {
    if (Request* r = Owing(reply, 0)) {
        ++r->replies;
        return;
    }
    if (Known(reply) || Claim(reply, function, 0)) return;
    strays_.push_back(reply);
    while (strays_.size() > kStraysKept) strays_.pop_front();
}

void ReplyAccount::Take(uint64_t reply) {
    Request& own = Own();
    own.answer = reply;
    own.replies = std::min(own.replies + 1, own.sends);
    run_.answered = true;
}

void ReplyAccount::WriteOffClaims() {
    for (Request& r : requests_)
        if (r.claimedIn == run_.serial) {
            r.replies = r.sends;
            r.claimedIn = 0;
        }
}

ReplyAccount::Verdict ReplyAccount::Attribute(const uint8_t* frame) {
    const uint64_t h = Hash(frame, frame[2]);
    const uint8_t fn = frame[3];
    const uint8_t answer = uint8_t(run_.function + 0x80);
    if (!run_.active || run_.sends == 0 || ((fn & 0x80) && fn != answer)) {
        Stray(h, uint8_t(fn & 0x7F));
        return Verdict::Skip;
    }
    if (Request* r = Owing(h, run_.key)) {  // another request's late reply
        ++r->replies;
        return Verdict::Skip;
    }
    // A negative reply, or one that carries no records, is the controller's word on this
    // request (table replies echo what they answer, and their callers check it).
    if (!run_.records || fn != answer || Own().answer == h) {
        Take(h);
        return Verdict::Take;
    }
    if (run_.check && run_.check(frame)) {
        run_.doubt = true;
        if (!Known(h)) strays_.push_back(h);
        return Verdict::Skip;
    }
    if (!Known(h)) {
        if (Claim(h, run_.function, run_.key)) return Verdict::Skip;
        Take(h);
        return Verdict::Take;
    }
    // A copy nothing explains: asked about once, then the next frame decides.
    if (!run_.confirmed) {
        run_.confirmed = true;
        run_.aside = h;
        run_.doubt = true;
        return Verdict::Confirm;
    }
    if (h == run_.aside) {
        ++Own().replies;  // the answer to both sends ...
        run_.copyTaken = true;  // ... unless a frame seen for the first time follows at once
    }
    Take(h);
    return Verdict::Take;
}

bool ReplyAccount::Instead(const uint8_t* frame) {
    run_.copyTaken = false;
    const uint64_t h = Hash(frame, frame[2]);
    const uint8_t fn = frame[3];
    if (fn != uint8_t(run_.function + 0x80) || Owing(h, run_.key) || Known(h) || (run_.check && run_.check(frame)) ||
        Claim(h, run_.function, run_.key)) {
        Stray(h, uint8_t(fn & 0x7F));
        return false;
    }
    // The copy was given twice, the second time just ahead of the reply to the confirming send.
    Request& own = Own();
    strays_.push_back(own.answer);
    own.answer = h;
    return true;
}
