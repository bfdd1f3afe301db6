// The moisture-analyser archive views' texts: captions, value headings by analyser type,
// the eight cells of 5-minute records and hourly/daily means under every status, CRC
// failures, and the save set-up and file of a view.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "data/moistview.h"
#include "support/tempdir.h"

using namespace qvr;
using Bytes = std::vector<uint8_t>;

namespace {

ArchiveFileHeader Header(DataKind kind, uint32_t count, uint8_t moistureType = 0) {
    uint8_t name[20] = {};
    return MakeArchiveFileHeader(kind, name, 17, CtlDateTime(26, 12, 7, 14, 30, 45), CtlDateTime(26, 12, 1, 10, 5, 0),
                                 CtlDateTime(26, 12, 2, 11, 55, 0), count, 9, moistureType);
}

Bytes Moment(uint8_t status, uint16_t code, float v0, float v1, float v2, float v3) {
    Moisture5MinRecord r;
    r.time = CtlDateTime(26, 12, 7, 9, 5, 3);
    r.status = status;
    r.statusCode = code;
    r.values[0] = v0;
    r.values[1] = v1;
    r.values[2] = v2;
    r.values[3] = v3;
    Bytes b(Moisture5MinRecord::kSize);
    r.Store(b.data());
    SealRecord(b.data(), b.size());
    return b;
}

Bytes Mean(uint8_t status, uint8_t endHourByte, float v0 = 1.5f) {
    MoistureHourDayRecord r;
    r.stamp.date[0] = 26, r.stamp.date[1] = 12, r.stamp.date[2] = 6;
    r.stamp.start[0] = 10, r.stamp.start[1] = 0, r.stamp.start[2] = 0;
    r.stamp.end[0] = endHourByte, r.stamp.end[1] = 59, r.stamp.end[2] = 58;
    r.status = status;
    for (float& v : r.values) v = v0;
    Bytes b(MoistureHourDayRecord::kSize);
    r.Store(b.data());
    SealRecord(b.data(), b.size());
    return b;
}

std::vector<std::string> Row(MoistureViewKind k, const Bytes& r) {
    std::vector<std::string> cells;
    for (int c = 0; c < kMoistureGridColumns; ++c) cells.push_back(MoistureCell(k, r.data(), c));
    return cells;
}

}  // namespace

TEST(MoistView, Captions) {
    EXPECT_EQ(MoistureCaption(MoistureViewKind::Moment, Header(DataKind::Wmt5Min, 0)),
              "Мгновенные данные влагомера за период  с  01.12.26 10:05:00  по  02.12.26 11:55:00");
    EXPECT_EQ(MoistureCaption(MoistureViewKind::Hourly, Header(DataKind::WmtHour, 0)),
              "Часовые данные влагомера за период с 01.12.26  10ч  по  02.12.26  11ч");
    EXPECT_EQ(MoistureCaption(MoistureViewKind::Daily, Header(DataKind::WmtDay, 0)),
              "Суточные данные влагомера за период с 01.12.26  по  02.12.26");
}

TEST(MoistView, ThirdValueColumnHeadedByAnalyserType) {
    const char* type2[] = {"", "Р. газа", "", "МПа"};
    const char* other[] = {"Р изб.", "WDP", "", "bar"};
    for (int line = 0; line < 4; ++line) {
        EXPECT_EQ(MoistureValueHeading(2, 2, line), type2[line]);
        EXPECT_EQ(MoistureValueHeading(0, 2, line), other[line]);
        EXPECT_EQ(MoistureValueHeading(1, 2, line), other[line]);
        EXPECT_EQ(MoistureValueHeading(7, 2, line), other[line]);
    }
    // The other columns do not depend on the type.
    EXPECT_EQ(MoistureValueHeading(2, 1, 1), "HDP");
    EXPECT_EQ(MoistureValueHeading(0, 3, 0), "Прив. Т т.росы");
    EXPECT_EQ(MoistureValueHeading(2, 0, 3), "°С");
    EXPECT_EQ(MoistureValueHeading(0, 4, 0), "");
}

