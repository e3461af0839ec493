// The gate swap item: gate-to-gate distance, the one-sided operations and the complete exchange.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "host/HostApp.h"
#include "host/Net.h"
#include "module/autoswap/AutoSwapD.h"
#include "module/autoswap/AutoSwapNoOpt.h"
#include "module/gates/Gate.h"
#include "module/swap/ConnectionData.h"
#include "module/swap/SwapItemGate.h"
#include "module/swap/SwapItemPin.h"
#include "tests/support/ModuleFixture.h"

namespace {
using lqtest::CountNetPins;
using lqtest::NetOf;

class GateItem : public lqtest::ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        u1 = board.Part("U1");
        j1 = board.Part("J1", 0);
    }

    CGate* Gate(CLayoutComponent* part, const char* name, const char* group, std::vector<CLayoutPin*> pins)
    {
        m_gates.push_back(std::make_unique<CGate>(part, name, group));
        for (CLayoutPin* pin : pins)
            m_gates.back()->AddPin(pin);
        return m_gates.back().get();
    }
    // A pin of a part that belongs to no gate, on the given net.
    CLayoutPin* Foreign(CLQPoint at, CLayoutNet* net)
    {
        CLayoutPin* pin = board.GatePin(j1, at, std::to_string(++m_nForeign), "", "", "");
        lqtest::BoardBuilder::Attach(pin, net);
        return pin;
    }
    const std::vector<CBackAnnotationRecord>& Records() { return board.Sheet()->GetBackAnnotationManager()->GetRecords(); }

    static std::vector<CAutoSwap*> Entries(CObject** data)
    {
        std::vector<CAutoSwap*> out;
        for (CObject** p = data; p != nullptr && *p != nullptr; ++p)
            out.push_back(DYNAMIC_DOWNCAST(CAutoSwap, *p));
        return out;
    }
    static CLayoutPin* PinOf(CSwapItem* item) { return static_cast<CSwapItemPin*>(item)->GetPin(); }

    CLayoutComponent* u1 = nullptr;
    CLayoutComponent* j1 = nullptr;

private:
    std::vector<std::unique_ptr<CGate>> m_gates;
    int m_nForeign = 0;
};

TEST_F(GateItem, DistancePairsThePinsOfMatchedGroupsForTheLeastTotal)
{
    CLayoutPin* p1 = board.GatePin(u1, {0, 0}, "1", "A", "G", "1");
    CLayoutPin* p2 = board.GatePin(u1, {30, 0}, "2", "A", "G", "1");
    CLayoutPin* q1 = board.GatePin(u1, {0, 500}, "3", "B", "G", "1");
    CLayoutPin* q2 = board.GatePin(u1, {30, 500}, "4", "B", "G", "1");
    // P1 lies 10 from Q1's net and 30 from Q2's; P2 20 and 15.
    Foreign({10, 0}, board.Net("N1", {q1}));
    Foreign({26, 15}, board.Net("N2", {q2}));
    CGate* a = Gate(u1, "A", "G", {p1, p2});
    CGate* b = Gate(u1, "B", "G", {q1, q2});

    CSwapItemGate item(a, true), other(b, true);
    CObject** data = nullptr;
    EXPECT_EQ(item.GetDistance(&other, data, 0), 25);
    const std::vector<CAutoSwap*> entries = Entries(data);
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_TRUE(entries[0]->IsKindOf(RUNTIME_CLASS(CAutoSwapD)));
    EXPECT_EQ(PinOf(entries[0]->GetRows()[0]), p1);
    EXPECT_EQ(PinOf(entries[0]->GetCols()[0]), q1);
    EXPECT_EQ(entries[0]->GetAssignedRow(0), 0);
    EXPECT_EQ(entries[0]->GetAssignedRow(1), 1);
    ReleaseConnectionData(data);

    // Without optimisation the pins pair in order and each group counts 1.
    CSwapItemGate plain(a, false), plainOther(b, false);
    data = nullptr;
    EXPECT_EQ(plain.GetDistance(&plainOther, data, 0), 1);
    ASSERT_EQ(Entries(data).size(), 1u);
    EXPECT_TRUE(Entries(data)[0]->IsKindOf(RUNTIME_CLASS(CAutoSwapNoOpt)));
    ReleaseConnectionData(data);
}

