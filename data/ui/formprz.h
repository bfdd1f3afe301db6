// "Текущее состояние контроллера": the controller's summary of abnormal situations (table
// 16) and the links to its chromatograph and moisture analyser (table 33), polled every
// second; buttons lead on to the flow-computer states, the table states and the two
// momentary-data windows.
#pragma once
#include <QDialog>
#include <cstdint>
#include <functional>

#include "common/uihooks.h"
#include "data/ui/polledform.h"
#include "link/conffun.h"
#include "params/flowcomputers.h"

class QLabel;
class QPushButton;
class QTimer;

class TFormPrz : public TPolledForm {
    Q_OBJECT
public:
    explicit TFormPrz(QWidget* owner = nullptr);

    // Set by the opener.
    qvr::IStatusBar* StatusBar = nullptr;  // the main window's status bar, for the reads
    QTimer* MessageTimer = nullptr;        // started after the button reads
    TableStateBuffer* TableState = nullptr;  // filled by the table-state button
    // 1 when the window was closed by the table-state button, else 0.
    uint8_t Result = 0;

    // Flow-computer states read by the last flow-computer button (what the state window
    // was given).
    FlowComputerStateBlock States{};

    // Time, indicators and their groups.
    QLabel* LabelTimeCaption;  // "Дата и время последнего изменения" / "признаков ..."
    QLabel* LabelTime;
    QLabel* LabelVichCaption;  // flow-computer group
    QLabel* LabelVich;         // byte 6
    QLabel* LabelChromCaption;
    QLabel* LabelChrom;        // byte 7
    QLabel* LabelChromLinkCaption;
    QLabel* LabelChromLink;    // table 33 byte 0
    QLabel* LabelWmtCaption;   // moisture-analyser group
    QLabel* LabelWmt;          // not filled
    QLabel* LabelWmtLinkCaption;
    QLabel* LabelWmtLink;      // table 33 byte 1
    QLabel* LabelDiagCaption;
    QLabel* LabelDiag;         // byte 9
    QLabel* LabelValueCaption;
    QLabel* LabelValue;        // byte 10

    QPushButton* BtnTables;    // table state
    QPushButton* BtnExit;
    QPushButton* BtnChromData;
    QPushButton* BtnVich;      // flow computers
    QPushButton* BtnWmtData;

public slots:
    void BtnTablesClick();
    void BtnExitClick();
    void BtnChromDataClick();
    void BtnVichClick();
    void BtnWmtDataClick();

protected:
    void PollFirst() override;
    void PollSecond() override;
    bool ActionRunning() const override { return actionRunning_; }
    void TickEnded() override;
    void showEvent(QShowEvent* event) override;

private:
    // Runs a button's action with the timer off and the buttons disabled; an action asked
    // for while a tick waits for the controller runs when the tick ends.
    void RunAction(std::function<void()> action);
    void EnableButtons(bool on);

    bool actionRunning_ = false;
    std::function<void()> pending_;
};
