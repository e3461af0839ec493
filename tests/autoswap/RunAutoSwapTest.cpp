// The board-wide automatic pin and gate swap, run through the command interface.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "host/HostApp.h"
#include "host/Net.h"
#include "module/frame/CommandTable.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "tests/support/ModuleFixture.h"

namespace {
using lqtest::CountNetPins;
using lqtest::NetOf;

class RunAutoSwap : public lqtest::ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        InitModule();
        j1 = board.Part("J1", 0);
    }

    // A pin whose net's only other pin lies at 'towards'.
    CLayoutPin* Wired(CLayoutComponent* part, CLQPoint at, const std::string& number, const char* gate, const char* group,
                      const char* pinGroup, CLQPoint towards)
    {
        CLayoutPin* pin = board.GatePin(part, at, number, gate, group, pinGroup);
        const std::string name = part->GetAttributeWithTag(LQ_REFDES)->GetValueText().str() + "." + number;
        CLayoutNet* net = board.Net(name, {pin});
        lqtest::BoardBuilder::Attach(board.GatePin(j1, towards, std::to_string(++m_nJ), "", "", ""), net);
        m_pins[name] = pin;
        return pin;
    }
    std::string NetOfPin(const std::string& name) { return NetOf(m_pins.at(name)); }
    UINT Execute() { return GetPlugInInterface()->ExecuteCommand(ID_AUTOSWAP); }

    CLayoutComponent* j1 = nullptr;

private:
    std::map<std::string, CLayoutPin*> m_pins;
    int m_nJ = 0;
};

// U1 and U2 hold two two-input gates each. U1's gate A is wired towards U2's gate B and the other
// way round; U1's gate B has its two inputs crossed.
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
            Wired(u1, {0, dy}, std::to_string(1 + k), "A", "NAND", pinGroups[k], {1050, 1000 + dy});
            Wired(u1, {0, 1000 + dy}, std::to_string(4 + k), "B", "NAND", pinGroups[k], {-50, 1000 + (k < 2 ? 100 - dy : dy)});
            Wired(u2, {1000, dy}, std::to_string(1 + k), "A", "NAND", pinGroups[k], {1050, dy});
            Wired(u2, {1000, 1000 + dy}, std::to_string(4 + k), "B", "NAND", pinGroups[k], {-50, dy});
        }
        board.Sheet()->GetNetlist()->ClearRecords();
        board.Sheet()->GetDrawingStore()->ClearRecords();
    }
};

TEST_F(TwoPackages, ExchangesTheGatesThenTheCrossedPinsAndUpdatesOnce)
{
    const int nNetPins = CountNetPins(board.Sheet());
    EXPECT_EQ(Execute(), 1u);

    const std::map<std::string, std::string> expected{
        {"U1.1", "U2.4"}, {"U1.2", "U2.5"}, {"U1.3", "U2.6"},  // gate A of U1 took the place of gate B of U2
        {"U2.4", "U1.1"}, {"U2.5", "U1.2"}, {"U2.6", "U1.3"},  // and the other way round
        {"U1.4", "U1.5"}, {"U1.5", "U1.4"}, {"U1.6", "U1.6"},  // pin pass: the crossed inputs
        {"U2.1", "U2.1"}, {"U2.2", "U2.2"}, {"U2.3", "U2.3"}};
    for (const auto& [pin, net] : expected)
        EXPECT_EQ(NetOfPin(pin), net) << pin;
    EXPECT_EQ(CountNetPins(board.Sheet()), nNetPins);

    const auto& updates = board.Sheet()->GetNetlist()->GetUpdates();
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].nCode, 0x40000000u);
    EXPECT_EQ(updates[0].nKey, reinterpret_cast<LONG_PTR>(board.Sheet()));
    const auto& redraws = board.Sheet()->GetDrawingStore()->GetInvalidations();
    ASSERT_EQ(redraws.size(), 1u);
    EXPECT_EQ(redraws[0].pDC, &dc);
    EXPECT_TRUE(redraws[0].bErase);
    EXPECT_FALSE(redraws[0].bNow);
    // The automatic pass reports nothing for back annotation.
    EXPECT_TRUE(board.Sheet()->GetBackAnnotationManager()->GetRecords().empty());
}

TEST_F(TwoPackages, WithoutALayoutSheetNothingHappens)
{
    CDrwSubSheet schematic(LQ_DOCTYPE_SCHEMATIC);
    for (CDrwSubSheet* current : {static_cast<CDrwSubSheet*>(nullptr), &schematic}) {
        LQSetDrwSubSheet(current);
        Execute();
        EXPECT_EQ(NetOfPin("U1.1"), "U1.1");
        EXPECT_EQ(NetOfPin("U1.4"), "U1.4");
        EXPECT_TRUE(board.Sheet()->GetNetlist()->GetUpdates().empty());
        EXPECT_TRUE(board.Sheet()->GetNetlist()->GetEdits().empty());
        EXPECT_TRUE(board.Sheet()->GetDrawingStore()->GetInvalidations().empty());
        EXPECT_TRUE(GetPlugInInterface()->GetGateStores().empty());
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
    CLayoutPin* a1 = board.GatePin(u1, {0, 0}, "1", "A", "G", "1");
    CLayoutPin* b1 = board.GatePin(u2, {100, 1000}, "1", "A", "G", "1");
    board.Net("S", {a1, b1});
    Wired(u1, {0, 1000}, "2", "A", "G", "1", {-5000, 500});
    Wired(u2, {100, 0}, "2", "A", "G", "1", {5000, 500});
    Wired(u1, {0, 500}, "3", "A", "G", "2", {2050, 500});
    Wired(u2, {2000, 500}, "3", "A", "G", "2", {-50, 500});
    const int nNetPins = CountNetPins(board.Sheet());
    Execute();
    EXPECT_EQ(NetOf(a1), "S");
    EXPECT_EQ(NetOfPin("U1.2"), "U2.2");
    EXPECT_EQ(NetOfPin("U1.3"), "U2.3");
    EXPECT_EQ(NetOf(b1), "U1.2");
    EXPECT_EQ(NetOfPin("U2.2"), "S");
    EXPECT_EQ(NetOfPin("U2.3"), "U1.3");
    EXPECT_EQ(CountNetPins(board.Sheet()), nNetPins);
}

TEST_F(RunAutoSwap, PinsOfComponentsWithoutGateNamesStayButTheUpdateStillHappens)
{
    // Two interchangeable pins each nearer the other's net, on a part without gates.
    CLayoutComponent* r1 = board.Part("R1", 2);
    Wired(r1, {0, 0}, "1", "", "", "1", {0, 110});
    Wired(r1, {0, 100}, "2", "", "", "1", {0, -10});
    board.Sheet()->GetNetlist()->ClearRecords();
    Execute();
    EXPECT_EQ(NetOfPin("R1.1"), "R1.1");
    EXPECT_EQ(NetOfPin("R1.2"), "R1.2");
    EXPECT_EQ(board.Sheet()->GetNetlist()->GetUpdates().size(), 1u);
    EXPECT_EQ(board.Sheet()->GetDrawingStore()->GetInvalidations().size(), 1u);
}

}  // namespace
