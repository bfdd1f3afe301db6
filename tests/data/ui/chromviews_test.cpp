// The chromatograph archive views offscreen: what the grids, headings and caption show,
// the hidden status columns and the detail form, rows selected and scrolled together,
// saving through the dialog, the print, passport and Excel hand-overs, and the views
// reached from the archive commands.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <array>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/rd_wr_ini.h"
#include "common/bytes.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/ui/formques.h"
#include "data/chromstatus.h"
#include "data/ui/archcommands.h"
#include "data/ui/formarhivhdm_chr.h"
#include "data/ui/formarhmom_chr.h"
#include "data/ui/formchromerr.h"
#include "reports/chromorder.h"
#include "reports/dailyreport.h"
#include "reports/printheading.h"
#include "reports/ui/formquesprn.h"
#include "reports/ui/xlsexport.h"
#include "reports/xlsx.h"
#include "support/joined.h"
#include "support/tempdir.h"
#include "support/whenshown.h"

using namespace qvr;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes Moment(int minute, uint8_t status, uint8_t wlo, uint8_t whi, float methane) {
    Bytes r(kChrom5MinRecordSize);
    StoreCtl(CtlDateTime(26, 12, 7, 9, uint8_t(minute % 60), 0), r.data());
    r[6] = status;
    r[7] = wlo;
    r[8] = whi;
    for (int i = 0; i < 20; ++i) PutF32(r.data() + 11 + 4 * i, float(i) + 0.5f);
    PutF32(r.data() + 11 + 4 * 8, methane);
    SealRecord(r.data(), r.size());
    return r;
}

Bytes HourDay(uint8_t hour, uint8_t endHour, uint8_t status) {
    Bytes r(kChromHourDayRecordSize);
    const uint8_t stamp[9] = {26, 12, 7, hour, 0, 0, endHour, 0, 0};
    std::memcpy(r.data(), stamp, 9);
    r[9] = status;
    for (int i = 0; i < 20; ++i) PutF32(r.data() + 10 + 4 * i, float(i) + 0.25f);
    PutF32(r.data() + 10 + 4 * 8, 92.5f);
    SealRecord(r.data(), r.size());
    return r;
}

ArchiveFileHeader Header(DataKind kind, uint32_t count) {
    uint8_t name[20];
    std::memset(name, ' ', sizeof name);
    std::memcpy(name, "KVR-7", 5);
    return MakeArchiveFileHeader(kind, name, 21, CtlDateTime(26, 12, 7, 10, 11, 12), CtlDateTime(26, 12, 7, 9, 0, 0),
                                 CtlDateTime(26, 12, 7, 9, 55, 0), count, 9, 0);
}

QString Cell(const QAbstractItemModel* m, int row, int col) { return m->data(m->index(row, col)).toString(); }

// Runs fn on the next modal window that opens, then closes it.
void OnNextModal(std::function<void(QWidget*)> fn) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, fn] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) return;
        timer->stop();
        timer->deleteLater();
        fn(w);
        w->close();
    });
    timer->start();
}

// Shows w and makes it the active window; false when it does not become active.
bool ShownActive(QWidget& w) {
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

class ChromViews : public ::testing::Test {
protected:
    void SetUp() override {
        savedRs = ReportSettings;
        ReportSettings = ReportSettingsRecord{};
        std::fill(std::begin(ReportSettings.fr), std::end(ReportSettings.fr), uint8_t(2));
        savedDir = g_ProgDir;
        g_ProgDir = dir.dir();
        ClearQuesRecord();
    }
    void TearDown() override {
        SetChromArchivePrintHook(nullptr);
        SetMomentPassportPrintHook(nullptr);
        SetChromSaveDialogHook(nullptr);
        SetPrintHeadingAsker(nullptr);
        SetPrintChoiceAsker(nullptr);
        SetArchiveViewHook(nullptr);
        SetDataOpenDialogHook(nullptr);
        SetQuesHandler(nullptr);
        ReportSettings = savedRs;
        g_ProgDir = savedDir;
        ClearQuesRecord();
    }
    ReportSettingsRecord savedRs;
    TempDir dir;
    std::string savedDir;
};

}  // namespace

