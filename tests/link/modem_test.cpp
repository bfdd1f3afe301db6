// The modem dialogue against the simulated Hayes modem, which sits in front of a simulated
// controller on pseudo-terminals. Guard times and time-outs are shortened for the tests.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/uihooks.h"
#include "ctlsim/access.h"
#include "ctlsim/ctlsim.h"
#include "ctlsim/modem.h"
#include "link/comportfunctions.h"
#include "link/connectmodem.h"
#include "link/hgcbox.h"
#include "support/timing.h"

namespace {

class RecordingBar : public qvr::IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override { texts.push_back(std::to_string(panel) + ":" + text); }
    std::string PanelText(int) const override { return texts.empty() ? "" : texts.back(); }
    std::vector<std::string> texts;
};

constexpr int kCom = 78;
constexpr int kModemGuardMs = 60;
const char* const kNotRegistered = "Пользователь не зарегистрирован или неправильный пароль";

class ModemLine : public ::testing::Test {
protected:
    void SetUp() override {
        saved = g_ModemTimings;
        // Replies are awaited for seconds; the tests of a silent modem shorten the wait.
        g_ModemTimings.readyTimeoutMs = 2000;
        g_ModemTimings.guardMs = 2 * kModemGuardMs;
        g_ModemTimings.gsmLineTimeoutMs = 2000;
        g_ModemTimings.dialLeadMs = 10;
        g_ModemTimings.initPauseMs = 5;
        g_ModemTimings.connectedPauseMs = 5;
        g_ModemTimings.hangUpGuardMs = 2 * kModemGuardMs;
        g_ModemTimings.hangUpTimeoutMs = 2000;
        opt.guardMs = kModemGuardMs;
        ctlPath = sim.StartPty();
        ASSERT_FALSE(ctlPath.empty());
    }
    // Starts the modem with the options set so far and opens the program's port on it.
    void Start() {
        modem.SetOptions(opt);
        std::string path = modem.Start(ctlPath);
        ASSERT_FALSE(path.empty());
        setenv(("QVR_COM" + std::to_string(kCom)).c_str(), path.c_str(), 1);
        port = OpenComPort(kCom, 115200, 8, 0, 0, 4096, 4096, 1, 0);
        ASSERT_GE(port, 0);
    }
    void TearDown() override {
        qvr::SetMessagePump(nullptr);
        if (port >= 0) CloseComPort(port);
        modem.Stop();
        sim.Stop();
        g_ModemTimings = saved;
    }
    uint32_t Dial(const char* number = "123", const char* init = "", int attempts = 1, uint32_t wait = 1,
                  qvr::IStatusBar* bar = nullptr) {
        return ModemDial(port, number, init, nullptr, bar, attempts, wait);
    }
    int CountDials() {
        int n = 0;
        for (const std::string& c : modem.Commands())
            if (c.rfind("ATD", 0) == 0) ++n;
        return n;
    }

    ModemTimings saved;
    ctlsim::CtlSim sim{5};
    ctlsim::HayesModem modem;
    ctlsim::ModemOptions opt;
    std::string ctlPath;
    int port = -1;
};

}  // namespace

TEST(ModemTexts, ResultTextsByCode) {
    EXPECT_STREQ(ModemResultTexts[0], "Соединение установлено");
    EXPECT_STREQ(ModemResultTexts[1], "Отсутствует сигнал АТС");
    EXPECT_STREQ(ModemResultTexts[4], "Нет гудка в линии");
    EXPECT_STREQ(ModemResultTexts[6], "Лимит времени, отведенного на соединение, исчерпан");
    EXPECT_STREQ(ModemResultTexts[7], "Модем отсутствует или не подключен");
    EXPECT_STREQ(ModemResultTexts[10], "Попытка соединения прервана по требованию пользователя");
    EXPECT_STREQ(ModemResultTexts[11], "Нет готовности GSM");
}

