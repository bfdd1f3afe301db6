#include "reports/ui/xlsexport.h"

#include <QWidget>
#include <ctime>
#include <optional>

#include "common/fileutil.h"
#include "common/ui/filedialogs.h"
#include "common/ui/formwait.h"
#include "reports/ui/xlsreport.h"

namespace qvr {

namespace {

ExcelSaveDialogHook& SaveHook() {
    static ExcelSaveDialogHook hook;
    return hook;
}

QString RunSaveDialog(QWidget* parent, const ExcelSaveRequest& req) {
    if (SaveHook()) return SaveHook()(req);
    FileDialogRequest d;
    d.save = true;
    d.title = req.title;
    d.folder = req.folder;
    d.fileName = req.proposed;
    d.filters = req.filters;
    d.filterIndex = req.filterIndex;
    d.fileMode = QFileDialog::AnyFile;
    d.options = QFileDialog::DontConfirmOverwrite;  // the program asks itself
    return RunFileDialog(parent, nullptr, d);
}

}  // namespace

void SetExcelSaveDialogHook(ExcelSaveDialogHook hook) { SaveHook() = std::move(hook); }

bool ExportChromViewCommand(QWidget* view, DataKind kind, uint8_t address, const ChromExcelExport& in) {
    ExcelSaveRequest req;
    req.title = QStringLiteral("Введите имя файла для сохранения данных");
    const std::string folder = ExcelExportFolder(kind);
    req.folder = QString::fromStdString(folder);
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    req.proposed = QString::fromStdString(ExcelExportDefaultName(folder, address, tm));
    req.filters = QStringList{QStringLiteral("Excel (*.xls *.xlsx)"), QStringLiteral("All Files (*)")};
    req.filterIndex = 1;
    const QString chosen = RunSaveDialog(view, req);
    if (chosen.isEmpty()) return false;
    const std::string path = WithXlsxExtension(chosen.toStdString());
    if (!ConfirmExcelOverwrite(path)) return false;

    bool saved = false;
    {
        HourglassScope hourglass;
        WaitWindowScope wait(view, uint8_t(4), std::max(in.recordCount, 0) + 5);
        wait.Progress().SetPosition(0);
        saved = ExportChromViewToExcel(in, path, &wait.Progress(), XlsMessages());
    }
    if (view) view->raise();
    return saved;
}

}  // namespace qvr
