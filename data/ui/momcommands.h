// Main-window commands that open the live views of the connected controller.
#pragma once
#include <functional>

#include "common/uihooks.h"

class QTimer;
class QWidget;

namespace qvr {

// "Текущее состояние контроллера": shows the current-state window; its table-state button
// leads to the table-state form, whose "Выход" returns to the current-state window. After
// a reset of the non-volatile data (table-state result 3) `disconnect` runs under the
// hourglass, then `updateMainMenu` in every case. Returns the last table-state result
// (0 when the current-state window was left by its own exit).
int NSitClick(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage,
              const std::function<void()>& disconnect, const std::function<void()>& updateMainMenu);

// "Мгновенные  данные хроматографа, зоны параметров газа": reads whether the chromatograph
// is linked (table 33 field 0); without a link a notice, otherwise the momentary-data
// window; timerMessage is started afterwards.
void NChrom_MomDataClick(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage);

// "Мгновенные данные влагомера": the same for the moisture analyser (table 33 field 1).
void NWmt_MomDataClick(QWidget* mainWindow, IStatusBar* statusBar1);

}  // namespace qvr
