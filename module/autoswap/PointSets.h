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

// Lanes of doubles where the sets are read often and kept briefly; of 32-bit integers, half the
// room, where every gate keeps its own.
template <class Lanes>
class CLQPointSets {
public:
    using Point = std::pair<std::int32_t, std::int32_t>;

    // The sets from points, each ending where ends says (as ColumnTargets gives them).
    void Assign(const std::vector<Point>& points, const std::vector<std::size_t>& ends)
    {
        // Reserved exactly when they grow, so that the sets take no more room than they need.
        std::size_t nPairs = 0, begin = 0;
        for (std::size_t end : ends) {
            nPairs += (end - begin + 1) / 2;
            begin = end;
        }
        m_pairs.clear();
        m_pairs.reserve(nPairs);
        m_ends.clear();
        m_ends.reserve(ends.size());
        begin = 0;
        for (std::size_t end : ends) {
            // An odd point out is paired with itself: the nearest stays the nearest.
            for (std::size_t k = begin; k < end; k += 2) {
                const Point& a = points[k];
                const Point& b = points[k + 1 < end ? k + 1 : k];
                m_pairs.push_back(Pair{Lanes{static_cast<Elem>(a.first), static_cast<Elem>(b.first)},
                                       Lanes{static_cast<Elem>(a.second), static_cast<Elem>(b.second)}});
            }
            m_ends.push_back(static_cast<std::uint32_t>(m_pairs.size()));
            begin = end;
        }
    }

    // The sum over the sets of the distance from the box to the set's nearest point, less what an
    // integer square root may round off (one per set); infinite for an empty set. (Summed whole: a
    // sum stopped once past what could still win costs more in branches missed than it saves.)
    double BoundFrom(const CLQBox& box) const
    {
        const LQLanes x0 = {box.x0, box.x0}, x1 = {box.x1, box.x1}, y0 = {box.y0, box.y0}, y1 = {box.y1, box.y1};
        const LQLanes zero = {0.0, 0.0};
        double total = 0;
        std::uint32_t begin = 0;
        for (std::uint32_t end : m_ends) {
            LQLanes nearest = {HUGE_VAL, HUGE_VAL};
            for (std::uint32_t k = begin; k < end; ++k) {
                const LQLanes x = __builtin_convertvector(m_pairs[k].x, LQLanes);
                const LQLanes y = __builtin_convertvector(m_pairs[k].y, LQLanes);
                const LQLanes dx = LQLanesMax(LQLanesMax(x0 - x, x - x1), zero);
                const LQLanes dy = LQLanesMax(LQLanesMax(y0 - y, y - y1), zero);
                nearest = LQLanesMin(nearest, dx * dx + dy * dy);
            }
            total += LQPositivePart(std::sqrt(std::min(nearest[0], nearest[1])) - 1.0);
            begin = end;
        }
        return total;
    }

private:
    using Elem = std::remove_reference_t<decltype(Lanes{}[0])>;
    struct Pair {
        Lanes x, y;
    };
    std::vector<Pair> m_pairs;
    std::vector<std::uint32_t> m_ends;
};
