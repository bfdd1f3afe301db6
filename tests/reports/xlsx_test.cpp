#include "reports/xlsx.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <tuple>

#include "common/fileutil.h"
#include "support/tempdir.h"

using namespace qvr::xlsx;

namespace {

// Writes a zip package from (name, text) pairs, for hand-made templates.
void WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& parts) {
    int err = 0;
    zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    ASSERT_NE(za, nullptr);
    for (const auto& [name, data] : parts) {
        zip_source_t* s = zip_source_buffer(za, data.data(), data.size(), 0);
        ASSERT_GE(zip_file_add(za, name.c_str(), s, ZIP_FL_ENC_UTF_8), 0);
    }
    ASSERT_EQ(zip_close(za), 0);
}

bool Contains(const std::string& hay, const std::string& needle) { return hay.find(needle) != std::string::npos; }

}  // namespace

TEST(XlsxAddress, ColumnNamesAndParsing) {
    EXPECT_EQ(ColumnName(1), "A");
    EXPECT_EQ(ColumnName(26), "Z");
    EXPECT_EQ(ColumnName(27), "AA");
    EXPECT_EQ(ColumnName(28), "AB");
    EXPECT_EQ(ColumnName(16384), "XFD");
    EXPECT_EQ(ColumnName(0), "");
    EXPECT_EQ(ColumnName(16385), "");
    EXPECT_EQ(CellAddress(4, 22), "V4");

    int r1, c1, r2, c2;
    ASSERT_TRUE(ParseAddress("G2:AB2", r1, c1, r2, c2));
    EXPECT_EQ(r1, 2);
    EXPECT_EQ(c1, 7);
    EXPECT_EQ(r2, 2);
    EXPECT_EQ(c2, 28);
    ASSERT_TRUE(ParseAddress("$C$5:a2", r1, c1, r2, c2));  // corners in any order
    EXPECT_EQ(r1, 2);
    EXPECT_EQ(c1, 1);
    EXPECT_EQ(r2, 5);
    EXPECT_EQ(c2, 3);
    for (const char* bad : {"", "A", "2", "A0", "XFE1", "A1048577", "A1:", "A1:B", "A1B2", "A-1", "ABCD1"})
        EXPECT_FALSE(ParseAddress(bad, r1, c1, r2, c2)) << bad;
}

