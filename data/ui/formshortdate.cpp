#include "data/ui/formshortdate.h"

#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <cstdio>

#include "app/rd_wr_ini.h"
#include "common/question.h"
#include "common/ui/formwidgets.h"
#include "data/ui/periodutil.h"
#include "link/tabledir.h"

using qvr::MakeButton;
using qvr::MakeDateEdit;
using qvr::MakeLabel;
using qvr::RadioGroupBox;

namespace {

const char* const kCaption = "Ввод периода времени запрашиваемых данных";

QSpinBox* MakeSpin(QWidget* parent, const char* name, int max, QRect g) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(0, max);
    s->setGeometry(g);
    return s;
}

QFrame* MakePanel(QWidget* parent, const char* name, int height) {
    auto* p = new QFrame(parent);
    p->setObjectName(QString::fromLatin1(name));
    p->setFrameShape(QFrame::StyledPanel);
    p->setGeometry(0, 0, 590, height);
    p->hide();
    return p;
}

// -1, 0, 1 at the precision of the unit: 3 to the minute, 0 to the hour, 1 to the day.
int Cmp(const CtlDateTime& a, const CtlDateTime& b, int unit) {
    return unit == kUnitFiveMinutes ? CompareCtlToMinute(a, b) : CompareCtlDateTimeByUnit(a, b, unit);
}

// The first `width` bytes of t, the rest 0.
CtlDateTime Leading(const CtlDateTime& t, int width) {
    CtlDateTime r;
    uint8_t* out = &r.year;
    const uint8_t* in = &t.year;
    for (int i = 0; i < width && i < 6; ++i) out[i] = in[i];
    return r;
}

QString SpanText(const char* lead, const CtlMinuteTime& t, int kind) {
    char buf[128];
    if (kind == 3)
        std::snprintf(buf, sizeof buf, "%s  %02d.%02d.%02d %02d:%02d", lead, t.day, t.month, t.year, t.hour, t.minute);
    else if (kind == 0)
        std::snprintf(buf, sizeof buf, "%s  %02d.%02d.%02d %02dч", lead, t.day, t.month, t.year, t.hour);
    else
        std::snprintf(buf, sizeof buf, "%s  %02d.%02d.%02d", lead, t.day, t.month, t.year);
    return QString::fromUtf8(buf);
}

void InputError(const char* line1, const char* line2) {
    g_QuesKind = qvr::kQuesInputError;
    qvr::ShowQues(line1, line2);
}

QDateTime FloorToHour(const QDateTime& t) { return QDateTime(t.date(), QTime(t.time().hour(), 0), Qt::UTC); }
QDateTime FloorToMinute(const QDateTime& t) {
    return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute()), Qt::UTC);
}

const ArchiveSpan kNoSpan{};

}  // namespace

