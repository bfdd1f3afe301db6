// Byte layouts of the measured data and log messages: the raw records the controller
// sends in its archive and log replies, the 57-byte header of every data file and of
// every record set handed to a viewer, the data files with their folders, and the
// temporary files of the readers. Every record and header is read and written field by
// field at its offset (little-endian, texts in Windows-1251); nothing is overlaid on a
// struct.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "common/dtfun.h"

namespace qvr {

// ---------------------------------------------------------------------------------------
// Sizes.
constexpr size_t kArchiveFileHeaderSize = 57;
constexpr size_t kChrom5MinRecordSize = 93;
constexpr size_t kChromHourDayRecordSize = 92;
constexpr size_t kMoisture5MinRecordSize = 29;
constexpr size_t kMoistureHourDayRecordSize = 28;
constexpr size_t kDiagRecordSize = 22;
constexpr size_t kAuditRecordSize = 24;
constexpr size_t kDiagTextRowSize = 300;   // one row of a saved diagnostic log
constexpr size_t kAuditTextRowSize = 205;  // one row of a saved intervention log
constexpr int kGasParamCount = 20;
constexpr size_t kGasAnalysisSize = kGasParamCount * 4;
constexpr int kMoistureValueCount = 4;

// Every data file must carry this chromatograph type code at header byte 47.
constexpr uint8_t kDataFileChromType = 9;
// Format version in the default names of saved data files.
constexpr int kDataFileVersion = 13;

// ---------------------------------------------------------------------------------------
// Kinds of data file. The first six are the archives, in the order of the read commands.
enum class DataKind : uint8_t {
    Chrom5Min = 0,  // .mch
    ChromHour,      // .hch
    ChromDay,       // .dch
    Wmt5Min,        // .mwm
    WmtHour,        // .hwm
    WmtDay,         // .dwm
    DiagLog,        // .ala
    AuditLog,       // .aud
};
constexpr int kDataKindCount = 8;

struct DataKindInfo {
    const char* extension;  // ".mch"
    const char* signature;  // three letters at header byte 0
    uint8_t device;         // header byte 3: 0 chromatograph, 1 moisture analyser
    bool isLog;             // log files hold text rows and are not tested on the device
    size_t recordSize;      // bytes per record of the file body
    const char* folder;     // folder under the program folder
    int filterIndex;        // filter preselected in the main window's open dialog, from 1
    int periodWidth;        // bytes of the period start and end in the header (3..6)
    const char* rejectLine; // second line of the message that refuses a file of this kind
};
const DataKindInfo& KindInfo(DataKind kind);
inline bool IsArchiveKind(DataKind k) { return uint8_t(k) <= uint8_t(DataKind::WmtDay); }
inline bool IsFiveMinuteKind(DataKind k) { return k == DataKind::Chrom5Min || k == DataKind::Wmt5Min; }
inline bool IsDailyKind(DataKind k) { return k == DataKind::ChromDay || k == DataKind::WmtDay; }

// ---------------------------------------------------------------------------------------
// Header of every data file (57 bytes).
namespace hdr {
constexpr size_t kSignature = 0;     // 3 ASCII letters, no terminator
constexpr size_t kDevice = 3;
constexpr size_t kName = 4;          // 20 bytes of table 5
constexpr size_t kAddress = 24;
constexpr size_t kReadTime = 25;     // CtlDateTime of the PC clock
constexpr size_t kPeriodStart = 31;  // 6 bytes, content by kind
constexpr size_t kPeriodEnd = 37;
constexpr size_t kCount = 43;        // u32
constexpr size_t kChromType = 47;
constexpr size_t kMoistureType = 48;
constexpr size_t kReserved = 49;     // 8 zero bytes
}  // namespace hdr

struct ArchiveFileHeader {
    char signature[3] = {'\0', '\0', '\0'};
    uint8_t device = 0;
    uint8_t name[20] = {};
    uint8_t address = 0;
    CtlDateTime readTime;
    uint8_t periodStart[6] = {};
    uint8_t periodEnd[6] = {};
    uint32_t recordCount = 0;
    uint8_t chromType = 0;
    uint8_t moistureType = 0;
    uint8_t reserved[8] = {};

