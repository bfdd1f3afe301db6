#include <gtest/gtest.h>
#include <unistd.h>

#include "common/codepage.h"
#include "common/fileutil.h"
#include "common/inifile.h"
#include "support/filefail.h"
#include "support/inchild.h"
#include "support/tempdir.h"

using namespace qvr;

namespace {

std::string ReadText(const std::string& path) {
    std::string s;
    ReadWholeFile(path, s);
    return s;
}

}  // namespace

TEST(IniFormat, IntegerForms) {
    int32_t v = 0;
    EXPECT_TRUE(ParseIniInteger("12", v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(ParseIniInteger("-5", v));
    EXPECT_EQ(v, -5);
    EXPECT_TRUE(ParseIniInteger("0x1F", v));
    EXPECT_EQ(v, 31);
    EXPECT_TRUE(ParseIniInteger("0X1f", v));
    EXPECT_EQ(v, 31);
    EXPECT_TRUE(ParseIniInteger("$FF", v));
    EXPECT_EQ(v, 255);
    EXPECT_TRUE(ParseIniInteger("$FFFFFFFF", v));
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(ParseIniInteger("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_TRUE(ParseIniInteger("007", v));
    EXPECT_EQ(v, 7);
    for (const char* bad : {"", "0x", "$", "12a", "1 2", "2147483648", "-2147483649", "$123456789", "0xG", "- 1",
                            "99999999999999999999"})
        EXPECT_FALSE(ParseIniInteger(bad, v)) << bad;
}

TEST(IniFormat, DateTimeTextIsFixedAndReadLeniently) {
    EXPECT_EQ(FormatIniDateTime(EncodeDateTime(2024, 3, 5, 7, 8, 9)), "05.03.2024 7:08:09");
    EXPECT_EQ(FormatIniDateTime(EncodeDateTime(2024, 12, 31, 23, 59, 59, 999)), "31.12.2024 23:59:59");
    TDateTime dt;
    ASSERT_TRUE(ParseIniDateTime("5.3.2024 7:8:9", dt));
    EXPECT_EQ(FormatIniDateTime(dt), "05.03.2024 7:08:09");
    ASSERT_TRUE(ParseIniDateTime(" 05.03.2024 07:08:09 ", dt));
    EXPECT_EQ(FormatIniDateTime(dt), "05.03.2024 7:08:09");
    ASSERT_TRUE(ParseIniDateTime("05.03.2024", dt));
    EXPECT_EQ(FormatIniDateTime(dt), "05.03.2024 0:00:00");
    ASSERT_TRUE(ParseIniDateTime("05.03.2024 7:08", dt));
    EXPECT_EQ(FormatIniDateTime(dt), "05.03.2024 7:08:00");
    ASSERT_TRUE(ParseIniDateTime("29.02.2024 1:00:00", dt));
    for (const char* bad : {"", "abc", "29.02.2023 1:00:00", "31.04.2024", "05.03.2024 24:00:00", "05.03.2024 7:60",
                            "05.13.2024", "05.03.2024x", "123.03.2024", "05.03.2024 7:08:09:10"})
        EXPECT_FALSE(ParseIniDateTime(bad, dt)) << bad;
}

TEST(IniFile, ReadsHandWrittenWindows1251FileWithMixedLineEnds) {
    TempDir dir;
    std::string path = dir.path() + "/a.ini";
    std::string text = "; comment\r\n"
                       "[Curr_Par]\r\n"
                       "  conn_prz =  2  \r\n"
                       "Hex=0x10\n"
                       "Dollar=$1A\r\n"
                       "Bad=twelve\r\n"
                       "Name= " + Win("Котельная №1") + " \r\n"
                       "Empty=\r\n"
                       "\r\n"
                       "[" + Win("Раздел") + "]\r\n" +
                       Win("Ключ") + "=x=y\r\n"
                       "[curr_par]\r\n"
                       "Conn_Prz=9\r\n";
    ASSERT_TRUE(WriteFileAtomic(path, text));
    IniFile ini(path);
    EXPECT_TRUE(ini.Loaded());
    EXPECT_EQ(ini.ReadInteger("CURR_PAR", "Conn_Prz", -1), 2);  // the first section of a name counts
    EXPECT_EQ(ini.ReadInteger("CURR_PAR", "HEX", -1), 16);
    EXPECT_EQ(ini.ReadInteger("CURR_PAR", "dollar", -1), 26);
    EXPECT_EQ(ini.ReadInteger("CURR_PAR", "Bad", 77), 77);
    EXPECT_EQ(ini.ReadInteger("CURR_PAR", "Missing", 78), 78);
    EXPECT_EQ(ini.ReadInteger("NO_SUCH", "Conn_Prz", 79), 79);
    EXPECT_EQ(ini.ReadString("CURR_PAR", "Name"), Win("Котельная №1"));
    EXPECT_EQ(ini.ReadString("CURR_PAR", "Empty", "d"), "");
    EXPECT_EQ(ini.ReadString("CURR_PAR", "None", "d"), "d");
    EXPECT_TRUE(ini.ReadBool("CURR_PAR", "Hex", false));
    EXPECT_FALSE(ini.ReadBool("CURR_PAR", "Empty", false));  // not a number: the default
    EXPECT_TRUE(ini.ReadBool("CURR_PAR", "Empty", true));
    // Cyrillic names match without regard to case; the value runs from the first '='.
    EXPECT_EQ(ini.ReadString(Win("РАЗДЕЛ"), Win("ключ")), "x=y");
}

TEST(IniFile, WritingKeepsEveryOtherLineAndUsesCrLf) {
    TempDir dir;
    std::string path = dir.path() + "/a.ini";
    std::string text = "; kept comment\n"
                       "[A]\n"
                       "  Key1 = old \n"
                       "Unknown=" + Win("чужое") + "\n"
                       "\n"
                       "[B]\n"
                       "X=1";
    ASSERT_TRUE(WriteFileAtomic(path, text));
    IniFile ini(path);
    ini.WriteInteger("a", "KEY1", -7);    // replaced where it stands, its spelling kept
    ini.WriteString("A", "Key2", "new");  // added at the end of its section, before the blank line
    ini.WriteBool("C", "Flag", true);     // a new section at the end
    ini.WriteString("B", "X", "2");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadText(path), "; kept comment\r\n"
                              "[A]\r\n"
                              "  Key1 =-7\r\n"
                              "Unknown=" + Win("чужое") + "\r\n"
                              "Key2=new\r\n"
                              "\r\n"
                              "[B]\r\n"
                              "X=2\r\n"
                              "[C]\r\n"
                              "Flag=1\r\n");
    EXPECT_FALSE(FileExists(path + ".tmp"));

    // A missing file is created.
    IniFile fresh(dir.path() + "/new.ini");
    EXPECT_FALSE(fresh.Loaded());
    fresh.WriteDateTime("S", "When", EncodeDateTime(2024, 1, 2, 3, 4, 5));
    ASSERT_TRUE(fresh.Save());
    EXPECT_EQ(ReadText(dir.path() + "/new.ini"), "[S]\r\nWhen=02.01.2024 3:04:05\r\n");
    IniFile back(dir.path() + "/new.ini");
    EXPECT_DOUBLE_EQ(back.ReadDateTime("S", "When", 0), EncodeDateTime(2024, 1, 2, 3, 4, 5));
}

TEST(IniFile, OverLongValuesAreCutOnRead) {
    TempDir dir;
    std::string path = dir.path() + "/a.ini";
    std::string longValue(3000, 'z');
    ASSERT_TRUE(WriteFileAtomic(path, "[S]\r\nK=" + longValue + "\r\n"));
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "K"), std::string(kIniMaxValue, 'z'));
    EXPECT_EQ(ini.ReadInteger("S", "K", 5), 5);
}

TEST(IniFile, FileThatCouldNotBeReadGivesDefaultsAndIsNeverReplaced) {
    TempDir dir;
    std::string path = dir.path() + "/a.ini";
    // The same settings saved as UTF-16 or UTF-32 by another editor, with and without its mark.
    const std::string text = "[S]\r\nK=5\r\n";
    std::string utf16, utf32;
    for (char c : text) {
        utf16 += std::string{c, '\0'};
        utf32 += std::string{c, '\0', '\0', '\0'};
    }
    for (const std::string& content : {"\xFF\xFE" + utf16, utf16, utf32}) {
        ASSERT_TRUE(WriteFileAtomic(path, content));
        IniFile ini(path);
        EXPECT_FALSE(ini.Loaded());
        EXPECT_EQ(ini.ReadInteger("S", "K", 9), 9);
        ini.WriteInteger("S", "K", 1);
        std::string error;
        EXPECT_FALSE(ini.Save(&error));
        EXPECT_EQ(error, "Unable to write to " + path);
        EXPECT_EQ(ReadText(path), content);
    }
    // Not a settings file: a link to a device that never ends, and a file far larger than
    // any settings file. Read at once as unreadable, and never replaced.
    const std::string zero = dir.path() + "/zero.ini";
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    const std::string huge = dir.path() + "/huge.ini";
    ASSERT_TRUE(WriteFileAtomic(huge, text));
    ASSERT_EQ(::truncate(huge.c_str(), off_t(64) << 20), 0);
    for (const std::string& other : {zero, huge}) {
        SCOPED_TRACE(other);
        EXPECT_EQ(InChild(10,
                          [&] {
                              IniFile ini(other);
                              const bool defaults = !ini.Loaded() && ini.ReadInteger("S", "K", 9) == 9;
                              ini.WriteInteger("S", "K", 1);
                              std::string error;
                              const bool refused = !ini.Save(&error) && error == "Unable to write to " + other;
                              return defaults && refused ? 0 : 1;
                          }),
                  0);
    }
    EXPECT_EQ(FileSize(huge), 64 << 20);

    // Once the user has removed it, the file is written anew.
    IniFile ini(path);
    ini.WriteInteger("S", "K", 1);
    ASSERT_TRUE(RemoveFile(path));
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadText(path), "[S]\r\nK=1\r\n");

    // Windows-1251 text with a stray zero byte and the zero-filled tail a crash leaves is
    // read and saved as usual; the tail is dropped.
    const std::string damaged = "[S]\r\nName=" + Win("Узел") + std::string(1, '\0') + "\r\nK=5\r\n" +
                                std::string(4096, '\0');
    ASSERT_TRUE(WriteFileAtomic(path, damaged));
    IniFile readable(path);
    EXPECT_TRUE(readable.Loaded());
    EXPECT_EQ(readable.ReadString("S", "Name"), Win("Узел"));
    EXPECT_EQ(readable.ReadInteger("S", "K", 9), 5);
    readable.WriteInteger("S", "K", 6);
    ASSERT_TRUE(readable.Save());
    EXPECT_EQ(ReadText(path), "[S]\r\nName=" + Win("Узел") + std::string(1, '\0') + "\r\nK=6\r\n");
}

TEST(IniFile, FailedSaveReportsAndKeepsOldFile) {
    TempDir dir;
    std::string path = dir.path() + "/a.ini";
    ASSERT_TRUE(WriteFileAtomic(path, std::string("[S]\r\nK=1\r\n")));
    IniFile ini(path);
    ini.WriteInteger("S", "K", 2);
    std::string error;
    {
        FileSizeLimit full(4);  // the disk fills up halfway
        EXPECT_FALSE(ini.Save(&error));
    }
    EXPECT_EQ(error, "Unable to write to " + path);
    EXPECT_EQ(ReadText(path), "[S]\r\nK=1\r\n");

    std::string shown;
    SetIniErrorHandler([&](const std::string& m) { shown = m; });
    ReportIniError(error);
    SetIniErrorHandler(nullptr);
    EXPECT_EQ(shown, error);
}
