// The board-wide automatic pin and gate swap, run through the command interface: worked
// examples, and generated boards on which the pass only permutes connections of swappable pins.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "host/AttributeNames.h"
#include "host/Events.h"
#include "host/Net.h"
#include "module/frame/CommandTable.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "module/gates/Gate.h"
#include "module/gates/GateStore.h"
#include "module/swap/SwapItemGate.h"
#include "module/swap/SwapItemPin.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/RandomBoard.h"

namespace {
using namespace lqtest;

class RunAutoSwap : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        InitModule();
    }
    // A gate pin on a net "REF.NUMBER" whose only other pin lies at 'towards'.
    CLayoutPin* Wired(CLayoutComponent* part, CLQPoint at, const std::string& number, const char* gate,
                      const char* pinGroup, CLQPoint towards)
    {
        CLayoutPin* pin = board.GatePin(part, at, number, gate, *gate ? "NAND" : "", pinGroup);
        const std::string name = part->GetAttributeWithTag(LQ_REFDES)->GetValueText().str() + "." + number;
        board.Wire(pin, towards, name);
        return m_pins[name] = pin;
    }
    std::string NetOfPin(const std::string& name) { return NetOf(m_pins.at(name)); }
    void Execute() { EXPECT_EQ(GetPlugInInterface()->ExecuteCommand(ID_AUTOSWAP), 1u); }

    std::map<std::string, CLayoutPin*> m_pins;
};

// U1 and U2 hold two two-input gates each. U1's gate A is wired towards U2's gate B and the other
// way round; U1's gate B has its two inputs crossed. R1 has no gates.
class TwoPackages : public RunAutoSwap {
protected:
    void SetUp() override
    {
        RunAutoSwap::SetUp();
        CLayoutComponent* u1 = board.Part("U1", 2, true, {{"Value", "7400"}});
        CLayoutComponent* u2 = board.Part("U2", 2, true, {{"Value", "7400"}});
        const char* pinGroups[3] = {"1", "1", "2"};
        for (int k = 0; k < 3; ++k) {
            const int dy = 100 * k;
            Wired(u1, {0, dy}, std::to_string(1 + k), "A", pinGroups[k], {1050, 1000 + dy});
            Wired(u1, {0, 1000 + dy}, std::to_string(4 + k), "B", pinGroups[k], {-50, 1000 + (k < 2 ? 100 - dy : dy)});
            Wired(u2, {1000, dy}, std::to_string(1 + k), "A", pinGroups[k], {1050, dy});
            Wired(u2, {1000, 1000 + dy}, std::to_string(4 + k), "B", pinGroups[k], {-50, dy});
        }
        // Two interchangeable pins each nearer the other's net, on a part without gates.
        CLayoutComponent* r1 = board.Part("R1", 2);
        Wired(r1, {5000, 0}, "1", "", "1", {5000, 110});
        Wired(r1, {5000, 100}, "2", "", "1", {5000, -10});
        board.Sheet()->GetNetlist()->ClearRecords();
    }
};

TEST_F(TwoPackages, ExchangesTheGatesThenTheCrossedPinsAndUpdatesOnce)
{
    const auto sizes = NetSizes(board.Sheet());
    Execute();
    const std::map<std::string, std::string> expected{
        {"U1.1", "U2.4"}, {"U1.2", "U2.5"}, {"U1.3", "U2.6"},  // gate A of U1 took the place of gate B of U2
        {"U2.4", "U1.1"}, {"U2.5", "U1.2"}, {"U2.6", "U1.3"},  // and the other way round
        {"U1.4", "U1.5"}, {"U1.5", "U1.4"}, {"U1.6", "U1.6"},  // pin pass: the crossed inputs
        {"U2.1", "U2.1"}, {"U2.2", "U2.2"}, {"U2.3", "U2.3"},
        {"R1.1", "R1.1"}, {"R1.2", "R1.2"}};  // the pin pass works on real gates only
    for (const auto& [pin, net] : expected)
        EXPECT_EQ(NetOfPin(pin), net) << pin;
    EXPECT_EQ(NetSizes(board.Sheet()), sizes);
    EXPECT_EQ(Updates(board.Sheet()), 1u);
    EXPECT_EQ(Redraws(board.Sheet()), 1u);
    // The automatic pass reports nothing for back annotation.
    EXPECT_TRUE(Records().empty());
}

TEST_F(TwoPackages, WithoutALayoutSheetNothingHappens)
{
    CDrwSubSheet schematic(LQ_DOCTYPE_SCHEMATIC);
    for (CDrwSubSheet* current : {static_cast<CDrwSubSheet*>(nullptr), &schematic}) {
        LQSetDrwSubSheet(current);
        Execute();
        EXPECT_EQ(NetsOf({m_pins.at("U1.1"), m_pins.at("U1.4")}), (std::vector<std::string>{"U1.1", "U1.4"}));
        EXPECT_EQ(Updates(board.Sheet()) + Redraws(board.Sheet()) + GetPlugInInterface()->GetGateStores().size(), 0u);
    }
    UseSheet(board);
}

