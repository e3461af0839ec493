// The group optimiser (order of measurements in the reference, choice of partner and passes in
// both engines) and the pairing strategies (minimum total, its tie rule, forbidden pairs, applying
// a pairing), with a fake item that logs every call and counts the connection-data lists it hands
// out.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "module/autoswap/AutoSwapD.h"
#include "module/autoswap/AutoSwapF.h"
#include "module/autoswap/AutoSwapNoOpt.h"
#include "module/autoswap/reference/ReferenceEngine.h"
#include "tests/support/StubItem.h"

namespace {
using namespace lqtest;
using Strings = std::vector<std::string>;
using Table = std::vector<std::vector<std::int64_t>>;
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr int kNone = -1;

// The entries of the lists that the fakes hand out count themselves, so that a list released
// twice or never shows up.
int g_nLiveEntries = 0;
struct CEntry : CObject {
    explicit CEntry(std::string t) : tag(std::move(t)) { ++g_nLiveEntries; }
    ~CEntry() override { --g_nLiveEntries; }
    std::string tag;
};

class CFakeItem;

// The fakes of one test and their log. cost[a][c] is what item a costs on connection c, unless
// measure(a, b) is set.
struct World {
    Table cost;
    std::function<std::int64_t(int, int)> measure;
    Strings log;
    int nDistanceCalls = 0, nDataNotNull = 0, nSerial = 0;
    std::vector<std::unique_ptr<CFakeItem>> owned;

    // Items first.. first+n-1, item first+i on connection i, or on none.
    std::vector<CSwapItem*> Make(int first, int n, bool bConnected = true);
    Strings Only(bool bDistances) const
    {
        Strings out;
        std::copy_if(log.begin(), log.end(), std::back_inserter(out),
                     [&](const std::string& s) { return (s[0] == 'D') == bDistances; });
        return out;
    }
};

// The connection protocol of the real items: Connect takes what the other item remembers,
// Refresh remembers the live connection. Logs "D<a>,<b>#<serial>=<value>" and hands back a list
// tagged "L<a>,<b>#<serial>"; logs "U<a>", "C<a><<b> <list tag or ->", "R<a>".
class CFakeItem : public CStubItem {
public:
    CFakeItem(World& world, int id, int connection) : w(world), id(id), live(connection), remembered(connection) {}
    std::int64_t GetDistance(CSwapItem* other, CObject**& data, std::int64_t fallback) override
    {
        ++w.nDistanceCalls;
        w.nDataNotNull += data != nullptr;
        auto* b = static_cast<CFakeItem*>(other);
        const std::string pair = std::to_string(id) + "," + std::to_string(b->id) + "#" + std::to_string(++w.nSerial);
        const std::int64_t d = b->live == kNone ? fallback : w.measure ? w.measure(id, b->id) : w.cost[id][b->live];
        w.log.push_back("D" + pair + "=" + std::to_string(d));
        data = new CObject*[2]{new CEntry("L" + pair), nullptr};
        return d;
    }
    void Refresh() override
    {
        remembered = live;
        w.log.push_back("R" + std::to_string(id));
    }
    void Connect(CSwapItem* other, CObject** data) override
    {
        w.log.push_back("C" + std::to_string(id) + "<" + std::to_string(static_cast<CFakeItem*>(other)->id) + " " +
                        (data ? static_cast<CEntry*>(data[0])->tag : "-"));
        live = static_cast<CFakeItem*>(other)->remembered;
    }
    void Unconnect() override
    {
        live = kNone;
        w.log.push_back("U" + std::to_string(id));
    }