TEST(MoistView, MomentRowsByStatus) {
    const auto k = MoistureViewKind::Moment;
    auto normal = Row(k, Moment(0, 0, -12.5f, 3.25f, 0, 100));
    EXPECT_EQ(normal[0], "  07.12.26");
    EXPECT_EQ(normal[1], "  09:05:03");
    EXPECT_EQ(normal[2], "  Норма");
    EXPECT_EQ(normal[3], "  Норма");
    EXPECT_EQ(normal[4], "  -12.50");
    EXPECT_EQ(normal[5], "  3.25");
    EXPECT_EQ(normal[6], "  0");
    EXPECT_EQ(normal[7], "  100.0");

    // State word: byte 10 then byte 9.
    auto coded = Row(k, Moment(0, 0x12AB, 1, 1, 1, 1));
    EXPECT_EQ(coded[3], "  0x12AB");

    auto off = Row(k, Moment(0x06, 0x12AB, 1, 1, 1, 1));
    EXPECT_EQ(off[2], "  0x06");
    EXPECT_EQ(off[3], "");
    for (int c = 4; c < 8; ++c) EXPECT_EQ(off[c], "  Выкл.");

    auto noLink = Row(k, Moment(0x04, 0, 1, 1, 1, 1));
    EXPECT_EQ(noLink[3], " Нет связи");
    for (int c = 4; c < 8; ++c) EXPECT_EQ(noLink[c], "       0");

    // The chromatograph's no-link bit does not hide moisture values.
    auto chromBit = Row(k, Moment(0x20, 0, 2, 2, 2, 2));
    EXPECT_EQ(chromBit[2], "  0x20");
    EXPECT_EQ(chromBit[3], "  Норма");
    EXPECT_EQ(chromBit[4], "  2.00");
}

TEST(MoistView, MeanRowsAndEndTimes) {
    auto hourly = Row(MoistureViewKind::Hourly, Mean(0, 0x8A));
    EXPECT_EQ(hourly[0], "  06.12.26");
    EXPECT_EQ(hourly[1], "  10:00:00");
    EXPECT_EQ(hourly[2], "   138:59:58");  // hourly ends are shown as stored
    EXPECT_EQ(hourly[3], "  Норма");
    EXPECT_EQ(hourly[4], "  1.50");

    EXPECT_EQ(MoistureCell(MoistureViewKind::Daily, Mean(0, 0x8A).data(), 2), "   10:59:58");
    EXPECT_EQ(MoistureCell(MoistureViewKind::Daily, Mean(0, 0x0A).data(), 2), "   10:59:58*");

    auto off = Row(MoistureViewKind::Daily, Mean(0x02, 0x8A));
    EXPECT_EQ(off[3], "  0x02");
    for (int c = 4; c < 8; ++c) EXPECT_EQ(off[c], "  Выкл.");
    auto noLink = Row(MoistureViewKind::Hourly, Mean(0x04, 0x8A));
    for (int c = 4; c < 8; ++c) EXPECT_EQ(noLink[c], "       0");
}

TEST(MoistView, CrcFailureMarksOnlyItsRow) {
    Bytes bad = Moment(0, 0, 1, 2, 3, 4);
    bad[12] ^= 0x40;
    auto cells = Row(MoistureViewKind::Moment, bad);
    EXPECT_EQ(cells[0], "     Данные");
    EXPECT_EQ(cells[1], " недостов.");
    for (int c = 2; c < 8; ++c) EXPECT_EQ(cells[c], "");
    Bytes badMean = Mean(0, 0x8A);
    badMean[0] ^= 1;
    EXPECT_EQ(MoistureCell(MoistureViewKind::Hourly, badMean.data(), 0), "     Данные");
    EXPECT_EQ(MoistureCell(MoistureViewKind::Hourly, badMean.data(), 4), "");
    EXPECT_EQ(MoistureCell(MoistureViewKind::Hourly, Mean(0, 0x8A).data(), 8), "");
}

