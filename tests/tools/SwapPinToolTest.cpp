// The swap pin tool, driven as the host drives it: clicks, overlay, cursor and tool events.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "host/Events.h"
#include "host/Extension.h"
#include "host/Net.h"
#include "host/Window.h"
#include "module/frame/Module.h"
#include "module/tools/SwapPinTool.h"
#include "tests/support/ModuleFixture.h"

namespace {
using lqtest::BoardBuilder;
using lqtest::NetOf;
using Pins = std::vector<CLayoutPin*>;
using Texts = std::vector<std::string>;

const char* const kNoPinGroup = "选择管脚不能对换因为它不包含管脚组信息.";
const char* const kCannotSwap = "选择管脚不能被对换.";

class Listener : public CObject {
public:
    explicit Listener(int result) : m_result(result) {}
    int OnEvent(UINT_PTR, LONG_PTR) { return m_result; }
    void Register(CEventHandler& event) { event.AddCallBack(this, static_cast<EVENTCALLBACK>(&Listener::OnEvent), nullptr, nullptr); }

private:
    int m_result;
};

class SwapPinToolBase : public lqtest::ModuleTest {
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
        n1 = board.Net("N1", {p[0]});
        n2 = board.Net("N2", {p[1]});
        tool.SetDrawContext(&dc);
    }
    void TearDown() override
    {
        tool.EndTool();
        tool.SetDrawContext(nullptr);
        tool.SetReturnToDefault(false);
        ModuleTest::TearDown();
    }
    void ClearRecords()
    {
        board.Sheet()->GetNetlist()->ClearRecords();
        board.Sheet()->GetDrawingStore()->ClearRecords();
        board.Sheet()->GetBackAnnotationManager()->ClearRecords();
        AfxGetHostLog().Clear();
        dc.ClearCalls();
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
    CLayoutNet *n1 = nullptr, *n2 = nullptr;
};

class SwapPinTool : public SwapPinToolBase {
protected:
    void SetUp() override
    {
        SwapPinToolBase::SetUp();
        InitModule();
        tool.InitTool(nullptr);
        ClearRecords();
    }
};

TEST_F(SwapPinTool, AFirstPickSelectsThePinAndFindsItsCandidates)
{
    EXPECT_STREQ(tool.GetRuntimeClass()->m_lpszClassName, "CSwapPinTool");
    EXPECT_EQ(tool.GetRuntimeClass()->m_pBaseClass, RUNTIME_CLASS(CDrawTool));
    EXPECT_EQ(tool.IsToolAvailable(), 1);
    ExpectIdle();

    EXPECT_TRUE(Click(p[0]));
    EXPECT_EQ(tool.GetFirstPin(), p[0]);
    // The other gate, the pin without a group and the other package are no candidates.
    EXPECT_EQ(tool.GetCandidates(), (Pins{p[0], p[1], p[2], p[3]}));
    EXPECT_TRUE(p[0]->IsSelected());
    EXPECT_TRUE(board.Sheet()->GetPickMode());
    const auto& invalidations = board.Sheet()->GetDrawingStore()->GetInvalidations();
    ASSERT_EQ(invalidations.size(), 1u);
    EXPECT_EQ(invalidations[0].pDC, &dc);
    EXPECT_TRUE(invalidations[0].bErase);
    EXPECT_FALSE(invalidations[0].bNow);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(board.Sheet()->GetNetlist()->GetUpdates().empty());
}

TEST_F(SwapPinTool, ClickingTheFirstPinAgainReturnsToIdle)
{
    Click(p[0]);
    EXPECT_TRUE(Click(p[0]));
    ExpectIdle();
    EXPECT_FALSE(p[0]->IsSelected());
    EXPECT_EQ(board.Sheet()->GetDrawingStore()->GetSelectedObjects().GetCount(), 0);
    EXPECT_FALSE(board.Sheet()->GetPickMode());
    EXPECT_EQ(board.Sheet()->GetDrawingStore()->GetInvalidations().size(), 2u);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(NetOf(p[0]), "N1");
    EXPECT_TRUE(board.Sheet()->GetNetlist()->GetEdits().empty());
    EXPECT_TRUE(board.Sheet()->GetBackAnnotationManager()->GetRecords().empty());
}

TEST_F(SwapPinTool, RefusedPicksShowTheirMessageAndKeepTheState)
{
    // Idle: a pin without pin-group information.
    const int pickModeChanges = board.Sheet()->GetPickModeChanges();
    EXPECT_TRUE(Click(noGroup));
    EXPECT_EQ(Messages(), (Texts{kNoPinGroup}));
    ExpectIdle();
    EXPECT_EQ(board.Sheet()->GetPickModeChanges(), pickModeChanges);

    Click(p[0]);
    AfxGetHostLog().Clear();
    // The pin-group test comes before the eligibility test.
    EXPECT_TRUE(Click(otherNoGroup));
    EXPECT_TRUE(Click(otherPart));
    EXPECT_TRUE(Click(gateB));
    EXPECT_EQ(Messages(), (Texts{kNoPinGroup, kCannotSwap, kCannotSwap}));
    EXPECT_EQ(tool.GetFirstPin(), p[0]);
    EXPECT_EQ(tool.GetCandidates().size(), 4u);
    EXPECT_TRUE(board.Sheet()->GetPickMode());
    EXPECT_TRUE(board.Sheet()->GetNetlist()->GetEdits().empty());
    EXPECT_TRUE(board.Sheet()->GetNetlist()->GetUpdates().empty());
}

TEST_F(SwapPinTool, ASecondPickSwapsUpdatesTheNetlistOnceAndReturnsToIdle)
{
    Click(p[0]);
    EXPECT_TRUE(Click(p[1]));
    EXPECT_EQ(NetOf(p[0]), "N2");
    EXPECT_EQ(NetOf(p[1]), "N1");
    const auto& records = board.Sheet()->GetBackAnnotationManager()->GetRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].eKind, BACKANNO_PINSWAP);
    EXPECT_EQ(records[0].args, (Texts{"U1", "1", "U1", "2"}));
    const auto& updates = board.Sheet()->GetNetlist()->GetUpdates();
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].nCode, 0x40000000u);
    EXPECT_EQ(updates[0].nKey, reinterpret_cast<LONG_PTR>(board.Sheet()));
    ExpectIdle();
    EXPECT_FALSE(board.Sheet()->GetPickMode());
    EXPECT_FALSE(p[0]->IsSelected());
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(CLayoutNet::m_bBackAnnotate);

    // An unconnected candidate takes the net and leaves the first pin unconnected.
    Click(p[1]);
    Click(p[3]);
    EXPECT_EQ(NetOf(p[1]), "");
    EXPECT_EQ(NetOf(p[3]), "N1");
    EXPECT_EQ(updates.size(), 2u);
}

