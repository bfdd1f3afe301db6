#include "ctlsim/demo.h"

#include <cstring>

#include "ctlsim/ctlsim.h"

namespace ctlsim {

void FillDemoController(CtlSim& sim, bool moistureAnalyser) {
    uint8_t* id = sim.Table(0);
    id[0] = 0;    // no destroyed table
    id[1] = 'I';
    id[3] = 13;   // software version
    id[12] = 0;   // texts in CP866
    // "КВР-370 ДЕМО" in CP866, blank-padded to 20.
    static const uint8_t kName[] = {0x8A, 0x82, 0x90, '-', '3', '7', '0', ' ', 0x84, 0x85, 0x8C, 0x8E};
    std::memset(sim.Table(5), ' ', 20);
    std::memcpy(sim.Table(5), kName, sizeof kName);
    // Summer time from the last Sunday of March at 3 h, winter time from the last Sunday of
    // October at 4 h; contract hour 9; chromatograph connected; moisture analyser or not.
    uint8_t* sys = sim.Table(6);
    const uint8_t system[10] = {3, 201, 3, 10, 201, 4, 9, 1, uint8_t(moistureAnalyser ? 1 : 0), 0};
    std::memcpy(sys, system, 10);
    std::memset(sim.Table(7), 0, 38);
    sim.Table(9)[0] = 1;  // one flow computer
    sim.Table(14)[0] = 1;
    sim.Table(14)[6] = 1;  // chromatograph type
    sim.Table(15)[0] = 2;
    sim.Table(15)[6] = 1;  // moisture-analyser type
    sim.Table(18)[0] = 1;
    // Users: "ADM " at level 1 with the demonstration password and code; the rest free.
    uint8_t* users = sim.Table(4);
    for (int i = 0; i < 16; ++i) {
        uint8_t* u = users + 22 * i;
        std::memset(u, ' ', 22);
        u[4] = 0;
        u[5] = 0;
    }
    std::memcpy(users, "ADM ", 4);
    users[4] = 1;
    std::memcpy(users + 6, kDemoUserPassword, std::strlen(kDemoUserPassword));
    std::memcpy(users + 18, kDemoUserCode, 4);
}

}  // namespace ctlsim
