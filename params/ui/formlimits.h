// The five float tables of the gas parameters (22 dead band, 23/24 lower/upper warning set
// point, 25/26 lower/upper limit of the values admitted for writing into the flow
// computers): one row per parameter with its name, allowed range, value and unit. Every
// value is checked against the range of its table and parameter on accept. The oxygen
// row is greyed and never changed.
#pragma once
#include "params/ui/formlinkutil.h"
#include "params/gaslimits.h"

class TFormLimits : public LinkFormBase {
    Q_OBJECT
public:
    explicit TFormLimits(QWidget* owner = nullptr);

    uint8_t LimitKind = 0;  // 0..4 = table 22..26; Data points to its 20 float32 (little-endian)

    void FormShow() override;

    QLabel* NameLabel[kGasLimitParamCount];
    QLabel* RangeLabel[kGasLimitParamCount];  // " %s - %s"
    QLineEdit* Edit[kGasLimitParamCount];
    QLabel* UnitLabel[kGasLimitParamCount];

public slots:
    void BitBtn1Click() override;

private:
    const GasParamLimitDescr& Descr(int param) const;
    // Whether the user has edited a row's value since the form was shown (typed, deleted,
    // pasted), even back to the text it showed. A row not edited keeps its stored value
    // exactly: its text is only that value rounded to the parameter's decimals.
    bool Edited[kGasLimitParamCount] = {};
    // Leaving an edit shows its number again with the parameter's decimals.
    void EditExit(int param);
};

// The write flags of table 21: for each gas parameter whether its values are written into
// the flow computers. The oxygen flag is greyed and never changed.
class TFormPrzDistr : public LinkFormBase {
    Q_OBJECT
public:
    explicit TFormPrzDistr(QWidget* owner = nullptr);

    void FormShow() override;

    QLabel* NameLabel[kGasLimitParamCount];
    QComboBox* ComboBox[kGasLimitParamCount];  // " Не записывать " / " Записывать"

public slots:
    void BitBtn1Click() override;
};
