// The moisture-analyser archive views offscreen: caption, headings by analyser type, the
// grid's texts, window size, save (dialog, replace question, file) and print hand-over.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "data/ui/formarhivhd_wmt.h"
#include "data/ui/formarhmom_wmt.h"
#include "reports/ui/formquesprn.h"
#include "support/tempdir.h"

using namespace qvr;
using Bytes = std::vector<uint8_t>;

namespace {

ArchiveFileHeader Header(DataKind kind, uint32_t count, uint8_t moistureType) {
    uint8_t name[20] = {'W', 'M', 'T'};
    return MakeArchiveFileHeader(kind, name, 42, CtlDateTime(26, 12, 7, 14, 30, 45), CtlDateTime(26, 12, 1, 10, 5, 0),
                                 CtlDateTime(26, 12, 2, 11, 55, 0), count, 9, moistureType);
}

Bytes Moment(uint8_t status, float v) {
    Moisture5MinRecord r;
    r.time = CtlDateTime(26, 12, 1, 10, 5, 0);
    r.status = status;
    for (float& x : r.values) x = v;
    Bytes b(Moisture5MinRecord::kSize);
    r.Store(b.data());
    SealRecord(b.data(), b.size());
    return b;
}

Bytes Mean(uint8_t endHour) {
    MoistureHourDayRecord r;
    r.stamp.date[0] = 26, r.stamp.date[1] = 12, r.stamp.date[2] = 1;
    r.stamp.end[0] = endHour;
    for (float& x : r.values) x = -20.0f;
    Bytes b(MoistureHourDayRecord::kSize);
    r.Store(b.data());
    SealRecord(b.data(), b.size());
    return b;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

QString Cell(const TMoistureArchiveForm& f, int row, int column) {
    return f.Model->data(f.Model->index(row, column)).toString();
}

QString Heading(const TMoistureArchiveForm& f, int column) {
    return f.Model->headerData(column, Qt::Horizontal).toString();
}

class MoistViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedProgDir = g_ProgDir;
        g_ProgDir = tmp.dir();
        ClearQuesRecord();
    }
    void TearDown() override {
        SetMoistureSaveDialogHook(nullptr);
        SetMoistureArchivePrintHook(nullptr);
        SetPrintHeadingAsker(nullptr);
        ClearQuesRecord();
        g_ProgDir = savedProgDir;
    }
    TempDir tmp;
    std::string savedProgDir;
};

}  // namespace

TEST_F(MoistViewsTest, MomentViewShowsTheSet) {
    Bytes bad = Moment(0, 1);
    bad[20] ^= 0xFF;
    const Bytes records = Join({Moment(0, 1.5f), Moment(0x06, 1), bad, Moment(0x04, 1)});
    const ArchiveFileHeader h = Header(DataKind::Wmt5Min, 4, 2);
    TFormArhMom_Wmt f;
    f.Header = &h;
    f.Records = &records;
    f.show();
    EXPECT_EQ(f.windowTitle(),
              QStringLiteral("Мгновенные данные влагомера за период  с  01.12.26 10:05:00  по  02.12.26 11:55:00"));
    EXPECT_EQ(f.Model->rowCount(), 4);
    EXPECT_EQ(f.Model->columnCount(), 8);
    EXPECT_EQ(f.width(), 720);
    EXPECT_EQ(f.StringGrid1->currentIndex().row(), 0);
    EXPECT_EQ(Cell(f, 0, 0), QStringLiteral("  01.12.26"));
    EXPECT_EQ(Cell(f, 0, 4), QStringLiteral("  1.50"));
    EXPECT_EQ(Cell(f, 1, 3), QString());
    EXPECT_EQ(Cell(f, 1, 7), QStringLiteral("  Выкл."));
    EXPECT_EQ(Cell(f, 2, 0), QStringLiteral("     Данные"));
    EXPECT_EQ(Cell(f, 2, 1), QStringLiteral(" недостов."));
    EXPECT_EQ(Cell(f, 2, 4), QString());
    EXPECT_EQ(Cell(f, 3, 3), QStringLiteral(" Нет связи"));
    EXPECT_EQ(Cell(f, 3, 5), QStringLiteral("       0"));
    // Analyser type 2: the third value column is the gas pressure in МПа.
    EXPECT_EQ(Heading(f, 6), QStringLiteral("\nР. газа\n\nМПа"));
    EXPECT_EQ(Heading(f, 4), QStringLiteral("Т т.росы\nWDP\nпри Рраб.\n°С"));
    EXPECT_EQ(Heading(f, 3), QStringLiteral("Признаки\nсостояния\nвлагомера"));
    // The width stays at 720 when the form is stretched.
    f.resize(900, f.height());
    EXPECT_LE(f.width(), 720);
}

