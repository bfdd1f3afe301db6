// Data-file header and raw record layouts byte by byte, the header check of the
// view-from-file commands, record CRCs, and data files on disk: round trip, short,
// damaged and foreign files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/crc16.h"
#include "common/globals.h"
#include "common/question.h"
#include "data/archformat.h"
#include "link/tabledir.h"
#include "support/inchild.h"
#include "support/tempdir.h"

using namespace qvr;
using Bytes = std::vector<uint8_t>;

namespace {

ArchiveFileHeader SampleHeader(DataKind kind, uint32_t count = 0) {
    uint8_t name[20];
    for (int i = 0; i < 20; ++i) name[i] = uint8_t('A' + i);
    return MakeArchiveFileHeader(kind, name, 17, CtlDateTime(26, 12, 7, 14, 30, 45), CtlDateTime(26, 12, 1, 10, 5, 33),
                                 CtlDateTime(26, 12, 2, 11, 55, 44), count, 9, 2);
}

Bytes SealedRecord(size_t size, uint8_t seed) {
    Bytes r(size);
    for (size_t i = 0; i + 2 < size; ++i) r[i] = uint8_t(seed + i);
    SealRecord(r.data(), r.size());
    return r;
}

void WriteRaw(const std::string& path, const Bytes& b) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

}  // namespace

TEST(ArchFormat, HeaderBytesAtTheirOffsets) {
    const auto b = SampleHeader(DataKind::Chrom5Min, 0x01020304).Bytes();
    ASSERT_EQ(b.size(), 57u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 3), "MOM");
    EXPECT_EQ(b[3], 0);
    EXPECT_EQ(b[4], 'A');
    EXPECT_EQ(b[23], 'A' + 19);
    EXPECT_EQ(b[24], 17);
    EXPECT_EQ(Bytes(b.begin() + 25, b.begin() + 31), (Bytes{26, 12, 7, 14, 30, 45}));
    // 5-minute period: five bytes, the sixth zero.
    EXPECT_EQ(Bytes(b.begin() + 31, b.begin() + 37), (Bytes{26, 12, 1, 10, 5, 0}));
    EXPECT_EQ(Bytes(b.begin() + 37, b.begin() + 43), (Bytes{26, 12, 2, 11, 55, 0}));
    EXPECT_EQ(Bytes(b.begin() + 43, b.begin() + 47), (Bytes{4, 3, 2, 1}));
    EXPECT_EQ(b[47], 9);
    EXPECT_EQ(b[48], 2);
    for (int i = 49; i < 57; ++i) EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(ArchiveFileHeader::FromBytes(b.data()), SampleHeader(DataKind::Chrom5Min, 0x01020304));
}

TEST(ArchFormat, PeriodWidthAndSignatureByKind) {
    struct Case {
        DataKind kind;
        const char* sig;
        uint8_t device;
        Bytes start;
    } cases[] = {
        {DataKind::ChromHour, "HOU", 0, {26, 12, 1, 10, 0, 0}},
        {DataKind::WmtDay, "DAY", 1, {26, 12, 1, 0, 0, 0}},
        {DataKind::Wmt5Min, "MOM", 1, {26, 12, 1, 10, 5, 0}},
        {DataKind::DiagLog, "ALA", 0, {26, 12, 1, 10, 5, 33}},
        {DataKind::AuditLog, "AUD", 0, {26, 12, 1, 10, 5, 33}},
    };
    for (const Case& c : cases) {
        const auto b = SampleHeader(c.kind).Bytes();
        EXPECT_EQ(std::string(b.begin(), b.begin() + 3), c.sig);
        EXPECT_EQ(b[3], c.device);
        EXPECT_EQ(Bytes(b.begin() + 31, b.begin() + 37), c.start) << c.sig;
    }
}

