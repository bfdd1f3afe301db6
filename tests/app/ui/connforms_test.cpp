// The connection forms driven as a user would: fields typed, list items chosen, buttons
// pressed; nested dialogs are filled when they come up. The controller is the simulator
// on a pseudo-terminal or a loopback TCP port.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "app/connect.h"
#include "app/rd_wr_ini.h"
#include "app/ui/formabonent.h"
#include "app/ui/formconn_par.h"
#include "app/ui/formconnect.h"
#include "common/codepage.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/inifile.h"
#include "common/question.h"
#include "common/ui/statusbar.h"
#include "ctlsim/ctlsim.h"
#include "link/comportfunctions.h"
#include "link/hgcbox.h"
#include "link/tabledir.h"
#include "link/tcp_fun.h"
#include "support/tempdir.h"
#include "support/timing.h"
#include "support/whenshown.h"

using qvr::IniFile;

namespace {

constexpr int kCom = 77;
constexpr uint32_t kLoopback = 0x7F000001;

// A list choice by the user (the list reports it as activated).
void Choose(QComboBox* c, int index) {
    c->setCurrentIndex(index);
    emit c->activated(index);
}

qvr::QuesBox LastBox() {
    auto shown = qvr::ShownQues();
    return shown.empty() ? qvr::QuesBox{} : shown.back();
}

class Forms : public ::testing::Test {
protected:
    void SetUp() override {
        ConnSettings = ConnSettingsRecord{};
        ConnSettings.Dir = DefaultLinkParams(0);
        ConnSettings.Fon = DefaultLinkParams(1);
        ConnSettings.Ethr = DefaultLinkParams(2);
        ConnSettings.Free_Port_Wait = 1;
        ConnSettings.Fon_ConnectWaitTime = 50;
        ConnSettings.Fon_Conn_Repeat = 1;
        ConnSettings.Ethr_ConnectWaitTime = 2;
        ConnSettings.Ethr_Conn_Repeat = 1;
        ConnSettingsSaved = ConnSettings;
        PhoneListSaved = PhoneSubscriberList{};
        EthListSaved = EthSubscriberList{};
        g_SettingsIniPath = dir.path() + "/qvr.ini";
        g_PhoneListIniPath = dir.path() + "/fon_abonents.ini";
        g_EthListIniPath = dir.path() + "/ethr_abonents.ini";
        g_Hgc = new hgcbox(1);
        g_Hgc->TcpSendDelayMs = 0;
        g_StatusBar2 = &bar2;
        g_StatusBar3 = &bar3;
        qvr::ClearQuesRecord();
        SetTransportMessageBox([this](const std::string& t) { boxes.push_back(t); });
    }
    void TearDown() override {
        SetTransportMessageBox(nullptr);
        CloseEnginePort();
        if (g_Hgc->Socket >= 0) close(g_Hgc->Socket);
        delete g_Hgc;
        g_Hgc = nullptr;
        g_StatusBar2 = g_StatusBar3 = nullptr;
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
        ConnSettingsSaved = ConnSettings;
    }
    void AddEth(const char* name, uint32_t ip, uint32_t port, uint8_t adr) {
        EthSubscriberList& l = ConnSettings.EthrList;
        EthernetSubscriber& e = l.entries[l.head.users_num];
        std::snprintf(e.user_name, sizeof e.user_name, "%s", qvr::Win(name).c_str());  // names are kept in 1251
        e.contr_adr = adr;
        e.ip_adr = ip;
        e.port = port;
        l.head.user_index = l.head.users_num++;
    }
    void AddPhone(const char* name, const char* phone, uint8_t adr) {
        PhoneSubscriberList& l = ConnSettings.FonList;
        PhoneSubscriber& e = l.entries[l.head.users_num];
        std::snprintf(e.user_name, sizeof e.user_name, "%s", qvr::Win(name).c_str());  // names are kept in 1251
        std::snprintf(e.phone_code, sizeof e.phone_code, "%s", phone);
        e.contr_adr = adr;
        l.head.user_index = l.head.users_num++;
    }
    // qvr.ini as the program last wrote it.
    void WriteAll() {
        ConnSettingsSaved = ConnSettingsRecord{};
        ConnSettingsSaved.Conn_Prz = 0xEE;  // differs in every section
        ConnSettingsSaved.Dir.Adr = ConnSettingsSaved.Fon.Adr = ConnSettingsSaved.Ethr.Adr = 0xEE;
        ASSERT_TRUE(WriteConnSettings(g_SettingsIniPath));
    }

