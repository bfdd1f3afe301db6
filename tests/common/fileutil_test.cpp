#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/fileutil.h"
#include "support/filefail.h"
#include "support/inchild.h"
#include "support/tempdir.h"

using namespace qvr;

namespace {
// The names in a folder, sorted.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

TEST(FileUtil, AtomicWriteReplacesAndFailureKeepsOldFile) {
    TempDir dir;
    std::string path = dir.path() + "/a.bin";
    ASSERT_TRUE(WriteFileAtomic(path, std::string("old")));
    ASSERT_TRUE(WriteFileAtomic(path, std::string("new data")));
    std::string got;
    ASSERT_TRUE(ReadWholeFile(path, got));
    EXPECT_EQ(got, "new data");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.bin"});

    // A write that fails halfway (the disk full) leaves the old file whole and no
    // temporary file behind.
    {
        FileSizeLimit limit(4);
        std::string err;
        EXPECT_FALSE(WriteFileAtomic(path, std::string("lost data"), &err));
        EXPECT_FALSE(err.empty());
    }
    ASSERT_TRUE(ReadWholeFile(path, got));
    EXPECT_EQ(got, "new data");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.bin"});

    // A leftover "a.bin.tmp" that is a symbolic link to a file elsewhere: that file keeps
    // its content, and a.bin becomes a regular file holding the data.
    TempDir elsewhere;
    const std::string victim = elsewhere.path() + "/passwd";
    ASSERT_TRUE(WriteFileAtomic(victim, std::string("root:x:0:0")));
    ASSERT_EQ(::symlink(victim.c_str(), (path + ".tmp").c_str()), 0);
    ASSERT_TRUE(WriteFileAtomic(path, std::string("settings")));
    ASSERT_TRUE(ReadWholeFile(victim, got));
    EXPECT_EQ(got, "root:x:0:0");
    struct stat st;
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    ASSERT_TRUE(ReadWholeFile(path, got));
    EXPECT_EQ(got, "settings");

    // A file that is a (relative) symbolic link stays one: the file it leads to gets the
    // data, replaced beside itself.
    ASSERT_TRUE(MakeDir(elsewhere.path() + "/ini"));
    const std::string real = elsewhere.path() + "/ini/qvr.ini";
    ASSERT_TRUE(WriteFileAtomic(real, std::string("old")));
    const std::string link = dir.path() + "/qvr.ini";
    ASSERT_EQ(::symlink(("../" + FileNameOnly(elsewhere.path()) + "/ini/qvr.ini").c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteFileAtomic(link, std::string("linked")));
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_TRUE(ReadWholeFile(real, got));
    EXPECT_EQ(got, "linked");
    EXPECT_EQ(Names(elsewhere.path() + "/ini"), std::vector<std::string>{"qvr.ini"});

    // A name as long as the system allows is saved, new and replaced: the temporary name
    // stays within the limit.
    const std::string longName = std::string(251, 'n') + ".ini";
    ASSERT_TRUE(WriteFileAtomic(elsewhere.path() + "/" + longName, std::string("first")));
    ASSERT_TRUE(WriteFileAtomic(elsewhere.path() + "/" + longName, std::string("second")));
    ASSERT_TRUE(ReadWholeFile(elsewhere.path() + "/" + longName, got));
    EXPECT_EQ(got, "second");
    EXPECT_EQ(Names(elsewhere.path()), (std::vector<std::string>{"ini", longName, "passwd"}));

    if (::geteuid() == 0) {
        // In a sticky folder that everyone may write to, a link another user planted is not
        // followed: the save is refused and the file it leads to kept. Its owner's save
        // follows it.
        TempDir shared, own;
        ASSERT_EQ(::chmod(shared.path().c_str(), 01777), 0);
        ASSERT_EQ(::chown(own.path().c_str(), 65534, 65534), 0);
        const std::string target = own.path() + "/chosen";
        ASSERT_TRUE(WriteFileAtomic(target, std::string("kept")));
        ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
        const std::string planted = shared.path() + "/report.xlsx";
        ASSERT_EQ(::symlink(target.c_str(), planted.c_str()), 0);
        ASSERT_EQ(::lchown(planted.c_str(), 65534, 65534), 0);
        std::string err;
        EXPECT_FALSE(WriteFileAtomic(planted, std::string("root's report"), &err));
        EXPECT_NE(err.find(planted), std::string::npos);
        ASSERT_TRUE(ReadWholeFile(target, got));
        EXPECT_EQ(got, "kept");
        bool written;
        {
            AsUser user(65534, 65534);
            ASSERT_TRUE(user.ok());
            written = WriteFileAtomic(planted, std::string("user's report"));
        }
        EXPECT_TRUE(written);
        ASSERT_TRUE(ReadWholeFile(target, got));
        EXPECT_EQ(got, "user's report");
    }
}

TEST(FileUtil, WorkingFileIsMadeNewEachTime) {
    TempDir dir, elsewhere;
    const std::string path = dir.path() + "/datafile.hdm";
    const std::string victim = elsewhere.path() + "/victim.txt";
    ASSERT_TRUE(WriteFileAtomic(victim, std::string("kept")));
    const auto work = [&] {
        std::FILE* f = CreateWorkingFile(path);
        if (!f) return 1;
        std::fputs("records", f);
        return std::fclose(f) == 0 ? 0 : 1;
    };
    std::string got;
    const auto newFileHoldsRecords = [&] {
        struct stat st;
        return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ReadWholeFile(path, got) &&
               got == "records";
    };
    // A link in its place leads nowhere: the link goes, the file it led to keeps its content.
    ASSERT_EQ(::symlink(victim.c_str(), path.c_str()), 0);
    ASSERT_EQ(work(), 0);
    EXPECT_TRUE(newFileHoldsRecords());
    ASSERT_TRUE(ReadWholeFile(victim, got));
    EXPECT_EQ(got, "kept");
    // A FIFO in its place does not hold the read up.
    ASSERT_TRUE(RemoveFile(path));
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(InChild(10, work), 0);
    EXPECT_TRUE(newFileHoldsRecords());

    // What was received is read back through the handle that wrote it: another file put
    // under the name meanwhile is not what the read shows.
    {
        std::FILE* f = CreateWorkingFile(path);
        ASSERT_NE(f, nullptr);
        std::fputs("records", f);
        const std::string planted = dir.path() + "/planted";
        ASSERT_TRUE(WriteFileAtomic(planted, std::string("forged")));
        ASSERT_EQ(::rename(planted.c_str(), path.c_str()), 0);
        std::vector<uint8_t> back;
        const bool read = ReadBackWorkingFile(f, back);
        std::vector<uint8_t> tooBig{1};
        const bool readPastLimit = ReadBackWorkingFile(f, tooBig, 6);
        std::fclose(f);
        EXPECT_TRUE(read);
        EXPECT_EQ(std::string(back.begin(), back.end()), "records");
        EXPECT_FALSE(readPastLimit);
        EXPECT_TRUE(tooBig.empty());
    }

    // A working file that cannot be made: the notice names what refused, the folder or the
    // file, and why. The folder's permissions bind root only through another user's
    // eyes, so those rows run as one under root; a file of another user needs root.
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    for (const char* folder : {"/ro", "/sticky"}) ASSERT_TRUE(MakeDir(dir.path() + folder));
    for (const char* file : {"/ro/datafile.hdm", "/sticky/datafile.hdm"}) {
        ASSERT_TRUE(WriteFileAtomic(dir.path() + file, std::string("old")));
        ASSERT_EQ(::chmod((dir.path() + file).c_str(), 0666), 0);
    }
    ASSERT_EQ(::chmod((dir.path() + "/ro").c_str(), 0555), 0);
    ASSERT_EQ(::chmod((dir.path() + "/sticky").c_str(), 01777), 0);
    const bool root = ::geteuid() == 0;
    const struct {
        std::string folder;
        bool asUser;    // refused to a user, not to root
        bool rootOnly;  // the file must be another user's
        std::string shown;
    } refused[] = {
        {"/no", false, false, "/no: папка не найдена"},
        {"/ro", true, false, "/ro: нет доступа к папке"},
        {"/sticky", true, true, "/sticky/datafile.hdm: нет доступа"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.folder);
        if (c.rootOnly && !root) {
            std::printf("[ SKIPPED  ] %s: needs a file of another user (run as root)\n", c.folder.c_str());
            continue;
        }
        std::string failedAt;
        std::FILE* f;
        int err;
        {
            std::optional<AsUser> user;
            if (root && c.asUser) {
                ASSERT_TRUE(user.emplace(65534, 65534).ok());
            }
            f = CreateWorkingFile(dir.path() + c.folder + "/datafile.hdm", &failedAt);
            err = errno;
        }
        EXPECT_EQ(f, nullptr);
        if (f) std::fclose(f);
        const std::string line = FileFailureText(failedAt, err);
        EXPECT_TRUE(line.ends_with(c.shown)) << line;
    }
    ASSERT_EQ(::chmod((dir.path() + "/ro").c_str(), 0755), 0);
    std::string longName;
    while (longName.size() < 140) longName += "я";
    const struct {
        std::string path;
        int err;
        std::string shown;
    } failures[] = {
        {"/opt/qvr/datafile.hdm", EACCES, "/opt/qvr/datafile.hdm: нет доступа"},
        {"datafile.aud", EROFS, "datafile.aud: диск только для чтения"},
        // Too long whole: the end of the path from a folder boundary.
        {"/home/operator/Документы/Программа контроля газа/данные/datafile.ala", EDQUOT,
         "…/данные/datafile.ala: нет места на диске"},
        // A name too long by itself: its end, cut between letters.
        {"/tmp/" + longName + ".hdm", 5000,
         "…" + longName.substr(longName.size() - 68) + ".hdm: ошибка системы 5000"},
    };
    for (const auto& c : failures) EXPECT_EQ(FileFailureText(c.path, c.err), c.shown) << c.path;
}

namespace {
unsigned ModeOf(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0u;
}

// The modes of what a folder holds, taken inside a write that the file size limit stops:
// the limit's signal comes while the temporary file is being written.
std::string g_watchedFolder;
std::vector<unsigned> g_modesWhileWriting;
void NoteModes(int) {
    for (const auto& e : std::filesystem::directory_iterator(g_watchedFolder))
        g_modesWhileWriting.push_back(ModeOf(e.path().string()));
}
}  // namespace

TEST(FileUtil, ReplacedFileKeepsItsModeAndReadOnlyFileIsNotReplaced) {
    TempDir dir;
    std::string path = dir.path() + "/a.ini";
    ASSERT_TRUE(WriteFileAtomic(path, std::string("old")));
    std::string got;
    // The mode the user gave the file survives the replacement.
    for (unsigned mode : {0600u, 0664u, 0640u}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(WriteFileAtomic(path, std::string("v") + std::to_string(mode)));
        EXPECT_EQ(ModeOf(path), mode);
        ASSERT_TRUE(ReadWholeFile(path, got));
        EXPECT_EQ(got, "v" + std::to_string(mode));
    }
    if (::geteuid() == 0) {
        // Replaced by root, a user's file stays the user's.
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        ASSERT_TRUE(WriteFileAtomic(path, std::string("v") + std::to_string(0640u)));
        struct stat st;
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
        EXPECT_EQ(st.st_mode & 07777, 0640u);

        // A file the system's access check denies the user (here root's 0644 file in the
        // user's own folder) is refused and stays root's, whatever the mode allows.
        ASSERT_EQ(::chown(path.c_str(), 0, 0), 0);
        ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
        ASSERT_EQ(::chown(dir.path().c_str(), 65534, 65534), 0);
        bool written;
        {
            AsUser user(65534, 65534);
            ASSERT_TRUE(user.ok());
            written = WriteFileAtomic(path, std::string("lost"));
        }
        EXPECT_FALSE(written);
        ASSERT_TRUE(ReadWholeFile(path, got));
        EXPECT_EQ(got, "v" + std::to_string(0640u));
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 0u);
    }
    // A new file gets what a plain create gives it: 0666 less the umask. While its data are
    // written, nobody else can open it.
    for (mode_t mask : {mode_t(0002), mode_t(0077)}) {
        SCOPED_TRACE(mask);
        const std::string fresh = dir.path() + "/new" + std::to_string(mask) + ".ini";
        const mode_t before = ::umask(mask);
        const bool written = WriteFileAtomic(fresh, std::string("new"));
        ::umask(before);
        EXPECT_TRUE(written);
        EXPECT_EQ(ModeOf(fresh), 0666u & ~unsigned(mask));
        ASSERT_TRUE(RemoveFile(fresh));
    }
    {
        TempDir watched;
        g_watchedFolder = watched.path();
        g_modesWhileWriting.clear();
        FileSizeLimit full(0);
        const auto previous = std::signal(SIGXFSZ, NoteModes);
        EXPECT_FALSE(WriteFileAtomic(watched.path() + "/secret.cnf", std::string("password")));
        std::signal(SIGXFSZ, previous);
        EXPECT_EQ(g_modesWhileWriting, std::vector<unsigned>{0600u});
        EXPECT_TRUE(Names(watched.path()).empty());
    }
    // No write bit: read-only for everyone, root included. Refused, file and mode kept.
    for (unsigned mode : {0444u, 0400u, 0555u}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        std::string err;
        EXPECT_FALSE(WriteFileAtomic(path, std::string("lost"), &err));
        EXPECT_NE(err.find(path), std::string::npos);
        ASSERT_TRUE(ReadWholeFile(path, got));
        EXPECT_EQ(got, "v" + std::to_string(0640u));
        EXPECT_EQ(ModeOf(path), mode);
        EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.ini"});
    }
}

TEST(FileUtil, FileNameOnlyTakesWhatFollowsTheLastSlash) {
    EXPECT_EQ(FileNameOnly("/home/op/REPORT/rep261207.srt"), "rep261207.srt");
    EXPECT_EQ(FileNameOnly("rep261207.srt"), "rep261207.srt");
    EXPECT_EQ(FileNameOnly("/home/op/MOMDATA/"), "");
    // A backslash is part of a Linux file name, not a separator.
    EXPECT_EQ(FileNameOnly("/data/a\\b.mch"), "a\\b.mch");
    EXPECT_EQ(FileNameOnly("/data/Данные 1.mch"), "Данные 1.mch");
}
