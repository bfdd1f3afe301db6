#include "reports/ui/qreport.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>

#include "common/uihooks.h"

namespace {

qvr::ReportOutputHook& OutputHook() {
    static qvr::ReportOutputHook hook;
    return hook;
}

// Families tried for a font name. The layouts were drawn for the metrics of Arial and
// Times New Roman ("MS Sans Serif" and "Small Fonts" print as Arial), so each name resolves
// to its metric-compatible Liberation face first, whatever else the machine has; DejaVu only
// where Liberation is missing.
QStringList FamiliesFor(const QString& name) {
    auto is = [&](const char* n) { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
    if (is("Times New Roman"))
        return {QStringLiteral("Liberation Serif"), name, QStringLiteral("DejaVu Serif Condensed"),
                QStringLiteral("DejaVu Serif")};
    if (is("Courier New"))
        return {QStringLiteral("Liberation Mono"), name, QStringLiteral("DejaVu Sans Mono")};
    return {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), name, QStringLiteral("DejaVu Sans Condensed"),
            QStringLiteral("DejaVu Sans")};
}

// Line pitch of a font in report pixels.
double LineHeight(const QFont& font) { return QFontMetricsF(font).height(); }

// The font scaled down so that its line fits a pitch smaller than its own.
QFont FittedFont(const QFont& font, double pitch) {
    const double natural = LineHeight(font);
    if (pitch <= 0 || natural <= pitch) return font;
    QFont f = font;
    f.setPixelSize(std::max(1, int(std::floor(font.pixelSize() * pitch / natural))));
    return f;
}

// Blank space kept between a shrunk text and its item's sides, so that texts of items side
// by side (value columns 71 pixels wide at a 70-pixel pitch) do not run together.
constexpr double kShrinkMargin = 2.0;

// The font of a ShrinkToFit line: as given when the text fits the width less the margins,
// else the largest whole pixel size that does, but not below kMinShrinkPoints.
QFont ShrunkFont(const QFont& font, const QString& text, double width) {
    width -= 2 * kShrinkMargin;
    const double w = QFontMetricsF(font).horizontalAdvance(text);
    if (w <= width || w <= 0) return font;
    const int least = int(std::ceil(kMinShrinkPoints * kReportPixelsPerInch / 72.0));
    QFont f = font;
    int px = std::max(least, int(std::floor(font.pixelSize() * width / w)));
    f.setPixelSize(px);
    // Glyph widths do not scale exactly with the size: step down until it fits.
    while (px > least && QFontMetricsF(f).horizontalAdvance(text) > width) f.setPixelSize(--px);
    return f;
}

Qt::Alignment HAlign(TAlignment a) {
    switch (a) {
    case taRightJustify: return Qt::AlignRight;
    case taCenter: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}

// Pitch of the lines of a multi-line item: its font's line, closed up when the item is
// not tall enough for all of them (memos grow by a fixed step per row).
double MultiLinePitch(const TQRPrintable& item, int lines, double height) {
    const double natural = LineHeight(item.EffectiveFont().ToQFont());
    if (lines <= 1 || height <= 0) return natural;
    return std::min(natural, height / lines);
}

}  // namespace

double MmToReportPixels(double mm) { return mm * kReportPixelsPerInch / 25.4; }

QFont TQRFont::ToQFont() const {
    QFont f;
    f.setFamilies(FamiliesFor(Name));
    f.setStyleHint(Name.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0 ? QFont::Serif
                                                                                             : QFont::SansSerif);
    f.setPixelSize(std::max(1, int(std::lround(Size * kReportPixelsPerInch / 72.0))));
    f.setBold(Bold);
    return f;
}

// ---------------------------------------------------------------------------------------
TQRPrintable::TQRPrintable(TQRCustomBand* parent) : parent_(parent) {
    if (parent_) parent_->items_.push_back(this);
}

TQRPrintable::~TQRPrintable() {
    if (parent_) {
        auto& v = parent_->items_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
}

void TQRPrintable::SetFont(const QString& name, int size, bool bold) {
    Font = TQRFont{name, size, bold};
    ParentFont = false;
}

TQRFont TQRPrintable::EffectiveFont() const {
    if (!ParentFont || !parent_) return Font;
    return parent_->EffectiveFont();
}

QRectF TQRPrintable::BandRect(int page, int pageCount) const {
    QRectF r(Left, Top, Width, Height);
    if (!AutoSize) return r;
    const QStringList lines = PrintedLines(page, pageCount);
    const QFontMetricsF fm(EffectiveFont().ToQFont());
    double w = 0;
    for (const QString& l : lines) w = std::max(w, fm.horizontalAdvance(l));
    r.setWidth(std::ceil(w) + 1);
    r.setHeight(std::ceil(fm.height() * std::max<qsizetype>(1, lines.size())));
    return r;
}

TQRMemo::TQRMemo(TQRCustomBand* parent) : TQRPrintable(parent) { Width = 100; }

TQRRichText::TQRRichText(TQRCustomBand* parent) : TQRPrintable(parent) {
    Width = 100;
    Height = 50;
    ParentFont = false;  // a rich-text item keeps its own (default) font
}

QStringList TQRExpr::PrintedLines(int page, int) const {
    if (Expression.trimmed().compare(QStringLiteral("PAGENUMBER"), Qt::CaseInsensitive) == 0)
        return {QString::number(page)};
    return {Expression};
}

// ---------------------------------------------------------------------------------------
TQRCustomBand::TQRCustomBand(TQuickRep* report, TQRBandType type) : report_(report), type_(type) {
    if (report_) report_->bands_.push_back(this);
}

TQRCustomBand::~TQRCustomBand() {
    while (!items_.empty()) delete items_.back();  // each item takes itself out
    if (report_ && !report_->deleting_) {
        auto& v = report_->bands_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        // Child bands of this band lose their parent.
        for (TQRCustomBand* b : v)
            if (auto* c = dynamic_cast<TQRChildBand*>(b); c && c->ParentBand == this) c->ParentBand = nullptr;
    }
}

void TQRCustomBand::SetFont(const QString& name, int size, bool bold) {
    Font = TQRFont{name, size, bold};
    ParentFont = false;
}

TQRFont TQRCustomBand::EffectiveFont() const {
    if (!ParentFont || !report_) return Font;
    return report_->Font;
}

// ---------------------------------------------------------------------------------------
TQuickRep::TQuickRep() : pageValues_{10, 297, 10, 210, 10, 10, 0} {}

TQuickRep::~TQuickRep() {
    deleting_ = true;
    std::vector<TQRCustomBand*> bands;
    bands.swap(bands_);
    for (TQRCustomBand* b : bands) {
        b->report_ = nullptr;
        delete b;
    }
}

double TQuickRep::PageValue(int index) const { return (index >= 0 && index < 7) ? pageValues_[index] : 0.0; }

void TQuickRep::SetPageValue(int index, double mm) {
    if (index >= 0 && index < 7) pageValues_[index] = mm;
}

void TQuickRep::Layout() {
    placements_.clear();
    const double left = MmToReportPixels(pageValues_[pvLeftMargin]);
    const double top = MmToReportPixels(pageValues_[pvTopMargin]);
    const double width =
        MmToReportPixels(pageValues_[pvWidth] - pageValues_[pvLeftMargin] - pageValues_[pvRightMargin]);
    const double bodyHeight =
        MmToReportPixels(pageValues_[pvLength] - pageValues_[pvTopMargin] - pageValues_[pvBottomMargin]);

    std::vector<TQRCustomBand*> headers, columnHeaders, footers, titles, body, summaries;
    for (TQRCustomBand* b : bands_) {
        if (!b->Enabled) continue;
        switch (b->BandType()) {
        case rbPageHeader: headers.push_back(b); break;
        case rbColumnHeader: columnHeaders.push_back(b); break;
        case rbPageFooter: footers.push_back(b); break;
        case rbTitle: titles.push_back(b); break;
        case rbSummary: summaries.push_back(b); break;
        case rbChild:
            if (static_cast<TQRChildBand*>(b)->ParentBand == nullptr) body.push_back(b);
            break;
        default: body.push_back(b); break;
        }
    }
    // The flow: titles, body, summaries, each band followed by its child bands.
    std::vector<TQRCustomBand*> flow;
    auto addWithChildren = [&](auto&& self, TQRCustomBand* b, int depth) -> void {
        flow.push_back(b);
        if (depth > 64) return;
        for (TQRCustomBand* c : bands_)
            if (c->Enabled && c->BandType() == rbChild && static_cast<TQRChildBand*>(c)->ParentBand == b)
                self(self, c, depth + 1);
    };
    for (auto* b : titles) addWithChildren(addWithChildren, b, 0);
    for (auto* b : body) addWithChildren(addWithChildren, b, 0);
    for (auto* b : summaries) addWithChildren(addWithChildren, b, 0);

    double footerHeight = 0;
    for (auto* b : footers) footerHeight += b->Height;

    int page = 1;
    double y = 0;
    bool pageHasBody = false;
    auto place = [&](TQRCustomBand* b) {
        placements_.push_back({b, page, QRectF(left, top + y, width, b->Height)});
        y += b->Height;
    };
    auto startPage = [&]() {
        y = 0;
        pageHasBody = false;
        if (page > 1 || FirstPageHeader)
            for (auto* b : headers) place(b);
        for (auto* b : columnHeaders) place(b);
    };
    startPage();
    for (TQRCustomBand* b : flow) {
        const bool full = y + b->Height > bodyHeight - footerHeight;
        if (pageHasBody && (b->ForceNewPage || full)) {
            ++page;
            startPage();
        }
        place(b);
        pageHasBody = true;
    }
    pageCount_ = page;
    for (int p = 1; p <= pageCount_; ++p) {
        if (p == pageCount_ && !LastPageFooter) break;
        double fy = bodyHeight - footerHeight;
        for (auto* b : footers) {
            placements_.push_back({b, p, QRectF(left, top + fy, width, b->Height)});
            fy += b->Height;
        }
    }
}

int TQuickRep::Prepare() {
    Layout();
    return pageCount_;
}

int TQuickRep::PageCount() { return Prepare(); }

const std::vector<TQRBandPlacement>& TQuickRep::BandPlacements() {
    Layout();
    return placements_;
}

void TQuickRep::AppendLines(const TQRBandPlacement& bp, std::vector<TQRTextPlacement>& out) const {
    // One line of text that is not wrapped: aligned in its rectangle while it fits. Wider
    // (a text too long even at the smallest size), it is drawn from the rectangle's left
    // edge, whatever the alignment, and the painter cuts it at the right edge: its start
    // shows, and it never runs over a neighbour or off the paper.
    auto oneLine = [&](const TQRPrintable* item, const QString& text, const QRectF& rect, const QFont& font, int flags) {
        if (QFontMetricsF(font).horizontalAdvance(text) > rect.width()) {
            flags &= ~int(Qt::AlignHorizontal_Mask | Qt::TextDontClip);
            flags |= Qt::AlignLeft;
        }
        out.push_back({item, bp.page, text, rect, font, flags});
    };
    for (const TQRPrintable* item : bp.band->Items()) {
        const QRectF r = item->BandRect(bp.page, pageCount_).translated(bp.rect.topLeft());
        const QStringList lines = item->PrintedLines(bp.page, pageCount_);
        if (lines.isEmpty()) continue;
        const QFont font = item->EffectiveFont().ToQFont();
        const Qt::Alignment h = HAlign(item->Alignment);
        const bool shrink = item->ShrinkToFit && !item->AutoSize;
        if (lines.size() == 1) {
            // Wrap only where the item has room for more than one line.
            const int flags = int(h | Qt::AlignTop);
            if (item->WordWrap && !item->AutoSize && r.height() >= 2 * LineHeight(font)) {
                out.push_back({item, bp.page, lines[0], r, font, flags | Qt::TextWordWrap});
                continue;
            }
            QRectF tr = r;
            tr.setHeight(std::max(r.height(), LineHeight(font)));
            oneLine(item, lines[0], tr, shrink ? ShrunkFont(font, lines[0], r.width()) : font,
                    flags | Qt::TextDontClip);
            continue;
        }
        const double pitch = MultiLinePitch(*item, int(lines.size()), r.height());
        const QFont fitted = FittedFont(font, pitch);
        for (qsizetype i = 0; i < lines.size(); ++i)
            oneLine(item, lines[i], QRectF(r.left(), r.top() + pitch * i, r.width(), pitch),
                    shrink ? ShrunkFont(fitted, lines[i], r.width()) : fitted, int(h | Qt::AlignTop));
    }
}

std::vector<TQRTextPlacement> TQuickRep::TextPlacements() {
    Layout();
    std::vector<TQRTextPlacement> out;
    for (const TQRBandPlacement& bp : placements_) AppendLines(bp, out);
    return out;
}

std::vector<TQRFitProblem> TQuickRep::FitProblems() {
    Layout();
    const QRectF paper(0, 0, MmToReportPixels(pageValues_[pvWidth]), MmToReportPixels(pageValues_[pvLength]));
    std::vector<TQRFitProblem> out;
    constexpr double kSlack = 0.5;  // rounding of the measures
    auto num = [](double v) { return QString::number(v, 'f', 1); };
    struct Ink {
        size_t line;  // index into lines
        QRectF rect;
    };
    std::vector<TQRTextPlacement> lines;
    std::vector<Ink> inks;
    for (const TQRBandPlacement& bp : placements_) {
        const size_t first = lines.size();
        AppendLines(bp, lines);
        for (size_t i = first; i < lines.size(); ++i) {
            const TQRTextPlacement& t = lines[i];
            if (t.text.trimmed().isEmpty()) continue;
            const QFontMetricsF fm(t.font);
            auto report = [&](const QRectF& textRect, const QString& what) {
                out.push_back({t.item, t.page, t.text, t.rect, textRect, what});
            };
            QRectF box;  // the text's advance box: where it lands
            if (t.flags & Qt::TextWordWrap) {
                box = fm.boundingRect(t.rect, t.flags, t.text);
                if (box.height() > t.rect.height() + kSlack || box.width() > t.rect.width() + kSlack)
                    report(box, QStringLiteral("wrapped text needs %1 x %2, item is %3 x %4")
                                    .arg(num(box.width()), num(box.height()), num(t.rect.width()), num(t.rect.height())));
            } else {
                const double w = fm.horizontalAdvance(t.text);
                if (w <= 0) continue;  // nothing that prints (a soft hyphen alone)
                double x = t.rect.left();
                if (t.flags & Qt::AlignRight) x = t.rect.right() - w;
                else if (t.flags & Qt::AlignHCenter) x = t.rect.center().x() - w / 2;
                box = QRectF(x, t.rect.top(), w, fm.ascent() + fm.descent());
                if (w > t.rect.width() + kSlack)
                    report(box, QStringLiteral("needs %1 px, item is %2 px wide").arg(num(w), num(t.rect.width())));
            }
            // What the painter cuts off puts no ink on the paper.
            const bool cut = !(t.flags & Qt::TextDontClip);
            const QRectF drawn = box;
            if (cut) {
                box = box.intersected(t.rect);
                if (box.isEmpty()) continue;
            }
            if (!paper.adjusted(-kSlack, -kSlack, kSlack, kSlack).contains(box))
                report(box, QStringLiteral("off the paper"));
            else if (!bp.rect.adjusted(-kSlack, -kSlack, kSlack, kSlack).contains(box))
                report(box, QStringLiteral("leaves its band"));
            // The glyphs as drawn, for the overlap test below.
            const double baseline = drawn.top() + fm.ascent();
            QRectF ink = fm.tightBoundingRect(t.text).translated(drawn.left(), baseline);
            if (cut) ink = ink.intersected(t.rect);
            if (!(t.flags & Qt::TextWordWrap) && ink.isValid()) inks.push_back({i, ink});
        }
    }
    // Glyphs of different items that overlap or touch on a page (a sweep down each page).
    std::sort(inks.begin(), inks.end(), [&](const Ink& a, const Ink& b) {
        const int pa = lines[a.line].page, pb = lines[b.line].page;
        return pa != pb ? pa < pb : a.rect.top() < b.rect.top();
    });
    for (size_t i = 0; i < inks.size(); ++i) {
        const TQRTextPlacement& a = lines[inks[i].line];
        for (size_t j = i + 1; j < inks.size(); ++j) {
            const TQRTextPlacement& b = lines[inks[j].line];
            if (b.page != a.page || inks[j].rect.top() >= inks[i].rect.bottom() - kSlack) break;
            if (a.item == b.item) continue;
            // Side by side, glyphs closer than a pixel read as one text.
            const QRectF both = inks[i].rect.adjusted(-0.5, 0, 0.5, 0).intersected(inks[j].rect.adjusted(-0.5, 0, 0.5, 0));
            if (both.width() > 0 && both.height() > kSlack)
                out.push_back({a.item, a.page, a.text, a.rect, inks[i].rect,
                               QStringLiteral("overlaps \"%1\"").arg(b.text)});
        }
    }
    return out;
}

std::vector<TQRTextPlacement> TQuickRep::FindText(const QString& text) {
    std::vector<TQRTextPlacement> out;
    for (auto& t : TextPlacements())
        if (t.text == text) out.push_back(t);
    return out;
}

bool TQuickRep::ItemPlacement(const TQRPrintable* item, int& page, QRectF& rect) {
    Layout();
    for (const TQRBandPlacement& bp : placements_) {
        if (bp.band != item->Parent()) continue;
        page = bp.page;
        rect = item->BandRect(bp.page, pageCount_).translated(bp.rect.topLeft());
        return true;
    }
    return false;
}

namespace {

void DrawFrame(QPainter& p, const QRectF& r, const TQRFrame& f) {
    if (f.DrawTop) p.drawLine(QPointF(r.left(), r.top()), QPointF(r.right(), r.top()));
    if (f.DrawBottom) p.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.right(), r.bottom()));
    if (f.DrawLeft) p.drawLine(QPointF(r.left(), r.top()), QPointF(r.left(), r.bottom()));
    if (f.DrawRight) p.drawLine(QPointF(r.right(), r.top()), QPointF(r.right(), r.bottom()));
}

}  // namespace

