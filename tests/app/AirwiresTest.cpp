// Airwire trees, their lengths and their crossings, on cases worked out by hand.
#include <gtest/gtest.h>

#include <limits>
#include <numeric>

#include "app/metrics/Airwires.h"
#include "app/metrics/Crossings.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lqapptest;

namespace {

constexpr auto kLo = std::numeric_limits<std::int32_t>::min(), kHi = std::numeric_limits<std::int32_t>::max();

// A board with one part whose pins sit at the points, and nets of pin numbers.
AirwireFigures Measure(const std::vector<Point>& points, const std::vector<std::vector<int>>& nets)
{
    Board board;
    board.parts.push_back(MakePart("P", Point{0, 0}, points));
    for (std::size_t n = 0; n < nets.size(); ++n) {
        board.nets.push_back(Net{"N" + std::to_string(n), {}});
        for (int pin : nets[n])
            board.nets.back().pins.push_back(PinRef{"P", std::to_string(pin)});
    }
    return MeasureAirwires(board);
}

// The length of the tree over one net of all the points.
std::uint64_t TreeLength(const std::vector<Point>& points)
{
    std::vector<int> all(points.size());
    std::iota(all.begin(), all.end(), 1);
    return Measure(points, {all}).length;
}

}  // namespace

TEST(SpanningTree, SmallCasesWorkedOutByHand)
{
    EXPECT_TRUE(MinimumSpanningTree({}).empty());
    EXPECT_TRUE(MinimumSpanningTree({{5, 5}}).empty());
    EXPECT_EQ(TreeLength({{0, 0}, {3, 0}, {0, 4}}), 7u);                          // the legs, never the hypotenuse
    EXPECT_EQ(TreeLength({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), 30u);              // three sides of a square
    EXPECT_EQ(TreeLength({{50, 0}, {0, 0}, {20, 0}, {100, 0}, {70, 0}}), 100u);    // a shuffled line
    EXPECT_EQ(TreeLength({{10, 0}, {0, 0}, {-10, 0}, {0, 10}, {0, -10}, {0, 1}}), 40u);  // a star
    EXPECT_EQ(TreeLength({{7, 7}, {7, 7}, {7, 7}}), 0u);
    // Equal candidates: the earlier pin is taken.
    EXPECT_EQ(MinimumSpanningTree({{0, 0}, {10, 0}, {-10, 0}}),
              (std::vector<std::pair<std::size_t, std::size_t>>{{0, 1}, {0, 2}}));
}

TEST(SpanningTree, CornerToCornerOfTheCoordinateRangeDoesNotOverflowAndRoundsDown)
{
    EXPECT_EQ(TreeLength({{kLo, kLo}, {kHi, kHi}}), 6074000998u);  // isqrt(2 * (2^32 - 1)^2)
    // Two edges of isqrt(2^62 + (2^31 - 1)^2) = 3037000499 each; the long side is left out.
    EXPECT_EQ(TreeLength({{kLo, 0}, {kHi, 0}, {0, kLo}}), 6074000998u);
    EXPECT_EQ(IntegerSqrt(0), 0u);
    EXPECT_EQ(IntegerSqrt(24), 4u);
    EXPECT_EQ(IntegerSqrt(25), 5u);
    const unsigned __int128 big = static_cast<unsigned __int128>(6074001000u) * 6074001000u;
    EXPECT_EQ(IntegerSqrt(big), 6074001000u);
    EXPECT_EQ(IntegerSqrt(big - 1), 6074000999u);
}

TEST(SegmentCrossing, OnlyProperIntersectionsCount)
{
    EXPECT_TRUE(SegmentsCross({0, 0}, {10, 10}, {0, 10}, {10, 0}));   // an X
    EXPECT_FALSE(SegmentsCross({0, 0}, {10, 0}, {5, 0}, {5, 10}));    // a T: one ends on the other
    EXPECT_FALSE(SegmentsCross({0, 0}, {10, 0}, {10, 0}, {20, 5}));   // a shared end
    EXPECT_FALSE(SegmentsCross({0, 0}, {10, 0}, {5, 0}, {15, 0}));    // collinear overlap
    EXPECT_FALSE(SegmentsCross({0, 0}, {10, 0}, {0, 1}, {10, 1}));    // parallel
    EXPECT_FALSE(SegmentsCross({0, 0}, {4, 4}, {6, 0}, {10, -4}));    // apart
    EXPECT_TRUE(SegmentsCross({kLo, kLo}, {kHi, kHi}, {kLo, kHi}, {kHi, kLo}));
}

TEST(AirwireFiguresTest, CrossingsAndLengthsOfSmallNets)
{
    // Pins 1-2 and 3-4 form an X.
    const std::vector<Point> pins{{0, 0}, {10, 10}, {0, 10}, {10, 0}, {5, -5}, {5, 20}};
    const AirwireFigures x = Measure(pins, {{1, 2}, {3, 4}});
    EXPECT_EQ(x.airwires, 2u);
    EXPECT_EQ(x.crossings, 1u);
    EXPECT_EQ(x.length, 28u);  // 14 + 14, each rounded down from 14.14
    // Net 0 over pins 1, 2, 5, 6 is the tree 1-5, 1-2, 2-6 (7 + 14 + 11); only 1-2 crosses 3-4.
    const AirwireFigures tree = Measure(pins, {{1, 2, 5, 6}, {3, 4}});
    EXPECT_EQ(tree.airwires, 4u);
    EXPECT_EQ(tree.length, 46u);
    EXPECT_EQ(tree.crossings, 1u);
    // Two rows and three columns, each its own net: six crossings; one unconnected pin adds none.
    const AirwireFigures grid = Measure({{0, 10}, {40, 10}, {0, 20}, {40, 20}, {10, 0}, {10, 30}, {20, 0}, {20, 30}, {30, 0},
                                         {30, 30}, {15, 15}},
                                        {{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}});
    EXPECT_EQ(grid.crossings, 6u);
    EXPECT_EQ(grid.length, 2u * 40u + 3u * 30u);
}