    TempDir dir;
    ctlsim::CtlSim sim{9};
    TStatusBar bar1{{200, 100}};
    TStatusBar bar2{{300}};
    TStatusBar bar3{{300}};
    std::vector<std::string> boxes;
};

// ------------------------------------------------------------ TFormConn_Par

TEST_F(Forms, ConnParLooksPerKind) {
    StartPty();
    TFormConn_Par f;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Параметры связи с устройством (непосредственная связь)"));
    EXPECT_EQ(f.width(), 606);
    EXPECT_EQ(f.height(), 264);
    EXPECT_TRUE(f.BitBtn3->isVisible());
    EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("COM77"));
    EXPECT_EQ(f.ComboBox2->count(), 22);
    EXPECT_EQ(f.ComboBox2->currentText(), QStringLiteral("115200"));
    EXPECT_EQ(f.ComboBox3->currentText(), QStringLiteral(" 1"));
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("1"));
    EXPECT_FALSE(f.Edit4->isEnabled());
    EXPECT_TRUE(f.Edit4->text().isEmpty());
    f.CheckBox1->click();  // ticking stores the choice at once
    EXPECT_EQ(ConnSettings.Do_Close_Port, 1);
    EXPECT_TRUE(f.Edit4->isEnabled());
    EXPECT_EQ(f.Edit4->text(), QStringLiteral("1"));
    f.CheckBox1->click();
    EXPECT_EQ(ConnSettings.Do_Close_Port, 0);
    EXPECT_TRUE(f.Edit4->text().isEmpty());
    f.close();

    ConnSettings.Conn_Prz = 1;
    ConnSettings.Fon.Rate = 12345;  // not one of the 22: nothing selected
    std::strcpy(ConnSettings.Command, "ATZ^ATE0");
    TFormConn_Par t;
    t.show();
    EXPECT_EQ(t.windowTitle(), QStringLiteral("Параметры связи с устройством (связь по телефону)"));
    EXPECT_EQ(t.height(), 344);
    EXPECT_FALSE(t.BitBtn3->isVisible());
    EXPECT_TRUE(t.pn_fon->isVisible());
    EXPECT_FALSE(t.CheckBox1->isEnabled());
    EXPECT_EQ(t.Edit5->text(), QStringLiteral("ATZ^ATE0"));
    EXPECT_EQ(t.ComboBox2->currentIndex(), -1);
    t.BitBtn1->click();
    EXPECT_EQ(LastBox().text1, "Введены не все параметры");
    EXPECT_TRUE(t.isVisible());
    t.close();

    ConnSettings.Conn_Prz = 2;
    TFormConn_Par e;
    e.show();
    EXPECT_EQ(e.windowTitle(), QStringLiteral("Параметры связи с устройством (Ethernet-интерфейс)"));
    EXPECT_EQ(e.height(), 344);
    EXPECT_TRUE(e.pn_ethr->isVisible());
    EXPECT_FALSE(e.pn_dir->isVisible());
    EXPECT_EQ(e.Edit8->text(), QStringLiteral("2"));
}

