// Esc while a modem command waits: the application-wide filter reports it to the modem
// dialogue and keeps key presses from the windows meanwhile.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <unistd.h>

#include <chrono>

#include "app/ui/modemesc.h"
#include "common/uihooks.h"
#include "link/connectmodem.h"

namespace {
void Press(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &e);
}
}  // namespace

TEST(ModemEscFilter, SwallowsKeysAndReportsEscOnlyWhileWatching) {
    ASSERT_NE(ModemEscFilter::Install(), nullptr);
    EXPECT_EQ(ModemEscFilter::Install(), ModemEscFilter::Install());  // installed once
    QLineEdit edit;
    Press(&edit, Qt::Key_A, QStringLiteral("a"));
    EXPECT_EQ(edit.text(), QStringLiteral("a"));
    {
        ModemEscWatch watch(nullptr);
        Press(&edit, Qt::Key_B, QStringLiteral("b"));
        EXPECT_EQ(edit.text(), QStringLiteral("a"));  // swallowed
        EXPECT_FALSE(ModemEscPressed());
        Press(&edit, Qt::Key_Escape);
        EXPECT_TRUE(ModemEscPressed());
    }
    EXPECT_FALSE(ModemEscPressed());
    Press(&edit, Qt::Key_Escape);
    EXPECT_FALSE(ModemEscPressed());
}

TEST(ModemEscFilter, WindowGivenOnlyItsKeysCount) {
    ModemEscFilter::Install();
    QLineEdit mine, other;
    ModemEscWatch watch(&mine);
    Press(&other, Qt::Key_Escape);
    EXPECT_FALSE(ModemEscPressed());
    Press(&mine, Qt::Key_Escape);
    EXPECT_TRUE(ModemEscPressed());
}

// An Esc typed while a command waits for its reply ends it with code 10 at once.
TEST(ModemEscFilter, EscEndsWaitingCommand) {
    ModemEscFilter::Install();
    qvr::SetMessagePump([] { QApplication::processEvents(); });
    int p[2];
    ASSERT_EQ(pipe(p), 0);
    QLineEdit edit;
    QTimer::singleShot(100, &edit, [&] { Press(&edit, Qt::Key_Escape); });
    char reply[kModemReplySize];
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(ModemCommand(p[0], "ATD1\r", reply, 5000, nullptr, nullptr), kModemEscape);
    EXPECT_STREQ(reply, "Escape...");
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
    qvr::SetMessagePump(nullptr);
    close(p[0]);
    close(p[1]);
}
