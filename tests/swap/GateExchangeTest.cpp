// Gate exchanges across packages never lose, double or cross-wire a connection, manual or automatic.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "host/HostApp.h"
#include "host/Net.h"
#include "module/autoswap/AutoSwapF.h"
#include "module/gates/Gate.h"
#include "module/swap/SwapItemGate.h"
#include "module/swap/SwapItemPin.h"
#include "tests/support/ModuleFixture.h"

namespace {
using lqtest::CountNetPins;
using lqtest::NetOf;

struct PinDef {
    std::string number;
    std::string pinGroup;
    std::string type;
    int y;
};

// A package with one gate "A" of group "BUF" that may be exchanged with other packages.
struct Package {
    CLayoutComponent* part = nullptr;
    std::map<std::string, CLayoutPin*> pins;  // by pin number
    std::unique_ptr<CGate> gate;
};

class GateExchange : public lqtest::ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        j1 = board.Part("J1", 0);
    }

    // Pins are added in the order given, at x.
    Package& Make(const char* refDes, int x, const std::vector<PinDef>& pins, bool bPinSwap = true, const char* gate = "A",
                  const char* group = "BUF")
    {
        m_packages.push_back(std::make_unique<Package>());
        Package& p = *m_packages.back();
        p.part = board.Part(refDes, 2, bPinSwap, {{"Value", "7400"}});
        p.gate = std::make_unique<CGate>(p.part, gate, group);
        for (const PinDef& s : pins) {
            CLayoutPin* pin = board.GatePin(p.part, {x, s.y}, s.number, gate, group, s.pinGroup, s.type);
            p.pins[s.number] = pin;
            p.gate->AddPin(pin);
        }
        return p;
    }
    // Each signal pin of a package at x on its own net, whose other pin lies beside the pin of
    // the same number of the package at otherX: exchanging the packages shortens every connection.
    void WireTowards(Package& p, int otherX, const std::vector<std::string>& numbers)
    {
        for (const std::string& n : numbers) {
            CLayoutPin* pin = p.pins.at(n);
            const int dx = otherX > pin->GetLocation().x ? 50 : -50;
            CLayoutNet* net = board.Net(NetName(p, n), {pin});
            lqtest::BoardBuilder::Attach(board.GatePin(j1, {otherX + dx, pin->GetLocation().y}, std::to_string(++m_nJ), "", "", ""),
                                         net);
        }
    }
    static std::string NetName(const Package& p, const std::string& number)
    {
        return std::string(p.part->GetAttributeWithTag(LQ_REFDES)->GetValueText().GetString()) + "." + number;
    }
    CLayoutNet* Supply(const char* name, std::vector<CLayoutPin*> pins, CLQPoint at)
    {
        CLayoutNet* net = board.Net(name);
        for (CLayoutPin* pin : pins)
            lqtest::BoardBuilder::Attach(pin, net);
        lqtest::BoardBuilder::Attach(board.GatePin(j1, at, std::to_string(++m_nJ), "", "", ""), net);
        return net;
    }
    std::map<CLayoutPin*, std::string> Nets() const
    {
        std::map<CLayoutPin*, std::string> out;
        for (const auto& p : m_packages)
            for (const auto& [number, pin] : p->pins)
                out[pin] = NetOf(pin);
        return out;
    }
    // Every net pin of the net belongs to a distinct pin whose own net pin it is.
    static void ExpectConsistent(const CNet* net)
    {
        std::map<const CDrawObject*, int> seen;
        for (CNetPin* netPin : net->GetNetPins()) {
            auto* pin = DYNAMIC_DOWNCAST(CLayoutPin, netPin->GetDrawObject());
            ASSERT_NE(pin, nullptr);
            EXPECT_EQ(++seen[pin], 1) << net->GetName().str();
            EXPECT_EQ(static_cast<CNetPin*>(pin->GetNetConnection()->GetNetPin()), netPin) << net->GetName().str();
        }
    }
    const std::vector<CBackAnnotationRecord>& Records() { return board.Sheet()->GetBackAnnotationManager()->GetRecords(); }
    static void RunAutomatic(CSwapItemGate& a, CSwapItemGate& b) { CAutoSwapF({&a, &b}).Run(); }

    CLayoutComponent* j1 = nullptr;

private:
    std::vector<std::unique_ptr<Package>> m_packages;
    int m_nJ = 0;
};

const std::vector<PinDef> kBuffer{{"1", "1", "", 0}, {"2", "1", "", 100}, {"3", "2", "", 200}};
const std::vector<std::string> kSignals{"1", "2", "3"};

