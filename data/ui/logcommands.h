// Main-window commands of the controller's message logs: read the diagnostic or the
// intervention log by index range or by period, and open a saved .ala / .aud file. The
// records or text rows go, with their header and the view mode, to the log view installed
// with SetLogViewHook.
#pragma once
#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <functional>

#include "common/dtfun.h"
#include "common/ui/filedialogs.h"
#include "common/uihooks.h"
#include "data/logread.h"

class QTimer;
class QWidget;

namespace qvr {

// The log view: shown modally with the record set (data.log 0 diagnostic, 1 intervention;
// data.mode 0 by index, 1 by period, 2 from a file). The set lives until the call returns.
// Without a hook nothing is shown.
using LogViewHook = std::function<void(QWidget* parent, const LogData& data)>;
void SetLogViewHook(LogViewHook hook);
void ShowLogView(QWidget* parent, const LogData& data);

// The choice dialogs of the read commands, replaceable by tests (null: the real
// TFormIndex / TFormPeriod). false when not accepted.
using LogIndexChooser =
    std::function<bool(QWidget* parent, uint8_t log, uint32_t oldest, uint32_t newest, uint32_t& first, uint32_t& count)>;
using LogPeriodChooser = std::function<bool(QWidget* parent, CtlDateTime& start, CtlDateTime& end)>;
void SetLogIndexChooser(LogIndexChooser chooser);
void SetLogPeriodChooser(LogPeriodChooser chooser);

// What the open dialog of NAlaPrnClick / NAudPrnClick was set up with.
using LogOpenRequest = FileDialogRequest;
// Replaces the modal open dialog (tests): returns the chosen path, empty for Cancel.
using LogOpenDialogHook = FileDialogHook;
void SetLogOpenDialogHook(LogOpenDialogHook hook);

// "Запрос по индексу" of both logs: the menu item's tag selects the log (0 diagnostic,
// 1 intervention; any other tag does nothing). Reads the index bounds, asks for the range
// and reads it. timerMessage: the main window's timer that clears status panel 2.
void NArhIndClick(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage, int tag);
// "Запрос за период" of both logs, the same way.
void NArhPerClick(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage, int tag);

// The readers behind them: read, then show the view (main window disabled meanwhile).
// held: the index bounds read before, when known (see ReadLogByIndex).
void ReadAlarmByIndex(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage, uint32_t first,
                      uint32_t count, const LogBounds* held = nullptr);
void ReadAuditByIndex(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage, uint32_t first,
                      uint32_t count, const LogBounds* held = nullptr);
void ReadAlarmByPeriod(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage, const CtlDateTime& start,
                       const CtlDateTime& end);
void ReadAuditByPeriod(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage, const CtlDateTime& start,
                       const CtlDateTime& end);

// "Просмотр/Печать из файла" of the diagnostic / intervention log. openDialog: the main
// window's shared open dialog, or null for one of its own.
void NAlaPrnClick(QWidget* mainWindow, QFileDialog* openDialog = nullptr);
void NAudPrnClick(QWidget* mainWindow, QFileDialog* openDialog = nullptr);

}  // namespace qvr
