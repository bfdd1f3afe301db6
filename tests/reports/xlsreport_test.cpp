// The daily and monthly spreadsheet reports: the cells written into the templates, the
// output names, the existing-file question and the failures of the spreadsheet work, and
// the archive reads behind them against the simulated controller.
#include "reports/xlsreport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
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

// Names a cell in a failure message.
std::string At(int row, int column) { return "row " + std::to_string(row) + " column " + std::to_string(column); }

// Every box and message the user saw, for a failure message.
std::string Seen(const Messages& msgs) {
    std::string s = "\n  message boxes:";
    for (size_t i = 0; i < msgs.texts.size(); ++i) s += " [" + msgs.captions[i] + ": " + msgs.texts[i] + "]";
    s += "\n  notices and questions:";
    for (const auto& q : ShownQues()) s += " [" + q.text1 + " | " + q.text2 + "]";
    return s;
}

// A record's date and hour as the user reads them, so that a failure names the hour.
std::string Hour(const CtlHourTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%02d %02d:00", t.day, t.month, t.year, t.hour);
    return buf;
}

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
    EXPECT_EQ(XlsReportPath(job), "/prog/REPORT/ГРС-1_day_260307.xlsx") << "day report of 07.03.26";
    job.kind = 1;
    EXPECT_EQ(XlsReportPath(job), "/prog/REPORT/ГРС-1_mon_2603.xlsx") << "month report of 03.26";
    // A name that holds a folder separator or a control character cannot name a file.
    job.objectName = std::string("A/B\x01", 4) + std::string(3, '\0');
    EXPECT_EQ(XlsReportPath(job), "/prog/REPORT/A_B__mon_2603.xlsx") << "object name \"A/B\\x01\" padded with NULs";
    EXPECT_EQ(XlsTemplatePath(0), "/prog/day_report_title_v13.xlsx") << "day template";
    EXPECT_EQ(XlsTemplatePath(1), "/prog/mon_report_title_v13.xlsx") << "month template";
    g_ProgDir = saved;
}

TEST(XlsReportNames, ColumnTables) {
    EXPECT_EQ(std::vector<int>(ExcelChromColumnTable, ExcelChromColumnTable + 20),
              (std::vector<int>{8, 10, 1, 2, 3, 4, 5, 6, 0, 255, 7, 9, 12, 18, 11, 13, 255, 255, 255, 255}))
        << "chromatograph value of each column from column 2 on";
    EXPECT_EQ(std::vector<int>(ExcelMoistureColumnOrder, ExcelMoistureColumnOrder + 4), (std::vector<int>{0, 3, 1, 2}))
        << "moisture value of columns 24..27";
}

TEST(XlsReportNames, MonthlyAverageSkipsDaysWithoutMethane) {
    std::vector<ChromHourDayRecord> days = {Chrom(1, 10), Chrom(2, 10), Chrom(3, 10, 0, 0.0005f),
                                            Chrom(4, 10, 0, std::numeric_limits<float>::quiet_NaN())};
    days[0].gas.v[11] = 38.0f;
    days[1].gas.v[11] = 39.0f;
    days[1].gas.v[8] = 92.5f;
    days[1].gas.v[18] = std::numeric_limits<float>::quiet_NaN();  // Hi invalid on one day
    const ChromHourDayRecord avg = MonthlyAverage(days);
    EXPECT_FLOAT_EQ(avg.gas.v[11], 38.5f) << "Hs: mean of days 1 and 2 only";
    EXPECT_FLOAT_EQ(avg.gas.v[8], 91.5f) << "methane: mean of days 1 and 2 only";
    EXPECT_FLOAT_EQ(avg.gas.v[18], 34.5f) << "Hi: day 1's alone, day 2's is invalid";
    EXPECT_EQ(avg.stamp.date[2], 0) << "the average's day";
    EXPECT_EQ(avg.status, 0) << "the average's status";
    const ChromHourDayRecord none = MonthlyAverage({Chrom(1, 10, 0, 0.0f)});
    for (int k = 0; k < kGasParamCount; ++k) EXPECT_EQ(none.gas.v[k], 0.0f) << "value " << k << " with no valid day";
}

