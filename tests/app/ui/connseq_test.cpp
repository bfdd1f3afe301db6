// The whole program window against the simulated controller: the start timer opens the
// connection form, the test fills the modal forms as a user would, and the outcome is read
// from the window (status panels, menus, modem-call panel), the settings file and the
// simulator (requests received, tables held). Links: TCP on the loopback, a direct line on
// a pseudo-terminal, and a simulated modem on a pseudo-terminal in front of the controller.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/rd_wr_ini.h"
#include "app/ui/formconnect.h"
#include "app/ui/formmain.h"
#include "common/codepage.h"
#include "common/doswin.h"
#include "common/dtfun.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/inifile.h"
#include "common/question.h"
#include "ctlsim/access.h"
#include "ctlsim/ctlsim.h"
#include "ctlsim/demo.h"
#include "ctlsim/modem.h"
#include "ctlsim/tablestate.h"
#include "link/conffun.h"
#include "link/connectmodem.h"
#include "link/hgcbox.h"
#include "link/tabledir.h"
#include "params/configfile.h"
#include "params/ui/cnfcommands.h"
#include "params/ui/formaccess.h"
#include "params/ui/formtableinfo.h"
#include "params/ui/formuspass.h"
#include "support/tempdir.h"
#include "support/timing.h"

namespace {

constexpr int kDirCom = 91;
constexpr int kModemCom = 92;
constexpr uint8_t kSimAddress = 9;
constexpr uint32_t kLoopback = 0x7F000001;
constexpr int kModemGuardMs = 60;
const char* const kDemoName = "КВР-370 ДЕМО";

using Req = std::array<int, 4>;  // function, table, first field, count

// Processes window messages until pred holds; false when timeoutMs passed first.
bool RunUntil(const std::function<bool()>& pred, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (Clock::now() > deadline) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// Acts on the program's modal forms in the order given, as a user would, and records the
// class of every modal form that came up. Past its deadline it closes whatever modal form
// is up, so that a test whose sequence went astray fails instead of hanging.
class ModalScript {
public:
    explicit ModalScript(int timeoutMs = 20000) : deadline_(Clock::now() + std::chrono::milliseconds(timeoutMs)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(5);
    }

    template <class Form>
    ModalScript& Then(std::function<void(Form&)> act) {
        steps_.push_back({Form::staticMetaObject.className(), [act](QWidget* w) { act(*static_cast<Form*>(w)); }});
        return *this;
    }
    // Acts on every form of the named class whenever one comes up, outside the order.
    ModalScript& Always(const std::string& cls, std::function<void(QWidget*)> act) {
        always_.push_back({cls, std::move(act)});
        return *this;
    }
    bool Done() const { return next_ >= steps_.size(); }
    bool TimedOut() const { return timedOut_; }
    int Count(const std::string& cls) const {
        int n = 0;
        for (const std::string& s : seen)
            if (s == cls) ++n;
        return n;
    }

    std::vector<std::string> seen;

private:
    struct Step {
        std::string cls;
        std::function<void(QWidget*)> act;
    };

    void Poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (w && Clock::now() > deadline_) {
            timedOut_ = true;
            if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
            else w->close();
            return;
        }
        if (w == current_) return;
        current_ = w;
        if (!w) return;
        const std::string cls = w->metaObject()->className();
        if (!w->property("scriptSeen").toBool()) {
            w->setProperty("scriptSeen", true);
            seen.push_back(cls);
        }
        std::function<void(QWidget*)> act;
        for (const Step& a : always_)
            if (a.cls == cls) act = a.act;
        if (!act && next_ < steps_.size() && steps_[next_].cls == cls) act = steps_[next_++].act;
        if (act) {
            QPointer<QWidget> p(w);
            // Run outside this poll: the action may open a nested modal form.
            QTimer::singleShot(0, w, [act, p] {
                if (p) act(p);
            });
        }
    }

    QTimer timer_;
    Clock::time_point deadline_;
    std::vector<Step> steps_;
    std::vector<Step> always_;
    size_t next_ = 0;
    QPointer<QWidget> current_;
    bool timedOut_ = false;
};

void ClickConnect(TFormConnect& f) { f.BitBtn1->click(); }
void LeaveConnect(TFormConnect& f) { f.BitBtn2->click(); }
void IdentifyDemoUser(TFormShortUsPass& f) {
    f.Edit1->setText(QString::fromLatin1(ctlsim::kDemoUserCode));
    f.Edit2->setText(QString::fromLatin1(ctlsim::kDemoUserPassword));
    f.BitBtn1->click();
}

// The first lines of the boxes shown, for failure messages.
std::string Lines1(const std::vector<qvr::QuesBox>& boxes) {
    std::string out;
    for (const qvr::QuesBox& b : boxes) out += b.text1 + " | ";
    return out;
}

class ConnSeq : public ::testing::Test {
protected:
    void SetUp() override {
        savedTimings_ = g_ModemTimings;
        // The modem answers every command here: its replies are awaited for seconds.
        g_ModemTimings.readyTimeoutMs = 2000;
        g_ModemTimings.guardMs = 2 * kModemGuardMs;
        g_ModemTimings.gsmLineTimeoutMs = 2000;
        g_ModemTimings.dialLeadMs = 10;
        g_ModemTimings.initPauseMs = 5;
        g_ModemTimings.connectedPauseMs = 5;
        g_ModemTimings.hangUpGuardMs = 2 * kModemGuardMs;
        g_ModemTimings.hangUpTimeoutMs = 2000;
        savedPause_ = g_ConfigEndPauseMs;
        g_ConfigEndPauseMs = 0;
        g_Connected = 0;
        g_MoisturePresent = 0;
        g_RestoreAndDisconnect = 0;
        qvr::ClearQuesRecord();
        DefaultSettings(0);
    }
    void TearDown() override {
        form.reset();
        qvr::SetQuesHandler(nullptr);
        qvr::SetCnfDialogHook(nullptr);
        qvr::ClearQuesRecord();
        modem.Stop();
        sim.Stop();
        unsetenv(("QVR_COM" + std::to_string(kDirCom)).c_str());
        unsetenv(("QVR_COM" + std::to_string(kModemCom)).c_str());
        g_ModemTimings = savedTimings_;
        g_ConfigEndPauseMs = savedPause_;
        g_Connected = 0;
    }

