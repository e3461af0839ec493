// lqhost play end to end: scripted host sessions with manual swaps, swaps while moving, saves,
// failing expectations and bad scripts.
#include <gtest/gtest.h>

#include "tests/e2e/LqhostProcess.h"

using namespace lqe2e;

namespace {

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

    // The same session with one expectation changed fails at that line.
    TempDir dir;
    std::string text = ReadFile(Example("manual-swaps.play"));
    text.replace(text.find("expect net U1.4 R4"), 18, "expect net U1.4 R5");
    WriteFile(dir / "sample.qbrd.json", ReadFile(Example("sample.qbrd.json")));
    WriteFile(dir / "s.play", text);
    const Result wrong = RunLqhost({"play", dir / "s.play"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_EQ(wrong.err, "lqhost: " + (dir / "s.play") + ":41: expected net of U1.4 to be R5, found R4\n");
    EXPECT_EQ(wrong.out, "");
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

TEST(LqhostPlay, FailingScriptsNameTheLineAndWriteNothing)
{
    const std::pair<std::string, std::string> cases[] = {
        // Refused before anything runs.
        {"tool 0x703E8\nclik U1.4\n", "4: unknown line \"clik\"; a line starts with open, moveswap, tool, click, rclick, "
                                      "dblclick, overlay, select, deselect, move, command, database-changed, "
                                      "netlist-changed, save or expect"},
        {"tool 0x703E8\nclick U9.4\n", "4: unknown part \"U9\" on the board " + Example("sample.qbrd.json")},
        {"tool 0x703E8\nclick U1.44\n", "4: part U1 has no pin \"44\""},
        {"command AutoSwap\n", "3: the plug-in has no command \"AutoSwap\" (it has SwapPinTool, SwapGateTool, AutoQuillon)"},
        {"open nothere.qbrd.json\n", "3: {dir}/nothere.qbrd.json: cannot open: No such file or directory"},
        // Failing while it runs.
        {"tool 0x703E8\noverlay pick.svg\nexpect pickmode on\n", "5: expected pick mode on, found off"},
    };
    for (const auto& [body, message] : cases) {
        TempDir dir;
        const std::string script = Script(dir, "save out.qbrd.json\n" + body);
        const Result r = RunLqhost({"play", script});
        EXPECT_EQ(r.exitCode, 1) << body;
        std::string expected = "lqhost: " + script + ":" + message + "\n";
        if (const std::size_t at = expected.find("{dir}"); at != std::string::npos)
            expected.replace(at, 5, dir.Path());
        EXPECT_EQ(r.err, expected);
        EXPECT_EQ(dir.List(), std::vector<std::string>{"s.play"}) << body;
    }
}

TEST(LqhostPlay, AMissingScriptOrAnUnwritableSaveFails)
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
}
