// The program's file dialogs: one set-up for every open and save dialog, a test hook in
// place of the modal dialog, and the main window's shared dialogs reused when given.
#pragma once
#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace qvr {

// What a file dialog is set up with.
struct FileDialogRequest {
    bool save = false;  // AcceptSave; otherwise AcceptOpen
    QString title;
    QString folder;
    QString fileName;     // preselected path or name; empty for none
    QStringList filters;  // in their order
    int filterIndex = 1;  // preselected filter, counted from 1
    QFileDialog::FileMode fileMode = QFileDialog::ExistingFile;
    QFileDialog::Options options;
};

// Stands in for the modal dialog (tests): returns the chosen path, empty for Cancel.
using FileDialogHook = std::function<QString(const FileDialogRequest&)>;

// Runs the dialog set up from req: the hook when there is one, otherwise shared (the main
// window's dialog) or, when that is null, a dialog of its own on parent. Returns the
// chosen path, empty for Cancel.
QString RunFileDialog(QWidget* parent, QFileDialog* shared, const FileDialogRequest& req,
                      const FileDialogHook& hook = {});

}  // namespace qvr
