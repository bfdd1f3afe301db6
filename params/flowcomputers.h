// The gas flow computers the controller writes admitted gas parameters into: up to 16,
// each described by one field of tables 17 (type), 18 (address), 19 (pipelines that get
// gas parameters), 20 (byte order) and 13 (write password); table 9 field 0 counts them.
// The program edits them as rows of 20 bytes, the layout a configuration record keeps them
// in from byte 399. Here: the row layout, the moves between the table image and the rows,
// the list rules with their messages, and the reads and writes of a connected controller's
// flow-computer tables.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/uihooks.h"

// Rows the tables and records have room for.
constexpr int kFlowComputerMax = 16;
constexpr size_t kFlowComputerEntryBytes = 20;
constexpr size_t kFlowComputerRowsBytes = kFlowComputerEntryBytes * kFlowComputerMax;  // 320
constexpr size_t kFlowComputerPasswordSize = 16;
// Byte positions inside a row.
constexpr size_t kFcAddressAt = 0, kFcTypeAt = 1, kFcPipelinesAt = 2, kFcByteOrderAt = 3, kFcPasswordAt = 4;

// Type codes 0..3 (index of FlowComputerTypeNames); type 1 serves one pipeline, the
// others three. Byte order 0: the lower address holds the high byte; 1: the low byte.
constexpr int kFlowComputerTypeCount = 4;
constexpr int kFlowComputerSinglePipeType = 1;
constexpr int kByteOrderCount = 2;

// One flow computer, every field a single byte, so the struct is the 20-byte row.
struct FlowComputerEntry {
    uint8_t address;     // 1..254; 0 = none
    uint8_t type;        // 0..3
    uint8_t pipelines;   // bit k: pipeline k + 1 gets gas parameters (bits 0..2)
    uint8_t byteOrder;   // 0 or 1
    char password[16];   // blank-padded, Windows-1251
};
static_assert(sizeof(FlowComputerEntry) == kFlowComputerEntryBytes, "FlowComputerEntry is 20 bytes");

// What the controller reports of its exchange with each flow computer (48 bytes): the
// addresses (table 18), link present (table 34) and parameters being written (table 35).
struct FlowComputerStateBlock {
    uint8_t address[16];
    uint8_t linkPresent[16];
    uint8_t writing[16];
};
static_assert(sizeof(FlowComputerStateBlock) == 48, "FlowComputerStateBlock is 48 bytes");

// Row <-> its 20 bytes, field by field.
FlowComputerEntry FlowComputerFromBytes(const uint8_t* p);
void FlowComputerToBytes(const FlowComputerEntry& e, uint8_t* p);
// A row of zeros with a blank password (the row a list starts from, or a new one).
FlowComputerEntry EmptyFlowComputer();

// A count from a table or a record limited to the 16 rows there are room for.
int ClampFlowComputerCount(int n);
// Table 9 field 0 of the image, limited to 16.
int ImageFlowComputerCount();

// Pipelines bits a type can use: bit 0 for type 1, bits 0..2 for the others.
uint8_t PipelineMask(int type);

// One refusal: the two lines of the message box (UTF-8).
struct FlowComputerMessage {
    std::string line1, line2;
};

// The list rules, first failure wins: every row needs an address other than 0 and 255, a
// type below 4 and a byte order of 0 or 1 ("Вычислитель № %d" / "Неверно заданы
// параметры"); no two rows may share an address ("Повтор адреса %d"). count is clamped.
bool CheckFlowComputerList(const FlowComputerEntry* rows, int count, FlowComputerMessage* message = nullptr);

// Removes row `row` of `count` rows: later rows move up one together with their flag in
// `sou`, and each moved row is marked in `passwordSet` (its password belongs at its new
// index). The freed last slot gets an empty row and a cleared flag. count falls by one;
// false (nothing changed) for a row outside the list or a list of one row.
bool DeleteFlowComputerRow(FlowComputerEntry* rows, uint8_t* sou, uint8_t* passwordSet, int& count, int row);

// Rows 0..n-1 built from tables 18, 17, 19 and 20 of the image, blank passwords; the other
// rows of the 16 become empty rows. n is clamped.
void FlowComputerRowsFromImage(FlowComputerEntry* rows, int n);
// Table 9 field 0 = count; rows 0..count-1 into tables 17..20 and 13, field by row.
void FlowComputerRowsToImage(const FlowComputerEntry* rows, int count);

// A connected controller's flow-computer tables as read before editing.
struct FlowComputerTables {
    int reportedCount = 0;  // table 9 field 0 as the controller gave it
    int count = 0;          // the same, limited to 16
    uint8_t old17[16] = {}, old18[16] = {}, old19[16] = {}, old20[16] = {};  // tables as read
};

// Reads (interactive) table 9 field 0 when readCount is set, otherwise takes the count of
// the image; then tables 17, 18, 19 and 20, fields 0..n-1, each followed by its old copy
// (cleared first). A count of 0 reads nothing more. false at the first failed read.
bool ReadFlowComputerTables(FlowComputerTables* tables, qvr::IStatusBar* statusBar, bool readCount = true);

// Writes an accepted list (already put into the image by FlowComputerRowsToImage):
// table 9 — fields 0..7 against oldTable9 when given (8 bytes), otherwise field 0 alone
// when the count differs from the one the controller reported; then tables 17..20,
// fields 0..count-1, only what changed against the old copies (rows past those read are
// always written: their old bytes are unknown); then table 13 field i alone
// for each i < count flagged in passwordSet. Stops with false at the first failure.
bool WriteFlowComputerTables(const FlowComputerTables& tables, const uint8_t* passwordSet, const uint8_t* oldTable9,
                             qvr::IStatusBar* statusBar);

// Reads (interactive) table 9 field 0, then tables 18, 34 and 35 fields 0..n-1, and fills
// the block (zeros past n). false at the first failed read.
bool ReadFlowComputerStates(FlowComputerStateBlock* block, qvr::IStatusBar* statusBar);
