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

// A box's corners in pairs of lanes, for the distances to points two at a time.
struct CLQBoxLanes {
    LQLanes x0, y0, x1, y1;
    explicit CLQBoxLanes(const CLQBox& box)
        : x0{box.x0, box.x0}, y0{box.y0, box.y0}, x1{box.x1, box.x1}, y1{box.y1, box.y1} {}
    // The squared distance from the box to the nearest of the pairs' points from begin to end.
    template <class Lanes>
    [[gnu::always_inline]] double NearestSquare(const CLQPointPair<Lanes>* pairs, std::uint32_t begin,
                                                std::uint32_t end) const
    {
        const LQLanes zero = {0.0, 0.0};
        LQLanes nearest = {HUGE_VAL, HUGE_VAL};
        for (std::uint32_t k = begin; k < end; ++k) {
            const LQLanes x = LQLanesOf(pairs[k].x);
            const LQLanes y = LQLanesOf(pairs[k].y);
            const LQLanes dx = LQLanesMax(LQLanesMax(x0 - x, x - x1), zero);
            const LQLanes dy = LQLanesMax(LQLanesMax(y0 - y, y - y1), zero);
            nearest = LQLanesMin(nearest, dx * dx + dy * dy);
        }
        return std::min(nearest[0], nearest[1]);
    }
};

// The distance from the box to each set's nearest point, into out.
template <class Lanes, class End>
[[gnu::always_inline]] inline void LQSetDistances(const CLQPointPair<Lanes>* pairs, const End* setEnds, std::size_t nSets,
                                                  const CLQBox& box, double* out)
{
    const CLQBoxLanes lanes(box);
    for (std::size_t s = 0; s < nSets; ++s)
        out[s] = std::sqrt(lanes.NearestSquare(pairs, s == 0 ? 0 : setEnds[s - 1], setEnds[s]));
}

// The sum over the sets of the distance from the box to the set's nearest point, less what an
// integer square root may round off (one per set); infinite for an empty set. (Summed whole: a
// sum stopped once past what could still win costs more in branches missed than it saves.)
template <class Lanes, class End>
[[gnu::always_inline]] inline double LQBoundFromSets(const CLQPointPair<Lanes>* pairs, const End* setEnds,
                                                     std::size_t nSets, const CLQBox& box)
{
    const CLQBoxLanes lanes(box);
    double total = 0;
    for (std::size_t s = 0; s < nSets; ++s)
        total += LQPositivePart(std::sqrt(lanes.NearestSquare(pairs, s == 0 ? 0 : setEnds[s - 1], setEnds[s])) - 1.0);
    return total;
}

