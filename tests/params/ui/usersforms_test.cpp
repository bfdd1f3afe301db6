// The users and identification forms, offscreen: what they show, what they refuse with which
// message, and what they hand back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <cstring>
#include <string>

#include "common/question.h"
#include "common/stringi.h"
#include "ctlsim/access.h"
#include "link/tabledir.h"
#include "params/ui/formaccess.h"
#include "params/ui/formuspass.h"
#include "params/users.h"
#include "simlink.h"

namespace {

UserEntry Make(const char* name, int level, const char* code, const char* password = "") {
    UserEntry e;
    PadField(e.name, 4, name);
    e.accessLevel = uint8_t(level);
    e.reserved = 0;
    PadField(e.writePassword, 12, password);
    PadField(e.idCode, 4, code);
    return e;
}

void Key(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
}

void Type(QWidget* w, const QString& chars) {
    for (QChar c : chars) Key(w, 0, QString(c));
}

std::string LastLine1() {
    auto shown = qvr::ShownQues();
    return shown.empty() ? "" : shown.back().text1;
}
std::string LastLine2() {
    auto shown = qvr::ShownQues();
    return shown.empty() ? "" : shown.back().text2;
}

class UsersForms : public ::testing::Test {
protected:
    void SetUp() override {
        qvr::InitStringTable();
        qvr::ClearQuesRecord();
    }
    void TearDown() override { qvr::ClearQuesRecord(); }
};

}  // namespace

// ---------------------------------------------------------------- identification

TEST_F(UsersForms, ShortUsPassLayoutAndEnterOrder) {
    TFormShortUsPass f;
    EXPECT_EQ(f.size(), QSize(384, 176));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Идентификация пользователя программы"));
    EXPECT_EQ(f.Label1->text(), QStringLiteral(" Код идентификации  пользователя"));
    EXPECT_EQ(f.Label2->text(), QStringLiteral(" Пароль на запись в контроллер"));
    EXPECT_EQ(f.Edit1->maxLength(), 4);
    EXPECT_EQ(f.Edit2->maxLength(), 12);
    EXPECT_EQ(f.Edit1->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.Edit2->echoMode(), QLineEdit::Password);
    f.show();
    QApplication::processEvents();
    f.activateWindow();
    EXPECT_TRUE(f.Edit1->text().isEmpty());
    // The code takes digits, '%' and the apostrophe only; the password anything.
    Type(f.Edit1, QStringLiteral("1a2b"));
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("12"));
    Type(f.Edit2, QStringLiteral("Пw 1"));
    EXPECT_EQ(f.Edit2->text(), QStringLiteral("Пw 1"));
    // Enter moves on and is not taken as a press of a button.
    f.Edit1->setFocus();
    Key(f.Edit1, Qt::Key_Return);
    EXPECT_EQ(f.focusWidget(), f.Edit2);
    Key(f.Edit2, Qt::Key_Return);
    EXPECT_EQ(f.focusWidget(), f.BitBtn1);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.Accepted, 0);
    Key(f.BitBtn1, Qt::Key_Return);
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(std::string(f.IdCode, 4), "12  ");
    EXPECT_EQ(std::string(f.Password, 12), "\xcfw 1        ");  // Windows-1251
}

TEST_F(UsersForms, ShortUsPassRefusesEmptyCodeAndBlanksEmptyPassword) {
    TFormShortUsPass f;
    f.show();
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(LastLine1(), "Не задан код идентификации пользователя");
    EXPECT_EQ(qvr::ShownQues().back().kind, qvr::kQuesInputError);
    f.Edit1->setText(QStringLiteral("77"));
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(std::string(f.Password, 12), std::string(12, ' '));
    EXPECT_EQ(std::string(f.IdCode, 4), "77  ");
}

// Accepted: the engine gets the password and code; cancelled: it keeps the old ones.
TEST_F(UsersForms, IdentifyUserSetsEngineOnlyOnAccept) {
    hgcbox box(1);
    hgcbox* saved = g_Hgc;
    g_Hgc = &box;
    std::memcpy(box.Password, "old password", 12);
    std::memcpy(box.IdCode, "0001", 4);
    QTimer::singleShot(0, [] {
        auto* f = qobject_cast<TFormShortUsPass*>(QApplication::activeModalWidget());
        ASSERT_NE(f, nullptr);
        f->Edit1->setText(QStringLiteral("42"));
        f->BitBtn2Click();
    });
    EXPECT_FALSE(qvr::IdentifyUser(nullptr));
    EXPECT_EQ(std::string(box.Password, 12), "old password");
    EXPECT_EQ(std::string(box.IdCode, 4), "0001");
    QTimer::singleShot(0, [] {
        auto* f = qobject_cast<TFormShortUsPass*>(QApplication::activeModalWidget());
        ASSERT_NE(f, nullptr);
        f->Edit1->setText(QStringLiteral("42"));
        f->BitBtn1Click();
    });
    EXPECT_TRUE(qvr::IdentifyUser(nullptr));
    EXPECT_EQ(std::string(box.Password, 12), std::string(12, ' '));
    EXPECT_EQ(std::string(box.IdCode, 4), "42  ");
    g_Hgc = saved;
}

