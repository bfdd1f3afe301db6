// What the chromatograph archive views show, row by row: date, time and status texts,
// values blanked by the status byte, CRC marks, the means, captions and headings, the
// value format, and the saving of a set in a data file.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "app/rd_wr_ini.h"
#include "common/bytes.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "data/chromview.h"
#include "reports/chromorder.h"
#include "support/tempdir.h"

using namespace qvr;
using Bytes = std::vector<uint8_t>;

namespace {

// Display column of a gas parameter in the active order (-1 when it has none).
int ValueColumnOf(int p) {
    for (int c = 0; c < kGasParamCount; ++c)
        if (ActiveChromParamOrder[c] == p) return c + 1;
    return -1;
}

std::array<float, 20> Analysis(float base) {
    std::array<float, 20> v{};
    for (int i = 0; i < 20; ++i) v[i] = base + float(i);
    v[8] = 90.0f + base;  // methane
    return v;
}

Bytes Moment(CtlDateTime t, uint8_t status, uint8_t wordLow, uint8_t wordHigh, const std::array<float, 20>& v) {
    Bytes r(kChrom5MinRecordSize);
    StoreCtl(t, r.data());
    r[6] = status;
    r[7] = wordLow;
    r[8] = wordHigh;
    for (int i = 0; i < 20; ++i) PutF32(r.data() + 11 + 4 * i, v[i]);
    SealRecord(r.data(), r.size());
    return r;
}

Bytes HourDay(const uint8_t stamp[9], uint8_t status, const std::array<float, 20>& v) {
    Bytes r(kChromHourDayRecordSize);
    std::memcpy(r.data(), stamp, 9);
    r[9] = status;
    for (int i = 0; i < 20; ++i) PutF32(r.data() + 10 + 4 * i, v[i]);
    SealRecord(r.data(), r.size());
    return r;
}

ArchiveFileHeader Header(DataKind kind, uint32_t count) {
    uint8_t name[20];
    std::memset(name, ' ', sizeof name);
    std::memcpy(name, "KVR-1", 5);
    return MakeArchiveFileHeader(kind, name, 12, CtlDateTime(26, 12, 7, 9, 1, 2), CtlDateTime(26, 12, 6, 8, 5, 0),
                                 CtlDateTime(26, 12, 7, 23, 55, 0), count, 9, 0);
}

void Append(Bytes& all, const Bytes& r) { all.insert(all.end(), r.begin(), r.end()); }

class ChromView : public ::testing::Test {
protected:
    void SetUp() override {
        saved = ReportSettings;
        savedOrder = ActiveChromParamOrder;
        ReportSettings = ReportSettingsRecord{};
        std::fill(std::begin(ReportSettings.fr), std::end(ReportSettings.fr), uint8_t(4));
        ActiveChromParamOrder = ChromParamDisplayOrderNoOxygen;
        savedDir = g_ProgDir;
        g_ProgDir = dir.dir();
        ClearQuesRecord();
    }
    void TearDown() override {
        ReportSettings = saved;
        ActiveChromParamOrder = savedOrder;
        g_ProgDir = savedDir;
        ClearQuesRecord();
    }
    ReportSettingsRecord saved;
    const uint8_t* savedOrder;
    TempDir dir;
    std::string savedDir;
};

}  // namespace

