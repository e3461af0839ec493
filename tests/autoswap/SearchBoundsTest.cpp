// The bounds the gate search passes partners over by: never above the distances they stand for
// (or a partner could be passed over wrongly), and close to them (or the search does needless work).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "module/autoswap/ColumnBoxes.h"
#include "module/autoswap/GatePoints.h"
#include "module/autoswap/PointSets.h"

namespace {
using Point = std::pair<std::int32_t, std::int32_t>;

// The Euclidean distance from the box to the point, in long double.
long double Distance(const CLQBox& box, Point p)
{
    const long double dx = std::fmax(0.0L, std::fmax(box.x0 - p.first, p.first - box.x1));
    const long double dy = std::fmax(0.0L, std::fmax(box.y0 - p.second, p.second - box.y1));
    return std::sqrt(dx * dx + dy * dy);
}

CLQBox BoxOf(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    CLQBox box;
    box.Add(x0, y0);
    box.Add(x1, y1);
    return box;
}

// Sets of one to five points (odd counts pair a point with itself), near and far, inside and
// outside the box, over the whole 32-bit range and within a small one; also kept as a gate's,
// where a place takes in turn sets that fit its own room and sets kept apart.
TEST(SearchBounds, PointSetsBoundEachSetByItsNearestPointLessOne)
{
    std::mt19937 rng(7);
    CLQGatePoints places;
    places.Assign(2);
    for (std::int32_t range : {1000, INT32_MAX}) {
        std::uniform_int_distribution<std::int32_t> coord(-range, range);
        for (int nCase = 0; nCase < 500; ++nCase) {
            const std::int32_t ax = coord(rng), ay = coord(rng), bx = coord(rng), by = coord(rng);
            const CLQBox box = BoxOf(std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by));
            std::vector<Point> points;
            std::vector<std::size_t> ends;
            long double expected = 0;
            for (int s = 1 + nCase % 3; s > 0; --s) {
                long double nearest = INFINITY;
                for (int k = 1 + static_cast<int>(rng() % 5); k > 0; --k) {
                    points.emplace_back(coord(rng), coord(rng));
                    nearest = std::fmin(nearest, Distance(box, points.back()));
                }
                ends.push_back(points.size());
                expected += std::fmax(0.0L, nearest - 1);
            }
            CLQPointSets<LQIntLanes> kept;
            CLQPointSets<LQLanes> brief;
            kept.Assign(points, ends);
            brief.Assign(points, ends);
            const long double tolerance = 1e-12L * (expected + 1);
            EXPECT_NEAR(static_cast<long double>(kept.BoundFrom(box)), expected, tolerance) << nCase;
            EXPECT_EQ(kept.BoundFrom(box), brief.BoundFrom(box)) << nCase;
            places.Set(nCase % 2, points, ends);
            EXPECT_EQ(places.BoundFrom(nCase % 2, box), kept.BoundFrom(box)) << nCase;
        }
    }
    CLQPointSets<LQLanes> none;
    none.Assign({{0, 0}}, {0, 1});  // an empty set, then one
    EXPECT_EQ(none.BoundFrom(BoxOf(5, 5, 6, 6)), HUGE_VAL);
}

// Sets that lie apart bound what one gate measures against them wherever it lies, and within a box
// more than the box's distance from each set alone: a gate of pins at most the spread apart, inside
// the box, one pin per set, measures (to whole units, rounded down) no less than either bound.
TEST(SearchBounds, SetsApartBoundWhatAnyGateMeasuresWhereverItLies)
{
    std::mt19937 rng(5);
    CLQGatePoints places;
    places.Assign(1);
    int nTighter = 0;
    for (std::int32_t range : {1000, 1 << 30}) {
        std::uniform_int_distribution<std::int32_t> coord(-range, range);
        const double spread = range / 40.0;
        for (int nCase = 0; nCase < 400; ++nCase) {
            std::vector<Point> points;
            std::vector<std::size_t> ends;
            const int nSets = 2 + nCase % 3;  // four sets bound only wherever the gate lies
            for (int s = 0; s < nSets; ++s) {
                for (int k = 1 + static_cast<int>(rng() % 4); k > 0; --k)
                    points.emplace_back(coord(rng), coord(rng));
                ends.push_back(points.size());
            }
            double apart[3];
            std::size_t nPaired = 0;
            const double anywhere = LQSetsApart(points, ends, spread, apart, 3, nPaired);
            EXPECT_EQ(nPaired, nSets <= 3 ? static_cast<std::size_t>(nSets) : 0u) << nCase;
            CLQPointSets<LQIntLanes> kept;
            kept.Assign(points, ends);
            kept.SetApart(apart, nPaired);
            places.Set(0, points, ends);
            places.SetApart(0, apart, nPaired);
            const std::int32_t ax = coord(rng), ay = coord(rng), bx = coord(rng), by = coord(rng);
            const CLQBox box = BoxOf(std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by));
            const double within = kept.ApartBoundFrom(box);
            EXPECT_EQ(places.ApartBoundFrom(0, box), within) << nCase;
            EXPECT_GE(within, kept.BoundFrom(box)) << nCase;
            nTighter += within > kept.BoundFrom(box) + 1 ? 1 : 0;
            std::uniform_real_distribution<double> u(0.0, 1.0);
            for (int gate = 0; gate < 20; ++gate) {
                // A centre in the box, each pin within half the spread of it, kept in the box.
                const double cx = box.x0 + u(rng) * (box.x1 - box.x0), cy = box.y0 + u(rng) * (box.y1 - box.y0);
                long double measured = 0;
                std::size_t begin = 0;
                for (std::size_t s = 0; s < ends.size(); begin = ends[s++]) {
                    const double angle = u(rng) * 6.283185307179586, radius = u(rng) * spread * 0.5;
                    const double px = std::clamp(std::round(cx + radius * std::cos(angle)), box.x0, box.x1);
                    const double py = std::clamp(std::round(cy + radius * std::sin(angle)), box.y0, box.y1);
                    long double nearest = INFINITY;
                    for (std::size_t e = begin; e < ends[s]; ++e)
                        nearest = std::fmin(nearest, Distance(BoxOf(static_cast<std::int32_t>(px), static_cast<std::int32_t>(py),
                                                                    static_cast<std::int32_t>(px), static_cast<std::int32_t>(py)),
                                                              points[e]));
                    measured += std::floor(nearest);
                }
                EXPECT_GE(measured, static_cast<long double>(anywhere)) << nCase;
                EXPECT_GE(measured, static_cast<long double>(within)) << nCase;
            }
        }
    }
    EXPECT_GT(nTighter, 100);  // the sets' distances apart must tell, or the search gains nothing
}

