// The users forms over the controller's users table. TFormAccess edits all 16 users at once
// (the restore of a controller's users from a configuration, and the users block of a
// configuration file); TFormChangeAccess changes one user of a connected controller in
// table 4 of the table image, which the caller has read and then writes back
// (WriteChangedUser).
#pragma once
#include <QDialog>
#include <cstdint>

#include "common/uihooks.h"
#include "params/users.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class TFormAccess : public QDialog {
    Q_OBJECT
public:
    explicit TFormAccess(QWidget* parent = nullptr);

    UserEntry* Users = nullptr;  // the caller's 16 entries, replaced on acceptance
    uint8_t DeviceMode = 0;      // 1: "Записать в устройство", 0: "Принять"
    uint8_t Accepted = 0;

    // Takes the working copy from Users and fills the rows; runs when shown.
    void FormShow();
    const UserEntry* Working() const { return work_; }

    QFrame* pn[kUserCount];
    QLineEdit* ek[kUserCount];
    QComboBox* cb[kUserCount];
    QPushButton* bt[kUserCount];
    QPushButton* BitBtn1;  // "Записать в устройство" / "Принять"
    QPushButton* BitBtn2;  // "Отменить"

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void cbChange();  // a row's level list (its row in the "tag" property)
    void btClick();   // a row's password button

protected:
    void showEvent(QShowEvent* event) override;

private:
    UserEntry work_[kUserCount];
    char msg_[100] = {};
};

class TFormChangeAccess : public QDialog {
    Q_OBJECT
public:
    explicit TFormChangeAccess(QWidget* parent = nullptr);

    uint8_t Accepted = 0;
    uint8_t ChangedIndex = 0;

    // Copies table 4 of the image, fills the user list and selects the first entry; runs
    // when shown.
    void FormShow();

    QListWidget* ListBox1;  // users
    QLineEdit* Edit1;       // name
    QComboBox* ComboBox1;   // level
    QLineEdit* Edit2;       // password
    QLineEdit* Edit3;       // password confirmation
    QLineEdit* Edit4;       // code
    QLineEdit* Edit5;       // code confirmation
    QPushButton* BitBtn1;   // "Записать в устройство"
    QPushButton* BitBtn2;   // "Выход"
    QLabel* Label6;         // the note on deleting

public slots:
    void ListBox1Click();
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    UserEntry work_[kUserCount];
    uint8_t makerRow_ = 255;
    int adminCount_ = 0;
    int lastAdminRow_ = -1;
};

namespace qvr {

// Writes entry `index` of table 4 of the image to the controller (interactive: status text
// and the retry question).
bool WriteChangedUser(uint8_t index, IStatusBar* statusBar);

// Runs TFormChangeAccess over table 4 of the image (already read) and, when accepted,
// writes the changed entry. True when an entry was changed and written.
bool ChangeUserAccess(QWidget* parent, IStatusBar* statusBar);

}  // namespace qvr