TEST_F(ChromViews, MomentViewShowsGridsHeadingsAndCaption) {
    ReportSettings.calc_formula = 1;
    ReportSettings.thermal_unit = 1;
    Bytes recs = Joined({Moment(0, 0, 0, 0, 91.0f), Moment(5, 0x22, 0, 0, 91.0f), Moment(10, 0x08, 0x81, 0, 93.0f)});
    const ArchiveFileHeader h = Header(DataKind::Chrom5Min, 3);
    TFormArhMom_Chr f;
    f.Header = &h;
    f.Records = &recs;
    f.show();

    EXPECT_EQ(f.windowTitle(),
              "Мгновенные данные хроматографа за период  с  07.12.26 09:00:00  по  07.12.26 09:55:00");
    EXPECT_EQ(f.Label4->text(), "  Расчет по ГОСТ, без корректировки доли компонентов");
    EXPECT_TRUE(f.BitBtn4->isVisibleTo(&f));
    EXPECT_EQ(f.BitBtn5->text(), "Сохранить в формате Excel");
    const QAbstractItemModel* left = f.StringGrid1->model();
    const QAbstractItemModel* val = f.StringGrid2->model();
    ASSERT_EQ(left->rowCount(), 3);
    ASSERT_EQ(val->rowCount(), 3);
    ASSERT_EQ(val->columnCount(), 21);
    EXPECT_EQ(Cell(left, 0, 1), "  07.12.26");
    EXPECT_EQ(Cell(left, 2, 2), "  09:10:00");
    EXPECT_EQ(Cell(left, 2, 3), "  0x08");
    EXPECT_EQ(Cell(left, 2, 4), " 0x0081");
    EXPECT_EQ(Cell(val, 0, 9), "   91.00");  // display column 8: methane
    EXPECT_EQ(Cell(val, 1, 9), " Выкл.");
    EXPECT_EQ(Cell(val, 0, 12), "");  // oxygen: heading, no values
    EXPECT_EQ(val->headerData(9, Qt::Horizontal).toString(), "МД\nметана,\n\n%");
    EXPECT_EQ(val->headerData(12, Qt::Horizontal).toString(), "МД\nкисло-\nрода,\n%");
    EXPECT_EQ(val->headerData(13, Qt::Horizontal).toString(), "Удельная\nТсг\nвысшая,\nккал/м3");
    EXPECT_FLOAT_EQ(f.Means[8], 92.0f);  // rows 0 and 2

    // Status columns hidden at show; Ctrl+S's command reveals and hides them.
    EXPECT_EQ(f.StatusColumns, 0);
    EXPECT_TRUE(f.StringGrid1->isColumnHidden(3));
    EXPECT_TRUE(f.StringGrid1->isColumnHidden(4));
    EXPECT_FALSE(f.StringGrid1->isColumnHidden(2));
    const int narrow = f.StringGrid1->width();
    EXPECT_EQ(f.N1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_TRUE(f.actions().contains(f.N1));
    f.N1Click();
    EXPECT_EQ(f.StatusColumns, 1);
    EXPECT_FALSE(f.StringGrid1->isColumnHidden(3));
    EXPECT_GT(f.StringGrid1->width(), narrow);
    f.N1Click();
    EXPECT_TRUE(f.StringGrid1->isColumnHidden(4));

    // The passport record is zeroed and carries the controller.
    EXPECT_EQ(f.Passport.bytes[0], 0);
    EXPECT_EQ(std::memcmp(f.Passport.bytes + MomentPassportRecord::kName, "KVR-7", 5), 0);
    EXPECT_EQ(f.Passport.bytes[MomentPassportRecord::kAddress], 21);
    EXPECT_EQ(f.Passport.bytes[MomentPassportRecord::kReadTime + 3], 10);
    EXPECT_EQ(f.SelectedRow(), 0);
}

TEST_F(ChromViews, HourDayViewEndTimesAndStatusColumn) {
    Bytes recs = Joined({HourDay(0, 0x98, 0), HourDay(1, 0x18, 0x10)});
    const ArchiveFileHeader h = Header(DataKind::ChromDay, 2);
    TFormArhivHDM_Chr f;
    f.Header = &h;
    f.Records = &recs;
    f.PeriodKind = 1;
    f.show();
    EXPECT_EQ(f.windowTitle(), "Суточные данные хроматографа за период с 07.12.26  по  07.12.26");
    EXPECT_FALSE(f.BitBtn4->isVisibleTo(&f));
    const QAbstractItemModel* left = f.StringGrid1->model();
    EXPECT_EQ(Cell(left, 0, 3), "   24:00:00");
    EXPECT_EQ(Cell(left, 1, 3), "   24:00:00*");
    EXPECT_EQ(Cell(left, 1, 4), "     0x10");
    EXPECT_EQ(left->headerData(2, Qt::Horizontal).toString(), "Начало");
    EXPECT_EQ(Cell(f.StringGrid2->model(), 1, 9), "   92.50\"");
    EXPECT_EQ(Cell(f.StringGrid2->model(), 0, 9), "   92.50 ");
    EXPECT_EQ(f.StatusColumns, 0);
    EXPECT_TRUE(f.StringGrid1->isColumnHidden(4));
    EXPECT_FALSE(f.StringGrid1->isColumnHidden(3));
}

TEST_F(ChromViews, DetailFormOnlyWithStatusColumnsShown) {
    Bytes recs = Moment(35, 0x08, 0x81, 0x00, 91.0f);
    const ArchiveFileHeader h = Header(DataKind::Chrom5Min, 1);
    TFormArhMom_Chr f;
    f.Header = &h;
    f.Records = &recs;
    ASSERT_TRUE(ShownActive(f));
    const QModelIndex idx = f.StringGrid2->model()->index(0, 3);
    QWidget* cells = f.StringGrid2->viewport();
    const QPoint at = f.StringGrid2->visualRect(idx).center();

    // Status columns hidden: a double click on a row opens nothing.
    QStringList opened;
    auto* guard = new QTimer(&f);
    QObject::connect(guard, &QTimer::timeout, [&opened] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            opened << w->metaObject()->className();
            w->close();
        }
    });
    guard->start(10);
    QTest::mouseDClick(cells, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_TRUE(opened.isEmpty()) << opened.join(",").toStdString();
    guard->stop();

    // Ctrl+S, pressed in the window, reveals the status columns.
    f.StringGrid2->setFocus();
    QTest::keyClick(f.StringGrid2, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(f.StatusColumns, 1);
    EXPECT_FALSE(f.StringGrid1->isColumnHidden(3));
    QString title, heading, word;
    QStringList lines;
    bool wordVisible = false;
    OnNextModal([&](QWidget* w) {
        auto* e = qobject_cast<TFormChromError*>(w);
        ASSERT_NE(e, nullptr);
        title = e->windowTitle();
        heading = e->LabelByteHeading->text();
        word = e->LabelWordHeading->text();
        wordVisible = e->PanelWord->isVisible();
        for (QLabel* l : e->WordLines)
            if (l->isVisibleTo(e)) lines << l->text();
        EXPECT_EQ(e->width(), 450);
        EXPECT_EQ(e->PanelWord->height(), 2 * 15 + 8);
    });
    QTest::mouseDClick(cells, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(title, " Мгновенные 5-минутные данные (07.12.26  09:35:00)");
    EXPECT_EQ(heading, "  Статус контроллера: 0x08");
    EXPECT_EQ(word, "  Статус хроматографа: 0x0081");
    EXPECT_TRUE(wordVisible);
    EXPECT_EQ(lines, (QStringList{" Неудачная автокалибровка", " Хроматограф не отвечает"}));

    // The hour/day view opens it in mode 1 with the interval caption.
    Bytes hd = HourDay(10, 11, 0x80);
    const ArchiveFileHeader hh = Header(DataKind::ChromHour, 1);
    TFormArhivHDM_Chr g;
    g.Header = &hh;
    g.Records = &hd;
    g.show();
    TFormChromError e;
    g.PrepareChromError(0, e);
    EXPECT_EQ(e.Mode, 1);
    EXPECT_EQ(e.StatusByte, 0x80);
    EXPECT_EQ(e.windowTitle(), " Часовые данные с 07.12.26 10:00:00 по 11:00:00");
    e.show();
    EXPECT_EQ(e.LabelByteHeading->text(), "  Статус контроллера: 0x80");
    EXPECT_FALSE(e.PanelWord->isVisible());
    EXPECT_FALSE(e.ByteLines[0]->isVisibleTo(&e));  // an empty list
}

TEST_F(ChromViews, ErrorFormMomentControllerOff) {
    TFormChromError e;
    e.Mode = 0;
    e.StatusByte = 0x22;
    e.show();
    EXPECT_FALSE(e.PanelWord->isVisible());
    EXPECT_EQ(e.ByteLines[0]->text(), "Контроллер был выключен");
    EXPECT_EQ(e.ByteLines[1]->text(), QString::fromUtf8("Не было связи с ") + QString::fromUtf8(kChromUnitWord));
    EXPECT_EQ(e.PanelByte->height(), 2 * 15 + 8);
    EXPECT_EQ(e.height(), e.PanelByte->geometry().bottom() + 1 + 96);
}

TEST_F(ChromViews, RowsSelectedAndScrolledTogether) {
    Bytes recs;
    for (int i = 0; i < 200; ++i) {
        const Bytes r = Moment(i, 0, 0, 0, 90.0f);
        recs.insert(recs.end(), r.begin(), r.end());
    }
    const ArchiveFileHeader h = Header(DataKind::Chrom5Min, 200);
    TFormArhMom_Chr f;
    f.Header = &h;
    f.Records = &recs;
    f.show();
    QApplication::processEvents();
    EXPECT_EQ(f.StringGrid2->verticalScrollBar()->value(), 0);
    f.StringGrid1Click(f.StringGrid1->model()->index(150, 1));
    QApplication::processEvents();
    EXPECT_EQ(f.StringGrid2->currentIndex().row(), 150);
    EXPECT_EQ(f.SelectedRow(), 150);
    EXPECT_GT(f.StringGrid2->verticalScrollBar()->value(), 0);
    EXPECT_EQ(f.StringGrid1->verticalScrollBar()->value(), f.StringGrid2->verticalScrollBar()->value());
    f.StringGrid2Click(f.StringGrid2->model()->index(3, 5));
    QApplication::processEvents();
    EXPECT_EQ(f.StringGrid1->currentIndex().row(), 3);
    EXPECT_EQ(f.StringGrid1->verticalScrollBar()->value(), f.StringGrid2->verticalScrollBar()->value());

    // A short set fits and never scrolls.
    Bytes few;
    for (int i = 0; i < 10; ++i) {
        const Bytes r = Moment(i, 0, 0, 0, 90.0f);
        few.insert(few.end(), r.begin(), r.end());
    }
    const ArchiveFileHeader h10 = Header(DataKind::Chrom5Min, 10);
    TFormArhMom_Chr g;
    g.Header = &h10;
    g.Records = &few;
    g.show();
    QApplication::processEvents();
    g.StringGrid2Click(g.StringGrid2->model()->index(9, 1));
    QApplication::processEvents();
    EXPECT_EQ(g.StringGrid1->currentIndex().row(), 9);
    EXPECT_EQ(g.StringGrid2->verticalScrollBar()->value(), 0);
}

TEST_F(ChromViews, SaveButtonWritesTheRawSet) {
    Bytes recs = HourDay(5, 6, 0);
    recs[40] ^= 0x55;  // a damaged record is saved as it came
    const ArchiveFileHeader h = Header(DataKind::ChromHour, 1);
    TFormArhivHDM_Chr f;
    f.Header = &h;
    f.Records = &recs;
    f.show();
    std::vector<DataSaveRequest> asked;
    SetChromSaveDialogHook([&](const DataSaveRequest& r) {
        asked.push_back(r);
        return r.folder + "/hours";
    });
    f.BitBtn2Click();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].folder, dir.dir() + "HOURDATA");
    EXPECT_EQ(asked[0].filterIndex, 1);
    EXPECT_NE(asked[0].proposal.find("/qvr_13-021-"), std::string::npos);
    Bytes file;
    ASSERT_TRUE(ReadWholeFile(dir.dir() + "HOURDATA/hours.hch", file));
    const auto hb = h.Bytes();
    ASSERT_EQ(file.size(), 57 + 92u);
    EXPECT_TRUE(std::equal(hb.begin(), hb.end(), file.begin()));
    EXPECT_TRUE(std::equal(recs.begin(), recs.end(), file.begin() + 57));
    ASSERT_FALSE(ShownQues().empty());
    EXPECT_EQ(ShownQues().back().text1, "Данные сохранены в файле hours.hch.");
    EXPECT_EQ(recs[40], uint8_t(HourDay(5, 6, 0)[40] ^ 0x55));  // caller's records untouched

    // The daily view offers the daily filter and folder.
    const ArchiveFileHeader hd = Header(DataKind::ChromDay, 1);
    TFormArhivHDM_Chr d;
    d.Header = &hd;
    d.Records = &recs;
    d.PeriodKind = 1;
    d.show();
    SetChromSaveDialogHook([&](const DataSaveRequest& r) {
        asked.push_back(r);
        return std::string();
    });
    d.BitBtn2Click();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].folder, dir.dir() + "DAYDATA");
    EXPECT_EQ(asked[1].filterIndex, 2);
    EXPECT_EQ(asked[1].filters[1], "DataFiles(*.dch)");
}

