// The metering-object dialogs: the object form's checks, and the object list's add,
// change, delete, sorts, full list, and the undo of a visit that is not accepted.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/rd_wr_ini.h"
#include "common/codepage.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "reports/ui/formobject.h"
#include "reports/ui/formobjects_list.h"
#include "support/tempdir.h"
#include "support/whenshown.h"

namespace {

std::vector<std::pair<std::string, std::string>> Shown() {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& q : qvr::ShownQues()) out.emplace_back(q.text1, q.text2);
    return out;
}

class MeteringObjects : public ::testing::Test {
protected:
    void SetUp() override {
        ObjectList = ObjectListRecord{};
        g_ObjectsIniPath = dir.path() + "/objects.ini";
        qvr::ClearQuesRecord();
    }
    void TearDown() override { qvr::ClearQuesRecord(); }
    static void Add(const char* name, uint8_t adr) {
        ObjectEntry& e = ObjectList.entries[ObjectList.obj_num++];
        std::snprintf(e.obj_name, sizeof e.obj_name, "%s", qvr::Win(name).c_str());
        e.contr_adr = adr;
    }
    static std::string Name(int i) { return qvr::WinToUtf8(qvr::FieldText(ObjectList.entries[i].obj_name, 50)); }
    static QString Cell(TFormObjects_List& f, int row, int col) {
        auto* it = f.StringGrid1->item(row, col);
        return it ? it->text() : QString();
    }
    // Runs the list dialog; act runs while it is shown.
    void RunList(std::function<void(TFormObjects_List&)> act, uint8_t* accepted = nullptr) {
        TFormObjects_List f;
        WhenShown<TFormObjects_List>([act](TFormObjects_List& form) {
            act(form);
            if (form.isVisible()) form.BitBtn5->click();
        });
        f.exec();
        if (accepted) *accepted = f.Accepted;
    }
    // Fills the object form when it shows and accepts it.
    static void FillObject(const QString& name, const QString& adr) {
        WhenShown<TFormObject>([name, adr](TFormObject& o) {
            o.Edit1->setText(name);
            o.ComboBox1->setEditText(adr);
            o.BitBtn1->click();
        });
    }
    TempDir dir;
};

TEST_F(MeteringObjects, ObjectFormChecks) {
    ObjectEntry e{};
    std::strcpy(e.obj_name, "Old");
    e.contr_adr = 7;
    TFormObject f;
    f.Entry = &e;
    f.EditMode = 1;
    f.show();
    EXPECT_EQ(f.windowTitle(), " Параметры объекта");
    EXPECT_EQ(f.size(), QSize(564, 140));
    EXPECT_EQ(f.Edit1->text(), "Old");
    EXPECT_EQ(f.ComboBox1->currentText(), "7");
    EXPECT_EQ(f.ComboBox1->count(), 255);

    f.Edit1->clear();
    f.BitBtn1->click();
    EXPECT_EQ(Shown().back(), (std::pair<std::string, std::string>{"Введены не все параметры", ""}));
    EXPECT_EQ(qvr::ShownQues().back().kind, qvr::kQuesInputError);
    f.Edit1->setText("Узел учета");
    for (const char* bad : {"0", "256"}) {
        f.ComboBox1->setEditText(bad);
        f.BitBtn1->click();
        EXPECT_EQ(Shown().back(), (std::pair<std::string, std::string>{"Адрес вне допустимого диапазона", "(1...255)"}));
    }
    f.ComboBox1->setEditText("1'2");
    f.BitBtn1->click();
    EXPECT_EQ(Shown().back().first, "Адрес контроллера задан неверно");
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_STREQ(e.obj_name, "Old");  // nothing stored by a refused accept
    EXPECT_TRUE(f.isVisible());

    f.ComboBox1->setEditText("255");
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(e.contr_adr, 255);
    EXPECT_EQ(qvr::FieldText(e.obj_name, 50), qvr::Win("Узел учета"));

    // A new object starts empty.
    TFormObject n;
    ObjectEntry fresh{};
    n.Entry = &fresh;
    n.show();
    EXPECT_TRUE(n.Edit1->text().isEmpty());
    EXPECT_TRUE(n.ComboBox1->currentText().isEmpty());
}

TEST_F(MeteringObjects, AddIntoNameOrderKeepsTheNewObjectCurrent) {
    Add("Гамма", 3);
    Add("Альфа", 1);
    uint8_t accepted = 0;
    RunList(
        [&](TFormObjects_List& f) {
            EXPECT_EQ(f.windowTitle(), " Список объектов");
            EXPECT_EQ(Cell(f, 0, 1), " Альфа");  // sorted on show
            EXPECT_EQ(Cell(f, 0, 0), "  1");
            EXPECT_EQ(Cell(f, 1, 2), "  3");
            EXPECT_FALSE(f.SpeedButton1->isEnabled());
            EXPECT_TRUE(f.SpeedButton2->isEnabled());
            FillObject("Бета", "2");
            f.BitBtn2->click();
            EXPECT_EQ(Cell(f, 1, 1), " Бета");
            EXPECT_EQ(ObjectList.obj_index, 1);
            EXPECT_EQ(f.StringGrid1->currentRow(), 1);
            f.BitBtn4->click();
        },
        &accepted);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(ObjectList.obj_num, 3);
    EXPECT_EQ(Name(0), "Альфа");
    EXPECT_EQ(Name(1), "Бета");
    EXPECT_EQ(Name(2), "Гамма");
    ASSERT_TRUE(qvr::FileExists(g_ObjectsIniPath));
    ObjectListRecord written = ObjectList;
    ReadObjectList(g_ObjectsIniPath);
    EXPECT_EQ(ObjectList, written);
}

