// The waiting window of long series (table series, archive and log reads, configuration
// reads and writes, spreadsheet exports): three lines chosen by Mode and a progress bar.
// It is a window of its own, not a child of the main window, so it stays enabled while
// the caller keeps the main window disabled; the user cannot close it.
#pragma once
#include <QDialog>
#include <QPointer>
#include <QProgressBar>
#include <cstdint>

#include "common/uihooks.h"

class QFrame;
class QLabel;

namespace qvr {

// A progress bar as seen by core code: every change is painted at once.
class ProgressBarSink : public IProgress {
public:
    explicit ProgressBarSink(QProgressBar* bar) : bar_(bar) {}
    void SetMax(int max) override;
    void SetPosition(int pos) override;

private:
    QPointer<QProgressBar> bar_;
};

}  // namespace qvr

class TFormWait : public QDialog {
    Q_OBJECT
public:
    // owner: the window the waiting window stays above (not its parent).
    explicit TFormWait(QWidget* owner = nullptr);

    // Texts shown: 0 configuration check, 1 data read (Esc aborts), 2 configuration write,
    // 3 configuration read, 4 spreadsheet export, 5 link check after a command.
    uint8_t Mode = 0;

    // Sets the size and the texts of Mode; runs when the window is shown.
    void FormShow();

    qvr::IProgress& Progress() { return progress_; }

    QFrame* Panel1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QProgressBar* ProgressBar1;

public slots:
    void reject() override;  // Esc does not close it

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<QWidget> owner_;
    qvr::ProgressBarSink progress_;
};

namespace qvr {

// The whole life of a waiting window inside one command: disables the main window, shows
// the waiting window with the mode and the progress maximum; on leaving the scope (any
// way) deletes it and enables and re-activates the main window.
class WaitWindowScope {
public:
    WaitWindowScope(QWidget* mainWindow, uint8_t mode, int progressMax);
    ~WaitWindowScope();
    WaitWindowScope(const WaitWindowScope&) = delete;
    WaitWindowScope& operator=(const WaitWindowScope&) = delete;

    TFormWait* Form() const { return form_; }
    IProgress& Progress() { return form_->Progress(); }

private:
    QPointer<QWidget> main_;
    TFormWait* form_;
};

}  // namespace qvr
