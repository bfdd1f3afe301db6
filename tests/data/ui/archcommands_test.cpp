// The archive commands of the main window, offscreen: the open dialog's set-up, files
// refused or accepted and what the view receives; a read command against the simulated
// controller from the period dialog to the view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/stringi.h"
#include "ctlsim/archive.h"
#include "data/ui/archcommands.h"
#include "data/ui/formshortdate.h"
#include "link/tabledir.h"
#include "params/ui/simlink.h"
#include "support/tempdir.h"

using namespace qvr;
using Bytes = std::vector<uint8_t>;

namespace {

struct Viewed {
    DataKind kind;
    ArchiveFileHeader header;
    Bytes records;
    int heading;
    bool mainEnabled;
};

class NullBar : public IStatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override {
        if (panel >= 0 && panel < 4) panels[panel] = text;
    }
    std::string PanelText(int panel) const override { return panel >= 0 && panel < 4 ? panels[panel] : ""; }
    std::string panels[4];
};

Bytes Records(DataKind kind, int n) {
    const size_t size = KindInfo(kind).recordSize;
    Bytes out;
    for (int i = 0; i < n; ++i) {
        Bytes r(size);
        for (size_t j = 0; j + 2 < size; ++j) r[j] = uint8_t(i * 3 + j);
        SealRecord(r.data(), size);
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

ArchiveFileHeader Header(DataKind kind) {
    uint8_t name[20] = {};
    return MakeArchiveFileHeader(kind, name, 7, CtlDateTime(26, 12, 7, 9, 0, 0), CtlDateTime(26, 12, 1, 0, 0, 0),
                                 CtlDateTime(26, 12, 2, 0, 0, 0), 0, 9, 1);
}

class ArchCommands : public ::testing::Test {
protected:
    void SetUp() override {
        InitStringTable();
        savedDir = g_ProgDir;
        g_ProgDir = dir.dir();
        for (const char* f : {"MOMDATA", "HOURDATA", "DAYDATA"}) MakeDir(dir.dir() + f);
        ClearQuesRecord();
        SetArchiveViewHook([this](QWidget*, DataKind k, const ArchiveFileHeader& h, const Bytes& r, int heading) {
            viewed.push_back({k, h, r, heading, main.isEnabled()});
        });
        SetDataOpenDialogHook([this](const DataOpenRequest& req) {
            requests.push_back(req);
            return chosen;
        });
    }
    void TearDown() override {
        SetArchiveViewHook(nullptr);
        SetDataOpenDialogHook(nullptr);
        SetArchivePeriodChooser(nullptr);
        g_ProgDir = savedDir;
        ClearQuesRecord();
    }
    std::string Save(DataKind kind, const std::string& name, int n) {
        const std::string path = dir.dir() + KindInfo(kind).folder + "/" + name;
        EXPECT_TRUE(SaveDataFile(path, Header(kind), Records(kind, n), kind));
        return path;
    }

    TempDir dir;
    std::string savedDir;
    QWidget main;
    std::vector<Viewed> viewed;
    std::vector<DataOpenRequest> requests;
    QString chosen;
};

}  // namespace

TEST_F(ArchCommands, OpenDialogSetUpAndFilters) {
    const QStringList f = DataOpenDialogFilters();
    ASSERT_EQ(f.size(), 12);
    EXPECT_EQ(f[0], "Data Files (*.cnf)");
    EXPECT_EQ(f[2], "DataFiles(*.ala)");
    EXPECT_EQ(f[4], "DataFiles(*.mch)");
    EXPECT_EQ(f[9], "DataFiles(*.dwm)");
    EXPECT_EQ(f[10], "DataFiles(*.clb)");

    chosen.clear();  // Cancel: nothing happens
    NChrom_ViewHourClick(&main, nullptr);
    NWmt_View5minClick(&main, nullptr);
    NWmt_ViewDayClick(&main, nullptr);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].title, "Выберите файл с данными");
    EXPECT_EQ(requests[0].folder.toStdString(), dir.dir() + "HOURDATA");
    EXPECT_EQ(f.value(requests[0].filterIndex - 1), "DataFiles(*.hch)");
    EXPECT_EQ(requests[1].folder.toStdString(), dir.dir() + "MOMDATA");
    EXPECT_EQ(f.value(requests[1].filterIndex - 1), "DataFiles(*.mwm)");
    EXPECT_EQ(f.value(requests[2].filterIndex - 1), "DataFiles(*.dwm)");
    EXPECT_TRUE(viewed.empty());
    EXPECT_TRUE(ShownQues().empty());
}

