// " Параметры объекта": one metering object (name and controller address), new or changed.
#pragma once
#include <QDialog>
#include <cstdint>

#include "app/rd_wr_ini.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class TFormObject : public QDialog {
    Q_OBJECT
public:
    explicit TFormObject(QWidget* parent = nullptr);

    uint8_t EditMode = 0;          // 1 change *Entry, 0 fill a new object into *Entry
    ObjectEntry* Entry = nullptr;  // written only by a successful accept
    uint8_t Accepted = 0;

    QLineEdit* Edit1;      // name, at most 49 characters
    QComboBox* ComboBox1;  // controller address "1".."255"
    QPushButton* BitBtn1;  // "Принять"
    QPushButton* BitBtn2;  // "Отменить"

public slots:
    void FormShow();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
};
