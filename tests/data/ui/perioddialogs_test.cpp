// The period and index dialogs, offscreen: which period each ready-made choice gives (from
// the controller's clock or the PC's), the checks on accept with their messages, the
// remembered choices, and the results the readers take.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <cstring>

#include "app/rd_wr_ini.h"
#include "common/question.h"
#include "data/ui/formindex.h"
#include "data/ui/formperiod.h"
#include "data/ui/formshortdate.h"
#include "data/ui/periodutil.h"
#include "link/tabledir.h"

namespace {

void SetControllerClock(const CtlDateTime& t) {
    uint8_t* p = TablePtr(2);
    std::memset(p, 0, TableSize(2));
    StoreCtl(t, p);
}

bool Same(const CtlDateTime& a, const CtlDateTime& b) { return std::memcmp(&a, &b, 6) == 0; }
std::string Text(const CtlDateTime& t) {
    char b[40];
    std::snprintf(b, sizeof b, "%02d.%02d.%02d %02d:%02d:%02d", t.day, t.month, t.year, t.hour, t.minute, t.second);
    return b;
}
#define EXPECT_CTL(a, b) EXPECT_TRUE(Same(a, b)) << Text(a) << " vs " << Text(b)

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = ArchivePeriodSettings;
        std::memcpy(table2, TablePtr(2), sizeof table2);
        qvr::ClearQuesRecord();
    }
    void TearDown() override {
        ArchivePeriodSettings = saved;
        std::memcpy(TablePtr(2), table2, sizeof table2);
        qvr::SetPcClock(nullptr);
        qvr::ClearQuesRecord();
    }
    // The lines of the only box shown since the last call.
    std::pair<std::string, std::string> OnlyBox() {
        auto shown = qvr::ShownQues();
        qvr::ClearQuesRecord();
        if (shown.size() != 1) return {"<" + std::to_string(shown.size()) + " boxes>", ""};
        EXPECT_EQ(shown[0].kind, qvr::kQuesInputError);
        return {shown[0].text1, shown[0].text2};
    }
    ArchivePeriodRecord saved{};
    uint8_t table2[8];
};

ArchiveSpan Span(CtlMinuteTime b, CtlMinuteTime e) { return ArchiveSpan{b, e}; }

}  // namespace

// ------------------------------------------------------------------ TFormShortDate

TEST_F(DialogTest, ShortDateHourlyRememberedChoiceAndLastDay) {
    SetControllerClock({26, 3, 10, 0, 40, 12});
    ArchiveSpan span = Span({26, 1, 5, 7, 0}, {26, 3, 10, 0, 0});
    ArchivePeriodSettings.per_kind = 2;  // beyond the two items: the last one
    TFormShortDate f;
    EXPECT_EQ(f.Accepted, 0);
    f.Span = &span;
    f.Kind = 0;
    f.show();
    EXPECT_EQ(f.width(), 590);
    EXPECT_EQ(f.height(), 238);
    EXPECT_TRUE(f.Panel2->isVisible());
    EXPECT_FALSE(f.Panel1->isVisible());
    EXPECT_FALSE(f.Panel3->isVisible());
    EXPECT_EQ(f.RadioGroup2->ItemIndex(), 1);
    EXPECT_EQ(ArchivePeriodSettings.per_kind, 1);
    EXPECT_EQ(f.Label3->text(), QStringLiteral("Дата и время последней записи в архиве:  10.03.26 00ч"));
    EXPECT_EQ(f.Label4->text(), QStringLiteral("Дата и время самой старой записи в архиве:  05.01.26 07ч"));
    // Free choice: the last day of the span, inputs enabled.
    EXPECT_TRUE(f.DateTimePicker3->isEnabled());
    EXPECT_EQ(f.DateTimePicker3->date(), QDate(2026, 3, 9));
    EXPECT_EQ(f.SpinHour3->value(), 0);
    EXPECT_EQ(f.DateTimePicker4->date(), QDate(2026, 3, 10));
    EXPECT_EQ(f.SpinHour4->value(), 0);

    // "За последние сутки" at 00:40 of 10.03: 00:00 to 23:00 of 09.03, inputs disabled.
    f.RadioGroup2->Button(0)->click();
    EXPECT_EQ(ArchivePeriodSettings.per_kind, 0);
    EXPECT_FALSE(f.DateTimePicker3->isEnabled());
    EXPECT_FALSE(f.SpinHour4->isEnabled());
    f.BitBtn3->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_CTL(f.Start, CtlDateTime(26, 3, 9, 0, 0, 0));
    EXPECT_CTL(f.End, CtlDateTime(26, 3, 9, 23, 0, 0));
}

