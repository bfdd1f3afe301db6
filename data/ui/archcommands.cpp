#include "data/ui/archcommands.h"

#include <QWidget>

#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "data/ui/formshortdate.h"
#include "data/ui/readwindow.h"

namespace qvr {

namespace {

ArchiveViewHook& ViewHook() {
    static ArchiveViewHook hook;
    return hook;
}

ArchivePeriodChooser& Chooser() {
    static ArchivePeriodChooser chooser;
    return chooser;
}

DataOpenDialogHook& OpenHook() {
    static DataOpenDialogHook hook;
    return hook;
}

// The period dialog of the read commands.
bool ChoosePeriodWithDialog(QWidget* parent, uint8_t boundsKind, ArchiveSpan* span, CtlDateTime& start,
                            CtlDateTime& end) {
    TFormShortDate form(parent);
    form.Span = span;
    form.Kind = boundsKind;
    form.exec();
    if (form.Accepted != 1) return false;
    start = form.Start;
    end = form.End;
    return true;
}

int HeadingKindOf(DataKind kind) { return IsArchiveKind(kind) ? ReadTraits(kind).headingKind : -1; }

void HandToView(QWidget* parent, DataKind kind, const ArchiveFileHeader& header,
                const std::vector<uint8_t>& records) {
    if (ViewHook()) ViewHook()(parent, kind, header, records, HeadingKindOf(kind));
}

}  // namespace

void SetArchiveViewHook(ArchiveViewHook hook) { ViewHook() = std::move(hook); }
void SetArchivePeriodChooser(ArchivePeriodChooser chooser) { Chooser() = std::move(chooser); }
void SetDataOpenDialogHook(DataOpenDialogHook hook) { OpenHook() = std::move(hook); }

QStringList DataOpenDialogFilters() {
    QStringList f{QStringLiteral("Data Files (*.cnf)")};
    for (const char* ext : {"srt", "ala", "aud", "mch", "mwm", "hch", "hwm", "dch", "dwm", "clb"})
        f << QStringLiteral("DataFiles(*.%1)").arg(QLatin1String(ext));
    f << QStringLiteral("All Files (*)");
    return f;
}

void ReadArchiveCommand(DataKind kind, QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage) {
    if (!IsArchiveKind(kind)) return;
    ReadWindow window(mainWindow, statusBar, timerMessage);
    const ArchivePeriodChooser choose = Chooser()
                                            ? Chooser()
                                            : ArchivePeriodChooser([mainWindow](uint8_t k, ArchiveSpan* span,
                                                                                CtlDateTime& s, CtlDateTime& e) {
                                                  return ChoosePeriodWithDialog(mainWindow, k, span, s, e);
                                              });
    ArchiveData data;
    const bool ok = RunArchiveRead(kind, choose, window.ui, data);
    window.Close();
    if (!ok || g_Closing) return;
    HandToView(mainWindow, kind, data.header, data.records);
}

bool OpenDataFileForView(DataKind kind, const std::string& path, QWidget* parent) {
    DataFileContent content;
    const std::string name = FileNameOnly(path);
    switch (LoadDataFile(path, kind, content)) {
    case DataFileStatus::OpenFailed:
        g_QuesKind = kQuesError;
        ShowQues("Ошибка открытия файла", "");
        return false;
    case DataFileStatus::BadHeader:
        ShowHeaderRejection(name, kind);
        return false;
    case DataFileStatus::Short:
        g_QuesKind = kQuesNotice;
        ShowQues("Файл " + name + " поврежден:",
                 "прочитано записей " + std::to_string(content.header.recordCount) + " из " +
                     std::to_string(content.declaredCount));
        break;
    case DataFileStatus::Ok:
        break;
    }
    HandToView(parent, kind, content.header, content.records);
    return true;
}

void ViewDataFileCommand(DataKind kind, QWidget* mainWindow, QFileDialog* pod) {
    DataOpenRequest req;
    req.title = QStringLiteral("Выберите файл с данными");
    req.folder = QString::fromStdString(DataFolder(kind));
    req.filters = DataOpenDialogFilters();
    req.filterIndex = KindInfo(kind).filterIndex;
    const QString chosen = RunFileDialog(mainWindow, pod, req, OpenHook());
    if (chosen.isEmpty()) return;
    OpenDataFileForView(kind, chosen.toStdString(), mainWindow);
}

void NChrom_Read5minClick(QWidget* w, IStatusBar* s, QTimer* t) { ReadArchiveCommand(DataKind::Chrom5Min, w, s, t); }
void NChrom_ReadHourClick(QWidget* w, IStatusBar* s, QTimer* t) { ReadArchiveCommand(DataKind::ChromHour, w, s, t); }
void NChrom_ReadDayClick(QWidget* w, IStatusBar* s, QTimer* t) { ReadArchiveCommand(DataKind::ChromDay, w, s, t); }
void NWmt_Read5minClick(QWidget* w, IStatusBar* s, QTimer* t) { ReadArchiveCommand(DataKind::Wmt5Min, w, s, t); }
void NWmt_ReadHourClick(QWidget* w, IStatusBar* s, QTimer* t) { ReadArchiveCommand(DataKind::WmtHour, w, s, t); }
void NWmt_ReadDayClick(QWidget* w, IStatusBar* s, QTimer* t) { ReadArchiveCommand(DataKind::WmtDay, w, s, t); }

void NChrom_View5minClick(QWidget* w, QFileDialog* pod) { ViewDataFileCommand(DataKind::Chrom5Min, w, pod); }
void NChrom_ViewHourClick(QWidget* w, QFileDialog* pod) { ViewDataFileCommand(DataKind::ChromHour, w, pod); }
void NChrom_ViewDayClick(QWidget* w, QFileDialog* pod) { ViewDataFileCommand(DataKind::ChromDay, w, pod); }
void NWmt_View5minClick(QWidget* w, QFileDialog* pod) { ViewDataFileCommand(DataKind::Wmt5Min, w, pod); }
void NWmt_ViewHourClick(QWidget* w, QFileDialog* pod) { ViewDataFileCommand(DataKind::WmtHour, w, pod); }
void NWmt_ViewDayClick(QWidget* w, QFileDialog* pod) { ViewDataFileCommand(DataKind::WmtDay, w, pod); }

}  // namespace qvr