TFormShortDate::TFormShortDate(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setFixedSize(590, 290);

    const QString startText = QStringLiteral("Начало периода");
    const QString endText = QStringLiteral("Конец периода");

    // 5-minute panel.
    Panel1 = MakePanel(this, "Panel1", 290);
    Label1 = MakeLabel(Panel1, "Label1", QString(), QRect(16, 10, 560, 20));
    Label2 = MakeLabel(Panel1, "Label2", QString(), QRect(16, 32, 560, 20));
    RadioGroup1 = new RadioGroupBox(QString(),
                                    {QStringLiteral("За последний час"), QStringLiteral("За последние сутки"),
                                     QStringLiteral("Заданный период")},
                                    Panel1);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(16, 60, 220, 100);
    MakeLabel(Panel1, "LabelStart1", startText, QRect(260, 64, 140, 20));
    DateTimePicker1 = MakeDateEdit(Panel1, "DateTimePicker1", QRect(260, 86, 120, 24));
    SpinHour1 = MakeSpin(Panel1, "SpinHour1", 23, QRect(390, 86, 56, 24));
    SpinMin1 = MakeSpin(Panel1, "SpinMin1", 59, QRect(452, 86, 56, 24));
    MakeLabel(Panel1, "LabelEnd1", endText, QRect(260, 120, 140, 20));
    DateTimePicker2 = MakeDateEdit(Panel1, "DateTimePicker2", QRect(260, 142, 120, 24));
    SpinHour2 = MakeSpin(Panel1, "SpinHour2", 23, QRect(390, 142, 56, 24));
    SpinMin2 = MakeSpin(Panel1, "SpinMin2", 59, QRect(452, 142, 56, 24));
    BitBtn1 = MakeButton(Panel1, "BitBtn1", "Принять", QRect(150, 230, 110, 30));
    BitBtn2 = MakeButton(Panel1, "BitBtn2", "Выход", QRect(320, 230, 110, 30));

    // Hourly panel.
    Panel2 = MakePanel(this, "Panel2", 238);
    Label3 = MakeLabel(Panel2, "Label3", QString(), QRect(16, 10, 560, 20));
    Label4 = MakeLabel(Panel2, "Label4", QString(), QRect(16, 32, 560, 20));
    RadioGroup2 = new RadioGroupBox(QString(), {QStringLiteral("За последние сутки"), QStringLiteral("Заданный период")},
                                    Panel2);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    RadioGroup2->setGeometry(16, 60, 220, 76);
    MakeLabel(Panel2, "LabelStart2", startText, QRect(260, 60, 140, 20));
    DateTimePicker3 = MakeDateEdit(Panel2, "DateTimePicker3", QRect(260, 82, 120, 24));
    SpinHour3 = MakeSpin(Panel2, "SpinHour3", 23, QRect(390, 82, 56, 24));
    MakeLabel(Panel2, "LabelEnd2", endText, QRect(260, 112, 140, 20));
    DateTimePicker4 = MakeDateEdit(Panel2, "DateTimePicker4", QRect(260, 134, 120, 24));
    SpinHour4 = MakeSpin(Panel2, "SpinHour4", 23, QRect(390, 134, 56, 24));
    BitBtn3 = MakeButton(Panel2, "BitBtn3", "Принять", QRect(150, 184, 110, 30));
    BitBtn4 = MakeButton(Panel2, "BitBtn4", "Выход", QRect(320, 184, 110, 30));

    // Daily panel.
    Panel3 = MakePanel(this, "Panel3", 208);
    Label5 = MakeLabel(Panel3, "Label5", QString(), QRect(16, 10, 560, 20));
    Label6 = MakeLabel(Panel3, "Label6", QString(), QRect(16, 32, 560, 20));
    RadioGroup3 = new RadioGroupBox(QString(), {QStringLiteral("За последний месяц"), QStringLiteral("Заданный период")},
                                    Panel3);
    RadioGroup3->setObjectName(QStringLiteral("RadioGroup3"));
    RadioGroup3->setGeometry(16, 60, 220, 76);
    MakeLabel(Panel3, "LabelStart3", startText, QRect(260, 60, 140, 20));
    DateTimePicker5 = MakeDateEdit(Panel3, "DateTimePicker5", QRect(260, 82, 120, 24));
    MakeLabel(Panel3, "LabelEnd3", endText, QRect(400, 60, 140, 20));
    DateTimePicker6 = MakeDateEdit(Panel3, "DateTimePicker6", QRect(400, 82, 120, 24));
    BitBtn5 = MakeButton(Panel3, "BitBtn5", "Принять", QRect(150, 156, 110, 30));
    BitBtn6 = MakeButton(Panel3, "BitBtn6", "Выход", QRect(320, 156, 110, 30));

    RadioGroup1->OnClick = [this](int i) { RadioGroup1Click(i); };
    RadioGroup2->OnClick = [this](int i) { RadioGroup2Click(i); };
    RadioGroup3->OnClick = [this](int i) { RadioGroup3Click(i); };
    connect(BitBtn1, &QPushButton::clicked, this, &TFormShortDate::BitBtn1Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TFormShortDate::BitBtn3Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TFormShortDate::BitBtn5Click);
    for (QPushButton* b : {BitBtn2, BitBtn4, BitBtn6}) connect(b, &QPushButton::clicked, this, &TFormShortDate::ExitClick);
}

