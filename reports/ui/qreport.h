// A small band-report layer for the printouts: a report (TQuickRep) holds bands in the
// order they were made; each band holds printable items (labels, memos, rich-text cells,
// expressions) at fixed positions. Positions and sizes are report pixels, 120 to the inch
// (an A4 page is 992 pixels across); page size and margins are millimetres. Prepare() lays
// the bands out on pages; the same layout is drawn with QPainter for the preview, the
// printer and PDF files, and can be inspected (pages, band and text positions) by tests.
//
// Ownership follows the owner rule of the form designer: a band belongs to its report and
// an item to its band. Deleting an item or a band takes it out of its owner; deleting a
// band deletes the items still on it; deleting the report deletes the bands still on it.
#pragma once
#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QPrinter;
class QWidget;

constexpr double kReportPixelsPerInch = 120.0;
// The smallest size a ShrinkToFit item prints in, in points.
constexpr int kMinShrinkPoints = 6;
// Millimetres to report pixels (210 mm -> 992 pixels).
double MmToReportPixels(double mm);

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The four sides of an item's or a band's frame; sides not set are not drawn.
struct TQRFrame {
    bool DrawTop = false;
    bool DrawBottom = false;
    bool DrawLeft = false;
    bool DrawRight = false;
    void SetAll(bool on) { DrawTop = DrawBottom = DrawLeft = DrawRight = on; }
    bool Any() const { return DrawTop || DrawBottom || DrawLeft || DrawRight; }
};

// A font by name and point size. On the report surface a point is 120/72 report pixels.
struct TQRFont {
    QString Name = QStringLiteral("MS Sans Serif");
    int Size = 8;
    bool Bold = false;
    // The font with its pixel size in report pixels.
    QFont ToQFont() const;
    bool operator==(const TQRFont&) const = default;
};

class TQuickRep;
class TQRCustomBand;

// Common part of everything printed on a band.
class TQRPrintable {
public:
    explicit TQRPrintable(TQRCustomBand* parent);
    virtual ~TQRPrintable();
    TQRPrintable(const TQRPrintable&) = delete;
    TQRPrintable& operator=(const TQRPrintable&) = delete;

    TQRCustomBand* Parent() const { return parent_; }

    int Left = 0;
    int Top = 0;
    int Width = 65;
    int Height = 17;
    TQRFrame Frame;
    TAlignment Alignment = taLeftJustify;
    bool AutoSize = false;
    bool WordWrap = true;
    // true: the item prints in its band's font; SetFont gives it a font of its own.
    bool ParentFont = true;
    // true: a line wider than the item (and not wrapped) prints in a smaller size of its
    // font that fits the item's width, never below kMinShrinkPoints. For texts of the data
    // and the report settings whose length the layout cannot know.
    // A line that does not fit its item even so (or in an item that does not shrink) is
    // cut at the item's edge: it starts at the item's left edge whatever the alignment, so
    // that its beginning shows, and never runs over its neighbours or off the paper.
    bool ShrinkToFit = false;
    TQRFont Font;
    void SetFont(const QString& name, int size, bool bold = false);
    // The font the item prints in.
    TQRFont EffectiveFont() const;

    // The lines the item prints on a page (pages counted from 1).
    virtual QStringList PrintedLines(int page, int pageCount) const = 0;
    // The item's rectangle on its band; AutoSize items take the size of their text.
    QRectF BandRect(int page = 1, int pageCount = 1) const;

private:
    friend class TQRCustomBand;
    TQRCustomBand* parent_;
};

class TQRLabel : public TQRPrintable {
public:
    explicit TQRLabel(TQRCustomBand* parent) : TQRPrintable(parent) {}
    QString Caption;
    QStringList PrintedLines(int, int) const override { return {Caption}; }
};

// Multi-line text; WordWrap false keeps each line on one printed line.
class TQRMemo : public TQRPrintable {
public:
    explicit TQRMemo(TQRCustomBand* parent);
    QStringList Lines;
    QStringList PrintedLines(int, int) const override { return Lines; }
};

// Formatted multi-line text; here a block of lines in one font and alignment.
class TQRRichText : public TQRPrintable {
public:
    explicit TQRRichText(TQRCustomBand* parent);
    QStringList Lines;
    QStringList PrintedLines(int, int) const override { return Lines; }
};

// An expression evaluated when the page is printed: "PAGENUMBER" prints the page number;
// any other expression prints as written.
class TQRExpr : public TQRPrintable {
public:
    explicit TQRExpr(TQRCustomBand* parent) : TQRPrintable(parent) { AutoSize = true; }
    QString Expression;
    QStringList PrintedLines(int page, int pageCount) const override;
};

enum TQRBandType {
    rbTitle,         // once, at the top of the first page
    rbPageHeader,    // at the top of every page
    rbColumnHeader,  // under the page header of every page
    rbDetail,        // in the body, in the order made
    rbSubDetail,     // the same (bands made at run time)
    rbSummary,       // after the body
    rbPageFooter,    // at the bottom of every page
    rbChild,         // right after its parent band
};

class TQRCustomBand {
public:
    TQRCustomBand(TQuickRep* report, TQRBandType type);
    virtual ~TQRCustomBand();
    TQRCustomBand(const TQRCustomBand&) = delete;
    TQRCustomBand& operator=(const TQRCustomBand&) = delete;

    TQuickRep* Report() const { return report_; }
    TQRBandType BandType() const { return type_; }
    const std::vector<TQRPrintable*>& Items() const { return items_; }

