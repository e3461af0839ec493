// The pairing strategies: minimum-total pairing, its tie rule, forbidden pairs, applying a pairing.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "module/autoswap/AutoSwapD.h"
#include "module/autoswap/AutoSwapNoOpt.h"
#include "tests/autoswap/FakeItem.h"

namespace {
using lqtest::CCountedEntry;
using lqtest::CFakeItem;
using lqtest::FakeWorld;
using Strings = std::vector<std::string>;
using Table = std::vector<std::vector<std::int64_t>>;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

// Rows are items 0..R-1, columns items R..R+C-1; column k is on connection k, so that row r
// measured against column k gives table[r][k].
class Groups {
public:
    Groups(int nRows, int nCols, const Table& table)
    {
        world.cost = table;
        for (int r = 0; r < nRows; ++r)
            Add(rows, r, FakeWorld::kNone);
        for (int k = 0; k < nCols; ++k)
            Add(cols, nRows + k, k);
    }

    std::vector<std::int32_t> Assignment(const CAutoSwap& pairing) const
    {
        std::vector<std::int32_t> out;
        for (std::int32_t k = 0; k < static_cast<std::int32_t>(cols.size()); ++k)
            out.push_back(pairing.GetAssignedRow(k));
        return out;
    }

    // The largest number of times one pair was measured.
    int MostMeasurementsOfOnePair() const
    {
        std::map<std::string, int> counts;
        int most = 0;
        for (const std::string& s : world.Distances())
            most = std::max(most, ++counts[s.substr(0, s.find('#'))]);
        return most;
    }

