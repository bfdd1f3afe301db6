#include "params/ui/formaccess.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <cstring>

#include "common/stringi.h"
#include "common/ui/formwidgets.h"
#include "common/ui/keyfilters.h"
#include "common/ui/qtext.h"
#include "link/conffun.h"
#include "link/tabledir.h"
#include "params/ui/formuspass.h"
#include "params/ui/userformutil.h"

namespace {

constexpr int kUsersTable = 4;

QString LevelName(int level) {
    if (level >= 0 && level < kUserLevelNamesCount && UserLevelNames[level]) return QString::fromUtf8(UserLevelNames[level]);
    static const char* const kFallback[kUserLevelCount] = {"Нет доступа", "Производитель-наладчик", "Администратор",
                                                           "Инженер", "Оператор"};
    return QString::fromUtf8(kFallback[level]);
}

void FillLevels(QComboBox* c) {
    for (int l = 0; l < kUserLevelCount; ++l) c->addItem(LevelName(l));
}

}  // namespace

// ---------------------------------------------------------------- TFormAccess

TFormAccess::TFormAccess(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Зарегистрированные пользователи"));
    setFixedSize(432, 564);
    std::memset(work_, ' ', sizeof work_);

    qvr::MakeLabel(this, "Label1", "Имя", QRect(40, 8, 60, 18));
    qvr::MakeLabel(this, "Label2", "Уровень доступа", QRect(110, 8, 180, 18));
    qvr::MakeLabel(this, "Label3", "Пароль, код", QRect(310, 8, 100, 18));
    for (int n = 0; n < kUserCount; ++n) {
        const std::string num = std::to_string(n + 1);
        auto* p = new QFrame(this);
        p->setObjectName(QString::fromStdString("pn" + num));
        p->setFrameShape(QFrame::StyledPanel);
        p->setGeometry(8, 28 + n * 29, 416, 28);
        auto* l = new QLabel(QString::number(n + 1), p);
        l->setGeometry(4, 4, 24, 20);
        auto* e = new QLineEdit(p);
        e->setObjectName(QString::fromStdString("ek" + num));
        e->setMaxLength(4);
        e->setGeometry(30, 2, 64, 24);
        auto* c = new QComboBox(p);
        c->setObjectName(QString::fromStdString("cb" + num));
        c->setGeometry(100, 2, 196, 24);
        FillLevels(c);
        c->setProperty("tag", n);
        auto* b = new QPushButton(QStringLiteral("Пароль"), p);
        b->setObjectName(QString::fromStdString("bt" + num));
        b->setGeometry(302, 2, 108, 24);
        b->setAutoDefault(false);
        b->setProperty("tag", n);
        connect(c, &QComboBox::currentIndexChanged, this, &TFormAccess::cbChange);
        connect(b, &QPushButton::clicked, this, &TFormAccess::btClick);
    }
    // The row controls are found by name, as the rows were laid out.
    for (int n = 0; n < kUserCount; ++n) {
        const QString num = QString::number(n + 1);
        pn[n] = findChild<QFrame*>(QStringLiteral("pn") + num);
        ek[n] = findChild<QLineEdit*>(QStringLiteral("ek") + num);
        cb[n] = findChild<QComboBox*>(QStringLiteral("cb") + num);
        bt[n] = findChild<QPushButton*>(QStringLiteral("bt") + num);
    }
    BitBtn1 = qvr::MakeButton(this, "BitBtn1", "Принять", QRect(40, 502, 170, 30));
    BitBtn2 = qvr::MakeButton(this, "BitBtn2", "Отменить", QRect(240, 502, 150, 30));
    connect(BitBtn1, &QPushButton::clicked, this, &TFormAccess::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormAccess::BitBtn2Click);
}

void TFormAccess::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormAccess::FormShow() {
    Accepted = 0;
    if (Users) std::memcpy(work_, Users, sizeof work_);
    BitBtn1->setText(DeviceMode == 1 ? QStringLiteral("Записать в устройство") : QStringLiteral("Принять"));
    for (int n = 0; n < kUserCount; ++n) {
        const int level = work_[n].accessLevel;
        QSignalBlocker block(cb[n]);
        cb[n]->setCurrentIndex(level < kUserLevelCount ? level : -1);
        const bool used = level != kLevelNone;
        ek[n]->setText(used ? qvr::FromWin(TrimmedField(work_[n].name, 4)) : QString());
        bt[n]->setEnabled(used && level < kUserLevelCount);
    }
}