TEST_F(UsersForms, UsPassShowsValuesAndChecksConfirmations) {
    TFormUsPass f;
    EXPECT_EQ(f.size(), QSize(354, 308));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Идентификация пользователя программы"));
    PadField(f.Password, 12, "abc");
    PadField(f.IdCode, 4, "12");
    f.ClearFields = 0;
    f.show();
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("12"));
    EXPECT_EQ(f.Edit2->text(), QStringLiteral("12"));
    EXPECT_EQ(f.Edit3->text(), QStringLiteral("abc"));
    EXPECT_EQ(f.Edit4->text(), QStringLiteral("abc"));
    EXPECT_EQ(f.Edit3->maxLength(), 12);
    EXPECT_EQ(f.Edit1->maxLength(), 4);

    f.Edit4->setText(QStringLiteral("abd"));
    f.Edit2->setText(QStringLiteral("13"));
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Несовпадение введенных паролей");
    EXPECT_EQ(LastLine2(), "Повторите процесс сначала");
    EXPECT_TRUE(f.Edit3->text().isEmpty());
    EXPECT_TRUE(f.Edit4->text().isEmpty());
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("12"));  // codes untouched
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Несовпадение введенных кодов");
    EXPECT_TRUE(f.Edit1->text().isEmpty());
    EXPECT_TRUE(f.Edit2->text().isEmpty());
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Не задан код идентификации пользователя");
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(std::string(f.IdCode, 4), "12  ");  // unchanged until accepted
    f.Edit1->setText(QStringLiteral("9"));
    f.Edit2->setText(QStringLiteral("9"));
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(std::string(f.IdCode, 4), "9   ");
    EXPECT_EQ(std::string(f.Password, 12), std::string(12, ' '));

    TFormUsPass g;
    PadField(g.IdCode, 4, "12");
    g.ClearFields = 1;
    g.show();
    EXPECT_TRUE(g.Edit1->text().isEmpty());
    EXPECT_TRUE(g.Edit3->text().isEmpty());
}

// ---------------------------------------------------------------- all users

TEST_F(UsersForms, AccessFormRowsAndAccept) {
    UserEntry users[kUserCount];
    for (auto& e : users) e = Make("", 0, "");
    users[0] = Make("MAK", 1, "1111", "p1");
    users[3] = Make("OP", 4, "4444");
    users[5] = Make("XX", 0, "5555");  // free entry with leftovers

    TFormAccess f;
    f.Users = users;
    f.DeviceMode = 1;
    EXPECT_EQ(f.size(), QSize(432, 564));
    f.show();
    EXPECT_EQ(f.BitBtn1->text(), QStringLiteral("Записать в устройство"));
    EXPECT_EQ(f.BitBtn2->text(), QStringLiteral("Отменить"));
    EXPECT_EQ(f.ek[0]->text(), QStringLiteral("MAK"));
    EXPECT_EQ(f.cb[0]->currentText(), QStringLiteral("Производитель-наладчик"));
    EXPECT_EQ(f.ek[5]->text(), QString());
    EXPECT_TRUE(f.bt[3]->isEnabled());
    EXPECT_FALSE(f.bt[5]->isEnabled());
    EXPECT_EQ(f.ek[15]->objectName(), QStringLiteral("ek16"));
    EXPECT_EQ(f.cb[15]->property("tag").toInt(), 15);
    EXPECT_EQ(f.ek[0]->maxLength(), 4);
    f.cb[7]->setCurrentIndex(3);
    EXPECT_TRUE(f.bt[7]->isEnabled());
    f.cb[7]->setCurrentIndex(0);
    EXPECT_FALSE(f.bt[7]->isEnabled());

    // A new engineer without a code is refused; the caller's entries stay as they were.
    f.cb[7]->setCurrentIndex(3);
    f.ek[7]->setText(QStringLiteral("ENG"));
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(LastLine1(), "Номер пользователя в таблице: 8.");
    EXPECT_EQ(LastLine2(), "Не задан код идентификации пользователя");
    EXPECT_EQ(users[7].accessLevel, 0);

    // The row button gives the row its password and code.
    QTimer::singleShot(0, [] {
        auto* u = qobject_cast<TFormUsPass*>(QApplication::activeModalWidget());
        ASSERT_NE(u, nullptr);
        EXPECT_EQ(u->ClearFields, 0);
        for (QLineEdit* e : {u->Edit1, u->Edit2}) e->setText(QStringLiteral("8888"));
        for (QLineEdit* e : {u->Edit3, u->Edit4}) e->setText(QStringLiteral("pw8"));
        u->BitBtn1Click();
    });
    f.bt[7]->click();
    f.BitBtn1Click();
    ASSERT_EQ(f.Accepted, 1) << LastLine1() << " / " << LastLine2();
    EXPECT_EQ(std::string(users[7].name, 4), "ENG ");
    EXPECT_EQ(users[7].accessLevel, 3);
    EXPECT_EQ(std::string(users[7].idCode, 4), "8888");
    EXPECT_EQ(std::string(users[7].writePassword, 12), "pw8         ");
    EXPECT_TRUE(IsBlankField(users[5].name, 4));  // free entries blanked
    EXPECT_TRUE(IsBlankField(users[5].idCode, 4));

    TFormAccess g;
    g.Users = users;
    g.DeviceMode = 0;
    g.show();
    EXPECT_EQ(g.BitBtn1->text(), QStringLiteral("Принять"));
    // Names equal after blank padding collide.
    g.ek[3]->setText(QStringLiteral("ENG "));
    g.BitBtn1Click();
    EXPECT_EQ(g.Accepted, 0);
    EXPECT_EQ(LastLine1(), "Пользователи   4 и 8.");
    EXPECT_EQ(LastLine2(), "Совпадение имен пользователей");
}

