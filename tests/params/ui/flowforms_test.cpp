// The flow-computer forms, offscreen: what the list and the one-device form show, what
// they refuse with which message, the bytes they hand back, the password flags, the
// exchange-state window, and the whole device-mode command against the simulator.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/question.h"
#include "common/stringi.h"
#include "link/tabledir.h"
#include "params/configrecord.h"
#include "params/flowcomputers.h"
#include "params/ui/formfloulist.h"
#include "params/ui/formfloupar.h"
#include "params/ui/formvichinf.h"
#include "simlink.h"

using Bytes = std::vector<uint8_t>;

namespace {

FlowComputerEntry Row(int address, int type = 0, int pipelines = 1, int order = 0, const char* password = "") {
    FlowComputerEntry e = EmptyFlowComputer();
    e.address = uint8_t(address);
    e.type = uint8_t(type);
    e.pipelines = uint8_t(pipelines);
    e.byteOrder = uint8_t(order);
    std::memcpy(e.password, password, std::strlen(password));
    return e;
}

void Type(QWidget* w, const QString& chars) {
    for (QChar c : chars) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

// Runs `act` on the next modal dialog of type T as soon as it is up.
template <class T>
void WhenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

std::string LastLine1() {
    auto shown = qvr::ShownQues();
    return shown.empty() ? "" : shown.back().text1;
}

// 16 rows of 20 bytes as a caller (or a configuration record) holds them.
struct Rows {
    uint8_t bytes[kFlowComputerRowsBytes];
    Rows() { std::memset(bytes, 0xEE, sizeof bytes); }
    void Set(int i, const FlowComputerEntry& e) { FlowComputerToBytes(e, bytes + 20 * i); }
    FlowComputerEntry Get(int i) const { return FlowComputerFromBytes(bytes + 20 * i); }
};

class FlowForms : public ::testing::Test {
protected:
    void SetUp() override {
        qvr::InitStringTable();
        qvr::ClearQuesRecord();
        std::memset(g_TableMemory, 0, kTableMemorySize);
    }
    void TearDown() override { qvr::ClearQuesRecord(); }
};

}  // namespace

// ---------------------------------------------------------------- one flow computer

TEST_F(FlowForms, ParShowsEntryAndLaysOutPipelines) {
    FlowComputerEntry e = Row(12, 2, 0x05, 1, "pass");
    uint8_t sou = 0;
    TFormFlouPar f;
    f.Number = 3;
    f.Entry = &e;
    f.Sou = &sou;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Параметры вычислителя расхода газа № 3"));
    EXPECT_EQ(f.size(), QSize(412, 360));
    EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("12"));
    EXPECT_EQ(f.ComboBox1->count(), 254);
    EXPECT_EQ(f.ComboBox2->currentIndex(), 2);
    EXPECT_EQ(f.ComboBox3->currentText(), QStringLiteral(" Мл. адрес - мл. байт"));
    EXPECT_TRUE(f.CheckBox1->isEnabled() && f.CheckBox2->isEnabled() && f.CheckBox3->isEnabled());
    EXPECT_TRUE(f.CheckBox1->isChecked());
    EXPECT_FALSE(f.CheckBox2->isChecked());
    EXPECT_TRUE(f.CheckBox3->isChecked());
    EXPECT_TRUE(f.Edit1->isVisible());
    EXPECT_FALSE(f.Edit2->isVisible());
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("pass"));
    EXPECT_EQ(f.Edit1->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.Label4->text(), QStringLiteral("Пароль на запись\n(до 16 символов)"));
    // Type 1: only the first box, checked from bit 0.
    f.ComboBox2->setCurrentIndex(1);
    EXPECT_TRUE(f.CheckBox1->isEnabled());
    EXPECT_FALSE(f.CheckBox2->isEnabled());
    EXPECT_FALSE(f.CheckBox3->isEnabled());
    EXPECT_FALSE(f.CheckBox3->isChecked());
    // "SOU": password and code fields, wider window.
    f.CheckBox4->click();
    EXPECT_EQ(f.size(), QSize(506, 360));
    EXPECT_FALSE(f.Edit1->isVisible());
    EXPECT_TRUE(f.Edit2->isVisible() && f.Edit3->isVisible());
    EXPECT_EQ(f.Label4->text(), QStringLiteral("Пароль на запись\n(до 12 символов)"));
    EXPECT_EQ(f.Edit2->maxLength(), 12);
    EXPECT_EQ(f.Edit3->maxLength(), 4);
    // Codes that are out of the lists show nothing chosen.
    FlowComputerEntry odd = Row(0, 9, 7, 5);
    TFormFlouPar g;
    g.Entry = &odd;
    g.show();
    EXPECT_EQ(g.ComboBox1->currentText(), QString());
    EXPECT_EQ(g.ComboBox2->currentIndex(), -1);
    EXPECT_EQ(g.ComboBox3->currentIndex(), -1);
    EXPECT_FALSE(g.CheckBox1->isEnabled());
}