TEST_F(MoistViewsTest, HourDayViewFollowsItsKind) {
    const Bytes records = Join({Mean(0x0A), Mean(0x8A)});
    const ArchiveFileHeader h = Header(DataKind::WmtDay, 2, 0);
    TFormArhivHD_Wmt f;
    f.Header = &h;
    f.Records = &records;
    f.Kind = kPrintWmtDay;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Суточные данные влагомера за период с 01.12.26  по  02.12.26"));
    EXPECT_EQ(Cell(f, 0, 2), QStringLiteral("   10:00:00*"));
    EXPECT_EQ(Cell(f, 1, 2), QStringLiteral("   10:00:00"));
    EXPECT_EQ(Cell(f, 1, 7), QStringLiteral("  -20.00"));
    EXPECT_EQ(Heading(f, 6), QStringLiteral("Р изб.\nWDP\n\nbar"));
    EXPECT_EQ(Heading(f, 2), QStringLiteral("\nВремя\nконца"));

    TFormArhivHD_Wmt hourly;
    const ArchiveFileHeader hh = Header(DataKind::WmtHour, 2, 0);
    hourly.Header = &hh;
    hourly.Records = &records;
    hourly.Kind = kPrintWmtHour;
    hourly.show();
    EXPECT_EQ(hourly.windowTitle(),
              QStringLiteral("Часовые данные влагомера за период с 01.12.26  10ч  по  02.12.26  11ч"));
    EXPECT_EQ(Cell(hourly, 1, 2), QStringLiteral("   138:00:00"));
}

TEST_F(MoistViewsTest, SaveAsksBeforeReplacingAndWritesHeaderAndRecords) {
    const Bytes records = Join({Moment(0, 1), Moment(0x20, 2)});
    const ArchiveFileHeader h = Header(DataKind::Wmt5Min, 2, 1);
    TFormArhMom_Wmt f;
    f.Header = &h;
    f.Records = &records;
    f.show();

    const std::string folder = tmp.dir() + "MOMDATA";
    ASSERT_TRUE(MakeDir(folder));
    const std::string existing = folder + "/old.mwm";
    const uint8_t junk[3] = {1, 2, 3};
    ASSERT_TRUE(WriteFileAtomic(existing, junk, 3));

    std::vector<DataSaveRequest> asked;
    std::vector<std::string> answers = {existing, folder + "/fresh"};
    SetMoistureSaveDialogHook([&](const DataSaveRequest& r) {
        asked.push_back(r);
        const std::string a = answers.front();
        answers.erase(answers.begin());
        return a;
    });
    QueueQuesAnswers({0});  // keep the existing file, choose again
    f.BitBtn2->click();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].folder, folder);
    EXPECT_NE(asked[0].proposal.find("/qvr_13-042-"), std::string::npos);
    EXPECT_EQ(asked[0].filterIndex, 1);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(existing, bytes));
    EXPECT_EQ(bytes.size(), 3u);
    ASSERT_TRUE(ReadWholeFile(folder + "/fresh.mwm", bytes));
    ASSERT_EQ(bytes.size(), kArchiveFileHeaderSize + records.size());
    EXPECT_EQ(GetU32(bytes.data() + hdr::kCount), 2u);
    EXPECT_EQ(bytes[hdr::kMoistureType], 1);
    EXPECT_TRUE(std::equal(records.begin(), records.end(), bytes.begin() + kArchiveFileHeaderSize));
    const auto shown = ShownQues();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[shown.size() - 2].text1, "Файл old.mwm уже есть.");
    EXPECT_EQ(shown.back().text1, "Данные сохранены в файле fresh.mwm.");
}