TEST_F(ChromViews, PrintHandsTheGridsAndMeans) {
    Bytes recs = Joined({HourDay(0, 1, 0), HourDay(1, 2, 0x02)});
    const ArchiveFileHeader h = Header(DataKind::ChromHour, 2);
    TFormArhivHDM_Chr f;
    f.Header = &h;
    f.Records = &recs;
    f.show();

    std::vector<int> headingKinds;
    bool accept = false;
    SetPrintHeadingAsker([&](const ArchiveFileHeader* hdr, PrintHeadingKind kind, char org[41]) {
        headingKinds.push_back(kind);
        EXPECT_EQ(hdr->address, 21);
        std::strcpy(org, "ORG");
        return accept;
    });
    int printed = 0;
    SetChromArchivePrintHook([&](QWidget* parent, const ChromArchivePrintJob& job) {
        ++printed;
        EXPECT_EQ(parent, &f);
        EXPECT_EQ(job.kind, 0);
        EXPECT_STREQ(job.orgName, "ORG");
        EXPECT_FLOAT_EQ(job.means[8], 92.5f);
        EXPECT_EQ(job.header->recordCount, 2u);
        EXPECT_EQ(Cell(job.leftGrid, 1, 1), "   07.12.26");
        EXPECT_EQ(Cell(job.valueGrid, 1, 9), " ---");
    });
    f.BitBtn3Click();  // heading question cancelled: no print
    EXPECT_EQ(printed, 0);
    accept = true;
    f.BitBtn3Click();
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(headingKinds, (std::vector<int>{0, 0}));
    EXPECT_TRUE(ShownQues().empty());

    SetChromArchivePrintHook([](QWidget*, const ChromArchivePrintJob&) { throw std::runtime_error("x"); });
    f.BitBtn3Click();
    ASSERT_EQ(ShownQues().size(), 1u);
    EXPECT_EQ(ShownQues()[0].kind, kQuesError);
    EXPECT_EQ(ShownQues()[0].text1, "Ошибка печати данных");
    EXPECT_TRUE(f.isVisible());

    // The 5-minute view asks with kind 2; the daily one with kind 1.
    Bytes m = Moment(0, 0, 0, 0, 90.0f);
    const ArchiveFileHeader hm = Header(DataKind::Chrom5Min, 1);
    TFormArhMom_Chr mv;
    mv.Header = &hm;
    mv.Records = &m;
    mv.show();
    accept = false;
    mv.BitBtn3Click();
    TFormArhivHDM_Chr dv;
    const ArchiveFileHeader hd = Header(DataKind::ChromDay, 0);
    dv.Header = &hd;
    dv.PeriodKind = 1;
    dv.show();
    dv.BitBtn3Click();
    EXPECT_EQ(headingKinds, (std::vector<int>{0, 0, 0, 2, 1}));
}

