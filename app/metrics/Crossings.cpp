#include "app/metrics/Crossings.h"

#include <algorithm>
#include <limits>

namespace lq {

namespace {
constexpr std::int32_t kMinCoordinate = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMaxCoordinate = std::numeric_limits<std::int32_t>::max();

// Which side of line a-b point c lies on: the sign of (b - a) x (c - a). Wide must hold the
// products of the differences and their difference exactly.
template <class Wide>
int Orientation(const Point& a, const Point& b, const Point& c)
{
    const Wide abx = std::int64_t{b.x} - a.x, aby = std::int64_t{b.y} - a.y;
    const Wide acx = std::int64_t{c.x} - a.x, acy = std::int64_t{c.y} - a.y;
    const Wide cross = abx * acy - aby * acx;
    return (cross > 0) - (cross < 0);
}

template <class Wide>
bool ProperlyCross(const Point& a1, const Point& a2, const Point& b1, const Point& b2)
{
    return Orientation<Wide>(a1, a2, b1) * Orientation<Wide>(a1, a2, b2) < 0 &&
           Orientation<Wide>(b1, b2, a1) * Orientation<Wide>(b1, b2, a2) < 0;
}

// An airwire as the sweep reads it, its left end first (a crossing does not depend on the order
// of the ends).
struct Wire {
    Point left, right;
    std::int32_t minY, maxY;
    std::size_t net;
};

template <class Wide>
std::uint64_t Sweep(const std::vector<Wire>& wires)
{
    std::uint64_t crossings = 0;
    for (std::size_t i = 0; i < wires.size(); ++i) {
        const Wire& s = wires[i];
        for (std::size_t j = i + 1; j < wires.size() && wires[j].left.x <= s.right.x; ++j) {
            const Wire& t = wires[j];
            if (t.net == s.net || t.maxY < s.minY || t.minY > s.maxY)
                continue;
            crossings += ProperlyCross<Wide>(s.left, s.right, t.left, t.right);
        }
    }
    return crossings;
}
}  // namespace

bool SegmentsCross(const Point& a1, const Point& a2, const Point& b1, const Point& b2)
{
    return ProperlyCross<__int128>(a1, a2, b1, b2);
}

std::uint64_t CountCrossings(const std::vector<Airwire>& airwires)
{
    std::vector<Wire> wires;
    wires.reserve(airwires.size());
    std::int32_t minX = kMaxCoordinate, maxX = kMinCoordinate, minY = kMaxCoordinate, maxY = kMinCoordinate;
    for (const Airwire& a : airwires) {
        const bool forward = a.from.x <= a.to.x;
        wires.push_back(Wire{forward ? a.from : a.to, forward ? a.to : a.from, std::min(a.from.y, a.to.y),
                             std::max(a.from.y, a.to.y), a.net});
        const Wire& w = wires.back();
        minX = std::min(minX, w.left.x), maxX = std::max(maxX, w.right.x);
        minY = std::min(minY, w.minY), maxY = std::max(maxY, w.maxY);
    }
    std::sort(wires.begin(), wires.end(), [](const Wire& a, const Wire& b) { return a.left.x < b.left.x; });
    // Below a span of 2^31 every difference has at most 31 bits and a sign, so each product stays
    // below 2^62 and their difference fits in 64 bits.
    constexpr std::int64_t kNarrow = std::int64_t{1} << 31;
    const bool narrow = std::int64_t{maxX} - minX < kNarrow && std::int64_t{maxY} - minY < kNarrow;
    return narrow ? Sweep<std::int64_t>(wires) : Sweep<__int128>(wires);
}

}  // namespace lq