TEST(ArchFormat, HeaderCheckOfTheOpenCommands) {
    // Type byte other than 9 refused even with signature and device right, for both devices.
    for (DataKind k : {DataKind::ChromHour, DataKind::WmtHour, DataKind::Wmt5Min}) {
        ArchiveFileHeader h = SampleHeader(k);
        EXPECT_TRUE(HeaderMatchesKind(h, k));
        h.chromType = 8;
        EXPECT_FALSE(HeaderMatchesKind(h, k));
    }
    // A moisture hourly file is not a chromatograph hourly file and the other way round.
    EXPECT_FALSE(HeaderMatchesKind(SampleHeader(DataKind::WmtHour), DataKind::ChromHour));
    EXPECT_FALSE(HeaderMatchesKind(SampleHeader(DataKind::ChromHour), DataKind::WmtHour));
    EXPECT_FALSE(HeaderMatchesKind(SampleHeader(DataKind::ChromDay), DataKind::ChromHour));
    // Logs are not tested on byte 3.
    ArchiveFileHeader log = SampleHeader(DataKind::DiagLog);
    log.device = 0x5A;
    EXPECT_TRUE(HeaderMatchesKind(log, DataKind::DiagLog));
    EXPECT_FALSE(HeaderMatchesKind(log, DataKind::AuditLog));

    ClearQuesRecord();
    ShowHeaderRejection("x.hwm", DataKind::WmtHour);
    auto shown = ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, kQuesError);
    EXPECT_EQ(shown[0].text1, "Файл x.hwm не является файлом, содержащим");
    EXPECT_EQ(shown[0].text2, "часовые данные влагомера из архива контроллера QVR_Torvane_370");
    ClearQuesRecord();
}

TEST(ArchFormat, RecordCrc) {
    for (size_t size : {kChrom5MinRecordSize, kChromHourDayRecordSize, kMoisture5MinRecordSize,
                        kMoistureHourDayRecordSize, kDiagRecordSize, kAuditRecordSize}) {
        Bytes zero(size, 0);
        EXPECT_FALSE(RecordCrcOk(zero.data(), size)) << size;
        Bytes r = SealedRecord(size, uint8_t(size));
        EXPECT_TRUE(RecordCrcOk(r.data(), size)) << size;
        // Stored low byte first.
        const uint16_t crc = Crc16(r.data(), uint16_t(size - 2));
        EXPECT_EQ(r[size - 2], crc & 0xFF);
        EXPECT_EQ(r[size - 1], crc >> 8);
        r[size / 2] ^= 0x10;
        EXPECT_FALSE(RecordCrcOk(r.data(), size)) << size;
    }
}

TEST(ArchFormat, ChromatographRecordLayouts) {
    Chrom5MinRecord m;
    m.time = CtlDateTime(26, 12, 7, 10, 3, 30);
    m.status = kChromNoLink | kChromAutoCalibration;
    m.alarm = 0xA1B2;
    m.reserved[0] = 0x77;
    for (int i = 0; i < kGasParamCount; ++i) m.gas.v[i] = float(i) + 0.5f;
    Bytes b(kChrom5MinRecordSize);
    m.Store(b.data());
    SealRecord(b.data(), b.size());
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 6), (Bytes{26, 12, 7, 10, 3, 30}));
    EXPECT_EQ(b[6], 0xA0);
    EXPECT_EQ(b[7], 0xB2);
    EXPECT_EQ(b[8], 0xA1);
    EXPECT_EQ(b[9], 0x77);
    EXPECT_FLOAT_EQ(GetF32(&b[11]), 0.5f);
    EXPECT_FLOAT_EQ(GetF32(&b[11 + 4 * 19]), 19.5f);
    EXPECT_TRUE(RecordCrcOk(b.data(), b.size()));
    const Chrom5MinRecord back = Chrom5MinRecord::Load(b.data());
    EXPECT_EQ(back.time, m.time);
    EXPECT_EQ(back.alarm, 0xA1B2);
    EXPECT_EQ(back.crc, GetU16(&b[91]));

    Bytes h(kChromHourDayRecordSize, 0);
    const uint8_t stamp[10] = {26, 12, 6, 10, 0, 0, 0x8A, 0, 0, kChromOutOfLimits};
    std::memcpy(h.data(), stamp, 10);
    PutF32(&h[10 + 4 * 8], 95.25f);
    const ChromHourDayRecord hd = ChromHourDayRecord::Load(h.data());
    EXPECT_EQ(hd.stamp.EndHour(), 10);
    EXPECT_TRUE(hd.stamp.EndFlag());
    EXPECT_EQ(hd.stamp.DateHour(), CtlHourTime(26, 12, 6, 10));
    EXPECT_EQ(hd.status, kChromOutOfLimits);
    EXPECT_FLOAT_EQ(hd.gas.v[8], 95.25f);
    Bytes again(kChromHourDayRecordSize, 0);
    hd.Store(again.data());
    EXPECT_EQ(again, h);
}

