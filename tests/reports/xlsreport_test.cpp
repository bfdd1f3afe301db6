// The daily and monthly spreadsheet reports: the cells written into the templates, the
// output names, the existing-file question and the failures of the spreadsheet work, and
// the archive reads behind them against the simulated controller.
#include "reports/xlsreport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "common/codepage.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/stringi.h"
#include "ctlsim/archive.h"
#include "link/tabledir.h"
#include "params/ui/simlink.h"
#include "reports/xltemplate.h"
#include "support/tempdir.h"

using namespace qvr;
using ctlsim::SimArchive;

namespace {

std::string F(float v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

ChromHourDayRecord Chrom(uint8_t day, uint8_t hour, uint8_t status = 0, float methane = 90.5f) {
    ChromHourDayRecord r;
    r.stamp.date[0] = 26;
    r.stamp.date[1] = 12;
    r.stamp.date[2] = day;
    r.stamp.start[0] = hour;
    r.status = status;
    for (int k = 0; k < kGasParamCount; ++k) r.gas.v[k] = 0.5f + k;
    r.gas.v[8] = methane;
    r.gas.v[11] = 38.25f;  // Hs
    r.gas.v[13] = 49.5f;   // Wobbe index
    r.gas.v[18] = 34.5f;   // Hi
    r.gas.v[16] = 12.5f;   // gas temperature
    return r;
}

MoistureHourDayRecord Moist(uint8_t day, uint8_t hour, uint8_t status = 0) {
    MoistureHourDayRecord r;
    r.stamp.date[0] = 26;
    r.stamp.date[1] = 12;
    r.stamp.date[2] = day;
    r.stamp.start[0] = hour;
    r.status = status;
    r.values[0] = -12.5f;
    r.values[1] = -8.25f;
    r.values[2] = 5.5f;
    r.values[3] = -20.75f;
    return r;
}

struct Messages {
    std::vector<std::string> texts, captions;
    XlsMessageBox Box() {
        return [this](const std::string& t, const std::string& c, bool) {
            texts.push_back(t);
            captions.push_back(c);
        };
    }
};

class XlsReportFill : public ::testing::Test {
protected:
    void SetUp() override {
        saved = g_ProgDir;
        g_ProgDir = dir.dir();
        BuildXlsTemplate(0, dir.dir() + kDayTemplateName);
        BuildXlsTemplate(1, dir.dir() + kMonthTemplateName);
        ClearQuesRecord();
    }
    void TearDown() override {
        g_ProgDir = saved;
        ClearQuesRecord();
        xlsx::g_XlsxUnavailable = false;
    }
    // The saved report, opened again.
    xlsx::Worksheet& Open(const std::string& path) { return app->WorkBooks().Open(path).ActiveSheet(); }

    TempDir dir;
    std::string saved;
    std::unique_ptr<xlsx::Application> app = xlsx::Application::Create("excel.application");
    Messages msgs;
};

XlsReportJob DayJob(int hours) {
    XlsReportJob job;
    job.kind = 0;
    job.date = {26, 12, 5, 9};
    job.objectName = Win("ГРС Северная");
    for (int i = 0; i < hours; ++i) {
        const int h = (9 + i) % 24;
        const uint8_t day = uint8_t(5 + (9 + i) / 24);
        job.chrom.push_back(Chrom(day, uint8_t(h)));
        job.moist.push_back(Moist(day, uint8_t(h)));
    }
    job.chromSummary = Chrom(5, 9);
    job.chromSummary.gas.v[8] = 91.25f;
    job.moistSummary = Moist(5, 9);
    job.moistSummary.values[0] = -15.5f;
    return job;
}

}  // namespace

TEST(XlsReportNames, OutputPathsAndTemplates) {
    const std::string saved = g_ProgDir;
    g_ProgDir = "/prog/";
    XlsReportJob job;
    job.date = {26, 3, 7, 10};
    job.objectName = Win("ГРС-1");
    EXPECT_EQ(XlsReportPath(job), "/prog/REPORT/ГРС-1_day_260307.xlsx");
    job.kind = 1;
    EXPECT_EQ(XlsReportPath(job), "/prog/REPORT/ГРС-1_mon_2603.xlsx");
    // A name that holds a folder separator or a control character cannot name a file.
    job.objectName = std::string("A/B\x01", 4) + std::string(3, '\0');
    EXPECT_EQ(XlsReportPath(job), "/prog/REPORT/A_B__mon_2603.xlsx");
    EXPECT_EQ(XlsTemplatePath(0), "/prog/day_report_title_v13.xlsx");
    EXPECT_EQ(XlsTemplatePath(1), "/prog/mon_report_title_v13.xlsx");
    g_ProgDir = saved;
}

TEST(XlsReportNames, ColumnTables) {
    EXPECT_EQ(std::vector<int>(ExcelChromColumnTable, ExcelChromColumnTable + 20),
              (std::vector<int>{8, 10, 1, 2, 3, 4, 5, 6, 0, 255, 7, 9, 12, 18, 11, 13, 255, 255, 255, 255}));
    EXPECT_EQ(std::vector<int>(ExcelMoistureColumnOrder, ExcelMoistureColumnOrder + 4), (std::vector<int>{0, 3, 1, 2}));
}

TEST(XlsReportNames, MonthlyAverageSkipsDaysWithoutMethane) {
    std::vector<ChromHourDayRecord> days = {Chrom(1, 10), Chrom(2, 10), Chrom(3, 10, 0, 0.0005f),
                                            Chrom(4, 10, 0, std::numeric_limits<float>::quiet_NaN())};
    days[0].gas.v[11] = 38.0f;
    days[1].gas.v[11] = 39.0f;
    days[1].gas.v[8] = 92.5f;
    days[1].gas.v[18] = std::numeric_limits<float>::quiet_NaN();  // Hi invalid on one day
    const ChromHourDayRecord avg = MonthlyAverage(days);
    EXPECT_FLOAT_EQ(avg.gas.v[11], 38.5f);
    EXPECT_FLOAT_EQ(avg.gas.v[8], 91.5f);
    EXPECT_FLOAT_EQ(avg.gas.v[18], 34.5f);  // the other day's Hi
    EXPECT_EQ(avg.stamp.date[2], 0);
    EXPECT_EQ(avg.status, 0);
    const ChromHourDayRecord none = MonthlyAverage({Chrom(1, 10, 0, 0.0f)});
    for (float v : none.gas.v) EXPECT_EQ(v, 0.0f);
}

TEST_F(XlsReportFill, DayReportWithTenHoursFillsTheirRowsAndTheDailyRow) {
    XlsReportJob job = DayJob(10);
    job.chrom[2].status = kChromNoLink;           // blanked chromatograph row
    job.chrom[3].gas.v[8] = 0.0005f;              // methane too low
    job.moist[4].status = kWmtNoLink;             // blanked moisture row
    job.chrom[5].status = kChromOutOfLimits;      // other bits do not blank
    ASSERT_TRUE(MakeXlsReport(job, msgs.Box()));
    EXPECT_TRUE(msgs.texts.empty());
    const std::string path = dir.dir() + "REPORT/ГРС Северная_day_261205.xlsx";
    ASSERT_TRUE(FileExists(path));
    ASSERT_EQ(ShownQues().size(), 1u);
    EXPECT_EQ(ShownQues()[0].text1, "Данные сохранены в файле ГРС Северная_day_261205.xlsx");
    EXPECT_EQ(ShownQues()[0].kind, kQuesNotice);

    xlsx::Worksheet& sh = Open(path);
    EXPECT_EQ(sh.Cells(2, 7).Text(), "ГРС Северная");
    EXPECT_EQ(sh.Cells(2, 1).Text(), "Объект:");  // the template's own text stays
    EXPECT_EQ(sh.Cells(4, 22).Text(), "За період з 05.12.26 09:00  по  05.12.26 18:00");
    EXPECT_EQ(sh.Cells(10, 1).Text(), "05.12.26  09:00");
    EXPECT_EQ(sh.Cells(19, 1).Text(), "05.12.26  18:00");
    EXPECT_EQ(sh.Cells(20, 1).Value().kind, xlsx::CellValue::Empty);
    EXPECT_EQ(sh.Cells(20, 2).Value().kind, xlsx::CellValue::Empty);

    // A good row: the components in column order, column 11 left alone, the heats three
    // times, the moisture values in their order, the gas temperature.
    const GasAnalysis& g = job.chrom[0].gas;
    EXPECT_EQ(sh.Cells(10, 2).Value().text, F(g.v[8]));
    EXPECT_EQ(sh.Cells(10, 3).Value().text, F(g.v[10]));
    EXPECT_EQ(sh.Cells(10, 10).Value().text, F(g.v[0]));
    EXPECT_EQ(sh.Cells(10, 11).Value().kind, xlsx::CellValue::Empty);
    EXPECT_EQ(sh.Cells(10, 12).Value().text, F(g.v[7]));
    EXPECT_EQ(sh.Cells(10, 13).Value().text, F(g.v[9]));
    EXPECT_EQ(sh.Cells(10, 14).Value().text, F(g.v[12]));
    EXPECT_EQ(sh.Cells(10, 15).Value().text, F(float(34.5f * 239.08)));
    EXPECT_EQ(sh.Cells(10, 16).Value().text, "34.5");
    EXPECT_EQ(sh.Cells(10, 17).Value().text, F(float(34.5f * 0.277778)));
    EXPECT_EQ(sh.Cells(10, 19).Value().text, "38.25");
    EXPECT_EQ(sh.Cells(10, 22).Value().text, "49.5");
    EXPECT_EQ(sh.Cells(10, 24).Value().text, "-12.5");
    EXPECT_EQ(sh.Cells(10, 25).Value().text, "-20.75");
    EXPECT_EQ(sh.Cells(10, 26).Value().text, "-8.25");
    EXPECT_EQ(sh.Cells(10, 27).Value().text, F(float(5.5f * 1.019716213)));
    EXPECT_EQ(sh.Cells(10, 28).Value().text, "12.5");
    EXPECT_EQ(sh.Cells(10, 2).Value().kind, xlsx::CellValue::Number);
    EXPECT_EQ(sh.Cells(10, 2).Format().numberFormat, "0.0000");  // the template's format kept

    // No link: "--" in 2..10 and 12..23; 11 and 28 untouched; moisture by its own status.
    for (int c = 2; c <= 23; ++c) {
        if (c == 11) continue;
        EXPECT_EQ(sh.Cells(12, c).Text(), "--") << c;
        EXPECT_EQ(sh.Cells(13, c).Text(), "--") << c;  // methane 0.0005
    }
    EXPECT_EQ(sh.Cells(12, 11).Value().kind, xlsx::CellValue::Empty);
    EXPECT_EQ(sh.Cells(12, 28).Value().kind, xlsx::CellValue::Empty);
    EXPECT_EQ(sh.Cells(12, 24).Value().text, "-12.5");
    for (int c = 24; c <= 27; ++c) EXPECT_EQ(sh.Cells(14, c).Text(), "--") << c;
    EXPECT_EQ(sh.Cells(14, 2).Value().kind, xlsx::CellValue::Number);
    EXPECT_EQ(sh.Cells(15, 2).Value().kind, xlsx::CellValue::Number);

    // The daily row.
    EXPECT_EQ(sh.Cells(34, 2).Value().text, "91.25");
    EXPECT_EQ(sh.Cells(34, 24).Value().text, "-15.5");
    EXPECT_EQ(sh.Cells(34, 1).Text(), "За сутки");
}

TEST_F(XlsReportFill, MonthReportStartsAtTheFirstDayReadAndWritesTheAverageHeats) {
    XlsReportJob job;
    job.kind = 1;
    job.date = {26, 12, 1, 9};
    job.objectName = Win("Объект");
    for (uint8_t d = 5; d <= 7; ++d) {
        job.chrom.push_back(Chrom(d, 10));
        job.moist.push_back(Moist(d, 10));
    }
    job.chrom[1].status = kChromControllerOff;
    job.chromSummary = MonthlyAverage(job.chrom);
    ASSERT_TRUE(MakeXlsReport(job, msgs.Box()));
    xlsx::Worksheet& sh = Open(dir.dir() + "REPORT/Объект_mon_2612.xlsx");
    EXPECT_EQ(sh.Cells(4, 22).Text(), "За період з 05.12.26 по  07.12.26");
    EXPECT_EQ(sh.Cells(13, 2).Value().kind, xlsx::CellValue::Empty);  // day 4
    EXPECT_EQ(sh.Cells(14, 2).Value().text, "90.5");                  // day 5
    EXPECT_EQ(sh.Cells(15, 2).Text(), "--");
    EXPECT_EQ(sh.Cells(16, 28).Value().text, "12.5");
    EXPECT_DOUBLE_EQ(sh.Cells(14, 1).Value().number, 5);  // the template's day number
    // The average covers days 5..7 (day 6 has valid methane too: status does not count).
    EXPECT_EQ(sh.Cells(41, 16).Value().text, "34.5");
    EXPECT_EQ(sh.Cells(41, 15).Value().text, F(float(34.5f * 239.08)));
    EXPECT_EQ(sh.Cells(41, 19).Value().text, "38.25");
    EXPECT_EQ(sh.Cells(41, 20).Value().text, F(float(38.25f * 0.277778)));
    EXPECT_EQ(sh.Cells(41, 2).Value().kind, xlsx::CellValue::Empty);

    // No day with valid methane: the average row holds zeros.
    for (auto& c : job.chrom) c.gas.v[8] = 0;
    job.chromSummary = MonthlyAverage(job.chrom);
    QueueQuesAnswers({1});
    ASSERT_TRUE(MakeXlsReport(job, msgs.Box()));
    xlsx::Worksheet& again = Open(dir.dir() + "REPORT/Объект_mon_2612.xlsx");
    for (int c = 15; c <= 20; ++c) EXPECT_EQ(again.Cells(41, c).Value().text, "0") << c;
}

TEST_F(XlsReportFill, ExistingReportIsReplacedOnlyAfterYes) {
    const XlsReportJob job = DayJob(2);
    ASSERT_TRUE(MakeDir(dir.dir() + "REPORT"));
    const std::string path = dir.dir() + "REPORT/ГРС Северная_day_261205.xlsx";
    ASSERT_TRUE(WriteFileAtomic(path, std::string("old report")));
    QueueQuesAnswers({0});
    EXPECT_FALSE(MakeXlsReport(job, msgs.Box()));
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, "old report");
    ASSERT_EQ(ShownQues().size(), 1u);
    EXPECT_EQ(ShownQues()[0].kind, kQuesQuestion);
    EXPECT_EQ(ShownQues()[0].text1, "Файл отчета ГРС Северная_day_261205.xlsx уже есть.");
    EXPECT_EQ(ShownQues()[0].text2, "Вы хотите заменить существующий отчет?");

