#include "reports/xlsexport.h"

#include <cstdio>

#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "reports/chromorder.h"

namespace qvr {

namespace {

constexpr const char* kFont = "Times New Roman";
constexpr uint32_t kSilver = 0xC0C0C0;

void Step(IProgress* progress, int& position) {
    if (progress) progress->SetPosition(++position);
}

void Fill(xlsx::Worksheet& sheet, const ChromExcelExport& in, IProgress* progress, int& position) {
    const int L = in.leftColumns == 3 ? 3 : 2;
    const int W = L + 20;
    const int n = in.recordCount > 0 ? in.recordCount : 0;
    const uint8_t* order = in.activeOrder ? in.activeOrder : ActiveChromParamOrder;

    for (int c = 1; c <= W; ++c) sheet.Columns(c).ColumnWidth(9);
    // Title row.
    xlsx::CellRange title = sheet.Range(sheet.Cells(1, 1), sheet.Cells(1, 22));
    title.Borders(xlsx::kBorderTop).LineStyle(xlsx::kLineContinuous);
    title.Borders(xlsx::kBorderBottom).LineStyle(xlsx::kLineContinuous);
    title.Cells().HorizontalAlignment(xlsx::kAlignGeneral);
    title.RowHeight(18);
    title.Font().Name(kFont);
    title.Font().Size(12);
    sheet.Cells(1, 1).Value(in.caption + ".   " + in.methodLine);

    // Heading block.
    xlsx::CellRange block = sheet.Range(sheet.Cells(2, 1), sheet.Cells(5, W));
    block.Interior().Color(kSilver);
    block.Cells().HorizontalAlignment(xlsx::kAlignCenter);
    block.Font().Name(kFont);
    block.Font().Size(10);
    sheet.Range(sheet.Cells(5, 1), sheet.Cells(5, W)).Borders(xlsx::kBorderBottom).LineStyle(xlsx::kLineContinuous);
    if (L == 2) {
        sheet.Cells(3, 1).Value("Дата");
        sheet.Range("A2:A5").Borders(xlsx::kBorderLeft).LineStyle(xlsx::kLineContinuous);
        sheet.Range("A2:A5").Borders(xlsx::kBorderRight).LineStyle(xlsx::kLineContinuous);
        sheet.Cells(3, 2).Value("Время");
        sheet.Range("B2:B5").Borders(xlsx::kBorderRight).LineStyle(xlsx::kLineContinuous);
    } else {
        sheet.Range("A4:C4").Borders(xlsx::kBorderTop).LineStyle(xlsx::kLineContinuous);
        sheet.Cells(2, 1).Value("                            Начало");
        sheet.Cells(2, 3).Value("Конец");
        sheet.Range("C2:C5").Borders(xlsx::kBorderLeft).LineStyle(xlsx::kLineContinuous);
        sheet.Range("C2:C5").Borders(xlsx::kBorderRight).LineStyle(xlsx::kLineContinuous);
        sheet.Cells(4, 1).Value("Дата");
        sheet.Range("A4:A5").Borders(xlsx::kBorderRight).LineStyle(xlsx::kLineContinuous);
        sheet.Cells(4, 2).Value("Время");
        sheet.Cells(4, 3).Value("Время");
        sheet.Range("C2:C4").Borders(xlsx::kBorderRight).LineStyle(xlsx::kLineContinuous);
    }
    Step(progress, position);
    ExcelGasParamHeading(sheet, L + 1, in.przComposition, in.thermalUnit);
    Step(progress, position);

    // Data block: rows 6..n + 6, made one at a time while the workbook is saved, so a
    // view of any length costs the memory of one row. The last row is formatted only.
    auto makeRow = [&in, order, L, n, progress, &position](int row, xlsx::RowWriter& cells) {
        const int i = row - 6;
        if (i >= n) return;
        if (in.leftText)
            for (int c = 1; c <= L; ++c) cells.Value(c, in.leftText(i, c));
        if (in.valueText)
            for (int c = 0; c < 20; ++c)
                if (order[c] != 255) cells.Value(L + 1 + c, in.valueText(i, c));
        Step(progress, position);
    };
    xlsx::CellRange data = sheet.StreamRows(6, 1, n + 6, W, makeRow);
    data.Font().Name(kFont);
    data.Font().Size(10);
    data.Cells().HorizontalAlignment(xlsx::kAlignCenter);
}

}  // namespace

void ExcelGasParamHeading(xlsx::Worksheet& sheet, int firstColumn, uint8_t przComposition, uint8_t thermalUnit) {
    for (int p = 0; p < 20; ++p) {
        const int column = firstColumn + p;
        const uint8_t g = ChromParamDisplayOrder[p];
        const auto& lines = przComposition == 1 ? ChromParamHeadersVolume[g] : ChromParamHeadersMolar[g];
        for (int k = 0; k < 3; ++k) sheet.Cells(2 + k, column).Value(lines[k]);
        sheet.Cells(5, column).Value(thermalUnit == 1 ? ChromParamUnitsKcal[g] : ChromParamUnitsMJ[g]);
        sheet.Range(sheet.Cells(2, column), sheet.Cells(5, column))
            .Borders(xlsx::kBorderRight)
            .LineStyle(xlsx::kLineContinuous);
    }
}

bool ExportChromViewToExcel(const ChromExcelExport& in, const std::string& path, IProgress* progress,
                            const XlsMessageBox& messageBox) {
    auto box = [&](const char* text, const char* caption, bool icon) {
        if (messageBox) messageBox(text, caption, icon);
    };
    HourglassScope hourglass;
    std::unique_ptr<xlsx::Application> app = xlsx::Application::Create("excel.application");
    if (!app) {
        box(kXlsNoApplication, "Ошибка", true);
        return false;
    }
    int position = 0;
    bool saved = false;
    try {
        Step(progress, position);
        xlsx::Workbook& wb = app->WorkBooks().add();
        xlsx::Worksheet& sheet = wb.ActiveSheet();
        Step(progress, position);
        Fill(sheet, in, progress, position);
        // The save makes the data rows, advancing the progress by one per record.
        app->WorkBooks().Item(1).SaveAs(path);
        saved = true;
        g_QuesKind = kQuesNotice;
        ShowQues("Данные сохранены в файле " + FileNameOnly(path), "");
    } catch (const std::exception&) {
        box(kXlsFileError, "", false);
    }
    try {
        app->WorkBooks().Item(1).Close();
    } catch (const std::exception&) {
        box(kXlsCloseError, "", false);
    }
    app.reset();
    Step(progress, position);
    return saved;
}

std::string ExcelExportFolder(DataKind kind) {
    switch (kind) {
        case DataKind::Chrom5Min: return g_ProgDir + "MOMDATA";
        case DataKind::ChromDay: return g_ProgDir + "DAYDATA";
        default: return g_ProgDir + "HOURDATA";
    }
}

std::string ExcelExportDefaultName(const std::string& folder, uint8_t address, const std::tm& pcDate) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "/qvr_%02d-%03d-%02d%02d%02d.xlsx", kDataFileVersion, int(address),
                  pcDate.tm_year % 100, pcDate.tm_mon + 1, pcDate.tm_mday);
    return folder + buf;
}

std::string WithXlsxExtension(const std::string& name) {
    const size_t slash = name.rfind('/');
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name + ".xlsx";
    return name;
}

bool ConfirmExcelOverwrite(const std::string& path) {
    if (!FileExists(path)) return true;
    g_QuesKind = kQuesQuestion;
    ShowQues("Файл " + FileNameOnly(path) + " уже есть.", "Вы хотите заменить существующий файл?");
    return g_QuesAnswer == 1;
}

}  // namespace qvr
