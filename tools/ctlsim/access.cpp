#include "ctlsim/access.h"

#include <cstring>

namespace ctlsim {

namespace {
constexpr int kUsersTable = 4;
constexpr int kUserCount = 16;
constexpr int kEntrySize = 22;
constexpr int kLevelAt = 4, kPasswordAt = 6, kCodeAt = 18;
}  // namespace

bool IsRegisteredWriter(CtlSim& sim, const uint8_t* password12, const uint8_t* code4) {
    const uint8_t* users = sim.Table(kUsersTable);
    for (int i = 0; i < kUserCount; ++i) {
        const uint8_t* e = users + i * kEntrySize;
        if (e[kLevelAt] == 0) continue;
        if (std::memcmp(e + kPasswordAt, password12, 12) == 0 && std::memcmp(e + kCodeAt, code4, 4) == 0) return true;
    }
    return false;
}

void RequireRegisteredWriter(CtlSim& sim) {
    sim.SetHandler(2, [](CtlSim& s, const std::vector<uint8_t>& f) {
        if (f.size() < 26) return Negative(2);
        if (!IsRegisteredWriter(s, f.data() + 4, f.data() + 16)) return Negative(kNotRegisteredError);
        return s.WriteFields(f);
    });
}

}  // namespace ctlsim