    QueueQuesAnswers({1});
    EXPECT_TRUE(MakeXlsReport(job, msgs.Box()));
    EXPECT_EQ(Open(path).Cells(2, 7).Text(), "ГРС Северная");
    EXPECT_TRUE(msgs.texts.empty());
}

TEST_F(XlsReportFill, FailuresOfTheSpreadsheetWork) {
    XlsReportJob job = DayJob(1);
    xlsx::g_XlsxUnavailable = true;
    EXPECT_FALSE(MakeXlsReport(job, msgs.Box()));
    ASSERT_EQ(msgs.texts.size(), 1u);
    EXPECT_EQ(msgs.texts[0], kXlsNoApplication);
    EXPECT_EQ(msgs.captions[0], "Ошибка");
    xlsx::g_XlsxUnavailable = false;

    // A damaged template: the file error, no report, no "saved" notice.
    ASSERT_TRUE(WriteFileAtomic(dir.dir() + kDayTemplateName, std::string("damaged")));
    msgs.texts.clear();
    ClearQuesRecord();
    EXPECT_FALSE(MakeXlsReport(job, msgs.Box()));
    EXPECT_EQ(msgs.texts, std::vector<std::string>{kXlsFileError});
    EXPECT_TRUE(ShownQues().empty());
    EXPECT_FALSE(FileExists(XlsReportPath(job)));
}

