// The gate swap item: gate-to-gate distance, the one-sided operations and the complete exchange,
// which never loses, doubles or cross-wires a connection, manual or automatic.
#include <gtest/gtest.h>

#include <limits>

#include "host/AttributeNames.h"
#include "host/Net.h"
#include "module/autoswap/AutoSwapD.h"
#include "module/autoswap/AutoSwapF.h"
#include "module/autoswap/AutoSwapNoOpt.h"
#include "module/gates/Gate.h"
#include "module/swap/ConnectionData.h"
#include "module/swap/SwapItemGate.h"
#include "module/swap/SwapItemPin.h"
#include "tests/support/ModuleFixture.h"

namespace {
using namespace lqtest;
using Strings = std::vector<std::string>;

class GateItem : public ModuleTest {
protected:
    CGate* Gate(const char* name, std::vector<CLayoutPin*> pins)
    {
        CGate* gate = m_gates.emplace_back(std::make_unique<CGate>(u1, name, "G")).get();
        for (CLayoutPin* pin : pins)
            gate->AddPin(pin);
        return gate;
    }
    // Pins are numbered 1, 2, ... in the order made.
    CLayoutPin* Pin(CLQPoint at, const char* gate, const char* pinGroup)
    {
        return board.GatePin(u1, at, std::to_string(++m_nPins), gate, "G", pinGroup);
    }
    // The distance, and each pairing of its list as "D|N rows/columns/assigned rows" with the pins'
    // numbers (D optimising, N in order, - for no row); the list is released.
    static std::pair<std::int64_t, Strings> Distance(CSwapItem& a, CSwapItem* b, std::int64_t fallback = 0)
    {
        CObject** data = nullptr;
        const std::int64_t d = a.GetDistance(b, data, fallback);
        Strings pairings;
        for (CObject** p = data; p != nullptr && *p != nullptr; ++p) {
            auto* pairing = DYNAMIC_DOWNCAST(CAutoSwap, *p);
            std::string s = pairing->IsKindOf(RUNTIME_CLASS(CAutoSwapD)) ? "D " : "N ";
            for (const auto* items : {&pairing->GetRows(), &pairing->GetCols()}) {
                for (CSwapItem* item : *items)
                    s += static_cast<CSwapItemPin*>(item)->GetPin()->GetAttributeWithTag(LQ_PIN)->GetValueText().str();
                s += "/";
            }
            for (std::int32_t k = 0; k < pairing->GetColCount(); ++k)
                s += pairing->GetAssignedRow(k) < 0 ? "-" : std::to_string(pairing->GetAssignedRow(k));
            pairings.push_back(s);
        }
        ReleaseConnectionData(data);
        return {d, pairings};
    }
    using Measured = std::pair<std::int64_t, Strings>;

