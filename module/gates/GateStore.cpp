#include "module/gates/GateStore.h"

#include <map>
#include <unordered_set>

#include "host/AttributeNames.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "host/SubSheet.h"
#include "module/gates/Gate.h"
#include "module/swap/SwapItemGate.h"

IMPLEMENT_DYNAMIC(CGateStore, CObject)

namespace {
std::uint64_t g_nNextSerial = 1;

std::unordered_set<std::uint64_t>& LiveSerials()
{
    static std::unordered_set<std::uint64_t> serials;
    return serials;
}
}  // namespace

CGateStore::CGateStore(CDrwSubSheet* key) : m_pKey(key), m_nSerial(g_nNextSerial++) { LiveSerials().insert(m_nSerial); }

CGateStore::~CGateStore()
{
    LiveSerials().erase(m_nSerial);
    for (CSwapItemGate* p : m_gateSwapItems)
        delete p;
    for (CGate* p : m_gates)
        delete p;
    m_gateSwapGroups.clear();
}

bool CGateStore::IsAlive(std::uint64_t nSerial) { return LiveSerials().count(nSerial) != 0; }

std::vector<CGate*> CGateStore::MakeCandidateGates(CLayoutPin* pin)
{
    std::vector<CGate*> candidates;
    CLayoutComponent* pComponent = pin->GetOwnerComponent();
    if (pComponent == nullptr || pComponent->GetGateSwapAttr(true) == 0)
        return candidates;
    std::vector<CDrawObject*> list;
    pin->GetAttributes()->GetAttributeList(list, 0x1FF, 0, 0);
    std::vector<const CDrawAttribute*> gateAttrs;
    std::vector<const CDrawAttribute*> groupAttrs;
    for (CDrawObject* p : list) {
        const auto* pAttr = DYNAMIC_DOWNCAST(CDrawAttribute, p);
        if (pAttr == nullptr)
            continue;
        if (_mbscmp(pAttr->GetName(), LQ_GATE) == 0)
            gateAttrs.push_back(pAttr);
        else if (_mbscmp(pAttr->GetName(), LQ_GATEGROUP) == 0)
            groupAttrs.push_back(pAttr);
    }
    // A doubled gate or group attribute counts as neither.
    if (gateAttrs.size() > 1 || groupAttrs.size() > 1) {
        gateAttrs.clear();
        groupAttrs.clear();
    }
    for (std::size_t i = 0; i < gateAttrs.size() && i < groupAttrs.size(); ++i)
        candidates.push_back(new CGate(pComponent, gateAttrs[i]->GetValueText(), groupAttrs[i]->GetValueText()));
    candidates.push_back(new CGate(pComponent, CString(), CString()));
    return candidates;
}

void CGateStore::BuildGates()
{
    std::vector<CDrawObject*> objects;
    if (m_pKey != nullptr)
        m_pKey->GetDrawingStore()->GetObjectList(objects, 0x1FF, 0, 0);
    std::map<CString, CGate*> byID;
    for (CDrawObject* pObject : objects) {
        auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, pObject);
        if (pPin == nullptr)
            continue;
        for (CGate* pCandidate : MakeCandidateGates(pPin)) {
            const CString id = pCandidate->GetSearchID();
            auto it = byID.find(id);
            CGate* pGate = pCandidate;
            if (it != byID.end()) {
                delete pCandidate;
                pGate = it->second;
            } else {
                byID.emplace(id, pCandidate);
            }
            pGate->AddPin(pPin);
        }
    }
    m_gates.clear();
    for (const auto& [id, pGate] : byID)
        m_gates.push_back(pGate);
    m_bGatesBuilt = true;
}

std::vector<CGate*> CGateStore::GetGates(bool bRealOnly, bool bPseudoOnly)
{
    if (!m_bGatesBuilt)
        BuildGates();
    std::vector<CGate*> result;
    if (bRealOnly && bPseudoOnly)
        return result;
    for (CGate* pGate : m_gates) {
        const bool bReal = pGate->IsRealGate();
        if (bRealOnly ? bReal
                      : bPseudoOnly ? !bReal : (bReal || pGate->GetComponent()->GetGateSwapAttr(true) == 2))
            result.push_back(pGate);
    }
    return result;
}

CGate* CGateStore::GetGateAt(std::int32_t x, std::int32_t y, bool bRealOnly, bool bPseudoOnly)
{
    for (CGate* pGate : GetGates(bRealOnly, bPseudoOnly)) {
        const CLQPoint c = pGate->GetCenterPoint();
        const std::int64_t size = pGate->GetGateSize();
        const std::int64_t dx = static_cast<std::int64_t>(c.x) - x;
        const std::int64_t dy = static_cast<std::int64_t>(c.y) - y;
        // dx and dy stay below 2^33 in magnitude; their squares and sum fit unsigned 128-bit.
        const unsigned __int128 d2 = static_cast<unsigned __int128>(dx < 0 ? -dx : dx) * static_cast<unsigned __int128>(dx < 0 ? -dx : dx) +
                                     static_cast<unsigned __int128>(dy < 0 ? -dy : dy) * static_cast<unsigned __int128>(dy < 0 ? -dy : dy);
        if (d2 <= static_cast<unsigned __int128>(size * size))
            return pGate;
    }
    return nullptr;
}

void CGateStore::BuildGateSwapItems()
{
    for (CGate* pGate : GetGates(true, false))
        m_gateSwapItems.push_back(new CSwapItemGate(pGate, true));
    m_bItemsBuilt = true;
}

std::vector<CSwapItemGate*>& CGateStore::GetGateSwapItems()
{
    if (!m_bItemsBuilt)
        BuildGateSwapItems();
    return m_gateSwapItems;
}

std::list<std::vector<CSwapItem*>>& CGateStore::GetGateSwapGroups()
{
    const std::vector<CSwapItem*> items(GetGateSwapItems().begin(), GetGateSwapItems().end());
    std::list<std::vector<CSwapItem*>> groups = CSwapItem::Classify(items, SWAP_GATE);
    // The same list object, its entries overwritten in order.
    auto out = m_gateSwapGroups.begin();
    for (auto& group : groups) {
        if (out != m_gateSwapGroups.end()) {
            *out = std::move(group);
            ++out;
        } else {
            m_gateSwapGroups.push_back(std::move(group));
        }
    }
    m_gateSwapGroups.erase(out, m_gateSwapGroups.end());
    return m_gateSwapGroups;
}

std::vector<CSwapItem*> CGateStore::GetGateSwapItemsOfComponent(CLayoutComponent* component)
{
    std::vector<CSwapItem*> result;
    for (CSwapItemGate* pItem : GetGateSwapItems())
        if (pItem->GetGate()->GetComponent() == component)
            result.push_back(pItem);
    return result;
}
