#include "common/ui/statusbar.h"

#include <QHBoxLayout>

TStatusBar::TStatusBar(const QVector<int>& widths, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(2);
    for (int w : widths) {
        auto* label = new QLabel(this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        if (w >= 0) {
            label->setFixedWidth(w);
            layout->addWidget(label);
        } else {
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            layout->addWidget(label, 1);
        }
        panels_.push_back(label);
    }
    setFixedHeight(fontMetrics().height() + 8);
}

void TStatusBar::SetPanelText(int panel, const std::string& text) {
    if (QLabel* l = panels_.value(panel)) l->setText(QString::fromStdString(text));
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
    if (QLabel* l = panels_.value(panel)) l->setFixedWidth(width);
}
