// The spreadsheet report commands offscreen: the date and object dialog (texts, day list,
// accept checks), the missing template, a whole daily report from the simulated
// controller, and the export command of the archive views (dialog set-up, extension,
// replace question).
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

#include "app/rd_wr_ini.h"
#include "common/codepage.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/stringi.h"
#include "ctlsim/archive.h"
#include "link/tabledir.h"
#include "params/ui/simlink.h"
#include "reports/ui/xlsexport.h"
#include "reports/ui/xlsreport.h"
#include "reports/xltemplate.h"
#include "support/tempdir.h"

using namespace qvr;

namespace {

std::vector<std::pair<std::string, std::string>> Shown() {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& q : ShownQues()) out.emplace_back(q.text1, q.text2);
    return out;
}

void AddObject(const char* name) {
    ObjectEntry& e = ObjectList.entries[ObjectList.obj_num++];
    std::memset(&e, 0, sizeof e);
    std::snprintf(e.obj_name, sizeof e.obj_name, "%s", Win(name).c_str());
    e.contr_adr = 5;
}

class XlsReportUi : public ::testing::Test {
protected:
    void SetUp() override {
        InitStringTable();
        ObjectList = ObjectListRecord{};
        span.begin = CtlMinuteTime(26, 11, 10, 10, 0);
        span.end = CtlMinuteTime(26, 12, 6, 10, 0);
        ClearQuesRecord();
        savedDir = g_ProgDir;
        g_ProgDir = dir.dir();
    }
    void TearDown() override {
        ClearQuesRecord();
        g_ProgDir = savedDir;
        SetExcRepDateChooser({});
        SetXlsMessageHook({});
        SetExcelSaveDialogHook({});
    }
    ArchiveSpan span;
    TempDir dir;
    std::string savedDir;
};

}  // namespace

TEST_F(XlsReportUi, DateDialogShowsTheSpanAndTheObjects) {
    AddObject("Первый");
    AddObject("Второй");
    ObjectList.obj_index = 1;
    TFormExcRep_Date form;
    form.Span = &span;
    form.Mode = 0;
    form.FormShow();
    EXPECT_EQ(form.windowTitle(), " Параметры отчета за сутки");
    EXPECT_EQ(form.Label1->text(), "Дата самой старой записи в архиве суточных данных:  10.11.26");
    EXPECT_EQ(form.Label2->text(), "Дата последней записи в архиве:  06.12.26");
    EXPECT_EQ(form.UpDown1->value(), 2026);
    EXPECT_EQ(form.ComboBox1->currentIndex(), 11);
    EXPECT_EQ(form.ComboBox1->itemText(0), "Январь");
    EXPECT_EQ(form.ComboBox2->count(), 31);
    EXPECT_EQ(form.ComboBox2->currentIndex(), 5);
    ASSERT_EQ(form.ComboBox3->count(), 3);
    EXPECT_EQ(form.ComboBox3->itemText(1), "Второй");
    EXPECT_EQ(form.ComboBox3->itemText(2), "Новый объект");
    EXPECT_EQ(form.ComboBox3->currentIndex(), 1);

    // Day 31, then November: the day is lowered to 30.
    form.ComboBox2->setCurrentIndex(30);
    form.ComboBox2Change(30);
    form.ComboBox1->setCurrentIndex(10);
    form.ComboBox1Change(10);
    EXPECT_EQ(form.ComboBox2->count(), 30);
    EXPECT_EQ(form.DateTime[2], 30);

    // Before the span: refused; inside: accepted with the contract hour.
    form.ComboBox2->setCurrentIndex(8);
    form.ComboBox2Change(8);
    form.BitBtn1Click();
    EXPECT_EQ(form.Accepted, 0);
    EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{
                           {"В архиве нет данных за указанную дату", "(см. период имеющихся в архиве данных)"}}));
    // A contract hour the controller cannot hold (30) is taken as 9, as in the daily report.
    TablePtr(6)[6] = 30;
    form.ComboBox2->setCurrentIndex(9);
    form.ComboBox2Change(9);
    form.BitBtn1Click();
    TablePtr(6)[6] = 9;
    EXPECT_EQ(form.Accepted, 1);
    EXPECT_EQ(std::vector<int>(form.DateTime, form.DateTime + 4), (std::vector<int>{26, 11, 10, 9}));
}

TEST_F(XlsReportUi, DateDialogNeedsAnObjectAndChecksMonthsByMonth) {
    TFormExcRep_Date form;
    form.Span = &span;
    form.Mode = 1;
    form.FormShow();
    EXPECT_EQ(form.windowTitle(), " Параметры отчета за месяц");
    EXPECT_TRUE(form.ComboBox2->isHidden());
    EXPECT_EQ(form.ComboBox3->count(), 1);  // only "Новый объект"
    EXPECT_EQ(form.ComboBox3->currentIndex(), -1);
    form.BitBtn1Click();
    EXPECT_EQ(form.Accepted, 0);
    EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{{"Не введено наименование объекта", ""}}));

    AddObject("Объект");
    form.FormShow();
    form.ComboBox3->setCurrentIndex(0);
    form.DateTime[1] = 11;
    form.DateTime[2] = 1;  // the month of the span's begin counts, whatever the day
    form.BitBtn1Click();
    EXPECT_EQ(form.Accepted, 1);
}

