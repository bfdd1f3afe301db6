#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST(FileUtil, FileNameOnlyTakesWhatFollowsTheLastSlash) {
    EXPECT_EQ(FileNameOnly("/home/op/REPORT/rep261207.srt"), "rep261207.srt");
    EXPECT_EQ(FileNameOnly("rep261207.srt"), "rep261207.srt");
    EXPECT_EQ(FileNameOnly("/home/op/MOMDATA/"), "");
    // A backslash is part of a Linux file name, not a separator.
    EXPECT_EQ(FileNameOnly("/data/a\\b.mch"), "a\\b.mch");
    EXPECT_EQ(FileNameOnly("/data/Данные 1.mch"), "Данные 1.mch");
}
