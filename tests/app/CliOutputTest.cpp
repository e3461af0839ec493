// How lqhost writes: outputs whole or not at all, and the elapsed-time line of a long pass (shown
// on a terminal, silent when stderr is redirected).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

#include "app/cli/ElapsedTicker.h"
#include "app/core/Errors.h"
#include "app/io/AtomicFile.h"
#include "app/io/InputFile.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lqapptest;
using lqe2e::ErrorText;

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

namespace {
// Fails every rename after the first: a later output that cannot be put in place.
int RenameOnce(const char* from, const char* to)
{
    static int calls = 0;
    if (++calls > 1) {
        errno = EPERM;
        return -1;
    }
    return ::rename(from, to);
}
}  // namespace

// A later rename that failed used to leave the outputs renamed before it replaced.
TEST(AtomicBatch, ALaterRenameThatFailsPutsBackWhatTheEarlierOnesReplaced)
{
    ScratchDir dir;
    WriteFileAtomically(dir / "old.txt", "before");
    WriteFileAtomically(dir / "third.txt", "third before");
    OutputBatch batch(&RenameOnce);
    batch.Add(dir / "old.txt", "after");
    batch.Add(dir / "new.txt", "new");
    batch.Add(dir / "third.txt", "third after");
    const std::string error = lqe2e::ErrorText<IoError>([&] { batch.Commit(); });
    EXPECT_EQ(error, (dir / "new.txt") + ": cannot replace: Operation not permitted; the outputs already written were put back as they were");
    EXPECT_EQ(ReadFile(dir / "old.txt"), "before");
    EXPECT_EQ(ReadFile(dir / "third.txt"), "third before");
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"old.txt", "third.txt"}));
}

// Outputs used to replace whatever their name led to: a FIFO, a device node, the link to one.
// Inputs that are not regular files used to be opened and block (a FIFO) or read.
TEST(SpecialFiles, AreNeitherReplacedByOutputsNorReadAsInputs)
{
    ScratchDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("fifo", (dir / "to-fifo").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", (dir / "dangling").c_str()), 0);
    WriteFileAtomically(dir / "file", "old");
    ASSERT_EQ(::symlink("file", (dir / "to-file").c_str()), 0);
    // A character device made here (where it can do no harm) when this system allows it.
    const bool device = ::mknod((dir / "null").c_str(), S_IFCHR | 0600, ::makedev(1, 3)) == 0;
    EXPECT_EQ(OutputTargetProblem(dir / "fifo"), "a FIFO, not a regular file; lqhost writes regular files only");
    EXPECT_EQ(OutputTargetProblem(dir / "to-fifo"), "a link to a FIFO, not a regular file; lqhost writes regular files only");
    EXPECT_EQ(OutputTargetProblem(dir / "dangling"), "a link that leads nowhere; lqhost writes regular files only");
    // Whatever standard output is, a file renamed over what it leads to would cut it off.
    for (const char* own : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/2"})
        EXPECT_EQ(OutputTargetProblem(own), "a descriptor of this process, not a file; give - for standard output where an option offers it")
            << own;
    std::vector<std::string> special{"fifo", "to-fifo"};
    if (device) {
        EXPECT_EQ(OutputTargetProblem(dir / "null"), "a character device, not a regular file; lqhost writes regular files only");
        special.push_back("null");
    }
    for (const std::string& name : special) {
        EXPECT_THROW(WriteFileAtomically(dir / name, "x"), IoError) << name;
        EXPECT_EQ(ErrorText<IoError>([&] { ReadInputFile(dir / name, 100); }),
                  (dir / name) + ": not a regular file (" + (name == "null" ? "a character device" : "a FIFO") +
                      "); only regular files are read");
    }
    // A link to a regular file is written through: the link stays, the file it leads to changes.
    WriteFileAtomically(dir / "to-file", "new");
    EXPECT_EQ(ReadFile(dir / "file"), "new");
    struct stat st {};
    EXPECT_TRUE(::lstat((dir / "to-file").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    for (const std::string& name : special)
        EXPECT_TRUE(::lstat((dir / name).c_str(), &st) == 0 && !S_ISREG(st.st_mode)) << name;
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
        const ElapsedTicker phase("the pass");  // shown on the same line, not on a second one
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
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
    // The seconds shown, at least: a loaded machine may tick late, never early.
    auto secondsAfter = [&shown](const std::string& prefix) {
        const std::size_t at = shown.find(prefix);
        return at == std::string::npos ? -1.0 : std::strtod(shown.c_str() + at + prefix.size(), nullptr);
    };
    const std::string first = "\rboard.qbrd.json: running, ";
    EXPECT_EQ(shown.rfind(first, 0), 0u) << shown;
    EXPECT_GE(secondsAfter(first), 1.0) << shown;
    EXPECT_GE(secondsAfter("\rthe pass: running, "), 1.3) << shown;  // the whole, not the phase's own
    EXPECT_EQ(shown.substr(shown.size() - 4), "\r\033[K");

    ScratchDir dir;
    TickWithStderrOn(::open((dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    EXPECT_EQ(ReadFile(dir / "err"), "");
}
