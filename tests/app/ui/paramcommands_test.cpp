// The parameter commands of the main window against the simulated controller on a
// pseudo-terminal: each command is started from its menu item, its form is filled as a user
// would, and the test checks the reads and writes the simulator received (only changed
// fields are written), the tables it holds afterwards and what the window shows. Also the
// restore path of the connection sequence through the configuration editor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/rd_wr_ini.h"
#include "app/ui/formabout.h"
#include "app/ui/formmain.h"
#include "common/bytes.h"
#include "common/codepage.h"
#include "common/doswin.h"
#include "common/dtfun.h"
#include "common/globals.h"
#include "common/inifile.h"
#include "common/question.h"
#include "ctlsim/clock.h"
#include "ctlsim/ctlsim.h"
#include "ctlsim/demo.h"
#include "data/ui/formprz.h"
#include "link/conffun.h"
#include "link/hgcbox.h"
#include "params/configfile.h"
#include "params/ui/cnfcommands.h"
#include "params/ui/formaccess.h"
#include "params/ui/formconfig.h"
#include "params/ui/formconhgc.h"
#include "params/ui/formconvich.h"
#include "params/ui/formconvu.h"
#include "params/ui/formcontrname.h"
#include "params/ui/formdt.h"
#include "params/ui/formfloulist.h"
#include "params/ui/formident.h"
#include "params/ui/formlimits.h"
#include "params/ui/formsys.h"
#include "support/mainwindow.h"
#include "support/tempdir.h"

namespace {

// Types text into a widget key by key, as a user would (any characters).
void Type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

constexpr int kCom = 94;
constexpr uint8_t kAddress = 9;

using Req = std::array<int, 4>;  // function, table, first field, count (function 12: low, high byte)
using Bytes = std::vector<uint8_t>;

// Acts on the modal forms in the order given and records the class of every one that came
// up; a form not in the script is rejected so that a test gone astray fails, not hangs.
// Only the newest script acts.
class Modals {
public:
    Modals() : previous_(active_) {
        active_ = this;
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(5);
    }
    ~Modals() { active_ = previous_; }
    template <class Form>
    Modals& Then(std::function<void(Form&)> act) {
        steps_.push_back({Form::staticMetaObject.className(), [act](QWidget* w) { act(*static_cast<Form*>(w)); }});
        return *this;
    }
    bool Done() const { return next_ >= steps_.size(); }
    std::vector<std::string> seen;

private:
    struct Step {
        std::string cls;
        std::function<void(QWidget*)> act;
    };
    void Poll() {
        if (active_ != this) return;
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == current_ || !w->isVisible()) return;
        current_ = w;
        const std::string cls = w->metaObject()->className();
        seen.push_back(cls);
        QPointer<QWidget> p(w);
        if (next_ < steps_.size() && steps_[next_].cls == cls) {
            auto act = steps_[next_++].act;
            QTimer::singleShot(0, w, [act, p] {
                if (p) act(p);
            });
        } else if (auto* d = qobject_cast<QDialog*>(w)) {
            QTimer::singleShot(0, d, [d] { d->reject(); });
        }
    }
    QTimer timer_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    QPointer<QWidget> current_;
    Modals* previous_;
    static inline Modals* active_ = nullptr;
};

