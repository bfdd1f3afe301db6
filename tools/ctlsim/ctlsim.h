// A controller that answers the frame protocol over a pseudo-terminal or a loopback TCP
// port, for the tests and for trying the program without hardware. Over the pseudo-terminal
// its replies may go out at a line rate (SetLineRate), byte by byte as a serial line carries
// them, and a request counts as heard when its last byte would have come at that rate.
//
// It runs on its own thread. Requests are checked like a real device does: a frame with a
// bad CRC, or addressed to another controller, is ignored; a wrong length gets the negative
// reply 2, an unknown function the negative reply 1. Each function code has a handler;
// functions 1 (read table fields) and 2 (write table fields) are built in, and more are
// added with SetHandler. Faults make the replies misbehave on purpose.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "link/tabledir.h"

namespace ctlsim {

// Ways the next replies go wrong. Applied to `count` replies (-1: to every reply).
struct Faults {
    std::vector<uint8_t> noise;   // bytes sent ahead of the reply
    bool badCrc = false;          // the reply's CRC is wrong
    int otherAddress = -1;        // the reply carries this address instead of the own one
    int gapAfterByte = -1;        // a pause of gapMs after this many bytes of the reply
    int gapMs = 0;
    bool silent = false;          // no reply at all
    int firstByteDelayMs = 0;     // pause before the first byte of the reply
    int negativeCode = -1;        // every request gets a negative reply with this code
    uint8_t negativeExtra = 0;    // byte 6 of that negative reply
    int echoTable = -1;           // table number echoed in reads and writes instead of the request's
    int failWriteTable = -1;      // a write of this table gets a negative reply ...
    uint8_t failWriteCode = 58;   // ... with this code
    bool duplicateReply = false;  // the reply is sent a second time (a late copy)
    int duplicateDelayMs = 0;
    bool hangUp = false;          // the line dies instead of a reply (after firstByteDelayMs):
                                  // TCP closes the connection, the pseudo-terminal closes
    int lateEvery = 0;            // > 0: every lateEvery-th request (counted from SetFaults) ...
    int lateMs = 0;               // ... is answered this late instead of after firstByteDelayMs
    std::vector<int> brokenAt;    // the replies to these requests (1 = the first since
                                  // SetFaults) carry a wrong CRC
    int count = -1;
};

// What becomes of one reply under a fault plan: when it goes out, broken or not, whether a
// copy of it follows, and whether a copy of an earlier reply goes out instead of it or just
// before it. A controller busy with a late reply holds back the replies after it: a reply
// never goes out before the one to the request before it, unless that one was late out of
// order, and one reply at a time goes out on the line.
struct ReplyFate {
    int delayMs = 0;           // after the request was heard
    int quietMs = 0;           // the line quiet this long at least before it (and its copies)
    bool lost = false;         // never answered: no reply and no copy
    bool outOfOrder = false;   // late without holding back the replies after it
    bool broken = false;       // a wrong CRC (and so its copies)
    int copyAfterMs = -1;      // >= 0: the same reply once more, this long after it
    int staleOf = 0;           // > 0: a copy of the reply to the staleOf-th request ...
    int staleBack = 0;         // > 0: ... or of the staleBack-th latest of the replies sent on
                               // the line other than this one (each counted once, at the last
                               // time it went; counted round when there are fewer) ...
    bool staleInstead = false; // ... instead of this reply (else just before it); but a
                               // request sent again right after itself does not get, in
                               // place of its reply, the copy the send before it got
    int copiesWithinMs = -1;   // >= 0: a copy (sent twice or stale) goes out only while it is
                               // at most this old, counted from the request it answers
};

// What a plan knows of a request when it draws the fate of the reply.
struct FateKey {
    int index = 0;    // requests since the plan was set (1 = the first)
    int read = 0;     // the read SetFateRead named last (0: none)
    const std::vector<uint8_t>* request = nullptr;  // the request frame, CRC included
    int send = 0;     // sends of these very bytes since SetFateRead (1 = the first)
    int ordinal = 0;  // which of the distinct requests since SetFateRead it is (1 = the first)
};

// The fate of each reply, drawn from its request's key; a plan of the index alone
// (ReplyFate(int index)) is taken too.
class FatePlan {
public:
    FatePlan() = default;
    FatePlan(std::nullptr_t) {}
    template <class F>
        requires std::is_invocable_r_v<ReplyFate, F&, const FateKey&>
    FatePlan(F f) : draw_(std::move(f)) {}
    template <class F>
        requires(std::is_invocable_r_v<ReplyFate, F&, int> && !std::is_invocable_r_v<ReplyFate, F&, const FateKey&>)
    FatePlan(F f) : draw_([f = std::move(f)](const FateKey& k) mutable { return f(k.index); }) {}
    explicit operator bool() const { return bool(draw_); }
    ReplyFate operator()(const FateKey& k) const { return draw_(k); }

private:
    std::function<ReplyFate(const FateKey&)> draw_;
};

// What a handler answers.
struct Reply {
    bool silent = false;          // no reply
    int error = -1;               // >= 0: negative reply with this error code
    uint8_t errorExtra = 0;       // byte 6 of a negative reply
    std::vector<uint8_t> data;    // bytes 4.. of a positive reply (before the CRC)
    int fromAddress = -1;         // >= 0: reply from this address (the own one otherwise)
};

// A negative reply with this error code.
Reply Negative(int code);

// A TCP client socket connected to port on 127.0.0.1 (a program's side of StartTcp), or -1.
int ConnectLoopback(int port);

class CtlSim {
public:
    // Called on the simulator's thread with the simulator locked: use the unlocked members
    // (Table, address) freely. frame is the whole request, CRC included.
    using Handler = std::function<Reply(CtlSim& sim, const std::vector<uint8_t>& frame)>;