// Regression: pseudo-gates paired their pins by list position, so packages whose pins are stored
// in different orders were cross-wired, power pins included.
TEST_F(GateExchange, PseudoGatesPairTheirPinsByIdentity)
{
    const std::vector<PinDef> order1{{"1", "", "", 0}, {"2", "", "", 100}, {"7", "", "PWR", 200}, {"14", "", "PWR", 300}};
    const std::vector<PinDef> order2{{"14", "", "PWR", 300}, {"2", "", "", 100}, {"7", "", "PWR", 200}, {"1", "", "", 0}};
    Package& u1 = Make("U1", 0, order1, true, "", "");
    Package& u2 = Make("U2", 1000, order2, true, "", "");
    for (Package* p : {&u1, &u2})
        for (const auto& [number, pin] : p->pins)
            board.Net(NetName(*p, number), {pin});
    CSwapItemGate first(u1.gate.get(), true), second(u2.gate.get(), true);
    ASSERT_TRUE(first.Swap(&second));
    for (const char* n : {"1", "2", "7", "14"}) {
        EXPECT_EQ(NetOf(u1.pins.at(n)), std::string("U2.") + n);
        EXPECT_EQ(NetOf(u2.pins.at(n)), std::string("U1.") + n);
    }
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].args, (std::vector<std::string>{"U1", "", "U2", ""}));
}

// Two single-gate packages whose gate holds its own VCC pin, in a pin group of its own.
class PoweredBuffers : public GateExchange {
protected:
    void SetUp() override
    {
        GateExchange::SetUp();
        std::vector<PinDef> pins = kBuffer;
        pins.push_back({"8", "3", "PWR", 300});
        u1 = &Make("U1", 0, pins);
        u2 = &Make("U2", 1000, pins);
        WireTowards(*u1, 1000, kSignals);
        WireTowards(*u2, 0, kSignals);
        vcc = Supply("VCC", {u1->pins.at("8"), u2->pins.at("8")}, {500, 1000});
        nNetPins = CountNetPins(board.Sheet());
    }
    void ExpectExchangedWithVccOnce()
    {
        for (const std::string& n : kSignals) {
            EXPECT_EQ(NetOf(u1->pins.at(n)), "U2." + n);
            EXPECT_EQ(NetOf(u2->pins.at(n)), "U1." + n);
        }
        EXPECT_EQ(NetOf(u1->pins.at("8")), "VCC");
        EXPECT_EQ(NetOf(u2->pins.at("8")), "VCC");
        EXPECT_EQ(vcc->GetNetPinCount(), 3);
        ExpectConsistent(vcc);
        EXPECT_EQ(CountNetPins(board.Sheet()), nNetPins);
    }

    Package* u1 = nullptr;
    Package* u2 = nullptr;
    CLayoutNet* vcc = nullptr;
    int nNetPins = 0;
};

// Regression: the power pin stayed on its net through the gate's UnConnect and was then put on
// the net a second time.
TEST_F(PoweredBuffers, AutomaticExchangeLeavesTheVccPinsOnTheirNetOnce)
{
    CSwapItemGate first(u1->gate.get(), true), second(u2->gate.get(), true);
    RunAutomatic(first, second);
    ExpectExchangedWithVccOnce();
}

TEST_F(PoweredBuffers, ManualExchangeLeavesTheVccPinsOnTheirNetOnce)
{
    CSwapItemGate first(u1->gate.get(), true), second(u2->gate.get(), true);
    ASSERT_TRUE(first.Swap(&second));
    ExpectExchangedWithVccOnce();
    EXPECT_EQ(Records().size(), 1u);
}

struct IncompleteCase {
    const char* name;
    std::vector<PinDef> pins1;
    std::vector<PinDef> pins2;
    bool bPinSwap2;
};

class IncompleteExchange : public GateExchange, public ::testing::WithParamInterface<IncompleteCase> {};