    CLayoutComponent* u1 = board.Part("U1");

private:
    std::vector<std::unique_ptr<CGate>> m_gates;
    int m_nPins = 0;
};

TEST_F(GateItem, DistancePairsThePinsOfMatchedGroupsForTheLeastTotal)
{
    CGate* a = Gate("A", {Pin({0, 0}, "A", "1"), Pin({30, 0}, "A", "1")});
    CGate* b = Gate("B", {Pin({0, 500}, "B", "1"), Pin({30, 500}, "B", "1")});
    // Pin 1 lies 10 from pin 3's net and 30 from pin 4's; pin 2 20 and 15.
    board.Wire(b->GetPins()[0], {10, 0}, "N1");
    board.Wire(b->GetPins()[1], {26, 15}, "N2");
    CSwapItemGate item(a, true), other(b, true);
    EXPECT_EQ(Distance(item, &other), (Measured{25, {"D 12/34/01"}}));
    // Without optimisation the pins pair in order and each group counts 1.
    CSwapItemGate plain(a, false), plainOther(b, false);
    EXPECT_EQ(Distance(plain, &plainOther), (Measured{1, {"N 12/34/01"}}));
    // Groups match first fit: C's first group (pin group 3) finds no partner; its second takes pin group 2.
    CGate* c = Gate("C", {Pin({0, 2000}, "C", "1"), Pin({0, 2100}, "C", "1"), Pin({0, 2200}, "C", "2")});
    CGate* d = Gate("D", {Pin({900, 2000}, "D", "3"), Pin({900, 2100}, "D", "3"), Pin({900, 2200}, "D", "2")});
    board.Net("N4", {d->GetPins()[0], d->GetPins()[1]});
    board.Wire(d->GetPins()[2], {0, 2207}, "N6");
    CSwapItemGate third(c, true), fourth(d, true);
    EXPECT_EQ(Distance(third, &fourth), (Measured{7, {"D 7/10/0"}}));
}

TEST_F(GateItem, DistanceRefusalsGiveMinusOneOrTheFallbackAndSaturate)
{
    CLayoutPin* a1 = Pin({0, 0}, "A", "1");
    board.Net("N1", {a1});
    CSwapItemGate twoGroups(Gate("A", {a1, Pin({0, 100}, "A", "2")}), true);
    CSwapItemGate alsoTwo(Gate("B", {Pin({500, 0}, "B", "1"), Pin({500, 100}, "B", "2")}), true);
    CSwapItemGate oneGroup(Gate("C", {Pin({900, 0}, "C", "1")}), true);
    CSwapItemPin pinItem(a1, nullptr);
    CObject* untouched[1] = {nullptr};
    CObject** data = untouched;
    EXPECT_EQ(twoGroups.GetDistance(&pinItem, data, 77), -1);
    EXPECT_EQ(twoGroups.GetDistance(nullptr, data, 77), -1);
    EXPECT_EQ(twoGroups.GetDistance(&oneGroup, data, 77), 77);
    EXPECT_EQ(oneGroup.GetDistance(&twoGroups, data, 77), 77);
    EXPECT_EQ(data, untouched);
    // B's pins are on no net, so every pin distance is 0: the sum 0 gives the fallback, with a list.
    EXPECT_EQ(Distance(twoGroups, &alsoTwo, -1), (Measured{-1, {"D 1/3/0", "D 2/4/0"}}));

    // Regression: a group without a complete pairing (INT64_MAX) plus another group's total
    // overflowed the sum and wrapped to a negative distance. D's pin group 1 has one pin for E's
    // two; pin group 2 costs 30.
    CSwapItemGate item(Gate("D", {Pin({0, 2000}, "D", "1"), Pin({0, 2100}, "D", "2")}), true);
    CGate* e = Gate("E", {Pin({500, 2000}, "E", "1"), Pin({500, 2050}, "E", "1"), Pin({500, 2100}, "E", "2")});
    board.Wire(e->GetPins()[2], {0, 2130}, "N3");
    CSwapItemGate other(e, true);
    EXPECT_EQ(Distance(item, &other),
              (Measured{std::numeric_limits<std::int64_t>::max(), {"D 6/89/--", "D 7/10/0"}}));
}

// Two gates of one package whose inputs pair crosswise and whose own pin optimisation then
// changes the pairing again, because the pins of the other gate count as foreign afterwards.
TEST_F(GateItem, OneSidedOperationsWithoutAListChangeNothingAndSwapsMoveThePairedPins)
{
    CLayoutPin *a1 = Pin({0, 0}, "A", "1"), *a2 = Pin({0, 1000}, "A", "1");
    CLayoutPin *b1 = Pin({100, 1000}, "B", "1"), *b2 = Pin({100, 0}, "B", "1");
    board.Net("S", {a1, b1});
    board.Wire(a2, {-5000, 500}, "N2");
    board.Wire(b2, {5000, 500}, "N3");
    CGate *a = Gate("A", {a1, a2}), *b = Gate("B", {b1, b2});
    board.Sheet()->GetNetlist()->ClearRecords();
    auto nets = [&] { return NetsOf({a1, a2, b1, b2}); };
    CSwapItemGate item(a, true), other(b, true), plain(b, false), plainA(a, false);
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
    // Items of different optimisation are refused.
    EXPECT_FALSE(item.CanSwap(&plain, SWAP_GATE, false, true, true));
    EXPECT_FALSE(item.Swap(&plain));
    EXPECT_TRUE(board.Sheet()->GetNetlist()->GetEdits().empty());

    const auto sizes = NetSizes(board.Sheet());
    ASSERT_TRUE(item.Swap(&other));
    // The exchange puts A2 on S and A1 on N3 (B1's and B2's nets), B2 on S and B1 on N2; A's own
    // pin optimisation then finds A1 nearer B2 on S and swaps A1 and A2.
    EXPECT_EQ(nets(), (Strings{"S", "N3", "N2", "S"}));
    EXPECT_EQ(NetSizes(board.Sheet()), sizes);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].eKind, BACKANNO_GATESWAP);
    EXPECT_EQ(Records()[0].dwUndoActionID, 0xFFFFFFFFu);
    EXPECT_EQ(Records()[0].args, (Strings{"U1", "A", "U1", "B"}));
    // A manual exchange leaves updating the netlist to its caller.
    EXPECT_EQ(Updates(board.Sheet()), 0u);

    // Without optimisation the pins pair in order and stay there.
    board.Sheet()->GetDrawingStore()->PushAction(42);
    ASSERT_TRUE(plainA.Swap(&plain));
    EXPECT_EQ(nets(), (Strings{"N2", "S", "S", "N3"}));
    ASSERT_EQ(Records().size(), 2u);
    EXPECT_EQ(Records()[1].dwUndoActionID, 42u);
}