    // Settings as a user would have left them, with short waits.
    void DefaultSettings(uint8_t kind) {
        ConnSettings = ConnSettingsRecord{};
        ConnSettingsRecord& s = ConnSettings;
        s.Conn_Prz = kind;
        s.Free_Port_Wait = 1;
        s.Form_Width = 760;  // a window the screen of the tests holds whole
        s.Form_Height = 560;
        s.Dir = DefaultLinkParams(0);
        s.Dir.COMPort = kDirCom;
        s.Dir.Rate = 115200;
        s.Dir.Adr = kSimAddress;
        s.Dir.WaitTime = 1;
        s.Dir.Repeat = 1;
        s.Fon = DefaultLinkParams(1);
        s.Fon.COMPort = kModemCom;
        s.Fon.Rate = 115200;
        s.Fon.WaitTime = 1;
        s.Fon.Repeat = 1;
        s.Fon_ConnectWaitTime = 2;
        s.Fon_Conn_Repeat = 1;
        s.Ethr = DefaultLinkParams(2);
        s.Ethr.WaitTime = 1;
        s.Ethr.Repeat = 1;
        s.Ethr_ConnectWaitTime = 2;
        s.Ethr_Conn_Repeat = 1;
    }
    void AddEth(const char* name, int port, uint8_t adr) {
        EthSubscriberList& l = ConnSettings.EthrList;
        EthernetSubscriber& e = l.entries[l.head.users_num];
        std::snprintf(e.user_name, sizeof e.user_name, "%s", qvr::Win(name).c_str());
        e.contr_adr = adr;
        e.ip_adr = kLoopback;
        e.port = uint32_t(port);
        l.head.user_index = l.head.users_num++;
    }
    void AddPhone(const char* name, const char* phone, uint8_t adr) {
        PhoneSubscriberList& l = ConnSettings.FonList;
        PhoneSubscriber& e = l.entries[l.head.users_num];
        std::snprintf(e.user_name, sizeof e.user_name, "%s", qvr::Win(name).c_str());
        std::snprintf(e.phone_code, sizeof e.phone_code, "%s", phone);
        e.contr_adr = adr;
        l.head.user_index = l.head.users_num++;
    }
    std::string Ini() const { return dir.dir() + "INI/"; }

    // The simulator on a pseudo-terminal as COM kDirCom.
    void StartDirect() {
        const std::string path = sim.StartPty();
        ASSERT_FALSE(path.empty());
        setenv(("QVR_COM" + std::to_string(kDirCom)).c_str(), path.c_str(), 1);
    }
    // The modem as COM kModemCom, the simulator on the line behind it.
    void StartModem() {
        const std::string line = sim.StartPty();
        ASSERT_FALSE(line.empty());
        ctlsim::ModemOptions opt;
        opt.guardMs = kModemGuardMs;
        modem.SetOptions(opt);
        const std::string path = modem.Start(line);
        ASSERT_FALSE(path.empty());
        setenv(("QVR_COM" + std::to_string(kModemCom)).c_str(), path.c_str(), 1);
    }

    // Writes the settings files, then creates and shows the main window; its start timer
    // runs the first attempt. Every message box is recorded and answered from the queue
    // (questions) or with 0.
    void StartProgram() {
        ASSERT_TRUE(qvr::MakeDir(dir.dir() + "INI"));
        ConnSettingsSaved = ConnSettingsRecord{};
        ConnSettingsSaved.Conn_Prz = 0xEE;  // every section differs: all are written
        ConnSettingsSaved.Dir.Adr = ConnSettingsSaved.Fon.Adr = ConnSettingsSaved.Ethr.Adr = 0xEE;
        PhoneListSaved = PhoneSubscriberList{};
        EthListSaved = EthSubscriberList{};
        ASSERT_TRUE(WriteConnSettings(Ini() + "qvr.ini"));
        ASSERT_TRUE(WritePhoneSubscribers(Ini() + "fon_abonents.ini"));
        ASSERT_TRUE(WriteEthSubscribers(Ini() + "ethr_abonents.ini"));
        form = std::make_unique<TFormMain>(dir.dir());
        g_Hgc->TcpSendDelayMs = 0;
        qvr::SetQuesHandler([](const qvr::QuesBox&) -> uint8_t { return 0; });
        // Connected after the window's own handler: counts ticks that have run to their end.
        QObject::connect(form->TimerStart, &QTimer::timeout, [this] { ++ticks; });
        form->show();
    }
    bool WaitTicks(int n, int timeoutMs = 20000) {
        return RunUntil([&] { return ticks >= n; }, timeoutMs);
    }

