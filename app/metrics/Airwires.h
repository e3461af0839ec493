// Airwires: the connections a router still has to make, per net the Euclidean minimum spanning
// tree of the net's pin locations, and the figures the reports compare before and after a run.
//
// Arithmetic: coordinates are 32-bit, so differences fit in 33 bits and squared lengths in 66;
// squared lengths are compared exactly as unsigned 128-bit integers. An airwire's length is the
// integer square root of its squared length (rounded down, in nm), and the total is the sum of
// those lengths in 64 bits. Prim's algorithm, O(n^2) per net of n pins; among equally short
// candidates the pin that comes first in the net wins, so the tree is deterministic.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/model/Board.h"

namespace lq {

struct Airwire {
    std::size_t net = 0;  // index into board.nets
    Point from;
    Point to;
    std::uint64_t length = 0;  // nm, rounded down
};

// The airwires of every net, net by net in board order. Nets with fewer than two pins have none.
// The board must be sound (CheckBoard), so that every net pin leads to a pin.
std::vector<Airwire> ComputeAirwires(const Board& board);

// The spanning tree of one set of points as pairs of indices into it.
std::vector<std::pair<std::size_t, std::size_t>> MinimumSpanningTree(const std::vector<Point>& points);

// Integer square root of a 128-bit value: the largest r with r*r <= v. Inline for values below
// 2^64 (every length below 4 m), which the refinement measures millions of times.
std::uint64_t IntegerSqrtWide(unsigned __int128 v);
inline std::uint64_t IntegerSqrt(unsigned __int128 v)
{
    if (v >> 64)
        return IntegerSqrtWide(v);
    // A floating-point estimate is within a step of the answer; the steps make it exact.
    const auto w = static_cast<std::uint64_t>(v);
    auto r = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(w)));
    r = r > 0xFFFFFFFFu ? 0xFFFFFFFFu : r;
    while (r * r > w)
        --r;
    while (r < 0xFFFFFFFFu && (r + 1) * (r + 1) <= w)
        ++r;
    return r;
}

// The squared length between two points, exact.
inline unsigned __int128 SquaredDistance(const Point& a, const Point& b)
{
    const std::int64_t dx = std::int64_t{a.x} - b.x;
    const std::int64_t dy = std::int64_t{a.y} - b.y;
    const auto ux = static_cast<unsigned __int128>(dx < 0 ? -dx : dx);
    const auto uy = static_cast<unsigned __int128>(dy < 0 ? -dy : dy);
    return ux * ux + uy * uy;
}

struct AirwireFigures {
    std::size_t airwires = 0;
    std::uint64_t length = 0;     // nm
    std::uint64_t crossings = 0;  // pairs of airwires of different nets that cross
    friend bool operator==(const AirwireFigures&, const AirwireFigures&) = default;
};

AirwireFigures MeasureAirwires(const Board& board);
// The figures of airwires already computed, so a caller that also draws them computes them once.
AirwireFigures MeasureAirwires(const std::vector<Airwire>& airwires);
// The same after a change, from the airwires and figures before it, where each net index names
// the same net before and after: only the changed nets' crossings are counted again.
AirwireFigures MeasureAirwiresAfter(const std::vector<Airwire>& before, const AirwireFigures& figuresBefore,
                                    const std::vector<Airwire>& after);

}  // namespace lq
