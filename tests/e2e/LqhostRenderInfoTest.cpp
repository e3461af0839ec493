// lqhost render and lqhost info end to end, checked against each other and against the board
// file's own attributes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/e2e/LqhostProcess.h"

using namespace lqe2e;

namespace {

// Pin "U1.3" -> its attribute of that name in the board file.
std::map<std::string, std::string> PinAttribute(const Json& board, const std::string& name)
{
    std::map<std::string, std::string> values;
    for (const Json& part : board["parts"])
        for (const Json& pin : part["pins"]) {
            std::string pinName, value;
            for (const Json& a : pin["attributes"]) {
                if (a[0] == "LQ_PIN")
                    pinName = a[1];
                if (a[0] == name)
                    value = a[1];
            }
            values[part["ref"].get<std::string>() + "." + pinName] = value;
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

TEST(LqhostInfo, SampleGatesAndPinGroupsAgreeWithTheBoardsAttributes)
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
}

TEST(LqhostInfo, TextNamesWhatCannotBeSeen)
{
    const Result r = RunLqhost({"info", Example("sample.qbrd.json")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* heading : {"\nParts\n", "\nGates (17: 15 real, 2 pseudo)\n", "\nGate groups", "\nPin groups",
                                "\nPins\n", "\nNot seen through the plug-in's boundary\n", "Gate group names are not drawn"})
        EXPECT_NE(r.out.find(heading), std::string::npos) << heading;
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
    EXPECT_EQ(Count(svg, "<g id=\"pads\""), 1u);
    EXPECT_EQ(Count(svg, "<g id=\"airwires\""), 1u);
}

TEST(LqhostRender, TheInputIsNeverOverwrittenAndUnwritableOutputsWriteNothing)
{
    TempDir dir;
    WriteFile(dir / "b.qbrd.json", ReadFile(Example("sample.qbrd.json")));
    Result r = RunLqhost({"render", dir / "b.qbrd.json", "-o", dir / "b.qbrd.json"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "lqhost: -o " + (dir / "b.qbrd.json") + ": would overwrite the input board\n");
    EXPECT_EQ(ReadFile(dir / "b.qbrd.json"), ReadFile(Example("sample.qbrd.json")));

    r = RunLqhost({"render", dir / "b.qbrd.json", "-o", dir / "b.qbrd.json/s.svg"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "lqhost: " + (dir / "b.qbrd.json/s.svg") + ": cannot write: " + (dir / "b.qbrd.json") + " is not a folder\n");
    EXPECT_EQ(dir.List(), std::vector<std::string>{"b.qbrd.json"});
}
