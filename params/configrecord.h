// The content of a configuration file: the controller's configuration tables at fixed
// offsets, 2601 bytes, identical in memory and in the file. Fields are read and written
// at their offsets (common/bytes.h for multi-byte values, little-endian as in the image).
#pragma once
#include <cstddef>
#include <cstdint>

struct ConfigRecord {
    uint8_t bytes[2601];

    uint8_t* data() { return bytes; }
    const uint8_t* data() const { return bytes; }
    uint8_t& operator[](size_t i) { return bytes[i]; }
    const uint8_t& operator[](size_t i) const { return bytes[i]; }
};

namespace cfgrec {

constexpr size_t kSize = 2601;

// Origin mark: 1 when filled from a controller's table image, 0 in a new record.
constexpr size_t kOrigin = 0;

// Table 0 (identification, 18 bytes) at 1..18.
constexpr size_t kIdent = 1;
constexpr size_t kIdentSize = 18;
// Controller type (table 0 byte 1): must be 'I'.
constexpr size_t kTypeByte = 2;
constexpr uint8_t kControllerType = 'I';
// Software version (table 0 byte 3): a file is accepted only for this version.
constexpr size_t kVersionByte = 4;
constexpr uint8_t kSoftwareVersion = 13;

// Table 5: controller name, 20 characters, blank-padded, Windows-1251.
constexpr size_t kName = 29;
constexpr size_t kNameSize = 20;

// Table 3: upper-level link (address, rate index, ...), 4 bytes.
constexpr size_t kTable3 = 69;
constexpr size_t kTable3Size = 4;

// Table 6: system parameters, 10 bytes.
constexpr size_t kTable6 = 173;
constexpr size_t kTable6Size = 10;

// Table 14: chromatograph link, 8 bytes; byte 0 = chromatograph address.
constexpr size_t kTable14 = 283;
constexpr size_t kTable14Size = 8;

// Table 15: moisture-analyser link, 8 bytes; byte 0 = moisture-analyser address.
constexpr size_t kTable15 = 341;
constexpr size_t kTable15Size = 8;

// Flow-computer entries: 16 x 20 bytes from 399.
constexpr size_t kFlowComputers = 399;
constexpr size_t kFlowComputerCount = 16;
constexpr size_t kFlowComputerEntrySize = 20;
// Offsets inside one entry.
constexpr size_t kFcAddress = 0;    // table 18 field i (1..254, 0 = none)
constexpr size_t kFcType = 1;       // table 17 field i
constexpr size_t kFcPipelines = 2;  // table 19 field i
constexpr size_t kFcByteOrder = 3;  // table 20 field i
constexpr size_t kFcPassword = 4;   // table 13 field i, 16 characters, transformed in the file
constexpr size_t kFcPasswordSize = 16;
// Start of flow-computer entry i (0..15).
constexpr size_t FlowComputerEntry(size_t i) { return kFlowComputers + kFlowComputerEntrySize * i; }
// Start of flow-computer password i (0..15): 403 + 20 i.
constexpr size_t FlowComputerPassword(size_t i) { return FlowComputerEntry(i) + kFcPassword; }

// Table 21: write flag per gas parameter, 20 bytes.
constexpr size_t kTable21 = 819;
constexpr size_t kTable21Size = 20;

// Tables 22..26: float32[20] each (dead band, lower/upper warning set point,
// lower/upper admission limit).
constexpr size_t kTable22 = 939;
constexpr size_t kTable23 = 1119;
constexpr size_t kTable24 = 1299;
constexpr size_t kTable25 = 1479;
constexpr size_t kTable26 = 1659;
constexpr size_t kLimitTableSize = 80;
constexpr size_t kGasParamCount = 20;
// Start of table 22..26 in the record; 0 for any other table number.
constexpr size_t LimitTableOffset(int table) {
    return table == 22 ? kTable22
         : table == 23 ? kTable23
         : table == 24 ? kTable24
         : table == 25 ? kTable25
         : table == 26 ? kTable26
                       : 0;
}

// Table 28: hour-mean write period, 2 bytes.
constexpr size_t kTable28 = 1839;
constexpr size_t kTable28Size = 2;

// Table 4: users, 16 x 22 bytes (name 4, level 1, reserved 1, write password 12,
// identification code 4).
constexpr size_t kUsers = 1941;
constexpr size_t kUserCount = 16;
constexpr size_t kUserEntrySize = 22;
constexpr size_t kUsersSize = kUserCount * kUserEntrySize;  // 352
constexpr size_t kUserName = 0;
constexpr size_t kUserNameSize = 4;
constexpr size_t kUserLevel = 4;
constexpr size_t kUserReserved = 5;
constexpr size_t kUserPassword = 6;
constexpr size_t kUserPasswordSize = 12;
constexpr size_t kUserCode = 18;
constexpr size_t kUserCodeSize = 4;
constexpr size_t UserEntry(size_t i) { return kUsers + kUserEntrySize * i; }

// Table 29: Ethernet interface settings, 28 bytes (7 x 4).
constexpr size_t kTable29 = 2345;
constexpr size_t kTable29Size = 28;

// Table 9: flow-computer link, 8 bytes; byte 0 = number of flow computers (0..16).
constexpr size_t kTable9 = 2393;
constexpr size_t kTable9Size = 8;
constexpr size_t kFlowComputerNumber = kTable9;

static_assert(kFlowComputers + kFlowComputerCount * kFlowComputerEntrySize == 719);
static_assert(kUsers + kUsersSize == 2293);
static_assert(kTable9 + kTable9Size + 200 == kSize);

}  // namespace cfgrec

static_assert(sizeof(ConfigRecord) == cfgrec::kSize, "ConfigRecord is 2601 bytes");
