// Export of the chromatograph archive views into a workbook: layout of both view kinds,
// headings by the report settings, grid texts as shown, empty columns of the active
// order, progress, names, the replace question and the failures.
#include "reports/xlsexport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "reports/chromorder.h"
#include "support/tempdir.h"

using namespace qvr;

namespace {

class CountingProgress : public IProgress {
public:
    void SetMax(int) override {}
    void SetPosition(int p) override { last = p; ++steps; }
    int last = 0, steps = 0;
};

ChromExcelExport View(int leftColumns, int n) {
    ChromExcelExport in;
    in.leftColumns = leftColumns;
    in.caption = "Часовые данные хроматографа";
    in.methodLine = "Расчет по ГОСТ";
    in.recordCount = n;
    in.leftText = [](int row, int col) { return "L" + std::to_string(row) + "." + std::to_string(col); };
    in.valueText = [](int row, int col) {
        if (row == 1) return std::string(" ---");
        return std::to_string(row) + ":" + std::to_string(col);
    };
    in.activeOrder = ChromParamDisplayOrderNoOxygen;
    return in;
}

// A stored part of a workbook that the export wrote before its rows were streamed.
std::string Stored(const char* name) {
    std::string text;
    ReadWholeFile((std::filesystem::path(__FILE__).parent_path() / "data" / name).string(), text);
    return text;
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

}  // namespace

TEST(XlsExport, HourDayViewLayoutAndRows) {
    TempDir dir;
    const std::string path = dir.dir() + "out.xlsx";
    CountingProgress progress;
    Messages msgs;
    ClearQuesRecord();
    ChromExcelExport in = View(3, 3);
    in.przComposition = 1;
    in.thermalUnit = 1;
    in.leftText = [left = in.leftText](int row, int col) {
        if (row == 2 && col == 2) return std::string("a<b&c>\"d' e ");
        if (row == 0 && col == 3) return std::string();
        return left(row, col);
    };
    ASSERT_TRUE(ExportChromViewToExcel(in, path, &progress, msgs.Box()));
    EXPECT_TRUE(msgs.texts.empty());
    // Byte for byte the sheet and the formats the export wrote when it held every cell.
    auto parts = xlsx::ReadZipParts(path);
    EXPECT_EQ(parts["xl/worksheets/sheet1.xml"], Stored("xlsexport_hour_sheet1.xml"));
    EXPECT_EQ(parts["xl/styles.xml"], Stored("xlsexport_hour_styles.xml"));
    EXPECT_EQ(progress.steps, 3 + 5);
    EXPECT_EQ(progress.last, 3 + 5);
    ASSERT_EQ(ShownQues().size(), 1u);
    EXPECT_EQ(ShownQues()[0].text1, "Данные сохранены в файле out.xlsx");
    EXPECT_EQ(ShownQues()[0].kind, kQuesNotice);

    auto app = xlsx::Application::Create("excel.application");
    xlsx::Worksheet& sh = app->WorkBooks().Open(path).ActiveSheet();
    EXPECT_EQ(sh.Cells(1, 1).Text(), "Часовые данные хроматографа.   Расчет по ГОСТ");
    const xlsx::CellFormat t = sh.Cells(1, 22).Format();
    EXPECT_EQ(t.top, "thin");
    EXPECT_EQ(t.bottom, "thin");
    EXPECT_EQ(t.fontName, "Times New Roman");
    EXPECT_DOUBLE_EQ(t.fontSize, 12);
    EXPECT_DOUBLE_EQ(sh.RowHeightOf(1), 18);
    EXPECT_EQ(sh.Cells(1, 23).Format().top, "");  // the title lines stop at column 22
    for (int c = 1; c <= 23; ++c) EXPECT_DOUBLE_EQ(sh.ColumnWidthOf(c), 9) << c;
    EXPECT_DOUBLE_EQ(sh.ColumnWidthOf(24), 0);

    // The heading block: silver, centred, the left headings of the hour/day view.
    const xlsx::CellFormat h = sh.Cells(3, 23).Format();
    EXPECT_TRUE(h.filled);
    EXPECT_EQ(h.fillRgb, 0xC0C0C0u);
    EXPECT_EQ(h.horizontal, "center");
    EXPECT_DOUBLE_EQ(h.fontSize, 10);
    EXPECT_EQ(sh.Cells(5, 10).Format().bottom, "thin");
    EXPECT_EQ(sh.Cells(2, 1).Text(), "                            Начало");
    EXPECT_EQ(sh.Cells(2, 3).Text(), "Конец");
    EXPECT_EQ(sh.Cells(4, 1).Text(), "Дата");
    EXPECT_EQ(sh.Cells(4, 2).Text(), "Время");
    EXPECT_EQ(sh.Cells(4, 3).Text(), "Время");
    EXPECT_EQ(sh.Cells(4, 1).Format().top, "thin");
    EXPECT_EQ(sh.Cells(4, 1).Format().right, "thin");
    EXPECT_EQ(sh.Cells(2, 3).Format().left, "thin");
    EXPECT_EQ(sh.Cells(5, 3).Format().right, "thin");

    // Gas-parameter headings from column 4: volume fractions, kcal.
    EXPECT_EQ(sh.Cells(2, 4).Text(), "ОД");
    EXPECT_EQ(sh.Cells(3, 4).Text(), "C6 + 47");
    EXPECT_EQ(sh.Cells(5, 4).Text(), "%");
    EXPECT_EQ(sh.Cells(2, 4 + 11).Text(), "ОД");  // oxygen keeps its heading
    EXPECT_EQ(sh.Cells(3, 4 + 11).Text(), "кисло-");
    EXPECT_EQ(sh.Cells(2, 4 + 12).Text(), "Удельная");
    EXPECT_EQ(sh.Cells(5, 4 + 12).Text(), "ккал/м3");
    EXPECT_EQ(sh.Cells(5, 4 + 19).Text(), "°С");  // gas temperature, last position
    EXPECT_EQ(sh.Cells(5, 4 + 17).Text(), " ");
    EXPECT_EQ(sh.Cells(5, 23).Format().right, "thin");

    // Rows: left texts, value texts in their display columns, the oxygen column empty,
    // blanked texts carried over as shown.
    EXPECT_EQ(sh.Cells(6, 1).Text(), "L0.1");
    EXPECT_EQ(sh.Cells(8, 3).Text(), "L2.3");
    EXPECT_EQ(sh.Cells(6, 4).Text(), "0:0");
    EXPECT_EQ(sh.Cells(6, 4).Value().kind, xlsx::CellValue::Text);
    EXPECT_EQ(sh.Cells(8, 23).Text(), "2:19");
    EXPECT_EQ(sh.Cells(6, 4 + 11).Value().kind, xlsx::CellValue::Empty);
    EXPECT_EQ(sh.Cells(7, 5).Text(), " ---");
    EXPECT_EQ(sh.Cells(9, 4).Value().kind, xlsx::CellValue::Empty);
    EXPECT_EQ(sh.Cells(9, 4).Format().fontName, "Times New Roman");  // rows 6..n+6 formatted
    EXPECT_EQ(sh.Cells(6, 1).Format().horizontal, "center");
}

TEST(XlsExport, FiveMinuteViewWithoutRecordsHasTitleAndHeadingsOnly) {
    TempDir dir;
    ClearQuesRecord();
    ChromExcelExport in = View(2, 0);
    in.activeOrder = ChromParamDisplayOrder;  // with oxygen
    ASSERT_TRUE(ExportChromViewToExcel(in, dir.dir() + "m.xlsx", nullptr, {}));
    auto app = xlsx::Application::Create("excel.application");
    xlsx::Worksheet& sh = app->WorkBooks().Open(dir.dir() + "m.xlsx").ActiveSheet();
    EXPECT_EQ(sh.Cells(3, 1).Text(), "Дата");
    EXPECT_EQ(sh.Cells(3, 2).Text(), "Время");
    EXPECT_EQ(sh.Cells(2, 1).Format().left, "thin");
    EXPECT_EQ(sh.Cells(5, 1).Format().right, "thin");
    EXPECT_EQ(sh.Cells(4, 2).Format().right, "thin");
    EXPECT_EQ(sh.Cells(2, 3).Text(), "МД");      // mole fractions
    EXPECT_EQ(sh.Cells(5, 3 + 12).Text(), "МДж/м3");
    EXPECT_EQ(sh.Cells(6, 1).Value().kind, xlsx::CellValue::Empty);
    EXPECT_EQ(sh.UsedArea(), "A1:V6");
    // With oxygen in the active order its column would be written.
    ChromExcelExport one = View(2, 1);
    one.activeOrder = ChromParamDisplayOrder;
    ASSERT_TRUE(ExportChromViewToExcel(one, dir.dir() + "o.xlsx", nullptr, {}));
    xlsx::Worksheet& o = app->WorkBooks().Open(dir.dir() + "o.xlsx").ActiveSheet();
    EXPECT_EQ(o.Cells(6, 3 + 11).Text(), "0:11");
}

TEST(XlsExport, NamesQuestionAndFailures) {
    const std::string saved = g_ProgDir;
    g_ProgDir = "/p/";
    EXPECT_EQ(ExcelExportFolder(DataKind::Chrom5Min), "/p/MOMDATA");
    EXPECT_EQ(ExcelExportFolder(DataKind::ChromHour), "/p/HOURDATA");
    EXPECT_EQ(ExcelExportFolder(DataKind::ChromDay), "/p/DAYDATA");
    std::tm tm{};
    tm.tm_year = 126;
    tm.tm_mon = 11;
    tm.tm_mday = 7;
    EXPECT_EQ(ExcelExportDefaultName("/p/DAYDATA", 5, tm), "/p/DAYDATA/qvr_13-005-261207.xlsx");
    g_ProgDir = saved;
    EXPECT_EQ(WithXlsxExtension("/a.b/report"), "/a.b/report.xlsx");
    EXPECT_EQ(WithXlsxExtension("/a/report.xls"), "/a/report.xls");
    EXPECT_EQ(WithXlsxExtension("report.txt"), "report.txt");

    TempDir dir;
    const std::string path = dir.dir() + "e.xlsx";
    ClearQuesRecord();
    EXPECT_TRUE(ConfirmExcelOverwrite(path));
    EXPECT_TRUE(ShownQues().empty());
    ASSERT_TRUE(WriteFileAtomic(path, std::string("keep")));
    QueueQuesAnswers({0});
    EXPECT_FALSE(ConfirmExcelOverwrite(path));
    ASSERT_EQ(ShownQues().size(), 1u);
    EXPECT_EQ(ShownQues()[0].text1, "Файл e.xlsx уже есть.");
    EXPECT_EQ(ShownQues()[0].text2, "Вы хотите заменить существующий файл?");
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, "keep");

