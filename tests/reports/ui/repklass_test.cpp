// The band objects of the archive and log printouts: heading vocabulary by composition
// and heat unit, column order of the two halves, fixed positions, frames and fonts, and
// that deleting an object takes its band and items off the report.
#include <gtest/gtest.h>

#include <vector>

#include "reports/chromorder.h"
#include "reports/ui/repklass.h"

namespace {

QStringList Lines(const TQRRichText* r) { return r->Lines; }

TEST(RepKlass, CompositionAndHeatUnitChooseTheHeadingWords) {
    TQuickRep rep;
    ThdmTable molarMj(&rep, 0, 0, 0);
    ThdmTable volumeKcal(&rep, 10, 1, 1);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Lines(molarMj.Heading[i])[0], QStringLiteral("МД")) << i;
        EXPECT_EQ(Lines(molarMj.Heading[i])[3], QStringLiteral("%")) << i;
    }
    EXPECT_EQ(Lines(molarMj.Heading[9]), (QStringList{"МД", "диоксида", "углерода,", "%"}));
    // Right half: ethane, oxygen, Hs, density, Wobbe, compressibility, Hi, relative
    // density, sum of components, gas temperature.
    const QStringList second = {"ОД",       "ОД",      "Удельная", "Плотность", "Индекс",
                                "Фактор",   "Удельная", "Относит.", "Сумма ОД",  "Темпера-"};
    const QStringList third = {"этана,", "кисло-",  "Тсг",       "реального", "Воббе,",
                               "сжимае-", "Тсг",    "плотность", "всех",      "тура газа,"};
    const QStringList units = {"%", "%", "ккал/м3", "кг/м3", "ккал/м3", " ", "ккал/м3", " ", "%", "°С"};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Lines(volumeKcal.Heading[i])[0], second[i]) << i;
        EXPECT_EQ(Lines(volumeKcal.Heading[i])[1], third[i]) << i;
        EXPECT_EQ(Lines(volumeKcal.Heading[i])[3], units[i]) << i;
    }
    ThdmSpecItog mj(&rep, 10, 0, 0);
    EXPECT_EQ(Lines(mj.Heading[2])[3], QStringLiteral("МДж/м3"));
    EXPECT_EQ(Lines(mj.Heading[4])[3], QStringLiteral("МДж/м3"));
    EXPECT_EQ(Lines(mj.Heading[6])[3], QStringLiteral("МДж/м3"));
    EXPECT_EQ(Lines(mj.Heading[8])[0], QStringLiteral("Сумма МД"));
    EXPECT_EQ(Lines(mj.Heading[4])[2], QStringLiteral(" "));  // a blank line stays a blank
    // A first position beyond the right half cannot read past the order.
    TmomTable odd(&rep, 200, 0, 0);
    EXPECT_EQ(Lines(odd.Heading[0])[1], QStringLiteral("этана,"));
}

