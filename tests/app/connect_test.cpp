// Link-parameter checks, port probing, address search and link opening against the
// controller simulator (pseudo-terminal and loopback TCP).
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/connect.h"
#include "app/rd_wr_ini.h"
#include "common/globals.h"
#include "common/question.h"
#include "ctlsim/ctlsim.h"
#include "link/comportfunctions.h"
#include "link/hgcbox.h"
#include "link/tabledir.h"
#include "link/tcp_fun.h"
#include "support/tempdir.h"
#include "support/timing.h"

namespace {

// A valid direct-line input: COM3, 9600 bit/s (rate index 11), 2 tries, 2 s, 100 ms, 5 preambles.
ConnParInput DirectInput() {
    ConnParInput in;
    in.kind = 0;
    in.portText = "COM3";
    in.rateIndex = 11;
    in.triesIndex = 1;
    in.waitTime = "2";
    in.timeOut = "100";
    in.preambles = "5";
    return in;
}

ConnParInput EthernetInput() {
    ConnParInput in;
    in.kind = 2;
    in.triesIndex = 2;
    in.waitTime = "5";
    in.timeOut = "300";
    in.preambles = "0";
    in.connectWait = "10";
    in.connRepeat = "1";
    return in;
}

struct CheckOutcome {
    bool ok;
    InputMessage msg;
    std::unique_ptr<ConnSettingsRecord> out;
};

CheckOutcome Check(const ConnParInput& in, const ConnSettingsRecord& cur) {
    CheckOutcome r{false, {}, std::make_unique<ConnSettingsRecord>()};
    r.ok = CheckConnParInput(in, cur, *r.out, r.msg);
    return r;
}

}  // namespace

TEST(ParseIntField, DecimalOnly) {
    int64_t v = -1;
    EXPECT_TRUE(ParseIntField("0", v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(ParseIntField(" 120 ", v));
    EXPECT_EQ(v, 120);
    EXPECT_TRUE(ParseIntField("-5", v));
    EXPECT_EQ(v, -5);
    EXPECT_TRUE(ParseIntField("999999999999999999", v));  // far outside every range, still a number
    for (const char* bad : {"", " ", "12%", "'5", "1 2", "0x10", "+", "9999999999999999999", "5.0"})
        EXPECT_FALSE(ParseIntField(bad, v)) << bad;
}

TEST(ConnParCheck, RangesRefusedWithTheirNames) {
    auto cur = std::make_unique<ConnSettingsRecord>();
    struct Case {
        void (*edit)(ConnParInput&);
        const char* name;
    };
    const Case cases[] = {
        {[](ConnParInput& i) { i.preambles = "256"; }, "Количество преамбул в запросе"},
        {[](ConnParInput& i) { i.preambles = "5%"; }, "Количество преамбул в запросе"},
        {[](ConnParInput& i) { i.waitTime = "0"; }, "Время ожидания первого байта ответа"},
        {[](ConnParInput& i) { i.waitTime = "121"; }, "Время ожидания первого байта ответа"},
        {[](ConnParInput& i) { i.timeOut = "54"; }, "Время ожидания следующих байтов ответа"},
        {[](ConnParInput& i) { i.timeOut = "5001"; }, "Время ожидания следующих байтов ответа"},
        {[](ConnParInput& i) { i.timeOut = "'"; }, "Время ожидания следующих байтов ответа"},
    };
    for (const Case& c : cases) {
        ConnParInput in = DirectInput();
        c.edit(in);
        auto r = Check(in, *cur);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.msg.line1, c.name);
        EXPECT_EQ(r.msg.line2, "Параметр вне допустимого диапазона");
    }
    // The first value out of range is the one named.
    ConnParInput in = DirectInput();
    in.preambles = "300";
    in.waitTime = "500";
    EXPECT_EQ(Check(in, *cur).msg.line1, "Количество преамбул в запросе");
}

TEST(ConnParCheck, MissingValues) {
    auto cur = std::make_unique<ConnSettingsRecord>();
    std::vector<ConnParInput> inputs(5, DirectInput());
    inputs[0].portText.clear();  // no COM port present
    inputs[1].rateIndex = -1;    // a stored rate not in the table selects none
    inputs[2].triesIndex = -1;
    inputs[3].waitTime.clear();
    inputs[4].preambles.clear();
    for (const ConnParInput& in : inputs) {
        auto r = Check(in, *cur);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.msg.line1, "Введены не все параметры");
    }
    ConnParInput eth = EthernetInput();
    eth.connRepeat.clear();
    EXPECT_EQ(Check(eth, *cur).msg.line1, "Введены не все параметры");
}

