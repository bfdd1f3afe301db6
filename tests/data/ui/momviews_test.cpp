// The live views offscreen against the controller simulator: what each window shows, a
// failed read that shows nothing and is tried again at the next tick, the update toggle,
// ticks that never overlap while a read waits, the current-state buttons and the
// commands that check the links first.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app/rd_wr_ini.h"
#include "common/bytes.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/stringi.h"
#include "common/suplfunc.h"
#include "data/momdata.h"
#include "data/ui/formmom.h"
#include "data/ui/formmomwmt.h"
#include "data/ui/formprz.h"
#include "data/ui/momcommands.h"
#include "link/tabledir.h"
#include "params/ui/formtableinfo.h"
#include "params/ui/formvichinf.h"
#include "params/ui/simlink.h"
#include "reports/gascalc.h"

using Bytes = std::vector<uint8_t>;
using Read = std::array<int, 3>;  // table, first, count

namespace {

class RecordingBar : public qvr::IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override {
        if (panel >= 0 && panel < 4) panels[panel] = text;
    }
    std::string PanelText(int panel) const override { return panel >= 0 && panel < 4 ? panels[panel] : ""; }
    std::string panels[4];
};

// Processes events until done holds; false when it still does not after seconds.
bool PumpUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Runs act once from the event loop while the next table read waits: the simulator holds
// its reply until act has run (8 s at most), so act comes during the read however slowly
// either side runs. The reads after it are answered at once.
void DuringTheNextRead(ctlsim::CtlSim& sim, QObject* context, std::function<void()> act) {
    struct Gate {
        std::atomic<bool> asked{false}, acted{false};
    };
    auto gate = std::make_shared<Gate>();
    sim.SetHandler(
        1,
        [gate](ctlsim::CtlSim& s, const Bytes& frame) {
            gate->asked = true;
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(8);
            while (!gate->acted && std::chrono::steady_clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            gate->acted = true;
            return s.ReadFields(frame);
        },
        10);
    auto* timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, context, [gate, timer, act] {
        if (!gate->asked) return;
        timer->stop();
        timer->deleteLater();
        act();
        gate->acted = true;
    });
    timer->start(5);
}

// Handles the modal windows as they come up: each step names the class of the window it
// expects and runs when such a window becomes the active modal one (other windows are let
// be). Steps run queued, outside the driver's timer slot, so they may open further windows.
class ModalDriver {
public:
    struct Step {
        const char* className;
        std::function<void(QWidget*)> run;
    };
    explicit ModalDriver(std::vector<Step> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (w == last_) return;
            last_ = w;
            if (!w || !w->isVisible() || next_ >= steps_.size()) return;
            if (std::strcmp(w->metaObject()->className(), steps_[next_].className) != 0) return;
            auto run = steps_[next_++].run;
            QTimer::singleShot(0, w, [run, w] { run(w); });
        });
        timer_.start(15);
    }
    size_t Done() const { return next_; }

private:
    std::vector<Step> steps_;
    size_t next_ = 0;
    QWidget* last_ = nullptr;
    QTimer timer_;
};

QColor TextColour(const QLabel* l) { return l->palette().color(QPalette::WindowText); }

class MomViews : public ::testing::Test {
protected:
    void SetUp() override {
        qvr::InitStringTable();
        qvr::BuildKcalColumns();
        ASSERT_FALSE(link.path.empty());
        ASSERT_TRUE(link.Attach(7));
        link.box()->ReplyMs = 1000;  // a second for a reply: the failed reads wait it out
        std::memset(g_TableMemory, 0, kTableMemorySize);
        qvr::SetMessagePump([] { QApplication::processEvents(); });
        qvr::ClearQuesRecord();
        savedReport = ReportSettings;
        savedMoisture = g_MoisturePresent;
        g_MoisturePresent = 0;
    }
    void TearDown() override {
        qvr::SetMessagePump(nullptr);
        qvr::ClearQuesRecord();
        ReportSettings = savedReport;
        g_MoisturePresent = savedMoisture;
    }
    std::vector<Read> Reads() {
        std::vector<Read> out;
        for (const Bytes& f : link.sim.Requests())
            if (f.size() > 7 && f[3] == 1) out.push_back({f[5], f[6], f[7]});
        return out;
    }
    void SetTable(int table, const Bytes& b) { link.sim.SetTableBytes(table, 0, b); }

