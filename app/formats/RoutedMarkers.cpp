#include "app/formats/RoutedMarkers.h"

#include <fmt/core.h>

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "app/core/Text.h"
#include "host/AttributeNames.h"

namespace lq {

namespace {

bool Inside(const Rect& r, const Point& p)
{
    return p.x >= std::min(r.x1, r.x2) && p.x <= std::max(r.x1, r.x2) && p.y >= std::min(r.y1, r.y2) &&
           p.y <= std::max(r.y1, r.y2);
}

// Pads of pins that are not routed, found by 1 mm cells; outsized pads are always checked.
class PadGrid {
public:
    PadGrid(const Board& board, const std::set<PinIndex>& routed)
    {
        for (std::size_t i = 0; i < board.parts.size(); ++i)
            for (std::size_t j = 0; j < board.parts[i].pins.size(); ++j) {
                const PinIndex pin{i, j};
                if (routed.count(pin) != 0)
                    continue;
                const Rect r = AbsolutePad(board.parts[i], board.parts[i].pins[j]);
                const std::uint32_t layers = board.parts[i].pins[j].layers;
                const std::int64_t x0 = Cell(std::min(r.x1, r.x2)), x1 = Cell(std::max(r.x1, r.x2));
                const std::int64_t y0 = Cell(std::min(r.y1, r.y2)), y1 = Cell(std::max(r.y1, r.y2));
                m_pads.push_back({r, layers});
                if ((x1 - x0 + 1) * (y1 - y0 + 1) > 64) {
                    m_large.push_back(m_pads.size() - 1);
                    continue;
                }
                for (std::int64_t x = x0; x <= x1; ++x)
                    for (std::int64_t y = y0; y <= y1; ++y)
                        m_cells[Key(x, y)].push_back(m_pads.size() - 1);
            }
    }

    bool Hits(const Point& p, std::uint32_t layer) const
    {
        auto hit = [&](std::size_t k) { return (m_pads[k].second & layer) != 0 && Inside(m_pads[k].first, p); };
        const auto it = m_cells.find(Key(Cell(p.x), Cell(p.y)));
        if (it != m_cells.end() && std::any_of(it->second.begin(), it->second.end(), hit))
            return true;
        return std::any_of(m_large.begin(), m_large.end(), hit);
    }

private:
    static std::int64_t Cell(std::int32_t v) { return std::int64_t{v} >> 20; }
    static std::uint64_t Key(std::int64_t x, std::int64_t y)
    {
        return (static_cast<std::uint64_t>(x) << 32) ^ (static_cast<std::uint64_t>(y) & 0xFFFFFFFFu);
    }

    std::vector<std::pair<Rect, std::uint32_t>> m_pads;
    std::vector<std::size_t> m_large;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> m_cells;
};

}  // namespace

bool PolygonCovers(const std::vector<Point>& polygon, const Point& p)
{
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        const __int128 cross = static_cast<__int128>(std::int64_t{b.x} - a.x) * (std::int64_t{p.y} - a.y) -
                               static_cast<__int128>(std::int64_t{b.y} - a.y) * (std::int64_t{p.x} - a.x);
        if (cross == 0 && p.x >= std::min(a.x, b.x) && p.x <= std::max(a.x, b.x) && p.y >= std::min(a.y, b.y) &&
            p.y <= std::max(a.y, b.y))
            return true;
        // p is left of the edge's crossing with its horizontal when the signed area says so.
        if ((a.y > p.y) != (b.y > p.y) && (cross > 0) == (b.y > a.y))
            inside = !inside;
    }
    return inside;
}

std::vector<Track> CopperMarkers(const Board& board, const BoardIndex& index, const std::set<PinIndex>& routed)
{
    const PadGrid others(board, routed);
    std::vector<Track> markers;
    for (const PinIndex& pin : routed) {
        const Part& part = board.parts[pin.part];
        const Pin& p = part.pins[pin.pin];
        const Point c = AbsolutePin(part, p);
        const Rect r = AbsolutePad(part, p);
        const std::int32_t mx = static_cast<std::int32_t>((std::int64_t{r.x1} + r.x2) / 2);
        const std::int32_t my = static_cast<std::int32_t>((std::int64_t{r.y1} + r.y2) / 2);
        const Point candidates[] = {c, {r.x1, r.y1}, {r.x2, r.y2}, {r.x1, r.y2}, {r.x2, r.y1},
                                    {mx, r.y1}, {mx, r.y2}, {r.x1, my}, {r.x2, my}};
        int lowest = 1;
        while (lowest < 16 && (p.layers & CopperLayerBit(lowest)) == 0)
            ++lowest;
        Track marker{"", lowest, 0, c, c};
        bool clear = false;
        for (const Point& at : candidates) {
            for (int layer = lowest; layer <= 16 && !clear; ++layer)
                if ((p.layers & CopperLayerBit(layer)) != 0 && !others.Hits(at, CopperLayerBit(layer))) {
                    marker = Track{"", layer, 0, at, at};
                    clear = true;
                }
            if (clear)
                break;
        }
        marker.net = board.nets[*index.NetOfPin(pin)].name;
        markers.push_back(marker);
    }
    return markers;
}

std::string RoutedPinsNote(const std::string& path, const Board& board, const std::set<PinIndex>& routed)
{
    std::size_t grouped = 0, routedGrouped = 0;
    for (std::size_t i = 0; i < board.parts.size(); ++i)
        for (std::size_t j = 0; j < board.parts[i].pins.size(); ++j) {
            const auto group = FindAttribute(board.parts[i].pins[j].attributes, LQ_PINGROUP);
            if (!group || group->empty())
                continue;
            ++grouped;
            routedGrouped += routed.count(PinIndex{i, j});
        }
    if (routedGrouped == 0)
        return "";
    return fmt::format("{}: {} of the {} {} routed and keep {} nets; with --unrouted the board is read as if nothing "
                       "were routed",
                       path, routedGrouped, Counted(grouped, "swappable pin"), routedGrouped == 1 ? "is" : "are",
                       routedGrouped == 1 ? "its" : "their");
}

}  // namespace lq
