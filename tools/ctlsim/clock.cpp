#include "ctlsim/clock.h"

#include "common/dtfun.h"
#include "ctlsim/access.h"

namespace ctlsim {

void SetClock(CtlSim& sim, TDateTime t) {
    CtlDateTime c;
    DateTimeToCtl(t, c);
    StoreCtl(c, sim.Table(2));
    sim.Table(2)[6] = uint8_t(WeekDayOf(DateOf(c)));
}

void ShiftClock(CtlSim& sim, int seconds) {
    uint8_t* clock = sim.Table(2);
    CtlDateTime t = LoadCtlDateTime(clock);
    // A clock that holds no valid date is left as it is: there is nothing to move.
    if (!IsValidCtlDateTime(t)) return;
    SetClock(sim, CtlToDateTime(t) + seconds / 86400.0);
}

void InstallClockHandler(CtlSim& sim, bool requireWriter) {
    sim.SetHandler(
        kClockCorrectionFunction,
        [requireWriter](CtlSim& s, const std::vector<uint8_t>& f) {
            if (requireWriter && !IsRegisteredWriter(s, f.data() + 4, f.data() + 16))
                return Negative(kNotRegisteredError);
            const int16_t seconds = int16_t(uint16_t(f[20] | (f[21] << 8)));
            ShiftClock(s, seconds);
            return Reply{};
        },
        kClockCorrectionFrameLength);
}

}  // namespace ctlsim