TEST_F(ChromView, MomentRowsByStatus) {
    Bytes all;
    const CtlDateTime t(26, 12, 7, 9, 35, 4);
    Append(all, Moment(t, 0x00, 0, 0, Analysis(1)));        // 0 normal
    Append(all, Moment(t, 0x22, 0x34, 0x12, Analysis(2)));  // 1 controller off and no link
    Append(all, Moment(t, 0x20, 0x34, 0x12, Analysis(3)));  // 2 no link
    Append(all, Moment(t, 0x81, 0x02, 0x01, Analysis(4)));  // 3 automatic and manual calibration
    Append(all, Moment(t, 0x08, 0x02, 0x01, Analysis(5)));  // 4 abnormal: values shown
    const ChromArchiveSet s(ChromViewKind::Moment, Header(DataKind::Chrom5Min, 5), all.data(), all.size());
    ASSERT_EQ(s.RowCount(), 5);

    EXPECT_EQ(s.LeftCell(0, 1), "  07.12.26");
    EXPECT_EQ(s.LeftCell(0, 2), "  09:35:04");
    EXPECT_EQ(s.LeftCell(0, 3), "Норма");
    EXPECT_EQ(s.LeftCell(0, 4), " Норма");
    EXPECT_EQ(s.LeftCell(0, 0), "");  // spacer
    const int methane = ValueColumnOf(8);
    EXPECT_EQ(s.ValueCell(0, methane), " 91.0000");
    EXPECT_EQ(s.ValueCell(0, ValueColumnOf(0)), "  1.0000");

    EXPECT_EQ(s.LeftCell(1, 3), "  0x22");
    EXPECT_EQ(s.LeftCell(1, 4), "");
    EXPECT_EQ(s.LeftCell(2, 4), " Нет связи");
    EXPECT_EQ(s.LeftCell(3, 3), "  0x81");
    EXPECT_EQ(s.LeftCell(3, 4), " 0x0102");  // high byte first
    for (int c = 1; c < kChromValueColumns; ++c) {
        if (ActiveChromParamOrder[c - 1] == 255) continue;
        EXPECT_EQ(s.ValueCell(1, c), " Выкл.") << c;
        EXPECT_EQ(s.ValueCell(2, c), "       0") << c;
        EXPECT_EQ(s.ValueCell(3, c), " Калибр.") << c;
        EXPECT_NE(s.ValueCell(4, c).find('.'), std::string::npos) << c;
    }
    // The oxygen column has no values while the active order leaves it out.
    const int oxygenColumn = 12;
    ASSERT_EQ(ChromParamDisplayOrder[oxygenColumn - 1], 17);
    for (int r = 0; r < 5; ++r) EXPECT_EQ(s.ValueCell(r, oxygenColumn), "");
    EXPECT_TRUE(s.Counted(0));
    EXPECT_FALSE(s.Counted(1));
    EXPECT_FALSE(s.Counted(2));
    EXPECT_FALSE(s.Counted(3));
    EXPECT_TRUE(s.Counted(4));
    // Means over rows 0 and 4 only.
    EXPECT_FLOAT_EQ(s.Means()[8], 93.0f);
    EXPECT_FLOAT_EQ(s.Means()[0], 3.0f);
    EXPECT_FLOAT_EQ(s.Means()[17], 0.0f);  // no column, no mean
}

