// The table access layer against the controller simulator over a pseudo-terminal: field
// ranges in and out of the image, the retry and mismatch questions, the changed-fields
// cost rule, whole-configuration reads and writes, and the configuration record copies.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/rd_wr_ini.h"
#include "common/crc16.h"
#include "common/doswin.h"
#include "common/inifile.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/stringi.h"
#include "ctlsim/ctlsim.h"
#include "link/comportfunctions.h"
#include "link/conffun.h"
#include "link/hgcbox.h"
#include "support/tempdir.h"

using Bytes = std::vector<uint8_t>;

namespace {

class RecordingBar : public qvr::IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override {
        texts.push_back(std::to_string(panel) + ":" + text);
        panels[panel] = text;
    }
    std::string PanelText(int panel) const override { return panel >= 0 && panel < 4 ? panels[panel] : ""; }
    void Repaint() override { ++repaints; }
    std::vector<std::string> texts;
    std::string panels[4];
    int repaints = 0;
};

class RecordingProgress : public qvr::IProgress {
public:
    void SetMax(int m) override { max = m; }
    void SetPosition(int p) override { positions.push_back(p); }
    int max = -1;
    std::vector<int> positions;
};

// One table request as the simulator received it: function, table, first, count.
using Req = std::array<int, 4>;

Bytes Pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(seed + i * 7);
    return b;
}

Bytes ImageBytes(int table, size_t from, size_t n) {
    const uint8_t* p = TablePtr(table) + from;
    return Bytes(p, p + n);
}

constexpr int kCom = 78;

class TableLayer : public ::testing::Test {
protected:
    void SetUp() override {
        qvr::InitStringTable();
        path = sim.StartPty();
        ASSERT_FALSE(path.empty());
        setenv(("QVR_COM" + std::to_string(kCom)).c_str(), path.c_str(), 1);
        box = std::make_unique<hgcbox>(5);
        box->ComPort = kCom;
        box->LinkKind = 0;
        box->Baud = 115200;
        box->DoClosePort = 0;
        box->ReplyMs = 5000;  // every reply is expected in time
        box->InterByteMs = 50;
        box->Tries = 1;
        ASSERT_TRUE(box->ReopenPort());
        g_Hgc = box.get();
        std::memset(g_TableMemory, 0, kTableMemorySize);
        std::memset(&ConnSettings, 0, sizeof ConnSettings);
        g_ConfigEndPauseMs = 0;
        g_MoisturePresent = 0;
        g_RestoreAndDisconnect = 0;
        qvr::ClearQuesRecord();
    }
    void TearDown() override {
        g_Hgc = nullptr;
        CloseComPort(box->PortHandle);
        sim.Stop();
        qvr::ClearQuesRecord();
        g_ConfigEndPauseMs = 500;
    }
    std::vector<Req> Requests() {
        std::vector<Req> out;
        for (const Bytes& f : sim.Requests()) {
            if (f.size() > 7 && f[3] == 1) out.push_back({1, f[5], f[6], f[7]});
            if (f.size() > 23 && f[3] == 2) out.push_back({2, f[21], f[22], f[23]});
        }
        return out;
    }
    void Fault(ctlsim::Faults f) { sim.SetFaults(f); }

    ctlsim::CtlSim sim{5};
    std::string path;
    std::unique_ptr<hgcbox> box;
    RecordingBar bar;
};

struct SizeCase {
    int table, first, count, size;
};

}  // namespace