TEST_F(MoistViewsTest, EmptySetShowsNoRowsAndSavesTheHeaderAlone) {
    const Bytes none;
    const ArchiveFileHeader h = Header(DataKind::WmtHour, 0, 0);
    TFormArhivHD_Wmt f;
    f.Header = &h;
    f.Records = &none;
    f.show();
    EXPECT_EQ(f.Model->rowCount(), 0);
    std::string offered;
    SetMoistureSaveDialogHook([&](const DataSaveRequest& r) {
        offered = r.proposal;
        return tmp.dir() + "empty.hwm";
    });
    f.BitBtn2->click();
    EXPECT_NE(offered.find("HOURDATA/qvr_13-042-"), std::string::npos);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(tmp.dir() + "empty.hwm", bytes));
    EXPECT_EQ(bytes.size(), kArchiveFileHeaderSize);
}

TEST_F(MoistViewsTest, PrintHandsTheGridToThePrintAfterTheHeadingQuestion) {
    const Bytes records = Join({Mean(0x8A)});
    const ArchiveFileHeader h = Header(DataKind::WmtDay, 1, 2);
    TFormArhivHD_Wmt f;
    f.Header = &h;
    f.Records = &records;
    f.Kind = kPrintWmtDay;
    f.show();

    bool accept = false;
    std::vector<int> kindsAsked;
    SetPrintHeadingAsker([&](const ArchiveFileHeader* hdr, PrintHeadingKind kind, char org[kOrgTitleSize + 1]) {
        kindsAsked.push_back(kind);
        EXPECT_EQ(hdr->address, 42);
        std::strcpy(org, "ORG");
        return accept;
    });
    int printed = 0;
    SetMoistureArchivePrintHook([&](QWidget*, const MoistureArchivePrintJob& job) {
        ++printed;
        EXPECT_EQ(job.kind, kPrintWmtDay);
        EXPECT_STREQ(job.orgName, "ORG");
        EXPECT_EQ(job.header->moistureType, 2);
        EXPECT_EQ(job.grid->rowCount(), 1);
        EXPECT_EQ(job.grid->data(job.grid->index(0, 2)).toString(), QStringLiteral("   10:00:00"));
    });
    f.BitBtn3->click();  // cancelled question: nothing printed
    EXPECT_EQ(printed, 0);
    accept = true;
    f.BitBtn3->click();
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(kindsAsked, (std::vector<int>{7, 7}));

    // A failing print is reported and the view stays.
    SetMoistureArchivePrintHook([](QWidget*, const MoistureArchivePrintJob&) { throw std::runtime_error("x"); });
    f.BitBtn3->click();
    ASSERT_FALSE(ShownQues().empty());
    EXPECT_EQ(ShownQues().back().text1, "Ошибка печати данных");
    EXPECT_EQ(ShownQues().back().kind, kQuesError);
    EXPECT_TRUE(f.isVisible());

    // The 5-minute view asks with kind 8.
    const Bytes m = Moment(0, 1);
    const ArchiveFileHeader hm = Header(DataKind::Wmt5Min, 1, 0);
    TFormArhMom_Wmt mom;
    mom.Header = &hm;
    mom.Records = &m;
    mom.show();
    accept = false;
    mom.BitBtn3->click();
    EXPECT_EQ(kindsAsked.back(), 8);
}

TEST_F(MoistViewsTest, ViewHookOpensTheViewOfTheKind) {
    const Bytes records = Join({Mean(0x8A)});
    const ArchiveFileHeader h = Header(DataKind::WmtHour, 1, 0);
    QString opened;
    QTimer::singleShot(0, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            opened = QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->windowTitle();
            w->close();
        }
    });
    EXPECT_TRUE(ShowMoistureArchiveView(nullptr, DataKind::WmtHour, h, records, kPrintWmtHour));
    EXPECT_TRUE(opened.startsWith(QStringLiteral("TFormArhivHD_Wmt Часовые")));
    EXPECT_FALSE(ShowMoistureArchiveView(nullptr, DataKind::ChromHour, h, records, 0));
}