TEST_F(ChromView, BadCrcAndInvalidValuesAreLeftOutOfTheMeans) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Bytes all;
    const CtlDateTime t(26, 12, 7, 9, 35, 0);
    std::array<float, 20> first = Analysis(1);
    first[5] = nan;  // i-pentane invalid in every good record
    Append(all, Moment(t, 0, 0, 0, first));
    Bytes bad = Moment(t, 0, 0, 0, Analysis(100));
    bad[20] ^= 0x01;
    Append(all, bad);
    Append(all, Bytes(kChrom5MinRecordSize, 0));  // a zero-filled record fails too
    std::array<float, 20> third = Analysis(3);
    third[12] = nan;  // density
    third[0] = nan;   // C6+: the conversion shows it as 0
    third[5] = nan;
    Append(all, Moment(t, 0, 0, 0, third));
    const Bytes copy = all;
    const ChromArchiveSet s(ChromViewKind::Moment, Header(DataKind::Chrom5Min, 4), all.data(), all.size());
    for (int r : {1, 2}) {
        EXPECT_FALSE(s.CrcOk(r));
        EXPECT_EQ(s.LeftCell(r, 1), "     Данные");
        EXPECT_EQ(s.LeftCell(r, 2), "недостов.");
        EXPECT_EQ(s.LeftCell(r, 3), "");
        EXPECT_EQ(s.LeftCell(r, 4), "");
        for (int c = 0; c < kChromValueColumns; ++c) EXPECT_EQ(s.ValueCell(r, c), "");
    }
    EXPECT_EQ(s.ValueCell(3, ValueColumnOf(12)), "     NAN");
    EXPECT_EQ(s.ValueCell(3, ValueColumnOf(0)), "  0.0000");
    // Rows 0 and 3 count; each parameter averages only its measured values.
    EXPECT_FLOAT_EQ(s.Means()[8], 92.0f);
    EXPECT_FLOAT_EQ(s.Means()[1], 3.0f);
    EXPECT_FLOAT_EQ(s.Means()[12], 13.0f);  // row 0 alone
    EXPECT_FLOAT_EQ(s.Means()[0], 1.0f);    // row 0 alone
    EXPECT_EQ(s.Means()[5], 0.0f);          // no measured value at all
    EXPECT_EQ(s.RawRecords(), copy);  // the raw records stay as given

    // Methane corrected by difference is computed from the other components even when
    // its own reading is invalid: that value counts.
    ReportSettings.metan_corr = 1;
    std::array<float, 20> v = Analysis(0);
    for (int i = 0; i < 11; ++i) v[i] = 1.0f;
    v[8] = nan;
    const uint8_t st[9] = {26, 12, 7, 1, 0, 0, 2, 0, 0};
    const Bytes h = HourDay(st, 0, v);
    const ChromArchiveSet hs(ChromViewKind::Hourly, Header(DataKind::ChromHour, 1), h.data(), h.size());
    EXPECT_FLOAT_EQ(hs.Means()[8], 90.0f);
}

TEST_F(ChromView, EmptySetAndRowsCutToTheRecordsGiven) {
    const ChromArchiveSet empty(ChromViewKind::Hourly, Header(DataKind::ChromHour, 0), nullptr, 0);
    EXPECT_EQ(empty.RowCount(), 0);
    for (int p = 0; p < 20; ++p) EXPECT_EQ(empty.Means()[p], 0.0f);
    EXPECT_EQ(empty.LeftCell(0, 1), "");

    // A header that claims more records than were handed over shows only those present.
    Bytes all;
    const uint8_t st[9] = {26, 12, 7, 1, 0, 0, 2, 0, 0};
    Append(all, HourDay(st, 0, Analysis(1)));
    Append(all, HourDay(st, 0, Analysis(1)));
    all.resize(all.size() + 50);  // and a partial third
    const ChromArchiveSet s(ChromViewKind::Hourly, Header(DataKind::ChromHour, 1000), all.data(), all.size());
    EXPECT_EQ(s.RowCount(), 2);
    EXPECT_EQ(s.RawRecords().size(), 2 * kChromHourDayRecordSize);
}

