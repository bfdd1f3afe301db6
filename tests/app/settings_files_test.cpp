#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

#include "app/rd_wr_ini.h"
#include "common/codepage.h"
#include "common/fileutil.h"
#include "common/inifile.h"
#include "support/inchild.h"
#include "support/tempdir.h"

using namespace qvr;

namespace {

std::string ReadText(const std::string& path) {
    std::string s;
    ReadWholeFile(path, s);
    return s;
}

void SetText(char* field, size_t width, const std::string& text) {
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), std::min(text.size(), width - 1));
}

// Every test starts from a program that has just started: all records zero.
class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        ConnSettings = ConnSettingsRecord{};
        ConnSettingsSaved = ConnSettingsRecord{};
        PhoneListSaved = PhoneSubscriberList{};
        EthListSaved = EthSubscriberList{};
        ObjectList = ObjectListRecord{};
        ArchivePeriodSettings = ArchivePeriodRecord{};
        ReportSettings = ReportSettingsRecord{};
        SetIniErrorHandler([this](const std::string& m) { errors.push_back(m); });
    }
    void TearDown() override { SetIniErrorHandler(nullptr); }
    std::string File(const char* name) const { return dir.path() + "/" + name; }
    // The start-up order of the settings.
    void StartUp() {
        ReadConnSettings(File("qvr.ini"), 1920, 1080);
        ConnSettingsSaved = ConnSettings;
        ReadPhoneSubscribers(File("fon_abonents.ini"));
        SortPhoneSubscribers(ConnSettings.FonList);
        ReadEthSubscribers(File("ethr_abonents.ini"));
        SortEthSubscribers(ConnSettings.EthrList);
    }

    TempDir dir;
    std::vector<std::string> errors;
};

}  // namespace

TEST_F(Settings, DefaultsWithoutQvrIni) {
    ReadConnSettings(File("qvr.ini"), 1920, 1080);
    const ConnSettingsRecord& s = ConnSettings;
    EXPECT_EQ(s.Conn_Prz, 0);
    EXPECT_EQ(s.Free_Port_Wait, 1);
    EXPECT_EQ(s.Do_Close_Port, 0);
    EXPECT_EQ(s.Form_Width, 1000);
    EXPECT_EQ(s.Form_Height, 680);
    EXPECT_EQ(s.Form_Left, 460);
    EXPECT_EQ(s.Form_Top, 200);
    EXPECT_TRUE((s.Dir == LinkParams{1, 1, 38400, 5, 1, 100, 2}));
    EXPECT_TRUE((s.Fon == LinkParams{1, 1, 38400, 5, 1, 100, 6}));
    EXPECT_EQ(s.Default_Command, 0);
    EXPECT_STREQ(s.Command, "");
    EXPECT_EQ(s.Fon_ConnectWaitTime, 50);
    EXPECT_EQ(s.AutoRepeat, 0);
    EXPECT_EQ(s.Fon_Conn_Repeat, 1);
    EXPECT_TRUE((s.Ethr == LinkParams{0, 1, 0, 5, 1, 300, 5}));
    EXPECT_EQ(s.Ethr_ConnectWaitTime, 10);
    EXPECT_EQ(s.Ethr_Conn_Repeat, 1);
    EXPECT_FALSE(FileExists(File("qvr.ini")));
}

TEST_F(Settings, HandWrittenQvrIni) {
    ASSERT_TRUE(WriteFileAtomic(File("qvr.ini"),
                                std::string("[curr_par]\r\nDo_Close_Port=5\r\nForm_Width=1001\r\n"
                                            "[DIR_CONN_PAR]\r\nCOMPort=300\r\nRate=$9600\r\nTimeOut=0x64\r\n"
                                            "[ETHERNET_CONN_PAR]\r\nCOMPort=7\r\nRate=1200\r\nAdr=3\r\n"
                                            "[FON_CONN_PAR]\r\nCommand=ATZ^AT&F " +
                                            std::string(300, 'x') + "\r\n")));
    ReadConnSettings(File("qvr.ini"), 1920, 1080);
    EXPECT_EQ(ConnSettings.Do_Close_Port, 1);
    EXPECT_EQ(ConnSettings.Form_Left, 459);
    EXPECT_EQ(ConnSettings.Dir.COMPort, 44);  // low 8 bits of 300
    EXPECT_EQ(ConnSettings.Dir.Rate, 0x9600);
    EXPECT_EQ(ConnSettings.Dir.TimeOut, 100);
    EXPECT_EQ(ConnSettings.Ethr.Adr, 3);
    EXPECT_EQ(ConnSettings.Ethr.COMPort, 0);  // never read for Ethernet
    EXPECT_EQ(ConnSettings.Ethr.Rate, 0);
    EXPECT_EQ(strnlen(ConnSettings.Command, 200), 199u);
    EXPECT_EQ(std::string(ConnSettings.Command, 9), "ATZ^AT&F ");

    ASSERT_TRUE(WriteFileAtomic(File("qvr.ini"), std::string("[CURR_PAR]\r\nForm_Width=2001\r\n")));
    ReadConnSettings(File("qvr.ini"), 1920, 1080);
    EXPECT_EQ(ConnSettings.Form_Left, -40);  // (1920 - 2001) / 2 truncated toward zero

    // A file that is not text at all gives the defaults.
    std::string junk(1000, '\0');
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = char(i * 7);
    ASSERT_TRUE(WriteFileAtomic(File("qvr.ini"), junk));
    ReadConnSettings(File("qvr.ini"), 800, 600);
    EXPECT_EQ(ConnSettings.Form_Width, 1000);
    EXPECT_EQ(ConnSettings.Form_Left, -100);
    EXPECT_EQ(ConnSettings.Dir.Rate, 38400);
}

