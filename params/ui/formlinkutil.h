// What the link-parameter forms share: the members and buttons of a table edit form
// (Mode, Data, Accepted; "Записать в устройство" in device mode, "Принять" in file mode,
// "Отменить"), and builders of their lists, edits and labels.
#pragma once
#include <QDialog>
#include <QRect>
#include <cstdint>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

class LinkFormBase : public QDialog {
    Q_OBJECT
public:
    explicit LinkFormBase(QWidget* owner = nullptr);

    uint8_t Mode = 0;        // 1 device mode (table image), 0 file mode (ConfigRecord)
    uint8_t* Data = nullptr; // the table's first byte
    uint8_t Accepted = 0;    // 1 after a successful accept

    // Size, buttons by Mode and the fields from Data; runs when the window is shown.
    virtual void FormShow() = 0;

    QPushButton* BitBtn1;  // "Записать в устройство" (device mode)
    QPushButton* BitBtn3;  // "Принять" (file mode)
    QPushButton* BitBtn2;  // "Отменить"

public slots:
    // Accept: checks the input, writes the table bytes, sets Accepted and closes.
    virtual void BitBtn1Click() = 0;
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
    // Fixes the window size and shows the accept button of the mode; the buttons sit on
    // the bottom row.
    void ShowFrame(int width, int height);
    // Success of an accept.
    void Finish();
};

namespace qvr {

// A list of the numbers from..to as text; editable lists take digits only (DigitKeyFilter),
// at most `maxDigits` of them, and never add typed texts to their items.
QComboBox* MakeNumberList(QWidget* parent, const char* name, int from, int to, QRect geometry, bool editable = false,
                          int maxDigits = 3);
// The 22 selectable rates, shown as numbers; the item index is the rate index.
QComboBox* MakeRateList(QWidget* parent, const char* name, QRect geometry);
// A list of fixed texts (UTF-8).
QComboBox* MakeTextList(QWidget* parent, const char* name, std::initializer_list<const char*> items, QRect geometry);
// A numeric edit with DigitKeyFilter.
QLineEdit* MakeDigitEdit(QWidget* parent, const char* name, int maxLength, QRect geometry);

// Selects item `index` of the list, or nothing when the index is not one of its items.
void SelectItem(QComboBox* list, int index);
// True when an item is chosen (a non-editable list) or some text is typed (an editable one).
bool ListGiven(const QComboBox* list);
// The typed text of an editable list or edit, blanks around it removed.
std::string GivenText(const QComboBox* list);
std::string GivenText(const QLineEdit* edit);

}  // namespace qvr
