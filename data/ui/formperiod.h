// The period dialog of the log reads: a period to the second, with ready-made choices
// based on the PC clock (the last hour, the last day) and a free choice. The last choice
// is kept in ArchivePeriodSettings.
#pragma once
#include <QDialog>
#include <cstdint>

#include "common/dtfun.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;

namespace qvr {
class RadioGroupBox;
}

class TFormPeriod : public QDialog {
    Q_OBJECT
public:
    explicit TFormPeriod(QWidget* parent = nullptr);

    CtlDateTime Start;  // result
    CtlDateTime End;    // result
    uint8_t Accepted = 0;

    // Clears Accepted and applies the remembered choice; runs when the dialog is shown.
    void FormShow();

    qvr::RadioGroupBox* RadioGroup1;
    QLabel* Label1;               // "Начало периода"
    QDateEdit* DateTimePicker1;   // start date
    QComboBox* ComboBox1;         // start hour 0..23
    QComboBox* ComboBox2;         // start minute 0..59
    QComboBox* ComboBox3;         // start second 0..59
    QLabel* Label2;               // "Конец периода"
    QDateEdit* DateTimePicker2;   // end date
    QComboBox* ComboBox4;         // end hour
    QComboBox* ComboBox5;         // end minute
    QComboBox* ComboBox6;         // end second
    QPushButton* BitBtn1;         // "Принять"
    QPushButton* BitBtn2;         // "Выход"

public slots:
    void RadioGroup1Click(int item);
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetInputs(const QDateTime& start, const QDateTime& end);
};
