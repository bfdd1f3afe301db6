// Two read-only views: "Параметры идентификации контроллера" (table 0, from the table
// image or from a configuration record) and "Возможность исполнения контроллером его
// функций" (table 8 of the table image).
#pragma once
#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;

class TFormIdent : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 9;

    explicit TFormIdent(QWidget* owner = nullptr);

    // 1: the 18 bytes come from a controller; 0: only the type and the software version
    // are known (a new configuration record).
    uint8_t Mode = 0;
    const uint8_t* Data = nullptr;  // the 18 bytes of table 0

    // Size, the rows from Data, the focus on "Выход"; runs when shown.
    void FormShow();

    // Rows in the order: type, software version, hardware version, software date, byte
    // order, destroyed tables, several rates, address change, protocol version.
    QLabel* Caption[kRows];
    QLabel* Value[kRows];
    QPushButton* BitBtn1;  // "Выход"

public slots:
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
};

class TFormFunInfo : public QDialog {
    Q_OBJECT
public:
    explicit TFormFunInfo(QWidget* owner = nullptr);

    // Size and the two rows from table 8 of the table image; runs when shown.
    void FormShow();

    QLabel* Header;     // "Исполнение"
    QLabel* Caption1;   // winter/summer time switching
    QLabel* Caption2;   // exchange with the flow computers
    QLabel* Value1;
    QLabel* Value2;
    QLabel* Hint;
    QPushButton* BitBtn1;  // "Выход"

public slots:
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
};