TEST_F(XlsReportUi, MissingTemplateStopsTheCommand) {
    ClearQuesRecord();
    NExcMonClick(nullptr, nullptr, nullptr);
    EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{
                           {"В рабочем каталоге отсутствует файл mon_report_title_v13.xlsx",
                            "Обратитесь к разработчику программного обеспечения"}}));
}

TEST_F(XlsReportUi, DailyReportFromTheSimulatedController) {
    BuildXlsTemplate(0, dir.dir() + "day_report_title_v13.xlsx");
    SimLink link{5, 74};
    ASSERT_TRUE(link.Attach(5));
    link.box()->ReplyMs = 2000;
    ctlsim::ArchiveSim arch(link.sim);
    arch.SetClock(CtlDateTime(26, 12, 6, 12, 0, 0));
    arch.SetOldest(2, CtlDateTime(26, 11, 10, 10, 0, 0));
    link.sim.SetTableBytes(6, 6, {9});
    arch.Generate(ctlsim::SimArchive::ChromHour, CtlDateTime(26, 12, 4, 0, 0, 0), CtlDateTime(26, 12, 6, 11, 0, 0));
    arch.Generate(ctlsim::SimArchive::WmtHour, CtlDateTime(26, 12, 4, 0, 0, 0), CtlDateTime(26, 12, 6, 11, 0, 0));
    arch.Generate(ctlsim::SimArchive::ChromDay, CtlDateTime(26, 11, 10, 0, 0, 0), CtlDateTime(26, 12, 5, 0, 0, 0));
    arch.Generate(ctlsim::SimArchive::WmtDay, CtlDateTime(26, 11, 10, 0, 0, 0), CtlDateTime(26, 12, 5, 0, 0, 0));
    AddObject("ГРС");
    SetExcRepDateChooser([](uint8_t mode, ArchiveSpan* s, uint8_t dt[6]) {
        EXPECT_EQ(mode, 0);
        EXPECT_NE(s, nullptr);
        const uint8_t chosen[6] = {26, 12, 5, 9, 0, 0};
        std::memcpy(dt, chosen, 6);
        return true;
    });
    std::vector<std::string> boxes;
    SetXlsMessageHook([&](const std::string& t, const std::string&, bool) { boxes.push_back(t); });
    QWidget main;
    NExcDayClick(&main, nullptr, nullptr);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(main.isEnabled());
    const std::string out = dir.dir() + "REPORT/ГРС_day_261205.xlsx";
    ASSERT_TRUE(FileExists(out)) << (Shown().empty() ? "" : Shown().back().first);
    EXPECT_EQ(Shown().back().first, "Данные сохранены в файле ГРС_day_261205.xlsx");
    auto app = xlsx::Application::Create("excel.application");
    xlsx::Worksheet& sh = app->WorkBooks().Open(out).ActiveSheet();
    EXPECT_EQ(sh.Cells(2, 7).Text(), "ГРС");
    EXPECT_EQ(sh.Cells(10, 1).Text(), "05.12.26  09:00");
    EXPECT_EQ(sh.Cells(33, 1).Text(), "06.12.26  08:00");
    EXPECT_EQ(sh.Cells(4, 22).Text(), "За період з 05.12.26 09:00  по  06.12.26 08:00");
    EXPECT_EQ(sh.Cells(34, 2).Value().kind, xlsx::CellValue::Number);
    link.sim.Stop();
}

TEST_F(XlsReportUi, ExportCommandSetsUpTheDialogAndAddsTheExtension) {
    ExcelSaveRequest seen;
    QString answer = QString::fromStdString(dir.dir() + "export");
    SetExcelSaveDialogHook([&](const ExcelSaveRequest& r) {
        seen = r;
        return answer;
    });
    ChromExcelExport in;
    in.leftColumns = 2;
    in.caption = "Мгновенные данные";
    in.recordCount = 1;
    in.leftText = [](int, int c) { return c == 1 ? std::string("05.12.26") : std::string("10:05"); };
    in.valueText = [](int, int c) { return std::to_string(c); };
    QWidget view;
    ASSERT_TRUE(ExportChromViewCommand(&view, DataKind::Chrom5Min, 7, in));
    EXPECT_TRUE(view.isEnabled());
    EXPECT_EQ(seen.title, "Введите имя файла для сохранения данных");
    EXPECT_EQ(seen.folder.toStdString(), dir.dir() + "MOMDATA");
    EXPECT_TRUE(seen.proposed.startsWith(QString::fromStdString(dir.dir() + "MOMDATA/qvr_13-007-")));
    EXPECT_TRUE(seen.proposed.endsWith(".xlsx"));
    ASSERT_TRUE(FileExists(dir.dir() + "export.xlsx"));

    // The same name again, and No: the file stays as it was.
    const long long size = FileSize(dir.dir() + "export.xlsx");
    ClearQuesRecord();
    QueueQuesAnswers({0});
    in.recordCount = 0;
    EXPECT_FALSE(ExportChromViewCommand(&view, DataKind::Chrom5Min, 7, in));
    EXPECT_EQ(FileSize(dir.dir() + "export.xlsx"), size);
    EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{
                           {"Файл export.xlsx уже есть.", "Вы хотите заменить существующий файл?"}}));
    // Cancel does nothing.
    answer.clear();
    EXPECT_FALSE(ExportChromViewCommand(&view, DataKind::ChromDay, 7, in));
}