    std::array<uint8_t, kArchiveFileHeaderSize> Bytes() const;
    static ArchiveFileHeader FromBytes(const uint8_t* p);
    bool operator==(const ArchiveFileHeader&) const = default;
};

// The header of a record set of the kind: signature and device of the kind, the period
// start and end cut to the kind's width (the bytes after it zero).
ArchiveFileHeader MakeArchiveFileHeader(DataKind kind, const uint8_t name[20], uint8_t address,
                                        const CtlDateTime& readTime, const CtlDateTime& start,
                                        const CtlDateTime& end, uint32_t count, uint8_t chromType,
                                        uint8_t moistureType);
// The same with what the program holds at the moment of reading: table 5 of the table
// image, the engine's controller address (0 without an engine), the PC clock now, table
// 14 field 6 and table 15 field 6.
ArchiveFileHeader BuildArchiveFileHeader(DataKind kind, const CtlDateTime& start, const CtlDateTime& end,
                                         uint32_t count);

// The check every view-from-file command makes: signature of the kind, device byte of the
// kind (archives only), chromatograph type 9.
bool HeaderMatchesKind(const ArchiveFileHeader& h, DataKind kind);
// The refusal: kind 1, "Файл <name> не является файлом, содержащим" and the kind's line.
void ShowHeaderRejection(const std::string& fileNameOnly, DataKind kind);

// ---------------------------------------------------------------------------------------
// Records. Each ends in the CRC-16 of the bytes before it, low byte first, so that the
// CRC over the whole record is 0 for an intact record.
bool RecordCrcOk(const uint8_t* record, size_t size);
// Stores the CRC of the first size-2 bytes into the last two.
void SealRecord(uint8_t* record, size_t size);

// 20 float32 indexed by gas parameter.
struct GasAnalysis {
    float v[kGasParamCount] = {};
    static GasAnalysis Load(const uint8_t* p);
    void Store(uint8_t* p) const;
};

// One chromatograph analysis of the 5-minute archive (93 bytes).
struct Chrom5MinRecord {
    static constexpr size_t kSize = kChrom5MinRecordSize;
    static constexpr size_t kTime = 0, kStatus = 6, kAlarm = 7, kReserved = 9, kGas = 11, kCrc = 91;
    CtlDateTime time;
    uint8_t status = 0;
    uint16_t alarm = 0;
    uint8_t reserved[2] = {};
    GasAnalysis gas;
    uint16_t crc = 0;  // as stored (low byte first)
    static Chrom5MinRecord Load(const uint8_t* p);
    void Store(uint8_t* p) const;  // the CRC is stored as held; SealRecord computes it
};

// Start and end of an averaging interval, and the date, of an hourly or daily mean.
struct HourDayStamp {
    uint8_t date[3] = {};   // yy mm dd
    uint8_t start[3] = {};  // h m s
    uint8_t end[3] = {};    // h m s; the hour byte carries the flag in bit 7
    uint8_t EndHour() const { return end[0] & 0x7F; }
    bool EndFlag() const { return (end[0] & 0x80) != 0; }
    CtlHourTime DateHour() const { return CtlHourTime(date[0], date[1], date[2], start[0]); }
};

// One hourly or daily mean of the chromatograph data (92 bytes).
struct ChromHourDayRecord {
    static constexpr size_t kSize = kChromHourDayRecordSize;
    static constexpr size_t kDate = 0, kStart = 3, kEnd = 6, kStatus = 9, kGas = 10, kCrc = 90;
    HourDayStamp stamp;
    uint8_t status = 0;
    GasAnalysis gas;
    uint16_t crc = 0;
    static ChromHourDayRecord Load(const uint8_t* p);
    void Store(uint8_t* p) const;
};

// One moisture-analyser measurement of the 5-minute archive (29 bytes).
struct Moisture5MinRecord {
    static constexpr size_t kSize = kMoisture5MinRecordSize;
    static constexpr size_t kTime = 0, kStatus = 6, kReserved = 7, kCode = 9, kValues = 11, kCrc = 27;
    CtlDateTime time;
    uint8_t status = 0;
    uint8_t reserved[2] = {};
    uint16_t statusCode = 0;
    float values[kMoistureValueCount] = {};
    uint16_t crc = 0;
    static Moisture5MinRecord Load(const uint8_t* p);
    void Store(uint8_t* p) const;
};

// One hourly or daily mean of the moisture analyser (28 bytes).
struct MoistureHourDayRecord {
    static constexpr size_t kSize = kMoistureHourDayRecordSize;
    static constexpr size_t kDate = 0, kStart = 3, kEnd = 6, kStatus = 9, kValues = 10, kCrc = 26;
    HourDayStamp stamp;
    uint8_t status = 0;
    float values[kMoistureValueCount] = {};
    uint16_t crc = 0;
    static MoistureHourDayRecord Load(const uint8_t* p);
    void Store(uint8_t* p) const;
};

// One diagnostic message (22 bytes). For code 59 value and set point are u32: their raw
// bytes are kept in valueBits / setPointBits as well.
struct DiagRecord {
    static constexpr size_t kSize = kDiagRecordSize;
    static constexpr size_t kTime = 0, kCode = 6, kReserved1 = 7, kObject = 8, kSubObject = 9, kValue = 10,
                            kSetPoint = 14, kReserved2 = 18, kCrc = 20;
    CtlDateTime time;
    uint8_t code = 0;
    uint8_t reserved1 = 0;
    uint8_t object = 0;
    uint8_t subObject = 0;
    uint32_t valueBits = 0;
    uint32_t setPointBits = 0;
    uint8_t reserved2[2] = {};
    uint16_t crc = 0;
    float Value() const;
    float SetPoint() const;
    static DiagRecord Load(const uint8_t* p);
    void Store(uint8_t* p) const;
};

// One operator intervention (24 bytes).
struct AuditRecord {
    static constexpr size_t kSize = kAuditRecordSize;
    static constexpr size_t kTime = 0, kReserved = 6, kTable = 7, kField = 8, kUnit = 9, kOld = 10, kNew = 14,
                            kOperator = 18, kCrc = 22;
    CtlDateTime time;
    uint8_t reserved = 0;
    uint8_t table = 0;
    uint8_t field = 0;
    uint8_t unit = 0;
    float oldValue = 0;
    float newValue = 0;
    char operatorName[4] = {};  // Windows-1251
    uint16_t crc = 0;
    static AuditRecord Load(const uint8_t* p);
    void Store(uint8_t* p) const;
};

// Chromatograph status bits (byte 6 of the 5-minute record, byte 9 of the means).
enum : uint8_t {
    kChromManualCalibration = 0x01,
    kChromControllerOff = 0x02,
    kChromAbnormal = 0x08,
    kChromOutOfLimits = 0x10,
    kChromNoLink = 0x20,
    kChromNotUpdated = 0x40,
    kChromAutoCalibration = 0x80,
};
// Moisture-analyser status bits.
enum : uint8_t {
    kWmtControllerOff = 0x02,
    kWmtNoLink = 0x04,
};

// ---------------------------------------------------------------------------------------
// Data files: header, then header.recordCount records of the kind's size.

// Folder of the kind under the program folder (g_ProgDir), without a trailing '/'.
std::string DataFolder(DataKind kind);

// The name offered when a view saves its data: "<folder>/qvr_13-<addr>-<yymmdd><ext>".
std::string DefaultDataFileName(const std::string& folder, DataKind kind, uint8_t address, const std::tm& pcDate);

enum class DataFileStatus {
    Ok,          // header valid, every record of its count present
    Short,       // header valid, fewer whole records in the file than its count
    OpenFailed,  // the file cannot be opened or read
    BadHeader,   // shorter than a header, or the header is not of the kind
};

struct DataFileContent {
    ArchiveFileHeader header;       // recordCount is the number of records in `records`
    uint32_t declaredCount = 0;     // the count the file's header gave
    std::vector<uint8_t> records;   // recordCount * record size bytes, as stored
};

// Reads a data file of the kind. The block is sized by the records actually present,
// never by the header's count alone, so a damaged count cannot make it huge.
DataFileStatus LoadDataFile(const std::string& path, DataKind kind, DataFileContent& out);

// Writes header and records (count taken from the block) atomically. false with a reason
// in error when the file cannot be written.
bool SaveDataFile(const std::string& path, ArchiveFileHeader header, const std::vector<uint8_t>& records,
                  DataKind kind, std::string* error = nullptr);

// ---------------------------------------------------------------------------------------
// Temporary files of the readers, in the program folder.
constexpr const char* kArchiveTempFile = "datafile.hdm";
constexpr const char* kDiagTempFile = "datafile.ala";
constexpr const char* kAuditTempFile = "datafile.aud";
constexpr const char* kCalibrationTempFile = "datafile.clb";
std::string TempDataFilePath(const char* name);  // g_ProgDir + name

}  // namespace qvr
