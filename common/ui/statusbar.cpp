#include "common/ui/statusbar.h"

#include <QFontMetrics>
#include <QHBoxLayout>

#include <algorithm>
#include <cmath>

TStatusBar::TStatusBar(const QVector<int>& widths, QWidget* parent) : QWidget(parent), widths_(widths) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(2);
    stretch_ = int(widths.indexOf(-1));
    if (stretch_ < 0 && !widths.isEmpty()) stretch_ = int(widths.size()) - 1;
    for (int i = 0; i < widths.size(); ++i) {
        auto* label = new QLabel(this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        if (i == stretch_) {
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            if (widths[i] > 0) label->setMinimumWidth(widths[i]);
            layout->addWidget(label, 1);
        } else {
            label->setFixedWidth(widths[i]);
            layout->addWidget(label);
        }
        panels_.push_back(label);
    }
    setFixedHeight(fontMetrics().height() + 8);
}

void TStatusBar::FitPanel(int panel) {
    QLabel* l = panels_.value(panel);
    if (!l || panel == stretch_) return;
    // The text's width rounded up (it is laid out at fractional widths), the label's frame
    // on both sides and its indent (half an 'x' on a framed label) on the side it is
    // aligned to.
    const QFontMetricsF fm(l->font());
    const int indent = l->indent() >= 0 ? l->indent() : QFontMetrics(l->font()).horizontalAdvance(QLatin1Char('x')) / 2;
    const int need = l->text().isEmpty() ? 0
                                         : int(std::ceil(fm.horizontalAdvance(l->text()))) +
                                               2 * (l->frameWidth() + l->margin()) + indent;
    if (need > widths_[panel]) {
        widths_[panel] = need;
        l->setFixedWidth(need);
    }
}

void TStatusBar::SetPanelText(int panel, const std::string& text) {
    if (QLabel* l = panels_.value(panel)) {
        l->setText(QString::fromStdString(text));
        FitPanel(panel);
    }
}

std::string TStatusBar::PanelText(int panel) const {
    QLabel* l = panels_.value(panel);
    return l ? l->text().toStdString() : std::string();
}

void TStatusBar::Repaint() { repaint(); }

int TStatusBar::PanelWidth(int panel) const {
    QLabel* l = panels_.value(panel);
    return l ? l->width() : 0;
}

void TStatusBar::SetPanelWidth(int panel, int width) {
    QLabel* l = panels_.value(panel);
    if (!l) return;
    widths_[panel] = width;
    if (panel == stretch_) {
        l->setMinimumWidth(std::max(width, 0));
    } else {
        l->setFixedWidth(width);
        FitPanel(panel);
    }
}
