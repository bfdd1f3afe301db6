// The log menu commands offscreen against the simulated controller: the tag choice, the
// bounds, index and period dialogs (scripted, and the real index dialog once), the main
// window disabled during a read, what the log view receives, the message timer, and the
// open-file commands with their dialog set-up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QRadioButton>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <cstring>
#include <vector>

#include "common/bytes.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "ctlsim/logs.h"
#include "data/archformat.h"
#include "data/ui/formindex.h"
#include "data/ui/archcommands.h"
#include "data/ui/logcommands.h"
#include "data/ui/periodutil.h"
#include "params/ui/simlink.h"
#include "support/tempdir.h"

using Bytes = std::vector<uint8_t>;
using qvr::LogData;

namespace {

class Bar : public qvr::IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override { texts[panel & 3] = text; }
    std::string PanelText(int panel) const override { return texts[panel & 3]; }
    std::string texts[4];
};

struct Shown {
    LogData data;
    bool mainEnabled = false;
};

class LogCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(link.path.empty());
        ASSERT_TRUE(link.Attach(4));
        savedProgDir = g_ProgDir;
        g_ProgDir = tmp.dir();
        qvr::ClearQuesRecord();
        qvr::SetLogViewHook([this](QWidget* parent, const LogData& d) {
            views.push_back({d, parent ? parent->isEnabled() : false});
        });
        main.show();
    }
    void TearDown() override {
        qvr::SetLogViewHook(nullptr);
        qvr::SetLogIndexChooser(nullptr);
        qvr::SetLogPeriodChooser(nullptr);
        qvr::SetLogOpenDialogHook(nullptr);
        qvr::SetMessagePump(nullptr);
        g_ProgDir = savedProgDir;
        qvr::ClearQuesRecord();
    }
    size_t LogRequests(uint8_t function) {
        size_t n = 0;
        for (const auto& r : logs.Requests()) n += r.function == function;
        return n;
    }

    TempDir tmp;
    SimLink link{4, 64};
    ctlsim::LogSim logs{link.sim};
    std::string savedProgDir;
    QWidget main;
    Bar bar;
    QTimer timer;
    std::vector<Shown> views;
};

}  // namespace

TEST_F(LogCommandsTest, ByIndexWithScriptedDialog) {
    logs.Generate(0, 301, CtlDateTime(26, 12, 1, 0, 0, 0), 40, 3);
    int asked = 0;
    qvr::SetLogIndexChooser([&](QWidget*, uint8_t log, uint32_t oldest, uint32_t newest, uint32_t& first,
                                uint32_t& count) {
        ++asked;
        EXPECT_EQ(log, 0);
        EXPECT_EQ(oldest, 301u);
        EXPECT_EQ(newest, 340u);
        first = 320;
        count = 15;
        return true;
    });
    bool disabledDuringRead = false;
    qvr::SetMessagePump([&] {
        if (g_AbortAllowed && !main.isEnabled()) disabledDuringRead = true;
    });
    qvr::NArhIndClick(&main, &bar, &timer, 0);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(disabledDuringRead);
    ASSERT_EQ(views.size(), 1u);
    const LogData& d = views[0].data;
    EXPECT_TRUE(views[0].mainEnabled) << "the view comes after the main window is enabled again";
    EXPECT_EQ(d.log, 0);
    EXPECT_EQ(d.mode, qvr::kLogModeByIndex);
    EXPECT_EQ(d.firstIndex, 320u);
    EXPECT_EQ(d.header.recordCount, 15u);
    EXPECT_EQ(d.rows.size(), 15u * 22);
    EXPECT_EQ(std::string(d.header.signature, 3), "ALA");
    EXPECT_EQ(d.header.address, 4);
    EXPECT_FALSE(timer.isActive()) << "nothing failed";

    // An empty reply at an index the bounds hold: the records before it are shown, told.
    logs.ClearLog();
    logs.SetReplyHook([](int index, uint8_t, Bytes& b) {
        if (index == 1) b.assign(7, 0);
    });
    qvr::NArhIndClick(&main, &bar, &timer, 0);
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(views[1].data.header.recordCount, 11u);
    const auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text2, "прочитаны не полностью");
    qvr::ClearQuesRecord();

    // A refused dialog reads nothing; so does any tag but 0 and 1.
    logs.ClearLog();
    qvr::SetLogIndexChooser([](QWidget*, uint8_t, uint32_t, uint32_t, uint32_t&, uint32_t&) { return false; });
    qvr::NArhIndClick(&main, &bar, &timer, 1);
    qvr::NArhIndClick(&main, &bar, &timer, 2);
    qvr::NArhPerClick(&main, &bar, &timer, -1);
    EXPECT_TRUE(logs.Requests().empty());
    EXPECT_EQ(views.size(), 2u);
    EXPECT_TRUE(qvr::ShownQues().empty());
}

TEST_F(LogCommandsTest, ByIndexWithTheRealDialog) {
    logs.Generate(1, 1, CtlDateTime(26, 12, 1, 0, 0, 0), 60, 3);
    // Answers the index dialog once it is up: the last 10 records.
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* f = qobject_cast<TFormIndex*>(QApplication::activeModalWidget());
        if (!f) return;
        seen = true;
        EXPECT_EQ(f->windowTitle(), QStringLiteral("Индексы архивных записей о вмешательствах"));
        f->RadioGroup1->Button(3)->click();
        f->BitBtn1->click();
    });
    qvr::NArhIndClick(&main, &bar, &timer, 1);
    EXPECT_TRUE(seen);
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].data.log, 1);
    EXPECT_EQ(views[0].data.firstIndex, 51u);
    EXPECT_EQ(views[0].data.header.recordCount, 10u);
    EXPECT_EQ(std::string(views[0].data.header.signature, 3), "AUD");
}