    SimLink link{7, 83};
    RecordingBar bar;
    ReportSettingsRecord savedReport{};
    uint8_t savedMoisture = 0;
};

const Bytes kSituation = {26, 12, 7, 13, 5, 9, 1, 0, 0x55, 2, 0, 0, 0x12, 0x34, 0, 0, 0x56, 0x78};

// Table 30 with a time and values i * 1.5 + 0.123 (oxygen 21).
Bytes ChromRecord() {
    Bytes b(88, 0);
    const uint8_t head[8] = {26, 12, 7, 0xEE, 13, 5, 9, 0xEE};
    std::memcpy(b.data(), head, 8);
    for (int i = 0; i < 20; ++i) qvr::PutF32(b.data() + 8 + 4 * i, i == 17 ? 21.0f : float(i) * 1.5f + 0.123f);
    return b;
}

}  // namespace

// Table 16 and 33 as the current-state window shows them; the table-16 words turned into
// low-byte-first order for a controller that sends them high byte first.
TEST_F(MomViews, CurrentStateShowsFlagsTimeAndLinks) {
    SetTable(16, kSituation);
    SetTable(33, {0, 1});
    g_TableMemory[TableOffset(0) + 10] = 0;  // high byte first
    TFormPrz f;
    f.StatusBar = &bar;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Текущее состояние контроллера"));
    EXPECT_EQ(f.size(), QSize(532, 544));
    EXPECT_FALSE(f.Timer1->isActive());
    EXPECT_EQ(f.Timer1->interval(), 1000);
    f.Result = 9;
    f.show();
    EXPECT_EQ(f.Result, 0);
    EXPECT_TRUE(f.Timer1->isActive());
    EXPECT_EQ(f.Updating, 1);
    EXPECT_EQ(f.BtnUpdate->text(), QStringLiteral("Не обновлять данные"));
    // No moisture analyser: its labels and its button are disabled.
    EXPECT_FALSE(f.BtnWmtData->isEnabled());
    EXPECT_FALSE(f.LabelWmtLink->isEnabled());
    EXPECT_FALSE(f.LabelWmtCaption->isEnabled());

    link.sim.ClearLog();
    f.Timer1Timer();
    EXPECT_EQ(Reads(), (std::vector<Read>{{16, 0, 18}, {33, 0, 2}}));
    EXPECT_EQ(f.LabelTime->text(), QStringLiteral("07.12.26  13:05:09"));
    EXPECT_EQ(f.LabelVich->text(), QStringLiteral("Есть"));
    EXPECT_EQ(TextColour(f.LabelVich), QColor(Qt::red));
    EXPECT_EQ(f.LabelChrom->text(), QStringLiteral("Норма"));
    EXPECT_EQ(TextColour(f.LabelChrom), QColor(Qt::black));
    EXPECT_EQ(f.LabelDiag->text(), QStringLiteral("Есть"));
    EXPECT_EQ(f.LabelValue->text(), QStringLiteral("Норма"));
    EXPECT_EQ(f.LabelWmt->text(), QString());  // byte 8 belongs to no indicator
    EXPECT_EQ(f.LabelChromLink->text(), QStringLiteral("Связи нет"));
    EXPECT_EQ(TextColour(f.LabelChromLink), QColor(Qt::red));
    EXPECT_EQ(f.LabelWmtLink->text(), QString());  // never shown without the analyser
    const uint8_t* t16 = TablePtr(16);
    EXPECT_EQ(qvr::GetU16(t16 + 12), 0x1234);
    EXPECT_EQ(qvr::GetU16(t16 + 16), 0x5678);
    EXPECT_EQ(t16[6], 1);
    EXPECT_TRUE(f.Timer1->isActive());
    EXPECT_TRUE(qvr::ShownQues().empty());

    // With the analyser, and a controller that sends low byte first.
    f.hide();
    EXPECT_FALSE(f.Timer1->isActive());
    g_MoisturePresent = 1;
    g_TableMemory[TableOffset(0) + 10] = 1;
    SetTable(33, {1, 0});
    SetTable(16, Bytes(18, 0));
    f.show();
    EXPECT_TRUE(f.BtnWmtData->isEnabled());
    EXPECT_TRUE(f.LabelWmtLink->isEnabled());
    f.Timer1Timer();
    EXPECT_EQ(f.LabelChromLink->text(), QStringLiteral("Норма"));
    EXPECT_EQ(TextColour(f.LabelChromLink), QColor(Qt::black));
    EXPECT_EQ(f.LabelWmtLink->text(), QStringLiteral("Связи нет"));
    EXPECT_EQ(TextColour(f.LabelWmtLink), QColor(Qt::red));
    EXPECT_EQ(f.LabelVich->text(), QStringLiteral("Норма"));
    EXPECT_EQ(f.LabelDiag->text(), QStringLiteral("Норма"));
    EXPECT_EQ(f.LabelTime->text(), QStringLiteral("00.00.00  00:00:00"));
}

