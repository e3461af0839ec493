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
        m_apart.assign(n, Apart{});
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

    // For a place of two or three sets: how far each two sets lie apart (0-1, 0-2, 1-2), less the
    // most that two pins of one gate lie apart; nSets 0 (or any other) for none.
    void SetApart(std::int32_t place, const double* apart, std::size_t nSets)
    {
        Apart& at = m_apart[static_cast<std::size_t>(place)];
        at.nSets = static_cast<std::uint8_t>(nSets == 2 || nSets == 3 ? nSets : 0);
        for (std::size_t k = 0; k < 3; ++k)
            at.pair[k] = k < at.nSets * (at.nSets - 1u) / 2 ? apart[k] : 0;
    }
    // The distances apart set for the place into apart; answers how many sets they are of, 0 for
    // none.
    std::size_t ApartOf(std::int32_t place, const double*& apart) const
    {
        const Apart& at = m_apart[static_cast<std::size_t>(place)];
        apart = at.pair;
        return at.nSets;
    }
    // At least BoundFrom (LQApartBoundFromSets where the place's distances apart are known).
    double ApartBoundFrom(std::int32_t place, const CLQBox& box) const
    {
        const Apart& apart = m_apart[static_cast<std::size_t>(place)];
        const Place& at = m_places[static_cast<std::size_t>(place)];
        if (apart.nSets == 0 || at.nSets != apart.nSets)
            return BoundFrom(place, box);
        return LQApartBoundFromSets(at.pairs, at.ends, at.nSets, apart.pair, box);
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
    struct Apart {
        double pair[3] = {};
        std::uint8_t nSets = 0;
    };
    std::vector<Place> m_places;
    std::vector<Apart> m_apart;
    std::vector<Overflow> m_overflow;
};
