// " Параметры связи с верхним уровнем ": table 3, the controller's address, rate and
// preambles on its upper-level line.
#pragma once
#include "params/ui/formlinkutil.h"

class TFormConVU : public LinkFormBase {
    Q_OBJECT
public:
    explicit TFormConVU(QWidget* owner = nullptr);

    void FormCreate();
    void FormShow() override;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QComboBox* ComboBox1;  // address 1..254, digits may be typed
    QComboBox* ComboBox2;  // rate
    QLineEdit* Edit1;      // preambles

public slots:
    void BitBtn1Click() override;
};
