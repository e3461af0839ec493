// lqhost play end to end: scripted host sessions with manual swaps, swaps while moving, saves,
// failing expectations and bad scripts.
#include <gtest/gtest.h>

#include "tests/e2e/LqhostProcess.h"

using namespace lqe2e;

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A script in the folder that opens the sample board.
std::string Script(const TempDir& dir, const std::string& body, const std::string& name = "s.play")
{
    WriteFile(dir / name, "open " + Example("sample.qbrd.json") + "\n" + body);
    return dir / name;
}

Json Sample() { return Json::parse(ReadFile(Example("sample.qbrd.json"))); }

}  // namespace

TEST(LqhostPlay, ExampleSessionReproducesPinAndGateSwapsAndASwapWhileMoving)
{
    const Result r = RunLqhost({"play", Example("manual-swaps.play"), "--verbose"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("back-annotation record 1: kind 13, undo id 39, \"U1\" \"4\" \"U1\" \"5\"\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("back-annotation record 2: kind 12, undo id 72, \"U1\" \"B\" \"U1\" \"C\"\n"), std::string::npos);
    EXPECT_NE(r.out.find("manual-swaps.play:21: click J1.1\n    message box: "), std::string::npos);
    EXPECT_NE(r.out.find(Example("manual-swaps.play") + ": "), std::string::npos);
    EXPECT_NE(r.out.find(" expectations met\n"), std::string::npos);
}

TEST(LqhostPlay, AWrongExpectationExitsOneNamingTheLine)
{
    TempDir dir;
    WriteFile(dir / "sample.qbrd.json", ReadFile(Example("sample.qbrd.json")));
    WriteFile(dir / "s.play", Replace(ReadFile(Example("manual-swaps.play")), "expect net U1.4 R4", "expect net U1.4 R5"));
    const Result r = RunLqhost({"play", dir / "s.play"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "lqhost: " + (dir / "s.play") + ":41: expected net of U1.4 to be R5, found R4\n");
    EXPECT_EQ(r.out, "");
}

TEST(LqhostPlay, SavedBoardHoldsTheSwapsAndNothingElse)
{
    TempDir dir;
    const std::string script = Script(dir, "tool 0x703E8\nclick U1.4\nclick U1.5\nsave out.qbrd.json\n"
                                           "expect record 1 pin undo 4 \"U1\" \"4\" \"U1\" \"5\"\n");
    const Result r = RunLqhost({"play", script});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "wrote " + (dir / "out.qbrd.json") + "\n" + script + ": 6 lines run, 1 expectation met\n");
    const Json before = Sample(), after = Json::parse(ReadFile(dir / "out.qbrd.json"));
    EXPECT_EQ(IllegalMoves(before, after), "");
    auto expected = NetOfPin(before);
    std::swap(expected.at("U1.4"), expected.at("U1.5"));
    EXPECT_EQ(NetOfPin(after), expected);
}

TEST(LqhostPlay, MovingWithGateSwapOnExchangesConnectionsLegally)
{
    TempDir dir;
    // U2 only: moving U1 would take its routed pin off the track.
    const std::string moves = "select U2\nmove 0 1mm\nsave out.qbrd.json\n";
    ASSERT_EQ(RunLqhost({"play", Script(dir, "moveswap 0 off 0\n" + moves, "off.play")}).exitCode, 0);
    EXPECT_EQ(NetOfPin(Json::parse(ReadFile(dir / "out.qbrd.json"))), NetOfPin(Sample()));

    const Result r = RunLqhost({"play", Script(dir, "moveswap 3 on 1\n" + moves + "expect records 0\n", "on.play")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Json after = Json::parse(ReadFile(dir / "out.qbrd.json"));
    EXPECT_EQ(IllegalMoves(Sample(), after), "");
    EXPECT_NE(NetOfPin(after), NetOfPin(Sample()));
    EXPECT_EQ(after["parts"][1]["at"], Json::array({70000000, 43000000}));
}

TEST(LqhostPlay, ADatabaseChangeMakesTheGateToolForgetItsPick)
{
    TempDir dir;
    // At rest the tool draws every gate once; with a pick, all gates again plus the candidates
    // and the pick. After the change the next click is a first pick again, not a swap.
    const std::string script = Script(dir, "tool 0x703E9\noverlay\nexpect overlay markers 17\nclick gate U1 B\n"
                                           "overlay\nexpect overlay markers 25\ndatabase-changed\nclick gate U1 C\n"
                                           "expect records 0\nexpect net U1.8 N_CD\noverlay\nexpect overlay markers 25\n"
                                           "netlist-changed\noverlay\nexpect overlay markers 17\n");
    const Result r = RunLqhost({"play", script});
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(LqhostPlay, AFailingScriptWritesNothing)
{
    TempDir dir;
    const std::string script = Script(dir, "save out.qbrd.json\ntool 0x703E8\noverlay pick.svg\nexpect pickmode on\n");
    const Result r = RunLqhost({"play", script});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "lqhost: " + script + ":5: expected pick mode on, found off\n");
    EXPECT_EQ(dir.List(), std::vector<std::string>{"s.play"});
}

TEST(LqhostPlay, OverlayPictureShowsTheCandidates)
{
    TempDir dir;
    const Result r = RunLqhost({"play", Script(dir, "tool 0x703E8\nclick U1.4\noverlay pick.svg\n")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string svg = ReadFile(dir / "pick.svg");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("s.play:4: overlay pick.svg"), std::string::npos);
    EXPECT_NE(svg.find("</svg>\n"), std::string::npos);
}

TEST(LqhostPlay, BadScriptsFailBeforeAnythingRuns)
{
    struct Case {
        std::string body;
        std::string message;  // after "lqhost: <script>:"
    };
    const Case cases[] = {
        {"save out.qbrd.json\ntool 0x703E8\nclik U1.4\n", "4: unknown line \"clik\"; a line starts with open, moveswap, "
                                                          "tool, click, rclick, dblclick, overlay, select, deselect, move, "
                                                          "command, database-changed, netlist-changed, save or expect"},
        {"save out.qbrd.json\ntool 0x703E8\nclick U9.4\n", "4: unknown part \"U9\" on the board " + Example("sample.qbrd.json")},
        {"save out.qbrd.json\ntool 0x703E8\nclick U1.44\n", "4: part U1 has no pin \"44\""},
        {"save out.qbrd.json\nexpect pins NOPE none\n", "3: unknown net \"NOPE\" on the board " + Example("sample.qbrd.json")},
        {"save out.qbrd.json\ncommand AutoSwap\n", "3: the plug-in has no command \"AutoSwap\" (it has SwapPinTool, "
                                                   "SwapGateTool, AutoQuillon)"},
        {"save out.qbrd.json\nopen nothere.qbrd.json\n", "3: DIR/nothere.qbrd.json: cannot open: No such file or directory"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string script = Script(dir, c.body);
        const Result r = RunLqhost({"play", script});
        EXPECT_EQ(r.exitCode, 1) << c.body;
        std::string message = c.message;
        if (const std::size_t at = message.find("DIR"); at != std::string::npos)
            message.replace(at, 3, dir.Path());
        EXPECT_EQ(r.err, "lqhost: " + script + ":" + message + "\n");
        EXPECT_EQ(dir.List(), std::vector<std::string>{"s.play"}) << c.body;
    }
}

TEST(LqhostPlay, MissingScriptUnwritableSaveAndBadUsage)
{
    TempDir dir;
    Result r = RunLqhost({"play", dir / "none.play"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "lqhost: " + (dir / "none.play") + ": cannot open: No such file or directory\n");

    WriteFile(dir / "plain", "a file, not a folder");
    r = RunLqhost({"play", Script(dir, "save plain/out.qbrd.json\n")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "lqhost: " + (dir / "plain/out.qbrd.json") + ": cannot write: " + (dir / "plain") + " is not a folder\n");
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"plain", "s.play"}));

    r = RunLqhost({"play"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("SCRIPT is required"), std::string::npos) << r.err;
}
