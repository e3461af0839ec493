#include "app/metrics/Airwires.h"

#include <cmath>
#include <limits>

#include "app/metrics/Crossings.h"

namespace lq {

std::uint64_t IntegerSqrtWide(unsigned __int128 v)
{
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    const long double estimate = std::sqrt(static_cast<long double>(v));
    std::uint64_t r = estimate >= static_cast<long double>(kMax) ? kMax : static_cast<std::uint64_t>(estimate);
    while (static_cast<unsigned __int128>(r) * r > v)
        --r;
    while (r < kMax && static_cast<unsigned __int128>(r + 1) * (r + 1) <= v)
        ++r;
    return r;
}

std::vector<std::pair<std::size_t, std::size_t>> MinimumSpanningTree(const std::vector<Point>& points)
{
    const std::size_t n = points.size();
    std::vector<std::pair<std::size_t, std::size_t>> edges;
    if (n < 2)
        return edges;
    constexpr auto kFar = ~static_cast<unsigned __int128>(0);
    std::vector<unsigned __int128> best(n, kFar);
    std::vector<std::size_t> parent(n, 0);
    std::vector<bool> inTree(n, false);
    std::size_t current = 0;
    inTree[0] = true;
    for (std::size_t added = 1; added < n; ++added) {
        std::size_t next = n;
        for (std::size_t i = 0; i < n; ++i) {
            if (inTree[i])
                continue;
            const unsigned __int128 d = SquaredDistance(points[current], points[i]);
            if (d < best[i]) {
                best[i] = d;
                parent[i] = current;
            }
            if (next == n || best[i] < best[next])
                next = i;
        }
        inTree[next] = true;
        edges.emplace_back(parent[next], next);
        current = next;
    }
    return edges;
}

std::vector<Airwire> ComputeAirwires(const Board& board)
{
    const BoardIndex index(board);
    std::vector<Airwire> airwires;
    std::vector<Point> points;
    for (std::size_t n = 0; n < board.nets.size(); ++n) {
        points.clear();
        for (const PinRef& ref : board.nets[n].pins) {
            const auto pin = index.FindPin(ref);
            if (pin)
                points.push_back(AbsolutePin(board.parts[pin->part], board.parts[pin->part].pins[pin->pin]));
        }
        for (const auto& [a, b] : MinimumSpanningTree(points))
            airwires.push_back(Airwire{n, points[a], points[b], IntegerSqrt(SquaredDistance(points[a], points[b]))});
    }
    return airwires;
}

AirwireFigures MeasureAirwires(const Board& board) { return MeasureAirwires(ComputeAirwires(board)); }

namespace {
AirwireFigures CountAndLength(const std::vector<Airwire>& airwires)
{
    AirwireFigures figures;
    figures.airwires = airwires.size();
    for (const Airwire& a : airwires)
        figures.length += a.length;
    return figures;
}
}  // namespace

AirwireFigures MeasureAirwires(const std::vector<Airwire>& airwires)
{
    AirwireFigures figures = CountAndLength(airwires);
    figures.crossings = CountCrossings(airwires);
    return figures;
}

AirwireFigures MeasureAirwiresAfter(const std::vector<Airwire>& before, const AirwireFigures& figuresBefore,
                                    const std::vector<Airwire>& after)
{
    AirwireFigures figures = CountAndLength(after);
    figures.crossings = CountCrossingsAfter(before, figuresBefore.crossings, after);
    return figures;
}

}  // namespace lq
