// Clock correction: the seconds computed from the two clocks, and the function-12 exchange
// with the simulated controller (frame bytes, the simulated clock moved, status texts).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/question.h"
#include "ctlsim/access.h"
#include "ctlsim/clock.h"
#include "params/clock.h"
#include "ui/simlink.h"

namespace {

CtlDateTime T(int h, int m, int s, int d = 7) { return CtlDateTime(26, 12, uint8_t(d), uint8_t(h), uint8_t(m), uint8_t(s)); }

class Bar : public qvr::IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override {
        log.push_back(std::to_string(panel) + ":" + text);
    }
    std::string PanelText(int) const override { return log.empty() ? "" : log.back(); }
    void Repaint() override { ++repaints; }
    std::vector<std::string> log;
    int repaints = 0;
};

}  // namespace

TEST(ClockCorrection, NeverLeavesTheControllersHour) {
    // Controller behind across the hour: only up to the start of its next hour.
    EXPECT_EQ(qvr::ClockCorrectionSeconds(T(10, 59, 50), T(11, 0, 20)), 10);
    // Controller ahead across the hour: back to the start of its current hour.
    EXPECT_EQ(qvr::ClockCorrectionSeconds(T(11, 0, 20), T(10, 59, 50)), -20);
    // Same hour: the plain difference, either way.
    EXPECT_EQ(qvr::ClockCorrectionSeconds(T(10, 15, 0), T(10, 17, 30)), 150);
    EXPECT_EQ(qvr::ClockCorrectionSeconds(T(10, 17, 30), T(10, 15, 0)), -150);
    EXPECT_EQ(qvr::ClockCorrectionSeconds(T(10, 15, 0), T(10, 15, 0)), 0);
    // Same hour on another day counts as another hour.
    EXPECT_EQ(qvr::ClockCorrectionSeconds(T(10, 30, 0, 6), T(10, 31, 0, 7)), 29 * 60 + 60);
    EXPECT_EQ(qvr::ClockCorrectionSeconds(T(10, 30, 5, 8), T(10, 31, 0, 7)), -(30 * 60 + 5));
    // Controller at the very start of an hour, PC hours later: a full hour.
    EXPECT_EQ(qvr::ClockCorrectionSeconds(T(8, 0, 0), T(13, 0, 0)), 3600);
}

class ClockExchange : public ::testing::Test {
protected:
    void SetUp() override {
        qvr::ClearQuesRecord();
        ASSERT_FALSE(link.path.empty());
        ctlsim::InstallClockHandler(link.sim);
        const CtlDateTime t = T(10, 59, 50);
        link.sim.SetTableBytes(2, 0, {t.year, t.month, t.day, t.hour, t.minute, t.second, 1, 0x80});
        ASSERT_TRUE(link.Attach(4));
        std::memcpy(link.box()->Password, "secret pass ", 12);
        std::memcpy(link.box()->IdCode, "0042", 4);
    }
    void TearDown() override { qvr::ClearQuesRecord(); }
    SimLink link{4, 63};
    Bar bar;
};

TEST_F(ClockExchange, SendsTheSecondsLowByteFirstAndTheClockMoves) {
    link.sim.ClearLog();
    EXPECT_TRUE(qvr::SendClockCorrection(10, &bar));
    auto frames = link.sim.Requests();
    ASSERT_EQ(frames.size(), 1u);
    const auto& f = frames[0];
    ASSERT_EQ(f.size(), 24u);
    EXPECT_EQ(f[3], 12);
    EXPECT_EQ(std::string(f.begin() + 4, f.begin() + 16), "secret pass ");
    EXPECT_EQ(std::string(f.begin() + 16, f.begin() + 20), "0042");
    EXPECT_EQ(f[20], 10);
    EXPECT_EQ(f[21], 0);
    // 07.12.2026 10:59:50 + 10 s = 11:00:00, a Monday (weekday 2).
    EXPECT_EQ(link.sim.TableBytes(2), (std::vector<uint8_t>{26, 12, 7, 11, 0, 0, 2, 0x80}));
    ASSERT_GE(bar.log.size(), 2u);
    EXPECT_EQ(bar.log.front(), "2:");
    EXPECT_EQ(bar.log.back(), "2:Корректировка времени выполнена");
    EXPECT_GE(bar.repaints, 1);
    EXPECT_TRUE(qvr::ShownQues().empty());

    // A negative value goes out as its two's complement: -20 = 0xFFEC.
    link.sim.ClearLog();
    EXPECT_TRUE(qvr::SendClockCorrection(-20, &bar));
    frames = link.sim.Requests();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][20], 0xEC);
    EXPECT_EQ(frames[0][21], 0xFF);
    EXPECT_EQ(link.sim.TableBytes(2), (std::vector<uint8_t>{26, 12, 7, 10, 59, 40, 2, 0x80}));
}

TEST_F(ClockExchange, RefusalShowsTheResultAndANotice) {
    ctlsim::InstallClockHandler(link.sim, true);  // the writer must be a registered user: nobody is
    EXPECT_FALSE(qvr::SendClockCorrection(10, &bar));
    ASSERT_FALSE(bar.log.empty());
    EXPECT_EQ(bar.log.back().rfind("2:Команда 12.  ", 0), 0u) << bar.log.back();
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, qvr::kQuesNotice);
    EXPECT_EQ(shown[0].text1, "Корректировка времени не выполнена");
    EXPECT_EQ(shown[0].text2, "");
    // The clock did not move.
    EXPECT_EQ(link.sim.TableBytes(2)[5], 50);
}

TEST(ClockExchangeNoEngine, NothingSentNoticeShown) {
    qvr::ClearQuesRecord();
    hgcbox* saved = g_Hgc;
    g_Hgc = nullptr;
    EXPECT_FALSE(qvr::SendClockCorrection(5, nullptr));
    g_Hgc = saved;
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text1, "Корректировка времени не выполнена");
    qvr::ClearQuesRecord();
}
