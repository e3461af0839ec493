// The gate store: gates built from the pins' attributes, their selection, hit test and groups.
#include <gtest/gtest.h>

#include <limits>
#include <list>

#include "host/AttributeNames.h"
#include "module/gates/Gate.h"
#include "module/gates/GateStore.h"
#include "module/swap/SwapItemGate.h"
#include "tests/support/ModuleFixture.h"

namespace {
using namespace lqtest;
using Strings = std::vector<std::string>;

class GateStore : public ModuleTest {
protected:
    CLayoutPin* Pin(CLayoutComponent* part, const std::string& number, const Attrs& gateAttrs, CLQPoint at = {})
    {
        Attrs attrs{{LQ_PIN, number}, {LQ_PINGROUP, "1"}};
        attrs.insert(attrs.end(), gateAttrs.begin(), gateAttrs.end());
        return board.Pin(part, at, attrs);
    }
    static Attrs In(const std::string& gate, const std::string& group)
    {
        return {{LQ_GATE, gate}, {LQ_GATEGROUP, group}};
    }
    template <class Gates>
    static Strings IDs(const Gates& gates)
    {
        Strings out;
        for (auto* g : gates)
            out.push_back(g->GetSearchID().str());
        return out;
    }
    static Strings PinNumbers(CGate* gate)
    {
        Strings out;
        for (CLayoutPin* pin : gate->GetPins())
            out.push_back(pin->GetAttributeWithTag(LQ_PIN)->GetValueText().str());
        return out;
    }
};

TEST_F(GateStore, PinsJoinTheirRealGateOnlyWithExactlyOneGateAndOneGroupAttributeInIDOrder)
{
    CLayoutComponent* u1 = board.Part("U1");
    Pin(u1, "1", In("b", "G"));
    Pin(u1, "2", In("B", "G"));
    Pin(u1, "3", In("b", "G"));
    Pin(u1, "4", {});
    Pin(u1, "5", {{LQ_GATE, "C"}});
    Pin(u1, "6", {{LQ_GATE, "D"}, {LQ_GATE, "E"}, {LQ_GATEGROUP, "G"}});
    Pin(u1, "7", {{LQ_GATE, "F"}, {LQ_GATEGROUP, "G"}, {LQ_GATEGROUP, "H"}});
    Pin(board.Part("U10", 2), "1", In("A", "G"));
    Pin(board.Part("U2", 2), "1", In("A", "H"));
    CGateStore store(board.Sheet());
    const std::vector<CGate*> real = store.GetGates(true, false);
    ASSERT_EQ(IDs(real), (Strings{"U1,G,B", "U1,G,b", "U10,G,A", "U2,H,A"}));
    EXPECT_EQ(PinNumbers(real[1]), (Strings{"1", "3"}));
    const std::vector<CGate*> pseudo = store.GetGates(false, true);
    ASSERT_EQ(IDs(pseudo), (Strings{"U1,,", "U10,,", "U2,,"}));
    EXPECT_EQ(PinNumbers(pseudo[0]), (Strings{"1", "2", "3", "4", "5", "6", "7"}));
    // Built once: the same records on every request.
    EXPECT_EQ(store.GetGates(true, false), real);
}

TEST_F(GateStore, PinsOfComponentsInTurnsJoinTheirOwnGatesInByteOrderAndOneIDFromTwoSpellingsOrPartsIsTheFirstGate)
{
    CLayoutComponent* u3 = board.Part("U3");
    CLayoutComponent* u4 = board.Part("U4");
    Pin(u3, "1", In("A", "G"));
    Pin(u4, "1", In("A", "G"));
    Pin(u3, "2", In("A", "G"));
    // A second U4 in between: its pins belong to no gate of the first's.
    Pin(board.Part("U4"), "9", In("A", "G"));
    Pin(u4, "2", {});
    Pin(u3, "3", In("b", "G,a"));
    Pin(u3, "4", In("a,b", "G"));
    // Long designators alike in their first bytes, and one beyond ASCII: byte order all the same.
    for (const char* refDes : {"\xC3\x9C" "1", "LONGNAME2", "LONGNAME10"})
        Pin(board.Part(refDes), "1", In("A", "G"));
    CGateStore store(board.Sheet());
    const std::vector<CGate*> real = store.GetGates(true, false);
    ASSERT_EQ(IDs(real), (Strings{"LONGNAME10,G,A", "LONGNAME2,G,A", "U3,G,A", "U3,G,a,b", "U4,G,A", "\xC3\x9C" "1,G,A"}));
    EXPECT_EQ(PinNumbers(real[2]), (Strings{"1", "2"}));
    EXPECT_EQ(PinNumbers(real[3]), (Strings{"3", "4"}));
    EXPECT_STREQ(real[3]->GetGateName(), "b");
    EXPECT_EQ(PinNumbers(real[4]), (Strings{"1"}));
    const std::vector<CGate*> pseudo = store.GetGates(false, true);
    ASSERT_EQ(IDs(pseudo), (Strings{"LONGNAME10,,", "LONGNAME2,,", "U3,,", "U4,,", "\xC3\x9C" "1,,"}));
    EXPECT_EQ(PinNumbers(pseudo[3]), (Strings{"1", "2"}));
}

TEST_F(GateStore, FlagsSelectRealAndPseudoGatesByTheGateSwapSetting)
{
    Pin(board.Part("U1", 1), "1", In("A", "G"));
    Pin(board.Part("U2", 0), "1", In("A", "G"));  // kept out altogether
    Pin(board.Part("U3", 2), "1", {});
    Pin(board.Part("U4", -1), "1", {});  // no setting: 1
    CGateStore store(board.Sheet());
    const struct {
        bool bRealOnly, bPseudoOnly;
        Strings ids;
    } cases[] = {{false, false, {"U1,G,A", "U3,,"}}, {false, true, {"U1,,", "U3,,", "U4,,"}}, {true, false, {"U1,G,A"}},
                 {true, true, {}}};
    for (const auto& c : cases)
        EXPECT_EQ(IDs(store.GetGates(c.bRealOnly, c.bPseudoOnly)), c.ids) << c.bRealOnly << c.bPseudoOnly;
}

TEST_F(GateStore, GetGateAtTakesTheFirstGateInIDOrderWhoseCircleHoldsThePoint)
{
    dc.SetZoom(10);  // gate size 9 pixels = 90 units
    CLayoutComponent* u1 = board.Part("U1");
    Pin(u1, "1", In("B", "G"), {0, 0});
    Pin(u1, "2", In("B", "G"), {200, 0});
    Pin(u1, "3", In("A", "G"), {-60, 0});
    Pin(u1, "4", In("A", "G"), {140, 0});
    CGateStore store(board.Sheet());
    CGate* a = store.GetGates(true, false)[0];
    CGate* b = store.GetGates(true, false)[1];
    const CLQPoint ca = a->GetCenterPoint();
    const CLQPoint cb = b->GetCenterPoint();
    ASSERT_EQ(cb.x - ca.x, 60);
    ASSERT_EQ(cb.y, ca.y);
    // Nearer B's centre but inside A's circle too; exactly on the circle (54² + 72² = 90²) is inside.
    const std::pair<CLQPoint, CGate*> hits[] = {{{cb.x + 10, cb.y}, a},      {{cb.x + 80, cb.y}, b},
                                                {{ca.x - 54, ca.y - 72}, a}, {{ca.x - 54, ca.y - 73}, nullptr},
                                                {{ca.x - 90, ca.y}, a},      {{ca.x - 91, ca.y}, nullptr}};
    for (const auto& [at, gate] : hits)
        EXPECT_EQ(store.GetGateAt(at.x, at.y, true, false), gate) << at.x << "," << at.y;
    // The pseudo-gate is found only when pseudo-gates are asked for.
    CGate* pseudo = store.GetGates(false, true)[0];
    const CLQPoint cp = pseudo->GetCenterPoint();
    EXPECT_EQ(store.GetGateAt(cp.x, cp.y + 89, false, true), pseudo);
    EXPECT_EQ(store.GetGateAt(cp.x, cp.y + 89, true, true), nullptr);
}

// Regression: the squared distance overflowed 64 bits for points across the board and could
// report a hit far away.
TEST_F(GateStore, PointsAcrossTheWholeBoardAreFarAway)
{
    constexpr std::int32_t kFar = 2100000000, kMin = std::numeric_limits<std::int32_t>::min();
    CLayoutComponent* part = board.Part("U1", 1, true, {}, CLQRect(kFar, 0, kFar, 0));
    Pin(part, "1", In("A", "G"), {kFar - 100, 0});
    Pin(part, "2", In("A", "G"), {kFar + 100, 0});
    CGateStore store(board.Sheet());
    EXPECT_EQ(store.GetGateAt(-kFar, 0, true, false), nullptr);
    EXPECT_EQ(store.GetGateAt(kMin, kMin, true, false), nullptr);
    EXPECT_NE(store.GetGateAt(kFar, 0, true, false), nullptr);
}

TEST_F(GateStore, OneOptimisingItemPerRealGateAndGroupsClassifiedAnewAtEveryRequestIntoTheSameList)
{
    CLayoutComponent* u1 = board.Part("U1", 2, true, {{"Value", "7400"}});
    CLayoutComponent* u2 = board.Part("U2", 2, true, {{"Value", "7400"}});
    CLayoutComponent* u3 = board.Part("U3", 2, true, {{"Value", "7400"}});
    Pin(u2, "1", In("A", "G"));
    Pin(u1, "1", In("A", "G"));
    Pin(u1, "2", In("B", "G"));
    Pin(u3, "1", {});
    CGateStore store(board.Sheet());
    std::vector<CSwapItemGate*>& items = store.GetGateSwapItems();
    ASSERT_EQ(items.size(), 3u);
    for (std::size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i]->GetGate(), store.GetGates(true, false)[i]);
    EXPECT_EQ(store.GetGateSwapItemsOfComponent(u1), (std::vector<CSwapItem*>{items[0], items[1]}));
    EXPECT_EQ(store.GetGateSwapItemsOfComponent(u2), std::vector<CSwapItem*>{items[2]});
    EXPECT_TRUE(store.GetGateSwapItemsOfComponent(u3).empty());

    auto groups = [&] {
        std::vector<Strings> out;
        for (const auto& group : store.GetGateSwapGroups())
            out.push_back(IDs(group));
        return out;
    };
    std::list<std::vector<CSwapItem*>>* list = &store.GetGateSwapGroups();
    EXPECT_EQ(groups(), (std::vector<Strings>{{"U1,G,A", "U1,G,B", "U2,G,A"}}));
    // U2 no longer matches U1's attributes: its gate leaves the group, and comes back.
    u2->GetAttributeWithTag("Value")->SetValueText("74HC00");
    EXPECT_EQ(groups(), (std::vector<Strings>{{"U1,G,A", "U1,G,B"}, {"U2,G,A"}}));
    u2->GetAttributeWithTag("Value")->SetValueText("7400");
    EXPECT_EQ(groups(), (std::vector<Strings>{{"U1,G,A", "U1,G,B", "U2,G,A"}}));
    EXPECT_EQ(&store.GetGateSwapGroups(), list);
}

}  // namespace
