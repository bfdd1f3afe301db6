// The image of the controller's 38 parameter tables and the directory that describes them.
#pragma once
#include <cstddef>
#include <cstdint>

// One table of the directory.
struct FieldLayoutEntry {
    uint8_t fieldCount;     // number of fields
    uint8_t fieldSize;      // bytes per field
    uint8_t isConfigTable;  // 1: the table belongs to the configuration
    uint16_t reserved;      // 0
    uint8_t* data;          // start of the table in g_TableMemory; null for tables without fields
};

constexpr int kTableCount = 38;
constexpr size_t kTableMemorySize = 1584;

// Largest data part of one read and of one write, so that every frame stays within 255 bytes.
constexpr int kReadDataLimit = 245;
constexpr int kWriteDataLimit = 229;

// Indexed by table number. The data pointers are fixed at start-up and never change.
extern const FieldLayoutEntry FieldLayoutTable[kTableCount];

// The table image: table N starts at the sum of fieldCount * fieldSize of tables 0..N-1.
// It starts zeroed; nothing marks a table as valid.
extern uint8_t g_TableMemory[kTableMemorySize];

// The range of fields a read or write request names. It is the body of a read (function 1)
// and the head of the body of a write (function 2), where count * fieldSize data bytes
// follow it. Three single bytes: the layout on the wire.
struct TableRequest {
    uint8_t table;
    uint8_t first;
    uint8_t count;
};
static_assert(sizeof(TableRequest) == 3, "TableRequest is 3 bytes on the wire");

// Helpers over the directory. A table number outside 0..37 gives 0 / null / false.
bool IsValidTable(int table);
size_t TableOffset(int table);   // start of the table in g_TableMemory
size_t TableSize(int table);     // fieldCount * fieldSize
int FieldCount(int table);
int FieldSize(int table);
bool IsConfigTable(int table);
uint8_t* TablePtr(int table);    // null for tables without fields
// Start of a field; null when the table has no such field.
uint8_t* FieldPtr(int table, int field);
// true when first..first+count-1 are fields of the table (count 0 is a valid empty range).
bool IsValidFieldRange(int table, int first, int count);
// Fields per read or write request of this table (0 for tables without fields).
int ReadChunkFields(int table);
int WriteChunkFields(int table);