// The order decides replies that hold two patterns: an error text wins over everything.
TEST(ModemTexts, ReplyClassificationOrder) {
    EXPECT_EQ(ClassifyModemReply("\r\nOK\r"), 0u);
    EXPECT_EQ(ClassifyModemReply("\r\nCONNECT 9600\r"), 0u);
    EXPECT_EQ(ClassifyModemReply("\r\nNO DIALTONE\r"), 1u);
    EXPECT_EQ(ClassifyModemReply("\r\nno dialtone\r"), 1u);
    EXPECT_EQ(ClassifyModemReply("\r\nBUSY\r"), 2u);
    EXPECT_EQ(ClassifyModemReply("\r\nNO CARRIER\r"), 3u);
    EXPECT_EQ(ClassifyModemReply("\r\nERROR\r"), 4u);
    EXPECT_EQ(ClassifyModemReply("\r\nNO ANSWER\r"), 5u);
    EXPECT_EQ(ClassifyModemReply("\r\nTime out\r"), 6u);
    EXPECT_EQ(ClassifyModemReply("Escape..."), 10u);
    EXPECT_EQ(ClassifyModemReply("ERROR DIAL BUSY"), 4u);
    EXPECT_EQ(ClassifyModemReply("Time DIAL"), 6u);
    EXPECT_EQ(ClassifyModemReply("BUSY NO ANSWER"), 2u);
    EXPECT_EQ(ClassifyModemReply("NO CARRIER BUSY"), 3u);
    // Known answers.
    EXPECT_TRUE(IsKnownModemAnswer("\r\nOK\r"));
    EXPECT_TRUE(IsKnownModemAnswer("0\r"));
    EXPECT_TRUE(IsKnownModemAnswer("ATE0"));
    EXPECT_FALSE(IsKnownModemAnswer("\rXYZ\r"));
    EXPECT_FALSE(IsKnownModemAnswer(""));
}

TEST(ModemTexts, PhoneNumberAndCrLfStripping) {
    EXPECT_EQ(StripPhoneNumber("8 (812) 555-12-34"), "88125551234");
    EXPECT_EQ(StripPhoneNumber("+7,495W123"), "+7,495W123");
    char out[64];
    StripPhoneNumber("(0) 1-2", out);
    EXPECT_STREQ(out, "012");
    StripCrLf("\r\nOK\r\n", out);
    EXPECT_STREQ(out, "OK");
    EXPECT_EQ(StripCrLf("A\rB\nC"), "ABC");
}

TEST(ModemTexts, InitTextSplitting) {
    EXPECT_EQ(SplitModemInit("junk ATZ^AT&F1^at s0=0"), (std::vector<std::string>{"ATZ\r", "AT&F1\r", "at s0=0\r"}));
    EXPECT_TRUE(SplitModemInit("").empty());
    EXPECT_TRUE(SplitModemInit("no commands here^x").empty());
    // "At" and "aT" start commands too; text between a '^' and the next "AT" is skipped.
    EXPECT_EQ(SplitModemInit("At1^ x aT2^"), (std::vector<std::string>{"At1\r", "aT2\r"}));
    // A command runs to the next '^' even when it holds another "AT".
    EXPECT_EQ(SplitModemInit("ATDATA^"), (std::vector<std::string>{"ATDATA\r"}));
    // Slots of 300 bytes: command, CR and zero.
    auto longOne = SplitModemInit("AT" + std::string(400, 'X'));
    ASSERT_EQ(longOne.size(), 1u);
    EXPECT_EQ(longOne[0].size(), 299u);
    EXPECT_EQ(longOne[0].back(), '\r');
    // More than 30 commands: the first 30 are taken.
    std::string many;
    for (int i = 0; i < 35; ++i) many += "AT" + std::to_string(i) + "^";
    auto cmds = SplitModemInit(many);
    ASSERT_EQ(cmds.size(), 30u);
    EXPECT_EQ(cmds.front(), "AT0\r");
    EXPECT_EQ(cmds.back(), "AT29\r");
}