    World& w;
    int id, live, remembered;
};

std::vector<CSwapItem*> World::Make(int first, int n, bool bConnected)
{
    std::vector<CSwapItem*> out;
    for (int i = 0; i < n; ++i)
        out.push_back(owned.emplace_back(std::make_unique<CFakeItem>(*this, first + i, bConnected ? i : kNone)).get());
    return out;
}

class Engine : public ::testing::Test {
protected:
    void SetUp() override { g_nLiveEntries = 0; }
    void TearDown() override { EXPECT_EQ(g_nLiveEntries, 0) << "a connection-data list was not released"; }
    // Runs the reference group optimiser, or the module's, over items 0..n-1 of the cost table.
    static void RunF(World& w, const Table& cost, bool bModule = false)
    {
        w.cost = cost;
        const std::vector<CSwapItem*> items = w.Make(0, static_cast<int>(cost.size()));
        if (bModule)
            CAutoSwapF(items).Run();
        else
            LQReferenceRunGroup(items);
        EXPECT_EQ(w.nDataNotNull, 0) << "GetDistance was called with data not null";
    }
    World w;
};

TEST_F(Engine, TheOptimiserMeasuresEachItemThenEveryPartnerInOrderAndStopsAfterAPassWithoutExchange)
{
    RunF(w, {{1, 10, 10}, {10, 1, 10}, {10, 10, 1}});
    EXPECT_EQ(w.Only(true), (Strings{"D0,0#1=1",  "D1,1#2=1",  "D0,1#3=10",  "D1,0#4=10",  "D2,2#5=1",  "D0,2#6=10",
                                     "D2,0#7=10", "D1,1#8=1",  "D0,0#9=1",   "D1,0#10=10", "D0,1#11=10", "D2,2#12=1",
                                     "D1,2#13=10", "D2,1#14=10", "D2,2#15=1", "D0,0#16=1", "D2,0#17=10", "D0,2#18=10",
                                     "D1,1#19=1", "D2,1#20=10", "D1,2#21=10"}));
    EXPECT_TRUE(w.Only(false).empty());
}

TEST_F(Engine, TheOptimiserExchangesAtOnceWithTheBestListsAndLaterMeasurementsSeeTheExchange)
{
    RunF(w, {{10, 1}, {1, 10}});
    EXPECT_EQ(w.log, (Strings{"D0,0#1=10", "D1,1#2=10", "D0,1#3=1", "D1,0#4=1", "U0", "U1", "C0<1 L0,1#3",
                              "C1<0 L1,0#4", "R0", "R1", "D1,1#5=1", "D0,0#6=1", "D1,0#7=10", "D0,1#8=10",
                              // The second pass finds nothing and ends the run.
                              "D0,0#9=1", "D1,1#10=1", "D0,1#11=10", "D1,0#12=10", "D1,1#13=1", "D0,0#14=1",
                              "D1,0#15=10", "D0,1#16=10"}));
    EXPECT_EQ(w.owned[0]->live, 1);
}

TEST_F(Engine, TheOptimiserTakesTheLargestStrictlyPositiveGainAmongUsableMeasurements)
{
    const Strings first{"U0", "U1", "C0<1 L0,1#3", "C1<0 L1,0#4", "R0", "R1"};
    const Strings third{"U0", "U2", "C0<2 L0,2#6", "C2<0 L2,0#7", "R0", "R2"};
    const struct {
        const char* name;
        Table cost;
        const Strings* firstChanges;  // the first exchange of the run; null when nothing may change
    } cases[] = {
        {"gain of zero", {{5, 5}, {5, 5}}, nullptr},
        {"negative gain", {{1, 10}, {10, 1}}, nullptr},
        {"gains 8 and 8: the lower index wins", {{10, 1, 1}, {11, 10, 99}, {11, 99, 10}}, &first},
        {"gains 8 and 9: the larger wins, the first candidate's lists dropped",
         {{10, 1, 0}, {11, 10, 99}, {11, 99, 10}},
         &third},
        // Regression: the gain was summed in 64 bits; INT64_MAX + INT64_MAX wrapped to -2, a gain of 2.
        {"nothing measurable after the exchange", {{0, kMax}, {kMax, 0}}, nullptr},
        {"nothing measurable now", {{kMax, 0}, {0, 0}}, nullptr},
        {"nothing measurable on both sides", {{kMax, 5}, {5, kMax}}, nullptr},
        // Regression: INT64_MAX + 1 overflowed and could look like a gain.
        {"nothing measurable on one side", {{kMax, 0}, {0, 1}}, nullptr},
        // A negative measurement means that the pair cannot be measured, not that it is short.
        {"negative exchange measurement", {{10, -1}, {5, 10}}, nullptr},
        {"negative present length", {{-1, 0}, {0, 50}}, nullptr},
        {"item 1 would gain 20 through a negative measurement; item 2 gains 9",
         {{10, -5, 2}, {5, 10, 99}, {9, 99, 10}},
         &third},
    };
    for (const auto& c : cases)
        for (const bool bModule : {false, true}) {
            World local;
            RunF(local, c.cost, bModule);
            Strings changes = local.Only(false);
            changes.resize(c.firstChanges ? std::min(changes.size(), c.firstChanges->size()) : changes.size());
            EXPECT_EQ(changes, c.firstChanges ? *c.firstChanges : Strings{}) << c.name << (bModule ? ", module" : "");
        }
}

TEST_F(Engine, TheOptimiserStopsAfterFivePassesAndGroupsOfFewerThanTwoItemsMeasureNothing)
{
    // Every item always gains by taking another's place.
    w.measure = [](int a, int b) -> std::int64_t { return a == b ? 10 : 0; };
    RunF(w, Table(2));
    EXPECT_EQ(w.nDistanceCalls, 5 * (2 + 3 * 2 * 1));
    EXPECT_EQ(std::count_if(w.log.begin(), w.log.end(), [](const std::string& s) { return s[0] == 'U'; }), 5 * 2 * 2);

    World single;
    for (const auto& items : {std::vector<CSwapItem*>{}, single.Make(0, 1)}) {
        CAutoSwapF(items).Run();
        LQReferenceRunGroup(items);
    }
    EXPECT_EQ(single.nDistanceCalls, 0);
}

// Rows are items 0..R-1 (unconnected), columns items R..R+C-1 on connections 0..C-1, so that
// row r measured against column k gives table[r][k].
struct Groups : World {
    Groups(int nRows, int nCols, const Table& table)
    {
        cost = table;
        rows = Make(0, nRows, false);
        cols = Make(nRows, nCols);
    }
    std::vector<std::int32_t> Assignment(const CAutoSwap& pairing) const
    {
        std::vector<std::int32_t> out;
        for (std::int32_t k = 0; k < static_cast<std::int32_t>(cols.size()); ++k)
            out.push_back(pairing.GetAssignedRow(k));
        return out;
    }
    std::vector<CSwapItem*> rows, cols;
};

TEST_F(Engine, ThePairingOfLeastTotalWithItsTieRuleAndForbiddenPairsWhicheverWayItIsFound)
{
    const struct {
        const char* name;
        int rows, cols;
        Table table;
        std::int64_t total;
        std::vector<std::int32_t> assignment;  // -1: the column gets no row
        bool bMeasures;                        // whether Run asks for any distance
    } cases[] = {
        {"cross pairing is cheaper", 2, 2, {{5, 1}, {1, 5}}, 2, {1, 0}, true},
        {"equal totals keep the first in column order", 2, 2, {{3, 3}, {3, 3}}, 6, {0, 1}, true},
        {"a forbidden pair is never used although it gives 0", 2, 2, {{-1, 9}, {1, 1}}, 10, {1, 0}, true},
        {"a column that every row refuses", 2, 2, {{-1, 1}, {-1, 1}}, kMax, {-1, -1}, true},
        {"more rows than columns", 3, 2, {{4, 4}, {1, 9}, {9, 1}}, 2, {1, 2}, true},
        {"more rows than columns with ties", 3, 2, {{1, 1}, {1, 1}, {1, 1}}, 2, {0, 1}, true},
        {"fewer rows than columns", 1, 2, {{1, 1}}, kMax, {-1, -1}, false},
        {"no columns", 2, 0, {{}, {}}, 0, {}, false},
        // Regression: the assignment solver read the column count from a table without rows.
        {"no rows", 0, 2, {}, kMax, {-1, -1}, false},
        // Regression: 1 + INT64_MAX wrapped to a negative total that won.
        {"a pair at the largest value is unusable", 2, 2, {{1, kMax}, {kMax, kMax}}, kMax, {-1, -1}, true},
        // Regression: two halves of the range summed past INT64_MAX and wrapped.
        {"a total past the largest value is no pairing", 2, 2, {{kMax / 2 + 1, kMax}, {kMax, kMax / 2 + 1}}, kMax,
         {-1, -1}, true},
        {"a total just below the largest value counts", 2, 2, {{kMax - 1, kMax}, {kMax, 0}}, kMax - 1, {0, 1}, true},
    };
    for (const auto& c : cases) {
        for (int method = 0; method < 3; ++method) {
            Groups g(c.rows, c.cols, c.table);
            CAutoSwapD pairing(g.rows, g.cols);
            EXPECT_EQ(method == 0   ? pairing.Run()
                      : method == 1 ? pairing.RunSearch()
                                    : pairing.RunAssignment(),
                      c.total)
                << c.name << ", method " << method;
            EXPECT_EQ(g.Assignment(pairing), c.assignment) << c.name << ", method " << method;
            EXPECT_TRUE(method != 0 || (g.nDistanceCalls > 0) == c.bMeasures) << c.name;
        }
    }
}

TEST_F(Engine, EachPairIsMeasuredOnceAndItsListAppliedAndKeptUntilThePairingGoes)
{
    // Lists released twice or never show in the fixture's TearDown.
    Groups g(2, 2, {{5, 1}, {1, 5}});
    CAutoSwapD pairing(g.rows, g.cols);
    ASSERT_EQ(pairing.Run(), 2);
    EXPECT_EQ(g.nDataNotNull, 0);
    // The search measured (0,0) #1, (0,1) #2, (1,1) #3, (1,0) #4, each once.
    EXPECT_EQ(g.nDistanceCalls, 4);
    g.log.clear();
    pairing.SwapPairs();
    EXPECT_EQ(g.log, (Strings{"U1", "C1<2 L1,2#4", "U0", "C0<3 L0,3#2"}));
    g.log.clear();
    pairing.ConnectPairs();
    EXPECT_EQ(g.log, (Strings{"C1<2 L1,2#4", "C0<3 L0,3#2"}));
}

TEST_F(Engine, NoPairingIsEverAppliedBeyondTheRowsThereAre)
{
    for (const Table& table : {Table{{1, kMax}, {kMax, kMax}}, Table{{-1, 1}, {-1, 1}}}) {
        Groups g(2, 2, table);
        CAutoSwapD pairing(g.rows, g.cols);
        ASSERT_EQ(pairing.Run(), kMax);
        g.log.clear();
        pairing.SwapPairs();
        pairing.ConnectPairs();
        EXPECT_TRUE(g.log.empty());
    }
    // Without optimisation rows pair by index, unmeasured; only columns that have a row are applied.
    const struct {
        int rows, cols;
        std::vector<std::int32_t> assignment;
        Strings applied;
    } cases[] = {
        {2, 2, {0, 1}, {"U0", "C0<2 -", "U1", "C1<3 -"}},
        {3, 2, {0, 1}, {"U0", "C0<3 -", "U1", "C1<4 -"}},
        // Regression: a column without a row of the same index was applied with an undefined row.
        {1, 2, {0, -1}, {"U0", "C0<1 -"}},
        {0, 2, {-1, -1}, {}},
        {2, 0, {}, {}},
    };
    for (const auto& c : cases) {
        Groups g(c.rows, c.cols, Table(c.rows, std::vector<std::int64_t>(c.cols, 1)));
        CAutoSwapNoOpt pairing(g.rows, g.cols);
        EXPECT_EQ(pairing.Run(), 1);
        EXPECT_EQ(g.Assignment(pairing), c.assignment) << c.rows << "x" << c.cols;
        EXPECT_EQ(g.nDistanceCalls, 0);
        pairing.SwapPairs();
        EXPECT_EQ(g.log, c.applied) << c.rows << "x" << c.cols;
    }
}

TEST_F(Engine, TheAssignmentSolverGivesTheSearchsTotalAndPairingOnRandomGroups)
{
    // Mostly small values so that ties are common, some forbidden pairs, some at or near the largest value.
    std::mt19937 rng(20240605);
    auto distance = [&]() -> std::int64_t {
        const int kind = std::uniform_int_distribution<int>(0, 99)(rng);
        return kind < 60 ? std::uniform_int_distribution<std::int64_t>(0, 4)(rng)
             : kind < 75 ? std::uniform_int_distribution<std::int64_t>(0, 1000)(rng)
             : kind < 87 ? -1
             : kind < 93 ? kMax
                         : std::uniform_int_distribution<std::int64_t>(kMax / 3, kMax / 2)(rng);
    };
    int nPaired = 0;
    for (int round = 0; round < 3000; ++round) {
        const int nRows = std::uniform_int_distribution<int>(0, round % 10 == 0 ? 8 : 6)(rng);
        const int nCols = std::uniform_int_distribution<int>(0, nRows + 1)(rng);
        Table table(nRows, std::vector<std::int64_t>(nCols));
        for (auto& row : table)
            std::generate(row.begin(), row.end(), distance);
        Groups searched(nRows, nCols, table), solved(nRows, nCols, table);
        CAutoSwapD search(searched.rows, searched.cols), assignment(solved.rows, solved.cols);
        const std::int64_t total = search.RunSearch();
        ASSERT_EQ(assignment.RunAssignment(), total) << "round " << round;
        ASSERT_EQ(solved.Assignment(assignment), searched.Assignment(search)) << "round " << round;
        nPaired += total != kMax && nCols > 0;
    }
    EXPECT_GT(nPaired, 1000) << "the rounds must exercise real pairings, not only refusals";
}

TEST_F(Engine, LargeGroupsAreSolvedExactlyWithTheSameTieRule)
{
    constexpr int n = 32;
    std::vector<std::int32_t> identity(n);
    std::iota(identity.begin(), identity.end(), 0);
    std::vector<std::int32_t> perm = identity;
    std::shuffle(perm.begin(), perm.end(), std::mt19937(7));
    Table shifted(n, std::vector<std::int64_t>(n));
    for (int r = 0; r < n; ++r)
        for (int k = 0; k < n; ++k)
            shifted[r][k] = 3 * std::abs(r - perm[k]);
    Groups g(n, n, shifted);
    CAutoSwapD pairing(g.rows, g.cols);
    EXPECT_EQ(pairing.Run(), 0);
    EXPECT_EQ(g.Assignment(pairing), perm);
    EXPECT_EQ(g.nDistanceCalls, n * n);
    // Every pairing costs the same: column k gets row k, as the search would give it.
    Groups flat(40, n, Table(40, std::vector<std::int64_t>(n, 5)));
    CAutoSwapD tied(flat.rows, flat.cols);
    EXPECT_EQ(tied.Run(), 5 * n);
    EXPECT_EQ(flat.Assignment(tied), identity);
}

}  // namespace
