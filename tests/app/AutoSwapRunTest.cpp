// The automatic swap on one board through the plug-in's real boundary (libquillon.so).
#include <gtest/gtest.h>

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

std::string NetOf(const Board& board, const std::string& part, const std::string& pin)
{
    const auto net = BoardIndex(board).NetOfPin(*BoardIndex(board).FindPin(PinRef{part, pin}));
    return net ? board.nets[*net].name : "";
}

}  // namespace

TEST(AutoSwapRunTest, GatesAndPinsMoveWhereTheAirwiresGetShorter)
{
    PlugInSession session(DefaultModulePath());
    const Board board = SmallBoard();
    const AutoSwapOutcome outcome = RunAutoSwap(session, board, "small", AutoSwapOptions{});
    EXPECT_LT(outcome.run.after.length, outcome.run.before.length);
    for (std::size_t n = 0; n < board.nets.size(); ++n)
        EXPECT_EQ(outcome.after.nets[n].pins.size(), board.nets[n].pins.size());
    // The crossed resistor is uncrossed; U1's gate pins take the left-hand connector's nets and
    // U2's the right-hand one's; the power pins and the connectors stay.
    EXPECT_EQ(NetOf(outcome.after, "R1", "1"), "RL");
    EXPECT_EQ(NetOf(outcome.after, "R1", "2"), "RR");
    for (const char* pin : {"1", "2", "3", "4", "5", "6"}) {
        EXPECT_NE(std::string("B1 B2 BY ").find(NetOf(outcome.after, "U1", pin) + " "), std::string::npos) << pin;
        EXPECT_NE(std::string("A1 A2 AY ").find(NetOf(outcome.after, "U2", pin) + " "), std::string::npos) << pin;
    }
    ASSERT_FALSE(outcome.run.changes.empty());
    for (const PinChange& c : outcome.run.changes) {
        EXPECT_TRUE(c.part == "U1" || c.part == "U2" || c.part == "R1") << c.part;
        EXPECT_NE(c.pin, "7");
    }
    // The automatic pass writes no back-annotation records of its own.
    EXPECT_TRUE(outcome.run.records.empty());
    EXPECT_EQ(GetDrwSubSheet(), nullptr);
}

TEST(AutoSwapRunTest, PicturesCarryThePluginsGateMarkersAndLeaveToolAndContextAlone)
{
    PlugInSession session(DefaultModulePath());
    const AutoSwapOutcome outcome = RunAutoSwap(session, SmallBoard(), "small", AutoSwapOptions{true});
    // Gate A and B of both packages, R1's gate, and the pseudo-gates of the two packages that
    // swap gates across packages.
    const std::string disc = "fill=\"" + SvgColour(8) + "\" stroke=\"none\"";
    EXPECT_EQ(Count(outcome.svgBefore, disc), 7u);
    EXPECT_EQ(Count(outcome.svgAfter, disc), 7u);
    EXPECT_NE(outcome.svgAfter.find("<g id=\"changed\""), std::string::npos);
    EXPECT_EQ(GetDrawTool(), nullptr);

    HostSheet sheet(SmallBoard(), "small");
    EXPECT_NE(PaintGateMarkers(session, sheet).find("<circle"), std::string::npos);
    EXPECT_EQ(GetDrawTool(), nullptr);
    EXPECT_EQ(GetDrawContext(), sheet.View());
    EXPECT_EQ(GetDrwSubSheet(), sheet.Sheet());
    LQSetDrwSubSheet(nullptr);
}
