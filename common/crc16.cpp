#include "common/crc16.h"

bool ByteParityOdd(uint8_t b) {
    b ^= uint8_t(b >> 4);
    b ^= uint8_t(b >> 2);
    b ^= uint8_t(b >> 1);
    return (b & 1) != 0;
}

namespace {
// Rotates the pair (a, t) right by one bit as one 16-bit value with a as its high half.
inline void RotatePair(uint8_t& a, uint8_t& t) {
    uint16_t v = uint16_t((a << 8) | t);
    v = uint16_t((v >> 1) | (v << 15));
    a = uint8_t(v >> 8);
    t = uint8_t(v);
}
}  // namespace

// Byte-wise form of the reflected 0xA001 CRC: the parity of the combined low byte decides
// the two polynomial terms, the rest is two rotations and two exclusive-ors.
void Crc16Step(uint8_t data, uint8_t* high, uint8_t* low) {
    uint8_t lo = uint8_t(*low ^ data);
    uint8_t t = ByteParityOdd(lo) ? 7 : 0;
    uint8_t a = lo;
    RotatePair(a, t);
    a ^= lo;
    RotatePair(a, t);
    t ^= *high;
    *high = a;
    *low = t;
}

uint16_t Crc16(const uint8_t* data, uint16_t count) {
    uint8_t high = 0xFF, low = 0xFF;
    for (uint16_t i = 0; i < count; ++i) Crc16Step(data[i], &high, &low);
    return uint16_t(high * 256 + low);
}
