// The exchange engine against the controller simulator, mostly over a pseudo-terminal.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/crc16.h"
#include "common/uihooks.h"
#include "ctlsim/clock.h"
#include "ctlsim/ctlsim.h"
#include "link/comportfunctions.h"
#include "link/hgcbox.h"
#include "support/timing.h"

using Bytes = std::vector<uint8_t>;

namespace {

// Independent bitwise CRC for building the frames the tests expect.
Bytes WithCrc(Bytes f) {
    uint16_t crc = 0xFFFF;
    for (uint8_t b : f) {
        crc ^= b;
        for (int i = 0; i < 8; ++i) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    f.push_back(uint8_t(crc));
    f.push_back(uint8_t(crc >> 8));
    return f;
}

class RecordingBar : public qvr::IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override { texts.push_back(std::to_string(panel) + ":" + text); }
    std::string PanelText(int) const override { return texts.empty() ? "" : texts.back(); }
    std::vector<std::string> texts;
};

constexpr int kCom = 77;

// One simulated controller at address 5 on a pseudo-terminal, one engine on a direct line
// to it, port held open between requests.
class EnginePty : public ::testing::Test {
protected:
    void SetUp() override {
        path = sim.StartPty();
        ASSERT_FALSE(path.empty());
        setenv(("QVR_COM" + std::to_string(kCom)).c_str(), path.c_str(), 1);
        box = std::make_unique<hgcbox>(5);
        box->ComPort = kCom;
        box->LinkKind = 0;
        box->Baud = 115200;
        box->DoClosePort = 0;
        box->ReplyMs = 5000;  // a reply is expected in time; tests of late replies set their own
        box->InterByteMs = 50;
        box->Tries = 1;
        ASSERT_TRUE(box->ReopenPort());
    }
    void TearDown() override {
        qvr::SetMessagePump(nullptr);
        CloseComPort(box->PortHandle);
        sim.Stop();
    }
    bool Read(uint8_t table, uint8_t first, uint8_t count) {
        TableRequest r{table, first, count};
        return box->Request(1, &r, 3, 0);
    }
    std::string Text() { return box->ResultText(); }

    ctlsim::CtlSim sim{5};
    std::string path;
    std::unique_ptr<hgcbox> box;
};

}  // namespace

TEST(EngineDefaults, FieldsAsConstructed) {
    hgcbox b(7);
    EXPECT_EQ(b.Address, 7);
    EXPECT_EQ(b.Abort, 0);
    EXPECT_EQ(b.LinkKind, 0);
    EXPECT_EQ(b.ComPort, 1);
    EXPECT_EQ(b.PortHandle, -1);
    EXPECT_EQ(b.Socket, -1);
    EXPECT_EQ(b.FreePortWait, 1u);
    EXPECT_EQ(b.DoClosePort, 1);
    EXPECT_EQ(b.Baud, 1200u);
    EXPECT_EQ(b.Preambles, 0);
    EXPECT_EQ(std::string(b.Password, 12), std::string(12, ' '));
    EXPECT_EQ(std::string(b.IdCode, 4), "    ");
    EXPECT_EQ(b.InterByteMs, 10u);
    EXPECT_EQ(b.ReplyMs, 2000u);
    EXPECT_EQ(b.Tries, 2);
    EXPECT_EQ(b.LastExchange, 0.0);
    EXPECT_FALSE(b.StatusPanel);
    EXPECT_STREQ(b.ExchangeResultMessages[0], "Команда выполнена");
    EXPECT_STREQ(b.ExchangeResultMessages[21], "Ithernet. Не выполнена команда recv (чтение ответа на запрос)");
    EXPECT_STREQ(b.ExchangeResultMessages[23], "Неизвестный код команды");
    EXPECT_STREQ(b.ExchangeResultMessages[22 + 38], "Переход в режим работы \"Автомат\" невозможен");
    EXPECT_STREQ(b.ExchangeResultMessages[22 + 33], "Пользователь с таким именем уже есть ");
    EXPECT_STREQ(b.ExchangeResultMessages[86], "Программа разрушена или установлена перемычка");
}

