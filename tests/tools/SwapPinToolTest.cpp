// The swap pin tool, driven as the host drives it: clicks, overlay, cursor and tool events.
#include <gtest/gtest.h>

#include "host/AttributeNames.h"
#include "host/Events.h"
#include "host/Extension.h"
#include "host/Window.h"
#include "module/frame/Module.h"
#include "module/tools/SwapPinTool.h"
#include "tests/support/ModuleFixture.h"

namespace {
using namespace lqtest;
using Pins = std::vector<CLayoutPin*>;
using Texts = std::vector<std::string>;

const char* const kNoPinGroup = "选择管脚不能对换因为它不包含管脚组信息.";
const char* const kCannotSwap = "选择管脚不能被对换.";

class SwapPinTool : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        u1 = board.Part("U1");
        for (int i = 0; i < 4; ++i)
            p[i] = board.GatePin(u1, CLQPoint(100 * i, 0), std::to_string(i + 1), "A", "G", "1");
        gateB = board.GatePin(u1, CLQPoint(400, 0), "5", "B", "G", "1");
        noGroup = board.Pin(u1, CLQPoint(500, 0), {{LQ_PIN, "6"}, {LQ_GATE, "A"}, {LQ_PINGROUP, ""}});
        CLayoutComponent* u2 = board.Part("U2");
        otherPart = board.GatePin(u2, CLQPoint(0, 1000), "1", "A", "G", "1");
        otherNoGroup = board.Pin(u2, CLQPoint(100, 1000), {{LQ_PIN, "2"}, {LQ_GATE, "A"}});
        board.Net("N1", {p[0]});
        board.Net("N2", {p[1]});
        tool.SetDrawContext(&dc);
        InitModule();
        tool.InitTool(nullptr);
        sheet()->GetDrawingStore()->ClearRecords();
        sheet()->GetNetlist()->ClearRecords();
    }
    void TearDown() override
    {
        tool.EndTool();
        tool.SetDrawContext(nullptr);
        tool.SetReturnToDefault(false);
        ModuleTest::TearDown();
    }
    bool Click(CLayoutPin* pin) { return tool.LButtonDown(0, pin->GetLocation()); }
    static Texts Messages()
    {
        Texts out;
        for (const CMessageBoxRecord& m : AfxGetHostLog().messageBoxes) {
            EXPECT_EQ(m.nType, MB_OK);
            EXPECT_EQ(m.nHelpID, 0u);
            out.push_back(m.strText.str());
        }
        return out;
    }
    void ExpectIdle()
    {
        EXPECT_EQ(tool.GetFirstPin(), nullptr);
        EXPECT_TRUE(tool.GetCandidates().empty());
    }

    CSwapPinTool& tool = g_swapPinTool;
    CLayoutComponent* u1 = nullptr;
    CLayoutPin* p[4] = {};
    CLayoutPin *gateB = nullptr, *noGroup = nullptr, *otherPart = nullptr, *otherNoGroup = nullptr;
};

TEST_F(SwapPinTool, AFirstPickFindsTheCandidatesAndPickingItAgainARightClickOrRestartingReturnsToIdle)
{
    EXPECT_EQ(tool.IsToolAvailable(), 1);
    EXPECT_TRUE(Click(p[0]));
    EXPECT_EQ(tool.GetFirstPin(), p[0]);
    // The other gate, the pin without a group and the other package are no candidates.
    EXPECT_EQ(tool.GetCandidates(), (Pins{p[0], p[1], p[2], p[3]}));
    EXPECT_TRUE(p[0]->IsSelected());
    EXPECT_TRUE(sheet()->GetPickMode());
    EXPECT_EQ(Redraws(sheet()), 1u);
    EXPECT_TRUE(Click(p[0]));
    ExpectIdle();
    EXPECT_EQ(sheet()->GetDrawingStore()->GetSelectedObjects().GetCount(), 0);
    EXPECT_FALSE(sheet()->GetPickMode());
    EXPECT_EQ(Redraws(sheet()), 2u);
    Click(p[0]);
    EXPECT_TRUE(tool.RButtonDown(0, CLQPoint(9999, 9999)));
    ExpectIdle();
    EXPECT_FALSE(sheet()->GetPickMode() || p[0]->IsSelected());
    // After a right click the same pin is a first pick again, not a click on the first pin.
    Click(p[0]);
    tool.OnToolNotify(1);
    EXPECT_EQ(tool.GetFirstPin(), p[0]);
    EXPECT_TRUE(tool.InitTool(nullptr));
    ExpectIdle();
    Click(p[0]);
    tool.EndTool();
    ExpectIdle();
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(sheet()->GetNetlist()->GetEdits().empty());
}

