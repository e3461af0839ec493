// Pin swap eligibility and search IDs.
#include "module/swap/SwapItemPin.h"

#include <algorithm>
#include <vector>

#include "host/AttributeNames.h"
#include "host/DynArray.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "host/Net.h"

IMPLEMENT_DYNAMIC(CSwapItemPin, CSwapItem)

CSwapItemPin::CSwapItemPin(CLayoutPin* pin, CGate* gate)
    : m_pGate(gate), m_pNet(pin->GetNetConnection()->GetNet()), m_pPin(pin)
{
}

CSwapItemPin::~CSwapItemPin() = default;

bool CSwapItemPin::IsPowerPin(CLayoutPin* pin)
{
    const CDrawAttribute* pType = pin->GetAttributeWithTag(LQ_PINTYPE, false);
    return pType != nullptr && _mbsicmp(pType->GetValueText(), "PWR") == 0;
}

int CSwapItemPin::GetPinGroup(CLayoutPin* pin)
{
    const CDrawAttribute* pGroup = pin->GetAttributeWithTag(LQ_PINGROUP, false);
    if (pGroup == nullptr || pGroup->GetValueText().IsEmpty())
        return -1;
    return pGroup->GetValue().GetIndex();
}

bool CSwapItemPin::IsConnectedToCopper(CLayoutPin* pin)
{
    CZNDynArray<CDrawObject*> copper(15);
    CZNDynArray<CDrawObject*> others(15);
    // No store: the pin's own document answers, also when no sheet is current.
    pin->GetNetConnection()->GetConnectedObjects(nullptr, copper, others);
    return copper.GetCount() > 0;
}

CString CSwapItemPin::GetSearchID(CLayoutPin* pin, const std::map<CString, CString>& names)
{
    // Read for both pins of every pair an exchange measures: the attribute list is made once
    // with room for a pin's usual attributes, and a single part, the usual case, needs no list
    // to sort.
    std::vector<CDrawObject*> attributes;
    attributes.reserve(16);
    pin->GetAttributes()->GetAttributeList(attributes, 0x1FF, 0, 0);
    CString first;
    std::vector<CString> parts;  // the second part on
    for (CDrawObject* pObject : attributes) {
        const auto* pAttr = DYNAMIC_DOWNCAST(CDrawAttribute, pObject);
        if (pAttr == nullptr || names.count(pAttr->GetName()) == 0)
            continue;
        CString part = pAttr->GetName() + ":";
        part += pAttr->GetValueText();
        if (first.IsEmpty())
            first = std::move(part);
        else
            parts.push_back(std::move(part));
    }
    if (parts.empty())
        return first.IsEmpty() ? first : first + ";";
    // Parts that compare equal are the same bytes, so where the first goes does not matter.
    parts.push_back(std::move(first));
    std::stable_sort(parts.begin(), parts.end(), [](const CString& a, const CString& b) { return _mbscmp(a, b) < 0; });
    CString id;
    for (const CString& part : parts) {
        id += part;
        id += ";";
    }
    return id;
}

CString CSwapItemPin::GetSearchID(CLayoutPin* pin, SWAPACTION action)
{
    static const std::map<CString, CString> kGroup{{LQ_PINGROUP, LQ_PINGROUP}};
    static const std::map<CString, CString> kGroupAndGate{{LQ_PINGROUP, LQ_PINGROUP}, {LQ_GATE, LQ_GATE}};
    return GetSearchID(pin, action == SWAP_PIN ? kGroupAndGate : kGroup);
}

bool CSwapItemPin::CanSwap(CLayoutPin* pin1, CLayoutPin* pin2, SWAPACTION action, bool bAcrossComponents,
                           bool bCheckCopper, bool bUsePinGroups)
{
    if (action == SWAP_PIN) {
        if (!bUsePinGroups)
            return false;
        if (IsConnectedToCopper(pin1) || IsConnectedToCopper(pin2))
            return false;
        CLayoutComponent* pComponent = pin1->GetOwnerComponent();
        // A pin without a package has no one to ask for permission.
        if (pComponent == nullptr || pComponent != pin2->GetOwnerComponent())
            return false;
        if (!pComponent->AllowPinSwapping() || !pin2->GetOwnerComponent()->AllowPinSwapping())
            return false;
        const int nGroup = GetPinGroup(pin1);
        if (nGroup < 1 || nGroup != GetPinGroup(pin2))
            return false;
        return _mbscmp(GetSearchID(pin1, SWAP_PIN), GetSearchID(pin2, SWAP_PIN)) == 0;
    }

    // The four attribute-name sets the flags can ask for, built once.
    static const std::map<CString, CString> kNone;
    static const std::map<CString, CString> kGroup{{LQ_PINGROUP, LQ_PINGROUP}};
    static const std::map<CString, CString> kPowerAcross{
        {LQ_PINGROUP, LQ_PINGROUP}, {LQ_PIN, LQ_PIN}, {LQ_LABEL, LQ_LABEL}};
    static const std::map<CString, CString> kPowerWithin{
        {LQ_PINGROUP, LQ_PINGROUP}, {LQ_PIN, LQ_PIN}, {LQ_LABEL, LQ_LABEL}, {LQ_GATE, LQ_GATE}};
    const std::map<CString, CString>& names =
        !bUsePinGroups ? kNone : !IsPowerPin(pin1) ? kGroup : bAcrossComponents ? kPowerAcross : kPowerWithin;
    if (bCheckCopper && (IsConnectedToCopper(pin1) || IsConnectedToCopper(pin2)))
        return false;
    if (bAcrossComponents)
        return _mbscmp(GetSearchID(pin2, names), GetSearchID(pin1, names)) == 0;
    return pin1->GetOwnerComponent() == pin2->GetOwnerComponent() &&
           _mbscmp(GetSearchID(pin1, names), GetSearchID(pin2, names)) == 0;
}

CString CSwapItemPin::GetSearchID(const std::map<CString, CString>& names) { return GetSearchID(m_pPin, names); }

CString CSwapItemPin::GetSearchID() { return GetSearchID(m_pPin, SWAP_PIN); }

bool CSwapItemPin::CanSwap(CSwapItem* other, SWAPACTION action, bool bAcrossComponents, bool bCheckCopper,
                           bool bUsePinGroups)
{
    auto* pOther = DYNAMIC_DOWNCAST(CSwapItemPin, other);
    if (pOther == nullptr)
        return false;
    return CanSwap(m_pPin, pOther->m_pPin, action, bAcrossComponents, bCheckCopper, bUsePinGroups);
}