// The RTS hold: n + 1 characters of 10 bits at the line rate.
TEST(EngineDefaults, RtsHoldFormula) {
    EXPECT_NEAR(hgcbox::RtsHoldSeconds(15, 1200), 16 * 10 / 1200.0, 1e-6);  // 5 preambles + 10 bytes
    EXPECT_NEAR(hgcbox::RtsHoldSeconds(10, 9600), 11 * 10 / 9600.0, 1e-6);
    EXPECT_NEAR(hgcbox::RtsHoldSeconds(255, 115200), 256 * 10 / 115200.0, 1e-6);
}

// Result 0: a read over the line; the echo and the data in RxBuf, status panel, end time.
TEST_F(EnginePty, ReadTableFieldsGoodReply) {
    sim.SetTableBytes(5, 0, Bytes{'N', 'A', 'M', 'E'});
    RecordingBar bar;
    box->StatusPanel = {&bar, 3};
    ASSERT_TRUE(Read(5, 0, 1)) << Text();
    EXPECT_EQ(box->Result, 0u);
    EXPECT_EQ(Text(), "Команда 1.  Команда выполнена");
    EXPECT_EQ(box->RxBuf[0], 0x33);
    EXPECT_EQ(box->RxBuf[1], 5);
    EXPECT_EQ(box->RxBuf[2], 8 + 20 + 2);
    EXPECT_EQ(box->RxBuf[3], 0x81);
    EXPECT_EQ(Bytes(box->RxBuf + 5, box->RxBuf + 8), (Bytes{5, 0, 1}));
    EXPECT_EQ(Bytes(box->RxBuf + 8, box->RxBuf + 12), (Bytes{'N', 'A', 'M', 'E'}));
    EXPECT_EQ(bar.texts, (std::vector<std::string>{"3:Обмен...", "3:"}));
    // LastExchange is a date-time of today (days since 30.12.1899).
    EXPECT_GT(box->LastExchange, 46000.0);
    // The request on the wire, byte for byte.
    EXPECT_EQ(sim.RawReceived(), WithCrc({0xCC, 5, 10, 1, 0, 5, 0, 1}));
}

// Function 2 carries the password, the code, the parameter and the body; the controller
// takes the data.
TEST_F(EnginePty, WriteTableFieldsFrameAndEffect) {
    std::memcpy(box->Password, "secret      ", 12);
    std::memcpy(box->IdCode, "AB12", 4);
    Bytes body = {6, 2, 3, 0x11, 0x22, 0x33};
    ASSERT_TRUE(box->Request(2, body.data(), uint32_t(body.size()), 9)) << Text();
    Bytes expect = {0xCC, 5, uint8_t(body.size() + 23), 2};
    for (char c : std::string("secret      AB12")) expect.push_back(uint8_t(c));
    expect.push_back(9);
    expect.insert(expect.end(), body.begin(), body.end());
    EXPECT_EQ(sim.Requests().at(0), WithCrc(expect));
    EXPECT_EQ(sim.TableBytes(6)[2], 0x11);
    EXPECT_EQ(sim.TableBytes(6)[4], 0x33);
    EXPECT_EQ(Bytes(box->RxBuf + 5, box->RxBuf + 8), (Bytes{6, 2, 3}));
}

// Every function of the layout table, with a body longer than the layout takes: only the
// layout's bytes go out, the CRC at the fixed end.
TEST_F(EnginePty, FrameOfEveryFunction) {
    std::memcpy(box->Password, "PASSWORD1234", 12);
    std::memcpy(box->IdCode, "ID01", 4);
    for (uint8_t fn : {7, 8, 12, 14, 15, 16, 25, 32, 33})
        sim.SetHandler(fn, [](ctlsim::CtlSim&, const Bytes&) { return ctlsim::Reply{}; });
    Bytes body(40);
    for (size_t i = 0; i < body.size(); ++i) body[i] = uint8_t(0xA0 + i);
    const std::string user = "PASSWORD1234ID01";
    struct Case {
        uint8_t fn;
        int len;
        bool auth;
        int bodyBytes;
    } cases[] = {{7, 13, false, 7},  {8, 21, false, 15}, {12, 24, true, 2}, {14, 19, false, 13},
                 {15, 17, false, 11}, {16, 15, false, 9}, {25, 22, true, 0}, {32, 22, true, 0},
                 {33, 22, true, 0}};
    size_t n = 0;
    for (const Case& c : cases) {
        ASSERT_TRUE(box->Request(c.fn, body.data(), uint32_t(body.size()), 0x77)) << int(c.fn) << " " << Text();
        Bytes expect = {0xCC, 5, uint8_t(c.len), c.fn};
        if (c.auth)
            for (char ch : user) expect.push_back(uint8_t(ch));
        expect.insert(expect.end(), body.begin(), body.begin() + c.bodyBytes);
        ASSERT_EQ(int(expect.size()), c.len - 2) << int(c.fn);
        EXPECT_EQ(sim.Requests().at(n++), WithCrc(expect)) << "function " << int(c.fn);
    }
    // Function 1 takes the TableRequest whatever length is given, and the parameter byte.
    TableRequest r{0, 0, 18};
    ASSERT_TRUE(box->Request(1, &r, 0, 4));
    EXPECT_EQ(sim.Requests().at(n), WithCrc({0xCC, 5, 10, 1, 4, 0, 0, 18}));
    EXPECT_EQ(Bytes(box->TxBuf, box->TxBuf + 10), sim.Requests().at(n));
}