// ---------------------------------------------------------------------------------------
// Reads against the simulated controller.

namespace {

class RecordingBar : public IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override { texts.push_back(std::to_string(panel) + ":" + text); }
    std::string PanelText(int) const override { return ""; }
    std::vector<std::string> texts;
};

class XlsReportRead : public ::testing::Test {
protected:
    void SetUp() override {
        InitStringTable();
        ASSERT_FALSE(link.path.empty());
        ASSERT_TRUE(link.Attach(5));
        link.box()->ReplyMs = 2000;
        arch = std::make_unique<ctlsim::ArchiveSim>(link.sim);
        ClearQuesRecord();
        ui.statusBar = &bar;
        ui.openWait = [this](int max) -> IProgress* {
            ++opened;
            waitMax = max;
            return nullptr;
        };
        ui.closeWait = [this] { ++closed; };
        ui.startMessageTimer = [this] { ++timers; };
        span.begin = CtlMinuteTime(26, 11, 1, 10, 0);
        span.end = CtlMinuteTime(26, 12, 6, 10, 0);
    }
    void TearDown() override {
        link.sim.Stop();
        arch.reset();
        ClearQuesRecord();
        g_Abort = 0;
        g_AbortAllowed = 0;
    }
    std::vector<std::pair<int, std::vector<uint8_t>>> Requests() {
        std::vector<std::pair<int, std::vector<uint8_t>>> out;
        for (const auto& r : arch->Requests()) out.emplace_back(r.function, r.body);
        return out;
    }
    std::vector<std::pair<std::string, std::string>> Shown() {
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& q : ShownQues()) out.emplace_back(q.text1, q.text2);
        return out;
    }
    void FillDay() {
        arch->Generate(SimArchive::ChromHour, CtlDateTime(26, 12, 4, 0, 0, 0), CtlDateTime(26, 12, 7, 0, 0, 0));
        arch->Generate(SimArchive::WmtHour, CtlDateTime(26, 12, 4, 0, 0, 0), CtlDateTime(26, 12, 7, 0, 0, 0));
        arch->Generate(SimArchive::ChromDay, CtlDateTime(26, 11, 1, 0, 0, 0), CtlDateTime(26, 12, 6, 0, 0, 0));
        arch->Generate(SimArchive::WmtDay, CtlDateTime(26, 11, 1, 0, 0, 0), CtlDateTime(26, 12, 6, 0, 0, 0));
    }

    SimLink link{5, 73};
    std::unique_ptr<ctlsim::ArchiveSim> arch;
    RecordingBar bar;
    XlsReadUi ui;
    ArchiveSpan span;
    int opened = 0, closed = 0, timers = 0, waitMax = -1;
};