    // Reads and writes the simulator received, in order.
    std::vector<Req> Requests() {
        std::vector<Req> out;
        for (const std::vector<uint8_t>& f : sim.Requests()) {
            if (f.size() > 7 && f[3] == 1) out.push_back({1, f[5], f[6], f[7]});
            if (f.size() > 23 && f[3] == 2) out.push_back({2, f[21], f[22], f[23]});
        }
        return out;
    }
    bool Visible(const char* name) {
        QAction* a = form->MenuItem(QString::fromUtf8(name));
        EXPECT_NE(a, nullptr) << name;
        return a && a->isVisible();
    }
    void ExpectConnectedMenus(bool moisture) {
        for (const char* v : {"N1", "Nrdcnf", "NWorkPar", "NData", "NContrDt", "NSit", "NFun", "N_ChromData",
                              "NChrom_MomData", "NChrom_ReadHour", "NAudInd", "NAlaPer", "Nexcreport", "Nconnect",
                              "Nvers"})
            EXPECT_TRUE(Visible(v)) << v;
        for (const char* h : {"NRep", "NFormate", "NChrom_MeanData", "NWmt_MeanData"}) EXPECT_FALSE(Visible(h)) << h;
        EXPECT_EQ(Visible("NConnWMT"), moisture);
        EXPECT_EQ(Visible("NWmt_Data"), moisture);
        if (moisture) {
            EXPECT_TRUE(Visible("NWmt_ReadDay"));
        }
    }
    void ExpectDisconnected() {
        EXPECT_EQ(g_Connected, 0);
        ASSERT_NE(g_Hgc, nullptr);
        EXPECT_EQ(g_Hgc->PortHandle, -1);
        EXPECT_EQ(g_Hgc->Socket, -1);
        for (const char* v : {"N1", "NExit", "NData", "NChrom_View5min", "NAudPrn", "Nconnect", "Nvers"})
            EXPECT_TRUE(Visible(v)) << v;
        for (const char* h : {"Nrdcnf", "NWorkPar", "NContrDt", "NSit", "NChrom_MomData", "NChrom_ReadDay",
                              "NAudInd", "Nexcreport", "NRep"})
            EXPECT_FALSE(Visible(h)) << h;
        EXPECT_EQ(form->StatusBar1->PanelText(0), "");
        EXPECT_EQ(form->StatusBar1->PanelText(1), "");
        EXPECT_FALSE(form->pnmodem->isVisible());
    }
    static std::vector<Req> ConnectReads(bool moisture) {
        std::vector<Req> r = {{1, 0, 0, 18}, {1, 5, 0, 1}, {1, 6, 0, 10}, {1, 14, 6, 1}};
        if (moisture) r.push_back({1, 15, 6, 1});
        return r;
    }