TEST_F(DialogTest, ShortDateHourlyStartNotBeforeSpanAndClamping) {
    SetControllerClock({26, 3, 10, 12, 0, 0});
    ArchiveSpan span = Span({26, 3, 9, 20, 0}, {26, 3, 10, 11, 0});
    ArchivePeriodSettings.per_kind = 1;
    TFormShortDate f;
    f.Span = &span;
    f.Kind = 0;
    f.show();
    // One day back would be 09.03 11h, before the span begin: the begin is offered.
    EXPECT_EQ(f.DateTimePicker3->date(), QDate(2026, 3, 9));
    EXPECT_EQ(f.SpinHour3->value(), 20);

    // End before start, to the hour.
    f.DateTimePicker3->setDate(QDate(2026, 3, 10));
    f.SpinHour3->setValue(5);
    f.SpinHour4->setValue(4);
    f.BitBtn3->click();
    EXPECT_EQ(OnlyBox(), std::make_pair(std::string("Дата и время конца опроса должны быть"),
                                        std::string("больше даты и времени начала опроса")));
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_TRUE(f.isVisible()) << "the dialog stays open";
    // Both after the span end.
    f.SpinHour3->setValue(12);
    f.SpinHour4->setValue(13);
    f.BitBtn3->click();
    EXPECT_EQ(OnlyBox(), std::make_pair(std::string("В архиве нет данных за указанный период"),
                                        std::string("(см. период имеющихся в архиве данных)")));
    // Start inside, end past the span end: the end moves back to it; minute stays 0.
    f.SpinHour3->setValue(10);
    f.SpinHour4->setValue(23);
    f.BitBtn3->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_CTL(f.Start, CtlDateTime(26, 3, 10, 10, 0, 0));
    EXPECT_CTL(f.End, CtlDateTime(26, 3, 10, 11, 0, 0));
}

TEST_F(DialogTest, ShortDateFiveMinuteChoicesFollowControllerClock) {
    SetControllerClock({26, 3, 10, 0, 20, 40});
    qvr::SetPcClock([] { return EncodeDateTime(2030, 6, 1, 15, 0, 0); });  // must not matter
    ArchiveSpan span = Span({26, 3, 1, 0, 0}, {26, 3, 10, 0, 15});
    ArchivePeriodSettings.per_kind = 0;
    TFormShortDate f;
    f.Span = &span;
    f.Kind = 3;
    f.show();
    EXPECT_EQ(f.height(), 290);
    EXPECT_TRUE(f.Panel1->isVisible());
    EXPECT_EQ(f.Label1->text(), QStringLiteral("Дата и время последней записи в архиве:  10.03.26 00:15"));
    // Last hour at 00:20: 23:20 of the previous day to 00:20.
    EXPECT_EQ(f.DateTimePicker1->date(), QDate(2026, 3, 9));
    EXPECT_EQ(f.SpinHour1->value(), 23);
    EXPECT_EQ(f.SpinMin1->value(), 20);
    EXPECT_EQ(f.DateTimePicker2->date(), QDate(2026, 3, 10));
    EXPECT_EQ(f.SpinHour2->value(), 0);
    EXPECT_EQ(f.SpinMin2->value(), 20);
    EXPECT_FALSE(f.SpinMin1->isEnabled());
    // Last day.
    f.RadioGroup1->Button(1)->click();
    EXPECT_EQ(ArchivePeriodSettings.per_kind, 1);
    EXPECT_EQ(f.DateTimePicker1->date(), QDate(2026, 3, 9));
    EXPECT_EQ(f.SpinHour1->value(), 0);
    EXPECT_EQ(f.SpinMin1->value(), 20);
    // Accepting moves the end back to the span end (00:15); seconds are 0.
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_CTL(f.Start, CtlDateTime(26, 3, 9, 0, 20, 0));
    EXPECT_CTL(f.End, CtlDateTime(26, 3, 10, 0, 15, 0));
}

