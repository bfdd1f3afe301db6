// Small factories of the forms' child widgets: each gets its object name (what the form's
// members and the tests find it by) and its fixed place.
#pragma once
#include <QRect>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QToolButton;
class QWidget;

namespace qvr {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry);
// text: UTF-8.
QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, QRect geometry);

// Makes a list editable: the user may type a value instead of choosing one, and the text
// typed is taken exactly as typed. No inline completion from the list's items (a typed "4"
// stays "4", not the first item beginning with it) and nothing typed is added to the list.
// Every editable list of the forms is made this way.
void MakeListEditable(QComboBox* list);

// A push button with a UTF-8 caption that Enter presses while it has the focus.
QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, QRect geometry);

// A read-only grid chosen from by whole rows, one at a time, without row headings (the
// list forms).
QTableWidget* MakeListGrid(QWidget* parent, const char* name, int rows, int columns);

// A down-arrow button on the grid's column headings that orders the list by a column.
QToolButton* MakeSortButton(QTableWidget* grid, const char* name, const QString& toolTip = QString());

}  // namespace qvr
