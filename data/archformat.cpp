#include "data/archformat.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "common/bytes.h"
#include "common/crc16.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "link/hgcbox.h"
#include "link/tabledir.h"

namespace qvr {

static_assert(kArchiveFileHeaderSize == hdr::kReserved + 8);
static_assert(Chrom5MinRecord::kCrc + 2 == kChrom5MinRecordSize);
static_assert(Chrom5MinRecord::kGas + kGasAnalysisSize == Chrom5MinRecord::kCrc);
static_assert(ChromHourDayRecord::kCrc + 2 == kChromHourDayRecordSize);
static_assert(ChromHourDayRecord::kGas + kGasAnalysisSize == ChromHourDayRecord::kCrc);
static_assert(Moisture5MinRecord::kCrc + 2 == kMoisture5MinRecordSize);
static_assert(Moisture5MinRecord::kValues + 4 * kMoistureValueCount == Moisture5MinRecord::kCrc);
static_assert(MoistureHourDayRecord::kCrc + 2 == kMoistureHourDayRecordSize);
static_assert(MoistureHourDayRecord::kValues + 4 * kMoistureValueCount == MoistureHourDayRecord::kCrc);
static_assert(DiagRecord::kCrc + 2 == kDiagRecordSize);
static_assert(AuditRecord::kCrc + 2 == kAuditRecordSize);

namespace {

constexpr DataKindInfo kKinds[kDataKindCount] = {
    {".mch", "MOM", 0, false, kChrom5MinRecordSize, "MOMDATA", 5, 5,
     "мгновенные данные хроматографа из архива 5-минутных данных"},
    {".hch", "HOU", 0, false, kChromHourDayRecordSize, "HOURDATA", 7, 4,
     "часовые данные хроматографа из архива контроллера QVR_Torvane_370"},
    {".dch", "DAY", 0, false, kChromHourDayRecordSize, "DAYDATA", 9, 3,
     "суточные данные хроматографа из архива контроллера QVR_Torvane_370"},
    {".mwm", "MOM", 1, false, kMoisture5MinRecordSize, "MOMDATA", 6, 5,
     "мгновенные данные влагомера из архива 5-минутных данных"},
    {".hwm", "HOU", 1, false, kMoistureHourDayRecordSize, "HOURDATA", 8, 4,
     "часовые данные влагомера из архива контроллера QVR_Torvane_370"},
    {".dwm", "DAY", 1, false, kMoistureHourDayRecordSize, "DAYDATA", 10, 3,
     "суточные данные влагомера из архива контроллера QVR_Torvane_370"},
    {".ala", "ALA", 0, true, kDiagTextRowSize, "ALAFILES", 3, 6,
     "диагностические сообщения контроллера QVR_Torvane_370"},
    {".aud", "AUD", 0, true, kAuditTextRowSize, "AUDFILES", 4, 6,
     "сообщения о вмешательствах оператора контроллера QVR_Torvane_370"},
};

uint16_t StoredCrc(const uint8_t* p) { return GetU16(p); }

HourDayStamp LoadStamp(const uint8_t* p) {
    HourDayStamp s;
    std::memcpy(s.date, p, 3);
    std::memcpy(s.start, p + 3, 3);
    std::memcpy(s.end, p + 6, 3);
    return s;
}

void StoreStamp(const HourDayStamp& s, uint8_t* p) {
    std::memcpy(p, s.date, 3);
    std::memcpy(p + 3, s.start, 3);
    std::memcpy(p + 6, s.end, 3);
}

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

const DataKindInfo& KindInfo(DataKind kind) {
    const unsigned i = unsigned(kind);
    return kKinds[i < unsigned(kDataKindCount) ? i : 0];
}

// ---------------------------------------------------------------------------------------

std::array<uint8_t, kArchiveFileHeaderSize> ArchiveFileHeader::Bytes() const {
    std::array<uint8_t, kArchiveFileHeaderSize> b{};
    std::memcpy(&b[hdr::kSignature], signature, 3);
    b[hdr::kDevice] = device;
    std::memcpy(&b[hdr::kName], name, 20);
    b[hdr::kAddress] = address;
    StoreCtl(readTime, &b[hdr::kReadTime]);
    std::memcpy(&b[hdr::kPeriodStart], periodStart, 6);
    std::memcpy(&b[hdr::kPeriodEnd], periodEnd, 6);
    PutU32(&b[hdr::kCount], recordCount);
    b[hdr::kChromType] = chromType;
    b[hdr::kMoistureType] = moistureType;
    std::memcpy(&b[hdr::kReserved], reserved, 8);
    return b;
}

ArchiveFileHeader ArchiveFileHeader::FromBytes(const uint8_t* p) {
    ArchiveFileHeader h;
    std::memcpy(h.signature, p + hdr::kSignature, 3);
    h.device = p[hdr::kDevice];
    std::memcpy(h.name, p + hdr::kName, 20);
    h.address = p[hdr::kAddress];
    h.readTime = LoadCtlDateTime(p + hdr::kReadTime);
    std::memcpy(h.periodStart, p + hdr::kPeriodStart, 6);
    std::memcpy(h.periodEnd, p + hdr::kPeriodEnd, 6);
    h.recordCount = GetU32(p + hdr::kCount);
    h.chromType = p[hdr::kChromType];
    h.moistureType = p[hdr::kMoistureType];
    std::memcpy(h.reserved, p + hdr::kReserved, 8);
    return h;
}

ArchiveFileHeader MakeArchiveFileHeader(DataKind kind, const uint8_t name[20], uint8_t address,
                                        const CtlDateTime& readTime, const CtlDateTime& start,
                                        const CtlDateTime& end, uint32_t count, uint8_t chromType,
                                        uint8_t moistureType) {
    const DataKindInfo& k = KindInfo(kind);
    ArchiveFileHeader h;
    std::memcpy(h.signature, k.signature, 3);
    h.device = k.device;
    if (name) std::memcpy(h.name, name, 20);
    h.address = address;
    h.readTime = readTime;
    uint8_t s[6], e[6];
    StoreCtl(start, s);
    StoreCtl(end, e);
    std::memcpy(h.periodStart, s, size_t(k.periodWidth));
    std::memcpy(h.periodEnd, e, size_t(k.periodWidth));
    h.recordCount = count;
    h.chromType = chromType;
    h.moistureType = moistureType;
    return h;
}

ArchiveFileHeader BuildArchiveFileHeader(DataKind kind, const CtlDateTime& start, const CtlDateTime& end,
                                         uint32_t count) {
    CtlDateTime now;
    DateTimeToCtl(Now(), now);
    const uint8_t* chrom = FieldPtr(14, 6);
    const uint8_t* wmt = FieldPtr(15, 6);
    return MakeArchiveFileHeader(kind, FieldPtr(5, 0), g_Hgc ? g_Hgc->Address : 0, now, start, end, count,
                                 chrom ? *chrom : 0, wmt ? *wmt : 0);
}

bool HeaderMatchesKind(const ArchiveFileHeader& h, DataKind kind) {
    const DataKindInfo& k = KindInfo(kind);
    if (std::memcmp(h.signature, k.signature, 3) != 0) return false;
    if (!k.isLog && h.device != k.device) return false;
    return h.chromType == kDataFileChromType;
}

void ShowHeaderRejection(const std::string& fileNameOnly, DataKind kind) {
    g_QuesKind = kQuesError;
    ShowQues("Файл " + fileNameOnly + " не является файлом, содержащим", KindInfo(kind).rejectLine);
}

// ---------------------------------------------------------------------------------------

bool RecordCrcOk(const uint8_t* record, size_t size) {
    return size >= 2 && size <= 0xFFFF && Crc16(record, uint16_t(size)) == 0;
}

void SealRecord(uint8_t* record, size_t size) {
    if (size < 2 || size > 0xFFFF) return;
    PutU16(record + size - 2, Crc16(record, uint16_t(size - 2)));
}

GasAnalysis GasAnalysis::Load(const uint8_t* p) {
    GasAnalysis g;
    for (int i = 0; i < kGasParamCount; ++i) g.v[i] = GetF32(p + 4 * i);
    return g;
}

void GasAnalysis::Store(uint8_t* p) const {
    for (int i = 0; i < kGasParamCount; ++i) PutF32(p + 4 * i, v[i]);
}

Chrom5MinRecord Chrom5MinRecord::Load(const uint8_t* p) {
    Chrom5MinRecord r;
    r.time = LoadCtlDateTime(p + kTime);
    r.status = p[kStatus];
    r.alarm = GetU16(p + kAlarm);
    std::memcpy(r.reserved, p + kReserved, 2);
    r.gas = GasAnalysis::Load(p + kGas);
    r.crc = StoredCrc(p + kCrc);
    return r;
}

void Chrom5MinRecord::Store(uint8_t* p) const {
    StoreCtl(time, p + kTime);
    p[kStatus] = status;
    PutU16(p + kAlarm, alarm);
    std::memcpy(p + kReserved, reserved, 2);
    gas.Store(p + kGas);
    PutU16(p + kCrc, crc);
}

ChromHourDayRecord ChromHourDayRecord::Load(const uint8_t* p) {
    ChromHourDayRecord r;
    r.stamp = LoadStamp(p + kDate);
    r.status = p[kStatus];
    r.gas = GasAnalysis::Load(p + kGas);
    r.crc = StoredCrc(p + kCrc);
    return r;
}

void ChromHourDayRecord::Store(uint8_t* p) const {
    StoreStamp(stamp, p + kDate);
    p[kStatus] = status;
    gas.Store(p + kGas);
    PutU16(p + kCrc, crc);
}

Moisture5MinRecord Moisture5MinRecord::Load(const uint8_t* p) {
    Moisture5MinRecord r;
    r.time = LoadCtlDateTime(p + kTime);
    r.status = p[kStatus];
    std::memcpy(r.reserved, p + kReserved, 2);
    r.statusCode = GetU16(p + kCode);
    for (int i = 0; i < kMoistureValueCount; ++i) r.values[i] = GetF32(p + kValues + 4 * i);
    r.crc = StoredCrc(p + kCrc);
    return r;
}

void Moisture5MinRecord::Store(uint8_t* p) const {
    StoreCtl(time, p + kTime);
    p[kStatus] = status;
    std::memcpy(p + kReserved, reserved, 2);
    PutU16(p + kCode, statusCode);
    for (int i = 0; i < kMoistureValueCount; ++i) PutF32(p + kValues + 4 * i, values[i]);
    PutU16(p + kCrc, crc);
}

MoistureHourDayRecord MoistureHourDayRecord::Load(const uint8_t* p) {
    MoistureHourDayRecord r;
    r.stamp = LoadStamp(p + kDate);
    r.status = p[kStatus];
    for (int i = 0; i < kMoistureValueCount; ++i) r.values[i] = GetF32(p + kValues + 4 * i);
    r.crc = StoredCrc(p + kCrc);
    return r;
}

void MoistureHourDayRecord::Store(uint8_t* p) const {
    StoreStamp(stamp, p + kDate);
    p[kStatus] = status;
    for (int i = 0; i < kMoistureValueCount; ++i) PutF32(p + kValues + 4 * i, values[i]);
    PutU16(p + kCrc, crc);
}

float DiagRecord::Value() const {
    float f;
    std::memcpy(&f, &valueBits, 4);
    return f;
}

float DiagRecord::SetPoint() const {
    float f;
    std::memcpy(&f, &setPointBits, 4);
    return f;
}

DiagRecord DiagRecord::Load(const uint8_t* p) {
    DiagRecord r;
    r.time = LoadCtlDateTime(p + kTime);
    r.code = p[kCode];
    r.reserved1 = p[kReserved1];
    r.object = p[kObject];
    r.subObject = p[kSubObject];
    r.valueBits = GetU32(p + kValue);
    r.setPointBits = GetU32(p + kSetPoint);
    std::memcpy(r.reserved2, p + kReserved2, 2);
    r.crc = StoredCrc(p + kCrc);
    return r;
}

void DiagRecord::Store(uint8_t* p) const {
    StoreCtl(time, p + kTime);
    p[kCode] = code;
    p[kReserved1] = reserved1;
    p[kObject] = object;
    p[kSubObject] = subObject;
    PutU32(p + kValue, valueBits);
    PutU32(p + kSetPoint, setPointBits);
    std::memcpy(p + kReserved2, reserved2, 2);
    PutU16(p + kCrc, crc);
}

AuditRecord AuditRecord::Load(const uint8_t* p) {
    AuditRecord r;
    r.time = LoadCtlDateTime(p + kTime);
    r.reserved = p[kReserved];
    r.table = p[kTable];
    r.field = p[kField];
    r.unit = p[kUnit];
    r.oldValue = GetF32(p + kOld);
    r.newValue = GetF32(p + kNew);
    std::memcpy(r.operatorName, p + kOperator, 4);
    r.crc = StoredCrc(p + kCrc);
    return r;
}

void AuditRecord::Store(uint8_t* p) const {
    StoreCtl(time, p + kTime);
    p[kReserved] = reserved;
    p[kTable] = table;
    p[kField] = field;
    p[kUnit] = unit;
    PutF32(p + kOld, oldValue);
    PutF32(p + kNew, newValue);
    std::memcpy(p + kOperator, operatorName, 4);
    PutU16(p + kCrc, crc);
}

// ---------------------------------------------------------------------------------------

std::string DataFolder(DataKind kind) { return g_ProgDir + KindInfo(kind).folder; }

std::string DefaultDataFileName(const std::string& folder, DataKind kind, uint8_t address, const std::tm& pcDate) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "qvr_%02d-%03d-%02d%02d%02d", kDataFileVersion, int(address),
                  (pcDate.tm_year + 1900) % 100, pcDate.tm_mon + 1, pcDate.tm_mday);
    return folder + "/" + buf + KindInfo(kind).extension;
}

