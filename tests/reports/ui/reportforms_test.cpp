// The daily report commands and forms offscreen: the day choice against the archive span,
// the report text editor, the presentation settings, the print loops, the open of a
// daily report file, and a whole report made from the simulated controller.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/rd_wr_ini.h"
#include "common/codepage.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/inifile.h"
#include "common/question.h"
#include "common/stringi.h"
#include "ctlsim/archive.h"
#include "link/tabledir.h"
#include "params/ui/simlink.h"
#include "reports/dailyreport.h"
#include "reports/ui/formquesprn.h"
#include "reports/ui/formrepconf.h"
#include "reports/ui/formrepcreate.h"
#include "reports/ui/formrepformate.h"
#include "reports/ui/reportcommands.h"
#include "support/tempdir.h"
#include "support/whenshown.h"

using namespace qvr;
using Bytes = std::vector<uint8_t>;
using Lines = std::pair<std::string, std::string>;

namespace {

std::vector<Lines> Shown() {
    std::vector<Lines> out;
    for (const auto& q : ShownQues()) out.emplace_back(q.text1, q.text2);
    return out;
}

class NullBar : public IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override { texts.push_back(text); }
    std::string PanelText(int) const override { return ""; }
    std::vector<std::string> texts;
};

class DailyReportForms : public ::testing::Test {
protected:
    void SetUp() override {
        saved = g_ProgDir;
        g_ProgDir = dir.dir();
        ReportSettings = ReportSettingsRecord{};
        ClearQuesRecord();
        choices.clear();
        printed.clear();
        SetDailyPrintChoiceHook([this](QWidget*, DailyReportRecord* r) -> uint8_t {
            lastRecord = r->Bytes();
            if (choices.empty()) return 0;
            const uint8_t c = choices.front();
            choices.erase(choices.begin());
            return c;
        });
        SetDailyPrintHook([this](QWidget*, int kind, DailyReportRecord*, uint8_t choice) {
            printed.push_back(kind * 10 + choice);
        });
    }
    void TearDown() override {
        SetDailyPrintChoiceHook({});
        SetDailyPrintHook({});
        SetReportOpenDialogHook({});
        g_ProgDir = saved;
        ClearQuesRecord();
    }
    TempDir dir;
    std::string saved;
    std::vector<uint8_t> choices;
    std::vector<int> printed;  // kind * 10 + choice
    std::array<uint8_t, 912> lastRecord{};
};

}  // namespace

TEST_F(DailyReportForms, DayChoiceWithinTheSpan) {
    ArchiveSpan span{CtlMinuteTime(26, 2, 27, 10, 0), CtlMinuteTime(26, 3, 5, 10, 0)};
    DailyReportRecord r;
    r.format.contractHour = 10;
    TFormRepCreate f;
    f.Report = &r;
    f.Span = &span;
    f.show();
    EXPECT_EQ(f.windowTitle(), "Чтение данных для создания отчета");
    EXPECT_EQ(f.Label1->text(), "Дата и время самой старой записи в архиве:  27.02.26");
    EXPECT_EQ(f.Label2->text(), "Дата и время последней записи в архиве:  05.03.26");
    EXPECT_EQ(f.DateTimePicker1->date(), QDate::currentDate().addDays(-1));

    for (QDate bad : {QDate(2026, 2, 26), QDate(2026, 3, 6)}) {
        f.DateTimePicker1->setDate(bad);
        f.BitBtn1->click();
        EXPECT_EQ(Shown().back(), Lines("В архиве нет данных за указанные сутки", "(см. период имеющихся в архиве данных)"));
        EXPECT_EQ(ShownQues().back().kind, kQuesInputError);
        EXPECT_EQ(f.Accepted, 0);
        EXPECT_TRUE(f.isVisible());
    }
    f.DateTimePicker1->setDate(QDate(2026, 3, 5));
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(r.start, CtlMinuteTime(26, 3, 5, 10, 0));
    EXPECT_EQ(r.end, CtlMinuteTime(26, 3, 6, 10, 0));

    TFormRepCreate g;
    g.Report = &r;
    g.Span = &span;
    g.show();
    g.DateTimePicker1->setDate(QDate(2026, 2, 27));
    g.BitBtn1->click();
    EXPECT_EQ(g.Accepted, 1);
}