TEST_F(FlowForms, ParRefusalsKeepTheEntry) {
    FlowComputerEntry e = Row(0, 9, 0, 7);
    const FlowComputerEntry before = e;
    uint8_t sou = 0;
    TFormFlouPar f;
    f.Entry = &e;
    f.Sou = &sou;
    f.show();
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Введены не все параметры");
    EXPECT_EQ(qvr::ShownQues().back().kind, qvr::kQuesInputError);
    f.ComboBox2->setCurrentIndex(0);
    f.ComboBox3->setCurrentIndex(0);
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Введены не все параметры");  // address still empty
    // Typed: digits only, at most three.
    f.ComboBox1->lineEdit()->setFocus();
    Type(f.ComboBox1->lineEdit(), QStringLiteral("2a55"));
    EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("255"));
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Адрес вне допускаемого диапазона");
    f.ComboBox1->setEditText(QStringLiteral("0"));
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Адрес вне допускаемого диапазона");
    f.ComboBox1->setEditText(QStringLiteral("4%"));
    f.BitBtn1Click();
    EXPECT_EQ(LastLine1(), "Адрес вне допускаемого диапазона");
    EXPECT_EQ(qvr::ShownQues().size(), 5u);
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(std::memcmp(&e, &before, sizeof e), 0);
    // Cancel leaves the entry as it was.
    f.ComboBox1->setEditText(QStringLiteral("9"));
    f.BitBtn2Click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(std::memcmp(&e, &before, sizeof e), 0);
}

// Accepted: the typed address, lists and boxes; type 1 keeps only bit 0 of the pipelines;
// an untouched password is not "changed".
TEST_F(FlowForms, ParAcceptBuildsTheEntry) {
    FlowComputerEntry e = Row(30, 0, 0x07, 0, "keep");
    uint8_t sou = 0;
    TFormFlouPar f;
    f.Entry = &e;
    f.Sou = &sou;
    f.show();
    f.ComboBox1->setEditText(QStringLiteral("254"));
    f.ComboBox2->setCurrentIndex(1);
    f.ComboBox3->setCurrentIndex(1);
    f.BitBtn1Click();
    ASSERT_EQ(f.Accepted, 1);
    EXPECT_EQ(e.address, 254);
    EXPECT_EQ(e.type, 1);
    EXPECT_EQ(e.byteOrder, 1);
    EXPECT_EQ(e.pipelines, 0x01);
    EXPECT_EQ(f.PasswordChanged, 0);
    EXPECT_EQ(std::string(e.password, 16), "keep            ");

    // Pipelines from the boxes of a three-pipeline type.
    FlowComputerEntry g = Row(5, 1, 0x01);
    TFormFlouPar f2;
    f2.Entry = &g;
    f2.show();
    f2.ComboBox2->setCurrentIndex(3);  // bit 0 of the copy checks box 1
    f2.CheckBox3->setChecked(true);
    f2.BitBtn1Click();
    ASSERT_EQ(f2.Accepted, 1);
    EXPECT_EQ(g.pipelines, 0x05);
    EXPECT_EQ(g.type, 3);
}