TEST(XlsxWorkbook, NewWorkbookSavesAValidPackageThatReadsBack) {
    TempDir dir;
    const std::string path = dir.dir() + "книга.xlsx";
    auto app = Application::Create("excel.application");
    ASSERT_TRUE(app);
    Workbook& wb = app->WorkBooks().add();
    EXPECT_EQ(app->WorkBooks().Count(), 1);
    Worksheet& sh = wb.ActiveSheet();
    sh.Cells(1, 1).Value("Дата");
    sh.Cells(2, 3).Value(1.5);
    sh.Cells(3, 28).Value(0.1f);
    sh.Cells(4, 2).Value("  с пробелами ");
    sh.Cells(5, 1).Value("a<b&c\"d");
    sh.Columns(3).ColumnWidth(9);
    sh.Cells(2, 1).RowHeight(18);
    wb.SaveAs(path);
    wb.Close();
    EXPECT_EQ(app->WorkBooks().Count(), 0);

    // The package holds every part a reader needs, content types first.
    auto parts = ReadZipParts(path);
    for (const char* p : {"[Content_Types].xml", "_rels/.rels", "xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                          "xl/worksheets/sheet1.xml", "xl/styles.xml"})
        EXPECT_TRUE(parts.count(p)) << p;
    {
        int err = 0;
        zip_t* za = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
        ASSERT_NE(za, nullptr) << err;
        EXPECT_STREQ(zip_get_name(za, 0, 0), "[Content_Types].xml");
        zip_discard(za);
    }
    const std::string& sheet = parts["xl/worksheets/sheet1.xml"];
    EXPECT_TRUE(Contains(sheet, R"(<dimension ref="A1:AB5")")) << sheet;
    EXPECT_TRUE(Contains(sheet, R"(<c r="A1" t="inlineStr"><is><t>Дата</t></is></c>)")) << sheet;
    EXPECT_TRUE(Contains(sheet, R"(<c r="C2"><v>1.5</v></c>)")) << sheet;
    EXPECT_TRUE(Contains(sheet, R"(<c r="AB3"><v>0.1</v></c>)")) << sheet;  // the float's own shortest form
    EXPECT_TRUE(Contains(sheet, R"(<t xml:space="preserve">  с пробелами </t>)")) << sheet;
    EXPECT_TRUE(Contains(sheet, "a&lt;b&amp;c")) << sheet;
    EXPECT_TRUE(Contains(sheet, R"(<col min="3" max="3" width="9.7109375" customWidth="1")")) << sheet;
    EXPECT_TRUE(Contains(sheet, R"(<row r="2" ht="18" customHeight="1">)")) << sheet;
    // cols stands before sheetData, as the format requires.
    EXPECT_LT(sheet.find("<cols>"), sheet.find("<sheetData>"));

    // Reopened, the values come back.
    Workbook& again = app->WorkBooks().Open(path);
    Worksheet& s2 = again.ActiveSheet();
    EXPECT_EQ(s2.Name(), "Лист1");
    EXPECT_EQ(s2.Cells(1, 1).Value().kind, CellValue::Text);
    EXPECT_EQ(s2.Cells(1, 1).Text(), "Дата");
    EXPECT_EQ(s2.Cells(2, 3).Value().kind, CellValue::Number);
    EXPECT_DOUBLE_EQ(s2.Cells(2, 3).Value().number, 1.5);
    EXPECT_EQ(s2.Cells(4, 2).Text(), "  с пробелами ");
    EXPECT_EQ(s2.Cells(9, 9).Value().kind, CellValue::Empty);
    EXPECT_DOUBLE_EQ(s2.ColumnWidthOf(3), 9);
    EXPECT_DOUBLE_EQ(s2.ColumnWidthOf(4), 0);
    EXPECT_DOUBLE_EQ(s2.RowHeightOf(2), 18);
    EXPECT_EQ(s2.UsedArea(), "A1:AB5");
}

TEST(XlsxWorkbook, ValuesThatNeedCare) {
    auto app = Application::Create("Excel.Application");
    ASSERT_TRUE(app);
    Worksheet& sh = app->WorkBooks().add().ActiveSheet();
    // Non-finite numbers cannot be stored as numbers: they become a text.
    sh.Cells(1, 1).Value(std::numeric_limits<float>::quiet_NaN());
    sh.Cells(1, 2).Value(std::numeric_limits<double>::infinity());
    EXPECT_EQ(sh.Cells(1, 1).Value().kind, CellValue::Text);
    EXPECT_EQ(sh.Cells(1, 1).Text(), "NAN");
    EXPECT_EQ(sh.Cells(1, 2).Text(), "NAN");
    // A value replaces the one before, whatever its type; control characters are dropped.
    sh.Cells(2, 1).Value("текст");
    sh.Cells(2, 1).Value(2.25f);
    EXPECT_EQ(sh.Cells(2, 1).Value().kind, CellValue::Number);
    sh.Cells(2, 1).Value(std::string("a\x01" "b\x1f"));
    EXPECT_EQ(sh.Cells(2, 1).Text(), "ab");
    // A range value goes into every cell.
    sh.Range("B3:D4").Value("--");
    for (int r = 3; r <= 4; ++r)
        for (int c = 2; c <= 4; ++c) EXPECT_EQ(sh.Cells(r, c).Text(), "--");
    // Cells come in row and column order however they were set.
    const std::string xml = app->WorkBooks().Item(1).PartText("xl/worksheets/sheet1.xml");
    EXPECT_LT(xml.find(R"(r="A1")"), xml.find(R"(r="B1")"));
    EXPECT_LT(xml.find(R"(r="B3")"), xml.find(R"(r="C3")"));
    EXPECT_LT(xml.find(R"(<row r="2")"), xml.find(R"(<row r="3")"));
}

TEST(XlsxWorkbook, FormatsAreSharedAndReadBack) {
    auto app = Application::Create("excel.application");
    Workbook& wb = app->WorkBooks().add();
    Worksheet& sh = wb.ActiveSheet();
    CellRange block = sh.Range(sh.Cells(2, 1), sh.Cells(5, 23));
    block.Interior().Color(0xC0C0C0);
    block.Cells().HorizontalAlignment(3);
    block.Font().Name("Times New Roman");
    block.Font().Size(10);
    sh.Range("A1:V1").Font().Bold(true);
    sh.Range("A1:V1").Interior().Color(0x0000FF);  // red, given as BBGGRR

    const CellFormat f = sh.Cells(5, 23).Format();
    EXPECT_EQ(f.fontName, "Times New Roman");
    EXPECT_DOUBLE_EQ(f.fontSize, 10);
    EXPECT_FALSE(f.bold);
    EXPECT_TRUE(f.filled);
    EXPECT_EQ(f.fillRgb, 0xC0C0C0u);
    EXPECT_EQ(f.horizontal, "center");
    const CellFormat top = sh.Cells(1, 3).Format();
    EXPECT_TRUE(top.bold);
    EXPECT_EQ(top.fillRgb, 0xFF0000u);
    EXPECT_EQ(top.fontName, "Calibri");
    EXPECT_DOUBLE_EQ(top.fontSize, 11);

    // 92 cells, three format classes: the default, the block and the bold title.
    const std::string styles = wb.PartText("xl/styles.xml");
    EXPECT_TRUE(Contains(styles, R"(<cellXfs count=")")) << styles;
    const auto count = [&](const std::string& list) {
        const size_t p = styles.find("<" + list + " count=\"");
        return std::atoi(styles.c_str() + p + list.size() + 9);
    };
    EXPECT_LE(count("cellXfs"), 10);
    EXPECT_LE(count("fonts"), 4);
    EXPECT_TRUE(Contains(styles, R"(<fgColor rgb="FFC0C0C0"/>)"));
    EXPECT_TRUE(Contains(styles, R"(<fgColor rgb="FFFF0000"/>)"));
    EXPECT_TRUE(Contains(styles, R"(<name val="Times New Roman"/>)"));
    // The fill list keeps the two fills the format reserves.
    EXPECT_TRUE(Contains(styles, R"(<fill><patternFill patternType="gray125"/></fill>)"));

    // Wrong arguments raise an error, as the automation call would.
    EXPECT_THROW(sh.Cells(1, 1).Borders(3).LineStyle(99), Error);
    EXPECT_THROW(sh.Cells(1, 1).Borders(13).LineStyle(1), Error);
    EXPECT_THROW(sh.Cells(1, 1).HorizontalAlignment(42), Error);
    EXPECT_THROW(sh.Cells(1, 1).Font().Size(0), Error);
    EXPECT_THROW(sh.Cells(0, 1), Error);
    EXPECT_THROW(sh.Cells(1, 16385), Error);
    EXPECT_THROW(sh.Range("A1:"), Error);
    EXPECT_THROW(sh.Columns(1).ColumnWidth(300), Error);
}

TEST(XlsxWorkbook, BorderItemsDrawTheSidesTheyName) {
    auto app = Application::Create("excel.application");
    Worksheet& sh = app->WorkBooks().add().ActiveSheet();
    // Items 1..4 draw the side of every cell.
    sh.Range("A2:A5").Borders(1).LineStyle(1);
    sh.Range("A2:A5").Borders(2).LineStyle(1);
    for (int r = 2; r <= 5; ++r) {
        EXPECT_EQ(sh.Cells(r, 1).Format().left, "thin");
        EXPECT_EQ(sh.Cells(r, 1).Format().right, "thin");
        EXPECT_EQ(sh.Cells(r, 1).Format().top, "");
    }
    sh.Range("A1:V1").Borders(3).LineStyle(1);
    sh.Range("A1:V1").Borders(4).LineStyle(-4119);
    EXPECT_EQ(sh.Cells(1, 22).Format().top, "thin");
    EXPECT_EQ(sh.Cells(1, 22).Format().bottom, "double");
    // Edges draw only the outline; inside lines only between the cells.
    sh.Range("C7:E9").Borders(kEdgeBottom).LineStyle(kLineDash);
    EXPECT_EQ(sh.Cells(9, 4).Format().bottom, "dashed");
    EXPECT_EQ(sh.Cells(8, 4).Format().bottom, "");
    sh.Range("C7:E9").Borders(kInsideVertical).LineStyle(1);
    EXPECT_EQ(sh.Cells(8, 3).Format().right, "thin");
    EXPECT_EQ(sh.Cells(8, 3).Format().left, "");
    EXPECT_EQ(sh.Cells(8, 5).Format().right, "");
    // Line style none takes a side away again.
    sh.Range("A3").Borders(1).LineStyle(kLineNone);
    EXPECT_EQ(sh.Cells(3, 1).Format().left, "");
    EXPECT_EQ(sh.Cells(3, 1).Format().right, "thin");
}

TEST(XlsxWorkbook, ColumnWidthsSplitSharedSpans) {
    TempDir dir;
    auto app = Application::Create("excel.application");
    Workbook& wb = app->WorkBooks().add();
    Worksheet& sh = wb.ActiveSheet();
    sh.Range("A1:E1").ColumnWidth(9);  // one column element per column
    sh.Columns(3).ColumnWidth(20);
    EXPECT_DOUBLE_EQ(sh.ColumnWidthOf(2), 9);
    EXPECT_DOUBLE_EQ(sh.ColumnWidthOf(3), 20);
    EXPECT_DOUBLE_EQ(sh.ColumnWidthOf(4), 9);
    wb.SaveAs(dir.dir() + "w.xlsx");

    // A template whose column element covers 1..10 keeps the others' width.
    const std::string sheetXml = R"(<?xml version="1.0" encoding="UTF-8"?>)"
        R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><cols><col min="1" max="10" width="5.7109375" customWidth="1"/></cols><sheetData/></worksheet>)";
    auto parts = ReadZipParts(dir.dir() + "w.xlsx");
    parts["xl/worksheets/sheet1.xml"] = sheetXml;
    std::vector<std::pair<std::string, std::string>> v(parts.begin(), parts.end());
    WriteZip(dir.dir() + "t.xlsx", v);
    Worksheet& t = app->WorkBooks().Open(dir.dir() + "t.xlsx").ActiveSheet();
    t.Columns(4).ColumnWidth(12);
    EXPECT_DOUBLE_EQ(t.ColumnWidthOf(1), 5);
    EXPECT_DOUBLE_EQ(t.ColumnWidthOf(3), 5);
    EXPECT_DOUBLE_EQ(t.ColumnWidthOf(4), 12);
    EXPECT_DOUBLE_EQ(t.ColumnWidthOf(5), 5);
    EXPECT_DOUBLE_EQ(t.ColumnWidthOf(10), 5);
    EXPECT_DOUBLE_EQ(t.ColumnWidthOf(11), 0);
}

TEST(XlsxWorkbook, StreamedRowsAreWrittenAsTheSameCellsHeldWouldBe) {
    TempDir dir;
    auto app = Application::Create("excel.application");
    // The same sheet twice: rows 3..5 held cell by cell, then made while saving; a row after
    // them set afterwards must still follow them.
    auto make = [&](bool streamed, const std::string& name) {
        Workbook& wb = app->WorkBooks().add();
        Worksheet& sh = wb.ActiveSheet();
        sh.Cells(1, 1).Value("Заголовок");
        const std::vector<std::tuple<int, int, std::string>> texts = {
            {3, 2, "1.5"}, {4, 4, " a<b&c>\"'\n"}, {5, 3, ""}, {5, 4, "x\x01y"}};
        CellRange area = sh.Range("B3:D5");
        if (streamed)
            area = sh.StreamRows(3, 2, 5, 4, [&](int row, RowWriter& cells) {
                for (const auto& [r, c, t] : texts)
                    if (r == row) cells.Value(c, t);
            });
        area.Font().Size(12);
        area.HorizontalAlignment(kAlignCenter);
        if (!streamed)
            for (const auto& [r, c, t] : texts) sh.Cells(r, c).Value(t);
        sh.Cells(7, 1).Value("Итог");
        if (streamed) {
            EXPECT_THROW(sh.Cells(4, 3).Value("held"), Error);
            EXPECT_THROW(sh.Range("B3:C5").Font().Bold(true), Error);  // part of the area
            EXPECT_EQ(sh.Cells(4, 3).Format().horizontal, "center");
        }
        const std::string path = dir.dir() + name;
        wb.SaveAs(path);
        wb.Close();
        return ReadZipParts(path);
    };
    auto held = make(false, "h.xlsx"), streamed = make(true, "s.xlsx");
    EXPECT_EQ(streamed["xl/worksheets/sheet1.xml"], held["xl/worksheets/sheet1.xml"]);
    EXPECT_EQ(streamed["xl/styles.xml"], held["xl/styles.xml"]);
    // A book named as long as the system allows (255 bytes, the name cut for the scratch
    // file falls inside a two-byte letter) is saved all the same.
    std::string longName;
    while (longName.size() < 250) longName += "ж";
    longName += ".xlsx";
    ASSERT_EQ(longName.size(), 255u);
    auto named = make(true, longName);
    EXPECT_EQ(named["xl/worksheets/sheet1.xml"], held["xl/worksheets/sheet1.xml"]);
    EXPECT_TRUE(Contains(held["xl/worksheets/sheet1.xml"], R"(<dimension ref="A1:D7"/>)"));
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 3);  // no scratch file left beside them
}

TEST(XlsxTemplate, OpenKeepsTheTemplateAndDropsStaleCalculation) {
    TempDir dir;
    const std::string tpl = dir.dir() + "tpl.xlsx";
    WriteZip(tpl, {
        {"[Content_Types].xml",
         R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/><Override PartName="/xl/calcChain.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml"/></Types>)"},
        {"_rels/.rels",
         R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
        {"xl/workbook.xml",
         R"(<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><bookViews><workbookView activeTab="1"/></bookViews><sheets><sheet name="Первый" sheetId="1" r:id="rId1"/><sheet name="Отчет" sheetId="2" r:id="rId2"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels",
         R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/sheet2.xml"/><Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/><Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/calcChain" Target="calcChain.xml"/></Relationships>)"},
        {"xl/worksheets/sheet1.xml",
         R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData/></worksheet>)"},
        {"xl/worksheets/sheet2.xml",
         R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData><row r="1" spans="1:3"><c r="A1" t="s"><v>0</v></c><c r="C1"><f>SUM(B2:B3)</f><v>0</v></c></row><row r="2"><c r="A2" t="s"><v>1</v></c></row></sheetData><mergeCells count="1"><mergeCell ref="G2:AB2"/></mergeCells><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/></worksheet>)"},
        {"xl/sharedStrings.xml",
         R"(<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="2" uniqueCount="2"><si><t>Заголовок</t></si><si><r><t>Объект</t></r><r><t>:</t></r></si></sst>)"},
        {"xl/calcChain.xml",
         R"(<?xml version="1.0" encoding="UTF-8"?><calcChain xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><c r="C1" i="2"/></calcChain>)"},
    });

    const std::string out = dir.dir() + "out.xlsx";
    {
        auto app = Application::Create("excel.application");
        Workbook& wb = app->WorkBooks().Open(tpl);
        Worksheet& sh = wb.ActiveSheet();
        EXPECT_EQ(sh.Name(), "Отчет");  // the active tab, found through an absolute target
        EXPECT_EQ(sh.Cells(1, 1).Text(), "Заголовок");
        EXPECT_EQ(sh.Cells(2, 1).Text(), "Объект:");
        EXPECT_EQ(sh.Cells(1, 3).Value().formula, "SUM(B2:B3)");
        sh.Range("G2:AB2").Value("Объект №1");  // merged: only the first cell holds it
        sh.Cells(2, 2).Value(7.0);
        sh.Cells(3, 2).Value(8.0);
        // The template had no style sheet: it gets one.
        sh.Cells(3, 2).Font().Size(12);
        wb.SaveAs(out);
        wb.Close();
    }
    auto parts = ReadZipParts(out);
    EXPECT_FALSE(parts.count("xl/calcChain.xml"));
    EXPECT_FALSE(Contains(parts["xl/_rels/workbook.xml.rels"], "calcChain"));
    EXPECT_FALSE(Contains(parts["[Content_Types].xml"], "calcChain"));
    EXPECT_TRUE(Contains(parts["[Content_Types].xml"], R"(PartName="/xl/styles.xml")"));
    EXPECT_TRUE(Contains(parts["xl/_rels/workbook.xml.rels"], R"(Target="styles.xml")"));
    EXPECT_TRUE(Contains(parts["xl/workbook.xml"], R"(fullCalcOnLoad="1")"));
    EXPECT_EQ(parts["xl/sharedStrings.xml"].substr(0, 20), std::string(R"(<?xml version="1.0" )"));
    EXPECT_EQ(parts["xl/worksheets/sheet1.xml"],
              R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData/></worksheet>)");
    const std::string& s2 = parts["xl/worksheets/sheet2.xml"];
    EXPECT_TRUE(Contains(s2, R"(<c r="G2" t="inlineStr"><is><t>Объект №1</t></is></c>)")) << s2;
    EXPECT_FALSE(Contains(s2, R"(r="H2")")) << s2;
    EXPECT_FALSE(Contains(s2, "spans=")) << s2;
    EXPECT_TRUE(Contains(s2, R"(<dimension ref="A1:G3"/>)")) << s2;
    EXPECT_LT(s2.find("<mergeCells"), s2.find("<pageMargins"));

    auto app = Application::Create("excel.application");
    Worksheet& again = app->WorkBooks().Open(out).ActiveSheet();
    EXPECT_EQ(again.Cells(1, 1).Text(), "Заголовок");
    EXPECT_EQ(again.Cells(2, 7).Text(), "Объект №1");
    EXPECT_DOUBLE_EQ(again.Cells(3, 2).Value().number, 8);
    EXPECT_DOUBLE_EQ(again.Cells(3, 2).Format().fontSize, 12);
    EXPECT_EQ(again.MergedAreas(), std::vector<std::string>{"G2:AB2"});
}

TEST(XlsxErrors, MissingDamagedAndUnwritableFiles) {
    TempDir dir;
    EXPECT_EQ(Application::Create("word.application"), nullptr);
    g_XlsxUnavailable = true;
    EXPECT_EQ(Application::Create("excel.application"), nullptr);
    g_XlsxUnavailable = false;

    auto app = Application::Create("excel.application");
    EXPECT_THROW(app->WorkBooks().Open(dir.dir() + "missing.xlsx"), Error);
    ASSERT_TRUE(qvr::WriteFileAtomic(dir.dir() + "junk.xlsx", std::string("not a zip at all")));
    EXPECT_THROW(app->WorkBooks().Open(dir.dir() + "junk.xlsx"), Error);
    WriteZip(dir.dir() + "nobook.xlsx", {{"[Content_Types].xml", "<Types/>"}});
    EXPECT_THROW(app->WorkBooks().Open(dir.dir() + "nobook.xlsx"), Error);
    WriteZip(dir.dir() + "badxml.xlsx", {{"[Content_Types].xml", "<Types/>"}, {"_rels/.rels", "<Relationships"}});
    EXPECT_THROW(app->WorkBooks().Open(dir.dir() + "badxml.xlsx"), Error);
    EXPECT_EQ(app->WorkBooks().Count(), 0);
    EXPECT_THROW(app->WorkBooks().Item(1), Error);

    // A save into a missing folder fails and leaves nothing behind; an existing file is
    // replaced whole.
    Workbook& wb = app->WorkBooks().add();
    wb.ActiveSheet().Cells(1, 1).Value("x");
    EXPECT_THROW(wb.SaveAs(dir.dir() + "no/such/folder.xlsx"), Error);
    ASSERT_TRUE(qvr::WriteFileAtomic(dir.dir() + "old.xlsx", std::string("old")));
    wb.SaveAs(dir.dir() + "old.xlsx");
    EXPECT_EQ(ReadZipParts(dir.dir() + "old.xlsx").count("xl/workbook.xml"), 1u);
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_FALSE(e.path().extension() == ".tmp") << e.path();  // no temporary left
}
