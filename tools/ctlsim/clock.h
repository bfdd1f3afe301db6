// The simulated controller's clock correction (function 12): the request carries the
// writer's password and code and a signed 16-bit number of seconds (low byte first); the
// clock of table 2 (date-time, weekday) is moved by that much and a short positive reply
// is sent.
#pragma once
#include <cstdint>

#include "common/dtfun.h"
#include "ctlsim/ctlsim.h"

namespace ctlsim {

constexpr uint8_t kClockCorrectionFunction = 12;
constexpr int kClockCorrectionFrameLength = 24;

// Sets the clock of table 2 to t (date-time and weekday; the time type is kept). Call
// before the simulator starts or with it locked (in a handler).
void SetClock(CtlSim& sim, TDateTime t);

// Moves the clock of table 2 by seconds and sets its weekday (simulator locked).
void ShiftClock(CtlSim& sim, int seconds);

// Installs the function. requireWriter: the password and code must belong to a registered
// user of table 4, as for table writes (error 34 otherwise).
void InstallClockHandler(CtlSim& sim, bool requireWriter = false);

}  // namespace ctlsim
