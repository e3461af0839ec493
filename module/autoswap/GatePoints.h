// The points that each gate's column nets are measured against, kept at a fixed place per gate in
// the grid's order. A partner's side from its pins is taken wherever a search, a cap's measure or
// a mend reaches a gate anywhere on the board: with the sets' ends and the first pairs in the
// gate's own cache line, found from its place alone, that costs one read from memory instead of a
// chain of three.
#pragma once
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "module/autoswap/PointSets.h"

class CLQGatePoints {
public:
    // Room for n places, none with a set.
    void Assign(std::size_t n)
    {
        m_places.assign(n, Place{});
        m_overflow.clear();
    }
    // The place's sets, from points ending where ends says (as ColumnTargets gives them).
    void Set(std::int32_t place, const std::vector<std::pair<std::int32_t, std::int32_t>>& points,
             const std::vector<std::size_t>& ends)
    {
        Place& at = m_places[static_cast<std::size_t>(place)];
        if (ends.size() <= kMostSets && LQPairCount(ends) <= kMostPairs) {
            at.nSets = static_cast<std::uint8_t>(ends.size());
            LQPairPoints(points, ends, at.pairs, at.ends);
            return;
        }
        // Few gates (those on nets of many pins): kept apart, in room kept for the place once made.
        if (at.overflow < 0) {
            at.overflow = static_cast<std::int32_t>(m_overflow.size());
            m_overflow.emplace_back();
        }
        Overflow& out = m_overflow[static_cast<std::size_t>(at.overflow)];
        out.pairs.resize(LQPairCount(ends));
        out.ends.resize(ends.size());
        LQPairPoints(points, ends, out.pairs.data(), out.ends.data());
        at.nSets = kApart;
    }
    // The sum over the place's sets of the box's distance to the set's nearest point, less one
    // per set (LQBoundFromSets).
    [[gnu::always_inline]] double BoundFrom(std::int32_t place, const CLQBox& box) const
    {
        const Place& at = m_places[static_cast<std::size_t>(place)];
        if (at.nSets != kApart) [[likely]]
            return LQBoundFromSets(at.pairs, at.ends, at.nSets, box);
        const Overflow& out = m_overflow[static_cast<std::size_t>(at.overflow)];
        return LQBoundFromSets(out.pairs.data(), out.ends.data(), out.ends.size(), box);
    }

private:
    static constexpr std::size_t kMostSets = 11, kMostPairs = 7;
    static constexpr std::uint8_t kApart = 0xff;
    // Two cache lines: the ends and the first three pairs in the first.
    struct alignas(64) Place {
        std::uint8_t nSets = 0;  // kApart: the sets are in m_overflow
        std::uint8_t ends[kMostSets] = {};
        std::int32_t overflow = -1;
        CLQPointPair<LQIntLanes> pairs[kMostPairs] = {};
    };
    static_assert(sizeof(Place) == 128);
    struct Overflow {
        std::vector<CLQPointPair<LQIntLanes>> pairs;
        std::vector<std::uint32_t> ends;
    };
    std::vector<Place> m_places;
    std::vector<Overflow> m_overflow;
};