TEST_F(Forms, ConnParRefusesEveryOutOfRangeField) {
    StartPty();
    struct Case {
        int kind;
        std::function<void(TFormConn_Par&)> type;
        const char* name;
    };
    const Case cases[] = {
        {0, [](TFormConn_Par& f) { f.Edit3->setText("256"); }, "Количество преамбул в запросе"},
        {0, [](TFormConn_Par& f) { f.Edit1->setText("121"); }, "Время ожидания первого байта ответа"},
        {0, [](TFormConn_Par& f) { f.Edit1->setText("12%"); }, "Время ожидания первого байта ответа"},
        {0, [](TFormConn_Par& f) { f.Edit2->setText("54"); }, "Время ожидания следующих байтов ответа"},
        {0, [](TFormConn_Par& f) { f.Edit2->setText("5001"); }, "Время ожидания следующих байтов ответа"},
        {0,
         [](TFormConn_Par& f) {
             f.CheckBox1->click();
             f.Edit4->setText("21");
         },
         "Время ожидания освобождения СОМ порта"},
        {1, [](TFormConn_Par& f) { f.Edit6->setText("361"); }, "Ожидание соединения"},
        {1, [](TFormConn_Par& f) { f.Edit7->setText("11"); }, "Количество попыток соединения"},
        {2, [](TFormConn_Par& f) { f.Edit8->setText("361"); }, "Ожидание соединения"},
        {2, [](TFormConn_Par& f) { f.Edit9->setText("11"); }, "Количество попыток соединения"},
        {2, [](TFormConn_Par& f) { f.Edit12->setText("256"); }, "Количество преамбул в запросе"},
    };
    for (const Case& c : cases) {
        ConnSettings.Conn_Prz = uint8_t(c.kind);
        ConnSettings.Fon.COMPort = kCom;
        ConnSettings.Do_Close_Port = 0;
        qvr::ClearQuesRecord();
        TFormConn_Par f;
        f.show();
        c.type(f);
        auto before = std::make_unique<ConnSettingsRecord>(ConnSettings);
        f.BitBtn1->click();
        auto box = LastBox();
        EXPECT_EQ(box.kind, qvr::kQuesInputError) << c.name;
        EXPECT_EQ(box.text1, c.name);
        EXPECT_EQ(box.text2, "Параметр вне допустимого диапазона");
        EXPECT_TRUE(f.isVisible()) << c.name;
        EXPECT_EQ(f.Accepted, 0);
        EXPECT_EQ(std::memcmp(before.get(), &ConnSettings, sizeof ConnSettings), 0) << c.name;
        f.close();
    }
    EXPECT_FALSE(qvr::FileExists(g_SettingsIniPath));
}

TEST_F(Forms, GoodAcceptWritesOnlyTheChangedSection) {
    StartPty();
    WriteAll();
    // A hand-made mark in the telephone section shows whether that section is written again.
    IniFile ini(g_SettingsIniPath);
    ini.WriteInteger("FON_CONN_PAR", "TimeOut", 777);
    ASSERT_TRUE(ini.Save(nullptr));

    TFormConnect c(&bar1);
    c.show();
    WhenShown<TFormConn_Par>([](TFormConn_Par& f) {
        f.Edit2->setText("250");
        f.Edit3->setText("0");
        Choose(f.ComboBox3, 2);
        f.BitBtn1->click();
    });
    c.BitBtn3->click();
    EXPECT_EQ(ConnSettings.Dir.TimeOut, 250);
    EXPECT_EQ(ConnSettings.Dir.Preambles, 0);
    EXPECT_EQ(ConnSettings.Dir.Repeat, 3);
    IniFile back(g_SettingsIniPath);
    EXPECT_EQ(back.ReadInteger("DIR_CONN_PAR", "TimeOut", -1), 250);
    EXPECT_EQ(back.ReadInteger("DIR_CONN_PAR", "Repeat", -1), 3);
    EXPECT_EQ(back.ReadInteger("FON_CONN_PAR", "TimeOut", -1), 777);
    EXPECT_EQ(bar1.PanelText(0), " COM77,   115200 бит/с");
    EXPECT_TRUE(qvr::ShownQues().empty());
}