// The password typed whole, or as a 12-character password and a 4-digit code.
TEST_F(FlowForms, ParPasswordFields) {
    FlowComputerEntry e = Row(1, 0, 1, 0, "0123456789ABCDEF");
    uint8_t sou = 0;
    TFormFlouPar f;
    f.Entry = &e;
    f.Sou = &sou;
    f.show();
    f.Edit1->setFocus();
    f.Edit1->selectAll();
    Type(f.Edit1, QStringLiteral("Пароль"));
    f.Edit1Exit();  // leaving the field stores it
    EXPECT_EQ(std::string(f.Working().password, 16), "\xcf\xe0\xf0\xee\xeb\xfc          ");
    f.BitBtn1Click();
    ASSERT_EQ(f.Accepted, 1);
    EXPECT_EQ(f.PasswordChanged, 1);
    EXPECT_EQ(sou, 0);
    EXPECT_EQ(std::string(e.password, 16), "\xcf\xe0\xf0\xee\xeb\xfc          ");

    TFormFlouPar g;
    g.Entry = &e;
    g.Sou = &sou;
    g.show();
    QApplication::processEvents();
    g.activateWindow();
    g.CheckBox4->click();
    g.Edit2->setText(QStringLiteral("abc"));
    g.Edit2->setModified(true);
    g.Edit3->setFocus();
    Type(g.Edit3, QStringLiteral("12x34"));
    EXPECT_EQ(g.Edit3->text(), QStringLiteral("1234"));
    // Enter in the code moves to the password.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(g.Edit3, &enter);
    EXPECT_EQ(g.focusWidget(), g.Edit2);
    g.BitBtn1Click();  // fields not yet left are stored on acceptance
    ASSERT_EQ(g.Accepted, 1);
    EXPECT_EQ(std::string(e.password, 16), "abc         1234");
    EXPECT_EQ(sou, 1);
    EXPECT_EQ(g.PasswordChanged, 1);

    // A character the controller cannot hold is refused with the form open.
    TFormFlouPar h;
    h.Entry = &e;
    h.Sou = &sou;
    h.show();
    EXPECT_TRUE(h.CheckBox4->isChecked());
    EXPECT_EQ(h.Edit2->text(), QStringLiteral("abc"));
    EXPECT_EQ(h.Edit3->text(), QStringLiteral("1234"));
    h.Edit2->setText(QStringLiteral("日本"));
    h.Edit2->setModified(true);
    h.BitBtn1Click();
    EXPECT_EQ(h.Accepted, 0);
    EXPECT_EQ(LastLine1(), "Введен символ, недопустимый в контроллере");
    EXPECT_EQ(std::string(e.password, 16), "abc         1234");
}

// ---------------------------------------------------------------- the list

TEST_F(FlowForms, ListCellsButtonsAndSize) {
    Rows rows;
    rows.Set(0, Row(5, 1, 0x01, 0));
    rows.Set(1, Row(200, 4, 0x07, 2));
    TFormFlouList f;
    f.Mode = 1;
    f.Entries = rows.bytes;
    f.Count = 2;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Параметры вычислителей расхода газа"));
    EXPECT_EQ(f.BitBtn1->text(), QStringLiteral("Записать в устройство"));
    ASSERT_EQ(f.StringGrid1->rowCount(), 2);
    EXPECT_EQ(f.StringGrid1->item(0, 0)->text(), QStringLiteral("   5"));
    EXPECT_EQ(f.StringGrid1->item(0, 1)->text(), QStringLiteral(" Вычислитель тип 1"));
    EXPECT_EQ(f.StringGrid1->item(0, 2)->text(), QStringLiteral(" Мл. адрес -- ст. байт"));
    EXPECT_EQ(f.StringGrid1->item(0, 3)->text(), QStringLiteral("      0x01"));
    EXPECT_EQ(f.StringGrid1->item(1, 1)->text(), QStringLiteral(" ?"));
    EXPECT_EQ(f.StringGrid1->item(1, 2)->text(), QStringLiteral(" ?"));
    EXPECT_EQ(f.StringGrid1->item(1, 3)->text(), QStringLiteral("      0x07"));
    EXPECT_EQ(f.StringGrid1->currentRow(), 0);
    const int rh = f.StringGrid1->verticalHeader()->defaultSectionSize();
    EXPECT_EQ(f.StringGrid1->height(), (rh + 1) * 2 + 3);
    EXPECT_EQ(f.height(), f.StringGrid1->y() + (rh + 1) * 2 + 3 + 120);
    EXPECT_TRUE(f.BitBtn3->isEnabled());
    EXPECT_TRUE(f.BitBtn5->isEnabled());

    // File mode; a count past 16 shows 16 rows and never reads past them; Add is off.
    Rows full;
    for (int i = 0; i < 16; ++i) full.Set(i, Row(i + 1));
    TFormFlouList g;
    g.Entries = full.bytes;
    g.Count = 99;
    g.show();
    EXPECT_EQ(g.BitBtn1->text(), QStringLiteral("Принять"));
    EXPECT_EQ(g.StringGrid1->rowCount(), 16);
    EXPECT_FALSE(g.BitBtn3->isEnabled());
    g.BitBtn1Click();
    EXPECT_EQ(g.Accepted, 1);
    EXPECT_EQ(g.Count, 16);
}

