// The system-parameter, clock and hour-mean period forms, offscreen: what they show from
// the table bytes, the rule bytes that list choices make, the refusals, and the correction
// the clock form hands back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <cstring>
#include <string>
#include <vector>

#include "common/dtfun.h"
#include "common/question.h"
#include "common/stringi.h"
#include "link/tabledir.h"
#include "params/ui/formdistr.h"
#include "params/ui/formdt.h"
#include "params/ui/formsys.h"

namespace {

std::vector<uint8_t> Bytes(const uint8_t* p, size_t n) { return std::vector<uint8_t>(p, p + n); }

std::string LastBox() {
    auto shown = qvr::ShownQues();
    if (shown.empty()) return "";
    const auto& b = shown.back();
    return std::to_string(b.kind) + "|" + b.text1 + "|" + b.text2;
}

QStringList Items(const QComboBox* c) {
    QStringList l;
    for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
    return l;
}

class SysForms : public ::testing::Test {
protected:
    void SetUp() override {
        qvr::InitStringTable();
        qvr::ClearQuesRecord();
        std::memcpy(savedSys_, TablePtr(6), 10);
    }
    void TearDown() override {
        qvr::ClearQuesRecord();
        std::memcpy(TablePtr(6), savedSys_, 10);
    }
    uint8_t savedSys_[10];
};

}  // namespace

// ---------------------------------------------------------------- system parameters

TEST_F(SysForms, SysShowsDefaultRecord) {
    uint8_t t[10] = {3, 201, 3, 10, 201, 4, 9, 1, 0, 0x5A};
    TFormSys f;
    f.Mode = 0;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Системные параметры контроллера"));
    EXPECT_EQ(f.size(), QSize(772, 316));
    EXPECT_TRUE(f.BitBtn3->isVisible());   // "Принять" in file mode
    EXPECT_FALSE(f.BitBtn1->isVisible());
    EXPECT_EQ(QApplication::focusWidget() == f.BitBtn2 || f.focusWidget() == f.BitBtn2, true);
    EXPECT_EQ(f.ComboBox1->count(), 24);
    EXPECT_EQ(f.ComboBox1->itemText(0), QStringLiteral("0:00"));
    EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("9:00"));
    EXPECT_TRUE(f.CheckBox1->isChecked());
    EXPECT_FALSE(f.CheckBox1->isEnabled());
    EXPECT_FALSE(f.CheckBox2->isChecked());
    EXPECT_EQ(Items(f.Summer.Month), (QStringList{"Переход запрещен", "Февраль", "Март", "Апрель", "Май"}));
    EXPECT_EQ(Items(f.Winter.Month), (QStringList{"Переход запрещен", "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"}));
    EXPECT_EQ(f.Summer.Month->currentText(), QStringLiteral("Март"));
    EXPECT_EQ(f.Winter.Month->currentText(), QStringLiteral("Октябрь"));
    // Rule 201: week mode, the last week, Sunday; the day-of-month list and its label hidden.
    for (auto* s : {&f.Summer, &f.Winter}) {
        EXPECT_EQ(s->DayMode->currentText(), QStringLiteral("День недели в месяце"));
        EXPECT_EQ(s->Week->currentText(), QStringLiteral("Последний"));
        EXPECT_EQ(s->WeekDay->currentText(), QStringLiteral("Воскресенье"));
        EXPECT_TRUE(s->Week->isVisible());
        EXPECT_FALSE(s->Day->isVisible());
        EXPECT_FALSE(s->DayLabel->isVisible());
    }
    EXPECT_EQ(f.Summer.Hour->count(), 23);
    EXPECT_EQ(f.Summer.Hour->currentText(), QStringLiteral("3:00"));
    EXPECT_EQ(f.Winter.Hour->count(), 23);
    EXPECT_EQ(f.Winter.Hour->itemText(0), QStringLiteral("1:00"));
    EXPECT_EQ(f.Winter.Hour->currentText(), QStringLiteral("4:00"));
    // Accept without change writes the same bytes back, field 9 untouched, chromatograph 1.
    f.BitBtn3->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(Bytes(t, 10), (std::vector<uint8_t>{3, 201, 3, 10, 201, 4, 9, 1, 0, 0x5A}));
}

