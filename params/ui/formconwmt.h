// " Параметры связи с влагомером": table 15, the MODBUS link to the moisture analyser.
#pragma once
#include "params/ui/formlinkutil.h"

class TFormConWMT : public LinkFormBase {
    Q_OBJECT
public:
    explicit TFormConWMT(QWidget* owner = nullptr);

    void FormCreate();
    void FormShow() override;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QComboBox* ComboBox1;  // MODBUS address 1..247, digits may be typed
    QComboBox* ComboBox2;  // rate
    QComboBox* ComboBox3;  // " ASCII", " RTU"
    QComboBox* ComboBox4;  // reply time-out 5..255, hundredths of a second, digits may be typed
    QComboBox* ComboBox5;  // failed polls 1..10
    QComboBox* ComboBox6;  // moisture-analyser type 0..2

public slots:
    void BitBtn1Click() override;
};