// Count 0: one empty row, refused until an address is set; Delete is off with one row.
TEST_F(FlowForms, ListFromNothing) {
    Rows rows;
    TFormFlouList f;
    f.Entries = rows.bytes;
    f.Count = 0;
    f.show();
    EXPECT_EQ(f.Count, 1);
    ASSERT_EQ(f.StringGrid1->rowCount(), 1);
    EXPECT_EQ(f.StringGrid1->item(0, 0)->text(), QStringLiteral("   0"));
    EXPECT_FALSE(f.BitBtn5->isEnabled());
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 0);
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].kind, qvr::kQuesInputError);
    EXPECT_EQ(qvr::ShownQues()[0].text1, "Вычислитель № 1");
    EXPECT_EQ(qvr::ShownQues()[0].text2, "Неверно заданы параметры");
    EXPECT_EQ(rows.Get(0).address, 0xEE);  // nothing stored
    // "Изменить" sets the address; then the list is accepted.
    WhenModal<TFormFlouPar>([](TFormFlouPar* p) {
        EXPECT_EQ(p->windowTitle(), QStringLiteral("Параметры вычислителя расхода газа № 1"));
        p->ComboBox1->setEditText(QStringLiteral("8"));
        p->BitBtn1Click();
    });
    f.BitBtn4Click();
    EXPECT_EQ(f.StringGrid1->item(0, 0)->text(), QStringLiteral("   8"));
    EXPECT_EQ(f.PasswordSet[0], 0);  // the blank password was not touched
    f.BitBtn1Click();
    ASSERT_EQ(f.Accepted, 1);
    EXPECT_EQ(f.Count, 1);
    EXPECT_EQ(rows.bytes[0], 8);
    EXPECT_EQ(rows.bytes[1], 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rows.bytes + 4), 16), std::string(16, ' '));
    EXPECT_EQ(rows.bytes[20], 0xEE);  // past the count: untouched
}

TEST_F(FlowForms, ListRefusesRepeatedAddress) {
    Rows rows;
    rows.Set(0, Row(5));
    rows.Set(1, Row(6));
    rows.Set(2, Row(5));
    TFormFlouList f;
    f.Entries = rows.bytes;
    f.Count = 3;
    f.show();
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(LastLine1(), "Повтор адреса 5");
    EXPECT_EQ(qvr::ShownQues().back().text2, "");
    EXPECT_TRUE(f.isVisible());
}

