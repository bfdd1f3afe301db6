// Link parameters of one link kind (direct line, telephone modem, Ethernet), with the
// address search of the one controller on a direct line.
#pragma once
#include <QDialog>
#include <cstdint>

#include "app/rd_wr_ini.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormConn_Par : public QDialog {
    Q_OBJECT
public:
    explicit TFormConn_Par(QWidget* parent = nullptr);

    uint8_t Accepted = 0;  // 1 after a successful accept or address search
    LinkParams Par{};       // working copy of the link parameters of the kind shown

    // Direct line and telephone: port, rate, waits, preambles, tries, port release.
    QFrame* pn_dir;
    QComboBox* ComboBox1;  // COM ports present
    QComboBox* ComboBox2;  // rates
    QLineEdit* Edit1;      // first reply byte wait, s
    QLineEdit* Edit2;      // next reply bytes wait, ms
    QLineEdit* Edit3;      // preambles
    QComboBox* ComboBox3;  // tries " 1".." 5"
    QCheckBox* CheckBox1;  // release the port after each session
    QLineEdit* Edit4;      // port-release wait, s
    // Telephone: modem commands and the connection wait and tries.
    QFrame* pn_fon;
    QLineEdit* Edit5;
    QLineEdit* Edit6;
    QLineEdit* Edit7;
    // Ethernet.
    QFrame* pn_ethr;
    QLineEdit* Edit8;      // connection wait, s
    QLineEdit* Edit9;      // connection tries
    QLineEdit* Edit10;     // first reply byte wait, s
    QLineEdit* Edit11;     // next reply bytes wait, ms
    QLineEdit* Edit12;     // preambles
    QComboBox* ComboBox4;  // tries

    QPushButton* BitBtn1;  // "Принять"
    QPushButton* BitBtn2;  // "Выход"
    QPushButton* BitBtn3;  // "Поиск адреса устройства"

public slots:
    void FormShow();
    void CheckBox1Click();
    void BitBtn1Click();
    void BitBtn3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The accept steps shared by both buttons; true when the settings were stored.
    bool AcceptInput();
    void FillPortList();
    void ShowReleaseWait();
};
