// What the exchange engine knows of the replies on their way over one line.
//
// A reply that comes too late for its try, a reply the controller sends twice, and one it
// sends again from further back all arrive as whole, good frames while a later request
// waits. The account tells them from the answer the running request waits for, and it
// decides alone what every whole frame is (Attribute), whether it comes in a try or
// between tries. It holds, for a short horizon only (kHorizonWaits waits), so that what it
// remembers is evidence of something happening now and not of something long past:
//  - the sends still owed a reply; a reply taken as an answer, or recognised as the late
//    reply to its send, settles one;
//  - the replies received, each with the request it answered (a reply alike to one of them
//    may be a copy, also of an answer to the same request);
//  - when a reply came that nobody asked for.
// A healthy controller (every request answered once, in time) leaves nothing owed and
// nothing uninvited, so it never gives evidence: a reply that is byte for byte a recent
// answer, or that the caller's check calls a repeat, then costs one confirming send and
// nothing else (the next reply decides). Only with evidence are such
// replies thrown away, and the request may end in doubt.
// The account lives as long as the line: the engine starts it afresh when another line is
// connected or the line is closed. GUI thread only, like the engine.
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

class ReplyAccount {
public:
    using Clock = std::chrono::steady_clock;

    // Waits a send stays owed its reply and a reply is remembered. One wait covers the try
    // that sent it; a reply that misses it does harm while the next try waits, or the next
    // request's wait for it (one wait at most) and that request's first try: two waits
    // more. Replies later than that are beyond the account, and only the readers' own
    // content checks stand (dates out of place, records already kept). A healthy
    // controller pays for the memory only when two requests get identical replies within
    // it: one confirming send.
    static constexpr int kHorizonWaits = 3;

    enum class Verdict {
        Take,     // the running request's answer
        Drop,     // a late reply to another send, a copy, or a reply in doubt: not the answer
        Confirm,  // in doubt with no evidence on the line: ask again at once; the next reply decides
    };

    static uint64_t Hash(const uint8_t* bytes, size_t n);

    void Clear();

    // A request starts: its key (a hash of what tells it apart), its function, whether its
    // reply carries records (only then is a copy or a repeat doubted), and the horizon.
    void Begin(uint64_t key, uint8_t function, bool records, Clock::duration horizon, Clock::time_point now);
    // A send of the running request went out.
    void Sent(Clock::time_point now);
    // A try of the running request waited its time out without an answer: its sends so far
    // are late, which is evidence while they are owed.
    void TimedOut();
    // The running request ended, answered or not. Sends of an unanswered one stay owed:
    // their replies, when they come, are no copies of anything, so only their order tells
    // them from another request's answer.
    void End(bool answered);

    // What a whole good reply frame is (its length in byte 2). doubtful: the caller's own
    // check calls it a repeat of what the read has kept. Frames that come before the
    // running request's first send, or answer another function, are late replies or
    // copies: they settle what they answer, and are never taken.
    Verdict Attribute(const uint8_t* frame, bool doubtful, Clock::time_point now);

    // The running request threw a reply away as doubtful because of evidence.
    bool InDoubt() const { return run_.inDoubt; }
    // Sends of another request with the running request's function that ended unanswered
    // are still owed; until: when the last of them is written off.
    bool OwedUnanswered(Clock::time_point now, Clock::time_point& until);
    // Something on the line is amiss now: a send of another request is still owed its
    // reply, or a reply nobody asked for came, within the horizon. lateSends: a send of the
    // running request's own whose try timed out counts too (its late reply would be the
    // answer, so it explains a repeat of that answer, but not of another request's).
    bool Evidence(Clock::time_point now, bool lateSends = false) const;

private:
    static constexpr uint64_t kUnknownRequest = 2;  // request keys are odd, see Hash

    struct Owed {
        uint64_t key;
        uint64_t serial;  // the request that sent it
        uint8_t function;
        bool unanswered;
        bool timedOut;
        Clock::time_point until;
    };
    struct Seen {
        uint64_t reply;
        uint64_t key;  // the request it answered, kUnknownRequest when not known
        Clock::time_point until;
    };
    struct Running {
        bool active = false;
        uint64_t key = 0;
        uint64_t serial = 0;
        uint8_t function = 0;
        bool records = false;
        int sends = 0;
        std::vector<uint8_t> aside;  // the reply in doubt that a confirming send asks about
        int asideSends = 0;          // sends out when it came
        bool inDoubt = false;
    };

    void Expire(Clock::time_point now);
    // A reply with these bytes came within the horizon: this one may be a copy of it, even
    // when it answered the same request (the same read again, with new records by now).
    bool Copies(uint64_t reply) const;
    // ... and that reply answered the running request's own key.
    bool CopiesOwn(uint64_t reply) const;
    void Remember(uint64_t reply, uint64_t key, Clock::time_point now);
    // Settles the oldest send owed of a request that a remembered reply with these bytes
    // answered, the newest such first: the copy is its late reply. Sends of the running
    // request's own key are left: a late reply to them would be its answer all the same, so
    // such a copy is confirmed instead. false when none is owed. Either way the copy is
    // remembered, so that more of them are known as copies.
    bool SettleCopied(uint64_t reply, Clock::time_point now);
    // The running request took its answer, which settles the oldest sends of its request
    // (two when the answer was given again to a confirming send). Replies come in the order
    // of their sends, so the sends of other requests before it have had their replies by
    // now, or will never have them.
    void Answered(int replies);
    void NoteUninvited(Clock::time_point now) { uninvitedUntil_ = now + horizon_; }
    // A frame that cannot be the running request's answer.
    void Stray(uint64_t reply, uint8_t function, Clock::time_point now);
    // The oldest send of another request with this function that ended unanswered.
    std::deque<Owed>::iterator OldestUnanswered(uint8_t function);

    std::deque<Owed> owed_;
    std::deque<Seen> seen_;
    Clock::time_point uninvitedUntil_{};
    Clock::duration horizon_{};
    uint64_t serials_ = 0;
    Running run_;
};
