#include "common/ui/filedialogs.h"

#include <optional>

namespace qvr {

QString RunFileDialog(QWidget* parent, QFileDialog* shared, const FileDialogRequest& req,
                      const FileDialogHook& hook) {
    if (hook) return hook(req);
    std::optional<QFileDialog> own;
    QFileDialog* d = shared;
    if (!d) {
        own.emplace(parent);
        d = &*own;
    }
    d->setWindowTitle(req.title);
    d->setAcceptMode(req.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d->setFileMode(req.fileMode);
    d->setOptions(req.options);
    // A shared dialog keeps the filters of the last command otherwise.
    d->setNameFilters(req.filters);
    d->selectNameFilter(req.filters.value(req.filterIndex - 1));
    d->setDirectory(req.folder);
    d->selectFile(req.fileName);
    if (d->exec() != QDialog::Accepted) return QString();
    return d->selectedFiles().value(0);
}

}  // namespace qvr
