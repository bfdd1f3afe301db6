// The report texts and daily report files byte by byte, the gas day and its check
// against the archive span, and the daily analysis read from the simulated controller.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/crc16.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "ctlsim/archive.h"
#include "link/tabledir.h"
#include "params/ui/simlink.h"
#include "reports/dailyreport.h"
#include "support/tempdir.h"

using namespace qvr;
using Bytes = std::vector<uint8_t>;

namespace {

std::vector<std::pair<std::string, std::string>> Shown() {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& q : ShownQues()) out.emplace_back(q.text1, q.text2);
    return out;
}

class RecordingBar : public IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override { texts.push_back(std::to_string(panel) + ":" + text); }
    std::string PanelText(int) const override { return ""; }
    std::vector<std::string> texts;
};

class DailyReportFiles : public ::testing::Test {
protected:
    void SetUp() override {
        saved = g_ProgDir;
        g_ProgDir = dir.dir();
        ClearQuesRecord();
        std::memset(g_TableMemory, 0, kTableMemorySize);
    }
    void TearDown() override {
        g_ProgDir = saved;
        ClearQuesRecord();
    }
    TempDir dir;
    std::string saved;
};

}  // namespace

TEST(DailyReportRecords, FormatRecordOffsets) {
    ReportFormatRecord r;
    StoreTextField(r.certLine[0], 100, "A");
    StoreTextField(r.certLine[3], 100, std::string(150, 'x'));  // cut to 99
    StoreTextField(r.representative[1], 50, "Rep");
    r.contractHour = 10;
    StoreTextField(r.passportLine[0], 50, "P1");
    StoreTextField(r.passportLine[5], 50, "P6");
    const auto b = r.Bytes();
    ASSERT_EQ(b.size(), 801u);
    EXPECT_EQ(b[0], 'A');
    EXPECT_EQ(b[300], 'x');
    EXPECT_EQ(b[398], 'x');
    EXPECT_EQ(b[399], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[450]), 3), "Rep");
    EXPECT_EQ(b[500], 10);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[501]), 2), "P1");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[751]), 2), "P6");
    EXPECT_EQ(ReportFormatRecord::FromBytes(b.data()), r);
}

TEST(DailyReportRecords, StoreTextFieldClearsTheRest) {
    char f[50];
    StoreTextField(f, sizeof f, std::string(30, 'a'));
    StoreTextField(f, sizeof f, "bbbbb");
    EXPECT_EQ(FieldText(f, sizeof f), "bbbbb");
    for (size_t i = 5; i < sizeof f; ++i) EXPECT_EQ(f[i], 0) << i;
}

TEST(DailyReportRecords, DailyRecordOffsets) {
    DailyReportRecord r;
    r.format.contractHour = 9;
    std::memcpy(r.name, "KVR-1", 5);
    r.address = 7;
    r.start = CtlMinuteTime(26, 12, 31, 9, 0);
    r.end = CtlMinuteTime(27, 1, 1, 9, 0);
    for (int i = 0; i < 20; ++i) r.gas.v[i] = float(i) + 0.5f;
    const auto b = r.Bytes();
    ASSERT_EQ(b.size(), 912u);
    EXPECT_EQ(b[500], 9);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[801]), 5), "KVR-1");
    EXPECT_EQ(b[821], 7);
    EXPECT_EQ(Bytes(b.begin() + 822, b.begin() + 832), (Bytes{26, 12, 31, 9, 0, 27, 1, 1, 9, 0}));
    float f;
    std::memcpy(&f, &b[832], 4);  // little-endian host
    EXPECT_EQ(f, 0.5f);
    std::memcpy(&f, &b[908], 4);
    EXPECT_EQ(f, 19.5f);
    const DailyReportRecord back = DailyReportRecord::FromBytes(b.data());
    EXPECT_EQ(back.Bytes(), b);
}