class ParamCommands : public ::testing::Test {
protected:
    void SetUp() override {
        g_Connected = 0;
        g_MoisturePresent = 0;
        g_RestoreAndDisconnect = 0;
        qvr::ClearQuesRecord();
        ctlsim::FillDemoController(sim, false);
        // Valid link tables, so that the forms accept them unchanged.
        const uint8_t t3[4] = {kAddress, 11, 5, 0};
        std::memcpy(sim.Table(3), t3, 4);
        const uint8_t t9[8] = {2, 11, 3, 10, 5, 0, 0, 1};
        std::memcpy(sim.Table(9), t9, 8);
        const uint8_t t14[8] = {1, 11, 1, 0, 50, 3, 9, 0};
        std::memcpy(sim.Table(14), t14, 8);
        sim.Table(17)[1] = 1;
        sim.Table(18)[1] = 2;
        sim.Table(19)[0] = sim.Table(19)[1] = 1;
        const std::string path = sim.StartPty();
        ASSERT_FALSE(path.empty());
        setenv(("QVR_COM" + std::to_string(kCom)).c_str(), path.c_str(), 1);

        form = std::make_unique<QuietMainWindow>(dir.dir());
        qvr::SetQuesHandler([](const qvr::QuesBox&) -> uint8_t { return 0; });
        ConnSettings.Conn_Prz = 0;
        ConnSettings.Dir.Adr = kAddress;
        ConnSettings.Dir.Rate = 115200;
        g_Hgc->ComPort = kCom;
        g_Hgc->LinkKind = 0;
        g_Hgc->Address = kAddress;
        g_Hgc->Baud = 115200;
        g_Hgc->DoClosePort = 0;
        g_Hgc->ReplyMs = 1500;
        g_Hgc->InterByteMs = 50;
        g_Hgc->Tries = 1;
        std::memcpy(g_Hgc->Password, "111111      ", 12);
        std::memcpy(g_Hgc->IdCode, "1111", 4);
        ASSERT_TRUE(g_Hgc->ReopenPort());
        ASSERT_TRUE(ReadTableFields({0, 0, 18}, nullptr, 0));
        g_Connected = 1;
        form->UpdateMainMenu();
        sim.ClearLog();
    }
    void TearDown() override {
        form.reset();
        qvr::SetQuesHandler(nullptr);
        qvr::SetConfigEditor(nullptr);
        qvr::SetCnfDialogHook(nullptr);
        qvr::ClearQuesRecord();
        sim.Stop();
        unsetenv(("QVR_COM" + std::to_string(kCom)).c_str());
        g_Connected = 0;
        g_MoisturePresent = 0;
    }

    // Starts a command from its menu item.
    void Trigger(const char* item) {
        QAction* a = form->MenuItem(QString::fromUtf8(item));
        ASSERT_NE(a, nullptr) << item;
        a->trigger();
    }
    // Reads, writes and clock corrections the simulator received, in order.
    std::vector<Req> Requests() {
        std::vector<Req> out;
        for (const Bytes& f : sim.Requests()) {
            if (f.size() > 7 && f[3] == 1) out.push_back({1, f[5], f[6], f[7]});
            if (f.size() > 23 && f[3] == 2) out.push_back({2, f[21], f[22], f[23]});
            if (f.size() > 21 && f[3] == 12) out.push_back({12, f[20], f[21], 0});
        }
        return out;
    }
    std::vector<Req> Writes() {
        std::vector<Req> out;
        for (const Req& r : Requests())
            if (r[0] != 1) out.push_back(r);
        return out;
    }
    std::vector<std::string> Lines1() {
        std::vector<std::string> out;
        for (const qvr::QuesBox& b : qvr::ShownQues()) out.push_back(b.text1);
        return out;
    }

    TempDir dir;
    ctlsim::CtlSim sim{kAddress};
    std::unique_ptr<TFormMain> form;
};

// ---------------------------------------------------------------- the pattern

