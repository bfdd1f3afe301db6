// The archive printouts of the chromatograph and moisture-analyser views: page blocks and
// page counts at the row-capacity edges, which half prints where, summary values with the
// report decimals, titles, the "Лист N из M" footer of the laid-out report, and PDF output.
#include <gtest/gtest.h>

#include <QFile>
#include <QStandardItemModel>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>

#include "app/rd_wr_ini.h"
#include "common/codepage.h"
#include "data/archformat.h"
#include "data/ui/chromarchform.h"
#include "data/ui/formarh_wmt.h"
#include "reports/chromorder.h"
#include "reports/ui/formprnhdm_chr.h"
#include "reports/ui/formprnhdm_wmt.h"
#include "support/printtest.h"
#include "support/reportink.h"
#include "support/tempdir.h"

namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }

// Report decimals 1 to 4 by parameter, a moisture analyser of type 1.
class ArchPrintBase : public PrintTestBase {
protected:
    void SetUp() override {
        PrintTestBase::SetUp();
        for (int p = 0; p < 20; ++p) ReportSettings.fr[p] = uint8_t(p % 4 + 1);
        SetPrintedSet(qvr::Win("  Пункт-7 "), 12, CtlDateTime(26, 12, 7, 9, 8, 7), CtlDateTime(26, 11, 30, 10, 15, 0),
                      CtlDateTime(26, 12, 1, 11, 25, 0), qvr::Win("ООО Газ"));
        header.moistureType = 1;
    }
};

// Grids as the chromatograph views give them: left column 1 date (with a leading blank),
// 2 time / start, 3 end; value column 1 + p holds "r.p" and the status mark.
void FillChromGrids(QStandardItemModel& left, QStandardItemModel& values, int rows) {
    ShapeChromGrids(left, values, rows);
    for (int r = 0; r < rows; ++r) {
        left.setItem(r, 1, new QStandardItem(QStringLiteral(" D%1").arg(r)));
        left.setItem(r, 2, new QStandardItem(QStringLiteral("S%1 ").arg(r)));
        left.setItem(r, 3, new QStandardItem(QStringLiteral("E%1").arg(r)));
        for (int p = 0; p < 20; ++p) values.setItem(r, 1 + p, new QStandardItem(QStringLiteral("  %1.%2 ").arg(r).arg(p)));
    }
}

class ChromPrint : public ArchPrintBase {
protected:
    // Builds a print of `rows` records into a fresh form.
    TFormPrnHDM_Chr& Build(int rows, uint8_t kind) {
        FillChromGrids(left, values, rows);
        header.recordCount = uint32_t(rows);
        form = std::make_unique<TFormPrnHDM_Chr>();
        qvr::BuildChromArchivePrint(*form, {.kind = kind, .header = &header, .orgName = org, .means = means,
                                            .leftGrid = &left, .valueGrid = &values});
        return *form;
    }
    // Pages on which a text prints.
    std::set<int> PagesOf(const QString& text) {
        std::set<int> pages;
        for (const auto& t : form->QuickRep1.FindText(text)) pages.insert(t.page);
        return pages;
    }
    QStandardItemModel left, values;
    float means[20] = {};
    std::unique_ptr<TFormPrnHDM_Chr> form;
};

TEST_F(ChromPrint, PageCountsAtTheBlockEdges) {
    struct Case {
        int rows, pages, tables, summaryKind;
    };
    // summaryKind 2: summaries with their own headings (on pages of their own).
    const Case cases[] = {{0, 2, 1, 0},  {1, 2, 1, 0},   {58, 2, 1, 0},  {59, 4, 1, 2},  {75, 4, 1, 2},
                          {76, 4, 2, 0}, {160, 6, 2, 2}, {161, 6, 3, 0}, {200, 6, 3, 0}, {245, 8, 3, 2}};
    for (const Case& c : cases) {
        for (uint8_t kind : {uint8_t(0), uint8_t(2)}) {
            TFormPrnHDM_Chr& f = Build(c.rows, kind);
            const bool moment = kind == 2;
            SCOPED_TRACE(testing::Message() << c.rows << " rows, kind " << int(kind));
            EXPECT_EQ(f.PageCount, c.pages);
            EXPECT_EQ(f.QuickRep1.PageCount(), c.pages);
            EXPECT_EQ(f.QRLabel31->Caption, QStringLiteral("из %1").arg(c.pages));
            EXPECT_EQ(moment ? f.MomTable[1].size() : f.HdmTable[1].size(), size_t(c.tables));
            EXPECT_EQ(moment ? f.HdmTable[0].size() : f.MomTable[0].size(), 0u);
            const bool hasSpec = moment ? f.MomSpecItog[1] != nullptr : f.HdmSpecItog[1] != nullptr;
            const bool hasItog = moment ? f.MomItog[1] != nullptr : f.HdmItog[1] != nullptr;
            EXPECT_EQ(hasSpec, c.summaryKind == 2);
            EXPECT_EQ(hasItog, c.summaryKind == 0);
        }
    }
}