TEST_F(GateItem, DistanceMatchesGroupsFirstFitAndLeavesAnUnmatchedGroupOut)
{
    CLayoutPin* a1 = board.GatePin(u1, {0, 0}, "1", "A", "G", "1");
    CLayoutPin* a2 = board.GatePin(u1, {0, 100}, "2", "A", "G", "1");
    CLayoutPin* a3 = board.GatePin(u1, {0, 200}, "3", "A", "G", "2");
    CLayoutPin* b1 = board.GatePin(u1, {900, 0}, "4", "B", "G", "3");
    CLayoutPin* b2 = board.GatePin(u1, {900, 100}, "5", "B", "G", "3");
    CLayoutPin* b3 = board.GatePin(u1, {900, 200}, "6", "B", "G", "2");
    board.Net("N1", {b1, b2});
    Foreign({0, 207}, board.Net("N3", {b3}));
    CSwapItemGate item(Gate(u1, "A", "G", {a1, a2, a3}), true);
    CSwapItemGate other(Gate(u1, "B", "G", {b1, b2, b3}), true);

    // B's first group (pin group 3) finds no partner; its second takes A's pin group 2.
    CObject** data = nullptr;
    EXPECT_EQ(item.GetDistance(&other, data, 0), 7);
    const std::vector<CAutoSwap*> entries = Entries(data);
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_EQ(entries[0]->GetRowCount(), 1);
    ASSERT_EQ(entries[0]->GetColCount(), 1);
    EXPECT_EQ(PinOf(entries[0]->GetRows()[0]), a3);
    EXPECT_EQ(PinOf(entries[0]->GetCols()[0]), b3);
    ReleaseConnectionData(data);
}

TEST_F(GateItem, DistanceRefusalsGiveMinusOneOrTheFallback)
{
    CLayoutPin* a1 = board.GatePin(u1, {0, 0}, "1", "A", "G", "1");
    CLayoutPin* a2 = board.GatePin(u1, {0, 100}, "2", "A", "G", "2");
    CLayoutPin* b1 = board.GatePin(u1, {500, 0}, "3", "B", "G", "1");
    CLayoutPin* b2 = board.GatePin(u1, {500, 100}, "4", "B", "G", "2");
    CLayoutPin* c1 = board.GatePin(u1, {900, 0}, "5", "C", "G", "1");
    board.Net("N1", {a1});
    CSwapItemGate twoGroups(Gate(u1, "A", "G", {a1, a2}), true);
    CSwapItemGate alsoTwo(Gate(u1, "B", "G", {b1, b2}), true);
    CSwapItemGate oneGroup(Gate(u1, "C", "G", {c1}), true);
    CSwapItemPin pinItem(a1, nullptr);

    CObject* untouched[1] = {nullptr};
    CObject** data = untouched;
    EXPECT_EQ(twoGroups.GetDistance(&pinItem, data, 77), -1);
    EXPECT_EQ(twoGroups.GetDistance(nullptr, data, 77), -1);
    EXPECT_EQ(twoGroups.GetDistance(&oneGroup, data, 77), 77);
    EXPECT_EQ(oneGroup.GetDistance(&twoGroups, data, 77), 77);
    EXPECT_EQ(data, untouched);

    // B's pins are on no net, so every pin distance is 0: the sum 0 gives the fallback, with a list.
    data = nullptr;
    EXPECT_EQ(twoGroups.GetDistance(&alsoTwo, data, -1), -1);
    EXPECT_EQ(Entries(data).size(), 2u);
    ReleaseConnectionData(data);
}

// Regression: a group without a complete pairing (INT64_MAX) plus another group's total
// overflowed the sum and wrapped to a negative distance.
TEST_F(GateItem, DistanceSaturatesWhenAGroupCannotBePaired)
{
    CLayoutPin* a1 = board.GatePin(u1, {0, 0}, "1", "A", "G", "1");
    CLayoutPin* a2 = board.GatePin(u1, {0, 100}, "2", "A", "G", "2");
    CLayoutPin* b1 = board.GatePin(u1, {500, 0}, "3", "B", "G", "1");
    CLayoutPin* b2 = board.GatePin(u1, {500, 50}, "4", "B", "G", "1");
    CLayoutPin* b3 = board.GatePin(u1, {500, 100}, "5", "B", "G", "2");
    Foreign({0, 130}, board.Net("N3", {b3}));
    CSwapItemGate item(Gate(u1, "A", "G", {a1, a2}), true);
    CSwapItemGate other(Gate(u1, "B", "G", {b1, b2, b3}), true);
    CObject** data = nullptr;
    // A's pin group 1 has one pin for B's two; pin group 2 costs 30.
    EXPECT_EQ(item.GetDistance(&other, data, 0), std::numeric_limits<std::int64_t>::max());
    ASSERT_EQ(Entries(data).size(), 2u);
    EXPECT_EQ(Entries(data)[1]->GetPairDistance(0, 0), 30);
    ReleaseConnectionData(data);
}

// Two gates of one package whose inputs pair crosswise and whose own pin optimisation then
// changes the pairing again, because the pins of the other gate count as foreign afterwards.
class GateExchangeInOnePackage : public GateItem {
protected:
    void SetUp() override
    {
        GateItem::SetUp();
        a1 = board.GatePin(u1, {0, 0}, "1", "A", "G", "1");
        a2 = board.GatePin(u1, {0, 1000}, "2", "A", "G", "1");
        b1 = board.GatePin(u1, {100, 1000}, "3", "B", "G", "1");
        b2 = board.GatePin(u1, {100, 0}, "4", "B", "G", "1");
        board.Net("S", {a1, b1});
        Foreign({-5000, 500}, board.Net("N2", {a2}));
        Foreign({5000, 500}, board.Net("N3", {b2}));
        a = Gate(u1, "A", "G", {a1, a2});
        b = Gate(u1, "B", "G", {b1, b2});
        board.Sheet()->GetNetlist()->ClearRecords();
    }

