// The print heading question (organisation name file, kind texts, accept and cancel) and
// the print choice dialog (titles, periods, the button pressed).
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstring>
#include <vector>

#include "app/rd_wr_ini.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "data/archformat.h"
#include "reports/printheading.h"
#include "reports/ui/formquesprn.h"
#include "support/tempdir.h"

namespace {

class PrintDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = g_ProgDir;
        g_ProgDir = tmp.dir();
        qvr::ClearQuesRecord();
        header.periodStart[0] = 26;  // 05.11.26 07:08:09
        header.periodStart[1] = 11;
        header.periodStart[2] = 5;
        header.periodStart[3] = 7;
        header.periodStart[4] = 8;
        header.periodStart[5] = 9;
        header.periodEnd[0] = 26;  // 07.12.26 23:59:58
        header.periodEnd[1] = 12;
        header.periodEnd[2] = 7;
        header.periodEnd[3] = 23;
        header.periodEnd[4] = 59;
        header.periodEnd[5] = 58;
    }
    void TearDown() override {
        g_ProgDir = saved;
        ReportSettings.report_kind = 0;
    }
    void StoreTitle(const std::string& bytes) {
        ASSERT_TRUE(qvr::MakeDir(IniFolderPath()));
        ASSERT_TRUE(qvr::WriteFileAtomic(qvr::OrgTitlePath(), bytes));
    }
    std::vector<uint8_t> TitleFile() {
        std::vector<uint8_t> b;
        qvr::ReadWholeFile(qvr::OrgTitlePath(), b);
        return b;
    }
    TempDir tmp;
    std::string saved;
    qvr::ArchiveFileHeader header;
};

TEST_F(PrintDialogsTest, HeadingQuestionShowsKindControllerLineAndPeriod) {
    StoreTitle(std::string("\xCE\xCE\xCE \xC3\xE0\xE7", 7) + std::string(33, '\0'));  // "ООО Газ"
    TFormQues_Prn f;
    EXPECT_EQ(f.windowTitle(), QStringLiteral(" Данные для печати"));
    f.Header = &header;
    f.Kind = 4;
    f.show();
    EXPECT_EQ(f.width(), 532);
    EXPECT_EQ(f.height(), 212);
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("ООО Газ"));
    EXPECT_EQ(f.Edit1->maxLength(), 40);
    EXPECT_EQ(f.Label2->text(), QStringLiteral("Перечень сообщений о вмешательствах оператора"));
    EXPECT_EQ(f.Label7->text(), QStringLiteral("в работу к контроллерa КВР"));
    EXPECT_EQ(f.Label8->text(), QStringLiteral("за период  с  05.11.26  07:08:09  по  07.12.26  23:59:58"));
    f.close();

    TFormQues_Prn h;
    h.Header = &header;
    h.Kind = 0;
    h.show();
    EXPECT_EQ(h.Label8->text(), QStringLiteral("за период  с  05.11.26  07ч  по  07.12.26  23ч"));
    EXPECT_EQ(h.Label7->text(), QStringLiteral("контроллерa КВР"));
    h.close();
}

TEST_F(PrintDialogsTest, AcceptWritesOnlyAChangedName) {
    StoreTitle(std::string("Gaz") + std::string(37, '\0'));
    {
        TFormQues_Prn f;
        f.Header = &header;
        f.show();
        StoreTitle("changed behind the form's back");  // proves whether the form rewrote it
        f.BitBtn1->click();
        EXPECT_EQ(f.Accepted, 1);
        EXPECT_STREQ(f.OrgName, "Gaz");
        const auto b = TitleFile();
        EXPECT_EQ(std::string(b.begin(), b.end()), "changed behind the form's back");
    }
    {
        TFormQues_Prn f;
        f.show();
        f.Edit1->clear();  // an emptied name is written as 40 zero bytes
        f.BitBtn1->click();
        EXPECT_EQ(f.Accepted, 1);
        EXPECT_EQ(TitleFile(), std::vector<uint8_t>(40, 0));
    }
    {
        TFormQues_Prn f;
        f.show();
        f.Edit1->setText(QStringLiteral("АО «Газпромтрансгаз» филиал №1"));
        f.BitBtn1->click();
        ASSERT_EQ(TitleFile().size(), 40u);
        char back[41];
        qvr::ReadOrgTitle(back);
        EXPECT_EQ(std::memcmp(back, f.OrgName, 41), 0);
        EXPECT_EQ(uint8_t(back[0]), 0xC0);  // Windows-1251 'А'
    }
}

