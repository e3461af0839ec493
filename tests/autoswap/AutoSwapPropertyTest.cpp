// The board-wide pass on generated boards only permutes connections among swappable pins.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "host/Events.h"
#include "host/HostApp.h"
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
using lqtest::Attrs;
using lqtest::BoardBuilder;

// Builds a random board of mixed packages: quad gates with their supply pins outside the gates,
// single buffers that hold their supply pins (stored in random order), resistors without gates
// and connectors kept out of gate swapping; random nets, unconnected pins and copper.
class BoardGenerator {
public:
    BoardGenerator(std::mt19937& rng, BoardBuilder& board) : m_rng(rng), m_board(board) {}

    std::vector<CLayoutPin*> Generate()
    {
        const int nPackages = Uniform(2, 8);
        for (int i = 0; i < nPackages; ++i) {
            const std::string ref = "U" + std::to_string(i + 1);
            const CLQPoint at{Uniform(0, 40) * 250, Uniform(0, 40) * 250};
            switch (Uniform(0, 9)) {
            case 0: case 1: case 2: Quad(ref, at); break;
            case 3: case 4: case 5: case 6: Buffer(ref, at); break;
            case 7: case 8: Resistor(ref, at); break;
            default: Connector(ref, at); break;
            }
        }
        Wire();
        return m_pins;
    }

private:
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    bool Chance(int percent) { return Uniform(0, 99) < percent; }
    int GateSwap() { return Uniform(0, 2); }

    CLayoutPin* Add(CLayoutComponent* part, CLQPoint at, const Attrs& attrs, bool bPower)
    {
        CLayoutPin* pin = m_board.Pin(part, at, attrs);
        m_pins.push_back(pin);
        if (!bPower)
            m_signals.push_back(pin);
        else
            (pin->GetAttributeWithTag(LQ_LABEL)->GetValueText().str() == "VCC" ? m_vcc : m_gnd).push_back(pin);
        return pin;
    }

    void Quad(const std::string& ref, CLQPoint at)
    {
        const char* value = Chance(70) ? "7400" : "74HC00";
        CLayoutComponent* part = m_board.Part(ref, GateSwap(), Chance(85), {{"Value", value}});
        // Pin numbers of gates A..D: two inputs, then the output.
        const int numbers[4][3] = {{1, 2, 3}, {4, 5, 6}, {9, 10, 8}, {12, 13, 11}};
        const char* gates[4] = {"A", "B", "C", "D"};
        for (int g = 0; g < 4; ++g)
            for (int k = 0; k < 3; ++k) {
                const int n = numbers[g][k];
                Add(part, DipLocation(at, n), {{LQ_PIN, std::to_string(n)}, {LQ_GATE, gates[g]}, {LQ_GATEGROUP, "NAND"},
                                               {LQ_PINGROUP, k < 2 ? "1" : "2"}},
                    false);
            }
        Add(part, DipLocation(at, 7), {{LQ_PIN, "7"}, {LQ_LABEL, "GND"}, {LQ_PINTYPE, "PWR"}}, true);
        Add(part, DipLocation(at, 14), {{LQ_PIN, "14"}, {LQ_LABEL, "VCC"}, {LQ_PINTYPE, "PWR"}}, true);
    }
    static CLQPoint DipLocation(CLQPoint at, int n)
    {
        return n <= 7 ? CLQPoint(at.x, at.y + 100 * (n - 1)) : CLQPoint(at.x + 300, at.y + 100 * (14 - n));
    }

    void Buffer(const std::string& ref, CLQPoint at)
    {
        CLayoutComponent* part = m_board.Part(ref, Chance(60) ? 2 : GateSwap(), Chance(85), {{"Value", "BUF"}});
        // The supply pins sit in the gate, in a pin group of their own, a shared one or none.
        const char* powerGroups[3] = {"", "3", "P"};
        const std::string vccGroup = powerGroups[Uniform(0, 2)];
        const std::string gndGroup = vccGroup == "P" || Chance(50) ? vccGroup : "";
        struct PinDef {
            std::string number, label, pinGroup;
            bool bPower;
        };
        std::vector<PinDef> defs{{"1", "IN", "1", false}, {"2", "OUT", "2", false}, {"5", "VCC", vccGroup, true}};
        if (Chance(60))
            defs.push_back({"3", "GND", gndGroup, true});
        std::shuffle(defs.begin(), defs.end(), m_rng);
        for (std::size_t i = 0; i < defs.size(); ++i) {
            Attrs attrs{{LQ_PIN, defs[i].number}, {LQ_LABEL, defs[i].label}, {LQ_GATE, "A"}, {LQ_GATEGROUP, "BUF"}};
            if (!defs[i].pinGroup.empty())
                attrs.emplace_back(LQ_PINGROUP, defs[i].pinGroup);
            if (defs[i].bPower)
                attrs.emplace_back(LQ_PINTYPE, Chance(80) ? "PWR" : "pwr");
            Add(part, {at.x + 100 * static_cast<int>(i), at.y}, attrs, defs[i].bPower);
        }
    }

    void Resistor(const std::string& ref, CLQPoint at)
    {
        CLayoutComponent* part = m_board.Part(ref, GateSwap(), true, {{"Value", "10k"}});
        for (int n = 1; n <= 2; ++n)
            Add(part, {at.x + 100 * n, at.y}, {{LQ_PIN, std::to_string(n)}, {LQ_PINGROUP, "1"}}, false);
    }

