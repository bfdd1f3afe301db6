#include "data/ui/formperiod.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/rd_wr_ini.h"
#include "common/question.h"
#include "common/ui/formwidgets.h"
#include "data/ui/periodutil.h"
#include "params/ui/userformutil.h"

using qvr::MakeButton;
using qvr::MakeDateEdit;
using qvr::MakeLabel;

namespace {

// An editable list of the numbers 0..count-1, two digits each.
QComboBox* MakeList(QWidget* parent, const char* name, int count, QRect g) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    qvr::MakeListEditable(c);
    for (int i = 0; i < count; ++i) c->addItem(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
    c->setGeometry(g);
    return c;
}

void SetListValue(QComboBox* c, int v) {
    c->setCurrentIndex(v);
    c->setEditText(c->itemText(v));
}

// The list's text as a number below `limit`; -1 when it is not one.
int ListValue(const QComboBox* c, int limit) {
    bool ok = false;
    const int v = c->currentText().trimmed().toInt(&ok);
    return ok && v >= 0 && v < limit ? v : -1;
}

}  // namespace

TFormPeriod::TFormPeriod(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Ввод периода времени запрашиваемых данных"));
    setFixedSize(614, 288);
    RadioGroup1 = new qvr::RadioGroupBox(QString(),
                                         {QStringLiteral("За последний час"), QStringLiteral("За последние сутки"),
                                          QStringLiteral("Заданный период")},
                                         this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(16, 16, 220, 100);
    Label1 = MakeLabel(this, "Label1", QStringLiteral("Начало периода"), QRect(260, 16, 300, 20));
    DateTimePicker1 = MakeDateEdit(this, "DateTimePicker1", QRect(260, 40, 120, 24));
    ComboBox1 = MakeList(this, "ComboBox1", 24, QRect(392, 40, 60, 24));
    ComboBox2 = MakeList(this, "ComboBox2", 60, QRect(460, 40, 60, 24));
    ComboBox3 = MakeList(this, "ComboBox3", 60, QRect(528, 40, 60, 24));
    Label2 = MakeLabel(this, "Label2", QStringLiteral("Конец периода"), QRect(260, 90, 300, 20));
    DateTimePicker2 = MakeDateEdit(this, "DateTimePicker2", QRect(260, 114, 120, 24));
    ComboBox4 = MakeList(this, "ComboBox4", 24, QRect(392, 114, 60, 24));
    ComboBox5 = MakeList(this, "ComboBox5", 60, QRect(460, 114, 60, 24));
    ComboBox6 = MakeList(this, "ComboBox6", 60, QRect(528, 114, 60, 24));
    BitBtn1 = MakeButton(this, "BitBtn1", "Принять", QRect(160, 226, 110, 30));
    BitBtn2 = MakeButton(this, "BitBtn2", "Выход", QRect(340, 226, 110, 30));
    RadioGroup1->OnClick = [this](int i) { RadioGroup1Click(i); };
    connect(BitBtn1, &QPushButton::clicked, this, &TFormPeriod::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormPeriod::BitBtn2Click);
}

void TFormPeriod::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormPeriod::FormShow() {
    Accepted = 0;
    setFixedSize(614, 288);
    RadioGroup1->SetItemIndex(ArchivePeriodSettings.per_kind);
}

void TFormPeriod::SetInputs(const QDateTime& start, const QDateTime& end) {
    DateTimePicker1->setDate(start.date());
    SetListValue(ComboBox1, start.time().hour());
    SetListValue(ComboBox2, start.time().minute());
    SetListValue(ComboBox3, start.time().second());
    DateTimePicker2->setDate(end.date());
    SetListValue(ComboBox4, end.time().hour());
    SetListValue(ComboBox5, end.time().minute());
    SetListValue(ComboBox6, end.time().second());
}

void TFormPeriod::RadioGroup1Click(int item) {
    ArchivePeriodSettings.per_kind = item;
    const bool free = item == 2;
    if (item == 0 || item == 1) {
        const QDateTime now = qvr::ToQDateTime(qvr::PcNow());
        SetInputs(item == 0 ? now.addSecs(-3600) : now.addDays(-1), now);
    } else {
        SetInputs(qvr::ToQDateTime(ArchivePeriodSettings.curr_dt_beg), qvr::ToQDateTime(ArchivePeriodSettings.curr_dt_end));
    }
    for (QWidget* w : std::initializer_list<QWidget*>{DateTimePicker1, ComboBox1, ComboBox2, ComboBox3, DateTimePicker2,
                                                      ComboBox4, ComboBox5, ComboBox6})
        w->setEnabled(free);
}

void TFormPeriod::BitBtn1Click() {
    struct Part {
        QComboBox* list;
        int limit;
        const char* text;
    };
    const Part parts[] = {
        {ComboBox1, 24, "Значение часа начала диапазона"},  {ComboBox2, 60, "Значение минут начала диапазона"},
        {ComboBox3, 60, "Значение секунд начала диапазона"}, {ComboBox4, 24, "Значение часа конца диапазона"},
        {ComboBox5, 60, "Значение минут конца диапазона"},  {ComboBox6, 60, "Значение секунд конца диапазона"},
    };
    int v[6];
    for (int i = 0; i < 6; ++i) {
        v[i] = ListValue(parts[i].list, parts[i].limit);
        if (v[i] < 0) {
            qvr::InputError(parts[i].text, "вне допустимого диапазона");
            parts[i].list->setFocus();
            return;
        }
    }
    const CtlDateTime start = qvr::ToCtl(DateTimePicker1->date(), v[0], v[1], v[2]);
    const CtlDateTime end = qvr::ToCtl(DateTimePicker2->date(), v[3], v[4], v[5]);
    if (CompareCtlDateTime(end, start) < 0) {
        qvr::InputError("Дата и время конца опроса должны быть", "больше даты и времени начала опроса");
        return;
    }
    Start = start;
    End = end;
    if (RadioGroup1->ItemIndex() == 2) {
        ArchivePeriodSettings.curr_dt_beg = CtlToDateTime(Start);
        ArchivePeriodSettings.curr_dt_end = CtlToDateTime(End);
    }
    Accepted = 1;
    accept();
}

void TFormPeriod::BitBtn2Click() { reject(); }