TEST_F(SysForms, SysWeekAndDayChoicesMakeRuleBytes) {
    uint8_t t[10] = {3, 201, 3, 10, 201, 4, 9, 0, 1, 0};
    TFormSys f;
    f.Mode = 1;
    f.Data = t;
    f.show();
    EXPECT_TRUE(f.BitBtn1->isVisible());  // "Записать в устройство"
    EXPECT_FALSE(f.BitBtn3->isVisible());
    EXPECT_EQ(f.BitBtn1->text(), QStringLiteral("Записать в устройство"));
    // Summer: "Предпоследний", "Понедельник" -> 0x80 | 0x40 | 2 | 2 x 8.
    f.Summer.Week->setCurrentIndex(3);
    f.Summer.WeekDay->setCurrentIndex(1);
    // Winter: day of the month, the 25th, in November (30 days), hour 2:00.
    f.Winter.DayMode->setCurrentIndex(0);
    EXPECT_TRUE(f.Winter.Day->isVisible());
    EXPECT_FALSE(f.Winter.Week->isVisible());
    EXPECT_FALSE(f.Winter.WeekDay->isVisible());
    EXPECT_EQ(f.Winter.Day->count(), 31);  // October
    f.Winter.Month->setCurrentIndex(3);    // November
    EXPECT_EQ(f.Winter.Day->count(), 30);
    f.Winter.Day->setCurrentIndex(24);
    f.Winter.Hour->setCurrentIndex(1);
    f.Summer.Hour->setCurrentIndex(0);
    f.ComboBox1->setCurrentIndex(23);
    f.CheckBox2->setChecked(false);
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 1);
    // Winter rule: bit 7 cleared from 0xC9 leaves 0x49, the day replaces bits 0..6: 25.
    EXPECT_EQ(Bytes(t, 10), (std::vector<uint8_t>{3, 0xD2, 0, 11, 25, 2, 23, 1, 0, 0}));
}

TEST_F(SysForms, SysDayRuleBeyondMonthShowsNothingAndIsKept) {
    // Summer in April on the 31st: the list has 30 days, none is chosen.
    uint8_t t[10] = {4, 31, 2, 9, 0x80 | 0x08 | 1, 3, 6, 1, 1, 0};
    TFormSys f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.Summer.DayMode->currentIndex(), 0);
    EXPECT_EQ(f.Summer.Day->count(), 30);
    EXPECT_EQ(f.Summer.Day->currentIndex(), -1);
    // Winter: first Sunday of September.
    EXPECT_EQ(f.Winter.Week->currentText(), QStringLiteral("Первый"));
    EXPECT_EQ(f.Winter.WeekDay->currentText(), QStringLiteral("Воскресенье"));
    f.BitBtn3->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(t[1], 31);
    // Choosing the summer month May refills 31 days and picks up the 31st.
    f.Summer.Month->setCurrentIndex(4);
    EXPECT_EQ(f.Summer.Day->count(), 31);
    EXPECT_EQ(f.Summer.Day->currentIndex(), 30);
}

TEST_F(SysForms, SysNoSwitchMonthKeepsRuleAndHour) {
    uint8_t t[10] = {3, 201, 3, 10, 201, 4, 9, 1, 1, 0};
    TFormSys f;
    f.Data = t;
    f.show();
    f.Summer.Month->setCurrentIndex(0);  // "Переход запрещен"
    EXPECT_TRUE(f.Summer.Week->isVisible());  // the day controls stay as they were
    f.BitBtn3->click();
    EXPECT_EQ(Bytes(t, 6), (std::vector<uint8_t>{0, 201, 3, 10, 201, 4}));
    // Shown with no switch: month list at its first entry.
    TFormSys g;
    g.Data = t;
    g.show();
    EXPECT_EQ(g.Summer.Month->currentIndex(), 0);
}

TEST_F(SysForms, SysRefusesMissingContractHour) {
    uint8_t t[10] = {3, 201, 3, 10, 201, 4, 24, 1, 1, 0};  // 24 is not a contract hour
    const std::vector<uint8_t> before = Bytes(t, 10);
    TFormSys f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.ComboBox1->currentIndex(), -1);
    f.Summer.Hour->setCurrentIndex(5);
    f.BitBtn3->click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(LastBox(), "2|Введены не все параметры|");
    EXPECT_EQ(Bytes(t, 10), before);
    f.BitBtn2->click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(Bytes(t, 10), before);
}

// ---------------------------------------------------------------- hour-mean period

TEST_F(SysForms, DistrShowsAndWritesPeriod) {
    uint8_t t[2] = {6, 9};
    TFormDistr f;
    f.Mode = 1;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.size(), QSize(400, 148));
    EXPECT_EQ(Items(f.ComboBox1), (QStringList{" 1", " 2", " 3", " 4", " 6", " 12", " 24"}));
    EXPECT_EQ(f.Label1->text(), QStringLiteral("ч"));
    EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral(" 6"));
    EXPECT_TRUE(f.BitBtn1->isVisible());
    f.ComboBox1->setCurrentIndex(6);
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(Bytes(t, 2), (std::vector<uint8_t>{24, 0}));
}

TEST_F(SysForms, DistrRefusesUntilAPeriodIsChosen) {
    uint8_t t[2] = {5, 0};
    TFormDistr f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.ComboBox1->currentIndex(), -1);
    f.BitBtn3->click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(LastBox(), "2|Не введен период|");
    EXPECT_EQ(t[0], 5);
    f.ComboBox1->setCurrentIndex(0);
    f.BitBtn3->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(Bytes(t, 2), (std::vector<uint8_t>{1, 0}));
}

// ---------------------------------------------------------------- clock

