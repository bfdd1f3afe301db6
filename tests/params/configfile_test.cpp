// Configuration files: the default record byte by byte, the password transform, save and
// open round trip, every refusal with its message, the proposed name and the save path rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "common/bytes.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "params/configfile.h"
#include "support/filefail.h"
#include "support/inchild.h"
#include "support/tempdir.h"

using Bytes = std::vector<uint8_t>;

namespace {

Bytes FileBytes(const std::string& path) {
    Bytes b;
    qvr::ReadWholeFile(path, b);
    return b;
}

void WriteBytes(const std::string& path, const Bytes& b) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

Bytes Range(const ConfigRecord& r, size_t off, size_t n) { return Bytes(r.bytes + off, r.bytes + off + n); }

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override { qvr::ClearQuesRecord(); }
    void TearDown() override { qvr::ClearQuesRecord(); }
    TempDir tmp;
};

}  // namespace

TEST(ConfigRecordDefaults, EveryAreaOfANewRecord) {
    ConfigRecord r;
    std::memset(r.bytes, 0xAA, sizeof r.bytes);
    NewConfigRecord(&r);

    EXPECT_EQ(r[0], 0);
    EXPECT_EQ(r[2], 'I');
    EXPECT_EQ(r[4], 13);
    EXPECT_EQ(Range(r, 29, 20), Bytes(20, ' '));
    EXPECT_EQ(Range(r, 69, 4), (Bytes{1, 11, 3, 0}));
    EXPECT_EQ(Range(r, 173, 10), (Bytes{3, 201, 3, 10, 201, 4, 9, 1, 1, 0}));
    EXPECT_EQ(Range(r, 283, 8), (Bytes{1, 11, 1, 0, 150, 5, 9, 0}));
    EXPECT_EQ(Range(r, 341, 8), (Bytes{1, 11, 0, 0, 150, 5, 2, 0}));
    EXPECT_EQ(Range(r, 2393, 8), (Bytes{1, 11, 5, 20, 3, 1, 0, 1}));
    EXPECT_EQ(Range(r, 1839, 2), (Bytes{1, 0}));
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Range(r, 399 + 20 * i, 4), Bytes(4, 0));
        EXPECT_EQ(Range(r, 403 + 20 * i, 16), Bytes(16, ' '));
        const size_t u = 1941 + 22 * i;
        EXPECT_EQ(Range(r, u, 4), Bytes(4, ' '));
        EXPECT_EQ(Range(r, u + 4, 2), Bytes(2, 0));
        EXPECT_EQ(Range(r, u + 6, 12), Bytes(12, ' '));
        EXPECT_EQ(Range(r, u + 18, 4), Bytes(4, ' '));
    }
    Bytes t21(20, 0);
    t21[7] = t21[9] = t21[12] = 1;
    EXPECT_EQ(Range(r, 819, 20), t21);
    // A few defaults of the limit tables: propane dead band, methane lower warning set
    // point, density upper limit, temperature dead band, relative density lower limit.
    EXPECT_FLOAT_EQ(qvr::GetF32(r.bytes + 939 + 4 * 1), 0.05f);
    EXPECT_FLOAT_EQ(qvr::GetF32(r.bytes + 1119 + 4 * 8), 95.0f);
    EXPECT_FLOAT_EQ(qvr::GetF32(r.bytes + 1659 + 4 * 12), 1.05f);
    EXPECT_FLOAT_EQ(qvr::GetF32(r.bytes + 939 + 4 * 16), 18.0f);
    EXPECT_FLOAT_EQ(qvr::GetF32(r.bytes + 1479 + 4 * 19), 0.425f);
    EXPECT_FLOAT_EQ(qvr::GetF32(r.bytes + 1299 + 4 * 14), 0.999f);

    // Every reserved area is zero.
    const std::pair<size_t, size_t> reserved[] = {{19, 10}, {49, 20}, {73, 100}, {183, 100}, {291, 50},
                                                  {349, 50}, {719, 100}, {839, 100}, {1019, 100}, {1199, 100},
                                                  {1379, 100}, {1559, 100}, {1739, 100}, {1841, 100}, {2293, 52},
                                                  {2373, 20}, {2401, 200}};
    for (auto [off, n] : reserved) EXPECT_EQ(Range(r, off, n), Bytes(n, 0)) << "reserved at " << off;
    // Identification apart from the two checked bytes is zero.
    EXPECT_EQ(r[1], 0);
    EXPECT_EQ(r[3], 0);
    EXPECT_EQ(Range(r, 5, 14), Bytes(14, 0));
}