TEST_F(DialogTest, ShortDateFiveMinuteFreePeriodStoredAndStartMovedToSpan) {
    SetControllerClock({26, 3, 10, 12, 0, 0});
    ArchiveSpan span = Span({26, 3, 5, 8, 35}, {26, 3, 10, 11, 55});
    ArchivePeriodSettings.per_kind = 2;
    ArchivePeriodSettings.curr_dt_beg = EncodeDateTime(2026, 3, 4, 10, 5, 33);
    ArchivePeriodSettings.curr_dt_end = EncodeDateTime(2026, 3, 6, 9, 45, 0);
    TFormShortDate f;
    f.Span = &span;
    f.Kind = 3;
    f.show();
    EXPECT_TRUE(f.SpinMin1->isEnabled());
    EXPECT_EQ(f.DateTimePicker1->date(), QDate(2026, 3, 4));
    EXPECT_EQ(f.SpinHour1->value(), 10);
    EXPECT_EQ(f.SpinMin1->value(), 5);
    // Both before the span begin: refused.
    f.DateTimePicker2->setDate(QDate(2026, 3, 5));
    f.SpinHour2->setValue(8);
    f.SpinMin2->setValue(30);
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox().first, "В архиве нет данных за указанный период");
    EXPECT_EQ(f.Accepted, 0);
    // End inside: accepted with the start moved to the span begin, and remembered.
    f.SpinMin2->setValue(40);
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_CTL(f.Start, CtlDateTime(26, 3, 5, 8, 35, 0));
    EXPECT_CTL(f.End, CtlDateTime(26, 3, 5, 8, 40, 0));
    EXPECT_EQ(ArchivePeriodSettings.curr_dt_beg, EncodeDateTime(2026, 3, 5, 8, 35, 0));
    EXPECT_EQ(ArchivePeriodSettings.curr_dt_end, EncodeDateTime(2026, 3, 5, 8, 40, 0));
}

TEST_F(DialogTest, ShortDateDailyLastMonthAndExit) {
    SetControllerClock({26, 3, 31, 9, 0, 0});
    ArchiveSpan span = Span({25, 1, 1, 0, 0}, {26, 3, 30, 0, 0});
    ArchivePeriodSettings.per_kind = 0;
    TFormShortDate f;
    f.Span = &span;
    f.Kind = 1;
    f.show();
    EXPECT_EQ(f.height(), 208);
    EXPECT_EQ(f.Label5->text(), QStringLiteral("Дата и время последней записи в архиве:  30.03.26"));
    // The day before 31.03 is 30.03; a month earlier there is no 30.02: the month's last day.
    EXPECT_EQ(f.DateTimePicker6->date(), QDate(2026, 3, 30));
    EXPECT_EQ(f.DateTimePicker5->date(), QDate(2026, 2, 28));
    EXPECT_FALSE(f.DateTimePicker5->isEnabled());
    f.BitBtn5->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_CTL(f.Start, CtlDateTime(26, 2, 28, 0, 0, 0));
    EXPECT_CTL(f.End, CtlDateTime(26, 3, 30, 0, 0, 0));

    // Free choice set up from the span: one month back, not before the begin. Exit
    // leaves Accepted clear.
    ArchiveSpan shortSpan = Span({26, 3, 20, 0, 0}, {26, 3, 30, 0, 0});
    ArchivePeriodSettings.per_kind = 1;
    TFormShortDate g;
    g.Span = &shortSpan;
    g.Kind = 1;
    g.show();
    EXPECT_TRUE(g.DateTimePicker5->isEnabled());
    EXPECT_EQ(g.DateTimePicker5->date(), QDate(2026, 3, 20));
    g.BitBtn6->click();
    EXPECT_EQ(g.Accepted, 0);
    EXPECT_FALSE(g.isVisible());
}

