// " Параметры связи по Ethernet": table 29, the controller's own Ethernet interface
// (address, mask, gateway, four connection ports).
#pragma once
#include "params/ui/formlinkutil.h"

class TFormConEth : public LinkFormBase {
    Q_OBJECT
public:
    explicit TFormConEth(QWidget* owner = nullptr);

    void FormCreate();
    void FormShow() override;

    QLabel* Label1;  // "IP-адрес контроллера"
    QLabel* Label2;  // "Маска подсети"
    QLabel* Label3;  // "Шлюз по умолчанию"
    QLabel* Label4;  // "Порт соединения 1" ..
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLineEdit *ip1, *ip2, *ip3, *ip4;  // address, byte 0 first
    QLineEdit *im1, *im2, *im3, *im4;  // mask
    QLineEdit *is1, *is2, *is3, *is4;  // gateway
    QLineEdit *e1, *e2, *e3, *e4;      // ports

public slots:
    void BitBtn1Click() override;

private:
    QLineEdit* octets_[12];
    QLineEdit* ports_[4];
};