TEST_F(ChromView, HourDayMarksAndBlanks) {
    Bytes all;
    const uint8_t hour[9] = {26, 12, 7, 10, 0, 0, 11, 0, 0};
    Append(all, HourDay(hour, 0x00, Analysis(1)));  // 0 normal: blank mark
    Append(all, HourDay(hour, 0x08, Analysis(3)));  // 1 substitute value: quote mark
    Append(all, HourDay(hour, 0x02, Analysis(5)));  // 2 controller off
    std::array<float, 20> low = Analysis(7);
    low[8] = 0.0009f;
    Append(all, HourDay(hour, 0x00, low));  // 3 methane below 0.001
    std::array<float, 20> nan = Analysis(7);
    nan[8] = std::numeric_limits<float>::quiet_NaN();
    Append(all, HourDay(hour, 0x00, nan));  // 4 methane invalid
    Append(all, HourDay(hour, 0x80, Analysis(1)));  // 5 calibration: counted, quote mark
    const ChromArchiveSet s(ChromViewKind::Hourly, Header(DataKind::ChromHour, 6), all.data(), all.size());

    EXPECT_EQ(s.LeftCell(0, 1), "   07.12.26");
    EXPECT_EQ(s.LeftCell(0, 2), "   10:00:00");
    EXPECT_EQ(s.LeftCell(0, 3), "   11:00:00");
    EXPECT_EQ(s.LeftCell(0, 4), "    Норма");
    EXPECT_EQ(s.LeftCell(1, 4), "     0x08");
    const int m = ValueColumnOf(8);
    EXPECT_EQ(s.ValueCell(0, m), " 91.0000 ");
    EXPECT_EQ(s.ValueCell(1, m), " 93.0000\"");
    EXPECT_EQ(s.ValueCell(5, m), " 91.0000\"");
    for (int r : {2, 3, 4})
        for (int c = 1; c < kChromValueColumns; ++c)
            if (ActiveChromParamOrder[c - 1] != 255) {
                EXPECT_EQ(s.ValueCell(r, c), " ---") << r << " " << c;
            }
    EXPECT_FLOAT_EQ(s.Means()[8], (91.0f + 93.0f + 91.0f) / 3);

    // Hourly end stored as is; daily end by the flag in bit 7 of the hour.
    uint8_t day[9] = {26, 12, 7, 10, 0, 0, 0x98, 0, 0};
    Bytes d;
    Append(d, HourDay(day, 0, Analysis(1)));
    day[6] = 0x18;
    Append(d, HourDay(day, 0, Analysis(1)));
    const ChromArchiveSet daily(ChromViewKind::Daily, Header(DataKind::ChromDay, 2), d.data(), d.size());
    EXPECT_EQ(daily.LeftCell(0, 3), "   24:00:00");
    EXPECT_EQ(daily.LeftCell(1, 3), "   24:00:00*");
    const ChromArchiveSet hourly(ChromViewKind::Hourly, Header(DataKind::ChromHour, 2), d.data(), d.size());
    EXPECT_EQ(hourly.LeftCell(1, 3), "   24:00:00");
}

TEST_F(ChromView, ValuesAreConvertedInTheWorkingCopyOnly) {
    ReportSettings.metan_corr = 1;  // methane by difference
    std::array<float, 20> v{};
    v[0] = 1.0f;
    v[10] = 4.0f;
    v[7] = 2.0f;
    v[8] = 50.0f;
    Bytes all = Moment(CtlDateTime(26, 12, 7, 0, 0, 0), 0, 0, 0, v);
    const Bytes copy = all;
    const ChromArchiveSet s(ChromViewKind::Moment, Header(DataKind::Chrom5Min, 1), all.data(), all.size());
    EXPECT_FLOAT_EQ(s.Converted(0).v[8], 93.0f);
    EXPECT_EQ(s.ValueCell(0, ValueColumnOf(8)), " 93.0000");
    EXPECT_EQ(s.RawRecords(), copy);
    EXPECT_TRUE(s.CrcOk(0));
}

TEST_F(ChromView, ValueFormat) {
    EXPECT_EQ(FormatChromValue(1.5f, 2), "    1.50");
    EXPECT_EQ(FormatChromValue(123456.78f, 2), "123456.78");  // 9 characters, unpadded
    EXPECT_EQ(FormatChromValue(0.0f, 0), "       0");
    EXPECT_EQ(FormatChromValue(std::numeric_limits<float>::quiet_NaN(), 4), "     NAN");
    EXPECT_EQ(FormatChromValue(std::numeric_limits<float>::infinity(), 4), "     NAN");
    EXPECT_EQ(ChromValueText(-0.00001f, 3), "0.000");
    EXPECT_EQ(ChromValueText(-2.5f, 0).substr(0, 1), "-");
    // Ten significant digits at most, then zeros.
    EXPECT_EQ(ChromValueText(12345.678f, 8), "12345.67773000");
    EXPECT_EQ(ChromValueText(3e12f, 2).find("E+12"), ChromValueText(3e12f, 2).size() - 4);
    EXPECT_EQ(ChromValueText(1.0f, 200).size(), 20u);  // decimals held to 18
}

