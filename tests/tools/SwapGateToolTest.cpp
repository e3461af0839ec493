// The swap gate tool: picking, exchanging, refusing, double clicks and its overlay.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "host/Events.h"
#include "host/Extension.h"
#include "host/Window.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "module/gates/Gate.h"
#include "module/tools/SwapGateTool.h"
#include "tests/support/ModuleFixture.h"

namespace {
using lqtest::BoardBuilder;
using lqtest::NetOf;

constexpr CLQPoint kGateA(100, 0);
constexpr CLQPoint kGateB(500, 0);
constexpr CLQPoint kGateC(850, 0);
constexpr CLQPoint kEmpty(300, 500);

// U1 holds two NAND gates (A, B) and an inverter (C) in one row; the far ends of their nets sit
// on a connector without gates. A's inputs are crossed, so optimising A exchanges them.
struct GateBoard {
    explicit GateBoard(BoardBuilder& b)
    {
        CLayoutComponent* u1 = b.Part("U1", 1, true, {{"Value", "7400"}}, CLQRect(0, -100, 1000, 100));
        CLayoutComponent* j1 = b.Part("J1", 0, false);
        const struct {
            const char* gate;
            const char* group;
            const char* pinGroup;
            int x;
            CLQPoint farEnd;
        } rows[] = {
            {"A", "NAND", "IN", 0, {300, 1000}},  {"A", "NAND", "IN", 100, {-200, 1000}},
            {"A", "NAND", "OUT", 200, {200, 1000}}, {"B", "NAND", "IN", 400, {400, 1000}},
            {"B", "NAND", "IN", 500, {500, 1000}},  {"B", "NAND", "OUT", 600, {600, 1000}},
            {"C", "INV", "IN", 800, {800, 1000}},   {"C", "INV", "OUT", 900, {900, 1000}},
        };
        int n = 1;
        for (const auto& r : rows) {
            const std::string number = std::to_string(n++);
            CLayoutPin* pin = b.GatePin(u1, {r.x, 0}, number, r.gate, r.group, r.pinGroup);
            CLayoutPin* end = b.Pin(j1, r.farEnd, {{LQ_PIN, number}});
            b.Net("N" + number, {pin, end});
            u.push_back(pin);
        }
    }
    // u[0] is U1.1.
    std::vector<CLayoutPin*> u;
};

std::vector<std::string> NetsOf(const std::vector<CLayoutPin*>& pins)
{
    std::vector<std::string> out;
    for (CLayoutPin* p : pins)
        out.push_back(NetOf(p));
    return out;
}

std::vector<std::string> Names(const std::vector<CGate*>& gates)
{
    std::vector<std::string> out;
    for (CGate* g : gates)
        out.push_back(g->GetGateName().str());
    return out;
}

// One entry per gate marker painted: "name flagF fillC", from the recorded calls of CGate::Draw.
std::vector<std::string> GateMarkers(const std::vector<std::string>& calls)
{
    std::vector<std::string> out;
    std::string flag, fill;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const std::string& c = calls[i];
        if (c == "SetLineWidth(1)" && i > 0 && calls[i - 1] == "SetColor(38)" && i + 1 < calls.size() &&
            calls[i + 1].rfind("SetDrawFlag(", 0) == 0)
            flag = calls[i + 1].substr(12, 1);
        if (c.rfind("SetColor(", 0) == 0 && i + 1 < calls.size() && calls[i + 1] == "SetFill(1,0)")
            fill = c.substr(9, c.size() - 10);
        if (c.rfind("DrawText(", 0) == 0) {
            const std::size_t q = c.find('"');
            out.push_back(c.substr(q + 1, c.size() - q - 3) + " flag" + flag + " fill" + fill);
        }
    }
    return out;
}

bool Contains(const std::vector<std::string>& calls, const std::string& prefix)
{
    for (const std::string& c : calls)
        if (c.rfind(prefix, 0) == 0)
            return true;
    return false;
}