// Preambles go ahead of the frame as 0xFF bytes.
TEST_F(EnginePty, PreamblesAheadOfTheFrame) {
    box->Preambles = 3;
    ASSERT_TRUE(Read(0, 0, 18)) << Text();
    Bytes raw = sim.RawReceived();
    Bytes expect = {0xFF, 0xFF, 0xFF};
    Bytes frame = WithCrc({0xCC, 5, 10, 1, 0, 0, 0, 18});
    expect.insert(expect.end(), frame.begin(), frame.end());
    EXPECT_EQ(raw, expect);
}

// Result 2: unknown function, nothing sent. Result 87: a body that would overflow the frame.
TEST_F(EnginePty, RefusedRequestsSendNothing) {
    EXPECT_FALSE(box->Request(3, nullptr, 0, 0));
    EXPECT_EQ(box->Result, 2u);
    EXPECT_EQ(Text(), "Команда 3.  Неверно задан код функции");

    Bytes big(233, 0);
    EXPECT_FALSE(box->Request(2, big.data(), uint32_t(big.size()), 0));
    EXPECT_EQ(box->Result, uint32_t(kResultFrameTooLong));
    EXPECT_EQ(Text(), "Команда 2.  Запрос не помещается в кадр (длина более 255 байт)");
    EXPECT_FALSE(box->Request(2, big.data(), 0xFFFFFFFFu, 0));
    EXPECT_EQ(box->Result, uint32_t(kResultFrameTooLong));

    // 232 body bytes make a frame of exactly 255: it goes out (the controller refuses it),
    // and it is all the controller ever got.
    Bytes most(232, 0);
    most[0] = 4;
    most[2] = 10;
    box->Request(2, most.data(), uint32_t(most.size()), 0);
    ASSERT_EQ(sim.Requests().size(), 1u);
    EXPECT_EQ(sim.Requests()[0].size(), 255u);
    EXPECT_EQ(sim.Requests()[0][2], 255);
    EXPECT_EQ(sim.RawReceived().size(), 255u);
}

// Result 1 comes only from a frame whose start byte is not 0xCC.
TEST_F(EnginePty, BadStartByte) {
    box->TxBuf[0] = 0x00;
    EXPECT_FALSE(box->Transact(10));
    EXPECT_EQ(box->Result, 1u);
    EXPECT_EQ(Text().substr(Text().find("  ") + 2), "Неверно задан стартовый символ");
}

// Result 3: the write to the port fails.
TEST_F(EnginePty, WriteFailure) {
    CloseComPort(box->PortHandle);
    box->PortHandle = -1;
    EXPECT_FALSE(Read(0, 0, 1));
    EXPECT_EQ(box->Result, 3u);
    EXPECT_EQ(Text(), "Команда 1.  Сбой при выполнении операции записи");
}

// Result 5: the reply stops for longer than InterByteMs. The reply deadline governs only
// the beginning: a reply that keeps flowing past ReplyMs is taken.
TEST_F(EnginePty, GapBetweenBytes) {
    ctlsim::Faults f;
    f.gapAfterByte = 4;
    f.gapMs = 1000;
    sim.SetFaults(f);
    box->InterByteMs = 100;
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_EQ(box->Result, 5u);
    EXPECT_EQ(Text(), "Команда 1.  Ответ получен не полностью (превышено время между байтами)");

    ASSERT_TRUE(WaitUntil([&] { return sim.RepliesSent() == 1; }));  // the rest of the broken reply
    f.firstByteDelayMs = 50;
    sim.SetFaults(f);
    box->ReplyMs = 500;
    box->InterByteMs = 4000;
    EXPECT_TRUE(Read(0, 0, 18)) << Text();
}