TEST_F(ChromView, CaptionsMethodLineAndHeadings) {
    const ChromArchiveSet m(ChromViewKind::Moment, Header(DataKind::Chrom5Min, 0), nullptr, 0);
    EXPECT_EQ(m.Caption(), "Мгновенные данные хроматографа за период  с  06.12.26 08:05:00  по  07.12.26 23:55:00");
    const ChromArchiveSet h(ChromViewKind::Hourly, Header(DataKind::ChromHour, 0), nullptr, 0);
    EXPECT_EQ(h.Caption(), "Часовые данные хроматографа за период с 06.12.26  08ч  по  07.12.26  23ч");
    const ChromArchiveSet d(ChromViewKind::Daily, Header(DataKind::ChromDay, 0), nullptr, 0);
    EXPECT_EQ(d.Caption(), "Суточные данные хроматографа за период с 06.12.26  по  07.12.26");
    EXPECT_EQ(d.DataFileKind(), DataKind::ChromDay);

    ReportSettingsRecord rs{};
    EXPECT_EQ(ChromMethodLine(rs), "  Расчет по ДСТУ ИСО, без корректировки доли компонентов");
    rs.calc_formula = 1;
    rs.metan_corr = 1;
    EXPECT_EQ(ChromMethodLine(rs), "  Расчет по ГОСТ, корректировка по методу абс. калибровки");

    rs = ReportSettingsRecord{};
    EXPECT_EQ(ChromHeadingLine(rs, 8, 0), "МД");
    EXPECT_EQ(ChromHeadingLine(rs, 8, 1), "метана,");
    EXPECT_EQ(ChromHeadingLine(rs, 8, 2), "");  // a blank line
    EXPECT_EQ(ChromHeadingUnit(rs, 8), "%");
    EXPECT_EQ(ChromHeadingLine(rs, 11, 1), "кисло-");  // oxygen keeps its heading
    EXPECT_EQ(ChromHeadingUnit(rs, 12), "МДж/м3");
    rs.prz_composition = 1;
    rs.thermal_unit = 1;
    EXPECT_EQ(ChromHeadingLine(rs, 8, 0), "ОД");
    EXPECT_EQ(ChromHeadingUnit(rs, 12), "ккал/м3");
    EXPECT_EQ(ChromHeadingLine(rs, 20, 0), "");
}

TEST_F(ChromView, SaveRequestOfEachKind) {
    std::tm today{};
    today.tm_year = 126;
    today.tm_mon = 11;
    today.tm_mday = 7;
    DataSaveRequest r = ChromSaveRequest(ChromViewKind::Moment, 12, today);
    EXPECT_EQ(r.title, "Введите имя файла для сохранения данных");
    EXPECT_EQ(r.folder, dir.dir() + "MOMDATA");
    EXPECT_EQ(r.proposal, dir.dir() + "MOMDATA/qvr_13-012-261207.mch");
    EXPECT_EQ(r.filters, (std::vector<std::string>{"Data Files (*.mch)", "DataFiles(*.xls)", "DataFiles(*.*)"}));
    EXPECT_EQ(r.filterIndex, 1);
    r = ChromSaveRequest(ChromViewKind::Hourly, 3, today);
    EXPECT_EQ(r.proposal, dir.dir() + "HOURDATA/qvr_13-003-261207.hch");
    EXPECT_EQ(r.filterIndex, 1);
    EXPECT_EQ(r.filters[1], "DataFiles(*.dch)");
    r = ChromSaveRequest(ChromViewKind::Daily, 3, today);
    EXPECT_EQ(r.proposal, dir.dir() + "DAYDATA/qvr_13-003-261207.dch");
    EXPECT_EQ(r.filterIndex, 2);

    EXPECT_EQ(WithDefaultExtension("/a.b/name", ".hch"), "/a.b/name.hch");
    EXPECT_EQ(WithDefaultExtension("/a/name.txt", ".hch"), "/a/name.txt");
}

