#include "common/ui/formwidgets.h"

#include <QComboBox>
#include <QLabel>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

namespace qvr {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, QRect geometry) {
    return MakeLabel(parent, name, QString::fromUtf8(text), geometry);
}

void MakeListEditable(QComboBox* list) {
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    // Becoming editable gives the list an inline completer; it is dropped.
    list->setCompleter(nullptr);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setAutoDefault(true);
    return b;
}

QTableWidget* MakeListGrid(QWidget* parent, const char* name, int rows, int columns) {
    auto* g = new QTableWidget(rows, columns, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->verticalHeader()->hide();
    return g;
}

QToolButton* MakeSortButton(QTableWidget* grid, const char* name, const QString& toolTip) {
    auto* b = new QToolButton(grid->horizontalHeader());
    b->setObjectName(QString::fromLatin1(name));
    b->setArrowType(Qt::DownArrow);
    if (!toolTip.isEmpty()) b->setToolTip(toolTip);
    return b;
}

}  // namespace qvr