TEST_F(LogCommandsTest, EmptyLogAndFailedRead) {
    link.sim.SetTableBytes(10, 0, {5, 0, 0, 0, 5, 0, 0, 0});
    bool asked = false;
    qvr::SetLogIndexChooser([&](QWidget*, uint8_t, uint32_t, uint32_t, uint32_t&, uint32_t&) { return asked = true; });
    qvr::NArhIndClick(&main, &bar, &timer, 0);
    EXPECT_FALSE(asked);
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text1, "В архиве нет ни одной записи");
    qvr::ClearQuesRecord();

    // The controller refuses the log request: result text, message, timer started.
    ctlsim::Faults f;
    f.negativeCode = 3;
    link.sim.SetFaults(f);
    qvr::ReadAlarmByIndex(&main, &bar, &timer, 1, 10);
    shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text1, "Диагностические сообщения");
    EXPECT_EQ(shown[0].text2, "не прочитаны");
    EXPECT_TRUE(timer.isActive());
    EXPECT_TRUE(views.empty());
    EXPECT_TRUE(main.isEnabled());
}

TEST_F(LogCommandsTest, ByPeriodReadsClockThenPeriod) {
    logs.Generate(1, 1, CtlDateTime(26, 12, 6, 0, 0, 0), 30, 10);
    link.sim.SetTableBytes(2, 0, {26, 12, 7, 10, 0, 0, 2, 0});
    qvr::SetLogPeriodChooser([](QWidget*, CtlDateTime& s, CtlDateTime& e) {
        s = CtlDateTime(26, 12, 6, 1, 0, 0);
        e = CtlDateTime(26, 12, 6, 2, 0, 0);
        return true;
    });
    link.sim.ClearLog();
    qvr::NArhPerClick(&main, &bar, &timer, 1);
    // The clock first (table 2, all 8 fields), then the log.
    const auto frames = link.sim.Requests();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0][3], 1);
    EXPECT_EQ(frames[0][5], 2);
    EXPECT_EQ(frames[0][7], 8);
    EXPECT_EQ(frames[1][3], 8);
    ASSERT_EQ(views.size(), 1u);
    const LogData& d = views[0].data;
    EXPECT_EQ(d.mode, qvr::kLogModeByPeriod);
    EXPECT_EQ(d.header.recordCount, 7u);  // 01:00 .. 02:00 every 10 minutes
    EXPECT_EQ(Bytes(d.header.periodStart, d.header.periodStart + 6), (Bytes{26, 12, 6, 1, 0, 0}));
    EXPECT_EQ(LogRequests(8), 1u);

    // A declined period dialog: no log request.
    logs.ClearLog();
    qvr::SetLogPeriodChooser([](QWidget*, CtlDateTime&, CtlDateTime&) { return false; });
    qvr::NArhPerClick(&main, &bar, &timer, 0);
    EXPECT_EQ(LogRequests(8), 0u);
}

TEST_F(LogCommandsTest, OpenSavedLogFiles) {
    std::vector<qvr::LogOpenRequest> asked;
    QString answer;
    qvr::SetLogOpenDialogHook([&](const qvr::LogOpenRequest& r) {
        asked.push_back(r);
        return answer;
    });
    qvr::NAlaPrnClick(&main);
    qvr::NAudPrnClick(&main);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, QStringLiteral("Выберите файл с данными"));
    EXPECT_EQ(asked[0].folder, QString::fromStdString(tmp.dir() + "ALAFILES"));
    EXPECT_TRUE(asked[0].fileName.isEmpty());
    EXPECT_EQ(asked[0].filterIndex, 3);
    EXPECT_EQ(asked[0].filters.value(2), QStringLiteral("DataFiles(*.ala)"));
    EXPECT_EQ(asked[1].folder, QString::fromStdString(tmp.dir() + "AUDFILES"));
    EXPECT_EQ(asked[1].filterIndex, 4);
    EXPECT_EQ(asked[1].filters.value(3), QStringLiteral("DataFiles(*.aud)"));
    const QStringList filters = qvr::DataOpenDialogFilters();
    ASSERT_EQ(filters.size(), 12);
    EXPECT_EQ(filters[0], QStringLiteral("Data Files (*.cnf)"));
    EXPECT_EQ(filters[4], QStringLiteral("DataFiles(*.mch)"));
    EXPECT_EQ(filters[10], QStringLiteral("DataFiles(*.clb)"));
    EXPECT_TRUE(views.empty()) << "cancelled";

    // A good intervention file goes to the view in mode 2 with its rows.
    Bytes file(qvr::kArchiveFileHeaderSize, 0);
    std::memcpy(file.data(), "AUD", 3);
    qvr::PutU32(file.data() + 43, 2);
    file[47] = 9;
    file.resize(file.size() + 2 * 205, 'x');
    const std::string path = tmp.dir() + "x.aud";
    ASSERT_TRUE(qvr::WriteFileAtomic(path, file.data(), file.size()));
    answer = QString::fromStdString(path);
    qvr::NAudPrnClick(&main);
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].data.mode, qvr::kLogModeFromFile);
    EXPECT_EQ(views[0].data.log, 1);
    EXPECT_EQ(views[0].data.rows, Bytes(file.begin() + 57, file.end()));
    // The same file offered to the diagnostic command is refused.
    qvr::NAlaPrnClick(&main);
    EXPECT_EQ(views.size(), 1u);
    const auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text1, "Файл x.aud не является файлом, содержащим");
}
