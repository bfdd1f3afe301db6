#include "data/ui/logcommands.h"

#include "data/ui/archcommands.h"

#include <QWidget>

#include "common/globals.h"
#include "common/question.h"
#include "data/ui/formindex.h"
#include "data/ui/formperiod.h"
#include "data/ui/readwindow.h"
#include "link/conffun.h"

namespace qvr {

namespace {

LogViewHook& ViewHook() {
    static LogViewHook hook;
    return hook;
}
LogIndexChooser& IndexChooser() {
    static LogIndexChooser chooser;
    return chooser;
}
LogPeriodChooser& PeriodChooser() {
    static LogPeriodChooser chooser;
    return chooser;
}
LogOpenDialogHook& OpenHook() {
    static LogOpenDialogHook hook;
    return hook;
}

bool ChooseIndexes(QWidget* parent, uint8_t log, uint32_t oldest, uint32_t newest, uint32_t& first, uint32_t& count) {
    if (IndexChooser()) return IndexChooser()(parent, log, oldest, newest, first, count);
    TFormIndex form(parent);
    form.Log = log;
    form.Oldest = oldest;
    form.Newest = newest;
    form.exec();
    if (!form.Accepted) return false;
    first = form.First;
    count = form.Count;
    return true;
}

bool ChoosePeriod(QWidget* parent, CtlDateTime& start, CtlDateTime& end) {
    if (PeriodChooser()) return PeriodChooser()(parent, start, end);
    TFormPeriod form(parent);
    form.exec();
    if (!form.Accepted) return false;
    start = form.Start;
    end = form.End;
    return true;
}

void ReadByIndex(uint8_t log, QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage, uint32_t first,
                 uint32_t count, const LogBounds* held) {
    LogData data;
    bool ok;
    {
        ReadWindow w(mainWindow, statusBar, timerMessage);
        ok = ReadLogByIndex(log, first, count, w.ui, data, held);
    }
    if (ok && !g_Closing) ShowLogView(mainWindow, data);
}

void ReadByPeriod(uint8_t log, QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage,
                  const CtlDateTime& start, const CtlDateTime& end) {
    LogData data;
    bool ok;
    {
        ReadWindow w(mainWindow, statusBar, timerMessage);
        ok = ReadLogByPeriod(log, start, end, w.ui, data);
    }
    if (ok && !g_Closing) ShowLogView(mainWindow, data);
}

void OpenLogFile(uint8_t log, QWidget* mainWindow, QFileDialog* openDialog) {
    const LogTraits* t = LogTraitsOf(log);
    LogOpenRequest req;
    req.title = QStringLiteral("Выберите файл с данными");
    req.folder = QString::fromStdString(DataFolder(t->kind));
    req.filters = DataOpenDialogFilters();
    req.filterIndex = KindInfo(t->kind).filterIndex;
    const QString chosen = RunFileDialog(mainWindow, openDialog, req, OpenHook());
    if (chosen.isEmpty()) return;
    LogData data;
    if (LoadLogFile(log, chosen.toStdString(), data)) ShowLogView(mainWindow, data);
}

}  // namespace

void SetLogViewHook(LogViewHook hook) { ViewHook() = std::move(hook); }
void ShowLogView(QWidget* parent, const LogData& data) {
    if (ViewHook()) ViewHook()(parent, data);
}
void SetLogIndexChooser(LogIndexChooser chooser) { IndexChooser() = std::move(chooser); }
void SetLogPeriodChooser(LogPeriodChooser chooser) { PeriodChooser() = std::move(chooser); }
void SetLogOpenDialogHook(LogOpenDialogHook hook) { OpenHook() = std::move(hook); }

void NArhIndClick(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage, int tag) {
    if (tag != kDiagLog && tag != kAuditLog) return;
    const uint8_t log = uint8_t(tag);
    LogBounds held;
    if (!ReadLogBounds(log, held.oldest, held.newest, statusBar1)) return;
    uint32_t first = 0, count = 0;
    if (!ChooseIndexes(mainWindow, log, held.oldest, held.newest, first, count)) return;
    if (log == kDiagLog)
        ReadAlarmByIndex(mainWindow, statusBar1, timerMessage, first, count, &held);
    else
        ReadAuditByIndex(mainWindow, statusBar1, timerMessage, first, count, &held);
}

void NArhPerClick(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage, int tag) {
    if (tag != kDiagLog && tag != kAuditLog) return;
    {
        HourglassScope hourglass;
        if (!ReadTableFields(TableRequest{2, 0, 8}, statusBar1, 1)) return;
    }
    CtlDateTime start, end;
    if (!ChoosePeriod(mainWindow, start, end)) return;
    if (tag == kDiagLog)
        ReadAlarmByPeriod(mainWindow, statusBar1, timerMessage, start, end);
    else
        ReadAuditByPeriod(mainWindow, statusBar1, timerMessage, start, end);
}

void ReadAlarmByIndex(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage, uint32_t first,
                      uint32_t count, const LogBounds* held) {
    ReadByIndex(kDiagLog, mainWindow, statusBar1, timerMessage, first, count, held);
}
void ReadAuditByIndex(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage, uint32_t first,
                      uint32_t count, const LogBounds* held) {
    ReadByIndex(kAuditLog, mainWindow, statusBar1, timerMessage, first, count, held);
}
void ReadAlarmByPeriod(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage, const CtlDateTime& start,
                       const CtlDateTime& end) {
    ReadByPeriod(kDiagLog, mainWindow, statusBar1, timerMessage, start, end);
}
void ReadAuditByPeriod(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage, const CtlDateTime& start,
                       const CtlDateTime& end) {
    ReadByPeriod(kAuditLog, mainWindow, statusBar1, timerMessage, start, end);
}

void NAlaPrnClick(QWidget* mainWindow, QFileDialog* openDialog) { OpenLogFile(kDiagLog, mainWindow, openDialog); }
void NAudPrnClick(QWidget* mainWindow, QFileDialog* openDialog) { OpenLogFile(kAuditLog, mainWindow, openDialog); }

}  // namespace qvr
