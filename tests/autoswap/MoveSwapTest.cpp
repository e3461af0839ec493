// Swap while moving: the gates of the moved packages are optimised when the move ends.
#include <gtest/gtest.h>

#include <functional>

#include "host/AttributeNames.h"
#include "host/Events.h"
#include "module/autoswap/AutoSwapTool.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "module/gates/Gate.h"
#include "module/gates/GateStore.h"
#include "module/tools/SwapGateTool.h"
#include "module/tools/SwapPinTool.h"
#include "tests/support/ModuleFixture.h"

namespace {
using namespace lqtest;
using Nets = std::vector<std::string>;

// Three packages U1, U2, U3 (x = 0, 10000, 20000), each with one NAND gate: inputs at y = 0 and
// 1000, the output at y = 500. U1's nets end near U2, with its inputs crossed; U2's and U3's
// nets end near U1. So U1 gains from exchanging its inputs, and from exchanging its gate with
// U2's or with U3's.
struct MoveBoard {
    explicit MoveBoard(BoardBuilder& b)
    {
        const int ys[3] = {0, 1000, 500};
        const int farX[3] = {10100, -100, -200};
        for (int p = 0; p < 3; ++p) {
            const std::string ref = "U" + std::to_string(p + 1);
            parts.push_back(
                b.Part(ref, 2, true, {{"Value", "7400"}}, CLQRect(p * 10000 - 50, -50, p * 10000 + 50, 1050)));
            for (int i = 0; i < 3; ++i) {
                pins.push_back(b.GatePin(parts.back(), {p * 10000, ys[i]}, std::to_string(i + 1), "A", "NAND",
                                         i < 2 ? "IN" : "OUT"));
                b.Wire(pins.back(), {farX[p], p == 0 && i < 2 ? ys[1 - i] : ys[i]}, ref + "N" + std::to_string(i + 1));
            }
        }
    }
    std::vector<CLayoutComponent*> parts;
    std::vector<CLayoutPin*> pins;  // U1.1, U1.2, U1.3, U2.1, ...
};

const Nets kInitial{"U1N1", "U1N2", "U1N3", "U2N1", "U2N2", "U2N3", "U3N1", "U3N2", "U3N3"};
const Nets kPinsOnly{"U1N2", "U1N1", "U1N3", "U2N1", "U2N2", "U2N3", "U3N1", "U3N2", "U3N3"};
const Nets kPinsAndGates{"U2N1", "U2N2", "U2N3", "U1N2", "U1N1", "U1N3", "U3N1", "U3N2", "U3N3"};

class MoveSwap : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        InitModule();
        sizes = NetSizes(sheet());
    }
    // Mode 3 with pins and gates, U1 and U2 selected, unless told otherwise.
    void Arrange(CMoveSwapState state = {3, true, 1}, BoardBuilder* on = nullptr, MoveBoard* parts = nullptr)
    {
        (on ? on : &board)->Sheet()->GetMoveSwapState() = state;
        for (int i : {0, 1})
            (parts ? parts : &this->parts)->parts[i]->SetSelected(true, true);
    }
    Nets NetsNow() { return NetsOf(parts.pins); }
    CAutoSwapTool* listener() { return GetPlugInInterface()->GetAutoSwapTool(); }

    MoveBoard parts{board};
    std::map<std::string, int> sizes;
};