TEST_F(ChromPrint, TwoHundredHourlyRecordsInTheirPageOrder) {
    for (int p = 0; p < 20; ++p) means[p] = 1000.0f + float(p) + 0.123456f;
    TFormPrnHDM_Chr& f = Build(200, qvr::kPrintChromHour);
    ASSERT_EQ(f.QuickRep1.PageCount(), 6);
    // Dates trimmed; each block's rows on its left page and again on its right page.
    EXPECT_EQ(PagesOf("D0"), (std::set<int>{1, 2}));
    EXPECT_EQ(PagesOf("D74"), (std::set<int>{1, 2}));
    EXPECT_EQ(PagesOf("D75"), (std::set<int>{3, 4}));
    EXPECT_EQ(PagesOf("D159"), (std::set<int>{3, 4}));
    EXPECT_EQ(PagesOf("D199"), (std::set<int>{5, 6}));
    EXPECT_EQ(PagesOf("S199"), (std::set<int>{5, 6}));
    EXPECT_EQ(PagesOf("E199"), (std::set<int>{5, 6}));
    // Left pages hold display positions 0..9, right pages 10..19 (values trimmed).
    EXPECT_EQ(PagesOf("0.0"), (std::set<int>{1}));
    EXPECT_EQ(PagesOf("0.9"), (std::set<int>{1}));
    EXPECT_EQ(PagesOf("0.10"), (std::set<int>{2}));
    EXPECT_EQ(PagesOf("199.19"), (std::set<int>{6}));
    EXPECT_TRUE(PagesOf("  0.0 ").empty());
    // Titles on pages 1 and 2 only; the summary under the last block of each half.
    EXPECT_EQ(PagesOf(Q("Часовые измерительные данные хроматографа")), (std::set<int>{1, 2}));
    EXPECT_EQ(PagesOf(Q("Средние значения")), (std::set<int>{5, 6}));
    // Means with the decimals of their parameter: position 1 is propane (fr 2), position
    // 13 density (parameter 12, fr 1).
    EXPECT_EQ(f.HdmItog[0]->Value[1]->Caption, QStringLiteral("1001.12"));
    EXPECT_EQ(f.HdmItog[0]->Value[0]->Caption, QStringLiteral("1000.1"));
    EXPECT_EQ(f.HdmItog[1]->Value[3]->Caption, QStringLiteral("1012.1"));
    EXPECT_EQ(f.HdmItog[1]->Value[0]->Caption, QStringLiteral("1010.123"));  // ethane, fr 3
    // Oxygen (position 11) has no value in this order: its mean stays empty.
    EXPECT_TRUE(f.HdmItog[1]->Value[1]->Caption.isEmpty());
    EXPECT_EQ(PagesOf("1001.12"), (std::set<int>{5}));
    EXPECT_EQ(PagesOf("1010.123"), (std::set<int>{6}));
    EXPECT_EQ(f.HdmItog[0]->StandardLine->Caption, Q("по ГОСТ 22667-82 и ГОСТ 30319.1-96"));
}