TEST_F(ChromViews, PassportOfTheSelectedAnalysis) {
    ReportSettings.metan_corr = 1;  // the passport carries the converted analysis
    Bytes recs = Joined({Moment(0, 0, 0, 0, 90.0f), Moment(5, 0x08, 0, 0, 80.0f)});
    const ArchiveFileHeader h = Header(DataKind::Chrom5Min, 2);
    TFormArhMom_Chr f;
    f.Header = &h;
    f.Records = &recs;
    f.show();
    f.StringGrid2Click(f.StringGrid2->model()->index(1, 1));

    std::vector<uint8_t> choices{1, 2, 0};
    std::vector<uint8_t> seenModes;
    SetPrintChoiceAsker([&](uint8_t mode, const uint8_t*, const uint8_t* passport) {
        seenModes.push_back(mode);
        EXPECT_EQ(passport, f.Passport.bytes);
        const uint8_t c = choices.front();
        choices.erase(choices.begin());
        return c;
    });
    std::vector<bool> previews;
    std::string org;
    SetMomentPassportPrintHook([&](QWidget*, const uint8_t* p, const char* title, bool preview) {
        previews.push_back(preview);
        org = title;
        EXPECT_EQ(p[MomentPassportRecord::kAnalysisTime + 4], 5);  // minute of row 1
        EXPECT_EQ(p[MomentPassportRecord::kReportTexts], 'R');
        EXPECT_EQ(GetF32(p + MomentPassportRecord::kAnalysis + 4 * 8),
                  f.ArchiveSet().Converted(1).v[8]);  // the converted analysis
    });
    // report.ini and title.ini in place.
    MakeDir(dir.dir() + "REPORT");
    MakeDir(IniFolderPath());
    Bytes report(300, 0);  // shorter than the record: what it holds is used
    report[0] = 'R';
    ASSERT_TRUE(WriteFileAtomic(ReportFormatPath(), report.data(), report.size()));
    ASSERT_TRUE(WriteFileAtomic(OrgTitlePath(), std::string("Gas Org")));

    f.BitBtn4Click();
    EXPECT_EQ(seenModes, (std::vector<uint8_t>{1, 1, 1}));
    EXPECT_EQ(previews, (std::vector<bool>{true, false}));
    EXPECT_EQ(org, "Gas Org");
    EXPECT_EQ(f.ReportIniLoaded, 1);
    EXPECT_EQ(f.TitleIniLoaded, 1);
    EXPECT_EQ(f.Passport.bytes[MomentPassportRecord::kKind], 0);
    for (size_t i = MomentPassportRecord::kZero; i < MomentPassportRecord::kAnalysis; ++i)
        EXPECT_EQ(f.Passport.bytes[i], 0);

    // Once read, the files are not read again.
    ASSERT_TRUE(WriteFileAtomic(OrgTitlePath(), std::string("Other")));
    choices = {1, 0};
    f.BitBtn4Click();
    EXPECT_EQ(org, "Gas Org");
}