    explicit CtlSim(uint8_t address = 1);
    ~CtlSim();
    CtlSim(const CtlSim&) = delete;
    CtlSim& operator=(const CtlSim&) = delete;

    // Serves a new pseudo-terminal; returns the path of its slave side ("" on failure).
    std::string StartPty();
    // Listens on 127.0.0.1:port (0: any free port); returns the port, -1 on failure.
    int StartTcp(uint16_t port = 0);
    // Stops the thread and closes everything; safe to call twice.
    void Stop();

    // expectedLength 0: any length (the handler checks it). A null handler removes the function.
    void SetHandler(uint8_t function, Handler handler, int expectedLength = 0);
    void SetFaults(const Faults& f);
    // Replies go out as the plan draws them, from a queue, so that the simulator goes on
    // taking requests while late replies and copies wait; null: at once, as before.
    void SetFatePlan(FatePlan plan);
    // Forgets the replies sent so far, so that no stale copy replays them.
    void ForgetReplies();
    // A new read: the sends and the distinct requests of the plan's keys count from here;
    // read is the key's read number.
    void SetFateRead(int read);
    // What a fate plan has made of the line at one moment: the replies due, held back or
    // going out, the requests answered and the replies sent (for later stale copies).
    // RestorePlan puts it on this simulator's line, under the plan set here: each reply comes
    // as long after RestorePlan as it would have after SavePlan, on the line of the same
    // kind, and a reply half out goes on from where it was, its first part at once.
    class PlanState;
    PlanState SavePlan();
    void RestorePlan(const PlanState& state);
    // Replies over the pseudo-terminal go out at this rate, 10 bits a byte, and a request is
    // heard that long after its first byte (0: every reply written at once, as heard).
    void SetLineRate(uint32_t baud);
    void ClearFaults() { SetFaults(Faults{}); }
    // A write (function 2) must carry this password; empty: any password.
    void SetPassword(const std::string& password12);

    // Locked access for tests.
    uint8_t Address();
    void SetAddress(uint8_t a);
    std::vector<uint8_t> TableBytes(int table);
    void SetTableBytes(int table, size_t offset, const std::vector<uint8_t>& bytes);
    std::vector<std::vector<uint8_t>> Requests();  // frames accepted and answered (or not)
    std::vector<uint8_t> RawReceived();            // every byte received, preambles included
    int RepliesSent();
    void ClearLog();
    // The oldest any reply was when it went out since the last call: the time from the
    // request it answers being heard whole (see SetLineRate) to its first byte, ms. Copies (a
    // reply sent twice, a stale one) do not count: a copy is known by its bytes, whatever its
    // age.
    int TakeOldestReplyMs();
    // What crossed the line, in order: the requests taken and the replies written, each at
    // its time since the simulator was made (kept until ClearLog).
    struct Passage {
        double ms;
        bool reply;
        std::vector<uint8_t> bytes;
    };
    std::vector<Passage> Timeline();
    // Now, on the timeline's clock (ms since the simulator was made).
    double TimelineMs() const;
    // Waits up to timeoutMs until at least n requests have been accepted.
    bool WaitForRequests(size_t n, int timeoutMs);

    // Unlocked, for handlers.
    uint8_t* Table(int table);
    uint8_t address;
    uint8_t memory[kTableMemorySize] = {};
    std::string password;

    // The built-in functions 1 and 2, for handlers that wrap them (simulator locked).
    Reply ReadFields(const std::vector<uint8_t>& frame);
    Reply WriteFields(const std::vector<uint8_t>& frame);