TEST(SearchBounds, BoxDistanceIsAtMostTheEuclideanAndWithinEightPerCent)
{
    struct Case {
        CLQBox a, b;
        double euclidean;
    };
    const std::vector<Case> cases{
        {BoxOf(0, 0, 10, 10), BoxOf(5, 5, 20, 20), 0},                    // overlapping
        {BoxOf(0, 0, 10, 10), BoxOf(2, 2, 3, 3), 0},                      // nested
        {BoxOf(0, 0, 10, 10), BoxOf(13, 0, 20, 10), 3},                   // apart along x
        {BoxOf(0, 0, 10, 10), BoxOf(0, -30, 10, -20), 20},                // apart along y, below
        {BoxOf(0, 0, 10, 10), BoxOf(13, 14, 20, 20), 5},                  // apart along both
        {BoxOf(INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN), BoxOf(INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX),
         std::sqrt(2.0) * 4294967295.0},                                    // corner to corner
    };
    for (const Case& c : cases) {
        for (double d : {c.a.DistanceAtMost(c.b), c.b.DistanceAtMost(c.a)}) {
            EXPECT_LE(d, c.euclidean * (1 + 1e-15));
            EXPECT_GE(d, c.euclidean / 1.0824 - 1e-9);
        }
    }
}
// Each gate's side by its columns' boxes, taken two gates at a time, is exactly the one taken
// gate by gate: a lane read for the wrong gate, or a column left over from before, would change it.
TEST(SearchBounds, ColumnBoxesGiveEveryGateItsOwnSideWhicheverWayTheyAreRead)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<std::int32_t> coord(INT32_MIN, INT32_MAX);
    auto randomBox = [&] {
        const std::int32_t ax = coord(rng), ay = coord(rng), bx = coord(rng), by = coord(rng);
        return BoxOf(std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by));
    };
    constexpr std::int32_t kPlaces = 9, kColumns = 3;
    CLQColumnBoxes kept;
    kept.Assign(kPlaces, kColumns);
    std::vector<double> expected(kPlaces);
    for (int round = 0; round < 50; ++round) {
        const CLQBox from = randomBox();
        for (std::int32_t place = 0; place < kPlaces; ++place) {
            std::vector<CLQBox> boxes(kColumns);
            for (CLQBox& b : boxes)
                b = randomBox();
            const auto n = static_cast<std::int32_t>(rng() % (kColumns + 1));  // as many columns as it measures
            const double longest = static_cast<double>(rng() % 20000000000ULL);
            kept.Set(place, longest, longest, boxes.data(), n);
            double total = 0;
            for (std::int32_t k = 0; k < n; ++k)
                total += LQPositivePart(from.DistanceAtMost(boxes[static_cast<std::size_t>(k)]) - 1.0);
            expected[static_cast<std::size_t>(place)] = longest - total;
        }
        for (std::int32_t place = 0; place < kPlaces; ++place)
            EXPECT_EQ(kept.SideFrom(place, from), expected[static_cast<std::size_t>(place)]) << place;
        // A run of places from an odd one, as a cell's gates lie.
        std::vector<double> sides(kPlaces + 1);
        kept.SidesFrom(3, 5, from, sides.data());
        for (std::int32_t place = 3; place < 8; ++place)
            EXPECT_EQ(sides[static_cast<std::size_t>(place - 2)], expected[static_cast<std::size_t>(place)]) << place;
    }
}
}  // namespace