TEST_F(PrintDialogsTest, CancelAndRefusedTextLeaveTheFileAlone) {
    StoreTitle(std::string("Gaz") + std::string(37, '\0'));
    TFormQues_Prn f;
    f.show();
    f.Edit1->setText(QStringLiteral("Другое"));
    f.BitBtn2->click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_STREQ(f.OrgName, "Gaz");
    EXPECT_EQ(TitleFile().size(), 40u);
    EXPECT_EQ(TitleFile()[0], 'G');

    TFormQues_Prn g;
    g.show();
    g.Edit1->setText(QStringLiteral("名"));  // no Windows-1251 form
    g.BitBtn1->click();
    EXPECT_EQ(g.Accepted, 0);
    EXPECT_TRUE(g.isVisible());
    ASSERT_FALSE(qvr::ShownQues().empty());
    EXPECT_EQ(qvr::ShownQues().back().kind, qvr::kQuesInputError);
    EXPECT_EQ(TitleFile()[0], 'G');
    g.close();
}

TEST_F(PrintDialogsTest, AskPrintHeadingCanBeScripted) {
    qvr::SetPrintHeadingAsker([](const qvr::ArchiveFileHeader*, qvr::PrintHeadingKind kind, char name[41]) {
        std::strcpy(name, "Scripted");
        return kind == 3;
    });
    char name[41] = {};
    EXPECT_TRUE(qvr::AskPrintHeading(nullptr, &header, 3, name));
    EXPECT_STREQ(name, "Scripted");
    EXPECT_FALSE(qvr::AskPrintHeading(nullptr, &header, 4, name));
    qvr::SetPrintHeadingAsker(nullptr);
}

TEST_F(PrintDialogsTest, ChoiceDialogForTheDailyDocuments) {
    std::vector<uint8_t> report(912, 0);
    const uint8_t start[5] = {26, 12, 6, 10, 0};
    const uint8_t end[5] = {26, 12, 7, 9, 59};
    std::memcpy(&report[822], start, 5);
    std::memcpy(&report[827], end, 5);
    TFormQuesPrn f;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Данные в отчете"));
    f.Mode = 0;
    f.Report = report.data();
    f.show();
    EXPECT_EQ(f.width(), 454);
    EXPECT_EQ(f.Label1->text(), QStringLiteral("СУТОЧНЫЙ СЕРТИФИКАТ"));
    EXPECT_EQ(f.Label2->text(), QStringLiteral("За 6 декабря 2026 года"));
    EXPECT_EQ(f.Label3->text(), QStringLiteral("c  10:00  6 декабря 2026г   до   09:59  7 декабря 2026г"));
    f.BitBtn1->click();
    EXPECT_EQ(f.Choice, 2);
    ReportSettings.report_kind = 1;
    f.show();
    EXPECT_EQ(f.Label1->text(), QStringLiteral("СУТОЧНЫЙ ПАСПОРТ"));
    EXPECT_EQ(f.Choice, 0);  // cleared on every show
    f.BitBtn3->click();
    EXPECT_EQ(f.Choice, 1);
    f.show();
    f.BitBtn2->click();
    EXPECT_EQ(f.Choice, 0);
    f.show();
    f.BitBtn3->click();
    f.show();
    f.close();  // the close box is "Выход"
    EXPECT_EQ(f.Choice, 0);
}

TEST_F(PrintDialogsTest, ChoiceDialogForOneAnalysis) {
    std::vector<uint8_t> passport(921, 0);
    const uint8_t t[6] = {26, 3, 15, 8, 5, 30};
    std::memcpy(&passport[829], t, 6);
    TFormQuesPrn f;
    f.Mode = 1;
    f.Passport = passport.data();
    f.show();
    EXPECT_EQ(f.Label1->text(), QStringLiteral("Физико-химические показатели природного газа"));
    EXPECT_EQ(f.Label2->text(), QStringLiteral("по результатам однократного анализа"));
    EXPECT_EQ(f.Label3->text(), QStringLiteral("08:05:30  15 марта 2026г"));
    f.close();
    passport[0] = 1;  // not a record the view made: no time line
    f.show();
    EXPECT_TRUE(f.Label3->text().isEmpty());
    f.close();
    // A month byte out of range prints no name instead of reading past the table.
    passport[0] = 0;
    passport[830] = 13;
    f.show();
    EXPECT_EQ(f.Label3->text(), QStringLiteral("08:05:30  15  2026г"));
    f.close();
}

}  // namespace
