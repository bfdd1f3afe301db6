// The band-report layer: page geometry in report pixels, band order and page breaks,
// headers and footers, page numbers, multi-line items, ownership, and PDF output.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QPrintPreviewDialog>
#include <QFile>
#include <QFontInfo>
#include <QPrinter>
#include <QRegularExpression>

#include <memory>

#include "common/ui/appfonts.h"
#include "reports/ui/qreport.h"
#include "support/reportink.h"
#include "support/tempdir.h"
#include "support/whenshown.h"

namespace {

// Number of page objects in a PDF file.
int PdfPageCount(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray data = f.readAll();
    if (!data.startsWith("%PDF")) return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    int n = 0;
    auto it = page.globalMatch(QString::fromLatin1(data));
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

TQRLabel* AddLabel(TQRCustomBand* band, int left, int top, const QString& text) {
    auto* l = new TQRLabel(band);
    l->Left = left;
    l->Top = top;
    l->Caption = text;
    return l;
}

TEST(QReport, A4PageInReportPixels) {
    EXPECT_NEAR(MmToReportPixels(210), 992.1, 0.1);
    TQuickRep rep;
    EXPECT_EQ(rep.PageValue(pvLength), 297);
    EXPECT_EQ(rep.PageValue(pvWidth), 210);
    rep.SetPageValue(pvLeftMargin, 16);
    rep.SetPageValue(pvTopMargin, 10);
    EXPECT_EQ(rep.PageValue(4), 16);
    EXPECT_EQ(rep.PageValue(7), 0);  // outside the seven values
    rep.SetPageValue(-1, 5);          // ignored

    auto* band = new TQRSubDetail(&rep);
    band->Height = 30;
    AddLabel(band, 5, 7, QStringLiteral("x"));
    auto found = rep.FindText(QStringLiteral("x"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].page, 1);
    EXPECT_NEAR(found[0].rect.left(), MmToReportPixels(16) + 5, 0.01);
    EXPECT_NEAR(found[0].rect.top(), MmToReportPixels(10) + 7, 0.01);
    // The band spans the page between the margins.
    const auto& bp = rep.BandPlacements();
    ASSERT_EQ(bp.size(), 1u);
    EXPECT_NEAR(bp[0].rect.width(), MmToReportPixels(210 - 16 - 10), 0.01);
}

TEST(QReport, TitlesFirstThenBodyInOrderWithPageBreaksHeadersAndFooters) {
    TQuickRep rep;  // body height: 277 mm = 1308.7 pixels
    auto* header = new TQRBand(&rep, rbPageHeader);
    header->Height = 50;
    AddLabel(header, 0, 0, QStringLiteral("H"));
    auto* footer = new TQRBand(&rep, rbPageFooter);
    footer->Height = 29;
    auto* expr = new TQRExpr(footer);
    expr->Expression = QStringLiteral("PAGENUMBER");
    auto* a = new TQRSubDetail(&rep);
    a->Height = 600;
    AddLabel(a, 0, 0, QStringLiteral("A"));
    auto* title = new TQRBand(&rep, rbTitle);  // made after a body band, printed first
    title->Height = 100;
    AddLabel(title, 0, 0, QStringLiteral("T"));
    auto* b = new TQRSubDetail(&rep);
    b->Height = 600;  // 50 + 100 + 600 + 600 > 1308.7 - 29: next page
    AddLabel(b, 0, 0, QStringLiteral("B"));
    auto* c = new TQRSubDetail(&rep);
    c->Height = 10;
    c->ForceNewPage = true;
    AddLabel(c, 0, 0, QStringLiteral("C"));
    auto* child = new TQRChildBand(&rep, a);
    child->Height = 20;
    AddLabel(child, 0, 0, QStringLiteral("after A"));

    EXPECT_EQ(rep.Prepare(), 3);
    const double top = MmToReportPixels(10);
    auto at = [&](const char* t) { return rep.FindText(QString::fromUtf8(t)); };
    ASSERT_EQ(at("T").size(), 1u);
    EXPECT_NEAR(at("T")[0].rect.top(), top + 50, 0.01);
    EXPECT_NEAR(at("A")[0].rect.top(), top + 150, 0.01);
    EXPECT_NEAR(at("after A")[0].rect.top(), top + 750, 0.01);
    EXPECT_EQ(at("B")[0].page, 2);
    EXPECT_NEAR(at("B")[0].rect.top(), top + 50, 0.01);
    EXPECT_EQ(at("C")[0].page, 3);
    // Header and footer on every page; the footer at the bottom of the body.
    EXPECT_EQ(at("H").size(), 3u);
    for (int p = 1; p <= 3; ++p) {
        auto n = at(std::to_string(p).c_str());
        ASSERT_EQ(n.size(), 1u) << p;
        EXPECT_EQ(n[0].page, p);
        EXPECT_NEAR(n[0].rect.top(), top + MmToReportPixels(277) - 29, 0.01);
    }
    rep.FirstPageHeader = false;
    rep.LastPageFooter = false;
    EXPECT_EQ(at("H").size(), 2u);
    EXPECT_TRUE(at("3").empty());
    EXPECT_NEAR(at("T")[0].rect.top(), top, 0.01);
}

TEST(QReport, ForceNewPageOnTheFirstBodyBandDoesNotLeaveAnEmptyPage) {
    TQuickRep rep;
    EXPECT_EQ(rep.Prepare(), 1);  // an empty report is one page
    auto* a = new TQRSubDetail(&rep);
    a->ForceNewPage = true;
    EXPECT_EQ(rep.Prepare(), 1);
    auto* b = new TQRSubDetail(&rep);
    b->ForceNewPage = true;
    EXPECT_EQ(rep.Prepare(), 2);
    b->Enabled = false;
    EXPECT_EQ(rep.Prepare(), 1);
}

TEST(QReport, MemoLinesCloseUpToTheMemoHeight) {
    TQuickRep rep;
    auto* band = new TQRSubDetail(&rep);
    band->Height = 1000;
    auto* m = new TQRMemo(band);
    m->SetFont(QStringLiteral("MS Sans Serif"), 8);
    m->Top = 63;
    for (int i = 0; i < 58; ++i) m->Lines << QString::number(i);
    m->Height = 17 + 13 * 57;  // grown 13 pixels per row
    auto lines = rep.TextPlacements();
    ASSERT_EQ(lines.size(), 58u);
    const double pitch = lines[1].rect.top() - lines[0].rect.top();
    EXPECT_LE(pitch, 13.1);
    EXPECT_GE(pitch, 12.9);
    EXPECT_LE(lines.back().rect.bottom(), MmToReportPixels(10) + 63 + m->Height + 0.01);
    // Few lines keep the font's own pitch.
    m->Lines = QStringList{QStringLiteral("a"), QStringLiteral("b")};
    lines = rep.TextPlacements();
    EXPECT_GT(lines[1].rect.top() - lines[0].rect.top(), 13.0);
}

TEST(QReport, AutoSizeLabelTakesTheWidthOfItsText) {
    TQuickRep rep;
    auto* band = new TQRSubDetail(&rep);
    auto* shortL = AddLabel(band, 2, 2, QStringLiteral("ab"));
    auto* longL = AddLabel(band, 2, 30, QString(41, QLatin1Char('_')));
    shortL->AutoSize = longL->AutoSize = true;
    EXPECT_LT(shortL->BandRect().width(), longL->BandRect().width());
    EXPECT_GT(longL->BandRect().width(), 100);
    longL->AutoSize = false;
    EXPECT_EQ(longL->BandRect().width(), 65);  // the default width
}

TEST(QReport, FontsAreSizedInReportPixels) {
    EXPECT_EQ((TQRFont{QStringLiteral("Arial"), 9, false}).ToQFont().pixelSize(), 15);
    EXPECT_EQ((TQRFont{QStringLiteral("MS Sans Serif"), 8, false}).ToQFont().pixelSize(), 13);
    TQuickRep rep;
    rep.Font = TQRFont{QStringLiteral("Arial"), 11, false};
    auto* band = new TQRSubDetail(&rep);
    auto* l = new TQRLabel(band);
    EXPECT_EQ(l->EffectiveFont().Size, 11);  // report font through the band
    band->SetFont(QStringLiteral("MS Sans Serif"), 8);
    EXPECT_EQ(l->EffectiveFont().Size, 8);
    l->SetFont(QStringLiteral("Arial"), 12, true);
    EXPECT_TRUE(l->EffectiveFont().Bold);
    auto* r = new TQRRichText(band);  // keeps its own default font
    EXPECT_FALSE(r->ParentFont);
}

// The report's fonts resolve to the metric-compatible faces by themselves, without the
// application's font substitutions.
TEST(QReport, FontsResolveToTheMetricCompatibleFaces) {
    const QStringList names{QStringLiteral("Arial"), QStringLiteral("MS Sans Serif"), QStringLiteral("Times New Roman")};
    for (const QString& n : names) QFont::removeSubstitutions(n);
    EXPECT_EQ(QFontInfo((TQRFont{QStringLiteral("Arial"), 10, false}).ToQFont()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo((TQRFont{QStringLiteral("MS Sans Serif"), 8, true}).ToQFont()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo((TQRFont{QStringLiteral("Times New Roman"), 12, false}).ToQFont()).family(), "Liberation Serif");
    qvr::InstallProgramFonts();
}

// The fit check finds a text wider than its item, a text off the paper and texts that run
// into each other; a ShrinkToFit item prints a long text smaller, down to 6 points; what is
// still too long is cut at its item's edge.
TEST(QReport, FitCheckAndShrinkToFit) {
    TQuickRep rep;
    rep.Font = TQRFont{QStringLiteral("Arial"), 10, false};
    auto* band = new TQRSubDetail(&rep);
    band->Height = 200;
    auto* fits = AddLabel(band, 0, 0, QStringLiteral("Дата"));
    fits->Width = 60;
    EXPECT_TRUE(rep.FitProblems().empty());

    const QString longText = QStringLiteral("Представитель поставщика газа Щербаков");
    auto* wide = AddLabel(band, 0, 40, longText);
    wide->Width = 200;
    auto* next = AddLabel(band, 210, 40, QStringLiteral("Подпись"));  // where the long text runs
    next->Width = 100;
    // Cut at its item's edge, it does not reach the next text.
    auto problems = rep.FitProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].item, wide);
    EXPECT_TRUE(problems[0].problem.startsWith("needs")) << problems[0].problem.toStdString();
    EXPECT_GT(problems[0].textRect.width(), 200);
    next->Left = 180;  // over the end of the long text's item
    problems = rep.FitProblems();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_TRUE(problems[1].problem.startsWith("overlaps")) << problems[1].problem.toStdString();
    next->Left = 210;

    // Shrunk, it fits its width and runs into nothing.
    wide->ShrinkToFit = true;
    EXPECT_TRUE(rep.FitProblems().empty());
    for (const auto& t : rep.TextPlacements())
        if (t.item == wide) {
            EXPECT_LT(t.font.pixelSize(), 17);
            EXPECT_GE(t.font.pixelSize(), 10);  // 6 points on 120 pixels to the inch
            EXPECT_LE(QFontMetricsF(t.font).horizontalAdvance(longText), 200);
        }
    // Too long even at 6 points: printed at 6 points and reported.
    wide->Width = 60;
    next->Left = 300;
    problems = rep.FitProblems();
    ASSERT_EQ(problems.size(), 1u);
    for (const auto& t : rep.TextPlacements())
        if (t.item == wide) {
            EXPECT_EQ(t.font.pixelSize(), 10);
        }
    // It is cut at the label's edge, its start showing whatever the alignment (a centred
    // one reached past the paper's edge).
    for (TAlignment a : {taLeftJustify, taCenter, taRightJustify}) {
        wide->Alignment = a;
        const LabelInk ink = InkOf(rep, wide);
        EXPECT_TRUE(ink.Inside()) << a << ": ink " << ink.ink.left() << ".." << ink.ink.right();
        EXPECT_LT(ink.ink.left(), ink.item.left() + 2) << a;
    }
    wide->Alignment = taLeftJustify;

    // A memo line too wide for its column is reported too; one off the paper as well.
    wide->Width = 400;
    next->Left = 420;
    auto* memo = new TQRMemo(band);
    memo->Left = 500;
    memo->Top = 100;
    memo->Width = 70;
    memo->Height = 40;
    memo->Lines = QStringList{QStringLiteral("12.03.26"), QStringLiteral("14:03:07 14:03:07")};
    AddLabel(band, 1000, 150, QStringLiteral("x"));
    problems = rep.FitProblems();
    ASSERT_EQ(problems.size(), 2u) << problems[0].problem.toStdString() << problems[1].problem.toStdString();
    EXPECT_EQ(problems[0].text, QStringLiteral("14:03:07 14:03:07"));
    EXPECT_EQ(problems[1].problem, QStringLiteral("off the paper"));
}

TEST(QReport, OwnersDeleteWhatTheyHold) {
    auto rep = std::make_unique<TQuickRep>();
    auto* band = new TQRSubDetail(rep.get());
    auto* item = AddLabel(band, 0, 0, QStringLiteral("x"));
    delete item;
    EXPECT_TRUE(band->Items().empty());
    AddLabel(band, 0, 0, QStringLiteral("y"));
    auto* parent = new TQRSubDetail(rep.get());
    auto* child = new TQRChildBand(rep.get(), parent);
    delete band;  // deletes its label, leaves the report
    EXPECT_EQ(rep->Bands().size(), 2u);
    delete parent;
    EXPECT_EQ(child->ParentBand, nullptr);
    AddLabel(child, 0, 0, QStringLiteral("z"));
    rep.reset();  // deletes the remaining band and its item (checked by the sanitizers)
}

TEST(QReport, RendersEveryPageToPdf) {
    TempDir tmp;
    TQuickRep rep;
    for (int i = 0; i < 3; ++i) {
        auto* b = new TQRSubDetail(&rep);
        b->Height = 100;
        b->ForceNewPage = true;
        b->Frame.SetAll(true);
        AddLabel(b, 10, 10, QStringLiteral("Страница %1").arg(i + 1));
    }
    const QString path = QString::fromStdString(tmp.dir() + "r.pdf");
    ASSERT_TRUE(rep.RenderToPdf(path));
    EXPECT_EQ(PdfPageCount(path), 3);
    EXPECT_FALSE(rep.RenderToPdf(QString::fromStdString(tmp.dir() + "missing/r.pdf")));
}

// The printer's page range and copies, as the printer dialog sets them.
TEST(QReport, PrintsThePageRangeAndCopiesThePrinterAsksFor) {
    TempDir tmp;
    TQuickRep rep;
    for (int i = 0; i < 4; ++i) {
        auto* b = new TQRSubDetail(&rep);
        b->ForceNewPage = true;
        AddLabel(b, 10, 10, QStringLiteral("Страница %1").arg(i + 1));
    }
    struct Case {
        int from, to, copies;
        bool collate;
        int sheets;
    };
    const Case cases[] = {{0, 0, 1, true, 4}, {2, 2, 1, true, 1}, {2, 3, 1, true, 2},
                          {3, 9, 1, true, 2}, {2, 3, 2, true, 4}, {1, 1, 3, false, 3}};
    int n = 0;
    for (const Case& c : cases) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = QString::fromStdString(tmp.dir()) + QStringLiteral("p%1.pdf").arg(++n);
        printer.setOutputFileName(path);
        if (c.from > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(c.from, c.to);
        }
        printer.setCopyCount(c.copies);
        printer.setCollateCopies(c.collate);
        ASSERT_TRUE(rep.PrintTo(printer)) << n;
        const int copiesMade = printer.supportsMultipleCopies() ? 1 : c.copies;
        EXPECT_EQ(PdfPageCount(path), c.sheets / c.copies * copiesMade) << n;
    }
}

TEST(QReport, PreviewAndPrintGoThroughTheOutputHook) {
    TQuickRep rep;
    int previews = 0, prints = 0;
    qvr::SetReportOutputHook([&](TQuickRep& r, bool print) {
        EXPECT_EQ(&r, &rep);
        (print ? prints : previews)++;
        return print;
    });
    rep.Preview();
    EXPECT_TRUE(rep.Print());
    qvr::SetReportOutputHook(nullptr);
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(prints, 1);
}

TEST(QReport, PreviewShowsAModalPreviewWindowThatDrawsTheReport) {
    TQuickRep rep;
    auto* b = new TQRSubDetail(&rep);
    AddLabel(b, 10, 10, QStringLiteral("Просмотр"));
    bool seen = false;
    WhenShown<QPrintPreviewDialog>([&](QPrintPreviewDialog& d) {
        seen = true;
        d.reject();
    });
    rep.Preview();  // returns once the preview window is closed
    EXPECT_TRUE(seen);
}

}  // namespace