class SwapGateTool : public lqtest::ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        dc.SetZoom(1);  // gate markers of 9 board units
        InitModule();
        g_swapGateTool.SetDrawContext(&dc);
        g_swapGateTool.InitTool(nullptr);
        Clear();
    }
    void TearDown() override
    {
        g_swapGateTool.EndTool();
        g_swapGateTool.SetDrawContext(nullptr);
        ModuleTest::TearDown();
    }
    void Clear()
    {
        sheet()->GetDrawingStore()->ClearRecords();
        sheet()->GetNetlist()->ClearRecords();
        sheet()->GetBackAnnotationManager()->ClearRecords();
        AfxGetHostLog().Clear();
        dc.ClearCalls();
    }
    void Click(CLQPoint p) { g_swapGateTool.LButtonDown(0, p); }
    void DoubleClick(CLQPoint p)
    {
        g_swapGateTool.LButtonDown(0, p);
        g_swapGateTool.LButtonDblClk(0, p, nullptr);
    }
    CLayoutSubSheet* sheet() { return board.Sheet(); }
    std::string FirstGate()
    {
        CGate* g = g_swapGateTool.GetFirstGate();
        return g != nullptr ? g->GetGateName().str() : std::string("-");
    }
    // Nothing changed on the board: nets, records, messages.
    void ExpectUntouched(const std::vector<std::string>& nets)
    {
        EXPECT_EQ(NetsOf(gates.u), nets);
        EXPECT_TRUE(sheet()->GetNetlist()->GetUpdates().empty());
        EXPECT_TRUE(sheet()->GetBackAnnotationManager()->GetRecords().empty());
        EXPECT_TRUE(AfxGetHostLog().messageBoxes.empty());
    }

    GateBoard gates{board};
    const std::vector<std::string> initial{"N1", "N2", "N3", "N4", "N5", "N6", "N7", "N8"};
};

TEST_F(SwapGateTool, IsAvailableAndShowsCursor132)
{
    EXPECT_STREQ(g_swapGateTool.GetRuntimeClass()->m_lpszClassName, "CSwapGateTool");
    EXPECT_TRUE(g_swapGateTool.IsKindOf(RUNTIME_CLASS(CDrawTool)));
    EXPECT_EQ(g_swapGateTool.IsToolAvailable(), 1);
    EXPECT_TRUE(g_swapGateTool.SetToolCursor());
    ASSERT_FALSE(AfxGetHostLog().cursors.empty());
    LQ_IMAGEINFO info;
    ASSERT_TRUE(LQGetCursorInfo(AfxGetHostLog().cursors.back(), &info));
    EXPECT_EQ(info.nID, 132u);
}

TEST_F(SwapGateTool, PickSelectsTheGateAndItsCandidatesAndPickingItAgainReturnsToIdle)
{
    Click(kGateA);
    EXPECT_EQ(FirstGate(), "A");
    EXPECT_EQ(Names(g_swapGateTool.GetCandidates()), (std::vector<std::string>{"A", "B"}));
    for (std::size_t i = 0; i < gates.u.size(); ++i)
        EXPECT_EQ(gates.u[i]->IsSelected(), i < 3) << "U1." << i + 1;
    EXPECT_TRUE(sheet()->GetPickMode());
    EXPECT_EQ(sheet()->GetDrawingStore()->GetInvalidations().size(), 2u);

    Click(kEmpty);
    EXPECT_EQ(FirstGate(), "A");

    Click(kGateA);
    EXPECT_EQ(FirstGate(), "-");
    EXPECT_TRUE(g_swapGateTool.GetCandidates().empty());
    EXPECT_FALSE(sheet()->GetPickMode());
    EXPECT_EQ(sheet()->GetDrawingStore()->GetSelectedObjects().GetCount(), 0);
    ExpectUntouched(initial);
}

TEST_F(SwapGateTool, TwoGatesOfOnePackageExchangeOptimisedAndTheToolGoesIdle)
{
    Click(kGateA);
    Click(kGateB);
    // A takes B's nets and B takes A's, each gate's inputs paired by the shortest connections.
    EXPECT_EQ(NetsOf(gates.u), (std::vector<std::string>{"N4", "N5", "N6", "N2", "N1", "N3", "N7", "N8"}));
    const auto& records = sheet()->GetBackAnnotationManager()->GetRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].eKind, BACKANNO_GATESWAP);
    EXPECT_EQ(records[0].args, (std::vector<std::string>{"U1", "A", "U1", "B"}));
    const auto& updates = sheet()->GetNetlist()->GetUpdates();
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].nCode, 0x40000000u);
    EXPECT_EQ(updates[0].nKey, reinterpret_cast<LONG_PTR>(sheet()));
    EXPECT_EQ(FirstGate(), "-");
    EXPECT_FALSE(sheet()->GetPickMode());
    EXPECT_TRUE(AfxGetHostLog().messageBoxes.empty());
    for (const auto& net : sheet()->GetNetlist()->GetNets())
        EXPECT_EQ(net->GetNetPinCount(), 2) << net->GetName().str();
    // The host reports the change after the call; the store goes with it.
    EXPECT_EQ(GetPlugInInterface()->GetGateStores().size(), 1u);
    AfxPumpEvents();
    EXPECT_TRUE(GetPlugInInterface()->GetGateStores().empty());
}

