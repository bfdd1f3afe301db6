// Pieces shared by the period and index dialogs: a radio group whose programmatic choice
// runs the same handler as a click, date-time conversions between the controller's packed
// form, the floating date-time and Qt's types, and the PC clock those dialogs read.
#pragma once
#include <QDateTime>
#include <QGroupBox>
#include <QStringList>
#include <functional>
#include <vector>

#include "common/dtfun.h"

class QButtonGroup;
class QDateEdit;
class QRadioButton;

namespace qvr {

// A titled group of radio buttons, one column. ItemIndex is -1 until an item is chosen.
class RadioGroupBox : public QGroupBox {
    Q_OBJECT
public:
    RadioGroupBox(const QString& title, const QStringList& items, QWidget* parent);

    int ItemIndex() const { return index_; }
    int Count() const { return int(buttons_.size()); }
    // Chooses item i (a value beyond the last item takes the last one, a negative value the
    // first) and runs the click handler, as a click on it would.
    void SetItemIndex(int i);
    QRadioButton* Button(int i) const { return buttons_.at(size_t(i)); }

    // Runs after every click and every SetItemIndex with the item chosen.
    std::function<void(int)> OnClick;

private:
    std::vector<QRadioButton*> buttons_;
    QButtonGroup* group_;
    int index_ = -1;
};

// UTC is used throughout so that no local clock change can skip or double an hour.
QDateTime ToQDateTime(const CtlDateTime& t);  // invalid when t is not a valid date-time
QDateTime ToQDateTime(TDateTime dt);
TDateTime ToTDateTime(const QDateTime& t);
// Year - 2000 (the dialogs allow 2000..2099 only), the other parts as they are.
CtlDateTime ToCtl(const QDate& date, int hour, int minute, int second);

// The PC clock of the dialogs (Now() unless a test replaced it; null restores it).
TDateTime PcNow();
void SetPcClock(std::function<TDateTime()> clock);

// The date range every date picker of these dialogs allows.
QDate MinPickerDate();
QDate MaxPickerDate();

// A date picker of these dialogs: dd.MM.yyyy, calendar pop-up, the range above.
QDateEdit* MakeDateEdit(QWidget* parent, const char* name, QRect geometry);

}  // namespace qvr