// Deleting asks first; row 2 of 4 marks the moved rows for password writing; the
// selection stays at the index or goes to the new last row.
TEST_F(FlowForms, ListDelete) {
    Rows rows;
    for (int i = 0; i < 4; ++i) rows.Set(i, Row(10 + i));
    TFormFlouList f;
    f.Entries = rows.bytes;
    f.Count = 4;
    f.show();
    f.StringGrid1->selectRow(1);
    qvr::QueueQuesAnswers({0});
    f.BitBtn5Click();
    EXPECT_EQ(qvr::ShownQues().back().text1, "Вы действительно хотите удалить");
    EXPECT_EQ(qvr::ShownQues().back().text2, "вычислитель адр. 11?");
    EXPECT_EQ(f.StringGrid1->rowCount(), 4);
    qvr::QueueQuesAnswers({1});
    f.BitBtn5Click();
    ASSERT_EQ(f.StringGrid1->rowCount(), 3);
    EXPECT_EQ(f.StringGrid1->item(1, 0)->text(), QStringLiteral("   12"));
    EXPECT_EQ(f.StringGrid1->currentRow(), 1);
    const uint8_t expectSet[16] = {0, 1, 1};
    EXPECT_EQ(std::memcmp(f.PasswordSet, expectSet, 16), 0);
    f.StringGrid1->selectRow(2);
    qvr::QueueQuesAnswers({1, 1});
    f.BitBtn5Click();
    EXPECT_EQ(f.StringGrid1->currentRow(), 1);
    f.BitBtn5Click();
    EXPECT_EQ(f.StringGrid1->rowCount(), 1);
    EXPECT_FALSE(f.BitBtn5->isEnabled());
    f.BitBtn1Click();
    ASSERT_EQ(f.Accepted, 1);
    EXPECT_EQ(f.Count, 1);
    EXPECT_EQ(rows.Get(0).address, 10);
}