TEST_F(XlsReportFill, DayReportWithTenHoursFillsTheirRowsAndTheDailyRow) {
    XlsReportJob job = DayJob(10);
    job.chrom[2].status = kChromNoLink;           // blanked chromatograph row
    job.chrom[3].gas.v[8] = 0.0005f;              // methane too low
    job.moist[4].status = kWmtNoLink;             // blanked moisture row
    job.chrom[5].status = kChromOutOfLimits;      // other bits do not blank
    ASSERT_TRUE(MakeXlsReport(job, msgs.Box())) << Seen(msgs);
    EXPECT_TRUE(msgs.texts.empty()) << Seen(msgs);
    const std::string path = dir.dir() + "REPORT/ГРС Северная_day_261205.xlsx";
    ASSERT_TRUE(FileExists(path)) << path;
    ASSERT_EQ(ShownQues().size(), 1u) << Seen(msgs);
    EXPECT_EQ(ShownQues()[0].text1, "Данные сохранены в файле ГРС Северная_day_261205.xlsx") << Seen(msgs);
    EXPECT_EQ(ShownQues()[0].kind, kQuesNotice) << "the saved notice's kind";

    xlsx::Worksheet& sh = Open(path);
    EXPECT_EQ(sh.Cells(2, 7).Text(), "ГРС Северная") << At(2, 7);
    EXPECT_EQ(sh.Cells(2, 1).Text(), "Объект:") << At(2, 1) << ", the template's own text";
    EXPECT_EQ(sh.Cells(4, 22).Text(), "За період з 05.12.26 09:00  по  05.12.26 18:00") << At(4, 22);
    EXPECT_EQ(sh.Cells(10, 1).Text(), "05.12.26  09:00") << At(10, 1);
    EXPECT_EQ(sh.Cells(19, 1).Text(), "05.12.26  18:00") << At(19, 1);
    EXPECT_EQ(sh.Cells(20, 1).Value().kind, xlsx::CellValue::Empty) << At(20, 1);
    EXPECT_EQ(sh.Cells(20, 2).Value().kind, xlsx::CellValue::Empty) << At(20, 2);

    // A good row: the components in column order, column 11 left alone, the heats three
    // times, the moisture values in their order, the gas temperature.
    const GasAnalysis& g = job.chrom[0].gas;
    EXPECT_EQ(sh.Cells(10, 2).Value().text, F(g.v[8])) << At(10, 2);
    EXPECT_EQ(sh.Cells(10, 3).Value().text, F(g.v[10])) << At(10, 3);
    EXPECT_EQ(sh.Cells(10, 10).Value().text, F(g.v[0])) << At(10, 10);
    EXPECT_EQ(sh.Cells(10, 11).Value().kind, xlsx::CellValue::Empty) << At(10, 11);
    EXPECT_EQ(sh.Cells(10, 12).Value().text, F(g.v[7])) << At(10, 12);
    EXPECT_EQ(sh.Cells(10, 13).Value().text, F(g.v[9])) << At(10, 13);
    EXPECT_EQ(sh.Cells(10, 14).Value().text, F(g.v[12])) << At(10, 14);
    EXPECT_EQ(sh.Cells(10, 15).Value().text, F(float(34.5f * 239.08))) << At(10, 15);
    EXPECT_EQ(sh.Cells(10, 16).Value().text, "34.5") << At(10, 16);
    EXPECT_EQ(sh.Cells(10, 17).Value().text, F(float(34.5f * 0.277778))) << At(10, 17);
    EXPECT_EQ(sh.Cells(10, 19).Value().text, "38.25") << At(10, 19);
    EXPECT_EQ(sh.Cells(10, 22).Value().text, "49.5") << At(10, 22);
    EXPECT_EQ(sh.Cells(10, 24).Value().text, "-12.5") << At(10, 24);
    EXPECT_EQ(sh.Cells(10, 25).Value().text, "-20.75") << At(10, 25);
    EXPECT_EQ(sh.Cells(10, 26).Value().text, "-8.25") << At(10, 26);
    EXPECT_EQ(sh.Cells(10, 27).Value().text, F(float(5.5f * 1.019716213))) << At(10, 27);
    EXPECT_EQ(sh.Cells(10, 28).Value().text, "12.5") << At(10, 28);
    EXPECT_EQ(sh.Cells(10, 2).Value().kind, xlsx::CellValue::Number) << At(10, 2);
    EXPECT_EQ(sh.Cells(10, 2).Format().numberFormat, "0.0000") << At(10, 2) << ", the template's format";

    // No link: "--" in 2..10 and 12..23; 11 and 28 untouched; moisture by its own status.
    for (int c = 2; c <= 23; ++c) {
        if (c == 11) continue;
        EXPECT_EQ(sh.Cells(12, c).Text(), "--") << At(12, c) << ", chromatograph without link";
        EXPECT_EQ(sh.Cells(13, c).Text(), "--") << At(13, c) << ", methane 0.0005";
    }
    EXPECT_EQ(sh.Cells(12, 11).Value().kind, xlsx::CellValue::Empty) << At(12, 11);
    EXPECT_EQ(sh.Cells(12, 28).Value().kind, xlsx::CellValue::Empty) << At(12, 28);
    EXPECT_EQ(sh.Cells(12, 24).Value().text, "-12.5") << At(12, 24);
    for (int c = 24; c <= 27; ++c)
        EXPECT_EQ(sh.Cells(14, c).Text(), "--") << At(14, c) << ", moisture analyser without link";
    EXPECT_EQ(sh.Cells(14, 2).Value().kind, xlsx::CellValue::Number) << At(14, 2);
    EXPECT_EQ(sh.Cells(15, 2).Value().kind, xlsx::CellValue::Number) << At(15, 2);

    // The daily row.
    EXPECT_EQ(sh.Cells(34, 2).Value().text, "91.25") << At(34, 2);
    EXPECT_EQ(sh.Cells(34, 24).Value().text, "-15.5") << At(34, 24);
    EXPECT_EQ(sh.Cells(34, 1).Text(), "За сутки") << At(34, 1);
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
    ASSERT_TRUE(MakeXlsReport(job, msgs.Box())) << Seen(msgs);
    xlsx::Worksheet& sh = Open(dir.dir() + "REPORT/Объект_mon_2612.xlsx");
    EXPECT_EQ(sh.Cells(4, 22).Text(), "За період з 05.12.26 по  07.12.26") << At(4, 22);
    EXPECT_EQ(sh.Cells(13, 2).Value().kind, xlsx::CellValue::Empty) << At(13, 2) << ", day 4 not read";
    EXPECT_EQ(sh.Cells(14, 2).Value().text, "90.5") << At(14, 2) << ", day 5";
    EXPECT_EQ(sh.Cells(15, 2).Text(), "--") << At(15, 2);
    EXPECT_EQ(sh.Cells(16, 28).Value().text, "12.5") << At(16, 28);
    EXPECT_DOUBLE_EQ(sh.Cells(14, 1).Value().number, 5) << At(14, 1) << ", the template's day number";
    // The average covers days 5..7 (day 6 has valid methane too: status does not count).
    EXPECT_EQ(sh.Cells(41, 16).Value().text, "34.5") << At(41, 16);
    EXPECT_EQ(sh.Cells(41, 15).Value().text, F(float(34.5f * 239.08))) << At(41, 15);
    EXPECT_EQ(sh.Cells(41, 19).Value().text, "38.25") << At(41, 19);
    EXPECT_EQ(sh.Cells(41, 20).Value().text, F(float(38.25f * 0.277778))) << At(41, 20);
    EXPECT_EQ(sh.Cells(41, 2).Value().kind, xlsx::CellValue::Empty) << At(41, 2);

    // No day with valid methane: the average row holds zeros.
    for (auto& c : job.chrom) c.gas.v[8] = 0;
    job.chromSummary = MonthlyAverage(job.chrom);
    QueueQuesAnswers({1});
    ASSERT_TRUE(MakeXlsReport(job, msgs.Box())) << Seen(msgs);
    xlsx::Worksheet& again = Open(dir.dir() + "REPORT/Объект_mon_2612.xlsx");
    for (int c = 15; c <= 20; ++c) EXPECT_EQ(again.Cells(41, c).Value().text, "0") << At(41, c) << ", no valid day";
}