TEST_F(SwapGateTool, ARefusedPairShowsTheMessageAndKeepsTheFirstPick)
{
    Click(kGateA);
    Click(kGateC);
    const auto& boxes = AfxGetHostLog().messageBoxes;
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].strText, GetResourceString(GetModuleInstance(), 61808));
    EXPECT_EQ(boxes[0].strText.str(), "门不能对换");
    EXPECT_EQ(boxes[0].nType, MB_OK);
    EXPECT_EQ(FirstGate(), "A");
    EXPECT_EQ(Names(g_swapGateTool.GetCandidates()), (std::vector<std::string>{"A", "B"}));
    AfxGetHostLog().Clear();
    ExpectUntouched(initial);
}

TEST_F(SwapGateTool, DoubleClickOptimisesThePinsInsideTheGateAndKeepsThePick)
{
    DoubleClick(kGateA);
    EXPECT_EQ(NetsOf(gates.u), (std::vector<std::string>{"N2", "N1", "N3", "N4", "N5", "N6", "N7", "N8"}));
    ASSERT_EQ(sheet()->GetNetlist()->GetUpdates().size(), 1u);
    EXPECT_EQ(sheet()->GetNetlist()->GetUpdates()[0].nCode, 0x40000000u);
    EXPECT_TRUE(sheet()->GetBackAnnotationManager()->GetRecords().empty());
    EXPECT_EQ(FirstGate(), "A");

    // While A is picked, a double click on B leaves the pick alone.
    g_swapGateTool.LButtonDblClk(0, kGateB, nullptr);
    EXPECT_EQ(FirstGate(), "A");
    EXPECT_EQ(sheet()->GetNetlist()->GetUpdates().size(), 2u);
}

TEST_F(SwapGateTool, WithoutALayoutSheetNothingHappensAndNoStoreIsMade)
{
    CDrwSubSheet schematic(LQ_DOCTYPE_SCHEMATIC);
    for (CDrwSubSheet* current : {static_cast<CDrwSubSheet*>(nullptr), &schematic}) {
        LQSetDrwSubSheet(current);
        Click(kGateA);
        DoubleClick(kGateA);
        g_swapGateTool.DrawToolOverlay();
        EXPECT_EQ(FirstGate(), "-");
        EXPECT_TRUE(GetPlugInInterface()->GetGateStores().empty());
        EXPECT_FALSE(Contains(dc.GetCalls(), "DrawCircle"));
        ExpectUntouched(initial);
    }
    UseSheet(board);
}

TEST_F(SwapGateTool, OverlayPaintsAllGatesThenCandidatesThenThePickedGateSelected)
{
    dc.SetDrawFlag(true);
    dc.ClearCalls();
    g_swapGateTool.DrawToolOverlay();
    // Gates come in the order of their search IDs: U1,INV,C before U1,NAND,A.
    EXPECT_EQ(GateMarkers(dc.GetCalls()), (std::vector<std::string>{"C flag0 fill8", "A flag0 fill8", "B flag0 fill8"}));
    EXPECT_FALSE(Contains(dc.GetCalls(), "DrawObject"));

    Click(kGateA);
    dc.ClearCalls();
    g_swapGateTool.DrawToolOverlay();
    const std::vector<std::string>& calls = dc.GetCalls();
    std::vector<std::string> head{"PrepareDraw(0,0,1)", "SetDrawFlag(0)"};
    for (std::size_t i = 0; i < 6; ++i)  // the pins of the candidates A and B
        head.push_back("DrawObject(#" + std::to_string(gates.u[i]->GetStoreIndex()) + ")");
    head.push_back("SetDrawFlag(1)");
    ASSERT_GE(calls.size(), head.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(head.size())), head);
    EXPECT_EQ(calls.back(), "FinishDraw(1,0)");
    EXPECT_EQ(GateMarkers(calls), (std::vector<std::string>{"C flag1 fill8", "A flag1 fill8", "B flag1 fill8",
                                                            "A flag0 fill8", "B flag0 fill8", "A flag0 fill32"}));
    EXPECT_TRUE(dc.GetDrawFlag());
}

