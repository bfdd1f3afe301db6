// The account of replies on their way: what every whole frame is taken for, by a table of
// short scripts on one line. The clock is the script's own (steps of the horizon's tenth).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <string>
#include <vector>

#include "link/replyaccount.h"

namespace {

using V = ReplyAccount::Verdict;
using Clock = ReplyAccount::Clock;

constexpr auto kHorizon = std::chrono::milliseconds(3000);

// A script step: B<k> a read's request k begins (function 15), P<k> a table request (1),
// S a send goes out, R<x> a reply with content x comes (D<x>: one the caller's check calls a
// repeat, O<x>: a reply to function 1), then the verdict expected (t take, d drop, c
// confirm); A the wait before the first send is over; X<x> a frame comes right after a take;
// Z a broken frame comes; G+ / G- a try ended with no answer and the reply put aside is
// taken or not; E+ / E- the request ends answered or not; W<n> n tenths of the horizon
// pass; V+ / V- evidence on the line or none; I+ / I- the request in doubt or not; K+ / K-
// the take is to be checked or not; H+ / H- a confirming send's reply is still owed or not.
struct Case {
    const char* name;
    const char* script;
};

const Case kCases[] = {
    {"healthy: each answer taken", "B1 S R1t E+ B2 S R2t E+ V-"},
    {"identical replies to two requests: one confirming send, the take checked", "B1 S R0t E+ B2 S R0c S R0t K+ E+ V- I-"},
    {"... and a frame right after that take puts it in doubt", "B1 S R0t E+ B2 S R0c S R0t X5 I+ V+"},
    {"the same request again within the horizon: one confirming send, no check", "B1 S R1t E+ B1 S R1c S R1t K- E+ V-"},
    {"the same request again after a pause: taken at once", "B1 S R1t E+ W11 B1 S R1t E+"},
    {"the same request again, its last answer copied ahead of the new one: the new one wins",
     "B1 S R1t E+ B1 S R1c S R2t E+ V+"},
    {"a copy first, then the real answer; the confirming send's reply is a copy explained",
     "B1 S R1t E+ B2 S R1c S R2t V+ E+ B3 S R2d R3t E+"},
    {"copies with evidence about are thrown away, the request may end in doubt", "B1 S R1t E+ R1d V+ B2 S R1d I+ E-"},
    {"a copy is known by its bytes long after the evidence is gone: one confirming send",
     "B1 S R1t E+ B2 S R2t E+ R1d W11 V- B3 S R1c S R3t E+"},
    {"seeing a copy again does not make the evidence last longer", "B1 S R1t E+ R1d W5 R1d W6 V-"},
    {"a request never answered, asked again: no claim on the next one's answer",
     "B3 S S E- B3 S R3t E+ B4 S R4t E+ V-"},
    {"a failed request's reply in the wait before the next request is its own", "B1 S E- B2 R1d S R2t E+ V-"},
    {"after that wait a failed send claims nothing", "B1 S E- B2 A S R1t E+"},
    {"an answer to a later send: the earlier send's late reply is a copy explained", "B1 S S R1t E+ B2 S R1d R2t E+ V-"},
    {"a repeat the caller doubts is confirmed and then taken", "B1 S R1t E+ B2 S D2c S D2t E+ V-"},
    {"... also with evidence about", "B1 S R1t E+ R1d V+ B2 S D2c S D2t E+"},
    {"two different replies in doubt: copies about", "B1 S R1t E+ B2 S R3t E+ B4 S R1c D5d V+ I+ E-"},
    {"the same reply twice before the confirming send: copies about", "B1 S R1t E+ B2 S R1c R1d V+"},
    {"a reply to another function is never the answer", "B1 S O7d R1t E+"},
    {"table replies are taken on their word", "P1 S R1t E+ P2 S R1t E+"},
    {"a frame before the first send is a stray", "B1 S R1t E+ B2 R2d S R2d V+"},
    {"the answer to a confirming send settles both sends", "B1 S R0t E+ B2 S R0c S R0t E+ B3 V- S R3t E+ V-"},
    {"the confirming send's reply lost: the request's own answer is taken", "B1 S R1t E+ B1 S R1c S G+ E+ V-"},
    {"... and so is a repeat the caller doubts, but never a copy of another request's answer",
     "B1 S R1t E+ B2 S D2c S G+ E+ W11 B3 S D2c S G- E-"},
    {"a copy of another request's answer that its owed send explains is dropped, no evidence",
     "B1 S S R1t E+ B2 S R1d V- R2t E+"},
    {"a failed request's late reply repeating its key's earlier answer is still its own",
     "B1 S R1t E+ W11 B1 S E- B2 R1d V- S R2t E+"},
    {"a copy of another request's answer given again after a broken frame is asked about once more",
     "B1 S R1t E+ B2 S R1c S Z S R1c S R1t E+"},
    {"a broken reply to a failed request ends the wait for it", "B1 S E- B2 Z A S R2t E+ V-"},
    {"a take in doubt is not repeated: the frame that put it there is remembered as uninvited",
     "B1 S R0t E+ B2 S R0c S R0t X7 E- B3 S R7d I+"},
    {"the confirming send's reply lost: the line may be held until its horizon, or a later answer",
     "B1 S R1t E+ B1 S R1c S G+ E+ B2 S H+ R2t E+ B3 S H- E- B1 S R1c S G+ E+ B4 S W11 H-"},
    {"\"Да\": the evidence from before the question is gone, a copy costs a confirming send",
     "B1 S R1t E+ R1d V+ B2 S E- B2 V- S R1c S R2t E+"},
    {"every reply twice, the same range read again: one confirming send per request, nothing in doubt",
     "B1 S R1t E+ B2 S R1c R2t E+ R2d V+ B1 S R1c S R1t E+ B2 S R2c S R2t E+ I-"},
};

std::vector<uint8_t> Frame(uint8_t function, uint8_t content) { return {0x33, 1, 6, uint8_t(function + 0x80), content, 0}; }

}  // namespace

