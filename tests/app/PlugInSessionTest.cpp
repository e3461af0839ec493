// A board opened in the host and read back, and the plug-in driven on it through its real boundary
// (libquillon.so, loaded as lqhost loads it): the automatic swap on one board, and learning its
// gates and groups through its tools (reading the overlay painting, and the whole probe).
#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/Errors.h"
#include "app/probe/BoardProbe.h"
#include "app/probe/GateMarkers.h"
#include "app/probe/InfoFormat.h"
#include "app/render/BoardSvg.h"
#include "app/render/SvgDrawContext.h"
#include "app/session/AutoSwapRun.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"
#include "host/AttributeNames.h"
#include "host/Events.h"
#include "host/HostApp.h"
#include "host/Net.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lqapptest;

namespace {

std::vector<std::string> AttributeTexts(const CDrawObject* object)
{
    std::vector<CDrawObject*> list;
    object->GetAttributes()->GetAttributeList(list, DOK_ALL, 0, 0);
    std::vector<std::string> out;
    for (CDrawObject* o : list) {
        const auto* a = static_cast<CDrawAttribute*>(o);
        out.push_back(a->GetName().str() + "=" + a->GetValueText().str());
    }
    return out;
}

}  // namespace

TEST(HostSheetBuild, SheetSettingsPartsAndPinsReachTheHostWithTheDesignatorFirst)
{
    Board board = SmallBoard();
    board.parts[0].pins[0].layers = 0x2;
    board.sheet = SheetSettings{"SCHEMATICDESIGN", false, false, MoveSwap{2, true, 5}, 777};
    HostSheet sheet(board, "small");
    CLayoutSubSheet* s = sheet.Sheet();
    EXPECT_EQ(s->GetDocType().str(), "SCHEMATICDESIGN");
    EXPECT_TRUE(s->SuppressesBackAnnotation());
    const CMoveSwapState& m = s->GetMoveSwapState();
    EXPECT_EQ(std::tie(m.m_nMode, m.m_bPinSwap, m.m_nGateSwap), std::make_tuple(2, true, 5));
    EXPECT_EQ(sheet.View()->GetZoom(), 777);
    sheet.MakeCurrent();
    EXPECT_EQ(GetDrwSubSheet(), s);
    EXPECT_EQ(GetDrawContext(), sheet.View());

    const CLayoutComponent* u1 = sheet.Component(0);
    EXPECT_EQ(AttributeTexts(u1), (std::vector<std::string>{"LQ_REFDES=U1", "LQ_GATESWAP=2", "VALUE=7400"}));
    EXPECT_TRUE(u1->AllowPinSwapping());
    EXPECT_FALSE(sheet.Component(3)->AllowPinSwapping());

    const CLayoutPin* pin = sheet.PinObject(PinIndex{1, 0});
    EXPECT_EQ(pin->GetOwnerComponent(), sheet.Component(1));
    EXPECT_EQ(pin->GetLocation(), CLQPoint(97000000, -2000000));
    EXPECT_EQ(pin->GetPadRect(), CLQRect(96999900, -2000100, 97000100, -1999900));
    EXPECT_EQ(AttributeTexts(pin),
              (std::vector<std::string>{"LQ_PIN=1", "LQ_GATE=A", "LQ_GATEGROUP=NAND", "LQ_PINGROUP=IN"}));
    EXPECT_EQ(sheet.PinObject(PinIndex{0, 0})->GetLayers(), 0x2u);
    EXPECT_EQ(sheet.FindPin(pin), (PinIndex{1, 0}));
}

// Net edits and moves read back are checked through lqhost play (LqhostPlayTest).
TEST(HostSheetReadBack, GivesTheBoardBackUntilAPartLeavesTheCoordinateRange)
{
    HostSheet sheet(SmallBoard(), "small");
    EXPECT_EQ(sheet.ReadBack(), SmallBoard());
    sheet.Component(2)->Offset(2147483647, 0);  // the host saturates; the pins lose their places
    EXPECT_THROW(sheet.ReadBack(), JobError);
}

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
    for (const PinChange& c : outcome.run.changes)
        EXPECT_TRUE((c.part == "U1" || c.part == "U2" || c.part == "R1") && c.pin != "7") << c.part << "." << c.pin;
    // The automatic pass writes no back-annotation records of its own.
    EXPECT_TRUE(outcome.run.records.empty());
    EXPECT_EQ(GetDrwSubSheet(), nullptr);
}

