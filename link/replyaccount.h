// What the exchange engine knows of the replies still on their way over one connection.
//
// A reply that comes too late for its try, a reply the controller sends twice, and one it
// sends again from further back all arrive as whole, good frames while a later request
// waits. The account lets the engine tell them from the answer it waits for:
//  - the sends still owed a reply (a reply taken as an answer, or recognised as a late reply
//    to its request, settles one; a send not answered within a few waits is written off);
//  - the replies received recently, each as a hash of its bytes and of the request frame it
//    answered (a late copy is always recent, so a few dozen are enough);
//  - whether the controller has lately been seen sending a reply nobody asked for.
// It lives as long as the line: the engine clears it when the line is opened, reopened or
// closed, or the socket changes. GUI thread only, like the engine.
#pragma once
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>

class ReplyAccount {
public:
    using Clock = std::chrono::steady_clock;

    // A send that has not been answered after this many of its waits will not be answered.
    static constexpr int kOwedWaits = 6;
    static constexpr int kHorizonWaits = 2;
    // Replies remembered, and how many replies after an uninvited one the controller is still
    // taken to send copies.
    static constexpr size_t kRecent = 48;
    static constexpr int kDoublesMemory = 64;

    static uint64_t Hash(const uint8_t* bytes, size_t n);

    void Clear();

    // A request frame went out; its reply is owed for kOwedWaits times waitMs.
    void Sent(uint64_t request, uint8_t function, uint32_t waitMs);
    // Settles the oldest owed send of this request frame; false when none is owed.
    bool Settle(uint64_t request);
    // A reply with this function that is no copy came while no request waited: it settles
    // the oldest send owed a reply whose request ended unanswered, else the oldest one of
    // the function, else the oldest of all. false when none is owed.
    bool SettleFirstArrival(uint8_t function, uint64_t& request);
    // Every send still owed a reply belongs to one request frame (then in `request`).
    bool SoleOwner(uint64_t& request);
    // A request ended without an answer: its sends' replies, when they come, are no copies
    // of anything, so nothing but the account can tell them from another request's answer.
    void Unanswered(uint64_t request);
    // Sends of another request with this function that ended unanswered are still owed a
    // reply; until: when the last of them is written off.
    bool AwaitsUnanswered(uint64_t request, uint8_t function, Clock::time_point& until);

    // The request frame a reply with these bytes answered recently, when that was another
    // frame than `request` and this one has not been answered with the same bytes: the reply
    // is then a copy of an answer to another request (kUnknownRequest when that request is
    // not known). 0 when it is not.
    static constexpr uint64_t kUnknownRequest = 2;  // request keys are odd, see Hash
    uint64_t CopyOf(uint64_t reply, uint64_t request) const;
    // Remembers a reply and the request frame it answered (0: not known).
    void Record(uint64_t reply, uint64_t request);

    // A reply came that no send was owed: the controller sends copies.
    void NoteUninvited() { sinceUninvited_ = 0; }
    bool SendsCopies() const { return sinceUninvited_ < kDoublesMemory; }
    // Counts a whole frame received (the memory of an uninvited one fades with them).
    void CountReply() {
        if (sinceUninvited_ < kDoublesMemory) ++sinceUninvited_;
    }

private:
    struct Owed {
        uint64_t request;
        uint8_t function;
        bool unanswered;
        Clock::time_point until;
    };
    struct Seen {
        uint64_t reply = 0;
        uint64_t request = 0;
        bool used = false;
    };
    void Expire();

    std::deque<Owed> owed_;
    std::array<Seen, kRecent> recent_{};
    size_t next_ = 0;
    int sinceUninvited_ = kDoublesMemory;
};
