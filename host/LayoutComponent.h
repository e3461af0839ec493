// A placed package on a layout sheet.
#pragma once
#include <vector>

#include "host/DrawObject.h"
#include "host/DynArray.h"

class CLayoutPin;

// Filter for GetChildObjects: true for the objects to keep.
using LQCHILDFILTER = bool (*)(const CDrawObject*);
LQ_HOST_API bool LayoutPinsOnly(const CDrawObject* pObject);

class LQ_HOST_API CLayoutComponent : public CDrawRectangle {
    DECLARE_DYNAMIC(CLayoutComponent)
public:
    explicit CLayoutComponent(const CLQRect& outline = CLQRect());

    // The LQ_GATESWAP attribute as a number; without a readable value, 1 when defaults
    // are asked for (gate swaps inside the package), else 0.
    int GetGateSwapAttr(bool bUseDefault) const;
    BOOL AllowPinSwapping() const { return m_bAllowPinSwapping ? TRUE : FALSE; }
    void SetAllowPinSwapping(bool b) { m_bAllowPinSwapping = b; }

    void AddChild(CDrawObject* pChild);
    const std::vector<CDrawObject*>& GetChildren() const { return m_children; }
    int GetChildObjects(CZNDynArray<CDrawObject*>& children, UINT nKindMask, LQCHILDFILTER pfnFilter, int, int) const;

    // Moves the package with its pins.
    void Offset(int dx, int dy) override;

private:
    bool m_bAllowPinSwapping = false;
    std::vector<CDrawObject*> m_children;
};
