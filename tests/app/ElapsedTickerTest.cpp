// The elapsed-time line of a long pass: shown on a terminal, silent when stderr is redirected.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/cli/ElapsedTicker.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lqapptest;

namespace {

// Runs a ticker for a pass longer than its quiet second, with stderr on the given descriptor.
void TickWithStderrOn(int fd)
{
    const int saved = ::dup(2);
    ::dup2(fd, 2);
    {
        ElapsedTicker ticker("board.qbrd.json");
        std::this_thread::sleep_for(std::chrono::milliseconds(1300));
        EXPECT_GE(ticker.Seconds(), 1.3);
    }
    ::dup2(saved, 2);
    ::close(saved);
}

}  // namespace

TEST(ElapsedTickerTest, CountsOnATerminalAndErasesItsLineButIsSilentWhenStderrIsAFile)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    TickWithStderrOn(terminal);
    ::close(terminal);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    std::string shown;
    char buf[512];
    for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;)
        shown.append(buf, static_cast<std::size_t>(n));
    ::close(master);
    EXPECT_EQ(shown.rfind("\rboard.qbrd.json: running, 1.", 0), 0u) << shown;
    EXPECT_EQ(shown.substr(shown.size() - 4), "\r\033[K");

    ScratchDir dir;
    const int file = ::open((dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(file, 0);
    TickWithStderrOn(file);
    ::close(file);
    EXPECT_EQ(ReadFile(dir / "err"), "");
}
