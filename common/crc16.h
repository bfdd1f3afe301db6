// CRC-16 of every exchange frame and every stored archive or log record.
// Register 0xFFFF at the start, reflected polynomial 0xA001, no final exclusive-or.
// The result is one number, high byte * 256 + low byte; every user stores it low byte
// first behind the data it covers, so that the CRC over data and stored CRC is 0.
#pragma once
#include <cstdint>

// true when the byte has an odd number of 1 bits.
bool ByteParityOdd(uint8_t b);

// Feeds one data byte into the register held as two bytes (parity method).
void Crc16Step(uint8_t data, uint8_t* high, uint8_t* low);

// CRC over count bytes; 0xFFFF over an empty range.
uint16_t Crc16(const uint8_t* data, uint16_t count);