TEST_F(ChromPrint, TitleHeaderAndFooterTexts) {
    TFormPrnHDM_Chr& f = Build(10, qvr::kPrintChromHour);
    ASSERT_TRUE(f.Title[0] && f.Title[1]);
    EXPECT_EQ(f.Title[0]->Label1->Caption, Q("ООО Газ"));
    EXPECT_EQ(f.Title[0]->Label2->Caption, Q("Контроллер \"Пункт-7\"  (адрес 12)"));
    EXPECT_EQ(f.Title[0]->Label4->Caption, Q("за период  с  30.11.26  10ч  по  01.12.26  11ч"));
    EXPECT_EQ(f.Title[1]->Label5->Caption, Q("Составлен программой qvr_13  07.12.26  09:08:07"));
    EXPECT_FALSE(f.Title[0]->Band->ForceNewPage);
    EXPECT_TRUE(f.Title[1]->Band->ForceNewPage);

    // The controller name heads every page, right-aligned at its designed place; the
    // footer numbers every page.
    const double left = MmToReportPixels(7);
    const auto names = f.QuickRep1.FindText(Q("Пункт-7"));
    ASSERT_EQ(names.size(), 2u);
    for (const auto& t : names) {
        EXPECT_NEAR(t.rect.left(), left + 546, 0.01);
        EXPECT_NEAR(t.rect.top(), MmToReportPixels(10) + 19, 0.01);
    }
    for (int page = 1; page <= 2; ++page) {
        int found = 0;
        for (const auto& t : f.QuickRep1.TextPlacements()) {
            if (t.page != page) continue;
            if (t.text == Q("Лист")) {
                EXPECT_NEAR(t.rect.left(), left + 783, 0.01);
                ++found;
            } else if (t.item == f.QRExpr1) {
                EXPECT_EQ(t.text, QString::number(page));
                EXPECT_NEAR(t.rect.left(), left + 834, 0.01);
                ++found;
            } else if (t.text == Q("из 2")) {
                EXPECT_NEAR(t.rect.left(), left + 876, 0.01);
                ++found;
            }
        }
        EXPECT_EQ(found, 3) << page;
    }

    TFormPrnHDM_Chr& d = Build(3, qvr::kPrintChromDay);
    EXPECT_EQ(d.Title[0]->Label3->Caption, Q("Суточные измерительные данные хроматографа"));
    EXPECT_EQ(d.Title[0]->Label4->Caption, Q("за период  с  30.11.26  по  01.12.26"));

    // An organisation name of 40 wide capitals, wider than its label at 12 points bold,
    // puts its ink within the label: not across the margin to the paper's edge.
    std::strcpy(org, qvr::Win("ЖШЩЮМЖШЩЮМЖШЩЮМЖШЩЮМЖШЩЮМЖШЩЮМЖШЩЮМЖШЩЮМ").c_str());
    TFormPrnHDM_Chr& w = Build(3, qvr::kPrintChromHour);
    const LabelInk ink = InkOf(w.QuickRep1, w.Title[0]->Label1);
    EXPECT_TRUE(ink.Inside()) << "ink " << ink.ink.left() << ".." << ink.ink.right() << ", label "
                              << ink.item.left() << ".." << ink.item.right();
}

TEST_F(ChromPrint, FiveMinutePrintMovesItsMarginsAndHeaderItems) {
    TFormPrnHDM_Chr& f = Build(59, qvr::kPrintChrom5Min);
    EXPECT_DOUBLE_EQ(f.QuickRep1.PageValue(pvLeftMargin), 16);
    EXPECT_DOUBLE_EQ(f.QuickRep1.PageValue(pvRightMargin), 5);
    // The controller name ends at the right edge of the page body (it would reach 4
    // pixels into the margin after the 30-pixel move).
    EXPECT_EQ(f.QRLabel3->Left, 511);
    EXPECT_EQ(f.QRLabel30->Left, 753);
    EXPECT_EQ(f.QRExpr1->Left, 804);
    EXPECT_EQ(f.QRLabel31->Left, 846);
    EXPECT_EQ(f.Title[0]->Label3->Caption, Q("Мгновенные данные хроматографа"));
    EXPECT_EQ(f.Title[0]->Label4->Caption, Q("за период  с  30.11.26 10:15:00  по  01.12.26 11:25:00"));
    // 59 records: the summaries follow on pages of their own, with their headings.
    ASSERT_TRUE(f.MomSpecItog[0] && f.MomSpecItog[1]);
    EXPECT_TRUE(f.MomSpecItog[0]->Band->ForceNewPage);
    EXPECT_EQ(PagesOf(Q("Средние значения")), (std::set<int>{3, 4}));
    // One time column: the start time cell; column 3 is not printed.
    EXPECT_EQ(PagesOf("S58"), (std::set<int>{1, 2}));
    EXPECT_TRUE(PagesOf("E0").empty());
    ASSERT_EQ(f.MomTable[0].size(), 1u);
    EXPECT_EQ(f.MomTable[0][0]->Band->Height, 109 + 13 * 59);
    EXPECT_EQ(f.MomTable[0][0]->Value[0]->Height, 17 + 13 * 59);
}

