#include "app/metrics/Crossings.h"

#include <algorithm>
#include <limits>

namespace lq {

namespace {
constexpr std::int32_t kMinCoordinate = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMaxCoordinate = std::numeric_limits<std::int32_t>::max();

template <class Wide>
Wide CrossProduct(Wide ux, Wide uy, Wide vx, Wide vy)
{
    return ux * vy - uy * vx;
}

template <class Wide>
bool StrictlyOpposite(Wide p, Wide q)
{
    return ((p < 0) & (q > 0)) | ((p > 0) & (q < 0));
}

// Whether a1-a2 and b1-b2 properly intersect: b's ends lie strictly on opposite sides of a's line
// and a's ends of b's. With a = a2 - a1, b = b2 - b1 and d = b1 - a1 the four side tests are
// a x d, a x d + a x b, -(b x d) and -(b x d) - a x b: six products instead of eight. Wide must
// hold every product and every side test's value exactly.
template <class Wide>
bool ProperlyCross(const Point& a1, const Point& a2, const Point& b1, const Point& b2)
{
    const Wide ax = std::int64_t{a2.x} - a1.x, ay = std::int64_t{a2.y} - a1.y;
    const Wide bx = std::int64_t{b2.x} - b1.x, by = std::int64_t{b2.y} - b1.y;
    const Wide dx = std::int64_t{b1.x} - a1.x, dy = std::int64_t{b1.y} - a1.y;
    const Wide ab = CrossProduct(ax, ay, bx, by);
    const Wide ad = CrossProduct(ax, ay, dx, dy), bd = CrossProduct(bx, by, dx, dy);
    // Bitwise, not short-circuit: the outcome is a coin toss for the sweep's pairs.
    return StrictlyOpposite<Wide>(ad, ad + ab) & StrictlyOpposite<Wide>(-bd, -bd - ab);
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
    // The y ranges apart, so that gathering reads 8 bytes a pair.
    std::vector<std::pair<std::int32_t, std::int32_t>> ys(wires.size());
    for (std::size_t i = 0; i < wires.size(); ++i)
        ys[i] = {wires[i].minY, wires[i].maxY};
    const auto leftOf = [](std::int32_t x, const Wire& w) { return x < w.left.x; };
    std::uint64_t crossings = 0;
    std::vector<std::size_t> near(wires.size());
    for (std::size_t i = 0; i < wires.size(); ++i) {
        const Wire& s = wires[i];
        const auto end = static_cast<std::size_t>(
            std::upper_bound(wires.begin() + static_cast<std::ptrdiff_t>(i), wires.end(), s.right.x, leftOf) -
            wires.begin());
        // The y range test first gathers the pairs left, without a branch (about half of the pairs
        // fail it, unpredictably), so that only those take the side tests.
        std::size_t k = 0;
        for (std::size_t j = i + 1; j < end; ++j) {
            near[k] = j;
            k += (ys[j].second >= s.minY) & (ys[j].first <= s.maxY);
        }
        for (std::size_t m = 0; m < k; ++m) {
            const Wire& t = wires[near[m]];
            crossings += (t.net != s.net) & ProperlyCross<Wide>(s.left, s.right, t.left, t.right);
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

namespace {
// Each net's airwires as a range of the list, which holds them net by net.
std::vector<std::pair<std::size_t, std::size_t>> NetRanges(const std::vector<Airwire>& airwires, std::size_t nets)
{
    std::vector<std::pair<std::size_t, std::size_t>> ranges(nets, {0, 0});
    for (std::size_t i = 0; i < airwires.size();) {
        std::size_t end = i;
        while (end < airwires.size() && airwires[end].net == airwires[i].net)
            ++end;
        ranges[airwires[i].net] = {i, end};
        i = end;
    }
    return ranges;
}

bool SameWire(const Airwire& a, const Airwire& b) { return a.from == b.from && a.to == b.to; }

// The crossing pairs with at least one airwire of a marked net.
std::uint64_t CrossingsOfNets(const std::vector<Airwire>& airwires, const std::vector<char>& marked)
{
    std::uint64_t crossings = 0;
    for (std::size_t i = 0; i < airwires.size(); ++i) {
        const Airwire& s = airwires[i];
        if (marked[s.net] == 0)
            continue;
        const std::int32_t sx0 = std::min(s.from.x, s.to.x), sx1 = std::max(s.from.x, s.to.x);
        const std::int32_t sy0 = std::min(s.from.y, s.to.y), sy1 = std::max(s.from.y, s.to.y);
        for (std::size_t j = 0; j < airwires.size(); ++j) {
            const Airwire& t = airwires[j];
            // A pair of two marked nets is counted from its first airwire.
            if (t.net == s.net || (marked[t.net] != 0 && j < i))
                continue;
            if (std::max(t.from.x, t.to.x) < sx0 || std::min(t.from.x, t.to.x) > sx1 ||
                std::max(t.from.y, t.to.y) < sy0 || std::min(t.from.y, t.to.y) > sy1)
                continue;
            crossings += SegmentsCross(s.from, s.to, t.from, t.to) ? 1 : 0;
        }
    }
    return crossings;
}
}  // namespace

std::uint64_t CountCrossingsAfter(const std::vector<Airwire>& before, std::uint64_t crossingsBefore,
                                  const std::vector<Airwire>& after)
{
    std::size_t nets = 0;
    for (const std::vector<Airwire>* list : {&before, &after})
        for (const Airwire& a : *list)
            nets = std::max(nets, a.net + 1);
    const auto rangesBefore = NetRanges(before, nets), rangesAfter = NetRanges(after, nets);
    std::vector<char> changed(nets, 0);
    std::size_t changedWires = 0;
    for (std::size_t n = 0; n < nets; ++n) {
        const auto [b0, b1] = rangesBefore[n];
        const auto [a0, a1] = rangesAfter[n];
        if (b1 - b0 == a1 - a0 && std::equal(before.begin() + static_cast<std::ptrdiff_t>(b0),
                                             before.begin() + static_cast<std::ptrdiff_t>(b1),
                                             after.begin() + static_cast<std::ptrdiff_t>(a0), SameWire))
            continue;
        changed[n] = 1;
        changedWires += (b1 - b0) + (a1 - a0);
    }
    // Testing the changed airwires against every other costs more than the sweep once they are
    // more than a few hundred.
    if (changedWires > 256)
        return CountCrossings(after);
    return crossingsBefore - CrossingsOfNets(before, changed) + CrossingsOfNets(after, changed);
}

}  // namespace lq
