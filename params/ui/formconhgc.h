// " Параметры связи с хроматографом ": table 14, the MODBUS link to the chromatograph.
#pragma once
#include "params/ui/formlinkutil.h"

class TFormConHGC : public LinkFormBase {
    Q_OBJECT
public:
    explicit TFormConHGC(QWidget* owner = nullptr);

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
    QComboBox* ComboBox1;  // MODBUS address 1..247, digits may be typed
    QComboBox* ComboBox2;  // rate
    QComboBox* ComboBox3;  // " ASCII", " RTU"
    QComboBox* ComboBox4;  // parity
    QComboBox* ComboBox5;  // reply time-out 5..255, hundredths of a second
    QComboBox* ComboBox6;  // failed polls 1..10
    QComboBox* ComboBox7;  // chromatograph type (the one supported)

public slots:
    void BitBtn1Click() override;
};
