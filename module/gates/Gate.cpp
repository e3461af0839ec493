// The gate record: identity, pins, centre and pin groups.
#include "module/gates/Gate.h"

#include <map>

#include "host/AttributeNames.h"
#include "host/HostApp.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "host/Net.h"
#include "module/autoswap/AutoSwapF.h"
#include "module/swap/SwapItemPin.h"

IMPLEMENT_DYNAMIC(CGate, CObject)

namespace {
constexpr long kMaxMarkerRadius = 1000000;

bool IsPowerPinExact(const CLayoutPin* pin)
{
    const CDrawAttribute* pType = pin->GetAttributeWithTag(LQ_PINTYPE, false);
    return pType != nullptr && _mbscmp(pType->GetValueText(), "PWR") == 0;
}
}  // namespace

long GateMarkerRadius(const CDrawContext* dc)
{
    if (dc == nullptr)
        return kMaxMarkerRadius;
    int w = 9, h = 9;
    dc->DeviceToLogicalSize(&w, &h);
    return w >= kMaxMarkerRadius ? kMaxMarkerRadius : w;
}

CGate::CGate(CLayoutComponent* component, CString gateName, CString gateGroupName)
    : m_pComponent(component), m_gateName(gateName), m_gateGroupName(gateGroupName)
{
}

CGate::~CGate()
{
    for (CSwapItem* p : m_swapPinItems)
        delete p;
    for (CAutoSwapF* p : m_autoSwapObjects)
        delete p;
}

bool CGate::AddPin(CLayoutPin* pin)
{
    if (pin->GetOwnerComponent() != m_pComponent)
        return false;
    m_pins.push_back(pin);
    return true;
}

CString CGate::GetSearchID()
{
    const CDrawAttribute* pRef = m_pComponent != nullptr ? m_pComponent->GetAttributeWithTag(LQ_REFDES, false) : nullptr;
    return SearchIDOf(pRef != nullptr ? pRef->GetValueText() : CString(), m_gateGroupName.GetString(), m_gateName.GetString());
}

CString CGate::SearchIDOf(const CString& refDes, const char* pszGateGroupName, const char* pszGateName)
{
    CString id = refDes;
    id += ",";
    id += pszGateGroupName;
    id += ",";
    id += pszGateName;
    return id;
}

std::vector<CPoolString> CGate::GetPinSearchIDs()
{
    static const std::map<CString, CString> kIdentity{
        {LQ_PINGROUP, LQ_PINGROUP}, {LQ_PIN, LQ_PIN}, {LQ_LABEL, LQ_LABEL}, {LQ_GATE, LQ_GATE}};
    const bool bReal = IsRealGate();
    std::vector<CPoolString> ids;
    ids.reserve(m_pins.size());
    for (CLayoutPin* pin : m_pins) {
        const bool bPower = CSwapItemPin::IsPowerPin(pin);
        if (bReal && !bPower) {
            ids.emplace_back(CSwapItemPin::GetSearchID(pin, SWAP_GATE));
            continue;
        }
        CString id = CSwapItemPin::GetSearchID(pin, kIdentity);
        if (bReal) {
            // The net's serial number, so that power pins match only on the same nets.
            const CNet* pNet = pin->GetNetConnection()->GetNet();
            CString extended;
            extended.Format("%s%d", id.GetString(), pNet != nullptr ? static_cast<int>(pNet->GetSerial()) : 0);
            id = extended;
        }
        ids.emplace_back(id);
    }
    return ids;
}

void CGate::InitCenterPoint()
{
    const CLQPoint c = m_pComponent->CenterPoint();
    bool bAny = false;
    std::int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (CLayoutPin* pin : m_pins) {
        if (IsPowerPinExact(pin))
            continue;
        CLQPoint p;
        pin->GetLocation(p);
        if (!bAny) {
            minX = maxX = p.x;
            minY = maxY = p.y;
            bAny = true;
            continue;
        }
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    if (static_cast<std::int64_t>(maxX) - minX > static_cast<std::int64_t>(maxY) - minY) {
        m_center.x = LQHalfSum(minX, maxX);
        m_center.y = LQHalfSum(LQHalfSum(minY, maxY), c.y);
    } else {
        m_center.x = LQHalfSum(LQHalfSum(minX, maxX), c.x);
        m_center.y = LQHalfSum(minY, maxY);
    }
}

CLQPoint CGate::GetCenterPoint()
{
    InitCenterPoint();
    return m_center;
}

long CGate::GetGateSize() { return GateMarkerRadius(GetDrawContext()); }

bool CGate::IsRealGate() { return !m_gateName.IsEmpty() || !m_gateGroupName.IsEmpty(); }

void CGate::InitSwapPinItems()
{
    for (CSwapItem* p : m_swapPinItems)
        delete p;
    m_swapPinItems.clear();
    m_swapPinItems.reserve(m_pins.size());
    for (CLayoutPin* pin : m_pins)
        m_swapPinItems.push_back(new CSwapItemPin(pin, this));
    m_bSwapPinItemsBuilt = true;
}

std::vector<CSwapItem*>& CGate::GetSwapPinItems()
{
    if (!m_bSwapPinItemsBuilt)
        InitSwapPinItems();
    return m_swapPinItems;
}

void CGate::InitSwapPinItemGroups()
{
    const std::vector<CSwapItem*> items = GetSwapPinItems();
    m_swapPinItemGroups.clear();
    if (IsRealGate()) {
        m_swapPinItemGroups = CSwapItem::Classify(items, SWAP_PIN);
    } else {
        for (CSwapItem* item : items)
            m_swapPinItemGroups.push_back(std::vector<CSwapItem*>{item});
    }
    m_bGroupsBuilt = true;
}

std::list<std::vector<CSwapItem*>>& CGate::GetSwapPinItemGroups()
{
    if (!m_bGroupsBuilt)
        InitSwapPinItemGroups();
    return m_swapPinItemGroups;
}

void CGate::ResetPinGroups() { m_bGroupsBuilt = false; }