void TFormAccess::cbChange() {
    auto* c = qobject_cast<QComboBox*>(sender());
    if (!c) return;
    const int n = c->property("tag").toInt();
    const int level = c->currentIndex();
    bt[n]->setEnabled(level >= 1 && level < kUserLevelCount);
}

void TFormAccess::btClick() {
    auto* b = qobject_cast<QPushButton*>(sender());
    if (!b) return;
    const int n = b->property("tag").toInt();
    TFormUsPass f(this);
    std::memcpy(f.Password, work_[n].writePassword, sizeof f.Password);
    std::memcpy(f.IdCode, work_[n].idCode, sizeof f.IdCode);
    f.ClearFields = 0;
    f.exec();
    if (!f.Accepted) return;
    std::memcpy(work_[n].writePassword, f.Password, sizeof f.Password);
    std::memcpy(work_[n].idCode, f.IdCode, sizeof f.IdCode);
}

void TFormAccess::BitBtn1Click() {
    for (int n = 0; n < kUserCount; ++n) {
        const int level = cb[n]->currentIndex();
        work_[n].accessLevel = uint8_t(level < 0 ? 0 : level);
        if (work_[n].accessLevel != kLevelNone) {
            std::string name;
            if (!qvr::EditBytes(ek[n], name)) return;
            PadField(work_[n].name, 4, name);
        }
        work_[n].reserved = 0;
    }
    if (!ValidateUsersTable(work_)) return;
    if (Users) std::memcpy(Users, work_, sizeof work_);
    Accepted = 1;
    accept();
}

void TFormAccess::BitBtn2Click() { reject(); }

// ---------------------------------------------------------------- TFormChangeAccess

TFormChangeAccess::TFormChangeAccess(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Доступ пользователей к таблицам параметров"));
    setFixedSize(676, 330);
    std::memset(work_, ' ', sizeof work_);

    qvr::MakeLabel(this, "Label1", "Пользователи", QRect(16, 8, 180, 18));
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(16, 28, 180, 240);
    qvr::MakeLabel(this, "Label2", "Имя пользователя", QRect(216, 8, 200, 18));
    Edit1 = qvr::MakeUserEdit(this, "Edit1", 4, QRect(216, 28, 100, 24), false);
    qvr::MakeLabel(this, "Label3", "Уровень доступа", QRect(440, 8, 220, 18));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(440, 28, 220, 24);
    FillLevels(ComboBox1);
    qvr::MakeLabel(this, "Label4", "Пароль на запись в контроллер", QRect(216, 68, 220, 18));
    Edit2 = qvr::MakeUserEdit(this, "Edit2", 12, QRect(216, 88, 200, 24), true);
    qvr::MakeLabel(this, "Label5", "Подтверждение пароля", QRect(440, 68, 220, 18));
    Edit3 = qvr::MakeUserEdit(this, "Edit3", 12, QRect(440, 88, 200, 24), true);
    qvr::MakeLabel(this, "Label7", "Код идентификации", QRect(216, 128, 220, 18));
    Edit4 = qvr::MakeUserEdit(this, "Edit4", 4, QRect(216, 148, 100, 24), true);
    qvr::MakeLabel(this, "Label8", "Подтверждение кода", QRect(440, 128, 220, 18));
    Edit5 = qvr::MakeUserEdit(this, "Edit5", 4, QRect(440, 148, 100, 24), true);
    Label6 = qvr::MakeLabel(this, "Label6", "Выбор уровня доступа \"Нет доступа\" удаляет пользователя",
                                QRect(216, 196, 444, 18));
    BitBtn1 = qvr::MakeButton(this, "BitBtn1", "Записать в устройство", QRect(216, 278, 200, 30));
    BitBtn2 = qvr::MakeButton(this, "BitBtn2", "Выход", QRect(500, 278, 120, 30));
    // The code is typed as on the identification form, so that the user can enter it there.
    qvr::InstallDigitKeyFilter(Edit4);
    qvr::InstallDigitKeyFilter(Edit5);
    qvr::EnterMovesTo(Edit1, ComboBox1);
    qvr::EnterMovesTo(Edit2, Edit3);
    qvr::EnterMovesTo(Edit3, Edit4);
    qvr::EnterMovesTo(Edit4, Edit5);
    qvr::EnterMovesTo(Edit5, BitBtn1);
    connect(ListBox1, &QListWidget::currentRowChanged, this, &TFormChangeAccess::ListBox1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormChangeAccess::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormChangeAccess::BitBtn2Click);
}