// Result 6: the port cannot be opened (open-close mode); the port number is in the text.
TEST_F(EnginePty, PortNotAvailable) {
    setenv("QVR_COM78", "/nonexistent/qvr-port", 1);
    CloseComPort(box->PortHandle);
    box->PortHandle = -1;
    box->ComPort = 78;
    box->DoClosePort = 1;
    box->FreePortWait = 0;
    EXPECT_FALSE(Read(0, 0, 1));
    EXPECT_EQ(box->Result, 6u);
    EXPECT_EQ(Text(), "Команда 1.  Коммуникационный порт COM78 недоступен");
    EXPECT_TRUE(sim.RawReceived().empty());
}

// The open-close mode opens the port for the request and closes it afterwards.
TEST_F(EnginePty, OpenCloseMode) {
    CloseComPort(box->PortHandle);
    box->PortHandle = -1;
    box->DoClosePort = 1;
    ASSERT_TRUE(Read(0, 0, 18)) << Text();
    EXPECT_EQ(box->PortHandle, -1);
    ASSERT_TRUE(Read(2, 0, 8)) << Text();
    EXPECT_EQ(sim.Requests().size(), 2u);
}

// Result 7: a wrong CRC, although the function byte is right.
TEST_F(EnginePty, WrongCrc) {
    ctlsim::Faults f;
    f.badCrc = true;
    sim.SetFaults(f);
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_EQ(box->Result, 7u);
    EXPECT_EQ(box->RxBuf[3], 0x81);
    EXPECT_EQ(Text(), "Команда 1.  Несовпадение КС ответа контроллера");
}

// Result 8: negative replies and the controller's texts; byte 6 only for code 60.
TEST_F(EnginePty, NegativeReplies) {
    ctlsim::Faults f;
    f.negativeCode = 3;
    sim.SetFaults(f);
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_EQ(box->Result, 8u);
    EXPECT_EQ(Text(), "Команда 1.  Неправильный пароль на запись");

    f.negativeCode = 0;
    sim.SetFaults(f);
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_EQ(Text(), "Команда 1.  Изменение параметров с удаленной ПЭВМ запрещено");

    f.negativeCode = 65;
    sim.SetFaults(f);
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_EQ(Text(), "Команда 1.  Код ошибки = 65");

    f.negativeCode = 60;
    f.negativeExtra = 17;
    sim.SetFaults(f);
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_EQ(Text(), "Команда 1.  Разрушена таблица 17");
    // The text stays the same when asked again (the message is copied before formatting).
    EXPECT_EQ(Text(), "Команда 1.  Разрушена таблица 17");

    // The simulator's own checks: no such table, unknown function.
    sim.ClearFaults();
    EXPECT_FALSE(Read(40, 0, 1));
    EXPECT_EQ(Text(), "Команда 1.  Нет такой таблицы");
    sim.SetHandler(14, nullptr);
    EXPECT_FALSE(box->Request(14, Bytes(13).data(), 13, 0));
    EXPECT_EQ(Text(), "Команда 14.  Неизвестный код команды");
}

// A good reply whose byte 4 happens to be 60 gets no byte appended.
TEST_F(EnginePty, SuccessWithByte60HasPlainText) {
    sim.SetHandler(14, [](ctlsim::CtlSim&, const Bytes&) {
        ctlsim::Reply r;
        r.data = {60, 1, 9};
        return r;
    });
    Bytes body(13, 0);
    ASSERT_TRUE(box->Request(14, body.data(), 13, 0)) << Text();
    EXPECT_EQ(box->RxBuf[4], 60);
    EXPECT_EQ(Text(), "Команда 14.  Команда выполнена");
}

// Result 10: silence, or a first byte later than ReplyMs; a slow first byte within it is fine.
TEST_F(EnginePty, NoReply) {
    ctlsim::Faults f;
    f.silent = true;
    sim.SetFaults(f);
    box->ReplyMs = 100;
    auto t = Clock::now();
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_GE(MsSince(t), 100);
    EXPECT_EQ(box->Result, 10u);
    EXPECT_EQ(Text(), "Команда 1.  Устройство не отвечает");

    box->ReplyMs = 1000;
    f = {};
    f.firstByteDelayMs = 3000;
    sim.SetFaults(f);
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_EQ(box->Result, 10u);
    ASSERT_TRUE(WaitUntil([&] { return sim.RepliesSent() == 1; }));  // the late reply has come and gone

    f.firstByteDelayMs = 100;
    sim.SetFaults(f);
    EXPECT_TRUE(Read(0, 0, 18)) << Text();
}

