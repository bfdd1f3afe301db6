// The window side of a controller read: the waiting window the reader opens and closes
// through ReadUi, and the timer that clears the status bar's message three seconds after
// a failed request.
#pragma once
#include <QWidget>
#include <functional>
#include <optional>

#include "common/ui/formwait.h"
#include "data/readui.h"

class QTimer;

namespace qvr {

// What ReadUi::startMessageTimer does: starts timerMessage (the main window's timer) for
// three seconds; without one, a single shot tied to a status bar that is a QObject clears
// its panel 2 (a bar deleted meanwhile cancels it).
std::function<void()> MessageTimerStarter(QTimer* timerMessage, IStatusBar* statusBar);

// The interface of one read: the waiting window (mode 1, over the disabled main window)
// opened and closed by the reader, the status bar and the message timer.
class ReadWindow {
public:
    ReadWindow(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage);
    ReadWindow(const ReadWindow&) = delete;
    ReadWindow& operator=(const ReadWindow&) = delete;

    // Removes the waiting window if the reader left it open (before a view is shown).
    void Close() { wait_.reset(); }

    ReadUi ui;

private:
    QWidget* main_;
    std::optional<WaitWindowScope> wait_;
};

}  // namespace qvr