TEST_F(DailyReportFiles, NamesAndPaths) {
    EXPECT_EQ(DailyReportFileName(CtlHourTime(26, 3, 7, 10)), "rep260307.srt");
    EXPECT_EQ(DailyReportPath(CtlHourTime(5, 11, 30, 0)), dir.dir() + "REPORT/rep051130.srt");
    EXPECT_EQ(ReportFormatPath(), dir.dir() + "REPORT/report.ini");
}

TEST_F(DailyReportFiles, ReportIniMissingShortAndWritten) {
    ReportFormatRecord r;
    EXPECT_EQ(ReadReportFormat(r, 9), ReportFileStatus::Missing);
    EXPECT_EQ(r.contractHour, 9);
    EXPECT_EQ(FieldText(r.certLine[0], 100), "");

    StoreTextField(r.certLine[1], 100, Win("Сертификат"));
    r.contractHour = 200;
    ASSERT_TRUE(WriteReportFormat(r));  // creates REPORT
    EXPECT_EQ(FileSize(ReportFormatPath()), 801);
    ReportFormatRecord back;
    EXPECT_EQ(ReadReportFormat(back, 9), ReportFileStatus::Ok);
    EXPECT_EQ(back, r);

    // A file of another size gives its first 801 bytes; what a short one lacks stays blank.
    ASSERT_TRUE(WriteFileAtomic(ReportFormatPath(), std::string(402, 'z') + std::string("\0rep", 4)));
    EXPECT_EQ(ReadReportFormat(back, 9), ReportFileStatus::Ok);
    EXPECT_EQ(FieldText(back.certLine[3], 100), std::string(100, 'z'));
    EXPECT_EQ(FieldText(back.representative[0], 50), "zz");
    EXPECT_EQ(std::string(back.representative[0] + 3, 3), "rep");
    EXPECT_EQ(FieldText(back.representative[1], 50), "");
    EXPECT_EQ(back.contractHour, 9);
    EXPECT_EQ(FieldText(back.passportLine[5], 50), "");
    const auto record = r.Bytes();
    std::string longer(record.begin(), record.end());
    ASSERT_TRUE(WriteFileAtomic(ReportFormatPath(), longer + std::string(300, 'x')));
    EXPECT_EQ(ReadReportFormat(back, 9), ReportFileStatus::Ok);
    EXPECT_EQ(back, r);
    EXPECT_EQ(FileSize(ReportFormatPath()), 1101);  // reading never rewrites the file
}

TEST_F(DailyReportFiles, DailyFileMustBeExactly912Bytes) {
    MakeDir(ReportFolder());
    DailyReportRecord r;
    r.address = 3;
    const std::string p = ReportFolder() + "/a.srt";
    ASSERT_TRUE(SaveDailyReport(p, r));
    DailyReportRecord back;
    EXPECT_EQ(LoadDailyReport(p, back), ReportFileStatus::Ok);
    EXPECT_EQ(back.address, 3);
    for (size_t n : {911u, 913u, 0u}) {
        ASSERT_TRUE(WriteFileAtomic(p, std::string(n, '\1')));
        EXPECT_EQ(LoadDailyReport(p, back), ReportFileStatus::WrongSize) << n;
    }
    EXPECT_EQ(LoadDailyReport(ReportFolder() + "/none.srt", back), ReportFileStatus::Missing);
}

