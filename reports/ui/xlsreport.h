// The main window's spreadsheet report commands ("Паспорт КВР показателей за сутки" and
// "... за месяц"), their date and object dialog, the waiting form that makes the workbook,
// and the simple message box of the spreadsheet work.
#pragma once
#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

#include "common/dtfun.h"
#include "common/uihooks.h"
#include "reports/xlsreport.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

// " Параметры отчета за сутки" / " Параметры отчета за месяц": the object and the day
// (mode 0) or month (mode 1) of a report, inside the daily archive's span.
class TFormExcRep_Date : public QDialog {
    Q_OBJECT
public:
    explicit TFormExcRep_Date(QWidget* parent = nullptr);

    ArchiveSpan* Span = nullptr;  // the daily archive's readable span
    uint8_t Mode = 0;             // 0 day, 1 month
    uint8_t Accepted = 0;
    uint8_t DateTime[6] = {};     // year - 2000, month, day, hour (contract hour), minute, second

    QLabel* Label1;         // oldest record
    QLabel* Label2;         // last record
    QSpinBox* UpDown1;      // year
    QComboBox* ComboBox1;   // month
    QLabel* Label5;         // "День"
    QComboBox* ComboBox2;   // day
    QComboBox* ComboBox3;   // object
    QPushButton* BitBtn3;   // object list
    QPushButton* BitBtn1;   // "Принять"
    QPushButton* BitBtn2;   // "Отменить"

public slots:
    void FormShow();
    void UpDown1Change(int year);
    void ComboBox1Change(int index);
    void ComboBox2Change(int index);
    void ComboBox3Change(int index);
    void BitBtn3Click();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillDays();
    void FillObjects();
    bool filling_ = false;
};

// "Ожидайте..." while the workbook is made: 100 ms after it is shown it makes the report of
// Job and closes.
class TFormXls_Report : public QDialog {
    Q_OBJECT
public:
    explicit TFormXls_Report(QWidget* parent = nullptr);

    const qvr::XlsReportJob* Job = nullptr;
    bool Saved = false;  // the report was written

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QTimer* Timer1;

public slots:
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
};

namespace qvr {

// The simple message box of the spreadsheet work (text, caption; error icon or none).
void ShowXlsMessage(const std::string& text, const std::string& caption, bool errorIcon);
// Replaces the message box (tests); null brings the box back.
void SetXlsMessageHook(XlsMessageBox hook);
XlsMessageBox XlsMessages();

// Replaces the date dialog (tests): mode and span in; the six date bytes out. false: not
// accepted. Null brings TFormExcRep_Date back.
using ExcRepDateChooser = std::function<bool(uint8_t mode, ArchiveSpan* span, uint8_t dateTime[6])>;
void SetExcRepDateChooser(ExcRepDateChooser chooser);

// The commands. statusBar: the main status bar (panel 2 gets the result text of a failed
// request); timerMessage: the main window's timer that clears panel 2 (null: a
// single-shot timer does it).
void NExcDayClick(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage);
void NExcMonClick(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage);

}  // namespace qvr
