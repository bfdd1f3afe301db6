// Two information windows of the main menu: the about box and "Условные обозначения,
// принятые в программе", the legend of the designations and abbreviations of the
// program's tables, forms and reports. Neither touches any data.
#pragma once
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* owner = nullptr);

    void FormShow();

    QLabel* Image1;        // the picture
    QLabel* ProgramName;   // "qvr_Torvane_370"
    QLabel* VersionLabel;  // "Версия     13.01"
    QLabel* MakerDetails;
    QPushButton* BitBtn1;  // closes the box

public slots:
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
};

class TFormMean : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPanels = 37;
    static constexpr int kGasPanels = 20;

    explicit TFormMean(QWidget* owner = nullptr);

    // Size, the gas-parameter designations of the composition chosen in the report
    // settings (prz_composition 1: volume fractions, otherwise molar), the abbreviations,
    // and the scroll box back at the top; runs when shown.
    void FormShow();

    QScrollArea* ScrollBox1;
    QLabel* pn[kPanels];   // pn1..pn37, found by name in the scroll box
    QPushButton* BitBtn1;  // "Выход"

public slots:
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
};

namespace qvr {
// Text of legend panel `index` (0..36) for the composition kind (1 volume, else molar).
const char* LegendText(int index, int composition);
}  // namespace qvr
