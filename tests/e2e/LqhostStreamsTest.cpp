// What lqhost offers at its edges: the report on standard output, text that other programs
// read, and byte-order marks.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <sstream>
#include <thread>

#include "tests/e2e/LqhostProcess.h"

using namespace lqe2e;

namespace {

// A board whose automatic swap runs for minutes: n two-pin gates that may all take each other's
// places, every pin on one net.
std::string LongRunningBoard(int n)
{
    std::string parts, net;
    for (int i = 0; i < n; ++i) {
        const std::string ref = "U" + std::to_string(i), x = std::to_string((i % 200) * 1000000), y = std::to_string((i / 200) * 1000000);
        parts += std::string(i ? ",\n" : "") + R"({"ref": ")" + ref + R"(", "at": [)" + x + ", " + y +
                 R"(], "attributes": [["LQ_GATESWAP", "2"]], "pins": [)";
        for (int k = 1; k <= 2; ++k) {
            parts += std::string(k == 2 ? ", " : "") + R"({"at": [)" + std::to_string(k * 300000) + R"(, 0], "attributes": [["LQ_PIN", ")" +
                     std::to_string(k) + R"("], ["LQ_GATE", "A"], ["LQ_GATEGROUP", "G"], ["LQ_PINGROUP", "P"]]})";
            net += std::string(net.empty() ? "" : ", ") + "[\"" + ref + "\", \"" + std::to_string(k) + "\"]";
        }
        parts += "]}";
    }
    return R"({"format": "quillon-board", "version": 1, "parts": [)" + parts + R"(], "nets": [{"name": "BIG", "pins": [)" + net + "]}]}";
}

// Processor seconds a process has used, or a negative number once it is gone.
double ProcessorSeconds(pid_t pid)
{
    const std::string text = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string state, field;
    fields >> state;
    if (state == "Z")
        return -1;
    long ticks = 0;
    for (int i = 4; i <= 15 && fields >> field; ++i)
        if (i >= 14)
            ticks += std::stol(field);
    return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

}  // namespace

// Writing the report to standard output used to need /dev/stdout, which replaced the device.
TEST(LqhostStreams, ADashSendsTheReportOrTheEcoToStandardOutputInsteadOfTheTable)
{
    TempDir dir;
    Result r = RunLqhost({"autoswap", Example("sample.qbrd.json"), "--report", "-"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_GT(Json::parse(r.out)["boards"][0]["pinsMoved"].get<int>(), 0);
    r = RunLqhost({"autoswap", Example("sample.qbrd.json"), "--eco", "-", "--report", dir / "r.json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("board,record,part,pin,", 0), 0u) << r.out;
    EXPECT_EQ(dir.List(), std::vector<std::string>{"r.json"});
}

// A byte-order mark used to be refused in play scripts but read in board JSON; both read it.
TEST(LqhostStreams, AByteOrderMarkStartsBoardsAndScriptsAlike)
{
    TempDir dir;
    const std::string bom = "\xEF\xBB\xBF";
    WriteFile(dir / "b.qbrd.json", bom + ReadFile(Example("sample.qbrd.json")));
    WriteFile(dir / "s.play", bom + "open b.qbrd.json\nexpect pincount IN_A1 2\n");
    const Result r = RunLqhost({"play", dir / "s.play"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, (dir / "s.play") + ": 2 lines run, 1 expectation met\n");
}

// Ctrl-C in a long pass: lqhost ends at once by the signal, says so in one line, and leaves no
// output and no temporary file (the outputs are written only at the end, in a batch that holds
// the signal back).
TEST(LqhostStreams, ASignalStopsALongRunAtOnceWithNothingWritten)
{
    for (const int signal : {SIGINT, SIGTERM}) {
        TempDir dir, io;
        WriteFile(dir / "big.qbrd.json", LongRunningBoard(3000));
        const std::vector<std::string> argv{LQHOST_PATH, "autoswap", dir / "big.qbrd.json", "-o", dir / "out.qbrd.json",
                                            "--report", dir / "r.json", "--eco", dir / "e.csv", "--svg", dir / "pictures"};
        const pid_t pid = Spawn(argv, io / "out", io / "err");
        // Well into the work: a second of processor time.
        double used = 0;
        for (int i = 0; i < 1200 && (used = ProcessorSeconds(pid)) >= 0 && used < 1.0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_GE(used, 1.0) << "lqhost ended or stalled before it had worked for a second: " << ReadFile(io / "err");
        ::kill(pid, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(ReadFile(io / "err"), "lqhost: interrupted; no output was written\n");
        EXPECT_EQ(dir.List(), std::vector<std::string>{"big.qbrd.json"});
    }
}
