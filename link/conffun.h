// The table access layer: moves field ranges between the table image (g_TableMemory) and
// the controller through the exchange engine (g_Hgc), writes back only what an edit
// changed, reads and writes a whole configuration in the order the controller requires,
// and copies the configuration tables between the image and a ConfigRecord.
//
// Status texts go to panel 2 of the status bar passed (null: none), the controller name to
// its panel 1; retry and mismatch questions go through ShowQues. GUI thread only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/uihooks.h"
#include "link/tabledir.h"
#include "params/configrecord.h"

// Table 0, the identification the controller gives at every connection: 18 one-byte
// fields, so the struct has exactly the layout of the table (no padding).
struct IdentRecord {
    uint8_t destroyedTable;      // 0  number of a destroyed table, 0 when none
    uint8_t typeCode;            // 1  'I' for this controller
    uint8_t hardwareVersion;     // 2
    uint8_t softwareVersion;     // 3  13 or 14
    uint8_t buildDate[6];        // 4..9  year (two digits), month, day, hour, minute, second
    uint8_t byteOrder;           // 10 0: low address holds the high byte; 1: the low byte
    uint8_t multiRate;           // 11 non-zero: several line rates
    uint8_t textCodePage;        // 12 0: texts (the name) in CP866; otherwise Windows-1251
    uint8_t fixedAddress;        // 13 0: address can be changed; otherwise the fixed address
    uint8_t protocolVersion[3];  // 14..16 latest protocol version supported
    uint8_t reserved;            // 17 not interpreted
};
static_assert(sizeof(IdentRecord) == 18, "IdentRecord is table 0, 18 bytes");

// Byte positions of IdentRecord in table 0.
namespace ident {
constexpr int kDestroyedTable = 0;
constexpr int kTypeCode = 1;
constexpr int kHardwareVersion = 2;
constexpr int kSoftwareVersion = 3;
constexpr int kBuildDate = 4;
constexpr int kByteOrder = 10;
constexpr int kMultiRate = 11;
constexpr int kTextCodePage = 12;
constexpr int kFixedAddress = 13;
constexpr int kProtocolVersion = 14;
constexpr uint8_t kControllerType = 'I';
}  // namespace ident

// A copy of table 0 of the image.
IdentRecord GetIdentRecord();
// Byte i (0..17) of table 0 of the image.
uint8_t IdentByte(int i);

// Per-table flags handed between the connection sequence, the table-state form and the
// whole-configuration write (114 bytes, owned by the caller).
struct TableStateBuffer {
    uint8_t present[kTableCount];    // 1: a configuration table (gets a row in the form)
    uint8_t destroyed[kTableCount];  // 1: the controller reports it destroyed
    uint8_t toWrite[kTableCount];    // 1: to be written in a restore
};
static_assert(sizeof(TableStateBuffer) == 114, "TableStateBuffer is 114 bytes");

// Flow computers the tables and records have room for (table 9 field 0 counts them).
constexpr int kMaxFlowComputers = 16;
// Frame bytes of a write besides its data: the cost rule of WriteChangedFields.
constexpr int kWriteFrameOverhead = 26;

// The table name shown in questions: the entry of ConfigTableNames without its leading
// blank ("" for a number outside 0..37 or before the strings are set up).
std::string TableDisplayName(int table);

// Reads the range into the image. Interactive: status texts, and the retry question on a
// failure. The mismatch question for a reply that echoes another request is asked in
// both modes. A request that names no valid range (table outside 0..37, fields past the
// table, a table without fields, more than kReadDataLimit data bytes) is refused without
// an exchange. A reply whose length does not fit the request copies nothing.
bool ReadTableFields(const TableRequest* request, qvr::IStatusBar* statusBar, uint8_t interactive);
bool ReadTableFields(const TableRequest& request, qvr::IStatusBar* statusBar, uint8_t interactive);
// The same with `subject` in place of the table's name in the questions, for a request
// whose field means something narrower than its table (one archive's oldest record time).
bool ReadTableFields(const TableRequest& request, qvr::IStatusBar* statusBar, uint8_t interactive,
                     const std::string& subject);

// Writes the range from the image (the data follow the request in the frame; the engine
// adds the user's password and code). The status text is shown in both modes; the retry
// question only when interactive. Invalid ranges (as above, limit kWriteDataLimit) are
// refused without an exchange.
bool WriteTableFields(const TableRequest* request, qvr::IStatusBar* statusBar, uint8_t interactive);
bool WriteTableFields(const TableRequest& request, qvr::IStatusBar* statusBar, uint8_t interactive);

// Writes only the fields of the range that differ from oldCopy (count * fieldSize bytes
// taken before editing), as one span or as runs of changed fields, whichever costs fewer
// bytes on the line. No difference: true without an exchange.
bool WriteChangedFields(const TableRequest* request, const void* oldCopy, qvr::IStatusBar* statusBar);
bool WriteChangedFields(const TableRequest& request, const void* oldCopy, qvr::IStatusBar* statusBar);

// Reads every configuration table except 13 in chunks (tables 17..20 for the number of
// flow computers only). Shows the name in panel 1, sets g_MoisturePresent. A controller
// reporting more than 16 flow computers is clamped to 16 with a notice.
bool ReadConfigFromController(qvr::IStatusBar* statusBar, qvr::IProgress* progress);

// Writes the tables marked in state->toWrite: first 9, 17..20 and 13 (their marks are
// cleared as each is written), then every other marked table in ascending order.
// Table 3 moves the engine and the stored link to the new address and rate (unless
// g_RestoreAndDisconnect), table 5 is sent in the controller's code page, table 6 sets
// g_MoisturePresent. Stops with false at the first failed write.
bool WriteConfigToController(TableStateBuffer* state, qvr::IStatusBar* statusBar, qvr::IProgress* progress);

// The engine (g_Hgc) and the stored link of the current link kind follow the controller to
// a new address, on every link, and to a new line rate, on a direct line only; baud 0 keeps
// the rate. The link description on the status bar is redrawn.
void FollowControllerLink(uint8_t address, uint32_t baud, qvr::IStatusBar* bar);

// Record -> image, checking the user block when checkUsers is set (which blanks unused
// entries and clears the reserved bytes in the record) and the device addresses. Any
// refusal shows an input-error message and returns false, leaving the tables copied so
// far in the image.
bool LoadConfigRecord(ConfigRecord* record, uint8_t checkUsers);

// Image -> record: the tables of the configuration at their offsets, flow-computer
// passwords blank; other bytes of the record stay as the caller prepared them.
void StoreConfigRecord(ConfigRecord* record);

// Milliseconds the whole-configuration operations pause at the end with the progress full
// (500; tests may shorten it).
extern int g_ConfigEndPauseMs;
