#include "params/ui/formfloupar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstring>

#include "common/codepage.h"
#include "common/stringi.h"
#include "common/ui/formwidgets.h"
#include "common/ui/keyfilters.h"
#include "common/ui/qtext.h"
#include "params/ui/userformutil.h"

namespace {

constexpr int kHeight = 360;
constexpr int kWidthSingle = 412;  // one 16-character password field
constexpr int kWidthSou = 506;     // password and identification code
constexpr size_t kSouPasswordSize = 12;
constexpr size_t kSouCodeAt = 12, kSouCodeSize = 4;

const char* const kByteOrderItems[kByteOrderCount] = {" Мл. адрес - ст. байт", " Мл. адрес - мл. байт"};

// The text a blank-padded field shows: up to the first zero, trailing blanks dropped.
QString FieldShown(const char* field, size_t width) {
    std::string s = qvr::FieldText(field, width);
    const size_t end = s.find_last_not_of(' ');
    s.erase(end == std::string::npos ? 0 : end + 1);
    return qvr::FromWin(s);
}

// The address typed or chosen: 1..3 digits, otherwise -1.
int ParseAddress(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 3) return -1;
    int v = 0;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return -1;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

QCheckBox* MakeBox(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* b = new QCheckBox(QString::fromUtf8(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    return b;
}

}  // namespace

TFormFlouPar::TFormFlouPar(QWidget* parent) : QDialog(parent) {
    setFixedSize(kWidthSingle, kHeight);
    std::memset(&work_, 0, sizeof work_);

    qvr::MakeLabel(this, "Label1", "Адрес  (1...254)", QRect(16, 10, 200, 18));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(16, 30, 110, 24);
    qvr::MakeListEditable(ComboBox1);
    for (int a = 1; a <= 254; ++a) ComboBox1->addItem(QString::number(a));
    ComboBox1->lineEdit()->setMaxLength(3);
    qvr::InstallDigitKeyFilter(ComboBox1->lineEdit());

    qvr::MakeLabel(this, "Label2", "Тип вычислителя", QRect(16, 66, 200, 18));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setGeometry(16, 86, 230, 24);
    for (int t = 0; t < kFlowComputerTypeCount; ++t) ComboBox2->addItem(QString::fromUtf8(FlowComputerTypeNames[t]));

    qvr::MakeLabel(this, "Label3", "Порядок байтов", QRect(16, 122, 200, 18));
    ComboBox3 = new QComboBox(this);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->setGeometry(16, 142, 230, 24);
    for (const char* item : kByteOrderItems) ComboBox3->addItem(QString::fromUtf8(item));

    CheckBox1 = MakeBox(this, "CheckBox1", "Т/п 1", QRect(290, 30, 100, 22));
    CheckBox2 = MakeBox(this, "CheckBox2", "Т/п 2", QRect(290, 58, 100, 22));
    CheckBox3 = MakeBox(this, "CheckBox3", "Т/п 3", QRect(290, 86, 100, 22));
    CheckBox4 = MakeBox(this, "CheckBox4", "SOU", QRect(16, 182, 100, 22));

    Label4 = qvr::MakeLabel(this, "Label4", "", QRect(16, 212, 220, 36));
    Edit1 = qvr::MakeUserEdit(this, "Edit1", int(kFlowComputerPasswordSize), QRect(16, 252, 230, 24), true);
    Edit2 = qvr::MakeUserEdit(this, "Edit2", int(kSouPasswordSize), QRect(16, 252, 230, 24), true);
    Label5 = qvr::MakeLabel(this, "Label5", "Код идентификации\n(до 4 символов)", QRect(290, 212, 200, 36));
    Edit3 = qvr::MakeUserEdit(this, "Edit3", int(kSouCodeSize), QRect(290, 252, 100, 24), true);
    qvr::InstallDigitKeyFilter(Edit3);
    qvr::EnterMovesTo(Edit3, Edit2);

    BitBtn1 = qvr::MakeButton(this, "BitBtn1", "Принять", QRect(60, 304, 130, 30));
    BitBtn2 = qvr::MakeButton(this, "BitBtn2", "Отменить", QRect(222, 304, 130, 30));

    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TFormFlouPar::ComboBox2Change);
    connect(CheckBox4, &QCheckBox::clicked, this, &TFormFlouPar::CheckBox4Click);
    connect(Edit1, &QLineEdit::editingFinished, this, &TFormFlouPar::Edit1Exit);
    connect(Edit2, &QLineEdit::editingFinished, this, &TFormFlouPar::Edit2Exit);
    connect(Edit3, &QLineEdit::editingFinished, this, &TFormFlouPar::Edit3Exit);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormFlouPar::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormFlouPar::BitBtn2Click);
    ShowPasswordFields();
}

