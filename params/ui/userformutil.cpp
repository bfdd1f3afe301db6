#include "params/ui/userformutil.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/question.h"
#include "common/ui/qtext.h"

namespace {

class EnterFocus : public QObject {
public:
    EnterFocus(QObject* parent, QWidget* to) : QObject(parent), to_(to) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress) return false;
        int k = static_cast<QKeyEvent*>(e)->key();
        if (k != Qt::Key_Return && k != Qt::Key_Enter) return false;
        to_->setFocus();
        return true;
    }

private:
    QWidget* to_;
};

}  // namespace

namespace qvr {

void EnterMovesTo(QLineEdit* from, QWidget* to) { from->installEventFilter(new EnterFocus(from, to)); }

void InputError(const std::string& line1, const std::string& line2) {
    g_QuesKind = kQuesInputError;
    ShowQues(line1, line2);
}

bool EditBytes(QLineEdit* edit, std::string& out) {
    if (ToWin(edit->text(), out)) return true;
    InputError("Введен символ, недопустимый в контроллере", "Повторите ввод");
    edit->setFocus();
    return false;
}

QLineEdit* MakeUserEdit(QWidget* parent, const char* name, int maxLength, QRect geometry, bool masked) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(maxLength);
    if (masked) e->setEchoMode(QLineEdit::Password);
    e->setGeometry(geometry);
    return e;
}

}  // namespace qvr