TEST_F(ParamCommands, PatternWritesOnlyChangedFieldsAndNothingWhenCancelledOrUnchanged) {
    // Cancelled: the read, no write.
    Modals cancel;
    cancel.Then<TFormConHGC>([](TFormConHGC& f) {
        EXPECT_EQ(f.Mode, 1);
        EXPECT_EQ(f.Data, TablePtr(14));
        EXPECT_EQ(f.parentWidget(), FormMain);
        f.BitBtn2->click();
    });
    Trigger("NConHGC");
    EXPECT_TRUE(cancel.Done());
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 14, 0, 8}}));
    EXPECT_EQ(std::memcmp(form->OldTableCopy, sim.TableBytes(14).data(), 8), 0) << "the copy is the table as read";

    // Accepted without a change: no write exchange.
    sim.ClearLog();
    Modals same;
    same.Then<TFormConHGC>([](TFormConHGC& f) { f.BitBtn1->click(); });
    Trigger("NConHGC");
    EXPECT_TRUE(same.Done());
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 14, 0, 8}}));
    EXPECT_TRUE(form->TimerMessage->isActive());

    // One field changed: one write of that field.
    sim.ClearLog();
    Modals change;
    change.Then<TFormConHGC>([](TFormConHGC& f) {
        f.ComboBox6->setCurrentIndex(6);  // failed polls 7
        f.BitBtn1->click();
    });
    Trigger("NConHGC");
    EXPECT_EQ(Writes(), (std::vector<Req>{{2, 14, 5, 1}}));
    EXPECT_EQ(sim.TableBytes(14)[5], 7);
    EXPECT_EQ(sim.TableBytes(14)[0], 1);
}

// The limits form shows each value rounded to its decimals; a row the user did not edit
// keeps the exact value the controller holds, and only an edited row is written.
TEST_F(ParamCommands, LimitsWriteOnlyTheRowsTheUserEdited) {
    uint8_t* t25 = sim.Table(25);
    for (int i = 0; i < 20; ++i) qvr::PutF32(t25 + 4 * i, GasParamLimitTables[3][i].def);
    qvr::PutF32(t25 + 4 * 11, 35.5f);    // higher heat, shown with 0 decimals as "36"
    qvr::PutF32(t25 + 4 * 18, 30.25f);   // lower heat, shown as "30"
    qvr::PutF32(t25 + 4 * 12, 0.6612f);  // density, shown with 3 decimals
    qvr::PutF32(t25 + 4 * 8, 90.0f);     // methane
    const Bytes before = sim.TableBytes(25);

    // Accepted untouched: the read and no write; the controller keeps every value.
    Modals same;
    same.Then<TFormLimits>([](TFormLimits& f) {
        EXPECT_EQ(f.Edit[11]->text(), QStringLiteral("36"));
        QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    });
    Trigger("NLowLimit");
    EXPECT_TRUE(same.Done());
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 25, 0, 20}}));
    EXPECT_EQ(sim.TableBytes(25), before);

    // Methane typed anew: that one field is written, the others stay exact.
    sim.ClearLog();
    Modals edit;
    edit.Then<TFormLimits>([](TFormLimits& f) {
        f.Edit[8]->setFocus();
        f.Edit[8]->selectAll();
        QTest::keyClicks(f.Edit[8], "91");
        QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    });
    Trigger("NLowLimit");
    EXPECT_TRUE(edit.Done());
    EXPECT_EQ(Writes(), (std::vector<Req>{{2, 25, 8, 1}}));
    Bytes expected = before;
    qvr::PutF32(expected.data() + 4 * 8, 91.0f);
    EXPECT_EQ(sim.TableBytes(25), expected);
}

