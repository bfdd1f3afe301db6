// The configuration-file commands with the dialogs scripted: what each dialog is asked,
// the replace question for the path actually written, the create and edit command with and
// without an editor, and the controller's configuration saved from one simulator and
// written into another.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "ctlsim/tablestate.h"
#include "link/conffun.h"
#include "params/configfile.h"
#include "params/ui/cnfcommands.h"
#include "simlink.h"
#include "support/tempdir.h"

using Bytes = std::vector<uint8_t>;

namespace {

class NullBar : public qvr::IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override { texts[panel & 3] = text; }
    std::string PanelText(int panel) const override { return texts[panel & 3]; }
    std::string texts[4];
};

class NullProgress : public qvr::IProgress {
public:
    void SetMax(int) override {}
    void SetPosition(int) override {}
};

// Answers the dialogs from a script and keeps what they were asked.
struct ScriptedDialogs {
    std::deque<QString> answers;  // "=" answers with the proposed path
    std::vector<qvr::CnfDialogRequest> asked;
    ScriptedDialogs() {
        qvr::SetCnfDialogHook([this](const qvr::CnfDialogRequest& r) {
            asked.push_back(r);
            if (answers.empty()) return QString();
            QString a = answers.front();
            answers.pop_front();
            return a == QStringLiteral("=") ? r.fileName : a;
        });
    }
    ~ScriptedDialogs() { qvr::SetCnfDialogHook(nullptr); }
};

Bytes FileBytes(const std::string& path) {
    Bytes b;
    qvr::ReadWholeFile(path, b);
    return b;
}

class CnfCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedProgDir = g_ProgDir;
        g_ProgDir = tmp.dir();
        config = tmp.dir() + "CONFIG";
        qvr::ClearQuesRecord();
        qvr::SetConfigEditor(nullptr);
    }
    void TearDown() override {
        g_ProgDir = savedProgDir;
        qvr::ClearQuesRecord();
        qvr::SetConfigEditor(nullptr);
    }
    static QString Q(const std::string& s) { return QString::fromStdString(s); }
    TempDir tmp;
    std::string savedProgDir, config;
};

}  // namespace

TEST_F(CnfCommandsTest, OpenDialogAndCancel) {
    ScriptedDialogs dlg;
    ConfigRecord rec;
    NewConfigRecord(&rec);
    EXPECT_FALSE(qvr::OpenConfigFile(nullptr, &rec));
    ASSERT_EQ(dlg.asked.size(), 1u);
    const auto& r = dlg.asked[0];
    EXPECT_FALSE(r.save);
    EXPECT_EQ(r.title, QStringLiteral("Выбор файла с параметрами конфигурации"));
    EXPECT_EQ(r.folder, Q(config));
    EXPECT_TRUE(r.fileName.isEmpty());
    EXPECT_EQ(r.filters.value(0), QStringLiteral("Data Files (*.cnf)"));
    EXPECT_EQ(r.fileMode, QFileDialog::ExistingFile);
    EXPECT_TRUE(qvr::ShownQues().empty()) << "Cancel shows nothing";

    // A chosen good file is read; a refused one gives false with its message.
    ASSERT_TRUE(qvr::MakeDir(config));
    ConfigRecord saved;
    NewConfigRecord(&saved);
    saved[2500] = 0x42;
    ASSERT_TRUE(qvr::WriteConfigFile(config + "/a.cnf", saved));
    dlg.answers = {Q(config + "/a.cnf")};
    EXPECT_TRUE(qvr::OpenConfigFile(nullptr, &rec));
    EXPECT_EQ(0, std::memcmp(rec.bytes, saved.bytes, sizeof rec.bytes));
    Bytes v14 = FileBytes(config + "/a.cnf");
    v14[4] = 14;
    ASSERT_TRUE(qvr::WriteFileAtomic(config + "/v14.cnf", v14.data(), v14.size()));
    dlg.answers = {Q(config + "/v14.cnf")};
    EXPECT_FALSE(qvr::OpenConfigFile(nullptr, &rec));
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].text2, "для контроллера КВР с версией ПО 14");
}