// Gate A of U1 and gate A of U2 share net S. Their outputs make the exchange worth it; after it,
// the pin of the other gate on S counts as a foreign pin, and the pin pass of U1's gate swaps
// its inputs against the new connections. Pins first would end elsewhere.
TEST_F(RunAutoSwap, PinPassImprovesTheGatesAgainstTheConnectionsTheGatePassLeft)
{
    CLayoutComponent* u1 = board.Part("U1", 2, true, {{"Value", "7400"}});
    CLayoutComponent* u2 = board.Part("U2", 2, true, {{"Value", "7400"}});
    CLayoutPin* a1 = board.GatePin(u1, {0, 0}, "1", "A", "NAND", "1");
    CLayoutPin* b1 = board.GatePin(u2, {100, 1000}, "1", "A", "NAND", "1");
    board.Net("S", {a1, b1});
    Wired(u1, {0, 1000}, "2", "A", "1", {-5000, 500});
    Wired(u2, {100, 0}, "2", "A", "1", {5000, 500});
    Wired(u1, {0, 500}, "3", "A", "2", {2050, 500});
    Wired(u2, {2000, 500}, "3", "A", "2", {-50, 500});
    const auto sizes = NetSizes(board.Sheet());
    Execute();
    EXPECT_EQ(NetsOf({a1, b1}), (std::vector<std::string>{"S", "U1.2"}));
    EXPECT_EQ(NetOfPin("U1.2"), "U2.2");
    EXPECT_EQ(NetOfPin("U1.3"), "U2.3");
    EXPECT_EQ(NetOfPin("U2.2"), "S");
    EXPECT_EQ(NetOfPin("U2.3"), "U1.3");
    EXPECT_EQ(NetSizes(board.Sheet()), sizes);
}

// Pins that the pass may move: those of a real gate in a group of two or more gates, and those in
// a pin group of two or more pins of a real gate.
std::set<CLayoutPin*> MovablePins(CLayoutSubSheet* sheet)
{
    std::set<CLayoutPin*> movable;
    CGateStore store(sheet);
    for (const auto& group : store.GetGateSwapGroups())
        for (CSwapItem* item : group)
            for (CLayoutPin* pin : static_cast<CSwapItemGate*>(item)->GetGate()->GetPins())
                if (group.size() >= 2)
                    movable.insert(pin);
    for (CGate* gate : store.GetGates(true, false))
        for (const auto& group : gate->GetSwapPinItemGroups())
            for (CSwapItem* item : group)
                if (group.size() >= 2)
                    movable.insert(static_cast<CSwapItemPin*>(item)->GetPin());
    return movable;
}

TEST_F(RunAutoSwap, OnGeneratedBoardsThePassOnlyPermutesConnectionsOfSwappablePins)
{
    std::mt19937 rng(5);
    int nChangedPins = 0;
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("board " + std::to_string(round));
        BoardBuilder builder;
        UseSheet(builder);
        CLayoutSubSheet* sheet = builder.Sheet();
        const std::vector<CLayoutPin*> pins =
            GenerateBoard(rng, builder, RandomBoardShape{std::uniform_int_distribution<int>(2, 8)(rng)});
        const std::map<std::string, int> sizes = NetSizes(sheet);
        std::map<CLayoutPin*, CNet*> netBefore;
        std::set<CLayoutPin*> onCopper;
        for (CLayoutPin* pin : pins) {
            netBefore[pin] = pin->GetNetConnection()->GetNet();
            if (CSwapItemPin::IsConnectedToCopper(pin))
                onCopper.insert(pin);
        }
        const std::set<CLayoutPin*> movable = MovablePins(sheet);

        Execute();
        AfxPumpEvents();
        EXPECT_EQ(NetSizes(sheet), sizes);
        ExpectConsistentNets(sheet);
        int nUnconnectedChange = 0;
        for (CLayoutPin* pin : pins) {
            CNet* net = pin->GetNetConnection()->GetNet();
            nUnconnectedChange += (net == nullptr) - (netBefore[pin] == nullptr);
            if (net == netBefore[pin])
                continue;
            ++nChangedPins;
            EXPECT_EQ(onCopper.count(pin), 0u) << "a pin on copper changed net";
            EXPECT_EQ(movable.count(pin), 1u) << "a pin outside every swappable group changed net";
        }
        EXPECT_EQ(nUnconnectedChange, 0);
        EXPECT_TRUE(GetPlugInInterface()->GetGateStores().empty());
        UseSheet(board);
    }
    EXPECT_GT(nChangedPins, 300) << "the boards must give the pass real work";
}

}  // namespace