TEST(RepKlass, TableBandsKeepTheirGeometryAndFrames) {
    TQuickRep rep;
    ThdmTable t(&rep, 0, 0, 0);
    EXPECT_EQ(t.Band->Height, 106);
    EXPECT_TRUE(t.Band->Frame.DrawTop && t.Band->Frame.DrawBottom && t.Band->Frame.DrawLeft && t.Band->Frame.DrawRight);
    EXPECT_EQ(t.Band->EffectiveFont(), (TQRFont{"MS Sans Serif", 8, false}));
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(t.Heading[i]->Left, 225 + 70 * i);
        EXPECT_EQ(t.Heading[i]->Width, 71);
        EXPECT_EQ(t.Heading[i]->Height, 68);
        EXPECT_TRUE(t.Heading[i]->Frame.DrawBottom && t.Heading[i]->Frame.DrawLeft);
        EXPECT_FALSE(t.Heading[i]->Frame.DrawTop);
        EXPECT_EQ(t.Value[i]->Left, 225 + 70 * i);
        EXPECT_EQ(t.Value[i]->Top, 78);
        EXPECT_FALSE(t.Value[i]->WordWrap);
        EXPECT_EQ(t.Value[i]->EffectiveFont(), (TQRFont{"Arial", 9, false}));
        EXPECT_TRUE(t.Value[i]->Lines.isEmpty());
    }
    EXPECT_EQ(t.Label[0]->Caption, QStringLiteral("Начало"));
    EXPECT_EQ(t.Label[3]->Caption, QStringLiteral("Конец"));
    EXPECT_TRUE(t.Label[5]->Frame.DrawLeft);
    TmomTable m(&rep, 10, 0, 0);
    EXPECT_EQ(m.Band->Height, 109);
    EXPECT_EQ(m.Heading[9]->Left, 190 + 630);
    EXPECT_EQ(m.DateMemo->Top, 80);
    EXPECT_TRUE(m.Label[3]->Frame.DrawTop);

    // Printed on the paper: heading cell 0 of the hourly band at left margin + 225.
    int page = 0;
    QRectF r;
    ASSERT_TRUE(rep.ItemPlacement(t.Heading[0], page, r));
    EXPECT_NEAR(r.left(), MmToReportPixels(10) + 225, 0.01);
    EXPECT_NEAR(r.top(), MmToReportPixels(10) + 2, 0.01);
}

TEST(RepKlass, SummaryBandsDifferOnlyWhereTheLayoutsDo) {
    TQuickRep rep;
    ThdmItog h(&rep);
    TmomItog m(&rep);
    EXPECT_EQ(h.Band->Height, 225);
    EXPECT_FALSE(h.Band->Frame.Any());
    EXPECT_EQ(h.Value[0]->Left, 225);
    EXPECT_EQ(m.Value[9]->Left, 190 + 630);
    EXPECT_EQ(h.Signature[0]->Left, 51);
    EXPECT_EQ(h.Signature[5]->Left, 382);
    EXPECT_EQ(m.Signature[2]->Top, 181);
    EXPECT_EQ(m.Signature[3]->Left, 363);
    EXPECT_EQ(h.Signature[4]->Caption, QString(41, QLatin1Char('_')));
    EXPECT_EQ(h.AveragesCaption->Caption, QStringLiteral("Средние значения"));
    EXPECT_TRUE(h.AveragesCaption->EffectiveFont().Bold);
    EXPECT_TRUE(h.CalculationLine->AutoSize);

    ThdmSpecItog hs(&rep, 0, 0, 0);
    TmomSpecItog ms(&rep, 0, 0, 0);
    EXPECT_EQ(hs.Band->Height, 287);
    EXPECT_TRUE(hs.Band->Frame.DrawTop);
    EXPECT_FALSE(hs.Band->Frame.DrawBottom);
    EXPECT_EQ(hs.Rule->Width, 178);
    EXPECT_EQ(ms.Rule->Width, 150);
    EXPECT_EQ(hs.AveragesCaption->Width, 178);  // "Средние значения" needs more than 142
    EXPECT_EQ(ms.AveragesCaption->Width, 178);
    EXPECT_EQ(hs.StandardLine->Left, 2);
    EXPECT_EQ(ms.StandardLine->Left, 22);
    EXPECT_EQ(ms.Signature[0]->Top, 165);
    EXPECT_EQ(hs.Value[0]->EffectiveFont(), (TQRFont{"Arial", 9, false}));
}

TEST(RepKlass, TitleBandLabels) {
    TQuickRep rep;
    TrepTitle t(&rep);
    EXPECT_EQ(t.Band->Height, 115);
    EXPECT_EQ(t.Label2->Left, 4);
    EXPECT_EQ(t.Label1->Left, 2);
    EXPECT_EQ(t.Label5->Top, 88);
    EXPECT_EQ(t.Label1->EffectiveFont(), (TQRFont{"Arial", 12, true}));
    EXPECT_EQ(t.Label2->Alignment, taLeftJustify);
    EXPECT_EQ(t.Label4->Alignment, taCenter);
    EXPECT_EQ(t.Label3->Width, 740);
}

