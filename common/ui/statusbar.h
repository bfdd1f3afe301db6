// A status bar of text panels laid from the left, usable by core code through qvr::IStatusBar.
#pragma once
#include <QLabel>
#include <QVector>
#include <QWidget>

#include "common/uihooks.h"

class TStatusBar : public QWidget, public qvr::IStatusBar {
    Q_OBJECT
public:
    // widths: one entry per panel; a width of -1 makes the panel take the free space. When
    // no panel does, the last one runs to the right edge (its width is then its least).
    // A panel with a width widens to hold the widest text it has been given, so a text
    // is never cut: the widths are the least each panel has.
    TStatusBar(const QVector<int>& widths, QWidget* parent = nullptr);

    void SetPanelText(int panel, const std::string& text) override;
    std::string PanelText(int panel) const override;
    void Repaint() override;

    int PanelCount() const { return int(panels_.size()); }
    int PanelWidth(int panel) const;
    void SetPanelWidth(int panel, int width);
    QLabel* Panel(int panel) const { return panels_.value(panel); }

private:
    void FitPanel(int panel);

    QVector<QLabel*> panels_;
    QVector<int> widths_;  // the least width of each panel, -1 for the one taking the free space
    int stretch_ = -1;     // the panel taking the free space
};