TEST_F(SwapPinTool, RefusedPicksShowTheirMessageAndKeepTheStateAndASecondPickSwapsAndUpdatesOnce)
{
    // Idle: a pin without pin-group information.
    const int pickModeChanges = sheet()->GetPickModeChanges();
    EXPECT_TRUE(Click(noGroup));
    EXPECT_EQ(Messages(), (Texts{kNoPinGroup}));
    ExpectIdle();
    EXPECT_EQ(sheet()->GetPickModeChanges(), pickModeChanges);
    Click(p[0]);
    AfxGetHostLog().Clear();
    // The pin-group test comes before the eligibility test.
    EXPECT_TRUE(Click(otherNoGroup));
    EXPECT_TRUE(Click(otherPart));
    EXPECT_TRUE(Click(gateB));
    EXPECT_EQ(Messages(), (Texts{kNoPinGroup, kCannotSwap, kCannotSwap}));
    EXPECT_EQ(tool.GetFirstPin(), p[0]);
    EXPECT_EQ(tool.GetCandidates().size(), 4u);
    EXPECT_TRUE(sheet()->GetPickMode());
    EXPECT_TRUE(sheet()->GetNetlist()->GetEdits().empty());

    AfxGetHostLog().Clear();
    EXPECT_TRUE(Click(p[1]));
    EXPECT_EQ(NetsOf({p[0], p[1]}), (Texts{"N2", "N1"}));
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].args, (Texts{"U1", "1", "U1", "2"}));
    EXPECT_EQ(Updates(sheet()), 1u);
    ExpectIdle();
    EXPECT_FALSE(sheet()->GetPickMode() || p[0]->IsSelected());
    // An unconnected candidate takes the net and leaves the first pin unconnected.
    Click(p[1]);
    Click(p[3]);
    EXPECT_EQ(NetsOf({p[1], p[3]}), (Texts{"", "N1"}));
    EXPECT_EQ(Updates(sheet()), 2u);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SwapPinTool, APinWithCopperIsAFirstPickWithoutCandidatesAndNoCandidateOfAnother)
{
    CLayoutPin* routed = board.GatePin(u1, CLQPoint(700, 0), "8", "A", "G", "1");
    board.Track(CLQPoint(700, 0), CLQPoint(700, 800));
    EXPECT_TRUE(Click(routed));
    EXPECT_EQ(tool.GetFirstPin(), routed);
    EXPECT_TRUE(tool.GetCandidates().empty());
    Click(p[1]);
    EXPECT_EQ(Messages(), (Texts{kCannotSwap}));
    EXPECT_EQ(tool.GetFirstPin(), routed);
    tool.RButtonDown(0, CLQPoint());
    Click(p[1]);
    EXPECT_EQ(tool.GetCandidates(), (Pins{p[0], p[1], p[2], p[3]}));
}

TEST_F(SwapPinTool, HitTestingTakesTheFirstPinThatTheStoreReturnsOnALayoutSheetOnly)
{
    for (bool leftFirst : {true, false}) {
        BoardBuilder other;
        // The package outline lies under the point too, ahead of the pins.
        CLayoutComponent* part = other.Part("U7", 1, true, {}, CLQRect(-100, -100, 100, 100));
        CLayoutPin* first = other.GatePin(part, CLQPoint(leftFirst ? 0 : 6, 0), "1", "A", "G", "1");
        CLayoutPin* second = other.GatePin(part, CLQPoint(leftFirst ? 6 : 0, 0), "2", "A", "G", "1");
        UseSheet(other);
        // Pad borders belong to the pad; one unit further is empty space.
        for (const auto& [at, hit] : std::vector<std::pair<CLQPoint, CLayoutPin*>>{
                 {{3, 0}, first}, {{16, 10}, leftFirst ? second : first}, {{17, 0}, nullptr}}) {
            tool.LButtonDown(0, at);
            EXPECT_EQ(tool.GetFirstPin(), hit);
            tool.RButtonDown(0, CLQPoint());
        }
        UseSheet(board);
    }
    // Without a layout sheet clicks are ignored.
    CDrwSubSheet schematic(LQ_DOCTYPE_SCHEMATIC);
    schematic.GetDrawingStore()
        ->Add(std::make_unique<CLayoutPin>(CLQPoint(0, 0), CLQRect(-10, -10, 10, 10)))
        ->AddAttribute(LQ_PINGROUP, "1");
    for (CDrwSubSheet* current : {static_cast<CDrwSubSheet*>(&schematic), static_cast<CDrwSubSheet*>(nullptr)}) {
        LQSetDrwSubSheet(current);
        EXPECT_TRUE(tool.LButtonDown(0, CLQPoint(0, 0)));
        ExpectIdle();
    }
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(schematic.GetPickModeChanges(), 0);
}

