// " Параметры связи с ВРГ": table 9, the link to the gas flow computers. Choosing the
// number of flow computers stores it in the table at once and rebuilds the list of the
// flow computer that gives the gas temperature; leaving without accepting puts the number
// that was there back.
#pragma once
#include "params/ui/formlinkutil.h"

class QButtonGroup;
class QGroupBox;
class QRadioButton;

class TFormConVich : public LinkFormBase {
    Q_OBJECT
public:
    explicit TFormConVich(QWidget* owner = nullptr);

    void FormCreate();
    void FormShow() override;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QComboBox* ComboBox1;  // number of flow computers 1..16
    QComboBox* ComboBox2;  // rate
    QComboBox* ComboBox3;  // failed exchanges 1..10
    QComboBox* ComboBox4;  // reply time-out 1..255, tenths of a second
    QLineEdit* Edit1;      // preambles
    QGroupBox* GroupBox1;  // gas-parameter write mode
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QComboBox* ComboBox5;  // temperature source 0..n-1
    QComboBox* ComboBox6;  // pipeline "1".."3"

public slots:
    void BitBtn1Click() override;
    // The number of flow computers chosen: stored in field 0, temperature list rebuilt.
    void ComboBox1Change(int index);
    void reject() override;

private:
    // Fills the temperature-source list with 0..count-1 and selects `select` when it is one.
    void RebuildSourceList(int count, int select);

    QButtonGroup* modeGroup_;
    bool loading_ = false;
    bool haveOldCount_ = false;
    uint8_t oldCount_ = 0;
};
