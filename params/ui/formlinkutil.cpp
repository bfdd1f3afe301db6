#include "params/ui/formlinkutil.h"

#include <algorithm>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/suplfunc.h"
#include "common/ui/formwidgets.h"
#include "common/ui/keyfilters.h"

LinkFormBase::LinkFormBase(QWidget* owner) : QDialog(owner) {
    BitBtn1 = new QPushButton(QStringLiteral("Записать в устройство"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn3 = new QPushButton(QStringLiteral("Принять"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn2 = new QPushButton(QStringLiteral("Отменить"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    for (QPushButton* b : {BitBtn1, BitBtn3, BitBtn2}) b->setAutoDefault(false);
    // Both accept buttons run the same check and write.
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, &LinkFormBase::BitBtn2Click);
}

void LinkFormBase::BitBtn2Click() { reject(); }

void LinkFormBase::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void LinkFormBase::ShowFrame(int width, int height) {
    setFixedSize(width, height);
    const bool device = Mode == 1;
    const int y = height - 50;
    // The accept button ends, and the exit button starts 20 pixels after, the middle of
    // the form; on a narrow form the accept button gives up width to stay inside it.
    const int acceptWidth = std::min(190, width / 2 - 16);
    const QRect accept(width / 2 - acceptWidth, y, acceptWidth, 30);
    BitBtn1->setGeometry(accept);
    BitBtn3->setGeometry(accept);
    BitBtn2->setGeometry(width / 2 + 20, y, std::min(140, width / 2 - 28), 30);
    BitBtn1->setVisible(device);
    BitBtn3->setVisible(!device);
}

void LinkFormBase::Finish() {
    Accepted = 1;
    accept();
}

namespace qvr {

QComboBox* MakeNumberList(QWidget* parent, const char* name, int from, int to, QRect geometry, bool editable,
                          int maxDigits) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(geometry);
    c->setMaxVisibleItems(16);
    for (int i = from; i <= to; ++i) c->addItem(QString::number(i));
    if (editable) {
        qvr::MakeListEditable(c);
        c->lineEdit()->setMaxLength(maxDigits);
        InstallDigitKeyFilter(c->lineEdit());
    }
    c->setCurrentIndex(-1);
    return c;
}

QComboBox* MakeRateList(QWidget* parent, const char* name, QRect geometry) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(geometry);
    c->setMaxVisibleItems(22);
    for (int i = 0; i < kBaudRateCount; ++i) c->addItem(QString::number(BaudRates[i]));
    c->setCurrentIndex(-1);
    return c;
}

QComboBox* MakeTextList(QWidget* parent, const char* name, std::initializer_list<const char*> items, QRect geometry) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(geometry);
    for (const char* s : items) c->addItem(QString::fromUtf8(s));
    c->setCurrentIndex(-1);
    return c;
}

QLineEdit* MakeDigitEdit(QWidget* parent, const char* name, int maxLength, QRect geometry) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(maxLength);
    e->setGeometry(geometry);
    InstallDigitKeyFilter(e);
    return e;
}

void SelectItem(QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    if (list->isEditable() && list->currentIndex() < 0) list->setEditText(QString());
}

bool ListGiven(const QComboBox* list) {
    if (list->isEditable()) return !GivenText(list).empty();
    return list->currentIndex() >= 0;
}

std::string GivenText(const QComboBox* list) { return list->currentText().trimmed().toStdString(); }
std::string GivenText(const QLineEdit* edit) { return edit->text().trimmed().toStdString(); }

}  // namespace qvr