TEST(ConnParCheck, DirectAcceptStoresOnlyItsKind) {
    auto cur = std::make_unique<ConnSettingsRecord>();
    cur->Fon = DefaultLinkParams(1);
    cur->Dir.Adr = 17;
    ConnParInput in = DirectInput();
    in.preambles = "0";  // the lower bound is allowed
    auto r = Check(in, *cur);
    ASSERT_TRUE(r.ok) << r.msg.line1;
    const LinkParams& d = r.out->Dir;
    EXPECT_EQ(d.COMPort, 3);
    EXPECT_EQ(d.Adr, 17);  // the address is not the form's business
    EXPECT_EQ(d.Rate, 9600);
    EXPECT_EQ(d.Repeat, 2);
    EXPECT_EQ(d.WaitTime, 2);
    EXPECT_EQ(d.TimeOut, 100);
    EXPECT_EQ(d.Preambles, 0);
    EXPECT_EQ(std::memcmp(&r.out->Fon, &cur->Fon, sizeof(LinkParams)), 0);

    in.preambles = "255";
    in.waitTime = "120";
    in.timeOut = "5000";
    EXPECT_TRUE(Check(in, *cur).ok);
    in.waitTime = "1";
    in.timeOut = "55";
    EXPECT_TRUE(Check(in, *cur).ok);
}

TEST(ConnParCheck, PortReleaseWaitOnlyWhenTicked) {
    auto cur = std::make_unique<ConnSettingsRecord>();
    cur->Free_Port_Wait = 3;
    ConnParInput in = DirectInput();
    in.freePortWait = "21";
    EXPECT_TRUE(Check(in, *cur).ok);  // box clear: the edit is not looked at
    cur->Do_Close_Port = 1;
    auto r = Check(in, *cur);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.msg.line1, "Время ожидания освобождения СОМ порта");
    in.freePortWait.clear();
    EXPECT_EQ(Check(in, *cur).msg.line1, "Введены не все параметры");
    in.freePortWait = "20";
    r = Check(in, *cur);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out->Free_Port_Wait, 20);
}

TEST(ConnParCheck, TelephoneCommandAndConnectionValues) {
    auto cur = std::make_unique<ConnSettingsRecord>();
    ConnParInput in = DirectInput();
    in.kind = 1;
    in.command = std::string(250, 'A');
    in.connectWait = "361";
    in.connRepeat = "1";
    EXPECT_EQ(Check(in, *cur).msg.line1, "Ожидание соединения");
    in.connectWait = "";  // not checked for emptiness, yet no number
    EXPECT_EQ(Check(in, *cur).msg.line1, "Ожидание соединения");
    in.connectWait = "360";
    in.connRepeat = "11";
    EXPECT_EQ(Check(in, *cur).msg.line1, "Количество попыток соединения");
    in.connRepeat = "10";
    auto r = Check(in, *cur);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(std::string(r.out->Command), std::string(199, 'A'));  // text and its zero fit 200 bytes
    EXPECT_EQ(r.out->Fon_ConnectWaitTime, 360);
    EXPECT_EQ(r.out->Fon_Conn_Repeat, 10);
    EXPECT_EQ(r.out->Fon.COMPort, 3);
}

TEST(ConnParCheck, EthernetValues) {
    auto cur = std::make_unique<ConnSettingsRecord>();
    cur->Ethr.Adr = 4;
    ConnParInput in = EthernetInput();
    in.connectWait = "361";
    EXPECT_EQ(Check(in, *cur).msg.line1, "Ожидание соединения");
    in.connectWait = "360";
    in.connRepeat = "0";
    EXPECT_EQ(Check(in, *cur).msg.line1, "Количество попыток соединения");
    in.connRepeat = "10";
    in.timeOut = "54";  // the link values are checked before the connection values
    in.connectWait = "999";
    EXPECT_EQ(Check(in, *cur).msg.line1, "Время ожидания следующих байтов ответа");
    in.timeOut = "300";
    in.connectWait = "360";
    auto r = Check(in, *cur);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out->Ethr.Repeat, 3);
    EXPECT_EQ(r.out->Ethr.Adr, 4);
    EXPECT_EQ(r.out->Ethr.WaitTime, 5);
    EXPECT_EQ(r.out->Ethr_ConnectWaitTime, 360);
    EXPECT_EQ(r.out->Ethr_Conn_Repeat, 10);
}