// ---------------------------------------------------------------- one user of a controller

namespace {

class ChangeAccess : public UsersForms {
protected:
    void SetUp() override {
        UsersForms::SetUp();
        std::memcpy(saved, TablePtr(4), kUsersBlockSize);
        UserEntry u[kUserCount];
        for (auto& e : u) e = Make("", 0, "");
        u[0] = Make("MAK", 1, "1111");
        u[1] = Make("ADM", 2, "2222");
        u[4] = Make("OPR", 4, "5555", "op");
        UsersToBytes(u, TablePtr(4));
    }
    void TearDown() override {
        std::memcpy(TablePtr(4), saved, kUsersBlockSize);
        UsersForms::TearDown();
    }
    UserEntry Entry(int i) { return UserEntryFromBytes(TablePtr(4) + size_t(i) * kUserEntrySize); }
    void Choose(TFormChangeAccess& f, int row, int level) {
        f.ListBox1->setCurrentRow(row);
        f.ComboBox1->setCurrentIndex(level);
    }
    uint8_t saved[kUsersBlockSize];
};

}  // namespace

TEST_F(ChangeAccess, ShowsUsersAndRefusesProtectedChanges) {
    TFormChangeAccess f;
    EXPECT_EQ(f.size(), QSize(676, 330));
    f.show();
    ASSERT_EQ(f.ListBox1->count(), 16);
    EXPECT_EQ(f.ListBox1->item(0)->text(), QStringLiteral("MAK"));
    EXPECT_EQ(f.ListBox1->item(2)->text(), QStringLiteral("   --   "));
    EXPECT_EQ(f.ListBox1->currentRow(), 0);
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("MAK"));
    EXPECT_EQ(f.Edit2->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.Edit4->maxLength(), 4);
    EXPECT_EQ(f.Edit2->maxLength(), 12);
    const std::string before(reinterpret_cast<char*>(TablePtr(4)), kUsersBlockSize);

    Choose(f, 0, 2);
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Вы не можете удалить пользователя");
    EXPECT_EQ(LastLine2(), "с уровнем доступа \"Производитель-наладчик\"");
    Choose(f, 4, 1);
    f.BitBtn1Click();
    EXPECT_EQ(LastLine2(), "только один производитель-наладчик");
    // The only administrator can be neither demoted nor deleted.
    Choose(f, 1, 4);
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Вы не можете удалить единственного пользователя");
    EXPECT_EQ(LastLine2(), "с уровнем доступа \"Администратор\"");
    Choose(f, 1, 0);
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Вы не можете удалить единственного пользователя");
    // Another user may not take the administrator's code.
    Choose(f, 4, 4);
    for (QLineEdit* e : {f.Edit4, f.Edit5}) e->setText(QStringLiteral("2222"));
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Пользователи   5 и  2.");
    EXPECT_EQ(LastLine2(), "Совпадение кодов идентификации пользователя");
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(TablePtr(4)), kUsersBlockSize), before);
}