    TempDir dir;
    ctlsim::CtlSim sim{kSimAddress};
    ctlsim::HayesModem modem;
    std::unique_ptr<TFormMain> form;
    int ticks = 0;

private:
    ModemTimings savedTimings_;
    int savedPause_ = 500;
};

// ------------------------------------------------------------ one test per link kind

TEST_F(ConnSeq, TcpLinkConnectsIdentifiesReadsAndDisconnects) {
    ctlsim::FillDemoController(sim, true);
    const int port = sim.StartTcp();
    ASSERT_GT(port, 0);
    DefaultSettings(2);
    AddEth("Демо", port, kSimAddress);
    ModalScript script;
    script.Then<TFormConnect>(ClickConnect).Then<TFormShortUsPass>(IdentifyDemoUser);
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    ASSERT_FALSE(script.TimedOut());
    EXPECT_EQ(script.seen, (std::vector<std::string>{"TFormConnect", "TFormShortUsPass"}));
    EXPECT_TRUE(qvr::ShownQues().empty()) << Lines1(qvr::ShownQues());
    EXPECT_EQ(g_Connected, 1);
    EXPECT_GE(g_Hgc->Socket, 0);
    EXPECT_EQ(g_Hgc->LinkKind, 2);
    EXPECT_EQ(std::string(g_Hgc->IdCode, 4), "1111");
    EXPECT_EQ(std::string(g_Hgc->Password, 12), "111111      ");
    EXPECT_EQ(Requests(), ConnectReads(true));
    EXPECT_EQ(g_MoisturePresent, 1);
    EXPECT_EQ(form->StatusBar1->PanelText(1), kDemoName);
    EXPECT_EQ(form->StatusBar2->PanelText(0), " Демо (IP-адр. 127.0.0.1)");
    EXPECT_FALSE(form->StatusBar2->isHidden());
    ExpectConnectedMenus(true);
    // The chosen link was stored at once.
    EXPECT_EQ(qvr::IniFile(Ini() + "qvr.ini").ReadInteger("CURR_PAR", "Conn_Prz", -1), 2);

    // "Связь с другим устройством", then "Выход" in the connection form: the old link is
    // closed first, and the window is left without a connection.
    ModalScript again;
    again.Then<TFormConnect>(LeaveConnect);
    form->MenuItem("Nconnect")->trigger();
    ASSERT_TRUE(WaitTicks(2));
    EXPECT_TRUE(again.Done());
    ExpectDisconnected();
}

TEST_F(ConnSeq, DirectLineWithoutMoistureAnalyser) {
    ctlsim::FillDemoController(sim, false);
    StartDirect();
    ModalScript script;
    script.Then<TFormConnect>(ClickConnect).Then<TFormShortUsPass>(IdentifyDemoUser);
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    ASSERT_FALSE(script.TimedOut());
    EXPECT_EQ(script.seen, (std::vector<std::string>{"TFormConnect", "TFormShortUsPass"}));
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_EQ(g_Connected, 1);
    EXPECT_GE(g_Hgc->PortHandle, 0);
    // Version 13 without a destroyed table: no table 7, no state form; no table 15 without
    // a moisture analyser.
    EXPECT_EQ(Requests(), ConnectReads(false));
    EXPECT_EQ(g_MoisturePresent, 0);
    EXPECT_EQ(form->StatusBar1->PanelText(0), " COM91,   115200 бит/с");
    // The window keeps the size of the settings whatever the panels show.
    EXPECT_EQ(form->width(), 760);
    EXPECT_EQ(form->StatusBar1->PanelWidth(3), 50);
    EXPECT_EQ(form->StatusBar1->PanelText(1), kDemoName);
    ExpectConnectedMenus(false);

    ModalScript again;
    again.Then<TFormConnect>(LeaveConnect);
    form->NconnectClick();
    ASSERT_TRUE(WaitTicks(2));
    ExpectDisconnected();
}

TEST_F(ConnSeq, ModemCallConnectsShowsTheCallPanelAndHangsUpOnDisconnect) {
    ctlsim::FillDemoController(sim, true);
    StartModem();
    DefaultSettings(1);
    AddPhone("Котельная", "5551234", kSimAddress);
    ModalScript script;
    script.Then<TFormConnect>(ClickConnect).Then<TFormShortUsPass>(IdentifyDemoUser);
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    ASSERT_FALSE(script.TimedOut());
    // On a modem link the user is identified before the call.
    EXPECT_EQ(script.seen, (std::vector<std::string>{"TFormConnect", "TFormShortUsPass"}));
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_EQ(modem.LastDialled(), "5551234");
    EXPECT_TRUE(modem.Online());
    EXPECT_EQ(form->ModemCallUp, 1);
    EXPECT_EQ(g_Connected, 1);
    EXPECT_EQ(Requests(), ConnectReads(true));
    EXPECT_EQ(form->StatusBar1->PanelText(1), kDemoName);
    ExpectConnectedMenus(true);
    EXPECT_TRUE(form->pnmodem->isVisible());
    EXPECT_TRUE(form->TimerMoney->isActive());
    EXPECT_TRUE(form->pntime->text().startsWith(QStringLiteral("00:00:0")));
    EXPECT_EQ(form->StatusBar3->PanelText(0), "");

    // "Отключить связь": the modem hangs up, the port closes, the menus shrink.
    form->BitBtn3->click();
    EXPECT_EQ(modem.HangUps(), 1);
    EXPECT_FALSE(modem.Connected());
    EXPECT_EQ(form->ModemCallUp, 0);
    EXPECT_FALSE(form->TimerMoney->isActive());
    ExpectDisconnected();
}

TEST_F(ConnSeq, ClosingTheWindowDuringAModemCallHangsUpBeforeThePortCloses) {
    ctlsim::FillDemoController(sim, true);
    StartModem();
    DefaultSettings(1);
    AddPhone("Котельная", "5551234", kSimAddress);
    ModalScript script;
    script.Then<TFormConnect>(ClickConnect).Then<TFormShortUsPass>(IdentifyDemoUser);
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    ASSERT_EQ(form->ModemCallUp, 1);
    ASSERT_TRUE(modem.Connected());
    form->close();
    // The hang-up went out through the port, so the port was still open.
    EXPECT_EQ(modem.HangUps(), 1);
    EXPECT_FALSE(modem.Connected());
    EXPECT_EQ(g_Hgc, nullptr);
}

TEST_F(ConnSeq, ModemCallIsRetriedOnlyOnYes) {
    ctlsim::FillDemoController(sim, true);
    StartModem();
    ctlsim::ModemOptions busy;
    busy.guardMs = kModemGuardMs;
    busy.dial = ctlsim::DialOutcome::Busy;
    modem.SetOptions(busy);
    DefaultSettings(1);
    ConnSettings.Fon_Conn_Repeat = 2;  // two dials inside one try
    AddPhone("Котельная", "5551234", kSimAddress);
    ModalScript script;
    script.Then<TFormConnect>(ClickConnect).Then<TFormShortUsPass>(IdentifyDemoUser);
    qvr::QueueQuesAnswers({1, 0});  // once more, then give up
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    int dials = 0;
    for (const std::string& c : modem.Commands())
        if (c.rfind("ATD", 0) == 0) ++dials;
    EXPECT_EQ(dials, 4);
    const auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text1, ModemResultTexts[kModemBusy]);
    EXPECT_EQ(shown[0].text2, "Повторить попытку соединения?");
    EXPECT_EQ(form->ModemCallUp, 0);
    EXPECT_TRUE(sim.Requests().empty());
    ExpectDisconnected();
}

