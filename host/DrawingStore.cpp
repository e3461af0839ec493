#include "host/DrawingStore.h"

#include <algorithm>

#include "host/ConnectionIndex.h"
#include "host/Copper.h"
#include "host/LayoutPin.h"
#include "host/LayoutComponent.h"

IMPLEMENT_DYNAMIC(CUndoCommandSet, CObject)
IMPLEMENT_DYNAMIC(CUndoStorage, CObject)
IMPLEMENT_DYNAMIC(CDrawingStore, CUndoStorage)

CUndoStorage::CUndoStorage() = default;
CUndoStorage::~CUndoStorage() = default;

CUndoCommandSet* CUndoStorage::GetLastAction() const { return m_actions.empty() ? nullptr : m_actions.back().get(); }

CUndoCommandSet* CUndoStorage::PushAction(DWORD dwID)
{
    m_actions.push_back(std::make_unique<CUndoCommandSet>(dwID));
    return m_actions.back().get();
}

CDrawingStore::CDrawingStore() = default;

CDrawingStore::~CDrawingStore()
{
    // Pins go before their components and copper; each pin takes its net pin with it.
    m_selection.RemoveAll();
    for (auto& p : m_objects)
        p->SetDrawingStore(nullptr);
    m_objects.clear();
}

void CDrawingStore::AddObject(std::unique_ptr<CDrawObject> pObject)
{
    pObject->SetDrawingStore(this);
    pObject->SetStoreIndex(static_cast<int>(m_objects.size()));
    m_index.emplace(pObject.get(), m_objects.size());
    m_objects.push_back(std::move(pObject));
    OnGeometryChanged();
}

int CDrawingStore::GetObjectList(std::vector<CDrawObject*>& list, UINT nKindMask, int, int) const
{
    list.clear();
    for (const auto& p : m_objects) {
        if ((p->GetKind() & nKindMask) != 0)
            list.push_back(p.get());
    }
    return static_cast<int>(list.size());
}

int CDrawingStore::HitTest(std::vector<CDrawObject*>& hits, UINT nKindMask, const CLQRect& rect, int) const
{
    hits.clear();
    for (const auto& p : m_objects) {
        if ((p->GetKind() & nKindMask) == 0)
            continue;
        CLQRect r;
        p->GetBoundingRect(r, false);
        if (r.Intersects(rect))
            hits.push_back(p.get());
    }
    return static_cast<int>(hits.size());
}

void CDrawingStore::ClearSelection(CDrawContext*, bool)
{
    const CZNDynArray<CDrawObject*> selected = m_selection;
    for (CDrawObject* p : selected)
        p->SetSelected(false, false);
    m_selection.RemoveAll();
}

void CDrawingStore::OnSelectionChanged(CDrawObject* pObject, bool bSelected)
{
    if (bSelected) {
        m_selection.Add(pObject);
        return;
    }
    CZNDynArray<CDrawObject*> rest;
    for (CDrawObject* p : m_selection)
        if (p != pObject)
            rest.Add(p);
    m_selection = rest;
}

void CDrawingStore::InvalidateScreenArea(CDrawContext* pDC, bool bErase, bool bNow)
{
    m_invalidations.push_back(CInvalidation{pDC, bErase, bNow});
}

bool CDrawingStore::Contains(const CDrawObject* pObject) const { return m_index.count(pObject) != 0; }

void CDrawingStore::CollectConnections(const CLayoutPin* pPin, CZNDynArray<CDrawObject*>& copper,
                                       CZNDynArray<CDrawObject*>& others)
{
    if (!m_pConnections) {
        std::vector<CDrawObject*> all;
        GetObjectList(all, DOK_ALL, 0, 0);
        m_pConnections = std::make_unique<CConnectionIndex>(all);
    }
    m_pConnections->Collect(pPin, copper, others);
}

void CDrawingStore::OnGeometryChanged(const CDrawObject* pObject)
{
    if (!m_pConnections)
        return;
    // A moved part moves only its pads: those are filed again; changed copper rebuilds the index.
    const auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, const_cast<CDrawObject*>(pObject));
    const bool bRebuild = pPin != nullptr ? !m_pConnections->MovePin(pPin)
                                          : pObject == nullptr || pObject->IsKindOf(RUNTIME_CLASS(CLayoutCopper));
    if (bRebuild)
        m_pConnections.reset();
}