// The log tables: each memo column under its captions, a rule in every gap between two
// columns, and the table within the page of the log print (A4 less 10 and 9 or 10 mm).
TEST(RepKlass, LogPageBands) {
    TQuickRep rep;
    TAlaTable a(&rep);
    TAudTable u(&rep);
    EXPECT_EQ(a.Band->Height, 92);
    EXPECT_EQ(a.Caption[2]->Caption, QStringLiteral("Сообщение"));
    EXPECT_EQ(u.Caption[2]->Caption, QStringLiteral("Наименование  параметра"));
    EXPECT_EQ(a.VRule[5]->Height, 22);
    EXPECT_EQ(a.VRule[0]->Height, 52);
    EXPECT_EQ(u.VRule[5]->Height, 50);
    EXPECT_TRUE(a.HRule[0]->Frame.DrawBottom);
    EXPECT_TRUE(a.HRule[1]->Frame.DrawTop);
    auto check = [](TQRMemo* const* memo, TQRLabel* const* vrule, int rules, const std::vector<std::pair<int, int>>& caps,
                    TQRLabel* const* caption, double page) {
        for (int i = 0; i < 7; ++i) EXPECT_EQ(memo[i]->Top, 63);
        for (int i = 0; i + 1 < 7; ++i) EXPECT_LT(memo[i]->Left + memo[i]->Width, memo[i + 1]->Left) << i;
        EXPECT_LE(memo[6]->Left + memo[6]->Width, page);
        // Every rule line stands in a gap between two columns.
        for (int r = 0; r < rules; ++r) {
            const int x = vrule[r]->Left + vrule[r]->Width;
            int gaps = 0;
            for (int i = 0; i + 1 < 7; ++i) gaps += x > memo[i]->Left + memo[i]->Width && x < memo[i + 1]->Left;
            EXPECT_EQ(gaps, 1) << r;
        }
        for (auto [c, column] : caps) {
            EXPECT_EQ(caption[c]->Left, memo[column]->Left) << c;
            EXPECT_EQ(caption[c]->Width, memo[column]->Width) << c;
        }
    };
    check(a.Memo, a.VRule, 6, {{0, 0}, {1, 1}, {3, 2}, {11, 3}, {6, 4}, {8, 5}, {10, 6}}, a.Caption,
          MmToReportPixels(210 - 10 - 9));
    check(u.Memo, u.VRule, 6, {{0, 0}, {1, 1}, {2, 2}, {4, 3}, {6, 4}, {8, 5}, {10, 6}}, u.Caption,
          MmToReportPixels(210 - 10 - 10));
    // "Сообщение" heads the event and object columns together.
    EXPECT_EQ(a.Caption[2]->Left, a.Memo[2]->Left);
    EXPECT_EQ(a.Caption[2]->Left + a.Caption[2]->Width, a.Memo[3]->Left + a.Memo[3]->Width);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(a.Memo[i]->Alignment, (i == 2 || i == 3) ? taLeftJustify : taCenter) << i;
        EXPECT_EQ(u.Memo[i]->Alignment, i == 2 ? taLeftJustify : taCenter) << i;
    }
}

TEST(RepKlass, DeletingABandObjectTakesItsBandOffTheReport) {
    TQuickRep rep;
    auto* t = new ThdmSpecItog(&rep, 0, 0, 0);
    auto* a = new TAlaTable(&rep);
    EXPECT_EQ(rep.Bands().size(), 2u);
    EXPECT_EQ(a->Band->Items().size(), 27u);  // 12 captions, 8 rules, 7 memos
    delete t;
    EXPECT_EQ(rep.Bands().size(), 1u);
    delete a;
    EXPECT_TRUE(rep.Bands().empty());
    TAlaTable* none = nullptr;
    delete none;
}

}  // namespace