// A read that gets no reply shows nothing, asks nothing, and the next tick reads again;
// values already shown stay.
TEST_F(MomViews, FailedReadShowsNothingAndTheNextTickTriesAgain) {
    SetTable(16, kSituation);
    SetTable(33, {1, 1});
    TFormPrz f;
    f.StatusBar = &bar;
    f.show();
    ctlsim::Faults silent;
    silent.silent = true;
    silent.count = 1;
    link.sim.SetFaults(silent);
    link.sim.ClearLog();
    f.Timer1Timer();
    EXPECT_EQ(f.LabelTime->text(), QString());
    EXPECT_EQ(f.LabelVich->text(), QString());
    EXPECT_EQ(f.LabelChromLink->text(), QStringLiteral("Норма"));  // the second read went on
    EXPECT_TRUE(f.Timer1->isActive());
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_EQ(bar.panels[2], "");

    f.Timer1Timer();
    EXPECT_EQ(f.LabelTime->text(), QStringLiteral("07.12.26  13:05:09"));
    EXPECT_EQ(Reads().size(), 4u);

    // A later failure leaves the shown values as they were.
    SetTable(16, Bytes(18, 0));
    silent.count = 2;
    link.sim.SetFaults(silent);
    f.Timer1Timer();
    EXPECT_EQ(f.LabelTime->text(), QStringLiteral("07.12.26  13:05:09"));
    EXPECT_EQ(f.LabelVich->text(), QStringLiteral("Есть"));
    EXPECT_EQ(f.LabelChromLink->text(), QStringLiteral("Норма"));
    EXPECT_TRUE(qvr::ShownQues().empty());
}

// The update button stops the polling and starts it again.
TEST_F(MomViews, UpdateButtonStopsAndRestartsPolling) {
    TFormMomWmt f;
    f.show();
    ASSERT_TRUE(f.Timer1->isActive());
    f.BtnUpdate->click();
    EXPECT_EQ(f.BtnUpdate->text(), QStringLiteral("Обновлять данные"));
    EXPECT_EQ(f.Updating, 0);
    EXPECT_FALSE(f.Timer1->isActive());
    link.sim.ClearLog();
    f.Timer1Timer();  // a tick with polling off reads nothing and leaves the timer off
    EXPECT_TRUE(Reads().empty());
    EXPECT_FALSE(f.Timer1->isActive());

    f.BtnUpdate->click();
    EXPECT_EQ(f.BtnUpdate->text(), QStringLiteral("Не обновлять данные"));
    EXPECT_EQ(f.Updating, 1);
    EXPECT_TRUE(f.Timer1->isActive());
    f.Timer1Timer();
    EXPECT_EQ(Reads(), (std::vector<Read>{{37, 0, 7}}));
}

