#include "module/swap/SwapItemGate.h"

#include <unordered_map>

#include "host/AttributeNames.h"
#include "host/LayoutComponent.h"
#include "module/autoswap/AutoSwapD.h"
#include "module/autoswap/AutoSwapNoOpt.h"
#include "module/gates/Gate.h"
#include "module/swap/BackAnnotate.h"
#include "module/swap/ConnectionData.h"
#include "module/swap/DistanceCounter.h"
#include "module/swap/ExchangeCheck.h"
#include "module/swap/SwapItemPin.h"

IMPLEMENT_DYNAMIC(CSwapItemGate, CSwapItem)

CSwapItemGate::CSwapItemGate(CGate* gate, bool bOptimize) : m_pGate(gate), m_bOptimize(bOptimize) {}
CSwapItemGate::~CSwapItemGate() = default;

CString CSwapItemGate::GetSearchID(CGate* gate) { return gate->GetSearchID(); }
CString CSwapItemGate::GetSearchID() { return GetSearchID(m_pGate); }

bool CSwapItemGate::CanSwap(CSwapItem* other, SWAPACTION, bool, bool, bool)
{
    auto* pOther = dynamic_cast<CSwapItemGate*>(other);
    if (pOther == nullptr)
        return false;
    if (m_bOptimize != pOther->m_bOptimize)
        return false;
    return m_pGate->CanSwap(pOther->m_pGate);
}

std::int64_t CSwapItemGate::GetDistance(CSwapItem* other, CObject**& data, std::int64_t fallback)
{
    LQCountDistanceCall();
    auto* pOther = DYNAMIC_DOWNCAST(CSwapItemGate, other);
    if (pOther == nullptr)
        return -1;
    // Read in place: nothing below changes either gate's groups.
    const std::list<std::vector<CSwapItem*>>& mine = m_pGate->GetSwapPinItemGroups();
    const std::list<std::vector<CSwapItem*>>& theirs = pOther->m_pGate->GetSwapPinItemGroups();
    if (mine.size() != theirs.size())
        return fallback;

    const bool bReal = m_pGate->IsRealGate();
    // A pseudo-gate's groups carry no pin group to match by; its pins pair by their identity,
    // the same pin search IDs that made the two gates equivalent.
    std::unordered_map<CLayoutPin*, CPoolString> identity;
    if (!bReal) {
        for (CGate* pGate : {m_pGate, pOther->m_pGate}) {
            const std::vector<CPoolString> ids = pGate->GetPinSearchIDs();
            for (std::size_t i = 0; i < ids.size(); ++i)
                identity.emplace(pGate->GetPins()[i], ids[i]);
        }
    }
    auto sameIdentity = [&](CSwapItem* a, CSwapItem* b) {
        if (bReal)
            return true;
        auto* pa = DYNAMIC_DOWNCAST(CSwapItemPin, a);
        auto* pb = DYNAMIC_DOWNCAST(CSwapItemPin, b);
        return pa != nullptr && pb != nullptr && identity[pa->GetPin()] == identity[pb->GetPin()];
    };

    std::vector<char> used(mine.size(), 0);
    std::vector<CObject*> pairings;
    std::int64_t total = 0;
    for (const auto& b : theirs) {
        const std::vector<CSwapItem*>* pMatch = nullptr;
        std::size_t index = 0;
        for (const auto& a : mine) {
            if (!used[index] && a.front()->CanSwap(b.front(), SWAP_GATE, true, false, bReal) &&
                sameIdentity(a.front(), b.front())) {
                pMatch = &a;
                used[index] = 1;
                break;
            }
            ++index;
        }
        if (pMatch == nullptr)
            continue;
        CAutoSwap* pPairing = m_bOptimize ? static_cast<CAutoSwap*>(new CAutoSwapD(*pMatch, b))
                                          : static_cast<CAutoSwap*>(new CAutoSwapNoOpt(*pMatch, b));
        total = LQAddDistances(total, pPairing->Run());
        pairings.push_back(pPairing);
    }
    data = MakeConnectionData(pairings);
    return total != 0 ? total : fallback;
}

bool CSwapItemGate::IsConnected() { return m_pGate->IsConnected(); }

void CSwapItemGate::Refresh()
{
    for (CSwapItem* item : m_pGate->GetSwapPinItems())
        item->Refresh();
}

void CSwapItemGate::Swap(CSwapItem* other, CObject** data)
{
    if (other == nullptr || !other->IsKindOf(RUNTIME_CLASS(CSwapItemGate)) || data == nullptr)
        return;
    for (CObject** p = data; *p != nullptr; ++p)
        if (auto* pPairing = DYNAMIC_DOWNCAST(CAutoSwap, *p))
            pPairing->SwapPairs();
}

void CSwapItemGate::Connect(CSwapItem* other, CObject** data)
{
    if (other == nullptr || !other->IsKindOf(RUNTIME_CLASS(CSwapItemGate)) || data == nullptr)
        return;
    for (CObject** p = data; *p != nullptr; ++p)
        if (auto* pPairing = DYNAMIC_DOWNCAST(CAutoSwap, *p))
            pPairing->ConnectPairs();
}

void CSwapItemGate::Unconnect() { m_pGate->UnConnect(); }

bool CSwapItemGate::Swap(CSwapItem* other)
{
    if (!CanSwap(other, SWAP_GATE, false, true, true))
        return false;
    auto* pOther = static_cast<CSwapItemGate*>(other);
    CObject** dataThis = nullptr;
    CObject** dataOther = nullptr;
    GetDistance(other, dataThis, -1);
    pOther->GetDistance(this, dataOther, -1);
    // An exchange that would leave a pin without its net, or a net without its pin, is refused
    // before anything changes.
    if (!LQIsCompleteGatePairing(m_pGate, pOther->m_pGate, dataThis) ||
        !LQIsCompleteGatePairing(pOther->m_pGate, m_pGate, dataOther)) {
        ReleaseConnectionData(dataThis);
        ReleaseConnectionData(dataOther);
        return false;
    }
    Swap(other, dataThis);
    pOther->Swap(this, dataOther);
    Refresh();
    pOther->Refresh();
    ReleaseConnectionData(dataThis);
    ReleaseConnectionData(dataOther);
    if (m_bOptimize) {
        m_pGate->AutoPinSwap(nullptr);
        pOther->m_pGate->AutoPinSwap(nullptr);
    }
    CLayoutComponent* pFirst = m_pGate->GetComponent();
    CLayoutComponent* pSecond = pOther->m_pGate->GetComponent();
    const bool bFirstRef = pFirst != nullptr && pFirst->GetAttributeWithTag(LQ_REFDES, false) != nullptr;
    const bool bSecondRef = pSecond != nullptr && pSecond->GetAttributeWithTag(LQ_REFDES, false) != nullptr;
    SendBackAnnotation(BACKANNO_GATESWAP, AttributeText(pFirst, LQ_REFDES), bFirstRef ? m_pGate->GetGateName() : CString(),
                       AttributeText(pSecond, LQ_REFDES), bSecondRef ? pOther->m_pGate->GetGateName() : CString());
    return true;
}
