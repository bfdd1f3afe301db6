// The spreadsheet layer: workbooks in the Office Open XML format (.xlsx, a zip package of
// XML parts) opened from a template or created empty, one active sheet filled cell by cell
// and saved again. The members follow the spreadsheet automation model the reports are
// written against: an Application with its WorkBooks (add, Open, Item), a Workbook with
// ActiveSheet, SaveAs and Close, a Worksheet with Cells, Range and Columns, and ranges with
// Value, Font (Name, Size, Bold), Borders(item).LineStyle, HorizontalAlignment,
// Interior.Color, ColumnWidth and RowHeight. A long block of rows need not be held: it can
// be made row by row while the workbook is saved (Worksheet::StreamRows).
//
// Every failure (missing or damaged file, bad address, cell outside the sheet, a save that
// cannot be written) throws xlsx::Error, as an automation call would raise its error.
// Texts are UTF-8.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvr::xlsx {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Border items. 1..4 draw that side of every cell of the range; 7..10 the outer edges of
// the range only; 11 and 12 the lines between its cells.
enum BorderItem : int {
    kBorderLeft = 1,
    kBorderRight = 2,
    kBorderTop = 3,
    kBorderBottom = 4,
    kEdgeLeft = 7,
    kEdgeTop = 8,
    kEdgeBottom = 9,
    kEdgeRight = 10,
    kInsideVertical = 11,
    kInsideHorizontal = 12,
};

// Line styles.
enum LineStyle : int {
    kLineNone = -4142,
    kLineContinuous = 1,
    kLineDashDot = 4,
    kLineDashDotDot = 5,
    kLineSlantDashDot = 13,
    kLineDash = -4115,
    kLineDot = -4118,
    kLineDouble = -4119,
};

// Horizontal alignments (the short codes 1..7 and the long constants both work).
enum HAlign : int {
    kAlignGeneral = 1,
    kAlignLeft = 2,
    kAlignCenter = 3,
    kAlignRight = 4,
    kAlignFill = 5,
    kAlignJustify = 6,
    kAlignCenterAcross = 7,
    kAlignLeftLong = -4131,
    kAlignCenterLong = -4108,
    kAlignRightLong = -4152,
};

// Largest sheet.
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

// "A" for 1, "AB" for 28; "" outside 1..kMaxColumns.
std::string ColumnName(int column);
// "B3" for row 3, column 2.
std::string CellAddress(int row, int column);
// Parses "B3", "$B$3", "A2:C5" (either corner first) into a normalised rectangle.
// false for anything else.
bool ParseAddress(const std::string& address, int& row1, int& col1, int& row2, int& col2);

// What a cell holds, as read back.
struct CellValue {
    enum Kind { Empty, Number, Text, Boolean, ErrorValue };
    Kind kind = Empty;
    double number = 0;
    std::string text;     // Text: the string; Number: the stored decimal text
    std::string formula;  // the formula, when the cell has one
};

// The format of one cell, as read back from its style.
struct CellFormat {
    std::string fontName;
    double fontSize = 0;
    bool bold = false;
    std::string left, right, top, bottom;  // border styles: "", "thin", "double", ...
    uint32_t fillRgb = 0;                  // RRGGBB of a solid fill
    bool filled = false;                   // a solid fill is set
    std::string horizontal;                // "", "left", "center", ...
    std::string numberFormat;              // "General" or the format code
    bool wrapText = false;
};

class Worksheet;
class Workbook;

// The cells of one row of a streamed area (Worksheet::StreamRows), given while the row is
// made.
class RowWriter {
public:
    // The text (UTF-8) of the cell in `column`, a column of the area.
    void Value(int column, const std::string& text);

private:
    friend class Worksheet;
    int first_ = 1;
    std::vector<std::string> texts_;
    std::vector<char> set_;
};

// A rectangle of cells on a sheet.
struct Area {
    Worksheet* sheet = nullptr;
    int r1 = 1, c1 = 1, r2 = 1, c2 = 1;
};

class FontRef {
public:
    explicit FontRef(Area a) : a_(a) {}
    void Name(const std::string& name);
    void Size(double points);
    void Bold(bool bold);
private:
    Area a_;
};

class BorderRef {
public:
    BorderRef(Area a, int item) : a_(a), item_(item) {}
    void LineStyle(int style);
private:
    Area a_;
    int item_;
};

class InteriorRef {
public:
    explicit InteriorRef(Area a) : a_(a) {}
    // Colour as the automation model gives it: 0xBBGGRR.
    void Color(uint32_t bgr);
private:
    Area a_;
};

// A rectangle of cells on a sheet. A light handle: copy it freely while its sheet lives.
class CellRange {
public:
    CellRange(Worksheet* sheet, int row1, int col1, int row2, int col2);

