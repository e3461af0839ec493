// Swap while moving: the gates of the moved packages are optimised when the move ends.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "host/Events.h"
#include "host/HostApp.h"
#include "module/autoswap/AutoSwapTool.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "module/gates/Gate.h"
#include "module/gates/GateStore.h"
#include "module/tools/SwapGateTool.h"
#include "module/tools/SwapPinTool.h"
#include "tests/support/ModuleFixture.h"

namespace {
using lqtest::BoardBuilder;
using lqtest::NetOf;

// Three packages U1, U2, U3 (x = 0, 10000, 20000), each with one NAND gate: inputs at y = 0 and
// 1000, the output at y = 500. U1's nets end near U2, with its inputs crossed; U2's and U3's
// nets end near U1. So U1 gains from exchanging its inputs, and from exchanging its gate with
// U2's or with U3's.
struct MoveBoard {
    explicit MoveBoard(BoardBuilder& b)
    {
        CLayoutComponent* j1 = b.Part("J1", 0, false);
        const int ys[3] = {0, 1000, 500};
        const CLQPoint farEnds[3][3] = {
            {{10100, 1000}, {10100, 0}, {10100, 500}},
            {{-100, 0}, {-100, 1000}, {-100, 500}},
            {{-200, 0}, {-200, 1000}, {-200, 500}},
        };
        for (int p = 0; p < 3; ++p) {
            const int x = p * 10000;
            const std::string ref = "U" + std::to_string(p + 1);
            parts.push_back(b.Part(ref, 2, true, {{"Value", "7400"}}, CLQRect(x - 50, -50, x + 50, 1050)));
            for (int i = 0; i < 3; ++i) {
                const std::string number = std::to_string(i + 1);
                CLayoutPin* pin = b.GatePin(parts.back(), {x, ys[i]}, number, "A", "NAND", i < 2 ? "IN" : "OUT");
                CLayoutPin* end = b.Pin(j1, farEnds[p][i], {{LQ_PIN, ref + "." + number}});
                b.Net(ref + "N" + number, {pin, end});
                pins.push_back(pin);
            }
        }
    }
    std::vector<CLayoutComponent*> parts;
    std::vector<CLayoutPin*> pins;  // U1.1, U1.2, U1.3, U2.1, ...
};

const std::vector<std::string> kInitial{"U1N1", "U1N2", "U1N3", "U2N1", "U2N2", "U2N3", "U3N1", "U3N2", "U3N3"};
const std::vector<std::string> kPinsOnly{"U1N2", "U1N1", "U1N3", "U2N1", "U2N2", "U2N3", "U3N1", "U3N2", "U3N3"};
const std::vector<std::string> kPinsAndGates{"U2N1", "U2N2", "U2N3", "U1N2", "U1N1", "U1N3", "U3N1", "U3N2", "U3N3"};

std::map<std::string, int> NetSizes(const CLayoutSubSheet* sheet)
{
    std::map<std::string, int> sizes;
    for (const auto& net : sheet->GetNetlist()->GetNets())
        sizes[net->GetName().str()] = net->GetNetPinCount();
    return sizes;
}

class MoveSwap : public lqtest::ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        InitModule();
        sizes = NetSizes(sheet());
    }
    CLayoutSubSheet* sheet() { return board.Sheet(); }
    void SetMode(int mode, bool pinFlag, int gateValue)
    {
        sheet()->GetMoveSwapState() = CMoveSwapState{mode, pinFlag, gateValue};
    }
    void Select(std::initializer_list<CDrawObject*> objects)
    {
        for (CDrawObject* p : objects)
            p->SetSelected(true, true);
    }
    std::vector<std::string> Nets()
    {
        std::vector<std::string> out;
        for (CLayoutPin* p : parts.pins)
            out.push_back(NetOf(p));
        return out;
    }
    CAutoSwapTool* listener() { return GetPlugInInterface()->GetAutoSwapTool(); }
    // A move as the host raises it, with the callback's answers.
    std::pair<int, int> Move()
    {
        const int start = EventMove.Raise(0, 0);
        const int end = EventMove.Raise(1, 0);
        return {start, end};
    }
    std::size_t Updates() { return sheet()->GetNetlist()->GetUpdates().size(); }
    std::size_t Redraws() { return sheet()->GetDrawingStore()->GetInvalidations().size(); }

    MoveBoard parts{board};
    std::map<std::string, int> sizes;
};

