#include <gtest/gtest.h>

#include <map>

#include "app/connstatus.h"
#include "app/rd_wr_ini.h"
#include "common/codepage.h"
#include "common/globals.h"

namespace {

class FakeBar : public qvr::IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override { panels[panel] = text; }
    std::string PanelText(int panel) const override {
        auto it = panels.find(panel);
        return it == panels.end() ? std::string() : it->second;
    }
    void Repaint() override { ++repaints; }
    std::map<int, std::string> panels;
    int repaints = 0;
};

void SetText(char* field, size_t width, const std::string& text) {
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), std::min(text.size(), width - 1));
}

class ConnStatus : public ::testing::Test {
protected:
    void SetUp() override {
        ConnSettings = ConnSettingsRecord{};
        ConnSettings.Dir = LinkParams{3, 17, 38400, 5, 1, 100, 2};
        ConnSettings.Fon = LinkParams{4, 1, 9600, 5, 1, 100, 6};
        bar.panels = {{0, "old0"}, {1, "old1"}};
        bar2.panels = {{0, "old2"}};
        g_StatusBar2 = &bar2;
    }
    void TearDown() override { g_StatusBar2 = nullptr; }
    FakeBar bar, bar2;
};

}  // namespace

TEST_F(ConnStatus, DirectLine) {
    ShowConnectionStatus(&bar);
    EXPECT_EQ(bar.PanelText(0), " COM3,   38400 бит/с");
    EXPECT_EQ(bar.PanelText(1), " Адр. 17");
    EXPECT_EQ(bar2.PanelText(0), "");
    EXPECT_EQ(bar.repaints, 1);
}

TEST_F(ConnStatus, PhoneWithEmptyListLeavesAllPanelsEmpty) {
    ConnSettings.Conn_Prz = 1;
    ShowConnectionStatus(&bar);
    EXPECT_EQ(bar.PanelText(0), "");
    EXPECT_EQ(bar.PanelText(1), "");
    EXPECT_EQ(bar2.PanelText(0), "");
}

TEST_F(ConnStatus, PhoneAndEthernetSubscribers) {
    ConnSettings.Conn_Prz = 1;
    PhoneSubscriberList& p = ConnSettings.FonList;
    p.head = SubscriberListHead{2, 1, 0};
    SetText(p.entries[1].user_name, 50, qvr::Win("ГРС «Южная»"));
    SetText(p.entries[1].phone_code, 30, "8-861-000");
    p.entries[1].contr_adr = 250;
    ShowConnectionStatus(&bar);
    EXPECT_EQ(bar.PanelText(0), " COM4,   9600 бит/с");
    EXPECT_EQ(bar.PanelText(1), " Адр. 250");
    EXPECT_EQ(bar2.PanelText(0), " ГРС «Южная» (тел. 8-861-000)");

    ConnSettings.Conn_Prz = 2;
    EthSubscriberList& e = ConnSettings.EthrList;
    e.head = SubscriberListHead{1, 0, 0};
    SetText(e.entries[0].user_name, 50, qvr::Win("Узел"));
    e.entries[0].ip_adr = 0xC0A8010A;
    e.entries[0].contr_adr = 9;
    ShowConnectionStatus(&bar);
    EXPECT_EQ(bar.PanelText(0), "");
    EXPECT_EQ(bar.PanelText(1), " Адр. 9");
    EXPECT_EQ(bar2.PanelText(0), " Узел (IP-адр. 192.168.1.10)");

    // A current index beyond the list (possible only in memory) shows the last entry.
    e.head.user_index = 150;
    ShowConnectionStatus(&bar);
    EXPECT_EQ(bar.PanelText(1), " Адр. 9");
    // Without bars nothing breaks.
    g_StatusBar2 = nullptr;
    ShowConnectionStatus(nullptr);
}