TEST(ConfigPasswords, TransformTouchesOnlyPasswordsAndIsInverted) {
    ConfigRecord r;
    for (size_t i = 0; i < sizeof r.bytes; ++i) r.bytes[i] = uint8_t(i * 7);
    ConfigRecord e = r;
    qvr::EncodeConfigPasswords(&e);
    for (size_t i = 0; i < sizeof r.bytes; ++i) {
        const bool pw = i >= 399 && i < 719 && (i - 399) % 20 >= 4;
        if (pw)
            ASSERT_EQ(e[i], uint8_t((r[i] ^ 0xFF) + 5)) << i;
        else
            ASSERT_EQ(e[i], r[i]) << i;
    }
    qvr::DecodeConfigPasswords(&e);
    EXPECT_EQ(0, std::memcmp(e.bytes, r.bytes, sizeof r.bytes));
    // 0xFA..0xFF wrap: ((0xFB ^ 0xFF) + 5) = 9, and back.
    ConfigRecord w{};
    w[403] = 0xFB;
    w[403 + 15] = 0x00;
    qvr::EncodeConfigPasswords(&w);
    EXPECT_EQ(w[403], 9);
    EXPECT_EQ(w[418], 4);  // (0x00 ^ 0xFF) + 5 = 0x104 -> 4
    qvr::DecodeConfigPasswords(&w);
    EXPECT_EQ(w[403], 0xFB);
    EXPECT_EQ(w[418], 0);
}

TEST_F(ConfigFileTest, NewRecordSavedAndOpenedIsByteIdentical) {
    ConfigRecord r;
    NewConfigRecord(&r);
    // Something in every kind of area, reserved bytes included: they are kept as they are.
    std::memcpy(r.bytes + 29, "\xCF\xF3\xED\xEA\xF2 7", 7);
    r[100] = 0x5A;
    r[2500] = 0xA5;
    std::memcpy(r.bytes + 403 + 20 * 3, "secret-password!", 16);
    const ConfigRecord before = r;
    const std::string path = tmp.path() + "/a.cnf";

    ASSERT_TRUE(qvr::StoreConfigFile(path, r));
    EXPECT_EQ(0, std::memcmp(r.bytes, before.bytes, sizeof r.bytes)) << "save leaves the record as it was";
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, 6);
    EXPECT_EQ(shown[0].text1, "Параметры конфигурации");
    EXPECT_EQ(shown[0].text2, "сохранены в файле a.cnf");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 1);  // no temporary left

    const Bytes file = FileBytes(path);
    ASSERT_EQ(file.size(), 2601u);
    // Blank passwords are stored as 0xE4; the other bytes unchanged.
    EXPECT_EQ(Bytes(file.begin() + 403, file.begin() + 419), Bytes(16, 0xE4));
    EXPECT_EQ(file[403 + 60], uint8_t(('s' ^ 0xFF) + 5));
    EXPECT_EQ(file[100], 0x5A);
    EXPECT_EQ(file[2500], 0xA5);
    EXPECT_EQ(Bytes(file.begin() + 1941, file.begin() + 1945), Bytes(4, ' '));

    ConfigRecord back;
    std::memset(back.bytes, 0x11, sizeof back.bytes);
    ASSERT_TRUE(qvr::LoadConfigFile(path, &back));
    EXPECT_EQ(0, std::memcmp(back.bytes, before.bytes, sizeof back.bytes));
    EXPECT_EQ(qvr::ShownQues().size(), 1u) << "a good file opens without a message";

    // Saved again: the same file, byte for byte.
    const std::string path2 = tmp.path() + "/b.cnf";
    ASSERT_TRUE(qvr::WriteConfigFile(path2, back));
    EXPECT_EQ(FileBytes(path2), file);
}

