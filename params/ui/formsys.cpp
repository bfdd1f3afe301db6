#include "params/ui/formsys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "common/question.h"
#include "common/stringi.h"
#include "common/ui/formwidgets.h"

using qvr::MakeLabel;
using qvr::SelectItem;

namespace {

constexpr int kWidth = 772;
constexpr int kHeight = 316;

QString HourText(int h) { return QStringLiteral("%1:00").arg(h); }

QComboBox* MakeList(QWidget* parent, const char* name, QRect geometry) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(geometry);
    c->setMaxVisibleItems(16);
    return c;
}

}  // namespace

TFormSys::TFormSys(QWidget* owner) : LinkFormBase(owner) {
    setWindowTitle(QStringLiteral("Системные параметры контроллера"));
    setFixedSize(kWidth, kHeight);

    Label1 = MakeLabel(this, "Label1", "Контрактный час", QRect(16, 14, 140, 22));
    ComboBox1 = MakeList(this, "ComboBox1", QRect(160, 12, 90, 24));
    for (int h = 0; h <= 23; ++h) ComboBox1->addItem(HourText(h));
    ComboBox1->setCurrentIndex(-1);

    Summer.summer = true;
    Winter.summer = false;
    BuildSeason(Summer, "Переход на летнее время", 8);
    BuildSeason(Winter, "Переход на зимнее время", 392);

    CheckBox1 = new QCheckBox(QStringLiteral("Наличие подключенного хроматографа"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(16, 222, 360, 22);
    CheckBox2 = new QCheckBox(QStringLiteral("Наличие подключенного влагомера"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setGeometry(400, 222, 360, 22);
}

void TFormSys::BuildSeason(SeasonControls& s, const char* title, int x) {
    const bool summer = s.summer;
    s.Group = new QGroupBox(QString::fromUtf8(title), this);
    s.Group->setObjectName(QString::fromLatin1(summer ? "GroupBoxSummer" : "GroupBoxWinter"));
    s.Group->setGeometry(x, 44, 372, 170);
    QWidget* g = s.Group;

    s.MonthLabel = MakeLabel(g, "MonthLabel", "Месяц", QRect(10, 24, 60, 22));
    s.Month = MakeList(g, "Month", QRect(74, 22, 160, 24));
    s.Month->addItem(QString::fromUtf8(MonthNames[0]));
    const int first = summer ? 2 : 9;
    const int last = summer ? 5 : 12;
    for (int m = first; m <= last; ++m) s.Month->addItem(QString::fromUtf8(MonthNames[m]));
    s.Month->setCurrentIndex(-1);

    s.DayMode = MakeList(g, "DayMode", QRect(10, 56, 224, 24));
    s.DayMode->addItem(QStringLiteral("День месяца (число)"));
    s.DayMode->addItem(QStringLiteral("День недели в месяце"));
    s.DayMode->setCurrentIndex(-1);

    s.DayLabel = MakeLabel(g, "DayLabel", "Число", QRect(10, 92, 60, 22));
    s.Day = MakeList(g, "Day", QRect(74, 90, 70, 24));

    s.Week = MakeList(g, "Week", QRect(10, 90, 150, 24));
    for (const char* w : WeekOrdinalNames) s.Week->addItem(QString::fromUtf8(w));
    s.Week->setCurrentIndex(-1);
    s.WeekDay = MakeList(g, "WeekDay", QRect(170, 90, 150, 24));
    for (const char* d : WeekDayNames) s.WeekDay->addItem(QString::fromUtf8(d));
    s.WeekDay->setCurrentIndex(-1);
    // The week lists share their place with the day list: until a rule chooses, only the
    // day list stands there.
    s.Week->hide();
    s.WeekDay->hide();

    s.HourLabel = MakeLabel(g, "HourLabel", "Час", QRect(10, 130, 60, 22));
    s.Hour = MakeList(g, "Hour", QRect(74, 128, 90, 24));
    for (int h = summer ? 0 : 1; h <= (summer ? 22 : 23); ++h) s.Hour->addItem(HourText(h));
    s.Hour->setCurrentIndex(-1);

    auto on = [this, &s](QComboBox* list, void (TFormSys::*handler)(SeasonControls&, int)) {
        connect(list, &QComboBox::currentIndexChanged, this, [this, &s, handler](int position) {
            if (!m_Filling && position >= 0) (this->*handler)(s, position);
        });
    };
    on(s.Month, &TFormSys::MonthChange);
    on(s.DayMode, &TFormSys::DayModeChange);
    on(s.Day, &TFormSys::DayChange);
    on(s.Week, &TFormSys::WeekChange);
    on(s.WeekDay, &TFormSys::WeekDayChange);
    on(s.Hour, &TFormSys::HourChange);
}

void TFormSys::FormShow() {
    ShowFrame(kWidth, kHeight);
    if (!Data) return;
    m_Filling = true;
    const SystemParamsRecord r = LoadSystemParams(Data);
    SelectItem(ComboBox1, r.contractHour);
    CheckBox1->setChecked(true);
    CheckBox1->setEnabled(false);
    CheckBox2->setChecked(r.moisturePresent != 0);

    Summer.month = r.summerMonth;
    Summer.rule = r.summerDay;
    Summer.hour = r.summerHour;
    SelectItem(Summer.Month, Summer.month == 0 ? 0 : Summer.month - 1);
    if (Summer.month != 0) LayOutDays(Summer);

    Winter.month = r.winterMonth;
    Winter.rule = r.winterDay;
    Winter.hour = r.winterHour;
    SelectItem(Winter.Month, Winter.month == 0 ? 0 : Winter.month - 8);
    if (Winter.month != 0) LayOutDays(Winter);
    m_Filling = false;
    BitBtn2->setFocus();
}

void TFormSys::LayOutDays(SeasonControls& s) {
    const bool filling = m_Filling;
    m_Filling = true;
    const bool week = dstrule::IsWeekMode(s.rule);
    SelectItem(s.DayMode, week ? 1 : 0);
    s.Day->setVisible(!week);
    s.DayLabel->setVisible(!week);
    s.Week->setVisible(week);
    s.WeekDay->setVisible(week);
    if (week) {
        SelectItem(s.Week, dstrule::WeekPosition(s.rule));
        SelectItem(s.WeekDay, dstrule::WeekDayPosition(s.rule));
    } else {
        const int n = s.summer ? dstrule::SummerDayCount(s.month) : dstrule::WinterDayCount(s.month);
        s.Day->clear();
        for (int d = 1; d <= n; ++d) s.Day->addItem(QString::number(d));
        SelectItem(s.Day, dstrule::DayOfMonthPosition(s.rule));
    }
    SelectItem(s.Hour, s.summer ? s.hour : s.hour - 1);
    m_Filling = filling;
}

void TFormSys::MonthChange(SeasonControls& s, int position) {
    if (position == 0) {
        s.month = 0;  // no switch; the day controls stay as they are
        return;
    }
    s.month = uint8_t(s.summer ? position + 1 : position + 8);
    LayOutDays(s);
}

void TFormSys::DayModeChange(SeasonControls& s, int position) {
    s.rule = dstrule::WithWeekMode(s.rule, position == 1);
    LayOutDays(s);
}

void TFormSys::DayChange(SeasonControls& s, int position) { s.rule = dstrule::WithDayOfMonth(s.rule, position); }

void TFormSys::WeekChange(SeasonControls& s, int position) { s.rule = dstrule::WithWeek(s.rule, position); }

void TFormSys::WeekDayChange(SeasonControls& s, int position) { s.rule = dstrule::WithWeekDay(s.rule, position); }

void TFormSys::HourChange(SeasonControls& s, int position) { s.hour = uint8_t(s.summer ? position : position + 1); }

void TFormSys::BitBtn1Click() {
    if (!Data) return;
    if (ComboBox1->currentIndex() < 0) {
        g_QuesKind = qvr::kQuesInputError;
        qvr::ShowQues("Введены не все параметры", "");
        ComboBox1->setFocus();
        return;
    }
    SystemParamsRecord r = LoadSystemParams(Data);
    r.contractHour = uint8_t(ComboBox1->currentIndex());
    r.chromPresent = CheckBox1->isChecked() ? 1 : 0;
    r.moisturePresent = CheckBox2->isChecked() ? 1 : 0;
    r.summerMonth = Summer.month;
    r.summerDay = Summer.rule;
    r.summerHour = Summer.hour;
    r.winterMonth = Winter.month;
    r.winterDay = Winter.rule;
    r.winterHour = Winter.hour;
    StoreSystemParams(r, Data);  // field 9 goes back as it was
    Finish();
}