// The far end of the line closes while the engine waits for the reply: the wait ends at
// once as "no reply", no further try is made, and the wait has not burnt the CPU.
TEST_F(EnginePty, LineHangUpEndsTheWait) {
    ctlsim::Faults f;
    f.hangUp = true;
    f.firstByteDelayMs = 150;
    sim.SetFaults(f);
    box->ReplyMs = 4000;
    box->Tries = 3;
    const long cpu0 = ThreadCpuMs();
    auto t = Clock::now();
    EXPECT_FALSE(Read(0, 0, 18));
    const long wall = MsSince(t);
    EXPECT_GE(wall, 140);
    EXPECT_LT(wall, 2000);
    EXPECT_LT(ThreadCpuMs() - cpu0, 300);
    EXPECT_EQ(box->Result, 10u);
    EXPECT_EQ(Text(), "Команда 1.  Устройство не отвечает");
    EXPECT_EQ(sim.Requests().size(), 1u);
}

// Result 19: Abort set before the request, and Abort set while it waits; cleared after.
TEST_F(EnginePty, Abort) {
    box->Abort = 1;
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_EQ(box->Result, 19u);
    EXPECT_EQ(box->Abort, 0);
    EXPECT_EQ(Text(), "Команда 1.  Обмен прерван по признаку завершения работы программы");

    ctlsim::Faults f;
    f.silent = true;
    sim.SetFaults(f);
    box->ReplyMs = 5000;
    box->Tries = 3;
    qvr::SetMessagePump([&] {
        if (!sim.Requests().empty()) box->Abort = 1;  // the request is out: its reply is awaited
    });
    auto t = Clock::now();
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_LT(MsSince(t), 2500);
    EXPECT_EQ(box->Result, 19u);
    EXPECT_EQ(box->Abort, 0);
    EXPECT_EQ(sim.Requests().size(), 1u);  // no further try

    // Esc while the line's flow control holds the send: seen within 0.2 s, not after the
    // send's 2 s.
    sim.ClearFaults();
    ASSERT_EQ(tcflow(box->PortHandle, TCOOFF), 0);
    t = Clock::now();
    qvr::SetMessagePump([&] {
        if (MsSince(t) >= 300) box->Abort = 1;
    });
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_LT(MsSince(t), 500);
    EXPECT_EQ(box->Result, 19u);
    tcflow(box->PortHandle, TCOON);

    // Esc in the pause after the port is opened for one request: the port is closed again.
    CloseComPort(box->PortHandle);
    box->PortHandle = -1;
    box->DoClosePort = 1;
    qvr::SetMessagePump([&] {
        if (box->PortHandle >= 0) box->Abort = 1;
    });
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_EQ(box->Result, 19u);
    EXPECT_EQ(box->PortHandle, -1);
}

// Noise before the reply is dropped: stray bytes, a start byte with another address, a
// length below 6 restart the search.
TEST_F(EnginePty, NoiseBeforeReply) {
    ctlsim::Faults f;
    f.noise = {0x00, 0x12, 0xCC, 0x33, 0x07, 0x33, 0x05, 0x03, 0xFF};
    sim.SetFaults(f);
    ASSERT_TRUE(Read(0, 0, 18)) << Text();
    EXPECT_EQ(box->RxBuf[1], 5);
    EXPECT_EQ(box->RxBuf[2], 8 + 18 + 2);
    EXPECT_EQ(box->RxBuf[8 + 1], 'I');
}

// Address 0xFF takes the replier's address, but only from a frame with a good CRC.
TEST_F(EnginePty, AddressLearning) {
    sim.SetAddress(9);
    box->Address = 0xFF;
    ctlsim::Faults f;
    f.badCrc = true;
    f.count = 1;
    sim.SetFaults(f);
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_EQ(box->Result, 7u);
    EXPECT_EQ(box->Address, 0xFF);

    ASSERT_TRUE(Read(0, 0, 18)) << Text();
    EXPECT_EQ(box->Address, 9);
    ASSERT_TRUE(Read(0, 0, 18)) << Text();
    auto req = sim.Requests();
    ASSERT_EQ(req.size(), 3u);
    EXPECT_EQ(req[0][1], 0xFF);
    EXPECT_EQ(req[1][1], 0xFF);
    EXPECT_EQ(req[2][1], 9);
}