TEST_F(CnfCommandsTest, SaveDialogProposalAndReplaceQuestion) {
    ScriptedDialogs dlg;
    ConfigRecord rec;
    NewConfigRecord(&rec);
    std::memcpy(rec.bytes + 29, "Pos 4/B             ", 20);

    // Proposed name in CONFIG (created when missing); taken as it is.
    dlg.answers = {"="};
    qvr::SaveConfigFile(nullptr, &rec);
    ASSERT_EQ(dlg.asked.size(), 1u);
    const auto& r = dlg.asked[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.title, QStringLiteral("Выбор файла для записи параметров конфигурации"));
    EXPECT_EQ(r.folder, Q(config));
    EXPECT_EQ(r.filters.value(0), QStringLiteral("Data Files (*.cnf)"));
    EXPECT_TRUE(r.options.testFlag(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(Q(config)) +
                                   QStringLiteral("/qvr_13-Pos 4_B-\\d{10}\\.cnf$"))
                    .match(r.fileName)
                    .hasMatch())
        << r.fileName.toStdString();
    const std::string proposed = r.fileName.toStdString();
    ConfigRecord back;
    ASSERT_EQ(qvr::ReadConfigFile(proposed, &back), qvr::ConfigLoadResult::Ok);
    EXPECT_EQ(0, std::memcmp(back.bytes, rec.bytes, sizeof rec.bytes));
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].text2, "сохранены в файле " + qvr::FileNameOnly(proposed));

    // An existing file: No goes back to the dialog with that path; accepting it again
    // writes it without a second question.
    const std::string old = config + "/old.cnf";
    ASSERT_TRUE(qvr::WriteFileAtomic(old, std::string("old")));
    dlg.asked.clear();
    qvr::ClearQuesRecord();
    dlg.answers = {Q(old), Q(old)};
    qvr::QueueQuesAnswers({0});
    qvr::SaveConfigFile(nullptr, &rec);
    ASSERT_EQ(dlg.asked.size(), 2u);
    EXPECT_EQ(dlg.asked[1].fileName, Q(old));
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, 3);
    EXPECT_EQ(shown[0].text1, "Файл old.cnf уже есть.");
    EXPECT_EQ(shown[0].text2, "Вы хотите заменить существующий файл?");
    EXPECT_EQ(shown[1].text2, "сохранены в файле old.cnf");
    EXPECT_EQ(FileBytes(old).size(), 2601u);

    // A name without extension that completes to an existing file is asked about; Yes
    // replaces it.
    ASSERT_TRUE(qvr::WriteFileAtomic(old, std::string("old")));
    dlg.asked.clear();
    qvr::ClearQuesRecord();
    dlg.answers = {Q(config + "/old")};
    qvr::QueueQuesAnswers({1});
    qvr::SaveConfigFile(nullptr, &rec);
    shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text1, "Файл old.cnf уже есть.");
    EXPECT_EQ(FileBytes(old).size(), 2601u);
    EXPECT_FALSE(qvr::FileExists(config + "/old"));

    // A new name without extension gets ".cnf"; Cancel writes nothing.
    qvr::ClearQuesRecord();
    dlg.answers = {Q(config + "/fresh")};
    qvr::SaveConfigFile(nullptr, &rec);
    EXPECT_TRUE(qvr::FileExists(config + "/fresh.cnf"));
    qvr::ClearQuesRecord();
    dlg.answers = {};
    qvr::SaveConfigFile(nullptr, &rec);
    EXPECT_TRUE(qvr::ShownQues().empty());
}