TEST_F(ParamCommands, EachTableCommandReadsItsTableAndOpensItsForm) {
    struct Case {
        const char* item;
        Req read;
        std::string cls;
        int limitKind;
    };
    const Case cases[] = {
        {"NConnWMT", {1, 15, 0, 8}, "TFormConWMT", -1},   {"NEthernet", {1, 29, 0, 7}, "TFormConEth", -1},
        {"NInsens", {1, 22, 0, 20}, "TFormLimits", 0},    {"NLowAttent", {1, 23, 0, 20}, "TFormLimits", 1},
        {"NUpAttent", {1, 24, 0, 20}, "TFormLimits", 2},  {"NLowLimit", {1, 25, 0, 20}, "TFormLimits", 3},
        {"NUpperLimit", {1, 26, 0, 20}, "TFormLimits", 4}, {"NDistr", {1, 21, 0, 20}, "TFormPrzDistr", -1},
        {"Ndistrpar", {1, 28, 0, 2}, "TFormDistr", -1},   {"Nsys", {1, 6, 0, 10}, "TFormSys", -1},
        {"NConVU", {1, 3, 0, 4}, "TFormConVU", -1},       {"N4", {1, 9, 0, 8}, "TFormConVich", -1},
    };
    for (const Case& c : cases) {
        sim.ClearLog();
        int kind = -1;
        Modals m;
        m.Then<TFormLimits>([&](TFormLimits& f) {
            kind = f.LimitKind;
            EXPECT_EQ(f.Data, TablePtr(22 + f.LimitKind));
            f.reject();
        });
        Trigger(c.item);
        ASSERT_EQ(m.seen.size(), 1u) << c.item;
        EXPECT_EQ(m.seen[0], c.cls) << c.item;
        EXPECT_EQ(kind, c.limitKind) << c.item;
        EXPECT_EQ(Requests(), (std::vector<Req>{c.read})) << c.item;
    }
}

TEST_F(ParamCommands, FailedReadEndsTheCommandWithoutAForm) {
    ctlsim::Faults f;
    f.silent = true;
    sim.SetFaults(f);
    g_Hgc->ReplyMs = 100;
    Modals m;
    Trigger("NConHGC");
    EXPECT_TRUE(m.seen.empty());
    sim.ClearFaults();
    EXPECT_TRUE(Writes().empty());
}

TEST_F(ParamCommands, SystemParametersSwitchTheMoistureMenusAfterTheWrite) {
    EXPECT_FALSE(form->MenuItem("NConnWMT")->isVisible());
    Modals m;
    m.Then<TFormSys>([](TFormSys& f) {
        f.CheckBox2->setChecked(true);
        f.BitBtn1->click();
    });
    Trigger("Nsys");
    EXPECT_EQ(Writes(), (std::vector<Req>{{2, 6, 8, 1}}));
    EXPECT_EQ(sim.TableBytes(6)[8], 1);
    EXPECT_EQ(g_MoisturePresent, 1);
    EXPECT_TRUE(form->MenuItem("NConnWMT")->isVisible());
    EXPECT_TRUE(form->MenuItem("NWmt_Data")->isVisible());

    // A failed write leaves the flag as it was.
    sim.ClearLog();
    ctlsim::Faults fail;
    fail.failWriteTable = 6;
    sim.SetFaults(fail);
    Modals off;
    off.Then<TFormSys>([](TFormSys& f) {
        f.CheckBox2->setChecked(false);
        f.BitBtn1->click();
    });
    Trigger("Nsys");
    sim.ClearFaults();
    EXPECT_EQ(g_MoisturePresent, 1);
    EXPECT_TRUE(form->MenuItem("NConnWMT")->isVisible());
}

// ---------------------------------------------------------------- beyond the pattern