// A write of table 3 field 0 takes the reply from the new address; Address stays.
TEST_F(EnginePty, Table3AddressChange) {
    Bytes body = {3, 0, 1, 12};
    ASSERT_TRUE(box->Request(2, body.data(), 4, 0)) << Text();
    EXPECT_EQ(box->RxBuf[1], 12);
    EXPECT_EQ(box->Address, 5);
    EXPECT_EQ(sim.Address(), 12);
    // Any other write does not accept a reply from another address.
    sim.SetAddress(5);
    ctlsim::Faults f;
    f.otherAddress = 12;
    sim.SetFaults(f);
    box->ReplyMs = 100;
    Bytes other = {3, 1, 1, 2};
    EXPECT_FALSE(box->Request(2, other.data(), 4, 0));
    EXPECT_EQ(box->Result, 10u);
}

// Tries: a bad first reply is repeated; a count of 0 still makes one try.
TEST_F(EnginePty, Tries) {
    ctlsim::Faults f;
    f.otherAddress = 6;
    f.count = 1;
    sim.SetFaults(f);
    box->ReplyMs = 1000;
    box->Tries = 2;
    ASSERT_TRUE(Read(0, 0, 18)) << Text();
    EXPECT_EQ(sim.Requests().size(), 2u);

    sim.ClearLog();
    box->Tries = 0;
    ASSERT_TRUE(Read(0, 0, 18)) << Text();
    EXPECT_EQ(sim.Requests().size(), 1u);

    // The result is that of the last try.
    sim.ClearLog();
    f.count = 2;
    f.otherAddress = -1;
    f.badCrc = true;
    sim.SetFaults(f);
    box->Tries = 2;
    EXPECT_FALSE(Read(0, 0, 18));
    EXPECT_EQ(box->Result, 7u);
    EXPECT_EQ(sim.Requests().size(), 2u);
}

// A request started from inside a wait is refused as busy and leaves the running one alone.
TEST_F(EnginePty, NotReentrant) {
    ctlsim::Faults f;
    f.firstByteDelayMs = 60;
    sim.SetFaults(f);
    bool nestedDone = false;
    bool nestedOk = true, reopenOk = true;
    uint32_t nestedResult = 0;
    std::string nestedText;
    qvr::SetMessagePump([&] {
        if (nestedDone || !box->Busy()) return;
        nestedDone = true;
        TableRequest r{2, 0, 8};
        nestedOk = box->Request(1, &r, 3, 0);
        nestedResult = box->Result;
        nestedText = box->ResultText();
        reopenOk = box->ReopenPort();
    });
    ASSERT_TRUE(Read(0, 0, 18)) << Text();
    EXPECT_TRUE(nestedDone);
    EXPECT_FALSE(nestedOk);
    EXPECT_FALSE(reopenOk);
    EXPECT_EQ(nestedResult, uint32_t(kResultBusy));
    EXPECT_EQ(nestedText, "Команда 1.  Обмен с контроллером уже выполняется");
    EXPECT_EQ(box->Result, 0u);
    EXPECT_EQ(box->RxBuf[5], 0);  // the reply to the outer request
    EXPECT_EQ(sim.Requests().size(), 1u);
    EXPECT_FALSE(box->Busy());
}

// The direct line holds RTS for the 2 ms lead plus (n + 1) characters; a modem link does not.
TEST_F(EnginePty, RtsHoldTimeOnDirectLine) {
    box->Baud = 300;
    box->Preambles = 50;  // 61 characters of 10 bits at 300 bit/s: 2033 ms
    auto t = Clock::now();
    ASSERT_TRUE(Read(0, 0, 1)) << Text();
    long direct = MsSince(t);
    EXPECT_GE(direct, 2 + 2033);
    EXPECT_LT(direct, 3000);

    box->LinkKind = 1;
    t = Clock::now();
    ASSERT_TRUE(Read(0, 0, 1)) << Text();
    EXPECT_LT(MsSince(t), 1000);
}

// ------------------------------------------------------------------- over TCP

