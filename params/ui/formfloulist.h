// The list of flow computers: one grid row per flow computer (address, type, byte order,
// pipelines), with adding, changing (TFormFlouPar) and deleting rows. The list works on a
// private copy of the caller's rows and writes them back, with the new count, only when
// accepted; PasswordSet tells which rows' passwords must be written to the controller.
#pragma once
#include <QDialog>
#include <cstdint>

#include "common/uihooks.h"
#include "params/flowcomputers.h"

class QPushButton;
class QTableWidget;

class TFormFlouList : public QDialog {
    Q_OBJECT
public:
    explicit TFormFlouList(QWidget* parent = nullptr);

    uint8_t Mode = 0;                // 1: device ("Записать в устройство"), 0: file ("Принять")
    uint8_t* Entries = nullptr;      // the caller's 16 rows of 20 bytes (320 bytes)
    uint8_t Count = 0;               // rows in, rows out (at most 16)
    uint8_t Accepted = 0;
    uint8_t PasswordSet[16] = {};    // 1: the row's password must be written

    // Takes the working copy and fills the grid; runs when shown.
    void FormShow();
    const FlowComputerEntry* Working() const { return work_; }
    int Rows() const { return count_; }

    QTableWidget* StringGrid1;
    QPushButton* BitBtn1;  // "Принять" / "Записать в устройство"
    QPushButton* BitBtn2;  // "Отменить"
    QPushButton* BitBtn3;  // "Добавить"
    QPushButton* BitBtn4;  // "Изменить"
    QPushButton* BitBtn5;  // "Удалить"

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();  // add
    void BitBtn4Click();  // change the selected row (also a double click)
    void BitBtn5Click();  // delete the selected row

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillRow(int row);
    void SetRows();
    void SetButtons();
    int SelectedRow() const;

    FlowComputerEntry work_[kFlowComputerMax];
    uint8_t sou_[kFlowComputerMax] = {};
    int count_ = 0;
};

namespace qvr {

// The grid texts of one row: address "   %d", type " %s" (" ?" for a code of 4 or more),
// byte order " %s" (" ?" above 1), pipelines "      0x%02X".
QString FlowComputerCell(const FlowComputerEntry& e, int column);

// The flow-computer parameters of a connected controller: reads table 9 field 0 and
// tables 17..20, shows the list in device mode and writes what was accepted (table 9
// field 0 when the count changed, tables 17..20, flagged passwords of table 13). true
// when the list was accepted and written.
bool EditFlowComputers(QWidget* parent, IStatusBar* statusBar);

// After the flow-computer link form raised the count (table 9 of the image) and the user
// chose to enter the new flow computers: reads tables 17..20 for the new count, shows the
// list in device mode and, when accepted, writes table 9 fields 0..7 against oldTable9
// (the 8 bytes read before the link form), tables 17..20 and the flagged passwords. true
// when accepted and written. A failed read or a cancelled list puts oldTable9 back into
// the image.
bool EnterFlowComputers(QWidget* parent, const uint8_t* oldTable9, IStatusBar* statusBar);

}  // namespace qvr