// Polling switched off while the first read waits: the second table is not read and the
// timer stays off.
TEST_F(MomViews, FlagClearedDuringTheFirstReadEndsTheTick) {
    SetTable(16, kSituation);
    TFormPrz f;
    f.show();
    link.box()->ReplyMs = 10000;  // the reply waits for the action below
    link.sim.ClearLog();
    bool timerDuringRead = true;
    DuringTheNextRead(link.sim, &f, [&] {
        timerDuringRead = f.Timer1->isActive();
        f.BtnUpdate->click();
    });
    f.Timer1Timer();
    EXPECT_FALSE(timerDuringRead);
    EXPECT_EQ(Reads(), (std::vector<Read>{{16, 0, 18}}));
    EXPECT_EQ(f.LabelTime->text(), QStringLiteral("07.12.26  13:05:09"));  // the first read counts
    EXPECT_FALSE(f.Timer1->isActive());
    EXPECT_EQ(f.Updating, 0);
}

namespace {
// Counts how deep the ticks' first reads nest.
class CountingMom : public TFormMom {
public:
    int depth = 0, maxDepth = 0, reads = 0;

protected:
    void PollFirst() override {
        ++reads;
        maxDepth = std::max(maxDepth, ++depth);
        TFormMom::PollFirst();
        --depth;
    }
};
}  // namespace

// With a timer much faster than the replies, ticks still never overlap.
TEST_F(MomViews, TicksNeverOverlapWhileAReadWaits) {
    SetTable(30, ChromRecord());
    CountingMom f;
    f.Timer1->setInterval(10);
    ctlsim::Faults slow;
    slow.firstByteDelayMs = 120;
    slow.count = 6;
    link.sim.SetFaults(slow);
    f.show();
    ASSERT_TRUE(PumpUntil([&] { return f.reads >= 3; }));
    f.hide();
    EXPECT_EQ(f.maxDepth, 1);
    // Every request got through: none was refused because another one was waiting.
    const std::vector<Read> reads = Reads();
    EXPECT_GE(reads.size(), size_t(2 * f.reads - 1));
    EXPECT_NE(link.box()->Result, uint32_t(kResultBusy));
    EXPECT_FALSE(f.Timer1->isActive());

    // Polling switched off and on again while a read waits: still one tick at a time.
    link.sim.ClearLog();
    const int before = f.reads;
    bool toggled = false;
    f.show();
    link.sim.SetFaults(slow);
    DuringTheNextRead(link.sim, &f, [&] {
        f.BtnUpdate->click();
        f.BtnUpdate->click();
        toggled = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return toggled && f.reads >= before + 2; }));
    f.hide();
    EXPECT_EQ(f.maxDepth, 1);
    EXPECT_EQ(f.Updating, 1);
}

// Closing the window while a read waits: the tick ends without starting the timer.
TEST_F(MomViews, ExitDuringAReadLeavesTheTimerOff) {
    TFormMom f;
    f.show();
    link.box()->ReplyMs = 10000;  // the reply waits for the action below
    link.sim.ClearLog();
    DuringTheNextRead(link.sim, &f, [&] { f.BtnExit->click(); });
    f.Timer1Timer();
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.Timer1->isActive());
    EXPECT_EQ(Reads(), (std::vector<Read>{{30, 0, 22}}));  // the zones are not read after the close
}