// A good dial: the number without blanks, brackets and hyphens right behind ATD; the line
// then carries the engine's requests to the controller; the hang-up escapes and sends ath.
TEST_F(ModemLine, GoodDialCarriesExchangeAndHangsUp) {
    Start();
    RecordingBar bar;
    ASSERT_EQ(Dial("8 (812) 555-12-34", "", 1, 1, &bar), kModemOk);
    EXPECT_EQ(modem.LastDialled(), "88125551234");
    EXPECT_NE(modem.Received().find("ATD88125551234\r"), std::string::npos);
    EXPECT_TRUE(modem.Online());
    // Progress texts on panel 0.
    auto has = [&](const std::string& t) {
        for (const auto& s : bar.texts)
            if (s == t) return true;
        return false;
    };
    EXPECT_TRUE(has("0: Установление связи по телефону. Команда ATE0."));
    EXPECT_TRUE(has("0: Проверка готовности GSM. Команда AT+CPAS"));
    EXPECT_TRUE(has("0: Проверка готовности GSM. Команда AT+CPAS. Ответ +CPAS: 0"));
    EXPECT_TRUE(has("0: Установление связи по телефону. Команда ATD88125551234."));
    EXPECT_TRUE(has("0: Установление связи по телефону. Команда ATD88125551234.  Ответ CONNECT 9600"));

    hgcbox box(5);
    box.LinkKind = 1;
    box.PortHandle = port;
    box.DoClosePort = 0;
    box.Baud = 115200;
    box.ReplyMs = 5000;
    box.InterByteMs = 50;
    box.Tries = 1;
    sim.SetTableBytes(5, 0, {'M', 'O', 'D', 'M'});
    TableRequest rq{5, 0, 1};
    ASSERT_TRUE(box.Request(1, &rq, 3, 0)) << box.ResultText();
    EXPECT_EQ(std::memcmp(box.RxBuf + 8, "MODM", 4), 0);

    ModemHangUp(port);
    EXPECT_FALSE(modem.Connected());
    EXPECT_EQ(modem.HangUps(), 1);
    const std::string rx = modem.Received();
    size_t esc = rx.rfind("+++");
    ASSERT_NE(esc, std::string::npos);
    EXPECT_EQ(rx.substr(esc), "+++ath\r");
}

// Each dial failure gives its code (and so its text); a modem silent to the dial times out.
TEST_F(ModemLine, DialFailuresGiveTheirCodes) {
    struct Case {
        ctlsim::DialOutcome outcome;
        uint32_t code;
        const char* text;
    };
    const Case cases[] = {
        {ctlsim::DialOutcome::NoDialTone, 1, "Отсутствует сигнал АТС"},
        {ctlsim::DialOutcome::Busy, 2, "Номер абонента занят"},
        {ctlsim::DialOutcome::NoCarrier, 3, "Потеря несущей"},
        {ctlsim::DialOutcome::Error, 4, "Нет гудка в линии"},
        {ctlsim::DialOutcome::NoAnswer, 5, "Абонент не отвечает"},
        {ctlsim::DialOutcome::Silent, 9, "Истекло время ожидания ответа от модема"},
    };
    Start();
    for (const Case& c : cases) {
        opt.dial = c.outcome;
        modem.SetOptions(opt);
        uint32_t r = Dial("555", "", 1, 1);
        EXPECT_EQ(r, c.code) << int(c.outcome);
        EXPECT_STREQ(ModemResultTexts[r], c.text);
        EXPECT_FALSE(modem.Online());
    }
}

// Three initialisation commands go out in order, each ending in CR, after the readiness
// commands and before AT+CPAS and the dial; the text before the first "AT" is not sent.
TEST_F(ModemLine, InitCommandsSentInOrder) {
    Start();
    ASSERT_EQ(Dial("42", "init: ATS7=60^ATX3^at&c1", 1, 1), kModemOk);
    const std::string rx = modem.Received();
    EXPECT_EQ(rx.find("init"), std::string::npos);
    const std::string expected = std::string("ATE0\rATV1\rATS7=60\rATX3\rat&c1\rAT+CPAS\r") + '\0' + "ATD42\r";
    EXPECT_EQ(rx, expected);
    EXPECT_EQ(modem.Commands(), (std::vector<std::string>{"ATE0", "ATV1", "ATS7=60", "ATX3", "at&c1", "AT+CPAS", "ATD42"}));
}

// An error reply to an initialisation command is code 4; each attempt repeats the commands.
TEST_F(ModemLine, InitErrorAndRepeatedAttempts) {
    opt.errorOn = "ATX3";
    Start();
    uint32_t r = Dial("1", "ATS7=60^ATX3", 2, 1);
    EXPECT_EQ(r, kModemError);
    EXPECT_STREQ(ModemResultTexts[r], "Нет гудка в линии");
    int x3 = 0;
    for (const auto& c : modem.Commands()) x3 += c == "ATX3";
    EXPECT_EQ(x3, 2);
    EXPECT_EQ(CountDials(), 0);
}

