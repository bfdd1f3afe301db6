// "Формат представления данных": how analyses are shown and reported (ReportSettings):
// composition, heat unit, calculation method, methane correction, the kind of the daily
// report and the decimals of the chromatograph's values. Works directly on
// ReportSettings; the caller writes repconf.ini when it was accepted.
#pragma once
#include <QDialog>
#include <QGroupBox>
#include <cstdint>
#include <initializer_list>

class QButtonGroup;
class QComboBox;
class QPushButton;
class QRadioButton;

// A titled list of mutually exclusive options, with "no choice" possible.
class TRepRadioGroup : public QGroupBox {
public:
    TRepRadioGroup(const QString& title, std::initializer_list<const char*> items, QWidget* parent);
    int ItemIndex() const;         // -1: nothing chosen
    void SetItemIndex(int index);  // outside the items: nothing chosen
    QRadioButton* Item(int index) const;
    int Count() const;

private:
    QButtonGroup* group_;
};

class TFormRepConf : public QDialog {
    Q_OBJECT
public:
    explicit TFormRepConf(QWidget* parent = nullptr);

    uint8_t Accepted = 0;

    TRepRadioGroup* RadioGroup1;  // composition
    TRepRadioGroup* RadioGroup2;  // heat unit
    TRepRadioGroup* RadioGroup3;  // calculation method
    TRepRadioGroup* RadioGroup4;  // methane correction
    TRepRadioGroup* RadioGroup5;  // report kind
    // Decimals (items "2".."5") of: concentrations, Hi, Hs, density, Wobbe index,
    // compressibility factor, relative density.
    QComboBox* ComboBox[7];
    QPushButton* BitBtn1;  // "Принять"
    QPushButton* BitBtn2;  // "Отменить"

    // Analysis index whose decimals each list shows.
    static const int kDecimalsIndex[7];

public slots:
    void FormShow();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
};
