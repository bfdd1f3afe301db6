#include "reports/ui/reportcommands.h"

#include <QAction>
#include <QFileDialog>
#include <memory>

#include "app/rd_wr_ini.h"
#include "common/fileutil.h"
#include "common/question.h"
#include "data/archread.h"
#include "data/ui/readwindow.h"
#include "reports/ui/formquesprn.h"
#include "reports/ui/formrepconf.h"
#include "reports/ui/formrepcreate.h"
#include "reports/ui/formrepformate.h"

namespace qvr {

namespace {

DailyPrintChoiceHook& ChoiceHook() {
    static DailyPrintChoiceHook hook;
    return hook;
}
DailyPrintHook& PrintHook() {
    static DailyPrintHook hook;
    return hook;
}
DataOpenDialogHook& OpenHook() {
    static DataOpenDialogHook hook;
    return hook;
}

void Message(int32_t kind, const std::string& line1, const std::string& line2) {
    g_QuesKind = kind;
    ShowQues(line1, line2);
}

void PrintLoop(int kind, DailyReportRecord* record, QWidget* parent) {
    if (!record) return;
    // The choice form is made once for the loop and reads the record's bytes.
    const auto bytes = record->Bytes();
    std::unique_ptr<TFormQuesPrn> form;
    if (!ChoiceHook()) {
        form = std::make_unique<TFormQuesPrn>(parent);
        form->Mode = 0;
        form->Report = bytes.data();
    }
    for (;;) {
        uint8_t choice = 0;
        if (ChoiceHook()) {
            choice = ChoiceHook()(parent, record);
        } else {
            form->exec();
            choice = form->Choice;
        }
        ProcessMessages();
        if (choice == 0) break;
        if (PrintHook()) PrintHook()(parent, kind, record, choice);
    }
}

}  // namespace

void SetDailyPrintChoiceHook(DailyPrintChoiceHook hook) { ChoiceHook() = std::move(hook); }
void SetDailyPrintHook(DailyPrintHook hook) { PrintHook() = std::move(hook); }
void SetReportOpenDialogHook(DataOpenDialogHook hook) { OpenHook() = std::move(hook); }

void PrintCertificateLoop(DailyReportRecord* record, QWidget* parent) { PrintLoop(0, record, parent); }
void PrintPassportLoop(DailyReportRecord* record, QWidget* parent) { PrintLoop(1, record, parent); }

void PrintDailyReport(DailyReportRecord* record, QWidget* parent) {
    if (ReportSettings.report_kind == 1)
        PrintPassportLoop(record, parent);
    else
        PrintCertificateLoop(record, parent);
}

QString NRepPrintCaption() {
    return ReportSettings.report_kind == 1 ? QStringLiteral("Просмотр/Печать суточного паспорта")
                                           : QStringLiteral("Просмотр/Печать суточного сертификата");
}

void NRepCreateClick(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage) {
    ArchiveSpan span;
    CtlDateTime oldest;
    {
        HourglassScope hourglass;
        if (!ReadArchiveBounds(span, oldest, kBoundsDay, statusBar)) return;
    }
    DailyReportRecord record;
    PrepareDailyReport(record);
    {
        TFormRepCreate form(mainWindow);
        form.Report = &record;
        form.Span = &span;
        form.exec();
        if (form.Accepted != 1) return;
    }
    if (!ReadDailyAnalysis(record, statusBar, MessageTimerStarter(timerMessage, statusBar))) return;
    SaveDailyReportWithMessage(record);
    // Printed whether or not the file could be saved.
    PrintDailyReport(&record, mainWindow);
}

void NRepPrintClick(QWidget* mainWindow, QFileDialog* pod) {
    DataOpenRequest req;
    req.title = QStringLiteral("Выбор файла отчета");
    req.folder = QString::fromStdString(ReportFolder());
    req.filters = DataOpenDialogFilters();
    req.filterIndex = 2;
    const QString chosen = RunFileDialog(mainWindow, pod, req, OpenHook());
    if (chosen.isEmpty()) return;
    const std::string path = chosen.toStdString();
    DailyReportRecord record;
    switch (LoadDailyReport(path, record)) {
    case ReportFileStatus::Missing:
        Message(kQuesError, "Ошибка открытия файла", "");
        return;
    case ReportFileStatus::WrongSize:
        Message(kQuesInputError, "Файл " + FileNameOnly(path) + " не является", "файлом отчета");
        return;
    case ReportFileStatus::Ok:
        break;
    }
    PrintDailyReport(&record, mainWindow);
}

void NRepFormateClick(QWidget* mainWindow, int tag) {
    ReportFormatRecord record;
    ReadReportFormat(record, 9);
    TFormRepFormate form(mainWindow);
    form.Record = &record;
    form.Kind = uint8_t(tag == 1 ? 1 : 0);
    form.exec();
    if (form.Accepted != 1) return;
    // The user's edit is lost when the file cannot be written: say so.
    if (!WriteReportFormat(record)) Message(kQuesError, "Ошибка создания файла.", "Формат отчета не сохранен");
}

void NFormateClick(QWidget* mainWindow, const std::string& repConfPath, QAction* nRepPrint) {
    {
        TFormRepConf form(mainWindow);
        form.exec();
        if (form.Accepted == 1) WriteReportConf(repConfPath);
    }
    if (nRepPrint) nRepPrint->setText(NRepPrintCaption());
}

}  // namespace qvr