TEST_F(MoveSwap, TheMoveSwapStateDecidesWhatTheEndOfAMoveExchanges)
{
    const struct {
        CMoveSwapState state;
        int answer;
        const Nets* nets;
    } cases[] = {
        {{0, true, 1}, 0, &kInitial},       {{1, false, 1}, 0, &kInitial}, {{1, true, 0}, 1, &kPinsOnly},
        {{2, true, 0}, 0, &kInitial},       {{3, true, 0}, 0, &kInitial},  {{2, false, 1}, 1, &kPinsAndGates},
        {{3, false, 1}, 1, &kPinsAndGates},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.state.m_nMode << " pins " << c.state.m_bPinSwap << " gates "
                                          << c.state.m_nGateSwap);
        BoardBuilder fresh;
        MoveBoard freshParts(fresh);
        UseSheet(fresh);
        Arrange(c.state, &fresh, &freshParts);
        EXPECT_EQ(EventMove.Raise(0, 0), c.answer);
        // Phases other than start (0) and end (1) answer alike and neither change nor drop anything.
        for (UINT_PTR phase : {2u, 7u, 0xFFFFFFFFu})
            EXPECT_EQ(EventMove.Raise(phase, 0), c.answer);
        EXPECT_EQ(EventMove.Raise(1, 0), c.answer);
        EXPECT_EQ(NetsOf(freshParts.pins), *c.nets);
        EXPECT_EQ(NetSizes(fresh.Sheet()), sizes);
        // One netlist update and one redraw when the move was handled; no back annotation.
        EXPECT_EQ(Updates(fresh.Sheet()), static_cast<std::size_t>(c.answer));
        EXPECT_EQ(Redraws(fresh.Sheet()), static_cast<std::size_t>(c.answer));
        EXPECT_TRUE(fresh.Sheet()->GetBackAnnotationManager()->GetRecords().empty());
        // Gate-group optimisers exist only for the modes that exchange gates.
        EXPECT_EQ(listener()->GetAutoSwapObjects().empty(), c.nets != &kPinsAndGates);
        EXPECT_TRUE(c.answer != 0 || GetPlugInInterface()->GetGateStores().empty());
        AfxPumpEvents();
        UseSheet(board);
    }
}

TEST_F(MoveSwap, MovingOnlyNonComponentsStillUpdatesAndRedraws)
{
    sheet()->GetMoveSwapState() = CMoveSwapState{3, true, 1};
    for (CDrawObject* p : std::initializer_list<CDrawObject*>{board.Via({5000, 5000}), parts.pins[0]})
        p->SetSelected(true, true);
    EXPECT_EQ(EventMove.Raise(0, 0), 1);
    EXPECT_EQ(EventMove.Raise(1, 0), 1);
    EXPECT_TRUE(listener()->GetGateItems().empty());
    EXPECT_TRUE(GetPlugInInterface()->GetGateStores().empty());
    EXPECT_EQ(NetsNow(), kInitial);
    EXPECT_EQ(Updates(sheet()), 1u);
    EXPECT_EQ(Redraws(sheet()), 1u);
}

TEST_F(MoveSwap, TheHostsMoveCarriesTheSelectionAndOnlyTheMovedPackagesTakePart)
{
    Arrange();
    // Regression: a selected pin of a moved package used to move twice.
    parts.pins[0]->SetSelected(true, true);
    LQMoveSelection(0, 200);
    EXPECT_EQ(parts.pins[0]->GetLocation(), CLQPoint(0, 200));
    EXPECT_EQ(parts.pins[6]->GetLocation(), CLQPoint(20000, 0));
    EXPECT_EQ(NetsNow(), kPinsAndGates);
    EXPECT_EQ(Updates(sheet()), 1u);
    // The netlist change and the database change reach the module through the host's loop.
    EXPECT_EQ(GetPlugInInterface()->GetGateStores().size(), 1u);
    EXPECT_EQ(AfxPumpEvents(), 2);
    EXPECT_TRUE(GetPlugInInterface()->GetGateStores().empty());
}

// The store that holds the collected items is dropped during the move: its end swaps nothing
// and never reaches the freed items, also when a new store was made for the same sheet.
TEST_F(MoveSwap, AMoveWhoseStoreWasDroppedSwapsNothingButStillUpdates)
{
    Arrange();
    for (bool bRebuild : {false, true}) {
        SCOPED_TRACE(bRebuild);
        sheet()->GetNetlist()->ClearRecords();
        sheet()->GetDrawingStore()->ClearRecords();
        EXPECT_EQ(EventMove.Raise(0, 0), 1);
        EventNetListChanged.Raise(reinterpret_cast<UINT_PTR>(sheet()), 0);
        if (bRebuild)
            GetPlugInInterface()->GetGateStore(sheet())->GetGates(false, false);
        EXPECT_EQ(EventMove.Raise(1, 0), 1);
        EXPECT_EQ(NetsNow(), kInitial);
        EXPECT_EQ(Updates(sheet()), 1u);
        EXPECT_EQ(Redraws(sheet()), 1u);
        EXPECT_TRUE(listener()->GetGateItems().empty());
        AfxPumpEvents();
    }
}

