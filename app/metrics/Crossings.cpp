#include "app/metrics/Crossings.h"

#include <algorithm>

namespace lq {

namespace {
// Sign of the cross product (b - a) x (c - a): which side of line a-b point c lies on.
int Orientation(const Point& a, const Point& b, const Point& c)
{
    const __int128 abx = std::int64_t{b.x} - a.x, aby = std::int64_t{b.y} - a.y;
    const __int128 acx = std::int64_t{c.x} - a.x, acy = std::int64_t{c.y} - a.y;
    const __int128 cross = abx * acy - aby * acx;
    return cross > 0 ? 1 : (cross < 0 ? -1 : 0);
}
}  // namespace

bool SegmentsCross(const Point& a1, const Point& a2, const Point& b1, const Point& b2)
{
    const int o1 = Orientation(a1, a2, b1), o2 = Orientation(a1, a2, b2);
    const int o3 = Orientation(b1, b2, a1), o4 = Orientation(b1, b2, a2);
    return o1 * o2 < 0 && o3 * o4 < 0;
}

std::uint64_t CountCrossings(const std::vector<Airwire>& airwires)
{
    struct Span {
        std::int32_t minX, maxX, minY, maxY;
        const Airwire* wire;
    };
    std::vector<Span> spans;
    spans.reserve(airwires.size());
    for (const Airwire& a : airwires)
        spans.push_back(Span{std::min(a.from.x, a.to.x), std::max(a.from.x, a.to.x), std::min(a.from.y, a.to.y),
                             std::max(a.from.y, a.to.y), &a});
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.minX < b.minX; });
    std::uint64_t crossings = 0;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const Span& s = spans[i];
        for (std::size_t j = i + 1; j < spans.size() && spans[j].minX <= s.maxX; ++j) {
            const Span& t = spans[j];
            if (t.wire->net == s.wire->net || t.maxY < s.minY || t.minY > s.maxY)
                continue;
            if (SegmentsCross(s.wire->from, s.wire->to, t.wire->from, t.wire->to))
                ++crossings;
        }
    }
    return crossings;
}

}  // namespace lq
