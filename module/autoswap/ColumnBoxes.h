// The boxes of what each gate's column nets are measured against, and its present length, kept two
// gates to a pair of lanes in the grid's order: a search bounds the partner's side of every gate of
// a cell it enters, and a cap's measure every gate of a cell, so both take two gates at a time.
// The corners are board coordinates, kept as the 32-bit integers they are: on large boards these
// boxes are read from beyond the nearer caches, and half the room is half the reading.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "module/autoswap/GateGrid.h"

class CLQColumnBoxes {
public:
    // Room for n places of up to nColumns boxes each, every place measuring nothing.
    void Assign(std::size_t n, std::int32_t nColumns)
    {
        m_nColumns = nColumns;
        m_boxes.assign((n + 1) / 2 * static_cast<std::size_t>(nColumns), Pair{kLow, kLow, kHigh, kHigh});
        m_longest.assign((n + 1) / 2, LQLanes{-HUGE_VAL, -HUGE_VAL});
        m_reach.assign((n + 1) / 2, LQLanes{-HUGE_VAL, -HUGE_VAL});
    }
    // The place's present length (as the bounds take it), the most its side may reach from
    // anywhere (at most that), and the boxes of its first n columns (boxes of board points); the
    // others bound nothing.
    void Set(std::int32_t place, double longest, double reach, const CLQBox* boxes, std::int32_t n)
    {
        const auto lane = static_cast<std::size_t>(place & 1);
        m_longest[Half(place)][lane] = longest;
        m_reach[Half(place)][lane] = reach;
        Pair* pairs = m_boxes.data() + Half(place) * static_cast<std::size_t>(m_nColumns);
        for (std::int32_t k = 0; k < m_nColumns; ++k) {
            // A column it does not measure (or with no points, which none has) is the whole
            // board: no box within the board is away from it, so it bounds nothing.
            const CLQBox& b = k < n && !boxes[k].IsEmpty() ? boxes[k] : kWhole;
            pairs[k].x0[lane] = static_cast<std::int32_t>(b.x0);
            pairs[k].y0[lane] = static_cast<std::int32_t>(b.y0);
            pairs[k].x1[lane] = static_cast<std::int32_t>(b.x1);
            pairs[k].y1[lane] = static_cast<std::int32_t>(b.y1);
        }
    }
    // The present length set for the place.
    double LongestOf(std::int32_t place) const { return m_longest[Half(place)][place & 1]; }
    // The most that the place's side may reach from anywhere, as set.
    double ReachOf(std::int32_t place) const { return m_reach[Half(place)][place & 1]; }
    // The most that the place's side of an exchange may reach with a gate within the box, by the
    // boxes: its present length less, per column, the box's distance from it less one (never
    // below zero). Each lane takes the same operations as CLQBox::DistanceAtMost, so both forms
    // give the same value.
    double SideFrom(std::int32_t place, const CLQBox& box) const
    {
        return Sides(Half(place), box)[place & 1];
    }
    // The same for the n places from first, into out, which holds them from first rounded down
    // to even.
    void SidesFrom(std::int32_t first, std::int32_t n, const CLQBox& box, double* out) const
    {
        if (n <= 0)
            return;
        for (std::size_t h = Half(first), end = Half(first + n - 1); h <= end; ++h, out += 2) {
            const LQLanes sides = Sides(h, box);
            out[0] = sides[0];
            out[1] = sides[1];
        }
    }

private:
    struct Pair {
        LQIntLanes x0, y0, x1, y1;
    };
    static constexpr LQIntLanes kLow = {INT32_MIN, INT32_MIN}, kHigh = {INT32_MAX, INT32_MAX};
    static constexpr CLQBox kWhole = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    static std::size_t Half(std::int32_t place) { return static_cast<std::size_t>(place) / 2; }
    [[gnu::always_inline]] LQLanes Sides(std::size_t half, const CLQBox& box) const
    {
        const LQLanes x0 = {box.x0, box.x0}, x1 = {box.x1, box.x1}, y0 = {box.y0, box.y0}, y1 = {box.y1, box.y1};
        const LQLanes zero = {0.0, 0.0}, one = {1.0, 1.0}, halve = {0.5, 0.5};
        const LQLanes diagonal = {0.7071067811865, 0.7071067811865};
        const Pair* pairs = m_boxes.data() + half * static_cast<std::size_t>(m_nColumns);
        LQLanes total = zero;
        for (std::int32_t k = 0; k < m_nColumns; ++k) {
            const LQLanes px0 = LQLanesOf(pairs[k].x0);
            const LQLanes py0 = LQLanesOf(pairs[k].y0);
            const LQLanes px1 = LQLanesOf(pairs[k].x1);
            const LQLanes py1 = LQLanesOf(pairs[k].y1);
            const LQLanes gx = LQLanesMax(LQLanesMax(x0 - px1, px0 - x1), zero);
            const LQLanes gy = LQLanesMax(LQLanesMax(y0 - py1, py0 - y1), zero);
            const LQLanes d = LQLanesMax(LQLanesMax(gx, gy), (gx + gy) * diagonal) - one;
            total += (d + LQLanesMax(d, -d)) * halve;  // LQPositivePart
        }
        return m_longest[half] - total;
    }

    std::int32_t m_nColumns = 0;
    std::vector<Pair> m_boxes;
    std::vector<LQLanes> m_longest, m_reach;
};
