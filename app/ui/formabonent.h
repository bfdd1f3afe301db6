// One subscriber of the telephone or Ethernet directory: a new entry or a change.
#pragma once
#include <QDialog>
#include <cstdint>

#include "app/rd_wr_ini.h"

class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;

class TFormAbonent : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbonent(QWidget* parent = nullptr);

    // The entry to edit, of the current link kind (ConnSettings.Conn_Prz: 1 telephone,
    // 2 Ethernet). The form writes it only on a successful accept.
    PhoneSubscriber* PhoneEntry = nullptr;
    EthernetSubscriber* EthEntry = nullptr;
    uint8_t EditMode = 0;  // 1 change an existing entry, 0 fill a new one
    uint8_t Accepted = 0;  // 1 after a successful accept

    QLineEdit* Edit1;      // name
    QComboBox* ComboBox1;  // controller address 1..255
    QFrame* pn_fon;
    QLineEdit* Edit2;      // telephone number
    QFrame* pn_ethr;
    QLineEdit* ip4;        // most significant address byte
    QLineEdit* ip3;
    QLineEdit* ip2;
    QLineEdit* ip1;
    QLineEdit* Edit3;      // TCP port
    QPushButton* BitBtn1;  // "Принять"
    QPushButton* BitBtn2;  // "Отменить"

public slots:
    void FormShow();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
};