    // Value: a text (UTF-8), a number, or a 4-byte float (written as the shortest decimal
    // that reads back as the same float). Non-finite numbers are written as the text "NAN"
    // (the file format has no number for them). Every cell of the range gets the value
    // except the covered cells of a merged area.
    void Value(const std::string& text);
    void Value(const char* text) { Value(std::string(text ? text : "")); }
    void Value(double number);
    void Value(float number);
    void Value(int number) { Value(double(number)); }
    // The value of the top-left cell.
    CellValue Value() const;
    std::string Text() const { return Value().text; }

    FontRef Font() const { return FontRef(a_); }
    BorderRef Borders(int item) const { return BorderRef(a_, item); }
    InteriorRef Interior() const { return InteriorRef(a_); }

    void HorizontalAlignment(int align);
    // Width in characters of the standard font's digits, for every column of the range.
    void ColumnWidth(double characters);
    // Height in points, for every row of the range.
    void RowHeight(double points);
    // The cells of the range (the range itself).
    CellRange Cells() const { return *this; }

    // Further formats the template generator uses.
    void NumberFormat(const std::string& code);
    void WrapText(bool wrap);
    void VerticalCenter();
    void Merge();

    // The format of the top-left cell.
    CellFormat Format() const;

    int Row1() const { return a_.r1; }
    int Col1() const { return a_.c1; }
    int Row2() const { return a_.r2; }
    int Col2() const { return a_.c2; }
    std::string Address() const;

private:
    Area a_;
};

// The one sheet of a workbook the layer works on.
class Worksheet {
public:
    ~Worksheet();
    CellRange Cells(int row, int column);
    CellRange Range(const std::string& address);
    CellRange Range(const CellRange& first, const CellRange& last);
    // A whole column (its width is set through ColumnWidth).
    CellRange Columns(int column);
    // A whole row.
    CellRange Rows(int row);

    // Rows row1..row2, columns col1..col2, that the sheet does not hold: they are made one
    // at a time by `make` while the workbook is saved and go straight into the file, so a
    // sheet of any length holds one row in memory. make(row, writer) gives the row's texts;
    // the cells it leaves are written empty. Every cell of the area has one format, set
    // through the returned range (a format over rows of the area must cover all of its
    // columns and rows). The rows of the area cannot hold cells of their own, nor be given
    // values or heights otherwise; one area per sheet. `make` must stay valid until the
    // workbook is saved or closed.
    CellRange StreamRows(int row1, int col1, int row2, int col2, std::function<void(int row, RowWriter& cells)> make);

    std::string Name() const;
    // Read back: width in characters of a column (0 when it keeps the default), height in
    // points of a row (0 when default), the used area "A1:AB34" ("" when no cell is set),
    // and the merged areas.
    double ColumnWidthOf(int column) const;
    double RowHeightOf(int row) const;
    std::string UsedArea() const;
    std::vector<std::string> MergedAreas() const;

private:
    friend class Workbook;
    friend class CellRange;
    friend class FontRef;
    friend class BorderRef;
    friend class InteriorRef;
    struct Impl;
    explicit Worksheet(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// One open workbook.
class Workbook {
public:
    ~Workbook();
    Worksheet& ActiveSheet();
    // Writes the package to path (".xlsx" is not added): temporary file, then rename. The
    // rows of a streamed area pass through a scratch file beside path.
    void SaveAs(const std::string& path);
    // Closes without saving; the workbook is removed from its collection and this object
    // is destroyed. Do not use it afterwards.
    void Close();
    // The path it was opened from or last saved to ("" for a new one).
    const std::string& FullName() const;

    // The parts of the package, in order, and the bytes of one part ("" when missing).
    std::vector<std::string> PartNames() const;
    std::string PartText(const std::string& name) const;

private:
    friend class Workbooks;
    struct Impl;
    explicit Workbook(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

class Workbooks {
public:
    Workbooks();
    ~Workbooks();
    // A new workbook with one empty sheet.
    Workbook& add();
    // A workbook read from an .xlsx file.
    Workbook& Open(const std::string& path);
    // Item 1 is the first workbook still open.
    Workbook& Item(int index);
    int Count() const;

private:
    friend class Workbook;
    std::vector<std::unique_ptr<Workbook>> books_;
};

// The spreadsheet application: holds the open workbooks. Create it by its identifier,
// "excel.application"; null when no application answers to that identifier.
class Application {
public:
    static std::unique_ptr<Application> Create(const std::string& progId);
    Workbooks& WorkBooks() { return books_; }

private:
    Application() = default;
    Workbooks books_;
};

// Test hook: when set, Application::Create fails as if no spreadsheet application were
// installed.
extern bool g_XlsxUnavailable;

// Reads the parts of a zip package (name -> bytes). Throws Error when the file is missing
// or not a zip package.
std::map<std::string, std::string> ReadZipParts(const std::string& path);

}  // namespace qvr::xlsx