TEST_F(ParamCommands, UpperLevelLinkMovesTheEngineAndTheSettingsToTheNewAddressAndRate) {
    sim.SetTableBytes(0, 11, {1});  // several rates
    ASSERT_TRUE(ReadTableFields({0, 0, 18}, nullptr, 0));
    sim.ClearLog();
    Modals m;
    m.Then<TFormConVU>([](TFormConVU& f) {
        EXPECT_TRUE(f.ComboBox2->isEnabled());
        f.ComboBox1->setEditText(QStringLiteral("5"));
        f.ComboBox2->setCurrentIndex(20);  // 115200
        f.BitBtn1->click();
    });
    Trigger("NConVU");
    EXPECT_EQ(Writes(), (std::vector<Req>{{2, 3, 0, 2}}));
    EXPECT_EQ(g_Hgc->Address, 5);
    EXPECT_EQ(g_Hgc->Baud, 115200u);
    EXPECT_EQ(ConnSettings.Dir.Adr, 5);
    EXPECT_EQ(ConnSettings.Dir.Rate, 115200);
    EXPECT_NE(form->StatusBar1->PanelText(0).find("115200"), std::string::npos) << form->StatusBar1->PanelText(0);

    // The next request goes to address 5 without reconnecting, and is answered.
    sim.ClearLog();
    Modals ident;
    ident.Then<TFormIdent>([](TFormIdent& f) { f.BitBtn1->click(); });
    Trigger("Nident");
    EXPECT_TRUE(ident.Done());
    const auto frames = sim.Requests();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][1], 5);
    // Replies as the simulator noted them before writing: its count of replies sent grows only
    // after the write, which may be after the program has the reply and the log was cleared.
    const auto line = sim.Timeline();
    EXPECT_EQ(std::count_if(line.begin(), line.end(), [](const auto& p) { return p.reply; }), 1);

    // Over a modem the address follows, the controller's line rate (19200 here) does not:
    // the port talks to the modem at the modem's rate, and qvr.ini keeps it.
    ConnSettings.Conn_Prz = 1;
    ConnSettings.Fon.Adr = 5;
    ConnSettings.Fon.Rate = 115200;
    g_Hgc->LinkKind = 1;
    sim.SetTableBytes(3, 1, {15});
    sim.ClearLog();
    Modals modem;
    modem.Then<TFormConVU>([](TFormConVU& f) {
        EXPECT_FALSE(f.ComboBox2->isEnabled());
        f.ComboBox1->setEditText(QStringLiteral("7"));
        f.BitBtn1->click();
    });
    Trigger("NConVU");
    EXPECT_EQ(Writes(), (std::vector<Req>{{2, 3, 0, 1}}));
    EXPECT_EQ(g_Hgc->Address, 7);
    EXPECT_EQ(ConnSettings.Fon.Adr, 7);
    EXPECT_EQ(g_Hgc->Baud, 115200u);
    EXPECT_EQ(ConnSettings.Fon.Rate, 115200);
    EXPECT_EQ(ConnSettings.Dir.Adr, 5);
    form->SaveSettings();
    EXPECT_EQ(qvr::IniFile(g_SettingsIniPath).ReadInteger("FON_CONN_PAR", "Rate", -1), 115200);
    EXPECT_EQ(qvr::IniFile(g_SettingsIniPath).ReadInteger("FON_CONN_PAR", "Adr", -1), 7);
}

TEST_F(ParamCommands, ControllerNameIsEditedInWindowsTextAndWrittenInTheControllersCodePage) {
    Modals m;
    m.Then<TFormContrName>([](TFormContrName& f) {
        EXPECT_EQ(f.Edit1->text(), QStringLiteral("КВР-370 ДЕМО"));
        f.Edit1->setText(QStringLiteral("КОТЕЛЬНАЯ"));
        f.BitBtn1->click();
    });
    Trigger("NContrName");
    ASSERT_TRUE(m.Done());
    EXPECT_EQ(Writes(), (std::vector<Req>{{2, 5, 0, 1}}));
    Bytes expect(20, ' ');
    const std::string win = qvr::Win("КОТЕЛЬНАЯ");
    std::memcpy(expect.data(), win.data(), win.size());
    Bytes image(TablePtr(5), TablePtr(5) + 20);
    EXPECT_EQ(image, expect) << "the image keeps the Windows text";
    qvr::WinToDos(expect.data(), 20);
    EXPECT_EQ(sim.TableBytes(5), expect);
    EXPECT_EQ(form->StatusBar1->PanelText(1), "КОТЕЛЬНАЯ");

    // A controller with Windows texts gets them unconverted; cancelled writes nothing.
    sim.SetTableBytes(0, 12, {1});
    ASSERT_TRUE(ReadTableFields({0, 0, 18}, nullptr, 0));
    sim.SetTableBytes(5, 0, Bytes(win.begin(), win.end()));
    sim.ClearLog();
    Modals same;
    same.Then<TFormContrName>([](TFormContrName& f) {
        EXPECT_EQ(f.Edit1->text(), QStringLiteral("КОТЕЛЬНАЯ"));
        f.BitBtn2->click();
    });
    Trigger("NContrName");
    EXPECT_TRUE(Writes().empty());
}

