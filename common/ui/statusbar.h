// A status bar of fixed-width text panels, usable by core code through qvr::IStatusBar.
#pragma once
#include <QLabel>
#include <QVector>
#include <QWidget>

#include "common/uihooks.h"

class TStatusBar : public QWidget, public qvr::IStatusBar {
    Q_OBJECT
public:
    // widths: one entry per panel; a width of -1 makes the panel take the free space.
    TStatusBar(const QVector<int>& widths, QWidget* parent = nullptr);

    void SetPanelText(int panel, const std::string& text) override;
    std::string PanelText(int panel) const override;
    void Repaint() override;

    int PanelCount() const { return int(panels_.size()); }
    int PanelWidth(int panel) const;
    void SetPanelWidth(int panel, int width);
    QLabel* Panel(int panel) const { return panels_.value(panel); }

private:
    QVector<QLabel*> panels_;
};
