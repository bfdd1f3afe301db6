// " Мгновенные данные влагомера": the moisture analyser's latest values (table 37), polled
// every second.
#pragma once
#include <QDialog>
#include <cstdint>

#include "common/uihooks.h"
#include "data/momdata.h"
#include "data/ui/polledform.h"

class QLabel;
class QPushButton;

class TFormMomWmt : public TPolledForm {
    Q_OBJECT
public:
    static constexpr int kRows = 5;

    explicit TFormMomWmt(QWidget* owner = nullptr);

    qvr::IStatusBar* StatusBar = nullptr;  // the main window's status bar, for the reads

    // The 28 bytes of table 37 last read.
    uint8_t Data[qvr::kMoistureMomBytes] = {};

    QLabel* Caption[kRows];    // the parameter rows PV21..PV25
    QLabel* Value[kRows];      // their values (the fifth is never shown)
    QLabel* LabelTimeCaption;  // "Дата и время, к которым относятся данные"
    QLabel* LabelTime;
    QPushButton* BtnExit;

    // Shows the time and the four values of Data.
    void ShowData();

public slots:
    void BtnExitClick();

protected:
    void PollFirst() override;
    void showEvent(QShowEvent* event) override;
};