// The store of the pick is dropped by a netlist change; the next event of any kind finds the
// tool idle and never reaches the freed gates.
TEST_F(SwapGateTool, APickWhoseStoreWasDroppedIsForgottenSilently)
{
    enum Next { kClick, kDoubleClick, kOverlay };
    for (Next next : {kClick, kDoubleClick, kOverlay}) {
        SCOPED_TRACE(next);
        Click(kGateA);
        ASSERT_EQ(FirstGate(), "A");
        EventNetListChanged.Raise(reinterpret_cast<UINT_PTR>(sheet()), 0);
        ASSERT_TRUE(GetPlugInInterface()->GetGateStores().empty());
        Clear();
        if (next == kClick)
            Click(kGateB);
        else if (next == kDoubleClick)
            g_swapGateTool.LButtonDblClk(0, kGateB, nullptr);
        else
            g_swapGateTool.DrawToolOverlay();
        EXPECT_EQ(NetsOf(gates.u), initial);
        EXPECT_TRUE(sheet()->GetBackAnnotationManager()->GetRecords().empty());
        EXPECT_TRUE(AfxGetHostLog().messageBoxes.empty());
        EXPECT_FALSE(Contains(dc.GetCalls(), "SetColor(32)"));
        // A click in the idle state is a first pick again, in the fresh store.
        EXPECT_EQ(FirstGate(), next == kClick ? "B" : "-");
        // Regression: the forgotten pick's pins stayed selected and the pick display stayed on.
        EXPECT_EQ(sheet()->GetDrawingStore()->GetSelectedObjects().GetCount(), next == kClick ? 3 : 0);
        EXPECT_EQ(sheet()->GetPickMode(), next == kClick);
        g_swapGateTool.EndTool();
    }
}

TEST_F(SwapGateTool, APickNeverCrossesSheets)
{
    BoardBuilder other;
    GateBoard otherGates(other);
    Click(kGateA);
    UseSheet(other);
    // Regression: forgetting the stale pick used to clear the other sheet's selection.
    CDrawObject* selectedByUser = otherGates.u[0]->GetOwnerComponent();
    selectedByUser->SetSelected(true, true);
    Click(kGateB);
    EXPECT_TRUE(selectedByUser->IsSelected());
    EXPECT_EQ(NetsOf(otherGates.u), initial);
    EXPECT_TRUE(other.Sheet()->GetBackAnnotationManager()->GetRecords().empty());
    ExpectUntouched(initial);
    ASSERT_NE(g_swapGateTool.GetFirstGate(), nullptr);
    EXPECT_EQ(g_swapGateTool.GetFirstGate()->GetPins()[0], otherGates.u[3]);

    // Back on the first sheet, the pick made on the other one is not painted.
    UseSheet(board);
    dc.ClearCalls();
    g_swapGateTool.DrawToolOverlay();
    EXPECT_FALSE(Contains(dc.GetCalls(), "SetColor(32)"));
    EXPECT_EQ(FirstGate(), "-");
}

TEST_F(SwapGateTool, AfterExitDllTheToolTouchesNothingUntilInitDll)
{
    Click(kGateA);
    ExitDll();
    Clear();
    const int pickModeChanges = sheet()->GetPickModeChanges();
    Click(kGateB);
    DoubleClick(kGateA);
    g_swapGateTool.DrawToolOverlay();
    g_swapGateTool.InitTool(nullptr);
    g_swapGateTool.EndTool();
    // Regression: the cursor and the cancel and restore events still reached the host.
    g_swapGateTool.SetReturnToDefault(true);
    EventCancel.ClearRaised();
    EventRestoreDefaultTool.ClearRaised();
    EXPECT_FALSE(g_swapGateTool.SetToolCursor());
    g_swapGateTool.CancelTool(0, 0);
    g_swapGateTool.RestoreDefaultTool();
    g_swapGateTool.SetReturnToDefault(false);
    EXPECT_TRUE(AfxGetHostLog().cursors.empty());
    EXPECT_TRUE(EventCancel.GetRaised().empty());
    EXPECT_TRUE(EventRestoreDefaultTool.GetRaised().empty());
    EXPECT_TRUE(dc.GetCalls().empty());
    EXPECT_TRUE(sheet()->GetDrawingStore()->GetInvalidations().empty());
    EXPECT_EQ(sheet()->GetPickModeChanges(), pickModeChanges);
    EXPECT_EQ(sheet()->GetDrawingStore()->GetSelectedObjects().GetCount(), 3);
    ExpectUntouched(initial);

    InitDll();
    Click(kGateA);
    Click(kGateB);
    EXPECT_EQ(NetsOf(gates.u), (std::vector<std::string>{"N4", "N5", "N6", "N2", "N1", "N3", "N7", "N8"}));
}

}  // namespace
