// The gate record: pins, identity, pin search IDs, centre, marker size, swap pin items and groups.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "host/HostApp.h"
#include "host/Net.h"
#include "module/gates/Gate.h"
#include "module/swap/SwapItemPin.h"
#include "tests/support/ModuleFixture.h"

namespace {
using lqtest::Attrs;
using lqtest::ModuleTest;

// Opens the protected operations to the tests.
class ProbeGate : public CGate {
public:
    using CGate::CGate;
    using CGate::GetPinSearchIDs;
};

std::vector<std::string> Texts(const std::vector<CPoolString>& ids)
{
    std::vector<std::string> out;
    for (const CPoolString& id : ids)
        out.emplace_back(id.GetString());
    return out;
}

// The groups as pins, and every item checked to be one of the gate's own items.
std::vector<std::vector<CLayoutPin*>> GroupPins(CGate& gate)
{
    const std::vector<CSwapItem*>& items = gate.GetSwapPinItems();
    std::vector<std::vector<CLayoutPin*>> out;
    for (const std::vector<CSwapItem*>& group : gate.GetSwapPinItemGroups()) {
        out.emplace_back();
        for (CSwapItem* item : group) {
            EXPECT_NE(std::find(items.begin(), items.end(), item), items.end());
            out.back().push_back(static_cast<CSwapItemPin*>(item)->GetPin());
        }
    }
    return out;
}

using GateRecord = ModuleTest;

TEST_F(GateRecord, AddPinKeepsOwnPinsInOrderWithDuplicatesAndRefusesOthers)
{
    CLayoutComponent* u1 = board.Part("U1");
    CLayoutComponent* u2 = board.Part("U2");
    CLayoutPin* a = board.GatePin(u1, {0, 0}, "1", "A", "G", "P");
    CLayoutPin* b = board.GatePin(u1, {10, 0}, "2", "A", "G", "P");
    CLayoutPin* foreign = board.GatePin(u2, {0, 0}, "1", "A", "G", "P");
    CLayoutPin* loose = board.Pin(nullptr, {0, 0}, {});

    CGate gate(u1, "A", "G");
    EXPECT_TRUE(gate.AddPin(b));
    EXPECT_TRUE(gate.AddPin(a));
    EXPECT_TRUE(gate.AddPin(b));
    EXPECT_FALSE(gate.AddPin(foreign));
    EXPECT_FALSE(gate.AddPin(loose));
    EXPECT_EQ(gate.GetPins(), (std::vector<CLayoutPin*>{b, a, b}));
    EXPECT_EQ(gate.GetComponent(), u1);
    EXPECT_STREQ(gate.GetRuntimeClass()->m_lpszClassName, "CGate");
    EXPECT_TRUE(gate.IsKindOf(RUNTIME_CLASS(CObject)));
}

TEST_F(GateRecord, SearchIdJoinsDesignatorGroupAndNameAndTellsRealFromPseudo)
{
    struct Case {
        const char* gate;
        const char* group;
        const char* id;
        bool real;
    };
    const Case cases[] = {
        {"2", "A", "U3,A,2", true},
        {"", "A", "U3,A,", true},
        {"2", "", "U3,,2", true},
        {"", "", "U3,,", false},
    };
    CLayoutComponent* u3 = board.Part("U3");
    for (const Case& c : cases) {
        CGate gate(u3, c.gate, c.group);
        EXPECT_STREQ(gate.GetSearchID().GetString(), c.id);
        EXPECT_EQ(gate.IsRealGate(), c.real) << c.id;
        EXPECT_STREQ(gate.GetGateName().GetString(), c.gate);
        EXPECT_STREQ(gate.GetGateGroupName().GetString(), c.group);
    }

    CLayoutComponent* bare = board.Part("X");
    bare->GetAttributes()->Remove(bare->GetAttributeWithTag(LQ_REFDES));
    EXPECT_STREQ(CGate(bare, "2", "A").GetSearchID().GetString(), ",A,2");
}

TEST_F(GateRecord, PinSearchIdsOfRealGatesAddTheNetSerialToPowerPinsOnly)
{
    CLayoutComponent* u1 = board.Part("U1");
    const Attrs power{{LQ_PIN, "14"}, {LQ_LABEL, "VCC"}, {LQ_GATE, "A"}, {LQ_PINGROUP, "PW"}, {LQ_GATEGROUP, "G"}};
    CLayoutPin* signal = board.Pin(u1, {0, 0}, {{LQ_PIN, "1"}, {LQ_LABEL, "IN"}, {LQ_GATE, "A"}, {LQ_PINGROUP, "P1"}});
    CLayoutPin* noGroup = board.Pin(u1, {0, 0}, {{LQ_PIN, "2"}, {LQ_GATE, "A"}});
    Attrs upper = power, lower = power, loose = power, other = power;
    upper.emplace_back(LQ_PINTYPE, "PWR");
    lower.emplace_back(LQ_PINTYPE, "pwr");
    loose.emplace_back(LQ_PINTYPE, "Pwr");
    other.emplace_back(LQ_PINTYPE, "PWR");
    CLayoutPin* vcc1 = board.Pin(u1, {0, 0}, upper);
    CLayoutPin* vcc2 = board.Pin(u1, {0, 0}, lower);
    CLayoutPin* unconnected = board.Pin(u1, {0, 0}, loose);
    CLayoutPin* elsewhere = board.Pin(u1, {0, 0}, other);
    CLayoutNet* n1 = board.Net("VCC", {vcc1, vcc2, signal});
    CLayoutNet* n2 = board.Net("VDD", {elsewhere});
    ASSERT_NE(n1->GetSerial(), n2->GetSerial());

    const std::string powerId = "LQ_GATE:A;LQ_LABEL:VCC;LQ_PIN:14;LQ_PINGROUP:PW;";
    ProbeGate real(u1, "A", "G");
    ProbeGate pseudo(u1, "", "");
    for (CLayoutPin* pin : {signal, noGroup, vcc1, vcc2, unconnected, elsewhere}) {
        real.AddPin(pin);
        pseudo.AddPin(pin);
    }
    EXPECT_EQ(Texts(real.GetPinSearchIDs()),
              (std::vector<std::string>{"LQ_PINGROUP:P1;", "", powerId + std::to_string(n1->GetSerial()),
                                        powerId + std::to_string(n1->GetSerial()), powerId + "0",
                                        powerId + std::to_string(n2->GetSerial())}));
    EXPECT_EQ(Texts(pseudo.GetPinSearchIDs()),
              (std::vector<std::string>{"LQ_GATE:A;LQ_LABEL:IN;LQ_PIN:1;LQ_PINGROUP:P1;", "LQ_GATE:A;LQ_PIN:2;",
                                        powerId, powerId, powerId, powerId}));
}

TEST_F(GateRecord, CentreHalvesTowardZeroAlongTheLongerExtentAndTowardTheComponentAlongTheOther)
{
    constexpr std::int32_t kMax = INT32_MAX;
    constexpr std::int32_t kMin = INT32_MIN;
    struct PinAt {
        CLQPoint at;
        const char* type;
    };
    struct Case {
        const char* name;
        CLQRect outline;
        std::vector<PinAt> pins;
        CLQPoint centre;
    };
    const Case cases[] = {
        {"horizontal row", {0, 0, 200, 100}, {{{0, 0}, ""}, {{100, 0}, ""}, {{200, 10}, ""}}, {100, 27}},
        {"vertical column", {0, 0, 120, 200}, {{{0, 0}, ""}, {{10, 300}, ""}}, {32, 150}},
        {"square counts as vertical", {0, 0, 600, 600}, {{{0, 0}, ""}, {{100, 100}, ""}}, {175, 50}},
        {"PWR pins left out, lower-case pwr kept",
         {0, 0, 600, 600},
         {{{0, 0}, ""}, {{100, 0}, ""}, {{5000, 5000}, "PWR"}, {{100, 40}, "pwr"}},
         {50, 160}},
        {"only power pins", {0, 0, 601, 100}, {{{1000, 1000}, "PWR"}, {{2000, 3000}, "PWR"}}, {150, 0}},
        {"no pins", {0, 0, 601, 100}, {}, {150, 0}},
        {"single negative pin", {0, 0, 0, 0}, {{{-3, -7}, ""}}, {-1, -7}},
        {"negative row", {0, 0, 0, 0}, {{{-5, -1}, ""}, {{-2, -1}, ""}}, {-3, 0}},
        {"near the upper limit",
         {kMax - 100, kMax - 100, kMax, kMax},
         {{{kMax - 10, kMax - 2}, ""}, {{kMax, kMax}, ""}},
         {kMax - 5, kMax - 26}},
        {"near the lower limit",
         {kMin, kMin, kMin + 2, kMin + 2},
         {{{kMin, kMin}, ""}, {{kMin + 9, kMin}, ""}},
         {kMin + 5, kMin + 1}},
        {"extent across the whole range", {0, 0, 0, 200}, {{{kMin, 0}, ""}, {{kMax - 2, 1}, ""}}, {-1, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lqtest::BoardBuilder local;
        CLayoutComponent* part = local.Part("U1", 1, true, {}, c.outline);
        CGate gate(part, "A", "G");
        for (const PinAt& p : c.pins) {
            Attrs attrs;
            if (*p.type != '\0')
                attrs.emplace_back(LQ_PINTYPE, p.type);
            gate.AddPin(local.Pin(part, p.at, attrs, 0));
        }
        const CLQPoint centre = gate.GetCenterPoint();
        EXPECT_EQ(centre.x, c.centre.x);
        EXPECT_EQ(centre.y, c.centre.y);
    }
}

TEST_F(GateRecord, CentreIsRecomputedOnEveryRequest)
{
    CLayoutComponent* part = board.Part("U1", 1, true, {}, {0, 0, 0, 0});
    CLayoutPin* a = board.Pin(part, {0, 0}, {});
    CLayoutPin* b = board.Pin(part, {100, 0}, {});
    CGate gate(part, "A", "G");
    gate.AddPin(a);
    gate.AddPin(b);
    EXPECT_EQ(gate.GetCenterPoint(), CLQPoint(50, 0));
    b->Offset(100, 0);
    EXPECT_EQ(gate.GetCenterPoint(), CLQPoint(100, 0));
}

TEST_F(GateRecord, GateSizeIsNinePixelsOfTheCurrentContextAtMostOneMillion)
{
    CGate gate(board.Part("U1"), "A", "G");
    struct Case {
        std::int64_t zoom;
        long size;
    };
    const Case cases[] = {{10, 90}, {111111, 999999}, {111112, 1000000}, {1000000000000000LL, 1000000}};
    for (const Case& c : cases) {
        dc.SetZoom(c.zoom);
        EXPECT_EQ(gate.GetGateSize(), c.size) << "zoom " << c.zoom;
    }
    LQSetDrawContext(nullptr);
    EXPECT_EQ(gate.GetGateSize(), 1000000);
}

TEST_F(GateRecord, SwapPinItemsWrapEachPinOnceAndAreKept)
{
    CLayoutComponent* u1 = board.Part("U1");
    CLayoutPin* a = board.GatePin(u1, {0, 0}, "1", "A", "G", "P");
    CLayoutPin* b = board.GatePin(u1, {10, 0}, "2", "A", "G", "P");
    CGate gate(u1, "A", "G");
    gate.AddPin(a);
    gate.AddPin(b);
    const std::vector<CSwapItem*> items = gate.GetSwapPinItems();
    ASSERT_EQ(items.size(), 2u);
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto* item = DYNAMIC_DOWNCAST(CSwapItemPin, items[i]);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetPin(), gate.GetPins()[i]);
        EXPECT_EQ(item->GetGate(), &gate);
    }
    EXPECT_EQ(gate.GetSwapPinItems(), items);
}

TEST_F(GateRecord, RealGatesGroupSwappablePinsAndPseudoGatesKeepEachPinAlone)
{
    CLayoutComponent* u1 = board.Part("U1", 1, true);
    CLayoutComponent* locked = board.Part("U2", 1, false);
    auto pinsOf = [&](CLayoutComponent* part, int x) {
        std::vector<CLayoutPin*> pins{board.GatePin(part, {x, 0}, "1", "A", "G", "1"),
                                      board.GatePin(part, {x + 100, 0}, "2", "A", "G", "2"),
                                      board.GatePin(part, {x + 200, 0}, "3", "A", "G", "1"),
                                      board.GatePin(part, {x + 300, 0}, "4", "A", "G", "1")};
        board.Via(pins[3]->GetLocation());
        return pins;
    };
    const std::vector<CLayoutPin*> p = pinsOf(u1, 0);
    const std::vector<CLayoutPin*> q = pinsOf(locked, 10000);

    struct Case {
        const char* name;
        CLayoutComponent* part;
        const char* gateName;
        const std::vector<CLayoutPin*>& pins;
        std::vector<std::vector<CLayoutPin*>> groups;
    };
    const Case cases[] = {
        {"real gate: pin groups, copper alone", u1, "A", p, {{p[0], p[2]}, {p[1]}, {p[3]}}},
        {"pseudo-gate", u1, "", p, {{p[0]}, {p[1]}, {p[2]}, {p[3]}}},
        {"real gate without pin swapping", locked, "A", q, {{q[0]}, {q[1]}, {q[2]}, {q[3]}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGate gate(c.part, c.gateName, *c.gateName != '\0' ? "G" : "");
        for (CLayoutPin* pin : c.pins)
            gate.AddPin(pin);
        EXPECT_EQ(GroupPins(gate), c.groups);
    }
}

TEST_F(GateRecord, ResetPinGroupsRebuildsOverTheSameItems)
{
    CLayoutComponent* u1 = board.Part("U1");
    CLayoutPin* a = board.GatePin(u1, {0, 0}, "1", "A", "G", "1");
    CLayoutPin* b = board.GatePin(u1, {100, 0}, "2", "A", "G", "1");
    CLayoutPin* c = board.GatePin(u1, {200, 0}, "3", "A", "G", "1");
    CGate gate(u1, "A", "G");
    for (CLayoutPin* pin : {a, b, c})
        gate.AddPin(pin);
    const std::vector<CSwapItem*> items = gate.GetSwapPinItems();
    const auto* list = &gate.GetSwapPinItemGroups();
    ASSERT_EQ(GroupPins(gate), (std::vector<std::vector<CLayoutPin*>>{{a, b, c}}));

    board.Via(b->GetLocation());
    EXPECT_EQ(GroupPins(gate), (std::vector<std::vector<CLayoutPin*>>{{a, b, c}})) << "served from the record";

    gate.ResetPinGroups();
    EXPECT_EQ(GroupPins(gate), (std::vector<std::vector<CLayoutPin*>>{{a, c}, {b}}));
    EXPECT_EQ(&gate.GetSwapPinItemGroups(), list);
    EXPECT_EQ(gate.GetSwapPinItems(), items);
    const auto& groups = gate.GetSwapPinItemGroups();
    EXPECT_EQ(groups.front(), (std::vector<CSwapItem*>{items[0], items[2]}));
    EXPECT_EQ(groups.back(), (std::vector<CSwapItem*>{items[1]}));
}

}  // namespace
