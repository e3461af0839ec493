// Pin swap execution: net edits, the remembered net and the back-annotation record.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>

#include "host/AttributeNames.h"
#include "host/Net.h"
#include "module/swap/SwapItemPin.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/StubItem.h"

namespace {
using namespace lqtest;
using Names = std::vector<std::string>;

class PinExecution : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        CLayoutComponent* u1 = board.Part("U1");
        CLayoutComponent* r1 = board.Part("R1");
        for (int i = 0; i < 4; ++i)
            p[i] = board.GatePin(u1, CLQPoint(100 * i, 0), std::to_string(i + 1), "A", "G", "1");
        gateB = board.GatePin(u1, CLQPoint(500, 0), "6", "B", "G", "1");
        n1 = board.Net("N1", {board.GatePin(r1, CLQPoint(0, 1000), "1", "", "", ""), p[0]});
        n2 = board.Net("N2", {p[1], board.GatePin(r1, CLQPoint(100, 1000), "2", "", "", "")});
        n3 = board.Net("N3", {p[2]});
        netlist()->ClearRecords();
    }
    CLayoutNetlist* netlist() { return board.Sheet()->GetNetlist(); }
    // The switch is back on, and every net edit so far happened with it off.
    void ExpectEditsOutsideBackAnnotation()
    {
        EXPECT_TRUE(CLayoutNet::m_bBackAnnotate);
        for (const CNetEdit& edit : netlist()->GetEdits())
            EXPECT_FALSE(edit.bBackAnnotate) << edit.pNet->GetName().str();
    }

    // p[0..2] on N1, N2, N3 (N1 and N2 with a pin of R1); p[3] unconnected; all gate A, pin group 1.
    std::array<CLayoutPin*, 4> p{};
    CLayoutPin* gateB = nullptr;
    CLayoutNet *n1 = nullptr, *n2 = nullptr, *n3 = nullptr;
};

TEST_F(PinExecution, TwoConnectedPinsExchangeNetsWithNewNetPinsAndOneRecord)
{
    CSwapItemPin first(p[0], nullptr), second(p[1], nullptr);
    ASSERT_TRUE(first.Swap(&second));
    EXPECT_EQ(PinsOf(n1), (Names{"R1.1", "U1.2"}));
    EXPECT_EQ(PinsOf(n2), (Names{"R1.2", "U1.1"}));
    ExpectConsistentNets(board.Sheet());
    // Both items are stale now: they still remember the nets from before.
    EXPECT_EQ(first.GetRememberedNet(), n1);
    EXPECT_EQ(second.GetRememberedNet(), n2);
    // Both pins come off before either goes on.
    Names edits;
    for (const CNetEdit& edit : netlist()->GetEdits())
        edits.push_back((edit.bAdd ? "+" : "-") + edit.pNet->GetName().str() + (edit.pObject == p[0] ? ".1" : ".2"));
    EXPECT_EQ(edits, (Names{"-N1.1", "-N2.2", "+N2.1", "+N1.2"}));
    ExpectEditsOutsideBackAnnotation();
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].eKind, BACKANNO_PINSWAP);
    EXPECT_EQ(Records()[0].args, (Names{"U1", "1", "U1", "2"}));
    EXPECT_EQ(Records()[0].dwUndoActionID, 0xFFFFFFFFu);
}

TEST_F(PinExecution, AConnectedPinExchangedWithAnUnconnectedOneAndBack)
{
    CSwapItemPin connected(p[0], nullptr), loose(p[3], nullptr);
    ASSERT_TRUE(connected.Swap(&loose));
    EXPECT_EQ(NetOf(p[0]), "");
    EXPECT_EQ(p[0]->GetNetConnection()->GetNetPin(), nullptr);
    EXPECT_EQ(PinsOf(n1), (Names{"R1.1", "U1.4"}));
    // And back, with the unconnected pin as the argument; the record carries the last undo action.
    board.Sheet()->GetDrawingStore()->PushAction(41);
    board.Sheet()->GetDrawingStore()->PushAction(42);
    CSwapItemPin nowConnected(p[3], nullptr), nowLoose(p[0], nullptr);
    ASSERT_TRUE(nowConnected.Swap(&nowLoose));
    EXPECT_EQ(PinsOf(n1), (Names{"R1.1", "U1.1"}));
    EXPECT_EQ(NetOf(p[3]), "");
    ExpectEditsOutsideBackAnnotation();
    ASSERT_EQ(Records().size(), 2u);
    EXPECT_EQ(Records()[0].args, (Names{"U1", "1", "U1", "4"}));
    EXPECT_EQ(Records()[1].args, (Names{"U1", "4", "U1", "1"}));
    EXPECT_EQ(Records()[1].dwUndoActionID, 42u);
}

TEST_F(PinExecution, MissingDesignatorAndNumberGiveEmptyTexts)
{
    auto* bare = board.Sheet()->GetDrawingStore()->Add(std::make_unique<CLayoutComponent>());
    bare->SetAllowPinSwapping(true);
    CLayoutPin* a = board.Pin(bare, {0, 5000}, {{LQ_PINGROUP, "1"}});
    CLayoutPin* b = board.Pin(bare, {100, 5000}, {{LQ_PINGROUP, "1"}});
    CLayoutNetlist::AttachPin(a, n3);
    CSwapItemPin first(a, nullptr), second(b, nullptr);
    ASSERT_TRUE(first.Swap(&second));
    EXPECT_EQ(PinsOf(n3), (Names{"U1.3", "."}));
    EXPECT_EQ(n3->GetNetPin(1)->GetDrawObject(), b);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].args, (Names{"", "", "", ""}));
}