TEST_F(SwapPinTool, TheOverlayDrawsExactlyTheCandidatesInsideOnePassRestoringTheDrawFlag)
{
    dc.SetDrawFlag(true);
    dc.ClearCalls();
    tool.DrawToolOverlay();
    EXPECT_EQ(dc.GetCalls(), (Texts{"PrepareDraw(0,0,1)", "SetDrawFlag(0)", "SetDrawFlag(1)", "FinishDraw(1,0)"}));
    Click(p[1]);
    dc.SetDrawFlag(false);
    dc.ClearCalls();
    tool.DrawToolOverlay();
    Texts expected{"PrepareDraw(0,0,1)", "SetDrawFlag(0)"};
    for (CLayoutPin* pin : p)
        expected.push_back("DrawObject(#" + std::to_string(pin->GetStoreIndex()) + ")");
    expected.insert(expected.end(), {"SetDrawFlag(0)", "FinishDraw(1,0)"});
    EXPECT_EQ(dc.GetCalls(), expected);
    // Without a draw context of its own the tool draws nothing.
    tool.SetDrawContext(nullptr);
    dc.ClearCalls();
    tool.DrawToolOverlay();
    EXPECT_TRUE(dc.GetCalls().empty());
}

class Listener : public CObject {
public:
    int OnEvent(UINT_PTR, LONG_PTR) { return 5; }
};

TEST_F(SwapPinTool, CursorCancelAndRestoreDefaultTool)
{
    EXPECT_TRUE(tool.SetToolCursor());
    LQ_IMAGEINFO info;
    ASSERT_TRUE(LQGetCursorInfo(AfxGetHostLog().cursors.at(0), &info));
    EXPECT_EQ(info.nID, 133u);
    Listener listener;
    for (CEventHandler* event : {&EventCancel, &EventRestoreDefaultTool}) {
        event->AddCallBack(&listener, static_cast<EVENTCALLBACK>(&Listener::OnEvent), nullptr, nullptr);
        event->ClearRaised();
    }
    using Raised = std::vector<std::pair<UINT_PTR, LONG_PTR>>;
    EXPECT_EQ(tool.CancelTool(3, 4), 5);
    EXPECT_EQ(EventCancel.GetRaised(), (Raised{{0, reinterpret_cast<LONG_PTR>(GetGlobalViewContext())}}));
    EXPECT_EQ(tool.RestoreDefaultTool(), 0);
    EXPECT_TRUE(EventRestoreDefaultTool.GetRaised().empty());
    tool.SetReturnToDefault(true);
    EXPECT_EQ(tool.RestoreDefaultTool(), 5);
    CView view;
    view.CreateEx(0, "LQView", "sheet", 0, RECT{}, nullptr, 0, nullptr);
    LQSetSheetView(&view);
    EXPECT_EQ(tool.RestoreDefaultTool(), 5);
    LQSetSheetView(nullptr);
    EXPECT_EQ(EventRestoreDefaultTool.GetRaised(),
              (Raised{{0, 0}, {reinterpret_cast<UINT_PTR>(view.GetSafeHwnd()), 0}}));
    EventCancel.RemoveAllCallBacks(&listener);
    EventRestoreDefaultTool.RemoveAllCallBacks(&listener);
}

TEST_F(SwapPinTool, APickNeverCrossesSheetsAndOutlivesNoPin)
{
    auto other = std::make_unique<BoardBuilder>();
    CLayoutPin* there = other->GatePin(other->Part("U1"), CLQPoint(0, 5000), "1", "A", "G", "1");
    other->Net("M", {there});
    Click(p[0]);
    UseSheet(*other);
    EXPECT_TRUE(Click(there));
    EXPECT_EQ(tool.GetFirstPin(), there);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(NetsOf({p[0], there}), (Texts{"N1", "M"}));
    // The other sheet goes; under the address sanitizer any use of its pins fails below.
    LQCloseSubSheet(other->Release());
    UseSheet(board);
    dc.ClearCalls();
    tool.DrawToolOverlay();
    ExpectIdle();
    EXPECT_EQ(dc.GetCalls().size(), 4u);
    EXPECT_TRUE(Click(p[2]));
    EXPECT_EQ(tool.GetFirstPin(), p[2]);
}

}  // namespace
