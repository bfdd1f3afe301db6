// Long archive and log reads over a serial line whose controller now and then answers just
// too late: the engine gives up on the reply, sends the request again, and the late reply
// and the reply to the repeat both arrive. Every record must be kept exactly once - on a
// direct line and through a modem.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/dtfun.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/stringi.h"
#include "ctlsim/archive.h"
#include "ctlsim/ctlsim.h"
#include "ctlsim/logs.h"
#include "ctlsim/modem.h"
#include "data/archread.h"
#include "data/logread.h"
#include "link/comportfunctions.h"
#include "link/connectmodem.h"
#include "link/hgcbox.h"
#include "link/tabledir.h"
#include "support/joined.h"
#include "support/tempdir.h"

using Bytes = std::vector<uint8_t>;
using ctlsim::SimArchive;

namespace {

class NullBar : public qvr::IStatusBar {
public:
    void SetPanelText(int, const std::string&) override {}
    std::string PanelText(int) const override { return ""; }
};

class NullProgress : public qvr::IProgress {
public:
    void SetMax(int) override {}
    void SetPosition(int) override {}
};

constexpr int kCtlCom = 74;
constexpr int kModemCom = 75;

class LateReply : public ::testing::Test {
protected:
    void SetUp() override {
        qvr::InitStringTable();
        ctlPath = sim.StartPty();
        ASSERT_FALSE(ctlPath.empty());
        savedDir = g_ProgDir;
        g_ProgDir = dir.dir();
        qvr::g_ArchiveEndPauseMs = 0;
        std::memset(g_TableMemory, 0, kTableMemorySize);
        *FieldPtr(14, 6) = 9;
        qvr::ClearQuesRecord();
        sim.SetTableBytes(6, 6, {10});  // contract hour 10
        arch.SetClock(CtlDateTime(26, 3, 20, 12, 0, 10));
        ui.statusBar = &bar;
        ui.openWait = [this](int) -> qvr::IProgress* { return &progress; };
        ui.closeWait = [] {};
        ui.startMessageTimer = [] {};
    }
    void TearDown() override {
        g_Hgc = nullptr;
        if (box && box->PortHandle >= 0) CloseComPort(box->PortHandle);
        modem.Stop();
        sim.Stop();
        g_ProgDir = savedDir;
        qvr::g_ArchiveEndPauseMs = 500;
        qvr::ClearQuesRecord();
        if (modemStarted) g_ModemTimings = savedTimings;
    }
    void MakeEngine(uint8_t linkKind, int port) {
        box = std::make_unique<hgcbox>(5);
        box->LinkKind = linkKind;
        box->Baud = 115200;
        box->DoClosePort = 0;
        box->PortHandle = port;
        box->ReplyMs = 2000;
        box->InterByteMs = 40;
        box->Tries = 2;
        g_Hgc = box.get();
    }
    void DirectLine() {
        setenv(("QVR_COM" + std::to_string(kCtlCom)).c_str(), ctlPath.c_str(), 1);
        const int port = OpenComPort(kCtlCom, 115200, 8, 0, 0, 1000, 1000, 1, 0);
        ASSERT_GE(port, 0);
        SetPortTimeouts(port, kMaxDword, 0, 0);
        MakeEngine(0, port);
    }
    void ModemLine() {
        savedTimings = g_ModemTimings;
        modemStarted = true;
        g_ModemTimings.readyTimeoutMs = 3000;  // a modem answers at once: only a fault waits
        g_ModemTimings.guardMs = 120;
        g_ModemTimings.gsmLineTimeoutMs = 3000;
        g_ModemTimings.dialLeadMs = 10;
        g_ModemTimings.initPauseMs = 5;
        g_ModemTimings.connectedPauseMs = 5;
        ctlsim::ModemOptions opt;
        opt.guardMs = 60;
        modem.SetOptions(opt);
        const std::string path = modem.Start(ctlPath);
        ASSERT_FALSE(path.empty());
        setenv(("QVR_COM" + std::to_string(kModemCom)).c_str(), path.c_str(), 1);
        const int port = OpenComPort(kModemCom, 115200, 8, 0, 0, 1000, 1000, 1, 0);
        ASSERT_GE(port, 0);
        ASSERT_EQ(ModemDial(port, "123", "", nullptr, nullptr, 1, 5), kModemOk);
        SetPortTimeouts(port, kMaxDword, 0, 0);
        MakeEngine(1, port);
    }
    // Every reply a few milliseconds after the request, as a controller answers; every
    // `every`-th one half a wait (a whole second) past the try's time, which is as long
    // before the repeat's time runs out: it is the repeat's answer, the reply to the repeat
    // comes late.
    void LateEvery(int every) {
        ctlsim::Faults f;
        f.firstByteDelayMs = 3;
        f.lateEvery = every;
        f.lateMs = int(box->ReplyMs) * 3 / 2;
        sim.SetFaults(f);
    }
    // An hourly chromatograph read (2 records a block) and a diagnostic log read by index
    // (11 a block), each of some 30 blocks.
    void ReadAndCheck() {
        arch.Generate(SimArchive::ChromHour, CtlDateTime(26, 3, 17, 0, 0, 0), CtlDateTime(26, 3, 19, 23, 0, 0));
        qvr::ArchiveData data;
        ASSERT_TRUE(qvr::ReadArchivePeriod(qvr::DataKind::ChromHour, CtlDateTime(26, 3, 17, 0, 0, 0),
                                           CtlDateTime(26, 3, 19, 11, 0, 0), ui, data));
        const auto hours = arch.Records(SimArchive::ChromHour);
        const Bytes want = Joined(std::vector<Bytes>(hours.begin(), hours.begin() + 60));
        EXPECT_EQ(data.records.size(), want.size());
        EXPECT_TRUE(data.records == want) << "archive records doubled or lost";
        EXPECT_TRUE(qvr::ShownQues().empty());

        std::vector<Bytes> diag;
        for (int i = 0; i < 330; ++i) {
            CtlDateTime t(26, 3, uint8_t(10 + i / 60), 8, uint8_t(i % 60), 0);
            diag.push_back(ctlsim::MakeDiagRecord(t, uint8_t(10 + i % 50), uint32_t(i)));
        }
        logs.SetRecords(0, 1001, diag);
        qvr::LogData log;
        ASSERT_TRUE(qvr::ReadLogByIndex(0, 1001, 330, ui, log));
        EXPECT_EQ(log.rows.size(), Joined(diag).size());
        EXPECT_TRUE(log.rows == Joined(diag)) << "log records doubled or lost";
        EXPECT_TRUE(qvr::ShownQues().empty());
    }

    ctlsim::CtlSim sim{5};
    ctlsim::ArchiveSim arch{sim};
    ctlsim::LogSim logs{sim};
    ctlsim::HayesModem modem;
    std::string ctlPath;
    std::unique_ptr<hgcbox> box;
    TempDir dir;
    std::string savedDir;
    ModemTimings savedTimings;
    bool modemStarted = false;
    NullBar bar;
    NullProgress progress;
    qvr::ReadUi ui;
};

}  // namespace

TEST_F(LateReply, DirectLineKeepsEveryRecordOnce) {
    DirectLine();
    LateEvery(12);
    ReadAndCheck();
    EXPECT_GE(sim.Requests().size(), 64u) << "late replies, each followed by a repeated request";
}

TEST_F(LateReply, ModemLinkKeepsEveryRecordOnce) {
    ModemLine();
    LateEvery(12);
    ReadAndCheck();
    EXPECT_GE(sim.Requests().size(), 64u) << "late replies, each followed by a repeated request";
}
