// Small helpers shared by the users and identification forms.
#pragma once
#include <QRect>
#include <string>

class QLineEdit;
class QWidget;

namespace qvr {

// Enter in `from` moves the focus to `to` and goes no further (the dialog does not take it
// as a press of its default button).
void EnterMovesTo(QLineEdit* from, QWidget* to);

// Message box of kind 2 ("Ошибка ввода параметров").
void InputError(const std::string& line1, const std::string& line2);

// Windows-1251 bytes of an edit's text; false, with a message and the focus on the edit,
// when it holds a character the controller's code page cannot hold.
bool EditBytes(QLineEdit* edit, std::string& out);

QLineEdit* MakeUserEdit(QWidget* parent, const char* name, int maxLength, QRect geometry, bool masked);

}  // namespace qvr
