// The window side of a controller read: the waiting window opened and closed through the
// read's hooks, and the message timer with and without the main window's timer.
#include "data/ui/readwindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <memory>

#include "common/ui/statusbar.h"

namespace {

class PlainBar : public qvr::IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override { texts[panel] = text; }
    std::string PanelText(int panel) const override { return texts[panel]; }
    void Repaint() override {}
    std::string texts[4];
};

}  // namespace

TEST(ReadWindow, WaitWindowDisablesTheMainWindowUntilClosed) {
    QWidget main;
    main.show();
    PlainBar bar;
    {
        qvr::ReadWindow w(&main, &bar, nullptr);
        EXPECT_EQ(w.ui.statusBar, &bar);
        qvr::IProgress* p = w.ui.openWait(40);
        ASSERT_NE(p, nullptr);
        EXPECT_FALSE(main.isEnabled());
        TFormWait* form = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<TFormWait*>(top)) form = f;
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->Mode, 1);
        EXPECT_EQ(form->ProgressBar1->maximum(), 40);
        w.ui.closeWait();
        EXPECT_TRUE(main.isEnabled());
        // A reader that leaves the window open: Close (or the end of the scope) removes it.
        w.ui.openWait(5);
        EXPECT_FALSE(main.isEnabled());
        w.Close();
        EXPECT_TRUE(main.isEnabled());
        w.ui.openWait(5);
    }
    EXPECT_TRUE(main.isEnabled());
}

TEST(ReadWindow, MessageTimerOfTheMainWindowRunsThreeSeconds) {
    auto timer = std::make_unique<QTimer>();
    const auto start = qvr::MessageTimerStarter(timer.get(), nullptr);
    start();
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 3000);
    timer.reset();
    start();  // the timer is gone: nothing happens
}

TEST(ReadWindow, WithoutATimerPanelTwoClearsOnAStatusBarThatIsStillThere) {
    TStatusBar kept({100, 100, 100});
    auto gone = std::make_unique<TStatusBar>(QVector<int>{100, 100, 100});
    PlainBar plain;
    kept.SetPanelText(2, "Нет ответа");
    gone->SetPanelText(2, "Нет ответа");
    plain.SetPanelText(2, "Нет ответа");
    QElapsedTimer started;
    started.start();
    qvr::MessageTimerStarter(nullptr, &kept)();
    qvr::MessageTimerStarter(nullptr, gone.get())();
    qvr::MessageTimerStarter(nullptr, &plain)();  // not a QObject: left as it is
    qvr::MessageTimerStarter(nullptr, nullptr)();
    gone.reset();  // deleted before the shot: the shot is cancelled with it
    // The shot of 3 s clears it, however late it comes, and never before its time (a coarse
    // timer may fire 5 % early).
    qint64 clearedAfter = -1;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (kept.PanelText(2).empty()) clearedAfter = started.elapsed();
            return clearedAfter >= 0;
        },
        20000));
    EXPECT_GE(clearedAfter, 2800);
    EXPECT_EQ(plain.PanelText(2), "Нет ответа");
}
