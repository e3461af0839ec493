#include "app/refine/Candidates.h"

#include <algorithm>
#include <cmath>

#include "app/metrics/Airwires.h"

namespace lq {

namespace {
// About this many gates to a cell of the grid.
constexpr double kGatesPerCell = 8.0;
// Nets with more pins (supplies, mostly) say little about where a gate belongs.
constexpr std::size_t kLargestNet = 64;
}  // namespace

Candidates::Candidates(const WireModel& model, const SwapSpace& space, std::size_t nearest)
    : m_model(model), m_space(space), m_nearest(space.Gates().size()), m_seen(space.Gates().size(), 0)
{
    const auto& gates = space.Gates();
    if (gates.empty())
        return;
    std::int64_t x1 = gates[0].centre.x, y1 = gates[0].centre.y, x2 = x1, y2 = y1;
    for (std::size_t p = 0; p < model.PinCount(); ++p) {
        const Point& at = model.At(static_cast<int>(p));
        x1 = std::min<std::int64_t>(x1, at.x), x2 = std::max<std::int64_t>(x2, at.x);
        y1 = std::min<std::int64_t>(y1, at.y), y2 = std::max<std::int64_t>(y2, at.y);
    }
    for (const GateEntry& g : gates) {
        x1 = std::min<std::int64_t>(x1, g.centre.x), x2 = std::max<std::int64_t>(x2, g.centre.x);
        y1 = std::min<std::int64_t>(y1, g.centre.y), y2 = std::max<std::int64_t>(y2, g.centre.y);
    }
    const double area = static_cast<double>(x2 - x1 + 1) * static_cast<double>(y2 - y1 + 1);
    m_size = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::sqrt(area * kGatesPerCell / static_cast<double>(gates.size()))));
    m_x0 = x1, m_y0 = y1;
    m_columns = static_cast<std::size_t>((x2 - x1) / m_size + 1);
    m_rows = static_cast<std::size_t>((y2 - y1) / m_size + 1);
    m_gatesIn.resize(m_columns * m_rows);
    m_pinsIn.resize(m_columns * m_rows);
    for (std::size_t g = 0; g < gates.size(); ++g)
        if (gates[g].gateGroup >= 0)
            m_gatesIn[Cell(gates[g].centre)].push_back(static_cast<int>(g));
    for (std::size_t p = 0; p < model.PinCount(); ++p)
        m_pinsIn[Cell(model.At(static_cast<int>(p)))].push_back(static_cast<int>(p));

    // The nearest gates of the same group by centre, ties to the earlier gate.
    std::vector<std::pair<unsigned __int128, int>> byDistance;
    for (const std::vector<int>& group : space.GateGroups())
        for (int g : group) {
            byDistance.clear();
            for (int h : group)
                if (h != g)
                    byDistance.emplace_back(SquaredDistance(gates[static_cast<std::size_t>(g)].centre,
                                                            gates[static_cast<std::size_t>(h)].centre),
                                            h);
            const std::size_t k = std::min(nearest, byDistance.size());
            std::partial_sort(byDistance.begin(), byDistance.begin() + static_cast<std::ptrdiff_t>(k), byDistance.end());
            for (std::size_t i = 0; i < k; ++i) {
                m_nearest[static_cast<std::size_t>(g)].push_back(byDistance[i].second);
                m_nearest[static_cast<std::size_t>(byDistance[i].second)].push_back(g);
            }
        }
}

std::size_t Candidates::Cell(const Point& p) const
{
    const auto c = static_cast<std::size_t>((p.x - m_x0) / m_size), r = static_cast<std::size_t>((p.y - m_y0) / m_size);
    return std::min(r, m_rows - 1) * m_columns + std::min(c, m_columns - 1);
}

void Candidates::Add(int gate, int group)
{
    if (gate < 0 || m_seen[static_cast<std::size_t>(gate)] == m_stamp ||
        m_space.Gates()[static_cast<std::size_t>(gate)].gateGroup != group)
        return;
    m_seen[static_cast<std::size_t>(gate)] = m_stamp;
    m_result.push_back(gate);
}

const std::vector<int>& Candidates::Of(int gate)
{
    // Symmetric, so that a gate whose nets change finds every gate that would have found it: g is
    // a candidate of h when a pin of one's nets lies in the other's cell.
    ++m_stamp;
    m_result.clear();
    const GateEntry& g = m_space.Gates()[static_cast<std::size_t>(gate)];
    m_seen[static_cast<std::size_t>(gate)] = m_stamp;
    for (int n : m_nearest[static_cast<std::size_t>(gate)])
        Add(n, g.gateGroup);
    // Gates in the cells of the pins of this gate's nets.
    for (std::size_t k = 0; k < g.groups.size(); ++k) {
        if (g.power[k])
            continue;
        for (int pin : g.groups[k]) {
            const int net = m_model.NetOf(pin);
            if (net >= 0 && m_model.Members(net).size() <= kLargestNet)
                for (int other : m_model.Members(net))
                    for (int h : m_gatesIn[Cell(m_model.At(other))])
                        Add(h, g.gateGroup);
        }
    }
    // Gates with a pin on a net that has a pin in this gate's cell.
    for (int near : m_pinsIn[Cell(g.centre)]) {
        const int net = m_model.NetOf(near);
        if (net >= 0 && m_model.Members(net).size() <= kLargestNet)
            for (int other : m_model.Members(net))
                Add(m_space.GateOf(other), g.gateGroup);
    }
    std::sort(m_result.begin(), m_result.end());
    return m_result;
}

}  // namespace lq