namespace {

class EngineTcp : public ::testing::Test {
protected:
    void SetUp() override {
        port = sim.StartTcp(0);
        ASSERT_GT(port, 0);
        const int s = ctlsim::ConnectLoopback(port);
        ASSERT_GE(s, 0);
        box = std::make_unique<hgcbox>(5);
        box->LinkKind = 2;
        box->DoClosePort = 0;
        box->Socket = s;
        box->TcpSendDelayMs = 20;
        box->ReplyMs = 5000;
        box->InterByteMs = 50;
        box->Tries = 1;
    }
    void TearDown() override {
        if (box->Socket >= 0) close(box->Socket);
        sim.Stop();
    }
    bool Read(uint8_t table) {
        TableRequest r{table, 0, 1};
        return box->Request(1, &r, 3, 0);
    }

    ctlsim::CtlSim sim{5};
    int port = 0;
    std::unique_ptr<hgcbox> box;
};

}  // namespace

TEST_F(EngineTcp, ReadAndStaleReplyDrained) {
    ASSERT_TRUE(Read(0)) << box->ResultText();
    EXPECT_EQ(box->RxBuf[5], 0);
    EXPECT_EQ(sim.RawReceived(), WithCrc({0xCC, 5, 10, 1, 0, 0, 0, 1}));

    // A late second copy of the reply to table 0 must not be taken for the reply to table 5.
    ctlsim::Faults f;
    f.duplicateReply = true;
    f.count = 1;
    sim.SetFaults(f);
    ASSERT_TRUE(Read(0)) << box->ResultText();
    ASSERT_TRUE(WaitUntil([&] { return sim.RepliesSent() >= 2; }));  // the copy is on the line too
    ASSERT_TRUE(Read(5)) << box->ResultText();
    EXPECT_EQ(box->RxBuf[5], 5);

    // A copy of the answer about field 1 comes ahead of the answer about field 2 and is not
    // taken (its echo is another request's): the answer behind it is.
    box->Tries = 1;
    box->TcpSendDelayMs = 0;
    box->ReplyMs = 300;
    const hgcbox::StaleCheck none;
    TableRequest t0{0, 1, 1}, t5{0, 2, 1};  // fields not read above
    sim.SetFatePlan([](int i) {
        ctlsim::ReplyFate fate;
        fate.staleOf = i == 2 ? 1 : 0;
        return fate;
    });
    ASSERT_EQ(box->RequestRecords(1, &t0, 3, none), RequestOutcome::Answer) << box->ResultText();
    ASSERT_EQ(box->RequestRecords(1, &t5, 3, none), RequestOutcome::Answer) << box->ResultText();
    EXPECT_EQ(box->RxBuf[6], 2);
    sim.SetFatePlan(nullptr);

    // A process kept from running past the reply's time finds the reply waiting: it is the
    // answer, not a time-out (and the next request's reply is no copy to be taken for it).
    sim.ClearFaults();
    sim.ClearLog();
    sim.SetFatePlan([](int) {
        ctlsim::ReplyFate fate;
        fate.delayMs = 100;  // comes while the process is kept from running
        return fate;
    });
    bool stalled = false;
    qvr::SetMessagePump([&] {
        if (!stalled && !sim.Requests().empty()) {
            stalled = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(450));
        }
    });
    TableRequest t3{3, 0, 1};
    EXPECT_EQ(box->RequestRecords(1, &t3, 3, none), RequestOutcome::Answer) << box->ResultText();
    qvr::SetMessagePump(nullptr);
    sim.SetFatePlan(nullptr);
    EXPECT_TRUE(stalled);

    // A reply too late for its try, come during the pause before the next try's send, is
    // dropped with what waits there: the next try sends again, as the plain loop does.
    sim.ClearFaults();
    sim.ClearLog();
    box->Tries = 2;
    box->ReplyMs = 200;
    box->TcpSendDelayMs = 1200;
    sim.SetFatePlan([](int) {
        ctlsim::ReplyFate fate;
        fate.delayMs = 600;
        return fate;
    });
    TableRequest t2{2, 0, 1};
    EXPECT_EQ(box->RequestRecords(1, &t2, 3, none), RequestOutcome::None);
    EXPECT_EQ(sim.Requests().size(), 2u);
    sim.SetFatePlan(nullptr);

    // Two clock corrections alike, the first request lost once and answered on its retry:
    // the second one's answer repeats the first one's bytes, is taken, and the second
    // correction goes out once (sent again, the controller would apply it twice).
    ctlsim::InstallClockHandler(sim);
    box->TcpSendDelayMs = 0;
    box->ReplyMs = 300;
    sim.ClearLog();
    sim.SetFatePlan([](int i) {
        ctlsim::ReplyFate fate;
        fate.lost = i == 1;
        return fate;
    });
    const uint8_t hour[2] = {0x10, 0x0E};  // 3600 s
    ASSERT_TRUE(box->Request(12, hour, 2, 0)) << box->ResultText();
    ASSERT_TRUE(box->Request(12, hour, 2, 0)) << box->ResultText();
    EXPECT_EQ(sim.Requests().size(), 3u);
    sim.SetFatePlan(nullptr);
}