// Regression: with a group of one gate matched to no group of the other, the automatic pass took
// every signal pin of both gates off its net and put back only the matched ones, and the manual
// exchange sent a gate-swap record for an exchange that did not happen.
TEST_P(IncompleteExchange, IsRefusedAndChangesNothing)
{
    const IncompleteCase& c = GetParam();
    Package& u1 = Make("U1", 0, c.pins1);
    Package& u2 = Make("U2", 1000, c.pins2, c.bPinSwap2);
    WireTowards(u1, 1000, kSignals);
    WireTowards(u2, 0, kSignals);
    if (u1.pins.count("14") != 0)
        Supply("VCC", {u1.pins.at("14"), u2.pins.at("14")}, {500, 1000});
    const std::map<CLayoutPin*, std::string> before = Nets();
    const int nNetPins = CountNetPins(board.Sheet());
    board.Sheet()->GetNetlist()->ClearRecords();

    CSwapItemGate first(u1.gate.get(), true), second(u2.gate.get(), true);
    ASSERT_TRUE(first.CanSwap(&second, SWAP_GATE, false, true, true));
    EXPECT_FALSE(first.Swap(&second));
    EXPECT_TRUE(Records().empty());
    EXPECT_TRUE(board.Sheet()->GetNetlist()->GetEdits().empty());

    RunAutomatic(first, second);
    EXPECT_EQ(Nets(), before);
    EXPECT_EQ(CountNetPins(board.Sheet()), nNetPins);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IncompleteExchange,
    ::testing::Values(
        // U2 forbids pin swapping: its inputs form two groups against U1's one.
        IncompleteCase{"DifferentGroupCounts", kBuffer, kBuffer, false},
        // U1's input group is led by a power pin, which accepts no input of U2 as partner.
        IncompleteCase{"RepresentativeThatAcceptsNothing",
                       {{"14", "1", "PWR", 300}, {"1", "1", "", 0}, {"2", "1", "", 100}, {"3", "2", "", 200}},
                       {{"1", "1", "", 0}, {"2", "1", "", 100}, {"3", "2", "", 200}, {"14", "1", "PWR", 300}},
                       true}),
    [](const ::testing::TestParamInfo<IncompleteCase>& info) { return std::string(info.param.name); });

TEST_F(GateExchange, UnmatchedGroupsOfPowerPinsKeepTheirNetsWhileTheSignalsAreExchanged)
{
    // Both packages hold VCC and GND in one pin group, stored in opposite orders, so the groups
    // are led by different pins and never match.
    std::vector<PinDef> pins1 = kBuffer, pins2 = kBuffer;
    pins1.push_back({"14", "P", "PWR", 300});
    pins1.push_back({"7", "P", "PWR", 400});
    pins2.push_back({"7", "P", "PWR", 400});
    pins2.push_back({"14", "P", "PWR", 300});
    Package& u1 = Make("U1", 0, pins1);
    Package& u2 = Make("U2", 1000, pins2);
    WireTowards(u1, 1000, kSignals);
    WireTowards(u2, 0, kSignals);
    CLayoutNet* vcc = Supply("VCC", {u1.pins.at("14"), u2.pins.at("14")}, {500, 1000});
    CLayoutNet* gnd = Supply("GND", {u1.pins.at("7"), u2.pins.at("7")}, {500, -1000});
    const int nNetPins = CountNetPins(board.Sheet());

    CSwapItemGate first(u1.gate.get(), true), second(u2.gate.get(), true);
    RunAutomatic(first, second);
    for (const std::string& n : kSignals) {
        EXPECT_EQ(NetOf(u1.pins.at(n)), "U2." + n);
        EXPECT_EQ(NetOf(u2.pins.at(n)), "U1." + n);
    }
    for (Package* p : {&u1, &u2}) {
        EXPECT_EQ(NetOf(p->pins.at("14")), "VCC");
        EXPECT_EQ(NetOf(p->pins.at("7")), "GND");
    }
    ExpectConsistent(vcc);
    ExpectConsistent(gnd);
    EXPECT_EQ(CountNetPins(board.Sheet()), nNetPins);
}

// Regression: groups formed before copper was laid still exchanged the pins now on copper.
TEST_F(GateExchange, ItemsOnCopperLaidAfterGroupingAreNotExchanged)
{
    Package& u1 = Make("U1", 0, kBuffer);
    Package& u2 = Make("U2", 1000, kBuffer);
    WireTowards(u1, 1000, kSignals);
    WireTowards(u2, 0, kSignals);
    // U1's inputs 1 and 2 each lie nearer the other's net.
    CLayoutPin* in1 = u1.pins.at("1");
    CLayoutPin* in2 = u1.pins.at("2");
    lqtest::BoardBuilder::Attach(board.GatePin(j1, {0, 90}, "90", "", "", ""), in1->GetNetConnection()->GetNet());
    lqtest::BoardBuilder::Attach(board.GatePin(j1, {0, 10}, "91", "", "", ""), in2->GetNetConnection()->GetNet());
    u1.gate->GetSwapPinItemGroups();
    u2.gate->GetSwapPinItemGroups();
    ASSERT_EQ(u1.gate->GetSwapPinItemGroups().front().size(), 2u);
    board.Track(in1->GetLocation(), {-300, 0});
    ASSERT_TRUE(CSwapItemPin::IsConnectedToCopper(in1));
    const std::map<CLayoutPin*, std::string> before = Nets();

    CAutoSwapF(u1.gate->GetSwapPinItemGroups().front()).Run();
    EXPECT_EQ(Nets(), before);
    CSwapItemGate first(u1.gate.get(), true), second(u2.gate.get(), true);
    RunAutomatic(first, second);
    EXPECT_EQ(Nets(), before);
}

}  // namespace
