// The period of writing hourly means of the gas parameters into the flow computers:
// table 28, field 0 one of 1, 2, 3, 4, 6, 12, 24 hours; field 1 is written as 0.
#pragma once
#include "params/ui/formlinkutil.h"

class TFormDistr : public LinkFormBase {
    Q_OBJECT
public:
    explicit TFormDistr(QWidget* owner = nullptr);

    void FormShow() override;

    QComboBox* ComboBox1;  // " %u" for each period
    QLabel* Label1;        // "ч"

public slots:
    void BitBtn1Click() override;
};
