#include "params/ui/formdt.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <cstdio>

#include "common/question.h"
#include "common/stringi.h"
#include "link/tabledir.h"
#include "params/clock.h"

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

QString DateText(const CtlDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%02d", t.day, t.month, t.year);
    return QString::fromLatin1(buf);
}

QString ClockText(const CtlDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return QString::fromLatin1(buf);
}

QString WeekDayText(int weekday) {
    if (weekday < 1 || weekday > kWeekDayNamesCount) return QStringLiteral("?");
    return QString::fromUtf8(WeekDayNames[weekday - 1]);
}

QString SeasonText(bool winter) { return QString::fromUtf8(TimeSeasonNames[winter ? 1 : 0]); }

void Show(QLabel* label, const QString& text, bool differs) {
    label->setText(text);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, differs ? Qt::red : Qt::black);
    label->setPalette(p);
}

}  // namespace

TFormDt::TFormDt(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Текущие дата и время"));
    setFixedSize(540, 196);
    GroupBox1 = new QGroupBox(QStringLiteral("В контроллере"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(12, 8, 250, 130);
    GroupBox2 = new QGroupBox(QStringLiteral("В ЭВМ"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(278, 8, 250, 130);
    CtlDate = MakeLabel(GroupBox1, "CtlDate", QRect(16, 24, 220, 22));
    CtlClock = MakeLabel(GroupBox1, "CtlClock", QRect(16, 48, 220, 22));
    CtlWeekDay = MakeLabel(GroupBox1, "CtlWeekDay", QRect(16, 72, 220, 22));
    CtlSeason = MakeLabel(GroupBox1, "CtlSeason", QRect(16, 96, 220, 22));
    PcDate = MakeLabel(GroupBox2, "PcDate", QRect(16, 24, 220, 22));
    PcClock = MakeLabel(GroupBox2, "PcClock", QRect(16, 48, 220, 22));
    PcWeekDay = MakeLabel(GroupBox2, "PcWeekDay", QRect(16, 72, 220, 22));
    PcSeason = MakeLabel(GroupBox2, "PcSeason", QRect(16, 96, 220, 22));
    BitBtn1 = new QPushButton(QStringLiteral("Скорректировать в устройстве"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(60, 150, 230, 30);
    BitBtn2 = new QPushButton(QStringLiteral("Выход"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(330, 150, 140, 30);
    for (QPushButton* b : {BitBtn1, BitBtn2}) b->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormDt::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormDt::BitBtn2Click);
}

void TFormDt::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormDt::FormShow() {
    Accepted = 0;
    CorrectionSeconds = 0;
    const CtlDateTime ctl = LoadCtlDateTime(CtlTime);
    CtlDateTime pc;
    DateTimeToCtl(PcTime, pc);
    const int pcWeekDay = WeekDayOf(DateOf(pc));
    const uint8_t* sys = TablePtr(6);
    const bool pcWinter = WinterTimeFlag(pc, DstSwitchRule::FromBytes(sys), DstSwitchRule::FromBytes(sys + 3)) != 0;
    const bool ctlWinter = CtlTime[qvr::kClockSeason] != 0;
    const int ctlWeekDay = CtlTime[qvr::kClockWeekDay];

    Show(PcDate, DateText(pc), false);
    Show(PcClock, ClockText(pc), false);
    Show(PcWeekDay, WeekDayText(pcWeekDay), false);
    Show(PcSeason, SeasonText(pcWinter), false);
    const bool dateDiffers = CompareCtlDateTimeByUnit(ctl, pc, kUnitDay) != 0;
    const bool clockDiffers = ctl.hour != pc.hour || ctl.minute != pc.minute || ctl.second != pc.second;
    Show(CtlDate, DateText(ctl), dateDiffers);
    Show(CtlClock, ClockText(ctl), clockDiffers);
    Show(CtlWeekDay, WeekDayText(ctlWeekDay), ctlWeekDay != pcWeekDay);
    Show(CtlSeason, SeasonText(ctlWinter), ctlWinter != pcWinter);
    // Equal to the second: nothing to correct.
    BitBtn1->setEnabled(CompareCtlDateTime(ctl, pc) != 0);
}

void TFormDt::BitBtn1Click() {
    hide();
    g_QuesKind = qvr::kQuesQuestion;
    qvr::ShowQues("Вы уверены, что часы ЭВМ показывают правильное время?", "");
    if (!g_QuesAnswer) {
        reject();
        return;
    }
    CtlDateTime pc;
    DateTimeToCtl(PcTime, pc);
    CorrectionSeconds = qvr::ClockCorrectionSeconds(LoadCtlDateTime(CtlTime), pc);
    Accepted = 1;
    accept();
}

void TFormDt::BitBtn2Click() { reject(); }
