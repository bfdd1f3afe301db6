#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

#include "common/question.h"
#include "common/ui/formques.h"

using namespace qvr;

namespace {

std::unique_ptr<TFormQues> Lay(int kind, const char* t1, const char* t2) {
    auto f = std::make_unique<TFormQues>();
    f->Fill(MakeQuesBox(kind, t1, t2));
    f->FormShow();
    return f;
}

int LongestChars(const TFormQues& f) {
    int n = int(f.windowTitle().size());
    for (QLabel* l : {f.Label1, f.Label2, f.Label3}) n = std::max(n, int(l->text().size()));
    return n;
}

// The width rule: 10 pixels per character plus 20, at least the two question buttons plus
// 60; wider only where a line in the font actually needs more room.
void ExpectWidthRule(const TFormQues& f) {
    const int rule = std::max(10 * LongestChars(f) + 20, 2 * TFormQues::kButtonWidth + 60);
    EXPECT_GE(f.width(), rule);
    int need = 0;
    for (QLabel* l : {f.Label1, f.Label2, f.Label3}) {
        need = std::max(need, l->fontMetrics().horizontalAdvance(l->text()));
        EXPECT_EQ(l->width(), f.width() - 14);
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width()) << l->text().toStdString();
    }
    if (need + 24 <= rule) {
        EXPECT_EQ(f.width(), rule);
    }
}

void ExpectButtons(const TFormQues& f, bool question) {
    EXPECT_EQ(f.BitBtn1->isHidden(), !question);
    EXPECT_EQ(f.BitBtn2->isHidden(), !question);
    EXPECT_EQ(f.BitBtn3->isHidden(), question);
    if (question) {
        const int g = (f.width() - f.BitBtn1->width() - f.BitBtn2->width()) / 3 - 3;
        EXPECT_EQ(f.BitBtn2->x(), g);  // No on the left
        EXPECT_EQ(f.BitBtn1->x(), g + f.BitBtn2->width() + g);
        EXPECT_EQ(f.focusWidget(), f.BitBtn1);
        EXPECT_TRUE(f.BitBtn1->isDefault());
    } else {
        EXPECT_EQ(f.BitBtn3->x(), (f.width() - f.BitBtn3->width()) / 2);
        EXPECT_EQ(f.focusWidget(), f.BitBtn3);
        EXPECT_TRUE(f.BitBtn3->isDefault());
    }
    // Buttons stay inside the window.
    for (QPushButton* b : {f.BitBtn1, f.BitBtn2, f.BitBtn3}) {
        if (b->isHidden()) continue;
        EXPECT_GE(b->x(), 0);
        EXPECT_LE(b->x() + b->width(), f.width());
        EXPECT_LE(b->y() + b->height(), f.height());
        EXPECT_GT(b->y(), f.Label3->y());
    }
}

}  // namespace

TEST(FormQues, HeightByLines) {
    auto a = Lay(3, "Удалить запись?", "");
    EXPECT_EQ(a->height(), 124);
    auto b = Lay(3, "Файл a.cnf уже есть.", "Вы хотите заменить существующий файл?");
    EXPECT_EQ(b->height(), 150);
    auto c = Lay(4, "", "");  // the third line is set by the kind
    EXPECT_EQ(c->height(), 175);
    auto d = Lay(7, "Не выполнено чтение из таблицы 3.", "");  // line 3 without line 2
    EXPECT_EQ(d->height(), 175);
    auto e = Lay(42, "x", "y");  // unknown kind: the two default lines
    EXPECT_EQ(e->height(), 150);
    EXPECT_EQ(e->Label1->text(), QStringLiteral("Нет связи с устройством."));
}

TEST(FormQues, WidthAndButtonsForEveryKind) {
    for (int kind = 1; kind <= 11; ++kind) {
        SCOPED_TRACE(kind);
        auto f = Lay(kind, "Не выполнено чтение из таблицы 12.", "\"Системные параметры\"");
        const bool question = kind == 3 || kind == 7 || kind == 8 || kind == 10;
        ExpectWidthRule(*f);
        ExpectButtons(*f, question);
    }
    // A very short message is never narrower than the two question buttons plus 60.
    auto s = Lay(6, "Ok", "");
    EXPECT_EQ(s->width(), 2 * TFormQues::kButtonWidth + 60);
    ExpectButtons(*s, false);
    // Caption counts as a line.
    auto c = Lay(5, "1", "2");
    EXPECT_GE(c->width(), 10 * int(QStringLiteral("Результат обмена с устройством").size()) + 20);
    EXPECT_EQ(c->windowTitle(), QStringLiteral("Результат обмена с устройством"));
}

