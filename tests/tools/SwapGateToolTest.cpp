// The swap gate tool: picking, exchanging, refusing, double clicks and its overlay.
#include <gtest/gtest.h>

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
using namespace lqtest;
using Texts = std::vector<std::string>;

constexpr CLQPoint kGateA(100, 0), kGateB(500, 0), kGateC(850, 0), kEmpty(300, 500);
const Texts kInitial{"N1", "N2", "N3", "N4", "N5", "N6", "N7", "N8"};
const Texts kAWithB{"N4", "N5", "N6", "N2", "N1", "N3", "N7", "N8"};

// U1 holds two NAND gates (A, B) and an inverter (C) in one row; the far ends of their nets sit
// on a connector. A's inputs are crossed, so optimising A exchanges them.
std::vector<CLayoutPin*> GateBoard(BoardBuilder& b)
{
    CLayoutComponent* u1 = b.Part("U1", 1, true, {{"Value", "7400"}}, CLQRect(0, -100, 1000, 100));
    const struct {
        const char *gate, *group, *pinGroup;
        int x, farX;
    } rows[] = {{"A", "NAND", "IN", 0, 300},   {"A", "NAND", "IN", 100, -200}, {"A", "NAND", "OUT", 200, 200},
                {"B", "NAND", "IN", 400, 400}, {"B", "NAND", "IN", 500, 500},  {"B", "NAND", "OUT", 600, 600},
                {"C", "INV", "IN", 800, 800},  {"C", "INV", "OUT", 900, 900}};
    std::vector<CLayoutPin*> pins;
    for (const auto& r : rows) {
        const std::string number = std::to_string(pins.size() + 1);
        pins.push_back(b.GatePin(u1, {r.x, 0}, number, r.gate, r.group, r.pinGroup));
        b.Wire(pins.back(), {r.farX, 1000}, "N" + number);
    }
    return pins;
}

// One entry per gate marker painted: "name flagF fillC", from the recorded calls of CGate::Draw
// (its third call sets the flag, the fill colour comes right before SetFill(1,0)).
Texts GateMarkers(const Texts& calls)
{
    Texts out;
    std::string flag, fill;
    for (std::size_t i = 1; i + 1 < calls.size(); ++i) {
        const std::string& c = calls[i];
        if (c == "SetLineWidth(1)" && calls[i - 1] == "SetColor(38)" && calls[i + 1].rfind("SetDrawFlag(", 0) == 0)
            flag = calls[i + 1].substr(12, 1);
        if (calls[i + 1] == "SetFill(1,0)")
            fill = c.substr(9, c.size() - 10);
        if (c.rfind("DrawText(", 0) == 0)
            out.push_back(c.substr(c.find('"') + 1, c.size() - c.find('"') - 3) + " flag" + flag + " fill" + fill);
    }
    return out;
}

bool Painted(const Texts& calls, const std::string& prefix)
{
    return std::any_of(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

class SwapGateTool : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        dc.SetZoom(1);  // gate markers of 9 board units
        InitModule();
        tool.SetDrawContext(&dc);
        tool.InitTool(nullptr);
        Clear();
    }
    void TearDown() override
    {
        tool.EndTool();
        tool.SetDrawContext(nullptr);
        ModuleTest::TearDown();
    }
    void Clear()
    {
        sheet()->GetDrawingStore()->ClearRecords();
        sheet()->GetNetlist()->ClearRecords();
        AfxGetHostLog().Clear();
        dc.ClearCalls();
    }
    void Click(CLQPoint p) { tool.LButtonDown(0, p); }
    void DoubleClick(CLQPoint p)
    {
        tool.LButtonDown(0, p);
        tool.LButtonDblClk(0, p, nullptr);
    }
    // The picked gate's name and the candidates' names, or "-".
    std::string Pick()
    {
        std::string out = tool.GetFirstGate() != nullptr ? tool.GetFirstGate()->GetGateName().str() : "-";
        for (CGate* g : tool.GetCandidates())
            out += " " + g->GetGateName().str();
        return out;
    }
    // Nothing changed on the board: nets, records, messages.
    void ExpectUntouched()
    {
        EXPECT_EQ(NetsOf(pins), kInitial);
        EXPECT_EQ(Updates(sheet()), 0u);
        EXPECT_TRUE(Records().empty());
        EXPECT_TRUE(AfxGetHostLog().messageBoxes.empty());
    }

    CSwapGateTool& tool = g_swapGateTool;
    std::vector<CLayoutPin*> pins = GateBoard(board);
};

