#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/fileutil.h"
#include "support/tempdir.h"

using namespace qvr;

TEST(FileUtil, AtomicWriteReplacesAndFailureKeepsOldFile) {
    TempDir dir;
    std::string path = dir.path() + "/a.bin";
    ASSERT_TRUE(WriteFileAtomic(path, std::string("old")));
    ASSERT_TRUE(WriteFileAtomic(path, std::string("new data")));
    std::string got;
    ASSERT_TRUE(ReadWholeFile(path, got));
    EXPECT_EQ(got, "new data");
    EXPECT_FALSE(FileExists(path + ".tmp"));

    // A temporary name that cannot be created (a folder stands there) fails and the
    // old file stays whole.
    ASSERT_TRUE(MakeDir(path + ".tmp"));
    std::string err;
    EXPECT_FALSE(WriteFileAtomic(path, std::string("lost"), &err));
    EXPECT_FALSE(err.empty());
    ASSERT_TRUE(ReadWholeFile(path, got));
    EXPECT_EQ(got, "new data");
}

namespace {
unsigned ModeOf(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0u;
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
        EXPECT_FALSE(FileExists(path + ".tmp"));
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