TEST_F(ConfigFileTest, RefusalsAndTheirMessages) {
    ConfigRecord good;
    NewConfigRecord(&good);
    const std::string base = tmp.path() + "/good.cnf";
    ASSERT_TRUE(qvr::WriteConfigFile(base, good));
    const Bytes ok = FileBytes(base);

    struct Case {
        const char* name;
        Bytes content;
        qvr::ConfigLoadResult result;
        int kind;
        const char* text1;
        const char* text2;
    };
    Bytes shortFile(ok.begin(), ok.end() - 1);
    Bytes wrongType = ok;
    wrongType[2] = 'J';
    Bytes v14 = ok;
    v14[4] = 14;
    Bytes tooMany = ok;
    tooMany[2393] = 17;
    Bytes sixteen = ok;
    sixteen[2393] = 16;

    const Case cases[] = {
        {"short.cnf", shortFile, qvr::ConfigLoadResult::OpenFailed, 1, "Ошибка открытия файла", ""},
        {"empty.cnf", {}, qvr::ConfigLoadResult::OpenFailed, 1, "Ошибка открытия файла", ""},
        {"type.cnf", wrongType, qvr::ConfigLoadResult::NotConfig, 6,
         "Файл type.cnf не является файлом конфигурации", "контроллера КВР"},
        {"v14.cnf", v14, qvr::ConfigLoadResult::WrongVersion, 6,
         "Файл параметров конфигурации v14.cnf подготовлен", "для контроллера КВР с версией ПО 14"},
        {"many.cnf", tooMany, qvr::ConfigLoadResult::BadFlowComputerCount, 2, "Файл many.cnf:",
         "неверно задано количество вычислителей РГ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = tmp.path() + "/" + c.name;
        WriteBytes(path, c.content);
        ConfigRecord r;
        std::memset(r.bytes, 0x3C, sizeof r.bytes);
        EXPECT_EQ(qvr::ReadConfigFile(path, &r), c.result);
        EXPECT_EQ(r[0], 0x3C);
        EXPECT_EQ(r[2600], 0x3C) << "a refused file leaves the record alone";
        qvr::ClearQuesRecord();
        EXPECT_FALSE(qvr::LoadConfigFile(path, &r));
        auto shown = qvr::ShownQues();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, c.kind);
        EXPECT_EQ(shown[0].text1, c.text1);
        EXPECT_EQ(shown[0].text2, c.text2);
    }
    // A missing file, and one that is not a file (a FIFO, read at once), give the open
    // error; 16 flow computers (the most the record holds) is fine.
    qvr::ClearQuesRecord();
    ConfigRecord r;
    EXPECT_FALSE(qvr::LoadConfigFile(tmp.path() + "/missing.cnf", &r));
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].text1, "Ошибка открытия файла");
    const std::string fifo = tmp.path() + "/fifo.cnf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(InChild(10,
                      [&] {
                          qvr::ClearQuesRecord();
                          const bool refused = !qvr::LoadConfigFile(fifo, &r);
                          const auto shown = qvr::ShownQues();
                          return refused && shown.size() == 1 && shown[0].text1 == "Ошибка открытия файла" ? 0 : 1;
                      }),
              0);
    WriteBytes(tmp.path() + "/sixteen.cnf", sixteen);
    EXPECT_EQ(qvr::ReadConfigFile(tmp.path() + "/sixteen.cnf", &r), qvr::ConfigLoadResult::Ok);

    // A longer file is read: its first 2601 bytes are the record, the rest is ignored.
    Bytes longFile = ok;
    longFile.insert(longFile.end(), 500, 0x77);
    WriteBytes(tmp.path() + "/long.cnf", longFile);
    qvr::ClearQuesRecord();
    std::memset(r.bytes, 0x3C, sizeof r.bytes);
    EXPECT_TRUE(qvr::LoadConfigFile(tmp.path() + "/long.cnf", &r));
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_EQ(0, std::memcmp(r.bytes, good.bytes, sizeof r.bytes));
}

