#include "module/autoswap/ExchangeSearch.h"

#include "module/autoswap/AutoSwapF.h"
#include "module/autoswap/GateExchange.h"
#include "module/autoswap/PinExchange.h"
#include "module/swap/ConnectionData.h"
#include "module/swap/ExchangeCheck.h"

void CExchangeChoice::Release()
{
    ReleaseConnectionData(listIP);
    ReleaseConnectionData(listPI);
    listIP = listPI = nullptr;
}

void LQTakePartner(const std::vector<CSwapItem*>& items, std::int32_t i, std::int32_t j, LQGain gain, CObject** listIJ,
                   CObject** listJI, CExchangeChoice& choice)
{
    const bool bApplies =
        LQCanApplyExchange(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)], listIJ, listJI);
    LQTakePartnerIf(bApplies, j, gain, listIJ, listJI, choice);
}

void LQTakePartnerIf(bool bApplies, std::int32_t j, LQGain gain, CObject** listIJ, CObject** listJI,
                     CExchangeChoice& choice)
{
    if (!bApplies) {
        ReleaseConnectionData(listIJ);
        ReleaseConnectionData(listJI);
        return;
    }
    choice.Release();
    choice.partner = j;
    choice.gain = gain;
    choice.listIP = listIJ;
    choice.listPI = listJI;
}

void LQRunExchanges(const std::vector<CSwapItem*>& items, CExchangeModel& model)
{
    const auto nItems = static_cast<std::int32_t>(items.size());
    // One item has no partner to exchange with.
    if (nItems < 2)
        return;
    int nPasses = 0;
    bool bImproved = false;
    do {
        bImproved = false;
        model.BeginPass();
        for (std::int32_t i = 0; i < nItems; ++i) {
            CExchangeChoice choice;
            model.FindPartner(i, choice);
            if (choice.partner < 0)
                continue;
            bImproved = true;
            CSwapItem* pI = items[static_cast<std::size_t>(i)];
            CSwapItem* pP = items[static_cast<std::size_t>(choice.partner)];
            pI->Unconnect();
            pP->Unconnect();
            pI->Connect(pP, choice.listIP);
            pP->Connect(pI, choice.listPI);
            pI->Refresh();
            pP->Refresh();
            model.Exchanged(i, choice.partner);
        }
        ++nPasses;
    } while (bImproved && nPasses < CAutoSwapF::kMaxPasses);
}

namespace {
// Any items: every partner measured through the items themselves, in order.
class CMeasuringModel : public CExchangeModel {
public:
    explicit CMeasuringModel(const std::vector<CSwapItem*>& items) : m_items(items) {}

    void FindPartner(std::int32_t i, CExchangeChoice& choice) override
    {
        CSwapItem* pI = m_items[static_cast<std::size_t>(i)];
        const std::int64_t dii = Measure(pI, pI, nullptr);
        for (std::int32_t j = 0; j < static_cast<std::int32_t>(m_items.size()); ++j) {
            if (j == i)
                continue;
            CSwapItem* pJ = m_items[static_cast<std::size_t>(j)];
            CObject** listIJ = nullptr;
            CObject** listJI = nullptr;
            const std::int64_t djj = Measure(pJ, pJ, nullptr);
            const std::int64_t dij = Measure(pI, pJ, &listIJ);
            const std::int64_t dji = Measure(pJ, pI, &listJI);
            const LQGain gain = static_cast<LQGain>(dii) + djj - (static_cast<LQGain>(dij) + dji);
            if (LQIsMeasured(dii) && LQIsMeasured(djj) && LQIsMeasured(dij) && LQIsMeasured(dji) &&
                choice.IsBeatenBy(gain, j)) {
                LQTakePartner(m_items, i, j, gain, listIJ, listJI, choice);
            } else {
                ReleaseConnectionData(listIJ);
                ReleaseConnectionData(listJI);
            }
        }
    }

private:
    // Releases the list at once unless the caller keeps it.
    static std::int64_t Measure(CSwapItem* a, CSwapItem* b, CObject*** keep)
    {
        CObject** data = nullptr;
        const std::int64_t d = a->GetDistance(b, data, 0);
        if (keep != nullptr)
            *keep = data;
        else
            ReleaseConnectionData(data);
        return d;
    }

    const std::vector<CSwapItem*>& m_items;
};
}  // namespace

void LQRunGroup(const std::vector<CSwapItem*>& items)
{
    if (items.size() < 2)
        return;
    if (std::unique_ptr<CExchangeModel> pModel = LQMakeGateModel(items)) {
        LQRunExchanges(items, *pModel);
        return;
    }
    if (std::unique_ptr<CExchangeModel> pModel = LQMakePinModel(items)) {
        LQRunExchanges(items, *pModel);
        return;
    }
    CMeasuringModel model(items);
    LQRunExchanges(items, model);
}