TEST_F(XlsReportFill, ExistingReportIsReplacedOnlyAfterYes) {
    const XlsReportJob job = DayJob(2);
    ASSERT_TRUE(MakeDir(dir.dir() + "REPORT")) << dir.dir();
    const std::string path = dir.dir() + "REPORT/ГРС Северная_day_261205.xlsx";
    ASSERT_TRUE(WriteFileAtomic(path, std::string("old report"))) << path;
    QueueQuesAnswers({0});
    EXPECT_FALSE(MakeXlsReport(job, msgs.Box())) << "made after No" << Seen(msgs);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text)) << path;
    EXPECT_EQ(text, "old report") << "the report kept after No";
    ASSERT_EQ(ShownQues().size(), 1u) << Seen(msgs);
    EXPECT_EQ(ShownQues()[0].kind, kQuesQuestion) << Seen(msgs);
    EXPECT_EQ(ShownQues()[0].text1, "Файл отчета ГРС Северная_day_261205.xlsx уже есть.") << Seen(msgs);
    EXPECT_EQ(ShownQues()[0].text2, "Вы хотите заменить существующий отчет?") << Seen(msgs);

    QueueQuesAnswers({1});
    EXPECT_TRUE(MakeXlsReport(job, msgs.Box())) << "not made after Yes" << Seen(msgs);
    EXPECT_EQ(Open(path).Cells(2, 7).Text(), "ГРС Северная") << "the replaced report's " << At(2, 7);
    EXPECT_TRUE(msgs.texts.empty()) << Seen(msgs);
}

