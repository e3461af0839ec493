// lqhost play, render and info end to end: scripted host sessions with manual swaps, swaps while
// moving, saves and a failing expectation (bad scripts are in LqhostErrorsTest); pictures and the
// probe checked against each other and against the board file's own attributes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

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

TEST(LqhostPlay, SavedBoardHoldsTheSwapsAndNothingElseAndTheOverlayPictureIsWritten)
{
    TempDir dir;
    const std::string script = Script(dir, "tool 0x703E8\nclick U1.4\noverlay pick.svg\nclick U1.5\nsave out.qbrd.json\n"
                                           "expect record 1 pin undo 5 \"U1\" \"4\" \"U1\" \"5\"\n");
    const Result r = RunLqhost({"play", script});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "wrote " + (dir / "pick.svg") + "\nwrote " + (dir / "out.qbrd.json") + "\n" + script +
                         ": 7 lines run, 1 expectation met\n");
    const Json before = Sample(), after = Json::parse(ReadFile(dir / "out.qbrd.json"));
    EXPECT_EQ(IllegalMoves(before, after), "");
    auto expected = NetOfPin(before);
    std::swap(expected.at("U1.4"), expected.at("U1.5"));
    EXPECT_EQ(NetOfPin(after), expected);
    // The picked pin's overlay, as the plug-in painted it, under the script line that asked for it.
    const std::string svg = ReadFile(dir / "pick.svg");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("s.play:4: overlay pick.svg"), std::string::npos);
    EXPECT_NE(svg.find("<circle"), std::string::npos);
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

namespace {

// Pin "U1.3" -> its attribute of that name in the board file ("" when it has none).
std::map<std::string, std::string> PinAttribute(const Json& board, const std::string& name)
{
    std::map<std::string, std::string> values;
    for (const Json& part : board["parts"])
        for (const Json& pin : part["pins"]) {
            std::map<std::string, std::string> a;
            for (const Json& kv : pin["attributes"])
                a[kv[0]] = kv[1];
            values[part["ref"].get<std::string>() + "." + a["LQ_PIN"]] = a[name];
        }
    return values;
}

Json Info()
{
    const Result r = RunLqhost({"info", Example("sample.qbrd.json"), "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return Json::parse(r.out);
}

}  // namespace

TEST(LqhostInfo, SampleGatesAndPinGroupsAgreeWithTheBoardsAttributesInJsonAndText)
{
    const Json info = Info(), board = Json::parse(ReadFile(Example("sample.qbrd.json")));
    const auto gateOf = PinAttribute(board, "LQ_GATE"), groupOf = PinAttribute(board, "LQ_GATEGROUP");
    const auto pinGroupOf = PinAttribute(board, "LQ_PINGROUP");
    const auto routed = RoutedPins(board);
    // Four gates on each of U1, U2 and U3, one per resistor, all real; pseudo-gates of the two
    // packages whose gates may move between packages.
    std::map<std::string, int> kinds;
    for (const Json& gate : info["gates"]) {
        ASSERT_TRUE(gate["picked"].get<bool>()) << gate;
        ++kinds[gate["kind"]];
        bool hasRoutedPin = false;
        for (const Json& pin : gate["pins"]) {
            EXPECT_EQ(pin.get<std::string>().rfind(gate["part"].get<std::string>() + ".", 0), 0u) << gate;
            EXPECT_EQ(gate["kind"] == "pseudo" ? "" : gateOf.at(pin), gate["name"]) << pin;
            hasRoutedPin = hasRoutedPin || std::count(routed.begin(), routed.end(), pin.get<std::string>()) > 0;
        }
        if (gate["kind"] == "real") {
            EXPECT_EQ(gate["swappable"].get<bool>(), !hasRoutedPin) << gate;
        }
    }
    EXPECT_EQ(kinds, (std::map<std::string, int>{{"pseudo", 2}, {"real", 15}}));
    // Two gate groups of 7 and 4 gates, each of one gate group name.
    ASSERT_EQ(info["gateGroups"].size(), 2u);
    EXPECT_EQ(info["gateGroups"][0].size() + info["gateGroups"][1].size(), 7u + 4u);
    for (const Json& group : info["gateGroups"]) {
        std::set<std::string> groups;
        for (const Json& id : group)
            groups.insert(groupOf.at(info["gates"][id.get<int>() - 1]["pins"][0]));
        EXPECT_EQ(groups.size(), 1u) << group;
    }
    // Pins are offered only to pins of their own part, gate and pin group.
    for (const Json& pin : info["pins"]) {
        const std::string name = pin["pin"];
        EXPECT_EQ(pin["answer"] == "no-pin-group", pinGroupOf.at(name).empty()) << name;
        for (const Json& c : pin["candidates"]) {
            EXPECT_EQ(c.get<std::string>().substr(0, c.get<std::string>().find('.')), name.substr(0, name.find('.')));
            EXPECT_EQ(pinGroupOf.at(c) + gateOf.at(c), pinGroupOf.at(name) + gateOf.at(name)) << name;
        }
    }
    for (const Json& group : info["pinGroups"])
        EXPECT_GE(group.size(), 2u);
    // The routed pin U1.1 is picked but offered to nothing; so is its partner then left alone.
    EXPECT_EQ(info["pins"][0],
              (Json{{"pin", "U1.1"}, {"answer", "picked"}, {"swappable", false}, {"candidates", Json::array()}, {"group", nullptr}}));
    EXPECT_TRUE(info["pins"][1]["candidates"].empty());

    // Without --json, the text also names what cannot be seen through the plug-in's boundary.
    const Result text = RunLqhost({"info", Example("sample.qbrd.json")});
    EXPECT_NE(text.out.find("\nGates (17: 15 real, 2 pseudo)\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\nNot seen through the plug-in's boundary\n"), std::string::npos) << text.out;
}

TEST(LqhostRender, PictureHoldsOneMarkerPerGateDrawnByThePlugIn)
{
    TempDir dir;
    const Result r = RunLqhost({"render", Example("sample.qbrd.json"), "-o", dir / "s.svg"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "wrote " + (dir / "s.svg") + "\n");
    const std::string svg = ReadFile(dir / "s.svg");
    const std::size_t gates = svg.find("<g id=\"gates\">");
    ASSERT_NE(gates, std::string::npos);
    const std::string markers = svg.substr(gates, svg.find("</g>", gates) - gates);
    // Each marker is a filled disc and its outline, with the gate's name.
    const Json info = Info();
    EXPECT_EQ(Count(markers, "<circle"), 2 * info["gates"].size());
    const auto named = std::count_if(info["gates"].begin(), info["gates"].end(), [](const Json& g) { return g["name"] == "B"; });
    EXPECT_EQ(Count(markers, ">B</text>"), static_cast<std::size_t>(named));
    EXPECT_GT(named, 0);
}
