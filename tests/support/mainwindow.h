// The main window for tests that show it: its start-up timer, which would open the modal
// connection form 100 ms after construction, is stopped at once, so that no event
// processing in a test meets a connection form the test did not open. Tests of the
// connection sequence itself use TFormMain.
#pragma once
#include <QTimer>
#include <string>

#include "app/ui/formmain.h"

class QuietMainWindow : public TFormMain {
public:
    explicit QuietMainWindow(const std::string& dir) : TFormMain(dir) { TimerStart->stop(); }
};