// A read and a write of each field size: the request on the wire, the data in the image
// or in the controller at the right place, neighbouring bytes untouched.
TEST_F(TableLayer, ReadAndWriteEachFieldSize) {
    const SizeCase cases[] = {
        {6, 2, 7, 1}, {22, 3, 10, 4}, {27, 1, 2, 6}, {13, 0, 14, 16}, {5, 0, 1, 20}, {4, 6, 10, 22},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE("table " + std::to_string(c.table));
        ASSERT_EQ(FieldSize(c.table), c.size);
        const size_t off = size_t(c.first) * c.size, n = size_t(c.count) * c.size;
        const Bytes sent = Pattern(n, uint8_t(c.table));
        sim.SetTableBytes(c.table, off, sent);
        sim.ClearLog();
        ASSERT_TRUE(ReadTableFields({uint8_t(c.table), uint8_t(c.first), uint8_t(c.count)}, &bar, 1));
        EXPECT_EQ(ImageBytes(c.table, off, n), sent);
        if (off > 0) {
            EXPECT_EQ(TablePtr(c.table)[off - 1], 0);  // the field before stays
        }
        if (off + n < TableSize(c.table)) {
            EXPECT_EQ(TablePtr(c.table)[off + n], 0);
        }
        ASSERT_EQ(sim.Requests().size(), 1u);
        Bytes expect = {0xCC, 5, 10, 1, 0, uint8_t(c.table), uint8_t(c.first), uint8_t(c.count)};
        uint16_t crc = Crc16(expect.data(), uint16_t(expect.size()));
        expect.push_back(uint8_t(crc));
        expect.push_back(uint8_t(crc >> 8));
        EXPECT_EQ(sim.Requests()[0], expect);

        // Write other bytes back from the image.
        const Bytes written = Pattern(n, uint8_t(0x80 + c.table));
        std::memcpy(TablePtr(c.table) + off, written.data(), n);
        const Bytes before = sim.TableBytes(c.table);
        sim.ClearLog();
        ASSERT_TRUE(WriteTableFields({uint8_t(c.table), uint8_t(c.first), uint8_t(c.count)}, &bar, 1));
        Bytes after = sim.TableBytes(c.table);
        EXPECT_EQ(Bytes(after.begin() + off, after.begin() + off + n), written);
        std::memcpy(after.data() + off, before.data() + off, n);
        EXPECT_EQ(after, before);  // nothing outside the range changed
        ASSERT_EQ(sim.Requests().size(), 1u);
        const Bytes f = sim.Requests()[0];
        EXPECT_EQ(f[2], 26 + n);
        EXPECT_EQ(Bytes(f.begin() + 21, f.begin() + 24), (Bytes{uint8_t(c.table), uint8_t(c.first), uint8_t(c.count)}));
        EXPECT_EQ(Bytes(f.begin() + 24, f.begin() + 24 + n), written);
    }
    EXPECT_TRUE(qvr::ShownQues().empty());
}

// Status texts: interactive reads name the range in panel 2 and clear it; a quiet read
// shows nothing; a write always shows its text.
TEST_F(TableLayer, StatusTexts) {
    ASSERT_TRUE(ReadTableFields({6, 0, 10}, &bar, 1));
    ASSERT_TRUE(ReadTableFields({5, 0, 1}, &bar, 1));
    EXPECT_EQ(bar.texts, (std::vector<std::string>{"2:Чтение из таблицы 6 (поля 0-9)", "2:",
                                                   "2:Чтение из таблицы 5 (поле 0)", "2:"}));
    EXPECT_EQ(bar.repaints, 4);
    bar.texts.clear();
    ASSERT_TRUE(ReadTableFields({6, 0, 10}, &bar, 0));
    EXPECT_TRUE(bar.texts.empty());
    ASSERT_TRUE(WriteTableFields({3, 1, 1}, &bar, 0));
    ASSERT_TRUE(WriteTableFields({22, 0, 20}, &bar, 1));
    EXPECT_EQ(bar.texts, (std::vector<std::string>{"2:Запись в таблицу 3 (поле 1)", "2:",
                                                   "2:Запись в таблицу 22 (поля 0-19)", "2:"}));
    // A null status bar is allowed.
    EXPECT_TRUE(ReadTableFields({6, 0, 10}, nullptr, 1));
}

// A failed interactive read shows the engine's result, asks to retry, and Yes repeats.
TEST_F(TableLayer, FailedReadAsksRetry) {
    sim.SetTableBytes(6, 0, Pattern(10, 1));
    ctlsim::Faults f;
    f.negativeCode = 9;
    f.count = 1;
    Fault(f);
    qvr::QueueQuesAnswers({1});
    ASSERT_TRUE(ReadTableFields({6, 0, 10}, &bar, 1));
    EXPECT_EQ(ImageBytes(6, 0, 10), Pattern(10, 1));
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, qvr::kQuesRetry);
    EXPECT_EQ(shown[0].text1, "Не выполнено чтение из таблицы 6.");
    EXPECT_EQ(shown[0].text2, "\"Системные параметры\"");
    // The result text was in panel 2 while the question was up, then cleared.
    ASSERT_GE(bar.texts.size(), 3u);
    EXPECT_EQ(bar.texts[1].rfind("2:Команда 1.  ", 0), 0u) << bar.texts[1];
    EXPECT_EQ(bar.texts[2], "2:");
    EXPECT_EQ(Requests().size(), 2u);

    // No gives up; a quiet read gives up at once without asking.
    qvr::ClearQuesRecord();
    f.count = -1;
    Fault(f);
    qvr::QueueQuesAnswers({0});
    EXPECT_FALSE(ReadTableFields({6, 0, 10}, &bar, 1));
    EXPECT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_FALSE(ReadTableFields({6, 0, 10}, &bar, 0));
    EXPECT_EQ(qvr::ShownQues().size(), 1u);
}