// Busy three times: three dials, the last result returned. An attempt count of 0 or less
// still dials once instead of reporting a connection that never was.
TEST_F(ModemLine, AttemptCount) {
    opt.dial = ctlsim::DialOutcome::Busy;
    Start();
    EXPECT_EQ(Dial("1", "", 3, 1), kModemBusy);
    EXPECT_EQ(CountDials(), 3);
    modem.ClearLog();
    EXPECT_EQ(Dial("1", "", 0, 1), kModemBusy);
    EXPECT_EQ(CountDials(), 1);
    modem.ClearLog();
    EXPECT_EQ(Dial("1", "", -5, 1), kModemBusy);
    EXPECT_EQ(CountDials(), 1);
}

// A modem that does not answer "+CPAS: 0" cannot be dialled.
TEST_F(ModemLine, GsmNotReadyGivesCode11) {
    opt.cpasStatus = 3;
    Start();
    uint32_t r = Dial("1", "", 3, 1);
    EXPECT_EQ(r, kModemNoGsm);
    EXPECT_STREQ(ModemResultTexts[r], "Нет готовности GSM");
    EXPECT_EQ(CountDials(), 0);
    opt.cpasStatus = -1;  // ERROR
    modem.SetOptions(opt);
    EXPECT_FALSE(GsmReady(port, nullptr));
    opt.cpasStatus = 0;
    modem.SetOptions(opt);
    EXPECT_TRUE(GsmReady(port, nullptr));
}

// Esc while waiting for CONNECT ends the dial at once with code 10, even with attempts left.
TEST_F(ModemLine, EscDuringDialGivesCode10) {
    opt.dialDelayMs = 5000;
    Start();
    Clock::time_point dialSeen{};
    qvr::SetMessagePump([&] {
        if (modem.LastDialled().empty()) return;
        if (dialSeen == Clock::time_point{}) dialSeen = Clock::now();
        if (MsSince(dialSeen) > 50) ModemEscPress();
    });
    auto t0 = Clock::now();
    uint32_t r = Dial("77", "", 3, 10);
    EXPECT_EQ(r, kModemEscape);
    EXPECT_STREQ(ModemResultTexts[r], "Попытка соединения прервана по требованию пользователя");
    EXPECT_LT(MsSince(t0), 3000);
    EXPECT_EQ(CountDials(), 1);
    EXPECT_FALSE(ModemEscWatchActive());
    EXPECT_FALSE(ModemEscPressed());
}

// Esc outside a modem command is not remembered.
TEST(ModemEsc, PressOutsideWatchIgnored) {
    ModemEscPress();
    EXPECT_FALSE(ModemEscPressed());
    {
        ModemEscWatch w(nullptr);
        EXPECT_TRUE(ModemEscWatchActive());
        ModemEscPress();
        EXPECT_TRUE(ModemEscPressed());
    }
    EXPECT_FALSE(ModemEscPressed());
}

// No modem on the line: the escape sequence gets no reply, which is code 7.
TEST_F(ModemLine, SilentModemGivesCode7) {
    opt.silent = true;
    g_ModemTimings.readyTimeoutMs = 400;  // nothing ever answers
    Start();
    auto t0 = Clock::now();
    EXPECT_EQ(ModemReady(port, nullptr), kModemAbsent);
    // ATE0 time-out, guard, "+++" time-out.
    EXPECT_GE(MsSince(t0), long(2 * g_ModemTimings.readyTimeoutMs));
    EXPECT_EQ(Dial(), kModemAbsent);
    EXPECT_EQ(modem.Received().find("ATD"), std::string::npos);
}

// A modem left in data mode passes ATE0 on to the line; the escape with its guard times
// brings it back to command mode.
TEST_F(ModemLine, ModemLeftOnlineIsEscaped) {
    opt.startOnline = true;
    Start();
    EXPECT_EQ(ModemReady(port, nullptr), kModemOk);
    EXPECT_FALSE(modem.Online());
    EXPECT_EQ(modem.Commands(), (std::vector<std::string>{"ATE0"}));
    EXPECT_EQ(modem.Received(), "ATE0\r+++ATE0\r");
}

// The same modem deaf to the escape: reported as missing.
TEST_F(ModemLine, OnlineModemDeafToEscapeGivesCode7) {
    opt.startOnline = true;
    opt.ignoreEscape = true;
    g_ModemTimings.readyTimeoutMs = 400;  // nothing ever answers
    Start();
    EXPECT_EQ(ModemReady(port, nullptr), kModemAbsent);
}

