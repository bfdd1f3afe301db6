#include <gtest/gtest.h>

#include "common/question.h"

using namespace qvr;

namespace {
struct QuesFixture : ::testing::Test {
    void SetUp() override {
        ClearQuesRecord();
        SetQuesHandler(nullptr);
    }
    void TearDown() override {
        ClearQuesRecord();
        SetQuesHandler(nullptr);
    }
};
}  // namespace

TEST_F(QuesFixture, LinesAndButtonsByKind) {
    struct Want {
        int kind;
        const char *caption, *l1, *l2, *l3;
        bool question;
    } wants[] = {
        {1, "Ошибка", "a", "b", "", false},
        {2, "Ошибка ввода параметров", "a", "b", "", false},
        {3, "", "a", "b", "", true},
        {4, "", "a", "b", "(см. текущее состояние контроллера)", false},
        {5, "Результат обмена с устройством", "a", "b", "", false},
        {6, "", "a", "b", "", false},
        {7, "", "a", "b", "Повторить попытку?", true},
        {8, "", "a", "b", "Создавать суточный отчет?", true},
        {9, "", "За время работы оператора изменились даты", "самой старой  и последней записей в архиве.", "a", false},
        {10, "", "За время работы оператора изменились даты", "самой старой  и последней записей в архиве.", "a", true},
        {11, "", "a", "b", "Суточный сертификат не может быть создан", false},
        {0, "", "Нет связи с устройством.", "Попробуйте установить параметры связи", "", false},
        {12, "", "Нет связи с устройством.", "Попробуйте установить параметры связи", "", false},
    };
    for (const Want& w : wants) {
        QuesBox b = MakeQuesBox(w.kind, "a", "b");
        EXPECT_EQ(b.caption, w.caption) << w.kind;
        EXPECT_EQ(b.label1, w.l1) << w.kind;
        EXPECT_EQ(b.label2, w.l2) << w.kind;
        EXPECT_EQ(b.label3, w.l3) << w.kind;
        EXPECT_EQ(b.question, w.question) << w.kind;
    }
}

TEST_F(QuesFixture, QueuedAnswersGoToQuestionsOnly) {
    QueueQuesAnswers({1, 0});
    g_QuesKind = 1;
    g_QuesAnswer = 1;
    ShowQues("Ошибка открытия файла", "");
    EXPECT_EQ(g_QuesAnswer, 0);  // a message answers 0 and takes no queued answer
    EXPECT_EQ(PendingQuesAnswers(), 2u);
    g_QuesKind = 7;
    ShowQues("Не выполнено чтение из таблицы 3.", "\"x\"");
    EXPECT_EQ(g_QuesAnswer, 1);
    ShowQues(std::string("second"), std::string());
    EXPECT_EQ(g_QuesAnswer, 0);
    EXPECT_EQ(g_QuesKind, 7);  // kept after the call
    ShowQues(nullptr, nullptr);  // nothing queued, no handler: No
    EXPECT_EQ(g_QuesAnswer, 0);

    auto shown = ShownQues();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].kind, 1);
    EXPECT_EQ(shown[0].text1, "Ошибка открытия файла");
    EXPECT_EQ(shown[1].kind, 7);
    EXPECT_EQ(shown[1].text2, "\"x\"");
    EXPECT_EQ(shown[1].label3, "Повторить попытку?");
    EXPECT_EQ(shown[2].text1, "second");
    EXPECT_EQ(shown[3].text1, "");
}

TEST_F(QuesFixture, HandlerAnswersAndMayNest) {
    int calls = 0;
    SetQuesHandler([&](const QuesBox& b) -> uint8_t {
        ++calls;
        if (b.text1 == "outer") {
            // A timer raises another box while this one is up.
            int32_t saved = g_QuesKind;
            g_QuesKind = 6;
            ShowQues("inner", "");
            g_QuesKind = saved;
            return 1;
        }
        return 1;
    });
    g_QuesKind = 3;
    ShowQues("outer", "");
    EXPECT_EQ(g_QuesAnswer, 1);
    EXPECT_EQ(calls, 2);
    g_QuesKind = 6;
    ShowQues("notice", "");
    EXPECT_EQ(g_QuesAnswer, 0);  // OK never answers Yes
    auto shown = ShownQues();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].text1, "inner");
    // A queued answer wins over the handler.
    QueueQuesAnswers({0});
    g_QuesKind = 3;
    ShowQues("q", "");
    EXPECT_EQ(g_QuesAnswer, 0);
    EXPECT_EQ(calls, 3);
}

TEST_F(QuesFixture, RecordIsBounded) {
    g_QuesKind = 6;
    for (int i = 0; i < 300; ++i) ShowQues(std::to_string(i), "");
    auto shown = ShownQues();
    ASSERT_EQ(shown.size(), 256u);
    EXPECT_EQ(shown.back().text1, "299");
    EXPECT_EQ(shown.front().text1, "44");
}
