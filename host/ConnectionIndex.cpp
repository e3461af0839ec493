#include "host/ConnectionIndex.h"

#include <algorithm>

#include "host/Copper.h"
#include "host/LayoutPin.h"

namespace {
constexpr int kCellShift = 20;          // cells of about 1 mm
constexpr std::int64_t kMaxCells = 1024;  // beyond this a query scans instead
// Pads wider than this, in cells, are checked by every query: the others are found near a location.
constexpr std::int64_t kMaxPadSpan = 4;
constexpr std::uint64_t kOversized = 0x8000000000000000ull;  // no cell's key: cells stay far below 2^31
}  // namespace

std::int64_t CConnectionIndex::Cell(std::int32_t v) { return static_cast<std::int64_t>(v) >> kCellShift; }

std::uint64_t CConnectionIndex::Key(std::int64_t cx, std::int64_t cy)
{
    return (static_cast<std::uint64_t>(cx) << 32) ^ (static_cast<std::uint64_t>(cy) & 0xFFFFFFFFull);
}

void CConnectionIndex::CCellLists::Add(std::uint64_t key, int n)
{
    if (m_next.size() <= static_cast<std::size_t>(n))
        m_next.resize(static_cast<std::size_t>(n) + 1, -1);
    auto [it, bNew] = m_head.emplace(key, n);
    m_next[static_cast<std::size_t>(n)] = bNew ? -1 : it->second;
    it->second = n;
}

void CConnectionIndex::CCellLists::Remove(std::uint64_t key, int n)
{
    auto it = m_head.find(key);
    if (it == m_head.end())
        return;
    int* pLink = &it->second;
    while (*pLink >= 0 && *pLink != n)
        pLink = &m_next[static_cast<std::size_t>(*pLink)];
    if (*pLink == n)
        *pLink = m_next[static_cast<std::size_t>(n)];
    if (it->second < 0)
        m_head.erase(it);
}

void CConnectionIndex::FilePad(int n)
{
    const CLQRect& r = m_pins[static_cast<std::size_t>(n)].first->GetPadRect();
    const std::int64_t x0 = Cell(r.MinX()), x1 = Cell(r.MaxX()), y0 = Cell(r.MinY()), y1 = Cell(r.MaxY());
    std::uint64_t key = kOversized;  // always checked
    if (x1 - x0 < kMaxPadSpan && y1 - y0 < kMaxPadSpan) {
        const std::int64_t cx = x0 + (x1 - x0) / 2, cy = y0 + (y1 - y0) / 2;
        m_reachLowX = std::max(m_reachLowX, cx - x0);
        m_reachHighX = std::max(m_reachHighX, x1 - cx);
        m_reachLowY = std::max(m_reachLowY, cy - y0);
        m_reachHighY = std::max(m_reachHighY, y1 - cy);
        key = Key(cx, cy);
    }
    m_padKeys[static_cast<std::size_t>(n)] = key;
    m_padCells.Add(key, n);
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
            m_padKeys.push_back(0);
            FilePad(n);
            const int nIndex = pPin->GetStoreIndex();
            if (nIndex >= 0) {
                if (m_pinOfObject.size() <= static_cast<std::size_t>(nIndex))
                    m_pinOfObject.resize(static_cast<std::size_t>(nIndex) + 1, -1);
                m_pinOfObject[static_cast<std::size_t>(nIndex)] = n;
            }
        }
    }
    for (int i = 0; i < static_cast<int>(m_points.size()); ++i)
        m_pointCells.Add(Key(Cell(m_points[static_cast<std::size_t>(i)].p.x), Cell(m_points[static_cast<std::size_t>(i)].p.y)), i);
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
            for (std::int64_t cy = y0; cy <= y1; ++cy)
                m_pointCells.ForEach(Key(cx, cy), [&](int i) { consider(m_points[static_cast<std::size_t>(i)]); });
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
    // A pad under the location is filed at most its reach away from the location's cell.
    const std::int64_t ax = Cell(at.x), ay = Cell(at.y);
    for (std::int64_t cx = ax - m_reachHighX; cx <= ax + m_reachLowX; ++cx)
        for (std::int64_t cy = ay - m_reachHighY; cy <= ay + m_reachLowY; ++cy)
            m_padCells.ForEach(Key(cx, cy), check);
    m_padCells.ForEach(kOversized, check);
    std::sort(touching.begin(), touching.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    touching.erase(std::unique(touching.begin(), touching.end()), touching.end());
    for (const auto& t : touching)
        others.Add(t.second);
}

bool CConnectionIndex::MovePin(const CLayoutPin* pPin)
{
    const int nIndex = pPin->GetStoreIndex();
    if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= m_pinOfObject.size())
        return false;
    const int n = m_pinOfObject[static_cast<std::size_t>(nIndex)];
    if (n < 0 || m_pins[static_cast<std::size_t>(n)].first != pPin)
        return false;
    m_padCells.Remove(m_padKeys[static_cast<std::size_t>(n)], n);
    FilePad(n);
    return true;
}