const ArchiveSpan& TFormShortDate::SpanRef() const { return Span ? *Span : kNoSpan; }

void TFormShortDate::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormShortDate::FormShow() {
    // The base of the ready-made periods. A clock the table image does not hold validly
    // (nothing read yet) falls back to the span end, which the caller has checked.
    const CtlDateTime tableNow = LoadCtlDateTime(TablePtr(2));
    ControllerNow = IsValidCtlDateTime(tableNow) && qvr::ToQDateTime(tableNow).isValid()
                        ? CtlToDateTime(tableNow)
                        : CtlToDateTime(CtlDateTime(SpanRef().end));

    const ArchiveSpan& span = SpanRef();
    const QDateTime spanEnd = qvr::ToQDateTime(CtlDateTime(span.end));
    const QDateTime spanBegin = qvr::ToQDateTime(CtlDateTime(span.begin));
    const int perKind = ArchivePeriodSettings.per_kind;
    Panel1->hide();
    Panel2->hide();
    Panel3->hide();
    switch (Kind) {
    case 3:
        setFixedSize(590, 290);
        Label1->setText(SpanText("Дата и время последней записи в архиве:", span.end, 3));
        Label2->setText(SpanText("Дата и время самой старой записи в архиве:", span.begin, 3));
        Panel1->show();
        RadioGroup1->SetItemIndex(perKind);
        break;
    case 0: {
        setFixedSize(590, 238);
        Label3->setText(SpanText("Дата и время последней записи в архиве:", span.end, 0));
        Label4->setText(SpanText("Дата и время самой старой записи в архиве:", span.begin, 0));
        const QDateTime end = FloorToHour(spanEnd);
        QDateTime start = end.addDays(-1);
        if (spanBegin.isValid() && FloorToHour(start) < FloorToHour(spanBegin)) start = FloorToHour(spanBegin);
        DateTimePicker3->setDate(start.date());
        SpinHour3->setValue(start.time().hour());
        DateTimePicker4->setDate(end.date());
        SpinHour4->setValue(end.time().hour());
        Panel2->show();
        RadioGroup2->SetItemIndex(perKind);
        break;
    }
    case 1: {
        setFixedSize(590, 208);
        Label5->setText(SpanText("Дата и время последней записи в архиве:", span.end, 1));
        Label6->setText(SpanText("Дата и время самой старой записи в архиве:", span.begin, 1));
        const QDate end = spanEnd.date();
        QDate start = end.addMonths(-1);
        if (spanBegin.isValid() && start < spanBegin.date()) start = spanBegin.date();
        DateTimePicker5->setDate(start);
        DateTimePicker6->setDate(end);
        Panel3->show();
        RadioGroup3->SetItemIndex(perKind);
        break;
    }
    default:
        break;
    }
}

void TFormShortDate::RadioGroup1Click(int item) {
    ArchivePeriodSettings.per_kind = item;
    const QDateTime now = FloorToMinute(qvr::ToQDateTime(ControllerNow));
    QDateTime start, end;
    const bool free = item == 2;
    if (item == 0) {
        end = now;
        start = now.addSecs(-3600);
    } else if (item == 1) {
        end = now;
        start = now.addDays(-1);
    } else {
        start = FloorToMinute(qvr::ToQDateTime(ArchivePeriodSettings.curr_dt_beg));
        end = FloorToMinute(qvr::ToQDateTime(ArchivePeriodSettings.curr_dt_end));
    }
    DateTimePicker1->setDate(start.date());
    SpinHour1->setValue(start.time().hour());
    SpinMin1->setValue(start.time().minute());
    DateTimePicker2->setDate(end.date());
    SpinHour2->setValue(end.time().hour());
    SpinMin2->setValue(end.time().minute());
    for (QWidget* w : std::initializer_list<QWidget*>{DateTimePicker1, SpinHour1, SpinMin1, DateTimePicker2, SpinHour2,
                                                      SpinMin2})
        w->setEnabled(free);
}