TEST_F(DailyReportForms, TextEditorCertificateAndPassport) {
    ReportFormatRecord rec;
    StoreTextField(rec.certLine[1], 100, std::string(30, 'w'));
    StoreTextField(rec.representative[0], 50, Win("Иванов"));
    rec.contractHour = 200;
    ASSERT_TRUE(WriteReportFormat(rec));

    WhenShown<TFormRepFormate>([](TFormRepFormate& f) {
        EXPECT_EQ(f.windowTitle(), "Формат суточного сертификата");
        EXPECT_TRUE(f.pn_sert->isVisible());
        EXPECT_FALSE(f.pn_pasp->isVisible());
        EXPECT_EQ(f.Edit2->text(), QString(30, 'w'));
        EXPECT_EQ(f.Edit5->text(), "Иванов");
        EXPECT_EQ(f.Edit1->maxLength(), 99);
        EXPECT_EQ(f.Edit5->maxLength(), 49);
        // Enter steps to the next line.
        f.Edit1->setFocus();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(f.Edit1, &enter);
        EXPECT_EQ(f.focusWidget(), f.Edit2);  // whether or not the window is active
        f.Edit2->setText("short");
        f.Edit6->setText("Петров");
        f.BitBtn1->click();
    });
    NRepFormateClick(nullptr, 0);
    ReportFormatRecord back;
    ASSERT_EQ(ReadReportFormat(back, 0), ReportFileStatus::Ok);
    EXPECT_EQ(back.contractHour, 9);  // an hour above 23 is saved as 9
    EXPECT_EQ(FieldText(back.certLine[1], 100), "short");
    for (size_t i = 5; i < 100; ++i) EXPECT_EQ(back.certLine[1][i], 0);
    EXPECT_EQ(FieldText(back.representative[1], 50), Win("Петров"));

    // Passport: only its six lines change; a cancelled edit writes nothing.
    WhenShown<TFormRepFormate>([](TFormRepFormate& f) {
        EXPECT_EQ(f.windowTitle(), "Формат суточного паспорта");
        EXPECT_TRUE(f.pn_pasp->isVisible());
        EXPECT_FALSE(f.pn_sert->isVisible());
        f.Edit12->setText("Подпись");
        f.BitBtn1->click();
    });
    NRepFormateClick(nullptr, 1);
    ASSERT_EQ(ReadReportFormat(back, 0), ReportFileStatus::Ok);
    EXPECT_EQ(FieldText(back.passportLine[5], 50), Win("Подпись"));
    EXPECT_EQ(FieldText(back.certLine[1], 100), "short");

    WhenShown<TFormRepFormate>([](TFormRepFormate& f) {
        f.Edit7->setText("x");
        f.BitBtn2->click();
    });
    NRepFormateClick(nullptr, 1);
    ASSERT_EQ(ReadReportFormat(back, 0), ReportFileStatus::Ok);
    EXPECT_EQ(FieldText(back.passportLine[0], 50), "");
    EXPECT_TRUE(ShownQues().empty());
}

TEST_F(DailyReportForms, TextEditorRefusesCharactersOutsideTheCodePage) {
    ReportFormatRecord rec;
    TFormRepFormate f;
    f.Record = &rec;
    f.show();
    f.Edit3->setText(QStringLiteral("€ ok ✓"));
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(Shown().back().first, "Введен символ, недопустимый в тексте отчета");
    EXPECT_EQ(FieldText(rec.certLine[2], 100), "");
}

