// Sets of points kept two to a pair of lanes, so that the distance from a box to the nearest point
// of each set is taken two points at a time: the bounds of the gate search spend most of their time
// here.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include "module/autoswap/GateGrid.h"

// Two points in a pair of lanes: their x in one, their y in the other.
template <class Lanes>
struct CLQPointPair {
    Lanes x, y;
};

// Pairs the points of each set, ending where ends says (as ColumnTargets gives them), into out
// (which has room for LQPairCount of them) and the sets' ends, in pairs, into setEnds.
template <class Lanes, class End>
void LQPairPoints(const std::vector<std::pair<std::int32_t, std::int32_t>>& points,
                  const std::vector<std::size_t>& ends, CLQPointPair<Lanes>* out, End* setEnds)
{
    using Elem = std::remove_reference_t<decltype(Lanes{}[0])>;
    std::size_t begin = 0, n = 0;
    for (std::size_t s = 0; s < ends.size(); begin = ends[s++]) {
        // An odd point out is paired with itself: the nearest stays the nearest.
        for (std::size_t k = begin; k < ends[s]; k += 2) {
            const auto& a = points[k];
            const auto& b = points[k + 1 < ends[s] ? k + 1 : k];
            out[n++] = CLQPointPair<Lanes>{Lanes{static_cast<Elem>(a.first), static_cast<Elem>(b.first)},
                                           Lanes{static_cast<Elem>(a.second), static_cast<Elem>(b.second)}};
        }
        setEnds[s] = static_cast<End>(n);
    }
}

// How many pairs LQPairPoints makes of the sets.
inline std::size_t LQPairCount(const std::vector<std::size_t>& ends)
{
    std::size_t n = 0, begin = 0;
    for (std::size_t end : ends) {
        n += (end - begin + 1) / 2;
        begin = end;
    }
    return n;
}

// The sum over the sets of the distance from the box to the set's nearest point, less what an
// integer square root may round off (one per set); infinite for an empty set. (Summed whole: a
// sum stopped once past what could still win costs more in branches missed than it saves.)
template <class Lanes, class End>
[[gnu::always_inline]] inline double LQBoundFromSets(const CLQPointPair<Lanes>* pairs, const End* setEnds,
                                                     std::size_t nSets, const CLQBox& box)
{
    const LQLanes x0 = {box.x0, box.x0}, x1 = {box.x1, box.x1}, y0 = {box.y0, box.y0}, y1 = {box.y1, box.y1};
    const LQLanes zero = {0.0, 0.0};
    double total = 0;
    std::uint32_t begin = 0;
    for (std::size_t s = 0; s < nSets; ++s) {
        LQLanes nearest = {HUGE_VAL, HUGE_VAL};
        for (std::uint32_t k = begin; k < setEnds[s]; ++k) {
            const LQLanes x = LQLanesOf(pairs[k].x);
            const LQLanes y = LQLanesOf(pairs[k].y);
            const LQLanes dx = LQLanesMax(LQLanesMax(x0 - x, x - x1), zero);
            const LQLanes dy = LQLanesMax(LQLanesMax(y0 - y, y - y1), zero);
            nearest = LQLanesMin(nearest, dx * dx + dy * dy);
        }
        total += LQPositivePart(std::sqrt(std::min(nearest[0], nearest[1])) - 1.0);
        begin = setEnds[s];
    }
    return total;
}

// A few sets of points kept together, as the search keeps the targets of the gate it searches for.
template <class Lanes>
class CLQPointSets {
public:
    using Point = std::pair<std::int32_t, std::int32_t>;

    // The sets from points, each ending where ends says.
    void Assign(const std::vector<Point>& points, const std::vector<std::size_t>& ends)
    {
        m_pairs.resize(LQPairCount(ends));
        m_ends.resize(ends.size());
        LQPairPoints(points, ends, m_pairs.data(), m_ends.data());
    }

    double BoundFrom(const CLQBox& box) const
    {
        return LQBoundFromSets(m_pairs.data(), m_ends.data(), m_ends.size(), box);
    }

private:
    std::vector<CLQPointPair<Lanes>> m_pairs;
    std::vector<std::uint32_t> m_ends;
};