using Body = std::vector<uint8_t>;

}  // namespace

TEST_F(XlsReportRead, DayReadsBothDailyRecordsThenTwentyFourHoursOfEach) {
    FillDay();
    XlsReportJob job;
    ASSERT_TRUE(ReadDayReportData({26, 12, 5, 9}, span, ui, job));
    EXPECT_TRUE(Shown().empty());
    ASSERT_EQ(job.chrom.size(), 24u);
    ASSERT_EQ(job.moist.size(), 24u);
    EXPECT_EQ(job.chrom.front().stamp.DateHour(), CtlHourTime(26, 12, 5, 9));
    EXPECT_EQ(job.chrom.back().stamp.DateHour(), CtlHourTime(26, 12, 6, 8));
    EXPECT_EQ(job.moist.back().stamp.DateHour(), CtlHourTime(26, 12, 6, 8));
    EXPECT_EQ(job.chromSummary.stamp.date[2], 5);
    EXPECT_EQ(job.moistSummary.stamp.date[2], 5);
    EXPECT_EQ(job.kind, 0);

    const auto req = Requests();
    ASSERT_GE(req.size(), 2u + 12u + 3u);
    EXPECT_EQ(req[0], std::make_pair(16, Body{3, 0, 0, 26, 12, 5, 26, 12, 5}));
    EXPECT_EQ(req[1], std::make_pair(16, Body{3, 0, 1, 26, 12, 5, 26, 12, 5}));
    EXPECT_EQ(req[2], std::make_pair(15, Body{3, 0, 0, 26, 12, 5, 9, 26, 12, 6, 8}));
    // Two chromatograph records a reply: the next request starts two hours on.
    EXPECT_EQ(req[3], std::make_pair(15, Body{3, 0, 0, 26, 12, 5, 11, 26, 12, 6, 8}));
    EXPECT_EQ(req[14], std::make_pair(15, Body{3, 0, 1, 26, 12, 5, 9, 26, 12, 6, 8}));
    EXPECT_EQ(req[15], std::make_pair(15, Body{3, 0, 1, 26, 12, 5, 17, 26, 12, 6, 8}));
    EXPECT_EQ(req.size(), 2u + 12u + 3u);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(waitMax, 48);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(g_AbortAllowed, 0);
}