TEST(ReplyAccount, EveryFrameIsTakenForWhatItIs) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ReplyAccount account;
        Clock::time_point now{};
        uint8_t function = 15;
        const std::string script = c.script;
        size_t at = 0;
        while (at < script.size()) {
            const size_t end = std::min(script.find(' ', at), script.size());
            const std::string step = script.substr(at, end - at);
            at = end + 1;
            SCOPED_TRACE(step);
            const char op = step[0];
            const int arg = step.size() > 1 && std::isdigit(uint8_t(step[1])) ? std::stoi(step.substr(1)) : 0;
            const char last = step.back();
            switch (op) {
            case 'B':
            case 'P':
                function = op == 'B' ? 15 : 1;
                account.Begin(uint64_t(arg) * 2 + 1, function, op == 'B',
                              [](const uint8_t* f) { return f[4] >= 100; }, kHorizon, now);
                break;
            case 'S':
                account.Sent(now);
                break;
            case 'R':
            case 'D':
            case 'O': {
                const auto frame = Frame(op == 'O' ? 1 : function, uint8_t(op == 'D' ? arg + 100 : arg));
                const V v = account.Attribute(frame.data(), now);
                const char got = v == V::Take ? 't' : v == V::Drop ? 'd' : 'c';
                EXPECT_EQ(got, last);
                break;
            }
            case 'X':
                account.PutInDoubt(Frame(function, uint8_t(arg)).data(), now);
                break;
            case 'A':
                account.FailedAwaited();
                break;
            case 'Z':
                account.Broken();
                break;
            case 'G':
                EXPECT_EQ(account.TakeAside(now) != nullptr, last == '+');
                break;
            case 'E':
                account.End(last == '+');
                break;
            case 'W':
                now += kHorizon * arg / 10;
                break;
            case 'V':
                EXPECT_EQ(account.Evidence(now), last == '+');
                break;
            case 'I':
                EXPECT_EQ(account.InDoubt(), last == '+');
                break;
            case 'K':
                EXPECT_EQ(account.TakeToCheck(), last == '+');
                break;
            case 'H':
                EXPECT_EQ(account.HeldUntil(now) > now, last == '+');
                break;
            default:
                ADD_FAILURE() << "unknown step";
            }
            now += std::chrono::milliseconds(1);
        }
    }
}
