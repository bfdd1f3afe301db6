// The simulated controller's check of the writer: a write request (function 2) is carried out
// only when its write password (frame bytes 4..15) and identification code (bytes 16..19)
// match a registered user of table 4 (an entry whose access level is not 0); otherwise it is
// answered with error 34 ("user not registered or wrong password").
#pragma once
#include <cstdint>
#include <vector>

#include "ctlsim/ctlsim.h"

namespace ctlsim {

constexpr int kNotRegisteredError = 34;

// true when password (12 bytes) and code (4 bytes) belong to a registered user of the
// simulator's table 4 (call with the simulator locked, as handlers are).
bool IsRegisteredWriter(CtlSim& sim, const uint8_t* password12, const uint8_t* code4);

// Installs the check in front of the built-in write.
void RequireRegisteredWriter(CtlSim& sim);

}  // namespace ctlsim