TEST_F(ChangeAccess, NoMakerRefusesLevelOne) {
    UserEntry e = Make("", 0, "");
    UserEntryToBytes(e, TablePtr(4));
    TFormChangeAccess f;
    f.show();
    Choose(f, 0, 1);
    f.Edit1->setText(QStringLiteral("NEW"));
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Может быть зарегистрирован");
    EXPECT_EQ(LastLine2(), "только один производитель-наладчик");
}

TEST_F(ChangeAccess, MismatchesEmptyTheirFields) {
    TFormChangeAccess f;
    f.show();
    Choose(f, 4, 3);
    f.Edit2->setText(QStringLiteral("a"));
    f.Edit3->setText(QStringLiteral("b"));
    f.Edit4->setText(QStringLiteral("1"));
    f.Edit5->setText(QStringLiteral("1"));
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Несовпадение введенных паролей");
    EXPECT_TRUE(f.Edit2->text().isEmpty() && f.Edit3->text().isEmpty());
    EXPECT_EQ(f.Edit4->text(), QStringLiteral("1"));
    f.Edit5->setText(QStringLiteral("2"));
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Несовпадение введенных кодов");
    EXPECT_TRUE(f.Edit4->text().isEmpty() && f.Edit5->text().isEmpty());
    // Choosing another entry empties the four fields.
    f.Edit2->setText(QStringLiteral("x"));
    f.ListBox1->setCurrentRow(1);
    EXPECT_TRUE(f.Edit2->text().isEmpty());
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("ADM"));
    EXPECT_EQ(f.ComboBox1->currentIndex(), 2);
}

TEST_F(ChangeAccess, DeleteOperatorAndChangeEngineer) {
    {
        TFormChangeAccess f;
        f.show();
        Choose(f, 4, 0);
        f.BitBtn1Click();
        EXPECT_EQ(f.Accepted, 1);
        EXPECT_EQ(f.ChangedIndex, 4);
        UserEntry e = Entry(4);
        EXPECT_EQ(e.accessLevel, 0);
        EXPECT_TRUE(IsBlankField(e.name, 4) && IsBlankField(e.idCode, 4) && IsBlankField(e.writePassword, 12));
    }
    TFormChangeAccess f;
    f.show();
    Choose(f, 7, 3);
    f.Edit1->setText(QStringLiteral("ENG"));
    for (QLineEdit* e : {f.Edit4, f.Edit5}) e->setText(QStringLiteral("7777"));
    f.BitBtn1Click();
    ASSERT_EQ(f.Accepted, 1) << LastLine1();
    EXPECT_EQ(f.ChangedIndex, 7);
    UserEntry e = Entry(7);
    EXPECT_EQ(std::string(e.name, 4), "ENG ");
    EXPECT_EQ(e.accessLevel, 3);
    EXPECT_EQ(std::string(e.idCode, 4), "7777");
    EXPECT_EQ(std::string(e.writePassword, 12), std::string(12, ' '));
}

// The change form's entry reaches the controller through the table layer, and only a
// registered writer gets it written.
TEST_F(ChangeAccess, ChangedUserWrittenByRegisteredWriter) {
    SimLink link(1, 63);
    ctlsim::RequireRegisteredWriter(link.sim);
    link.sim.SetTableBytes(4, 0, std::vector<uint8_t>(TablePtr(4), TablePtr(4) + kUsersBlockSize));
    ASSERT_TRUE(link.Attach(1));
    std::memcpy(link.box()->IdCode, "2222", 4);  // the administrator, blank password

    QTimer::singleShot(0, [] {
        auto* f = qobject_cast<TFormChangeAccess*>(QApplication::activeModalWidget());
        ASSERT_NE(f, nullptr);
        f->ListBox1->setCurrentRow(9);
        f->ComboBox1->setCurrentIndex(4);
        f->Edit1->setText(QStringLiteral("NEW"));
        for (QLineEdit* e : {f->Edit4, f->Edit5}) e->setText(QStringLiteral("1010"));
        f->BitBtn1Click();
    });
    ASSERT_TRUE(qvr::ChangeUserAccess(nullptr, nullptr)) << link.box()->ResultText();
    auto t4 = link.sim.TableBytes(4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(t4.data() + 9 * 22), 4), "NEW ");
    EXPECT_EQ(t4[9 * 22 + 4], 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(t4.data() + 9 * 22 + 18), 4), "1010");

    // With a code nobody has, the controller refuses the write (error 34).
    std::memcpy(link.box()->IdCode, "9999", 4);
    link.box()->Tries = 1;
    qvr::QueueQuesAnswers({0});  // no retry
    EXPECT_FALSE(qvr::WriteChangedUser(9, nullptr));
    EXPECT_NE(std::string(link.box()->ResultText()).find("Пользователь не зарегистрирован или неправильный пароль"),
              std::string::npos);
}
