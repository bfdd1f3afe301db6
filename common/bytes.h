// Little-endian field access for records laid out byte by byte. Records are never
// overlaid on structs: each field is read and written at its offset.
#pragma once
#include <cstdint>
#include <cstring>

namespace qvr {

inline uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int16_t GetI16(const uint8_t* p) { return int16_t(GetU16(p)); }
inline int32_t GetI32(const uint8_t* p) { return int32_t(GetU32(p)); }
inline float GetF32(const uint8_t* p) {
    uint32_t u = GetU32(p);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}
inline double GetF64(const uint8_t* p) {
    uint64_t u = uint64_t(GetU32(p)) | (uint64_t(GetU32(p + 4)) << 32);
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}

inline void PutU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void PutI16(uint8_t* p, int16_t v) { PutU16(p, uint16_t(v)); }
inline void PutI32(uint8_t* p, int32_t v) { PutU32(p, uint32_t(v)); }
inline void PutF32(uint8_t* p, float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    PutU32(p, u);
}
inline void PutF64(uint8_t* p, double d) {
    uint64_t u;
    std::memcpy(&u, &d, 8);
    PutU32(p, uint32_t(u));
    PutU32(p + 4, uint32_t(u >> 32));
}

}  // namespace qvr
