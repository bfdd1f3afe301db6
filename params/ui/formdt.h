// "Текущие дата и время": the controller's clock (table 2 as read) beside the PC clock at
// the moment of that read. Values of the controller that differ from the PC's are shown in
// red. "Скорректировать в устройстве" asks for confirmation and hands back the correction
// in CorrectionSeconds; the caller sends it (qvr::SendClockCorrection, params/clock.h).
#pragma once
#include <QDialog>
#include <cstdint>

#include "common/dtfun.h"

class QGroupBox;
class QLabel;
class QPushButton;

class TFormDt : public QDialog {
    Q_OBJECT
public:
    explicit TFormDt(QWidget* owner = nullptr);

    uint8_t CtlTime[8] = {};     // table 2: date-time, weekday 1..7, time type (0 summer)
    TDateTime PcTime = 0;        // the PC clock when table 2 was read
    uint8_t Accepted = 0;
    int16_t CorrectionSeconds = 0;

    // Fills both panels; runs when the window is shown.
    void FormShow();

    QGroupBox* GroupBox1;  // "В контроллере"
    QGroupBox* GroupBox2;  // "В ЭВМ"
    QLabel* CtlDate;
    QLabel* CtlClock;
    QLabel* CtlWeekDay;
    QLabel* CtlSeason;
    QLabel* PcDate;
    QLabel* PcClock;
    QLabel* PcWeekDay;
    QLabel* PcSeason;
    QPushButton* BitBtn1;  // "Скорректировать в устройстве"
    QPushButton* BitBtn2;  // "Выход"

public slots:
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
};
