#include "common/ui/formwidgets.h"

#include <QLabel>
#include <QPushButton>

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

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setAutoDefault(true);
    return b;
}

}  // namespace qvr
