// One flow computer of the list: address, type, byte order, the pipelines that get gas
// parameters and the write password, typed either whole (16 characters) or, with "SOU"
// ticked, as a 12-character password and a 4-digit identification code. Works on a private
// copy of *Entry and writes it back only on acceptance.
#pragma once
#include <QDialog>
#include <cstdint>

#include "params/flowcomputers.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormFlouPar : public QDialog {
    Q_OBJECT
public:
    explicit TFormFlouPar(QWidget* parent = nullptr);

    uint8_t Number = 0;                  // row number 1..16, shown in the caption
    FlowComputerEntry* Entry = nullptr;  // the entry to edit, replaced on acceptance
    uint8_t* Sou = nullptr;              // the row's "SOU" flag, set on acceptance
    uint8_t PasswordChanged = 0;         // 1: the accepted password differs from Entry's
    uint8_t Accepted = 0;

    // Takes the private copy and fills the controls; runs when shown.
    void FormShow();
    const FlowComputerEntry& Working() const { return work_; }

    QComboBox* ComboBox1;  // address 1..254, also typed
    QComboBox* ComboBox2;  // type
    QComboBox* ComboBox3;  // byte order
    QCheckBox* CheckBox1;  // pipeline 1
    QCheckBox* CheckBox2;  // pipeline 2
    QCheckBox* CheckBox3;  // pipeline 3
    QCheckBox* CheckBox4;  // "SOU"
    QLabel* Label4;        // "Пароль на запись" with the length of the shown field
    QLineEdit* Edit1;      // password, 16 characters
    QLineEdit* Edit2;      // password, 12 characters (with "SOU")
    QLabel* Label5;        // "Код идентификации" "(до 4 символов)"
    QLineEdit* Edit3;      // identification code, 4 digits (with "SOU")
    QPushButton* BitBtn1;  // "Принять"
    QPushButton* BitBtn2;  // "Отменить"

public slots:
    void ComboBox2Change();   // type chosen: lays out the pipeline boxes
    void CheckBox4Click();    // "SOU" ticked or not: the password fields
    void Edit1Exit();         // leaving a password field stores it
    void Edit2Exit();
    void Edit3Exit();
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LayOutPipelines();
    void ShowPasswordFields();
    // Stores a field's text at `at` (width bytes, blank-padded) when it was edited; false
    // when it holds a character the controller cannot hold.
    bool StoreField(QLineEdit* edit, size_t at, size_t width);

    FlowComputerEntry work_{};
};
