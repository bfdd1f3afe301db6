#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPointer>

#include "common/ui/formwait.h"

namespace {
struct ModeTexts {
    int mode;
    const char *l1, *l2, *l3;
};
}  // namespace

TEST(FormWait, TextsAndSizeByMode) {
    const ModeTexts want[] = {
        {0, "Ожидайте...", "Выполняется проверка", "всех параметров конфигурации"},
        {1, "Ожидайте...", "Выполняется чтение данных", "Esc - прервать чтение"},
        {2, "Ожидайте...", "Выполняется запись параметров", "конфигурации в контроллер"},
        {3, "Ожидайте...", "Выполняется чтение", "таблиц параметров конфигурации"},
        {4, "Ожидайте...", "Выполняется создание", "таблицы в формате Excel"},
        {5, "Команда передана. Выполняется проверка", "восстановления связи с контроллером", "Ожидайте..."},
        {6, "Ожидайте...", "Выполняется чтение всех параметров", "конфигурирования устройства"},
        {255, "Ожидайте...", "Выполняется чтение всех параметров", "конфигурирования устройства"},
    };
    for (const ModeTexts& w : want) {
        SCOPED_TRACE(w.mode);
        TFormWait f;
        EXPECT_EQ(f.Mode, 0);
        f.Mode = uint8_t(w.mode);
        f.show();
        EXPECT_EQ(f.size(), QSize(352, 126));
        EXPECT_EQ(f.windowTitle(), QStringLiteral("..."));
        EXPECT_EQ(f.Label1->text(), QString::fromUtf8(w.l1));
        EXPECT_EQ(f.Label2->text(), QString::fromUtf8(w.l2));
        EXPECT_EQ(f.Label3->text(), QString::fromUtf8(w.l3));
        EXPECT_FALSE(f.windowFlags() & Qt::WindowCloseButtonHint);
    }
}

TEST(FormWait, StaysEnabledWhileMainWindowIsDisabled) {
    QMainWindow main;
    main.show();
    QPointer<TFormWait> form;
    {
        qvr::WaitWindowScope scope(&main, 1, 7);
        form = scope.Form();
        ASSERT_TRUE(form);
        EXPECT_FALSE(main.isEnabled());
        EXPECT_TRUE(form->isEnabled());
        EXPECT_TRUE(form->isWindow());
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->Label3->text(), QStringLiteral("Esc - прервать чтение"));
        EXPECT_EQ(form->ProgressBar1->maximum(), 7);
        scope.Progress().SetPosition(3);
        EXPECT_EQ(form->ProgressBar1->value(), 3);
        scope.Progress().SetPosition(99);  // clamped to the maximum
        EXPECT_EQ(form->ProgressBar1->value(), 7);

        // Esc and a close request from the window system leave it up.
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(form, &esc);
        EXPECT_TRUE(form->isVisible());
    }
    EXPECT_TRUE(form.isNull());  // deleted with the scope
    EXPECT_TRUE(main.isEnabled());
}

TEST(FormWait, ProgressSinkOutlivesItsBar) {
    auto* bar = new QProgressBar;
    qvr::ProgressBarSink sink(bar);
    sink.SetMax(10);
    sink.SetPosition(4);
    EXPECT_EQ(bar->maximum(), 10);
    EXPECT_EQ(bar->value(), 4);
    delete bar;
    sink.SetPosition(5);  // no crash: the bar is gone
    sink.SetMax(3);
}
