#include "host/LayoutPin.h"

#include "host/DrawingStore.h"
#include "host/Net.h"

IMPLEMENT_DYNAMIC(CLayoutPin, CDrawObject)

CNet* CNetConnection::GetNet() const { return m_pNetPin != nullptr ? m_pNetPin->GetNet() : nullptr; }

void CNetConnection::GetConnectedObjects(CDrawingStore* pStore, CZNDynArray<CDrawObject*>& copper,
                                         CZNDynArray<CDrawObject*>& others) const
{
    copper.RemoveAll();
    others.RemoveAll();
    CDrawingStore* pFrom = pStore != nullptr ? pStore : m_pPin->GetDrawingStore();
    if (pFrom != nullptr)
        pFrom->CollectConnections(m_pPin, copper, others);
}

CLayoutPin::CLayoutPin(const CLQPoint& location, const CLQRect& pad, UINT nLayers)
    : CDrawObject(DOK_PIN), m_location(location), m_pad(pad), m_nLayers(nLayers), m_connection(this)
{
}

CLayoutPin::~CLayoutPin()
{
    // The net pin clears our pointer and leaves its net as it goes.
    delete m_connection.GetNetPin();
}

void CLayoutPin::GetBoundingRect(CLQRect& rect, bool) const { rect = m_pad; }

void CLayoutPin::Offset(int dx, int dy)
{
    m_location = CLQPoint(LQOffsetCoord(m_location.x, dx), LQOffsetCoord(m_location.y, dy));
    m_pad = CLQRect(LQOffsetCoord(m_pad.left, dx), LQOffsetCoord(m_pad.top, dy), LQOffsetCoord(m_pad.right, dx),
                    LQOffsetCoord(m_pad.bottom, dy));
    GeometryChanged();
}