TEST(MoistView, RowCountIsCutToTheRecordsGiven) {
    EXPECT_EQ(MoistureRowCount(MoistureViewKind::Moment, Header(DataKind::Wmt5Min, 3), 29 * 3), 3);
    EXPECT_EQ(MoistureRowCount(MoistureViewKind::Moment, Header(DataKind::Wmt5Min, 5), 29 * 3 + 10), 3);
    EXPECT_EQ(MoistureRowCount(MoistureViewKind::Hourly, Header(DataKind::WmtHour, 2), 28 * 4), 2);
    EXPECT_EQ(MoistureRowCount(MoistureViewKind::Daily, Header(DataKind::WmtDay, 0), 0), 0);
}

TEST(MoistView, SaveSetUpAndFile) {
    TempDir dir;
    const std::string saved = g_ProgDir;
    g_ProgDir = dir.dir();
    std::tm today{};
    today.tm_year = 126, today.tm_mon = 11, today.tm_mday = 7;

    auto m = MoistureSaveRequest(MoistureViewKind::Moment, 17, today);
    EXPECT_EQ(m.folder, dir.dir() + "MOMDATA");
    EXPECT_EQ(m.proposal, dir.dir() + "MOMDATA/qvr_13-017-261207.mwm");
    EXPECT_EQ(m.filters, (std::vector<std::string>{"Data Files (*.mwm)", "DataFiles(*.*)"}));
    EXPECT_EQ(m.filterIndex, 1);
    auto h = MoistureSaveRequest(MoistureViewKind::Hourly, 5, today);
    EXPECT_EQ(h.proposal, dir.dir() + "HOURDATA/qvr_13-005-261207.hwm");
    EXPECT_EQ(h.filters.size(), 3u);
    EXPECT_EQ(h.filterIndex, 1);
    auto d = MoistureSaveRequest(MoistureViewKind::Daily, 5, today);
    EXPECT_EQ(d.proposal, dir.dir() + "DAYDATA/qvr_13-005-261207.dwm");
    EXPECT_EQ(d.filters[1], "DataFiles(*.dwm)");
    EXPECT_EQ(d.filterIndex, 2);

    // An empty set saves the header alone; a name without extension gets ".mwm".
    ClearQuesRecord();
    const std::string chosen = dir.dir() + "MOMDATA/empty";
    ASSERT_TRUE(SaveViewData(DataKind::Wmt5Min, m, Header(DataKind::Wmt5Min, 0), {},
                             [&](const DataSaveRequest&) { return chosen; }));
    std::vector<uint8_t> file;
    ASSERT_TRUE(ReadWholeFile(chosen + ".mwm", file));
    EXPECT_EQ(file.size(), kArchiveFileHeaderSize);
    auto shown = ShownQues();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text1, "Данные сохранены в файле empty.mwm.");

    // Two records: header with count 2, then the raw bytes as given.
    Bytes raw = Moment(0, 0, 1, 2, 3, 4);
    Bytes second = Moment(0x04, 0, 0, 0, 0, 0);
    raw.insert(raw.end(), second.begin(), second.end());
    ASSERT_TRUE(SaveViewData(DataKind::Wmt5Min, m, Header(DataKind::Wmt5Min, 2), raw,
                             [&](const DataSaveRequest&) { return dir.dir() + "MOMDATA/two.mwm"; }));
    ASSERT_TRUE(ReadWholeFile(dir.dir() + "MOMDATA/two.mwm", file));
    ASSERT_EQ(file.size(), kArchiveFileHeaderSize + raw.size());
    EXPECT_EQ(GetU32(file.data() + hdr::kCount), 2u);
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), file.begin() + kArchiveFileHeaderSize));
    g_ProgDir = saved;
}
