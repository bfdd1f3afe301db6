#include "ctlsim/tablestate.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace ctlsim {

namespace {
constexpr int kStateTable = 7;
constexpr uint8_t kRate9600Index = 11;
constexpr size_t kResetFrameLength = 22;
}  // namespace

void SetDestroyedTables(CtlSim& sim, const std::vector<int>& tables) {
    std::vector<uint8_t> flags(size_t(FieldCount(kStateTable)), 0);
    uint8_t first = 0;
    for (int t : tables) {
        if (t < 0 || size_t(t) >= flags.size()) continue;
        flags[size_t(t)] = 1;
        if (first == 0) first = uint8_t(t);
    }
    sim.SetTableBytes(kStateTable, 0, flags);
    sim.SetTableBytes(0, 0, {first});
}

std::vector<int> DestroyedTables(CtlSim& sim) {
    std::vector<int> out;
    const std::vector<uint8_t> flags = sim.TableBytes(kStateTable);
    for (size_t t = 0; t < flags.size(); ++t)
        if (flags[t]) out.push_back(int(t));
    return out;
}

void SetSoftwareVersion(CtlSim& sim, uint8_t version) { sim.SetTableBytes(0, 3, {version}); }

void InstallResetHandler(CtlSim& sim, const ResetOptions& options) {
    const int delayMs = options.replyDelayMs;
    sim.SetHandler(
        25,
        [delayMs](CtlSim& s, const std::vector<uint8_t>& f) {
            if (!s.password.empty() &&
                std::memcmp(f.data() + 4, s.password.data(), std::min<size_t>(12, s.password.size())) != 0)
                return Negative(3);
            if (delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            for (int t = 0; t < kTableCount; ++t)
                if (IsConfigTable(t) && s.Table(t)) std::memset(s.Table(t), 0, TableSize(t));
            std::memset(s.Table(kStateTable), 0, TableSize(kStateTable));
            s.Table(0)[0] = 0;
            std::memset(s.Table(5), ' ', TableSize(5));
            s.Table(3)[0] = 1;
            s.Table(3)[1] = kRate9600Index;
            Reply r;
            r.data = {0};
            r.fromAddress = s.address;  // confirmed by the old address ...
            s.address = 1;              // ... answered at address 1 from then on
            return r;
        },
        int(kResetFrameLength));
}

}  // namespace ctlsim
