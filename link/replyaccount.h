// What the exchange engine knows of the replies on their way over one line.
//
// A reply that comes too late for its try, a reply the controller sends twice, and one it
// sends again from further back all arrive as whole, good frames while a later request
// waits. The account tells them from the answer the running request waits for, and it
// decides alone what every whole frame is (Attribute), whether it comes in a try or
// between tries. Its rules, in the order they weigh:
//  - A reply seen for the first time is the running request's answer, unless the caller's
//    content check calls it a repeat of what the read has kept.
//  - A reply is known by its bytes: the last kRemembered replies seen on the line are
//    remembered, each with the request it answered, whatever their age. A copy of the
//    running request's own earlier answer carries the records it asks for and is taken
//    (within the horizon after a confirming send, as records may have come since). A copy
//    of another request's answer is that request's late reply while one of its sends is
//    still owed one; otherwise it is in doubt.
//  - A send that got no reply is most likely lost: it claims no reply seen for the first
//    time, except for a request that ended unanswered, in the one wait before the next
//    request of its function (AwaitFailed). Once its request is answered, its late reply
//    is a copy of that answer.
//  - Evidence that something is amiss on the line (a reply nobody asked for: a copy that no
//    send still owed explains, a reply given twice to one send, one put aside that another
//    answer proved one too many) lasts the horizon from when it came, and seeing the same
//    copy again does not make it last longer. Without it a reply in doubt costs one
//    confirming send, the next reply decides; with it a copy of another request's answer
//    is thrown away, and the request may end in doubt.
//  - A confirming send is the engine's own, not the plain loop's: when its reply does not
//    come in its try and no send since has got one, a busy controller may be holding back
//    the replies after it, and a request's last try waits until that reply is due at the
//    latest (HeldUntil).
// A healthy controller (every request answered once, in time) gives no evidence and pays a
// confirming send only for identical replies to two requests, or for the same request read
// again within the horizon.
// The account lives as long as the line: the engine starts it afresh when another line is
// connected or the line is closed. GUI thread only, like the engine.
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

class ReplyAccount {
public:
    using Clock = std::chrono::steady_clock;
    // The caller's content check: the frame repeats what the read has kept.
    using Check = std::function<bool(const uint8_t* frame)>;

    // How long a send stays owed its reply and evidence lasts, in waits: one wait covers
    // the try that sent a request; a reply that misses it does harm while the next try
    // waits, or during the wait before the next request and that request's first try.
    static constexpr int kHorizonWaits = 3;
    // Replies remembered by their bytes.
    static constexpr size_t kRemembered = 64;

    enum class Verdict {
        Take,     // the running request's answer
        Drop,     // a late reply to another send, a copy, or a reply in doubt: not the answer
        Confirm,  // in doubt: the request goes out again, the next reply decides
    };

    static uint64_t Hash(const uint8_t* bytes, size_t n);

    void Clear();

    // A request starts: its key (a hash of what tells it apart), its function, whether its
    // reply carries records (only then is a copy or a repeat doubted), the caller's content
    // check (may be empty), and the horizon. The same key again right after it ended
    // unanswered (the user asked to try again) starts afresh: its failed sends claim nothing.
    void Begin(uint64_t key, uint8_t function, bool records, Check check, Clock::duration horizon,
               Clock::time_point now);
    bool Running() const { return run_.active; }
    // A send of the running request went out.
    void Sent(Clock::time_point now);
    // A broken frame came in a try of the running request, or in the wait before it:
    // most likely the reply to its send (or to a send of a request that ended unanswered),
    // broken on the line, so no late reply is awaited for that send (but a copy of its
    // answer is not explained by it either: it may have been a broken copy).
    void Broken();
    // The running request ended, answered or not.
    void End(bool answered);

    // What a whole good reply frame is (its length in byte 2). Frames that come before the
    // running request's first send, or answer another function, are late replies or copies:
    // they settle what they answer, and are never taken.
    Verdict Attribute(const uint8_t* frame, Clock::time_point now);

    // The running request threw a reply away as doubtful because of evidence, or a take of
    // it was put in doubt.
    bool InDoubt() const { return run_.inDoubt; }
    // The last take was decided by a confirming send, of a reply that copies another
    // request's answer: a frame right after it would put it in doubt.
    bool TakeToCheck() const { return run_.checkTake; }
    // A frame came right after such a take: unless it is another request's late reply,
    // the take is void and the request in doubt (true).
    bool PutInDoubt(const uint8_t* frame, Clock::time_point now);

