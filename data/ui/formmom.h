// "Мгновенные данные хроматографа, зоны параметров газа": the chromatograph's latest
// analysis (table 30) with the zone of every gas parameter (table 32), polled every second.
#pragma once
#include <QDialog>
#include <cstdint>

#include "common/uihooks.h"
#include "data/momdata.h"
#include "data/ui/polledform.h"

class QLabel;
class QPushButton;

class TFormMom : public TPolledForm {
    Q_OBJECT
public:
    explicit TFormMom(QWidget* owner = nullptr);

    qvr::IStatusBar* StatusBar = nullptr;  // the main window's status bar, for the reads

    // The 88 bytes of table 30 last read.
    uint8_t Data[qvr::kChromMomBytes] = {};

    QLabel* pn[qvr::kGasParamCount];  // names pn1..pn20
    QLabel* v[qvr::kGasParamCount];   // values v1..v20
    QLabel* z[qvr::kGasParamCount];   // zones z1..z20
    QLabel* LabelTimeCaption;         // "Время последнего опроса хроматографа"
    QLabel* LabelTime;
    QLabel* LabelMethod;              // "Расчет по ГОСТ" / "Расчет по ДСТУ ИСО"
    QPushButton* BtnExit;

    // Shows the analysis of Data (time, converted values).
    void ShowAnalysis();
    // Shows the 20 zone codes.
    void ShowZones(const uint8_t* zones);

public slots:
    void BtnExitClick();

protected:
    void PollFirst() override;
    void PollSecond() override;
    void showEvent(QShowEvent* event) override;
};
