// What one label of a laid-out report puts on the paper: its page is drawn with and
// without the label's caption, and the pixels that differ are the label's ink.
#pragma once
#include <QImage>
#include <QPainter>
#include <QRectF>

#include <algorithm>

#include "reports/ui/qreport.h"

struct LabelInk {
    QRectF item;  // the label's rectangle on the paper, report pixels
    QRectF ink;   // the box of its ink, report pixels; empty when it prints nothing
    // The ink lies between the label's left and right edges (a quarter pixel for the
    // rounding of the drawing); descenders may reach below a label lower than its font.
    bool Inside() const {
        return !ink.isEmpty() && ink.left() >= item.left() - 0.25 && ink.right() <= item.right() + 0.25;
    }
};

// The label's ink on its page, drawn at 4 device pixels per report pixel across the whole
// paper and 64 report pixels beyond each edge (ink off the paper counts), over the rows
// of the label's rectangle and 64 report pixels above and below.
inline LabelInk InkOf(TQuickRep& rep, TQRLabel* label) {
    LabelInk out;
    int page = 0;
    if (!rep.ItemPlacement(label, page, out.item)) return out;
    constexpr int kScale = 4;
    constexpr double kSpare = 64;
    const QRectF area(-kSpare, out.item.top() - kSpare, MmToReportPixels(rep.PageValue(pvWidth)) + 2 * kSpare,
                      out.item.height() + 2 * kSpare);
    auto draw = [&] {
        QImage image(int(area.width() * kScale), int(area.height() * kScale), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.scale(kScale, kScale);
        p.translate(-area.topLeft());
        rep.PaintPage(p, page);
        return image;
    };
    const QImage with = draw();
    const QString caption = label->Caption;
    label->Caption.clear();
    const QImage without = draw();
    label->Caption = caption;
    int x0 = with.width(), y0 = with.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < with.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(with.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(without.constScanLine(y));
        for (int x = 0; x < with.width(); ++x) {
            if (a[x] == b[x]) continue;
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
        }
    }
    if (x1 >= 0)
        out.ink = QRectF(area.left() + double(x0) / kScale, area.top() + double(y0) / kScale,
                         double(x1 + 1 - x0) / kScale, double(y1 + 1 - y0) / kScale);
    return out;
}
