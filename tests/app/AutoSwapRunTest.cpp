// The automatic swap on one board through the plug-in's real boundary (libquillon.so).
#include <gtest/gtest.h>

#include <map>

#include "app/core/Errors.h"
#include "app/render/BoardSvg.h"
#include "app/render/SvgDrawContext.h"
#include "app/session/AutoSwapRun.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"
#include "host/HostApp.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lqapptest;

namespace {

std::map<std::string, std::size_t> PinCounts(const Board& board)
{
    std::map<std::string, std::size_t> counts;
    for (const Net& n : board.nets)
        counts[n.name] = n.pins.size();
    return counts;
}

std::string NetOf(const Board& board, const std::string& part, const std::string& pin)
{
    for (const Net& n : board.nets)
        for (const PinRef& r : n.pins)
            if (r.part == part && r.pin == pin)
                return n.name;
    return "";
}

}  // namespace

TEST(AutoSwapRunTest, GatesAndPinsMoveWhereTheAirwiresGetShorter)
{
    PlugInSession session(DefaultModulePath());
    const Board board = SmallBoard();
    const AutoSwapOutcome outcome = RunAutoSwap(session, board, "small", AutoSwapOptions{});
    EXPECT_LT(outcome.run.after.length, outcome.run.before.length);
    EXPECT_EQ(PinCounts(outcome.after), PinCounts(board));
    // The crossed resistor is uncrossed.
    EXPECT_EQ(NetOf(outcome.after, "R1", "1"), "RL");
    EXPECT_EQ(NetOf(outcome.after, "R1", "2"), "RR");
    // U1's gate pins take the left-hand connector's nets and U2's the right-hand one's; the power
    // pins and the connectors stay.
    for (const char* pin : {"1", "2", "3", "4", "5", "6"}) {
        EXPECT_NE(std::string("B1 B2 BY ").find(NetOf(outcome.after, "U1", pin) + " "), std::string::npos) << pin;
        EXPECT_NE(std::string("A1 A2 AY ").find(NetOf(outcome.after, "U2", pin) + " "), std::string::npos) << pin;
    }
    EXPECT_EQ(NetOf(outcome.after, "U1", "7"), "GND");
    EXPECT_EQ(NetOf(outcome.after, "J1", "1"), "B1");
    // Only gate pins moved: the connectors and the power pins kept their nets.
    ASSERT_FALSE(outcome.run.changes.empty());
    for (const PinChange& c : outcome.run.changes) {
        EXPECT_TRUE(c.part == "U1" || c.part == "U2" || c.part == "R1") << c.part;
        EXPECT_NE(c.pin, "7");
    }
    // The automatic pass writes no back-annotation records of its own.
    EXPECT_TRUE(outcome.run.records.empty());
    EXPECT_EQ(GetDrwSubSheet(), nullptr);
}

TEST(AutoSwapRunTest, PicturesCarryThePluginsGateMarkers)
{
    PlugInSession session(DefaultModulePath());
    const AutoSwapOutcome outcome = RunAutoSwap(session, SmallBoard(), "small", AutoSwapOptions{true});
    const std::string disc = "fill=\"" + SvgColour(8) + "\" stroke=\"none\"";
    // Gate A and B of both packages, R1's gate, and the pseudo-gates of the two packages that
    // swap gates across packages.
    for (const std::string* svg : {&outcome.svgBefore, &outcome.svgAfter}) {
        std::size_t discs = 0;
        for (std::size_t at = svg->find(disc); at != std::string::npos; at = svg->find(disc, at + 1))
            ++discs;
        EXPECT_EQ(discs, 7u);
    }
    EXPECT_NE(outcome.svgAfter.find("<g id=\"changed\""), std::string::npos);
    EXPECT_EQ(GetDrawTool(), nullptr);
}

TEST(AutoSwapRunTest, PaintingTheMarkersLeavesToolAndContextAsTheyWere)
{
    PlugInSession session(DefaultModulePath());
    HostSheet sheet(SmallBoard(), "small");
    const std::string markers = PaintGateMarkers(session, sheet);
    EXPECT_NE(markers.find("<circle"), std::string::npos);
    EXPECT_EQ(GetDrawTool(), nullptr);
    EXPECT_EQ(GetDrawContext(), sheet.View());
    EXPECT_EQ(GetDrwSubSheet(), sheet.Sheet());
    LQSetDrwSubSheet(nullptr);
}

TEST(AutoSwapRunTest, TheCommandIsDisabledOnOtherDocumentTypes)
{
    PlugInSession session(DefaultModulePath());
    Board board = SmallBoard();
    board.sheet.documentType = "layoutdesign";
    try {
        RunAutoSwap(session, board, "lower.qbrd.json", AutoSwapOptions{});
        FAIL() << "no error";
    } catch (const JobError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "lower.qbrd.json: the command AutoQuillon is disabled on this sheet (document type \"layoutdesign\"; "
                  "it needs \"LAYOUTDESIGN\")");
    }
    EXPECT_EQ(GetDrwSubSheet(), nullptr);
}