TEST_F(Forms, AddressSearchFindsAndStoresTheAddress) {
    StartPty();
    WriteAll();
    ConnSettings.Dir.Adr = 3;
    TFormConnect c(&bar1);
    c.show();
    EXPECT_EQ(c.ComboBox1->currentText(), QStringLiteral("3"));
    WhenShown<TFormConn_Par>([](TFormConn_Par& f) { f.BitBtn3->click(); });
    c.BitBtn3->click();
    EXPECT_EQ(ConnSettings.Dir.Adr, 9);
    EXPECT_EQ(c.ComboBox1->currentText(), QStringLiteral("9"));
    EXPECT_EQ(IniFile(g_SettingsIniPath).ReadInteger("DIR_CONN_PAR", "Adr", -1), 9);
    EXPECT_EQ(LastBox().text1, "Адрес устройства установлен");
    EXPECT_EQ(LastBox().text2, "(адрес = 9).");
    EXPECT_EQ(bar1.PanelText(1), " Адр. 9");
}

TEST_F(Forms, AddressSearchOnASilentLineKeepsTheForm) {
    StartPty();
    ctlsim::Faults silent;
    silent.silent = true;
    sim.SetFaults(silent);
    TFormConn_Par f;
    f.show();
    f.Edit2->setText("60");
    f.BitBtn3->click();
    EXPECT_EQ(LastBox().text1, "Устройство не обнаружено");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_TRUE(f.BitBtn1->isEnabled());
    EXPECT_TRUE(f.BitBtn2->isEnabled());
    EXPECT_TRUE(f.BitBtn3->isEnabled());
    EXPECT_EQ(ConnSettings.Dir.TimeOut, 60);  // the accepted values stay stored
}

// ------------------------------------------------------------ TFormConnect

TEST_F(Forms, ConnectKindsAndAddressChecks) {
    ConnSettings.Dir.Adr = 12;
    TFormConnect c(&bar1);
    c.show();
    EXPECT_EQ(c.windowTitle(), QStringLiteral("Установка связи с устройством"));
    EXPECT_EQ(c.width(), 440);
    EXPECT_EQ(c.height(), 194);
    EXPECT_FALSE(c.pn_abon->isVisible());
    EXPECT_TRUE(bar2.isHidden());
    EXPECT_EQ(c.ComboBox1->count(), 255);
    EXPECT_EQ(c.ComboBox1->currentText(), QStringLiteral("12"));

    for (const char* bad : {"0", "256", "1x"}) {
        c.ComboBox1->setEditText(QString::fromLatin1(bad));
        c.BitBtn1->click();
        EXPECT_EQ(LastBox().text1, "Адрес вне допустимого диапазона") << bad;
        EXPECT_EQ(LastBox().text2, "(1...255)");
    }
    c.ComboBox1->setEditText(QString());
    c.BitBtn1->click();
    EXPECT_EQ(LastBox().text1, "Введены не все параметры");
    EXPECT_TRUE(c.isVisible());
    EXPECT_EQ(c.Connected, 0);

    AddEth("Узел", kLoopback, 502, 33);
    Choose(c.ComboBox3, 2);
    EXPECT_EQ(ConnSettings.Conn_Prz, 2);
    EXPECT_EQ(c.height(), 266);
    EXPECT_TRUE(c.pn_abon->isVisible());
    EXPECT_FALSE(bar2.isHidden());
    EXPECT_FALSE(c.ComboBox1->isEnabled());
    EXPECT_EQ(c.ComboBox2->count(), 2);
    EXPECT_EQ(c.ComboBox2->itemText(1), QStringLiteral("Новый абонент"));
    EXPECT_EQ(c.ComboBox2->currentText(), QStringLiteral("Узел"));
    EXPECT_EQ(c.ComboBox1->currentText(), QStringLiteral("33"));
    EXPECT_EQ(bar2.PanelText(0), " Узел (IP-адр. 127.0.0.1)");
}

