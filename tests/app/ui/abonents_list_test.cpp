// The subscriber directory grid: add, change, delete and both sort orders keep the current
// subscriber; the directory files are written only when a list changed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <cstring>
#include <functional>
#include <string>

#include "app/rd_wr_ini.h"
#include "app/ui/formabonent.h"
#include "app/ui/formabonents_list.h"
#include "app/ui/formconnect.h"
#include "common/codepage.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/inifile.h"
#include "common/question.h"
#include "common/ui/statusbar.h"
#include "support/tempdir.h"
#include "support/whenshown.h"

namespace {

class Directory : public ::testing::Test {
protected:
    void SetUp() override {
        ConnSettings = ConnSettingsRecord{};
        ConnSettingsSaved = ConnSettingsRecord{};
        PhoneListSaved = PhoneSubscriberList{};
        EthListSaved = EthSubscriberList{};
        g_SettingsIniPath = dir.path() + "/qvr.ini";
        g_PhoneListIniPath = dir.path() + "/fon_abonents.ini";
        g_EthListIniPath = dir.path() + "/ethr_abonents.ini";
        g_StatusBar2 = g_StatusBar3 = nullptr;
        qvr::ClearQuesRecord();
    }
    void AddPhone(const char* name, const char* phone, uint8_t adr = 1) {
        PhoneSubscriberList& l = ConnSettings.FonList;
        PhoneSubscriber& e = l.entries[l.head.users_num++];
        std::snprintf(e.user_name, sizeof e.user_name, "%s", qvr::Win(name).c_str());
        std::snprintf(e.phone_code, sizeof e.phone_code, "%s", phone);
        e.contr_adr = adr;
    }
    void AddEth(const char* name, uint32_t ip) {
        EthSubscriberList& l = ConnSettings.EthrList;
        EthernetSubscriber& e = l.entries[l.head.users_num++];
        std::snprintf(e.user_name, sizeof e.user_name, "%s", qvr::Win(name).c_str());
        e.contr_adr = 1;
        e.ip_adr = ip;
        e.port = 502;
    }
    static QString CellText(const TFormAbonents_List& f, int row, int col) {
        auto* item = f.StringGrid1->item(row, col);
        return item ? item->text() : QString();
    }
    static QString CurrentName(TFormAbonents_List& f) {
        return CellText(f, f.StringGrid1->currentRow(), 1).trimmed();
    }

    TempDir dir;
};

}  // namespace

TEST_F(Directory, GridAndSortOrdersKeepTheCurrentSubscriber) {
    ConnSettings.Conn_Prz = 1;
    AddPhone("Бета", "9", 2);
    AddPhone("альфа", "10", 3);
    AddPhone("Гамма", "5", 4);
    ConnSettings.FonList.head.user_index = 0;  // "Бета"
    TFormAbonents_List f;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Список абонентов (связь по телефону)"));
    EXPECT_EQ(f.width(), 682);
    EXPECT_EQ(f.height(), 560);
    EXPECT_EQ(f.StringGrid1->horizontalHeaderItem(3)->text(), QStringLiteral("№ телефона"));
    // By name (case ignored): альфа, Бета, Гамма.
    EXPECT_EQ(CellText(f, 0, 0), QStringLiteral("  1"));
    EXPECT_EQ(CellText(f, 0, 1), QStringLiteral(" альфа"));
    EXPECT_EQ(CellText(f, 0, 2), QStringLiteral(" 3"));
    EXPECT_EQ(CellText(f, 0, 3), QStringLiteral(" 10"));
    EXPECT_EQ(CurrentName(f), QStringLiteral("Бета"));
    EXPECT_FALSE(f.SpeedButton1->isEnabled());
    EXPECT_TRUE(f.SpeedButton2->isEnabled());

    f.SpeedButton2->click();  // by number as text: "10", "5", "9"
    EXPECT_EQ(f.FonList.head.sort_prz, 1);
    EXPECT_EQ(CellText(f, 0, 3), QStringLiteral(" 10"));
    EXPECT_EQ(CellText(f, 2, 3), QStringLiteral(" 9"));
    EXPECT_EQ(CurrentName(f), QStringLiteral("Бета"));
    EXPECT_EQ(f.FonList.head.user_index, 2);
    EXPECT_TRUE(f.SpeedButton1->isEnabled());
    EXPECT_FALSE(f.SpeedButton2->isEnabled());

    f.StringGrid1->setCurrentCell(1, 0);  // the user moves to "Гамма"
    EXPECT_EQ(f.FonList.head.user_index, 1);
    f.SpeedButton1->click();
    EXPECT_EQ(CurrentName(f), QStringLiteral("Гамма"));
    EXPECT_EQ(f.FonList.head.user_index, 2);
    // Nothing reached the settings yet.
    EXPECT_EQ(ConnSettings.FonList.head.sort_prz, 0);
    EXPECT_EQ(ConnSettings.FonList.head.user_index, 0);
}