void TFormFlouPar::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormFlouPar::FormShow() {
    Accepted = 0;
    PasswordChanged = 0;
    setWindowTitle(QStringLiteral("Параметры вычислителя расхода газа № %1").arg(Number));
    work_ = Entry ? *Entry : EmptyFlowComputer();
    {
        QSignalBlocker b2(ComboBox2);
        QSignalBlocker b4(CheckBox4);
        ComboBox1->setCurrentIndex(work_.address >= 1 && work_.address <= 254 ? work_.address - 1 : -1);
        if (ComboBox1->currentIndex() < 0) ComboBox1->setEditText(QString());
        ComboBox2->setCurrentIndex(work_.type < kFlowComputerTypeCount ? work_.type : -1);
        ComboBox3->setCurrentIndex(work_.byteOrder < kByteOrderCount ? work_.byteOrder : -1);
        CheckBox4->setChecked(Sou && *Sou);
    }
    LayOutPipelines();
    ShowPasswordFields();
}

void TFormFlouPar::LayOutPipelines() {
    QCheckBox* boxes[3] = {CheckBox1, CheckBox2, CheckBox3};
    for (QCheckBox* b : boxes) {
        b->setChecked(false);
        b->setEnabled(false);
    }
    const int type = ComboBox2->currentIndex();
    if (type < 0) return;
    const int used = type == kFlowComputerSinglePipeType ? 1 : 3;
    for (int k = 0; k < used; ++k) {
        boxes[k]->setEnabled(true);
        boxes[k]->setChecked((work_.pipelines >> k) & 1);
    }
}

void TFormFlouPar::ComboBox2Change() { LayOutPipelines(); }

void TFormFlouPar::ShowPasswordFields() {
    const bool sou = CheckBox4->isChecked();
    Label4->setText(sou ? QStringLiteral("Пароль на запись\n(до 12 символов)")
                        : QStringLiteral("Пароль на запись\n(до 16 символов)"));
    Edit1->setVisible(!sou);
    Edit2->setVisible(sou);
    Label5->setVisible(sou);
    Edit3->setVisible(sou);
    // setText also marks the fields as not edited.
    Edit1->setText(FieldShown(work_.password, kFlowComputerPasswordSize));
    Edit2->setText(FieldShown(work_.password, kSouPasswordSize));
    Edit3->setText(FieldShown(work_.password + kSouCodeAt, kSouCodeSize));
    setFixedSize(sou ? kWidthSou : kWidthSingle, kHeight);
}

void TFormFlouPar::CheckBox4Click() {
    // What was typed in the fields being hidden is kept.
    if (CheckBox4->isChecked()) {
        StoreField(Edit1, 0, kFlowComputerPasswordSize);
    } else {
        StoreField(Edit2, 0, kSouPasswordSize);
        StoreField(Edit3, kSouCodeAt, kSouCodeSize);
    }
    ShowPasswordFields();
}

bool TFormFlouPar::StoreField(QLineEdit* edit, size_t at, size_t width) {
    if (!edit->isModified()) return true;
    std::string bytes;
    if (!qvr::EditBytes(edit, bytes)) return false;
    std::memset(work_.password + at, ' ', width);
    std::memcpy(work_.password + at, bytes.data(), std::min(bytes.size(), width));
    edit->setModified(false);
    return true;
}

void TFormFlouPar::Edit1Exit() { StoreField(Edit1, 0, kFlowComputerPasswordSize); }
void TFormFlouPar::Edit2Exit() { StoreField(Edit2, 0, kSouPasswordSize); }
void TFormFlouPar::Edit3Exit() { StoreField(Edit3, kSouCodeAt, kSouCodeSize); }

void TFormFlouPar::BitBtn1Click() {
    const QString addressText = ComboBox1->currentText().trimmed();
    if (addressText.isEmpty() || ComboBox2->currentIndex() < 0 || ComboBox3->currentIndex() < 0) {
        qvr::InputError("Введены не все параметры", "");
        return;
    }
    const int address = ParseAddress(addressText);
    if (address < 1 || address > 254) {
        qvr::InputError("Адрес вне допускаемого диапазона", "");
        ComboBox1->setFocus();
        return;
    }
    // A field still being typed in has not been left yet: store it now.
    if (CheckBox4->isChecked()) {
        if (!StoreField(Edit2, 0, kSouPasswordSize) || !StoreField(Edit3, kSouCodeAt, kSouCodeSize)) return;
    } else if (!StoreField(Edit1, 0, kFlowComputerPasswordSize)) {
        return;
    }
    work_.address = uint8_t(address);
    work_.type = uint8_t(ComboBox2->currentIndex());
    work_.byteOrder = uint8_t(ComboBox3->currentIndex());
    PasswordChanged = Entry && std::memcmp(work_.password, Entry->password, kFlowComputerPasswordSize) != 0 ? 1 : 0;
    const QCheckBox* boxes[3] = {CheckBox1, CheckBox2, CheckBox3};
    uint8_t pipelines = 0;
    for (int k = 0; k < 3; ++k)
        if (boxes[k]->isEnabled() && boxes[k]->isChecked()) pipelines |= uint8_t(1u << k);
    work_.pipelines = pipelines;
    if (Sou) *Sou = CheckBox4->isChecked() ? 1 : 0;
    if (Entry) *Entry = work_;
    Accepted = 1;
    accept();
}

void TFormFlouPar::BitBtn2Click() { reject(); }