TEST_F(SwapGateTool, PickingAgainReturnsToIdleARefusedPairKeepsThePickAndAnExchangeGoesIdle)
{
    EXPECT_EQ(tool.IsToolAvailable(), 1);
    EXPECT_TRUE(tool.SetToolCursor());
    LQ_IMAGEINFO info;
    ASSERT_TRUE(LQGetCursorInfo(AfxGetHostLog().cursors.back(), &info));
    EXPECT_EQ(info.nID, 132u);
    Click(kGateA);
    EXPECT_EQ(Pick(), "A A B");
    for (std::size_t i = 0; i < pins.size(); ++i)
        EXPECT_EQ(pins[i]->IsSelected(), i < 3) << "U1." << i + 1;
    EXPECT_TRUE(sheet()->GetPickMode());
    EXPECT_EQ(Redraws(sheet()), 2u);
    Click(kEmpty);
    EXPECT_EQ(Pick(), "A A B");
    Click(kGateA);
    EXPECT_EQ(Pick(), "-");
    EXPECT_FALSE(sheet()->GetPickMode());
    EXPECT_EQ(sheet()->GetDrawingStore()->GetSelectedObjects().GetCount(), 0);
    ExpectUntouched();

    Click(kGateA);
    Click(kGateC);
    ASSERT_EQ(AfxGetHostLog().messageBoxes.size(), 1u);
    EXPECT_EQ(AfxGetHostLog().messageBoxes[0].strText.str(), "门不能对换");
    EXPECT_EQ(AfxGetHostLog().messageBoxes[0].nType, MB_OK);
    EXPECT_EQ(Pick(), "A A B");
    EXPECT_EQ(NetsOf(pins), kInitial);

    Click(kGateB);
    // A takes B's nets and B takes A's, each gate's inputs paired by the shortest connections.
    EXPECT_EQ(NetsOf(pins), kAWithB);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].eKind, BACKANNO_GATESWAP);
    EXPECT_EQ(Records()[0].args, (Texts{"U1", "A", "U1", "B"}));
    EXPECT_EQ(Updates(sheet()), 1u);
    EXPECT_EQ(Pick(), "-");
    EXPECT_FALSE(sheet()->GetPickMode());
}

TEST_F(SwapGateTool, DoubleClickOptimisesThePinsInsideTheGateAndKeepsThePick)
{
    DoubleClick(kGateA);
    EXPECT_EQ(NetsOf(pins), (Texts{"N2", "N1", "N3", "N4", "N5", "N6", "N7", "N8"}));
    EXPECT_EQ(Updates(sheet()), 1u);
    EXPECT_TRUE(Records().empty());
    // While A is picked, a double click on B leaves the pick alone.
    tool.LButtonDblClk(0, kGateB, nullptr);
    EXPECT_EQ(Pick(), "A A B");
    EXPECT_EQ(Updates(sheet()), 2u);
}

TEST_F(SwapGateTool, WithoutALayoutSheetNothingHappensAndNoStoreIsMade)
{
    CDrwSubSheet schematic(LQ_DOCTYPE_SCHEMATIC);
    for (CDrwSubSheet* current : {static_cast<CDrwSubSheet*>(nullptr), &schematic}) {
        LQSetDrwSubSheet(current);
        DoubleClick(kGateA);
        tool.DrawToolOverlay();
        EXPECT_EQ(Pick(), "-");
        EXPECT_TRUE(GetPlugInInterface()->GetGateStores().empty());
        EXPECT_FALSE(Painted(dc.GetCalls(), "DrawCircle"));
        ExpectUntouched();
    }
    UseSheet(board);
}

TEST_F(SwapGateTool, OverlayPaintsAllGatesThenCandidatesThenThePickedGateSelected)
{
    dc.SetDrawFlag(true);
    dc.ClearCalls();
    tool.DrawToolOverlay();
    // Gates come in the order of their search IDs: U1,INV,C before U1,NAND,A.
    EXPECT_EQ(GateMarkers(dc.GetCalls()), (Texts{"C flag0 fill8", "A flag0 fill8", "B flag0 fill8"}));
    EXPECT_FALSE(Painted(dc.GetCalls(), "DrawObject"));
    Click(kGateA);
    dc.ClearCalls();
    tool.DrawToolOverlay();
    const Texts& calls = dc.GetCalls();
    Texts head{"PrepareDraw(0,0,1)", "SetDrawFlag(0)"};
    for (std::size_t i = 0; i < 6; ++i)  // the pins of the candidates A and B
        head.push_back("DrawObject(#" + std::to_string(pins[i]->GetStoreIndex()) + ")");
    head.push_back("SetDrawFlag(1)");
    ASSERT_GE(calls.size(), head.size());
    EXPECT_EQ(Texts(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(head.size())), head);
    EXPECT_EQ(calls.back(), "FinishDraw(1,0)");
    EXPECT_EQ(GateMarkers(calls), (Texts{"C flag1 fill8", "A flag1 fill8", "B flag1 fill8", "A flag0 fill8",
                                         "B flag0 fill8", "A flag0 fill32"}));
}