TEST_F(Directory, EthernetGridByAddress) {
    ConnSettings.Conn_Prz = 2;
    AddEth("a", 0x0A000002);  // 10.0.0.2
    AddEth("b", 0x09FFFFFF);  // 9.255.255.255
    ConnSettings.EthrList.head.sort_prz = 1;
    TFormAbonents_List f;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Список абонентов (Ethernet-интерфейс)"));
    EXPECT_EQ(f.StringGrid1->horizontalHeaderItem(3)->text(), QStringLiteral("IP-адрес:порт"));
    EXPECT_EQ(CellText(f, 0, 3), QStringLiteral("9.255.255.255:502"));
    EXPECT_EQ(CellText(f, 1, 3), QStringLiteral("10.0.0.2:502"));
    EXPECT_EQ(CurrentName(f), QStringLiteral("a"));
}

TEST_F(Directory, ChangeAndAddKeepTheEditedEntryCurrent) {
    ConnSettings.Conn_Prz = 1;
    AddPhone("Бета", "2");
    AddPhone("Дельта", "4");
    ConnSettings.FonList.head.user_index = 1;
    TFormAbonents_List f;
    f.show();
    // Renamed so that it sorts first: it stays the current one.
    WhenShown<TFormAbonent>([](TFormAbonent& a) {
        EXPECT_EQ(a.Edit1->text(), QStringLiteral("Дельта"));
        a.Edit1->setText(QStringLiteral("Альфа"));
        a.BitBtn1->click();
    });
    f.BitBtn4->click();
    EXPECT_EQ(CurrentName(f), QStringLiteral("Альфа"));
    EXPECT_EQ(f.FonList.head.user_index, 0);

    WhenShown<TFormAbonent>([](TFormAbonent& a) {
        EXPECT_TRUE(a.Edit1->text().isEmpty());
        a.Edit1->setText(QStringLiteral("Вега"));
        a.ComboBox1->setEditText("8");
        a.Edit2->setText("3");
        a.BitBtn1->click();
    });
    f.BitBtn3->click();
    EXPECT_EQ(f.FonList.head.users_num, 3);
    EXPECT_EQ(CurrentName(f), QStringLiteral("Вега"));
    EXPECT_EQ(f.FonList.head.user_index, 2);  // Альфа, Бета, Вега
    EXPECT_EQ(f.StringGrid1->rowCount(), 3);
}

TEST_F(Directory, DeleteMovesToThePreviousEntry) {
    ConnSettings.Conn_Prz = 1;
    AddPhone("A", "1");
    AddPhone("B", "2");
    AddPhone("C", "3");
    ConnSettings.FonList.head.user_index = 1;
    TFormAbonents_List f;
    f.show();
    qvr::QueueQuesAnswers({0});  // "No": nothing deleted
    f.BitBtn5->click();
    EXPECT_EQ(f.FonList.head.users_num, 3);
    auto q = qvr::ShownQues();
    ASSERT_FALSE(q.empty());
    EXPECT_EQ(q.back().text1, "Вы действительно хотите");
    EXPECT_EQ(q.back().text2, "удалить этот абонент?");

    qvr::QueueQuesAnswers({1});
    f.BitBtn5->click();  // B goes, A becomes current
    EXPECT_EQ(f.FonList.head.users_num, 2);
    EXPECT_EQ(CurrentName(f), QStringLiteral("A"));
    EXPECT_EQ(CellText(f, 1, 1), QStringLiteral(" C"));
    const PhoneSubscriber zero{};
    EXPECT_EQ(std::memcmp(&f.FonList.entries[2], &zero, sizeof zero), 0);  // the freed entry is cleared

    qvr::QueueQuesAnswers({1});
    f.BitBtn5->click();  // entry 0 deleted: index stays 0, C is current
    EXPECT_EQ(CurrentName(f), QStringLiteral("C"));
    EXPECT_EQ(f.FonList.head.user_index, 0);

    qvr::QueueQuesAnswers({1});
    f.BitBtn5->click();  // the only entry
    EXPECT_EQ(f.FonList.head.users_num, 0);
    EXPECT_EQ(f.FonList.head.user_index, 0);
    EXPECT_EQ(f.StringGrid1->rowCount(), 1);
    EXPECT_TRUE(CellText(f, 0, 1).isEmpty());
    EXPECT_TRUE(f.BitBtn3->isEnabled());
    EXPECT_FALSE(f.BitBtn4->isEnabled());
    EXPECT_FALSE(f.BitBtn5->isEnabled());
}