// ------------------------------------------------------------ identification refusals

TEST_F(ConnSeq, OtherControllerTypeAndOtherVersionAreRefusedAndTheLinkClosed) {
    ctlsim::FillDemoController(sim, true);
    sim.SetTableBytes(0, 1, {'X'});
    StartDirect();
    ModalScript script;
    script.Then<TFormConnect>(ClickConnect);
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, qvr::kQuesNotice);
    EXPECT_EQ(shown[0].text1, "Код типа подключенного контроллера  88");
    EXPECT_EQ(shown[0].text2, "Программа обслуживает контроллеры КВР");
    // Refused before the user is asked; nothing but the identification was read.
    EXPECT_EQ(script.seen, (std::vector<std::string>{"TFormConnect"}));
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 0, 0, 18}}));
    ExpectDisconnected();

    sim.SetTableBytes(0, 1, {'I'});
    ctlsim::SetSoftwareVersion(sim, 15);
    sim.ClearLog();
    qvr::ClearQuesRecord();
    ModalScript again;
    again.Then<TFormConnect>(ClickConnect);
    form->NconnectClick();
    ASSERT_TRUE(WaitTicks(2));
    shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text1, "Версия ПО подключенного контроллера 15");
    EXPECT_EQ(shown[0].text2, "Программа обслуживает контроллеры КВР только с версией ПО 13");
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 0, 0, 18}}));
    ExpectDisconnected();
}

TEST_F(ConnSeq, AddressFfIsLearntAndStoredInTheSettings) {
    ctlsim::FillDemoController(sim, true);
    StartDirect();
    ConnSettings.Dir.Adr = 0xFF;
    ModalScript script;
    script.Then<TFormConnect>([](TFormConnect& f) {
        EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("255"));
        f.BitBtn1->click();
    });
    script.Then<TFormShortUsPass>(IdentifyDemoUser);
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    EXPECT_EQ(g_Connected, 1);
    EXPECT_EQ(g_Hgc->Address, kSimAddress);
    EXPECT_EQ(ConnSettings.Dir.Adr, kSimAddress);

    // The next connection form shows the learnt address.
    QString shownAddress;
    ModalScript again;
    again.Then<TFormConnect>([&](TFormConnect& f) {
        shownAddress = f.ComboBox1->currentText();
        f.BitBtn2->click();
    });
    form->NconnectClick();
    ASSERT_TRUE(WaitTicks(2));
    EXPECT_EQ(shownAddress, QStringLiteral("9"));
    form->close();
    form.reset();
    EXPECT_EQ(qvr::IniFile(Ini() + "qvr.ini").ReadInteger("DIR_CONN_PAR", "Adr", -1), kSimAddress);
}

// ------------------------------------------------------------ table state

TEST_F(ConnSeq, Version14AlwaysShowsTheStateFormAndExitDisconnects) {
    ctlsim::FillDemoController(sim, true);
    ctlsim::SetSoftwareVersion(sim, 14);
    StartDirect();
    int rows = 0, destroyedRows = 0;
    ModalScript script;
    script.Then<TFormConnect>(ClickConnect).Then<TFormShortUsPass>(IdentifyDemoUser);
    script.Then<TFormTableInfo>([&](TFormTableInfo& f) {
        rows = f.RowCount();
        for (int k = 0; k < rows; ++k)
            if (f.pw[k]->text() == QStringLiteral("Да")) ++destroyedRows;
        f.BitBtn2->click();
    });
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    ASSERT_TRUE(script.Done());
    EXPECT_GT(rows, 10);
    EXPECT_EQ(destroyedRows, rows);  // every table destroyed, without reading table 7
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 0, 0, 18}}));
    ExpectDisconnected();
}

TEST_F(ConnSeq, Version13WithADestroyedTableReadsTable7AndStaysConnectedAfterExit) {
    ctlsim::FillDemoController(sim, true);
    ctlsim::SetDestroyedTables(sim, {21});
    StartDirect();
    QStringList destroyed;
    ModalScript script;
    script.Then<TFormConnect>(ClickConnect).Then<TFormShortUsPass>(IdentifyDemoUser);
    script.Then<TFormTableInfo>([&](TFormTableInfo& f) {
        for (int k = 0; k < f.RowCount(); ++k)
            if (f.pw[k]->text() == QStringLiteral("Да")) destroyed << f.pnCaption[k]->text();
        f.BitBtn2->click();
    });
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    ASSERT_TRUE(script.Done());
    ASSERT_EQ(destroyed.size(), 1);
    EXPECT_TRUE(destroyed[0].startsWith(QStringLiteral(" Табл. 21."))) << destroyed[0].toStdString();
    std::vector<Req> expect = {{1, 0, 0, 18}, {1, 7, 0, 38}};
    for (const Req& r : ConnectReads(true))
        if (r[1] != 0) expect.push_back(r);
    EXPECT_EQ(Requests(), expect);
    EXPECT_EQ(g_Connected, 1);
    ExpectConnectedMenus(true);
}