TEST_F(ParamCommands, FlowComputerLinkWritesALowerCountAndAsksBeforeARaisedOne) {
    // Lowered from 2 to 1: table 9 alone.
    Modals lower;
    lower.Then<TFormConVich>([](TFormConVich& f) {
        f.ComboBox1->setCurrentIndex(0);
        f.BitBtn1->click();
    });
    Trigger("N4");
    EXPECT_EQ(Writes(), (std::vector<Req>{{2, 9, 0, 1}}));
    EXPECT_EQ(sim.TableBytes(9)[0], 1);

    // Raised to 3 and the question answered No: nothing written, the image keeps the count
    // the controller has.
    sim.ClearLog();
    Modals no;
    no.Then<TFormConVich>([](TFormConVich& f) {
        f.ComboBox1->setCurrentIndex(2);
        f.BitBtn1->click();
    });
    qvr::ClearQuesRecord();
    qvr::QueueQuesAnswers({0});
    Trigger("N4");
    EXPECT_TRUE(Writes().empty());
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].text1, "Количество вычислителей не может быть увеличено");
    EXPECT_EQ(qvr::ShownQues()[0].text2, "без ввода их параметров. Выполнить ввод параметров сейчас?");
    EXPECT_EQ(TablePtr(9)[0], 1);

    // Yes: the list of the new flow computers, read for the new count; cancelled, nothing.
    sim.ClearLog();
    Modals yes;
    yes.Then<TFormConVich>([](TFormConVich& f) {
        f.ComboBox1->setCurrentIndex(1);
        f.BitBtn1->click();
    });
    yes.Then<TFormFlouList>([](TFormFlouList& l) {
        EXPECT_EQ(l.Mode, 1);
        EXPECT_EQ(l.Count, 2);
        l.BitBtn2Click();
    });
    qvr::QueueQuesAnswers({1});
    Trigger("N4");
    EXPECT_TRUE(yes.Done());
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 9, 0, 8}, {1, 17, 0, 2}, {1, 18, 0, 2}, {1, 19, 0, 2}, {1, 20, 0, 2}}));
    EXPECT_EQ(TablePtr(9)[0], 1);
}

TEST_F(ParamCommands, FlowComputerParametersWriteTheRowsAndOnlyEnteredPasswords) {
    Modals m;
    m.Then<TFormFlouList>([](TFormFlouList& l) {
        EXPECT_EQ(l.Mode, 1);
        EXPECT_EQ(l.StringGrid1->rowCount(), 2);
        l.StringGrid1->selectRow(0);
        qvr::QueueQuesAnswers({1});
        l.BitBtn5Click();  // the first row goes, the second moves up
        l.BitBtn1Click();
    });
    Trigger("NCurrVich");
    ASSERT_TRUE(m.Done());
    EXPECT_EQ(sim.TableBytes(9)[0], 1);
    EXPECT_EQ(sim.TableBytes(18)[0], 2);
    // The moved row's password goes to its new index; nothing else of table 13.
    int t13 = 0;
    for (const Req& r : Writes())
        if (r[1] == 13) {
            ++t13;
            EXPECT_EQ(r[2], 0);
        }
    EXPECT_EQ(t13, 1);
}

