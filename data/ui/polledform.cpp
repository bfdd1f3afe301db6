#include "data/ui/polledform.h"

#include <QHideEvent>
#include <QPushButton>
#include <QTimer>

const char* const kCaptionStopUpdating = "Не обновлять данные";
const char* const kCaptionStartUpdating = "Обновлять данные";

TPolledForm::TPolledForm(QWidget* owner) : QDialog(owner) {
    setModal(true);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TPolledForm::Timer1Timer);
    BtnUpdate = new QPushButton(QString::fromUtf8(kCaptionStopUpdating), this);
    BtnUpdate->setObjectName(QStringLiteral("BtnUpdate"));
    BtnUpdate->setAutoDefault(false);
    connect(BtnUpdate, &QPushButton::clicked, this, &TPolledForm::BtnUpdateClick);
}

void TPolledForm::Timer1Timer() {
    // A timeout delivered while a tick or an action waits for the controller must not
    // start a second exchange: the running one restarts the timer when it ends.
    if (inTick_) return;
    Timer1->stop();
    if (ActionRunning()) return;
    inTick_ = true;
    qvr::ProcessMessages();
    if (Updating && isVisible()) {
        PollFirst();
        qvr::ProcessMessages();
        if (Updating && isVisible()) {
            PollSecond();
            RestartTimer();
        }
    }
    inTick_ = false;
    TickEnded();
}

void TPolledForm::BtnUpdateClick() {
    if (Updating) {
        Timer1->stop();
        BtnUpdate->setText(QString::fromUtf8(kCaptionStartUpdating));
        Updating = 0;
    } else {
        BtnUpdate->setText(QString::fromUtf8(kCaptionStopUpdating));
        Updating = 1;
        // A tick or an action in progress restarts the timer itself when it ends.
        if (!inTick_ && !ActionRunning()) Timer1->start();
    }
}

void TPolledForm::StartPolling() {
    BtnUpdate->setText(QString::fromUtf8(kCaptionStopUpdating));
    Updating = 1;
    Timer1->start();
}

void TPolledForm::RestartTimer() {
    if (Updating && isVisible() && !ActionRunning()) Timer1->start();
}

void TPolledForm::hideEvent(QHideEvent* event) {
    // No polling while the window is not shown (closed by a button, by Esc or by its owner).
    Timer1->stop();
    QDialog::hideEvent(event);
}