TEST_F(SwapPinTool, RightClickAndStartAndEndOfTheToolReturnToIdle)
{
    EXPECT_TRUE(tool.RButtonDown(0, CLQPoint(0, 0)));
    ExpectIdle();
    Click(p[0]);
    EXPECT_TRUE(tool.RButtonDown(0, CLQPoint(9999, 9999)));
    ExpectIdle();
    EXPECT_FALSE(board.Sheet()->GetPickMode());
    EXPECT_FALSE(p[0]->IsSelected());
    // After a right click the same pin is a first pick again, not a click on the first pin.
    Click(p[0]);
    tool.OnToolNotify(1);
    EXPECT_EQ(tool.GetFirstPin(), p[0]);
    EXPECT_TRUE(tool.InitTool(nullptr));
    EXPECT_TRUE(tool.IsActive());
    ExpectIdle();
    Click(p[0]);
    tool.EndTool();
    EXPECT_FALSE(tool.IsActive());
    ExpectIdle();
    EXPECT_FALSE(board.Sheet()->GetPickMode());
}

TEST_F(SwapPinTool, AFirstPinWithCopperHasNoCandidates)
{
    CLayoutPin* routed = board.GatePin(u1, CLQPoint(700, 0), "8", "A", "G", "1");
    board.Track(CLQPoint(700, 0), CLQPoint(700, 800));
    EXPECT_TRUE(Click(routed));
    EXPECT_EQ(tool.GetFirstPin(), routed);
    EXPECT_TRUE(tool.GetCandidates().empty());
    EXPECT_TRUE(Messages().empty());
    Click(p[1]);
    EXPECT_EQ(Messages(), (Texts{kCannotSwap}));
    EXPECT_EQ(tool.GetFirstPin(), routed);
    // Nor is a routed pin a candidate of an unrouted one.
    tool.RButtonDown(0, CLQPoint());
    Click(p[1]);
    EXPECT_EQ(tool.GetCandidates(), (Pins{p[0], p[1], p[2], p[3]}));
}