TEST_F(MeteringObjects, DeleteMovesTheCurrentObject) {
    Add("A", 1);
    Add("B", 2);
    Add("C", 3);
    ObjectList.obj_index = 2;
    RunList([&](TFormObjects_List& f) {
        qvr::QueueQuesAnswers({1});
        f.BitBtn3->click();
        EXPECT_EQ(Shown().back(), (std::pair<std::string, std::string>{"Вы действительно хотите", "удалить этот объект?"}));
        EXPECT_EQ(ObjectList.obj_num, 2);
        EXPECT_EQ(ObjectList.obj_index, 1);
        EXPECT_EQ(ObjectList.entries[2].contr_adr, 0);  // the freed entry is cleared

        ObjectList.obj_index = 0;
        qvr::QueueQuesAnswers({0});  // "No" keeps it
        f.BitBtn3->click();
        EXPECT_EQ(ObjectList.obj_num, 2);
        qvr::QueueQuesAnswers({1});
        f.BitBtn3->click();
        EXPECT_EQ(ObjectList.obj_index, 0);
        EXPECT_EQ(Name(0), "B");
        EXPECT_FALSE(f.SpeedButton1->isEnabled());  // one object: no sorting
        EXPECT_FALSE(f.SpeedButton2->isEnabled());
        qvr::QueueQuesAnswers({1});
        f.BitBtn3->click();
        EXPECT_EQ(ObjectList.obj_num, 0);
        EXPECT_EQ(f.StringGrid1->rowCount(), 1);
        EXPECT_FALSE(f.BitBtn1->isEnabled());
        EXPECT_FALSE(f.BitBtn3->isEnabled());
        EXPECT_TRUE(f.BitBtn2->isEnabled());
    });
}

TEST_F(MeteringObjects, FullListDisablesAdd) {
    for (int i = 0; i < 50; ++i) Add(("Obj" + std::to_string(100 + i)).c_str(), uint8_t(i + 1));
    RunList([&](TFormObjects_List& f) {
        EXPECT_EQ(f.StringGrid1->rowCount(), 50);
        EXPECT_FALSE(f.BitBtn2->isEnabled());
        qvr::QueueQuesAnswers({1});
        f.BitBtn3->click();
        EXPECT_TRUE(f.BitBtn2->isEnabled());
    });
}

TEST_F(MeteringObjects, AddressSortIsStableAndSameNamesPickTheLater) {
    Add("Z", 5);
    Add("Y", 9);
    Add("X", 5);
    RunList([&](TFormObjects_List& f) {
        // Shown in name order first: X, Y, Z; the two at address 5 keep that order.
        EXPECT_EQ(Cell(f, 0, 1), " X");
        f.SpeedButton2->click();
        EXPECT_EQ(ObjectList.sort_prz, 1);
        EXPECT_EQ(Cell(f, 0, 1), " X");
        EXPECT_EQ(Cell(f, 1, 1), " Z");
        EXPECT_EQ(Cell(f, 2, 1), " Y");
        EXPECT_TRUE(f.SpeedButton1->isEnabled());
        EXPECT_FALSE(f.SpeedButton2->isEnabled());
    });

    ObjectList = ObjectListRecord{};
    Add("Same", 2);
    Add("Same", 1);
    ObjectList.sort_prz = 1;
    ObjectList.obj_index = 0;
    RunList([&](TFormObjects_List& f) {
        // After the sort the current object is the last one of that name.
        EXPECT_EQ(ObjectList.obj_index, 1);
        EXPECT_EQ(f.StringGrid1->currentRow(), 1);
    });
}

TEST_F(MeteringObjects, ChangeByDoubleClick) {
    Add("A", 1);
    Add("B", 2);
    RunList([&](TFormObjects_List& f) {
        FillObject("Changed", "44");
        f.StringGrid1DblClick(1);
        EXPECT_EQ(Cell(f, 0, 1), " A");
        EXPECT_EQ(Cell(f, 1, 1), " Changed");
        EXPECT_EQ(Cell(f, 1, 2), "  44");
        EXPECT_EQ(ObjectList.obj_index, 1);
    });
}

TEST_F(MeteringObjects, UnacceptedVisitIsUndoneAndNothingWritten) {
    Add("A", 1);
    Add("B", 2);
    ObjectList.obj_index = 1;
    const ObjectListRecord before = ObjectList;
    uint8_t accepted = 9;
    RunList(
        [&](TFormObjects_List& f) {
            FillObject("C", "3");
            f.BitBtn2->click();
            qvr::QueueQuesAnswers({1});
            f.BitBtn3->click();
            f.SpeedButton2->click();
            EXPECT_FALSE(ObjectList == before);
            f.BitBtn5->click();
        },
        &accepted);
    EXPECT_EQ(accepted, 0);
    EXPECT_EQ(ObjectList, before);
    EXPECT_FALSE(qvr::FileExists(g_ObjectsIniPath));

    // The window's close box undoes as well; "Принять" without a change writes nothing.
    RunList([&](TFormObjects_List& f) {
        f.SpeedButton2->click();
        f.close();
    });
    EXPECT_EQ(ObjectList, before);
    RunList([&](TFormObjects_List& f) { f.BitBtn4->click(); }, &accepted);
    EXPECT_EQ(accepted, 1);
    EXPECT_FALSE(qvr::FileExists(g_ObjectsIniPath));
}

}  // namespace