void TQuickRep::PaintPage(QPainter& p, int page) {
    p.save();
    QPen pen(Qt::black);
    pen.setWidthF(1.0);
    p.setPen(pen);
    std::vector<TQRTextPlacement> lines;
    for (const TQRBandPlacement& bp : placements_) {
        if (bp.page != page) continue;
        DrawFrame(p, bp.rect, bp.band->Frame);
        for (const TQRPrintable* item : bp.band->Items())
            DrawFrame(p, item->BandRect(page, pageCount_).translated(bp.rect.topLeft()), item->Frame);
        lines.clear();
        AppendLines(bp, lines);
        for (const TQRTextPlacement& t : lines) {
            if (t.text.isEmpty()) continue;
            p.setFont(t.font);
            p.drawText(t.rect, t.flags, t.text);
        }
    }
    p.restore();
}

bool TQuickRep::Render(QPagedPaintDevice& device) {
    Layout();
    std::vector<int> pages;
    for (int page = 1; page <= pageCount_; ++page) pages.push_back(page);
    return RenderPages(device, pages);
}

bool TQuickRep::RenderPages(QPagedPaintDevice& device, const std::vector<int>& pages) {
    Layout();
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter p;
    if (!p.begin(&device)) return false;
    // Scale report pixels to the device, whatever its resolution.
    const double scale = device.logicalDpiX() / kReportPixelsPerInch;
    bool first = true;
    for (int page : pages) {
        if (page < 1 || page > pageCount_) continue;
        if (!first) device.newPage();
        first = false;
        p.save();
        p.scale(scale, scale);
        PaintPage(p, page);
        p.restore();
        qvr::ProcessMessages();
    }
    return p.end();
}