TEST_F(Directory, FullDirectoryCannotGrow) {
    ConnSettings.Conn_Prz = 2;
    for (int i = 0; i < kMaxSubscribers - 1; ++i) AddEth(("s" + std::to_string(1000 + i)).c_str(), uint32_t(i));
    TFormAbonents_List f;
    f.show();
    EXPECT_TRUE(f.BitBtn3->isEnabled());
    WhenShown<TFormAbonent>([](TFormAbonent& a) {  // the 200th entry
        a.Edit1->setText("zz");
        a.ComboBox1->setEditText("1");
        for (QLineEdit* e : {a.ip4, a.ip3, a.ip2, a.ip1}) e->setText("1");
        a.Edit3->setText("502");
        a.BitBtn1->click();
    });
    f.BitBtn3->click();
    EXPECT_EQ(f.EthrList.head.users_num, kMaxSubscribers);
    EXPECT_FALSE(f.BitBtn3->isEnabled());
    f.BitBtn3Click();  // even when called directly, nothing is added
    EXPECT_EQ(f.EthrList.head.users_num, kMaxSubscribers);
    EXPECT_EQ(CurrentName(f), QStringLiteral("zz"));
}

TEST_F(Directory, FilesWrittenOnlyWhenAListChanged) {
    ConnSettings.Conn_Prz = 1;
    AddPhone("A", "1");
    AddPhone("B", "2");
    PhoneListSaved = ConnSettings.FonList;  // as read at start-up
    ConnSettingsSaved = ConnSettings;
    TStatusBar bar({200, 100});
    TFormConnect c(&bar);
    c.show();

    // Cancel after a deletion: the settings and the file stay untouched.
    WhenShown<TFormAbonents_List>([](TFormAbonents_List& f) {
        qvr::QueueQuesAnswers({1});
        f.BitBtn5->click();
        f.BitBtn2->click();
    });
    c.SpeedButton1->click();
    EXPECT_EQ(ConnSettings.FonList.head.users_num, 2);
    EXPECT_FALSE(qvr::FileExists(g_PhoneListIniPath));

    // Accepted without a change: still nothing to write.
    WhenShown<TFormAbonents_List>([](TFormAbonents_List& f) { f.BitBtn1->click(); });
    c.SpeedButton1->click();
    EXPECT_FALSE(qvr::FileExists(g_PhoneListIniPath));

    // Accepted after a deletion: the file holds the new list, the connection form shows it.
    WhenShown<TFormAbonents_List>([](TFormAbonents_List& f) {
        f.StringGrid1->setCurrentCell(0, 0);
        qvr::QueueQuesAnswers({1});
        f.BitBtn5->click();
        f.BitBtn1->click();
    });
    c.SpeedButton1->click();
    EXPECT_EQ(ConnSettings.FonList.head.users_num, 1);
    ASSERT_TRUE(qvr::FileExists(g_PhoneListIniPath));
    qvr::IniFile back(g_PhoneListIniPath);
    EXPECT_EQ(back.ReadInteger("FON_CONN_PAR", "users_num", -1), 1);
    EXPECT_EQ(back.ReadString("FON_ABONENT_1", "user_name", ""), "B");
    EXPECT_EQ(c.ComboBox2->count(), 2);
    EXPECT_EQ(c.ComboBox2->currentText(), QStringLiteral("B"));
    EXPECT_FALSE(qvr::FileExists(g_EthListIniPath));
}
