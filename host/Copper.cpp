#include "host/Copper.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CLayoutCopper, CDrawObject)
IMPLEMENT_DYNAMIC(CLayoutTrack, CLayoutCopper)
IMPLEMENT_DYNAMIC(CLayoutVia, CLayoutCopper)
IMPLEMENT_DYNAMIC(CLayoutPolygon, CLayoutCopper)

namespace {
CLQPoint OffsetPoint(const CLQPoint& p, int dx, int dy) { return CLQPoint(LQOffsetCoord(p.x, dx), LQOffsetCoord(p.y, dy)); }
}  // namespace

CLayoutTrack::CLayoutTrack(int nLayer, int nWidth, const CLQPoint& from, const CLQPoint& to)
    : CLayoutCopper(DOK_TRACK), m_nLayer(nLayer), m_nWidth(nWidth), m_from(from), m_to(to)
{
}

void CLayoutTrack::GetBoundingRect(CLQRect& rect, bool) const
{
    rect = CLQRect(std::min(m_from.x, m_to.x), std::min(m_from.y, m_to.y), std::max(m_from.x, m_to.x),
                   std::max(m_from.y, m_to.y));
}

void CLayoutTrack::Offset(int dx, int dy)
{
    m_from = OffsetPoint(m_from, dx, dy);
    m_to = OffsetPoint(m_to, dx, dy);
    GeometryChanged();
}

CLayoutVia::CLayoutVia(const CLQPoint& position, int nDiameter)
    : CLayoutCopper(DOK_VIA), m_position(position), m_nDiameter(nDiameter)
{
}

void CLayoutVia::GetBoundingRect(CLQRect& rect, bool) const
{
    const int r = m_nDiameter / 2;
    rect = CLQRect(LQOffsetCoord(m_position.x, -r), LQOffsetCoord(m_position.y, -r), LQOffsetCoord(m_position.x, r),
                   LQOffsetCoord(m_position.y, r));
}

void CLayoutVia::Offset(int dx, int dy)
{
    m_position = OffsetPoint(m_position, dx, dy);
    GeometryChanged();
}

CLayoutPolygon::CLayoutPolygon(int nLayer, std::vector<CLQPoint> vertices)
    : CLayoutCopper(DOK_POLYGON), m_nLayer(nLayer), m_vertices(std::move(vertices))
{
}

bool CLayoutPolygon::Contains(const CLQPoint& p) const
{
    const std::size_t n = m_vertices.size();
    if (n < 3)
        return false;
    bool inside = false;
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const std::int64_t xi = m_vertices[i].x, yi = m_vertices[i].y;
        const std::int64_t xj = m_vertices[j].x, yj = m_vertices[j].y;
        const std::int64_t px = p.x, py = p.y;
        // On the edge: collinear and within the segment's box.
        const std::int64_t cross = (xj - xi) * (py - yi) - (yj - yi) * (px - xi);
        if (cross == 0 && px >= std::min(xi, xj) && px <= std::max(xi, xj) && py >= std::min(yi, yj) &&
            py <= std::max(yi, yj))
            return true;
        if ((yi > py) != (yj > py)) {
            // Crossing test with exact integers: compare px against the edge's x at py.
            const std::int64_t num = (xj - xi) * (py - yi);
            const std::int64_t den = yj - yi;
            const bool left = den > 0 ? (px - xi) * den < num : (px - xi) * den > num;
            if (left)
                inside = !inside;
        }
    }
    return inside;
}

void CLayoutPolygon::GetBoundingRect(CLQRect& rect, bool) const
{
    if (m_vertices.empty()) {
        rect = CLQRect();
        return;
    }
    rect = CLQRect(m_vertices[0], m_vertices[0]);
    for (const CLQPoint& p : m_vertices)
        rect = CLQRect(std::min(rect.left, p.x), std::min(rect.top, p.y), std::max(rect.right, p.x), std::max(rect.bottom, p.y));
}

void CLayoutPolygon::Offset(int dx, int dy)
{
    for (CLQPoint& p : m_vertices)
        p = OffsetPoint(p, dx, dy);
    GeometryChanged();
}