TEST_F(MoveSwap, AMoveThatEndsOnAnotherSheetSwapsNothingThere)
{
    Arrange();
    BoardBuilder other;
    MoveBoard otherParts(other);
    other.Sheet()->GetMoveSwapState() = CMoveSwapState{3, true, 1};
    EventMove.Raise(0, 0);
    UseSheet(other);
    EventMove.Raise(1, 0);
    EXPECT_EQ(NetsNow(), kInitial);
    EXPECT_EQ(NetsOf(otherParts.pins), kInitial);
    EXPECT_EQ(Updates(other.Sheet()), 1u);
}

TEST_F(MoveSwap, APinDroppedOntoATrackKeepsItsNet)
{
    Arrange();
    // After the move U1.1 sits on the end of this track.
    board.Track({300, 0}, {300, -3000});
    // U1's pin optimisers are formed before the move, while U1.1 is still free.
    for (CGate* gate : GetPlugInInterface()->GetGateStore(sheet())->GetGates(true, false))
        gate->GetAutoSwapObjects();
    LQMoveSelection(300, 0);
    EXPECT_EQ(NetsNow(), kInitial);
    EXPECT_EQ(Updates(sheet()), 1u);
    EXPECT_EQ(NetSizes(sheet()), sizes);
}

// A manual pin swap, a manual gate swap, the board-wide pass and a move swap on one board, with
// the host's loop delivering the posted events in between: no net gains or loses a pin. The
// manual gate swap exchanges the whole packages U1 and U2 (their pseudo-gates), which leaves the
// pin items of their real gates remembering nets that are now elsewhere; only a fresh store
// keeps the later passes from putting two pins where one was taken.
TEST_F(MoveSwap, EveryNetKeepsItsPinCountThroughManualAutomaticAndMoveSwaps)
{
    auto step = [&](const char* what, const std::function<void()>& act, bool bManual = false) {
        SCOPED_TRACE(what);
        const Nets before = NetsNow();
        act();
        EXPECT_TRUE(!bManual || NetsNow() != before);
        AfxPumpEvents();
        EXPECT_EQ(NetSizes(sheet()), sizes);
        for (const std::string& net : NetsNow())
            EXPECT_NE(net, "");
    };
    g_swapPinTool.SetDrawContext(&dc);
    g_swapGateTool.SetDrawContext(&dc);
    dc.SetZoom(1);
    step("first automatic pass, which builds every gate's pin items", [&] { GetPlugInInterface()->ExecuteCommand(0); });
    step("manual pin swap", [&] {
        g_swapPinTool.InitTool(nullptr);
        g_swapPinTool.LButtonDown(0, parts.pins[3]->GetLocation());
        g_swapPinTool.LButtonDown(0, parts.pins[4]->GetLocation());
        g_swapPinTool.EndTool();
    }, true);
    step("manual gate swap", [&] {
        g_swapGateTool.InitTool(nullptr);
        g_swapGateTool.LButtonDown(0, {0, 500});
        g_swapGateTool.LButtonDown(0, {10000, 500});
        g_swapGateTool.EndTool();
    }, true);
    step("automatic pass", [&] { GetPlugInInterface()->ExecuteCommand(0); });
    step("move swap", [&] {
        Arrange();
        LQMoveSelection(0, 100);
    });
    EXPECT_EQ(Updates(sheet()), 5u);
    g_swapPinTool.SetDrawContext(nullptr);
    g_swapGateTool.SetDrawContext(nullptr);
}

}  // namespace
