// "Наименование контроллера": table 5, the controller name, 20 Windows-1251 characters
// padded with blanks. The caller converts the code page of controllers that keep CP866.
#pragma once
#include <QDialog>
#include <cstdint>

class QLineEdit;
class QPushButton;

class TFormContrName : public QDialog {
    Q_OBJECT
public:
    explicit TFormContrName(QWidget* owner = nullptr);

    uint8_t* Data = nullptr;  // the 20 bytes of table 5
    uint8_t Accepted = 0;

    void FormCreate();
    // Size and the name without leading and trailing blanks; runs when shown.
    void FormShow();

    QLineEdit* Edit1;      // the name, at most 20 characters
    QPushButton* BitBtn1;  // "Записать в устройство"
    QPushButton* BitBtn2;  // "Отменить"

public slots:
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
};