TEST_F(Forms, ConnectOverTcpLeavesTheEngineReady) {
    int port = sim.StartTcp();
    ASSERT_GT(port, 0);
    AddEth("Simulated", kLoopback, uint32_t(port), 9);
    ConnSettings.Conn_Prz = 2;
    TFormConnect c(&bar1);
    c.show();
    c.BitBtn1->click();
    ASSERT_EQ(c.Connected, 1);
    EXPECT_FALSE(c.isVisible());
    EXPECT_TRUE(boxes.empty());
    TableRequest r{0, 0, 1};
    EXPECT_TRUE(g_Hgc->Request(1, &r, sizeof r, 0)) << g_Hgc->ResultText();
    EXPECT_EQ(g_Hgc->Address, 9);
    IniFile back(g_SettingsIniPath);
    EXPECT_EQ(back.ReadInteger("CURR_PAR", "Conn_Prz", -1), 2);
    EXPECT_EQ(back.ReadInteger("ETHERNET_CONN_PAR", "Adr", -1), 9);
}

TEST_F(Forms, RefusedTcpConnectionTimesOut) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);  // bound, never listening
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    AddEth("Nobody", kLoopback, ntohs(a.sin_port), 9);
    ConnSettings.Conn_Prz = 2;
    ConnSettings.Ethr_ConnectWaitTime = 1;
    TFormConnect c(&bar1);
    c.show();
    auto t0 = Clock::now();
    c.BitBtn1->click();
    const long ms = MsSince(t0);
    close(fd);
    // The connection wait of 1 s, not the 5 s reply wait nor the 10 s of a rejected setting.
    EXPECT_GE(ms, 990);
    EXPECT_LT(ms, 4500);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Превышено время ожидания соединения сервер/клиент");
    EXPECT_EQ(c.Connected, 0);
    EXPECT_TRUE(c.isVisible());
    EXPECT_EQ(g_Hgc->Socket, kNoSocket);
}

TEST_F(Forms, DirectConnectOpensThePort) {
    StartPty();
    TFormConnect c(&bar1);
    c.show();
    c.ComboBox1->setEditText(QStringLiteral("9"));
    c.BitBtn1->click();
    ASSERT_EQ(c.Connected, 1);
    EXPECT_GE(g_Hgc->PortHandle, 0);
    TableRequest r{0, 0, 1};
    EXPECT_TRUE(g_Hgc->Request(1, &r, sizeof r, 0)) << g_Hgc->ResultText();
}

TEST_F(Forms, TelephoneNewSubscriberFromAnEmptyDirectory) {
    ConnSettings.Conn_Prz = 1;
    TFormConnect c(&bar1);
    c.show();
    ASSERT_EQ(c.ComboBox2->count(), 1);
    EXPECT_EQ(c.ComboBox2->currentIndex(), -1);
    EXPECT_TRUE(c.ComboBox1->currentText().isEmpty());
    c.BitBtn1->click();
    EXPECT_EQ(LastBox().text1, "Введены не все параметры");

    // Cancelled: nothing counted, nothing written.
    WhenShown<TFormAbonent>([](TFormAbonent& f) {
        f.Edit1->setText("x");
        f.BitBtn2->click();
    });
    Choose(c.ComboBox2, 0);
    EXPECT_EQ(ConnSettings.FonList.head.users_num, 0);
    EXPECT_EQ(c.ComboBox2->currentIndex(), -1);
    EXPECT_FALSE(qvr::FileExists(g_PhoneListIniPath));

    WhenShown<TFormAbonent>([](TFormAbonent& f) {
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Параметры абонента (связь по телефону)"));
        EXPECT_EQ(f.height(), 220);
        f.Edit1->setText(QStringLiteral("Котельная"));
        f.ComboBox1->setEditText("7");
        f.Edit2->setText("84951234567");
        f.BitBtn1->click();
    });
    Choose(c.ComboBox2, 0);
    EXPECT_EQ(ConnSettings.FonList.head.users_num, 1);
    EXPECT_EQ(ConnSettings.FonList.head.user_index, 0);
    EXPECT_EQ(c.ComboBox2->currentText(), QStringLiteral("Котельная"));
    EXPECT_EQ(c.ComboBox1->currentText(), QStringLiteral("7"));
    EXPECT_TRUE(c.BitBtn1->isEnabled());
    IniFile back(g_PhoneListIniPath);
    EXPECT_EQ(back.ReadInteger("FON_CONN_PAR", "users_num", -1), 1);
    EXPECT_EQ(back.ReadString("FON_ABONENT_1", "phone_code", ""), "84951234567");
}

