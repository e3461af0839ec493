#include "host/LayoutComponent.h"

#include <cstdlib>

#include "host/AttributeNames.h"
#include "host/LayoutPin.h"

IMPLEMENT_DYNAMIC(CLayoutComponent, CDrawRectangle)

bool LayoutPinsOnly(const CDrawObject* pObject) { return pObject != nullptr && pObject->IsKindOf(RUNTIME_CLASS(CLayoutPin)); }

CLayoutComponent::CLayoutComponent(const CLQRect& outline) : CDrawRectangle(DOK_COMPONENT, outline) {}

int CLayoutComponent::GetGateSwapAttr(bool bUseDefault) const
{
    const int nDefault = bUseDefault ? 1 : 0;
    const CDrawAttribute* pAttr = GetAttributeWithTag(LQ_GATESWAP, false);
    if (pAttr == nullptr)
        return nDefault;
    const char* psz = pAttr->GetValue().GetString();
    char* pEnd = nullptr;
    const long n = std::strtol(psz, &pEnd, 10);
    if (pEnd == psz || *pEnd != '\0' || n < 0 || n > 1000)
        return nDefault;
    return static_cast<int>(n);
}

void CLayoutComponent::AddChild(CDrawObject* pChild)
{
    m_children.push_back(pChild);
    if (auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, pChild))
        pPin->SetOwnerComponent(this);
}

int CLayoutComponent::GetChildObjects(CZNDynArray<CDrawObject*>& children, UINT nKindMask, LQCHILDFILTER pfnFilter, int,
                                      int) const
{
    children.RemoveAll();
    for (CDrawObject* p : m_children) {
        if ((p->GetKind() & nKindMask) != 0 && (pfnFilter == nullptr || pfnFilter(p)))
            children.Add(p);
    }
    return children.GetCount();
}

void CLayoutComponent::Offset(int dx, int dy)
{
    CDrawRectangle::Offset(dx, dy);
    for (CDrawObject* p : m_children)
        p->Offset(dx, dy);
}