TEST(AutoSwapRunTest, PaintingTheGateMarkersLeavesToolAndContextAlone)
{
    PlugInSession session(DefaultModulePath());
    HostSheet sheet(SmallBoard(), "small");
    // Gate A and B of both packages, R1's gate, and the pseudo-gates of the two packages that
    // swap gates across packages: one filled disc each.
    EXPECT_EQ(Count(PaintGateMarkers(session, sheet), "fill=\"" + SvgColour(8) + "\" stroke=\"none\""), 7u);
    EXPECT_EQ(GetDrawTool(), nullptr);
    EXPECT_EQ(GetDrawContext(), sheet.View());
    EXPECT_EQ(GetDrwSubSheet(), sheet.Sheet());
    LQSetDrwSubSheet(nullptr);
}

namespace {

constexpr std::int32_t kMm = 1000000;

// The small board with U2's gate B routed: its output pin U2.6 has a track on it.
Board ProbeBoardFixture()
{
    Board b = lqapptest::SmallBoard();
    b.tracks.push_back(Track{"BY", 1, 100000, Point{101 * kMm, 2 * kMm}, Point{101 * kMm, 10 * kMm}});
    return b;
}

const ProbedGate* FindGate(const Board& board, const BoardProbe& probe, const std::string& label)
{
    for (const ProbedGate& g : probe.gates)
        if (GateLabel(board, g) == label)
            return &g;
    return nullptr;
}

}  // namespace

TEST(BoardProbing, GatesGroupsAndPinsAsThePlugInSeesThemAndWhatTheTextSays)
{
    const Board board = ProbeBoardFixture();
    PlugInSession session(DefaultModulePath());
    HostSheet sheet(board, "probe.qbrd.json");
    const BoardProbe probe = ProbeBoard(session, sheet);

    std::vector<std::string> labels;
    for (const ProbedGate& g : probe.gates)
        labels.push_back(GateLabel(board, g));
    EXPECT_EQ(labels, (std::vector<std::string>{"R1 R", "U1 (pseudo-gate)", "U1 A", "U1 B", "U2 (pseudo-gate)", "U2 A", "U2 B"}));
    const ProbedGate* u1a = FindGate(board, probe, "U1 A");
    ASSERT_NE(u1a, nullptr);
    EXPECT_EQ(u1a->centre, CLQPoint(-kMm, -kMm));
    EXPECT_EQ(u1a->pins, (std::vector<PinIndex>{{0, 0}, {0, 1}, {0, 2}}));
    EXPECT_FALSE(FindGate(board, probe, "U2 B")->swappable);
    EXPECT_TRUE(FindGate(board, probe, "U1 (pseudo-gate)")->pseudo);
    EXPECT_EQ(FindGate(board, probe, "U1 (pseudo-gate)")->pins.size(), 7u);
    ASSERT_EQ(probe.gateGroups.size(), 1u);
    EXPECT_EQ(probe.gateGroups[0], (std::vector<std::size_t>{2, 3, 5}));  // U1 A, U1 B, U2 A
    EXPECT_FALSE(FindGate(board, probe, "R1 R")->group);

    const auto pin = [&](std::size_t part, std::size_t index) {
        return *std::find_if(probe.pins.begin(), probe.pins.end(),
                             [&](const ProbedPin& p) { return p.pin == PinIndex{part, index}; });
    };
    EXPECT_EQ(pin(0, 0).candidates, (std::vector<PinIndex>{PinIndex{0, 1}}));
    EXPECT_TRUE(pin(0, 2).swappable && pin(0, 2).candidates.empty());
    EXPECT_EQ(pin(0, 6).answer, ProbedPin::Answer::NoPinGroup);
    EXPECT_EQ(pin(1, 5).answer, ProbedPin::Answer::Picked);
    EXPECT_FALSE(pin(1, 5).swappable);
    EXPECT_EQ(pin(3, 0).answer, ProbedPin::Answer::NoPinGroup);
    // The tools are at rest again and nothing was swapped.
    EXPECT_EQ(GetDrawTool(), nullptr);
    EXPECT_EQ(sheet.ReadBack().nets, board.nets);
    EXPECT_EQ(sheet.Sheet()->GetDrawingStore()->GetSelectedObjects().GetCount(), 0);

    // The text says what cannot be seen.
    const std::string text = FormatInfoText(board, "probe.qbrd.json", probe);
    EXPECT_NE(text.find("  U1 A             real    at -1mm, -1mm; pins 1 2 3; group 1, swaps with U1 B, U2 A\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("  U2.6       has a pin group but may not be swapped\n"), std::string::npos);
    EXPECT_NE(text.find("  1: U1.1, U1.2\n"), std::string::npos);  // the pin groups
    EXPECT_NE(text.find("Gate group names are not drawn"), std::string::npos);
}