    // Builds a reply frame: start, address, length, function byte, data, CRC.
    static std::vector<uint8_t> Frame(uint8_t address, uint8_t functionByte, const std::vector<uint8_t>& data);

private:
    struct Conn {
        int fd = -1;
        bool isTcp = false;
        std::vector<uint8_t> buf;
        std::chrono::steady_clock::time_point lastByte;
    };

    // A reply waiting in the queue of a fate plan.
    struct Timed {
        std::chrono::steady_clock::time_point at;
        Conn* conn;
        int fd;
        std::vector<uint8_t> bytes;
        std::chrono::steady_clock::time_point asked;  // when the request it answers came
        bool copy = false;    // sent twice or stale: its age tells nothing of a late controller
        bool broken = false;
        int quietMs = 0;      // the line quiet this long before it
    };
    // A due reply on the line, going out (started) byte by byte at the line rate.
    struct Outgoing {
        Timed t;
        uint64_t id = 0;
        bool started = false;
        std::chrono::steady_clock::time_point start{};
        size_t done = 0;  // bytes written
    };
    void Run();
    // asked: when the request was heard whole.
    void Schedule(Conn& c, const std::vector<uint8_t>& frame, std::vector<uint8_t> out,
                  std::chrono::steady_clock::time_point asked);
    // The time one byte takes on the connection's line (0: no pacing).
    std::chrono::nanoseconds ByteTime(const Conn& c) const;
    // Writes a reply at the line rate, the thread waiting meanwhile (replies not planned).
    bool WritePaced(const Conn& c, const uint8_t* p, size_t n);
    // A reply went out (locked).
    void NoteSent(std::chrono::steady_clock::time_point asked, const std::vector<uint8_t>& bytes, bool copy = false);
    // A good reply went out (locked): it becomes the latest of the line's replies.
    void NoteMade(const std::vector<uint8_t>& bytes, std::chrono::steady_clock::time_point asked);
    int FlushDue();  // writes what is due; ms until the next one (-1: none)
    // The line's side of FlushDue: what the front reply may write by now; ms until it may
    // write more (-1: nothing on the line).
    int Transmit();
    void Feed(Conn& c, const uint8_t* p, size_t n);
    void Parse(Conn& c);
    void Answer(Conn& c, const std::vector<uint8_t>& frame);
    bool WriteAll(int fd, const uint8_t* p, size_t n);
    bool Pause(int ms);  // false when stopped meanwhile

    std::mutex mu_;
    std::map<uint8_t, std::pair<Handler, int>> handlers_;
    Faults faults_;
    FatePlan plan_;
    int planReplies_ = 0;                                // requests answered under the plan
    // The requests answered under the plan, by number.
    struct Planned {
        std::vector<uint8_t> frame;  // the request
        std::vector<uint8_t> sent;   // its reply, or the stale copy sent in its place ...
        bool stale = false;          // ... which it was
        std::chrono::steady_clock::time_point asked;  // when the request (or the one copied) came
    };
    std::map<int, Planned> planned_;
    std::chrono::steady_clock::time_point planLast_{};   // when the last reply is due
    // Every good reply sent on this line, each once, the latest last, with when its request came.
    std::vector<std::pair<std::vector<uint8_t>, std::chrono::steady_clock::time_point>> history_;
    // The keys of the current read: sends of each request's bytes, and its ordinal.
    std::map<std::vector<uint8_t>, std::pair<int, int>> readSends_;
    int fateRead_ = 0;
    std::vector<Timed> queue_;
    std::vector<Outgoing> line_;                      // due replies, the one going out first
    uint64_t lineIds_ = 0;
    std::chrono::steady_clock::time_point lineQuiet_{};  // when the line's last reply byte went
    std::atomic<uint32_t> baud_{0};
    int faultRequests_ = 0;  // requests answered since SetFaults
    std::vector<std::vector<uint8_t>> requests_;
    std::vector<uint8_t> raw_;
    int replies_ = 0;
    std::chrono::steady_clock::duration oldestReply_{};
    std::vector<Passage> timeline_;
    const std::chrono::steady_clock::time_point made_ = std::chrono::steady_clock::now();

    std::thread thread_;
    std::atomic<bool> running_{false};
    int wake_[2] = {-1, -1};
    int listenFd_ = -1;
    int slaveFd_ = -1;
    Conn pty_;
    Conn tcp_;
};

class CtlSim::PlanState {
    friend class CtlSim;
    std::chrono::steady_clock::time_point saved;
    std::vector<std::pair<Timed, bool>> queue;  // each with whether it goes over TCP
    std::vector<std::pair<Outgoing, bool>> line;
    int replies = 0;
    std::map<int, Planned> planned;
    std::chrono::steady_clock::time_point last{}, quiet{};
    std::vector<std::pair<std::vector<uint8_t>, std::chrono::steady_clock::time_point>> history;
};

}  // namespace ctlsim