struct PinDef {
    std::string number, pinGroup, type;
    int y;
};
const std::vector<PinDef> kBuffer{{"1", "1", "", 0}, {"2", "1", "", 100}, {"3", "2", "", 200}};

// Two packages U1 (x = 0) and U2 (x = 1000) of one gate each, its pins added in the order given.
// Each signal pin is on a net "REF.NUMBER" that ends beside the same pin of the other package, so
// that exchanging the gates shortens every connection; pins "14" share the net VCC.
class GateExchange : public ModuleTest {
protected:
    void MakePair(const std::vector<PinDef>& pins1, const std::vector<PinDef>& pins2, bool bPinSwap2 = true,
                  const char* gate = "A")
    {
        for (int k : {0, 1}) {
            const std::string ref = k == 0 ? "U1" : "U2";
            CLayoutComponent* part = board.Part(ref, 2, k == 0 || bPinSwap2, {{"Value", "7400"}});
            gates[k] = std::make_unique<CGate>(part, gate, *gate ? "BUF" : "");
            for (const PinDef& d : k == 0 ? pins1 : pins2) {
                CLayoutPin* pin =
                    board.GatePin(part, {1000 * k, d.y}, d.number, gate, *gate ? "BUF" : "", d.pinGroup, d.type);
                gates[k]->AddPin(pins[k][d.number] = pin);
                if (d.type.empty() || !*gate)
                    board.Wire(pin, {k == 0 ? 1050 : -50, d.y}, ref + "." + d.number);
            }
        }
        if (pins[0].count("14") != 0 && *gate) {
            vcc = board.Wire(pins[0].at("14"), {500, 1000}, "VCC");
            CLayoutNetlist::AttachPin(pins[1].at("14"), vcc);
        }
        first = std::make_unique<CSwapItemGate>(gates[0].get(), true);
        second = std::make_unique<CSwapItemGate>(gates[1].get(), true);
        sizes = NetSizes(board.Sheet());
    }
    std::map<CLayoutPin*, std::string> Nets() const
    {
        std::map<CLayoutPin*, std::string> out;
        for (const auto& side : pins)
            for (const auto& [number, pin] : side)
                out[pin] = NetOf(pin);
        return out;
    }
    void ExpectExchanged(const std::vector<std::string>& numbers)
    {
        for (const std::string& n : numbers) {
            EXPECT_EQ(NetOf(pins[0].at(n)), "U2." + n);
            EXPECT_EQ(NetOf(pins[1].at(n)), "U1." + n);
        }
        EXPECT_EQ(NetSizes(board.Sheet()), sizes);
        ExpectConsistentNets(board.Sheet());
    }
    void RunAutomatic() { CAutoSwapF({first.get(), second.get()}).Run(); }

    std::unique_ptr<CGate> gates[2];
    std::map<std::string, CLayoutPin*> pins[2];  // by pin number
    std::unique_ptr<CSwapItemGate> first, second;
    CLayoutNet* vcc = nullptr;
    std::map<std::string, int> sizes;
};

// Regression: pseudo-gates paired their pins by list position, so packages whose pins are stored
// in different orders were cross-wired, power pins included.
TEST_F(GateExchange, PseudoGatesPairTheirPinsByIdentity)
{
    MakePair({{"1", "", "", 0}, {"2", "", "", 100}, {"7", "", "PWR", 200}, {"14", "", "PWR", 300}},
             {{"14", "", "PWR", 300}, {"2", "", "", 100}, {"7", "", "PWR", 200}, {"1", "", "", 0}}, true, "");
    ASSERT_TRUE(first->Swap(second.get()));
    ExpectExchanged({"1", "2", "7", "14"});
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].args, (Strings{"U1", "", "U2", ""}));
}

// Regression: the power pin of a real gate (here in a pin group of its own) stayed on its net
// through the gate's UnConnect and was then put on the net a second time.
TEST_F(GateExchange, AutomaticAndManualExchangesLeaveTheVccPinsOfTheGatesOnTheirNetOnce)
{
    std::vector<PinDef> withVcc = kBuffer;
    withVcc.push_back({"14", "3", "PWR", 300});
    MakePair(withVcc, withVcc);
    RunAutomatic();
    ExpectExchanged({"1", "2", "3"});
    EXPECT_EQ(NetsOf({pins[0].at("14"), pins[1].at("14")}), (Strings{"VCC", "VCC"}));
    EXPECT_EQ(vcc->GetNetPinCount(), 3);
    // And back.
    ASSERT_TRUE(second->Swap(first.get()));
    EXPECT_EQ(NetsOf({pins[0].at("1"), pins[1].at("1"), pins[0].at("14"), pins[1].at("14")}),
              (Strings{"U1.1", "U2.1", "VCC", "VCC"}));
    EXPECT_EQ(vcc->GetNetPinCount(), 3);
    ExpectConsistentNets(board.Sheet());
    EXPECT_EQ(Records().size(), 1u);
}

