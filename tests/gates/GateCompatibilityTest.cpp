// Whether two gates are equivalent, and the gate's own connection operations.
#include <gtest/gtest.h>

#include "host/AttributeNames.h"
#include "host/Net.h"
#include "module/gates/Gate.h"
#include "tests/support/ModuleFixture.h"

namespace {
using namespace lqtest;

class ProbeGate : public CGate {
public:
    using CGate::CGate;
    using CGate::CompareComponentAttributes;
    using CGate::ComparePins;
};

class GateCompatibility : public ModuleTest {
protected:
    // One pin per entry, with that pin group; "" leaves the pin without LQ_PINGROUP.
    ProbeGate* Gate(CLayoutComponent* part, const char* name, const char* group,
                    const std::vector<std::string>& pinGroups)
    {
        m_gates.push_back(std::make_unique<ProbeGate>(part, name, group));
        for (const std::string& pinGroup : pinGroups) {
            m_nextX += 100;
            m_gates.back()->AddPin(board.GatePin(part, {m_nextX, 0}, std::to_string(m_nextX), name, group, pinGroup));
        }
        return m_gates.back().get();
    }
    std::vector<std::unique_ptr<ProbeGate>> m_gates;
    int m_nextX = 0;
};

TEST_F(GateCompatibility, CanSwapNeedsLayoutSheetSameGroupCompatibleComponentsAndMatchingPins)
{
    CLayoutComponent* u1 = board.Part("U1");
    ProbeGate* g1 = Gate(u1, "1", "G", {"a", "b"});
    ProbeGate* g2 = Gate(u1, "2", "G", {"b", "a"});
    ProbeGate* lowerGroup = Gate(u1, "3", "g", {"a", "b"});
    EXPECT_TRUE(g1->CanSwap(g1));
    EXPECT_TRUE(g2->CanSwap(g1));
    EXPECT_FALSE(g1->CanSwap(lowerGroup));
    EXPECT_FALSE(lowerGroup->CanSwap(g1));
    EXPECT_FALSE(g1->CanSwap(Gate(board.Part("U2"), "1", "G", {"a", "b"})));
    EXPECT_FALSE(g1->CanSwap(Gate(u1, "4", "G", {"a", "c"})));
    ProbeGate* noPinGroup = Gate(u1, "5", "G", {"", "a"});
    EXPECT_FALSE(noPinGroup->CanSwap(noPinGroup));
    CDrwSubSheet plainLayout(LQ_DOCTYPE_LAYOUT);
    for (CDrwSubSheet* sheet : {static_cast<CDrwSubSheet*>(nullptr), &plainLayout}) {
        LQSetDrwSubSheet(sheet);
        EXPECT_FALSE(g1->CanSwap(g2));
    }
    UseSheet(board);
}

TEST_F(GateCompatibility, ComponentsMustAgreeInEveryAttributeButTheDesignator)
{
    const char* gs = LQ_GATESWAP;
    const struct {
        const char* name;
        int swap1;
        Attrs attrs1;
        int swap2;
        Attrs attrs2;
        bool expected;
    } cases[] = {
        {"both 2, only the designator differs", 2, {{"Value", "10k"}}, 2, {{"Value", "10k"}}, true},
        {"attributes in another order", 2, {{"A", "1"}, {"B", "2"}}, 2, {{"B", "2"}, {"A", "1"}}, true},
        {"no setting on either (1)", -1, {{"Value", "10k"}}, -1, {{"Value", "10k"}}, false},
        {"unreadable setting on both (1)", -1, {{gs, "two"}}, -1, {{gs, "two"}}, false},
        {"both 1", 1, {}, 1, {}, false},
        // Doubled settings: equal attribute keys, but the first one is the setting.
        {"first 2, second 1", -1, {{gs, "2"}, {gs, "1"}}, -1, {{gs, "1"}, {gs, "2"}}, false},
        {"both 2 with doubled settings", -1, {{gs, "2"}, {gs, "1"}}, -1, {{gs, "2"}, {gs, "1"}}, true},
        {"value differs", 2, {{"Value", "10k"}}, 2, {{"Value", "4k7"}}, false},
        {"value differs in letter case", 2, {{"Value", "10k"}}, 2, {{"Value", "10K"}}, false},
        {"name differs in letter case", 2, {{"Value", "10k"}}, 2, {{"VALUE", "10k"}}, false},
        {"first has one more", 2, {{"A", "1"}, {"B", "2"}}, 2, {{"A", "1"}}, false},
        {"second has one more", 2, {{"A", "1"}}, 2, {{"A", "1"}, {"B", "2"}}, false},
        {"only the second's keys are looked up", 2, {{"A", "1"}, {"B", "2"}}, 2, {{"A", "1"}, {"A", "1"}}, true},
        {"a key of the second is missing", 2, {{"A", "1"}, {"A", "1"}}, 2, {{"A", "1"}, {"B", "2"}}, false},
    };
    for (const auto& c : cases) {
        CLayoutComponent* p1 = board.Part("U1", c.swap1, true, c.attrs1);
        CLayoutComponent* p2 = board.Part("U2", c.swap2, true, c.attrs2);
        EXPECT_EQ(ProbeGate(p1, "1", "G").CompareComponentAttributes(Gate(p2, "1", "G", {})), c.expected) << c.name;
    }
    // Within one component the setting does not matter.
    for (int setting : {-1, 0, 1, 2}) {
        CLayoutComponent* part = board.Part("U9", setting, true, {{"Value", "10k"}});
        EXPECT_TRUE(ProbeGate(part, "1", "G").CompareComponentAttributes(Gate(part, "2", "G", {}))) << setting;
    }
}

TEST_F(GateCompatibility, PinsMustPairOffByTheirSearchIdsWithoutCopper)
{
    const struct {
        const char* name;
        std::vector<std::string> mine, theirs;
        int copperOn;  // 0 none, 1 this gate, 2 the other
        bool expected;
    } cases[] = {
        {"same ids in another order", {"a", "b"}, {"b", "a"}, 0, true},
        {"duplicates counted alike", {"a", "a"}, {"a", "a"}, 0, true},
        {"{a,a,b} against {a,b,b}", {"a", "a", "b"}, {"a", "b", "b"}, 0, false},
        {"fewer pins", {"a"}, {"a", "b"}, 0, false},
        {"an empty id never matches", {"", "a"}, {"", "a"}, 0, false},
        {"id letter case", {"a", "b"}, {"a", "B"}, 0, false},
        {"copper on the last pin of this gate", {"a", "b"}, {"b", "a"}, 1, false},
        {"copper on the last pin of the other gate", {"a", "b"}, {"b", "a"}, 2, false},
    };
    CLayoutComponent* part = board.Part("U1");
    for (const auto& c : cases) {
        ProbeGate* mine = Gate(part, "1", "G", c.mine);
        ProbeGate* theirs = Gate(part, "2", "G", c.theirs);
        if (c.copperOn != 0)
            board.Via((c.copperOn == 1 ? mine : theirs)->GetPins().back()->GetLocation());
        EXPECT_EQ(mine->ComparePins(theirs), c.expected) << c.name;
    }
}

TEST_F(GateCompatibility, IsConnectedAndUnConnectJudgePowerPinsDifferently)
{
    const struct {
        const char* type;
        bool real, connected, keptOnNet;
    } cases[] = {
        {"", true, true, false}, {"PWR", true, false, true},   {"pwr", true, true, true},
        {"", false, true, false}, {"PWR", false, false, false}, {"pwr", false, true, false},
    };
    CLayoutComponent* part = board.Part("U1");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.real ? "real gate, type '" : "pseudo-gate, type '") + c.type + "'");
        CGate gate(part, c.real ? "1" : "", c.real ? "G" : "");
        CLayoutPin* idle = board.GatePin(part, {0, 0}, "1", "1", "G", "a");
        CLayoutPin* wired = board.GatePin(part, {100, 0}, "2", "1", "G", "a", c.type);
        gate.AddPin(idle);
        gate.AddPin(wired);
        CLayoutNet* net = board.Net("N", {wired});
        EXPECT_EQ(gate.IsConnected(), c.connected);
        gate.UnConnect();
        EXPECT_EQ(NetOf(wired), c.keptOnNet ? "N" : "");
        EXPECT_EQ(net->GetNetPinCount(), c.keptOnNet ? 1 : 0);
        EXPECT_EQ(wired->GetNetConnection()->GetNetPin() != nullptr, c.keptOnNet);
    }
}

}  // namespace