// A reply that echoes another table is never copied: the engine skips it and waits on.
// Given once, the next try gets the answer, with no question; given to every try, the
// mismatch question comes, even for a quiet read, and Yes (the fault gone) repeats the read.
TEST_F(TableLayer, EchoMismatchOnQuietRead) {
    box->ReplyMs = 1000;  // the simulator answers within milliseconds
    box->Tries = 2;
    sim.SetTableBytes(14, 0, Pattern(8, 40));
    ctlsim::Faults f;
    f.echoTable = 15;
    f.count = 1;
    Fault(f);
    EXPECT_TRUE(ReadTableFields({14, 0, 8}, &bar, 0));
    EXPECT_EQ(ImageBytes(14, 0, 8), Pattern(8, 40));
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_EQ(Requests().size(), 2u);

    box->Tries = 1;
    std::memset(g_TableMemory, 0, kTableMemorySize);
    for (uint8_t answer : {0, 1}) {
        Fault(f);
        qvr::ClearQuesRecord();
        qvr::QueueQuesAnswers({answer});
        EXPECT_EQ(ReadTableFields({14, 0, 8}, &bar, 0), answer == 1);
        EXPECT_EQ(ImageBytes(14, 0, 8), answer ? Pattern(8, 40) : Bytes(8, 0));
        const auto shown = qvr::ShownQues();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, qvr::kQuesRetry);
        EXPECT_EQ(shown[0].text1, "Несоответствие запрошенных и переданных данных.");
        EXPECT_EQ(shown[0].text2, "Табл. 14 \"Параметры связи с хроматографом по MODBUS прот.\".");
    }
}

// A write answered with another header is never taken for done: given to every try, its
// own question comes, interactive or quiet; given once, the next try is answered. A write refused by the
// controller: an interactive call offers the retry, a quiet one leaves its status text.
TEST_F(TableLayer, WriteMismatchAndFailure) {
    box->ReplyMs = 1000;
    ctlsim::Faults f;
    f.echoTable = 2;
    Fault(f);
    for (uint8_t interactive : {0, 1}) {
        SCOPED_TRACE(int(interactive));
        qvr::ClearQuesRecord();
        qvr::QueueQuesAnswers({0});
        EXPECT_FALSE(WriteTableFields({6, 0, 10}, &bar, interactive));
        const auto shown = qvr::ShownQues();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text1, "Несоответствие заголовка ответа заголовку запроса на запись.");
        EXPECT_EQ(shown[0].text2, "Табл. 6 \"Системные параметры\".");
    }
    box->Tries = 2;
    std::memcpy(TablePtr(6), Pattern(10, 70).data(), 10);
    f.count = 1;
    Fault(f);
    sim.ClearLog();
    qvr::ClearQuesRecord();
    EXPECT_TRUE(WriteTableFields({6, 0, 10}, &bar, 0));
    const Bytes written = sim.TableBytes(6);
    ASSERT_GE(written.size(), 10u);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 10), Pattern(10, 70));
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_EQ(Requests().size(), 2u);

    qvr::ClearQuesRecord();
    bar.texts.clear();
    f = {};
    f.failWriteTable = 22;
    Fault(f);
    EXPECT_FALSE(WriteTableFields({22, 0, 20}, &bar, 0));
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_EQ(bar.texts, (std::vector<std::string>{"2:Запись в таблицу 22 (поля 0-19)"}));

    qvr::QueueQuesAnswers({0});
    EXPECT_FALSE(WriteTableFields({22, 0, 20}, &bar, 1));
    const auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, qvr::kQuesRetry);
    EXPECT_EQ(shown[0].text1, "Не выполнена запись в таблицу 22.");
    EXPECT_EQ(shown[0].text2, "\"Зона нечувствительности изменений параметров газа\".");
}