TEST(ArchFormat, MoistureAndLogRecordLayouts) {
    Bytes m(kMoisture5MinRecordSize, 0);
    m[6] = kWmtNoLink;
    m[9] = 0x34;
    m[10] = 0x12;
    PutF32(&m[11], -21.5f);
    PutF32(&m[23], 3.25f);
    const Moisture5MinRecord mr = Moisture5MinRecord::Load(m.data());
    EXPECT_EQ(mr.statusCode, 0x1234);
    EXPECT_FLOAT_EQ(mr.values[0], -21.5f);
    EXPECT_FLOAT_EQ(mr.values[3], 3.25f);

    Bytes md(kMoistureHourDayRecordSize, 0);
    md[6] = 0x05;  // end hour 5, flag clear
    PutF32(&md[10], 1.5f);
    const MoistureHourDayRecord mdr = MoistureHourDayRecord::Load(md.data());
    EXPECT_FALSE(mdr.stamp.EndFlag());
    EXPECT_FLOAT_EQ(mdr.values[0], 1.5f);

    DiagRecord d;
    d.code = 59;
    d.object = 3;
    d.subObject = 8;
    d.valueBits = 123456;
    d.setPointBits = 7;
    Bytes db(kDiagRecordSize, 0);
    d.Store(db.data());
    EXPECT_EQ(db[6], 59);
    EXPECT_EQ(db[8], 3);
    EXPECT_EQ(db[9], 8);
    EXPECT_EQ(GetU32(&db[10]), 123456u);
    EXPECT_EQ(GetU32(&db[14]), 7u);

    AuditRecord a;
    a.table = 22;
    a.field = 4;
    a.unit = 2;
    a.oldValue = 1.0f;
    a.newValue = 2.0f;
    std::memcpy(a.operatorName, "OPER", 4);
    Bytes ab(kAuditRecordSize, 0);
    a.Store(ab.data());
    EXPECT_EQ(ab[7], 22);
    EXPECT_EQ(ab[8], 4);
    EXPECT_EQ(ab[9], 2);
    EXPECT_FLOAT_EQ(GetF32(&ab[10]), 1.0f);
    EXPECT_FLOAT_EQ(GetF32(&ab[14]), 2.0f);
    EXPECT_EQ(std::string(ab.begin() + 18, ab.begin() + 22), "OPER");
}

TEST(ArchFormat, KindTable) {
    EXPECT_STREQ(KindInfo(DataKind::Chrom5Min).folder, "MOMDATA");
    EXPECT_STREQ(KindInfo(DataKind::WmtHour).folder, "HOURDATA");
    EXPECT_STREQ(KindInfo(DataKind::ChromDay).folder, "DAYDATA");
    EXPECT_STREQ(KindInfo(DataKind::AuditLog).folder, "AUDFILES");
    const int filters[] = {5, 7, 9, 6, 8, 10, 3, 4};
    const size_t sizes[] = {93, 92, 92, 29, 28, 28, 300, 205};
    for (int k = 0; k < kDataKindCount; ++k) {
        EXPECT_EQ(KindInfo(DataKind(k)).filterIndex, filters[k]) << k;
        EXPECT_EQ(KindInfo(DataKind(k)).recordSize, sizes[k]) << k;
    }
    std::tm date{};
    date.tm_year = 2026 - 1900;
    date.tm_mon = 11;
    date.tm_mday = 7;
    EXPECT_EQ(DefaultDataFileName("/p/MOMDATA", DataKind::Chrom5Min, 5, date), "/p/MOMDATA/qvr_13-005-261207.mch");
    EXPECT_EQ(DefaultDataFileName("/p/DAYDATA", DataKind::WmtDay, 200, date), "/p/DAYDATA/qvr_13-200-261207.dwm");
}