TEST(FormQues, ArchiveKindsShowFixedLines) {
    auto f = Lay(10, "Период изменен.", "not shown");
    EXPECT_EQ(f->Label1->text(), QStringLiteral("За время работы оператора изменились даты"));
    EXPECT_EQ(f->Label2->text(), QStringLiteral("самой старой  и последней записей в архиве."));
    EXPECT_EQ(f->Label3->text(), QStringLiteral("Период изменен."));
    EXPECT_EQ(f->height(), 175);
    ExpectButtons(*f, true);
    ExpectWidthRule(*f);
}

namespace {
// Runs `act` on the modal box once it is up.
void WhenBoxUp(std::function<void(TFormQues*)> act) {
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<TFormQues*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(box);
    });
}
void Key(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

struct GuiQues : ::testing::Test {
    void SetUp() override {
        ClearQuesRecord();
        InstallQuesFormHandler();
    }
    void TearDown() override {
        SetQuesHandler(nullptr);
        ClearQuesRecord();
    }
};
}  // namespace

TEST_F(GuiQues, EnterAnswersYesEscAnswersNo) {
    WhenBoxUp([](TFormQues* box) {
        EXPECT_EQ(box->height(), 150);
        EXPECT_TRUE(box->isModal());
        Key(box, Qt::Key_Return);
    });
    g_QuesKind = 3;
    ShowQues("Файл уже есть.", "Вы хотите заменить существующий файл?");
    EXPECT_EQ(g_QuesAnswer, 1);

    WhenBoxUp([](TFormQues* box) { Key(box, Qt::Key_Escape); });
    ShowQues("Удалить?", "");
    EXPECT_EQ(g_QuesAnswer, 0);

    WhenBoxUp([](TFormQues* box) { box->BitBtn2->click(); });
    g_QuesKind = 7;
    ShowQues("Не выполнено чтение из таблицы 3.", "\"x\"");
    EXPECT_EQ(g_QuesAnswer, 0);

    // OK (or Enter) on a message leaves 0, even after a Yes before it.
    g_QuesKind = 3;
    WhenBoxUp([](TFormQues* box) { box->BitBtn1->click(); });
    ShowQues("q", "");
    ASSERT_EQ(g_QuesAnswer, 1);
    g_QuesKind = 1;
    WhenBoxUp([](TFormQues* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Ошибка"));
        Key(box, Qt::Key_Return);
    });
    ShowQues("Ошибка открытия файла", "");
    EXPECT_EQ(g_QuesAnswer, 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // every box is gone
    EXPECT_EQ(ShownQues().size(), 5u);
}

TEST_F(GuiQues, SecondBoxFromATimerWhileOneIsUp) {
    bool innerSeen = false;
    WhenBoxUp([&](TFormQues* outer) {
        // A timer of the main window raises another box over the first.
        WhenBoxUp([&](TFormQues* inner) {
            innerSeen = inner != outer;
            inner->BitBtn3->click();
        });
        int32_t saved = g_QuesKind;
        g_QuesKind = 6;
        ShowQues("Связь восстановлена", "");
        g_QuesKind = saved;
        // The first box is still there and answers normally.
        EXPECT_TRUE(outer->isVisible());
        outer->BitBtn1->click();
    });
    g_QuesKind = 7;
    ShowQues("Не выполнена запись в таблицу 6.", "\"Системные параметры\".");
    EXPECT_TRUE(innerSeen);
    EXPECT_EQ(g_QuesAnswer, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(GuiQues, QueuedAnswersNeedNoWindow) {
    QueueQuesAnswers({1});
    g_QuesKind = 8;
    ShowQues("Чтение завершено.", "");
    EXPECT_EQ(g_QuesAnswer, 1);
    ASSERT_EQ(ShownQues().size(), 1u);
    EXPECT_EQ(ShownQues()[0].label3, "Создавать суточный отчет?");
}