// The chromatograph's analysis: captions by the settings, values with their decimals,
// zones with their colours, oxygen never shown.
TEST_F(MomViews, ChromatographAnalysisAndZones) {
    ReportSettings.prz_composition = 1;
    ReportSettings.thermal_unit = 1;
    ReportSettings.calc_formula = 1;
    for (int i = 0; i < 20; ++i) ReportSettings.fr[i] = uint8_t(i % 5);
    const Bytes record = ChromRecord();
    SetTable(30, record);
    Bytes zones(20);
    for (int i = 0; i < 20; ++i) zones[i] = uint8_t(i % 5);
    zones[3] = 7;
    zones[17] = 4;
    SetTable(32, zones);

    TFormMom f;
    f.StatusBar = &bar;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Мгновенные данные хроматографа, зоны параметров газа"));
    EXPECT_EQ(f.size(), QSize(760, 562));
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(f.pn[i]->objectName(), QStringLiteral("pn%1").arg(i + 1));
        EXPECT_EQ(f.v[i]->objectName(), QStringLiteral("v%1").arg(i + 1));
        EXPECT_EQ(f.z[i]->objectName(), QStringLiteral("z%1").arg(i + 1));
        EXPECT_TRUE(f.v[i]->text().isEmpty());
    }
    f.show();
    EXPECT_EQ(f.LabelTimeCaption->text(), QStringLiteral("Время последнего опроса хроматографа"));
    EXPECT_EQ(f.LabelMethod->text(), QStringLiteral("Расчет по ГОСТ"));
    EXPECT_EQ(f.pn[11]->text(), QString::fromUtf8(GasParamNamesVolume[11]) + QStringLiteral(", ккал/м3"));
    EXPECT_EQ(f.pn[0]->text(), QString::fromUtf8(GasParamNamesVolume[0]) + QStringLiteral(", %"));
    EXPECT_TRUE(f.LabelTime->text().isEmpty());

    link.sim.ClearLog();
    f.Timer1Timer();
    EXPECT_EQ(Reads(), (std::vector<Read>{{30, 0, 22}, {32, 0, 20}}));
    EXPECT_EQ(Bytes(f.Data, f.Data + 88), record);
    EXPECT_EQ(f.LabelTime->text(), QStringLiteral("07.12.26 13:05:09"));
    // Each value converted under the settings, with its own decimals.
    qvr::GasAnalysis expect = qvr::GasAnalysis::Load(record.data() + 8);
    qvr::ConvertGasAnalysis(expect);
    for (int i = 0; i < 20; ++i) {
        if (i == 17) continue;
        EXPECT_EQ(f.v[i]->text(), QString::fromStdString(qvr::FixedValueText(expect.v[i], i % 5))) << i;
    }
    EXPECT_EQ(f.v[15]->text(), QStringLiteral("100"));  // volume fractions sum to 100, no decimals
    EXPECT_TRUE(f.v[17]->text().isEmpty());
    EXPECT_TRUE(f.z[17]->text().isEmpty());
    EXPECT_EQ(TextColour(f.v[17]), f.palette().color(QPalette::Window));
    EXPECT_EQ(f.z[0]->text(), QStringLiteral(" Норма"));
    EXPECT_EQ(TextColour(f.z[0]), QColor(0, 0, 0));
    EXPECT_EQ(f.z[1]->text(), QStringLiteral(" Нижняя предупредительная зона"));
    EXPECT_EQ(TextColour(f.z[1]), QColor(0x72, 0x38, 0x38));
    EXPECT_EQ(TextColour(f.z[2]), QColor(0x72, 0x38, 0x38));
    EXPECT_EQ(f.z[3]->text(), QStringLiteral("?"));
    EXPECT_EQ(TextColour(f.z[3]), QColor(0, 0x80, 0));
    EXPECT_EQ(f.z[4]->text(), QStringLiteral(" Верхняя аварийная зона"));
    EXPECT_EQ(TextColour(f.z[4]), QColor(0xFF, 0, 0));
    EXPECT_EQ(TextColour(f.z[8]), QColor(0xFF, 0, 0));  // zone 3

    // Another showing follows changed settings: molar fractions and the controller's
    // own values stand as read.
    f.hide();
    ReportSettings.prz_composition = 0;
    ReportSettings.thermal_unit = 0;
    ReportSettings.calc_formula = 0;
    ReportSettings.metan_corr = 0;
    f.show();
    EXPECT_EQ(f.LabelMethod->text(), QStringLiteral("Расчет по ДСТУ ИСО"));
    EXPECT_EQ(f.pn[11]->text(), QString::fromUtf8(GasParamNamesMolar[11]) + QStringLiteral(", МДж/м3"));
    EXPECT_TRUE(f.LabelTime->text().isEmpty());
    f.Timer1Timer();
    EXPECT_EQ(f.v[0]->text(), QStringLiteral("0"));       // 0.123, no decimals
    EXPECT_EQ(f.v[1]->text(), QStringLiteral("1.6"));     // 1.623, one decimal
    EXPECT_EQ(f.v[4]->text(), QStringLiteral("6.1230"));  // 6.123, four decimals
    EXPECT_EQ(f.v[12]->text(), QStringLiteral("18.12"));  // 18.123, two decimals
    EXPECT_EQ(Bytes(f.Data, f.Data + 88), record);        // the stored bytes stay as read
}