// A command with no reply times out with code 9; the wait sleeps instead of spinning.
TEST_F(ModemLine, CommandTimeoutDoesNotSpin) {
    opt.silent = true;
    Start();
    char reply[kModemReplySize];
    std::clock_t c0 = std::clock();
    auto t0 = Clock::now();
    EXPECT_EQ(ModemCommand(port, "AT\r", reply, 300, nullptr, nullptr), kModemTimeout);
    long wall = MsSince(t0);
    double cpuMs = double(std::clock() - c0) * 1000.0 / CLOCKS_PER_SEC;
    EXPECT_GE(wall, 300);
    EXPECT_LT(wall, 2000);
    EXPECT_LT(cpuMs, wall * 0.5);
}

// The modem is switched off while the dial waits for CONNECT: the wait ends at once with the
// command's failure (no reply), no further attempt is made, and the wait has not burnt the
// CPU. On the dead line the readiness check finds no modem at once.
TEST_F(ModemLine, ModemSwitchedOffEndsTheWait) {
    opt.dial = ctlsim::DialOutcome::PowerOff;
    opt.dialDelayMs = 200;
    Start();
    const long cpu0 = ThreadCpuMs();
    auto t0 = Clock::now();
    EXPECT_EQ(Dial("77", "", 3, 5), kModemTimeout);
    const long wall = MsSince(t0);
    const long cpu = ThreadCpuMs() - cpu0;
    EXPECT_LT(wall, 2500);  // far below the dial's wait of 5 s
    EXPECT_LT(cpu, 300);
    EXPECT_EQ(CountDials(), 1);

    t0 = Clock::now();
    EXPECT_EQ(ModemReady(port, nullptr), kModemAbsent);
    EXPECT_LT(MsSince(t0), 1000);  // far below the wait for a reply
}

// The controller takes a write only from a registered user of its table 4: a wrong code is
// refused with error 34, the right password and code are accepted, here through the modem.
TEST_F(ModemLine, ControllerChecksWriterAgainstUsersTable) {
    ctlsim::RequireRegisteredWriter(sim);
    std::vector<uint8_t> user(22, ' ');
    std::memcpy(user.data(), "ADM1", 4);
    user[4] = 2;
    user[5] = 0;
    std::memcpy(user.data() + 6, "secret      ", 12);
    std::memcpy(user.data() + 18, "1234", 4);
    sim.SetTableBytes(4, 22 * 3, user);
    Start();
    ASSERT_EQ(Dial(), kModemOk);

    hgcbox box(5);
    box.LinkKind = 1;
    box.PortHandle = port;
    box.DoClosePort = 0;
    box.ReplyMs = 5000;
    box.InterByteMs = 50;
    box.Tries = 1;
    uint8_t body[3 + 20];
    body[0] = 5, body[1] = 0, body[2] = 1;
    std::memcpy(body + 3, "NEW NAME            ", 20);

    std::memcpy(box.Password, "secret      ", 12);
    std::memcpy(box.IdCode, "1235", 4);
    EXPECT_FALSE(box.Request(2, body, sizeof body, 0));
    EXPECT_EQ(box.Result, uint32_t(kResultNegative));
    EXPECT_NE(std::string(box.ResultText()).find(kNotRegistered), std::string::npos) << box.ResultText();
    EXPECT_EQ(sim.TableBytes(5)[0], 'C');  // unchanged

    std::memcpy(box.Password, "secreT      ", 12);
    std::memcpy(box.IdCode, "1234", 4);
    EXPECT_FALSE(box.Request(2, body, sizeof body, 0));
    EXPECT_EQ(box.Result, uint32_t(kResultNegative));
    EXPECT_NE(std::string(box.ResultText()).find(kNotRegistered), std::string::npos) << box.ResultText();

    std::memcpy(box.Password, "secret      ", 12);
    ASSERT_TRUE(box.Request(2, body, sizeof body, 0)) << box.ResultText();
    EXPECT_EQ(sim.TableBytes(5)[0], 'N');

    // A free entry (level 0) with the same password and code does not register anyone.
    user[4] = 0;
    sim.SetTableBytes(4, 22 * 3, user);
    EXPECT_FALSE(box.Request(2, body, sizeof body, 0));
    EXPECT_EQ(box.Result, uint32_t(kResultNegative));
    EXPECT_NE(std::string(box.ResultText()).find(kNotRegistered), std::string::npos) << box.ResultText();
}