TEST(ComPortPresent, DeviceOfThePort) {
    ctlsim::CtlSim sim{1};
    std::string path = sim.StartPty();
    ASSERT_FALSE(path.empty());
    setenv("QVR_COM91", path.c_str(), 1);
    setenv("QVR_COM92", "/nonexistent/tty-of-nobody", 1);
    EXPECT_TRUE(ComPortPresent(91));
    EXPECT_FALSE(ComPortPresent(92));
    EXPECT_FALSE(ComPortPresent(0));
    EXPECT_FALSE(ComPortPresent(256));
    // All 255 probes together stay quick.
    auto t0 = Clock::now();
    for (int n = 1; n <= 255; ++n) ComPortPresent(n);
    EXPECT_LT(MsSince(t0), 3000);
    unsetenv("QVR_COM91");
    unsetenv("QVR_COM92");
    sim.Stop();
}

namespace {

constexpr int kCom = 93;

// Settings, engine and simulator as a fresh program has them; ini files in a temp folder.
class Link : public ::testing::Test {
protected:
    void SetUp() override {
        ConnSettings = ConnSettingsRecord{};
        ConnSettingsSaved = ConnSettingsRecord{};
        g_SettingsIniPath = dir.path() + "/qvr.ini";
        ConnSettings.Dir = DefaultLinkParams(0);
        ConnSettings.Fon = DefaultLinkParams(1);
        ConnSettings.Ethr = DefaultLinkParams(2);
        ConnSettings.Free_Port_Wait = 1;
        ConnSettings.Ethr_ConnectWaitTime = 2;
        g_Hgc = new hgcbox(1);
        g_Hgc->TcpSendDelayMs = 0;
        qvr::ClearQuesRecord();
        SetTransportMessageBox([this](const std::string& t) { boxes.push_back(t); });
    }
    void TearDown() override {
        SetTransportMessageBox(nullptr);
        CloseEnginePort();
        if (g_Hgc->Socket >= 0) close(g_Hgc->Socket);
        delete g_Hgc;
        g_Hgc = nullptr;
        sim.Stop();
        unsetenv(("QVR_COM" + std::to_string(kCom)).c_str());
    }
    void StartPty() {
        std::string path = sim.StartPty();
        ASSERT_FALSE(path.empty());
        setenv(("QVR_COM" + std::to_string(kCom)).c_str(), path.c_str(), 1);
        ConnSettings.Dir.COMPort = kCom;
        ConnSettings.Dir.Rate = 115200;
        ConnSettings.Dir.WaitTime = 1;
    }
    void AddEthSubscriber(uint32_t ip, uint32_t port, uint8_t adr) {
        EthSubscriberList& l = ConnSettings.EthrList;
        EthernetSubscriber& e = l.entries[l.head.users_num];
        std::snprintf(e.user_name, sizeof e.user_name, "site %d", l.head.users_num);
        e.contr_adr = adr;
        e.ip_adr = ip;
        e.port = port;
        l.head.user_index = l.head.users_num++;
        ConnSettings.Conn_Prz = 2;
    }
    bool ReadTable0() {
        TableRequest r{0, 0, 1};
        return g_Hgc->Request(1, &r, sizeof r, 0);
    }
    const qvr::QuesBox* LastBox() {
        static qvr::QuesBox last;
        auto shown = qvr::ShownQues();
        if (shown.empty()) return nullptr;
        last = shown.back();
        return &last;
    }