TEST_F(CnfCommandsTest, CreateAndEditCommand) {
    ScriptedDialogs dlg;
    // Without an editor a new record goes straight to the save dialog.
    dlg.answers = {Q(tmp.dir() + "new.cnf")};
    qvr::NParCnfClick(nullptr, 0);
    ASSERT_EQ(dlg.asked.size(), 1u);
    EXPECT_TRUE(dlg.asked[0].save);
    Bytes file = FileBytes(tmp.dir() + "new.cnf");
    ASSERT_EQ(file.size(), 2601u);
    EXPECT_EQ(file[403], 0xE4);

    struct Case {
        int tag;
        bool accepted, changed, saveOffered;
    } cases[] = {{0, true, false, true}, {0, false, true, false}, {1, true, false, false},
                 {1, true, true, true},  {1, false, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.tag) + (c.accepted ? " accepted" : " left") + (c.changed ? " changed" : ""));
        int edits = 0;
        qvr::SetConfigEditor([&](QWidget*, ConfigRecord* rec) {
            ++edits;
            EXPECT_EQ((*rec)[2], 'I');
            if (c.changed) (*rec)[29] = 'Z';
            return qvr::ConfigEditorOutcome{c.accepted, c.changed};
        });
        dlg.asked.clear();
        dlg.answers = {};
        if (c.tag == 1) dlg.answers.push_back(Q(tmp.dir() + "new.cnf"));
        qvr::NParCnfClick(nullptr, c.tag);
        EXPECT_EQ(edits, 1);
        const size_t saves = dlg.asked.size() - (c.tag == 1 ? 1 : 0);
        EXPECT_EQ(saves, c.saveOffered ? 1u : 0u);
    }
    // Opening cancelled: no editor.
    int edits = 0;
    qvr::SetConfigEditor([&](QWidget*, ConfigRecord*) {
        ++edits;
        return qvr::ConfigEditorOutcome{true, true};
    });
    dlg.answers = {};
    qvr::NParCnfClick(nullptr, 1);
    EXPECT_EQ(edits, 0);
}

TEST_F(CnfCommandsTest, ReadFailureSaysSoAndSavesNothing) {
    ScriptedDialogs dlg;
    SimLink a(5, 64);
    ASSERT_FALSE(a.path.empty());
    ASSERT_TRUE(a.Attach(5));
    g_Hgc->ReplyMs = 150;
    ctlsim::Faults f;
    f.silent = true;
    a.sim.SetFaults(f);
    qvr::QueueQuesAnswers({0});  // no retry
    bool menus = false;
    NullBar bar;
    EXPECT_FALSE(qvr::NrdcnfClick(nullptr, &bar, nullptr, [&](bool) { menus = true; }));
    EXPECT_FALSE(menus);
    EXPECT_TRUE(dlg.asked.empty());
    auto shown = qvr::ShownQues();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().kind, 5);
    EXPECT_EQ(shown.back().text1, "Параметры конфигурации не прочитаны");
    EXPECT_EQ(shown.back().text2, "");
}

