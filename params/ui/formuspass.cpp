#include "params/ui/formuspass.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstring>

#include "common/question.h"
#include "common/ui/formwidgets.h"
#include "common/ui/keyfilters.h"
#include "common/ui/qtext.h"
#include "link/hgcbox.h"
#include "params/ui/userformutil.h"
#include "params/users.h"

using qvr::EditBytes;
using qvr::EnterMovesTo;
using qvr::InputError;
using qvr::MakeButton;
using qvr::MakeLabel;

namespace {
const char* const kCaption = "Идентификация пользователя программы";

QLineEdit* MakeEdit(QWidget* parent, const char* name, int maxLength, QRect geometry) {
    return qvr::MakeUserEdit(parent, name, maxLength, geometry, true);
}
}  // namespace

// ---------------------------------------------------------------- TFormUsPass

TFormUsPass::TFormUsPass(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setFixedSize(354, 308);
    std::memset(Password, ' ', sizeof Password);
    std::memset(IdCode, ' ', sizeof IdCode);

    Label1 = MakeLabel(this, "Label1", " Код идентификации  пользователя", QRect(24, 16, 306, 20));
    Edit1 = MakeEdit(this, "Edit1", 4, QRect(24, 38, 120, 24));
    Label2 = MakeLabel(this, "Label2", " Подтверждение кода идентификации", QRect(24, 72, 306, 20));
    Edit2 = MakeEdit(this, "Edit2", 4, QRect(24, 94, 120, 24));
    Label3 = MakeLabel(this, "Label3", " Пароль на запись в контроллер", QRect(24, 128, 306, 20));
    Edit3 = MakeEdit(this, "Edit3", 12, QRect(24, 150, 200, 24));
    Label4 = MakeLabel(this, "Label4", " Подтверждение пароля", QRect(24, 184, 306, 20));
    Edit4 = MakeEdit(this, "Edit4", 12, QRect(24, 206, 200, 24));
    BitBtn1 = MakeButton(this, "BitBtn1", "Принять", QRect(60, 256, 100, 28));
    BitBtn2 = MakeButton(this, "BitBtn2", "Выход", QRect(194, 256, 100, 28));
    qvr::InstallDigitKeyFilter(Edit1);
    qvr::InstallDigitKeyFilter(Edit2);
    EnterMovesTo(Edit1, Edit2);
    EnterMovesTo(Edit2, Edit3);
    EnterMovesTo(Edit3, Edit4);
    EnterMovesTo(Edit4, BitBtn1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Edit3);
    setTabOrder(Edit3, Edit4);
    setTabOrder(Edit4, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormUsPass::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormUsPass::BitBtn2Click);
}

void TFormUsPass::FormShow() {
    Accepted = 0;
    if (ClearFields) {
        for (QLineEdit* e : {Edit1, Edit2, Edit3, Edit4}) e->clear();
    } else {
        const QString code = qvr::FromWin(TrimmedField(IdCode, sizeof IdCode));
        const QString pw = qvr::FromWin(TrimmedField(Password, sizeof Password));
        Edit1->setText(code);
        Edit2->setText(code);
        Edit3->setText(pw);
        Edit4->setText(pw);
    }
    Edit1->setFocus();
}

void TFormUsPass::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormUsPass::BitBtn1Click() {
    std::string pw, pw2, code, code2;
    if (!EditBytes(Edit3, pw) || !EditBytes(Edit4, pw2) || !EditBytes(Edit1, code) || !EditBytes(Edit2, code2)) return;
    if (pw != pw2) {
        InputError("Несовпадение введенных паролей", "Повторите процесс сначала");
        Edit3->clear();
        Edit4->clear();
        Edit3->setFocus();
        return;
    }
    if (code != code2) {
        InputError("Несовпадение введенных кодов", "Повторите процесс сначала");
        Edit1->clear();
        Edit2->clear();
        Edit1->setFocus();
        return;
    }
    if (TrimmedField(code.data(), code.size()).empty()) {
        InputError("Не задан код идентификации пользователя", "");
        Edit1->setFocus();
        return;
    }
    PadField(Password, sizeof Password, pw);
    PadField(IdCode, sizeof IdCode, code);
    Accepted = 1;
    accept();
}

void TFormUsPass::BitBtn2Click() { reject(); }

// ---------------------------------------------------------------- TFormShortUsPass

TFormShortUsPass::TFormShortUsPass(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setFixedSize(384, 176);
    std::memset(Password, ' ', sizeof Password);
    std::memset(IdCode, ' ', sizeof IdCode);

    Label1 = MakeLabel(this, "Label1", " Код идентификации  пользователя", QRect(16, 20, 230, 24));
    Edit1 = MakeEdit(this, "Edit1", 4, QRect(250, 20, 110, 24));
    Label2 = MakeLabel(this, "Label2", " Пароль на запись в контроллер", QRect(16, 64, 230, 24));
    Edit2 = MakeEdit(this, "Edit2", 12, QRect(250, 64, 110, 24));
    BitBtn1 = MakeButton(this, "BitBtn1", "Принять", QRect(80, 122, 100, 28));
    BitBtn2 = MakeButton(this, "BitBtn2", "Выход", QRect(204, 122, 100, 28));
    qvr::InstallDigitKeyFilter(Edit1);
    EnterMovesTo(Edit1, Edit2);
    EnterMovesTo(Edit2, BitBtn1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormShortUsPass::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormShortUsPass::BitBtn2Click);
}

void TFormShortUsPass::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Edit1->setFocus();
}

void TFormShortUsPass::BitBtn1Click() {
    std::string code, pw;
    if (!EditBytes(Edit1, code) || !EditBytes(Edit2, pw)) return;
    if (TrimmedField(code.data(), code.size()).empty()) {
        InputError("Не задан код идентификации пользователя", "");
        Edit1->setFocus();
        return;
    }
    PadField(Password, sizeof Password, pw);
    PadField(IdCode, sizeof IdCode, code);
    Accepted = 1;
    accept();
}

void TFormShortUsPass::BitBtn2Click() {
    Accepted = 0;
    reject();
}

namespace qvr {

bool IdentifyUser(QWidget* parent) {
    TFormShortUsPass form(parent);
    form.exec();
    if (!form.Accepted || !g_Hgc) return false;
    std::memcpy(g_Hgc->Password, form.Password, sizeof g_Hgc->Password);
    std::memcpy(g_Hgc->IdCode, form.IdCode, sizeof g_Hgc->IdCode);
    return true;
}

}  // namespace qvr
