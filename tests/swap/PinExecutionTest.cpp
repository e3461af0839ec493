// Pin swap execution: net edits, the remembered net and the back-annotation record.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "host/HostApp.h"
#include "host/Net.h"
#include "module/swap/SwapItemPin.h"
#include "tests/support/ModuleFixture.h"

namespace {
using lqtest::BoardBuilder;
using lqtest::CountNetPins;
using lqtest::NetOf;
using lqtest::PinsOf;
using Names = std::vector<std::string>;

// An item of another kind; pin items must ignore it as a partner.
class COtherItem : public CSwapItem {
public:
    bool CanSwap(CSwapItem*, SWAPACTION, bool, bool, bool) override { return true; }
    std::int64_t GetDistance(CSwapItem*, CObject**&, std::int64_t fallback) override { return fallback; }
    CString GetSearchID() override { return CString(); }
    bool IsConnected() override { return true; }
    void Refresh() override {}
    void Swap(CSwapItem*, CObject**) override {}
    bool Swap(CSwapItem*) override { return true; }
    void Connect(CSwapItem*, CObject**) override {}
    void Unconnect() override {}
};

class PinExecution : public lqtest::ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        u1 = board.Part("U1");
        CLayoutComponent* r1 = board.Part("R1");
        for (int i = 0; i < 4; ++i)
            p[i] = board.GatePin(u1, CLQPoint(100 * i, 0), std::to_string(i + 1), "A", "G", "1");
        gateB = board.GatePin(u1, CLQPoint(500, 0), "6", "B", "G", "1");
        CLayoutPin* r1p1 = board.GatePin(r1, CLQPoint(0, 1000), "1", "", "", "");
        CLayoutPin* r1p2 = board.GatePin(r1, CLQPoint(100, 1000), "2", "", "", "");
        n1 = board.Net("N1", {r1p1, p[0]});
        n2 = board.Net("N2", {p[1], r1p2});
        n3 = board.Net("N3", {p[2]});
        netlist()->ClearRecords();
    }

    CLayoutNetlist* netlist() { return board.Sheet()->GetNetlist(); }
    const std::vector<CBackAnnotationRecord>& records() { return board.Sheet()->GetBackAnnotationManager()->GetRecords(); }

    // The switch is back on, and every net edit so far happened with it off.
    void ExpectEditsOutsideBackAnnotation()
    {
        EXPECT_TRUE(CLayoutNet::m_bBackAnnotate);
        for (const CNetEdit& edit : netlist()->GetEdits())
            EXPECT_FALSE(edit.bBackAnnotate) << edit.pNet->GetName().str();
    }

    CLayoutComponent* u1 = nullptr;
    // p[0..2] on N1, N2, N3; p[3] unconnected; all gate A, pin group 1.
    std::array<CLayoutPin*, 4> p{};
    CLayoutPin* gateB = nullptr;
    CLayoutNet *n1 = nullptr, *n2 = nullptr, *n3 = nullptr;
};

TEST_F(PinExecution, TwoConnectedPinsExchangeNetsWithNewNetPins)
{
    const int before = CountNetPins(board.Sheet());
    CSwapItemPin first(p[0], nullptr), second(p[1], nullptr);
    ASSERT_TRUE(first.Swap(&second));

    EXPECT_EQ(NetOf(p[0]), "N2");
    EXPECT_EQ(NetOf(p[1]), "N1");
    EXPECT_EQ(PinsOf(n1), (Names{"R1.1", "U1.2"}));
    EXPECT_EQ(PinsOf(n2), (Names{"R1.2", "U1.1"}));
    EXPECT_EQ(CountNetPins(board.Sheet()), before);
    EXPECT_EQ(p[0]->GetNetConnection()->GetNetPin()->GetDrawObject(), p[0]);
    // Both items are stale now: they still remember the nets from before.
    EXPECT_EQ(first.GetRememberedNet(), n1);
    EXPECT_EQ(second.GetRememberedNet(), n2);

    // Both pins come off before either goes on.
    Names edits;
    for (const CNetEdit& edit : netlist()->GetEdits())
        edits.push_back((edit.bAdd ? "+" : "-") + edit.pNet->GetName().str() + (edit.pObject == p[0] ? ".1" : ".2"));
    EXPECT_EQ(edits, (Names{"-N1.1", "-N2.2", "+N2.1", "+N1.2"}));
    ExpectEditsOutsideBackAnnotation();

    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(records()[0].eKind, 13);
    EXPECT_EQ(records()[0].args, (Names{"U1", "1", "U1", "2"}));
    EXPECT_EQ(records()[0].dwUndoActionID, 0xFFFFFFFFu);
}