TEST_F(XlsReportRead, DayBeginningBeforeTheArchiveStartsAtTheSpan) {
    FillDay();
    span.begin = CtlMinuteTime(26, 12, 5, 14, 0);
    XlsReportJob job;
    ASSERT_TRUE(ReadDayReportData({26, 12, 5, 9}, span, ui, job));
    EXPECT_EQ(job.chrom.size(), 19u);
    EXPECT_EQ(job.chrom.front().stamp.DateHour(), CtlHourTime(26, 12, 5, 14));
    EXPECT_EQ(Requests()[2].second, (Body{3, 0, 0, 26, 12, 5, 14, 26, 12, 6, 8}));
}

TEST_F(XlsReportRead, ShortArchivesMismatchesAndFailures) {
    // The archive ends after ten hours of both devices: a shorter report.
    FillDay();
    auto hours = arch->Records(SimArchive::ChromHour);
    auto cut = [](std::vector<std::vector<uint8_t>> recs, int lastHourOf5th) {
        std::vector<std::vector<uint8_t>> out;
        for (auto& r : recs)
            if (r[2] < 5 || (r[2] == 5 && r[3] <= lastHourOf5th)) out.push_back(r);
        return out;
    };
    arch->SetRecords(SimArchive::ChromHour, cut(hours, 18));
    arch->SetRecords(SimArchive::WmtHour, cut(arch->Records(SimArchive::WmtHour), 18));
    XlsReportJob job;
    ASSERT_TRUE(ReadDayReportData({26, 12, 5, 9}, span, ui, job));
    EXPECT_EQ(job.chrom.size(), 10u);
    EXPECT_EQ(job.moist.size(), 10u);

    // One moisture hour fewer: the counts differ.
    arch->SetRecords(SimArchive::WmtHour, cut(arch->Records(SimArchive::WmtHour), 17));
    ClearQuesRecord();
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job));
    EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{
                           {"Несоответствие количества прочитанных данных", "хроматографа (10) и влагомера (9)"}}));

    // A moisture hour missing in the middle: its dates no longer pair with the chromatograph's.
    auto moist = cut(arch->Records(SimArchive::WmtHour), 18);
    FillDay();
    moist = arch->Records(SimArchive::WmtHour);
    moist.erase(std::find_if(moist.begin(), moist.end(), [](const auto& r) { return r[2] == 5 && r[3] == 12; }));
    arch->SetRecords(SimArchive::WmtHour, moist);
    ClearQuesRecord();
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job));
    ASSERT_FALSE(Shown().empty());
    EXPECT_EQ(Shown()[0], std::make_pair(std::string("Несоответствие дат в записях"),
                                         std::string("архивов данных хроматографа и влагомера")));

    // A chromatograph record of an earlier hour than asked for.
    FillDay();
    arch->SetReplyHook([](int, uint8_t function, std::vector<uint8_t>& data) {
        if (function == 15 && data.size() > 4 && data[0] > 0) data[1 + 3] = 3;  // first record's hour
    });
    ClearQuesRecord();
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job));
    EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{
                           {"Передаваемые контроллером данные не соответствуют", "запрошенному периоду"}}));
    arch->SetReplyHook({});
    EXPECT_EQ(g_AbortAllowed, 0);
}

