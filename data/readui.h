// How a controller read (archives, logs, report data) reaches the window around it: the
// status bar, the waiting window and the timer that clears the status bar's message.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "common/uihooks.h"

namespace qvr {

// Every member may be empty.
struct ReadUi {
    IStatusBar* statusBar = nullptr;  // panel 2: result texts of failed requests
    // Shows the waiting window (Esc aborts) with the progress maximum and disables the
    // main window; returns the progress bar to advance (null: none).
    std::function<IProgress*(int max)> openWait;
    // Removes the waiting window and enables the main window again.
    std::function<void()> closeWait;
    // Starts the timer that clears status panel 2 three seconds later.
    std::function<void()> startMessageTimer;
};

// Status-panel text of a reply a read refused: "Команда N.  " and the reason.
inline std::string RefusedReplyText(uint8_t function, const char* reason) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "Команда %d.  %s", int(function), reason ? reason : "");
    return buf;
}

// The reason for refusing an answer that may well be another request's: one the controller
// insisted on, or one that came after other requests' answers and may be as late as they.
inline constexpr const char* kRepeatedAnswer = "Ответ повторяет ответ на другой запрос";

// The reason a read gives for a reply its own check refuses (records it has kept, or older
// than the request can bring): another request's answer. The engine skips such replies, so
// only a loop that takes every reply hands one to the read.
inline constexpr const char* kOtherRequestsAnswer = "Ответ на другой запрос";

}  // namespace qvr
