// The group optimiser: order of measurements, choice of partner, passes, list ownership.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "module/autoswap/AutoSwapF.h"
#include "tests/autoswap/FakeItem.h"

namespace {
using lqtest::CCountedEntry;
using lqtest::CFakeItem;
using lqtest::FakeWorld;
using Strings = std::vector<std::string>;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

class AutoSwapFRun : public ::testing::Test {
protected:
    void SetUp() override { CCountedEntry::ResetCounts(); }
    void TearDown() override
    {
        EXPECT_EQ(CCountedEntry::Live(), 0) << "a connection-data list was not released";
        EXPECT_EQ(world.nDataNotNull, 0) << "GetDistance was called with data not null";
    }

    // Item i starts on connection i.
    void MakeItems(int n)
    {
        for (int i = 0; i < n; ++i) {
            owned.push_back(std::make_unique<CFakeItem>(world, i, i));
            items.push_back(owned.back().get());
        }
    }
    void Run() { CAutoSwapF(items).Run(); }

    FakeWorld world;
    std::vector<std::unique_ptr<CFakeItem>> owned;
    std::vector<CSwapItem*> items;
};

TEST_F(AutoSwapFRun, MeasuresEachItemThenEveryPartnerInOrderAndStopsAfterAPassWithoutExchange)
{
    world.cost = {{1, 10, 10}, {10, 1, 10}, {10, 10, 1}};
    MakeItems(3);
    Run();
    EXPECT_EQ(world.Distances(), (Strings{
        "D0,0#1=1",  "D1,1#2=1",  "D0,1#3=10",  "D1,0#4=10",  "D2,2#5=1",  "D0,2#6=10",  "D2,0#7=10",
        "D1,1#8=1",  "D0,0#9=1",  "D1,0#10=10", "D0,1#11=10", "D2,2#12=1", "D1,2#13=10", "D2,1#14=10",
        "D2,2#15=1", "D0,0#16=1", "D2,0#17=10", "D0,2#18=10", "D1,1#19=1", "D2,1#20=10", "D1,2#21=10"}));
    EXPECT_TRUE(world.Changes().empty());
    EXPECT_EQ(CCountedEntry::Made(), 21);
}

TEST_F(AutoSwapFRun, ExchangesAtOnceWithTheBestListsAndLaterMeasurementsSeeTheExchange)
{
    world.cost = {{10, 1}, {1, 10}};
    MakeItems(2);
    Run();
    EXPECT_EQ(world.log, (Strings{
        "D0,0#1=10", "D1,1#2=10", "D0,1#3=1", "D1,0#4=1",
        "U0", "U1", "C0<1 L0,1#3", "C1<0 L1,0#4", "R0", "R1",
        "D1,1#5=1", "D0,0#6=1", "D1,0#7=10", "D0,1#8=10",
        // The second pass finds nothing and ends the run.
        "D0,0#9=1", "D1,1#10=1", "D0,1#11=10", "D1,0#12=10",
        "D1,1#13=1", "D0,0#14=1", "D1,0#15=10", "D0,1#16=10"}));
    EXPECT_EQ(owned[0]->Live(), 1);
    EXPECT_EQ(owned[1]->Live(), 0);
}

struct PartnerCase {
    const char* name;
    std::vector<std::vector<std::int64_t>> cost;
    Strings firstChanges;  // the first exchange of the run, or empty when nothing may change
};

class AutoSwapFPartner : public AutoSwapFRun, public ::testing::WithParamInterface<PartnerCase> {};

TEST_P(AutoSwapFPartner, TakesTheLargestStrictlyPositiveGainAmongUsableMeasurements)
{
    const PartnerCase& c = GetParam();
    world.cost = c.cost;
    MakeItems(static_cast<int>(c.cost.size()));
    Run();
    Strings changes = world.Changes();
    if (!c.firstChanges.empty() && changes.size() > c.firstChanges.size())
        changes.resize(c.firstChanges.size());
    EXPECT_EQ(changes, c.firstChanges);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AutoSwapFPartner,
    ::testing::Values(
        PartnerCase{"GainOfZero", {{5, 5}, {5, 5}}, {}},
        PartnerCase{"NegativeGain", {{1, 10}, {10, 1}}, {}},
        // Gains 8 and 8: the lower index wins.
        PartnerCase{"EqualGainsTakeTheLowerIndex",
                    {{10, 1, 1}, {11, 10, 99}, {11, 99, 10}},
                    {"U0", "U1", "C0<1 L0,1#3", "C1<0 L1,0#4", "R0", "R1"}},
        // Gains 8 and 9: the larger wins; the lists of the first candidate are dropped.
        PartnerCase{"LargerGainBeatsLowerIndex",
                    {{10, 1, 0}, {11, 10, 99}, {11, 99, 10}},
                    {"U0", "U2", "C0<2 L0,2#6", "C2<0 L2,0#7", "R0", "R2"}},
        // Regression: the gain was summed in 64 bits; INT64_MAX + INT64_MAX wrapped to -2, a gain of 2.
        PartnerCase{"NothingMeasurableAfterExchange", {{0, kMax}, {kMax, 0}}, {}},
        // A present length that measured nothing is no length to gain from.
        PartnerCase{"NothingMeasurableNow", {{kMax, 0}, {0, 0}}, {}},
        PartnerCase{"NothingMeasurableOnBothSides", {{kMax, 5}, {5, kMax}}, {}},
        // Regression: INT64_MAX + 1 overflowed and could look like a gain.
        PartnerCase{"NothingMeasurableOnOneSide", {{kMax, 0}, {0, 1}}, {}},
        // A negative measurement means that the pair cannot be measured, not that it is short.
        PartnerCase{"NegativeExchangeMeasurement", {{10, -1}, {5, 10}}, {}},
        PartnerCase{"NegativePresentLength", {{-1, 0}, {0, 50}}, {}},
        // Item 1 would gain 20 through a negative measurement; item 2 gains 9 and is taken.
        PartnerCase{"UnusablePartnerLeavesTheNextBest",
                    {{10, -5, 2}, {5, 10, 99}, {9, 99, 10}},
                    {"U0", "U2", "C0<2 L0,2#6", "C2<0 L2,0#7", "R0", "R2"}}),
    [](const ::testing::TestParamInfo<PartnerCase>& info) { return std::string(info.param.name); });

TEST_F(AutoSwapFRun, StopsAfterFivePassesWhenEveryPassExchanges)
{
    // Every item always gains by taking another's place.
    world.measure = [](int a, int b, int) -> std::int64_t { return a == b ? 10 : 0; };
    MakeItems(2);
    Run();
    EXPECT_EQ(world.nDistanceCalls, 5 * (2 + 3 * 2 * 1));
    int nUnconnects = 0;
    for (const std::string& s : world.Changes())
        nUnconnects += s[0] == 'U';
    EXPECT_EQ(nUnconnects, 5 * 2 * 2);
}

TEST_F(AutoSwapFRun, GroupsOfFewerThanTwoItemsMeasureNothing)
{
    world.cost = {{3}};
    Run();
    MakeItems(1);
    Run();
    EXPECT_TRUE(world.log.empty());
    EXPECT_EQ(world.nDistanceCalls, 0);
}

}  // namespace
