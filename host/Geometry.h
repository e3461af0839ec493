// Board geometry in signed 32-bit nanometres.
#pragma once
#include <algorithm>
#include <cstdint>

#include "host/Types.h"

struct CLQPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;

    constexpr CLQPoint() = default;
    constexpr CLQPoint(std::int32_t ax, std::int32_t ay) : x(ax), y(ay) {}
    friend constexpr bool operator==(const CLQPoint& a, const CLQPoint& b) { return a.x == b.x && a.y == b.y; }
};

// Halving toward zero without overflow of the 32-bit sum.
constexpr std::int32_t LQHalfSum(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>((static_cast<std::int64_t>(a) + b) / 2);
}

struct CLQRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    constexpr CLQRect() = default;
    constexpr CLQRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) : left(l), top(t), right(r), bottom(b) {}
    constexpr CLQRect(const CLQPoint& a, const CLQPoint& b) : left(a.x), top(a.y), right(b.x), bottom(b.y) {}

    constexpr std::int32_t MinX() const { return std::min(left, right); }
    constexpr std::int32_t MaxX() const { return std::max(left, right); }
    constexpr std::int32_t MinY() const { return std::min(top, bottom); }
    constexpr std::int32_t MaxY() const { return std::max(top, bottom); }

    constexpr CLQPoint CenterPoint() const { return CLQPoint(LQHalfSum(left, right), LQHalfSum(top, bottom)); }

    // Borders included; the corners may be given in any order.
    constexpr bool ContainsInclusive(const CLQPoint& p) const
    {
        return p.x >= MinX() && p.x <= MaxX() && p.y >= MinY() && p.y <= MaxY();
    }
    constexpr bool Intersects(const CLQRect& o) const
    {
        return MinX() <= o.MaxX() && o.MinX() <= MaxX() && MinY() <= o.MaxY() && o.MinY() <= MaxY();
    }
    friend constexpr bool operator==(const CLQRect& a, const CLQRect& b)
    {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};