// A read reply must hold exactly the data asked for; a short or long one copies nothing
// and fails with its own text.
TEST_F(TableLayer, ReadReplyLengthChecked) {
    for (int delta : {-1, 1}) {
        SCOPED_TRACE(delta);
        sim.SetHandler(1, [delta](ctlsim::CtlSim&, const Bytes& fr) {
            ctlsim::Reply r;
            r.data = {0, fr[5], fr[6], fr[7]};
            r.data.resize(4 + size_t(int(fr[7]) + delta), 0xEE);
            return r;
        }, 10);
        std::memset(g_TableMemory, 0, kTableMemorySize);
        EXPECT_FALSE(ReadTableFields({6, 0, 10}, &bar, 0));
        EXPECT_EQ(ImageBytes(6, 0, 10), Bytes(10, 0));
        EXPECT_TRUE(qvr::ShownQues().empty());

        bar.texts.clear();
        qvr::QueueQuesAnswers({0});
        EXPECT_FALSE(ReadTableFields({6, 0, 10}, &bar, 1));
        EXPECT_EQ(ImageBytes(6, 0, 10), Bytes(10, 0));
        ASSERT_GE(bar.texts.size(), 2u);
        EXPECT_EQ(bar.texts[1], "2:Команда 1.  Длина ответа не соответствует запросу");
        ASSERT_EQ(qvr::ShownQues().size(), 1u);
        EXPECT_EQ(qvr::ShownQues()[0].text1, "Не выполнено чтение из таблицы 6.");
        qvr::ClearQuesRecord();
    }
}

// Requests that name no valid range never reach the line.
TEST_F(TableLayer, InvalidRequestsRefusedWithoutExchange) {
    const TableRequest bad[] = {
        {38, 0, 1},  {255, 0, 1}, {1, 0, 0},  {31, 0, 0},  {6, 9, 2},   {6, 10, 1},
        {4, 0, 12},  // 264 data bytes: more than a read carries
    };
    for (const TableRequest& r : bad) {
        EXPECT_FALSE(ReadTableFields(r, &bar, 1)) << int(r.table) << " " << int(r.first);
        EXPECT_FALSE(WriteTableFields(r, &bar, 1)) << int(r.table);
    }
    EXPECT_FALSE(WriteTableFields({4, 0, 11}, &bar, 1));  // 242 bytes: more than a write carries
    Bytes old(400, 0);
    EXPECT_FALSE(WriteChangedFields({38, 0, 1}, old.data(), &bar));
    EXPECT_FALSE(WriteChangedFields({31, 0, 0}, old.data(), &bar));
    EXPECT_FALSE(WriteChangedFields({22, 15, 6}, old.data(), &bar));
    EXPECT_FALSE(ReadTableFields(nullptr, &bar, 1));
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_TRUE(sim.RawReceived().empty());
}

