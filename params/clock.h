// Clock correction of the controller (function 12): the number of seconds to move the
// controller's clock toward the PC's, never out of the controller's current hour, and the
// exchange that sends it.
#pragma once
#include <cstdint>

#include "common/dtfun.h"
#include "common/uihooks.h"

namespace qvr {

// Table 2, the controller's clock as read: date-time, weekday 1..7 (1 = Sunday), time type
// (0 summer, not 0 winter).
constexpr int kClockTable = 2;
constexpr int kClockFieldCount = 8;
constexpr int kClockWeekDay = 6;
constexpr int kClockSeason = 7;

// Seconds that bring the controller clock ctl toward the PC clock pc:
// - same date and hour: the difference of minutes and seconds within the hour;
// - different hours, controller behind: up to the start of the controller's next hour;
// - different hours, controller ahead: back to the start of its current hour.
int16_t ClockCorrectionSeconds(const CtlDateTime& ctl, const CtlDateTime& pc);

// Sends the correction to the connected controller with function 12 (body: the value, low
// byte first; the engine adds the user's password and code). Clears panel 2 of the status
// bar first; on success panel 2 shows "Корректировка времени выполнена"; on failure it
// shows the exchange result and a notice "Корректировка времени не выполнена" follows.
// True on success. Without an engine nothing is sent and the notice is shown.
bool SendClockCorrection(int16_t seconds, IStatusBar* statusBar);

}  // namespace qvr