    TempDir dir;
    ctlsim::CtlSim sim{9};
    std::vector<std::string> boxes;
};

constexpr uint32_t kLoopback = 0x7F000001;

// A loopback port where nothing listens: bound, never listening, so connects are refused.
struct DeadPort {
    DeadPort() {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~DeadPort() { close(fd); }
    int fd;
    uint16_t port;
};

}  // namespace

TEST_F(Link, AddressSearchFindsTheController) {
    StartPty();
    ConnSettings.Dir.Adr = 1;
    ASSERT_TRUE(SearchDeviceAddress());
    EXPECT_EQ(ConnSettings.Dir.Adr, 9);
    EXPECT_EQ(g_Hgc->PortHandle, kNoPort);  // the port is given back after the search
    auto req = sim.Requests();
    ASSERT_EQ(req.size(), 1u);
    EXPECT_EQ(req[0][1], 0xFF);  // addressed to any controller
    EXPECT_EQ(req[0][3], 1);     // a read ...
    EXPECT_EQ(req[0][4], 0);     // ... of table 0
    const qvr::QuesBox* b = LastBox();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->kind, qvr::kQuesExchangeResult);
    EXPECT_EQ(b->text1, "Адрес устройства установлен");
    EXPECT_EQ(b->text2, "(адрес = 9).");
}

TEST_F(Link, AddressSearchOnASilentLine) {
    StartPty();
    ConnSettings.Dir.Adr = 4;
    ctlsim::Faults f;
    f.silent = true;
    sim.SetFaults(f);
    EXPECT_FALSE(SearchDeviceAddress());
    EXPECT_EQ(ConnSettings.Dir.Adr, 4);
    EXPECT_EQ(g_Hgc->PortHandle, kNoPort);
    ASSERT_NE(LastBox(), nullptr);
    EXPECT_EQ(LastBox()->text1, "Устройство не обнаружено");
    EXPECT_EQ(LastBox()->kind, qvr::kQuesExchangeResult);
}

TEST_F(Link, AddressSearchWithoutThePort) {
    setenv(("QVR_COM" + std::to_string(kCom)).c_str(), "/nonexistent/tty", 1);
    ConnSettings.Dir.COMPort = kCom;
    EXPECT_FALSE(SearchDeviceAddress());
    ASSERT_NE(LastBox(), nullptr);
    EXPECT_EQ(LastBox()->kind, qvr::kQuesNotice);
    // Cyrillic "СОМ" in this message, unlike the engine's own text.
    EXPECT_EQ(LastBox()->text1, "Коммуникационный порт СОМ93 недоступен");
}

TEST_F(Link, DirectConnectLeavesTheEngineReady) {
    StartPty();
    ConnSettings.Dir.Preambles = 2;
    ConnSettings.Dir.TimeOut = 80;
    ConnSettings.Dir.Repeat = 3;
    auto t0 = Clock::now();
    ASSERT_TRUE(ConnectComPort(9, true, nullptr));
    EXPECT_GE(MsSince(t0), 300);
    EXPECT_EQ(ConnSettings.Dir.Adr, 9);
    const hgcbox& h = *g_Hgc;
    EXPECT_GE(h.PortHandle, 0);
    EXPECT_EQ(h.Address, 9);
    EXPECT_EQ(h.LinkKind, 0);
    EXPECT_EQ(h.ComPort, kCom);
    EXPECT_EQ(h.Baud, 115200u);
    EXPECT_EQ(h.ReplyMs, 1000u);
    EXPECT_EQ(h.InterByteMs, 80u);
    EXPECT_EQ(h.Preambles, 2);
    EXPECT_EQ(h.Tries, 3);
    EXPECT_EQ(h.DoClosePort, 0);
    EXPECT_TRUE(ReadTable0()) << g_Hgc->ResultText();
    // qvr.ini holds the new address.
    ConnSettingsRecord saved = ConnSettings;
    ReadConnSettings(g_SettingsIniPath, 800, 600);
    EXPECT_EQ(ConnSettings.Dir.Adr, 9);
    ConnSettings = saved;
}

TEST_F(Link, DirectConnectReleasingThePortOpensNothing) {
    StartPty();
    ConnSettings.Do_Close_Port = 1;
    ASSERT_TRUE(ConnectComPort(9, true, nullptr));
    EXPECT_EQ(g_Hgc->PortHandle, kNoPort);
    EXPECT_EQ(g_Hgc->DoClosePort, 1);
    EXPECT_TRUE(ReadTable0()) << g_Hgc->ResultText();  // each exchange opens the port itself
}