TEST_F(PinExecution, AConnectedPinExchangedWithAnUnconnectedOne)
{
    CSwapItemPin connected(p[0], nullptr), loose(p[3], nullptr);
    ASSERT_TRUE(connected.Swap(&loose));
    EXPECT_EQ(NetOf(p[0]), "");
    EXPECT_EQ(p[0]->GetNetConnection()->GetNetPin(), nullptr);
    EXPECT_EQ(PinsOf(n1), (Names{"R1.1", "U1.4"}));

    // And back, with the unconnected pin as the argument this time.
    CSwapItemPin nowConnected(p[3], nullptr), nowLoose(p[0], nullptr);
    ASSERT_TRUE(nowConnected.Swap(&nowLoose));
    EXPECT_EQ(PinsOf(n1), (Names{"R1.1", "U1.1"}));
    EXPECT_EQ(NetOf(p[3]), "");
    ExpectEditsOutsideBackAnnotation();

    ASSERT_EQ(records().size(), 2u);
    EXPECT_EQ(records()[0].args, (Names{"U1", "1", "U1", "4"}));
    EXPECT_EQ(records()[1].args, (Names{"U1", "4", "U1", "1"}));
}

TEST_F(PinExecution, MissingDesignatorAndNumberGiveEmptyTexts)
{
    auto* bare = board.Sheet()->GetDrawingStore()->Add(std::make_unique<CLayoutComponent>());
    bare->SetAllowPinSwapping(true);
    CLayoutPin* a = board.Pin(bare, {0, 5000}, {{LQ_PINGROUP, "1"}});
    CLayoutPin* b = board.Pin(bare, {100, 5000}, {{LQ_PINGROUP, "1"}});
    BoardBuilder::Attach(a, n3);
    CSwapItemPin first(a, nullptr), second(b, nullptr);
    ASSERT_TRUE(first.Swap(&second));
    EXPECT_EQ(PinsOf(n3), (Names{"U1.3", "."}));
    EXPECT_EQ(n3->GetNetPin(1)->GetDrawObject(), b);
    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(records()[0].args, (Names{"", "", "", ""}));
}

TEST_F(PinExecution, TheRecordCarriesTheLastUndoAction)
{
    board.Sheet()->GetDrawingStore()->PushAction(41);
    board.Sheet()->GetDrawingStore()->PushAction(42);
    CSwapItemPin first(p[0], nullptr), second(p[1], nullptr);
    ASSERT_TRUE(first.Swap(&second));
    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(records()[0].dwUndoActionID, 42u);
}

TEST_F(PinExecution, NoRecordWithoutALayoutSheetThatAcceptsBackAnnotation)
{
    CDrwSubSheet schematic(LQ_DOCTYPE_SCHEMATIC);
    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"no current sheet", [] { LQSetDrwSubSheet(nullptr); }},
        {"not a layout sheet", [&] { LQSetDrwSubSheet(&schematic); }},
        {"back annotation suppressed", [&] { board.Sheet()->SetSuppressBackAnnotation(true); }},
        {"no manager", [&] { board.Sheet()->SetBackAnnotationManager(false); }},
    };
    for (const Case& c : cases) {
        LQSetDrwSubSheet(board.Sheet());
        board.Sheet()->SetSuppressBackAnnotation(false);
        board.Sheet()->SetBackAnnotationManager(true);
        c.arrange();
        const std::string netOfFirst = NetOf(p[0]);
        const std::string netOfSecond = NetOf(p[1]);
        CSwapItemPin first(p[0], nullptr), second(p[1], nullptr);
        EXPECT_TRUE(first.Swap(&second)) << c.what;
        // The nets are exchanged all the same.
        EXPECT_EQ(NetOf(p[0]), netOfSecond) << c.what;
        EXPECT_EQ(NetOf(p[1]), netOfFirst) << c.what;
        board.Sheet()->SetBackAnnotationManager(true);
        EXPECT_TRUE(records().empty()) << c.what;
    }
    ExpectEditsOutsideBackAnnotation();
}

TEST_F(PinExecution, ARefusedExchangeChangesNothing)
{
    CSwapItemPin first(p[0], nullptr), other(gateB, nullptr);
    COtherItem stranger;
    EXPECT_FALSE(first.Swap(&other));
    EXPECT_FALSE(first.Swap(&stranger));
    EXPECT_EQ(NetOf(p[0]), "N1");
    EXPECT_TRUE(netlist()->GetEdits().empty());
    EXPECT_TRUE(records().empty());
}