TEST_F(ChromPrint, NoRecordsPrintsTheMeansUnderEmptyTables) {
    means[8] = 91.5f;
    TFormPrnHDM_Chr& f = Build(0, qvr::kPrintChromHour);
    ASSERT_EQ(f.HdmTable[0].size(), 1u);
    EXPECT_TRUE(f.HdmTable[0][0]->DateMemo->Lines.isEmpty());
    EXPECT_EQ(f.HdmTable[0][0]->Band->Height, 106);
    ASSERT_TRUE(f.HdmItog[0]);
    EXPECT_EQ(f.HdmItog[0]->Value[8]->Caption, QStringLiteral("91.5"));
    EXPECT_EQ(f.HdmItog[0]->Value[0]->Caption, QStringLiteral("0.0"));
    EXPECT_EQ(f.QuickRep1.PageCount(), 2);
}

TEST_F(ChromPrint, InvalidMeanPrintsNanAndIsoStandardLineEndsWithAColon) {
    ReportSettings.calc_formula = 0;
    means[2] = std::numeric_limits<float>::quiet_NaN();
    TFormPrnHDM_Chr& f = Build(5, qvr::kPrintChromDay);
    EXPECT_EQ(f.HdmItog[0]->Value[2]->Caption, QStringLiteral("NAN"));
    EXPECT_EQ(f.HdmItog[1]->StandardLine->Caption, Q("по ДСТУ ISO 6976:2009:"));
}

TEST_F(ChromPrint, PrintsOnlyTheRowsTheGridsHold) {
    // A header that claims more records than the view shows prints the shown rows.
    FillChromGrids(left, values, 3);
    header.recordCount = 500;
    TFormPrnHDM_Chr f;
    f.Header = &header;
    f.LeftGrid = &left;
    f.ValueGrid = &values;
    f.Means = means;
    f.BuildHourDayArchivePrint(0);
    EXPECT_EQ(f.HdmTable[0][0]->DateMemo->Lines, (QStringList{"D0", "D1", "D2"}));
    EXPECT_EQ(f.PageCount, 2);
}

// Every record count through the first block and two later ones, and the last block's
// worth of counts up to 1000, so the last block takes every row count both after a few
// pages and after many: the pages the build counts are the pages laid out, and the means
// print on the page of their table (a later block of 70 hourly or 69-70 5-minute rows once
// sent them alone onto the next page, without headings). Only the band heights place the
// bands, so the grids hold rows without texts.
TEST_F(ChromPrint, EveryRecordCountKeepsTheMeansOnTheirTablesPage) {
    ShapeChromGrids(left, values, 1000);
    constexpr int kEarly = 75 + 2 * 85;  // the first block's rows and two later blocks'
    constexpr int kLate = 1000 - 85;     // a later block's rows below the last count
    for (uint8_t kind : {qvr::kPrintChromHour, qvr::kPrintChrom5Min}) {
        const bool moment = kind == qvr::kPrintChrom5Min;
        for (int rows = 0; rows <= 1000; rows = rows == kEarly ? kLate : rows + 1) {
            header.recordCount = uint32_t(rows);
            TFormPrnHDM_Chr f;
            f.Header = &header;
            f.OrgName = org;
            f.Means = means;
            f.LeftGrid = &left;
            f.ValueGrid = &values;
            if (moment)
                f.BuildMomentArchivePrint();
            else
                f.BuildHourDayArchivePrint(kind);
            std::map<const TQRCustomBand*, int> page;
            for (const auto& b : f.QuickRep1.BandPlacements()) page.emplace(b.band, b.page);
            const int pages = f.QuickRep1.PageCount();
            ASSERT_EQ(f.PageCount, pages) << rows << " rows, kind " << int(kind);
            for (int h = 0; h < 2; ++h) {
                const TQRCustomBand* summary = moment ? (f.MomItog[h] ? f.MomItog[h]->Band : nullptr)
                                                      : (f.HdmItog[h] ? f.HdmItog[h]->Band : nullptr);
                const TQRCustomBand* table = moment ? f.MomTable[h].back()->Band : f.HdmTable[h].back()->Band;
                if (summary) {
                    ASSERT_EQ(page[summary], page[table]) << rows << " rows, kind " << int(kind) << ", half " << h;
                } else {
                    // The means with their own headings, on a page of their own.
                    const TQRCustomBand* summary = moment ? f.MomSpecItog[h]->Band : f.HdmSpecItog[h]->Band;
                    ASSERT_GT(page[summary], page[table]) << rows << " rows";
                }
            }
        }
    }
    // The case seen: 75 + 70 hourly records; the means follow with their headings.
    TFormPrnHDM_Chr& f = Build(145, qvr::kPrintChromHour);
    EXPECT_EQ(f.QuickRep1.PageCount(), 6);
    EXPECT_EQ(f.QRLabel31->Caption, QStringLiteral("из 6"));
    EXPECT_EQ(PagesOf(Q("Средние значения")), (std::set<int>{5, 6}));
    EXPECT_EQ(PagesOf(Q("C6 + 47")), (std::set<int>{1, 3, 5}));  // the means' own headings
}