// ------------------------------------------------------------------ TFormIndex

TEST_F(DialogTest, IndexChoicesFromBounds) {
    ArchivePeriodSettings.ind_kind = 1;
    TFormIndex f;
    EXPECT_EQ(f.Accepted, 0);
    f.Log = 0;
    f.Oldest = 1;
    f.Newest = 60;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Индексы архивных записей диагностики"));
    EXPECT_EQ(f.width(), 634);
    EXPECT_EQ(f.height(), 260);
    // Fewer than 100 records: everything.
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("1"));
    EXPECT_EQ(f.Edit2->text(), QStringLiteral("60"));
    EXPECT_FALSE(f.Edit1->isEnabled());
    f.RadioGroup1->Button(2)->click();  // last 50
    EXPECT_EQ(ArchivePeriodSettings.ind_kind, 2);
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("11"));
    EXPECT_EQ(f.Edit2->text(), QStringLiteral("50"));
    f.RadioGroup1->Button(3)->click();
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("51"));
    EXPECT_EQ(f.Edit2->text(), QStringLiteral("10"));
    f.RadioGroup1->Button(0)->click();
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("1"));
    EXPECT_EQ(f.Edit2->text(), QStringLiteral("60"));
    f.RadioGroup1->Button(4)->click();
    EXPECT_TRUE(f.Edit1->isEnabled());
    EXPECT_TRUE(f.Edit1->text().isEmpty());
    f.RadioGroup1->Button(3)->click();
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(f.First, 51u);
    EXPECT_EQ(f.Count, 10u);

    TFormIndex g;
    g.Log = 1;
    g.Oldest = 4000000000u;  // indexes are unsigned 32-bit
    g.Newest = 4000000500u;
    g.show();
    EXPECT_EQ(g.windowTitle(), QStringLiteral("Индексы архивных записей о вмешательствах"));
    EXPECT_EQ(g.Edit1->text(), QStringLiteral("4000000491"));
    TFormIndex h;
    h.Log = 5;
    h.show();
    EXPECT_EQ(h.windowTitle(), QStringLiteral("Индексы архивных записей оценок качества калибровки хроматографа"));
}

TEST_F(DialogTest, IndexAcceptChecksInOrderAndCutsCount) {
    ArchivePeriodSettings.ind_kind = 9;  // beyond: the free range
    TFormIndex f;
    f.Oldest = 100;
    f.Newest = 199;
    f.show();
    EXPECT_EQ(ArchivePeriodSettings.ind_kind, 4);
    EXPECT_TRUE(f.Edit1->isEnabled());
    const std::string badStart = "Нелогичное значение индекса записи начала чтения";
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox().first, "Не введен индекс записи начала чтения");
    f.Edit1->setText(QStringLiteral("99"));
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox(), std::make_pair(badStart, std::string("(см. значения индексов начала и конца архива).")));
    f.Edit1->setText(QStringLiteral("200"));
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox().first, badStart);
    f.Edit1->setText(QStringLiteral("1%5"));  // the key filter lets '%' through
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox().first, badStart);
    f.Edit1->setText(QStringLiteral("190"));
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox().first, "Не введено количество записей для чтения");
    f.Edit2->setText(QStringLiteral("0"));
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox().first, "Нелогичное значение количества записей для чтения");
    f.Edit2->setText(QStringLiteral("5'"));
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox().first, "Нелогичное значение количества записей для чтения");
    EXPECT_EQ(f.Accepted, 0);
    // 190..199 leaves 10 records: a larger count is cut, even one past 64 bits.
    f.Edit2->setText(QStringLiteral("99999999999999999999999"));
    f.BitBtn1->click();
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(f.First, 190u);
    EXPECT_EQ(f.Count, 10u);
}

// ------------------------------------------------------------------ TFormPeriod