    Messages msgs;
    CountingProgress progress;
    xlsx::g_XlsxUnavailable = true;
    EXPECT_FALSE(ExportChromViewToExcel(View(3, 2), path, &progress, msgs.Box()));
    xlsx::g_XlsxUnavailable = false;
    ASSERT_EQ(msgs.texts.size(), 1u);
    EXPECT_EQ(msgs.texts[0], kXlsNoApplication);
    EXPECT_EQ(msgs.captions[0], "Ошибка");
    EXPECT_EQ(progress.steps, 0);

    // A folder that does not exist: the file error, the workbook still closed.
    msgs.texts.clear();
    ClearQuesRecord();
    EXPECT_FALSE(ExportChromViewToExcel(View(3, 2), dir.dir() + "none/x.xlsx", &progress, msgs.Box()));
    EXPECT_EQ(msgs.texts, std::vector<std::string>{kXlsFileError});
    EXPECT_TRUE(ShownQues().empty());

    // A row that cannot be made: the file error; the file there before is untouched and
    // nothing else is left in its folder.
    msgs.texts.clear();
    ChromExcelExport broken = View(3, 5);
    broken.valueText = [](int row, int col) -> std::string {
        if (row == 3) throw std::runtime_error("view gone");
        return std::to_string(row) + ":" + std::to_string(col);
    };
    EXPECT_FALSE(ExportChromViewToExcel(broken, path, &progress, msgs.Box()));
    EXPECT_EQ(msgs.texts, std::vector<std::string>{kXlsFileError});
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, "keep");
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"e.xlsx"});
}
