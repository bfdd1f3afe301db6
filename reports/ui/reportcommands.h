// The main window's daily report commands (menu "Отчеты" and "Формат представления
// данных"), the print loops of the daily certificate and the daily passport, and the
// hooks through which those loops reach the print choice form and the print forms.
#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "common/uihooks.h"
#include "data/ui/archcommands.h"
#include "reports/dailyreport.h"

class QAction;
class QFileDialog;
class QTimer;
class QWidget;

namespace qvr {

// Replaces the print choice form ("Данные в отчете", TFormQuesPrn) of the loops (tests):
// returns the choice for the record: 0 leave, 1 preview, 2 print.
using DailyPrintChoiceHook = std::function<uint8_t(QWidget* parent, DailyReportRecord* record)>;
// Makes the daily certificate (kind 0) or the daily passport (kind 1) of the record and
// previews it (choice 1) or prints it through the printer dialog (choice 2).
using DailyPrintHook = std::function<void(QWidget* parent, int kind, DailyReportRecord* record, uint8_t choice)>;
// Without a print hook a choice prints nothing (the print forms install it).
void SetDailyPrintChoiceHook(DailyPrintChoiceHook hook);
void SetDailyPrintHook(DailyPrintHook hook);

// The loops: show the choice form, print what was chosen, show it again until "Выход".
void PrintCertificateLoop(DailyReportRecord* record, QWidget* parent = nullptr);
void PrintPassportLoop(DailyReportRecord* record, QWidget* parent = nullptr);
// The loop of the report kind chosen in ReportSettings.
void PrintDailyReport(DailyReportRecord* record, QWidget* parent = nullptr);

// Replaces the modal open dialog of NRepPrintClick (tests); empty path = cancelled.
void SetReportOpenDialogHook(DataOpenDialogHook hook);

// "Чтение данных для создания отчета": daily archive span, the day, the daily record of
// the chromatograph, REPORT/repYYMMDD.srt, then the print loop. statusBar: the main
// status bar; timerMessage: the main window's timer that clears panel 2 (null: a
// single-shot timer does it).
void NRepCreateClick(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage);
// "Просмотр/Печать суточного сертификата" (or "...паспорта"): a daily report file chosen
// in the open dialog (pod: the main window's shared one; null: one of its own) is printed.
void NRepPrintClick(QWidget* mainWindow, QFileDialog* pod);
// "Формат суточного сертификата" (tag 0) and "Формат суточного паспорта" (tag 1).
void NRepFormateClick(QWidget* mainWindow, int tag);
// "Формат представления данных": the report settings dialog; repconf.ini (path) is
// written when it was accepted. nRepPrint (may be null) gets the caption of the kind.
void NFormateClick(QWidget* mainWindow, const std::string& repConfPath, QAction* nRepPrint);

// Caption of the print command for the report kind in ReportSettings.
QString NRepPrintCaption();

}  // namespace qvr
