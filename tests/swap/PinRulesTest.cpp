// Grouping swap items, whether two pins may exchange their nets, and the pin search IDs.
#include <gtest/gtest.h>

#include <list>
#include <set>

#include "host/AttributeNames.h"
#include "host/HostApp.h"
#include "module/swap/SwapItemPin.h"
#include "tests/support/BoardBuilder.h"
#include "tests/support/StubItem.h"

namespace {
using namespace lqtest;
using Groups = std::vector<std::string>;

// An item of another kind: accepts the items that the table pairs it with ("AB": A accepts B)
// and logs every question as "AB action across copper pinGroups".
std::set<std::string> g_accepts;
std::vector<std::string> g_log;
struct CTableItem : CStubItem {
    explicit CTableItem(char c) : name(c) {}
    bool CanSwap(CSwapItem* other, SWAPACTION action, bool across, bool copper, bool pinGroups) override
    {
        const std::string pair{name, dynamic_cast<CTableItem*>(other) ? static_cast<CTableItem*>(other)->name : '?'};
        g_log.push_back(pair + " " + std::to_string(action) + std::to_string(across) + std::to_string(copper) +
                        std::to_string(pinGroups));
        return g_accepts.count(pair) != 0;
    }
    const char name;
};

class Classify : public ::testing::Test {
protected:
    std::vector<CSwapItem*> Items(const std::string& names)
    {
        std::vector<CSwapItem*> out;
        for (char c : names)
            out.push_back(m_items.emplace_back(std::make_unique<CTableItem>(c)).get());
        return out;
    }
    // Both forms, which must agree; table items by name, pin items by pin number.
    static Groups Run(const std::vector<CSwapItem*>& in, SWAPACTION action = SWAP_GATE)
    {
        auto names = [](const std::list<std::vector<CSwapItem*>>& groups) {
            Groups out;
            for (const auto& group : groups) {
                out.emplace_back();
                for (CSwapItem* item : group) {
                    if (auto* t = dynamic_cast<CTableItem*>(item))
                        out.back() += t->name;
                    else
                        out.back() += static_cast<CSwapItemPin*>(item)->GetPin()->GetAttributeWithTag(LQ_PIN)->GetValueText().str();
                }
            }
            return out;
        };
        const Groups fromList = names(CSwapItem::Classify(std::list<CSwapItem*>(in.begin(), in.end()), action));
        g_log.clear();
        const Groups fromVector = names(CSwapItem::Classify(in, action));
        EXPECT_EQ(fromList, fromVector);
        return fromVector;
    }

private:
    std::vector<std::unique_ptr<CTableItem>> m_items;
};

TEST_F(Classify, TheRepresentativeDecidesFirstFit)
{
    const struct {
        const char* what;
        std::string input;
        std::set<std::string> accepts;
        Groups expected;
    } cases[] = {
        {"empty input", "", {}, {}},
        {"A takes C before B is asked", "ABC", {"AC", "BC"}, {"AC", "B"}},
        {"A accepts B although B would refuse A", "AB", {"AB"}, {"AB"}},
        {"the same pair the other way round", "BA", {"AB"}, {"B", "A"}},
        {"a member that is not the representative is never asked", "ABC", {"AB", "BC"}, {"AB", "C"}},
        {"interleaved kinds", "PQRS", {"PR", "QS"}, {"PR", "QS"}},
        {"groups of one are kept in input order", "XYZ", {}, {"X", "Y", "Z"}},
    };
    for (const auto& c : cases) {
        g_accepts = c.accepts;
        EXPECT_EQ(Run(Items(c.input)), c.expected) << c.what;
    }
    // Only representatives are asked, always with the same flags.
    g_accepts = {"AB", "BC", "AD"};
    Run(Items("ABCD"), SWAP_PIN);
    EXPECT_EQ(g_log, (std::vector<std::string>{"AB 2011", "AC 2011", "AD 2011"}));
}

TEST_F(Classify, PinItemsAndItemsOfAnotherKindNeverShareAGroup)
{
    BoardBuilder board;
    CLayoutComponent* u1 = board.Part("U1");
    CSwapItemPin p1(board.GatePin(u1, {0, 0}, "1", "A", "G", "1"), nullptr);
    CSwapItemPin p2(board.GatePin(u1, {100, 0}, "2", "A", "G", "1"), nullptr);
    CSwapItemPin p3(board.GatePin(u1, {200, 0}, "3", "A", "G", "2"), nullptr);
    std::vector<CSwapItem*> others = Items("gh");
    g_accepts = {"gh"};
    for (SWAPACTION action : {SWAP_PIN, SWAP_GATE}) {
        EXPECT_EQ(Run({&p1, others[0], &p2, &p3, others[1]}, action), (Groups{"12", "gh", "3"})) << action;
        EXPECT_EQ(Run({others[0], &p1, others[1], &p2}, action), (Groups{"gh", "12"})) << action;
    }
}

class PinEligibility : public ::testing::Test {
public:  // the case tables point at the pins
    PinEligibility()
    {
        CLayoutComponent* u1 = board.Part("U1");
        CLayoutComponent* u3 = board.Part("U3", 1, false);
        a1 = Pin(u1, "1", "A", "1");
        a2 = Pin(u1, "2", "A", "1", {{LQ_LABEL, "Q"}, {LQ_PINTYPE, "OUT"}});
        b1 = Pin(u1, "3", "B", "1");
        g2 = Pin(u1, "4", "A", "2");
        e1 = Pin(u1, "5", "A", "");
        e2 = Pin(u1, "6", "A", "");
        n1 = board.Pin(u1, Next(), {{LQ_PIN, "7"}, {LQ_GATE, "A"}});
        n2 = board.Pin(u1, Next(), {{LQ_PIN, "8"}, {LQ_GATE, "A"}});
        c1 = Pin(u1, "9", "A", "1");
        c2 = Pin(u1, "10", "A", "1");
        board.Track(c1->GetLocation(), CLQPoint(c1->GetLocation().x, 500));
        board.Via(c2->GetLocation());
        x1 = Pin(board.Part("U2"), "1", "A", "1");
        d1 = Pin(u3, "1", "A", "1");
        d2 = Pin(u3, "2", "A", "1");
        f1 = Pin(nullptr, "1", "A", "1");
        f2 = Pin(nullptr, "2", "A", "1");
        LQSetDrwSubSheet(board.Sheet());
    }
    ~PinEligibility() override { LQSetDrwSubSheet(nullptr); }

