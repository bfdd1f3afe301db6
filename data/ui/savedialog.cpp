#include "data/ui/savedialog.h"

#include "common/ui/filedialogs.h"
#include "common/ui/qtext.h"

namespace qvr {

DataSaveChooser ViewSaveChooser(QWidget* parent, const DataSaveChooser& hook) {
    if (hook) return hook;
    return [parent](const DataSaveRequest& req) {
        FileDialogRequest d;
        d.save = true;
        d.title = FromUtf8(req.title);
        d.folder = FromUtf8(req.folder);
        d.fileName = FromUtf8(req.proposal);
        for (const std::string& f : req.filters) d.filters << FromUtf8(f);
        d.filterIndex = req.filterIndex;
        d.fileMode = QFileDialog::AnyFile;
        d.options = QFileDialog::DontConfirmOverwrite;
        return RunFileDialog(parent, nullptr, d).toStdString();
    };
}

}  // namespace qvr