TEST_F(XlsReportRead, DailyRecordsMissingOrDamaged) {
    FillDay();
    arch->SetRecords(SimArchive::ChromDay, {});
    XlsReportJob job;
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job));
    EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{
                           {"Суточные данные из архива", " хроматографа не прочитаны"}}));
    EXPECT_EQ(timers, 1);
    EXPECT_EQ(opened, 0);

    FillDay();
    auto days = arch->Records(SimArchive::WmtDay);
    for (auto& r : days) r[12] ^= 0x40;  // a value byte: the CRC no longer checks
    arch->SetRecords(SimArchive::WmtDay, days);
    ClearQuesRecord();
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job));
    EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{
                           {"Суточные данные влагомера недостоверны", "(не совпадает КС записи"}}));

    // No hourly record at all.
    FillDay();
    arch->SetRecords(SimArchive::ChromHour, {});
    ClearQuesRecord();
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job));
    EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{
                           {"Часовые данные хроматографа из архива", "не прочитаны"}}));
    EXPECT_EQ(closed, 1);

    // Esc between replies ends without a message.
    FillDay();
    ClearQuesRecord();
    SetMessagePump([] { g_Abort = 1; });
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job));
    SetMessagePump({});
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(g_AbortAllowed, 0);
}

TEST_F(XlsReportRead, MonthReadsTheDaysInsideTheSpanAndAveragesThem) {
    FillDay();
    // The archive begins on November 10th and ends on the 6th of December.
    span.begin = CtlMinuteTime(26, 11, 10, 10, 0);
    XlsReportJob job;
    ASSERT_TRUE(ReadMonthReportData({26, 11, 1, 9}, span, ui, job));
    ASSERT_EQ(job.chrom.size(), 21u);  // 10..30 November
    EXPECT_EQ(job.chrom.front().stamp.date[2], 10);
    EXPECT_EQ(job.chrom.back().stamp.date[2], 30);
    EXPECT_EQ(job.kind, 1);
    EXPECT_EQ(job.chromSummary.gas.v[11], MonthlyAverage(job.chrom).gas.v[11]);
    const auto req = Requests();
    EXPECT_EQ(req[0], std::make_pair(16, Body{3, 0, 0, 26, 11, 10, 26, 11, 30}));

    ClearQuesRecord();
    arch->ClearLog();
    ASSERT_TRUE(ReadMonthReportData({26, 12, 1, 9}, span, ui, job));
    EXPECT_EQ(job.chrom.size(), 6u);  // lowered to the span's end day
    EXPECT_EQ(Requests()[0], std::make_pair(16, Body{3, 0, 0, 26, 12, 1, 26, 12, 6}));
}