TEST_F(ArchCommands, FilesHandedToTheViewWithTheirHeadingKind) {
    struct Case {
        void (*command)(QWidget*, QFileDialog*);
        DataKind kind;
        int heading;
    } cases[] = {
        {NChrom_View5minClick, DataKind::Chrom5Min, -1}, {NChrom_ViewHourClick, DataKind::ChromHour, 0},
        {NChrom_ViewDayClick, DataKind::ChromDay, 1},    {NWmt_View5minClick, DataKind::Wmt5Min, -1},
        {NWmt_ViewHourClick, DataKind::WmtHour, 6},      {NWmt_ViewDayClick, DataKind::WmtDay, 7},
    };
    for (const Case& c : cases) {
        viewed.clear();
        chosen = QString::fromStdString(Save(c.kind, std::string("f") + KindInfo(c.kind).extension, 3));
        c.command(&main, nullptr);
        ASSERT_EQ(viewed.size(), 1u) << KindInfo(c.kind).extension;
        EXPECT_EQ(viewed[0].kind, c.kind);
        EXPECT_EQ(viewed[0].heading, c.heading);
        EXPECT_EQ(viewed[0].header.recordCount, 3u);
        EXPECT_EQ(viewed[0].records, Records(c.kind, 3));
    }
    EXPECT_TRUE(ShownQues().empty());
}