// The moisture analyser's values; the analyser type changes the third caption only and
// the fifth row is empty for every type.
TEST_F(MomViews, MoistureValuesAndRows) {
    Bytes t37(28, 0);
    const uint8_t head[8] = {26, 12, 7, 0, 23, 59, 58, 0};
    std::memcpy(t37.data(), head, 8);
    const float values[4] = {-20.5f, 3.25f, 0.0f, 1234.5678f};
    for (int i = 0; i < 4; ++i) qvr::PutF32(t37.data() + 8 + 4 * i, values[i]);
    qvr::PutF32(t37.data() + 24, 55.0f);
    SetTable(37, t37);

    TFormMomWmt f;
    f.StatusBar = &bar;
    EXPECT_EQ(f.windowTitle(), QStringLiteral(" Мгновенные данные влагомера"));
    EXPECT_EQ(f.size(), QSize(745, 256));
    const QString third = f.Caption[2]->text();
    EXPECT_EQ(third, QStringLiteral(" PV23 – Избыточное давление газа WDP,  bar"));
    EXPECT_FALSE(f.Caption[4]->text().isEmpty());

    for (uint8_t type : {0, 1, 2, 3}) {
        SCOPED_TRACE(int(type));
        TablePtr(15)[6] = type;
        f.show();
        EXPECT_EQ(f.Caption[2]->text(), type == 2 ? QStringLiteral(" PV23 – Давление газа, МПа") : third);
        EXPECT_TRUE(f.Caption[4]->text().isEmpty());
        EXPECT_FALSE(f.Value[4]->isVisible());
        EXPECT_TRUE(f.Caption[0]->text().startsWith(QStringLiteral(" PV21 – Температура точки росы")));
        EXPECT_TRUE(f.LabelTime->text().isEmpty());
        f.hide();
    }
    f.show();
    link.sim.ClearLog();
    f.Timer1Timer();
    EXPECT_EQ(Reads(), (std::vector<Read>{{37, 0, 7}}));
    EXPECT_EQ(Bytes(f.Data, f.Data + 28), t37);
    EXPECT_EQ(f.LabelTime->text(), QStringLiteral("07.12.26 23:59:58"));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(f.Value[i]->text(), QString::fromStdString("  " + qvr::FormatValue6(values[i]))) << i;
    EXPECT_TRUE(f.Value[4]->text().isEmpty());
}

// The table-state button: table 7 into the buffer, result 1, the window closed; a failed
// read keeps the window with its polling.
TEST_F(MomViews, TableStateButton) {
    Bytes t7(38, 0);
    t7[4] = 1;
    t7[22] = 1;
    SetTable(7, t7);
    TableStateBuffer state;
    std::memset(&state, 0xAB, sizeof state);
    QTimer messageTimer;
    messageTimer.setInterval(60000);
    TFormPrz f;
    f.StatusBar = &bar;
    f.MessageTimer = &messageTimer;
    f.TableState = &state;

    // Failure first: the retry question is answered No.
    ctlsim::Faults silent;
    silent.silent = true;
    link.sim.SetFaults(silent);
    f.show();
    qvr::QueueQuesAnswers({0});
    f.BtnTables->click();
    EXPECT_EQ(f.Result, 0);
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.BtnTables->isEnabled());
    EXPECT_TRUE(f.BtnExit->isEnabled());
    EXPECT_TRUE(f.Timer1->isActive());
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].kind, qvr::kQuesRetry);
    EXPECT_EQ(state.destroyed[0], 0xAB);  // untouched

    link.sim.ClearFaults();
    messageTimer.stop();
    link.sim.ClearLog();
    f.BtnTables->click();
    EXPECT_EQ(Reads(), (std::vector<Read>{{7, 0, 38}}));
    EXPECT_EQ(f.Result, 1);
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.Timer1->isActive());
    EXPECT_TRUE(messageTimer.isActive());
    for (int t = 0; t < kTableCount; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(state.destroyed[t], (t == 4 || t == 22) ? 1 : 0);
        EXPECT_EQ(state.present[t], IsConfigTable(t) ? 1 : 0);
        EXPECT_EQ(state.toWrite[t], 0);
    }
}