// Adding: a new row through the one-device form, flagged for its password; cancelled, the
// list is as it was; a double click changes a row.
TEST_F(FlowForms, ListAddAndChange) {
    Rows rows;
    rows.Set(0, Row(3));
    TFormFlouList f;
    f.Entries = rows.bytes;
    f.Count = 1;
    f.show();
    WhenModal<TFormFlouPar>([](TFormFlouPar* p) {
        EXPECT_EQ(p->windowTitle(), QStringLiteral("Параметры вычислителя расхода газа № 2"));
        EXPECT_EQ(p->ComboBox1->currentText(), QString());
        p->BitBtn2Click();
    });
    f.BitBtn3Click();
    EXPECT_EQ(f.StringGrid1->rowCount(), 1);
    EXPECT_EQ(f.PasswordSet[1], 0);

    WhenModal<TFormFlouPar>([](TFormFlouPar* p) {
        p->ComboBox1->setEditText(QStringLiteral("44"));
        p->ComboBox2->setCurrentIndex(2);
        p->ComboBox3->setCurrentIndex(0);
        p->CheckBox2->setChecked(true);
        p->CheckBox4->click();
        p->Edit3->setText(QStringLiteral("77"));
        p->Edit3->setModified(true);
        p->BitBtn1Click();
    });
    f.BitBtn3Click();
    ASSERT_EQ(f.StringGrid1->rowCount(), 2);
    EXPECT_EQ(f.StringGrid1->currentRow(), 1);
    EXPECT_EQ(f.StringGrid1->item(1, 3)->text(), QStringLiteral("      0x02"));
    EXPECT_EQ(f.PasswordSet[1], 1);
    EXPECT_TRUE(f.BitBtn5->isEnabled());

    // The "SOU" flag of the new row is kept while the list is open.
    WhenModal<TFormFlouPar>([](TFormFlouPar* p) {
        EXPECT_TRUE(p->CheckBox4->isChecked());
        EXPECT_EQ(p->Edit3->text(), QStringLiteral("77"));
        p->ComboBox1->setEditText(QStringLiteral("45"));
        p->BitBtn1Click();
    });
    emit f.StringGrid1->cellDoubleClicked(1, 0);
    EXPECT_EQ(f.StringGrid1->item(1, 0)->text(), QStringLiteral("   45"));

    f.BitBtn1Click();
    ASSERT_EQ(f.Accepted, 1);
    EXPECT_EQ(f.Count, 2);
    const uint8_t expect[20] = {45, 2, 0x02, 0, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', '7', '7', ' ', ' '};
    EXPECT_EQ(std::memcmp(rows.bytes + 20, expect, 20), 0);
}

// File mode over a configuration record: the rows at 399, the count at 2393 by the caller.
TEST_F(FlowForms, ListEditsARecord) {
    ConfigRecord rec{};
    rec[cfgrec::kFlowComputerNumber] = 2;
    FlowComputerToBytes(Row(1, 0, 7, 0, "a"), rec.data() + cfgrec::FlowComputerEntry(0));
    FlowComputerToBytes(Row(2, 0, 7, 0, "b"), rec.data() + cfgrec::FlowComputerEntry(1));
    TFormFlouList f;
    f.Mode = 0;
    f.Entries = rec.data() + cfgrec::kFlowComputers;
    f.Count = rec[cfgrec::kFlowComputerNumber];
    f.show();
    f.StringGrid1->selectRow(0);
    qvr::QueueQuesAnswers({1});
    f.BitBtn5Click();
    f.BitBtn1Click();
    ASSERT_EQ(f.Accepted, 1);
    rec[cfgrec::kFlowComputerNumber] = f.Count;
    EXPECT_EQ(rec[2393], 1);
    EXPECT_EQ(rec[399], 2);
    EXPECT_EQ(rec[403], 'b');
    EXPECT_EQ(rec[419], 2);  // row 2 past the count keeps what it had
    EXPECT_EQ(rec[718 + 1], 0);
}

// ---------------------------------------------------------------- exchange state

TEST_F(FlowForms, VichInfRows) {
    TablePtr(9)[0] = 3;
    FlowComputerStateBlock s{};
    s.address[0] = 10;
    s.address[1] = 11;
    s.address[2] = 254;
    s.linkPresent[0] = 1;
    s.linkPresent[2] = 1;
    s.writing[1] = 1;
    TFormVichInf f;
    f.States = &s;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Состояние обмена с вычислителями РГ"));
    EXPECT_EQ(f.width(), 380);
    EXPECT_EQ(f.VisibleRows(), 3);
    EXPECT_TRUE(f.Address[2]->isVisible());
    EXPECT_FALSE(f.Address[3]->isVisible());
    EXPECT_EQ(f.Address[2]->text(), QStringLiteral("254"));
    EXPECT_EQ(f.Link[0]->text(), QStringLiteral("Есть"));
    EXPECT_EQ(f.Link[1]->text(), QStringLiteral("Нет"));
    EXPECT_TRUE(f.Link[1]->styleSheet().contains(QStringLiteral("#FF0000")));
    EXPECT_FALSE(f.Link[0]->styleSheet().contains(QStringLiteral("#FF0000")));
    EXPECT_EQ(f.Writing[0]->text(), QStringLiteral("Не записываются"));
    EXPECT_TRUE(f.Writing[0]->styleSheet().contains(QStringLiteral("#FF0000")));
    EXPECT_EQ(f.Writing[1]->text(), QStringLiteral("Записываются"));
    const int rowStep = f.Address[1]->y() - f.Address[0]->y();
    EXPECT_EQ(rowStep, f.Address[0]->height() - 1);
    EXPECT_EQ(f.height(), 3 * rowStep + f.Address[0]->y() + 94);
    EXPECT_EQ(f.BitBtn1->text(), QStringLiteral("Выход"));
    auto* heading = f.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->text(), QStringLiteral("Адрес\nвычислителя РГ"));

    // A count past 16 shows the 16 rows there are.
    TablePtr(9)[0] = 200;
    TFormVichInf g;
    g.States = &s;
    g.show();
    EXPECT_EQ(g.VisibleRows(), 16);
    EXPECT_TRUE(g.Address[15]->isVisible());
}

// ---------------------------------------------------------------- device-mode command