// The store of the pick is dropped by a netlist change; the next event of any kind finds the
// tool idle and never reaches the freed gates.
TEST_F(SwapGateTool, APickWhoseStoreWasDroppedIsForgottenSilently)
{
    for (int next : {0, 1, 2}) {  // click, double click, overlay
        SCOPED_TRACE(next);
        Click(kGateA);
        EventNetListChanged.Raise(reinterpret_cast<UINT_PTR>(sheet()), 0);
        ASSERT_TRUE(GetPlugInInterface()->GetGateStores().empty());
        Clear();
        if (next == 0)
            Click(kGateB);
        else if (next == 1)
            tool.LButtonDblClk(0, kGateB, nullptr);
        else
            tool.DrawToolOverlay();
        EXPECT_EQ(NetsOf(pins), kInitial);
        EXPECT_TRUE(AfxGetHostLog().messageBoxes.empty());
        EXPECT_FALSE(Painted(dc.GetCalls(), "SetColor(32)"));
        // A click in the idle state is a first pick again, in the fresh store.
        EXPECT_EQ(Pick(), next == 0 ? "B A B" : "-");
        // Regression: the forgotten pick's pins stayed selected and the pick display stayed on.
        EXPECT_EQ(sheet()->GetDrawingStore()->GetSelectedObjects().GetCount(), next == 0 ? 3 : 0);
        EXPECT_EQ(sheet()->GetPickMode(), next == 0);
        tool.EndTool();
    }
}

TEST_F(SwapGateTool, APickNeverCrossesSheets)
{
    BoardBuilder other;
    const std::vector<CLayoutPin*> otherPins = GateBoard(other);
    Click(kGateA);
    UseSheet(other);
    // Regression: forgetting the stale pick used to clear the other sheet's selection.
    CDrawObject* selectedByUser = otherPins[0]->GetOwnerComponent();
    selectedByUser->SetSelected(true, true);
    Click(kGateB);
    EXPECT_TRUE(selectedByUser->IsSelected());
    EXPECT_EQ(NetsOf(otherPins), kInitial);
    EXPECT_TRUE(other.Sheet()->GetBackAnnotationManager()->GetRecords().empty());
    ExpectUntouched();
    ASSERT_NE(tool.GetFirstGate(), nullptr);
    EXPECT_EQ(tool.GetFirstGate()->GetPins()[0], otherPins[3]);
    // Back on the first sheet, the pick made on the other one is not painted.
    UseSheet(board);
    dc.ClearCalls();
    tool.DrawToolOverlay();
    EXPECT_FALSE(Painted(dc.GetCalls(), "SetColor(32)"));
    EXPECT_EQ(Pick(), "-");
}

TEST_F(SwapGateTool, AfterExitDllTheToolTouchesNothingUntilInitDll)
{
    Click(kGateA);
    ExitDll();
    Clear();
    const int pickModeChanges = sheet()->GetPickModeChanges();
    DoubleClick(kGateB);
    tool.DrawToolOverlay();
    tool.InitTool(nullptr);
    tool.EndTool();
    // Regression: the cursor and the cancel and restore events still reached the host.
    tool.SetReturnToDefault(true);
    EventCancel.ClearRaised();
    EventRestoreDefaultTool.ClearRaised();
    EXPECT_FALSE(tool.SetToolCursor());
    tool.CancelTool(0, 0);
    tool.RestoreDefaultTool();
    tool.SetReturnToDefault(false);
    EXPECT_TRUE(AfxGetHostLog().cursors.empty());
    EXPECT_TRUE(EventCancel.GetRaised().empty());
    EXPECT_TRUE(EventRestoreDefaultTool.GetRaised().empty());
    EXPECT_TRUE(dc.GetCalls().empty());
    EXPECT_EQ(Redraws(sheet()), 0u);
    EXPECT_EQ(sheet()->GetPickModeChanges(), pickModeChanges);
    EXPECT_EQ(sheet()->GetDrawingStore()->GetSelectedObjects().GetCount(), 3);
    ExpectUntouched();
    InitDll();
    Click(kGateA);
    Click(kGateB);
    EXPECT_EQ(NetsOf(pins), kAWithB);
}

}  // namespace