TEST_F(PinExecution, OneSidedSwapAndConnectUseThePartnersRememberedNet)
{
    CSwapItemPin onN1(p[0], nullptr), onN2(p[1], nullptr), loose(p[3], nullptr);
    COtherItem stranger;

    // A partner that remembered no net, or of another kind, changes nothing, not even this pin.
    onN1.Swap(&loose, nullptr);
    onN1.Swap(&stranger, nullptr);
    onN1.Swap(nullptr, nullptr);
    onN1.Connect(&loose, nullptr);
    onN1.Connect(&stranger, nullptr);
    EXPECT_EQ(NetOf(p[0]), "N1");
    EXPECT_TRUE(netlist()->GetEdits().empty());

    // The remembered net counts, not the live one.
    CSwapItemPin::Unconnect(p[1]);
    CSwapItemPin::Connect(p[1], n3);
    onN1.Swap(&onN2, nullptr);
    EXPECT_EQ(NetOf(p[0]), "N2");
    EXPECT_EQ(onN1.GetRememberedNet(), n1);
    loose.Connect(&onN2, nullptr);
    EXPECT_EQ(NetOf(p[3]), "N2");
    EXPECT_EQ(PinsOf(n2), (Names{"R1.2", "U1.1", "U1.4"}));
    EXPECT_TRUE(records().empty());
    ExpectEditsOutsideBackAnnotation();
}

TEST_F(PinExecution, APermutationDoesNotDependOnTheConnectOrder)
{
    std::array<int, 3> order{0, 1, 2};
    do {
        BoardBuilder fresh;
        LQSetDrwSubSheet(fresh.Sheet());
        CLayoutComponent* part = fresh.Part("U9");
        std::array<CLayoutPin*, 3> pins{};
        for (int i = 0; i < 3; ++i)
            pins[i] = fresh.GatePin(part, CLQPoint(100 * i, 0), std::to_string(i + 1), "A", "G", "1");
        CLayoutNet* nets[3] = {fresh.Net("A", {pins[0]}), fresh.Net("B", {pins[1]}), fresh.Net("C", {pins[2]})};
        std::vector<std::unique_ptr<CSwapItemPin>> items;
        for (CLayoutPin* pin : pins)
            items.push_back(std::make_unique<CSwapItemPin>(pin, nullptr));

        for (auto& item : items)
            item->Unconnect();
        EXPECT_EQ(CountNetPins(fresh.Sheet()), 0);
        // Each pin takes the net of the next one.
        for (int i : order)
            items[i]->Connect(items[(i + 1) % 3].get(), nullptr);
        for (auto& item : items)
            item->Refresh();

        const std::string label = std::to_string(order[0]) + std::to_string(order[1]) + std::to_string(order[2]);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(items[i]->GetRememberedNet(), nets[(i + 1) % 3]) << label;
            EXPECT_TRUE(items[i]->IsConnected()) << label;
        }
        EXPECT_EQ(PinsOf(nets[0]), (Names{"U9.3"})) << label;
        EXPECT_EQ(PinsOf(nets[1]), (Names{"U9.1"})) << label;
        EXPECT_EQ(PinsOf(nets[2]), (Names{"U9.2"})) << label;
        EXPECT_TRUE(CLayoutNet::m_bBackAnnotate);
        EXPECT_TRUE(fresh.Sheet()->GetBackAnnotationManager()->GetRecords().empty());
        LQSetDrwSubSheet(board.Sheet());
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(PinExecution, SinglePinEditsSetTheSwitchBackOn)
{
    // Unconnecting an unconnected pin changes nothing.
    CSwapItemPin::Unconnect(p[3]);
    EXPECT_TRUE(netlist()->GetEdits().empty());

    CLayoutNet::m_bBackAnnotate = false;
    CSwapItemPin::Unconnect(p[0]);
    EXPECT_TRUE(CLayoutNet::m_bBackAnnotate);
    EXPECT_EQ(NetOf(p[0]), "");
    EXPECT_EQ(p[0]->GetNetConnection()->GetNetPin(), nullptr);
    EXPECT_EQ(PinsOf(n1), (Names{"R1.1"}));

    CLayoutNet::m_bBackAnnotate = false;
    CSwapItemPin::Connect(p[3], n3);
    EXPECT_TRUE(CLayoutNet::m_bBackAnnotate);
    EXPECT_EQ(PinsOf(n3), (Names{"U1.3", "U1.4"}));
    ASSERT_EQ(netlist()->GetEdits().size(), 2u);
    ExpectEditsOutsideBackAnnotation();

    // A pin that still has a net pin is not put on a second net.
    CSwapItemPin::Connect(p[1], n3);
    EXPECT_EQ(NetOf(p[1]), "N2");
    EXPECT_EQ(PinsOf(n3), (Names{"U1.3", "U1.4"}));
    EXPECT_EQ(netlist()->GetEdits().size(), 2u);
}

TEST_F(PinExecution, IsConnectedIsLiveAndRefreshRenewsTheRememberedNet)
{
    CSwapItemPin item(p[0], nullptr);
    item.Unconnect();
    EXPECT_FALSE(item.IsConnected());
    EXPECT_EQ(item.GetRememberedNet(), n1);
    item.Refresh();
    EXPECT_EQ(item.GetRememberedNet(), nullptr);
    CSwapItemPin::Connect(p[0], n2);
    EXPECT_TRUE(item.IsConnected());
    item.Refresh();
    EXPECT_EQ(item.GetRememberedNet(), n2);
}

}  // namespace
