// "Формат суточного сертификата" / "Формат суточного паспорта": the texts of the daily
// certificate (four lines and two representatives) or of the daily passport (six
// signature lines), edited in a ReportFormatRecord.
#pragma once
#include <QDialog>
#include <cstdint>

#include "reports/dailyreport.h"

class QFrame;
class QLineEdit;
class QPushButton;

class TFormRepFormate : public QDialog {
    Q_OBJECT
public:
    explicit TFormRepFormate(QWidget* parent = nullptr);

    qvr::ReportFormatRecord* Record = nullptr;
    uint8_t Kind = 0;      // 0 certificate, 1 passport
    uint8_t Accepted = 0;

    QFrame* pn_sert;
    QLineEdit* Edit1;  // certificate lines 1..4 (99 characters)
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QLineEdit* Edit5;  // representatives (49 characters)
    QLineEdit* Edit6;
    QFrame* pn_pasp;
    QLineEdit* Edit7;  // passport signature lines 1..6 (49 characters)
    QLineEdit* Edit8;
    QLineEdit* Edit9;
    QLineEdit* Edit10;
    QLineEdit* Edit11;
    QLineEdit* Edit12;
    QPushButton* BitBtn1;  // "Принять"
    QPushButton* BitBtn2;  // "Отменить"

public slots:
    void FormShow();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
};
