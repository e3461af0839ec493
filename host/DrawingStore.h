// The drawing objects of a sheet, its selection, screen invalidation and undo storage.
#pragma once
#include <memory>
#include <unordered_map>
#include <vector>

#include "host/DrawObject.h"
#include "host/DynArray.h"

class CDrawContext;
class CLayoutPin;
class CConnectionIndex;

class LQ_HOST_API CUndoCommandSet : public CObject {
    DECLARE_DYNAMIC(CUndoCommandSet)
public:
    explicit CUndoCommandSet(DWORD dwID) : m_dwID(dwID) {}
    DWORD GetActionID() const { return m_dwID; }

private:
    DWORD m_dwID;
};

class LQ_HOST_API CUndoStorage : public CObject {
    DECLARE_DYNAMIC(CUndoStorage)
public:
    CUndoStorage();
    ~CUndoStorage() override;

    // The most recent undo command set, or null when nothing was recorded.
    CUndoCommandSet* GetLastAction() const;
    CUndoCommandSet* PushAction(DWORD dwID);

private:
    std::vector<std::unique_ptr<CUndoCommandSet>> m_actions;
};

struct CInvalidation {
    CDrawContext* pDC;
    bool bErase;
    bool bNow;
};

class LQ_HOST_API CDrawingStore : public CUndoStorage {
    DECLARE_DYNAMIC(CDrawingStore)
public:
    CDrawingStore();
    ~CDrawingStore() override;

    // Takes ownership; objects keep their insertion order.
    template <class T>
    T* Add(std::unique_ptr<T> pObject)
    {
        T* p = pObject.get();
        AddObject(std::unique_ptr<CDrawObject>(std::move(pObject)));
        return p;
    }
    void AddObject(std::unique_ptr<CDrawObject> pObject);

    int GetObjectList(std::vector<CDrawObject*>& list, UINT nKindMask, int nReserved1, int nReserved2) const;
    int GetObjectCount() const { return static_cast<int>(m_objects.size()); }
    // Objects whose bounding rectangle meets the rectangle, in list order.
    int HitTest(std::vector<CDrawObject*>& hits, UINT nKindMask, const CLQRect& rect, int nReserved) const;

    void ClearSelection(CDrawContext* pDC, bool bRedraw);
    // The selected objects in the order they were selected.
    const CZNDynArray<CDrawObject*>& GetSelectedObjects() const { return m_selection; }
    void OnSelectionChanged(CDrawObject* pObject, bool bSelected);

    void InvalidateScreenArea(CDrawContext* pDC, bool bErase, bool bNow);
    const std::vector<CInvalidation>& GetInvalidations() const { return m_invalidations; }
    void ClearRecords() { m_invalidations.clear(); }

    bool Contains(const CDrawObject* pObject) const;

    // Copper and other objects touching a pin's pad.
    void CollectConnections(const CLayoutPin* pPin, CZNDynArray<CDrawObject*>& copper, CZNDynArray<CDrawObject*>& others);
    // An object of the store has moved or changed shape (null: any, or objects came or went).
    void OnGeometryChanged(const CDrawObject* pObject = nullptr);

private:
    std::vector<std::unique_ptr<CDrawObject>> m_objects;
    std::unordered_map<const CDrawObject*, std::size_t> m_index;
    CZNDynArray<CDrawObject*> m_selection;
    std::vector<CInvalidation> m_invalidations;
    std::unique_ptr<CConnectionIndex> m_pConnections;
};