// The state form's outcome "only the clock". The form itself always marks the users table
// of a version-14 controller (every table counts as destroyed there, and its users mark
// follows the destroyed flag), so this outcome is set on the form directly.
void ChooseOnlyTheClock(TFormTableInfo& f) {
    std::memset(f.State->toWrite, 0, kTableCount);
    f.State->toWrite[2] = 1;
    f.Result = 1;
    f.accept();
}

TEST_F(ConnSeq, OnlyTheClockChosenAsksTheClockQuestionAfterReadingTable6) {
    ctlsim::FillDemoController(sim, true);
    ctlsim::SetSoftwareVersion(sim, 14);
    ctlsim::RequireRegisteredWriter(sim);  // the write carries the identified user
    StartDirect();
    ModalScript script;
    script.Then<TFormConnect>(ClickConnect).Then<TFormShortUsPass>(IdentifyDemoUser);
    script.Then<TFormTableInfo>(ChooseOnlyTheClock);
    qvr::QueueQuesAnswers({1});
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    ASSERT_TRUE(script.Done());
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u) << Lines1(shown);
    EXPECT_EQ(shown[0].kind, qvr::kQuesQuestion);
    EXPECT_EQ(shown[0].text1, "В контроллер будет записано время ЭВМ.");
    EXPECT_EQ(shown[0].text2, "Вы уверены, что часы ЭВМ показывают правильное время?");
    std::vector<Req> expect = {{1, 0, 0, 18}, {1, 6, 0, 10}, {2, 2, 0, 8}};
    for (const Req& r : ConnectReads(true))
        if (r[1] != 0) expect.push_back(r);
    EXPECT_EQ(Requests(), expect);
    // The controller's clock now holds the computer's date and time.
    CtlDateTime now;
    DateTimeToCtl(Now(), now);
    const std::vector<uint8_t> clock = sim.TableBytes(2);
    EXPECT_EQ(clock[0], now.year);
    EXPECT_EQ(clock[1], now.month);
    EXPECT_EQ(clock[2], now.day);
    EXPECT_LE(std::abs((clock[3] * 60 + clock[4]) - (now.hour * 60 + now.minute)), 1);
    EXPECT_EQ(clock[6], uint8_t(WeekDayOf(DateOf(now))));
    EXPECT_TRUE(clock[7] == 0 || clock[7] == 0x80);
    EXPECT_EQ(g_Connected, 1);
    ExpectConnectedMenus(true);

    // Answering No writes nothing and still completes the connection.
    sim.ClearLog();
    qvr::ClearQuesRecord();
    qvr::QueueQuesAnswers({0});
    ModalScript again;
    again.Then<TFormConnect>(ClickConnect).Then<TFormShortUsPass>(IdentifyDemoUser);
    again.Then<TFormTableInfo>(ChooseOnlyTheClock);
    form->NconnectClick();
    ASSERT_TRUE(WaitTicks(2));
    ASSERT_TRUE(again.Done());
    EXPECT_EQ(qvr::ShownQues().size(), 1u);
    expect.erase(expect.begin() + 2);
    EXPECT_EQ(Requests(), expect);
    EXPECT_EQ(g_Connected, 1);
}

