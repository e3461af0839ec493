#include "module/gates/GateStore.h"

#include <algorithm>
#include <string>
#include <unordered_map>
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

namespace {
// The pin's gate and gate group attributes; none when either is missing or doubled.
void FindGateAttributes(CLayoutPin* pin, std::vector<CDrawObject*>& scratch, const CDrawAttribute*& pGate,
                        const CDrawAttribute*& pGroup)
{
    pin->GetAttributes()->GetAttributeList(scratch, 0x1FF, 0, 0);
    int nGates = 0, nGroups = 0;
    for (CDrawObject* p : scratch) {
        const auto* pAttr = DYNAMIC_DOWNCAST(CDrawAttribute, p);
        if (pAttr == nullptr)
            continue;
        const CString name = pAttr->GetName();
        if (_mbscmp(name, LQ_GATE) == 0) {
            pGate = pAttr;
            ++nGates;
        } else if (_mbscmp(name, LQ_GATEGROUP) == 0) {
            pGroup = pAttr;
            ++nGroups;
        }
    }
    if (nGates != 1 || nGroups != 1)
        pGate = pGroup = nullptr;
}
}  // namespace

// Every pin of a component that allows gate swapping belongs to its real gate (named by its gate
// and gate group attributes) and to the component's pseudo-gate; a gate is known by its search
// ID, which compares as a C string. The gates come in the order of their IDs.
void CGateStore::BuildGates()
{
    std::vector<CDrawObject*> objects;
    if (m_pKey != nullptr)
        m_pKey->GetDrawingStore()->GetObjectList(objects, 0x1FF, 0, 0);
    std::unordered_map<std::string, CGate*> byID;
    std::vector<CDrawObject*> attributes;
    CLayoutComponent* pLast = nullptr;
    bool bSwaps = false;
    CString refDes;
    CGate* pPseudo = nullptr;  // the component's, once found
    auto addTo = [&](CLayoutComponent* pComponent, const CString& gateName, const CString& groupName, CLayoutPin* pPin) {
        auto [it, bNew] = byID.try_emplace(CGate::SearchIDOf(refDes, groupName.GetString(), gateName.GetString()).GetString(), nullptr);
        if (bNew) {
            it->second = new CGate(pComponent, gateName, groupName);
        } else if (std::count(it->first.begin(), it->first.end(), ',') > 2 &&
                   (_mbscmp(it->second->GetGateName(), gateName) != 0 || _mbscmp(it->second->GetGateGroupName(), groupName) != 0)) {
            // The same ID from other names (commas in them): their texts are pooled all the same.
            CPoolString name(gateName), group(groupName);
        }
        it->second->AddPin(pPin);
        return it->second;
    };
    for (CDrawObject* pObject : objects) {
        auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, pObject);
        CLayoutComponent* pComponent = pPin != nullptr ? pPin->GetOwnerComponent() : nullptr;
        if (pComponent == nullptr)
            continue;
        // A component's pins mostly come together.
        if (pComponent != pLast) {
            pLast = pComponent;
            bSwaps = pComponent->GetGateSwapAttr(true) != 0;
            const CDrawAttribute* pRef = pComponent->GetAttributeWithTag(LQ_REFDES, false);
            refDes = pRef != nullptr ? pRef->GetValueText() : CString();
            pPseudo = nullptr;
        }
        if (!bSwaps)
            continue;
        const CDrawAttribute* pGate = nullptr;
        const CDrawAttribute* pGroup = nullptr;
        FindGateAttributes(pPin, attributes, pGate, pGroup);
        if (pGate != nullptr)
            addTo(pComponent, pGate->GetValueText(), pGroup->GetValueText(), pPin);
        if (pPseudo == nullptr)
            pPseudo = addTo(pComponent, CString(), CString(), pPin);
        else
            pPseudo->AddPin(pPin);
    }
    // In the order of _mbscmp: byte by byte, unsigned, a shorter text first. The first eight
    // bytes, as one number, mostly decide.
    struct Entry {
        std::uint64_t head;
        const std::string* pID;
        CGate* pGate;
    };
    std::vector<Entry> ordered;
    ordered.reserve(byID.size());
    for (const auto& [id, pGate] : byID) {
        std::uint64_t head = 0;
        for (std::size_t k = 0; k < 8; ++k)
            head = head << 8 | (k < id.size() ? static_cast<unsigned char>(id[k]) : 0U);
        ordered.push_back(Entry{head, &id, pGate});
    }
    std::sort(ordered.begin(), ordered.end(), [](const Entry& a, const Entry& b) {
        return a.head != b.head ? a.head < b.head : _mbscmp(a.pID->c_str(), b.pID->c_str()) < 0;
    });
    m_gates.clear();
    for (const Entry& entry : ordered)
        m_gates.push_back(entry.pGate);
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
