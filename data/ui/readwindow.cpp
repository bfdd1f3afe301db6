#include "data/ui/readwindow.h"

#include <QPointer>
#include <QTimer>

namespace qvr {

std::function<void()> MessageTimerStarter(QTimer* timerMessage, IStatusBar* statusBar) {
    if (timerMessage) {
        QPointer<QTimer> timer(timerMessage);
        return [timer] {
            if (timer) timer->start(3000);
        };
    }
    return [statusBar] {
        if (auto* context = dynamic_cast<QObject*>(statusBar))
            QTimer::singleShot(3000, context, [statusBar] { statusBar->SetPanelText(2, ""); });
    };
}

ReadWindow::ReadWindow(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage) : main_(mainWindow) {
    ui.statusBar = statusBar;
    ui.openWait = [this](int max) -> IProgress* {
        wait_.emplace(main_, uint8_t(1), max);
        return &wait_->Progress();
    };
    ui.closeWait = [this] { wait_.reset(); };
    ui.startMessageTimer = MessageTimerStarter(timerMessage, statusBar);
}

}  // namespace qvr
