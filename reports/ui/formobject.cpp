#include "reports/ui/formobject.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "app/connect.h"
#include "common/question.h"
#include "common/ui/formwidgets.h"
#include "common/ui/keyfilters.h"
#include "common/ui/qtext.h"
#include "reports/dailyreport.h"

namespace {

void ObjectInputMessage(const char* line1, const char* line2) {
    g_QuesKind = qvr::kQuesInputError;
    qvr::ShowQues(line1, line2);
}

}  // namespace

TFormObject::TFormObject(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormObject"));
    setWindowTitle(QStringLiteral(" Параметры объекта"));
    setFixedSize(564, 140);
    auto* l1 = new QLabel(QStringLiteral("Наименование объекта"), this);
    l1->setGeometry(12, 10, 200, 18);
    auto* l2 = new QLabel(QStringLiteral("(до 49 символов)"), this);
    l2->setGeometry(12, 28, 200, 20);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(216, 14, 336, 24);
    Edit1->setMaxLength(49);
    auto* l3 = new QLabel(QStringLiteral("Адрес контроллера КВР"), this);
    l3->setGeometry(12, 58, 200, 24);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    qvr::MakeListEditable(ComboBox1);
    for (int i = 1; i <= 255; ++i) ComboBox1->addItem(QString::number(i));
    ComboBox1->setGeometry(216, 58, 90, 24);
    qvr::InstallDigitKeyFilter(ComboBox1->lineEdit());

    BitBtn1 = new QPushButton(QStringLiteral("Принять"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(150, 100, 120, 28);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Отменить"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(294, 100, 120, 28);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormObject::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormObject::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormObject::FormShow() {
    if (EditMode == 1 && Entry) {
        Edit1->setText(qvr::FromWin(Entry->obj_name, sizeof Entry->obj_name));
        ComboBox1->setCurrentIndex(Entry->contr_adr - 1);
        ComboBox1->setEditText(Entry->contr_adr ? QString::number(Entry->contr_adr) : QString());
        return;
    }
    Edit1->clear();
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(QString());
    Edit1->setFocus();
}

void TFormObject::BitBtn1Click() {
    const std::string adrText = ComboBox1->currentText().toStdString();
    if (Edit1->text().isEmpty() || adrText.empty()) return ObjectInputMessage(kMsgNotAllParams, "");
    int64_t adr = 0;
    // The key filter lets '%' and the apostrophe through: such a text is no address.
    if (!ParseIntField(adrText, adr)) return ObjectInputMessage("Адрес контроллера задан неверно", "(целое число 1...255)");
    if (adr < 1 || adr > 255) return ObjectInputMessage("Адрес вне допустимого диапазона", "(1...255)");
    std::string name;
    if (!qvr::ToWin(Edit1->text(), name)) {
        Edit1->setFocus();
        return ObjectInputMessage("Введен недопустимый символ", "в наименовании объекта");
    }
    if (!Entry) return;
    Entry->contr_adr = uint8_t(adr);
    qvr::StoreTextField(Entry->obj_name, sizeof Entry->obj_name, name);
    Accepted = 1;
    accept();
}
