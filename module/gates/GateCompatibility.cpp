// Whether two gates are equivalent, and the gate's own connection operations.
#include <set>

#include "host/AttributeNames.h"
#include "host/HostApp.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "module/gates/Gate.h"
#include "module/swap/SwapItemPin.h"

namespace {
std::vector<const CDrawAttribute*> AttributesOf(CLayoutComponent* pComponent)
{
    std::vector<CDrawObject*> list;
    pComponent->GetAttributes()->GetAttributeList(list, 0x1FF, 0, 0);
    std::vector<const CDrawAttribute*> attributes;
    for (CDrawObject* p : list)
        if (const auto* pAttr = DYNAMIC_DOWNCAST(CDrawAttribute, p))
            attributes.push_back(pAttr);
    return attributes;
}

CString AttributeKey(const CDrawAttribute* pAttr) { return pAttr->GetName() + ":" + pAttr->GetValueText(); }
}  // namespace

bool CGate::CanSwap(CGate* other)
{
    CDrwSubSheet* pSheet = GetDrwSubSheet();
    if (pSheet == nullptr || !pSheet->IsKindOf(RUNTIME_CLASS(CLayoutSubSheet)))
        return false;
    if (_mbscmp(other->m_gateGroupName.GetString(), m_gateGroupName.GetString()) != 0)
        return false;
    if (!CompareComponentAttributes(other))
        return false;
    return ComparePins(other);
}

bool CGate::CompareComponentAttributes(CGate* other)
{
    bool bAcross = false;
    if (m_pComponent->GetGateSwapAttr(true) == 2)
        bAcross = other->m_pComponent->GetGateSwapAttr(true) == 2;
    if (!bAcross && m_pComponent != other->m_pComponent)
        return false;
    if (m_pComponent->GetAttributes()->GetObjectCount() != other->m_pComponent->GetAttributes()->GetObjectCount())
        return false;
    std::set<CString> keys;
    for (const CDrawAttribute* pAttr : AttributesOf(m_pComponent)) {
        if (_mbscmp(pAttr->GetName(), LQ_REFDES) != 0)
            keys.insert(AttributeKey(pAttr));
    }
    for (const CDrawAttribute* pAttr : AttributesOf(other->m_pComponent)) {
        if (_mbscmp(pAttr->GetName(), LQ_REFDES) != 0 && keys.count(AttributeKey(pAttr)) == 0)
            return false;
    }
    return true;
}

bool CGate::ComparePins(CGate* other)
{
    if (m_pins.size() != other->m_pins.size())
        return false;
    if (IsConnectedToCopper() || other->IsConnectedToCopper())
        return false;
    std::vector<CPoolString> mine = GetPinSearchIDs();
    for (const CPoolString& id : other->GetPinSearchIDs()) {
        bool bFound = false;
        for (CPoolString& candidate : mine) {
            if (!candidate.IsEmpty() && candidate == id) {
                candidate = CPoolString();
                bFound = true;
                break;
            }
        }
        if (!bFound)
            return false;
    }
    return true;
}

bool CGate::IsConnectedToCopper()
{
    for (CLayoutPin* pin : m_pins)
        if (CSwapItemPin::IsConnectedToCopper(pin))
            return true;
    return false;
}

bool CGate::IsConnected()
{
    for (CLayoutPin* pin : m_pins) {
        if (pin->GetNetConnection()->GetNet() == nullptr)
            continue;
        const CDrawAttribute* pType = pin->GetAttributeWithTag(LQ_PINTYPE, false);
        if (pType == nullptr || _mbscmp(pType->GetValueText(), "PWR") != 0)
            return true;
    }
    return false;
}

bool LQLeavesOnUnConnect(bool bRealGate, CLayoutPin* pin) { return !(bRealGate && CSwapItemPin::IsPowerPin(pin)); }

void CGate::UnConnect()
{
    const bool bReal = IsRealGate();
    for (CLayoutPin* pin : m_pins)
        if (LQLeavesOnUnConnect(bReal, pin))
            CSwapItemPin::Unconnect(pin);
}