TEST_F(ChromView, SaveLoopCancelReplaceAndFailure) {
    std::tm today{};
    today.tm_year = 126;
    const ArchiveFileHeader h = Header(DataKind::ChromHour, 2);
    Bytes all;
    const uint8_t st[9] = {26, 12, 7, 1, 0, 0, 2, 0, 0};
    Append(all, HourDay(st, 0, Analysis(1)));
    Bytes bad = HourDay(st, 0, Analysis(2));
    bad[30] ^= 0xFF;  // saved as it is, bad CRC included
    Append(all, bad);
    const DataSaveRequest req = ChromSaveRequest(ChromViewKind::Hourly, 12, today);

    // Cancel: nothing written, nothing said.
    int calls = 0;
    EXPECT_FALSE(SaveViewData(DataKind::ChromHour, req, h, all, [&](const DataSaveRequest&) {
        ++calls;
        return std::string();
    }));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(ShownQues().empty());
    EXPECT_TRUE(std::filesystem::is_directory(req.folder));  // the folder is made for the dialog

    // A name without extension gets the kind's.
    const std::string base = req.folder + "/set";
    EXPECT_TRUE(SaveViewData(DataKind::ChromHour, req, h, all, [&](const DataSaveRequest&) { return base; }));
    std::vector<uint8_t> file;
    ASSERT_TRUE(ReadWholeFile(base + ".hch", file));
    ASSERT_EQ(file.size(), 57 + 2 * 92u);
    const auto hb = h.Bytes();
    EXPECT_TRUE(std::equal(hb.begin(), hb.end(), file.begin()));
    EXPECT_TRUE(std::equal(all.begin(), all.end(), file.begin() + 57));
    ASSERT_EQ(ShownQues().size(), 1u);
    EXPECT_EQ(ShownQues()[0].kind, kQuesNotice);
    EXPECT_EQ(ShownQues()[0].text1, "Данные сохранены в файле set.hch.");

    // Existing file: No runs the dialog again (offering the name), Yes replaces.
    ClearQuesRecord();
    QueueQuesAnswers({0, 1});
    std::vector<std::string> proposals;
    const Bytes one(all.begin(), all.begin() + 92);
    EXPECT_TRUE(SaveViewData(DataKind::ChromHour, req, Header(DataKind::ChromHour, 1), one,
                             [&](const DataSaveRequest& r) {
                                 proposals.push_back(r.proposal);
                                 return base + ".hch";
                             }));
    ASSERT_EQ(proposals.size(), 2u);
    EXPECT_EQ(proposals[0], req.proposal);
    EXPECT_EQ(proposals[1], base + ".hch");
    const auto shown = ShownQues();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].kind, kQuesQuestion);
    EXPECT_EQ(shown[0].text1, "Файл set.hch уже есть.");
    EXPECT_EQ(shown[0].text2, "Вы хотите заменить существующий файл?");
    ASSERT_TRUE(ReadWholeFile(base + ".hch", file));
    EXPECT_EQ(file.size(), 57 + 92u);

    // No, then Cancel: the old file stays.
    ClearQuesRecord();
    QueueQuesAnswers({0});
    int n = 0;
    EXPECT_FALSE(SaveViewData(DataKind::ChromHour, req, h, all, [&](const DataSaveRequest&) {
        return n++ == 0 ? base + ".hch" : std::string();
    }));
    ASSERT_TRUE(ReadWholeFile(base + ".hch", file));
    EXPECT_EQ(file.size(), 57 + 92u);

    // An empty set still saves its header.
    ClearQuesRecord();
    EXPECT_TRUE(SaveViewData(DataKind::ChromHour, req, Header(DataKind::ChromHour, 0), {},
                             [&](const DataSaveRequest&) { return req.folder + "/empty.hch"; }));
    ASSERT_TRUE(ReadWholeFile(req.folder + "/empty.hch", file));
    EXPECT_EQ(file.size(), 57u);

    // A file that cannot be written.
    ClearQuesRecord();
    EXPECT_FALSE(SaveViewData(DataKind::ChromHour, req, h, all,
                              [&](const DataSaveRequest&) { return dir.dir() + "no/such/folder/x.hch"; }));
    ASSERT_EQ(ShownQues().size(), 1u);
    EXPECT_EQ(ShownQues()[0].kind, kQuesError);
    EXPECT_EQ(ShownQues()[0].text1, "Ошибка открытия файла");
}
