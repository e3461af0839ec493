#include "module/autoswap/PinExchange.h"

#include <unordered_map>

#include "module/autoswap/NetIndex.h"
#include "module/gates/Gate.h"
#include "module/swap/SwapItemPin.h"

namespace {
// The items' gates are numbered from 0; an item without a gate has none of them.
constexpr std::int32_t kNoGate = -2;

class CPinModel : public CExchangeModel {
public:
    explicit CPinModel(const std::vector<CSwapItem*>& items) : m_items(items) {}

    bool Init()
    {
        std::unordered_map<CGate*, std::int32_t> gates;
        for (CSwapItem* pItem : m_items) {
            auto* pPinItem = DYNAMIC_DOWNCAST(CSwapItemPin, pItem);
            if (pPinItem == nullptr)
                return false;
            CGate* pGate = pPinItem->GetGate();
            std::int32_t gate = kNoGate;
            if (pGate != nullptr) {
                auto [it, bNew] = gates.emplace(pGate, static_cast<std::int32_t>(gates.size()));
                gate = it->second;
                // Every pin of the gate, so that the measurement knows which pins are the gate's.
                if (bNew)
                    for (CLayoutPin* pPin : pGate->GetPins())
                        m_index.Register(pPin, gate);
            }
            m_gate.push_back(gate);
        }
        for (CSwapItem* pItem : m_items) {
            CLayoutPin* pPin = static_cast<CSwapItemPin*>(pItem)->GetPin();
            std::int32_t slot = m_index.SlotOf(pPin);
            if (slot < 0)
                slot = m_index.Register(pPin, -1);
            m_slot.push_back(slot);
        }
        return m_index.Build();
    }

    void FindPartner(std::int32_t i, CExchangeChoice& choice) override
    {
        const std::int64_t dii = Measure(i, i);
        for (std::int32_t j = 0; j < static_cast<std::int32_t>(m_items.size()); ++j) {
            if (j == i)
                continue;
            const std::int64_t djj = Measure(j, j);
            const std::int64_t dij = Measure(i, j);
            const std::int64_t dji = Measure(j, i);
            const LQGain gain = static_cast<LQGain>(dii) + djj - (static_cast<LQGain>(dij) + dji);
            // Pin items hand out no connection-data lists.
            if (LQIsMeasured(dii) && LQIsMeasured(djj) && LQIsMeasured(dij) && LQIsMeasured(dji) &&
                choice.IsBeatenBy(gain, j))
                LQTakePartner(m_items, i, j, gain, nullptr, nullptr, choice);
        }
    }

    void Exchanged(std::int32_t i, std::int32_t p) override
    {
        const std::int32_t slots[2] = {m_slot[static_cast<std::size_t>(i)], m_slot[static_cast<std::size_t>(p)]};
        m_index.Refresh(slots, 2);
    }

private:
    std::int64_t Measure(std::int32_t a, std::int32_t b) const
    {
        return LQIndexedPinDistance(m_index, m_slot[static_cast<std::size_t>(a)], m_slot[static_cast<std::size_t>(b)],
                                    m_gate[static_cast<std::size_t>(a)], m_gate[static_cast<std::size_t>(b)]);
    }

    const std::vector<CSwapItem*>& m_items;
    std::vector<std::int32_t> m_gate;
    std::vector<std::int32_t> m_slot;
    CNetIndex m_index;
};
}  // namespace

std::unique_ptr<CExchangeModel> LQMakePinModel(const std::vector<CSwapItem*>& items)
{
    auto pModel = std::make_unique<CPinModel>(items);
    if (!pModel->Init())
        return nullptr;
    return pModel;
}
