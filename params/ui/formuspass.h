// The two identification forms. TFormUsPass sets one user's write password and
// identification code for the all-users form (each typed twice); TFormShortUsPass is the
// operator's own identification, whose password and code the caller hands to the exchange
// engine for every following write. Password and IdCode hold Windows-1251 bytes,
// blank-padded, without a terminating zero.
#pragma once
#include <QDialog>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

class TFormUsPass : public QDialog {
    Q_OBJECT
public:
    explicit TFormUsPass(QWidget* parent = nullptr);

    char Password[12];
    char IdCode[4];
    uint8_t Accepted = 0;
    uint8_t ClearFields = 1;  // 1: start with empty fields; 0: show Password and IdCode

    // Fills the fields by ClearFields and puts the focus on the code; runs when shown.
    void FormShow();

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLineEdit* Edit1;  // code
    QLineEdit* Edit2;  // code confirmation
    QLineEdit* Edit3;  // password
    QLineEdit* Edit4;  // password confirmation
    QPushButton* BitBtn1;  // "Принять"
    QPushButton* BitBtn2;  // "Выход"

public slots:
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
};

class TFormShortUsPass : public QDialog {
    Q_OBJECT
public:
    explicit TFormShortUsPass(QWidget* parent = nullptr);

    char Password[12];
    char IdCode[4];
    uint8_t Accepted = 0;

    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* Edit1;  // code
    QLineEdit* Edit2;  // password
    QPushButton* BitBtn1;  // "Принять"
    QPushButton* BitBtn2;  // "Выход"

public slots:
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
};

namespace qvr {

// Shows the operator's identification; when accepted, copies its password and code into
// the engine (g_Hgc) and returns true; otherwise the engine keeps its values.
bool IdentifyUser(QWidget* parent);

}  // namespace qvr
