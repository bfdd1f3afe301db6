#include "link/tabledir.h"

uint8_t g_TableMemory[kTableMemorySize];

namespace {

struct Dim {
    uint8_t count, size, config;
};

// Field count, field size and configuration flag of each table, in table order.
constexpr Dim kDims[kTableCount] = {
    {18, 1, 0},   // 0  identification
    {0, 0, 0},    // 1  (no fields)
    {8, 1, 1},    // 2  controller date and time
    {4, 1, 1},    // 3  upper-level link: address, rate index
    {16, 22, 1},  // 4  users
    {1, 20, 1},   // 5  controller name
    {10, 1, 1},   // 6  system parameters
    {38, 1, 0},   // 7  table states
    {2, 1, 0},    // 8  functions
    {8, 1, 1},    // 9  flow-computer link
    {2, 4, 0},    // 10 diagnostic archive bounds
    {2, 4, 0},    // 11 intervention archive bounds
    {2, 4, 0},    // 12 calibration archive bounds
    {16, 16, 1},  // 13 flow-computer passwords
    {8, 1, 1},    // 14 chromatograph link
    {8, 1, 1},    // 15 moisture-analyser link
    {18, 1, 0},   // 16 abnormal-situation flags
    {16, 1, 1},   // 17 flow-computer types
    {16, 1, 1},   // 18 flow-computer addresses
    {16, 1, 1},   // 19
    {16, 1, 1},   // 20
    {20, 1, 1},   // 21
    {20, 4, 1},   // 22
    {20, 4, 1},   // 23
    {20, 4, 1},   // 24
    {20, 4, 1},   // 25
    {20, 4, 1},   // 26
    {3, 6, 0},    // 27 first archive record dates
    {2, 1, 1},    // 28
    {7, 4, 1},    // 29 Ethernet link
    {22, 4, 0},   // 30 chromatograph momentary data
    {0, 0, 0},    // 31 (no fields)
    {20, 1, 0},   // 32
    {2, 1, 0},    // 33
    {16, 1, 0},   // 34
    {16, 1, 0},   // 35
    {27, 4, 0},   // 36
    {7, 4, 0},    // 37
};

constexpr size_t OffsetOf(int table) {
    size_t off = 0;
    for (int t = 0; t < table; ++t) off += size_t(kDims[t].count) * kDims[t].size;
    return off;
}
static_assert(OffsetOf(kTableCount) == kTableMemorySize, "tables fill the image exactly");

constexpr FieldLayoutEntry Entry(int t) {
    return FieldLayoutEntry{kDims[t].count, kDims[t].size, kDims[t].config, 0,
                            kDims[t].count ? g_TableMemory + OffsetOf(t) : nullptr};
}

}  // namespace

const FieldLayoutEntry FieldLayoutTable[kTableCount] = {
    Entry(0),  Entry(1),  Entry(2),  Entry(3),  Entry(4),  Entry(5),  Entry(6),  Entry(7),
    Entry(8),  Entry(9),  Entry(10), Entry(11), Entry(12), Entry(13), Entry(14), Entry(15),
    Entry(16), Entry(17), Entry(18), Entry(19), Entry(20), Entry(21), Entry(22), Entry(23),
    Entry(24), Entry(25), Entry(26), Entry(27), Entry(28), Entry(29), Entry(30), Entry(31),
    Entry(32), Entry(33), Entry(34), Entry(35), Entry(36), Entry(37),
};

bool IsValidTable(int table) { return table >= 0 && table < kTableCount; }

size_t TableOffset(int table) { return IsValidTable(table) ? OffsetOf(table) : 0; }

size_t TableSize(int table) {
    return IsValidTable(table) ? size_t(kDims[table].count) * kDims[table].size : 0;
}

int FieldCount(int table) { return IsValidTable(table) ? kDims[table].count : 0; }
int FieldSize(int table) { return IsValidTable(table) ? kDims[table].size : 0; }
bool IsConfigTable(int table) { return IsValidTable(table) && kDims[table].config != 0; }

uint8_t* TablePtr(int table) { return IsValidTable(table) ? FieldLayoutTable[table].data : nullptr; }

uint8_t* FieldPtr(int table, int field) {
    if (!IsValidTable(table) || field < 0 || field >= kDims[table].count) return nullptr;
    return FieldLayoutTable[table].data + size_t(field) * kDims[table].size;
}

bool IsValidFieldRange(int table, int first, int count) {
    if (!IsValidTable(table) || first < 0 || count < 0) return false;
    return first + count <= kDims[table].count;
}

int ReadChunkFields(int table) { return FieldSize(table) ? kReadDataLimit / FieldSize(table) : 0; }
int WriteChunkFields(int table) { return FieldSize(table) ? kWriteDataLimit / FieldSize(table) : 0; }
