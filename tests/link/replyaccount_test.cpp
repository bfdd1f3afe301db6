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
// S a send goes out, R<x> a reply with content x comes (D<x>: one the caller calls a
// repeat, O<x>: a reply to function 1), then the verdict expected (t take, d drop, c
// confirm); T the try timed out; E+ / E- the request ends answered or not; W<n> n tenths
// of the horizon pass; V+ / V- evidence on the line or none; I+ / I- the request threw a
// reply away in doubt.
struct Case {
    const char* name;
    const char* script;
};

const Case kCases[] = {
    {"healthy: each answer taken", "B1 S R1t E+ B2 S R2t E+ V-"},
    {"identical replies to two requests: one confirming send, no evidence", "B1 S R0t E+ B2 S R0c S R0t E+ V- I-"},
    {"the same request again, answered alike: one confirming send", "B1 S R1t E+ B1 S R1c S R1t E+ V-"},
    {"the same request again, its last answer copied ahead of the new one: the new one wins",
     "B1 S R1t E+ B1 S R1c S R2t E+ V+"},
    {"a copy first, then the real answer: the real one wins and the copy is evidence",
     "B1 S R1t E+ B2 S R1c S R2t V+ E+ B3 S R2d R3t E+"},
    {"copies seen: a copy is thrown away and the request may end in doubt", "B1 S R1t E+ R1d V+ B2 S R1d I+ E-"},
    {"a try that timed out is evidence: a copy then is thrown away", "B1 S R1t E+ B2 S T S R1d R2t E+"},
    {"... but not against its own answer again, which its late reply would be", "B2 S R2t E+ B2 S T S R2c S R2t E+"},
    {"a late reply to a failed request is its own, by order", "B1 S E- B2 S R1d R2t E+ V-"},
    {"an answer writes off the sends of earlier requests, by order", "B1 S S R1t E+ B2 S R2t E+ V-"},
    {"the answer of a failed request's own key, again: confirmed, not thrown away",
     "B1 S R1t E+ B1 S E- B1 S R1c S R1t E+ V-"},
    {"a late reply to an earlier try answers the request; the other send's reply is owed",
     "B1 S S R1t E+ V- B2 V+ S R1d V- R2t E+"},
    {"forgotten after the horizon: no doubt, no evidence", "B1 S R1t E+ R1d V+ W11 B2 V- S R1t E+"},
    {"a repeat the caller doubts is confirmed and then taken", "B1 S R1t E+ B2 S D2c S D2t E+ V-"},
    {"two different replies in doubt: copies about", "B1 S R1t E+ B2 S R3t E+ B4 S R1c D5d V+ I+ E-"},
    {"the same reply twice before the confirming send: copies about", "B1 S R1t E+ B2 S R1c R1d V+"},
    {"a reply to another function is never the answer", "B1 S O7d R1t E+"},
    {"table replies are taken on their word", "P1 S R1t E+ P2 S R1t E+"},
    {"a frame before the first send is a stray", "B1 S R1t E+ B2 R2d S R2d V+"},
    {"the answer to a confirming send settles both sends", "B1 S R0t E+ B2 S R0c S R0t E+ B3 V- S R3t E+ V-"},
    {"... also when the answer it repeats is forgotten meanwhile", "B1 S R0t E+ W9 B2 S R0c W2 S R0t E+ B3 V-"},
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
                account.Begin(uint64_t(arg) * 2 + 1, function, op == 'B', kHorizon, now);
                break;
            case 'S':
                account.Sent(now);
                break;
            case 'R':
            case 'D':
            case 'O': {
                const auto frame = Frame(op == 'O' ? 1 : function, uint8_t(arg));
                const V v = account.Attribute(frame.data(), op == 'D', now);
                const char got = v == V::Take ? 't' : v == V::Drop ? 'd' : 'c';
                EXPECT_EQ(got, last);
                break;
            }
            case 'E':
                account.End(last == '+');
                break;
            case 'T':
                account.TimedOut();
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
            default:
                ADD_FAILURE() << "unknown step";
            }
            now += std::chrono::milliseconds(1);
        }
    }
}
