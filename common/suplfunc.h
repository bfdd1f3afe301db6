// Small helpers shared by every unit: comparators of the directory sorts, byte-order and
// float-validity tests for controller data, the text form of measured values, and the
// table of selectable baud rates.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/crc16.h"  // Crc16, Crc16Step, ByteParityOdd belong with these helpers

namespace qvr {

// Case-insensitive comparison of two Windows-1251 texts (names, telephone numbers):
// both are upper-cased on the code page (Latin and Cyrillic, Ё/ё and the other letters
// of the page included) and compared byte by byte as unsigned bytes, strcmp order.
// Returns < 0, 0 or > 0. Null pointers compare as empty texts.
int StrCmpNoCase(const char* a, const char* b);

// The Windows-1251 upper-case form of one byte (the byte itself when it has none).
unsigned char WinUpper(unsigned char c);

// Compares the unsigned bytes at the two pointers: -1, 0 or 1 (controller addresses).
int CompareByte(const void* a, const void* b);

// Exchanges the two bytes of a 16-bit word in place.
void SwapBytes16(uint16_t* p);

// True when the IEEE single held little-endian in the 4 bytes at p has all eight
// exponent bits set (NaN or an infinity of either sign): such a value is invalid.
bool IsFloatNaN(const void* p);
bool IsFloatNaN(float v);

// Text of a measured value: "NAN" when invalid, "0" for zero, exponent form below 1e-6,
// otherwise fixed point with '.' and the number of decimals chosen by the magnitude.
// FormatValue4 serves log rows, FormatValue6 the moisture-analyser values.
std::string FormatValue4(float v);
std::string FormatValue6(float v);
// The same into a caller's buffer of `size` bytes (always zero-terminated, cut to fit).
void FormatValue4(float v, char* buf, size_t size);
void FormatValue6(float v, char* buf, size_t size);

// Selectable baud rates; the index is the rate code the controller keeps in its tables.
constexpr int kBaudRateCount = 22;
extern const uint32_t BaudRates[kBaudRateCount];

// Index of the rate in BaudRates, -1 when it is not there.
int BaudToIndex(uint32_t rate);
// Rate of an index 0..21, 0 for any other index.
uint32_t IndexToBaud(int32_t index);

}  // namespace qvr