// The cost rule of writing back only what changed.
TEST_F(TableLayer, WriteChangedFieldsCostRule) {
    // Nothing changed: no exchange, success.
    Bytes old = ImageBytes(21, 0, 20);
    EXPECT_TRUE(WriteChangedFields({21, 0, 20}, old.data(), &bar));
    EXPECT_TRUE(sim.RawReceived().empty());

    // 1-byte fields 0, 2, 4 changed: runs 3 x 27 = 81 > span 5 + 26: one write 0..4.
    for (int i : {0, 2, 4}) TablePtr(21)[i] = 1;
    EXPECT_TRUE(WriteChangedFields({21, 0, 20}, old.data(), &bar));
    EXPECT_EQ(Requests(), (std::vector<Req>{{2, 21, 0, 5}}));
    EXPECT_EQ(sim.TableBytes(21), ImageBytes(21, 0, 20));

    // Two neighbours changed in a range starting later: one write of just those.
    sim.ClearLog();
    old = ImageBytes(21, 0, 20);
    TablePtr(21)[11] = 7;
    TablePtr(21)[12] = 7;
    EXPECT_TRUE(WriteChangedFields({21, 5, 15}, old.data() + 5, &bar));
    EXPECT_EQ(Requests(), (std::vector<Req>{{2, 21, 11, 2}}));

    // 4-byte fields 0 and 19 changed: runs 2 x 30 = 60 <= span 106: two writes.
    sim.ClearLog();
    old = ImageBytes(22, 0, 80);
    TablePtr(22)[0] = 1;
    TablePtr(22)[19 * 4 + 3] = 1;
    EXPECT_TRUE(WriteChangedFields({22, 0, 20}, old.data(), &bar));
    EXPECT_EQ(Requests(), (std::vector<Req>{{2, 22, 0, 1}, {2, 22, 19, 1}}));

    // Fields 0, 2, ..., 18 of table 22: runs 300 > span 19 x 4 + 26 = 102: one write 0..18.
    sim.ClearLog();
    old = ImageBytes(22, 0, 80);
    for (int i = 0; i <= 18; i += 2) TablePtr(22)[i * 4 + 1] ^= 0x55;
    EXPECT_TRUE(WriteChangedFields({22, 0, 20}, old.data(), &bar));
    EXPECT_EQ(Requests(), (std::vector<Req>{{2, 22, 0, 19}}));
    EXPECT_EQ(sim.TableBytes(22), ImageBytes(22, 0, 80));

    // Table 13 of 16 flow computers, every password changed: more than one frame holds,
    // so fields 0..13 and then 14..15.
    sim.ClearLog();
    old = ImageBytes(13, 0, 256);
    std::memset(TablePtr(13), 'p', 256);
    EXPECT_TRUE(WriteChangedFields({13, 0, 16}, old.data(), &bar));
    EXPECT_EQ(Requests(), (std::vector<Req>{{2, 13, 0, 14}, {2, 13, 14, 2}}));
    EXPECT_EQ(sim.TableBytes(13), Bytes(256, 'p'));

    // Runs stop at the first failed write.
    sim.ClearLog();
    old = ImageBytes(22, 0, 80);
    TablePtr(22)[0] ^= 1;
    TablePtr(22)[19 * 4] ^= 1;
    ctlsim::Faults f;
    f.failWriteTable = 22;
    Fault(f);
    qvr::QueueQuesAnswers({0});
    EXPECT_FALSE(WriteChangedFields({22, 0, 20}, old.data(), &bar));
    EXPECT_EQ(Requests(), (std::vector<Req>{{2, 22, 0, 1}}));
}

namespace {

// A controller with every configuration table filled: 16 flow computers, the name in
// CP866, address 5 at 115200 bit/s.
void FillController(ctlsim::CtlSim& sim, uint8_t flowComputers) {
    for (int t = 0; t < kTableCount; ++t)
        if (IsConfigTable(t)) sim.SetTableBytes(t, 0, Pattern(TableSize(t), uint8_t(t * 13)));
    sim.SetTableBytes(3, 0, {5, 20, 0, 0});
    sim.SetTableBytes(9, 0, {flowComputers});
    Bytes name(20, ' ');
    const Bytes dosName = {0x8A, 0x82, 0x90, 0x2D, 0x31};  // "КВР-1" in CP866
    std::copy(dosName.begin(), dosName.end(), name.begin() + 2);
    sim.SetTableBytes(5, 0, name);
    sim.SetTableBytes(0, 0, {0, 'I', 1, 13});
    sim.SetTableBytes(0, ident::kTextCodePage, {0});  // texts in CP866
}

}  // namespace