TEST_F(ConfigFileTest, FailedSaveSaysSoAndKeepsTheOldFile) {
    ConfigRecord r;
    NewConfigRecord(&r);
    // A folder that does not exist.
    EXPECT_FALSE(qvr::StoreConfigFile(tmp.path() + "/no/such/dir/x.cnf", r));
    auto shown = qvr::ShownQues();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, 1);
    EXPECT_EQ(shown[0].text1, "Ошибка открытия файла");

    // An old file stays whole when the new one cannot be written (here the disk fills up
    // halfway).
    const std::string path = tmp.path() + "/old.cnf";
    WriteBytes(path, Bytes(2601, 7));
    qvr::ClearQuesRecord();
    {
        FileSizeLimit full(1000);
        EXPECT_FALSE(qvr::StoreConfigFile(path, r));
    }
    EXPECT_EQ(FileBytes(path), Bytes(2601, 7));
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].kind, 1);
    EXPECT_EQ(qvr::ShownQues()[0].text1, "Ошибка открытия файла");

    // A file the user made read-only (no write bit; also when running as root) is not
    // replaced and nothing claims it was saved.
    const std::string locked = tmp.path() + "/locked.cnf";
    WriteBytes(locked, Bytes(2601, 9));
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    qvr::ClearQuesRecord();
    EXPECT_FALSE(qvr::StoreConfigFile(locked, r));
    EXPECT_EQ(FileBytes(locked), Bytes(2601, 9));
    ASSERT_EQ(qvr::ShownQues().size(), 1u);
    EXPECT_EQ(qvr::ShownQues()[0].kind, 1);
    EXPECT_EQ(qvr::ShownQues()[0].text1, "Ошибка открытия файла");
    struct stat st;
    ASSERT_EQ(stat(locked.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST(ConfigFileName, ProposedNameFromControllerNameAndClock) {
    ConfigRecord r;
    NewConfigRecord(&r);
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 7;
    t.tm_hour = 9;
    t.tm_min = 5;
    EXPECT_EQ(qvr::ProposedConfigFileName(r, t), "qvr_13--2612070905.cnf") << "20 blanks: nothing between the hyphens";

    // Trimmed, Windows-1251 name shown in UTF-8, '/' and NUL replaced.
    std::memset(r.bytes + 29, ' ', 20);
    const char name[] = "  \xCA\xD0 1/2\0x  ";  // "КР 1/2<NUL>x" in Windows-1251
    std::memcpy(r.bytes + 29, name, sizeof name - 1);
    EXPECT_EQ(qvr::ProposedConfigFileName(r, t), "qvr_13-КР 1_2_x-2612070905.cnf");
    t.tm_year = 2031 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 31;
    t.tm_hour = 23;
    t.tm_min = 59;
    EXPECT_EQ(qvr::ProposedConfigFileName(r, t), "qvr_13-КР 1_2_x-3101312359.cnf");
}

TEST_F(ConfigFileTest, SavePathJudgement) {
    const std::string d = tmp.path() + "/";
    WriteBytes(d + "exists.cnf", Bytes(3, 1));
    WriteBytes(d + "plain", Bytes(3, 1));
    const std::string given = d + "proposed.cnf";

    // The path the dialog was given: written as it is, even when it exists.
    WriteBytes(given, Bytes(1, 0));
    auto s = qvr::JudgeSavePath(given, given);
    EXPECT_EQ(s.path, given);
    EXPECT_FALSE(s.askReplace);
    // A new path without extension gets ".cnf"; another extension is kept.
    s = qvr::JudgeSavePath(d + "new", given);
    EXPECT_EQ(s.path, d + "new.cnf");
    EXPECT_FALSE(s.askReplace);
    s = qvr::JudgeSavePath(d + "new.bin", given);
    EXPECT_EQ(s.path, d + "new.bin");
    EXPECT_FALSE(s.askReplace);
    // An existing file is asked about; so is an existing file named by the completed path.
    s = qvr::JudgeSavePath(d + "exists.cnf", given);
    EXPECT_EQ(s.path, d + "exists.cnf");
    EXPECT_TRUE(s.askReplace);
    s = qvr::JudgeSavePath(d + "exists", given);
    EXPECT_EQ(s.path, d + "exists.cnf");
    EXPECT_TRUE(s.askReplace);
    s = qvr::JudgeSavePath(d + "plain", given);
    EXPECT_EQ(s.path, d + "plain");
    EXPECT_TRUE(s.askReplace);
    // A dot in a folder name is no extension.
    ASSERT_TRUE(qvr::MakeDir(d + "v1.2"));
    s = qvr::JudgeSavePath(d + "v1.2/x", given);
    EXPECT_EQ(s.path, d + "v1.2/x.cnf");
}

TEST(ConfigFileName, FolderAndFileName) {
    const std::string saved = g_ProgDir;
    g_ProgDir = "/opt/qvr/";
    EXPECT_EQ(qvr::ConfigFolder(), "/opt/qvr/CONFIG");
    g_ProgDir = saved;
    EXPECT_EQ(qvr::FileNameOnly("/a/b/c.cnf"), "c.cnf");
    EXPECT_EQ(qvr::FileNameOnly("c.cnf"), "c.cnf");
}
