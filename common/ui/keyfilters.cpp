#include "common/ui/keyfilters.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "common/keyfilter.h"

namespace qvr {

NumericKeyFilter::NumericKeyFilter(Kind kind, int limit, QObject* parent)
    : QObject(parent), kind_(kind), limit_(limit) {}

bool NumericKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return false;
    auto* ke = static_cast<QKeyEvent*>(event);
    if (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    if (ke->key() == Qt::Key_Backspace) return false;  // passes under both rules
    const QString text = ke->text();
    if (text.isEmpty()) return false;
    if (text.size() == 1 && (text[0].unicode() < 0x20 || text[0].unicode() == 0x7F)) return false;

    // One character of Latin-1 goes through the rule; anything else is never a number key.
    char typed = 1;
    if (text.size() == 1 && text[0].unicode() <= 0xFF) typed = char(text[0].unicode());
    char key = typed;
    if (kind_ == Digits) {
        DigitKeyFilter(key);
    } else {
        const QByteArray cur = edit->text().toLatin1();  // one byte per character
        FloatKeyFilter(std::string_view(cur.constData(), size_t(cur.size())), edit->cursorPosition(), key,
                       limit_);
    }
    if (key == 0) return true;  // refused
    if (key == typed) return false;
    edit->insert(QString(QChar(uchar(key))));  // replaced (',' -> '.')
    return true;
}

void InstallDigitKeyFilter(QLineEdit* edit) {
    edit->installEventFilter(new NumericKeyFilter(NumericKeyFilter::Digits, 0, edit));
}

void InstallFloatKeyFilter(QLineEdit* edit, int limit) {
    edit->installEventFilter(new NumericKeyFilter(NumericKeyFilter::Float, limit, edit));
}

}  // namespace qvr