// A whole configuration read in the controller's order and chunk sizes, then written
// back unchanged.
TEST_F(TableLayer, WholeConfigurationReadThenWriteBack) {
    FillController(sim, 16);
    const Bytes before(sim.memory, sim.memory + kTableMemorySize);
    ASSERT_TRUE(ReadTableFields({0, 0, 18}, &bar, 1));
    sim.ClearLog();
    RecordingProgress prog;
    ASSERT_TRUE(ReadConfigFromController(&bar, &prog));
    std::vector<Req> expect = {{1, 2, 0, 8}, {1, 3, 0, 4}, {1, 4, 0, 11}, {1, 4, 11, 5}, {1, 5, 0, 1},
                               {1, 6, 0, 10}, {1, 9, 0, 8}, {1, 14, 0, 8}, {1, 15, 0, 8}};
    for (int t = 17; t <= 20; ++t) expect.push_back({1, t, 0, 16});
    expect.push_back({1, 21, 0, 20});
    for (int t = 22; t <= 26; ++t) expect.push_back({1, t, 0, 20});
    expect.push_back({1, 28, 0, 2});
    expect.push_back({1, 29, 0, 7});
    EXPECT_EQ(Requests(), expect);
    EXPECT_EQ(prog.max, 22);
    ASSERT_FALSE(prog.positions.empty());
    EXPECT_EQ(prog.positions.back(), 22);
    EXPECT_EQ(prog.positions[prog.positions.size() - 2], 20);
    // The name is held in Windows-1251 and shown trimmed.
    EXPECT_EQ(std::string(reinterpret_cast<char*>(TablePtr(5)) + 2, 5), "\xCA\xC2\xD0-1");
    EXPECT_EQ(bar.panels[1], "КВР-1");
    EXPECT_EQ(g_MoisturePresent, FieldPtr(6, 8)[0]);
    for (int t = 0; t < kTableCount; ++t)
        if (IsConfigTable(t) && t != 5 && t != 13) {
            EXPECT_EQ(ImageBytes(t, 0, TableSize(t)), sim.TableBytes(t)) << t;
        }

    // Write every configuration table back (table 13 is never read: the image gets the
    // controller's passwords so the comparison covers it too).
    std::memcpy(TablePtr(13), sim.TableBytes(13).data(), TableSize(13));
    TableStateBuffer state{};
    for (int t = 0; t < kTableCount; ++t) state.present[t] = state.toWrite[t] = IsConfigTable(t) ? 1 : 0;
    sim.ClearLog();
    RecordingProgress wprog;
    ASSERT_TRUE(WriteConfigToController(&state, &bar, &wprog));
    EXPECT_EQ(Bytes(sim.memory, sim.memory + kTableMemorySize), before);
    std::vector<Req> wexpect = {{2, 9, 0, 8}, {2, 17, 0, 16}, {2, 18, 0, 16}, {2, 19, 0, 16}, {2, 20, 0, 16},
                                {2, 13, 0, 14}, {2, 13, 14, 2}, {2, 2, 0, 8}, {2, 3, 0, 4}, {2, 4, 0, 10},
                                {2, 4, 10, 6}, {2, 5, 0, 1}, {2, 6, 0, 10}, {2, 14, 0, 8}, {2, 15, 0, 8},
                                {2, 21, 0, 20}};
    for (int t = 22; t <= 26; ++t) wexpect.push_back({2, t, 0, 20});
    wexpect.push_back({2, 28, 0, 2});
    wexpect.push_back({2, 29, 0, 7});
    EXPECT_EQ(Requests(), wexpect);
    // The flow-computer marks are cleared, the others stay.
    for (int t : {9, 13, 17, 18, 19, 20}) EXPECT_EQ(state.toWrite[t], 0) << t;
    for (int t : {2, 3, 4, 5, 6, 14, 15, 21, 29}) EXPECT_EQ(state.toWrite[t], 1) << t;
    EXPECT_EQ(wprog.max, 21);
    EXPECT_EQ(wprog.positions.back(), 21);
    // The image still holds the name in Windows-1251.
    EXPECT_EQ(std::string(reinterpret_cast<char*>(TablePtr(5)) + 2, 5), "\xCA\xC2\xD0-1");
}

// Tables 17..20 follow the number of flow computers, a count of 0 still asks once, and a
// count above 16 is taken as 16 with a notice.
TEST_F(TableLayer, FlowComputerCountInWholeReads) {
    FillController(sim, 0);
    ASSERT_TRUE(ReadConfigFromController(&bar, nullptr));
    for (const Req& r : Requests())
        if (r[1] >= 17 && r[1] <= 20) {
            EXPECT_EQ(r[3], 0);
        }
    EXPECT_TRUE(qvr::ShownQues().empty());

    FillController(sim, 40);
    sim.ClearLog();
    ASSERT_TRUE(ReadConfigFromController(&bar, nullptr));
    for (const Req& r : Requests())
        if (r[1] >= 17 && r[1] <= 20) {
            EXPECT_EQ(r[3], 16);
        }
    EXPECT_EQ(TablePtr(9)[0], 16);
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text1, "Контроллер сообщает о 40 вычислителях РГ.");
}