TEST_F(PinExecution, NoRecordWithoutALayoutSheetThatAcceptsBackAnnotation)
{
    CDrwSubSheet schematic(LQ_DOCTYPE_SCHEMATIC);
    const struct {
        const char* what;
        std::function<void()> arrange;
    } cases[] = {
        {"no current sheet", [] { LQSetDrwSubSheet(nullptr); }},
        {"not a layout sheet", [&] { LQSetDrwSubSheet(&schematic); }},
        {"back annotation suppressed", [&] { board.Sheet()->SetSuppressBackAnnotation(true); }},
        {"no manager", [&] { board.Sheet()->SetBackAnnotationManager(false); }},
    };
    for (const auto& c : cases) {
        UseSheet(board);
        board.Sheet()->SetSuppressBackAnnotation(false);
        board.Sheet()->SetBackAnnotationManager(true);
        c.arrange();
        const Names before = NetsOf({p[1], p[0]});
        CSwapItemPin first(p[0], nullptr), second(p[1], nullptr);
        EXPECT_TRUE(first.Swap(&second)) << c.what;
        // The nets are exchanged all the same.
        EXPECT_EQ(NetsOf({p[0], p[1]}), before) << c.what;
        board.Sheet()->SetBackAnnotationManager(true);
        EXPECT_TRUE(Records().empty()) << c.what;
    }
}

TEST_F(PinExecution, RefusedAndOneSidedOperationsUseOnlyAPinPartnersRememberedNet)
{
    CSwapItemPin onN1(p[0], nullptr), onN2(p[1], nullptr), loose(p[3], nullptr), other(gateB, nullptr);
    CStubItem stranger;
    // A refused pair, a partner that remembered no net, or of another kind: nothing changes.
    EXPECT_FALSE(onN1.Swap(&other));
    EXPECT_FALSE(onN1.Swap(&stranger));
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
    EXPECT_EQ(PinsOf(n2), (Names{"R1.2", "U1.1", "U1.4"}));
    EXPECT_TRUE(Records().empty());
    ExpectEditsOutsideBackAnnotation();
}

TEST_F(PinExecution, APermutationDoesNotDependOnTheConnectOrder)
{
    std::array<int, 3> order{0, 1, 2};
    do {
        BoardBuilder fresh;
        UseSheet(fresh);
        CLayoutComponent* part = fresh.Part("U9");
        std::vector<std::unique_ptr<CSwapItemPin>> items;
        std::vector<CLayoutNet*> nets;
        for (int i = 0; i < 3; ++i) {
            CLayoutPin* pin = fresh.GatePin(part, CLQPoint(100 * i, 0), std::to_string(i + 1), "A", "G", "1");
            nets.push_back(fresh.Net(std::string(1, char('A' + i)), {pin}));
            items.push_back(std::make_unique<CSwapItemPin>(pin, nullptr));
            items.back()->Unconnect();
        }
        // Each pin takes the net of the next one.
        for (int i : order)
            items[i]->Connect(items[(i + 1) % 3].get(), nullptr);
        SCOPED_TRACE(std::to_string(order[0]) + std::to_string(order[1]) + std::to_string(order[2]));
        for (int i = 0; i < 3; ++i) {
            items[i]->Refresh();
            EXPECT_EQ(items[i]->GetRememberedNet(), nets[(i + 1) % 3]);
            EXPECT_TRUE(items[i]->IsConnected());
            EXPECT_EQ(PinsOf(nets[(i + 1) % 3]), (Names{"U9." + std::to_string(i + 1)}));
        }
        EXPECT_TRUE(CLayoutNet::m_bBackAnnotate);
        EXPECT_TRUE(fresh.Sheet()->GetBackAnnotationManager()->GetRecords().empty());
        UseSheet(board);
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(PinExecution, SinglePinEditsSetTheSwitchBackOnAndNeverPutAPinOnASecondNet)
{
    CSwapItemPin::Unconnect(p[3]);  // unconnected already: nothing to do
    EXPECT_TRUE(netlist()->GetEdits().empty());
    CLayoutNet::m_bBackAnnotate = false;
    CSwapItemPin::Unconnect(p[0]);
    EXPECT_TRUE(CLayoutNet::m_bBackAnnotate);
    EXPECT_EQ(p[0]->GetNetConnection()->GetNetPin(), nullptr);
    EXPECT_EQ(PinsOf(n1), (Names{"R1.1"}));
    CLayoutNet::m_bBackAnnotate = false;
    CSwapItemPin::Connect(p[3], n3);
    EXPECT_TRUE(CLayoutNet::m_bBackAnnotate);
    EXPECT_EQ(PinsOf(n3), (Names{"U1.3", "U1.4"}));
    ExpectEditsOutsideBackAnnotation();
    // A pin that still has a net pin is not put on a second net.
    CSwapItemPin::Connect(p[1], n3);
    EXPECT_EQ(NetOf(p[1]), "N2");
    EXPECT_EQ(netlist()->GetEdits().size(), 2u);

    // IsConnected is live; Refresh renews the remembered net.
    CSwapItemPin item(p[0], nullptr);
    EXPECT_FALSE(item.IsConnected());
    CSwapItemPin::Connect(p[0], n2);
    EXPECT_TRUE(item.IsConnected());
    EXPECT_EQ(item.GetRememberedNet(), nullptr);
    item.Refresh();
    EXPECT_EQ(item.GetRememberedNet(), n2);
}

}  // namespace
