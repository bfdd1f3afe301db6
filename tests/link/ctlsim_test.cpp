// The simulator checks requests as a device does, and its faults do what the tests rely on.
#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "common/crc16.h"
#include "ctlsim/ctlsim.h"
#include "link/comportfunctions.h"
#include "link/hgcbox.h"

using Bytes = std::vector<uint8_t>;

namespace {

Bytes WithCrc(Bytes f) {
    uint16_t c = Crc16(f.data(), uint16_t(f.size()));
    f.push_back(uint8_t(c));
    f.push_back(uint8_t(c >> 8));
    return f;
}

class SimLine : public ::testing::Test {
protected:
    void SetUp() override {
        std::string path = sim.StartPty();
        ASSERT_FALSE(path.empty());
        setenv("QVR_COM79", path.c_str(), 1);
        fd = OpenComPort(79, 9600, 8, 0, 0, 1000, 1000, 1, 0);
        ASSERT_GE(fd, 0);
    }
    void TearDown() override {
        CloseComPort(fd);
        sim.Stop();
    }
    // Sends raw bytes and collects the first whole reply that comes back (empty when none
    // comes within seconds).
    Bytes Exchange(const Bytes& out) {
        EXPECT_EQ(write(fd, out.data(), out.size()), ssize_t(out.size()));
        Bytes in;
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                uint8_t buf[300];
                ssize_t n = read(fd, buf, sizeof buf);
                if (n > 0) in.insert(in.end(), buf, buf + n);
                if (in.size() >= 3 && in.size() >= in[2]) break;  // a whole reply
            }
        }
        return in;
    }
    // A request the device must ignore: the reply to a good request sent after it is the
    // first thing that comes back.
    void ExpectIgnored(const Bytes& out) {
        EXPECT_EQ(write(fd, out.data(), out.size()), ssize_t(out.size()));
        EXPECT_EQ(Exchange(WithCrc({0xCC, 4, 10, 1, 0, 3, 0, 2})), WithCrc({0x33, 4, 12, 0x81, 0, 3, 0, 2, 4, 2}));
    }

    ctlsim::CtlSim sim{4};
    int fd = -1;
};

}  // namespace

TEST_F(SimLine, ChecksLikeADevice) {
    // Good read: echo of the request and the data from byte 8.
    Bytes reply = Exchange(WithCrc({0xCC, 4, 10, 1, 0, 3, 0, 2}));
    EXPECT_EQ(reply, WithCrc({0x33, 4, 12, 0x81, 0, 3, 0, 2, 4, 2}));
    // Bad CRC and another address: silence. Broadcast address 0xFF: answered.
    Bytes bad = WithCrc({0xCC, 4, 10, 1, 0, 3, 0, 2});
    bad[9] ^= 1;
    ExpectIgnored(bad);
    ExpectIgnored(WithCrc({0xCC, 6, 10, 1, 0, 3, 0, 2}));
    EXPECT_EQ(Exchange(WithCrc({0xCC, 0xFF, 10, 1, 0, 3, 0, 2})).at(1), 4);
    // Wrong length for the function: negative 2; unknown function: negative 1.
    EXPECT_EQ(Exchange(WithCrc({0xCC, 4, 11, 1, 0, 3, 0, 2, 0})), WithCrc({0x33, 4, 9, 1, 2, 0, 0}));
    EXPECT_EQ(Exchange(WithCrc({0xCC, 4, 6, 40})), WithCrc({0x33, 4, 9, 40, 1, 0, 0}));
    // Preambles and noise ahead of a request are skipped.
    Bytes pre = {0xFF, 0xFF, 0x00};
    Bytes req = WithCrc({0xCC, 4, 10, 1, 0, 2, 0, 8});
    pre.insert(pre.end(), req.begin(), req.end());
    EXPECT_EQ(Exchange(pre).size(), 8u + 8 + 2);

    // Over TCP, a client gone before its reply and the reply's copy are written: the writes
    // fail without ending the process (no SIGPIPE), and the next client is answered.
    ctlsim::CtlSim overTcp{4};
    const int port = overTcp.StartTcp();
    ASSERT_GT(port, 0);
    ctlsim::Faults late;
    late.firstByteDelayMs = 300;
    late.duplicateReply = true;
    late.duplicateDelayMs = 300;
    late.count = 1;
    overTcp.SetFaults(late);
    const Bytes ask = WithCrc({0xCC, 4, 10, 1, 0, 3, 0, 2});
    int s = ctlsim::ConnectLoopback(port);
    ASSERT_GE(s, 0);
    ASSERT_EQ(write(s, ask.data(), ask.size()), ssize_t(ask.size()));
    ASSERT_TRUE(overTcp.WaitForRequests(1, 10000));
    close(s);
    s = ctlsim::ConnectLoopback(port);
    ASSERT_GE(s, 0);
    ASSERT_EQ(write(s, ask.data(), ask.size()), ssize_t(ask.size()));
    Bytes in;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end && (in.size() < 3 || in.size() < in[2])) {
        pollfd p{s, POLLIN, 0};
        uint8_t buf[64];
        const ssize_t n = poll(&p, 1, 50) > 0 ? read(s, buf, sizeof buf) : 0;
        if (n > 0) in.insert(in.end(), buf, buf + n);
    }
    close(s);
    EXPECT_EQ(in, WithCrc({0x33, 4, 12, 0x81, 0, 3, 0, 2, 4, 2}));
}