TEST_F(ChromViews, PassportOfAnUnreliableAnalysisIsRefused) {
    Bytes bad = Moment(0, 0, 0, 0, 90.0f);
    bad[20] ^= 0x01;
    Bytes recs =
        Joined({bad, Moment(5, 0x20, 0, 0, 90.0f), Moment(10, 0x02, 0, 0, 90.0f), Moment(15, 0x22, 0, 0, 90.0f)});
    const ArchiveFileHeader h = Header(DataKind::Chrom5Min, 4);
    TFormArhMom_Chr f;
    f.Header = &h;
    f.Records = &recs;
    ASSERT_TRUE(ShownActive(f));

    int asked = 0, printed = 0;
    SetPrintChoiceAsker([&](uint8_t, const uint8_t*, const uint8_t*) {
        ++asked;
        return uint8_t(asked % 2 ? 2 : 0);  // print once, then leave
    });
    SetMomentPassportPrintHook([&](QWidget*, const uint8_t*, const char*, bool) { ++printed; });
    InstallQuesFormHandler();
    const std::vector<std::string> reasons{"(данные анализа недостоверны)", "(не было связи с хроматографом)",
                                           "(контроллер был выключен)", "(контроллер был выключен)"};
    for (int row = 0; row < 4; ++row) {
        const QRect cell = f.StringGrid2->visualRect(f.StringGrid2->model()->index(row, 1));
        QTest::mouseClick(f.StringGrid2->viewport(), Qt::LeftButton, {}, cell.center());
        ASSERT_EQ(f.SelectedRow(), row);
        QString caption, line1, line2;
        bool fits = false;
        WhenShown<TFormQues>([&](TFormQues& q) {
            caption = q.windowTitle();
            line1 = q.Label1->text();
            line2 = q.Label2->text();
            fits = q.Label1->width() >= q.Label1->fontMetrics().horizontalAdvance(line1) &&
                   q.Label2->width() >= q.Label2->fontMetrics().horizontalAdvance(line2);
            QTest::mouseClick(q.BitBtn3, Qt::LeftButton);
        });
        QTest::mouseClick(f.BitBtn4, Qt::LeftButton);
        EXPECT_EQ(caption.toStdString(), "Ошибка") << row;
        EXPECT_EQ(line1.toStdString(), "Паспорт анализа не может быть напечатан") << row;
        EXPECT_EQ(line2.toStdString(), reasons[size_t(row)]) << row;
        EXPECT_TRUE(fits) << row;
    }
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(printed, 0);
    EXPECT_EQ(ShownQues().size(), 4u);

    // An empty set: the button shows and prints nothing.
    const ArchiveFileHeader none = Header(DataKind::Chrom5Min, 0);
    Bytes noRecords;
    TFormArhMom_Chr e;
    e.Header = &none;
    e.Records = &noRecords;
    ASSERT_TRUE(ShownActive(e));
    ClearQuesRecord();
    QTest::mouseClick(e.BitBtn4, Qt::LeftButton);
    EXPECT_TRUE(ShownQues().empty());
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(printed, 0);
    SetQuesHandler(nullptr);
}

