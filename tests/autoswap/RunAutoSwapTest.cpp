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

// A random board of mixed packages: quad gates with their supply pins outside the gates, single
// buffers that hold their supply pins (stored in random order, in a pin group of their own, a
// shared one or none), resistors without gates and connectors kept out of gate swapping; random
// nets, unconnected pins and copper. Answers all pins.
std::vector<CLayoutPin*> GenerateBoard(std::mt19937& rng, BoardBuilder& b)
{
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto chance = [&](int percent) { return uniform(0, 99) < percent; };
    std::vector<CLayoutPin*> all, signals, vccPins, gndPins;
    auto add = [&](CLayoutComponent* part, CLQPoint at, Attrs attrs, const std::string& supply = "") {
        all.push_back(b.Pin(part, at, attrs));
        (supply.empty() ? signals : supply == "VCC" ? vccPins : gndPins).push_back(all.back());
    };
    for (int i = 0, n = uniform(2, 8); i < n; ++i) {
        const std::string ref = "U" + std::to_string(i + 1);
        const CLQPoint at{uniform(0, 40) * 250, uniform(0, 40) * 250};
        const int kind = uniform(0, 9);
        if (kind < 3) {
            CLayoutComponent* part =
                b.Part(ref, uniform(0, 2), chance(85), {{"Value", chance(70) ? "7400" : "74HC00"}});
            // Gates A..D of two inputs and an output each; supply pins 7 and 14.
            const int numbers[4][3] = {{1, 2, 3}, {4, 5, 6}, {9, 10, 8}, {12, 13, 11}};
            auto dip = [&](int n) {
                return n <= 7 ? CLQPoint(at.x, at.y + 100 * n) : CLQPoint(at.x + 300, at.y + 100 * (15 - n));
            };
            for (int g = 0; g < 4; ++g)
                for (int k = 0; k < 3; ++k)
                    add(part, dip(numbers[g][k]),
                        {{LQ_PIN, std::to_string(numbers[g][k])}, {LQ_GATE, std::string(1, char('A' + g))},
                         {LQ_GATEGROUP, "NAND"}, {LQ_PINGROUP, k < 2 ? "1" : "2"}});
            add(part, dip(7), {{LQ_PIN, "7"}, {LQ_LABEL, "GND"}, {LQ_PINTYPE, "PWR"}}, "GND");
            add(part, dip(14), {{LQ_PIN, "14"}, {LQ_LABEL, "VCC"}, {LQ_PINTYPE, "PWR"}}, "VCC");
        } else if (kind < 7) {
            CLayoutComponent* part = b.Part(ref, chance(60) ? 2 : uniform(0, 2), chance(85), {{"Value", "BUF"}});
            const std::string vccGroup = std::vector<std::string>{"", "3", "P"}[uniform(0, 2)];
            const std::string gndGroup = vccGroup == "P" || chance(50) ? vccGroup : "";
            std::vector<Attrs> defs{{{LQ_PIN, "1"}, {LQ_LABEL, "IN"}, {LQ_PINGROUP, "1"}},
                                    {{LQ_PIN, "2"}, {LQ_LABEL, "OUT"}, {LQ_PINGROUP, "2"}},
                                    {{LQ_PIN, "5"}, {LQ_LABEL, "VCC"}, {LQ_PINGROUP, vccGroup}}};
            if (chance(60))
                defs.push_back({{LQ_PIN, "3"}, {LQ_LABEL, "GND"}, {LQ_PINGROUP, gndGroup}});
            std::shuffle(defs.begin(), defs.end(), rng);
            for (std::size_t k = 0; k < defs.size(); ++k) {
                Attrs attrs{{LQ_GATE, "A"}, {LQ_GATEGROUP, "BUF"}};
                for (const auto& [name, value] : defs[k])
                    if (!value.empty())
                        attrs.emplace_back(name, value);
                const std::string label = defs[k][1].second, supply = label == "VCC" || label == "GND" ? label : "";
                if (!supply.empty())
                    attrs.emplace_back(LQ_PINTYPE, chance(80) ? "PWR" : "pwr");
                add(part, {at.x + 100 * static_cast<int>(k), at.y}, attrs, supply);
            }
        } else {  // resistors, and connectors kept out of gate swapping
            CLayoutComponent* part =
                b.Part(ref, kind < 9 ? uniform(0, 2) : 0, true, {{"Value", kind < 9 ? "10k" : "HDR"}});
            for (int n = 1; n <= (kind < 9 ? 2 : 4); ++n)
                add(part, {at.x + 100 * n, at.y}, {{LQ_PIN, std::to_string(n)}, {LQ_PINGROUP, "1"}});
        }
    }
    std::vector<CLayoutNet*> nets;
    for (int i = 0, n = std::max(2, static_cast<int>(signals.size()) / 3); i < n; ++i)
        nets.push_back(b.Net("N" + std::to_string(i + 1)));
    for (CLayoutPin* pin : signals)
        if (!chance(15))
            CLayoutNetlist::AttachPin(pin, nets[uniform(0, static_cast<int>(nets.size()) - 1)]);
    // Mostly the supply a pin is named for, so that packages with supply pins in their gates stay
    // exchangeable; now and then another one or none.
    CLayoutNet *vcc = b.Net("VCC"), *gnd = b.Net("GND"), *vcc2 = b.Net("VCC2");
    for (CLayoutPin* pin : vccPins)
        if (!chance(10))
            CLayoutNetlist::AttachPin(pin, chance(85) ? vcc : vcc2);
    for (CLayoutPin* pin : gndPins)
        if (!chance(10))
            CLayoutNetlist::AttachPin(pin, chance(90) ? gnd : vcc2);
    for (CLayoutPin* pin : all)
        if (chance(8))
            b.Track(pin->GetLocation(), {pin->GetLocation().x + 40, pin->GetLocation().y});
    return all;
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
        const std::vector<CLayoutPin*> pins = GenerateBoard(rng, builder);
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