TEST_F(Link, ConnectRefusals) {
    setenv(("QVR_COM" + std::to_string(kCom)).c_str(), "/nonexistent/tty", 1);
    ConnSettings.Dir.COMPort = kCom;
    EXPECT_FALSE(ConnectComPort(5, true, nullptr));
    ASSERT_NE(LastBox(), nullptr);
    EXPECT_EQ(LastBox()->kind, qvr::kQuesError);
    EXPECT_EQ(LastBox()->text1, "Коммуникационный порт СОМ93 недоступен");

    ConnSettings.Conn_Prz = 1;  // telephone without a subscriber
    EXPECT_FALSE(ConnectComPort(5, false, nullptr));
    EXPECT_EQ(LastBox()->text1, "Введены не все параметры");

    ConnSettings.Conn_Prz = 2;
    EXPECT_FALSE(ConnectEthernet(5, false));
    EXPECT_EQ(LastBox()->text1, "Введены не все параметры");
}

TEST_F(Link, EthernetConnectLeavesTheEngineReady) {
    int port = sim.StartTcp();
    ASSERT_GT(port, 0);
    AddEthSubscriber(kLoopback, uint32_t(port), 9);
    ConnSettings.Ethr.WaitTime = 3;
    ConnSettings.Ethr.TimeOut = 200;
    ConnSettings.Ethr.Repeat = 2;
    ConnSettings.Ethr.Preambles = 1;
    auto t0 = Clock::now();
    ASSERT_TRUE(ConnectEthernet(9, true));
    EXPECT_GE(MsSince(t0), 990);  // the settling pause after the connect
    const hgcbox& h = *g_Hgc;
    EXPECT_GE(h.Socket, 0);
    EXPECT_EQ(h.PortHandle, kNoPort);
    EXPECT_EQ(h.Address, 9);
    EXPECT_EQ(h.LinkKind, 2);
    EXPECT_EQ(h.ReplyMs, 3000u);
    EXPECT_EQ(h.InterByteMs, 200u);
    EXPECT_EQ(h.Tries, 2);
    EXPECT_EQ(h.Preambles, 1);
    EXPECT_EQ(ConnSettings.Ethr.Adr, 9);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(ReadTable0()) << g_Hgc->ResultText();
}

TEST_F(Link, EthernetRefusedUntilTheConnectionWait) {
    DeadPort dead;
    AddEthSubscriber(kLoopback, dead.port, 9);
    ConnSettings.Ethr_ConnectWaitTime = 1;
    int pumped = 0;
    qvr::SetMessagePump([&] { ++pumped; });
    auto t0 = Clock::now();
    EXPECT_FALSE(ConnectEthernet(9, true));
    long ms = MsSince(t0);
    qvr::SetMessagePump(nullptr);
    // The connection wait of 1 s, not the 5 s reply wait nor the 10 s of a rejected setting.
    EXPECT_GE(ms, 990);
    EXPECT_LT(ms, 4500);
    EXPECT_GT(pumped, 5);  // the window stayed alive while waiting
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Превышено время ожидания соединения сервер/клиент");
    EXPECT_EQ(g_Hgc->Socket, kNoSocket);
}

TEST_F(Link, EthernetServerAppearingLateIsReached) {
    // Refused tries go on with fresh sockets: a server that starts listening later is reached.
    DeadPort dead;
    AddEthSubscriber(kLoopback, dead.port, 9);
    ConnSettings.Ethr_ConnectWaitTime = 3;
    bool listening = false;
    auto t0 = Clock::now();
    qvr::SetMessagePump([&] {
        if (!listening && MsSince(t0) > 400) {
            listen(dead.fd, 1);
            listening = true;
        }
    });
    EXPECT_TRUE(ConnectEthernet(9, true));
    qvr::SetMessagePump(nullptr);
    EXPECT_TRUE(listening);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Link, EthernetPortOutsideTheTcpRange) {
    for (uint32_t port : {0u, 65536u, 70000u}) {
        ConnSettings.EthrList = EthSubscriberList{};
        AddEthSubscriber(kLoopback, port, 9);
        qvr::ClearQuesRecord();
        auto t0 = Clock::now();
        EXPECT_FALSE(ConnectEthernet(9, true));
        EXPECT_LT(MsSince(t0), 1000);  // no connect tried: far below the connection wait
        ASSERT_NE(LastBox(), nullptr);
        EXPECT_EQ(LastBox()->text1, "Порт вне допустимого диапазона");
        EXPECT_EQ(LastBox()->text2, "(1...65535)");
    }
}