TEST_F(XlsReportFill, FailuresOfTheSpreadsheetWork) {
    XlsReportJob job = DayJob(1);
    xlsx::g_XlsxUnavailable = true;
    EXPECT_FALSE(MakeXlsReport(job, msgs.Box())) << "made without the spreadsheet application" << Seen(msgs);
    ASSERT_EQ(msgs.texts.size(), 1u) << Seen(msgs);
    EXPECT_EQ(msgs.texts[0], kXlsNoApplication) << Seen(msgs);
    EXPECT_EQ(msgs.captions[0], "Ошибка") << Seen(msgs);
    xlsx::g_XlsxUnavailable = false;

    // A damaged template: the file error, no report, no "saved" notice.
    ASSERT_TRUE(WriteFileAtomic(dir.dir() + kDayTemplateName, std::string("damaged"))) << dir.dir();
    msgs.texts.clear();
    msgs.captions.clear();
    ClearQuesRecord();
    EXPECT_FALSE(MakeXlsReport(job, msgs.Box())) << "made from a damaged template" << Seen(msgs);
    EXPECT_EQ(msgs.texts, std::vector<std::string>{kXlsFileError}) << Seen(msgs);
    EXPECT_TRUE(ShownQues().empty()) << Seen(msgs);
    EXPECT_FALSE(FileExists(XlsReportPath(job))) << XlsReportPath(job);
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
        ASSERT_FALSE(link.path.empty()) << "no pseudo-terminal for the simulated controller";
        ASSERT_TRUE(link.Attach(5)) << "cannot open " << link.path;
        // These reads are judged by what the controller answers, never by how soon: the
        // simulated line's 50 ms between reply bytes and a 2 s wait for the first one are
        // exceeded on a loaded machine (a sanitizer build among other work), and the read
        // then ends with "reply incomplete" or "no reply" instead of the case under test.
        link.box()->ReplyMs = 20000;
        link.box()->InterByteMs = 10000;
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
    // What a failed read leaves behind, for the failure message: the notices shown, the
    // status panel texts, the engine's last result and the requests the controller answered.
    std::string Why() {
        std::string s = "\n  shown:";
        for (const auto& [a, b] : Shown()) s += " [" + a + " | " + b + "]";
        s += "\n  panel:";
        for (const auto& t : bar.texts)
            if (t != "2:") s += " [" + t + "]";
        if (g_Hgc) s += "\n  engine result " + std::to_string(g_Hgc->Result) + ": " + g_Hgc->ResultText();
        s += "\n  requests answered:";
        for (const auto& [f, body] : Requests()) {
            s += " " + std::to_string(f) + "{";
            for (size_t i = 0; i < body.size(); ++i) s += (i ? "," : "") + std::to_string(body[i]);
            s += "}";
        }
        return s;
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
    ASSERT_TRUE(ReadDayReportData({26, 12, 5, 9}, span, ui, job)) << Why();
    EXPECT_TRUE(Shown().empty()) << Why();
    ASSERT_EQ(job.chrom.size(), 24u) << "chromatograph hours" << Why();
    ASSERT_EQ(job.moist.size(), 24u) << "moisture hours" << Why();
    EXPECT_EQ(Hour(job.chrom.front().stamp.DateHour()), "05.12.26 09:00") << "first chromatograph hour";
    EXPECT_EQ(Hour(job.chrom.back().stamp.DateHour()), "06.12.26 08:00") << "last chromatograph hour";
    EXPECT_EQ(Hour(job.moist.back().stamp.DateHour()), "06.12.26 08:00") << "last moisture hour";
    EXPECT_EQ(job.chromSummary.stamp.date[2], 5) << "day of the chromatograph's daily record";
    EXPECT_EQ(job.moistSummary.stamp.date[2], 5) << "day of the moisture analyser's daily record";
    EXPECT_EQ(job.kind, 0) << "report kind";

    const auto req = Requests();
    ASSERT_GE(req.size(), 2u + 12u + 3u) << Why();
    EXPECT_EQ(req[0], std::make_pair(16, Body{3, 0, 0, 26, 12, 5, 26, 12, 5})) << "request 0" << Why();
    EXPECT_EQ(req[1], std::make_pair(16, Body{3, 0, 1, 26, 12, 5, 26, 12, 5})) << "request 1" << Why();
    EXPECT_EQ(req[2], std::make_pair(15, Body{3, 0, 0, 26, 12, 5, 9, 26, 12, 6, 8})) << "request 2" << Why();
    // Two chromatograph records a reply: the next request starts two hours on.
    EXPECT_EQ(req[3], std::make_pair(15, Body{3, 0, 0, 26, 12, 5, 11, 26, 12, 6, 8})) << "request 3" << Why();
    EXPECT_EQ(req[14], std::make_pair(15, Body{3, 0, 1, 26, 12, 5, 9, 26, 12, 6, 8})) << "request 14" << Why();
    EXPECT_EQ(req[15], std::make_pair(15, Body{3, 0, 1, 26, 12, 5, 17, 26, 12, 6, 8})) << "request 15" << Why();
    EXPECT_EQ(req.size(), 2u + 12u + 3u) << Why();
    EXPECT_EQ(opened, 1) << "waiting windows opened";
    EXPECT_EQ(waitMax, 48) << "progress maximum";
    EXPECT_EQ(closed, 1) << "waiting windows closed";
    EXPECT_EQ(g_AbortAllowed, 0) << "Esc still allowed after the read";

    // The day before, with a stale copy of the second hourly reply going out right ahead of
    // the third one's: the copy is skipped, and the day reads as before.
    arch->ClearLog();
    link.sim.SetFatePlan([](int i) {
        ctlsim::ReplyFate fate;
        fate.staleBack = i == 5 ? 1 : 0;
        return fate;
    });
    const bool read = ReadDayReportData({26, 12, 4, 9}, span, ui, job);
    link.sim.SetFatePlan(nullptr);
    ASSERT_TRUE(read) << "a stale copy ahead of a reply" << Why();
    EXPECT_TRUE(Shown().empty()) << "a stale copy ahead of a reply" << Why();
    EXPECT_EQ(job.chrom.size(), 24u) << "chromatograph hours after a stale copy" << Why();
    EXPECT_EQ(Hour(job.chrom.back().stamp.DateHour()), "05.12.26 08:00") << "last chromatograph hour";
    EXPECT_EQ(Requests().size(), 2u + 12u + 3u) << "a stale copy ahead of a reply" << Why();
}

TEST_F(XlsReportRead, DayBeginningBeforeTheArchiveStartsAtTheSpan) {
    FillDay();
    span.begin = CtlMinuteTime(26, 12, 5, 14, 0);
    XlsReportJob job;
    ASSERT_TRUE(ReadDayReportData({26, 12, 5, 9}, span, ui, job)) << Why();
    EXPECT_EQ(job.chrom.size(), 19u) << "chromatograph hours" << Why();
    ASSERT_FALSE(job.chrom.empty()) << Why();
    EXPECT_EQ(Hour(job.chrom.front().stamp.DateHour()), "05.12.26 14:00") << "first chromatograph hour";
    const auto req = Requests();
    ASSERT_GE(req.size(), 3u) << Why();
    EXPECT_EQ(req[2].second, (Body{3, 0, 0, 26, 12, 5, 14, 26, 12, 6, 8})) << "first hourly request" << Why();
}

TEST_F(XlsReportRead, ShortArchivesMismatchesAndFailures) {
    using Lines = std::vector<std::pair<std::string, std::string>>;
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
    ASSERT_TRUE(ReadDayReportData({26, 12, 5, 9}, span, ui, job)) << "archives ending at 18:00" << Why();
    EXPECT_EQ(job.chrom.size(), 10u) << "chromatograph hours" << Why();
    EXPECT_EQ(job.moist.size(), 10u) << "moisture hours" << Why();

    // One moisture hour fewer: the counts differ.
    arch->SetRecords(SimArchive::WmtHour, cut(arch->Records(SimArchive::WmtHour), 17));
    ClearQuesRecord();
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job)) << "one moisture hour fewer" << Why();
    EXPECT_EQ(Shown(), (Lines{{"Несоответствие количества прочитанных данных", "хроматографа (10) и влагомера (9)"}}))
        << "one moisture hour fewer" << Why();

    // A moisture hour missing in the middle: its dates no longer pair with the chromatograph's.
    FillDay();
    auto moist = arch->Records(SimArchive::WmtHour);
    moist.erase(std::find_if(moist.begin(), moist.end(), [](const auto& r) { return r[2] == 5 && r[3] == 12; }));
    arch->SetRecords(SimArchive::WmtHour, moist);
    ClearQuesRecord();
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job)) << "moisture 12:00 missing" << Why();
    ASSERT_FALSE(Shown().empty()) << "moisture 12:00 missing" << Why();
    EXPECT_EQ(Shown()[0], std::make_pair(std::string("Несоответствие дат в записях"),
                                         std::string("архивов данных хроматографа и влагомера")))
        << "moisture 12:00 missing" << Why();

    // A chromatograph record of an earlier hour than asked for.
    FillDay();
    arch->SetReplyHook([](int, uint8_t function, std::vector<uint8_t>& data) {
        if (function == 15 && data.size() > 4 && data[0] > 0) data[1 + 3] = 3;  // first record's hour
    });
    ClearQuesRecord();
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job)) << "a record of 03:00" << Why();
    EXPECT_EQ(Shown(), (Lines{{"Передаваемые контроллером данные не соответствуют", "запрошенному периоду"}}))
        << "a record of 03:00" << Why();
    arch->SetReplyHook({});
    EXPECT_EQ(g_AbortAllowed, 0) << "Esc still allowed after the read";
}

