// The table-state form offscreen: rows and marks, the buttons by version and link, the
// four results with the write marks they leave, and the reset against the simulator.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <cstring>
#include <string>
#include <vector>

#include "app/rd_wr_ini.h"
#include "common/question.h"
#include "common/stringi.h"
#include "ctlsim/tablestate.h"
#include "link/conffun.h"
#include "params/ui/formtableinfo.h"
#include "simlink.h"

namespace {

class RecordingBar : public qvr::IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override { texts[panel] = text; }
    std::string PanelText(int panel) const override { return texts[panel]; }
    std::string texts[4];
};

TableStateBuffer MakeState(const std::vector<int>& destroyed) {
    TableStateBuffer s{};
    for (int t = 0; t < kTableCount; ++t) s.present[t] = IsConfigTable(t) ? 1 : 0;
    for (int t : destroyed) s.destroyed[t] = 1;
    return s;
}

void SetVersion(uint8_t v) { g_TableMemory[TableOffset(0) + 3] = v; }

class TableInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedConn = ConnSettings;
        ConnSettings.Conn_Prz = 0;
        SetVersion(14);
        qvr::ClearQuesRecord();
    }
    void TearDown() override {
        ConnSettings = savedConn;
        qvr::ClearQuesRecord();
    }
    // Row of table t, -1 when it has none.
    static int RowOf(TFormTableInfo& f, int t) {
        for (int k = 0; k < f.RowCount(); ++k)
            if (f.pn[k]->property("Tag").toInt() == t) return k;
        return -1;
    }
    ConnSettingsRecord savedConn;
};

}  // namespace

TEST_F(TableInfoTest, RowsShowTheConfigurationTablesAndTheirMarks) {
    TableStateBuffer s = MakeState({3, 4, 22});
    TFormTableInfo f;
    EXPECT_EQ(f.RowSlots, 50);
    EXPECT_EQ(f.VisibleRows, 27);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Состояние таблиц параметров конфигурации"));
    f.State = &s;
    f.show();

    ASSERT_EQ(f.RowCount(), 21);
    const int expectTables[] = {2, 3, 4, 5, 6, 9, 13, 14, 15, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 28, 29};
    for (int k = 0; k < 21; ++k) {
        SCOPED_TRACE(k);
        const int t = expectTables[k];
        EXPECT_TRUE(f.pn[k]->isVisible());
        EXPECT_EQ(f.pn[k]->property("Tag").toInt(), t);
        EXPECT_EQ(f.pw[k]->property("Tag").toInt(), t);
        EXPECT_EQ(f.cb[k]->property("Tag").toInt(), t);
        const bool destroyed = t == 3 || t == 4 || t == 22;
        EXPECT_EQ(f.pw[k]->text(), destroyed ? QStringLiteral("Да") : QStringLiteral("Нет"));
        EXPECT_EQ(f.pw[k]->styleSheet().contains(QStringLiteral("red")), destroyed);
        EXPECT_EQ(f.cb[k]->isChecked(), destroyed);
        // Clock and users can be chosen only when destroyed.
        EXPECT_EQ(f.cb[k]->isEnabled(), destroyed || (t != 2 && t != 4));
    }
    EXPECT_EQ(f.pnCaption[0]->text(), QStringLiteral(" Табл.  2.   Текущие дата и время контроллера"));
    EXPECT_EQ(f.pnCaption[14]->text(),
              QStringLiteral(" Табл. 22.   Зона нечувствительности изменений параметров газа"));
    for (int k = 21; k < 50; ++k) EXPECT_FALSE(f.pn[k]->isVisible()) << k;

    // All rows fit: no scroll bar, and the window shrinks to the rows.
    EXPECT_EQ(f.ScrollBox1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(f.ScrollBox1->height(), f.pn[0]->height() * 21 - 21 + 1);
    EXPECT_EQ(f.height(), f.ScrollBox1->y() + f.ScrollBox1->height() + 113);
    EXPECT_EQ(f.width(), 600);
    f.close();
    EXPECT_EQ(f.Result, 0) << "closing the window chooses nothing";
}

TEST_F(TableInfoTest, ManyRowsScrollToTheFirstDestroyed) {
    TableStateBuffer s{};
    for (int t = 0; t < kTableCount; ++t) s.present[t] = 1;
    s.destroyed[35] = 1;  // row 36
    TFormTableInfo f;
    f.State = &s;
    f.show();
    EXPECT_EQ(f.RowCount(), 38);
    EXPECT_EQ(f.height(), 588);
    QScrollBar* bar = f.ScrollBox1->verticalScrollBar();
    EXPECT_EQ(bar->value(), (36 - 27) * bar->singleStep());
    EXPECT_GT(bar->value(), 0);
}

TEST_F(TableInfoTest, ButtonsByVersionAndLink) {
    struct Case {
        uint8_t version;
        uint8_t link;
        bool write, reset;
    } cases[] = {{13, 0, false, true}, {13, 1, false, true}, {13, 2, false, true},
                 {14, 0, true, true},  {14, 1, false, false}, {14, 2, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.version) + "/" + std::to_string(c.link));
        SetVersion(c.version);
        ConnSettings.Conn_Prz = c.link;
        TableStateBuffer s = MakeState({2, 3});
        TFormTableInfo f;
        f.State = &s;
        f.show();
        EXPECT_EQ(f.BitBtn1->isEnabled(), c.write);
        EXPECT_EQ(f.BitBtn3->isEnabled(), c.write);
        EXPECT_EQ(f.BitBtn4->isEnabled(), c.reset);
        EXPECT_TRUE(f.BitBtn2->isEnabled());
        // Over a modem or Ethernet no table can be chosen, destroyed or not.
        for (int k = 0; k < f.RowCount(); ++k) {
            EXPECT_EQ(f.cb[k]->isChecked(), c.link == 0 && (k == 0 || k == 1));
            if (c.link != 0) {
                EXPECT_FALSE(f.cb[k]->isEnabled());
            }
        }
    }
}