TEST_F(SimLine, RangeChecksOfReadsAndWrites) {
    auto code = [&](const Bytes& req) {
        Bytes r = Exchange(WithCrc(req));
        return r.size() > 4 && (r[3] & 0x80) == 0 ? int(r[4]) : -1;
    };
    EXPECT_EQ(code({0xCC, 4, 10, 1, 0, 38, 0, 1}), 9);   // no such table
    EXPECT_EQ(code({0xCC, 4, 10, 1, 0, 31, 0, 1}), 11);  // table without fields
    EXPECT_EQ(code({0xCC, 4, 10, 1, 0, 2, 8, 1}), 13);   // no such field
    EXPECT_EQ(code({0xCC, 4, 10, 1, 0, 2, 6, 3}), 4);    // range past the end
    Bytes w = {0xCC, 4, 0, 2};
    w.insert(w.end(), 16, ' ');
    w.insert(w.end(), {0, 2, 0, 2, 0x11});  // two fields announced, one byte given
    w[2] = uint8_t(w.size() + 2);
    EXPECT_EQ(code(w), 2);
}

TEST_F(SimLine, EchoAndWriteFaults) {
    hgcbox box(4);
    CloseComPort(fd);
    fd = -1;
    box.ComPort = 79;
    box.DoClosePort = 0;
    box.Baud = 115200;
    box.ReplyMs = 5000;
    box.Tries = 1;
    box.Plain = true;  // the engine itself skips a reply with another request's echo
    ASSERT_TRUE(box.ReopenPort());

    ctlsim::Faults f;
    f.echoTable = 9;
    f.count = 1;
    sim.SetFaults(f);
    TableRequest r{2, 0, 8};
    ASSERT_TRUE(box.Request(1, &r, 3, 0));
    EXPECT_EQ(box.RxBuf[5], 9);
    ASSERT_TRUE(box.Request(1, &r, 3, 0));  // fault used up
    EXPECT_EQ(box.RxBuf[5], 2);

    f = {};
    f.failWriteTable = 6;
    f.failWriteCode = 58;
    sim.SetFaults(f);
    Bytes body = {6, 0, 1, 1};
    EXPECT_FALSE(box.Request(2, body.data(), 4, 0));
    EXPECT_STREQ(box.ResultText(), "Команда 2.  Не прошла запись в EEPROM");
    EXPECT_EQ(sim.TableBytes(6)[0], 0);
    Bytes other = {9, 0, 1, 1};
    EXPECT_TRUE(box.Request(2, other.data(), 4, 0));

    // A required password refuses a write with another one.
    sim.SetPassword("right       ");
    EXPECT_FALSE(box.Request(2, other.data(), 4, 0));
    EXPECT_STREQ(box.ResultText(), "Команда 2.  Неправильный пароль на запись");
    std::memcpy(box.Password, "right       ", 12);
    EXPECT_TRUE(box.Request(2, other.data(), 4, 0));
    CloseComPort(box.PortHandle);
}