TEST(ArchFormat, DataFileRoundTripAndDamage) {
    TempDir dir;
    const std::string path = dir.dir() + "a.hch";
    Bytes recs;
    for (int i = 0; i < 3; ++i) {
        Bytes r = SealedRecord(kChromHourDayRecordSize, uint8_t(i));
        recs.insert(recs.end(), r.begin(), r.end());
    }
    // The count written is that of the block, whatever the header said.
    ASSERT_TRUE(SaveDataFile(path, SampleHeader(DataKind::ChromHour, 99), recs, DataKind::ChromHour));
    DataFileContent c;
    ASSERT_EQ(LoadDataFile(path, DataKind::ChromHour, c), DataFileStatus::Ok);
    EXPECT_EQ(c.header.recordCount, 3u);
    EXPECT_EQ(c.records, recs);
    EXPECT_EQ(LoadDataFile(path, DataKind::WmtHour, c), DataFileStatus::BadHeader);

    // Header says 5, the file holds 3 whole records and a piece of a fourth.
    Bytes raw;
    auto h = SampleHeader(DataKind::ChromHour, 5).Bytes();
    raw.assign(h.begin(), h.end());
    raw.insert(raw.end(), recs.begin(), recs.end());
    raw.insert(raw.end(), 40, 0xEE);
    WriteRaw(path, raw);
    ASSERT_EQ(LoadDataFile(path, DataKind::ChromHour, c), DataFileStatus::Short);
    EXPECT_EQ(c.declaredCount, 5u);
    EXPECT_EQ(c.header.recordCount, 3u);
    EXPECT_EQ(c.records, recs);

    // A damaged count cannot make the block huge.
    PutU32(&raw[43], 0xFFFFFFFFu);
    WriteRaw(path, raw);
    ASSERT_EQ(LoadDataFile(path, DataKind::ChromHour, c), DataFileStatus::Short);
    EXPECT_EQ(c.records.size(), recs.size());

    // More records than the count: only the count is taken.
    PutU32(&raw[43], 2);
    WriteRaw(path, raw);
    ASSERT_EQ(LoadDataFile(path, DataKind::ChromHour, c), DataFileStatus::Ok);
    EXPECT_EQ(c.records, Bytes(recs.begin(), recs.begin() + 2 * 92));

    // Shorter than a header, missing, and not a file (a FIFO, refused at once).
    WriteRaw(path, Bytes(raw.begin(), raw.begin() + 56));
    EXPECT_EQ(LoadDataFile(path, DataKind::ChromHour, c), DataFileStatus::BadHeader);
    EXPECT_EQ(LoadDataFile(dir.dir() + "none.hch", DataKind::ChromHour, c), DataFileStatus::OpenFailed);
    const std::string fifo = dir.dir() + "fifo.hch";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(InChild(10,
                      [&] {
                          return LoadDataFile(fifo, DataKind::ChromHour, c) == DataFileStatus::OpenFailed ? 0 : 1;
                      }),
              0);
}

TEST(ArchFormat, HeaderFromTheProgramState) {
    std::vector<uint8_t> saved(g_TableMemory, g_TableMemory + kTableMemorySize);
    uint8_t* name = FieldPtr(5, 0);
    std::memcpy(name, "Controller name 2026", 20);
    *FieldPtr(14, 6) = 9;
    *FieldPtr(15, 6) = 1;
    const ArchiveFileHeader h =
        BuildArchiveFileHeader(DataKind::WmtDay, CtlDateTime(26, 11, 1, 7, 7, 7), CtlDateTime(26, 11, 30, 7, 7, 7), 30);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(h.name), 20), "Controller name 2026");
    EXPECT_EQ(h.chromType, 9);
    EXPECT_EQ(h.moistureType, 1);
    EXPECT_EQ(h.recordCount, 30u);
    EXPECT_EQ(Bytes(h.periodEnd, h.periodEnd + 6), (Bytes{26, 11, 30, 0, 0, 0}));
    CtlDateTime now;
    DateTimeToCtl(Now(), now);
    EXPECT_EQ(h.readTime.year, now.year);
    EXPECT_TRUE(HeaderMatchesKind(h, DataKind::WmtDay));
    std::memcpy(g_TableMemory, saved.data(), saved.size());
}