    FakeWorld world;
    std::vector<CSwapItem*> rows;
    std::vector<CSwapItem*> cols;

private:
    void Add(std::vector<CSwapItem*>& to, int id, int connection)
    {
        m_owned.push_back(std::make_unique<CFakeItem>(world, id, connection));
        to.push_back(m_owned.back().get());
    }
    std::vector<std::unique_ptr<CFakeItem>> m_owned;
};

class Pairing : public ::testing::Test {
protected:
    void SetUp() override { CCountedEntry::ResetCounts(); }
    void TearDown() override { EXPECT_EQ(CCountedEntry::Live(), 0) << "a cached list was not released"; }
};

struct PairingCase {
    const char* name;
    int rows;
    int cols;
    Table table;
    std::int64_t total;
    std::vector<std::int32_t> assignment;  // -1: the column gets no row
    bool bMeasures;                        // whether Run asks for any distance
};

class PairingExamples : public Pairing, public ::testing::WithParamInterface<PairingCase> {};

TEST_P(PairingExamples, RunSearchAndAssignmentAgree)
{
    const PairingCase& c = GetParam();
    {
        Groups g(c.rows, c.cols, c.table);
        CAutoSwapD pairing(g.rows, g.cols);
        EXPECT_EQ(pairing.Run(), c.total);
        EXPECT_EQ(g.Assignment(pairing), c.assignment);
        EXPECT_EQ(g.world.nDistanceCalls > 0, c.bMeasures);
        EXPECT_LE(g.MostMeasurementsOfOnePair(), 1);
    }
    {
        Groups g(c.rows, c.cols, c.table);
        CAutoSwapD pairing(g.rows, g.cols);
        EXPECT_EQ(pairing.RunSearch(), c.total);
        EXPECT_EQ(g.Assignment(pairing), c.assignment);
    }
    {
        Groups g(c.rows, c.cols, c.table);
        CAutoSwapD pairing(g.rows, g.cols);
        EXPECT_EQ(pairing.RunAssignment(), c.total);
        EXPECT_EQ(g.Assignment(pairing), c.assignment);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PairingExamples,
    ::testing::Values(
        PairingCase{"CrossPairingIsCheaper", 2, 2, {{5, 1}, {1, 5}}, 2, {1, 0}, true},
        PairingCase{"EqualTotalsKeepTheFirstInColumnOrder", 2, 2, {{3, 3}, {3, 3}}, 6, {0, 1}, true},
        // Taking the -1 pair would give the smaller sum 0.
        PairingCase{"ForbiddenPairIsNeverUsed", 2, 2, {{-1, 9}, {1, 1}}, 10, {1, 0}, true},
        PairingCase{"ColumnThatEveryRowRefuses", 2, 2, {{-1, 1}, {-1, 1}}, kMax, {-1, -1}, true},
        PairingCase{"MoreRowsThanColumns", 3, 2, {{4, 4}, {1, 9}, {9, 1}}, 2, {1, 2}, true},
        PairingCase{"MoreRowsThanColumnsWithTies", 3, 2, {{1, 1}, {1, 1}, {1, 1}}, 2, {0, 1}, true},
        PairingCase{"FewerRowsThanColumns", 1, 2, {{1, 1}}, kMax, {-1, -1}, false},
        PairingCase{"NoColumns", 2, 0, {{}, {}}, 0, {}, false},
        // Regression: the assignment solver read the column count from a table without rows.
        PairingCase{"NoRows", 0, 2, {}, kMax, {-1, -1}, false},
        // Regression: 1 + INT64_MAX wrapped to a negative total that won.
        PairingCase{"PairAtTheLargestValueIsUnusable", 2, 2, {{1, kMax}, {kMax, kMax}}, kMax, {-1, -1}, true},
        // Regression: two halves of the range summed past INT64_MAX and wrapped.
        PairingCase{"TotalPastTheLargestValueIsNoPairing",
                    2,
                    2,
                    {{kMax / 2 + 1, kMax}, {kMax, kMax / 2 + 1}},
                    kMax,
                    {-1, -1},
                    true},
        PairingCase{"TotalJustBelowTheLargestValueCounts", 2, 2, {{kMax - 1, kMax}, {kMax, 0}}, kMax - 1, {0, 1}, true}),
    [](const ::testing::TestParamInfo<PairingCase>& info) { return std::string(info.param.name); });

TEST_F(Pairing, GetPairDistanceMeasuresEachPairOnceAndKeepsItsListUntilDestruction)
{
    Groups g(2, 2, {{7, 8}, {9, 4}});
    auto* pairing = new CAutoSwapD(g.rows, g.cols);
    EXPECT_EQ(pairing->GetPairDistance(1, 0), 9);
    EXPECT_EQ(pairing->GetPairDistance(1, 0), 9);
    EXPECT_EQ(g.world.nDistanceCalls, 1);
    EXPECT_EQ(CCountedEntry::Live(), 1);
    pairing->Run();
    EXPECT_EQ(g.world.nDistanceCalls, 4);
    EXPECT_EQ(g.world.nDataNotNull, 0);
    delete pairing;
    EXPECT_EQ(CCountedEntry::Live(), 0);
}

TEST_F(Pairing, SwapPairsUnconnectsAndConnectsEachColumnsRowWithItsCachedList)
{
    Groups g(2, 2, {{5, 1}, {1, 5}});
    CAutoSwapD pairing(g.rows, g.cols);
    ASSERT_EQ(pairing.Run(), 2);
    // The search measured (0,0) #1, (0,1) #2, (1,1) #3, (1,0) #4.
    const std::size_t before = g.world.log.size();
    pairing.SwapPairs();
    EXPECT_EQ(Strings(g.world.log.begin() + static_cast<std::ptrdiff_t>(before), g.world.log.end()),
              (Strings{"U1", "C1<2 L1,2#4", "U0", "C0<3 L0,3#2"}));
    g.world.log.clear();
    pairing.ConnectPairs();
    EXPECT_EQ(g.world.log, (Strings{"C1<2 L1,2#4", "C0<3 L0,3#2"}));
}

TEST_F(Pairing, NoPairingIsNeverApplied)
{
    for (const Table& table : {Table{{1, kMax}, {kMax, kMax}}, Table{{-1, 1}, {-1, 1}}}) {
        Groups g(2, 2, table);
        CAutoSwapD pairing(g.rows, g.cols);
        ASSERT_EQ(pairing.Run(), kMax);
        g.world.log.clear();
        pairing.SwapPairs();
        pairing.ConnectPairs();
        EXPECT_TRUE(g.world.log.empty());
    }
    Groups none(2, 0, {{}, {}});
    CAutoSwapD noColumns(none.rows, none.cols);
    EXPECT_EQ(noColumns.Run(), 0);
    noColumns.SwapPairs();
    noColumns.ConnectPairs();
    EXPECT_TRUE(none.world.log.empty());
}

TEST_F(Pairing, NoOptPairsByIndexWithoutMeasuringAndAppliesOnlyColumnsThatHaveARow)
{
    struct Case {
        int rows;
        int cols;
        std::vector<std::int32_t> assignment;
        Strings applied;
    };
    const std::vector<Case> cases{
        {2, 2, {0, 1}, {"U0", "C0<2 -", "U1", "C1<3 -"}},
        {3, 2, {0, 1}, {"U0", "C0<3 -", "U1", "C1<4 -"}},
        // Regression: a column without a row of the same index was applied with an undefined row.
        {1, 2, {0, -1}, {"U0", "C0<1 -"}},
        {0, 2, {-1, -1}, {}},
        {2, 0, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rows) + " rows, " + std::to_string(c.cols) + " columns");
        Groups g(c.rows, c.cols, Table(static_cast<std::size_t>(c.rows), std::vector<std::int64_t>(c.cols, 1)));
        CAutoSwapNoOpt pairing(g.rows, g.cols);
        EXPECT_EQ(pairing.Run(), 1);
        EXPECT_EQ(g.Assignment(pairing), c.assignment);
        EXPECT_EQ(g.world.nDistanceCalls, 0);
        pairing.SwapPairs();
        EXPECT_EQ(g.world.log, c.applied);
    }
}

TEST(AddDistances, SaturatesAtTheLargestValue)
{
    struct Case {
        std::int64_t a, b, sum;
    };
    for (const Case& c : {Case{1, 2, 3}, Case{0, 0, 0}, Case{kMax, 0, kMax}, Case{kMax, 1, kMax}, Case{kMax - 1, 1, kMax},
                          Case{kMax, kMax, kMax}, Case{kMax / 2 + 1, kMax / 2 + 1, kMax}, Case{kMax - 5, 4, kMax - 1}}) {
        EXPECT_EQ(LQAddDistances(c.a, c.b), c.sum) << c.a << " + " << c.b;
        EXPECT_EQ(LQAddDistances(c.b, c.a), c.sum) << c.b << " + " << c.a;
    }
}

// A random distance: mostly small values so that ties are common, some forbidden pairs, some at
// or near the largest value.
std::int64_t RandomDistance(std::mt19937& rng)
{
    const int kind = std::uniform_int_distribution<int>(0, 99)(rng);
    if (kind < 60)
        return std::uniform_int_distribution<std::int64_t>(0, 4)(rng);
    if (kind < 75)
        return std::uniform_int_distribution<std::int64_t>(0, 1000)(rng);
    if (kind < 87)
        return -1;
    if (kind < 93)
        return kMax;
    return std::uniform_int_distribution<std::int64_t>(kMax / 3, kMax / 2)(rng);
}

TEST_F(Pairing, AssignmentSolverGivesTheSearchsTotalAndPairingOnRandomGroups)
{
    std::mt19937 rng(20240605);
    int nPaired = 0;
    for (int round = 0; round < 3000; ++round) {
        const int nRows = std::uniform_int_distribution<int>(0, round % 10 == 0 ? 8 : 6)(rng);
        const int nCols = std::uniform_int_distribution<int>(0, nRows + 1)(rng);
        Table table(static_cast<std::size_t>(nRows), std::vector<std::int64_t>(static_cast<std::size_t>(nCols)));
        for (auto& row : table)
            for (auto& d : row)
                d = RandomDistance(rng);
        Groups searched(nRows, nCols, table);
        Groups solved(nRows, nCols, table);
        CAutoSwapD search(searched.rows, searched.cols);
        CAutoSwapD assignment(solved.rows, solved.cols);
        const std::int64_t total = search.RunSearch();
        ASSERT_EQ(assignment.RunAssignment(), total) << "round " << round;
        ASSERT_EQ(solved.Assignment(assignment), searched.Assignment(search)) << "round " << round;
        nPaired += total != kMax && nCols > 0;
    }
    // The rounds must exercise real pairings, not only refusals.
    EXPECT_GT(nPaired, 1000);
}

TEST_F(Pairing, LargeGroupsAreSolvedExactlyWithTheSameTieRule)
{
    constexpr int n = 32;
    std::vector<int> perm(n);
    std::iota(perm.begin(), perm.end(), 0);
    std::shuffle(perm.begin(), perm.end(), std::mt19937(7));
    Table shifted(n, std::vector<std::int64_t>(n));
    for (int r = 0; r < n; ++r)
        for (int k = 0; k < n; ++k)
            shifted[r][k] = 3 * std::abs(r - perm[k]);
    Groups g(n, n, shifted);
    CAutoSwapD pairing(g.rows, g.cols);
    EXPECT_EQ(pairing.Run(), 0);
    EXPECT_EQ(g.Assignment(pairing), std::vector<std::int32_t>(perm.begin(), perm.end()));
    EXPECT_EQ(g.world.nDistanceCalls, n * n);

    // Every pairing costs the same: column k gets row k, as the search would give it.
    Groups flat(40, n, Table(40, std::vector<std::int64_t>(n, 5)));
    CAutoSwapD tied(flat.rows, flat.cols);
    EXPECT_EQ(tied.Run(), 5 * n);
    std::vector<std::int32_t> identity(n);
    std::iota(identity.begin(), identity.end(), 0);
    EXPECT_EQ(flat.Assignment(tied), identity);
}

}  // namespace