// The pause before a send keeps the window alive through the pump.
TEST_F(EngineTcp, PauseBeforeSendPumpsMessages) {
    box->TcpSendDelayMs = 1000;
    int pumps = 0;
    qvr::SetMessagePump([&] {
        if (sim.RawReceived().empty()) ++pumps;  // before the request is out
    });
    auto t = Clock::now();
    ASSERT_TRUE(Read(0)) << box->ResultText();
    qvr::SetMessagePump(nullptr);
    EXPECT_GE(MsSince(t), 1000);
    EXPECT_GE(pumps, 5);
}

// Result 20: the send fails; result 21: the receive fails (the peer hung up), and the
// request ends at once, with no further try.
TEST_F(EngineTcp, SendAndReceiveFailures) {
    ctlsim::Faults f;
    f.hangUp = true;
    sim.SetFaults(f);
    box->Tries = 3;
    box->TcpSendDelayMs = 1000;  // each try pauses this long before its send
    auto t = Clock::now();
    EXPECT_FALSE(Read(0));
    EXPECT_LT(MsSince(t), 1900);
    EXPECT_EQ(box->Result, 21u);
    EXPECT_STREQ(box->ResultText(), "Команда 1.  Ithernet. Не выполнена команда recv (чтение ответа на запрос)");

    close(box->Socket);
    box->Socket = -1;
    EXPECT_FALSE(Read(0));
    EXPECT_EQ(box->Result, 20u);
    EXPECT_STREQ(box->ResultText(), "Команда 1.  Ithernet. Не выполнена команда send (посылка запроса)");
}

// A peer that never stops sending: the drain before the send gives up after its deadline,
// the request ends with its own time-out, and the window is kept alive all the while.
TEST(EngineTcpFlood, DrainBeforeSendIsBoundedAndPumps) {
    int l = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ASSERT_EQ(bind(l, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(listen(l, 1), 0);
    ASSERT_EQ(getsockname(l, reinterpret_cast<sockaddr*>(&a), &len), 0);
    int s = socket(AF_INET, SOCK_STREAM, 0);
    // A large receive buffer keeps bytes waiting all the time while the peer sends.
    int big = 1 << 22;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
    ASSERT_EQ(connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    int peer = accept(l, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    std::atomic<bool> stop{false};
    std::thread flood([&] {
        std::vector<uint8_t> junk(16384, 0x00);
        auto end = Clock::now() + std::chrono::seconds(30);
        while (!stop && Clock::now() < end) send(peer, junk.data(), junk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    });

    hgcbox box(5);
    box.LinkKind = 2;
    box.DoClosePort = 0;
    box.Socket = s;
    box.TcpSendDelayMs = 20;
    box.ReplyMs = 1000;
    box.InterByteMs = 10;
    box.Tries = 1;
    Clock::time_point lastPump = Clock::now();
    long longestGap = 0;
    qvr::SetMessagePump([&] {
        longestGap = std::max(longestGap, MsSince(lastPump));
        lastPump = Clock::now();
    });
    auto t = Clock::now();
    TableRequest r{0, 0, 18};
    EXPECT_FALSE(box.Request(1, &r, 3, 0));
    const long wall = MsSince(t);
    qvr::SetMessagePump(nullptr);
    stop = true;
    flood.join();
    EXPECT_EQ(box.Result, 10u);
    EXPECT_LT(wall, 6000);  // the drain and the wait for the reply, one ReplyMs each
    EXPECT_LT(longestGap, 500);
    close(s);
    close(peer);
    close(l);
}