    int Height = 40;
    TQRFrame Frame;
    bool ParentFont = true;
    TQRFont Font;
    void SetFont(const QString& name, int size, bool bold = false);
    TQRFont EffectiveFont() const;
    // The band starts a new page unless it is the first band of the page's body.
    bool ForceNewPage = false;
    // false: the band is left out of the layout.
    bool Enabled = true;

private:
    friend class TQRPrintable;
    friend class TQuickRep;
    TQuickRep* report_;
    TQRBandType type_;
    std::vector<TQRPrintable*> items_;
};

class TQRBand : public TQRCustomBand {
public:
    explicit TQRBand(TQuickRep* report, TQRBandType type = rbDetail) : TQRCustomBand(report, type) {}
};

// Printed right after ParentBand (in the body order when it has none).
class TQRChildBand : public TQRCustomBand {
public:
    explicit TQRChildBand(TQuickRep* report, TQRCustomBand* parentBand = nullptr)
        : TQRCustomBand(report, rbChild), ParentBand(parentBand) {}
    TQRCustomBand* ParentBand;
};

class TQRSubDetail : public TQRCustomBand {
public:
    explicit TQRSubDetail(TQuickRep* report) : TQRCustomBand(report, rbSubDetail) {}
};

// Where a band landed: page (from 1) and its rectangle on the paper in report pixels.
struct TQRBandPlacement {
    const TQRCustomBand* band;
    int page;
    QRectF rect;
};

// One printed line of text: page, text, rectangle on the paper in report pixels, and the
// font and QPainter::drawText flags it is drawn with. Without Qt::TextDontClip the painter
// cuts the text at the rectangle.
struct TQRTextPlacement {
    const TQRPrintable* item;
    int page;
    QString text;
    QRectF rect;
    QFont font;
    int flags = 0;
};

// A printed text that does not show whole where it stands (see TQuickRep::FitProblems).
struct TQRFitProblem {
    const TQRPrintable* item;
    int page;
    QString text;
    QRectF rect;      // the line's rectangle on the paper
    QRectF textRect;  // where the text lands at its font
    QString problem;  // what is wrong, in words, with the sizes
};

// Indexes of the page values (millimetres).
enum TQRPageValue {
    pvBottomMargin = 0,
    pvLength = 1,
    pvTopMargin = 2,
    pvWidth = 3,
    pvLeftMargin = 4,
    pvRightMargin = 5,
    pvColumnSpace = 6,
};

class TQuickRep {
public:
    TQuickRep();
    ~TQuickRep();
    TQuickRep(const TQuickRep&) = delete;
    TQuickRep& operator=(const TQuickRep&) = delete;

    // Page values by index (TQRPageValue), millimetres. A4 portrait, 10 mm margins.
    double PageValue(int index) const;
    void SetPageValue(int index, double mm);

    TQRFont Font;  // the report's font, inherited by bands that set none
    bool FirstPageHeader = true;  // page header bands also on the first page
    bool LastPageFooter = true;   // page footer bands also on the last page
    QString ReportTitle;          // the print job's name

    const std::vector<TQRCustomBand*>& Bands() const { return bands_; }

    // Lays the bands out on pages and returns the page count (at least 1).
    int Prepare();
    int PageCount();
    const std::vector<TQRBandPlacement>& BandPlacements();
    // Every printed line with its position on the paper (report pixels from the paper's
    // top-left corner).
    std::vector<TQRTextPlacement> TextPlacements();
    // The placements of lines equal to text.
    std::vector<TQRTextPlacement> FindText(const QString& text);
    // Where an item prints (the first placement of its band).
    bool ItemPlacement(const TQRPrintable* item, int& page, QRectF& rect);
    // Every printed text measured at the font it prints in: a line wider than its item
    // (printed cut at the item's edge), a wrapped text taller than its item, a text that
    // leaves its band or the paper, and texts of different items whose glyphs overlap
    // (only what the cut leaves counts). Empty when every text shows whole.
    std::vector<TQRFitProblem> FitProblems();

    // Draws one page (from 1) with the painter mapped so that one unit is one report
    // pixel and (0, 0) is the paper's top-left corner.
    void PaintPage(QPainter& painter, int page);
    // Draws every page on a paged device (printer or PDF writer) whose page is A4 with
    // the full paper addressable; false when the painter cannot start.
    bool Render(QPagedPaintDevice& device);
    bool RenderToPdf(const QString& path);
    // Prints on a printer set up by the printer dialog: only the pages of its range
    // (fromPage..toPage, all when 0), as many copies as it asks for (collated or not) when
    // the printer does not make the copies itself.
    bool PrintTo(QPrinter& printer);

    // Modal print preview; the user prints from the preview window.
    void Preview(QWidget* parent = nullptr);
    // The printer dialog, then the printout; false when cancelled or not printed.
    bool Print(QWidget* parent = nullptr);

private:
    friend class TQRCustomBand;
    void Layout();
    // Draws the given pages (from 1, in order, repeats allowed), one sheet each.
    bool RenderPages(QPagedPaintDevice& device, const std::vector<int>& pages);
    // The printed lines of one band placement.
    void AppendLines(const TQRBandPlacement& bp, std::vector<TQRTextPlacement>& out) const;
    double pageValues_[7];
    std::vector<TQRCustomBand*> bands_;
    std::vector<TQRBandPlacement> placements_;
    int pageCount_ = 1;
    bool deleting_ = false;
};

namespace qvr {

// Replaces the preview and print windows (tests, batch use): called with the report and
// true for Print, false for Preview; the result is what Print returns.
using ReportOutputHook = std::function<bool(TQuickRep& report, bool print)>;
void SetReportOutputHook(ReportOutputHook hook);

}  // namespace qvr
