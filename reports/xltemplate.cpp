#include "reports/xltemplate.h"

#include <cstdio>

#include "reports/xlsx.h"

namespace qvr {

namespace {

constexpr int kLastColumn = 28;  // AB

struct Heading {
    const char* range;
    const char* text;
};

// Headings shared by both reports (rows 6..9).
const Heading kHeadings[] = {
    {"B6:N6", "Компонентный состав газа"},
    {"O6:W6", "Теплота сгорания и число Воббе"},
    {"X6:AA6", "Показатели влагомера"},
    {"AB6:AB8", "Темпе-ратура газа"},
    {"B7:B8", "Метан"},
    {"C7:C8", "Этан"},
    {"D7:D8", "Пропан"},
    {"E7:E8", "i-Бутан"},
    {"F7:F8", "n-Бутан"},
    {"G7:G8", "neo-Пентан"},
    {"H7:H8", "i-Пентан"},
    {"I7:I8", "n-Пентан"},
    {"J7:J8", "Гексаны и высшие"},
    {"K7:K8", "Кисло-род"},
    {"L7:L8", "Азот"},
    {"M7:M8", "Диоксид углерода"},
    {"N7:N8", "Плот-ность"},
    {"O7:Q7", "Низшая теплота сгорания"},
    {"R7:T7", "Высшая теплота сгорания"},
    {"U7:W7", "Число Воббе"},
    {"X7:X8", "Т точки росы по воде при Р раб."},
    {"Y7:Y8", "Т точки росы по воде при Р абс."},
    {"Z7:Z8", "Т точки росы по угле-водородам"},
    {"AA7:AA8", "Давление газа"},
    {"O8:O9", "ккал/м3"},
    {"P8:P9", "МДж/м3"},
    {"Q8:Q9", "кВт·ч/м3"},
    {"R8:R9", "ккал/м3"},
    {"S8:S9", "МДж/м3"},
    {"T8:T9", "кВт·ч/м3"},
    {"U8:U9", "ккал/м3"},
    {"V8:V9", "МДж/м3"},
    {"W8:W9", "кВт·ч/м3"},
    {"N9", "кг/м3"},
    {"X9", "°С"},
    {"Y9", "°С"},
    {"Z9", "°С"},
    {"AA9", "кгс/см2"},
    {"AB9", "°С"},
};

// Number formats of the value columns 2..28.
const char* ColumnFormat(int column) {
    if (column <= 14) return "0.0000";          // components, density
    if (column == 15 || column == 18 || column == 21) return "0";      // kcal
    if (column == 16 || column == 19 || column == 22) return "0.00";   // MJ
    if (column == 17 || column == 20 || column == 23) return "0.000";  // kWh
    if (column == 27) return "0.00";            // pressure
    return "0.0";                               // dew points, temperature
}

}  // namespace

void BuildXlsTemplate(uint8_t kind, const std::string& path) {
    const bool day = kind == 0;
    const int firstRow = 10;
    const int summaryRow = day ? 34 : 41;

    auto app = xlsx::Application::Create("excel.application");
    if (!app) throw xlsx::Error("Нет приложения");
    xlsx::Workbook& wb = app->WorkBooks().add();
    xlsx::Worksheet& sh = wb.ActiveSheet();
    const std::string all = "A1:AB" + std::to_string(summaryRow);
    sh.Range(all).Font().Name("Times New Roman");
    sh.Range(all).Font().Size(10);

    sh.Columns(1).ColumnWidth(day ? 16 : 9);
    for (int c = 2; c <= kLastColumn; ++c) sh.Columns(c).ColumnWidth(9);

    // Title, object and period lines.
    xlsx::CellRange title = sh.Range("A1:AB1");
    title.Merge();
    title.Value(day ? "Паспорт показателей качества газа за сутки" : "Паспорт показателей качества газа за месяц");
    title.Font().Size(14);
    title.Font().Bold(true);
    title.HorizontalAlignment(xlsx::kAlignCenter);
    sh.Cells(1, 1).RowHeight(22);
    xlsx::CellRange objLabel = sh.Range("A2:F2");
    objLabel.Merge();
    objLabel.Value("Объект:");
    objLabel.HorizontalAlignment(xlsx::kAlignRight);
    objLabel.Font().Bold(true);
    xlsx::CellRange obj = sh.Range("G2:AB2");  // the object name
    obj.Merge();
    obj.Font().Size(12);
    obj.Font().Bold(true);
    obj.HorizontalAlignment(xlsx::kAlignLeft);
    sh.Cells(2, 1).RowHeight(18);
    xlsx::CellRange period = sh.Range("V4:AB4");  // the period line
    period.Merge();
    period.HorizontalAlignment(xlsx::kAlignRight);

    // Heading block.
    xlsx::CellRange first = sh.Range("A6:A9");
    first.Merge();
    first.Value(day ? "Дата, время" : "День месяца");
    for (const Heading& h : kHeadings) {
        xlsx::CellRange r = sh.Range(h.range);
        r.Merge();
        r.Value(h.text);
    }
    for (int c = 2; c <= 13; ++c) sh.Cells(9, c).Value("% мол.");
    xlsx::CellRange block = sh.Range("A6:AB9");
    block.HorizontalAlignment(xlsx::kAlignCenter);
    block.VerticalCenter();
    block.WrapText(true);
    block.Font().Bold(true);
    block.Interior().Color(0xE0E0E0);
    sh.Cells(7, 1).RowHeight(30);
    sh.Cells(8, 1).RowHeight(30);

    // Data rows, the summary row, their formats and lines.
    xlsx::CellRange data = sh.Range(sh.Cells(firstRow, 1), sh.Cells(summaryRow, kLastColumn));
    data.HorizontalAlignment(xlsx::kAlignCenter);
    for (int c = 2; c <= kLastColumn; ++c)
        sh.Range(sh.Cells(firstRow, c), sh.Cells(summaryRow, c)).NumberFormat(ColumnFormat(c));
    if (!day)
        for (int d = 1; d <= 31; ++d) sh.Cells(9 + d, 1).Value(d);
    xlsx::CellRange summaryLabel = sh.Cells(summaryRow, 1);
    summaryLabel.Value(day ? "За сутки" : "Среднее");
    xlsx::CellRange summary = sh.Range(sh.Cells(summaryRow, 1), sh.Cells(summaryRow, kLastColumn));
    summary.Font().Bold(true);
    summary.Interior().Color(0xF0F0F0);
    sh.Range(sh.Cells(summaryRow, 1), sh.Cells(summaryRow, kLastColumn)).Borders(xlsx::kBorderTop).LineStyle(xlsx::kLineDouble);

    xlsx::CellRange grid = sh.Range(sh.Cells(6, 1), sh.Cells(summaryRow, kLastColumn));
    for (int item : {xlsx::kBorderLeft, xlsx::kBorderRight, xlsx::kBorderBottom})
        grid.Borders(item).LineStyle(xlsx::kLineContinuous);
    sh.Range(sh.Cells(6, 1), sh.Cells(summaryRow - 1, kLastColumn)).Borders(xlsx::kBorderTop).LineStyle(xlsx::kLineContinuous);

    // Notes under the table.
    const int note = summaryRow + 2;
    sh.Cells(note, 1).Value("Значения приведены к стандартным условиям; \"--\" - данные недостоверны или отсутствуют.");
    sh.Cells(note, 1).Font().Name("Times New Roman");
    sh.Cells(note, 1).Font().Size(9);

    wb.SaveAs(path);
    wb.Close();
}

}  // namespace qvr