// Regression: with a group of one gate matched to no group of the other, the automatic pass took
// every signal pin of both gates off its net and put back only the matched ones, and the manual
// exchange sent a gate-swap record for an exchange that did not happen.
TEST_F(GateExchange, AnIncompletePairingIsRefusedAndChangesNothing)
{
    const struct {
        const char* name;
        std::vector<PinDef> pins1, pins2;
        bool bPinSwap2;
    } cases[] = {
        // U2 forbids pin swapping: its inputs form two groups against U1's one.
        {"different group counts", kBuffer, kBuffer, false},
        // U1's input group is led by a power pin, which accepts no input of U2 as partner.
        {"a representative that accepts nothing",
         {{"14", "1", "PWR", 300}, {"1", "1", "", 0}, {"2", "1", "", 100}, {"3", "2", "", 200}},
         {{"1", "1", "", 0}, {"2", "1", "", 100}, {"3", "2", "", 200}, {"14", "1", "PWR", 300}},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BoardBuilder fresh;
        std::swap(board, fresh);
        UseSheet(board);
        MakePair(c.pins1, c.pins2, c.bPinSwap2);
        const std::map<CLayoutPin*, std::string> before = Nets();
        board.Sheet()->GetNetlist()->ClearRecords();
        ASSERT_TRUE(first->CanSwap(second.get(), SWAP_GATE, false, true, true));
        EXPECT_FALSE(first->Swap(second.get()));
        EXPECT_TRUE(Records().empty());
        EXPECT_TRUE(board.Sheet()->GetNetlist()->GetEdits().empty());
        RunAutomatic();
        EXPECT_EQ(Nets(), before);
        EXPECT_EQ(NetSizes(board.Sheet()), sizes);
        first.reset(), second.reset(), gates[0].reset(), gates[1].reset(), pins[0].clear(), pins[1].clear();
    }
}

TEST_F(GateExchange, UnmatchedGroupsOfPowerPinsKeepTheirNetsWhileTheSignalsAreExchanged)
{
    // VCC and GND share a pin group, stored in opposite orders, so the groups are led by
    // different pins and never match.
    std::vector<PinDef> pins1 = kBuffer, pins2 = kBuffer;
    pins1.insert(pins1.end(), {{"14", "P", "PWR", 300}, {"7", "P", "PWR", 400}});
    pins2.insert(pins2.end(), {{"7", "P", "PWR", 400}, {"14", "P", "PWR", 300}});
    MakePair(pins1, pins2);
    CLayoutNetlist::AttachPin(pins[1].at("7"), board.Wire(pins[0].at("7"), {500, -1000}, "GND"));
    sizes = NetSizes(board.Sheet());
    RunAutomatic();
    ExpectExchanged({"1", "2", "3"});
    EXPECT_EQ(NetsOf({pins[0].at("14"), pins[1].at("14"), pins[0].at("7"), pins[1].at("7")}),
              (Strings{"VCC", "VCC", "GND", "GND"}));
}

// Regression: groups formed before copper was laid still exchanged the pins now on copper.
TEST_F(GateExchange, ItemsOnCopperLaidAfterGroupingAreNotExchanged)
{
    MakePair(kBuffer, kBuffer);
    // U1's inputs 1 and 2 each lie nearer the other's net.
    CLayoutPin* in1 = pins[0].at("1");
    CLayoutNetlist::AttachPin(board.Pin(nullptr, {0, 90}, {}), in1->GetNetConnection()->GetNet());
    CLayoutNetlist::AttachPin(board.Pin(nullptr, {0, 10}, {}), pins[0].at("2")->GetNetConnection()->GetNet());
    ASSERT_EQ(gates[0]->GetSwapPinItemGroups().front().size(), 2u);
    gates[1]->GetSwapPinItemGroups();
    board.Track(in1->GetLocation(), {-300, 0});
    ASSERT_TRUE(CSwapItemPin::IsConnectedToCopper(in1));
    const std::map<CLayoutPin*, std::string> before = Nets();
    CAutoSwapF(gates[0]->GetSwapPinItemGroups().front()).Run();
    EXPECT_EQ(Nets(), before);
    RunAutomatic();
    EXPECT_EQ(Nets(), before);
}

}  // namespace