TEST_F(DialogTest, PeriodChoicesFollowPcClock) {
    SetControllerClock({20, 1, 1, 5, 5, 5});  // must not matter
    qvr::SetPcClock([] { return EncodeDateTime(2026, 12, 7, 0, 10, 5); });
    ArchivePeriodSettings.per_kind = 0;
    TFormPeriod f;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Ввод периода времени запрашиваемых данных"));
    f.show();
    EXPECT_EQ(f.width(), 614);
    EXPECT_EQ(f.height(), 288);
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_CTL(f.Start, CtlDateTime(26, 12, 6, 23, 10, 5));
    EXPECT_CTL(f.End, CtlDateTime(26, 12, 7, 0, 10, 5));
    // Shown again: Accepted is cleared first; last day.
    ArchivePeriodSettings.per_kind = 1;
    f.hide();
    f.show();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_FALSE(f.ComboBox1->isEnabled());
    f.BitBtn1->click();
    EXPECT_CTL(f.Start, CtlDateTime(26, 12, 6, 0, 10, 5));
    EXPECT_CTL(f.End, CtlDateTime(26, 12, 7, 0, 10, 5));
}

TEST_F(DialogTest, PeriodFreeChoiceChecksAndStores) {
    ArchivePeriodSettings.per_kind = 2;
    ArchivePeriodSettings.curr_dt_beg = EncodeDateTime(2026, 11, 1, 8, 30, 15);
    ArchivePeriodSettings.curr_dt_end = EncodeDateTime(2026, 11, 2, 9, 0, 0);
    TFormPeriod f;
    f.show();
    EXPECT_TRUE(f.ComboBox1->isEnabled());
    EXPECT_EQ(f.DateTimePicker1->date(), QDate(2026, 11, 1));
    EXPECT_EQ(f.ComboBox3->currentText(), QStringLiteral("15"));

    // The lists are editable: typed values out of range are refused, tested in order.
    f.ComboBox2->setEditText(QStringLiteral("60"));
    f.ComboBox4->setEditText(QStringLiteral("24"));
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox(), std::make_pair(std::string("Значение минут начала диапазона"),
                                        std::string("вне допустимого диапазона")));
    f.ComboBox2->setEditText(QStringLiteral("30"));
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox().first, "Значение часа конца диапазона");
    f.ComboBox4->setEditText(QStringLiteral("x"));
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox().first, "Значение часа конца диапазона");
    f.ComboBox4->setEditText(QStringLiteral("9"));
    f.ComboBox6->setEditText(QStringLiteral("-1"));
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox().first, "Значение секунд конца диапазона");
    // End one second before the start.
    f.DateTimePicker2->setDate(QDate(2026, 11, 1));
    f.ComboBox4->setEditText(QStringLiteral("08"));
    f.ComboBox5->setEditText(QStringLiteral("30"));
    f.ComboBox6->setEditText(QStringLiteral("14"));
    f.BitBtn1->click();
    EXPECT_EQ(OnlyBox().first, "Дата и время конца опроса должны быть");
    EXPECT_EQ(f.Accepted, 0);
    // Equal times are accepted and remembered.
    f.ComboBox6->setEditText(QStringLiteral("15"));
    f.BitBtn1->click();
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_CTL(f.Start, CtlDateTime(26, 11, 1, 8, 30, 15));
    EXPECT_CTL(f.End, f.Start);
    EXPECT_EQ(ArchivePeriodSettings.curr_dt_end, EncodeDateTime(2026, 11, 1, 8, 30, 15));

    // Typed in the active window: a minute of 5 is taken as 5, not completed to the first
    // item beginning with it (50, which would end after the end of the period).
    TFormPeriod g;
    g.show();
    g.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&g));
    g.ComboBox2->setFocus();
    g.ComboBox2->lineEdit()->selectAll();
    QTest::keyClicks(g.ComboBox2, "5");
    EXPECT_EQ(g.ComboBox2->currentText(), QStringLiteral("5"));
    QTest::mouseClick(g.BitBtn1, Qt::LeftButton);
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_EQ(g.Accepted, 1);
    EXPECT_CTL(g.Start, CtlDateTime(26, 11, 1, 8, 5, 15));

    TFormPeriod x;
    x.show();
    x.BitBtn2->click();
    EXPECT_EQ(x.Accepted, 0);
}