TEST_F(ParamCommands, UsersCommandRefusesADestroyedUserTableAndReadsTheTableInTwoParts) {
    sim.SetTableBytes(7, 4, {1});
    Modals none;
    Trigger("NPass");
    EXPECT_TRUE(none.seen.empty());
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].kind, qvr::kQuesTableDestroyed);
    EXPECT_EQ(qvr::ShownQues()[0].text1, "Таблица доступа пользователей");
    EXPECT_EQ(qvr::ShownQues()[0].text2, "требует полной перезаписи");
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 7, 0, 38}}));

    sim.SetTableBytes(7, 4, {0});
    sim.ClearLog();
    Modals m;
    m.Then<TFormChangeAccess>([](TFormChangeAccess& f) { f.BitBtn2->click(); });
    Trigger("NPass");
    EXPECT_TRUE(m.Done());
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 7, 0, 38}, {1, 4, 0, 11}, {1, 4, 11, 5}}));
    EXPECT_EQ(std::memcmp(TablePtr(4), sim.TableBytes(4).data(), 352), 0);
}

TEST_F(ParamCommands, ClockCommandChecksTheTablesAndSendsTheCorrection) {
    ctlsim::InstallClockHandler(sim);
    // System parameters destroyed: refused after table 7.
    sim.SetTableBytes(7, 6, {1});
    Trigger("NContrDt");
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 7, 0, 7}}));
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].kind, qvr::kQuesTableDestroyed);
    EXPECT_EQ(qvr::ShownQues()[0].text1, "Разрушена таблица системных параметров.");

    // Clock destroyed: the question; No ends the command without a write.
    sim.SetTableBytes(7, 6, {0});
    sim.SetTableBytes(7, 2, {1});
    sim.ClearLog();
    qvr::ClearQuesRecord();
    qvr::QueueQuesAnswers({0});
    Trigger("NContrDt");
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 7, 0, 7}, {1, 6, 0, 10}}));
    EXPECT_EQ(Lines1(), (std::vector<std::string>{"Таблица даты и времени разрушена."}));
    // Yes, and Yes to the PC time: table 2 is written.
    sim.ClearLog();
    qvr::QueueQuesAnswers({1, 1});
    Trigger("NContrDt");
    EXPECT_EQ(Writes(), (std::vector<Req>{{2, 2, 0, 8}}));

    // Intact: the form with the controller clock 40 s behind; accepted, function 12 goes.
    sim.SetTableBytes(7, 2, {0});
    CtlDateTime behind;
    DateTimeToCtl(Now() - 40.0 / 86400.0, behind);
    sim.SetTableBytes(2, 0,
                      {behind.year, behind.month, behind.day, behind.hour, behind.minute, behind.second,
                       uint8_t(WeekDayOf(DateOf(behind))), 0});
    sim.ClearLog();
    qvr::ClearQuesRecord();
    Modals m;
    m.Then<TFormDt>([&](TFormDt& f) {
        EXPECT_EQ(f.PcTime, g_Hgc->LastExchange) << "the PC time of the table 2 read";
        EXPECT_EQ(f.CtlTime[5], behind.second);
        EXPECT_TRUE(f.BitBtn1->isEnabled());
        qvr::QueueQuesAnswers({1});
        f.BitBtn1->click();
    });
    Trigger("NContrDt");
    ASSERT_TRUE(m.Done());
    const auto w = Writes();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0][0], 12);
    const int16_t seconds = int16_t(uint16_t(w[0][1] | (w[0][2] << 8)));
    EXPECT_GT(seconds, 0);
    EXPECT_LE(seconds, 41);
    EXPECT_EQ(form->StatusBar1->PanelText(2), "Корректировка времени выполнена");
    EXPECT_TRUE(form->TimerMessage->isActive());

    // The form left without accepting: no correction.
    sim.ClearLog();
    Modals leave;
    leave.Then<TFormDt>([](TFormDt& f) { f.BitBtn2->click(); });
    Trigger("NContrDt");
    EXPECT_TRUE(Writes().empty());
}

