// "Чтение данных для создания отчета": the choice of the gas day of a daily report within
// the readable span of the daily archive.
#pragma once
#include <QDialog>
#include <cstdint>

#include "common/dtfun.h"
#include "reports/dailyreport.h"

class QDateEdit;
class QLabel;
class QPushButton;

class TFormRepCreate : public QDialog {
    Q_OBJECT
public:
    explicit TFormRepCreate(QWidget* parent = nullptr);

    qvr::DailyReportRecord* Report = nullptr;  // gets the period start and end
    ArchiveSpan* Span = nullptr;               // readable span of the daily archive
    uint8_t Accepted = 0;

    QLabel* Label1;  // oldest record
    QLabel* Label2;  // newest record
    QDateEdit* DateTimePicker1;
    QPushButton* BitBtn1;  // "Принять"
    QPushButton* BitBtn2;  // "Отменить"

public slots:
    void FormShow();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
};
