#include "params/ui/cnfcommands.h"

#include <QWidget>
#include <ctime>
#include <string>

#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/ui/formwait.h"
#include "link/conffun.h"
#include "params/configfile.h"

namespace qvr {

namespace {

CnfDialogHook& DialogHook() {
    static CnfDialogHook hook;
    return hook;
}

ConfigEditor& Editor() {
    static ConfigEditor editor;
    return editor;
}

const QStringList& CnfFilters() {
    static const QStringList filters = {QStringLiteral("Data Files (*.cnf)"), QStringLiteral("All Files (*)")};
    return filters;
}

std::string ToPath(const QString& s) { return s.toStdString(); }
QString FromPath(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

void SetCnfDialogHook(CnfDialogHook hook) { DialogHook() = std::move(hook); }
void SetConfigEditor(ConfigEditor editor) { Editor() = std::move(editor); }

bool OpenConfigFile(QWidget* parent, ConfigRecord* rec, QFileDialog* dialog) {
    CnfDialogRequest req;
    req.save = false;
    req.title = QStringLiteral("Выбор файла с параметрами конфигурации");
    req.folder = FromPath(ConfigFolder());
    req.filters = CnfFilters();
    req.fileMode = QFileDialog::ExistingFile;
    req.options = QFileDialog::ReadOnly;
    const QString chosen = RunFileDialog(parent, dialog, req, DialogHook());
    if (chosen.isEmpty()) return false;
    return LoadConfigFile(ToPath(chosen), rec);
}

void SaveConfigFile(QWidget* parent, ConfigRecord* rec, QFileDialog* dialog) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string folder = ConfigFolder();
    MakeDir(folder);  // the dialog starts in CONFIG, which a fresh installation may lack
    std::string proposal = folder + "/" + ProposedConfigFileName(*rec, local);

    for (;;) {
        CnfDialogRequest req;
        req.save = true;
        req.title = QStringLiteral("Выбор файла для записи параметров конфигурации");
        req.folder = FromPath(folder);
        req.fileName = FromPath(proposal);
        req.filters = CnfFilters();
        req.fileMode = QFileDialog::AnyFile;
        // The replace question is asked here, for the path actually written.
        req.options = QFileDialog::DontConfirmOverwrite;
        const QString chosen = RunFileDialog(parent, dialog, req, DialogHook());
        if (chosen.isEmpty()) return;

        const SavePathDecision d = JudgeSavePath(ToPath(chosen), proposal);
        if (d.askReplace) {
            g_QuesKind = kQuesQuestion;
            ShowQues("Файл " + FileNameOnly(d.path) + " уже есть.", "Вы хотите заменить существующий файл?");
            if (g_QuesAnswer != 1) {
                proposal = d.path;
                continue;
            }
        }
        StoreConfigFile(d.path, *rec);
        return;
    }
}

void NParCnfClick(QWidget* parent, int tag, QFileDialog* openDialog, QFileDialog* saveDialog) {
    ConfigRecord rec;
    NewConfigRecord(&rec);
    if (tag != 0 && !OpenConfigFile(parent, &rec, openDialog)) return;
    if (!Editor()) {
        // No editor installed: the record goes straight to the save dialog.
        SaveConfigFile(parent, &rec, saveDialog);
        return;
    }
    const ConfigEditorOutcome out = Editor()(parent, &rec);
    if (out.accepted && (out.changed || tag == 0)) SaveConfigFile(parent, &rec, saveDialog);
}

bool NrdcnfClick(QWidget* mainWindow, IStatusBar* statusBar, QFileDialog* saveDialog,
                 const std::function<void(bool)>& showMoistureMenus) {
    ConfigRecord rec;
    bool read;
    {
        // The waiting window and the hourglass end before any message or dialog.
        HourglassScope hourglass;
        WaitWindowScope wait(mainWindow, 3, 100);
        read = ReadConfigFromController(statusBar, &wait.Progress());
        if (read) {
            if (showMoistureMenus) showMoistureMenus(g_MoisturePresent != 0);
            NewConfigRecord(&rec);
            StoreConfigRecord(&rec);
        }
    }
    if (!read) {
        g_QuesKind = kQuesExchangeResult;
        ShowQues("Параметры конфигурации не прочитаны", "");
        return false;
    }
    SaveConfigFile(mainWindow, &rec, saveDialog);
    return true;
}

}  // namespace qvr