TEST_F(MoveSwap, TheMoveSwapStateDecidesWhatTheEndOfAMoveExchanges)
{
    const struct {
        int mode;
        bool pinFlag;
        int gateValue;
        int answer;
        const std::vector<std::string>* nets;
    } cases[] = {
        {0, true, 1, 0, &kInitial},       {1, false, 1, 0, &kInitial},      {1, true, 0, 1, &kPinsOnly},
        {2, true, 0, 0, &kInitial},       {3, true, 0, 0, &kInitial},       {2, false, 1, 1, &kPinsAndGates},
        {3, false, 1, 1, &kPinsAndGates},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " pins " << c.pinFlag << " gates " << c.gateValue);
        BoardBuilder fresh;
        MoveBoard freshParts(fresh);
        UseSheet(fresh);
        fresh.Sheet()->GetMoveSwapState() = CMoveSwapState{c.mode, c.pinFlag, c.gateValue};
        Select({freshParts.parts[0], freshParts.parts[1]});
        EXPECT_EQ(Move(), std::make_pair(c.answer, c.answer));
        std::vector<std::string> nets;
        for (CLayoutPin* p : freshParts.pins)
            nets.push_back(NetOf(p));
        EXPECT_EQ(nets, *c.nets);
        EXPECT_EQ(NetSizes(fresh.Sheet()), sizes);
        EXPECT_EQ(fresh.Sheet()->GetNetlist()->GetUpdates().size(), c.answer == 1 ? 1u : 0u);
        EXPECT_EQ(fresh.Sheet()->GetDrawingStore()->GetInvalidations().size(), c.answer == 1 ? 1u : 0u);
        // Gate-group optimisers exist only for the modes that exchange gates.
        EXPECT_EQ(listener()->GetAutoSwapObjects().empty(), c.nets != &kPinsAndGates);
        if (c.answer == 0) {
            EXPECT_TRUE(GetPlugInInterface()->GetGateStores().empty());
        }
        AfxPumpEvents();
        UseSheet(board);
    }
}

TEST_F(MoveSwap, TheEndOfAMoveUpdatesTheNetlistOnceAndRedraws)
{
    SetMode(3, true, 1);
    Select({parts.parts[0], parts.parts[1]});
    Move();
    ASSERT_EQ(Updates(), 1u);
    EXPECT_EQ(sheet()->GetNetlist()->GetUpdates()[0].nCode, 0x40000000u);
    EXPECT_EQ(sheet()->GetNetlist()->GetUpdates()[0].nKey, reinterpret_cast<LONG_PTR>(sheet()));
    ASSERT_EQ(Redraws(), 1u);
    const CInvalidation& redraw = sheet()->GetDrawingStore()->GetInvalidations()[0];
    EXPECT_EQ(redraw.pDC, &dc);
    EXPECT_TRUE(redraw.bErase);
    EXPECT_FALSE(redraw.bNow);
    EXPECT_TRUE(sheet()->GetBackAnnotationManager()->GetRecords().empty());
}

TEST_F(MoveSwap, APhaseOtherThanStartOrEndAnswers1AndChangesNothing)
{
    SetMode(3, true, 1);
    Select({parts.parts[0], parts.parts[1]});
    EXPECT_EQ(EventMove.Raise(0, 0), 1);
    const std::vector<CSwapItem*> items = listener()->GetGateItems();
    EXPECT_EQ(items.size(), 2u);
    for (UINT_PTR phase : {2u, 7u, 0xFFFFFFFFu})
        EXPECT_EQ(EventMove.Raise(phase, 0), 1);
    EXPECT_EQ(listener()->GetGateItems(), items);
    EXPECT_EQ(Nets(), kInitial);
    EXPECT_EQ(Updates(), 0u);
    EXPECT_EQ(Redraws(), 0u);
}

TEST_F(MoveSwap, MovingOnlyNonComponentsStillUpdatesAndRedraws)
{
    SetMode(3, true, 1);
    CLayoutVia* via = board.Via({5000, 5000});
    CLayoutTrack* track = board.Track({6000, 6000}, {7000, 6000});
    Select({via, track, parts.pins[0]});
    EXPECT_EQ(Move(), std::make_pair(1, 1));
    EXPECT_TRUE(listener()->GetGateItems().empty());
    EXPECT_TRUE(GetPlugInInterface()->GetGateStores().empty());
    EXPECT_EQ(Nets(), kInitial);
    EXPECT_EQ(Updates(), 1u);
    EXPECT_EQ(Redraws(), 1u);
}

TEST_F(MoveSwap, TheHostsMoveCarriesTheSelectionAndOnlyTheMovedPackagesTakePart)
{
    SetMode(3, true, 1);
    Select({parts.parts[0], parts.parts[1]});
    // Regression: a selected pin of a moved package used to move twice.
    parts.pins[0]->SetSelected(true, true);
    LQMoveSelection(0, 200);
    EXPECT_EQ(parts.pins[0]->GetLocation(), CLQPoint(0, 200));
    EXPECT_EQ(parts.pins[6]->GetLocation(), CLQPoint(20000, 0));
    EXPECT_EQ(Nets(), kPinsAndGates);
    EXPECT_EQ(Updates(), 1u);
    // The netlist change and the database change reach the module through the host's loop.
    EXPECT_EQ(GetPlugInInterface()->GetGateStores().size(), 1u);
    EXPECT_EQ(AfxPumpEvents(), 2);
    EXPECT_TRUE(GetPlugInInterface()->GetGateStores().empty());
}

