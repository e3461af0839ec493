#include "module/swap/ExchangeCheck.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "module/autoswap/AutoSwap.h"
#include "module/gates/Gate.h"
#include "module/swap/SwapItemGate.h"
#include "module/swap/SwapItemPin.h"

namespace {
// The pins that the gate's UnConnect takes off their nets, in order, each once. A gate has a few
// pins, and exchanges are checked often: sorted lists rather than sets.
std::vector<CLayoutPin*> LeavingPins(CGate* pGate)
{
    std::vector<CLayoutPin*> pins;
    const bool bReal = pGate->IsRealGate();
    for (CLayoutPin* pin : pGate->GetPins())
        if (LQLeavesOnUnConnect(bReal, pin))
            pins.push_back(pin);
    std::sort(pins.begin(), pins.end());
    pins.erase(std::unique(pins.begin(), pins.end()), pins.end());
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
    return data != nullptr && LQIsCompletePairing(LeavingPins(rowsGate), LeavingPins(colsGate), data);
}

bool LQIsCompletePairing(const std::vector<CLayoutPin*>& rows, const std::vector<CLayoutPin*>& cols, CObject** data)
{
    if (data == nullptr)
        return false;
    std::vector<std::pair<CLayoutPin*, CLayoutPin*>> partner;
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
            if (pRow == nullptr || pCol == nullptr)
                return false;
            partner.emplace_back(pRow, pCol);
        }
    }
    // A row pin paired twice fails whichever partners it has.
    std::sort(partner.begin(), partner.end());
    for (std::size_t k = 1; k < partner.size(); ++k)
        if (partner[k].first == partner[k - 1].first)
            return false;
    if (rows.size() != cols.size())
        return false;
    std::vector<CLayoutPin*> taken;
    for (CLayoutPin* pin : rows) {
        auto it = std::lower_bound(partner.begin(), partner.end(), pin,
                                   [](const auto& pair, CLayoutPin* pRow) { return pair.first < pRow; });
        if (it == partner.end() || it->first != pin || !std::binary_search(cols.begin(), cols.end(), it->second))
            return false;
        taken.push_back(it->second);
    }
    std::sort(taken.begin(), taken.end());
    return std::adjacent_find(taken.begin(), taken.end()) == taken.end();
}

bool LQIsOnCopper(CSwapItem* item)
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

bool LQCanApplyExchange(CSwapItem* a, CSwapItem* b, CObject** dataAB, CObject** dataBA)
{
    if (LQIsOnCopper(a) || LQIsOnCopper(b))
        return false;
    auto* pA = DYNAMIC_DOWNCAST(CSwapItemGate, a);
    auto* pB = DYNAMIC_DOWNCAST(CSwapItemGate, b);
    if (pA == nullptr || pB == nullptr)
        return true;
    return LQIsCompleteGatePairing(pA->GetGate(), pB->GetGate(), dataAB) &&
           LQIsCompleteGatePairing(pB->GetGate(), pA->GetGate(), dataBA);
}
