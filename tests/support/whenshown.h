// Acting on a modal window from inside the exec() that shows it.
#pragma once
#include <QApplication>
#include <QTimer>
#include <functional>

// Runs act once on the next modal window of type Form, as soon as it is the active modal
// widget (polled every 5 ms by a timer that deletes itself afterwards).
template <class Form>
void WhenShown(std::function<void(Form&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* f = qobject_cast<Form*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*f);
        }
    });
    timer->start();
}
