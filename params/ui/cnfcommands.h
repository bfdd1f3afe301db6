// The main window's configuration-file commands: choosing a file to open or a name to
// save under (Qt file dialogs, always starting in the CONFIG folder), creating or editing a
// file, and saving the connected controller's configuration in a file.
#pragma once
#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <functional>

#include "common/ui/filedialogs.h"
#include "common/uihooks.h"
#include "params/configrecord.h"

class QWidget;

namespace qvr {

// What a configuration-file dialog was set up with (the first filter is selected).
using CnfDialogRequest = FileDialogRequest;

// Replaces the modal dialog (tests): returns the chosen path, empty for Cancel. A null
// hook brings the real dialog back.
using CnfDialogHook = FileDialogHook;
void SetCnfDialogHook(CnfDialogHook hook);

// Asks for a configuration file and reads it into rec; true when a valid file was read.
// Messages are shown here; Cancel gives false without one. dialog: the main window's
// shared open dialog, or null for one of its own.
bool OpenConfigFile(QWidget* parent, ConfigRecord* rec, QFileDialog* dialog = nullptr);

// Asks for a file name (proposing "qvr_13-<name>-YYMMDDhhmm.cnf" in CONFIG) and writes rec,
// asking before an existing file is replaced. rec is unchanged on return.
void SaveConfigFile(QWidget* parent, ConfigRecord* rec, QFileDialog* dialog = nullptr);

// The configuration editor, shown modally on a record in file mode: accepted with its
// accept button, and whether the record was changed.
struct ConfigEditorOutcome {
    bool accepted = false;
    bool changed = false;
};
using ConfigEditor = std::function<ConfigEditorOutcome(QWidget* parent, ConfigRecord* rec)>;
// Installs the editor NParCnfClick shows; null: no editor, every created or opened record
// is offered for saving at once.
void SetConfigEditor(ConfigEditor editor);

// "Создание нового файла конфигурации" (tag 0) and "Просмотр/Корректировка файла
// конфигурации" (tag 1).
void NParCnfClick(QWidget* parent, int tag, QFileDialog* openDialog = nullptr, QFileDialog* saveDialog = nullptr);

// "Сохранение параметров конфигурации в файле": reads every configuration table of the
// connected controller (waiting window, main window disabled), then offers the record for
// saving. showMoistureMenus is called after a good read with g_MoisturePresent, to show
// or hide the moisture-analyser commands. false when the read failed.
bool NrdcnfClick(QWidget* mainWindow, IStatusBar* statusBar, QFileDialog* saveDialog = nullptr,
                 const std::function<void(bool)>& showMoistureMenus = {});

}  // namespace qvr