TEST_F(DailyReportForms, MissingReportIniStartsTheEditorAtHourNine) {
    WhenShown<TFormRepFormate>([](TFormRepFormate& f) {
        EXPECT_TRUE(f.Edit1->text().isEmpty());
        f.BitBtn1->click();
    });
    NRepFormateClick(nullptr, 0);
    EXPECT_EQ(FileSize(ReportFormatPath()), 801);
    ReportFormatRecord back;
    ASSERT_EQ(ReadReportFormat(back, 0), ReportFileStatus::Ok);
    EXPECT_EQ(back.contractHour, 9);
}

TEST_F(DailyReportForms, SettingsDialog) {
    ReportSettings.prz_composition = 1;
    ReportSettings.thermal_unit = 0;
    ReportSettings.calc_formula = 1;
    ReportSettings.metan_corr = 1;
    ReportSettings.report_kind = 0;
    for (auto& f : ReportSettings.fr) f = 3;
    ReportSettings.fr[18] = 9;  // outside 2..5
    ReportSettings.fr[15] = 0;
    const std::string path = dir.path() + "/repconf.ini";
    QAction print(QStringLiteral("x"));

    // Cancel: nothing written, but the decimals outside 2..5 became 4.
    WhenShown<TFormRepConf>([](TFormRepConf& f) {
        EXPECT_EQ(f.windowTitle(), "Формат представления данных");
        EXPECT_EQ(f.RadioGroup1->ItemIndex(), 1);
        EXPECT_EQ(f.RadioGroup3->ItemIndex(), 1);
        EXPECT_EQ(f.RadioGroup1->Item(1)->text(), " Объемная доля");
        EXPECT_EQ(f.RadioGroup5->Item(1)->text(), " Суточный паспорт");
        EXPECT_EQ(f.ComboBox[1]->currentText(), "4");  // Hi
        EXPECT_EQ(f.ComboBox[0]->currentText(), "3");
        f.BitBtn2->click();
    });
    NFormateClick(nullptr, path, &print);
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(ReportSettings.fr[18], 4);
    EXPECT_EQ(ReportSettings.fr[15], 4);
    EXPECT_EQ(print.text(), "Просмотр/Печать суточного сертификата");

    WhenShown<TFormRepConf>([](TFormRepConf& f) {
        f.RadioGroup2->Item(1)->setChecked(true);
        f.RadioGroup5->Item(1)->setChecked(true);
        f.ComboBox[0]->setCurrentIndex(3);  // 5
        f.ComboBox[2]->setCurrentIndex(0);  // Hs 2
        f.ComboBox[6]->setCurrentIndex(1);  // relative density 3
        f.BitBtn1->click();
    });
    NFormateClick(nullptr, path, &print);
    EXPECT_EQ(print.text(), "Просмотр/Печать суточного паспорта");
    EXPECT_EQ(ReportSettings.thermal_unit, 1);
    EXPECT_EQ(ReportSettings.report_kind, 1);
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(ReportSettings.fr[i], 5) << i;
    EXPECT_EQ(ReportSettings.fr[17], 5);
    EXPECT_EQ(ReportSettings.fr[11], 2);
    EXPECT_EQ(ReportSettings.fr[19], 3);
    EXPECT_EQ(ReportSettings.fr[16], 3);  // temperature: not on the form, unchanged
    const ReportSettingsRecord written = ReportSettings;
    ReportSettings = ReportSettingsRecord{};
    ReadReportConf(path);
    EXPECT_EQ(ReportSettings, written);
}

TEST_F(DailyReportForms, SettingsDialogWantsEveryOption) {
    ReportSettings.calc_formula = 7;  // no item of the list
    TFormRepConf f;
    f.show();
    EXPECT_EQ(f.RadioGroup3->ItemIndex(), -1);
    f.BitBtn1->click();
    EXPECT_EQ(Shown().back(), Lines("Введены не все данные", ""));
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(ReportSettings.calc_formula, 7);
    f.RadioGroup3->Item(0)->setChecked(true);
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(ReportSettings.calc_formula, 0);
}

