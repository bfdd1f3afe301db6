// What the exchange engine knows of the replies on their way over one line.
//
// The engine is the plain send-wait-take loop: the first whole good frame after a send is
// the running request's answer, unless it is proven not to be; a frame so proven is skipped
// and the wait goes on in the same try, with nothing sent. The account keeps, per request
// (its key: function and body), the sends made and the replies seen, and the bytes of its
// last answer. Its rules, each with the case that needs it:
//  1. A frame whose bytes are the answer of another request that still owes replies is that
//     request's late reply: skipped, it settles one of its sends. A send stays owed across
//     "Да" and across the end of its request and of its read, until a reply settles it or
//     the line is connected anew. (A busy controller answers every send of a request that
//     timed out, one after the other, after the next request has gone out.)
//  2. A frame the reader's content check rejects (it brings only records the read has kept)
//     is skipped. (A copy of an earlier reply of the read: a controller sending every reply
//     twice, a stale reply.)
//  3. A positive reply to another function is skipped. (A read's late reply while a table is
//     read.)
//  4. A frame that comes before the running request's first send is never its answer; the
//     running request's later tries take a late reply to its earlier ones that waits on the
//     line, and send nothing. (A reply left over from a request before.)
//  5. A request of a read that ended with its sends unanswered claims the first frame of its
//     function seen for the first time after it (its late reply); its other sends stay owed
//     only while the request that met the claimed frame runs and sends nothing more. (A
//     failed read's late replies reach the next read's first request, one right behind the
//     other; on a line that lost those sends, a wrong claim costs one try, and a copy of the
//     claimed frame later costs a confirming send, not a wrong skip.)
//  6. The one case no proof settles: a byte copy of another request's answer (or of a frame
//     nobody asked for) that no owed send explains and the reader cannot tell apart (alike
//     log events one per reply, identical empty replies). It costs at most one confirming
//     send per request: the request goes out again at once, and the next frame decides.
//  7. When that frame is the copy again, a frame seen for the first time right behind it
//     (the engine listens for a moment) is the answer instead. (A controller that sends a
//     stale copy in place of a reply, and again just ahead of the confirming send's reply.)
// A request that got no answer after a frame was rejected by the check, or put aside for a
// confirming send, ends in doubt (the reply came, but could not be taken).
// GUI thread only, like the engine.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

class ReplyAccount {
public:
    // The caller's content check: true when the frame brings only records the read has kept.
    using Check = std::function<bool(const uint8_t* frame)>;

    enum class Verdict {
        Take,     // the running request's answer
        Skip,     // proven not to be the answer: the wait goes on
        Confirm,  // a copy nothing explains: the request goes out again, the next frame decides
    };

    static uint64_t Hash(const uint8_t* bytes, size_t n);

    // The line was connected anew: nothing is on its way.
    void Clear();

    // A request starts: its key (a hash of its function and body), its function, whether its
    // reply carries records (only then may it claim, be checked or confirm) and the caller's
    // content check (may be empty).
    void Begin(uint64_t key, uint8_t function, bool records, Check check);
    bool Running() const { return run_.active; }
    // A send of the running request went out.
    void Sent();
    // The running request ended, answered or not.
    void End(bool answered);

    // What a whole good reply frame (its length in byte 2) is to the running request.
    Verdict Attribute(const uint8_t* frame);

    // The take was the copy a confirming send asked about, given again: see rule 7.
    bool CopyTaken() const { return run_.copyTaken; }
    // A whole good frame came right after such a take: true when it is the answer instead.
    bool Instead(const uint8_t* frame);

    // The running request rejected a frame by the check or put one aside, and took none.
    bool InDoubt() const { return run_.doubt && !run_.answered; }

private:
    struct Request {
        uint64_t key = 0;
        uint8_t function = 0;
        int sends = 0;
        int replies = 0;
        uint64_t answer = 0;   // hash of its last answer, 0 while none
        bool claims = false;   // a read's request ended unanswered: see rule 5 ...
        uint64_t claimedIn = 0;  // ... it claimed a frame in this run of a request
        int Owed() const { return sends - replies; }
    };
    struct Run {
        bool active = false;
        uint64_t key = 0;
        uint8_t function = 0;
        bool records = false;
        Check check;
        int sends = 0;          // sends of this run (0: the frame came before its first)
        uint64_t aside = 0;     // the frame a confirming send asks about, 0 when none
        bool confirmed = false; // the one confirming send was made
        bool copyTaken = false;
        bool doubt = false;
        bool answered = false;
        uint64_t serial = 0;
    };

    Request& Own();
    // The oldest request other than `except` whose answer these bytes are and that owes a
    // reply.
    Request* Owing(uint64_t reply, uint64_t except);
    // A request of this function, other than `except`, that ended unanswered takes the
    // frame as its reply.
    bool Claim(uint64_t reply, uint8_t function, uint64_t except);
    // A frame that is not the running request's answer: it settles an owed send when its
    // bytes tell whose it is, or is claimed by a failed request of its function, or is
    // remembered as one nobody asked for.
    void Stray(uint64_t reply, uint8_t function);
    // Seen before: some request's answer, or a frame nobody asked for.
    bool Known(uint64_t reply) const;
    void Take(uint64_t reply);
    // The sends of a request that claimed a frame in this run are owed no more.
    void WriteOffClaims();

    std::deque<Request> requests_;  // the most recent last
    std::deque<uint64_t> strays_;   // frames nobody asked for
    Run run_;
    uint64_t serials_ = 0;
};