TEST_F(SwapPinTool, HitTestingTakesTheFirstPinThatTheStoreReturns)
{
    for (bool leftFirst : {true, false}) {
        BoardBuilder other;
        // The package outline lies under the point too, ahead of the pins.
        CLayoutComponent* part = other.Part("U7", 1, true, {}, CLQRect(-100, -100, 100, 100));
        CLayoutPin* first = other.GatePin(part, CLQPoint(leftFirst ? 0 : 6, 0), "1", "A", "G", "1");
        CLayoutPin* second = other.GatePin(part, CLQPoint(leftFirst ? 6 : 0, 0), "2", "A", "G", "1");
        UseSheet(other);
        EXPECT_TRUE(tool.LButtonDown(0, CLQPoint(3, 0)));
        EXPECT_EQ(tool.GetFirstPin(), first);
        tool.RButtonDown(0, CLQPoint());
        // Pad borders belong to the pad; one unit further is empty space.
        tool.LButtonDown(0, CLQPoint(16, 10));
        EXPECT_EQ(tool.GetFirstPin(), leftFirst ? second : first);
        tool.RButtonDown(0, CLQPoint());
        tool.LButtonDown(0, CLQPoint(17, 0));
        ExpectIdle();
        EXPECT_TRUE(Messages().empty());
        UseSheet(board);
    }
    // A pad given with its corners the other way round is hit all the same.
    auto* reversed = board.Sheet()->GetDrawingStore()->Add(
        std::make_unique<CLayoutPin>(CLQPoint(1000, 0), CLQRect(1010, 10, 990, -10)));
    reversed->AddAttribute(LQ_PINGROUP, "1");
    u1->AddChild(reversed);
    tool.LButtonDown(0, CLQPoint(991, -9));
    EXPECT_EQ(tool.GetFirstPin(), reversed);
}

TEST_F(SwapPinTool, ClicksWithoutALayoutSheetAreIgnored)
{
    CDrwSubSheet schematic(LQ_DOCTYPE_SCHEMATIC);
    auto* pin = schematic.GetDrawingStore()->Add(std::make_unique<CLayoutPin>(CLQPoint(0, 0), CLQRect(-10, -10, 10, 10)));
    pin->AddAttribute(LQ_PINGROUP, "1");
    LQSetDrwSubSheet(&schematic);
    EXPECT_TRUE(tool.LButtonDown(0, CLQPoint(0, 0)));
    ExpectIdle();
    LQSetDrwSubSheet(nullptr);
    EXPECT_TRUE(tool.LButtonDown(0, CLQPoint(0, 0)));
    ExpectIdle();
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(schematic.GetPickModeChanges(), 0);
}

