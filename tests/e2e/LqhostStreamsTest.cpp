// What lqhost offers at its edges: the report on standard output, text that other programs
// read, and byte-order marks.
#include <gtest/gtest.h>

#include "tests/e2e/LqhostProcess.h"

using namespace lqe2e;

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