TEST_F(ConnSeq, RestoreFromAConfigurationFileWritesTheTablesInTheControllersOrder) {
    ctlsim::FillDemoController(sim, true);
    ctlsim::SetSoftwareVersion(sim, 14);
    StartDirect();

    // The file to restore: a new configuration with a name, its own system parameters and
    // parameter write flags, and the demonstration user.
    ConfigRecord rec;
    NewConfigRecord(&rec);
    const std::string name = qvr::Win("КОТЕЛЬНАЯ-2");
    std::memcpy(rec.bytes + cfgrec::kName, name.data(), name.size());
    rec.bytes[cfgrec::kTable3] = kSimAddress;  // the controller keeps its address
    rec.bytes[cfgrec::kTable6 + 6] = 10;       // contract hour
    rec.bytes[cfgrec::kTable6 + 8] = 1;        // moisture analyser
    rec.bytes[cfgrec::kTable21 + 0] = 1;
    rec.bytes[cfgrec::FlowComputerEntry(0) + cfgrec::kFcAddress] = 3;
    uint8_t* user = rec.bytes + cfgrec::UserEntry(0);
    std::memcpy(user + cfgrec::kUserName, "ADM ", 4);
    user[cfgrec::kUserLevel] = 1;
    std::memcpy(user + cfgrec::kUserPassword, "111111      ", 12);
    std::memcpy(user + cfgrec::kUserCode, "1111", 4);
    const std::string file = dir.dir() + "CONFIG/restore.cnf";
    ASSERT_TRUE(qvr::MakeDir(dir.dir() + "CONFIG"));
    ASSERT_TRUE(qvr::WriteConfigFile(file, rec));
    int opened = 0;
    qvr::SetCnfDialogHook([&](const qvr::CnfDialogRequest& r) {
        EXPECT_FALSE(r.save);
        ++opened;
        return QString::fromStdString(file);
    });

    ModalScript script;
    script.Then<TFormConnect>(ClickConnect).Then<TFormShortUsPass>(IdentifyDemoUser);
    script.Then<TFormTableInfo>([](TFormTableInfo& f) { f.BitBtn1->click(); });  // all tables
    // The configuration editor, where it is shown, is left with "Записать в устройство".
    script.Always("TFormConfig", [](QWidget* w) {
        if (auto* b = w->findChild<QPushButton*>(QStringLiteral("BitBtn14"))) b->click();
    });
    qvr::QueueQuesAnswers({1});  // the computer's time into the destroyed clock
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    ASSERT_TRUE(script.Done());
    EXPECT_EQ(opened, 1);
    const auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u) << Lines1(shown);
    EXPECT_EQ(shown[0].text1, "В контроллер будет записано время ЭВМ.");

    // Users (without a user: the table is destroyed), the clock, then the flow-computer
    // tables, then every other table in ascending order.
    std::vector<int> written;
    for (const Req& r : Requests())
        if (r[0] == 2) written.push_back(r[1]);
    EXPECT_EQ(written, (std::vector<int>{4, 4, 2, 9, 17, 18, 19, 20, 13, 3, 5, 6, 14, 15, 21, 22, 23, 24, 25, 26,
                                         28, 29}));
    // The simulator holds the file's tables; the name in the controller's code page.
    std::vector<uint8_t> expectName(rec.bytes + cfgrec::kName, rec.bytes + cfgrec::kName + 20);
    qvr::WinToDos(expectName.data(), 20);
    EXPECT_EQ(sim.TableBytes(5), expectName);
    EXPECT_EQ(sim.TableBytes(6), std::vector<uint8_t>(rec.bytes + cfgrec::kTable6, rec.bytes + cfgrec::kTable6 + 10));
    EXPECT_EQ(sim.TableBytes(21), std::vector<uint8_t>(rec.bytes + cfgrec::kTable21, rec.bytes + cfgrec::kTable21 + 20));
    EXPECT_EQ(sim.TableBytes(14), std::vector<uint8_t>(rec.bytes + cfgrec::kTable14, rec.bytes + cfgrec::kTable14 + 8));
    EXPECT_EQ(sim.TableBytes(18)[0], 3);
    const std::vector<uint8_t> users = sim.TableBytes(4);
    EXPECT_EQ(std::string(users.begin(), users.begin() + 4), "ADM ");
    EXPECT_EQ(std::string(users.begin() + 18, users.begin() + 22), "1111");
    // Writes with the user table destroyed go without a user; the others with the user.
    for (const std::vector<uint8_t>& f : sim.Requests()) {
        if (f.size() <= 23 || f[3] != 2) continue;
        const std::string code(f.begin() + 16, f.begin() + 20);
        EXPECT_EQ(code, f[21] == 4 ? "    " : "1111") << int(f[21]);
    }
    // A version-14 restore ends the connection.
    EXPECT_EQ(g_RestoreAndDisconnect, 0);
    ExpectDisconnected();
}

// What the state form itself gives a version-14 controller when only the clock is ticked:
// the users table comes along, so the users are restored from a file and the clock question
// follows; the connection stays.
TEST_F(ConnSeq, ClockTickedOnVersion14RestoresTheUsersFromAFileAndSetsTheClock) {
    ctlsim::FillDemoController(sim, true);
    ctlsim::SetSoftwareVersion(sim, 14);
    StartDirect();
    ConfigRecord rec;
    NewConfigRecord(&rec);
    uint8_t* user = rec.bytes + cfgrec::UserEntry(0);
    std::memcpy(user + cfgrec::kUserName, "OPR ", 4);
    user[cfgrec::kUserLevel] = 1;  // the maker, whom the users table must hold
    std::memcpy(user + cfgrec::kUserPassword, "222222      ", 12);
    std::memcpy(user + cfgrec::kUserCode, "2222", 4);
    const std::string file = dir.dir() + "CONFIG/users.cnf";
    ASSERT_TRUE(qvr::MakeDir(dir.dir() + "CONFIG"));
    ASSERT_TRUE(qvr::WriteConfigFile(file, rec));
    qvr::SetCnfDialogHook([&](const qvr::CnfDialogRequest&) { return QString::fromStdString(file); });

    ModalScript script;
    script.Then<TFormConnect>(ClickConnect).Then<TFormShortUsPass>(IdentifyDemoUser);
    script.Then<TFormTableInfo>([](TFormTableInfo& f) {
        for (int k = 0; k < f.RowCount(); ++k) f.cb[k]->setChecked(f.pn[k]->property("Tag").toInt() == 2);
        f.BitBtn3->click();
    });
    script.Then<TFormAccess>([](TFormAccess& f) { f.BitBtn1->click(); });
    qvr::QueueQuesAnswers({1});
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    ASSERT_TRUE(script.Done());
    const auto shown = qvr::ShownQues();
    ASSERT_FALSE(script.TimedOut()) << Lines1(shown);
    ASSERT_EQ(shown.size(), 1u) << Lines1(shown);
    EXPECT_EQ(shown[0].text1, "В контроллер будет записано время ЭВМ.");
    std::vector<Req> expect = {{1, 0, 0, 18}, {1, 6, 0, 10}, {2, 4, 0, 10}, {2, 4, 10, 6}, {2, 2, 0, 8}};
    for (const Req& r : ConnectReads(true))
        if (r[1] != 0) expect.push_back(r);
    EXPECT_EQ(Requests(), expect);
    const std::vector<uint8_t> users = sim.TableBytes(4);
    EXPECT_EQ(std::string(users.begin(), users.begin() + 4), "OPR ");
    EXPECT_EQ(users[4], 1);
    EXPECT_EQ(std::string(users.begin() + 18, users.begin() + 22), "2222");
    EXPECT_EQ(g_Connected, 1);
    ExpectConnectedMenus(true);
}