    // A try of the running request ended with no answer after a reply was put aside: that
    // reply is the answer when it was doubted only as a repeat of the request's own earlier
    // answer (the records it asks for) or of what the read has kept (the caller's check has
    // the last word then); null otherwise. (The confirming send's reply was lost or broken:
    // another try would only wait for what the plain loop took.) A copy of another
    // request's answer is never taken so: the request is tried again.
    const std::vector<uint8_t>* TakeAside(Clock::time_point now);
    // A confirming send whose reply did not come in its try (its request took the reply put
    // aside), with no send answered since, may be late on a controller that holds back the
    // replies after it: until when its reply may still come (its horizon), or a zero time
    // point.
    Clock::time_point HeldUntil(Clock::time_point now) const;
    // Sends of another request with the running request's function that ended unanswered
    // and may still get their reply; until: when the newest of them is written off. Before
    // the running request's first send, a frame seen for the first time is their reply.
    bool AwaitFailed(Clock::time_point now, Clock::time_point& until);
    // That wait is over: those sends claim nothing any more.
    void FailedAwaited();

    // Something on the line is amiss now: a reply nobody asked for came within the horizon.
    bool Evidence(Clock::time_point now) const;

private:
    static constexpr uint64_t kUnknownRequest = 2;  // request keys are odd, see Hash

    // A request, while its sends may still get replies.
    struct Request {
        uint64_t key;
        uint64_t serial;
        uint8_t function;
        int sends = 0;
        int replies = 0;            // frames of its answer seen (the answer, copies settled)
        int broken = 0;             // broken frames that ended its tries (perhaps its replies,
                                    // perhaps broken copies: they explain no copy)
        uint64_t answer = 0;        // hash of its answer, 0 while none
        bool failed = false;        // ended unanswered ...
        bool claims = false;        // ... and its sends may claim a reply seen for the first time
        bool confirmOwed = false;   // took the reply put aside, its confirming send unanswered
                                    // and no send answered since
        Clock::time_point lastSend{};
    };
    struct Seen {
        uint64_t reply;
        uint64_t key;  // the request it answered, kUnknownRequest when not known
        Clock::time_point at;
        bool uninvited = false;  // came when nobody asked for it (noted as evidence once)
    };
    struct Run {
        bool active = false;
        uint64_t key = 0;
        uint64_t serial = 0;
        uint8_t function = 0;
        bool records = false;
        Check check;
        std::vector<uint8_t> aside;  // the reply in doubt that a confirming send asks about ...
        int asideSends = 0;          // ... sends out when it came ...
        bool asideOther = false;     // ... whether it copies another request's answer ...
        bool asideBroken = false;    // ... and whether a broken frame came after it
        bool inDoubt = false;
        bool checkTake = false;  // see TakeToCheck
    };

    void Expire(Clock::time_point now);
    Request* Find(uint64_t serial);
    Request& Own() { return *Find(run_.serial); }
    Seen* SeenAs(uint64_t reply, uint64_t key);
    void Remember(uint64_t reply, uint64_t key, Clock::time_point now);
    // A reply with these bytes answered the running request's key: within the horizon only
    // (recent), or ever.
    bool CopiesOwn(uint64_t reply, Clock::time_point now, bool recent) const;
    // ... answered another request (or came from nobody knows where).
    bool CopiesOther(uint64_t reply) const;
    // A copy of the answer of a request that still has a send owed a reply: that send's late
    // reply, which settles it. false when none.
    bool SettleCopy(uint64_t reply, Clock::time_point now);
    // The oldest request of this function that ended unanswered and may claim a reply.
    Request* Claiming(uint8_t function);
    // A reply nobody asked for: evidence for the horizon, once per reply.
    void Uninvited(uint64_t reply, Clock::time_point now);
    // The running request takes the reply with these bytes, which answers `replies` of its
    // sends; a late reply to its others is a copy of it.
    void Answered(uint64_t reply, int replies, Clock::time_point now);
    // A frame that cannot be the running request's answer.
    void Stray(uint64_t reply, uint8_t function, Clock::time_point now);
    Verdict PutAside(const std::vector<uint8_t>& bytes, bool other);
    // The running request's send got a reply: the controller holds nothing back behind an
    // earlier confirming send.
    void LineAnswers();

    std::deque<Request> requests_;
    std::deque<Seen> seen_;
    Clock::time_point uninvitedUntil_{};
    Clock::duration horizon_{};
    uint64_t serials_ = 0;
    Run run_;
};
