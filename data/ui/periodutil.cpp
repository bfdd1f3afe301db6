#include "data/ui/periodutil.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qvr {

RadioGroupBox::RadioGroupBox(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(QStringLiteral("Item%1").arg(i));
        group_->addButton(b, i);
        layout->addWidget(b);
        buttons_.push_back(b);
    }
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
        index_ = id;
        if (OnClick) OnClick(id);
    });
}

void RadioGroupBox::SetItemIndex(int i) {
    if (buttons_.empty()) return;
    if (i < 0) i = 0;
    if (i >= Count()) i = Count() - 1;
    index_ = i;
    buttons_[size_t(i)]->setChecked(true);
    if (OnClick) OnClick(i);
}

QDateTime ToQDateTime(const CtlDateTime& t) {
    if (!IsValidCtlDateTime(t)) return QDateTime();
    const QDate d(2000 + t.year, t.month, t.day);
    if (!d.isValid()) return QDateTime();
    return QDateTime(d, QTime(t.hour, t.minute, t.second), Qt::UTC);
}

QDateTime ToQDateTime(TDateTime dt) {
    const DateTimeParts p = DecodeDateTime(dt);
    return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second), Qt::UTC);
}

TDateTime ToTDateTime(const QDateTime& t) {
    const QDate d = t.date();
    const QTime tm = t.time();
    return EncodeDateTime(d.year(), d.month(), d.day(), tm.hour(), tm.minute(), tm.second());
}

CtlDateTime ToCtl(const QDate& date, int hour, int minute, int second) {
    return CtlDateTime(uint8_t(date.year() - 2000), uint8_t(date.month()), uint8_t(date.day()), uint8_t(hour),
                       uint8_t(minute), uint8_t(second));
}

namespace {
std::function<TDateTime()>& Clock() {
    static std::function<TDateTime()> clock;
    return clock;
}
}  // namespace

TDateTime PcNow() { return Clock() ? Clock()() : Now(); }
void SetPcClock(std::function<TDateTime()> clock) { Clock() = std::move(clock); }

QDate MinPickerDate() { return QDate(2000, 1, 1); }
QDate MaxPickerDate() { return QDate(2099, 12, 31); }

QDateEdit* MakeDateEdit(QWidget* parent, const char* name, QRect geometry) {
    auto* d = new QDateEdit(parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    d->setCalendarPopup(true);
    d->setDateRange(MinPickerDate(), MaxPickerDate());
    d->setGeometry(geometry);
    return d;
}

}  // namespace qvr