void TFormChangeAccess::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormChangeAccess::FormShow() {
    Accepted = 0;
    UsersFromBytes(TablePtr(kUsersTable), work_);
    makerRow_ = 255;
    adminCount_ = 0;
    lastAdminRow_ = -1;
    for (int k = 0; k < kUserCount; ++k) {
        if (work_[k].accessLevel == kLevelMaker) makerRow_ = uint8_t(k);
        if (work_[k].accessLevel == kLevelAdmin) ++adminCount_, lastAdminRow_ = k;
    }
    QSignalBlocker block(ListBox1);
    ListBox1->clear();
    for (const UserEntry& e : work_)
        ListBox1->addItem(IsBlankField(e.name, 4) ? QStringLiteral("   --   ") : qvr::FromWin(TrimmedField(e.name, 4)));
    ListBox1->setCurrentRow(0);
    ListBox1Click();
}

void TFormChangeAccess::ListBox1Click() {
    const int i = ListBox1->currentRow();
    if (i < 0 || i >= kUserCount) return;
    Edit1->setText(qvr::FromWin(TrimmedField(work_[i].name, 4)));
    ComboBox1->setCurrentIndex(work_[i].accessLevel < kUserLevelCount ? work_[i].accessLevel : -1);
    for (QLineEdit* e : {Edit2, Edit3, Edit4, Edit5}) e->clear();
}

void TFormChangeAccess::BitBtn1Click() {
    const int i = ListBox1->currentRow();
    if (i < 0 || i >= kUserCount) return;
    UserChange c;
    c.index = i;
    c.level = ComboBox1->currentIndex() < 0 ? 0 : ComboBox1->currentIndex();
    if (!qvr::EditBytes(Edit1, c.name) || !qvr::EditBytes(Edit2, c.password) ||
        !qvr::EditBytes(Edit3, c.passwordConfirm) || !qvr::EditBytes(Edit4, c.code) ||
        !qvr::EditBytes(Edit5, c.codeConfirm))
        return;
    const UserChangeResult r = ApplyUserChange(work_, c);
    switch (r.outcome) {
        case UserChangeOutcome::Done:
            UserEntryToBytes(work_[i], TablePtr(kUsersTable) + size_t(i) * kUserEntrySize);
            ChangedIndex = uint8_t(i);
            Accepted = 1;
            accept();
            return;
        case UserChangeOutcome::PasswordMismatch:
            qvr::InputError(r.message.line1, r.message.line2);
            Edit2->clear();
            Edit3->clear();
            Edit2->setFocus();
            return;
        case UserChangeOutcome::CodeMismatch:
            qvr::InputError(r.message.line1, r.message.line2);
            Edit4->clear();
            Edit5->clear();
            Edit4->setFocus();
            return;
        case UserChangeOutcome::Refused:
            qvr::InputError(r.message.line1, r.message.line2);
            return;
    }
}

void TFormChangeAccess::BitBtn2Click() { reject(); }

namespace qvr {

bool WriteChangedUser(uint8_t index, IStatusBar* statusBar) {
    if (index >= kUserCount) return false;
    return WriteTableFields(TableRequest{kUsersTable, index, 1}, statusBar, 1);
}

bool ChangeUserAccess(QWidget* parent, IStatusBar* statusBar) {
    TFormChangeAccess form(parent);
    form.exec();
    if (!form.Accepted) return false;
    return WriteChangedUser(form.ChangedIndex, statusBar);
}

}  // namespace qvr
