// The index dialog of the log reads: which records of the diagnostic (Log 0) or the
// intervention (Log 1) log to read, by running index. Ready-made choices (everything, the
// last 100, 50 or 10 records) and a free range; the last choice is kept in
// ArchivePeriodSettings.
#pragma once
#include <QDialog>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qvr {
class RadioGroupBox;
}

class TFormIndex : public QDialog {
    Q_OBJECT
public:
    explicit TFormIndex(QWidget* parent = nullptr);

    uint8_t Accepted = 0;
    uint8_t Log = 0;      // input: 0 diagnostic, 1 intervention, 5 calibration quality
    uint32_t Oldest = 0;  // input: index of the oldest record
    uint32_t Newest = 0;  // input: index of the newest record
    uint32_t First = 0;   // result: index of the first record to read
    uint32_t Count = 0;   // result: number of records to read

    // Caption, bounds and the remembered choice; runs when the dialog is shown.
    void FormShow();

    QLabel* Label1;  // oldest index
    QLabel* Label2;  // newest index
    qvr::RadioGroupBox* RadioGroup1;
    QLabel* Label3;
    QLineEdit* Edit1;  // "Индекс записи начала чтения"
    QLabel* Label4;
    QLineEdit* Edit2;  // "Количество записей для чтения"
    QPushButton* BitBtn1;  // "Принять"
    QPushButton* BitBtn2;  // "Выход"

public slots:
    void RadioGroup1Click(int item);
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
};