DataFileStatus LoadDataFile(const std::string& path, DataKind kind, DataFileContent& out) {
    out = DataFileContent{};
    FilePtr f(OpenRegularFile(path));
    if (!f) return DataFileStatus::OpenFailed;
    uint8_t head[kArchiveFileHeaderSize];
    const size_t got = std::fread(head, 1, sizeof head, f.get());
    if (got != sizeof head) return std::ferror(f.get()) ? DataFileStatus::OpenFailed : DataFileStatus::BadHeader;
    out.header = ArchiveFileHeader::FromBytes(head);
    if (!HeaderMatchesKind(out.header, kind)) return DataFileStatus::BadHeader;
    out.declaredCount = out.header.recordCount;

    // Size the block by what the file holds, at most the header's count.
    const size_t recSize = KindInfo(kind).recordSize;
    if (std::fseek(f.get(), 0, SEEK_END) != 0) return DataFileStatus::OpenFailed;
    const long total = std::ftell(f.get());
    if (total < 0 || std::fseek(f.get(), long(kArchiveFileHeaderSize), SEEK_SET) != 0)
        return DataFileStatus::OpenFailed;
    const uint64_t present = (uint64_t(total) - kArchiveFileHeaderSize) / recSize;
    const uint64_t n = present < out.declaredCount ? present : out.declaredCount;
    out.records.resize(size_t(n) * recSize);
    if (!out.records.empty() && std::fread(out.records.data(), 1, out.records.size(), f.get()) != out.records.size())
        return DataFileStatus::OpenFailed;
    out.header.recordCount = uint32_t(n);
    return n < out.declaredCount ? DataFileStatus::Short : DataFileStatus::Ok;
}

bool SaveDataFile(const std::string& path, ArchiveFileHeader header, const std::vector<uint8_t>& records,
                  DataKind kind, std::string* error) {
    const size_t recSize = KindInfo(kind).recordSize;
    header.recordCount = uint32_t(records.size() / recSize);
    std::vector<uint8_t> bytes(kArchiveFileHeaderSize + size_t(header.recordCount) * recSize);
    const auto h = header.Bytes();
    std::memcpy(bytes.data(), h.data(), h.size());
    if (header.recordCount) std::memcpy(bytes.data() + kArchiveFileHeaderSize, records.data(), bytes.size() - h.size());
    return WriteFileAtomic(path, bytes.data(), bytes.size(), error);
}

std::string TempDataFilePath(const char* name) { return g_ProgDir + name; }

}  // namespace qvr
