// Outputs are written whole or not at all.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/core/Errors.h"
#include "app/io/AtomicFile.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lqapptest;

namespace {
unsigned ModeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}
}  // namespace

TEST(AtomicWrite, NewFilesGetContentFoldersAndTheUsualModeReplacedFilesKeepTheirs)
{
    ScratchDir dir;
    WriteFileAtomically(dir / "x/y/a.txt", "hello\n");
    EXPECT_EQ(ReadFile(dir / "x/y/a.txt"), "hello\n");
    EXPECT_EQ(dir.List("x/y"), (std::vector<std::string>{"a.txt"}));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir / "x/y/a.txt"), 0666u & ~mask);

    ::chmod((dir / "x/y/a.txt").c_str(), 0640);
    WriteFileAtomically(dir / "x/y/a.txt", "new content");
    EXPECT_EQ(ReadFile(dir / "x/y/a.txt"), "new content");
    EXPECT_EQ(ModeOf(dir / "x/y/a.txt"), 0640u);

    EXPECT_THROW(WriteFileAtomically(dir / "x", "a folder is not overwritten"), IoError);
    EXPECT_EQ(dir.List("x"), std::vector<std::string>{"y"});
}

TEST(AtomicBatch, OneOutputThatCannotBeWrittenLeavesEveryTargetAlone)
{
    ScratchDir dir;
    WriteFileAtomically(dir / "keep.txt", "before");
    WriteFileAtomically(dir / "plain", "a file, not a folder");
    OutputBatch batch;
    batch.Add(dir / "keep.txt", "after");
    batch.Add(dir / "new/made.txt", "new");
    batch.Add(dir / "plain/inside.txt", "cannot be");
    const std::string error = lqe2e::ErrorText<IoError>([&] { batch.Commit(); });
    EXPECT_EQ(error.rfind(dir / "plain/inside.txt: cannot write", 0), 0u) << error;
    EXPECT_EQ(ReadFile(dir / "keep.txt"), "before");
    // No temporary file and no folder made on the way stays behind.
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"keep.txt", "plain"}));
}

TEST(SameFileTest, SeesThroughSpellingsAndLinks)
{
    ScratchDir dir;
    WriteFileAtomically(dir / "a", "x");
    ASSERT_EQ(::link((dir / "a").c_str(), (dir / "b").c_str()), 0);
    ASSERT_EQ(::symlink("a", (dir / "c").c_str()), 0);
    WriteFileAtomically(dir / "d", "x");
    EXPECT_TRUE(SameFile(dir / "a", dir / "./a"));
    EXPECT_TRUE(SameFile(dir / "a", dir / "b"));
    EXPECT_TRUE(SameFile(dir / "c", dir / "a"));
    EXPECT_FALSE(SameFile(dir / "a", dir / "d"));
    EXPECT_FALSE(SameFile(dir / "a", dir / "missing"));
}
