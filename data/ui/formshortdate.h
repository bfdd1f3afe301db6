// The period dialog of the archive reads: a period inside the readable span of the
// 5-minute (Kind 3), hourly (Kind 0) or daily (Kind 1) archive, with ready-made choices
// based on the controller's clock and a free choice. The last choice is kept in
// ArchivePeriodSettings.
#pragma once
#include <QDialog>
#include <cstdint>

#include "common/dtfun.h"

class QDateEdit;
class QFrame;
class QLabel;
class QPushButton;
class QSpinBox;

namespace qvr {
class RadioGroupBox;
}

class TFormShortDate : public QDialog {
    Q_OBJECT
public:
    explicit TFormShortDate(QWidget* parent = nullptr);

    // The controller's clock (table 2 of the table image) taken when the dialog is shown.
    TDateTime ControllerNow = 0;
    CtlDateTime Start;  // result: first 5 (Kind 3), 4 (Kind 0) or 3 (Kind 1) bytes used, the rest 0
    CtlDateTime End;
    ArchiveSpan* Span = nullptr;  // input: readable span of the archive
    uint8_t Kind = 3;             // input: 3 five-minute, 0 hourly, 1 daily
    uint8_t Accepted = 0;

    // Sets up the panel of Kind; runs when the dialog is shown.
    void FormShow();

    // 5-minute panel.
    QFrame* Panel1;
    QLabel* Label1;  // span end
    QLabel* Label2;  // span begin
    qvr::RadioGroupBox* RadioGroup1;
    QDateEdit* DateTimePicker1;  // start date
    QSpinBox* SpinHour1;
    QSpinBox* SpinMin1;
    QDateEdit* DateTimePicker2;  // end date
    QSpinBox* SpinHour2;
    QSpinBox* SpinMin2;
    QPushButton* BitBtn1;  // "Принять"
    QPushButton* BitBtn2;  // "Выход"

    // Hourly panel.
    QFrame* Panel2;
    QLabel* Label3;
    QLabel* Label4;
    qvr::RadioGroupBox* RadioGroup2;
    QDateEdit* DateTimePicker3;
    QSpinBox* SpinHour3;
    QDateEdit* DateTimePicker4;
    QSpinBox* SpinHour4;
    QPushButton* BitBtn3;
    QPushButton* BitBtn4;

    // Daily panel.
    QFrame* Panel3;
    QLabel* Label5;
    QLabel* Label6;
    qvr::RadioGroupBox* RadioGroup3;
    QDateEdit* DateTimePicker5;
    QDateEdit* DateTimePicker6;
    QPushButton* BitBtn5;
    QPushButton* BitBtn6;

public slots:
    void RadioGroup1Click(int item);
    void RadioGroup2Click(int item);
    void RadioGroup3Click(int item);
    void BitBtn1Click();  // accept, 5-minute
    void BitBtn3Click();  // accept, hourly
    void BitBtn5Click();  // accept, daily
    void ExitClick();     // every "Выход"

protected:
    void showEvent(QShowEvent* event) override;

private:
    const ArchiveSpan& SpanRef() const;
    // Checks the period against the span at the precision of `unit`, moves it into the
    // span; false (with a message) when the dialog must stay open.
    bool CheckAndClamp(int unit, int width);
};