TEST_F(ParamCommands, ViewsCurrentStateAndMomentaryDataAreWired) {
    Modals fun;
    fun.Then<TFormFunInfo>([](TFormFunInfo& f) { f.BitBtn1->click(); });
    Trigger("NFun");
    EXPECT_TRUE(fun.Done());
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 8, 0, 2}}));

    // No chromatograph link: the notice, no window.
    sim.SetTableBytes(33, 0, {0, 0});
    sim.ClearLog();
    Modals none;
    Trigger("NChrom_MomData");
    EXPECT_TRUE(none.seen.empty());
    EXPECT_EQ(Requests(), (std::vector<Req>{{1, 33, 0, 1}}));
    EXPECT_EQ(Lines1(), (std::vector<std::string>{"Нет связи с хроматографом"}));

    // The current-state window, left by its own exit.
    Modals sit;
    sit.Then<TFormPrz>([](TFormPrz& f) { f.BtnExit->click(); });
    Trigger("NSit");
    EXPECT_TRUE(sit.Done());
    EXPECT_EQ(g_Connected, 1);

    Modals about;
    about.Then<TFormAbout>([](TFormAbout& f) { f.reject(); });
    Trigger("Nabout");
    EXPECT_TRUE(about.Done());
    Modals mean;
    mean.Then<TFormMean>([](TFormMean& f) { f.reject(); });
    Trigger("NMean");
    EXPECT_TRUE(mean.Done());
}

// ---------------------------------------------------------------- restore through the editor

TEST_F(ParamCommands, RestoreShowsTheEditorInRestoreModeAndLoadsTheAcceptedRecord) {
    ConfigRecord rec;
    NewConfigRecord(&rec);
    rec.bytes[cfgrec::kTable3] = kAddress;
    rec.bytes[cfgrec::kTable6 + 6] = 11;  // contract hour
    TableStateBuffer state{};
    state.toWrite[6] = 1;

    // Cancelled: the restore ends, nothing loaded.
    std::memset(TablePtr(6), 0, 10);
    Modals cancel;
    cancel.Then<TFormConfig>([](TFormConfig& f) {
        EXPECT_EQ(f.RestoreMode, 1);
        EXPECT_TRUE(f.BitBtn14->isVisible());
        EXPECT_FALSE(f.BitBtn15->isEnabled()) << "the users are not part of this restore";
        f.BitBtn2->click();
    });
    EXPECT_FALSE(form->RestoreConfigTables(rec, state));
    EXPECT_TRUE(cancel.Done());
    EXPECT_EQ(TablePtr(6)[6], 0);

    // A record the load refuses (a flow computer without an address): the question, and
    // Yes shows the editor again.
    Modals again;
    again.Then<TFormConfig>([](TFormConfig& f) { f.BitBtn14->click(); });
    again.Then<TFormConfig>([](TFormConfig& f) { f.BitBtn2->click(); });
    qvr::ClearQuesRecord();
    qvr::QueueQuesAnswers({1});
    EXPECT_FALSE(form->RestoreConfigTables(rec, state));
    EXPECT_TRUE(again.Done());
    EXPECT_EQ(Lines1(), (std::vector<std::string>{"Неверно заданы адреса вычислителей РГ",
                                                  "Корректировать параметры конфигурации?"}));

    // Changed in the editor: offered for saving, then loaded into the image.
    rec.bytes[cfgrec::FlowComputerEntry(0) + cfgrec::kFcAddress] = 3;
    qvr::ClearQuesRecord();
    int saveAsked = 0;
    qvr::SetCnfDialogHook([&](const qvr::CnfDialogRequest& r) {
        if (r.save) ++saveAsked;
        return QString();
    });
    Modals edit;
    edit.Then<TFormConfig>([](TFormConfig& f) {
        f.Edit1->selectAll();
        Type(f.Edit1, QStringLiteral("НОВЫЙ"));
        f.BitBtn14->click();
    });
    EXPECT_TRUE(form->RestoreConfigTables(rec, state)) << ::testing::PrintToString(Lines1());
    EXPECT_TRUE(edit.Done());
    EXPECT_EQ(saveAsked, 1);
    EXPECT_EQ(TablePtr(6)[6], 11);
    EXPECT_TRUE(Writes().empty()) << "the editor never talks to the controller";
}

}  // namespace