    CLQPoint Next() { return CLQPoint(m_nextX += 1000, 0); }
    CLayoutPin* Pin(CLayoutComponent* part, const char* number, const char* gate, const char* group,
                    const Attrs& more = {})
    {
        Attrs attrs{{LQ_PIN, number}, {LQ_GATE, gate}, {LQ_PINGROUP, group}};
        attrs.insert(attrs.end(), more.begin(), more.end());
        return board.Pin(part, Next(), attrs);
    }

    BoardBuilder board;
    int m_nextX = 0;
    // a: gate A group 1; b1: gate B; g2: group 2; e: empty group; n: no group; c: copper;
    // x1: on U2; d: on U3, which forbids pin swapping; f: without component.
    CLayoutPin *a1, *a2, *b1, *g2, *e1, *e2, *n1, *n2, *c1, *c2, *x1, *d1, *d2, *f1, *f2;
};

using P = PinEligibility;

TEST_F(PinEligibility, PinAndGateSwapRefuseInTheOrderOfTheirChecks)
{
    const struct {
        const char* what;
        CLayoutPin* P::*pin1;
        CLayoutPin* P::*pin2;
        bool across, checkCopper, usePinGroups, expected;
        SWAPACTION action;
    } cases[] = {
        {"eligible pair", &P::a1, &P::a2, false, true, true, true, SWAP_PIN},
        {"a pin with itself", &P::a1, &P::a1, false, true, true, true, SWAP_PIN},
        {"across components plays no part", &P::a1, &P::a2, true, true, true, true, SWAP_PIN},
        {"pin groups not to be used", &P::a1, &P::a2, false, true, false, false, SWAP_PIN},
        {"copper on the first pin", &P::c1, &P::a1, false, true, true, false, SWAP_PIN},
        {"copper on the second pin without the copper check", &P::a1, &P::c2, false, false, true, false, SWAP_PIN},
        {"different components", &P::a1, &P::x1, false, true, true, false, SWAP_PIN},
        {"first pin without component", &P::f1, &P::a1, false, true, true, false, SWAP_PIN},
        {"second pin without component", &P::a1, &P::f1, false, true, true, false, SWAP_PIN},
        {"component forbids pin swapping", &P::d1, &P::d2, false, true, true, false, SWAP_PIN},
        {"empty pin groups, equal search IDs", &P::e1, &P::e2, false, true, true, false, SWAP_PIN},
        {"no pin groups, equal search IDs", &P::n1, &P::n2, false, true, true, false, SWAP_PIN},
        {"first pin without pin group", &P::e1, &P::a1, false, true, true, false, SWAP_PIN},
        {"different pin groups", &P::a1, &P::g2, false, true, true, false, SWAP_PIN},
        {"different gates", &P::a1, &P::b1, false, true, true, false, SWAP_PIN},
        // Gate swap compares selected attributes only.
        {"same pin group, other gate", &P::a1, &P::b1, false, true, true, true, SWAP_GATE},
        {"different pin groups", &P::a1, &P::g2, false, true, true, false, SWAP_GATE},
        {"pin groups not used", &P::a1, &P::g2, false, true, false, true, SWAP_GATE},
        {"copper on the first pin checked", &P::c1, &P::a1, false, true, true, false, SWAP_GATE},
        {"copper not checked", &P::c1, &P::a1, false, false, true, true, SWAP_GATE},
        {"other component", &P::a1, &P::x1, false, true, true, false, SWAP_GATE},
        {"other component, across components", &P::a1, &P::x1, true, true, true, true, SWAP_GATE},
        {"no component, across components", &P::f1, &P::x1, true, true, true, true, SWAP_GATE},
        {"pin swapping forbidden does not matter", &P::d1, &P::d2, false, true, true, true, SWAP_GATE},
        {"empty pin groups agree", &P::e1, &P::e2, false, true, true, true, SWAP_GATE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            CSwapItemPin::CanSwap(this->*c.pin1, this->*c.pin2, c.action, c.across, c.checkCopper, c.usePinGroups),
            c.expected)
            << c.what;
        CSwapItemPin item1(this->*c.pin1, nullptr), item2(this->*c.pin2, nullptr);
        EXPECT_EQ(item1.CanSwap(&item2, c.action, c.across, c.checkCopper, c.usePinGroups), c.expected) << c.what;
    }
    // Pin group numbers are pool indices of non-empty groups.
    EXPECT_EQ(CSwapItemPin::GetPinGroup(n1), -1);
    EXPECT_EQ(CSwapItemPin::GetPinGroup(e1), -1);
    EXPECT_EQ(CSwapItemPin::GetPinGroup(a1), CPoolString("1").GetIndex());
}

TEST_F(PinEligibility, OnlyTheFirstPinsPowerTypeWidensTheComparison)
{
    CLayoutComponent* u1 = a1->GetOwnerComponent();
    const Attrs vcc{{LQ_LABEL, "VCC"}, {LQ_PINTYPE, "PWR"}};
    CLayoutPin* pwrA = Pin(u1, "20", "A", "1", vcc);
    CLayoutPin* pwrA2 = Pin(u1, "20", "A", "1", vcc);
    CLayoutPin* pwrB = Pin(u1, "20", "B", "1", vcc);
    CLayoutPin* lowerCase = Pin(u1, "21", "A", "1", {{LQ_LABEL, "VCC"}, {LQ_PINTYPE, "pwr"}});
    CLayoutPin* otherLabel = Pin(u1, "20", "A", "1", {{LQ_LABEL, "VDD"}, {LQ_PINTYPE, "PWR"}});
    CLayoutPin* pwrX = Pin(x1->GetOwnerComponent(), "20", "C", "1", vcc);
    auto gate = [](CLayoutPin* p, CLayoutPin* q, bool across = false) {
        return CSwapItemPin::CanSwap(p, q, SWAP_GATE, across, true, true);
    };
    EXPECT_TRUE(gate(pwrA, pwrA2));
    // A power pin needs the same number, label and gate; a signal pin as the object only the group.
    EXPECT_FALSE(gate(pwrA, a1));
    EXPECT_TRUE(gate(a1, pwrA));
    EXPECT_FALSE(gate(lowerCase, a1));
    EXPECT_TRUE(gate(a1, lowerCase));
    EXPECT_FALSE(gate(pwrA, otherLabel));
    EXPECT_FALSE(gate(pwrA, pwrB));
    // Across components the gate name is not compared.
    EXPECT_TRUE(gate(pwrA, pwrX, true));
    EXPECT_TRUE(gate(pwrA, pwrB, true));
    EXPECT_FALSE(gate(pwrA, otherLabel, true));
    // Without pin groups the power type adds nothing either.
    EXPECT_TRUE(CSwapItemPin::CanSwap(pwrA, g2, SWAP_GATE, false, true, false));

    for (const auto& [type, power] : std::vector<std::pair<std::string, bool>>{
             {"PWR", true}, {"pwr", true}, {"Pwr", true}, {"PWR ", false}, {"POWER", false}, {"", false}})
        EXPECT_EQ(CSwapItemPin::IsPowerPin(board.Pin(u1, Next(), {{LQ_PINTYPE, type}})), power) << type;
    EXPECT_FALSE(CSwapItemPin::IsPowerPin(a1));
    EXPECT_FALSE(CSwapItemPin::IsPowerPin(board.Pin(u1, Next(), {{"lq_pintype", "PWR"}})));
}

TEST_F(PinEligibility, CopperIsFoundWithoutACurrentSheet)
{
    // The pin's own document answers; no current sheet must not be dereferenced.
    LQSetDrwSubSheet(nullptr);
    EXPECT_TRUE(CSwapItemPin::IsConnectedToCopper(c1));
    EXPECT_TRUE(CSwapItemPin::IsConnectedToCopper(c2));
    EXPECT_FALSE(CSwapItemPin::IsConnectedToCopper(a1));
    EXPECT_FALSE(CSwapItemPin::CanSwap(a1, c1, SWAP_PIN, false, true, true));
    // Another sheet being current does not hide the pin's copper.
    BoardBuilder other;
    LQSetDrwSubSheet(other.Sheet());
    EXPECT_TRUE(CSwapItemPin::IsConnectedToCopper(c1));
}

TEST(PinSearchId, PartsSortedByTextEachClosedAndTheActionSelectsTheNames)
{
    const struct {
        const char* what;
        Attrs attrs;
        std::vector<std::string> names;
        const char* expected;
    } cases[] = {
        {"sorted by text", {{"B", "2"}, {"A", "1"}}, {"A", "B"}, "A:1;B:2;"},
        {"empty value", {{"A", ""}, {"B", "x"}}, {"A", "B"}, "A:;B:x;"},
        {"only named attributes", {{"C", "3"}, {"B", "2"}, {"A", "1"}}, {"A", "C"}, "A:1;C:3;"},
        {"no named attribute", {{"C", "3"}}, {"A"}, ""},
        {"names compared with case", {{"a", "1"}, {"A", "2"}}, {"A"}, "A:2;"},
        {"byte order puts upper case first", {{"a", "1"}, {"Z", "1"}}, {"Z", "a"}, "Z:1;a:1;"},
        {"whole parts are sorted, not names", {{"A", "2"}, {"A", "1"}}, {"A"}, "A:1;A:2;"},
        {"multibyte values", {{"L", "\xE7\xAE\xA1"}, {"K", "b"}}, {"K", "L"}, "K:b;L:\xE7\xAE\xA1;"},
    };
    for (const auto& c : cases) {
        BoardBuilder board;
        CLayoutPin* pin = board.Pin(nullptr, {0, 0}, c.attrs);
        std::map<CString, CString> names;
        for (const std::string& n : c.names)
            names.emplace(n.c_str(), n.c_str());
        EXPECT_EQ(CSwapItemPin::GetSearchID(pin, names).str(), c.expected) << c.what;
        EXPECT_EQ(CSwapItemPin(pin, nullptr).GetSearchID(names).str(), c.expected) << c.what;
    }

    BoardBuilder board;
    CLayoutPin* pin =
        board.Pin(board.Part("U1"), {0, 0},
                  {{LQ_PINGROUP, "3"}, {LQ_PIN, "7"}, {LQ_LABEL, "D0"}, {LQ_GATE, "G1"}, {LQ_PINTYPE, "PWR"}});
    EXPECT_EQ(CSwapItemPin::GetSearchID(pin, SWAP_GATE).str(), "LQ_PINGROUP:3;");
    EXPECT_EQ(CSwapItemPin::GetSearchID(pin, SWAP_PIN).str(), "LQ_GATE:G1;LQ_PINGROUP:3;");
    EXPECT_EQ(CSwapItemPin(pin, nullptr).GetSearchID().str(), "LQ_GATE:G1;LQ_PINGROUP:3;");
}

}  // namespace