TEST_F(XlsReportRead, DailyRecordsMissingOrDamaged) {
    using Lines = std::vector<std::pair<std::string, std::string>>;
    FillDay();
    arch->SetRecords(SimArchive::ChromDay, {});
    XlsReportJob job;
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job)) << "no chromatograph daily record" << Why();
    EXPECT_EQ(Shown(), (Lines{{"Суточные данные из архива", " хроматографа не прочитаны"}}))
        << "no chromatograph daily record" << Why();
    EXPECT_EQ(timers, 1) << "panel timers started";
    EXPECT_EQ(opened, 0) << "waiting windows opened";

    FillDay();
    auto days = arch->Records(SimArchive::WmtDay);
    for (auto& r : days) r[12] ^= 0x40;  // a value byte: the CRC no longer checks
    arch->SetRecords(SimArchive::WmtDay, days);
    ClearQuesRecord();
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job)) << "moisture daily record damaged" << Why();
    EXPECT_EQ(Shown(), (Lines{{"Суточные данные влагомера недостоверны", "(не совпадает КС записи"}}))
        << "moisture daily record damaged" << Why();

    // No hourly record at all.
    FillDay();
    arch->SetRecords(SimArchive::ChromHour, {});
    ClearQuesRecord();
    EXPECT_FALSE(ReadDayReportData({26, 12, 5, 9}, span, ui, job)) << "no chromatograph hour" << Why();
    EXPECT_EQ(Shown(), (Lines{{"Часовые данные хроматографа из архива", "не прочитаны"}}))
        << "no chromatograph hour" << Why();
    EXPECT_EQ(closed, 1) << "waiting windows closed";

    // Esc between replies ends without a message.
    FillDay();
    ClearQuesRecord();
    SetMessagePump([] { g_Abort = 1; });
    const bool read = ReadDayReportData({26, 12, 5, 9}, span, ui, job);
    SetMessagePump({});
    EXPECT_FALSE(read) << "read on after Esc" << Why();
    EXPECT_TRUE(Shown().empty()) << "Esc" << Why();
    EXPECT_EQ(g_AbortAllowed, 0) << "Esc still allowed after the read";
}