TEST_F(Settings, FirstExitWithoutFilesWritesOnlyThePhoneSection) {
    StartUp();
    ASSERT_TRUE(WriteConnSettings(File("qvr.ini")));
    EXPECT_EQ(ReadText(File("qvr.ini")),
              "[FON_CONN_PAR]\r\nCOMPort=1\r\nAdr=1\r\nRate=38400\r\nPreambles=5\r\nRepeat=1\r\nTimeOut=100\r\n"
              "WaitTime=6\r\nDefault_Command=0\r\nCommand=\r\nConnectWaitTime=50\r\nAutoRepeat=0\r\n"
              "Conn_Repeat=1\r\n");
    // Nothing changed since: the file is not written again.
    ASSERT_TRUE(WriteFileAtomic(File("qvr.ini"), std::string("marker")));
    ASSERT_TRUE(WriteConnSettings(File("qvr.ini")));
    EXPECT_EQ(ReadText(File("qvr.ini")), "marker");
}

TEST_F(Settings, QvrIniRoundTripKeepsForeignLinesAndWritesChangedSectionsOnly) {
    std::string foreign = "; made by hand\r\n[CURR_PAR]\r\nConn_Prz=0\r\nMyKey=" + Win("своё") +
                          "\r\n\r\n[ETHERNET_CONN_PAR]\r\nCOMPort=9\r\nRate=57600\r\n[OTHER]\r\nA=$10\r\n";
    ASSERT_TRUE(WriteFileAtomic(File("qvr.ini"), foreign));
    StartUp();
    ConnSettingsRecord& s = ConnSettings;
    s.Conn_Prz = 2;
    s.Free_Port_Wait = 7;
    s.Do_Close_Port = 1;
    s.Dir = LinkParams{3, 17, 115200, 0, 4, 250, 9};
    s.Fon = LinkParams{200, 255, 9600, 255, 5, 5000, 120};
    s.Default_Command = 1;
    SetText(s.Command, sizeof s.Command, Win("ATZ^ATDP Привет"));
    s.Fon_ConnectWaitTime = 360;
    s.AutoRepeat = 1;
    s.Fon_Conn_Repeat = 10;
    s.Ethr.Adr = 42;
    s.Ethr.Preambles = 0;
    s.Ethr.Repeat = 3;
    s.Ethr.TimeOut = 55;
    s.Ethr.WaitTime = 1;
    s.Ethr_ConnectWaitTime = 1;
    s.Ethr_Conn_Repeat = 2;
    ASSERT_TRUE(WriteConnSettings(File("qvr.ini")));

    std::string text = ReadText(File("qvr.ini"));
    EXPECT_EQ(text.find("; made by hand\r\n[CURR_PAR]\r\nConn_Prz=2\r\nMyKey=" + Win("своё") + "\r\n"), 0u);
    EXPECT_NE(text.find("[ETHERNET_CONN_PAR]\r\nCOMPort=9\r\nRate=57600\r\nAdr=42\r\n"), std::string::npos);
    EXPECT_NE(text.find("[OTHER]\r\nA=$10\r\n"), std::string::npos);
    EXPECT_NE(text.find("Do_Close_Port=1\r\n"), std::string::npos);

    ConnSettingsRecord written = ConnSettings;
    ConnSettings = ConnSettingsRecord{};
    ConnSettings.Ethr.COMPort = written.Ethr.COMPort;  // never read for Ethernet
    ConnSettings.Ethr.Rate = written.Ethr.Rate;
    ConnSettings.FonList = written.FonList;
    ConnSettings.EthrList = written.EthrList;
    ReadConnSettings(File("qvr.ini"), 1920, 1080);
    EXPECT_TRUE((ConnSettings == written));

    // Only the changed section is written the next time.
    ConnSettings = written;
    ConnSettings.Dir.Adr = 99;
    ASSERT_TRUE(WriteFileAtomic(File("qvr.ini"), std::string("[OTHER]\r\nB=1\r\n")));
    ASSERT_TRUE(WriteConnSettings(File("qvr.ini")));
    EXPECT_EQ(ReadText(File("qvr.ini")), "[OTHER]\r\nB=1\r\n[DIR_CONN_PAR]\r\nCOMPort=3\r\nAdr=99\r\n"
                                         "Rate=115200\r\nPreambles=0\r\nRepeat=4\r\nTimeOut=250\r\nWaitTime=9\r\n");
}