TEST_F(ChromViews, PassportWithoutFilesKeepsZeroTexts) {
    Bytes recs = Moment(0, 0, 0, 0, 90.0f);
    const ArchiveFileHeader h = Header(DataKind::Chrom5Min, 1);
    TFormArhMom_Chr f;
    f.Header = &h;
    f.Records = &recs;
    f.show();
    SetPrintChoiceAsker([](uint8_t, const uint8_t*, const uint8_t*) { return uint8_t(0); });
    f.BitBtn4Click();
    EXPECT_EQ(f.ReportIniLoaded, 0);
    EXPECT_EQ(f.TitleIniLoaded, 0);
    EXPECT_EQ(f.Passport.bytes[MomentPassportRecord::kReportTexts], 0);
    EXPECT_EQ(f.OrgTitle[0], 0);
    EXPECT_EQ(f.Passport.bytes[MomentPassportRecord::kAnalysisTime + 2], 7);
}

TEST_F(ChromViews, ExcelExportCarriesTheScreenTexts) {
    Bytes recs = Joined({HourDay(0, 0x98, 0), HourDay(1, 0x18, 0x02)});
    const ArchiveFileHeader h = Header(DataKind::ChromDay, 2);
    TFormArhivHDM_Chr f;
    f.Header = &h;
    f.Records = &recs;
    f.PeriodKind = 1;
    f.show();
    MakeDir(dir.dir() + "DAYDATA");
    std::vector<ExcelSaveRequest> asked;
    SetExcelSaveDialogHook([&](const ExcelSaveRequest& r) {
        asked.push_back(r);
        return QString::fromStdString(dir.dir() + "DAYDATA/days");
    });
    f.BitBtn5Click();
    SetExcelSaveDialogHook(nullptr);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].folder.toStdString(), dir.dir() + "DAYDATA");
    ASSERT_TRUE(FileExists(dir.dir() + "DAYDATA/days.xlsx"));

    auto app = xlsx::Application::Create("excel.application");
    ASSERT_NE(app, nullptr);
    xlsx::Worksheet& sh = app->WorkBooks().Open(dir.dir() + "DAYDATA/days.xlsx").ActiveSheet();
    EXPECT_EQ(sh.Cells(1, 1).Text(), (f.windowTitle() + ".   " + f.Label4->text()).toStdString());
    EXPECT_EQ(sh.Cells(6, 1).Text(), "   07.12.26");
    EXPECT_EQ(sh.Cells(6, 3).Text(), "   24:00:00");
    EXPECT_EQ(sh.Cells(7, 3).Text(), "   24:00:00*");
    EXPECT_EQ(sh.Cells(6, 3 + 9).Text(), "   92.50 ");  // methane, display column 8
    EXPECT_EQ(sh.Cells(7, 3 + 9).Text(), " ---");
    EXPECT_TRUE(f.isEnabled());
}