TEST_F(SimLine, RepliesGoOutAtTheLineRateOneAtATime) {
    // A reply of 206 bytes: 215 ms at 9600 bit/s. Two requests at once: the second reply is
    // held back behind the first and leaves 30 ms after it, so that its last byte comes 460 ms
    // after the requests at the earliest (written at once, both would be here in a moment).
    sim.SetHandler(40, [](ctlsim::CtlSim&, const Bytes&) {
        ctlsim::Reply r;
        r.data.assign(200, 0x5A);
        return r;
    });
    sim.SetLineRate(9600);
    sim.SetFatePlan([](int) {
        ctlsim::ReplyFate f;
        f.quietMs = 30;
        return f;
    });
    Bytes ask = WithCrc({0xCC, 4, 6, 40});
    ask.insert(ask.end(), ask.begin(), ask.end());
    const auto asked = std::chrono::steady_clock::now();
    ASSERT_EQ(write(fd, ask.data(), ask.size()), ssize_t(ask.size()));
    Bytes in;
    const auto end = asked + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end && in.size() < 2 * 206) {
        pollfd p{fd, POLLIN, 0};
        uint8_t buf[512];
        const ssize_t n = poll(&p, 1, 50) > 0 ? read(fd, buf, sizeof buf) : 0;
        if (n > 0) in.insert(in.end(), buf, buf + n);
    }
    const auto done = std::chrono::steady_clock::now();
    Bytes data(200, 0x5A);
    data.insert(data.begin(), {0x33, 4, 206, 40 | 0x80});
    const Bytes reply = WithCrc(data);
    ASSERT_EQ(in.size(), 2 * reply.size());
    EXPECT_EQ(Bytes(in.begin(), in.begin() + 206), reply);
    EXPECT_EQ(Bytes(in.begin() + 206, in.end()), reply);
    EXPECT_GE(done - asked, std::chrono::milliseconds(450));
}

TEST_F(SimLine, APlanSavedOnOneLineGoesOnOnAnother) {
    // A reply 400 ms late, saved as its request is heard: another simulator that restores the
    // plan sends it on its own line, unasked, as late after the restore, and counts its next
    // request on from the ones answered here.
    std::atomic<int> lastIndex{0};
    auto plan = [&lastIndex](const ctlsim::FateKey& k) {
        lastIndex = k.index;
        ctlsim::ReplyFate f;
        f.delayMs = k.index == 1 ? 400 : 0;
        return f;
    };
    sim.SetFatePlan(plan);
    const Bytes ask = WithCrc({0xCC, 4, 10, 1, 0, 3, 0, 2});
    ASSERT_EQ(write(fd, ask.data(), ask.size()), ssize_t(ask.size()));
    // The plan draws the fate with the simulator locked, which SavePlan waits for.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (lastIndex == 0 && std::chrono::steady_clock::now() < end) usleep(1000);
    const ctlsim::CtlSim::PlanState state = sim.SavePlan();
    ctlsim::CtlSim other{4};
    const std::string path = other.StartPty();
    ASSERT_FALSE(path.empty());
    setenv("QVR_COM78", path.c_str(), 1);
    int fd2 = OpenComPort(78, 9600, 8, 0, 0, 1000, 1000, 1, 0);
    ASSERT_GE(fd2, 0);
    other.SetFatePlan(plan);
    const auto restored = std::chrono::steady_clock::now();
    other.RestorePlan(state);
    std::swap(fd, fd2);
    EXPECT_EQ(Exchange({}), WithCrc({0x33, 4, 12, 0x81, 0, 3, 0, 2, 4, 2}));
    EXPECT_GE(std::chrono::steady_clock::now() - restored, std::chrono::milliseconds(300));
    EXPECT_EQ(Exchange(ask), WithCrc({0x33, 4, 12, 0x81, 0, 3, 0, 2, 4, 2}));
    EXPECT_EQ(lastIndex, 2);
    std::swap(fd, fd2);
    CloseComPort(fd2);
    other.Stop();
}