TEST_F(ChromPrint, FullBlocksStayOnTheirPages) {
    for (uint8_t kind : {uint8_t(0), uint8_t(2)}) {
        TFormPrnHDM_Chr& f = Build(75 + 85 + 85 + 58, kind);
        const double bottom = MmToReportPixels(297 - 10) - 29;  // above the footer
        for (const auto& b : f.QuickRep1.BandPlacements())
            if (b.band->BandType() != rbPageFooter) {
                EXPECT_LE(b.rect.bottom(), bottom + 0.01) << int(kind);
            }
        EXPECT_EQ(f.QuickRep1.PageCount(), f.PageCount);
    }
}

TEST_F(ChromPrint, RendersToPdf) {
    Build(200, qvr::kPrintChromHour);
    TempDir tmp;
    const QString path = QString::fromStdString(tmp.dir() + "chrom.pdf");
    ASSERT_TRUE(form->QuickRep1.RenderToPdf(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("%PDF"));
}

// ---------------------------------------------------------------------------------------

class WmtPrint : public ArchPrintBase {
protected:
    TFormPrnHDM_Wmt& Build(int rows, uint8_t kind) {
        grid.clear();
        grid.setColumnCount(8);
        grid.setRowCount(rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < 8; ++c) grid.setItem(r, c, new QStandardItem(QStringLiteral("  r%1c%2").arg(r).arg(c)));
        header.recordCount = uint32_t(rows);
        form = std::make_unique<TFormPrnHDM_Wmt>();
        qvr::BuildMoistureArchivePrint(*form, {.kind = kind, .header = &header, .orgName = org, .grid = &grid});
        return *form;
    }
    QStandardItemModel grid;
    std::unique_ptr<TFormPrnHDM_Wmt> form;
};

TEST_F(WmtPrint, PagesHold52ThenFiftyNineRows) {
    struct Case {
        int rows, pages;
    };
    for (const Case& c : {Case{0, 1}, Case{1, 1}, Case{52, 1}, Case{53, 2}, Case{111, 2}, Case{112, 3}}) {
        TFormPrnHDM_Wmt& f = Build(c.rows, qvr::kPrintWmtHour);
        SCOPED_TRACE(c.rows);
        EXPECT_EQ(f.PageCount, c.pages);
        EXPECT_EQ(f.QuickRep1.PageCount(), c.pages);
        EXPECT_EQ(f.Tables.size(), size_t(c.pages));
        EXPECT_EQ(f.QRLabel31->Caption, QStringLiteral("из %1").arg(c.pages));
        const double bottom = MmToReportPixels(297 - 10) - 29;
        for (const auto& b : f.QuickRep1.BandPlacements())
            if (b.band->BandType() != rbPageFooter) {
                EXPECT_LE(b.rect.bottom(), bottom + 0.01);
            }
    }
    TFormPrnHDM_Wmt& f = Build(53, qvr::kPrintWmtHour);
    EXPECT_EQ(f.Tables[0]->Value[0]->Lines.size(), 52);
    EXPECT_EQ(f.Tables[1]->Value[0]->Lines, QStringList{"  r52c0"});  // untrimmed
    EXPECT_TRUE(f.Tables[1]->Band->ForceNewPage);
    EXPECT_EQ(f.Tables[1]->Band->Height, 94 + 19);
    // The table head repeats on the second page.
    std::set<int> pages;
    for (const auto& t : f.QuickRep1.FindText(Q("контроллера"))) pages.insert(t.page);
    EXPECT_EQ(pages, (std::set<int>{1, 2}));
    EXPECT_EQ(f.QuickRep1.FindText(Q("из 2")).size(), 2u);
}

TEST_F(WmtPrint, HeadingsByKindAndAnalyserType) {
    TFormPrnHDM_Wmt& f = Build(1, qvr::kPrintWmt5Min);
    TArh_Wmt_Table* t = f.Tables[0];
    EXPECT_EQ(t->Heading[0]->Lines, (QStringList{" ", Q("Дата")}));
    EXPECT_EQ(t->Heading[3]->Lines, (QStringList{Q("Признаки"), Q("состояния"), Q("влагомера")}));
    EXPECT_EQ(t->Heading[6]->Lines, (QStringList{Q("Р изб."), "WDP", "", "bar"}));
    EXPECT_EQ(t->Heading[7]->Lines, (QStringList{Q("Прив. Т т.росы"), Q("по воде"), Q("к Р абс."), Q("°С")}));
    EXPECT_TRUE(t->Heading[6]->Frame.DrawRight);
    EXPECT_FALSE(t->Heading[7]->Frame.DrawRight);
    EXPECT_EQ(t->Heading[2]->Left, 1 + 96 * 2);
    EXPECT_EQ(f.Title->Label3->Caption, Q("Мгновенные данные влагомера"));
    EXPECT_EQ(f.Title->Label4->Caption, Q("за период  с  30.11.26 10:15:00  по  01.12.26 11:25:00"));

    header.moistureType = 2;
    TFormPrnHDM_Wmt& g = Build(1, qvr::kPrintWmtDay);
    EXPECT_EQ(g.Tables[0]->Heading[6]->Lines, (QStringList{"", Q("Р. газа"), "", Q("МПа")}));
    EXPECT_EQ(g.Tables[0]->Heading[0]->Lines, (QStringList{" ", Q("Дата"), Q("начала")}));
    EXPECT_EQ(g.Title->Label3->Caption, Q("Суточные измерительные данные влагомера"));
    EXPECT_EQ(g.Title->Label4->Caption, Q("за период  с  30.11.26  по  01.12.26"));
    EXPECT_EQ(g.Title->Label2->Caption, Q("Контроллер \"Пункт-7\"  (адрес 12)"));
    EXPECT_EQ(g.QRLabel3->Caption, Q("Пункт-7"));

    TFormPrnHDM_Wmt& h = Build(1, qvr::kPrintWmtHour);
    EXPECT_EQ(h.Title->Label4->Caption, Q("за период  с  30.11.26  10ч  по  01.12.26  11ч"));
    // A kind outside the moisture kinds heads nothing.
    TFormPrnHDM_Wmt& x = Build(1, qvr::kPrintChromHour);
    for (int c = 0; c < 8; ++c) EXPECT_TRUE(x.Tables[0]->Heading[c]->Lines.isEmpty());
}

TEST_F(WmtPrint, RendersToPdfAndPlacesTheFooter) {
    TFormPrnHDM_Wmt& f = Build(60, qvr::kPrintWmtHour);
    const double left = MmToReportPixels(25);
    const auto lists = f.QuickRep1.FindText(Q("Лист"));
    ASSERT_EQ(lists.size(), 2u);
    // The footer moved left so that "из N" ends at the table's right edge.
    EXPECT_NEAR(lists[1].rect.left(), left + 641, 0.01);
    EXPECT_EQ(lists[1].page, 2);
    TempDir tmp;
    const QString path = QString::fromStdString(tmp.dir() + "wmt.pdf");
    ASSERT_TRUE(f.QuickRep1.RenderToPdf(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("%PDF"));
}

}  // namespace
