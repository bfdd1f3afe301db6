// The log list printout: title texts from the header, rows per page, page bands and the
// page count in the footer, where the rows land on the paper, and the print command.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QStandardItemModel>

#include <cstring>
#include <vector>

#include "common/globals.h"
#include "data/archformat.h"
#include "data/ui/logprint.h"
#include "reports/ui/formquesprn.h"
#include "support/tempdir.h"

namespace {

qvr::ArchiveFileHeader MakeHeader() {
    qvr::ArchiveFileHeader h;
    std::memcpy(h.name, "  KVR-1             ", 20);  // blanks at both ends
    h.address = 7;
    h.readTime = CtlDateTime(26, 12, 7, 14, 30, 5);
    const uint8_t s[6] = {26, 11, 1, 0, 0, 0}, e[6] = {26, 12, 7, 14, 29, 59};
    std::memcpy(h.periodStart, s, 6);
    std::memcpy(h.periodEnd, e, 6);
    return h;
}

std::vector<qvr::LogPrintRow> Rows(int n) {
    std::vector<qvr::LogPrintRow> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({QStringLiteral("07.12.26"), QStringLiteral("r%1").arg(i), QStringLiteral("event %1").arg(i),
                        QStringLiteral("obj"), QStringLiteral("1.5"), QStringLiteral("2"), QStringLiteral("%")});
    return rows;
}

struct Built {
    TFormPrnArhiv form;
    qvr::ArchiveFileHeader header = MakeHeader();
    std::vector<qvr::LogPrintRow> rows;
    char heading[41] = "Org";
    Built(uint8_t kind, int n) {
        rows = Rows(n);
        form.kind = kind;
        form.header = &header;
        form.heading = heading;
        form.grid = &rows;
        form.BuildLogPrint();
    }
};

TEST(LogPrint, TitleLabelsFromTheHeader) {
    Built b(qvr::kPrintDiagLog, 3);
    EXPECT_EQ(b.form.QRLabel1->Caption, QStringLiteral("Org"));
    EXPECT_EQ(b.form.QRLabel2->Caption, QStringLiteral("Перечень диагностических сообщений"));
    EXPECT_EQ(b.form.QRLabel3->Caption, QStringLiteral("контроллерa КВР"));
    EXPECT_EQ(b.form.QRLabel6->Caption, QStringLiteral("Хроматограф \"KVR-1\"  (адрес 7)"));
    EXPECT_EQ(b.form.QRLabel5->Caption, QStringLiteral("KVR-1"));
    EXPECT_EQ(b.form.QRLabel4->Caption,
              QStringLiteral("За период  с  01.11.26 00:00:00  по 07.12.26 14:29:59"));
    EXPECT_EQ(b.form.QRLabel8->Caption, QStringLiteral("Составлен программой qvr_13  07.12.26 14:30:05"));
    EXPECT_EQ(b.form.QuickRep1.PageValue(pvLeftMargin), 10);
    EXPECT_EQ(b.form.QuickRep1.PageValue(pvRightMargin), 9);

    Built a(qvr::kPrintAuditLog, 3);
    EXPECT_EQ(a.form.QRLabel2->Caption, QStringLiteral("Перечень сообщений о вмешательствах оператора"));
    EXPECT_EQ(a.form.QRLabel3->Caption, QStringLiteral("в работу контроллерa КВР"));
    EXPECT_EQ(a.form.QuickRep1.PageValue(pvRightMargin), 10);
    EXPECT_EQ(a.form.AudPages.size(), 1u);
    EXPECT_TRUE(a.form.AlaPages.empty());
}

TEST(LogPrint, RowsPerPageAndTheFooterCount) {
    struct Case {
        uint8_t kind;
        int rows, pages;
    };
    // Diagnostic: 58 on the first page, 65 after; intervention: 62, then 69.
    const Case cases[] = {{3, 0, 1},  {3, 1, 1},  {3, 58, 1},  {3, 59, 2},  {3, 123, 2},
                          {3, 124, 3}, {4, 62, 1}, {4, 63, 2},  {4, 131, 2}, {4, 132, 3}};
    for (const Case& c : cases) {
        Built b(c.kind, c.rows);
        EXPECT_EQ(b.form.PageCount, c.pages) << int(c.kind) << " " << c.rows;
        EXPECT_EQ(b.form.QRLabel31->Caption, QStringLiteral("из %1").arg(c.pages));
        // The laid-out report agrees with the count: every page band fits its page.
        EXPECT_EQ(b.form.QuickRep1.Prepare(), c.pages) << int(c.kind) << " " << c.rows;
        const size_t bands = c.kind == 3 ? b.form.AlaPages.size() : b.form.AudPages.size();
        EXPECT_EQ(bands, size_t(c.pages));
    }
}

TEST(LogPrint, PageBandsGrowOneLinePerRowAndBreakPages) {
    Built b(qvr::kPrintDiagLog, 60);
    ASSERT_EQ(b.form.AlaPages.size(), 2u);
    const TAlaTable* p1 = b.form.AlaPages[0];
    const TAlaTable* p2 = b.form.AlaPages[1];
    EXPECT_FALSE(p1->Band->ForceNewPage);
    EXPECT_TRUE(p2->Band->ForceNewPage);
    EXPECT_EQ(p1->Memo[1]->Lines.size(), 58);
    EXPECT_EQ(p2->Memo[1]->Lines.size(), 2);
    EXPECT_EQ(p1->Band->Height, 92 + 13 * 57);  // the full page's last row adds no line
    EXPECT_EQ(p2->Band->Height, 92 + 13 * 2);
    EXPECT_EQ(p2->Memo[6]->Height, 17 + 13 * 2);
    // Grid columns 1..7 go to the seven memos in order.
    EXPECT_EQ(p2->Memo[2]->Lines[1], QStringLiteral("event 59"));
    EXPECT_EQ(p2->Memo[6]->Lines[0], QStringLiteral("%"));

    // Where the rows land: page 2, under the page header, the memos' top 63.
    auto r59 = b.form.QuickRep1.FindText(QStringLiteral("r59"));
    ASSERT_EQ(r59.size(), 1u);
    EXPECT_EQ(r59[0].page, 2);
    auto r58 = b.form.QuickRep1.FindText(QStringLiteral("r58"));
    const double top = MmToReportPixels(10) + 26 + 63;
    EXPECT_NEAR(r58[0].rect.top(), top, 0.01);
    EXPECT_NEAR(r58[0].rect.left(), MmToReportPixels(10) + p2->Memo[1]->Left, 0.01);  // the time column
    EXPECT_GT(r59[0].rect.top(), r58[0].rect.top());
    // Row 0 on page 1, under the title band.
    auto r0 = b.form.QuickRep1.FindText(QStringLiteral("r0"));
    ASSERT_EQ(r0.size(), 1u);
    EXPECT_NEAR(r0[0].rect.top(), MmToReportPixels(10) + 26 + 150 + 63, 0.01);
    // Footer on both pages: "Лист", the page number, "из 2".
    EXPECT_EQ(b.form.QuickRep1.FindText(QStringLiteral("Лист")).size(), 2u);
    EXPECT_EQ(b.form.QuickRep1.FindText(QStringLiteral("из 2")).size(), 2u);
    auto n2 = b.form.QuickRep1.FindText(QStringLiteral("2"));
    bool pageNumber2 = false;
    for (auto& t : n2) pageNumber2 |= (t.item == b.form.QRExpr1 && t.page == 2);
    EXPECT_TRUE(pageNumber2);
    // The controller name heads every page.
    EXPECT_EQ(b.form.QuickRep1.FindText(QStringLiteral("KVR-1")).size(), 2u);
}

TEST(LogPrint, EmptyListAndFailedRecordsPrintAsShown) {
    std::vector<qvr::LogPrintRow> rows(1);
    rows[0][0] = QStringLiteral("   ***");
    TFormPrnArhiv form;
    qvr::ArchiveFileHeader h = MakeHeader();
    form.kind = 3;
    form.header = &h;
    form.grid = &rows;
    form.BuildLogPrint();
    EXPECT_EQ(form.QuickRep1.FindText(QStringLiteral("   ***")).size(), 1u);
    EXPECT_TRUE(form.QRLabel1->Caption.isEmpty());  // no heading given
    // Built again without rows: one empty page band, "из 1".
    form.grid = nullptr;
    form.BuildLogPrint();
    EXPECT_EQ(form.AlaPages.size(), 1u);
    EXPECT_TRUE(form.AlaPages[0]->Memo[0]->Lines.isEmpty());
    EXPECT_EQ(form.QRLabel31->Caption, QStringLiteral("из 1"));
    EXPECT_EQ(form.QuickRep1.Prepare(), 1);
}

TEST(LogPrint, LongListRendersToPdf) {
    TempDir tmp;
    Built b(qvr::kPrintAuditLog, 200);  // 62 + 69 + 69
    EXPECT_EQ(b.form.PageCount, 3);
    const QString path = QString::fromStdString(tmp.dir() + "aud.pdf");
    ASSERT_TRUE(b.form.QuickRep1.RenderToPdf(path));
    EXPECT_GT(QFileInfo(path).size(), 1000);
}

TEST(LogPrint, PrintCommandAsksForTheHeadingThenPrints) {
    TempDir tmp;
    const std::string savedDir = g_ProgDir;
    g_ProgDir = tmp.dir();
    std::vector<QString> printed;
    int pages = 0;
    qvr::SetReportOutputHook([&](TQuickRep& r, bool print) {
        EXPECT_TRUE(print);  // log lists go to the printer, not to the preview
        printed.push_back(r.TextPlacements().front().text);
        pages = r.PageCount();
        return true;
    });
    bool accept = false;
    qvr::SetPrintHeadingAsker([&](const qvr::ArchiveFileHeader*, qvr::PrintHeadingKind kind, char name[41]) {
        EXPECT_EQ(kind, 4);
        std::strcpy(name, "Scripted org");
        return accept;
    });
    const qvr::ArchiveFileHeader h = MakeHeader();
    EXPECT_FALSE(qvr::AskAndPrintLogList(nullptr, 4, h, Rows(5)));
    EXPECT_TRUE(printed.empty());
    accept = true;
    EXPECT_TRUE(qvr::AskAndPrintLogList(nullptr, 4, h, Rows(70)));
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(pages, 2);
    qvr::SetReportOutputHook(nullptr);
    qvr::SetPrintHeadingAsker(nullptr);
    g_ProgDir = savedDir;
}

TEST(LogPrint, RowsAreTakenFromGridColumnsOneToSeven) {
    QStandardItemModel model(2, 8);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 8; ++c) model.setItem(r, c, new QStandardItem(QStringLiteral("%1:%2").arg(r).arg(c)));
    const auto rows = qvr::LogRowsFromModel(model);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], QStringLiteral("0:1"));
    EXPECT_EQ(rows[1][6], QStringLiteral("1:7"));
    QStandardItemModel narrow(1, 3);  // fewer columns than a log grid: the rest empty
    EXPECT_TRUE(qvr::LogRowsFromModel(narrow)[0][5].isEmpty());
}

}  // namespace
