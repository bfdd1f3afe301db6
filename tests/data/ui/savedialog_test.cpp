// The save dialog of the archive and log views: set up from the view's request (texts in
// UTF-8, no replace question of its own), the chosen path back, and the test hook.
#include "data/ui/savedialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>
#include <QWidget>

#include "support/tempdir.h"

TEST(ViewSaveDialog, DialogIsSetUpFromTheRequest) {
    TempDir dir;
    QWidget view;
    qvr::DataSaveRequest req;
    req.title = "Введите имя файла для сохранения данных";
    req.folder = dir.path();
    req.proposal = dir.dir() + "chr_07_2612071005.mch";
    req.filters = {"Данные (*.mch)", "All Files (*)"};
    req.filterIndex = 2;
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        checked = true;
        EXPECT_EQ(d->parentWidget(), &view);
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Введите имя файла для сохранения данных"));
        EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(d->fileMode(), QFileDialog::AnyFile);
        // SaveViewData asks the replace question itself, for the path actually written.
        EXPECT_TRUE(d->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(d->nameFilters(), (QStringList{QStringLiteral("Данные (*.mch)"), QStringLiteral("All Files (*)")}));
        EXPECT_EQ(d->selectedNameFilter(), QStringLiteral("All Files (*)"));
        static_cast<QDialog*>(d)->accept();  // the proposal as it stands
    });
    const std::string chosen = qvr::ViewSaveChooser(&view, nullptr)(req);
    EXPECT_TRUE(checked);
    EXPECT_EQ(QDir(QString::fromStdString(chosen)).absolutePath(),
              QDir(QString::fromStdString(req.proposal)).absolutePath());
}

TEST(ViewSaveDialog, HookIsUsedWhenInstalled) {
    int calls = 0;
    const qvr::DataSaveChooser hook = [&](const qvr::DataSaveRequest& r) {
        ++calls;
        return r.proposal + ".x";
    };
    qvr::DataSaveRequest req;
    req.proposal = "/tmp/a";
    EXPECT_EQ(qvr::ViewSaveChooser(nullptr, hook)(req), "/tmp/a.x");
    EXPECT_EQ(calls, 1);
}