// ------------------------------------------------------------ aborts and failures

TEST_F(ConnSeq, NewConnectionWhileAnExchangeWaitsAbortsItAndStartsANewAttempt) {
    ctlsim::FillDemoController(sim, true);
    StartDirect();
    ModalScript script;
    script.Then<TFormConnect>(ClickConnect).Then<TFormShortUsPass>(IdentifyDemoUser);
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    ASSERT_EQ(g_Connected, 1);

    // A command reads from a controller that has gone silent; meanwhile the user picks
    // "Связь с другим устройством".
    ctlsim::Faults silent;
    silent.silent = true;
    sim.SetFaults(silent);
    g_Hgc->ReplyMs = 5000;
    bool readOk = true;
    uint32_t readResult = 0;
    long readMs = 0;
    long formAfterMs = -1;
    const auto t0 = Clock::now();
    ModalScript again;
    again.Then<TFormConnect>([&](TFormConnect& f) {
        formAfterMs = MsSince(t0);
        sim.ClearFaults();
        f.BitBtn1->click();
    });
    again.Then<TFormShortUsPass>(IdentifyDemoUser);
    QTimer::singleShot(0, [&] {
        readOk = ReadTableFields({6, 0, 10}, nullptr, 0);
        readResult = g_Hgc->Result;
        readMs = MsSince(t0);
    });
    QTimer::singleShot(200, form.get(), &TFormMain::NconnectClick);
    ASSERT_TRUE(RunUntil([&] { return again.Done() && ticks >= 3 && g_Connected == 1; }, 15000));
    EXPECT_FALSE(readOk);
    EXPECT_EQ(readResult, uint32_t(kResultAborted));
    EXPECT_LT(readMs, 2500);  // far below the reply's 5 s
    EXPECT_GE(formAfterMs, readMs);
    EXPECT_EQ(form->StatusBar1->PanelText(1), kDemoName);
    ExpectConnectedMenus(true);
}

TEST_F(ConnSeq, FailedAttemptsLeaveNoPortOrSocketOpen) {
    ctlsim::FillDemoController(sim, true);
    const int port = sim.StartTcp();
    ASSERT_GT(port, 0);
    ctlsim::Faults silent;
    silent.silent = true;
    sim.SetFaults(silent);
    DefaultSettings(2);
    AddEth("Демо", port, kSimAddress);
    ModalScript script;
    script.Then<TFormConnect>(ClickConnect);
    StartProgram();
    ASSERT_TRUE(WaitTicks(1));
    // The read of the identification failed; the retry question was answered No.
    const auto shown = qvr::ShownQues();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text1, "Не выполнено чтение из таблицы 0.");
    ExpectDisconnected();

    // The same on the direct line.
    sim.Stop();
    StartDirect();
    sim.SetFaults(silent);
    ConnSettings.Conn_Prz = 0;
    ModalScript again;
    again.Then<TFormConnect>(ClickConnect);
    form->NconnectClick();
    ASSERT_TRUE(WaitTicks(2));
    ExpectDisconnected();
}

// Closing the window while the identification read waits: the close waits for the attempt
// to unwind, even when a question comes up meanwhile and the user asks for another try.
TEST_F(ConnSeq, ClosingWhileTheIdentificationReadWaitsUnwindsFirst) {
    ctlsim::FillDemoController(sim, true);
    StartDirect();
    ctlsim::Faults silent;
    silent.silent = true;
    sim.SetFaults(silent);
    ModalScript script;
    script.Then<TFormConnect>([this](TFormConnect& f) {
        QTimer::singleShot(600, form.get(), &QWidget::close);
        f.BitBtn1->click();
    });
    int questions = 0;
    StartProgram();
    // A question box keeps the window's messages running while the user reads it.
    qvr::SetQuesHandler([&](const qvr::QuesBox&) -> uint8_t {
        ++questions;
        RunUntil([] { return false; }, 200);
        return questions == 1 ? 1 : 0;  // another try once, then give up
    });
    ASSERT_TRUE(RunUntil([] { return g_Hgc == nullptr; }, 15000));
    EXPECT_EQ(questions, 2);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(g_Connected, 0);
}

}  // namespace
