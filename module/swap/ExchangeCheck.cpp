#include "module/swap/ExchangeCheck.h"

#include <set>
#include <unordered_map>

#include "module/autoswap/AutoSwap.h"
#include "module/gates/Gate.h"
#include "module/swap/SwapItemGate.h"
#include "module/swap/SwapItemPin.h"

namespace {
// The pins that the gate's UnConnect takes off their nets.
std::set<CLayoutPin*> LeavingPins(CGate* pGate)
{
    std::set<CLayoutPin*> pins;
    const bool bReal = pGate->IsRealGate();
    for (CLayoutPin* pin : pGate->GetPins())
        if (!(bReal && CSwapItemPin::IsPowerPin(pin)))
            pins.insert(pin);
    return pins;
}

CLayoutPin* PinOf(CSwapItem* item)
{
    auto* pPin = DYNAMIC_DOWNCAST(CSwapItemPin, item);
    return pPin != nullptr ? pPin->GetPin() : nullptr;
}
}  // namespace

bool LQIsCompleteGatePairing(CGate* rowsGate, CGate* colsGate, CObject** data)
{
    if (data == nullptr)
        return false;
    std::unordered_map<CLayoutPin*, CLayoutPin*> partner;
    for (CObject** p = data; *p != nullptr; ++p) {
        auto* pPairing = DYNAMIC_DOWNCAST(CAutoSwap, *p);
        if (pPairing == nullptr)
            return false;
        for (std::int32_t k = 0; k < pPairing->GetColCount(); ++k) {
            const std::int32_t r = pPairing->GetAssignedRow(k);
            if (r < 0)
                continue;
            CLayoutPin* pRow = PinOf(pPairing->GetRows()[static_cast<std::size_t>(r)]);
            CLayoutPin* pCol = PinOf(pPairing->GetCols()[static_cast<std::size_t>(k)]);
            if (pRow == nullptr || pCol == nullptr || !partner.emplace(pRow, pCol).second)
                return false;
        }
    }
    const std::set<CLayoutPin*> rows = LeavingPins(rowsGate);
    const std::set<CLayoutPin*> cols = LeavingPins(colsGate);
    if (rows.size() != cols.size())
        return false;
    std::set<CLayoutPin*> taken;
    for (CLayoutPin* pin : rows) {
        auto it = partner.find(pin);
        if (it == partner.end() || cols.count(it->second) == 0 || !taken.insert(it->second).second)
            return false;
    }
    return true;
}

namespace {
bool OnCopper(CSwapItem* item)
{
    if (CLayoutPin* pin = PinOf(item))
        return CSwapItemPin::IsConnectedToCopper(pin);
    if (auto* pGateItem = DYNAMIC_DOWNCAST(CSwapItemGate, item)) {
        for (CLayoutPin* pin : pGateItem->GetGate()->GetPins())
            if (CSwapItemPin::IsConnectedToCopper(pin))
                return true;
    }
    return false;
}
}  // namespace

bool LQCanApplyExchange(CSwapItem* a, CSwapItem* b, CObject** dataAB, CObject** dataBA)
{
    if (OnCopper(a) || OnCopper(b))
        return false;
    auto* pA = DYNAMIC_DOWNCAST(CSwapItemGate, a);
    auto* pB = DYNAMIC_DOWNCAST(CSwapItemGate, b);
    if (pA == nullptr || pB == nullptr)
        return true;
    return LQIsCompleteGatePairing(pA->GetGate(), pB->GetGate(), dataAB) &&
           LQIsCompleteGatePairing(pB->GetGate(), pA->GetGate(), dataBA);
}
