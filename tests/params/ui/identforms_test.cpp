// The identification and functions views, offscreen: rows, disabled captions of a new
// record, the red destroyed-table row, table 8 from the table image.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstring>

#include "link/tabledir.h"
#include "params/ui/formident.h"

TEST(IdentForms, IdentFromController) {
    const uint8_t t[18] = {5, 'I', 3, 14, 24, 13, 2, 8, 30, 0, 0, 0, 1, 5, 2, 0, 1, 0};
    TFormIdent f;
    f.Mode = 1;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.size(), QSize(490, 416));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Параметры идентификации контроллера"));
    EXPECT_EQ(f.BitBtn1->text(), QStringLiteral("Выход"));
    EXPECT_EQ(f.Caption[0]->text(), QStringLiteral("Код типа контроллера"));
    EXPECT_EQ(f.Caption[8]->text(),
              QStringLiteral("Номер последней версии протокола\nPLX-MR51-K, которая поддерживается\nконтроллером"));
    EXPECT_EQ(f.Value[0]->text(), QStringLiteral("73"));
    EXPECT_EQ(f.Value[1]->text(), QStringLiteral("14"));
    EXPECT_EQ(f.Value[2]->text(), QStringLiteral("3"));
    EXPECT_EQ(f.Value[3]->text(), QStringLiteral("02.**.24  08:30:00"));
    EXPECT_EQ(f.Value[4]->text(), QStringLiteral("Мл. адрес - ст. байт"));
    EXPECT_EQ(f.Value[5]->text(), QStringLiteral("Разрушена таблица 5"));
    EXPECT_TRUE(f.Value[5]->styleSheet().contains(QStringLiteral("red")));
    EXPECT_EQ(f.Value[6]->text(), QStringLiteral("Нет"));
    EXPECT_EQ(f.Value[7]->text(), QStringLiteral("Нет. Адрес = 5"));
    EXPECT_EQ(f.Value[8]->text(), QStringLiteral("2.0.1"));
    for (QLabel* c : f.Caption) EXPECT_TRUE(c->isEnabled());
    QApplication::processEvents();
    f.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(f.focusWidget(), f.BitBtn1);
}

TEST(IdentForms, IdentOfNewRecordShowsTypeAndVersionOnly) {
    uint8_t t[18] = {3, 'I', 7, 13, 20, 1, 1, 0, 0, 0, 1, 1, 1, 0, 1, 1, 1, 0};
    TFormIdent f;
    f.Mode = 0;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.Value[0]->text(), QStringLiteral("73"));
    EXPECT_EQ(f.Value[1]->text(), QStringLiteral("13"));
    for (int i = 2; i < TFormIdent::kRows; ++i) {
        EXPECT_TRUE(f.Value[i]->text().isEmpty()) << i;
        EXPECT_FALSE(f.Caption[i]->isEnabled()) << i;
    }
    EXPECT_TRUE(f.Caption[0]->isEnabled());
    EXPECT_TRUE(f.Caption[1]->isEnabled());
    EXPECT_TRUE(f.Value[5]->styleSheet().isEmpty());
    // The one button closes it.
    QTimer::singleShot(0, [&f] { f.BitBtn1->click(); });
    f.hide();
    f.exec();
    EXPECT_FALSE(f.isVisible());
}

TEST(IdentForms, FunInfoFromTableImage) {
    uint8_t* t8 = TablePtr(8);
    ASSERT_NE(t8, nullptr);
    const uint8_t saved[2] = {t8[0], t8[1]};
    t8[0] = 1;
    t8[1] = 0;
    {
        TFormFunInfo f;
        f.show();
        EXPECT_EQ(f.size(), QSize(508, 202));
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Возможность исполнения контроллером его функций"));
        EXPECT_EQ(f.Header->text(), QStringLiteral("Исполнение"));
        EXPECT_EQ(f.Caption1->text(), QStringLiteral(" Автоматический переход на зимнее/летнее время"));
        EXPECT_EQ(f.Caption2->text(), QStringLiteral(" Обмен данными с вычислителями расхода газа (РГ)"));
        EXPECT_EQ(f.Hint->text(), QStringLiteral("  См. информацию о состоянии таблиц параметров конфигурации"));
        EXPECT_EQ(f.Value1->text(), QStringLiteral("Возможно"));
        EXPECT_EQ(f.Value2->text(), QStringLiteral("Невозможно"));
    }
    t8[0] = 0;
    t8[1] = 7;
    {
        TFormFunInfo f;
        f.show();
        EXPECT_EQ(f.Value1->text(), QStringLiteral("Невозможно"));
        EXPECT_EQ(f.Value2->text(), QStringLiteral("Возможно"));
    }
    t8[0] = saved[0];
    t8[1] = saved[1];
}
