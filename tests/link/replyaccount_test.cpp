// The account of replies on their way: what every whole frame is taken for, by a table of
// short scripts on one line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "link/replyaccount.h"

namespace {

using V = ReplyAccount::Verdict;

// A script step: B<k> a read's request k begins (function 15), P<k> a table request (1),
// S a send goes out, R<x> a reply with content x comes (D<x>: one the caller's check rejects,
// O<x>: a reply to function 1), then the verdict expected (t take, s skip, c confirm); E the
// request ends; I+ / I- it ended in doubt or not; N the line is connected anew.
struct Case {
    const char* name;
    const char* script;
};

const Case kCases[] = {
    {"healthy: each answer taken", "B1 S R1t E B2 S R2t E I-"},
    {"a busy controller answers every send of a request asked again after \"Да\", after the next one went",
     "B9 S S E B9 S R9t E B10 S R9s R9s R10t E I-"},
    {"a reply the check rejects is skipped, and a request with nothing else ends in doubt",
     "B1 S R1t E B2 S D1s R2t E I- B3 S D2s E I+"},
    {"a reply to another function is never the answer", "B1 S O7s R1t E"},
    {"table replies are taken on their word", "P1 S R1t E P2 S R1t E"},
    {"a frame before the first send is no answer, and a copy of it after the send is asked about",
     "B1 S R1t E B2 R2s S R2c S R2t E"},
    {"a failed read's late replies are claimed by it", "B3 S S E B1 S R3s R3s R1t E I-"},
    {"... on a line that lost them, a wrong claim costs one try and a confirming send",
     "B3 S S E B1 S R1s S R1c S R1t E I-"},
    {"asked again after it failed, the request's late reply is its own", "B3 S S E B3 R3s S R3t E"},
    {"identical replies to two requests: one confirming send, then the next frame decides",
     "B1 S R0t E B2 S R0c S R0t E B3 S R3t E"},
    {"... a different one: the confirming send's reply is a late reply explained",
     "B1 S R0t E B2 S R0c S R5t E B3 S R5s R3t E"},
    {"a confirming send with no reply: in doubt", "B1 S R1t E B2 S R1c S E I+"},
    {"the request's own answer again is its answer", "B1 S R1t E B1 S R1t E"},
    {"a line connected anew owes nothing", "B1 S S R1t E N B2 S R1t E"},
};

std::vector<uint8_t> Frame(uint8_t function, uint8_t content) { return {0x33, 1, 6, uint8_t(function + 0x80), content, 0}; }

}  // namespace

TEST(ReplyAccount, EveryFrameIsTakenForWhatItIs) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ReplyAccount account;
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
                account.Begin(uint64_t(arg) * 2 + 1, function, op == 'B', [](const uint8_t* f) { return f[4] >= 100; });
                break;
            case 'S':
                account.Sent();
                break;
            case 'R':
            case 'D':
            case 'O': {
                const auto frame = Frame(op == 'O' ? 1 : function, uint8_t(op == 'D' ? arg + 100 : arg));
                const V v = account.Attribute(frame.data());
                EXPECT_EQ(v == V::Take ? 't' : v == V::Skip ? 's' : 'c', last);
                break;
            }
            case 'E':
                account.End(false);
                break;
            case 'I':
                EXPECT_EQ(account.InDoubt(), last == '+');
                break;
            case 'N':
                account.Clear();
                break;
            default:
                ADD_FAILURE() << "unknown step";
            }
        }
    }
}
