// The shared file dialog: how the real dialog is set up (own or the main window's shared
// one), what Cancel and a choice return, and the test hook standing in for it.
#include "common/ui/filedialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "common/fileutil.h"
#include "support/tempdir.h"

namespace {

// Runs check on the modal file dialog once it is shown, then closes it with close.
void WhenDialogShown(std::function<void(QFileDialog&)> check) {
    QTimer::singleShot(0, [check] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        check(*d);
    });
}

QStringList ThreeFilters() {
    return {QStringLiteral("Data Files (*.cnf)"), QStringLiteral("DataFiles(*.srt)"), QStringLiteral("All Files (*)")};
}

}  // namespace

TEST(FileDialogs, OwnOpenDialogIsSetUpAndReturnsTheChoice) {
    TempDir dir;
    const std::string file = dir.dir() + "rep261207.srt";
    ASSERT_TRUE(qvr::WriteFileAtomic(file, std::string("x")));
    QWidget parent;
    qvr::FileDialogRequest req;
    req.title = QStringLiteral("Выбор файла отчета");
    req.folder = QString::fromStdString(dir.path());
    req.filters = ThreeFilters();
    req.filterIndex = 2;
    bool checked = false;
    WhenDialogShown([&](QFileDialog& d) {
        checked = true;
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Выбор файла отчета"));
        EXPECT_EQ(d.parentWidget(), &parent);
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(d.nameFilters(), ThreeFilters());
        EXPECT_EQ(d.selectedNameFilter(), QStringLiteral("DataFiles(*.srt)"));
        EXPECT_EQ(QDir(d.directory()).canonicalPath(), QDir(req.folder).canonicalPath());
        d.selectFile(QString::fromStdString(file));
        static_cast<QDialog&>(d).accept();  // QFileDialog::accept checks the choice
    });
    const QString chosen = qvr::RunFileDialog(&parent, nullptr, req);
    EXPECT_TRUE(checked);
    EXPECT_EQ(QDir(chosen).canonicalPath(), QDir(QString::fromStdString(file)).canonicalPath());
}

TEST(FileDialogs, SharedDialogTakesTheRequestAndCancelGivesNothing) {
    TempDir dir;
    QWidget main;
    QFileDialog shared(&main);
    // The previous command left two filters and an open dialog behind.
    shared.setNameFilters({QStringLiteral("Data Files (*.cnf)"), QStringLiteral("All Files (*)")});
    qvr::FileDialogRequest req;
    req.save = true;
    req.title = QStringLiteral("Выбор файла для записи параметров конфигурации");
    req.folder = QString::fromStdString(dir.path());
    req.fileName = QString::fromStdString(dir.dir() + "new.cnf");
    req.filters = ThreeFilters();
    req.fileMode = QFileDialog::AnyFile;
    req.options = QFileDialog::DontConfirmOverwrite;
    bool checked = false;
    WhenDialogShown([&](QFileDialog& d) {
        checked = true;
        EXPECT_EQ(&d, &shared);
        EXPECT_EQ(d.windowTitle(), req.title);
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(d.fileMode(), QFileDialog::AnyFile);
        EXPECT_TRUE(d.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(d.nameFilters(), ThreeFilters());
        EXPECT_EQ(d.selectedNameFilter(), ThreeFilters()[0]);
        d.reject();
    });
    EXPECT_TRUE(qvr::RunFileDialog(nullptr, &shared, req).isEmpty());
    EXPECT_TRUE(checked);
}

TEST(FileDialogs, HookStandsInForTheDialog) {
    qvr::FileDialogRequest req;
    req.title = QStringLiteral("Выберите файл с данными");
    req.filterIndex = 3;
    std::vector<qvr::FileDialogRequest> asked;
    const QString chosen = qvr::RunFileDialog(nullptr, nullptr, req, [&](const qvr::FileDialogRequest& r) {
        asked.push_back(r);
        return QStringLiteral("/tmp/a.ala");
    });
    EXPECT_EQ(chosen, QStringLiteral("/tmp/a.ala"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, req.title);
    EXPECT_EQ(asked[0].filterIndex, 3);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