namespace {

// Table 2 bytes of a controller clock; weekday and season as given.
void SetCtl(TFormDt& f, int y, int mo, int d, int h, int mi, int s, int weekday, int season) {
    const uint8_t b[8] = {uint8_t(y), uint8_t(mo), uint8_t(d), uint8_t(h), uint8_t(mi), uint8_t(s), uint8_t(weekday),
                          uint8_t(season)};
    std::memcpy(f.CtlTime, b, 8);
}

bool Red(const QLabel* l) { return l->palette().color(QPalette::WindowText) == QColor(Qt::red); }

}  // namespace

TEST_F(SysForms, DtShowsBothClocksAndMarksDifferences) {
    // Summer and winter rules of the last Sundays of March and October.
    const uint8_t sys[10] = {3, 0xC9, 3, 10, 0xC9, 4, 9, 1, 1, 0};
    std::memcpy(TablePtr(6), sys, 10);
    TFormDt f;
    SetCtl(f, 26, 12, 7, 10, 59, 50, 1, 0);       // wrong weekday (Sunday) and season (summer)
    f.PcTime = EncodeDateTime(2026, 12, 7, 11, 0, 20);  // Monday, winter time
    f.Accepted = 9;
    f.CorrectionSeconds = 77;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Текущие дата и время"));
    EXPECT_EQ(f.size(), QSize(540, 196));
    EXPECT_EQ(f.GroupBox1->title(), QStringLiteral("В контроллере"));
    EXPECT_EQ(f.GroupBox2->title(), QStringLiteral("В ЭВМ"));
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(f.CorrectionSeconds, 0);
    EXPECT_EQ(f.CtlDate->text(), QStringLiteral("07.12.26"));
    EXPECT_EQ(f.CtlClock->text(), QStringLiteral("10:59:50"));
    EXPECT_EQ(f.CtlWeekDay->text(), QStringLiteral("Воскресенье"));
    EXPECT_EQ(f.CtlSeason->text(), QStringLiteral("Летнее"));
    EXPECT_EQ(f.PcDate->text(), QStringLiteral("07.12.26"));
    EXPECT_EQ(f.PcClock->text(), QStringLiteral("11:00:20"));
    EXPECT_EQ(f.PcWeekDay->text(), QStringLiteral("Понедельник"));
    EXPECT_EQ(f.PcSeason->text(), QStringLiteral("Зимнее"));
    EXPECT_FALSE(Red(f.CtlDate));
    EXPECT_TRUE(Red(f.CtlClock));
    EXPECT_TRUE(Red(f.CtlWeekDay));
    EXPECT_TRUE(Red(f.CtlSeason));
    EXPECT_FALSE(Red(f.PcClock));
    EXPECT_TRUE(f.BitBtn1->isEnabled());
    EXPECT_EQ(f.BitBtn1->text(), QStringLiteral("Скорректировать в устройстве"));
    EXPECT_EQ(f.BitBtn2->text(), QStringLiteral("Выход"));

    // Confirmed: +10 s (to 11:00:00), not +30.
    qvr::QueueQuesAnswers({1});
    f.BitBtn1->click();
    EXPECT_EQ(LastBox(), "3|Вы уверены, что часы ЭВМ показывают правильное время?|");
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(f.CorrectionSeconds, 10);
    EXPECT_FALSE(f.isVisible());
}

TEST_F(SysForms, DtEqualClocksOfferNoCorrection) {
    const uint8_t sys[10] = {3, 0xC9, 3, 10, 0xC9, 4, 9, 1, 1, 0};
    std::memcpy(TablePtr(6), sys, 10);
    TFormDt f;
    SetCtl(f, 24, 7, 1, 12, 0, 0, 2, 0);  // Monday 01.07.2024, summer
    f.PcTime = EncodeDateTime(2024, 7, 1, 12, 0, 0, 400);
    f.show();
    EXPECT_FALSE(f.BitBtn1->isEnabled());
    for (QLabel* l : {f.CtlDate, f.CtlClock, f.CtlWeekDay, f.CtlSeason}) EXPECT_FALSE(Red(l)) << l->objectName().toStdString();
    EXPECT_EQ(f.CtlSeason->text(), QStringLiteral("Летнее"));
    EXPECT_EQ(f.PcSeason->text(), QStringLiteral("Летнее"));
}

TEST_F(SysForms, DtDeclinedQuestionClosesWithoutCorrection) {
    TFormDt f;
    SetCtl(f, 26, 12, 7, 10, 15, 0, 2, 0x80);
    f.PcTime = EncodeDateTime(2026, 12, 7, 10, 17, 30);
    f.show();
    qvr::QueueQuesAnswers({0});
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(f.CorrectionSeconds, 0);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.result(), QDialog::Rejected);
    // Shown again and confirmed: +150 s within the hour. A weekday byte the controller
    // should never hold shows "?".
    SetCtl(f, 26, 12, 7, 10, 15, 0, 9, 0x80);
    f.show();
    EXPECT_EQ(f.CtlWeekDay->text(), QStringLiteral("?"));
    qvr::QueueQuesAnswers({1});
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(f.CorrectionSeconds, 150);
}