TEST_F(DailyReportForms, PrintLoopsRepeatUntilLeave) {
    DailyReportRecord r;
    r.address = 42;
    choices = {1, 2, 1, 0};
    PrintCertificateLoop(&r);
    EXPECT_EQ(printed, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(lastRecord[821], 42);
    printed.clear();
    choices = {2, 0};
    ReportSettings.report_kind = 1;
    PrintDailyReport(&r);
    EXPECT_EQ(printed, (std::vector<int>{12}));
}

TEST_F(DailyReportForms, OpenDailyReportFile) {
    DataOpenRequest seen;
    std::string chosen;
    SetReportOpenDialogHook([&](const DataOpenRequest& req) {
        seen = req;
        return QString::fromStdString(chosen);
    });
    NRepPrintClick(nullptr, nullptr);  // cancelled
    EXPECT_EQ(seen.title, "Выбор файла отчета");
    EXPECT_EQ(seen.folder.toStdString(), dir.dir() + "REPORT");
    EXPECT_EQ(seen.filterIndex, 2);
    EXPECT_EQ(seen.filters.value(1), "DataFiles(*.srt)");
    EXPECT_TRUE(ShownQues().empty());

    chosen = dir.dir() + "none.srt";
    NRepPrintClick(nullptr, nullptr);
    EXPECT_EQ(Shown().back(), Lines("Ошибка открытия файла", ""));
    EXPECT_EQ(ShownQues().back().kind, kQuesError);

    for (size_t n : {911u, 913u}) {
        chosen = dir.dir() + "bad.srt";
        ASSERT_TRUE(WriteFileAtomic(chosen, std::string(n, '\0')));
        NRepPrintClick(nullptr, nullptr);
        EXPECT_EQ(Shown().back(), Lines("Файл bad.srt не является", "файлом отчета"));
        EXPECT_EQ(ShownQues().back().kind, kQuesInputError);
    }
    EXPECT_TRUE(printed.empty());

    DailyReportRecord r;
    r.address = 17;
    chosen = dir.dir() + "good.srt";
    ASSERT_TRUE(SaveDailyReport(chosen, r));
    choices = {1, 0};
    ReportSettings.report_kind = 1;
    NRepPrintClick(nullptr, nullptr);
    EXPECT_EQ(printed, (std::vector<int>{11}));
    EXPECT_EQ(lastRecord[821], 17);
}

namespace {

class DailyReportCreate : public DailyReportForms {
protected:
    void SetUp() override {
        DailyReportForms::SetUp();
        InitStringTable();
        ASSERT_FALSE(link.path.empty());
        ASSERT_TRUE(link.Attach(5));
        link.box()->ReplyMs = 2000;
        arch = std::make_unique<ctlsim::ArchiveSim>(link.sim);
        std::memset(g_TableMemory, 0, kTableMemorySize);
        std::memcpy(TablePtr(5), "Controller no. 1    ", 20);
        link.sim.SetTableBytes(6, 6, {10});
        arch->SetClock(CtlDateTime(26, 3, 10, 12, 0, 10));
        arch->SetOldest(2, CtlDateTime(26, 3, 1, 10, 0, 0));
        arch->Generate(ctlsim::SimArchive::ChromDay, CtlDateTime(26, 3, 1, 10, 0, 0), CtlDateTime(26, 3, 9, 10, 0, 0));
    }
    void TearDown() override {
        link.sim.Stop();
        arch.reset();
        DailyReportForms::TearDown();
    }
    SimLink link{5, 74};
    std::unique_ptr<ctlsim::ArchiveSim> arch;
    NullBar bar;
};

}  // namespace

TEST_F(DailyReportCreate, MakesSavesAndPrintsTheDailyReport) {
    ReportFormatRecord texts;
    StoreTextField(texts.certLine[0], 100, "Line one");
    texts.contractHour = 200;
    ASSERT_TRUE(WriteReportFormat(texts));

    WhenShown<TFormRepCreate>([](TFormRepCreate& f) {
        EXPECT_EQ(f.Label2->text(), "Дата и время последней записи в архиве:  09.03.26");
        f.DateTimePicker1->setDate(QDate(2026, 3, 4));
        f.BitBtn1->click();
    });
    choices = {2, 0};
    NRepCreateClick(nullptr, &bar, nullptr);

    const std::string path = dir.dir() + "REPORT/rep260304.srt";
    ASSERT_EQ(FileSize(path), 912);
    EXPECT_EQ(Shown().back(), Lines("Данные для создания отчета", "сохранены в файле rep260304.srt"));
    Bytes file;
    ASSERT_TRUE(ReadWholeFile(path, file));
    EXPECT_EQ(std::string(file.begin(), file.begin() + 8), "Line one");
    EXPECT_EQ(file[500], 10);  // the controller's contract hour, not report.ini's
    EXPECT_EQ(std::string(file.begin() + 801, file.begin() + 821), "Controller no. 1    ");
    EXPECT_EQ(file[821], 5);
    EXPECT_EQ(Bytes(file.begin() + 822, file.begin() + 832), (Bytes{26, 3, 4, 10, 0, 26, 3, 5, 10, 0}));
    const auto reqs = arch->Requests();
    ASSERT_EQ(reqs.size(), 1u);
    EXPECT_EQ(reqs[0].body, (Bytes{3, 0, 0, 26, 3, 4, 26, 3, 4}));
    for (const auto& rec : arch->Records(ctlsim::SimArchive::ChromDay))
        if (rec[2] == 4) {
            EXPECT_EQ(Bytes(file.begin() + 832, file.end()), Bytes(rec.begin() + 10, rec.begin() + 90));
        }
    EXPECT_EQ(printed, (std::vector<int>{2}));  // certificate, printed
    EXPECT_TRUE(std::equal(file.begin(), file.end(), lastRecord.begin()));
}

TEST_F(DailyReportCreate, CancelledDayReadsNothingAndAFailedSaveStillPrints) {
    WhenShown<TFormRepCreate>([](TFormRepCreate& f) { f.BitBtn2->click(); });
    NRepCreateClick(nullptr, &bar, nullptr);
    EXPECT_TRUE(arch->Requests().empty());
    EXPECT_TRUE(printed.empty());

    // REPORT cannot be made: a plain file stands in its place.
    ASSERT_TRUE(WriteFileAtomic(dir.dir() + "REPORT", std::string("x")));
    WhenShown<TFormRepCreate>([](TFormRepCreate& f) {
        f.DateTimePicker1->setDate(QDate(2026, 3, 9));
        f.BitBtn1->click();
    });
    choices = {1, 0};
    NRepCreateClick(nullptr, &bar, nullptr);
    EXPECT_EQ(Shown().back(), Lines("Ошибка создания файла.", "Данные для создания отчета не сохранены"));
    EXPECT_EQ(printed, (std::vector<int>{1}));
}

TEST_F(DailyReportForms, LoopShowsTheChoiceFormUntilLeave) {
    SetDailyPrintChoiceHook({});
    DailyReportRecord r;
    r.start = CtlMinuteTime(26, 3, 4, 10, 0);
    r.end = CtlMinuteTime(26, 3, 5, 10, 0);
    int shown = 0;
    std::function<void(TFormQuesPrn&)> press;
    press = [&](TFormQuesPrn& f) {
        ++shown;
        if (shown == 1) {
            WhenShown<TFormQuesPrn>([&](TFormQuesPrn& g) {
                if (&g == &f) press(g);
            });
            f.BitBtn3->click();  // preview
        } else {
            f.BitBtn2->click();  // leave
        }
    };
    WhenShown<TFormQuesPrn>(press);
    PrintPassportLoop(&r);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(printed, (std::vector<int>{11}));
}
