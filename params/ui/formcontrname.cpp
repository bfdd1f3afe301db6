#include "params/ui/formcontrname.h"

#include <QLineEdit>
#include <QPushButton>

#include <cstring>

#include "common/ui/formwidgets.h"
#include "common/ui/qtext.h"
#include "params/linkparams.h"
#include "params/ui/userformutil.h"
#include "params/users.h"

TFormContrName::TFormContrName(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Наименование контроллера"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(linktab::kNameSize);
    Edit1->setGeometry(24, 20, 316, 26);
    BitBtn1 = qvr::MakeButton(this, "BitBtn1", "Записать в устройство", QRect(24, 80, 180, 30));
    BitBtn2 = qvr::MakeButton(this, "BitBtn2", "Отменить", QRect(220, 80, 120, 30));
    BitBtn1->setAutoDefault(false);
    BitBtn2->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormContrName::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormContrName::BitBtn2Click);
    FormCreate();
}

void TFormContrName::FormCreate() {
    Data = nullptr;
    Accepted = 0;
}

void TFormContrName::FormShow() {
    setFixedSize(364, 144);
    if (!Data) return;
    // A zero ends the name (a controller that was never named may hold zeros).
    const std::string text = qvr::FieldText(Data, linktab::kNameSize);
    Edit1->setText(qvr::FromWin(TrimmedField(text.data(), text.size())));
    Edit1->setFocus();
}

void TFormContrName::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormContrName::BitBtn1Click() {
    if (!Data) return;
    std::string name;
    // A character Windows-1251 cannot hold is refused, not replaced.
    if (!qvr::EditBytes(Edit1, name)) return;
    if (name.size() > size_t(linktab::kNameSize)) name.resize(linktab::kNameSize);
    std::memset(Data, ' ', linktab::kNameSize);
    std::memcpy(Data, name.data(), name.size());
    Accepted = 1;
    accept();
}

void TFormContrName::BitBtn2Click() { reject(); }
