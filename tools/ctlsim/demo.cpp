#include "ctlsim/demo.h"

#include <cstring>

#include "common/bytes.h"
#include "common/dtfun.h"
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
    sim.Table(14)[6] = 9;  // chromatograph type: the one the data files accept
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

    // The latest analysis and moisture values, stamped with the PC time: two 4-byte fields
    // of date and time, then the values.
    CtlDateTime now;
    DateTimeToCtl(Now(), now);
    auto stamp = [&](uint8_t* t) {
        const uint8_t time[8] = {now.year, now.month, now.day, 0, now.hour, now.minute, now.second, 0};
        std::memcpy(t, time, 8);
    };
    static const float kAnalysis[20] = {0.05f, 0.9f,  0.12f, 0.15f, 0.002f, 0.04f,  0.03f,
                                        1.2f,  95.0f, 0.6f,  2.9f,  37.9f,  0.69f,  50.1f,
                                        0.9978f, 100.0f, 12.5f, 0.01f, 34.1f, 0.573f};
    uint8_t* chrom = sim.Table(30);
    stamp(chrom);
    for (int i = 0; i < 20; ++i) qvr::PutF32(chrom + 8 + 4 * i, kAnalysis[i]);
    std::memset(sim.Table(32), 0, 20);  // every gas parameter in its normal zone
    sim.Table(33)[0] = 1;  // link with the chromatograph
    sim.Table(33)[1] = moistureAnalyser ? 1 : 0;  // and with the moisture analyser
    static const float kMoisture[4] = {-18.5f, 55.2f, 4.1f, 21.0f};
    uint8_t* moisture = sim.Table(37);
    stamp(moisture);
    for (int i = 0; i < 4; ++i) qvr::PutF32(moisture + 8 + 4 * i, kMoisture[i]);
}

}  // namespace ctlsim
