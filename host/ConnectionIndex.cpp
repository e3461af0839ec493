#include "host/ConnectionIndex.h"

#include <algorithm>

#include "host/Copper.h"
#include "host/LayoutPin.h"

namespace {
constexpr int kCellShift = 20;          // cells of about 1 mm
constexpr std::int64_t kMaxCells = 1024;  // beyond this a query scans instead
}  // namespace

std::int64_t CConnectionIndex::Cell(std::int32_t v) { return static_cast<std::int64_t>(v) >> kCellShift; }

std::uint64_t CConnectionIndex::Key(std::int64_t cx, std::int64_t cy)
{
    return (static_cast<std::uint64_t>(cx) << 32) ^ (static_cast<std::uint64_t>(cy) & 0xFFFFFFFFull);
}

template <typename F>
void CConnectionIndex::ForEachPadKey(const CLQRect& r, F f)
{
    const std::int64_t x0 = Cell(r.MinX()), x1 = Cell(r.MaxX()), y0 = Cell(r.MinY()), y1 = Cell(r.MaxY());
    if ((x1 - x0 + 1) * (y1 - y0 + 1) > kMaxCells) {
        f(Key(INT64_MIN >> 1, 0));  // oversized pads, always checked
        return;
    }
    for (std::int64_t cx = x0; cx <= x1; ++cx)
        for (std::int64_t cy = y0; cy <= y1; ++cy)
            f(Key(cx, cy));
}

CConnectionIndex::CConnectionIndex(const std::vector<CDrawObject*>& objects)
{
    int nOrder = 0;
    for (CDrawObject* pObject : objects) {
        ++nOrder;
        if (auto* pTrack = DYNAMIC_DOWNCAST(CLayoutTrack, pObject)) {
            const UINT nLayers = LQLayerBit(pTrack->GetLayer());
            m_points.push_back(Point{pTrack->GetFrom(), nLayers, pObject, nOrder});
            m_points.push_back(Point{pTrack->GetTo(), nLayers, pObject, nOrder});
        } else if (auto* pVia = DYNAMIC_DOWNCAST(CLayoutVia, pObject)) {
            m_points.push_back(Point{pVia->GetPosition(), LQ_ALL_COPPER_LAYERS, pObject, nOrder});
        } else if (auto* pPolygon = DYNAMIC_DOWNCAST(CLayoutPolygon, pObject)) {
            m_polygons.emplace_back(pPolygon, nOrder);
        } else if (auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, pObject)) {
            const int n = static_cast<int>(m_pins.size());
            m_pins.emplace_back(pPin, nOrder);
            m_filedPads.push_back(pPin->GetPadRect());
            m_pinOf.emplace(pPin, n);
            ForEachPadKey(pPin->GetPadRect(), [&](std::uint64_t key) { m_padCells[key].push_back(n); });
        }
    }
    for (int i = 0; i < static_cast<int>(m_points.size()); ++i)
        m_pointCells[Key(Cell(m_points[static_cast<std::size_t>(i)].p.x), Cell(m_points[static_cast<std::size_t>(i)].p.y))].push_back(i);
}

void CConnectionIndex::Collect(const CLayoutPin* pPin, CZNDynArray<CDrawObject*>& copper,
                               CZNDynArray<CDrawObject*>& others) const
{
    const CLQRect& pad = pPin->GetPadRect();
    const UINT nLayers = pPin->GetLayers();
    std::vector<std::pair<int, CDrawObject*>> found;
    auto consider = [&](const Point& pt) {
        if ((pt.nLayers & nLayers) != 0 && pad.ContainsInclusive(pt.p))
            found.emplace_back(pt.nOrder, pt.pObject);
    };
    const std::int64_t x0 = Cell(pad.MinX()), x1 = Cell(pad.MaxX()), y0 = Cell(pad.MinY()), y1 = Cell(pad.MaxY());
    if ((x1 - x0 + 1) * (y1 - y0 + 1) > kMaxCells) {
        for (const Point& pt : m_points)
            consider(pt);
    } else {
        for (std::int64_t cx = x0; cx <= x1; ++cx)
            for (std::int64_t cy = y0; cy <= y1; ++cy) {
                auto it = m_pointCells.find(Key(cx, cy));
                if (it == m_pointCells.end())
                    continue;
                for (int i : it->second)
                    consider(m_points[static_cast<std::size_t>(i)]);
            }
    }
    const CLQPoint at = pPin->GetLocation();
    for (const auto& [pPolygon, nOrder] : m_polygons) {
        if ((LQLayerBit(pPolygon->GetLayer()) & nLayers) != 0 && pPolygon->Contains(at))
            found.emplace_back(nOrder, const_cast<CLayoutPolygon*>(pPolygon));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    found.erase(std::unique(found.begin(), found.end()), found.end());
    for (const auto& f : found)
        copper.Add(f.second);

    // Other pads under this pin's location.
    std::vector<std::pair<int, CDrawObject*>> touching;
    auto check = [&](int n) {
        const auto& [pOther, nOrder] = m_pins[static_cast<std::size_t>(n)];
        if (pOther != pPin && pOther->GetPadRect().ContainsInclusive(at) && (pOther->GetLayers() & nLayers) != 0)
            touching.emplace_back(nOrder, const_cast<CLayoutPin*>(pOther));
    };
    for (const std::uint64_t key : {Key(Cell(at.x), Cell(at.y)), Key(INT64_MIN >> 1, 0)}) {
        auto it = m_padCells.find(key);
        if (it != m_padCells.end())
            for (int n : it->second)
                check(n);
    }
    std::sort(touching.begin(), touching.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    touching.erase(std::unique(touching.begin(), touching.end()), touching.end());
    for (const auto& t : touching)
        others.Add(t.second);
}

bool CConnectionIndex::MovePin(const CLayoutPin* pPin)
{
    auto it = m_pinOf.find(pPin);
    if (it == m_pinOf.end())
        return false;
    const int n = it->second;
    CLQRect& filed = m_filedPads[static_cast<std::size_t>(n)];
    ForEachPadKey(filed, [&](std::uint64_t key) {
        std::vector<int>& cell = m_padCells[key];
        cell.erase(std::remove(cell.begin(), cell.end(), n), cell.end());
        if (cell.empty())
            m_padCells.erase(key);
    });
    filed = pPin->GetPadRect();
    ForEachPadKey(filed, [&](std::uint64_t key) { m_padCells[key].push_back(n); });
    return true;
}