TEST_F(Forms, FullDirectoryHasNoNewEntry) {
    for (int i = 0; i < kMaxSubscribers; ++i) AddPhone(("n" + std::to_string(i)).c_str(), "1", 1);
    ConnSettings.FonList.head.user_index = 5;
    ConnSettings.Conn_Prz = 1;
    TFormConnect c(&bar1);
    c.show();
    EXPECT_EQ(c.ComboBox2->count(), kMaxSubscribers);
    EXPECT_EQ(c.ComboBox2->findText(QStringLiteral("Новый абонент")), -1);
    EXPECT_EQ(c.ComboBox2->currentIndex(), 5);
}

// ------------------------------------------------------------ TFormAbonent

TEST_F(Forms, SubscriberFormRefusesBadFields) {
    ConnSettings.Conn_Prz = 2;
    AddEth("A", 0x0A000002, 502, 3);
    EthernetSubscriber& e = ConnSettings.EthrList.entries[0];
    const EthernetSubscriber before = e;
    struct Case {
        std::function<void(TFormAbonent&)> type;
        const char* line1;
        const char* line2;
    };
    const Case cases[] = {
        {[](TFormAbonent& f) { f.ip3->setText("256"); }, "Поле IP-адреса вне допустимого диапазона", "(0...255)"},
        {[](TFormAbonent& f) { f.ip1->clear(); }, "Введены не все параметры", ""},
        {[](TFormAbonent& f) { f.Edit3->setText("0"); }, "Порт вне допустимого диапазона", "(1...65535)"},
        {[](TFormAbonent& f) { f.Edit3->setText("70000"); }, "Порт вне допустимого диапазона", "(1...65535)"},
        {[](TFormAbonent& f) { f.Edit3->setText("5'"); }, "Порт вне допустимого диапазона", "(1...65535)"},
        {[](TFormAbonent& f) { f.ComboBox1->setEditText("0"); }, "Адрес вне допустимого диапазона", "(1...255)"},
        {[](TFormAbonent& f) { f.Edit1->clear(); }, "Введены не все параметры", ""},
    };
    for (const Case& c : cases) {
        TFormAbonent f;
        f.EditMode = 1;
        f.EthEntry = &e;
        f.show();
        EXPECT_EQ(f.ip4->text(), QStringLiteral("10"));
        EXPECT_EQ(f.Edit3->text(), QStringLiteral("502"));
        c.type(f);
        f.BitBtn1->click();
        EXPECT_EQ(LastBox().text1, c.line1);
        EXPECT_EQ(LastBox().text2, c.line2);
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(f.Accepted, 0);
        EXPECT_EQ(std::memcmp(&e, &before, sizeof e), 0);
    }
    TFormAbonent f;
    f.EditMode = 1;
    f.EthEntry = &e;
    f.show();
    EXPECT_EQ(f.height(), 224);
    f.ip4->setText("192");
    f.ip3->setText("168");
    f.ip2->setText("0");
    f.ip1->setText("255");
    f.Edit3->setText("65535");
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(e.ip_adr, 0xC0A800FFu);
    EXPECT_EQ(e.port, 65535u);
    EXPECT_EQ(e.contr_adr, 3);
}

}  // namespace