TEST_F(XlsReportRead, MonthReadsTheDaysInsideTheSpanAndAveragesThem) {
    FillDay();
    // The archive begins on November 10th and ends on the 6th of December.
    span.begin = CtlMinuteTime(26, 11, 10, 10, 0);
    XlsReportJob job;
    ASSERT_TRUE(ReadMonthReportData({26, 11, 1, 9}, span, ui, job)) << "November" << Why();
    ASSERT_EQ(job.chrom.size(), 21u) << "November days, 10..30" << Why();
    EXPECT_EQ(job.chrom.front().stamp.date[2], 10) << "first day read";
    EXPECT_EQ(job.chrom.back().stamp.date[2], 30) << "last day read";
    EXPECT_EQ(job.kind, 1) << "report kind";
    EXPECT_EQ(job.chromSummary.gas.v[11], MonthlyAverage(job.chrom).gas.v[11]) << "the month's Hs";
    const auto req = Requests();
    ASSERT_FALSE(req.empty()) << Why();
    EXPECT_EQ(req[0], std::make_pair(16, Body{3, 0, 0, 26, 11, 10, 26, 11, 30})) << "first November request" << Why();

    ClearQuesRecord();
    arch->ClearLog();
    ASSERT_TRUE(ReadMonthReportData({26, 12, 1, 9}, span, ui, job)) << "December" << Why();
    EXPECT_EQ(job.chrom.size(), 6u) << "December days, lowered to the span's end day" << Why();
    const auto december = Requests();
    ASSERT_FALSE(december.empty()) << Why();
    EXPECT_EQ(december[0], std::make_pair(16, Body{3, 0, 0, 26, 12, 1, 26, 12, 6})) << "first December request"
                                                                                    << Why();
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
    ASSERT_TRUE(ReadMonthReportData({26, 12, 1, 9}, span, ui, job)) << Why();
    ASSERT_EQ(job.chrom.size(), 5u) << "days 1, 2, 4, 5, 6" << Why();
    job.objectName = Win("ГРС");

    TempDir dir;
    const std::string savedDir = g_ProgDir;
    g_ProgDir = dir.dir();
    BuildXlsTemplate(1, dir.dir() + kMonthTemplateName);
    const bool made = MakeXlsReport(job, {});
    g_ProgDir = savedDir;
    ASSERT_TRUE(made) << Why();

    auto app = xlsx::Application::Create("excel.application");
    xlsx::Worksheet& sh = app->WorkBooks().Open(dir.dir() + "REPORT/ГРС_mon_2612.xlsx").ActiveSheet();
    EXPECT_EQ(sh.Cells(4, 22).Text(), "За період з 01.12.26 по  06.12.26") << At(4, 22);
    for (int day = 1; day <= 7; ++day) {
        const int row = 9 + day;
        EXPECT_DOUBLE_EQ(sh.Cells(row, 1).Value().number, day) << At(row, 1) << ", the template's day number";
        size_t i = 0;
        while (i < job.chrom.size() && job.chrom[i].stamp.date[2] != day) ++i;
        if (i == job.chrom.size()) {  // no record of that day: its row stays empty
            EXPECT_EQ(sh.Cells(row, 2).Value().kind, xlsx::CellValue::Empty) << At(row, 2) << ", day " << day;
            EXPECT_EQ(sh.Cells(row, 24).Value().kind, xlsx::CellValue::Empty) << At(row, 24) << ", day " << day;
            continue;
        }
        EXPECT_EQ(sh.Cells(row, 2).Value().text, F(job.chrom[i].gas.v[8])) << At(row, 2) << ", day " << day;
        EXPECT_EQ(sh.Cells(row, 16).Value().text, F(job.chrom[i].gas.v[18])) << At(row, 16) << ", day " << day;
        EXPECT_EQ(sh.Cells(row, 24).Value().text, F(job.moist[i].values[0])) << At(row, 24) << ", day " << day;
    }
}