bool TQuickRep::PrintTo(QPrinter& printer) {
    Layout();
    int from = 1, to = pageCount_;
    if (printer.printRange() == QPrinter::PageRange || printer.fromPage() > 0) {
        if (printer.fromPage() > 0) from = std::max(1, printer.fromPage());
        if (printer.toPage() > 0) to = std::min(pageCount_, printer.toPage());
    }
    if (from > to) return false;  // a range beyond the report prints nothing
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    std::vector<int> pages;
    if (printer.collateCopies()) {
        for (int c = 0; c < copies; ++c)
            for (int page = from; page <= to; ++page) pages.push_back(page);
    } else {
        for (int page = from; page <= to; ++page)
            for (int c = 0; c < copies; ++c) pages.push_back(page);
    }
    return RenderPages(printer, pages);
}

bool TQuickRep::RenderToPdf(const QString& path) {
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setTitle(ReportTitle);
    return Render(writer);
}

void TQuickRep::Preview(QWidget* parent) {
    if (OutputHook()) {
        OutputHook()(*this, false);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setDocName(ReportTitle);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Предварительный просмотр"));
    // The preview draws every page; printing from it goes through the printer dialog,
    // whose page range and copies PrintTo honours.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this](QPrinter* pr) { PrintTo(*pr); });
    dialog.exec();
}

bool TQuickRep::Print(QWidget* parent) {
    if (OutputHook()) return OutputHook()(*this, true);
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setDocName(ReportTitle);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    Layout();
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, pageCount_);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    if (dialog.exec() != QDialog::Accepted) return false;
    qvr::HourglassScope hourglass;
    return PrintTo(printer);
}

namespace qvr {

void SetReportOutputHook(ReportOutputHook hook) { OutputHook() = std::move(hook); }

}  // namespace qvr