// A refused retry ends the whole read at once.
TEST_F(TableLayer, WholeReadStopsAtRefusal) {
    FillController(sim, 2);
    sim.SetHandler(1, [](ctlsim::CtlSim& s, const Bytes& fr) {
        if (fr[5] == 6) return ctlsim::Negative(9);
        ctlsim::Reply r;
        r.data = {0, fr[5], fr[6], fr[7]};
        const uint8_t* p = s.Table(fr[5]) + fr[6] * FieldSize(fr[5]);
        r.data.insert(r.data.end(), p, p + fr[7] * FieldSize(fr[5]));
        return r;
    }, 10);
    qvr::QueueQuesAnswers({0});
    EXPECT_FALSE(ReadConfigFromController(&bar, nullptr));
    ASSERT_FALSE(Requests().empty());
    EXPECT_EQ(Requests().back(), (Req{1, 6, 0, 10}));
}

// Table 3 written: the engine, the stored link and the status bar follow the controller
// to its new address and rate; the next request reaches it there.
TEST_F(TableLayer, Table3MovesEngine) {
    ConnSettings.Conn_Prz = 0;
    ConnSettings.Dir.COMPort = kCom;
    ConnSettings.Dir.Adr = 5;
    ConnSettings.Dir.Rate = 115200;
    const uint8_t t3[] = {9, 15, 0, 0};  // address 9, rate index 15 = 19200 bit/s
    std::memcpy(TablePtr(3), t3, 4);
    TableStateBuffer state{};
    state.toWrite[3] = 1;
    ASSERT_TRUE(WriteConfigToController(&state, &bar, nullptr));
    EXPECT_EQ(box->Address, 9);
    EXPECT_EQ(box->Baud, 19200u);
    EXPECT_EQ(ConnSettings.Dir.Adr, 9);
    EXPECT_EQ(ConnSettings.Dir.Rate, 19200);
    EXPECT_EQ(sim.Address(), 9);
    EXPECT_NE(bar.panels[0].find("19200"), std::string::npos);
    EXPECT_NE(bar.panels[1].find("9"), std::string::npos);
    EXPECT_TRUE(ReadTableFields({0, 0, 18}, &bar, 0));

    // During a restore that ends the connection the engine stays where it is.
    g_RestoreAndDisconnect = 1;
    TablePtr(3)[0] = 12;
    state.toWrite[3] = 1;
    ASSERT_TRUE(WriteConfigToController(&state, &bar, nullptr));
    EXPECT_EQ(box->Address, 9);
    EXPECT_EQ(ConnSettings.Dir.Adr, 9);
    EXPECT_EQ(sim.Address(), 12);
}

// Over a modem the port talks to the modem and over TCP there is no line rate: a new rate
// in table 3 leaves the port's rate and the one saved in qvr.ini alone; the new address
// is followed on every link. (The direct line is the case above.)
TEST_F(TableLayer, Table3RateMovesOnlyADirectLine) {
    TempDir dir;
    const std::string ini = dir.dir() + "qvr.ini";
    const uint8_t t3[] = {9, 15, 0, 0};  // address 9, 19200 bit/s
    std::memcpy(TablePtr(3), t3, 4);
    TableStateBuffer state{};

    // The modem: the engine on the modem's port at its own rate.
    ConnSettings.Conn_Prz = 1;
    ConnSettings.Fon.Adr = 5;
    ConnSettings.Fon.Rate = 57600;
    box->LinkKind = 1;
    box->Baud = 57600;
    state.toWrite[3] = 1;
    ASSERT_TRUE(WriteConfigToController(&state, &bar, nullptr));
    EXPECT_EQ(box->Address, 9);
    EXPECT_EQ(ConnSettings.Fon.Adr, 9);
    EXPECT_EQ(box->Baud, 57600u);
    EXPECT_EQ(ConnSettings.Fon.Rate, 57600);
    ASSERT_TRUE(WriteConnSettings(ini));
    EXPECT_EQ(qvr::IniFile(ini).ReadInteger("FON_CONN_PAR", "Rate", -1), 57600);
    EXPECT_EQ(qvr::IniFile(ini).ReadInteger("FON_CONN_PAR", "Adr", -1), 9);
    EXPECT_TRUE(ReadTableFields({0, 0, 18}, &bar, 0)) << "the controller answers at its new address";

    // TCP: a controller of its own behind a socket.
    ctlsim::CtlSim tcpSim{5};
    const int port = tcpSim.StartTcp(0);
    ASSERT_GT(port, 0);
    const int s = ctlsim::ConnectLoopback(port);
    ASSERT_GE(s, 0);
    CloseComPort(box->PortHandle);
    box->PortHandle = -1;
    box->LinkKind = 2;
    box->Socket = s;
    box->TcpSendDelayMs = 0;
    box->Address = 5;
    box->Baud = 1200;
    ConnSettings.Conn_Prz = 2;
    ConnSettings.Ethr.Adr = 5;
    ConnSettings.Ethr.Rate = 0;
    state.toWrite[3] = 1;
    ASSERT_TRUE(WriteConfigToController(&state, &bar, nullptr));
    EXPECT_EQ(tcpSim.Address(), 9);
    EXPECT_EQ(box->Address, 9);
    EXPECT_EQ(ConnSettings.Ethr.Adr, 9);
    EXPECT_EQ(box->Baud, 1200u);
    EXPECT_EQ(ConnSettings.Ethr.Rate, 0);
    close(s);
    box->Socket = -1;
    tcpSim.Stop();
}