// The flow-computer button: tables 9, 18, 34 and 35 read, the state window shown with the
// block while the polling rests and the buttons are disabled.
TEST_F(MomViews, FlowComputerButtonShowsTheStates) {
    SetTable(9, {2});
    SetTable(18, {5, 9, 44});
    SetTable(34, {1, 0, 1});
    SetTable(35, {0, 1, 1});
    QTimer messageTimer;
    TFormPrz f;
    f.StatusBar = &bar;
    f.MessageTimer = &messageTimer;
    f.show();
    bool seen = false, buttonsOff = false, timerOff = false;
    FlowComputerStateBlock shown{};
    ModalDriver driver({{"TFormVichInf", [&](QWidget* w) {
        auto* vi = qobject_cast<TFormVichInf*>(w);
        seen = vi != nullptr;
        if (vi && vi->States) shown = *vi->States;
        buttonsOff = !f.BtnExit->isEnabled() && !f.BtnTables->isEnabled() && !f.BtnChromData->isEnabled() &&
                     !f.BtnVich->isEnabled();
        timerOff = !f.Timer1->isActive();
        w->close();
    }}});
    link.sim.ClearLog();
    f.BtnVich->click();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(buttonsOff);
    EXPECT_TRUE(timerOff);
    EXPECT_EQ(Reads(), (std::vector<Read>{{9, 0, 1}, {18, 0, 2}, {34, 0, 2}, {35, 0, 2}}));
    EXPECT_EQ(shown.address[0], 5);
    EXPECT_EQ(shown.address[1], 9);
    EXPECT_EQ(shown.address[2], 0);
    EXPECT_EQ(shown.linkPresent[0], 1);
    EXPECT_EQ(shown.writing[1], 1);
    EXPECT_TRUE(messageTimer.isActive());
    EXPECT_TRUE(f.BtnExit->isEnabled());
    EXPECT_TRUE(f.Timer1->isActive());
    EXPECT_TRUE(f.isVisible());
}

// A button pressed while a tick waits for the controller runs once the tick is over,
// instead of meeting an engine that is still busy.
TEST_F(MomViews, ButtonDuringATickRunsAfterIt) {
    SetTable(7, Bytes(38, 0));
    TableStateBuffer state{};
    TFormPrz f;
    f.TableState = &state;
    f.show();
    link.box()->ReplyMs = 10000;  // the reply waits for the action below
    link.sim.ClearLog();
    DuringTheNextRead(link.sim, &f, [&] { f.BtnTables->click(); });
    f.Timer1Timer();
    EXPECT_EQ(Reads(), (std::vector<Read>{{16, 0, 18}, {33, 0, 2}, {7, 0, 38}}));
    EXPECT_EQ(f.Result, 1);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(qvr::ShownQues().empty());
}

// The data buttons open the momentary-data windows with the same status bar; the
// current-state polling rests meanwhile.
TEST_F(MomViews, DataButtonsOpenTheMomentaryWindows) {
    g_MoisturePresent = 1;
    TFormPrz f;
    f.StatusBar = &bar;
    f.show();
    qvr::IStatusBar* momBar = nullptr;
    qvr::IStatusBar* wmtBar = nullptr;
    bool momPolling = false, przResting = false;
    ModalDriver driver({
        {"TFormMom", [&](QWidget* w) {
            if (auto* m = qobject_cast<TFormMom*>(w)) {
                momBar = m->StatusBar;
                momPolling = m->Timer1->isActive();
            }
            przResting = !f.Timer1->isActive();
            w->close();
        }},
        {"TFormMomWmt", [&](QWidget* w) {
            if (auto* m = qobject_cast<TFormMomWmt*>(w)) wmtBar = m->StatusBar;
            w->close();
        }},
    });
    f.BtnChromData->click();
    f.BtnWmtData->click();
    EXPECT_EQ(driver.Done(), 2u);
    EXPECT_EQ(momBar, &bar);
    EXPECT_EQ(wmtBar, &bar);
    EXPECT_TRUE(momPolling);
    EXPECT_TRUE(przResting);
    EXPECT_TRUE(f.Timer1->isActive());
}

