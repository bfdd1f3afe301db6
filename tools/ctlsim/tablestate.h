// State of the simulated controller's configuration tables: tables reported destroyed
// (table 7, one flag per table, and byte 0 of table 0, the number of a destroyed table),
// the software version (table 0 byte 3), and the reset of the non-volatile data
// (function 25), after which the controller answers at address 1 and 9600 bit/s with its
// configuration tables cleared.
#pragma once
#include <cstdint>
#include <vector>

#include "ctlsim/ctlsim.h"

namespace ctlsim {

// Marks the given tables destroyed (the others intact); byte 0 of table 0 becomes the
// first of them, 0 for none.
void SetDestroyedTables(CtlSim& sim, const std::vector<int>& tables);
// The tables whose flag in table 7 is set.
std::vector<int> DestroyedTables(CtlSim& sim);

// Software version of table 0 (13 or 14).
void SetSoftwareVersion(CtlSim& sim, uint8_t version);

struct ResetOptions {
    int replyDelayMs = 0;  // the controller takes this long before it confirms the reset
};

// Serves function 25. The request must carry the write password set with SetPassword
// (negative reply 3 otherwise). The reset clears every configuration table and the
// destroyed marks, leaves an empty (blank) name, and sets table 3 to address 1 at rate
// index 11 (9600 bit/s); the confirmation still comes from the old address, and from then
// on the controller answers at address 1.
void InstallResetHandler(CtlSim& sim, const ResetOptions& options = {});

}  // namespace ctlsim