TEST_F(ChromViews, ArchiveCommandsOpenTheViews) {
    int others = 0;
    InstallChromArchiveViews([&](QWidget*, DataKind k, const ArchiveFileHeader&, const Bytes&, int) {
        EXPECT_EQ(k, DataKind::WmtHour);
        ++others;
    });
    MakeDir(dir.dir() + "DAYDATA");
    Bytes recs = Joined({HourDay(0, 0x98, 0), HourDay(0, 0x98, 0)});
    const std::string path = dir.dir() + "DAYDATA/a.dch";
    ASSERT_TRUE(SaveDataFile(path, Header(DataKind::ChromDay, 2), recs, DataKind::ChromDay));

    QString title;
    int rows = -1;
    uint8_t period = 9;
    OnNextModal([&](QWidget* w) {
        auto* v = qobject_cast<TFormArhivHDM_Chr*>(w);
        ASSERT_NE(v, nullptr);
        title = v->windowTitle();
        rows = v->StringGrid2->model()->rowCount();
        period = v->PeriodKind;
    });
    EXPECT_TRUE(OpenDataFileForView(DataKind::ChromDay, path, nullptr));
    EXPECT_EQ(period, 1);
    EXPECT_EQ(rows, 2);
    EXPECT_TRUE(title.startsWith("Суточные данные хроматографа"));

    const std::string mpath = dir.dir() + "m.mch";
    Bytes m = Moment(0, 0, 0, 0, 90.0f);
    ASSERT_TRUE(SaveDataFile(mpath, Header(DataKind::Chrom5Min, 1), m, DataKind::Chrom5Min));
    bool moment = false;
    OnNextModal([&](QWidget* w) { moment = qobject_cast<TFormArhMom_Chr*>(w) != nullptr; });
    EXPECT_TRUE(OpenDataFileForView(DataKind::Chrom5Min, mpath, nullptr));
    EXPECT_TRUE(moment);

    // Other kinds go on to the hook given.
    Bytes none;
    EXPECT_FALSE(ShowChromArchiveView(nullptr, DataKind::WmtHour, Header(DataKind::WmtHour, 0), none, 6));
    const std::string wpath = dir.dir() + "w.hwm";
    ArchiveFileHeader wh = Header(DataKind::WmtHour, 0);
    ASSERT_TRUE(SaveDataFile(wpath, wh, none, DataKind::WmtHour));
    EXPECT_TRUE(OpenDataFileForView(DataKind::WmtHour, wpath, nullptr));
    EXPECT_EQ(others, 1);
}