TEST_F(TableInfoTest, ResultsAndWriteMarks) {
    // "Выход": 0.
    {
        TableStateBuffer s = MakeState({3});
        TFormTableInfo f;
        f.State = &s;
        f.show();
        f.BitBtn2->click();
        EXPECT_EQ(f.Result, 0);
        EXPECT_FALSE(f.isVisible());
        for (int t = 0; t < kTableCount; ++t) EXPECT_EQ(s.toWrite[t], 0);
    }
    // "Записать все таблицы": 2; every present table except an intact clock and user table.
    {
        TableStateBuffer s = MakeState({6});
        TFormTableInfo f;
        f.State = &s;
        f.show();
        f.BitBtn1->click();
        EXPECT_EQ(f.Result, 2);
        EXPECT_FALSE(f.isVisible());
        for (int t = 0; t < kTableCount; ++t)
            EXPECT_EQ(s.toWrite[t], IsConfigTable(t) && t != 2 && t != 4 ? 1 : 0) << t;
    }
    {
        TableStateBuffer s = MakeState({2, 4});
        TFormTableInfo f;
        f.State = &s;
        f.show();
        f.BitBtn1->click();
        EXPECT_EQ(s.toWrite[2], 1);
        EXPECT_EQ(s.toWrite[4], 1);
    }
    // "Записать избранные таблицы": 1; the chosen rows, the clock by its box only when
    // destroyed, the users exactly when destroyed.
    {
        TableStateBuffer s = MakeState({2, 4, 9});
        TFormTableInfo f;
        f.State = &s;
        f.show();
        f.cb[RowOf(f, 4)]->setChecked(false);  // users destroyed: written all the same
        f.cb[RowOf(f, 9)]->setChecked(false);
        f.cb[RowOf(f, 22)]->setChecked(true);
        f.BitBtn3->click();
        EXPECT_EQ(f.Result, 1);
        EXPECT_FALSE(f.isVisible());
        for (int t = 0; t < kTableCount; ++t) EXPECT_EQ(s.toWrite[t], t == 2 || t == 4 || t == 22 ? 1 : 0) << t;
    }
    {
        TableStateBuffer s = MakeState({2});
        TFormTableInfo f;
        f.State = &s;
        f.show();
        f.cb[RowOf(f, 2)]->setChecked(false);
        f.cb[RowOf(f, 5)]->setChecked(true);
        f.BitBtn3->click();
        EXPECT_EQ(f.Result, 1);
        EXPECT_EQ(s.toWrite[2], 0);
        EXPECT_EQ(s.toWrite[5], 1);
    }
    // Nothing chosen: the notice, and the form stays open.
    {
        TableStateBuffer s = MakeState({});
        TFormTableInfo f;
        f.State = &s;
        f.show();
        f.BitBtn3->click();
        EXPECT_EQ(f.Result, 0);
        EXPECT_TRUE(f.isVisible());
        auto shown = qvr::ShownQues();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, 6);
        EXPECT_EQ(shown[0].text1, "Не заданы таблицы для записи");
        EXPECT_EQ(shown[0].text2, "");
    }
}

