// How lqhost writes: outputs whole or not at all, and the elapsed-time line of a long pass (shown
// on a terminal, silent when stderr is redirected).
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "app/cli/ElapsedTicker.h"
#include "app/core/Errors.h"
#include "app/io/AtomicFile.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lqapptest;

namespace {
unsigned ModeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
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
    for (const char* same : {"./a", "b", "c"})
        EXPECT_TRUE(SameFile(dir / same, dir / "a")) << same;
    for (const char* other : {"d", "missing"})
        EXPECT_FALSE(SameFile(dir / "a", dir / other)) << other;
}

namespace {

// Runs a ticker for a pass longer than its quiet second, with stderr on the given descriptor.
void TickWithStderrOn(int fd)
{
    ASSERT_GE(fd, 0);
    const int saved = ::dup(2);
    ::dup2(fd, 2);
    ::close(fd);
    {
        ElapsedTicker ticker("board.qbrd.json");
        std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    }
    ::dup2(saved, 2);
    ::close(saved);
}

}  // namespace

TEST(ElapsedTickerTest, CountsOnATerminalAndErasesItsLineButIsSilentWhenStderrIsAFile)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    TickWithStderrOn(::open(::ptsname(master), O_RDWR | O_NOCTTY));
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    std::string shown;
    char buf[512];
    for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;)
        shown.append(buf, static_cast<std::size_t>(n));
    ::close(master);
    EXPECT_EQ(shown.rfind("\rboard.qbrd.json: running, 1.", 0), 0u) << shown;
    EXPECT_EQ(shown.substr(shown.size() - 4), "\r\033[K");

    ScratchDir dir;
    TickWithStderrOn(::open((dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    EXPECT_EQ(ReadFile(dir / "err"), "");
}