void TFormShortDate::RadioGroup2Click(int item) {
    ArchivePeriodSettings.per_kind = item;
    const bool free = item != 0;
    if (!free) {
        // The last 24 whole hours before the current one.
        const QDateTime end = FloorToHour(qvr::ToQDateTime(ControllerNow).addSecs(-3600));
        const QDateTime start = end.addSecs(-23 * 3600);
        DateTimePicker3->setDate(start.date());
        SpinHour3->setValue(start.time().hour());
        DateTimePicker4->setDate(end.date());
        SpinHour4->setValue(end.time().hour());
    }
    for (QWidget* w : std::initializer_list<QWidget*>{DateTimePicker3, SpinHour3, DateTimePicker4, SpinHour4})
        w->setEnabled(free);
}

void TFormShortDate::RadioGroup3Click(int item) {
    ArchivePeriodSettings.per_kind = item;
    const bool free = item != 0;
    if (!free) {
        const QDate end = qvr::ToQDateTime(ControllerNow).date().addDays(-1);
        DateTimePicker5->setDate(end.addMonths(-1));
        DateTimePicker6->setDate(end);
    }
    DateTimePicker5->setEnabled(free);
    DateTimePicker6->setEnabled(free);
}

bool TFormShortDate::CheckAndClamp(int unit, int width) {
    if (Cmp(End, Start, unit) < 0) {
        InputError("Дата и время конца опроса должны быть", "больше даты и времени начала опроса");
        return false;
    }
    const CtlDateTime begin = Leading(CtlDateTime(SpanRef().begin), width);
    const CtlDateTime last = Leading(CtlDateTime(SpanRef().end), width);
    if ((Cmp(Start, begin, unit) < 0 && Cmp(End, begin, unit) < 0) ||
        (Cmp(Start, last, unit) > 0 && Cmp(End, last, unit) > 0)) {
        InputError("В архиве нет данных за указанный период", "(см. период имеющихся в архиве данных)");
        return false;
    }
    if (Cmp(Start, begin, unit) < 0) Start = begin;
    if (Cmp(End, last, unit) > 0) End = last;
    return true;
}

void TFormShortDate::BitBtn1Click() {
    Start = qvr::ToCtl(DateTimePicker1->date(), SpinHour1->value(), SpinMin1->value(), 0);
    End = qvr::ToCtl(DateTimePicker2->date(), SpinHour2->value(), SpinMin2->value(), 0);
    if (!CheckAndClamp(kUnitFiveMinutes, 5)) return;
    if (RadioGroup1->ItemIndex() == 2) {
        ArchivePeriodSettings.curr_dt_beg = CtlToDateTime(Start);
        ArchivePeriodSettings.curr_dt_end = CtlToDateTime(End);
    }
    Accepted = 1;
    accept();
}

void TFormShortDate::BitBtn3Click() {
    Start = qvr::ToCtl(DateTimePicker3->date(), SpinHour3->value(), 0, 0);
    End = qvr::ToCtl(DateTimePicker4->date(), SpinHour4->value(), 0, 0);
    if (!CheckAndClamp(kUnitHour, 4)) return;
    Accepted = 1;
    accept();
}

void TFormShortDate::BitBtn5Click() {
    Start = qvr::ToCtl(DateTimePicker5->date(), 0, 0, 0);
    End = qvr::ToCtl(DateTimePicker6->date(), 0, 0, 0);
    if (!CheckAndClamp(kUnitDay, 3)) return;
    Accepted = 1;
    accept();
}

void TFormShortDate::ExitClick() { reject(); }