TEST_F(DailyReportFiles, PrepareTakesTheControllersContractHour) {
    ReportFormatRecord texts;
    StoreTextField(texts.passportLine[2], 50, "Sign");
    texts.contractHour = 200;
    ASSERT_TRUE(WriteReportFormat(texts));
    std::memcpy(TablePtr(5), "CONTROLLER-NAME-20BY", 20);
    *FieldPtr(6, 6) = 10;
    DailyReportRecord r;
    r.gas.v[3] = 5;
    PrepareDailyReport(r);
    EXPECT_EQ(r.format.contractHour, 10);
    EXPECT_EQ(FieldText(r.format.passportLine[2], 50), "Sign");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(r.name), 20), "CONTROLLER-NAME-20BY");
    EXPECT_EQ(r.gas.v[3], 0.0f);
    EXPECT_TRUE(ShownQues().empty());

    // An hour the controller cannot hold is taken as 9, and the gas day starts there.
    *FieldPtr(6, 6) = 30;
    PrepareDailyReport(r);
    EXPECT_EQ(r.format.contractHour, 9);
    ArchiveSpan span{CtlMinuteTime(26, 2, 1, 0, 0), CtlMinuteTime(26, 3, 1, 0, 0)};
    EXPECT_TRUE(SetReportDay(r, {2026, 2, 27}, span));
    EXPECT_EQ(r.start, CtlMinuteTime(26, 2, 27, 9, 0));
    EXPECT_EQ(r.end, CtlMinuteTime(26, 2, 28, 9, 0));
    *FieldPtr(6, 6) = 10;

    // A short report.ini gives the texts it holds, the rest blank, without a message.
    ASSERT_TRUE(WriteFileAtomic(ReportFormatPath(), std::string(10, 'q')));
    PrepareDailyReport(r);
    EXPECT_EQ(FieldText(r.format.certLine[0], 100), "qqqqqqqqqq");
    EXPECT_EQ(FieldText(r.format.passportLine[2], 50), "");
    EXPECT_EQ(r.format.contractHour, 10);
    EXPECT_TRUE(ShownQues().empty());
}

TEST(DailyReportDay, SpanEdgesAndDayStepping) {
    ArchiveSpan span{CtlMinuteTime(26, 2, 27, 10, 0), CtlMinuteTime(26, 3, 5, 10, 0)};
    DailyReportRecord r;
    r.format.contractHour = 10;
    EXPECT_TRUE(SetReportDay(r, {2026, 2, 27}, span));
    EXPECT_EQ(r.start, CtlMinuteTime(26, 2, 27, 10, 0));
    EXPECT_TRUE(SetReportDay(r, {2026, 2, 28}, span));
    EXPECT_EQ(r.end, CtlMinuteTime(26, 3, 1, 10, 0));  // across the month end
    EXPECT_TRUE(SetReportDay(r, {2026, 3, 5}, span));
    EXPECT_FALSE(SetReportDay(r, {2026, 3, 6}, span));
    EXPECT_EQ(r.start, CtlMinuteTime(26, 3, 6, 10, 0));  // written all the same
    EXPECT_FALSE(SetReportDay(r, {2026, 2, 26}, span));
    r.format.contractHour = 0;
    EXPECT_FALSE(SetReportDay(r, {2025, 12, 31}, span));
    EXPECT_EQ(r.end, CtlMinuteTime(26, 1, 1, 0, 0));  // across the year end
}

namespace {

class DailyAnalysisRead : public DailyReportFiles {
protected:
    void SetUp() override {
        DailyReportFiles::SetUp();
        ASSERT_FALSE(link.path.empty());
        ASSERT_TRUE(link.Attach(5));
        link.box()->ReplyMs = 2000;
        arch = std::make_unique<ctlsim::ArchiveSim>(link.sim);
        arch->Generate(ctlsim::SimArchive::ChromDay, CtlDateTime(26, 3, 1, 10, 0, 0),
                       CtlDateTime(26, 3, 9, 10, 0, 0));
        r.format.contractHour = 10;
        r.start = CtlMinuteTime(26, 3, 4, 10, 0);
        r.end = CtlMinuteTime(26, 3, 5, 10, 0);
    }
    void TearDown() override {
        link.sim.Stop();
        arch.reset();
        DailyReportFiles::TearDown();
    }
    SimLink link{5, 73};
    std::unique_ptr<ctlsim::ArchiveSim> arch;
    DailyReportRecord r;
    RecordingBar bar;
    int timers = 0;
};

}  // namespace