TEST_F(Settings, FailedWriteReportsAndIsRetried) {
    StartUp();
    ConnSettings.Conn_Prz = 1;
    std::string path = dir.path() + "/missing/qvr.ini";
    EXPECT_FALSE(WriteConnSettings(path));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Unable to write to " + path);
    EXPECT_EQ(ConnSettingsSaved.Conn_Prz, 0);  // still differs: written at the next call
    ASSERT_TRUE(MakeDir(dir.path() + "/missing"));
    EXPECT_TRUE(WriteConnSettings(path));
    EXPECT_NE(ReadText(path).find("Conn_Prz=1\r\n"), std::string::npos);
    EXPECT_NE(ReadText(path).find("[FON_CONN_PAR]"), std::string::npos);
}

TEST_F(Settings, ProtectedOrUnreadableFilesAreNeverReplaced) {
    // Each settings file as the user protected it (no write bit, which binds root too) and
    // as another editor saved it (UTF-16): its writer refuses with the message and the
    // file stays as it was.
    const std::string text = "[DIR_CONN_PAR]\r\nAdr=7\r\nRate=9600\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : text) utf16 += std::string{c, '\0'};
    struct Writer {
        const char* file;
        std::function<bool(const std::string&)> write;
    };
    const Writer writers[] = {
        {"qvr.ini", [](const std::string& p) { ConnSettings.Conn_Prz = 2; return WriteConnSettings(p); }},
        {"fon_abonents.ini", [](const std::string& p) { return WritePhoneSubscribers(p); }},
        {"ethr_abonents.ini",
         [](const std::string& p) { ConnSettings.EthrList.head.users_num = 1; return WriteEthSubscribers(p); }},
        {"objects.ini", [](const std::string& p) { return WriteObjectList(p); }},
        {"rd_arh.ini", [](const std::string& p) { return WriteArchivePeriod(p); }},
        {"repconf.ini", [](const std::string& p) { return WriteReportConf(p); }},
    };
    for (bool readOnly : {true, false}) {
        for (const Writer& w : writers) {
            SCOPED_TRACE(std::string(w.file) + (readOnly ? " read-only" : " UTF-16"));
            const std::string path = File(w.file);
            const std::string content = readOnly ? text : utf16;
            ASSERT_TRUE(WriteFileAtomic(path, content));
            if (readOnly) {
                ASSERT_EQ(chmod(path.c_str(), 0444), 0);
            }
            struct stat before, after;
            ASSERT_EQ(stat(path.c_str(), &before), 0);
            StartUp();
            // Start-up goes on: with the file's values, or with the defaults when it could
            // not be read.
            if (std::string(w.file) == "qvr.ini") {
                EXPECT_EQ(ConnSettings.Dir.Adr, readOnly ? 7 : 1);
                EXPECT_EQ(ConnSettings.Dir.Rate, readOnly ? 9600 : 38400);
            }
            errors.clear();
            EXPECT_FALSE(w.write(path));
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_EQ(errors[0], "Unable to write to " + path);
            EXPECT_EQ(ReadText(path), content);
            ASSERT_EQ(stat(path.c_str(), &after), 0);
            EXPECT_EQ(after.st_mode, before.st_mode);
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary left
            ASSERT_TRUE(RemoveFile(path));
        }
    }
    // qvr.ini as a FIFO: start-up goes on at once with the defaults, and the writer refuses.
    const std::string fifo = File("qvr.ini");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(InChild(10,
                      [&] {
                          StartUp();
                          const bool defaults = ConnSettings.Dir.Rate == 38400;
                          errors.clear();
                          ConnSettings.Conn_Prz = 2;
                          const bool refused = !WriteConnSettings(fifo) &&
                                               errors == std::vector<std::string>{"Unable to write to " + fifo};
                          return defaults && refused ? 0 : 1;
                      }),
              0);
    struct stat st;
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(Settings, HandEditedWindowGeometryIsTakenOnlyAsTheScreensCanHoldIt) {
    struct Case {
        int32_t left, top, width, height;
        std::vector<WindowRect> screens;  // the primary one first
        WindowRect want;
        WindowRect available = {};  // of the primary screen; none: the whole of it
    };
    const std::vector<WindowRect> one{{0, 0, 1920, 1080}};
    const std::vector<WindowRect> small{{0, 0, 1280, 1024}};
    const std::vector<WindowRect> two{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    const std::vector<WindowRect> vga{{0, 0, 800, 600}};
    const std::vector<WindowRect> netbook{{0, 0, 1024, 600}};
    const Case cases[] = {
        // No qvr.ini on a screen smaller than the default size: the default, shrunk to
        // what the screen leaves to windows, whole on it.
        {-100, -40, 1000, 680, vga, {0, 0, 800, 600}},
        {12, -40, 1000, 680, netbook, {12, 0, 1000, 600}},
        {12, -40, 1000, 680, netbook, {12, 32, 1000, 568}, {0, 32, 1024, 568}},  // a panel at the top
        {100, 50, 800, 600, one, {100, 50, 800, 600}},
        {INT_MIN, 0, -5, 680, one, {460, 200, 1000, 680}},       // no width: the default size, centred
        {10, 20, 100000, 100000, one, {460, 200, 1000, 680}},    // larger than the screen
        {0, 0, 0, 0, one, {460, 200, 1000, 680}},
        {140, 512, 1000, 0, small, {140, 172, 1000, 680}},       // H=0 with its centring default
        {-360, 172, 2001, 680, small, {140, 172, 1000, 680}},    // W=2001 with its centring default
        // Partly or wholly off the screens: moved the least distance that brings it whole
        // onto one screen.
        {-300, -20, 1920, 1080, one, {0, 0, 1920, 1080}},
        {5000, -3000, 800, 600, one, {1120, 0, 800, 600}},
        {INT_MAX, INT_MAX, 800, 600, one, {1120, 480, 800, 600}},
        {1800, 500, 800, 600, two, {1920, 424, 800, 600}},       // nearer whole on the second
        {2100, 100, 1000, 680, two, {2100, 100, 1000, 680}},     // on the second screen
        {1500, 100, 1000, 680, two, {1500, 100, 1000, 680}},     // across both, nothing off
        {-1500, 100, 3000, 680, {{0, 0, 1920, 1080}, {-1920, 0, 1920, 1080}}, {-1500, 100, 3000, 680}},
        {2000, 500, 3000, 600, two, {460, 200, 1000, 680}},      // off, and no one screen holds it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.left) + "," + std::to_string(c.top) + " " + std::to_string(c.width) + "x" +
                     std::to_string(c.height));
        ConnSettings.Form_Left = c.left;
        ConnSettings.Form_Top = c.top;
        ConnSettings.Form_Width = c.width;
        ConnSettings.Form_Height = c.height;
        const WindowRect r = UsableWindowGeometry(ConnSettings, c.screens, c.available);
        EXPECT_EQ(r.left, c.want.left);
        EXPECT_EQ(r.top, c.want.top);
        EXPECT_EQ(r.width, c.want.width);
        EXPECT_EQ(r.height, c.want.height);
        EXPECT_EQ(ConnSettings.Form_Width, c.width);  // the settings keep what was read
    }
}

TEST_F(Settings, PhoneDirectoryDefaultsAndRoundTrip) {
    StartUp();
    const PhoneSubscriberList& l = ConnSettings.FonList;
    EXPECT_EQ(l.head.users_num, 0);
    for (const PhoneSubscriber& e : l.entries) {
        ASSERT_EQ(e.contr_adr, 1);
        ASSERT_EQ(e.adr_modbus, 1);
        ASSERT_EQ(e.user_name[0], 0);
        ASSERT_EQ(e.phone_code[0], 0);
    }
    ASSERT_TRUE(WritePhoneSubscribers(File("fon_abonents.ini")));
    std::string text = ReadText(File("fon_abonents.ini"));
    EXPECT_EQ(text.find("[FON_CONN_PAR]\r\nusers_num=0\r\nuser_index=0\r\nsort_prz=0\r\n"
                        "[FON_ABONENT_1]\r\nuser_name=\r\ncontr_adr=1\r\nadr_modbus=1\r\nphone_code=\r\n"),
              0u);
    EXPECT_NE(text.find("[FON_ABONENT_200]\r\n"), std::string::npos);
    EXPECT_EQ(text.find("[FON_ABONENT_201]"), std::string::npos);

    PhoneSubscriberList& w = ConnSettings.FonList;
    w.head = SubscriberListHead{3, 1, 1};
    const char* names[] = {"Котельная", "ГРС-2 «Север»", "узел учёта"};
    const char* phones[] = {"8-812-555-01-01", "9", "10"};
    for (int i = 0; i < 3; ++i) {
        SetText(w.entries[i].user_name, 50, Win(names[i]));
        SetText(w.entries[i].phone_code, 30, phones[i]);
        w.entries[i].contr_adr = uint8_t(10 + i);
        w.entries[i].adr_modbus = uint8_t(200 + i);
    }
    SetText(w.entries[199].user_name, 50, std::string(49, 'N'));
    ASSERT_TRUE(WritePhoneSubscribers(File("fon_abonents.ini")));
    PhoneSubscriberList written = w;
    w = PhoneSubscriberList{};
    ReadPhoneSubscribers(File("fon_abonents.ini"));
    EXPECT_TRUE((ConnSettings.FonList == written));

    // Unchanged: the file is not written again.
    ASSERT_TRUE(WriteFileAtomic(File("fon_abonents.ini"), std::string("marker")));
    ASSERT_TRUE(WritePhoneSubscribers(File("fon_abonents.ini")));
    EXPECT_EQ(ReadText(File("fon_abonents.ini")), "marker");
}

TEST_F(Settings, CountsAndIndexesFromTheFileStayInsideTheLists) {
    ASSERT_TRUE(WriteFileAtomic(File("fon_abonents.ini"),
                                std::string("[FON_CONN_PAR]\r\nusers_num=250\r\nuser_index=240\r\n")));
    ASSERT_TRUE(WriteFileAtomic(File("ethr_abonents.ini"),
                                std::string("[ETHERNET_CONN_PAR]\r\nusers_num=3\r\nuser_index=7\r\n")));
    ASSERT_TRUE(WriteFileAtomic(File("objects.ini"), std::string("[OBJECT_LIST]\r\nobj_num=$FF\r\nobj_index=99\r\n")));
    StartUp();
    EXPECT_EQ(ConnSettings.FonList.head.users_num, 200);
    EXPECT_EQ(ConnSettings.FonList.head.user_index, 199);
    EXPECT_EQ(ConnSettings.EthrList.head.users_num, 3);
    EXPECT_EQ(ConnSettings.EthrList.head.user_index, 2);
    ReadObjectList(File("objects.ini"));
    EXPECT_EQ(ObjectList.obj_num, 50);
    EXPECT_EQ(ObjectList.obj_index, 49);
    SortObjectList(&ObjectList);
    ASSERT_TRUE(WriteFileAtomic(File("objects.ini"), std::string("[OBJECT_LIST]\r\nobj_num=0\r\nobj_index=5\r\n")));
    ReadObjectList(File("objects.ini"));
    EXPECT_EQ(ObjectList.obj_index, 0);
}

TEST_F(Settings, ChosenSubscriberReachesItsFileAfterQvrIniWasWritten) {
    std::string fon = "[FON_CONN_PAR]\r\nusers_num=2\r\nuser_index=0\r\n"
                      "[FON_ABONENT_1]\r\nuser_name=A\r\n[FON_ABONENT_2]\r\nuser_name=B\r\n";
    ASSERT_TRUE(WriteFileAtomic(File("fon_abonents.ini"), fon));
    StartUp();
    ASSERT_TRUE(WritePhoneSubscribers(File("fon_abonents.ini")));  // the first write always writes
    ASSERT_TRUE(WriteConnSettings(File("qvr.ini")));
    // The connection dialog picks the other subscriber, then qvr.ini is written on connecting.
    ConnSettings.FonList.head.user_index = 1;
    ASSERT_TRUE(WriteConnSettings(File("qvr.ini")));
    ASSERT_TRUE(WritePhoneSubscribers(File("fon_abonents.ini")));
    IniFile ini(File("fon_abonents.ini"));
    EXPECT_EQ(ini.ReadInteger("FON_CONN_PAR", "user_index", -1), 1);

    // And the list write does not make qvr.ini write its phone section again.
    ASSERT_TRUE(WriteFileAtomic(File("qvr.ini"), std::string("marker")));
    ASSERT_TRUE(WriteConnSettings(File("qvr.ini")));
    EXPECT_EQ(ReadText(File("qvr.ini")), "marker");
}

TEST_F(Settings, EthernetDirectory) {
    std::string eth = "[ETHERNET_CONN_PAR]\r\nusers_num=2\r\nuser_index=1\r\nsort_prz=0\r\n"
                      "[ETHERNET_ABONENT_1]\r\nuser_name=" + std::string(60, 'L') + "\r\ncontr_adr=300\r\n"
                      "ip_adr=-1062731510\r\nport=502\r\n"
                      "[ETHERNET_ABONENT_2]\r\nuser_name=" + Win("Узел") + "\r\nip_adr=167772162\r\nport=$1F6\r\n"
                      "[ETHERNET_ABONENT_3]\r\nuser_name=C\r\n[ETHERNET_ABONENT_4]\r\n[ETHERNET_ABONENT_5]\r\nx=1\r\n";
    ASSERT_TRUE(WriteFileAtomic(File("ethr_abonents.ini"), eth));
    ReadEthSubscribers(File("ethr_abonents.ini"));
    const EthSubscriberList& l = ConnSettings.EthrList;
    ASSERT_EQ(l.head.users_num, 2);
    EXPECT_EQ(std::string(l.entries[0].user_name), std::string(49, 'L'));
    EXPECT_EQ(l.entries[0].contr_adr, 44);
    EXPECT_EQ(l.entries[0].ip_adr, 0xC0A8010Au);  // 192.168.1.10
    EXPECT_EQ(l.entries[0].port, 502u);
    EXPECT_EQ(l.entries[1].contr_adr, 1);
    EXPECT_EQ(l.entries[1].ip_adr, 0x0A000002u);  // 10.0.0.2
    EXPECT_EQ(l.entries[1].port, 502u);
    EXPECT_EQ(l.entries[2].user_name[0], 0);  // not in use: not read

    ConnSettings.EthrList.entries[1].ip_adr = 0x80000001;  // 128.0.0.1
    ASSERT_TRUE(WriteEthSubscribers(File("ethr_abonents.ini")));
    std::string text = ReadText(File("ethr_abonents.ini"));
    EXPECT_NE(text.find("ip_adr=-1062731510\r\n"), std::string::npos);
    EXPECT_NE(text.find("ip_adr=-2147483647\r\n"), std::string::npos);
    EXPECT_NE(text.find("[ETHERNET_ABONENT_3]\r\nuser_name=C\r\n[ETHERNET_ABONENT_4]\r\n[ETHERNET_ABONENT_5]\r\nx=1\r\n"),
              std::string::npos);
    EthSubscriberList written = ConnSettings.EthrList;
    ConnSettings.EthrList = EthSubscriberList{};
    ReadEthSubscribers(File("ethr_abonents.ini"));
    EXPECT_TRUE((ConnSettings.EthrList == written));
}

TEST_F(Settings, DirectorySorts) {
    PhoneSubscriberList p{};
    p.head = SubscriberListHead{4, 2, 0};
    const char* names[] = {"бета", "Альфа", "ГАММА", "альфа"};
    const char* phones[] = {"9", "10", "2", "10"};
    for (int i = 0; i < 4; ++i) {
        SetText(p.entries[i].user_name, 50, Win(names[i]));
        SetText(p.entries[i].phone_code, 30, phones[i]);
    }
    SortPhoneSubscribers(p);
    EXPECT_EQ(WinToUtf8(p.entries[0].user_name), "Альфа");  // equal ignoring case: old order kept
    EXPECT_EQ(WinToUtf8(p.entries[1].user_name), "альфа");
    EXPECT_EQ(WinToUtf8(p.entries[2].user_name), "бета");
    EXPECT_EQ(WinToUtf8(p.entries[3].user_name), "ГАММА");
    EXPECT_EQ(p.head.user_index, 3);  // the current entry is found again
    p.head.sort_prz = 1;
    SortPhoneSubscribers(p);
    EXPECT_STREQ(p.entries[0].phone_code, "10");  // text order: "10" before "9"
    EXPECT_STREQ(p.entries[1].phone_code, "10");
    EXPECT_STREQ(p.entries[2].phone_code, "2");
    EXPECT_STREQ(p.entries[3].phone_code, "9");
    EXPECT_EQ(WinToUtf8(p.entries[p.head.user_index].user_name), "ГАММА");

    // Two entries with the same name: the later one becomes current.
    PhoneSubscriberList d{};
    d.head = SubscriberListHead{3, 0, 0};
    SetText(d.entries[0].user_name, 50, "X");
    SetText(d.entries[1].user_name, 50, "A");
    SetText(d.entries[2].user_name, 50, "X");
    SortPhoneSubscribers(d);
    EXPECT_EQ(d.head.user_index, 2);

    EthSubscriberList e{};
    e.head = SubscriberListHead{3, 0, 1};
    e.entries[0].ip_adr = 0x0A000002;  // 10.0.0.2
    e.entries[1].ip_adr = 0xC8000001;  // 200.0.0.1: after both as an unsigned number
    e.entries[2].ip_adr = 0x09FFFFFF;  // 9.255.255.255
    SetText(e.entries[0].user_name, 50, "cur");
    SortEthSubscribers(e);
    EXPECT_EQ(e.entries[0].ip_adr, 0x09FFFFFFu);
    EXPECT_EQ(e.entries[1].ip_adr, 0x0A000002u);
    EXPECT_EQ(e.entries[2].ip_adr, 0xC8000001u);
    EXPECT_EQ(e.head.user_index, 1);
}

TEST_F(Settings, ObjectList) {
    ReadObjectList(File("objects.ini"));
    EXPECT_EQ(ObjectList.obj_num, 0);
    ASSERT_TRUE(WriteFileAtomic(File("objects.ini"),
                                "[OBJECT_LIST]\r\nobj_num=2\r\nsort_prz=0\r\nobj_index=1\r\n"
                                "[OBJECT_1]\r\nobj_name=" + Win("Гамма") + "\r\ncontr_adr=5\r\n"
                                "[OBJECT_2]\r\nobj_name=" + Win("Альфа") + "\r\n"
                                "[OBJECT_3]\r\nobj_name=C\r\n[OBJECT_4]\r\nobj_name=D\r\n"));
    ReadObjectList(File("objects.ini"));
    ASSERT_EQ(ObjectList.obj_num, 2);
    EXPECT_EQ(ObjectList.entries[1].contr_adr, 1);  // no contr_adr: address 1
    EXPECT_EQ(ObjectList.entries[2].obj_name[0], 0);
    SortObjectList(&ObjectList);
    EXPECT_EQ(WinToUtf8(ObjectList.entries[0].obj_name), "Альфа");
    EXPECT_EQ(ObjectList.obj_index, 0);

    // Add Бета, sort: Альфа, Бета, Гамма with Бета current.
    SetText(ObjectList.entries[2].obj_name, 50, Win("Бета"));
    ObjectList.entries[2].contr_adr = 5;
    ObjectList.obj_index = 2;
    ObjectList.obj_num = 3;
    SortObjectList(&ObjectList);
    EXPECT_EQ(WinToUtf8(ObjectList.entries[1].obj_name), "Бета");
    EXPECT_EQ(ObjectList.obj_index, 1);
    // By address: the two at address 5 keep their order.
    ObjectList.sort_prz = 1;
    SortObjectList(&ObjectList);
    EXPECT_EQ(WinToUtf8(ObjectList.entries[0].obj_name), "Альфа");
    EXPECT_EQ(WinToUtf8(ObjectList.entries[1].obj_name), "Бета");
    EXPECT_EQ(WinToUtf8(ObjectList.entries[2].obj_name), "Гамма");

    // Round trip, then a shorter list leaves the old sections in the file.
    ASSERT_TRUE(WriteObjectList(File("objects.ini")));
    ObjectListRecord written = ObjectList;
    ReadObjectList(File("objects.ini"));
    EXPECT_TRUE((ObjectList == written));
    ObjectList.obj_num = 1;
    ObjectList.obj_index = 0;
    std::memset(&ObjectList.entries[1], 0, 2 * sizeof(ObjectEntry));
    ASSERT_TRUE(WriteObjectList(File("objects.ini")));
    ReadObjectList(File("objects.ini"));
    EXPECT_EQ(ObjectList.obj_num, 1);
    std::string text = ReadText(File("objects.ini"));
    EXPECT_NE(text.find("[OBJECT_4]\r\nobj_name=D\r\n"), std::string::npos);
    EXPECT_NE(text.find("[OBJECT_1]\r\nobj_name=" + Win("Альфа") + "\r\ncontr_adr=1\r\n"), std::string::npos);
}

TEST_F(Settings, ArchivePeriod) {
    TDateTime before = Now();
    ReadArchivePeriod(File("rd_arh.ini"));
    TDateTime after = Now();
    EXPECT_EQ(ArchivePeriodSettings.per_kind, 0);
    EXPECT_EQ(ArchivePeriodSettings.ind_kind, 1);
    EXPECT_GE(ArchivePeriodSettings.curr_dt_beg, before);
    EXPECT_LE(ArchivePeriodSettings.curr_dt_end, after);

    ArchivePeriodSettings.per_kind = 3;
    ArchivePeriodSettings.ind_kind = 0;
    ArchivePeriodSettings.curr_dt_beg = EncodeDateTime(2024, 2, 29, 0, 0, 0);
    ArchivePeriodSettings.curr_dt_end = EncodeDateTime(2024, 3, 1, 23, 5, 9);
    ASSERT_TRUE(WriteArchivePeriod(File("rd_arh.ini")));
    EXPECT_EQ(ReadText(File("rd_arh.ini")), "[ARH_PAR]\r\nper_kind=3\r\nind_kind=0\r\n"
                                            "curr_dt_beg=29.02.2024 0:00:00\r\ncurr_dt_end=01.03.2024 23:05:09\r\n");
    ArchivePeriodRecord written = ArchivePeriodSettings;
    ArchivePeriodSettings = ArchivePeriodRecord{};
    ReadArchivePeriod(File("rd_arh.ini"));
    EXPECT_TRUE((ArchivePeriodSettings == written));

    ASSERT_TRUE(WriteFileAtomic(File("rd_arh.ini"),
                                std::string("[ARH_PAR]\r\ncurr_dt_beg=1.2.2024 3:04:05\r\ncurr_dt_end=garbage\r\n")));
    before = Now();
    ReadArchivePeriod(File("rd_arh.ini"));
    EXPECT_DOUBLE_EQ(ArchivePeriodSettings.curr_dt_beg, EncodeDateTime(2024, 2, 1, 3, 4, 5));
    EXPECT_GE(ArchivePeriodSettings.curr_dt_end, before);
}

TEST_F(Settings, ReportSettings) {
    ReadReportConf(File("repconf.ini"));
    ApplyReportDecimalsRule(ReportSettings);
    EXPECT_EQ(ReportSettings.prz_composition + ReportSettings.thermal_unit + ReportSettings.calc_formula +
                  ReportSettings.report_kind + ReportSettings.metan_corr,
              0);
    for (uint8_t f : ReportSettings.fr) EXPECT_EQ(f, 4);

    ASSERT_TRUE(WriteFileAtomic(File("repconf.ini"), std::string("[REP_CONF]\r\nfr_1=0\r\nfr_2=3\r\n")));
    ReadReportConf(File("repconf.ini"));
    EXPECT_EQ(ReportSettings.fr[1], 3);
    ApplyReportDecimalsRule(ReportSettings);
    for (uint8_t f : ReportSettings.fr) EXPECT_EQ(f, 4);
    ASSERT_TRUE(WriteFileAtomic(File("repconf.ini"), std::string("[REP_CONF]\r\nfr_1=3\r\nfr_2=0\r\nfr_20=259\r\n")));
    ReadReportConf(File("repconf.ini"));
    ApplyReportDecimalsRule(ReportSettings);
    EXPECT_EQ(ReportSettings.fr[0], 3);
    EXPECT_EQ(ReportSettings.fr[1], 0);
    EXPECT_EQ(ReportSettings.fr[19], 3);  // low 8 bits

    ReportSettingsRecord r{1, 1, 1, 1, 1, {}};
    for (int i = 0; i < 20; ++i) r.fr[i] = uint8_t(i % 6);
    ReportSettings = r;
    ASSERT_TRUE(RemoveFile(File("repconf.ini")));
    ASSERT_TRUE(WriteReportConf(File("repconf.ini")));
    ReportSettings = ReportSettingsRecord{};
    ReadReportConf(File("repconf.ini"));
    EXPECT_TRUE((ReportSettings == r));
    EXPECT_EQ(ReadText(File("repconf.ini")).find("[REP_CONF]\r\nprz_composition=1\r\nthermal_unit=1\r\n"
                                                  "calc_formula=1\r\nreport_kind=1\r\nmetan_corr=1\r\nfr_1=0\r\nfr_2=1\r\n"),
              0u);
}

TEST_F(Settings, HandEditedLinkValuesAreReplacedWhereUsed) {
    LinkParams bad{1, 0, 0, 5, 0, -5, -1};
    LinkParams ok = UsableLinkParams(bad, 0);
    EXPECT_EQ(ok.Rate, 38400);
    EXPECT_EQ(ok.Adr, 1);
    EXPECT_EQ(ok.Repeat, 1);
    EXPECT_EQ(ok.TimeOut, 100);
    EXPECT_EQ(ok.WaitTime, 2);
    EXPECT_EQ(UsableLinkParams(bad, 1).WaitTime, 6);
    EXPECT_EQ(UsableLinkParams(bad, 2).TimeOut, 300);
    LinkParams good{4, 7, 9600, 0, 5, 5000, 120};
    EXPECT_TRUE(UsableLinkParams(good, 0) == good);
    EXPECT_EQ(UsableLinkParams(LinkParams{1, 1, 12345, 5, 1, 100, 2}, 0).Rate, 38400);  // not a selectable rate
    EXPECT_EQ(UsableFreePortWait(-3), 1);
    EXPECT_EQ(UsableFreePortWait(20), 20);
    EXPECT_EQ(UsableConnectWaitTime(0, 1), 50);
    EXPECT_EQ(UsableConnectWaitTime(-10, 2), 10);
    EXPECT_EQ(UsableConnectWaitTime(360, 2), 360);
    EXPECT_EQ(UsableConnRepeat(0), 1);
    EXPECT_EQ(UsableConnRepeat(10), 10);
}