// The least that one gate, its pins at most spread apart, measures against sets of points (ending
// where ends says, as ColumnTargets gives them) with one pin on each set's net, wherever it lies:
// no place is near two sets at once, so the distances from one place sum to at least the pairs'
// distances apart over one less than the sets, and to at least the largest; the measure loses one
// to rounding per set. Sets of many points are left out (bounding fewer sets holds). Each two sets'
// distance apart less spread goes to pairs (0-1, 0-2, ..., 1-2, ...) while there is room; nPaired
// receives the sets pairs then holds, 0 unless all.
inline double LQSetsApart(const std::vector<std::pair<std::int32_t, std::int32_t>>& points,
                          const std::vector<std::size_t>& ends, double spread, double* apart, std::size_t nRoom,
                          std::size_t& nPaired)
{
    nPaired = 0;
    // Two points at a time, as the bounds take them: most sets are one pair, so the loops below
    // mostly run once each, as the processor guesses.
    constexpr std::size_t kMostSets = 8, kMostPairs = 16;
    CLQPointPair<LQLanes> pairs[kMostPairs];
    std::uint32_t setEnds[kMostSets];
    std::size_t nSets = 0, nPairs = 0, begin = 0;
    bool bWhole = true;
    for (std::size_t k = 0; k < ends.size(); begin = ends[k++]) {
        const std::size_t n = (ends[k] - begin + 1) / 2;
        if (n == 0 || nSets == kMostSets || nPairs + n > kMostPairs) {
            bWhole = false;
            continue;
        }
        for (std::size_t e = begin; e < ends[k]; e += 2) {
            const auto& a = points[e];
            const auto& b = points[e + 1 < ends[k] ? e + 1 : e];
            pairs[nPairs++] = CLQPointPair<LQLanes>{LQLanes{static_cast<double>(a.first), static_cast<double>(b.first)},
                                                    LQLanes{static_cast<double>(a.second), static_cast<double>(b.second)}};
        }
        setEnds[nSets++] = static_cast<std::uint32_t>(nPairs);
    }
    if (nSets < 2)
        return 0;
    double sum = 0, most = 0;
    std::size_t nApart = 0;
    for (std::size_t a = 0; a < nSets; ++a)
        for (std::size_t b = a + 1; b < nSets; ++b) {
            LQLanes nearest = {HUGE_VAL, HUGE_VAL};
            for (std::uint32_t p = a == 0 ? 0 : setEnds[a - 1]; p < setEnds[a]; ++p)
                for (std::uint32_t q = setEnds[b - 1]; q < setEnds[b]; ++q) {
                    // Each point of the one pair against both of the other's, straight and crossed.
                    const LQLanes dx = pairs[p].x - pairs[q].x, dy = pairs[p].y - pairs[q].y;
                    const LQLanes cx = pairs[p].x - __builtin_shufflevector(pairs[q].x, pairs[q].x, 1, 0);
                    const LQLanes cy = pairs[p].y - __builtin_shufflevector(pairs[q].y, pairs[q].y, 1, 0);
                    nearest = LQLanesMin(nearest, LQLanesMin(dx * dx + dy * dy, cx * cx + cy * cy));
                }
            const double d = std::sqrt(std::min(nearest[0], nearest[1])) * (1 - 1e-12) - spread;
            if (nApart < nRoom)
                apart[nApart] = d;
            ++nApart;
            sum += d;
            most = std::max(most, d);
        }
    if (bWhole && nApart <= nRoom)
        nPaired = nSets;
    return std::max(sum / static_cast<double>(nSets - 1), most) - static_cast<double>(nSets);
}

// At least LQBoundFromSets, for two or three sets whose distances apart are known (0-1, 0-2, 1-2,
// each less the most that two pins of one gate lie apart): a gate in the box has one pin on each
// set's net, and two of its pins are no nearer to two sets together than the sets' distance apart,
// nor than their distances from the box; the measure loses one to rounding per set.
template <class Lanes, class End>
[[gnu::always_inline]] inline double LQApartBoundFromSets(const CLQPointPair<Lanes>* pairs, const End* setEnds,
                                                          std::size_t nSets, const double* apart, const CLQBox& box)
{
    double d[3];
    LQSetDistances(pairs, setEnds, nSets, box, d);
    double alone = 0;  // as LQBoundFromSets takes it
    for (std::size_t k = 0; k < nSets; ++k)
        alone += LQPositivePart(d[k] - 1.0);
    if (nSets == 2)
        return std::max(alone, std::max(apart[0], d[0] + d[1]) - 2.0);
    const double d01 = std::max(apart[0], d[0] + d[1]), d02 = std::max(apart[1], d[0] + d[2]);
    const double d12 = std::max(apart[2], d[1] + d[2]);
    const double together = std::max(std::max((d01 + d02 + d12) * 0.5, d01 + d[2]), std::max(d02 + d[1], d12 + d[0]));
    return std::max(alone, together - 3.0);
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
    // The sets' distances apart (as LQApartBoundFromSets takes them) where nSets is theirs, 2 or 3.
    void SetApart(const double* apart, std::size_t nSets)
    {
        m_bApart = nSets == m_ends.size() && (nSets == 2 || nSets == 3);
        std::copy(apart, apart + (m_bApart ? nSets * (nSets - 1) / 2 : 0), m_apart);
    }
    // At least BoundFrom (LQApartBoundFromSets where the distances apart are known).
    double ApartBoundFrom(const CLQBox& box) const
    {
        return m_bApart ? LQApartBoundFromSets(m_pairs.data(), m_ends.data(), m_ends.size(), m_apart, box) : BoundFrom(box);
    }

private:
    std::vector<CLQPointPair<Lanes>> m_pairs;
    std::vector<std::uint32_t> m_ends;
    double m_apart[3] = {};
    bool m_bApart = false;
};