TEST_F(TableInfoTest, ResetSendsFunction25AndMovesTheLink) {
    SimLink link(5);
    ASSERT_FALSE(link.path.empty());
    ctlsim::SetDestroyedTables(link.sim, {3, 22});
    ctlsim::InstallResetHandler(link.sim, {200});
    link.sim.SetPassword("PASSWORD1234");
    ASSERT_TRUE(link.Attach(5));
    std::memcpy(g_Hgc->Password, "PASSWORD1234", 12);
    std::memcpy(g_Hgc->IdCode, "ID77", 4);
    ConnSettings.Conn_Prz = 0;
    ConnSettings.Dir.Adr = 5;
    ConnSettings.Dir.Rate = 115200;
    ConnSettings.Fon.Adr = 7;

    TableStateBuffer s = MakeState({3, 22});
    RecordingBar bar;
    TFormTableInfo f;
    f.State = &s;
    f.StatusBar = &bar;
    f.show();

    // No: nothing is sent.
    qvr::QueueQuesAnswers({0});
    f.BitBtn4->click();
    EXPECT_EQ(f.Result, 0);
    EXPECT_TRUE(f.isVisible());
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].kind, 3);
    EXPECT_EQ(qvr::ShownQues()[0].text1, "Вы уверены, что хотите выполнить сброс");
    EXPECT_EQ(qvr::ShownQues()[0].text2, "всех энергонезависимых данных?");
    EXPECT_TRUE(link.sim.Requests().empty());

    // Yes: function 25 with the user's password and code.
    qvr::ClearQuesRecord();
    qvr::QueueQuesAnswers({1});
    f.BitBtn4->click();
    auto req = link.sim.Requests();
    ASSERT_EQ(req.size(), 1u);
    ASSERT_EQ(req[0].size(), 22u);
    EXPECT_EQ(req[0][1], 5);
    EXPECT_EQ(req[0][3], 25);
    EXPECT_EQ(std::string(req[0].begin() + 4, req[0].begin() + 16), "PASSWORD1234");
    EXPECT_EQ(std::string(req[0].begin() + 16, req[0].begin() + 20), "ID77");
    EXPECT_EQ(f.Result, 3);
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.BitBtn4->isEnabled());
    EXPECT_EQ(qvr::ShownQues().size(), 1u) << "no message after a good reset";
    EXPECT_EQ(g_Hgc->Address, 1);
    EXPECT_EQ(g_Hgc->Baud, 9600u);
    EXPECT_EQ(ConnSettings.Dir.Adr, 1);
    EXPECT_EQ(ConnSettings.Dir.Rate, 9600);
    EXPECT_EQ(ConnSettings.Fon.Adr, 7) << "only the current link kind moves";
    EXPECT_NE(bar.texts[1].find('1'), std::string::npos) << bar.texts[1];
    EXPECT_TRUE(ctlsim::DestroyedTables(link.sim).empty());

    // The controller answers at the new address.
    TableRequest r{0, 0, 18};
    EXPECT_TRUE(g_Hgc->Request(1, &r, 3, 0)) << g_Hgc->ResultText();
    EXPECT_EQ(g_Hgc->RxBuf[1], 1);

    // Over a modem (a version 13 controller offers the reset there) the address follows,
    // the port keeps the modem's rate.
    SetVersion(13);
    ConnSettings.Conn_Prz = 1;
    ConnSettings.Fon.Adr = 1;
    ConnSettings.Fon.Rate = 115200;
    ConnSettings.Dir.Rate = 115200;
    g_Hgc->LinkKind = 1;
    g_Hgc->Baud = 115200;
    link.sim.SetAddress(5);
    g_Hgc->Address = 5;
    TFormTableInfo overModem;
    overModem.State = &s;
    overModem.StatusBar = &bar;
    overModem.show();
    ASSERT_TRUE(overModem.BitBtn4->isEnabled());
    qvr::QueueQuesAnswers({1});
    overModem.BitBtn4->click();
    EXPECT_EQ(overModem.Result, 3);
    EXPECT_EQ(g_Hgc->Address, 1);
    EXPECT_EQ(ConnSettings.Fon.Adr, 1);
    EXPECT_EQ(g_Hgc->Baud, 115200u);
    EXPECT_EQ(ConnSettings.Fon.Rate, 115200);
    EXPECT_EQ(ConnSettings.Dir.Rate, 115200);
}

TEST_F(TableInfoTest, FailedResetKeepsLinkAndForm) {
    SimLink link(5);
    ASSERT_FALSE(link.path.empty());
    ctlsim::InstallResetHandler(link.sim);
    link.sim.SetPassword("RIGHTPASSWRD");
    ASSERT_TRUE(link.Attach(5));
    std::memcpy(g_Hgc->Password, "WRONGPASSWRD", 12);
    ConnSettings.Conn_Prz = 0;
    ConnSettings.Dir.Adr = 5;
    ConnSettings.Dir.Rate = 115200;

    TableStateBuffer s = MakeState({3});
    TFormTableInfo f;
    f.State = &s;
    f.show();
    qvr::QueueQuesAnswers({1});
    f.BitBtn4->click();
    EXPECT_EQ(f.Result, 0);
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.BitBtn4->isEnabled());
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].kind, 6);
    EXPECT_EQ(shown[1].text1, "Команда не может быть выполнена.");
    EXPECT_EQ(shown[1].text2.rfind("Команда 25.", 0), 0u) << shown[1].text2;
    EXPECT_EQ(g_Hgc->Address, 5);
    EXPECT_EQ(ConnSettings.Dir.Adr, 5);
    EXPECT_EQ(ConnSettings.Dir.Rate, 115200);
    EXPECT_EQ(link.sim.Address(), 5);
}