// Table 5 goes out in CP866 when the controller keeps its texts so, and the image keeps
// Windows-1251 even when the write fails. Table 6 sets the moisture-analyser flag.
TEST_F(TableLayer, Table5And6Writes) {
    const std::string winName = "  \xCA\xC2\xD0 \xB9" "1            ";  // "  КВР №1"
    ASSERT_EQ(winName.size(), 20u);
    std::memcpy(TablePtr(5), winName.data(), 20);
    TablePtr(0)[ident::kTextCodePage] = 0;
    TableStateBuffer state{};
    state.toWrite[5] = 1;
    ASSERT_TRUE(WriteConfigToController(&state, &bar, nullptr));
    Bytes dos(winName.begin(), winName.end());
    qvr::WinToDos(dos.data(), dos.size());
    EXPECT_EQ(sim.TableBytes(5), dos);
    EXPECT_EQ(sim.TableBytes(5)[2], 0x8A);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(TablePtr(5)), 20), winName);
    EXPECT_EQ(bar.panels[1], "КВР №1");

    ctlsim::Faults f;
    f.failWriteTable = 5;
    Fault(f);
    qvr::QueueQuesAnswers({0});
    EXPECT_FALSE(WriteConfigToController(&state, &bar, nullptr));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(TablePtr(5)), 20), winName);
    sim.ClearFaults();

    // A controller that keeps Windows-1251 gets the bytes as they are.
    TablePtr(0)[ident::kTextCodePage] = 1;
    ASSERT_TRUE(WriteConfigToController(&state, &bar, nullptr));
    EXPECT_EQ(sim.TableBytes(5), Bytes(winName.begin(), winName.end()));

    state = {};
    state.toWrite[6] = 1;
    FieldPtr(6, 8)[0] = 1;
    ASSERT_TRUE(WriteConfigToController(&state, &bar, nullptr));
    EXPECT_EQ(g_MoisturePresent, 1);
}

// The first failed write ends the whole write; the marks of what was written are cleared.
TEST_F(TableLayer, WholeWriteStopsAtFailure) {
    TablePtr(9)[0] = 3;
    for (int i = 0; i < 3; ++i) FieldPtr(18, i)[0] = uint8_t(10 + i);
    TableStateBuffer state{};
    for (int t : {9, 17, 18, 19, 20, 13, 6}) state.toWrite[t] = 1;
    ctlsim::Faults f;
    f.failWriteTable = 18;
    Fault(f);
    qvr::QueueQuesAnswers({0});
    EXPECT_FALSE(WriteConfigToController(&state, &bar, nullptr));
    EXPECT_EQ(Requests(), (std::vector<Req>{{2, 9, 0, 8}, {2, 17, 0, 3}, {2, 18, 0, 3}}));
    EXPECT_EQ(state.toWrite[9], 0);
    EXPECT_EQ(state.toWrite[17], 0);
    EXPECT_EQ(state.toWrite[18], 1);
    EXPECT_EQ(state.toWrite[6], 1);
}
