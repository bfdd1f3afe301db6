#include "app/ui/modemesc.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include "link/connectmodem.h"

ModemEscFilter::ModemEscFilter(QObject* parent) : QObject(parent) {}

ModemEscFilter* ModemEscFilter::Install() {
    static QPointer<ModemEscFilter> installed;
    if (!installed && QCoreApplication::instance()) {
        installed = new ModemEscFilter(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(installed);
    }
    return installed;
}

bool ModemEscFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if ((t != QEvent::KeyPress && t != QEvent::ShortcutOverride) || !ModemEscWatchActive()) return false;
    // A command that names a window listens to that window's keys only.
    if (const void* only = ModemEscWindow()) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || (w != only && w->window() != only)) return false;
    }
    if (t == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) ModemEscPress();
    return true;
}