    void Connector(const std::string& ref, CLQPoint at)
    {
        CLayoutComponent* part = m_board.Part(ref, 0, true, {{"Value", "HDR"}});
        for (int n = 1; n <= 4; ++n)
            Add(part, {at.x, at.y + 100 * n}, {{LQ_PIN, std::to_string(n)}, {LQ_PINGROUP, "1"}}, false);
    }

    void Wire()
    {
        const int nNets = std::max(2, static_cast<int>(m_signals.size()) / 3);
        std::vector<CLayoutNet*> nets;
        for (int i = 0; i < nNets; ++i)
            nets.push_back(m_board.Net("N" + std::to_string(i + 1)));
        for (CLayoutPin* pin : m_signals)
            if (!Chance(15))
                BoardBuilder::Attach(pin, nets[static_cast<std::size_t>(Uniform(0, nNets - 1))]);
        // Mostly the supply a pin is named for, so that packages with supply pins in their gates
        // stay exchangeable; now and then another one or none.
        CLayoutNet* vcc = m_board.Net("VCC");
        CLayoutNet* gnd = m_board.Net("GND");
        CLayoutNet* vcc2 = m_board.Net("VCC2");
        for (CLayoutPin* pin : m_vcc)
            if (!Chance(10))
                BoardBuilder::Attach(pin, Chance(85) ? vcc : vcc2);
        for (CLayoutPin* pin : m_gnd)
            if (!Chance(10))
                BoardBuilder::Attach(pin, Chance(90) ? gnd : vcc2);
        for (CLayoutPin* pin : m_pins)
            if (Chance(8))
                m_board.Track(pin->GetLocation(), {pin->GetLocation().x + 40, pin->GetLocation().y});
    }

    std::mt19937& m_rng;
    BoardBuilder& m_board;
    std::vector<CLayoutPin*> m_pins, m_signals, m_vcc, m_gnd;
};

class AutoSwapProperty : public lqtest::ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        InitModule();
    }

    // Pins that the pass may move: those of a real gate in a group of two or more gates, and those
    // in a pin group of two or more pins of a real gate.
    static std::set<CLayoutPin*> MovablePins(CLayoutSubSheet* sheet)
    {
        std::set<CLayoutPin*> movable;
        CGateStore store(sheet);
        for (const auto& group : store.GetGateSwapGroups())
            if (group.size() >= 2)
                for (CSwapItem* item : group)
                    for (CLayoutPin* pin : static_cast<CSwapItemGate*>(item)->GetGate()->GetPins())
                        movable.insert(pin);
        for (CGate* gate : store.GetGates(true, false))
            for (const auto& group : gate->GetSwapPinItemGroups())
                if (group.size() >= 2)
                    for (CSwapItem* item : group)
                        movable.insert(static_cast<CSwapItemPin*>(item)->GetPin());
        return movable;
    }
};

TEST_F(AutoSwapProperty, ThePassOnlyPermutesConnectionsOfSwappablePins)
{
    std::mt19937 rng(5);
    int nChangedPins = 0;
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("board " + std::to_string(round));
        BoardBuilder builder;
        UseSheet(builder);
        CLayoutSubSheet* sheet = builder.Sheet();
        const std::vector<CLayoutPin*> pins = BoardGenerator(rng, builder).Generate();

        std::map<const CNet*, int> countBefore;
        for (const auto& net : sheet->GetNetlist()->GetNets())
            countBefore[net.get()] = net->GetNetPinCount();
        std::map<CLayoutPin*, CNet*> netBefore;
        std::set<CLayoutPin*> onCopper;
        int nUnconnected = 0;
        for (CLayoutPin* pin : pins) {
            netBefore[pin] = pin->GetNetConnection()->GetNet();
            nUnconnected += netBefore[pin] == nullptr;
            if (CSwapItemPin::IsConnectedToCopper(pin))
                onCopper.insert(pin);
        }
        const std::set<CLayoutPin*> movable = MovablePins(sheet);

        GetPlugInInterface()->ExecuteCommand(ID_AUTOSWAP);
        AfxPumpEvents();

        for (const auto& net : sheet->GetNetlist()->GetNets()) {
            EXPECT_EQ(net->GetNetPinCount(), countBefore[net.get()]) << net->GetName().str();
            std::set<const CDrawObject*> seen;
            for (CNetPin* netPin : net->GetNetPins()) {
                auto* pin = DYNAMIC_DOWNCAST(CLayoutPin, netPin->GetDrawObject());
                ASSERT_NE(pin, nullptr);
                EXPECT_TRUE(seen.insert(pin).second) << "a pin is twice on " << net->GetName().str();
                EXPECT_EQ(static_cast<CNetPin*>(pin->GetNetConnection()->GetNetPin()), netPin);
            }
        }
        int nUnconnectedAfter = 0;
        for (CLayoutPin* pin : pins) {
            CNet* net = pin->GetNetConnection()->GetNet();
            nUnconnectedAfter += net == nullptr;
            if (net == netBefore[pin])
                continue;
            ++nChangedPins;
            EXPECT_EQ(onCopper.count(pin), 0u) << "a pin on copper changed net";
            EXPECT_EQ(movable.count(pin), 1u) << "a pin outside every swappable group changed net";
        }
        EXPECT_EQ(nUnconnectedAfter, nUnconnected);
        EXPECT_TRUE(GetPlugInInterface()->GetGateStores().empty());
        UseSheet(board);
    }
    // The boards must give the pass real work.
    EXPECT_GT(nChangedPins, 300);
}

}  // namespace
