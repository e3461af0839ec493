// First-fit classification of swap items into groups of mutually swappable items.
#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "module/swap/SwapItemPin.h"
#include "tests/support/BoardBuilder.h"

namespace {
using lqtest::BoardBuilder;
using Groups = std::vector<std::string>;
using Table = std::set<std::string>;

// An item of another kind: it accepts the items that the table pairs it with ("AB": A accepts B)
// and logs every question as "AB action across copper pinGroups".
class CTableItem : public CSwapItem {
public:
    CTableItem(char name, const Table& accepts, std::vector<std::string>& log) : m_name(name), m_accepts(accepts), m_log(log) {}
    char Name() const { return m_name; }

    bool CanSwap(CSwapItem* other, SWAPACTION action, bool across, bool copper, bool pinGroups) override
    {
        auto* pOther = dynamic_cast<CTableItem*>(other);
        const std::string pair{m_name, pOther != nullptr ? pOther->m_name : '?'};
        m_log.push_back(pair + " " + std::to_string(action) + std::to_string(across) + std::to_string(copper) +
                        std::to_string(pinGroups));
        return m_accepts.count(pair) != 0;
    }
    std::int64_t GetDistance(CSwapItem*, CObject**&, std::int64_t fallback) override { return fallback; }
    CString GetSearchID() override { return CString(); }
    bool IsConnected() override { return false; }
    void Refresh() override {}
    void Swap(CSwapItem*, CObject**) override {}
    bool Swap(CSwapItem*) override { return false; }
    void Connect(CSwapItem*, CObject**) override {}
    void Unconnect() override {}

private:
    char m_name;
    const Table& m_accepts;
    std::vector<std::string>& m_log;
};

// Groups as texts: table items by name, pin items as their pin number.
Groups Names(const std::list<std::vector<CSwapItem*>>& groups)
{
    Groups out;
    for (const auto& group : groups) {
        out.emplace_back();
        for (CSwapItem* item : group) {
            if (auto* table = dynamic_cast<CTableItem*>(item))
                out.back() += table->Name();
            else
                out.back() += static_cast<CSwapItemPin*>(item)->GetPin()->GetAttributeWithTag(LQ_PIN)->GetValueText().str();
        }
    }
    return out;
}

class Classify : public ::testing::Test {
protected:
    std::vector<CSwapItem*> Items(const std::string& names)
    {
        std::vector<CSwapItem*> out;
        for (char c : names) {
            items.push_back(std::make_unique<CTableItem>(c, accepts, log));
            out.push_back(items.back().get());
        }
        return out;
    }
    // Both forms, which must agree.
    Groups Run(const std::vector<CSwapItem*>& in, SWAPACTION action = SWAP_GATE)
    {
        const Groups fromList = Names(CSwapItem::Classify(std::list<CSwapItem*>(in.begin(), in.end()), action));
        log.clear();
        const Groups fromVector = Names(CSwapItem::Classify(in, action));
        EXPECT_EQ(fromList, fromVector);
        return fromVector;
    }

    Table accepts;
    std::vector<std::string> log;
    std::vector<std::unique_ptr<CTableItem>> items;
};

TEST_F(Classify, TheRepresentativeDecidesFirstFit)
{
    struct Case {
        const char* what;
        std::string input;
        Table accepts;
        Groups expected;
    };
    const Case cases[] = {
        {"empty input", "", {}, {}},
        {"A takes C before B is asked", "ABC", {"AC", "BC"}, {"AC", "B"}},
        {"A accepts B although B would refuse A", "AB", {"AB"}, {"AB"}},
        {"the same pair the other way round", "BA", {"AB"}, {"B", "A"}},
        {"a member that is not the representative is never asked", "ABC", {"AB", "BC"}, {"AB", "C"}},
        {"interleaved kinds", "PQRS", {"PR", "QS"}, {"PR", "QS"}},
        {"groups of one are kept in input order", "XYZ", {}, {"X", "Y", "Z"}},
    };
    for (const Case& c : cases) {
        accepts = c.accepts;
        EXPECT_EQ(Run(Items(c.input)), c.expected) << c.what;
    }
}

TEST_F(Classify, OnlyRepresentativesAreAskedWithTheFixedFlags)
{
    accepts = {"AB", "BC", "AD"};
    Run(Items("ABCD"), SWAP_PIN);
    EXPECT_EQ(log, (std::vector<std::string>{"AB 2011", "AC 2011", "AD 2011"}));
}

TEST_F(Classify, PinItemsAndItemsOfAnotherKindNeverShareAGroup)
{
    BoardBuilder board;
    CLayoutComponent* u1 = board.Part("U1");
    CSwapItemPin p1(board.GatePin(u1, {0, 0}, "1", "A", "G", "1"), nullptr);
    CSwapItemPin p2(board.GatePin(u1, {100, 0}, "2", "A", "G", "1"), nullptr);
    CSwapItemPin p3(board.GatePin(u1, {200, 0}, "3", "A", "G", "2"), nullptr);
    std::vector<CSwapItem*> others = Items("gh");
    accepts = {"gh"};
    for (SWAPACTION action : {SWAP_PIN, SWAP_GATE}) {
        EXPECT_EQ(Run({&p1, others[0], &p2, &p3, others[1]}, action), (Groups{"12", "gh", "3"})) << action;
        EXPECT_EQ(Run({others[0], &p1, others[1], &p2}, action), (Groups{"gh", "12"})) << action;
    }
    EXPECT_STREQ(p1.GetRuntimeClass()->m_lpszClassName, "CSwapItemPin");
    EXPECT_EQ(p1.GetRuntimeClass()->m_pBaseClass, RUNTIME_CLASS(CSwapItem));
}

}  // namespace