// The store that holds the collected items is dropped during the move: its end swaps nothing
// and never reaches the freed items, also when a new store was made for the same sheet.
TEST_F(MoveSwap, AMoveWhoseStoreWasDroppedSwapsNothingButStillUpdates)
{
    SetMode(3, true, 1);
    Select({parts.parts[0], parts.parts[1]});
    for (bool bRebuild : {false, true}) {
        SCOPED_TRACE(bRebuild);
        sheet()->GetNetlist()->ClearRecords();
        sheet()->GetDrawingStore()->ClearRecords();
        EXPECT_EQ(EventMove.Raise(0, 0), 1);
        EventNetListChanged.Raise(reinterpret_cast<UINT_PTR>(sheet()), 0);
        if (bRebuild)
            GetPlugInInterface()->GetGateStore(sheet())->GetGates(false, false);
        EXPECT_EQ(EventMove.Raise(1, 0), 1);
        EXPECT_EQ(Nets(), kInitial);
        EXPECT_EQ(Updates(), 1u);
        EXPECT_EQ(Redraws(), 1u);
        EXPECT_TRUE(listener()->GetGateItems().empty());
        AfxPumpEvents();
    }
}

TEST_F(MoveSwap, AMoveThatEndsOnAnotherSheetSwapsNothingThere)
{
    SetMode(3, true, 1);
    Select({parts.parts[0], parts.parts[1]});
    BoardBuilder other;
    MoveBoard otherParts(other);
    other.Sheet()->GetMoveSwapState() = CMoveSwapState{3, true, 1};
    EventMove.Raise(0, 0);
    UseSheet(other);
    EventMove.Raise(1, 0);
    EXPECT_EQ(Nets(), kInitial);
    for (std::size_t i = 0; i < otherParts.pins.size(); ++i)
        EXPECT_EQ(NetOf(otherParts.pins[i]), kInitial[i]);
    EXPECT_EQ(other.Sheet()->GetNetlist()->GetUpdates().size(), 1u);
    UseSheet(board);
}

TEST_F(MoveSwap, APinDroppedOntoATrackKeepsItsNet)
{
    SetMode(3, true, 1);
    // After the move U1.1 sits on the end of this track.
    board.Track({300, 0}, {300, -3000});
    // U1's pin optimisers are formed before the move, while U1.1 is still free.
    for (CGate* gate : GetPlugInInterface()->GetGateStore(sheet())->GetGates(true, false))
        gate->GetAutoSwapObjects();
    Select({parts.parts[0], parts.parts[1]});
    LQMoveSelection(300, 0);
    EXPECT_EQ(Nets(), kInitial);
    EXPECT_EQ(Updates(), 1u);
    EXPECT_EQ(NetSizes(sheet()), sizes);
}

// A manual pin swap, a manual gate swap, the board-wide pass and a move swap on one board, with
// the host's loop delivering the posted events in between: no net gains or loses a pin. The
// manual gate swap exchanges the whole packages U1 and U2 (their pseudo-gates), which leaves the
// pin items of their real gates remembering nets that are now elsewhere; only a fresh store
// keeps the later passes from putting two pins where one was taken.
TEST_F(MoveSwap, EveryNetKeepsItsPinCountThroughManualAutomaticAndMoveSwaps)
{
    auto check = [&](const char* step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(NetSizes(sheet()), sizes);
        for (CLayoutPin* p : parts.pins)
            EXPECT_NE(NetOf(p), "");
    };
    g_swapPinTool.SetDrawContext(&dc);
    g_swapGateTool.SetDrawContext(&dc);
    dc.SetZoom(1);

    // The pass builds every gate's pin items.
    GetPlugInInterface()->ExecuteCommand(0);
    AfxPumpEvents();
    check("first automatic pass");

    g_swapPinTool.InitTool(nullptr);
    const std::string before = NetOf(parts.pins[3]);
    g_swapPinTool.LButtonDown(0, parts.pins[3]->GetLocation());
    g_swapPinTool.LButtonDown(0, parts.pins[4]->GetLocation());
    g_swapPinTool.EndTool();
    EXPECT_NE(NetOf(parts.pins[3]), before);
    AfxPumpEvents();
    check("manual pin swap");

    g_swapGateTool.InitTool(nullptr);
    const std::string u2out = NetOf(parts.pins[5]);
    g_swapGateTool.LButtonDown(0, {0, 500});
    g_swapGateTool.LButtonDown(0, {10000, 500});
    g_swapGateTool.EndTool();
    EXPECT_EQ(NetOf(parts.pins[2]), u2out);
    AfxPumpEvents();
    check("manual gate swap");

    GetPlugInInterface()->ExecuteCommand(0);
    AfxPumpEvents();
    check("automatic pass");

    SetMode(3, true, 1);
    Select({parts.parts[0], parts.parts[1]});
    LQMoveSelection(0, 100);
    AfxPumpEvents();
    check("move swap");
    EXPECT_EQ(sheet()->GetNetlist()->GetUpdates().size(), 5u);

    g_swapPinTool.SetDrawContext(nullptr);
    g_swapGateTool.SetDrawContext(nullptr);
}

}  // namespace
