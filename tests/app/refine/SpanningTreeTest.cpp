// The refinement's tree measures against lqhost's reported airwire length (MinimumSpanningTree
// with each edge rounded down): from scratch, with a point added to a small set, and large trees
// updated as one point leaves and another arrives. Random point sets per row: spread, crowded
// onto a few spots (ties and coincident points), and at the ends of the 32-bit range.
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "app/metrics/Airwires.h"
#include "app/refine/SpanningTree.h"

using namespace lq;

namespace {

std::uint64_t Reported(const std::vector<Point>& points)
{
    std::uint64_t length = 0;
    for (const auto& [a, b] : MinimumSpanningTree(points))
        length += IntegerSqrt(SquaredDistance(points[a], points[b]));
    return length;
}

struct Row {
    const char* name;
    std::size_t size;
    std::int64_t lo, hi;  // coordinate range
    int spots;            // 0: anywhere; else points land on this many spots only
};
void PrintTo(const Row& r, std::ostream* os) { *os << r.name; }

class Trees : public ::testing::TestWithParam<Row> {
protected:
    Point Draw()
    {
        const Row& r = GetParam();
        auto coordinate = [&] {
            return static_cast<std::int32_t>(r.lo + static_cast<std::int64_t>(m_rng() % static_cast<std::uint64_t>(r.hi - r.lo + 1)));
        };
        if (r.spots == 0)
            return Point{coordinate(), coordinate()};
        std::mt19937_64 spot(m_rng() % static_cast<std::uint64_t>(r.spots));
        return Point{static_cast<std::int32_t>(r.lo + static_cast<std::int64_t>(spot() % 3)), coordinate()};
    }
    std::mt19937_64 m_rng{20240611};
};

TEST_P(Trees, EveryMeasureAgreesWithTheReportedLength)
{
    std::uint64_t work = 0;
    for (int round = 0; round < 40; ++round) {
        std::vector<Point> points;
        for (std::size_t i = 0; i < GetParam().size; ++i)
            points.push_back(Draw());
        EXPECT_EQ(SpanningLength(points, work), Reported(points));

        InsertionTree small;
        small.Reset(points, work);
        const Point added = Draw();
        auto withAdded = points;
        withAdded.push_back(added);
        EXPECT_EQ(small.LengthWith(added, work), Reported(withAdded));

        SpanningTree tree(points, work);
        for (int step = 0; step < 6 && !points.empty(); ++step) {
            const int removed = static_cast<int>(m_rng() % points.size());
            const bool adds = m_rng() % 4 != 0;
            const Point next = Draw();
            auto expected = points;
            expected.erase(expected.begin() + removed);
            if (adds)
                expected.push_back(next);
            ASSERT_EQ(tree.LengthAfter(removed, adds, next, work), Reported(expected)) << "step " << step;
            tree.Change(removed, adds, next, work);
            EXPECT_EQ(tree.Points(), expected);
            EXPECT_EQ(tree.Length(), Reported(expected));
            points = expected;
        }
    }
    EXPECT_GT(work, 0u);
}

constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min(), kMax = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Sets, Trees,
    ::testing::Values(Row{"two", 2, -1000, 1000, 0}, Row{"three", 3, -1000, 1000, 0}, Row{"five", 5, 0, 100, 0},
                      Row{"twelve", 12, -50000000, 50000000, 0}, Row{"forty", 40, 0, 200000000, 0},
                      Row{"crowded", 30, 0, 4, 5}, Row{"coincident", 25, 7, 7, 1},
                      Row{"corners", 30, kMin, kMax, 0}),
    ::testing::PrintToStringParamName());

}  // namespace
