// Records laid end to end, as a set holds them.
#pragma once
#include <cstdint>
#include <vector>

inline std::vector<uint8_t> Joined(const std::vector<std::vector<uint8_t>>& parts) {
    std::vector<uint8_t> out;
    for (const std::vector<uint8_t>& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