// A controller's configuration saved in a file and written from it into another
// controller: both end with the same configuration tables.
TEST_F(CnfCommandsTest, ConfigurationCarriedFromOneControllerToAnother) {
    const int savedPause = g_ConfigEndPauseMs;
    g_ConfigEndPauseMs = 0;
    ScriptedDialogs dlg;
    SimLink a(5, 65), b(5, 66);
    ASSERT_FALSE(a.path.empty());
    ASSERT_FALSE(b.path.empty());
    ctlsim::SetSoftwareVersion(a.sim, 13);

    // A full configuration in controller A.
    const int n = 3;
    a.sim.SetTableBytes(3, 0, {5, 20, 3, 0});  // address 5 at 115200 bit/s
    Bytes users(352, ' ');
    for (int i = 0; i < 16; ++i) users[22 * i + 4] = users[22 * i + 5] = 0;
    std::memcpy(users.data(), "ADM", 3);
    users[4] = 1;
    std::memcpy(users.data() + 6, "pw-admin", 8);
    std::memcpy(users.data() + 18, "0001", 4);
    std::memcpy(users.data() + 22, "OPR", 3);
    users[22 + 4] = 3;
    std::memcpy(users.data() + 22 + 18, "0002", 4);
    a.sim.SetTableBytes(4, 0, users);
    a.sim.SetTableBytes(5, 0, {'K', 'V', 'R', '-', 'A', '/', '1', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                               ' ', ' ', ' '});
    a.sim.SetTableBytes(6, 0, {3, 201, 3, 10, 201, 4, 9, 1, 1, 0});
    a.sim.SetTableBytes(9, 0, {n, 11, 5, 20, 3, 1, 0, 1});
    a.sim.SetTableBytes(13, 0, Bytes(16 * 16, ' '));
    a.sim.SetTableBytes(14, 0, {7, 11, 1, 0, 150, 5, 9, 0});
    a.sim.SetTableBytes(15, 0, {8, 11, 0, 0, 150, 5, 2, 0});
    a.sim.SetTableBytes(17, 0, {1, 2, 0});
    a.sim.SetTableBytes(18, 0, {10, 11, 12});
    a.sim.SetTableBytes(19, 0, {1, 3, 7});
    a.sim.SetTableBytes(20, 0, {0, 1, 0});
    for (int t = 21; t <= 26; ++t) {
        Bytes v(size_t(TableSize(t)));
        for (size_t i = 0; i < v.size(); ++i) v[i] = uint8_t(t * 11 + i);
        a.sim.SetTableBytes(t, 0, v);
    }
    a.sim.SetTableBytes(28, 0, {2, 0});
    Bytes eth(28);
    for (size_t i = 0; i < eth.size(); ++i) eth[i] = uint8_t(200 - i);
    a.sim.SetTableBytes(29, 0, eth);

    // Read from A (its identification read first, as at every connection) and saved
    // under the proposed name.
    ASSERT_TRUE(a.Attach(5));
    ASSERT_TRUE(ReadTableFields(TableRequest{0, 0, 18}, nullptr, 0));
    NullBar bar;
    bool moisture = false;
    dlg.answers = {"="};
    ASSERT_TRUE(qvr::NrdcnfClick(nullptr, &bar, nullptr, [&](bool m) { moisture = m; }));
    EXPECT_TRUE(moisture);
    ASSERT_EQ(dlg.asked.size(), 1u);
    const std::string file = dlg.asked[0].fileName.toStdString();
    EXPECT_NE(file.find("/qvr_13-KVR-A_1-"), std::string::npos) << file;
    const Bytes stored = FileBytes(file);
    ASSERT_EQ(stored.size(), 2601u);
    EXPECT_EQ(stored[0], 1);
    EXPECT_EQ(stored[2393], n);

    // Opened and written into B.
    ASSERT_TRUE(b.Attach(5));
    ConfigRecord rec;
    dlg.answers = {QString::fromStdString(file)};
    ASSERT_TRUE(qvr::OpenConfigFile(nullptr, &rec));
    ASSERT_TRUE(LoadConfigRecord(&rec, 1));
    TableStateBuffer state{};
    for (int t = 0; t < kTableCount; ++t) state.toWrite[t] = IsConfigTable(t) && t != 2 ? 1 : 0;
    NullProgress progress;
    ASSERT_TRUE(WriteConfigToController(&state, &bar, &progress)) << g_Hgc->ResultText();

    for (int t = 0; t < kTableCount; ++t) {
        if (!IsConfigTable(t) || t == 2) continue;
        SCOPED_TRACE(t);
        Bytes ta = a.sim.TableBytes(t), tb = b.sim.TableBytes(t);
        if (t == 13 || (t >= 17 && t <= 20)) {
            const size_t used = size_t(n * FieldSize(t));
            ta.resize(used);
            tb.resize(used);
        }
        EXPECT_EQ(ta, tb);
    }
    g_ConfigEndPauseMs = savedPause;
}