TEST_F(FlowForms, EditFlowComputersReadsEditsAndWrites) {
    SimLink link(4, 65);
    ASSERT_FALSE(link.path.empty());
    ASSERT_TRUE(link.Attach(4));
    link.sim.SetTableBytes(9, 0, {2});
    link.sim.SetTableBytes(17, 0, {0, 1});
    link.sim.SetTableBytes(18, 0, {7, 9});
    link.sim.SetTableBytes(19, 0, {7, 1});
    link.sim.SetTableBytes(20, 0, {0, 1});
    link.sim.SetTableBytes(13, 0, Bytes(32, 'z'));

    // Cancelled: nothing is written.
    WhenModal<TFormFlouList>([](TFormFlouList* l) {
        EXPECT_EQ(l->Mode, 1);
        EXPECT_EQ(l->StringGrid1->rowCount(), 2);
        EXPECT_EQ(l->StringGrid1->item(1, 0)->text(), QStringLiteral("   9"));
        l->BitBtn2Click();
    });
    EXPECT_FALSE(qvr::EditFlowComputers(nullptr, nullptr));
    for (const Bytes& f : link.sim.Requests()) EXPECT_EQ(f[3], 1);

    // Accepted: row 1 deleted, so row 2 moves up with its password written at index 0.
    link.sim.ClearLog();
    WhenModal<TFormFlouList>([](TFormFlouList* l) {
        l->StringGrid1->selectRow(0);
        qvr::QueueQuesAnswers({1});
        l->BitBtn5Click();
        l->BitBtn1Click();
    });
    EXPECT_TRUE(qvr::EditFlowComputers(nullptr, nullptr));
    EXPECT_EQ(link.sim.TableBytes(9)[0], 1);
    EXPECT_EQ(link.sim.TableBytes(18)[0], 9);
    EXPECT_EQ(link.sim.TableBytes(17)[0], 1);
    EXPECT_EQ(link.sim.TableBytes(19)[0], 1);
    EXPECT_EQ(link.sim.TableBytes(20)[0], 1);
    const Bytes t13 = link.sim.TableBytes(13);
    EXPECT_EQ(std::string(t13.begin(), t13.begin() + 16), std::string(16, ' '));
    EXPECT_EQ(std::string(t13.begin() + 16, t13.begin() + 32), std::string(16, 'z'));
}

// After the link form raised the count from 1 to 2: the list shows the second row read from
// the controller; cancelled, the image gets table 9 back; accepted, table 9 and the rows go
// out.
TEST_F(FlowForms, EnterFlowComputersAfterRaisedCount) {
    SimLink link(4, 66);
    ASSERT_FALSE(link.path.empty());
    ASSERT_TRUE(link.Attach(4));
    const uint8_t oldTable9[8] = {1, 3, 2, 100, 3, 1, 0, 1};
    link.sim.SetTableBytes(9, 0, Bytes(oldTable9, oldTable9 + 8));
    link.sim.SetTableBytes(18, 0, {7, 0});
    link.sim.SetTableBytes(17, 0, {0, 3});
    std::memcpy(TablePtr(9), oldTable9, 8);
    TablePtr(9)[0] = 2;

    WhenModal<TFormFlouList>([](TFormFlouList* l) {
        EXPECT_EQ(l->StringGrid1->rowCount(), 2);
        l->BitBtn2Click();
    });
    EXPECT_FALSE(qvr::EnterFlowComputers(nullptr, oldTable9, nullptr));
    EXPECT_EQ(TablePtr(9)[0], 1);

    TablePtr(9)[0] = 2;
    WhenModal<TFormFlouList>([](TFormFlouList* l) {
        l->BitBtn1Click();  // row 2 has address 0: refused
        WhenModal<TFormFlouPar>([](TFormFlouPar* p) {
            p->ComboBox1->setEditText(QStringLiteral("8"));
            p->BitBtn1Click();
        });
        l->StringGrid1->selectRow(1);
        l->BitBtn4Click();
        l->BitBtn1Click();
    });
    EXPECT_TRUE(qvr::EnterFlowComputers(nullptr, oldTable9, nullptr));
    EXPECT_EQ(qvr::ShownQues().front().text1, "Вычислитель № 2");
    EXPECT_EQ(link.sim.TableBytes(9)[0], 2);
    EXPECT_EQ(link.sim.TableBytes(18)[1], 8);
    EXPECT_EQ(link.sim.TableBytes(17)[1], 3);
    const Bytes t13 = link.sim.TableBytes(13);
    EXPECT_EQ(std::string(t13.begin(), t13.begin() + 32), std::string(32, '\0'));  // untouched passwords
}