TEST_F(DailyAnalysisRead, TakesTheFirstRecordsAnalysis) {
    ASSERT_TRUE(ReadDailyAnalysis(r, &bar, [this] { ++timers; }));
    const auto req = arch->Requests();
    ASSERT_EQ(req.size(), 1u);
    EXPECT_EQ(req[0].function, 16);
    EXPECT_EQ(req[0].body, (Bytes{3, 0, 0, 26, 3, 4, 26, 3, 4}));
    const auto recs = arch->Records(ctlsim::SimArchive::ChromDay);
    const Bytes* day4 = nullptr;
    for (const auto& rec : recs)
        if (rec[0] == 26 && rec[1] == 3 && rec[2] == 4) day4 = &rec;
    ASSERT_NE(day4, nullptr);
    const auto b = r.Bytes();
    EXPECT_EQ(Bytes(b.begin() + 832, b.end()), Bytes(day4->begin() + 10, day4->begin() + 90));
    EXPECT_EQ(timers, 0);
    EXPECT_TRUE(ShownQues().empty());
}

TEST_F(DailyAnalysisRead, NoRecordBadCrcAndNoReply) {
    // Nothing for that day.
    r.start = CtlMinuteTime(26, 4, 1, 10, 0);
    EXPECT_FALSE(ReadDailyAnalysis(r, &bar, [this] { ++timers; }));
    EXPECT_EQ(timers, 1);
    EXPECT_EQ(Shown().back(), (std::pair<std::string, std::string>{"Суточные данные из архива", "не прочитаны"}));
    EXPECT_EQ(bar.texts.back().rfind("2:Команда 16.", 0), 0u);

    // A damaged record.
    r.start = CtlMinuteTime(26, 3, 4, 10, 0);
    arch->SetReplyHook([](int, uint8_t, Bytes& data) {
        if (data.size() > 10) data[10] ^= 0x40;
    });
    ClearQuesRecord();
    const float before = r.gas.v[0] = 123.0f;
    EXPECT_FALSE(ReadDailyAnalysis(r, &bar, [this] { ++timers; }));
    EXPECT_EQ(Shown().back(),
              (std::pair<std::string, std::string>{"Суточные данные недостоверны", "(не совпадает КС записи"}));
    EXPECT_EQ(r.gas.v[0], before);
    EXPECT_EQ(timers, 1);

    // A count that the frame cannot hold.
    arch->SetReplyHook([](int, uint8_t, Bytes& data) { data.resize(1 + 20); });
    EXPECT_FALSE(ReadDailyAnalysis(r, &bar, [this] { ++timers; }));
    EXPECT_EQ(Shown().back().second, "не прочитаны");
    EXPECT_EQ(timers, 2);

    // No reply at all.
    arch->SetReplyHook({});
    ctlsim::Faults f;
    f.silent = true;
    link.sim.SetFaults(f);
    EXPECT_FALSE(ReadDailyAnalysis(r, &bar, [this] { ++timers; }));
    EXPECT_EQ(timers, 3);
    EXPECT_EQ(bar.texts.back(), std::string("2:") + link.box()->ResultText());
}

TEST_F(DailyReportFiles, SaveOverwritesTheDaysFile) {
    DailyReportRecord r;
    r.start = CtlMinuteTime(26, 3, 4, 10, 0);
    r.address = 1;
    ASSERT_TRUE(SaveDailyReportWithMessage(r));
    r.address = 2;
    ASSERT_TRUE(SaveDailyReportWithMessage(r));
    EXPECT_EQ(Shown().back(),
              (std::pair<std::string, std::string>{"Данные для создания отчета", "сохранены в файле rep260304.srt"}));
    DailyReportRecord back;
    ASSERT_EQ(LoadDailyReport(DailyReportPath(r.start), back), ReportFileStatus::Ok);
    EXPECT_EQ(back.address, 2);

    // A folder that cannot be written.
    g_ProgDir = dir.dir() + "missing/deeper/";
    EXPECT_FALSE(SaveDailyReportWithMessage(r));
    EXPECT_EQ(Shown().back(),
              (std::pair<std::string, std::string>{"Ошибка создания файла.", "Данные для создания отчета не сохранены"}));
}
