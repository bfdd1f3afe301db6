// The frame shared by the windows that watch the controller live: a one-second timer whose
// tick reads one or two tables without questions, and the button that stops and restarts
// the polling. A tick stops the timer before its first read and starts it again after its
// last, so ticks never overlap, however long a read waits.
#pragma once
#include <QDialog>
#include <cstdint>

#include "common/uihooks.h"

class QPushButton;
class QTimer;

class TPolledForm : public QDialog {
    Q_OBJECT
public:
    explicit TPolledForm(QWidget* owner = nullptr);

    QTimer* Timer1;            // 1000 ms, off until the window is shown
    QPushButton* BtnUpdate;    // "Не обновлять данные" / "Обновлять данные"
    uint8_t Updating = 0;      // 1 while polling

    // True while a tick runs (its reads keep the window alive by processing messages).
    bool InTick() const { return inTick_; }

public slots:
    // One tick: stop the timer, process messages, read and show the first table, process
    // messages, read and show the second, start the timer; the updating flag is tested
    // before each read, and a clear flag ends the tick with the timer off.
    void Timer1Timer();
    // Stops or restarts the polling.
    void BtnUpdateClick();

protected:
    // Reads and shows the first / second table (a failed read shows nothing).
    virtual void PollFirst() = 0;
    virtual void PollSecond() {}
    // True while the window runs an action of its own that talks to the controller: the
    // timer stays off and ticks do nothing.
    virtual bool ActionRunning() const { return false; }
    // Runs at the end of every tick (for an action the user asked for during the tick).
    virtual void TickEnded() {}

    // Flag 1, caption "Не обновлять данные", timer on.
    void StartPolling();
    // The timer is started again when polling is on and the window still shown.
    void RestartTimer();

    void hideEvent(QHideEvent* event) override;

private:
    bool inTick_ = false;
};

// Texts of the update button.
extern const char* const kCaptionStopUpdating;   // "Не обновлять данные"
extern const char* const kCaptionStartUpdating;  // "Обновлять данные"