TEST_F(SwapPinTool, TheOverlayDrawsExactlyTheCandidatesInsideOnePass)
{
    const std::vector<std::string> empty{"PrepareDraw(0,0,1)", "SetDrawFlag(0)", "SetDrawFlag(1)", "FinishDraw(1,0)"};
    dc.SetDrawFlag(true);
    dc.ClearCalls();
    tool.DrawToolOverlay();
    EXPECT_EQ(dc.GetCalls(), empty);

    Click(p[1]);
    dc.ClearCalls();
    tool.DrawToolOverlay();
    std::vector<std::string> expected{"PrepareDraw(0,0,1)", "SetDrawFlag(0)"};
    for (CLayoutPin* pin : p)
        expected.push_back("DrawObject(#" + std::to_string(pin->GetStoreIndex()) + ")");
    expected.insert(expected.end(), {"SetDrawFlag(1)", "FinishDraw(1,0)"});
    EXPECT_EQ(dc.GetCalls(), expected);
    EXPECT_TRUE(dc.GetDrawFlag());

    // A cleared flag is restored as cleared.
    dc.SetDrawFlag(false);
    dc.ClearCalls();
    tool.DrawToolOverlay();
    EXPECT_EQ(dc.GetCalls()[dc.GetCalls().size() - 2], "SetDrawFlag(0)");
    EXPECT_FALSE(dc.GetDrawFlag());

    // Without a draw context of its own the tool draws nothing.
    tool.SetDrawContext(nullptr);
    dc.ClearCalls();
    tool.DrawToolOverlay();
    EXPECT_TRUE(dc.GetCalls().empty());
}

TEST_F(SwapPinTool, CursorCancelAndRestoreDefaultTool)
{
    EXPECT_TRUE(tool.SetToolCursor());
    ASSERT_EQ(AfxGetHostLog().cursors.size(), 1u);
    LQ_IMAGEINFO info;
    ASSERT_TRUE(LQGetCursorInfo(AfxGetHostLog().cursors[0], &info));
    EXPECT_EQ(info.nID, 133u);

    Listener listener(5);
    listener.Register(EventCancel);
    listener.Register(EventRestoreDefaultTool);
    EventCancel.ClearRaised();
    EventRestoreDefaultTool.ClearRaised();
    EXPECT_EQ(tool.CancelTool(3, 4), 5);
    using Raised = std::vector<std::pair<UINT_PTR, LONG_PTR>>;
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
    EXPECT_EQ(EventRestoreDefaultTool.GetRaised(), (Raised{{0, 0}, {reinterpret_cast<UINT_PTR>(view.GetSafeHwnd()), 0}}));
    EXPECT_NE(view.GetSafeHwnd(), nullptr);

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
    EXPECT_EQ(NetOf(p[0]), "N1");
    EXPECT_EQ(NetOf(there), "M");

    // The other sheet goes; under the address sanitizer any use of its pins fails below.
    LQCloseSubSheet(other->Release());
    other.reset();
    UseSheet(board);
    dc.ClearCalls();
    tool.DrawToolOverlay();
    ExpectIdle();
    EXPECT_EQ(dc.GetCalls().size(), 4u);
    EXPECT_TRUE(Click(p[2]));
    EXPECT_EQ(tool.GetFirstPin(), p[2]);
}

using SwapPinToolUninitialised = SwapPinToolBase;

TEST_F(SwapPinToolUninitialised, TheToolDoesNothing)
{
    ClearRecords();
    EXPECT_TRUE(Click(p[0]));
    EXPECT_TRUE(Click(noGroup));
    ExpectIdle();
    EXPECT_TRUE(tool.RButtonDown(0, CLQPoint()));
    tool.DrawToolOverlay();
    EXPECT_TRUE(dc.GetCalls().empty());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(board.Sheet()->GetPickModeChanges(), 0);
    EXPECT_TRUE(board.Sheet()->GetDrawingStore()->GetInvalidations().empty());
}

}  // namespace