TEST_F(XlsReportRead, MonthWithADayMissingKeepsEveryDayOnItsOwnRow) {
    FillDay();
    // The 3rd of December is missing from both daily archives.
    for (SimArchive a : {SimArchive::ChromDay, SimArchive::WmtDay}) {
        auto days = arch->Records(a);
        days.erase(std::find_if(days.begin(), days.end(), [](const auto& r) { return r[1] == 12 && r[2] == 3; }));
        arch->SetRecords(a, days);
    }
    XlsReportJob job;
    ASSERT_TRUE(ReadMonthReportData({26, 12, 1, 9}, span, ui, job));
    ASSERT_EQ(job.chrom.size(), 5u);  // days 1, 2, 4, 5, 6
    job.objectName = Win("ГРС");

    TempDir dir;
    const std::string savedDir = g_ProgDir;
    g_ProgDir = dir.dir();
    BuildXlsTemplate(1, dir.dir() + kMonthTemplateName);
    const bool made = MakeXlsReport(job, {});
    g_ProgDir = savedDir;
    ASSERT_TRUE(made);

    auto app = xlsx::Application::Create("excel.application");
    xlsx::Worksheet& sh = app->WorkBooks().Open(dir.dir() + "REPORT/ГРС_mon_2612.xlsx").ActiveSheet();
    EXPECT_EQ(sh.Cells(4, 22).Text(), "За період з 01.12.26 по  06.12.26");
    for (int day = 1; day <= 7; ++day) {
        const int row = 9 + day;
        EXPECT_DOUBLE_EQ(sh.Cells(row, 1).Value().number, day) << "the template's day number";
        size_t i = 0;
        while (i < job.chrom.size() && job.chrom[i].stamp.date[2] != day) ++i;
        if (i == job.chrom.size()) {  // no record of that day: its row stays empty
            EXPECT_EQ(sh.Cells(row, 2).Value().kind, xlsx::CellValue::Empty) << day;
            EXPECT_EQ(sh.Cells(row, 24).Value().kind, xlsx::CellValue::Empty) << day;
            continue;
        }
        EXPECT_EQ(sh.Cells(row, 2).Value().text, F(job.chrom[i].gas.v[8])) << day;
        EXPECT_EQ(sh.Cells(row, 16).Value().text, F(job.chrom[i].gas.v[18])) << day;
        EXPECT_EQ(sh.Cells(row, 24).Value().text, F(job.moist[i].values[0])) << day;
    }
}