    CLayoutPin *a1 = nullptr, *a2 = nullptr, *b1 = nullptr, *b2 = nullptr;
    CGate *a = nullptr, *b = nullptr;
};

TEST_F(GateExchangeInOnePackage, MovesThePairedPinsRecordsKind12AndOptimisesBothGates)
{
    const int nNetPins = CountNetPins(board.Sheet());
    CSwapItemGate item(a, true), other(b, true);
    ASSERT_TRUE(item.Swap(&other));

    // The exchange puts A2 on S and A1 on N3 (B1's and B2's nets), B2 on S and B1 on N2; A's own
    // pin optimisation then finds A1 nearer B2 on S and swaps A1 and A2.
    EXPECT_EQ(NetOf(a1), "S");
    EXPECT_EQ(NetOf(a2), "N3");
    EXPECT_EQ(NetOf(b1), "N2");
    EXPECT_EQ(NetOf(b2), "S");
    EXPECT_EQ(CountNetPins(board.Sheet()), nNetPins);

    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].eKind, BACKANNO_GATESWAP);
    EXPECT_EQ(Records()[0].dwUndoActionID, 0xFFFFFFFFu);
    EXPECT_EQ(Records()[0].args, (std::vector<std::string>{"U1", "A", "U1", "B"}));
    // A manual exchange leaves updating the netlist to its caller.
    EXPECT_TRUE(board.Sheet()->GetNetlist()->GetUpdates().empty());
}

TEST_F(GateExchangeInOnePackage, WithoutOptimisationThePinsPairInOrderAndStayThere)
{
    board.Sheet()->GetDrawingStore()->PushAction(42);
    CSwapItemGate item(a, false), other(b, false);
    ASSERT_TRUE(item.Swap(&other));
    EXPECT_EQ(NetOf(a1), "S");
    EXPECT_EQ(NetOf(a2), "N3");
    EXPECT_EQ(NetOf(b1), "S");
    EXPECT_EQ(NetOf(b2), "N2");
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].dwUndoActionID, 42u);
}

TEST_F(GateExchangeInOnePackage, ExchangeBetweenItemsOfDifferentOptimisationIsRefused)
{
    CSwapItemGate item(a, true), other(b, false);
    EXPECT_FALSE(item.CanSwap(&other, SWAP_GATE, false, true, true));
    EXPECT_FALSE(item.Swap(&other));
    EXPECT_EQ(NetOf(a1), "S");
    EXPECT_EQ(NetOf(b2), "N3");
    EXPECT_TRUE(Records().empty());
}

TEST_F(GateExchangeInOnePackage, OneSidedOperationsWithoutAListOrWithAPinItemChangeNothing)
{
    CSwapItemGate item(a, true), other(b, true);
    CSwapItemPin pinItem(b1, b);
    CObject** data = nullptr;
    item.GetDistance(&other, data, 0);
    ASSERT_NE(data, nullptr);

    item.Swap(&pinItem, data);
    item.Connect(&pinItem, data);
    item.Swap(nullptr, data);
    item.Connect(nullptr, data);
    item.Swap(&other, nullptr);
    item.Connect(&other, nullptr);
    ReleaseConnectionData(data);

    EXPECT_EQ(NetOf(a1), "S");
    EXPECT_EQ(NetOf(a2), "N2");
    EXPECT_EQ(NetOf(b1), "S");
    EXPECT_EQ(NetOf(b2), "N3");
    EXPECT_TRUE(board.Sheet()->GetNetlist()->GetEdits().empty());
}

TEST_F(GateItem, UnconnectKeepsThePowerPinsOfARealGateOnly)
{
    struct Case {
        const char* gateName;  // "" makes a pseudo-gate
        const char* type;
        const char* powerNetAfter;
        bool bStillConnected;  // IsConnected compares the type with its letter case
    };
    for (const Case& c : {Case{"A", "PWR", "VCC", false}, Case{"A", "pwr", "VCC", true}, Case{"", "PWR", "", false}}) {
        SCOPED_TRACE(std::string(c.gateName) + " " + c.type);
        lqtest::BoardBuilder local;
        UseSheet(local);
        CLayoutComponent* part = local.Part("U9");
        CLayoutPin* signal = local.GatePin(part, {0, 0}, "1", "A", "G", "1");
        CLayoutPin* power = local.GatePin(part, {0, 100}, "14", "A", "G", "", c.type);
        local.Net("S", {signal});
        local.Net("VCC", {power});
        CSwapItemGate item(Gate(part, c.gateName, *c.gateName ? "G" : "", {signal, power}), true);
        item.Unconnect();
        EXPECT_EQ(NetOf(signal), "");
        EXPECT_EQ(NetOf(power), c.powerNetAfter);
        EXPECT_EQ(CountNetPins(local.Sheet()), *c.powerNetAfter ? 1 : 0);
        EXPECT_EQ(item.IsConnected(), c.bStillConnected);
    }
    UseSheet(board);
}

}  // namespace
