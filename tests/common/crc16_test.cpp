#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "common/crc16.h"

namespace {
// The plain bitwise form of the same CRC, written independently as a reference.
uint16_t BitwiseCrc(const uint8_t* p, size_t n) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int b = 0; b < 8; ++b) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}
}  // namespace

TEST(Crc16, CheckValueEmptyRangeAndZeroOverStoredCrc) {
    const char* digits = "123456789";
    EXPECT_EQ(Crc16(reinterpret_cast<const uint8_t*>(digits), 9), 0x4B37);
    EXPECT_EQ(Crc16(nullptr, 0), 0xFFFF);

    // A record followed by its CRC, low byte first, checks to 0.
    uint8_t rec[12] = {0x33, 0x01, 12, 0x81, 0, 5, 0, 5, 'a', 'b'};
    uint16_t c = Crc16(rec, 10);
    rec[10] = uint8_t(c);
    rec[11] = uint8_t(c >> 8);
    EXPECT_EQ(Crc16(rec, 12), 0);
    rec[11] ^= 0x01;
    EXPECT_NE(Crc16(rec, 12), 0);
}

TEST(Crc16, ParityMethodMatchesBitwiseForm) {
    std::mt19937 rng(7);
    for (int len = 0; len < 300; ++len) {
        std::vector<uint8_t> v(len);
        for (auto& b : v) b = uint8_t(rng());
        ASSERT_EQ(Crc16(v.data(), uint16_t(len)), BitwiseCrc(v.data(), v.size())) << len;
    }
    // Every single byte from every starting register value of the step.
    for (int h = 0; h < 256; h += 17)
        for (int l = 0; l < 256; l += 13)
            for (int d = 0; d < 256; ++d) {
                uint8_t hi = uint8_t(h), lo = uint8_t(l);
                Crc16Step(uint8_t(d), &hi, &lo);
                uint16_t crc = uint16_t((h << 8) | l) ^ uint8_t(d);
                for (int b = 0; b < 8; ++b) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
                ASSERT_EQ(uint16_t(hi << 8 | lo), crc) << h << " " << l << " " << d;
            }
}

TEST(Crc16, ByteParityOdd) {
    EXPECT_FALSE(ByteParityOdd(0x00));
    EXPECT_TRUE(ByteParityOdd(0x01));
    EXPECT_TRUE(ByteParityOdd(0x80));
    EXPECT_FALSE(ByteParityOdd(0x81));
    EXPECT_TRUE(ByteParityOdd(0x07));
    EXPECT_FALSE(ByteParityOdd(0xFF));
    EXPECT_TRUE(ByteParityOdd(0xFE));
}