TEST_F(ArchCommands, ForeignDamagedAndMissingFiles) {
    // A moisture hourly file offered to the chromatograph command, and the reverse.
    chosen = QString::fromStdString(Save(DataKind::WmtHour, "m.hwm", 2));
    NChrom_ViewHourClick(&main, nullptr);
    chosen = QString::fromStdString(Save(DataKind::ChromHour, "c.hch", 2));
    NWmt_ViewHourClick(&main, nullptr);
    EXPECT_TRUE(viewed.empty());
    auto shown = ShownQues();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, kQuesError);
    EXPECT_EQ(shown[0].text1, "Файл m.hwm не является файлом, содержащим");
    EXPECT_EQ(shown[0].text2, "часовые данные хроматографа из архива контроллера QVR_Torvane_370");
    EXPECT_EQ(shown[1].text1, "Файл c.hch не является файлом, содержащим");
    EXPECT_EQ(shown[1].text2, "часовые данные влагомера из архива контроллера QVR_Torvane_370");

    // Type byte 47 not 9.
    ClearQuesRecord();
    const std::string bad = Save(DataKind::Wmt5Min, "t.mwm", 1);
    {
        std::fstream f(bad, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(47);
        f.put(char(8));
    }
    chosen = QString::fromStdString(bad);
    NWmt_View5minClick(&main, nullptr);
    EXPECT_TRUE(viewed.empty());
    ASSERT_EQ(ShownQues().size(), 1u);
    EXPECT_EQ(ShownQues()[0].text2, "мгновенные данные влагомера из архива 5-минутных данных");

    // Missing file.
    ClearQuesRecord();
    chosen = QString::fromStdString(dir.dir() + "DAYDATA/none.dch");
    NChrom_ViewDayClick(&main, nullptr);
    ASSERT_EQ(ShownQues().size(), 1u);
    EXPECT_EQ(ShownQues()[0].kind, kQuesError);
    EXPECT_EQ(ShownQues()[0].text1, "Ошибка открытия файла");

    // A count larger than the file: a notice, then the records present.
    ClearQuesRecord();
    const std::string shortFile = Save(DataKind::ChromDay, "s.dch", 2);
    {
        std::fstream f(shortFile, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(43);
        f.put(char(5));
    }
    chosen = QString::fromStdString(shortFile);
    NChrom_ViewDayClick(&main, nullptr);
    ASSERT_EQ(ShownQues().size(), 1u);
    EXPECT_EQ(ShownQues()[0].kind, kQuesNotice);
    EXPECT_EQ(ShownQues()[0].text1, "Файл s.dch поврежден:");
    EXPECT_EQ(ShownQues()[0].text2, "прочитано записей 2 из 5");
    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(viewed[0].header.recordCount, 2u);
    EXPECT_EQ(viewed[0].records, Records(DataKind::ChromDay, 2));
}

class ArchReadCommand : public ArchCommands {
protected:
    void SetUp() override {
        ArchCommands::SetUp();
        ASSERT_FALSE(link.path.empty());
        ASSERT_TRUE(link.Attach(5));
        link.box()->ReplyMs = 2000;
        arch = std::make_unique<ctlsim::ArchiveSim>(link.sim);
        g_ArchiveEndPauseMs = 0;
        std::memset(g_TableMemory, 0, kTableMemorySize);
        *FieldPtr(14, 6) = 9;
        link.sim.SetTableBytes(6, 6, {10});
        arch->SetClock(CtlDateTime(26, 3, 10, 12, 0, 10));
        arch->SetOldest(1, CtlDateTime(26, 3, 1, 0, 0, 0));
        arch->Generate(ctlsim::SimArchive::WmtHour, CtlDateTime(26, 3, 1, 0, 0, 0), CtlDateTime(26, 3, 10, 11, 0, 0));
    }
    void TearDown() override {
        link.sim.Stop();
        arch.reset();
        g_ArchiveEndPauseMs = 500;
        ArchCommands::TearDown();
    }
    SimLink link{5, 73};
    std::unique_ptr<ctlsim::ArchiveSim> arch;
    NullBar bar;
};

TEST_F(ArchReadCommand, ReadGoesFromThePeriodToTheView) {
    bool disabledDuringRead = false;
    SetMessagePump([&] {
        if (g_AbortAllowed && !main.isEnabled()) disabledDuringRead = true;
    });
    SetArchivePeriodChooser([](uint8_t kind, ArchiveSpan* span, CtlDateTime& s, CtlDateTime& e) {
        EXPECT_EQ(kind, kBoundsHour);
        EXPECT_EQ(span->end, CtlMinuteTime(26, 3, 10, 11, 0));
        s = CtlDateTime(26, 3, 10, 0, 0, 0);
        e = CtlDateTime(26, 3, 10, 9, 0, 0);
        return true;
    });
    main.show();
    QTimer timerMessage;
    timerMessage.setSingleShot(true);
    NWmt_ReadHourClick(&main, &bar, &timerMessage);
    SetMessagePump({});
    EXPECT_TRUE(timerMessage.isActive());  // panel 2 clears 3 s after the read
    EXPECT_EQ(timerMessage.interval(), 3000);
    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(viewed[0].kind, DataKind::WmtHour);
    EXPECT_EQ(viewed[0].heading, 6);
    EXPECT_EQ(viewed[0].header.recordCount, 10u);
    EXPECT_EQ(viewed[0].records.size(), 10u * 28);
    EXPECT_EQ(std::string(viewed[0].header.signature, 3), "HOU");
    EXPECT_EQ(viewed[0].header.device, 1);
    EXPECT_TRUE(viewed[0].mainEnabled);
    EXPECT_TRUE(disabledDuringRead);
    EXPECT_TRUE(ShownQues().empty());
    EXPECT_EQ(arch->Requests().size(), 2u);
}

TEST_F(ArchReadCommand, ThePeriodDialogIsAskedWithKindAndSpan) {
    uint8_t seenKind = 99;
    bool hadSpan = false;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<TFormShortDate*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        seenKind = form->Kind;
        hadSpan = form->Span != nullptr;
        form->ExitClick();
    });
    NWmt_ReadHourClick(&main, &bar, nullptr);
    EXPECT_EQ(seenKind, kBoundsHour);
    EXPECT_TRUE(hadSpan);
    EXPECT_TRUE(viewed.empty());
    EXPECT_TRUE(arch->Requests().empty());
}