// The moisture-analyser command: link flag read first; no link gives the notice.
TEST_F(MomViews, MoistureCommandChecksTheLink) {
    SetTable(33, {1, 0});
    bar.panels[2] = "old";
    link.sim.ClearLog();
    qvr::NWmt_MomDataClick(nullptr, &bar);
    EXPECT_EQ(Reads(), (std::vector<Read>{{33, 1, 1}}));
    EXPECT_EQ(bar.panels[2], "");
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].kind, qvr::kQuesNotice);
    EXPECT_EQ(qvr::ShownQues()[0].text1, "Нет связи с влагомером");
    EXPECT_EQ(qvr::ShownQues()[0].text2, "(см. текущее состояние контроллера)");

    qvr::ClearQuesRecord();
    SetTable(33, {0, 1});
    qvr::IStatusBar* shownBar = nullptr;
    ModalDriver driver({{"TFormMomWmt", [&](QWidget* w) {
        if (auto* m = qobject_cast<TFormMomWmt*>(w)) shownBar = m->StatusBar;
        w->close();
    }}});
    qvr::NWmt_MomDataClick(nullptr, &bar);
    EXPECT_EQ(shownBar, &bar);
    EXPECT_TRUE(qvr::ShownQues().empty());

    // A failed read: the retry question, then nothing more.
    ctlsim::Faults silent;
    silent.silent = true;
    link.sim.SetFaults(silent);
    qvr::QueueQuesAnswers({0});
    qvr::NWmt_MomDataClick(nullptr, &bar);
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].kind, qvr::kQuesRetry);
    EXPECT_EQ(driver.Done(), 1u);
}

// The chromatograph command: the same check on field 0; the message timer afterwards.
TEST_F(MomViews, ChromatographCommandChecksTheLink) {
    QTimer messageTimer;
    SetTable(33, {0, 1});
    qvr::NChrom_MomDataClick(nullptr, &bar, &messageTimer);
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].text1, "Нет связи с хроматографом");
    EXPECT_EQ(qvr::ShownQues()[0].text2, "(см. текущее состояние контроллера)");
    EXPECT_FALSE(messageTimer.isActive());

    SetTable(33, {1, 0});
    bool shown = false;
    ModalDriver driver({{"TFormMom", [&](QWidget* w) {
        shown = qobject_cast<TFormMom*>(w) != nullptr;
        w->close();
    }}});
    qvr::NChrom_MomDataClick(nullptr, &bar, &messageTimer);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(messageTimer.isActive());
}

// The current-state command: the table-state button leads to the table-state form, whose
// exit returns to the current-state window; its exit ends the command.
TEST_F(MomViews, CurrentStateCommandLoop) {
    SetTable(7, Bytes(38, 0));
    int menuUpdates = 0, disconnects = 0;
    std::vector<QString> seen;
    ModalDriver driver({
        {"TFormPrz", [&](QWidget* w) {
            seen.push_back(w->metaObject()->className());
            if (auto* p = qobject_cast<TFormPrz*>(w)) p->BtnTables->click();
        }},
        {"TFormTableInfo", [&](QWidget* w) {
            seen.push_back(w->metaObject()->className());
            if (auto* t = qobject_cast<TFormTableInfo*>(w)) {
                EXPECT_NE(t->State, nullptr);
                if (t->State) {
                    EXPECT_EQ(t->State->present[2], 1);
                }
                t->BitBtn2->click();
            }
        }},
        {"TFormPrz", [&](QWidget* w) {
            seen.push_back(w->metaObject()->className());
            if (auto* p = qobject_cast<TFormPrz*>(w)) p->BtnExit->click();
        }},
    });
    const int r = qvr::NSitClick(nullptr, &bar, nullptr, [&] { ++disconnects; }, [&] { ++menuUpdates; });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(seen, (std::vector<QString>{"TFormPrz", "TFormTableInfo", "TFormPrz"}));
    EXPECT_EQ(menuUpdates, 1);
    EXPECT_EQ(disconnects, 0);
}
